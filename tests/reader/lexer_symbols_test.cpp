// The symbol tables: tag and attribute lookups, tag names, end symbols, symbol sets, charsets.
#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "reader/lexer.h"
#include "reader/symbols.h"

namespace {

TEST(LexerSymbols, EveryTagRowIsFoundAndNamedBack) {
  std::set<int> Starts;
  for (int Row = 0; Row < TagCount; ++Row) {
    const TTagEntry& T = TagTable[Row];
    const TTagEntry* Found = FindTag(T.Name);
    ASSERT_NE(Found, nullptr) << T.Name;
    EXPECT_EQ(Found->Start, T.Start) << T.Name;
    std::string Lower = T.Name;
    for (char& C : Lower) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    EXPECT_EQ(StartTagName(T.Start), Lower);
    EXPECT_EQ(EndTagName(T.End), Row < PairedTagCount ? Lower : "");
    EXPECT_EQ(EndSymbolOf(T.Start), T.End);
    EXPECT_EQ(T.End != symNone, Row < PairedTagCount) << T.Name;
    EXPECT_TRUE(Starts.insert(T.Start).second) << T.Name;
  }
  EXPECT_EQ(FindTag("TABLES"), nullptr);
  EXPECT_EQ(FindTag(""), nullptr);
  EXPECT_EQ(StartTagName(symHref), "");
  EXPECT_EQ(StartTagName(symImage), "img");
  EXPECT_EQ(EndTagName(symHeadingEnd), "h");
}

TEST(LexerSymbols, EveryAttributeRowIsFound) {
  for (const TAttributeEntry& A : AttributeTable) EXPECT_EQ(FindAttribute(A.Name), A.Sym) << A.Name;
  EXPECT_EQ(FindAttribute("TEXT"), symText);
  EXPECT_EQ(FindAttribute("STYLE"), symStyle);
  EXPECT_EQ(FindAttribute("HTTP-EQUIV"), symHttpEq);
  EXPECT_EQ(FindAttribute("BORDERCOLORLIGH"), symOtherAttr);
  EXPECT_EQ(FindAttribute("href"), symOtherAttr);  // callers upper-case first
}

TEST(LexerSymbols, EntityTablesPreferSpecialNames) {
  EXPECT_EQ(FindEntity("amp"), 38);
  EXPECT_EQ(FindEntity("nbsp"), 5);
  EXPECT_EQ(FindEntity("iexcl"), 161);
  EXPECT_EQ(FindEntity("yuml"), 255);
  EXPECT_EQ(FindEntity("Yuml"), 376);
  EXPECT_EQ(FindEntity("euro"), 8364);
  EXPECT_EQ(FindEntity("hellip"), -1);
  EXPECT_EQ(FindEntity("Amp"), -1);
}

TEST(LexerSymbols, SymbolSetsActAsStopSets) {
  constexpr TSymbolSet Cells{symTd, symTh, symTdEnd};
  static_assert(Cells.Contains(symTd) && !Cells.Contains(symTr));
  TSymbolSet S = Cells + TSymbolSet{symOnchange, symNone};
  EXPECT_TRUE(S.Contains(symOnchange));
  EXPECT_TRUE(S.Contains(symNone));
  S = S - TSymbolSet{symTd};
  EXPECT_FALSE(S.Contains(symTd));
  S.Exclude(symTh);
  S.Exclude(symTdEnd);
  S.Exclude(symOnchange);
  S.Exclude(symNone);
  EXPECT_TRUE(S.Empty());
}

TEST(LexerCharsets, NamesFindTheirCharsetByFirstMatchingEntry) {
  struct Case {
    const char* Name;
    bool Found;
    int Charset;
  } Cases[] = {
      {"windows-1252", true, 0},  {"ISO-8859-15", true, 0},  {"iso-8859-2", true, 238},
      {"windows-1251", true, 204}, {"KOI8-R", true, 204},    {"Shift_JIS", true, 128},
      {"x-sjis", true, 128},      {"EUC-KR", true, 129},     {"big5", true, 136},
      {"text/html; charset=windows-1253", true, 161},        {"utf-8", false, 0},
      {"", false, 0},             {"iso-8859-9", true, 162}, {"x-mac-thai", true, 222},
  };
  for (const Case& C : Cases) {
    TLexer Lexer;
    uint8_t Charset = 77;
    EXPECT_EQ(Lexer.CharsetFromName(C.Name, Charset), C.Found) << C.Name;
    if (C.Found) {
      EXPECT_EQ(Charset, C.Charset) << C.Name;
    }
  }
}

}  // namespace
