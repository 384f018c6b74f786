// Measuring and drawing with a resolved font. 8-bit text is a table lookup per byte;
// double-byte characters are decoded once per (lead, trail) pair and remembered.
#include "toolkit/fonts/font.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "common/byte_scan.h"
#include "common/unicode_chars.h"
#include "toolkit/fonts/font_handle_impl.h"

namespace {

int ClampToInt(int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v); }

// Sum of the table widths of n bytes; four running sums keep the adds independent.
int64_t SumWidths(const int* widths, const uint8_t* p, int n) {
  int64_t a = 0, b = 0, c = 0, d = 0;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    a += widths[p[i]];
    b += widths[p[i + 1]];
    c += widths[p[i + 2]];
    d += widths[p[i + 3]];
  }
  for (; i < n; ++i) a += widths[p[i]];
  return a + b + c + d;
}

// Extra pixels of justification for one break character; rem counts down.
inline int BreakAdvance(const TTextJustification& just, int& rem) {
  if (rem > 0) {
    --rem;
    return just.BreakExtra + 1;
  }
  return just.BreakExtra;
}

// The measured glyph of a well-formed UTF-8 character of two or three bytes at p (n bytes
// left) whose row of the plane is measured already: most characters of a page, decoded here
// without a call. Null for anything else, which takes the general way; len gets the bytes.
inline const TGlyphAdvance* KnownUtf8Glyph(const TFontHandleImpl& impl, const uint8_t* p, int n,
                                           int& len) {
  const uint8_t b = p[0];
  char32_t cp;
  if (b >= 0xC2 && b <= 0xDF) {
    if (n < 2 || (p[1] & 0xC0) != 0x80) return nullptr;
    cp = char32_t(b & 0x1F) << 6 | char32_t(p[1] & 0x3F);
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    if (n < 3 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) return nullptr;
    cp = char32_t(b & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | char32_t(p[2] & 0x3F);
    if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return nullptr;
    len = 3;
  } else {
    return nullptr;
  }
  const TGlyphAdvance* row = impl.Pairs[cp >> 8].get();
  if (!row || row[cp & 0xFF].Width < 0) return nullptr;
  return &row[cp & 0xFF];
}

// The word of text at p of length bytes (less than WordBytes; n bytes readable), zero after
// its end. Kept in registers: the key goes straight to the hash and the compare.
struct TWordKey {
  uint64_t K0, K1, K2;
};

// The masks that keep the first k bytes of three words, for k below WordBytes: a table, as
// working them out takes more steps than the rest of a known word's lookup.
struct TWordMasks {
  uint64_t M[TFontHandleImpl::WordBytes][3];
};

constexpr TWordMasks MakeWordMasks() {
  TWordMasks T{};
  for (int k = 0; k < TFontHandleImpl::WordBytes; ++k)
    for (int part = 0; part < 3; ++part) {
      const int bytes = std::clamp(k - 8 * part, 0, 8);
      T.M[k][part] = bytes == 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * bytes)) - 1;
    }
  return T;
}

constexpr TWordMasks WordMasks = MakeWordMasks();

inline TWordKey ReadWord(const uint8_t* p, int n, int length) {
  constexpr int Bytes = TFontHandleImpl::WordBytes;
  const char* from = reinterpret_cast<const char*>(p);
  char tail[Bytes];
  if (n < Bytes) {
    std::memset(tail, 0, sizeof tail);
    std::memcpy(tail, p, size_t(n));
    from = tail;
  }
  const uint64_t* mask = WordMasks.M[length];
  return TWordKey{ByteScan::Load(from) & mask[0], ByteScan::Load(from + 8) & mask[1],
                  ByteScan::Load(from + 16) & mask[2]};
}

// Where the words of a text end: the spaces and control characters of n bytes at p, found
// sixty-four bytes at a time as fitting reaches them. A word's end is then a bit count away,
// so that finding it waits on nothing but the word before.
class TWordEnds {
 public:
  TWordEnds(const uint8_t* p, int n) : FText(p), FLength(n) {}

