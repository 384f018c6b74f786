// Decoded pixels as the decoders produce them, before they become toolkit bitmaps.
#pragma once

#include "common/types.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// Largest image a decoder will allocate: the toolkit bitmap's limits.
constexpr int MaxImageSide = 32767;
constexpr size_t DefaultMaxImageBytes = size_t(256) << 20;

// The byte budget can be lowered (the fuzzers do, to keep runs short).
size_t MaxImageBytes();
void SetMaxImageBytes(size_t Bytes);

// Row length in bytes of a bitmap row, padded to 32 bits as device-independent rows are.
constexpr size_t BitmapStride(int Width, int BitsPerPixel) {
  return ((size_t(Width) * size_t(BitsPerPixel) + 31) / 32) * 4;
}

// Empty when an image of that size may be allocated, else the reason, naming the limits.
std::string CheckImageSize(int64_t Width, int64_t Height, int BitsPerPixel);

// A top-down pixel raster of 1, 4, 8 or 24 bits per pixel. 24-bit rows hold blue,
// green, red bytes; the smaller depths index FPalette (sub-byte pixels start at the
// high bits). Rows are padded to 32 bits.
class TImageBuffer {
 public:
  TImageBuffer() = default;
  // Zero-filled rows; throws std::length_error past the size limits.
  TImageBuffer(int Width, int Height, int BitsPerPixel);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int BitsPerPixel() const { return FBitsPerPixel; }
  size_t Stride() const { return FStride; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }

  uint8_t* ScanLine(int Row) { return FPixels.get() + size_t(Row) * FStride; }
  const uint8_t* ScanLine(int Row) const { return FPixels.get() + size_t(Row) * FStride; }

  // The colour of one pixel (palette entries beyond the palette read as black).
  TColor PixelColor(int X, int Y) const;
  // The palette index of one pixel of a paletted raster.
  int PixelIndex(int X, int Y) const;

  std::vector<TColor> FPalette;
  // The opacity of each pixel (Width() bytes a row, top row first, 255 opaque) of a
  // picture with an alpha channel; empty when it has none.
  std::vector<uint8_t> FAlpha;

 private:
  struct TFree {
    void operator()(uint8_t* P) const { std::free(P); }
  };
  int FWidth = 0, FHeight = 0, FBitsPerPixel = 0;
  size_t FStride = 0;
  std::unique_ptr<uint8_t[], TFree> FPixels;
};
