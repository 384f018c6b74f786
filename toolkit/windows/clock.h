// Millisecond clocks. Headless they read the backend's virtual clock, which only moves
// when a test or host advances it; with a display backend they read the real clock.
#pragma once

#include <cstdint>

// Milliseconds since the clock started, wrapping after 49.7 days like the system tick.
uint32_t GetTickCount();
uint64_t GetTickCount64();
// The multimedia clock used for animation timing; the same time base as GetTickCount.
uint32_t TimeGetTime();
// The real monotonic clock in milliseconds, for backends that run in real time.
uint64_t RealClockMilliseconds();
// Whether the clock moves on its own. A virtual clock (the headless backend's) moves only
// when a test or host advances it, so a loop that waits for time must not wait on it.
bool ClockRunsByItself();
// Moves a virtual clock forward by ms. Timers fire in time order, every period they
// pass (a 100 ms timer fires 5 times in AdvanceClock(500)), with the clock standing at
// each due time while its WM_TIMER runs; pending messages and paints run after each.
// After 10000 such steps the clock jumps to the end and timers fire once more, as
// timers that fell behind do. Does nothing and returns false when the clock runs by itself.
bool AdvanceClock(uint32_t ms);
