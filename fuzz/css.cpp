// Style sheets and style attributes from arbitrary bytes: the first byte picks the
// entry, the rest is the text. Applying the resulting rules exercises the lookups.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "style/box_values.h"
#include "style/css_parser.h"
#include "style/element_font.h"
#include "style/properties.h"
#include "style/style_list.h"

namespace {

// Fonts without the platform: the toolkit's font cache keeps every size it is asked for,
// which random sizes would fill; the parser and the rules are what is fuzzed here.
class TFuzzFonts : public TStyleFontServices {
 public:
  bool IsFaceInstalled(const std::string& face) override { return face.size() % 3 == 0; }
  TTextMetric FontMetrics(const TFontSpec& fontSpec, int ppi) override {
    TTextMetric tm;
    tm.tmInternalLeading = 2;
    int64_t em = std::min<int64_t>(int64_t(fontSpec.Size) * ppi / 72, 2000);
    tm.tmHeight = int(em) + 2;
    tm.tmCharSet = fontSpec.Charset;
    return tm;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzFonts fonts;
  static bool installed = (SetStyleFontServices(&fonts), true);
  (void)installed;
  if (size == 0) return 0;
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  TStyleList styles;
  styles.BuildDefaults("Times New Roman", "Courier New", 12, 0, 0xFF0000, 0x800080, 0xFF, true,
                       0, 8, 10);
  if (data[0] & 1) {
    TProperties attr;
    ParseStyleAttribute(text, attr);
    TVMarginArray box;
    attr.BoxValues(box);
    TMarginArray pixels{};
    int autoCount;
    BoxToPixels(box, 500, 400, 16, 8, autoCount, pixels);
    TBackgroundPositions positions;
    attr.BackgroundPlacement(16, 8, positions);
    bool percent;
    (void)attr.IndentValue(percent);
    (void)attr.LineHeightPixels(20);
  } else {
    std::string_view base = (data[0] & 2) ? "http://host/dir/page.html" : "/local/dir/";
    if (data[0] & 4)
      ParseLinkedStyleSheet(styles, text, base);
    else
      ParseStyleSheetText(styles, text, base);
  }
  // Style a small tree against whatever rules came out.
  TPropStack stack;
  stack.Insert(0).CopyAsDefault(*styles.DefaultRule());
  static const char* const Tags[] = {"div", "p", "a", "li", "span"};
  for (int n = 0; n < 12; ++n) {
    if (stack.Count() > 5) stack.Pop();
    const char* tag = Tags[(n * 7 + size) % 5];
    TProperties& p = stack.Push();
    p.ApplyStyles(styles, tag, n % 3 ? "c" : "", n % 4 ? "" : "x", tag[0] == 'a' ? "link" : "",
                  "", nullptr);
    TVMarginArray box;
    p.BoxValues(box);
  }
  return 0;
}
