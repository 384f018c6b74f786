// "white-space" on any element: text that must not wrap keeps to one line.
#include <gtest/gtest.h>

#include <string>

#include "tests/document/layout_test_util.h"

namespace {

std::string Words(int Count) {
  std::string S;
  for (int I = 0; I < Count; ++I) S += "word ";
  return S;
}

// Lines of the section holding "first", laid out 120 pixels wide.
size_t LinesOf(const std::string& Html) {
  TLaidOut L(Html, 120);
  TSection* S = L.SectionOf("first");
  EXPECT_NE(S, nullptr) << Html;
  return S ? S->FLines.size() : 0;
}

TEST(WhiteSpace, NowrapKeepsTheTextOfAnyElementOnOneLine) {
  const std::string Long = "first " + Words(20);
  const struct {
    std::string Html;
    bool OneLine;
  } Cases[] = {
      {"<p>" + Long + "</p>", false},
      {"<p style=\"white-space:nowrap\">" + Long + "</p>", true},
      {"<div style=\"white-space:nowrap\"><p>" + Long + "</p></div>", true},
      {"<style>.k { white-space: nowrap }</style><p class=k>" + Long + "</p>", true},
      {"<p>first<span style=\"white-space:nowrap\">" + Words(20) + "</span></p>", true},
      {"<p style=\"white-space:nowrap\">first <span style=\"white-space:normal\">" + Words(20) +
           "</span></p>",
       false},
      {"<p style=\"white-space:pre\">" + Long + "</p>", true},
      {"<p style=\"white-space:normal\">" + Long + "</p>", false},
  };
  for (const auto& Case : Cases) {
    const size_t Lines = LinesOf(Case.Html);
    if (Case.OneLine)
      EXPECT_EQ(Lines, 1u) << Case.Html;
    else
      EXPECT_GT(Lines, 1u) << Case.Html;
  }
}

}  // namespace

namespace {

TEST(WhiteSpace, PreKeepsBlanksAndLineEndsOfAnyElement) {
  const struct {
    std::string Html;
    std::string Text;  // what the section holding "first" keeps, breaks shown as "|"
    size_t Lines;
  } Cases[] = {
      {"<p style=\"white-space:pre\">first  a\n b   c\nd</p>", "first  a| b   c|d", 3},
      {"<style>.k { white-space: pre }</style><p class=k>first  a\nb</p>", "first  a|b", 2},
      {"<div style=\"white-space:pre\"><span>first  a\nb</span></div>", "first  a|b", 2},
      // An element inside that says "normal" collapses its own text again.
      {"<p style=\"white-space:pre\">first  a\n <span style=\"white-space:normal\">b   c\n d"
       "</span></p>",
       "first  a| b c d", 2},
      {"<p style=\"white-space:nowrap\">first  a\nb</p>", "first a b", 1},
      {"<p>first  a\nb</p>", "first a b", 1},
  };
  for (const auto& Case : Cases) {
    TLaidOut L(Case.Html, 600);
    TSection* S = L.SectionOf("first");
    ASSERT_NE(S, nullptr) << Case.Html;
    std::string Text = S->FText;
    for (char& C : Text)
      if (C == ccBreak) C = '|';
    EXPECT_EQ(Text, Case.Text) << Case.Html;
    EXPECT_EQ(S->FLines.size(), Case.Lines) << Case.Html;
  }
}

// A box that fits the text's width measures preserved text by its longest line, not by
// all its lines side by side.
TEST(WhiteSpace, PreservedLinesMeasureOneByOne) {
  TLaidOut L("<p style=\"white-space:pre\">first\nsecond\nthird</p>", 600);
  TSection* S = L.SectionOf("first");
  ASSERT_NE(S, nullptr);
  int Min = 0, Max = 0;
  S->MeasureWidths(&L.Canvas, Min, Max);
  EXPECT_EQ(Min, Max);
  EXPECT_EQ(Max, S->TextWidth(S->FText.find("second"), 6, false));
}

}  // namespace
