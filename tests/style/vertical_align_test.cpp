// "vertical-align" values read into an alignment and a baseline shift.
#include <gtest/gtest.h>

#include "style/vertical_align.h"

namespace {

// An element of em 20, ex 10 and a line-height of 30 pixels.
TEST(VerticalAlign, ValuesGiveAnAlignmentOrAShiftedBaseline) {
  const struct {
    const char* Value;
    bool Read;
    TVerticalPlacement Want;
  } Cases[] = {
      {"baseline", true, {TVerticalAlign::Baseline, 0}},
      {"top", true, {TVerticalAlign::Top, 0}},
      {"text-top", true, {TVerticalAlign::TextTop, 0}},
      {"middle", true, {TVerticalAlign::Middle, 0}},
      {"bottom", true, {TVerticalAlign::Bottom, 0}},
      {"text-bottom", true, {TVerticalAlign::TextBottom, 0}},
      {"sub", true, {TVerticalAlign::Baseline, -5}},     // a fifth of the em and a pixel down
      {"super", true, {TVerticalAlign::Baseline, 7}},    // a third and a pixel up
      {"30px", true, {TVerticalAlign::Baseline, 30}},
      {"-0.5em", true, {TVerticalAlign::Baseline, -10}},
      {"2ex", true, {TVerticalAlign::Baseline, 20}},
      {"50%", true, {TVerticalAlign::Baseline, 15}},     // of the line-height
      {"-100%", true, {TVerticalAlign::Baseline, -30}},
      {"0", true, {TVerticalAlign::Baseline, 0}},
      {"99999px", true, {TVerticalAlign::Baseline, MaxBaselineShift}},
      {"12", false, {}},                                  // a number is no length
      {"12furlongs", false, {}},
      {"above", false, {}},
      {"", false, {}},
  };
  for (const auto& C : Cases) {
    TVerticalPlacement Got{TVerticalAlign::Middle, 99};
    EXPECT_EQ(VerticalPlacementOf(C.Value, 20, 10, 30, Got), C.Read) << C.Value;
    if (C.Read) {
      EXPECT_EQ(Got, C.Want) << C.Value;
    }
  }
}

}  // namespace
