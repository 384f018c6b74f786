// Parts of an element styled apart from the rest: its first line and first letter
// (":first-line", ":first-letter") and the text generated before and after it.
#include <gtest/gtest.h>

#include <string>

#include "style/colors.h"
#include "style/element_font.h"
#include "tests/document/layout_test_util.h"

namespace {

const std::string Words =
    "alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike "
    "november oscar papa quebec romeo sierra tango uniform victor whiskey xray yankee zulu";

TColor Css(const char* Text) {
  TColor C = 0;
  ParseColor(Text, true, C);
  return C;
}
TColor Red() { return Css("#ff0000"); }
TColor Blue() { return Css("#0000ff"); }
TColor Green() { return Css("#00ff00"); }
TColor Yellow() { return Css("#ffff00"); }

int EmOf(const TMyFont& Font) { return MeasureFont(Font).EmPixels; }

const TMyFont& FontAt(const TSection& S, int Pos) {
  int Overhang = 0;
  return *S.FFontRuns.FontAt(Pos, Overhang);
}

// Characters on the first line of the section holding Text.
int FirstLineChars(TLaidOut& L, const std::string& Text) {
  TSection* S = L.SectionOf(Text);
  if (!S) S = L.SectionOf("ZULU");
  EXPECT_NE(S, nullptr);
  return S && !S->FLines.empty() ? S->FLines[0].CharCount : -1;
}

// The first line breaks where it would if the whole paragraph had the first line's style,
// at every width, and only its characters take that style; a second layout at another
// width moves the change with the line end.
TEST(FirstLine, StyleCoversExactlyTheFittedFirstLine) {
  struct TCase {
    const char* Declarations;
  };
  const TCase Cases[] = {
      {"font-size: 24px"},
      {"letter-spacing: 6px"},
      {"word-spacing: 20px"},
      {"font-weight: bold; font-size: 18px"},
      {"text-transform: uppercase"},
  };
  for (const TCase& C : Cases) {
    const std::string Styled = std::string("<style>p:first-line { ") + C.Declarations +
                               "; color: #ff0000 }</style><p>" + Words + "</p>";
    const std::string Whole = std::string("<p style=\"") + C.Declarations + "\">" + Words + "</p>";
    TLaidOut L(Styled, 500);
    for (int Width : {500, 260, 700}) {
      SCOPED_TRACE(std::string(C.Declarations) + " at " + std::to_string(Width));
      int SW = 0, Curs = 0;
      L.D.Doc.LayoutCell(&L.Canvas, 0, Width, 600, SW, Curs);
      TLaidOut Reference(Whole, Width);
      const int N = FirstLineChars(L, "zulu");
      ASSERT_GT(N, 0);
      EXPECT_EQ(N, FirstLineChars(Reference, "zulu"));
      TSection& S = *L.SectionOf("zulu");
      ASSERT_LT(N, S.Len());
      EXPECT_EQ(FontAt(S, 0).Color, Red());
      EXPECT_EQ(FontAt(S, N - 1).Color, Red());
      EXPECT_NE(FontAt(S, N).Color, Red());
      EXPECT_NE(FontAt(S, S.Len() - 1).Color, Red());
    }
  }
}

TEST(FirstLine, TextTransformChangesOnlyTheFirstLinesLetters) {
  TLaidOut L("<style>p:first-line { text-transform: uppercase }</style><p>" + Words + "</p>",
             300);
  TSection* S = L.SectionOf("zulu");
  ASSERT_NE(S, nullptr);
  const int N = S->FLines[0].CharCount;
  EXPECT_EQ(S->FText.substr(0, 11), "ALPHA BRAVO");
  EXPECT_EQ(S->FText.substr(N), Words.substr(size_t(N)));
}

// What elements inside the first line set themselves stays theirs; what they inherit
// comes from the first line, and past the line they are as before.
TEST(FirstLine, ElementsInsideInheritFromTheFirstLine) {
  const std::string Html =
      "<style>p:first-line { font-size: 30px; color: #ff0000 }</style>"
      "<p>aa <b>bold</b> <span style=\"color: #0000ff\">blue</span> " + Words +
      " <b>late</b></p>";
  TLaidOut L(Html, 800);
  TSection* S = L.SectionOf("zulu");
  ASSERT_NE(S, nullptr);
  const TLaidOut Plain("<p>aa <b>bold</b></p>", 800);
  TSection* P = const_cast<TLaidOut&>(Plain).SectionOf("bold");
  ASSERT_NE(P, nullptr);
  const int PlainEm = EmOf(FontAt(*P, 0));
  const int Bold = int(S->FText.find("bold"));
  const int BlueAt = int(S->FText.find("blue"));
  const int Late = int(S->FText.find("late"));
  ASSERT_LT(BlueAt, S->FLines[0].CharCount);
  ASSERT_GE(Late, S->FLines[0].CharCount);
  EXPECT_TRUE(FontAt(*S, Bold).Bold);
  EXPECT_EQ(FontAt(*S, Bold).Color, Red());
  EXPECT_GT(EmOf(FontAt(*S, Bold)), PlainEm);
  EXPECT_EQ(FontAt(*S, BlueAt).Color, Blue());
  EXPECT_GT(EmOf(FontAt(*S, BlueAt)), PlainEm);
  EXPECT_TRUE(FontAt(*S, Late).Bold);
  EXPECT_EQ(EmOf(FontAt(*S, Late)), EmOf(FontAt(*P, 3)));
  EXPECT_NE(FontAt(*S, Late).Color, Red());
}

// Only the elements the selector names take the style: by class, through the ancestors,
// and in the first block inside a styled one; a second paragraph does not.
TEST(FirstLine, SelectorsChooseTheBlocks) {
  struct TCase {
    const char* Html;
    bool Styled;
  };
  const TCase Cases[] = {
      {"<style>p.x:first-line { color: #ff0000 }</style><p class=x>target</p>", true},
      {"<style>p.x:first-line { color: #ff0000 }</style><p class=y>target</p>", false},
      {"<style>p::first-line { color: #ff0000 }</style><p>target</p>", true},
      {"<style>div p:first-line { color: #ff0000 }</style><div><p>target</p></div>", true},
      {"<style>div p:first-line { color: #ff0000 }</style><p>target</p>", false},
      {"<style>div:first-line { color: #ff0000 }</style><div><p>target</p></div>", true},
      {"<style>div:first-line { color: #ff0000 }</style><div><p>one</p><p>target</p></div>",
       false},
      {"<style>p:first-line { color: #ff0000 }</style><p>one<br>target</p>", false},
      {"<style>p.x:first-line { color: #ff0000 }</style><p class=x></p><p>target</p>", false},
      {"<style>div.x:first-line { color: #ff0000 }</style><div class=x></div><b>target</b>",
       false},
      {"<style>td:first-line { color: #ff0000 }</style><table><tr><td>target</td></tr></table>",
       true},
      {"<style>td:first-line { color: #ff0000 }</style><table><tr><td>x</td><td>target</td>"
       "</tr></table>",
       true},
      {"<style>td.x:first-line { color: #ff0000 }</style><table><tr><td class=x>x</td>"
       "<td>target</td></tr></table>",
       false},
      {"<style>td:first-line { color: #ff0000 }</style><table><tr><td>x<br>target</td></tr>"
       "</table>",
       false},
      {"<style>th:first-line { color: #ff0000 }</style><table><tr><th><p>target</p></th></tr>"
       "</table>",
       true},
      {"<style>li:first-line { color: #ff0000 }</style><ul><li>target</ul>", true},
      {"<style>li:first-line { color: #ff0000 }</style><ol><li>x<li>target</ol>", true},
      {"<style>ul:first-line { color: #ff0000 }</style><ul><li>target<li>two</ul>", true},
      {"<style>ul:first-line { color: #ff0000 }</style><ul><li>x<li>target</ul>", false},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Html);
    TLaidOut L(C.Html);
    TSection* S = L.SectionOf("target");
    ASSERT_NE(S, nullptr);
    const int At = int(S->FText.find("target"));
    EXPECT_EQ(FontAt(*S, At).Color == Red(), C.Styled);
  }
}

