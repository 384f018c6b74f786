#include "document/core/indent_manager.h"

#include <algorithm>
#include <memory>

namespace {

bool Applies(const IndentRec& R, const void* CurrentBlock) {
  return R.FOwner == nullptr || R.FOwner == CurrentBlock;
}

bool Covers(const IndentRec& R, int Y) { return R.FTop <= Y && Y < R.FBottom; }

// The smallest bottom greater than Y among the ownerless records, Y when there is none.
int NextEnd(const TFreeList<IndentRec>& List, int Y) {
  int best = Y;
  for (const auto& r : List)
    if (!r->FOwner && r->FBottom > Y && (best == Y || r->FBottom < best)) best = r->FBottom;
  return best;
}

int LowestBottom(const TFreeList<IndentRec>& List) {
  int bottom = 0;
  bool any = false;
  for (const auto& r : List)
    if (!r->FOwner) {
      bottom = any ? std::max(bottom, r->FBottom) : r->FBottom;
      any = true;
    }
  return any ? bottom + 1 : 0;
}

int Push(TFreeList<IndentRec>& List, int X, int Y, const void* Owner) {
  auto rec = std::make_unique<IndentRec>();
  rec->FX = X;
  rec->FTop = Y;
  rec->FBottom = OpenIndentBottom;
  rec->FOwner = Owner;
  List.Add(std::move(rec));
  return List.Count() - 1;
}

void AddFloat(TFreeList<IndentRec>& List, int X, int Top, int Bottom) {
  auto rec = std::make_unique<IndentRec>();
  rec->FX = X;
  rec->FTop = Top;
  rec->FBottom = Bottom;
  rec->FIsFloat = true;
  List.Add(std::move(rec));
}

}  // namespace

void IndentManagerBasic::Reset() {
  FLeftList.Clear();
  FRightList.Clear();
  FCurrentBlock = nullptr;
}

void IndentManagerBasic::SetEdges(int Left, int Right) {
  FLeftEdge = Left;
  FRightEdge = Right;
  FCurrentBlock = nullptr;
}

int IndentManagerBasic::LeftEdgeAt(int Y) const {
  int x = 0;
  for (const auto& r : FLeftList)
    if (Applies(*r, FCurrentBlock) && Covers(*r, Y)) x = std::max(x, r->FX);
  return x + FLeftEdge;
}

int IndentManagerBasic::RightEdgeAt(int Y) const {
  bool any = false;
  int x = 0;
  for (const auto& r : FRightList)
    if (Applies(*r, FCurrentBlock) && Covers(*r, Y)) {
      x = any ? std::min(x, r->FX) : r->FX;
      any = true;
    }
  return any ? x + FLeftEdge : FRightEdge;
}

int IndentManagerBasic::FloatBottom() const {
  int bottom = 0;
  for (const auto* list : {&FLeftList, &FRightList})
    for (const auto& r : *list)
      if (!r->FOwner) bottom = std::max(bottom, r->FBottom);
  return bottom;
}

void IndentManagerBasic::ClearLevels(int& CL, int& CR) const {
  CL = LowestBottom(FLeftList);
  CR = LowestBottom(FRightList);
}

int IndentManagerBasic::NextFloatEnd(int Y) const {
  int left = NextEnd(FLeftList, Y);
  int right = NextEnd(FRightList, Y);
  if (left == Y) return right;
  if (right == Y) return left;
  return std::min(left, right);
}

int IndentManagerBasic::PushLeft(int X, int Y) { return Push(FLeftList, X, Y, FCurrentBlock); }

int IndentManagerBasic::PushRight(int X, int Y) { return Push(FRightList, X, Y, FCurrentBlock); }

void IndentManagerBasic::PopLeft(int Index) {
  if (Index >= 0 && Index < FLeftList.Count()) FLeftList.Delete(Index);
}

void IndentManagerBasic::PopRight(int Index) {
  if (Index >= 0 && Index < FRightList.Count()) FRightList.Delete(Index);
}

// Right records hold X relative to FLeftEdge like every record, so the edges found by
// RightEdgeAt stay right when the manager is later shifted for drawing.
void IndentManager::AddBlockFloat(int Y, int XOrWidth, TFloatSide Side, int Height) {
  if (Side == TFloatSide::Left)
    AddFloat(FLeftList, XOrWidth - FLeftEdge, Y, Y + Height);
  else if (Side == TFloatSide::Right)
    AddFloat(FRightList, RightEdgeAt(Y) - XOrWidth - FLeftEdge, Y, Y + Height);
}

bool IndentManager::AddImageFloat(int Y, const TFloatImageBox& Image, int& Indent) {
  const int occupied = Image.Width + Image.HSpaceL + Image.HSpaceR;
  const int bottom = Y + Image.Height + Image.VSpaceT + Image.VSpaceB;
  if (Image.Side == TFloatSide::Left) {
    const int e = LeftEdgeAt(Y);
    Indent = e + Image.HSpaceL - FLeftEdge;
    AddFloat(FLeftList, e + occupied - FLeftEdge, Y, bottom);
    return true;
  }
  if (Image.Side == TFloatSide::Right) {
    const int e = RightEdgeAt(Y);
    AddFloat(FRightList, e - occupied - FLeftEdge, Y, bottom);
    Indent = e + Image.HSpaceL - occupied;
    return true;
  }
  return false;
}
