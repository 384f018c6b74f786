// Raster operations: how a source, a pattern (the brush) and the destination combine,
// bit by bit, in block transfers. The codes are the Windows ternary raster operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

enum : uint32_t {
  BLACKNESS = 0x00000042,
  NOTSRCERASE = 0x001100A6,
  NOTSRCCOPY = 0x00330008,
  SRCERASE = 0x00440328,
  DSTINVERT = 0x00550009,
  PATINVERT = 0x005A0049,
  SRCINVERT = 0x00660046,
  SRCAND = 0x008800C6,
  MERGEPAINT = 0x00BB0226,
  MERGECOPY = 0x00C000CA,
  SRCCOPY = 0x00CC0020,
  SRCPAINT = 0x00EE0086,
  PATCOPY = 0x00F00021,
  PATPAINT = 0x00FB0A09,
  WHITENESS = 0x00FF0062,
};

// The truth table of a raster operation: bit (P*4 + S*2 + D) of the index byte is the
// result for pattern bit P, source bit S and destination bit D.
constexpr uint8_t RopIndex(uint32_t rop) { return uint8_t(rop >> 16); }
constexpr bool RopUsesSource(uint32_t rop) {
  return ((RopIndex(rop) >> 2) & 0x33) != (RopIndex(rop) & 0x33);
}
constexpr bool RopUsesPattern(uint32_t rop) {
  return ((RopIndex(rop) >> 4) & 0x0F) != (RopIndex(rop) & 0x0F);
}
constexpr bool RopUsesDest(uint32_t rop) {
  return ((RopIndex(rop) >> 1) & 0x55) != (RopIndex(rop) & 0x55);
}

// One pixel of any operation.
inline uint32_t ApplyRop(uint8_t index, uint32_t p, uint32_t s, uint32_t d) {
  uint32_t r = 0;
  for (int m = 0; m < 8; ++m)
    if (index & (1u << m))
      r |= ((m & 4) ? p : ~p) & ((m & 2) ? s : ~s) & ((m & 1) ? d : ~d);
  return r;
}

// dst[i] := rop(pattern, src[i], dst[i]) for count pixels; src may be null when the
// operation does not use a source. Common operations run on tight loops.
void RopRow(uint32_t rop, uint32_t* dst, const uint32_t* src, uint32_t pattern, int count);

// Sets Count pixels to Pixel by doubling copies: a handful of block copies per row rather
// than a store per pixel, which instrumented (fuzzing) builds pay for pixel by pixel.
inline void FillPixels(uint32_t* Row, size_t Count, uint32_t Pixel) {
  if (Count == 0) return;
  Row[0] = Pixel;
  for (size_t Done = 1; Done < Count;) {
    const size_t Step = Done < Count - Done ? Done : Count - Done;
    std::memcpy(Row + Done, Row, Step * sizeof(uint32_t));
    Done += Step;
  }
}
