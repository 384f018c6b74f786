#include "document/core/text_section.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/byte_scan.h"
#include "common/codepage.h"
#include "common/unicode_chars.h"
#include "document/core/case_expansion.h"
#include "document/core/letter_case.h"
#include "document/core/section_list.h"

namespace {

// The source map holds an entry where source offsets stop running on with the text: an
// entry covers the positions from its own to the next entry's, at consecutive offsets.
// Text of several bytes a character copied from the source costs an entry per stretch,
// not per byte.
void AppendSource(TSmallVector<IndexObj>& Map, int Pos, int Source) {
  if (Map.empty() || Map.back().SourceOffset + (Pos - Map.back().DocOffset) != Source)
    Map.push_back({Pos, Source});
}

// Gives the last position of a map its own source offset.
void SetLastSource(TSmallVector<IndexObj>& Map, int Pos, int Source) {
  if (!Map.empty() && Map.back().DocOffset == Pos) Map.truncate(Map.size() - 1);
  AppendSource(Map, Pos, Source);
}

// Reads a source map at increasing positions.
class TSourceCursor {
 public:
  explicit TSourceCursor(const TSmallVector<IndexObj>& Map) : FMap(Map) {}
  int At(int Pos) {
    while (FNext < FMap.size() && FMap[FNext].DocOffset <= Pos) ++FNext;
    if (FNext == 0) return Pos;  // before any entry: only a map without one
    const IndexObj& E = FMap[FNext - 1];
    return E.SourceOffset + Pos - E.DocOffset;
  }

 private:
  const TSmallVector<IndexObj>& FMap;
  size_t FNext = 0;
};

// The first of Indexes[From..Count) whose offset does not run on from Base (Indexes[I] ==
// Base + I), Count when all do; four at a time, as nearly every text run runs on whole.
int RunsOnTo(const int* Indexes, int From, int Count, int Base) {
  typedef uint32_t TLanes __attribute__((vector_size(16)));
  const TLanes Lane = {0, 1, 2, 3};
  int I = From;
  for (; Count - I >= 4; I += 4) {
    TLanes V;
    std::memcpy(&V, Indexes + I, sizeof V);
    const TLanes Off = V - (Lane + uint32_t(Base) + uint32_t(I));
    uint64_t Halves[2];
    std::memcpy(Halves, &Off, sizeof Halves);
    if ((Halves[0] | Halves[1]) != 0) break;
  }
  while (I < Count && Indexes[I] - I == Base) ++I;
  return I;
}

}  // namespace

TSection::TSection(TSectionList* ADocument, std::shared_ptr<const TMyFont> Font)
    : TSectionBase(ADocument) {
  auto Run = std::make_unique<TFontObj>(this, 0, std::move(Font));
  FMayHaveDBCS = Run->FFont->FLeadByteSet.any();
  FHasUtf8 = Run->FFont->Charset == UTF8_CHARSET;
  FFontRuns.Add(std::move(Run));
}

TSection::~TSection() = default;

void TSection::AppendChar(char Ch, int SourceIndex) { AppendChars(&Ch, &SourceIndex, 1); }

void TSection::AppendTokens(const TokenObj& Token) {
  AppendChars(Token.Chars(), Token.Indexes(), Token.Count());
}

void TSection::AppendChars(const char* Chars, const int* Indexes, int Count) {
  if (Count <= 0 || !FSourceOpen) return;
  std::string SpelledChars;
  std::vector<int> SpelledIndexes;
  std::vector<std::pair<int, int>> Spelled;
  if (FCaseTransform != TTextTransform::None && FHasUtf8 && FFontRuns.Count() > 0 &&
      FFontRuns.Last()->FFont->Charset == UTF8_CHARSET)
    SpellCase(Chars, Indexes, Count, SpelledChars, SpelledIndexes, Spelled);
  const int L = Len();
  FText.append(Chars, Count);
  if (FCaseTransform != TTextTransform::None || FMayHaveDBCS) TakeAppended(L, Count);
  // Offsets that run on from the last entry, or from a new one, need no entry of their own.
  int I = 0;
  int Base = INT_MIN;
  if (!FSourceMap.empty()) Base = FSourceMap.back().SourceOffset - FSourceMap.back().DocOffset + L;
  while (I < Count) {
    I = RunsOnTo(Indexes, I, Count, Base);
    if (I == Count) break;
    FSourceMap.push_back({L + I, Indexes[I]});
    Base = Indexes[I] - I;
  }
  // No flags stand for all breakable; the first unbreakable character makes them, even at
  // the very start, where there is nothing before it to flag.
  const char Flag = (FNoBreak || IsPreformatted()) ? 'n' : 'y';
  if (Flag == 'n' || !BreakFlagsText().empty()) {
    std::string& Flags = Rare().BreakFlags;
    if (Flags.empty()) Flags.assign(L, 'y');
    Flags.append(Count, Flag);
  }
  if (!Spelled.empty()) MarkSpelled(L, Spelled);
  CheckBreakFlags(0);
}

