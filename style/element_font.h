// Fonts of elements: font descriptions for link runs, the element font with its
// lead-byte set, installed-face lookup, em sizes cached per font, and the seam to
// the toolkit's font layer.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/types.h"
#include "style/units.h"
#include "toolkit/fonts/font.h"

// Bits of ThtFontInfo::StyleSet.
using ThtFontStyles = uint8_t;
constexpr ThtFontStyles htfsBold = 1, htfsItalic = 2, htfsUnderline = 4, htfsStrikeOut = 8;

struct ThtFontInfo {
  std::string FaceName;
  int PointSize = 0;
  int Centipoints = 0;  // when not zero the exact size, in hundredths of a point
  ThtFontStyles StyleSet = 0;
  TColor TextColor = 0;
  TColor BackColor = NoColour;  // behind the text; NoColour for none
  uint8_t CharacterSet = 0;
  int LetterSpacing = 0;  // pixels added after every character
  int WordSpacing = 0;    // and after every space
  bool SmallCaps = false;  // "font-variant: small-caps"
  friend bool operator==(const ThtFontInfo&, const ThtFontInfo&) = default;
};

// The four fonts of a link: 0 link, 1 visited, 2 hovered, 3 visited and hovered.
struct TFontInfoArray {
  std::array<ThtFontInfo, 4> Items;
  void Assign(const TFontInfoArray& source) { Items = source.Items; }
};

// An element's font: the toolkit's font description plus the colour behind the text
// and the bytes that start a double-byte character in the font's character set.
class TMyFont : public TFontSpec {
 public:
  TColor FBackColor = NoColour;
  std::bitset<256> FLeadByteSet;

  void Assign(const TMyFont& source) {
    FBackColor = source.FBackColor;
    FLeadByteSet = source.FLeadByteSet;
    static_cast<TFontSpec&>(*this) = source;
    FHandleCache = THandleCache();
  }

  // The platform font at a resolution, resolved on the first use and kept for the last
  // resolution asked. A font is not changed once text uses it; a copy resolves afresh.
  const TFontHandle* Handle(int dpi) const;

 private:
  struct THandleCache {
    THandleCache() = default;
    THandleCache(const THandleCache&) {}
    THandleCache& operator=(const THandleCache&) {
      Handle = nullptr;
      Dpi = 0;
      return *this;
    }
    const TFontHandle* Handle = nullptr;
    int Dpi = 0;
  };
  mutable THandleCache FHandleCache;
};

// Lead bytes of a Windows character set (empty for single-byte sets).
const std::bitset<256>& LeadByteSetOfCharSet(uint8_t charSet);
// The code page of a character set; false (and codePage untouched) for sets not listed.
bool CodePageOfCharSet(uint8_t charSet, int& codePage);

// The first installed face of a comma-separated family list, generic families mapped
// to their usual faces; empty when none is installed. Results are cached per list.
std::string InstalledFaceFromList(std::string_view familyList);

// The element font of a description, shared: elements with the same font (thousands of
// paragraphs of one page) get the same object. Never changed once made.
std::shared_ptr<const TMyFont> SharedElementFont(const ThtFontInfo& info);

// What the style layer asks of the platform about fonts. Tests substitute their own
// so that results do not depend on the faces installed on the machine.
class TStyleFontServices {
 public:
  virtual ~TStyleFontServices() = default;
  virtual bool IsFaceInstalled(const std::string& face) = 0;
  // Metrics of the font at the screen resolution.
  virtual TTextMetric FontMetrics(const TFontSpec& fontSpec, int pixelsPerInch) = 0;
};

// nullptr restores the toolkit's services. Clears the font caches either way.
void SetStyleFontServices(TStyleFontServices* services);
// Forgets cached faces and metrics (after the screen resolution or font set changes).
void ClearStyleFontCaches();

struct TFontMeasure {
  int EmPixels = 0;     // cell height minus internal leading
  int ExPixels = 0;     // the face's x-height; half the em when the face gives none
  uint8_t CharSet = 0;  // the character set the platform gave the font
};
// Cached per font description (colour ignored) and resolution.
TFontMeasure MeasureFont(const TFontSpec& fontSpec);
