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

TEST(Floats, AFloatLongerThanItsContainerReachesBelowItAndLengthensTheDocument) {
  TLaidOut L("<div style='background:red'><div style='float:left;height:300px'>f</div>x</div>"
             "<div>after</div>");
  auto* Outer = dynamic_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
  ASSERT_NE(Outer, nullptr);
  // The box ends with its text, the float goes on below, next to the text that follows.
  EXPECT_LT(Outer->FBoxBottom, L.TopOf("f") + 300);
  EXPECT_GE(Outer->FPaintBottom, L.TopOf("f") + 300);
  EXPECT_GT(L.LeftOf("after"), L.LeftOf("f"));
  int SW = 0, Curs = 0;
  EXPECT_GE(L.D.Doc.LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs), L.TopOf("f") + 300);
}

}  // namespace
