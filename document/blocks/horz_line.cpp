#include "document/blocks/horz_line.h"

#include <algorithm>

#include "document/core/indent_manager.h"
#include "document/core/section_list.h"
#include "document/core/sel_text.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window_metrics.h"

THorzLine::THorzLine(TSectionList* ADocument, int Thickness, TColor Color, TTextAlign Align,
                     bool NoShade)
    : TSectionBase(ADocument),
      FLineHeight(Thickness),
      FLineColor(Color),
      FLineAlign(Align),
      FNoShade(NoShade) {}

std::unique_ptr<TSectionBase> THorzLine::CreateClone(TSectionList* ADocument) const {
  auto copy = std::make_unique<THorzLine>(ADocument, FLineHeight, FLineColor, FLineAlign, FNoShade);
  copy->FFlowHeight = FFlowHeight;
  copy->FStackLevel = FStackLevel;
  return copy;
}

int THorzLine::Layout(TCanvas*, int X, int Y, int, int, int AWidth, int, IndentManager* IMgr,
                      int& MaxWidth, int& Curs) {
  FLayoutY = FBoxTop = FPaintTop = Y;
  FStartPos = Curs;
  FPosCount = 0;
  const int left = IMgr ? std::max(X, IMgr->LeftEdgeAt(Y)) : X;
  const int right = IMgr ? std::min(X + AWidth, IMgr->RightEdgeAt(Y)) : X + AWidth;
  FLineLeft = left - X;
  FLineWidth = std::max(0, right - left);
  MaxWidth = FLineWidth;
  FFlowHeight = FPaintHeight = FLineHeight;
  FBoxBottom = FPaintBottom = Y + FLineHeight;
  return FLineHeight;
}

int THorzLine::Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager*, int X, int, int) {
  const int result = FLayoutY + FFlowHeight;
  if (!Canvas || !FDocument || FLineWidth <= 0) return result;
  const int y = FLayoutY - Context.ScrollY;
  if (y + FLineHeight <= Context.Band.Top || y >= Context.Band.Bottom) return result;
  if (Context.ForPrinter && FLayoutY >= Context.PageLimit) return result;
  const int x0 = X + FLineLeft, x1 = x0 + FLineWidth - 1;
  if (FLineColor != NoColour) {
    Canvas->FillRect(TRect{x0, y, x1 + 1, y + FLineHeight}, FLineColor);
    return result;
  }
  // A sunken outline: shadow on the top and left, light on the bottom and right.
  const bool mono = Canvas->IsMonochrome();
  const bool white = (FDocument->PageColor & 0xFFFFFF) == 0xFFFFFF;
  const TColor dark = FNoShade || mono ? clBlack : GetSysColor(COLOR_BTNSHADOW);
  const TColor light = FNoShade || mono                 ? clBlack
                       : Context.ForPrinter || white    ? TColor(0xC0C0C0)
                                                        : GetSysColor(COLOR_BTNHIGHLIGHT);
  const int bottom = y + FLineHeight - 1;
  const TPen savedPen = Canvas->Pen;
  Canvas->Pen = TPen{dark, 1, psSolid};
  Canvas->Outline3D(x0, y, x1, bottom, dark, light);
  Canvas->Pen = savedPen;
  return result;
}

void THorzLine::CopySelection() {
  if (FDocument && FDocument->SelectionBuffer) FDocument->SelectionBuffer->AddTextCR("", 0);
}

THRBlock::THRBlock(TSectionList* ADocument, TCellBasic* AOwnerCell, const TProperties& Prop,
                   std::unique_ptr<THorzLine> Line)
    : TBlock(ADocument, nullptr, AOwnerCell, Prop), FLine(Line.get()) {
  MyCell.Add(std::move(Line));
}

THRBlock::THRBlock(TSectionList* ADocument, const THRBlock& Source)
    : TBlock(ADocument, Source), FLine(static_cast<THorzLine*>(MyCell.Items(0))) {}

std::unique_ptr<TSectionBase> THRBlock::CreateClone(TSectionList* ADocument) const {
  return std::make_unique<THRBlock>(ADocument, *this);
}

int THRBlock::ComputeContentWidth(TCanvas*, int AWidth) {
  auto px = [&](int Index) { return MargArray[Index - BoxFirst]; };
  int& leftMargin = MargArray[piMarginLeft - BoxFirst];
  int& rightMargin = MargArray[piMarginRight - BoxFirst];
  if (leftMargin == AutoValue) leftMargin = 0;
  if (rightMargin == AutoValue) rightMargin = 0;
  const int l = leftMargin + px(piPaddingLeft) + px(piBorderLeftWidth);
  const int r = rightMargin + px(piPaddingRight) + px(piBorderRightWidth);
  const int w = px(piWidth);
  const int width = w < 1 ? std::max(15, AWidth - l - r) : std::min(w, AWidth - l - r);
  const int spare = AWidth - (width + l + r);
  const TTextAlign align = FLine->FLineAlign;
  if (align != TTextAlign::Left && spare > 0)
    leftMargin += align == TTextAlign::Right ? spare : spare / 2;
  if (!FDocument->PrintsPages()) FLine->FLineHeight = std::max(1, px(piHeight));
  return width;
}

std::unique_ptr<TSectionBase> TPage::CreateClone(TSectionList* ADocument) const {
  return std::make_unique<TPage>(ADocument, *this);
}

int TPage::Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
                int YRef) {
  const int result = TSectionBase::Draw(Canvas, Context, IMgr, X, XRef, YRef);
  if (!Context.ForPrinter) return result;
  // A break at the very top of the page would leave that page empty.
  const int y = FLayoutY - Context.ScrollY;
  if (y > Context.Band.Top + 5 && y < Context.Band.Bottom && FLayoutY < Context.PageLimit)
    Context.PageLimit = FLayoutY;
  return result;
}
