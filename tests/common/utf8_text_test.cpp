// UTF-8 as a code page: reading one character at a time, writing one, and what the text
// code asks of a character.
#include <gtest/gtest.h>

#include <string>

#include "common/codepage.h"
#include "common/unicode_chars.h"

namespace {

TEST(Utf8Text, EachMaximalIllFormedSubpartIsOneReplacementCharacter) {
  struct Case {
    const char* Name;
    std::string Bytes;
    char32_t Char;
    int Length;
  };
  const Case cases[] = {
      {"ascii", "A", U'A', 1},
      {"two bytes", "\xCE\xB1", U'\u03B1', 2},
      {"three bytes", "\xE2\x86\x92", U'\u2192', 3},
      {"four bytes", "\xF0\x9F\x98\x80", U'\U0001F600', 4},
      {"lead alone", "\xC3", 0xFFFD, 1},
      {"lead before ascii", "\xC3" "A", 0xFFFD, 1},
      {"three cut after two", "\xE2\x82", 0xFFFD, 2},
      {"four cut after three", "\xF0\x9F\x98" "x", 0xFFFD, 3},
      {"continuation alone", "\x80", 0xFFFD, 1},
      {"overlong lead", "\xC0\xAF", 0xFFFD, 1},
      {"overlong three", "\xE0\x80\x80", 0xFFFD, 1},
      {"surrogate", "\xED\xA0\x80", 0xFFFD, 1},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0xFFFD, 1},
      {"never a lead", "\xFF", 0xFFFD, 1},
  };
  for (const Case& c : cases) {
    int length = 0;
    EXPECT_EQ(DecodeUtf8Char(c.Bytes.data(), c.Bytes.size(), length), c.Char) << c.Name;
    EXPECT_EQ(length, c.Length) << c.Name;
  }
  // A whole text: three bad subparts, three replacement characters.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, "[\xC3][\xE2\x82][\xF0\x9F\x98]"),
            U"[\uFFFD][\uFFFD][\uFFFD]");
}

TEST(Utf8Text, EncodingWritesWellFormedBytesOnly) {
  struct Case {
    char32_t Char;
    std::string Bytes;
  };
  const Case cases[] = {{U'a', "a"},
                        {U'\u00E9', "\xC3\xA9"},
                        {U'\u4E00', "\xE4\xB8\x80"},
                        {U'\U00020000', "\xF0\xA0\x80\x80"},
                        {0xD800, "\xEF\xBF\xBD"},
                        {0x110000, "\xEF\xBF\xBD"}};
  for (const Case& c : cases) {
    char out[4];
    EXPECT_EQ(std::string(out, size_t(EncodeUtf8Char(c.Char, out))), c.Bytes) << int(c.Char);
  }
  EXPECT_EQ(ToUtf8(1252, "caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(ToUtf8(CP_UTF8, "ok\xC3"), "ok\xEF\xBF\xBD");
}

TEST(Utf8Text, TheUtf8CharacterSetIsAMultiBytePageOfItsOwn) {
  EXPECT_EQ(CharsetToCodePage(UTF8_CHARSET), CP_UTF8);
  EXPECT_TRUE(IsKnownCharset(UTF8_CHARSET));
  EXPECT_TRUE(IsMultiByteCodePage(CP_UTF8));
  EXPECT_FALSE(IsDBCSCodePage(CP_UTF8));
  const std::bitset<256>& leads = LeadByteSet(CP_UTF8);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(leads[b], b >= 0xC2 && b <= 0xF4) << b;
  for (uint8_t b : {uint8_t(0x41), uint8_t(0xC2), uint8_t(0xE2), uint8_t(0xF0), uint8_t(0x80)})
    EXPECT_EQ(Utf8SequenceLength(b), b < 0xC2 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4);
}

TEST(UnicodeChars, SimpleCaseMappingsOfFourScripts) {
  struct Case {
    const char* Script;
    char32_t Lower, Upper;
  };
  const Case cases[] = {{"Latin", U'a', U'A'},         {"Latin-1", U'\u00E9', U'\u00C9'},
                        {"Latin Extended-A", U'\u0151', U'\u0150'},
                        {"Latin Extended Additional", U'\u1EA1', U'\u1EA0'},
                        {"Greek", U'\u03B1', U'\u0391'}, {"Greek with tonos", U'\u03AC', U'\u0386'},
                        {"Cyrillic", U'\u0436', U'\u0416'}, {"Cyrillic io", U'\u0451', U'\u0401'},
                        {"Cyrillic extended", U'\u0463', U'\u0462'},
                        {"Armenian", U'\u0561', U'\u0531'}, {"Armenian last", U'\u0586', U'\u0556'}};
  for (const Case& c : cases) {
    EXPECT_EQ(UpperCodePoint(c.Lower), c.Upper) << c.Script;
    EXPECT_EQ(LowerCodePoint(c.Upper), c.Lower) << c.Script;
  }
  EXPECT_EQ(UpperCodePoint(U'\u03C2'), U'\u03A3');  // final sigma
  for (char32_t same : {U'1', U'\u2192', U'\u4E00', U'\U0001F600'}) {
    EXPECT_EQ(UpperCodePoint(same), same);
    EXPECT_EQ(LowerCodePoint(same), same);
  }
}

TEST(UnicodeChars, WordsIdeographsAndPunctuation) {
  for (char32_t c : {U'a', U'7', U'\u00E9', U'\u03C0', U'\u0416', U'\u0561', U'\u4E00'})
    EXPECT_TRUE(IsWordCodePoint(c)) << int(c);
  for (char32_t c : {U' ', U'-', U'\u00AB', U'\u00D7', U'\u2192', U'\u2500', U'\u3002', U'\uE000'})
    EXPECT_FALSE(IsWordCodePoint(c)) << int(c);
  for (char32_t c : {U'\u4E00', U'\u3042', U'\u30A2', U'\uAC00', U'\uFF01', U'\U00020000'})
    EXPECT_TRUE(IsIdeographic(c)) << int(c);
  for (char32_t c : {U'a', U'\u03C0', U'\u2192', U'\u2500'}) EXPECT_FALSE(IsIdeographic(c)) << int(c);
  for (char32_t c : {U')', U'\u3002', U'\u3001', U'\u300D', U'\uFF09', U'\u30FC', U'\u3063'})
    EXPECT_TRUE(IsClosingPunctuation(c)) << int(c);
  for (char32_t c : {U'(', U'\u300C', U'\uFF08', U'\u201C'}) EXPECT_TRUE(IsOpeningPunctuation(c)) << int(c);
  EXPECT_FALSE(IsClosingPunctuation(U'\u4E00'));
  EXPECT_FALSE(IsOpeningPunctuation(U'\u4E00'));
}

}  // namespace
