#include "style/colors.h"

#include <cctype>
#include <charconv>
#include <string>

#include "style/units.h"

namespace {

struct TColorName {
  std::string_view Name;
  TColor Value;  // 0x00BBGGRR
};

// Searched linearly: short, and the parse cache absorbs repeats.
constexpr TColorName ColorNames[] = {
    {"transparent", NoColour},
    {"black", 0x000000},
    {"maroon", 0x000080},
    {"green", 0x008000},
    {"olive", 0x008080},
    {"navy", 0x800000},
    {"purple", 0x800080},
    {"teal", 0x808000},
    {"gray", 0x808080},
    {"silver", 0xc0c0c0},
    {"red", 0x0000ff},
    {"lime", 0x00ff00},
    {"yellow", 0x00ffff},
    {"blue", 0xff0000},
    {"fuchsia", 0xff00ff},
    {"aqua", 0xffff00},
    {"white", 0xffffff},
    {"aliceblue", 0xfff8f0},
    {"antiquewhite", 0xd7ebfa},
    {"aquamarine", 0xd4ff7f},
    {"azure", 0xfffff0},
    {"beige", 0xdcf5f5},
    {"bisque", 0xc4e4ff},
    {"blanchedalmond", 0xcdebff},
    {"blueviolet", 0xe22b8a},
    {"brown", 0x2a2aa5},
    {"burlywood", 0x87b8de},
    {"cadetblue", 0xa09e5f},
    {"chartreuse", 0x00ff7f},
    {"chocolate", 0x1e69d2},
    {"coral", 0x507fff},
    {"cornflowerblue", 0xed9564},
    {"cornsilk", 0xdcf8ff},
    {"crimson", 0x3614dc},
    {"cyan", 0xffff00},
    {"darkblue", 0x8b0000},
    {"darkcyan", 0x8b8b00},
    {"darkgoldenrod", 0x0b86b8},
    {"darkgray", 0xa9a9a9},
    {"darkgreen", 0x006400},
    {"darkkhaki", 0x6bb7bd},
    {"darkmagenta", 0x8b008b},
    {"darkolivegreen", 0x2f6b55},
    {"darkorange", 0x008cff},
    {"darkorchid", 0xcc3299},
    {"darkred", 0x00008b},
    {"darksalmon", 0x7a96e9},
    {"darkseagreen", 0x8fbc8f},
    {"darkslateblue", 0x8b3d48},
    {"darkslategray", 0x4f4f2f},
    {"darkturquoise", 0xd1ce00},
    {"darkviolet", 0xd30094},
    {"deeppink", 0x9314ff},
    {"deepskyblue", 0xffbf00},
    {"dimgray", 0x696969},
    {"dodgerblue", 0xff901e},
    {"firebrick", 0x2222b2},
    {"floralwhite", 0xf0faff},
    {"forestgreen", 0x228b22},
    {"gainsboro", 0xdcdcdc},
    {"ghostwhite", 0xfff8f8},
    {"gold", 0x00d7ff},
    {"goldenrod", 0x20a5da},
    {"greenyellow", 0x2fffad},
    {"honeydew", 0xf0fff0},
    {"hotpink", 0xb469ff},
    {"indianred", 0x5c5ccd},
    {"indigo", 0x82004b},
    {"ivory", 0xf0ffff},
    {"khaki", 0x8ce6f0},
    {"lavender", 0xfae6e6},
    {"lavenderblush", 0xf5f0ff},
    {"lawngreen", 0x00fc7c},
    {"lemonchiffon", 0xcdfaff},
    {"lightblue", 0xe6d8ad},
    {"lightcoral", 0x8080f0},
    {"lightcyan", 0xffffe0},
    {"lightgoldenrodyellow", 0xd2fafa},
    {"lightgreen", 0x90ee90},
    {"lightgrey", 0xd3d3d3},
    {"lightpink", 0xc1b6ff},
    {"lightsalmon", 0x7aa0ff},
    {"lightseagreen", 0xaab220},
    {"lightskyblue", 0xface87},
    {"lightslategray", 0x998877},
    {"lightsteelblue", 0xdec4b0},
    {"lightyellow", 0xe0ffff},
    {"limegreen", 0x32cd32},
    {"linen", 0xe6f0fa},
    {"magenta", 0xff00ff},
    {"mediumaquamarine", 0xaacd66},
    {"mediumblue", 0xcd0000},
    {"mediumorchid", 0xd355ba},
    {"mediumpurple", 0xdb7093},
    {"mediumseagreen", 0x71b33c},
    {"mediumslateblue", 0xee687b},
    {"mediumspringgreen", 0x9afa00},
    {"mediumturquoise", 0xccd148},
    {"mediumvioletred", 0x8515c7},
    {"midnightblue", 0x701919},
    {"mintcream", 0xfafff5},
    {"mistyrose", 0xe1e4ff},
    {"moccasin", 0xb5e4ff},
    {"navajowhite", 0xaddeff},
    {"oldlace", 0xe6f5fd},
    {"olivedrab", 0x238e6b},
    {"orange", 0x00a5ff},
    {"orangered", 0x0045ff},
    {"orchid", 0xd670da},
    {"palegoldenrod", 0xaae8ee},
    {"palegreen", 0x98fb98},
    {"paleturquoise", 0xeeeeaf},
    {"palevioletred", 0x9370db},
    {"papayawhip", 0xd5efff},
    {"peachpuff", 0xb9daff},
    {"peru", 0x3f85cd},
    {"pink", 0xcbc0ff},
    {"plum", 0xdda0dd},
    {"powderblue", 0xe6e0b0},
    {"rosybrown", 0x8f8fbc},
    {"royalblue", 0xe16941},
    {"saddlebrown", 0x13458b},
    {"salmon", 0x7280fa},
    {"sandybrown", 0x60a4f4},
    {"seagreen", 0x578b2e},
    {"seashell", 0xeef5ff},
    {"sienna", 0x2d52a0},
    {"skyblue", 0xebce87},
    {"slateblue", 0xcd5a6a},
    {"slategray", 0x908070},
    {"snow", 0xfafaff},
    {"springgreen", 0x7fff00},
    {"steelblue", 0xb48246},
    {"tan", 0x8cb4d2},
    {"thistle", 0xd8bfd8},
    {"tomato", 0x4763ff},
    {"turquoise", 0xd0e040},
    {"violet", 0xee82ee},
    {"wheat", 0xb3def5},
    {"whitesmoke", 0xf5f5f5},
    {"yellowgreen", 0x32cd9a},
};
static_assert(sizeof(ColorNames) / sizeof(ColorNames[0]) == 141);

// The one-entry cache: the last text that parsed and its colour. FHexWithoutPound
// records a success that depended on hexadecimal without "#", which a caller
// requiring the "#" must not get from the cache.
struct TColorCache {
  std::string Text = "?!?!";
  TColor Color = 0;
  bool HexWithoutPound = false;
};
TColorCache GCache;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

int ClampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

int RgbComponent(std::string_view part) {
  part = Trim(part);
  if (part.find('%') != std::string_view::npos) {
    double v;
    std::string_view rest;
    ReadLeadingNumber(part, v, rest);
    if (Trim(rest) != "%") return 0;
    // v * 255 / 100 rather than v * 2.55, which is not exact: 50% must give 128.
    return ClampByte(RoundToInt(v < 1e6 ? v * 255 / 100 : 1e6));
  }
  long long v = 0;
  auto [end, err] = std::from_chars(part.data(), part.data() + part.size(), v);
  if (part.empty() || end != part.data() + part.size()) return 0;
  if (err == std::errc::result_out_of_range) return part[0] == '-' ? 0 : 255;
  if (err != std::errc()) return 0;
  return v < 0 ? 0 : (v > 255 ? 255 : int(v));
}

bool ParseRgb(std::string_view s, TColor& color) {
  size_t open = s.find('(');
  size_t close = s.find(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return false;
  std::string_view inner = s.substr(open + 1, close - open - 1);
  int c[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    size_t comma = inner.find(',');
    c[i] = RgbComponent(inner.substr(0, comma));
    if (comma == std::string_view::npos) break;
    inner.remove_prefix(comma + 1);
  }
  color = TColor(c[2] * 65536 + c[1] * 256 + c[0]) + PaletteRelativeFlag;
  return true;
}

bool ParseHex(std::string_view s, TColor& color) {
  s = Trim(s);
  if (s.empty() || s.size() > 8) return false;
  char doubled[6];
  if (s.size() <= 3) {
    for (size_t i = 0; i < s.size(); ++i) doubled[2 * i] = doubled[2 * i + 1] = s[i];
    s = std::string_view(doubled, s.size() * 2);
  }
  unsigned value = 0;
  auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), value, 16);
  if (err != std::errc() || end != s.data() + s.size()) return false;
  value &= 0xFFFFFF;
  // RRGGBB to 0x00BBGGRR.
  color = TColor(((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF)) +
          PaletteRelativeFlag;
  return true;
}

}  // namespace

