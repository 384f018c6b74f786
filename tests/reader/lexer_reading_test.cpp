// Reading characters: line ends, tabs, blanks, comments, declarations, includes, progress.
#include <gtest/gtest.h>

#include "lexer_test_util.h"

namespace {

// Every character ReadChar gives up to the end of the input.
std::string ReadAllChars(std::string_view Source) {
  TLexer Lexer;
  Lexer.Start(Source);
  std::string R;
  for (char C = Lexer.ReadChar(); C != 26; C = Lexer.ReadChar()) R += C;
  return R;
}

TEST(LexerLineEnds, EveryConventionGivesOneCarriageReturn) {
  struct Case {
    const char* Source;
    const char* Expected;
  } Cases[] = {
      {"a\r\nb", "a\rb"}, {"a\nb", "a\rb"},     {"a\rb", "a\rb"},
      {"a\n\rb", "a\rb"}, {"a\r\rb", "a\r\rb"}, {"a\n\nb", "a\r\rb"},
      {"a\r\n\r\nb", "a\r\rb"}, {"a\tb", "a b"},
  };
  for (const Case& C : Cases) EXPECT_EQ(ReadAllChars(C.Source), C.Expected) << C.Source;
}

TEST(LexerLineEnds, SourcePositionsCountBothHalvesOfAPair) {
  TLexer Lexer;
  Lexer.Start("a\r\nb");
  Lexer.ReadChar();
  EXPECT_EQ(Lexer.SourcePos, 0);
  Lexer.ReadChar();
  EXPECT_EQ(Lexer.SourcePos, 1);
  EXPECT_EQ(Lexer.ReadChar(), 'b');
  EXPECT_EQ(Lexer.SourcePos, 3);
  EXPECT_EQ(Lexer.ReadChar(), 26);
  EXPECT_EQ(Lexer.ReadChar(), 26);  // the end does not advance
  EXPECT_EQ(Lexer.SourcePos, 3);
}

TEST(LexerTextRuns, BlanksAndLineEndsCollapseToOneSpaceOutsidePre) {
  auto Symbols = LexAll("a  \r\n\t b");
  ASSERT_EQ(Symbols.size(), 1u);
  EXPECT_EQ(Symbols[0].Text, "a b");
  EXPECT_EQ(Symbols[0].Positions, (std::vector<int>{0, 1, 7}));
}

TEST(LexerTextRuns, PreModeKeepsEverySpaceAndLineEnd) {
  TLexer Lexer;
  Lexer.Start("a  \r\nb");
  Lexer.PreMode = true;
  Lexer.NextChar();
  Lexer.NextSymbol();
  EXPECT_EQ(Lexer.CurToken.AsString(), "a  \rb");
}

TEST(LexerTextRuns, LongRunsArriveInPiecesOfAHundred) {
  std::string Word(250, 'x');
  auto Symbols = LexAll(Word);
  ASSERT_EQ(Symbols.size(), 3u);
  EXPECT_EQ(Symbols[0].Text.size(), 100u);
  EXPECT_EQ(Symbols[1].Text.size(), 100u);
  EXPECT_EQ(Symbols[2].Text.size(), 50u);
  EXPECT_EQ(Symbols[2].Positions.front(), 200);
}

TEST(LexerTextRuns, Utf8TextRunsTakeTwiceTheBytes) {
  std::string Word(450, 'x');
  TLexer Lexer;
  Lexer.SetUtf8Text();
  auto Symbols = LexAll(Lexer, Word);
  ASSERT_EQ(Symbols.size(), 3u);
  EXPECT_EQ(Symbols[0].Text.size(), 200u);
  EXPECT_EQ(Symbols[2].Text.size(), 50u);
  EXPECT_EQ(Symbols[2].Positions.front(), 400);
}

// Words of every length up to past three steps of the word scan, ending at a space, a tag,
// a reference or the end of the text: each byte arrives once, at its own source offset, in
// 8-bit and in UTF-8 text.
TEST(LexerTextRuns, WordsOfEveryLengthArriveWholeAtTheirOffsets) {
  const std::string Letters[] = {"a", "\xCE\xB1", "\xE6\x97\xA5"};
  std::string Source, Expected;
  std::vector<int> Offsets;
  for (int Length = 1; Length <= 40; ++Length) {
    for (int K = 0; K < Length;) {
      const std::string& L = Letters[(K + Length) % 3];
      if (K + int(L.size()) > Length) {
        Source += 'b', Expected += 'b', Offsets.push_back(int(Source.size()) - 1), ++K;
        continue;
      }
      for (char C : L) Source += C, Expected += C, Offsets.push_back(int(Source.size()) - 1);
      K += int(L.size());
    }
    switch (Length % 3) {
      case 0: Source += "<b>"; break;
      case 1: Source += "&amp;", Expected += '&', Offsets.push_back(int(Source.size()) - 5); break;
      default: Source += ' ', Expected += ' ', Offsets.push_back(int(Source.size()) - 1);
    }
  }
  for (const bool Utf8 : {false, true}) {
    SCOPED_TRACE(Utf8 ? "utf-8" : "8-bit");
    TLexer Lexer;
    if (Utf8) Lexer.SetUtf8Text();
    std::string Text;
    std::vector<int> Positions;
    for (const TLexedSymbol& S : LexAll(Lexer, Source)) {
      if (S.Sym != symText) continue;
      Text += S.Text;
      Positions.insert(Positions.end(), S.Positions.begin(), S.Positions.end());
    }
    EXPECT_EQ(Text, Expected);
    EXPECT_EQ(Positions, Offsets);
  }
}

// Words and single spaces are taken many at a time: blanks still collapse to one space
// wherever they fall against the scan's steps and the progress marks, also over a comment
// or a line end, and a tag or reference keeps the spaces on its sides.
TEST(LexerTextRuns, BlanksCollapseAtEveryAlignment) {
  struct Case {
    const char* Source;
    const char* Expected;  // the text symbols joined
    bool Pre;
  } Cases[] = {
      {"a  b", "a b", false},           {"a <!-- c --> b", "a b", false},
      {"a <!-- c -->b", "a b", false},  {"a<!-- c --> b", "a b", false},
      {"a \r\n b", "a b", false},       {"a\t b", "a b", false},
      {"a &amp; b", "a & b", false},    {"a <i> b", "a  b", false},
      {"a  b", "a  b", true},           {"a \r\nb", "a \rb", true},
  };
  for (const Case& C : Cases) {
    for (const int Pad : {0, 1, 5, 6, 7, 8, 9, 14, 15, 16, 21, 22, 23, 24, 29, 30, 31, 4085, 4090, 4091, 4092, 4093, 4094, 4095}) {
      const std::string Words = std::string(size_t(Pad), 'x') + " ";
      const std::string Source = Words + C.Source;
      SCOPED_TRACE(std::string(C.Source) + " after " + std::to_string(Pad));
      TLexer Lexer;
      Lexer.Start(Source);
      Lexer.PreMode = C.Pre;
      Lexer.NextChar();
      std::string Text;
      int Last = -1;
      for (Lexer.NextSymbol(); Lexer.CurSym != symEof; Lexer.NextSymbol()) {
        if (Lexer.CurSym != symText) continue;
        Text += Lexer.CurToken.Text();
        Last = Lexer.CurToken.Indexes(Lexer.CurToken.Count() - 1);
      }
      EXPECT_EQ(Text, Words + C.Expected);
      EXPECT_EQ(Last, int(Source.size()) - 1);
    }
  }
}

TEST(LexerComments, CommentsAndDeclarationsAreSkipped) {
  struct Case {
    const char* Source;
    const char* Expected;
  } Cases[] = {
      {"a<!-- x -->b", "ab"},
      {"a<!-- x -- >b", "ab"},            // blanks before ">" still close it
      {"a<!-- x --\r\n >b", "ab"},
      {"a<!-- x --->b", "ab"},            // three hyphens
      {"a<!---->b", "ab"},
      {"a<!-- x -- y -->b", "ab"},        // "--" not followed by ">" searches on
      {"a<!-- x --><!-- y -->b", "ab"},   // a comment right after a comment
      {"<!DOCTYPE html>x", "x"},
      {"a<!>b", "ab"},
      {"a<!-x>b", "ab"},                  // one hyphen: a declaration
      {"a<!-- <b> -->c", "ac"},
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?>\nx", " x"},  // processing instructions
      {"a<?php echo 1 ?>b<?>c", "abc"},
  };
  for (const Case& C : Cases) EXPECT_EQ(JoinedText(C.Source), C.Expected) << C.Source;
}

TEST(LexerComments, TagsOffKeepsCommentMarkersAsText) {
  TLexer Lexer;
  Lexer.Start("<!-- x -->");
  Lexer.TagsOff = true;
  EXPECT_EQ(Lexer.NextChar(), '<');
  EXPECT_EQ(Lexer.NextChar(), '!');
}

TEST(LexerComments, UnterminatedCommentStopsAfterWhatWasRead) {
  for (const char* Source : {"<b>text<!-- never closed", "<b>text<!DOCTYPE", "<b>text<!-- a --",
                             "<b>text<?xml"}) {
    TLexer Lexer;
    Lexer.Start(Source);
    Lexer.NextChar();
    Lexer.NextSymbol();
    EXPECT_EQ(Lexer.CurSym, symB);
    try {
      Lexer.NextSymbol();
      FAIL() << "no error for " << Source;
    } catch (const EParseError& E) {
      EXPECT_EQ(E.Message, "Open Comment at End of HTML File");
    }
    // Asking again after the error ends quietly rather than looping.
    Lexer.NextSymbol();
    EXPECT_EQ(Lexer.CurSym, symEof);
  }
}

struct TIncludeCall {
  std::string Command;
  std::vector<std::string> Params;
};

TEST(LexerIncludes, HandlerGetsCommandAndParametersAndItsTextIsRead) {
  TLexer Lexer;
  std::vector<TIncludeCall> Calls;
  std::string Reply = "<b>in</b>";
  Lexer.OnInclude = [&](const std::string& Command, std::unique_ptr<TStringList> Params,
                        const char*& Buffer, int& BuffSize) {
    TIncludeCall Call{Command, {}};
    for (const std::string& P : *Params) Call.Params.push_back(P);
    Calls.push_back(Call);
    Buffer = Reply.data();
    BuffSize = static_cast<int>(Reply.size());
  };
  std::string Source = "x<!--#Include_1 File=\"a&amp;b\r\nc\" virtual=v.htm-->y";
  auto Symbols = LexAll(Lexer, Source);
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].Command, "Include_1");
  EXPECT_EQ(Calls[0].Params, (std::vector<std::string>{"File=a&b c", "virtual=v.htm"}));
  ASSERT_EQ(Symbols.size(), 5u);
  EXPECT_EQ(Symbols[0].Text, "x");
  EXPECT_EQ(Symbols[1].Sym, symB);
  EXPECT_EQ(Symbols[2].Text, "in");
  EXPECT_EQ(Symbols[3].Sym, symBEnd);
  EXPECT_EQ(Symbols[4].Text, "y");
  // Included characters carry the offset of the comment's closing ">".
  const int CommentEnd = static_cast<int>(Source.find("-->")) + 2;
  EXPECT_EQ(Symbols[1].TagStart, CommentEnd);
  EXPECT_EQ(Symbols[2].Positions, (std::vector<int>{CommentEnd, CommentEnd}));
  EXPECT_EQ(Symbols[4].Positions, (std::vector<int>{CommentEnd + 1}));
}

