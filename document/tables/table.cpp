// Tables: construction, the grid of spans, column widths and the layout of rows and cells.
#include "document/tables/table.h"

#include <algorithm>
#include <cstdlib>

#include "document/core/indent_manager.h"
#include "document/core/process_error.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/tables/table_arith.h"
#include "style/box_values.h"
#include "style/units.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/windows/window_metrics.h"

using table_arith::Sum;

namespace {

// A CSS width or height of an element: per mille for a percentage, else pixels. False when
// none is given.
bool CssSize(const TPropValue& V, int Em, int Ex, int& Value, bool& Percent) {
  if (V.IsString()) {
    const std::string_view S = V.AsString();
    if (S.empty() || S == "auto") return false;
    Percent = S.find('%') != std::string_view::npos;
    Value = Percent ? LengthToPixels(S, false, 1000, Em, Ex, 0)
                    : LengthToPixels(S, false, 0, Em, Ex, 0);
    return Value > 0;
  }
  if (V.IsInteger() && V.AsInteger() > 0 && V.AsInteger() != AutoValue) {
    Value = V.AsInteger();
    Percent = false;
    return true;
  }
  return false;
}

// Whether a length may be in em or ex (a string with an e): false for plain numbers and
// the pixel, point and percentage lengths of most pages.
bool MayBeFontRelative(const TPropValue& V) {
  return V.IsString() && V.AsString().find_first_of("eE") != std::string_view::npos;
}

// Row heights that take additions over ranges of rows and answer sums over ranges, each in
// logarithmic time, so that row spans over many rows stay cheap.
class TRangeSums {
 public:
  explicit TRangeSums(const std::vector<int>& Values)
      : FSize(Values.size()), FB1(FSize + 1, 0), FB2(FSize + 1, 0) {
    for (size_t I = 0; I < FSize; ++I) Add(I, I + 1, Values[I]);
  }
  // Adds V to the rows [L, R).
  void Add(size_t L, size_t R, int64_t V) {
    Update(FB1, L + 1, V);
    Update(FB1, R + 1, -V);
    Update(FB2, L + 1, V * int64_t(L));
    Update(FB2, R + 1, -V * int64_t(R));
  }
  // The sum over the rows [L, R).
  int64_t Sum(size_t L, size_t R) const { return Prefix(R) - Prefix(L); }

 private:
  void Update(std::vector<int64_t>& B, size_t I, int64_t V) {
    for (; I <= FSize; I += I & (~I + 1)) B[I] += V;
  }
  int64_t Query(const std::vector<int64_t>& B, size_t I) const {
    int64_t S = 0;
    for (; I > 0; I -= I & (~I + 1)) S += B[I];
    return S;
  }
  int64_t Prefix(size_t I) const { return Query(FB1, I) * int64_t(I) - Query(FB2, I); }
  size_t FSize;
  std::vector<int64_t> FB1, FB2;
};

// Above zero while cells are laid out only to learn their heights.
int TrialDepth = 0;

struct TTrialScope {
  TTrialScope() { ++TrialDepth; }
  ~TTrialScope() { --TrialDepth; }
  TTrialScope(const TTrialScope&) = delete;
  TTrialScope& operator=(const TTrialScope&) = delete;
};

bool InTrial() { return TrialDepth > 0; }

}  // namespace

// ---- cells and rows ----------------------------------------------------------------

