// The common contract of every section of a document: geometry fields filled by layout,
// and the virtual operations every section kind overrides as it needs: layout and
// painting, hit tests, and the walks over document positions (selection, search, source
// offsets, the caret).
//
// Coordinates are integer pixels in document space (X to the right, Y down from the top of
// the document). Document positions number every character, image and form control in
// document order; sections take theirs from a running counter during layout.
#pragma once

#include <cstdint>
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

// How a section sets its lines across its width; rules and tables place their box by the
// first three.
enum class TTextAlign : int8_t { Left, Center, Right, Justify };

// Geometry of a section made but never laid out.
constexpr int NotLaidOutY = 999999999;

class TSectionBase : public TIDObject {
 public:
  explicit TSectionBase(TSectionList* ADocument);
  // The print copy: copies FFlowHeight and FStackLevel.
  TSectionBase(TSectionList* ADocument, const TSectionBase& Source);
  TSectionBase(const TSectionBase&) = delete;
  TSectionBase& operator=(const TSectionBase&) = delete;
  ~TSectionBase() override;

  // The top of the section's box: where an id on it scrolls to.
  int GetTopY() override;
  // A copy of this section for ADocument (the print copy).
  virtual std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const;
  // Appends the selected part of the text to the document's selection buffer.
  virtual void CopySelection();
  // Places the section with its top at Y; returns the height it adds to the flow.
  virtual int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
                     IndentManager* IMgr, int& MaxWidth, int& Curs);
  // Paints the section when its paint extent meets the pass's band; returns the Y where the
  // next section starts.
  virtual int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
                   int YRef);
  // The link, image control and title at the point: a set of ht... bits; Y in document
  // coordinates.
  virtual unsigned HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                               TDocControl*& FormControl, std::string& Title);
  // The object at the point and the point within it; false when there is none.
  virtual bool HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY);
  // The document position at the point, or -1.
  virtual int PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                              bool& InText);
  // The position of the first match at or after From, or -1.
  virtual int FindText(std::string_view ToFind, int From, bool MatchCase);
  // Between document positions and source offsets; -1 when not in the section.
  virtual int DocToSourcePos(int DocPos);
  virtual int SourceToDocPos(int SourcePos, bool Prev);
  // Where the document position Pos is drawn; Canvas may be null.
  virtual bool PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y);
  // The character at document position Pos and the section or object that holds it.
  virtual bool CharAtPosition(int Pos, char& Ch, TObject*& Obj);
  // The narrowest and widest width the section can take.
  virtual void MeasureWidths(TCanvas* Canvas, int& Min, int& Max);
  // The same for a box that shrinks to its content (a float): blanks at the end of a line
  // take no room there, as in the line itself.
  virtual void MeasureFitWidths(TCanvas* Canvas, int& Min, int& Max);
  // Appends the section (and what it holds) to the document's PositionIndex.
  virtual void RegisterPositions();

  // Hooks for the cells.
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
  // Whether the section reads its cell's float edges only while it lays out: a cell of
  // such sections needs no float bookkeeping between layouts.
  virtual bool NeedsFloatsOnlyInLayout() const { return false; }

  TSectionList* FDocument = nullptr;  // never owned
  int FFlowHeight = 0;
  int FPaintHeight = 0;
  int FStartPos = 0;
  int FPosCount = 0;
  int FStackLevel = 0;
  int FBoxTop = NotLaidOutY;
  int FBoxBottom = 0;
  int FPaintTop = 0;
  int FPaintBottom = 0;  // exclusive
  int FLayoutY = 0;
};
