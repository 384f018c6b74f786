// Choosing the backend: QJX_BACKEND first, then DISPLAY when a display backend is built.
#include "toolkit/windows/window_backend.h"

#include <cstdlib>
#include <cstring>

#include "toolkit/graphics/screen.h"
#include "toolkit/windows/headless/headless_backend.h"
#include "toolkit/windows/window_internal.h"
#include "toolkit/windows/window_metrics.h"

// The display backend announces itself with this header; its factory is
// CreateX11Backend(), returning null when no display can be opened.
#if defined(QJX_HAVE_X11) && __has_include("toolkit/windows/x11/x11_backend.h")
#include "toolkit/windows/x11/x11_backend.h"
#define QJX_X11_BACKEND 1
#endif

std::string RequestedBackendName() {
  const char* env = std::getenv("QJX_BACKEND");
  if (env && (std::strcmp(env, "headless") == 0 || std::strcmp(env, "x11") == 0)) return env;
#ifdef QJX_X11_BACKEND
  const char* display = std::getenv("DISPLAY");
  if (display && *display) return "x11";
#endif
  return "headless";
}

TWindowBackend& TWindowSystem::Backend() {
  if (!FBackend) {
#ifdef QJX_X11_BACKEND
    if (RequestedBackendName() == "x11") FBackend = CreateX11Backend();
#endif
    if (!FBackend) FBackend = CreateHeadlessBackend();
    AnnounceScreen();
  }
  return *FBackend;
}

TWindowBackend& WindowBackend() { return WS().Backend(); }

bool InputArrivesWhileBusy() { return WS().Backend().InputArrivesWhileBusy(); }

bool InstallWindowBackend(std::unique_ptr<TWindowBackend> backend) {
  if (!backend || WS().WindowCount() != 0) return false;
  WS().SetBackend(std::move(backend));
  AnnounceScreen();
  return true;
}

void AnnounceScreen() {
  // The graphics layer's view of the screen follows the window system's.
  SetSysColorSource(&GetSysColor);
  SetScreenSize(WS().Backend().ScreenSize());
}
