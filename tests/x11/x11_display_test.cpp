// The display shows what the window system painted. Runs only with a display (CI starts
// it under a virtual X server); skipped otherwise.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "include/qjxhtml.h"
#include "include/qjxhtml_host.h"
#include "toolkit/window.h"
#include "toolkit/window_backend.h"
#include "toolkit/x11/x11_backend.h"

namespace {

bool UseDisplay() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  setenv("QJX_BACKEND", "x11", 1);
  return std::string(WindowBackend().Name()) == "x11";
}

}  // namespace

TEST(X11Display, ViewerWindowMatchesTheRenderedSurface) {
  if (!UseDisplay()) GTEST_SKIP() << "no X display";
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

TEST(X11Display, ClipboardTextRoundTrips) {
  if (!UseDisplay()) GTEST_SKIP() << "no X display";
  WindowBackend().SetClipboardText("copied text");
  EXPECT_EQ(WindowBackend().GetClipboardText(), "copied text");
}
