// What images and panels in the flow share: a box that stands on its line by its alignment
// or floats to one side, with spaces around it.
#pragma once

#include <cstdint>

#include "document/core/section_base.h"
#include "document/core/text_section.h"

// Where an image or panel stands: on its line by its top, middle or baseline (raised by its
// shift), by the line's bottom, by the top or bottom of the text, or floating to one side.
// The HTML ALIGN attribute and the style's vertical-align and float set it.
enum class TObjectAlign : uint8_t {
  Top, Middle, Baseline, LeftFloat, RightFloat, Bottom, TextTop, TextBottom
};

class TFloatingObj : public TIDObject, public TInlineObject {
 public:
  int GetTopY() override { return FPaintY; }

  bool Floating() const override {
    return FAlign == TObjectAlign::LeftFloat || FAlign == TObjectAlign::RightFloat;
  }
  int HorzExtent() const override { return FBoxWidth + FSpaceLeft + FSpaceRight; }
  // Inline, the height counts the spaces above and below; a float's spaces are its own.
  int Height() const override { return FBoxHeight + (Floating() ? 0 : FSpaceTop + FSpaceBottom); }
  int VertSpacing() const override { return Floating() ? FSpaceTop + FSpaceBottom : 0; }
  TVerticalAlign VAlign() const override;
  int Raise() const override { return FAlign == TObjectAlign::Baseline ? FRaise : 0; }
  void SetLayoutY(int Y) override { FLayoutY = Y; }
  TFloatImageBox FloatBox() const override;
  void SetFloatIndent(int Indent) override { FFloatX = Indent; }
  // The rows FloatTop tests against a band.
  bool FloatRows(int& Top, int& Bottom) const override {
    Top = FLayoutY + FSpaceTop;
    Bottom = Top + FBoxHeight;
    return true;
  }

  int BoxWidth() const { return FBoxWidth; }
  int BoxHeight() const { return FBoxHeight; }

  int FSpaceLeft = 0, FSpaceRight = 0, FSpaceTop = 0, FSpaceBottom = 0;

 protected:
  // The top (client Y) of an inline box on a line whose text top and baseline are given;
  // for the alignments the section places itself (see PlacedBySection), TopY is the top of
  // the box with its spaces.
  int InlineTop(int TopY, int Baseline) const;
  // Whether the section finds the box's top on lines of the font's own pitch, rather than
  // telling it the text's top and baseline.
  bool PlacedBySection() const;
  // The top (client Y) of a float meeting the pass's band, or false when it does not.
  bool FloatTop(const TPaintContext& Context, int& Top) const;

  TObjectAlign FAlign = TObjectAlign::Baseline;
  int FRaise = 0;  // pixels above the baseline, with Baseline (vertical-align lengths)
  int FBoxWidth = 0, FBoxHeight = 0;
  int FLayoutY = 0, FFloatX = 0;
  int FPaintY = 0;  // document Y of the top at the last paint
};
