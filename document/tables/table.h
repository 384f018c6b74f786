// Tables: the table section that lays rows and cells out on a grid of row and column spans,
// the block around it that gives it its width, alignment and floating, and the rows and
// cells the builder fills.
//
// Percentages are held in tenths of a percent (per mille): 50 % is 500.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "document/blocks/block.h"
#include "document/core/cells.h"
#include "document/core/section_base.h"
#include "style/border_colors.h"
#include "style/properties.h"

// What the table elements' HTML attributes gave, read by the builder; a value that was not
// given keeps its marker.
struct TTableTagValues {
  static constexpr int Absent = std::numeric_limits<int>::min();
  int Border = Absent;
  int CellPadding = Absent;
  int CellSpacing = Absent;
  // Set with CellSpacing by a style's "border-spacing", which may space rows otherwise.
  int CellSpacingDown = Absent;
  int ColSpan = 1;
  int RowSpan = 1;
  int Width = Absent;  // pixels, or per mille when WidthIsPercent
  bool WidthIsPercent = false;
  int Height = Absent;
  bool HeightIsPercent = false;
  int HSpace = Absent;
  int VSpace = Absent;
  bool HasBgColor = false;
  TColor BgColor = 0;
  bool HasBorderColor = false, HasLightColor = false, HasDarkColor = false;
  TColor BorderColor = 0, LightColor = 0, DarkColor = 0;
  std::string Align;       // lower case
  std::string Background;  // image name
};

class ThtmlTable;
class TBitmap;

// One cell: its spans, sizes from the last layout, box and content. The grid keeps no
// placeholders: each cell knows its first column, and spans cover the rest.
class TCellObj {
 public:
  TCellObj(TSectionList* Document, TVerticalAlign VAlign, const TTableTagValues& Values,
           const TProperties& Prop);
  // The print copy; colours are kept only when the document prints them.
  TCellObj(TSectionList* Document, const TCellObj& Source);
  ~TCellObj();
  TCellObj(const TCellObj&) = delete;
  TCellObj& operator=(const TCellObj&) = delete;

  // Gets the background image from the document's cache or its sources, once.
  void LoadBackImage();
  // The background image's name, empty when the cell has none.
  const std::string& BackImageName() const;
  void SetBackImage(const std::string& Name, const TBackgroundPositions& Pos);

  // Padding and borders across and down the cell, once the grid has given every open
  // padding the table's.
  int HorzExtra() const { return FPadding[3] + FBorderWidth[3] + FBorderWidth[1] + FPadding[1]; }
  int VertExtra() const { return FPadding[0] + FBorderWidth[0] + FBorderWidth[2] + FPadding[2]; }

  // A table may hold a million cells: the fields are ordered to leave no holes, and the
  // record fits the allocator's blocks of 192 bytes.
  int FRowSpan = 1;
  int FSpanWidth = 0;
  int FSpanHeight = 0;
  int FContentHt = 0;
  int FCellWantHeight = 0;
  int FContentShift = 0;
  int FCellWantWidth = 0;  // pixels, or per mille when FCellWidthIsPercent
  // Measured widths, kept for the layout pass they were measured in (its count), or for
  // every pass at one font resolution when the cell holds plain text only (a mark below -2
  // that the table makes of the resolution).
  int FMinWidth = 0, FMaxWidth = 0;
  int FMeasuredIn = -1;
  TColor FBorderColor = NoColour;  // of every side, unless FRare gives the sides their own
  std::array<int16_t, 4> FPadding{-1, -1, -1, -1};  // top, right, bottom, left; -1 open
  std::array<uint8_t, 4> FBorderWidth{};  // at most 100 each
  // At most MaxColumns + 1 columns.
  int16_t FColSpan = 1;
  // The first grid column the cell covers, once the grid is ready.
  int16_t FCol = 0;
  TVerticalAlign FVAlign = TVerticalAlign::Middle;  // of the content in the cell
  // The last layout of the content was made at the font resolution of the kept widths'
  // mark (FMeasuredIn): with the same top, width and first position it would make the same.
  bool FLaidOutAtMark : 1 = false;
  bool FCellWidthIsPercent : 1 = false;
  bool FHasBorderStyle : 1 = false;
  bool FBreakBefore : 1 = false, FBreakAfter : 1 = false, FAvoidBreakInside : 1 = false;
  TCell FCell;
  // What few cells have lives apart: the background image ("BACKGROUND", the style's, or
  // the row's) and where it starts, and border sides of differing colours.
  struct TRareParts {
    std::string Name;  // of the background image; empty for none
    TBackgroundPositions Pos{};
    TBitmap* Image = nullptr;  // the cache's, held while the cell lives
    TBitmap* Mask = nullptr;
    bool Loaded = false;
    bool HasSideColors = false;
    TBorderColors SideColors{};  // top, right, bottom, left
  };
  std::unique_ptr<TRareParts> FRare;
  // The colours of the four sides (top, right, bottom, left).
  TBorderColors BorderColors() const;
  void SetBorderColors(const TBorderColors& Sides);
};

