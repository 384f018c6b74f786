// Printing over pages: the band the margins leave, where pages are cut, page ranges,
// header events that stop the job, and the printed PDF read back against the preview.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "print/print_document.h"
#include "print/vw_print.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"

namespace {

namespace fs = std::filesystem;

// Margins of 2 cm on A4 at 300 pixels per inch with a given unprintable border.
TPrinterGeometry A4(int Border) {
  TPdfPrinter p;
  p.Border = Border;
  return p.Geometry(poPortrait);
}

TEST(PrintBand, MarginsCountFromThePaperEdgeNotFromTheUnprintableBorder) {
  const int halfCm = 59;  // 0.5 cm at 300 per inch
  struct Case {
    int Border;
    double Margin;
    int ExpectL;  // device pixels inside the printable area
  } cases[] = {
      {0, 2.0, 236},            // Trunc(2 / 2.54 * 300)
      {halfCm, 2.0, 236 - 59},  // 1.5 cm inside the printable area
      {halfCm, 0.3, 0},         // a margin inside the border starts at its edge
  };
  for (const Case& c : cases) {
    TPrintSettings s;
    s.MarginLeft = s.MarginTop = s.MarginRight = s.MarginBottom = c.Margin;
    const TPrinterGeometry g = A4(c.Border);
    const TPrintBand b = ComputePrintBand(g, s);
    SCOPED_TRACE(c.Border);
    EXPECT_EQ(b.L, c.ExpectL);
    EXPECT_EQ(b.T, c.ExpectL);
    EXPECT_EQ(b.Wd, g.PageWidth - 2 * c.ExpectL);
    EXPECT_EQ(b.Hd, g.PageHeight - 2 * c.ExpectL);
    // Screen pixels at 96 per inch, rounded.
    EXPECT_EQ(b.Left, (c.ExpectL * 96 * 2 + 300) / 600);
    EXPECT_EQ(b.Height, (b.Hd * 96 * 2 + 300) / 600);
  }
}

TEST(PrintJobs, PrinterStatesRaiseTheirMessages) {
  TvwPrinter p;
  auto message = [](auto&& f) -> std::string {
    try {
      f();
    } catch (const EPrinter& e) {
      return e.what();
    }
    return "";
  };
  PdfPrinter().FileName = (fs::temp_directory_path() / "qjx-print-states.pdf").string();
  EXPECT_EQ(message([&] { p.NewPage(); }), "Printer is not currently printing");
  EXPECT_EQ(message([&] { p.EndDoc(); }), "Printer is not currently printing");
  p.BeginDoc();
  EXPECT_EQ(p.PageNumber(), 1);
  EXPECT_EQ(message([&] { p.BeginDoc(); }), "Printing in progress");
  p.NewPage();
  EXPECT_EQ(p.PageNumber(), 2);
  p.Abort();
  EXPECT_FALSE(p.Printing());
  EXPECT_FALSE(fs::exists(PdfPrinter().FileName)) << "an aborted job leaves no file";
}

bool HavePoppler() {
  return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") == 0;
}

std::string ReadText(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A page of the PDF as text.
std::string PdfPageText(const std::string& Pdf, int Page) {
  const std::string out = Pdf + ".txt";
  const std::string cmd = "pdftotext -f " + std::to_string(Page) + " -l " + std::to_string(Page) +
                          " \"" + Pdf + "\" \"" + out + "\"";
  if (std::system(cmd.c_str()) != 0) return "";
  return ReadText(out);
}

int PdfPageCount(const std::string& Pdf) {
  // Pages start with "/Type /Page" followed by anything but "s" in cairo's output.
  const std::string pdf = ReadText(Pdf);
  int n = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    if (at + 11 < pdf.size() && pdf[at + 11] != 's') ++n;
  return n;
}

struct TGrey {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;
  int At(int X, int Y) const { return Pixels[size_t(Y) * size_t(Width) + size_t(X)]; }
};

// A page of the PDF rendered at Dpi, in grey.
TGrey PdfPageImage(const std::string& Pdf, int Page, int Dpi) {
  const std::string base = Pdf + "-img";
  const std::string cmd = "pdftoppm -gray -r " + std::to_string(Dpi) + " -f " + std::to_string(Page) +
                          " -l " + std::to_string(Page) + " -singlefile \"" + Pdf + "\" \"" + base + "\"";
  TGrey g;
  if (std::system(cmd.c_str()) != 0) return g;
  const std::string data = ReadText(base + ".pgm");
  std::istringstream in(data);
  std::string magic;
  int max = 0;
  in >> magic >> g.Width >> g.Height >> max;
  in.get();
  g.Pixels.resize(size_t(g.Width) * size_t(g.Height));
  in.read(reinterpret_cast<char*>(g.Pixels.data()), std::streamsize(g.Pixels.size()));
  return g;
}

TGrey BitmapGrey(TBitmap& B) {
  TGrey g;
  g.Width = B.Width();
  g.Height = B.Height();
  for (int y = 0; y < g.Height; ++y)
    for (int x = 0; x < g.Width; ++x) {
      const TColor c = B.Pixel(x, y);
      g.Pixels.push_back(uint8_t((GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100));
    }
  return g;
}

TEST(PrintJobs, CopiesRepeatTheWholeDocumentInOrder) {
  const std::string pdf = (fs::temp_directory_path() / "qjx-print-copies.pdf").string();
  PdfPrinter().FileName = pdf;
  Printer().Copies = 2;
  {
    TvwPrinter p;
    p.BeginDoc();
    p.Canvas().TextOut(100, 100, "First sheet");
    p.NewPage();
    p.Canvas().TextOut(100, 100, "Second sheet");
    p.EndDoc();
  }
  Printer().Copies = 1;
  EXPECT_EQ(PdfPageCount(pdf), 4);
  if (HavePoppler()) {
    for (int page = 1; page <= 4; ++page)
      EXPECT_NE(PdfPageText(pdf, page).find(page % 2 ? "First" : "Second"), std::string::npos) << page;
  }
  fs::remove(pdf);
  fs::remove(pdf + ".txt");
}

// Titles come in the document's bytes. cairo's PDF writer, given a title that is not UTF-8,
// left out the page's resources (its pictures) and lost a pattern.
TEST(PrintJobs, TitlesReachThePdfAsWellFormedUtf8) {
  const std::string e = "\xC3\xA9";  // U+00E9 in UTF-8
  struct Case {
    std::string In, Out;
  } cases[] = {
      {"Caf\xE9 \x80", "Caf" + e + " \xE2\x82\xAC"},  // Windows-1252
      {"Caf" + e, "Caf" + e},
      {"\xEF\xBF\xBD" + e, "\xEF\xBF\xBD" + e},  // a well-formed U+FFFD stays UTF-8
      {std::string(30, 'a') + e + "b", std::string(30, 'a') + e},  // 31 characters, none cut
      {std::string(30, 'a') + "\xC3", std::string(30, 'a') + "\xC3\x83"},
  };
  for (const Case& c : cases) EXPECT_EQ(SpoolerTitle(c.In), c.Out) << c.In;

  const std::string pdf = (fs::temp_directory_path() / "qjx-print-title.pdf").string();
  PdfPrinter().FileName = pdf;
  {
    TvwPrinter p;
    p.FTitle = "Caf\xE9";
    p.BeginDoc();
    TBitmap picture(8, 8);
    picture.Canvas().FillRect(TRect{0, 0, 8, 8}, clRed);
    p.Canvas().StretchDraw(TRect{100, 100, 300, 300}, picture);
    p.EndDoc();
  }
  const std::string text = ReadText(pdf);
  EXPECT_NE(text.find("/Subtype /Image"), std::string::npos);
  EXPECT_NE(text.find("/Title <FEFF00430061006600E9>"), std::string::npos);
  fs::remove(pdf);
}

class Printing : public ::testing::Test {
 protected:
  void SetUp() override {
    TCreateParams params;
    params.Width = 500;
    params.Height = 400;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    FHost = CreateWindow(params);
    FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 500, 400);
    FDir = fs::temp_directory_path() / ("qjx-print-" + std::to_string(::getpid()));
    fs::create_directories(FDir);
    auto pdf = std::make_unique<TPdfPrinter>();
    pdf->Name = "Test PDF";
    FPdf = pdf.get();
    Printer().PrinterIndex = Printer().Add(std::move(pdf));
    FPdf->OnDocument = [this](const std::string& Name) { FDocuments.push_back(Name); };
  }
  void TearDown() override {
    Printer().Remove(FPdf);
    FViewer.reset();
    DestroyWindow(FHost);
    fs::remove_all(FDir);
  }
  void Load(const std::string& Html) { FViewer->LoadFromBuffer(Html.data(), int(Html.size())); }
  std::string Output(const std::string& Name) {
    FPdf->FileName = (FDir / Name).string();
    return FPdf->FileName;
  }
  // Sections that each start a page: "Section 1" to "Section N".
  static std::string Sections(int N) {
    std::string html = "<title>Sections</title>";
    for (int i = 1; i <= N; ++i)
      html += "<div style=\"page-break-before: always\"><h1>Section " + std::to_string(i) +
              "</h1><p>Body of section " + std::to_string(i) + ".</p></div>";
    return html;
  }
  static std::string Paragraphs(int N) {
    std::string html;
    for (int i = 1; i <= N; ++i)
      html += "<p style=\"font-size: 20pt\">Paragraph " + std::to_string(i) + " ends here.</p>";
    return html;
  }

  HWND FHost = nullptr;
  std::unique_ptr<THTMLViewer> FViewer;
  fs::path FDir;
  TPdfPrinter* FPdf = nullptr;
  std::vector<std::string> FDocuments;
};

TEST_F(Printing, EmptyDocumentCountsNoPagesAndPrintsNothing) {
  for (const char* html : {"", "<!-- nothing -->"}) {
    Load(html);
    EXPECT_EQ(FViewer->CountPrintPages(), 0) << html;
    Output("empty.pdf");
    FViewer->PrintPages(1, 9);
    EXPECT_EQ(FViewer->PrintPage(), 0);
    EXPECT_TRUE(FDocuments.empty());
  }
}

// A job whose file cannot be written (here a full device) fails with its message: the host
// is not told of a document, the device stays, and the viewer and the printer print again.
TEST_F(Printing, AJobThatCannotBeWrittenFailsAndPrintsAgainAfter) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  Load(Paragraphs(40));
  FPdf->FileName = "/dev/full";
  TvwPrinter* const current = CurrentVwPrinter();
  std::string message;
  try {
    FViewer->PrintPages(1, 9999);
  } catch (const EPrinter& e) {
    message = e.what();
  }
  EXPECT_EQ(message, "Printer could not write the document");
  EXPECT_TRUE(FDocuments.empty());
  EXPECT_TRUE(fs::exists("/dev/full"));
  EXPECT_EQ(CurrentVwPrinter(), current);
  const std::string pdf = Output("after-failure.pdf");
  FViewer->PrintPages(1, 9999);
  ASSERT_EQ(FDocuments.size(), 1u);
  EXPECT_EQ(FDocuments[0], pdf);
  EXPECT_GT(fs::file_size(pdf), 1000u);
}

// The count of pages records none of them, yet finds the pages the preview records and the
// printer prints, and stops where a header stops it.
TEST_F(Printing, CountOfPagesAgreesWithThePreviewAndThePrint) {
  std::string table = "<table border=1>";
  for (int r = 0; r < 120; ++r) table += "<tr><td>row " + std::to_string(r) + "<td>" + std::string(r % 7 + 1, 'w');
  const std::string pages[] = {Sections(4), Paragraphs(60), table + "</table><p>after",
                               "<p>text<form><input value=a><select><option>b</select></form>" +
                                   Paragraphs(30),
                               "<pre>" + std::string(3000, '\n') + "x</pre>"};
  for (const std::string& page : pages) {
    SCOPED_TRACE(page.substr(0, 40));
    Load(page);
    const int counted = FViewer->CountPrintPages();
    TMetaFilePrinter preview;
    FViewer->PrintPreview(preview);
    EXPECT_EQ(counted, preview.LastAvailablePage());
    Output("count.pdf");
    FViewer->PrintPages(1, 9999);
    EXPECT_EQ(counted, FViewer->PrintPage());
    EXPECT_GT(counted, 1);
  }
  FViewer->OnPrintHeader = [](TObject*, TCanvas*, int Page, int, int, bool& Stop) { Stop = Page == 2; };
  EXPECT_EQ(FViewer->CountPrintPages(), 2);
  FViewer->OnPrintHeader = nullptr;
}

TEST_F(Printing, PageRangeOfFiveSectionsPrintsOnlyItsPages) {
  Load(Sections(5));
  EXPECT_EQ(FViewer->CountPrintPages(), 5);
  struct Case {
    int From, To;
    std::vector<int> Sections;  // on the sheets, in order
  } cases[] = {{2, 3, {2, 3}}, {1, 5, {1, 2, 3, 4, 5}}, {5, 9, {5}}, {6, 7, {}}};
  if (!HavePoppler()) GTEST_SKIP() << "pdftotext and pdftoppm (poppler-utils) are not installed";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.From);
    FDocuments.clear();
    const std::string pdf = Output("range.pdf");
    FViewer->PrintPages(c.From, c.To);
    if (c.Sections.empty()) {
      EXPECT_TRUE(FDocuments.empty()) << "a range past the end aborts the job";
      EXPECT_FALSE(fs::exists(pdf));
      continue;
    }
    ASSERT_EQ(FDocuments.size(), 1u);
    ASSERT_EQ(PdfPageCount(pdf), int(c.Sections.size()));
    for (size_t i = 0; i < c.Sections.size(); ++i) {
      const std::string text = PdfPageText(pdf, int(i) + 1);
      for (int s = 1; s <= 5; ++s)
        EXPECT_EQ(text.find("Section " + std::to_string(s)) != std::string::npos, s == c.Sections[i])
            << "sheet " << i + 1 << ": " << text;
    }
    fs::remove(pdf);
  }
}

