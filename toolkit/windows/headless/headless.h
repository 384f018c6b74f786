// Driving the headless backend from tests and headless hosts. Every call does nothing
// (and returns false or null) when another backend runs. The virtual clock moves on
// through AdvanceClock (toolkit/windows/clock.h).
#pragma once

#include <cstdint>

#include "common/types.h"
#include "toolkit/windows/clock.h"
#include "toolkit/windows/messages.h"

bool IsHeadless();
// Every ProcessMessages moves the clock on by ms afterwards (0, the default, stops it),
// so that loops that wait for time while processing messages make progress.
bool SetClockAutoStep(uint32_t ms);
bool SetHeadlessScreenSize(int width, int height);
// The cursor the pointer shows.
HCURSOR HeadlessShownCursor();
