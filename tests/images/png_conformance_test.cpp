// Every file of the PNG suite against libpng, and the corrupt and broken files.
#include "images/png_image.h"
#include "png_oracle.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The whole suite's files, valid or corrupt (named x...).
std::vector<std::string> SuiteFiles(bool Corrupt) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(SharedCorpusPath("images/png/pngsuite"))) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".png") continue;
    if ((name[0] == 'x') == Corrupt) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The raster's alpha against libpng's: an image with an alpha channel, or with a pixel
// neither clear nor opaque, has it, and where there is one it is libpng's exactly.
void ExpectAlphaAsLibpng(const TOraclePicture& Oracle, const TPNGImage& Image, const std::string& Name) {
  const std::vector<uint8_t>& alpha = Image.Bitmap().FAlpha;
  bool partial = false;
  for (size_t i = 3; i < Oracle.Rgba.size(); i += 4) partial |= Oracle.Rgba[i] != 0 && Oracle.Rgba[i] != 255;
  if (Oracle.ColorType == 4 || Oracle.ColorType == 6 || partial) {
    EXPECT_FALSE(alpha.empty()) << Name;
  }
  if (alpha.empty()) return;
  ASSERT_EQ(alpha.size(), size_t(Oracle.Width) * size_t(Oracle.Height)) << Name;
  for (size_t i = 0; i < alpha.size(); ++i)
    if (alpha[i] != Oracle.Rgba[4 * i + 3]) {
      ADD_FAILURE() << Name << " alpha of pixel " << i << ": " << int(alpha[i]) << ", not "
                    << int(Oracle.Rgba[4 * i + 3]);
      return;
    }
}

// Compares our pixels with libpng's, gamma applied to libpng's output the way the
// reader applies gAMA, and the alpha. With tRNS the mask must hold exactly the
// pixels libpng makes fully transparent.
void ExpectSameAsLibpng(const std::vector<uint8_t>& Data, const std::string& Name) {
  TOraclePicture oracle = DecodeWithLibpng(Data);
  TPNGImage image;
  ASSERT_NO_THROW(image.LoadFromMemory(Data.data(), Data.size())) << Name;
  ASSERT_EQ(oracle.Width, image.Width()) << Name;
  ASSERT_EQ(oracle.Height, image.Height()) << Name;
  ExpectAlphaAsLibpng(oracle, image, Name);
  std::vector<uint8_t> gamma(256);
  for (int i = 0; i < 256; ++i) gamma[size_t(i)] = uint8_t(i);
  if (oracle.HasGamma) gamma = DisplayGammaTable(oracle.FileGamma);
  bool masked = oracle.HasTrns && oracle.ColorType != 4 && oracle.ColorType != 6;
  EXPECT_EQ(masked, !image.Mask().Empty()) << Name;
  int mismatches = 0;
  for (int y = 0; y < oracle.Height && mismatches < 5; ++y)
    for (int x = 0; x < oracle.Width && mismatches < 5; ++x) {
      const uint8_t* p = oracle.Rgba.data() + (size_t(y) * oracle.Width + x) * 4;
      TColor expected = RGBColor(gamma[p[0]], gamma[p[1]], gamma[p[2]]);
      TColor actual = image.Bitmap().PixelColor(x, y);
      if (expected != actual) {
        ++mismatches;
        ADD_FAILURE() << Name << " pixel " << x << "," << y << std::hex << " expected " << expected
                      << " got " << actual;
      }
      if (masked && (p[3] == 0) != (image.Mask().PixelIndex(x, y) == 1)) {
        ++mismatches;
        ADD_FAILURE() << Name << " mask at " << x << "," << y;
      }
    }
}

}  // namespace

TEST(PngConformance, EveryValidSuiteFileDecodesToLibpngPixels) {
  SKIP_WITHOUT_SHARED_CORPUS("images/png/pngsuite");
  std::vector<std::string> files = SuiteFiles(false);
  ASSERT_GT(files.size(), 150u);
  for (const std::string& name : files)
    ExpectSameAsLibpng(ReadFileBytes(SharedCorpusPath("images/png/pngsuite/" + name)), name);
}

