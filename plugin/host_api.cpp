// The C host interface over the window system.
#include "include/qjxhtml_host.h"

#include <algorithm>
#include <optional>
#include <string>

#include "plugin/host_memory.h"
#include "plugin/host_messages.h"
#include "plugin/last_error.h"
#include "toolkit/fonts/font.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/windows/clock.h"
#include "toolkit/windows/embedded/embedded.h"
#include "toolkit/windows/window.h"
#include "toolkit/windows/window_backend.h"

namespace {

// The host's procedure rides in the window's user data together with the host's own.
struct THostWindow {
  TQjxWndProc Proc;
  void* UserData;
};

LRESULT HostWindowProc(HWND Wnd, unsigned Msg, WPARAM wParam, LPARAM lParam) {
  auto* host = static_cast<THostWindow*>(GetWindowUserData(Wnd));
  LRESULT result;
  if (host && host->Proc) {
    result = host->Proc(Wnd, Msg, wParam, lParam);
  } else {
    result = DefWindowProc(Wnd, Msg, wParam, lParam);
  }
  // The record goes with the window; the host saw WM_DESTROY before.
  if (Msg == WM_NCDESTROY) {
    SetWindowUserData(Wnd, nullptr);
    delete host;
  }
  return result;
}

// A window must fit in a bitmap of the toolkit, or it could be neither painted whole
// nor saved. False, with the reason as the last error, when it does not.
bool CheckWindowSize(int Width, int Height) {
  const std::string size = std::to_string(Width) + " x " + std::to_string(Height);
  if (Width < 0 || Height < 0) {
    SetLastError("Negative window size: " + size);
    return false;
  }
  try {
    CheckBitmapSize(std::max(Width, 1), std::max(Height, 1));
  } catch (const EInvalidGraphic&) {
    SetLastError("Window too large: " + size + " pixels");
    return false;
  }
  return true;
}

// A text argument: null reads as Empty (when given), an unreadable address fails with
// the last error naming What.
std::optional<std::string> HostText(const char* Text, const char* What,
                                    std::optional<std::string> Empty = std::nullopt) {
  if (!Text) {
    if (!Empty) SetLastError(std::string("No ") + What);
    return Empty;
  }
  std::optional<std::string> text = ReadHostString(Text, MaxHostText);
  if (!text) SetLastError(std::string("Unreadable ") + What);
  return text;
}

bool IsHostWindow(HWND Wnd) { return IsWindow(Wnd) && GetWindowProc(Wnd) == HostWindowProc; }

bool CheckWindow(HWND Wnd) {
  if (IsWindow(Wnd)) return true;
  SetLastError("Not a window");
  return false;
}

// Points far outside every window still go nowhere, without overflowing on the way to
// screen coordinates.
int Coord(int V) { return std::clamp(V, -(1 << 28), 1 << 28); }

TMouseButton ButtonOf(int Button) {
  if (Button == QJX_BUTTON_RIGHT) return mbRight;
  if (Button == QJX_BUTTON_MIDDLE) return mbMiddle;
  return mbLeft;
}

}  // namespace

extern "C" {

HWND QjxCreateHostWindow(const char* Title, int Width, int Height, TQjxWndProc Proc,
                         void* UserData) {
  return Guarded([&]() -> HWND {
    ClearLastError();
    const std::optional<std::string> title = HostText(Title, "title", "");
    if (!title || !CheckWindowSize(Width, Height)) return nullptr;
    auto* host = new THostWindow{Proc, UserData};
    TCreateParams params;
    params.Proc = HostWindowProc;
    params.UserData = host;
    params.Width = Width;
    params.Height = Height;
    if (IsEmbedded()) params.X = EmbeddedWindowOrigin(Width).X;
    params.Style = WS_VISIBLE;
    params.Title = title->c_str();
    HWND wnd = CreateWindow(params);
    if (!wnd) delete host;  // creation cancelled before WM_NCDESTROY could free it
    return wnd;
  }, nullptr);
}

void* QjxGetUserData(HWND Wnd) {
  auto* host = IsHostWindow(Wnd) ? static_cast<THostWindow*>(GetWindowUserData(Wnd)) : nullptr;
  return host ? host->UserData : nullptr;
}

intptr_t QjxDefWindowProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  return Guarded([&]() -> intptr_t {
    ClearLastError();
    // The library's own windows have their handling; the default one would go around it.
    if (!IsHostWindow(Wnd)) {
      SetLastError("Not a window of the host");
      return 0;
    }
    return DeliverHostMessage(THostCall::Default, Msg, wParam, lParam, [&](WPARAM w, LPARAM l) {
      return DefWindowProc(Wnd, Msg, w, l);
    });
  }, intptr_t(0));
}

int QjxDestroyWindow(HWND Wnd) {
  return Guarded([&] { return int(DestroyWindow(Wnd)); }, 0);
}

int QjxIsWindow(HWND Wnd) { return IsWindow(Wnd) ? 1 : 0; }

