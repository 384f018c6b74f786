#include <gtest/gtest.h>

#include "style/colors.h"
#include "style/units.h"

namespace {

constexpr TColor Flag = PaletteRelativeFlag;

TEST(Colors, NamesHexAndRgbForms) {
  struct TCase {
    const char* Text;
    bool NeedPound;
    TColor Expected;
  } cases[] = {
      {"red", true, 0x0000FF},
      {"  Red ", true, 0x0000FF},
      {"crimson", true, 0x3614DC},
      {"yellowgreen", false, 0x32CD9A},
      {"transparent", true, NoColour},
      {"#abc", true, 0xCCBBAA + Flag},
      {"#F0A", true, 0xAA00FF + Flag},
      {"#102030", true, 0x302010 + Flag},
      {"abc", false, 0xCCBBAA + Flag},
      {"x#123456", true, 0x563412 + Flag},
      {"rgb(255, 0, 0)", true, 0x0000FF + Flag},
      {"rgb(100%, 0, 50%)", true, 0x8000FF + Flag},
      {"rgb(300,-5,12)", true, 0x0C00FF + Flag},
      {"rgb( 1 , 2 , 3 )", false, 0x030201 + Flag},
      {"rgb(10)", false, 0x00000A + Flag},
      {"rgb(x, 20%, 99999999999999999999)", false, 0xFF3300 + Flag},
  };
  for (const auto& c : cases) {
    TColor color = -1;
    EXPECT_TRUE(ParseColor(c.Text, c.NeedPound, color)) << c.Text;
    EXPECT_EQ(color, c.Expected) << c.Text;
  }
}

TEST(Colors, UnreadableTextFails) {
  const char* bad[] = {"", "#", "#ggg", "notacolour", "rgb(1,2,3", "rgb 1,2,3)", "#123456789",
                       "abc"};
  for (const char* text : bad) {
    TColor color = 77;
    EXPECT_FALSE(ParseColor(text, true, color)) << text;
  }
  TColor color;
  EXPECT_FALSE(ParseColor("zzz", false, color));
}

TEST(Colors, CacheDoesNotBypassThePoundRequirement) {
  TColor color = 0;
  ASSERT_TRUE(ParseColor("def", false, color));
  EXPECT_EQ(color, 0xFFEEDD + Flag);
  // The same text again, now with the "#" required: the cached success must not count.
  EXPECT_FALSE(ParseColor("def", true, color));
  EXPECT_TRUE(ParseColor("def", false, color));
  EXPECT_EQ(color, 0xFFEEDD + Flag);
}

TEST(Colors, CacheReturnsTheLastSuccessForEquivalentText) {
  TColor color = 0;
  ASSERT_TRUE(ParseColor("navy", true, color));
  TColor again = 0;
  EXPECT_TRUE(ParseColor(" NAVY", true, again));
  EXPECT_EQ(again, 0x800000);
  // A failure in between leaves the cache intact and reports failure.
  EXPECT_FALSE(ParseColor("nosuch", true, color));
  EXPECT_TRUE(ParseColor("navy", true, again));
  EXPECT_EQ(again, 0x800000);
  // A different colour replaces the cached one.
  EXPECT_TRUE(ParseColor("#000001", true, again));
  EXPECT_EQ(again, 0x010000 + Flag);
}

TEST(Colors, NameTableHasNoPaletteFlag) {
  const char* names[] = {"black", "white", "aliceblue", "lightgoldenrodyellow", "lightgrey"};
  for (const char* name : names) {
    TColor color;
    ASSERT_TRUE(ColorFromName(name, color)) << name;
    EXPECT_EQ(color & Flag, 0) << name;
  }
  TColor color;
  EXPECT_FALSE(ColorFromName("Red", color));  // the table is lower case and exact
}

}  // namespace
