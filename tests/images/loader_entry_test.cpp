// The loader entry: recognising formats, transparency kinds and masks, and turning
// every failure into a missing image.
#include "images/image_loader.h"
#include "png_oracle.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Corpus(const std::string& Name) { return ReadFileBytes(CorpusPath(Name)); }

TLoadedImage Load(const std::vector<uint8_t>& Data, int& Transparent, std::string* Error = nullptr) {
  return LoadImageFromMemory(Data.data(), Data.size(), Transparent, 24, Error);
}

}  // namespace

TEST(LoaderFormats, FirstBytesNameTheFormat) {
  struct {
    std::vector<uint8_t> Header;
    int Format;
  } cases[] = {
      {{'B', 'M', 0, 0}, ifBMP},
      {{'G', 'I', 'F', '8', '7', 'a'}, ifGIF87},
      {{'G', 'I', 'F', '8', '9', 'a'}, ifGIF89},
      {{'G', 'I', 'F', '8'}, ifGIF87},
      {{'g', 'i', 'f', '8', '9', 'a'}, ifGIF89},
      {{'G', 'i', 'f', '8', '7', 'A'}, ifGIF87},
      {{'G', 'I', 'F', 'x'}, ifNone},
      {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, ifPNG},
      {{0xFF, 0xD8, 0xFF, 0xE0}, ifJPEG},
      {{0xFF, 0xD9}, ifNone},
      {{'G', 'I', 'F', '7'}, ifNone},
      {{'B'}, ifNone},
      {{}, ifNone},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Format, GetImageFormat(c.Header.data(), c.Header.size()));
}

// The GIF reader takes its signature in any case, and the loader hands it such files.
TEST(LoaderFormats, GifSignatureInAnyCaseDecodes) {
  for (const char* signature : {"GIF89a", "gif89a", "Gif87A"}) {
    std::vector<uint8_t> gif(signature, signature + 6);
    gif.insert(gif.end(), {2, 0, 1, 0, 0x80, 0, 0,            // 2 x 1, a table of 2
                           0xFF, 0, 0, 0, 0, 0xFF,            // red, blue
                           0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0,   // the image, 2 x 1
                           2, 2, 0x44, 0x0A, 0, 0x3B});       // clear, 0, 1, end
    int transparent = tkNone;
    std::string error;
    TLoadedImage image = Load(gif, transparent, &error);
    ASSERT_FALSE(image.Missing()) << signature << ": " << error;
    EXPECT_EQ(image.Bitmap.PixelColor(0, 0), clRed) << signature;
    EXPECT_EQ(image.Bitmap.PixelColor(1, 0), clBlue) << signature;
  }
}

TEST(LoaderFormats, ShortOrUnknownDataGivesNoImageAndNoError) {
  std::vector<uint8_t> png = Corpus("png/pngsuite/basn2c08.png");
  int transparent = tkNone;
  std::string error;
  EXPECT_TRUE(Load(std::vector<uint8_t>(png.begin(), png.begin() + 19), transparent, &error).Missing());
  // A valid signature and the start of the header, nothing more.
  EXPECT_TRUE(Load(std::vector<uint8_t>(png.begin(), png.begin() + 20), transparent, &error).Missing());
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(Load(std::vector<uint8_t>(64, 'x'), transparent, &error).Missing());
  EXPECT_EQ("Unrecognised image data.", error);
  EXPECT_TRUE(LoadImageFromMemory(nullptr, 100, transparent, 24).Missing());
  EXPECT_TRUE(LoadImageDataFromFile(CorpusPath("png/no-such-file.png"), transparent, 24).Missing());
}

