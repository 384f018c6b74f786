// The message queue, message retrieval and dispatch, and timers.
#include <algorithm>
#include <limits>

#include "toolkit/windows/window.h"
#include "toolkit/windows/window_internal.h"

namespace {

// ProcessMessages stops after this many messages even if more keep coming.
constexpr int kProcessBudget = 10000;
constexpr uint32_t kMinTimerInterval = 10;
constexpr uint32_t kMaxTimerInterval = 0x7FFFFFFF;

bool InRange(unsigned msg, unsigned min, unsigned max) {
  return (min == 0 && max == 0) || (msg >= min && msg <= max);
}

}  // namespace

bool InFilter(HWND filter, uint32_t handle) {
  if (!filter) return true;
  uint32_t f = TWindowSystem::ToValue(filter);
  return handle == f || IsChild(filter, TWindowSystem::ToHandle(handle));
}

void ForgetWindowWork(uint32_t handle) {
  auto& timers = WS().Timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [&](const TTimer& t) { return t.Window == handle; }),
               timers.end());
  auto& q = WS().Queue;
  q.erase(std::remove_if(q.begin(), q.end(),
                         [&](const TQueueItem& i) {
                           return i.Kind == qkPosted && TWindowSystem::ToValue(i.Msg.hwnd) == handle;
                         }),
          q.end());
  WS().PaintPending.erase(handle);
  WS().PaintParked.erase(handle);
}

bool PostMessage(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !WS().Find(hwnd)) return false;
  TQueueItem item;
  item.Msg = TMsg{hwnd, msg, wParam, lParam, uint32_t(WS().Now()), WS().CursorPos};
  WS().Queue.push_back(item);
  return true;
}

void PostQuitMessage(int exitCode) {
  WS().QuitPending = true;
  WS().QuitCode = exitCode;
}

int QuitExitCode() { return WS().LastQuitCode; }

bool PeekMessage(TMsg* msg, HWND filter, unsigned min, unsigned max, unsigned remove) {
  TWindowSystem& ws = WS();
  if (filter && !ws.Find(filter)) return false;
  TMsg local;
  if (!msg) msg = &local;
  // Queued messages and input, in the order they arrived.
  for (size_t i = 0; i < ws.Queue.size(); ++i) {
    TQueueItem& item = ws.Queue[i];
    TMsg cooked;
    if (item.Kind == qkPosted) {
      cooked = item.Msg;
    } else if (i == 0) {
      // Input is aimed only when it reaches the head, so that earlier input has had its
      // effect on focus and capture.
      if (!CookInput(item, &cooked, false)) {
        // Input for no window still changes the key and button state.
        TQueueItem dropped = item;
        ws.Queue.pop_front();
        CookInput(dropped, &cooked, true);
        --i;
        continue;
      }
    } else {
      break;
    }
    if (filter && (!cooked.hwnd || !InFilter(filter, TWindowSystem::ToValue(cooked.hwnd)))) continue;
    if (!InRange(cooked.message, min, max)) continue;
    if (remove & PM_REMOVE) {
      if (item.Kind != qkPosted) {
        TQueueItem taken = item;
        ws.Queue.erase(ws.Queue.begin() + long(i));
        if (!CookInput(taken, &cooked, true)) return PeekMessage(msg, filter, min, max, remove);
      } else {
        ws.Queue.erase(ws.Queue.begin() + long(i));
      }
    }
    *msg = cooked;
    return true;
  }
  if (ws.QuitPending && !filter && InRange(WM_QUIT, min, max)) {
    if (remove & PM_REMOVE) {
      ws.QuitPending = false;
      ws.LastQuitCode = ws.QuitCode;
    }
    *msg = TMsg{nullptr, WM_QUIT, WPARAM(ws.QuitCode), 0, uint32_t(ws.Now()), ws.CursorPos};
    return true;
  }
  if (InRange(WM_PAINT, min, max) && NextPaintMessage(filter, msg)) return true;
  if (InRange(WM_TIMER, min, max) && NextTimerMessage(filter, msg, remove & PM_REMOVE)) return true;
  return false;
}

