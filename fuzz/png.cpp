// PNG data through the loader entry and the transparency pre-scan. Decoding errors are
// expected; crashes, leaks and out-of-bounds accesses are not.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "images/image_loader.h"
#include "images/png_chunks.h"

namespace {

void Decode(const uint8_t* Data, size_t Size) {
  TColor color = clNone;
  PngHasTransparency(Data, Size, color);
  int transparent = (Size & 1) ? tkLowerLeft : tkNone;
  TLoadedImage image = LoadImageFromMemory(Data, Size, transparent, 24);
  if (!image.Mask.Empty() &&
      (image.Mask.Width() != image.Bitmap.Width() || image.Mask.Height() != image.Bitmap.Height()))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A small pixel budget keeps each run short; the limit's own path is exercised too.
  static const bool limited = (SetMaxImageBytes(size_t(16) << 20), true);
  (void)limited;
  if (GetImageFormat(data, size) != ifPNG) return 0;  // other formats have their own fuzzers
  Decode(data, size);
  // Mutations nearly always break a CRC: decode a copy with every CRC made right, so
  // the chunk contents get explored too.
  std::vector<uint8_t> fixed(data, data + size);
  for (size_t pos = 8; pos + 12 <= fixed.size();) {
    uint32_t length = (uint32_t(fixed[pos]) << 24) | (uint32_t(fixed[pos + 1]) << 16) |
                      (uint32_t(fixed[pos + 2]) << 8) | fixed[pos + 3];
    if (length > fixed.size() - pos - 12) break;
    uint32_t crc = PngCrc32(0, fixed.data() + pos + 4, size_t(length) + 4);
    for (int k = 0; k < 4; ++k) fixed[pos + 8 + length + size_t(k)] = uint8_t(crc >> (24 - 8 * k));
    pos += size_t(length) + 12;
  }
  Decode(fixed.data(), fixed.size());
  return 0;
}
