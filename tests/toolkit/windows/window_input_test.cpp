#include "tests/toolkit/windows/window_test_support.h"

using WindowInput = WindowTest;

TEST_F(WindowInput, FocusMessagesNameTheOtherWindow) {
  TProbe top, a, b;
  HWND t = MakeWindow(top, nullptr, 0, 0, 100, 100);
  HWND wa = MakeWindow(a, t, 0, 0, 10, 10);
  HWND wb = MakeWindow(b, t, 20, 0, 10, 10);
  Log.clear();
  EXPECT_EQ(SetFocus(wa), nullptr);
  EXPECT_EQ(SetFocus(wb), wa);
  EXPECT_EQ(GetFocus(), wb);
  std::vector<std::pair<HWND, unsigned>> expected = {
      {wa, WM_SETFOCUS}, {wa, WM_KILLFOCUS}, {wb, WM_SETFOCUS}};
  EXPECT_EQ(Trace({WM_SETFOCUS, WM_KILLFOCUS}), expected);
  EXPECT_EQ(Log.back().WParam, ParamFromHandle(wa));  // WM_SETFOCUS: the previous one
  const TLogged* kill = Last(WM_KILLFOCUS);
  EXPECT_EQ(kill->WParam, ParamFromHandle(wb));  // WM_KILLFOCUS: the next one

  // Hiding, disabling or destroying the focused window takes the focus away.
  Log.clear();
  ShowWindow(wb, SW_HIDE);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(Messages({WM_KILLFOCUS}, wb).size(), 1u);
  SetFocus(wa);
  EnableWindow(t, false);
  EXPECT_EQ(GetFocus(), nullptr);
  EnableWindow(t, true);
  SetFocus(wa);
  Log.clear();
  DestroyWindow(wa);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(Trace({WM_KILLFOCUS, WM_DESTROY}),
            (std::vector<std::pair<HWND, unsigned>>{{wa, WM_KILLFOCUS}, {wa, WM_DESTROY}}));
}

TEST_F(WindowInput, CaptureRedirectsMouseAndReportsItsLoss) {
  TProbe top, a, b;
  HWND t = MakeWindow(top, nullptr, 100, 100, 200, 100);
  HWND wa = MakeWindow(a, t, 0, 0, 50, 50);
  HWND wb = MakeWindow(b, t, 100, 0, 50, 50);
  EXPECT_EQ(SetCapture(wa), nullptr);
  Log.clear();
  InjectMouseMoveAt(wb, 5, 6);  // over b, but a holds the capture
  const TLogged* move = Last(WM_MOUSEMOVE);
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->Window, wa);
  EXPECT_EQ(GET_X_LPARAM(move->LParam), 105);
  EXPECT_EQ(GET_Y_LPARAM(move->LParam), 6);
  // Outside every window, coordinates go negative.
  InjectMouseMove(TPoint{90, 80});
  EXPECT_EQ(GET_X_LPARAM(Last(WM_MOUSEMOVE)->LParam), -10);
  EXPECT_EQ(GET_Y_LPARAM(Last(WM_MOUSEMOVE)->LParam), -20);

  Log.clear();
  EXPECT_EQ(SetCapture(wb), wa);
  ASSERT_NE(Last(WM_CAPTURECHANGED), nullptr);
  EXPECT_EQ(Last(WM_CAPTURECHANGED)->Window, wa);
  EXPECT_EQ(Last(WM_CAPTURECHANGED)->LParam, LPARAM(ParamFromHandle(wb)));
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Last(WM_CAPTURECHANGED)->Window, wb);
  EXPECT_EQ(Last(WM_CAPTURECHANGED)->LParam, 0);

  Log.clear();
  InjectMouseMoveAt(wb, 5, 6);
  EXPECT_EQ(Last(WM_MOUSEMOVE)->Window, wb);
  SetCapture(wa);
  DestroyWindow(wa);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowInput, MouseMessagesPackButtonsAndCoordinates) {
  TProbe top;
  HWND t = MakeWindow(top, nullptr, 10, 10, 100, 100);
  struct TCase {
    TMouseButton Button;
    unsigned Down, Up;
    unsigned Flag;
    int Vk;
  } cases[] = {{mbLeft, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, VK_LBUTTON},
               {mbRight, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, VK_RBUTTON},
               {mbMiddle, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, VK_MBUTTON}};
  for (const TCase& c : cases) {
    Log.clear();
    InjectKeyDown(VK_SHIFT);
    InjectMouseDownAt(t, c.Button, 3, 4);
    EXPECT_LT(GetKeyState(c.Vk), 0);
    InjectMouseMoveAt(t, 5, 6);
    InjectMouseUpAt(t, c.Button, 7, 8);
    InjectKeyUp(VK_SHIFT);
    EXPECT_GE(GetKeyState(c.Vk), 0);
    ASSERT_NE(Last(c.Down), nullptr);
    EXPECT_EQ(Last(c.Down)->WParam, c.Flag | MK_SHIFT);
    EXPECT_EQ(Last(c.Down)->LParam, MAKELPARAM(3, 4));
    EXPECT_EQ(Last(WM_MOUSEMOVE)->WParam, c.Flag | MK_SHIFT);
    EXPECT_EQ(Last(c.Up)->WParam, unsigned(MK_SHIFT));
    EXPECT_EQ(Last(c.Up)->LParam, MAKELPARAM(7, 8));
    EXPECT_EQ(ShiftStateFromKeys(Last(c.Down)->WParam) & ssShift, unsigned(ssShift));
  }
}

