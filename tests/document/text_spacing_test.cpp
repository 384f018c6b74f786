// Letter and word spacing: room added after characters and spaces, in layout and drawing.
#include <gtest/gtest.h>

#include <string>

#include "common/codepage.h"
#include "tests/document/layout_test_util.h"
#include "toolkit/graphics/graphics.h"

namespace {

// Each character of "ab cd" gets the letter spacing after it, the space the word spacing
// besides; "normal" and an inherited value behave as written on the element itself.
TEST(TextSpacing, SpacingWidensCharactersAndSpaces) {
  const struct {
    std::string Page;
    int Extra;  // at the end of "ab cd", over the plain text
  } Cases[] = {
      {"<p style=\"letter-spacing:3px\">ab cd</p>", 5 * 3},
      {"<p style=\"word-spacing:10px\">ab cd</p>", 10},
      {"<p style=\"letter-spacing:2px; word-spacing:10px\">ab cd</p>", 5 * 2 + 10},
      {"<p style=\"letter-spacing:normal; word-spacing:normal\">ab cd</p>", 0},
      {"<div style=\"letter-spacing:4px\"><p>ab cd</p></div>", 5 * 4},
      {"<div style=\"letter-spacing:4px\"><p style=\"letter-spacing:normal\">ab cd</p></div>", 0},
      {"<p>ab <span style=\"letter-spacing:6px\">cd</span></p>", 2 * 6},
  };
  TLaidOut Plain("<p>ab cd</p>");
  const int End0 = Plain.XAt("ab", 5);
  for (const auto& Case : Cases) {
    TLaidOut Spaced(Case.Page);
    EXPECT_EQ(Spaced.XAt("ab", 5) - End0, Case.Extra) << Case.Page;
  }
}

// Negative spacing draws characters closer, but never makes an advance go back.
TEST(TextSpacing, NegativeSpacingNeverGoesBack) {
  TLaidOut Plain("<p>ab cd</p>");
  TLaidOut Closer("<p style=\"letter-spacing:-1px\">ab cd</p>");
  EXPECT_EQ(Plain.XAt("ab", 5) - Closer.XAt("ab", 5), 5);
  TLaidOut Crushed("<p style=\"letter-spacing:-500px\">ab cd</p>");
  for (int I = 1; I <= 5; ++I) EXPECT_GE(Crushed.XAt("ab", I), Crushed.XAt("ab", I - 1));
}

// The canvas draws with the spacing its font asks for: the pen moves as far as measured.
TEST(TextSpacing, CanvasDrawsWithTheFontsSpacing) {
  TCanvas Canvas;
  Canvas.Font.Name = "Arial";
  Canvas.Font.Size = 12;
  const int Plain = Canvas.TextExtent("abc").cx;
  Canvas.Font.LetterSpacing = 4;
  EXPECT_EQ(Canvas.TextExtent("abc").cx, Plain + 12);
  // Characters of several bytes are spaced as single bytes are.
  Canvas.Font.Charset = UTF8_CHARSET;
  Canvas.Font.LetterSpacing = 0;
  const int Greek = Canvas.TextExtent("\xCE\xB1\xCE\xB2\xCE\xB3").cx;
  Canvas.Font.LetterSpacing = 4;
  EXPECT_EQ(Canvas.TextExtent("\xCE\xB1\xCE\xB2\xCE\xB3").cx, Greek + 12);
  Canvas.Font.Charset = DEFAULT_CHARSET;
  Canvas.SetTextAlign(TA_BASELINE | TA_UPDATECP);
  Canvas.MoveTo(0, 20);
  Canvas.TextOut(0, 0, "abc");
  EXPECT_EQ(Canvas.GetCurrentPosition().X, Plain + 12);
}

}  // namespace
