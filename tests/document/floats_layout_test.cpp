// Floats: where they stand, how what follows flows beside them, and clearing.
#include <gtest/gtest.h>

#include <string>

#include "tests/document/layout_test_util.h"

namespace {

// Floats sit at a side of the 580-pixel body and what follows flows beside them.
TEST(Floats, FloatsNarrowWhatFollowsAndClearMovesBelowThem) {
  struct TCase {
    const char* Html;
    const char* Text;
    int DX, DY;  // Text's place relative to the float's text "f" (both start with an f)
  } Cases[] = {
      {"<div style='float:left;width:100px'>f</div>follow", "follow", 100, 0},
      {"<div style='float:left;width:100px'>f</div><p style='margin:0'>follow</p>", "follow", 100, 0},
      {"<div style='float:left;width:100px;margin-right:8px'>f</div><div>follow</div>", "follow", 108,
       0},
      {"<div style='float:right;width:100px'>f</div>follow", "follow", -480, 0},
      {"<div style='float:right;width:100px;padding:5px'>f</div>follow", "follow", -475, -5},
      // A second float goes beside the first; the text beside both.
      {"<div style='float:left;width:100px'>f</div><div style='float:left;width:50px'>fg</div>fz",
       "fg", 100, 0},
      {"<div style='float:left;width:100px'>f</div><div style='float:left;width:50px'>fg</div>fz",
       "fz", 150, 0},
      // A float with no room beside the one before goes below it.
      {"<div style='float:left;width:400px;height:30px'>f</div>"
       "<div style='float:left;width:300px'>fg</div>fz",
       "fg", 0, 30},
      // A float without a width is as wide as its content.
      {"<div style='float:left'>f</div>follow", "follow", -1, 0},
      // Clearing moves below the float on that side only.
      {"<div style='float:left;width:100px;height:50px'>f</div><div style='clear:left'>follow</div>",
       "follow", 0, 50},
      {"<div style='float:left;width:100px;height:50px'>f</div><div style='clear:both'>follow</div>",
       "follow", 0, 50},
      {"<div style='float:left;width:100px;height:50px'>f</div><div style='clear:right'>follow</div>",
       "follow", 100, 0},
      {"<div style='float:right;width:100px;height:50px'>f</div><p style='clear:right;margin:0'>"
       "follow</p>",
       "follow", -480, 50},
      {"<div style='float:left;width:100px;height:50px'>f</div>a<br clear=left>follow", "follow", 0, 50},
      {"<div style='float:left;width:100px;height:50px'>f</div>a<br clear=all>follow", "follow", 0, 50},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    const TPoint F = L.PointOf("f"), P = L.PointOf(C.Text);
    if (C.DX >= 0 || C.DX < -1) EXPECT_EQ(P.X - F.X, C.DX) << C.Html;
    else EXPECT_GT(P.X - F.X, 0) << C.Html;  // beside a shrunk float
    EXPECT_EQ(P.Y - F.Y, C.DY) << C.Html;
  }
}

// A block in the flow takes no room for the floats it holds, at any depth: its box (and
// its background) ends above them and what follows starts beside them. A float or an
// absolute box holds the floats inside it. The document is as long as what it paints.
TEST(Floats, OnlyFloatsAndAbsoluteBoxesHoldTheFloatsInside) {
  struct TCase {
    const char* Outer;   // the style of the outer division, which has a background
    const char* Inside;  // its content
    bool Holds;          // its box ends at or below the float's bottom
  } Cases[] = {
      {"", "<div style='float:left;height:300px'>f</div>x", false},
      {"", "<div style='float:right;height:300px'>f</div>x", false},
      {"", "<div><div style='float:left;height:300px'>f</div></div>x", false},
      {"", "<table align=left height=300><tr><td>f</table>x", false},
      {"", "f<img align=left width=40 height=300>x", false},
      {"", "<div style='position:absolute;height:300px'>f</div>x", false},
      {"float:left;", "<div style='float:left;height:300px'>f</div>x", true},
      {"float:right;", "<div><div style='float:right;height:300px'>f</div></div>x", true},
      {"float:left;", "f<img align=left width=40 height=300>x", true},
      {"position:absolute;", "<div style='float:left;height:300px'>f</div>x", true},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(std::string("<div style='background:red;") + C.Outer + "'>" + C.Inside +
               "</div><div>next</div>");
    auto* Outer = dynamic_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
    ASSERT_NE(Outer, nullptr) << C.Inside;
    // Every float here is 300 high and starts at the top of the division's content.
    const int FloatBottom = Outer->FBoxTop + 300;
    if (C.Holds) EXPECT_GE(Outer->FBlockBottom, FloatBottom) << C.Outer << C.Inside;
    else EXPECT_LT(Outer->FBoxBottom, FloatBottom) << C.Outer << C.Inside;
    if (!C.Holds && C.Inside[1] != 'd' && C.Inside[1] != 'i') {
      EXPECT_LT(L.TopOf("next"), FloatBottom) << C.Inside;
    }
    int SW = 0, Curs = 0;
    EXPECT_GE(L.D.Doc.LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs), FloatBottom) << C.Inside;
  }
}

