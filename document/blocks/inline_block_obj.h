// An inline block: a block that stands in its line as a picture does, as wide as its
// content (or its given width), its baseline the baseline of its last line.
#pragma once

#include <memory>

#include "document/blocks/block.h"
#include "document/core/cells.h"
#include "document/core/text_section.h"

class TInlineBlockObj : public TInlineObject {
 public:
  explicit TInlineBlockObj(TSectionList* ADocument);
  // The print copy.
  TInlineBlockObj(TSectionList* ADocument, const TInlineBlockObj& Source);

  // The cell the block goes in; the builder adds the block and fills it.
  TCell& Cell() { return FCell; }
  TBlock* Block() const;

  int HorzExtent() const override { return FWidth; }
  int Height() const override { return FHeight; }
  int Raise() const override { return FRaise; }
  void LayOutContent(TCanvas* Canvas, int Width, int Y) override;
  void Draw(TCanvas* Canvas, const TPaintContext& Context, int X, int TopY,
            int Baseline) override;
  std::unique_ptr<TInlineObject> Clone(TSectionList* ADocument) const override;

  // Where its content takes document positions: apart from the text's, which number one
  // position for the whole block.
  static constexpr int FirstPosition = 1 << 30;

 private:
  // Lays the block out with its top at Y in Width pixels and takes its size and baseline.
  void LayOutAt(TCanvas* Canvas, int Width, int Y);

  TCell FCell;
  int FAvailWidth = 0;  // the width of the last layout
  int FTop = NotLaidOutY;
  int FWidth = 0, FHeight = 0, FRaise = 0;
};

// The baseline (document Y) of the last line in the sections of Cell and the blocks among
// them, or NotLaidOutY when there is no line.
int LastBaseline(const TCellBasic& Cell);
