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
