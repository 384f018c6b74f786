#include "document/images/image_map.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "document/core/url_target.h"

namespace {

// Numbers separated by commas or blanks (a run of them is one separator); a piece that is
// no number counts as 0. At most 301 are read.
std::vector<int> ReadCoords(const std::string& Text) {
  std::vector<int> numbers;
  size_t i = 0;
  auto separator = [](char c) { return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (i < Text.size() && numbers.size() < 301) {
    while (i < Text.size() && separator(Text[i])) ++i;
    if (i >= Text.size()) break;
    size_t j = i;
    while (j < Text.size() && !separator(Text[j])) ++j;
    const std::string piece = Text.substr(i, std::min<size_t>(j - i, 20));
    char* end = nullptr;
    const long value = std::strtol(piece.c_str(), &end, 10);
    numbers.push_back(end && *end == '\0' ? int(std::clamp<long>(value, -1000000, 1000000)) : 0);
    i = j;
  }
  return numbers;
}

}  // namespace

void TMapItem::AddArea(const TAreaAttributes& A) {
  TArea area;
  area.Href = A.NoHref ? std::string() : A.Href;
  area.Target = A.Target;
  std::string shape = A.Shape.substr(0, 4);
  for (char& c : shape) c = char(std::tolower(static_cast<unsigned char>(c)));
  area.Shape = shape == "circ"   ? TShape::Circle
               : shape == "poly" ? TShape::Poly
               : shape == "defa" ? TShape::Whole
                                 : TShape::Rect;
  area.Coords = ReadCoords(A.Coords);
  const size_t needed = area.Shape == TShape::Circle ? 3
                        : area.Shape == TShape::Poly ? 6
                        : area.Shape == TShape::Whole ? 0
                                                      : 4;
  if (area.Coords.size() < needed) return;
  if (area.Shape == TShape::Poly && area.Coords.size() % 2) area.Coords.pop_back();
  FAreas.push_back(std::move(area));
}

bool TMapItem::TArea::Contains(int X, int Y) const {
  const std::vector<int>& c = Coords;
  switch (Shape) {
    case TShape::Whole:
      return true;
    case TShape::Rect:
      // Right and bottom edges belong to the area.
      return X >= c[0] && X <= c[2] && Y >= c[1] && Y <= c[3];
    case TShape::Circle: {
      // The ellipse in (x - r, y - r, x + r + 1, y + r + 1), tested at the pixel's centre.
      const double r = std::abs(c[2]) + 0.5;
      const double dx = X + 0.5 - (c[0] + 0.5), dy = Y + 0.5 - (c[1] + 0.5);
      return dx * dx + dy * dy <= r * r;
    }
    case TShape::Poly: {
      // Winding rule at the pixel's centre.
      const double px = X + 0.5, py = Y + 0.5;
      int winding = 0;
      const size_t n = c.size() / 2;
      for (size_t i = 0; i < n; ++i) {
        const double x0 = c[2 * i], y0 = c[2 * i + 1];
        const double x1 = c[2 * ((i + 1) % n)], y1 = c[2 * ((i + 1) % n) + 1];
        const double side = (x1 - x0) * (py - y0) - (px - x0) * (y1 - y0);
        if (y0 <= py) {
          if (y1 > py && side > 0) ++winding;
        } else if (y1 <= py && side < 0) {
          --winding;
        }
      }
      return winding != 0;
    }
  }
  return false;
}

bool TMapItem::GetURL(int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget) const {
  for (const TArea& area : FAreas) {
    if (!area.Contains(X, Y)) continue;
    if (area.Href.empty()) return false;
    UrlTarget = std::make_unique<TUrlTarget>();
    UrlTarget->Assign(area.Href, area.Target);
    return true;
  }
  return false;
}
