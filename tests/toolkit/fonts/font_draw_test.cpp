// Drawing: glyphs land where the metrics and the measured advances say.
#include <gtest/gtest.h>
#include <cairo.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/fonts/font.h"

namespace {

// A white ARGB surface with a cairo context painting opaque black.
class TInkSurface {
 public:
  TInkSurface(int w, int h) : FWidth(w), FHeight(h) {
    FSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    FCr = cairo_create(FSurface);
    cairo_set_source_rgb(FCr, 1, 1, 1);
    cairo_paint(FCr);
    cairo_set_source_rgb(FCr, 0, 0, 0);
  }
  ~TInkSurface() {
    cairo_destroy(FCr);
    cairo_surface_destroy(FSurface);
  }
  cairo_t* Cr() { return FCr; }

  uint32_t Pixel(int x, int y) {
    cairo_surface_flush(FSurface);
    const unsigned char* data = cairo_image_surface_get_data(FSurface);
    int stride = cairo_image_surface_get_stride(FSurface);
    uint32_t pixel;
    memcpy(&pixel, data + y * stride + x * 4, 4);
    return pixel & 0xFFFFFF;
  }
  bool Inked(int x, int y) { return Pixel(x, y) != 0xFFFFFF; }

  // Sum over the pixels of how far each is from white, in one channel.
  long Darkness() {
    long sum = 0;
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x) sum += 255 - int(Pixel(x, y) & 0xFF);
    return sum;
  }

  // The bounding box of every non-white pixel in columns left..right-1; empty when
  // nothing was drawn there.
  TRect InkBounds(int left = 0, int right = INT_MAX) {
    TRect r{FWidth, FHeight, 0, 0};
    for (int y = 0; y < FHeight; ++y)
      for (int x = std::max(left, 0); x < std::min(right, FWidth); ++x)
        if (Inked(x, y)) {
          r.Left = std::min(r.Left, x);
          r.Top = std::min(r.Top, y);
          r.Right = std::max(r.Right, x + 1);
          r.Bottom = std::max(r.Bottom, y + 1);
        }
    return r.IsEmpty() ? TRect{} : r;
  }

 private:
  int FWidth, FHeight;
  cairo_surface_t* FSurface;
  cairo_t* FCr;
};

TFontSpec FontOf(const char* name, int size = 12) {
  TFontSpec fontSpec;
  fontSpec.Name = name;
  fontSpec.Size = size;
  return fontSpec;
}

}  // namespace

TEST(FontDraw, InkStaysInsideTheMeasuredCell) {
  // Tall and deep glyphs in the three standard faces. The cell is rounded to the nearest
  // pixel: accented capitals may rise up to two rows above it at small sizes, where hinting
  // also rounds the accents up, and ideographs from a fallback face one row (the cell is
  // that of the face asked for, which therefore keeps its metrics).
  struct TCase {
    const char* Text;
    uint8_t Charset;
    int Slack;
  } cases[] = {{"Hgjpqy|(){}[]", DEFAULT_CHARSET, 0},
               {"\xC0\xC9\xD1\xC5", DEFAULT_CHARSET, 2},
               {"\x93\xFA\x96\x7B\x8C\xEA\x8E\x9A\x91\xCC\x81\x40\x82\xE6", SHIFTJIS_CHARSET, 1}};
  for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
    for (int points : {8, 12, 20}) {
      for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(face) + " " + std::to_string(points) + " " + c.Text);
        TFontSpec fontSpec = FontOf(face, points);
        fontSpec.Charset = c.Charset;
        const TFontHandle* font = ResolveFont(fontSpec);
        const TTextMetric& m = font->Metrics();
        const int n = int(strlen(c.Text));
        TInkSurface surface(400, 100);
        const int x = 20, baseline = 60;
        int advance = font->DrawText(surface.Cr(), x, baseline, c.Text, n);
        EXPECT_EQ(advance, font->TextWidth(c.Text, n));
        TRect ink = surface.InkBounds();
        ASSERT_FALSE(ink.IsEmpty());
        EXPECT_GE(ink.Top, baseline - m.tmAscent - c.Slack);
        EXPECT_LE(ink.Bottom, baseline + m.tmDescent);
        EXPECT_GE(ink.Left, x - 1);
        EXPECT_LE(ink.Right, x + advance + 1);
      }
    }
  }
}

