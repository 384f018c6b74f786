#include "reader/utf8_source.h"

#include <gtest/gtest.h>

#include <random>

#include "builder_test_util.h"
#include "common/codepage.h"

namespace {

TEST(Utf8Source, WhichDocumentsAreReadAsUtf8) {
  struct Case {
    const char* Name;
    std::string Text;
    bool Html, Utf8;
  };
  const Case cases[] = {
      {"byte-order mark", "\xEF\xBB\xBFplain", true, true},
      {"declared in a meta", "<meta http-equiv=content-type content=\"text/html; charset=UTF-8\">a",
       true, true},
      {"declared by the xml line", "<?xml version=\"1.0\" encoding='utf-8'?><p>a", true, true},
      {"declared html5 style", "<meta charset=\"utf8\"><p>caf\xC3\xA9", true, true},
      {"another charset declared", "<meta charset=iso-8859-1><p>caf\xC3\xA9", true, false},
      {"undeclared and valid", "<p>caf\xC3\xA9", true, true},
      {"undeclared and not valid", "<p>caf\xE9 cr\xE8me", true, false},
      {"overlong form", "<p>\xC0\xAF", true, false},
      {"surrogate", "<p>\xED\xA0\x80", true, false},
      {"cut short at the end", "<p>caf\xC3", true, false},
      {"plain ascii", "<p>only ascii", true, false},
      {"text documents ignore declarations", "charset=iso-8859-1 \xC3\xA9", false, true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsUtf8Document(c.Text, c.Html), c.Utf8) << c.Name;
}

TEST(Utf8Source, ConvertsIntoThePageThatHoldsEveryCharacter) {
  struct Case {
    const char* Name;
    std::string Text;
    uint8_t Charset;
  };
  const Case cases[] = {
      {"western", "<p>caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC", ANSI_CHARSET},
      {"czech", "<p>\xC5\x99\xC3\xAD\xC5\xA1", EASTEUROPE_CHARSET},
      {"russian", "<p>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", RUSSIAN_CHARSET},
      {"greek", "<p>\xCE\xB1\xCE\xB2\xCE\xB3", GREEK_CHARSET},
      {"japanese with western quotes",
       "<p>\xE3\x81\x82\xE3\x82\xA2\xE6\xBC\xA2 \xE2\x80\x9Cw3m\xE2\x80\x9D", SHIFTJIS_CHARSET},
      // A referenced character counts as one the text holds.
      {"western with a referenced arrow", "<p>G\xC3\xA9rard &#x21E6;", UTF8_CHARSET},
      {"western with a referenced Czech letter", "<p>caf\xC3\xA9 &#x159;", EASTEUROPE_CHARSET},
  };
  for (const Case& c : cases) {
    const TUtf8Conversion r = ConvertUtf8Document(c.Text, true);
    ASSERT_TRUE(r.Converted) << c.Name;
    EXPECT_EQ(int(r.Charset), int(c.Charset)) << c.Name;
    // Converting back gives the document as it was.
    const std::u32string wide = MultiByteToWideChar(CharsetToCodePage(r.Charset), r.Bytes(c.Text));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, wide), c.Text) << c.Name;
  }
}

TEST(Utf8Source, CharactersNoPageHoldsAndMalformedBytesDegradeGently) {
  // Thai and Hebrew share no page: the text stays in UTF-8, every character kept.
  const std::string mixed = "<p>\xE0\xB8\x81\xE0\xB8\x82\xE0\xB8\x83 \xD7\x90";
  TUtf8Conversion r = ConvertUtf8Document(mixed, true);
  ASSERT_TRUE(r.Converted);
  EXPECT_EQ(int(r.Charset), int(UTF8_CHARSET));
  EXPECT_EQ(r.Bytes(mixed), mixed);
  // A declared UTF-8 document with a stray Latin-1 byte: one U+FFFD for it, and the
  // replacement character keeps the text in UTF-8.
  r = ConvertUtf8Document("<meta charset=utf-8><p>caf\xE9", true);
  ASSERT_TRUE(r.Converted);
  EXPECT_EQ(int(r.Charset), int(UTF8_CHARSET));
  EXPECT_EQ(r.Text.substr(r.Text.size() - 6), "caf\xEF\xBF\xBD");
  // The mark itself is not text.
  r = ConvertUtf8Document("\xEF\xBB\xBFhi", false);
  EXPECT_EQ(r.Bytes("\xEF\xBB\xBFhi"), "hi");
  EXPECT_FALSE(ConvertUtf8Document("<p>ascii", true).Converted);
}