TEST(FirstLine, BackgroundStandsBehindTheFirstLineOnly) {
  TLaidOut L("<style>p:first-line { background: #ffff00 }</style><p>" + Words + "</p>", 300);
  TSection* S = L.SectionOf("zulu");
  ASSERT_NE(S, nullptr);
  const int N = S->FLines[0].CharCount;
  EXPECT_EQ(FontAt(*S, 0).FBackColor, Yellow());
  EXPECT_EQ(FontAt(*S, N).FBackColor, NoColour);
}

// The first letter, with the punctuation before it, is an element of its own: in the
// line with a box, or floating as a drop capital that the text flows beside.
TEST(FirstLetter, InlineLetterTakesItsOwnStyleAndBox) {
  TLaidOut L(
      "<style>p:first-letter { font-size: 40px; color: #00ff00; padding: 0 9px }</style>"
      "<p>\"Quoted words follow</p>");
  TSection* S = L.SectionOf("uoted");
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(S->FText.find("\"Quoted"), 0u);
  EXPECT_EQ(FontAt(*S, 0).Color, Green());
  EXPECT_EQ(FontAt(*S, 1).Color, Green());
  EXPECT_NE(FontAt(*S, 2).Color, Green());
  EXPECT_GT(EmOf(FontAt(*S, 1)), EmOf(FontAt(*S, 2)));
  ASSERT_EQ(S->InlineBoxes().size(), 1u);
  EXPECT_EQ(S->BoxEdges().front().Pos, 0);
  EXPECT_EQ(S->BoxEdges().back().Pos, 2);
}

