#include <gtest/gtest.h>

#include "style/box_values.h"

namespace {

int At(int index) { return index - BoxFirst; }

TVMarginArray EmptyBox() {
  TProperties props;
  TVMarginArray values;
  props.BoxValues(values);
  return values;
}

TEST(BoxValues, BorderWidthDependsOnTheSideStyle) {
  TProperties props;
  props.SetDeclarationAt(piBorderTopWidth, "7px");
  props.SetDeclarationAt(piBorderRightWidth, "thick");
  props.SetDeclarationAt(piBorderTopStyle, "none");
  props.SetDeclarationAt(piBorderRightStyle, "solid");
  props.SetDeclarationAt(piBorderBottomStyle, "dotted");  // width left unset: medium
  props.SetDeclarationAt(piBorderLeftWidth, "thin");      // no style: no border
  TVMarginArray values;
  props.BoxValues(values);
  TMarginArray result{};
  int autoCount = -1;
  BoxToPixels(values, 500, 400, 16, 8, autoCount, result);
  EXPECT_EQ(result[At(piBorderTopWidth)], 0);
  EXPECT_EQ(result[At(piBorderRightWidth)], 5);
  EXPECT_EQ(result[At(piBorderBottomWidth)], 3);
  EXPECT_EQ(result[At(piBorderLeftWidth)], 0);
  EXPECT_EQ(result[At(piBorderTopStyle)], 0);
  EXPECT_EQ(result[At(piBorderRightStyle)], 1);
  // A side style other than none also sets the overall border style.
  EXPECT_TRUE(props.HasBorderStyle());
}

TEST(BoxValues, AutoMarginsAndWidthAreCounted) {
  TProperties props;
  props.SetDeclarationAt(piMarginLeft, "auto");
  props.SetDeclarationAt(piMarginRight, "10%");
  props.SetDeclarationAt(piPaddingLeft, "1em");
  props.SetDeclarationAt(piHeight, "50%");
  TVMarginArray values;
  props.BoxValues(values);
  TMarginArray result{};
  int autoCount = 0;
  BoxToPixels(values, 500, 200, 16, 8, autoCount, result);
  EXPECT_EQ(result[At(piMarginLeft)], AutoValue);
  EXPECT_EQ(result[At(piMarginRight)], 50);
  EXPECT_EQ(result[At(piPaddingLeft)], 16);
  EXPECT_EQ(result[At(piHeight)], 100);  // height takes its percentage of the height
  EXPECT_EQ(result[At(piWidth)], AutoValue);
  EXPECT_EQ(result[At(piTop)], AutoValue);
  EXPECT_EQ(result[At(piBackgroundColor)], NoColour);
  EXPECT_EQ(autoCount, 2);  // margin-left and the width

  props.SetDeclarationAt(piWidth, "300px");
  props.BoxValues(values);
  BoxToPixels(values, 500, 200, 16, 8, autoCount, result);
  EXPECT_EQ(result[At(piWidth)], 300);
  EXPECT_EQ(autoCount, 1);
}

TEST(BoxValues, ParagraphDefaultMarginsAreFourteenAndAuto) {
  TVMarginArray values = EmptyBox();
  values[At(piMarginTop)] = TPropValue(ParagraphDefault);
  values[At(piMarginBottom)] = TPropValue("2em");
  TMarginArray result{};
  bool topAuto = false, bottomAuto = true;
  VerticalMarginsToPixels(values, 100, 10, 5, result, topAuto, bottomAuto);
  EXPECT_EQ(result[At(piMarginTop)], 14);
  EXPECT_TRUE(topAuto);
  EXPECT_EQ(result[At(piMarginBottom)], 20);
  EXPECT_FALSE(bottomAuto);

  values[At(piMarginTop)] = TPropValue(NoValue);
  values[At(piMarginBottom)] = TPropValue(9);
  VerticalMarginsToPixels(values, 100, 10, 5, result, topAuto, bottomAuto);
  EXPECT_EQ(result[At(piMarginTop)], 0);
  EXPECT_FALSE(topAuto);
  EXPECT_EQ(result[At(piMarginBottom)], 9);
}

TEST(BoxValues, CellPaddingPercentagesComeOutNegative) {
  TVMarginArray values = EmptyBox();
  values[At(piPaddingTop)] = TPropValue("25%");
  values[At(piPaddingRight)] = TPropValue("3px");
  values[At(piPaddingBottom)] = TPropValue(5);
  TMarginArray result{};
  CellPaddingToPixels(values, 16, 8, result);
  EXPECT_EQ(result[At(piPaddingTop)], -25);
  EXPECT_EQ(result[At(piPaddingRight)], 3);
  EXPECT_EQ(result[At(piPaddingBottom)], 5);
  EXPECT_EQ(result[At(piPaddingLeft)], -1);  // NoValue
}

TEST(BoxValues, InlineBoxesKeepMissingValuesAsNoValue) {
  TVMarginArray values = EmptyBox();
  values[At(piMarginLeft)] = TPropValue("4px");
  values[At(piWidth)] = TPropValue("50%");
  values[At(piHeight)] = TPropValue("bogus");
  TMarginArray result{};
  result[At(piPaddingTop)] = 123;
  InlineBoxToPixels(values, 200, 100, 16, 8, result);
  EXPECT_EQ(result[At(piMarginLeft)], 4);
  EXPECT_EQ(result[At(piMarginTop)], NoValue);
  EXPECT_EQ(result[At(piWidth)], 100);
  EXPECT_EQ(result[At(piHeight)], AutoValue);
  EXPECT_EQ(result[At(piPaddingTop)], 123);  // untouched
}

TEST(BoxValues, UrlFromValue) {
  EXPECT_EQ(UrlFromValue("url(a.gif)"), "a.gif");
  EXPECT_EQ(UrlFromValue("url('a b.gif')"), "a b.gif");
  EXPECT_EQ(UrlFromValue("url(\"x\")"), "x");
  EXPECT_EQ(UrlFromValue("url(\"\")"), "\"\"");  // too short to lose its quotes
  EXPECT_EQ(UrlFromValue("red url(a.gif) no-repeat"), "a.gif");
  EXPECT_EQ(UrlFromValue("url(unclosed"), "unclosed");
  EXPECT_EQ(UrlFromValue("a.gif"), "");
}

}  // namespace
