// Block boxes as layout places them: collapsed vertical margins, padding, borders and
// widths, hidden and undisplayed blocks, positioned blocks and rules.
#include <gtest/gtest.h>

#include <string>

#include "document/blocks/horz_line.h"
#include "tests/document/layout_test_util.h"
#include "toolkit/graphics/screen.h"

namespace {

// The space between "first" and "second" beyond what it is in Zero, where no margin
// separates them.
int Gap(const std::string& Html, const std::string& Zero) {
  TLaidOut L(Html), Z(Zero);
  return (L.TopOf("second") - L.TopOf("first")) - (Z.TopOf("second") - Z.TopOf("first"));
}

TEST(BlockMargins, AdjacentVerticalMarginsCollapse) {
  struct TCase {
    const char* Html;
    int Gap;
    const char* Zero = "<div>first</div><div>second</div>";
  } Cases[] = {
      {"<p>first</p><p>second</p>", 14},
      {"<p title=t>first</p><p title=t>second</p>", 14},
      {"<h2>first</h2><h2>second</h2>", 19,
       "<h2 style='margin:0'>first</h2><h2 style='margin:0'>second</h2>"},
      {"<h2>first</h2><p>second</p>", 19, "<h2 style='margin:0'>first</h2><div>second</div>"},
      {"<p style='margin-bottom:30px'>first</p><p>second</p>", 30},
      {"<p style='margin-bottom:3px'>first</p><p style='margin-top:5px'>second</p>", 5},
      {"<p style='margin-bottom:20px'>first</p><p style='margin-top:-8px'>second</p>", 12},
      {"<p style='margin-bottom:-4px'>first</p><p style='margin-top:-9px'>second</p>", -9},
      {"<div style='margin-bottom:20px'>first</div><div style='margin-top:25px'>second</div>",
       25},
      // The last paragraph's default spacing passes to its division, and then collapses.
      {"<div><p>first</p></div><p>second</p>", 14},
      // Text between blocks keeps both margins apart.
      {"<p>first</p>second", 14},
  };
  for (const TCase& C : Cases) EXPECT_EQ(Gap(C.Html, C.Zero), C.Gap) << C.Html;
}

// A vertical margin in percent counts against the width of the enclosing element that
// gives one, against a nominal 400 pixels when none does.
TEST(BlockMargins, PercentVerticalMarginsCountAgainstTheContainingWidth) {
  const struct {
    const char* Html;
    int Gap;
  } Cases[] = {
      {"<div style='width:200px'>first<p style='margin:12% 0'>x</p>second</div>", 48},
      // Through a division without a width of its own, to one in inches (192 pixels).
      {"<div style='width:2in'>first<div><p style='margin:25% 0'>x</p></div>second</div>", 96},
      {"<div style='width:50%'>first<p style='margin:10% 0'>x</p>second</div>", 80},
      {"<div>first<p style='margin:10% 0'>x</p>second</div>", 80},
  };
  for (const auto& C : Cases) {
    TLaidOut L(C.Html), Zero("<div>first<p style='margin:0'>x</p>second</div>");
    EXPECT_EQ((L.TopOf("second") - L.TopOf("first")) - (Zero.TopOf("second") - Zero.TopOf("first")),
              C.Gap)
        << C.Html;
  }
}

TEST(BlockMargins, FirstParagraphLosesItsDefaultTopMarginInsideADivisionOnly) {
  TLaidOut InBody("<p>para</p>");
  TLaidOut Bare("para");
  EXPECT_EQ(InBody.TopOf("para"), Bare.TopOf("para") + TBlock::ParagraphMargin);
  TLaidOut InDiv("<div><p>para</p></div>");
  EXPECT_EQ(InDiv.TopOf("para"), Bare.TopOf("para"));
  TLaidOut Given("<div><p style='margin-top:6px'>para</p></div>");
  EXPECT_EQ(Given.TopOf("para"), Bare.TopOf("para") + 6);
}

// In a standards document the first paragraph keeps its margin: it collapses through a
// division that has no border or padding on top, so only what exceeds the division's own
// margin shows, and stays whole inside one that has.
TEST(BlockMargins, StandardsDocumentsCollapseTheFirstMarginThroughTheBox) {
  const std::string Strict = "<!DOCTYPE html>";
  struct TCase {
    const char* Body;
    int Below;  // how far "para" sits below where it sits in "x<div>para</div>"
  } Cases[] = {
      {"x<div><p>para</p></div>", TBlock::ParagraphMargin},
      {"x<div style='margin-top:5px'><p>para</p></div>", TBlock::ParagraphMargin},
      {"x<div style='margin-top:30px'><p>para</p></div>", 30},
      {"x<div style='padding-top:2px'><p>para</p></div>", TBlock::ParagraphMargin + 2},
      {"x<div><div><p>para</p></div></div>", TBlock::ParagraphMargin},
      {"x<div style='margin-top:30px'><div><p>para</p></div></div>", 30},
      {"x<div style='margin-top:30px'><p style='margin-top:40px'>para</p></div>", 40},
  };
  const int Base = TLaidOut(Strict + "x<div>para</div>").TopOf("para");
  for (const TCase& C : Cases)
    EXPECT_EQ(TLaidOut(Strict + C.Body).TopOf("para") - Base, C.Below) << C.Body;
  // Without the doctype the first paragraph sits at the division's top.
  EXPECT_EQ(TLaidOut("x<div><p>para</p></div>").TopOf("para"),
            TLaidOut("x<div>para</div>").TopOf("para"));
}

// The first margin collapsed through open tops stands above all those boxes: their
// content (and backgrounds) start where the paragraph does; a closed top keeps it inside.
TEST(BlockMargins, BoxesWhoseTopsAdjoinStartTogetherBelowTheCollapsedMargin) {
  const std::string Strict = "<!DOCTYPE html>";
  const struct {
    std::string Html;
    int Inside;  // how far below the top of the innermost division's content "para" starts
  } Cases[] = {
      {Strict + "x<div><p style='margin-top:30px'>para</p></div>", 0},
      {Strict + "x<div style='margin-top:10px'><div><p style='margin-top:30px'>para</p></div></div>",
       0},
      {Strict + "x<div style='margin-top:40px'><div><p style='margin-top:30px'>para</p></div></div>",
       0},
      {Strict + "x<div style='padding-top:1px'><p style='margin-top:30px'>para</p></div>", 30},
  };
  for (const auto& C : Cases) {
    TLaidOut L(C.Html);
    for (auto& F : Sections(L.D.Doc)) {
      if (F.Section->FText.find("para") == std::string::npos) continue;
      ASSERT_GE(F.Blocks.size(), 2u) << C.Html;
      // Every division around it, the body last.
      for (size_t I = 0; I + 1 < F.Blocks.size(); ++I)
        EXPECT_EQ(F.Section->FLayoutY - F.Blocks[I]->FContentTop, I == 0 ? C.Inside : 0)
            << C.Html << " " << I;
    }
  }
}

// In a standards document the last block's bottom margin collapses through a division
// that has no border, padding or height below, with the margin of the block after it.
TEST(BlockMargins, StandardsDocumentsCollapseTheLastMarginThroughTheBox) {
  const std::string Strict = "<!DOCTYPE html>";
  const std::string Zero = "<div>first</div><div>second</div>";
  struct TCase {
    std::string Html;
    int Gap;
  } Cases[] = {
      {Strict + "<div><p style='margin:20px 0'>first</p></div><p style='margin:10px 0'>second</p>",
       20},
      {Strict + "<div><div><p style='margin:20px 0'>first</p></div></div><div>second</div>", 20},
      {Strict + "<div style='margin-bottom:25px'><p style='margin:20px 0'>first</p></div>"
                "<div>second</div>",
       25},
      {Strict + "<div><p style='margin:-6px 0'>first</p></div><p style='margin:10px 0'>second</p>",
       4},
      // Closed at the bottom: the margin stays inside the box.
      {Strict + "<div style='padding-bottom:1px'><p style='margin:20px 0'>first</p></div>"
                "<p style='margin:10px 0'>second</p>",
       31},
      // Older documents keep the margins of both.
      {"<div><p style='margin:20px 0'>first</p></div><p style='margin:10px 0'>second</p>", 30},
  };
  for (const TCase& C : Cases) EXPECT_EQ(Gap(C.Html, Zero), C.Gap) << C.Html;
}

// In a standards document a box closed at the bottom keeps its last paragraph's default
// margin inside it (the box is taller by it); an open one, and older documents, move it out
// to the box's own bottom margin.
TEST(BlockMargins, AClosedBoxKeepsTheDefaultMarginOfItsLastParagraph) {
  const std::string Strict = "<!DOCTYPE html>";
  struct TCase {
    std::string Html;
    int OwnBottom;
  } Cases[] = {
      {Strict + "<div style='padding-bottom:1px'><p>first</p></div>", 0},
      {Strict + "<div style='border-bottom:2px solid'><p>first</p></div>", 0},
      {Strict + "<div style='float:left'><p>first</p></div>", 0},
      {Strict + "<div><p>first</p></div>", TBlock::ParagraphMargin},
      {"<div style='padding-bottom:1px'><p>first</p></div>", TBlock::ParagraphMargin},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    TBlock* Box = nullptr;
    TCellBasic& Body = L.D.Body()->MyCell;
    for (int I = 0; I < Body.Count() && !Box; ++I) Box = dynamic_cast<TBlock*>(Body.Items(I));
    ASSERT_NE(Box, nullptr) << C.Html;
    EXPECT_EQ(Box->MargArray[piMarginBottom - BoxFirst], C.OwnBottom) << C.Html;
  }
}

// A float stands below the bottom margin of the block before it in a standards document,
// though the block after the float takes that margin into its own.
TEST(BlockMargins, AFloatStandsBelowTheMarginOfTheBlockBefore) {
  const std::string Float = "<div style='float:left'>second</div><div>third</div>";
  const std::string Zero = "<div>first</div>" + Float;
  const std::string Spaced = "<div style='margin-bottom:20px'>first</div>" + Float;
  EXPECT_EQ(Gap("<!DOCTYPE html>" + Spaced, Zero), 20);
  EXPECT_EQ(Gap("<!DOCTYPE html><p>first</p>" + Float, Zero), TBlock::ParagraphMargin);
  EXPECT_EQ(Gap(Spaced, Zero), 0);
}

// In a standards document the margins of two paragraphs meet across a line of nothing but
// floats between them, as though it were not there.
TEST(BlockMargins, MarginsMeetAcrossALineOfFloatsOnly) {
  const std::string Floats = "<img style='float:left' width=10 height=10 alt=''>";
  const std::string Spaced = "<p style='margin:20px 0'>first</p>" + Floats +
                             "<p style='margin:20px 0'>second</p>";
  const std::string Zero = "<div>first</div>" + Floats + "<div>second</div>";
  EXPECT_EQ(Gap("<!DOCTYPE html>" + Spaced, "<!DOCTYPE html>" + Zero), 20);
  EXPECT_EQ(Gap(Spaced, Zero), 40);
}

// A cleared block's top margin lies within the clearance in a standards document: the
// block's border edge goes just below the float unless the margin puts it lower.
TEST(BlockMargins, ClearanceTakesInTheTopMargin) {
  auto Top = [](const std::string& Doctype, int Margin) {
    return TLaidOut(Doctype + "<div style='float:left;width:10px;height:100px'></div>"
                              "<div style='clear:left;margin-top:" +
                    std::to_string(Margin) + "px'>second</div>")
        .TopOf("second");
  };
  const std::string Strict = "<!DOCTYPE html>";
  EXPECT_EQ(Top(Strict, 20), Top(Strict, 0));
  EXPECT_EQ(Top(Strict, 300), Top(Strict, 0) + 300 - 100);
  EXPECT_EQ(Top("", 20), Top("", 0) + 20);
}

// A cleared division's first child collapses its top margin through the division into the
// clearance in a standards document, whatever the child and with blanks before it; an older
// document keeps a given margin inside the box and drops a default one, as in any box.
TEST(BlockMargins, ClearanceTakesInTheFirstChildsTopMargin) {
  const std::string Float = "<div style='float:left;width:10px;height:100px'></div>";
  auto Top = [&](const std::string& Doctype, const std::string& Child) {
    return TLaidOut(Doctype + Float + "<div style='clear:both'>\n " + Child + "\n</div>")
        .TopOf("second");
  };
  const std::string Strict = "<!DOCTYPE html>";
  const std::string Bare = "<div>second</div>";
  const struct {
    std::string Child;
    int Below;  // how far below a child without a margin, in a standards document
  } Cases[] = {
      {"<p style='margin-top:10px'>second</p>", 0},
      {"<p>second</p>", 0},
      {"<div style='margin-top:10px'><p style='margin-top:20px'>second</p></div>", 0},
      {"<table style='margin-top:10px;border-spacing:0'><tr><td style='padding:0'>second</table>",
       0},
      // A margin deeper than the floats shows only what exceeds them.
      {"<p style='margin-top:130px'>second</p>", 30},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(Top(Strict, C.Child) - Top(Strict, Bare), C.Below) << C.Child;
  EXPECT_EQ(Top("", "<p style='margin-top:10px'>second</p>"), Top("", Bare) + 10);
  EXPECT_EQ(Top("", "<p>second</p>"), Top("", Bare));
}

// A body whose margins a style gives collapses them with its first and last blocks' in a
// standards document; the viewer's page margins and older documents keep both.
TEST(BlockMargins, AStyledBodyCollapsesItsMarginsWithItsContent) {
  const std::string Strict = "<!DOCTYPE html>";
  const std::string Styled = "<style>body { margin: 25px }</style><body>";
  const struct {
    std::string Html;
    int Top;     // of the text
    int Bottom;  // of the body's content below the text's bottom
  } Cases[] = {
      {Strict + Styled + "<p>para</p>", 25, 0},
      {Strict + Styled + "<p style='margin:40px 0'>para</p>", 40, 0},
      {Strict + "<style>body { margin: 0 25px }</style><body><p>para</p>", TBlock::ParagraphMargin,
       0},
      {Styled + "<p>para</p>", 25 + TBlock::ParagraphMargin, TBlock::ParagraphMargin},
  };
  for (const auto& C : Cases) {
    TLaidOut L(C.Html);
    TSection* S = L.SectionOf("para");
    ASSERT_NE(S, nullptr) << C.Html;
    EXPECT_EQ(L.TopOf("para"), C.Top) << C.Html;
    EXPECT_EQ(L.D.Body()->FBlockBottom - (S->FLayoutY + S->FLines[0].Advance()), C.Bottom)
        << C.Html;
  }
  // The page margins stay apart from the first paragraph's spacing.
  TLaidOut Plain(Strict + "<body><p>para</p>"), Quirks("<body><p>para</p>");
  EXPECT_EQ(Plain.TopOf("para"), Quirks.TopOf("para"));
}

// A box's em is its own font's, whatever font its parent has.
TEST(BlockBoxes, EmLengthsCountInTheBoxsOwnFont) {
  struct TCase {
    const char* Html;
    const char* Same;
  } Cases[] = {
      {"<div style='font-size:32px; padding-left:2em'>text</div>",
       "<div style='font-size:32px'><div style='padding-left:2em'>text</div></div>"},
      {"<div style='font-size:8px; margin-left:3em'>text</div>",
       "<div style='font-size:8px'><div style='margin-left:3em'>text</div></div>"},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html), Same(C.Same), Bare("text");
    EXPECT_EQ(L.LeftOf("text"), Same.LeftOf("text")) << C.Html;
    EXPECT_GT(L.LeftOf("text") - Bare.LeftOf("text"), 20) << C.Html;
  }
}

TEST(BlockBoxes, HiddenBlocksKeepTheirRoomAndUndisplayedOnesTakeNone) {
  const char* Zero = "<p>first</p><p>second</p>";
  EXPECT_EQ(Gap("<p>first</p><div style='display:none'>gone<br>gone</div><p>second</p>", Zero), 0);
  EXPECT_EQ(Gap("<p>first</p><div style='visibility:hidden'>gone<br>gone</div><p>second</p>",
                "<p>first</p><div>gone<br>gone</div><p>second</p>"),
            0);
  TLaidOut L("<p>first</p><div style='display:none'>gone</div><p>second</p>");
  EXPECT_EQ(L.D.Doc.FindText("gone", 0, false), -1);
  EXPECT_GE(L.D.Doc.FindText("second", 0, false), 0);
}

// Absurd lengths neither wrap the page's coordinates round nor make it shorter: the page
// stops growing far down instead.
TEST(BlockBoxes, HugeLengthsStopThePageInsteadOfWrapping) {
  std::string Html = "<p>first";
  for (int I = 0; I < 3000; ++I)
    Html += "<div style='margin:99999999999px 0;padding:5000em 0;border:9999999px solid'>x</div>";
  Html += "<p>last";
  TBuiltDoc D;
  D.Build(Html);
  TCanvas Canvas;
  int SW = 0, Curs = 0;
  const int Height = D.Doc.LayoutCell(&Canvas, 0, 600, 600, SW, Curs);
  EXPECT_GT(Height, 1 << 29);
  EXPECT_LE(Height, (1 << 30) + 3 * 200 * MaxLengthPixels);
  for (auto& F : Sections(D.Doc)) EXPECT_GE(F.Section->FLayoutY, 0);
}

TEST(BlockBoxes, MeasuredWidthsCountTheBoxAndAGivenWidth) {
  struct TCase {
    const char* Html;
    int ExtraMin, ExtraMax;  // beyond the plain division's
    bool FixedMax;           // the widest is the narrowest
  } Cases[] = {
      {"<div style='padding:0 4px; margin-left:6px; border-right:solid 3px'>text here</div>", 17,
       17, false},
      {"<div style='width:400px'>text here</div>", -1, -1, true},
      {"<div style='width:50%; margin:auto'>text here</div>", 0, 0, false},
  };
  TCanvas Canvas;
  TBuiltDoc Plain;
  Plain.Build("<div>text here</div>");
  int PlainMin = 0, PlainMax = 0;
  Plain.Body()->MyCell.Items(0)->MeasureWidths(&Canvas, PlainMin, PlainMax);
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    int Min = 0, Max = 0;
    D.Body()->MyCell.Items(0)->MeasureWidths(&Canvas, Min, Max);
    if (C.FixedMax) {
      EXPECT_EQ(Min, 400) << C.Html;
      EXPECT_EQ(Max, 400) << C.Html;
    } else {
      EXPECT_EQ(Min - PlainMin, C.ExtraMin) << C.Html;
      EXPECT_EQ(Max - PlainMax, C.ExtraMax) << C.Html;
    }
  }
}

