// Printers: the list of devices a document can go to, and print jobs on them.
//
// A device draws in its own pixels (Resolution per inch) with the origin at the top left
// of the printable area, as a printer's device context does. Every device produces PDF
// through cairo, so text stays text and shapes stay vectors: the PDF printer writes it
// to a file, a CUPS destination submits the same file to the print server.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/graphics/graphics.h"

// Printer errors, with the messages the user sees ("Printer selected is not valid").
class EPrinter : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };

// What a device offers in one orientation, in its own pixels.
struct TPrinterGeometry {
  int PixelsPerInchX = 300, PixelsPerInchY = 300;
  int PhysicalWidth = 0, PhysicalHeight = 0;  // the paper
  int OffsetX = 0, OffsetY = 0;               // unprintable strips at the left and top
  int PageWidth = 0, PageHeight = 0;          // the printable area
};

// Paper sizes in points (1/72 inch), portrait.
struct TPaperSize {
  double Width, Height;
};
constexpr TPaperSize PaperA4{595.2756, 841.8898};
constexpr TPaperSize PaperLetter{612.0, 792.0};

// One document on its way to a device. The canvas draws on the current page; its
// capabilities are those of the device.
class TPrintJob {
 public:
  virtual ~TPrintJob();
  TCanvas& Canvas() { return *FCanvas; }
  int PageNumber() const { return FPageNumber; }
  void NewPage();
  // Finishes the document and hands it on (the file, the server).
  void EndDoc();
  // Drops the document: nothing is delivered.
  void Abort();

 protected:
  TPrintJob(const TPrinterGeometry& Geometry, TPaperSize Paper, int Copies);
  void Open(cairo_surface_t* Target);
  // Opens on a PDF file of the sheet's size; EPrinter when it cannot be made. Returns the
  // surface, for its metadata.
  cairo_surface_t* OpenPdf(const std::string& FileName, const TPrinterGeometry& Geometry);
  virtual void Deliver() = 0;
  virtual void Discard() {}

 private:
  void StartPage();
  void FinishPage();
  // The PDF's bytes go to FFile; a short write marks the job failed.
  friend struct TPdfStream;
  // Closes FFile; false when the job could not write all of it.
  bool CloseFile();

  TPrinterGeometry FGeometry;
  TPaperSize FPaper;
  int FCopies;
  cairo_surface_t* FTarget = nullptr;   // the PDF surface
  cairo_surface_t* FPage = nullptr;     // the current page: FTarget, or a recording to repeat
  std::vector<cairo_surface_t*> FPages; // recorded pages when copies are made at the end
  std::unique_ptr<TCanvas> FCanvas;
  int FPageNumber = 0;
  bool FOpen = false;
  std::FILE* FFile = nullptr;  // the PDF file OpenPdf opened
  bool FWriteFailed = false;
};

// A document's name as the spooler and the PDF's metadata take it: well-formed UTF-8, at
// most 31 characters, none of them cut. Text that is not well-formed UTF-8 is read as
// Windows-1252, the code page of documents that declare none.
std::string SpoolerTitle(std::string_view Title);

class TPrintDevice {
 public:
  virtual ~TPrintDevice() = default;
  std::string Name;
  TPaperSize Paper = PaperA4;
  int Resolution = 300;  // device pixels per inch
  // Unprintable border at every edge, in device pixels.
  int Border = 0;

  TPrinterGeometry Geometry(TPrinterOrientation Orientation) const;
  // A canvas with the device's capabilities and no page, for measuring.
  void SetCaps(TCanvas& Canvas, TPrinterOrientation Orientation) const;
  // Title: the document's name for the spooler (through SpoolerTitle).
  virtual std::unique_ptr<TPrintJob> StartJob(const std::string& Title, int Copies,
                                              TPrinterOrientation Orientation) = 0;
};

// Writes vector PDF to FileName. OnDocument is told the file name after each document.
class TPdfPrinter : public TPrintDevice {
 public:
  TPdfPrinter();
  std::string FileName = "qjxhtml.pdf";
  std::function<void(const std::string& FileName)> OnDocument;
  std::unique_ptr<TPrintJob> StartJob(const std::string& Title, int Copies,
                                      TPrinterOrientation Orientation) override;
};

// The printer list and the selected printer, for the whole library.
class TPrinter {
 public:
  TPrinter();
  ~TPrinter();
  // Device names in list order: the PDF printer first, then the print server's
  // destinations (when one answers).
  std::vector<std::string> Printers() const;
  int Count() const { return int(FDevices.size()); }
  TPrintDevice* Device(int Index) const;
  // The index of the device with exactly this name, or -1.
  int IndexOf(const std::string& Name) const;
  // -1 selects the default printer (the PDF printer).
  int PrinterIndex = -1;
  TPrintDevice* Selected() const;
  TPrinterOrientation Orientation = poPortrait;
  int Copies = 1;
  // Adds a device at the end of the list and returns its index.
  int Add(std::unique_ptr<TPrintDevice> Device);
  // Drops a device that was added (not the PDF printer); the selection goes back to
  // the default when it pointed at it.
  void Remove(TPrintDevice* Device);
  // Reads the print server's destinations again, from the server the environment names
  // now (CUPS_SERVER); added devices are dropped and the default printer selected.
  void Refresh();

 private:
  std::vector<std::unique_ptr<TPrintDevice>> FDevices;
};

TPrinter& Printer();
TPdfPrinter& PdfPrinter();

// The print server's destinations as devices; empty without a server or without CUPS.
std::vector<std::unique_ptr<TPrintDevice>> CupsDestinations();
