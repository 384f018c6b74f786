#include "document/core/cells.h"

#include <algorithm>

#include "document/core/indent_manager.h"
#include "document/core/process_error.h"
#include "document/core/section_list.h"
#include "document/core/url_target.h"

TCellBasic::TCellBasic(TSectionList* ADocument) : FDocument(ADocument) {}

TCellBasic::TCellBasic(TSectionList* ADocument, const TCellBasic& Source)
    : FDocument(ADocument), FOwnerElement(Source.FOwnerElement) {
  for (const auto& section : Source) Add(section->CreateClone(ADocument));
}

TCellBasic::~TCellBasic() = default;

void TCellBasic::Add(std::unique_ptr<TSectionBase> Section) {
  if (!Section) return;
  if (!Section->PrepareToAdd()) return;  // freed here
  Section->FDocument = FDocument;
  TFreeList<TSectionBase>::Add(std::move(Section));
  InvalidatePaintIndex();
}

TSectionBase* TCellBasic::Insert(int Index, std::unique_ptr<TSectionBase> Section) {
  ForgetBlockScan();
  return TFreeList<TSectionBase>::Insert(Index, std::move(Section));
}

void TCellBasic::Delete(int Index) {
  ForgetBlockScan();
  TFreeList<TSectionBase>::Delete(Index);
}

std::unique_ptr<TSectionBase> TCellBasic::Extract(int Index) {
  ForgetBlockScan();
  return TFreeList<TSectionBase>::Extract(Index);
}

void TCellBasic::Clear() {
  ForgetBlockScan();
  TFreeList<TSectionBase>::Clear();
}

bool TCellBasic::DropLastBottomMargin() {
  const int n = Count();
  if (FNoBlockTo > n) ForgetBlockScan();
  // Only the sections added since the last call are new; the known run before them is
  // skipped, so the calls over a cell's life look at each section about once.
  TMarginDrop Found = TMarginDrop::NotABlock;
  int i = n - 1;
  while (i >= 0) {
    if (i == FNoBlockTo - 1 && FNoBlockFrom < FNoBlockTo) {
      i = FNoBlockFrom - 1;
      continue;
    }
    Found = Items(i)->DropBottomMargin();
    if (Found != TMarginDrop::NotABlock) break;
    --i;
  }
  FNoBlockFrom = i + 1;
  FNoBlockTo = n;
  return Found == TMarginDrop::Dropped;
}

namespace {

// Content stops growing at this depth of the page, however tall its boxes say they are.
constexpr int MaxPageY = 1 << 30;

// The height of a cell's sections so far (H, from Y) with one more of height h.
int StackedHeight(int Y, int H, int h) {
  const int64_t Sum = int64_t(H) + h;
  return int(std::max<int64_t>(std::min<int64_t>(Sum, int64_t(MaxPageY) - Y), -MaxPageY));
}

}  // namespace

bool TCellBasic::LayoutSection(int& Index, TCanvas* Canvas, int X, int Y, int XRef, int YRef,
                               int Width, int AHeight, int& W, int& Curs, int& H) {
  try {
    H = Items(Index)->Layout(Canvas, X, Y, XRef, YRef, Width, AHeight, FFloats, W, Curs);
    return true;
  } catch (const EProcessError& e) {
    ShowErrorBox(e.Message);
    Delete(Index);
    InvalidatePaintIndex();
    return false;
  }
}

int TCellBasic::LayoutCell(TCanvas* Canvas, int Y, int Width, int AHeight, int& ScrollWidth,
                           int& Curs) {
  FCellTop = Y;
  FStartPos = Curs;
  int H = 0;
  ScrollWidth = 0;
  BeginPaintIndex();
  int i = 0;
  while (i < Count()) {
    int w = 0, h = 0;
    if (!LayoutSection(i, Canvas, 0, Y + H, 0, 0, Width, AHeight, w, Curs, h))
      continue;  // the next section now has this index
    NotePaintBounds(Items(i));
    H = StackedHeight(Y, H, h);
    ScrollWidth = std::max(ScrollWidth, w);
    ++i;
  }
  FPosCount = Curs - FStartPos;
  EndPaintIndex();
  return H;
}

void TCellBasic::BeginPaintIndex() {
  FPaintIndexValid = false;
  FIndexingLayout = Count() > IndexedCellSize;
  if (!FIndexingLayout) return;
  if (!FPaintIndex) FPaintIndex = std::make_unique<TPaintIndex>();
  TPaintIndex& index = *FPaintIndex;
  index.MaxBottomUpTo.clear();
  index.MinTopFrom.clear();
  index.MaxBottomUpTo.reserve(size_t(Count()));
  index.MinTopFrom.reserve(size_t(Count()));
}

