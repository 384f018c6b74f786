#include "document/core/indent_manager.h"

#include <algorithm>
#include <memory>

namespace {

bool Covers(const IndentRec& R, int Y) { return R.FTop <= Y && Y < R.FBottom; }

int LowestBottom(const TIndentSide& Side) { return Side.HasFree() ? Side.FreeBottom() + 1 : 0; }

int Push(TFreeList<IndentRec>& List, TIndentSide& Side, int X, int Y, const void* Owner) {
  auto rec = std::make_unique<IndentRec>();
  rec->FX = X;
  rec->FTop = Y;
  rec->FBottom = OpenIndentBottom;
  rec->FOwner = Owner;
  Side.Add(List.Add(std::move(rec)));
  return List.Count() - 1;
}

void AddFloat(TFreeList<IndentRec>& List, TIndentSide& Side, int X, int Top, int Bottom) {
  auto rec = std::make_unique<IndentRec>();
  rec->FX = X;
  rec->FTop = Top;
  rec->FBottom = Bottom;
  rec->FIsFloat = true;
  Side.Add(List.Add(std::move(rec)));
}

void Pop(TFreeList<IndentRec>& List, TIndentSide& Side, int Index) {
  if (Index < 0 || Index >= List.Count()) return;
  Side.Remove(List[Index]);
  List.Delete(Index);
}

}  // namespace

void TIndentSide::Clear() {
  FOwned.clear();
  FOwnedBy.clear();
  FFree.clear();
  FIndex.Clear();
  FFreeBottom = 0;
}

void TIndentSide::Add(const IndentRec* Rec) {
  if (Rec->FOwner) {
    FOwned.push_back(Rec);
    FOwnedBy[Rec->FOwner].push_back(Rec);
    return;
  }
  FFreeBottom = FFree.empty() ? Rec->FBottom : std::max(FFreeBottom, Rec->FBottom);
  FFree.push_back(Rec);
  FIndex.Add(Rec->FTop, Rec->FBottom, Rec->FX);
}

void TIndentSide::Remove(const IndentRec* Rec) {
  // Owned records go in the reverse order they came, so the search is short.
  for (size_t I = FOwned.size(); I-- > 0;)
    if (FOwned[I] == Rec) {
      FOwned.erase(FOwned.begin() + std::ptrdiff_t(I));
      auto It = FOwnedBy.find(Rec->FOwner);
      std::vector<const IndentRec*>& Own = It->second;
      Own.erase(std::find(Own.begin(), Own.end(), Rec));
      if (Own.empty()) FOwnedBy.erase(It);
      return;
    }
  for (size_t I = FFree.size(); I-- > 0;)
    if (FFree[I] == Rec) {
      // Only indents pushed outside any block go away before a reset; the index is
      // built again without the record.
      std::vector<const IndentRec*> Rest = std::move(FFree);
      Rest.erase(Rest.begin() + std::ptrdiff_t(I));
      FFree.clear();
      FIndex.Clear();
      FFreeBottom = 0;
      for (const IndentRec* R : Rest) Add(R);
      ++FFreeRemovals;
      return;
    }
}

bool TIndentSide::SameOwned(const std::vector<IndentRec>& Other) const {
  if (Other.size() != FOwned.size()) return false;
  for (size_t I = 0; I < FOwned.size(); ++I) {
    const IndentRec& A = *FOwned[I];
    const IndentRec& B = Other[I];
    if (A.FX != B.FX || A.FTop != B.FTop || A.FBottom != B.FBottom || A.FOwner != B.FOwner)
      return false;
  }
  return true;
}

void TIndentSide::CopyOwned(std::vector<IndentRec>& To) const {
  To.clear();
  for (const IndentRec* R : FOwned) {
    IndentRec C;
    C.FX = R->FX;
    C.FTop = R->FTop;
    C.FBottom = R->FBottom;
    C.FOwner = R->FOwner;
    C.FIsFloat = R->FIsFloat;
    To.push_back(C);
  }
}

int TIndentSide::FloatBottomFrom(size_t From, int Since) const {
  int Bottom = Since;
  for (size_t I = From; I < FFree.size(); ++I)
    if (FFree[I]->FIsFloat) Bottom = std::max(Bottom, FFree[I]->FBottom);
  return Bottom;
}

const std::vector<const IndentRec*>* TIndentSide::OwnedBy(const void* Owner) const {
  if (!Owner || FOwnedBy.empty()) return nullptr;
  auto It = FOwnedBy.find(Owner);
  return It == FOwnedBy.end() ? nullptr : &It->second;
}

void IndentManagerBasic::Reset() {
  FLeftList.Clear();
  FRightList.Clear();
  FLeftSide.Clear();
  FRightSide.Clear();
  FMemo.Valid = false;
  FRecordsRead = 0;
  FCurrentBlock = nullptr;
  FRefRight = NoRefRight;
}

void IndentManagerBasic::SetEdges(int Left, int Right) {
  FLeftEdge = Left;
  FRightEdge = Right;
  FCurrentBlock = nullptr;
}

namespace {

// Whether a record of Side that applies for Owner covers Y; X is then the edge they set there,
// the largest of their X (TakesMax, the left side) or the smallest.
bool SideEdgeAt(const TIndentSide& Side, const void* Owner, int Y, bool TakesMax, int& X,
                long long& Read) {
  bool any = Side.FreeEdgeAt(Y, X, Read);
  Side.ForEachOwned(Owner, [&](const IndentRec& r) {
    ++Read;
    if (Covers(r, Y)) {
      X = !any ? r.FX : TakesMax ? std::max(X, r.FX) : std::min(X, r.FX);
      any = true;
    }
  });
  return any;
}

}  // namespace

