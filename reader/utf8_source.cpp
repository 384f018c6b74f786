#include "reader/utf8_source.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "common/codepage.h"

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

char32_t Decode(const uint8_t* P, int Length) {
  if (Length == 1) return P[0];
  char32_t C = P[0] & (0x7F >> Length);
  for (int I = 1; I < Length; ++I) C = C << 6 | (P[I] & 0x3F);
  return C;
}

enum class TDeclared { None, Utf8, Other };

// The first "charset" or "encoding" value near the start of the document.
TDeclared DeclaredCharset(std::string_view Text) {
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
      const std::string Value = Low.substr(P, E - P);
      if (Value.empty()) continue;
      return Value == "utf-8" || Value == "utf8" ? TDeclared::Utf8 : TDeclared::Other;
    }
  }
  return TDeclared::None;
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

TUtf8Conversion ConvertUtf8Document(std::string_view Text, bool Html) {
  TUtf8Conversion Result;
  if (!IsUtf8Document(Text, Html)) return Result;
  const bool Bom = HasBom(Text);
  if (Bom) Text.remove_prefix(3);
  // Text in ASCII reads the same in every page: only a mark needs taking off.
  if (std::none_of(Text.begin(), Text.end(), [](char C) { return uint8_t(C) >= 0x80; })) {
    if (Bom) {
      Result.Converted = true;
      Result.Text.assign(Text);
    }
    return Result;
  }

  // Decode once; a malformed byte stands for its Windows-1252 character.
  std::u32string Wide;
  Wide.reserve(Text.size());
  const char32_t* Cp1252 = SingleByteTable(1252);
  std::unordered_map<char32_t, size_t> Uses;  // characters beyond ASCII and how often
  const uint8_t* P = reinterpret_cast<const uint8_t*>(Text.data());
  const uint8_t* End = P + Text.size();
  while (P < End) {
    if (*P < 0x80) {
      Wide.push_back(*P++);
      continue;
    }
    const int Length = SequenceLength(P, End);
    const char32_t C = Length ? Decode(P, Length) : Cp1252[*P];
    P += Length ? Length : 1;
    Wide.push_back(C);
    ++Uses[C];
  }

  // The first page that holds every character wins; failing that, the one losing fewest.
  std::u32string Distinct;
  Distinct.reserve(Uses.size());
  for (const auto& [C, Count] : Uses) Distinct.push_back(C);
  uint8_t Best = ANSI_CHARSET;
  size_t BestLost = SIZE_MAX;
  for (uint8_t Charset : Candidates) {
    const int CodePage = CharsetToCodePage(Charset);
    size_t Lost = 0;
    for (char32_t C : Distinct) {
      bool Missing = false;
      WideCharToMultiByte(CodePage, std::u32string_view(&C, 1), '?', &Missing);
      if (Missing) Lost += Uses[C];
      if (Lost >= BestLost) break;
    }
    if (Lost < BestLost) {
      Best = Charset;
      BestLost = Lost;
    }
    if (Lost == 0) break;
  }
  Result.Converted = true;
  Result.Charset = Best;
  Result.Text = WideCharToMultiByte(CharsetToCodePage(Best), Wide, '?');
  return Result;
}
