#include "toolkit/fonts/font_face.h"

#include <fontconfig/fontconfig.h>
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "toolkit/fonts/font.h"

namespace {

// Names documents use that are served by metric-compatible faces (same advance widths).
struct TStandIn {
  const char* Name;
  const char* Family;
};
constexpr TStandIn kStandIns[] = {
    {"times new roman", "Liberation Serif"},
    {"arial", "Liberation Sans"},
    {"courier new", "Liberation Mono"},
};

// A face name nobody has installed reads as the usual sans-serif face, which is what the
// platform's font mapper picks for an unknown name.
constexpr const char* kDefaultName = "Arial";

FcConfig* Config() {
  static FcConfig* config = [] {
    if (!FcInit()) throw std::runtime_error("Cannot initialise the font configuration");
    return FcConfigGetCurrent();
  }();
  return config;
}

struct TInstalled {
  std::vector<std::string> Names;
  std::set<std::string> Lower;
};

TInstalled ListInstalled() {
    TInstalled result;
    std::set<std::string> names;
    // Outline faces only: those are the ones a handle can be built from.
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(Config(), pattern, objects);
    if (fonts) {
      for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* family = nullptr;
        for (int k = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &family) == FcResultMatch;
             ++k)
          names.insert(reinterpret_cast<const char*>(family));
      }
      FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    std::set<std::string> lower;
    for (const std::string& name : names) lower.insert(LowerFaceName(name));
    for (const TStandIn& standIn : kStandIns) {
      if (!lower.count(LowerFaceName(standIn.Family))) continue;
      std::string name = standIn.Name;
      // Title case, as the platform lists them.
      for (size_t i = 0; i < name.size(); ++i)
        if (i == 0 || name[i - 1] == ' ') name[i] = char(name[i] - 'a' + 'A');
      names.insert(name);
      lower.insert(standIn.Name);
    }
    result.Names.assign(names.begin(), names.end());
    result.Lower = std::move(lower);
    return result;
}

// Listed once, and again when the application adds a font file.
TInstalled& Installed() {
  static TInstalled installed = ListInstalled();
  return installed;
}

const char* StandInFamily(const std::string& lowerName) {
  for (const TStandIn& standIn : kStandIns)
    if (lowerName == standIn.Name) return standIn.Family;
  return nullptr;
}

std::string Trimmed(const std::string& name) {
  size_t b = name.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  size_t e = name.find_last_not_of(" \t\r\n");
  return name.substr(b, e - b + 1);
}

// The pattern fontconfig matches and sorts faces by, substituted; family may be null.
FcPattern* RequestPattern(const char* family, bool bold, bool italic, const char* language) {
  FcPattern* pattern = FcPatternCreate();
  if (family) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (language && *language) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language));
  FcConfigSubstitute(Config(), pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

// fontconfig's best match for a family and style.
FcPattern* Match(const char* family, bool bold, bool italic) {
  FcPattern* pattern = RequestPattern(family, bold, italic, nullptr);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(Config(), pattern, &result);
  FcPatternDestroy(pattern);
  return match;
}

void FillSource(FcPattern* match, TFaceSource& source) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &value) == FcResultMatch)
    source.File = reinterpret_cast<const char*>(value);
  int index = 0;
  if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) source.Index = index;
  if (FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch)
    source.Family = reinterpret_cast<const char*>(value);
}

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib)) throw std::runtime_error("Cannot initialise the font rasterizer");
    return lib;
  }();
  return library;
}

// The FreeType face of a file, opened once per variant; null when it cannot be read or is
// not an outline face. cairo shares one font face among all made from an FT_Face and
// keeps synthesis on that shared face, so emboldening the bold variant would embolden the
// regular text of the same file too: each synthesis gets an FT_Face of its own.
FT_Face FileFace(const std::string& file, int index, unsigned variant = 0) {
  static std::map<std::tuple<std::string, int, unsigned>, FT_Face> faces;
  auto it = faces.find({file, index, variant});
  if (it != faces.end()) return it->second;
  FT_Face face = nullptr;
  if (!file.empty() && FT_New_Face(Library(), file.c_str(), index, &face) == 0 &&
      !FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    face = nullptr;
  }
  faces.emplace(std::make_tuple(file, index, variant), face);
  return face;
}

// Bold and italic the face file lacks are drawn by emboldening and slanting.
void ChooseSynthesis(bool bold, bool italic, TFaceSource& source) {
  FT_Face face = FileFace(source.File, source.Index);
  if (!face) return;
  bool faceBold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
    faceBold = faceBold || os2->usWeightClass >= 600;
  source.SynthesizeBold = bold && !faceBold;
  source.SynthesizeItalic = italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
}

}  // namespace

std::string LowerFaceName(const std::string& name) {
  std::string lower = name;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return lower;
}

bool AddFontFile(const std::string& path) {
  if (!FcConfigAppFontAddFile(Config(), reinterpret_cast<const FcChar8*>(path.c_str())))
    return false;
  Installed() = ListInstalled();
  return true;
}

const std::vector<std::string>& InstalledFaces() { return Installed().Names; }

bool IsFaceInstalled(const std::string& name) {
  return Installed().Lower.count(LowerFaceName(Trimmed(name))) != 0;
}

