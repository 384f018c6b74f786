// Character sets and code pages: 8-bit and double-byte text to Unicode and back.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// Windows-style character set bytes.
enum : uint8_t {
  ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, SHIFTJIS_CHARSET = 128,
  HANGEUL_CHARSET = 129, JOHAB_CHARSET = 130, GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136,
  GREEK_CHARSET = 161, TURKISH_CHARSET = 162, VIETNAMESE_CHARSET = 163, HEBREW_CHARSET = 177,
  ARABIC_CHARSET = 178, BALTIC_CHARSET = 186, RUSSIAN_CHARSET = 204, THAI_CHARSET = 222,
  EASTEUROPE_CHARSET = 238, OEM_CHARSET = 255,
  // Not a font character set of the platform: text in UTF-8, code page 65001.
  UTF8_CHARSET = 253
};

// The code page of a character set (1252 for ANSI and for sets it does not know).
int CharsetToCodePage(uint8_t charset);
bool IsDBCSCodePage(int codePage);
// Pages whose characters may take more than one byte: the double-byte pages and UTF-8.
bool IsMultiByteCodePage(int codePage);

// Bytes that start a double-byte character in the code page (empty for 8-bit pages); for
// UTF-8 the bytes that start a sequence of two to four.
const std::bitset<256>& LeadByteSet(int codePage);

// 8-bit code pages: the Unicode code point of each byte (a table of 256, built once).
// For double-byte pages the table covers the single-byte characters.
const char32_t* SingleByteTable(int codePage);

// The code point of one double-byte character, U+FFFD when the pair is not one.
char32_t DoubleByteChar(int codePage, uint8_t lead, uint8_t trail);

// Bytes in the code page to Unicode code points; invalid sequences become U+FFFD.
std::u32string MultiByteToWideChar(int codePage, std::string_view bytes);

// Code points to bytes in the code page. A character the page cannot hold becomes
// defaultChar, and usedDefault (when given) tells whether that happened.
std::string WideCharToMultiByte(int codePage, std::u32string_view text, char defaultChar = '?',
                                bool* usedDefault = nullptr);

// Whether the character set is one CharsetToCodePage knows; for any other the caller keeps
// the code page it had.
bool IsKnownCharset(uint8_t charset);

// Code page 65001 is UTF-8 in both directions; code pages 0, 1 and 2 (the "current" ANSI,
// OEM and Mac pages) are 1252, 437 and Mac Roman; a page not supported here converts as 1252.
constexpr int CP_UTF8 = 65001;

// The bytes of the UTF-8 sequence a lead byte starts (1 for ASCII and for bytes that start
// none: continuation bytes and the bytes no well-formed text holds).
inline int Utf8SequenceLength(uint8_t lead) {
  return lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
}

inline bool IsUtf8Continuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// One character of UTF-8 text at p (n > 0 bytes left): its code point, and in length the
// bytes it takes. An ill-formed sequence is U+FFFD and takes the bytes of its maximal
// ill-formed subpart, at least one.
char32_t DecodeUtf8Char(const char* p, size_t n, int& length);

// The UTF-8 bytes of a code point (surrogates and values beyond U+10FFFF give U+FFFD);
// returns how many were written to out, which holds 4.
int EncodeUtf8Char(char32_t c, char* out);

// Text of the code page as UTF-8 (UTF-8 itself is made well-formed).
std::string ToUtf8(int codePage, std::string_view bytes);
