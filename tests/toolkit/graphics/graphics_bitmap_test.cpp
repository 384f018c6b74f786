#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/png_writer.h"

namespace {

constexpr TColor Red = RGBColor(255, 0, 0), Blue = RGBColor(0, 0, 255);

}  // namespace

TEST(Bitmap, ZeroAndNegativeSizesGiveAnEmptyBitmapThatDrawsNothing) {
  for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -1}}) {
    TBitmap b(w, h);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    b.Canvas().FillRect(TRect{0, 0, 10, 10}, Red);
    b.Canvas().TextOut(0, 0, "x");
    EXPECT_EQ(b.Pixel(0, 0), clNone);
    EXPECT_EQ(b.CreateMask(), nullptr);
  }
}

TEST(Bitmap, HugeSizesFailWithAMessageAndKeepTheOldPicture) {
  TBitmap b(4, 4);
  b.Canvas().FillRect(TRect{0, 0, 4, 4}, Red);
  struct Case {
    int W, H;
  };
  for (Case c : {Case{40000, 10}, Case{10, 32768}, Case{20000, 20000}, Case{9000, 9000}}) {
    try {
      b.SetSize(c.W, c.H);
      ADD_FAILURE() << c.W << "x" << c.H << " was accepted";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(std::string(e.Message).find(std::to_string(c.W)), std::string::npos) << e.Message;
    }
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(b.Pixel(3, 3), Red);
  }
  EXPECT_THROW(TBitmap(32768, 1), EInvalidGraphic);
  EXPECT_NO_THROW(TBitmap(32767, 1));
}

TEST(Bitmap, ResizingKeepsTheTopLeftAndWhitensNewArea) {
  TBitmap b(3, 3);
  b.Canvas().FillRect(TRect{0, 0, 3, 3}, Red);
  b.SetWidth(5);
  EXPECT_EQ(b.Pixel(2, 2), Red);
  EXPECT_EQ(b.Pixel(4, 2), clWhite);
  b.SetHeight(2);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_EQ(b.Pixel(0, 1), Red);
  // The canvas follows the new surface.
  b.Canvas().FillRect(TRect{4, 0, 5, 1}, Blue);
  EXPECT_EQ(b.Pixel(4, 0), Blue);
}

TEST(Bitmap, PaletteScanLinesAndCanvasSeeTheSamePixels) {
  TBitmap b;
  b.SetPixelFormat(pf8bit);
  b.SetPalette(TPalette({{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}}));
  b.SetSize(5, 2);
  uint8_t* row = b.ScanLine(1);
  row[0] = 1;
  row[4] = 2;
  EXPECT_EQ(b.Pixel(0, 1), Red);
  EXPECT_EQ(b.Pixel(4, 1), Blue);
  EXPECT_EQ(b.Canvas().GetPixel(4, 1), Blue);
  // Drawing goes back into the indexes, as the nearest entry.
  b.Canvas().FillRect(TRect{1, 0, 2, 1}, RGBColor(200, 10, 10));
  EXPECT_EQ(b.ScanLineRead(0)[1], 1);
  EXPECT_EQ(b.ScanLineRead(1)[4], 2);
  // A new palette recolours the same indexes.
  b.SetPalette(TPalette({{0, 0, 0, 0}, {0, 255, 0, 0}, {9, 9, 9, 0}}));
  EXPECT_EQ(b.Pixel(0, 1), RGBColor(0, 255, 0));
  EXPECT_EQ(b.ScanLineSize(), 8);
}

