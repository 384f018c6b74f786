// Form controls in a real X window: keys and clicks sent as X events reach them, and the
// drop-down list opens as an undecorated window of its own, where the program put it.
// Runs only with a display; skipped otherwise.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "toolkit/controls_edit.h"
#include "toolkit/controls_list.h"
#include "toolkit/window_backend.h"
#include "toolkit/x11/x11_backend.h"

// Last: its macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

bool DisplayRuns() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  setenv("QJX_BACKEND", "x11", 1);
  return std::string(WindowBackend().Name()) == "x11";
}

LRESULT PlainProc(HWND Wnd, unsigned Msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(Wnd, Msg, wParam, lParam);
}

// Sends X events from a second connection, as another program (or the server) would.
struct TSender {
  Display* D = XOpenDisplay(nullptr);
  Time Clock = 200000;
  ~TSender() {
    if (D) XCloseDisplay(D);
  }
  // A press and a release: of a key (Detail a key code) or of button 1 at (X, Y).
  void Send(Window Target, bool IsKey, unsigned Detail, int X = 0, int Y = 0) {
    for (bool press : {true, false}) {
      XEvent event{};
      XButtonEvent& e = event.xbutton;  // key events share its layout up to the detail
      e.type = IsKey ? (press ? KeyPress : KeyRelease) : (press ? ButtonPress : ButtonRelease);
      e.display = D;
      e.window = Target;
      e.root = DefaultRootWindow(D);
      e.time = Clock += 1000;
      e.x = X;
      e.y = Y;
      e.same_screen = True;
      if (IsKey) event.xkey.keycode = Detail;
      else e.button = Detail;
      const long mask = IsKey ? (press ? KeyPressMask : KeyReleaseMask)
                              : (press ? ButtonPressMask : ButtonReleaseMask);
      XSendEvent(D, Target, False, mask, &event);
    }
  }
  void Key(Window Target, KeySym Sym) { Send(Target, true, XKeysymToKeycode(D, Sym)); }
  void Click(Window Target, int X, int Y) { Send(Target, false, Button1, X, Y); }
  // Lets the backend read and handle what was sent until Done says so (or a second passes).
  template <typename F>
  void Deliver(F Done) {
    XSync(D, False);
    for (int round = 0; round < 20 && !Done(); ++round)
      WindowBackend().WaitForEvents(WindowBackend().Now() + 50);
    ProcessMessages();
  }
};

int DifferingPixels(HWND TopLevel) {
  TWindowPixels shown = CaptureDisplayedWindow(TopLevel);
  TWindowPixels painted = CaptureWindowPixels(TopLevel);
  if (shown.Width != painted.Width || shown.Height != painted.Height) return -1;
  int differing = 0;
  for (size_t i = 0; i < shown.Pixels.size(); ++i)
    differing += (shown.Pixels[i] & 0xFFFFFF) != (painted.Pixels[i] & 0xFFFFFF);
  return differing;
}

}  // namespace

TEST(X11Controls, KeysAndClicksReachTheControlsAndTheListPopsUp) {
  if (!DisplayRuns()) GTEST_SKIP() << "no X display";
  TCreateParams params;
  params.Proc = &PlainProc;
  params.Width = 300;
  params.Height = 200;
  params.Style = WS_VISIBLE;
  HWND host = CreateWindow(params);
  ASSERT_NE(host, nullptr);
  SetWindowBackground(host, clWhite);
  {
    TEdit edit(nullptr, host, 10, 10, 120, 21);
    TComboBox combo(nullptr, host, 10, 50, 120, 21);
    for (const char* s : {"red", "green", "blue", "cyan"}) combo.Items().Add(s);
    combo.SetItemIndex(0);
    edit.SetFocus();
    ProcessMessages();
    TSender x;
    ASSERT_NE(x.D, nullptr);
    const Window hostWindow = DisplayWindowOf(host);
    ASSERT_NE(hostWindow, 0u);

    for (KeySym sym : {XK_h, XK_i, XK_BackSpace, XK_o}) x.Key(hostWindow, sym);
    x.Deliver([&] { return edit.Text() == "ho"; });
    EXPECT_EQ(edit.Text(), "ho");
    EXPECT_EQ(DifferingPixels(host), 0);

    x.Click(hostWindow, 60, 60);
    x.Deliver([&] { return combo.DroppedDown(); });
    ASSERT_TRUE(combo.DroppedDown());
    EXPECT_TRUE(combo.Focused());
    const HWND popup = combo.DropList()->Handle();
    const Window popupWindow = DisplayWindowOf(popup);
    ASSERT_NE(popupWindow, 0u);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(x.D, popupWindow, &attributes));
    EXPECT_TRUE(attributes.override_redirect);
    TRect placed;
    GetWindowRect(popup, &placed);
    Window child;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(x.D, popupWindow, DefaultRootWindow(x.D), 0, 0, &rootX, &rootY, &child);
    EXPECT_EQ(rootX, placed.Left);
    EXPECT_EQ(rootY, placed.Top);
    EXPECT_EQ(DifferingPixels(popup), 0);

    const int rowHeight = combo.DropList()->ItemHeight();
    x.Click(popupWindow, 20, 1 + 2 * rowHeight + rowHeight / 2);
    x.Deliver([&] { return !combo.DroppedDown(); });
    EXPECT_FALSE(combo.DroppedDown());
    EXPECT_EQ(combo.Text(), "blue");
  }
  DestroyWindow(host);
  ProcessMessages();
}
