// Print jobs on PDF surfaces, the PDF printer and the library's printer list.
#include "toolkit/printers/printer.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "common/codepage.h"
#include "toolkit/graphics/screen.h"

// ---- Devices ----------------------------------------------------------------------------

std::string SpoolerTitle(std::string_view Title) {
  constexpr int kMaxCharacters = 31;
  // Well-formed when every sequence decodes as itself: an ill-formed one gives U+FFFD from
  // bytes other than the three that spell it.
  bool wellFormed = true;
  for (size_t at = 0; at < Title.size() && wellFormed;) {
    int length = 1;
    const char32_t c = DecodeUtf8Char(Title.data() + at, Title.size() - at, length);
    wellFormed = c != 0xFFFD || Title.substr(at, size_t(length)) == "\xEF\xBF\xBD";
    at += size_t(length);
  }
  const char32_t* latin = SingleByteTable(1252);
  std::string out;
  char bytes[4];
  int characters = 0;
  for (size_t at = 0; at < Title.size() && characters < kMaxCharacters; ++characters) {
    int length = 1;
    const char32_t c = wellFormed ? DecodeUtf8Char(Title.data() + at, Title.size() - at, length)
                                  : latin[uint8_t(Title[at])];
    out.append(bytes, size_t(EncodeUtf8Char(c, bytes)));
    at += size_t(length);
  }
  return out;
}

TPrinterGeometry TPrintDevice::Geometry(TPrinterOrientation Orientation) const {
  TPrinterGeometry g;
  g.PixelsPerInchX = g.PixelsPerInchY = Resolution > 0 ? Resolution : 300;
  const double w = Orientation == poLandscape ? Paper.Height : Paper.Width;
  const double h = Orientation == poLandscape ? Paper.Width : Paper.Height;
  g.PhysicalWidth = int(std::lround(w * g.PixelsPerInchX / 72.0));
  g.PhysicalHeight = int(std::lround(h * g.PixelsPerInchY / 72.0));
  const int border = std::max(0, std::min(Border, std::min(g.PhysicalWidth, g.PhysicalHeight) / 4));
  g.OffsetX = g.OffsetY = border;
  g.PageWidth = g.PhysicalWidth - 2 * border;
  g.PageHeight = g.PhysicalHeight - 2 * border;
  return g;
}

namespace {

void ApplyCaps(TCanvas& Canvas, const TPrinterGeometry& g) {
  Canvas.Caps.Technology = DT_RASPRINTER;
  Canvas.Caps.HorzRes = g.PageWidth;
  Canvas.Caps.VertRes = g.PageHeight;
  Canvas.Caps.LogPixelsX = g.PixelsPerInchX;
  Canvas.Caps.LogPixelsY = g.PixelsPerInchY;
  Canvas.Caps.BitsPixel = 24;
  Canvas.Caps.PhysicalWidth = g.PhysicalWidth;
  Canvas.Caps.PhysicalHeight = g.PhysicalHeight;
  Canvas.Caps.PhysicalOffsetX = g.OffsetX;
  Canvas.Caps.PhysicalOffsetY = g.OffsetY;
}

// Covers the whole sheet in white before anything is drawn on it. The paper looks the same,
// but cairo's PDF surface, which keeps the area its drawings cover as a region and adds each
// drawing's box to it, then holds one rectangle that contains every later box: adding one
// takes constant time instead of time that grows with the drawings already on the page.
void LayPaper(cairo_surface_t* Page, const TPrinterGeometry& g) {
  cairo_t* cr = cairo_create(Page);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_rectangle(cr, -g.OffsetX, -g.OffsetY, g.PhysicalWidth, g.PhysicalHeight);
  cairo_fill(cr);
  cairo_destroy(cr);
}

}  // namespace

void TPrintDevice::SetCaps(TCanvas& Canvas, TPrinterOrientation Orientation) const {
  ApplyCaps(Canvas, Geometry(Orientation));
}

// ---- Jobs -------------------------------------------------------------------------------

