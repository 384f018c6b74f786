// "font-variant: small-caps": lower-case letters laid out, hit and drawn as capitals of a
// smaller size, while the text keeps its own letters for copying and finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_data.h"
#include "tests/document/layout_test_util.h"
#include "toolkit/fonts/font.h"

namespace {

// The size of a small capital in a font of Em pixels.
int SmallCapsPixels(int Em) { return (Em * SmallCapsScale + 50) / 100; }

// Where each character of the only section holding "B" stands.
std::vector<int> Places(const std::string& Html) {
  TLaidOut L(Html);
  std::vector<int> X;
  TSection* S = L.SectionOf("B");
  EXPECT_NE(S, nullptr) << Html;
  if (!S) return X;
  for (int I = 0; I <= S->Len(); ++I)
    if (I == S->Len() || (static_cast<unsigned char>(S->FText[I]) & 0xC0) != 0x80)
      X.push_back(L.XAt("B", I));
  return X;
}

// Each lower-case letter takes the room of its capital in the smaller size, other
// characters their own: set through the property or the shorthand, inherited, reset by a
// shorthand that does not name it, in 8-bit and UTF-8 pages.
TEST(SmallCaps, LowerCaseLettersTakeTheRoomOfSmallCapitals) {
  const std::string Small = "font-size:" + std::to_string(SmallCapsPixels(20)) + "px";
  auto Ref = [&](const std::string& Head, const std::string& A, const std::string& C) {
    return Head + "<p style=\"font:20px Arial\"><span style=\"" + Small + "\">" + A +
           "</span>B <span style=\"" + Small + "\">" + C + "</span>1</p>";
  };
  const std::string Utf8 = "<meta charset=\"utf-8\">";
  const struct {
    std::string Page, Reference;
  } Cases[] = {
      {"<p style=\"font:20px Arial; font-variant:small-caps\">aB c1</p>", Ref("", "A", "C")},
      {"<p style=\"font:small-caps 20px Arial\">aB c1</p>", Ref("", "A", "C")},
      {"<div style=\"font-variant:small-caps\"><p style=\"font-size:20px; font-family:Arial\">"
       "aB c1</p></div>",
       Ref("", "A", "C")},
      {"<p style=\"font:20px Arial; font-variant:small-caps\">&eacute;B &ccedil;1</p>",
       Ref("", "&Eacute;", "&Ccedil;")},
      {Utf8 + "<p style=\"font:20px Arial; font-variant:small-caps\">\xD0\xB4" "B \xC3\xA7" "1</p>",
       Ref(Utf8, "\xD0\x94", "\xC3\x87")},
      {"<div style=\"font-variant:small-caps\"><p style=\"font:20px Arial\">aB c1</p></div>",
       "<p style=\"font:20px Arial\">aB c1</p>"},
      {"<p style=\"font:20px Arial; font-variant:small-caps\">"
       "<span style=\"font-variant:normal\">aB c1</span></p>",
       "<p style=\"font:20px Arial\">aB c1</p>"},
  };
  for (const auto& Case : Cases) EXPECT_EQ(Places(Case.Page), Places(Case.Reference)) << Case.Page;
}

// Lines break where the small capitals fill them, hit tests find the letter under the point,
// and copying and finding work on the letters of the source.
TEST(SmallCaps, LinesHitsCopiesAndFindsFollowTheSourceLetters) {
  const std::string Style = "font:20px Arial; font-variant:small-caps";
  const std::string Small = "<span style=\"font-size:" + std::to_string(SmallCapsPixels(20)) + "px\">";
  TLaidOut Ref("<p style=\"font:20px Arial\">" + Small + "AAAA</span> B" + Small + "AAA</span></p>");
  const int Width = Ref.XAt("AAAA", 9) - Ref.XAt("AAAA", 0);
  for (const int Room : {Width, Width - 1}) {
    TLaidOut L("<div style=\"width:" + std::to_string(Room) + "px; " + Style +
               "\">aaaa Baaa</div>");
    TSection* S = L.SectionOf("aaaa");
    ASSERT_NE(S, nullptr);
    EXPECT_EQ(S->FLines.size(), Room == Width ? 1u : 2u) << Room;
  }

  TLaidOut L("<p style=\"" + Style + "\">abcd Bcd</p>");
  TSection* S = L.SectionOf("abcd");
  ASSERT_NE(S, nullptr);
  int X = 0, Y = 0, XR = 0, YR = 0, CaretHt = 0;
  bool InText = false;
  L.D.Doc.PositionToPoint(&L.Canvas, S->FStartPos + 2, X, Y);
  const int Third = L.XAt("abcd", 3);
  EXPECT_EQ(L.D.Doc.PositionAtPoint(&L.Canvas, X + 1, Y + 2, XR, YR, CaretHt, InText),
            S->FStartPos + 2);
  EXPECT_EQ(L.D.Doc.PositionAtPoint(&L.Canvas, Third - 1, Y + 2, XR, YR, CaretHt, InText),
            S->FStartPos + 3);

  L.D.Doc.SelStart = S->FStartPos;
  L.D.Doc.SelEnd = S->FStartPos + 7;
  char Buffer[32];
  L.D.Doc.CopySelectionToBuffer(Buffer, sizeof Buffer);
  EXPECT_STREQ(Buffer, "abcd Bc");
  EXPECT_EQ(L.D.Doc.FindText("bcd", 0, true), S->FStartPos + 1);
  EXPECT_EQ(L.D.Doc.FindText("Bcd", 0, true), S->FStartPos + 5);
  EXPECT_EQ(L.D.Doc.FindText("BCD", 0, true), -1);
}

// The small capitals are drawn in the smaller size: in the Ahem font every glyph is an em
// square (50 pixels, so that the small one's edges fall on whole pixels).
TEST(SmallCaps, SmallCapitalsAreDrawnSmaller) {
  ASSERT_TRUE(AddFontFile(TestDataPath("fonts/ahem/Ahem.ttf")));
  const struct {
    std::string Text;
    int Width, Height;
  } Cases[] = {{"x", SmallCapsPixels(50), SmallCapsPixels(50)},
               {"X", 50, 50},
               {"xX", SmallCapsPixels(50) + 50, 50},
               {"x<span style=\"font-variant:normal\">x</span>", SmallCapsPixels(50) + 50, 50}};
  for (const auto& Case : Cases) {
    TPainted P("<p style=\"font:small-caps 50px/1 Ahem; color:#ff0000\">" + Case.Text + "</p>");
    int Left = 600, Right = -1, Top = 300, Bottom = -1;
    for (int Y = 0; Y < 300; ++Y)
      for (int X = 0; X < 600; ++X)
        if (P.At(X, Y) == 0x0000FF || P.At(X, Y) == 0xFF0000) {
          Left = std::min(Left, X), Right = std::max(Right, X);
          Top = std::min(Top, Y), Bottom = std::max(Bottom, Y);
        }
    EXPECT_EQ(Right - Left + 1, Case.Width) << Case.Text;
    EXPECT_EQ(Bottom - Top + 1, Case.Height) << Case.Text;
  }
}

}  // namespace
