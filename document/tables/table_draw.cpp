// Tables: drawing with three-dimensional borders, page breaks between rows, hit tests and
// the text operations that walk the cells in reading order.
#include <algorithm>
#include <memory>

#include "document/core/indent_manager.h"
#include "document/core/outline_colours.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/tables/table.h"
#include "style/units.h"
#include "toolkit/graphics/screen.h"

void ThtmlTable::RowsMeeting(int Top, int Bottom, int& First, int& Last) const {
  const int Rows = RowCount();
  // Row tops grow with the index: the first row ending below Top, less the rows whose
  // spans may reach down into the band.
  int Lo = 0, Hi = Rows;
  while (Lo < Hi) {
    const int Mid = (Lo + Hi) / 2;
    const TCellList& R = *FRowList[size_t(Mid)];
    if (R.FRowTop + R.FRowSize <= Top) Lo = Mid + 1;
    else Hi = Mid;
  }
  First = std::max(0, Lo - (FMaxRowSpan - 1));
  Lo = First;
  Hi = Rows;
  while (Lo < Hi) {
    const int Mid = (Lo + Hi) / 2;
    if (FRowList[size_t(Mid)]->FRowTop < Bottom) Lo = Mid + 1;
    else Hi = Mid;
  }
  Last = Lo;
}

TCellObj* ThtmlTable::CellCovering(int Row, int& Col) const {
  for (int R = Row; R >= 0 && R > Row - FMaxRowSpan; --R)
    for (const auto& Cell : FRowList[size_t(R)]->FCells)
      if (R + Cell->FRowSpan > Row && Cell->FCol <= Col && Col < Cell->FCol + Cell->FColSpan) {
        Col = Cell->FCol;
        return Cell.get();
      }
  return nullptr;
}

int ThtmlTable::ColumnAt(int X) const {
  if (X < FDrawX || X >= FDrawX + FGridWidth || FColX.size() != size_t(FColCount) + 1) return -1;
  const auto It = std::upper_bound(FColX.begin(), FColX.end(), X - FDrawX);
  const int Col = int(It - FColX.begin()) - 1;
  return Col >= 0 && Col < FColCount ? Col : -1;
}

int ThtmlTable::RowOfPosition(int Pos) const {
  const int Rows = RowCount();
  if (Rows == 0) return -1;
  int Lo = 0, Hi = Rows;
  while (Lo < Hi) {
    const int Mid = (Lo + Hi) / 2;
    if (FRowList[size_t(Mid)]->FStartPos <= Pos) Lo = Mid + 1;
    else Hi = Mid;
  }
  return Lo - 1;
}

template <typename Fn>
bool ThtmlTable::ForEachCellInOrder(Fn&& F) {
  if (FCaption && FCaptionTop && F(FCaption->FCell)) return true;
  for (auto& Row : FRowList)
    for (auto& Cell : Row->FCells)
      if (F(Cell->FCell)) return true;
  return FCaption && !FCaptionTop && F(FCaption->FCell);
}

// ---- drawing -----------------------------------------------------------------------

// A one-pixel outline: raised has light top and left sides and dark bottom and right ones,
// sunken the other way round.
void ThtmlTable::RaisedOrSunken(TCanvas* Canvas, const TPaintContext& Context, int Left, int Top,
                                int Right, int Bottom, bool Raised) {
  Top = std::max(Top, -200);
  Bottom = std::min(Bottom, 5000);
  const auto [Light, Dark] =
      OutlineColours(*Canvas, Context, FDocument, FLightColor, FLightGiven, FDarkColor);
  const TColor TopLeft = (Raised ? Light : Dark) | PaletteRelativeFlag;
  const TColor BottomRight = (Raised ? Dark : Light) | PaletteRelativeFlag;
  const TPen Saved = Canvas->Pen;
  Canvas->Pen = TPen{TopLeft, 1, psSolid};
  Canvas->Outline3D(Left, Top, Right, Bottom, TopLeft, BottomRight);
  // The path leaves its starting corner out.
  Canvas->SetPixel(Left, Bottom, BottomRight);
  Canvas->Pen = Saved;
}

void ThtmlTable::DrawCaption(TCanvas* Canvas, TPaintContext& Context, int X) {
  TCell& C = FCaption->FCell;
  if (C.FFloats) C.FFloats->SetEdges(X, X + FFullWidth);
  C.Draw(Canvas, Context, FFullWidth, X, C.FCellTop, 1000, 1000);
}

