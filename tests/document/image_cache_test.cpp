#include "document/images/image_cache.h"

#include <gtest/gtest.h>

#include "images/gif_image.h"

namespace {

std::unique_ptr<TBitmap> Pixel(TColor Color) {
  auto b = std::make_unique<TBitmap>(2, 2);
  b->Canvas().FillRect(TRect{0, 0, 2, 2}, Color);
  return b;
}

TEST(ImageCache, StoresSortedAndCountsUses) {
  TStringBitmapList cache;
  EXPECT_EQ(cache.MaxCache(), 4);
  cache.Store("B.GIF", Pixel(clRed), nullptr, nullptr, 0, true);
  cache.Store("A.GIF", Pixel(clBlue), nullptr, nullptr, 2, false);
  TCachedImage entry;
  ASSERT_TRUE(cache.Find("A.GIF", entry, false));
  EXPECT_EQ(entry.Transparency, 2);
  EXPECT_NE(entry.Image.Bitmap, nullptr);
  EXPECT_FALSE(cache.Find("a.gif", entry, false));  // keys arrive normalised
  EXPECT_EQ(cache.Item("B.GIF")->FUseCount, 1);
  EXPECT_EQ(cache.Item("A.GIF")->FUseCount, 0);
  cache.Find("A.GIF", entry, true);
  EXPECT_EQ(cache.Item("A.GIF")->FUseCount, 1);
  cache.Release("A.GIF");
  cache.Release("NOT THERE");
  EXPECT_EQ(cache.Item("A.GIF")->FUseCount, 0);
  // Nothing to store is refused.
  EXPECT_TRUE(cache.Store("C.GIF", nullptr, nullptr, nullptr, 0, true).Image.Empty());
  EXPECT_EQ(cache.Count(), 2);
}

TEST(ImageCache, StoringUnderATakenKeyReplacesTheImageKeepingItsUsers) {
  TStringBitmapList cache;
  cache.Store("X", Pixel(clRed), nullptr, nullptr, 0, true);
  TCachedImage second = cache.Store("X", Pixel(clBlue), nullptr, nullptr, 3, true);
  EXPECT_EQ(cache.Count(), 1);
  EXPECT_EQ(second.Transparency, 3);
  EXPECT_EQ(cache.Item("X")->FUseCount, 2);
}

TEST(ImageCache, AnUnusedImageSurvivesTheLimitInLoadsAndNoMore) {
  // With a limit of 5, an image shown in document 1 and absent from the next five is
  // decoded again for document 7; one still in use is never freed.
  TStringBitmapList cache;
  cache.SetCacheCount(5);
  cache.Store("OLD", Pixel(clRed), nullptr, nullptr, 0, true);
  cache.Store("HELD", Pixel(clRed), nullptr, nullptr, 0, true);
  cache.Release("OLD");  // document 1 goes away
  for (int load = 2; load <= 6; ++load) {
    cache.Age();
    EXPECT_NE(cache.Item("OLD"), nullptr) << load;
  }
  cache.Age();  // document 7
  EXPECT_EQ(cache.Item("OLD"), nullptr);
  EXPECT_NE(cache.Item("HELD"), nullptr);
  for (int i = 0; i < 30; ++i) cache.Age();
  EXPECT_NE(cache.Item("HELD"), nullptr);
}

TEST(ImageCache, UsingAnImageAgainResetsItsAge) {
  TStringBitmapList cache;
  cache.SetCacheCount(1);
  cache.Store("A", Pixel(clRed), nullptr, nullptr, 0, false);
  cache.Age();
  TCachedImage entry;
  cache.Find("A", entry, true);
  cache.Release("A");
  cache.Age();
  EXPECT_NE(cache.Item("A"), nullptr);
  cache.Age();
  EXPECT_EQ(cache.Item("A"), nullptr);
}

TEST(ImageCache, LoweringTheCountFreesOldUnusedEntriesAtOnce) {
  TStringBitmapList cache;
  cache.SetCacheCount(20);
  cache.Store("OLD", Pixel(clRed), nullptr, nullptr, 0, false);
  cache.Store("USED", Pixel(clRed), nullptr, nullptr, 0, true);
  for (int i = 0; i < 3; ++i) cache.Age();
  cache.Store("NEW", Pixel(clRed), nullptr, nullptr, 0, false);
  cache.SetCacheCount(2);
  EXPECT_EQ(cache.Item("OLD"), nullptr);
  EXPECT_NE(cache.Item("USED"), nullptr);
  EXPECT_NE(cache.Item("NEW"), nullptr);
  EXPECT_EQ(cache.MaxCache(), 2);
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0);
}

TEST(ImageCache, LowerLeftMaskIsMadeOnceAndMarksTheEntry) {
  TStringBitmapList cache;
  auto b = std::make_unique<TBitmap>(4, 4);
  b->Canvas().FillRect(TRect{0, 0, 4, 4}, clWhite);
  b->Canvas().FillRect(TRect{1, 1, 3, 3}, clRed);
  cache.Store("M", std::move(b), nullptr, nullptr, 0, false);
  TBitmap* mask = cache.EnsureLowerLeftMask("M");
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(cache.EnsureLowerLeftMask("M"), mask);
  EXPECT_EQ(cache.Item("M")->FTransparency, 1);
  EXPECT_EQ(cache.EnsureLowerLeftMask("NONE"), nullptr);
}

TEST(ImageCache, AnimatedImagesAreHandedOutAsImagesNotBitmaps) {
  TStringBitmapList cache;
  TCachedImage entry =
      cache.Store("G", Pixel(clRed), std::make_unique<TGIFImage>(), nullptr, 0, false);
  EXPECT_NE(entry.Image.Gif, nullptr);
  EXPECT_EQ(entry.Image.Bitmap, nullptr);
}

}  // namespace
