#include "reader/lexer.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "common/byte_scan.h"
#include "reader/japanese.h"

namespace {

constexpr int ProgressStep = 4096;
constexpr int MaxNameLength = 255;

enum : uint8_t {
  ccPlain = 1,    // a text character the fast path of a text run may take as it is
  ccTagByte = 2,  // a byte NextChar hands on as it is: no line end, tab, "<" or control
  ccLetter = 4,
  ccDigit = 8,
};

struct TCharTables {
  uint8_t Class[256];
  char Upper[256];
};

constexpr TCharTables MakeCharTables() {
  TCharTables T{};
  for (int C = 0; C < 256; ++C) {
    uint8_t K = 0;
    if (C > 32 && C != '&' && C != '<') K |= ccPlain;
    if (C >= 32 && C != '<') K |= ccTagByte;
    if ((C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z')) K |= ccLetter;
    if (C >= '0' && C <= '9') K |= ccDigit;
    T.Class[C] = K;
    T.Upper[C] = static_cast<char>(C >= 'a' && C <= 'z' ? C - 'a' + 'A' : C);
  }
  return T;
}

constexpr TCharTables CharTables = MakeCharTables();

inline uint8_t Class(char C) { return CharTables.Class[static_cast<unsigned char>(C)]; }
inline char Upper(char C) { return CharTables.Upper[static_cast<unsigned char>(C)]; }
inline bool IsLetter(char C) { return Class(C) & ccLetter; }
inline bool IsDigit(char C) { return Class(C) & ccDigit; }
inline bool IsLetterOrDigit(char C) { return Class(C) & (ccLetter | ccDigit); }
inline bool IsBlank(char C) { return C == ' ' || C == LineEndChar; }

// The first byte from P to End that a text run cannot take as it is: a control character,
// "&", "<", or (unless KeepSpaces) a space before a space, a control character or a "<", as
// blanks collapse (also over a comment between them). Single spaces between words go with
// the words, so that a run of words is one copy. Limit (End or further) bounds the byte
// looked at after a space; a space whose next byte is out of reach stops the run.
const char* SkipWords(const char* P, const char* End, const char* Limit, bool KeepSpaces) {
  // Sixteen bytes a step side by side; a comparison gives all ones in a byte where it holds.
  typedef uint8_t TBytes16 __attribute__((vector_size(16)));
  for (; End - P >= 16 && Limit - P >= 17; P += 16) {
    TBytes16 X, Next;
    std::memcpy(&X, P, 16);
    std::memcpy(&Next, P + 1, 16);
    TBytes16 Stops = TBytes16(X < 32) | TBytes16(X == '&') | TBytes16(X == '<');
    if (!KeepSpaces) Stops |= TBytes16(X == ' ') & (TBytes16(Next <= 32) | TBytes16(Next == '<'));
    uint64_t Halves[2];
    std::memcpy(Halves, &Stops, 16);
    if ((Halves[0] | Halves[1]) != 0)
      return Halves[0] != 0 ? P + ByteScan::FirstMarked(Halves[0])
                            : P + 8 + ByteScan::FirstMarked(Halves[1]);
  }
  for (; End - P >= 8 && Limit - P >= 9; P += 8) {
    const uint64_t X = ByteScan::Load(P);
    uint64_t Stops = ByteScan::Below(X, 32) | ByteScan::Equal(X, '&') | ByteScan::Equal(X, '<');
    if (!KeepSpaces) {
      const uint64_t Next = ByteScan::Load(P + 1);
      Stops |= ByteScan::Equal(X, ' ') & (ByteScan::Below(Next, 33) | ByteScan::Equal(Next, '<'));
    }
    if (Stops != 0) return P + ByteScan::FirstMarked(Stops);
  }
  for (; P < End; ++P) {
    const unsigned char C = static_cast<unsigned char>(*P);
    if (C == ' ') {
      if (KeepSpaces) continue;
      if (P + 1 >= Limit || static_cast<unsigned char>(P[1]) <= 32 || P[1] == '<') break;
    } else if (!(Class(*P) & ccPlain)) {
      break;
    }
  }
  return P;
}

// The whole text as a decimal number, rounded half to even; 0 when it is not one or does not
// fit 32 bits. A leading "+" is allowed.
int WholeNumber(std::string_view S) {
  if (!S.empty() && S[0] == '+') {
    S.remove_prefix(1);
    if (S.empty() || S[0] == '-' || S[0] == '+') return 0;
  }
  if (S.empty()) return 0;
  double V = 0;
  auto [End, Err] = std::from_chars(S.data(), S.data() + S.size(), V, std::chars_format::general);
  if (Err != std::errc() || End != S.data() + S.size() || !std::isfinite(V)) return 0;
  V = std::nearbyint(V);
  if (V < INT_MIN || V > INT_MAX) return 0;
  return static_cast<int>(V);
}

// The number of a quoted value: the text without surrounding control characters and blanks,
// and without a "%" that is its only one and its last character.
int QuotedNumber(std::string_view S) {
  while (!S.empty() && static_cast<unsigned char>(S.front()) <= 32) S.remove_prefix(1);
  while (!S.empty() && static_cast<unsigned char>(S.back()) <= 32) S.remove_suffix(1);
  size_t Percent = S.find('%');
  if (Percent != std::string_view::npos && Percent == S.size() - 1) S.remove_suffix(1);
  return WholeNumber(S);
}

}  // namespace

// ---- TLexToken ----

TLexToken::TLexToken() { Grow(128); }

void TLexToken::Grow(int Needed) {
  int NewCapacity = std::max(Needed, FCapacity + FCapacity / 2 + 16);
  auto Chars = std::make_unique<char[]>(NewCapacity);
  auto Indexes = std::make_unique<int[]>(NewCapacity);
  if (FCount > 0) {
    std::memcpy(Chars.get(), FChars.get(), FCount);
    std::memcpy(Indexes.get(), FIndexes.get(), FCount * sizeof(int));
  }
  FChars = std::move(Chars);
  FIndexes = std::move(Indexes);
  FCapacity = NewCapacity;
}

void TLexToken::AppendToken(const TLexToken& Other) {
  if (FCount + Other.FCount > FCapacity) Grow(FCount + Other.FCount);
  std::memcpy(FChars.get() + FCount, Other.FChars.get(), Other.FCount);
  std::memcpy(FIndexes.get() + FCount, Other.FIndexes.get(), Other.FCount * sizeof(int));
  FCount += Other.FCount;
}

void TLexToken::AppendRun(const char* Src, int N, int FirstIndex, int Step, int64_t Readable) {
  // Bytes and indexes go eight at a time, the last eight into spare room: a fixed count per
  // step keeps words of every length from costing a mispredicted loop end each.
  if (FCount + N + 7 > FCapacity) Grow(FCount + N + 7);
  char* Chars = FChars.get() + FCount;
  if (Readable >= N + 7) {
    for (int I = 0; I < N; I += 8) std::memcpy(Chars + I, Src + I, 8);
  } else {
    std::memcpy(Chars, Src, N);
  }
  int* Index = FIndexes.get() + FCount;
  if (Step == 1) {  // the document's own bytes: no multiply
    for (int I = 0; I < N; I += 8)
      for (int K = 0; K < 8; ++K) Index[I + K] = FirstIndex + I + K;
  } else {
    for (int I = 0; I < N; I += 8)
      for (int K = 0; K < 8; ++K) Index[I + K] = FirstIndex + (I + K) * Step;
  }
  FCount += N;
}

// ---- Reading ----

inline void TLexer::NextTagChar() {
  // Bytes below FLimit read as themselves: no include end or progress mark comes between.
  if (FPtr < FLimit && (Class(*FPtr) & ccTagByte)) {
    const char C = *FPtr++;
    SourcePos += FPosStep;
    LineEndState = TLineEnd::None;
    CurFromTab = false;
    CurCh = C;
    CurUpCh = Upper(C);
    return;
  }
  NextChar();
}

TLexer::TLexer() { Start({}); }

void TLexer::Start(std::string_view Source) {
  // Source offsets are 32-bit; refuse what they cannot address rather than wrap.
  if (Source.size() >= static_cast<size_t>(INT_MAX)) throw EParseError("HTML document too large");
  FOwnedDoc.clear();
  FIncludeText.clear();
  JapaneseConverted = false;
  if (HasIso2022JpEscape(Source)) {
    FOwnedDoc = Iso2022JpToShiftJis(Source);
    Source = FOwnedDoc;
    JapaneseConverted = true;
  }
  FDocBegin = Source.data();
  FDocEnd = FDocBegin + Source.size();
  FPtr = FDocBegin;
  FSrcEnd = FDocEnd;
  FSavedPtr = nullptr;
  FPosStep = 1;
  FInInclude = false;
  FNextMark = ProgressStep;
  SetDocLimit();

  CurSym = symNone;
  CurCh = CurUpCh = EndOfInput;
  SourcePos = -1;
  TagStart = -1;
  HeadingLevel = 0;
  LineEndState = TLineEnd::None;
  CommentOpen = false;
  TagsOff = false;
  PreMode = false;
  CurFromTab = false;
  CurToken.Clear();
  CurAttributes.Clear();
}

void TLexer::Finish() {
  Start({});
  FOwnedDoc.shrink_to_fit();
  FIncludeText.shrink_to_fit();
}

void TLexer::SetDocLimit() {
  int64_t Length = FDocEnd - FDocBegin;
  FLimit = FDocBegin + std::min(Length, FNextMark);
}

char TLexer::RawReadSlow() {
  for (;;) {
    if (FInInclude) {
      // The included text is used up: back to the document where the comment ended.
      FInInclude = false;
      FPtr = FSavedPtr;
      FSrcEnd = FDocEnd;
      FPosStep = 1;
      SetDocLimit();
    } else if (FPtr - FDocBegin == FNextMark) {
      // A progress mark (also when it falls on the very end of the document).
      int64_t Length = FDocEnd - FDocBegin;
      if (OnProgress && Length > 0) OnProgress(static_cast<int>((FNextMark * ProgressScale) / Length));
      FNextMark += ProgressStep;
      SetDocLimit();
    } else if (FPtr >= FDocEnd) {
      return EndOfInput;
    }
    if (FPtr < FLimit) {
      SourcePos += FPosStep;
      return *FPtr++;
    }
  }
}

char TLexer::PeekRaw() const {
  if (FPtr < FSrcEnd) return *FPtr;
  if (FInInclude && FSavedPtr < FDocEnd) return *FSavedPtr;
  return EndOfInput;
}

char TLexer::ReadChar() {
  char C = RawRead();
  // The second half of a CR LF or LF CR pair.
  if ((C == '\n' && LineEndState == TLineEnd::AfterCR) ||
      (C == '\r' && LineEndState == TLineEnd::AfterLF))
    C = RawRead();
  CurFromTab = C == '\t';
  if (C == '\n') {
    LineEndState = TLineEnd::AfterLF;
    C = LineEndChar;
  } else if (C == '\r') {
    LineEndState = TLineEnd::AfterCR;
  } else {
    LineEndState = TLineEnd::None;
    if (CurFromTab) C = ' ';
  }
  CurCh = C;
  CurUpCh = Upper(C);
  if (C == EndOfInput && CommentOpen) throw EParseError("Open Comment at End of HTML File");
  return C;
}

char TLexer::NextChar() {
  for (;;) {
    ReadChar();
    if (CurCh != '<' || TagsOff) return CurCh;
    const char Next = PeekRaw();
    if (Next == '?') {
      // A processing instruction ("<?xml ...?>") is hidden as a declaration is.
      ReadChar();
      CommentOpen = true;
      SkipDeclaration();
      continue;
    }
    if (Next != '!') return CurCh;
    ReadChar();  // the "!"
    CommentOpen = true;
    ReadChar();
    if (CurCh == '-') {
      ReadChar();
      if (CurCh == '-') {
        ReadChar();
        if (CurCh == '#' && OnInclude && !FInInclude)
          ReadInclude();
        else
          SkipComment();
        continue;
      }
    }
    SkipDeclaration();
  }
}

void TLexer::SkipBlanks() {
  while (IsBlank(CurCh)) NextChar();
}

void TLexer::SkipDeclaration() {
  if (!OnDeclaration) {
    while (CurCh != '>') ReadChar();
    CommentOpen = false;
    return;
  }
  std::string text;
  while (CurCh != '>') {
    if (text.size() < MaxDeclarationText) text += CurCh;
    ReadChar();
  }
  CommentOpen = false;
  OnDeclaration(text);
}

// "--", any further hyphens, then blanks and line ends, then ">" closes the comment.
void TLexer::SkipComment() {
  for (;;) {
    while (CurCh != '-') ReadChar();
    ReadChar();
    if (CurCh != '-') continue;
    while (CurCh == '-') ReadChar();
    while (IsBlank(CurCh)) ReadChar();
    if (CurCh == '>') break;
  }
  CommentOpen = false;
}

void TLexer::ReadInclude() {
  auto SkipWhite = [this] {
    while (IsBlank(CurCh)) ReadChar();
  };
  auto IsNameChar = [](char C) { return IsLetterOrDigit(C) || C == '_'; };

  std::string Command;
  ReadChar();
  while (IsNameChar(CurUpCh)) {
    Command += CurCh;
    ReadChar();
  }
  auto Params = std::make_unique<TStringList>();
  TLexToken Value;
  for (;;) {
    SkipWhite();
    if (!IsLetter(CurCh)) break;
    std::string Param;
    while (IsNameChar(CurCh)) {
      Param += CurCh;
      ReadChar();
    }
    SkipWhite();
    Value.Clear();
    if (CurCh == '=') {
      ReadChar();
      SkipWhite();
      if (CurCh == '"' || CurCh == '\'') {
        char Quote = CurCh;
        ReadChar();
        while (CurCh != Quote && CurCh != EndOfInput) {
          if (CurCh == '&') {
            DecodeEntity(Value, true);
          } else {
            Value.Append(CurCh == LineEndChar ? ' ' : CurCh, SourcePos);
            ReadChar();
          }
        }
        if (CurCh == Quote) ReadChar();
      } else {
        while (!IsBlank(CurCh) && CurCh != EndOfInput && CurCh != '-' && CurCh != '>') {
          Value.Append(CurCh, SourcePos);
          ReadChar();
        }
      }
    }
    Param += '=';
    Param += Value.Text();
    Params->Add(Param);
  }
  SkipComment();

  const char* Buffer = nullptr;
  int BuffSize = 0;
  OnInclude(Command, std::move(Params), Buffer, BuffSize);
  if (Buffer && BuffSize > 0) {
    FIncludeText.assign(Buffer, static_cast<size_t>(BuffSize));
    FSavedPtr = FPtr;
    FPtr = FIncludeText.data();
    FSrcEnd = FLimit = FPtr + FIncludeText.size();
    FPosStep = 0;
    FInInclude = true;
  }
}

// ---- Symbols ----

void TLexer::NextSymbol() {
  CurToken.Clear();
  if (CurCh == EndOfInput) {
    CurSym = symEof;
  } else if (CurCh == '<') {
    ReadTag();
  } else if (CurCh == '&') {
    DecodeEntity(CurToken, false);
    CurSym = symText;
  } else if (!ReadTextRun()) {
    CurSym = symOtherChar;
    CurToken.Append(CurCh, SourcePos);
    NextChar();
  }
}

bool TLexer::ReadTextRun() {
  while (CurToken.Count() < FMaxTextRun) {
    char C = CurCh;
    uint8_t K = Class(C);
    if (K & ccPlain) {
      CurToken.Append(C, SourcePos);
      // The plain bytes and single spaces that follow need none of the rules of NextChar:
      // take them in one go, then let NextChar read the first byte that may need them.
      const char* const RunEnd =
          FPtr + std::min<int64_t>(FLimit - FPtr, FMaxTextRun - CurToken.Count());
      const char* Run = SkipWords(FPtr, RunEnd, FLimit, PreMode);
      int N = static_cast<int>(Run - FPtr);
      if (N > 0) {
        CurToken.AppendRun(FPtr, N, SourcePos + FPosStep, FPosStep, FLimit - FPtr);
        FPtr = Run;
        SourcePos += N * FPosStep;
      }
      NextChar();
    } else if (IsBlank(C)) {
      if (PreMode) {
        CurToken.Append(C, SourcePos);
        NextChar();
      } else {
        CurToken.Append(' ', SourcePos);
        if (C == ' ' && FPtr < FLimit && (Class(*FPtr) & ccPlain)) {
          // One space between words, the common case.
          CurCh = *FPtr++;
          CurUpCh = Upper(CurCh);
          CurFromTab = false;
          SourcePos += FPosStep;
        } else {
          SkipBlanks();
        }
      }
    } else {
      break;  // a control character, "&" or "<"
    }
  }
  if (CurToken.Count() == 0) return false;
  CurSym = symText;
  return true;
}

void TLexer::SkipTagBlanks() {
  while (IsBlank(CurCh)) NextTagChar();
}

void TLexer::ReadTag() {
  TagStart = SourcePos;
  NextTagChar();
  bool EndTag = false;
  if (CurCh == '/') {
    EndTag = true;
    NextTagChar();
  } else if (!IsLetter(CurCh)) {
    // Not a tag: the "<" is text, and what follows it is read as usual.
    CurSym = symText;
    CurToken.Append('<', TagStart);
    return;
  }
  CurSym = symOther;
  char Name[MaxNameLength];
  int Length = 0;
  uint32_t Hash = NameHashSeed;
  while (IsLetter(CurCh)) {
    if (Length < MaxNameLength) {
      Name[Length++] = CurUpCh;
      Hash = NameHashStep(Hash, static_cast<unsigned char>(CurUpCh));
    }
    NextTagChar();
  }
  if (const TTagEntry* Tag = FindTag(std::string_view(Name, Length), Hash)) {
    if (!EndTag)
      CurSym = Tag->Start;
    else if (Tag->End != symNone)
      CurSym = Tag->End;
  }
  SkipTagBlanks();
  HeadingLevel = 0;
  if ((CurSym == symHeading || CurSym == symHeadingEnd) && CurCh >= '1' && CurCh <= '6') {
    HeadingLevel = CurCh - '0';
    NextTagChar();
  }
  CurAttributes.Clear();
  while (ReadAttribute()) {
  }
  while (CurCh != '>' && CurCh != EndOfInput) NextTagChar();
  // A STYLE start tag leaves its ">" current: the CSS parser starts from it.
  if (CurSym != symStyle) NextTagChar();
}

bool TLexer::ReadAttribute() {
  SkipTagBlanks();
  if (!IsLetter(CurCh)) return false;
  char Name[MaxNameLength];
  int Length = 0;
  uint32_t Hash = NameHashSeed;
  while (IsLetter(CurCh) || CurCh == '-') {
    if (Length < MaxNameLength) {
      Name[Length++] = CurUpCh;
      Hash = NameHashStep(Hash, static_cast<unsigned char>(CurUpCh));
    }
    NextTagChar();
  }
  TSymbol Sym = FindAttribute(std::string_view(Name, Length), Hash);
  SkipTagBlanks();
  // A bare BORDER means a border of 1.
  TAttribute& Attr = CurAttributes.Add(Sym, Sym == symBorder ? 1 : 0);
  std::string& Value = Attr.StrValue;
  if (CurCh == '=') {
    NextTagChar();
    SkipTagBlanks();
    if (CurCh == '"' || CurCh == '\'') {
      char Quote = CurCh;
      NextTagChar();
      while (CurCh != Quote && CurCh != EndOfInput) {
        if (CurCh == LineEndChar) {
          NextTagChar();  // line ends inside quotes vanish
        } else if (CurCh == '&') {
          FEntityText.Clear();
          DecodeEntity(FEntityText, true);
          Value += FEntityText.Text();
        } else {
          Value += CurCh;
          NextTagChar();
        }
      }
      if (CurCh == Quote) NextTagChar();
      Attr.NumValue = QuotedNumber(Value);
    } else if (CurCh == '+' || CurCh == '-' || IsDigit(CurCh)) {
      while (!IsBlank(CurCh) && CurCh != EndOfInput && CurCh != '%' && CurCh != '>') {
        Value += CurUpCh;
        NextTagChar();
      }
      SkipTagBlanks();
      Attr.NumValue = WholeNumber(Value);
      if (CurCh == '%') {
        Value += '%';
        NextTagChar();
      }
    } else {
      while (!IsBlank(CurCh) && CurCh != EndOfInput && CurCh != '>') {
        Value += CurCh;
        NextTagChar();
      }
    }
  }
  if (Sym == symId && !Value.empty() && OnIDFound) OnIDFound(Value, SourcePos);
  return true;
}

bool TLexer::AtStartTag(std::string_view UpperName) const {
  if (CurCh != '<' || CommentOpen) return false;
  const size_t N = UpperName.size();
  // Within FLimit every byte reads as itself: no include end or progress mark between.
  if (FLimit - FPtr <= static_cast<std::ptrdiff_t>(N)) return false;
  for (size_t I = 0; I < N; ++I)
    if (Upper(FPtr[I]) != UpperName[I]) return false;
  return !IsLetter(FPtr[N]);
}

bool TLexer::MayStartEndTag(std::string_view UpperName) const {
  const size_t N = UpperName.size();
  if (FSrcEnd - FPtr <= static_cast<std::ptrdiff_t>(N + 1)) return true;
  if (FPtr[0] != '/') return false;
  for (size_t I = 0; I < N; ++I)
    if (Upper(FPtr[I + 1]) != UpperName[I]) return false;
  return !IsLetter(FPtr[N + 1]);
}

// ---- Character sets ----

bool TLexer::CharsetFromName(std::string_view Name, uint8_t& Charset) {
  bool IsEucJp = false;
  if (!CharsetFromTable(Name, Charset, IsEucJp)) return false;
  if (IsEucJp && !JapaneseConverted && FDocBegin != FDocEnd) ConvertEucJp();
  if (IsEucJp) JapaneseConverted = true;
  return true;
}

void TLexer::ConvertEucJp() {
  // The conversion keeps every byte in place, so read positions carry over by offset.
  const char* OldBegin = FDocBegin;
  if (FOwnedDoc.data() != FDocBegin) FOwnedDoc.assign(FDocBegin, FDocEnd - FDocBegin);
  EucJpToShiftJis(FOwnedDoc.data(), FOwnedDoc.size());
  auto Move = [&](const char* P) { return FOwnedDoc.data() + (P - OldBegin); };
  if (FInInclude) {
    FSavedPtr = Move(FSavedPtr);
  } else {
    FPtr = Move(FPtr);
    FLimit = Move(FLimit);
    FSrcEnd = Move(FSrcEnd);
  }
  FDocBegin = FOwnedDoc.data();
  FDocEnd = FDocBegin + FOwnedDoc.size();
}
