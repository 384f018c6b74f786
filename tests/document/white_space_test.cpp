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
