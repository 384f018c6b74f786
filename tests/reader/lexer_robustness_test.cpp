// Hostile input: NUL bytes, control characters, binary garbage, unterminated constructs, size.
#include <gtest/gtest.h>

#include <random>

#include "lexer_test_util.h"

namespace {

// Lexes to the end, swallowing the unterminated-comment error; returns the symbol count.
size_t LexToEnd(TLexer& Lexer, std::string_view Source) {
  size_t Count = 0;
  Lexer.Start(Source);
  try {
    Lexer.NextChar();
    for (Lexer.NextSymbol(); Lexer.CurSym != symEof; Lexer.NextSymbol()) {
      ++Count;
      // Every symbol consumes input, so there can never be more symbols than bytes.
      if (Count > Source.size() + 1) ADD_FAILURE() << "more symbols than bytes";
      if (Count > Source.size() + 1) break;
    }
  } catch (const EParseError&) {
  }
  return Count;
}

TEST(LexerRobustness, NulAndControlCharactersAreSingleSymbols) {
  std::string Source("a\0b\x01\x1F", 5);
  auto Symbols = LexAll(Source);
  ASSERT_EQ(Symbols.size(), 5u);
  EXPECT_EQ(Symbols[0].Text, "a");
  EXPECT_EQ(Symbols[1].Sym, symOtherChar);
  EXPECT_EQ(Symbols[1].Text, std::string(1, '\0'));
  EXPECT_EQ(Symbols[1].Positions, (std::vector<int>{1}));
  EXPECT_EQ(Symbols[2].Text, "b");
  EXPECT_EQ(Symbols[3].Sym, symOtherChar);
  EXPECT_EQ(Symbols[4].Sym, symOtherChar);
}

TEST(LexerRobustness, EndOfFileCharacterEndsTheInput) {
  auto Symbols = LexAll(std::string("ab\x1A<b>cd", 8));
  ASSERT_EQ(Symbols.size(), 1u);
  EXPECT_EQ(Symbols[0].Text, "ab");
}

TEST(LexerRobustness, UnterminatedConstructsEndAtTheEndOfInput) {
  const char* Sources[] = {
      "",           "<",          "</",          "<b",           "<b attr",     "<b attr=",   "<b a=\"x",
      "<b a='x",    "<b a=x",      "<b a=+1",      "&",           "&#",         "&#x",
      "&am",        "<!",          "<!-",          "<!--",        "<!--#",      "<!--#inc a=\"",
      "<!DOCTYPE",  "<!-- a -",    "<b a=\"&",     "<style",      "<style>",    "<H",
      "<H3",        "\r",          "\n\r\n",       "<!---->",     "<!-- -- ",
  };
  for (const char* Source : Sources) {
    TLexer Lexer;
    LexToEnd(Lexer, Source);
    EXPECT_EQ(Lexer.CurCh, 26) << Source;
  }
}

TEST(LexerRobustness, RandomBytesAlwaysReachTheEnd) {
  std::mt19937 Random(12345);
  // Weighted towards the characters with meaning, so the lexer's branches get exercised.
  const std::string Alphabet = "<<>>&&##;;!!--==\"\"''  \r\n\t%+xX19aAhH/\x1B$B\x80\xFF";
  TLexer Lexer;
  Lexer.OnInclude = [](const std::string&, std::unique_ptr<TStringList>, const char*& Buffer,
                       int& BuffSize) {
    Buffer = "<!--#x--><i a=\"";
    BuffSize = 15;
  };
  for (int Round = 0; Round < 200; ++Round) {
    std::string Source(1 + Random() % 3000, ' ');
    for (char& C : Source)
      C = (Random() % 4 == 0) ? static_cast<char>(Random() % 256) : Alphabet[Random() % Alphabet.size()];
    LexToEnd(Lexer, Source);
    uint8_t Charset;
    Lexer.CharsetFromName("euc-jp", Charset);  // converting after the end is harmless too
  }
}

TEST(LexerRobustness, MultiMegabyteDocumentIsReadToTheEnd) {
  std::string Chunk = "<p class=x>Some text &amp; more <b>bold</b><!-- c --> &hellip;\r\n";
  std::string Source;
  while (Source.size() < 4 * 1024 * 1024) Source += Chunk;
  TLexer Lexer;
  int ProgressCalls = 0;
  Lexer.OnProgress = [&](int) { ++ProgressCalls; };
  size_t Count = LexToEnd(Lexer, Source);
  EXPECT_EQ(Count, Source.size() / Chunk.size() * 10);
  EXPECT_EQ(Lexer.SourcePos, static_cast<int>(Source.size()) - 1);
  EXPECT_EQ(ProgressCalls, static_cast<int>(Source.size() / 4096));
}

TEST(LexerRobustness, LexerCanBeRestartedForAnotherDocument) {
  TLexer Lexer;
  EXPECT_THROW(LexAll(Lexer, "<b>x<!-- open"), EParseError);
  auto Symbols = LexAll(Lexer, "<i>y");
  ASSERT_EQ(Symbols.size(), 2u);
  EXPECT_EQ(Symbols[0].Sym, symI);
  EXPECT_EQ(Symbols[1].Positions, (std::vector<int>{3}));
}

}  // namespace
