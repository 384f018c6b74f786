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

// A definition is an inline element of its own: italic by default, and rules name it, in
// flowing text and in preformatted text alike.
TEST(BuilderInline, DefinitionsAreItalicAndTakeTheirRules) {
  const char* Pages[] = {"<p>a <dfn>def</dfn> b", "<pre>a <dfn>def</dfn> b</pre>"};
  for (const char* Page : Pages) {
    TBuiltDoc D;
    D.Build(std::string("<style>dfn {color: #00FF00}</style>") + Page);
    TFontObj* Def = RunOf(D.Doc, "def");
    TFontObj* After = RunOf(D.Doc, " b");
    ASSERT_TRUE(Def && After) << Page;
    EXPECT_TRUE(Def->FFont->Italic) << Page;
    EXPECT_EQ(Def->FFont->Color & 0xFFFFFF, TColor(0x00FF00)) << Page;
    EXPECT_FALSE(After->FFont->Italic) << Page;
  }
}

TEST(BuilderInline, StrayEndTagChangesNothing) {
  TBuiltDoc D;
  D.Build("<B>a</I>b</B>c");
  EXPECT_TRUE(RunOf(D.Doc, "b")->FFont->Bold);
  EXPECT_FALSE(RunOf(D.Doc, "c")->FFont->Bold);
}

// Elements with unknown names and no class, id or pseudo-class are styled like any other
// (the sanitizer build checks that no empty name reaches a copy with a null pointer).
TEST(BuilderInline, UnknownElementsWithoutAttributesKeepTheTextAround) {
  const std::string html("P<img align=left><imga li!\0<!DOCn=lemg` align x", 46);
  TBuiltDoc b;
  b.Build(html);
  ASSERT_FALSE(Sections(b.Doc).empty());
  EXPECT_EQ(Sections(b.Doc).front().Section->FText.substr(0, 1), "P");
}

TEST(BuilderParagraph, RunOfParagraphTagsMakesOneParagraphWithTheLastAlignment) {
  TBuiltDoc D;
  D.Build("a<P><P></P><P align=right>b");
  auto S = Sections(D.Doc);
  ASSERT_EQ(S.size(), 2u);
  EXPECT_EQ(S[0].Section->FText, "a");
  EXPECT_EQ(S[1].Section->FText, "b");
  EXPECT_EQ(S[1].Section->FAlign, TTextAlign::Right);
  EXPECT_FALSE(S[0].Section->IsParagraph());
  // A plain paragraph keeps its spacing in its section, in the body block.
  EXPECT_TRUE(S[1].Section->IsParagraph());
  EXPECT_EQ(S[1].Blocks.size(), 1u);
}

// The last paragraph's spacing in a division goes below the division.
TEST(BuilderParagraph, TheLastSpacingInADivisionGoesBelowIt) {
  TBuiltDoc D;
  D.Build("<div><p>a</p><p>b</p><p>c</p></div>");
  const auto S = Sections(D.Doc);
  ASSERT_EQ(S.size(), 3u);
  // The earlier ones gave their spacing to the top of the paragraph after them.
  EXPECT_EQ(S[0].Section->ParagraphBottom(), 0);
  EXPECT_EQ(S[1].Section->ParagraphBottom(), 0);
  EXPECT_EQ(S[2].Section->ParagraphBottom(), 0);
  TBlock* Div = S[2].Blocks.at(0);
  EXPECT_EQ(Div->MargArray[piMarginBottom - BoxFirst], TBlock::ParagraphMargin);
  EXPECT_EQ(Div->DropBottomMargin(), TMarginDrop::Dropped);
}

// Only a paragraph whose box is vertical spacing alone, around one text section, leaves
// its block out.
TEST(BuilderParagraph, ParagraphsWithMoreThanSpacingKeepTheirBlock) {
  struct TCase {
    const char* Html;
    bool Compact;
  };
  const TCase Cases[] = {
      {"<p>x</p>", true},
      {"<p style=\"margin-top: 3px; margin-bottom: 2em\">x</p>", true},
      {"<p align=center>x</p>", true},
      {"<p style=\"margin-top: 10%\">x</p>", false},
      {"<p style=\"margin-top: 40000px\">x</p>", false},
      {"<p style=\"margin-bottom: -40000px\">x</p>", false},
      {"<p style=\"margin-left: 5px\">x</p>", false},
      {"<p style=\"padding-bottom: 1px\">x</p>", false},
      {"<p style=\"border: 1px solid red\">x</p>", false},
      {"<p style=\"background-color: red\">x</p>", false},
      {"<p style=\"width: 50px\">x</p>", false},
      {"<p class=note>x</p>", false},
      {"<p id=here>x</p>", false},
      {"<p title=hint>x</p>", false},
      {"<p>x<br>y</p>", false},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    const auto S = Sections(D.Doc);
    ASSERT_FALSE(S.empty()) << C.Html;
    EXPECT_EQ(S[0].Section->IsParagraph(), C.Compact) << C.Html;
    EXPECT_EQ(S[0].Blocks.size(), C.Compact ? 1u : 2u) << C.Html;
  }
}

