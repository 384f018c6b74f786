// Pages of form controls: loading and laying out a page of thousands of controls, a
// SELECT with 100,000 options, painting a band of controls, re-laying out at a new width,
// and scrolling through the controls (each one placed, shown and hidden as it passes).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_viewer.h"

namespace {

// Rows of labelled edits, check boxes, radio buttons, drop-downs and buttons: five
// controls per row, in forms of 100 rows.
std::string ControlPage(int Controls) {
  std::string Html = "<html><body><h1>Order form</h1>\n<form action=order.cgi>";
  for (int I = 0; I < Controls; I += 5) {
    const std::string N = std::to_string(I);
    if (I > 0 && I % 500 == 0) Html += "</form>\n<form action=order.cgi>";
    Html += "<p>Item " + N + ": <input name=e" + N + " value=\"" + N +
            "\" size=12> <input type=checkbox name=c" + N + "> <input type=radio name=r" +
            std::to_string(I % 10) + " value=" + N + "> <select name=s" + N +
            "><option>small<option selected>medium<option>large</select> <input type=submit "
            "value=\"Add " + N + "\"></p>\n";
  }
  return Html + "</form></body></html>\n";
}

std::string HugeSelect(int Options) {
  std::string Html = "<form><p>Pick: <select name=s>";
  for (int I = 0; I < Options; ++I) Html += "<option value=" + std::to_string(I) + ">option " +
                                            std::to_string(I);
  return Html + "</select> <select name=m multiple size=10>" + "<option>a<option>b</select>"
                "</form>";
}

using TBenchViewer = TBenchViewerWindow;

// Parse, create the window controls, lay out and paint the first band.
void BM_LoadPageOfControls(benchmark::State& State) {
  TBenchViewer b;
  const std::string page = ControlPage(int(State.range(0)));
  for (auto _ : State) {
    b.Load(page);
    b.Paint();
  }
  State.counters["controls"] = double(State.range(0));
}
BENCHMARK(BM_LoadPageOfControls)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_LoadSelectOfHundredThousandOptions(benchmark::State& State) {
  TBenchViewer b;
  const std::string page = HugeSelect(100000);
  for (auto _ : State) {
    b.Load(page);
    b.Paint();
  }
}
BENCHMARK(BM_LoadSelectOfHundredThousandOptions)->Unit(benchmark::kMillisecond);

void BM_PaintBandOfControls(benchmark::State& State) {
  TBenchViewer b;
  b.Load(ControlPage(2000));
  for (auto _ : State) b.Paint();
}
BENCHMARK(BM_PaintBandOfControls)->Unit(benchmark::kMillisecond);

// A new width lays the whole page out again and moves every placed control.
void BM_RelayoutPageOfControls(benchmark::State& State) {
  TBenchViewer b;
  b.Load(ControlPage(2000));
  int width = 1024;
  for (auto _ : State) {
    width = width == 1024 ? 700 : 1024;
    b.Viewer->SetBounds(0, 0, width, 768);
    b.Paint();
  }
}
BENCHMARK(BM_RelayoutPageOfControls)->Unit(benchmark::kMillisecond);

// Scrolling by pages from the top to the bottom, painting each band.
void BM_ScrollThroughControls(benchmark::State& State) {
  TBenchViewer b;
  b.Load(ControlPage(2000));
  for (auto _ : State) {
    b.Viewer->SetVScrollPos(0);
    for (int y = 0; y < b.Viewer->MaxVertical(); y += 700) {
      b.Viewer->SetVScrollPos(y);
      b.Paint();
    }
  }
}
BENCHMARK(BM_ScrollThroughControls)->Unit(benchmark::kMillisecond);

}  // namespace
