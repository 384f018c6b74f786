// Documents that leave inline elements open by the thousand: they load whole, and end
// tags and contextual rules still act on the elements that are open.
#include <gtest/gtest.h>

#include <string>

#include "builder_test_util.h"

namespace {

int TextLength(TSectionList& Doc) {
  int Length = 0;
  for (auto& F : Sections(Doc)) Length += int(F.Section->FText.size());
  return Length;
}

TEST(BuilderUnclosed, MegabyteOfUnclosedInlineTagsKeepsItsText) {
  std::string Html = "<html><body>";
  int Words = 0, Chars = 0;
  while (Html.size() < 1024 * 1024) {
    const std::string Word = "w" + std::to_string(Words++) + " ";
    Html += "<b><i><font color=" + std::string(Words % 2 ? "red" : "blue") + ">" + Word;
    Chars += int(Word.size());
  }
  Html += "<font color=lime>last";
  TBuiltDoc D;
  D.Build(Html);
  EXPECT_EQ(TextLength(D.Doc), Chars + 4);
  TFontObj* Last = RunOf(D.Doc, "last");
  ASSERT_TRUE(Last);
  // Far deeper than any page nests, the innermost element still gives the look.
  EXPECT_EQ(Last->FFont->Color & 0xFFFFFF, 0x00FF00u);
  EXPECT_TRUE(Last->FFont->Bold);
  EXPECT_TRUE(Last->FFont->Italic);
}

TEST(BuilderUnclosed, EndTagAndContextualRuleReachThroughManyOpenElements) {
  std::string Html = "<style>div b { color: lime } p b { color: red }</style><div><b>";
  for (int N = 0; N < 2000; ++N) Html += "<i>";
  Html += "<b>in</b>x</b>out";
  TBuiltDoc D;
  D.Build(Html);
  TFontObj* In = RunOf(D.Doc, "in");
  TFontObj* X = RunOf(D.Doc, "x");
  TFontObj* Out = RunOf(D.Doc, "out");
  ASSERT_TRUE(In && X && Out);
  EXPECT_EQ(In->FFont->Color & 0xFFFFFF, 0x00FF00u);
  EXPECT_TRUE(X->FFont->Bold);
  // The second end tag closes the outer B below two thousand italics, which stay open.
  EXPECT_FALSE(Out->FFont->Bold);
  EXPECT_TRUE(Out->FFont->Italic);
}

// An element restyled when one below it closes keeps its own style attribute, although
// the reader has read other tags' since.
TEST(BuilderUnclosed, RestyledElementsKeepTheirStyleAttribute) {
  TBuiltDoc D;
  D.Build("<ul><li><a href=x style='color:#0000ff'>one<div style='color:#00ff00'>two</div>"
          "<b style='color:#ff0000'>b</b></ul>three");
  TFontObj* Three = RunOf(D.Doc, "three");
  ASSERT_NE(Three, nullptr);
  EXPECT_EQ(Three->FFont->Color & 0xFFFFFF, 0xFF0000u);  // #0000ff as a colour value
}

TEST(BuilderUnclosed, ShallowEndTagsWorkAfterStrayOnesOverADeepStack) {
  std::string Html;
  for (int N = 0; N < 3000; ++N) Html += "<i>";
  for (int N = 0; N < 3000; ++N) Html += "</u>";
  Html += "<b>x<s>y</b>z";
  TBuiltDoc D;
  D.Build(Html);
  TFontObj* Z = RunOf(D.Doc, "z");
  ASSERT_TRUE(Z);
  EXPECT_FALSE(Z->FFont->Bold);
  EXPECT_TRUE(Z->FFont->StrikeOut);
}

}  // namespace
