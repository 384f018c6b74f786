#include "toolkit/graphics/bitmap.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "toolkit/graphics/bmp_reader.h"
#include "toolkit/graphics/png_writer.h"
#include "toolkit/graphics/raster_ops.h"

namespace {

const TPalette& MonoPalette() {
  static const TPalette p(std::vector<TPaletteEntry>{{0, 0, 0, 0}, {255, 255, 255, 0}});
  return p;
}

cairo_surface_t* CreateSurface(int width, int height) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    throw EOutOfResources("Out of Resources");
  }
  return s;
}

}  // namespace

bool CheckBitmapSize(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (width > MaxBitmapSide || height > MaxBitmapSide ||
      int64_t(width) * int64_t(height) * 4 > MaxBitmapBytes)
    throw EInvalidGraphic("Bitmap too large: " + std::to_string(width) + " x " +
                          std::to_string(height) + " pixels");
  return true;
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) : FFormat(format) {
  SetSize(width, height);
}

TBitmap::~TBitmap() {
  FCanvas.reset();
  if (FSurface) cairo_surface_destroy(FSurface);
}

bool TBitmap::UsesRows() const {
  return FFormat == pf1bit || FFormat == pf4bit || FFormat == pf8bit || FFormat == pf24bit;
}

int TBitmap::BitsPerPixel() const {
  switch (FFormat) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    default: return 32;
  }
}

const TPalette& TBitmap::EffectivePalette() const {
  if (FPalette && FPalette->Count() > 0) return *FPalette;
  switch (FFormat) {
    case pf1bit: return MonoPalette();
    case pf4bit: return TPalette::Vga16();
    default: return TPalette::SystemPalette();
  }
}

int TBitmap::ScanLineSize() const {
  if (Empty()) return 0;
  if (UsesRows()) return int(((int64_t(FWidth) * BitsPerPixel() + 31) / 32) * 4);
  return cairo_image_surface_get_stride(FSurface);
}

uint32_t* TBitmap::SurfacePixels(int& stride) {
  cairo_surface_flush(FSurface);
  stride = cairo_image_surface_get_stride(FSurface) / 4;
  return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(FSurface));
}

void TBitmap::SetSize(int width, int height) {
  if (!CheckBitmapSize(width, height)) width = height = 0;
  if (width == FWidth && height == FHeight) return;
  if (!Empty() && !FSurfaceValid) RowsToSurface();
  cairo_surface_t* old = FSurface;
  const int oldW = FWidth, oldH = FHeight;
  FSurface = nullptr;
  if (width > 0) {
    try {
      FSurface = CreateSurface(width, height);
    } catch (...) {
      FSurface = old;
      throw;
    }
    int stride;
    uint32_t* px = SurfacePixels(stride);
    for (int y = 0; y < height; ++y)
      FillPixels(px + size_t(y) * size_t(stride), size_t(width), 0xFFFFFFFFu);
    if (old) {
      int oldStride = cairo_image_surface_get_stride(old) / 4;
      cairo_surface_flush(old);
      auto* src = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(old));
      const int w = std::min(width, oldW), h = std::min(height, oldH);
      for (int y = 0; y < h; ++y)
        std::memcpy(px + size_t(y) * size_t(stride), src + size_t(y) * size_t(oldStride), size_t(w) * 4);
    }
    cairo_surface_mark_dirty(FSurface);
  }
  if (old) cairo_surface_destroy(old);
  FWidth = width;
  FHeight = height;
  FAlpha.clear();
  AlphaChanged();
  FRows.clear();
  FRowsValid = false;
  FSurfaceValid = true;
  FSurfaceTouched = false;
  FFresh = old == nullptr;
  if (FCanvas) FCanvas->AttachSurface(FSurface);
}