void ThtmlTable::DrawCell(TCanvas* Canvas, TPaintContext& Context, TCellObj& Cell, int CX, int Y) {
  const TRect& ARect = Context.Band;
  const int ScrollY = Context.ScrollY;
  const TRect Border{CX + FCellSpacing, Y + FCellSpacingDown - ScrollY, CX + Cell.FSpanWidth,
                     Y + Cell.FSpanHeight - ScrollY};
  const TRect Padding{Border.Left + Cell.FBorderWidth[3], Border.Top + Cell.FBorderWidth[0],
                      Border.Right - Cell.FBorderWidth[1], Border.Bottom - Cell.FBorderWidth[2]};
  const bool Colours = !Context.ForPrinter || Context.PrintColors;
  if (Canvas && Cell.FCell.FHasBackColor && Colours) {
    TRect R = Padding;
    R.Top = std::max(R.Top, ARect.Top - 2);
    R.Bottom = std::min(R.Bottom, ARect.Bottom + 2);
    if (R.Top < R.Bottom && R.Left < R.Right)
      Canvas->FillRect(R, Cell.FCell.FBackColor | PaletteRelativeFlag);
  }
  if (Canvas && Cell.FRare && Colours && FDocument && FDocument->ImagesOn) {
    Cell.LoadBackImage();
    if (Cell.FRare->Image)
      TileBackground(Canvas, Cell.FRare->Image, Cell.FRare->Mask, Cell.FRare->Pos, Padding, ARect);
  }
  const int ContentX = CX + FCellSpacing + Cell.FPadding[3] + Cell.FBorderWidth[3];
  const int Width = std::max(0, Cell.FSpanWidth - Cell.HorzExtra() - FCellSpacing);
  if (Cell.FCell.FFloats) Cell.FCell.FFloats->SetEdges(ContentX, ContentX + Width);
  Cell.FCell.Draw(Canvas, Context, Width, ContentX, Y, 1000, 1000);
  if (!Canvas) return;
  if (Cell.FHasBorderStyle) {
    const TBorderColors Sides = Cell.BorderColors();
    auto C = [&](int Side) {
      const TColor Given = Sides[size_t(Side)];
      return (Given == NoColour ? clBlack : Given) | PaletteRelativeFlag;
    };
    Canvas->FillRect(TRect{Border.Left, Border.Top, Border.Right, Padding.Top}, C(0));
    Canvas->FillRect(TRect{Border.Left, Padding.Bottom, Border.Right, Border.Bottom}, C(2));
    Canvas->FillRect(TRect{Border.Left, Padding.Top, Padding.Left, Padding.Bottom}, C(3));
    Canvas->FillRect(TRect{Padding.Right, Padding.Top, Border.Right, Padding.Bottom}, C(1));
  } else if (FBorder && Cell.FCell.Count() > 0) {
    RaisedOrSunken(Canvas, Context, Border.Left - 1, Border.Top - 1, Border.Right, Border.Bottom,
                   false);
  }
}

int ThtmlTable::DrawRow(TCanvas* Canvas, TPaintContext& Context, int RowIndex, int TX, int Y,
                        TCanvas* Blank) {
  TCellList& Row = *FRowList[size_t(RowIndex)];
  const TRect& ARect = Context.Band;
  const int ScrollY = Context.ScrollY;
  const int Result = Y + Row.FRowSize;
  if (Context.ForPrinter) {
    int& Limit = Context.PageLimit;
    const int M = FCellSpacingDown / 2;
    const int BandTop = ARect.Top + ScrollY, Band = ARect.Bottom - ARect.Top;
    if (Row.FBreakBefore && Y > BandTop) {
      Limit = std::min(Limit, Y + M);
      Context.PageCut = true;
      return Result;
    }
    if (Row.FAvoidBreakInside && Y > BandTop &&
        ((Limit < Y + Row.FSpanSize && Row.FSpanSize < Band) ||
         (Limit < Y + Row.FRowSize && Row.FRowSize < Band))) {
      Limit = std::min(Limit, Y + M);
      Context.PageCut = true;
      return Result;
    }
    if (Row.FBreakAfter && Result > BandTop && Result + M < Limit) {
      Limit = Result + M;
      Context.PageCut = true;
    }
    if (Y > BandTop + Band * 2 / 3 && Limit < Y + Row.FSpanSize && Row.FSpanSize < Band) {
      Limit = std::min(Limit, FBorder ? Y + M : Y);
      Context.PageCut = true;
      return Result;
    }
    if (Y >= Limit) return Result;
  }
  if (Y + Row.FSpanSize - ScrollY <= ARect.Top || Y - ScrollY >= ARect.Bottom) return Result;
  for (auto& Cell : Row.FCells) {
    const int CX = TX + FColX[size_t(Cell->FCol)];
    TCanvas* Target = Blank && PastBandRight(Canvas, Context, *Cell, CX) ? Blank : Canvas;
    DrawCell(Target, Context, *Cell, CX, Y);
  }
  return Result;
}

