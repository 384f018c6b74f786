// A real form page in a viewer in a real X window: its controls sit on their lines, and
// what is typed into a field with X key events is what the field holds, submits and shows.
// Runs only with a display; skipped otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/core/section_list.h"
#include "document/forms/form.h"
#include "tests/test_data.h"
#include "toolkit/controls/controls_edit.h"
#include "viewer/html_viewer.h"

#include "tests/x11/x11_support.h"  // last: Xlib's macros would clash with the headers above

namespace {

// A control's place in the client area of the top-level window.
TRect PlaceIn(HWND TopLevel, TWinControl* Control) {
  TPoint corners[2] = {{0, 0}, {Control->Width(), Control->Height()}};
  MapWindowPoints(Control->Handle(), TopLevel, corners, 2);
  return {corners[0].X, corners[0].Y, corners[1].X, corners[1].Y};
}

// The pixels of Area, row by row.
std::vector<uint32_t> Cut(const std::vector<uint32_t>& Pixels, int Width, const TRect& Area) {
  std::vector<uint32_t> out;
  for (int y = Area.Top; y < Area.Bottom; ++y)
    for (int x = Area.Left; x < Area.Right; ++x)
      out.push_back(Pixels[size_t(y) * size_t(Width) + size_t(x)] & 0xFFFFFF);
  return out;
}

// Pixels dark enough to be ink of text.
int Ink(const std::vector<uint32_t>& Pixels) {
  return int(std::count_if(Pixels.begin(), Pixels.end(), [](uint32_t p) {
    return (p >> 16 & 0xFF) < 0x60 && (p >> 8 & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
  }));
}

}  // namespace

TEST(X11Form, TextTypedIntoARealFormIsHeldSubmittedAndShown) {
  if (!DisplayRuns()) GTEST_SKIP() << "no X display";
  TCreateParams params;
  params.Width = 800;
  params.Height = 720;
  params.Style = WS_VISIBLE;
  params.Proc = &DefWindowProc;
  HWND host = CreateWindow(params);
  ASSERT_NE(host, nullptr);
  std::vector<std::string> submitted;
  {
    THTMLViewer viewer(nullptr, host, 0, 0, params.Width, params.Height);
    viewer.SetOnFormSubmit([&](TObject*, const std::string&, const std::string&, const std::string&,
                               const std::string&, TStringList* Results) {
      for (int i = 0; Results && i < Results->Count(); ++i) submitted.push_back((*Results)[i]);
    });
    viewer.LoadFromFile(TestDataPath("html/analog-form/anlgform.html"));
    ProcessMessages();
    std::vector<TFormControlObj*> controls;
    for (TDocControl* c : viewer.SectionList()->FormControls)
      controls.push_back(static_cast<TFormControlObj*>(c));
    // The first field comes after a hidden one, 36 radio buttons and the submit button; a
    // drop-down follows it on its line, and the next field starts the line below.
    size_t first = 0;
    while (first < controls.size() && !dynamic_cast<TEditFormControlObj*>(controls[first])) ++first;
    ASSERT_EQ(first, 38u);
    auto* field = static_cast<TEditFormControlObj*>(controls[first]);
    ASSERT_EQ(field->FName, "ignore1");
    ASSERT_EQ(field->Edit()->Text(), "10M");
    const TRect button = PlaceIn(host, controls[first - 1]->WindowControl());
    const TRect box = PlaceIn(host, field->WindowControl());
    const TRect unit = PlaceIn(host, controls[first + 1]->WindowControl());
    const TRect next = PlaceIn(host, controls[first + 2]->WindowControl());
    EXPECT_GE(box.Top, button.Bottom);
    EXPECT_GT(unit.Left, box.Right);
    EXPECT_LT(unit.Top, box.Bottom);
    EXPECT_GT(unit.Bottom, box.Top);
    EXPECT_GE(next.Top, box.Bottom);
    EXPECT_LT(next.Left, box.Left);
    ASSERT_LE(box.Bottom, params.Height);

    TWindowPixels before = CaptureDisplayedWindow(host);
    ASSERT_EQ(before.Width, params.Width);
    TSender x;
    ASSERT_NE(x.D, nullptr);
    const Window window = DisplayWindowOf(host);
    x.Click(window, (box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
    for (KeySym sym : {XK_End, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_2, XK_0, XK_m})
      x.Key(window, sym);
    x.Deliver([&] { return field->Edit()->Text() == "20m"; });
    EXPECT_EQ(field->Edit()->Text(), "20m");
    x.Key(window, XK_Return);  // Enter in a single-line field submits the form
    x.Deliver([&] { return !submitted.empty(); });
    EXPECT_NE(std::find(submitted.begin(), submitted.end(), "ignore1=20m"), submitted.end());

    const std::string file = std::string(QJX_BINARY_DIR) + "/x11_form_typed.png";
    SaveWindowPng(host, file);
    int width = 0, height = 0;
    const std::vector<uint32_t> saved = ReadPng(file, width, height);
    ASSERT_EQ(width, params.Width);
    ASSERT_EQ(height, params.Height);
    EXPECT_EQ(DifferingPixels(host), 0);
    // The field's inside now shows other text: it differs from before and is not blank.
    const TRect inside{box.Left + 3, box.Top + 3, box.Right - 3, box.Bottom - 3};
    const std::vector<uint32_t> typed = Cut(saved, width, inside);
    EXPECT_NE(typed, Cut(before.Pixels, before.Width, inside));
    EXPECT_GT(Ink(typed), 3 * inside.Height());  // more than a caret
  }
  DestroyWindow(host);
  ProcessMessages();
}
