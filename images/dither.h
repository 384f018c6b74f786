// Colour reduction for palette displays: maps true-colour pixels to an 8-bit palette image,
// with the palette chosen among the system colours, a 6x6x6 cube, the shared display palette
// or an octree-optimised one, and optional serpentine Floyd-Steinberg error diffusion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/types.h"

class GIFException : public std::runtime_error {
 public:
  explicit GIFException(const std::string& Message) : std::runtime_error(Message) {}
};

// Palette choices (first argument of MapToPalette).
enum : int { rpNone = 0, rpSystem = 1, rpCube = 3, rpShared = 4, rpOptimized = 5 };
// Dither modes (second argument).
enum : int { dmNone = 0, dmFloydSteinberg = 1 };

using TColorTable = std::vector<TColor>;  // 0x00BBGGRR entries, at most 256

// The 20 static colours of a palette display: the first ten and the last ten of its palette.
const TColorTable& SystemDefaultColors();
// The cube: entry 36 i + 6 j + k is red 51 i, green 51 j, blue 51 k.
const TColorTable& CubeColors();
// The shared display palette (256 entries): the static colours at 0..9 and 246..255, a
// 215-colour cube of the levels 55, 115, 165, 205, 235, 255 at 10..224, greys at 225..245.
const TColorTable& SharedPalette();
// A copy of the palette for a bitmap of its own; none at a display depth above 8 bits.
TColorTable DuplicatePalette(const TColorTable& Palette, int ScreenBits);

// Source rows: blue, green, red bytes per pixel (a fourth, unused byte when BytesPerPixel is 4),
// top row first.
struct TPixelRows {
  const uint8_t* Bits = nullptr;
  int Width = 0, Height = 0;
  ptrdiff_t Stride = 0;
  int BytesPerPixel = 3;
  const uint8_t* Row(int Y) const { return Bits + Y * Stride; }
};

// The result of MapToPalette: one byte per pixel (BitsPerPixel 8, rows of Width bytes) or a
// copy of the source as blue, green, red (BitsPerPixel 24, rows of 3 x Width bytes).
struct TMappedImage {
  int Width = 0, Height = 0;
  int BitsPerPixel = 8;
  std::vector<uint8_t> Pixels;
  TColorTable Palette;  // empty for 24 bits and for the empty result of an unknown choice
  uint8_t* Row(int Y) { return Pixels.data() + size_t(Y) * size_t(Width) * size_t(BitsPerPixel / 8); }
  const uint8_t* Row(int Y) const { return Pixels.data() + size_t(Y) * size_t(Width) * size_t(BitsPerPixel / 8); }
};

// Maps a colour to a palette index and gives the palette colour chosen.
class TColorLookup {
 public:
  virtual ~TColorLookup() = default;
  virtual int NearestEntry(int Red, int Green, int Blue, TColor& Chosen) = 0;
  virtual int Colors() const = 0;
};

// Any palette: the nearest entry by the sum of absolute channel differences (the lowest
// index wins a tie), cached per 5-bit-per-channel cell: the first colour looked up in a cell
// decides for the whole cell.
class TFastColorLookup final : public TColorLookup {
 public:
  explicit TFastColorLookup(const TColorTable& Palette);
  int NearestEntry(int Red, int Green, int Blue, TColor& Chosen) override {
    const int Slot = (Red >> 3) | ((Green >> 3) << 5) | ((Blue >> 3) << 10);
    int Index = FInverse[size_t(Slot)];
    if (Index < 0) Index = Search(Slot, Red, Green, Blue);
    Chosen = FPalette[size_t(Index)];
    return Index;
  }
  int Colors() const override { return int(FPalette.size()); }

 private:
  int Search(int Slot, int Red, int Green, int Blue);
  TColorTable FPalette;
  std::vector<int16_t> FInverse;  // 32768 cells, -1 until known
};

// The 216-colour cube, by arithmetic: each channel to its nearest level (0 to 23 give
// level 0, 24 to 74 level 1, and so on).
class TNetscapeColorLookup final : public TColorLookup {
 public:
  int NearestEntry(int Red, int Green, int Blue, TColor& Chosen) override {
    const int R = (Red + 27) / 51, G = (Green + 27) / 51, B = (Blue + 27) / 51;
    Chosen = RGBColor(51 * R, 51 * G, 51 * B);
    return 36 * R + 6 * G + B;
  }
  int Colors() const override { return 216; }
};

