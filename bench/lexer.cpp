// The lexer alone, pulling every symbol of a document: prose, tag-dense markup and real files.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "reader/lexer.h"

namespace {

constexpr size_t DocumentSize = 8 * 1024 * 1024;

std::string MakeProse() {
  static const char* const Words[] = {"the",     "quick",  "brown",  "fox",   "jumps",
                                      "over",    "lazy",   "dog",    "while", "reading",
                                      "several", "pages",  "of",     "plain", "English",
                                      "prose,",  "which",  "rarely", "has",   "markup."};
  std::mt19937 Random(1);
  std::string S;
  S.reserve(DocumentSize + 1024);
  while (S.size() < DocumentSize) {
    S += "<p>";
    for (int I = 0; I < 120; ++I) {
      S += Words[Random() % 20];
      S += (I % 15 == 14) ? "\r\n" : " ";
    }
    S += "</p>\r\n";
  }
  return S;
}

std::string MakeTagDense() {
  std::string S;
  S.reserve(DocumentSize + 1024);
  int Row = 0;
  while (S.size() < DocumentSize) {
    S += "<tr bgcolor=\"#E0E0F0\"><td align=center width=\"25%\"><font color=#800000 size=+1>";
    S += std::to_string(Row++);
    S += "</font></td><td><a href=\"page.htm#n\" class=ref>link</a>&nbsp;<b>x</b></td>"
         "<td nowrap valign=top><img src=\"i.gif\" width=16 height=16 alt=\"\"></td></tr>\r\n";
  }
  return S;
}

std::string ReadShared(const char* RelativePath) {
  std::ifstream In(std::string(QJX_SHARED_DIR) + "/" + RelativePath, std::ios::binary);
  std::stringstream Buffer;
  Buffer << In.rdbuf();
  return Buffer.str();
}

void LexDocument(benchmark::State& State, const std::string& Source) {
  if (Source.empty()) {
    State.SkipWithError("document not found");
    return;
  }
  TLexer Lexer;
  size_t Symbols = 0;
  for (auto _ : State) {
    Lexer.Start(Source);
    try {
      Lexer.NextChar();
      for (Lexer.NextSymbol(); Lexer.CurSym != symEof; Lexer.NextSymbol()) ++Symbols;
    } catch (const EParseError&) {
    }
    benchmark::DoNotOptimize(Symbols);
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * Source.size());
}

void BM_LexProse(benchmark::State& State) {
  static const std::string Source = MakeProse();
  LexDocument(State, Source);
}

void BM_LexTagDense(benchmark::State& State) {
  static const std::string Source = MakeTagDense();
  LexDocument(State, Source);
}

void BM_LexRealManual(benchmark::State& State) {
  static const std::string Source = ReadShared("corpus/html/real/01-bashref/bashref.html");
  LexDocument(State, Source);
}

void BM_LexRealDeviceTables(benchmark::State& State) {
  static const std::string Source = ReadShared("corpus/html/real/25-sane-backends/sane-backends.html");
  LexDocument(State, Source);
}

}  // namespace

BENCHMARK(BM_LexProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LexTagDense)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LexRealManual)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LexRealDeviceTables)->Unit(benchmark::kMillisecond);
