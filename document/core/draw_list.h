// Deferred image draws: floating images of a line are painted after all text.
#pragma once

#include "document/core/document_objects.h"
#include "document/core/free_list.h"
#include "document/core/paint_context.h"
#include "toolkit/graphics/graphics.h"

class TImageRec : public TObject {
 public:
  TDocImage* AImage = nullptr;
  TCanvas* ACanvas = nullptr;
  int AX = 0;
  int AY = 0;         // top
  int AYBaseline = 0;
  TDocFontRun* AFO = nullptr;
};

class TDrawList : public TFreeList<TImageRec> {
 public:
  void AddDeferredImage(TDocImage* Image, TCanvas* Canvas, int X, int TopY, int YBaseline,
                        TDocFontRun* FontRun);
  // Draws every recorded image in order with its stored arguments, in the pass Context.
  void PaintDeferred(const TPaintContext& Context);
};
