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
      {"b + i + u", "<p><b>x</b><i>y</i><u>target</u></p>", false},
  };
  for (const TCase& C : Cases) {
    const std::string Html =
        std::string("<style>") + C.Sheet + " { color: #ff0000 }</style>" + C.Body;
    EXPECT_EQ(TargetIsRed(Html), C.Red) << Html;
  }
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
