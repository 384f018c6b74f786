// Sections whose text is UTF-8: lines break between characters by what they are, hits and
// carets land on characters, letter case changes by code point.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/unicode_chars.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "style/element_font.h"

namespace {

// Latin, Greek, Cyrillic, arrows, box drawing, mathematics, ideographs and characters
// beyond the Basic Multilingual Plane.
const std::string Mixed =
    "caf\xC3\xA9 \xCE\xB5\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC "
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x86\x92\xE2\x96\xB8 "
    "\xE2\x94\x8C\xE2\x94\x80\xE2\x94\x90 \xCF\x80\xE2\x89\x88\xE2\x88\x9A\xE2\x88\x9E "
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9"
    "\xE3\x83\x88\xE3\x80\x82 \xF0\x9D\x94\xB8\xF0\x9F\x98\x80";

class Utf8TextTest : public ::testing::Test {
 protected:
  TSectionList Doc{nullptr, nullptr};
  TCanvas Canvas;
  IndentManager IMgr;

  std::unique_ptr<TSection> Make(const std::string& Text, TTextTransform Transform = TTextTransform::None) {
    auto Font = std::make_unique<TMyFont>();
    Font->Name = "Arial";
    Font->Size = 12;
    Font->Charset = UTF8_CHARSET;
    Font->FLeadByteSet = LeadByteSetOfCharSet(UTF8_CHARSET);
    auto S = std::make_unique<TSection>(&Doc, std::move(Font));
    S->FCaseTransform = Transform;
    for (size_t I = 0; I < Text.size(); ++I) S->AppendChar(Text[I], int(I));
    S->CompleteText();
    return S;
  }
  void LayOut(TSection& S, int Width) {
    IMgr.SetEdges(0, Width);
    int Curs = 0, MaxWidth = 0;
    S.Layout(&Canvas, 0, 0, 0, 0, Width, 10000, &IMgr, MaxWidth, Curs);
  }
  std::vector<std::string> Lines(const TSection& S) {
    std::vector<std::string> Out;
    for (const LineRec& L : S.FLines) Out.push_back(S.FText.substr(L.TextStart, L.CharCount));
    return Out;
  }
  // The code point a line starts with, and the one it ends with.
  static char32_t First(const std::string& Line) {
    int Length;
    return DecodeUtf8Char(Line.data(), Line.size(), Length);
  }
  static char32_t Last(const std::string& Line) {
    size_t At = Line.size() - 1;
    while (At > 0 && IsUtf8Continuation(uint8_t(Line[At]))) --At;
    int Length;
    return DecodeUtf8Char(Line.data() + At, Line.size() - At, Length);
  }
};

TEST_F(Utf8TextTest, LinesNeverSplitACharacterAtAnyWidth) {
  auto S = Make(Mixed);
  for (int Width = 8; Width <= 400; Width += 3) {
    LayOut(*S, Width);
    std::string Joined;
    for (const std::string& Line : Lines(*S)) {
      ASSERT_FALSE(Line.empty()) << Width;
      EXPECT_FALSE(IsUtf8Continuation(uint8_t(Line[0]))) << Width << ": " << Line;
      int Length;
      EXPECT_NE(DecodeUtf8Char(Line.data(), Line.size(), Length), 0xFFFD) << Width;
      Joined += Line;
    }
    EXPECT_EQ(Joined, S->FText) << Width;
  }
}

TEST_F(Utf8TextTest, IdeographsBreakBetweenAndPunctuationHoldsOn) {
  // Twelve ideographs and kana with a full stop and brackets among them, no spaces.
  const std::string Text =
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x80\x8C\xE3\x81\xAE\xE3\x83\x86\xE3\x80\x8D"
      "\xE3\x82\xAD\xE3\x80\x82\xE3\x82\xB9\xE3\x83\x88\xE4\xB8\xAD\xE6\x96\x87\xE3\x80\x81\xE6\x9C\xAC";
  auto S = Make(Text);
  for (int Width = 20; Width <= 120; Width += 7) {
    LayOut(*S, Width);
    const std::vector<std::string> L = Lines(*S);
    EXPECT_GT(L.size(), 1u) << Width;
    for (const std::string& Line : L) {
      EXPECT_FALSE(IsClosingPunctuation(First(Line))) << Width << ": " << Line;
      if (&Line != &L.back()) { EXPECT_NE(Last(Line), U'\u300C') << Width << ": " << Line; }
    }
  }
}

TEST_F(Utf8TextTest, WordsOfOtherScriptsBreakOnlyAtSpaces) {
  const std::string Greek = "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5";     // five letters
  const std::string Cyrillic = "\xD0\xB0\xD0\xB1\xD0\xB2\xD0\xB3\xD0\xB4";  // five letters
  auto S = Make(Greek + " " + Cyrillic + " " + Greek + " " + Cyrillic);
  const int Word = S->TextWidth(0, int(Greek.size()), false);
  LayOut(*S, Word * 3 / 2);
  const std::vector<std::string> L = Lines(*S);
  ASSERT_EQ(L.size(), 4u);
  EXPECT_EQ(L[0], Greek + " ");
  EXPECT_EQ(L[1], Cyrillic + " ");
  // Narrower than a word: the word stays whole on a line of its own.
  LayOut(*S, Word / 2);
  EXPECT_EQ(Lines(*S).front(), Greek + " ");
}

TEST_F(Utf8TextTest, CaretsAndHitsLandOnCharacterStarts) {
  auto S = Make(Mixed);
  LayOut(*S, 180);
  for (int P = 0; P <= S->Len(); ++P) {
    if (P < S->Len() && IsUtf8Continuation(uint8_t(S->FText[P]))) continue;
    int X = 0, Y = 0;
    ASSERT_TRUE(S->PositionToPoint(&Canvas, P, X, Y)) << P;
    int XR, YR, CaretHt;
    bool InText;
    const int Hit = S->PositionAtPoint(&Canvas, X, Y, XR, YR, CaretHt, InText);
    if (P < S->Len()) { EXPECT_EQ(Hit, P) << P; }
  }
  // Every point of every line hits the start of a character.
  for (int Y = 0; Y < 200; Y += 5)
    for (int X = 0; X < 180; X += 2) {
      int XR, YR, CaretHt;
      bool InText;
      const int Hit = S->PositionAtPoint(&Canvas, X, Y, XR, YR, CaretHt, InText);
      if (Hit >= 0 && Hit < S->Len()) { EXPECT_FALSE(IsUtf8Continuation(uint8_t(S->FText[Hit]))) << X << "," << Y; }
    }
}

TEST_F(Utf8TextTest, TextTransformMapsCodePointsOfFourScripts) {
  struct Case {
    TTextTransform Transform;
    std::string In, Out;
  };
  using enum TTextTransform;
  const Case cases[] = {
      {Upper, "stra\xC3\x9F" "e \xC3\xA9t\xC3\xA9", "STRASSE \xC3\x89T\xC3\x89"},
      // Upper case of several letters in the bytes of one: sharp s, ffi and ffl ligatures.
      {Upper, "\xEF\xAC\x83x \xEF\xAC\x84", "FFIX FFL"},
      {Capitalize, "\xC3\x9F" "a \xEF\xAC\x83" "a a\xC3\x9F", "Ssa Ffia A\xC3\x9F"},
      {Lower, "\xC3\x9F", "\xC3\x9F"},
      {Upper, "\xCE\xB1\xCE\xB2\xCF\x82", "\xCE\x91\xCE\x92\xCE\xA3"},
      {Upper, "\xD0\xBF\xD1\x80\xD0\xB8\xD1\x91", "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x81"},
      {Upper, "\xD5\xA1\xD5\xA2", "\xD4\xB1\xD4\xB2"},
      {Lower, "\xCE\x91\xD0\x9F\xD4\xB1X", "\xCE\xB1\xD0\xBF\xD5\xA1x"},
      {Capitalize, "\xCE\xB1\xCE\xB2 \xD0\xBF\xD1\x80", "\xCE\x91\xCE\xB2 \xD0\x9F\xD1\x80"},
      // A mapping of another length (dotless i to I) keeps the character.
      {Upper, "\xC4\xB1", "\xC4\xB1"},
      {Upper, "\xE2\x86\x92\xE6\x97\xA5", "\xE2\x86\x92\xE6\x97\xA5"},
  };
  // Every byte keeps its source position, so that copying a transformed word gives back
  // the source's bytes.
  for (const Case& c : cases) {
    auto S = Make(c.In, c.Transform);
    EXPECT_EQ(S->FText, c.Out) << c.In;
    LayOut(*S, 300);
    for (int I = 0; I < S->Len(); ++I) EXPECT_EQ(S->DocToSourcePos(I), I) << c.In;
  }
}

// Finding without matching case folds letters of every script the case mapping knows;
// matching case finds the bytes as they are.
TEST_F(Utf8TextTest, FindIgnoresLetterCaseBeyondAscii) {
  // "Caf\u00E9 \u0391\u039B\u03A6\u0391 \u041F\u0420\u0418\u0412\u0415\u0422 \u00C9t\u00E9 \u65E5"
  auto S = Make("Caf\xC3\xA9 \xCE\x91\xCE\x9B\xCE\xA6\xCE\x91 "
                "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2 \xC3\x89t\xC3\xA9 \xE6\x97\xA5");
  struct TCase {
    const char* Name;
    std::string Find;
    bool MatchCase;
    int At;
  } cases[] = {
      {"accented latin", "CAF\xC3\x89", false, 0},
      {"greek", "\xCE\xBB\xCF\x86\xCE\xB1", false, 8},
      {"cyrillic", "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", false, 15},
      {"latin capital with accent", "\xC3\xA9T\xC3\xA9", false, 28},
      {"ideograph", "\xE6\x97\xA5", false, 34},
      {"cyrillic, matching case", "\xD0\xBF\xD1\x80\xD0\xB8", true, -1},
      {"greek, matching case", "\xCE\x9B\xCE\xA6", true, 8},
      {"absent", "\xCE\xB2", false, -1},
  };
  for (const TCase& c : cases) EXPECT_EQ(S->FindText(c.Find, 0, c.MatchCase), c.At) << c.Name;
  // A search from inside a match goes on to the next one.
  EXPECT_EQ(S->FindText("\xC3\xA9", 4, false), 28);
}

TEST_F(Utf8TextTest, SelectedTextIsUtf8WhateverThePageOfTheRun) {
  auto S = Make(Mixed);
  EXPECT_EQ(S->SelectedUtf8(0, S->Len()), Mixed);
  auto Font = std::make_unique<TMyFont>();
  Font->Charset = RUSSIAN_CHARSET;
  TSection Russian(&Doc, std::move(Font));
  for (char C : std::string("\xCF\xF0\xE8 ok")) Russian.AppendChar(C, 0);
  EXPECT_EQ(Russian.SelectedUtf8(0, Russian.Len()), "\xD0\x9F\xD1\x80\xD0\xB8 ok");
}

}  // namespace