TCellObj::TCellObj(TSectionList* Document, TVerticalAlign VAlign, const TTableTagValues& Values,
                   const TProperties& Prop)
    : FVAlign(VAlign), FCell(Document) {
  // Lengths in em and ex count in the cell's own font. Measuring it is a good part of making
  // a cell, and most cells give no such length: it is measured only when one may.
  // Only the padding is read unless the cell draws its own borders.
  FHasBorderStyle = Prop.HasBorderStyle();
  // Made once per thread rather than once per cell (22 values made and destroyed were a
  // good part of a plain cell): a plain cell writes and reads only its padding, a cell
  // with borders of its own the whole box.
  static thread_local TVMarginArray Box;
  if (FHasBorderStyle) {
    Prop.BoxValues(Box);
  } else {
    for (int I = piPaddingTop; I <= piPaddingLeft; ++I)
      Box[size_t(I - BoxFirst)].AssignFrom(Prop[I]);
  }
  std::string Image;
  const bool HasImage = Prop.BackgroundImageName(Image) && !Image.empty();
  bool Relative = FHasBorderStyle || HasImage || MayBeFontRelative(Prop[piWidth]) ||
                  MayBeFontRelative(Prop[piHeight]);
  for (int I = piPaddingTop; I <= piPaddingLeft; ++I)
    Relative = Relative || MayBeFontRelative(Box[size_t(I - BoxFirst)]);
  const int OwnEm = Relative ? Prop.OwnEmPixels() : 0;
  const int Em = OwnEm > 0 ? OwnEm : 16;
  const int Ex = OwnEm > 0 ? Prop.OwnExPixels() : 8;
  FCell.FOwnerElement = Prop.FTagName;
  if (const TColor C = Prop.BackgroundColorValue(); C != NoColour) {
    FCell.FHasBackColor = true;
    FCell.FBackColor = C;
  } else if (Values.HasBgColor) {
    FCell.FHasBackColor = true;
    FCell.FBackColor = Values.BgColor;
  }
  if (Values.ColSpan > 1) FColSpan = int16_t(std::min(Values.ColSpan, ThtmlTable::MaxColumns + 1));
  if (Values.RowSpan > 1) FRowSpan = Values.RowSpan;
  int W = 0;
  bool Pct = false;
  if (CssSize(Prop[piWidth], Em, Ex, W, Pct)) {
    FCellWantWidth = W;
    FCellWidthIsPercent = Pct;
  } else if (Values.Width > 0) {
    FCellWantWidth = Values.Width;
    FCellWidthIsPercent = Values.WidthIsPercent;
  }
  if (FCellWidthIsPercent && FCellWantWidth > 1000) FCellWantWidth = 1000;
  if (CssSize(Prop[piHeight], Em, Ex, W, Pct) && !Pct) FCellWantHeight = W;
  else if (Values.Height > 0 && !Values.HeightIsPercent) FCellWantHeight = Values.Height;
  if (TVerticalAlign Align = TVerticalAlign::Top; Prop.VerticalAlignment(Align)) {
    // The style's baseline sits at the top, as the attribute's does.
    FVAlign = Align == TVerticalAlign::Middle   ? TVerticalAlign::Middle
              : Align == TVerticalAlign::Bottom ? TVerticalAlign::Bottom
                                                : TVerticalAlign::Top;
  }
  TMarginArray Px{};
  CellPaddingToPixels(Box, Em, Ex, Px);
  for (int I = 0; I < 4; ++I) {
    const int P = Px[piPaddingTop + I - BoxFirst];
    FPadding[size_t(I)] = int16_t(P >= 0 ? std::min(P, 200) : -1);
  }
  if (FHasBorderStyle) {
    TMarginArray B{};
    int AutoCount = 0;
    BoxToPixels(Box, 0, 0, Em, Ex, AutoCount, B);
    for (int I = 0; I < 4; ++I)
      FBorderWidth[size_t(I)] = uint8_t(std::clamp(B[piBorderTopWidth + I - BoxFirst], 0, 100));
    TBorderColors Sides = BorderColorsOf(Prop[piBorderColor]);
    for (TColor& Side : Sides)
      if (Side == NoColour) Side = TColor(Prop[piColor].AsInteger());
    SetBorderColors(Sides);
  }
  bool Before = false, After = false, AvoidInside = false;
  Prop.PageBreakFlags(Before, After, AvoidInside);
  FBreakBefore = Before;
  FBreakAfter = After;
  FAvoidBreakInside = AvoidInside;
  if (HasImage) {
    TBackgroundPositions Pos{};
    Prop.BackgroundPlacement(Em, Ex, Pos);
    SetBackImage(Image, Pos);
  } else if (!Values.Background.empty()) {
    SetBackImage(Values.Background, TBackgroundPositions{});
  }
}

TCellObj::~TCellObj() {
  TSectionList* Doc = FCell.FDocument;
  if (FRare && FRare->Image && Doc && Doc->ImageCache)
    Doc->ImageCache->Release(ImageCacheKey(FRare->Name));
}

