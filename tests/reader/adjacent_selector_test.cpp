// The adjacent selector ("a + b"): an element matches when the element closed just before
// it under the same parent matches the first part; text between them does not count.
#include <gtest/gtest.h>

#include <string>

#include "style/colors.h"
#include "tests/reader/builder_test_util.h"

namespace {

TColor Red() {
  TColor C = 0;
  ParseColor("#ff0000", true, C);
  return C;
}

bool TargetIsRed(const std::string& Html, const char* Target = "target") {
  TBuiltDoc D;
  D.Build(Html);
  TFontObj* Run = RunOf(D.Doc, Target);
  EXPECT_NE(Run, nullptr) << Html;
  return Run && Run->FFont->Color == Red();
}

TEST(AdjacentSelector, MatchesOnlyTheElementRightAfter) {
  struct TCase {
    const char* Sheet;
    const char* Body;
    bool Red;
  };
  const TCase Cases[] = {
      {"h1 + p", "<h1>x</h1><p>target</p>", true},
      {"h1 + p", "<h1>x</h1><div>y</div><p>target</p>", false},
      {"h1 + p", "<p>target</p>", false},
      {"b + b", "<p><b>x</b> and <b>target</b></p>", true},
      {"b + b", "<p><b>x</b><i>y</i><b>target</b></p>", false},
      {"b + i", "<div><b>x</b></div><i>target</i>", false},
      {"b + i", "<p><b>x</b></p><p><i>target</i></p>", false},
      {"div b + i", "<div><b>x</b><i>target</i></div>", true},
      {"div b + i", "<p><b>x</b><i>target</i></p>", false},
      {"div > b + i", "<div><b>x</b><i>target</i></div>", true},
      {"div > b + i", "<div><span><b>x</b><i>target</i></span></div>", false},
      {".a + .b", "<p><span class=a>x</span><span class=b>target</span></p>", true},
      {".a + .b", "<p><span class=c>x</span><span class=b>target</span></p>", false},
  };
  for (const TCase& C : Cases) {
    const std::string Html =
        std::string("<style>") + C.Sheet + " { color: #ff0000 }</style>" + C.Body;
    EXPECT_EQ(TargetIsRed(Html), C.Red) << Html;
  }
}

// A chain of "+" looks back over as many siblings as it names, each right before the next,
// and mixes with child and descendant parts before, between and after it.
TEST(AdjacentSelector, ChainsLookBackOverEverySibling) {
  struct TCase {
    const char* Sheet;
    const char* Body;
    bool Red;
  };
  const TCase Cases[] = {
      {"b + i + u", "<p><b>x</b><i>y</i><u>target</u></p>", true},
      {"b + i + u", "<p><s>x</s><i>y</i><u>target</u></p>", false},
      {"b + i + u", "<p><b>x</b><s>s</s><i>y</i><u>target</u></p>", false},
      {"b + i + u", "<p><b>x</b></p><p><i>y</i><u>target</u></p>", false},
      {"b + i + u + s", "<p><b>1</b><i>2</i><u>3</u><s>target</s></p>", true},
      {"b + i + u + s", "<p><tt>1</tt><i>2</i><u>3</u><s>target</s></p>", false},
      {"h1 + p + p", "<h1>a</h1><p>b</p><p>target</p>", true},
      {"h1 + p + p", "<h1>a</h1><p>b</p><p>c</p><p>target</p>", false},
      {"div > p + p em", "<div><p>a</p><p>b <em>target</em></p></div>", true},
      {"div > p + p em", "<div><h2>a</h2><p>b <em>target</em></p></div>", false},
      {"div > p + p em", "<div><blockquote><p>a</p><p><em>target</em></p></blockquote></div>",
       false},
      {"h1 + div p + p", "<h1>x</h1><div><p>a</p><p>target</p></div>", true},
      {"h1 + div p + p", "<h2>x</h2><div><p>a</p><p>target</p></div>", false},
      {".a + .b + .c", "<p><span class=a>1</span><span class=b>2</span>"
                       "<span class=c>target</span></p>", true},
  };
  for (const TCase& C : Cases) {
    const std::string Html =
        std::string("<style>") + C.Sheet + " { color: #ff0000 }</style>" + C.Body;
    EXPECT_EQ(TargetIsRed(Html), C.Red) << Html;
  }
}

// However many siblings a page holds, each element keeps only as many before it as the
// rules look back over: a long row of them builds and is freed without going deep.
TEST(AdjacentSelector, LongRowsOfSiblingsStayShallow) {
  std::string Html = "<style>b + i + u { color: #ff0000 }</style><p>";
  for (int I = 0; I < 200000; ++I) Html += "<i>x</i>";
  Html += "<b>x</b><i>y</i><u>target</u></p>";
  EXPECT_TRUE(TargetIsRed(Html));
}

// Two elements alike in everything but what stands before them are styled apart.
TEST(AdjacentSelector, ElementsAlikeFollowTheirOwnSiblings) {
  const std::string Html =
      "<style>b + i { color: #ff0000 }</style><p><b>x</b><i>first</i> <u>y</u><i>second</i>"
      " <b>z</b><i>third</i></p>";
  EXPECT_TRUE(TargetIsRed(Html, "first"));
  EXPECT_FALSE(TargetIsRed(Html, "second"));
  EXPECT_TRUE(TargetIsRed(Html, "third"));
}

}  // namespace