TEST_F(WindowInput, DoubleClicksOnlyForWindowsThatAskForThem) {
  TProbe plain, dbl;
  HWND p = MakeWindow(plain, nullptr, 0, 0, 50, 50);
  HWND d = MakeWindow(dbl, nullptr, 100, 0, 50, 50, WS_VISIBLE, CS_DBLCLKS);
  InjectDoubleClickAt(p, mbLeft, 5, 5);
  EXPECT_EQ(Messages({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}, p),
            (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
  InjectDoubleClickAt(d, mbLeft, 5, 5);
  EXPECT_EQ(Messages({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}, d),
            (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  EXPECT_EQ(Last(WM_LBUTTONDBLCLK)->WParam, unsigned(MK_LBUTTON));
  // Too slow or too far apart: two single clicks.
  Log.clear();
  InjectClickAt(d, mbLeft, 5, 5);
  AdvanceClock(501);
  InjectClickAt(d, mbLeft, 5, 5);
  InjectClickAt(d, mbLeft, 15, 5);
  EXPECT_TRUE(Messages({WM_LBUTTONDBLCLK}).empty());
}

TEST_F(WindowInput, KeysGoToTheFocusWithWin32Packing) {
  TProbe top;
  HWND t = MakeWindow(top, nullptr, 0, 0, 50, 50);
  InjectKeyDown('A');  // no focus: dropped
  InjectKeyUp('A');
  EXPECT_TRUE(Messages({WM_KEYDOWN, WM_KEYUP}).empty());
  SetFocus(t);
  Log.clear();
  InjectKeyDown(VK_DOWN);
  InjectKeyDown(VK_DOWN, true);
  InjectKeyUp(VK_DOWN);
  InjectChar('x');
  ASSERT_EQ(Messages({WM_KEYDOWN, WM_KEYUP, WM_CHAR}),
            (std::vector<unsigned>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP, WM_CHAR}));
  std::vector<const TLogged*> keys;
  for (const TLogged& l : Log)
    if (l.Msg == WM_KEYDOWN || l.Msg == WM_KEYUP || l.Msg == WM_CHAR) keys.push_back(&l);
  EXPECT_EQ(keys[0]->WParam, WPARAM(VK_DOWN));
  EXPECT_EQ(uint32_t(keys[0]->LParam), 1u);                  // first press
  EXPECT_EQ(uint32_t(keys[1]->LParam), 1u | (1u << 30));    // auto-repeat
  EXPECT_EQ(uint32_t(keys[2]->LParam), 1u | (3u << 30));    // release
  EXPECT_EQ(keys[3]->WParam, WPARAM('x'));

  // Modifiers: state with the toggle bit, and Alt turns keys into system keys.
  InjectKeyDown(VK_CONTROL);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  EXPECT_EQ(KeyboardShiftState() & ssCtrl, unsigned(ssCtrl));
  InjectKeyUp(VK_CONTROL);
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  InjectKeyDown(VK_LSHIFT);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  InjectKeyUp(VK_LSHIFT);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  Log.clear();
  InjectKeyDown(VK_MENU);
  InjectKeyDown('F');
  InjectKeyUp('F');
  InjectKeyUp(VK_MENU);
  EXPECT_EQ(Messages({WM_KEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_KEYUP}),
            (std::vector<unsigned>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP}));
  EXPECT_EQ(GetKeyState(-1), 0);
  EXPECT_EQ(GetKeyState(1000), 0);
}

TEST_F(WindowInput, WheelGoesToTheFocusAndBubblesToTheParent) {
  TProbe top, child;
  HWND t = MakeWindow(top, nullptr, 0, 0, 100, 100);
  HWND c = MakeWindow(child, t, 10, 10, 50, 50);
  SetFocus(c);
  Log.clear();
  InjectMouseWheelAt(c, -240, 1, 2);
  std::vector<std::pair<HWND, unsigned>> expected = {{c, WM_MOUSEWHEEL}, {t, WM_MOUSEWHEEL}};
  EXPECT_EQ(Trace({WM_MOUSEWHEEL}), expected);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Last(WM_MOUSEWHEEL)->WParam), -240);
  // lParam carries screen coordinates.
  EXPECT_EQ(Last(WM_MOUSEWHEEL)->LParam, MAKELPARAM(11, 12));
}

