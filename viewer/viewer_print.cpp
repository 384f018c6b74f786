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
    // What waits to be painted is painted now, from the top window down (its paint marks
    // the windows under it): a paint during the pass would only show the picture, and the
    // screen would have to be laid out and painted again after it.
    HWND top = Handle();
    while (HWND parent = GetParent(top)) top = parent;
    UpdateWindow(top);
    if (!*alive) return;
    Update();
    FPaintPanel->Update();
    try {
      FPrintPicture = CaptureWindowBitmap(FPaintPanel->Handle());
    } catch (const Exception&) {
      // A panel too large to copy shows its background until the pass ends.
      FPrintPicture.reset();
    }
  }
  FPaintedInPass = false;
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
  // The panel showed the picture of the screen, or nothing when there was none; what the
  // host changed meanwhile was painted as that picture too.
  const bool showsOld = FPrintPicture && !FPaintedInPass;
  FPrinting = false;
  FPrintPicture.reset();
  // The screen's layout again, at the width the viewer has now (a resize may have come
  // meanwhile), at the same reading place. When the window kept its size the screen's
  // sizes and place still hold and the panel still shows the document: the layout waits
  // until the document is painted or asked for a place, and a host that prints again
  // before then saves it altogether.
  if (!FPaintPanel->HandleAllocated()) return;
  if (FAnchorAfterPrint.empty() && LayoutWidth() == FLayoutWidth &&
      ClientHeight() == FLayoutHeight) {
    FLaidOutForPages = true;
    if (!showsOld) FPaintPanel->Invalidate();
    return;
  }
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