// Letters whose case takes another number of bytes come spelled out in the piece before it
// is appended, each byte with a source offset; a letter cut short at the end of the text so
// far is taken back and spelled whole with the rest of it.
void TSection::SpellCase(const char*& Chars, const int*& Indexes, int& Count,
                         std::string& SpelledChars, std::vector<int>& SpelledIndexes,
                         std::vector<std::pair<int, int>>& Spelled) {
  const int L = Len();
  const int RunStart = std::max(FFontRuns.Last()->FPos, 0);
  int Begin = L;
  int P = L - 1;
  while (P > RunStart && L - P < 4 && IsUtf8Continuation(uint8_t(FText[P]))) --P;
  if (P >= RunStart && P < L && uint8_t(FText[P]) >= 0xC4) {
    const uint8_t Lead = uint8_t(FText[P]);
    const int Need = Lead >= 0xF0 ? 4 : Lead >= 0xE0 ? 3 : 2;
    if (L - P < Need) Begin = P;  // cut short
  }
  std::string Joined;
  std::vector<int> JoinedIndexes;
  const char* From = Chars;
  const int* FromIndexes = Indexes;
  int FromCount = Count;
  if (Begin < L) {
    Joined.assign(FText, size_t(Begin), std::string::npos);
    TSourceCursor Cursor(FSourceMap);
    for (int I = Begin; I < L; ++I) JoinedIndexes.push_back(Cursor.At(I));
    Joined.append(Chars, size_t(Count));
    JoinedIndexes.insert(JoinedIndexes.end(), Indexes, Indexes + Count);
    From = Joined.data();
    FromIndexes = JoinedIndexes.data();
    FromCount = int(Joined.size());
  }
  bool InWord = false;
  if (Begin > RunStart) {
    int Before;
    InWord = IsWordCodePoint(Utf8CharBefore(Begin, Before));
  }
  if (!ExpandCase(From, FromIndexes, FromCount, FCaseTransform, InWord, SpelledChars,
                  SpelledIndexes, Spelled))
    return;
  if (Begin < L) {
    FText.resize(size_t(Begin));
    size_t Entries = FSourceMap.size();
    while (Entries > 0 && FSourceMap[Entries - 1].DocOffset >= Begin) --Entries;
    FSourceMap.truncate(Entries);
    if (FRare && FRare->BreakFlags.size() > size_t(Begin)) FRare->BreakFlags.resize(size_t(Begin));
    if (FRare && FRare->ByteKinds.size() > size_t(Begin)) FRare->ByteKinds.resize(size_t(Begin));
  }
  Chars = SpelledChars.data();
  Indexes = SpelledIndexes.data();
  Count = int(SpelledChars.size());
}

// The bytes of a spelled letter after its first stand as the trail of one character, so
// that carets, hits and line breaks never fall inside it.
void TSection::MarkSpelled(int At, const std::vector<std::pair<int, int>>& Spelled) {
  std::vector<uint8_t>& Kinds = Rare().ByteKinds;
  for (int P = int(Kinds.size()); P < Len(); ++P) Kinds.push_back(uint8_t(ByteKind(P)));
  for (const auto& [Start, Bytes] : Spelled) {
    Kinds[size_t(At + Start)] = 1;
    for (int B = 1; B < Bytes; ++B) Kinds[size_t(At + Start + B)] = 2;
  }
}

