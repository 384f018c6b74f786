#include "toolkit/windows/x11/x11_backend.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "common/codepage.h"
#include "toolkit/windows/keysyms.h"
#include "toolkit/windows/window.h"

namespace {

// The code page of the clipboard's 8-bit text, the default character set's.
constexpr int ClipboardCodePage = CP_UTF8;  // the clipboard holds UTF-8

uint64_t MonotonicMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000 + uint64_t(ts.tv_nsec) / 1000000;
}

unsigned FontCursorOf(int id) {
  switch (id) {
    case IDC_IBEAM: return XC_xterm;
    case IDC_WAIT: case IDC_APPSTARTING: return XC_watch;
    case IDC_CROSS: return XC_crosshair;
    case IDC_HAND: return XC_hand2;
    case IDC_SIZEALL: return XC_fleur;
    case IDC_SIZENS: return XC_sb_v_double_arrow;
    case IDC_SIZEWE: return XC_sb_h_double_arrow;
    case IDC_UPARROW: return XC_sb_up_arrow;
    default: return XC_left_ptr;
  }
}

class TX11Backend;
TX11Backend* RunningBackend = nullptr;

class TX11Backend : public TWindowBackend {
 public:
  explicit TX11Backend(Display* display) : FDisplay(display) {
    FScreen = DefaultScreen(display);
    FDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    FClipboard = XInternAtom(display, "CLIPBOARD", False);
    FUtf8 = XInternAtom(display, "UTF8_STRING", False);
    FTargets = XInternAtom(display, "TARGETS", False);
    FTransfer = XInternAtom(display, "QJX_SELECTION", False);
    // Owns the clipboard and receives conversions.
    FHelper = XCreateSimpleWindow(display, RootWindow(display, FScreen), 0, 0, 1, 1, 0, 0, 0);
    FGC = DefaultGC(display, FScreen);
    FStart = MonotonicMs();
    RunningBackend = this;
  }
  ~TX11Backend() override {
    RunningBackend = nullptr;
    for (auto& [hwnd, window] : FWindows) XDestroyWindow(FDisplay, window);
    for (auto& [shape, cursor] : FCursors) XFreeCursor(FDisplay, cursor);
    XDestroyWindow(FDisplay, FHelper);
    XCloseDisplay(FDisplay);
  }

  const char* Name() const override { return "x11"; }
  uint64_t Now() override { return MonotonicMs() - FStart; }

  bool WaitForEvents(uint64_t deadline) override {
    XFlush(FDisplay);
    for (;;) {
      if (XPending(FDisplay) > 0) {
        while (XPending(FDisplay) > 0) HandleNextEvent();
        return true;
      }
      const uint64_t now = Now();
      if (deadline != UINT64_MAX && now >= deadline) return true;
      int timeout = -1;
      if (deadline != UINT64_MAX) timeout = int(std::min<uint64_t>(deadline - now, 1000000));
      pollfd fd{ConnectionNumber(FDisplay), POLLIN, 0};
      if (poll(&fd, 1, timeout) <= 0 && deadline != UINT64_MAX) return true;
    }
  }

  void MessagesProcessed() override { XFlush(FDisplay); }

  void PollEvents() override {
    // An event's Inject* call runs the message loop, which comes here: the next event
    // waits until this one is handled, so keys keep their order. (A modal loop inside a
    // handler still takes events in through WaitForEvents.)
    if (FHandling) return;
    while (XPending(FDisplay) > 0) HandleNextEvent();
  }