// Table cells and list items have first letters as blocks do.
TEST(FirstLetter, CellsAndListItemsHaveThem) {
  const char* const Pages[] = {
      "<style>td:first-letter { color: #00ff00 }</style><table><tr><td>Quoted</td></tr></table>",
      "<style>th:first-letter { color: #00ff00 }</style><table><tr><th><b>Quoted</b></th></tr>"
      "</table>",
      "<style>li:first-letter { color: #00ff00 }</style><ul><li>Quoted</ul>",
      "<style>dd:first-letter { color: #00ff00 }</style><dl><dd>Quoted</dl>",
  };
  for (const char* Page : Pages) {
    TLaidOut L(Page);
    TSection* S = L.SectionOf("uoted");
    ASSERT_NE(S, nullptr) << Page;
    const int At = int(S->FText.find("Quoted"));
    EXPECT_EQ(FontAt(*S, At).Color, Green()) << Page;
    EXPECT_NE(FontAt(*S, At + 1).Color, Green()) << Page;
  }
}

TEST(FirstLetter, FloatingLetterIsADropCapital) {
  TLaidOut L(
      "<style>p.d:first-letter { float: left; font-size: 60px }</style>"
      "<p class=d>Drop capital " + Words + "</p><p>after</p>",
      400);
  TSection* Letter = L.SectionOf("D");
  TSection* Rest = L.SectionOf("rop capital");
  ASSERT_NE(Letter, nullptr);
  ASSERT_NE(Rest, nullptr);
  EXPECT_EQ(Letter->FText, "D");
  EXPECT_GT(EmOf(FontAt(*Letter, 0)), EmOf(FontAt(*Rest, 0)));
  // The text starts beside the letter, and its later lines too while the letter lasts.
  const int LetterRight = L.LeftOf("D");
  EXPECT_GT(LetterRight, 30);
  EXPECT_GE(L.XAt("rop capital", 0), LetterRight);
  EXPECT_LT(L.TopOf("rop capital"), L.TopOf("after"));
}

}  // namespace

