#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <vector>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/graphics/palette.h"
#include "toolkit/graphics/raster_ops.h"
#include "toolkit/windows/window_metrics.h"

namespace {

constexpr TColor Red = RGBColor(255, 0, 0), Green = RGBColor(0, 255, 0), Blue = RGBColor(0, 0, 255);

std::unique_ptr<TBitmap> Solid(int w, int h, TColor c) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas().FillRect(TRect{0, 0, w, h}, c);
  return b;
}

// Restores the screen's depth and palette after a test changes them.
class ScreenDepth : public ::testing::Test {
 protected:
  void TearDown() override {
    SetScreenColorDepth(24);
    SetScreenPalette(nullptr);
  }
};

// A recording played back onto a new RGB image surface of Width x Height (the caller frees it).
cairo_surface_t* Replayed(cairo_surface_t* Recording, int Width, int Height) {
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, Width, Height);
  cairo_t* cr = cairo_create(out);
  cairo_set_source_surface(cr, Recording, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  return out;
}

}  // namespace

TEST(RasterOps, EachOperationCombinesSourcePatternAndDestinationBitwise) {
  const TColor d = RGBColor(0xF0, 0xCC, 0x0F), s = RGBColor(0xAA, 0x33, 0xFF), p = RGBColor(0x0F, 0x55, 0x3C);
  struct Case {
    uint32_t Rop;
    TColor Want;
  };
  const Case cases[] = {
      {SRCCOPY, s},           {SRCPAINT, d | s},        {SRCAND, d & s},
      {SRCINVERT, d ^ s},     {SRCERASE, s & ~d},       {NOTSRCCOPY, ~s},
      {DSTINVERT, ~d},        {MERGEPAINT, ~s | d},     {PATCOPY, p},
      {PATINVERT, p ^ d},     {BLACKNESS, 0},           {WHITENESS, 0xFFFFFF},
      {NOTSRCERASE, ~(s | d)}, {MERGECOPY, p & s},      {PATPAINT, p | ~s | d},
  };
  auto source = Solid(3, 2, s);
  for (const Case& c : cases) {
    auto dest = Solid(5, 4, d);
    dest->Canvas().Brush.Color = p;
    dest->Canvas().BitBlt(1, 1, 3, 2, source->Canvas(), 0, 0, c.Rop);
    EXPECT_EQ(dest->Pixel(2, 2), c.Want & 0xFFFFFF) << std::hex << c.Rop;
    EXPECT_EQ(dest->Pixel(0, 0), d) << std::hex << c.Rop << " outside the target";
    EXPECT_EQ(dest->Pixel(4, 3), d) << std::hex << c.Rop << " outside the target";
  }
}

TEST(RasterOps, TruthTableQueries) {
  EXPECT_TRUE(RopUsesSource(SRCCOPY));
  EXPECT_FALSE(RopUsesSource(PATCOPY));
  EXPECT_FALSE(RopUsesSource(DSTINVERT));
  EXPECT_TRUE(RopUsesPattern(PATINVERT));
  EXPECT_FALSE(RopUsesPattern(SRCAND));
  EXPECT_TRUE(RopUsesDest(SRCAND));
  EXPECT_FALSE(RopUsesDest(SRCCOPY));
}

// An image with a transparent colour (black here) and its mask: white where transparent.
struct TMaskedImage {
  std::unique_ptr<TBitmap> Image = std::make_unique<TBitmap>(4, 1);
  std::unique_ptr<TBitmap> Mask;
  TMaskedImage() {
    TCanvas& c = Image->Canvas();
    c.SetPixel(0, 0, Red);
    c.SetPixel(1, 0, clBlack);
    c.SetPixel(2, 0, Green);
    c.SetPixel(3, 0, clBlack);
    Image->SetTransparentColor(clBlack);
    Mask = Image->CreateMask();
  }
};

TEST(RasterOps, FillPixelsSetsExactlyTheCountGiven) {
  for (size_t count : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(7), size_t(8), size_t(1000)}) {
    std::vector<uint32_t> row(count + 2, 0x11111111u);
    FillPixels(row.data() + 1, count, 0x00ABCDEFu);
    EXPECT_EQ(row.front(), 0x11111111u) << count;
    EXPECT_EQ(row.back(), 0x11111111u) << count;
    EXPECT_EQ(size_t(std::count(row.begin(), row.end(), 0x00ABCDEFu)), count) << count;
  }
}

