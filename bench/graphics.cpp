// Block transfers and text output on a screen-sized surface.
#include <benchmark/benchmark.h>

#include <string>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/graphics/raster_ops.h"

namespace {

constexpr int ScreenW = 1024, ScreenH = 768;

void BM_BitBltSrcCopy(benchmark::State& state) {
  TBitmap src(ScreenW, ScreenH), dst(ScreenW, ScreenH);
  src.Canvas().FillRect(TRect{0, 0, ScreenW, ScreenH}, RGBColor(10, 200, 30));
  for (auto _ : state) {
    dst.Canvas().BitBlt(0, 0, ScreenW, ScreenH, src.Canvas(), 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * ScreenW * ScreenH * 4);
}
BENCHMARK(BM_BitBltSrcCopy);

void BM_MaskedTransfer(benchmark::State& state) {
  TBitmap image(ScreenW, ScreenH), dst(ScreenW, ScreenH);
  image.Canvas().FillRect(TRect{0, 0, ScreenW, ScreenH}, RGBColor(10, 200, 30));
  image.SetTransparentColor(RGBColor(10, 200, 30));
  auto mask = image.CreateMask();
  for (auto _ : state) {
    dst.Canvas().DrawMasked(TRect{0, 0, ScreenW, ScreenH}, image.Canvas(), mask->Canvas(),
                            TRect{0, 0, ScreenW, ScreenH});
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * ScreenW * ScreenH * 4 * 3);
}
BENCHMARK(BM_MaskedTransfer);

void BM_FillRectScreen(benchmark::State& state) {
  TBitmap dst(ScreenW, ScreenH);
  for (auto _ : state) {
    dst.Canvas().FillRect(TRect{0, 0, ScreenW, ScreenH}, RGBColor(1, 2, 3));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * ScreenW * ScreenH * 4);
}
BENCHMARK(BM_FillRectScreen);

// A full screen of 12-point text, one TextOut per line, as a paragraph paints.
void BM_TextOutScreen(benchmark::State& state) {
  TBitmap dst(ScreenW, ScreenH);
  TCanvas& c = dst.Canvas();
  c.Font.Name = "Times New Roman";
  c.Font.Size = 12;
  c.SetBkMode(TRANSPARENT);
  c.SetTextAlign(TA_BASELINE);
  TTextMetric tm;
  c.GetTextMetrics(tm);
  std::string line;
  while (c.TextWidth(line) < ScreenW)
    line += "The quick brown fox jumps over the lazy dog. ";
  const int lineHeight = tm.tmHeight + tm.tmExternalLeading;
  int64_t chars = 0;
  for (auto _ : state) {
    for (int y = tm.tmAscent; y < ScreenH; y += lineHeight) {
      c.TextOut(0, y, line);
      chars += int64_t(line.size());
    }
    benchmark::ClobberMemory();
  }
  state.counters["chars/s"] = benchmark::Counter(double(chars), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TextOutScreen)->Unit(benchmark::kMillisecond);

}  // namespace
