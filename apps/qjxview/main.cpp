// qjxview FILE [--width W] [--height H] [--scroll Y] [--background COLOR] [--depth D] [--png OUT]
//              [--pdf OUT [--pages A-B] [--margins L,T,R,B]]
// Loads an HTML file into a viewer in a headless window of the given size and writes the
// window's pixels as PNG, or prints the document to a PDF file.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "apps/tool_errors.h"
#include "common/classes.h"
#include "style/colors.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/printers/printer.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

const char* const Usage =
    "usage: qjxview FILE [--width W] [--height H] [--scroll Y] [--background COLOR] [--depth D]\n"
    "               [--png OUT] [--pdf OUT [--pages A-B] [--margins L,T,R,B]]\n";

const char* const Help =
    "Renders an HTML file in a window of W x H pixels (default 800 x 600) without a display\n"
    "and writes what the window shows as a PNG file (default qjxview.png).\n"
    "\n"
    "  --width W, --height H  window size, 16 to 8000\n"
    "  --scroll Y             show the document scrolled down by Y pixels; without it a\n"
    "                         FILE#NAME shows it at the anchor or id NAME, others at the top\n"
    "  --background COLOR     colour behind documents that set none, as in CSS (white,\n"
    "                         #rgb, #rrggbb, rgb(r,g,b)); default: the window colour\n"
    "  --depth 24|8|4         show as a screen of that many bits per pixel would (default 24)\n"
    "  --png OUT              the picture's file name\n"
    "  --pdf OUT              print the document to a PDF file instead (A4, text stays\n"
    "                         text); the window width sets nothing then\n"
    "  --pages A-B            print pages A to B only (from 1; default all)\n"
    "  --margins L,T,R,B      page margins in centimetres (default 2,2,2,2)\n"
    "  --help, --version      this text, the version\n";

int Fail(int Code, const std::string& Message) { return ToolFail("qjxview", Code, Message); }

bool ReadInt(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < low || v > high) return false;
  value = int(v);
  return true;
}

// The file part of a name the viewer reads as "FILE#anchor".
std::string DocumentFile(const std::string& Name) {
  const size_t hash = Name.find('#');
  return hash == std::string::npos || std::filesystem::exists(Name) ? Name : Name.substr(0, hash);
}

// "A-B" or "A" with 1 <= A <= B.
bool ReadPages(const std::string& text, int& from, int& to) {
  const size_t dash = text.find('-');
  const std::string a = text.substr(0, dash), b = dash == std::string::npos ? a : text.substr(dash + 1);
  return ReadInt(a.c_str(), 1, 1 << 30, from) && ReadInt(b.c_str(), from, 1 << 30, to);
}

// Four numbers from 0 to 20, separated by commas.
bool ReadMargins(const std::string& text, double (&margins)[4]) {
  const char* p = text.c_str();
  for (int i = 0; i < 4; ++i) {
    char* end = nullptr;
    margins[i] = std::strtod(p, &end);
    if (end == p || margins[i] < 0 || margins[i] > 20) return false;
    if (i < 3 && *end != ',') return false;
    p = end + (i < 3 ? 1 : 0);
  }
  return *p == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file, png = "qjxview.png", pdf;
  int fromPage = 1, toPage = 1 << 30;
  double margins[4] = {2.0, 2.0, 2.0, 2.0};
  int width = 800, height = 600, scroll = -1, depth = 24;  // scroll -1: where the load left it
  // A host shows documents on the window colour; the bare viewer's own default is grey.
  TColor background = TColor(0x80000000 | COLOR_WINDOW);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::printf("%s\n%s", Usage, Help);
      return 0;
    }
    if (arg == "--version") {
      std::printf("qjxview %s\n", QJX_VERSION);
      return 0;
    }
    const bool takesValue = arg == "--width" || arg == "--height" || arg == "--scroll" ||
                            arg == "--background" || arg == "--png" || arg == "--pdf" ||
                            arg == "--pages" || arg == "--margins" || arg == "--depth";
    if (takesValue && i + 1 == argc) return Fail(2, arg + " needs a value");
    if (arg == "--width" || arg == "--height") {
      if (!ReadInt(argv[++i], 16, 8000, arg == "--width" ? width : height))
        return Fail(2, arg + " must be a number from 16 to 8000, not '" + argv[i] + "'");
    } else if (arg == "--scroll") {
      if (!ReadInt(argv[++i], 0, 1 << 30, scroll))
        return Fail(2, "--scroll must be a number of pixels, not '" + std::string(argv[i]) + "'");
    } else if (arg == "--background") {
      if (!ParseColor(argv[++i], true, background) || background == clNone)
        return Fail(2, "--background must be a colour, not '" + std::string(argv[i]) + "'");
    } else if (arg == "--depth") {
      const std::string value = argv[++i];
      if (value != "24" && value != "8" && value != "4")
        return Fail(2, "--depth must be 24, 8 or 4, not '" + value + "'");
      depth = std::atoi(value.c_str());
    } else if (arg == "--png") {
      png = argv[++i];
    } else if (arg == "--pdf") {
      pdf = argv[++i];
    } else if (arg == "--pages") {
      if (!ReadPages(argv[++i], fromPage, toPage))
        return Fail(2, "--pages must be A-B with 1 <= A <= B, not '" + std::string(argv[i]) + "'");
    } else if (arg == "--margins") {
      if (!ReadMargins(argv[++i], margins))
        return Fail(2, "--margins must be four centimetres L,T,R,B from 0 to 20, not '" +
                           std::string(argv[i]) + "'");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Fail(2, "unknown option " + arg + " (see qjxview --help)");
    } else if (!file.empty()) {
      return Fail(2, "one file only (see qjxview --help)");
    } else {
      file = arg;
    }
  }
  if (file.empty()) return Fail(2, "no file given (see qjxview --help)");
  if (std::string problem = ReadProblem(DocumentFile(file)); !problem.empty()) return Fail(1, problem);

  SetScreenColorDepth(depth);
  TCreateParams params;
  params.Width = width;
  params.Height = height;
  params.Style = WS_VISIBLE;
  params.Proc = &DefWindowProc;
  HWND host = CreateWindow(params);
  if (!host) {
    return Fail(1, "cannot create a window of " + std::to_string(width) + "x" + std::to_string(height));
  }
  try {
    THTMLViewer viewer(nullptr, host, 0, 0, width, height);
    viewer.SetDefBackground(background);
    viewer.LoadFromFile(file);
    if (!pdf.empty()) {
      viewer.PrintMarginLeft = margins[0];
      viewer.PrintMarginTop = margins[1];
      viewer.PrintMarginRight = margins[2];
      viewer.PrintMarginBottom = margins[3];
      PdfPrinter().FileName = pdf;
      Printer().PrinterIndex = Printer().IndexOf(PdfPrinter().Name);
      viewer.PrintPages(fromPage, toPage);
      if (viewer.PrintPage() < fromPage) return Fail(1, "the document has no page " + std::to_string(fromPage));
    } else {
      // A load leaves the document at the anchor its file name gives, if any.
      if (scroll >= 0) viewer.SetVScrollPos(scroll);
      ProcessMessages();
      UpdateWindow(viewer.PaintPanel()->Handle());
      SaveWindowPng(host, png);
    }
  } catch (const std::exception& e) {
    return Fail(1, e.what());
  }
  DestroyWindow(host);
  return 0;
}
