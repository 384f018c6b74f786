// Tags, heading levels and attribute values.
#include <gtest/gtest.h>

#include "lexer_test_util.h"
#include "style/properties.h"

namespace {

TEST(LexerTags, NamesMapToStartAndEndSymbols) {
  struct Case {
    const char* Source;
    TSymbol Sym;
  } Cases[] = {
      {"<TABLE>", symTable},      {"</table>", symTableEnd}, {"<img src=x>", symImage},
      {"<H>", symHeading},        {"</Title >", symTitleEnd}, {"<link rel=x>", symLink},
      {"</BR>", symOther},        {"</LI>", symOther},       {"<blink>", symOther},
      {"</blink>", symOther},     {"<wbr>", symWbr},         {"<Selected>", symSelected},
      {"</>", symOther},          {"</ b>", symOther},       {"<span\r\nclass=a>", symSpan},
      {"<TD2>", symTd},           // digits end the name
  };
  for (const Case& C : Cases) {
    auto Symbols = LexAll(C.Source);
    ASSERT_EQ(Symbols.size(), 1u) << C.Source;
    EXPECT_EQ(Symbols[0].Sym, C.Sym) << C.Source;
  }
}

TEST(LexerTags, LongUnknownNameIsReadWholeAndIgnored) {
  std::string Source = "<" + std::string(1000, 'q') + " a=1>x";
  auto Symbols = LexAll(Source);
  ASSERT_EQ(Symbols.size(), 2u);
  EXPECT_EQ(Symbols[0].Sym, symOther);
  EXPECT_EQ(Symbols[0].Attributes.Count(), 1);
  EXPECT_EQ(Symbols[1].Text, "x");
}

TEST(LexerTags, HeadingLevels) {
  struct Case {
    const char* Source;
    TSymbol Sym;
    int Level;
    int AttributeCount;
  } Cases[] = {
      {"<H3 align=center>", symHeading, 3, 1},
      {"</H3>", symHeadingEnd, 3, 0},
      {"<h1>", symHeading, 1, 0},
      {"<H 3>", symHeading, 3, 0},
      {"<H6>", symHeading, 6, 0},
      {"<H7>", symHeading, 0, 0},
      {"<H0>", symHeading, 0, 0},
      {"<H>", symHeading, 0, 0},
      {"<HR3>", symHr, 0, 0},
  };
  for (const Case& C : Cases) {
    auto Symbols = LexAll(C.Source);
    ASSERT_EQ(Symbols.size(), 1u) << C.Source;
    EXPECT_EQ(Symbols[0].Sym, C.Sym) << C.Source;
    EXPECT_EQ(Symbols[0].HeadingLevel, C.Level) << C.Source;
    EXPECT_EQ(Symbols[0].Attributes.Count(), C.AttributeCount) << C.Source;
  }
}

TEST(LexerTags, LessThanThatOpensNoTagIsText) {
  auto Symbols = LexAll("a < b<3<<i>");
  std::vector<std::string> Texts;
  for (const auto& S : Symbols) Texts.push_back(S.Sym == symText ? S.Text : "#");
  EXPECT_EQ(Texts, (std::vector<std::string>{"a ", "<", " b", "<", "3", "<", "#"}));
  EXPECT_EQ(Symbols[1].Positions, (std::vector<int>{2}));
}

TEST(LexerTags, TagStartIsThePositionOfTheLessThan) {
  auto Symbols = LexAll("ab<b>c</b>");
  ASSERT_EQ(Symbols.size(), 4u);
  EXPECT_EQ(Symbols[1].TagStart, 2);
  EXPECT_EQ(Symbols[3].TagStart, 6);
}

// Most bytes of a tag are taken straight from the buffer; near a progress mark (every 4096
// bytes) they go through the character reader. Either way a tag gives the same symbol,
// attributes and offsets, also with line ends, tabs and comments inside it.
TEST(LexerTags, TagsReadAlikeAcrossProgressMarks) {
  const char* Tags[] = {
      "<p class=\"a b\" id=c>x y",
      "<span\r\nclass=a\tid=\"b\r\nc\">x\r\n y",
      "<a\n\rhref='u v' name=w >x",
      "<td <!-- note --> width=50%>x",
      "</p\t >\r\n<p>y",
      "<H3\talign=center>x",
      "<p\rclass=a>\ny",  // a lone line end in a tag, then the other kind after it
      "<i\nid=a>\rz",
  };
  auto Describe = [](const std::vector<TLexedSymbol>& Symbols, size_t From, int Shift) {
    std::string R;
    for (size_t I = From; I < Symbols.size(); ++I) {
      const TLexedSymbol& S = Symbols[I];
      R += "[" + std::to_string(S.Sym) + " " + S.Text + " @" + std::to_string(S.TagStart - Shift) +
           " h" + std::to_string(S.HeadingLevel);
      for (int P : S.Positions) R += " " + std::to_string(P - Shift);
      for (const TAttribute& A : S.Attributes)
        R += " " + std::to_string(A.Sym) + "=" + A.StrValue + "/" + std::to_string(A.NumValue);
      R += "]";
    }
    return R;
  };
  for (const char* Tag : Tags) {
    const std::string Alone = Describe(LexAll(Tag), 0, 0);
    for (int Pad = 4096 - 40; Pad <= 4096; ++Pad) {
      const std::string Source = std::string(size_t(Pad), 'w') + Tag;
      const auto Symbols = LexAll(Source);
      size_t First = 0;
      while (First < Symbols.size() && Symbols[First].Sym == symText &&
             Symbols[First].Text.find_first_not_of('w') == std::string::npos)
        ++First;
      EXPECT_EQ(Describe(Symbols, First, Pad), Alone) << Tag << " at " << Pad;
    }
  }
}

TEST(LexerTags, StyleStartTagLeavesItsClosingBracketCurrent) {
  TLexer Lexer;
  Lexer.Start("<style type=text/css>x</style>y");
  Lexer.NextChar();
  Lexer.NextSymbol();
  EXPECT_EQ(Lexer.CurSym, symStyle);
  EXPECT_EQ(Lexer.CurCh, '>');
}

struct TAttributeCase {
  const char* Source;
  TSymbol Sym;
  const char* Text;
  int Number;
};

TEST(LexerAttributes, ValueForms) {
  const TAttributeCase Cases[] = {
      {"<table border>", symBorder, "", 1},
      {"<table border=0>", symBorder, "0", 0},
      {"<table cellpadding>", symCellpadding, "", 0},
      {"<td width=\"50%\">", symWidth, "50%", 50},
      {"<td width=50%>", symWidth, "50%", 50},
      {"<td width=50 %>", symWidth, "50%", 50},
      {"<td width=' 50% '>", symWidth, " 50% ", 50},
      {"<td width=\"50%%\">", symWidth, "50%%", 0},
      {"<font size=+2>", symSize, "+2", 2},
      {"<font size=-1>", symSize, "-1", -1},
      {"<font size=\"+2\">", symSize, "+2", 2},
      {"<a href=page.htm>", symHref, "page.htm", 0},
      {"<a href=1page.htm>", symHref, "1PAGE.HTM", 0},
      {"<a href = 'x y'>", symHref, "x y", 0},
      {"<a href=\"a>b\r\nc\">", symHref, "a>bc", 0},
      {"<a href=\"unterminated", symHref, "unterminated", 0},
      {"<td width=\"12.5\">", symWidth, "12.5", 12},  // halves round to even
      {"<td width=\"13.5\">", symWidth, "13.5", 14},
      {"<td width=\"abc\">", symWidth, "abc", 0},
      {"<td width=\"99999999999\">", symWidth, "99999999999", 0},
      {"<td width=12abc>", symWidth, "12ABC", 0},
      {"<td width=>", symWidth, "", 0},
      {"<body text=red>", symText, "red", 0},
      {"<meta http-equiv=refresh>", symHttpEq, "refresh", 0},
      {"<p data-x1=5>", symOtherAttr, "", 0},  // the digit ends the name and the list
      {"<p onmouseover=\"f()\">", symOtherAttr, "f()", 0},
      {"<td nowrap>", symNowrap, "", 0},
  };
  for (const TAttributeCase& C : Cases) {
    auto Symbols = LexAll(C.Source);
    ASSERT_FALSE(Symbols.empty()) << C.Source;
    const TAttributeList& A = Symbols[0].Attributes;
    ASSERT_EQ(A.Count(), 1) << C.Source;
    EXPECT_EQ(A[0].Sym, C.Sym) << C.Source;
    EXPECT_EQ(A[0].StrValue, C.Text) << C.Source;
    EXPECT_EQ(A[0].NumValue, C.Number) << C.Source;
  }
}

TEST(LexerAttributes, SeveralAttributesInSourceOrderAndLookups) {
  TLexer Lexer;
  std::vector<std::pair<std::string, int>> IDs;
  Lexer.OnIDFound = [&](const std::string& ID, int Pos) { IDs.emplace_back(ID, Pos); };
  auto Symbols = LexAll(Lexer, "<div ID=Main Class=\"Big Note\" title='Hi There' foo=1 id=other>x");
  ASSERT_EQ(Symbols.size(), 2u);
  TAttributeList& A = Symbols[0].Attributes;
  ASSERT_EQ(A.Count(), 5);
  EXPECT_EQ(A[3].Sym, symOtherAttr);
  EXPECT_EQ(A.IDValue(), "main");  // the first "ID", lower-cased
  EXPECT_EQ(A.ClassValue(), "big note");
  EXPECT_EQ(A.TitleValue(), "Hi There");
  ASSERT_NE(A.Find(symClass), nullptr);
  EXPECT_EQ(A.Find(symHref), nullptr);
  EXPECT_EQ(A.StyleProps(), nullptr);
  ASSERT_EQ(IDs.size(), 2u);
  EXPECT_EQ(IDs[0].first, "Main");
  EXPECT_EQ(IDs[1].first, "other");
  EXPECT_LT(IDs[0].second, IDs[1].second);
}

TEST(LexerAttributes, ListIsClearedAtEveryTagAndCopiesAreIndependent) {
  TLexer Lexer;
  Lexer.Start("<a href=x name=y><b>");
  Lexer.NextChar();
  Lexer.NextSymbol();
  TAttributeList Copy = Lexer.CurAttributes;
  Lexer.NextSymbol();
  EXPECT_EQ(Lexer.CurSym, symB);
  EXPECT_EQ(Lexer.CurAttributes.Count(), 0);
  ASSERT_EQ(Copy.Count(), 2);
  EXPECT_EQ(Copy[1].StrValue, "y");
}

TEST(LexerAttributes, JunkInsideATagIsSkippedToItsEnd) {
  auto Symbols = LexAll("<img src=a \"junk\" alt=b>x");
  ASSERT_EQ(Symbols.size(), 2u);
  EXPECT_EQ(Symbols[0].Attributes.Count(), 1);
  EXPECT_EQ(Symbols[1].Text, "x");
}

TEST(LexerAttributes, StylePropsParsesTheStyleAttribute) {
  auto Symbols = LexAll("<p style=\"COLOR: Red; margin-left: 2em\">");
  TAttributeList& A = Symbols[0].Attributes;
  TProperties* Props = A.StyleProps();
  ASSERT_NE(Props, nullptr);
  EXPECT_TRUE((*Props)[piColor].IsSet());
  EXPECT_EQ((*Props)[piMarginLeft].ToText(), "2em");
  TProperties* Again = A.StyleProps();
  ASSERT_NE(Again, nullptr);
  EXPECT_TRUE((*Again)[piColor].IsSet());
  EXPECT_EQ(LexAll("<p class=x>")[0].Attributes.StyleProps(), nullptr);
}

}  // namespace
