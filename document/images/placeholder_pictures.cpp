#include "document/images/placeholder_pictures.h"

#include <memory>

#include "images/dither.h"
#include "toolkit/graphics/palette.h"
#include "toolkit/graphics/screen.h"

namespace {

// Rows of a picture, one character per pixel. ' ' is transparent (the failed picture
// only), the other characters are colours from Ink.
constexpr int PictureSize = 20;

const char* const WaitingRows[PictureSize] = {
    "kkkkkkkkkkkkkkkkkkkk", "kwwwwwwwwwwwwwwwwwwg", "kwcccccccccccccccckg",
    "kwcccccccccccyyccckg", "kwccccccccccyyyyccwg", "kwccccccccccyyyyccwg",
    "kwcccccccccccyyccckg", "kwcccccccccccccccckg", "kwccccgcccccccccckkg",
    "kwcccgggccccccccccwg", "kwccgggggccccgccccwg", "kwcgggggggccgggcccwg",
    "kwgggggggggggggggcwg", "kwgggggggggggggggggg", "kwdddddddddddddddddg",
    "kwdddddddddddddddddg", "kwdddddddddddddddddg", "kwdddddddddddddddddg",
    "kwgggggggggggggggggg", "kggggggggggggggggggg"};

const char* const ErrorRows[PictureSize] = {
    "kkkkkkkkkkkkkk      ", "kwwwwwwwwwwwwk      ", "kwcccccccccccck     ",
    "kwccrrccccrrcck     ", "kwcccrrccrrccck   kk", "kwccccrrrrccccwk kwg",
    "kwcccccrrcccckk kcwg", "kwccccrrrrcckk kccwg", "kwcccrrccrrck kcccwg",
    "kwccrrccccrrk kcccwg", "kwccccccccck kccccwg", "kwgggggggggk kgggcwg",
    "kwggggggggk kggggggg", "kwgggggggggk kgggggg", "kwdddddddddk kdddddg",
    "kwddddddddk kddddddg", "kwdddddddddk kdddddg", "kwdddddddddk kdddddg",
    "kwggggggggk kggggggg", "kggggggggggk kggggggg"};

TColor Ink(char C) {
  switch (C) {
    case 'k': return TColor(0x000000);
    case 'w': return TColor(0xFFFFFF);
    case 'g': return TColor(0x808080);
    case 'c': return TColor(0xF0D8A8);  // sky, 0x00BBGGRR
    case 'y': return TColor(0x00E0FF);  // sun
    case 'd': return TColor(0x208040);  // meadow
    case 'r': return TColor(0x0000E0);  // cross
    default: return TColor(0x000000);
  }
}

std::unique_ptr<TBitmap> Paint(const char* const* Rows) {
  auto B = std::make_unique<TBitmap>(PictureSize, PictureSize, pf24bit);
  TCanvas& C = B->Canvas();
  for (int Y = 0; Y < PictureSize; ++Y)
    for (int X = 0; X < PictureSize && Rows[Y][X]; ++X)
      C.FillRect(TRect{X, Y, X + 1, Y + 1}, Ink(Rows[Y][X]));
  return B;
}

std::unique_ptr<TBitmap> PaintMask(const char* const* Rows) {
  auto M = std::make_unique<TBitmap>(PictureSize, PictureSize, pf24bit);
  TCanvas& C = M->Canvas();
  for (int Y = 0; Y < PictureSize; ++Y)
    for (int X = 0; X < PictureSize; ++X) {
      const bool Clear = !Rows[Y][X] || Rows[Y][X] == ' ' ||
                         X >= int(std::char_traits<char>::length(Rows[Y]));
      C.FillRect(TRect{X, Y, X + 1, Y + 1}, Clear ? clWhite : clBlack);
    }
  M->SetMonochrome(true);
  return M;
}

}  // namespace

TBitmap& WaitingPicture() {
  static const std::unique_ptr<TBitmap> Picture = Paint(WaitingRows);
  return *Picture;
}

TBitmap& ErrorPicture() {
  static const std::unique_ptr<TBitmap> Picture = Paint(ErrorRows);
  return *Picture;
}

TBitmap& ErrorPictureMask() {
  static const std::unique_ptr<TBitmap> Mask = PaintMask(ErrorRows);
  return *Mask;
}

int ViewerColorDepth() {
  const int Bits = ScreenColorDepth();
  return Bits <= 4 ? 4 : Bits <= 8 ? 8 : 24;
}

const TPalette* ViewerPalette() {
  if (ViewerColorDepth() != 8) return nullptr;
  static const TPalette Palette = [] {
    std::vector<TPaletteEntry> Entries;
    for (TColor C : SharedPalette())
      Entries.push_back(TPaletteEntry{uint8_t(C & 0xFF), uint8_t(C >> 8 & 0xFF),
                                      uint8_t(C >> 16 & 0xFF), 0});
    return TPalette(std::move(Entries));
  }();
  return &Palette;
}
