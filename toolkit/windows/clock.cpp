#include "toolkit/windows/clock.h"

#include <chrono>

#include "toolkit/windows/window_backend.h"

uint64_t GetTickCount64() { return WindowBackend().Now(); }
uint32_t GetTickCount() { return uint32_t(GetTickCount64()); }
uint32_t TimeGetTime() { return uint32_t(GetTickCount64()); }

bool ClockRunsByItself() { return WindowBackend().ClockRunsByItself(); }
bool AdvanceClock(uint32_t ms) { return WindowBackend().AdvanceClock(ms); }

uint64_t RealClockMilliseconds() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
