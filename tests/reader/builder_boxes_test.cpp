// Block boxes as the builder makes them and layout places them: collapsed vertical
// margins, padding, borders and widths.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "builder_test_util.h"
#include "document/blocks/horz_line.h"
#include "document/blocks/list_item.h"
#include "toolkit/graphics/bitmap.h"

namespace {

// A document laid out Width wide, and where its texts landed.
struct TLaidOut {
  TBuiltDoc D;
  TCanvas Canvas;
  explicit TLaidOut(const std::string& Html, int Width = 600) {
    D.Build(Html);
    int SW = 0, Curs = 0;
    D.Doc.LayoutCell(&Canvas, 0, Width, 600, SW, Curs);
  }
  TSection* SectionOf(const std::string& Text) {
    for (auto& F : Sections(D.Doc))
      if (F.Section->FText.find(Text) != std::string::npos) return F.Section;
    return nullptr;
  }
  // The point after the first character of Text (a section's first position is also the
  // end of the one before).
  TPoint PointOf(const std::string& Text) {
    TSection* S = SectionOf(Text);
    EXPECT_NE(S, nullptr) << Text;
    TPoint P{-1, -1};
    if (S) D.Doc.PositionToPoint(&Canvas, S->FStartPos + 1, P.X, P.Y);
    return P;
  }
  int TopOf(const std::string& Text) { return PointOf(Text).Y; }
  int LeftOf(const std::string& Text) { return PointOf(Text).X; }
};

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

TEST(BlockMargins, FirstParagraphLosesItsDefaultTopMarginInsideADivisionOnly) {
  TLaidOut InBody("<p>para</p>");
  TLaidOut Bare("para");
  EXPECT_EQ(InBody.TopOf("para"), Bare.TopOf("para") + TBlock::ParagraphMargin);
  TLaidOut InDiv("<div><p>para</p></div>");
  EXPECT_EQ(InDiv.TopOf("para"), Bare.TopOf("para"));
  TLaidOut Given("<div><p style='margin-top:6px'>para</p></div>");
  EXPECT_EQ(Given.TopOf("para"), Bare.TopOf("para") + 6);
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

TEST(ListMarkers, TextMarkersForEveryNumber) {
  using M = TMarkerStyle;
  struct TCase {
    M Style;
    int Number;
    const char* Text;
  } Cases[] = {
      {M::Decimal, 3, "3."},         {M::Decimal, -2, "-2."},
      {M::LowerAlpha, 1, "a."},      {M::UpperAlpha, 27, "Z."},  // z stays past 26
      {M::UpperAlpha, 0, "0."},      {M::LowerRoman, 4, "iv."},
      {M::UpperRoman, 21, "XXI."},   {M::UpperRoman, 3999, "MMMCMXCIX."},
      {M::LowerRoman, 4000, "4000."}, {M::LowerRoman, 0, "0."},
      {M::Disc, 1, ""},              {M::None, 1, ""},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(TBlockLI::MarkerText(C.Style, C.Number), C.Text) << C.Number;
}

// The items of a document with their blocks, in document order.
std::vector<TBlockLI*> Items(TCellBasic& Cell) {
  std::vector<TBlockLI*> Out;
  for (int I = 0; I < Cell.Count(); ++I)
    if (auto* B = dynamic_cast<TBlock*>(Cell.Items(I))) {
      if (auto* Item = dynamic_cast<TBlockLI*>(B)) Out.push_back(Item);
      for (TBlockLI* Inner : Items(B->MyCell)) Out.push_back(Inner);
    }
  return Out;
}

TEST(ListMarkers, ListsNumberAndMarkTheirItems) {
  using M = TMarkerStyle;
  struct TCase {
    const char* Html;
    std::vector<std::pair<M, int>> Items;
  } Cases[] = {
      {"<ol><li>a<li>b</ol>", {{M::Decimal, 1}, {M::Decimal, 2}}},
      {"<ol start=5 type=A><li>a<li value=10>b<li>c</ol>",
       {{M::UpperAlpha, 5}, {M::UpperAlpha, 10}, {M::UpperAlpha, 11}}},
      {"<ol type=i><li>a</ol>", {{M::LowerRoman, 1}}},
      {"<ul><li>a<ul><li>b<ul><li>c</ul></ul></ul>", {{M::Disc, 1}, {M::Circle, 1}, {M::Square, 1}}},
      {"<ul plain><li>a</ul><ul type=none><li>b</ul>", {{M::None, 1}, {M::None, 1}}},
      {"<ul style='list-style-type:upper-roman'><li>a<li>b</ul>",
       {{M::UpperRoman, 1}, {M::UpperRoman, 2}}},
      {"<dl><dt>term<dd>definition</dl>", {{M::None, 1}, {M::None, 2}}},
      {"<li>alone", {{M::Disc, 1}}},
      // Wrong end tags of other lists are skipped; the open list goes on.
      {"<ol><li>a<ul><li>b</ol><li>c</ul><li>d</ol>",
       {{M::Decimal, 1}, {M::Circle, 1}, {M::Circle, 2}, {M::Decimal, 2}}},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    const auto Found = Items(D.Doc);
    ASSERT_EQ(Found.size(), C.Items.size()) << C.Html;
    for (size_t I = 0; I < Found.size(); ++I) {
      EXPECT_EQ(Found[I]->FMarkerStyle, C.Items[I].first) << C.Html << " " << I;
      EXPECT_EQ(Found[I]->FItemNumber, C.Items[I].second) << C.Html << " " << I;
    }
  }
}

TEST(ListLayout, ListsIndentTheirItemsAndQuotesTheirText) {
  TLaidOut Bare("<div>text</div>");
  const int Left = Bare.LeftOf("text"), Top = Bare.TopOf("text");
  struct TCase {
    const char* Html;
    const char* Text;
    int DX, DY;
  } Cases[] = {
      {"<ul><li>text</ul>", "text", 35, 14},
      {"<ul><li>one<ul><li>text</ul></ul>", "text", 70, -1},
      {"<dl><dt>one<dd>text</dl>", "text", 40, -1},
      {"<blockquote>text</blockquote>", "text", 35, 14},
      {"<li>text", "text", 16, 0},
      // A nested list right after the item's text has no space above it.
      {"<ul><li>text<ul><li>two</ul></ul>", "two", 70, 14 + 18},
  };
  TLaidOut Line("<div>one<br>two</div>");
  const int LineHeight = Line.TopOf("two") - Line.TopOf("one");
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    EXPECT_EQ(L.LeftOf(C.Text) - Left, C.DX) << C.Html;
    if (C.DY >= 0) {
      const int DY = C.DY > 14 ? 14 + LineHeight : C.DY;
      EXPECT_EQ(L.TopOf(C.Text) - Top, DY) << C.Html;
    }
  }
}

// Floats sit at a side of the 580-pixel body and what follows flows beside them.
TEST(Floats, FloatsNarrowWhatFollowsAndClearMovesBelowThem) {
  struct TCase {
    const char* Html;
    const char* Text;
    int DX, DY;  // Text's place relative to the float's text "f" (both start with an f)
  } Cases[] = {
      {"<div style='float:left;width:100px'>f</div>follow", "follow", 100, 0},
      {"<div style='float:left;width:100px'>f</div><p style='margin:0'>follow</p>", "follow", 100, 0},
      {"<div style='float:left;width:100px;margin-right:8px'>f</div><div>follow</div>", "follow", 108,
       0},
      {"<div style='float:right;width:100px'>f</div>follow", "follow", -480, 0},
      {"<div style='float:right;width:100px;padding:5px'>f</div>follow", "follow", -475, -5},
      // A second float goes beside the first; the text beside both.
      {"<div style='float:left;width:100px'>f</div><div style='float:left;width:50px'>fg</div>fz",
       "fg", 100, 0},
      {"<div style='float:left;width:100px'>f</div><div style='float:left;width:50px'>fg</div>fz",
       "fz", 150, 0},
      // A float with no room beside the one before goes below it.
      {"<div style='float:left;width:400px;height:30px'>f</div>"
       "<div style='float:left;width:300px'>fg</div>fz",
       "fg", 0, 30},
      // A float without a width is as wide as its content.
      {"<div style='float:left'>f</div>follow", "follow", -1, 0},
      // Clearing moves below the float on that side only.
      {"<div style='float:left;width:100px;height:50px'>f</div><div style='clear:left'>follow</div>",
       "follow", 0, 50},
      {"<div style='float:left;width:100px;height:50px'>f</div><div style='clear:both'>follow</div>",
       "follow", 0, 50},
      {"<div style='float:left;width:100px;height:50px'>f</div><div style='clear:right'>follow</div>",
       "follow", 100, 0},
      {"<div style='float:right;width:100px;height:50px'>f</div><p style='clear:right;margin:0'>"
       "follow</p>",
       "follow", -480, 50},
      {"<div style='float:left;width:100px;height:50px'>f</div>a<br clear=left>follow", "follow", 0, 50},
      {"<div style='float:left;width:100px;height:50px'>f</div>a<br clear=all>follow", "follow", 0, 50},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    const TPoint F = L.PointOf("f"), P = L.PointOf(C.Text);
    if (C.DX >= 0 || C.DX < -1) EXPECT_EQ(P.X - F.X, C.DX) << C.Html;
    else EXPECT_GT(P.X - F.X, 0) << C.Html;  // beside a shrunk float
    EXPECT_EQ(P.Y - F.Y, C.DY) << C.Html;
  }
}

TEST(Floats, AFloatLongerThanItsContainerReachesBelowItAndLengthensTheDocument) {
  TLaidOut L("<div style='background:red'><div style='float:left;height:300px'>f</div>x</div>"
             "<div>after</div>");
  auto* Outer = dynamic_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
  ASSERT_NE(Outer, nullptr);
  // The box ends with its text, the float goes on below, next to the text that follows.
  EXPECT_LT(Outer->FBoxBottom, L.TopOf("f") + 300);
  EXPECT_GE(Outer->FPaintBottom, L.TopOf("f") + 300);
  EXPECT_GT(L.LeftOf("after"), L.LeftOf("f"));
  int SW = 0, Curs = 0;
  EXPECT_GE(L.D.Doc.LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs), L.TopOf("f") + 300);
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
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    EXPECT_EQ(L.TopOf("b") - Static.TopOf("b"), C.DY) << C.Html;
    EXPECT_EQ(L.TopOf("c"), Static.TopOf("c")) << C.Html;
  }
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

// The print copy keeps every box: laid out alike, its text lands where the document's did.
TEST(PrintCopy, BlocksListsAndRulesAreCopiedWithTheirBoxes) {
  TLaidOut L("<div style='border:solid 2px; padding:5px; float:left; width:200px'>f</div>"
             "<div style='position:relative; top:3px; margin:0 auto; width:300px'>"
             "<ol start=4><li>a<li style='list-style-image:url(x.png)'>b</ol><hr size=4>"
             "<p>c</div><div style='position:absolute; top:400px; left:20px'>d</div>");
  auto Copy = TSectionList::CreateClone(L.D.Doc);
  int SW = 0, Curs = 0;
  const int Height = Copy->LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs);
  EXPECT_EQ(Height, L.D.Doc.LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs));
  const auto Original = Sections(L.D.Doc), Copied = Sections(*Copy);
  ASSERT_EQ(Copied.size(), Original.size());
  for (size_t I = 0; I < Original.size(); ++I) {
    const TSection& A = *Original[I].Section;
    const TSection& B = *Copied[I].Section;
    EXPECT_EQ(B.FText, A.FText);
    EXPECT_EQ(B.FLayoutY, A.FLayoutY) << A.FText;
    EXPECT_EQ(B.FDrawLeft, A.FDrawLeft) << A.FText;
    ASSERT_EQ(Copied[I].Blocks.size(), Original[I].Blocks.size()) << A.FText;
    for (size_t J = 0; J < Original[I].Blocks.size(); ++J)
      EXPECT_EQ(typeid(*Copied[I].Blocks[J]), typeid(*Original[I].Blocks[J])) << A.FText;
  }
}