// Letter case changes byte by byte in the code page of the run the characters join;
// double-byte characters keep their bytes. A word starts after a byte that is neither a
// letter nor a digit (an apostrophe inside a word keeps it going). Each byte's kind
// follows from the one before, so building stays linear however long a double-byte run.
void TSection::TakeAppended(int From, int Count) {
  if (FFontRuns.Count() == 0) return;
  const TFontObj& Run = *FFontRuns.Last();
  if (Run.FFont->Charset == UTF8_CHARSET) {
    TakeAppendedUtf8(From, Count);
    return;
  }
  const std::bitset<256>& Lead = Run.FFont->FLeadByteSet;
  const bool Dbcs = Lead.any();
  auto* T = reinterpret_cast<unsigned char*>(FText.data());
  const int End = From + Count;
  if (FCaseTransform == TTextTransform::None) {
    if (!Dbcs) {
      FLastByteKind = 0;
      return;
    }
    int Kind = FLastByteKind == 1 && Run.FPos < From ? 2 : Lead[T[From]] ? 1 : 0;
    for (int I = From + 1; I < End; ++I) Kind = Kind == 1 ? 2 : Lead[T[I]] ? 1 : 0;
    FLastByteKind = static_cast<uint8_t>(Kind);
    return;
  }
  const TLetterCase& Case = LetterCaseOf(CharsetToCodePage(Run.FFont->Charset));
  bool InWord = From > 0 && FLastByteKind == 0 && Case.Word[T[From - 1]];
  int Kind = FLastByteKind == 1 && Run.FPos < From ? 2 : 0;
  for (int I = From; I < End; ++I) {
    const unsigned char B = T[I];
    if (Dbcs && Kind != 2) Kind = Lead[B] ? 1 : 0;
    if (Kind == 0) {
      if (FCaseTransform == TTextTransform::Upper ||
          (FCaseTransform == TTextTransform::Capitalize && !InWord))
        T[I] = Case.Upper[B];
      else if (FCaseTransform == TTextTransform::Lower)
        T[I] = Case.Lower[B];
      InWord = Case.Word[B] || (InWord && B == '\'');
    } else {
      InWord = false;
    }
    FLastByteKind = static_cast<uint8_t>(Kind);
    Kind = Kind == 1 ? 2 : 0;
  }
}

std::string TSection::BreakFlags() const {
  if (!BreakFlagsText().empty()) return BreakFlagsText();
  return std::string(FText.size() + (FSourceOpen ? 0 : 1), 'y');
}

void TSection::CompactBreakFlags() {
  if (!FRare || FRare->BreakFlags.find('n') != std::string::npos) return;
  std::string().swap(FRare->BreakFlags);
  ReleaseRare();
}

void TSection::StartFontRun(std::shared_ptr<const TMyFont> Font, const std::string& Title) {
  if (!Font) return;
  const int Pos = Len();
  TFontObj* LastRun = FFontRuns.Last();
  TFontObj* Run;
  if (LastRun && LastRun->FPos == Pos) {
    LastRun->ReplaceFont(std::move(Font));
    Run = LastRun;
  } else {
    auto NewRun = std::make_unique<TFontObj>(this, Pos, std::move(Font));
    if (LastRun) NewRun->SetTarget(LastRun->Target());
    Run = NewRun.get();
    FFontRuns.Add(std::move(NewRun));
  }
  Run->SetTitle(Title);
  Run->FScript = FScriptState;
  if (Run->FFont->FLeadByteSet.any()) FMayHaveDBCS = true;
  if (Run->FFont->Charset == UTF8_CHARSET) FHasUtf8 = true;
}

void TSection::AddObject(std::unique_ptr<TInlineObject> Object, int SourceIndex) {
  if (!Object) return;
  TObjEntry E;
  E.Pos = Len();
  E.Obj = Object.get();
  E.Owned = std::move(Object);
  Rare().Objects.push_back(std::move(E));
  ForgetFloatRows();
  AppendChar(ccImage, SourceIndex);
}

void TSection::AddControl(TInlineObject* Control, int SourceIndex) {
  if (!Control) return;
  TObjEntry E;
  E.Pos = Len();
  E.Obj = Control;
  E.IsControl = true;
  Rare().Objects.push_back(std::move(E));
  ForgetFloatRows();
  AppendChar(ccFormControl, SourceIndex);
}

void TSection::ReleaseRegistrations() {
  if (!FDocument) return;
  for (int I = 0; I < FFontRuns.Count(); ++I)
    std::erase(FDocument->LinkRuns, static_cast<TDocFontRun*>(FFontRuns[I]));
}

bool TSection::PrepareToAdd() {
  if (FSourceOpen) CompleteText();
  if (!IsPreformatted() && !FKeepsFontRoom && Len() == 0 && !FHasAnchor &&
      FClear == TClearSides::None) {
    ReleaseRegistrations();
    return false;
  }
  return true;
}

const TSection::TObjEntry* TSection::ObjectAt(int Pos) const {
  const std::vector<TObjEntry>& Objs = Objects();
  auto It = std::lower_bound(Objs.begin(), Objs.end(), Pos,
                             [](const TObjEntry& E, int P) { return E.Pos < P; });
  return (It != Objs.end() && It->Pos == Pos) ? &*It : nullptr;
}

TSection::TRareParts& TSection::Rare() {
  if (!FRare) FRare = std::make_unique<TRareParts>();
  return *FRare;
}

