// TCanvas shapes with GDI geometry: rectangles and ellipses inside their bounds
// (right and bottom exclusive), lines without their last point, cosmetic pen styles.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "toolkit/graphics/graphics.h"

namespace {

// On/off run lengths of the styled one-pixel pens, starting with "on".
struct TDashPattern {
  const int* Runs;
  int Count;
  int Period;
};

constexpr int DashRuns[] = {18, 6};
constexpr int DotRuns[] = {3, 3};
constexpr int DashDotRuns[] = {9, 6, 3, 6};
constexpr int DashDotDotRuns[] = {9, 3, 3, 3, 3, 3};

const TDashPattern* PatternOf(TPenStyle style) {
  static const TDashPattern dash{DashRuns, 2, 24}, dot{DotRuns, 2, 6},
      dashDot{DashDotRuns, 4, 24}, dashDotDot{DashDotDotRuns, 6, 24};
  switch (style) {
    case psDash: return &dash;
    case psDot: return &dot;
    case psDashDot: return &dashDot;
    case psDashDotDot: return &dashDotDot;
    default: return nullptr;
  }
}

// Moves a pattern position on by Steps; every period divides PatternCycle, so the
// position is kept within it and long lines cannot overflow it.
constexpr int PatternCycle = 24;

void AdvancePattern(int& position, int64_t steps) {
  position = int((position % PatternCycle + steps % PatternCycle) % PatternCycle);
}

bool PatternOn(const TDashPattern& p, int position) {
  int t = position % p.Period;
  for (int i = 0; i < p.Count; ++i) {
    if (t < p.Runs[i]) return (i & 1) == 0;
    t -= p.Runs[i];
  }
  return true;
}

// The pixels of the ellipse inscribed in e on row y: [x0, x1). A pixel belongs when
// its centre lies inside; rows are mirrored so the shape is exactly symmetric.
bool EllipseSpan(const TRect& e, int y, int& x0, int& x1) {
  if (y < e.Top || y >= e.Bottom || e.Width() <= 0) return false;
  const double cx = (e.Left + e.Right) / 2.0, cy = (e.Top + e.Bottom) / 2.0;
  const double rx = e.Width() / 2.0, ry = e.Height() / 2.0;
  const double dy = (y + 0.5 - cy) / ry;
  const double t = 1.0 - dy * dy;
  if (t < 0) return false;
  const double half = rx * std::sqrt(t);
  int left = std::max(e.Left, int(std::ceil(cx - half - 0.5)));
  int right = e.Left + e.Right - left;
  if (right <= left) return false;
  x0 = left;
  x1 = right;
  return true;
}

// The logical rectangle a line's pixels can show in: the clip box, or the whole surface,
// widened by the pen and a device pixel's rounding. False when the surface has no size to
// hold a line to.
bool LineBand(const TCanvas& canvas, TRect& band, int penWidth) {
  if (!canvas.HasClip() && (canvas.DeviceWidth() <= 0 || canvas.DeviceHeight() <= 0)) return false;
  TRect box;
  if (canvas.GetClipBox(box) == NULLREGION) box = TRect{};
  const TRect pixel = canvas.DeviceToLogical(TRect{0, 0, 1, 1});
  const int margin = penWidth + 2 * std::max({1, std::abs(pixel.Width()), std::abs(pixel.Height())});
  band = TRect{std::min(box.Left, box.Right) - margin, std::min(box.Top, box.Bottom) - margin,
               std::max(box.Left, box.Right) + margin, std::max(box.Top, box.Bottom) + margin};
  return true;
}

// Whether a line stepping by (stepX, stepY) has passed out of the band for good.
bool Leaving(const TRect& band, int x, int y, int stepX, int stepY, int64_t dx, int64_t dy) {
  if (dx != 0 && (stepX > 0 ? x >= band.Right : x < band.Left)) return true;
  if (dy != 0 && (stepY > 0 ? y >= band.Bottom : y < band.Top)) return true;
  return false;
}

TRect Normalized(int l, int t, int r, int b) {
  return TRect{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

}  // namespace

void TCanvas::LineSegment(TPoint a, TPoint b, int& styleState, bool drawLast) {
  if (Pen.Style == psClear) return;
  const uint32_t pen = PixelOf(Pen.Color);
  const int w = std::max(1, Pen.Width);
  const TDashPattern* pattern = w == 1 ? PatternOf(Pen.Style) : nullptr;
  if (!pattern && (a.X == b.X || a.Y == b.Y)) {
    // A solid straight line is one rectangle centred on it: the pixels it covers are
    // those of the steps below, in one fill instead of one a pixel.
    const int o = (w - 1) / 2;
    // Spans from a towards b; b itself only when drawLast. In 64 bits, and cut to where
    // the line can show, so that lines across the whole int range do not overflow.
    auto span = [drawLast](int64_t from, int64_t to, int64_t& lo, int64_t& hi) {
      if (to >= from) { lo = from; hi = drawLast ? to + 1 : to; }
      else { lo = drawLast ? to : to + 1; hi = from + 1; }
    };
    int64_t lo, hi;
    TRect band;
    const bool banded = LineBand(*this, band, w);
    const bool across = a.Y == b.Y;
    span(across ? a.X : a.Y, across ? b.X : b.Y, lo, hi);
    const int64_t bandLo = banded ? (across ? band.Left : band.Top) : INT_MIN;
    const int64_t bandHi = banded ? (across ? band.Right : band.Bottom) : INT_MAX;
    lo = std::max(lo, bandLo);
    hi = std::min(hi, bandHi);
    if (lo >= hi) return;
    TRect r;
    if (across) {
      r = TRect{int(lo), a.Y - o, int(hi), a.Y - o + w};
    } else {
      r = TRect{a.X - o, int(lo), a.X - o + w, int(hi)};
    }
    FillLogical(r, pen, false);
    return;
  }
  const uint32_t bk = PixelOf(FBkColor);
  const bool opaqueGaps = FBkMode == OPAQUE;
  const int o = (w - 1) / 2;
  int x = a.X, y = a.Y;
  // 64 bits, so that lines across the whole int range neither overflow nor wrap.
  const int64_t dx = std::abs(int64_t(b.X) - a.X), dy = -std::abs(int64_t(b.Y) - a.Y);
  const int stepX = a.X < b.X ? 1 : -1, stepY = a.Y < b.Y ? 1 : -1;
  int64_t err = dx + dy;
  // Steps are one a pixel along the longer axis, so a line far longer than the surface
  // only steps where it can show: the steps outside the band are counted, not walked,
  // keeping the dash pattern of what follows in place.
  const int64_t steps = std::max(dx, -dy) + (drawLast ? 1 : 0);
  TRect band;
  if (LineBand(*this, band, w)) {
    const bool outside = std::max(a.X, b.X) < band.Left || std::min(a.X, b.X) >= band.Right ||
                         std::max(a.Y, b.Y) < band.Top || std::min(a.Y, b.Y) >= band.Bottom;
    if (outside) {
      AdvancePattern(styleState, steps);
      return;
    }
    // A straight line starts where it enters the band.
    int64_t skip = 0;
    if (dy == 0) skip = stepX > 0 ? int64_t(band.Left) - x : int64_t(x) - (band.Right - 1);
    else if (dx == 0) skip = stepY > 0 ? int64_t(band.Top) - y : int64_t(y) - (band.Bottom - 1);
    if (skip > 0) {
      if (dy == 0) x += stepX * int(skip);
      else y += stepY * int(skip);
      AdvancePattern(styleState, skip);
    }
  }
  for (;;) {
    const bool last = x == b.X && y == b.Y;
    if (last && !drawLast) break;
    if (!band.IsEmpty() && Leaving(band, x, y, stepX, stepY, dx, dy)) {
      // Past the band in the direction of travel: nothing more of the line shows.
      AdvancePattern(styleState, std::max(std::abs(int64_t(b.X) - x), std::abs(int64_t(b.Y) - y)) +
                                     (drawLast ? 1 : 0));
      break;
    }
    if (!pattern || PatternOn(*pattern, styleState)) FillLogical(TRect{x - o, y - o, x - o + w, y - o + w}, pen, false);
    else if (opaqueGaps) FillLogical(TRect{x, y, x + 1, y + 1}, bk, false);
    ++styleState;
    if (last) break;
    const int64_t e2 = 2 * err;
    if (e2 >= dy) { err += dy; x += stepX; }
    if (e2 <= dx) { err += dx; y += stepY; }
  }
}

void TCanvas::LineTo(int x, int y) {
  Prepare(true);
  int state = 0;
  LineSegment(FPenPos, TPoint{x, y}, state, false);
  FPenPos = TPoint{x, y};
}

void TCanvas::Polyline(const TPoint* points, int count) {
  if (!points || count < 2) return;
  Prepare(true);
  int state = 0;
  for (int i = 0; i + 1 < count; ++i) LineSegment(points[i], points[i + 1], state, false);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  Prepare(true);
  TRect r = Normalized(left, top, right, bottom);
  if (Pen.Style == psClear) {
    // Without a pen GDI fills one pixel less to the right and below.
    if (Brush.Style != bsClear)
      FillLogical(TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1}, PixelOf(Brush.Color), false);
    return;
  }
  const int w = std::max(1, Pen.Width);
  TRect outer = r;
  if (Pen.Style != psInsideFrame && w > 1) {
    const int o = (w - 1) / 2;
    outer = TRect{r.Left - o, r.Top - o, r.Right - 1 - o + w, r.Bottom - 1 - o + w};
  }
  TRect inner{outer.Left + w, outer.Top + w, outer.Right - w, outer.Bottom - w};
  if (Brush.Style != bsClear && !inner.IsEmpty()) FillLogical(inner, PixelOf(Brush.Color), false);
  if (w == 1 && PatternOf(Pen.Style)) {
    const TPoint pts[5] = {{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1},
                           {r.Left, r.Bottom - 1}, {r.Left, r.Top}};
    int state = 0;
    for (int i = 0; i < 4; ++i) LineSegment(pts[i], pts[i + 1], state, false);
    return;
  }
  const uint32_t pen = PixelOf(Pen.Color);
  if (inner.IsEmpty()) {
    FillLogical(outer, pen, false);
    return;
  }
  FillLogical(TRect{outer.Left, outer.Top, outer.Right, inner.Top}, pen, false);
  FillLogical(TRect{outer.Left, inner.Bottom, outer.Right, outer.Bottom}, pen, false);
  FillLogical(TRect{outer.Left, inner.Top, inner.Left, inner.Bottom}, pen, false);
  FillLogical(TRect{inner.Right, inner.Top, outer.Right, inner.Bottom}, pen, false);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  Prepare(true);
  TRect r = Normalized(left, top, right, bottom);
  const bool brush = Brush.Style != bsClear;
  if (Pen.Style == psClear) {
    if (!brush) return;
    TRect e{r.Left, r.Top, r.Right - 1, r.Bottom - 1};
    const uint32_t fill = PixelOf(Brush.Color);
    for (int y = e.Top; y < e.Bottom; ++y) {
      int x0, x1;
      if (EllipseSpan(e, y, x0, x1)) FillLogical(TRect{x0, y, x1, y + 1}, fill, false);
    }
    return;
  }
  const int w = std::max(1, Pen.Width);
  TRect outer = r;
  if (Pen.Style != psInsideFrame && w > 1) {
    const int o = (w - 1) / 2;
    outer = TRect{r.Left - o, r.Top - o, r.Right - 1 - o + w, r.Bottom - 1 - o + w};
  }
  const TRect inner{outer.Left + w, outer.Top + w, outer.Right - w, outer.Bottom - w};
  const uint32_t pen = PixelOf(Pen.Color), fill = PixelOf(Brush.Color);
  for (int y = outer.Top; y < outer.Bottom; ++y) {
    int a, b, c, d;
    if (!EllipseSpan(outer, y, a, b)) continue;
    if (!inner.IsEmpty() && EllipseSpan(inner, y, c, d)) {
      FillLogical(TRect{a, y, c, y + 1}, pen, false);
      FillLogical(TRect{d, y, b, y + 1}, pen, false);
      if (brush) FillLogical(TRect{c, y, d, y + 1}, fill, false);
    } else {
      FillLogical(TRect{a, y, b, y + 1}, pen, false);
    }
  }
}

void TCanvas::Polygon(const TPoint* points, int count) {
  if (!points || count < 2) return;
  Prepare(true);
  if (Brush.Style != bsClear && count >= 3) {
    int minY = points[0].Y, maxY = points[0].Y;
    for (int i = 1; i < count; ++i) {
      minY = std::min(minY, points[i].Y);
      maxY = std::max(maxY, points[i].Y);
    }
    const uint32_t fill = PixelOf(Brush.Color);
    std::vector<std::pair<double, int>> crossings;
    for (int y = minY; y < maxY; ++y) {
      const double yc = y + 0.5;
      crossings.clear();
      for (int i = 0; i < count; ++i) {
        const TPoint& p = points[i];
        const TPoint& q = points[(i + 1) % count];
        if (p.Y == q.Y) continue;
        const bool down = q.Y > p.Y;
        const int y0 = down ? p.Y : q.Y, y1 = down ? q.Y : p.Y;
        if (yc < y0 || yc >= y1) continue;
        const double x = p.X + (yc - p.Y) * double(q.X - p.X) / double(q.Y - p.Y);
        crossings.emplace_back(x, down ? 1 : -1);
      }
      std::sort(crossings.begin(), crossings.end());
      int winding = 0;
      for (size_t k = 0; k + 1 < crossings.size(); ++k) {
        winding += crossings[k].second;
        const bool inside = FPolyFillMode == WINDING ? winding != 0 : (k % 2) == 0;
        if (!inside) continue;
        const int x0 = int(std::ceil(crossings[k].first - 0.5));
        const int x1 = int(std::ceil(crossings[k + 1].first - 0.5));
        if (x1 > x0) FillLogical(TRect{x0, y, x1, y + 1}, fill, false);
      }
    }
  }
  int state = 0;
  for (int i = 0; i < count; ++i) LineSegment(points[i], points[(i + 1) % count], state, false);
}