TEST_F(Printing, HeaderThatStopsEndsTheJobAfterItsPage) {
  Load(Sections(5));
  std::vector<int> headers, footers;
  FViewer->OnPrintHeader = [&](TObject* Sender, TCanvas* Canvas, int Page, int, int, bool& Stop) {
    EXPECT_EQ(Sender, FViewer.get());
    ASSERT_NE(Canvas, nullptr);
    headers.push_back(Page);
    if (Page == 2) Stop = true;
  };
  FViewer->OnPrintFooter = [&](TObject*, TCanvas*, int Page, int, int, bool&) { footers.push_back(Page); };
  Output("stopped.pdf");
  FViewer->PrintPages(1, 5);
  EXPECT_EQ(headers, (std::vector<int>{1, 2}));
  EXPECT_EQ(footers, (std::vector<int>{1, 2})) << "the footer of the stopping page is drawn";
  EXPECT_EQ(FViewer->PrintPage(), 2);
  ASSERT_EQ(FDocuments.size(), 1u);
  EXPECT_EQ(PdfPageCount(FDocuments[0]), 2);
  headers.clear();
  EXPECT_EQ(FViewer->CountPrintPages(), 2) << "the preview stops alike";
}

TEST_F(Printing, LineCrossingTheBandBottomMovesWholeToTheNextPage) {
  if (!HavePoppler()) GTEST_SKIP() << "pdftotext and pdftoppm (poppler-utils) are not installed";
  Load(Paragraphs(80));
  const std::string pdf = Output("lines.pdf");
  FViewer->PrintPages(1, 99);
  const int pages = PdfPageCount(pdf);
  ASSERT_GE(pages, 3);
  // Every paragraph on exactly one page, in order.
  int next = 1;
  for (int p = 1; p <= pages; ++p) {
    std::istringstream text(PdfPageText(pdf, p));
    std::string line;
    while (std::getline(text, line)) {
      if (line.rfind("Paragraph ", 0) != 0) continue;
      EXPECT_EQ(line, "Paragraph " + std::to_string(next) + " ends here.") << "page " << p;
      ++next;
    }
  }
  EXPECT_EQ(next, 81);
  // Nothing is cut: every word's box ends above the band's bottom, 2 cm above the paper's
  // (in points), and the pages are filled to near it.
  const double bandBottom = (29.7 - 2.0) / 2.54 * 72;
  const std::string boxes = Output("boxes.html");
  ASSERT_EQ(std::system(("pdftotext -bbox \"" + pdf + "\" \"" + boxes + "\"").c_str()), 0);
  const std::string html = ReadText(boxes);
  std::vector<double> lowest(size_t(pages) + 1, 0.0);
  int page = 0;
  for (size_t at = 0; (at = html.find('<', at)) != std::string::npos; ++at) {
    if (html.compare(at, 6, "<page ") == 0) ++page;
    if (html.compare(at, 6, "<word ") != 0 || page < 1 || page > pages) continue;
    const size_t y = html.find("yMax=\"", at);
    const double yMax = std::atof(html.c_str() + y + 6);
    lowest[size_t(page)] = std::max(lowest[size_t(page)], yMax);
  }
  for (int p = 1; p <= pages; ++p) {
    EXPECT_LE(lowest[size_t(p)], bandBottom) << "page " << p;
    if (p < pages) {
      EXPECT_GT(lowest[size_t(p)], bandBottom - 40) << "page " << p << " is filled";
    }
  }
}