TEST(FontDraw, DescendersReachBelowTheBaselineAndCapitalsNearTheAscent) {
  const TFontHandle* font = ResolveFont(FontOf("Arial", 24));
  const TTextMetric& m = font->Metrics();
  TInkSurface surface(200, 100);
  const int baseline = 60;
  font->DrawText(surface.Cr(), 10, baseline, "gjpqy", 5);
  TRect ink = surface.InkBounds();
  EXPECT_GT(ink.Bottom, baseline + m.tmDescent / 2);
  TInkSurface caps(200, 100);
  font->DrawText(caps.Cr(), 10, baseline, "HEIGHT", 6);
  TRect capInk = caps.InkBounds();
  EXPECT_EQ(capInk.Bottom, baseline);  // flat-bottomed capitals sit on the baseline
  EXPECT_GT(capInk.Top, baseline - m.tmAscent);
  // The face's capital height is 1409 of 2048 units.
  EXPECT_NEAR(baseline - capInk.Top, 1409.0 * font->PixelSize() / 2048, 1.0);
}

TEST(FontDraw, FittedPrefixDrawsWithinTheMaximumExtent) {
  const TFontHandle* font = ResolveFont(FontOf("Times New Roman", 14));
  const char* text = "Measured text must match drawn text";
  const int n = int(strlen(text));
  for (int maxExtent : {40, 97, 150, 201}) {
    int fit = 0;
    font->GetTextExtentExPoint(text, n, maxExtent, &fit, nullptr);
    ASSERT_GT(fit, 0);
    ASSERT_LT(fit, n);
    TInkSurface surface(400, 60);
    font->DrawText(surface.Cr(), 0, 40, text, fit);
    TRect ink = surface.InkBounds();
    EXPECT_LE(ink.Right, maxExtent + 1) << maxExtent;
    // The next character would not have fitted.
    EXPECT_GT(font->TextWidth(text, fit + 1), maxExtent);
  }
}

TEST(FontDraw, GlyphsAreDrawnAtTheMeasuredAdvances) {
  const TFontHandle* font = ResolveFont(FontOf("Courier New", 12));
  // Each "|" sits at the same offset in its cell, so the ink columns step by the advance.
  TInkSurface surface(200, 40);
  font->DrawText(surface.Cr(), 10, 25, "|||", 3);
  int w = font->CharWidth('|');
  std::vector<int> columns;
  for (int x = 0; x < 200; ++x)
    if (surface.Inked(x, 20) && !surface.Inked(x - 1, 20)) columns.push_back(x);
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[1] - columns[0], w);
  EXPECT_EQ(columns[2] - columns[1], w);

  // Explicit advances, one per byte, replace the measured ones.
  TInkSurface spaced(200, 40);
  const int advances[3] = {30, 45, 0};
  EXPECT_EQ(font->DrawText(spaced.Cr(), 10, 25, "|||", 3, advances), 75);
  std::vector<int> spacedColumns;
  for (int x = 1; x < 200; ++x)
    if (spaced.Inked(x, 20) && !spaced.Inked(x - 1, 20)) spacedColumns.push_back(x);
  ASSERT_EQ(spacedColumns.size(), 3u);
  EXPECT_EQ(spacedColumns[1] - spacedColumns[0], 30);
  EXPECT_EQ(spacedColumns[2] - spacedColumns[1], 45);
}

