// Regions: sets of pixels made of rectangles, combined by union, intersection,
// difference and exclusive or. Used for clipping.
#pragma once

#include <vector>

#include "common/types.h"

// Combine modes and result kinds, with the Windows values.
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };

// Kept as horizontal bands sorted top to bottom; each band holds sorted, disjoint
// x intervals [x0, x1). Bands never overlap, and two touching bands with the same
// intervals are merged, so equal pixel sets have equal representations.
class TRegion {
 public:
  TRegion() = default;
  explicit TRegion(const TRect& r);

  bool IsEmpty() const { return FBands.empty(); }
  // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
  int Kind() const;
  TRect Bounds() const;
  bool Contains(TPoint p) const;
  bool Intersects(const TRect& r) const;
  void Offset(int dx, int dy);

  // This := a <mode> b; RGN_COPY copies a. Returns the kind of the result.
  int Combine(const TRegion& a, const TRegion& b, int mode);
  void Union(const TRegion& other) { Combine(*this, other, RGN_OR); }
  void Intersect(const TRegion& other) { Combine(*this, other, RGN_AND); }
  void Subtract(const TRegion& other) { Combine(*this, other, RGN_DIFF); }
  void Xor(const TRegion& other) { Combine(*this, other, RGN_XOR); }
  void Union(const TRect& r) { Union(TRegion(r)); }
  void Intersect(const TRect& r) { Intersect(TRegion(r)); }
  void Subtract(const TRect& r) { Subtract(TRegion(r)); }

  // The rectangles of the region, top to bottom, left to right, disjoint.
  std::vector<TRect> Rects() const;
  // Calls f(TRect) for every rectangle of the region that meets clip, cut to clip.
  template <class F>
  void ForEachRect(const TRect& clip, F&& f) const {
    for (const TBand& b : FBands) {
      if (b.Bottom <= clip.Top) continue;
      if (b.Top >= clip.Bottom) break;
      for (size_t i = 0; i + 1 < b.Xs.size(); i += 2) {
        TRect r = IntersectRect(TRect{b.Xs[i], b.Top, b.Xs[i + 1], b.Bottom}, clip);
        if (!r.IsEmpty()) f(r);
      }
    }
  }

  friend bool operator==(const TRegion& a, const TRegion& b);

 private:
  struct TBand {
    int Top = 0, Bottom = 0;
    std::vector<int> Xs;
  };
  void AppendBand(int top, int bottom, std::vector<int>&& xs);
  std::vector<TBand> FBands;

  friend bool operator==(const TBand& a, const TBand& b) {
    return a.Top == b.Top && a.Bottom == b.Bottom && a.Xs == b.Xs;
  }
};
