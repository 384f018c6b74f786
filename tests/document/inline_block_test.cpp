// Inline blocks: blocks standing in a line as pictures do, as wide as their content or
// their width, on the line's baseline by the baseline of their last line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "document/core/paint_context.h"
#include "style/colors.h"
#include "tests/document/layout_test_util.h"
#include "toolkit/graphics/bitmap.h"

namespace {

// Where a colour was painted: the bounds of its pixels.
struct TBounds {
  int Left = -1, Top = -1, Right = -1, Bottom = -1;  // right and bottom exclusive
};

TBounds Painted(const std::string& Html, TColor Color) {
  TPainted P(Html);
  TBounds B;
  for (int Y = 0; Y < 300; ++Y)
    for (int X = 0; X < 600; ++X) {
      if (P.At(X, Y) != ColorToRGB(Color)) continue;
      if (B.Left < 0 || X < B.Left) B.Left = X;
      if (B.Top < 0) B.Top = Y;
      B.Right = std::max(B.Right, X + 1);
      B.Bottom = Y + 1;
    }
  return B;
}

TEST(InlineBlocks, StandSideBySideInTheirLine) {
  const std::string Red = "<div style='display:inline-block; width:50px; height:20px; "
                          "background:red'></div>";
  const std::string Lime = "<div style='display:inline-block; width:30px; height:30px; "
                           "background:lime'></div>";
  const TBounds R = Painted(Red + Lime, clRed), G = Painted(Red + Lime, clLime);
  EXPECT_EQ(R.Right - R.Left, 50);
  EXPECT_EQ(G.Right - G.Left, 30);
  EXPECT_EQ(G.Left, R.Right);
  // Boxes without lines stand on the baseline by their bottoms.
  EXPECT_EQ(G.Bottom, R.Bottom);
  EXPECT_EQ(G.Bottom - G.Top, 30);
}

// Without a width the box shrinks to its content; its last line's baseline is the line's.
TEST(InlineBlocks, ShrinkToTheirContentAndAlignTheirLastLine) {
  const std::string Html =
      "<div style='display:inline-block; background:red'>a<br>b</div>"
      "<div style='display:inline-block; background:lime'>c</div>";
  const TBounds R = Painted(Html, clRed), G = Painted(Html, clLime);
  ASSERT_GT(R.Right, R.Left);
  EXPECT_LT(R.Right - R.Left, 40);
  EXPECT_EQ(G.Left, R.Right);
  // The one line of the second box and the last line of the first share the baseline.
  EXPECT_EQ(G.Bottom, R.Bottom);
  EXPECT_EQ(R.Bottom - R.Top, 2 * (G.Bottom - G.Top));
}

}  // namespace

// A document cut short inside an inline block (an unclosed comment ends the reading) keeps
// what was read: the block with its content, and the line around it, which takes the text
// the reading stopped in. Nothing is left pointing into freed blocks.
TEST(InlineBlocks, ADocumentCutShortInsideOneKeepsWhatWasRead) {
  const std::string Block = "<div style='display:inline-block; background:lime'>";
  const struct {
    std::string Html;
    bool BlockPainted;
  } Cases[] = {
      {"before " + Block + "inside<!-- never closed", false},
      {"before " + Block + Block + "<div>deep</div><!-- never closed", true},
      {"before " + Block + "<p>para<div>" + Block + "x<!-- never closed", true},
      // A body tag inside does not start the page again: the line before is kept.
      {"before " + Block + Block + "<body bgcolor=red>in</div></div><!-- never closed", true},
  };
  for (const auto& C : Cases) {
    const TBounds G = Painted(C.Html, clLime);
    EXPECT_EQ(G.Right > G.Left, C.BlockPainted) << C.Html;
    TLaidOut L(C.Html);
    EXPECT_NE(L.SectionOf("before"), nullptr) << C.Html;
  }
}