const std::string& TCellObj::BackImageName() const {
  static const std::string None;
  return FRare ? FRare->Name : None;
}

void TCellObj::SetBackImage(const std::string& Name, const TBackgroundPositions& Pos) {
  if (Name.empty()) return;
  if (!FRare) FRare = std::make_unique<TRareParts>();
  FRare->Name = Name;
  FRare->Pos = Pos;
}

void TCellObj::LoadBackImage() {
  TSectionList* Doc = FCell.FDocument;
  if (!FRare || FRare->Name.empty() || FRare->Loaded || !Doc || !Doc->ImagesOn) return;
  FRare->Loaded = true;
  Doc->Hooks.ResolveImageFile(FRare->Name);
  int Transparent = 0;
  TBitmap* Mask = nullptr;
  bool FromCache = false, Delayed = false;
  const TImageRef Image = Doc->FetchImage(FRare->Name, Transparent, Mask, FromCache, Delayed);
  // An animation or an image still on its way shows no background.
  if (Image.Bitmap && !Image.Bitmap->Empty()) {
    FRare->Image = Image.Bitmap;
    FRare->Mask = Mask;
  } else if (!Image.Empty() && Doc->ImageCache) {
    Doc->ImageCache->Release(ImageCacheKey(FRare->Name));
  }
}

TCellObj::TCellObj(TSectionList* Document, const TCellObj& Source)
    : FRowSpan(Source.FRowSpan),
      FCellWantHeight(Source.FCellWantHeight),
      FCellWantWidth(Source.FCellWantWidth),
      FBorderColor(Source.FBorderColor),
      FPadding(Source.FPadding),
      FBorderWidth(Source.FBorderWidth),
      FColSpan(Source.FColSpan),
      FCol(Source.FCol),
      FVAlign(Source.FVAlign),
      FCellWidthIsPercent(Source.FCellWidthIsPercent),
      FHasBorderStyle(Source.FHasBorderStyle),
      FBreakBefore(Source.FBreakBefore),
      FBreakAfter(Source.FBreakAfter),
      FAvoidBreakInside(Source.FAvoidBreakInside),
      FCell(Document, Source.FCell) {
  if (Document && Document->PrintColors) {
    FCell.FHasBackColor = Source.FCell.FHasBackColor;
    FCell.FBackColor = Source.FCell.FBackColor;
    if (Source.FRare) SetBackImage(Source.FRare->Name, Source.FRare->Pos);
  }
  if (Source.FRare && Source.FRare->HasSideColors) SetBorderColors(Source.FRare->SideColors);
}

TBorderColors TCellObj::BorderColors() const {
  if (FRare && FRare->HasSideColors) return FRare->SideColors;
  return {FBorderColor, FBorderColor, FBorderColor, FBorderColor};
}

void TCellObj::SetBorderColors(const TBorderColors& Sides) {
  FBorderColor = Sides[0];
  if (std::all_of(Sides.begin(), Sides.end(), [&](TColor C) { return C == Sides[0]; })) {
    if (FRare) FRare->HasSideColors = false;
    return;
  }
  if (!FRare) FRare = std::make_unique<TRareParts>();
  FRare->HasSideColors = true;
  FRare->SideColors = Sides;
}

TCellList::TCellList(const TTableTagValues& Values, const TProperties& Prop) {
  if (const TColor C = Prop.BackgroundColorValue(); C != NoColour) {
    FHasBackColor = true;
    FBackColor = C;
  } else if (Values.HasBgColor) {
    FHasBackColor = true;
    FBackColor = Values.BgColor;
  }
  if (Values.Height > 0 && !Values.HeightIsPercent) FAskedHeight = Values.Height;
  bool Before = false, After = false, AvoidInside = false;
  Prop.PageBreakFlags(Before, After, AvoidInside);
  FBreakBefore = Before;
  FBreakAfter = After;
  FAvoidBreakInside = AvoidInside;
  if (std::string Image; Prop.BackgroundImageName(Image) && !Image.empty()) {
    FBackImageURL = Image;
    const int Em = Prop.FEmPixels > 0 ? Prop.FEmPixels : 16;
    Prop.BackgroundPlacement(Em, Prop.FExPixels > 0 ? Prop.FExPixels : 8, FBackPos);
  } else {
    FBackImageURL = Values.Background;
  }
}