  // The first space or control character at or after at, n when there is none; at may
  // go back into the block before.
  int From(int at) {
    for (;;) {
      if (unsigned(at - FBase) >= 64) Fill(at & ~63);
      const uint64_t after = FStops >> (at - FBase);
      if (after != 0) return at + std::countr_zero(after);
      at = FBase + 64;
      if (at >= FLength) return FLength;
    }
  }

 private:
  void Fill(int base) {
    FBase = base;
    FStops = 0;
    for (int k = 0; k < 8; ++k) {
      const int at = base + 8 * k;
      uint64_t x = 0;  // bytes past the end read as zero, a stop
      if (FLength - at >= 8)
        x = ByteScan::Load(reinterpret_cast<const char*>(FText + at));
      else if (FLength > at)
        std::memcpy(&x, FText + at, size_t(FLength - at));
      // One bit per stop byte, gathered from the bytes' top bits by a multiply.
      const uint64_t marks = ByteScan::Below(x, 33) >> 7;
      FStops |= (marks * 0x0102040810204080u >> 56) << (8 * k);
    }
  }

  const uint8_t* FText;
  int FLength;
  int FBase = -64;
  uint64_t FStops = 0;
};

inline size_t WordSlot(const TWordKey& key) {
  const uint64_t h =
      key.K0 * 0x9E3779B97F4A7C15u + key.K1 * 0xC2B2AE3D27D4EB4Fu + key.K2 * 0x165667B19E3779F9u;
  return size_t(h >> (64 - TFontHandleImpl::WordSlotBits));
}

// The words of UTF-8 text from i on whose widths are kept, each with the single space after
// it, while they fit within maxExtent: the index after them, and w grown by their widths.
// Few values live here, so that they stay in registers.
inline int TakeKnownWords(const TFontHandleImpl::TWordWidth* words, const uint8_t* p, int n,
                          TWordEnds& wordEnds, int spaceWidth, int64_t maxExtent, int i,
                          int64_t& w) {
  int64_t width = w;
  while (i < n && p[i] > ' ') {
    const int length = wordEnds.From(i) - i;
    if (length >= TFontHandleImpl::WordBytes) break;
    const TWordKey key = ReadWord(p + i, n - i, length);
    const TFontHandleImpl::TWordWidth& slot = words[WordSlot(key)];
    const bool seen = ((slot.Key[0] ^ key.K0) | (slot.Key[1] ^ key.K1) | (slot.Key[2] ^ key.K2)) == 0;
    if (!seen || width + slot.Width > maxExtent) break;
    width += slot.Width;
    i += length;
    if (i < n && p[i] == ' ' && width + spaceWidth <= maxExtent) {
      width += spaceWidth;
      ++i;
    }
  }
  w = width;
  return i;
}

}  // namespace

size_t TFontSpecHash::operator()(const TFontSpec& fontSpec) const noexcept {
  size_t h = std::hash<std::string>()(fontSpec.Name);
  auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
  mix(size_t(uint32_t(fontSpec.Size)));
  mix(size_t(uint32_t(fontSpec.SizeCentipoints)));
  mix(size_t(uint32_t(fontSpec.Height)));
  mix(size_t(fontSpec.Bold) | size_t(fontSpec.Italic) << 1 | size_t(fontSpec.Underline) << 2 |
      size_t(fontSpec.StrikeOut) << 3);
  mix(fontSpec.Charset);
  mix(size_t(uint32_t(fontSpec.Color)));
  if (fontSpec.SmallCaps) mix(0x5C);
  if (fontSpec.LetterSpacing != 0 || fontSpec.WordSpacing != 0) {
    mix(size_t(uint32_t(fontSpec.LetterSpacing)));
    mix(size_t(uint32_t(fontSpec.WordSpacing)));
  }
  return h;
}

