#include "images/png_filters.h"

#include <cstdlib>
#include <cstring>

namespace {

inline uint8_t Paeth(int A, int B, int C) {
  int p = B - C;   // distance of the prediction from A
  int pc = A - C;  // ... from B
  int pa = std::abs(p), pb = std::abs(pc);
  pc = std::abs(p + pc);  // ... from C
  // Ties go to A, then B, then C.
  return uint8_t((pa <= pb && pa <= pc) ? A : (pb <= pc ? B : C));
}

// The per-byte predictors with a fixed offset, so the compiler can keep the bytes of
// one pixel in registers.
template <int Bpp>
void UnfilterSub(uint8_t* Row, size_t N) {
  for (size_t i = Bpp; i < N; ++i) Row[i] = uint8_t(Row[i] + Row[i - Bpp]);
}

template <int Bpp>
void UnfilterAverage(uint8_t* Row, const uint8_t* Prior, size_t N) {
  size_t first = N < size_t(Bpp) ? N : size_t(Bpp);
  for (size_t i = 0; i < first; ++i) Row[i] = uint8_t(Row[i] + (Prior[i] >> 1));
  for (size_t i = Bpp; i < N; ++i) Row[i] = uint8_t(Row[i] + ((Row[i - Bpp] + Prior[i]) >> 1));
}

template <int Bpp>
void UnfilterPaeth(uint8_t* Row, const uint8_t* Prior, size_t N) {
  size_t first = N < size_t(Bpp) ? N : size_t(Bpp);
  for (size_t i = 0; i < first; ++i) Row[i] = uint8_t(Row[i] + Prior[i]);
  if (N <= size_t(Bpp)) return;
  // Walk whole pixels, carrying the left and upper-left samples in locals.
  int a[Bpp], c[Bpp];
  for (int k = 0; k < Bpp; ++k) {
    a[k] = Row[k];
    c[k] = Prior[k];
  }
  size_t i = Bpp;
  for (; i + Bpp <= N; i += Bpp) {
    for (int k = 0; k < Bpp; ++k) {
      int b = Prior[i + k];
      int x = uint8_t(Row[i + k] + Paeth(a[k], b, c[k]));
      Row[i + k] = uint8_t(x);
      a[k] = x;
      c[k] = b;
    }
  }
  for (; i < N; ++i) Row[i] = uint8_t(Row[i] + Paeth(Row[i - Bpp], Prior[i], Prior[i - Bpp]));
}

template <int Bpp>
bool Unfilter(int FilterType, uint8_t* Row, const uint8_t* Prior, size_t N) {
  switch (FilterType) {
    case 0: return true;
    case 1: UnfilterSub<Bpp>(Row, N); return true;
    case 2:
      for (size_t i = 0; i < N; ++i) Row[i] = uint8_t(Row[i] + Prior[i]);
      return true;
    case 3: UnfilterAverage<Bpp>(Row, Prior, N); return true;
    case 4: UnfilterPaeth<Bpp>(Row, Prior, N); return true;
    default: return false;
  }
}

// --- row converters ---

void CopyRow1(const uint8_t* S, uint8_t* D, int W, const uint8_t*) { std::memcpy(D, S, (size_t(W) + 7) / 8); }
void CopyRow4(const uint8_t* S, uint8_t* D, int W, const uint8_t*) { std::memcpy(D, S, (size_t(W) + 1) / 2); }
void CopyRow8(const uint8_t* S, uint8_t* D, int W, const uint8_t*) { std::memcpy(D, S, size_t(W)); }

// Four 2-bit values v become 4-bit values 5v, indexing a palette whose first four
// entries repeat through 16.
struct TTwoBitTable {
  uint16_t T[256];
  TTwoBitTable() {
    for (int b = 0; b < 256; ++b) {
      int p0 = (b >> 6) * 5, p1 = ((b >> 4) & 3) * 5, p2 = ((b >> 2) & 3) * 5, p3 = (b & 3) * 5;
      // Stored in memory order: the first output byte in the low half.
      T[b] = uint16_t(((p0 << 4) | p1) | (((p2 << 4) | p3) << 8));
    }
  }
};
const TTwoBitTable TwoBit;

void Expand2To4(const uint8_t* S, uint8_t* D, int W, const uint8_t*) {
  size_t outBytes = (size_t(W) + 1) / 2;
  size_t i = 0;
  for (; 2 * i + 2 <= outBytes; ++i) {
    uint16_t v = TwoBit.T[S[i]];
    D[2 * i] = uint8_t(v);
    D[2 * i + 1] = uint8_t(v >> 8);
  }
  if (2 * i < outBytes) D[2 * i] = uint8_t(TwoBit.T[S[i]]);
}

template <int Step>
void PickBytes(const uint8_t* S, uint8_t* D, int W, const uint8_t*) {
  for (int x = 0; x < W; ++x) D[x] = S[size_t(x) * Step];
}

// RGB samples to blue, green, red; Step is the size of one file pixel, Sample the
// distance between channels (2 at depth 16, taking the high byte).
template <int Step, int Sample, bool WithGamma>
void RgbRow(const uint8_t* S, uint8_t* D, int W, const uint8_t* G) {
  for (int x = 0; x < W; ++x, S += Step, D += 3) {
    if constexpr (WithGamma) {
      D[0] = G[S[2 * Sample]];
      D[1] = G[S[Sample]];
      D[2] = G[S[0]];
    } else {
      D[0] = S[2 * Sample];
      D[1] = S[Sample];
      D[2] = S[0];
    }
  }
}

template <int Step, int Sample>
void RgbRowMaybeGamma(const uint8_t* S, uint8_t* D, int W, const uint8_t* G) {
  if (G)
    RgbRow<Step, Sample, true>(S, D, W, G);
  else
    RgbRow<Step, Sample, false>(S, D, W, G);
}

}  // namespace

