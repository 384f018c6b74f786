// Character references in text and in attribute values, in several code pages.
#include <gtest/gtest.h>

#include "common/codepage.h"
#include "lexer_test_util.h"

namespace {

struct TEntityCase {
  const char* Source;
  const char* Expected;
};

// Text of a document lexed with references decoded into the given charset's code page.
std::string TextIn(uint8_t Charset, std::string_view Source) {
  TLexer Lexer;
  Lexer.OnTextCharset = [Charset] { return Charset; };
  return Joined(LexAll(Lexer, Source));
}

TEST(LexerEntities, NamedAndNumericReferencesInText1252) {
  const TEntityCase Cases[] = {
      {"&lt;b&gt;", "<b>"},
      {"&amp;", "&"},
      {"&amp", "&"},                 // the semicolon may be missing
      {"&amp x", "& x"},
      {"&AMP;", "&AMP;"},            // names are case-sensitive
      {"&ampx;", "&ampx;"},
      {"&#65;", "A"},
      {"&#65", "A"},
      {"&#x41;", "A"},
      {"&#X41;", "A"},
      {"&#x4a;&#x4A;", "JJ"},
      {"&#;", "&#;"},
      {"&#x;", "&#x;"},
      {"&#000065;", "&#000065;"},    // six digits are too many
      {"&#00065;", "A"},
      {"&hellip;", "..."},
      {"&hellip", "..."},
      {"&nbsp;", "\x05"},
      {"&rsquo;", "'"},
      {"&ndash;", "-"},
      {"&mdash;", "\x97"},
      {"&lsquo;&rdquo;", "\x91\x94"},
      {"&trade;", "\x99"},
      {"&euro;", "\x80"},
      {"&#8364;", "\x80"},
      {"&eacute;", "\xE9"},
      {"&Eacute;", "\xC9"},
      {"&yuml;&Yuml;", "\xFF\x9F"},
      {"&frac12;", "\xBD"},
      {"&iexcl;", "\xA1"},
      {"&#9;", " "},
      {"&#10;", "\n"},
      {"&#150;", "\x96"},            // 32 to 255 pass as bytes
      {"&abcdefg;", "&abcdefg;"},    // seven name characters
      {"&unknown;", "&unknown;"},
      {"& b", "& b"},
      {"&;", "&;"},
      {"a&&b", "a&&b"},
  };
  for (const TEntityCase& C : Cases) EXPECT_EQ(TextIn(0, C.Source), C.Expected) << C.Source;
}

TEST(LexerEntities, NumericLimitsKeepTheLow16Bits) {
  EXPECT_EQ(TextIn(0, "&#65601;"), "A");  // 0x10041
  EXPECT_EQ(TextIn(0, "&#99999;"), "?");
  EXPECT_EQ(TextIn(0, "&#xFFFFF;"), "?");
  EXPECT_EQ(TextIn(0, "&#x100000;"), "&#x100000;");
  EXPECT_EQ(TextIn(0, "&#0;"), std::string(1, '\0'));
  EXPECT_EQ(TextIn(0, "&#1;"), "\x01");
  EXPECT_EQ(TextIn(0, "&#00009;"), " ");
}

TEST(LexerEntities, CyrillicCodePage1251) {
  const TEntityCase Cases[] = {
      {"&#1046;", "\xC6"},    // Cyrillic capital Zhe
      {"&#x44F;", "\xFF"},    // small ya
      {"&#8364;", "\x88"},    // the euro sign sits elsewhere in 1251
      {"&euro;", "\x88"},
      {"&mdash;", "\x97"},
      {"&eacute;", "?"},      // not in the page
      {"&#233;", "\xE9"},     // numeric 32 to 255 are raw bytes in any page
  };
  for (const TEntityCase& C : Cases) EXPECT_EQ(TextIn(204, C.Source), C.Expected) << C.Source;
}

TEST(LexerEntities, DoubleBytePageEmitsBothBytesAtConsecutivePositions) {
  TLexer Lexer;
  Lexer.OnTextCharset = [] { return uint8_t(128); };
  auto Symbols = LexAll(Lexer, "x&#12354;");
  ASSERT_EQ(Symbols.size(), 2u);
  EXPECT_EQ(Symbols[1].Text, "\x82\xA0");
  EXPECT_EQ(Symbols[1].Positions, (std::vector<int>{1, 2}));
}

TEST(LexerEntities, DecodedCharactersTakeThePositionOfTheAmpersand) {
  auto Symbols = LexAll("ab&hellip;&lt;&bogus;c");
  ASSERT_EQ(Symbols.size(), 5u);
  EXPECT_EQ(Symbols[1].Positions, (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(Symbols[2].Positions, (std::vector<int>{10}));
  // A failed reference passes its raw characters with their own positions.
  EXPECT_EQ(Symbols[3].Text, "&bogus;");
  EXPECT_EQ(Symbols[3].Positions, (std::vector<int>{14, 15, 16, 17, 18, 19, 20}));
  EXPECT_EQ(Symbols[4].Text, "c");
}

TEST(LexerEntities, FailedReferenceLeavesTheStoppingCharacterCurrent) {
  auto Symbols = LexAll("&foo<b>x");
  ASSERT_EQ(Symbols.size(), 3u);
  EXPECT_EQ(Symbols[0].Text, "&foo");
  EXPECT_EQ(Symbols[1].Sym, symB);
  EXPECT_EQ(Symbols[2].Text, "x");
}

TEST(LexerEntities, AttributeModeUsesTheSystemPageAndPlainSpaces) {
  TLexer Lexer;
  Lexer.OnTextCharset = [] { return uint8_t(204); };  // text in Cyrillic, attributes in 1252
  auto Symbols = LexAll(Lexer,
                        "<img alt=\"a&nbsp;b&lt;&#1046;&eacute;&hellip;&#8364;\" "
                        "title='x&bogus;' src=a&amp;b>");
  ASSERT_EQ(Symbols.size(), 1u);
  const TAttributeList& A = Symbols[0].Attributes;
  ASSERT_EQ(A.Count(), 3);
  EXPECT_EQ(A[0].StrValue, "a b<?\xE9...\x80");
  EXPECT_EQ(A[1].StrValue, "x&bogus;");
  EXPECT_EQ(A[2].StrValue, "a&amp;b");  // bare values are not decoded
}

}  // namespace

namespace {

TEST(LexerEntities, Utf8TextReachesEveryScalarValue) {
  const TEntityCase Cases[] = {
      {"&rarr;", "\xE2\x86\x92"},
      {"&#960;", "\xCF\x80"},
      {"&#x1F600;", "\xF0\x9F\x98\x80"},
      {"&#128512;", "\xF0\x9F\x98\x80"},          // six decimal digits
      {"&#1114111;", "\xF4\x8F\xBF\xBF"},         // the last scalar value
      {"&#x110000;", "\xEF\xBF\xBD"},             // beyond it
      {"&#xD800;", "\xEF\xBF\xBD"},               // a surrogate
      {"&#0;", "\xEF\xBF\xBD"},
      {"&#150;", "\xE2\x80\x93"},                 // as Windows-1252, as browsers read it
      {"&#233;", "\xC3\xA9"},
      {"&eacute;", "\xC3\xA9"},
      {"&alpha;&Omega;", "\xCE\xB1\xCE\xA9"},
      {"&epsilon;", "\xCE\xB5"},                  // seven letters
      {"&thetasym;", "\xCF\x91"},                 // eight
      {"&abcdefghi;", "&abcdefghi;"},             // longer than any name
      {"&#65;&nbsp;", "A\x05"},
      {"&#12345678;", "&#12345678;"},             // eight digits are too many
  };
  for (const TEntityCase& C : Cases) EXPECT_EQ(TextIn(UTF8_CHARSET, C.Source), C.Expected) << C.Source;
}

TEST(LexerEntities, NamesBeyondLatin1ConvertIntoPagesThatHoldThem) {
  EXPECT_EQ(TextIn(GREEK_CHARSET, "&alpha;&pi;"), "\xE1\xF0");
  EXPECT_EQ(TextIn(ANSI_CHARSET, "&bull;"), "\x95");
  EXPECT_EQ(TextIn(ANSI_CHARSET, "&rarr;"), "?");  // the page has no arrow
}

}  // namespace
