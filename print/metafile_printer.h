// TMetaFilePrinter: records pages as metafiles of the selected printer's size, for a
// preview and for counting pages.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "toolkit/printers/metafile.h"
#include "toolkit/printers/printer.h"

class TMetaFilePrinter;

enum TUnits : uint8_t { unInches, unCentimeters };
using TPageEvent = std::function<void(TMetaFilePrinter* Sender, int NumPage, bool& StopPrinting)>;

class TMetaFilePrinter {
 public:
  TMetaFilePrinter();
  ~TMetaFilePrinter();

  TUnits Units() const { return FUnits; }
  void SetUnits(TUnits Value);
  double UnitFactor() const { return FUnitFactor; }
  TPageEvent OnPageEvent;

  // Throws "Printer not available" when the list has no printer.
  void BeginDoc();
  // Starts the next page; true when OnPageEvent asked to stop.
  bool NewPage();
  void EndDoc();
  // The current page's canvas; marks the page used.
  TCanvas& Canvas();
  bool Printing() const { return FPrinting; }
  int LastAvailablePage() const { return int(FPages.size()); }
  // Pages from 1.
  TMetafile* Page(int Number) const;
  // Takes the recorded pages out of the printer.
  std::vector<std::unique_ptr<TMetafile>> TakePages();

  const TPrinterGeometry& Geometry() const { return FGeometry; }
  int PageWidth() const { return FGeometry.PageWidth; }
  int PageHeight() const { return FGeometry.PageHeight; }

 private:
  TUnits FUnits = unInches;
  double FUnitFactor = 1.0;
  bool FPrinting = false;
  bool FPageUsed = false;
  std::vector<std::unique_ptr<TMetafile>> FPages;
  TPrinterGeometry FGeometry;
  TPrintDevice* FDevice = nullptr;
  TPrinterOrientation FOrientation = poPortrait;
};
