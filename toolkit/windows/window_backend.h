// The platform side of the window system. The window tree, the queue, timers, focus,
// capture, painting into surfaces and scroll bars are the same for every platform; a
// backend only shows surfaces, shows the cursor, owns the clock and the clipboard, and
// turns platform events into Inject* calls.
//
// The backend is chosen on first use from QJX_BACKEND (headless or x11). Without it,
// a display backend is taken when DISPLAY is set and one is compiled in; otherwise the
// headless backend runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/types.h"
#include "toolkit/windows/messages.h"

class TWindowBackend {
 public:
  virtual ~TWindowBackend() = default;
  virtual const char* Name() const = 0;

  // Milliseconds since an arbitrary start, never going backwards.
  virtual uint64_t Now() = 0;
  // Whether Now() moves on its own. A virtual clock moves only when advanced.
  virtual bool ClockRunsByItself() const { return true; }
  // Moves a virtual clock on (see AdvanceClock in clock.h); false for a real one.
  virtual bool AdvanceClock(uint32_t ms) { return false; }
  // Whether windows reach a display; without one they paint into memory only.
  virtual bool HasDisplay() const { return true; }
  // Waits until an event arrives (and has been injected) or the clock reaches deadline
  // (UINT64_MAX: no deadline). Returns false when nothing can ever arrive.
  virtual bool WaitForEvents(uint64_t deadline) = 0;
  // Whether input reaches the window system while a handler runs a loop of its own (a
  // host that hands input over from its own main loop cannot until the handler returns).
  virtual bool InputArrivesWhileBusy() const { return true; }
  // Called at the end of every ProcessMessages.
  virtual void MessagesProcessed() {}
  // Takes in whatever the display has sent, without waiting: a host that pumps messages
  // without ever waiting still gets its input, and other programs their clipboard answers.
  virtual void PollEvents() {}

  // A top-level window's surface changed in rect (surface coordinates) and can be shown.
  virtual void PresentSurface(HWND topLevel, const uint32_t* pixels, int stride,
                              const TRect& rect) {}
  virtual void TopLevelChanged(HWND topLevel, const TRect& screenRect, bool visible) {}
  virtual void TopLevelDestroyed(HWND topLevel) {}
  virtual void ShowCursor(HCURSOR cursor) {}

  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string GetClipboardText() = 0;

  virtual TSize ScreenSize() = 0;
  virtual int PixelsPerInch() { return 96; }
};

// The running backend (created on first use).
TWindowBackend& WindowBackend();
// Replaces the backend; tests and hosts that bring their own use it before any window
// exists. Returns false (and keeps the old one) while windows exist.
bool InstallWindowBackend(std::unique_ptr<TWindowBackend> backend);
// When the earliest timer is due (UINT64_MAX without timers); backends wait for it.
uint64_t NextTimerDue();
// Tells the graphics layer the screen's size and the system colours; backends call it
// again when the screen changes.
void AnnounceScreen();
// The name the environment asks for: "headless" or "x11".
std::string RequestedBackendName();
