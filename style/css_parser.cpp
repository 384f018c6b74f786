#include "style/css_parser.h"

#include <algorithm>

#include "style/box_values.h"
#include "style/css_shorthands.h"
#include "style/css_validity.h"
#include "style/properties.h"
#include "style/style_list.h"
#include "url/url_subs.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsNameChar(char c) { return c == '-' || IsDigit(c) || IsLetter(c); }
bool IsSelectorChar(char c) {
  return c == ' ' || c == '#' || c == '-' || c == '.' || c == ':' || c == '_' || c == '*' ||
         c == '>' || c == '+' || IsDigit(c) || IsLetter(c);
}
bool IsNameStart(char c) { return IsLetter(c) || c == '_' || c == '-'; }

// Whether a selector (lower-cased, trimmed) is one this parser understands: compounds
// of an optional tag or "*" and any ".class", "#id" and ":pseudo" parts, whose names do
// not start with a digit, joined by blanks, ">" or "+". A rule with any other selector in its
// list is left out whole.
bool ValidSelector(std::string_view text) {
  bool wantCompound = true;  // at the start and after ">"
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    if (text[i] == '>' || text[i] == '+') {
      if (wantCompound) return false;
      wantCompound = true;
      ++i;
      continue;
    }
    // One compound.
    size_t parts = 0;
    if (text[i] == '*') {
      ++i;
      ++parts;
    } else if (IsLetter(text[i])) {
      while (i < text.size() && IsNameChar(text[i])) ++i;
      ++parts;
    }
    while (i < text.size() && (text[i] == '.' || text[i] == '#' || text[i] == ':')) {
      ++i;
      if (i < text.size() && text[i - 1] == ':' && text[i] == ':') ++i;  // "::first-line"
      if (i >= text.size() || !IsNameStart(text[i]) ||
          (text[i] == '-' && i + 1 < text.size() && IsDigit(text[i + 1])))
        return false;
      while (i < text.size() && (IsNameChar(text[i]) || text[i] == '_')) ++i;
      ++parts;
    }
    if (parts == 0) return false;
    if (i < text.size() && text[i] != ' ' && text[i] != '>' && text[i] != '+') return false;
    wantCompound = false;
  }
  return !wantCompound;
}

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// A compound as a key writes it: "*" only alone, classes in order ("p.b.a" and
// "p.a.b" are one key).
std::string NormalCompound(std::string_view part) {
  if (part.size() > 1 && part.front() == '*') part.remove_prefix(1);
  // "p::first-line" is the newer spelling of "p:first-line".
  if (const size_t colons = part.find("::"); colons != std::string_view::npos)
    return NormalCompound(std::string(part.substr(0, colons)) + std::string(part.substr(colons + 1)));
  const size_t first = part.find('.');
  if (first == std::string_view::npos) return std::string(part);
  size_t end = part.find_first_of("#:", first);
  if (end == std::string_view::npos) end = part.size();
  std::vector<std::string_view> classes;
  std::string_view list = part.substr(first + 1, end - first - 1);
  for (size_t at = 0; at <= list.size();) {
    size_t dot = list.find('.', at);
    if (dot == std::string_view::npos) dot = list.size();
    classes.push_back(list.substr(at, dot - at));
    at = dot + 1;
  }
  // In the look-up's order, which ignores case (names may keep theirs).
  std::sort(classes.begin(), classes.end(), [](std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      const char x = LowerChar(a[i]), y = LowerChar(b[i]);
      if (x != y) return x < y;
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  std::string result(part.substr(0, first));
  for (std::string_view c : classes) result.append(".").append(c);
  result.append(part.substr(end));
  return result;
}
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }


std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

std::string_view StripQuotes(std::string_view s) {
  if (s.size() > 1 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
    return s.substr(1, s.size() - 2);
  return s;
}

// Character reading with one pushed-back character and comment skipping; the state
// of one parse.
class TCssReader {
 public:
  TCssReader(const TCssGetChar* getChar, std::string_view text, bool markupEnds,
             const TCssEndTagAt* endTagAt = nullptr)
      : FGetChar(getChar), FText(text), FEndTagAt(endTagAt), FMarkupEnds(markupEnds) {}

  char FCh = ' ';

  // A sheet read from the HTML text ends at markup: its "<" belongs to the lexer, even
  // inside a comment. In a sheet of its own "<" is an ordinary character.
  bool MarkupEnds() const { return FMarkupEnds; }
  bool AtEnd() const { return FCh == EndOfInput || (FMarkupEnds && FCh == '<'); }
  // Asked right after a "<" became the current character: whether the element's end tag
  // may start there.
  bool EndTagHere() const { return FReplayPos < FReplay.size() || FHasPushBack || EndTagAt(); }

  void PushBack(char c) {
    FPushBack = (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    FHasPushBack = true;
  }

  // Reads the next character into FCh; comments are skipped, the end (or the end tag)
  // inside a comment ends it and becomes the current character. Any other "<" there is
  // prose ("see <a name>", or the "<![CDATA[" that XHTML pages wrap sheets in).
  void NextChar() {
    for (;;) {
      char c = ReadRaw();
      if (c != '/') {
        FCh = c;
        return;
      }
      char d = ReadRaw();
      if (d != '*') {
        FCh = '/';
        PushBack(d);
        return;
      }
      char previous = 0;
      for (;;) {
        char e = ReadRaw();
        if (e == EndOfInput || (e == '<' && FMarkupEnds && EndTagAt())) {
          FCh = e;
          return;
        }
        if (previous == '*' && e == '/') break;
        previous = e;
      }
    }
  }

  void SkipBlanks() {
    while (IsBlank(FCh)) NextChar();
  }

  // A quoted string, FCh its opening quote, appended to Out whole, quotes and escapes
  // kept: nothing inside ends a value or opens a comment; FCh is then the character after
  // the closing quote. A string still open at the end of the input, or at markup in a
  // sheet of the HTML text (where a value runs at most to a "<"), is no string: false,
  // and its characters are read again as ordinary ones, with its quote as FCh. Such a
  // quote kind stays ordinary while they are read again, which keeps reading linear.
  bool ReadString(std::string& Out) {
    const char quote = FCh;
    const int kind = quote == '"' ? 0 : 1;
    if (FNoClose[kind]) return false;
    std::string text(1, quote);
    for (;;) {
      char c = ReadRaw();
      text += c;
      if (c == EndOfInput || (c == '<' && FMarkupEnds)) break;
      if (c == quote) {
        Out += text;
        NextChar();
        return true;
      }
      if (c == '\\') {
        c = ReadRaw();
        text += c;
        if (c == EndOfInput || (c == '<' && FMarkupEnds)) break;
      }
    }
    FReplay = text.substr(1) + FReplay.substr(FReplayPos);
    FReplayPos = 0;
    FNoClose[kind] = true;
    return false;
  }

 private:
  char ReadRaw() {
    char c;
    if (FHasPushBack) {
      FHasPushBack = false;
      c = FPushBack;
    } else if (FReplayPos < FReplay.size()) {
      return FReplay[FReplayPos++];
    } else if (FNoClose[0] || FNoClose[1]) {
      FReplay.clear();
      FReplayPos = 0;
      FNoClose[0] = FNoClose[1] = false;
      return ReadRaw();
    } else if (FGetChar) {
      c = (*FGetChar)();
    } else {
      c = FPos < FText.size() ? FText[FPos++] : EndOfInput;
    }
    // Line ends and tabs are blanks: sheets from files keep their line feeds.
    return (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
  }

  bool EndTagAt() const {
    if (FGetChar) return !FEndTagAt || !*FEndTagAt || (*FEndTagAt)();
    constexpr std::string_view Tag = "/style";
    if (FText.size() - FPos <= Tag.size()) return true;
    for (size_t i = 0; i < Tag.size(); ++i)
      if (LowerChar(FText[FPos + i]) != Tag[i]) return false;
    return !IsLetter(FText[FPos + Tag.size()]);
  }

  const TCssGetChar* FGetChar;
  std::string_view FText;
  const TCssEndTagAt* FEndTagAt;
  size_t FPos = 0;
  bool FMarkupEnds;
  char FPushBack = 0;
  bool FHasPushBack = false;
  // The characters of an unclosed string, read again, and which quote kinds (double,
  // single) open no string until they are.
  std::string FReplay;
  size_t FReplayPos = 0;
  bool FNoClose[2] = {false, false};
};

class TRuleSink : public TCssDeclarationSink {
 public:
  TRuleSink(TStyleList& styles, const std::vector<std::string>& keys, std::string_view baseUrl)
      : FStyles(styles), FKeys(keys), FBaseUrl(baseUrl) {}
  void Declare(std::string_view name, std::string_view value) override {
    for (const std::string& key : FKeys) FStyles.SetRuleValue(key, name, value, FImportant);
  }
  // Whether the declarations now declared were marked important.
  bool FImportant = false;
  std::string ResolveValue(std::string_view value) override {
    return FBaseUrl.empty() ? std::string(value) : ResolveURL(value, FBaseUrl);
  }

 private:
  TStyleList& FStyles;
  const std::vector<std::string>& FKeys;
  std::string_view FBaseUrl;
};

class TPropsSink : public TCssDeclarationSink {
 public:
  explicit TPropsSink(TProperties& props) : FProps(props) {}
  void Declare(std::string_view name, std::string_view value) override {
    FProps.SetDeclaration(name, value);
  }

 private:
  TProperties& FProps;
};

// Reads a block from its "{" (the current character) to the matching "}", nested blocks
// and strings included, appending it to out when given; the current character is then
// the one after it. Ends early at the end of the input (or markup).
void ReadBalanced(TCssReader& r, std::string* out) {
  int depth = 0;
  std::string text;
  while (!r.AtEnd()) {
    const char c = r.FCh;
    if ((c == '"' || c == '\'') && r.ReadString(text)) {
      if (out) *out += text;
      text.clear();
      continue;
    }
    if (out) *out += c;
    r.NextChar();
    if (c == '{') ++depth;
    if (c == '}' && --depth == 0) return;
  }
}

// Reads "name: value" at the current character; false when there is no ":" (the
// declaration is dropped). The value stops at any of stops.
bool ReadDeclaration(TCssReader& r, std::string_view stops, std::string& name,
                     std::string& value, bool& important) {
  important = false;
  r.SkipBlanks();
  name.clear();
  while (IsNameChar(r.FCh)) {
    name += LowerChar(r.FCh);
    r.NextChar();
  }
  r.SkipBlanks();
  if (r.FCh != ':') return false;
  r.NextChar();
  value.clear();
  while (r.FCh != EndOfInput && stops.find(r.FCh) == std::string_view::npos) {
    if ((r.FCh == '"' || r.FCh == '\'') && r.ReadString(value)) continue;
    // A block inside a value belongs to it, whatever it holds.
    if (r.FCh == '{') {
      ReadBalanced(r, &value);
      continue;
    }
    // An escaped character outside a string opens nothing either.
    if (r.FCh == '\\') {
      value += r.FCh;
      r.NextChar();
      if (r.FCh == EndOfInput || stops.find(r.FCh) != std::string_view::npos) break;
    }
    value += r.FCh;
    r.NextChar();
  }
  // Generated text keeps its case and its quotes.
  const bool generated = name == "content";
  if (!generated)
    for (char& c : value) c = LowerChar(c);
  std::string_view v = Trim(value);
  // The important marker gives the declaration its weight; a rule takes it, a style
  // attribute outweighs normal rules anyway.
  if (const size_t bang = v.rfind('!'); bang != std::string_view::npos) {
    std::string_view marker = Trim(v.substr(bang + 1));
    if (marker == "important") {
      v = Trim(v.substr(0, bang));
      important = true;
    }
  }
  // A colour is never a string: '"red"' is no value, and the declaration is dropped.
  if (name.ends_with("color") && StripQuotes(v).size() != v.size()) return false;
  // The font shorthand keeps its quotes: they group a family name of several words.
  if (name != "font" && !generated) v = StripQuotes(v);
  value = std::string(v);
  return true;
}

// Paddings, border widths, box sizes and line heights cannot be negative: such a declaration is
// dropped whole, so that an earlier one for the property holds.
bool NegativeWhereNoneAllowed(std::string_view name, std::string_view value) {
  const bool sized = name.starts_with("padding") || name == "width" || name == "height" ||
                     name == "font-size" || name == "line-height" ||
                     (name.starts_with("border") && name.ends_with("width"));
  if (!sized) return false;
  for (size_t i = 0; i + 1 < value.size(); ++i)
    if (value[i] == '-' && (i == 0 || value[i - 1] == ' ') &&
        (IsDigit(value[i + 1]) || value[i + 1] == '.'))
      return true;
  return false;
}

// A hidden border outside a collapsing table is no border: the style reads as "none".
std::string HiddenBorderAsNone(std::string_view name, const std::string& value) {
  if (!name.starts_with("border") || name.ends_with("width") || name.ends_with("color"))
    return value;
  std::string result = value;
  for (size_t at = result.find("hidden"); at != std::string::npos;
       at = result.find("hidden", at + 1)) {
    const bool starts = at == 0 || result[at - 1] == ' ';
    const bool ends = at + 6 == result.size() || result[at + 6] == ' ';
    if (starts && ends) result.replace(at, 6, "none");
  }
  return result;
}

void Dispatch(std::string_view name, const std::string& given, TCssDeclarationSink& sink) {
  const std::string value = HiddenBorderAsNone(name, given);
  if (NegativeWhereNoneAllowed(name, value) || !AllowedValue(name, value)) return;
  if (IsShorthand(name)) {
    ExpandShorthand(name, value, sink);
  } else if (value.find("url(") != std::string::npos) {
    sink.Declare(name, sink.ResolveValue(value));
  } else {
    sink.Declare(name, value);
  }
}

// An at-rule this parser does not take: up to its ";", or over its block with every
// block nested in it.
void SkipAtRule(TCssReader& r) {
  std::string ignored;
  while (r.FCh != ';' && !r.AtEnd() && r.FCh != '{') {
    if ((r.FCh == '"' || r.FCh == '\'') && r.ReadString(ignored)) continue;
    r.NextChar();
  }
  if (r.FCh == '{')
    ReadBalanced(r, nullptr);
  else if (r.FCh == ';')
    r.NextChar();
}

void ReadSelectors(TCssReader& r, TStyleList& styles, std::vector<std::string>& keys) {
  keys.clear();
  std::string selector;
  bool valid = true;
  std::vector<std::string> texts;
  do {
    if (r.FCh == ',') r.NextChar();
    r.SkipBlanks();
    selector.clear();
    // Class and id names keep their case where the document matches them with it.
    const bool keepNames = styles.NamesCaseSensitive();
    bool inName = false;
    while (IsSelectorChar(r.FCh)) {
      const char c = r.FCh;
      if (c == '.' || c == '#') inName = true;
      else if (c == ':' || c == ' ' || c == '>' || c == '+' || c == '*') inName = false;
      selector += keepNames && inName ? c : LowerChar(c);
      r.NextChar();
    }
    std::string_view trimmed = Trim(selector);
    if (!ValidSelector(trimmed)) valid = false;
    texts.emplace_back(trimmed);
  } while (r.FCh == ',');
  // Anything else ("~", "[", a quote) is a selector this parser does not know: the rule
  // is read past whole, with every selector of its list.
  if (r.FCh != '{') valid = false;
  while (r.FCh != '{' && !r.AtEnd()) {
    if ((r.FCh == '"' || r.FCh == '\'') && r.ReadString(selector)) continue;
    r.NextChar();
  }
  if (!valid) return;
  for (const std::string& text : texts) keys.push_back(ContextualKey(styles, text));
}

void ReadBlock(TCssReader& r, TRuleSink& sink) {
  if (r.FCh != '{') return;
  r.NextChar();
  std::string name, value;
  for (;;) {
    if (ReadDeclaration(r, r.MarkupEnds() ? ";}<" : ";}", name, value, sink.FImportant))
      Dispatch(name, value, sink);
    r.SkipBlanks();
    if (r.FCh == ';') r.NextChar();
    while (!r.AtEnd() && r.FCh != '-' && !IsDigit(r.FCh) && !IsLetter(r.FCh) && r.FCh != '}')
      r.NextChar();
    if (r.FCh == '}') {
      r.NextChar();
      return;
    }
    if (r.AtEnd()) return;
  }
}

// What imports may still do while a sheet is read: the loader, how deep the sheet is
// imported, and how many sheets the parse has imported so far.
struct TImports {
  const TCssImporter* Importer = nullptr;
  int Depth = 0;
  int* Count = nullptr;
};

char ParseSheet(TStyleList& styles, TCssReader& r, char firstChar, std::string_view baseUrl,
                const TImports& imports);

// The at-keyword after "@" (the current character), lower-cased; the current character
// is then the one after it.
std::string ReadAtKeyword(TCssReader& r) {
  std::string word;
  r.NextChar();
  while (IsNameChar(r.FCh)) {
    word += LowerChar(r.FCh);
    r.NextChar();
  }
  return word;
}

// "@import" after its keyword: the address (a string or "url(...)") up to the ";". The
// sheet it names is read in place, so its rules come before the importing sheet's.
void ReadImport(TCssReader& r, TStyleList& styles, std::string_view baseUrl,
                const TImports& imports) {
  std::string text;
  while (r.FCh != ';' && !r.AtEnd() && r.FCh != '{') {
    if ((r.FCh == '"' || r.FCh == '\'') && r.ReadString(text)) continue;
    text += r.FCh;
    r.NextChar();
  }
  if (r.FCh != ';') {
    SkipAtRule(r);
    return;
  }
  r.NextChar();
  std::string_view address = Trim(text);
  std::string_view media;
  if (address.starts_with("url(") || address.starts_with("URL(")) {
    const size_t close = address.find(')');
    if (close == std::string_view::npos) return;
    media = Trim(address.substr(close + 1));
    address = StripQuotes(Trim(address.substr(4, close - 4)));
  } else if (!address.empty() && (address[0] == '"' || address[0] == '\'')) {
    const size_t close = address.find(address[0], 1);
    if (close == std::string_view::npos) return;
    media = Trim(address.substr(close + 1));
    address = address.substr(1, close - 1);
  } else {
    return;
  }
  // A sheet for other media than the screen is not for this viewer.
  if (!media.empty()) {
    std::string list(media);
    for (char& c : list) c = LowerChar(c);
    if (list.find("screen") == std::string::npos && list.find("all") == std::string::npos)
      return;
  }
  if (address.empty() || !imports.Importer || !*imports.Importer ||
      imports.Depth >= MaxImportDepth || *imports.Count >= MaxImports)
    return;
  ++*imports.Count;
  std::string resolved = ResolveURL("url(" + std::string(address) + ")", baseUrl);
  resolved = resolved.substr(4, resolved.size() - 5);
  std::string sheet, sheetBase;
  if (!(*imports.Importer)(resolved, sheet, sheetBase) || sheet.empty()) return;
  TCssReader nested(nullptr, std::string_view(sheet).substr(1), false);
  ParseSheet(styles, nested, sheet[0], sheetBase,
             TImports{imports.Importer, imports.Depth + 1, imports.Count});
}

char ParseSheet(TStyleList& styles, TCssReader& r, char firstChar, std::string_view baseUrl,
                const TImports& imports) {
  r.FCh = ' ';
  r.PushBack(firstChar);
  // The markers of an HTML comment around the sheet.
  while (IsBlank(r.FCh) || r.FCh == '!' || r.FCh == '-' || r.FCh == '<' || r.FCh == '>')
    r.NextChar();
  std::vector<std::string> keys;
  bool ruleSeen = false;  // imports come first: one after a rule is left out
  while (!r.AtEnd()) {
    if (r.FCh == '@') {
      const std::string word = ReadAtKeyword(r);
      if (word == "import" && !ruleSeen)
        ReadImport(r, styles, baseUrl, imports);
      else
        SkipAtRule(r);
      if (word != "import" && word != "charset") ruleSeen = true;
    } else {
      ruleSeen = true;
      ReadSelectors(r, styles, keys);
      TRuleSink sink(styles, keys, baseUrl);
      if (keys.empty())
        ReadBalanced(r, nullptr);  // a rule left out, with anything nested in it
      else
        ReadBlock(r, sink);
    }
    // Markup that cut a rule short ends the sheet.
    if (r.AtEnd()) break;
    // The HTML comment markers may stand between rules too; in a sheet of the HTML
    // text, a "<" that cannot start the element's end tag is one.
    for (;;) {
      if (IsBlank(r.FCh) || r.FCh == '-' || r.FCh == '>' ||
          (!r.MarkupEnds() && (r.FCh == '<' || r.FCh == '!'))) {
        r.NextChar();
      } else if (r.MarkupEnds() && r.FCh == '<' && !r.EndTagHere()) {
        r.NextChar();
        if (r.FCh == '!') r.NextChar();
      } else {
        break;
      }
    }
  }
  char c = r.FCh;
  return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}

}  // namespace

void ParseStyleSheet(TStyleList& styles, const TCssGetChar& getChar, char& firstChar,
                     std::string_view baseUrl, const TCssEndTagAt& endTagAt,
                     const TCssImporter& importer) {
  TCssReader reader(&getChar, {}, true, &endTagAt);
  int count = 0;
  firstChar = ParseSheet(styles, reader, firstChar, baseUrl, TImports{&importer, 0, &count});
}

namespace {

char ParseText(TStyleList& styles, std::string_view text, std::string_view baseUrl,
               bool markupEnds, const TCssImporter& importer) {
  char first = text.empty() ? EndOfInput : text[0];
  TCssReader rest(nullptr, text.empty() ? text : text.substr(1), markupEnds);
  int count = 0;
  return ParseSheet(styles, rest, first, baseUrl, TImports{&importer, 0, &count});
}

}  // namespace

char ParseStyleSheetText(TStyleList& styles, std::string_view text, std::string_view baseUrl,
                         const TCssImporter& importer) {
  return ParseText(styles, text, baseUrl, true, importer);
}

void ParseLinkedStyleSheet(TStyleList& styles, std::string_view text, std::string_view baseUrl,
                           const TCssImporter& importer) {
  ParseText(styles, text, baseUrl, false, importer);
}

void ParseStyleAttribute(std::string_view text, TProperties& props) {
  TCssReader r(nullptr, text, true);
  TPropsSink sink(props);
  std::string name, value;
  bool important;
  r.NextChar();
  while (r.FCh != EndOfInput) {
    if (ReadDeclaration(r, ";", name, value, important)) Dispatch(name, value, sink);
    r.SkipBlanks();
    if (r.FCh == ';') r.NextChar();
    while (r.FCh != EndOfInput && r.FCh != '-' && !IsDigit(r.FCh) && !IsLetter(r.FCh)) r.NextChar();
  }
}

std::string ContextualKey(TStyleList& styles, std::string_view selector) {
  // The compounds, each but the last with a ">" in front when it is the parent of the one
  // after it, a "+" when it is the element just before it.
  std::vector<std::string> parts;
  size_t i = 0;
  char combinator = 0;
  auto isCombinator = [](char c) { return c == ' ' || c == '>' || c == '+'; };
  while (i < selector.size()) {
    while (i < selector.size() && isCombinator(selector[i])) {
      if (selector[i] != ' ') combinator = selector[i];
      ++i;
    }
    size_t start = i;
    while (i < selector.size() && !isCombinator(selector[i])) ++i;
    if (i > start) {
      parts.push_back(NormalCompound(selector.substr(start, i - start)));
      if (combinator && parts.size() > 1) parts[parts.size() - 2].insert(0, 1, combinator);
      combinator = 0;
    }
  }
  if (parts.size() <= 1) return parts.empty() ? std::string() : parts[0];
  std::string key(parts.back());
  key += ' ';
  key += std::to_string(parts.size() - 1);
  key += styles.NextKeyNumber();
  for (size_t n = parts.size() - 1; n-- > 0;) {
    key += parts[n];
    key += ' ';
  }
  return key;
}

std::string ResolveURL(std::string_view value, std::string_view baseUrl) {
  std::string address = UrlFromValue(value);
  if (baseUrl.find("://") == std::string_view::npos) {
    // A local base: file addresses become paths.
    if (address.find('/') != std::string::npos) {
      if (address.rfind("file:///", 0) == 0)
        address.erase(0, 7);
      else if (address.rfind("file://", 0) == 0)
        address.erase(0, 7);
      for (char& c : address)
        if (c == '|') c = ':';
    }
    bool absolute = (address.size() > 1 && address[1] == ':') ||
                    address.rfind("\\\\", 0) == 0 || address.rfind('/', 0) == 0;
    if (!absolute) address = std::string(baseUrl) + address;
  } else {
    if (!HasScheme(address)) address = ResolveUrl(UrlDirectory(baseUrl), address);
  }
  return "url(" + address + ")";
}