namespace {

// Letters whose case takes another number of bytes than the letter, with the source
// offset each letter starts at.
struct TSpelledCase {
  TTextTransform Transform;
  std::string In, Out;
};
const TSpelledCase SpelledCases[] = {
    {TTextTransform::Upper, "\xEF\xAC\x80x", "FFX"},                  // ff
    {TTextTransform::Upper, "a\xEF\xAC\x81\xEF\xAC\x86", "AFIST"},    // fi, st
    {TTextTransform::Upper, "\xC5\x89" "a", "\xCA\xBCNA"},            // 'n
    {TTextTransform::Upper, "\xC7\xB0", "J\xCC\x8C"},                 // j caron
    {TTextTransform::Upper, "\xD6\x87", "\xD4\xB5\xD5\x92"},          // Armenian ech-yiwn
    {TTextTransform::Upper, "\xCE\x90", "\xCE\x99\xCC\x88\xCC\x81"},  // iota, dialytika, tonos
    {TTextTransform::Upper, "\xE1\xBE\x80", "\xE1\xBC\x88\xCE\x99"},  // alpha, psili, ypogegrammeni
    {TTextTransform::Capitalize, "\xEF\xAC\x80x \xD6\x87", "Ffx \xD4\xB5\xD6\x82"},
    {TTextTransform::Capitalize, "a\xEF\xAC\x80", "A\xEF\xAC\x80"},  // inside a word: kept
    {TTextTransform::Lower, "\xC4\xB0X", "i\xCC\x87x"},               // I with dot above
};

}  // namespace

