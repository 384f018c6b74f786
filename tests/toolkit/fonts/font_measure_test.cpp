// Measuring: widths, fit counts, prefix extents, justification, double-byte text and
// characters the code page or the face cannot show.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/fonts/font.h"

namespace {

const TFontHandle* Font(const char* name = "Arial", uint8_t charset = DEFAULT_CHARSET, int size = 12) {
  TFontSpec fontSpec;
  fontSpec.Name = name;
  fontSpec.Size = size;
  fontSpec.Charset = charset;
  return ResolveFont(fontSpec);
}

int SumOfCharWidths(const TFontHandle* font, const std::string& s) {
  int w = 0;
  for (char c : s) w += font->CharWidth(uint8_t(c));
  return w;
}

}  // namespace

TEST(FontMeasure, WidthIsTheSumOfCharacterWidths) {
  const std::string texts[] = {"", "a", "Hello, World", "iiiiWWWW", std::string(1000, 'x'),
                               "caf\xE9 na\xEFve \x80 \x93quoted\x94"};
  for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
    const TFontHandle* font = Font(face);
    for (const std::string& s : texts) {
      int n = int(s.size());
      int expected = SumOfCharWidths(font, s);
      EXPECT_EQ(font->TextWidth(s.data(), n), expected) << face << " " << s;
      EXPECT_EQ(font->TextExtent(s.data(), n), (TSize{expected, font->Metrics().tmHeight}));
      EXPECT_EQ(font->GetTextExtentExPoint(s.data(), n, 0, nullptr, nullptr).cx, expected);
    }
  }
}

// A new font measures no byte until text uses it; what it measures then is what it would have
// measured up front, in whatever order the bytes arrive.
TEST(FontMeasure, BytesAreMeasuredWhenTextFirstUsesThem) {
  for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
    SCOPED_TRACE(face);
    const TFontHandle* lazy = Font(face, DEFAULT_CHARSET, 31);
    EXPECT_EQ(lazy->MeasuredByteCount(), 0);
    EXPECT_GT(lazy->Metrics().tmHeight, 0);
    EXPECT_EQ(lazy->MeasuredByteCount(), 0);
    EXPECT_GT(lazy->TextWidth("abba", 4), 0);
    EXPECT_EQ(lazy->MeasuredByteCount(), 2);
    EXPECT_GT(lazy->AverageCharWidth(), 0);
    EXPECT_EQ(lazy->MeasuredByteCount(), 27);  // the letters and the space

    // The same face and size made again (an underline makes it another handle), measured
    // a byte at a time from the top.
    TFontSpec underlined = lazy->Description();
    underlined.Underline = true;
    const TFontHandle* eager = ResolveFont(underlined);
    for (int b = 255; b >= 0; --b) eager->CharWidth(uint8_t(b));
    EXPECT_EQ(eager->MeasuredByteCount(), 256);
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    EXPECT_EQ(lazy->TextWidth(all.data(), 256), eager->TextWidth(all.data(), 256));
    for (int b = 0; b < 256; ++b) EXPECT_EQ(lazy->CharWidth(uint8_t(b)), eager->CharWidth(uint8_t(b))) << b;
  }
}

TEST(FontMeasure, EmptyNullAndNegativeLengthsMeasureZero) {
  const TFontHandle* font = Font();
  EXPECT_EQ(font->TextWidth(nullptr, 5), 0);
  EXPECT_EQ(font->TextWidth("abc", -3), 0);
  int fit = 99;
  TSize size = font->GetTextExtentExPoint("abc", 0, 100, &fit, nullptr);
  EXPECT_EQ(fit, 0);
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, font->Metrics().tmHeight);
}

TEST(FontMeasure, FitCountAgreesWithCumulativeWidths) {
  const TFontHandle* font = Font("Times New Roman");
  const std::string s = "The quick brown fox jumps over the lazy dog";
  const int n = int(s.size());
  std::vector<int> cumulative;
  int w = 0;
  for (char c : s) cumulative.push_back(w += font->CharWidth(uint8_t(c)));

  std::vector<int> extents = {-5, 0, 1, w - 1, w, w + 1, 1000000};
  for (int i = 0; i < n; i += 5) {
    extents.push_back(cumulative[i]);
    extents.push_back(cumulative[i] - 1);
  }
  for (int maxExtent : extents) {
    int expected = 0;
    while (expected < n && cumulative[expected] <= maxExtent) ++expected;
    int fit = -1;
    std::vector<int> prefix(n, -1);
    TSize whole = font->GetTextExtentExPoint(s.data(), n, maxExtent, &fit, nullptr);
    EXPECT_EQ(fit, expected) << maxExtent;
    EXPECT_EQ(whole.cx, w);  // the extent of the whole string, fitting or not
    int fitWithPrefix = -1;
    font->GetTextExtentExPoint(s.data(), n, maxExtent, &fitWithPrefix, prefix.data());
    EXPECT_EQ(fitWithPrefix, expected) << maxExtent;
    EXPECT_EQ(prefix, cumulative);
  }
}

