// Computed values that layout reads from an element's properties.
#include <cctype>
#include <cstring>

#include <algorithm>

#include "style/box_values.h"
#include "style/css_validity.h"
#include "style/properties.h"

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

}  // namespace

TColor TProperties::BackgroundColorValue() const {
  const TPropValue& v = FValues[piBackgroundColor];
  return v.IsInteger() && FSetHere.test(piBackgroundColor) ? v.AsInteger() : NoColour;
}

TColor TProperties::OwnColorValue() const {
  const TPropValue& v = FValues[piColor];
  return v.IsInteger() && FSetHere.test(piColor) ? v.AsInteger() : NoColour;
}

bool TProperties::BackgroundImageName(std::string& name) const {
  const TPropValue& v = FValues[piBackgroundImage];
  if (!v.IsString()) return false;
  if (v.AsString() == "none") {
    name.clear();
    return true;
  }
  name = UrlFromValue(v.AsString());
  return !name.empty();
}

void TProperties::BackgroundPlacement(int emPixels, int exPixels,
                                      TBackgroundPositions& positions) const {
  positions = TBackgroundPositions{};
  const TPropValue& v = FValues[piBackgroundPosition];
  if (v.IsString()) {
    std::string_view text = Trim(v.AsString());
    size_t blank = text.find(' ');
    std::string_view words[2] = {text.substr(0, blank), std::string_view()};
    int count = 1;
    if (blank != std::string_view::npos) {
      words[1] = Trim(text.substr(blank + 1));
      count = 2;
    }
    // "top" and "bottom" always describe the vertical axis, "left" and "right" the
    // horizontal one, whatever their order; other words go by position.
    bool firstVertical = false;
    for (int n = 0; n < count; ++n) {
      std::string_view word = words[n];
      int kind = bpLength;
      int target = n;
      if (word == "top" || word == "bottom") {
        kind = word == "top" ? bpTop : bpBottom;
        target = 1;
        if (n == 0) firstVertical = true;
      } else if (word == "left" || word == "right") {
        kind = word == "left" ? bpLeft : bpRight;
        if (n == 1 && !firstVertical) positions[1] = positions[0];
        target = 0;
      } else {
        if (word == "center")
          kind = bpCenter;
        else if (Contains(word, "%"))
          kind = bpPercent;
        if (n == 1 && firstVertical) target = 0;
      }
      positions[target].Kind = kind;
      positions[target].Value = (kind == bpPercent || kind == bpLength)
                                    ? LengthToPixels(word, false, 100, emPixels, exPixels, 0)
                                    : 0;
    }
    if (count == 1) {
      // One word: the other axis is centred.
      bool vertical = words[0] == "top" || words[0] == "bottom";
      TBackgroundPosition& other = vertical ? positions[0] : positions[1];
      other.Kind = bpCenter;
      other.Value = 0;
    }
  }
  std::string_view repeat = FValues[piBackgroundRepeat].AsString();
  if (repeat == "no-repeat") {
    positions[0].Repeat = positions[1].Repeat = false;
  } else if (repeat == "repeat-x") {
    positions[1].Repeat = false;
  } else if (repeat == "repeat-y") {
    positions[0].Repeat = false;
  }
}

bool TProperties::VerticalAlignment(TVerticalAlign& align) const {
  std::string_view s = FValues[piVerticalAlign].AsString();
  if (s == "top" || s == "text-top")
    align = TVerticalAlign::Top;
  else if (s == "middle")
    align = TVerticalAlign::Middle;
  else if (s == "baseline")
    align = TVerticalAlign::Baseline;
  else if (s == "bottom")
    align = TVerticalAlign::Bottom;
  else
    return false;
  return true;
}

bool TProperties::FloatSide(TFloatSide& side) const {
  std::string_view s = FValues[piFloat].AsString();
  if (s == "left")
    side = TFloatSide::Left;
  else if (s == "right")
    side = TFloatSide::Right;
  else if (s == "none")
    side = TFloatSide::None;
  else
    return false;
  return true;
}

bool TProperties::ClearSides(TClearSides& clear) const {
  std::string_view s = FValues[piClear].AsString();
  if (s == "left")
    clear = TClearSides::Left;
  else if (s == "right")
    clear = TClearSides::Right;
  else if (s == "both")
    clear = TClearSides::Both;
  else if (s == "none")
    clear = TClearSides::None;
  else
    return false;
  return true;
}

TMarkerStyle TProperties::ListMarkerKind() const {
  static constexpr std::string_view Kinds[] = {"blank",       "circle",      "decimal", "disc",
                                               "lower-alpha", "lower-roman", "none",    "square",
                                               "upper-alpha", "upper-roman"};
  const TPropValue& v = FValues[piListStyleType];
  if (!v.IsString()) return TMarkerStyle::Blank;
  for (int i = 0; i < 10; ++i)
    if (Kinds[i] == v.AsString()) return TMarkerStyle(i);
  return TMarkerStyle::Blank;
}

std::string TProperties::ListMarkerImage() const {
  return UrlFromValue(FValues[piListStyleImage].AsString());
}

TPositionKind TProperties::PositionKind() const {
  std::string_view s = FValues[piPosition].AsString();
  // A fixed box stands where an absolute one would, scrolling with the page.
  if (s == "absolute" || s == "fixed") return TPositionKind::Absolute;
  return s == "relative" ? TPositionKind::Relative : TPositionKind::Static;
}

TVisibility TProperties::VisibilityKind() const {
  const TPropValue& v = FValues[piVisibility];
  return v.IsInteger() && v.AsInteger() == 1 ? TVisibility::Hidden : TVisibility::Visible;
}

int TProperties::StackOrder() const { return FValues[piZIndex].AsInteger(); }

