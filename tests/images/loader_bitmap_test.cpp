// Rasters as toolkit bitmaps, BMP through the entry, and reduction for palette displays.
#include "images/dither.h"
#include "images/image_bitmap.h"
#include "png_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

TLoadedImage LoadFile(const std::string& Name, int ScreenBits, int& Transparent) {
  std::string error;
  TLoadedImage image = LoadImageDataFromFile(CorpusPath(Name), Transparent, ScreenBits, &error);
  EXPECT_FALSE(image.Missing()) << Name << ": " << error;
  return image;
}

bool InTable(const TColorTable& Table, TColor C) { return std::find(Table.begin(), Table.end(), C) != Table.end(); }

}  // namespace

TEST(LoaderBitmaps, RastersBecomeBitmapsWithTheSamePixels) {
  for (const char* name : {"basn0g01.png", "basn3p02.png", "basn3p04.png", "basn3p08.png", "basn2c08.png"}) {
    int transparent = tkNone;
    TLoadedImage image = LoadFile(std::string("png/pngsuite/") + name, 24, transparent);
    std::unique_ptr<TBitmap> bitmap = ImageToBitmap(image.Bitmap);
    ASSERT_NE(nullptr, bitmap) << name;
    for (int y = 0; y < image.Bitmap.Height(); ++y)
      for (int x = 0; x < image.Bitmap.Width(); ++x)
        ASSERT_EQ(image.Bitmap.PixelColor(x, y), bitmap->Pixel(x, y)) << name << " at " << x << "," << y;
    TImageBuffer back = BitmapToImage(*bitmap);
    EXPECT_EQ(image.Bitmap.BitsPerPixel(), back.BitsPerPixel()) << name;
    EXPECT_EQ(image.Bitmap.PixelColor(3, 5), back.PixelColor(3, 5)) << name;
  }
}

TEST(LoaderBitmaps, GoodBmpFilesDecodeThroughTheEntry) {
  SKIP_WITHOUT_SHARED_CORPUS("images/bmp/bmpsuite/g");
  int decoded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SharedCorpusPath("images/bmp/bmpsuite/g"))) {
    if (entry.path().extension() != ".bmp") continue;
    std::vector<uint8_t> data = ReadFileBytes(entry.path().string());
    TBitmap reference;
    reference.LoadFromMemory(data.data(), data.size());
    int transparent = tkNone;
    TLoadedImage image = LoadImageFromMemory(data.data(), data.size(), transparent, 24);
    ASSERT_FALSE(image.Missing()) << entry.path();
    ASSERT_EQ(reference.Width(), image.Bitmap.Width()) << entry.path();
    ASSERT_EQ(reference.Height(), image.Bitmap.Height()) << entry.path();
    for (int y = 0; y < reference.Height(); y += 7)
      for (int x = 0; x < reference.Width(); x += 5)
        ASSERT_EQ(reference.Pixel(x, y), image.Bitmap.PixelColor(x, y)) << entry.path() << " " << x << "," << y;
    ++decoded;
  }
  EXPECT_GT(decoded, 20);
  // A bad one is missing, not an error.
  std::vector<uint8_t> bad = ReadFileBytes(SharedCorpusPath("images/bmp/bmpsuite/g/pal8.bmp"));
  bad.resize(60);
  int transparent = tkNone;
  EXPECT_TRUE(LoadImageFromMemory(bad.data(), bad.size(), transparent, 24).Missing());
}

TEST(LoaderBitmaps, StreamLoaderGivesBitmapAndMask) {
  TMemoryStream stream;
  stream.LoadFromFile(CorpusPath("png/pngsuite/tbrn2c08.png"));
  int transparent = tkNone;
  std::unique_ptr<TBitmap> mask;
  std::unique_ptr<TBitmap> bitmap = LoadImageFromStream(&stream, transparent, mask, 24);
  ASSERT_NE(nullptr, bitmap);
  EXPECT_EQ(tkPng, transparent);
  ASSERT_NE(nullptr, mask);
  EXPECT_EQ(pf1bit, mask->PixelFormat());
  int clear = 0;
  for (int y = 0; y < mask->Height(); ++y)
    for (int x = 0; x < mask->Width(); ++x) clear += mask->Pixel(x, y) == clWhite;
  EXPECT_GT(clear, 0);

  TMemoryStream shortStream;
  shortStream.Write(stream.Memory(), 19);
  EXPECT_EQ(nullptr, LoadImageFromStream(&shortStream, transparent, mask, 24));
  EXPECT_EQ(nullptr, mask);
  EXPECT_EQ(nullptr, LoadImageFromFile(CorpusPath("png/none.png"), transparent, mask, 24));
}

TEST(LoaderDisplay, EightBitDisplayGetsSharedPaletteColours) {
  for (const char* name : {"jpeg/pillow/hopper.jpg", "png/pngsuite/basn2c08.png", "png/pngsuite/basn3p04.png"}) {
    int transparent = tkNone;
    TLoadedImage image = LoadFile(name, 8, transparent);
    ASSERT_EQ(8, image.Bitmap.BitsPerPixel()) << name;
    for (int y = 0; y < image.Bitmap.Height(); y += 3)
      for (int x = 0; x < image.Bitmap.Width(); x += 3)
        ASSERT_TRUE(InTable(SharedPalette(), image.Bitmap.PixelColor(x, y))) << name << " " << x << "," << y;
  }
}

TEST(LoaderDisplay, FourBitDisplayGetsSystemColours) {
  int transparent = tkNone;
  TLoadedImage image = LoadFile("jpeg/pillow/hopper.jpg", 4, transparent);
  ASSERT_EQ(8, image.Bitmap.BitsPerPixel());
  for (int y = 0; y < image.Bitmap.Height(); y += 3)
    for (int x = 0; x < image.Bitmap.Width(); x += 3)
      ASSERT_TRUE(InTable(SystemDefaultColors(), image.Bitmap.PixelColor(x, y))) << x << "," << y;
}
