// The display shows what the window system painted. Runs only with a display (CI starts
// it under a virtual X server); skipped otherwise.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "include/qjxhtml.h"
#include "include/qjxhtml_host.h"

#include "tests/x11/x11_support.h"  // last: Xlib's macros would clash with the headers above

// The demo host renders the tour headless; the same document shown by the library in a
// real X window of the same size reads back from the display pixel for pixel.
TEST(X11Display, TourOnScreenMatchesTheDemosHeadlessPicture) {
  if (!DisplayRuns()) GTEST_SKIP() << "no X display";
  const std::string tour = std::string(QJX_SOURCE_DIR) + "/examples/tour.html";
  const std::string png = ::testing::TempDir() + "x11_tour_headless.png";
  const std::string command = std::string("QJX_BACKEND=headless QJXHTML_LIBRARY='") +
                              QJX_BINARY_DIR + "/libqjxhtml.so' '" + QJX_BINARY_DIR +
                              "/apps/qjxdemo/qjxdemo' '" + tour + "' --png '" + png +
                              "' --width 480 --height 360 > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  int width = 0, height = 0;
  const std::vector<uint32_t> headless = ReadPng(png, width, height);
  std::remove(png.c_str());
  ASSERT_EQ(width, 480);
  ASSERT_EQ(height, 360);

  ASSERT_EQ(HV_Proc(HVC_INIT, nullptr, 0), -1);
  HWND host = QjxCreateHostWindow("tour", 480, 360, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  ASSERT_NE(HV_Proc(HVC_CREATE, host, 0), 0);
  HV_Proc(HVC_RESIZE, host, 0);
  ASSERT_NE(HV_Proc(HVC_LOADFILE, host, intptr_t(tour.c_str())), 0);
  QjxPumpMessages();
  TWindowPixels shown = CaptureDisplayedWindow(host);
  ASSERT_EQ(shown.Width, width);
  ASSERT_EQ(shown.Height, height);
  int differing = 0;
  for (size_t i = 0; i < headless.size(); ++i)
    if ((shown.Pixels[i] & 0xFFFFFF) != headless[i]) ++differing;
  EXPECT_EQ(differing, 0);
  HV_Proc(HVC_DONE, nullptr, 0);
  QjxDestroyWindow(host);
}

TEST(X11Display, ViewerWindowMatchesTheRenderedSurface) {
  if (!DisplayRuns()) GTEST_SKIP() << "no X display";
  ASSERT_EQ(HV_Proc(HVC_INIT, nullptr, 0), -1);
  HWND host = QjxCreateHostWindow("x11 check", 320, 240, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  ASSERT_NE(HV_Proc(HVC_CREATE, host, 0), 0);
  HV_Proc(HVC_RESIZE, host, 0);
  std::string file = std::string(QJX_SOURCE_DIR) + "/examples/tour.html";
  if (HV_Proc(HVC_LOADFILE, host, intptr_t(file.c_str())) == 0) {
    static const char kPage[] = "<body bgcolor=\"#336699\"><p>display</p></body>";
    THVBuffer record{kPage, intptr_t(sizeof kPage - 1)};
    HV_Proc(HVC_LOADBUFFER, host, intptr_t(&record));
  }
  TWindowPixels shown = CaptureDisplayedWindow(host);
  TWindowPixels painted = CaptureWindowPixels(host);
  ASSERT_EQ(shown.Width, painted.Width);
  ASSERT_EQ(shown.Height, painted.Height);
  int differing = 0;
  for (size_t i = 0; i < shown.Pixels.size(); ++i)
    if ((shown.Pixels[i] & 0xFFFFFF) != (painted.Pixels[i] & 0xFFFFFF)) ++differing;
  EXPECT_EQ(differing, 0);
  HV_Proc(HVC_DONE, nullptr, 0);
  QjxDestroyWindow(host);
}

// Clicks that wait in the queue together are still judged by when they happened: two
// presses 2 s apart are two clicks, two presses 100 ms apart a double click.
TEST(X11Display, DoubleClicksAreJudgedByTheTimeOfTheEvents) {
  if (!DisplayRuns()) GTEST_SKIP() << "no X display";
  static std::vector<unsigned> seen;
  seen.clear();
  TCreateParams params;
  params.Proc = [](HWND Wnd, unsigned Msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK) seen.push_back(Msg);
    return DefWindowProc(Wnd, Msg, wParam, lParam);
  };
  params.Width = 100;
  params.Height = 80;
  params.Style = WS_VISIBLE;
  params.ClassStyle = CS_DBLCLKS;
  HWND wnd = CreateWindow(params);
  ASSERT_NE(wnd, nullptr);
  ProcessMessages();
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  const Window target = DisplayWindowOf(wnd);
  ASSERT_NE(target, 0u);
  auto send = [&](int type, Time time) {
    XEvent event{};
    event.xbutton.type = type;
    event.xbutton.display = other;
    event.xbutton.window = target;
    event.xbutton.root = DefaultRootWindow(other);
    event.xbutton.time = time;
    event.xbutton.x = event.xbutton.y = 10;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = True;
    const long mask = type == MotionNotify ? PointerMotionMask
                      : type == ButtonPress ? ButtonPressMask : ButtonReleaseMask;
    XSendEvent(other, target, False, mask, &event);
  };
  auto deliver = [&](size_t count) {
    XSync(other, False);
    for (int round = 0; round == 0 || (round < 20 && seen.size() < count); ++round)
      WindowBackend().WaitForEvents(WindowBackend().Now() + 50);
  };
  send(MotionNotify, 100000);  // arrives at once: the clocks' distance
  deliver(0);
  for (Time press : {97000, 99000, 99800, 99900}) {
    send(ButtonPress, press);
    send(ButtonRelease, press + 20);
  }
  deliver(4);
  EXPECT_EQ(seen, (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN,
                                         WM_LBUTTONDBLCLK}));
  XCloseDisplay(other);
  DestroyWindow(wnd);
}

TEST(X11Display, ClipboardTextRoundTrips) {
  if (!DisplayRuns()) GTEST_SKIP() << "no X display";
  WindowBackend().SetClipboardText("copied text");
  EXPECT_EQ(WindowBackend().GetClipboardText(), "copied text");
}

// Another program reads the copied text as UTF-8 from CLIPBOARD, and what it puts there
// comes back as UTF-8, as the clipboard holds it.
TEST(X11Display, OtherProgramsShareTheClipboard) {
  if (!DisplayRuns()) GTEST_SKIP() << "no X display";
  if (std::system("command -v xclip > /dev/null 2>&1") != 0) GTEST_SKIP() << "no xclip";
  WindowBackend().SetClipboardText("na\u00EFve caf\u00E9 \u20AC 5");
  // The owner answers while the reader waits: the reader runs beside the message loop.
  auto read = std::async(std::launch::async, [] {
    std::string out;
    if (FILE* pipe = popen("timeout 5 xclip -selection clipboard -o", "r")) {
      char buffer[256];
      while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
      pclose(pipe);
    }
    return out;
  });
  while (read.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
    ProcessMessages();
  EXPECT_EQ(read.get(), "na\u00EFve caf\u00E9 \u20AC 5");
  ASSERT_EQ(std::system("printf 'gr\\303\\274n' | timeout 5 xclip -selection clipboard -i"), 0);
  // xclip takes the clipboard from a process of its own, a moment after it returns.
  std::string back;
  for (int i = 0; i < 200 && back != "gr\u00FCn"; ++i) {
    back = WindowBackend().GetClipboardText();
    if (back != "gr\u00FCn") std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(back, "gr\u00FCn");
}