bool ColorFromName(std::string_view name, TColor& color) {
  for (const TColorName& entry : ColorNames) {
    if (entry.Name == name) {
      color = entry.Value;
      return true;
    }
  }
  return false;
}

bool ParseColor(std::string_view text, bool needPound, TColor& color) {
  std::string s(Trim(text));
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (s == GCache.Text && !(needPound && GCache.HexWithoutPound)) {
    color = GCache.Color;
    return true;
  }
  TColor result = 0;
  bool ok = false;
  bool hexWithoutPound = false;
  bool hasRgbCall = s.find("rgb(") != std::string::npos;
  if (!s.empty() && s[0] != '#' && !hasRgbCall) ok = ColorFromName(s, result);
  if (!ok) {
    size_t rgb = s.find("rgb");
    if (rgb != std::string::npos) {
      ok = ParseRgb(std::string_view(s).substr(rgb + 3), result);
    } else {
      std::string_view hex = s;
      size_t pound = hex.rfind('#');
      if (pound != std::string_view::npos) {
        hex.remove_prefix(pound + 1);
      } else if (needPound) {
        return false;
      } else {
        hexWithoutPound = true;
      }
      ok = ParseHex(hex, result);
    }
  }
  if (!ok) return false;
  GCache.Text = std::move(s);
  GCache.Color = result;
  GCache.HexWithoutPound = hexWithoutPound;
  color = result;
  return true;
}
