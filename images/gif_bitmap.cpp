#include "images/gif_bitmap.h"

#include <cstring>

namespace {

// Pixels are 0xAABBGGRR; Clear(I) says whether pixel I lets the page through.
template <class TClear>
std::unique_ptr<TBitmap> ToBitmap(const TGIFImage& Image, const uint32_t* Pixels, TClear Clear, bool WithMask,
                                  std::unique_ptr<TBitmap>& Mask) {
  Mask.reset();
  if (Image.Width <= 0 || Image.Height <= 0) return nullptr;
  auto Bitmap = std::make_unique<TBitmap>(Image.Width, Image.Height, pf24bit);
  for (int Y = 0; Y < Image.Height; ++Y) {
    uint8_t* D = Bitmap->ScanLine(Y);
    const uint32_t* S = Pixels + size_t(Y) * size_t(Image.Width);
    for (int X = 0; X < Image.Width; ++X, D += 3) {
      D[0] = uint8_t(S[X] >> 16);
      D[1] = uint8_t(S[X] >> 8);
      D[2] = uint8_t(S[X]);
    }
  }
  if (!WithMask) return Bitmap;
  Mask = std::make_unique<TBitmap>(Image.Width, Image.Height, pf1bit);
  for (int Y = 0; Y < Image.Height; ++Y) {
    uint8_t* D = Mask->ScanLine(Y);
    std::memset(D, 0, size_t(Mask->ScanLineSize()));
    for (int X = 0; X < Image.Width; ++X)
      if (Clear(size_t(Y) * size_t(Image.Width) + size_t(X))) D[X >> 3] |= uint8_t(0x80 >> (X & 7));
  }
  return Bitmap;
}

}  // namespace

std::unique_ptr<TBitmap> CurrentFrameBitmap(const TGIFImage& Image, std::unique_ptr<TBitmap>& Mask) {
  const std::vector<uint32_t> Pixels = Image.RenderCurrent();
  bool AnyClear = false;
  for (uint32_t P : Pixels)
    if ((P >> 24) == 0) {
      AnyClear = true;
      break;
    }
  return ToBitmap(
      Image, Pixels.data(), [&](size_t I) { return (Pixels[I] >> 24) == 0; }, AnyClear, Mask);
}

std::unique_ptr<TBitmap> FirstFrameToBitmap(const TGIFImage& Image, std::unique_ptr<TBitmap>& Mask) {
  const std::vector<uint32_t> Pixels = Image.FirstFrameBitmap();
  const std::vector<uint8_t> Clear = Image.FirstFrameMask();
  return ToBitmap(
      Image, Pixels.data(), [&](size_t I) { return Clear[I] != 0; }, !Clear.empty(), Mask);
}
