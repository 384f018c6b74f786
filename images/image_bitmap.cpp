#include "images/image_bitmap.h"

#include "images/dither.h"

#include <cstring>

namespace {

TPixelFormat FormatFor(int Bits) {
  switch (Bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    default: return pf24bit;
  }
}

// The raster as 24-bit rows (the reduction engine reads blue, green, red).
TImageBuffer To24Bit(const TImageBuffer& Image) {
  TImageBuffer out(Image.Width(), Image.Height(), 24);
  for (int y = 0; y < Image.Height(); ++y) {
    uint8_t* d = out.ScanLine(y);
    for (int x = 0; x < Image.Width(); ++x, d += 3) {
      TColor c = Image.PixelColor(x, y);
      d[0] = uint8_t(GetBValue(c));
      d[1] = uint8_t(GetGValue(c));
      d[2] = uint8_t(GetRValue(c));
    }
  }
  return out;
}

}  // namespace

std::unique_ptr<TBitmap> ImageToBitmap(const TImageBuffer& Image) {
  if (Image.Empty()) return nullptr;
  auto bitmap = std::make_unique<TBitmap>(Image.Width(), Image.Height(), FormatFor(Image.BitsPerPixel()));
  if (Image.BitsPerPixel() <= 8) {
    std::vector<TPaletteEntry> entries;
    for (TColor c : Image.FPalette)
      entries.push_back({uint8_t(GetRValue(c)), uint8_t(GetGValue(c)), uint8_t(GetBValue(c)), 0});
    bitmap->SetPalette(TPalette(std::move(entries)));
  }
  size_t bytes = std::min(Image.Stride(), size_t(bitmap->ScanLineSize()));
  for (int y = 0; y < Image.Height(); ++y) std::memcpy(bitmap->ScanLine(y), Image.ScanLine(y), bytes);
  bitmap->SetAlphaChannel(Image.FAlpha);
  return bitmap;
}

TImageBuffer BitmapToImage(TBitmap& Bitmap) {
  if (Bitmap.Empty()) return {};
  TPixelFormat format = Bitmap.PixelFormat();
  int bits = format == pf1bit ? 1 : format == pf4bit ? 4 : format == pf8bit ? 8 : 24;
  TImageBuffer out(Bitmap.Width(), Bitmap.Height(), bits);
  if (bits <= 8) {
    if (const TPalette* palette = Bitmap.Palette())
      for (int i = 0; i < palette->Count(); ++i) out.FPalette.push_back(palette->EntryColor(i));
    out.FPalette.resize(size_t(1) << bits, clBlack);
  }
  for (int y = 0; y < Bitmap.Height(); ++y) {
    const uint8_t* s = Bitmap.ScanLineRead(y);
    uint8_t* d = out.ScanLine(y);
    if (format == pf24bit || bits <= 8) {
      std::memcpy(d, s, std::min(out.Stride(), size_t(Bitmap.ScanLineSize())));
    } else {  // four bytes a pixel: blue, green, red, unused
      for (int x = 0; x < Bitmap.Width(); ++x) std::memcpy(d + 3 * size_t(x), s + 4 * size_t(x), 3);
    }
  }
  return out;
}

void ConvertForDisplay(TImageBuffer& Image, int ScreenBits) {
  if (ScreenBits > 8 || Image.Empty()) return;
  TImageBuffer source = Image.BitsPerPixel() == 24 ? std::move(Image) : To24Bit(Image);
  TPixelRows rows;
  rows.Bits = source.ScanLine(0);
  rows.Width = source.Width();
  rows.Height = source.Height();
  rows.Stride = ptrdiff_t(source.Stride());
  rows.BytesPerPixel = 3;
  TMappedImage mapped = PrepareForScreen(rows, ScreenBits);
  TImageBuffer out(mapped.Width, mapped.Height, 8);
  out.FPalette = mapped.Palette;
  out.FPalette.resize(256, clBlack);
  for (int y = 0; y < mapped.Height; ++y) std::memcpy(out.ScanLine(y), mapped.Row(y), size_t(mapped.Width));
  Image = std::move(out);
}

std::unique_ptr<TBitmap> LoadImageFromStream(TMemoryStream* Stream, int& Transparent,
                                             std::unique_ptr<TBitmap>& Mask, int ScreenBits) {
  Mask.reset();
  if (!Stream || !Stream->Memory() || Stream->Size() < int64_t(MinImageDataSize)) return nullptr;
  int request = Transparent;
  TLoadedImage image = LoadImageFromMemory(Stream->Memory(), size_t(Stream->Size()), request, ScreenBits);
  try {
    if (image.Gif) {  // this entry gives a still: the first frame
      std::vector<uint32_t> pixels = image.Gif->RenderCurrent();
      image.Bitmap = TImageBuffer(image.Gif->Width, image.Gif->Height, 24);
      for (int y = 0; y < image.Gif->Height; ++y)
        for (int x = 0; x < image.Gif->Width; ++x) {
          uint32_t p = pixels[size_t(y) * size_t(image.Gif->Width) + size_t(x)];
          uint8_t* d = image.Bitmap.ScanLine(y) + 3 * size_t(x);
          d[0] = uint8_t(p >> 16);
          d[1] = uint8_t(p >> 8);
          d[2] = uint8_t(p);
        }
      if (request == tkLowerLeft) image.Mask = MakeMask(image.Bitmap, false, 0);
    }
    if (image.Bitmap.Empty()) return nullptr;
    std::unique_ptr<TBitmap> bitmap = ImageToBitmap(image.Bitmap);
    if (!image.Mask.Empty()) Mask = ImageToBitmap(image.Mask);
    Transparent = request;
    return bitmap;
  } catch (const std::exception&) {
    Mask.reset();
    return nullptr;
  }
}

std::unique_ptr<TBitmap> LoadImageFromFile(const std::string& FileName, int& Transparent,
                                           std::unique_ptr<TBitmap>& Mask, int ScreenBits) {
  Mask.reset();
  TMemoryStream stream;
  try {
    stream.LoadFromFile(FileName);
  } catch (const std::exception&) {
    return nullptr;
  }
  return LoadImageFromStream(&stream, Transparent, Mask, ScreenBits);
}