// Maps pixels along a row, without dithering. The column moves by Direction.
template <class TLookup>
class TDitherEngine {
 public:
  TDitherEngine(TLookup& ALookup, int AWidth) : Width(AWidth), FLookup(ALookup) {}
  uint8_t MapPixel(int Red, int Green, int Blue) {
    TColor Chosen;
    const int Index = FLookup.NearestEntry(Red, Green, Blue, Chosen);
    Column += Direction;
    return uint8_t(Index);
  }
  void NextRow() {
    Direction = -Direction;
    Column = Direction > 0 ? 0 : Width - 1;
  }
  int Width;
  int Column = 0;
  int Direction = 1;

 protected:
  TLookup& FLookup;
};

// Serpentine Floyd-Steinberg: 7/16 of a pixel's error to the next pixel, 3/16, 5/16 and 1/16
// to the row below (behind, under, ahead), accumulated in one error row per channel.
template <class TLookup>
class TFloydSteinbergEngine {
 public:
  TFloydSteinbergEngine(TLookup& ALookup, int AWidth)
      : Width(AWidth), FLookup(ALookup), FErrors{std::vector<int32_t>(size_t(AWidth) + 2, 0),
                                                 std::vector<int32_t>(size_t(AWidth) + 2, 0),
                                                 std::vector<int32_t>(size_t(AWidth) + 2, 0)} {}

  uint8_t MapPixel(int Red, int Green, int Blue) {
    const size_t Entry = size_t(Column + 1);  // the error rows have a spare entry at either end
    const int R = Spread(0, Red, Entry), G = Spread(1, Green, Entry), B = Spread(2, Blue, Entry);
    TColor Chosen;
    const int Index = FLookup.NearestEntry(R, G, B, Chosen);
    const size_t Behind = size_t(Column + 1 - Direction);
    Diffuse(0, R - GetRValue(Chosen), Behind);
    Diffuse(1, G - GetGValue(Chosen), Behind);
    Diffuse(2, B - GetBValue(Chosen), Behind);
    Column += Direction;
    return uint8_t(Index);
  }

  void NextRow() {
    const size_t Last = size_t(Column - Direction + 1);
    for (int C = 0; C < 3; ++C) {
      FErrors[C][Last] = FPending1[C];
      FRunning[C] = FPending1[C] = FPending2[C] = 0;
    }
    Direction = -Direction;
    Column = Direction > 0 ? 0 : Width - 1;
  }

  int Width;
  int Column = 0;
  int Direction = 1;

 private:
  int Spread(int C, int Value, size_t Entry) const {
    const int V = Value + (FErrors[C][Entry] + FRunning[C] + 8) / 16;
    return V < 0 ? 0 : V > 255 ? 255 : V;
  }
  void Diffuse(int C, int D, size_t Behind) {
    FErrors[C][Behind] = FPending1[C] + 3 * D;
    FPending1[C] = FPending2[C] + 5 * D;
    FPending2[C] = D;
    FRunning[C] = 7 * D;
  }
  TLookup& FLookup;
  std::vector<int32_t> FErrors[3];
  int32_t FRunning[3] = {}, FPending1[3] = {}, FPending2[3] = {};
};

// An optimised palette for the image: the octree's colours (at most Colors), between the
// first and last ten static colours when WithSystemColors (256 entries, unused ones black).
TColorTable BuildOctreePalette(const TPixelRows& Source, int Colors, int ColorBits, bool WithSystemColors);

// Maps the source to the chosen palette. An unknown palette choice or dither mode gives an
// 8-bit image of the source's size with every pixel 0 and no palette. Throws GIFException
// "Bitmap image is not valid" for rows that cannot be read, "Invalid pixel format" for pixels
// other than 3 or 4 bytes.
TMappedImage MapToPalette(const TPixelRows& Source, int Palette, int Dither);

// The reduction for a palette display of ScreenBits bits per pixel: the system colours below
// 8 bits, else the shared palette, always with Floyd-Steinberg dithering.
TMappedImage PrepareForScreen(const TPixelRows& Source, int ScreenBits);