TCellList::TCellList(TSectionList* Document, const TCellList& Source)
    : FAskedHeight(Source.FAskedHeight),
      FBreakBefore(Source.FBreakBefore),
      FBreakAfter(Source.FBreakAfter),
      FAvoidBreakInside(Source.FAvoidBreakInside) {
  if (Document && Document->PrintColors) {
    FHasBackColor = Source.FHasBackColor;
    FBackColor = Source.FBackColor;
    FBackImageURL = Source.FBackImageURL;
    FBackPos = Source.FBackPos;
  }
  FCells.reserve(Source.FCells.size());
  for (const auto& C : Source.FCells) FCells.push_back(std::make_unique<TCellObj>(Document, *C));
}

void TCellList::Add(std::unique_ptr<TCellObj> Cell) {
  if (!Cell) return;
  Cell->FCellWantHeight = std::max(Cell->FCellWantHeight, FAskedHeight);
  FBreakBefore = FBreakBefore || Cell->FBreakBefore;
  FBreakAfter = FBreakAfter || Cell->FBreakAfter;
  FAvoidBreakInside = FAvoidBreakInside || Cell->FAvoidBreakInside;
  FCells.push_back(std::move(Cell));
}

// ---- the table ---------------------------------------------------------------------

ThtmlTable::ThtmlTable(TSectionList* Document, const TTableTagValues& Values,
                       TCellBasic* OwnerCell)
    : TSectionBase(Document), FOwnerCell(OwnerCell) {
  FBorder = Values.Border > 0;
  if (Values.CellPadding >= 0) FCellPadding = std::min(Values.CellPadding, 50);
  if (Values.CellSpacing >= 0) FCellSpacing = std::min(Values.CellSpacing, 40);
  FCellSpacingDown = Values.CellSpacingDown >= 0 ? std::min(Values.CellSpacingDown, 40)
                                                 : FCellSpacing;
  // The cells' raised borders stand in the spacing.
  if (FBorder) {
    FCellSpacing = std::max(1, FCellSpacing + 2);
    FCellSpacingDown = std::max(1, FCellSpacingDown + 2);
  }
  FHasBorderColor = Values.HasBorderColor;
  FBorderColor = Values.BorderColor;
  FLightGiven = Values.HasLightColor || FHasBorderColor;
  FDarkGiven = Values.HasDarkColor || FHasBorderColor;
  FLightColor = Values.HasLightColor    ? Values.LightColor
                : Values.HasBorderColor ? Values.BorderColor
                                        : GetSysColor(COLOR_BTNHIGHLIGHT);
  FDarkColor = Values.HasDarkColor     ? Values.DarkColor
               : Values.HasBorderColor ? Values.BorderColor
                                       : GetSysColor(COLOR_BTNSHADOW);
}

ThtmlTable::ThtmlTable(TSectionList* Document, const ThtmlTable& Source)
    : TSectionBase(Document, Source),
      FGridReady(Source.FGridReady),
      FTooManyColumns(Source.FTooManyColumns),
      FBorder(Source.FBorder),
      FCaptionTop(Source.FCaptionTop),
      FFloating(Source.FFloating),
      FColCount(Source.FColCount),
      FAskedWidth(Source.FAskedWidth),
      FAskedHeight(Source.FAskedHeight),
      FHasAbsWidthCell(Source.FHasAbsWidthCell),
      FCellPadding(Source.FCellPadding),
      FCellSpacing(Source.FCellSpacing),
      FCellSpacingDown(Source.FCellSpacingDown),
      FColWidths(Source.FColWidths),
      FColPercents(Source.FColPercents),
      FLightColor(Source.FLightColor),
      FDarkColor(Source.FDarkColor),
      FLightGiven(Source.FLightGiven),
      FDarkGiven(Source.FDarkGiven),
      FMaxRowSpan(Source.FMaxRowSpan) {
  const bool Colours = Document && Document->PrintColors;
  FHasBgColor = Colours && Source.FHasBgColor;
  FBgColor = Source.FBgColor;
  FHasBorderColor = Colours && Source.FHasBorderColor;
  FBorderColor = Source.FBorderColor;
  FRowList.reserve(Source.FRowList.size());
  for (const auto& R : Source.FRowList)
    FRowList.push_back(std::make_unique<TCellList>(Document, *R));
  if (Source.FCaption) FCaption = std::make_unique<TCellObj>(Document, *Source.FCaption);
}

