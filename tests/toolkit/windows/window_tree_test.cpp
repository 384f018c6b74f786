#include <climits>

#include "tests/toolkit/windows/window_test_support.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/windows/window_backend.h"

using WindowTree = WindowTest;

TEST_F(WindowTree, CreationSendsCreateThenSizeThenMoveThenShow) {
  TProbe top, child;
  HWND t = MakeWindow(top, nullptr, 10, 20, 300, 200);
  HWND c = MakeWindow(child, t, 5, 6, 50, 40);
  ASSERT_TRUE(IsWindow(t));
  ASSERT_TRUE(IsWindow(c));
  const std::vector<unsigned> expected = {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE,
                                          WM_SHOWWINDOW};
  EXPECT_EQ(Messages({WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}, c), expected);
  const TLogged* size = nullptr;
  const TLogged* move = nullptr;
  for (const TLogged& l : Log) {
    if (l.Window == c && l.Msg == WM_SIZE) size = &l;
    if (l.Window == c && l.Msg == WM_MOVE) move = &l;
  }
  ASSERT_TRUE(size && move);
  EXPECT_EQ(size->LParam, MAKELPARAM(50, 40));
  EXPECT_EQ(move->LParam, MAKELPARAM(5, 6));
  EXPECT_EQ(GetParent(c), t);
  EXPECT_EQ(GetParent(t), nullptr);
  TRect r;
  ASSERT_TRUE(GetWindowRect(c, &r));
  EXPECT_EQ(r, Rect(15, 26, 65, 66));
  ASSERT_TRUE(GetClientRect(c, &r));
  EXPECT_EQ(r, Rect(0, 0, 50, 40));
}

TEST_F(WindowTree, CreationCanBeCancelledByTheWindow) {
  for (unsigned refuse : {unsigned(WM_NCCREATE), unsigned(WM_CREATE)}) {
    TProbe probe;
    probe.Handler = [refuse](HWND, unsigned msg, WPARAM, LPARAM, LRESULT& r) {
      if (msg != refuse) return false;
      r = msg == WM_CREATE ? -1 : 0;
      return true;
    };
    Log.clear();
    EXPECT_EQ(MakeWindow(probe, nullptr, 0, 0, 10, 10), nullptr);
    EXPECT_EQ(Messages({WM_NCDESTROY}).size(), 1u) << "refused at " << refuse;
    EXPECT_TRUE(GetChildWindows(nullptr).empty());
  }
}

TEST_F(WindowTree, SizingSendsPosChangingChangedMoveSize) {
  TProbe top, child;
  HWND t = MakeWindow(top, nullptr, 0, 0, 300, 200);
  HWND c = MakeWindow(child, t, 0, 0, 50, 40);
  Log.clear();
  ASSERT_TRUE(MoveWindow(c, 7, 8, 60, 70));
  const std::vector<unsigned> expected = {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE,
                                          WM_SIZE};
  EXPECT_EQ(Messages({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}), expected);
  EXPECT_EQ(Last(WM_SIZE)->LParam, MAKELPARAM(60, 70));
  EXPECT_EQ(Last(WM_MOVE)->LParam, MAKELPARAM(7, 8));

  // Only what changed is reported.
  Log.clear();
  MoveWindow(c, 7, 8, 61, 70);
  EXPECT_EQ(Messages({WM_MOVE, WM_SIZE}), std::vector<unsigned>{WM_SIZE});
  Log.clear();
  MoveWindow(c, 9, 8, 61, 70);
  EXPECT_EQ(Messages({WM_MOVE, WM_SIZE}), std::vector<unsigned>{WM_MOVE});
  Log.clear();
  MoveWindow(c, 9, 8, 61, 70);
  EXPECT_TRUE(Messages({WM_MOVE, WM_SIZE}).empty());
}

TEST_F(WindowTree, PosChangingHandlerCanAdjustTheSize) {
  TProbe top;
  top.Handler = [](HWND, unsigned msg, WPARAM, LPARAM lp, LRESULT&) {
    if (msg == WM_WINDOWPOSCHANGING) reinterpret_cast<TWindowPos*>(lp)->cx = 123;
    return false;
  };
  HWND t = MakeWindow(top, nullptr, 0, 0, 10, 10);
  MoveWindow(t, 0, 0, 500, 50);
  EXPECT_EQ(GetWindowBounds(t), Rect(0, 0, 123, 50));
}

TEST_F(WindowTree, OddSizesAreClampedNotTrusted) {
  struct TCase {
    int X, Y, W, H;
    TRect Expected;
  } cases[] = {
      {0, 0, 0, 0, Rect(0, 0, 0, 0)},
      {5, 5, -10, -1, Rect(5, 5, 5, 5)},
      {0, 0, INT_MAX, INT_MAX, Rect(0, 0, 32767, 32767)},
      {INT_MIN, INT_MAX, 10, 10, Rect(-(1 << 28), 1 << 28, -(1 << 28) + 10, (1 << 28) + 10)},
  };
  for (const TCase& c : cases) {
    TProbe probe;
    HWND h = MakeWindow(probe, nullptr, c.X, c.Y, c.W, c.H);
    ASSERT_TRUE(IsWindow(h));
    EXPECT_EQ(GetWindowBounds(h), c.Expected);
    MoveWindow(h, c.X, c.Y, c.W, c.H);
    EXPECT_EQ(GetWindowBounds(h), c.Expected);
    // Painting and capturing a huge window stays within a bounded surface.
    InvalidateRect(h, nullptr);
    ProcessMessages();
    DestroyWindow(h);
  }
}

