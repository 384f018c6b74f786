// Printing to PDF: the page of 50,000 short paragraphs and a real manual, with pages per
// second, bytes per page, and the images in the output (0: the text stays text).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "bench/paragraph_page.h"
#include "bench/bench_document.h"
#include "document/core/section_list.h"
#include "print/print_document.h"
#include "reader/builder.h"
#include "toolkit/printers/printer.h"

namespace {

std::string ReadAll(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::stringstream Buf;
  Buf << In.rdbuf();
  return Buf.str();
}

int Count(const std::string& Text, const std::string& What) {
  int N = 0;
  for (size_t At = Text.find(What); At != std::string::npos; At = Text.find(What, At + 1)) ++N;
  return N;
}

void PrintToPdf(benchmark::State& State, const std::string& Html) {
  if (Html.empty()) {
    State.SkipWithError("the document is not there (../shared is absent)");
    return;
  }
  auto Doc = BuildLaidOutDocument(Html);
  const std::string Out =
      (std::filesystem::temp_directory_path() / ("bench-print-" + std::to_string(::getpid()) + ".pdf")).string();
  PdfPrinter().FileName = Out;
  Printer().PrinterIndex = 0;
  TPrintSettings Settings;
  int Pages = 0;
  for (auto _ : State) Pages = PrintDocumentPages(*Doc, Settings, 1, 1 << 30);
  const std::string Pdf = ReadAll(Out);
  std::remove(Out.c_str());
  State.counters["pages"] = Pages;
  State.counters["pages_per_second"] =
      benchmark::Counter(double(Pages) * double(State.iterations()), benchmark::Counter::kIsRate);
  State.counters["bytes_per_page"] = Pages ? double(Pdf.size()) / Pages : 0.0;
  State.counters["images"] = Count(Pdf, "/Subtype /Image");
  State.counters["fonts"] = Count(Pdf, "/FontFile");
}

void BM_PrintParagraphPage(benchmark::State& State) { PrintToPdf(State, ParagraphPage()); }
BENCHMARK(BM_PrintParagraphPage)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintManual(benchmark::State& State) {
  static const std::string Manual =
      ReadAll(std::string(QJX_SHARED_DIR) + "/corpus/html/real/17-mutt-manual/manual.html");
  PrintToPdf(State, Manual);
}
BENCHMARK(BM_PrintManual)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