bool UnfilterRow(int FilterType, uint8_t* Row, const uint8_t* Prior, size_t RowBytes, int Bpp) {
  switch (Bpp) {
    case 1: return Unfilter<1>(FilterType, Row, Prior, RowBytes);
    case 2: return Unfilter<2>(FilterType, Row, Prior, RowBytes);
    case 3: return Unfilter<3>(FilterType, Row, Prior, RowBytes);
    case 4: return Unfilter<4>(FilterType, Row, Prior, RowBytes);
    case 6: return Unfilter<6>(FilterType, Row, Prior, RowBytes);
    case 8: return Unfilter<8>(FilterType, Row, Prior, RowBytes);
    default: return false;
  }
}

TRowConverter RowConverterFor(int ColorType, int BitDepth, int* BitmapBits) {
  switch (ColorType) {
    case 0:
    case 3:
      switch (BitDepth) {
        case 1: *BitmapBits = 1; return CopyRow1;
        case 2: *BitmapBits = 4; return Expand2To4;
        case 4: *BitmapBits = 4; return CopyRow4;
        case 8: *BitmapBits = 8; return CopyRow8;
        case 16: *BitmapBits = 8; return ColorType == 0 ? PickBytes<2> : nullptr;
      }
      return nullptr;
    case 4:
      *BitmapBits = 8;
      return BitDepth == 8 ? PickBytes<2> : BitDepth == 16 ? PickBytes<4> : nullptr;
    case 2:
      *BitmapBits = 24;
      return BitDepth == 8 ? RgbRowMaybeGamma<3, 1> : BitDepth == 16 ? RgbRowMaybeGamma<6, 2> : nullptr;
    case 6:
      *BitmapBits = 24;
      return BitDepth == 8 ? RgbRowMaybeGamma<4, 1> : BitDepth == 16 ? RgbRowMaybeGamma<8, 2> : nullptr;
  }
  return nullptr;
}

void PlacePixel(const uint8_t* PassRow, int I, uint8_t* Row, int Column, int Bits) {
  switch (Bits) {
    case 24: std::memcpy(Row + size_t(Column) * 3, PassRow + size_t(I) * 3, 3); break;
    case 8: Row[Column] = PassRow[I]; break;
    case 4: {
      int v = (I & 1) ? PassRow[I >> 1] & 0x0F : PassRow[I >> 1] >> 4;
      uint8_t& d = Row[Column >> 1];
      d = (Column & 1) ? uint8_t((d & 0xF0) | v) : uint8_t((d & 0x0F) | (v << 4));
      break;
    }
    case 1: {
      int v = (PassRow[I >> 3] >> (7 - (I & 7))) & 1;
      uint8_t bit = uint8_t(0x80 >> (Column & 7));
      Row[Column >> 3] = v ? uint8_t(Row[Column >> 3] | bit) : uint8_t(Row[Column >> 3] & ~bit);
      break;
    }
  }
}
