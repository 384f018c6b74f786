// Pages recorded as metafiles.
#include "print/metafile_printer.h"

#include "toolkit/graphics/screen.h"

TMetaFilePrinter::TMetaFilePrinter() = default;
TMetaFilePrinter::~TMetaFilePrinter() = default;

void TMetaFilePrinter::SetUnits(TUnits Value) {
  FUnits = Value;
  FUnitFactor = Value == unCentimeters ? 2.54 : 1.0;
}

void TMetaFilePrinter::BeginDoc() {
  TPrinter& list = Printer();
  if (list.Count() == 0 || !list.Selected()) throw EPrinter("Printer not available");
  FPrinting = true;
  FPages.clear();
  FDevice = list.Selected();
  FOrientation = list.Orientation;
  FGeometry = FDevice->Geometry(FOrientation);
  NewPage();
}

bool TMetaFilePrinter::NewPage() {
  auto page = std::make_unique<TMetafile>(FGeometry.PageWidth, FGeometry.PageHeight);
  TCanvas& canvas = page->Canvas();
  FDevice->SetCaps(canvas, FOrientation);
  canvas.FillRect(TRect{0, 0, FGeometry.PageWidth, FGeometry.PageHeight}, clWhite);
  if (FPages.empty()) {
    canvas.FontPixelsPerInch = ScreenLogPixels();
    canvas.Font.Name = "Arial";
    canvas.Font.Size = 10;
    canvas.Brush.Style = bsClear;
  } else {
    // The canvas of every page starts where the previous one was left.
    TCanvas& previous = FPages.back()->Canvas();
    canvas.FontPixelsPerInch = previous.FontPixelsPerInch;
    canvas.Font = previous.Font;
    canvas.Brush = previous.Brush;
    canvas.Pen = previous.Pen;
  }
  FPages.push_back(std::move(page));
  FPageUsed = false;
  bool stop = false;
  if (OnPageEvent) OnPageEvent(this, int(FPages.size()), stop);
  return stop;
}

void TMetaFilePrinter::EndDoc() {
  FPrinting = false;
  if (!FPageUsed && !FPages.empty()) FPages.pop_back();
}

TCanvas& TMetaFilePrinter::Canvas() {
  if (FPages.empty()) NewPage();
  FPageUsed = true;
  return FPages.back()->Canvas();
}

TMetafile* TMetaFilePrinter::Page(int Number) const {
  return Number >= 1 && Number <= LastAvailablePage() ? FPages[size_t(Number - 1)].get() : nullptr;
}

std::vector<std::unique_ptr<TMetafile>> TMetaFilePrinter::TakePages() {
  return std::move(FPages);
}
