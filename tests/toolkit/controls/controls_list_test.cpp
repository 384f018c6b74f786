#include "tests/toolkit/controls/controls_test_support.h"
#include "toolkit/controls/controls_list.h"

namespace {

const char* const kFruit[] = {"apple", "banana", "cherry", "date", "elder", "fig",
                               "grape", "guava", "kiwi", "lemon"};

template <typename T>
void Fill(T& Control) {
  for (const char* s : kFruit) Control.Items().Add(s);
}

// "0110..." for the selection flags of a list.
std::string Flags(const TListBox& List) {
  std::string s;
  for (int i = 0; i < List.Count(); ++i) s += List.Selected(i) ? '1' : '0';
  return s;
}

}  // namespace

using ListBoxControl = ControlsTest;

TEST_F(ListBoxControl, KeysMoveTheSelection) {
  struct TCase {
    const char* Keys;
    int ItemIndex, TopIndex;
  } cases[] = {
      {"{Down}", 0, 0},  // nothing chosen yet: the first item
      {"{Down}{Down}{Down}", 2, 0},
      {"{End}", 9, 5},
      {"{End}{Up}{Home}", 0, 0},
      {"{PgDn}", 4, 0},
      {"{PgDn}{PgDn}", 8, 4},
      {"{End}{PgUp}", 5, 5},
      {"g", 6, 2},      // the first item with that letter
      {"gg", 7, 3},     // then the next
      {"ggg", 6, 3},    // wrapping around
      {"{End}A", 0, 0},
      {"z", -1, 0},
  };
  for (const TCase& c : cases) {
    auto list = Make<TListBox>(10, 10, 100, 4 + 5 * 13);  // five rows
    Fill(*list);
    ASSERT_EQ(list->VisibleRows(), 5);
    int changes = 0;
    list->OnChange = [&](TObject*) { ++changes; };
    list->SetFocus();
    SendKeys(c.Keys);
    EXPECT_EQ(list->ItemIndex(), c.ItemIndex) << c.Keys;
    EXPECT_EQ(list->TopIndex(), c.TopIndex) << c.Keys;
    EXPECT_EQ(list->SelCount(), c.ItemIndex >= 0 ? 1 : 0) << c.Keys;
    EXPECT_EQ(changes > 0, c.ItemIndex >= 0) << c.Keys;
  }
}

TEST_F(ListBoxControl, MultipleSelectionWithCtrlAndShift) {
  // Steps: a row to click (with "S-"/"C-" for the keys held), or keys in braces.
  struct TCase {
    bool Extended;
    std::vector<std::string> Steps;
    const char* Selected;
  } cases[] = {
      {true, {"1", "C-3", "S-5"}, "0001110000"},
      {true, {"1", "C-3", "C-S-5"}, "0101110000"},
      {true, {"1", "C-3", "C-1"}, "0001000000"},
      {true, {"4", "{S-Down}{S-Down}"}, "0000111000"},
      {true, {"4", "{C-Down}{C-Down}{C-Space}"}, "0000101000"},
      {true, {"2", "{Down}"}, "0001000000"},
      {false, {"1", "3", "1"}, "0001000000"},
      {false, {"2", "{Down}{Space}{Down}"}, "0011000000"},
  };
  for (const TCase& c : cases) {
    auto list = Make<TListBox>(10, 10, 100, 4 + 10 * 13);
    Fill(*list);
    list->SetMultiSelect(true);
    list->ExtendedSelect = c.Extended;
    list->SetFocus();
    for (const std::string& step : c.Steps) {
      if (step[0] == '{') {
        SendKeys(step);
        continue;
      }
      std::string row = step;
      std::vector<int> held;
      while (row.size() > 2 && row[1] == '-') {
        held.push_back(row[0] == 'S' ? VK_SHIFT : VK_CONTROL);
        row = row.substr(2);
      }
      for (int k : held) InjectKeyDown(k);
      AdvanceClock(1000);
      InjectClickAt(list->Handle(), mbLeft, 20, 2 + std::stoi(row) * 13 + 6);
      for (int k : held) InjectKeyUp(k);
    }
    std::string where;
    for (const std::string& s : c.Steps) where += s + " ";
    EXPECT_EQ(Flags(*list), c.Selected) << where;
  }
}

TEST_F(ListBoxControl, DragAndScrollBarMoveThroughTheItems) {
  auto list = Make<TListBox>(10, 10, 100, 4 + 5 * 13);
  Fill(*list);
  int clicks = 0;
  list->OnClick = [&](TObject*) { ++clicks; };
  const HWND h = list->Handle();
  InjectMouseDownAt(h, mbLeft, 20, 8);
  InjectMouseMoveAt(h, 20, 8 + 3 * 13);
  InjectMouseUpAt(h, mbLeft, 20, 8 + 3 * 13);
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_EQ(clicks, 1);
  // The bar's lower arrow scrolls a row.
  AdvanceClock(1000);
  InjectClickAt(h, mbLeft, 100 - 2 - 8, 4 + 5 * 13 - 2 - 8);
  EXPECT_EQ(list->TopIndex(), 1);
  InjectMouseWheelAt(h, -WHEEL_DELTA, 20, 20);
  EXPECT_EQ(list->TopIndex(), 4);
  // A larger font makes taller rows.
  TFontSpec font = list->Font();
  font.Height = -22;
  list->SetFont(font);
  EXPECT_LT(list->VisibleRows(), 5);
  EXPECT_EQ(list->TopIndex(), 4);
  // Removing items keeps the view inside the list.
  list->Items().Clear();
  list->Items().Add("only");
  EXPECT_EQ(list->TopIndex(), 0);
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListBoxControl, SelectedRowsAreHighlighted) {
  auto list = Make<TListBox>(10, 10, 100, 60);
  Fill(*list);
  list->SetItemIndex(1);
  EXPECT_EQ(PixelOf(*list, 0, 0), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelOf(*list, 60, 2 + 13 + 1), Sys(COLOR_HIGHLIGHT));
  EXPECT_EQ(PixelOf(*list, 60, 2 + 1), Sys(COLOR_WINDOW));
}

