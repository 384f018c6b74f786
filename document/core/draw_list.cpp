#include "document/core/draw_list.h"

#include <memory>

void TDrawList::AddDeferredImage(TDocImage* Image, TCanvas* Canvas, int X, int TopY, int YBaseline,
                                 TDocFontRun* FontRun) {
  auto rec = std::make_unique<TImageRec>();
  rec->AImage = Image;
  rec->ACanvas = Canvas;
  rec->AX = X;
  rec->AY = TopY;
  rec->AYBaseline = YBaseline;
  rec->AFO = FontRun;
  Add(std::move(rec));
}

void TDrawList::PaintDeferred(const TPaintContext& Context) {
  for (const auto& rec : *this)
    if (rec->AImage)
      rec->AImage->DrawDeferred(rec->ACanvas, Context, rec->AX, rec->AY, rec->AYBaseline, rec->AFO);
}
