// The viewer queries of the C host interface: what a scripting host reads from and does
// to the first viewer of a host window besides the commands of HV_Proc.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "include/qjxhtml_host.h"
#include "plugin/host_memory.h"
#include "plugin/last_error.h"
#include "plugin/registry.h"
#include "toolkit/printers/printer.h"

namespace {

// The viewer of Wnd when it can be used now; null with the reason as the last error.
THTMLViewer* UsableViewer(HWND Wnd) {
  const std::unique_ptr<TChtm>& registry = Registry();
  THtmlVHelper* item = registry ? registry->Find(Wnd) : nullptr;
  if (!item) {
    SetLastError("No viewer in this window");
    return nullptr;
  }
  if (item->FViewer->Processing() || item->FViewer->DocumentHeld()) {
    SetLastError("Viewer busy: it loads, prints or handles a control's event");
    return nullptr;
  }
  return item->FViewer.get();
}

// The viewer calls start with no error standing.
template <typename F>
auto Checked(F f, decltype(f()) failure) -> decltype(f()) {
  ClearLastError();
  return Guarded(f, failure);
}

// Margins in centimetres, checked; the defaults when none are given.
std::optional<std::array<double, 4>> ReadMargins(const double* Margins) {
  std::array<double, 4> margins{2.0, 2.0, 2.0, 2.0};
  if (!Margins) return margins;
  if (!ReadHostMemory(Margins, margins.data(), sizeof margins)) {
    SetLastError("Unreadable margins");
    return std::nullopt;
  }
  for (double m : margins)
    if (!(m >= 0 && m <= 20)) {
      SetLastError("Margins must be from 0 to 20 centimetres");
      return std::nullopt;
    }
  return margins;
}

// Sets the PDF printer up for one job and puts the printer list back as it was after.
class TPdfJobSettings {
 public:
  TPdfJobSettings(const std::string& FileName, TPaperSize Paper)
      : FIndex(Printer().PrinterIndex), FOrientation(Printer().Orientation),
        FFileName(PdfPrinter().FileName), FPaper(PdfPrinter().Paper) {
    PdfPrinter().FileName = FileName;
    PdfPrinter().Paper = Paper;
    Printer().PrinterIndex = Printer().IndexOf(PdfPrinter().Name);
    Printer().Orientation = poPortrait;
  }
  ~TPdfJobSettings() {
    Printer().PrinterIndex = FIndex;
    Printer().Orientation = FOrientation;
    PdfPrinter().FileName = FFileName;
    PdfPrinter().Paper = FPaper;
  }
  TPdfJobSettings(const TPdfJobSettings&) = delete;
  TPdfJobSettings& operator=(const TPdfJobSettings&) = delete;

 private:
  int FIndex;
  TPrinterOrientation FOrientation;
  std::string FFileName;
  TPaperSize FPaper;
};

}  // namespace

extern "C" {

int QjxViewerDocumentHeight(HWND Wnd) {
  return Checked([&] {
    THTMLViewer* viewer = UsableViewer(Wnd);
    return viewer ? viewer->MaxVertical() : -1;
  }, -1);
}

int QjxViewerScrollTo(HWND Wnd, int Y) {
  return Checked([&] {
    THTMLViewer* viewer = UsableViewer(Wnd);
    if (!viewer) return -1;
    viewer->SetVScrollPos(std::max(Y, 0));
    return viewer->VScrollPos();
  }, -1);
}

int QjxViewerScrollPos(HWND Wnd) {
  return Checked([&] {
    THTMLViewer* viewer = UsableViewer(Wnd);
    return viewer ? viewer->VScrollPos() : -1;
  }, -1);
}

int QjxViewerSelectAll(HWND Wnd) {
  return Checked([&] {
    THTMLViewer* viewer = UsableViewer(Wnd);
    if (!viewer) return -1;
    viewer->SelectAll();
    return 0;
  }, -1);
}

int QjxViewerText(HWND Wnd, int What, char* Buffer, int Size) {
  return Checked([&] {
    THTMLViewer* viewer = UsableViewer(Wnd);
    if (!viewer) return -1;
    if (What != QJX_TEXT_TITLE && What != QJX_TEXT_SELECTION) {
      SetLastError("Unknown text kind " + std::to_string(What));
      return -1;
    }
    if (Size < 0 || (Size > 0 && !Buffer)) {
      SetLastError("Bad text buffer");
      return -1;
    }
    const std::string text = What == QJX_TEXT_TITLE ? viewer->DocumentTitle() : viewer->SelText();
    if (Size > 0) {
      size_t n = std::min(text.size(), size_t(Size) - 1);
      // The selection is UTF-8: a character the buffer would cut is left out whole.
      if (What == QJX_TEXT_SELECTION)
        while (n > 0 && n < text.size() && (uint8_t(text[n]) & 0xC0) == 0x80) --n;
      const std::string copy = text.substr(0, n);
      if (!WriteHostMemory(Buffer, copy.c_str(), n + 1)) {
        SetLastError("Unwritable text buffer");
        return -1;
      }
    }
    return int(std::min<size_t>(text.size(), INT32_MAX));
  }, -1);
}

int QjxViewerPrintPdf(HWND Wnd, const char* FileName, int FromPage, int ToPage,
                      const double* Margins, int Paper) {
  return Checked([&] {
    THTMLViewer* viewer = UsableViewer(Wnd);
    if (!viewer) return 0;
    const std::optional<std::string> file = FileName ? ReadHostString(FileName, MaxHostText)
                                                     : std::nullopt;
    if (!file || file->empty()) {
      SetLastError("No PDF file name");
      return 0;
    }
    if (FromPage < 1 || ToPage < 0 || (ToPage != 0 && ToPage < FromPage)) {
      SetLastError("Pages must be FROM-TO with 1 <= FROM <= TO (TO 0: to the end)");
      return 0;
    }
    if (Paper != QJX_PAPER_A4 && Paper != QJX_PAPER_LETTER) {
      SetLastError("Unknown paper " + std::to_string(Paper));
      return 0;
    }
    const std::optional<std::array<double, 4>> margins = ReadMargins(Margins);
    if (!margins) return 0;
    const std::array<double, 4> previous{viewer->PrintMarginLeft, viewer->PrintMarginTop,
                                         viewer->PrintMarginRight, viewer->PrintMarginBottom};
    auto setMargins = [viewer](const std::array<double, 4>& m) {
      viewer->PrintMarginLeft = m[0];
      viewer->PrintMarginTop = m[1];
      viewer->PrintMarginRight = m[2];
      viewer->PrintMarginBottom = m[3];
    };
    struct TRestore {
      std::function<void()> Undo;
      ~TRestore() { Undo(); }
    } restore{[&] { setMargins(previous); }};
    setMargins(*margins);
    TPdfJobSettings settings(*file, Paper == QJX_PAPER_LETTER ? PaperLetter : PaperA4);
    const int to = ToPage == 0 ? (1 << 30) : ToPage;
    viewer->PrintPages(FromPage, to);
    const int printed = std::min(viewer->PrintPage(), to) - FromPage + 1;
    if (printed <= 0) {
      SetLastError("The document has no page " + std::to_string(FromPage));
      return 0;
    }
    return printed;
  }, 0);
}

}  // extern "C"
