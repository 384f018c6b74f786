#include "toolkit/graphics/bmp_reader.h"

#include <bit>
#include <cstring>
#include <string>

#include "toolkit/graphics/bitmap.h"

namespace {

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("Invalid bitmap: " + why); }

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  void Set(uint32_t mask) {
    Mask = mask;
    Shift = mask ? std::countr_zero(mask) : 0;
    Bits = std::popcount(mask);
  }
  uint8_t Get(uint32_t pixel) const {
    if (!Bits) return 0;
    uint32_t v = (pixel & Mask) >> Shift;
    if (Bits >= 8) return uint8_t(v >> (Bits - 8));
    const uint32_t max = (1u << Bits) - 1;
    return uint8_t((v * 255 + max / 2) / max);
  }
  bool Contiguous() const { return !Mask || ((Mask >> Shift) & ((Mask >> Shift) + 1)) == 0; }
};

struct THeader {
  int Width = 0, Height = 0;
  bool TopDown = false;
  int Planes = 0, BitCount = 0;
  uint32_t Compression = BI_RGB;
  uint32_t ColorsUsed = 0;
  bool Core = false;
  bool HasMasks = false;
  uint32_t Masks[3] = {0, 0, 0};
};

class TRleWriter {
 public:
  TRleWriter(TBitmap& bmp, int width, int height) : FBmp(bmp), FWidth(width), FHeight(height) {}
  void Put(int index) {
    if (FX >= FWidth) Fail("RLE run past the end of a row");
    if (FY >= FHeight) Fail("RLE data past the end of the image");
    if (!FRow || FRowY != FY) {
      FRow = FBmp.ScanLine(FHeight - 1 - FY);
      FRowY = FY;
    }
    FRow[FX++] = uint8_t(index);
  }
  void EndOfLine() {
    FX = 0;
    ++FY;
  }
  void Delta(int dx, int dy) {
    FX += dx;
    FY += dy;
    if (FX > FWidth || FY > FHeight) Fail("RLE delta leaves the image");
  }

 private:
  TBitmap& FBmp;
  int FWidth, FHeight;
  int FX = 0, FY = 0;
  uint8_t* FRow = nullptr;
  int FRowY = -1;
};