// Whether a piece comes byte by byte or whole, the letter is spelled in full.
TEST_F(Utf8TextTest, CaseThatChangesLengthIsSpelledInFull) {
  for (const TSpelledCase& c : SpelledCases) {
    EXPECT_EQ(Make(c.In, c.Transform)->FText, c.Out) << c.In;
    auto Font = std::make_unique<TMyFont>();
    Font->Charset = UTF8_CHARSET;
    Font->FLeadByteSet = LeadByteSetOfCharSet(UTF8_CHARSET);
    TSection Whole(&Doc, std::move(Font));
    Whole.FCaseTransform = c.Transform;
    std::vector<int> Indexes(c.In.size());
    for (size_t I = 0; I < Indexes.size(); ++I) Indexes[I] = int(I);
    Whole.AppendChars(c.In.data(), Indexes.data(), int(c.In.size()));
    Whole.CompleteText();
    EXPECT_EQ(Whole.FText, c.Out) << c.In;
  }
}

// A spelled letter is one character: its source offset is the letter's, the next
// character's is its own, carets and hits stop only at its start and lines never break
// inside it.
TEST_F(Utf8TextTest, SpelledLetterStandsAsOneCharacter) {
  // "\uFB00 \uFB00\uFB00 \u0149x \u0390\u0390"
  const std::string In = "\xEF\xAC\x80 \xEF\xAC\x80\xEF\xAC\x80 \xC5\x89x \xCE\x90\xCE\x90";
  auto S = Make(In, TTextTransform::Upper);
  ASSERT_EQ(S->FText, "FF FFFF \xCA\xBCNX \xCE\x99\xCC\x88\xCC\x81\xCE\x99\xCC\x88\xCC\x81");
  // Character starts in the text, and where each stands in the source.
  const std::vector<std::pair<int, int>> Starts = {
      {0, 0}, {2, 3}, {3, 4}, {5, 7}, {7, 10}, {8, 11}, {11, 13}, {12, 14}, {13, 15}, {19, 17}};
  for (const auto& [Pos, Source] : Starts) EXPECT_EQ(S->DocToSourcePos(Pos), Source) << Pos;
  auto IsStart = [&](int P) {
    for (const auto& St : Starts)
      if (St.first == P) return true;
    return P == S->Len();
  };
  LayOut(*S, 300);
  for (int P = 0; P < S->Len(); ++P) {
    int X = 0, Y = 0, XR, YR, CaretHt;
    bool InText;
    if (!IsStart(P)) continue;
    ASSERT_TRUE(S->PositionToPoint(&Canvas, P, X, Y)) << P;
    EXPECT_EQ(S->PositionAtPoint(&Canvas, X, Y, XR, YR, CaretHt, InText), P) << P;
  }
  for (int X = 0; X < 300; ++X) {
    int XR, YR, CaretHt;
    bool InText;
    const int Hit = S->PositionAtPoint(&Canvas, X, 5, XR, YR, CaretHt, InText);
    if (Hit >= 0) EXPECT_TRUE(IsStart(Hit)) << X << " hits " << Hit;
  }
  for (int Width = 1; Width < 120; ++Width) {
    LayOut(*S, Width);
    for (const LineRec& L : S->FLines) EXPECT_TRUE(IsStart(L.TextStart)) << Width;
  }
  // Spaces dropped before and between keep the marks on the letters they move down.
  auto Spaced = Make("  \xEF\xAC\x80   \xEF\xAC\x80x", TTextTransform::Upper);
  ASSERT_EQ(Spaced->FText, "FF FFX");
  LayOut(*Spaced, 300);
  for (int X = 0; X < 300; ++X) {
    int XR, YR, CaretHt;
    bool InText;
    const int Hit = Spaced->PositionAtPoint(&Canvas, X, 5, XR, YR, CaretHt, InText);
    EXPECT_TRUE(Hit != 1 && Hit != 4) << X << " hits " << Hit;
  }
}