TEST(BlockBoxes, PaddingBordersAndWidthsPlaceTheContent) {
  TLaidOut Bare("<div>text</div>");
  const int Top = Bare.TopOf("text"), Left = Bare.LeftOf("text");
  struct TCase {
    const char* Html;
    int DX, DY;
  } Cases[] = {
      {"<div style='padding:7px 0 0 9px'>text</div>", 9, 7},
      {"<div style='border:solid 3px; padding:2px'>text</div>", 5, 5},
      {"<div style='border-left:solid'>text</div>", 4, 0},  // medium is 4 pixels
      {"<div style='border-left:solid thin'>text</div>", 2, 0},
      {"<div style='border-left:thick solid'>text</div>", 6, 0},
      {"<div style='border-width:5px'>text</div>", 0, 0},   // no style, no border
      {"<div style='border-top:dotted 1px; margin-left:12px'>text</div>", 12, 1},
      {"<div style='width:200px; margin-left:auto; margin-right:auto'>text</div>", 190, 0},
      {"<div style='width:100px; margin-left:auto'>text</div>", 480, 0},
      {"<div style='width:50%; margin-left:auto; margin-right:auto'>text</div>", 145, 0},
      {"<div style='width:50%; margin-left:auto'>text</div>", 290, 0},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    EXPECT_EQ(L.LeftOf("text") - Left, C.DX) << C.Html;
    EXPECT_EQ(L.TopOf("text") - Top, C.DY) << C.Html;
  }
}

