#include "style/element_font.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "common/codepage.h"

namespace {

class TToolkitFontServices : public TStyleFontServices {
 public:
  bool IsFaceInstalled(const std::string& face) override { return ::IsFaceInstalled(face); }
  TTextMetric FontMetrics(const TFontSpec& fontSpec, int pixelsPerInch) override {
    return ResolveFont(fontSpec, pixelsPerInch)->Metrics();
  }
};

TToolkitFontServices GToolkitServices;
TStyleFontServices* GServices = &GToolkitServices;

// Caches grow with the distinct family lists and fonts of the documents shown;
// they are dropped whole if a hostile document makes them large.
constexpr size_t MaxCacheEntries = 4096;
std::unordered_map<std::string, std::string> GFaceCache;
std::unordered_map<TFontSpec, TFontMeasure, TFontSpecHash> GMeasureCache;
int GMeasurePpi = 0;

// The list asked for last and its face.
bool GLastFaceValid = false;
std::string GLastFaceList;
std::string GLastFace;

void RememberLastFace(const std::string& list, const std::string& face) {
  GLastFaceList = list;
  GLastFace = face;
  GLastFaceValid = true;
}

// The fonts made last, most recent first.
constexpr size_t RecentFontCount = 8;
struct TRecentFont {
  ThtFontInfo Info;
  std::shared_ptr<const TMyFont> Font;
};
std::array<TRecentFont, RecentFontCount> GRecentFonts;
// The slots of the recent fonts, the most recently used first: the order moves, not the
// fonts and their names.
std::array<uint8_t, RecentFontCount> GRecentOrder = [] {
  std::array<uint8_t, RecentFontCount> order{};
  for (size_t i = 0; i < RecentFontCount; ++i) order[i] = uint8_t(i);
  return order;
}();
int GRecentFontsPpi = 0;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::bitset<256> MakeRange(int from, int to) {
  std::bitset<256> set;
  for (int b = from; b <= to; ++b) set.set(b);
  return set;
}

}  // namespace

const std::bitset<256>& LeadByteSetOfCharSet(uint8_t charSet) {
  static const std::bitset<256> Empty;
  static const std::bitset<256> ShiftJis = MakeRange(0x81, 0x9F);
  static const std::bitset<256> HighA1 = MakeRange(0xA1, 0xFE);
  static const std::bitset<256> High81 = MakeRange(0x81, 0xFE);
  static const std::bitset<256> Utf8Leads = MakeRange(0xC2, 0xF4);
  switch (charSet) {
    case UTF8_CHARSET:
      return Utf8Leads;
    case SHIFTJIS_CHARSET:
      return ShiftJis;
    case HANGEUL_CHARSET:
    case GB2312_CHARSET:
      return HighA1;
    case JOHAB_CHARSET:
    case CHINESEBIG5_CHARSET:
      return High81;
    default:
      return Empty;
  }
}

bool CodePageOfCharSet(uint8_t charSet, int& codePage) {
  static const struct {
    uint8_t CharSet;
    int CodePage;
  } Table[] = {{0, 1252},   {1, 0},      {2, 0},      {77, 2},     {128, 932},  {129, 949},
               {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258},
               {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250},
               {255, 1},    {UTF8_CHARSET, CP_UTF8}};
  for (const auto& entry : Table) {
    if (entry.CharSet == charSet) {
      codePage = entry.CodePage;
      return true;
    }
  }
  return false;
}

