#include "images/image_buffer.h"

#include <stdexcept>

namespace {
size_t GMaxImageBytes = DefaultMaxImageBytes;
}

size_t MaxImageBytes() { return GMaxImageBytes; }
void SetMaxImageBytes(size_t Bytes) { GMaxImageBytes = Bytes; }

std::string CheckImageSize(int64_t Width, int64_t Height, int BitsPerPixel) {
  std::string limits = " (limit " + std::to_string(MaxImageSide) + " pixels a side and " +
                       std::to_string(MaxImageBytes() >> 20) + " MB of pixels)";
  if (Width <= 0 || Height <= 0)
    return "Image has no pixels: " + std::to_string(Width) + " x " + std::to_string(Height);
  if (Width > MaxImageSide || Height > MaxImageSide ||
      BitmapStride(int(Width), BitsPerPixel) * size_t(Height) > MaxImageBytes())
    return "Image too large: " + std::to_string(Width) + " x " + std::to_string(Height) +
           " pixels" + limits;
  return {};
}

TImageBuffer::TImageBuffer(int Width, int Height, int BitsPerPixel) {
  if (BitsPerPixel != 1 && BitsPerPixel != 4 && BitsPerPixel != 8 && BitsPerPixel != 24)
    throw std::invalid_argument("Unsupported pixel format: " + std::to_string(BitsPerPixel) +
                                " bits per pixel");
  std::string error = CheckImageSize(Width, Height, BitsPerPixel);
  if (!error.empty()) throw std::length_error(error);
  FStride = BitmapStride(Width, BitsPerPixel);
  // calloc: large blocks come zeroed from the system without a separate pass.
  FPixels.reset(static_cast<uint8_t*>(std::calloc(FStride * size_t(Height), 1)));
  if (!FPixels) throw std::bad_alloc();
  FWidth = Width;
  FHeight = Height;
  FBitsPerPixel = BitsPerPixel;
}

int TImageBuffer::PixelIndex(int X, int Y) const {
  const uint8_t* row = ScanLine(Y);
  switch (FBitsPerPixel) {
    case 1: return (row[X >> 3] >> (7 - (X & 7))) & 1;
    case 4: return (X & 1) ? row[X >> 1] & 0x0F : row[X >> 1] >> 4;
    case 8: return row[X];
    default: return -1;
  }
}

TColor TImageBuffer::PixelColor(int X, int Y) const {
  if (FBitsPerPixel == 24) {
    const uint8_t* p = ScanLine(Y) + size_t(X) * 3;
    return RGBColor(p[2], p[1], p[0]);
  }
  size_t index = size_t(PixelIndex(X, Y));
  return index < FPalette.size() ? FPalette[index] : clBlack;
}
