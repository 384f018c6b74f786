// Block boxes as the builder makes them and layout places them: collapsed vertical
// margins, padding, borders and widths.
#include <gtest/gtest.h>

#include <string>

#include "builder_test_util.h"

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
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    EXPECT_EQ(L.LeftOf("text") - Left, C.DX) << C.Html;
    EXPECT_EQ(L.TopOf("text") - Top, C.DY) << C.Html;
  }
}

}  // namespace
