// Floats: where they stand, how what follows flows beside them, and clearing.
#include <gtest/gtest.h>

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

// A block's box reaches down past the floated blocks it holds, at any depth, so its
// background covers them and what follows starts below them. Floating pictures in its
// text and absolute boxes do not lengthen it.
TEST(Floats, ABlockReachesDownPastTheFloatedBlocksItHolds) {
  struct TCase {
    const char* Inside;  // the content of the outer division, which has a background
    bool Reaches;        // its box ends at or below the float's bottom
  } Cases[] = {
      {"<div style='float:left;height:300px'>f</div>x", true},
      {"<div style='float:right;height:300px'>f</div>x", true},
      {"<div><div style='float:left;height:300px'>f</div></div>x", true},
      {"<table align=left height=300><tr><td>f</table>x", true},
      {"f<img align=left width=40 height=300>x", false},
      {"<div style='position:absolute;height:300px'>f</div>x", false},
  };
  for (const TCase& C : Cases) {
    TLaidOut L(std::string("<div style='background:red'>") + C.Inside + "</div><div>next</div>");
    auto* Outer = dynamic_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
    ASSERT_NE(Outer, nullptr) << C.Inside;
    // Every float here is 300 high and starts at the top of the division's content.
    const int FloatBottom = Outer->FBoxTop + 300;
    if (C.Reaches) {
      EXPECT_GE(Outer->FBoxBottom, FloatBottom) << C.Inside;
      EXPECT_GE(L.TopOf("next"), FloatBottom) << C.Inside;
    } else {
      EXPECT_LT(Outer->FBoxBottom, FloatBottom) << C.Inside;
      EXPECT_LT(L.TopOf("next"), FloatBottom) << C.Inside;
    }
    // The document is as long as what it paints either way.
    int SW = 0, Curs = 0;
    EXPECT_GE(L.D.Doc.LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs), FloatBottom) << C.Inside;
  }
}

// The margin below a float counts in its container, as the rest of its box does.
TEST(Floats, AFloatsBottomMarginCountsInItsContainer) {
  TLaidOut L("<div style='background:red'><div style='float:left;height:300px;margin-bottom:20px'>"
             "f</div>x</div><div>next</div>");
  auto* Outer = dynamic_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
  ASSERT_NE(Outer, nullptr);
  EXPECT_EQ(Outer->FBoxBottom, Outer->FBoxTop + 320);
}

}  // namespace