bool ThtmlTable::PastBandRight(const TCanvas* Canvas, const TPaintContext& Context,
                               const TCellObj& Cell, int CX) const {
  // Only text: the page drops glyphs it clips, but keeps the fills of borders and
  // backgrounds however far off the page they are.
  const int Left = CX + FCellSpacing;
  if (Left < Context.Band.Right || !KeptAt(Cell, Canvas) || FBorder ||
      Cell.FHasBorderStyle || Cell.FCell.FHasBackColor || Cell.FRare)
    return false;
  // Lines start at their indent from the content's left, and glyphs lean back less than
  // their line's height.
  int Reach = Left;
  for (int I = 0; I < Cell.FCell.Count(); ++I)
    for (const LineRec& Line : static_cast<const TSection*>(Cell.FCell.Items(I))->FLines)
      Reach = std::min(Reach, Left + std::min(Line.Indent, 0) - Line.PaintHeight);
  return Reach > Context.Band.Right + 2;
}

// The spacing between the cells, and grid positions that no cell covers, take the border
// colour. Walks the rows of the band keeping which cell covers each column, so that spans
// keep their insides.
void ThtmlTable::FillSpacing(TCanvas* Canvas, const TPaintContext& Context, int TX, int ClientTop,
                             int GridBottom) {
  const TRect& ARect = Context.Band;
  const int ScrollY = Context.ScrollY;
  const int Top = std::max(ARect.Top - 1, ClientTop), Bottom = std::min(ARect.Bottom, GridBottom);
  if (Top >= Bottom || FColX.size() != size_t(FColCount) + 1) return;
  const TColor Color = FBorderColor | PaletteRelativeFlag;
  auto Fill = [&](int L, int T, int R, int B) {
    T = std::max(T, Top);
    B = std::min(B, Bottom);
    if (L < R && T < B) Canvas->FillRect(TRect{L, T, R, B}, Color);
  };
  const size_t Cols = size_t(FColCount);
  const int S = FCellSpacing, SD = FCellSpacingDown;
  std::vector<const TCellObj*> Above(Cols, nullptr), Here(Cols, nullptr);
  std::vector<int> EndRow(Cols, 0);
  int First = 0, Last = 0;
  RowsMeeting(ARect.Top + ScrollY, ARect.Bottom + ScrollY, First, Last);
  for (int R = First; R < Last; ++R) {
    const TCellList& Row = *FRowList[size_t(R)];
    for (size_t C = 0; C < Cols; ++C) Here[C] = EndRow[C] > R ? Above[C] : nullptr;
    for (const auto& Cell : Row.FCells)
      for (int C = Cell->FCol; C < Cell->FCol + Cell->FColSpan; ++C) {
        Here[size_t(C)] = Cell.get();
        EndRow[size_t(C)] = R + Cell->FRowSpan;
      }
    const int RowTop = Row.FRowTop - ScrollY, RowBottom = RowTop + Row.FRowSize;
    for (size_t C = 0; C <= Cols; ++C) {
      const int X = TX + FColX[C];
      if (C < Cols && !Here[C]) Fill(X, RowTop, TX + FColX[C + 1] + S, RowBottom + SD);
      if (C == 0 || C == Cols || Here[C - 1] != Here[C] || !Here[C])
        Fill(X, RowTop, X + S, RowBottom + SD);
      if (C < Cols && (R == First || Here[C] != Above[C] || !Here[C]))
        Fill(X, RowTop, TX + FColX[C + 1] + S, RowTop + SD);
    }
    std::swap(Above, Here);
  }
  if (Last == RowCount() && Last > 0) Fill(TX, GridBottom - SD, TX + FGridWidth, GridBottom);
}

