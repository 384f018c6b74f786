// Message dispatch, handle lookup, the queue and window scrolling.
#include <benchmark/benchmark.h>

#include <vector>

#include "toolkit/windows/window.h"

namespace {

LRESULT CountingProc(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_USER) {
    ++*static_cast<long*>(GetWindowUserData(hwnd));
    return 1;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

// A desktop with many windows, so that lookups are not helped by a tiny table.
struct TDesktop {
  long Count = 0;
  HWND Top = nullptr;
  std::vector<HWND> Children;
  explicit TDesktop(int children) {
    Top = CreateWindow(&CountingProc, &Count, nullptr, 0, 0, 800, 600, WS_VISIBLE);
    for (int i = 0; i < children; ++i)
      Children.push_back(CreateWindow(&CountingProc, &Count, Top, i % 700, i % 500, 20, 20));
    ProcessMessages();
  }
  ~TDesktop() { DestroyWindow(Top); }
};

void BM_SendMessage(benchmark::State& state) {
  TDesktop desk(1000);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SendMessage(desk.Children[i], WM_USER, 1, 2));
    i = (i + 1) % desk.Children.size();
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_SendMessage);

void BM_PostAndProcess1000(benchmark::State& state) {
  TDesktop desk(1000);
  for (auto _ : state) {
    for (HWND h : desk.Children) PostMessage(h, WM_USER + 1, 0, 0);
    ProcessMessages();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000);
}
BENCHMARK(BM_PostAndProcess1000);

void BM_ScrollWindow800x600(benchmark::State& state) {
  HWND top = CreateWindow(&CountingProc, nullptr, nullptr, 0, 0, 800, 600, WS_VISIBLE);
  ProcessMessages();
  for (auto _ : state) {
    ScrollWindowEx(top, 0, -16, nullptr, nullptr, nullptr, 0);
  }
  DestroyWindow(top);
}
BENCHMARK(BM_ScrollWindow800x600);

}  // namespace
