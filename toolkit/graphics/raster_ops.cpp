#include "toolkit/graphics/raster_ops.h"

#include <cstring>

void RopRow(uint32_t rop, uint32_t* dst, const uint32_t* src, uint32_t pattern, int count) {
  if (count <= 0) return;
  switch (rop) {
    case SRCCOPY:
      if (dst != src) std::memmove(dst, src, size_t(count) * 4);
      return;
    case SRCPAINT:
      for (int i = 0; i < count; ++i) dst[i] |= src[i];
      return;
    case SRCAND:
      for (int i = 0; i < count; ++i) dst[i] &= src[i];
      return;
    case SRCINVERT:
      for (int i = 0; i < count; ++i) dst[i] ^= src[i];
      return;
    case SRCERASE:
      for (int i = 0; i < count; ++i) dst[i] = src[i] & ~dst[i];
      return;
    case NOTSRCCOPY:
      for (int i = 0; i < count; ++i) dst[i] = ~src[i];
      return;
    case MERGEPAINT:
      for (int i = 0; i < count; ++i) dst[i] |= ~src[i];
      return;
    case DSTINVERT:
      for (int i = 0; i < count; ++i) dst[i] = ~dst[i];
      return;
    case PATCOPY:
      for (int i = 0; i < count; ++i) dst[i] = pattern;
      return;
    case PATINVERT:
      for (int i = 0; i < count; ++i) dst[i] ^= pattern;
      return;
    case BLACKNESS:
      std::memset(dst, 0, size_t(count) * 4);
      return;
    case WHITENESS:
      for (int i = 0; i < count; ++i) dst[i] = 0xFFFFFFFF;
      return;
    default: break;
  }
  const uint8_t index = RopIndex(rop);
  for (int i = 0; i < count; ++i) dst[i] = ApplyRop(index, pattern, src ? src[i] : 0, dst[i]);
}