// A row: cells in column order, null for the positions that column spans cover.
class TCellList {
 public:
  TCellList(const TTableTagValues& Values, const TProperties& Prop);
  TCellList(TSectionList* Document, const TCellList& Source);
  // Adds a cell: the row's height is its least height, the page-break flags are or-ed.
  void Add(std::unique_ptr<TCellObj> Cell);

  std::vector<std::unique_ptr<TCellObj>> FCells;
  int FRowSize = 0;
  int FAskedHeight = 0;
  int FSpanSize = 0;
  bool FHasBackColor = false;
  TColor FBackColor = 0;
  std::string FBackImageURL;
  TBackgroundPositions FBackPos{};
  bool FBreakBefore = false, FBreakAfter = false, FAvoidBreakInside = false;
  // From the last layout: the row's document Y and first document position.
  int FRowTop = 0;
  int FStartPos = 0;
};

class ThtmlTable : public TSectionBase {
 public:
  static constexpr int MaxColumns = 200;

  ThtmlTable(TSectionList* Document, const TTableTagValues& Values, TCellBasic* OwnerCell);
  ThtmlTable(TSectionList* Document, const ThtmlTable& Source);
  ~ThtmlTable() override;

  void AddRow(std::unique_ptr<TCellList> Row);
  // The caption cell the builder fills; Top places it above the grid.
  TCellObj& Caption();
  void SetCaptionTop(bool Top) { FCaptionTop = Top; }

  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;
  void CopySelection() override;
  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override;
  unsigned HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                       TDocControl*& FormControl, std::string& Title) override;
  bool HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY) override;
  int PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                      bool& InText) override;
  int FindText(std::string_view ToFind, int From, bool MatchCase) override;
  int DocToSourcePos(int DocPos) override;
  int SourceToDocPos(int SourcePos, bool Prev) override;
  bool PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y) override;
  bool CharAtPosition(int Pos, char& Ch, TObject*& Obj) override;
  void MeasureWidths(TCanvas* Canvas, int& Min, int& Max) override;

  // The column widths of the last layout, each with one cell spacing.
  const std::vector<int>& ColWidths() const { return FColWidths; }
  int RowCount() const { return int(FRowList.size()); }
  TCellList& Row(int Index) { return *FRowList[size_t(Index)]; }
  // Normalises the grid; false when it has too many columns to lay out.
  bool PrepareGrid();

  std::vector<std::unique_ptr<TCellList>> FRowList;
  std::unique_ptr<TCellObj> FCaption;
  bool FGridReady = false;
  bool FTooManyColumns = false;
  bool FBorder = false;
  bool FCaptionTop = true;
  bool FFloating = false;
  int FColCount = 0;
  int FGridWidth = 0;
  int FFullWidth = 0;
  int FAskedWidth = 0;
  int FAskedHeight = 0;
  bool FHasAbsWidthCell = false;
  int FCaptionHeight = 0;
  int FBodyHeight = 0;
  int FGridOffset = 0;
  int FCellPadding = 1;
  int FCellSpacing = 2;      // across: left of each column and right of the last
  int FCellSpacingDown = 2;  // down: above each row and below the last
  int FCaptionMinWidth = 0;
  std::vector<int> FColWidths;
  std::vector<int> FColPercents;
  TColor FLightColor, FDarkColor;
  bool FLightGiven = false, FDarkGiven = false;
  bool FHasBgColor = false;
  TColor FBgColor = 0;
  bool FHasBorderColor = false;
  TColor FBorderColor = 0;
  TCellBasic* FOwnerCell = nullptr;  // not owned
  int FBoxLeft = 0;  // the table's left edge at the last layout

 private:
  // Column minimum and maximum widths (and percentages with Percent), summed into the totals.
  void ColumnWidthsPlain(TCanvas* Canvas, std::vector<int>& Min, std::vector<int>& Max,
                         int& TotalMin, int& TotalMax);
  void ColumnWidthsPercent(TCanvas* Canvas, int D, std::vector<int>& Min, std::vector<int>& Max,
                           int& TotalMin, int& TotalMax);
  // A cell's widths with its padding, borders and one spacing; true when they are kept for
  // every pass at the canvas's font resolution.
  bool MeasureCell(TCanvas* Canvas, TCellObj& Cell, int& Min, int& Max);
  void DistributeWidths(TCanvas* Canvas, int AW, bool Fixed);
  int PercentWant(const std::vector<int>& Max, int& NP) const;
  void DistributePercent(int AW, std::vector<int>& Min, std::vector<int>& Max, int& TotalMin,
                         int& TotalMax, bool& Done);
  // Widens the columns without a percentage (Asked: the percentages before the
  // distribution) until the grid fills AW.
  void FillRoom(int AW, const std::vector<int>& Max, const std::vector<int>& Asked);
  void DistributeFixed(int TW, const std::vector<int>& Min, const std::vector<int>& Max);
  int ContentWidth(const TCellObj& Cell) const;
  // Lays a cell's content out at Y (document) and Width, continuing the positions at Curs.
  void LayoutContent(TCanvas* Canvas, TCellObj& Cell, int Y, int Width, int& Curs);
  // The same for a cell whose width is that of its last layout (SameWidth): plain text
  // laid out last at the same top, first position and font resolution keeps that layout.
  void LayoutContentAgain(TCanvas* Canvas, TCellObj& Cell, bool SameWidth, int Y, int& Curs);
  // The mark of widths kept for good at the canvas's font resolution (-1, which marks
  // nothing, without one).
  static int KeptMark(const TCanvas* Canvas);
  // Whether the cell's widths are kept for good at the canvas's font resolution.
  static bool KeptAt(const TCellObj& Cell, const TCanvas* Canvas) {
    const int Mark = KeptMark(Canvas);
    return Mark < -1 && Cell.FMeasuredIn == Mark;
  }
  // The rows of a table without row spans or asked height, each cell laid out where it
  // goes as its row is reached, and again only when it does not sit at its row's top.
  int LayoutRowsOnce(TCanvas* Canvas, int Y, int& MaxWidth, int& Curs, int* Baseline);
  void LayoutCaptionAbove(TCanvas* Canvas, int& FlowY, int& Curs);
  // The document Y of a cell's content in a row at RowTop, with its current shift.
  int ContentTop(const TCellObj& Cell, int RowTop) const;
  // The content's offset that the cell's vertical alignment gives in its span height.
  int ContentShift(const TCellObj& Cell) const;
  // The bottom caption, the sizes and the bottom of the table once the grid ends at
  // GridBottom (Y: the table's top).
  int FinishLayout(TCanvas* Canvas, int Y, int GridBottom, int& MaxWidth, int& Curs,
                   int* Baseline);
  void FillSpacing(TCanvas* Canvas, const TPaintContext& Context, int TX, int ClientTop,
                   int GridBottom);
  // Blank, when given, is a canvas that draws nothing: a printed cell of plain text wholly
  // right of the page is drawn there, so that its lines still cut the page where they would.
  int DrawRow(TCanvas* Canvas, TPaintContext& Context, int Row, int TX, int Y, TCanvas* Blank);
  // Whether nothing of the cell at CX can reach the band: it holds plain text only, draws
  // no border or background, and starts past the band's right edge by more than any of its
  // glyphs can lean back.
  bool PastBandRight(const TCanvas* Canvas, const TPaintContext& Context, const TCellObj& Cell,
                     int CX) const;
  void DrawCell(TCanvas* Canvas, TPaintContext& Context, TCellObj& Cell, int CX, int Y);
  void DrawCaption(TCanvas* Canvas, TPaintContext& Context, int X);
  void RaisedOrSunken(TCanvas* Canvas, const TPaintContext& Context, int Left, int Top, int Right,
                      int Bottom, bool Raised);
  // The real cell covering grid position (Row, Col), or null; its column in Col.
  TCellObj* CellCovering(int Row, int& Col) const;
  // Rows [First, Last) whose cells may meet document rows Top..Bottom.
  void RowsMeeting(int Top, int Bottom, int& First, int& Last) const;
  // The column under document X of the drawn grid, or -1.
  int ColumnAt(int X) const;
  // Whether Y falls in the caption's band (the caption above or below the grid).
  bool CaptionAt(int Y) const;
  // The grid cell under a point: in the last row starting at or above Y, the cell that
  // covers the column at X (spans included); null outside the grid.
  TCellObj* CellAtPoint(int X, int Y) const;
  // The row whose position range holds Pos, or -1.
  int RowOfPosition(int Pos) const;
  // Calls Fn for the caption (when On top), every real cell in order, then a bottom
  // caption; stops at the first true.
  template <typename Fn>
  bool ForEachCellInOrder(Fn&& F);

  // The column minimums, maximums and percentages the cells gave, kept for the pass they
  // were summed in (measuring the table and distributing its width both ask), or for good
  // under the cells' mark when every cell keeps its widths: a big table is walked once a
  // layout instead of twice, and only once for all the layouts of plain text.
  struct TColumnSums {
    int MeasuredIn = -1;
    std::vector<int> Min, Max, Pct;
    int TotalMin = 0, TotalMax = 0;
  };
  TColumnSums FColumnSums;
  int FMaxRowSpan = 1;
  std::vector<int> FColX;  // column starts relative to the grid, one more than columns
  int FDrawX = 0;  // the grid's X at the last Draw
};

