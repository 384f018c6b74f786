// Parsing, layout, re-layout and painting of a page of 50,000 short paragraphs.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "bench/paragraph_page.h"
#include "document/core/section_list.h"
#include "reader/builder.h"
#include "toolkit/graphics/bitmap.h"

namespace {

// Resident memory now and at its highest so far, in bytes.
double ResidentBytes() {
  long Pages = 0, Resident = 0;
  if (FILE* F = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(F, "%ld %ld", &Pages, &Resident) != 2) Resident = 0;
    std::fclose(F);
  }
  return double(Resident) * double(sysconf(_SC_PAGESIZE));
}
double PeakResidentBytes() {
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  return double(Usage.ru_maxrss) * 1024.0;
}

// Resident memory once the page is read and a small document has been laid out: what
// the fonts and caches of a first layout load is the library's, not the page's.
double PageResidentBytes = 0;

void ApplyBenchDefaults(TSectionList& Doc);

// The paragraph page, with the process's resident size measured once before its first use
// (after a small page has warmed the fonts), for the memory figures.
const std::string& MeasuredParagraphPage() {
  const std::string& Page = ParagraphPage();
  static const bool Measured = [&] {
    {
      TCanvas Canvas;
      TSectionList Doc(nullptr, nullptr);
      ApplyBenchDefaults(Doc);
      TBuildHandlers H;
      ParseHtmlDocument(Page.substr(0, 4096), &Doc, H);
      int SW = 0, Curs = 0;
      Doc.LayoutCell(&Canvas, 0, 800, 600, SW, Curs);
    }
    PageResidentBytes = ResidentBytes();
    return true;
  }();
  (void)Measured;
  return Page;
}

void ApplyBenchDefaults(TSectionList& Doc) {
  Doc.ApplyDefaults("Arial", "Courier New", 10, 5, 0, true, true, clWhite, 0xFF, 0x800080,
                    0xFF0000, 0, 12);
}

size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_ParseAndLayoutParagraphs(benchmark::State& State) {
  const std::string& Page = MeasuredParagraphPage();
  if (Page.empty()) {
    State.SkipWithError("the paragraph page could not be generated");
    return;
  }
  TCanvas Canvas;
  size_t Retained = 0;
  for (auto _ : State) {
    const size_t Before = HeapInUse();
    TSectionList Doc(nullptr, nullptr);
    ApplyBenchDefaults(Doc);
    TBuildHandlers H;
    ParseHtmlDocument(Page, &Doc, H);
    int SW = 0, Curs = 0;
    benchmark::DoNotOptimize(Doc.LayoutCell(&Canvas, 0, 800, 600, SW, Curs));
    Retained = HeapInUse() - Before;
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Page.size()));
  // Heap the laid-out document holds, per byte of source.
  State.counters["heap_per_source_byte"] = double(Retained) / double(Page.size());
  // How far parsing and layout raised the process's peak above what it took with the
  // page read (run this benchmark alone for it to mean that).
  State.counters["peak_rss_per_source_byte"] =
      std::max(0.0, PeakResidentBytes() - PageResidentBytes) / double(Page.size());
}
BENCHMARK(BM_ParseAndLayoutParagraphs)->Unit(benchmark::kMillisecond);

// One document parsed and laid out at width 800, shared by the benchmarks below.
TSectionList* LaidOutPage(TCanvas& Canvas) {
  static std::unique_ptr<TSectionList> Doc;
  if (!Doc && !MeasuredParagraphPage().empty()) {
    Doc = std::make_unique<TSectionList>(nullptr, nullptr);
    ApplyBenchDefaults(*Doc);
    TBuildHandlers H;
    ParseHtmlDocument(MeasuredParagraphPage(), Doc.get(), H);
    int SW = 0, Curs = 0;
    Doc->LayoutCell(&Canvas, 0, 800, 600, SW, Curs);
  }
  return Doc.get();
}

// The same document laid out again at width 600 after a layout at 800.
void BM_RelayoutParagraphsAtNewWidth(benchmark::State& State) {
  TCanvas Canvas;
  TSectionList* Doc = LaidOutPage(Canvas);
  if (!Doc) {
    State.SkipWithError("the paragraph page could not be generated");
    return;
  }
  for (auto _ : State) {
    int SW = 0, Curs = 0;
    benchmark::DoNotOptimize(Doc->LayoutCell(&Canvas, 0, 600, 600, SW, Curs));
    State.PauseTiming();
    Doc->LayoutCell(&Canvas, 0, 800, 600, SW, Curs);
    State.ResumeTiming();
  }
}
BENCHMARK(BM_RelayoutParagraphsAtNewWidth)->Unit(benchmark::kMillisecond);

// One 1024x768 band painted at the top (0), the middle (1) or the end (2) of the page.
void BM_PaintBand(benchmark::State& State) {
  TBitmap Bitmap(1024, 768);
  TCanvas& Canvas = Bitmap.Canvas();
  TSectionList* Doc = LaidOutPage(Canvas);
  if (!Doc) {
    State.SkipWithError("the paragraph page could not be generated");
    return;
  }
  int SW = 0, Curs = 0;
  const int Height = Doc->LayoutCell(&Canvas, 0, 800, 600, SW, Curs);
  const int Where = int(State.range(0));
  const int Top = Where == 0 ? 0 : Where == 1 ? Height / 2 : std::max(0, Height - 768);
  const TRect Band{0, 0, 1024, 768};
  TPaintContext Pass;
  Pass.Band = Band;
  Pass.ScrollY = Top;
  Doc->ViewScrolled();
  for (auto _ : State) {
    Canvas.FillRect(Band, clWhite);
    benchmark::DoNotOptimize(Doc->Draw(&Canvas, Pass, 6000, 0, 0, 0, 0));
  }
}
BENCHMARK(BM_PaintBand)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