  void PresentSurface(HWND topLevel, const uint32_t* pixels, int stride,
                      const TRect& rect) override {
    auto it = FWindows.find(topLevel);
    if (it == FWindows.end() || !pixels) return;
    const int width = rect.Right - rect.Left, height = rect.Bottom - rect.Top;
    if (width <= 0 || height <= 0) return;
    Visual* visual = DefaultVisual(FDisplay, FScreen);
    const int depth = DefaultDepth(FDisplay, FScreen);
    if (depth < 24) return;  // only true-colour displays are drawn on
    // The surface's 0x00RRGGBB words are what a 24-bit ZPixmap image holds.
    const uint32_t* origin = pixels + size_t(rect.Top) * size_t(stride) + size_t(rect.Left);
    XImage* image = XCreateImage(FDisplay, visual, unsigned(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(const_cast<uint32_t*>(origin)),
                                 unsigned(width), unsigned(height), 32, stride * 4);
    if (!image) return;
    XPutImage(FDisplay, it->second, FGC, image, 0, 0, rect.Left, rect.Top, unsigned(width),
              unsigned(height));
    image->data = nullptr;  // the surface is not the image's to free
    XDestroyImage(image);
  }

  void TopLevelChanged(HWND topLevel, const TRect& screenRect, bool visible) override {
    const int width = std::max(1, screenRect.Right - screenRect.Left);
    const int height = std::max(1, screenRect.Bottom - screenRect.Top);
    auto it = FWindows.find(topLevel);
    Window window;
    if (it == FWindows.end()) {
      window = XCreateSimpleWindow(FDisplay, RootWindow(FDisplay, FScreen), screenRect.Left,
                                   screenRect.Top, unsigned(width), unsigned(height), 0, 0,
                                   WhitePixel(FDisplay, FScreen));
      XSelectInput(FDisplay, window,
                   ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                       KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask);
      XSetWMProtocols(FDisplay, window, &FDeleteWindow, 1);
      if (GetWindowStyle(topLevel) & WS_POPUP) {
        // Popups (drop-down lists) stand where they are put, undecorated.
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        XChangeWindowAttributes(FDisplay, window, CWOverrideRedirect, &attributes);
      }
      const std::string title = GetWindowText(topLevel);
      XStoreName(FDisplay, window, title.c_str());
      FWindows[topLevel] = window;
      FHandles[window] = topLevel;
      FSizes[topLevel] = {width, height};
    } else {
      window = it->second;
      const TSize old = FSizes[topLevel];
      if (old.cx != width || old.cy != height) {
        XResizeWindow(FDisplay, window, unsigned(width), unsigned(height));
        FSizes[topLevel] = {width, height};
      }
      // Nothing but the program places a popup, so it follows every move.
      if (GetWindowStyle(topLevel) & WS_POPUP)
        XMoveWindow(FDisplay, window, screenRect.Left, screenRect.Top);
    }
    if (visible) XMapWindow(FDisplay, window);
    else XUnmapWindow(FDisplay, window);
  }

  void TopLevelDestroyed(HWND topLevel) override {
    auto it = FWindows.find(topLevel);
    if (it == FWindows.end()) return;
    FHandles.erase(it->second);
    XDestroyWindow(FDisplay, it->second);
    FWindows.erase(it);
    FSizes.erase(topLevel);
  }

  void ShowCursor(HCURSOR cursor) override {
    const unsigned shape = FontCursorOf(GetCursorId(cursor));
    Cursor& x = FCursors[shape];
    if (!x) x = XCreateFontCursor(FDisplay, shape);
    for (auto& [hwnd, window] : FWindows) XDefineCursor(FDisplay, window, x);
  }

  void SetClipboardText(const std::string& text) override {
    FClipboardText = text;
    XSetSelectionOwner(FDisplay, FClipboard, FHelper, CurrentTime);
    XFlush(FDisplay);
  }

  std::string GetClipboardText() override {
    Window owner = XGetSelectionOwner(FDisplay, FClipboard);
    if (owner == None) return {};
    if (owner == FHelper) return FClipboardText;
    XConvertSelection(FDisplay, FClipboard, FUtf8, FTransfer, FHelper, CurrentTime);
    XFlush(FDisplay);
    // Wait for the owner's answer, at most a second, handling other events meanwhile.
    const uint64_t deadline = Now() + 1000;
    while (Now() < deadline) {
      XEvent event;
      if (XCheckTypedWindowEvent(FDisplay, FHelper, SelectionNotify, &event)) {
        if (event.xselection.property == None) return {};
        return ReadTransfer();
      }
      pollfd fd{ConnectionNumber(FDisplay), POLLIN, 0};
      poll(&fd, 1, 20);
    }
    return {};
  }

  TSize ScreenSize() override {
    return {DisplayWidth(FDisplay, FScreen), DisplayHeight(FDisplay, FScreen)};
  }

  unsigned long WindowOf(HWND topLevel) const {
    auto it = FWindows.find(topLevel);
    return it == FWindows.end() ? 0 : it->second;
  }

  TWindowPixels Capture(HWND topLevel) {
    TWindowPixels result;
    for (int round = 0; round < 3; ++round) {
      XSync(FDisplay, False);
      while (XPending(FDisplay) > 0) {
        XEvent event;
        XNextEvent(FDisplay, &event);
        HandleEvent(event);
      }
      ProcessMessages();
    }
    XSync(FDisplay, False);
    auto it = FWindows.find(topLevel);
    if (it == FWindows.end()) return result;
    const TSize size = FSizes[topLevel];
    XImage* image = XGetImage(FDisplay, it->second, 0, 0, unsigned(size.cx), unsigned(size.cy),
                              AllPlanes, ZPixmap);
    if (!image) return result;
    result.Width = size.cx;
    result.Height = size.cy;
    result.Pixels.resize(size_t(size.cx) * size_t(size.cy));
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x)
        result.Pixels[size_t(y) * size_t(size.cx) + size_t(x)] =
            uint32_t(XGetPixel(image, x, y)) & 0x00FFFFFF;
    XDestroyImage(image);
    return result;
  }

