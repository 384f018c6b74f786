// UTF-8 documents: a 3 MB page of mixed scripts against the same page's Latin-1 text, and
// small UTF-8 pages of 1 KB and 100 KB, which decode directly (no iconv on their way).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>

#include "bench/bench_document.h"
#include "reader/utf8_source.h"

namespace {

// Words in Latin, Greek, Cyrillic, mathematics and arrows, box drawing, Japanese and
// Chinese; the Latin-1 page has a word of as many characters in place of each.
const char* const Utf8Words[] = {
    "caf\xC3\xA9",
    "\xCE\xB5\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
    "\xCF\x80\xE2\x89\x88\xE2\x88\x9A\xE2\x88\x9E\xE2\x86\x92",
    "\xE2\x94\x8C\xE2\x94\x80\xE2\x94\x90",
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x86\xE3\x82\xAD",
    "\xE4\xB8\xAD\xE6\x96\x87",
    "text",
};
const char* const Latin1Words[] = {"caf\xE9", "ellinik\xE1", "privet", "pi\xB1\xB7\xB0\xBB",
                                   "+-+", "nihongo", "zh", "text"};

// Paragraphs of the words until the page holds Bytes bytes.
std::string MakePage(size_t Bytes, bool Utf8) {
  std::string Page = Utf8 ? "<html><head><meta charset=\"utf-8\"></head><body>\n"
                          : "<html><head><meta charset=\"iso-8859-1\"></head><body>\n";
  unsigned Seed = 7;
  while (Page.size() < Bytes) {
    Page += "<p>";
    for (int W = 0; W < 24; ++W) {
      Seed = Seed * 1103515245u + 12345u;
      const unsigned K = (Seed >> 16) % 8;
      Page += Utf8 ? Utf8Words[K] : Latin1Words[K];
      Page += ' ';
    }
    Page += "</p>\n";
  }
  return Page + "</body></html>\n";
}

void ParseAndLayOut(const std::string& Page, benchmark::State& State) {
  size_t Retained = 0;
  for (auto _ : State) {
    const size_t Before = mallinfo2().uordblks;
    auto Doc = BuildLaidOutDocument(Page);
    Retained = mallinfo2().uordblks - Before;
    benchmark::DoNotOptimize(Doc.get());
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Page.size()));
  // Heap the laid-out document holds.
  State.counters["heap_bytes"] = double(Retained);
}

// The goal: the mixed UTF-8 page within 1.3 times the Latin-1 page's time and heap.
void BM_MixedScriptsUtf8Page3MB(benchmark::State& State) {
  static const std::string Page = MakePage(3 << 20, true);
  ParseAndLayOut(Page, State);
}
BENCHMARK(BM_MixedScriptsUtf8Page3MB)->Unit(benchmark::kMillisecond);

void BM_SameTextLatin1Page(benchmark::State& State) {
  // As many paragraphs as the UTF-8 page: the same text, a byte per character.
  static const std::string Page = [] {
    const std::string Utf8 = MakePage(3 << 20, true);
    size_t Paragraphs = 0;
    for (size_t At = Utf8.find("<p>"); At != std::string::npos; At = Utf8.find("<p>", At + 3)) ++Paragraphs;
    std::string Page = MakePage(0, false);
    while (true) {
      size_t Count = 0;
      for (size_t At = Page.find("<p>"); At != std::string::npos; At = Page.find("<p>", At + 3)) ++Count;
      if (Count >= Paragraphs) return Page;
      Page = MakePage(Page.size() + (Paragraphs - Count) * 100, false);
    }
  }();
  ParseAndLayOut(Page, State);
}
BENCHMARK(BM_SameTextLatin1Page)->Unit(benchmark::kMillisecond);

// The scan that decides a UTF-8 page's code page, alone: a pass over the bytes.
void BM_Utf8PageScan3MB(benchmark::State& State) {
  static const std::string Page = MakePage(3 << 20, true);
  for (auto _ : State) benchmark::DoNotOptimize(ConvertUtf8Document(Page, true));
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Page.size()));
}
BENCHMARK(BM_Utf8PageScan3MB)->Unit(benchmark::kMillisecond);

// Small UTF-8 pages that fit Windows-1252 (the common case) and pages that need UTF-8.
void BM_SmallUtf8Page(benchmark::State& State) {
  const size_t Bytes = size_t(State.range(0));
  const bool Western = State.range(1) != 0;
  std::string Page = "<meta charset=utf-8><p>";
  while (Page.size() < Bytes)
    Page += Western ? "caf\xC3\xA9 na\xC3\xAFve \xE2\x80\x9Cquoted\xE2\x80\x9D text. "
                    : "caf\xC3\xA9 \xCE\xB1\xCE\xB2 \xD0\x96 \xE2\x86\x92 \xE6\x97\xA5 text. ";
  ParseAndLayOut(Page, State);
}
BENCHMARK(BM_SmallUtf8Page)
    ->ArgNames({"bytes", "western"})
    ->Args({1 << 10, 1})
    ->Args({100 << 10, 1})
    ->Args({1 << 10, 0})
    ->Args({100 << 10, 0})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
