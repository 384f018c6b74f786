// The FreeType and cairo side of a TFontHandle, shared by the code that builds handles
// and the code that measures and draws with them.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "toolkit/font.h"
#include "toolkit/font_face.h"

struct TGlyphAdvance {
  uint32_t Glyph = 0;
  int32_t Width = -1;  // -1: not measured yet
};

struct TFontHandleImpl {
  cairo_font_face_t* Face = nullptr;        // borrowed from the face cache
  cairo_scaled_font_t* Scaled = nullptr;    // at the pixel size, identity device transform
  cairo_font_options_t* Options = nullptr;
  bool SymbolMap = false;     // bytes map to the face's symbol cmap (U+F000 + byte)
  int ExtraAdvance = 0;       // pixels a synthesized bold adds to every glyph
  int PixelSize = 16;
  uint32_t DefaultGlyph = 0;  // glyph of the default character
  int DefaultWidth = 0;

  // Code points beyond the 8-bit table, and double-byte characters by lead byte.
  std::unordered_map<char32_t, TGlyphAdvance> CodePoints;
  std::vector<std::unique_ptr<TGlyphAdvance[]>> Pairs;

  // Glyph and advance of a code point, measured once; missing glyphs are the face's
  // .notdef. The Locked form is for callers that hold the face already.
  TGlyphAdvance Lookup(char32_t cp);
  TGlyphAdvance LookupLocked(FT_Face face, char32_t cp);
  // Glyph and advance of a double-byte character.
  const TGlyphAdvance& Pair(int codePage, uint8_t lead, uint8_t trail);
  // The hinted advance of a glyph at the handle's size, in whole pixels; 0 without a face.
  int MeasureGlyph(FT_Face face, uint32_t glyph) const;
};