void TBitmap::RowsToSurface() {
  FSurfaceValid = true;
  if (Empty() || !FRowsValid) return;
  uint32_t lut[256];
  const TPalette& pal = EffectivePalette();
  for (int i = 0; i < 256; ++i) lut[i] = 0xFF000000u | pal.EntryPixel(i);
  int stride;
  uint32_t* px = SurfacePixels(stride);
  const int rowSize = ScanLineSize();
  for (int y = 0; y < FHeight; ++y) {
    const uint8_t* row = FRows.data() + size_t(y) * size_t(rowSize);
    uint32_t* out = px + size_t(y) * size_t(stride);
    switch (FFormat) {
      case pf1bit:
        for (int x = 0; x < FWidth; ++x) out[x] = lut[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case pf4bit:
        for (int x = 0; x < FWidth; ++x) out[x] = lut[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
        break;
      case pf8bit:
        for (int x = 0; x < FWidth; ++x) out[x] = lut[row[x]];
        break;
      default:
        for (int x = 0; x < FWidth; ++x)
          out[x] = 0xFF000000u | uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 |
                   row[3 * x];
        break;
    }
  }
  cairo_surface_mark_dirty(FSurface);
}

void TBitmap::SurfaceToRows() {
  const int rowSize = ScanLineSize();
  FRows.assign(size_t(rowSize) * size_t(FHeight), 0);
  FRowsValid = true;
  if (Empty()) return;
  const TPalette& pal = EffectivePalette();
  int stride;
  const uint32_t* px = SurfacePixels(stride);
  // A surface nobody drew on is one colour: convert a row and repeat it.
  const int rows = FFresh ? 1 : FHeight;
  for (int y = 0; y < rows; ++y) {
    uint8_t* row = FRows.data() + size_t(y) * size_t(rowSize);
    const uint32_t* in = px + size_t(y) * size_t(stride);
    switch (FFormat) {
      case pf1bit:
        for (int x = 0; x < FWidth; ++x)
          if (pal.NearestIndexOfPixel(in[x]) & 1) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
        break;
      case pf4bit:
        for (int x = 0; x < FWidth; ++x)
          row[x >> 1] |= uint8_t((pal.NearestIndexOfPixel(in[x]) & 15) << ((x & 1) ? 0 : 4));
        break;
      case pf8bit:
        for (int x = 0; x < FWidth; ++x) row[x] = uint8_t(pal.NearestIndexOfPixel(in[x]));
        break;
      default:
        for (int x = 0; x < FWidth; ++x) {
          row[3 * x] = uint8_t(in[x]);
          row[3 * x + 1] = uint8_t(in[x] >> 8);
          row[3 * x + 2] = uint8_t(in[x] >> 16);
        }
        break;
    }
  }
  for (int y = rows; y < FHeight; ++y)
    std::memcpy(FRows.data() + size_t(y) * size_t(rowSize), FRows.data(), size_t(rowSize));
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == FFormat) return;
  if (!Empty() && !FSurfaceValid) RowsToSurface();
  FFormat = format;
  FRows.clear();
  FRowsValid = false;
  FSurfaceValid = true;
  if (!Empty() && UsesRows() && format != pf24bit) {
    // Reduce the colours to what the format can hold.
    SurfaceToRows();
    RowsToSurface();
  }
  if (FCanvas) FCanvas->SetMonochrome(BlitsAsMask());
}

void TBitmap::SetPalette(const TPalette& palette) {
  if (UsesRows() && !Empty() && !FRowsValid) SurfaceToRows();
  FPalette = std::make_unique<TPalette>(palette);
  if (UsesRows() && !Empty()) FSurfaceValid = false;
  if (FCanvas) FCanvas->SetMonochrome(BlitsAsMask());
}

void TBitmap::SetAlphaChannel(std::vector<uint8_t> alpha) {
  if (alpha.size() != size_t(std::max(FWidth, 0)) * size_t(std::max(FHeight, 0))) alpha.clear();
  FAlpha = std::move(alpha);
  AlphaChanged();
}

void TBitmap::AlphaChanged() {
  if (FCanvas) FCanvas->SetAlphaChannel(FAlpha.empty() ? nullptr : FAlpha.data());
}

bool TBitmap::BlitsAsMask() const {
  // A palette, black and white included, makes a picture that keeps its colours.
  return FFormat == pf1bit && (!FPalette || FPalette->Count() == 0);
}

void TBitmap::ReleasePalette() {
  if (UsesRows() && !Empty() && !FRowsValid) SurfaceToRows();
  FPalette.reset();
  if (UsesRows() && !Empty()) FSurfaceValid = false;
  if (FCanvas) FCanvas->SetMonochrome(BlitsAsMask());
}

TCanvas& TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TCanvas>(FSurface);
    FCanvas->SetOwner(this);
    FCanvas->SetMonochrome(BlitsAsMask());
    AlphaChanged();
  }
  return *FCanvas;
}

