// Face resolution, the installed-face list, GDI-style metrics and size handling.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "toolkit/fonts/font.h"

namespace {

TFontSpec FontOf(const char* name, int size = 12, bool bold = false) {
  TFontSpec fontSpec;
  fontSpec.Name = name;
  fontSpec.Size = size;
  fontSpec.Bold = bold;
  return fontSpec;
}

// Ascent and descent rounded to the nearest pixel from the faces' Windows cell
// (usWinAscent, usWinDescent of the metric-compatible faces, 2048 units to the em).
int Nearest(int units, int ppem) { return (units * ppem + 1024) / 2048; }

struct TStandInCase {
  const char* Name;
  const char* Family;
  int WinAscent, WinDescent;
};

const TStandInCase kStandIns[] = {
    {"Arial", "Liberation Sans", 1854, 434},
    {"Times New Roman", "Liberation Serif", 1825, 443},
    {"Courier New", "Liberation Mono", 1705, 615},
};

}  // namespace

TEST(FontFaces, StandardFacesResolveToInstalledMetricCompatibleFaces) {
  for (const TStandInCase& c : kStandIns) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(IsFaceInstalled(c.Name));
    const TFontHandle* font = ResolveFont(FontOf(c.Name));
    EXPECT_TRUE(font->FaceFound());
    EXPECT_EQ(font->FaceName(), c.Family);
    EXPECT_EQ(font->PixelSize(), 16);
    EXPECT_GT(font->TextWidth("Hello", 5), 0);
  }
}

TEST(FontFaces, NamesMatchWithoutRegardToCaseOrSurroundingSpace) {
  EXPECT_TRUE(IsFaceInstalled("arial"));
  EXPECT_TRUE(IsFaceInstalled("  TIMES new roman "));
  EXPECT_TRUE(IsFaceInstalled("liberation sans"));
  EXPECT_FALSE(IsFaceInstalled(""));
  const TFontHandle* lower = ResolveFont(FontOf("courier new"));
  EXPECT_TRUE(lower->FaceFound());
  EXPECT_EQ(lower->FaceName(), "Liberation Mono");
}

TEST(FontFaces, InstalledListIsSortedUniqueAndHasTheStandardNames) {
  const std::vector<std::string>& faces = InstalledFaces();
  EXPECT_TRUE(std::is_sorted(faces.begin(), faces.end()));
  EXPECT_EQ(std::adjacent_find(faces.begin(), faces.end()), faces.end());
  for (const char* name : {"Arial", "Times New Roman", "Courier New", "Liberation Serif"})
    EXPECT_NE(std::find(faces.begin(), faces.end(), name), faces.end()) << name;
  for (const std::string& face : faces) EXPECT_TRUE(IsFaceInstalled(face)) << face;
}

TEST(FontFaces, UninstalledFaceSaysSoAndStillMeasures) {
  EXPECT_FALSE(IsFaceInstalled("Qjx No Such Face"));
  const TFontHandle* font = ResolveFont(FontOf("Qjx No Such Face"));
  EXPECT_FALSE(font->FaceFound());
  EXPECT_FALSE(font->FaceName().empty());
  EXPECT_GT(font->Metrics().tmHeight, 0);
  EXPECT_GT(font->TextWidth("Hello", 5), 0);
  EXPECT_FALSE(ResolveFont(FontOf(""))->FaceFound());
}

