#include "style/css_validity.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool OneOf(std::string_view word, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words)
    if (word == w) return true;
  return false;
}

std::vector<std::string_view> Words(std::string_view value) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < value.size()) {
    while (i < value.size() && value[i] == ' ') ++i;
    size_t start = i;
    while (i < value.size() && value[i] != ' ') ++i;
    if (i > start) words.push_back(value.substr(start, i - start));
  }
  return words;
}

// The length of the number at the start of word (sign, digits, one point), 0 if none.
size_t NumberLength(std::string_view word) {
  size_t i = 0, digits = 0;
  if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
  while (i < word.size() && IsDigit(word[i])) ++i, ++digits;
  if (i < word.size() && word[i] == '.') {
    ++i;
    while (i < word.size() && IsDigit(word[i])) ++i, ++digits;
  }
  return digits > 0 ? i : 0;
}

bool IsBorderWidth(std::string_view word) {
  return OneOf(word, {"thin", "medium", "thick", "inherit"}) || IsLength(word);
}

bool IsFontSize(std::string_view word) {
  if (OneOf(word, {"xx-small", "x-small", "small", "medium", "large", "x-large", "xx-large",
                   "larger", "smaller"}))
    return true;
  const size_t n = NumberLength(word);
  return n > 0 && (IsLength(word) || word.substr(n) == "%");
}

// font: [style || variant || weight]? size[/line-height]? family. Where a size is
// given, only those keywords may stand before it. A shorthand without a size is read
// as before, leniently, as older pages rely on.
bool IsFontShorthand(std::string_view value) {
  std::vector<std::string_view> words = Words(value);
  size_t size = 0;
  while (size < words.size() && !IsFontSize(words[size].substr(0, words[size].find('/')))) ++size;
  if (size == words.size()) return true;
  for (size_t i = 0; i < size; ++i)
    if (!OneOf(words[i], {"normal", "italic", "oblique", "small-caps", "bold", "bolder",
                          "lighter", "100", "200", "300", "400", "500", "600", "700", "800",
                          "900"}))
      return false;
  return true;
}

}  // namespace

bool IsLength(std::string_view word) {
  const size_t n = NumberLength(word);
  if (n == 0) return false;
  std::string_view unit = word.substr(n);
  if (unit.empty()) {
    for (char c : word.substr(0, n))
      if (IsDigit(c) && c != '0') return false;
    return true;
  }
  return OneOf(unit, {"px", "pt", "pc", "in", "cm", "mm", "em", "ex"});
}

bool AllowedValue(std::string_view name, std::string_view value) {
  if (name == "text-decoration") {
    std::vector<std::string_view> words = Words(value);
    if (words.size() == 1 && OneOf(words[0], {"none", "inherit"})) return true;
    for (std::string_view w : words)
      if (!OneOf(w, {"underline", "overline", "line-through", "blink"})) return false;
    return !words.empty();
  }
  if (name == "border-width" || (name.starts_with("border-") && name.ends_with("-width"))) {
    std::vector<std::string_view> words = Words(value);
    if (words.empty() || words.size() > (name == "border-width" ? 4u : 1u)) return false;
    for (std::string_view w : words)
      if (!IsBorderWidth(w)) return false;
    return true;
  }
  if (name == "font") return IsFontShorthand(value);
  if (name == "font-variant") return OneOf(value, {"normal", "small-caps"});
  if (name == "border-spacing") {
    // One or two lengths, none negative.
    std::vector<std::string_view> words = Words(value);
    if (words.empty() || words.size() > 2) return false;
    for (std::string_view w : words)
      if (!IsLength(w) || w.front() == '-') return false;
    return true;
  }
  if (name == "right" || name == "bottom") {
    std::vector<std::string_view> words = Words(value);
    if (words.size() != 1) return false;
    const size_t n = NumberLength(words[0]);
    return words[0] == "auto" || words[0] == "inherit" || IsLength(words[0]) ||
           (n > 0 && words[0].substr(n) == "%");
  }
  return true;
}
