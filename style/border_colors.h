// Border colours side by side. A box's "border-color" property holds one colour for every
// side, or (when the sides differ) the four colours of top, right, bottom and left in one
// text value; a side without a colour of its own is NoColour and takes the text colour.
#pragma once

#include <array>
#include <string_view>

#include "style/property_value.h"
#include "style/units.h"

using TBorderColors = std::array<TColor, 4>;  // top, right, bottom, left

// The side (0 top .. 3 left) that "border-top-color" and the like name.
bool BorderColorSide(std::string_view name, int& side);

// One to four colours, given to the sides the usual way (top, right, bottom, left); false
// when a word is not a colour or there are none or more than four.
bool ParseBorderColors(std::string_view value, TBorderColors& colors);

// The four colours as a property value: an integer when they are all one.
TPropValue BorderColorsValue(const TBorderColors& colors);

// The four colours a property value gives; all NoColour for one that gives none.
TBorderColors BorderColorsOf(const TPropValue& value);