TEST(LexerIncludes, IncludesInsideIncludedTextAreOrdinaryComments) {
  TLexer Lexer;
  int Calls = 0;
  std::string Reply = "a<!--#inner-->b";
  Lexer.OnInclude = [&](const std::string&, std::unique_ptr<TStringList>, const char*& Buffer,
                        int& BuffSize) {
    ++Calls;
    Buffer = Reply.data();
    BuffSize = static_cast<int>(Reply.size());
  };
  EXPECT_EQ(Joined(LexAll(Lexer, "<!--#outer-->c")), "abc");
  EXPECT_EQ(Calls, 1);
}

TEST(LexerIncludes, WithoutHandlerOrTextTheCommentIsSkipped) {
  EXPECT_EQ(JoinedText("a<!--#include file=x-->b"), "ab");
  TLexer Lexer;
  Lexer.OnInclude = [](const std::string&, std::unique_ptr<TStringList>, const char*&, int&) {};
  EXPECT_EQ(Joined(LexAll(Lexer, "a<!--#include-->b")), "ab");
}

TEST(LexerProgress, CalledEvery4096CharactersWithScaledFraction) {
  TLexer Lexer;
  std::vector<int> Calls;
  Lexer.OnProgress = [&](int P) { Calls.push_back(P); };
  Lexer.ProgressScale = 1000;
  std::string Source(10000, 'x');
  LexAll(Lexer, Source);
  EXPECT_EQ(Calls, (std::vector<int>{409, 819}));
}

TEST(LexerCharSource, StyleSheetIsReadFromTheTagsClosingBracketToTheEndTag) {
  TLexer Lexer;
  Lexer.Start("<STYLE>p {\r\n\tcolor: red }</STYLE>x");
  Lexer.NextChar();
  Lexer.NextSymbol();
  ASSERT_EQ(Lexer.CurSym, symStyle);
  EXPECT_EQ(Lexer.CurCh, '>');
  auto GetChar = Lexer.CharSource();
  std::string Sheet;
  for (char C = GetChar(); C != '<' && C != 26; C = GetChar()) Sheet += C;
  EXPECT_EQ(Sheet, "p {\r color: red }");
  Lexer.NextSymbol();
  EXPECT_EQ(Lexer.CurSym, symStyleEnd);
  Lexer.NextSymbol();
  EXPECT_EQ(Lexer.CurToken.AsString(), "x");
}

}  // namespace
