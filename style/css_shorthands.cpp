#include "style/css_shorthands.h"

#include <algorithm>
#include <vector>

#include "style/colors.h"
#include "style/css_parser.h"

namespace {

constexpr int MaxWordIndex = 7;

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

bool IsColor(std::string_view word) {
  TColor color;
  return ParseColor(word, true, color);
}

bool IsBorderStyle(std::string_view word) {
  static constexpr std::string_view Styles[] = {"none",   "solid", "dashed", "dotted", "double",
                                                "groove", "inset", "outset", "ridge"};
  for (std::string_view s : Styles)
    if (s == word) return true;
  return false;
}

// The property a font keyword sets, or empty.
std::string_view FontKeywordProperty(std::string_view word) {
  static constexpr std::pair<std::string_view, std::string_view> Keywords[] = {
      {"italic", "font-style"},  {"oblique", "font-style"},  {"normal", "font-weight"},
      {"bolder", "font-weight"}, {"lighter", "font-weight"}, {"bold", "font-weight"},
      {"small-caps", "font-variant"}, {"larger", "font-size"}, {"smaller", "font-size"},
      {"xx-small", "font-size"}, {"x-small", "font-size"},   {"small", "font-size"},
      {"medium", "font-size"},   {"large", "font-size"},     {"x-large", "font-size"},
      {"xx-large", "font-size"}};
  for (const auto& [keyword, property] : Keywords)
    if (keyword == word) return property;
  return {};
}

void ExpandBox(std::string_view name, std::string_view value, TCssDeclarationSink& sink) {
  static constexpr std::string_view Margin[] = {"margin-top", "margin-right", "margin-bottom",
                                                "margin-left"};
  static constexpr std::string_view Padding[] = {"padding-top", "padding-right",
                                                 "padding-bottom", "padding-left"};
  static constexpr std::string_view Width[] = {"border-top-width", "border-right-width",
                                               "border-bottom-width", "border-left-width"};
  const std::string_view* sides = name == "margin" ? Margin : name == "padding" ? Padding : Width;
  std::vector<std::string> words;
  int count;
  SplitWords(value, words, 3, count);
  if (count == 0) return;
  // Top, right, bottom, left taken from 1..4 words the usual way.
  static constexpr int Pick[5][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1},
                                     {0, 1, 2, 3}};
  for (int side = 0; side < 4; ++side) sink.Declare(sides[side], words[Pick[count][side]]);
}

void ExpandBorder(std::string_view name, std::string_view value, TCssDeclarationSink& sink) {
  std::string text(value);
  std::vector<std::string> pieces;
  int count;
  ExtractFunctions(text, pieces, MaxWordIndex, count);
  // "border-top" and the like colour their own side only.
  const std::string color = name == "border" ? "border-color" : std::string(name) + "-color";
  for (const std::string& piece : pieces)
    if (IsColor(piece)) sink.Declare(color, piece);
  std::vector<std::string> words;
  SplitWords(text, words, MaxWordIndex, count);
  std::string style = std::string(name) + "-style";
  std::string width = std::string(name) + "-width";
  for (const std::string& word : words) {
    if (IsColor(word)) {
      sink.Declare(color, word);
    } else if (IsBorderStyle(word)) {
      sink.Declare(style, word);
    } else if (name == "border") {
      for (std::string_view side : {"border-top-width", "border-right-width",
                                    "border-bottom-width", "border-left-width"})
        sink.Declare(side, word);
    } else {
      sink.Declare(width, word);
    }
  }
}

void ExpandFont(std::string_view value, TCssDeclarationSink& sink) {
  std::vector<std::string> words;
  int count;
  SplitWords(value, words, MaxWordIndex, count);
  // What the value leaves out goes back to its initial value, as browsers do: "font: 10px
  // serif" on an em or a heading draws neither italic nor bold.
  for (std::string_view reset : {"font-style", "font-variant", "font-weight", "line-height"})
    sink.Declare(reset, "normal");
  for (const std::string& word : words) {
    std::string_view w = word;
    std::string_view keywordProperty = FontKeywordProperty(w);
    if (w.front() == '/')
      sink.Declare("line-height", w.substr(1));
    else if (!keywordProperty.empty())
      sink.Declare(keywordProperty, w);
    else if (w.front() < '0' || w.front() > '9')
      sink.Declare("font-family", w);
    else
      sink.Declare("font-size", w);
  }
}