const TFaceSource& FindFaceSource(const std::string& name, bool bold, bool italic,
                                  const char* language) {
  using TKey = std::tuple<std::string, bool, bool, std::string>;
  static std::map<TKey, TFaceSource> sources;
  std::string lower = LowerFaceName(Trimmed(name));
  TKey key{lower, bold, italic, language ? language : ""};
  auto it = sources.find(key);
  if (it != sources.end()) return it->second;

  TFaceSource source;
  source.FaceFound = !lower.empty() && Installed().Lower.count(lower) != 0;
  std::string family = source.FaceFound ? Trimmed(name) : std::string(kDefaultName);
  if (const char* standIn = StandInFamily(LowerFaceName(family))) family = standIn;

  source.Bold = bold;
  source.Italic = italic;
  source.Language = language ? language : "";
  // The named face stays even when it cannot show the language: it draws the characters it
  // has, and only the others come from faces that have them (FindFallbackSource). Taking
  // a face of the language for the whole text would draw Latin letters in its design.
  FcPattern* match = Match(family.c_str(), bold, italic);
  if (match) {
    FillSource(match, source);
    FcPatternDestroy(match);
    ChooseSynthesis(bold, italic, source);
  }
  return sources.emplace(key, std::move(source)).first->second;
}

namespace {

// The faces that may stand in for the characters one primary face lacks.
struct TFallbackChain {
  FcFontSet* Sorted = nullptr;  // fontconfig's order for the primary's request; kept
  std::vector<std::unique_ptr<TFaceSource>> Sources;  // per entry of Sorted, made on first use
  std::unordered_map<char32_t, const TFaceSource*> ByCodePoint;
};

TFallbackChain MakeFallbackChain(const TFaceSource& primary) {
  TFallbackChain chain;
  FcPattern* pattern = RequestPattern(primary.Family.empty() ? nullptr : primary.Family.c_str(),
                                      primary.Bold, primary.Italic, primary.Language.c_str());
  FcResult result = FcResultNoMatch;
  chain.Sorted = FcFontSort(Config(), pattern, FcTrue, nullptr, &result);
  FcPatternDestroy(pattern);
  if (chain.Sorted) chain.Sources.resize(size_t(chain.Sorted->nfont));
  return chain;
}

// The source of entry i of the chain; null when it is the primary itself or no outline face.
const TFaceSource* ChainSource(TFallbackChain& chain, int i, const TFaceSource& primary) {
  std::unique_ptr<TFaceSource>& slot = chain.Sources[size_t(i)];
  if (!slot) {
    slot = std::make_unique<TFaceSource>();
    FillSource(chain.Sorted->fonts[i], *slot);
    slot->FaceFound = true;
    slot->Bold = primary.Bold;
    slot->Italic = primary.Italic;
    slot->Language = primary.Language;
    ChooseSynthesis(primary.Bold, primary.Italic, *slot);
  }
  if (slot->File.empty() || (slot->File == primary.File && slot->Index == primary.Index))
    return nullptr;
  return FileFace(slot->File, slot->Index) ? slot.get() : nullptr;
}

}  // namespace

const TFaceSource* FindFallbackSource(const TFaceSource& primary, char32_t cp) {
  static std::unordered_map<const TFaceSource*, TFallbackChain> chains;
  auto chainAt = chains.find(&primary);
  if (chainAt == chains.end()) chainAt = chains.emplace(&primary, MakeFallbackChain(primary)).first;
  TFallbackChain& chain = chainAt->second;
  auto known = chain.ByCodePoint.find(cp);
  if (known != chain.ByCodePoint.end()) return known->second;

  const TFaceSource* found = nullptr;
  for (int i = 0; chain.Sorted && i < chain.Sorted->nfont && !found; ++i) {
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(chain.Sorted->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch ||
        !FcCharSetHasChar(chars, FcChar32(cp)))
      continue;
    found = ChainSource(chain, i, primary);
  }
  chain.ByCodePoint.emplace(cp, found);
  return found;
}

cairo_font_face_t* OpenCairoFace(const TFaceSource& source) {
  using TKey = std::tuple<std::string, int, bool, bool>;
  static std::map<TKey, cairo_font_face_t*> faces;
  TKey key{source.File, source.Index, source.SynthesizeBold, source.SynthesizeItalic};
  auto it = faces.find(key);
  if (it != faces.end()) return it->second;

  cairo_font_face_t* result = nullptr;
  const unsigned synth = (source.SynthesizeBold ? CAIRO_FT_SYNTHESIZE_BOLD : 0) |
                         (source.SynthesizeItalic ? CAIRO_FT_SYNTHESIZE_OBLIQUE : 0);
  if (FT_Face ftFace = FileFace(source.File, source.Index, synth)) {
    result = cairo_ft_font_face_create_for_ft_face(ftFace, FT_LOAD_DEFAULT);
    if (cairo_font_face_status(result) != CAIRO_STATUS_SUCCESS) {
      cairo_font_face_destroy(result);
      result = nullptr;
    } else if (synth) {
      cairo_ft_font_face_set_synthesize(result, synth);
    }
  }
  faces.emplace(key, result);
  return result;
}

// fontconfig loses a few hundred bytes while parsing its configuration at start-up; the
// leak checker of sanitized builds is told so, as nothing here can free them.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QJX_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QJX_LEAK_CHECKED 1
#endif
#ifdef QJX_LEAK_CHECKED
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif
