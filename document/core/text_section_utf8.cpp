// Text held in UTF-8: characters of one to four bytes, breaking lines between characters
// by what they are, and letter case by code point.
#include <algorithm>

#include "common/codepage.h"
#include "common/unicode_chars.h"
#include "document/core/case_expansion.h"
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
  // A spelled letter's bytes stand as one character.
  if (FRare && !FRare->ByteKinds.empty())
    while (Length < Left && MarkedTrail(Pos + Length)) ++Length;
  return Length;
}

bool TSection::MarkedTrail(int Pos) const {
  return FRare && size_t(Pos) < FRare->ByteKinds.size() && FRare->ByteKinds[size_t(Pos)] == 2;
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
    if (Unbreakable(P - 1) || IsUtf8Continuation(uint8_t(FText[P])) || MarkedTrail(P))
      return false;
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

namespace {

// A letter's full upper case and, where it differs, its capitalised form (as upper case
// when none is given), each up to three code points.
struct TFullCase {
  char32_t Letter;
  char32_t Upper[3];
  char32_t Title[3];
};
constexpr TFullCase FullCases[] = {
    {0x0149, {0x02BC, 0x004E}, {}},          {0x01F0, {0x004A, 0x030C}, {}},
    {0x0390, {0x0399, 0x0308, 0x0301}, {}},  {0x03B0, {0x03A5, 0x0308, 0x0301}, {}},
    {0x0587, {0x0535, 0x0552}, {0x0535, 0x0582}},
    {0x1E96, {0x0048, 0x0331}, {}},          {0x1E97, {0x0054, 0x0308}, {}},
    {0x1E98, {0x0057, 0x030A}, {}},          {0x1E99, {0x0059, 0x030A}, {}},
    {0x1E9A, {0x0041, 0x02BE}, {}},          {0x1F50, {0x03A5, 0x0313}, {}},
    {0x1F52, {0x03A5, 0x0313, 0x0300}, {}},  {0x1F54, {0x03A5, 0x0313, 0x0301}, {}},
    {0x1F56, {0x03A5, 0x0313, 0x0342}, {}},  {0x1FB2, {0x1FBA, 0x0399}, {0x1FBA, 0x0345}},
    {0x1FB3, {0x0391, 0x0399}, {0x1FBC}},    {0x1FB4, {0x0386, 0x0399}, {0x0386, 0x0345}},
    {0x1FB6, {0x0391, 0x0342}, {}},          {0x1FB7, {0x0391, 0x0342, 0x0399}, {0x0391, 0x0342, 0x0345}},
    {0x1FBC, {0x0391, 0x0399}, {0x1FBC}},    {0x1FC2, {0x1FCA, 0x0399}, {0x1FCA, 0x0345}},
    {0x1FC3, {0x0397, 0x0399}, {0x1FCC}},    {0x1FC4, {0x0389, 0x0399}, {0x0389, 0x0345}},
    {0x1FC6, {0x0397, 0x0342}, {}},          {0x1FC7, {0x0397, 0x0342, 0x0399}, {0x0397, 0x0342, 0x0345}},
    {0x1FCC, {0x0397, 0x0399}, {0x1FCC}},    {0x1FD2, {0x0399, 0x0308, 0x0300}, {}},
    {0x1FD3, {0x0399, 0x0308, 0x0301}, {}},  {0x1FD6, {0x0399, 0x0342}, {}},
    {0x1FD7, {0x0399, 0x0308, 0x0342}, {}},  {0x1FE2, {0x03A5, 0x0308, 0x0300}, {}},
    {0x1FE3, {0x03A5, 0x0308, 0x0301}, {}},  {0x1FE4, {0x03A1, 0x0313}, {}},
    {0x1FE6, {0x03A5, 0x0342}, {}},          {0x1FE7, {0x03A5, 0x0308, 0x0342}, {}},
    {0x1FF2, {0x1FFA, 0x0399}, {0x1FFA, 0x0345}},
    {0x1FF3, {0x03A9, 0x0399}, {0x1FFC}},    {0x1FF4, {0x038F, 0x0399}, {0x038F, 0x0345}},
    {0x1FF6, {0x03A9, 0x0342}, {}},          {0x1FF7, {0x03A9, 0x0342, 0x0399}, {0x03A9, 0x0342, 0x0345}},
    {0x1FFC, {0x03A9, 0x0399}, {0x1FFC}},    {0xFB00, {0x0046, 0x0046}, {0x0046, 0x0066}},
    {0xFB01, {0x0046, 0x0049}, {0x0046, 0x0069}}, {0xFB02, {0x0046, 0x004C}, {0x0046, 0x006C}},
    {0xFB05, {0x0053, 0x0054}, {0x0053, 0x0074}}, {0xFB06, {0x0053, 0x0054}, {0x0053, 0x0074}},
    {0xFB13, {0x0544, 0x0546}, {0x0544, 0x0576}}, {0xFB14, {0x0544, 0x0535}, {0x0544, 0x0565}},
    {0xFB15, {0x0544, 0x053B}, {0x0544, 0x056B}}, {0xFB16, {0x054E, 0x0546}, {0x054E, 0x0576}},
    {0xFB17, {0x0544, 0x053D}, {0x0544, 0x056D}},
};

// The Greek letters with a subscript iota of U+1F80 to U+1FAF: upper case is the capital
// without it and a capital iota; capitalised, the letter with a subscript iota.
bool GreekWithIota(char32_t C, bool Title, char32_t Out[3]) {
  if (C < 0x1F80 || C > 0x1FAF) return false;
  const char32_t Row = (C - 0x1F80) / 16, Column = (C - 0x1F80) % 8;
  const char32_t Capital = (Row == 0 ? 0x1F08 : Row == 1 ? 0x1F28 : 0x1F68) + Column;
  if (Title) return false;  // one code point as long as the letter: the simple mapping
  Out[0] = Capital;
  Out[1] = 0x0399;
  return true;
}

// The spelling of C under Case, at most three code points, or 0.
int FullCaseOf(char32_t C, TTextTransform Case, bool InWord, char32_t Out[3]) {
  if (Case == TTextTransform::Lower) {
    if (C != 0x0130) return 0;
    Out[0] = 'i';
    Out[1] = 0x0307;
    return 2;
  }
  if (C < 0x0149 || (Case == TTextTransform::Capitalize && InWord)) return 0;
  const bool Title = Case == TTextTransform::Capitalize;
  Out[0] = Out[1] = Out[2] = 0;
  if (!GreekWithIota(C, Title, Out)) {
    auto It = std::lower_bound(std::begin(FullCases), std::end(FullCases), C,
                               [](const TFullCase& F, char32_t L) { return F.Letter < L; });
    if (It == std::end(FullCases) || It->Letter != C) return 0;
    const char32_t* From = Title && It->Title[0] ? It->Title : It->Upper;
    std::copy(From, From + 3, Out);
  }
  return Out[2] ? 3 : Out[1] ? 2 : Out[0] ? 1 : 0;
}

}  // namespace

bool ExpandCase(const char* Chars, const int* Indexes, int Count, TTextTransform Case,
                bool InWord, std::string& OutChars, std::vector<int>& OutIndexes,
                std::vector<std::pair<int, int>>& Spelled) {
  if (Case == TTextTransform::None) return false;
  bool Any = false;
  for (int I = 0; I < Count;) {
    int Length;
    const char32_t C = DecodeUtf8Char(Chars + I, size_t(Count - I), Length);
    char32_t To[3];
    const int N = uint8_t(Chars[I]) >= 0xC4 ? FullCaseOf(C, Case, InWord, To) : 0;
    if (N > 0 && !Any) {
      Any = true;
      OutChars.assign(Chars, size_t(I));
      OutIndexes.assign(Indexes, Indexes + I);
    }
    if (N > 0) {
      const int Start = int(OutChars.size());
      for (int K = 0; K < N; ++K) {
        char Bytes[4];
        OutChars.append(Bytes, size_t(EncodeUtf8Char(To[K], Bytes)));
      }
      for (int B = Start; B < int(OutChars.size()); ++B)
        OutIndexes.push_back(Indexes[I + std::min(B - Start, Length - 1)]);
      Spelled.push_back({Start, int(OutChars.size()) - Start});
    } else if (Any) {
      OutChars.append(Chars + I, size_t(Length));
      OutIndexes.insert(OutIndexes.end(), Indexes + I, Indexes + I + Length);
    }
    InWord = IsWordCodePoint(C) || (InWord && C == '\'');
    I += Length;
  }
  return Any;
}
