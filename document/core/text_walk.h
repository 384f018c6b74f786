// The walk over a stretch of a text section that layout, hit tests and drawing share: the
// text in pieces that one call can measure, fit or paint, and the objects between them.
#pragma once

#include <algorithm>
#include <cassert>
#include <vector>

#include "document/core/text_section.h"

// Codes of the text that stand for a placed object (an image or panel, a form control).
constexpr bool IsObjectCode(char C) { return C == ccFormControl || C == ccImage; }

// Walks the characters [Start, End) of a section's text piece by piece. A piece is one
// object code, or the longest stretch from where the walk stands that stays in one font
// run and reaches no object position and no edge of an inline box. The room an edge takes
// before a piece is added to the X as the walk enters the piece. The user of a piece moves on past some or all of
// its characters and tells the width they took; the walker keeps the X reached, so a
// piece's X is where it starts. Everything is inline and nothing is allocated: these are
// the loops of line fitting, text measuring and painting.
class TPieceWalker {
 public:
  using TObjEntry = TSection::TObjEntry;

  TPieceWalker(const TSection& Section, int Start, int End, int X = 0)
      : FText(Section.FText.data()), FRuns(Section.FFontRuns), FPos(Start), FEnd(End), FX(X) {
    assert(End <= Section.Len());
    const std::vector<TObjEntry>& Objs = Section.Objects();
    FObjEnd = Objs.data() + Objs.size();
    FObj = std::lower_bound(Objs.data(), FObjEnd, Start,
                            [](const TObjEntry& E, int P) { return E.Pos < P; });
    const std::vector<TSection::TBoxEdge>& Edges = Section.BoxEdges();
    FEdgeEnd = Edges.data() + Edges.size();
    FEdge = std::lower_bound(Edges.data(), FEdgeEnd, Start,
                             [](const TSection::TBoxEdge& E, int P) { return E.Pos < P; });
    FRuns.RunAt(Start, FRunIndex);
    Settle();
  }

  bool More() const { return FPos < FEnd; }
  int Pos() const { return FPos; }
  int X() const { return FX; }
  int Length() const { return FPieceEnd - FPos; }
  const char* Chars() const { return FText + FPos; }
  bool IsObject() const { return FIsObject; }
  // The object placed at an object code; null for text and for a code without its object.
  const TObjEntry* Object() const {
    return FIsObject && FObj != FObjEnd && FObj->Pos == FPos ? FObj : nullptr;
  }
  // What an object code takes in its line: a floating object and a code without its
  // object take nothing.
  int ObjectWidth() const {
    const TObjEntry* E = Object();
    return E && !E->Obj->Floating() ? E->Obj->HorzExtent() : 0;
  }
  // An inline box's edge took room right before this piece: a drawn piece starts anew.
  bool AfterEdge() const { return FAfterEdge; }
  // The font run of a text piece.
  const TFontObj* Run() const { return FRun; }
  // Moves past the first N characters of the piece, which took Width pixels.
  void Advance(int N, int Width) {
    assert(N >= 1 && N <= Length());
    FPos += N;
    FX += Width;
    Settle();
  }
  void Next(int Width) { Advance(Length(), Width); }

 private:
  void Settle() {
    if (FPos >= FEnd) return;
    // Objects are by increasing position: the first at or after the walk only moves on.
    while (FObj != FObjEnd && FObj->Pos < FPos) ++FObj;
    FAfterEdge = false;
    if (FEdge != FEdgeEnd) {
      while (FEdge != FEdgeEnd && FEdge->Pos < FPos) ++FEdge;
      if (FEdge != FEdgeEnd && FEdge->Pos == FPos) {
        FX += FEdge->Width;
        FAfterEdge = true;
        ++FEdge;
      }
    }
    FIsObject = IsObjectCode(FText[FPos]);
    if (FIsObject) {
      FPieceEnd = FPos + 1;
      return;
    }
    const int Count = FRuns.Count();
    while (FRunIndex + 1 < Count && FRuns[FRunIndex + 1]->FPos <= FPos) ++FRunIndex;
    FRun = FRuns[FRunIndex];
    FPieceEnd = FEnd;
    if (FObj != FObjEnd) FPieceEnd = std::min(FPieceEnd, FObj->Pos);
    if (FEdge != FEdgeEnd) FPieceEnd = std::min(FPieceEnd, FEdge->Pos);
    if (FRunIndex + 1 < Count) FPieceEnd = std::min(FPieceEnd, FRuns[FRunIndex + 1]->FPos);
  }

  const char* FText;
  const TFontList& FRuns;
  const TObjEntry* FObj;
  const TObjEntry* FObjEnd;
  const TSection::TBoxEdge* FEdge;
  const TSection::TBoxEdge* FEdgeEnd;
  const TFontObj* FRun = nullptr;
  int FRunIndex = 0;
  int FPos;
  int FEnd;
  int FPieceEnd = 0;
  int FX;
  bool FIsObject = false;
  bool FAfterEdge = false;
};