void TSection::ReleaseRare() {
  if (FRare && FRare->BreakFlags.empty() && FRare->Objects.empty() && FRare->ByteKinds.empty() &&
      FRare->Boxes.empty() && FRare->MinWidth < 1 && !FRare->FirstLineStyled)
    FRare.reset();
}

const std::vector<TSection::TObjEntry>& TSection::NoObjects() {
  static const std::vector<TObjEntry> None;
  return None;
}

const std::vector<TInlineBox>& TSection::NoBoxes() {
  static const std::vector<TInlineBox> None;
  return None;
}

const std::vector<TSection::TBoxEdge>& TSection::NoEdges() {
  static const std::vector<TBoxEdge> None;
  return None;
}

int TSection::OpenInlineBox(const TInlineBox& Box) {
  std::vector<TInlineBox>& Boxes = Rare().Boxes;
  Boxes.push_back(Box);
  Boxes.back().Start = Len();
  Boxes.back().End = -1;
  return static_cast<int>(Boxes.size()) - 1;
}

void TSection::CloseInlineBox(int Index) {
  if (!FRare || Index < 0 || size_t(Index) >= FRare->Boxes.size()) return;
  TInlineBox& Box = FRare->Boxes[Index];
  if (Box.End < 0) Box.End = Len();
}

void TSection::TakeBoxEdges() {
  if (!FRare || FRare->Boxes.empty()) return;
  std::vector<TBoxEdge>& Edges = FRare->Edges;
  Edges.clear();
  for (TInlineBox& Box : FRare->Boxes) {
    if (Box.End < 0 || Box.End > Len()) Box.End = Len();
    Box.Start = std::min(Box.Start, Box.End);
    if (Box.LeftWidth() != 0) Edges.push_back({Box.Start, Box.LeftWidth()});
    if (Box.RightWidth() != 0) Edges.push_back({Box.End, Box.RightWidth()});
  }
  std::stable_sort(Edges.begin(), Edges.end(),
                   [](const TBoxEdge& A, const TBoxEdge& B) { return A.Pos < B.Pos; });
  // One entry per position.
  size_t Out = 0;
  for (size_t I = 0; I < Edges.size(); ++I) {
    if (Out > 0 && Edges[Out - 1].Pos == Edges[I].Pos)
      Edges[Out - 1].Width = std::clamp(Edges[Out - 1].Width + Edges[I].Width,
                                        -4 * MaxInlineBoxLength, 4 * MaxInlineBoxLength);
    else
      Edges[Out++] = Edges[I];
  }
  Edges.resize(Out);
}

const std::string& TInlineObject::MapKey() const {
  static const std::string None;
  return None;
}

const std::string& TSection::BreakFlagsText() const {
  static const std::string None;
  return FRare ? FRare->BreakFlags : None;
}

void TSection::CloseText() {
  size_t Entries = FSourceMap.size();
  while (Entries > 0 && FSourceMap[Entries - 1].DocOffset >= Len()) --Entries;
  FSourceMap.truncate(Entries);
  FSourceMap.shrink_to_fit();
  FFontRuns.DropEmptyRuns(Len(), FDocument ? &FDocument->LinkRuns : nullptr);
  FSourceOpen = false;
  // UTF-8 runs of ASCII alone lay out as 8-bit text does.
  if (FHasUtf8 && !(FRare && !FRare->ByteKinds.empty()) && std::none_of(FText.begin(), FText.end(),
                               [](char C) { return static_cast<unsigned char>(C) >= 0x80; })) {
    FHasUtf8 = false;
    FMayHaveDBCS = false;
    for (int I = 0; I < FFontRuns.Count(); ++I)
      if (FFontRuns[I]->FFont->FLeadByteSet.any() && FFontRuns[I]->FFont->Charset != UTF8_CHARSET)
        FMayHaveDBCS = true;
  }
  if (FMayHaveDBCS) TakeByteKinds();
  TakeBoxEdges();
}