TEST(Bitmap, ScanLineLayoutsByPixelFormat) {
  struct Case {
    TPixelFormat Format;
    int Width;
    int RowSize;
  };
  for (Case c : {Case{pf1bit, 9, 4}, Case{pf4bit, 9, 8}, Case{pf8bit, 9, 12}, Case{pf24bit, 9, 28},
                 Case{pf32bit, 9, 36}}) {
    TBitmap b(c.Width, 2, c.Format);
    EXPECT_EQ(b.ScanLineSize(), c.RowSize) << int(c.Format);
  }
  TBitmap rgb(2, 1, pf24bit);
  uint8_t* p = rgb.ScanLine(0);
  p[0] = 0x10, p[1] = 0x20, p[2] = 0x30;  // blue, green, red
  EXPECT_EQ(rgb.Pixel(0, 0), RGBColor(0x30, 0x20, 0x10));
  TBitmap mono(10, 1, pf1bit);
  mono.ScanLine(0)[0] = 0x7F;  // first pixel black, next seven white
  mono.ScanLine(0)[1] = 0x00;
  EXPECT_EQ(mono.Pixel(0, 0), clBlack);
  EXPECT_EQ(mono.Pixel(1, 0), clWhite);
  EXPECT_EQ(mono.Pixel(8, 0), clBlack);
  TBitmap direct(2, 1, pf32bit);
  uint8_t* q = direct.ScanLine(0);
  q[4] = 0xFF, q[5] = 0, q[6] = 0;
  EXPECT_EQ(direct.Canvas().GetPixel(1, 0), Blue);
  EXPECT_THROW(direct.ScanLine(1), EInvalidGraphic);
  EXPECT_THROW(direct.ScanLine(-1), EInvalidGraphic);
}

TEST(Bitmap, AssignCopiesPixelsPaletteAndTransparency) {
  TBitmap a(3, 2, pf8bit);
  a.SetPalette(TPalette({{1, 2, 3, 0}, {250, 0, 0, 0}}));
  a.ScanLine(0)[2] = 1;
  a.Transparent = true;
  a.SetTransparentColor(Red);
  TBitmap b;
  b.Assign(a);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(b.Pixel(2, 0), RGBColor(250, 0, 0));
  EXPECT_EQ(b.ScanLineRead(0)[2], 1);
  EXPECT_TRUE(b.Transparent);
  EXPECT_EQ(b.TransparentColor(), Red);
  a.ScanLine(0)[2] = 0;
  EXPECT_EQ(b.Pixel(2, 0), RGBColor(250, 0, 0)) << "a deep copy";
  TPersistent* other = new TPersistent;
  EXPECT_THROW(b.Assign(other), EConvertError);
  delete other;
}

TEST(Bitmap, SavedPngReadsBackThroughLibpng) {
  TBitmap b(7, 5);
  b.Canvas().FillRect(TRect{0, 0, 7, 5}, RGBColor(10, 20, 30));
  b.Canvas().FillRect(TRect{2, 1, 4, 3}, Red);
  const std::string path = (std::filesystem::temp_directory_path() / "qjx_graphics_save.png").string();
  b.SaveToFile(path);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
  EXPECT_EQ(image.width, 7u);
  EXPECT_EQ(image.height, 5u);
  EXPECT_EQ(rgb[0], 10);
  EXPECT_EQ(rgb[1], 20);
  EXPECT_EQ(rgb[2], 30);
  const size_t at = (2 * 7 + 3) * 3;
  EXPECT_EQ(rgb[at], 255);
  EXPECT_EQ(rgb[at + 1], 0);
  std::remove(path.c_str());
  EXPECT_THROW(EncodePng(0, 1, rgb.data(), 3, 3), EInvalidGraphic);
}

TEST(Bitmap, PixelsWrittenThroughTheCanvasReachTheScanLines) {
  TBitmap b(2, 1, pf8bit);
  b.SetPalette(TPalette({{0, 0, 0, 0}, {255, 0, 0, 0}}));
  b.ScanLine(0)[1] = 0;
  EXPECT_EQ(b.Pixel(1, 0), clBlack);
  uint32_t* px = b.Canvas().Pixels();
  ASSERT_NE(px, nullptr);
  px[1] = 0x00FF0000;  // red, written behind the canvas's back
  b.Canvas().Changed();
  EXPECT_EQ(b.ScanLineRead(0)[1], 1);
}
