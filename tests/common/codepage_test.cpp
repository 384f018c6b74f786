#include "common/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::u32string Decode(int cp, std::string_view bytes) { return MultiByteToWideChar(cp, bytes); }

TEST(CodePage, CharsetsMapToTheirCodePages) {
  const std::pair<int, int> cases[] = {
      {0, 1252},   {1, 0},      {2, 0},      {77, 2},     {128, 932},  {129, 949},
      {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258},
      {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250},
      {255, 1}};
  for (auto [charset, codePage] : cases) {
    EXPECT_EQ(CharsetToCodePage(uint8_t(charset)), codePage) << charset;
    EXPECT_TRUE(IsKnownCharset(uint8_t(charset))) << charset;
  }
  EXPECT_EQ(CharsetToCodePage(99), 1252);
  EXPECT_FALSE(IsKnownCharset(99));
}

TEST(CodePage, DoubleBytePagesAreExactlyTheEastAsianOnes) {
  for (int cp : {932, 936, 949, 950, 1361}) EXPECT_TRUE(IsDBCSCodePage(cp)) << cp;
  for (int cp : {0, 1, 437, 850, 874, 1250, 1252, 1258, 65001}) EXPECT_FALSE(IsDBCSCodePage(cp)) << cp;
}

TEST(CodePage, Windows1252HighControlsRangeReadsAsPunctuation) {
  EXPECT_EQ(Decode(1252, "\x80\x82\x85\x8A\x93\x94\x96\x99\x9F"),
            U"\u20AC\u201A\u2026\u0160\u201C\u201D\u2013\u2122\u0178");
  // Bytes the page leaves undefined stand for the C1 control of the same number.
  EXPECT_EQ(Decode(1252, "\x81\x8D\x8F\x90\x9D"), U"\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(Decode(1252, "caf\xE9"), U"caf\u00E9");
  EXPECT_EQ(SingleByteTable(1252)[0x80], U'\u20AC');
  EXPECT_EQ(WideCharToMultiByte(1252, U"\u20AC5 \u2014 \u00FC"), "\x80" "5 \x97 \xFC");
}

TEST(CodePage, EightBitPagesRoundTripEveryByte) {
  for (int cp : {1250, 1251, 1252, 1253, 1254, 1257, 437, 850}) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    std::u32string wide = Decode(cp, all);
    ASSERT_EQ(wide.size(), 256u) << cp;
    std::string back;
    for (int b = 0; b < 256; ++b) {
      if (wide[b] == 0xFFFD) continue;  // undefined in this page
      std::string one = WideCharToMultiByte(cp, std::u32string(1, wide[b]));
      EXPECT_EQ(one, std::string(1, char(b))) << "page " << cp << " byte " << b;
    }
  }
}

TEST(CodePage, CyrillicInWindows1251) {
  EXPECT_EQ(Decode(1251, "\xCF\xF0\xE8\xE2\xE5\xF2"), U"Привет");
  EXPECT_EQ(WideCharToMultiByte(1251, U"Привет, мир"), "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0");
  EXPECT_EQ(Decode(1251, "\x88"), U"\u20AC");  // the euro sits elsewhere in this page
  EXPECT_EQ(WideCharToMultiByte(1251, U"\u20AC"), "\x88");
}

TEST(CodePage, UndefinedByteOutsideC1RangeIsInvalid) {
  EXPECT_EQ(Decode(1253, "\xAA"), U"\uFFFD");
  EXPECT_EQ(Decode(874, "\xA1\xFC"), U"\u0E01\uFFFD");
}

TEST(CodePage, UnmappableCharactersBecomeTheDefaultChar) {
  bool used = false;
  EXPECT_EQ(WideCharToMultiByte(1252, U"a\u0416b\U0001F600", '?', &used), "a?b?");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(1252, U"plain", '?', &used), "plain");
  EXPECT_FALSE(used);
  EXPECT_EQ(WideCharToMultiByte(932, U"\u00E9x", '_', &used), "_x");
  EXPECT_TRUE(used);
  // Out-of-range and surrogate values are unmappable too, not crashes.
  EXPECT_EQ(WideCharToMultiByte(936, std::u32string{char32_t(0x110000), char32_t(0xD800)}, '*'), "**");
  EXPECT_EQ(WideCharToMultiByte(1252, std::u32string(1, U'\0')), std::string(1, '\0'));
}

struct TDbcsCase {
  int CodePage;
  const char* Bytes;
  const char32_t* Text;
};

TEST(CodePage, DoubleBytePagesDecodeAndEncode) {
  const TDbcsCase cases[] = {
      {932, "\x93\xFA\x96\x7B\x8C\xEA", U"日本語"},
      {932, "\xE0\x40", U"漾"},              // lead byte of the second kanji block
      {932, "\xB1\x5C", U"\uFF71\\"},       // half-width katakana is one byte
      {936, "\xD6\xD0\xCE\xC4", U"中文"},
      {936, "\x81\x40", U"\u4E02"},          // the extension beyond the 0xA1 rows
      {950, "\xA4\xA4\xA4\xE5", U"中文"},
      {950, "\xA1\x40", U"\u3000"},
      {949, "\xC7\xD1\xB1\xB9\xBE\xEE", U"한국어"},
      {1361, "\xD0\x65\x8A\x82", U"한국"},
  };
  for (const auto& c : cases) {
    std::string bytes = std::string("<") + c.Bytes + ">";
    std::u32string text = std::u32string(U"<") + c.Text + U">";
    EXPECT_EQ(Decode(c.CodePage, bytes), text) << c.CodePage;
    EXPECT_EQ(WideCharToMultiByte(c.CodePage, text), bytes) << c.CodePage;
  }
}

