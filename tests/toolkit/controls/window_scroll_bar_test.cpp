#include "tests/toolkit/windows/window_test_support.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/windows/clipboard.h"
#include "toolkit/windows/window_metrics.h"

namespace {

class WindowScrollBar : public WindowTest {
 protected:
  TProbe Host;
  HWND Top = nullptr, Bar = nullptr;
  std::vector<std::pair<int, int>> Codes;  // code, 16-bit position

  void SetUp() override {
    Host.Handler = [this](HWND, unsigned msg, WPARAM wp, LPARAM lp, LRESULT&) {
      if (msg == WM_VSCROLL || msg == WM_HSCROLL) {
        EXPECT_EQ(HandleFromParam(uintptr_t(lp)), Bar);
        Codes.emplace_back(LOWORD(wp), int16_t(HIWORD(wp)));
      }
      return false;
    };
    Top = MakeWindow(Host, nullptr, 0, 0, 200, 200);
    // 16 x 116: arrows of 16, a track of 84.
    Bar = CreateScrollBar(Top, true, 100, 0, 16, 116);
    ASSERT_TRUE(IsWindow(Bar));
  }

  void Set(unsigned mask, int min, int max, unsigned page, int pos) {
    SCROLLINFO si;
    si.fMask = mask;
    si.nMin = min;
    si.nMax = max;
    si.nPage = page;
    si.nPos = pos;
    SetScrollInfo(Bar, SB_CTL, &si, true);
  }
  SCROLLINFO Get() {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    EXPECT_TRUE(GetScrollInfo(Bar, SB_CTL, &si));
    return si;
  }
};

}  // namespace

TEST_F(WindowScrollBar, ScrollInfoIsClampedLikeTheSystemDoes) {
  struct TCase {
    const char* What;
    unsigned Mask;
    int Min, Max;
    unsigned Page;
    int Pos;
    int WantMin, WantMax, WantPage, WantPos;
  } cases[] = {
      {"plain", SIF_ALL, 0, 1000, 100, 300, 0, 1000, 100, 300},
      {"pos past the last page", SIF_ALL, 0, 1000, 100, 950, 0, 1000, 100, 901},
      {"negative pos", SIF_POS, 0, 0, 0, -5, 0, 1000, 100, 0},
      {"page larger than range", SIF_ALL, 0, 9, 50, 5, 0, 9, 10, 0},
      {"inverted range", SIF_ALL, 10, 5, 1, 3, 0, 0, 1, 0},
      {"31-bit overflow", SIF_ALL, -2000000000, 2000000000, 0, 7, 0, 0, 0, 0},
      {"full 32-bit values", SIF_ALL, -1000000000, 1000000000, 1000, 999998000, -1000000000,
       1000000000, 1000, 999998000},
      {"page only", SIF_PAGE, 0, 0, 10, 0, -1000000000, 1000000000, 10, 999998000},
  };
  for (const TCase& c : cases) {
    Set(c.Mask, c.Min, c.Max, c.Page, c.Pos);
    SCROLLINFO si = Get();
    EXPECT_EQ(si.nMin, c.WantMin) << c.What;
    EXPECT_EQ(si.nMax, c.WantMax) << c.What;
    EXPECT_EQ(int(si.nPage), c.WantPage) << c.What;
    EXPECT_EQ(si.nPos, c.WantPos) << c.What;
  }
  EXPECT_EQ(SetScrollPos(Bar, SB_CTL, 5), 999998000);
  EXPECT_EQ(GetScrollPos(Bar, SB_CTL), 5);
  // The window's own bars do not exist; other windows are not bars.
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  EXPECT_FALSE(GetScrollInfo(Bar, SB_VERT, &si));
  EXPECT_FALSE(GetScrollInfo(Top, SB_CTL, &si));
  EXPECT_EQ(SetScrollInfo(Top, SB_CTL, &si), 0);
}

TEST_F(WindowScrollBar, DisableNoScrollGreysTheArrowsInsteadOfHiding) {
  Set(SIF_ALL | SIF_DISABLENOSCROLL, 0, 99, 100, 0);
  EXPECT_TRUE(ScrollBarArrowsDisabled(Bar));
  EXPECT_TRUE(IsWindowVisible(Bar));
  InjectClickAt(Bar, mbLeft, 8, 4);
  EXPECT_TRUE(Codes.empty());
  Set(SIF_PAGE, 0, 0, 100, 0);  // the page alone leaves the arrows alone
  EXPECT_TRUE(ScrollBarArrowsDisabled(Bar));
  Set(SIF_ALL | SIF_DISABLENOSCROLL, 0, 999, 100, 0);
  EXPECT_FALSE(ScrollBarArrowsDisabled(Bar));
  // Without the flag, an unneeded control bar stays active.
  Set(SIF_ALL, 0, 10, 100, 0);
  EXPECT_FALSE(ScrollBarArrowsDisabled(Bar));
}

TEST_F(WindowScrollBar, ClicksSendLineAndPageCodesThenEndScroll) {
  Set(SIF_ALL, 0, 999, 100, 0);  // thumb at the top: 8..16 px long from y 16
  struct TCase {
    int Y;
    int Code;
  } cases[] = {{4, SB_LINEUP}, {112, SB_LINEDOWN}, {90, SB_PAGEDOWN}};
  for (const TCase& c : cases) {
    Codes.clear();
    InjectClickAt(Bar, mbLeft, 8, c.Y);
    EXPECT_EQ(Codes, (std::vector<std::pair<int, int>>{{c.Code, 0}, {SB_ENDSCROLL, 0}}))
        << "at y " << c.Y;
  }
  Set(SIF_POS, 0, 0, 0, 900);
  Codes.clear();
  InjectClickAt(Bar, mbLeft, 8, 20);
  EXPECT_EQ(Codes.front().first, SB_PAGEUP);
  EXPECT_EQ(GetScrollPos(Bar, SB_CTL), 900) << "the bar waits for its parent";
}

