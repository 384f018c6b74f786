// The PNG reader's handling of chunk structure, transparency, gamma and bad input.
#include "images/png_image.h"
#include "png_oracle.h"

#include <gtest/gtest.h>

namespace {

std::string LoadError(const std::vector<uint8_t>& Data) {
  TPNGImage image;
  try {
    image.LoadFromMemory(Data.data(), Data.size());
  } catch (const EPNGImageException& e) {
    EXPECT_EQ("Portable Network Graphics format handler error\r\n\r\n" + e.Detail(), e.Message);
    return e.Detail();
  }
  return "";
}

// A 2 x 2 RGB image: red, green / blue, white.
std::vector<uint8_t> SmallRgbRows() {
  return {0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255};
}

}  // namespace

TEST(PngChunks, SignatureMustBeExact) {
  std::vector<uint8_t> data = TPngWriter().Header(2, 2, 8, 2).Data(SmallRgbRows()).End().Bytes();
  for (size_t i = 0; i < 8; ++i) {
    std::vector<uint8_t> bad = data;
    bad[i] ^= 0x20;
    EXPECT_EQ(PNGInvalidHeader, LoadError(bad)) << "byte " << i;
  }
  EXPECT_EQ(PNGInvalidHeader, LoadError({0x89, 'P', 'N', 'G'}));
  EXPECT_EQ(PNGInvalidHeader, LoadError({}));
}

TEST(PngChunks, FlippedBitInAnyChunkFailsTheCrc) {
  std::vector<uint8_t> data = TPngWriter().Header(2, 2, 8, 2).Data(SmallRgbRows()).End().Bytes();
  // Every byte after the signature except the length fields: type, data or CRC.
  size_t pos = 8;
  while (pos < data.size()) {
    uint32_t length = (uint32_t(data[pos]) << 24) | (data[pos + 1] << 16) | (data[pos + 2] << 8) | data[pos + 3];
    for (size_t i = pos + 4; i < pos + 12 + length; ++i) {
      std::vector<uint8_t> bad = data;
      bad[i] ^= 0x01;
      std::string error = LoadError(bad);
      // A flipped case bit can also turn a known type into an unknown critical one.
      EXPECT_TRUE(error == PNGCrcError || error == PNGUnknownCritical) << "byte " << i << ": " << error;
    }
    pos += 12 + length;
  }
}

TEST(PngChunks, UnknownChunksAreSkippedUnlessCritical) {
  auto build = [](const char* Type) {
    return TPngWriter().Header(2, 2, 8, 2).Chunk(Type, {1, 2, 3}).Data(SmallRgbRows()).End().Bytes();
  };
  EXPECT_EQ("", LoadError(build("abCD")));
  EXPECT_EQ("", LoadError(build("tEXt")));
  EXPECT_EQ(PNGUnknownCritical, LoadError(build("ABCD")));
}

TEST(PngChunks, StructuralErrorsHaveTheirMessages) {
  struct {
    const char* Name;
    std::vector<uint8_t> Data;
    std::string Error;
  } cases[] = {
      {"no IHDR first", TPngWriter().Chunk("gAMA", {0, 0, 0xB1, 0x8F}).Header(2, 2, 8, 2).Data(SmallRgbRows()).End().Bytes(), PNGMissingIHDR},
      {"only a signature", TPngWriter().Bytes(), PNGMissingIHDR},
      {"no IDAT", TPngWriter().Header(2, 2, 8, 2).End().Bytes(), PNGNoImageData},
      {"palette without PLTE", TPngWriter().Header(2, 1, 8, 3).Data({0, 0, 0}).End().Bytes(), PNGMissingPalette},
      {"PLTE of 4 bytes", TPngWriter().Header(2, 1, 8, 3).Chunk("PLTE", {1, 2, 3, 4}).Data({0, 0, 0}).End().Bytes(), PNGInvalidPalette},
      {"colour type 5", TPngWriter().Header(2, 2, 8, 5).Data(SmallRgbRows()).End().Bytes(), PNGUnknownColorType},
      {"RGB at depth 4", TPngWriter().Header(2, 2, 4, 2).Data(SmallRgbRows()).End().Bytes(), PNGInvalidIHDR},
      {"width 0", TPngWriter().Header(0, 2, 8, 2).Data(SmallRgbRows()).End().Bytes(), PNGInvalidIHDR},
      {"interlace 2", TPngWriter().Header(2, 2, 8, 2, 2).Data(SmallRgbRows()).End().Bytes(), PNGUnknownInterlace},
      {"filter type 5", TPngWriter().Header(1, 1, 8, 0).Data({5, 7}).End().Bytes(), PNGUnknownFilter},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Error, LoadError(c.Data)) << c.Name;
}