void TBitmap::PrepareCanvas(TCanvas& canvas, bool forWrite) {
  if (!Empty()) {
    if (!FSurfaceValid) RowsToSurface();
    if (FSurfaceTouched) {
      cairo_surface_mark_dirty(FSurface);
      FSurfaceTouched = false;
    }
  }
  if (canvas.Surface() != FSurface) canvas.AttachSurface(FSurface);
  if (forWrite) {
    FRowsValid = false;
    FFresh = false;
  }
}

uint8_t* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= FHeight) throw EInvalidGraphic("Scan line index out of range");
  if (UsesRows()) {
    if (!FRowsValid) SurfaceToRows();
    FSurfaceValid = false;
    FFresh = false;
    return FRows.data() + size_t(row) * size_t(ScanLineSize());
  }
  if (!FSurfaceValid) RowsToSurface();
  FSurfaceTouched = true;
  FRowsValid = false;
  FFresh = false;
  int stride;
  return reinterpret_cast<uint8_t*>(SurfacePixels(stride) + size_t(row) * size_t(stride));
}

const uint8_t* TBitmap::ScanLineRead(int row) {
  if (row < 0 || row >= FHeight) throw EInvalidGraphic("Scan line index out of range");
  if (UsesRows()) {
    if (!FRowsValid) SurfaceToRows();
    return FRows.data() + size_t(row) * size_t(ScanLineSize());
  }
  if (!FSurfaceValid) RowsToSurface();
  int stride;
  return reinterpret_cast<const uint8_t*>(SurfacePixels(stride) + size_t(row) * size_t(stride));
}

TColor TBitmap::Pixel(int x, int y) {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return clNone;
  if (!FSurfaceValid) RowsToSurface();
  int stride;
  uint32_t p = SurfacePixels(stride)[size_t(y) * size_t(stride) + size_t(x)];
  return RGBColor(int(p >> 16) & 0xFF, int(p >> 8) & 0xFF, int(p & 0xFF));
}

TColor TBitmap::TransparentColor() {
  if (TransparentMode == tmFixed) return FTransparentColor;
  return Empty() ? clNone : Pixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
  FTransparentColor = color;
  TransparentMode = tmFixed;
}

std::unique_ptr<TBitmap> TBitmap::CreateMask() {
  if (Empty()) return nullptr;
  const TColor tc = TransparentColor();
  const bool any = tc != clNone;
  const TColor rgb = ColorToRGB(tc);
  const uint32_t key = uint32_t(GetRValue(rgb)) << 16 | uint32_t(GetGValue(rgb)) << 8 | uint32_t(GetBValue(rgb));
  auto mask = std::make_unique<TBitmap>(FWidth, FHeight, pf1bit);
  if (!FSurfaceValid) RowsToSurface();
  int stride, maskStride;
  const uint32_t* px = SurfacePixels(stride);
  uint32_t* out = mask->SurfacePixels(maskStride);
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) {
      const bool transparent = any && (px[size_t(y) * size_t(stride) + size_t(x)] & 0xFFFFFF) == key;
      out[size_t(y) * size_t(maskStride) + size_t(x)] = transparent ? 0xFFFFFFFFu : 0xFF000000u;
    }
  cairo_surface_mark_dirty(mask->FSurface);
  mask->FFresh = false;
  return mask;
}

