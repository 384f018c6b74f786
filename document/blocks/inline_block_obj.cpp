#include "document/blocks/inline_block_obj.h"

#include <algorithm>

#include "document/core/indent_manager.h"

TInlineBlockObj::TInlineBlockObj(TSectionList* ADocument) : FCell(ADocument) {}

TInlineBlockObj::TInlineBlockObj(TSectionList* ADocument, const TInlineBlockObj& Source)
    : FCell(ADocument, Source.FCell) {}

TBlock* TInlineBlockObj::Block() const {
  return FCell.Count() > 0 ? dynamic_cast<TBlock*>(FCell.Items(0)) : nullptr;
}

std::unique_ptr<TInlineObject> TInlineBlockObj::Clone(TSectionList* ADocument) const {
  return std::make_unique<TInlineBlockObj>(ADocument, *this);
}

int LastBaseline(const TCellBasic& Cell) {
  for (int i = Cell.Count() - 1; i >= 0; --i) {
    TSectionBase* s = Cell.Items(i);
    if (s->IsFloating() || s->IsAbsolutelyPositioned()) continue;
    if (auto* block = dynamic_cast<TBlock*>(s)) {
      if (block->FNotDisplayed) continue;
      const int found = LastBaseline(block->MyCell);
      if (found != NotLaidOutY) return found + (block->FPositioning == TPositionKind::Relative
                                                    ? block->FPosTop
                                                    : 0);
      continue;
    }
    auto* text = dynamic_cast<TSection*>(s);
    if (!text || text->FLines.empty()) continue;
    int top = text->FLayoutY, found = NotLaidOutY;
    for (const LineRec& line : text->FLines) {
      if (line.CharCount > 0) found = top + line.GapAbove + line.TextHeight - line.BaseDescent;
      top += line.Advance();
    }
    if (found != NotLaidOutY) return found;
  }
  return NotLaidOutY;
}

void TInlineBlockObj::LayOutAt(TCanvas* Canvas, int Width, int Y) {
  TBlock* block = Block();
  if (!block) {
    FWidth = FHeight = FRaise = 0;
    return;
  }
  int scrollWidth = 0, curs = FirstPosition;
  FHeight = std::max(0, FCell.LayoutCell(Canvas, Y, std::max(Width, 1), 0, scrollWidth, curs));
  FWidth = std::max(0, block->MarginBoxWidth());
  FAvailWidth = Width;
  FTop = Y;
  // Without a line inside, the bottom of the margin box stands on the baseline.
  const int baseline = LastBaseline(block->MyCell);
  FRaise = baseline == NotLaidOutY ? 0 : baseline - (Y + FHeight);
}

void TInlineBlockObj::LayOutContent(TCanvas* Canvas, int Width, int Y) {
  TBlock* block = Block();
  if (Width > 0 || !block) {
    LayOutAt(Canvas, Width, Y);
    return;
  }
  // Measuring: as wide as the content wants.
  int least = 0, most = 0;
  block->MeasureWidths(Canvas, least, most);
  FWidth = std::max(least, most);
}

void TInlineBlockObj::Draw(TCanvas* Canvas, const TPaintContext& Context, int X, int,
                           int Baseline) {
  // The line placed the box after its content was laid out: it is laid out again where it
  // stands, once.
  const int top = Baseline - FHeight + Context.ScrollY;
  if (top != FTop && Canvas) LayOutAt(Canvas, FAvailWidth, top);
  if (FCell.FFloats) FCell.FFloats->SetEdges(X, X + FAvailWidth);
  TPaintContext Pass = Context;
  FCell.Draw(Canvas, Pass, FAvailWidth, X, top, 0, 0);
}
