// The compact containers of text sections: contents survive growing past the inline
// element, shrinking back, copies, moves and removals.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "document/lazy_storage.h"
#include "document/text_section.h"

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

TEST(LazyStorage, EmptyContainersReadAsEmptyAndFillOnDemand) {
  TLazyString S;
  EXPECT_TRUE(S.empty());
  EXPECT_EQ(S.Str(), "");
  S.Edit().assign(3, 'y');
  S.Edit()[1] = 'n';
  TLazyString C = S;
  S.Reset();
  EXPECT_EQ(C.Str(), "yny");
  EXPECT_TRUE(S.empty());
  C = std::string();
  EXPECT_TRUE(C.empty());

  TLazyVector<int> V;
  EXPECT_EQ(V.begin(), V.end());
  const int Values[] = {4, 5, 6};
  V.append(Values, Values + 3);
  V.erase_at(1);
  EXPECT_EQ(std::vector<int>(V.begin(), V.end()), (std::vector<int>{4, 6}));
  V = std::vector<int>();
  EXPECT_TRUE(V.empty());
}

}  // namespace
