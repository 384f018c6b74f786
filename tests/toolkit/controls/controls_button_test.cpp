#include "tests/toolkit/controls/controls_test_support.h"
#include "toolkit/controls/controls_button.h"

using ButtonControls = ControlsTest;

namespace {

enum TKind { kButton, kCheckBox, kRadio };
enum TAction { aSpace, aEnter, aClick, aPressAndLeave, aTwoClicks };

}  // namespace

TEST_F(ButtonControls, SpaceEnterAndClicksActivate) {
  struct TCase {
    TKind Kind;
    TAction Action;
    int Clicks;
    bool Checked;
  } cases[] = {
      {kButton, aSpace, 1, false},   {kButton, aEnter, 1, false},
      {kButton, aClick, 1, false},   {kButton, aPressAndLeave, 0, false},
      {kCheckBox, aSpace, 1, true},  {kCheckBox, aTwoClicks, 2, false},
      {kCheckBox, aEnter, 0, false}, {kCheckBox, aPressAndLeave, 0, false},
      {kRadio, aSpace, 1, true},     {kRadio, aTwoClicks, 2, true},
      {kRadio, aClick, 1, true},
  };
  for (const TCase& c : cases) {
    std::unique_ptr<TCustomControl> control;
    if (c.Kind == kButton) control = Make<TButton>(10, 10, 75, 25);
    else if (c.Kind == kCheckBox) control = Make<TCheckBox>(10, 10, 80, 17);
    else control = Make<TRadioButton>(10, 10, 80, 17);
    int clicks = 0;
    control->OnClick = [&](TObject*) { ++clicks; };
    control->SetFocus();
    const HWND h = control->Handle();
    switch (c.Action) {
      case aSpace: SendKeys("{Space}"); break;
      case aEnter: SendKeys("{Enter}"); break;
      case aClick: InjectClickAt(h, mbLeft, 5, 5); break;
      case aTwoClicks:
        InjectClickAt(h, mbLeft, 5, 5);
        AdvanceClock(1000);
        InjectClickAt(h, mbLeft, 5, 5);
        break;
      case aPressAndLeave:
        InjectMouseDownAt(h, mbLeft, 5, 5);
        InjectMouseMoveAt(h, 200, 5);
        InjectMouseUpAt(h, mbLeft, 200, 5);
        break;
    }
    AdvanceClock(1000);
    EXPECT_EQ(clicks, c.Clicks) << c.Kind << " " << c.Action;
    if (auto* check = dynamic_cast<TButtonControl*>(control.get())) {
      EXPECT_EQ(check->Checked(), c.Checked) << c.Kind << " " << c.Action;
    }
  }
}

TEST_F(ButtonControls, ButtonLooksPressedOnlyWhileTheMouseIsDownInside) {
  auto button = Make<TButton>(10, 10, 75, 25);
  button->SetCaption("OK");
  const HWND h = button->Handle();
  EXPECT_EQ(PixelOf(*button, 0, 0), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelOf(*button, 74, 24), Sys(COLOR_3DDKSHADOW));
  EXPECT_EQ(PixelOf(*button, 73, 23), Sys(COLOR_BTNSHADOW));
  InjectMouseDownAt(h, mbLeft, 20, 10);
  EXPECT_TRUE(button->Pressed());
  // Focused: a dark frame, then the pushed edge.
  EXPECT_EQ(PixelOf(*button, 0, 0), Sys(COLOR_WINDOWFRAME));
  EXPECT_EQ(PixelOf(*button, 1, 1), Sys(COLOR_3DDKSHADOW));
  InjectMouseMoveAt(h, 100, 10);
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(PixelOf(*button, 1, 1), Sys(COLOR_BTNHIGHLIGHT));
  InjectMouseMoveAt(h, 20, 10);
  EXPECT_TRUE(button->Pressed());
  InjectMouseUpAt(h, mbLeft, 20, 10);
  EXPECT_FALSE(button->Pressed());

  // The caption: dark when enabled, grey with a light relief when disabled. Text edges
  // are smoothed, so pixels count by brightness.
  auto count = [&](int low, int high) {
    ProcessMessages();
    TWindowPixels p = CaptureWindowPixels(h);
    int n = 0;
    for (int y = 4; y < 21; ++y)
      for (int x = 4; x < 71; ++x) {
        const int green = int(p.At(x, y) >> 8) & 0xFF;
        n += green >= low && green <= high;
      }
    return n;
  };
  SetFocus(nullptr);
  EXPECT_GT(count(0, 60), 5);
  button->SetEnabled(false);
  EXPECT_EQ(count(0, 60), 0);
  EXPECT_GT(count(120, 136), 5);

  // The default button wears the dark frame without the focus.
  button->SetDefault(true);
  EXPECT_EQ(PixelOf(*button, 0, 0), Sys(COLOR_WINDOWFRAME));
  EXPECT_EQ(PixelOf(*button, 1, 1), Sys(COLOR_BTNHIGHLIGHT));
}

