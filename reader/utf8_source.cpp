#include "reader/utf8_source.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "common/codepage.h"
#include "reader/symbols.h"

namespace {

// How far into a document a charset declaration is looked for.
constexpr size_t DeclarationWindow = 8192;

bool HasBom(std::string_view Text) {
  return Text.size() >= 3 && uint8_t(Text[0]) == 0xEF && uint8_t(Text[1]) == 0xBB &&
         uint8_t(Text[2]) == 0xBF;
}

char Lower(char C) { return C >= 'A' && C <= 'Z' ? char(C - 'A' + 'a') : C; }

// Length of the UTF-8 sequence at P (1 to 4), or 0 when it is not a well-formed one.
int SequenceLength(const uint8_t* P, const uint8_t* End) {
  const uint8_t B = P[0];
  if (B < 0x80) return 1;
  int Length;
  char32_t Min;
  if (B >= 0xC2 && B <= 0xDF) Length = 2, Min = 0x80;
  else if (B >= 0xE0 && B <= 0xEF) Length = 3, Min = 0x800;
  else if (B >= 0xF0 && B <= 0xF4) Length = 4, Min = 0x10000;
  else return 0;
  if (End - P < Length) return 0;
  char32_t C = B & (0x7F >> Length);
  for (int I = 1; I < Length; ++I) {
    if ((P[I] & 0xC0) != 0x80) return 0;
    C = C << 6 | (P[I] & 0x3F);
  }
  if (C < Min || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) return 0;
  return Length;
}

// The first byte from P that is not ASCII, or End; eight bytes at a time.
const uint8_t* SkipAscii(const uint8_t* P, const uint8_t* End) {
  while (End - P >= 8) {
    uint64_t Word;
    std::memcpy(&Word, P, 8);
    if (Word & 0x8080808080808080u) break;
    P += 8;
  }
  while (P < End && *P < 0x80) ++P;
  return P;
}

enum class TDeclared { None, Utf8, Other };

// The first "charset" or "encoding" value near the start of the document, lower-cased.
std::string DeclaredValue(std::string_view Text) {
  const std::string_view Head = Text.substr(0, DeclarationWindow);
  std::string Low(Head);
  for (char& C : Low) C = Lower(C);
  for (const char* Key : {"charset", "encoding"}) {
    size_t At = 0;
    while ((At = Low.find(Key, At)) != std::string::npos) {
      size_t P = At + std::strlen(Key);
      At = P;
      while (P < Low.size() && (Low[P] == ' ' || Low[P] == '\t' || Low[P] == '\n' || Low[P] == '\r')) ++P;
      if (P >= Low.size() || Low[P] != '=') continue;
      ++P;
      while (P < Low.size() && (Low[P] == ' ' || Low[P] == '"' || Low[P] == '\'')) ++P;
      size_t E = P;
      while (E < Low.size() && (std::isalnum(uint8_t(Low[E])) || Low[E] == '-' || Low[E] == '_')) ++E;
      std::string Value = Low.substr(P, E - P);
      if (!Value.empty()) return Value;
    }
  }
  return {};
}

TDeclared DeclaredCharset(std::string_view Text) {
  const std::string Value = DeclaredValue(Text);
  if (Value.empty()) return TDeclared::None;
  return Value == "utf-8" || Value == "utf8" ? TDeclared::Utf8 : TDeclared::Other;
}

bool IsDigit(char C) { return C >= '0' && C <= '9'; }
bool IsHexDigit(char C) { return IsDigit(C) || (Lower(C) >= 'a' && Lower(C) <= 'f'); }
bool IsNameChar(char C) { return IsDigit(C) || (Lower(C) >= 'a' && Lower(C) <= 'z'); }

// The character a reference at Text[At] ("&...") names, as the lexer reads it in an 8-bit
// page: 0 when it names none or one every page holds the same (ASCII, and numbers the
// lexer takes as bytes).
char32_t ReferencedCharacter(std::string_view Text, size_t At) {
  size_t P = At + 1;
  if (P < Text.size() && Text[P] == '#') {
    ++P;
    const bool Hex = P < Text.size() && (Text[P] == 'x' || Text[P] == 'X');
    if (Hex) ++P;
    uint32_t Value = 0;
    int Digits = 0;
    while (P < Text.size() && (Hex ? IsHexDigit(Text[P]) : IsDigit(Text[P]))) {
      if (++Digits > 5) return 0;
      const char C = Lower(Text[P++]);
      Value = Value * (Hex ? 16 : 10) + uint32_t(IsDigit(C) ? C - '0' : C - 'a' + 10);
    }
    if (Digits == 0 || (Value >= 9 && Value <= 255)) return 0;
    return char32_t(Value & 0xFFFF);
  }
  size_t E = P;
  while (E < Text.size() && E - P <= MaxEntityName && IsNameChar(Text[E])) ++E;
  if (E == P || E - P > MaxEntityName) return 0;
  const int Code = FindEntity(Text.substr(P, E - P));
  return Code < 0x80 ? 0 : char32_t(Code);
}

// Valid UTF-8 throughout, with at least one sequence beyond ASCII.
bool IsValidUtf8WithWideCharacters(std::string_view Text) {
  const uint8_t* P = reinterpret_cast<const uint8_t*>(Text.data());
  const uint8_t* End = P + Text.size();
  bool Wide = false;
  while (P < End) {
    if (*P < 0x80) {
      ++P;
      continue;
    }
    const int Length = SequenceLength(P, End);
    if (Length == 0) return false;
    Wide = true;
    P += Length;
  }
  return Wide;
}

// The character sets tried, in order of preference.
const uint8_t Candidates[] = {ANSI_CHARSET,     EASTEUROPE_CHARSET, RUSSIAN_CHARSET,
                              GREEK_CHARSET,    TURKISH_CHARSET,    BALTIC_CHARSET,
                              HEBREW_CHARSET,   ARABIC_CHARSET,     VIETNAMESE_CHARSET,
                              THAI_CHARSET,     SHIFTJIS_CHARSET,   GB2312_CHARSET,
                              HANGEUL_CHARSET,  CHINESEBIG5_CHARSET};

}  // namespace

