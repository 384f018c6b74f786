// Parsing plus layout of a page of 50,000 short paragraphs at width 800.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "document/section_list.h"
#include "reader/builder.h"

namespace {

// The corpus generator's paragraph page, made once per run.
const std::string& ParagraphPage() {
  static const std::string Page = [] {
    const std::string Out = "bench_document_load_paras.html";
    const std::string Cmd = std::string("python3 \"") + QJX_SHARED_DIR +
                            "/corpus/html/gen/make_large.py\" paras \"" + Out + "\"";
    if (std::system(Cmd.c_str()) != 0) return std::string();
    std::ifstream In(Out, std::ios::binary);
    std::stringstream Buf;
    Buf << In.rdbuf();
    std::remove(Out.c_str());
    return Buf.str();
  }();
  return Page;
}

void BM_ParseAndLayoutParagraphs(benchmark::State& State) {
  const std::string& Page = ParagraphPage();
  if (Page.empty()) {
    State.SkipWithError("the paragraph page could not be generated");
    return;
  }
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
BENCHMARK(BM_ParseAndLayoutParagraphs)->Unit(benchmark::kMillisecond);

}  // namespace
