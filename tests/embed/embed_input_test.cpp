// Input handed over by the host: pointer, wheel, keys and text, focus; and what goes
// back to it: cursors and the clipboard.
#include <unistd.h>

#include "embed_fixture.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window.h"

namespace {

const std::string kPage =
    "<p>caf&eacute; <a href='next.html'>onward</a> and more words<form action=send.cgi>"
    "<input name=q value=start size=20></form>";

void Click(HWND Host, int X, int Y, uint32_t Time = 0) {
  QjxEmbedButton(Host, QJX_BUTTON_LEFT, 1, X, Y, 0, Time);
  QjxEmbedButton(Host, QJX_BUTTON_LEFT, 0, X, Y, 0, Time ? Time + 10 : 0);
}

void PressKey(HWND Host, int Key, unsigned Modifiers = 0) {
  QjxEmbedKey(Host, Key, 1, Modifiers, 0);
  QjxEmbedKey(Host, Key, 0, Modifiers, 0);
}

void CtrlKey(HWND Host, char Letter) {
  QjxEmbedKey(Host, VK_CONTROL, 1, QJX_MOD_CONTROL, 0);
  PressKey(Host, Letter, QJX_MOD_CONTROL);
  QjxEmbedKey(Host, VK_CONTROL, 0, 0, 0);
}

}  // namespace

TEST_F(EmbedHost, TheCursorFollowsWhatIsUnderThePointer) {
  HWND host = ShowPage(kPage);
  int x = 0, y = 0;
  ASSERT_TRUE(LinkPoint(host, "next.html", &x, &y));
  const TQjxRect field = RectIn(host, ControlWindow(host, "start"));
  struct {
    int X, Y, Cursor;
  } cases[] = {{x, y, QJX_CURSOR_HAND},
               {field.Left + 5, field.Top + 5, QJX_CURSOR_TEXT},
               {390, 290, QJX_CURSOR_ARROW}};
  for (const auto& c : cases) {
    Cursors.clear();
    ASSERT_TRUE(QjxEmbedMouseMove(host, c.X, c.Y, 0, 0));
    ASSERT_FALSE(Cursors.empty()) << c.X << "," << c.Y;
    EXPECT_EQ(Cursors.back(), c.Cursor) << c.X << "," << c.Y;
  }
}

TEST_F(EmbedHost, ALinkClickTellsTheHost) {
  HWND host = ShowPage(kPage);
  int x = 0, y = 0;
  ASSERT_TRUE(LinkPoint(host, "next.html", &x, &y));
  Click(host, x, y);
  EXPECT_EQ(Links, std::vector<std::string>{"next.html"});
}

TEST_F(EmbedHost, CopyGoesToTheHostsClipboardAsUtf8) {
  HWND host = ShowPage(kPage);
  // The first word starts at the page's left margin on its first line.
  int x = 0, y = 0;
  ASSERT_TRUE(LinkPoint(host, "next.html", &x, &y));
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 1, 14, y, 0, 1000);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 0, 14, y, 0, 1010);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 1, 14, y, 0, 1100);
  QjxEmbedButton(host, QJX_BUTTON_LEFT, 0, 14, y, 0, 1110);
  ASSERT_EQ(DoubleClicked.size(), 1u);
  CtrlKey(host, 'C');
  ASSERT_FALSE(Copied.empty());
  EXPECT_EQ(Copied.back(), "caf\xC3\xA9");
}

TEST_F(EmbedHost, DoubleClicksAreTimedByTheHostsEventTimes) {
  HWND host = ShowPage(kPage);
  int x = 0, y = 0;
  ASSERT_TRUE(LinkPoint(host, "next.html", &x, &y));
  // Delivered at once, but two seconds apart by the host's clock: two single clicks.
  Click(host, 14, y, 50000);
  Click(host, 14, y, 52000);
  EXPECT_TRUE(DoubleClicked.empty());
  Click(host, 14, y, 52300);
  EXPECT_EQ(DoubleClicked.size(), 1u);
}

TEST_F(EmbedHost, TypedTextAndEnterSubmitTheForm) {
  HWND host = ShowPage(kPage);
  const TQjxRect field = RectIn(host, ControlWindow(host, "start"));
  Click(host, field.Right - 3, field.Top + 5);
  PressKey(host, VK_END);
  for (int i = 0; i < 5; ++i) PressKey(host, VK_BACK);
  ASSERT_TRUE(QjxEmbedText(host, "na\xC3\xAFve \xE2\x82\xAC"));  // the euro sign is in 1252
  PressKey(host, VK_RETURN);
  ASSERT_EQ(Submitted.size(), 1u);
  EXPECT_EQ(Submitted[0], "q=na\xEFve \x80");
}

