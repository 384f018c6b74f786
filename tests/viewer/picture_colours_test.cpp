// The colours a picture shows on the page: its own wherever it stands, the page through
// its transparent parts, and the frame of a missing picture against the page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "images/image_loader.h"
#include "tests/images/png_oracle.h"
#include "tests/test_data.h"
#include "tests/viewer/viewer_window.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

class PictureColours : public TViewerWindowTest {
 protected:
  int Left() const { return FViewer->MarginWidth; }
  int Top() const { return FViewer->MarginHeight; }
  static std::string Suite(const char* Name) { return TestDataPath(std::string("images/png/pngsuite/") + Name); }
};

// A 32 x 32 one-bit BMP with a black and white palette, drawn as basn0g01.png is at its
// top and bottom rows: white but for a black last pixel on top, black at the bottom.
std::vector<uint8_t> OneBitBmp() {
  std::vector<uint8_t> b;
  auto put = [&b](uint32_t V, int Bytes) {
    for (int i = 0; i < Bytes; ++i) b.push_back(uint8_t(V >> (8 * i)));
  };
  const int rows = 32 * 4;
  b.push_back('B');
  b.push_back('M');
  put(14 + 40 + 8 + rows, 4);
  put(0, 4);
  put(14 + 40 + 8, 4);
  put(40, 4), put(32, 4), put(32, 4), put(1, 2), put(1, 2), put(0, 4), put(rows, 4);
  put(2835, 4), put(2835, 4), put(2, 4), put(0, 4);
  put(0x000000, 4), put(0xFFFFFF, 4);
  for (int stored = 0; stored < 32; ++stored)  // bottom row first
    put(stored == 0 ? 0u : stored == 31 ? 0xFEFFFFFFu : 0xFFFFFFFFu, 4);
  return b;
}

// A one-bit picture, grey PNG or BMP, keeps black and white after text of another colour,
// in a link and in a coloured font.
TEST_F(PictureColours, OneBitPicturesKeepTheirOwnColoursAfterColouredText) {
  const std::vector<uint8_t> bmp = OneBitBmp();
  TMemoryStream answer;
  FViewer->SetOnImageRequest([&](TObject*, const std::string& Name, TMemoryStream*& Stream) {
    if (Name != "mono.bmp") return;
    answer.Clear();
    answer.Write(bmp.data(), int64_t(bmp.size()));
    Stream = &answer;
  });
  for (const std::string& source : {Suite("basn0g01.png"), std::string("mono.bmp")}) {
    const std::string picture = "<img src='" + source + "' border=0>";
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
}

// The sunken frame of a missing picture has its lower and right sides silver on a white
// page, as table outlines have, and white on a page of another colour.
TEST_F(PictureColours, TheFrameOfAMissingPictureShowsOnWhitePages) {
  const struct {
    const char* Body;
    uint32_t Light;
  } Cases[] = {
      {"<body style='margin:0'>", 0xC0C0C0u},
      {"<body style='margin:0' bgcolor=white>", 0xC0C0C0u},
      {"<body style='margin:0' bgcolor=#336699>", 0xFFFFFFu},
  };
  for (const auto& c : Cases) {
    Load(std::string(c.Body) + "<img src='no such picture.png' width=50 height=40>");
    const TWindowPixels shot = Shot();
    int x0 = -1, y0 = -1;
    for (int y = 0; y < 60 && y0 < 0; ++y)
      for (int x = 0; x < 100 && x0 < 0; ++x)
        if (shot.At(x, y) == 0x808080u) x0 = x, y0 = y;
    ASSERT_GE(x0, 0) << c.Body;
    EXPECT_EQ(shot.At(x0 + 25, y0), 0x808080u) << c.Body;      // top
    EXPECT_EQ(shot.At(x0, y0 + 20), 0x808080u) << c.Body;      // left
    EXPECT_EQ(shot.At(x0 + 25, y0 + 39), c.Light) << c.Body;   // bottom
    EXPECT_EQ(shot.At(x0 + 49, y0 + 20), c.Light) << c.Body;   // right
  }
}

// At 24 bits a picture with an alpha channel is laid over the page, pixel by pixel; at 8
// bits it stands opaque. A GIF shows the page through its transparent colour as before.
TEST_F(PictureColours, AlphaPicturesAreLaidOverThePage) {
  const std::vector<uint8_t> data = ReadFileBytes(Suite("basn6a08.png"));
  const TOraclePicture oracle = DecodeWithLibpng(data);
  std::vector<uint8_t> gamma(256);
  for (int i = 0; i < 256; ++i) gamma[size_t(i)] = uint8_t(i);
  if (oracle.HasGamma) gamma = DisplayGammaTable(oracle.FileGamma);
  const uint32_t page = 0x00FF00;
  const std::string html = "<body style='margin:0' bgcolor=#00ff00><img align=top src='" + Suite("basn6a08.png") + "'>";
  Load(html);
  TWindowPixels shot = Shot();
  int wrong = 0, clear = -1;
  for (int y = 0; y < oracle.Height; ++y)
    for (int x = 0; x < oracle.Width; ++x) {
      const uint8_t* p = oracle.Rgba.data() + (size_t(y) * size_t(oracle.Width) + size_t(x)) * 4;
      const uint32_t a = p[3];
      uint32_t want = 0;
      for (int k = 0; k < 3; ++k) {
        const uint32_t under = (page >> (16 - 8 * k)) & 0xFF;
        want |= ((gamma[p[k]] * a + under * (255 - a) + 127) / 255) << (16 - 8 * k);
      }
      if (a == 0 && clear < 0) clear = y * oracle.Width + x;
      if (shot.At(x, y) != want && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << std::hex << ": " << shot.At(x, y) << ", not " << want;
    }
  ASSERT_GE(clear, 0);
  const int cx = clear % oracle.Width, cy = clear / oracle.Width;
  EXPECT_EQ(shot.At(cx, cy), page);

  SetScreenColorDepth(8);
  FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 420, 300);
  FViewer->SetScrollBars(ssNone);
  Load(html);
  EXPECT_NE(Shot().At(cx, cy), page) << "opaque at 8 bits";
  FViewer.reset();
  SetScreenColorDepth(24);

  FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 420, 300);
  FViewer->SetScrollBars(ssNone);
  const std::string gif = TestDataPath("images/gif/pygif-test-suite/transparent.gif");
  const std::vector<uint8_t> gifData = ReadFileBytes(gif);
  int kind = tkNone;
  const TLoadedImage still = LoadImageFromMemory(gifData.data(), gifData.size(), kind, 24);
  ASSERT_FALSE(still.Mask.Empty());
  int gx = -1, gy = -1;
  for (int y = 0; y < still.Mask.Height() && gy < 0; ++y)
    for (int x = 0; x < still.Mask.Width() && gx < 0; ++x)
      if (still.Mask.PixelIndex(x, y) == 1) gx = x, gy = y;
  ASSERT_GE(gx, 0);
  Load("<body style='margin:0' bgcolor=#00ff00><img align=top src='" + gif + "'>");
  EXPECT_EQ(Shot().At(gx, gy), page);
}

}  // namespace