int GetMessage(TMsg* msg, HWND filter, unsigned min, unsigned max) {
  TMsg local;
  if (!msg) msg = &local;
  for (;;) {
    if (PeekMessage(msg, filter, min, max, PM_REMOVE)) return msg->message == WM_QUIT ? 0 : 1;
    if (filter && !IsWindow(filter)) return -1;
    if (!WS().Backend().WaitForEvents(NextTimerDue())) return 0;
  }
}

LRESULT DispatchMessage(const TMsg* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    // Only a callback that was registered for this timer is ever called.
    for (const TTimer& t : WS().Timers) {
      if (t.Window == TWindowSystem::ToValue(msg->hwnd) && t.Id == msg->wParam &&
          reinterpret_cast<LPARAM>(t.Proc) == msg->lParam) {
        TTimerProc proc = t.Proc;
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
      }
    }
    return 0;
  }
  const LRESULT result = SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT) PaintWaitingChildren(msg->hwnd);
  return result;
}

bool ProcessMessages() {
  WS().Backend().PollEvents();
  TMsg msg;
  for (int budget = kProcessBudget; budget > 0; --budget) {
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {
      WS().Backend().MessagesProcessed();
      return false;
    }
    DispatchMessage(&msg);
  }
  WS().Backend().MessagesProcessed();
  return true;
}

// ---- Timers -----------------------------------------------------------------------------

uintptr_t SetTimer(HWND hwnd, uintptr_t id, unsigned elapse, TTimerProc proc) {
  TWindowSystem& ws = WS();
  uint32_t window = 0;
  if (hwnd) {
    TWnd* w = ws.Find(hwnd);
    if (!w || w->Destroying) return 0;
    window = w->Handle;
  } else {
    id = ws.NextThreadTimerId++;
  }
  uint32_t interval = std::clamp<uint32_t>(elapse, kMinTimerInterval, kMaxTimerInterval);
  uint64_t due = ws.Now() + interval;
  for (TTimer& t : ws.Timers) {
    if (t.Window == window && t.Id == id) {
      t.Interval = interval;
      t.Due = due;
      t.Proc = proc;
      return hwnd ? (id ? id : 1) : id;
    }
  }
  ws.Timers.push_back(TTimer{window, id, interval, due, ws.TimerOrder++, proc});
  // Windows answers a window timer with a non-zero value even for id 0.
  return hwnd ? (id ? id : 1) : id;
}

bool KillTimer(HWND hwnd, uintptr_t id) {
  uint32_t window = 0;
  if (hwnd) {
    TWnd* w = WS().Find(hwnd);
    if (!w) return false;
    window = w->Handle;
  }
  auto& timers = WS().Timers;
  for (auto it = timers.begin(); it != timers.end(); ++it) {
    if (it->Window == window && it->Id == id) {
      timers.erase(it);
      return true;
    }
  }
  return false;
}

uint64_t NextTimerDue() {
  uint64_t next = std::numeric_limits<uint64_t>::max();
  for (const TTimer& t : WS().Timers) next = std::min(next, t.Due);
  return next;
}

bool NextTimerMessage(HWND filter, TMsg* out, bool remove) {
  TWindowSystem& ws = WS();
  uint64_t now = ws.Now();
  TTimer* best = nullptr;
  for (TTimer& t : ws.Timers) {
    if (t.Due > now || !InFilter(filter, t.Window)) continue;
    if (filter && t.Window == 0) continue;
    if (!best || t.Due < best->Due || (t.Due == best->Due && t.Order < best->Order)) best = &t;
  }
  if (!best) return false;
  *out = TMsg{TWindowSystem::ToHandle(best->Window), WM_TIMER, best->Id,
              reinterpret_cast<LPARAM>(best->Proc), uint32_t(now), ws.CursorPos};
  if (remove) {
    // One message per period; a timer that fell far behind does not fire a burst.
    best->Due += best->Interval;
    if (best->Due <= now) best->Due = now + best->Interval;
    // Between timers due at the same moment, the one that just ran goes last.
    best->Order = ws.TimerOrder++;
  }
  return true;
}
