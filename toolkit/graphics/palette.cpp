#include "toolkit/graphics/palette.h"

namespace {

constexpr size_t CacheSize = 4096;

constexpr TPaletteEntry StaticColors[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}};

constexpr TPaletteEntry VgaColors[16] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0}};

int Nearest(const std::vector<TPaletteEntry>& entries, int r, int g, int b) {
  int best = -1;
  int bestDist = 0x7FFFFFFF;
  for (size_t i = 0; i < entries.size(); ++i) {
    int dr = entries[i].peRed - r, dg = entries[i].peGreen - g, db = entries[i].peBlue - b;
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDist) {
      bestDist = d;
      best = int(i);
      if (d == 0) break;
    }
  }
  return best;
}

}  // namespace

TPalette::TPalette(std::vector<TPaletteEntry> entries) : FEntries(std::move(entries)) {
  if (FEntries.size() > 256) FEntries.resize(256);
}

TColor TPalette::EntryColor(int index) const {
  if (index < 0 || index >= Count()) return clBlack;
  const TPaletteEntry& e = FEntries[size_t(index)];
  return RGBColor(e.peRed, e.peGreen, e.peBlue);
}

uint32_t TPalette::EntryPixel(int index) const {
  if (index < 0 || index >= Count()) return 0;
  const TPaletteEntry& e = FEntries[size_t(index)];
  return (uint32_t(e.peRed) << 16) | (uint32_t(e.peGreen) << 8) | e.peBlue;
}

int TPalette::SetEntries(int start, const TPaletteEntry* entries, int count) {
  int done = 0;
  for (int i = 0; i < count && start + i >= 0 && start + i < Count(); ++i, ++done)
    FEntries[size_t(start + i)] = entries[i];
  InvalidateCache();
  return done;
}

int TPalette::GetNearestPaletteIndex(TColor color) const {
  return Nearest(FEntries, GetRValue(color), GetGValue(color), GetBValue(color));
}

int TPalette::NearestIndexOfPixel(uint32_t rgb) const {
  rgb &= 0xFFFFFF;
  if (!FCacheValid) {
    FCache.assign(CacheSize, TCacheSlot{});
    FCacheValid = true;
  }
  TCacheSlot& slot = FCache[((rgb * 2654435761u) >> 20) & (CacheSize - 1)];
  if (slot.Key != rgb) {
    slot.Key = rgb;
    slot.Index = Nearest(FEntries, int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb & 0xFF));
  }
  return slot.Index;
}

const TPalette& TPalette::SystemDefault() {
  static const TPalette p(std::vector<TPaletteEntry>(StaticColors, StaticColors + 20));
  return p;
}

const TPalette& TPalette::SystemPalette() {
  static const TPalette p = [] {
    std::vector<TPaletteEntry> e(256);
    for (int i = 0; i < 10; ++i) {
      e[size_t(i)] = StaticColors[i];
      e[size_t(246 + i)] = StaticColors[10 + i];
    }
    return TPalette(std::move(e));
  }();
  return p;
}

const TPalette& TPalette::Vga16() {
  static const TPalette p(std::vector<TPaletteEntry>(VgaColors, VgaColors + 16));
  return p;
}