ThtmlTable::~ThtmlTable() = default;

std::unique_ptr<TSectionBase> ThtmlTable::CreateClone(TSectionList* ADocument) const {
  return std::make_unique<ThtmlTable>(ADocument, *this);
}

void ThtmlTable::AddRow(std::unique_ptr<TCellList> Row) {
  if (!Row) return;
  FRowList.push_back(std::move(Row));
  FGridReady = false;
}

TCellObj& ThtmlTable::Caption() {
  if (!FCaption) {
    TTableTagValues None;
    TProperties Plain;
    FCaption = std::make_unique<TCellObj>(FDocument, TVerticalAlign::Top, None, Plain);
    FCaption->FCell.FOwnerElement = "caption";
  }
  return *FCaption;
}

// Gives every cell its column: a cell takes the first column at or after the previous
// cell's end that no row span from above covers. Row spans that run past the last row are
// cut to it. Costs one step per cell and per covered position, and stops as soon as a row
// is wider than the table may be.
bool ThtmlTable::PrepareGrid() {
  if (FGridReady) return !FTooManyColumns;
  FGridReady = true;
  FColumnSums.MeasuredIn = -1;
  FTooManyColumns = false;
  FHasAbsWidthCell = false;
  FMaxRowSpan = 1;
  FColCount = 0;
  const int Rows = RowCount();
  std::vector<int> Covered;  // per column: the first row that no span from above covers
  for (int I = 0; I < Rows; ++I) {
    TCellList& Row = *FRowList[size_t(I)];
    int Col = 0;
    for (auto& CellPtr : Row.FCells) {
      TCellObj& Cell = *CellPtr;
      if (!Cell.FCell.FHasBackColor && Row.FHasBackColor) {
        Cell.FCell.FHasBackColor = true;
        Cell.FCell.FBackColor = Row.FBackColor;
      }
      if (Cell.BackImageName().empty() && !Row.FBackImageURL.empty())
        Cell.SetBackImage(Row.FBackImageURL, Row.FBackPos);
      for (int16_t& P : Cell.FPadding)
        if (P < 0) P = int16_t(FCellPadding);
      if (Cell.FCellWantWidth > 0 && !Cell.FCellWidthIsPercent) FHasAbsWidthCell = true;
      while (Col < int(Covered.size()) && Covered[size_t(Col)] > I) ++Col;
      Cell.FCol = int16_t(Col);
      Cell.FRowSpan = std::clamp(Cell.FRowSpan, 1, Rows - I);
      FMaxRowSpan = std::max(FMaxRowSpan, Cell.FRowSpan);
      const int End = Col + Cell.FColSpan;
      if (End > MaxColumns) {
        FTooManyColumns = true;
        return false;
      }
      if (int(Covered.size()) < End) Covered.resize(size_t(End), 0);
      std::fill(Covered.begin() + Col, Covered.begin() + End, I + Cell.FRowSpan);
      Col = End;
    }
    FColCount = std::max(FColCount, int(Covered.size()));
  }
  // Placeholders of spans count as columns too.
  FColCount = std::max(FColCount, int(Covered.size()));
  if (FColCount > MaxColumns) {
    FTooManyColumns = true;
    return false;
  }
  FColWidths.assign(size_t(FColCount), 0);
  FColPercents.assign(size_t(FColCount), 0);
  return true;
}

// ---- layout ------------------------------------------------------------------------

int ThtmlTable::ContentWidth(const TCellObj& Cell) const {
  return std::max(0, Cell.FSpanWidth - Cell.HorzExtra() - FCellSpacing);
}

