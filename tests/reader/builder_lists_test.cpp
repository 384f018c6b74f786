// Lists as the builder reads them: the marker style and the number of every item.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "document/blocks/list_item.h"
#include "tests/reader/builder_test_util.h"

namespace {

// The items of a document with their blocks, in document order.
std::vector<TBlockLI*> Items(TCellBasic& Cell) {
  std::vector<TBlockLI*> Out;
  for (int I = 0; I < Cell.Count(); ++I)
    if (auto* B = dynamic_cast<TBlock*>(Cell.Items(I))) {
      if (auto* Item = dynamic_cast<TBlockLI*>(B)) Out.push_back(Item);
      for (TBlockLI* Inner : Items(B->MyCell)) Out.push_back(Inner);
    }
  return Out;
}

TEST(ListMarkers, ListsNumberAndMarkTheirItems) {
  using M = TMarkerStyle;
  struct TCase {
    const char* Html;
    std::vector<std::pair<M, int>> Items;
  } Cases[] = {
      {"<ol><li>a<li>b</ol>", {{M::Decimal, 1}, {M::Decimal, 2}}},
      {"<ol start=5 type=A><li>a<li value=10>b<li>c</ol>",
       {{M::UpperAlpha, 5}, {M::UpperAlpha, 10}, {M::UpperAlpha, 11}}},
      {"<ol type=i><li>a</ol>", {{M::LowerRoman, 1}}},
      {"<ul><li>a<ul><li>b<ul><li>c</ul></ul></ul>", {{M::Disc, 1}, {M::Circle, 1}, {M::Square, 1}}},
      {"<ul plain><li>a</ul><ul type=none><li>b</ul>", {{M::None, 1}, {M::None, 1}}},
      {"<ul style='list-style-type:upper-roman'><li>a<li>b</ul>",
       {{M::UpperRoman, 1}, {M::UpperRoman, 2}}},
      {"<dl><dt>term<dd>definition</dl>", {{M::None, 1}, {M::None, 2}}},
      {"<li>alone", {{M::Disc, 1}}},
      // Wrong end tags of other lists are skipped; the open list goes on.
      {"<ol><li>a<ul><li>b</ol><li>c</ul><li>d</ol>",
       {{M::Decimal, 1}, {M::Circle, 1}, {M::Circle, 2}, {M::Decimal, 2}}},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    const auto Found = Items(D.Doc);
    ASSERT_EQ(Found.size(), C.Items.size()) << C.Html;
    for (size_t I = 0; I < Found.size(); ++I) {
      EXPECT_EQ(Found[I]->FMarkerStyle, C.Items[I].first) << C.Html << " " << I;
      EXPECT_EQ(Found[I]->FItemNumber, C.Items[I].second) << C.Html << " " << I;
    }
  }
}

// Any block shown as a list item becomes one, marked by its list-style-type; items in a
// row count on, and a block shown otherwise breaks the count.
TEST(ListMarkers, BlocksShownAsListItemsTakeMarkers) {
  using M = TMarkerStyle;
  struct TCase {
    const char* Html;
    std::vector<std::pair<M, int>> Items;
  } Cases[] = {
      {"<div style='display:list-item'>a</div>", {{M::Disc, 1}}},
      {"<style>div {display: list-item; list-style-type: square}</style><div>a</div><div>b</div>",
       {{M::Square, 1}, {M::Square, 2}}},
      {"<style>p {display: list-item; list-style-type: decimal}</style><p>a<div>x</div><p>b",
       {{M::Decimal, 1}, {M::Decimal, 1}}},
      {"<div style='display:block'>a</div><div>b</div>", {}},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    const auto Found = Items(D.Doc);
    ASSERT_EQ(Found.size(), C.Items.size()) << C.Html;
    for (size_t I = 0; I < Found.size(); ++I) {
      EXPECT_EQ(Found[I]->FMarkerStyle, C.Items[I].first) << C.Html << " " << I;
      EXPECT_EQ(Found[I]->FItemNumber, C.Items[I].second) << C.Html << " " << I;
    }
  }
}

}  // namespace
