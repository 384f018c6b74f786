// Helpers shared by the GIF tests: file paths, a tiny GIF writer for hand-made cases, and
// PNG frames read through libpng (the expected pictures of the suite).
#pragma once

#include <png.h>

#include <cstdint>
#include <fstream>
#include <unordered_map>
#include <string>
#include <vector>

#include "tests/test_data.h"

// The GIF files the tests name, and the whole suites the sweeps read.
inline std::string GifDataDir() { return TestDataPath("images/gif/"); }
inline std::string GifCorpusDir() { return SharedCorpusPath("images/gif/"); }

// RGBA bytes of a PNG file, empty when it cannot be read.
inline std::vector<uint8_t> ReadPngRGBA(const std::string& Path, int& Width, int& Height) {
  png_image Image{};
  Image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> Out;
  if (!png_image_begin_read_from_file(&Image, Path.c_str())) return Out;
  Image.format = PNG_FORMAT_RGBA;
  Out.resize(PNG_IMAGE_SIZE(Image));
  if (!png_image_finish_read(&Image, nullptr, Out.data(), 0, nullptr)) {
    png_image_free(&Image);
    return {};
  }
  Width = int(Image.width);
  Height = int(Image.height);
  return Out;
}

// A real LZW encoder (growing code width, dictionary up to 4096 entries). With ClearWhenFull
// off it keeps going with a full table and never clears, as some encoders do.
inline std::vector<uint8_t> EncodeGifLZW(const std::vector<uint8_t>& Pixels, int CodeSize, bool ClearWhenFull = true,
                                         bool WithEnd = true, bool LeadingClear = true) {
  const uint32_t Clear = 1u << CodeSize, End = Clear + 1;
  std::vector<uint8_t> Out;
  uint64_t Acc = 0;
  int Bits = 0, Width = CodeSize + 1;
  auto Put = [&](uint32_t Code) {
    Acc |= uint64_t(Code) << Bits;
    Bits += Width;
    while (Bits >= 8) {
      Out.push_back(uint8_t(Acc));
      Acc >>= 8;
      Bits -= 8;
    }
  };
  std::unordered_map<uint32_t, uint32_t> Dict;
  uint32_t Next = End + 1;
  if (LeadingClear) Put(Clear);
  if (Pixels.empty()) {
    if (WithEnd) Put(End);
    if (Bits) Out.push_back(uint8_t(Acc));
    return Out;
  }
  uint32_t Prefix = Pixels[0];
  for (size_t I = 1; I < Pixels.size(); ++I) {
    const uint32_t Key = (Prefix << 8) | Pixels[I];
    auto Found = Dict.find(Key);
    if (Found != Dict.end()) {
      Prefix = Found->second;
      continue;
    }
    Put(Prefix);
    if (Next < 4096) {
      Dict[Key] = Next++;
      // The decoder widens when its next free code reaches the limit, one code later than
      // the encoder adds it: widen after the code that fills the width.
      if (Next > (1u << Width) && Width < 12) ++Width;
    } else if (ClearWhenFull) {
      Put(Clear);
      Dict.clear();
      Next = End + 1;
      Width = CodeSize + 1;
    }
    Prefix = Pixels[I];
  }
  Put(Prefix);
  if (WithEnd) {
    if (Next < 4096 && Next + 1 > (1u << Width) && Width < 12) ++Width;
    Put(End);
  }
  if (Bits) Out.push_back(uint8_t(Acc));
  return Out;
}

// Builds GIF files byte by byte. Image data is written uncompressed-style: a clear code
// before every code so the table never grows (valid LZW any decoder must read).
class TGifWriter {
 public:
  std::vector<uint8_t> Bytes;