// The margin below a float counts in a float that holds it, as the rest of its box does.
TEST(Floats, AFloatsBottomMarginCountsInAFloatHoldingIt) {
  TLaidOut L("<div style='float:left;background:red'><div style='float:left;height:300px;"
             "margin-bottom:20px'>f</div></div><div>next</div>");
  auto* Outer = dynamic_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
  ASSERT_NE(Outer, nullptr);
  EXPECT_EQ(Outer->FBlockBottom, Outer->FBoxTop + 320);
}

// Floating pictures: each stands at the top of its line, or lower down where it first has
// room beside the floats before it; a style float has only the margins the style gives.
TEST(Floats, FloatingPicturesGoDownUntilTheyHaveRoom) {
  struct TCase {
    const char* Html;  // in a 240-pixel division at the body's top
    int Index;         // which float record (in the order they came, left ones first)
    bool Left;
    int X, Top;        // the record's edge, relative to the division, and its top
  } Cases[] = {
      // A picture as wide as the room goes below the one-pixel float beside it.
      {"<img style='float:left' width=1 height=1><img style='float:right' width=240 height=50>F",
       0, false, 0, 1},
      {"<img style='float:left' width=20 height=20><img style='float:left' width=230 height=5>F",
       1, true, 230, 20},
      // Two that fit side by side stay on the line's top.
      {"<img style='float:left' width=100 height=20><img style='float:right' width=140 height=5>F",
       0, false, 100, 0},
      // The picture attribute keeps its customary spacing of 3 pixels a side.
      {"<img align=left width=100 height=20>F", 0, true, 106, 0},
      {"<img style='float:left;margin-left:10px' width=100 height=20>F", 0, true, 110, 0},
      // A negative margin lets the next float come closer.
      {"<img style='float:left;margin-right:-30px' width=100 height=20>F", 0, true, 70, 0},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(std::string("<div style='width:240px'>") + C.Html + "</div>");
    const IndentManager* M = L.D.Doc.FFloats;
    ASSERT_NE(M, nullptr) << C.Html;
    std::vector<const IndentRec*> Recs;
    for (const auto* List : {&M->FLeftList, &M->FRightList})
      for (int I = 0; I < List->Count(); ++I)
        if ((*List)[I]->FIsFloat && (List == &M->FLeftList) == C.Left) Recs.push_back((*List)[I]);
    ASSERT_GT(int(Recs.size()), C.Index) << C.Html;
    const int Body = L.D.Body()->FBoxTop;
    EXPECT_EQ(Recs[size_t(C.Index)]->FX - L.D.Body()->FBoxLeft, C.X) << C.Html;
    EXPECT_EQ(Recs[size_t(C.Index)]->FTop - Body, C.Top) << C.Html;
  }
}

