// The viewer's printing: both passes run on a print copy of the document.
#include "print/print_document.h"
#include "toolkit/graphics/screen.h"
#include "viewer/html_viewer.h"

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

void THTMLViewer::PrintPages(int FromPage, int ToPage) {
  FPrintPage = 0;
  if (FProcessing || FSectionList->Count() == 0) return;
  // The print copy draws the document's form controls; the host's page handlers must not
  // free them.
  TDocumentHold hold(*this);
  FPrintPage = PrintDocumentPages(*FSectionList, PrintSettings(), FromPage, ToPage);
}

void THTMLViewer::PrintPreview(TMetaFilePrinter& Printer) {
  FPrintPage = 0;
  if (FProcessing || FSectionList->Count() == 0) return;
  TDocumentHold hold(*this);
  FPrintPage = PreviewDocument(*FSectionList, PrintSettings(), Printer);
}

int THTMLViewer::CountPrintPages() {
  TMetaFilePrinter printer;
  PrintPreview(printer);
  return printer.LastAvailablePage();
}