// A relative block is moved by its offsets and leaves the flow where it was.
TEST(Positioning, RelativeBlocksMoveWithoutMovingWhatFollows) {
  TLaidOut Static("<p>a</p><div>b</div><p>c</p>");
  struct TCase {
    const char* Html;
    int DY;  // of "b"; "c" stays
  } Cases[] = {
      {"<p>a</p><div style='position:relative;top:20px'>b</div><p>c</p>", 20},
      {"<p>a</p><div style='position:relative;top:-7px;left:30px'>b</div><p>c</p>", -7},
      {"<p>a</p><div style='position:relative'>b</div><p>c</p>", 0},
      {"<p>a</p><div style='top:20px'>b</div><p>c</p>", 0},  // static: offsets do nothing
      {"<p>a</p><div style='position:relative;bottom:12px'>b</div><p>c</p>", -12},
      {"<p>a</p><div style='position:relative;bottom:-9px;right:30px'>b</div><p>c</p>", 9},
      {"<p>a</p><div style='position:relative;top:5px;bottom:12px'>b</div><p>c</p>", 5},
      {"<p>a</p><div style='position:relative;bottom:auto'>b</div><p>c</p>", 0},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    EXPECT_EQ(L.TopOf("b") - Static.TopOf("b"), C.DY) << C.Html;
    EXPECT_EQ(L.TopOf("c"), Static.TopOf("c")) << C.Html;
  }
  // Moved above the place the flow has reached, its text keeps the box's margin.
  TLaidOut Indented("<p>a</p><div style='margin-left:40px'>b</div>");
  TLaidOut Raised("<p>a</p><div style='position:relative;top:-30px;margin-left:40px'>b</div>");
  EXPECT_EQ(Raised.LeftOf("b"), Indented.LeftOf("b"));
}

