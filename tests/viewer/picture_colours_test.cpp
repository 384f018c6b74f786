// The colours a picture shows on the page: its own wherever it stands, the page through
// its transparent parts, and the frame of a missing picture against the page.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/test_data.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

class PictureColours : public ::testing::Test {
 protected:
  void SetUp() override {
    TCreateParams params;
    params.Width = 420;
    params.Height = 300;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    FHost = CreateWindow(params);
    FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 420, 300);
    FViewer->SetScrollBars(ssNone);
    FViewer->SetDefBackground(clWhite);
  }
  void TearDown() override {
    FViewer.reset();
    DestroyWindow(FHost);
  }
  void Load(const std::string& Html) { FViewer->LoadFromBuffer(Html.data(), int(Html.size())); }
  TWindowPixels Shot() {
    HWND panel = FViewer->PaintPanel()->Handle();
    InvalidateRect(panel, nullptr);
    UpdateWindow(panel);
    TWindowPixels shot = CaptureWindowPixels(panel);
    for (uint32_t& p : shot.Pixels) p &= 0xFFFFFF;
    return shot;
  }
  uint32_t Pixel(int X, int Y) { return Shot().At(X, Y); }
  int Left() const { return FViewer->MarginWidth; }
  int Top() const { return FViewer->MarginHeight; }
  static std::string Suite(const char* Name) { return TestDataPath(std::string("images/png/pngsuite/") + Name); }
  HWND FHost = nullptr;
  std::unique_ptr<THTMLViewer> FViewer;
};

// A one-bit grey picture keeps black and white after text of another colour, in a link
// and in a coloured font. Its top row is white but for a black last pixel, its bottom
// row black.
TEST_F(PictureColours, OneBitPicturesKeepTheirOwnColoursAfterColouredText) {
  const std::string picture = "<img src='" + Suite("basn0g01.png") + "' border=0>";
  const std::string Cases[] = {
      "<font color=red>red</font>" + picture,
      "<font color=red>" + picture + "</font>",
      "<a href=x>link</a>" + picture,
      "<a href=x>" + picture + "</a>",
  };
  for (const std::string& html : Cases) {
    Load("<body style='margin:0'><p style='margin:0'>" + html);
    const TWindowPixels shot = Shot();
    bool found = false;
    for (int y = 0; y < 40 && !found; ++y)
      for (int x = 0; x < 200 && !found; ++x)
        found = shot.At(x, y) == 0xFFFFFFu && shot.At(x + 30, y) == 0xFFFFFFu &&
                shot.At(x + 31, y) == 0 && shot.At(x, y + 31) == 0 && shot.At(x + 31, y + 31) == 0;
    EXPECT_TRUE(found) << html;
  }
}

}  // namespace