// A paragraph without its block lays out and answers position queries exactly as one
// with it: the title keeps the block and changes nothing else.
TEST(BuilderParagraph, ParagraphWithoutItsBlockLaysOutAsWithIt) {
  const std::string Body =
      "<p{}>One two three</p><p{}>four five six seven eight nine ten eleven twelve thirteen "
      "fourteen fifteen sixteen</p><div><p{}>in a division</p></div>after<p{}>last</p>"
      "<h3>heading</h3><p{} style='margin-top:4px'>under</p><p{} style='margin:-6px 0'>neg</p>"
      "<div style='margin-top:-9px'>division</div><p{}>end</p>";
  auto Fill = [&](const std::string& Attr) {
    std::string Out = Body;
    for (size_t P; (P = Out.find("{}")) != std::string::npos;) Out.replace(P, 2, Attr);
    return Out;
  };
  TBuiltDoc Compact, Kept;
  Compact.Build(Fill(""));
  Kept.Build(Fill(" title=t"));
  ASSERT_LT(Sections(Compact.Doc)[0].Blocks.size(), Sections(Kept.Doc)[0].Blocks.size());
  TCanvas Canvas;
  for (const int Width : {800, 120}) {
    int SW1 = 0, C1 = 0, SW2 = 0, C2 = 0;
    const int H1 = Compact.Doc.LayoutCell(&Canvas, 0, Width, 600, SW1, C1);
    const int H2 = Kept.Doc.LayoutCell(&Canvas, 0, Width, 600, SW2, C2);
    EXPECT_EQ(H1, H2) << Width;
    EXPECT_EQ(SW1, SW2) << Width;
    ASSERT_EQ(C1, C2) << Width;
    for (int Pos = 0; Pos < C1; ++Pos) {
      int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
      ASSERT_EQ(Compact.Doc.PositionToPoint(&Canvas, Pos, X1, Y1),
                Kept.Doc.PositionToPoint(&Canvas, Pos, X2, Y2));
      EXPECT_EQ(X1, X2) << Pos;
      EXPECT_EQ(Y1, Y2) << Pos;
      int XR = 0, YR = 0, Ht = 0;
      bool InText = false;
      EXPECT_EQ(Compact.Doc.PositionAtPoint(&Canvas, X1 + 1, Y1 + 2, XR, YR, Ht, InText),
                Kept.Doc.PositionAtPoint(&Canvas, X1 + 1, Y1 + 2, XR, YR, Ht, InText))
          << Pos;
    }
  }
}

