// GIF pictures handed to drawing as toolkit bitmaps with their masks.
#include <gtest/gtest.h>

#include "images/gif_bitmap.h"
#include "tests/images/gif_test_files.h"

TEST(GifBitmap, FramesBecomeBitmapsWithMasksWhereThePageShows) {
  TGifWriter W;
  W.Header(3, 1, 4).Control(1, 10, 0).Image(0, 0, 3, 1, {0, 1, 2}).Control(1, 10).Image(1, 0, 1, 1, {3}).Trailer();
  auto Image = ReadGifImage(W.Bytes.data(), W.Bytes.size());
  std::unique_ptr<TBitmap> Mask;
  auto First = FirstFrameToBitmap(*Image, Mask);
  ASSERT_NE(First, nullptr);
  ASSERT_NE(Mask, nullptr);
  EXPECT_EQ(First->Width(), 3);
  EXPECT_EQ(First->Pixel(1, 0), TColor(WriterColor(1)));
  EXPECT_EQ(Mask->Pixel(0, 0), clWhite);  // transparent index: the page shows
  EXPECT_EQ(Mask->Pixel(1, 0), clBlack);

  Image->ShowFrame(2);
  auto Second = CurrentFrameBitmap(*Image, Mask);
  ASSERT_NE(Mask, nullptr);
  EXPECT_EQ(Second->Pixel(1, 0), TColor(WriterColor(3)));
  EXPECT_EQ(Second->Pixel(2, 0), TColor(WriterColor(2)));
  EXPECT_EQ(Mask->Pixel(0, 0), clWhite);
  EXPECT_EQ(Mask->Pixel(2, 0), clBlack);

  TGifWriter Opaque;
  Opaque.Header(1, 1, 2).Image(0, 0, 1, 1, {1}).Trailer();
  auto Plain = ReadGifImage(Opaque.Bytes.data(), Opaque.Bytes.size());
  EXPECT_NE(CurrentFrameBitmap(*Plain, Mask), nullptr);
  EXPECT_EQ(Mask, nullptr);
}