TEST(CodePage, BrokenDoubleByteSequences) {
  // A lead byte cut off at the end.
  EXPECT_EQ(Decode(932, "A\x93"), U"A\uFFFD");
  EXPECT_EQ(Decode(950, "\xA4"), U"\uFFFD");
  // A bad trail that is ASCII is kept, so markup after the damage survives.
  EXPECT_EQ(Decode(936, "\x81<b>"), U"\uFFFD<b>");
  EXPECT_EQ(Decode(932, "\x81\x0Ax"), U"\uFFFD\nx");
  // Bytes that neither stand alone nor lead.
  EXPECT_EQ(Decode(932, "\xFD" "a"), U"\uFFFD" "a");
}

TEST(CodePage, LeadByteSetsFollowThePages) {
  const auto& sjis = LeadByteSet(932);
  EXPECT_TRUE(sjis[0x81] && sjis[0x9F] && sjis[0xE0]);
  EXPECT_FALSE(sjis[0x80] || sjis[0xA1] || sjis[0xDF] || sjis['A']);
  EXPECT_TRUE(LeadByteSet(936)[0x81] && LeadByteSet(936)[0xFE]);
  EXPECT_TRUE(LeadByteSet(949)[0x81] && LeadByteSet(949)[0xB0]);
  EXPECT_TRUE(LeadByteSet(950)[0xA4]);
  EXPECT_TRUE(LeadByteSet(1361)[0xD0]);
  EXPECT_TRUE(LeadByteSet(1252).none());
  EXPECT_TRUE(LeadByteSet(1251).none());
  EXPECT_EQ(SingleByteTable(932)[0x93], U'\uFFFD');
  EXPECT_EQ(SingleByteTable(932)[0xB1], U'\uFF71');
}

TEST(CodePage, CurrentAndUnknownPagesFallBack) {
  EXPECT_EQ(Decode(0, "\x80"), U"\u20AC");     // the "current ANSI" page
  EXPECT_EQ(Decode(1, "\x82"), U"\u00E9");     // the "current OEM" page
  EXPECT_EQ(Decode(12345, "\x80"), U"\u20AC"); // unknown pages read as Western
}

TEST(CodePage, Utf8DecodesWithReplacementOfBadSequences) {
  EXPECT_EQ(Decode(CP_UTF8, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), U"a\u00E9\u20AC\U0001F600");
  EXPECT_EQ(Decode(CP_UTF8, "\xC0\xAF" "x"), U"\uFFFD\uFFFDx");  // overlong
  EXPECT_EQ(Decode(CP_UTF8, "\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");  // surrogate
  EXPECT_EQ(Decode(CP_UTF8, "\xE2\x82"), U"\uFFFD");  // cut off
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, U"\u00E9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(CodePage, TablesBuildSafelyFromManyThreads) {
  std::vector<std::thread> threads;
  std::vector<std::u32string> results(4);
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&results, i] {
      results[i] = MultiByteToWideChar(949, "\xC7\xD1");
      WideCharToMultiByte(949, results[i]);
    });
  for (auto& t : threads) t.join();
  for (const auto& r : results) EXPECT_EQ(r, U"한");
}

}  // namespace

namespace {

// Every pair a double-byte page reads must be written back as bytes that read the same,
// whichever of several equivalent sequences the writer prefers.
TEST(CodePage, EveryDoubleByteCharacterSurvivesAWriteAndReread) {
  for (int cp : {932, 936, 949, 950, 1361}) {
    int pairs = 0;
    std::u32string all;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      if (!LeadByteSet(cp)[lead]) continue;
      for (int trail = 0x30; trail <= 0xFE; ++trail) {
        char32_t c = DoubleByteChar(cp, uint8_t(lead), uint8_t(trail));
        if (c == 0xFFFD) continue;
        ++pairs;
        all += c;
      }
    }
    EXPECT_GT(pairs, 7000) << cp;
    bool used = true;
    std::string bytes = WideCharToMultiByte(cp, all, '?', &used);
    EXPECT_FALSE(used) << cp;
    EXPECT_EQ(MultiByteToWideChar(cp, bytes), all) << cp;
  }
  EXPECT_EQ(DoubleByteChar(932, 0x93, 0xFA), U'日');
  EXPECT_EQ(DoubleByteChar(932, 0x41, 0x41), U'\uFFFD');  // not a lead byte
  EXPECT_EQ(DoubleByteChar(1252, 0x93, 0xFA), U'\uFFFD');
}

}  // namespace