TEST(Transparency, MaskIsWhiteWhereTheImageHasTheTransparentColour) {
  TMaskedImage m;
  ASSERT_TRUE(m.Mask);
  EXPECT_EQ(m.Mask->PixelFormat(), pf1bit);
  EXPECT_EQ(m.Mask->Pixel(0, 0), clBlack);
  EXPECT_EQ(m.Mask->Pixel(1, 0), clWhite);
  EXPECT_EQ(m.Mask->Pixel(2, 0), clBlack);
  EXPECT_EQ(m.Mask->Pixel(3, 0), clWhite);
  EXPECT_EQ(m.Mask->ScanLineRead(0)[0], 0x50) << "1 bits where transparent, first pixel in the top bit";
}

TEST(Transparency, InvertAndAndInvertShowsTheBackgroundThroughTheMask) {
  TMaskedImage m;
  auto dest = Solid(6, 2, Blue);
  TCanvas& c = dest->Canvas();
  c.BitBlt(1, 0, 4, 1, m.Image->Canvas(), 0, 0, SRCINVERT);
  c.BitBlt(1, 0, 4, 1, m.Mask->Canvas(), 0, 0, SRCAND);
  c.BitBlt(1, 0, 4, 1, m.Image->Canvas(), 0, 0, SRCINVERT);
  EXPECT_EQ(dest->Pixel(0, 0), Blue);
  EXPECT_EQ(dest->Pixel(1, 0), Red);
  EXPECT_EQ(dest->Pixel(2, 0), Blue);
  EXPECT_EQ(dest->Pixel(3, 0), Green);
  EXPECT_EQ(dest->Pixel(4, 0), Blue);
}

TEST(Transparency, MaskAndThenImageOrShowsTheBackgroundWhereTheImageIsBlack) {
  TMaskedImage m;
  auto dest = Solid(4, 1, Blue);
  dest->Canvas().BitBlt(0, 0, 4, 1, m.Mask->Canvas(), 0, 0, SRCAND);
  dest->Canvas().BitBlt(0, 0, 4, 1, m.Image->Canvas(), 0, 0, SRCPAINT);
  EXPECT_EQ(dest->Pixel(0, 0), Red);
  EXPECT_EQ(dest->Pixel(1, 0), Blue);
  EXPECT_EQ(dest->Pixel(2, 0), Green);
  EXPECT_EQ(dest->Pixel(3, 0), Blue);
}

TEST(Transparency, DrawingATransparentBitmapUsesItsLowerLeftColour) {
  auto image = Solid(3, 2, Red);
  image->Canvas().SetPixel(0, 1, Green);  // lower left: the transparent colour
  image->Canvas().SetPixel(2, 0, Green);
  image->Transparent = true;
  auto dest = Solid(3, 2, Blue);
  dest->Canvas().Draw(0, 0, *image);
  EXPECT_EQ(dest->Pixel(0, 0), Red);
  EXPECT_EQ(dest->Pixel(2, 0), Blue);
  EXPECT_EQ(dest->Pixel(0, 1), Blue);
  // Stretched through the mask too.
  auto big = Solid(6, 4, Blue);
  big->Canvas().StretchDraw(TRect{0, 0, 6, 4}, *image);
  EXPECT_EQ(big->Pixel(5, 0), Blue);
  EXPECT_EQ(big->Pixel(2, 1), Red);
}

