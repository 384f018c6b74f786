#include "images/image_loader.h"

#include "images/dither.h"
#include "images/gif_decoder.h"
#include "images/image_bitmap.h"
#include "images/jpeg_image.h"
#include "images/png_image.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/bmp_reader.h"

#include <cstring>
#include <exception>
#include <new>

namespace {

uint32_t ReadBigEndian(const uint8_t* P) {
  return (uint32_t(P[0]) << 24) | (uint32_t(P[1]) << 16) | (uint32_t(P[2]) << 8) | P[3];
}

// The first frame of a GIF as a 24-bit raster, with its mask when it has one.
void GifFrameToRaster(const TGIFImage& Gif, TLoadedImage& Out) {
  Out.Bitmap = TImageBuffer(Gif.Width, Gif.Height, 24);
  std::vector<uint32_t> pixels = Gif.FirstFrameBitmap();
  for (int y = 0; y < Gif.Height; ++y) {
    uint8_t* d = Out.Bitmap.ScanLine(y);
    const uint32_t* s = pixels.data() + size_t(y) * size_t(Gif.Width);
    for (int x = 0; x < Gif.Width; ++x, d += 3) {
      d[0] = uint8_t(s[x] >> 16);
      d[1] = uint8_t(s[x] >> 8);
      d[2] = uint8_t(s[x]);
    }
  }
  std::vector<uint8_t> mask = Gif.FirstFrameMask();
  if (mask.empty()) return;
  Out.Mask = TImageBuffer(Gif.Width, Gif.Height, 1);
  Out.Mask.FPalette = {clBlack, clWhite};
  for (int y = 0; y < Gif.Height; ++y) {
    uint8_t* d = Out.Mask.ScanLine(y);
    const uint8_t* s = mask.data() + size_t(y) * size_t(Gif.Width);
    for (int x = 0; x < Gif.Width; ++x)
      if (s[x]) d[x >> 3] |= uint8_t(0x80 >> (x & 7));
  }
}

}  // namespace

int GetImageFormat(const uint8_t* Header, size_t Size) {
  if (Size >= 2 && Header[0] == 'B' && Header[1] == 'M') return ifBMP;
  // The GIF reader takes its signature in any case ("gif89a" too), and so does this.
  auto upper = [Header](size_t I) { return Header[I] & ~0x20; };
  if (Size >= 4 && upper(0) == 'G' && upper(1) == 'I' && upper(2) == 'F' && Header[3] == '8')
    return Size >= 5 && Header[4] == '9' ? ifGIF89 : ifGIF87;
  if (Size >= 4 && Header[0] == 0x89 && std::memcmp(Header + 1, "PNG", 3) == 0) return ifPNG;
  if (Size >= 2 && Header[0] == 0xFF && Header[1] == 0xD8) return ifJPEG;
  return ifNone;
}

int64_t DeclaredImagePixels(const uint8_t* Data, size_t Size) {
  auto little16 = [Data](size_t I) { return int64_t(Data[I]) | int64_t(Data[I + 1]) << 8; };
  auto big16 = [Data](size_t I) { return int64_t(Data[I]) << 8 | int64_t(Data[I + 1]); };
  switch (GetImageFormat(Data, Size)) {
    case ifGIF87:
    case ifGIF89:
      if (Size < 10) return -1;
      return little16(6) * little16(8);
    case ifPNG:
      // The signature, then IHDR: its length and type, width and height.
      if (Size < 24 || std::memcmp(Data + 12, "IHDR", 4) != 0) return -1;
      return int64_t(ReadBigEndian(Data + 16)) * int64_t(ReadBigEndian(Data + 20));
    case ifBMP: {
      if (Size < 26) return -1;
      auto little32 = [&little16](size_t I) {
        return int32_t(uint32_t(little16(I)) | uint32_t(little16(I + 2)) << 16);
      };
      // An OS/2 header (12 bytes) holds 16-bit sizes; the others 32-bit ones.
      if (little32(14) == 12) return little16(18) * little16(20);
      const int64_t w = little32(18), h = little32(22);
      return w < 0 ? -1 : w * (h < 0 ? -h : h);
    }
    case ifJPEG:
      // Segments up to the first start of frame (any SOFn but DHT, JPG and DAC).
      for (size_t pos = 2; pos + 9 <= Size;) {
        if (Data[pos] != 0xFF) return -1;
        const uint8_t marker = Data[pos + 1];
        if (marker == 0xFF) {
          ++pos;
          continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
          return big16(pos + 5) * big16(pos + 7);
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
          pos += 2;
          continue;
        }
        if (marker == 0xDA || marker == 0xD9) return -1;
        pos += 2 + size_t(big16(pos + 2));
      }
      return -1;
    default:
      return -1;
  }
}

