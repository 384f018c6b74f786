// Code-page conversion by table lookup. The tables of each page are built once, on first use,
// by asking iconv about every byte (and every lead/trail pair of a double-byte page); after
// that a conversion never calls iconv.
#include "common/codepage.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// 0x80..0x9F of 1252, built in so the most common page never depends on iconv.
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct TCodePageTables {
  int CodePage = 0;
  bool DoubleByte = false;
  std::array<char32_t, 256> Single{};  // U+FFFD for lead bytes and undefined bytes
  std::bitset<256> LeadBytes;
  std::vector<char32_t> Pairs;  // lead << 8 | trail -> code point, 0 when the pair is invalid

  // Reverse map of the Basic Multilingual Plane: a single byte b is stored as b, a pair as
  // lead << 8 | trail (lead >= 0x80, so the two never collide); 0 means unmappable (U+0000
  // itself is always byte 0).
  std::once_flag ReverseOnce;
  std::vector<uint16_t> Reverse;
};

// The iconv name of each page we support; 0, 1 and 2 are the "current ANSI", "current OEM"
// and "current Mac" pages, which here are fixed to 1252, 437 and Mac Roman.
const char* IconvName(int codePage) {
  switch (codePage) {
    case 437: return "CP437";
    case 850: return "CP850";
    case 866: return "CP866";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28595: return "ISO-8859-5";
    case 28597: return "ISO-8859-7";
    case 28605: return "ISO-8859-15";
    default: return nullptr;
  }
}

int CanonicalCodePage(int codePage) {
  switch (codePage) {
    case 0: return 1252;
    case 1: return 437;
    case 2: return 10000;
    default: break;
  }
  if (codePage == 1252 || codePage == 65001 || IconvName(codePage)) return codePage;
  return 1252;  // pages we do not know read as Western, the usual default of documents
}

// One iconv descriptor from a page to UCS-4 (or back), closed on destruction.
class TIconv {
 public:
  TIconv(const char* to, const char* from) : FHandle(iconv_open(to, from)) {}
  ~TIconv() {
    if (Valid()) iconv_close(FHandle);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }

  // Converts exactly `in`, flushing any state; returns false on any error or leftover input.
  bool Convert(const char* in, size_t inLen, char* out, size_t& outLen) {
    iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    size_t outLeft = outLen;
    if (iconv(FHandle, &src, &inLen, &dst, &outLeft) == static_cast<size_t>(-1) || inLen != 0)
      return false;
    // Some pages (1255, 1258) hold a base letter back waiting for a combining mark.
    if (iconv(FHandle, nullptr, nullptr, &dst, &outLeft) == static_cast<size_t>(-1)) return false;
    outLen = outLen - outLeft;
    return true;
  }

 private:
  iconv_t FHandle;
};

char32_t ReadUcs4(const unsigned char* p) {
  return char32_t(p[0]) | char32_t(p[1]) << 8 | char32_t(p[2]) << 16 | char32_t(p[3]) << 24;
}

// Exactly one code point from the bytes, or 0.
char32_t DecodeOne(TIconv& decoder, const char* bytes, size_t len) {
  unsigned char out[16];
  size_t outLen = sizeof out;
  if (!decoder.Convert(bytes, len, reinterpret_cast<char*>(out), outLen) || outLen != 4) return 0;
  char32_t c = ReadUcs4(out);
  return c > 0x10FFFF ? 0 : c;
}

void Build1252(TCodePageTables& t) {
  for (int b = 0; b < 256; ++b) t.Single[b] = char32_t(b);
  for (int b = 0; b < 32; ++b) t.Single[0x80 + b] = k1252High[b];
}

void BuildUtf8(TCodePageTables& t) {
  for (int b = 0; b < 0x80; ++b) t.Single[b] = char32_t(b);
  for (int b = 0x80; b < 256; ++b) t.Single[b] = kReplacement;
  for (int b = 0xC2; b <= 0xF4; ++b) t.LeadBytes.set(b);
}

void BuildSingleByte(TCodePageTables& t, TIconv& decoder) {
  for (int b = 0; b < 256; ++b) {
    char byte = char(b);
    char32_t c = b == 0 ? 0 : DecodeOne(decoder, &byte, 1);
    // Undefined bytes in the C1 range read as the C1 control of the same number, as the
    // platform and browsers do; elsewhere an undefined byte is invalid.
    if (c == 0 && b != 0) c = b >= 0x80 && b <= 0x9F && !t.DoubleByte ? char32_t(b) : kReplacement;
    t.Single[b] = c;
  }
}

void BuildDoubleByte(TCodePageTables& t, TIconv& decoder) {
  t.Pairs.assign(0x10000, 0);
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    bool any = false;
    for (int trail = 0x30; trail <= 0xFE; ++trail) {
      char pair[2] = {char(lead), char(trail)};
      char32_t c = DecodeOne(decoder, pair, 2);
      if (c == 0) continue;
      t.Pairs[lead << 8 | trail] = c;
      any = true;
    }
    if (any) {
      t.LeadBytes.set(lead);
      t.Single[lead] = kReplacement;
    }
  }
}

