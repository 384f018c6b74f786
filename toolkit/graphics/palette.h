// Logical palettes: up to 256 colour entries, with nearest-colour lookup.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/types.h"

struct TPaletteEntry {
  uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
  friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

class TPalette {
 public:
  TPalette() = default;
  // At most 256 entries are kept.
  explicit TPalette(std::vector<TPaletteEntry> entries);

  int Count() const { return int(FEntries.size()); }
  const std::vector<TPaletteEntry>& Entries() const { return FEntries; }
  const TPaletteEntry& Entry(int index) const { return FEntries[size_t(index)]; }
  TColor EntryColor(int index) const;
  // Replaces count entries from start; entries past the end are ignored. Returns the
  // number replaced.
  int SetEntries(int start, const TPaletteEntry* entries, int count);

  // The entry closest to the colour (smallest sum of squared channel differences;
  // the lowest index wins a tie), or -1 for an empty palette. System and
  // palette-relative flags are ignored.
  int GetNearestPaletteIndex(TColor color) const;
  // The same for a pixel 0x00RRGGBB, through a small cache: the screen-reduction path.
  int NearestIndexOfPixel(uint32_t rgb) const;
  // The entry's colour as a pixel 0x00RRGGBB.
  uint32_t EntryPixel(int index) const;

  // The 20 static colours of a palette display (the first and last ten of the
  // system palette).
  static const TPalette& SystemDefault();
  // The screen's 256-entry system palette: the static colours at 0..9 and
  // 246..255, black between.
  static const TPalette& SystemPalette();
  // The 16 colours of a 4-bit display.
  static const TPalette& Vga16();

 private:
  void InvalidateCache() const { FCacheValid = false; }
  std::vector<TPaletteEntry> FEntries;
  struct TCacheSlot {
    uint32_t Key = 0xFFFFFFFF;
    int Index = -1;
  };
  mutable std::vector<TCacheSlot> FCache;
  mutable bool FCacheValid = false;
};
