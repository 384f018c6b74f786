// Float and indent bookkeeping handed down every layout pass. Records hold X relative to
// FLeftEdge; a record applies when it has no owner or its owner is FCurrentBlock.
#pragma once

#include <limits>
#include <unordered_map>
#include <vector>

#include "common/classes.h"
#include "document/core/float_index.h"
#include "document/core/free_list.h"
#include "style/layout_kinds.h"

class TSectionBase;

// Open end of an indent pushed for a block's content.
constexpr int OpenIndentBottom = 9999999;

class IndentRec : public TObject {
 public:
  int FX = 0;       // left list: right end of what occupies the left; right list: its left end
  int FTop = 0;     // inclusive
  int FBottom = 0;  // exclusive
  const void* FOwner = nullptr;  // the block whose margins made it; null for a float
  bool FIsFloat = false;
};

// The sizes a floating image reports to AddImageFloat.
struct TFloatImageBox {
  int Width = 0, Height = 0;
  int HSpaceL = 0, HSpaceR = 0;
  int VSpaceT = 0, VSpaceB = 0;
  TFloatSide Side = TFloatSide::None;
};

// The records of one side as the edge queries read them. Ownerless records (floats, and
// indents pushed outside any block) are kept in the order they came, and in an index that
// gives the edge they set at a height and where the next of them ends without reading
// them one by one: a tall float does not make every later one stay in the way. Owned
// records (one a nesting level) are kept by owner: a query reads those of the block it is
// made for only, which keeps the work of a line flat however deep the blocks nest.
class TIndentSide {
 public:
  // TakesMax: the edge is the largest X of the records at a height (the left side).
  explicit TIndentSide(bool TakesMax) : FIndex(TakesMax) {}
  void Clear();
  void Add(const IndentRec* Rec);
  void Remove(const IndentRec* Rec);
  // Calls Visit for every record of Owner's own.
  template <class F>
  void ForEachOwned(const void* Owner, F&& Visit) const {
    if (const std::vector<const IndentRec*>* Own = OwnedBy(Owner))
      for (const IndentRec* R : *Own) Visit(*R);
  }
  // Whether an ownerless record covers Y; X is then the edge they set there.
  bool FreeEdgeAt(int Y, int& X, long long& Read) const {
    return HasFree() && FFreeBottom > Y && FIndex.EdgeAt(Y, X, Read);
  }
  // The smallest bottom greater than Y among the ownerless records, Y when there is none.
  int NextFreeEnd(int Y, long long& Read) const {
    return HasFree() && FFreeBottom > Y ? FIndex.NextEnd(Y, Read) : Y;
  }
  // The number of records (of the ownerless ones, index groups) a query at Y for Owner reads.
  int ReadAt(int Y, const void* Owner) const {
    const std::vector<const IndentRec*>* Own = OwnedBy(Owner);
    return int(Own ? Own->size() : 0) + (HasFree() && FFreeBottom > Y ? FIndex.ReadAt(Y) : 0);
  }
  bool HasFree() const { return !FFree.empty(); }
  size_t FreeCount() const { return FFree.size(); }
  // The largest bottom of the floats from the From'th ownerless record on, Since when none.
  int FloatBottomFrom(size_t From, int Since) const;
  // Ownerless records taken out so far (those put in only narrow the room).
  int FreeRemovals() const { return FFreeRemovals; }
  // Whether the owned records are those of Other, value for value.
  bool SameOwned(const std::vector<IndentRec>& Other) const;
  void CopyOwned(std::vector<IndentRec>& To) const;
  // The largest bottom of the ownerless records; only when HasFree.
  int FreeBottom() const { return FFreeBottom; }

 private:
  const std::vector<const IndentRec*>* OwnedBy(const void* Owner) const;
  std::vector<const IndentRec*> FOwned;
  // FOwned split by owner, each in the order its records came; no empty lists.
  std::unordered_map<const void*, std::vector<const IndentRec*>> FOwnedBy;
  std::vector<const IndentRec*> FFree;
  TFloatIndex FIndex;   // FFree's records
  int FFreeBottom = 0;  // the largest bottom of FFree
  int FFreeRemovals = 0;
};

