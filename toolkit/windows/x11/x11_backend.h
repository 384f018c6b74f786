// The display backend over Xlib: one X window per top-level window.
#pragma once

#include <memory>

#include "toolkit/windows/window.h"
#include "toolkit/windows/window_backend.h"

// Null when no display can be opened.
std::unique_ptr<TWindowBackend> CreateX11Backend();

// What the X server shows of a top-level window, read back from the display after the
// pending events and messages were handled. Empty when the X11 backend does not run.
TWindowPixels CaptureDisplayedWindow(HWND topLevel);
// The X window that shows a top-level window; 0 when there is none.
unsigned long DisplayWindowOf(HWND topLevel);