TEST_F(WindowInput, DisabledWindowsGetNoMouseInput) {
  TProbe top, child;
  HWND t = MakeWindow(top, nullptr, 0, 0, 100, 100);
  HWND c = MakeWindow(child, t, 10, 10, 50, 50);
  EXPECT_FALSE(EnableWindow(c, false));
  EXPECT_EQ(Last(WM_ENABLE)->WParam, 0u);
  EXPECT_FALSE(IsWindowEnabled(c));
  Log.clear();
  InjectClickAt(c, mbLeft, 1, 1);
  EXPECT_TRUE(Messages({WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
  EXPECT_TRUE(EnableWindow(c, true));
  InjectClickAt(c, mbLeft, 1, 1);
  EXPECT_EQ(Messages({WM_LBUTTONDOWN}, c).size(), 1u);
}

TEST_F(WindowInput, CursorFollowsTheWindowUnderTheMouse) {
  TProbe top, child, parentDecides;
  HWND t = MakeWindow(top, nullptr, 0, 0, 100, 100);
  HWND c = MakeWindow(child, t, 10, 10, 20, 20);
  HCURSOR hand = LoadCursor(IDC_HAND);
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(LoadCursor(12345), nullptr);
  EXPECT_EQ(GetCursorId(hand), IDC_HAND);
  SetWindowCursor(c, hand);
  InjectMouseMoveAt(c, 1, 1);
  EXPECT_EQ(GetCursor(), hand);
  EXPECT_EQ(HeadlessShownCursor(), hand);
  InjectMouseMoveAt(t, 90, 90);
  EXPECT_EQ(GetCursorId(GetCursor()), IDC_ARROW);

  // A custom cursor from masks; bad masks are refused.
  const uint8_t andMask[32 * 4] = {}, xorMask[32 * 4] = {};
  HCURSOR own = CreateCursor(3, 3, 32, 32, andMask, xorMask);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(GetCursorId(own), 0);
  EXPECT_EQ(CreateCursor(40, 0, 32, 32, andMask, xorMask), nullptr);
  EXPECT_EQ(CreateCursor(0, 0, 0, 32, andMask, xorMask), nullptr);
  SetCursor(own);
  EXPECT_EQ(GetCursor(), own);
  EXPECT_TRUE(DestroyCursor(own));
  EXPECT_FALSE(DestroyCursor(own));
  EXPECT_NE(GetCursor(), own) << "a destroyed cursor is not left showing";
  SetCursor(own);  // stale: ignored
  EXPECT_NE(GetCursor(), own);
}
