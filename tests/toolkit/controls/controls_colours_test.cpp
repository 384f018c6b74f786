#include <memory>
#include <tuple>

#include "tests/toolkit/controls/controls_test_support.h"
#include "toolkit/controls/controls_button.h"
#include "toolkit/controls/controls_edit.h"
#include "toolkit/controls/controls_list.h"

using ControlColours = ControlsTest;

namespace {

constexpr TColor kFace = 0x00FFFF;  // yellow
constexpr TColor kInk = 0x0000FF;   // red

// Mostly red pixels inside the control's border: text in the red ink, blended or not.
int RedPixels(const TWinControl& Control) {
  ProcessMessages();
  TWindowPixels pixels = CaptureWindowPixels(Control.Handle());
  int count = 0;
  for (int y = 3; y < Control.Height() - 3; ++y)
    for (int x = 3; x < Control.Width() - 3; ++x) {
      const uint32_t p = pixels.At(x, y);
      count += ((p >> 16) & 0xFF) > 0xC0 && ((p >> 8) & 0xFF) < 0x60;
    }
  return count;
}

}  // namespace

TEST_F(ControlColours, FacesAndTextTakeTheControlsColours) {
  auto edit = Make<TEdit>(10, 10, 120, 21);
  edit->SetText("WWW");
  auto memo = Make<TMemo>(10, 40, 120, 40);
  memo->SetText("WWW");
  auto list = Make<TListBox>(10, 90, 120, 40);
  list->Items().Add("WWW");
  auto combo = Make<TComboBox>(10, 140, 120, 21);
  combo->Items().Add("WWW");
  combo->SetItemIndex(0);
  auto button = Make<TButton>(10, 170, 120, 25);
  button->SetCaption("WWW");
  // Each control with a point of its face clear of the text.
  const std::tuple<const char*, TCustomControl*, TPoint> controls[] = {
      {"edit", edit.get(), {100, 10}}, {"memo", memo.get(), {100, 30}},
      {"list", list.get(), {100, 30}}, {"drop-down", combo.get(), {80, 10}},
      {"button", button.get(), {10, 12}}};
  for (auto [name, control, face] : controls) {
    EXPECT_EQ(RedPixels(*control), 0) << name;
    control->SetColor(kFace);
    control->SetTextColor(kInk);
    EXPECT_EQ(PixelOf(*control, face.X, face.Y), ColorToPixel(kFace)) << name;
    EXPECT_GT(RedPixels(*control), 10) << name;
  }
  // Selected text keeps the highlight colours; a disabled field keeps its grey face.
  list->SetItemIndex(0);
  EXPECT_EQ(PixelOf(*list, 100, 2 + 1), Sys(COLOR_HIGHLIGHT));
  EXPECT_EQ(RedPixels(*list), 0);
  edit->SetEnabled(false);
  EXPECT_EQ(PixelOf(*edit, 100, 10), Sys(COLOR_BTNFACE));
  EXPECT_EQ(RedPixels(*edit), 0);
}
