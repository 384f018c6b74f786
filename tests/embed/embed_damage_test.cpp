// The host is told which part of a window's pixels changed: all of what changed and
// little more.
#include "embed_fixture.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window.h"

namespace {

const std::string kForm =
    "<form action=send.cgi><input name=q value=start size=20><input type=submit value=Go>"
    "</form><p>Some words below the form that nothing touches.";

}  // namespace

TEST_F(EmbedHost, PicturesAreOpaquePremultipliedPixelsOfTheWindowSize) {
  HWND host = ShowPage("<body bgcolor=#ff0000><p>red", 320, 200);
  TQjxPixels p{};
  ASSERT_TRUE(QjxEmbedPixels(host, &p));
  EXPECT_EQ(p.Width, 320);
  EXPECT_EQ(p.Height, 200);
  EXPECT_GE(p.Stride, 320 * 4);
  const TPixelsCopy copy = Pixels(host);
  for (uint32_t pixel : copy.Pixels) ASSERT_EQ(pixel >> 24, 0xFFu);
  EXPECT_EQ(copy.At(200, 150), 0xFFFF0000u);
}

TEST_F(EmbedHost, TypingACharacterDamagesOnlyItsControl) {
  HWND host = ShowPage(kForm);
  HWND edit = ControlWindow(host, "start");
  ASSERT_NE(edit, nullptr);
  const TQjxRect control = RectIn(host, edit);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 1, control.Right - 3, control.Top + 5, 0, 0);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 0, control.Right - 3, control.Top + 5, 0, 0);
  RunFor(5);
  TakeDamage();
  const TPixelsCopy before = Pixels(host);
  ASSERT_TRUE(QjxEmbedText(host, "x"));
  const TPixelsCopy after = Pixels(host);
  const TQjxRect damage = TakeDamage();
  EXPECT_NE(ChangedBounds(before, after).Right, 0) << "the character was not drawn";
  EXPECT_TRUE(ChangesInside(before, after, damage));
  EXPECT_TRUE(Covers(control, damage)) << "damage " << damage.Left << "," << damage.Top << " "
                                       << damage.Right << "," << damage.Bottom;
}

TEST_F(EmbedHost, ACaretBlinkDamagesOnlyItsControl) {
  HWND host = ShowPage(kForm);
  HWND edit = ControlWindow(host, "start");
  const TQjxRect control = RectIn(host, edit);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 1, control.Left + 5, control.Top + 5, 0, 0);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 0, control.Left + 5, control.Top + 5, 0, 0);
  TakeDamage();
  const TPixelsCopy before = Pixels(host);
  // The caret blinks about twice a second; wait for its next change of state.
  TPixelsCopy after = before;
  for (int i = 0; i < 30 && ChangedBounds(before, after).Right == 0; ++i) {
    RunFor(50);
    after = Pixels(host);
  }
  const TQjxRect damage = TakeDamage();
  ASSERT_NE(ChangedBounds(before, after).Right, 0) << "the caret never blinked";
  EXPECT_TRUE(ChangesInside(before, after, damage));
  EXPECT_TRUE(Covers(control, damage));
}

TEST_F(EmbedHost, ScrollingDamagesWhatMovedAndResizingTheWholeWindow) {
  std::string page;
  for (int i = 0; i < 200; ++i) page += "<p>line " + std::to_string(i);
  HWND host = ShowPage(page);
  const TPixelsCopy before = Pixels(host);
  ASSERT_TRUE(QjxEmbedScroll(host, 0, 1, 100, 100, 0, 0));
  EXPECT_GT(QjxViewerScrollPos(host), 0);
  EXPECT_TRUE(ChangesInside(before, Pixels(host), TakeDamage()));

  ASSERT_TRUE(QjxEmbedResize(host, 500, 360));
  TQjxPixels p{};
  ASSERT_TRUE(QjxEmbedPixels(host, &p));
  EXPECT_EQ(p.Width, 500);
  EXPECT_EQ(p.Height, 360);
  const TQjxRect damage = TakeDamage();
  EXPECT_TRUE(Covers(damage, TQjxRect{0, 0, 500, 360}));
}

// A drop-down list opens inside the window's picture, and where it stood shows the
// page again once it closes.
TEST_F(EmbedHost, DropDownListsOpenInsideThePicture) {
  HWND host = ShowPage(
      "<form action=pick.cgi><select name=s><option>one<option>two<option>three</select>"
      "<input type=submit value=Go></form>");
  HWND go = ControlWindow(host, "Go");
  ASSERT_NE(go, nullptr);
  const TQjxRect box = RectIn(host, SelectWindow(host));
  const TPixelsCopy closed = Pixels(host);
  const int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 1, cx, cy, 0, 0);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 0, cx, cy, 0, 0);
  const TPixelsCopy open = Pixels(host);
  const TQjxRect list = ChangedBounds(closed, open);
  EXPECT_GT(list.Bottom, box.Bottom + 10) << "no list below the control";
  EXPECT_TRUE(ChangesInside(closed, open, TakeDamage()));
  // The second row of the list is "two".
  const int rowY = box.Bottom + (list.Bottom - box.Bottom) / 2;
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 1, cx, rowY, 0, 0);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 0, cx, rowY, 0, 0);
  const TPixelsCopy chosen = Pixels(host);
  EXPECT_LE(ChangedBounds(closed, chosen).Bottom, box.Bottom) << "the list left pixels behind";
  const TQjxRect button = RectIn(host, go);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 1, button.Left + 4, button.Top + 4, 0, 0);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 0, button.Left + 4, button.Top + 4, 0, 0);
  ASSERT_EQ(Submitted.size(), 1u);
  EXPECT_EQ(Submitted[0], "s=two");
}
