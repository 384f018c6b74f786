#include "style/units.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

int GPixelsPerInch = 96;
int GPointSize = 12;
double GFontScale[7] = {8, 10, 12, 14, 18, 24, 36};
double GPreFontScale[7] = {7, 8, 10, 12, 15, 20, 30};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

}  // namespace

int RoundToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= double(INT_MAX)) return INT_MAX;
  if (value <= double(INT_MIN)) return INT_MIN;
  return int(std::nearbyint(value));
}

bool ReadLeadingNumber(std::string_view text, double& value, std::string_view& rest) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double result = 0;
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) {
    result = result * 10 + (text[i++] - '0');
    digits = true;
  }
  if (i < text.size() && text[i] == '.' && i + 1 < text.size() && IsDigit(text[i + 1])) {
    ++i;
    double scale = 0.1;
    while (i < text.size() && IsDigit(text[i])) {
      result += (text[i++] - '0') * scale;
      scale *= 0.1;
    }
    digits = true;
  }
  if (!digits) {
    value = 0;
    rest = text;
    return false;
  }
  if (!std::isfinite(result)) result = 1e300;
  value = negative ? -result : result;
  rest = text.substr(i);
  return true;
}

int ScreenPixelsPerInch() { return GPixelsPerInch; }
void SetScreenPixelsPerInch(int ppi) { GPixelsPerInch = ppi > 0 ? ppi : 96; }

int DocumentPointSize() { return GPointSize; }

void SetDocumentPointSize(int pointSize) {
  static const int Normal[7] = {8, 10, 12, 14, 18, 24, 36};
  static const int Pre[7] = {7, 8, 10, 12, 15, 20, 30};
  GPointSize = pointSize;
  for (int i = 0; i < 7; ++i) {
    GFontScale[i] = pointSize * Normal[i] / 12.0;
    GPreFontScale[i] = pointSize * Pre[i] / 12.0;
  }
}

double HtmlFontSizeToPoints(int htmlSize, bool preformatted) {
  if (htmlSize < 1) htmlSize = 1;
  if (htmlSize > 7) htmlSize = 7;
  return preformatted ? GPreFontScale[htmlSize - 1] : GFontScale[htmlSize - 1];
}

int LengthToPixels(std::string_view text, bool relative, int base, int emPixels, int exPixels,
                   int defaultValue) {
  double v;
  std::string_view rest;
  ReadLeadingNumber(text, v, rest);
  std::string_view unit = TrimControls(rest);
  const double ppi = GPixelsPerInch;
  double px;
  if (rest.empty()) {
    px = relative ? v * base : v;
  } else if (unit == "px") {
    px = v;
  } else if (unit == "pt") {
    px = v * ppi / 72;
  } else if (unit == "em") {
    px = v * emPixels;
  } else if (unit == "ex") {
    px = v * exPixels;
  } else if (unit == "%") {
    px = v * base / 100;
  } else if (unit == "in") {
    px = v * ppi;
  } else if (unit == "cm") {
    px = v * ppi / 2.54;
  } else if (unit == "mm") {
    px = v * ppi / 25.4;
  } else if (unit == "pc") {
    px = v * ppi / 6;
  } else if (unit.empty()) {
    // Only blanks after the number: still a plain number.
    px = relative ? v * base : v;
  } else {
    return defaultValue;
  }
  return std::clamp(RoundToInt(px), -MaxLengthPixels, MaxLengthPixels);
}

double SizeToPoints(std::string_view text, double parentSize, double parentExPoints) {
  double v;
  std::string_view unit;
  ReadLeadingNumber(text, v, unit);
  const double d = GPointSize;
  const double ppi = GPixelsPerInch;
  if (unit.empty()) return v * 72 / ppi;
  if (unit == "pt") return v;
  if (unit == "px") return v * 72 / ppi;
  if (unit == "em") return v * parentSize;
  if (unit == "%") return v * parentSize / 100;
  if (unit == "ex") return v * (parentExPoints > 0 ? parentExPoints : parentSize / 2);
  if (unit == "in") return v * 72;
  if (unit == "cm") return v * 72 / 2.54;
  if (unit == "mm") return v * 72 / 25.4;
  if (unit == "pc") return v * 12;
  if (unit == "smaller") return parentSize * 0.75;
  if (unit == "larger") return parentSize * 1.25;
  if (unit == "xx-small") return d / 1.5;
  if (unit == "x-small") return d / 1.2;
  if (unit == "small") return d;
  if (unit == "medium") return d * 1.2;
  if (unit == "large") return d * 1.5;
  if (unit == "x-large") return d * 2;
  if (unit == "xx-large") return d * 3;
  return d;
}
