// Text of inline elements placed by "vertical-align", drawn in the Ahem font (every glyph
// a square of the em standing 0.8 em above the baseline), so that ink shows where the
// text went.
#include <gtest/gtest.h>

#include <string>

#include "document/core/paint_context.h"
#include "test_data.h"
#include "tests/document/layout_test_util.h"
#include "toolkit/fonts/font.h"
#include "toolkit/graphics/bitmap.h"

namespace {

struct TInk {
  int Top = -1, Bottom = -1;  // the rows painted in a colour, Bottom past the last
};

class TextVerticalAlign : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(AddFontFile(TestDataPath("fonts/ahem/Ahem.ttf"))); }
  // The rows of the picture of Html holding blue (the text's reference) and red (the text
  // placed).
  static void Paint(const std::string& Html, TInk& Blue, TInk& Red) {
    TPainted Picture(Html);
    Blue = Red = {};
    for (int Y = 0; Y < 300; ++Y)
      for (int X = 0; X < 600; ++X) {
        const TColor P = Picture.At(X, Y);
        TInk* Ink = P == ColorToRGB(clBlue) ? &Blue : P == ColorToRGB(clRed) ? &Red : nullptr;
        if (!Ink) continue;
        if (Ink->Top < 0) Ink->Top = Y;
        Ink->Bottom = Y + 1;
      }
  }
};

// Each value moves the element's text from its parent's baseline: lengths and percentages
// (of the element's line-height) raise it, sub and super as browsers do, text-top and
// text-bottom on the parent's content area, middle on half the parent's x-height above the
// baseline, top and bottom on the line's. Raises of nested elements add up; an element laid
// out as a block is not moved.
TEST_F(TextVerticalAlign, EachValuePlacesTheElementsText) {
  const std::string Blue = "<span style=\"color:blue\">X</span>";
  const std::string Tall = "<span style=\"color:blue; font-size:40px\">X</span>";
  auto Red = [](const std::string& Style) {
    return "<span style=\"color:red; " + Style + "\">X</span>";
  };
  const struct {
    std::string Content;
    int Top, Bottom;  // of the red text less the blue
  } Cases[] = {
      {Blue + Red("vertical-align:10px"), -10, -10},
      {Blue + Red("vertical-align:-5px"), 5, 5},
      {Blue + Red("vertical-align:50%; line-height:30px"), -15, -15},
      {Blue + Red("vertical-align:0.5em"), -10, -10},
      {Blue + Red("vertical-align:baseline"), 0, 0},
      {Blue + Red("vertical-align:super"), -7, -7},
      {Blue + Red("vertical-align:sub"), 5, 5},
      {Blue + Red("vertical-align:text-top; font-size:10px"), 0, -10},
      {Blue + Red("vertical-align:text-bottom; font-size:10px"), 10, 0},
      // The middle 8 pixels (half the 16-pixel x-height) above the baseline.
      {Blue + Red("vertical-align:middle; font-size:10px"), 3, -7},
      {Tall + Red("vertical-align:top"), 0, -20},
      {Tall + Red("vertical-align:bottom"), 20, 0},
      {Blue + "<span style=\"vertical-align:10px\">" + Red("vertical-align:5px") + "</span>", -15,
       -15},
      {Blue + "<b style=\"vertical-align:-4px\">" + Red("") + "</b>", 4, 4},
      {Blue + Red("vertical-align:nonsense"), 0, 0},
      // A SUB or SUP element's own value replaces its shift.
      {Blue + "<sup style=\"color:red; font-size:20px; vertical-align:baseline\">X</sup>", 0, 0},
      {Blue + "<sub style=\"color:red; font-size:20px; vertical-align:10px\">X</sub>", -10, -10},
  };
  for (const auto& C : Cases) {
    const std::string Html = "<p style=\"font:20px/1 Ahem\">" + C.Content + "</p>";
    TInk B, R;
    Paint(Html, B, R);
    ASSERT_GE(B.Top, 0) << Html;
    ASSERT_GE(R.Top, 0) << Html;
    EXPECT_EQ(R.Top - B.Top, C.Top) << Html;
    EXPECT_EQ(R.Bottom - B.Bottom, C.Bottom) << Html;
  }
  TInk B, R;
  Paint("<div style=\"font:20px/1 Ahem; vertical-align:10px\">" + Blue +
            "<div style=\"vertical-align:10px\">" + Red("") + "</div></div>",
        B, R);
  EXPECT_EQ(R.Top - B.Bottom, 0);
}

// The line is as tall as its raised and lowered text reaches, and text aligned with its top
// or bottom makes it taller only where that text is taller than the rest.
TEST_F(TextVerticalAlign, TheLineBoxHoldsThePlacedText) {
  const struct {
    std::string Style;
    int Advance;
  } Cases[] = {
      {"", 20},
      {"vertical-align:30px", 50},
      {"vertical-align:-12px", 32},
      {"vertical-align:top", 20},
      {"vertical-align:top; line-height:50px", 50},
      {"vertical-align:bottom; font-size:40px", 40},
  };
  for (const auto& C : Cases) {
    TLaidOut L("<p style=\"font:20px/1 Ahem\">X<span style=\"" + C.Style + "\">Y</span></p>");
    TSection* S = L.SectionOf("XY");
    ASSERT_NE(S, nullptr) << C.Style;
    ASSERT_EQ(S->FLines.size(), 1u) << C.Style;
    EXPECT_EQ(S->FLines[0].Advance(), C.Advance) << C.Style;
  }
}

// The border of a placed element is painted around its text where the text went, with
// other text on the line standing on the line's baseline.
TEST_F(TextVerticalAlign, AnElementsBoxGoesWithItsText) {
  for (const char* Style : {"vertical-align:10px", "vertical-align:-8px", "vertical-align:sub", ""}) {
    const std::string Html = std::string("<p style=\"font:20px/1 Ahem\">X<span style=\"color:blue; "
                                         "border:solid 2px red; ") +
                             Style + "\">X</span>X</p>";
    TInk B, R;
    Paint(Html, B, R);
    ASSERT_GE(B.Top, 0) << Html;
    EXPECT_EQ(R.Top, B.Top - 2) << Html;
    EXPECT_EQ(R.Bottom, B.Bottom + 2) << Html;
  }
}

}  // namespace
