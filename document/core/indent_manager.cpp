#include "document/core/indent_manager.h"

#include <algorithm>
#include <memory>

namespace {

bool Applies(const IndentRec& R, const void* CurrentBlock) {
  return R.FOwner == nullptr || R.FOwner == CurrentBlock;
}

bool Covers(const IndentRec& R, int Y) { return R.FTop <= Y && Y < R.FBottom; }

// The smallest bottom greater than Y among the ownerless records, Y when there is none.
int NextEnd(const TIndentSide& Side, int Y, long long& Read) {
  int best = Y;
  Side.ForEachNear(Y, nullptr, [&](const IndentRec& r) {
    ++Read;
    if (!r.FOwner && r.FBottom > Y && (best == Y || r.FBottom < best)) best = r.FBottom;
  });
  return best;
}

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
  FMaxBottom.clear();
}

void TIndentSide::Add(IndentRec* Rec) {
  if (Rec->FOwner) {
    FOwned.push_back(Rec);
    FOwnedBy[Rec->FOwner].push_back(Rec);
    return;
  }
  FFree.push_back(Rec);
  FMaxBottom.push_back(FMaxBottom.empty() ? Rec->FBottom : std::max(FMaxBottom.back(), Rec->FBottom));
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
      FFree.erase(FFree.begin() + std::ptrdiff_t(I));
      FMaxBottom.resize(I);
      ++FFreeRemovals;
      for (size_t J = I; J < FFree.size(); ++J)
        FMaxBottom.push_back(J == 0 ? FFree[J]->FBottom : std::max(FMaxBottom.back(), FFree[J]->FBottom));
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

size_t TIndentSide::FirstFreeBelow(int Y) const {
  return size_t(std::upper_bound(FMaxBottom.begin(), FMaxBottom.end(), Y) - FMaxBottom.begin());
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

// A block pulled out past the page's left by a negative margin keeps its content edge there,
// so that its content (a table's columns) has the width the block was given.
int IndentManagerBasic::LeftEdgeAt(int Y) const {
  bool any = false;
  int x = 0;
  FLeftSide.ForEachNear(Y, FCurrentBlock, [&](const IndentRec& r) {
    ++FRecordsRead;
    if (Applies(r, FCurrentBlock) && Covers(r, Y)) {
      x = any ? std::max(x, r.FX) : r.FX;
      any = true;
    }
  });
  return x + FLeftEdge;
}

int IndentManagerBasic::RightEdgeAt(int Y) const {
  bool any = false;
  int x = 0;
  FRightSide.ForEachNear(Y, FCurrentBlock, [&](const IndentRec& r) {
    ++FRecordsRead;
    if (Applies(r, FCurrentBlock) && Covers(r, Y)) {
      x = any ? std::min(x, r.FX) : r.FX;
      any = true;
    }
  });
  return any ? x + FLeftEdge : FRightEdge;
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
  int left = NextEnd(FLeftSide, Y, FRecordsRead);
  int right = NextEnd(FRightSide, Y, FRecordsRead);
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