void TSection::RemoveChars(const std::vector<int>& Sorted) {
  if (Sorted.empty()) return;
  std::string* Flags = FRare && !FRare->BreakFlags.empty() ? &FRare->BreakFlags : nullptr;
  const bool Sources = FSourceOpen && !FSourceMap.empty();
  std::vector<uint8_t>* Kinds = FRare && !FRare->ByteKinds.empty() ? &FRare->ByteKinds : nullptr;
  size_t KindsKept = 0;
  TSmallVector<IndexObj> Kept;
  TSourceCursor Cursor(FSourceMap);
  size_t Out = 0, K = 0;
  for (size_t I = 0; I < FText.size(); ++I) {
    if (K < Sorted.size() && Sorted[K] == static_cast<int>(I)) {
      ++K;
      continue;
    }
    FText[Out] = FText[I];
    if (Flags) (*Flags)[Out] = (*Flags)[I];
    if (Kinds && I < Kinds->size()) (*Kinds)[KindsKept++] = (*Kinds)[I];
    if (Sources) AppendSource(Kept, int(Out), Cursor.At(int(I)));
    ++Out;
  }
  if (Flags) Flags->resize(Flags->size() - (FText.size() - Out));
  if (Kinds) Kinds->resize(KindsKept);
  if (Sources) FSourceMap = std::move(Kept);
  FText.resize(Out);
  MoveDown(Sorted);
}

void TSection::MoveDown(const std::vector<int>& Sorted) {
  if (FRare) {
    size_t K = 0;
    for (TObjEntry& E : FRare->Objects) {  // by increasing Pos
      while (K < Sorted.size() && Sorted[K] < E.Pos) ++K;
      E.Pos -= static_cast<int>(K);
    }
    // A box starting or ending where a character went now starts or ends at the next one.
    auto Moved = [&](int Pos) {
      return Pos - static_cast<int>(std::lower_bound(Sorted.begin(), Sorted.end(), Pos) -
                                    Sorted.begin());
    };
    for (TInlineBox& Box : FRare->Boxes) {
      Box.Start = Moved(Box.Start);
      if (Box.End >= 0) Box.End = Moved(Box.End);
    }
  }
  FFontRuns.RemovePositions(Sorted, FDocument ? &FDocument->LinkRuns : nullptr);
}

int TSection::ByteKind(int Pos) const {
  if (FRare && static_cast<size_t>(Pos) < FRare->ByteKinds.size()) return FRare->ByteKinds[Pos];
  int Index;
  const TFontObj* Run = FFontRuns.RunAt(Pos, Index);
  if (!Run) return 0;
  const auto& Lead = Run->FFont->FLeadByteSet;
  if (Run->FFont->Charset == UTF8_CHARSET) {
    // UTF-8 tells a byte's kind from the byte alone.
    const auto B = static_cast<unsigned char>(FText[Pos]);
    return IsUtf8Continuation(B) ? 2 : Lead[B] ? 1 : 0;
  }
  int Count = 0;
  for (int I = Pos - 1; I >= Run->FPos && Lead[static_cast<unsigned char>(FText[I])]; --I) ++Count;
  if (Count % 2 == 1) return 2;
  return Lead[static_cast<unsigned char>(FText[Pos])] ? 1 : 0;
}

void TSection::TakeByteKinds() {
  const auto* T = reinterpret_cast<const unsigned char*>(FText.data());
  const int L = Len();
  // Stretches of lead bytes as long as this are cheap to walk back over, and real text
  // has no longer ones: only other text pays for a table.
  constexpr int ShortStretch = 64;
  bool Long = false;
  for (int I = 0; I < FFontRuns.Count() && !Long; ++I) {
    if (FFontRuns[I]->FFont->Charset == UTF8_CHARSET) continue;  // kinds by the byte alone
    const auto& Lead = FFontRuns[I]->FFont->FLeadByteSet;
    const int End = I + 1 < FFontRuns.Count() ? std::min(FFontRuns[I + 1]->FPos, L) : L;
    int Stretch = 0;
    for (int P = std::max(FFontRuns[I]->FPos, 0); P < End && !Long; ++P) {
      Stretch = Lead[T[P]] ? Stretch + 1 : 0;
      Long = Stretch > ShortStretch;
    }
  }
  if (!Long) return;
  std::vector<uint8_t>& Kinds = Rare().ByteKinds;
  // UTF-8 runs keep the kinds they have: a spelled letter's marks among them.
  std::vector<uint8_t> Had = std::move(Kinds);
  Kinds.assign(FText.size(), 0);
  for (int I = 0; I < FFontRuns.Count(); ++I) {
    const auto& Lead = FFontRuns[I]->FFont->FLeadByteSet;
    const int End = I + 1 < FFontRuns.Count() ? std::min(FFontRuns[I + 1]->FPos, L) : L;
    if (FFontRuns[I]->FFont->Charset == UTF8_CHARSET) {
      for (int P = std::max(FFontRuns[I]->FPos, 0); P < End; ++P)
        Kinds[P] = size_t(P) < Had.size() ? Had[P]
                   : IsUtf8Continuation(T[P]) ? 2
                   : Lead[T[P]]               ? 1
                                              : 0;
      continue;
    }
    // A byte after a lead byte is its trail; every run starts afresh.
    uint8_t Kind = 0;
    for (int P = std::max(FFontRuns[I]->FPos, 0); P < End; ++P) {
      Kind = Kind == 1 ? 2 : Lead[T[P]] ? 1 : 0;
      Kinds[P] = Kind;
    }
  }
}

