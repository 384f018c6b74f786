// Line height and letter case of text sections as documents ask for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "style/element_font.h"
#include "tests/reader/builder_test_util.h"

namespace {

std::string Fill(std::string Html, const std::string& Value) {
  for (size_t P; (P = Html.find("{}")) != std::string::npos;) Html.replace(P, 2, Value);
  return Html;
}

// Text tops of every line of the first section holding Text, from the section's top, and
// the document height.
struct TLaidOut {
  std::vector<int> TextTops;
  int TextHeight = 0;
  int EmPixels = 0;
  int LineHeight = 0;
  int DocHeight = 0;
};

TLaidOut LayOutDoc(const std::string& Html, const std::string& Text, int Width) {
  TBuiltDoc D;
  D.Build(Html);
  TCanvas Canvas;
  int SW = 0, Curs = 0;
  TLaidOut Out;
  Out.DocHeight = D.Doc.LayoutCell(&Canvas, 0, Width, 600, SW, Curs);
  for (const TFoundSection& F : Sections(D.Doc)) {
    const TSection& S = *F.Section;
    if (S.FText.find(Text) == std::string::npos) continue;
    int Top = 0;
    for (const LineRec& L : S.FLines) {
      Out.TextTops.push_back(Top + L.GapAbove);
      Out.TextHeight = L.TextHeight;
      Top += L.Advance();
    }
    Out.EmPixels = MeasureFont(*S.FFontRuns[0]->FFont).EmPixels;
    Out.LineHeight = S.FLineHeight;
    break;
  }
  return Out;
}

// Each value spreads every line of the section to its height, the smaller half of the
// extra space above the text, wherever the value comes from; "normal" is the font's own.
TEST(TextStyle, LineHeightSpreadsLinesWhereverItIsSet) {
  const char* Text = "aa bb cc dd ee ff";
  const std::string Sources[] = {
      "<p style=\"line-height:{}\">aa bb cc dd ee ff</p>",
      "<p title=kept style=\"line-height:{}\">aa bb cc dd ee ff</p>",
      "<p style=\"line-height:{}\"><b>aa</b> bb cc dd ee ff</p>",
      "<div style=\"line-height:{}\">aa bb cc dd ee ff</div>",
      "<style>p { line-height: {} }</style><p>aa bb cc dd ee ff</p>",
      "<style>div { line-height: {} }</style><div>x<p>aa bb cc dd ee ff</p></div>",
      "<style>body { line-height: {} }</style><body><p>aa bb cc dd ee ff</p>",
      "<body style=\"line-height:{}\">aa bb cc dd ee ff",
  };
  const int Width = 60;
  for (const std::string& Source : Sources) {
    const TLaidOut Plain = LayOutDoc(Fill(Source, "normal"), Text, Width);
    ASSERT_GE(Plain.TextTops.size(), 3u) << Source;
    EXPECT_EQ(Plain.LineHeight, 0) << Source;
    const int Em = Plain.EmPixels, TH = Plain.TextHeight;
    const struct {
      std::string Value;
      int Pixels;
    } Values[] = {{"40px", 40}, {"2.5", Em * 5 / 2}, {"250%", Em * 5 / 2}, {"2em", 2 * Em}};
    for (const auto& V : Values) {
      const std::string Html = Fill(Source, V.Value);
      ASSERT_GT(V.Pixels, TH) << Html;
      const TLaidOut Spread = LayOutDoc(Html, Text, Width);
      EXPECT_EQ(Spread.LineHeight, V.Pixels) << Html;
      ASSERT_EQ(Spread.TextTops.size(), Plain.TextTops.size()) << Html;
      const int E = V.Pixels - TH;
      for (size_t I = 0; I < Plain.TextTops.size(); ++I)
        EXPECT_EQ(Spread.TextTops[I] - Plain.TextTops[I], int(I) * E + E / 2) << Html << I;
      EXPECT_GE(Spread.DocHeight - Plain.DocHeight, int(Plain.TextTops.size()) * E) << Html;
    }
  }
}

// Lines of the default 16-pixel serif text stand 18 pixels apart, as in a browser; em and
// ex keep following the font's size, not its line pitch.
TEST(TextStyle, DefaultTextLinesStandEighteenPixelsApart) {
  const TLaidOut Plain = LayOutDoc("<p>aa bb cc</p>", "aa", 40);
  EXPECT_EQ(Plain.TextTops, (std::vector<int>{0, 18, 36}));
  EXPECT_EQ(Plain.TextHeight, 18);
  EXPECT_EQ(Plain.EmPixels, 16);
  EXPECT_EQ(LayOutDoc("<p style=\"line-height:2em\">aa</p>", "aa", 40).LineHeight, 32);
  EXPECT_EQ(LayOutDoc("<p style=\"line-height:3ex\">aa</p>", "aa", 40).LineHeight, 24);
}

// Below the font's own height nothing moves; values out of range are bounded.
// A line-height below the font's own height sets the lines closer than the font's pitch,
// down to nothing; values that are not line-heights change nothing; huge ones are bounded.
TEST(TextStyle, LineHeightBelowTheFontsOwnOverlapsLinesAndHugeOnesAreBounded) {
  const TLaidOut Plain = LayOutDoc("<p>aa bb cc</p>", "aa", 40);
  ASSERT_EQ(Plain.TextTops.size(), 3u);
  const struct {
    const char* Value;
    int Pitch;  // -1: as without the value
  } Cases[] = {{"3px", 3}, {"0", 0}, {"-20px", -1}, {"garbage", -1}};
  for (const auto& C : Cases) {
    const TLaidOut Small =
        LayOutDoc(std::string("<p style=\"line-height:") + C.Value + "\">aa bb cc</p>", "aa", 40);
    if (C.Pitch < 0) {
      EXPECT_EQ(Small.TextTops, Plain.TextTops) << C.Value;
      EXPECT_EQ(Small.DocHeight, Plain.DocHeight) << C.Value;
      continue;
    }
    ASSERT_EQ(Small.TextTops.size(), 3u) << C.Value;
    EXPECT_EQ(Small.TextTops[1] - Small.TextTops[0], C.Pitch) << C.Value;
    EXPECT_EQ(Small.TextTops[2] - Small.TextTops[1], C.Pitch) << C.Value;
    // The text's middle stays where the line's is: the leading is shared out on both sides.
    const int Leading = C.Pitch - Plain.TextHeight;
    EXPECT_EQ(Small.TextTops[0], Leading / 2) << C.Value;
  }
  const TLaidOut Huge = LayOutDoc("<p style=\"line-height:99999999999px\">aa</p>", "aa", 40);
  EXPECT_EQ(Huge.LineHeight, TSection::MaxLineHeight);
  EXPECT_GE(Huge.DocHeight, TSection::MaxLineHeight);
}

// A number is inherited as the number, for each element's own font; a length or a
// percentage as the length the element that set it computed.
TEST(TextStyle, LineHeightInheritsNumbersAsNumbersAndLengthsAsLengths) {
  const struct {
    const char* Value;
    int Pitch;
  } Cases[] = {{"2", 48}, {"200%", 24}, {"2em", 24}, {"20px", 20}, {"1", 24}};
  for (const auto& C : Cases) {
    const TLaidOut Out = LayOutDoc(std::string("<div style=\"font-size:12px; line-height:") +
                                       C.Value +
                                       "\"><p style=\"font-size:24px\">aa bb cc</p></div>",
                                   "aa", 36);
    ASSERT_EQ(Out.TextTops.size(), 3u) << C.Value;
    EXPECT_EQ(Out.TextTops[1] - Out.TextTops[0], C.Pitch) << C.Value;
    EXPECT_EQ(Out.TextTops[2] - Out.TextTops[1], C.Pitch) << C.Value;
  }
}

// Letter case follows each font run's own property set, byte by byte in the code page.
TEST(TextStyle, TextTransformFollowsEveryInlineElement) {
  const struct {
    const char* Html;
    const char* Text;
  } Cases[] = {
      {"<p>ab <span style=\"text-transform:uppercase\">cd &eacute;&yuml;</span> gh</p>",
       "ab CD \xc9\x9f gh"},
      {"<p style=\"text-transform:uppercase\">ab <span style=\"text-transform:none\">cd</span>"
       " <b>ef</b></p>",
       "AB cd EF"},
      {"<p>AB <span style=\"text-transform:lowercase\">CD &Eacute;&Scaron;</span> GH</p>",
       "AB cd \xe9\x9a GH"},
      {"<style>.c { text-transform: capitalize }</style>"
       "<p>x<span class=c>yz hello wORLD (it) don't x-ray &eacute;t&eacute;</span></p>",
       "xyz Hello WORLD (It) Don't X-Ray \xc9t\xe9"},
      {"<h1 style=\"text-transform:lowercase\">AB <i>CD</i></h1>", "ab cd"},
  };
  for (const auto& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    const auto S = Sections(D.Doc);
    ASSERT_FALSE(S.empty()) << C.Html;
    EXPECT_EQ(S[0].Section->FText, C.Text) << C.Html;
  }
}

}  // namespace