// Blanks between blocks open no section of their own, except where it would stay: under
// an element that clears floats, past the start of a block that clears them itself.
TEST(BuilderParagraph, BlanksBetweenBlocksLeaveOnlyTheSectionsThatStay) {
  struct TCase {
    const char* Html;
    std::vector<std::string> Texts;
    int Clears;
  };
  const TCase Cases[] = {
      {"<p>a</p>\n<p>b</p>\n  <P class=x>c</P> <PRE>d</PRE> <b>e</b>", {"a", "b", "c", "d", "e"}, 0},
      {"<p>a</p> <param> <p>b</p>", {"a", "b"}, 0},
      {"<div style=\"clear: left\"> <p>a</p></div>", {"a"}, 0},
      {"<div style=\"clear: left\"><p>a</p> <p>b</p></div>", {"a", "", "b"}, 1},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    std::vector<std::string> Texts;
    int Clears = 0;
    for (const TFoundSection& F : Sections(D.Doc)) {
      Texts.push_back(F.Section->FText);
      if (F.Section->FClear != TClearSides::None) ++Clears;
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
  EXPECT_EQ(S[0].Section->FAlign, TTextAlign::Center);
  EXPECT_TRUE(S[0].Section->FFontRuns[0]->FFont->Bold);
  EXPECT_EQ(S.back().Section->FAlign, TTextAlign::Left);
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
  EXPECT_EQ(S[2].Section->FClear, TClearSides::Both);
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

TEST(BuilderPre, LinkTextStaysAsALinkRun) {
  TBuiltDoc D;
  D.Build("<PRE>see <A HREF=u.html>the link</A> here\n<A NAME=n>x</A></PRE>");
  const auto S = Sections(D.Doc);
  ASSERT_GE(S.size(), 2u);
  EXPECT_EQ(S[0].Section->FText, "see the link here");
  EXPECT_EQ(S[1].Section->FText, "x");
  TFontObj* Link = RunOf(D.Doc, "the link");
  TFontObj* After = RunOf(D.Doc, " here");
  ASSERT_TRUE(Link && After);
  EXPECT_EQ(Link->Target().URL, "u.html");
  EXPECT_TRUE(After->Target().URL.empty());
  EXPECT_EQ(D.Doc.LinkRuns.size(), 1u);
}

// Preformatted lines as built: the texts of the sections in order, each laid out at Width.
std::vector<TFoundSection> LaidOutLines(TSectionList& Doc) {
  TCanvas Canvas;
  int ScrollWidth = 0, Curs = 0;
  Doc.LayoutCell(&Canvas, 0, 800, 600, ScrollWidth, Curs);
  return Sections(Doc);
}

// A line end right after the tag starts no line, one right before the end tag leaves an
// empty last line, and every empty line between is as high as a line of text.
TEST(BuilderPre, BlankLinesKeepTheHeightOfALine) {
  TBuiltDoc Html;
  Html.Build("<PRE>\na\n\nb<BR><BR>c\n</PRE>");
  TSectionList Text{nullptr, nullptr};
  Text.ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                     0xFF0000, 0, 12);
  ParseTextDocument("a\n\nb\n\nc\n", &Text);
  for (TSectionList* Doc : {&Html.Doc, &Text}) {
    const auto S = LaidOutLines(*Doc);
    ASSERT_EQ(S.size(), 6u);
    const std::string Blank(1, ccBreak);
    const std::vector<std::string> Texts = {"a", Blank, "b", Blank, "c", ""};
    for (size_t I = 0; I < S.size(); ++I) {
      EXPECT_EQ(S[I].Section->FText, Texts[I]) << I;
      const int Height = S[I].Section->FFlowHeight;
      if (I < 5) EXPECT_EQ(Height, S[0].Section->FFlowHeight) << I;
      else EXPECT_EQ(Height, 0);
    }
    EXPECT_GT(S[0].Section->FFlowHeight, 0);
  }
}

// A preformatted line needs its full width, so tables and floats around it give it room.
TEST(BuilderPre, ALineNeedsItsWholeWidth) {
  TCanvas Canvas;
  TBuiltDoc Pre, Plain;
  Pre.Build("<div><pre>many short words on one line</pre></div>");
  Plain.Build("<div>many short words on one line</div>");
  int PreMin = 0, PreMax = 0, Min = 0, Max = 0;
  Pre.Body()->MyCell.Items(0)->MeasureWidths(&Canvas, PreMin, PreMax);
  Plain.Body()->MyCell.Items(0)->MeasureWidths(&Canvas, Min, Max);
  EXPECT_LT(Min, Max);
  EXPECT_EQ(PreMin, PreMax);
  EXPECT_GT(PreMin, Min);
  // Laid out far narrower, it stays one line.
  TBuiltDoc Short;
  Short.Build("<div><pre>x</pre></div>");
  int SW = 0, Curs = 0;
  Pre.Doc.LayoutCell(&Canvas, 0, 60, 600, SW, Curs);
  Short.Doc.LayoutCell(&Canvas, 0, 60, 600, SW, Curs);
  EXPECT_EQ(Sections(Pre.Doc).at(0).Section->FFlowHeight,
            Sections(Short.Doc).at(0).Section->FFlowHeight);
}

// Each character keeps its own break flag, one more for the end, when the line's text
// comes in one piece or the no-break text starts the section; laying out at any width
// reads only those.
TEST(BuilderPre, EveryCharacterHasABreakFlag) {
  for (const char* Html : {"<pre>cccccccccccccccc</pre>", "<pre>ab <b>c</b>\td</pre>",
                           "<nobr>a b</nobr> c d"}) {
    TBuiltDoc D;
    D.Build(Html);
    for (const TFoundSection& F : Sections(D.Doc)) {
      const std::string Flags = F.Section->BreakFlags();
      ASSERT_EQ(Flags.size(), F.Section->FText.size() + 1) << Html;
      if (!F.Section->FText.empty()) {
        EXPECT_EQ(Flags[0], 'n') << Html;
      }
    }
    TCanvas Canvas;
    for (const int Width : {1, 30, 800}) {
      int SW = 0, Curs = 0;
      D.Doc.LayoutCell(&Canvas, 0, Width, 600, SW, Curs);
    }
  }
}

TEST(BuilderPre, TabsAdvanceToTheNextMultipleOfEightColumns) {
  struct TCase {
    const char* Source;
    std::vector<std::string> Lines;
  };
  const std::string Sp8(8, ' ');
  const TCase Cases[] = {
      {"<PRE>a\tb\n\tc\nabcdefgh\ti\na\t\tb</PRE>",
       {"a       b", Sp8 + "c", "abcdefgh" + Sp8 + "i", "a       " + Sp8 + "b"}},
      {"<PRE>ab<B>c</B>\td &lt;\tx</PRE>", {"abc     d <     x"}},
      {"<PRE>x<BR>\ty</PRE>", {"x", Sp8 + "y"}},
      {"outside\tpre", {"outside pre"}},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Source);
    std::vector<std::string> Lines;
    for (const TFoundSection& F : Sections(D.Doc))
      if (!F.Section->FText.empty()) Lines.push_back(F.Section->FText);
    EXPECT_EQ(Lines, C.Lines) << C.Source;
  }
  TSectionList Doc{nullptr, nullptr};
  Doc.ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                    0xFF0000, 0, 12);
  ParseTextDocument("a\tb\n1234567\t8", &Doc);
  const auto S = Sections(Doc);
  ASSERT_EQ(S.size(), 2u);
  EXPECT_EQ(S[0].Section->FText, "a       b");
  EXPECT_EQ(S[1].Section->FText, "1234567 8");
}