TEST(MonochromeTransfers, MonoSourcePaintsTextAndBackgroundColours) {
  auto mono = std::make_unique<TBitmap>(2, 1, pf1bit);
  mono->Canvas().SetPixel(0, 0, clBlack);
  auto dest = Solid(2, 1, clWhite);
  dest->Canvas().SetTextColor(Red);
  dest->Canvas().SetBkColor(Green);
  dest->Canvas().BitBlt(0, 0, 2, 1, mono->Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(dest->Pixel(0, 0), Red);
  EXPECT_EQ(dest->Pixel(1, 0), Green);
}

// A picture saved with one bit per pixel has a palette of its own and is no mask: it
// copies in its colours, black and white too, whatever the text and background colours.
TEST(MonochromeTransfers, OneBitPicturesWithAPaletteKeepTheirColours) {
  const struct {
    TPaletteEntry First, Second;
  } Cases[] = {
      {{0, 128, 0, 0}, {255, 255, 0, 0}},
      {{0, 0, 0, 0}, {255, 255, 255, 0}},
      {{255, 255, 255, 0}, {0, 0, 0, 0}},
  };
  for (const auto& c : Cases) {
    auto picture = std::make_unique<TBitmap>(2, 1, pf1bit);
    picture->SetPalette(TPalette({c.First, c.Second}));
    uint8_t* row = static_cast<uint8_t*>(picture->ScanLine(0));
    row[0] = 0x40;  // index 0, then index 1
    auto dest = Solid(2, 1, clWhite);
    dest->Canvas().SetTextColor(Red);
    dest->Canvas().SetBkColor(Blue);
    dest->Canvas().BitBlt(0, 0, 2, 1, picture->Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(dest->Pixel(0, 0), RGBColor(c.First.peRed, c.First.peGreen, c.First.peBlue));
    EXPECT_EQ(dest->Pixel(1, 0), RGBColor(c.Second.peRed, c.Second.peGreen, c.Second.peBlue));
  }
}

TEST(MonochromeTransfers, ColourToMonoIsWhiteWhereTheSourceHasItsBackgroundColour) {
  auto colour = Solid(3, 1, Blue);
  colour->Canvas().SetPixel(1, 0, Red);
  colour->Canvas().SetBkColor(Red);
  auto mono = std::make_unique<TBitmap>(3, 1, pf1bit);
  mono->Canvas().BitBlt(0, 0, 3, 1, colour->Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(mono->Pixel(0, 0), clBlack);
  EXPECT_EQ(mono->Pixel(1, 0), clWhite);
  EXPECT_EQ(mono->Pixel(2, 0), clBlack);
  // Colours drawn on a monochrome canvas become black or white by brightness.
  mono->Canvas().FillRect(TRect{0, 0, 1, 1}, RGBColor(200, 200, 40));
  EXPECT_EQ(mono->Pixel(0, 0), clWhite);
}

TEST(StretchTransfers, NearestPixelStretchingAndMirroring) {
  auto src = Solid(2, 1, Red);
  src->Canvas().SetPixel(1, 0, Blue);
  auto dest = Solid(4, 2, clWhite);
  dest->Canvas().StretchBlt(0, 0, 4, 2, src->Canvas(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dest->Pixel(0, 0), Red);
  EXPECT_EQ(dest->Pixel(1, 1), Red);
  EXPECT_EQ(dest->Pixel(2, 0), Blue);
  EXPECT_EQ(dest->Pixel(3, 1), Blue);
  dest->Canvas().StretchBlt(4, 0, -4, 1, src->Canvas(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dest->Pixel(0, 0), Blue);
  EXPECT_EQ(dest->Pixel(3, 0), Red);
  // Shrinking keeps the pixel under each destination centre.
  auto wide = Solid(6, 1, Red);
  wide->Canvas().FillRect(TRect{3, 0, 6, 1}, Green);
  auto narrow = Solid(2, 1, clWhite);
  narrow->Canvas().StretchBlt(0, 0, 2, 1, wide->Canvas(), 0, 0, 6, 1, SRCCOPY);
  EXPECT_EQ(narrow->Pixel(0, 0), Red);
  EXPECT_EQ(narrow->Pixel(1, 0), Green);
}

TEST(StretchTransfers, OverlappingCopyWithinOneCanvasScrollsCleanly) {
  auto b = Solid(1, 6, clWhite);
  for (int y = 0; y < 6; ++y) b->Canvas().SetPixel(0, y, RGBColor(y * 40, 0, 0));
  b->Canvas().BitBlt(0, 1, 1, 5, b->Canvas(), 0, 0, SRCCOPY);  // down by one
  for (int y = 1; y < 6; ++y) EXPECT_EQ(b->Pixel(0, y), RGBColor((y - 1) * 40, 0, 0)) << y;
  b->Canvas().BitBlt(0, 0, 1, 5, b->Canvas(), 0, 1, SRCCOPY);  // and back up
  for (int y = 0; y < 5; ++y) EXPECT_EQ(b->Pixel(0, y), RGBColor(y * 40, 0, 0)) << y;
}

TEST(StretchTransfers, SourceOutsideItsSurfaceLeavesTheDestinationAlone) {
  auto src = Solid(2, 2, Red);
  auto dest = Solid(4, 4, Blue);
  dest->Canvas().BitBlt(0, 0, 4, 4, src->Canvas(), -1, -1, SRCCOPY);
  EXPECT_EQ(dest->Pixel(0, 0), Blue);
  EXPECT_EQ(dest->Pixel(1, 1), Red);
  EXPECT_EQ(dest->Pixel(2, 2), Red);
  EXPECT_EQ(dest->Pixel(3, 3), Blue);
}

TEST(DeviceIndependentBits, BottomUpRowsArriveTopDownAndStretch) {
  // 2 x 2, 8 bits: stored bottom row first; rows padded to 4 bytes.
  const uint8_t bits[] = {1, 2, 0, 0, 0, 1, 0, 0};
  const TPaletteEntry colours[] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
  TDIBInfo info;
  info.Width = 2;
  info.Height = 2;
  info.BitCount = 8;
  info.Colors = colours;
  info.ColorCount = 3;
  auto dest = Solid(4, 4, clWhite);
  dest->Canvas().StretchDIBits(0, 0, 4, 4, 0, 0, 2, 2, bits, info, SRCCOPY);
  EXPECT_EQ(dest->Pixel(0, 0), Red);
  EXPECT_EQ(dest->Pixel(3, 1), Green);
  EXPECT_EQ(dest->Pixel(0, 3), Green);
  EXPECT_EQ(dest->Pixel(3, 3), Blue);
  info.Height = -2;  // top-down now
  dest->Canvas().StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, bits, info, SRCCOPY);
  EXPECT_EQ(dest->Pixel(0, 0), Green);
  EXPECT_EQ(dest->Pixel(1, 1), Green);
}

TEST_F(ScreenDepth, EightBitScreenShowsTheNearestEntryOfTheRealisedPalette) {
  SetScreenColorDepth(8);
  cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 1);
  {
    TCanvas screen(window);
    screen.SetScreen(true);
    TPalette palette({{0, 0, 0, 0}, {200, 0, 0, 0}, {255, 255, 255, 0}, {0, 100, 0, 0}});
    screen.SelectPalette(&palette);
    EXPECT_EQ(screen.RealizePalette(), 4);
    auto back = Solid(4, 1, RGBColor(190, 10, 5));
    back->Canvas().SetPixel(1, 0, RGBColor(10, 90, 20));
    back->Canvas().SetPixel(2, 0, RGBColor(250, 240, 250));
    screen.BitBlt(0, 0, 4, 1, back->Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(screen.GetPixel(0, 0), RGBColor(200, 0, 0));
    EXPECT_EQ(screen.GetPixel(1, 0), RGBColor(0, 100, 0));
    EXPECT_EQ(screen.GetPixel(2, 0), clWhite);
    // Colours drawn straight onto the screen are matched too.
    screen.FillRect(TRect{3, 0, 4, 1}, RGBColor(30, 30, 30));
    EXPECT_EQ(screen.GetPixel(3, 0), clBlack);
    EXPECT_EQ(screen.GetDeviceCaps(BITSPIXEL), 8);
    EXPECT_EQ(screen.GetDeviceCaps(SIZEPALETTE), 256);
  }
  cairo_surface_destroy(window);
}

TEST_F(ScreenDepth, FourBitScreenUsesTheSixteenVgaColours) {
  SetScreenColorDepth(4);
  cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 1);
  {
    TCanvas screen(window);
    screen.SetScreen(true);
    auto back = Solid(2, 1, RGBColor(250, 5, 5));
    back->Canvas().SetPixel(1, 0, RGBColor(120, 120, 130));
    screen.BitBlt(0, 0, 2, 1, back->Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(screen.GetPixel(0, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(screen.GetPixel(1, 0), RGBColor(128, 128, 128));
    EXPECT_EQ(back->Pixel(0, 0), RGBColor(250, 5, 5)) << "off-screen bitmaps keep full colour";
  }
  cairo_surface_destroy(window);
}

TEST_F(ScreenDepth, DeviceCapsOfScreenAndPrinter) {
  TCanvas screen;
  EXPECT_EQ(screen.GetDeviceCaps(LOGPIXELSX), 96);
  EXPECT_EQ(screen.GetDeviceCaps(LOGPIXELSY), 96);
  EXPECT_EQ(screen.GetDeviceCaps(BITSPIXEL), 24);
  EXPECT_EQ(screen.GetDeviceCaps(PLANES), 1);
  EXPECT_EQ(screen.GetDeviceCaps(NUMCOLORS), -1);
  EXPECT_EQ(screen.GetDeviceCaps(HORZRES), ScreenSize().cx);
  TCanvas printer;
  printer.Caps.Technology = DT_RASPRINTER;
  printer.Caps.LogPixelsX = printer.Caps.LogPixelsY = 600;
  printer.Caps.HorzRes = 4800;
  printer.Caps.PhysicalWidth = 5100;
  printer.Caps.PhysicalOffsetX = 150;
  printer.Caps.NumColors = 2;
  EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 600);
  EXPECT_EQ(printer.GetDeviceCaps(HORZRES), 4800);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALWIDTH), 5100);
  EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), 150);
  EXPECT_EQ(printer.GetDeviceCaps(NUMCOLORS), 2);
  EXPECT_EQ(printer.GetDeviceCaps(HORZSIZE), 203);
}

TEST(Palettes, NearestIndexPrefersTheLowestOfEqualCandidates) {
  TPalette p({{0, 0, 0, 0}, {100, 0, 0, 0}, {100, 0, 0, 0}, {0, 0, 255, 0}});
  EXPECT_EQ(p.GetNearestPaletteIndex(RGBColor(90, 0, 0)), 1);
  EXPECT_EQ(p.GetNearestPaletteIndex(RGBColor(0, 0, 200)), 3);
  EXPECT_EQ(p.GetNearestPaletteIndex(RGBColor(10, 10, 10) | 0x02000000), 0);
  EXPECT_EQ(TPalette().GetNearestPaletteIndex(clWhite), -1);
  EXPECT_EQ(TPalette::SystemDefault().Count(), 20);
  EXPECT_EQ(TPalette::SystemPalette().Count(), 256);
  EXPECT_EQ(TPalette::SystemPalette().EntryColor(255), clWhite);
}

TEST(Colours, SystemAndPaletteRelativeColoursResolve) {
  // The button face: the fixed classic grey until the window system (started by any
  // earlier test that made a window) registers its own scheme.
  const TColor face = ColorToRGB(TColor(0x80000000u | 15));
  EXPECT_TRUE(face == RGBColor(192, 192, 192) || face == GetSysColor(COLOR_BTNFACE)) << face;
  EXPECT_EQ(ColorToRGB(0x02123456), 0x123456);
  EXPECT_EQ(ColorToRGB(clNone), clBlack);
  auto b = Solid(1, 1, TColor(0x80000000u | 5));  // window colour
  EXPECT_EQ(b->Pixel(0, 0), clWhite);
}

TEST(VectorSurfaces, RecordedDrawingReplaysWithTheSamePixels) {
  // A printer-like canvas on a recording surface at twice the screen resolution.
  cairo_rectangle_t extents{0, 0, 40, 20};
  cairo_surface_t* rec = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, &extents);
  {
    TCanvas c(rec, 40, 20);
    EXPECT_FALSE(c.HasPixels());
    c.SetMapping(96, 96, 192, 192);
    c.FillRect(TRect{0, 0, 20, 10}, clWhite);
    c.FillRect(TRect{1, 1, 3, 3}, Red);
    auto image = Solid(2, 1, Green);
    image->Canvas().SetPixel(1, 0, clBlack);
    auto mask = std::make_unique<TBitmap>(2, 1, pf1bit);
    mask->Canvas().SetPixel(0, 0, clBlack);  // pixel 1 stays white: transparent
    c.DrawMasked(TRect{5, 0, 7, 1}, image->Canvas(), mask->Canvas(), TRect{0, 0, 2, 1});
    c.BitBlt(10, 2, 2, 1, image->Canvas(), 0, 0, SRCCOPY);
    TRegion clip(TRect{0, 10, 40, 20});
    c.SelectClipRgn(&clip);
    c.FillRect(TRect{0, 0, 20, 10}, Blue);
  }
  cairo_surface_t* out = Replayed(rec, 40, 20);
  TCanvas check(out);
  EXPECT_EQ(check.GetPixel(2, 2), Red);
  EXPECT_EQ(check.GetPixel(5, 5), Red);
  EXPECT_EQ(check.GetPixel(6, 6), clWhite);
  EXPECT_EQ(check.GetPixel(10, 0), Green) << "masked: opaque pixel";
  EXPECT_EQ(check.GetPixel(12, 0), clWhite) << "masked: transparent pixel";
  EXPECT_EQ(check.GetPixel(21, 5), Green) << "copied and scaled";
  EXPECT_EQ(check.GetPixel(23, 5), clBlack);
  EXPECT_EQ(check.GetPixel(0, 9), clWhite) << "clip in device pixels";
  EXPECT_EQ(check.GetPixel(0, 10), Blue);
  cairo_surface_destroy(out);
  cairo_surface_destroy(rec);
}

