// The common contract of every section of a document: geometry fields filled by layout,
// and the fifteen virtual operations every section kind overrides as it needs.
//
// Coordinates are integer pixels in document space (X to the right, Y down from the top of
// the document). Document positions number every character, image and form control in
// document order; sections take theirs from a running counter during layout.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/classes.h"
#include "document/core/paint_context.h"
#include "document/core/url_target.h"
#include "toolkit/graphics/graphics.h"

class TSectionList;
class IndentManager;
class TDocControl;

// Anything an id or anchor name can refer to.
class TIDObject : public TObject {
 public:
  // The document Y of the object's top.
  virtual int GetTopY() = 0;
};

// Result bits of HitTestLink.
enum : unsigned {
  htLinkFound = 1,     // UrlTarget holds a new link target, which the caller frees
  htControlFound = 2,  // FormControl holds an image-type form control
  htTitleFound = 4,    // Title holds a title
};

// What DropBottomMargin did to a section.
enum class TMarginDrop { NotABlock, Kept, Dropped };

// Geometry of a section made but never laid out.
constexpr int NotLaidOutY = 999999999;

class TSectionBase : public TIDObject {
 public:
  explicit TSectionBase(TSectionList* ADocument);
  // The print copy: copies FFlowHeight and FStackLevel.
  TSectionBase(TSectionList* ADocument, const TSectionBase& Source);
  TSectionBase(const TSectionBase&) = delete;
  TSectionBase& operator=(const TSectionBase&) = delete;

  // 0
  int GetTopY() override;
  // 1: a copy of this section for ADocument (the print copy).
  virtual std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const;
  // 2: appends the selected part of the text to the document's selection buffer.
  virtual void CopySelection();
  // 3: places the section with its top at Y; returns the height it adds to the flow.
  virtual int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
                     IndentManager* IMgr, int& MaxWidth, int& Curs);
  // 4: paints the section when its paint extent meets the pass's band; returns the Y
  // where the next section starts.
  virtual int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
                   int YRef);
  // 5: a set of ht... bits; Y in document coordinates.
  virtual unsigned HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                               TDocControl*& FormControl, std::string& Title);
  // 6
  virtual bool HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY);
  // 7: the document position at the point, or -1.
  virtual int PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                              bool& InText);
  // 8: the position of the first match at or after From, or -1.
  virtual int FindText(std::string_view ToFind, int From, bool MatchCase);
  // 9, 10: between document positions and source offsets; -1 when not in the section.
  virtual int DocToSourcePos(int DocPos);
  virtual int SourceToDocPos(int SourcePos, bool Prev);
  // 11: Canvas may be null.
  virtual bool PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y);
  // 12
  virtual bool CharAtPosition(int Pos, char& Ch, TObject*& Obj);
  // 13: the narrowest and widest width the section can take.
  virtual void MeasureWidths(TCanvas* Canvas, int& Min, int& Max);
  // 14: appends the section (and what it holds) to the document's PositionIndex.
  virtual void RegisterPositions();

  // Hooks for the cells, outside the table above.
  //
  // Called by TCellBasic::Add before the section joins a cell: a text section finishes
  // itself here. False drops the section (an empty text section).
  virtual bool PrepareToAdd() { return true; }
  // Blocks override: drops a default paragraph spacing below the block.
  virtual TMarginDrop DropBottomMargin() { return TMarginDrop::NotABlock; }
  // Blocks (and paragraphs that carry their spacing) give their bottom margin to the
  // block that follows them, keeping 0; false for the other sections.
  virtual bool TakeBottomMargin(int& /*Bottom*/) { return false; }
  // Absolutely positioned blocks leave the cell's box bottom alone.
  virtual bool IsAbsolutelyPositioned() const { return false; }
  // A floated block: it takes no room in the flow and keeps its margins apart.
  virtual bool IsFloating() const { return false; }

  TSectionList* FDocument = nullptr;  // never owned
  int FFlowHeight = 0;
  int FPaintHeight = 0;
  int FStartPos = 0;
  int FPosCount = 0;
  int FStackLevel = 0;
  int FBoxTop = NotLaidOutY;
  int FBoxBottom = 0;
  int FBoxLeft = 0;
  int FPaintTop = 0;
  int FPaintBottom = 0;  // exclusive
  int FLayoutY = 0;
};