int QjxSetWindowSize(HWND Wnd, int Width, int Height) {
  return Guarded([&] {
    ClearLastError();
    if (!CheckWindow(Wnd) || !CheckWindowSize(Width, Height)) return 0;
    TRect bounds = GetWindowBounds(Wnd);
    return int(MoveWindow(Wnd, bounds.Left, bounds.Top, Width, Height));
  }, 0);
}

int QjxGetClientRect(HWND Wnd, TQjxRect* Rect) {
  return Guarded([&] {
    ClearLastError();
    TRect r;
    if (!CheckWindow(Wnd) || !GetClientRect(Wnd, &r)) return 0;
    const TQjxRect result{r.Left, r.Top, r.Right, r.Bottom};
    if (!WriteHostMemory(Rect, &result, sizeof result)) {
      SetLastError("Unwritable rectangle");
      return 0;
    }
    return 1;
  }, 0);
}

int QjxSetWindowTitle(HWND Wnd, const char* Title) {
  return Guarded([&] {
    ClearLastError();
    const std::optional<std::string> title = HostText(Title, "title", "");
    return int(title && CheckWindow(Wnd) && SetWindowText(Wnd, *title));
  }, 0);
}

intptr_t QjxSendMessage(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  return Guarded([&] {
    ClearLastError();
    return DeliverHostMessage(THostCall::Send, Msg, wParam, lParam, [&](WPARAM w, LPARAM l) {
      return SendMessage(Wnd, Msg, w, l);
    });
  }, intptr_t(0));
}

int QjxPostMessage(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  return Guarded([&] {
    ClearLastError();
    return int(DeliverHostMessage(THostCall::Post, Msg, wParam, lParam, [&](WPARAM w, LPARAM l) {
      return LRESULT(PostMessage(Wnd, Msg, w, l));
    }));
  }, 0);
}

int QjxRunMessageLoop(void) {
  return Guarded([] {
    TMsg msg;
    while (GetMessage(&msg) > 0) DispatchMessage(&msg);
    return QuitExitCode();
  }, -1);
}

int QjxPumpMessages(void) {
  return Guarded([] { return int(ProcessMessages()); }, 1);
}

void QjxQuit(int ExitCode) { PostQuitMessage(ExitCode); }

int QjxIsHeadless(void) {
  return Guarded([] { return int(!WindowBackend().HasDisplay()); }, 1);
}

void QjxMouseMove(HWND Wnd, int X, int Y) {
  Guarded([&] { InjectMouseMoveAt(Wnd, Coord(X), Coord(Y)); return 0; }, 0);
}
void QjxMouseDown(HWND Wnd, int Button, int X, int Y) {
  Guarded([&] { InjectMouseDownAt(Wnd, ButtonOf(Button), Coord(X), Coord(Y)); return 0; }, 0);
}
void QjxMouseUp(HWND Wnd, int Button, int X, int Y) {
  Guarded([&] { InjectMouseUpAt(Wnd, ButtonOf(Button), Coord(X), Coord(Y)); return 0; }, 0);
}
void QjxClick(HWND Wnd, int Button, int X, int Y) {
  Guarded([&] { InjectClickAt(Wnd, ButtonOf(Button), Coord(X), Coord(Y)); return 0; }, 0);
}
void QjxDoubleClick(HWND Wnd, int Button, int X, int Y) {
  Guarded([&] { InjectDoubleClickAt(Wnd, ButtonOf(Button), Coord(X), Coord(Y)); return 0; }, 0);
}
void QjxMouseWheel(HWND Wnd, int Delta, int X, int Y) {
  Guarded([&] { InjectMouseWheelAt(Wnd, Delta, Coord(X), Coord(Y)); return 0; }, 0);
}
void QjxKeyDown(int VirtualKey) {
  Guarded([&] { InjectKeyDown(VirtualKey); return 0; }, 0);
}
void QjxKeyUp(int VirtualKey) {
  Guarded([&] { InjectKeyUp(VirtualKey); return 0; }, 0);
}
void QjxChar(int Ch) {
  // A negative value is a signed 8-bit character.
  const char32_t C = Ch < 0 ? char32_t(Ch & 0xFF) : char32_t(Ch);
  Guarded([&] { InjectChar(C); return 0; }, 0);
}
void QjxSetFocus(HWND Wnd) {
  Guarded([&] { SetFocus(Wnd); return 0; }, 0);
}

int QjxAdvanceClock(unsigned Milliseconds) {
  return Guarded([&] { return int(AdvanceClock(Milliseconds)); }, 0);
}

int QjxSaveWindowPng(HWND Wnd, const char* FileName) {
  return Guarded([&] {
    ClearLastError();
    const std::optional<std::string> name = HostText(FileName, "file name");
    if (!name) return 0;
    SaveWindowPng(Wnd, *name);
    return 1;
  }, 0);
}

int QjxAddFontFile(const char* FileName) {
  return Guarded([&] {
    ClearLastError();
    const std::optional<std::string> name = HostText(FileName, "file name");
    if (!name) return 0;
    if (AddFontFile(*name)) return 1;
    SetLastError("Not a font file: " + *name);
    return 0;
  }, 0);
}

const char* QjxLastError(void) { return LastErrorText(); }

}  // extern "C"
