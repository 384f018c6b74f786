// Printing pages of many small things to PDF: 20,000 text fields in one paragraph,
// 100,000 one-cell rows and 100,000 floating one-pixel pictures, each generated here.
// Each page should cost its own share: the time per page stays flat as the pages grow.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_document.h"
#include "print/print_document.h"
#include "toolkit/printers/printer.h"

namespace {

std::string Repeat(const std::string& Head, const std::string& Piece, int Count) {
  std::string Html = Head;
  Html.reserve(Head.size() + Piece.size() * size_t(Count));
  for (int I = 0; I < Count; ++I) Html += Piece;
  return Html;
}

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
  PrintPages(State, Repeat("<form>", "<input type=text>", int(State.range(0))));
}
BENCHMARK(BM_PrintTextFields)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintOneCellRows(benchmark::State& State) {
  PrintPages(State, Repeat("<table>", "<tr><td>x\n", int(State.range(0))));
}
BENCHMARK(BM_PrintOneCellRows)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintFloatingPictures(benchmark::State& State) {
  PrintPages(State, Repeat("", "<img align=left width=1 height=1>", int(State.range(0))));
}
BENCHMARK(BM_PrintFloatingPictures)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
