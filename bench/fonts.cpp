// Font measuring and drawing speed: warm 8-bit measuring should run at 100 million
// characters per second or more.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "toolkit/fonts/font.h"

namespace {

std::string SampleText(size_t n) {
  const std::string words =
      "The quick brown fox jumps over the lazy dog; caf\xE9, na\xEFve, \x93quoted\x94 text. ";
  std::string s;
  while (s.size() < n) s += words;
  s.resize(n);
  return s;
}

const TFontHandle* Arial() {
  TFontSpec fontSpec;
  fontSpec.Name = "Arial";
  return ResolveFont(fontSpec);
}

void BM_TextWidth(benchmark::State& state) {
  const TFontHandle* font = Arial();
  std::string text = SampleText(size_t(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(font->TextWidth(text.data(), int(text.size())));
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_TextWidth)->Arg(16)->Arg(80)->Arg(4096);

void BM_FitCount(benchmark::State& state) {
  const TFontHandle* font = Arial();
  std::string text = SampleText(size_t(state.range(0)));
  int fit = 0;
  const int maxExtent = font->TextWidth(text.data(), int(text.size())) / 2;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        font->GetTextExtentExPoint(text.data(), int(text.size()), maxExtent, &fit, nullptr));
    benchmark::DoNotOptimize(fit);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FitCount)->Arg(80)->Arg(4096);

void BM_PrefixExtents(benchmark::State& state) {
  const TFontHandle* font = Arial();
  std::string text = SampleText(size_t(state.range(0)));
  std::vector<int> prefix(text.size());
  int fit = 0;
  for (auto _ : state) {
    font->GetTextExtentExPoint(text.data(), int(text.size()), 300, &fit, prefix.data());
    benchmark::DoNotOptimize(prefix.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_PrefixExtents)->Arg(4096);

void BM_ShiftJisWidth(benchmark::State& state) {
  TFontSpec fontSpec;
  fontSpec.Name = "Arial";
  fontSpec.Charset = SHIFTJIS_CHARSET;
  const TFontHandle* font = ResolveFont(fontSpec);
  std::string text;
  while (text.size() < 4096) text += "\x93\xFA\x96\x7B\x8C\xEA abc ";
  for (auto _ : state) benchmark::DoNotOptimize(font->TextWidth(text.data(), int(text.size())));
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ShiftJisWidth);

// Line fitting of UTF-8 text against the same count of 8-bit words: a line of 800 pixels
// fitted from a paragraph of mixed scripts, as layout fits it (the words measured before).
void BM_FitLineOfWords(benchmark::State& state) {
  const bool utf8 = state.range(0) != 0;
  TFontSpec fontSpec;
  fontSpec.Name = "Arial";
  fontSpec.Charset = utf8 ? UTF8_CHARSET : ANSI_CHARSET;
  const TFontHandle* font = ResolveFont(fontSpec);
  const char* const utf8Words[] = {"caf\xC3\xA9", "\xCE\xB5\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
                                   "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "text"};
  const char* const latin1Words[] = {"caf\xE9", "ellinika", "privet", "text"};
  std::string text;
  for (int k = 0; k < 48; ++k) text += std::string(utf8 ? utf8Words[k % 4] : latin1Words[k % 4]) + " ";
  int width = 0;
  font->FitBytes(text.data(), int(text.size()), 1 << 30, width);
  const int fit = font->FitBytes(text.data(), int(text.size()), 800, width);
  state.counters["words"] = double(std::count(text.begin(), text.begin() + fit, ' '));
  for (auto _ : state) {
    benchmark::DoNotOptimize(font->FitBytes(text.data(), int(text.size()), 800, width));
    benchmark::DoNotOptimize(width);
  }
}
BENCHMARK(BM_FitLineOfWords)->ArgName("utf8")->Arg(0)->Arg(1);

void BM_ResolveWarm(benchmark::State& state) {
  TFontSpec fontSpec;
  fontSpec.Name = "Times New Roman";
  fontSpec.Size = 10;
  ResolveFont(fontSpec);
  for (auto _ : state) benchmark::DoNotOptimize(ResolveFont(fontSpec));
}
BENCHMARK(BM_ResolveWarm);

void BM_ResolveCold(benchmark::State& state) {
  // A new size each time: the face choice is cached, the metrics and table are not.
  TFontSpec fontSpec;
  fontSpec.Name = "Arial";
  int size = 100;
  for (auto _ : state) {
    fontSpec.Size = ++size;
    benchmark::DoNotOptimize(ResolveFont(fontSpec));
  }
}
BENCHMARK(BM_ResolveCold)->Iterations(200);

void BM_DrawLine(benchmark::State& state) {
  const TFontHandle* font = Arial();
  std::string text = SampleText(80);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 40);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) font->DrawText(cr, 0, 30, text.data(), int(text.size()));
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_DrawLine);

void BM_DrawMixedLine(benchmark::State& state) {
  // Kanji among Latin words: the face changes every few glyphs.
  TFontSpec fontSpec;
  fontSpec.Name = "Times New Roman";
  fontSpec.Charset = SHIFTJIS_CHARSET;
  const TFontHandle* font = ResolveFont(fontSpec);
  std::string text;
  while (text.size() < 80) text += "\x93\xFA\x96\x7B\x8C\xEA abc ";
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 40);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) font->DrawText(cr, 0, 30, text.data(), int(text.size()));
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_DrawMixedLine);

}  // namespace