std::string InstalledFaceFromList(std::string_view familyList) {
  // Elements mostly ask for the list their parent asked for.
  if (GLastFaceValid && familyList == GLastFaceList) return GLastFace;
  std::string key(familyList);
  auto found = GFaceCache.find(key);
  if (found != GFaceCache.end()) {
    RememberLastFace(key, found->second);
    return found->second;
  }

  std::string result;
  std::string_view rest = familyList;
  while (result.empty() && !rest.empty()) {
    size_t comma = rest.find(',');
    std::string_view name = Trim(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (SameText(name, "serif"))
      name = "Times New Roman";
    else if (SameText(name, "monospace"))
      name = "Courier New";
    else if (SameText(name, "sans-serif"))
      name = "Arial";
    else if (SameText(name, "cursive"))
      name = "Lucida Handwriting";
    if (!name.empty() && (name.front() == '"' || name.front() == '\'')) name.remove_prefix(1);
    if (!name.empty() && (name.back() == '"' || name.back() == '\'')) name.remove_suffix(1);
    if (name.empty()) continue;
    std::string candidate(name);
    if (GServices->IsFaceInstalled(candidate)) result = std::move(candidate);
  }
  if (GFaceCache.size() >= MaxCacheEntries) GFaceCache.clear();
  GFaceCache.emplace(key, result);
  RememberLastFace(key, result);
  return result;
}

void SetStyleFontServices(TStyleFontServices* services) {
  GServices = services ? services : &GToolkitServices;
  ClearStyleFontCaches();
}

void ClearStyleFontCaches() {
  GFaceCache.clear();
  GLastFaceValid = false;
  GMeasureCache.clear();
  GRecentFonts = {};
}

std::shared_ptr<const TMyFont> SharedElementFont(const ThtFontInfo& info) {
  const int ppi = ScreenPixelsPerInch();
  if (ppi != GRecentFontsPpi) {
    GRecentFonts = {};
    GRecentFontsPpi = ppi;
  }
  for (size_t i = 0; i < RecentFontCount; ++i) {
    const TRecentFont& recent = GRecentFonts[GRecentOrder[i]];
    if (!recent.Font || !(recent.Info == info)) continue;
    std::rotate(GRecentOrder.begin(), GRecentOrder.begin() + i, GRecentOrder.begin() + i + 1);
    return recent.Font;
  }
  auto font = std::make_shared<TMyFont>();
  font->Name = info.FaceName;
  font->Size = info.PointSize;
  font->SizeCentipoints = info.Centipoints;
  font->Bold = info.StyleSet & htfsBold;
  font->Italic = info.StyleSet & htfsItalic;
  font->Underline = info.StyleSet & htfsUnderline;
  font->StrikeOut = info.StyleSet & htfsStrikeOut;
  font->Charset = info.CharacterSet;
  font->Color = info.TextColor;
  font->FBackColor = info.BackColor;
  font->LetterSpacing = info.LetterSpacing;
  font->WordSpacing = info.WordSpacing;
  font->SmallCaps = info.SmallCaps;
  font->FLeadByteSet = LeadByteSetOfCharSet(MeasureFont(*font).CharSet);
  std::rotate(GRecentOrder.begin(), GRecentOrder.end() - 1, GRecentOrder.end());
  GRecentFonts[GRecentOrder[0]] = {info, font};
  return font;
}

TFontMeasure MeasureFont(const TFontSpec& fontSpec) {
  int ppi = ScreenPixelsPerInch();
  if (ppi != GMeasurePpi) {
    GMeasureCache.clear();
    GMeasurePpi = ppi;
  }
  TFontSpec key = fontSpec;
  key.Color = 0;
  auto found = GMeasureCache.find(key);
  if (found != GMeasureCache.end()) return found->second;
  TTextMetric tm = GServices->FontMetrics(key, ppi);
  const int em = tm.tmHeight - tm.tmInternalLeading;
  TFontMeasure measure{em, tm.XHeight > 0 ? tm.XHeight : em / 2, tm.tmCharSet};
  if (GMeasureCache.size() >= MaxCacheEntries) GMeasureCache.clear();
  GMeasureCache.emplace(std::move(key), measure);
  return measure;
}

const TFontHandle* TMyFont::Handle(int dpi) const {
  if (!FHandleCache.Handle || FHandleCache.Dpi != dpi) {
    FHandleCache.Handle = ResolveFont(*this, dpi);
    FHandleCache.Dpi = dpi;
  }
  return FHandleCache.Handle;
}
