// Building font handles: face choice, pixel size, GDI-style text metrics and the
// per-byte advance table; and the process-wide cache of handles by fontSpec.
#include <cairo-ft.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include FT_TRUETYPE_TABLES_H

#include "toolkit/fonts/font.h"
#include "toolkit/fonts/font_face.h"
#include "toolkit/fonts/font_handle_impl.h"

namespace {

constexpr int kMinPixelSize = 1;
constexpr int kMaxPixelSize = 1000;
constexpr int kDefaultPoints = 12;  // what a zero size asks for, like a zero lfHeight

// GDI's MulDiv: a * b / c rounded half away from zero, in 64 bits.
int64_t MulDivRound(int64_t a, int64_t b, int64_t c) {
  int64_t p = a * b;
  return p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c);
}

const char* LanguageOfCodePage(int codePage) {
  switch (codePage) {
    case 932: return "ja";
    case 936: return "zh-cn";
    case 949: case 1361: return "ko";
    case 950: return "zh-tw";
    default: return nullptr;
  }
}

int PortableCodePage(int codePage) {
  switch (codePage) {
    case 0: return 1252;
    case 1: return 437;
    case 2: return 10000;
    default: return codePage;
  }
}

// Relative frequencies of the lowercase letters and the space, by which the average
// character width of a face was defined before it became the mean of all glyphs.
constexpr int kLetterWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                                    56, 17, 4,  49, 56, 71,  31, 10, 18, 3,  18, 2, 166};

// The defaults describe a typical sans-serif face, for a machine with no usable face.
struct TFaceTables {
  int UnitsPerEm = 2048;
  long Ascent = 1854, Descent = 434;  // units, both positive
  long HheaAscent = 1854, HheaDescent = 434, LineGap = 67;
  long UnderlinePos = -217, UnderlineThick = 150;
  long StrikePos = 530, StrikeThick = 102;
  long AvgWidth = 904, BBoxWidth = 2048;
  long XHeight = 0;
  int Weight = 400;
  bool Fixed = false, SansSerif = false, Symbol = false;
};

TFaceTables ReadTables(FT_Face face) {
  TFaceTables t;
  t.StrikePos = t.StrikeThick = t.AvgWidth = 0;  // only a face with an OS/2 table has them
  t.UnitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  t.HheaAscent = hhea ? hhea->Ascender : face->ascender;
  t.HheaDescent = hhea ? -hhea->Descender : -face->descender;
  t.LineGap = hhea ? hhea->Line_Gap : 0;
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    t.Ascent = os2->usWinAscent;
    t.Descent = os2->usWinDescent;
  } else {
    t.Ascent = t.HheaAscent;
    t.Descent = t.HheaDescent;
  }
  t.Ascent = std::max(0L, t.Ascent);
  t.Descent = std::max(0L, t.Descent);
  t.UnderlinePos = post ? post->underlinePosition : face->underline_position;
  t.UnderlineThick = post ? post->underlineThickness : face->underline_thickness;
  if (os2 && os2->version != 0xFFFF) {
    t.StrikePos = os2->yStrikeoutPosition;
    t.StrikeThick = os2->yStrikeoutSize;
    t.AvgWidth = os2->xAvgCharWidth;
    t.Weight = os2->usWeightClass;
    t.SansSerif = os2->panose[0] == 2 && os2->panose[1] >= 11 && os2->panose[1] <= 13;
    if (os2->version >= 2) t.XHeight = std::max<long>(0, os2->sxHeight);
  }
  t.BBoxWidth = face->bbox.xMax - face->bbox.xMin;
  t.Fixed = FT_IS_FIXED_WIDTH(face);
  for (int i = 0; i < face->num_charmaps; ++i)
    if (face->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL) t.Symbol = true;
  return t;
}

struct THandleKey {
  TFontSpec Spec;
  int Dpi;
  friend bool operator==(const THandleKey&, const THandleKey&) = default;
};

struct THandleKeyHash {
  size_t operator()(const THandleKey& key) const noexcept {
    return TFontSpecHash()(key.Spec) * 31 + size_t(key.Dpi);
  }
};

}  // namespace

