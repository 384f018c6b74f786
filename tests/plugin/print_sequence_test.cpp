// Printing from the host: the page count it is offered, a message before every printed
// page, the footer's page numbers, and copies of a page range.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "host_fixture.h"
#include "toolkit/printers/printer.h"

namespace {

namespace fs = std::filesystem;

std::string PdfText(const std::string& Pdf) {
  const std::string out = Pdf + ".txt";
  if (std::system(("pdftotext \"" + Pdf + "\" \"" + out + "\"").c_str()) != 0) return "";
  std::ifstream in(out);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(PluginHost, PrintCountsAsksPrintsCopiesOfTheRangeAndReports) {
  const fs::path dir = fs::temp_directory_path() / ("qjx-hvprint-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  TPdfPrinter& pdf = PdfPrinter();
  const std::string savedName = pdf.FileName;
  pdf.FileName = (dir / "job.pdf").string();
  std::vector<std::string> jobs;
  pdf.OnDocument = [&](const std::string& Name) {
    jobs.push_back((dir / ("copy" + std::to_string(jobs.size() + 1) + ".pdf")).string());
    fs::rename(Name, jobs.back());
  };

  HWND host = MakeHostWindow();
  HV_Proc(HVC_CREATE, host, 0);
  std::string html;
  for (int i = 1; i <= 5; ++i)
    html += "<div style=\"page-break-before: always\">Chapter " + std::to_string(i) + "</div>";
  THVBuffer buffer{html.data(), intptr_t(html.size())};
  HV_Proc(HVC_LOADBUFFER, host, reinterpret_cast<intptr_t>(&buffer));

  Answer = [](const THostMessage& m) -> intptr_t {
    if (m.Msg == HVM_PRINTREQUEST) {
      auto* request = reinterpret_cast<THVPrintRequest*>(m.lParam);
      request->FromPage = 2;
      request->ToPage = 3;
      request->Copies = 3;
      request->Orientation = 1;
      std::snprintf(request->FooterText, HV_TEXT_MAX + 1, "The footer");
      std::snprintf(request->PrinterName, HV_TEXT_MAX + 1, "no such printer");
    }
    return 1;
  };
  Messages.clear();
  EXPECT_EQ(HV_Proc(HVC_PRINT, host, 0), 0);
  std::vector<unsigned> numbers;
  std::vector<uintptr_t> pages;
  for (const THostMessage& m : Messages) {
    if (m.Msg < HVM_PRINTREQUEST || m.Msg > HVM_PRINTPAGE) continue;
    numbers.push_back(m.Msg);
    if (m.Msg == HVM_PRINTPAGE) pages.push_back(m.wParam);
    if (m.Msg == HVM_PRINTREQUEST) {
      EXPECT_EQ(m.wParam, 5u) << "the host is offered the page count";
    }
  }
  const std::vector<unsigned> expected{HVM_PRINTREQUEST, HVM_PRINTPAGE, HVM_PRINTPAGE,
                                       HVM_PRINTPAGE,    HVM_PRINTPAGE, HVM_PRINTPAGE,
                                       HVM_PRINTPAGE,    HVM_PRINTDONE};
  EXPECT_EQ(numbers, expected);
  EXPECT_EQ(pages, (std::vector<uintptr_t>{2, 3, 2, 3, 2, 3}));
  ASSERT_EQ(jobs.size(), 3u) << "one job per copy, on the default printer";
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) {
    std::printf("pdftotext (poppler-utils) is not installed: the printed text is not read back\n");
  } else {
    for (const std::string& job : jobs) {
      const std::string text = PdfText(job);
      const size_t two = text.find("Chapter 2"), three = text.find("Chapter 3");
      EXPECT_NE(two, std::string::npos) << text;
      EXPECT_NE(three, std::string::npos) << text;
      EXPECT_EQ(text.find("Chapter 1"), std::string::npos);
      EXPECT_EQ(text.find("Chapter 4"), std::string::npos);
      EXPECT_NE(text.find("The footer"), std::string::npos);
      // Each sheet's footer carries its own page number ("Page  2": the text reader
      // makes one blank of two).
      EXPECT_NE(text.find("Page 2", two), std::string::npos) << text;
      EXPECT_LT(text.find("Page 2", two), three);
      EXPECT_NE(text.find("Page 3", three), std::string::npos) << text;
    }
  }
  pdf.OnDocument = nullptr;
  pdf.FileName = savedName;
  fs::remove_all(dir);
}

TEST_F(PluginHost, PrintGoesToTheNamedPrinterInTheAskedOrientation) {
  const fs::path dir = fs::temp_directory_path() / ("qjx-hvnamed-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  auto named = std::make_unique<TPdfPrinter>();
  named->Name = "Named printer";
  named->FileName = (dir / "named.pdf").string();
  TPdfPrinter* printer = named.get();
  Printer().Add(std::move(named));

  HWND host = MakeHostWindow();
  HV_Proc(HVC_CREATE, host, 0);
  const std::string html = "<p>Across the page</p>";
  THVBuffer buffer{html.data(), intptr_t(html.size())};
  HV_Proc(HVC_LOADBUFFER, host, reinterpret_cast<intptr_t>(&buffer));
  for (uint8_t orientation : {1, 2}) {
    Answer = [orientation](const THostMessage& m) -> intptr_t {
      if (m.Msg == HVM_PRINTREQUEST) {
        auto* request = reinterpret_cast<THVPrintRequest*>(m.lParam);
        request->FromPage = request->ToPage = request->Copies = 1;
        request->Orientation = orientation;
        std::snprintf(request->PrinterName, HV_TEXT_MAX + 1, "Named printer");
      }
      return 1;
    };
    HV_Proc(HVC_PRINT, host, 0);
    std::ifstream in(printer->FileName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string pdf = s.str();
    const size_t box = pdf.find("/MediaBox [");
    ASSERT_NE(box, std::string::npos) << "the named printer printed";
    double x0 = 0, y0 = 0, w = 0, h = 0;
    ASSERT_EQ(std::sscanf(pdf.c_str() + box, "/MediaBox [ %lf %lf %lf %lf", &x0, &y0, &w, &h), 4);
    EXPECT_EQ(w > h, orientation == 2) << w << " x " << h;
    fs::remove(printer->FileName);
  }
  EXPECT_EQ(Printer().PrinterIndex, -1) << "the selection is given back";
  EXPECT_EQ(Printer().Orientation, poPortrait);
  Printer().Remove(printer);
  fs::remove_all(dir);
}

// A title in the document's own code page (Windows-1252 here) is the PDF's title in UTF-8,
// and the page keeps its pictures: cairo wrote a page without them for a title that is not
// UTF-8, and lost a pattern doing so.
TEST_F(PluginHost, PrintedPageKeepsItsPicturesUnderALatin1Title) {
  const fs::path dir = fs::temp_directory_path() / ("qjx-hvtitle-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  TPdfPrinter& pdf = PdfPrinter();
  const std::string savedName = pdf.FileName;
  pdf.FileName = (dir / "title.pdf").string();

  HWND host = MakeHostWindow();
  HV_Proc(HVC_CREATE, host, 0);
  const std::string html = "<title>Caf\xE9</title><p>Menu<img width=40 height=40>";
  THVBuffer buffer{html.data(), intptr_t(html.size())};
  HV_Proc(HVC_LOADBUFFER, host, reinterpret_cast<intptr_t>(&buffer));
  Answer = [](const THostMessage& m) -> intptr_t {
    if (m.Msg == HVM_PRINTREQUEST) {
      auto* request = reinterpret_cast<THVPrintRequest*>(m.lParam);
      request->FromPage = request->ToPage = request->Copies = 1;
    }
    return 1;
  };
  EXPECT_EQ(HV_Proc(HVC_PRINT, host, 0), 0);
  std::ifstream in(pdf.FileName, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(s.str().find("/Subtype /Image"), std::string::npos);
  EXPECT_NE(s.str().find("/Title <FEFF00430061006600E9>"), std::string::npos);
  pdf.FileName = savedName;
  fs::remove_all(dir);
}

}  // namespace