int ThtmlTable::KeptMark(const TCanvas* Canvas) {
  return Canvas && Canvas->FontPixelsPerInch > 0 ? -2 - Canvas->FontPixelsPerInch : -1;
}

void ThtmlTable::LayoutContent(TCanvas* Canvas, TCellObj& Cell, int Y, int Width, int& Curs) {
  int SW = 0;
  Cell.FContentHt = Cell.FCell.LayoutCell(Canvas, Y, Width, 0, SW, Curs);
  Cell.FLaidOutAtMark = KeptAt(Cell, Canvas);
}

void ThtmlTable::LayoutContentAgain(TCanvas* Canvas, TCellObj& Cell, bool SameWidth, int Y,
                                    int& Curs) {
  TCell& Content = Cell.FCell;
  if (!SameWidth || !Cell.FLaidOutAtMark || !KeptAt(Cell, Canvas) ||
      Content.FCellTop != Y || Content.FStartPos != Curs) {
    LayoutContent(Canvas, Cell, Y, ContentWidth(Cell), Curs);
    return;
  }
  // Printing lays a wide table out again at the page's width, where its cells often keep
  // their places: lines, heights and positions stand as they are.
  Curs += Content.FPosCount;
  if (FDocument && !FDocument->PrintsPages())  // pages report no progress
    for (int I = 0; I < Content.Count(); ++I)
      static_cast<TSection*>(Content.Items(I))->ReportProgress();
}

