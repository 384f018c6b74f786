#include "document/core/floating_obj.h"

#include "document/core/indent_manager.h"

TFloatImageBox TFloatingObj::FloatBox() const {
  TFloatImageBox box;
  box.Width = FBoxWidth;
  box.Height = FBoxHeight;
  box.HSpaceL = FSpaceLeft;
  box.HSpaceR = FSpaceRight;
  box.VSpaceT = FSpaceTop;
  box.VSpaceB = FSpaceBottom;
  box.Side = FAlign == TObjectAlign::LeftFloat    ? TFloatSide::Left
             : FAlign == TObjectAlign::RightFloat ? TFloatSide::Right
                                                  : TFloatSide::None;
  return box;
}

TVerticalAlign TFloatingObj::VAlign() const {
  switch (FAlign) {
    case TObjectAlign::Top: return TVerticalAlign::Top;
    case TObjectAlign::Middle: return TVerticalAlign::Middle;
    case TObjectAlign::Bottom: return TVerticalAlign::Bottom;
    case TObjectAlign::TextTop: return TVerticalAlign::TextTop;
    case TObjectAlign::TextBottom: return TVerticalAlign::TextBottom;
    default: return TVerticalAlign::Baseline;
  }
}

bool TFloatingObj::PlacedBySection() const {
  return FAlign == TObjectAlign::Bottom || FAlign == TObjectAlign::TextBottom ||
         (FAlign == TObjectAlign::Baseline && FRaise != 0);
}

int TFloatingObj::InlineTop(int TopY, int Baseline) const {
  if (FAlign == TObjectAlign::Top || FAlign == TObjectAlign::TextTop || PlacedBySection())
    return TopY + FSpaceTop;
  // The box's middle on the middle of the text.
  if (FAlign == TObjectAlign::Middle)
    return (TopY + Baseline) / 2 - (FBoxHeight + FSpaceBottom - FSpaceTop) / 2;
  return Baseline - FBoxHeight - FSpaceBottom;
}

bool TFloatingObj::FloatTop(const TPaintContext& Context, int& Top) const {
  Top = FLayoutY + FSpaceTop - Context.ScrollY;
  return Top + FBoxHeight > Context.Band.Top && Top < Context.Band.Bottom;
}