TEST(LoaderFormats, EachFormatDecodesThroughTheEntry) {
  struct {
    const char* File;
    int Width, Height;
  } cases[] = {
      {"png/pngsuite/basn2c08.png", 32, 32},
      {"jpeg/libjpeg-turbo/testorig.jpg", 227, 149},
      {"gif/pygif-test-suite/gif87a.gif", 0, 0},
  };
  for (const auto& c : cases) {
    int transparent = tkNone;
    std::string error;
    TLoadedImage image = LoadImageDataFromFile(CorpusPath(c.File), transparent, 24, &error);
    ASSERT_FALSE(image.Missing()) << c.File << ": " << error;
    if (c.Width) {
      EXPECT_EQ(c.Width, image.Bitmap.Width()) << c.File;
      EXPECT_EQ(c.Height, image.Bitmap.Height()) << c.File;
    }
    EXPECT_TRUE(image.Mask.Empty()) << c.File;
    EXPECT_EQ(tkNone, transparent) << c.File;
  }
}

TEST(LoaderTransparency, PngWithTransparencyChunkReportsKindThreeAndAMask) {
  for (const char* name : {"tbbn3p08.png", "tbrn2c08.png", "tbbn0g04.png", "tp1n3p08.png"}) {
    int transparent = tkNone;
    TLoadedImage image = Load(Corpus(std::string("png/pngsuite/") + name), transparent);
    EXPECT_EQ(tkPng, transparent) << name;
    ASSERT_FALSE(image.Mask.Empty()) << name;
    EXPECT_EQ(image.Bitmap.Width(), image.Mask.Width());
  }
  // Asking for a lower-left mask does not override the file's own.
  int transparent = tkLowerLeft;
  Load(Corpus("png/pngsuite/tbrn2c08.png"), transparent);
  EXPECT_EQ(tkPng, transparent);
}

// Above 8 bits a picture with alpha keeps it, without a mask, whatever was asked; at 8
// bits and fewer the alpha goes, and what a tRNS chunk makes clear is masked as before.
TEST(LoaderTransparency, AlphaStaysAboveEightBitsAndGivesWayToTheMaskBelow) {
  const std::vector<uint8_t> halfClear = HalfClearPalettePng();
  const struct {
    std::vector<uint8_t> Data;
    const char* Name;
    int Bits, Request, Kind;
    bool Alpha, Mask;
  } cases[] = {
      {Corpus("png/pngsuite/basn6a08.png"), "basn6a08", 24, tkNone, tkAlpha, true, false},
      {Corpus("png/pngsuite/basn6a08.png"), "basn6a08", 24, tkLowerLeft, tkAlpha, true, false},
      {Corpus("png/pngsuite/basn4a08.png"), "basn4a08", 24, tkNone, tkAlpha, true, false},
      {halfClear, "half clear palette", 24, tkNone, tkAlpha, true, false},
      {Corpus("png/pngsuite/basn6a08.png"), "basn6a08", 8, tkNone, tkNone, false, false},
      {Corpus("png/pngsuite/basn6a08.png"), "basn6a08", 4, tkNone, tkNone, false, false},
      {halfClear, "half clear palette", 8, tkNone, tkPng, false, true},
      {Corpus("png/pngsuite/tbbn3p08.png"), "tbbn3p08", 24, tkNone, tkPng, false, true},
  };
  for (const auto& c : cases) {
    int transparent = c.Request;
    TLoadedImage image = LoadImageFromMemory(c.Data.data(), c.Data.size(), transparent, c.Bits);
    ASSERT_FALSE(image.Missing()) << c.Name;
    EXPECT_EQ(c.Kind, transparent) << c.Name << " at " << c.Bits;
    EXPECT_EQ(c.Alpha, !image.Bitmap.FAlpha.empty()) << c.Name << " at " << c.Bits;
    EXPECT_EQ(c.Mask, !image.Mask.Empty()) << c.Name << " at " << c.Bits;
  }
}

TEST(LoaderTransparency, LowerLeftMaskMarksThatPixelsColour) {
  int transparent = tkLowerLeft;
  TLoadedImage image = Load(Corpus("png/pngsuite/basn3p04.png"), transparent);
  EXPECT_EQ(tkLowerLeft, transparent);
  ASSERT_FALSE(image.Mask.Empty());
  TColor key = image.Bitmap.PixelColor(0, image.Bitmap.Height() - 1);
  int marked = 0;
  for (int y = 0; y < image.Bitmap.Height(); ++y)
    for (int x = 0; x < image.Bitmap.Width(); ++x) {
      bool same = image.Bitmap.PixelColor(x, y) == key;
      ASSERT_EQ(same, image.Mask.PixelIndex(x, y) == 1) << x << "," << y;
      marked += same;
    }
  EXPECT_GT(marked, 0);
  EXPECT_LT(marked, image.Bitmap.Width() * image.Bitmap.Height());
}

