// Line boxes made from the line-heights of the inline boxes standing in them.
#include <gtest/gtest.h>

#include <vector>

#include "document/core/line_box.h"

namespace {

// Text of a font 8 above and 2 below its baseline: the leading of its line-height is
// shared out, the smaller half above, and its baseline shift moves the whole box.
TEST(LineBox, TextTakesItsLineHeightAroundItsContentArea) {
  const struct {
    int LineHeight, Shift;
    TLineExtent Want;
  } Cases[] = {
      {10, 0, {8, 2}},     // the font's own height
      {20, 0, {13, 7}},    // five above, five below
      {15, 0, {10, 5}},    // an odd leading: the smaller half above
      {4, 0, {5, -1}},     // below the font's height: negative halves
      {0, 0, {3, -3}},     // nothing: the box is the middle of the content area
      {10, 3, {5, 5}},     // lowered
      {10, -4, {12, -2}},  // raised
  };
  for (const auto& C : Cases) {
    const TLineExtent E = TextLineExtent(8, 2, C.LineHeight, C.Shift);
    EXPECT_EQ(E.Above, C.Want.Above) << C.LineHeight << " " << C.Shift;
    EXPECT_EQ(E.Below, C.Want.Below) << C.LineHeight << " " << C.Shift;
    EXPECT_EQ(E.Height(), C.LineHeight) << C.LineHeight << " " << C.Shift;
  }
}

// The line reaches as far up and down as its boxes do on their common baseline; boxes
// aligned with its top or bottom make it taller only when they are taller than it.
TEST(LineBox, LineSpansItsBoxesAndPlacesTopAndBottomAlignedOnesLast) {
  const struct {
    const char* Name;
    std::vector<TLineExtent> Boxes;
    int TopAligned, BottomAligned;
    TLineExtent Want;
  } Cases[] = {
      {"one box", {{8, 2}}, 0, 0, {8, 2}},
      {"a larger font on the same baseline", {{8, 2}, {16, 4}}, 0, 0, {16, 4}},
      {"a raised small box", {{8, 2}, {12, -6}}, 0, 0, {12, 2}},
      {"a lowered small box", {{8, 2}, {-2, 9}}, 0, 0, {8, 9}},
      {"an image on the baseline", {{8, 2}, {30, 0}}, 0, 0, {30, 2}},
      {"a short top-aligned box", {{8, 2}}, 6, 0, {8, 2}},
      {"a tall top-aligned box hangs down", {{8, 2}}, 25, 0, {8, 17}},
      {"a tall bottom-aligned box stands up", {{8, 2}}, 0, 25, {23, 2}},
      {"both: the bottom one first", {{8, 2}}, 40, 25, {23, 17}},
      {"lines of no height", {{3, -3}}, 0, 0, {3, -3}},
      {"negative height is none", {{2, -5}}, 0, 0, {2, -2}},
  };
  for (const auto& C : Cases) {
    TLineBoxMaker M;
    for (const TLineExtent& B : C.Boxes) M.Add(B);
    if (C.TopAligned) M.AddTopAligned(C.TopAligned);
    if (C.BottomAligned) M.AddBottomAligned(C.BottomAligned);
    const TLineExtent E = M.Result();
    EXPECT_EQ(E.Above, C.Want.Above) << C.Name;
    EXPECT_EQ(E.Below, C.Want.Below) << C.Name;
  }
}

}  // namespace
