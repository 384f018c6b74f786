// Text held in UTF-8: characters of one to four bytes, breaking lines between characters
// by what they are, and letter case by code point.
#include <algorithm>

#include "common/codepage.h"
#include "common/unicode_chars.h"
#include "document/core/text_section.h"
#include "document/core/text_walk.h"

namespace {

bool IsUtf8Run(const TFontObj* Run) { return Run && Run->FFont->Charset == UTF8_CHARSET; }

bool IsObject(char32_t C) { return C < 0x80 && IsObjectCode(char(C)); }

// Letters whose upper case is several letters, spelled in as many bytes as the letter
// itself, so that each byte keeps its own source position: the sharp s and the ff-ligatures
// of three letters. Their capitalised form leaves the letters after the first in lower case.
struct TSpelledUpper {
  char32_t Letter;
  const char* Upper;
  const char* Capital;
};
constexpr TSpelledUpper SpelledUppers[] = {
    {U'\u00DF', "SS", "Ss"}, {U'\uFB03', "FFI", "Ffi"}, {U'\uFB04', "FFL", "Ffl"}};

}  // namespace

int TSection::CharBytes(int Pos) const {
  if (!FMayHaveDBCS || ByteKind(Pos) != 1) return 1;
  const int Left = Len() - Pos;
  if (!FHasUtf8) return std::min(2, Left);
  int Index;
  if (!IsUtf8Run(FFontRuns.RunAt(Pos, Index))) return std::min(2, Left);
  int Length;
  DecodeUtf8Char(FText.data() + Pos, size_t(Left), Length);
  return Length;
}

char32_t TSection::Utf8CharAt(int Pos) const {
  int Length;
  return DecodeUtf8Char(FText.data() + Pos, size_t(Len() - Pos), Length);
}

char32_t TSection::Utf8CharBefore(int Pos, int& From) const {
  From = Pos - 1;
  while (From > 0 && Pos - From < 4 && IsUtf8Continuation(uint8_t(FText[From]))) --From;
  int Length;
  const char32_t C = DecodeUtf8Char(FText.data() + From, size_t(Pos - From), Length);
  if (From + Length != Pos) {
    From = Pos - 1;  // not one character: the last byte stands alone
    return 0xFFFD;
  }
  return C;
}

bool TSection::Utf8BreakBetween(int Pos) const {
  int From;
  const char32_t Before = Utf8CharBefore(Pos, From);
  if (Before == ' ' || IsObject(Before)) return true;
  const char32_t At = Utf8CharAt(Pos);
  if (IsClosingPunctuation(At) || IsOpeningPunctuation(Before)) return false;
  return Before == '-' || Before == '?' || IsIdeographic(Before) || IsIdeographic(At) ||
         IsObject(At);
}

int TSection::Utf8Break(int Start, int N) const {
  const int L = Len();
  // As DoubleByteBreak: never inside a character, never after a character that must not
  // break, and not right before a non-breaking space unless after a space.
  auto Allowed = [&](int P) {
    if (P >= L) return true;
    if (Unbreakable(P - 1) || IsUtf8Continuation(uint8_t(FText[P]))) return false;
    return !(FText[P] == ' ' && Unbreakable(P) && FText[P - 1] != ' ');
  };
  // A line takes the breakable spaces after its end.
  auto WithSpaces = [&](int P) {
    while (P < L && FText[P] == ' ' && !Unbreakable(P)) ++P;
    return P - Start;
  };
  for (int P = Start + N; P > Start; --P)
    if (Allowed(P) && (P >= L || Utf8BreakBetween(P))) return WithSpaces(P);
  // No place to break before the end: the line ends after N, or past what holds together.
  int C = N;
  while (Start + C < L && !(Allowed(Start + C) && Utf8BreakBetween(Start + C))) ++C;
  return WithSpaces(Start + C);
}

void TSection::TakeAppendedUtf8(int From, int Count) {
  if (FCaseTransform == TTextTransform::None) return;
  const int End = From + Count;
  // A character cut short by the last piece appended is taken whole now.
  const int RunStart = std::max(FFontRuns.Last()->FPos, 0);
  int Begin = From;
  while (Begin > RunStart && From - Begin < 3 && IsUtf8Continuation(uint8_t(FText[Begin]))) --Begin;
  bool InWord = false;
  if (Begin > RunStart) {
    int Before;
    InWord = IsWordCodePoint(Utf8CharBefore(Begin, Before));
  }
  for (int I = Begin; I < End;) {
    int Length;
    const char32_t C = DecodeUtf8Char(FText.data() + I, size_t(End - I), Length);
    if (C == 0xFFFD && I + Length == End) break;  // the rest may come with the next piece
    char32_t To = C;
    if (FCaseTransform == TTextTransform::Upper ||
        (FCaseTransform == TTextTransform::Capitalize && !InWord))
      To = UpperCodePoint(C);
    else if (FCaseTransform == TTextTransform::Lower)
      To = LowerCodePoint(C);
    const bool Capital = FCaseTransform == TTextTransform::Capitalize && !InWord;
    if (FCaseTransform == TTextTransform::Upper || Capital)
      for (const TSpelledUpper& S : SpelledUppers)
        if (C == S.Letter) {
          const char* Spelled = Capital ? S.Capital : S.Upper;
          std::copy(Spelled, Spelled + Length, FText.begin() + I);
        }
    if (To != C) {
      char Bytes[4];
      // A mapping that changes the length would move every source position after it.
      if (EncodeUtf8Char(To, Bytes) == Length) std::copy(Bytes, Bytes + Length, FText.begin() + I);
    }
    InWord = IsWordCodePoint(C) || (InWord && C == '\'');
    I += Length;
  }
}

bool TSection::Utf8CharAtPosition(int Pos, char32_t& C, int& Start, int& Length) const {
  const int Rel = Pos - FStartPos;
  if (!FHasUtf8 || Rel < 0 || Rel >= Len()) return false;
  int Index;
  if (!IsUtf8Run(FFontRuns.RunAt(Rel, Index))) return false;
  int First = Rel;
  while (First > 0 && Rel - First < 3 && IsUtf8Continuation(uint8_t(FText[First]))) --First;
  C = DecodeUtf8Char(FText.data() + First, size_t(Len() - First), Length);
  if (First + Length <= Rel) {  // a stray continuation byte
    First = Rel;
    C = DecodeUtf8Char(FText.data() + First, size_t(Len() - First), Length);
  }
  Start = FStartPos + First;
  return true;
}

// Letters compare by their lower case, character by character, in every script the case
// mapping knows; a match starts at the start of a character.
int TSection::FindUtf8Text(std::string_view ToFind, size_t Start) const {
  std::u32string Want;
  for (size_t I = 0; I < ToFind.size();) {
    int Length;
    Want += LowerCodePoint(DecodeUtf8Char(ToFind.data() + I, ToFind.size() - I, Length));
    I += size_t(Length);
  }
  const size_t L = FText.size();
  for (size_t I = Start; I < L; ++I) {
    if (IsUtf8Continuation(uint8_t(FText[I]))) continue;
    size_t P = I, K = 0;
    while (K < Want.size() && P < L) {
      int Length;
      if (LowerCodePoint(DecodeUtf8Char(FText.data() + P, L - P, Length)) != Want[K]) break;
      P += size_t(Length);
      ++K;
    }
    if (K == Want.size()) return FStartPos + int(I);
  }
  return -1;
}