TEST(FontDraw, JustifiedDrawingConsumesTheRemainderAcrossCalls) {
  const TFontHandle* font = ResolveFont(FontOf("Arial"));
  TInkSurface surface(300, 40);
  TTextJustification just = TTextJustification::Make(5, 2);  // +3 then +2
  int first = font->DrawText(surface.Cr(), 0, 30, "a ", 2, nullptr, &just);
  EXPECT_EQ(first, font->TextWidth("a ", 2) + 3);
  EXPECT_EQ(just.BreakRem, 0);
  int second = font->DrawText(surface.Cr(), first, 30, "b ", 2, nullptr, &just);
  EXPECT_EQ(second, font->TextWidth("b ", 2) + 2);
}

TEST(FontDraw, UnderlineAndStrikeOutSpanTheText) {
  TFontSpec fontSpec = FontOf("Arial", 12);
  fontSpec.Underline = true;
  fontSpec.StrikeOut = true;
  const TFontHandle* font = ResolveFont(fontSpec);
  TInkSurface surface(200, 50);
  const int x = 10, baseline = 30;
  int width = font->DrawText(surface.Cr(), x, baseline, "ab  cd", 6);
  int underRow = baseline + font->UnderlineLine().Top;
  int strikeRow = baseline + font->StrikeOutLine().Top;
  // Across the spaces too, where no glyph inks.
  int gap = x + font->TextWidth("ab ", 3);
  EXPECT_TRUE(surface.Inked(gap, underRow));
  EXPECT_TRUE(surface.Inked(gap, strikeRow));
  EXPECT_TRUE(surface.Inked(x, underRow));
  EXPECT_TRUE(surface.Inked(x + width - 1, underRow));
  EXPECT_FALSE(surface.Inked(x + width + 1, underRow));
  EXPECT_FALSE(surface.Inked(gap, baseline - 1));
}

TEST(FontDraw, ShiftJisTextDrawsInk) {
  TFontSpec fontSpec = FontOf("Arial");
  fontSpec.Charset = SHIFTJIS_CHARSET;
  const TFontHandle* font = ResolveFont(fontSpec);
  const char* s = "\x93\xFA\x96\x7B\x8C\xEA";
  TInkSurface surface(200, 40);
  int width = font->DrawText(surface.Cr(), 5, 30, s, 6);
  EXPECT_EQ(width, font->TextWidth(s, 6));
  TRect ink = surface.InkBounds();
  EXPECT_FALSE(ink.IsEmpty());
  EXPECT_LE(ink.Right, 5 + width + 1);
}

TEST(FontDraw, MixedScriptsDrawEachCharacterFromAFaceThatHasIt) {
  // Letters on a Japanese page draw as on an English one; between them, the ideograph
  // "one" (a single horizontal stroke) comes from a face that has it: a thin bar an em
  // wide, not the Latin face's empty box.
  const TFontHandle* ansi = ResolveFont(FontOf("Times New Roman"));
  TFontSpec fontSpec = FontOf("Times New Roman");
  fontSpec.Charset = SHIFTJIS_CHARSET;
  const TFontHandle* font = ResolveFont(fontSpec);
  const char* s = "A\x88\xEA" "B";
  const int a = ansi->CharWidth('A'), one = font->CodePointWidth(U'\u4E00');
  EXPECT_EQ(one, font->PixelSize());
  EXPECT_EQ(font->TextWidth(s, 4), a + one + ansi->CharWidth('B'));

  TInkSurface mixed(100, 40), latin(100, 40);
  EXPECT_EQ(font->DrawText(mixed.Cr(), 10, 30, s, 4), font->TextWidth(s, 4));
  ansi->DrawText(latin.Cr(), 10, 30, "A", 1);
  ansi->DrawText(latin.Cr(), 10 + a + one, 30, "B", 1);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) {
      if (x >= 10 + a && x < 10 + a + one) continue;
      ASSERT_EQ(mixed.Pixel(x, y), latin.Pixel(x, y)) << x << "," << y;
    }

  // The same stroke as a code point, and the half-width prolonged sound mark, a single
  // byte of the page that the Latin face lacks too.
  TInkSurface wide(100, 40), single(100, 40);
  EXPECT_EQ(ansi->DrawTextW(wide.Cr(), 10, 30, U"\u4E00", 1), one);
  EXPECT_EQ(font->DrawText(single.Cr(), 10, 30, "\xB0", 1), font->CodePointWidth(U'\uFF70'));
  for (TRect bar : {mixed.InkBounds(10 + a, 10 + a + one), wide.InkBounds(), single.InkBounds()}) {
    EXPECT_FALSE(bar.IsEmpty());
    EXPECT_LE(bar.Height(), font->PixelSize() / 4);
    EXPECT_GE(bar.Width(), font->PixelSize() / 3);
  }
}

