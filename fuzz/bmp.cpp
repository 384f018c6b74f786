// BMP data through the strict reader, then every pixel read back. Rejections are
// expected; crashes, leaks and out-of-bounds accesses are not.
#include <cstddef>
#include <cstdint>

#include "toolkit/graphics/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBitmap bitmap;
  try {
    bitmap.LoadFromMemory(data, size);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  if (bitmap.Empty() || int64_t(bitmap.Width()) * bitmap.Height() > (int64_t(1) << 22)) return 0;
  uint32_t sum = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) sum += uint32_t(bitmap.Pixel(x, y));
  if (sum == 0xFFFFFFFFu) bitmap.SetPixelFormat(pf1bit);
  return 0;
}