TEST(PngConformance, EveryCorruptSuiteFileIsRejected) {
  SKIP_WITHOUT_SHARED_CORPUS("images/png/pngsuite");
  std::vector<std::string> files = SuiteFiles(true);
  ASSERT_EQ(14u, files.size());
  for (const std::string& name : files) {
    std::vector<uint8_t> data = ReadFileBytes(SharedCorpusPath("images/png/pngsuite/" + name));
    TPNGImage image;
    EXPECT_THROW(image.LoadFromMemory(data.data(), data.size()), EPNGImageException) << name;
  }
}

TEST(PngConformance, BitDepthsMapToBitmapFormats) {
  struct {
    const char* File;
    int Bits;
    size_t PaletteSize;
  } cases[] = {
      {"basn0g01.png", 1, 2},   {"basn0g02.png", 4, 16},  {"basn0g04.png", 4, 16},
      {"basn0g08.png", 8, 256}, {"basn0g16.png", 8, 256}, {"basn3p02.png", 4, 16},
      {"basn3p08.png", 8, 256}, {"basn2c16.png", 24, 0},  {"basn4a16.png", 8, 256},
      {"basn6a08.png", 24, 0},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> data = ReadFileBytes(CorpusPath(std::string("png/pngsuite/") + c.File));
    TPNGImage image;
    image.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(c.Bits, image.Bitmap().BitsPerPixel()) << c.File;
    EXPECT_EQ(c.PaletteSize, image.Bitmap().FPalette.size()) << c.File;
  }
}

TEST(PngConformance, TwoBitGreyUsesFourLevelsThroughSixteenEntries) {
  // One row of the four levels 0, 1, 2, 3 (no gAMA).
  std::vector<uint8_t> data = TPngWriter().Header(4, 1, 2, 0).Data({0, 0x1B}).End().Bytes();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  ASSERT_EQ(16u, image.Bitmap().FPalette.size());
  for (int v = 0; v < 4; ++v) {
    EXPECT_EQ(5 * v, image.Bitmap().PixelIndex(v, 0));
    EXPECT_EQ(RGBColor(85 * v, 85 * v, 85 * v), image.Bitmap().PixelColor(v, 0));
  }
}

TEST(PngConformance, AlphaImagesAreOpaqueWithoutMask) {
  for (const char* name : {"basn4a08.png", "basn6a08.png", "basn6a16.png", "basi6a08.png"}) {
    std::vector<uint8_t> data = ReadFileBytes(CorpusPath(std::string("png/pngsuite/") + name));
    TPNGImage image;
    image.LoadFromMemory(data.data(), data.size());
    EXPECT_TRUE(image.Mask().Empty()) << name;
    EXPECT_FALSE(image.Transparent()) << name;
  }
}

// Alpha channels, of grey and of colour pictures, interlaced or not, and palette entries
// neither clear nor opaque, come with the raster.
TEST(PngConformance, AlphaComesWithTheRaster) {
  for (const char* name : {"basn4a08.png", "basn4a16.png", "basn6a08.png", "basn6a16.png",
                           "basi6a08.png", "tbbn3p08.png", "tp1n3p08.png", "basn2c08.png"}) {
    std::vector<uint8_t> data = ReadFileBytes(CorpusPath(std::string("png/pngsuite/") + name));
    TPNGImage image;
    image.LoadFromMemory(data.data(), data.size());
    ExpectAlphaAsLibpng(DecodeWithLibpng(data), image, name);
  }
  // A palette whose tRNS gives an entry half opacity.
  std::vector<uint8_t> data = HalfClearPalettePng();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  EXPECT_EQ(image.Bitmap().FAlpha, (std::vector<uint8_t>{255, 0, 128}));
}

TEST(PngConformance, PillowFilesDecodeOrFailCleanly) {
  std::vector<uint8_t> hopper = ReadFileBytes(CorpusPath("png/pillow/hopper.png"));
  ExpectSameAsLibpng(hopper, "hopper.png");
  for (const char* name : {"broken.png", "broken_data_stream.png", "truncated_image.png"}) {
    std::vector<uint8_t> data = ReadFileBytes(CorpusPath(std::string("png/pillow/") + name));
    TPNGImage image;
    EXPECT_THROW(image.LoadFromMemory(data.data(), data.size()), EPNGImageException) << name;
  }
  // Only the IEND chunk is cut: the image itself is whole.
  std::vector<uint8_t> data = ReadFileBytes(CorpusPath("png/pillow/truncated_end_chunk.png"));
  TPNGImage image;
  EXPECT_NO_THROW(image.LoadFromMemory(data.data(), data.size()));
  EXPECT_GT(image.Width(), 0);
}
