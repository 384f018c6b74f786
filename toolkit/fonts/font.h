// Fonts: resolving a face by name, GDI-style text metrics, measuring and drawing
// 8-bit and double-byte text at integer advances.
//
// A TFontSpec says what is wanted; ResolveFont turns it into a shared, immutable
// TFontHandle that lives for the rest of the process. Measuring 8-bit text is a
// table lookup per byte; drawing places every glyph at exactly the advances that
// measuring reports, so what is measured is what is drawn.
//
// The face asked for draws every character it has, whatever the character set; each
// character it lacks comes from an installed face that has it, at the same size, weight
// and slant. The metrics stay those of the face asked for: fallback glyphs (ideographs
// above all) sit inside the em, which every cell holds, and a line of Latin text on an
// East Asian page keeps the height it has on any other.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/types.h"

// Kept opaque so that headers above the toolkit need no cairo include.
typedef struct _cairo cairo_t;
struct TGlyphAdvance;
struct FT_FaceRec_;

struct TFontSpec {
  std::string Name = "Times New Roman";  // face name, matched without regard to case
  // Points; a negative size is a cell height in points, and 0 the default of 12 points.
  int Size = 12;
  // When not zero it stands for a positive Size: the size in hundredths of a point, so that
  // a size between whole points (10 pixels are 7.5 points) gets its own pixel size.
  int SizeCentipoints = 0;
  // When not zero it overrides Size, with GDI's lfHeight meaning: < 0 the em height
  // in pixels, > 0 the cell height (ascent + descent) in pixels.
  int Height = 0;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  uint8_t Charset = DEFAULT_CHARSET;
  TColor Color = clBlack;  // carried for the canvas; the font itself does not use it
  // Pixels at 96 pixels per inch added to the advance of every single-byte character, and
  // to that of the space besides (text spread out or drawn closer).
  int LetterSpacing = 0;
  int WordSpacing = 0;
  // Lower-case letters are drawn as capitals of a smaller size (SmallCapsScale of the em),
  // measured as drawn; the text itself keeps its letters.
  bool SmallCaps = false;

  friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

// The size of a small capital against the em, in percent.
constexpr int SmallCapsScale = 70;

struct TFontSpecHash {
  size_t operator()(const TFontSpec& fontSpec) const noexcept;
};

// The quantities of a Windows TEXTMETRIC, computed the way GDI does for outline fonts.
struct TTextMetric {
  int tmHeight = 0;           // tmAscent + tmDescent
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;  // tmHeight - the em height in pixels
  int tmExternalLeading = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 400;
  int tmOverhang = 0;
  int tmDigitizedAspectX = 96;
  int tmDigitizedAspectY = 96;
  uint8_t tmFirstChar = 0x20;
  uint8_t tmLastChar = 0xFF;
  uint8_t tmDefaultChar = '?';
  uint8_t tmBreakChar = ' ';
  uint8_t tmItalic = 0;
  uint8_t tmUnderlined = 0;
  uint8_t tmStruckOut = 0;
  uint8_t tmPitchAndFamily = 0;
  uint8_t tmCharSet = ANSI_CHARSET;
  // Not a TEXTMETRIC quantity: the height of a lower-case x in pixels (the face's own
  // figure), 0 when the face does not give one.
  int XHeight = 0;
};

// SetTextJustification state: every break character (tmBreakChar) gets BreakExtra
// more pixels, and the next BreakRem of them one pixel more again.
struct TTextJustification {
  int BreakExtra = 0;
  int BreakRem = 0;

  // Spreads extra pixels over breakCount break characters; a count <= 0 clears it.
  static TTextJustification Make(int extra, int breakCount);
  bool IsZero() const { return BreakExtra == 0 && BreakRem == 0; }
};

// A horizontal stroke relative to the baseline: Top is the offset of its first row
// (negative above the baseline), Thickness at least 1.
struct TFontLine {
  int Top = 0;
  int Thickness = 1;
};

struct TFontHandleImpl;

class TFontHandle {
 public:
  const TFontSpec& Description() const { return FSpec; }
  // The face actually used ("Liberation Sans" for "Arial", say).
  const std::string& FaceName() const { return FFaceName; }
  // False when the requested face is not installed and a default face stands in.
  bool FaceFound() const { return FFaceFound; }
  int Dpi() const { return FDpi; }
  int PixelSize() const { return FPixelSize; }  // em height in pixels
  int CodePage() const { return FCodePage; }
  // Whether a character may take more than one byte: a double-byte page or UTF-8.
  bool IsDBCS() const { return FDBCS; }
  const std::bitset<256>& LeadBytes() const { return *FLeadBytes; }
  const TTextMetric& Metrics() const { return FMetric; }
  // GDI's tmAveCharWidth: the widths of the letters and the space weighed by how often they
  // occur in English text. Measured when first asked for.
  int AverageCharWidth() const;
  // How many bytes of the 8-bit table are measured so far: a byte is measured (one hinted
  // glyph load) when text first uses it, so a font made for a few words stays cheap.
  int MeasuredByteCount() const;
  TFontLine UnderlineLine() const { return FUnderline; }
  TFontLine StrikeOutLine() const { return FStrikeOut; }