void TCellBasic::NotePaintBounds(const TSectionBase* Section) {
  if (!FIndexingLayout) return;
  TPaintIndex& index = *FPaintIndex;
  const int bottom = index.MaxBottomUpTo.empty()
                         ? Section->FPaintBottom
                         : std::max(index.MaxBottomUpTo.back(), Section->FPaintBottom);
  if (index.MaxBottomUpTo.empty()) index.First = Section;
  index.Last = Section;
  index.MaxBottomUpTo.push_back(bottom);
  index.MinTopFrom.push_back(Section->FPaintTop);  // made running from the back at the end
}

void TCellBasic::EndPaintIndex() {
  if (!FIndexingLayout) return;
  FIndexingLayout = false;
  std::vector<int>& tops = FPaintIndex->MinTopFrom;
  if (tops.size() != size_t(Count())) return;  // indexed at first use
  for (size_t i = tops.size(); i-- > 1;) tops[i - 1] = std::min(tops[i - 1], tops[i]);
  FPaintIndexValid = true;
}

void TCellBasic::IndexPaintBounds() const {
  const size_t n = size_t(Count());
  if (!FPaintIndex) FPaintIndex = std::make_unique<TPaintIndex>();
  TPaintIndex& index = *FPaintIndex;
  index.MaxBottomUpTo.resize(n);
  index.MinTopFrom.resize(n);
  index.First = n > 0 ? Items(0) : nullptr;
  index.Last = n > 0 ? Items(int(n) - 1) : nullptr;
  int maxBottom = 0;
  for (size_t i = 0; i < n; ++i) {
    const TSectionBase* s = Items(int(i));
    maxBottom = i == 0 ? s->FPaintBottom : std::max(maxBottom, s->FPaintBottom);
    index.MaxBottomUpTo[i] = maxBottom;
  }
  int minTop = 0;
  for (size_t i = n; i-- > 0;) {
    const TSectionBase* s = Items(int(i));
    minTop = i == n - 1 ? s->FPaintTop : std::min(minTop, s->FPaintTop);
    index.MinTopFrom[i] = minTop;
  }
  FPaintIndexValid = true;
}

void TCellBasic::SectionsMeeting(int Top, int Bottom, int& First, int& Last) const {
  const int n = Count();
  if (n <= IndexedCellSize) {
    // The same bounds as the index gives, by a scan.
    FPaintIndex.reset();
    First = n;
    int maxBottom = 0;
    for (int i = 0; i < n; ++i) {
      const int bottom = Items(i)->FPaintBottom;
      maxBottom = i == 0 ? bottom : std::max(maxBottom, bottom);
      if (maxBottom > Top) {
        First = i;
        break;
      }
    }
    Last = n;
    int minTop = 0;
    for (int i = n - 1; i >= 0; --i) {
      const int top = Items(i)->FPaintTop;
      minTop = i == n - 1 ? top : std::min(minTop, top);
      if (minTop < Bottom) break;
      Last = i;
    }
    if (Last < First) Last = First;
    return;
  }
  // Cheap check that the list was not edited since the index was built.
  bool valid = FPaintIndexValid && FPaintIndex && FPaintIndex->MaxBottomUpTo.size() == size_t(n);
  if (valid) valid = FPaintIndex->First == Items(0) && FPaintIndex->Last == Items(n - 1);
  if (!valid) IndexPaintBounds();
  const TPaintIndex& index = *FPaintIndex;
  // Both running bounds are monotonic, so binary searches find the candidate range:
  // before First every section ends at or above Top, from Last on every one starts at or
  // below Bottom.
  First = int(std::upper_bound(index.MaxBottomUpTo.begin(), index.MaxBottomUpTo.end(), Top) -
              index.MaxBottomUpTo.begin());
  Last = int(std::lower_bound(index.MinTopFrom.begin(), index.MinTopFrom.end(), Bottom) -
             index.MinTopFrom.begin());
  if (Last < First) Last = First;
}

// The widest narrowest and widest widths of a cell's sections, each measured by Measure.
template <typename Cell>
void WidestOfSections(Cell& C, void (TSectionBase::*Measure)(TCanvas*, int&, int&),
                      TCanvas* Canvas, int& Min, int& Max) {
  Min = 0;
  Max = 0;
  for (const auto& section : C) {
    int mn = 0, mx = 0;
    ((*section).*Measure)(Canvas, mn, mx);
    Min = std::max(Min, mn);
    Max = std::max(Max, mx);
  }
}

void TCellBasic::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
  WidestOfSections(*this, &TSectionBase::MeasureWidths, Canvas, Min, Max);
}

