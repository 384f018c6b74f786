// "display" on any element: inline elements shown as blocks or not at all, divisions shown
// inline, and list markers inside the first line.
#include <gtest/gtest.h>

#include <string>

#include "tests/document/layout_test_util.h"

namespace {

std::string AllText(TLaidOut& L) {
  std::string Text;
  for (auto& F : Sections(L.D.Doc)) Text += F.Section->FText + "|";
  return Text;
}

TEST(Display, UndisplayedInlineElementsLeaveNoText) {
  const struct {
    std::string Html;
    std::string Text;
  } Cases[] = {
      {"<p>first <span style='display:none'>gone</span> after</p>", "first after|"},
      {"<style>b { display: none }</style><p>first <b>gone <b>too</b> still</b> after</p>",
       "first after|"},
      {"<p>first <em style='display:none'>gone <i>x</i></em>after</p>", "first after|"},
      // An element left open ends with what holds it.
      {"<div>first <span style='display:none'>gone</div><div>after</div>", "first |after|"},
  };
  for (const auto& Case : Cases) {
    TLaidOut L(Case.Html);
    EXPECT_EQ(AllText(L), Case.Text) << Case.Html;
  }
}

// Each of "first", "second" and "third" starts a line of its own (Lines true) or all three
// share one line.
TEST(Display, BlockAndInlineSwitchHowElementsBreakTheLine) {
  const struct {
    std::string Html;
    bool Lines;
  } Cases[] = {
      {"<p>first <span style='display:block'>second</span> third</p>", true},
      {"<p>first <a href=x style='display:block'>second</a> third</p>", true},
      {"<style>a { display: block }</style><div>first <a>second</a> third</div>", true},
      {"<p>first <span>second</span> third</p>", false},
      {"<div>first</div><div style='display:inline'>second</div><div>third</div>", true},
      {"<div>first <div style='display:inline'>second</div> "
       "<div style='display:inline'>third</div></div>",
       false},
  };
  for (const auto& Case : Cases) {
    TLaidOut L(Case.Html);
    const int First = L.TopOf("first"), Second = L.TopOf("second"), Third = L.TopOf("third");
    if (Case.Lines) {
      EXPECT_LT(First, Second) << Case.Html;
      EXPECT_LT(Second, Third) << Case.Html;
    } else {
      EXPECT_EQ(First, Second) << Case.Html;
      EXPECT_EQ(Second, Third) << Case.Html;
    }
  }
}

TEST(Display, MarkersInsideOpenTheFirstLine) {
  const struct {
    std::string Html;
    std::string Text;  // the section holding "first"
  } Cases[] = {
      {"<ol><li style='list-style-position:inside'>first</li></ol>", "1. first"},
      {"<ol style='list-style: upper-roman inside'><li>a<li>first</ol>", "II. first"},
      {"<div style='display:list-item; list-style: decimal inside'> first</div>", "1. first"},
      {"<p style='display:list-item; list-style: lower-alpha inside'>first</p>", "a. first"},
      // Bullets stay outside, as do markers of items that do not ask.
      {"<ul style='list-style-position:inside'><li>first</li></ul>", "first"},
      {"<ol><li>first</li></ol>", "first"},
  };
  for (const auto& Case : Cases) {
    TLaidOut L(Case.Html);
    TSection* S = L.SectionOf("first");
    ASSERT_NE(S, nullptr) << Case.Html;
    EXPECT_EQ(S->FText, Case.Text) << Case.Html;
  }
}

}  // namespace
