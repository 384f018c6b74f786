// The embedded calls check their handles and arguments like the rest of the host
// interface: a clear error, nothing changed.
#include <cmath>
#include <functional>
#include <string>

#include "embed_fixture.h"
#include "toolkit/windows/headless/headless_backend.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window.h"
#include "toolkit/windows/window_backend.h"

TEST(EmbedKeys, KeysymsMapToVirtualKeys) {
  const struct {
    uint32_t Keysym;
    int Key;
  } cases[] = {
      {0x61, 'A'},          {0x5A, 'Z'},          {0x37, '7'},          {0x20, VK_SPACE},
      {0xFF08, VK_BACK},    {0xFF09, VK_TAB},     {0xFE20, VK_TAB},     {0xFF0D, VK_RETURN},
      {0xFF8D, VK_RETURN},  {0xFF1B, VK_ESCAPE},  {0xFF50, VK_HOME},    {0xFF57, VK_END},
      {0xFF51, VK_LEFT},    {0xFF52, VK_UP},      {0xFF53, VK_RIGHT},   {0xFF54, VK_DOWN},
      {0xFF96, VK_LEFT},    {0xFF55, VK_PRIOR},   {0xFF56, VK_NEXT},    {0xFF9B, VK_NEXT},
      {0xFFFF, VK_DELETE},  {0xFF9F, VK_DELETE},  {0xFF63, VK_INSERT},  {0xFFBE, VK_F1},
      {0xFFC1, VK_F4},      {0xFFE1, VK_SHIFT},   {0xFFE2, VK_SHIFT},   {0xFFE3, VK_CONTROL},
      {0xFFE4, VK_CONTROL}, {0xFFE9, VK_MENU},    {0x2E, 0},            {0xE9, 0},
      {0x20AC, 0},          {0, 0},               {0xFFFFFFFF, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(QjxKeysymToVirtualKey(c.Keysym), c.Key) << std::hex << c.Keysym;
}

namespace {

void IgnoreDamage(HWND, const TQjxRect*, void*) {}

}  // namespace

TEST(EmbedMode, IsChosenBeforeTheFirstWindowAndEveryCallNeedsIt) {
  // Another backend with a window: the mode cannot change under it.
  ASSERT_TRUE(InstallWindowBackend(CreateHeadlessBackend()));
  HWND wnd = QjxCreateHostWindow("t", 100, 100, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(QjxUseEmbeddedMode(), 0);
  EXPECT_NE(std::string(QjxLastError()).find("before the first window"), std::string::npos);
  EXPECT_EQ(QjxIsEmbedded(), 0);
  TQjxPixels p{};
  const std::function<int()> calls[] = {
      [] { return QjxEmbedDispatch(); },
      [&] { return QjxEmbedPixels(wnd, &p); },
      [] { return QjxEmbedSetDamageProc(IgnoreDamage, nullptr); },
      [&] { return QjxEmbedMouseMove(wnd, 1, 1, 0, 0); },
      [&] { return QjxEmbedKey(wnd, 'A', 1, 0, 0); },
      [&] { return QjxEmbedText(wnd, "a"); },
      [&] { return QjxEmbedFocus(wnd, 1); },
      [&] { return QjxEmbedResize(wnd, 50, 50); },
  };
  for (const auto& call : calls) {
    EXPECT_EQ(call(), 0);
    EXPECT_STREQ(QjxLastError(), "Not in the embedded mode");
  }
  EXPECT_EQ(QjxEmbedTimeout(), -1);
  TQjxRect rect{};
  QjxGetClientRect(wnd, &rect);
  EXPECT_EQ(rect.Right, 100) << "a refused resize changed the window";
  QjxDestroyWindow(wnd);
  EXPECT_EQ(QjxUseEmbeddedMode(), 1) << QjxLastError();
  EXPECT_EQ(QjxUseEmbeddedMode(), 1);
  EXPECT_EQ(QjxIsEmbedded(), 1);
}

TEST_F(EmbedHost, BadHandlesAndArgumentsFailWithAReasonAndChangeNothing) {
  HWND host = ShowPage("<form><input name=q value=v></form>");
  HWND child = ControlWindow(host, "v");
  HWND dead = QjxCreateHostWindow("dead", 10, 10, nullptr, nullptr);
  QjxDestroyWindow(dead);
  const double nan = std::nan("");
  TQjxPixels pixels{};
  const char bad_utf8[] = {'a', char(0xC3), 0};
  const char overlong[] = {char(0xC0), char(0xAF), 0};
  const struct {
    const char* Name;
    std::function<int()> Call;
    const char* Error;
  } cases[] = {
      {"null window", [&] { return QjxEmbedPixels(nullptr, &pixels); }, "Not a window"},
      {"dead window", [&] { return QjxEmbedMouseMove(dead, 1, 1, 0, 0); }, "Not a window"},
      {"child window", [&] { return QjxEmbedKey(child, 'A', 1, 0, 0); }, "Not a top-level"},
      {"unwritable record", [&] { return QjxEmbedPixels(host, (TQjxPixels*)UnmappedPixels()); },
       "Unwritable pixel record"},
      {"null record", [&] { return QjxEmbedPixels(host, nullptr); }, "Unwritable pixel record"},
      {"NaN point", [&] { return QjxEmbedMouseMove(host, nan, 1, 0, 0); }, "finite"},
      {"infinite point", [&] { return QjxEmbedButton(host, 0, 1, 1, INFINITY, 0, 0); }, "finite"},
      {"unknown button", [&] { return QjxEmbedButton(host, 3, 1, 1, 1, 0, 0); }, "Unknown button"},
      {"negative button", [&] { return QjxEmbedButton(host, -1, 1, 1, 1, 0, 0); }, "Unknown button"},
      {"unknown modifier", [&] { return QjxEmbedMouseMove(host, 1, 1, 8, 0); }, "modifier"},
      {"NaN scroll", [&] { return QjxEmbedScroll(host, 0, nan, 1, 1, 0, 0); }, "Scroll deltas"},
      {"huge scroll", [&] { return QjxEmbedScroll(host, 1e300, 0, 1, 1, 0, 0); }, "Scroll deltas"},
      {"key 0", [&] { return QjxEmbedKey(host, 0, 1, 0, 0); }, "Virtual keys"},
      {"key 256", [&] { return QjxEmbedKey(host, 256, 1, 0, 0); }, "Virtual keys"},
      {"null text", [&] { return QjxEmbedText(host, nullptr); }, "No text"},
      {"unreadable text", [&] { return QjxEmbedText(host, (const char*)UnmappedPixels()); },
       "Unreadable text"},
      {"cut UTF-8", [&] { return QjxEmbedText(host, bad_utf8); }, "not UTF-8"},
      {"overlong UTF-8", [&] { return QjxEmbedText(host, overlong); }, "not UTF-8"},
      {"negative size", [&] { return QjxEmbedResize(host, -5, 10); }, "Negative window size"},
      {"huge size", [&] { return QjxEmbedResize(host, 1 << 20, 1 << 20); }, "too large"},
      {"half a clipboard", [&] { return QjxEmbedSetClipboardProcs(nullptr, OnPasteNothing, nullptr); },
       "both procedures"},
  };
  const TPixelsCopy before = Pixels(host);
  for (const auto& c : cases) {
    EXPECT_EQ(c.Call(), 0) << c.Name;
    EXPECT_NE(std::string(QjxLastError()).find(c.Error), std::string::npos)
        << c.Name << ": " << QjxLastError();
  }
  QjxEmbedDispatch();
  const TPixelsCopy after = Pixels(host);
  EXPECT_EQ(after.Width, 400);
  EXPECT_EQ(after.Height, 300);
  EXPECT_EQ(ChangedBounds(before, after).Right, 0) << "a refused call changed the picture";
  EXPECT_TRUE(Submitted.empty());
  // A good call clears the error.
  EXPECT_EQ(QjxEmbedMouseMove(host, 1, 1, 0, 0), 1);
  EXPECT_STREQ(QjxLastError(), "");
}