int ThtmlTable::Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager*, int X, int, int) {
  const int Result = FLayoutY + FFlowHeight;
  const TRect& ARect = Context.Band;
  const int ScrollY = Context.ScrollY;
  int Y = FLayoutY;
  if (FColX.size() != size_t(FColCount) + 1) return Result;  // not laid out
  const int TX = X + FGridOffset;
  FDrawX = TX;
  if (Context.ForPrinter) {
    const int BandTop = ARect.Top + ScrollY, Band = ARect.Bottom - ARect.Top;
    if (Y > BandTop + Band * 2 / 3 && Y + FPaintHeight > Context.PageLimit && FPaintHeight < Band) {
      Context.PageLimit = std::min(Context.PageLimit, Y);
      return Result;
    }
    if (Y >= Context.PageLimit) return Result;
  }
  if (Y + FFlowHeight - ScrollY <= ARect.Top || Y - ScrollY >= ARect.Bottom) return Result;
  if (FCaption && FCaptionTop) {
    DrawCaption(Canvas, Context, X);
    Y += FCaptionHeight;
  }
  const int ClientTop = Y - ScrollY;
  const int GridBottom = ClientTop + FBodyHeight;
  if (Canvas && FHasBorderColor && (FCellSpacing > 0 || FCellSpacingDown > 0))
    FillSpacing(Canvas, Context, TX, ClientTop, GridBottom);
  int First = 0, Last = 0;
  RowsMeeting(ARect.Top + ScrollY, ARect.Bottom + ScrollY, First, Last);
  // A printed table wider than the page draws the cells past its right edge on a canvas
  // that draws nothing (the page would clip all of them); they still paginate.
  std::unique_ptr<TCanvas> Blank;
  if (Canvas && Context.ForPrinter && TX + FGridWidth > ARect.Right) {
    Blank = std::make_unique<TCanvas>();
    Blank->Caps = Canvas->Caps;
    Blank->FontPixelsPerInch = Canvas->FontPixelsPerInch;
  }
  for (int R = First; R < Last; ++R)
    DrawRow(Canvas, Context, R, TX, FRowList[size_t(R)]->FRowTop, Blank.get());
  if (Canvas && FBorder)
    RaisedOrSunken(Canvas, Context, TX, ClientTop, TX + FGridWidth - 1, GridBottom - 1, true);
  if (FCaption && !FCaptionTop) DrawCaption(Canvas, Context, X);
  return Result;
}

// ---- hit tests ---------------------------------------------------------------------

unsigned ThtmlTable::HitTestLink(TCanvas* Canvas, int X, int Y,
                                 std::unique_ptr<TUrlTarget>& UrlTarget,
                                 TDocControl*& FormControl, std::string& Title) {
  UrlTarget.reset();
  FormControl = nullptr;
  if (Y < FBoxTop || Y >= FBoxBottom) return 0;
  if (CaptionAt(Y)) {
    const int Left = FDrawX - FGridOffset;
    if (X < Left || X >= Left + FFullWidth) return 0;
    return FCaption->FCell.HitTestLink(Canvas, X, Y, UrlTarget, FormControl, Title);
  }
  TCellObj* Cell = CellAtPoint(X, Y);
  return Cell ? Cell->FCell.HitTestLink(Canvas, X, Y, UrlTarget, FormControl, Title) : 0;
}

bool ThtmlTable::HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY) {
  Obj = nullptr;
  if (Y < FBoxTop || Y >= FBoxBottom) return false;
  if (FCaption && FCaption->FCell.HitTestObject(X, Y, Obj, IX, IY)) return true;
  int First = 0, Last = 0;
  RowsMeeting(Y, Y + 1, First, Last);
  for (int R = First; R < Last; ++R)
    for (auto& Cell : FRowList[size_t(R)]->FCells)
      if (Cell->FCell.HitTestObject(X, Y, Obj, IX, IY)) return true;
  return false;
}

int ThtmlTable::PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                                bool& InText) {
  if (Y < FBoxTop || Y >= FBoxBottom) return -1;
  if (CaptionAt(Y)) return FCaption->FCell.PositionAtPoint(Canvas, X, Y, XR, YR, CaretHt, InText);
  TCellObj* Cell = CellAtPoint(X, Y);
  return Cell ? Cell->FCell.PositionAtPoint(Canvas, X, Y, XR, YR, CaretHt, InText) : -1;
}