void TBitmap::Assign(const TBitmap& source) {
  if (&source == this) return;
  auto& src = const_cast<TBitmap&>(source);  // bringing its pixels up to date is not a change
  if (!src.Empty() && !src.FSurfaceValid) src.RowsToSurface();
  SetSize(0, 0);
  FFormat = src.FFormat;
  FPalette = src.FPalette ? std::make_unique<TPalette>(*src.FPalette) : nullptr;
  Transparent = src.Transparent;
  TransparentMode = src.TransparentMode;
  FTransparentColor = src.FTransparentColor;
  SetSize(src.FWidth, src.FHeight);
  if (!Empty()) {
    int stride, srcStride;
    uint32_t* px = SurfacePixels(stride);
    const uint32_t* in = src.SurfacePixels(srcStride);
    for (int y = 0; y < FHeight; ++y)
      std::memcpy(px + size_t(y) * size_t(stride), in + size_t(y) * size_t(srcStride), size_t(FWidth) * 4);
    cairo_surface_mark_dirty(FSurface);
    FFresh = src.FFresh;
    if (src.FRowsValid && UsesRows()) {
      FRows = src.FRows;
      FRowsValid = true;
    }
    FAlpha = src.FAlpha;
    AlphaChanged();
  }
  if (FCanvas) FCanvas->SetMonochrome(BlitsAsMask());
}

void TBitmap::Assign(const TPersistent* source) {
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) Assign(*bitmap);
  else TPersistent::Assign(source);
}

std::unique_ptr<TBitmap> TBitmap::Clone() const {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(*this);
  return copy;
}

void TBitmap::LoadFromMemory(const void* data, size_t size) {
  TBitmap scratch;
  ReadBmp(static_cast<const uint8_t*>(data), size, scratch);
  TakeFrom(scratch);
}

void TBitmap::LoadFromStream(TMemoryStream& stream) {
  const int64_t start = std::clamp<int64_t>(stream.Position(), 0, stream.Size());
  LoadFromMemory(stream.Memory() + start, size_t(stream.Size() - start));
  stream.SetPosition(stream.Size());
}

void TBitmap::TakeFrom(TBitmap& other) {
  std::swap(FWidth, other.FWidth);
  std::swap(FHeight, other.FHeight);
  std::swap(FFormat, other.FFormat);
  std::swap(FSurface, other.FSurface);
  std::swap(FRows, other.FRows);
  std::swap(FRowsValid, other.FRowsValid);
  std::swap(FSurfaceValid, other.FSurfaceValid);
  std::swap(FSurfaceTouched, other.FSurfaceTouched);
  std::swap(FFresh, other.FFresh);
  std::swap(FPalette, other.FPalette);
  std::swap(FAlpha, other.FAlpha);
  if (FCanvas) {
    FCanvas->AttachSurface(FSurface);
    FCanvas->SetMonochrome(BlitsAsMask());
  }
  if (other.FCanvas) other.FCanvas->AttachSurface(other.FSurface);
  AlphaChanged();
  other.AlphaChanged();
}

void TBitmap::LoadFromFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EInvalidGraphic("Can't open file: " + fileName);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LoadFromMemory(bytes.data(), bytes.size());
}

void TBitmap::SaveToFile(const std::string& fileName) {
  std::vector<uint8_t> rgb(size_t(std::max(FWidth, 0)) * size_t(std::max(FHeight, 0)) * 3);
  if (!Empty()) {
    if (!FSurfaceValid) RowsToSurface();
    int stride;
    const uint32_t* px = SurfacePixels(stride);
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x) {
        uint32_t p = px[size_t(y) * size_t(stride) + size_t(x)];
        uint8_t* o = &rgb[(size_t(y) * size_t(FWidth) + size_t(x)) * 3];
        o[0] = uint8_t(p >> 16);
        o[1] = uint8_t(p >> 8);
        o[2] = uint8_t(p);
      }
  }
  WritePngFile(fileName, FWidth, FHeight, rgb.data(), 3, FWidth * 3);
}
