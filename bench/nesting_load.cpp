// Parsing and layout of documents whose inline tags are never closed, so that every
// element opens inside all the ones before it. The time per byte should not grow with
// the size: compare the rates of the three sizes.
#include <benchmark/benchmark.h>

#include <string>

#include "document/core/section_list.h"
#include "reader/builder.h"
#include "toolkit/graphics/bitmap.h"

namespace {

// About Size bytes of "<b><i><font>" triples, each with a word of text, none closed.
std::string UnclosedInlinePage(size_t Size) {
  static const char* const Colors[] = {"red", "green", "blue", "#123456"};
  std::string Page = "<html><body>";
  for (int N = 0; Page.size() < Size; ++N)
    Page += std::string("<b><i><font color=") + Colors[N % 4] + ">word" + std::to_string(N) + " ";
  return Page;
}

void BM_UnclosedInlineTags(benchmark::State& State) {
  const std::string Page = UnclosedInlinePage(size_t(State.range(0)) * 1024);
  TCanvas Canvas;
  for (auto _ : State) {
    TSectionList Doc(nullptr, nullptr);
    Doc.ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                      0xFF0000, 0, 12);
    TBuildHandlers H;
    ParseHtmlDocument(Page, &Doc, H);
    int SW = 0, Curs = 0;
    benchmark::DoNotOptimize(Doc.LayoutCell(&Canvas, 0, 800, 600, SW, Curs));
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Page.size()));
}
BENCHMARK(BM_UnclosedInlineTags)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