void ExpandBackground(std::string_view value, TCssDeclarationSink& sink) {
  std::string text(value);
  std::vector<std::string> pieces;
  int count;
  ExtractFunctions(text, pieces, MaxWordIndex, count);
  for (const std::string& piece : pieces) {
    if (piece.rfind("rgb(", 0) == 0)
      sink.Declare("background-color", piece);
    else if (piece.rfind("url(", 0) == 0)
      sink.Declare("background-image", sink.ResolveValue(piece));
  }
  std::vector<std::string> words;
  SplitWords(text, words, MaxWordIndex, count);
  std::vector<std::string_view> remaining;
  for (const std::string& word : words) {
    if (IsColor(word))
      sink.Declare("background-color", word);
    else if (word == "none")
      sink.Declare("background-image", "none");
    else if (Contains(word, "repeat"))
      sink.Declare("background-repeat", word);
    else if (word == "fixed" || word == "scroll")
      sink.Declare("background-attachment", word);
    else
      remaining.push_back(word);
  }
  if (remaining.empty()) return;
  std::string position(remaining.size() >= 2 ? remaining[remaining.size() - 2] : "");
  if (!position.empty()) position += ' ';
  position += remaining.back();
  sink.Declare("background-position", position);
}

void ExpandListStyle(std::string_view value, TCssDeclarationSink& sink) {
  std::vector<std::string> words;
  int count;
  SplitWords(value, words, MaxWordIndex, count);
  for (const std::string& word : words) {
    if (Contains(word, "url("))
      sink.Declare("list-style-image", sink.ResolveValue(word));
    else if (word == "inside" || word == "outside")
      sink.Declare("list-style-position", word);
    else
      sink.Declare("list-style-type", word);
  }
}

}  // namespace

void SplitWords(std::string_view text, std::vector<std::string>& words, int maxIndex, int& count) {
  words.clear();
  count = 0;
  std::string s;
  s.reserve(text.size());
  // Trimmed, blanks collapsed, ", " joined to ",".
  for (char c : Trim(text)) {
    if (c == ' ' && !s.empty() && s.back() == ' ') continue;
    if (c == ' ' && !s.empty() && s.back() == ',') continue;
    if (c == ',' && !s.empty() && s.back() == ' ') s.pop_back();
    s += c;
  }
  size_t i = 0;
  while (count <= maxIndex && i < s.size()) {
    std::string word;
    while (i < s.size() && s[i] != ' ') {
      char c = s[i++];
      word += c;
      if (c == '"' || c == '\'') {
        size_t close = s.find(c, i);
        size_t end = close == std::string::npos ? s.size() : close + 1;
        word.append(s, i, end - i);
        i = end;
      }
    }
    if (i < s.size()) ++i;  // the blank
    if (word.empty()) continue;
    // "12pt/14pt": the part from the slash on is a word of its own. Addresses keep
    // their slashes.
    size_t slash = word.find('/', 1);
    if (slash != std::string::npos && !Contains(word, "url(")) {
      words.push_back(word.substr(0, slash));
      ++count;
      if (count <= maxIndex) {
        words.push_back(word.substr(slash));
        ++count;
      }
    } else {
      words.push_back(std::move(word));
      ++count;
    }
  }
}

void ExtractFunctions(std::string& text, std::vector<std::string>& words, int maxIndex,
                      int& count) {
  words.clear();
  count = 0;
  while (count <= maxIndex) {
    size_t start = text.find("url(");
    if (start == std::string::npos) start = text.find("rgb(");
    if (start == std::string::npos) break;
    size_t close = text.find(')', start);
    if (close == std::string::npos) break;
    words.push_back(text.substr(start, close - start + 1));
    ++count;
    text.erase(start, close - start + 1);
  }
}

bool IsShorthand(std::string_view name) {
  static constexpr std::string_view Names[] = {
      "margin",        "padding",     "border-width", "border", "border-top", "border-right",
      "border-bottom", "border-left", "font",         "background", "list-style"};
  for (std::string_view n : Names)
    if (n == name) return true;
  return false;
}

void ExpandShorthand(std::string_view name, std::string_view value, TCssDeclarationSink& sink) {
  if (name == "margin" || name == "padding" || name == "border-width")
    ExpandBox(name, value, sink);
  else if (name == "font")
    ExpandFont(value, sink);
  else if (name == "background")
    ExpandBackground(value, sink);
  else if (name == "list-style")
    ExpandListStyle(value, sink);
  else if (name.rfind("border", 0) == 0)
    ExpandBorder(name, value, sink);
}