// A table (of the most columns a table takes) far wider and taller than the band: its rows run on over the pages, each row
// whole on one page, and what is wider than the band is cut at its right edge.
TEST_F(Printing, AWideTallTablePrintsOverAsManyPagesAsItsRowsNeed) {
  constexpr int Rows = 120, Columns = 200;
  std::string html = "<table>";
  for (int r = 1; r <= Rows; ++r) {
    html += "<tr><td>Row" + std::to_string(r);
    for (int c = 1; c < Columns; ++c) html += "<td>x";
  }
  Load(html + "</table><p>After the table.</p>");
  const int counted = FViewer->CountPrintPages();
  EXPECT_GE(counted, 2);
  const std::string pdf = Output("table.pdf");
  FViewer->PrintPages(1, 999);
  EXPECT_EQ(FViewer->PrintPage(), counted);
  ASSERT_EQ(FDocuments.size(), 1u);
  if (!HavePoppler()) GTEST_SKIP() << "pdftotext and pdftoppm (poppler-utils) are not installed";
  ASSERT_EQ(PdfPageCount(pdf), counted);
  int next = 1;
  for (int p = 1; p <= counted; ++p) {
    std::istringstream text(PdfPageText(pdf, p));
    std::string word;
    while (text >> word) {
      if (word.rfind("Row", 0) != 0) continue;
      EXPECT_EQ(word, "Row" + std::to_string(next)) << "page " << p;
      ++next;
    }
  }
  EXPECT_EQ(next, Rows + 1);
  EXPECT_NE(PdfPageText(pdf, counted).find("After the table."), std::string::npos);
}