// Printing a 1000-pixel band from the top: where the page ends, relative to "b"'s block.
TEST(PageBreaks, BlocksEndThePrintedPageBeforeOrAfterThem) {
  struct TCase {
    const char* Html;
    int Limit;  // -1: the block's top (margin included), -2: its end in the flow, else as is
  } Cases[] = {
      {"<p>a</p><div style='page-break-before:always'>b</div>", -1},
      {"<p>a</p><div style='page-break-after:always'>b</div><p>c</p>", -2},
      {"<p>a</p><div style='page-break-inside:avoid'>b</div>", 1000},
      {"<p>a</p><div style='page-break-inside:avoid;height:2000px'>b</div>", 1000},
      {"<p>a</p><div style='page-break-inside:avoid;margin-top:900px;height:300px'>b</div>", -1},
      {"<div style='page-break-before:always'>b</div>", 1000},  // already at the top
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    TBlock* B = nullptr;
    for (auto& F : Sections(L.D.Doc))
      if (F.Section->FText == "b") B = F.Blocks.at(0);
    ASSERT_NE(B, nullptr) << C.Html;
    TBitmap Page(600, 1000, pf24bit);
    TPaintContext Print{.Band = TRect{0, 0, 600, 1000}, .ForPrinter = true};
    L.D.Doc.Draw(&Page.Canvas(), Print, 600, 0, 0, 0, 0);
    const int Top = B->FLayoutY + B->MargArray[piMarginTop - BoxFirst];
    const int Want = C.Limit == -1 ? Top : C.Limit == -2 ? B->FLayoutY + B->FFlowHeight : C.Limit;
    EXPECT_EQ(Print.PageLimit, Want) << C.Html;
  }
}

TEST(PageBreaks, APageElementEndsThePrintedPageWhereItStands) {
  for (const char* Html : {"<p>a</p><page><p>b</p>", "<div><p>a</p>text<page>b</div>"}) {
    TLaidOut L(Html);
    TBitmap Page(600, 1000, pf24bit);
    TPaintContext Print{.Band = TRect{0, 0, 600, 1000}, .ForPrinter = true};
    L.D.Doc.Draw(&Page.Canvas(), Print, 600, 0, 0, 0, 0);
    EXPECT_GT(Print.PageLimit, L.TopOf("a")) << Html;
    EXPECT_LE(Print.PageLimit, L.TopOf("b")) << Html;
  }
  TLaidOut Screen("<p>a</p><page><p>b</p>");
  TBitmap Window(600, 1000, pf24bit);
  TPaintContext Paint{.Band = TRect{0, 0, 600, 1000}};
  Screen.D.Doc.Draw(&Window.Canvas(), Paint, 600, 0, 0, 0, 0);
  EXPECT_EQ(Paint.PageLimit, 1000);
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
