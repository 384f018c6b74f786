#include "toolkit/graphics/region.h"

#include <algorithm>

TRegion::TRegion(const TRect& r) {
  if (!r.IsEmpty()) FBands.push_back(TBand{r.Top, r.Bottom, {r.Left, r.Right}});
}

int TRegion::Kind() const {
  if (FBands.empty()) return NULLREGION;
  return FBands.size() == 1 && FBands[0].Xs.size() == 2 ? SIMPLEREGION : COMPLEXREGION;
}

TRect TRegion::Bounds() const {
  if (FBands.empty()) return TRect{};
  TRect r{FBands.front().Xs.front(), FBands.front().Top, FBands.front().Xs.back(),
          FBands.back().Bottom};
  for (const TBand& b : FBands) {
    r.Left = std::min(r.Left, b.Xs.front());
    r.Right = std::max(r.Right, b.Xs.back());
  }
  return r;
}

bool TRegion::Contains(TPoint p) const {
  for (const TBand& b : FBands) {
    if (p.Y < b.Top) return false;
    if (p.Y >= b.Bottom) continue;
    for (size_t i = 0; i + 1 < b.Xs.size(); i += 2)
      if (p.X >= b.Xs[i] && p.X < b.Xs[i + 1]) return true;
    return false;
  }
  return false;
}

bool TRegion::Intersects(const TRect& r) const {
  bool any = false;
  ForEachRect(r, [&](const TRect&) { any = true; });
  return any;
}

void TRegion::Offset(int dx, int dy) {
  for (TBand& b : FBands) {
    b.Top += dy;
    b.Bottom += dy;
    for (int& x : b.Xs) x += dx;
  }
}

std::vector<TRect> TRegion::Rects() const {
  std::vector<TRect> out;
  for (const TBand& b : FBands)
    for (size_t i = 0; i + 1 < b.Xs.size(); i += 2)
      out.push_back(TRect{b.Xs[i], b.Top, b.Xs[i + 1], b.Bottom});
  return out;
}

void TRegion::AppendBand(int top, int bottom, std::vector<int>&& xs) {
  if (xs.empty() || top >= bottom) return;
  if (!FBands.empty() && FBands.back().Bottom == top && FBands.back().Xs == xs) {
    FBands.back().Bottom = bottom;
    return;
  }
  FBands.push_back(TBand{top, bottom, std::move(xs)});
}

namespace {

bool Apply(int mode, bool a, bool b) {
  switch (mode) {
    case RGN_AND: return a && b;
    case RGN_OR: return a || b;
    case RGN_XOR: return a != b;
    case RGN_DIFF: return a && !b;
    default: return a;
  }
}

// Merges two interval lists (each boundary toggles membership) under mode.
void CombineSpans(const std::vector<int>* a, const std::vector<int>* b, int mode,
                  std::vector<int>& out) {
  static const std::vector<int> empty;
  const std::vector<int>& xa = a ? *a : empty;
  const std::vector<int>& xb = b ? *b : empty;
  size_t i = 0, j = 0;
  bool inA = false, inB = false, cur = false;
  while (i < xa.size() || j < xb.size()) {
    int x;
    if (j >= xb.size() || (i < xa.size() && xa[i] <= xb[j])) x = xa[i];
    else x = xb[j];
    while (i < xa.size() && xa[i] == x) { inA = !inA; ++i; }
    while (j < xb.size() && xb[j] == x) { inB = !inB; ++j; }
    bool r = Apply(mode, inA, inB);
    if (r != cur) {
      // A boundary that closes and reopens at the same x joins the two spans.
      if (!out.empty() && out.back() == x) out.pop_back();
      else out.push_back(x);
      cur = r;
    }
  }
}

}  // namespace

int TRegion::Combine(const TRegion& a, const TRegion& b, int mode) {
  if (mode == RGN_COPY) {
    if (this != &a) FBands = a.FBands;
    return Kind();
  }
  std::vector<int> ys;
  ys.reserve(2 * (a.FBands.size() + b.FBands.size()));
  for (const TBand& t : a.FBands) { ys.push_back(t.Top); ys.push_back(t.Bottom); }
  for (const TBand& t : b.FBands) { ys.push_back(t.Top); ys.push_back(t.Bottom); }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  TRegion result;
  size_t ia = 0, ib = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    int y0 = ys[k], y1 = ys[k + 1];
    while (ia < a.FBands.size() && a.FBands[ia].Bottom <= y0) ++ia;
    while (ib < b.FBands.size() && b.FBands[ib].Bottom <= y0) ++ib;
    const std::vector<int>* sa =
        ia < a.FBands.size() && a.FBands[ia].Top <= y0 ? &a.FBands[ia].Xs : nullptr;
    const std::vector<int>* sb =
        ib < b.FBands.size() && b.FBands[ib].Top <= y0 ? &b.FBands[ib].Xs : nullptr;
    if (!sa && !sb) continue;
    std::vector<int> xs;
    CombineSpans(sa, sb, mode, xs);
    result.AppendBand(y0, y1, std::move(xs));
  }
  FBands = std::move(result.FBands);
  return Kind();
}

bool operator==(const TRegion& a, const TRegion& b) { return a.FBands == b.FBands; }
