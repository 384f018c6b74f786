// JPEG data through the loader entry, at 24 bits and as for an 8-bit display.
#include <cstddef>
#include <cstdint>

#include "images/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool limited = (SetMaxImageBytes(size_t(16) << 20), true);
  (void)limited;
  if (GetImageFormat(data, size) != ifJPEG) return 0;  // other formats have their own fuzzers
  int transparent = tkNone;
  int screenBits = (size & 1) ? 8 : 24;
  TLoadedImage image = LoadImageFromMemory(data, size, transparent, screenBits);
  if (!image.Mask.Empty()) __builtin_trap();  // a JPEG never has a mask
  return 0;
}