TEST_F(ButtonControls, GlyphsShowTheirState) {
  auto check = Make<TCheckBox>(10, 10, 13, 13);
  auto radio = Make<TRadioButton>(30, 10, 13, 13);
  struct TProbePixel {
    TButtonControl* Control;
    int X, Y;
    uint32_t Unchecked, Checked;
  } probes[] = {
      {check.get(), 0, 0, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW)},
      {check.get(), 1, 1, Sys(COLOR_3DDKSHADOW), Sys(COLOR_3DDKSHADOW)},
      {check.get(), 6, 7, Sys(COLOR_WINDOW), Sys(COLOR_WINDOWTEXT)},   // the mark's low point
      {check.get(), 9, 3, Sys(COLOR_WINDOW), Sys(COLOR_WINDOWTEXT)},   // its top end
      {check.get(), 9, 8, Sys(COLOR_WINDOW), Sys(COLOR_WINDOW)},
      {radio.get(), 5, 5, Sys(COLOR_WINDOW), Sys(COLOR_WINDOWTEXT)},   // the dot
      {radio.get(), 3, 3, Sys(COLOR_WINDOW), Sys(COLOR_WINDOW)},
      {radio.get(), 0, 0, Sys(COLOR_BTNFACE), Sys(COLOR_BTNFACE)},     // outside the disc
      {radio.get(), 5, 0, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW)},
      {radio.get(), 6, 11, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNHIGHLIGHT)},
  };
  for (const TProbePixel& p : probes) {
    p.Control->SetChecked(false);
    EXPECT_EQ(PixelOf(*p.Control, p.X, p.Y), p.Unchecked) << p.X << "," << p.Y;
    p.Control->SetChecked(true);
    EXPECT_EQ(PixelOf(*p.Control, p.X, p.Y), p.Checked) << p.X << "," << p.Y;
  }
}

TEST_F(ButtonControls, RadioButtonsHandArrowKeysToTheirCaller) {
  auto radio = Make<TRadioButton>(10, 10, 13, 13);
  radio->GroupName = "g";
  EXPECT_TRUE(SendMessage(radio->Handle(), WM_GETDLGCODE) & DLGC_WANTARROWS);
  std::vector<int> seen;
  radio->OnKeyDown = [&](TObject*, int& Key, TShiftState) { seen.push_back(Key); };
  radio->SetFocus();
  SendKeys("{Left}{Up}{Right}{Down}");
  EXPECT_EQ(seen, (std::vector<int>{VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN}));
  EXPECT_FALSE(radio->Checked());
}

TEST_F(ButtonControls, PanelDrawsItsBevel) {
  auto panel = Make<TPanel>(10, 10, 50, 30);
  EXPECT_EQ(PixelOf(*panel, 0, 0), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelOf(*panel, 49, 29), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelOf(*panel, 10, 10), Sys(COLOR_BTNFACE));
  panel->SetBevelOuter(bvNone);
  EXPECT_EQ(PixelOf(*panel, 0, 0), Sys(COLOR_BTNFACE));
  // A click on a panel leaves the focus where it was.
  auto edit = Make<TButton>(70, 10, 40, 20);
  edit->SetFocus();
  InjectClickAt(panel->Handle(), mbLeft, 5, 5);
  EXPECT_TRUE(edit->Focused());
}