 private:
  void HandleNextEvent() {
    XEvent event;
    XNextEvent(FDisplay, &event);
    ++FHandling;
    HandleEvent(event);
    --FHandling;
  }

  std::string ReadTransfer() {
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string result;
    if (XGetWindowProperty(FDisplay, FHelper, FTransfer, 0, 1 << 24, True, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success && data) {
      // Other programs hand over UTF-8 (asked for) or Latin-1; the clipboard keeps UTF-8.
      if (format == 8)
        result = WideCharToMultiByte(
            ClipboardCodePage,
            MultiByteToWideChar(type == FUtf8 ? CP_UTF8 : 28591,
                                std::string_view(reinterpret_cast<char*>(data), count)));
      XFree(data);
    }
    return result;
  }

  void AnswerSelectionRequest(const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    const Atom property = request.property != None ? request.property : request.target;
    if (request.target == FTargets) {
      Atom targets[] = {FTargets, FUtf8, XA_STRING};
      XChangeProperty(FDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(targets), 3);
      reply.property = property;
    } else if (request.target == FUtf8 || request.target == XA_STRING) {
      const std::u32string wide = MultiByteToWideChar(ClipboardCodePage, FClipboardText);
      const std::string text =
          WideCharToMultiByte(request.target == FUtf8 ? CP_UTF8 : 28591, wide);
      XChangeProperty(FDisplay, request.requestor, property, request.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
      reply.property = property;
    }
    XSendEvent(FDisplay, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
  }

  // The clock of Now at an X server time. Both clocks count milliseconds; the smallest
  // gap seen between them belongs to the event delivered with the least delay, so events
  // that waited in the queue keep the distance in time they had when they happened.
  uint64_t EventTime(Time server) {
    const int64_t now = int64_t(Now());
    const int64_t gap = now - int64_t(uint32_t(server));
    // The first event, one the server sent ahead of the estimate, or a server clock that
    // wrapped around (every 49 days) sets the gap anew.
    if (!FHaveGap || gap < FGap || gap > FGap + (int64_t(1) << 31)) {
      FGap = gap;
      FHaveGap = true;
    }
    // Message times are 32 bits and wrap: an event from before the backend started
    // lands near the top of that range, still the right distance from the others.
    return uint32_t(int64_t(uint32_t(server)) + FGap);
  }

  TPoint ScreenPoint(HWND hwnd, int x, int y) {
    TPoint point{x, y};
    ClientToScreen(hwnd, &point);
    return point;
  }

  void HandleEvent(XEvent& event) {
    if (event.type == SelectionRequest) {
      AnswerSelectionRequest(event.xselectionrequest);
      return;
    }
    if (event.type == SelectionClear) return;
    auto found = FHandles.find(event.xany.window);
    if (found == FHandles.end()) return;
    HWND hwnd = found->second;
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) InvalidateRect(hwnd, nullptr, false);
        break;
      case ConfigureNotify: {
        const int width = event.xconfigure.width, height = event.xconfigure.height;
        const TSize old = FSizes[hwnd];
        if (old.cx != width || old.cy != height) {
          FSizes[hwnd] = {width, height};
          TRect bounds = GetWindowBounds(hwnd);
          MoveWindow(hwnd, bounds.Left, bounds.Top, width, height);
        }
        break;
      }
      case ClientMessage:
        if (Atom(event.xclient.data.l[0]) == FDeleteWindow) PostMessage(hwnd, WM_CLOSE);
        break;
      case MotionNotify:
        EventTime(event.xmotion.time);
        InjectMouseMove(ScreenPoint(hwnd, event.xmotion.x, event.xmotion.y));
        break;
      case ButtonPress:
      case ButtonRelease: {
        const TPoint at = ScreenPoint(hwnd, event.xbutton.x, event.xbutton.y);
        const unsigned button = event.xbutton.button;
        if (button == Button4 || button == Button5) {
          if (event.type == ButtonPress) InjectMouseWheel(button == Button4 ? 120 : -120, at);
          break;
        }
        const TMouseButton which =
            button == Button3 ? mbRight : button == Button2 ? mbMiddle : mbLeft;
        const uint64_t time = EventTime(event.xbutton.time);
        if (event.type == ButtonPress) InjectMouseDown(which, at, time);
        else InjectMouseUp(which, at, time);
        break;
      }
      case KeyPress:
      case KeyRelease: {
        char text[8] = {};
        KeySym sym = 0;
        const int length = XLookupString(&event.xkey, text, sizeof text - 1, &sym, nullptr);
        const int key = VirtualKeyOfKeysym(uint32_t(sym));
        if (event.type == KeyPress) {
          if (key) InjectKeyDown(key);
          // Keys of other scripts come as Unicode key symbols: their character is the code point.
          if (!(event.xkey.state & ControlMask)) {
            if (sym >= 0x1000100 && sym <= 0x110FFFF) InjectChar(uint32_t(sym - 0x1000000));
            else if (length == 1) InjectChar(uint8_t(text[0]));
          }
        } else if (key) {
          InjectKeyUp(key);
        }
        break;
      }
      default:
        break;
    }
  }

  Display* FDisplay;
  int FScreen = 0;
  Window FHelper = 0;
  GC FGC;
  Atom FDeleteWindow, FClipboard, FUtf8, FTargets, FTransfer;
  uint64_t FStart = 0;
  int64_t FGap = 0;  // Now less the X server's time, see EventTime
  bool FHaveGap = false;
  int FHandling = 0;  // events being handled (nested through modal loops)
  std::unordered_map<HWND, Window> FWindows;
  std::unordered_map<Window, HWND> FHandles;
  std::unordered_map<HWND, TSize> FSizes;
  std::unordered_map<unsigned, Cursor> FCursors;
  std::string FClipboardText;
};

}  // namespace

TWindowPixels CaptureDisplayedWindow(HWND topLevel) {
  return RunningBackend ? RunningBackend->Capture(topLevel) : TWindowPixels{};
}

unsigned long DisplayWindowOf(HWND topLevel) {
  return RunningBackend ? RunningBackend->WindowOf(topLevel) : 0;
}

std::unique_ptr<TWindowBackend> CreateX11Backend() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  return std::make_unique<TX11Backend>(display);
}
