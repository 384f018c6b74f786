#include "toolkit/windows/headless/headless_backend.h"

#include <algorithm>
#include <limits>

#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"

bool THeadlessBackend::WaitForEvents(uint64_t deadline) {
  if (deadline == std::numeric_limits<uint64_t>::max()) return false;
  FNow = std::max(FNow, deadline);
  return true;
}

bool THeadlessBackend::AdvanceClock(uint32_t ms) {
  uint64_t target = FNow + ms;
  ProcessMessages();
  // Each step lands exactly on the next due time, so timers see their own moments.
  // A timer that stays due after its messages ran (a queue that never empties starves
  // it) ends the walk instead of spinning here. So does a walk too long to take step by
  // step (days of a short timer): the clock jumps, and each timer fires once more.
  constexpr int kMaxSteps = 10000;
  int stuck = 0, steps = 0;
  for (uint64_t next; (next = NextTimerDue()) <= target && stuck < 3 && steps++ < kMaxSteps;) {
    stuck = next <= FNow ? stuck + 1 : 0;
    FNow = std::max(next, FNow);
    ProcessMessages();
  }
  FNow = std::max(target, FNow);
  ProcessMessages();
  return true;
}

std::unique_ptr<TWindowBackend> CreateHeadlessBackend() {
  return std::make_unique<THeadlessBackend>();
}

namespace {

THeadlessBackend* Headless() { return dynamic_cast<THeadlessBackend*>(&WindowBackend()); }

}  // namespace

bool IsHeadless() { return Headless() != nullptr; }

bool SetClockAutoStep(uint32_t ms) {
  THeadlessBackend* b = Headless();
  if (b) b->SetAutoStep(ms);
  return b != nullptr;
}

bool SetHeadlessScreenSize(int width, int height) {
  THeadlessBackend* b = Headless();
  if (b) {
    b->SetScreenSize(TSize{std::max(width, 1), std::max(height, 1)});
    AnnounceScreen();
  }
  return b != nullptr;
}

HCURSOR HeadlessShownCursor() {
  THeadlessBackend* b = Headless();
  return b ? b->ShownCursor() : nullptr;
}
