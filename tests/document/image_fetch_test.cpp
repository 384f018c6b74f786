#include <gtest/gtest.h>

#include <map>

#include "document/core/image_cache_access.h"
#include "document/core/section_list.h"
#include "images/gif_image.h"
#include "tests/test_data.h"
#include "toolkit/graphics/bitmap.h"

namespace {

const std::string PngFile = TestDataPath("images/png/pngsuite/basn2c08.png");

// A cache of names to images with use counts, as the viewer's would keep them.
class TFakeCache : public TImageCacheAccess {
 public:
  struct TEntry {
    std::unique_ptr<TBitmap> Bitmap;
    std::unique_ptr<TGIFImage> Gif;
    std::unique_ptr<TBitmap> Mask;
    int Transparency = 0;
    int Uses = 0;
  };
  bool Find(const std::string& Key, TCachedImage& Entry, bool Acquire) override {
    auto it = Entries.find(Key);
    if (it == Entries.end()) return false;
    Entry = View(it->second);
    if (Acquire) ++it->second.Uses;
    return true;
  }
  TBitmap* EnsureLowerLeftMask(const std::string& Key) override {
    TEntry& e = Entries.at(Key);
    if (!e.Mask && e.Bitmap) {
      e.Bitmap->TransparentMode = tmAuto;
      e.Mask = e.Bitmap->CreateMask();
    }
    if (e.Mask) e.Transparency = 1;
    return e.Mask.get();
  }
  TCachedImage Store(const std::string& Key, std::unique_ptr<TBitmap> Bitmap,
                     std::unique_ptr<TGIFImage> Gif, std::unique_ptr<TBitmap> Mask, int Transparency,
                     bool Acquire) override {
    TEntry& e = Entries[Key];
    e.Bitmap = std::move(Bitmap);
    e.Gif = std::move(Gif);
    e.Mask = std::move(Mask);
    e.Transparency = Transparency;
    e.Uses = Acquire ? 1 : 0;
    return View(e);
  }
  void Release(const std::string& Key) override { --Entries.at(Key).Uses; }

