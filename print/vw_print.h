// TvwPrinter: one print job on the printer selected in the printer list, with the
// states of a printer context: none, measuring, printing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/printers/printer.h"

class TvwPrinter {
 public:
  TvwPrinter();
  // Ends a running document.
  ~TvwPrinter();
  TvwPrinter(const TvwPrinter&) = delete;
  TvwPrinter& operator=(const TvwPrinter&) = delete;

  std::string FTitle;  // the spooler gets at most 31 characters

  // The page canvas while printing, else a measuring canvas with the device's
  // capabilities (state 1 at least).
  TCanvas& Canvas();
  void BeginDoc();
  void EndDoc();
  void Abort();
  void NewPage();
  // The printable area in device pixels.
  int PageWidth();
  int PageHeight();
  const TPrinterGeometry& Geometry();
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  int PageNumber() const { return FPageNumber; }
  int State() const { return FDCState; }
  // 0 no context, 1 measuring, 2 printing.
  void SetState(uint8_t S);

 private:
  void CheckPrinting() const;

  bool FPrinting = false;
  bool FAborted = false;
  int FPageNumber = 0;
  uint8_t FDCState = 0;
  TPrintDevice* FDevice = nullptr;
  TPrinterOrientation FOrientation = poPortrait;
  TPrinterGeometry FGeometry;
  std::unique_ptr<TCanvas> FInfoCanvas;
  std::unique_ptr<TPrintJob> FJob;
};

// The library's current printer, made on first request.
TvwPrinter* CurrentVwPrinter();
// Makes New current and returns the previous one (not freed).
TvwPrinter* SetCurrentVwPrinter(TvwPrinter* New);