// The block around a table: its width, alignment, floating and spacing to floats, and the
// background that fills the whole table.
class TTableBlock : public TBlock {
 public:
  TTableBlock(TSectionList* ADocument, const TProperties& Prop, TCellBasic* AOwnerCell,
              ThtmlTable* ATable, const TTableTagValues& Values, int TableNesting);
  // The print copy, with a copy of the table.
  TTableBlock(TSectionList* ADocument, const TTableBlock& Source);

  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;

  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override;
  void MeasureWidths(TCanvas* Canvas, int& Min, int& Max) override;
  int ComputeContentWidth(TCanvas* Canvas, int AWidth) override;
  void RegisterPositions() override;

  // Sets the alignment a centring or right-aligning ancestor gives, unless the table
  // already floats or is centred.
  void Inherit(TTextAlign AlignMode);

  // Drops the table, and what the document listed of its content (link runs, ids).
  void DropContent();

  ThtmlTable* FTable = nullptr;  // owned by MyCell
  int FAskedWidth = 0;
  bool FWidthPercent = false;
  int FAskedHeight = 0;
  bool FHeightPercent = false;
  bool FHasBgColorAttr = false;
  TColor FBgColorAttr = 0;
  int FHSpace = 3;
  int FVSpace = 0;
  TTextAlign FAlignMode = TTextAlign::Left;  // Left, Center or Right

 private:
  int FLastAvailHeight = 0;
};
