// Many viewers in one host: creating them, loading a page into each, and painting them all,
// through the host interface a real host uses.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "include/qjxhtml.h"
#include "include/qjxhtml_host.h"

namespace {

intptr_t HostProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  return QjxDefWindowProc(Wnd, Msg, wParam, lParam);
}

void BM_CreateViewers(benchmark::State& State) {
  setenv("QJX_BACKEND", "headless", 1);
  const int Count = int(State.range(0));
  for (auto _ : State) {
    HV_Proc(HVC_INIT, nullptr, 0);
    HWND Host = QjxCreateHostWindow("host", 400, 300, HostProc, nullptr);
    for (int I = 0; I < Count; ++I) HV_Proc(HVC_CREATE, Host, 0);
    QjxPumpMessages();
    State.PauseTiming();
    HV_Proc(HVC_DONE, nullptr, 0);
    QjxDestroyWindow(Host);
    QjxPumpMessages();
    State.ResumeTiming();
  }
  State.counters["viewers_per_second"] =
      benchmark::Counter(double(Count) * double(State.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CreateViewers)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
