#include "reader/utf8_source.h"

#include <algorithm>
#include <bit>
#include <iterator>
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

// Sixteen bytes side by side; comparisons give all ones in a byte where they hold.
typedef uint8_t TBytes16 __attribute__((vector_size(16)));

// The bytes of the sixteen at Q that break UTF-8 given the three bytes before them (which
// must be readable), all ones in each: a byte is a continuation exactly when one of the three
// bytes before it leads a sequence that long, and a byte after E0, ED, F0 or F4 keeps to that
// lead's narrower range. Each byte is judged from its neighbours alone, so no step waits on
// the length of the character before it.
inline TBytes16 BlockFaults(const uint8_t* Q) {
  TBytes16 X, Back1, Back2, Back3;
  std::memcpy(&X, Q, 16);
  std::memcpy(&Back1, Q - 1, 16);
  std::memcpy(&Back2, Q - 2, 16);
  std::memcpy(&Back3, Q - 3, 16);
  const TBytes16 Cont = TBytes16((X & 0xC0) == 0x80);
  const TBytes16 Expected = TBytes16(Back1 >= 0xC0) | TBytes16(Back2 >= 0xE0) | TBytes16(Back3 >= 0xF0);
  TBytes16 Bad = Cont ^ Expected;
  // C0 and C1 (overlong) and F5 to FF (beyond U+10FFFF) start nothing.
  Bad |= TBytes16((X & 0xFE) == 0xC0) | TBytes16(X >= 0xF5);
  // The second byte after E0 is A0 or more, after ED 9F or less, after F0 90 or more,
  // after F4 8F or less.
  Bad |= (TBytes16(Back1 == 0xE0) & TBytes16(X < 0xA0)) | (TBytes16(Back1 == 0xED) & TBytes16(X > 0x9F)) |
         (TBytes16(Back1 == 0xF0) & TBytes16(X < 0x90)) | (TBytes16(Back1 == 0xF4) & TBytes16(X > 0x8F));
  return Bad;
}

inline bool NoFaults(TBytes16 Bad) {
  uint64_t Halves[2];
  std::memcpy(Halves, &Bad, 16);
  return (Halves[0] | Halves[1]) == 0;
}

// Whether the bytes from P (at a character's start) to End are well-formed UTF-8, sixteen
// at a time, told once per four blocks (a well-formed document is the common case). The
// first block and the last bytes are checked from a copy, with zeros (which lead nothing)
// before the first byte and after the last, so that every read stays inside.
bool WellFormedFrom(const uint8_t* P, const uint8_t* End) {
  uint8_t Stage[3 + 16 + 16] = {};
  const size_t First = std::min<size_t>(size_t(End - P), 16);
  std::memcpy(Stage + 3, P, First);
  if (!NoFaults(BlockFaults(Stage + 3))) return false;
  if (First < 16) return true;  // the zeros after the text closed the check
  for (P += 16; End - P >= 64; P += 64)
    if (!NoFaults(BlockFaults(P) | BlockFaults(P + 16) | BlockFaults(P + 32) | BlockFaults(P + 48)))
      return false;
  for (; End - P >= 16; P += 16)
    if (!NoFaults(BlockFaults(P))) return false;
  // The last bytes with the three before them, and zeros for what the last leads call for.
  std::fill(std::begin(Stage), std::end(Stage), uint8_t(0));
  std::memcpy(Stage, P - 3, size_t(End - P) + 3);
  return NoFaults(BlockFaults(Stage + 3));
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
  const auto* P = reinterpret_cast<const uint8_t*>(Text.data());
  const uint8_t* const End = P + Text.size();
  P = SkipAscii(P, End);
  return P != End && WellFormedFrom(P, End);
}

bool IsWellFormedUtf8(std::string_view Text) {
  const auto* P = reinterpret_cast<const uint8_t*>(Text.data());
  return WellFormedFrom(P, P + Text.size());
}

namespace {

// Whether Windows-1252 holds the character: the common case, decided without tables.
bool WesternHolds(char32_t C) {
  const char32_t* Cp1252 = SingleByteTable(1252);
  if (C < 0x100 && Cp1252[C] == C) return true;
  for (int B = 0x80; B < 0xA0; ++B)
    if (Cp1252[B] == C) return true;
  return false;
}

bool PageHoldsAll(int CodePage, std::u32string_view Characters) {
  bool Missing = false;
  WideCharToMultiByte(CodePage, Characters, '?', &Missing);
  return !Missing;
}

// The pages that still hold every character seen, narrowed as each new one comes; the
// first left keeps the document as it always showed, and UTF-8 stands when none is left.
class TPageChoice {
 public:
  void Add(char32_t C) {
    for (size_t I = 0; I < std::size(Candidates); ++I) {
      if (!(FLeft >> I & 1)) continue;
      const bool Holds = Candidates[I] == ANSI_CHARSET
                             ? WesternHolds(C)
                             : PageHoldsAll(CharsetToCodePage(Candidates[I]), std::u32string_view(&C, 1));
      if (!Holds) FLeft &= ~(1u << I);
    }
  }
  bool NoneLeft() const { return FLeft == 0; }
  uint8_t Best() const { return FLeft ? Candidates[std::countr_zero(FLeft)] : uint8_t(UTF8_CHARSET); }

 private:
  uint32_t FLeft = (1u << std::size(Candidates)) - 1;
};

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
      Result.Kept = 3;
    }
    return Result;
  }

  // One direct pass: the characters beyond ASCII, each once, and whether any sequence
  // is ill-formed (each maximal ill-formed subpart reads as one U+FFFD).
  std::vector<bool> Seen(0x110000, false);
  TPageChoice Pages;
  bool Malformed = false;
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
    if (Seen[C]) continue;
    Seen[C] = true;
    Pages.Add(C);
    // Once no page holds the characters so far, none holds them all: what is left to
    // learn is whether the rest is well-formed.
    if (Pages.NoneLeft()) {
      Malformed = Malformed || !WellFormedFrom(P, End);
      break;
    }
  }
  // A character reference must find its character in the page chosen too.
  if (Html && !Pages.NoneLeft())
    for (size_t At = Text.find('&'); At != std::string_view::npos; At = Text.find('&', At + 1))
      if (const char32_t C = ReferencedCharacter(Text, At); C != 0 && C < Seen.size() && !Seen[C]) {
        Seen[C] = true;
        Pages.Add(C);
      }

  const uint8_t Best = Pages.Best();
  Result.Converted = true;
  Result.Charset = Best;
  if (Best != UTF8_CHARSET)
    Result.Text = WideCharToMultiByte(CharsetToCodePage(Best), MultiByteToWideChar(CP_UTF8, Text), '?');
  else if (Malformed)
    Result.Text = ToUtf8(CP_UTF8, Text);
  else
    Result.Kept = Bom ? 3 : 0;
  return Result;
}