TEST(FontMetrics, CellFollowsTheWindowsAscentAndDescent) {
  for (const TStandInCase& c : kStandIns) {
    for (int points : {6, 8, 10, 12, 14, 18, 24, 36, 72}) {
      SCOPED_TRACE(std::string(c.Name) + " " + std::to_string(points));
      const TFontHandle* font = ResolveFont(FontOf(c.Name, points));
      const TTextMetric& m = font->Metrics();
      int ppem = (points * 96 + 36) / 72;
      EXPECT_EQ(font->PixelSize(), ppem);
      EXPECT_EQ(m.tmAscent, Nearest(c.WinAscent, ppem));
      EXPECT_EQ(m.tmDescent, Nearest(c.WinDescent, ppem));
      EXPECT_EQ(m.tmHeight, m.tmAscent + m.tmDescent);
      // The em height is what the layout derives from the cell.
      EXPECT_EQ(m.tmHeight - m.tmInternalLeading, ppem);
      EXPECT_GE(m.tmExternalLeading, 0);
      EXPECT_GT(font->AverageCharWidth(), 0);
      EXPECT_GE(m.tmMaxCharWidth, font->AverageCharWidth());
    }
  }
  // Twelve points on a 96 dpi screen: the familiar 16-pixel em in a 17-pixel cell.
  const TTextMetric& arial = ResolveFont(FontOf("Arial"))->Metrics();
  EXPECT_EQ(arial.tmHeight, 17);
  EXPECT_EQ(arial.tmAscent, 14);
}

// Lines of 16-pixel text stand as far apart as a browser sets them: ascent, descent and
// line gap each rounded to the nearest pixel (14.26 + 3.46 + 0.68 for the serif face).
TEST(FontMetrics, LinePitchRoundsEachPartToTheNearestPixel) {
  struct TCase {
    const char* Name;
    int Ascent, Descent, Gap;
  } cases[] = {
      {"Times New Roman", 14, 3, 1},  // 14.26, 3.46, 0.68
      {"Arial", 14, 3, 1},            // 14.48, 3.39, 0.52
      {"Courier New", 13, 5, 0},      // 13.32, 4.80, 0
  };
  for (const TCase& c : cases) {
    const TTextMetric& m = ResolveFont(FontOf(c.Name))->Metrics();
    EXPECT_EQ(m.tmAscent, c.Ascent) << c.Name;
    EXPECT_EQ(m.tmDescent, c.Descent) << c.Name;
    EXPECT_EQ(m.tmExternalLeading, c.Gap) << c.Name;
    EXPECT_EQ(m.tmHeight + m.tmExternalLeading, 18) << c.Name;
  }
}

TEST(FontMetrics, StyleFlagsAndPitchAreReported) {
  const TTextMetric& bold = ResolveFont(FontOf("Arial", 12, true))->Metrics();
  EXPECT_EQ(bold.tmWeight, 700);
  EXPECT_EQ(ResolveFont(FontOf("Arial"))->Metrics().tmWeight, 400);
  TFontSpec styled = FontOf("Arial");
  styled.Italic = styled.Underline = styled.StrikeOut = true;
  const TTextMetric& m = ResolveFont(styled)->Metrics();
  EXPECT_TRUE(m.tmItalic && m.tmUnderlined && m.tmStruckOut);
  // Bit 0 set means variable pitch.
  EXPECT_EQ(ResolveFont(FontOf("Courier New"))->Metrics().tmPitchAndFamily & 1, 0);
  EXPECT_EQ(ResolveFont(FontOf("Arial"))->Metrics().tmPitchAndFamily & 1, 1);
}

TEST(FontMetrics, BoldIsWiderThanRegular) {
  const char* text = "The quick brown fox";
  int n = int(strlen(text));
  EXPECT_GT(ResolveFont(FontOf("Arial", 12, true))->TextWidth(text, n),
            ResolveFont(FontOf("Arial"))->TextWidth(text, n));
}

TEST(FontMetrics, FixedPitchFaceHasOneAdvanceForAllPrintableAscii) {
  const TFontHandle* font = ResolveFont(FontOf("Courier New", 10));
  int w = font->CharWidth('M');
  EXPECT_GT(w, 0);
  for (int c = 0x20; c < 0x7F; ++c) EXPECT_EQ(font->CharWidth(uint8_t(c)), w) << c;
  EXPECT_EQ(font->AverageCharWidth(), w);
}

