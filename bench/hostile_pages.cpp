// Pages built to be slow: a table as wide as int allows, thousands of floats, lists
// nested far past the nesting cap. Each iteration loads the page in a viewer, paints the
// band in view and prints the whole document to PDF; every page should take well under
// 2 s and 512 MB (peak_rss_mb is the process's peak so far).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_document.h"
#include "bench/bench_viewer.h"
#include "document/core/section_list.h"
#include "print/print_document.h"
#include "reader/builder.h"
#include "toolkit/printers/printer.h"

namespace {

std::string Numbered(const std::string& Before, const std::string& After, int Count) {
  std::string S;
  for (int I = 0; I < Count; ++I) S += Before + std::to_string(I) + After;
  return S;
}

void PrintToPdf(const std::string& Html) {
  auto Doc = BuildLaidOutDocument(Html);
  const std::string Out = (std::filesystem::temp_directory_path() /
                           ("bench-hostile-" + std::to_string(::getpid()) + ".pdf"))
                              .string();
  PdfPrinter().FileName = Out;
  Printer().PrinterIndex = 0;
  TPrintSettings Settings;
  benchmark::DoNotOptimize(PrintDocumentPages(*Doc, Settings, 1, 1 << 30));
  std::remove(Out.c_str());
}

void LoadPaintPrint(benchmark::State& State, const std::string& Html) {
  TBenchViewerWindow W;
  for (auto _ : State) {
    W.Load(Html);
    W.Paint();
    PrintToPdf(Html);
  }
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  State.counters["peak_rss_mb"] = double(Usage.ru_maxrss) / 1024.0;
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Html.size()));
}

#define HOSTILE_PAGE(Name, Html)                                                         \
  void BM_##Name(benchmark::State& State) {                                              \
    static const std::string Page = Html;                                                \
    LoadPaintPrint(State, Page);                                                         \
  }                                                                                      \
  BENCHMARK(BM_##Name)->Unit(benchmark::kMillisecond)->MinTime(0.5)

HOSTILE_PAGE(TableWidthIntMax, "<table width=2147483647 border=1><tr><td>x<td>y</table>");
HOSTILE_PAGE(TableWidth1e8, "<table width=100000000 border=1><tr><td>x<td>y</table>");
HOSTILE_PAGE(CellWidthIntMax, "<table border=1><tr><td width=2147483647>x<td>y</table>");
HOSTILE_PAGE(Floats5k, Numbered("<div style=\"float:left;width:10px\">", "</div>", 5000));
HOSTILE_PAGE(Floats10k, Numbered("<div style=\"float:left;width:10px\">", "</div>", 10000));
HOSTILE_PAGE(ImageFloats100k, Repeat("<img align=left width=1 height=1>", 100000));
HOSTILE_PAGE(FloatsCleared, Numbered("<div style=\"float:left;width:10px\">", "</div><br clear=all>", 10000));
// One very tall float keeps every later float of its rows beside it.
const std::string TallLeft = "<div style=\"float:left;width:10px;height:100000px\"></div>";
const std::string TallRight = "<div style=\"float:right;width:10px;height:100000px\"></div>";
HOSTILE_PAGE(TallFloatThenPictures100k,
             TallLeft + Repeat("<img align=left width=1 height=1>", 100000));
HOSTILE_PAGE(TallRightFloatThenPictures100k,
             TallRight + Repeat("<img align=right width=1 height=1>", 100000));
HOSTILE_PAGE(TallFloatsThenPicturesBothSides100k,
             TallLeft + TallRight +
                 Repeat("<img align=left width=1 height=1><img align=right width=1 height=1>",
                        50000));
HOSTILE_PAGE(TallFloatThenBlocks100k,
             TallLeft + Repeat("<div style=\"float:left;width:1px;height:1px\"></div>", 100000));
HOSTILE_PAGE(TallFloatThenStaircase100k,
             TallLeft +
                 Numbered("<div style=\"float:left;width:1px;height:", "px\"></div>", 100000));
HOSTILE_PAGE(
    TallFloatsBesideText100k,
    TallLeft + TallRight +
        Repeat("word <img align=left width=1 height=1> more <img align=right width=1 height=1> ",
               50000));
// Text beside many small pictures, each page and screen band drawing only its own.
HOSTILE_PAGE(TallFloatsBesideTextPictures2x3,
             TallLeft + TallRight + Repeat("word <img align=left width=2 height=3> ", 100000));
HOSTILE_PAGE(NestedOrderedLists100k, Repeat("<ol><li>x", 100000));
HOSTILE_PAGE(NestedDefinitionLists100k, Repeat("<dl><dd>x", 100000));
// Every id is a link target: adding one must not cost more as the document has more.
HOSTILE_PAGE(SpanIds100k, Numbered("<span id=s", ">w</span> ", 100000));
HOSTILE_PAGE(DivisionIds100k, Numbered("<div id=d", ">w</div>", 100000));

}  // namespace
