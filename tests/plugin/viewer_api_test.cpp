// The viewer queries of the C host interface: height, scrolling, texts and PDF printing.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "host_fixture.h"
#include "toolkit/printers/printer.h"

namespace {

class ViewerApi : public PluginHost {
 protected:
  HWND Load(const std::string& Html) {
    HWND host = MakeHostWindow(400, 300);
    HV_Proc(HVC_CREATE, host, 0);
    HV_Proc(HVC_RESIZE, host, 0);
    THVBuffer buffer{Html.data(), intptr_t(Html.size())};
    HV_Proc(HVC_LOADBUFFER, host, intptr_t(&buffer));
    QjxPumpMessages();
    return host;
  }
  static std::string Text(HWND Host, int What, int Size = 256) {
    std::string buffer(size_t(Size), '\x7f');
    if (QjxViewerText(Host, What, buffer.data(), Size) < 0) return "<failed>";
    return buffer.c_str();
  }
};

const char* const TallPage = "<title>Tall</title><body style='margin:0'><div style='height:3000px'>top</div>end";

std::string FileText(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST_F(ViewerApi, WindowsWithoutAViewerFailWithAReason) {
  HWND bare = MakeHostWindow();
  char buffer[8];
  const double margins[4] = {1, 1, 1, 1};
  const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
      {"height", [&] { return QjxViewerDocumentHeight(bare) == -1; }},
      {"scroll", [&] { return QjxViewerScrollTo(bare, 10) == -1; }},
      {"position", [&] { return QjxViewerScrollPos(bare) == -1; }},
      {"select all", [&] { return QjxViewerSelectAll(bare) == -1; }},
      {"text", [&] { return QjxViewerText(bare, QJX_TEXT_TITLE, buffer, 8) == -1; }},
      {"print", [&] { return QjxViewerPrintPdf(bare, "x.pdf", 1, 0, margins, QJX_PAPER_A4) == 0; }},
      {"null window", [&] { return QjxViewerDocumentHeight(nullptr) == -1; }},
  };
  for (const auto& [name, call] : calls) {
    EXPECT_TRUE(call()) << name;
    EXPECT_STREQ(QjxLastError(), "No viewer in this window") << name;
  }
}

TEST_F(ViewerApi, HeightAndScrollingStayInsideTheDocument) {
  HWND host = Load(TallPage);
  const int height = QjxViewerDocumentHeight(host);
  EXPECT_GT(height, 3000);
  EXPECT_LT(height, 3100);
  EXPECT_EQ(QjxViewerScrollTo(host, 500), 500);
  EXPECT_EQ(QjxViewerScrollPos(host), 500);
  EXPECT_EQ(QjxViewerScrollTo(host, -20), 0);
  const int bottom = QjxViewerScrollTo(host, INT32_MAX);
  EXPECT_GT(bottom, height - 310);
  EXPECT_LE(bottom, height - 290);
}

TEST_F(ViewerApi, TextsAreCutToTheBufferAndReportTheirLength) {
  // The viewer holds the page in its 8-bit code page: the UTF-8 é arrives as one byte.
  HWND host = Load("<meta charset=utf-8><title>h\xC3\xA9llo</title><p>alpha beta</p>");
  EXPECT_EQ(QjxViewerText(host, QJX_TEXT_TITLE, nullptr, 0), 5);
  EXPECT_EQ(Text(host, QJX_TEXT_TITLE), "h\xE9llo");
  EXPECT_EQ(Text(host, QJX_TEXT_TITLE, 3), "h\xE9");
  EXPECT_EQ(Text(host, QJX_TEXT_TITLE, 1), "");
  EXPECT_EQ(Text(host, QJX_TEXT_SELECTION), "");
  EXPECT_EQ(QjxViewerSelectAll(host), 0);
  EXPECT_EQ(Text(host, QJX_TEXT_SELECTION).substr(0, 10), "alpha beta");
  EXPECT_EQ(QjxViewerText(host, 7, nullptr, 0), -1);
  EXPECT_EQ(QjxViewerText(host, QJX_TEXT_TITLE, nullptr, 5), -1);
  EXPECT_EQ(QjxViewerText(host, QJX_TEXT_TITLE, static_cast<char*>(const_cast<void*>(UnmappedAddress())), 5),
            -1);
}

TEST_F(ViewerApi, AUtf8DocumentsTitleAndSelectionArriveInUtf8) {
  // Greek with its accents, Cyrillic and an arrow share no code page: the viewer holds
  // the page in UTF-8, and its title reaches the host byte for byte.
  const std::string title = "\xCE\xAC\xCE\xB2 \xD0\x96 \xE2\x86\x92";
  HWND host = Load("<meta charset=utf-8><title>" + title + "</title><p>\xCE\xB3\xCE\xB4 \xD0\x96</p>");
  EXPECT_EQ(QjxViewerText(host, QJX_TEXT_TITLE, nullptr, 0), int(title.size()));
  EXPECT_EQ(Text(host, QJX_TEXT_TITLE), title);
  ASSERT_EQ(QjxViewerSelectAll(host), 0);
  EXPECT_EQ(Text(host, QJX_TEXT_SELECTION).substr(0, 7), "\xCE\xB3\xCE\xB4 \xD0\x96");
  // A buffer that ends inside a character gets the characters before it.
  EXPECT_EQ(Text(host, QJX_TEXT_SELECTION, 4), "\xCE\xB3");
  EXPECT_EQ(Text(host, QJX_TEXT_SELECTION, 7), "\xCE\xB3\xCE\xB4 ");
}

TEST_F(ViewerApi, PrintsPdfAndPutsThePrinterBack) {
  HWND host = Load("<p>one</p><p style='page-break-before:always'>two</p><p style='page-break-before:always'>three</p>");
  const std::string file = ::testing::TempDir() + "viewer_api.pdf";
  const std::string before = PdfPrinter().FileName;
  const int index = Printer().PrinterIndex;
  EXPECT_EQ(QjxViewerPrintPdf(host, file.c_str(), 1, 0, nullptr, QJX_PAPER_A4), 3) << QjxLastError();
  EXPECT_EQ(FileText(file).substr(0, 5), "%PDF-");
  EXPECT_EQ(QjxViewerPrintPdf(host, file.c_str(), 2, 2, nullptr, QJX_PAPER_LETTER), 1);
  EXPECT_NE(FileText(file).find("612 792"), std::string::npos);
  EXPECT_EQ(PdfPrinter().FileName, before);
  EXPECT_EQ(PdfPrinter().Paper.Width, PaperA4.Width);
  EXPECT_EQ(Printer().PrinterIndex, index);
  std::remove(file.c_str());
}

TEST_F(ViewerApi, BadPrintArgumentsPrintNothing) {
  HWND host = Load("<p>one page</p>");
  const std::string file = ::testing::TempDir() + "viewer_api_bad.pdf";
  const double negative[4] = {1, -1, 1, 1}, wide[4] = {1, 1, 21, 1}, nan[4] = {1, 1, 1, std::nan("")};
  const struct {
    const char* Name;
    const char* File;
    int From, To;
    const double* Margins;
    int Paper;
  } cases[] = {
      {"no file", nullptr, 1, 0, nullptr, QJX_PAPER_A4},
      {"empty file", "", 1, 0, nullptr, QJX_PAPER_A4},
      {"page 0", file.c_str(), 0, 0, nullptr, QJX_PAPER_A4},
      {"reversed", file.c_str(), 3, 2, nullptr, QJX_PAPER_A4},
      {"negative end", file.c_str(), 1, -1, nullptr, QJX_PAPER_A4},
      {"past the end", file.c_str(), 5, 5, nullptr, QJX_PAPER_A4},
      {"paper", file.c_str(), 1, 0, nullptr, 9},
      {"negative margin", file.c_str(), 1, 0, negative, QJX_PAPER_A4},
      {"wide margin", file.c_str(), 1, 0, wide, QJX_PAPER_A4},
      {"NaN margin", file.c_str(), 1, 0, nan, QJX_PAPER_A4},
      {"unreadable margins", file.c_str(), 1, 0, static_cast<const double*>(UnmappedAddress()), QJX_PAPER_A4},
  };
  for (const auto& c : cases) {
    std::remove(file.c_str());
    EXPECT_EQ(QjxViewerPrintPdf(host, c.File, c.From, c.To, c.Margins, c.Paper), 0) << c.Name;
    EXPECT_STRNE(QjxLastError(), "") << c.Name;
    EXPECT_EQ(FileText(file), "") << c.Name;
  }
}
