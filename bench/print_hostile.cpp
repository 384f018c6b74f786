// Printing hostile pages to PDF: a table of 1,000,000 cells (5,000 rows of 200), 100,000 one-cell rows, a word
// of 1 MB in a cell and 20,000 form controls, each made here. Pages per second and the
// pages printed are reported; each page should cost what it shows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_document.h"
#include "print/print_document.h"
#include "toolkit/printers/printer.h"

namespace {

std::string CellsPage() {
  return "<table>" + Repeat("<tr>" + Repeat("<td>x", 200) + "\n", 5000) + "</table>";
}
std::string RowsPage() { return "<table>" + Repeat("<tr><td>x\n", 100000); }
std::string BigWordPage() { return "<table><tr><td>" + std::string(1000000, 'x') + "</table>"; }
std::string ControlsPage() { return "<form>" + Repeat("<input type=text>", 20000) + "</form>"; }

void PrintToPdf(benchmark::State& State, std::string (*Make)()) {
  auto Doc = BuildLaidOutDocument(Make());
  const std::string Out = (std::filesystem::temp_directory_path() /
                           ("bench-print-hostile-" + std::to_string(::getpid()) + ".pdf"))
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

void BM_PrintCells1M(benchmark::State& State) { PrintToPdf(State, CellsPage); }
void BM_PrintRows100k(benchmark::State& State) { PrintToPdf(State, RowsPage); }
void BM_PrintBigWordCell(benchmark::State& State) { PrintToPdf(State, BigWordPage); }
void BM_PrintControls20k(benchmark::State& State) { PrintToPdf(State, ControlsPage); }
BENCHMARK(BM_PrintCells1M)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PrintRows100k)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PrintBigWordCell)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PrintControls20k)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