void TCellBasic::MeasureFitWidths(TCanvas* Canvas, int& Min, int& Max) {
  WidestOfSections(*this, &TSectionBase::MeasureFitWidths, Canvas, Min, Max);
}

int TCellBasic::Draw(TCanvas* Canvas, TPaintContext& Context, int, int X, int Y, int XRef,
                     int YRef) {
  const int n = Count();
  if (n == 0) return Y;
  const int scrollY = Context.ScrollY;
  int first = 0, last = n;
  SectionsMeeting(Context.Band.Top + scrollY, Context.Band.Bottom + scrollY, first, last);
  int result = 0;
  bool stacked = false;
  for (int i = first; i < last && !stacked; ++i) stacked = Items(i)->FStackLevel != 0;
  if (stacked) {
    result = DrawStacked(Canvas, Context, X, XRef, YRef, first, last);
  } else {
    for (int i = first; i < last; ++i)
      result = Items(i)->Draw(Canvas, Context, FFloats, X, XRef, YRef);
  }
  // The result is the last section's; when the band skipped it, it lies outside the band
  // and only answers its next Y.
  if (last < n || first == last)
    result = Items(n - 1)->Draw(Canvas, Context, FFloats, X, XRef, YRef);
  return result;
}

int TCellBasic::DrawStacked(TCanvas* Canvas, TPaintContext& Context, int X, int XRef, int YRef,
                            int First, int Last) {
  // Lower levels first and the flow at level 0; equal levels keep the document's order.
  std::vector<TSectionBase*> order;
  order.reserve(size_t(Last - First));
  for (int i = First; i < Last; ++i) order.push_back(Items(i));
  std::stable_sort(order.begin(), order.end(), [](const TSectionBase* A, const TSectionBase* B) {
    return A->FStackLevel < B->FStackLevel;
  });
  const TSectionBase* lastInFlow = Items(Last - 1);
  int result = 0;
  for (TSectionBase* s : order) {
    const int r = s->Draw(Canvas, Context, FFloats, X, XRef, YRef);
    if (s == lastInFlow) result = r;
  }
  return result;
}

unsigned TCellBasic::HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                                 TDocControl*& FormControl, std::string& Title) {
  UrlTarget.reset();
  FormControl = nullptr;
  int first = 0, last = 0;
  SectionsMeeting(Y, Y + 1, first, last);
  for (int i = first; i < last; ++i) {
    TSectionBase* s = Items(i);
    if (s->FPaintTop <= Y && Y < s->FPaintBottom) {
      const unsigned result = s->HitTestLink(Canvas, X, Y, UrlTarget, FormControl, Title);
      if (result != 0) return result;
    }
  }
  return 0;
}

bool TCellBasic::HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY) {
  Obj = nullptr;
  int first = 0, last = 0;
  SectionsMeeting(Y, Y + 1, first, last);
  for (int i = first; i < last; ++i) {
    TSectionBase* s = Items(i);
    if (s->FPaintTop <= Y && Y < s->FPaintBottom && s->HitTestObject(X, Y, Obj, IX, IY))
      return true;
  }
  return false;
}

int TCellBasic::PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                                bool& InText) {
  int first = 0, last = 0;
  SectionsMeeting(Y, Y + 1, first, last);
  for (int i = first; i < last; ++i) {
    TSectionBase* s = Items(i);
    if (s->FPaintTop <= Y && Y < s->FPaintBottom) {
      const int pos = s->PositionAtPoint(Canvas, X, Y, XR, YR, CaretHt, InText);
      if (pos >= 0) return pos;
    }
  }
  return -1;
}

int TCellBasic::FindText(std::string_view ToFind, int From, bool MatchCase) {
  for (const auto& s : *this) {
    const int pos = s->FindText(ToFind, From, MatchCase);
    if (pos >= 0) return pos;
  }
  return -1;
}

int TCellBasic::DocToSourcePos(int DocPos) {
  for (const auto& s : *this) {
    const int pos = s->DocToSourcePos(DocPos);
    if (pos >= 0) return pos;
  }
  return -1;
}

int TCellBasic::SourceToDocPos(int SourcePos, bool Prev) {
  if (Prev) {
    for (int i = Count() - 1; i >= 0; --i) {
      const int pos = Items(i)->SourceToDocPos(SourcePos, true);
      if (pos >= 0) return pos;
    }
    return -1;
  }
  for (const auto& s : *this) {
    const int pos = s->SourceToDocPos(SourcePos, false);
    if (pos >= 0) return pos;
  }
  return -1;
}

bool TCellBasic::PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y) {
  for (const auto& s : *this)
    if (s->PositionToPoint(Canvas, Pos, X, Y)) return true;
  return false;
}