void TSection::CompleteText() {
  if (!FSourceOpen) return;
  // Each scan gathers the positions to remove and removes them in one pass: one by one,
  // a long text would be moved once per removal.
  std::vector<int> Removed;
  if (!FText.empty() && FText[0] == ' ') {
    for (int I = 0; I < Len() && FText[I] == ' '; ++I) Removed.push_back(I);
    RemoveChars(Removed);
  }

  // Collapse spaces pairwise: of two spaces the breakable one stays; beside a non-breaking
  // space a space goes, so that the gap the author fixed keeps its width.
  const bool AnyNbsp = FText.find(ccNbsp) != std::string::npos;
  if (ByteScan::HasPair(FText, ' ', ' ') ||
      (AnyNbsp && (ByteScan::HasPair(FText, ' ', ccNbsp) || ByteScan::HasPair(FText, ccNbsp, ' ')))) {
    std::string Text, Flags;
    TSmallVector<IndexObj> Sources;
    Removed.clear();  // original positions, increasing once sorted
    const int L = Len();
    const bool HasFlags = !BreakFlagsText().empty();
    Text.reserve(L);
    int SurvivorOrig = -1;  // original index of the last kept character
    // A spelled letter's marks move down with it.
    static const std::vector<uint8_t> NoKinds;
    const std::vector<uint8_t>& HadKinds = FRare ? FRare->ByteKinds : NoKinds;
    std::vector<uint8_t> Kinds;
    TSourceCursor Cursor(FSourceMap);
    for (int I = 0; I < L; ++I) {
      const char C = FText[I];
      const int Source = Cursor.At(I);
      const char Kept = Text.empty() ? 0 : Text.back();
      if ((C == ' ' && (Kept == ' ' || Kept == ccNbsp)) || (C == ccNbsp && Kept == ' ')) {
        if (C == ccNbsp || (Kept == ' ' && HasFlags && Flags.back() == 'n')) {
          Removed.push_back(SurvivorOrig);
          Text.back() = C;
          if (HasFlags) Flags.back() = BreakFlagsText()[I];
          SetLastSource(Sources, int(Text.size()) - 1, Source);
          SurvivorOrig = I;
        } else {
          Removed.push_back(I);
        }
        continue;
      }
      Text.push_back(FText[I]);
      if (HasFlags) Flags.push_back(BreakFlagsText()[I]);
      if (size_t(I) < HadKinds.size()) Kinds.push_back(HadKinds[size_t(I)]);
      AppendSource(Sources, int(Text.size()) - 1, Source);
      SurvivorOrig = I;
    }
    std::sort(Removed.begin(), Removed.end());
    if (!Removed.empty()) {
      MoveDown(Removed);
      FText = std::move(Text);
      if (HasFlags) Rare().BreakFlags = std::move(Flags);
      if (!HadKinds.empty()) FRare->ByteKinds = std::move(Kinds);
      FSourceMap = std::move(Sources);
    }
  }

  // Most text has none of the codes the scans below look for: a fast pass for each tells.
  auto Has = [this](char C) { return FText.find(C) != std::string::npos; };
  // Collapsing keeps every non-breaking space (one takes the place of a space beside it).
  const bool HasImage = Has(ccImage), HasSoftHyphen = Has(ccSoftHyphen), HasBreak = Has(ccBreak),
             HasNbsp = AnyNbsp;
  if (HasImage) {
    Removed.clear();
    for (int I = 1; I < Len(); ++I)
      if (FText[I] == ' ' && FText[I - 1] == ccImage) {
        const TObjEntry* E = ObjectAt(I - 1);
        if (E && E->Obj->Floating()) Removed.push_back(I);
      }
    RemoveChars(Removed);
  }
  if (!FMayHaveDBCS && HasSoftHyphen) {
    Removed.clear();
    for (int I = 0; I < Len(); ++I)
      if (FText[I] == ccSoftHyphen) Removed.push_back(I);
    RemoveChars(Removed);
  }
  if (HasBreak && Len() > 1) {
    // Every space before a break goes, and then the space after one.
    Removed.clear();
    char After = FText.back();
    for (int I = Len() - 2; I >= 0; --I) {
      if (FText[I] == ' ' && After == ccBreak) Removed.push_back(I);
      else After = FText[I];
    }
    std::reverse(Removed.begin(), Removed.end());
    RemoveChars(Removed);
    Removed.clear();
    for (int I = 1; I < Len(); ++I)
      if (FText[I] == ' ' && FText[I - 1] == ccBreak) Removed.push_back(I);
    RemoveChars(Removed);
  }
  if (HasNbsp) {
    MaterializeBreakFlags();
    for (int I = 0; I < Len(); ++I)
      if (FText[I] == ccNbsp) {
        FText[I] = ' ';
        Rare().BreakFlags[I] = 'n';
      }
  }

  if (!BreakFlagsText().empty()) Rare().BreakFlags.push_back('y');
  CompactBreakFlags();
  // The text is final: a document keeps many sections, so none keeps spare capacity.
  FText.shrink_to_fit();
  if (FRare) {
    FRare->BreakFlags.shrink_to_fit();
    FRare->Objects.shrink_to_fit();
    ReleaseRare();
  }
  CheckBreakFlags(1);
  CloseText();
  if (FirstLineStyled()) TakeFirstLineText();
  if (Len() > 0 && FDocument) FSectionNumber = ++FDocument->NumberedSections;
}