std::unique_ptr<TCodePageTables> BuildTables(int codePage) {
  auto t = std::make_unique<TCodePageTables>();
  t->CodePage = codePage;
  t->DoubleByte = IsDBCSCodePage(codePage);
  if (codePage == 1252) {
    Build1252(*t);
    return t;
  }
  if (codePage == 65001) {
    BuildUtf8(*t);
    return t;
  }
  TIconv decoder("UCS-4LE", IconvName(codePage));
  if (!decoder.Valid()) {
    // Without the converter a single-byte page reads as 1252 and a double-byte page as
    // ASCII with every other byte invalid: degraded, but never wrong in the ASCII range.
    Build1252(*t);
    if (t->DoubleByte)
      for (int b = 0x80; b < 256; ++b) t->Single[b] = kReplacement;
    return t;
  }
  BuildSingleByte(*t, decoder);
  if (t->DoubleByte) BuildDoubleByte(*t, decoder);
  return t;
}

std::mutex gTablesLock;

// Tables live until the process ends, so a thread may keep the last one it used.
TCodePageTables& Tables(int codePage) {
  thread_local int lastPage = -1;
  thread_local TCodePageTables* last = nullptr;
  if (codePage == lastPage) return *last;
  static std::map<int, std::unique_ptr<TCodePageTables>> all;
  std::lock_guard<std::mutex> hold(gTablesLock);
  auto& slot = all[CanonicalCodePage(codePage)];
  if (!slot) slot = BuildTables(CanonicalCodePage(codePage));
  lastPage = codePage;
  last = slot.get();
  return *slot;
}

void BuildReverse(TCodePageTables& t) {
  t.Reverse.assign(0x10000, 0);
  if (t.DoubleByte) {
    // Where several byte sequences read as one character, iconv's own encoding is the
    // preferred one; keep it when it reads back to the same character.
    TIconv encoder(IconvName(t.CodePage), "UCS-4LE");
    if (encoder.Valid()) {
      for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        unsigned char in[4] = {uint8_t(c), uint8_t(c >> 8), 0, 0};
        char out[8];
        size_t outLen = sizeof out;
        if (!encoder.Convert(reinterpret_cast<char*>(in), 4, out, outLen)) continue;
        uint8_t b0 = uint8_t(out[0]);
        if (outLen == 1 && t.Single[b0] == c) {
          t.Reverse[c] = b0;
        } else if (outLen == 2) {
          uint16_t code = uint16_t(b0 << 8 | uint8_t(out[1]));
          if (t.Pairs[code] == c) t.Reverse[c] = code;
        }
      }
    }
  }
  // Otherwise the first byte, then the first pair, that reads as the character.
  for (int b = 1; b < 256; ++b) {
    char32_t c = t.Single[b];
    if (c != kReplacement && c < 0x10000 && t.Reverse[c] == 0) t.Reverse[c] = uint16_t(b);
  }
  if (t.DoubleByte) {
    for (int code = 0x8100; code < 0x10000; ++code) {
      char32_t c = t.Pairs[code];
      if (c != 0 && c < 0x10000 && t.Reverse[c] == 0) t.Reverse[c] = uint16_t(code);
    }
  }
}

const TCodePageTables& ReverseTables(int codePage) {
  TCodePageTables& t = Tables(codePage);
  std::call_once(t.ReverseOnce, [&t] { BuildReverse(t); });
  return t;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// UTF-8 with each maximal invalid subpart becoming one U+FFFD; overlongs and surrogates are
// invalid.
std::u32string DecodeUtf8(std::string_view bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char b = uint8_t(bytes[i]);
    if (b < 0x80) {
      out += char32_t(b);
      ++i;
      continue;
    }
    int length;
    out += DecodeUtf8Char(bytes.data() + i, bytes.size() - i, length);
    i += size_t(length);
  }
  return out;
}

}  // namespace

int CharsetToCodePage(uint8_t charset) {
  switch (charset) {
    case ANSI_CHARSET: return 1252;
    case DEFAULT_CHARSET: return 0;
    case SYMBOL_CHARSET: return 0;
    case 77: return 2;  // Mac character set
    case SHIFTJIS_CHARSET: return 932;
    case HANGEUL_CHARSET: return 949;
    case JOHAB_CHARSET: return 1361;
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    case GREEK_CHARSET: return 1253;
    case TURKISH_CHARSET: return 1254;
    case VIETNAMESE_CHARSET: return 1258;
    case HEBREW_CHARSET: return 1255;
    case ARABIC_CHARSET: return 1256;
    case BALTIC_CHARSET: return 1257;
    case RUSSIAN_CHARSET: return 1251;
    case THAI_CHARSET: return 874;
    case EASTEUROPE_CHARSET: return 1250;
    case OEM_CHARSET: return 1;
    case UTF8_CHARSET: return CP_UTF8;
    default: return 1252;
  }
}