int ThtmlTable::Layout(TCanvas* Canvas, int X, int Y, int, int, int, int, IndentManager* IMgr,
                       int& MaxWidth, int& Curs) {
  FLayoutY = FBoxTop = FPaintTop = Y;
  FStartPos = Curs;
  if (!PrepareGrid())
    throw EProcessError("Table has too many Columns");
  // A list item's first line waits for a baseline: the table's bottom gives it.
  int* const Baseline = FDocument ? FDocument->FirstLineBaseline : nullptr;
  if (FDocument) FDocument->FirstLineBaseline = nullptr;
  int AW = IMgr ? IMgr->RightEdgeAt(Y) - IMgr->LeftEdgeAt(Y) : 0;
  const bool Fixed = FAskedWidth >= 1;
  if (Fixed) AW = FAskedWidth;
  AW = std::max(AW - FCellSpacing, 20);
  FBoxLeft = X;
  DistributeWidths(Canvas, AW, Fixed);
  FGridWidth = FCellSpacing + Sum(FColWidths);
  int CapMin = 0, CapMax = 0;
  if (FCaption) FCaption->FCell.MeasureWidths(Canvas, CapMin, CapMax);
  FCaptionMinWidth = CapMin;
  FFullWidth = std::max(FGridWidth, FCaptionMinWidth);

  const int Rows = RowCount();
  // Column starts, so that a cell's span width is one subtraction.
  std::vector<int>& ColX = FColX;
  ColX.assign(size_t(FColCount) + 1, 0);
  for (size_t C = 0; C < size_t(FColCount); ++C) ColX[C + 1] = ColX[C] + FColWidths[C];
  if (FMaxRowSpan == 1 && FAskedHeight <= 0 && !InTrial())
    return LayoutRowsOnce(Canvas, Y, MaxWidth, Curs, Baseline);
  std::vector<int> Heights(size_t(Rows), 0);
  std::vector<std::pair<int, TCellObj*>> Spanning;  // row, cell
  {
    // Layouts made only to measure heights; tables inside them measure and stop there.
    TTrialScope Trial;
    int TrialCurs = 0;
    for (int J = 0; J < Rows; ++J) {
      int Need = 0;
      for (auto& CellPtr : FRowList[size_t(J)]->FCells) {
        TCellObj& Cell = *CellPtr;
        Cell.FSpanWidth = ColX[size_t(Cell.FCol + Cell.FColSpan)] - ColX[size_t(Cell.FCol)];
        if (Cell.FRowSpan > 1) {
          Spanning.emplace_back(J, &Cell);
          continue;
        }
        TrialCurs = 0;
        LayoutContent(Canvas, Cell, 0, ContentWidth(Cell), TrialCurs);
        Need = std::max(Need, std::max(Cell.FContentHt + Cell.VertExtra(), Cell.FCellWantHeight));
      }
      const bool Empty = FRowList[size_t(J)]->FCells.empty();
      Heights[size_t(J)] = Need > 0 || !Empty ? Need + FCellSpacingDown : 0;
    }
    if (!Spanning.empty()) {
      std::stable_sort(Spanning.begin(), Spanning.end(), [](const auto& A, const auto& B) {
        return A.second->FRowSpan < B.second->FRowSpan;
      });
      TRangeSums Sums(Heights);
      for (auto& [J, CellP] : Spanning) {
        TCellObj& Cell = *CellP;
        TrialCurs = 0;
        LayoutContent(Canvas, Cell, 0, ContentWidth(Cell), TrialCurs);
        const int Need =
            std::max(Cell.FContentHt + Cell.VertExtra(), Cell.FCellWantHeight) + FCellSpacingDown;
        const int N = Cell.FRowSpan;
        const int64_t S = Sums.Sum(size_t(J), size_t(J + N));
        if (S < Need) {
          const int Each = int((Need - S) / N);
          Sums.Add(size_t(J), size_t(J + N), Each);
          Sums.Add(size_t(J + N - 1), size_t(J + N), int(Need - S) - Each * N);
        }
      }
      for (int J = 0; J < Rows; ++J)
        Heights[size_t(J)] = int(std::min<int64_t>(Sums.Sum(size_t(J), size_t(J) + 1), 1 << 28));
    }
  }
  if (InTrial()) {
    // Only the height matters to the layout this one is part of.
    FCaptionHeight = 0;
    if (FCaption) {
      int SW = 0, C = 0;
      FCaptionHeight = FCaption->FCell.LayoutCell(Canvas, Y, FFullWidth, 0, SW, C);
    }
    int64_t Grid = FCellSpacingDown;
    for (const int H : Heights) Grid += H;
    if (Rows > 0) Grid = std::max<int64_t>(Grid, FAskedHeight);
    FFlowHeight = int(std::min<int64_t>(FCaptionHeight + Grid, 1 << 28));
    FPosCount = 0;
    MaxWidth = FFullWidth;
    FPaintHeight = FFlowHeight;
    FBoxBottom = FPaintBottom = Y + FFlowHeight;
    return FFlowHeight;
  }

  int FlowY = Y;
  LayoutCaptionAbove(Canvas, FlowY, Curs);
  if (Rows > 0 && FAskedHeight > Sum(Heights) + FCellSpacingDown) {
    const int Extra = FAskedHeight - Sum(Heights) - FCellSpacingDown;
    const int Each = Extra / Rows;
    for (int J = 0; J < Rows - 1; ++J) Heights[size_t(J)] += Each;
    Heights[size_t(Rows - 1)] += Extra - Each * (Rows - 1);
  }
  std::vector<int> RowTop(size_t(Rows) + 1, FlowY);
  for (int J = 0; J < Rows; ++J) RowTop[size_t(J) + 1] = RowTop[size_t(J)] + Heights[size_t(J)];
  for (int J = 0; J < Rows; ++J) {
    TCellList& Row = *FRowList[size_t(J)];
    Row.FRowSize = Heights[size_t(J)];
    Row.FRowTop = RowTop[size_t(J)];
    Row.FStartPos = Curs;
    Row.FSpanSize = 0;
    for (auto& CellPtr : Row.FCells) {
      TCellObj& Cell = *CellPtr;
      Cell.FSpanHeight = RowTop[size_t(J + Cell.FRowSpan)] - RowTop[size_t(J)];
      Row.FSpanSize = std::max(Row.FSpanSize, Cell.FSpanHeight);
      Cell.FContentShift = ContentShift(Cell);
      LayoutContent(Canvas, Cell, ContentTop(Cell, RowTop[size_t(J)]), ContentWidth(Cell), Curs);
    }
  }
  return FinishLayout(Canvas, Y, RowTop[size_t(Rows)] + FCellSpacingDown, MaxWidth, Curs, Baseline);
}