TEST(FontMeasure, JustificationSpreadsExtraPixelsOverBreakCharacters) {
  const TFontHandle* font = Font();
  const char* s = "a b c d";
  const int n = 7;
  TTextJustification just = TTextJustification::Make(7, 3);
  EXPECT_EQ(just.BreakExtra, 2);
  EXPECT_EQ(just.BreakRem, 1);
  int plain = font->TextWidth(s, n);
  EXPECT_EQ(font->TextWidth(s, n, &just), plain + 7);
  std::vector<int> prefix(n), plainPrefix(n);
  font->GetTextExtentExPoint(s, n, 0, nullptr, plainPrefix.data());
  font->GetTextExtentExPoint(s, n, 0, nullptr, prefix.data(), &just);
  // The first break gets the remainder pixel: +3, then +2 and +2.
  const int added[n] = {0, 3, 3, 5, 5, 7, 7};
  for (int i = 0; i < n; ++i) EXPECT_EQ(prefix[i] - plainPrefix[i], added[i]) << i;
  EXPECT_EQ(just.BreakRem, 1);  // measuring leaves the state alone
  int fit = 0;
  font->GetTextExtentExPoint(s, n, plainPrefix[2] + 2, &fit, nullptr, &just);
  EXPECT_EQ(fit, 2);  // "a b" would need 3 more pixels, not 2

  EXPECT_TRUE(TTextJustification::Make(10, 0).IsZero());
  TTextJustification negative = TTextJustification::Make(-7, 3);
  EXPECT_EQ(negative.BreakExtra * 3 + negative.BreakRem, -7);
  EXPECT_GE(negative.BreakRem, 0);
}

TEST(FontMeasure, UndefinedBytesMeasureAsTheDefaultCharacter) {
  // Greek page bytes that stand for nothing; at least one exists (0xAA, 0xD2, 0xFF).
  const TFontHandle* font = Font("Arial", GREEK_CHARSET);
  EXPECT_EQ(font->CodePage(), 1253);
  const char32_t* table = SingleByteTable(1253);
  int undefined = 0;
  for (int b = 0; b < 256; ++b) {
    if (table[b] != 0xFFFD) continue;
    ++undefined;
    EXPECT_EQ(font->CharWidth(uint8_t(b)), font->CharWidth('?')) << b;
  }
  EXPECT_GT(undefined, 0);
  // Greek letters are measured from the face's Greek glyphs, not as fallbacks.
  EXPECT_NE(font->CharWidth(0xE1), 0);  // alpha
  EXPECT_EQ(font->CharWidth(0xE1), font->CodePointWidth(U'\u03B1'));
}

TEST(FontMeasure, CharacterSetChoosesTheCodePage) {
  struct TCase {
    uint8_t Charset;
    int CodePage;
    bool DBCS;
  } cases[] = {{ANSI_CHARSET, 1252, false},      {DEFAULT_CHARSET, 1252, false},
               {RUSSIAN_CHARSET, 1251, false},   {EASTEUROPE_CHARSET, 1250, false},
               {SHIFTJIS_CHARSET, 932, true},    {GB2312_CHARSET, 936, true},
               {HANGEUL_CHARSET, 949, true},     {CHINESEBIG5_CHARSET, 950, true}};
  for (const TCase& c : cases) {
    const TFontHandle* font = Font("Arial", c.Charset);
    EXPECT_EQ(font->CodePage(), c.CodePage) << int(c.Charset);
    EXPECT_EQ(font->IsDBCS(), c.DBCS) << int(c.Charset);
    EXPECT_EQ(font->LeadBytes().any(), c.DBCS) << int(c.Charset);
  }
  // Cyrillic bytes measure as their Cyrillic letters.
  const TFontHandle* russian = Font("Arial", RUSSIAN_CHARSET);
  EXPECT_EQ(russian->CharWidth(0xC6), russian->CodePointWidth(U'\u0416'));
}