TEST_F(WindowScrollBar, HoldingAnArrowRepeatsAfterADelay) {
  Set(SIF_ALL, 0, 999, 100, 0);
  InjectMouseDownAt(Bar, mbLeft, 8, 112);
  EXPECT_EQ(Codes.size(), 1u);
  AdvanceClock(199);
  EXPECT_EQ(Codes.size(), 1u);
  AdvanceClock(1 + 50 * 3);
  EXPECT_EQ(Codes.size(), 5u);  // at 200, 250, 300, 350
  // Off the arrow the repetition pauses.
  InjectMouseMoveAt(Bar, 8, 60);
  AdvanceClock(200);
  EXPECT_EQ(Codes.size(), 5u);
  InjectMouseUpAt(Bar, mbLeft, 8, 60);
  EXPECT_EQ(Codes.back().first, SB_ENDSCROLL);
  AdvanceClock(500);
  EXPECT_EQ(Codes.back().first, SB_ENDSCROLL);
}

TEST_F(WindowScrollBar, DraggingTheThumbTracksAndEndsWithThumbPosition) {
  // Range 0..1000, page 100: thumb 84*100/1001 = 8 px; 76 px of travel for 901 values.
  Set(SIF_ALL, 0, 1000, 100, 0);
  InjectMouseDownAt(Bar, mbLeft, 8, 18);
  EXPECT_TRUE(Codes.empty());
  EXPECT_EQ(GetCapture(), Bar);
  InjectMouseMoveAt(Bar, 8, 18 + 38);  // half way
  ASSERT_EQ(Codes.size(), 1u);
  EXPECT_EQ(Codes[0].first, SB_THUMBTRACK);
  SCROLLINFO si = Get();
  EXPECT_EQ(si.nTrackPos, 451);
  EXPECT_EQ(Codes[0].second, 451);
  EXPECT_EQ(si.nPos, 0);
  InjectMouseMoveAt(Bar, 300, 500);  // far past the end, still captured
  EXPECT_EQ(Get().nTrackPos, 901);
  InjectMouseUpAt(Bar, mbLeft, 300, 500);
  ASSERT_GE(Codes.size(), 3u);
  EXPECT_EQ(Codes[Codes.size() - 2], std::make_pair(int(SB_THUMBPOSITION), 901));
  EXPECT_EQ(Codes.back().first, SB_ENDSCROLL);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowScrollBar, KeysAndHorizontalBars) {
  HWND h = CreateScrollBar(Top, false, 0, 150, 100, 16);
  Set(SIF_ALL, 0, 10, 1, 0);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMax = 500;
  si.nPage = 50;
  SetScrollInfo(h, SB_CTL, &si);
  Bar = h;
  SetFocus(h);
  for (int vk : {VK_RIGHT, VK_LEFT, VK_NEXT, VK_PRIOR, VK_HOME, VK_END}) {
    InjectKeyDown(vk);
    InjectKeyUp(vk);
  }
  std::vector<int> codes;
  for (auto& c : Codes) codes.push_back(c.first);
  EXPECT_EQ(codes, (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL, SB_LINEUP, SB_ENDSCROLL,
                                     SB_PAGEDOWN, SB_ENDSCROLL, SB_PAGEUP, SB_ENDSCROLL, SB_TOP,
                                     SB_ENDSCROLL, SB_BOTTOM, SB_ENDSCROLL}));
  EXPECT_EQ(Last(WM_HSCROLL)->Window, Top);
}

TEST_F(WindowScrollBar, DrawsArrowsAndThumbInSystemColours) {
  Set(SIF_ALL, 0, 999, 100, 0);
  ProcessMessages();
  TWindowPixels px = CaptureWindowPixels(Bar);
  ASSERT_EQ(px.Width, 16);
  EXPECT_EQ(px.At(0, 0), ColorToPixel(GetSysColor(COLOR_BTNHIGHLIGHT)));  // arrow edge
  EXPECT_EQ(px.At(15, 15), ColorToPixel(GetSysColor(COLOR_3DDKSHADOW)));
  EXPECT_EQ(px.At(8, 8), ColorToPixel(GetSysColor(COLOR_BTNTEXT)));  // arrow glyph
  // Below the thumb: the checkered track.
  EXPECT_NE(px.At(5, 60), px.At(6, 60));
}

TEST(WindowSystemSettings, ColoursMetricsAndClipboard) {
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), clWhite);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGBColor(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGBColor(10, 36, 106));
  EXPECT_EQ(GetSysColor(-1), clBlack);
  EXPECT_EQ(GetSysColor(999), clBlack);
  // The graphics layer resolves system colours through the window system.
  EXPECT_EQ(ColorToRGB(TColor(0x80000000 | COLOR_INFOBK)), RGBColor(255, 255, 225));
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetWheelScrollLines(), 3);
  EXPECT_EQ(GetScreenPixelsPerInch(), 96);
  ASSERT_TRUE(SetHeadlessScreenSize(800, 600));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  SetHeadlessScreenSize(1024, 768);

  EmptyClipboard();
  EXPECT_FALSE(HasClipboardText());
  SetClipboardText("line one\r\nline two");
  EXPECT_EQ(GetClipboardText(), "line one\r\nline two");
  SetClipboardText(std::string("cut\0here", 8));
  EXPECT_EQ(GetClipboardText(), "cut");
  EmptyClipboard();
}
