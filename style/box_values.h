// Box arrays (properties 8..29: colours, margins, padding, border widths and styles,
// width, height, top, left) converted to pixels, and addresses in "url(" values.
#pragma once

#include <string>
#include <string_view>

#include "style/properties.h"

// Border widths of the keywords "thin", "medium" (also a width given by a style alone) and
// "thick", in pixels.
constexpr int ThinBorder = 1;
constexpr int MediumBorder = 3;
constexpr int ThickBorder = 5;

// Converts the whole box array. The vertical margins (see VerticalMarginsToPixels)
// and border widths with an unset value keep what result holds. AutoCount counts the
// horizontal margins and the width that come out as AutoValue.
void BoxToPixels(const TVMarginArray& values, int baseWidth, int baseHeight, int emPixels,
                 int exPixels, int& autoCount, TMarginArray& result);

// Margin-top and margin-bottom; a ParagraphDefault margin is 14 pixels and flagged auto.
void VerticalMarginsToPixels(const TVMarginArray& values, int baseHeight, int emPixels,
                             int exPixels, TMarginArray& result, bool& topAuto, bool& bottomAuto);

// Margins, width and height of inline images and form controls; missing values stay
// NoValue, other entries of result are untouched.
void InlineBoxToPixels(const TVMarginArray& values, int baseWidth, int baseHeight, int emPixels,
                       int exPixels, TMarginArray& result);

// Table cell padding: a percentage comes out as minus the percentage, a missing value -1.
void CellPaddingToPixels(const TVMarginArray& values, int emPixels, int exPixels,
                         TMarginArray& result);

// The address inside a "url(...)" value, quotes removed; empty for anything else.
std::string UrlFromValue(std::string_view value);