TPrintJob::TPrintJob(const TPrinterGeometry& Geometry, TPaperSize Paper, int Copies)
    : FGeometry(Geometry), FPaper(Paper), FCopies(std::max(1, Copies)),
      FCanvas(std::make_unique<TCanvas>()) {
  ApplyCaps(*FCanvas, FGeometry);
}

TPrintJob::~TPrintJob() {
  FCanvas.reset();
  for (cairo_surface_t* page : FPages) cairo_surface_destroy(page);
  if (FPage && FPage != FTarget) cairo_surface_destroy(FPage);
  if (FTarget) cairo_surface_destroy(FTarget);
  CloseFile();
}

struct TPdfStream {
  static cairo_status_t Write(void* Job, const unsigned char* Data, unsigned int Length) {
    TPrintJob& job = *static_cast<TPrintJob*>(Job);
    if (!job.FWriteFailed && (!job.FFile || std::fwrite(Data, 1, Length, job.FFile) != Length))
      job.FWriteFailed = true;
    return job.FWriteFailed ? CAIRO_STATUS_WRITE_ERROR : CAIRO_STATUS_SUCCESS;
  }
};

bool TPrintJob::CloseFile() {
  if (!FFile) return !FWriteFailed;
  if (std::fclose(FFile) != 0) FWriteFailed = true;
  FFile = nullptr;
  return !FWriteFailed;
}

cairo_surface_t* TPrintJob::OpenPdf(const std::string& FileName, const TPrinterGeometry& Geometry) {
  // The job writes the file itself: cairo does not report a write that failed.
  FFile = std::fopen(FileName.c_str(), "wb");
  if (!FFile) throw EPrinter("Printer selected is not valid");
  cairo_surface_t* s = cairo_pdf_surface_create_for_stream(
      &TPdfStream::Write, this, Geometry.PhysicalWidth * 72.0 / Geometry.PixelsPerInchX,
      Geometry.PhysicalHeight * 72.0 / Geometry.PixelsPerInchY);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    CloseFile();
    throw EPrinter("Printer selected is not valid");
  }
  Open(s);
  return s;
}

void TPrintJob::Open(cairo_surface_t* Target) {
  FTarget = Target;
  // Device pixels map to points, with the origin at the printable area.
  const double sx = 72.0 / FGeometry.PixelsPerInchX, sy = 72.0 / FGeometry.PixelsPerInchY;
  cairo_surface_set_device_scale(FTarget, sx, sy);
  cairo_surface_set_device_offset(FTarget, FGeometry.OffsetX * sx, FGeometry.OffsetY * sy);
  FOpen = true;
  StartPage();
}

void TPrintJob::StartPage() {
  ++FPageNumber;
  if (FCopies == 1) {
    FPage = FTarget;
  } else {
    cairo_rectangle_t extents{0, 0, double(FGeometry.PageWidth), double(FGeometry.PageHeight)};
    FPage = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
  }
  LayPaper(FPage, FGeometry);
  FCanvas->AttachSurface(FPage, FGeometry.PageWidth, FGeometry.PageHeight);
}

void TPrintJob::FinishPage() {
  FCanvas->AttachSurface(nullptr);
  if (FPage == FTarget) {
    cairo_surface_show_page(FTarget);
  } else if (FPage) {
    FPages.push_back(FPage);
  }
  FPage = nullptr;
}

void TPrintJob::NewPage() {
  if (!FOpen) return;
  FinishPage();
  StartPage();
}

void TPrintJob::EndDoc() {
  if (!FOpen) return;
  FinishPage();
  FOpen = false;
  if (!FPages.empty()) {
    cairo_t* cr = cairo_create(FTarget);
    for (int copy = 0; copy < FCopies; ++copy) {
      for (cairo_surface_t* page : FPages) {
        cairo_set_source_surface(cr, page, 0, 0);
        cairo_paint(cr);
        cairo_surface_show_page(FTarget);
      }
    }
    cairo_destroy(cr);
  }
  cairo_surface_finish(FTarget);
  // A file that could not be written whole (a full disk, a closed pipe) is no document.
  if (!CloseFile() || cairo_surface_status(FTarget) != CAIRO_STATUS_SUCCESS) {
    Discard();
    throw EPrinter("Printer could not write the document");
  }
  Deliver();
}