TEST_F(WindowTree, DestroyGoesDownThenNcDestroyComesUp) {
  TProbe top, a, a1, b;
  HWND t = MakeWindow(top, nullptr, 0, 0, 100, 100);
  HWND ca = MakeWindow(a, t, 0, 0, 10, 10);
  HWND ca1 = MakeWindow(a1, ca, 0, 0, 5, 5);
  HWND cb = MakeWindow(b, t, 20, 0, 10, 10);
  Log.clear();
  ASSERT_TRUE(DestroyWindow(t));
  std::vector<std::pair<HWND, unsigned>> expected = {
      {t, WM_DESTROY},     {ca, WM_DESTROY},    {ca1, WM_DESTROY}, {cb, WM_DESTROY},
      {ca1, WM_NCDESTROY}, {ca, WM_NCDESTROY}, {cb, WM_NCDESTROY}, {t, WM_NCDESTROY}};
  EXPECT_EQ(Trace({WM_DESTROY, WM_NCDESTROY}), expected);
  for (HWND h : {t, ca, ca1, cb}) EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowTree, ChildIsStillAWindowDuringItsParentsDestroy) {
  TProbe top, child;
  HWND c = nullptr;
  bool childAlive = false;
  top.Handler = [&](HWND, unsigned msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_DESTROY) childAlive = IsWindow(c);
    return false;
  };
  HWND t = MakeWindow(top, nullptr, 0, 0, 100, 100);
  c = MakeWindow(child, t, 0, 0, 10, 10);
  DestroyWindow(t);
  EXPECT_TRUE(childAlive);
}

TEST_F(WindowTree, DestroyingItselfInsideAHandlerIsSafe) {
  TProbe top, child;
  int after = 0;
  child.Handler = [&](HWND h, unsigned msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_LBUTTONDOWN || msg == WM_USER) {
      EXPECT_TRUE(DestroyWindow(h));
      EXPECT_FALSE(DestroyWindow(h));
      // Everything after the destruction in the same handler is harmless.
      EXPECT_EQ(DefWindowProc(h, WM_PAINT, 0, 0), 0);
      ++after;
      return true;
    }
    if (msg == WM_DESTROY) {
      EXPECT_FALSE(DestroyWindow(h)) << "re-entrant destroy";
    }
    return false;
  };
  HWND t = MakeWindow(top, nullptr, 0, 0, 100, 100);
  HWND c = MakeWindow(child, t, 10, 10, 20, 20);
  SetTimer(c, 5, 10);
  TPoint at{1, 1};
  ClientToScreen(c, &at);
  InjectMouseDown(mbLeft, at);
  InjectMouseUp(mbLeft, at);
  EXPECT_FALSE(IsWindow(c));
  EXPECT_EQ(after, 1);
  EXPECT_TRUE(GetChildWindows(t).empty());
  Log.clear();
  AdvanceClock(100);
  EXPECT_TRUE(Messages({WM_USER + 1, WM_TIMER}, c).empty());

  TProbe second;
  HWND c2 = MakeWindow(second, t, 0, 0, 5, 5);
  second.Handler = child.Handler;
  EXPECT_EQ(SendMessage(c2, WM_USER, 0, 0), 0);
  EXPECT_FALSE(IsWindow(c2));
}