TEST(Utf8Source, MalformedSequencesBecomeOneReplacementEach) {
  const TUtf8Conversion r =
      ConvertUtf8Document("\xEF\xBB\xBF<meta charset=utf-8>[\xC3][\xE2\x82][\xF0\x9F\x98][\xC0\xAF]", true);
  ASSERT_TRUE(r.Converted);
  const std::string R = "\xEF\xBF\xBD";
  EXPECT_EQ(r.Text, "<meta charset=utf-8>[" + R + "][" + R + "][" + R + "][" + R + R + "]");
}

// Many distinct characters: the page is chosen from all of them, and bytes after the point
// where no page could hold the text are still checked.
TEST(Utf8Source, LongTextsChooseFromEveryCharacterAndCheckEveryByte) {
  auto Letters = [](char32_t First, int Count) {
    std::u32string Wide;
    for (int I = 0; I < Count; ++I) Wide += char32_t(First + char32_t(I));
    return WideCharToMultiByte(CP_UTF8, Wide);
  };
  const std::string Head = "<meta charset=utf-8><p>";
  const std::string Greek = Letters(U'\u03B1', 24), Cyrillic = Letters(U'\u0410', 64);
  const std::string R = "\xEF\xBF\xBD";
  struct Case {
    const char* Name;
    std::string Text;
    uint8_t Charset;
    std::string Converted;  // in UTF-8
  } cases[] = {
      {"one page, many letters", Head + Cyrillic, RUSSIAN_CHARSET, Head + Cyrillic},
      {"a late character beyond the page", Head + Cyrillic + " \xE2\x94\x8C", SHIFTJIS_CHARSET,
       Head + Cyrillic + " \xE2\x94\x8C"},
      {"no page, then a stray byte", Head + Greek + Cyrillic + " caf\xC3\xA9 [\xE9]", UTF8_CHARSET,
       Head + Greek + Cyrillic + " caf\xC3\xA9 [" + R + "]"},
      {"no page, then four bytes", Head + Greek + Cyrillic + " caf\xC3\xA9 \xF0\x9F\x98\x80",
       UTF8_CHARSET, Head + Greek + Cyrillic + " caf\xC3\xA9 \xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const TUtf8Conversion r = ConvertUtf8Document(c.Text, true);
    ASSERT_TRUE(r.Converted);
    EXPECT_EQ(int(r.Charset), int(c.Charset));
    EXPECT_EQ(ToUtf8(CharsetToCodePage(r.Charset), r.Bytes(c.Text)), c.Converted);
  }
}

// The whole-text check judges sixteen bytes at once: a sequence may straddle two blocks, and
// the first and last bytes are checked from a padded copy. It must agree with decoding one character at a time
// wherever each piece falls.
TEST(Utf8Source, TheWellFormedCheckAgreesWithTheDecoderAtEveryOffset) {
  const std::vector<std::string> Good = {
      "a", " ", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
      "\xEF\xBF\xBD", "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "\xE6\x97\xA5",
      "\xD0\x96"};
  const std::vector<std::string> Bad = {
      "\x80", "\xBF", "\xC3", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
      "\xE2\x82", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF0\x9F\x98", "\xF5\x80\x80\x80",
      "\xF8", "\xFF", "\xE2\x82\xC3\xA9"};
  auto Decodes = [](const std::string& Text) {
    for (size_t At = 0; At < Text.size();) {
      int Length = 0;
      const char32_t C = DecodeUtf8Char(Text.data() + At, Text.size() - At, Length);
      if (C == 0xFFFD && Text.compare(At, 3, "\xEF\xBF\xBD") != 0) return false;
      At += size_t(Length);
    }
    return true;
  };
  std::mt19937 Random(11);
  for (int Round = 0; Round < 4000; ++Round) {
    std::string Text(Random() % 17, 'x');  // puts what follows at every place in a block
    const int Pieces = 1 + int(Random() % 16);
    for (int I = 0; I < Pieces; ++I) {
      const bool Ill = Random() % 10 == 0;
      const auto& From = Ill ? Bad : Good;
      Text += From[Random() % From.size()];
    }
    ASSERT_EQ(IsWellFormedUtf8(Text), Decodes(Text)) << testing::PrintToString(Text);
  }
  EXPECT_TRUE(IsWellFormedUtf8(""));
}

TEST(Utf8Source, MixedScriptsStayInUtf8ByteForByte) {
  const std::string text =
      "<meta charset=utf-8><p>caf\xC3\xA9 \xCE\xB1\xCE\xB2 \xD0\x96 \xE2\x86\x92 \xE2\x94\x8C "
      "\xCF\x80 \xE6\x97\xA5 \xF0\x9F\x98\x80";
  const TUtf8Conversion r = ConvertUtf8Document(text, true);
  ASSERT_TRUE(r.Converted);
  EXPECT_EQ(int(r.Charset), int(UTF8_CHARSET));
  EXPECT_EQ(r.Bytes(text), text);
}

TEST(Utf8Source, ReferencesBeyondTheirPageMoveA8BitDocumentToUtf8) {
  struct Case {
    const char* Name;
    std::string Text;
    int CodePage;
    bool Moves;
  };
  const Case cases[] = {
      {"arrow in Latin-1", "<p>caf\xE9 &rarr;", 1252, true},
      {"pi by number", "<p>&#960;", 1252, true},
      {"beyond the plane by hex", "<p>&#x1F600;", 1252, true},
      {"Latin-1 names only", "<p>&eacute; &copy; &#233; &euro;", 1252, false},
      {"no references", "<p>caf\xE9", 1252, false},
      {"Cyrillic in its page", "<p>&#1076;", 1251, false},
      {"Greek names in Greek", "<p>&alpha;", 1253, false},
      {"not a reference", "<p>&rarrow &#;", 1252, false},
  };
  for (const Case& c : cases) {
    const TUtf8Conversion r = ConvertForReferences(c.Text, c.CodePage);
    EXPECT_EQ(r.Converted, c.Moves) << c.Name;
    if (r.Converted) { EXPECT_EQ(int(r.Charset), int(UTF8_CHARSET)) << c.Name; }
  }
  // The text itself is converted: the Latin-1 byte becomes its UTF-8 pair.
  EXPECT_EQ(ConvertForReferences("caf\xE9 &rarr;", 1252).Text, "caf\xC3\xA9 &rarr;");
}

TEST(Utf8Source, ALatin1DocumentKeepsCharactersItsReferencesName) {
  TBuiltDoc d;
  d.Build("<p>caf\xE9 &rarr; &#960; &alpha;");
  TFontObj* run = RunOf(d.Doc, "caf\xC3\xA9 \xE2\x86\x92 \xCF\x80 \xCE\xB1");
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(int(run->FFont->Charset), int(UTF8_CHARSET));
  // Without such references the document reads as it always did.
  TBuiltDoc plain;
  plain.Build("<p>caf\xE9 &eacute;");
  TFontObj* latin = RunOf(plain.Doc, "caf\xE9 \xE9");
  ASSERT_NE(latin, nullptr);
  EXPECT_NE(int(latin->FFont->Charset), int(UTF8_CHARSET));
}

TEST(Utf8Source, CharsetsElementsNameDoNotChangeUtf8Text) {
  TBuiltDoc d;
  // Greek with tonos and Cyrillic share no page.
  d.Build("<meta charset=utf-8><p>\xCE\xAC \xE2\x86\x92 <font charset=windows-1251>\xD0\x96</font>");
  TFontObj* run = RunOf(d.Doc, "\xD0\x96");
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(int(run->FFont->Charset), int(UTF8_CHARSET));
}

TEST(Utf8Source, TheBuilderShowsUtf8DocumentsInTheChosenCharacterSet) {
  TBuiltDoc d;
  d.Build("<meta charset=\"utf-8\"><title>\xD0\x94\xD0\xB0</title><p>\xD0\x9F\xD1\x80\xD0\xB8 "
          "&#1076;");
  TFontObj* run = RunOf(d.Doc, "\xCF\xF0\xE8");  // "При" in Windows-1251
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(int(run->FFont->Charset), int(RUSSIAN_CHARSET));
  // References convert into the same page.
  EXPECT_NE(Sections(d.Doc).back().Section->FText.find("\xCF\xF0\xE8 \xE4"), std::string::npos);
  EXPECT_EQ(d.Result.DocTitle, "\xC4\xE0");

  TBuiltDoc legacy;
  legacy.Build("<meta charset=\"windows-1251\"><p>\xCF\xF0\xE8");
  EXPECT_NE(RunOf(legacy.Doc, "\xCF\xF0\xE8"), nullptr);
}

}  // namespace