TEST(FontMeasure, ShiftJisDoubleByteCharactersMeasureAsOneGlyphEach) {
  const TFontHandle* font = Font("Arial", SHIFTJIS_CHARSET);
  ASSERT_TRUE(font->IsDBCS());
  const char* s = "A\x93\xFA\x96\x7B\x8C\xEA" "B";  // "A", three kanji, "B"
  const int n = 8;
  int a = font->CharWidth('A'), b = font->CharWidth('B');
  int kanji[3] = {font->CodePointWidth(U'\u65E5'), font->CodePointWidth(U'\u672C'),
                  font->CodePointWidth(U'\u8A9E')};
  int total = a + kanji[0] + kanji[1] + kanji[2] + b;
  EXPECT_EQ(font->TextWidth(s, n), total);
  for (int k : kanji) EXPECT_GT(k, 0);

  std::vector<int> prefix(n);
  int fit = 0;
  font->GetTextExtentExPoint(s, n, a + kanji[0] + kanji[1] / 2, &fit, prefix.data());
  EXPECT_EQ(fit, 3);  // "A" and the first kanji, counted in bytes
  // Both bytes of a double-byte character share the extent after it.
  const int expected[n] = {a, a + kanji[0], a + kanji[0], a + kanji[0] + kanji[1],
                           a + kanji[0] + kanji[1], total - b, total - b, total};
  for (int i = 0; i < n; ++i) EXPECT_EQ(prefix[i], expected[i]) << i;

  // A lead byte without its trail measures as the default character.
  EXPECT_EQ(font->TextWidth("A\x93", 2), a + font->CharWidth('?'));
  // Half-width katakana are single bytes.
  EXPECT_EQ(font->TextWidth("\xB1", 1), font->CodePointWidth(U'\uFF71'));
}

TEST(FontMeasure, LatinTextMeasuresAlikeInEveryCharacterSet) {
  // The named face keeps the characters it has whatever the page: Latin text on an East
  // Asian page has the face, widths and cell it has on an English one.
  const std::string latin = "Hello, World! (iiii WWWW) 0123";
  const int n = int(latin.size());
  for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
    const TFontHandle* ansi = Font(face);
    for (uint8_t charset : {SHIFTJIS_CHARSET, HANGEUL_CHARSET, GB2312_CHARSET, CHINESEBIG5_CHARSET}) {
      SCOPED_TRACE(std::string(face) + " " + std::to_string(charset));
      const TFontHandle* font = Font(face, charset);
      EXPECT_EQ(font->FaceName(), ansi->FaceName());
      EXPECT_EQ(font->TextWidth(latin.data(), n), ansi->TextWidth(latin.data(), n));
      EXPECT_EQ(font->Metrics().tmAscent, ansi->Metrics().tmAscent);
      EXPECT_EQ(font->Metrics().tmDescent, ansi->Metrics().tmDescent);
    }
  }
}

TEST(FontMeasure, CharactersTheFaceLacksMeasureInAFaceThatHasThem) {
  // Ideographs are an em wide in the faces that have them, in a Latin face's handle too,
  // as code points and as double-byte characters; the face's .notdef is narrower.
  for (int points : {8, 12, 20}) {
    const TFontHandle* latin = Font("Times New Roman", DEFAULT_CHARSET, points);
    const TFontHandle* japanese = Font("Times New Roman", SHIFTJIS_CHARSET, points);
    EXPECT_EQ(latin->CodePointWidth(U'\u65E5'), latin->PixelSize()) << points;
    EXPECT_EQ(japanese->TextWidth("\x93\xFA\x96\x7B", 4), 2 * japanese->PixelSize()) << points;
  }
}

TEST(FontMeasure, InvalidDoubleBytePairsFallBackToTheDefaultCharacter) {
  const TFontHandle* font = Font("Arial", SHIFTJIS_CHARSET);
  // 0x81 0x20: a lead byte followed by a byte that cannot trail.
  int w = font->TextWidth("\x81\x20", 2);
  EXPECT_EQ(w, font->CharWidth('?'));
  int fit = 0;
  font->GetTextExtentExPoint("\x81\x20", 2, w, &fit, nullptr);
  EXPECT_EQ(fit, 2);
}

