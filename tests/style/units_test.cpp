#include <gtest/gtest.h>

#include "style/units.h"

namespace {

struct TLengthCase {
  const char* Text;
  bool Relative;
  int Base;
  int Expected;
};

TEST(Units, LengthToPixelsByUnit) {
  SetScreenPixelsPerInch(96);
  const TLengthCase cases[] = {
      {"10px", false, 0, 10},     {"12pt", false, 0, 16},    {"1in", false, 0, 96},
      {"2.54cm", false, 0, 96},   {"25.4mm", false, 0, 96},  {"1pc", false, 0, 16},
      {"1.5em", false, 0, 24},    {"2ex", false, 0, 16},     {"50%", false, 300, 150},
      {"7", false, 300, 7},       {"2", true, 30, 60},       {"12 px", false, 0, 12},
      {"12PX", false, 0, -99},    {"12Px", false, 0, -99},   {"auto", false, 0, -99},
      {"", false, 5, 0},          {"-4px", false, 0, -4},    {".5in", false, 0, 48},
      {"1e3", false, 0, -99},     {"2.5px", false, 0, 2},    {"3.5px", false, 0, 4},
      {"12 ", true, 2, 24},
  };
  for (const TLengthCase& c : cases)
    EXPECT_EQ(LengthToPixels(c.Text, c.Relative, c.Base, 16, 8, -99), c.Expected) << c.Text;
}

TEST(Units, HugeNumbersClampInsteadOfOverflowing) {
  std::string digits(400, '9');
  EXPECT_EQ(LengthToPixels(digits + "px", false, 0, 16, 8, 0), MaxLengthPixels);
  EXPECT_EQ(LengthToPixels("-" + digits + "px", false, 0, 16, 8, 0), -MaxLengthPixels);
  EXPECT_EQ(LengthToPixels("99999em", false, 0, 16, 8, 0), MaxLengthPixels);
  EXPECT_EQ(LengthToPixels("-9999px", false, 0, 16, 8, 0), -9999);
  EXPECT_EQ(RoundToInt(1e300), INT_MAX);
  EXPECT_EQ(RoundToInt(2.5), 2);
  EXPECT_EQ(RoundToInt(-0.5), 0);
}

TEST(Units, SizeToPointsUnitsKeywordsAndRelativeSizes) {
  SetScreenPixelsPerInch(96);
  SetDocumentPointSize(12);
  struct TCase {
    const char* Text;
    double Parent;
    double Expected;
  } cases[] = {
      {"10pt", 20, 10},      {"16px", 20, 12},     {"16", 20, 12},       {"1in", 20, 72},
      {"1pc", 20, 12},       {"2em", 10, 20},      {"2ex", 10, 10},      {"150%", 10, 15},
      {"smaller", 16, 12},   {"larger", 16, 20},   {"xx-small", 0, 8},   {"x-small", 0, 10},
      {"small", 0, 12},      {"medium", 0, 14.4},  {"large", 0, 18},     {"x-large", 0, 24},
      {"xx-large", 0, 36},   {"12 px", 20, 12},    {"bogus", 20, 12},    {"12PT", 20, 12},
  };
  for (const TCase& c : cases)
    EXPECT_DOUBLE_EQ(SizeToPoints(c.Text, c.Parent), c.Expected) << c.Text;
}

TEST(Units, FontScalesFollowTheDocumentSize) {
  SetDocumentPointSize(12);
  EXPECT_DOUBLE_EQ(HtmlFontSizeToPoints(1, false), 8);
  EXPECT_DOUBLE_EQ(HtmlFontSizeToPoints(7, false), 36);
  EXPECT_DOUBLE_EQ(HtmlFontSizeToPoints(3, true), 10);
  EXPECT_DOUBLE_EQ(HtmlFontSizeToPoints(0, false), 8);   // clamped to 1
  EXPECT_DOUBLE_EQ(HtmlFontSizeToPoints(99, true), 30);  // clamped to 7
  SetDocumentPointSize(24);
  EXPECT_DOUBLE_EQ(HtmlFontSizeToPoints(3, false), 24);
  EXPECT_DOUBLE_EQ(HtmlFontSizeToPoints(5, true), 30);
  EXPECT_DOUBLE_EQ(SizeToPoints("medium", 0), 28.8);
  SetDocumentPointSize(12);
}

}  // namespace