using ComboBoxControl = ControlsTest;

TEST_F(ComboBoxControl, KeysOpenChooseAndClose) {
  struct TCase {
    const char* Keys;
    int ItemIndex;
    bool Dropped;
    int Changes;
  } cases[] = {
      {"{F4}", 0, true, 0},
      {"{F4}{Down}{Enter}", 1, false, 1},
      {"{F4}{Down}{Down}{Esc}", 0, false, 0},
      {"{A-Down}{Down}{Down}{A-Up}", 2, false, 1},
      {"{F4}{End}{F4}", 9, false, 1},
      {"{F4}k{Enter}", 8, false, 1},
      {"{Down}{Down}", 2, false, 2},  // closed: arrows change the choice at once
      {"{End}{Up}", 8, false, 2},
      {"{Up}", 0, false, 0},
      {"l", 9, false, 1},
      {"{F4}{Down}{Tab}", 1, false, 1},  // leaving chooses
  };
  for (const TCase& c : cases) {
    auto combo = Make<TComboBox>(10, 10, 120, 21);
    Fill(*combo);
    combo->SetItemIndex(0);
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    combo->SetFocus();
    SendKeys(c.Keys);
    EXPECT_EQ(combo->ItemIndex(), c.ItemIndex) << c.Keys;
    EXPECT_EQ(combo->DroppedDown(), c.Dropped) << c.Keys;
    EXPECT_EQ(changes, c.Changes) << c.Keys;
    if (combo->DropList()) {
      EXPECT_EQ(IsWindowVisible(combo->DropList()->Handle()), c.Dropped) << c.Keys;
    }
  }
}

TEST_F(ComboBoxControl, MouseOpensAPopupBelowAndChoosesOrCancels) {
  auto combo = Make<TComboBox>(10, 10, 120, 21);
  Fill(*combo);
  auto other = Make<TComboBox>(10, 200, 120, 21);
  const HWND h = combo->Handle();
  InjectClickAt(h, mbLeft, 60, 10);
  ASSERT_TRUE(combo->DroppedDown());
  EXPECT_TRUE(combo->Focused());
  const HWND popup = combo->DropList()->Handle();
  TRect face, list;
  GetWindowRect(h, &face);
  GetWindowRect(popup, &list);
  EXPECT_EQ(list.Left, face.Left);
  EXPECT_EQ(list.Top, face.Bottom);
  EXPECT_EQ(list.Width(), face.Width());
  EXPECT_EQ(list.Height(), 8 * combo->DropList()->ItemHeight() + 2);
  EXPECT_EQ(GetParent(popup), nullptr);
  combo->Items().Add("quince");  // the open list follows its items
  EXPECT_EQ(combo->DropList()->Count(), 11);

  // Hovering follows the mouse; a click on a row chooses it.
  InjectMouseMoveAt(popup, 20, 1 + 2 * 13 + 5);
  EXPECT_EQ(combo->DropList()->ItemIndex(), 2);
  AdvanceClock(1000);
  InjectClickAt(popup, mbLeft, 20, 1 + 3 * 13 + 5);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_FALSE(IsWindowVisible(popup));

  // A click elsewhere closes without a change, and goes nowhere else.
  AdvanceClock(1000);
  InjectClickAt(h, mbLeft, 60, 10);
  ASSERT_TRUE(combo->DroppedDown());
  InjectMouseMoveAt(popup, 20, 5);
  AdvanceClock(1000);
  InjectClickAt(other->Handle(), mbLeft, 60, 10);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 3);
  EXPECT_FALSE(other->DroppedDown());

  // The popup's scroll bar scrolls without closing it.
  AdvanceClock(1000);
  InjectClickAt(h, mbLeft, 60, 10);
  const int bottomArrowY = list.Height() - 1 - 8;
  InjectClickAt(popup, mbLeft, list.Width() - 1 - 8, bottomArrowY);
  EXPECT_TRUE(combo->DroppedDown());
  EXPECT_EQ(combo->DropList()->TopIndex(), 1);
  EXPECT_EQ(GetCapture(), h);
  // Losing the focus closes it too.
  other->SetFocus();
  EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(ComboBoxControl, FaceShowsTheChoiceAndTheDropButton) {
  auto combo = Make<TComboBox>(10, 10, 120, 21);
  Fill(*combo);
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->Text(), "banana");
  EXPECT_EQ(PixelOf(*combo, 0, 0), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelOf(*combo, 60, 3), Sys(COLOR_WINDOW));
  EXPECT_EQ(PixelOf(*combo, 120 - 2 - 8, 3), Sys(COLOR_BTNFACE));   // the button
  EXPECT_EQ(PixelOf(*combo, 120 - 2 - 8, 8), Sys(COLOR_BTNTEXT));   // its arrow
  combo->SetFocus();
  EXPECT_EQ(PixelOf(*combo, 60, 4), Sys(COLOR_HIGHLIGHT));
}
