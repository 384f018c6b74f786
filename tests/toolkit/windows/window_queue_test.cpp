#include "tests/toolkit/windows/window_test_support.h"
#include "toolkit/windows/clock.h"

using WindowQueue = WindowTest;

TEST_F(WindowQueue, SendInsideSendRunsNestedAndReturnsAnswers) {
  TProbe a, b;
  HWND wa = nullptr, wb = nullptr;
  std::vector<std::string> order;
  a.Handler = [&](HWND, unsigned msg, WPARAM wp, LPARAM, LRESULT& r) {
    if (msg != WM_USER) return false;
    order.push_back("a-in " + std::to_string(wp));
    if (wp < 3) r = 10 * SendMessage(wb, WM_USER, wp + 1, 0);
    else r = 7;
    order.push_back("a-out " + std::to_string(wp));
    return true;
  };
  b.Handler = [&](HWND, unsigned msg, WPARAM wp, LPARAM, LRESULT& r) {
    if (msg != WM_USER) return false;
    order.push_back("b " + std::to_string(wp));
    r = SendMessage(wa, WM_USER, wp + 1, 0) + 1;
    return true;
  };
  wa = MakeWindow(a, nullptr, 0, 0, 10, 10);
  wb = MakeWindow(b, nullptr, 0, 0, 10, 10);
  // a(0) -> b(1) -> a(2) -> b(3) -> a(4) = 7; b adds 1, a multiplies by 10.
  EXPECT_EQ(SendMessage(wa, WM_USER, 0, 0), ((7 + 1) * 10 + 1) * 10);
  std::vector<std::string> expected = {"a-in 0", "b 1", "a-in 2", "b 3", "a-in 4",
                                       "a-out 4", "a-out 2", "a-out 0"};
  EXPECT_EQ(order, expected);
}

TEST_F(WindowQueue, PostedMessagesRunInOrderOnProcessMessages) {
  TProbe a;
  HWND w = nullptr;
  a.Handler = [&](HWND, unsigned msg, WPARAM wp, LPARAM, LRESULT&) {
    // A message posted while handling one runs in the same pass, after the others.
    if (msg == WM_USER + 1 && wp == 1) PostMessage(w, WM_USER + 1, 99, 0);
    return false;
  };
  w = MakeWindow(a, nullptr, 0, 0, 10, 10);
  ProcessMessages();
  Log.clear();
  PostMessage(w, WM_USER + 1, 1, 0);
  PostMessage(w, WM_USER + 2, 2, 0);
  EXPECT_TRUE(Log.empty()) << "posting must not deliver";
  EXPECT_TRUE(ProcessMessages());
  std::vector<WPARAM> seen;
  for (const TLogged& l : Log)
    if (l.Msg >= WM_USER) seen.push_back(l.WParam);
  EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2, 99}));
}

TEST_F(WindowQueue, SelfRepostingHandlerCannotHangProcessMessages) {
  TProbe a;
  HWND w = nullptr;
  int count = 0;
  a.Handler = [&](HWND, unsigned msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_USER) return false;
    ++count;
    PostMessage(w, WM_USER, 0, 0);
    return true;
  };
  w = MakeWindow(a, nullptr, 0, 0, 10, 10);
  PostMessage(w, WM_USER, 0, 0);
  ProcessMessages();
  EXPECT_GT(count, 100);
  DestroyWindow(w);  // drops the message still queued
  EXPECT_TRUE(ProcessMessages());
}

TEST_F(WindowQueue, PeekFiltersAndQuit) {
  TProbe a, b;
  HWND wa = MakeWindow(a, nullptr, 0, 0, 10, 10);
  HWND wb = MakeWindow(b, nullptr, 0, 0, 10, 10);
  ProcessMessages();
  PostMessage(wa, WM_USER + 5, 0, 0);
  PostMessage(wb, WM_USER + 6, 0, 0);
  TMsg m;
  ASSERT_TRUE(PeekMessage(&m, wb, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, unsigned(WM_USER + 6));
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_USER + 6, WM_USER + 6, PM_REMOVE));
  EXPECT_EQ(m.hwnd, wb);
  PostQuitMessage(3);
  EXPECT_EQ(GetMessage(&m), 1);
  EXPECT_EQ(m.message, unsigned(WM_USER + 5));
  EXPECT_EQ(GetMessage(&m), 0);
  EXPECT_EQ(m.message, unsigned(WM_QUIT));
  EXPECT_EQ(QuitExitCode(), 3);
  // Nothing left and no timers: waiting would never end, so GetMessage gives up.
  EXPECT_EQ(GetMessage(&m), 0);
  PostQuitMessage(4);
  EXPECT_FALSE(ProcessMessages());
  EXPECT_EQ(QuitExitCode(), 4);
}

