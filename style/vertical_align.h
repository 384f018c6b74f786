// Where an inline box stands on its line by "vertical-align": aligned with the line box or
// the parent's font, or on the baseline raised or lowered by a shift.
#pragma once

#include <string_view>

#include "style/layout_kinds.h"

// Shifts beyond this either way are held at it: a box is not raised past many screens.
constexpr int MaxBaselineShift = 10000;

struct TVerticalPlacement {
  TVerticalAlign Align = TVerticalAlign::Baseline;
  // With Baseline: pixels the box's baseline stands above the line's (negative: below).
  int Raise = 0;
  bool operator==(const TVerticalPlacement&) const = default;
};

// The placement a "vertical-align" value gives a box whose font has an em of EmPixels and
// an ex of ExPixels, and whose line-height (percentages count in it) is LineHeight pixels.
// False for a value that is none of the keywords, lengths or percentages.
bool VerticalPlacementOf(std::string_view Value, int EmPixels, int ExPixels, int LineHeight,
                         TVerticalPlacement& Out);