TEST(FontMeasure, ArbitraryBytesMeasureConsistentlyInEveryCharacterSet) {
  // Any byte string, in any page: the total, the last prefix extent and the fit count at
  // the total agree, and a double-byte character never splits across the fit.
  uint32_t seed = 12345;
  auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 24; };
  const uint8_t charsets[] = {ANSI_CHARSET, SHIFTJIS_CHARSET, HANGEUL_CHARSET, GB2312_CHARSET,
                              CHINESEBIG5_CHARSET, JOHAB_CHARSET, RUSSIAN_CHARSET,
                              SYMBOL_CHARSET, OEM_CHARSET, 99};
  for (uint8_t charset : charsets) {
    const TFontHandle* font = Font("Times New Roman", charset, 10);
    for (int round = 0; round < 20; ++round) {
      std::string s(1 + next() % 40, '\0');
      for (char& c : s) c = char(next());
      const int n = int(s.size());
      std::vector<int> prefix(n);
      int fitAll = -1, fitHalf = -1;
      TSize size = font->GetTextExtentExPoint(s.data(), n, INT_MAX, &fitAll, prefix.data());
      EXPECT_EQ(size.cx, font->TextWidth(s.data(), n));
      EXPECT_EQ(prefix[n - 1], size.cx);
      EXPECT_EQ(fitAll, n);
      font->GetTextExtentExPoint(s.data(), n, size.cx / 2, &fitHalf, nullptr);
      ASSERT_GE(fitHalf, 0);
      ASSERT_LE(fitHalf, n);
      if (fitHalf > 0) {
        EXPECT_LE(prefix[fitHalf - 1], size.cx / 2);
        // The fitted bytes end on a character boundary: measuring them alone agrees.
        EXPECT_EQ(font->TextWidth(s.data(), fitHalf), prefix[fitHalf - 1]);
      }
    }
  }
}