// An absolute block stands at its offsets from the nearest positioned box's padding box
// (the page's corner when none), takes no room and shrinks to its content.
TEST(Positioning, AbsoluteBlocksStandAtTheirOffsetsOutOfTheFlow) {
  TLaidOut Corner("<div style='position:absolute;top:0;left:0'>b</div>");
  const TPoint Origin = Corner.PointOf("b");
  struct TCase {
    const char* Html;
    const char* Without;  // the same flow without the absolute block
    int DX, DY;           // of "b" from Origin, beyond the reference box's padding corner
    bool InFirstBlock;    // the reference is the first block in the body, not the page
  } Cases[] = {
      {"<p>a</p><div style='position:absolute;top:100px;left:50px'>b</div><p>c</p>",
       "<p>a</p><p>c</p>", 50, 100, false},
      // A fixed box stands as an absolute one does (and scrolls with the page).
      {"<p>a</p><div style='position:fixed;top:100px;left:50px'>b</div><p>c</p>",
       "<p>a</p><p>c</p>", 50, 100, false},
      {"<div style='position:relative;margin-left:30px;padding:5px;border:solid 2px'>"
       "<div style='position:absolute;top:10px;left:20px'>b</div>x</div><p>c</p>",
       "<div style='position:relative;margin-left:30px;padding:5px;border:solid 2px'>"
       "x</div><p>c</p>",
       20, 10, true},
      {"<div style='position:absolute;left:40px;top:20px;padding:0 5px;border:solid 1px'>"
       "<div style='position:absolute;top:10px;left:20px'>b</div></div><p>c</p>",
       "<p>c</p>", 40 + 1 + 20, 20 + 1 + 10, false},
      // Above the place the flow has reached: its text stands in the box all the same.
      {"<p style='margin-top:100px'>a</p>"
       "<div style='position:absolute;left:300px;top:5px;width:200px'>b</div><p>c</p>",
       "<p style='margin-top:100px'>a</p><p>c</p>", 300, 5, false},
      {"<p style='margin-top:100px'>a</p>"
       "<div style='position:fixed;left:300px;top:5px'>b</div><p>c</p>",
       "<p style='margin-top:100px'>a</p><p>c</p>", 300, 5, false},
      {"<p style='margin-top:100px'>a</p><div style='position:absolute;left:300px;top:5px'>"
       "<div style='position:absolute;left:20px;top:10px'>b</div></div><p>c</p>",
       "<p style='margin-top:100px'>a</p><p>c</p>", 320, 15, false},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html), W(C.Without);
    EXPECT_EQ(L.TopOf("c"), W.TopOf("c")) << C.Html;
    int RefX = 0, RefY = 0;
    if (C.InFirstBlock) {
      const auto* Ref = static_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
      RefX = Ref->FContentLeft - Ref->MargArray[piPaddingLeft - BoxFirst];
      RefY = Ref->FContentTop - Ref->MargArray[piPaddingTop - BoxFirst];
      EXPECT_EQ(RefX, L.D.Body()->FContentLeft + 30 + 2);
    }
    EXPECT_EQ(L.LeftOf("b") - Origin.X, RefX + C.DX) << C.Html;
    EXPECT_EQ(L.TopOf("b") - Origin.Y, RefY + C.DY) << C.Html;
  }
  TLaidOut Shrunk("<div style='position:absolute;top:0;left:500px'>some words here</div>");
  const auto* Box = static_cast<TBlock*>(Shrunk.D.Body()->MyCell.Items(0));
  EXPECT_LT(Box->FContentWidth, 100);  // the room right of 500
  TLaidOut Far("<p>a</p><div style='position:absolute;top:2000px'>far</div>");
  int SW = 0, Curs = 0;
  EXPECT_GT(Far.D.Doc.LayoutCell(&Far.Canvas, 0, 600, 600, SW, Curs), Far.TopOf("far"));
}