void TPrintJob::Abort() {
  if (!FOpen) return;
  FCanvas->AttachSurface(nullptr);
  FOpen = false;
  cairo_surface_finish(FTarget);
  CloseFile();
  Discard();
}

namespace {

class TPdfJob : public TPrintJob {
 public:
  TPdfJob(TPdfPrinter& Printer, const std::string& Title, int Copies, TPrinterOrientation O)
      : TPrintJob(Printer.Geometry(O), Printer.Paper, Copies), FPrinter(Printer),
        FFileName(Printer.FileName) {
    cairo_surface_t* s = OpenPdf(FFileName, Printer.Geometry(O));
    // cairo writes no page resources, and loses a pattern, once it meets a title that is
    // not UTF-8.
    if (!Title.empty())
      cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_TITLE, SpoolerTitle(Title).c_str());
    cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_CREATOR, "qjxhtml");
  }

 protected:
  void Deliver() override {
    if (FPrinter.OnDocument) FPrinter.OnDocument(FFileName);
  }
  // Only a file of its own is removed: a job sent to a device or a pipe leaves it be.
  void Discard() override {
    std::error_code error;
    if (std::filesystem::is_regular_file(FFileName, error)) std::remove(FFileName.c_str());
  }

 private:
  TPdfPrinter& FPrinter;
  std::string FFileName;
};

}  // namespace

TPdfPrinter::TPdfPrinter() { Name = "PDF"; }

std::unique_ptr<TPrintJob> TPdfPrinter::StartJob(const std::string& Title, int Copies,
                                                 TPrinterOrientation Orientation) {
  return std::make_unique<TPdfJob>(*this, Title, Copies, Orientation);
}

// ---- The list ---------------------------------------------------------------------------

TPrinter::TPrinter() {
  FDevices.push_back(std::make_unique<TPdfPrinter>());
  for (auto& d : CupsDestinations()) FDevices.push_back(std::move(d));
}

TPrinter::~TPrinter() = default;

std::vector<std::string> TPrinter::Printers() const {
  std::vector<std::string> names;
  for (const auto& d : FDevices) names.push_back(d->Name);
  return names;
}

TPrintDevice* TPrinter::Device(int Index) const {
  return Index >= 0 && Index < Count() ? FDevices[size_t(Index)].get() : nullptr;
}

int TPrinter::IndexOf(const std::string& Name) const {
  for (int i = 0; i < Count(); ++i)
    if (FDevices[size_t(i)]->Name == Name) return i;
  return -1;
}

TPrintDevice* TPrinter::Selected() const {
  TPrintDevice* d = Device(PrinterIndex);
  return d ? d : FDevices.front().get();
}

int TPrinter::Add(std::unique_ptr<TPrintDevice> Device) {
  FDevices.push_back(std::move(Device));
  return Count() - 1;
}

void TPrinter::Remove(TPrintDevice* Device) {
  for (size_t i = 1; i < FDevices.size(); ++i) {
    if (FDevices[i].get() != Device) continue;
    if (PrinterIndex == int(i)) PrinterIndex = -1;
    else if (PrinterIndex > int(i)) --PrinterIndex;
    FDevices.erase(FDevices.begin() + std::ptrdiff_t(i));
    return;
  }
}

void TPrinter::Refresh() {
  FDevices.resize(1);
  PrinterIndex = -1;
  for (auto& d : CupsDestinations()) FDevices.push_back(std::move(d));
}

TPrinter& Printer() {
  static TPrinter printer;
  return printer;
}

TPdfPrinter& PdfPrinter() { return static_cast<TPdfPrinter&>(*Printer().Device(0)); }
