// The colours of raised and sunken outlines (the borders of tables and their cells, the
// frame of a missing picture) in one paint or print pass.
#pragma once

#include "common/types.h"

class TCanvas;
class TSectionList;
struct TPaintContext;

struct TOutlineColours {
  TColor Light;  // the highlight side
  TColor Dark;   // the shadow side
};

// Light and Dark as drawn. A highlight the page did not give (LightGiven false) would
// vanish against white, so it becomes silver when printing or on a white page (the page
// colour, or the window colour it names, is white). A monochrome printer told to print
// outlines black draws both sides black.
TOutlineColours OutlineColours(const TCanvas& Canvas, const TPaintContext& Context,
                               const TSectionList* Document, TColor Light, bool LightGiven,
                               TColor Dark);
// The same with the system's button highlight and shadow, as outlines of no colour of
// their own have.
TOutlineColours DefaultOutlineColours(const TCanvas& Canvas, const TPaintContext& Context,
                                      const TSectionList* Document);
