#include "images/png_image.h"

#include "images/png_filters.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

uint16_t ReadBigEndian16(const uint8_t* P) { return uint16_t((P[0] << 8) | P[1]); }

int ChannelCount(int ColorType) {
  switch (ColorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

// Feeds the collected IDAT parts through one inflate stream and hands out exactly
// the bytes asked for, so a stream that inflates to more than the image needs
// never costs more than the image's rows.
class TInflater {
 public:
  explicit TInflater(const TChunkIDAT& Chunk) : FParts(Chunk.FParts) {
    std::memset(&FStream, 0, sizeof FStream);
    if (inflateInit(&FStream) != Z_OK) throw EPNGImageException("Could not start inflating the image data.");
  }
  ~TInflater() { inflateEnd(&FStream); }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;

  void Read(uint8_t* Dest, size_t Count) {
    FStream.next_out = Dest;
    FStream.avail_out = uInt(Count);
    while (FStream.avail_out > 0) {
      if (FStream.avail_in == 0) {
        if (FNext >= FParts.size()) throw EPNGImageException(PNGTruncated);
        FStream.next_in = const_cast<Bytef*>(FParts[FNext].Data);
        FStream.avail_in = FParts[FNext].Size;
        ++FNext;
        continue;
      }
      int result = inflate(&FStream, Z_NO_FLUSH);
      if (result == Z_STREAM_END) {
        if (FStream.avail_out > 0) throw EPNGImageException(PNGTruncated);
        break;
      }
      if (result == Z_BUF_ERROR && FStream.avail_in == 0) continue;  // wants the next part
      if (result != Z_OK)
        throw EPNGImageException(std::string("The compressed image data is corrupt: ") +
                                 (FStream.msg ? FStream.msg : "inflate failed") + ".");
    }
  }

 private:
  const std::vector<TChunkIDAT::TPart>& FParts;
  size_t FNext = 0;
  z_stream FStream;
};

struct TPass {
  int X, Y, DX, DY;
};
const TPass Adam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

void SetMaskBit(TImageBuffer& Mask, int X, int Y) {
  Mask.ScanLine(Y)[X >> 3] |= uint8_t(0x80 >> (X & 7));
}

}  // namespace

void TPNGImage::LoadFromMemory(const uint8_t* Data, size_t Size) {
  FBitmap = TImageBuffer();
  FMask = TImageBuffer();
  FTransparent = false;
  FTransparentColor = clBlack;
  FPaletteAlpha.clear();
  FKey[0] = FKey[1] = FKey[2] = -1;

  TChunkList chunks(this);
  chunks.ReadFromMemory(Data, Size);
  if (chunks.Count() == 0 || std::memcmp(chunks.Item(0).FChunkType, "IHDR", 4) != 0)
    throw EPNGImageException(PNGMissingIHDR);
  const auto& header = static_cast<const TChunkIHDR&>(chunks.Item(0));
  header.Validate();
  FColorType = header.FColorType;
  FBitDepth = header.FBitDepth;
  FInterlace = header.FInterlace;
  if (!chunks.Find("IDAT")) throw EPNGImageException(PNGNoImageData);
  ReadTransparency(chunks);
  for (int i = 0; i < chunks.Count(); ++i) chunks.Item(i).Process();
}

TColor TPNGImage::TransparentColor() const {
  if (!FTransparent) throw EPNGImageException(PNGNotRGB);
  return FTransparentColor;
}

void TPNGImage::ReadTransparency(const TChunkList& Chunks) {
  const TChunk* trns = Chunks.Find("tRNS");
  if (!trns) return;
  const uint8_t* gamma = trns->GammaTable();
  auto display = [gamma](int v) { return gamma ? gamma[v] : v; };
  if (FColorType == 3) {
    FPaletteAlpha.assign(trns->FData, trns->FData + std::min<uint32_t>(trns->FSize, 256));
  } else if (FColorType == 0 && trns->FSize >= 2) {
    int key = ReadBigEndian16(trns->FData);
    int levels = FBitDepth == 16 ? 256 : 1 << FBitDepth;
    int sample = FBitDepth == 16 ? key >> 8 : key;
    if (sample >= levels) return;  // matches no pixel
    FKey[0] = key;
    int grey = display(sample * 255 / (levels - 1));
    FTransparentColor = RGBColor(grey, grey, grey);
    FTransparent = true;
  } else if (FColorType == 2 && trns->FSize >= 6) {
    int rgb[3];
    for (int k = 0; k < 3; ++k) {
      FKey[k] = ReadBigEndian16(trns->FData + 2 * k);
      rgb[k] = display(FBitDepth == 16 ? FKey[k] >> 8 : FKey[k] & 0xFF);
    }
    FTransparentColor = RGBColor(rgb[0], rgb[1], rgb[2]);
    FTransparent = true;
  }
}

void TPNGImage::BuildPalette(const TChunkList& Chunks, int BitmapBits) {
  const TChunkGAMA* gammaChunk = Chunks.Gamma();
  const uint8_t* gamma = gammaChunk ? gammaChunk->FForward : nullptr;
  auto display = [gamma](int v) { return gamma ? gamma[v] : v; };
  std::vector<TColor> base;
  if (FColorType == 3) {
    const TChunk* plte = Chunks.Find("PLTE");
    if (!plte) throw EPNGImageException(PNGMissingPalette);
    if (plte->FSize % 3 != 0 || plte->FSize == 0 || plte->FSize > 768)
      throw EPNGImageException(PNGInvalidPalette);
    for (uint32_t i = 0; i < plte->FSize; i += 3)
      base.push_back(RGBColor(display(plte->FData[i]), display(plte->FData[i + 1]),
                              display(plte->FData[i + 2])));
  } else {
    int levels = FBitDepth == 16 ? 256 : 1 << FBitDepth;
    for (int i = 0; i < levels; ++i) {
      int v = display(i * 255 / (levels - 1));
      base.push_back(RGBColor(v, v, v));
    }
  }
  size_t size = size_t(1) << BitmapBits;
  std::vector<TColor>& palette = FBitmap.FPalette;
  palette.assign(size, clBlack);
  // 2-bit pixels arrive as 4-bit values 5v: the first four entries repeat.
  size_t period = FBitDepth == 2 ? 4 : size;
  for (size_t i = 0; i < size; ++i)
    if (i % period < base.size()) palette[i] = base[i % period];
}

void TPNGImage::MaskRow(const uint8_t* S, int Width, uint8_t* Flags) const {
  int depth = FBitDepth;
  for (int x = 0; x < Width; ++x) {
    bool clear = false;
    if (FColorType == 3 || (FColorType == 0 && depth < 16)) {
      int sample;
      if (depth == 8) {
        sample = S[x];
      } else {
        int perByte = 8 / depth;
        int shift = 8 - depth * (x % perByte + 1);
        sample = (S[x / perByte] >> shift) & ((1 << depth) - 1);
      }
      clear = FColorType == 3 ? size_t(sample) < FPaletteAlpha.size() && FPaletteAlpha[size_t(sample)] == 0
                              : sample == FKey[0];
    } else if (FColorType == 0) {
      clear = ReadBigEndian16(S + 2 * x) == FKey[0];
    } else if (depth == 8) {
      const uint8_t* p = S + 3 * x;
      clear = p[0] == FKey[0] && p[1] == FKey[1] && p[2] == FKey[2];
    } else {
      const uint8_t* p = S + 6 * x;
      clear = ReadBigEndian16(p) == FKey[0] && ReadBigEndian16(p + 2) == FKey[1] &&
              ReadBigEndian16(p + 4) == FKey[2];
    }
    Flags[x] = clear;
  }
}

bool TPNGImage::HasAlphaValues() const {
  if (FColorType == 4 || FColorType == 6) return true;
  // Palette entries only clear or opaque are what the mask says already.
  return std::any_of(FPaletteAlpha.begin(), FPaletteAlpha.end(),
                     [](uint8_t A) { return A != 0 && A != 255; });
}

void TPNGImage::AlphaRow(const uint8_t* S, int Width, uint8_t* Alpha) const {
  const int depth = FBitDepth;
  if (FColorType == 3) {
    const int perByte = 8 / depth;
    for (int x = 0; x < Width; ++x) {
      const int sample = depth == 8 ? S[x] : (S[x / perByte] >> (8 - depth * (x % perByte + 1))) & ((1 << depth) - 1);
      Alpha[x] = size_t(sample) < FPaletteAlpha.size() ? FPaletteAlpha[size_t(sample)] : 255;
    }
    return;
  }
  // Grey with alpha and RGBA: the last sample of a pixel, its high byte at depth 16.
  const int samples = FColorType == 4 ? 2 : 4, bytes = depth / 8;
  for (int x = 0; x < Width; ++x) Alpha[x] = S[(size_t(x) * samples + samples - 1) * bytes];
}

void TPNGImage::DecodeImageData(const TChunkIDAT& Chunk) {
  const TChunkList& chunks = *Chunk.FOwner;
  const TChunkIHDR& header = *Chunk.Header();
  int bitmapBits = 0;
  TRowConverter convert = RowConverterFor(FColorType, FBitDepth, &bitmapBits);
  if (!convert) throw EPNGImageException(PNGUnknownColorType);
  // An alpha channel costs a byte a pixel beside the raster.
  std::string sizeError =
      CheckImageSize(header.FWidth, header.FHeight, bitmapBits + (HasAlphaValues() ? 8 : 0));
  if (!sizeError.empty()) throw EPNGImageException(sizeError + ".");
  const int width = int(header.FWidth), height = int(header.FHeight);
  const int filePixelBits = ChannelCount(FColorType) * FBitDepth;
  const int filterOffset = std::max(1, filePixelBits / 8);
  auto rowBytesFor = [filePixelBits](int Pixels) { return (size_t(Pixels) * filePixelBits + 7) / 8; };

  FBitmap = TImageBuffer(width, height, bitmapBits);
  if (bitmapBits <= 8) BuildPalette(chunks, bitmapBits);
  const uint8_t* gamma = (FColorType == 2 || FColorType == 6) ? Chunk.GammaTable() : nullptr;

  // A palette tRNS without a fully clear entry leaves every pixel opaque: no mask.
  bool masked = FKey[0] >= 0 || std::find(FPaletteAlpha.begin(), FPaletteAlpha.end(), 0) != FPaletteAlpha.end();
  const bool alpha = HasAlphaValues();
  std::vector<uint8_t> alphaRow;
  if (alpha) {
    FBitmap.FAlpha.assign(size_t(width) * size_t(height), 255);
    alphaRow.resize(size_t(width));
  }
  std::vector<uint8_t> flags;
  if (masked) {
    FMask = TImageBuffer(width, height, 1);
    FMask.FPalette = {clBlack, clWhite};
    flags.resize(size_t(width));
  }

  // Two rows with the filter-type byte in front; the prior row starts as zeros.
  size_t maxRow = rowBytesFor(width) + 1;
  std::vector<uint8_t> rowA(maxRow), rowB(maxRow);
  uint8_t* cur = rowA.data();
  uint8_t* prior = rowB.data();
  TInflater inflater(Chunk);

  auto readRow = [&](size_t RowBytes) {
    inflater.Read(cur, RowBytes + 1);
    if (!UnfilterRow(cur[0], cur + 1, prior + 1, RowBytes, filterOffset))
      throw EPNGImageException(PNGUnknownFilter);
  };

  if (FInterlace == 0) {
    size_t rowBytes = rowBytesFor(width);
    for (int y = 0; y < height; ++y) {
      readRow(rowBytes);
      convert(cur + 1, FBitmap.ScanLine(y), width, gamma);
      if (masked) {
        MaskRow(cur + 1, width, flags.data());
        for (int x = 0; x < width; ++x)
          if (flags[size_t(x)]) SetMaskBit(FMask, x, y);
      }
      if (alpha) AlphaRow(cur + 1, width, FBitmap.FAlpha.data() + size_t(y) * size_t(width));
      std::swap(cur, prior);
    }
    return;
  }

  std::vector<uint8_t> passRow(BitmapStride(width, bitmapBits));
  for (const TPass& pass : Adam7) {
    if (width <= pass.X || height <= pass.Y) continue;
    int passWidth = (width - pass.X + pass.DX - 1) / pass.DX;
    int passHeight = (height - pass.Y + pass.DY - 1) / pass.DY;
    size_t rowBytes = rowBytesFor(passWidth);
    std::memset(prior, 0, rowBytes + 1);
    for (int j = 0; j < passHeight; ++j) {
      readRow(rowBytes);
      int y = pass.Y + j * pass.DY;
      convert(cur + 1, passRow.data(), passWidth, gamma);
      uint8_t* line = FBitmap.ScanLine(y);
      for (int i = 0; i < passWidth; ++i) PlacePixel(passRow.data(), i, line, pass.X + i * pass.DX, bitmapBits);
      if (masked) {
        MaskRow(cur + 1, passWidth, flags.data());
        for (int i = 0; i < passWidth; ++i)
          if (flags[size_t(i)]) SetMaskBit(FMask, pass.X + i * pass.DX, y);
      }
      if (alpha) {
        AlphaRow(cur + 1, passWidth, alphaRow.data());
        uint8_t* out = FBitmap.FAlpha.data() + size_t(y) * size_t(width);
        for (int i = 0; i < passWidth; ++i) out[pass.X + i * pass.DX] = alphaRow[size_t(i)];
      }
      std::swap(cur, prior);
    }
  }
}
