#include "style/vertical_align.h"

#include <algorithm>
#include <utility>

#include "style/units.h"

bool VerticalPlacementOf(std::string_view Value, int EmPixels, int ExPixels, int LineHeight,
                         TVerticalPlacement& Out) {
  static constexpr std::pair<std::string_view, TVerticalAlign> Keywords[] = {
      {"baseline", TVerticalAlign::Baseline}, {"top", TVerticalAlign::Top},
      {"middle", TVerticalAlign::Middle},     {"bottom", TVerticalAlign::Bottom},
      {"text-top", TVerticalAlign::TextTop},  {"text-bottom", TVerticalAlign::TextBottom}};
  for (const auto& [Name, Align] : Keywords)
    if (Value == Name) {
      Out = {Align, 0};
      return true;
    }
  // Browsers put a subscript's baseline a fifth of the em and a pixel down, a
  // superscript's a third and a pixel up.
  if (Value == "sub") {
    Out = {TVerticalAlign::Baseline, -(EmPixels / 5 + 1)};
    return true;
  }
  if (Value == "super") {
    Out = {TVerticalAlign::Baseline, EmPixels / 3 + 1};
    return true;
  }
  double Number;
  std::string_view Rest;
  if (!ReadLeadingNumber(Value, Number, Rest)) return false;
  constexpr int Unknown = MaxLengthPixels + 1;
  const int Shift = LengthToPixels(Value, false, LineHeight, EmPixels, ExPixels, Unknown);
  // A number without a unit is no length, zero aside.
  if (Shift == Unknown || (Rest.empty() && Number != 0)) return false;
  Out = {TVerticalAlign::Baseline, std::clamp(Shift, -MaxBaselineShift, MaxBaselineShift)};
  return true;
}