// A block pulled out past the page's left by a negative margin keeps its content edge there,
// so that its content (a table's columns) has the width the block was given.
int IndentManagerBasic::LeftEdgeAt(int Y) const {
  int x = 0;
  SideEdgeAt(FLeftSide, FCurrentBlock, Y, true, x, FRecordsRead);
  return x + FLeftEdge;
}

int IndentManagerBasic::RightEdgeAt(int Y) const {
  int x = 0;
  return SideEdgeAt(FRightSide, FCurrentBlock, Y, false, x, FRecordsRead) ? x + FLeftEdge
                                                                           : FRightEdge;
}

int IndentManagerBasic::FloatBottom() const {
  int bottom = 0;
  for (const TIndentSide* side : {&FLeftSide, &FRightSide})
    if (side->HasFree()) bottom = std::max(bottom, side->FreeBottom());
  return bottom;
}

int IndentManagerBasic::FloatBottomSince(const TFloatMark& Mark, int Since) const {
  return std::max(FLeftSide.FloatBottomFrom(Mark.Left, Since),
                  FRightSide.FloatBottomFrom(Mark.Right, Since));
}

void IndentManagerBasic::ClearLevels(int& CL, int& CR) const {
  CL = LowestBottom(FLeftSide);
  CR = LowestBottom(FRightSide);
}

int IndentManagerBasic::NextFloatEnd(int Y) const {
  const int left = FLeftSide.NextFreeEnd(Y, FRecordsRead);
  const int right = FRightSide.NextFreeEnd(Y, FRecordsRead);
  if (left == Y) return right;
  if (right == Y) return left;
  return std::min(left, right);
}

bool IndentManagerBasic::FloatEndsBelow(int Y) const {
  for (const TIndentSide* side : {&FLeftSide, &FRightSide})
    if (side->HasFree() && side->FreeBottom() > Y) return true;
  return false;
}

int IndentManagerBasic::FloatTop(int Y, int X, int Total) {
  TPlacementMemo& M = FMemo;
  const bool memoHolds = M.Valid && M.Y == Y && M.X == X && Total >= M.Total &&
                         M.LeftEdge == FLeftEdge && M.RightEdge == FRightEdge &&
                         M.Block == FCurrentBlock &&
                         // Indents end at OpenIndentBottom, which widens the room there.
                         (M.T < OpenIndentBottom || Y >= OpenIndentBottom) &&
                         M.LeftRemovals == FLeftSide.FreeRemovals() &&
                         M.RightRemovals == FRightSide.FreeRemovals() &&
                         FLeftSide.SameOwned(M.LeftOwned) && FRightSide.SameOwned(M.RightOwned);
  int T = memoHolds ? M.T : Y;
  FPlacementSteps = 1;
  while (RightEdgeAt(T) - std::max(X, LeftEdgeAt(T)) < Total) {
    const int next = NextFloatEnd(T);
    if (next <= T) break;
    T = next;
    ++FPlacementSteps;
  }
  M.Valid = true;
  M.Y = Y;
  M.X = X;
  M.Total = Total;
  M.T = T;
  M.LeftEdge = FLeftEdge;
  M.RightEdge = FRightEdge;
  M.Block = FCurrentBlock;
  M.LeftRemovals = FLeftSide.FreeRemovals();
  M.RightRemovals = FRightSide.FreeRemovals();
  FLeftSide.CopyOwned(M.LeftOwned);
  FRightSide.CopyOwned(M.RightOwned);
  return T;
}

int IndentManagerBasic::PushLeft(int X, int Y) {
  return Push(FLeftList, FLeftSide, X, Y, FCurrentBlock);
}

int IndentManagerBasic::PushRight(int X, int Y) {
  return Push(FRightList, FRightSide, X, Y, FCurrentBlock);
}

void IndentManagerBasic::PopLeft(int Index) { Pop(FLeftList, FLeftSide, Index); }

void IndentManagerBasic::PopRight(int Index) { Pop(FRightList, FRightSide, Index); }

// Right records hold X relative to FLeftEdge like every record, so the edges found by
// RightEdgeAt stay right when the manager is later shifted for drawing.
void IndentManager::AddBlockFloat(int Y, int XOrWidth, TFloatSide Side, int Height) {
  if (Side == TFloatSide::Left)
    AddFloat(FLeftList, FLeftSide, XOrWidth - FLeftEdge, Y, Y + Height);
  else if (Side == TFloatSide::Right)
    AddFloat(FRightList, FRightSide, RightEdgeAt(Y) - XOrWidth - FLeftEdge, Y, Y + Height);
}

bool IndentManager::AddImageFloat(int Y, const TFloatImageBox& Image, int& Indent) {
  const int occupied = Image.Width + Image.HSpaceL + Image.HSpaceR;
  const int bottom = Y + Image.Height + Image.VSpaceT + Image.VSpaceB;
  if (Image.Side == TFloatSide::Left) {
    const int e = LeftEdgeAt(Y);
    Indent = e + Image.HSpaceL - FLeftEdge;
    AddFloat(FLeftList, FLeftSide, e + occupied - FLeftEdge, Y, bottom);
    return true;
  }
  if (Image.Side == TFloatSide::Right) {
    const int e = RightEdgeAt(Y);
    AddFloat(FRightList, FRightSide, e - occupied - FLeftEdge, Y, bottom);
    Indent = e + Image.HSpaceL - occupied;
    return true;
  }
  return false;
}