// A bitmap with an alpha channel is laid over what lies beneath, on image surfaces (copied
// and stretched) and on vector ones: clear shows the destination, opaque the picture, and
// half-way a mixture rounded to the nearest.
TEST(AlphaTransfers, PicturesWithAlphaAreLaidOverTheDestination) {
  auto picture = Solid(3, 1, RGBColor(200, 100, 0));
  picture->SetAlphaChannel({0, 255, 128});
  ASSERT_TRUE(picture->HasAlpha());
  const TColor under = RGBColor(0, 0, 255);
  const TColor mixed = RGBColor(100, 50, 127);  // (200*128 + 0*127 + 127) / 255 = 100, ...
  auto copied = Solid(3, 1, under);
  copied->Canvas().BitBlt(0, 0, 3, 1, picture->Canvas(), 0, 0, SRCCOPY);
  EXPECT_EQ(copied->Pixel(0, 0), under);
  EXPECT_EQ(copied->Pixel(1, 0), RGBColor(200, 100, 0));
  EXPECT_EQ(copied->Pixel(2, 0), mixed);
  auto stretched = Solid(6, 2, under);
  stretched->Canvas().StretchBlt(0, 0, 6, 2, picture->Canvas(), 0, 0, 3, 1, SRCCOPY);
  EXPECT_EQ(stretched->Pixel(1, 1), under);
  EXPECT_EQ(stretched->Pixel(2, 0), RGBColor(200, 100, 0));
  EXPECT_EQ(stretched->Pixel(5, 1), mixed);
  // Other operations, and copies of the bitmap, keep the pixels as they are.
  auto inverted = Solid(3, 1, clBlack);
  inverted->Canvas().BitBlt(0, 0, 3, 1, picture->Canvas(), 0, 0, SRCINVERT);
  EXPECT_EQ(inverted->Pixel(0, 0), RGBColor(200, 100, 0));
  EXPECT_TRUE(picture->Clone()->HasAlpha());
  // Alpha of the wrong length, and a new size, leave the bitmap opaque.
  auto other = Solid(2, 1, Red);
  other->SetAlphaChannel({0, 0, 0});
  EXPECT_FALSE(other->HasAlpha());
  picture->SetSize(4, 1);
  EXPECT_FALSE(picture->HasAlpha());
  picture->SetSize(3, 1);
  picture->SetAlphaChannel({0, 255, 128});

  cairo_rectangle_t extents{0, 0, 3, 1};
  cairo_surface_t* rec = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, &extents);
  {
    TCanvas c(rec, 3, 1);
    c.FillRect(TRect{0, 0, 3, 1}, under);
    c.BitBlt(0, 0, 3, 1, picture->Canvas(), 0, 0, SRCCOPY);
  }
  cairo_surface_t* out = Replayed(rec, 3, 1);
  TCanvas check(out);
  EXPECT_EQ(check.GetPixel(0, 0), under);
  EXPECT_EQ(check.GetPixel(1, 0), RGBColor(200, 100, 0));
  const TColor printed = check.GetPixel(2, 0);
  EXPECT_NEAR(GetRValue(printed), 100, 1);
  EXPECT_NEAR(GetBValue(printed), 127, 1);
  cairo_surface_destroy(out);
  cairo_surface_destroy(rec);
}
