// One paint or print pass over a laid-out document: what the caller asks for (the band,
// the scroll offset, screen or printer, the print options, the palette) and what the pass
// finds on its way (where a printed page ends). Drawing reads these here, never from the
// document, so the same document can be painted and printed with settings of its own each.
#pragma once

#include "toolkit/graphics/graphics.h"

class TDrawList;
class TPalette;

struct TPaintContext {
  // The band to paint, client coordinates; document Y = client Y + ScrollY.
  TRect Band{};
  // The document Y at the client's top.
  int ScrollY = 0;
  // A printer pass: pages break at PageLimit and printing's colour rules hold.
  bool ForPrinter = false;
  // On a printer: background colours and images print; a monochrome device prints the
  // text and the table outlines black.
  bool PrintColors = false;
  bool PrintMonoBlack = true;
  // Selected into the canvas for the pass on displays of 8 bits or fewer (not owned).
  const TPalette* Palette = nullptr;

  // Written by the pass. The document Y where the printed page ends: the band's bottom
  // at the start, moved up by page breaks and by what must not be cut.
  int PageLimit = 0;
  // A table row set PageLimit: text lines crossing it no longer move it up.
  bool PageCut = false;
  // The images that paint after every section (floats over the text); set by the
  // document's Draw for the length of the pass, null outside one.
  TDrawList* Deferred = nullptr;
};