TEST(LoaderTransparency, JpegNeverHasAMask) {
  int transparent = tkLowerLeft;
  TLoadedImage image = Load(Corpus("jpeg/pillow/hopper.jpg"), transparent);
  EXPECT_FALSE(image.Missing());
  EXPECT_TRUE(image.Mask.Empty());
  EXPECT_EQ(tkNone, transparent);
}

TEST(LoaderTransparency, GifKeepsAnimationsAndGivesStillsTheirColourKey) {
  int transparent = tkNone;
  TLoadedImage still = Load(Corpus("gif/pygif-test-suite/transparent.gif"), transparent);
  ASSERT_FALSE(still.Missing());
  EXPECT_EQ(nullptr, still.Gif);
  EXPECT_EQ(tkSourceColor, transparent);
  EXPECT_FALSE(still.Mask.Empty());

  transparent = tkNone;
  TLoadedImage animated = Load(Corpus("gif/pygif-test-suite/animation.gif"), transparent);
  ASSERT_NE(nullptr, animated.Gif);
  EXPECT_GT(animated.Gif->FrameCount, 1);
  EXPECT_TRUE(animated.Bitmap.Empty());
}

TEST(LoaderTransparency, PngPreScanFindsTheKey) {
  struct {
    const char* File;
    bool Transparent;
    TColor Color;
  } cases[] = {
      {"tbrn2c08.png", true, RGBColor(0xFF, 0xFF, 0xFF)},
      {"tbbn0g04.png", true, RGBColor(0xFF, 0xFF, 0xFF)},  // key 15 of 4 bits
      {"tbbn3p08.png", true, clNone},
      {"basn2c08.png", false, clNone},
      {"basn6a08.png", false, clNone},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> data = Corpus(std::string("png/pngsuite/") + c.File);
    TColor color = clNone;
    EXPECT_EQ(c.Transparent, PngHasTransparency(data.data(), data.size(), color)) << c.File;
    if (c.Color != clNone) { EXPECT_EQ(c.Color, color) << c.File; }
  }
  std::vector<uint8_t> jpeg = Corpus("jpeg/pillow/hopper.jpg");
  TColor color = clNone;
  EXPECT_FALSE(PngHasTransparency(jpeg.data(), jpeg.size(), color));
  // A pre-scan over cut data stops cleanly.
  std::vector<uint8_t> png = Corpus("png/pngsuite/tbrn2c08.png");
  for (size_t length = 0; length < 80; ++length) PngHasTransparency(png.data(), length, color);
}

TEST(LoaderFormats, HeadersDeclareThePixelsThePictureDecodesTo) {
  for (const char* file : {"png/pngsuite/basn2c08.png", "jpeg/libjpeg-turbo/testorig.jpg",
                           "jpeg/libjpeg-turbo/testimgint.jpg", "bmp/bmpsuite/g/pal8os2.bmp",
                           "gif/pygif-test-suite/gif87a.gif"}) {
    const std::vector<uint8_t> data = Corpus(file);
    int transparent = tkNone;
    TLoadedImage image = Load(data, transparent);
    ASSERT_FALSE(image.Missing()) << file;
    const int64_t pixels = image.Gif ? int64_t(image.Gif->Width) * image.Gif->Height
                                     : int64_t(image.Bitmap.Width()) * image.Bitmap.Height();
    EXPECT_EQ(DeclaredImagePixels(data.data(), data.size()), pixels) << file;
    // Cut before the size: unknown, never a guess.
    EXPECT_EQ(DeclaredImagePixels(data.data(), 8), -1) << file;
  }
  const uint8_t junk[] = "not a picture at all, but long enough";
  EXPECT_EQ(DeclaredImagePixels(junk, sizeof junk), -1);
}
