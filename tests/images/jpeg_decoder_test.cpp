// The JPEG reader against libjpeg's own output, colour spaces, truncation and limits.
#include "images/jpeg_image.h"
#include "png_oracle.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <set>

namespace {

// libjpeg straight into RGB (or grey) rows: the reference for our plumbing.
struct TJpegReference {
  int Width = 0, Height = 0, Components = 0;
  std::vector<uint8_t> Pixels;
};

struct TReferenceError {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
};

TJpegReference DecodeWithLibjpeg(const std::vector<uint8_t>& Data) {
  TJpegReference out;
  jpeg_decompress_struct info;
  TReferenceError error;
  info.err = jpeg_std_error(&error.Pub);
  error.Pub.error_exit = [](j_common_ptr C) { std::longjmp(reinterpret_cast<TReferenceError*>(C->err)->Jump, 1); };
  error.Pub.output_message = [](j_common_ptr) {};
  if (setjmp(error.Jump)) {
    jpeg_destroy_decompress(&info);
    ADD_FAILURE() << "libjpeg rejected the reference";
    return {};
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, Data.data(), static_cast<unsigned long>(Data.size()));
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  out.Width = int(info.output_width);
  out.Height = int(info.output_height);
  out.Components = info.output_components;
  out.Pixels.resize(size_t(out.Width) * out.Height * size_t(out.Components));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.Pixels.data() + size_t(info.output_scanline) * out.Width * out.Components;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return out;
}

std::vector<uint8_t> JpegFile(const std::string& Name) { return ReadFileBytes(CorpusPath("jpeg/" + Name)); }

TJPEGImage Decode(const std::vector<uint8_t>& Data, TJPEGPixelFormat Format = jf24Bit) {
  TJPEGImage image;
  image.PixelFormat = Format;
  image.LoadFromMemory(Data.data(), Data.size());
  return image;
}

void ExpectSamePixels(const TImageBuffer& A, const TImageBuffer& B, const std::string& Name) {
  ASSERT_EQ(A.Width(), B.Width()) << Name;
  ASSERT_EQ(A.Height(), B.Height()) << Name;
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x)
      ASSERT_EQ(A.PixelColor(x, y), B.PixelColor(x, y)) << Name << " at " << x << "," << y;
}

// Mean of each channel over the image.
std::array<double, 3> MeanColour(const TImageBuffer& Image) {
  std::array<double, 3> sum{};
  for (int y = 0; y < Image.Height(); ++y)
    for (int x = 0; x < Image.Width(); ++x) {
      TColor c = Image.PixelColor(x, y);
      sum[0] += GetRValue(c);
      sum[1] += GetGValue(c);
      sum[2] += GetBValue(c);
    }
  for (double& s : sum) s /= double(Image.Width()) * Image.Height();
  return sum;
}

}  // namespace

TEST(JpegDecoding, SampleFilesMatchLibjpeg) {
  for (const char* name :
       {"libjpeg-turbo/testorig.jpg", "libjpeg-turbo/testimgint.jpg", "libjpeg-turbo/testimgari.jpg",
        "pillow/hopper.jpg", "pillow/flower2.jpg", "pillow/app13-multiple.jpg",
        "pillow/hopper_16bit_qtables.jpg", "pillow/icc-after-SOF.jpg", "pillow/pil_sample_rgb.jpg"}) {
    std::vector<uint8_t> data = JpegFile(name);
    TJpegReference reference = DecodeWithLibjpeg(data);
    TJPEGImage image = Decode(data);
    ASSERT_EQ(reference.Width, image.Width()) << name;
    ASSERT_EQ(reference.Height, image.Height()) << name;
    EXPECT_FALSE(image.Partial()) << name;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) {
        const uint8_t* p = reference.Pixels.data() + (size_t(y) * reference.Width + x) * size_t(reference.Components);
        TColor expected = reference.Components == 1 ? RGBColor(p[0], p[0], p[0]) : RGBColor(p[0], p[1], p[2]);
        ASSERT_EQ(expected, image.Bitmap().PixelColor(x, y)) << name << " at " << x << "," << y;
      }
  }
}

