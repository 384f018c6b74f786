// Boxes of inline elements as painted: their backgrounds and borders around the text, on
// every line the element spans.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/viewer/viewer_window.h"

namespace {

// Lime and green read the same whichever way round the colour bytes go.
constexpr uint32_t Lime = 0x00FF00, Green = 0x008000;

struct TArea {
  int Left = 1 << 20, Top = 1 << 20, Right = -1, Bottom = -1;
  int Count = 0;
  bool Empty() const { return Count == 0; }
};

// The bounds of the pixels of Colour in the rows [Top, Bottom) of a shot.
TArea AreaOf(const TWindowPixels& Shot, uint32_t Colour, int Top = 0, int Bottom = 1 << 20) {
  TArea A;
  for (int Y = std::max(0, Top); Y < std::min(Shot.Height, Bottom); ++Y)
    for (int X = 0; X < Shot.Width; ++X)
      if (Shot.At(X, Y) == Colour) {
        A.Left = std::min(A.Left, X);
        A.Right = std::max(A.Right, X + 1);
        A.Top = std::min(A.Top, Y);
        A.Bottom = std::max(A.Bottom, Y + 1);
        ++A.Count;
      }
  return A;
}

class InlineBoxPaint : public TViewerWindowTest {};

// Padding widens the background beyond the text on all four sides; the border lies around
// the padding, as wide as given on each side.
TEST_F(InlineBoxPaint, BackgroundFillsThePaddingAndTheBorderSurroundsIt) {
  Load("<p style=\"color:white\">xx <span style=\"background:#008000; padding:3px 6px 5px 9px;"
       " border:solid 2px #00ff00\">wide</span> yy</p>");
  const TWindowPixels S = Shot();
  const TArea Bg = AreaOf(S, Green), Border = AreaOf(S, Lime);
  ASSERT_FALSE(Bg.Empty());
  ASSERT_FALSE(Border.Empty());
  EXPECT_EQ(Border.Left, Bg.Left - 2);
  EXPECT_EQ(Border.Right, Bg.Right + 2);
  EXPECT_EQ(Border.Top, Bg.Top - 2);
  EXPECT_EQ(Border.Bottom, Bg.Bottom + 2);
  // The background is the text's height plus the vertical padding, and reaches the
  // horizontal padding beyond the text (white on it).
  const TArea Text = AreaOf(S, 0xFFFFFF, Bg.Top, Bg.Bottom);
  EXPECT_GT(Bg.Bottom - Bg.Top, 8);
  int TextLeft = Bg.Right, TextRight = Bg.Left;
  for (int Y = Bg.Top; Y < Bg.Bottom; ++Y)
    for (int X = Bg.Left; X < Bg.Right; ++X)
      if (S.At(X, Y) != Green) {
        TextLeft = std::min(TextLeft, X);
        TextRight = std::max(TextRight, X + 1);
      }
  ASSERT_LT(TextLeft, TextRight);
  EXPECT_GE(TextLeft - Bg.Left, 9);
  EXPECT_GE(Bg.Right - TextRight, 6);
  EXPECT_FALSE(Text.Empty());
}

// An element over two lines has its left side only where it starts and its right side only
// where it ends; both lines get its background.
TEST_F(InlineBoxPaint, ElementOverTwoLinesHasEachSideOnceAndBackgroundOnBoth) {
  std::string Words;
  for (int I = 0; I < 40; ++I) Words += "word ";
  Load("<p>start <span style=\"background:#008000; border-left:solid 7px #00ff00;"
       " border-right:solid 7px #00ff00\">" + Words + "</span> end</p>");
  const TWindowPixels S = Shot();
  const TArea Bg = AreaOf(S, Green);
  ASSERT_FALSE(Bg.Empty());
  const TArea Border = AreaOf(S, Lime);
  ASSERT_FALSE(Border.Empty());
  // Two separate bands of lime: one at the start on the first line, one at the end on the
  // last; the first line's band is left of everything of the box there.
  const TArea FirstLine = AreaOf(S, Lime, Border.Top, Border.Top + 1);
  EXPECT_EQ(FirstLine.Right - FirstLine.Left, 7);
  const TArea LastLine = AreaOf(S, Lime, Border.Bottom - 1, Border.Bottom);
  EXPECT_EQ(LastLine.Right - LastLine.Left, 7);
  EXPECT_GT(LastLine.Top, FirstLine.Top);
  // The first line's band comes before its background, the last line's after.
  const TArea FirstBg = AreaOf(S, Green, FirstLine.Top, FirstLine.Top + 1);
  EXPECT_EQ(FirstLine.Right, FirstBg.Left);
  const TArea LastBg = AreaOf(S, Green, LastLine.Top, LastLine.Top + 1);
  EXPECT_EQ(LastBg.Right, LastLine.Left);
  // The lines between have background from the left edge of the text, and no border.
  const TArea Middle = AreaOf(S, Green, FirstLine.Bottom + 30, FirstLine.Bottom + 31);
  ASSERT_FALSE(Middle.Empty());
  EXPECT_TRUE(AreaOf(S, Lime, FirstLine.Bottom + 30, FirstLine.Bottom + 31).Empty() ||
              AreaOf(S, Lime, FirstLine.Bottom + 30, FirstLine.Bottom + 31).Left >= Middle.Right);
}

// A box whose background alone is given, without sides, paints as text background did.
TEST_F(InlineBoxPaint, BackgroundAloneStaysTheTextBackground) {
  Load("<p>xx <span style=\"background:#008000\">text</span> yy</p>");
  const TArea Bg = AreaOf(Shot(), Green);
  ASSERT_FALSE(Bg.Empty());
  Load("<p>xx <span style=\"background:#008000; padding-top:4px\">text</span> yy</p>");
  const TArea Padded = AreaOf(Shot(), Green);
  EXPECT_EQ(Padded.Top, Bg.Top - 4);
  EXPECT_EQ(Padded.Left, Bg.Left);
}

// Two boxes that open at one place nest: the inner one's border lies right inside the
// outer one's, and both close together at the end.
TEST_F(InlineBoxPaint, BoxesOpeningTogetherNest) {
  Load("<p>xx <span style=\"border:solid 4px #00ff00\"><span style=\"border:solid 3px"
       " #008000\">text</span></span> yy</p>");
  const TWindowPixels S = Shot();
  const TArea Outer = AreaOf(S, Lime), Inner = AreaOf(S, Green);
  ASSERT_FALSE(Outer.Empty());
  ASSERT_FALSE(Inner.Empty());
  EXPECT_EQ(Inner.Left, Outer.Left + 4);
  EXPECT_EQ(Inner.Right, Outer.Right - 4);
}

// Each side takes its own colour.
TEST_F(InlineBoxPaint, SidesTakeTheirOwnColours) {
  Load("<p>xx <span style=\"border:solid 4px; border-color:#00ff00 #008000\">text</span> yy</p>");
  const TWindowPixels S = Shot();
  const TArea TopAndBottom = AreaOf(S, Lime), Sides = AreaOf(S, Green);
  ASSERT_FALSE(TopAndBottom.Empty());
  ASSERT_FALSE(Sides.Empty());
  // The left side (painted over the corners) comes before the top and bottom.
  EXPECT_EQ(TopAndBottom.Left, Sides.Left + 4);
  EXPECT_EQ(TopAndBottom.Top, Sides.Top);
}

// Elements out of the line's flow (hidden, absolutely placed) get no inline box: no border
// or padding is painted around their text. A floating one floats as a block, whose box
// has its border.
TEST_F(InlineBoxPaint, ElementsOutOfTheLineHaveNoBox) {
  for (const char* Place : {"display:none", "position:absolute"}) {
    Load(std::string("<p>xx <span style=\"") + Place +
         "; padding:4px; border:solid 3px #00ff00\">text</span> yy</p>");
    EXPECT_TRUE(AreaOf(Shot(), Lime).Empty()) << Place;
  }
  Load("<p>xx <span style=\"float:right; border:solid 3px #00ff00\">text</span> yy</p>");
  EXPECT_FALSE(AreaOf(Shot(), Lime).Empty());
  Load("<p>xx <span style=\"position:relative; border:solid 3px #00ff00\">text</span> yy</p>");
  EXPECT_FALSE(AreaOf(Shot(), Lime).Empty());
}

}  // namespace
