#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/core/token_obj.h"

namespace {

class TextSectionTest : public ::testing::Test {
 protected:
  TSectionList Doc{nullptr, nullptr};
  TCanvas Canvas;
  IndentManager IMgr;

  std::unique_ptr<TSection> Make(const std::string& Text, int FirstSource = 0,
                                 bool ShiftJis = false) {
    auto Font = std::make_unique<TMyFont>();
    Font->Name = "Arial";
    Font->Size = 12;
    if (ShiftJis) {
      Font->Charset = SHIFTJIS_CHARSET;
      Font->FLeadByteSet = LeadByteSetOfCharSet(SHIFTJIS_CHARSET);
    }
    auto S = std::make_unique<TSection>(&Doc, std::move(Font));
    for (size_t I = 0; I < Text.size(); ++I) S->AppendChar(Text[I], FirstSource + int(I));
    return S;
  }
  int LayOut(TSection& S, int Width, int& MaxWidth) {
    IMgr.SetEdges(0, Width);
    int Curs = 0;
    return S.Layout(&Canvas, 0, 0, 0, 0, Width, 10000, &IMgr, MaxWidth, Curs);
  }
  int LayOut(TSection& S, int Width) {
    int MaxWidth = 0;
    return LayOut(S, Width, MaxWidth);
  }
  std::string LineText(const TSection& S, size_t I) {
    const LineRec& L = S.FLines[I];
    return S.FText.substr(L.TextStart, L.CharCount);
  }
  int Width(TSection& S, const std::string& Part) {
    const size_t P = S.FText.find(Part);
    return S.TextWidth(int(P), int(Part.size()), false);
  }
};

TEST(TokenObjTest, GrowsAndKeepsIndexesAndIgnoresReplacementsOutsideTheText) {
  TokenObj T;
  for (int I = 0; I < 301; ++I) T.Append('a' + I % 26, I * 2);
  EXPECT_EQ(T.Count(), 301);
  EXPECT_EQ(T.Capacity(), 350);
  EXPECT_EQ(T.Indexes()[300], 600);
  T.ReplaceChar(1, 'Z');
  T.ReplaceChar(0, 'Q');
  T.ReplaceChar(302, 'Q');
  EXPECT_EQ(T.AsString()[0], 'Z');
  EXPECT_EQ(T.AsString().find('Q'), std::string::npos);
  T.ReplaceChar(2, 'Y');  // while the cached text is valid
  EXPECT_EQ(T.AsString().substr(0, 2), "ZY");
  TokenObj U;
  U.AppendToken(T);
  EXPECT_EQ(U.AsString(), T.AsString());
  T.Clear();
  EXPECT_EQ(T.AsString(), "");
}

TEST_F(TextSectionTest, CompleteTextCollapsesSpacesAndRemovesSoftHyphens) {
  struct Case {
    std::string In, Out, Flags;
  } Cases[] = {
      {"  a  b", "a b", "yyyy"},
      // Beside a non-breaking space a space goes, on either side, however many.
      {"a \5b", "a b", "ynyy"},
      {"a\5 b", "a b", "ynyy"},
      {"a  \5  b", "a b", "ynyy"},
      {"a \5\5 b", "a  b", "ynnyy"},
      {" \5a", " a", "nyy"},
      {"soft\xADhy", "softhy", "yyyyyyy"},
      {"x  \b", "x\b", "yyy"},
      {"x\b  y", "x\by", "yyyy"},
  };
  for (const Case& C : Cases) {
    auto S = Make(C.In);
    S->CompleteText();
    EXPECT_EQ(S->FText, C.Out) << C.In;
    EXPECT_EQ(S->BreakFlags(), C.Flags) << C.In;
  }
}

TEST_F(TextSectionTest, CollapsingKeepsTheBreakableSpaceAndMovesRunsDown) {
  auto S = Make("a");
  S->FNoBreak = true;
  S->AppendChar(' ', 1);
  S->FNoBreak = false;
  S->AppendChar(' ', 2);
  S->StartFontRun(std::make_unique<TMyFont>(), "");
  S->AppendChar('b', 3);
  S->CompleteText();
  EXPECT_EQ(S->FText, "a b");
  EXPECT_EQ(S->BreakFlags(), "yyyy");
  ASSERT_EQ(S->FFontRuns.Count(), 2);
  EXPECT_EQ(S->FFontRuns[1]->FPos, 2);
}

TEST_F(TextSectionTest, EmptySectionIsDroppedUnlessAnchoredOrClearing) {
  auto S = Make("   ");
  EXPECT_FALSE(S->PrepareToAdd());
  auto A = Make(" ");
  A->FHasAnchor = true;
  EXPECT_TRUE(A->PrepareToAdd());
  auto C = Make("");
  C->FClear = TClearSides::Both;
  EXPECT_TRUE(C->PrepareToAdd());
  EXPECT_EQ(LayOut(*C, 300), 0);  // no floats: no clear space
}

TEST_F(TextSectionTest, BreaksAfterHyphensAndQuestionMarks) {
  for (const std::string Text : {"well-known", "what?now"}) {
    auto S = Make(Text);
    S->CompleteText();
    const std::string First = Text.substr(0, Text.find_first_of("-?") + 1);
    LayOut(*S, Width(*S, First) + 2);
    ASSERT_EQ(S->FLines.size(), 2u) << Text;
    EXPECT_EQ(LineText(*S, 0), First);
  }
}

TEST_F(TextSectionTest, NonBreakingSpaceAndNoBreakRegionDoNotBreak) {
  auto S = Make("aaaa\5bbbb cc");
  S->CompleteText();
  LayOut(*S, Width(*S, "aaaa b") + 1);
  ASSERT_GE(S->FLines.size(), 2u);
  EXPECT_EQ(LineText(*S, 0), "aaaa bbbb ");
}

// At every width: a line never ends at a non-breaking space, nor right before one
// (unless after a space), nor inside a double-byte character. The least width holds
// every line.
TEST_F(TextSectionTest, NoLineBreaksBesideANonBreakingSpaceAtAnyWidth) {
  const std::string Kana = "\x82\xa0\x82\xa2";  // two double-byte characters, lead 0x82
  const struct {
    std::string Text;
    bool ShiftJis;
  } Cases[] = {
      {"ab\5cd efgh", false},
      {"x ab\5cd ef gh\5ij kl", false},
      {"ab \5cd ef", false},
      {"a\5\5b c", false},
      {Kana + "\5" + Kana + " " + Kana, true},
      {"ab\5" + Kana + Kana + "\5cd", true},
  };
  for (const auto& C : Cases) {
    auto S = Make(C.Text, 0, C.ShiftJis);
    S->CompleteText();
    const std::string Flags = S->BreakFlags();
    const int Full = S->TextWidth(0, S->Len(), false);
    for (int W = 1; W <= Full + 1; ++W) {
      LayOut(*S, W);
      for (size_t I = 1; I < S->FLines.size(); ++I) {
        const int B = S->FLines[I].TextStart;
        const std::string Where = C.Text + " width " + std::to_string(W) + " line " +
                                  std::to_string(I);
        ASSERT_GT(B, 0) << Where;
        EXPECT_NE(Flags[B - 1], 'n') << Where;
        EXPECT_FALSE(Flags[B] == 'n' && S->FText[B] == ' ' && S->FText[B - 1] != ' ') << Where;
        EXPECT_NE(static_cast<unsigned char>(S->FText[B - 1]), 0x82) << Where;
      }
    }
    int Min = 0, Max = 0, MaxWidth = 0;
    S->MeasureWidths(&Canvas, Min, Max);
    LayOut(*S, Min, MaxWidth);
    EXPECT_EQ(MaxWidth, Min) << C.Text;
  }
}

// Megabyte runs with few or no places to break: each line holds what fits and ends only
// where a line may end, and the codes that go (soft hyphens, spaces beside breaks) go.
TEST_F(TextSectionTest, MegabyteRunsBreakOnlyWhereLinesMayEnd) {
  const struct {
    const char* Name;
    std::string Piece;
    bool ShiftJis;
    std::string Kept;  // the piece as the text keeps it
    int Step;          // characters from one place to break to the next; 0 when none
    bool Filled;       // lines end where the next piece would not fit
  } Cases[] = {
      {"double-byte without spaces", "\x88\x9f", true, "\x88\x9f", 2, true},
      {"hyphenated word", "ab-", false, "ab-", 3, true},
      {"spaces around breaks", "a \b ", false, "a\b", 2, false},
      {"word without a break", "w", false, "w", 0, false},
      {"non-breaking spaces", "a\5", false, "a ", 0, false},
      {"soft hyphens", "a\xAD", false, "a", 0, false},
  };
  for (const auto& C : Cases) {
    const int Count = (1 << 20) / static_cast<int>(C.Piece.size());
    std::string Text, Kept;
    for (int I = 0; I < Count; ++I) Text += C.Piece, Kept += C.Kept;
    auto S = Make("", 0, C.ShiftJis);
    std::vector<int> Sources(Text.size());
    for (size_t I = 0; I < Text.size(); ++I) Sources[I] = static_cast<int>(I);
    S->AppendChars(Text.data(), Sources.data(), static_cast<int>(Text.size()));
    S->CompleteText();
    ASSERT_TRUE(S->FText == Kept) << C.Name;
    LayOut(*S, 300);
    if (C.Step == 0) {
      EXPECT_EQ(S->FLines.size(), 1u) << C.Name;
      continue;
    }
    int Next = 0;
    for (size_t I = 0; I < S->FLines.size(); ++I) {
      const LineRec& L = S->FLines[I];
      const std::string Where = std::string(C.Name) + " line " + std::to_string(I);
      ASSERT_EQ(L.TextStart, Next) << Where;
      Next += L.CharCount;
      ASSERT_EQ(L.CharCount % C.Step, 0) << Where;
      ASSERT_LE(S->TextWidth(L.TextStart, L.CharCount, true), L.AvailWidth) << Where;
      if (!C.Filled) {
        ASSERT_EQ(L.CharCount, C.Step) << Where;
      } else if (Next < S->Len()) {
        ASSERT_GT(S->TextWidth(L.TextStart, L.CharCount + C.Step, true), L.AvailWidth) << Where;
      }
    }
    EXPECT_EQ(Next, S->Len()) << C.Name;
    EXPECT_GT(S->FLines.size(), 1000u) << C.Name;
  }
}

TEST_F(TextSectionTest, WordWiderThanLineStaysWholeAndWidensMaxWidth) {
  auto S = Make("extraordinarily long");
  S->CompleteText();
  int MaxWidth = 0;
  LayOut(*S, 20, MaxWidth);
  ASSERT_EQ(S->FLines.size(), 2u);
  EXPECT_EQ(LineText(*S, 0), "extraordinarily ");
  EXPECT_EQ(MaxWidth, Width(*S, "extraordinarily"));
}

TEST_F(TextSectionTest, BreakEndsTheLineAndALoneBreakKeepsAFontHighLine) {
  auto S = Make("abc\bdef");
  S->CompleteText();
  LayOut(*S, 500);
  ASSERT_EQ(S->FLines.size(), 2u);
  EXPECT_EQ(LineText(*S, 0), "abc\b");
  EXPECT_EQ(LineText(*S, 1), "def");

  auto B = Make("\b");
  B->CompleteText();
  const int H = LayOut(*B, 500);
  ASSERT_EQ(B->FLines.size(), 1u);
  EXPECT_EQ(H, B->FFontRuns[0]->FFontHeight);
  EXPECT_GT(H, 0);
}

TEST_F(TextSectionTest, AlignmentPlacesTheLineWithoutTrailingSpaces) {
  const int W = 400;
  for (TTextAlign Align : {TTextAlign::Left, TTextAlign::Center, TTextAlign::Right}) {
    auto S = Make("ab cd");
    S->FAlign = Align;
    S->CompleteText();
    LayOut(*S, W);
    ASSERT_EQ(S->FLines.size(), 1u);
    const int TW = Width(*S, "ab cd");
    const int Expected = Align == TTextAlign::Left     ? 0
                         : Align == TTextAlign::Center ? (W - TW) / 2
                                                       : W - TW;
    EXPECT_EQ(S->FLines[0].Indent, Expected) << int(Align);
  }
}

TEST_F(TextSectionTest, JustifyStretchesEveryLineButTheLast) {
  auto S = Make("aa bb cc dd ee");
  S->FAlign = TTextAlign::Justify;
  S->CompleteText();
  const int W = Width(*S, "aa bb cc") + 3;
  LayOut(*S, W);
  ASSERT_EQ(S->FLines.size(), 2u);
  EXPECT_EQ(LineText(*S, 0), "aa bb cc ");
  EXPECT_EQ(S->FLines[0].SpaceCount, 2);
  EXPECT_EQ(S->FLines[0].ExtraWidth, W - Width(*S, "aa bb cc"));
  EXPECT_EQ(S->FLines[1].SpaceCount, 0);
  EXPECT_EQ(S->FLines[1].ExtraWidth, 0);
}

TEST_F(TextSectionTest, LineHeightPutsTheSmallerHalfAbove) {
  auto S = Make("text");
  S->CompleteText();
  const int FH = S->FFontRuns[0]->FFontHeight;
  S->FLineHeight = FH + 5;
  EXPECT_EQ(LayOut(*S, 300), FH + 5);
  EXPECT_EQ(S->FLines[0].GapAbove, 2);
  EXPECT_EQ(S->FLines[0].GapBelow, 3);
}

TEST_F(TextSectionTest, FirstLineIndentInPixelsAndPercent) {
  auto S = Make("aa bb cc dd ee ff gg hh");
  S->FFirstIndent = 30;
  S->CompleteText();
  LayOut(*S, Width(*S, "aa bb") + 31);
  ASSERT_GE(S->FLines.size(), 2u);
  EXPECT_EQ(S->FLines[0].Indent, 30);
  EXPECT_EQ(S->FLines[1].Indent, 0);

  auto P = Make("aa bb");
  P->FFirstIndentPct = 10;
  P->CompleteText();
  LayOut(*P, 400);
  EXPECT_EQ(P->FFirstIndent, 40);
  EXPECT_EQ(P->FLines[0].Indent, 40);
}

TEST_F(TextSectionTest, ScriptOffsetsRaiseAndLowerTheBaseline) {
  auto S = Make("x");
  TFontObj& Run = *S->FFontRuns[0];
  Run.FScript = TScript::Normal;
  EXPECT_EQ(TSection::ScriptOffset(Run), 0);
  Run.FScript = TScript::Super;
  EXPECT_EQ(TSection::ScriptOffset(Run), -(Run.FFontHeight / 3));
  Run.FScript = TScript::Sub;
  EXPECT_EQ(TSection::ScriptOffset(Run), Run.FDescent / 2 + 1);
}

TEST_F(TextSectionTest, TextTransformKeepsSourcePositions) {
  auto S = Make("");
  S->FCaseTransform = TTextTransform::Upper;
  TokenObj T;
  for (int I = 0; I < 5; ++I) T.Append("hello"[I], 100 + I);
  S->AppendTokens(T);
  S->CompleteText();
  EXPECT_EQ(S->FText, "HELLO");
  LayOut(*S, 300);
  for (int I = 0; I < 5; ++I) EXPECT_EQ(S->DocToSourcePos(I), 100 + I);
}

TEST_F(TextSectionTest, TextTransformMapsBytesInTheRunsCodePage) {
  struct TCase {
    uint8_t Charset;
    TTextTransform Transform;
    std::string In, Out;
  };
  using enum TTextTransform;
  const TCase Cases[] = {
      {ANSI_CHARSET, Upper, "a\xe0\xf7\xff\x9a", "A\xc0\xf7\x9f\x8a"},
      {RUSSIAN_CHARSET, Upper, "a\xe0\xf7\xff\xb8", "A\xc0\xd7\xdf\xa8"},
      {RUSSIAN_CHARSET, Lower, "\xc0\xd7\xdf\xa8", "\xe0\xf7\xff\xb8"},
      {GREEK_CHARSET, Upper, "\xe1\xf2\xdc", "\xc1\xd3\xa2"},
      {EASTEUROPE_CHARSET, Lower, "\xa3\x8a\xc8", "\xb3\x9a\xe8"},
      // Trail bytes that look like letters keep their bytes.
      {SHIFTJIS_CHARSET, Upper, "x\x83\x61" "y\x82\xa0z", "X\x83\x61" "Y\x82\xa0Z"},
      {SHIFTJIS_CHARSET, Capitalize, "\x83\x61" "b c", "\x83\x61" "B C"},
  };
  for (const auto& C : Cases) {
    auto Font = std::make_unique<TMyFont>();
    Font->Charset = C.Charset;
    Font->FLeadByteSet = LeadByteSetOfCharSet(C.Charset);
    TSection S(&Doc, std::move(Font));
    S.FCaseTransform = C.Transform;
    // In pieces, as the builder hands text over.
    S.AppendChar(C.In[0], 0);
    for (size_t I = 1; I < C.In.size(); I += 2)
      S.AppendChars(C.In.data() + I, std::vector<int>(2, 1).data(),
                    int(std::min<size_t>(2, C.In.size() - I)));
    EXPECT_EQ(S.FText, C.Out) << int(C.Charset) << " " << C.In;
  }
}

TEST_F(TextSectionTest, PositionToPointAndBackGiveTheSamePosition) {
  auto S = Make("The quick brown fox jumps over the lazy dog, twice or thrice.");
  S->FAlign = TTextAlign::Justify;
  S->CompleteText();
  LayOut(*S, 150);
  ASSERT_GE(S->FLines.size(), 3u);
  for (int P = 0; P < S->Len(); ++P) {
    int X = 0, Y = 0;
    ASSERT_TRUE(S->PositionToPoint(&Canvas, P, X, Y)) << P;
    int XR, YR, CaretHt;
    bool InText;
    EXPECT_EQ(S->PositionAtPoint(&Canvas, X, Y, XR, YR, CaretHt, InText), P) << P;
    EXPECT_EQ(XR, X) << P;
  }
  int X, Y;
  EXPECT_FALSE(S->PositionToPoint(&Canvas, S->Len() + 1, X, Y));
}

TEST_F(TextSectionTest, SourceAndDocumentPositionsAgree) {
  // "ab" at 10, then markup, then "cd" at 20.
  auto S = Make("ab", 10);
  S->AppendChar('c', 20);
  S->AppendChar('d', 21);
  S->CompleteText();
  ASSERT_EQ(S->FSourceMap.size(), 2u);
  LayOut(*S, 300);
  for (int P = 0; P < 4; ++P) EXPECT_EQ(S->SourceToDocPos(S->DocToSourcePos(P), false), P);
  EXPECT_EQ(S->DocToSourcePos(4), -1);
  EXPECT_EQ(S->SourceToDocPos(15, true), 1);   // inside markup: the character before
  EXPECT_EQ(S->SourceToDocPos(15, false), 2);  // and after
  EXPECT_EQ(S->SourceToDocPos(5, true), -1);
  EXPECT_EQ(S->SourceToDocPos(5, false), 0);
  EXPECT_EQ(S->SourceToDocPos(30, true), 3);
  EXPECT_EQ(S->SourceToDocPos(30, false), -1);
}

// Source offsets survive what completing the text removes and joins, and the map holds an
// entry per stretch of consecutive offsets, while the text is open as after.
TEST_F(TextSectionTest, SourceMapKeepsAnEntryPerStretch) {
  struct TPiece {
    std::string Text;
    int Source;
  };
  struct TCase {
    const char* Name;
    std::vector<TPiece> Pieces;
    std::string Text;
    std::vector<int> Sources;
  } cases[] = {
      {"leading spaces", {{"  ab", 0}}, "ab", {2, 3}},
      {"two spaces", {{"a  b", 0}}, "a b", {0, 1, 3}},
      {"space and no-break space", {{std::string("a \5b", 4), 0}}, "a b", {0, 2, 3}},
      {"spaces around a break", {{"a \x08 b", 0}}, "a\x08" "b", {0, 2, 4}},
      {"pieces", {{"ab", 10}, {" ", 12}, {" ", 40}, {"cd", 41}}, "ab cd", {10, 11, 12, 41, 42}},
      {"characters of several bytes", {{"\xCE\xB1\xCE\xB2 x", 5}}, "\xCE\xB1\xCE\xB2 x",
       {5, 6, 7, 8, 9, 10}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto S = Make("");
    size_t Stretches = 0;
    int Last = -2;
    for (const TPiece& Piece : c.Pieces)
      for (size_t I = 0; I < Piece.Text.size(); ++I) {
        const int Source = Piece.Source + int(I);
        S->AppendChar(Piece.Text[I], Source);
        Stretches += Source != Last + 1;
        Last = Source;
      }
    EXPECT_EQ(S->FSourceMap.size(), Stretches);
    S->CompleteText();
    EXPECT_EQ(S->FText, c.Text);
    ASSERT_EQ(int(c.Sources.size()), S->Len());
    size_t Expected = 0;
    for (int P = 0; P < S->Len(); ++P) {
      EXPECT_EQ(S->DocToSourcePos(P), c.Sources[P]) << P;
      Expected += P == 0 || c.Sources[P] != c.Sources[P - 1] + 1;
    }
    EXPECT_EQ(S->FSourceMap.size(), Expected);
  }
}

// Offsets given a run at a time keep an entry per stretch wherever a stretch ends: at each
// place of a run up to past three steps of four, and in runs that go on from the last.
TEST_F(TextSectionTest, RunsOfOffsetsKeepAnEntryPerStretch) {
  for (int Jump = 0; Jump <= 13; ++Jump) {
    SCOPED_TRACE(Jump);
    auto S = Make("");
    std::vector<int> Sources;
    std::string Text;
    for (int Run = 0; Run < 3; ++Run) {
      std::vector<int> Indexes;
      for (int I = 0; I < 14; ++I) {
        const int Last = Sources.empty() ? 100 : Sources.back();
        Indexes.push_back(Last + (I == Jump ? 5 : 1));
        Sources.push_back(Indexes.back());
      }
      const std::string Piece(Indexes.size(), 'x');
      S->AppendChars(Piece.data(), Indexes.data(), int(Indexes.size()));
      Text += Piece;
    }
    size_t Stretches = 0;
    for (size_t P = 0; P < Sources.size(); ++P) {
      EXPECT_EQ(S->DocToSourcePos(int(P)), Sources[P]) << P;
      Stretches += P == 0 || Sources[P] != Sources[P - 1] + 1;
    }
    EXPECT_EQ(S->FSourceMap.size(), Stretches);
  }
}

TEST_F(TextSectionTest, FindTextWithAndWithoutCase) {
  auto S = Make("Hello World, hello again");
  S->CompleteText();
  LayOut(*S, 500);
  EXPECT_EQ(S->FindText("hello", 0, true), 13);
  EXPECT_EQ(S->FindText("hello", 0, false), 0);
  EXPECT_EQ(S->FindText("WORLD", 0, false), 6);
  EXPECT_EQ(S->FindText("WORLD", 0, true), -1);
  EXPECT_EQ(S->FindText("hello", 1, false), 13);
  EXPECT_EQ(S->FindText("again!", 0, false), -1);
  EXPECT_EQ(S->FindText("x", 100, false), -1);
}

TEST_F(TextSectionTest, MeasureWidthsGivesWidestWordAndWholeLine) {
  auto S = Make("tiny enormousword ok");
  S->CompleteText();
  int Min = 0, Max = 0;
  S->MeasureWidths(&Canvas, Min, Max);
  EXPECT_EQ(Min, Width(*S, "enormousword"));
  EXPECT_EQ(Max, S->TextWidth(0, S->Len(), false));
}

}  // namespace