bool IsUtf8Document(std::string_view Text, bool Html) {
  if (HasBom(Text)) return true;
  const TDeclared Declared = Html ? DeclaredCharset(Text) : TDeclared::None;
  if (Declared == TDeclared::Utf8) return true;
  if (Declared == TDeclared::Other) return false;
  return IsValidUtf8WithWideCharacters(Text);
}

namespace {

// Whether every character is one of Windows-1252: the common case, decided without tables.
bool FitsWestern(const std::u32string& Distinct) {
  const char32_t* Cp1252 = SingleByteTable(1252);
  for (char32_t C : Distinct) {
    if (C < 0x100 && Cp1252[C] == C) continue;
    bool Found = false;
    for (int B = 0x80; B < 0xA0 && !Found; ++B) Found = Cp1252[B] == C;
    if (!Found) return false;
  }
  return true;
}

bool PageHoldsAll(int CodePage, const std::u32string& Distinct) {
  bool Missing = false;
  WideCharToMultiByte(CodePage, Distinct, '?', &Missing);
  return !Missing;
}

// The first page that holds every character, which keeps the document as it always
// showed; UTF-8 when none does.
uint8_t BestCharset(const std::u32string& Distinct) {
  if (FitsWestern(Distinct)) return ANSI_CHARSET;
  for (uint8_t Charset : Candidates)
    if (Charset != ANSI_CHARSET && PageHoldsAll(CharsetToCodePage(Charset), Distinct)) return Charset;
  return UTF8_CHARSET;
}

}  // namespace

std::string DeclaredCharsetName(std::string_view Text) { return DeclaredValue(Text); }

