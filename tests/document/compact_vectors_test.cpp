// The compact vectors of text sections: contents survive growing past the inline element,
// shrinking back, copies, moves and removals.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "document/core/compact_vectors.h"
#include "document/core/text_section.h"

namespace {

using TPairs = std::vector<std::pair<int, int>>;

TPairs Contents(const TSmallVector<IndexObj>& V) {
  TPairs Out;
  for (const IndexObj& E : V) Out.emplace_back(E.DocOffset, E.SourceOffset);
  return Out;
}

TEST(SmallVector, KeepsItsElementsThroughGrowthShrinkCopyAndMove) {
  TSmallVector<IndexObj> V;
  EXPECT_TRUE(V.empty());
  TPairs Expected;
  for (int I = 0; I < 9; ++I) {
    V.push_back({I, 100 + I});
    Expected.emplace_back(I, 100 + I);
    ASSERT_EQ(Contents(V), Expected) << I;
  }
  // An element of the vector itself pushed while it grows.
  TSmallVector<IndexObj> Self;
  Self.push_back({1, 2});
  Self.push_back(Self.front());
  Self.push_back(Self.back());
  EXPECT_EQ(Contents(Self), (TPairs{{1, 2}, {1, 2}, {1, 2}}));

  V.erase_at(0);
  V.erase_at(V.size() - 1);
  Expected.erase(Expected.begin());
  Expected.pop_back();
  EXPECT_EQ(Contents(V), Expected);

  TSmallVector<IndexObj> Copy(V);
  Copy.push_back({50, 50});
  EXPECT_EQ(Contents(V), Expected);
  TSmallVector<IndexObj> Moved(std::move(Copy));
  EXPECT_TRUE(Copy.empty());
  EXPECT_EQ(Moved.size(), Expected.size() + 1);
  Moved = V;
  EXPECT_EQ(Contents(Moved), Expected);

  while (V.size() > 1) V.erase_at(1);
  V.shrink_to_fit();  // back inline
  EXPECT_EQ(Contents(V), TPairs{Expected.front()});
  V.push_back({7, 7});
  EXPECT_EQ(V.back().SourceOffset, 7);
  V.clear();
  V.shrink_to_fit();
  EXPECT_TRUE(V.empty());

  // One inline element moves and copies by value.
  TSmallVector<IndexObj> One;
  One.push_back({3, 4});
  TSmallVector<IndexObj> Two;
  Two = std::move(One);
  EXPECT_EQ(Contents(Two), (TPairs{{3, 4}}));
  EXPECT_TRUE(One.empty());
}

TEST(CompactVector, KeepsItsElementsThroughGrowthCopyMoveAndClear) {
  TCompactVector<LineRec> V;
  EXPECT_TRUE(V.empty());
  for (int I = 0; I < 5; ++I) {
    LineRec Line;
    Line.TextStart = I;
    V.push_back(Line);
  }
  V.push_back(V[0]);  // an element of the vector itself while it grows
  ASSERT_EQ(V.size(), 6u);
  EXPECT_EQ(V.back().TextStart, 0);
  EXPECT_EQ(V[4].TextStart, 4);

  TCompactVector<LineRec> Copy(V);
  V.clear();
  EXPECT_TRUE(V.empty());
  EXPECT_EQ(Copy.size(), 6u);
  LineRec Again;
  Again.TextStart = 9;
  V.push_back(Again);  // after a clear the storage is used again
  EXPECT_EQ(V[0].TextStart, 9);

  TCompactVector<LineRec> Moved(std::move(Copy));
  EXPECT_TRUE(Copy.empty());
  EXPECT_EQ(Moved[3].TextStart, 3);
  Moved = V;
  ASSERT_EQ(Moved.size(), 1u);
  EXPECT_EQ(Moved[0].TextStart, 9);
  Moved = TCompactVector<LineRec>();
  EXPECT_TRUE(Moved.empty());
}

}  // namespace