// Starts the flow: a caption above the grid is laid out first and the rows go below it.
void ThtmlTable::LayoutCaptionAbove(TCanvas* Canvas, int& FlowY, int& Curs) {
  FFlowHeight = 0;
  FCaptionHeight = 0;
  if (!FCaption || !FCaptionTop) return;
  int SW = 0;
  FCaptionHeight = FCaption->FCell.LayoutCell(Canvas, FlowY, FFullWidth, 0, SW, Curs);
  FFlowHeight = FCaptionHeight;
  FlowY += FCaptionHeight;
}

int ThtmlTable::LayoutRowsOnce(TCanvas* Canvas, int Y, int& MaxWidth, int& Curs, int* Baseline) {
  const std::vector<int>& ColX = FColX;
  int FlowY = Y;
  LayoutCaptionAbove(Canvas, FlowY, Curs);
  for (auto& RowPtr : FRowList) {
    TCellList& Row = *RowPtr;
    Row.FRowTop = FlowY;
    Row.FStartPos = Curs;
    int Need = 0;
    for (auto& CellPtr : Row.FCells) {
      TCellObj& Cell = *CellPtr;
      const int SpanWidth = ColX[size_t(Cell.FCol + Cell.FColSpan)] - ColX[size_t(Cell.FCol)];
      const bool SameWidth = SpanWidth == Cell.FSpanWidth;
      Cell.FSpanWidth = SpanWidth;
      Cell.FContentShift = 0;
      LayoutContentAgain(Canvas, Cell, SameWidth, ContentTop(Cell, FlowY), Curs);
      Need = std::max(Need, std::max(Cell.FContentHt + Cell.VertExtra(), Cell.FCellWantHeight));
    }
    const int Height = Need > 0 || !Row.FCells.empty() ? Need + FCellSpacingDown : 0;
    Row.FRowSize = Row.FSpanSize = Height;
    for (auto& CellPtr : Row.FCells) {
      TCellObj& Cell = *CellPtr;
      Cell.FSpanHeight = Height;
      const int Shift = ContentShift(Cell);
      if (Shift == Cell.FContentShift) continue;
      // Only a cell lower in its row than the top is laid out again, where it goes.
      Cell.FContentShift = Shift;
      int Pos = Cell.FCell.FStartPos;
      LayoutContent(Canvas, Cell, ContentTop(Cell, FlowY), ContentWidth(Cell), Pos);
    }
    FlowY += Height;
  }
  return FinishLayout(Canvas, Y, FlowY + FCellSpacingDown, MaxWidth, Curs, Baseline);
}

int ThtmlTable::ContentTop(const TCellObj& Cell, int RowTop) const {
  return RowTop + FCellSpacingDown + Cell.FPadding[0] + Cell.FBorderWidth[0] + Cell.FContentShift;
}

int ThtmlTable::ContentShift(const TCellObj& Cell) const {
  const int Free = Cell.FSpanHeight - Cell.FContentHt - FCellSpacingDown - Cell.VertExtra();
  switch (Cell.FVAlign) {
    case TVerticalAlign::Middle: return std::max(0, Free / 2);
    case TVerticalAlign::Bottom:
    case TVerticalAlign::Baseline: return std::max(0, Free);
    default: return 0;
  }
  return 0;
}

int ThtmlTable::FinishLayout(TCanvas* Canvas, int Y, int GridBottom, int& MaxWidth, int& Curs,
                             int* Baseline) {
  int FlowY = GridBottom;
  FBodyHeight = FlowY - (Y + FCaptionHeight);
  FFlowHeight += FBodyHeight;
  if (FCaption && !FCaptionTop) {
    int SW = 0;
    FCaptionHeight = FCaption->FCell.LayoutCell(Canvas, FlowY, FFullWidth, 0, SW, Curs);
    FFlowHeight += FCaptionHeight;
  }
  FGridOffset = FFullWidth > FGridWidth ? (FFullWidth - FGridWidth) / 2 : 0;
  FPosCount = Curs - FStartPos;
  MaxWidth = FFullWidth;
  FPaintHeight = FFlowHeight;
  FBoxBottom = FPaintBottom = Y + FFlowHeight;
  if (Baseline) {
    *Baseline = FBoxBottom;
    if (FDocument) FDocument->FirstLineBaseline = nullptr;
  }
  return FFlowHeight;
}
