#include <iterator>
#include <random>

#include "tests/toolkit/controls/controls_test_support.h"
#include "toolkit/controls/controls_button.h"
#include "toolkit/controls/controls_edit.h"
#include "toolkit/controls/controls_list.h"

using ControlStress = ControlsTest;

// Random keys, characters and clicks over every kind of control leave each in a state
// that makes sense (and crash nothing).
TEST_F(ControlStress, RandomInputKeepsEveryControlConsistent) {
  auto edit = Make<TEdit>(10, 10, 60, 21);
  auto memo = Make<TMemo>(80, 10, 90, 60);
  auto button = Make<TButton>(10, 40, 60, 25);
  auto check = Make<TCheckBox>(180, 10, 60, 17);
  auto list = Make<TListBox>(10, 80, 80, 60);
  auto combo = Make<TComboBox>(100, 80, 80, 21);
  memo->SetScrollBars(true, true);
  edit->SetMaxLength(40);
  list->SetMultiSelect(true);
  for (const char* s : {"a", "bb", "", "c c", "\xff", "dd"}) {
    list->Items().Add(s);
    combo->Items().Add(s);
  }
  const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT,
                      VK_DELETE, VK_INSERT, VK_BACK, VK_RETURN, VK_TAB, VK_ESCAPE, VK_SPACE,
                      VK_F4, 'A', 'C', 'V', 'X', 'Z'};
  const HWND windows[] = {edit->Handle(), memo->Handle(), button->Handle(), check->Handle(),
                          list->Handle(), combo->Handle(), Host};
  int changes = 0, picks = 0, drops = 0;
  edit->OnChange = memo->OnChange = [&](TObject*) { ++changes; };
  list->OnChange = combo->OnChange = [&](TObject*) { ++picks; };
  std::mt19937 random(7);
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  for (int step = 0; step < 4000; ++step) {
    switch (pick(6)) {
      case 0: {
        // A key with each modifier held now and then.
        std::vector<int> held;
        for (int m : {VK_SHIFT, VK_CONTROL, VK_MENU})
          if (pick(5) == 0) held.push_back(m);
        for (int m : held) InjectKeyDown(m);
        const int key = keys[pick(int(std::size(keys)))];
        InjectKeyDown(key);
        InjectKeyUp(key);
        for (int m : held) InjectKeyUp(m);
        break;
      }
      case 1: InjectChar(static_cast<unsigned char>(pick(3) ? 'a' + pick(26) : pick(256))); break;
      case 2: InjectMouseDownAt(windows[pick(7)], mbLeft, pick(120) - 10, pick(80) - 10); break;
      case 3: InjectMouseUpAt(windows[pick(7)], mbLeft, pick(120) - 10, pick(80) - 10); break;
      case 4: InjectMouseMoveAt(windows[pick(7)], pick(120) - 10, pick(80) - 10); break;
      case 5: AdvanceClock(unsigned(pick(700))); break;
    }
    drops += combo->DroppedDown();
    for (TCustomEdit* e : {static_cast<TCustomEdit*>(edit.get()), static_cast<TCustomEdit*>(memo.get())}) {
      ASSERT_LE(e->SelStart() + e->SelLength(), int(e->Text().size())) << step;
      ASSERT_EQ(int(e->SelText().size()), e->SelLength()) << step;
    }
    ASSERT_LE(int(edit->Text().size()), 40) << step;
    ASSERT_GE(list->ItemIndex(), -1);
    ASSERT_LT(list->ItemIndex(), list->Count());
    ASSERT_LT(combo->ItemIndex(), combo->Items().Count());
  }
  // The input did reach the controls.
  EXPECT_GT(changes, 50);
  EXPECT_GT(picks, 20);
  EXPECT_GT(drops, 0);
}