bool TCellBasic::CharAtPosition(int Pos, char& Ch, TObject*& Obj) {
  if (Pos < FStartPos || Pos > FStartPos + FPosCount) return false;
  for (const auto& s : *this)
    if (s->CharAtPosition(Pos, Ch, Obj)) return true;
  return false;
}

void TCellBasic::CopySelection() {
  if (!FDocument || FDocument->SelStart >= FDocument->SelEnd) return;
  for (const auto& s : *this) {
    if (s->FStartPos >= FDocument->SelEnd) break;
    if (s->FStartPos + s->FPosCount > FDocument->SelStart) s->CopySelection();
  }
}

void TCellBasic::RegisterPositions() {
  for (const auto& s : *this) s->RegisterPositions();
}

TCell::TCell(TSectionList* ADocument) : TCellBasic(ADocument) {}

TCell::TCell(TSectionList* ADocument, const TCell& Source) : TCellBasic(ADocument, Source) {}

TCell::~TCell() = default;

void TCell::KeepFloats() {
  if (!FOwnFloats) FOwnFloats = std::make_unique<IndentManager>();
  FFloats = FOwnFloats.get();
}

bool TCell::NeedsFloatsAfterLayout() const {
  for (const auto& s : *this)
    if (!s->NeedsFloatsOnlyInLayout()) return true;
  return false;
}

int TCell::LayoutCell(TCanvas* Canvas, int Y, int Width, int AHeight, int& ScrollWidth, int& Curs) {
  if (FOwnFloats || NeedsFloatsAfterLayout()) {
    KeepFloats();
    return LayoutWithFloats(Canvas, Y, Width, AHeight, ScrollWidth, Curs);
  }
  // Plain text reads the edges only while its lines are fitted. They are the cell's own,
  // which the edges of the scratch bookkeeping give without a record: a table of a million
  // cells pushes and pops none.
  IndentManager Scratch;
  Scratch.SetEdges(0, Width);
  Scratch.FWidth = Width;
  Scratch.FCurrentBlock = this;
  FFloats = &Scratch;
  struct TForget {
    IndentManager*& Floats;
    ~TForget() { Floats = nullptr; }
  } forget{FFloats};
  const int h = TCellBasic::LayoutCell(Canvas, Y, Width, AHeight, ScrollWidth, Curs);
  return std::max(h, Scratch.FloatBottom() - FCellTop);
}

int TCell::LayoutWithFloats(TCanvas* Canvas, int Y, int Width, int AHeight, int& ScrollWidth,
                            int& Curs) {
  FFloats->Reset();
  FFloats->SetEdges(0, Width);
  FFloats->FWidth = Width;
  const void* savedBlock = FFloats->FCurrentBlock;
  FFloats->FCurrentBlock = this;
  const int l = FFloats->PushLeft(0, Y);
  const int r = FFloats->PushRight(Width, Y);
  const int h = TCellBasic::LayoutCell(Canvas, Y, Width, AHeight, ScrollWidth, Curs);
  FFloats->PopLeft(l);
  FFloats->PopRight(r);
  const int floatBottom = FFloats->FloatBottom();
  FFloats->FCurrentBlock = savedBlock;
  return std::max(h, floatBottom - FCellTop);
}

int TCell::Draw(TCanvas* Canvas, TPaintContext& Context, int ClipWidth, int X, int Y, int XRef,
                int YRef) {
  FDrawY = Y;
  return TCellBasic::Draw(Canvas, Context, ClipWidth, X, Y, XRef, YRef);
}

int TBlockCell::DoLayout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int Width, int AHeight,
                         int& ScrollWidth, int& Curs) {
  FCellTop = Y;
  FStartPos = Curs;
  FCellBoxBottom = 0;
  FCellPaintTop = NoCellPaintTop;
  FCellPaintBottom = 0;
  int H = 0;
  ScrollWidth = 0;
  BeginPaintIndex();
  for (int i = 0; i < Count(); ++i) {
    TSectionBase* s = Items(i);
    int w = 0;
    H = StackedHeight(Y, H, s->Layout(Canvas, X, Y + H, XRef, YRef, Width, AHeight, FFloats, w, Curs));
    ScrollWidth = std::max(ScrollWidth, w);
    // Floats and absolute boxes take no room: the box holding them ends above them.
    if (!s->IsAbsolutelyPositioned() && !s->IsFloating())
      FCellBoxBottom = std::max(FCellBoxBottom, s->FBoxBottom);
    FCellPaintTop = std::min(FCellPaintTop, s->FPaintTop);
    FCellPaintBottom = std::max(FCellPaintBottom, s->FPaintBottom);
    NotePaintBounds(s);
  }
  FPosCount = Curs - FStartPos;
  FCellFlowHeight = H;
  EndPaintIndex();
  return H;
}