cairo_scaled_font_t* CreateScaledFont(cairo_font_face_t* face, int pixels,
                                      const cairo_font_options_t* options) {
  cairo_matrix_t fontMatrix, ctm;
  cairo_matrix_init_scale(&fontMatrix, pixels, pixels);
  cairo_matrix_init_identity(&ctm);
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &fontMatrix, &ctm, options);
  if (cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS) return scaled;
  cairo_scaled_font_destroy(scaled);
  return nullptr;
}

class TFontCache {
 public:
  const TFontHandle* Resolve(const TFontSpec& fontSpec, int dpi) {
    THandleKey key{fontSpec, std::clamp(dpi, 1, 4800)};
    key.Spec.Color = 0;
    auto it = FHandles.find(key);
    if (it != FHandles.end()) return it->second.get();
    std::unique_ptr<TFontHandle> handle(Build(key.Spec, key.Dpi));
    return FHandles.emplace(std::move(key), std::move(handle)).first->second.get();
  }

 private:
  static TFontHandle* Build(const TFontSpec& fontSpec, int dpi);
  static void Measure(TFontHandle& font, FT_Face face, const TFaceTables& t);

  std::unordered_map<THandleKey, std::unique_ptr<TFontHandle>, THandleKeyHash> FHandles;
};

void TFontHandle::MeasureMissing(const uint8_t* p, int n) const {
  if (FImpl->SmallCapsWanted && !FImpl->SymbolMap) {
    // Small capitals first, each under its own face's lock.
    for (int i = 0; i < n; ++i) {
      const uint8_t b = p[i];
      if (FKnown[b] || (*FLeadBytes)[b]) continue;
      const TGlyphAdvance g = FImpl->SmallCapital(SingleByteTable(FCodePage)[b]);
      if (g.Width >= 0) Take(b, g);
    }
  }
  FT_Face face = FImpl->Scaled ? cairo_ft_scaled_font_lock_face(FImpl->Scaled) : nullptr;
  if (face && FImpl->SymbolMap) FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL);
  for (int i = 0; i < n; ++i)
    if (!FKnown[p[i]]) MeasureLocked(face, p[i]);
  if (face && FImpl->SymbolMap) FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  if (face) cairo_ft_scaled_font_unlock_face(FImpl->Scaled);
}

int TFontHandle::MeasuredByteCount() const {
  int count = 0;
  for (uint8_t known : FKnown) count += known;
  return count;
}

int TFontHandle::AverageCharWidth() const {
  if (FAverage >= 0) return FAverage;
  static const uint8_t letters[] = "abcdefghijklmnopqrstuvwxyz ";
  MeasureBytes(letters, 27);
  int64_t weighted = 0;
  for (int i = 0; i < 27; ++i) weighted += int64_t(kLetterWeights[i]) * FWidths[letters[i]];
  FAverage = FImpl->SymbolMap || weighted == 0 ? FTableAverage : int((weighted + 500) / 1000);
  return FAverage;
}

// Lead bytes on their own and bytes the page leaves undefined show the default character.
void TFontHandle::MeasureLocked(FT_Face face, uint8_t b) const {
  TFontHandleImpl& impl = *FImpl;
  TGlyphAdvance g{impl.DefaultGlyph, impl.DefaultWidth, 0};
  const char32_t cp = SingleByteTable(FCodePage)[b];
  if (impl.SymbolMap) {
    uint32_t glyph = FT_Get_Char_Index(face, 0xF000 + b);
    if (!glyph) glyph = FT_Get_Char_Index(face, b);
    g = TGlyphAdvance{glyph, impl.MeasureGlyph(face, glyph), 0};
  } else if (!(*FLeadBytes)[b] && cp != 0xFFFD) {
    g = impl.LookupLocked(face, cp);
  }
  Take(b, g);
}

void TFontHandle::Take(uint8_t b, const TGlyphAdvance& g) const {
  FGlyphs[b] = g.Glyph;
  FGlyphFonts[b] = g.Font;
  // An advance never goes back: measuring and fitting add widths that only grow.
  FWidths[b] =
      std::max(0, g.Width + FImpl->LetterSpacing + (b == ' ' ? FImpl->WordSpacing : 0));
  FKnown[b] = 1;
}