bool IsKnownCharset(uint8_t charset) {
  switch (charset) {
    case ANSI_CHARSET: case DEFAULT_CHARSET: case SYMBOL_CHARSET: case 77:
    case SHIFTJIS_CHARSET: case HANGEUL_CHARSET: case JOHAB_CHARSET: case GB2312_CHARSET:
    case CHINESEBIG5_CHARSET: case GREEK_CHARSET: case TURKISH_CHARSET:
    case VIETNAMESE_CHARSET: case HEBREW_CHARSET: case ARABIC_CHARSET: case BALTIC_CHARSET:
    case RUSSIAN_CHARSET: case THAI_CHARSET: case EASTEUROPE_CHARSET: case OEM_CHARSET:
    case UTF8_CHARSET:
      return true;
    default:
      return false;
  }
}

bool IsDBCSCodePage(int codePage) {
  switch (codePage) {
    case 932: case 936: case 949: case 950: case 1361: return true;
    default: return false;
  }
}

bool IsMultiByteCodePage(int codePage) { return IsDBCSCodePage(codePage) || codePage == CP_UTF8; }

char32_t DecodeUtf8Char(const char* text, size_t n, int& length) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char b = p[0];
  length = 1;
  if (b < 0x80) return b;
  int need;
  char32_t c;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2, c = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3, c = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return kReplacement;
  }
  for (int k = 1; k <= need; ++k, lo = 0x80, hi = 0xBF) {
    if (size_t(k) >= n || p[k] < lo || p[k] > hi) {
      length = k;
      return kReplacement;
    }
    c = c << 6 | (p[k] & 0x3F);
  }
  length = need + 1;
  return c;
}

int EncodeUtf8Char(char32_t c, char* out) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out[0] = char(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = char(0xC0 | c >> 6);
    out[1] = char(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = char(0xE0 | c >> 12);
    out[1] = char(0x80 | (c >> 6 & 0x3F));
    out[2] = char(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = char(0xF0 | c >> 18);
  out[1] = char(0x80 | (c >> 12 & 0x3F));
  out[2] = char(0x80 | (c >> 6 & 0x3F));
  out[3] = char(0x80 | (c & 0x3F));
  return 4;
}

std::string ToUtf8(int codePage, std::string_view bytes) {
  return WideCharToMultiByte(CP_UTF8, MultiByteToWideChar(codePage, bytes));
}

const std::bitset<256>& LeadByteSet(int codePage) { return Tables(codePage).LeadBytes; }

const char32_t* SingleByteTable(int codePage) { return Tables(codePage).Single.data(); }

char32_t DoubleByteChar(int codePage, uint8_t lead, uint8_t trail) {
  const TCodePageTables& t = Tables(codePage);
  if (!t.DoubleByte || !t.LeadBytes[lead]) return kReplacement;
  char32_t c = t.Pairs[lead << 8 | trail];
  return c ? c : kReplacement;
}

std::u32string MultiByteToWideChar(int codePage, std::string_view bytes) {
  if (CanonicalCodePage(codePage) == 65001) return DecodeUtf8(bytes);
  const TCodePageTables& t = Tables(codePage);
  std::u32string out;
  out.resize(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size(), i = 0, o = 0;
  if (!t.DoubleByte) {
    for (; i < n; ++i) out[o++] = t.Single[p[i]];
    return out;
  }
  while (i < n) {
    unsigned char b = p[i++];
    if (!t.LeadBytes[b]) {
      out[o++] = t.Single[b];
      continue;
    }
    if (i >= n) {
      out[o++] = kReplacement;  // lead byte cut off at the end
      break;
    }
    unsigned char trail = p[i];
    char32_t c = t.Pairs[b << 8 | trail];
    if (c != 0) {
      out[o++] = c;
      ++i;
    } else {
      out[o++] = kReplacement;
      // An ASCII byte after a bad lead byte is left to stand for itself, so markup survives.
      if (trail >= 0x80) ++i;
    }
  }
  out.resize(o);
  return out;
}

std::string WideCharToMultiByte(int codePage, std::u32string_view text, char defaultChar,
                                bool* usedDefault) {
  bool used = false;
  std::string out;
  if (CanonicalCodePage(codePage) == 65001) {
    out.reserve(text.size());
    for (char32_t c : text) {
      if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
      AppendUtf8(out, c);
    }
    if (usedDefault) *usedDefault = false;
    return out;
  }
  const TCodePageTables& t = ReverseTables(codePage);
  out.reserve(text.size());
  for (char32_t c : text) {
    uint16_t code = c < 0x10000 ? t.Reverse[c] : 0;
    if (code == 0) {
      if (c == 0) {
        out += '\0';
      } else {
        out += defaultChar;
        used = true;
      }
    } else if (code < 0x100) {
      out += char(code);
    } else {
      out += char(code >> 8);
      out += char(code & 0xFF);
    }
  }
  if (usedDefault) *usedDefault = used;
  return out;
}