// With an auto left, a right offset puts the margin box's right edge that far inside the
// reference's padding box (the page when there is none); a given left wins.
TEST(Positioning, AbsoluteBlocksStandFromTheRightEdge) {
  TLaidOut Corner("<div style='position:absolute;top:0;left:0'>b</div>");
  const int OriginX = Corner.LeftOf("b");
  const std::string Ref = "<div style='position:relative;margin:0 50px;padding:5px;border:solid 2px'>";
  const struct {
    std::string Html;
    bool InFirstBlock;  // the reference is the first block in the body, not the page
    int FromRight;      // of the margin box's left from the reference's right edge
  } Cases[] = {
      {"<div style='position:absolute;top:0;right:20px;width:100px'>b</div>", false, 120},
      {"<div style='position:absolute;top:0;right:10%;width:100px'>b</div>", false, 160},
      {Ref + "<div style='position:absolute;top:0;right:10px;width:100px;margin-right:4px'>b"
             "</div>x</div>",
       true, 114},
  };
  for (const auto& C : Cases) {
    TLaidOut L(C.Html);
    int RefRight = 600;
    if (C.InFirstBlock) {
      const auto* R = static_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
      RefRight = R->FContentLeft + R->FContentWidth + R->MargArray[piPaddingRight - BoxFirst];
    }
    EXPECT_EQ(L.LeftOf("b") - OriginX, RefRight - C.FromRight) << C.Html;
  }
  TLaidOut Both("<div style='position:absolute;top:0;left:30px;right:10px;width:100px'>b</div>");
  EXPECT_EQ(Both.LeftOf("b") - OriginX, 30);
}

