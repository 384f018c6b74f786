// Inline elements, paragraphs, headings, breaks, fonts and preformatted text.
#include <gtest/gtest.h>

#include "builder_test_util.h"

namespace {

TEST(BuilderInline, EndTagClosingAnOuterElementReDerivesTheInnerOnes) {
  TBuiltDoc D;
  D.Build("<B>x<I>y</B>z</I>w");
  TFontObj* Y = RunOf(D.Doc, "y");
  TFontObj* Z = RunOf(D.Doc, "z");
  TFontObj* W = RunOf(D.Doc, "w");
  ASSERT_TRUE(Y && Z && W);
  EXPECT_TRUE(Y->FFont->Bold);
  EXPECT_TRUE(Y->FFont->Italic);
  EXPECT_FALSE(Z->FFont->Bold);
  EXPECT_TRUE(Z->FFont->Italic);
  EXPECT_FALSE(W->FFont->Italic);
}

TEST(BuilderInline, StrayEndTagChangesNothing) {
  TBuiltDoc D;
  D.Build("<B>a</I>b</B>c");
  EXPECT_TRUE(RunOf(D.Doc, "b")->FFont->Bold);
  EXPECT_FALSE(RunOf(D.Doc, "c")->FFont->Bold);
}

TEST(BuilderParagraph, RunOfParagraphTagsMakesOneBlockWithTheLastAlignment) {
  TBuiltDoc D;
  D.Build("a<P><P></P><P align=right>b");
  auto S = Sections(D.Doc);
  ASSERT_EQ(S.size(), 2u);
  EXPECT_EQ(S[0].Section->FText, "a");
  EXPECT_EQ(S[1].Section->FText, "b");
  EXPECT_EQ(S[1].Section->FAlign, 3);
  // body block, then the one paragraph block
  EXPECT_EQ(S[1].Blocks.size(), 2u);
}

// Paragraph blocks with equal boxes share them; dropping the last one's spacing must
// leave the others' alone.
TEST(BuilderParagraph, DroppingTheLastSpacingInADivisionKeepsTheEarlierOnes) {
  TBuiltDoc D;
  D.Build("<div><p>a</p><p>b</p><p>c</p></div>");
  const auto S = Sections(D.Doc);
  ASSERT_EQ(S.size(), 3u);
  const int Bottom = piMarginBottom - BoxFirst;
  TBlock* A = S[0].Blocks.at(0);
  TBlock* B = S[1].Blocks.at(0);
  TBlock* C = S[2].Blocks.at(0);
  EXPECT_EQ(A->MargArrayO[Bottom], B->MargArrayO[Bottom]);
  EXPECT_GT(B->MargArray[Bottom], 0);
  EXPECT_EQ(C->MargArrayO[Bottom].AsInteger(), 0);
  EXPECT_EQ(C->MargArray[Bottom], 0);
}

// Blanks between blocks open no section of their own, except where it would stay: under
// an element that clears floats.
TEST(BuilderParagraph, BlanksBetweenBlocksLeaveOnlyTheSectionsThatStay) {
  struct TCase {
    const char* Html;
    std::vector<std::string> Texts;
    int Clears;
  };
  const TCase Cases[] = {
      {"<p>a</p>\n<p>b</p>\n  <P class=x>c</P> <PRE>d</PRE> <b>e</b>", {"a", "b", "c", "d", "e"}, 0},
      {"<p>a</p> <param> <p>b</p>", {"a", "b"}, 0},
      {"<div style=\"clear: left\"> <p>a</p></div>", {"", "a"}, 1},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    std::vector<std::string> Texts;
    int Clears = 0;
    for (const TFoundSection& F : Sections(D.Doc)) {
      Texts.push_back(F.Section->FText);
      if (F.Section->FClear != 0) ++Clears;
    }
    EXPECT_EQ(Texts, C.Texts) << C.Html;
    EXPECT_EQ(Clears, C.Clears) << C.Html;
  }
}

TEST(BuilderHeading, CenterRightAfterTheTagCentresTheHeading) {
  TBuiltDoc D;
  D.Build("<H2><CENTER>Title</H2>after");
  auto S = Sections(D.Doc);
  ASSERT_GE(S.size(), 2u);
  EXPECT_EQ(S[0].Section->FText, "Title");
  EXPECT_EQ(S[0].Section->FAlign, 2);
  EXPECT_TRUE(S[0].Section->FFontRuns[0]->FFont->Bold);
  EXPECT_EQ(S.back().Section->FAlign, 1);
}

TEST(BuilderHeading, LevelOutsideOneToSixIsOrdinaryContent) {
  TBuiltDoc D;
  D.Build("<H7>text");
  auto S = Sections(D.Doc);
  ASSERT_EQ(S.size(), 1u);
  EXPECT_EQ(S[0].Section->FText, "text");
  EXPECT_FALSE(S[0].Section->FFontRuns[0]->FFont->Bold);
}

TEST(BuilderBreak, BreakEndsTheSectionWithABreakCharacter) {
  TBuiltDoc D;
  D.Build("x<BR>y<BR CLEAR=all>z");
  auto S = Sections(D.Doc);
  ASSERT_EQ(S.size(), 3u);
  EXPECT_EQ(S[0].Section->FText, std::string("x") + ccBreak);
  EXPECT_EQ(S[1].Section->FText, "y");
  EXPECT_EQ(S[2].Section->FText, "z");
  EXPECT_EQ(S[2].Section->FClear, 3);
}

struct TFontCase {
  const char* Html;
  bool Pre;
  int Index;
};

TEST(BuilderFont, SizesCountFromTheBaseFont) {
  const TFontCase Cases[] = {
      {"<FONT SIZE=+2>t</FONT>", false, 5},
      {"<FONT SIZE=9>t</FONT>", false, 7},
      {"<BASEFONT SIZE=5><FONT SIZE=-1>t</FONT>", false, 4},
      {"<PRE><FONT SIZE=+1>t</FONT></PRE>", true, 4},
      {"<BASEFONT SIZE=2><PRE><FONT SIZE=-3>t</FONT></PRE>", true, 1},
  };
  for (const TFontCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    TFontObj* Run = RunOf(D.Doc, "t");
    ASSERT_TRUE(Run) << C.Html;
    EXPECT_EQ(Run->FFont->Size, int(FontSizePoints(12, C.Index, C.Pre) + 0.5)) << C.Html;
  }
}

TEST(BuilderPre, LinesBecomeSectionsEntitiesDecodedTtIgnored) {
  TBuiltDoc D;
  D.Build("<PRE>a  &lt;b\n<TT>c</TT> <B>d</B>\n</PRE>e");
  auto S = Sections(D.Doc);
  ASSERT_GE(S.size(), 3u);
  EXPECT_EQ(S[0].Section->FText, "a  <b");
  EXPECT_TRUE(S[0].Section->IsPreformatted());
  EXPECT_EQ(S[1].Section->FText, "c d");
  EXPECT_TRUE(RunOf(D.Doc, "d")->FFont->Bold);
  EXPECT_FALSE(RunOf(D.Doc, "c")->FFont->Bold);
  EXPECT_EQ(S.back().Section->FText, "e");
  EXPECT_FALSE(S.back().Section->IsPreformatted());
}

TEST(BuilderText, TextDocumentShowsTagsAsCharacters) {
  TSectionList Doc{nullptr, nullptr};
  Doc.ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                    0xFF0000, 0, 12);
  ParseTextDocument("<B>x\nline two", &Doc);
  auto S = Sections(Doc);
  ASSERT_EQ(S.size(), 2u);
  EXPECT_EQ(S[0].Section->FText, "<B>x");
  EXPECT_EQ(S[1].Section->FText, "line two");
}

}  // namespace