TEST_F(Printing, PrintedPagesHoldTextAndLookLikeThePreview) {
  if (!HavePoppler()) GTEST_SKIP() << "pdftotext and pdftoppm (poppler-utils) are not installed";
  Load(Sections(3) + "<hr><p><b>Bold</b> and <font color=red>red</font> text.</p>");
  const std::string pdf = Output("preview.pdf");
  FViewer->PrintPages(1, 9);
  TMetaFilePrinter preview;
  FViewer->PrintPreview(preview);
  ASSERT_EQ(preview.LastAvailablePage(), PdfPageCount(pdf));
  const std::string fonts = ReadText(pdf);
  EXPECT_NE(fonts.find("/FontFile"), std::string::npos) << "text is set in embedded fonts";
  EXPECT_EQ(fonts.find("/Subtype /Image"), std::string::npos) << "no page is a picture";
  const int dpi = 60;
  for (int p = 1; p <= preview.LastAvailablePage(); ++p) {
    SCOPED_TRACE(p);
    EXPECT_NE(PdfPageText(pdf, p).find("Section " + std::to_string(p)), std::string::npos);
    const TGrey printed = PdfPageImage(pdf, p, dpi);
    auto bitmap = preview.Page(p)->ToBitmap(dpi / 300.0);
    const TGrey shown = BitmapGrey(*bitmap);
    ASSERT_NEAR(printed.Width, shown.Width, 1);
    ASSERT_NEAR(printed.Height, shown.Height, 1);
    // Glyph edges are smoothed differently; compared over blocks of 4 x 4 pixels, a
    // misplaced word or line would still show.
    int far = 0, ink = 0;
    for (int by = 0; by + 4 <= std::min(printed.Height, shown.Height); by += 4)
      for (int bx = 0; bx + 4 <= std::min(printed.Width, shown.Width); bx += 4) {
        int a = 0, b = 0;
        for (int y = by; y < by + 4; ++y)
          for (int x = bx; x < bx + 4; ++x) {
            a += printed.At(x, y);
            b += shown.At(x, y);
          }
        ink += a < 16 * 200;
        far += std::abs(a - b) > 16 * 48;
      }
    EXPECT_GT(ink, 20);
    EXPECT_LT(far, ink / 10 + 2);
  }
}

}  // namespace