TEST_F(WindowQueue, TimersFireInTimeOrderOnTheVirtualClock) {
  TProbe a, b;
  HWND wa = MakeWindow(a, nullptr, 0, 0, 10, 10);
  HWND wb = MakeWindow(b, nullptr, 0, 0, 10, 10);
  std::vector<std::pair<uintptr_t, uint32_t>> fired;  // id, clock when it ran
  auto record = [&](HWND, unsigned msg, WPARAM wp, LPARAM, LRESULT&) {
    if (msg != WM_TIMER) return false;
    fired.emplace_back(wp, GetTickCount());
    return true;
  };
  a.Handler = record;
  b.Handler = record;
  uint32_t t0 = GetTickCount();
  EXPECT_EQ(SetTimer(wa, 1, 100), 1u);
  EXPECT_EQ(SetTimer(wb, 2, 40), 2u);
  AdvanceClock(99);
  std::vector<std::pair<uintptr_t, uint32_t>> expected = {{2, t0 + 40}, {2, t0 + 80}};
  EXPECT_EQ(fired, expected);
  fired.clear();
  AdvanceClock(101);  // to t0 + 200
  expected = {{1, t0 + 100}, {2, t0 + 120}, {2, t0 + 160}, {1, t0 + 200}, {2, t0 + 200}};
  EXPECT_EQ(fired, expected);
  EXPECT_EQ(GetTickCount(), t0 + 200);
  EXPECT_EQ(TimeGetTime(), GetTickCount());

  // Killing stops it; setting again restarts the period from now.
  fired.clear();
  EXPECT_TRUE(KillTimer(wb, 2));
  EXPECT_FALSE(KillTimer(wb, 2));
  AdvanceClock(50);
  SetTimer(wa, 1, 100);
  AdvanceClock(99);
  EXPECT_TRUE(fired.empty());
  AdvanceClock(1);
  EXPECT_EQ(fired.size(), 1u);

  // Without advancing, processing messages fires nothing more.
  fired.clear();
  ProcessMessages();
  EXPECT_TRUE(fired.empty());
}

TEST_F(WindowQueue, TimerCallbacksThreadTimersAndTinyIntervals) {
  static int calls;
  static uintptr_t lastId;
  calls = 0;
  TTimerProc proc = [](HWND, unsigned msg, uintptr_t id, uint32_t) {
    if (msg == WM_TIMER) ++calls, lastId = id;
  };
  TProbe a;
  HWND w = MakeWindow(a, nullptr, 0, 0, 10, 10);
  uintptr_t id = SetTimer(nullptr, 0, 0, proc);  // interval 0 counts as 10 ms
  EXPECT_NE(id, 0u);
  SetTimer(w, 9, 25, proc);
  AdvanceClock(50);
  EXPECT_EQ(calls, 5 + 2);
  EXPECT_TRUE(Messages({WM_TIMER}).empty()) << "a callback replaces the message";
  EXPECT_TRUE(KillTimer(nullptr, id));
  // A forged WM_TIMER cannot make the system call an arbitrary address.
  TMsg forged{w, WM_TIMER, 9, LPARAM(0x1234), 0, {}};
  DispatchMessage(&forged);
  EXPECT_EQ(calls, 7);
}

TEST_F(WindowQueue, GetMessageWaitsForTheNextTimerInVirtualTime) {
  TProbe a;
  HWND w = MakeWindow(a, nullptr, 0, 0, 10, 10);
  ProcessMessages();
  uint32_t t0 = GetTickCount();
  SetTimer(w, 3, 250);
  TMsg m;
  ASSERT_EQ(GetMessage(&m), 1);
  EXPECT_EQ(m.message, unsigned(WM_TIMER));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(GetTickCount(), t0 + 250);
}

TEST_F(WindowQueue, AutoStepLetsTimeWaitingLoopsFinish) {
  ASSERT_TRUE(SetClockAutoStep(10));
  uint32_t start = GetTickCount();
  int passes = 0;
  while (GetTickCount() - start < 100 && passes < 1000) {
    ProcessMessages();
    ++passes;
  }
  SetClockAutoStep(0);
  EXPECT_EQ(passes, 10);
}
