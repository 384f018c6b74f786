// The printing and preview passes.
#include "print/print_document.h"

#include <algorithm>
#include <cmath>

#include "document/core/section_list.h"
#include "print/vw_print.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/windows/window.h"

namespace {

// a * b / c rounded to the nearest, halves away from zero; c > 0.
int MulDiv(int64_t a, int64_t b, int64_t c) {
  const int64_t n = a * b;
  return int(n >= 0 ? (2 * n + c) / (2 * c) : -((-2 * n + c) / (2 * c)));
}

// A band narrower than this (after huge margins) is widened, so that every page takes
// some of the document and the pass ends.
constexpr int MinBandPixels = 16;

// The document made ready for a pass: for the pass's life it lays out and draws for
// pages, on a white page whose colour the viewer does not follow.
class TPrintedDocument {
 public:
  explicit TPrintedDocument(TSectionList& Doc) : FPass(Doc) {
    Doc.SetBackgroundColor(TColor(0xFFFFFF));
    Doc.ViewScrolled();
  }

 private:
  TSectionList::TPrintPass FPass;
};

// The pass over Doc's pages: Band is the page's band, ScrollY set page by page.
TPaintContext PrintContext(const TSectionList& Doc, const TPrintSettings& Settings,
                           const TPrintBand& Band) {
  TPaintContext c;
  c.Band = Band.Rect();
  c.ForPrinter = true;
  c.PrintColors = Doc.PrintColors;
  c.PrintMonoBlack = Settings.PrintMonoBlack;
  c.Palette = Settings.Palette;
  return c;
}

// Puts the page starting at document Y PageTop under the band.
void ScrollToPage(TSectionList& Doc, TPaintContext& Pass, int PageTop) {
  Pass.ScrollY = PageTop - Pass.Band.Top;
  Doc.ViewScrolled();
}

void MapToScreenPixels(TCanvas& Canvas, const TPrinterGeometry& G, int S) {
  Canvas.SetMapping(S, S, G.PixelsPerInchX, G.PixelsPerInchY);
  Canvas.SetWindowOrg(0, 0);
}

// Blanks the strips above the band and below the cut, then runs the header and footer
// events with the canvas state kept around them. PageTop is the document Y of the page.
void FinishPage(TCanvas& Canvas, const TPrintBand& Band, const TPrintSettings& Settings,
                int PageLimit, int PageTop, int PageNumber, bool& Stop) {
  const TFontSpec font = Canvas.Font;
  const TPen pen = Canvas.Pen;
  const TBrush brush = Canvas.Brush;
  Canvas.Brush = TBrush{clWhite, bsSolid};
  Canvas.Pen = TPen{clWhite, 1, psSolid};
  Canvas.Rectangle(Band.Left, 0, Band.Left + Band.Width + 1, Band.Top - 1);
  Canvas.Rectangle(Band.Left, PageLimit + Band.Top - PageTop, Band.Left + Band.Width + 1,
                   Band.Top + Band.Height);
  Canvas.Pen = pen;
  const unsigned align = Canvas.SetTextAlign(TA_LEFT | TA_TOP);
  if (Settings.OnPrintHeader) {
    Canvas.SetWindowOrg(0, 0);
    Settings.OnPrintHeader(Settings.Sender, &Canvas, PageNumber, Band.W, Band.Top, Stop);
  }
  if (Settings.OnPrintFooter) {
    Canvas.SetWindowOrg(0, -(Band.Top + Band.Height));
    Settings.OnPrintFooter(Settings.Sender, &Canvas, PageNumber, Band.W,
                           Band.PageHeight - Band.Top - Band.Height, Stop);
  }
  Canvas.SetWindowOrg(0, 0);
  Canvas.SetTextAlign(align);
  Canvas.Font = font;
  Canvas.Pen = pen;
  Canvas.Brush = brush;
}

// The next page's top: where the last draw cut the page, but always further down.
int NextPageTop(const TPaintContext& Pass, int PageTop, const TPrintBand& Band) {
  return Pass.PageLimit > PageTop ? Pass.PageLimit : PageTop + Band.Height;
}

}  // namespace

