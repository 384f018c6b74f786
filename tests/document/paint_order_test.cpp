// The order boxes paint in: a float over the backgrounds of the blocks around it and
// under the text that overlaps it.
#include <gtest/gtest.h>

#include <string>

#include "document/core/paint_context.h"
#include "style/colors.h"
#include "tests/document/layout_test_util.h"
#include "toolkit/graphics/bitmap.h"

namespace {

// A picture floats left with a red padding 30 pixels wide on each side of its 40 x 40
// picture; a negative right margin lets the lime text of its line start over that padding.
TEST(PaintOrder, AFloatPaintsOverBlockBackgroundsAndUnderText) {
  const std::string Float =
      "<img width=40 height=40 style='float:left; background:red; padding:30px; "
      "margin-right:-80px'>";
  const struct {
    std::string Html;
    const char* Text;  // the text whose first character stands over the padding
    int DY;            // below that character's top
    TColor Expected;
  } Cases[] = {
      // The text of the float's own paragraph, as tall as the float, lies over it.
      {"<p style='width:60px'>" + Float +
           "<span style='background:lime'>xxxx xx xx xx xx xx xx xx xx xx</span></p>",
       "xxxx", 2, clLime},
      // A float reaching below its text into the next block paints over that block's
      // background.
      {"<p>" + Float + "<span>xx</span></p><div style='background:blue; height:200px'>yy</div>",
       "yy", 1, clRed},
  };
  for (const auto& C : Cases) {
    TPainted P(C.Html);
    // Inside the text's first character.
    const TSection* S = P.L.SectionOf(C.Text);
    ASSERT_NE(S, nullptr) << C.Html;
    const int First = int(S->FText.find(C.Text));
    const int X = P.L.XAt(C.Text, First + 1) - 2, Y = P.L.TopOf(C.Text) + C.DY;
    ASSERT_GE(X, 0) << C.Html;
    EXPECT_EQ(P.At(X, Y), ColorToRGB(C.Expected)) << C.Html;
  }
}

// A band of a page of text beside many floating pictures offers a paint to the pictures
// meeting it, not to every picture of the section; a float starting far above the band,
// taller than everything else, still paints in it.
TEST(PaintOrder, ABandVisitsTheFloatsMeetingIt) {
  auto Draw = [](int Count, bool& TallRed) {
    std::string Html =
        "<img align=left width=6 height=100000 style='background:red; padding:2px'>"
        "<img align=right width=6 height=100000>";
    for (int I = 0; I < Count; ++I) Html += "word <img align=left width=2 height=3> ";
    TLaidOut L(Html, 200);
    TBitmap Bitmap{200, 100, pf24bit};
    TCanvas& C = Bitmap.Canvas();
    C.FillRect(TRect{0, 0, 200, 100}, clWhite);
    TPaintContext Pass{.Band = TRect{0, 0, 200, 100}, .ScrollY = 2000};
    L.D.Doc.Draw(&C, Pass, 200, 0, 0, 0, 0);
    // The tall picture's red padding, somewhere near the left edge.
    for (int X = 0; X < 40; ++X)
      if ((C.GetPixel(X, 50) & 0xFFFFFF) == ColorToRGB(clRed)) TallRed = true;
    const TSection* S = L.SectionOf("word");
    return S ? S->FloatsVisited() : -1;
  };
  bool Small = false, Large = false;
  const long long VisitedSmall = Draw(2000, Small), VisitedLarge = Draw(4000, Large);
  EXPECT_GT(VisitedSmall, 2);
  // The band's rows hold a few dozen pictures: twice the pictures, about the same visits.
  EXPECT_LT(VisitedSmall, 200);
  EXPECT_LT(VisitedLarge, 200);
  EXPECT_TRUE(Small);
  EXPECT_TRUE(Large);
}

}  // namespace