TEST(FontMetrics, LinesSitInsideTheCell) {
  for (const TStandInCase& c : kStandIns) {
    for (int points : {6, 12, 30}) {
      TFontSpec fontSpec = FontOf(c.Name, points);
      fontSpec.Underline = fontSpec.StrikeOut = true;
      const TFontHandle* font = ResolveFont(fontSpec);
      const TTextMetric& m = font->Metrics();
      TFontLine under = font->UnderlineLine(), strike = font->StrikeOutLine();
      EXPECT_GE(under.Top, 1);
      EXPECT_LE(under.Top + under.Thickness, std::max(m.tmDescent, 1 + under.Thickness));
      EXPECT_LT(strike.Top, 0);
      EXPECT_GE(strike.Top, -m.tmAscent);
      EXPECT_GE(under.Thickness, 1);
      EXPECT_GE(strike.Thickness, 1);
    }
  }
}

TEST(FontCache, SameSpecGivesTheSameHandleWhateverTheColour) {
  TFontSpec a = FontOf("Arial"), b = FontOf("Arial");
  b.Color = clRed;
  EXPECT_EQ(ResolveFont(a), ResolveFont(b));
  EXPECT_EQ(ResolveFont(a)->Description().Name, "Arial");
  EXPECT_NE(ResolveFont(a), ResolveFont(FontOf("Arial", 13)));
  EXPECT_NE(ResolveFont(a, 96), ResolveFont(a, 120));
  EXPECT_EQ(ResolveFont(a, 120)->PixelSize(), 20);
  EXPECT_EQ(ResolveFont(a, 144)->PixelSize(), 24);
  EXPECT_NE(TFontSpecHash()(a), TFontSpecHash()(FontOf("Arial", 13)));
}

TEST(FontSize, PixelHeightFollowsTheGdiSignConvention) {
  TFontSpec em = FontOf("Arial");
  em.Height = -20;
  const TFontHandle* byEm = ResolveFont(em);
  EXPECT_EQ(byEm->PixelSize(), 20);
  EXPECT_EQ(byEm->Metrics().tmHeight - byEm->Metrics().tmInternalLeading, 20);
  TFontSpec cell = FontOf("Arial");
  cell.Height = 23;
  const TFontHandle* byCell = ResolveFont(cell);
  // The em that gives a cell closest to 23 pixels.
  EXPECT_EQ(byCell->PixelSize(), (23 * 2048 + 1144) / 2288);
  EXPECT_NEAR(byCell->Metrics().tmHeight, 23, 2);
}

TEST(FontSize, ExtremeSizesClampInsteadOfFailing) {
  struct TCase {
    int Size, Height, Dpi;
  } cases[] = {{0, 0, 96},       {-12, 0, 96},      {INT_MAX, 0, 96}, {INT_MIN, 0, 96},
               {12, INT_MIN, 96}, {12, INT_MAX, 96}, {12, 0, 0},       {12, 0, INT_MAX},
               {1, 0, 1},        {12, -1, 96}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Size) + " " + std::to_string(c.Height) + " " + std::to_string(c.Dpi));
    TFontSpec fontSpec = FontOf("Times New Roman", c.Size);
    fontSpec.Height = c.Height;
    const TFontHandle* font = ResolveFont(fontSpec, c.Dpi);
    EXPECT_GE(font->PixelSize(), 1);
    EXPECT_LE(font->PixelSize(), 1000);
    EXPECT_GT(font->Metrics().tmHeight, 0);
    EXPECT_GE(font->TextWidth("Wide", 4), 0);
  }
  // A zero size asks for the default size, as a zero height does on the platform.
  EXPECT_EQ(ResolveFont(FontOf("Arial", 0))->PixelSize(), 16);
}

TEST(FontMetrics, EmboldenedFaceAdvancesOnePixelMorePerGlyph) {
  // A family with a regular face only: bold is synthesized, one pixel wider per glyph.
  const char* family = "DejaVu Math TeX Gyre";
  if (!IsFaceInstalled(family)) GTEST_SKIP() << family << " is not installed";
  const TFontHandle* regular = ResolveFont(FontOf(family));
  const TFontHandle* bold = ResolveFont(FontOf(family, 12, true));
  EXPECT_EQ(bold->FaceName(), regular->FaceName());
  EXPECT_EQ(bold->TextWidth("abc", 3), regular->TextWidth("abc", 3) + 3);
  EXPECT_EQ(bold->Metrics().tmHeight, regular->Metrics().tmHeight);
}