bool ThtmlTable::CaptionAt(int Y) const {
  return FCaption && (FCaptionTop ? Y < FBoxTop + FCaptionHeight : Y >= FBoxTop + FBodyHeight);
}

TCellObj* ThtmlTable::CellAtPoint(int X, int Y) const {
  const int Col = ColumnAt(X);
  if (Col < 0) return nullptr;
  int First = 0, Last = 0;
  RowsMeeting(Y, Y + 1, First, Last);
  for (int R = Last - 1; R >= First; --R) {
    if (FRowList[size_t(R)]->FRowTop > Y) continue;
    int C = Col;
    return CellCovering(R, C);
  }
  return nullptr;
}

// ---- text --------------------------------------------------------------------------

int ThtmlTable::FindText(std::string_view ToFind, int From, bool MatchCase) {
  int Result = -1;
  ForEachCellInOrder([&](TCell& C) {
    if (C.FStartPos + C.FPosCount < From) return false;
    Result = C.FindText(ToFind, From, MatchCase);
    return Result >= 0;
  });
  return Result;
}

int ThtmlTable::DocToSourcePos(int DocPos) {
  if (DocPos < FStartPos || DocPos > FStartPos + FPosCount) return -1;
  if (FCaption) {
    const int P = FCaption->FCell.DocToSourcePos(DocPos);
    if (P >= 0) return P;
  }
  const int Row = RowOfPosition(DocPos);
  for (int R = std::max(0, Row - 1); R >= 0 && R < RowCount() && R <= Row + 1; ++R)
    for (auto& Cell : FRowList[size_t(R)]->FCells) {
      const int P = Cell->FCell.DocToSourcePos(DocPos);
      if (P >= 0) return P;
    }
  return -1;
}

int ThtmlTable::SourceToDocPos(int SourcePos, bool Prev) {
  if (!Prev) {
    if (FCaption) {
      const int P = FCaption->FCell.SourceToDocPos(SourcePos, false);
      if (P >= 0) return P;
    }
    for (auto& Row : FRowList)
      for (auto& Cell : Row->FCells) {
        const int P = Cell->FCell.SourceToDocPos(SourcePos, false);
        if (P >= 0) return P;
      }
    return -1;
  }
  for (int R = RowCount() - 1; R >= 0; --R) {
    auto& Cells = FRowList[size_t(R)]->FCells;
    for (int I = int(Cells.size()) - 1; I >= 0; --I) {
      const int P = Cells[size_t(I)]->FCell.SourceToDocPos(SourcePos, true);
      if (P >= 0) return P;
    }
  }
  return FCaption ? FCaption->FCell.SourceToDocPos(SourcePos, true) : -1;
}

bool ThtmlTable::PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y) {
  if (Pos < FStartPos || Pos > FStartPos + FPosCount) return false;
  if (FCaption && FCaption->FCell.PositionToPoint(Canvas, Pos, X, Y)) return true;
  const int Row = RowOfPosition(Pos);
  for (int R = std::max(0, Row - 1); R >= 0 && R < RowCount() && R <= Row + 1; ++R)
    for (auto& Cell : FRowList[size_t(R)]->FCells)
      if (Cell->FCell.PositionToPoint(Canvas, Pos, X, Y)) return true;
  return false;
}

bool ThtmlTable::CharAtPosition(int Pos, char& Ch, TObject*& Obj) {
  if (Pos < FStartPos || Pos >= FStartPos + FPosCount) return false;
  if (FCaption && FCaption->FCell.CharAtPosition(Pos, Ch, Obj)) return true;
  const int Row = RowOfPosition(Pos);
  for (int R = std::max(0, Row - 1); R >= 0 && R < RowCount() && R <= Row + 1; ++R)
    for (auto& Cell : FRowList[size_t(R)]->FCells)
      if (Cell->FCell.CharAtPosition(Pos, Ch, Obj)) return true;
  return false;
}

void ThtmlTable::CopySelection() {
  if (!FDocument || FDocument->SelStart >= FDocument->SelEnd) return;
  const int SelStart = FDocument->SelStart, SelEnd = FDocument->SelEnd;
  ForEachCellInOrder([&](TCell& C) {
    if (C.FStartPos >= SelEnd) return false;
    if (C.FStartPos + C.FPosCount > SelStart) C.CopySelection();
    return false;
  });
}