void DecodeRle(const uint8_t* p, const uint8_t* end, bool four, TRleWriter& out) {
  for (;;) {
    if (end - p < 2) Fail("RLE data is truncated");
    const int n = p[0], c = p[1];
    p += 2;
    if (n > 0) {
      for (int i = 0; i < n; ++i) out.Put(four ? ((i & 1) ? c & 15 : c >> 4) : c);
      continue;
    }
    if (c == 0) {
      out.EndOfLine();
    } else if (c == 1) {
      return;
    } else if (c == 2) {
      if (end - p < 2) Fail("RLE data is truncated");
      out.Delta(p[0], p[1]);
      p += 2;
    } else {
      const int bytes = four ? (c + 1) / 2 : c;
      const int padded = (bytes + 1) & ~1;
      if (end - p < padded) Fail("RLE data is truncated");
      for (int i = 0; i < c; ++i) out.Put(four ? ((i & 1) ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
      p += padded;
    }
  }
}

THeader ReadHeader(const uint8_t* data, size_t size, uint32_t& headerSize) {
  THeader h;
  headerSize = U32(data + 14);
  if (headerSize != 12 && headerSize != 16 && headerSize != 40 && headerSize != 52 &&
      headerSize != 56 && headerSize != 64 && headerSize != 108 && headerSize != 124)
    Fail("unknown header size " + std::to_string(headerSize));
  if (size < 14 + size_t(headerSize)) Fail("header is truncated");
  const uint8_t* ih = data + 14;
  if (headerSize == 12) {
    h.Core = true;
    h.Width = U16(ih + 4);
    h.Height = U16(ih + 6);
    h.Planes = U16(ih + 8);
    h.BitCount = U16(ih + 10);
    return h;
  }
  const int32_t w = int32_t(U32(ih + 4)), height = int32_t(U32(ih + 8));
  h.Planes = U16(ih + 12);
  h.BitCount = U16(ih + 14);
  if (headerSize >= 20) h.Compression = U32(ih + 16);
  if (headerSize >= 36) h.ColorsUsed = U32(ih + 32);
  if (w <= 0) Fail("width " + std::to_string(w));
  if (height == 0 || height == INT32_MIN) Fail("height " + std::to_string(height));
  h.Width = w;
  h.TopDown = height < 0;
  h.Height = height < 0 ? -height : height;
  if (headerSize >= 52 && headerSize != 64) {
    h.HasMasks = true;
    for (int i = 0; i < 3; ++i) h.Masks[i] = U32(ih + 40 + 4 * i);
  }
  if (headerSize == 64 && h.Compression != BI_RGB && h.Compression != BI_RLE8 &&
      h.Compression != BI_RLE4)
    Fail("unsupported OS/2 compression");
  return h;
}

}  // namespace

void ReadBmp(const uint8_t* data, size_t size, TBitmap& bitmap) {
  if (!data || size < 18 || data[0] != 'B' || data[1] != 'M') Fail("not a BMP file");
  const uint32_t offBits = U32(data + 10);
  uint32_t headerSize = 0;
  THeader h = ReadHeader(data, size, headerSize);

  if (h.Planes != 1) Fail("plane count " + std::to_string(h.Planes));
  const int bits = h.BitCount;
  // 2 bits per pixel is no Windows format, but common readers take it.
  if (h.Core ? (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 24)
             : (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 &&
                bits != 32))
    Fail("bit count " + std::to_string(bits));
  switch (h.Compression) {
    case BI_RGB: break;
    case BI_RLE8: if (bits != 8) Fail("RLE8 needs 8 bits per pixel"); break;
    case BI_RLE4: if (bits != 4) Fail("RLE4 needs 4 bits per pixel"); break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      if (bits != 16 && bits != 32) Fail("bit fields need 16 or 32 bits per pixel");
      break;
    default: Fail("compression " + std::to_string(h.Compression));
  }
  const bool rle = h.Compression == BI_RLE8 || h.Compression == BI_RLE4;
  if (rle && h.TopDown) Fail("compressed images cannot be top-down");
  if (!CheckBitmapSize(h.Width, h.Height)) Fail("empty image");

  size_t tableStart = 14 + size_t(headerSize);
  if ((h.Compression == BI_BITFIELDS || h.Compression == BI_ALPHABITFIELDS) && !h.HasMasks) {
    const size_t maskBytes = h.Compression == BI_ALPHABITFIELDS ? 16 : 12;
    if (size < tableStart + maskBytes) Fail("bit-field masks are truncated");
    for (int i = 0; i < 3; ++i) h.Masks[i] = U32(data + tableStart + 4 * size_t(i));
    tableStart += maskBytes;
  }
  if (offBits < tableStart || offBits >= size) Fail("pixel data offset outside the file");

  // Channels of 16- and 32-bit pixels.
  TChannel ch[3];
  if (bits == 16 || bits == 32) {
    if (h.Compression == BI_RGB) {
      if (bits == 16) { ch[0].Set(0x7C00); ch[1].Set(0x03E0); ch[2].Set(0x001F); }
      else { ch[0].Set(0xFF0000); ch[1].Set(0xFF00); ch[2].Set(0xFF); }
    } else {
      const uint32_t limit = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
      for (int i = 0; i < 3; ++i) {
        if (h.Masks[i] & ~limit) Fail("bit-field mask wider than the pixel");
        ch[i].Set(h.Masks[i]);
        if (!ch[i].Contiguous()) Fail("bit-field mask is not contiguous");
      }
      if ((h.Masks[0] & h.Masks[1]) || (h.Masks[0] & h.Masks[2]) || (h.Masks[1] & h.Masks[2]))
        Fail("bit-field masks overlap");
    }
  }

  // The palette: ColorsUsed entries (all 2^bits when 0) and no further than the pixel
  // data. Of a longer palette than the pixels can index, which must still be all there,
  // the first 2^bits entries serve.
  std::vector<TPaletteEntry> entries;
  if (bits <= 8) {
    const uint32_t maxColors = 1u << bits;
    const size_t entrySize = h.Core ? 3 : 4;
    uint32_t count = h.ColorsUsed ? h.ColorsUsed : maxColors;
    const size_t room = (offBits - tableStart) / entrySize;
    if (count > maxColors) {
      if (count > room) Fail("palette of " + std::to_string(count) + " colours");
      count = maxColors;
    }
    if (room < count) count = uint32_t(room);
    if (count == 0) Fail("missing palette");
    entries.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* e = data + tableStart + i * entrySize;
      entries[i] = TPaletteEntry{e[2], e[1], e[0], 0};
    }
  }

  const int w = h.Width, height = h.Height;
  const uint8_t* pixels = data + offBits;
  const uint8_t* end = data + size;
  // Uncompressed data must all be there before anything is allocated (the last row
  // may lack its padding).
  const size_t rowSize = ((size_t(w) * size_t(bits) + 31) / 32) * 4;
  const size_t lastRow = (size_t(w) * size_t(bits) + 7) / 8;
  if (!rle && size_t(end - pixels) < rowSize * size_t(height - 1) + lastRow)
    Fail("pixel data is truncated");

  bitmap.SetSize(0, 0);
  bitmap.ReleasePalette();
  bitmap.SetPixelFormat(bits <= 8 ? pf8bit : pf24bit);
  if (bits <= 8) bitmap.SetPalette(TPalette(std::move(entries)));
  bitmap.SetSize(w, height);

  if (rle) {
    // Pixels the data skips keep index 0.
    for (int y = 0; y < height; ++y) std::memset(bitmap.ScanLine(y), 0, size_t(w));
    TRleWriter out(bitmap, w, height);
    DecodeRle(pixels, end, h.Compression == BI_RLE4, out);
    return;
  }

  for (int y = 0; y < height; ++y) {
    const uint8_t* in = pixels + rowSize * size_t(h.TopDown ? y : height - 1 - y);
    uint8_t* out = bitmap.ScanLine(y);
    switch (bits) {
      case 1:
        for (int x = 0; x < w; ++x) out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
        break;
      case 2:
        for (int x = 0; x < w; ++x) out[x] = (in[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        break;
      case 4:
        for (int x = 0; x < w; ++x) out[x] = (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        break;
      case 8:
        std::memcpy(out, in, size_t(w));
        break;
      case 24:
        std::memcpy(out, in, size_t(w) * 3);
        break;
      default:
        for (int x = 0; x < w; ++x) {
          const uint32_t p = bits == 16 ? U16(in + 2 * x) : U32(in + 4 * x);
          out[3 * x] = ch[2].Get(p);
          out[3 * x + 1] = ch[1].Get(p);
          out[3 * x + 2] = ch[0].Get(p);
        }
        break;
    }
  }
}
