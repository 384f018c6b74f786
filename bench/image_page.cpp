// A page of 100 distinct images: loading (decoding every image once) and painting a band;
// and the memory of a viewer after 1,000 loads and clears of an image page.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_viewer.h"
#include "common/classes.h"
#include "toolkit/graphics/png_writer.h"

namespace {

size_t HeapInUse() { return mallinfo2().uordblks; }

// A 64 x 48 PNG whose colours depend on Seed, so that every image decodes to its own picture.
std::vector<uint8_t> Picture(int Seed) {
  std::vector<uint8_t> pixels(64 * 48 * 3);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = &pixels[(size_t(y) * 64 + size_t(x)) * 3];
      p[0] = uint8_t(x * 4 + Seed);
      p[1] = uint8_t(y * 5 + Seed * 3);
      p[2] = uint8_t(Seed * 7);
    }
  return EncodePng(64, 48, pixels.data(), 3, 64 * 3);
}

std::string ImagePage(int Count) {
  std::string html = "<p>";
  for (int i = 0; i < Count; ++i) html += "<img src='pic" + std::to_string(i) + ".png'> ";
  return html;
}

// Answers every image request with one of 100 distinct pictures.
struct TBenchViewer : TBenchViewerWindow {
  std::vector<std::vector<uint8_t>> Pictures;
  TMemoryStream Answer;
  TBenchViewer() {
    for (int i = 0; i < 100; ++i) Pictures.push_back(Picture(i));
    Viewer->SetImageCacheCount(0);  // every load decodes again, as a new page would
    Viewer->SetOnImageRequest([this](TObject*, const std::string& SRC, TMemoryStream*& Stream) {
      const int n = std::atoi(SRC.c_str() + 3);
      const auto& data = Pictures[size_t(n % 100)];
      Answer.Clear();
      Answer.Write(data.data(), int64_t(data.size()));
      Stream = &Answer;
    });
  }
};

void BM_LoadAndPaintHundredImages(benchmark::State& State) {
  TBenchViewer b;
  const std::string page = ImagePage(100);
  for (auto _ : State) {
    b.Load(page);
    b.Paint();
  }
}
BENCHMARK(BM_LoadAndPaintHundredImages)->Unit(benchmark::kMillisecond);

void BM_PaintBandOfHundredImages(benchmark::State& State) {
  TBenchViewer b;
  b.Load(ImagePage(100));
  for (auto _ : State) b.Paint();
}
BENCHMARK(BM_PaintBandOfHundredImages)->Unit(benchmark::kMillisecond);

// Heap in use after 1,000 loads and clears, against the first cycle's: nothing kept.
void BM_ThousandLoadClearCycles(benchmark::State& State) {
  TBenchViewer b;
  const std::string page = ImagePage(20);
  for (auto _ : State) {
    b.Load(page);
    b.Paint();
    b.Viewer->Clear();
    const size_t start = HeapInUse();
    for (int i = 0; i < 1000; ++i) {
      b.Load(page);
      b.Paint();
      b.Viewer->Clear();
    }
    State.counters["heap_growth_bytes"] = double(HeapInUse()) - double(start);
  }
}
BENCHMARK(BM_ThousandLoadClearCycles)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
