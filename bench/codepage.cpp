// Conversion speed once the tables are built: a document's worth of text each iteration.
#include <benchmark/benchmark.h>

#include <string>

#include "common/codepage.h"

namespace {

std::string Repeat(std::string_view piece, size_t size) {
  std::string s;
  while (s.size() < size) s += piece;
  return s;
}

void BM_Decode1252(benchmark::State& state) {
  std::string text = Repeat("<p>Caf\xE9 \x93quoted\x94 \x80 12 \x97 text</p>\n", 1 << 20);
  MultiByteToWideChar(1252, "warm");
  for (auto _ : state) benchmark::DoNotOptimize(MultiByteToWideChar(1252, text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Decode1252);

void BM_DecodeShiftJis(benchmark::State& state) {
  std::string text = Repeat("<p>\x93\xFA\x96\x7B\x8C\xEA\xB1 abc \xE0\x40</p>\n", 1 << 20);
  MultiByteToWideChar(932, "warm");
  for (auto _ : state) benchmark::DoNotOptimize(MultiByteToWideChar(932, text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_DecodeShiftJis);

void BM_EncodeGbk(benchmark::State& state) {
  std::u32string text;
  while (text.size() < (1 << 19)) text += U"<p>中文 text 漢字</p>\n";
  WideCharToMultiByte(936, U"warm");
  for (auto _ : state) benchmark::DoNotOptimize(WideCharToMultiByte(936, text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size() * 4));
}
BENCHMARK(BM_EncodeGbk);

}  // namespace