TTextJustification TTextJustification::Make(int extra, int breakCount) {
  TTextJustification j;
  if (breakCount <= 0) return j;
  j.BreakExtra = extra / breakCount;
  j.BreakRem = extra - j.BreakExtra * breakCount;
  if (j.BreakRem < 0) {  // negative extra: spread the shortfall the same way, one less each
    j.BreakExtra -= 1;
    j.BreakRem += breakCount;
  }
  return j;
}

int TFontHandleImpl::MeasureGlyph(FT_Face face, uint32_t glyph, int extraAdvance) const {
  if (!face) return std::max(1, PixelSize / 2);
  if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0) return extraAdvance;
  return int((face->glyph->advance.x + 32) >> 6) + extraAdvance;
}

uint8_t TFontHandleImpl::FallbackFor(char32_t cp) {
  // Control characters stay the face's own .notdef: they are never text to show.
  if (!Source || cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return 0;
  const TFaceSource* source = FindFallbackSource(*Source, cp);
  if (!source) return 0;
  for (size_t i = 0; i < Fallbacks.size(); ++i)
    if (Fallbacks[i].Source == source && i + 1 != SmallCapsFont) return uint8_t(i + 1);
  if (Fallbacks.size() >= 255) return 0;
  TFallbackFont fallback;
  fallback.Source = source;
  fallback.Face = OpenCairoFace(*source);
  if (!fallback.Face) return 0;
  fallback.Scaled = CreateScaledFont(fallback.Face, PixelSize, Options);
  if (!fallback.Scaled) return 0;
  fallback.ExtraAdvance = source->SynthesizeBold ? 1 : 0;
  Fallbacks.push_back(fallback);
  return uint8_t(Fallbacks.size());
}

TGlyphAdvance TFontHandleImpl::LookupFallback(char32_t cp) {
  const uint8_t font = FallbackFor(cp);
  if (!font) return TGlyphAdvance{};
  const TFallbackFont& fallback = Fallbacks[font - 1];
  FT_Face face = cairo_ft_scaled_font_lock_face(fallback.Scaled);
  TGlyphAdvance g;
  if (face) {
    g.Glyph = FT_Get_Char_Index(face, cp);
    if (g.Glyph) {
      g.Width = MeasureGlyph(face, g.Glyph, fallback.ExtraAdvance);
      g.Font = font;
    }
    cairo_ft_scaled_font_unlock_face(fallback.Scaled);
  }
  return g;
}

TGlyphAdvance TFontHandleImpl::LookupLocked(FT_Face face, char32_t cp) {
  auto it = CodePoints.find(cp);
  if (it != CodePoints.end()) return it->second;
  TGlyphAdvance g;
  g.Glyph = face ? FT_Get_Char_Index(face, cp) : 0;
  if (face && !g.Glyph) g = LookupFallback(cp);
  if (g.Width < 0) g = TGlyphAdvance{g.Glyph, MeasureGlyph(face, g.Glyph), 0};
  CodePoints.emplace(cp, g);
  return g;
}

TGlyphAdvance TFontHandleImpl::SmallCapital(char32_t cp) {
  const char32_t capital = UpperCodePoint(cp);
  if (capital == cp || !Face || !Scaled) return TGlyphAdvance{};
  if (!SmallCapsFont) {
    if (Fallbacks.size() >= 255) return TGlyphAdvance{};
    TFallbackFont small;
    small.Source = Source;
    small.Face = Face;
    small.PixelSize = std::max(1, (PixelSize * SmallCapsScale + 50) / 100);
    small.Scaled = CreateScaledFont(Face, small.PixelSize, Options);
    if (!small.Scaled) return TGlyphAdvance{};
    small.ExtraAdvance = ExtraAdvance;
    Fallbacks.push_back(small);
    SmallCapsFont = uint8_t(Fallbacks.size());
  }
  const TFallbackFont& small = Fallbacks[SmallCapsFont - 1];
  FT_Face face = cairo_ft_scaled_font_lock_face(small.Scaled);
  if (!face) return TGlyphAdvance{};
  TGlyphAdvance g;
  g.Glyph = FT_Get_Char_Index(face, capital);
  if (g.Glyph) {
    g.Width = MeasureGlyph(face, g.Glyph, small.ExtraAdvance);
    g.Font = SmallCapsFont;
    CodePoints.emplace(cp, g);
  }
  cairo_ft_scaled_font_unlock_face(small.Scaled);
  return g;
}

TGlyphAdvance TFontHandleImpl::Lookup(char32_t cp) {
  auto it = CodePoints.find(cp);
  if (it != CodePoints.end()) return it->second;
  if (SmallCapsWanted) {
    const TGlyphAdvance small = SmallCapital(cp);
    if (small.Width >= 0) return small;
  }
  FT_Face face = Scaled ? cairo_ft_scaled_font_lock_face(Scaled) : nullptr;
  TGlyphAdvance g = LookupLocked(face, cp);
  if (face) cairo_ft_scaled_font_unlock_face(Scaled);
  return g;
}

const TGlyphAdvance& TFontHandleImpl::Pair(int codePage, uint8_t lead, uint8_t trail) {
  std::unique_ptr<TGlyphAdvance[]>& row = Pairs[lead];
  if (!row) row.reset(new TGlyphAdvance[256]);
  TGlyphAdvance& g = row[trail];
  if (g.Width < 0) {
    char32_t cp = DoubleByteChar(codePage, lead, trail);
    g = cp != 0xFFFD ? Lookup(cp) : TGlyphAdvance{DefaultGlyph, DefaultWidth, 0};
  }
  return g;
}

TGlyphAdvance TFontHandleImpl::Unicode(char32_t cp) {
  if (cp >= 0x10000) return Lookup(cp);
  std::unique_ptr<TGlyphAdvance[]>& row = Pairs[cp >> 8];
  if (!row) row.reset(new TGlyphAdvance[256]);
  TGlyphAdvance& g = row[cp & 0xFF];
  if (g.Width < 0) g = Lookup(cp);
  return g;
}

int TFontHandle::MultiByteGlyph(const uint8_t* p, int n, TGlyphAdvance& g) const {
  int length = 2;
  if (FCodePage != CP_UTF8) {
    g = FImpl->Pair(FCodePage, p[0], p[1]);
  } else {
    const char32_t cp = DecodeUtf8Char(reinterpret_cast<const char*>(p), size_t(n), length);
    // The measured glyphs of the plane's rows first: most characters were seen before.
    const TGlyphAdvance* row = cp < 0x10000 ? FImpl->Pairs[cp >> 8].get() : nullptr;
    g = row && row[cp & 0xFF].Width >= 0 ? row[cp & 0xFF] : FImpl->Unicode(cp);
  }
  // Letter spacing follows every character, as it follows each byte of the byte table.
  if (FImpl->LetterSpacing != 0) g.Width = std::max(0, g.Width + FImpl->LetterSpacing);
  return length;
}

int TFontHandle::CodePointWidth(char32_t cp) const { return FImpl->Lookup(cp).Width; }

int TFontHandle::TextWidth(const char* s, int n, const TTextJustification* just) const {
  if (!s || n <= 0) return 0;
  MeasureBytes(reinterpret_cast<const uint8_t*>(s), n);
  if (!FDBCS && (!just || just->IsZero()))
    return ClampToInt(SumWidths(FWidths, reinterpret_cast<const uint8_t*>(s), n));
  return GetTextExtentExPoint(s, n, 0, nullptr, nullptr, just).cx;
}

TSize TFontHandle::TextExtent(const char* s, int n, const TTextJustification* just) const {
  return TSize{TextWidth(s, n, just), FMetric.tmHeight};
}

TSize TFontHandle::GetTextExtentExPoint(const char* s, int n, int maxExtent, int* fitCount,
                                        int* prefixExtents, const TTextJustification* just) const {
  if (!s || n <= 0) {
    if (fitCount) *fitCount = 0;
    return TSize{0, FMetric.tmHeight};
  }
  const auto* p = reinterpret_cast<const uint8_t*>(s);
  MeasureBytes(p, n);
  const bool justify = just && !just->IsZero();
  int64_t w = 0;
  int fit = 0;

  if (!FDBCS && !justify && !prefixExtents) {
    // The common case of line fitting: stop comparing at the first byte that overflows.
    int i = 0;
    if (fitCount) {
      for (; i < n; ++i) {
        int64_t next = w + FWidths[p[i]];
        if (next > maxExtent) break;
        w = next;
      }
      fit = i;
    }
    w += SumWidths(FWidths, p + i, n - i);
  } else {
    const int breakChar = FMetric.tmBreakChar;
    int rem = justify ? just->BreakRem : 0;
    bool fitting = fitCount != nullptr;
    const bool knownUtf8 = FCodePage == CP_UTF8 && FImpl->LetterSpacing == 0;
    for (int i = 0; i < n;) {
      int width, len = 1;
      uint8_t b = p[i];
      const TGlyphAdvance* known;
      if (b >= 0x80 && knownUtf8 && (known = KnownUtf8Glyph(*FImpl, p + i, n - i, len))) {
        width = known->Width;
      } else if (b >= 0x80 && FDBCS && (*FLeadBytes)[b] && i + 1 < n) {
        TGlyphAdvance g;
        len = MultiByteGlyph(p + i, n - i, g);
        width = g.Width;
      } else {
        width = FWidths[b];
        if (justify && b == breakChar) width += BreakAdvance(*just, rem);
      }
      w += width;
      if (fitting) {
        if (w <= maxExtent)
          fit += len;
        else
          fitting = false;
      }
      if (prefixExtents) {
        for (int k = 0; k < len; ++k) prefixExtents[i + k] = ClampToInt(w);
      }
      i += len;
    }
  }
  if (fitCount) *fitCount = fit;
  return TSize{ClampToInt(w), FMetric.tmHeight};
}

int TFontHandle::FitBytes(const char* s, int n, int maxExtent, int& width) const {
  width = 0;
  if (!s || n <= 0) return 0;
  const auto* p = reinterpret_cast<const uint8_t*>(s);
  // Bytes are measured as they are reached: fitting stops at the line's end, while the
  // text given runs on.
  int64_t w = 0;
  int i = 0;
  if (!FDBCS) {
    for (; i < n; ++i) {
      if (!FKnown[p[i]]) MeasureMissing(p + i, 1);
      const int64_t next = w + FWidths[p[i]];
      if (next > maxExtent) break;
      w = next;
    }
    width = ClampToInt(w);
    return i;
  }
  const bool knownUtf8 = FCodePage == CP_UTF8 && FImpl->LetterSpacing == 0;
  // The advance of the character at i and its bytes.
  auto advanceAt = [&](int at, int& len) {
    const uint8_t b = p[at];
    len = 1;
    const TGlyphAdvance* known;
    if (b < 0x80) {
      if (!FKnown[b]) MeasureMissing(p + at, 1);
      return FWidths[b];
    }
    if (knownUtf8 && (known = KnownUtf8Glyph(*FImpl, p + at, n - at, len)))
      return int(known->Width);
    if ((*FLeadBytes)[b] && at + 1 < n) {
      TGlyphAdvance g;
      len = MultiByteGlyph(p + at, n - at, g);
      return int(g.Width);
    }
    if (!FKnown[b]) MeasureMissing(p + at, 1);
    return FWidths[b];
  };
  using TWordWidth = TFontHandleImpl::TWordWidth;
  TWordWidth* words = nullptr;
  if (FCodePage == CP_UTF8) {
    if (!FImpl->Words)
      FImpl->Words = std::make_unique<TWordWidth[]>(size_t(1) << TFontHandleImpl::WordSlotBits);
    words = FImpl->Words.get();
  }
  TWordEnds wordEnds(p, n);
  // The space's width, or none when it is not measured yet (so the general way measures it).
  const int spaceWidth = FKnown[uint8_t(' ')] ? FWidths[uint8_t(' ')] : INT_MAX / 2;
  while (i < n) {
    if (words && p[i] > ' ') {
      // Words met before, whole, as long as they fit: the common case, in a loop of its own.
      const int from = i;
      i = TakeKnownWords(words, p, n, wordEnds, spaceWidth, maxExtent, i, w);
      if (i != from || i == n || p[i] <= ' ') continue;
      // A word: its width is the sum of its characters' advances whatever stands around it,
      // since no character of UTF-8 reaches over a space or a control character.
      const int length = wordEnds.From(i) - i;
      if (length < TFontHandleImpl::WordBytes) {
        const TWordKey key = ReadWord(p + i, n - i, length);
        TWordWidth& slot = words[WordSlot(key)];
        // Measured a character at a time; kept when it fits whole.
        const int end = i + length;
        const int64_t from = w;
        bool fits = true;
        while (i < end) {
          int len;
          const int advance = advanceAt(i, len);
          if (w + advance > maxExtent) {
            fits = false;
            break;
          }
          w += advance;
          i += len;
        }
        if (!fits) break;
        slot.Key[0] = key.K0, slot.Key[1] = key.K1, slot.Key[2] = key.K2;
        slot.Width = int32_t(w - from);
        continue;
      }
      // Too long a word to keep: its characters one by one, up to its end.
      bool fits = true;
      while (fits && i < n && p[i] > ' ') {
        int len;
        const int advance = advanceAt(i, len);
        fits = w + advance <= maxExtent;
        if (fits) {
          w += advance;
          i += len;
        }
      }
      if (!fits) break;
      continue;
    }
    int len;
    const int advance = advanceAt(i, len);
    if (w + advance > maxExtent) break;
    w += advance;
    i += len;
  }
  width = ClampToInt(w);
  return i;
}

namespace {

// Glyphs go to cairo in batches of this many, so that a long run needs no big buffer.
constexpr int kGlyphBatch = 1024;

cairo_glyph_t* GlyphBuffer() {
  static cairo_glyph_t buffer[kGlyphBatch];  // drawing happens on one thread
  return buffer;
}

void SelectFont(cairo_t* cr, const TFontHandleImpl& impl, uint8_t font) {
  cairo_matrix_t ctm;
  cairo_get_matrix(cr, &ctm);
  if (ctm.xx == 1 && ctm.yy == 1 && ctm.xy == 0 && ctm.yx == 0) {
    cairo_set_scaled_font(cr, impl.ScaledOf(font));
  } else {
    // A scaled device (printing, say) renders the same face at the device's size.
    cairo_matrix_t fontMatrix;
    const int pixels = impl.PixelSizeOf(font);
    cairo_matrix_init_scale(&fontMatrix, pixels, pixels);
    cairo_set_font_face(cr, impl.FaceOf(font));
    cairo_set_font_matrix(cr, &fontMatrix);
    cairo_set_font_options(cr, impl.Options);
  }
}

// Glyphs on their way to cairo: a run goes out whole when the buffer fills or the next
// glyph comes from another face, so text in one face costs one font selection.
class TGlyphBatch {
 public:
  TGlyphBatch(cairo_t* cr, const TFontHandleImpl& impl) : FCr(cr), FImpl(impl), FGlyphs(GlyphBuffer()) {}

  void Add(uint8_t font, uint32_t glyph, double x, double y) {
    if (FCount == kGlyphBatch || (FCount > 0 && font != FFont)) Flush();
    FFont = font;
    FGlyphs[FCount++] = cairo_glyph_t{glyph, x, y};
  }

  void Flush() {
    if (FCount == 0) return;
    if (FImpl.ScaledOf(FFont)) {
      if (FFont != FSelected) {
        SelectFont(FCr, FImpl, FFont);
        FSelected = FFont;
      }
      cairo_show_glyphs(FCr, FGlyphs, FCount);
    }
    FCount = 0;
  }

 private:
  cairo_t* FCr;
  const TFontHandleImpl& FImpl;
  cairo_glyph_t* FGlyphs;
  int FCount = 0;
  uint8_t FFont = 0;
  int FSelected = -1;
};

}  // namespace

static void DrawFontLines(cairo_t* cr, const TFontHandle& font, double x, double baselineY, int64_t width) {
  if (width <= 0) return;
  const TFontSpec& described = font.Description();
  if (!described.Underline && !described.StrikeOut) return;
  cairo_new_path(cr);
  if (described.Underline) {
    TFontLine line = font.UnderlineLine();
    cairo_rectangle(cr, x, baselineY + line.Top, double(width), line.Thickness);
  }
  if (described.StrikeOut) {
    TFontLine line = font.StrikeOutLine();
    cairo_rectangle(cr, x, baselineY + line.Top, double(width), line.Thickness);
  }
  cairo_fill(cr);
}

int TFontHandle::DrawText(cairo_t* cr, double x, double baselineY, const char* s, int n,
                          const int* advances, TTextJustification* just) const {
  if (!cr || !s || n <= 0) return 0;
  TGlyphBatch batch(cr, *FImpl);
  const auto* p = reinterpret_cast<const uint8_t*>(s);
  MeasureBytes(p, n);
  const bool justify = !advances && just && !just->IsZero();
  const int breakChar = FMetric.tmBreakChar;
  int64_t pen = 0;
  const bool knownUtf8 = FCodePage == CP_UTF8 && FImpl->LetterSpacing == 0;
  for (int i = 0; i < n;) {
    uint8_t b = p[i];
    uint32_t glyph;
    uint8_t face;
    int width, len = 1;
    const TGlyphAdvance* known;
    if (b >= 0x80 && knownUtf8 && (known = KnownUtf8Glyph(*FImpl, p + i, n - i, len))) {
      glyph = known->Glyph;
      face = known->Font;
      width = known->Width;
    } else if (b >= 0x80 && FDBCS && (*FLeadBytes)[b] && i + 1 < n) {
      TGlyphAdvance g;
      len = MultiByteGlyph(p + i, n - i, g);
      glyph = g.Glyph;
      face = g.Font;
      width = g.Width;
    } else {
      glyph = FGlyphs[b];
      face = FGlyphFonts[b];
      width = FWidths[b];
      if (justify && b == breakChar) width += BreakAdvance(*just, just->BreakRem);
    }
    if (advances) {
      width = 0;
      for (int k = 0; k < len; ++k) width += advances[i + k];
    }
    batch.Add(face, glyph, x + double(pen), baselineY);
    pen += width;
    i += len;
  }
  batch.Flush();
  DrawFontLines(cr, *this, x, baselineY, pen);
  return ClampToInt(pen);
}

int TFontHandle::DrawTextW(cairo_t* cr, double x, double baselineY, const char32_t* s, int n) const {
  if (!cr || !s || n <= 0) return 0;
  TGlyphBatch batch(cr, *FImpl);
  int64_t pen = 0;
  for (int i = 0; i < n; ++i) {
    TGlyphAdvance g = FImpl->Lookup(s[i]);
    batch.Add(g.Font, g.Glyph, x + double(pen), baselineY);
    pen += g.Width;
  }
  batch.Flush();
  DrawFontLines(cr, *this, x, baselineY, pen);
  return ClampToInt(pen);
}
