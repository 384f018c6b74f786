// The display shows what the window system painted. Runs only with a display (CI starts
// it under a virtual X server); skipped otherwise.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// The pixels of a PNG file as 0xRRGGBB, row by row; empty when it cannot be read.
std::vector<uint32_t> ReadPng(const std::string& File, int& Width, int& Height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, File.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  Width = int(image.width);
  Height = int(image.height);
  std::vector<uint32_t> pixels(size_t(Width) * size_t(Height));
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
  return pixels;
}

}  // namespace

// The demo host renders the tour headless; the same document shown by the library in a
// real X window of the same size reads back from the display pixel for pixel.
TEST(X11Display, TourOnScreenMatchesTheDemosHeadlessPicture) {
  if (!UseDisplay()) GTEST_SKIP() << "no X display";
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
