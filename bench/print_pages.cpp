// Printing hostile pages to PDF, each generated here: text fields in one paragraph,
// one-cell rows, floating one-pixel pictures, a table of 1,000,000 cells (5,000 rows of 200)
// and a word of 1 MB in a cell. Each page should cost its own share: the time per page
// stays flat as the pages grow.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_document.h"
#include "print/print_document.h"
#include "toolkit/printers/printer.h"

namespace {

void PrintPages(benchmark::State& State, const std::string& Html) {
  auto Doc = BuildLaidOutDocument(Html);
  const std::string Out = (std::filesystem::temp_directory_path() /
                           ("bench-print-pages-" + std::to_string(::getpid()) + ".pdf"))
                              .string();
  PdfPrinter().FileName = Out;
  Printer().PrinterIndex = 0;
  TPrintSettings Settings;
  int Pages = 0;
  for (auto _ : State) Pages = PrintDocumentPages(*Doc, Settings, 1, 1 << 30);
  std::remove(Out.c_str());
  State.counters["pages"] = Pages;
  State.counters["pages_per_second"] =
      benchmark::Counter(double(Pages) * double(State.iterations()), benchmark::Counter::kIsRate);
}

void BM_PrintTextFields(benchmark::State& State) {
  PrintPages(State, "<form>" + Repeat("<input type=text>", int(State.range(0))));
}
BENCHMARK(BM_PrintTextFields)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintOneCellRows(benchmark::State& State) {
  PrintPages(State, "<table>" + Repeat("<tr><td>x\n", int(State.range(0))));
}
BENCHMARK(BM_PrintOneCellRows)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintFloatingPictures(benchmark::State& State) {
  PrintPages(State, Repeat("<img align=left width=1 height=1>", int(State.range(0))));
}
BENCHMARK(BM_PrintFloatingPictures)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintMillionCells(benchmark::State& State) {
  PrintPages(State, "<table>" + Repeat("<tr>" + Repeat("<td>x", 200) + "\n", 5000) + "</table>");
}
BENCHMARK(BM_PrintMillionCells)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintBigWordCell(benchmark::State& State) {
  PrintPages(State, "<table><tr><td>" + std::string(1000000, 'x') + "</table>");
}
BENCHMARK(BM_PrintBigWordCell)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