  static TCachedImage View(const TEntry& e) {
    TCachedImage c;
    c.Image.Bitmap = e.Bitmap.get();
    c.Image.Gif = e.Gif.get();
    c.Mask = e.Mask.get();
    c.Transparency = e.Transparency;
    return c;
  }
  std::map<std::string, TEntry> Entries;
};

class ImageFetching : public ::testing::Test {
 protected:
  void SetUp() override { Doc.ImageCache = &Cache; }
  TImageRef Fetch(const std::string& Name, int Transparent = 0) {
    Transparent_ = Transparent;
    return Doc.FetchImage(Name, Transparent_, Mask, FromCache, Delayed);
  }
  TFakeCache Cache;
  TSectionList Doc{nullptr, nullptr};
  int Transparent_ = 0;
  TBitmap* Mask = nullptr;
  bool FromCache = false, Delayed = false;
};

TEST(ImageCacheKey, NamesAreUpperCasedAndTrimmed) {
  EXPECT_EQ(ImageCacheKey("  pics/a.gif\t\r\n"), "PICS/A.GIF");
  EXPECT_EQ(ImageCacheKey(" \x01 "), "");
}

TEST_F(ImageFetching, AFileIsDecodedOnceAndThenServedFromTheCache) {
  const TImageRef first = Fetch(PngFile);
  ASSERT_NE(first.Bitmap, nullptr);
  EXPECT_EQ(first.Bitmap->Width(), 32);
  EXPECT_FALSE(FromCache);
  const TImageRef second = Fetch("  " + PngFile + " ");
  EXPECT_EQ(second.Bitmap, first.Bitmap);
  EXPECT_TRUE(FromCache);
  EXPECT_EQ(Cache.Entries.at(ImageCacheKey(PngFile)).Uses, 2);
}

TEST_F(ImageFetching, NamesThatGiveNothing) {
  EXPECT_TRUE(Fetch("").Empty());
  EXPECT_TRUE(Fetch("   ").Empty());
  EXPECT_TRUE(Fetch("no/such/file.png").Empty());
  EXPECT_TRUE(Cache.Entries.empty());
}

TEST_F(ImageFetching, TheImageRequestHandlerIsAskedBeforeFiles) {
  TMemoryStream data;
  data.LoadFromFile(PngFile);
  TMemoryStream wait;
  Doc.Hooks.WaitStream = &wait;
  std::vector<std::string> asked;
  Doc.Hooks.OnImageRequest = [&](TObject*, const std::string& Name, TMemoryStream*& Stream) {
    asked.push_back(Name);
    if (Name == "data") Stream = &data;
    if (Name == "later") Stream = &wait;
  };
  Doc.Hooks.OnExpandName = [](const std::string&) { return PngFile; };
  EXPECT_FALSE(Fetch("data").Empty());
  EXPECT_TRUE(Fetch("later").Empty());
  EXPECT_TRUE(Delayed);
  // No stream: the viewer's expansion of the name is read as a file.
  EXPECT_FALSE(Fetch("expanded").Empty());
  EXPECT_EQ(asked, (std::vector<std::string>{"data", "later", "expanded"}));
}

// Pictures that would take the document past its budget of decoded pixels are not decoded;
// they stand as pictures that cannot be decoded do. Pictures already in the cache cost nothing.
TEST_F(ImageFetching, DecodedPicturesStayWithinTheDocumentsPixelBudget) {
  TMemoryStream data;
  data.LoadFromFile(PngFile);  // 32x32
  Doc.Hooks.OnImageRequest = [&](TObject*, const std::string&, TMemoryStream*& Stream) { Stream = &data; };
  Doc.MaxImagePixels = 3 * 32 * 32 + 100;
  std::vector<bool> shown;
  for (const char* name : {"a", "b", "c", "d", "e"}) shown.push_back(!Fetch(name).Empty());
  EXPECT_EQ(shown, (std::vector<bool>{true, true, true, false, false}));
  EXPECT_EQ(Doc.ImagePixels, 3 * 32 * 32);
  EXPECT_EQ(Cache.Entries.size(), 3u);
  EXPECT_FALSE(Fetch("b").Empty());
  EXPECT_TRUE(FromCache);
  // The next document starts with the whole budget.
  Doc.Clear();
  EXPECT_EQ(Doc.ImagePixels, 0);
  EXPECT_FALSE(Fetch("d").Empty());
}

TEST_F(ImageFetching, ABitmapFromTheHandlerWithAColourGetsAMask) {
  Doc.Hooks.OnBitmapRequest = [](TObject*, const std::string&, TBitmap*& Bitmap, TColor& Color) {
    Bitmap = new TBitmap(4, 4, pf24bit);
    Bitmap->Canvas().FillRect(TRect{0, 0, 4, 4}, clWhite);
    Bitmap->Canvas().FillRect(TRect{0, 0, 2, 2}, clRed);
    Color = clWhite;
  };
  const TImageRef image = Fetch("x");
  ASSERT_NE(image.Bitmap, nullptr);
  EXPECT_EQ(Transparent_, 2);
  ASSERT_NE(Mask, nullptr);
  EXPECT_EQ(Mask->Pixel(3, 3), clWhite);  // transparent
  EXPECT_EQ(Mask->Pixel(0, 0), clBlack);
  // From the cache the kind is passed on.
  Fetch("x", 0);
  EXPECT_TRUE(FromCache);
  EXPECT_EQ(Transparent_, 2);
}

TEST_F(ImageFetching, ALowerLeftMaskIsMadeForACachedImageWhenAsked) {
  ASSERT_FALSE(Fetch(PngFile).Empty());
  EXPECT_EQ(Mask, nullptr);
  Fetch(PngFile, 1);
  EXPECT_NE(Mask, nullptr);
  EXPECT_EQ(Cache.Entries.at(ImageCacheKey(PngFile)).Transparency, 1);
}

TEST_F(ImageFetching, DeliveryServesTheWaitingImagesAndTheBackground) {
  TMemoryStream wait;
  Doc.Hooks.WaitStream = &wait;
  Doc.Hooks.OnImageRequest = [&](TObject*, const std::string&, TMemoryStream*& Stream) {
    Stream = &wait;
  };
  class TWaiter : public TObject, public TDocImage {
   public:
    void SetHoverState(THoverState) override {}
    bool ReplaceImage(TMemoryStream*) override { return ++Calls, Resizes; }
    void DrawDeferred(TCanvas*, const TPaintContext&, int, int, int, TDocFontRun*) override {}
    int Calls = 0;
    bool Resizes = false;
  };
  TWaiter sized, same;
  sized.Resizes = true;
  Doc.SetBackgroundImageName("pic.png");
  EXPECT_EQ(Doc.LoadBackgroundImage(), nullptr);
  EXPECT_TRUE(Doc.BackImageLoaded);
  Doc.PendingImages.AddObject("PIC.PNG", &sized);
  Doc.PendingImages.AddObject("OTHER.PNG", &same);
  Doc.PendingImages.AddObject("PIC.PNG", &same);
  ASSERT_EQ(Doc.PendingImages.Count(), 4);

  TMemoryStream data;
  data.LoadFromFile(PngFile);
  bool reformat = true;
  Doc.DeliverImage("other.png", nullptr, reformat);  // no data: nothing happens
  EXPECT_FALSE(reformat);
  EXPECT_EQ(Doc.PendingImages.Count(), 4);
  Doc.DeliverImage("pic.png", &data, reformat);
  EXPECT_TRUE(reformat);
  EXPECT_EQ(sized.Calls, 1);
  EXPECT_EQ(same.Calls, 1);
  EXPECT_FALSE(Doc.BackImageLoaded);  // the background will be fetched again
  ASSERT_EQ(Doc.PendingImages.Count(), 1);
  EXPECT_EQ(Doc.PendingImages[0], "OTHER.PNG");
  EXPECT_EQ(Cache.Entries.at("PIC.PNG").Uses, 0);  // delivered without holding a use
  // Now the background comes from the cache and holds a use until the document is cleared.
  ASSERT_NE(Doc.LoadBackgroundImage(), nullptr);
  EXPECT_EQ(Cache.Entries.at("PIC.PNG").Uses, 1);
  Doc.Clear();
  EXPECT_EQ(Cache.Entries.at("PIC.PNG").Uses, 0);
  EXPECT_EQ(Doc.BackImage, nullptr);
}

TEST_F(ImageFetching, BackgroundImagesAreNotFetchedWhenImagesAreOff) {
  int asked = 0;
  Doc.Hooks.OnImageRequest = [&](TObject*, const std::string&, TMemoryStream*&) { ++asked; };
  Doc.ImagesOn = false;
  Doc.SetBackgroundImageName(PngFile);
  EXPECT_EQ(Doc.LoadBackgroundImage(), nullptr);
  EXPECT_FALSE(Doc.BackImageLoaded);
  Doc.ImagesOn = true;
  Doc.Hooks.OnImageRequest = nullptr;
  ASSERT_NE(Doc.LoadBackgroundImage(), nullptr);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(Doc.BackImage->Width(), 32);
}

}  // namespace