// A line of nothing but floating pictures and spaces makes no line box, whatever the
// line-height, so a division holding only floats ends where it starts; a picture without
// room beside the one before goes down alone, and the text stays on the line's top beside
// the first.
TEST(Floats, LinesOfOnlyFloatsTakeNoHeight) {
  struct TCase {
    const char* Inside;
    int Height;       // of the division's content
    int TextTop = -1;  // of "T", relative to the division's top, when there is text
  } Cases[] = {
      {" <img style='float:left' width=160 height=16> ", 0},
      {" <img style='float:left' width=160 height=16> <img style='float:right' width=160 height=16> ",
       0},
      {" <img style='float:left' width=60 height=16> <img style='float:right' width=60 height=16> ", 0},
      {"<img style='float:left' width=160 height=16> <img style='float:right' width=160 height=16>"
       "T",
       -1, 0},
  };
  // Also where the division sets the line-height: its lines are then line boxes.
  for (const char* LineHeight : {"", "line-height:30px;"}) {
    for (const TCase& C : Cases) {
      TLaidOut L(std::string("<div style='width:240px;background:red;") + LineHeight + "'>" +
                 C.Inside + "</div>");
      auto* Outer = dynamic_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
      ASSERT_NE(Outer, nullptr) << C.Inside;
      if (C.Height >= 0) {
        EXPECT_EQ(Outer->FBlockBottom - Outer->FBoxTop, C.Height) << LineHeight << C.Inside;
      }
      if (C.TextTop >= 0) {
        TSection* S = L.SectionOf("T");
        ASSERT_NE(S, nullptr);
        EXPECT_EQ(S->FLines.size(), 1u) << C.Inside;
        EXPECT_EQ(S->FLayoutY - Outer->FBoxTop, C.TextTop) << LineHeight << C.Inside;
      }
    }
  }
}

// A float without a width is as wide as its widest line, the blanks that end a line not
// counted: in its lines they take no room either.
TEST(Floats, AShrunkFloatLeavesOutBlanksAtLineEnds) {
  TLaidOut Plain("<p>abc</p><p>ab</p>");
  const int Abc = Plain.XAt("abc", 3) - Plain.XAt("abc", 0);
  const char* Contents[] = {
      "abc ",
      "abc\n",
      " abc  ",
      "ab <br>abc ",
      "abc <br>ab ",
      "<div>abc </div>",
      "<p style='margin:0'> abc </p>",
  };
  for (const char* Content : Contents) {
    TLaidOut L(std::string("<div style='float:left'>") + Content + "</div>");
    auto* Float = dynamic_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
    ASSERT_NE(Float, nullptr) << Content;
    EXPECT_EQ(Float->FContentWidth, Abc) << Content;
  }
}

// A floating inline element floats as a block holding its content, nested elements of
// its own name included; the text after it flows beside it.
TEST(Floats, AFloatingInlineElementFloatsAsABlock) {
  const struct {
    const char* Html;
    const char* Inside;  // text in the float
    const char* After;   // text beside it
  } Cases[] = {
      {"<span style='float:left;width:100px'>fin</span>fafter", "fin", "fafter"},
      {"<p><em style='float:left;width:100px'>fin <b>bold</b></em> fafter</p>", "bold", "fafter"},
      {"<span style='float:left;width:100px'>fin <span>more</span> fin2</span>fafter", "fin2",
       "fafter"},
      {"<span style='float:left;width:100px'>fin<div>fafter</div>", "fin", "fafter"},
  };
  for (const auto& C : Cases) {
    TLaidOut L(C.Html);
    TSection* In = L.SectionOf(C.Inside);
    ASSERT_NE(In, nullptr) << C.Html;
    TBlock* Float = nullptr;
    bool AfterInFloat = false;
    for (auto& F : Sections(L.D.Doc))
      for (TBlock* B : F.Blocks)
        if (B->IsFloating()) {
          if (F.Section == In) Float = B;
          if (F.Section == L.SectionOf(C.After)) AfterInFloat = true;
        }
    ASSERT_NE(Float, nullptr) << C.Html;
    EXPECT_FALSE(AfterInFloat) << C.Html;
    EXPECT_EQ(Float->FContentWidth, 100) << C.Html;
    // Beside the float when it is still open, below where a block ended it.
    const bool Beside = std::string(C.Html).find("<div>") == std::string::npos;
    if (Beside) { EXPECT_EQ(L.LeftOf(C.After) - L.LeftOf(C.Inside), 100) << C.Html; }
  }
}

