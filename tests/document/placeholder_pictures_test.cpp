#include "document/images/placeholder_pictures.h"

#include <gtest/gtest.h>

#include "toolkit/graphics/palette.h"
#include "toolkit/graphics/raster_ops.h"
#include "toolkit/graphics/screen.h"

namespace {

TEST(PlaceholderPictures, ThePicturesAreMadeOnceWithAMaskForTheFailedOne) {
  TBitmap& waiting = WaitingPicture();
  EXPECT_EQ(&waiting, &WaitingPicture());
  EXPECT_EQ(waiting.Width(), 20);
  EXPECT_EQ(waiting.Height(), 20);
  EXPECT_NE(waiting.Pixel(3, 3), waiting.Pixel(3, 16));  // sky above, meadow below
  TBitmap& error = ErrorPicture();
  TBitmap& mask = ErrorPictureMask();
  EXPECT_TRUE(mask.Monochrome());
  EXPECT_EQ(mask.Width(), error.Width());
  EXPECT_EQ(mask.Height(), error.Height());
  EXPECT_EQ(mask.Pixel(19, 0) & 0xFFFFFF, 0xFFFFFFu);  // the torn-off corner is clear
  EXPECT_EQ(mask.Pixel(0, 0) & 0xFFFFFF, 0u);          // the frame is not
}

TEST(PlaceholderPictures, TheFailedPictureDrawnThroughItsMaskKeepsThePageAroundIt) {
  TBitmap page(20, 20, pf24bit);
  TCanvas& c = page.Canvas();
  c.FillRect(TRect{0, 0, 20, 20}, clRed);
  c.BitBlt(0, 0, 20, 20, ErrorPicture().Canvas(), 0, 0, SRCINVERT);
  c.BitBlt(0, 0, 20, 20, ErrorPictureMask().Canvas(), 0, 0, SRCAND);
  c.BitBlt(0, 0, 20, 20, ErrorPicture().Canvas(), 0, 0, SRCINVERT);
  EXPECT_EQ(page.Pixel(19, 0) & 0xFFFFFF, TColor(clRed) & 0xFFFFFF);
  EXPECT_EQ(page.Pixel(0, 0) & 0xFFFFFF, 0u);
  EXPECT_EQ(page.Pixel(4, 3) & 0xFFFFFF, ErrorPicture().Pixel(4, 3) & 0xFFFFFF);
}

TEST(PlaceholderPictures, ColourDepthAndPaletteFollowTheScreen) {
  const int saved = ScreenColorDepth();
  struct Case {
    int Screen, Viewer;
  };
  for (const Case& c : {Case{1, 4}, Case{4, 4}, Case{8, 8}, Case{16, 24}, Case{24, 24}, Case{32, 24}}) {
    SetScreenColorDepth(c.Screen);
    EXPECT_EQ(ViewerColorDepth(), c.Viewer) << c.Screen;
    if (c.Viewer == 8) {
      ASSERT_NE(ViewerPalette(), nullptr);
      EXPECT_EQ(ViewerPalette()->Count(), 256);
    } else {
      EXPECT_EQ(ViewerPalette(), nullptr) << c.Screen;
    }
  }
  SetScreenColorDepth(saved);
}

}  // namespace