TEST_F(WindowTree, InvalidHandlesAreRefusedQuietly) {
  TProbe probe;
  HWND dead = MakeWindow(probe, nullptr, 0, 0, 10, 10);
  DestroyWindow(dead);
  // A reused slot must not revive the old handle.
  TProbe fresh;
  HWND alive = MakeWindow(fresh, nullptr, 0, 0, 10, 10);
  EXPECT_NE(alive, dead);
  TRect r{1, 2, 3, 4};
  TPoint p{1, 1};
  SCROLLINFO si;
  for (HWND bad : {dead, HandleFromParam(0x12345), HandleFromParam(~uintptr_t(0)),
                   HandleFromParam(uintptr_t(1) << 40)}) {
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_EQ(SendMessage(bad, WM_USER, 1, 2), 0);
    EXPECT_FALSE(PostMessage(bad, WM_USER, 1, 2));
    EXPECT_FALSE(DestroyWindow(bad));
    EXPECT_FALSE(GetClientRect(bad, &r));
    EXPECT_FALSE(GetWindowRect(bad, &r));
    EXPECT_FALSE(ClientToScreen(bad, &p));
    EXPECT_FALSE(MoveWindow(bad, 0, 0, 1, 1));
    EXPECT_FALSE(ShowWindow(bad, SW_SHOW));
    EXPECT_FALSE(IsWindowVisible(bad));
    EXPECT_FALSE(InvalidateRect(bad, nullptr));
    EXPECT_FALSE(UpdateWindow(bad));
    EXPECT_FALSE(ScrollWindow(bad, 1, 1));
    EXPECT_EQ(SetTimer(bad, 1, 10), 0u);
    EXPECT_FALSE(KillTimer(bad, 1));
    EXPECT_EQ(SetFocus(bad), nullptr);
    EXPECT_EQ(SetCapture(bad), nullptr);
    EXPECT_EQ(GetParent(bad), nullptr);
    EXPECT_EQ(GetWindow(bad, GW_CHILD), nullptr);
    EXPECT_TRUE(GetChildWindows(bad).empty());
    EXPECT_EQ(CaptureWindowPixels(bad).Width, 0);
    EXPECT_EQ(GetWindowSurface(bad).Pixels, nullptr);
    EXPECT_FALSE(GetScrollInfo(bad, SB_CTL, &si));
    EXPECT_EQ(CreateWindow(&ProbeProc, &probe, bad, 0, 0, 1, 1), nullptr);
    TMsg m;
    EXPECT_FALSE(PeekMessage(&m, bad));
    InjectClickAt(bad, mbLeft, 0, 0);
  }
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(IsWindow(alive));
}

TEST_F(WindowTree, ZOrderAndHitTesting) {
  TProbe top, a, b, inner;
  HWND t = MakeWindow(top, nullptr, 100, 100, 200, 200);
  HWND ca = MakeWindow(a, t, 0, 0, 100, 100);
  HWND cb = MakeWindow(b, t, 50, 50, 100, 100);
  HWND ci = MakeWindow(inner, cb, 60, 60, 20, 20);  // (210, 210) on the screen
  // Creation order is z-order: the first child is on top.
  EXPECT_EQ(GetWindow(t, GW_CHILD), ca);
  EXPECT_EQ(GetWindow(ca, GW_HWNDNEXT), cb);
  EXPECT_EQ(GetWindow(cb, GW_HWNDPREV), ca);
  EXPECT_EQ(WindowFromPoint(TPoint{175, 175}), ca);  // overlap: the top one
  EXPECT_EQ(WindowFromPoint(TPoint{215, 215}), ci);
  EXPECT_EQ(WindowFromPoint(TPoint{290, 290}), t);
  EXPECT_EQ(WindowFromPoint(TPoint{5, 5}), nullptr);
  EXPECT_EQ(ChildWindowFromPoint(t, TPoint{60, 60}), ca);
  EXPECT_EQ(ChildWindowFromPoint(t, TPoint{190, 10}), t);
  EXPECT_EQ(ChildWindowFromPoint(t, TPoint{500, 10}), nullptr);

  SetWindowPos(cb, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(WindowFromPoint(TPoint{175, 175}), cb);
  EXPECT_EQ(GetChildWindows(t), (std::vector<HWND>{cb, ca}));
  SetWindowPos(cb, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetChildWindows(t), (std::vector<HWND>{ca, cb}));

  ShowWindow(ca, SW_HIDE);
  EXPECT_EQ(WindowFromPoint(TPoint{175, 175}), cb);
  EXPECT_FALSE(IsWindowVisible(ca));
  ShowWindow(t, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(ci));
  EXPECT_EQ(WindowFromPoint(TPoint{215, 215}), nullptr);
  EXPECT_TRUE(IsChild(t, ci));
  EXPECT_FALSE(IsChild(ci, t));
  EXPECT_EQ(GetTopLevelWindow(ci), t);

  TPoint pts[1] = {{1, 2}};
  MapWindowPoints(ci, ca, pts, 1);
  EXPECT_EQ(pts[0], (TPoint{111, 112}));
}

TEST_F(WindowTree, ClassesAndWindowData) {
  ASSERT_TRUE(RegisterWindowClass("TreeTestClass", &ProbeProc, CS_DBLCLKS));
  EXPECT_FALSE(RegisterWindowClass("TreeTestClass", &ProbeProc));
  TProbe probe;
  probe.Log = &Log;
  TCreateParams p;
  p.ClassName = "TreeTestClass";
  p.UserData = &probe;
  p.Title = "hello";
  p.Id = 42;
  HWND h = CreateWindow(p);
  ASSERT_TRUE(IsWindow(h));
  EXPECT_EQ(GetClassStyle(h), uint32_t(CS_DBLCLKS));
  EXPECT_EQ(GetWindowId(h), 42);
  EXPECT_EQ(GetWindowText(h), "hello");
  char buf[4];
  EXPECT_EQ(SendMessage(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)), 3);
  EXPECT_STREQ(buf, "hel");
  p.ClassName = "NoSuchClass";
  EXPECT_EQ(CreateWindow(p), nullptr);
  EXPECT_EQ(WindowBackend().Name(), std::string("headless"));
}
