// The viewer's printing: both passes print the document itself, which is laid out for
// the screen again once they are over.
#include <utility>

#include "print/print_document.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

TPrintSettings THTMLViewer::PrintSettings() {
  TPrintSettings s;
  s.Sender = this;
  s.MarginLeft = PrintMarginLeft;
  s.MarginTop = PrintMarginTop;
  s.MarginRight = PrintMarginRight;
  s.MarginBottom = PrintMarginBottom;
  s.OnPrintHeader = OnPrintHeader;
  s.OnPrintFooter = OnPrintFooter;
  s.Title = FTitle;
  s.ScreenPixelsPerInch = ScreenLogPixels();
  s.PrintMonoBlack = FOptions & htOption(htPrintMonochromeBlack);
  s.Palette = FPalette;
  return s;
}

void THTMLViewer::RunPrintPass(const std::function<int()>& Pass) {
  FPrintPage = 0;
  if (FProcessing || FPrinting || FSectionList->Count() == 0) return;
  // The pass draws the document's form controls; the host's page handlers must not free
  // them, nor the document.
  TDocumentHold hold(*this);
  const std::shared_ptr<bool> alive = FAlive;
  if (FPaintPanel->HandleAllocated()) {
    FPaintPanel->Update();
    try {
      FPrintPicture = CaptureWindowBitmap(FPaintPanel->Handle());
    } catch (const Exception&) {
      // A panel too large to copy shows its background until the pass ends.
      FPrintPicture.reset();
    }
  }
  FPrinting = true;
  try {
    FPrintPage = Pass();
  } catch (...) {
    if (*alive) EndPrintPass();
    throw;
  }
  if (*alive) EndPrintPass();
}

void THTMLViewer::EndPrintPass() {
  FPrinting = false;
  FPrintPicture.reset();
  // The screen's layout again, at the width the viewer has now (a resize may have come
  // meanwhile), at the same reading place.
  if (!FPaintPanel->HandleAllocated()) return;
  LayoutDocument();
  ScrollTo(FScrollY);
  if (!FAnchorAfterPrint.empty()) ScrollToAnchor(std::exchange(FAnchorAfterPrint, {}));
}

void THTMLViewer::PrintPages(int FromPage, int ToPage) {
  RunPrintPass([&] { return PrintDocumentPages(*FSectionList, PrintSettings(), FromPage, ToPage); });
}

void THTMLViewer::PrintPreview(TMetaFilePrinter& Printer) {
  RunPrintPass([&] { return PreviewDocument(*FSectionList, PrintSettings(), Printer); });
}

int THTMLViewer::CountPrintPages() {
  RunPrintPass([&] { return CountDocumentPages(*FSectionList, PrintSettings()); });
  return FPrintPage;
}
