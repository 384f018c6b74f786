#include "reader/doctype.h"

#include <string>

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The quoted text that follows the word PUBLIC, or an empty view.
std::string_view PublicId(std::string_view upper) {
  const size_t at = upper.find("PUBLIC");
  if (at == std::string_view::npos) return {};
  size_t i = at + 6;
  while (i < upper.size() && upper[i] != '"' && upper[i] != '\'') ++i;
  if (i >= upper.size()) return {};
  const char quote = upper[i];
  const size_t end = upper.find(quote, i + 1);
  return upper.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
}

}  // namespace

bool IsDoctype(std::string_view declaration) {
  return Upper(TrimBlanks(declaration)).starts_with("DOCTYPE");
}

bool IsStandardsDoctype(std::string_view declaration) {
  const std::string upper = Upper(TrimBlanks(declaration));
  std::string_view rest(upper);
  if (!rest.starts_with("DOCTYPE")) return false;
  rest.remove_prefix(7);
  rest = TrimBlanks(rest);
  if (!rest.starts_with("HTML")) return false;
  if (rest.find("PUBLIC") == std::string_view::npos) return true;
  const std::string_view id = TrimBlanks(PublicId(rest));
  if (id.find("XHTML") != std::string_view::npos) return true;
  if (id.starts_with("ISO/IEC 15445")) return true;
  if (id.find("TRANSITIONAL") != std::string_view::npos ||
      id.find("FRAMESET") != std::string_view::npos)
    return false;
  return id.starts_with("-//W3C//DTD HTML 4.01//") || id.starts_with("-//W3C//DTD HTML 4.0//");
}
