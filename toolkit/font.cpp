// Font resolution, metrics, measuring and drawing. First cut: fixed metrics so that
// callers can build against the interface; the FreeType side follows.
#include "toolkit/font.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

size_t TFontSpecHash::operator()(const TFontSpec& spec) const noexcept {
  size_t h = std::hash<std::string>()(spec.Name);
  auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
  mix(size_t(spec.Size));
  mix(size_t(spec.Height));
  mix(size_t(spec.Bold) | size_t(spec.Italic) << 1 | size_t(spec.Underline) << 2 |
      size_t(spec.StrikeOut) << 3);
  mix(spec.Charset);
  mix(size_t(uint32_t(spec.Color)));
  return h;
}

TTextJustification TTextJustification::Make(int extra, int breakCount) {
  TTextJustification j;
  if (breakCount <= 0) return j;
  j.BreakExtra = extra / breakCount;
  j.BreakRem = extra - j.BreakExtra * breakCount;
  return j;
}

int TFontHandle::CodePointWidth(char32_t cp) const { return cp < 256 ? FWidths[cp] : FWidths['?']; }

int TFontHandle::TextWidth(const char* s, int n, const TTextJustification* just) const {
  return GetTextExtentExPoint(s, n, 0, nullptr, nullptr, just).cx;
}

TSize TFontHandle::TextExtent(const char* s, int n, const TTextJustification* just) const {
  return GetTextExtentExPoint(s, n, 0, nullptr, nullptr, just);
}

TSize TFontHandle::GetTextExtentExPoint(const char* s, int n, int maxExtent, int* fitCount,
                                        int* prefixExtents, const TTextJustification* just) const {
  int w = 0, fit = 0;
  for (int i = 0; i < n; ++i) {
    w += FWidths[uint8_t(s[i])];
    if (prefixExtents) prefixExtents[i] = w;
    if (w <= maxExtent) fit = i + 1;
  }
  if (fitCount) *fitCount = fit;
  return TSize{w, FMetric.tmHeight};
}

int TFontHandle::DrawText(cairo_t*, double, double, const char* s, int n, const int*,
                          TTextJustification*) const {
  return TextWidth(s, n);
}

int TFontHandle::DrawTextW(cairo_t*, double, double, const char32_t* s, int n) const {
  int w = 0;
  for (int i = 0; i < n; ++i) w += CodePointWidth(s[i]);
  return w;
}

class TFontCache {
 public:
  const TFontHandle* Resolve(const TFontSpec& spec, int dpi) {
    TFontSpec key = spec;
    key.Color = 0;
    auto& slot = FHandles[key];
    if (!slot) {
      slot.reset(new TFontHandle);
      slot->FSpec = key;
      slot->FDpi = dpi;
      slot->FPixelSize = std::clamp((spec.Size * dpi + 36) / 72, 1, 2000);
      slot->FFaceName = spec.Name;
      slot->FMetric.tmAscent = slot->FPixelSize * 9 / 10;
      slot->FMetric.tmDescent = slot->FPixelSize / 4;
      slot->FMetric.tmHeight = slot->FMetric.tmAscent + slot->FMetric.tmDescent;
      slot->FMetric.tmInternalLeading = slot->FMetric.tmHeight - slot->FPixelSize;
      slot->FMetric.tmAveCharWidth = slot->FPixelSize / 2;
      slot->FMetric.tmMaxCharWidth = slot->FPixelSize;
      static const std::bitset<256> none;
      slot->FLeadBytes = &none;
      for (int& w : slot->FWidths) w = slot->FPixelSize / 2;
    }
    return slot.get();
  }

 private:
  std::unordered_map<TFontSpec, std::unique_ptr<TFontHandle>, TFontSpecHash> FHandles;
};

const TFontHandle* ResolveFont(const TFontSpec& spec, int dpi) {
  static TFontCache* cache = new TFontCache;
  return cache->Resolve(spec, dpi);
}

const std::vector<std::string>& InstalledFaces() {
  static const std::vector<std::string> faces = {"Arial", "Courier New", "Times New Roman"};
  return faces;
}

bool IsFaceInstalled(const std::string& name) { return false; }
