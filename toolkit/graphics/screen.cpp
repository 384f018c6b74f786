#include "toolkit/graphics/screen.h"

#include <memory>

#include "toolkit/graphics/palette.h"

namespace {

int GScreenDepth = 24;
TSize GScreenSize{1024, 768};
std::unique_ptr<TPalette> GScreenPalette;
TSysColorSource GSysColorSource = nullptr;

constexpr TColor ClassicColors[31] = {
    0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0xFF0000, 0xD08410, 0xB5B5B5, 0x800000, 0xC0C0C0};

}  // namespace

int ScreenColorDepth() { return GScreenDepth; }

void SetScreenColorDepth(int bits) { GScreenDepth = bits <= 4 ? 4 : bits <= 8 ? 8 : 24; }

TSize ScreenSize() { return GScreenSize; }
void SetScreenSize(TSize size) {
  if (size.cx > 0 && size.cy > 0) GScreenSize = size;
}
int ScreenLogPixels() { return 96; }

const TPalette& ScreenPalette() {
  return GScreenPalette ? *GScreenPalette : TPalette::SystemPalette();
}

void SetScreenPalette(const TPalette* palette) {
  if (palette && palette->Count() > 0) GScreenPalette = std::make_unique<TPalette>(*palette);
  else GScreenPalette.reset();
}

void ReduceToScreen(uint32_t* pixels, int width, int height, int strideBytes) {
  if (GScreenDepth >= 24 || !pixels || width <= 0 || height <= 0) return;
  const TPalette& pal = GScreenDepth <= 4 ? TPalette::Vga16() : ScreenPalette();
  auto* base = reinterpret_cast<uint8_t*>(pixels);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(base + size_t(y) * size_t(strideBytes));
    uint32_t last = 0xFFFFFFFF, lastOut = 0;
    for (int x = 0; x < width; ++x) {
      uint32_t p = row[x] & 0xFFFFFF;
      if (p != last) {
        last = p;
        lastOut = pal.EntryPixel(pal.NearestIndexOfPixel(p));
      }
      row[x] = lastOut | 0xFF000000u;
    }
  }
}

TColor DefaultSysColor(int index) {
  if (index < 0 || index >= int(sizeof ClassicColors / sizeof ClassicColors[0])) return clBlack;
  return ClassicColors[index];
}

void SetSysColorSource(TSysColorSource source) { GSysColorSource = source; }

TColor ColorToRGB(TColor color) {
  if (color == clNone) return clBlack;
  if (color < 0) {
    int index = color & 0xFF;
    return (GSysColorSource ? GSysColorSource(index) : DefaultSysColor(index)) & 0xFFFFFF;
  }
  return color & 0xFFFFFF;
}
