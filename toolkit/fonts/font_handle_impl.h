// The FreeType and cairo side of a TFontHandle, shared by the code that builds handles
// and the code that measures and draws with them.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "toolkit/fonts/font.h"
#include "toolkit/fonts/font_face.h"

struct TGlyphAdvance {
  uint32_t Glyph = 0;
  int32_t Width = -1;  // -1: not measured yet
  uint8_t Font = 0;    // which face draws it: 0 the handle's own, k its fallback k - 1
};

// A face that draws the characters the handle's face lacks, at the handle's size.
struct TFallbackFont {
  const TFaceSource* Source = nullptr;
  cairo_font_face_t* Face = nullptr;      // borrowed from the face cache
  cairo_scaled_font_t* Scaled = nullptr;  // owned, as the handle's own
  int ExtraAdvance = 0;
  int PixelSize = 0;  // its em in pixels; 0: the handle's
};

// A scaled font of face at pixels per em with an identity device transform; null on failure.
cairo_scaled_font_t* CreateScaledFont(cairo_font_face_t* face, int pixels,
                                      const cairo_font_options_t* options);

struct TFontHandleImpl {
  const TFaceSource* Source = nullptr;      // where Face came from
  cairo_font_face_t* Face = nullptr;        // borrowed from the face cache
  cairo_scaled_font_t* Scaled = nullptr;    // at the pixel size, identity device transform
  cairo_font_options_t* Options = nullptr;
  bool SymbolMap = false;     // bytes map to the face's symbol cmap (U+F000 + byte)
  int ExtraAdvance = 0;       // pixels a synthesized bold adds to every glyph
  int LetterSpacing = 0;      // pixels added after every byte's glyph
  int WordSpacing = 0;        // and after every space
  int PixelSize = 16;
  uint32_t DefaultGlyph = 0;  // glyph of the default character
  int DefaultWidth = 0;

  // Code points beyond the 8-bit table, and double-byte characters by lead byte (for UTF-8
  // text, code points by their high byte).
  std::unordered_map<char32_t, TGlyphAdvance> CodePoints;
  std::vector<std::unique_ptr<TGlyphAdvance[]>> Pairs;
  // Widths of the words of UTF-8 text that line fitting met, by their bytes: a word seen
  // before is measured in one step instead of a character at a time. Made on first need.
  struct TWordWidth {
    uint64_t Key[3] = {};  // the word's bytes, zero after its end
    int32_t Width = 0;
  };
  static constexpr int WordBytes = 24;  // longer words are measured a character at a time
  static constexpr int WordSlotBits = 10;
  std::unique_ptr<TWordWidth[]> Words;
  // Faces for characters Face lacks, in the order first needed; TGlyphAdvance::Font
  // indexes them from 1, so there are at most 255.
  std::vector<TFallbackFont> Fallbacks;

  cairo_font_face_t* FaceOf(uint8_t font) const { return font ? Fallbacks[font - 1].Face : Face; }
  cairo_scaled_font_t* ScaledOf(uint8_t font) const {
    return font ? Fallbacks[font - 1].Scaled : Scaled;
  }
  int PixelSizeOf(uint8_t font) const {
    return font && Fallbacks[font - 1].PixelSize ? Fallbacks[font - 1].PixelSize : PixelSize;
  }

  // Small capitals: the handle's face again at SmallCapsScale of its em, kept among the
  // fallbacks (SmallCapsFont, made on first need), draws the capital of each lower-case
  // letter.
  bool SmallCapsWanted = false;
  uint8_t SmallCapsFont = 0;
  // The small capital that stands for cp, measured once; Width -1 when cp has no capital
  // of its own or the face lacks it. It locks the small face, which shares its FreeType
  // face with the handle's: never call it while the handle's face is locked.
  TGlyphAdvance SmallCapital(char32_t cp);

  // Glyph and advance of a code point, measured once. A code point the face lacks comes
  // from a fallback face that has it, else shows the face's .notdef. The Locked form is
  // for callers that hold the face already.
  TGlyphAdvance Lookup(char32_t cp);
  TGlyphAdvance LookupLocked(FT_Face face, char32_t cp);
  // Glyph and advance of a double-byte character.
  const TGlyphAdvance& Pair(int codePage, uint8_t lead, uint8_t trail);
  // Glyph and advance of a code point of UTF-8 text; the Basic Multilingual Plane is kept
  // in the rows of Pairs, by the high byte.
  TGlyphAdvance Unicode(char32_t cp);
  // The hinted advance of a glyph at the handle's size, in whole pixels, plus extraAdvance;
  // without a face, half the em.
  int MeasureGlyph(FT_Face face, uint32_t glyph, int extraAdvance) const;
  int MeasureGlyph(FT_Face face, uint32_t glyph) const { return MeasureGlyph(face, glyph, ExtraAdvance); }

 private:
  // The fallback (1-based) whose face draws cp, made on first need; 0 when none has it.
  uint8_t FallbackFor(char32_t cp);
  TGlyphAdvance LookupFallback(char32_t cp);
};