// With an auto top, a bottom offset puts the margin box's bottom edge that far inside the
// reference's padding box, once the reference's height is known (the page's reference is
// the window, 600 pixels tall here); a given top wins, and the flow is as without the box.
TEST(Positioning, AbsoluteBlocksStandFromTheBottomEdge) {
  TLaidOut Corner("<div style='position:absolute;top:0;left:0'>b</div>");
  const int OriginY = Corner.TopOf("b");
  const std::string Ref =
      "<div style='position:relative;padding:5px;border:solid 2px;height:200px'>";
  const struct {
    std::string Html, Without;
    bool InFirstBlock;  // the reference is the first block in the body, not the page
    int Top;            // of the margin box from the reference's padding top
  } Cases[] = {
      {"<p>a</p><div style='position:absolute;bottom:0;left:0;height:50px'>b</div><p>c</p>",
       "<p>a</p><p>c</p>", false, 550},
      {Ref + "<div style='position:absolute;bottom:10px;height:30px'>b</div>x</div><p>c</p>",
       Ref + "x</div><p>c</p>", true, 210 - 10 - 30},
      {Ref + "<div style='position:absolute;bottom:10%;height:30px;margin-bottom:4px'>b</div>"
             "x</div><p>c</p>",
       Ref + "x</div><p>c</p>", true, 210 - 21 - 4 - 30},
      {Ref + "<div style='position:absolute;top:5px;bottom:10px;height:30px'>b</div>x</div>",
       "", true, 5},
      {"<div style='position:absolute;top:100px;left:0;height:100px'>"
       "<div style='position:absolute;bottom:0;left:0;height:20px'>b</div></div><p>c</p>",
       "<p>c</p>", false, 180},
  };
  for (const auto& C : Cases) {
    TLaidOut L(C.Html), W(C.Without);
    int RefY = 0;
    if (C.InFirstBlock) {
      const auto* R = static_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
      RefY = R->FContentTop - R->MargArray[piPaddingTop - BoxFirst];
    }
    EXPECT_EQ(L.TopOf("b") - OriginY, RefY + C.Top) << C.Html;
    if (!C.Without.empty()) {
      EXPECT_EQ(L.TopOf("c"), W.TopOf("c")) << C.Html;
    }
  }
  // Before the content that makes the reference's height, the box still ends with it; it
  // is hit and painted where it stands.
  TLaidOut L("<div style='position:relative'><div style='position:absolute;bottom:0'>b</div>"
             "<p style='margin:0'>x</p><p style='margin:0'>y</p></div>");
  EXPECT_EQ(L.TopOf("b"), L.TopOf("y"));
  const TPoint B = L.PointOf("b");
  int XR = 0, YR = 0, CaretHt = 0;
  bool InText = false;
  EXPECT_EQ(L.D.Doc.PositionAtPoint(&L.Canvas, B.X - 1, B.Y + 2, XR, YR, CaretHt, InText),
            L.SectionOf("b")->FStartPos + 1);
  TPainted P("<div style='position:relative;height:200px'><div style='position:absolute;"
             "bottom:0;left:0;width:50px;height:50px;background:#ff0000'></div></div>");
  const auto* R = static_cast<TBlock*>(P.L.D.Body()->MyCell.Items(0));
  EXPECT_EQ(P.At(R->FContentLeft + 25, R->FContentTop + 175), ColorToRGB(clRed) & 0xFFFFFF);
  EXPECT_NE(P.At(R->FContentLeft + 25, R->FContentTop + 25), ColorToRGB(clRed) & 0xFFFFFF);
}