TPrintBand ComputePrintBand(const TPrinterGeometry& G, const TPrintSettings& Settings) {
  TPrintBand b;
  const int S = Settings.ScreenPixelsPerInch > 0 ? Settings.ScreenPixelsPerInch : 96;
  const int px = std::max(1, G.PixelsPerInchX), py = std::max(1, G.PixelsPerInchY);
  const int rightStrip = std::max(0, G.PhysicalWidth - G.PageWidth - G.OffsetX);
  const int bottomStrip = std::max(0, G.PhysicalHeight - G.PageHeight - G.OffsetY);
  auto device = [](double cm, int ppi) { return int(std::trunc(cm / 2.54 * ppi)); };
  // A margin inside the unprintable strip starts at the printable edge.
  b.L = std::max(0, device(Settings.MarginLeft, px) - G.OffsetX);
  b.R = std::max(0, device(Settings.MarginRight, px) - rightStrip);
  b.T = std::max(0, device(Settings.MarginTop, py) - G.OffsetY);
  b.B = std::max(0, device(Settings.MarginBottom, py) - bottomStrip);
  b.Wd = std::max(MulDiv(MinBandPixels, px, S), G.PageWidth - b.L - b.R);
  b.Hd = std::max(MulDiv(MinBandPixels, py, S), G.PageHeight - b.T - b.B);
  b.Left = MulDiv(b.L, S, px);
  b.Width = MulDiv(b.Wd, S, px);
  b.Top = MulDiv(b.T, S, py);
  b.Height = MulDiv(b.Hd, S, py);
  b.PageHeight = MulDiv(G.PageHeight, S, py);
  b.W = MulDiv(G.PageWidth, S, py);
  return b;
}

int PrintDocumentPages(TSectionList& Doc, const TPrintSettings& Settings, int FromPage,
                       int ToPage) {
  if (Doc.Count() == 0) return 0;
  TPrintedDocument forPages(Doc);
  TvwPrinter printer;
  // The current printer is given back however the job ends, before this one goes.
  struct TRestoreCurrent {
    TvwPrinter* Previous;
    ~TRestoreCurrent() { SetCurrentVwPrinter(Previous); }
  } restore{SetCurrentVwPrinter(&printer)};
  int printPage = 1;
  bool printed = false;
  printer.FTitle = Settings.Title;
  auto finish = [&] {
    --printPage;
    // A job whose wanted pages never came prints nothing.
    if (printer.Printing()) {
      if (printPage < FromPage || !printed) printer.Abort();
      else printer.EndDoc();
    }
  };
  try {
    printer.BeginDoc();
    const TPrinterGeometry G = printer.Geometry();
    const TPrintBand band = ComputePrintBand(G, Settings);
    const int S = Settings.ScreenPixelsPerInch;
    MapToScreenPixels(printer.Canvas(), G, S);
    int scrollWidth = 0, curs = 0;
    const int height =
        Doc.LayoutCell(&printer.Canvas(), 0, band.Width, band.Height, scrollWidth, curs);
    // A document without a character, image or control has nothing to print.
    if (curs == 0) ToPage = 0;
    const TRegion clip(TRect{0, band.T - 1, band.Wd + band.L + 2, band.T + band.Hd + 2});
    // Pages before the range are paginated on a canvas that draws nothing.
    TCanvas skipped;
    skipped.Caps = printer.Canvas().Caps;
    MapToScreenPixels(skipped, G, S);
    ProcessMessages();
    TPaintContext pass = PrintContext(Doc, Settings, band);
    int pageTop = 0;
    bool stop = false;
    while (printPage <= ToPage && !stop) {
      ScrollToPage(Doc, pass, pageTop);
      if (printPage < FromPage) {
        Doc.Draw(&skipped, pass, band.Width, band.Left + 3 * band.Width, 0, 0, 0);
      } else {
        TCanvas& canvas = printer.Canvas();
        MapToScreenPixels(canvas, G, S);
        canvas.SelectClipRgn(&clip);
        Doc.Draw(&canvas, pass, band.Width, band.Left, 0, 0, 0);
        canvas.SelectClipRgn(nullptr);
        FinishPage(canvas, band, Settings, pass.PageLimit, pageTop, printPage, stop);
        printed = true;
      }
      pageTop = NextPageTop(pass, pageTop, band);
      ProcessMessages();
      if (height <= pageTop) stop = true;
      if (!stop && FromPage <= printPage && printPage < ToPage) printer.NewPage();
      ++printPage;
    }
  } catch (...) {
    try {
      finish();
    } catch (...) {
      // The first error is the one to report.
    }
    throw;
  }
  finish();
  return std::max(printPage, 0);
}