int TSection::DocToSourcePos(int DocPos) {
  const int L = Len();
  if (L == 0 || FSourceMap.empty() || DocPos >= FStartPos + L || DocPos < FStartPos) return -1;
  const int Rel = DocPos - FStartPos;
  auto It = std::upper_bound(FSourceMap.begin(), FSourceMap.end(), Rel,
                             [](int R, const IndexObj& E) { return R < E.DocOffset; });
  const IndexObj& E = *(It - 1);
  return E.SourceOffset + Rel - E.DocOffset;
}

int TSection::SourceToDocPos(int SourcePos, bool Prev) {
  const int L = Len();
  if (L == 0 || FSourceMap.empty()) return -1;
  const IndexObj& LastEntry = FSourceMap.back();
  const int LastSource = LastEntry.SourceOffset + (L - 1 - LastEntry.DocOffset);
  if (Prev) {
    if (SourcePos < FSourceMap.front().SourceOffset) return -1;
    if (SourcePos > LastSource) return FStartPos + L - 1;
  } else {
    if (SourcePos > LastSource) return -1;
    if (SourcePos <= FSourceMap.front().SourceOffset) return FStartPos;
  }
  auto It = std::upper_bound(FSourceMap.begin(), FSourceMap.end(), SourcePos,
                             [](int S, const IndexObj& E) { return S < E.SourceOffset; });
  const IndexObj& E = *(It - 1);
  const int Cand = E.DocOffset + SourcePos - E.SourceOffset;
  if (It == FSourceMap.end()) return FStartPos + Cand;
  if (Cand < It->DocOffset) return FStartPos + Cand;
  return Prev ? FStartPos + It->DocOffset - 1 : FStartPos + It->DocOffset;
}

bool TSection::CharAtPosition(int Pos, char& Ch, TObject*& Obj) {
  if (Pos < FStartPos || Pos >= FStartPos + Len()) return false;
  Ch = FText[Pos - FStartPos];
  Obj = this;
  return true;
}

int TSection::FindText(std::string_view ToFind, int From, bool MatchCase) {
  const int L = Len();
  if (L == 0 || ToFind.empty() || From >= FStartPos + L) return -1;
  const size_t Start = static_cast<size_t>(std::max(From - FStartPos, 0));
  if (MatchCase) {
    const size_t P = FText.find(ToFind, Start);
    return P == std::string::npos ? -1 : FStartPos + static_cast<int>(P);
  }
  if (FHasUtf8) return FindUtf8Text(ToFind, Start);
  const uint8_t Charset = FFontRuns.Count() > 0 ? FFontRuns[0]->FFont->Charset : uint8_t(0);
  const TLetterCase& Case = LetterCaseOf(CharsetToCodePage(Charset));
  auto Lower = [&](char C) { return Case.Lower[static_cast<unsigned char>(C)]; };
  const char Lo = static_cast<char>(Lower(ToFind[0]));
  const char Up = static_cast<char>(Case.Upper[static_cast<unsigned char>(ToFind[0])]);
  const size_t N = std::min<size_t>(ToFind.size(), 255);
  for (size_t I = Start; I + N <= FText.size(); ++I) {
    const char C = FText[I];
    if (C != Lo && C != Up) continue;
    size_t K = 1;
    while (K < N && Lower(FText[I + K]) == Lower(ToFind[K])) ++K;
    if (K == N) return FStartPos + static_cast<int>(I);
  }
  return -1;
}

