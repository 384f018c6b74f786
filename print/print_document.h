// Printing a document over pages: page geometry from the margins, the printing pass
// over a page range and the preview pass that records every page.
//
// Both passes lay out and draw the document itself at the band's width, in screen pixels
// (the canvas maps them to the device's pixels); no second copy of a large document is
// held. The layout they leave is the printer's: the owner lays the document out again for
// the screen.
#pragma once

#include <functional>
#include <string>

#include "print/metafile_printer.h"
#include "toolkit/printers/printer.h"

class TObject;
class TPalette;
class TSectionList;

using TPrintHeaderEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int NumPage,
                                             int W, int H, bool& StopPrinting)>;

struct TPrintSettings {
  TObject* Sender = nullptr;  // passed to the header and footer events
  // Margins from the paper's edge, in centimetres.
  double MarginLeft = 2.0, MarginTop = 2.0, MarginRight = 2.0, MarginBottom = 2.0;
  TPrintHeaderEvent OnPrintHeader;
  TPrintHeaderEvent OnPrintFooter;
  std::string Title;
  int ScreenPixelsPerInch = 96;
  // A monochrome printer prints the text and the table outlines black.
  bool PrintMonoBlack = true;
  // Selected into the canvas on displays of 8 bits or fewer (not owned).
  const TPalette* Palette = nullptr;
};

// Where a page's content goes. Device values are relative to the printable area.
struct TPrintBand {
  int L = 0, T = 0, R = 0, B = 0;  // margins inside the printable area, device pixels
  int Wd = 0, Hd = 0;              // the band, device pixels
  int Left = 0, Top = 0, Width = 0, Height = 0;  // the band, screen pixels
  int PageHeight = 0;  // the printable height, screen pixels (for the footer)
  int W = 0;           // the printable width given to the header and footer
  TRect Rect() const { return TRect{Left, Top, Left + Width, Top + Height}; }
};

TPrintBand ComputePrintBand(const TPrinterGeometry& Geometry, const TPrintSettings& Settings);

// Prints pages FromPage..ToPage (from 1) of Doc on the selected printer as one job.
// Returns the last page reached (0 when nothing was printed).
int PrintDocumentPages(TSectionList& Doc, const TPrintSettings& Settings, int FromPage,
                       int ToPage);

// Records every page of Doc into Printer (which is begun and ended here); returns the
// page count. An empty document gives 0 pages.
int PreviewDocument(TSectionList& Doc, const TPrintSettings& Settings,
                    TMetaFilePrinter& Printer);

// The number of pages PreviewDocument would record, found without recording them.
int CountDocumentPages(TSectionList& Doc, const TPrintSettings& Settings);
