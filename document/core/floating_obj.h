// What images and panels in the flow share: a box that stands on its line by its alignment
// or floats to one side, with spaces around it.
#pragma once

#include <cstdint>

#include "document/core/section_base.h"
#include "document/core/text_section.h"

class TFloatingObj : public TIDObject, public TInlineObject {
 public:
  int GetTopY() override { return FPaintY; }

  bool Floating() const override { return FAlign == 5 || FAlign == 6; }
  int HorzExtent() const override { return FBoxWidth + FSpaceLeft + FSpaceRight; }
  // Inline, the height counts the spaces above and below; a float's spaces are its own.
  int Height() const override { return FBoxHeight + (Floating() ? 0 : FSpaceTop + FSpaceBottom); }
  int VertSpacing() const override { return Floating() ? FSpaceTop + FSpaceBottom : 0; }
  int VAlign() const override { return FAlign; }
  void SetLayoutY(int Y) override { FLayoutY = Y; }
  TFloatImageBox FloatBox() const override;
  void SetFloatIndent(int Indent) override { FFloatX = Indent; }

  int BoxWidth() const { return FBoxWidth; }
  int BoxHeight() const { return FBoxHeight; }

  int FSpaceLeft = 0, FSpaceRight = 0, FSpaceTop = 0, FSpaceBottom = 0;

 protected:
  // The top (client Y) of an inline box on a line whose text top and baseline are given.
  int InlineTop(int TopY, int Baseline) const;
  // The top (client Y) of a float meeting the pass's band, or false when it does not.
  bool FloatTop(const TPaintContext& Context, int& Top) const;

  uint8_t FAlign = 4;  // 1 top, 2 middle, 4 baseline, 5 left float, 6 right float
  int FBoxWidth = 0, FBoxHeight = 0;
  int FLayoutY = 0, FFloatX = 0;
  int FPaintY = 0;  // document Y of the top at the last paint
};
