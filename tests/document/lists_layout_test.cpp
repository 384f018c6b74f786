// List items: the markers they show and how lists indent them.
#include <gtest/gtest.h>

#include "document/blocks/list_item.h"
#include "tests/document/layout_test_util.h"

namespace {

TEST(ListMarkers, TextMarkersForEveryNumber) {
  using M = TMarkerStyle;
  struct TCase {
    M Style;
    int Number;
    const char* Text;
  } Cases[] = {
      {M::Decimal, 3, "3."},         {M::Decimal, -2, "-2."},
      {M::LowerAlpha, 1, "a."},      {M::UpperAlpha, 27, "Z."},  // z stays past 26
      {M::UpperAlpha, 0, "0."},      {M::LowerRoman, 4, "iv."},
      {M::UpperRoman, 21, "XXI."},   {M::UpperRoman, 3999, "MMMCMXCIX."},
      {M::LowerRoman, 4000, "4000."}, {M::LowerRoman, 0, "0."},
      {M::Disc, 1, ""},              {M::None, 1, ""},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(TBlockLI::MarkerText(C.Style, C.Number), C.Text) << C.Number;
}

TEST(ListLayout, ListsIndentTheirItemsAndQuotesTheirText) {
  TLaidOut Bare("<div>text</div>");
  const int Left = Bare.LeftOf("text"), Top = Bare.TopOf("text");
  struct TCase {
    const char* Html;
    const char* Text;
    int DX, DY;
  } Cases[] = {
      {"<ul><li>text</ul>", "text", 35, 14},
      {"<ul><li>one<ul><li>text</ul></ul>", "text", 70, -1},
      {"<dl><dt>one<dd>text</dl>", "text", 40, -1},
      {"<blockquote>text</blockquote>", "text", 35, 14},
      {"<li>text", "text", 16, 0},
      // A nested list right after the item's text has no space above it.
      {"<ul><li>text<ul><li>two</ul></ul>", "two", 70, 14 + 18},
  };
  TLaidOut Line("<div>one<br>two</div>");
  const int LineHeight = Line.TopOf("two") - Line.TopOf("one");
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    EXPECT_EQ(L.LeftOf(C.Text) - Left, C.DX) << C.Html;
    if (C.DY >= 0) {
      const int DY = C.DY > 14 ? 14 + LineHeight : C.DY;
      EXPECT_EQ(L.TopOf(C.Text) - Top, DY) << C.Html;
    }
  }
}

}  // namespace
