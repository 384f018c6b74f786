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

}  // namespace