TEST(PngChunks, ImageDataSplitOverChunksDecodesAsOne) {
  std::vector<uint8_t> z = TPngWriter::Compress(SmallRgbRows());
  TPngWriter writer;
  writer.Header(2, 2, 8, 2);
  for (size_t i = 0; i < z.size(); i += 3)
    writer.Chunk("IDAT", std::vector<uint8_t>(z.begin() + long(i), z.begin() + long(std::min(z.size(), i + 3))));
  std::vector<uint8_t> data = writer.End().Bytes();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  EXPECT_EQ(clRed, image.Bitmap().PixelColor(0, 0));
  EXPECT_EQ(clLime, image.Bitmap().PixelColor(1, 0));
  EXPECT_EQ(clBlue, image.Bitmap().PixelColor(0, 1));
  EXPECT_EQ(clWhite, image.Bitmap().PixelColor(1, 1));
}

TEST(PngTransparency, RgbKeyMakesThatColourTransparent) {
  std::vector<uint8_t> data =
      TPngWriter().Header(2, 2, 8, 2).Chunk("tRNS", {0, 0, 0, 0, 0, 255}).Data(SmallRgbRows()).End().Bytes();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  ASSERT_TRUE(image.Transparent());
  EXPECT_EQ(clBlue, image.TransparentColor());
  EXPECT_EQ(0, image.Mask().PixelIndex(0, 0));
  EXPECT_EQ(0, image.Mask().PixelIndex(1, 0));
  EXPECT_EQ(1, image.Mask().PixelIndex(0, 1));
  EXPECT_EQ(0, image.Mask().PixelIndex(1, 1));
}