// A document no 8-bit page holds keeps its text in UTF-8, and so do its fields.
TEST_F(EmbedHost, TypedTextKeepsEveryCharacterInAUtf8Document) {
  HWND host = ShowPage("<p>\xCE\xB1\xCE\xB2 \xE0\xB8\x81<form action=send.cgi>"
                       "<input name=q size=20></form>");
  const TQjxRect field = RectIn(host, ControlWindow(host, ""));
  Click(host, field.Left + 5, field.Top + 5);
  ASSERT_TRUE(QjxEmbedText(host, "\xD0\x9F\xCE\xA9"));
  PressKey(host, VK_RETURN);
  ASSERT_EQ(Submitted.size(), 1u);
  EXPECT_EQ(Submitted[0], "q=\xD0\x9F\xCE\xA9");
}

TEST_F(EmbedHost, PasteReadsTheHostsClipboard) {
  HWND host = ShowPage(kPage);
  const TQjxRect field = RectIn(host, ControlWindow(host, "start"));
  Click(host, field.Right - 3, field.Top + 5);
  PressKey(host, VK_END);
  ClipboardText = "-d\xC3\xA9j\xC3\xA0";
  CtrlKey(host, 'V');
  PressKey(host, VK_RETURN);
  ASSERT_EQ(Submitted.size(), 1u);
  EXPECT_EQ(Submitted[0], "q=start-d\xE9j\xE0");
}

TEST_F(EmbedHost, FocusReturnsToTheControlThatHadIt) {
  HWND host = ShowPage(kPage);
  HWND edit = ControlWindow(host, "start");
  const TQjxRect field = RectIn(host, edit);
  Click(host, field.Right - 3, field.Top + 5);
  ASSERT_EQ(GetFocus(), edit);
  ASSERT_TRUE(QjxEmbedFocus(host, 0));
  EXPECT_EQ(GetFocus(), nullptr);
  ASSERT_TRUE(QjxEmbedFocus(host, 1));
  EXPECT_EQ(GetFocus(), edit);
}

TEST_F(EmbedHost, WheelNotchesAndSmoothDeltasScroll) {
  std::string page = "<pre>" + std::string(300, 'w') + "</pre>";
  for (int i = 0; i < 200; ++i) page += "<p>line " + std::to_string(i);
  HWND host = ShowPage(page);
  ASSERT_TRUE(QjxEmbedScroll(host, 0, 1, 100, 100, 0, 0));
  const int notch = QjxViewerScrollPos(host);
  EXPECT_GT(notch, 0);
  QjxViewerScrollTo(host, 0);
  ASSERT_TRUE(QjxEmbedScroll(host, 0, 0.5, 100, 100, 0, 0));
  ASSERT_TRUE(QjxEmbedScroll(host, 0, 0.5, 100, 100, 0, 0));
  EXPECT_EQ(QjxViewerScrollPos(host), notch) << "two half notches scroll as one";
  ASSERT_TRUE(QjxEmbedScroll(host, 0, -1, 100, 100, 0, 0));
  EXPECT_EQ(QjxViewerScrollPos(host), 0);
  const TPixelsCopy before = Pixels(host);
  ASSERT_TRUE(QjxEmbedScroll(host, 1, 0, 100, 100, 0, 0));
  EXPECT_EQ(QjxViewerScrollPos(host), 0);
  EXPECT_NE(ChangedBounds(before, Pixels(host)).Right, 0) << "no horizontal scrolling";
}

// Scrolling by the middle button steps on a timer: the host's loop, which hands over
// the input that ends it, runs between the steps.
TEST_F(EmbedHost, MiddleButtonScrollingLeavesTheHostsLoopRunning) {
  std::string page;
  for (int i = 0; i < 300; ++i) page += "<p>line " + std::to_string(i);
  HWND host = ShowPage(page);
  alarm(20);  // a loop inside the library would never return
  QjxEmbedButton(host, QJX_BUTTON_MIDDLE, 1, 200, 100, 0, 0);
  QjxEmbedButton(host, QJX_BUTTON_MIDDLE, 0, 200, 100, 0, 0);
  ASSERT_TRUE(QjxEmbedMouseMove(host, 200, 250, 0, 0));
  QjxEmbedDispatch();
  alarm(0);
  const int timeout = QjxEmbedTimeout();
  EXPECT_GE(timeout, 0);
  EXPECT_LE(timeout, 100);
  RunFor(450);
  const int scrolled = QjxViewerScrollPos(host);
  EXPECT_GE(scrolled, 3 * 32) << "the steps did not come";
  QjxEmbedButton(host, QJX_BUTTON_MIDDLE, 1, 200, 250, 0, 0);
  QjxEmbedButton(host, QJX_BUTTON_MIDDLE, 0, 200, 250, 0, 0);
  RunFor(250);
  EXPECT_EQ(QjxViewerScrollPos(host), scrolled) << "scrolling went on after the press that ends it";
  EXPECT_EQ(QjxEmbedTimeout(), -1);
}
