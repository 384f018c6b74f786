// Horizontal rules: a line section inside a block box of its own, which gives the line its
// width, alignment and margins.
#pragma once

#include <cstdint>

#include "document/blocks/block.h"
#include "document/core/section_base.h"

class THorzLine : public TSectionBase {
 public:
  // Thickness in pixels; Color NoColour draws a shaded line; Align is Left, Center or Right.
  THorzLine(TSectionList* ADocument, int Thickness, TColor Color, TTextAlign Align, bool NoShade);
  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;

  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override;
  void CopySelection() override;

  int FLineHeight = 2;
  TColor FLineColor = NoColour;
  TTextAlign FLineAlign = TTextAlign::Center;
  bool FNoShade = false;
  int FLineWidth = 0;
  int FLineLeft = 0;  // X of the left end relative to the X given to the last layout
};

class THRBlock : public TBlock {
 public:
  // The line goes into the block's cell; the block keeps a pointer to it.
  THRBlock(TSectionList* ADocument, TCellBasic* AOwnerCell, const TProperties& Prop,
           std::unique_ptr<THorzLine> Line);
  THRBlock(TSectionList* ADocument, const THRBlock& Source);
  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;
  int ComputeContentWidth(TCanvas* Canvas, int AWidth) override;

  THorzLine* FLine = nullptr;  // never null
};

// A page break: it takes no room; when printing, the page ends where it stands.
class TPage : public TSectionBase {
 public:
  using TSectionBase::TSectionBase;
  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override;
};
