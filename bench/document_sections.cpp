// Painting a screenful and hit-testing a point in a long document: the cost must not
// grow with the number of sections.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "document/core/section_list.h"

namespace {

// A paragraph-sized section that paints 20 pixels and counts itself as drawn.
class TBenchSection : public TSectionBase {
 public:
  explicit TBenchSection(TSectionList* Doc) : TSectionBase(Doc) { FFlowHeight = 20; }
  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override {
    TSectionBase::Layout(Canvas, X, Y, XRef, YRef, AWidth, AHeight, IMgr, MaxWidth, Curs);
    FPosCount = 40;
    Curs += 40;
    return FFlowHeight;
  }
};

std::unique_ptr<TSectionList> MakeDocument(int Sections) {
  auto doc = std::make_unique<TSectionList>(nullptr, nullptr);
  for (int i = 0; i < Sections; ++i) doc->Add(std::make_unique<TBenchSection>(doc.get()));
  int sw = 0, curs = 0;
  doc->LayoutCell(nullptr, 0, 800, 600, sw, curs);
  return doc;
}

void BM_DrawVisibleBand(benchmark::State& state) {
  auto doc = MakeDocument(int(state.range(0)));
  TPaintContext pass;
  pass.Band = TRect{0, 0, 800, 600};
  pass.ScrollY = int(state.range(0)) * 10;  // the middle of the document
  doc->ViewScrolled();
  for (auto _ : state) benchmark::DoNotOptimize(doc->Draw(nullptr, pass, 6000, 0, 0, 0, 0));
}
BENCHMARK(BM_DrawVisibleBand)->Arg(1000)->Arg(50000);

void BM_HitTestPoint(benchmark::State& state) {
  auto doc = MakeDocument(int(state.range(0)));
  const int y = int(state.range(0)) * 10 + 7;
  std::unique_ptr<TUrlTarget> url;
  TDocControl* control = nullptr;
  std::string title;
  int xr = 0, yr = 0, ht = 0;
  bool inText = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc->HitTestLink(nullptr, 10, y, url, control, title));
    benchmark::DoNotOptimize(doc->PositionAtPoint(nullptr, 10, y, xr, yr, ht, inText));
  }
}
BENCHMARK(BM_HitTestPoint)->Arg(1000)->Arg(50000);

void BM_LayoutDocument(benchmark::State& state) {
  auto doc = MakeDocument(int(state.range(0)));
  for (auto _ : state) {
    int sw = 0, curs = 0;
    benchmark::DoNotOptimize(doc->LayoutCell(nullptr, 0, 800, 600, sw, curs));
  }
}
BENCHMARK(BM_LayoutDocument)->Arg(50000);

}  // namespace