TFontHandle* TFontCache::Build(const TFontSpec& fontSpec, int dpi) {
  auto* font = new TFontHandle;
  auto* impl = new TFontHandleImpl;  // lives as long as the handle: for the process
  font->FImpl = impl;
  font->FSpec = fontSpec;
  font->FDpi = dpi;
  int codePage = PortableCodePage(CharsetToCodePage(fontSpec.Charset));
  font->FCodePage = codePage;
  font->FDBCS = IsMultiByteCodePage(codePage);
  font->FLeadBytes = &LeadByteSet(codePage);

  const TFaceSource* source =
      &FindFaceSource(fontSpec.Name, fontSpec.Bold, fontSpec.Italic, LanguageOfCodePage(codePage));
  impl->Face = OpenCairoFace(*source);
  bool found = source->FaceFound;
  if (!impl->Face) {
    source = &FindFaceSource("", fontSpec.Bold, fontSpec.Italic, nullptr);
    impl->Face = OpenCairoFace(*source);
    found = false;
  }
  impl->Source = source;
  font->FFaceFound = found;
  font->FFaceName = source->Family;
  impl->ExtraAdvance = source->SynthesizeBold ? 1 : 0;

  // Pixel size: points at the resolution, or GDI's lfHeight when Height is given.
  int64_t emPixels;
  bool cellHeight = false;
  if (fontSpec.Height < 0) {
    emPixels = -int64_t(fontSpec.Height);
  } else if (fontSpec.Height > 0) {
    emPixels = fontSpec.Height;
    cellHeight = true;
  } else if (fontSpec.SizeCentipoints > 0) {
    emPixels = MulDivRound(fontSpec.SizeCentipoints, dpi, 7200);
  } else if (fontSpec.Size > 0) {
    emPixels = MulDivRound(fontSpec.Size, dpi, 72);
  } else if (fontSpec.Size < 0) {
    emPixels = MulDivRound(-int64_t(fontSpec.Size), dpi, 72);
    cellHeight = true;
  } else {
    emPixels = MulDivRound(kDefaultPoints, dpi, 72);
  }
  emPixels = std::clamp<int64_t>(emPixels, kMinPixelSize, kMaxPixelSize);

  impl->Options = cairo_font_options_create();
  cairo_font_options_set_antialias(impl->Options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_metrics(impl->Options, CAIRO_HINT_METRICS_ON);
  cairo_font_options_set_hint_style(impl->Options, CAIRO_HINT_STYLE_DEFAULT);

  auto makeScaled = [&](int pixels) {
    if (impl->Scaled) cairo_scaled_font_destroy(impl->Scaled);
    impl->Scaled = nullptr;
    if (impl->Face) impl->Scaled = CreateScaledFont(impl->Face, pixels, impl->Options);
  };

  makeScaled(int(emPixels));
  FT_Face face = impl->Scaled ? cairo_ft_scaled_font_lock_face(impl->Scaled) : nullptr;
  TFaceTables tables = face ? ReadTables(face) : TFaceTables{};
  if (cellHeight && tables.Ascent + tables.Descent > 0) {
    // A cell height asks for the em that makes ascent + descent that tall.
    int64_t em = MulDivRound(emPixels, tables.UnitsPerEm, tables.Ascent + tables.Descent);
    em = std::clamp<int64_t>(em, kMinPixelSize, kMaxPixelSize);
    if (em != emPixels) {
      if (face) cairo_ft_scaled_font_unlock_face(impl->Scaled);
      emPixels = em;
      makeScaled(int(emPixels));
      face = impl->Scaled ? cairo_ft_scaled_font_lock_face(impl->Scaled) : nullptr;
    }
  }
  font->FPixelSize = int(emPixels);
  impl->PixelSize = int(emPixels);
  Measure(*font, face, tables);
  if (face) cairo_ft_scaled_font_unlock_face(impl->Scaled);
  return font;
}

void TFontCache::Measure(TFontHandle& font, FT_Face face, const TFaceTables& t) {
  TFontHandleImpl& impl = *font.FImpl;
  const int ppem = font.FPixelSize;
  const TFontSpec& fontSpec = font.FSpec;
  // Units to pixels, each to the nearest: ascent, descent and line gap rounded one by one
  // set lines as far apart as browsers on this platform set them (rounded outwards, a
  // 16-pixel serif line would take 20 pixels instead of 18).
  auto nearest = [&](long units) { return int(MulDivRound(units, ppem, t.UnitsPerEm)); };

  TTextMetric& m = font.FMetric;
  m.tmAscent = nearest(t.Ascent);
  m.tmDescent = nearest(t.Descent);
  m.tmHeight = m.tmAscent + m.tmDescent;
  m.tmInternalLeading = m.tmHeight - ppem;
  m.XHeight = nearest(t.XHeight);
  m.tmExternalLeading =
      std::max(0, nearest(t.LineGap - ((t.Ascent + t.Descent) - (t.HheaAscent + t.HheaDescent))));
  m.tmWeight = fontSpec.Bold ? 700 : 400;
  m.tmItalic = fontSpec.Italic;
  m.tmUnderlined = fontSpec.Underline;
  m.tmStruckOut = fontSpec.StrikeOut;
  m.tmOverhang = 0;  // outline fonts report none, even when emboldened or slanted
  m.tmDigitizedAspectX = m.tmDigitizedAspectY = font.FDpi;
  // Bit 0 set means variable pitch; 2 and 4: an outline (TrueType) font.
  m.tmPitchAndFamily = uint8_t((t.Fixed ? 0 : 1) | 2 | 4 |
                               (t.Fixed ? 0x30 : t.SansSerif ? 0x20 : 0x10));
  impl.SymbolMap = fontSpec.Charset == SYMBOL_CHARSET && t.Symbol;
  if (impl.SymbolMap)
    m.tmCharSet = SYMBOL_CHARSET;
  else if (fontSpec.Charset == DEFAULT_CHARSET || fontSpec.Charset == SYMBOL_CHARSET)
    m.tmCharSet = ANSI_CHARSET;
  else
    m.tmCharSet = fontSpec.Charset;
  m.tmFirstChar = 0x20;
  m.tmLastChar = 0xFF;
  m.tmDefaultChar = '?';
  m.tmBreakChar = ' ';

  // Underline below the baseline, at least a row clear of it and inside the cell when
  // there is room; strike-out above it.
  int thick = std::max(1, nearest(t.UnderlineThick));
  int top = int(std::lround(-double(t.UnderlinePos) * ppem / t.UnitsPerEm - thick / 2.0));
  if (top + thick > m.tmDescent) top = m.tmDescent - thick;
  font.FUnderline = TFontLine{std::max(1, top), thick};
  int strikeThick = std::max(1, nearest(t.StrikeThick));
  int strikePos = t.StrikePos > 0 ? nearest(t.StrikePos) : (m.tmAscent - m.tmInternalLeading) / 3;
  font.FStrikeOut = TFontLine{-std::max(1, strikePos), strikeThick};

  // The default character; the other bytes are measured when text first uses them.
  impl.DefaultGlyph = face ? FT_Get_Char_Index(face, '?') : 0;
  impl.DefaultWidth = impl.MeasureGlyph(face, impl.DefaultGlyph);
  if (face) impl.CodePoints['?'] = TGlyphAdvance{impl.DefaultGlyph, impl.DefaultWidth, 0};
  font.FTableAverage = nearest(t.AvgWidth);
  impl.LetterSpacing = int(MulDivRound(font.FSpec.LetterSpacing, font.FDpi, 96));
  impl.WordSpacing = int(MulDivRound(font.FSpec.WordSpacing, font.FDpi, 96));
  // Spacing may widen a character beyond the face's widest glyph.
  m.tmMaxCharWidth = std::max(nearest(t.BBoxWidth) + std::max(0, impl.LetterSpacing) +
                                  std::max(0, impl.WordSpacing), 1) +
                     impl.ExtraAdvance;
  if (font.FDBCS) impl.Pairs.resize(256);
  impl.SmallCapsWanted = fontSpec.SmallCaps;
}

const TFontHandle* ResolveFont(const TFontSpec& fontSpec, int dpi) {
  static TFontCache* cache = new TFontCache;  // never freed: handles are borrowed everywhere
  return cache->Resolve(fontSpec, dpi);
}