bool TProperties::DisplaysNothing() const { return FValues[piDisplay].Equals("none"); }

bool TProperties::HasBorderStyle() const {
  const TPropValue& v = FValues[piBorderStyle];
  return v.IsString() && v.AsString() != "none";
}

bool TProperties::BorderSpacing(int& across, int& down) const {
  const TPropValue& v = FValues[piBorderSpacing];
  if (!v.IsString()) return false;
  // One length for both directions, or two: across, then down.
  std::string_view text = Trim(v.AsString());
  const size_t blank = text.find(' ');
  const std::string_view first = text.substr(0, blank);
  const std::string_view second =
      blank == std::string_view::npos ? first : Trim(text.substr(blank + 1));
  if (!IsLength(first) || !IsLength(second)) return false;
  const int em = OwnEmPixels(), ex = OwnExPixels();
  across = LengthToPixels(first, false, 0, em, ex, -1);
  down = LengthToPixels(second, false, 0, em, ex, -1);
  if (across < 0 || down < 0) return false;
  across = std::min(across, MaxBorderSpacing);
  down = std::min(down, MaxBorderSpacing);
  return true;
}

int TProperties::RightOffset(int base) const { return OffsetPixels(FValues[piRight], base); }

int TProperties::BottomOffset(int base) const { return OffsetPixels(FValues[piBottom], base); }

int TProperties::OffsetPixels(const TPropValue& v, int base) const {
  if (!v.IsString() || v.AsString() == "auto") return AutoValue;
  return LengthToPixels(v.AsString(), false, base, OwnEmPixels(), OwnExPixels(), AutoValue);
}

int TProperties::LineHeightPixels(int newHeight) const {
  const TPropValue& v = FValues[piLineHeight];
  if (!v.IsString()) return 0;
  double number;
  std::string_view rest;
  if (ReadLeadingNumber(v.AsString(), number, rest) && Trim(rest).empty())
    return RoundToInt(newHeight * number);
  return LengthToPixels(v.AsString(), true, FEmPixels, FEmPixels, FExPixels, -1);
}

bool TProperties::LineHeightIsLength() const {
  const TPropValue& v = FValues[piLineHeight];
  if (!v.IsString() || v.AsString() == "normal") return false;
  double number;
  std::string_view rest;
  return !(ReadLeadingNumber(v.AsString(), number, rest) && Trim(rest).empty());
}

int TProperties::IndentValue(bool& isPercent) const {
  isPercent = false;
  const TPropValue& v = FValues[piTextIndent];
  if (!v.IsString()) return 0;
  if (Contains(v.AsString(), "%")) {
    isPercent = true;
    return LengthToPixels(v.AsString(), true, 100, 0, 0, 0);
  }
  return LengthToPixels(v.AsString(), false, 0, FEmPixels, FExPixels, 0);
}

TTextTransform TProperties::CaseTransform() const {
  return static_cast<TTextTransform>(FValues[piTextTransform].AsInteger());
}

void TProperties::PageBreakFlags(bool& before, bool& after, bool& inside) const {
  before = FValues[piPageBreakBefore].Equals("always");
  after = FValues[piPageBreakAfter].Equals("always");
  inside = FValues[piPageBreakInside].Equals("avoid");
}

namespace {

// The box array holds a side's border style as 1 (drawn) or 0.
int BorderStyleMarker(const TPropValue& style) {
  return style.IsString() && style.AsString() != "none" ? 1 : 0;
}

bool IsBorderStyleIndex(int index) {
  return index >= piBorderTopStyle && index <= piBorderLeftStyle;
}

}  // namespace

void TProperties::BoxValues(TVMarginArray& values) const {
  for (int i = 0; i < BoxCount; ++i) values[i].AssignFrom(FValues[BoxFirst + i]);
  for (int i = piBorderTopStyle; i <= piBorderLeftStyle; ++i)
    values[i - BoxFirst] = TPropValue(BorderStyleMarker(FValues[i]));
}

bool TProperties::SameBoxValues(const TVMarginArray& values) const {
  for (int i = 0; i < BoxCount; ++i) {
    const int index = BoxFirst + i;
    const TPropValue& v = values[i];
    if (IsBorderStyleIndex(index) ? !(v.IsInteger() && v.AsInteger() == BorderStyleMarker(FValues[index]))
                                  : !(v == FValues[index]))
      return false;
  }
  return true;
}

std::string TProperties::ContentText() const {
  const TPropValue& v = FValues[piContent];
  if (!v.IsString()) return {};
  const std::string_view value = v.AsString();
  std::string text;
  size_t i = 0;
  while (i < value.size()) {
    const char quote = value[i];
    if (quote == ' ') {
      ++i;
      continue;
    }
    if (quote != '"' && quote != '\'') return {};  // counters, attributes, URLs: not shown
    for (++i; i < value.size() && value[i] != quote; ++i) {
      if (value[i] != '\\' || i + 1 >= value.size()) {
        text += value[i];
        continue;
      }
      // A backslash: up to six hex digits give a character (kept when it is one byte),
      // anything else stands for itself.
      size_t end = i + 1;
      unsigned code = 0;
      while (end < value.size() && end < i + 7 && std::isxdigit(static_cast<unsigned char>(value[end]))) {
        const char h = char(value[end] | 0x20);
        code = code * 16 + unsigned(h <= '9' ? h - '0' : h - 'a' + 10);
        ++end;
      }
      if (end == i + 1) {
        text += value[++i];
        continue;
      }
      if (code == 0xA) code = ' ';
      if (code >= 0x20 && code < 0x100) text += char(code);
      i = end < value.size() && value[end] == ' ' ? end : end - 1;
    }
    ++i;
  }
  constexpr size_t MaxContent = 1024;
  if (text.size() > MaxContent) text.resize(MaxContent);
  return text;
}