TEST(PngTransparency, KeyColourIsGammaCorrectedLikeThePixels) {
  std::vector<uint8_t> data = TPngWriter()
                                  .Header(2, 2, 8, 2)
                                  .Chunk("gAMA", {0, 0, 0x3A, 0x98})  // 0.15
                                  .Chunk("tRNS", {0, 0, 0, 0x80, 0, 0})
                                  .Data({0, 0, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
                                  .End()
                                  .Bytes();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  EXPECT_EQ(image.Bitmap().PixelColor(0, 0), image.TransparentColor());
  EXPECT_EQ(1, image.Mask().PixelIndex(0, 0));
  EXPECT_EQ(0, image.Mask().PixelIndex(1, 0));
}

TEST(PngTransparency, PaletteMaskFollowsEntriesWithZeroAlpha) {
  // Entry 1 is clear, entry 2 half clear (stays opaque in a 1-bit mask).
  std::vector<uint8_t> data = HalfClearPalettePng();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  EXPECT_FALSE(image.Transparent());
  EXPECT_EQ((std::vector<uint8_t>{255, 0, 128}), image.PaletteAlpha());
  EXPECT_EQ(0, image.Mask().PixelIndex(0, 0));
  EXPECT_EQ(1, image.Mask().PixelIndex(1, 0));
  EXPECT_EQ(0, image.Mask().PixelIndex(2, 0));
}

TEST(PngTransparency, TransparentColourOfAnImageWithoutKeyFails) {
  std::vector<uint8_t> data = TPngWriter().Header(2, 2, 8, 2).Data(SmallRgbRows()).End().Bytes();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  EXPECT_TRUE(image.Mask().Empty());
  EXPECT_THROW(image.TransparentColor(), EPNGImageException);
}

TEST(PngGamma, ChunkAfterImageDataStillApplies) {
  std::vector<uint8_t> data = TPngWriter()
                                  .Header(1, 1, 8, 2)
                                  .Data({0, 100, 100, 100})
                                  .Chunk("gAMA", {0, 0, 0x3A, 0x98})
                                  .End()
                                  .Bytes();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  int expected = DisplayGammaTable(0.15)[100];
  EXPECT_NE(100, expected);
  EXPECT_EQ(RGBColor(expected, expected, expected), image.Bitmap().PixelColor(0, 0));
}

// A gamma written loosely as the display's own (0.45 for 1/2.2) keeps flat colours exact;
// one clearly apart still corrects.
TEST(PngGamma, GammaNearTheDisplaysLeavesSamplesAlone) {
  struct TCase {
    std::vector<uint8_t> Gamma;
    int Expected;
  } Cases[] = {
      {{0, 0, 0xAF, 0xC8}, 128},  // 0.45
      {{0, 0, 0xB1, 0x8F}, 128},  // 0.45455
      {{0, 0, 0xD6, 0xD8}, DisplayGammaTable(0.55)[128]},
  };
  for (const TCase& C : Cases) {
    std::vector<uint8_t> data =
        TPngWriter().Header(1, 1, 8, 2).Chunk("gAMA", C.Gamma).Data({0, 0, 128, 0}).End().Bytes();
    TPNGImage image;
    image.LoadFromMemory(data.data(), data.size());
    EXPECT_EQ(RGBColor(0, C.Expected, 0), image.Bitmap().PixelColor(0, 0)) << C.Expected;
  }
  EXPECT_NE(DisplayGammaTable(0.55)[128], 128);
}

TEST(PngGamma, ZeroGammaIsIgnored) {
  std::vector<uint8_t> data =
      TPngWriter().Header(1, 1, 8, 2).Chunk("gAMA", {0, 0, 0, 0}).Data({0, 100, 100, 100}).End().Bytes();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  EXPECT_EQ(RGBColor(100, 100, 100), image.Bitmap().PixelColor(0, 0));
}

TEST(PngBadInput, EveryTruncationFailsCleanlyOrKeepsTheWholeImage) {
  for (const char* name : {"basn2c08.png", "basi3p04.png", "tbrn2c08.png"}) {
    std::vector<uint8_t> whole = ReadFileBytes(CorpusPath(std::string("png/pngsuite/") + name));
    TPNGImage reference;
    reference.LoadFromMemory(whole.data(), whole.size());
    for (size_t length = 0; length < whole.size(); ++length) {
      TPNGImage image;
      try {
        image.LoadFromMemory(whole.data(), length);
      } catch (const EPNGImageException&) {
        continue;
      }
      // Accepted only when the image data was complete.
      ASSERT_EQ(reference.Width(), image.Width()) << name << " cut at " << length;
      for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
          ASSERT_EQ(reference.Bitmap().PixelColor(x, y), image.Bitmap().PixelColor(x, y));
    }
  }
}

TEST(PngBadInput, OversizedImagesAreRefusedBeforeAllocating) {
  std::vector<uint8_t> data = TPngWriter().Header(40000, 40000, 8, 2).Data({0, 1, 2, 3}).End().Bytes();
  std::string error = LoadError(data);
  EXPECT_NE(std::string::npos, error.find("Image too large")) << error;
  EXPECT_NE(std::string::npos, error.find("32767")) << error;
  data = TPngWriter().Header(30000, 30000, 8, 2).Data({0, 1, 2, 3}).End().Bytes();
  EXPECT_NE(std::string::npos, LoadError(data).find("MB of pixels"));
}

TEST(PngBadInput, DecompressionBombInflatesOnlyWhatTheImageNeeds) {
  // 16 MB of zeros behind a 1 x 1 image.
  std::vector<uint8_t> data =
      TPngWriter().Header(1, 1, 8, 0).Data(std::vector<uint8_t>(16u << 20, 0)).End().Bytes();
  TPNGImage image;
  image.LoadFromMemory(data.data(), data.size());
  EXPECT_EQ(clBlack, image.Bitmap().PixelColor(0, 0));
}

TEST(PngBadInput, ShortImageDataIsTruncationNotGarbage) {
  // Two rows announced, one supplied.
  std::vector<uint8_t> data = TPngWriter().Header(2, 2, 8, 2).Data({0, 1, 2, 3, 4, 5, 6}).End().Bytes();
  EXPECT_EQ(PNGTruncated, LoadError(data));
  std::vector<uint8_t> garbage = TPngWriter().Header(2, 2, 8, 2).Chunk("IDAT", {1, 2, 3, 4, 5}).End().Bytes();
  EXPECT_NE(std::string::npos, LoadError(garbage).find("corrupt"));
}
