// Japanese input converted to Shift_JIS.
#include <gtest/gtest.h>

#include "lexer_test_util.h"
#include "reader/japanese.h"

namespace {

TEST(LexerJapanese, Iso2022JpDocumentIsConvertedBeforeReading) {
  // "a", JIS 0x3021 and 0x2422 (two kanji/kana), back to ASCII, "b".
  std::string Source = "<p>a\x1B$B0!$\"\x1B(Bb";
  TLexer Lexer;
  auto Symbols = LexAll(Lexer, Source);
  EXPECT_TRUE(Lexer.JapaneseConverted);
  ASSERT_EQ(Symbols.size(), 2u);
  EXPECT_EQ(Symbols[1].Text, "a\x88\x9F\x82\xA0"
                             "b");
}

TEST(LexerJapanese, Iso2022JpRules) {
  EXPECT_FALSE(HasIso2022JpEscape("plain \x1B(B text"));
  EXPECT_TRUE(HasIso2022JpEscape("x\x1B$@"));
  // ESC $ @ also switches; ESC ( J switches back; bytes are taken in 7 bits.
  EXPECT_EQ(Iso2022JpToShiftJis("\x1B$@!!\x1B(Jz\xC1"), "\x81\x40zA");
  // Row 95 and above use the high lead-byte range; odd rows with a high cell add 32.
  EXPECT_EQ(Iso2022JpToShiftJis("\x1B$B_`"), std::string("\xE0\x80"));
  // A sequence cut off at the end is kept as it is.
  EXPECT_EQ(Iso2022JpToShiftJis("a\x1B$"), "a\x1B$");
}

TEST(LexerJapanese, EucJpCharsetConvertsTheDocumentInPlace) {
  std::string Source = "<meta>x\xB0\xA1y\xA4\xA2";
  TLexer Lexer;
  Lexer.Start(Source);
  Lexer.NextChar();
  Lexer.NextSymbol();
  ASSERT_EQ(Lexer.CurSym, symMeta);
  uint8_t Charset = 0;
  ASSERT_TRUE(Lexer.CharsetFromName("EUC-JP", Charset));
  EXPECT_EQ(Charset, 128);
  EXPECT_TRUE(Lexer.JapaneseConverted);
  Lexer.NextSymbol();
  EXPECT_EQ(Lexer.CurToken.AsString(), "x\x88\x9Fy\x82\xA0");
  EXPECT_EQ(Lexer.CurToken.Indexes(1), 7);  // positions are unchanged
  EXPECT_EQ(Source, "<meta>x\xB0\xA1y\xA4\xA2");  // the caller's text is left alone
  // A second request does not convert again.
  ASSERT_TRUE(Lexer.CharsetFromName("euc-jp", Charset));
  EXPECT_EQ(Lexer.DocText(), "<meta>x\x88\x9Fy\x82\xA0");
}

TEST(LexerJapanese, EucJpRules) {
  // Bytes up to 160 are copied and break a pair; a lone lead byte is still mapped.
  std::string S = "\xB0\xA1\xA0\xB0!";
  EucJpToShiftJis(S.data(), S.size());
  EXPECT_EQ(S, "\x88\x9F\xA0\x88!");
}

}  // namespace