  TGifWriter& Header(int W, int H, int GlobalColors, const char* Sig = "GIF89a") {
    for (int I = 0; I < 6; ++I) Bytes.push_back(uint8_t(Sig[I]));
    Word(W);
    Word(H);
    int Bits = TableBits(GlobalColors);
    Bytes.push_back(uint8_t(GlobalColors ? 0x80 | 0x70 | (Bits - 1) : 0x70));
    Bytes.push_back(0);
    Bytes.push_back(0);
    for (int I = 0; I < (GlobalColors ? (1 << Bits) : 0); ++I) Color(I);
    return *this;
  }
  TGifWriter& Loop(int Count, const char* Id = "NETSCAPE2.0") {
    Bytes.insert(Bytes.end(), {0x21, 0xFF, 11});
    Bytes.insert(Bytes.end(), Id, Id + 11);
    Bytes.insert(Bytes.end(), {3, 1, uint8_t(Count & 255), uint8_t(Count >> 8), 0});
    return *this;
  }
  TGifWriter& Control(int Disposal, int Delay, int TransparentIndex = -1) {
    Bytes.insert(Bytes.end(), {0x21, 0xF9, 4});
    Bytes.push_back(uint8_t((Disposal << 2) | (TransparentIndex >= 0 ? 1 : 0)));
    Word(Delay);
    Bytes.push_back(uint8_t(TransparentIndex >= 0 ? TransparentIndex : 0));
    Bytes.push_back(0);
    return *this;
  }
  TGifWriter& Extension(int Label, const std::string& Data) {
    Bytes.push_back(0x21);
    Bytes.push_back(uint8_t(Label));
    SubBlocks(std::vector<uint8_t>(Data.begin(), Data.end()));
    return *this;
  }
  // Pixels are colour indices, row by row in display order; interlaced images are reordered.
  TGifWriter& Image(int L, int T, int W, int H, const std::vector<uint8_t>& Pixels, bool Interlaced = false,
                    int LocalColors = 0, int CodeSize = 8, bool Compress = false) {
    Bytes.push_back(0x2C);
    Word(L);
    Word(T);
    Word(W);
    Word(H);
    int Bits = TableBits(LocalColors);
    Bytes.push_back(uint8_t((LocalColors ? 0x80 | (Bits - 1) : 0) | (Interlaced ? 0x40 : 0)));
    for (int I = 0; I < (LocalColors ? (1 << Bits) : 0); ++I) Color(255 - I);
    std::vector<uint8_t> Ordered = Pixels;
    if (Interlaced) {
      Ordered.clear();
      static const int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
      for (int P = 0; P < 4; ++P)
        for (int Y = Start[P]; Y < H; Y += Step[P])
          Ordered.insert(Ordered.end(), Pixels.begin() + Y * W, Pixels.begin() + (Y + 1) * W);
    }
    Bytes.push_back(uint8_t(CodeSize));
    SubBlocks(Compress ? EncodeGifLZW(Ordered, CodeSize) : Encode(Ordered, CodeSize, true));
    return *this;
  }
  TGifWriter& Raw(std::initializer_list<uint8_t> B) {
    Bytes.insert(Bytes.end(), B);
    return *this;
  }
  TGifWriter& Trailer() {
    Bytes.push_back(0x3B);
    return *this;
  }

  // Codes at the clear-code width with a clear before each, then the end code.
  static std::vector<uint8_t> Encode(const std::vector<uint8_t>& Pixels, int CodeSize, bool WithEnd) {
    std::vector<uint32_t> Codes;
    const uint32_t Clear = 1u << CodeSize;
    for (uint8_t P : Pixels) {
      Codes.push_back(Clear);
      Codes.push_back(P);
    }
    if (WithEnd) Codes.push_back(Clear + 1);
    return PackCodes(Codes, CodeSize + 1);
  }
  static std::vector<uint8_t> PackCodes(const std::vector<uint32_t>& Codes, int Width) {
    std::vector<uint8_t> Out;
    uint32_t Acc = 0;
    int N = 0;
    for (uint32_t C : Codes) {
      Acc |= C << N;
      N += Width;
      while (N >= 8) {
        Out.push_back(uint8_t(Acc));
        Acc >>= 8;
        N -= 8;
      }
    }
    if (N) Out.push_back(uint8_t(Acc));
    return Out;
  }

  void SubBlocks(const std::vector<uint8_t>& Data) {
    for (size_t I = 0; I < Data.size(); I += 255) {
      size_t N = std::min<size_t>(255, Data.size() - I);
      Bytes.push_back(uint8_t(N));
      Bytes.insert(Bytes.end(), Data.begin() + I, Data.begin() + I + N);
    }
    Bytes.push_back(0);
  }

 private:
  static int TableBits(int Colors) {
    int Bits = 1;
    while ((1 << Bits) < Colors) ++Bits;
    return Bits;
  }
  void Word(int V) {
    Bytes.push_back(uint8_t(V & 255));
    Bytes.push_back(uint8_t(V >> 8));
  }
  // Entry I is red I, green 255 - I, blue I * 7 (mod 256): distinct and easy to predict.
  void Color(int I) { Bytes.insert(Bytes.end(), {uint8_t(I), uint8_t(255 - I), uint8_t(I * 7)}); }
};

inline uint32_t WriterColor(int I) { return uint32_t(I) | (uint32_t(255 - I) << 8) | (uint32_t(uint8_t(I * 7)) << 16); }
