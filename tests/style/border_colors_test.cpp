#include <gtest/gtest.h>

#include "style/border_colors.h"
#include "style/colors.h"
#include "style_doc.h"

namespace {

TColor Named(std::string_view name) {
  TColor color = NoColour;
  ParseColor(name, false, color);
  return color;
}
constexpr TColor None = NoColour;

TEST(BorderColors, OneToFourColoursGoToTheSidesInTurn) {
  const TColor Red = Named("red"), Green = Named("green"), Blue = Named("blue");
  const TColor Yellow = Named("yellow"), Purple = Named("purple");
  struct TCase {
    std::string_view Value;
    bool Read;
    TBorderColors Sides;
  };
  const TCase cases[] = {
      {"red", true, {Red, Red, Red, Red}},
      {"red green", true, {Red, Green, Red, Green}},
      {"red green blue", true, {Red, Green, Blue, Green}},
      {"purple green blue yellow", true, {Purple, Green, Blue, Yellow}},
      {" rgb(0, 0, 255)  red ", true, {Named("rgb(0, 0, 255)"), Red, Named("rgb(0, 0, 255)"), Red}},
      {"red green blue yellow purple", false, {}},
      {"red solid", false, {}},
      {"", false, {}},
  };
  for (const TCase& c : cases) {
    TBorderColors colors{};
    EXPECT_EQ(ParseBorderColors(c.Value, colors), c.Read) << c.Value;
    if (c.Read) { EXPECT_EQ(colors, c.Sides) << c.Value; }
  }
}

TEST(BorderColors, OneColourIsKeptAsAnIntegerAndFourAsText) {
  const TColor Red = Named("red"), Blue = Named("blue"), Purple = Named("purple");
  const TBorderColors same{Red, Red, Red, Red};
  EXPECT_TRUE(BorderColorsValue(same).IsInteger());
  EXPECT_EQ(BorderColorsOf(BorderColorsValue(same)), same);
  const TBorderColors apart{Purple, None, Blue, TColor(0x80000005)};  // a system colour too
  const TPropValue value = BorderColorsValue(apart);
  EXPECT_TRUE(value.IsString());
  EXPECT_EQ(BorderColorsOf(value), apart);
  EXPECT_EQ(BorderColorsOf(TPropValue(std::string_view("red"))), (TBorderColors{None, None, None, None}));
}

TEST(BorderColors, SidesSetAlonePassThroughTheCascade) {
  const TColor Red = Named("red"), Green = Named("green"), Blue = Named("blue");
  const TColor Yellow = Named("yellow"), Purple = Named("purple");
  struct TCase {
    std::string_view Sheet;
    TBorderColors Sides;
  };
  const TCase cases[] = {
      // In one rule, later declarations change their own side.
      {"p { border-color: green; border-top-color: purple }", {Purple, Green, Green, Green}},
      {"p { border: solid green; border-left: yellow solid }", {Green, Green, Green, Yellow}},
      {"p { border-top: purple solid 2em; border-right: green solid 2em;"
       " border-bottom: blue solid; border-left: yellow solid }",
       {Purple, Green, Blue, Yellow}},
      // A later rule colouring one side leaves the others to the earlier one.
      {"p { border-color: green } p { border-bottom-color: blue }", {Green, Green, Blue, Green}},
      // A later rule with one colour for all replaces every side.
      {"p { border-color: red green } p { border-color: blue }", {Blue, Blue, Blue, Blue}},
      // Side colours with nothing before them leave the others to the text colour.
      {"p { border-right-color: red }", {None, Red, None, None}},
      {"p { border-right-color: nonsense }", {None, None, None, None}},
  };
  for (const TCase& c : cases) {
    TStyleDoc doc;
    doc.Sheet(c.Sheet);
    EXPECT_EQ(BorderColorsOf(doc.Open("p")[piBorderColor]), c.Sides) << c.Sheet;
  }
}

}  // namespace