// Line fitting stops at the first character that overflows and agrees with the fit count of
// GetTextExtentExPoint in every page, however the bytes are formed; the width it gives is the
// extent of the bytes that fit.
TEST(FontMeasure, FitBytesAgreesWithTheFitCountInEveryPage) {
  struct TCase {
    const char* Name;
    uint8_t Charset;
    int LetterSpacing;
    std::string Text;
  } cases[] = {
      {"latin-1", ANSI_CHARSET, 0, "caf\xE9 na\xEFve \x93quoted\x94 text"},
      {"shift-jis", SHIFTJIS_CHARSET, 0, "A\x93\xFA\x96\x7B\x8C\xEA" "B \xB1 C\x93"},
      {"utf-8", UTF8_CHARSET, 0,
       "caf\xC3\xA9 \xCE\xB1\xCE\xB2 \xD0\x96 \xE2\x86\x92 \xE6\x97\xA5 \xF0\x9F\x98\x80 x"},
      {"utf-8 ill-formed", UTF8_CHARSET, 0,
       "a\xC3 b\xE2\x82 c\xED\xA0\x80 d\xE0\x80\xAF e\xC0\xAF f\xFF g\xE6\x97"},
      {"utf-8 letter-spaced", UTF8_CHARSET, 3, "x \xCE\xB1\xCE\xB2 \xE6\x97\xA5\xE6\x9C\xAC y"},
      // Words met again are taken whole: words of 7, 8, 9, 16, 17, 23, 24 and 25 bytes, each
      // twice, a word of ill-formed bytes and a word that runs on to the end.
      {"utf-8 words met again", UTF8_CHARSET, 0,
       "abcdefg abcdefgh \xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4x \xD0\x96\xD0\x96\xD0\x96\xD0\x96"
       "\xD0\x96\xD0\x96\xD0\x96\xD0\x96 \xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5"
       "\xE6\x97\xA5xy \xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92"
       "\xE2\x86\x92\xE2\x86\x92 \xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92"
       "\xE2\x86\x92\xE2\x86\x92" "ab \xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80z "
       "abcdefg abcdefgh \xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4x \xD0\x96\xD0\x96\xD0\x96\xD0\x96"
       "\xD0\x96\xD0\x96\xD0\x96\xD0\x96 \xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5"
       "\xE6\x97\xA5xy \xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92"
       "\xE2\x86\x92\xE2\x86\x92 \xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92\xE2\x86\x92"
       "\xE2\x86\x92\xE2\x86\x92" "ab \xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80z a\xC3" "b\xE2\x82\xFF" "c a\xC3" "b\xE2\x82\xFF" "c"
       "\tabcdefgh\x05" "abcdefgh\xCE\xB1\xCE"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TFontSpec fontSpec;
    fontSpec.Name = "Arial";
    fontSpec.Size = 12;
    fontSpec.Charset = c.Charset;
    fontSpec.LetterSpacing = c.LetterSpacing;
    const TFontHandle* font = ResolveFont(fontSpec);
    const int n = int(c.Text.size());
    std::vector<int> prefix(n);
    const int whole = font->GetTextExtentExPoint(c.Text.data(), n, 0, nullptr, prefix.data()).cx;
    for (int maxExtent = -1; maxExtent <= whole + 1; ++maxExtent) {
      int expected = -1;
      font->GetTextExtentExPoint(c.Text.data(), n, maxExtent, &expected, nullptr);
      int width = -1;
      EXPECT_EQ(font->FitBytes(c.Text.data(), n, maxExtent, width), expected) << maxExtent;
      EXPECT_EQ(width, expected > 0 ? prefix[expected - 1] : 0) << maxExtent;
    }
    // Every beginning of the text, so that words end where the bytes given end.
    for (int piece = 1; piece < n; ++piece) {
      int expected = -1;
      font->GetTextExtentExPoint(c.Text.data(), piece, whole, &expected, nullptr);
      int width = -1;
      EXPECT_EQ(font->FitBytes(c.Text.data(), piece, whole, width), expected) << piece;
    }
  }
}

// A line's fit measures the bytes it reaches, not the rest of the text given.
TEST(FontMeasure, FitBytesMeasuresOnlyTheBytesItReaches) {
  const TFontHandle* font = Font("Arial", DEFAULT_CHARSET, 37);
  ASSERT_EQ(font->MeasuredByteCount(), 0);
  const std::string text = "ab" + std::string(500, 'x') + "yz";
  int width = 0;
  EXPECT_EQ(font->FitBytes(text.data(), int(text.size()), font->CharWidth('a'), width), 1);
  EXPECT_EQ(width, font->CharWidth('a'));
  EXPECT_EQ(font->MeasuredByteCount(), 2);  // "a", and "b" that overflows
}

// A small-caps font measures a lower-case letter as the capital of the face at
// SmallCapsScale of the em, in 8-bit, double-byte and UTF-8 code pages, whichever way it
// is measured; other characters keep their own width.
TEST(FontMeasure, SmallCapsMeasureLowerCaseAsSmallCapitals) {
  const struct {
    uint8_t Charset;
    std::string Lower, Capital;
  } Cases[] = {
      {DEFAULT_CHARSET, "a", "A"},
      {DEFAULT_CHARSET, "\xE9", "\xC9"},
      {RUSSIAN_CHARSET, "\xE4", "\xC4"},
      {SHIFTJIS_CHARSET, "m", "M"},
      {UTF8_CHARSET, "\xC3\xA9", "\xC3\x89"},
      {UTF8_CHARSET, "\xD0\xB4", "\xD0\x94"},
  };
  for (const auto& Case : Cases) {
    TFontSpec Face;
    Face.Name = "Arial";
    Face.Height = -40;
    Face.Charset = Case.Charset;
    TFontSpec SmallFace = Face;
    SmallFace.Height = -(40 * SmallCapsScale + 50) / 100;
    const TFontHandle* Small = ResolveFont(SmallFace);
    const TFontHandle* Plain = ResolveFont(Face);
    Face.SmallCaps = true;
    const TFontHandle* Caps = ResolveFont(Face);
    const std::string Text = Case.Lower + "B" + Case.Lower;
    const int N = int(Text.size());
    const int Expected = 2 * Small->TextWidth(Case.Capital.data(), int(Case.Capital.size())) +
                         Plain->TextWidth("B", 1);
    EXPECT_EQ(Caps->TextWidth(Text.data(), N), Expected) << Text;
    EXPECT_EQ(Caps->GetTextExtentExPoint(Text.data(), N, 0, nullptr, nullptr).cx, Expected);
    int Width = 0;
    EXPECT_EQ(Caps->FitBytes(Text.data(), N, Expected, Width), N);
    EXPECT_EQ(Width, Expected);
    EXPECT_EQ(Caps->FitBytes(Text.data(), N, Expected - 1, Width), N - int(Case.Lower.size()));
    EXPECT_NE(Caps->TextWidth(Case.Lower.data(), int(Case.Lower.size())),
              Plain->TextWidth(Case.Lower.data(), int(Case.Lower.size())));
  }
}
