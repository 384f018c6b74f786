// Test support for the image decoders: reading corpus files, the libpng oracle and
// building small PNG files by hand.
#pragma once

#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/test_data.h"

// An image file a test names, from the project's copy of the corpus files it uses.
inline std::string CorpusPath(const std::string& Relative) { return TestDataPath("images/" + Relative); }

// What libpng makes of a file: 8-bit RGBA, gamma not applied, tRNS expanded to alpha.
struct TOraclePicture {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgba;
  bool HasGamma = false;
  double FileGamma = 0;  // as stored / 100000
  bool HasTrns = false;
  int ColorType = 0;
};

inline TOraclePicture DecodeWithLibpng(const std::vector<uint8_t>& Data) {
  struct TReader {
    const std::vector<uint8_t>* Data;
    size_t Pos;
  } reader{&Data, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  TOraclePicture out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw std::runtime_error("libpng rejected the file");
  }
  png_set_read_fn(png, &reader, [](png_structp P, png_bytep Dest, png_size_t N) {
    auto* r = static_cast<TReader*>(png_get_io_ptr(P));
    if (r->Pos + N > r->Data->size()) png_error(P, "read past end");
    std::memcpy(Dest, r->Data->data() + r->Pos, N);
    r->Pos += N;
  });
  png_read_info(png, info);
  out.Width = int(png_get_image_width(png, info));
  out.Height = int(png_get_image_height(png, info));
  out.ColorType = png_get_color_type(png, info);
  out.HasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_fixed_point gamma = 0;
  if (png_get_gAMA_fixed(png, info, &gamma) && gamma > 0) {
    out.HasGamma = true;
    out.FileGamma = gamma / 100000.0;
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  out.Rgba.resize(size_t(out.Width) * out.Height * 4);
  std::vector<png_bytep> rows(size_t(out.Height));
  for (int y = 0; y < out.Height; ++y) rows[size_t(y)] = out.Rgba.data() + size_t(y) * out.Width * 4;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  return out;
}

// The display correction for a file gamma: 255 (i / 255) ^ (1 / (gamma 2.2)).
inline std::vector<uint8_t> DisplayGammaTable(double FileGamma) {
  std::vector<uint8_t> t(256);
  // A file gamma within 5% of the display's own leaves the samples as they are.
  if (std::abs(FileGamma * 2.2 - 1.0) < 0.05) {
    for (int i = 0; i < 256; ++i) t[size_t(i)] = uint8_t(i);
    return t;
  }
  for (int i = 0; i < 256; ++i)
    t[size_t(i)] = uint8_t(std::nearbyint(255.0 * std::pow(i / 255.0, 1.0 / (FileGamma * 2.2))));
  return t;
}

// A PNG file assembled from chunks, with CRCs computed by zlib.
class TPngWriter {
 public:
  TPngWriter() { FBytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

  TPngWriter& Chunk(const char* Type, const std::vector<uint8_t>& Data) {
    PutBigEndian(uint32_t(Data.size()));
    size_t start = FBytes.size();
    FBytes.insert(FBytes.end(), Type, Type + 4);
    FBytes.insert(FBytes.end(), Data.begin(), Data.end());
    PutBigEndian(uint32_t(crc32(0, FBytes.data() + start, uInt(FBytes.size() - start))));
    return *this;
  }
  TPngWriter& Header(uint32_t Width, uint32_t Height, int Depth, int ColorType, int Interlace = 0) {
    std::vector<uint8_t> d;
    for (uint32_t v : {Width, Height})
      for (int s = 24; s >= 0; s -= 8) d.push_back(uint8_t(v >> s));
    d.insert(d.end(), {uint8_t(Depth), uint8_t(ColorType), 0, 0, uint8_t(Interlace)});
    return Chunk("IHDR", d);
  }
  // Raw is the filtered image data (filter byte in front of every row).
  TPngWriter& Data(const std::vector<uint8_t>& Raw) { return Chunk("IDAT", Compress(Raw)); }
  TPngWriter& End() { return Chunk("IEND", {}); }
  const std::vector<uint8_t>& Bytes() const { return FBytes; }

  static std::vector<uint8_t> Compress(const std::vector<uint8_t>& Raw, int Level = 6) {
    uLongf size = compressBound(uLong(Raw.size()));
    std::vector<uint8_t> out(size);
    compress2(out.data(), &size, Raw.data(), uLong(Raw.size()), Level);
    out.resize(size);
    return out;
  }

 private:
  void PutBigEndian(uint32_t V) {
    for (int s = 24; s >= 0; s -= 8) FBytes.push_back(uint8_t(V >> s));
  }
  std::vector<uint8_t> FBytes;
};

// A 3x1 palette picture of entries 0, 1 and 2, whose tRNS makes entry 1 clear and entry 2 half
// clear: the case between a mask and an alpha channel.
inline std::vector<uint8_t> HalfClearPalettePng() {
  return TPngWriter()
      .Header(3, 1, 8, 3)
      .Chunk("PLTE", {10, 10, 10, 20, 20, 20, 30, 30, 30})
      .Chunk("tRNS", {255, 0, 128})
      .Data({0, 0, 1, 2})
      .End()
      .Bytes();
}
