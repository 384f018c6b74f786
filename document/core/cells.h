// Cells: ordered lists of sections laid out from top to bottom. TCell owns its float
// bookkeeping (the document root and table cells); TBlockCell borrows the enclosing one.
// A TCell of plain text (most table cells) keeps none between layouts: it lays out with
// one on the stack and draws without.
#pragma once

#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/core/free_list.h"
#include "document/core/section_base.h"
#include "document/core/tag_name.h"

// The paint top of a cell without sections: below any document.
constexpr int NoCellPaintTop = std::numeric_limits<int>::max();

class TCellBasic : public TFreeList<TSectionBase> {
 public:
  explicit TCellBasic(TSectionList* ADocument);
  // The print copy: the owner element and a clone of every section.
  TCellBasic(TSectionList* ADocument, const TCellBasic& Source);
  ~TCellBasic() override;
  TCellBasic(const TCellBasic&) = delete;
  TCellBasic& operator=(const TCellBasic&) = delete;

  // Takes the section unless it asks to be dropped (an empty text section); sets its
  // document to the cell's. Null does nothing.
  void Add(std::unique_ptr<TSectionBase> Section);
  // The list's other edits, which also forget where the last block was.
  TSectionBase* Insert(int Index, std::unique_ptr<TSectionBase> Section);
  void Delete(int Index);
  std::unique_ptr<TSectionBase> Extract(int Index);
  void Clear();
  // Drops the default paragraph spacing below the last block (absolute blocks skipped).
  // Sections that are not blocks are looked at once: a cell fed by a long run of them
  // (items nested past the cap) calls this at every item.
  bool DropLastBottomMargin();

  // Lays the sections out from Y; a section that raises EProcessError is reported and
  // dropped. Returns the height.
  virtual int LayoutCell(TCanvas* Canvas, int Y, int Width, int AHeight, int& ScrollWidth,
                         int& Curs);
  virtual void MeasureWidths(TCanvas* Canvas, int& Min, int& Max);
  // The widths of the sections measured as a float's content (MeasureFitWidths).
  void MeasureFitWidths(TCanvas* Canvas, int& Min, int& Max);
  // Draws every section meeting the pass's band; returns the Y after the last section (Y
  // when empty).
  virtual int Draw(TCanvas* Canvas, TPaintContext& Context, int ClipWidth, int X, int Y, int XRef,
                   int YRef);
  virtual unsigned HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                               TDocControl*& FormControl, std::string& Title);

  bool HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY);
  int PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt, bool& InText);
  int FindText(std::string_view ToFind, int From, bool MatchCase);
  int DocToSourcePos(int DocPos);
  int SourceToDocPos(int SourcePos, bool Prev);
  bool PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y);
  bool CharAtPosition(int Pos, char& Ch, TObject*& Obj);
  void CopySelection();
  void RegisterPositions();

  // Indexes of the sections whose paint extent may meet document rows Top..Bottom
  // (exclusive): [First, Last), empty when none can. Found by binary search over paint
  // bounds indexed by the layout (or at the first use after a change of the list).
  void SectionsMeeting(int Top, int Bottom, int& First, int& Last) const;
  // Whether a long cell's paint index is ready: a layout leaves it so.
  bool PaintIndexReady() const { return FPaintIndexValid && FPaintIndex; }
  // Draws sections First to Last - 1 in the order of their stack levels; the result is the
  // last one's.
  int DrawStacked(TCanvas* Canvas, TPaintContext& Context, int X, int XRef, int YRef, int First,
                  int Last);
  // Whoever moves sections after their layout (without laying them out again) calls this.
  void InvalidatePaintIndex() { FPaintIndexValid = false; }

  // Every table cell has one of these: the fields are ordered to leave no holes.
  TSectionList* FDocument = nullptr;
  IndentManager* FFloats = nullptr;
  TTagName FOwnerElement;
  int FCellTop = 0;
  int FStartPos = 0;
  int FPosCount = 0;
  TColor FBackColor = 0;
  int FCellBoxBottom = 0;
  int FCellPaintTop = NoCellPaintTop;
  int FCellPaintBottom = 0;
  bool FHasBackColor = false;

 protected:
  // Runs one section's Layout, handling EProcessError; false when the section was dropped.
  bool LayoutSection(int& Index, TCanvas* Canvas, int X, int Y, int XRef, int YRef, int Width,
                     int AHeight, int& W, int& Curs, int& H);
  // A layout indexes the paint bounds of a long cell as it visits the sections in order,
  // while they are at hand, so that the first paint after it only searches: begin, note
  // each section laid out, end.
  void BeginPaintIndex();
  void NotePaintBounds(const TSectionBase* Section);
  void EndPaintIndex();

 private:
  // Packed beside FHasBackColor and FOpenTopMargin: every table cell has these.
  mutable bool FPaintIndexValid : 1 = false;
  bool FIndexingLayout : 1 = false;

 public:
  // The owner block's top margin when nothing (border, padding) closes its top, so that the
  // margin of its first block collapses through it; -1 when closed. Standards documents only.
  int16_t FOpenTopMargin = -1;

 private:
  // The running largest paint bottom from the front and the running smallest paint top
  // from the back: both monotonic, so binary search finds the band. Only long cells keep
  // one; short ones (most blocks) scan their few sections. The first and last sections
  // indexed tell, with the count, whether the list changed since.
  struct TPaintIndex {
    std::vector<int> MaxBottomUpTo;
    std::vector<int> MinTopFrom;
    const TSectionBase* First = nullptr;
    const TSectionBase* Last = nullptr;
  };
  static constexpr int IndexedCellSize = 16;
  void IndexPaintBounds() const;
  // Sections [FNoBlockFrom, FNoBlockTo) were no blocks at the last DropLastBottomMargin;
  // an edit other than Add empties the range.
  void ForgetBlockScan() { FNoBlockFrom = FNoBlockTo = 0; }
  int FNoBlockFrom = 0;
  int FNoBlockTo = 0;
  mutable std::unique_ptr<TPaintIndex> FPaintIndex;
};

class TCell : public TCellBasic {
 public:
  explicit TCell(TSectionList* ADocument);
  TCell(TSectionList* ADocument, const TCell& Source);
  ~TCell() override;

  // A float reaching below the last section lengthens the cell.
  int LayoutCell(TCanvas* Canvas, int Y, int Width, int AHeight, int& ScrollWidth,
                 int& Curs) override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, int ClipWidth, int X, int Y, int XRef,
           int YRef) override;

  // The Y of the last Draw (a table puts the top of the cell's row here).
  int FDrawY = 0;

 protected:
  // Keeps the float bookkeeping from layout to layout and to drawing, whatever the cell
  // holds (the document root reads its width when it draws).
  void KeepFloats();

 private:
  bool NeedsFloatsAfterLayout() const;
  int LayoutWithFloats(TCanvas* Canvas, int Y, int Width, int AHeight, int& ScrollWidth,
                       int& Curs);
  std::unique_ptr<IndentManager> FOwnFloats;
};

class TBlockCell : public TCellBasic {
 public:
  using TCellBasic::TCellBasic;

  // The layout of a block's content: FFloats is set by the block before the call.
  // EProcessError passes through to the block's cell.
  int DoLayout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int Width, int AHeight,
               int& ScrollWidth, int& Curs);

  int FCellFlowHeight = 0;
  TSectionBase* FOwnerBox = nullptr;  // the block whose content the cell is
};