namespace {

// ":before" and ":after" put the text of "content" around the element's own, each as an
// element of its own; anything but strings gives no text.
TEST(GeneratedContent, StandsAroundTheElementsText) {
  struct TCase {
    const char* Sheet;
    const char* Body;
    const char* Text;  // of the section holding "text"
  };
  const TCase Cases[] = {
      {"p:before { content: \"[\" } p:after { content: ']' }", "<p>text</p>", "[text]"},
      {"p:before { content: \"MiXeD \\\"q\\\" \" }", "<p>text</p>", "MiXeD \"q\" text"},
      {"p:before { content: \"A\\42 C\" }", "<p>text</p>", "ABCtext"},
      {"b:after { content: \" (b)\" }", "<p>one <b>text</b> three</p>", "one text (b) three"},
      {"div:before { content: \"D: \" } div:after { content: \".\" }", "<div>text</div>",
       "D: text."},
      {"h2:after { content: \"!\" }", "<h2>text</h2>", "text!"},
      {"p:before { content: none }", "<p>text</p>", "text"},
      {"p:before { content: counter(x) }", "<p>text</p>", "text"},
      {"p.x:before { content: \"X\" }", "<p>text</p>", "text"},
      {"p:before { content: \"X\"; display: none }", "<p>text</p>", "text"},
      {"li:before { content: \"* \" } li:after { content: \";\" }", "<ul><li>text</ul>",
       "* text;"},
      {"li:after { content: \";\" }", "<ol><li>text<li>two</ol>", "text;"},
      {"dt:before { content: \"- \" }", "<dl><dt>text<dd>two</dl>", "- text"},
      {"td:before { content: \"[\" } td:after { content: \"]\" }",
       "<table><tr><td>text</td></tr></table>", "[text]"},
      {"th:after { content: \"!\" }", "<table><tr><th>text<td>x</table>", "text!"},
      {"td:after { content: \"!\" }", "<table><tr><td><b>text</td><td>x</td></tr></table>",
       "text!"},
      {"td.x:before { content: \"X\" }", "<table><tr><td>text</td></tr></table>", "text"},
  };
  for (const TCase& C : Cases) {
    const std::string Html = std::string("<style>") + C.Sheet + "</style>" + C.Body;
    TLaidOut L(Html);
    TSection* S = L.SectionOf("text");
    ASSERT_NE(S, nullptr) << Html;
    EXPECT_EQ(S->FText, C.Text) << Html;
  }
}

TEST(GeneratedContent, OpensTheFirstLine) {
  TLaidOut L("<style>p:first-line { color: #ff0000 } p:before { content: \"> \" }</style>"
             "<p>text</p>");
  TSection* S = L.SectionOf("text");
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(FontAt(*S, 0).Color, Red());
  EXPECT_EQ(FontAt(*S, int(S->FText.find("text"))).Color, Red());
}

TEST(GeneratedContent, TakesItsOwnStyle) {
  TLaidOut L(
      "<style>p:before { content: \"Note \"; color: #ff0000; font-weight: bold }</style>"
      "<p>text</p>");
  TSection* S = L.SectionOf("text");
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(FontAt(*S, 0).Color, Red());
  EXPECT_TRUE(FontAt(*S, 0).Bold);
  const int At = int(S->FText.find("text"));
  EXPECT_NE(FontAt(*S, At).Color, Red());
  EXPECT_FALSE(FontAt(*S, At).Bold);
}

// Generated text shown as an inline block is a block of its own in the line: its width
// (here half the paragraph's) pushes the element's text along.
TEST(GeneratedContent, ShownAsAnInlineBlockTakesItsWidth) {
  TLaidOut L("<style>p:before { content: \"gen\"; display: inline-block; width: 50% }</style>"
             "<p>text</p>");
  TSection* Text = L.SectionOf("text");
  ASSERT_NE(Text, nullptr);
  EXPECT_EQ(Text->FText.find("gen"), std::string::npos);
  EXPECT_GE(L.LeftOf("text"), 250);
}

}  // namespace