bool PngHasTransparency(const uint8_t* Data, size_t Size, TColor& Color) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (Size < 8 || std::memcmp(Data, signature, 8) != 0) return false;
  int colorType = -1, depth = 0;
  const uint8_t* palette = nullptr;
  uint32_t paletteSize = 0;
  // Every chunk is walked (ancillary ones such as gAMA may come before tRNS).
  for (size_t pos = 8; pos + 12 <= Size;) {
    uint32_t length = ReadBigEndian(Data + pos);
    if (length > Size - pos - 12) return false;
    const uint8_t* type = Data + pos + 4;
    const uint8_t* body = Data + pos + 8;
    if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
      depth = body[8];
      colorType = body[9];
      if (colorType != 0 && colorType != 2 && colorType != 3) return false;
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      palette = body;
      paletteSize = length / 3;
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
      auto sample = [depth](const uint8_t* P) { return depth == 16 ? P[0] : P[1]; };
      if (colorType == 2 && length >= 6) {
        Color = RGBColor(sample(body), sample(body + 2), sample(body + 4));
        return true;
      }
      if (colorType == 0 && length >= 2) {
        if (depth < 1 || depth > 16) return false;  // no such grey image
        int levels = depth >= 8 ? 256 : 1 << depth;
        int v = depth >= 8 ? sample(body) : (body[1] & (levels - 1)) * 255 / (levels - 1);
        Color = RGBColor(v, v, v);
        return true;
      }
      if (colorType == 3)
        for (uint32_t i = 0; i < length && i < paletteSize; ++i)
          if (body[i] == 0) {
            Color = RGBColor(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]);
            return true;
          }
      return false;
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      return false;
    }
    pos += size_t(length) + 12;
  }
  return false;
}

TImageBuffer MakeMask(const TImageBuffer& Bitmap, bool UseColor, TColor Color) {
  if (Bitmap.Empty()) return {};
  TColor key = UseColor ? (Color & 0xFFFFFF) : Bitmap.PixelColor(0, Bitmap.Height() - 1);
  TImageBuffer mask(Bitmap.Width(), Bitmap.Height(), 1);
  mask.FPalette = {clBlack, clWhite};
  for (int y = 0; y < Bitmap.Height(); ++y) {
    uint8_t* d = mask.ScanLine(y);
    for (int x = 0; x < Bitmap.Width(); ++x)
      if (Bitmap.PixelColor(x, y) == key) d[x >> 3] |= uint8_t(0x80 >> (x & 7));
  }
  return mask;
}

TLoadedImage DecodeImageData(const uint8_t* Data, size_t Size, int& Transparent, int ScreenBits) {
  TLoadedImage out;
  switch (GetImageFormat(Data, Size)) {
    case ifJPEG: {
      Transparent = tkNone;  // a JPEG never has a mask
      TJPEGImage jpeg;
      jpeg.PixelFormat = ScreenBits > 8 ? jf24Bit : jf8Bit;
      if (ScreenBits == 8) jpeg.FPalette = SharedPalette();
      jpeg.LoadFromMemory(Data, Size);
      out.Bitmap = jpeg.TakeBitmap();
      // Already mapped to the shared palette at 8 bits; other cases go on below.
      if (ScreenBits == 8 && out.Bitmap.BitsPerPixel() == 8) return out;
      ConvertForDisplay(out.Bitmap, ScreenBits);
      return out;
    }
    case ifPNG: {
      TPNGImage png;
      png.LoadFromMemory(Data, Size);
      out.Bitmap = png.TakeBitmap();
      if (!out.Bitmap.FAlpha.empty()) {
        if (ScreenBits > 8) {
          Transparent = tkAlpha;
          return out;
        }
        out.Bitmap.FAlpha = {};
      }
      // The reader's own mask is exact (it compares file samples, or palette alpha),
      // where a mask by displayed colour would also catch colours that gamma merges.
      if (!png.Mask().Empty()) {
        out.Mask = png.TakeMask();
        Transparent = tkPng;
        ConvertForDisplay(out.Bitmap, ScreenBits);
        return out;
      }
      break;
    }
    case ifGIF87:
    case ifGIF89: {
      std::unique_ptr<TGIFImage> gif = ReadGifImage(Data, Size);
      if (gif->Animated) {
        out.Gif = std::move(gif);
        return out;
      }
      GifFrameToRaster(*gif, out);
      if (!out.Mask.Empty()) {
        Transparent = tkSourceColor;
        ConvertForDisplay(out.Bitmap, ScreenBits);
        return out;
      }
      break;
    }
    case ifBMP: {
      TBitmap bitmap;
      ReadBmp(Data, Size, bitmap);
      out.Bitmap = BitmapToImage(bitmap);
      break;
    }
    default:
      throw EImageFormatError("Unrecognised image data.");
  }
  if (Transparent == tkLowerLeft) out.Mask = MakeMask(out.Bitmap, false, 0);
  if (Transparent == tkPng || Transparent == tkSourceColor || Transparent == tkAlpha)
    Transparent = tkNone;
  ConvertForDisplay(out.Bitmap, ScreenBits);
  return out;
}

TLoadedImage LoadImageFromMemory(const uint8_t* Data, size_t Size, int& Transparent,
                                 int ScreenBits, std::string* Error) {
  if (!Data || Size < MinImageDataSize) {
    if (Error) *Error = "Image data too short.";
    return {};
  }
  try {
    return DecodeImageData(Data, Size, Transparent, ScreenBits);
  } catch (const std::exception& e) {  // decoder errors, size limits, out of memory
    if (Error) *Error = e.what();
  }
  return {};
}

TLoadedImage LoadImageDataFromFile(const std::string& FileName, int& Transparent, int ScreenBits,
                                   std::string* Error) {
  TMemoryStream stream;
  try {
    stream.LoadFromFile(FileName);
  } catch (const std::exception& e) {
    if (Error) *Error = e.what();
    return {};
  }
  return LoadImageFromMemory(stream.Memory(), size_t(stream.Size()), Transparent, ScreenBits, Error);
}
