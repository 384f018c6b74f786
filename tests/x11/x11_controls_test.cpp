// Form controls in a real X window: keys and clicks sent as X events reach them, and the
// drop-down list opens as an undecorated window of its own, where the program put it.
// Runs only with a display; skipped otherwise.
#include <gtest/gtest.h>

#include "toolkit/controls/controls_edit.h"
#include "toolkit/controls/controls_list.h"

#include "tests/x11/x11_support.h"  // last: Xlib's macros would clash with the headers above

namespace {

LRESULT PlainProc(HWND Wnd, unsigned Msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(Wnd, Msg, wParam, lParam);
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