// UTF-8 text draws each character from a face that has it: exactly as the same code points
// drawn as Unicode, and none as the empty box an unassigned code point gets.
TEST(FontDraw, Utf8TextDrawsEveryCharacterFromAFaceThatHasIt) {
  TFontSpec fontSpec = FontOf("Times New Roman");
  fontSpec.Charset = UTF8_CHARSET;
  const TFontHandle* font = ResolveFont(fontSpec);
  ASSERT_EQ(font->CodePage(), CP_UTF8);
  // Latin, Greek, Cyrillic, an arrow, box drawing, mathematics, an ideograph, kana and a
  // letter beyond the Basic Multilingual Plane.
  const std::u32string chars = U"\u00E9\u03C0\u0416\u2192\u2500\u221A\u65E5\u30C6\U0001D538";
  const std::string text = WideCharToMultiByte(CP_UTF8, chars);
  int expected = 0;
  for (char32_t c : chars) expected += font->CodePointWidth(c);
  EXPECT_EQ(font->TextWidth(text.data(), int(text.size())), expected);
  TInkSurface bytes(300, 40), wide(300, 40);
  EXPECT_EQ(font->DrawText(bytes.Cr(), 5, 30, text.data(), int(text.size())), expected);
  font->DrawTextW(wide.Cr(), 5, 30, chars.data(), int(chars.size()));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 300; ++x) ASSERT_EQ(bytes.Pixel(x, y), wide.Pixel(x, y)) << x << "," << y;

  TInkSurface missing(40, 40);
  font->DrawTextW(missing.Cr(), 5, 30, U"\u0378", 1);
  const long box = missing.Darkness();
  for (char32_t c : chars) {
    TInkSurface one(40, 40);
    font->DrawTextW(one.Cr(), 5, 30, &c, 1);
    EXPECT_FALSE(one.InkBounds().IsEmpty()) << int(c);
    EXPECT_NE(one.Darkness(), box) << int(c);
  }
  // A prefix of whole characters fits; the bytes of a character share its extent.
  std::vector<int> extents(text.size());
  int fit = 0;
  font->GetTextExtentExPoint(text.data(), int(text.size()), font->CodePointWidth(U'\u00E9') + 1,
                             &fit, extents.data());
  EXPECT_EQ(fit, 2);
  EXPECT_EQ(extents[0], extents[1]);
}

TEST(FontDraw, FallbackGlyphsTakeTheWeightAndSlantOfTheFont) {
  // The fallback face has no bold or italic here, so both are synthesized; doing so must
  // leave the regular glyphs of the same face file as they were.
  TFontSpec fontSpec = FontOf("Times New Roman");
  fontSpec.Charset = SHIFTJIS_CHARSET;
  const char* sun = "\x93\xFA";  // the ideograph "sun"
  auto draw = [&](bool bold, bool italic, TRect& ink) {
    TFontSpec styled = fontSpec;
    styled.Bold = bold;
    styled.Italic = italic;
    TInkSurface surface(60, 40);
    ResolveFont(styled)->DrawText(surface.Cr(), 10, 30, sun, 2);
    ink = surface.InkBounds();
    return surface.Darkness();
  };
  TRect regular, bold, italic;
  draw(false, false, regular);
  draw(true, false, bold);
  draw(false, true, italic);
  const long regularDark = draw(false, false, regular), boldDark = draw(true, false, bold);
  EXPECT_GT(boldDark, regularDark + regularDark / 10);
  EXPECT_GT(italic.Right, regular.Right);  // the top leans right
  EXPECT_EQ(italic.Bottom, regular.Bottom);
}