// A body with a given width keeps it: its paragraphs wrap there even when a PRE or a table
// further down is wider, which overflows alone and widens the page's scroll range.
TEST(BlockBoxes, ABodyOfAGivenWidthIsNotWidenedByWhatItHolds) {
  std::string Words;
  for (int I = 0; I < 60; ++I) Words += " w" + std::to_string(I);
  const std::string Wide(150, 'x');
  // Where the paragraph's last character stands.
  auto EndOf = [](TLaidOut& L) {
    const TSection* S = L.SectionOf("w59");
    TPoint P{-1, -1};
    if (S) L.D.Doc.PositionToPoint(&L.Canvas, S->FStartPos + S->Len() - 1, P.X, P.Y);
    return P;
  };
  for (const char* BodyWidth : {"50%", "95%", "300px"}) {
    const std::string Head = std::string("<style>body { width: ") + BodyWidth + " }</style><body>";
    TLaidOut Plain(Head + "<p>" + Words + "</p>");
    for (const std::string& Below : {"<pre>" + Wide + "</pre>",
                                     "<table><tr><td>" + Wide + "</td></tr></table>"}) {
      const std::string Html = Head + "<p>" + Words + "</p>" + Below;
      TLaidOut L(Html);
      const TPoint End = EndOf(L), PlainEnd = EndOf(Plain);
      EXPECT_EQ(End.X, PlainEnd.X) << Html;
      EXPECT_EQ(End.Y, PlainEnd.Y) << Html;
      EXPECT_GT(End.Y, L.TopOf("w0")) << Html;  // wrapped
      int SW = 0, Curs = 0;
      L.D.Doc.LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs);
      EXPECT_GT(SW, 600) << Html;
    }
  }
}

