// TBitmap: a device-dependent bitmap with a canvas of its own, a pixel format for
// decoders, an optional palette, and transparency through a monochrome mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/classes.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/graphics/graphics_error.h"
#include "toolkit/graphics/palette.h"

enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };
enum TTransparentMode : uint8_t { tmAuto, tmFixed };

// Largest bitmap accepted: 32767 pixels a side and 256 MB of 32-bit pixels.
constexpr int MaxBitmapSide = 32767;
constexpr int64_t MaxBitmapBytes = int64_t(256) << 20;

// Row layout of ScanLine, top row first, each row ScanLineSize() bytes (a multiple of
// 4): pf1bit 1 bit per pixel, most significant bit first (0 black, 1 white unless the
// palette says otherwise); pf4bit a nibble per pixel, high nibble first; pf8bit one
// palette index per pixel; pf24bit blue, green, red; pf32bit and pfDevice blue, green,
// red and an unused byte (little-endian 0x00RRGGBB words).
//
// The pixels live either in the rows of the pixel format or in the canvas surface,
// whichever was written last; the other is rebuilt when asked for. A pointer from
// ScanLine stays valid until the canvas is next used or the size or format changes.
class TBitmap : public TPersistent, private TCanvasOwner {
 public:
  TBitmap();
  // Throws EInvalidGraphic beyond the size limits; zero or negative sizes give an
  // empty bitmap.
  TBitmap(int width, int height, TPixelFormat format = pfDevice);
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  // A copy of the pixels, format, palette and transparency settings.
  void Assign(const TBitmap& source);
  // The same for a TBitmap source; other classes raise EConvertError.
  void Assign(const TPersistent* source) override;
  std::unique_ptr<TBitmap> Clone() const;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
  // New sizes keep the pixels at the top left; new area is white.
  void SetWidth(int width) { SetSize(width, FHeight); }
  void SetHeight(int height) { SetSize(FWidth, height); }
  void SetSize(int width, int height);

  TPixelFormat PixelFormat() const { return FFormat; }
  // Converts the pixels: to pf1bit by brightness, to pf4bit and pf8bit through the
  // palette (a default one when there is none).
  void SetPixelFormat(TPixelFormat format);
  bool Monochrome() const { return FFormat == pf1bit; }
  void SetMonochrome(bool mono) { SetPixelFormat(mono ? pf1bit : pfDevice); }
  int BitsPerPixel() const;

  TCanvas& Canvas();

  // The palette of pf1bit, pf4bit and pf8bit bitmaps; null when none was given.
  const TPalette* Palette() const { return FPalette.get(); }
  // Copies the entries. Index pixels keep their indexes and change colour.
  void SetPalette(const TPalette& palette);
  void ReleasePalette();

  uint8_t* ScanLine(int row);              // for writing (and reading)
  const uint8_t* ScanLineRead(int row);    // for reading only
  int ScanLineSize() const;

  // Opacity per pixel, Width() bytes a row from the top, 255 opaque: drawing the bitmap
  // (SRCCOPY) lays it over what lies beneath. Empty for an opaque bitmap; alpha of any
  // other length than a byte a pixel makes it opaque, and so does a new size.
  void SetAlphaChannel(std::vector<uint8_t> alpha);
  bool HasAlpha() const { return !FAlpha.empty(); }
  const std::vector<uint8_t>& AlphaChannel() const { return FAlpha; }

  bool Transparent = false;
  TTransparentMode TransparentMode = tmAuto;
  // tmAuto: the colour of the bottom-left pixel; tmFixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor color);
  // A new pf1bit bitmap: white (1) where the pixel has the transparent colour, black
  // elsewhere. Null for an empty bitmap.
  std::unique_ptr<TBitmap> CreateMask();

  // The pixel at (x, y) as 0x00BBGGRR; clNone outside.
  TColor Pixel(int x, int y);

  // BMP data through the strict reader; throws EInvalidGraphic on bad data.
  void LoadFromMemory(const void* data, size_t size);
  void LoadFromFile(const std::string& fileName);
  // Reads from the stream's position to its end, and leaves the position at the end.
  void LoadFromStream(TMemoryStream& stream);
  // PNG of the pixels (8-bit RGB), for tests and debugging.
  void SaveToFile(const std::string& fileName);

 private:
  void PrepareCanvas(TCanvas& canvas, bool forWrite) override;
  void EnsureSurface();
  void SurfaceToRows();
  void RowsToSurface();
  bool UsesRows() const;
  uint32_t* SurfacePixels(int& stride);
  const TPalette& EffectivePalette() const;
  void TakeFrom(TBitmap& other);

  int FWidth = 0, FHeight = 0;
  TPixelFormat FFormat = pfDevice;
  cairo_surface_t* FSurface = nullptr;
  std::vector<uint8_t> FRows;
  bool FRowsValid = false;     // FRows hold the current pixels
  bool FSurfaceValid = true;   // the surface holds the current pixels
  bool FSurfaceTouched = false;  // written through ScanLine of a 32-bit format
  bool FFresh = false;           // the surface is still the white of a new size
  std::unique_ptr<TPalette> FPalette;
  std::vector<uint8_t> FAlpha;
  void AlphaChanged();
  // A pf1bit bitmap without a palette is a mask (copied to colour in the text and
  // background colours); one given a palette is a picture in its palette's colours.
  bool BlitsAsMask() const;
  TColor FTransparentColor = clNone;
  std::unique_ptr<TCanvas> FCanvas;
};

// Throws EInvalidGraphic with a message naming the size when width x height is
// beyond the limits; returns false for an empty size.
bool CheckBitmapSize(int width, int height);
