// Font services with fixed faces and simple metrics, so that style tests do not depend
// on the fonts installed on the machine.
#pragma once

#include <strings.h>

#include <set>
#include <string>

#include "style/element_font.h"
#include "style/units.h"

class TFakeFontServices : public TStyleFontServices {
 public:
  // "Tall X" is the one face that gives its x-height: three quarters of its em.
  std::set<std::string> Faces{"Arial", "Times New Roman", "Courier New", "Wingdings", "Tall X"};
  int MetricCalls = 0;

  bool IsFaceInstalled(const std::string& face) override {
    for (const std::string& f : Faces)
      if (strcasecmp(f.c_str(), face.c_str()) == 0) return true;
    return false;
  }
  // Em = the point size at the resolution; two pixels of internal leading.
  TTextMetric FontMetrics(const TFontSpec& fontSpec, int ppi) override {
    ++MetricCalls;
    TTextMetric tm;
    const double points = fontSpec.SizeCentipoints > 0 ? fontSpec.SizeCentipoints / 100.0 : fontSpec.Size;
    int em = RoundToInt(points * ppi / 72.0);
    tm.tmInternalLeading = 2;
    tm.tmHeight = em + 2;
    if (strcasecmp(fontSpec.Name.c_str(), "Tall X") == 0) tm.XHeight = em * 3 / 4;
    tm.tmCharSet = fontSpec.Charset == DEFAULT_CHARSET ? uint8_t(ANSI_CHARSET) : fontSpec.Charset;
    return tm;
  }
};

// Installs the fake services for the lifetime of the object.
class TFakeFontScope {
 public:
  TFakeFontServices Services;
  TFakeFontScope() {
    SetScreenPixelsPerInch(96);
    SetStyleFontServices(&Services);
  }
  ~TFakeFontScope() { SetStyleFontServices(nullptr); }
};