// Every space a tab becomes maps back to the tab; the text after it keeps its offsets.
TEST(BuilderPre, SpacesOfATabMapToTheTabInTheSource) {
  TBuiltDoc D;
  D.Build("<PRE>a\tbc</PRE>");  // a at 5, the tab at 6, b at 7
  const auto S = LaidOutLines(D.Doc);
  ASSERT_FALSE(S.empty());
  TSection& Line = *S[0].Section;
  ASSERT_EQ(Line.FText, "a       bc");
  const int P = Line.FStartPos;
  EXPECT_EQ(Line.DocToSourcePos(P), 5);
  for (int I = 1; I <= 7; ++I) EXPECT_EQ(Line.DocToSourcePos(P + I), 6) << I;
  EXPECT_EQ(Line.DocToSourcePos(P + 8), 7);
  EXPECT_EQ(Line.DocToSourcePos(P + 9), 8);
  EXPECT_EQ(Line.SourceToDocPos(7, false), P + 8);
  EXPECT_EQ(Line.SourceToDocPos(8, true), P + 9);
  const int Tab = Line.SourceToDocPos(6, false);
  EXPECT_GE(Tab, P + 1);
  EXPECT_LE(Tab, P + 7);
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

namespace {

// Style changes at the very start or end of a paragraph leave no run without characters.
TEST(BuilderRuns, RunsWithoutCharactersAreDropped) {
  TBuiltDoc D;
  D.Build("<p><b>bold</b> rest <a href=\"x.html\">link</a></p><p>last <i></i></p>");
  const auto S = Sections(D.Doc);
  ASSERT_EQ(S.size(), 2u);
  const TFontList& Runs = S[0].Section->FFontRuns;
  ASSERT_EQ(Runs.Count(), 3);
  EXPECT_TRUE(Runs[0]->FFont->Bold);
  EXPECT_EQ(Runs[0]->FPos, 0);
  EXPECT_EQ(Runs[2]->Target().URL, "x.html");
  EXPECT_EQ(S[1].Section->FFontRuns.Count(), 1);
  ASSERT_EQ(D.Doc.LinkRuns.size(), 1u);
  EXPECT_EQ(D.Doc.LinkRuns[0], static_cast<TDocFontRun*>(Runs[2]));
}

}  // namespace