TEST(JpegDecoding, ProgressiveAndRestartVariantsGiveTheBaselinePixels) {
  TJPEGImage baseline = Decode(JpegFile("libjpeg-turbo/testorig.jpg"));
  TJPEGImage progressive = Decode(JpegFile("derived/testorig-progressive.jpg"));
  EXPECT_TRUE(progressive.ProgressiveEncoding());
  EXPECT_FALSE(baseline.ProgressiveEncoding());
  ExpectSamePixels(baseline.Bitmap(), progressive.Bitmap(), "progressive");
  ExpectSamePixels(baseline.Bitmap(), Decode(JpegFile("derived/testorig-restart2.jpg")).Bitmap(), "restart");
}

TEST(JpegDecoding, GreyscaleComesOutAsEqualChannels) {
  std::vector<uint8_t> data = JpegFile("pillow/hopper_gray.jpg");
  TJpegReference reference = DecodeWithLibjpeg(data);
  ASSERT_EQ(1, reference.Components);
  TJPEGImage image = Decode(data);
  EXPECT_TRUE(image.Grayscale());
  EXPECT_EQ(24, image.Bitmap().BitsPerPixel());
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      int v = reference.Pixels[size_t(y) * reference.Width + x];
      ASSERT_EQ(RGBColor(v, v, v), image.Bitmap().PixelColor(x, y));
    }
}

TEST(JpegDecoding, AdobeCmykLooksLikeTheSamePictureInRgb) {
  TJPEGImage cmyk = Decode(JpegFile("pillow/pil_sample_cmyk.jpg"));
  TJPEGImage rgb = Decode(JpegFile("pillow/pil_sample_rgb.jpg"));
  ASSERT_EQ(rgb.Width(), cmyk.Width());
  ASSERT_EQ(rgb.Height(), cmyk.Height());
  std::array<double, 3> a = MeanColour(cmyk.Bitmap()), b = MeanColour(rgb.Bitmap());
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(b[size_t(k)], a[size_t(k)], 12.0) << "channel " << k;
  // Spot checks on 8 x 8 blocks spread over the picture.
  for (int by = 0; by < 4; ++by)
    for (int bx = 0; bx < 4; ++bx) {
      int x0 = (cmyk.Width() - 8) * bx / 3, y0 = (cmyk.Height() - 8) * by / 3;
      int dr = 0, dg = 0, db = 0;
      for (int y = y0; y < y0 + 8; ++y)
        for (int x = x0; x < x0 + 8; ++x) {
          TColor p = cmyk.Bitmap().PixelColor(x, y), q = rgb.Bitmap().PixelColor(x, y);
          dr += GetRValue(p) - GetRValue(q);
          dg += GetGValue(p) - GetGValue(q);
          db += GetBValue(p) - GetBValue(q);
        }
      EXPECT_LT(std::abs(dr) / 64 + std::abs(dg) / 64 + std::abs(db) / 64, 60) << bx << "," << by;
    }
}

TEST(JpegDecoding, EightBitOutputUsesTheGivenPalette) {
  std::vector<uint8_t> data = JpegFile("pillow/hopper.jpg");
  TJPEGImage full = Decode(data);
  TJPEGImage image;
  image.PixelFormat = jf8Bit;
  for (int i = 0; i < 216; ++i) image.FPalette.push_back(RGBColor(51 * (i / 36), 51 * (i / 6 % 6), 51 * (i % 6)));
  image.LoadFromMemory(data.data(), data.size());
  ASSERT_EQ(8, image.Bitmap().BitsPerPixel());
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) ASSERT_LT(image.Bitmap().PixelIndex(x, y), 216);
  std::array<double, 3> a = MeanColour(full.Bitmap()), b = MeanColour(image.Bitmap());
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(a[size_t(k)], b[size_t(k)], 6.0);
}