TUtf8Conversion ConvertForReferences(std::string_view Text, int CodePage) {
  TUtf8Conversion Result;
  if (CodePage == CP_UTF8) return Result;
  std::u32string Named;
  for (size_t At = Text.find('&'); At != std::string_view::npos; At = Text.find('&', At + 1))
    if (const char32_t C = ReferencedCharacter(Text, At)) Named.push_back(C);
  if (Named.empty() || PageHoldsAll(CodePage, Named)) return Result;
  Result.Converted = true;
  Result.Charset = UTF8_CHARSET;
  Result.Text = ToUtf8(CodePage, Text);
  return Result;
}

TUtf8Conversion ConvertUtf8Document(std::string_view Text, bool Html) {
  TUtf8Conversion Result;
  if (!IsUtf8Document(Text, Html)) return Result;
  const bool Bom = HasBom(Text);
  if (Bom) Text.remove_prefix(3);
  // Text in ASCII reads the same in every page: only a mark needs taking off.
  const auto* Bytes = reinterpret_cast<const uint8_t*>(Text.data());
  if (SkipAscii(Bytes, Bytes + Text.size()) == Bytes + Text.size()) {
    if (Bom) {
      Result.Converted = true;
      Result.Text.assign(Text);
    }
    return Result;
  }

  // One direct pass: the characters beyond ASCII, each once, and whether any sequence
  // is ill-formed (each maximal ill-formed subpart reads as one U+FFFD).
  std::vector<bool> Seen(0x110000, false);
  std::u32string Distinct;
  bool Malformed = false, Decided = false;
  size_t NextChoice = 16;
  const uint8_t* P = reinterpret_cast<const uint8_t*>(Text.data());
  const uint8_t* const End = P + Text.size();
  while (P < End) {
    if (*P < 0x80) {
      P = SkipAscii(P + 1, End);
      continue;
    }
    // Two and three bytes, well-formed, are nearly all there is: decoded here; the rest
    // (four bytes, ill-formed subparts) the general way.
    char32_t C;
    int Length;
    const uint8_t B = P[0];
    if (B >= 0xC2 && B <= 0xDF && End - P >= 2 && IsUtf8Continuation(P[1])) {
      C = char32_t(B & 0x1F) << 6 | char32_t(P[1] & 0x3F);
      Length = 2;
    } else if (B >= 0xE0 && B <= 0xEF && End - P >= 3 && IsUtf8Continuation(P[1]) &&
               IsUtf8Continuation(P[2]) &&
               (C = char32_t(B & 0x0F) << 12 | char32_t(P[1] & 0x3F) << 6 | char32_t(P[2] & 0x3F),
                C >= 0x800 && (C < 0xD800 || C > 0xDFFF))) {
      Length = 3;
    } else {
      C = DecodeUtf8Char(reinterpret_cast<const char*>(P), size_t(End - P), Length);
      Malformed = Malformed || (C == 0xFFFD && !(Length == 3 && B == 0xEF));
    }
    P += Length;
    if (Decided || Seen[C]) continue;
    Seen[C] = true;
    Distinct.push_back(C);
    // Once no page holds the characters so far, none holds them all: what is left to
    // learn is whether the rest is well-formed.
    if (Distinct.size() == NextChoice) {
      Decided = BestCharset(Distinct) == UTF8_CHARSET;
      NextChoice *= 2;
    }
  }
  // A character reference must find its character in the page chosen too.
  if (Html)
    for (size_t At = Text.find('&'); At != std::string_view::npos; At = Text.find('&', At + 1))
      if (const char32_t C = ReferencedCharacter(Text, At); C != 0 && C < Seen.size() && !Seen[C]) {
        Seen[C] = true;
        Distinct.push_back(C);
      }

  const uint8_t Best = BestCharset(Distinct);
  Result.Converted = true;
  Result.Charset = Best;
  if (Best == UTF8_CHARSET)
    Result.Text = Malformed ? ToUtf8(CP_UTF8, Text) : std::string(Text);
  else
    Result.Text = WideCharToMultiByte(CharsetToCodePage(Best), MultiByteToWideChar(CP_UTF8, Text), '?');
  return Result;
}
