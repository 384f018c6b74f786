#include "tests/toolkit/controls/controls_test_support.h"
#include "toolkit/controls/controls_button.h"
#include "toolkit/controls/controls_edit.h"
#include "toolkit/controls/controls_list.h"

using ControlFocus = ControlsTest;

TEST_F(ControlFocus, TabAndShiftTabVisitTheTabStopsInOrder) {
  auto edit = Make<TEdit>(10, 10, 100, 21);
  auto button = Make<TButton>(10, 40, 75, 25);
  auto hidden = Make<TEdit>(10, 70, 100, 21);
  auto panel = Make<TPanel>(10, 100, 20, 20);
  auto radio = std::make_unique<TRadioButton>(nullptr, panel->Handle(), 2, 2, 13, 13);
  auto disabled = Make<TCheckBox>(40, 100, 13, 13);
  auto list = Make<TListBox>(10, 130, 100, 60);
  auto combo = Make<TComboBox>(120, 10, 100, 21);
  hidden->Hide();
  disabled->SetEnabled(false);
  std::vector<std::string> log;
  auto watch = [&](TCustomControl& c, const char* name) {
    c.OnEnter = [&log, name](TObject*) { log.push_back(std::string("+") + name); };
    c.OnExit = [&log, name](TObject*) { log.push_back(std::string("-") + name); };
  };
  watch(*edit, "edit");
  watch(*button, "button");
  watch(*radio, "radio");
  watch(*list, "list");
  watch(*combo, "combo");

  edit->SetFocus();
  SendKeys("{Tab}{Tab}{Tab}{Tab}{Tab}");
  EXPECT_EQ(log, (std::vector<std::string>{"+edit", "-edit", "+button", "-button", "+radio",
                                           "-radio", "+list", "-list", "+combo", "-combo",
                                           "+edit"}));
  log.clear();
  SendKeys("{S-Tab}{S-Tab}");
  EXPECT_EQ(log, (std::vector<std::string>{"-edit", "+combo", "-combo", "+list"}));

  // An explicit order puts the combo first among its siblings.
  combo->SetTabOrder(0);
  edit->SetFocus();
  SendKeys("{S-Tab}");
  EXPECT_TRUE(combo->Focused());
  SendKeys("{Tab}");
  EXPECT_TRUE(edit->Focused());
}

TEST_F(ControlFocus, ControlsThatWantTabKeepIt) {
  auto memo = Make<TMemo>(10, 10, 150, 60);
  auto button = Make<TButton>(10, 80, 75, 25);
  memo->SetFocus();
  SendKeys("{Tab}");
  EXPECT_TRUE(button->Focused());
  memo->WantTabs = true;
  memo->SetFocus();
  InjectKeyDown(VK_TAB);
  InjectChar('\t');
  InjectKeyUp(VK_TAB);
  EXPECT_TRUE(memo->Focused());
  EXPECT_EQ(memo->Text(), "\t");
  // A lone tab stop keeps the focus.
  memo->SetEnabled(false);
  button->SetFocus();
  SendKeys("{Tab}");
  EXPECT_TRUE(button->Focused());
}

TEST_F(ControlFocus, FocusShowsAsADottedFrame) {
  auto check = Make<TCheckBox>(10, 10, 80, 17);
  check->SetCaption("Label");
  auto button = Make<TButton>(10, 40, 75, 25);
  auto countDark = [](const TWinControl& c, const TRect& r) {
    ProcessMessages();
    TWindowPixels p = CaptureWindowPixels(c.Handle());
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += ((p.At(x, y) >> 8) & 0xFF) < 0x60;
    return n;
  };
  // The frame's top row sits above the caption, where no glyph reaches.
  const TRect checkTop{16, 2, 80, 3}, buttonTop{4, 4, 71, 5};
  EXPECT_EQ(countDark(*check, checkTop), 0);
  EXPECT_EQ(countDark(*button, buttonTop), 0);
  check->SetFocus();
  EXPECT_GT(countDark(*check, checkTop), 5);
  button->SetFocus();
  EXPECT_EQ(countDark(*check, checkTop), 0);
  EXPECT_GT(countDark(*button, buttonTop), 20);
}
