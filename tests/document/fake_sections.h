// Small sections for the document tests: fixed heights and position counts, counters of
// what the cell asked of them.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "document/core/indent_manager.h"
#include "document/core/process_error.h"
#include "document/core/section_base.h"
#include "document/core/section_list.h"

class TFakeSection : public TSectionBase {
 public:
  TFakeSection(TSectionList* ADocument, int AHeight, int APositions = 0)
      : TSectionBase(ADocument), FHeightToTake(AHeight), FPositions(APositions) {}

  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override {
    ++LayoutCalls;
    if (!ErrorMessage.empty()) throw EProcessError(ErrorMessage);
    FFlowHeight = FHeightToTake;
    TSectionBase::Layout(Canvas, X, Y, XRef, YRef, AWidth, AHeight, IMgr, MaxWidth, Curs);
    FPosCount = FPositions;
    Curs += FPositions;
    FPaintBottom += ExtraPaint;
    if (Width > 0) MaxWidth = Width;
    if (FloatHeight > 0 && IMgr) IMgr->AddBlockFloat(Y, 50, TFloatSide::Left, FloatHeight);
    SeenWidth = AWidth;
    return FFlowHeight;
  }

  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override {
    const int scrollY = Context.ScrollY;
    const TRect& ARect = Context.Band;
    if (FPaintTop < ARect.Bottom + scrollY && FPaintBottom > ARect.Top + scrollY) ++Paints;
    ++DrawCalls;
    return TSectionBase::Draw(Canvas, Context, IMgr, X, XRef, YRef);
  }

  unsigned HitTestLink(TCanvas*, int, int Y, std::unique_ptr<TUrlTarget>&, TDocControl*&,
                       std::string& Title) override {
    ++HitCalls;
    if (!LinkTitle.empty()) {
      Title = LinkTitle;
      return htTitleFound;
    }
    (void)Y;
    return 0;
  }

  int PositionAtPoint(TCanvas*, int, int, int&, int&, int&, bool&) override {
    ++HitCalls;
    return FPosCount > 0 ? FStartPos : -1;
  }

  void CopySelection() override {
    ++CopyCalls;
    if (FDocument && FDocument->SelectionBuffer) FDocument->SelectionBuffer->AddTextCR(Text.data(), int(Text.size()));
  }

  int SourceToDocPos(int SourcePos, bool) override {
    return SourcePos >= SourceStart && SourcePos < SourceStart + FPosCount ? FStartPos + SourcePos - SourceStart : -1;
  }

  bool PositionToPoint(TCanvas*, int Pos, int& X, int& Y) override {
    if (Pos < FStartPos || Pos >= FStartPos + FPosCount) return false;
    X = 0;
    Y = FBoxTop;
    return true;
  }

  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override {
    auto copy = std::make_unique<TFakeSection>(ADocument, FHeightToTake, FPositions);
    copy->Text = Text;
    copy->SawPrintCopy = ADocument && ADocument->IsPrintCopy;
    return copy;
  }

  bool PrepareToAdd() override { return !DropWhenAdded; }

  TMarginDrop DropBottomMargin() override {
    ++MarginAsks;
    if (!IsBlock || Absolute) return TMarginDrop::NotABlock;
    if (!DefaultMargin) return TMarginDrop::Kept;
    DefaultMargin = false;
    return TMarginDrop::Dropped;
  }
  bool IsAbsolutelyPositioned() const override { return Absolute; }

  int FHeightToTake;
  int FPositions;
  int ExtraPaint = 0;  // paints this far below its flow
  int Width = 0;
  int FloatHeight = 0;
  int SourceStart = 0;
  std::string ErrorMessage;
  std::string LinkTitle;
  std::string Text;
  bool DropWhenAdded = false;
  bool IsBlock = false, Absolute = false, DefaultMargin = false;
  bool SawPrintCopy = false;
  int SeenWidth = 0;
  int LayoutCalls = 0, DrawCalls = 0, Paints = 0, HitCalls = 0, CopyCalls = 0, MarginAsks = 0;
};

// Adds a fake section to a cell and returns it.
template <class TCellType>
TFakeSection* AddFake(TCellType& Cell, TSectionList* Document, int Height, int Positions = 0) {
  auto section = std::make_unique<TFakeSection>(Document, Height, Positions);
  TFakeSection* raw = section.get();
  Cell.Add(std::move(section));
  return raw;
}
