// Driving the headless backend from tests and headless hosts. Every call does nothing
// (and returns false or null) when another backend runs.
#pragma once

#include <cstdint>

#include "common/types.h"
#include "toolkit/windows/messages.h"

bool IsHeadless();
// Moves the virtual clock forward by ms. Timers fire in time order, every period they
// pass (a 100 ms timer fires 5 times in AdvanceClock(500)), with the clock standing at
// each due time while its WM_TIMER runs; pending messages and paints run after each.
// After 10000 such steps the clock jumps to the end and timers fire once more, as
// timers that fell behind do.
bool AdvanceClock(uint32_t ms);
// Every ProcessMessages moves the clock on by ms afterwards (0, the default, stops it),
// so that loops that wait for time while processing messages make progress.
bool SetClockAutoStep(uint32_t ms);
bool SetHeadlessScreenSize(int width, int height);
// The cursor the pointer shows.
HCURSOR HeadlessShownCursor();
