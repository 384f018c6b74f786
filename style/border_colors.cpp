#include "style/border_colors.h"

#include <charconv>
#include <string>
#include <vector>

#include "style/colors.h"

namespace {

// Marks the text form of four different side colours, which no colour value can begin with.
constexpr std::string_view SidesMark = "sides:";

// The words of a value, an "rgb(...)" with its blanks kept as one word.
std::vector<std::string_view> ColorWords(std::string_view value) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < value.size()) {
    while (i < value.size() && static_cast<unsigned char>(value[i]) <= 32) ++i;
    if (i >= value.size()) break;
    const size_t start = i;
    int depth = 0;
    while (i < value.size() && (depth > 0 || static_cast<unsigned char>(value[i]) > 32)) {
      if (value[i] == '(') ++depth;
      else if (value[i] == ')' && depth > 0) --depth;
      ++i;
    }
    words.push_back(value.substr(start, i - start));
  }
  return words;
}

}  // namespace

bool BorderColorSide(std::string_view name, int& side) {
  static constexpr std::string_view Names[] = {"border-top-color", "border-right-color",
                                               "border-bottom-color", "border-left-color"};
  for (int i = 0; i < 4; ++i)
    if (Names[i] == name) {
      side = i;
      return true;
    }
  return false;
}

bool ParseBorderColors(std::string_view value, TBorderColors& colors) {
  const std::vector<std::string_view> words = ColorWords(value);
  if (words.empty() || words.size() > 4) return false;
  TColor given[4];
  for (size_t i = 0; i < words.size(); ++i)
    if (!ParseColor(words[i], false, given[i])) return false;
  static constexpr int Pick[5][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1},
                                     {0, 1, 2, 3}};
  for (int side = 0; side < 4; ++side) colors[side] = given[Pick[words.size()][side]];
  return true;
}

TPropValue BorderColorsValue(const TBorderColors& colors) {
  if (colors[1] == colors[0] && colors[2] == colors[0] && colors[3] == colors[0])
    return TPropValue(int(colors[0]));
  std::string text(SidesMark);
  for (int side = 0; side < 4; ++side) {
    if (side > 0) text += ' ';
    text += std::to_string(colors[side]);
  }
  return TPropValue(std::string_view(text));
}

TBorderColors BorderColorsOf(const TPropValue& value) {
  TBorderColors colors{NoColour, NoColour, NoColour, NoColour};
  if (value.IsInteger()) {
    colors.fill(TColor(value.AsInteger()));
    return colors;
  }
  if (!value.IsString()) return colors;
  std::string_view text = value.AsString();
  if (text.substr(0, SidesMark.size()) != SidesMark) return colors;
  text.remove_prefix(SidesMark.size());
  TBorderColors read{};
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int side = 0; side < 4; ++side) {
    while (at < end && *at == ' ') ++at;
    const auto [next, error] = std::from_chars(at, end, read[side]);
    if (error != std::errc()) return colors;
    at = next;
  }
  return read;
}