int PreviewDocument(TSectionList& Doc, const TPrintSettings& Settings,
                    TMetaFilePrinter& Printer) {
  if (Doc.Count() == 0) return 0;
  TPrintedDocument forPages(Doc);
  Printer.BeginDoc();
  try {
    const TPrinterGeometry& G = Printer.Geometry();
    const TPrintBand band = ComputePrintBand(G, Settings);
    const int S = Settings.ScreenPixelsPerInch;
    TCanvas measure;
    measure.Caps = Printer.Page(1)->Canvas().Caps;
    MapToScreenPixels(measure, G, S);
    int scrollWidth = 0, curs = 0;
    const int height = Doc.LayoutCell(&measure, 0, band.Width, band.Height, scrollWidth, curs);
    const TRegion clip(TRect{0, std::max(0, band.T - 1), std::min(G.PageWidth, band.L + band.Wd + 2),
                             std::min(G.PageHeight, band.T + band.Hd + 2)});
    const TRegion page(TRect{0, 0, G.PageWidth, G.PageHeight});
    ProcessMessages();
    TPaintContext pass = PrintContext(Doc, Settings, band);
    int pageTop = 0, pageNumber = 1;
    // A document without a character, image or control has no pages.
    bool stop = curs == 0;
    while (!stop) {
      ScrollToPage(Doc, pass, pageTop);
      TCanvas* canvas = &Printer.Canvas();
      MapToScreenPixels(*canvas, G, S);
      canvas->SelectClipRgn(&clip);
      Doc.Draw(canvas, pass, band.Width, band.Left, 0, 0, 0);
      canvas->SelectClipRgn(&page);
      FinishPage(*canvas, band, Settings, pass.PageLimit, pageTop, pageNumber, stop);
      canvas->SelectClipRgn(nullptr);
      pageTop = NextPageTop(pass, pageTop, band);
      ProcessMessages();
      if (height <= pageTop) stop = true;
      if (!stop) stop = Printer.NewPage();
      ++pageNumber;
    }
  } catch (...) {
    Printer.EndDoc();
    throw;
  }
  Printer.EndDoc();
  return Printer.LastAvailablePage();
}

int CountDocumentPages(TSectionList& Doc, const TPrintSettings& Settings) {
  if (Doc.Count() == 0) return 0;
  TPrinter& list = Printer();
  if (list.Count() == 0 || !list.Selected()) throw EPrinter("Printer not available");
  const TPrintDevice& device = *list.Selected();
  const TPrinterGeometry G = device.Geometry(list.Orientation);
  TPrintedDocument forPages(Doc);
  const TPrintBand band = ComputePrintBand(G, Settings);
  const int S = Settings.ScreenPixelsPerInch;
  // The pages are cut as the preview cuts them, on a canvas with the device's capabilities
  // and a preview page's font that records nothing.
  TCanvas page;
  device.SetCaps(page, list.Orientation);
  page.FontPixelsPerInch = ScreenLogPixels();
  page.Font.Name = "Arial";
  page.Font.Size = 10;
  page.Brush.Style = bsClear;
  TCanvas measure;
  measure.Caps = page.Caps;
  MapToScreenPixels(measure, G, S);
  int scrollWidth = 0, curs = 0;
  const int height = Doc.LayoutCell(&measure, 0, band.Width, band.Height, scrollWidth, curs);
  ProcessMessages();
  TPaintContext pass = PrintContext(Doc, Settings, band);
  int pageTop = 0, pages = 0;
  bool stop = curs == 0;
  while (!stop) {
    ScrollToPage(Doc, pass, pageTop);
    MapToScreenPixels(page, G, S);
    Doc.Draw(&page, pass, band.Width, band.Left, 0, 0, 0);
    ++pages;
    FinishPage(page, band, Settings, pass.PageLimit, pageTop, pages, stop);
    pageTop = NextPageTop(pass, pageTop, band);
    ProcessMessages();
    if (height <= pageTop) stop = true;
  }
  return pages;
}