void TSection::CopySelection() {
  if (!FDocument || !FDocument->SelectionBuffer || FLines.empty()) return;
  SelTextCount* Buffer = FDocument->SelectionBuffer;
  const int SS = FDocument->SelStart - FStartPos, SE = FDocument->SelEnd - FStartPos;
  if (SE <= SS) return;
  for (const LineRec& Line : FLines) {
    if (Line.CharCount == 0) continue;
    const int LStart = Line.TextStart, LEnd = Line.TextStart + Line.CharCount;
    if (LEnd <= SS || LStart >= SE) continue;
    if (SS <= LStart)
      for (int I = 0; I < Line.Indent / 35; ++I) Buffer->AddText("   ");
    const int From = std::max(SS, LStart), To = std::min(SE, LEnd);
    const std::string Text = SelectedUtf8(From, To);
    if (SE > LEnd || (SE == LEnd && !FDocument->SelIsWord))
      Buffer->AddTextCR(Text.data(), int(Text.size()));
    else
      Buffer->AddText(Text.data(), int(Text.size()));
  }
}

std::string TSection::SelectedUtf8(int From, int To) const {
  const auto Beyond = [](char C) { return static_cast<unsigned char>(C) >= 0x80; };
  if (std::none_of(FText.begin() + From, FText.begin() + To, Beyond))
    return FText.substr(size_t(From), size_t(To - From));
  // Each run in the code page of its font.
  std::string Out;
  int Index;
  FFontRuns.RunAt(From, Index);
  for (int P = From; P < To; ++Index) {
    const int RunEnd = Index + 1 < FFontRuns.Count() ? std::min(FFontRuns[Index + 1]->FPos, To) : To;
    const std::string_view Piece(FText.data() + P, size_t(std::max(RunEnd - P, 0)));
    const int CodePage = Index >= 0 && Index < FFontRuns.Count()
                             ? CharsetToCodePage(FFontRuns[Index]->FFont->Charset)
                             : 1252;
    Out += ToUtf8(CodePage, Piece);
    P = std::max(RunEnd, P + 1);
  }
  return Out;
}

std::unique_ptr<TSectionBase> TSection::CreateClone(TSectionList* ADocument) const {
  auto Clone = std::make_unique<TSection>(ADocument, nullptr);
  Clone->FFontRuns = TFontList();
  for (int I = 0; I < FFontRuns.Count(); ++I)
    Clone->FFontRuns.Add(std::make_unique<TFontObj>(Clone.get(), *FFontRuns[I]));
  Clone->FText = FText;
  if (!BreakFlagsText().empty()) Clone->Rare().BreakFlags = BreakFlagsText();
  if (FRare && !FRare->ByteKinds.empty()) Clone->Rare().ByteKinds = FRare->ByteKinds;
  if (FRare && !FRare->Boxes.empty()) {
    Clone->Rare().Boxes = FRare->Boxes;
    Clone->Rare().Edges = FRare->Edges;
  }
  Clone->FSourceOpen = false;
  Clone->FAlign = FAlign;
  Clone->FClear = FClear;
  Clone->FLineHeight = FLineHeight;
  Clone->FLineHeightSet = FLineHeightSet;
  Clone->FMayHaveDBCS = FMayHaveDBCS;
  Clone->FHasUtf8 = FHasUtf8;
  Clone->FFirstIndent = FFirstIndent;
  Clone->FFirstIndentPct = FFirstIndentPct;
  Clone->FSectionNumber = FSectionNumber;
  Clone->FFlowHeight = FFlowHeight;
  Clone->FIsParagraph = FIsParagraph;
  Clone->FParaTop = FParaTop;
  Clone->FParaBottom = FParaBottom;
  Clone->FParaBottomDefault = FParaBottomDefault;
  Clone->FKeepsFontRoom = FKeepsFontRoom;
  if (FirstLineStyled()) {
    Clone->Rare().FirstLineStyled = true;
    Clone->Rare().FirstLineText = FRare->FirstLineText;
    Clone->Rare().OwnLineText = FRare->OwnLineText;
  }
  // Controls are shared with their form; owned objects (images) are copied.
  for (const TObjEntry& E : Objects()) {
    TObjEntry C;
    C.Pos = E.Pos;
    C.IsControl = E.IsControl;
    if (E.IsControl) {
      C.Obj = E.Obj;
    } else {
      C.Owned = E.Obj->Clone(ADocument);
      if (!C.Owned) continue;
      C.Obj = C.Owned.get();
    }
    Clone->Rare().Objects.push_back(std::move(C));
  }
  return Clone;
}