  // Advance of one byte of an 8-bit code page (for a double-byte page, of a
  // single-byte character; a lead byte alone measures as the default character).
  int CharWidth(uint8_t byte) const {
    MeasureBytes(&byte, 1);
    return FWidths[byte];
  }
  // Advance of a Unicode code point, as drawn by this font.
  int CodePointWidth(char32_t cp) const;

  // Width of n bytes of text in the font's code page. Negative n counts as 0.
  int TextWidth(const char* s, int n, const TTextJustification* just = nullptr) const;
  // Width and tmHeight.
  TSize TextExtent(const char* s, int n, const TTextJustification* just = nullptr) const;

  // GetTextExtentExPointA: the extent of the whole string (width, tmHeight). With
  // fitCount, *fitCount is the number of bytes whose cumulative extent stays within
  // maxExtent (a character of several bytes fits or fails as a whole). prefixExtents, when
  // given, must hold n entries: entry i is the extent of bytes 0..i; all bytes of a
  // character of several bytes get the extent after the whole character.
  TSize GetTextExtentExPoint(const char* s, int n, int maxExtent, int* fitCount,
                             int* prefixExtents,
                             const TTextJustification* just = nullptr) const;

  // Line fitting: how many of n bytes fit within maxExtent, stopping at the first character
  // that overflows (a character of several bytes fits or fails as a whole); width gets the
  // extent of the bytes that fit. The count is GetTextExtentExPoint's fitCount.
  int FitBytes(const char* s, int n, int maxExtent, int& width) const;

  // Draws n bytes with the first glyph's origin at (x, baselineY) in the user space of
  // cr, using cr's current source, operator and clip. advances, when given, holds one
  // entry per byte (ExtTextOut's lpDx): the distance from this character's origin to
  // the next; a character of several bytes advances by the sum of its entries. Without
  // advances the measured widths apply, plus justification (whose BreakRem is consumed,
  // as GDI does across successive calls on one line). Underline and strike-out of the
  // fontSpec are drawn too. Returns the total advance.
  int DrawText(cairo_t* cr, double x, double baselineY, const char* s, int n,
               const int* advances = nullptr, TTextJustification* just = nullptr) const;

  // Draws n code points (already Unicode) the same way, measured with CodePointWidth.
  int DrawTextW(cairo_t* cr, double x, double baselineY, const char32_t* s, int n) const;

  TFontHandle(const TFontHandle&) = delete;
  TFontHandle& operator=(const TFontHandle&) = delete;

 private:
  friend struct TFontHandleImpl;
  friend class TFontCache;
  TFontHandle() = default;
  // The glyph of the character of several bytes at p (n > 1 left); returns its bytes.
  int MultiByteGlyph(const uint8_t* p, int n, TGlyphAdvance& g) const;

  // The byte table is filled as bytes are first met: a page measures the glyphs it shows,
  // not the whole code page (a hinted glyph load each).
  void MeasureBytes(const uint8_t* p, int n) const {
    uint8_t known = 1;
    for (int i = 0; i < n; ++i) known &= FKnown[p[i]];
    if (!known) MeasureMissing(p, n);
  }
  void MeasureMissing(const uint8_t* p, int n) const;
  void MeasureLocked(FT_FaceRec_* face, uint8_t b) const;
  // Enters a measured glyph into the byte table.
  void Take(uint8_t b, const TGlyphAdvance& g) const;

  TFontSpec FSpec;
  std::string FFaceName;
  bool FFaceFound = false;
  int FDpi = 96;
  int FPixelSize = 16;
  int FCodePage = 1252;
  bool FDBCS = false;
  const std::bitset<256>* FLeadBytes = nullptr;
  TTextMetric FMetric;
  TFontLine FUnderline, FStrikeOut;
  int FTableAverage = 0;  // the face's own average, for faces the letters cannot weigh
  mutable int FAverage = -1;
  mutable uint8_t FKnown[256] = {};  // 1 once the byte's entries below are measured
  mutable int FWidths[256] = {};
  mutable uint32_t FGlyphs[256] = {};
  mutable uint8_t FGlyphFonts[256] = {};  // the face of each byte's glyph, as TGlyphAdvance::Font
  TFontHandleImpl* FImpl = nullptr;  // FreeType and cairo objects; live as long as the handle
};

// The cached handle for a fontSpec at a resolution (pixels per inch). Colour does not take
// part in the lookup. Handles are never freed while the process runs. The em is clamped
// to 1..1000 pixels and dpi to 1..4800.
const TFontHandle* ResolveFont(const TFontSpec& fontSpec, int dpi = 96);

// Families installed on this machine, as the platform lists screen fonts, including
// "Arial", "Times New Roman" and "Courier New" when their metric-compatible stand-ins
// are installed. Sorted, without duplicates.
const std::vector<std::string>& InstalledFaces();
bool IsFaceInstalled(const std::string& name);  // without regard to case
// Makes the faces of a font file (TrueType, OpenType, Type 1) available to this process
// as if installed; false when fontconfig cannot read it. Add fonts before text is drawn
// with their names: a name already looked up keeps the face it was given.
bool AddFontFile(const std::string& path);
