// Float and indent bookkeeping handed down every layout pass. Records hold X relative to
// FLeftEdge; a record applies when it has no owner or its owner is FCurrentBlock.
#pragma once

#include "common/classes.h"
#include "document/core/free_list.h"
#include "style/layout_kinds.h"

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

class IndentManagerBasic : public TObject {
 public:
  int FWidth = 0;
  int FPaintClip = 0;
  TFreeList<IndentRec> FLeftList;
  TFreeList<IndentRec> FRightList;
  const void* FCurrentBlock = nullptr;
  int FLeftEdge = 0;
  int FRightEdge = 0;

  void Reset();
  void SetEdges(int Left, int Right);
  int LeftEdgeAt(int Y) const;
  int RightEdgeAt(int Y) const;
  // The largest bottom of the ownerless records, 0 when there is none.
  int FloatBottom() const;
  // One below the lowest left and right ownerless records; 0 for a side without any.
  void ClearLevels(int& CL, int& CR) const;
  // The nearest Y below Y where an ownerless record ends (Y when none does).
  int NextFloatEnd(int Y) const;
  int PushLeft(int X, int Y);
  int PushRight(int X, int Y);
  void PopLeft(int Index);
  void PopRight(int Index);
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