TEST(FontDraw, UnicodeTextDrawsAtCodePointWidths) {
  const TFontHandle* font = ResolveFont(FontOf("Times New Roman"));
  const char32_t text[] = U"\u0416\u03B1\u00E9x";
  TInkSurface surface(200, 40);
  int width = font->DrawTextW(surface.Cr(), 0, 30, text, 4);
  int expected = 0;
  for (int i = 0; i < 4; ++i) expected += font->CodePointWidth(text[i]);
  EXPECT_EQ(width, expected);
  EXPECT_FALSE(surface.InkBounds().IsEmpty());
}

TEST(FontDraw, ScaledDeviceDrawsProportionallyLargerText) {
  const TFontHandle* font = ResolveFont(FontOf("Arial"));
  TInkSurface plain(400, 100), scaled(400, 100);
  font->DrawText(plain.Cr(), 0, 30, "Hello", 5);
  cairo_scale(scaled.Cr(), 2, 2);
  font->DrawText(scaled.Cr(), 0, 30, "Hello", 5);
  TRect a = plain.InkBounds(), b = scaled.InkBounds();
  ASSERT_FALSE(a.IsEmpty());
  EXPECT_NEAR(b.Width(), 2 * a.Width(), 4);
  EXPECT_NEAR(b.Height(), 2 * a.Height(), 4);
}

TEST(FontDraw, NothingToDrawIsHarmless) {
  const TFontHandle* font = ResolveFont(FontOf("Arial"));
  TInkSurface surface(50, 30);
  EXPECT_EQ(font->DrawText(surface.Cr(), 0, 20, nullptr, 3), 0);
  EXPECT_EQ(font->DrawText(surface.Cr(), 0, 20, "abc", 0), 0);
  EXPECT_EQ(font->DrawText(nullptr, 0, 20, "abc", 3), 0);
  EXPECT_TRUE(surface.InkBounds().IsEmpty());
}

TEST(FontDraw, LongRunsDrawToTheirEnd) {
  const TFontHandle* font = ResolveFont(FontOf("Courier New", 6));
  std::string text(3000, ' ');  // spaces leave no ink
  text.back() = '|';
  TInkSurface surface(40, 30);
  int width = font->DrawText(surface.Cr(), 30 - font->TextWidth(text.data(), 2999), 20,
                             text.data(), int(text.size()));
  EXPECT_EQ(width, font->TextWidth(text.data(), int(text.size())));
  // The last glyph, the bar, lands where the widths of the spaces put it.
  TRect ink = surface.InkBounds();
  EXPECT_GE(ink.Left, 30);
  EXPECT_FALSE(ink.IsEmpty());
}

TEST(FontDraw, UndefinedBytesDrawAsTheDefaultCharacter) {
  TFontSpec fontSpec = FontOf("Arial", 16);
  fontSpec.Charset = GREEK_CHARSET;
  const TFontHandle* font = ResolveFont(fontSpec);
  ASSERT_EQ(SingleByteTable(1253)[0xAA], U'\uFFFD');
  TInkSurface undefined(60, 40), question(60, 40);
  font->DrawText(undefined.Cr(), 5, 30, "\xAA", 1);
  font->DrawText(question.Cr(), 5, 30, "?", 1);
  EXPECT_EQ(undefined.InkBounds(), question.InkBounds());
  EXPECT_FALSE(question.InkBounds().IsEmpty());
}