class IndentManagerBasic : public TObject {
 public:
  // The records are added and removed through the operations below only, which keep the
  // sides' indexes in step with the lists.
  int FWidth = 0;
  int FPaintClip = 0;
  TFreeList<IndentRec> FLeftList;
  TFreeList<IndentRec> FRightList;
  const void* FCurrentBlock = nullptr;
  int FLeftEdge = 0;
  int FRightEdge = 0;
  // The right edge of the padding box of the positioned box whose content is being laid
  // out, which absolute boxes inside place themselves from; none: the width's edge.
  static constexpr int NoRefRight = std::numeric_limits<int>::min();
  int FRefRight = NoRefRight;
  // The width of the containing block of the block whose content is being laid out: a
  // percentage "text-indent" of its own text counts from it. Negative: the text's width.
  int FIndentBase = -1;
  // The absolute boxes placed by "bottom" whose containing block is being laid out (a
  // positioned block, or the body for the page): that block places them once it knows
  // its height. Null outside any.
  std::vector<TSectionBase*>* FBottomBoxes = nullptr;

  void Reset();
  void SetEdges(int Left, int Right);
  int LeftEdgeAt(int Y) const;
  int RightEdgeAt(int Y) const;
  // The largest bottom of the ownerless records, 0 when there is none.
  int FloatBottom() const;
  // Where the float records stand now, and the largest float bottom of those added since
  // (Since when there is none): a box that holds its floats reaches down to it.
  struct TFloatMark {
    size_t Left = 0, Right = 0;
  };
  TFloatMark MarkFloats() const { return {FLeftSide.FreeCount(), FRightSide.FreeCount()}; }
  int FloatBottomSince(const TFloatMark& Mark, int Since) const;
  // One below the lowest left and right ownerless records; 0 for a side without any.
  void ClearLevels(int& CL, int& CR) const;
  // The nearest Y below Y where an ownerless record ends (Y when none does).
  int NextFloatEnd(int Y) const;
  // Whether an ownerless record ends below Y (NextFloatEnd(Y) > Y), without reading them.
  bool FloatEndsBelow(int Y) const;
  int PushLeft(int X, int Y);
  int PushRight(int X, int Y);
  void PopLeft(int Index);
  void PopRight(int Index);
  // The first Y from Y down where a float Total wide, standing at X or right of the left
  // floats, has room: Y or the end of a float, the lowest end when nowhere has room.
  int FloatTop(int Y, int X, int Total);
  // How many candidate places the last FloatTop tried.
  int FloatTopSteps() const { return FPlacementSteps; }
  // How many records an edge query at Y reads on both sides together.
  int RecordsReadAt(int Y) const {
    return FLeftSide.ReadAt(Y, FCurrentBlock) + FRightSide.ReadAt(Y, FCurrentBlock);
  }
  // How many records the edge and float-end queries have read since the last Reset.
  long long RecordsRead() const { return FRecordsRead; }

 protected:
  TIndentSide FLeftSide{true}, FRightSide{false};

 private:
  // What the last FloatTop learnt: from Y, every candidate above T had less room than
  // Total. Adding floats only narrows the room, so the same search for as wide a float
  // may start at T while the edges, the block and its indents are unchanged and no float
  // went away.
  struct TPlacementMemo {
    bool Valid = false;
    int Y = 0, X = 0, Total = 0, T = 0;
    int LeftEdge = 0, RightEdge = 0;
    const void* Block = nullptr;
    int LeftRemovals = 0, RightRemovals = 0;
    std::vector<IndentRec> LeftOwned, RightOwned;
  };
  TPlacementMemo FMemo;
  int FPlacementSteps = 0;
  mutable long long FRecordsRead = 0;
};

class IndentManager : public IndentManagerBasic {
 public:
  // Side Left: XOrWidth is the right end of the floated box, margin included; Right: the
  // box's full width, margins included.
  void AddBlockFloat(int Y, int XOrWidth, TFloatSide Side, int Height);
  // Registers a floating image and sets its indent: for a left float the image's left
  // less FLeftEdge, for a right float its left in document X. False (nothing added, Indent
  // untouched) when the image does not float.
  bool AddImageFloat(int Y, const TFloatImageBox& Image, int& Indent);
};
