#include <gtest/gtest.h>

#include "toolkit/graphics/region.h"

namespace {

// Counts the pixels of a region inside a probe area, the slow and obvious way.
int CountPixels(const TRegion& r, const TRect& probe) {
  int n = 0;
  for (int y = probe.Top; y < probe.Bottom; ++y)
    for (int x = probe.Left; x < probe.Right; ++x) n += r.Contains(TPoint{x, y});
  return n;
}

}  // namespace

TEST(Region, CombineModesMatchPixelSets) {
  const TRect a{0, 0, 10, 10}, b{5, 5, 15, 15};
  struct Case {
    int Mode;
    int Pixels;
    int Kind;
  };
  const Case cases[] = {
      {RGN_AND, 25, SIMPLEREGION},
      {RGN_OR, 175, COMPLEXREGION},
      {RGN_XOR, 150, COMPLEXREGION},
      {RGN_DIFF, 75, COMPLEXREGION},
      {RGN_COPY, 100, SIMPLEREGION},
  };
  for (const Case& c : cases) {
    TRegion r;
    EXPECT_EQ(r.Combine(TRegion(a), TRegion(b), c.Mode), c.Kind) << c.Mode;
    EXPECT_EQ(CountPixels(r, TRect{-2, -2, 20, 20}), c.Pixels) << c.Mode;
    for (int y = -1; y < 16; ++y)
      for (int x = -1; x < 16; ++x) {
        bool inA = a.Contains({x, y}), inB = b.Contains({x, y});
        bool want = c.Mode == RGN_AND ? inA && inB : c.Mode == RGN_OR ? inA || inB
                  : c.Mode == RGN_XOR ? inA != inB : c.Mode == RGN_DIFF ? inA && !inB : inA;
        ASSERT_EQ(r.Contains({x, y}), want) << c.Mode << " at " << x << "," << y;
      }
  }
}

TEST(Region, EqualPixelSetsHaveEqualForms) {
  // Two halves side by side and one above the other both make the whole rectangle.
  TRegion sideBySide(TRect{0, 0, 5, 10});
  sideBySide.Union(TRect{5, 0, 10, 10});
  TRegion stacked(TRect{0, 0, 10, 4});
  stacked.Union(TRect{0, 4, 10, 10});
  EXPECT_EQ(sideBySide, TRegion(TRect{0, 0, 10, 10}));
  EXPECT_EQ(stacked, TRegion(TRect{0, 0, 10, 10}));
  EXPECT_EQ(stacked.Kind(), SIMPLEREGION);
}

TEST(Region, RemovingManyCellsLeavesTheGridLines) {
  // A table border region: the grid minus every cell, as a table draws it.
  TRegion grid(TRect{0, 0, 101, 101});
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 10; ++c) grid.Subtract(TRect{c * 10 + 1, r * 10 + 1, c * 10 + 10, r * 10 + 10});
  EXPECT_EQ(CountPixels(grid, TRect{0, 0, 101, 101}), 101 * 101 - 100 * 81);
  EXPECT_TRUE(grid.Contains({10, 55}));
  EXPECT_FALSE(grid.Contains({15, 55}));
  EXPECT_EQ(grid.Bounds(), (TRect{0, 0, 101, 101}));
}

TEST(Region, EmptyInputsAndOffsets) {
  TRegion empty(TRect{5, 5, 5, 9});
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.Kind(), NULLREGION);
  TRegion r(TRect{0, 0, 4, 4});
  r.Intersect(TRect{10, 10, 20, 20});
  EXPECT_TRUE(r.IsEmpty());
  TRegion s(TRect{0, 0, 4, 4});
  s.Offset(3, -2);
  EXPECT_EQ(s.Bounds(), (TRect{3, -2, 7, 2}));
  int rects = 0;
  s.ForEachRect(TRect{5, 0, 100, 100}, [&](const TRect& c) {
    ++rects;
    EXPECT_EQ(c, (TRect{5, 0, 7, 2}));
  });
  EXPECT_EQ(rects, 1);
}