// A preformatted element without text is as high as its font's point size; the line end
// that ends a preformatted text adds no room.
TEST(Preformatted, AnEmptyElementTakesItsFontsPointSize) {
  const std::string Zero = "<div>first</div><div>second</div>";
  auto Between = [](const std::string& Pre) {
    return "<div>first</div><pre style='margin:0;font-size:" + Pre + "</pre><div>second</div>";
  };
  struct TCase {
    const char* Pre;  // the font size, the end of the start tag and the text
    int Room;
  } Cases[] = {
      {"20pt'>", 20},
      {"20pt'>\n", 20},
      {"9pt'>", 9},
      {"9pt'><b></b>", 9},
  };
  for (const TCase& C : Cases) EXPECT_EQ(Gap(Between(C.Pre), Zero), C.Room) << C.Pre;
  EXPECT_EQ(Gap(Between("20pt'>x\n"), Zero), Gap(Between("20pt'>x"), Zero));
  EXPECT_GT(Gap(Between("20pt'>x"), Zero), 20);
}

// A preformatted line is never wrapped: one longer than the page widens its scroll range by
// all of its width, in the body or deeper.
TEST(Preformatted, ALongLineWidensTheScrollRange) {
  const std::string Wide(150, 'x');
  for (const std::string& Html : {"<pre>" + Wide + "</pre>", "<div><pre>" + Wide + "</pre></div>",
                                  "<pre>a\n" + Wide + "\nb</pre>"}) {
    TLaidOut L(Html);
    TSection* Line = L.SectionOf(Wide);
    ASSERT_NE(Line, nullptr) << Html;
    int Min = 0, Max = 0;
    Line->MeasureWidths(&L.Canvas, Min, Max);
    ASSERT_GT(Max, 600) << Html;
    int SW = 0, Curs = 0;
    L.D.Doc.LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs);
    EXPECT_GE(SW, Max) << Html;
  }
}

TEST(Rules, SizeWidthAndAlignmentPlaceTheLine) {
  struct TCase {
    const char* Html;
    int Left, Width, Height;  // the line's, in the body's 580-pixel content
  } Cases[] = {
      {"<hr>", 0, 580, 2},
      {"<hr size=6 width=50%>", 145, 290, 6},
      {"<hr size=0 width=50% align=left>", 0, 290, 2},
      {"<hr size=25 width=100 align=right>", 480, 100, 2},
      {"<hr width=250% style='text-align:right'>", 0, 580, 2},
      {"<hr width=100 style='width:200px; height:3px'>", 190, 200, 3},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    THRBlock* Rule = nullptr;
    for (int I = 0; I < L.D.Body()->MyCell.Count() && !Rule; ++I)
      Rule = dynamic_cast<THRBlock*>(L.D.Body()->MyCell.Items(I));
    ASSERT_NE(Rule, nullptr) << C.Html;
    EXPECT_EQ(Rule->FContentOffset + Rule->FLine->FLineLeft, C.Left) << C.Html;
    EXPECT_EQ(Rule->FLine->FLineWidth, C.Width) << C.Html;
    EXPECT_EQ(Rule->FLine->FLineHeight, C.Height) << C.Html;
  }
  // Its margins collapse with the paragraphs' around it.
  EXPECT_EQ(Gap("<p>first</p><hr><p>second</p>", "<div>first</div><div>second</div>"),
            14 + 2 + 14);
}

}  // namespace

namespace {

// A percentage text-indent counts from the width of the containing block of the element
// that holds the text, not from the element's own width.
TEST(TextIndent, PercentCountsFromTheContainingBlock) {
  auto IndentOf = [](const std::string& Indented, const std::string& Plain) {
    TLaidOut A(Indented), B(Plain);
    return A.XAt("xx", 0) - B.XAt("xx", 0);
  };
  const int Page = IndentOf("<p style='text-indent:50%'>xx</p>", "<p>xx</p>");
  EXPECT_GT(Page, 250);
  EXPECT_EQ(IndentOf("<div style='width:200px;text-indent:50%'>xx</div>",
                     "<div style='width:200px'>xx</div>"),
            Page);
  EXPECT_EQ(IndentOf("<div style='width:200px'><p style='text-indent:50%'>xx</p></div>",
                     "<div style='width:200px'><p>xx</p></div>"),
            100);
  EXPECT_EQ(IndentOf("<div style='width:200px;border:solid 1px;text-indent:50%'>xx</div>",
                     "<div style='width:200px;border:solid 1px'>xx</div>"),
            Page);
}

}  // namespace