// A right float of a percentage width starts where a padding of the rest of the width ends,
// whatever the rounding of an odd width.
TEST(Floats, ARightFloatsPercentWidthLeavesTheRoundedRestBesideIt) {
  const struct {
    const char* Width;
    const char* Rest;
  } Cases[] = {{"50%", "50%"}, {"25%", "75%"}, {"30%", "70%"}};
  for (const int Page : {600, 601, 603})
    for (const auto& C : Cases) {
      TLaidOut Float("<div style='float:right; width:" + std::string(C.Width) + "'>first</div>",
                     Page);
      TLaidOut Padded("<div style='padding-left:" + std::string(C.Rest) + "'>first</div>", Page);
      EXPECT_EQ(Float.LeftOf("first"), Padded.LeftOf("first")) << Page << " " << C.Width;
    }
}

// Placing a floating picture reads the floats of its own rows only: twice the pictures,
// in rows of the same width, read about twice the records, also when a row is full and
// the next picture goes down below it.
TEST(Floats, RecordsReadGrowLinearlyWithFloatingPictures) {
  auto RecordsRead = [](int Count) {
    std::string Html = "<div style='width:40px'>";
    for (int I = 0; I < Count; ++I) Html += "<img align=left width=1 height=1>";
    TLaidOut L(Html + "</div>");
    const IndentManager* M = L.D.Doc.FFloats;
    return M ? M->RecordsRead() : -1;
  };
  const long long Small = RecordsRead(1000), Large = RecordsRead(2000);
  ASSERT_GT(Small, 0);
  EXPECT_LT(Large, Small * 5 / 2);
}

// One very tall float and many small ones after it, on its side, the other side or both,
// of one height or a staircase of heights, with text flowing beside them: the tall float
// stays beside every row, yet twice the small floats still read about twice the records.
TEST(Floats, RecordsReadGrowLinearlyBesideATallFloat) {
  const std::string TallLeft = "<div style='float:left;width:4px;height:100000px'></div>";
  const std::string TallRight = "<div style='float:right;width:4px;height:100000px'></div>";
  struct TCase {
    const char* Name;
    std::string Before;  // the tall floats
    std::string (*Small)(int I);
  } Cases[] = {
      {"pictures left", TallLeft,
       [](int) { return std::string("<img align=left width=1 height=1>"); }},
      {"pictures right", TallRight,
       [](int) { return std::string("<img align=right width=1 height=1>"); }},
      {"pictures on both sides", TallLeft + TallRight,
       [](int I) {
         return std::string(I % 2 ? "<img align=left width=1 height=1>"
                                  : "<img align=right width=1 height=1>");
       }},
      {"blocks", TallLeft,
       [](int) { return std::string("<div style='float:left;width:1px;height:1px'></div>"); }},
      {"staircase", TallLeft,
       [](int I) {
         return "<div style='float:left;width:1px;height:" + std::to_string(1 + I * 7 % 23) +
                "px'></div>";
       }},
      {"text beside", TallLeft + TallRight,
       [](int I) {
         return std::string(I % 2 ? "x <img align=left width=2 height=3> "
                                  : "y <img align=right width=3 height=2> ");
       }},
  };
  for (const TCase& C : Cases) {
    auto RecordsRead = [&](int Count) {
      std::string Html = "<div style='width:40px'>" + C.Before;
      for (int I = 0; I < Count; ++I) Html += C.Small(I);
      TLaidOut L(Html + "</div>");
      const IndentManager* M = L.D.Doc.FFloats;
      return M ? M->RecordsRead() : -1;
    };
    const long long Small = RecordsRead(1000), Large = RecordsRead(2000);
    ASSERT_GT(Small, 0) << C.Name;
    EXPECT_LT(Large, Small * 5 / 2) << C.Name << ": " << Small << " then " << Large;
  }
}

}  // namespace