TEST(JpegDecoding, EightBitOutputWithoutPaletteChoosesItsOwn) {
  std::vector<uint8_t> data = JpegFile("pillow/hopper.jpg");
  TJPEGImage full = Decode(data);
  TJPEGImage image = Decode(data, jf8Bit);
  ASSERT_EQ(8, image.Bitmap().BitsPerPixel());
  std::set<TColor> colours;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) colours.insert(image.Bitmap().PixelColor(x, y));
  EXPECT_GT(colours.size(), 64u);
  std::array<double, 3> a = MeanColour(full.Bitmap()), b = MeanColour(image.Bitmap());
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(a[size_t(k)], b[size_t(k)], 4.0);
  // CMYK files stay at 24 bits whatever is asked.
  EXPECT_EQ(24, Decode(JpegFile("pillow/pil_sample_cmyk.jpg"), jf8Bit).Bitmap().BitsPerPixel());
}

TEST(JpegBadInput, DataCutInsideTheScanGivesAPartialImage) {
  TJPEGImage whole = Decode(JpegFile("libjpeg-turbo/testorig.jpg"));
  TJPEGImage cut = Decode(JpegFile("derived/testorig-cut3500.jpg"));
  EXPECT_TRUE(cut.Partial());
  EXPECT_FALSE(cut.Warning().empty());
  ASSERT_EQ(whole.Width(), cut.Width());
  ASSERT_EQ(whole.Height(), cut.Height());
  // The top rows arrived whole.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < whole.Width(); ++x) ASSERT_EQ(whole.Bitmap().PixelColor(x, y), cut.Bitmap().PixelColor(x, y));
}

TEST(JpegBadInput, OddFilesDecodeOrFailWithAMessage) {
  struct {
    const char* Name;
    bool Decodes;
  } cases[] = {
      {"pillow/truncated_jpeg.jpg", true},    {"pillow/junk_jpeg_header.jpg", true},
      {"pillow/jpeg_ff00_header.jpg", true},  {"pillow/truncated_app14.jpg", true},
      {"libjpeg-turbo/monkey12.jpg", false},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> data = JpegFile(c.Name);
    TJPEGImage image;
    try {
      image.LoadFromMemory(data.data(), data.size());
      EXPECT_TRUE(c.Decodes) << c.Name;
      EXPECT_GT(image.Width(), 0) << c.Name;
    } catch (const EJPEGError& e) {
      EXPECT_FALSE(c.Decodes) << c.Name << ": " << e.Message;
      EXPECT_EQ(0u, e.Message.find("JPEG error: ")) << e.Message;
    }
  }
}

TEST(JpegBadInput, EveryPrefixFailsCleanlyOrKeepsTheSize) {
  for (const char* name : {"libjpeg-turbo/testorig.jpg", "derived/testorig-progressive.jpg"}) {
    std::vector<uint8_t> data = JpegFile(name);
    for (size_t length = 0; length < data.size(); length += 37) {
      TJPEGImage image;
      try {
        image.LoadFromMemory(data.data(), length);
      } catch (const EJPEGError&) {
        continue;
      }
      EXPECT_EQ(227, image.Width()) << name << " cut at " << length;
      EXPECT_EQ(149, image.Height()) << name << " cut at " << length;
      EXPECT_TRUE(image.Partial()) << name << " cut at " << length;
    }
  }
}

TEST(JpegBadInput, OversizedImagesAreRefusedBeforeDecoding) {
  std::vector<uint8_t> data = JpegFile("libjpeg-turbo/testorig.jpg");
  // The start-of-frame marker: length (2), precision (1), height (2), width (2).
  for (size_t i = 0; i + 9 < data.size(); ++i)
    if (data[i] == 0xFF && data[i + 1] == 0xC0) {
      data[i + 5] = 0x7F;  // height 32767
      data[i + 7] = 0x7F;  // width 32767
      break;
    }
  TJPEGImage image;
  try {
    image.LoadFromMemory(data.data(), data.size());
    FAIL() << "decoded a 32767 x 32767 picture";
  } catch (const EJPEGError& e) {
    EXPECT_NE(std::string::npos, e.Message.find("Image too large")) << e.Message;
  }
}
