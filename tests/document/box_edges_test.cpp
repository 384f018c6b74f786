// Where the edges of block and inline boxes land: widths, margins, indents and alignment.
#include <gtest/gtest.h>

#include <string>

#include "document/blocks/block.h"
#include "tests/document/layout_test_util.h"

namespace {

}  // namespace

// A right-aligned line ends at the right edge with all it holds: pictures count, blanks at
// its end do not.
TEST(BoxEdges, RightAlignedLineEndsAtTheEdge) {
  const struct {
    std::string Body;
    int Last;  // the line ends Tail pixels after the character before this index
    int Tail;
  } Cases[] = {
      {"x", 1, 0},
      {"x ", 1, 0},
      {"x<img src=\"a.png\" width=48 height=10>", 1, 48},
      {"x<img src=\"a.png\" width=48 height=10> ", 1, 48},
      {"x <img src=\"a.png\" width=48 height=10>", 2, 48},
  };
  for (const auto& Case : Cases) {
    TLaidOut L("<div style=\"width:200px\"><p style=\"text-align:right;margin:0\">" + Case.Body +
               "</p></div>");
    TSection* S = L.SectionOf("x");
    ASSERT_NE(S, nullptr);
    ASSERT_EQ(S->FLines.size(), 1u) << Case.Body;
    const int Right = L.XAt("x", Case.Last) + Case.Tail;
    TLaidOut Left("<div style=\"width:200px\"><p style=\"margin:0\">x</p></div>");
    EXPECT_EQ(Right, Left.XAt("x", 0) + 200) << Case.Body;
  }
}

// A picture floated by style has the margins its style gives, none by default; ALIGN keeps
// the few pixels of room around it that it always had.
TEST(BoxEdges, FloatedPictureTakesItsStyleMargins) {
  const struct {
    std::string Img;
    int Shift;  // how far the text beside it moves right
  } Cases[] = {
      {"<img style=\"float:left\" width=40 height=20>", 40},
      {"<img style=\"float:left;margin-right:5px\" width=40 height=20>", 45},
      {"<img style=\"float:left;margin:0 2px\" width=40 height=20>", 44},
      {"<img align=left width=40 height=20>", 46},
      {"<img align=left hspace=0 width=40 height=20>", 40},
      {"<img style=\"float:right\" width=40 height=20>", 0},
  };
  TLaidOut Plain("<p>follow</p>");
  const int X0 = Plain.XAt("follow", 0);
  for (const auto& Case : Cases) {
    TLaidOut L("<p>" + Case.Img + "follow</p>");
    EXPECT_EQ(L.XAt("follow", 0) - X0, Case.Shift) << Case.Img;
  }
}

// Negative inline margins pull the element, or what follows it, back over what is before.
TEST(BoxEdges, NegativeInlineMarginsPullBack) {
  const struct {
    std::string Style;
    int Left, Right;  // moves of the element's text and of the text after it
  } Cases[] = {
      {"margin-left:-10px", -10, -10},
      {"margin-right:-10px", 0, -10},
      {"margin-right:-10px;padding-right:4px", 0, -6},
      {"margin-left:-5px;margin-right:-7px", -5, -12},
  };
  TLaidOut Plain("<p>ab <span>cd</span> ef</p>");
  const int C0 = Plain.XAt("ab", 4), E0 = Plain.XAt("ab", 7);
  for (const auto& Case : Cases) {
    TLaidOut Boxed("<p>ab <span style=\"" + Case.Style + "\">cd</span> ef</p>");
    EXPECT_EQ(Boxed.XAt("ab", 4) - C0, Case.Left) << Case.Style;
    EXPECT_EQ(Boxed.XAt("ab", 7) - E0, Case.Right) << Case.Style;
  }
}

// A block whose borders, padding and margins fill all the room it has keeps no content
// width at all: nothing pushes the sides of the block around it.
TEST(BoxEdges, BlockSidesMayLeaveNoContentWidth) {
  const struct {
    std::string Inner;
    int Width;
  } Cases[] = {
      {"border-right:solid 20px", 0},
      {"border-right:solid 15px", 5},
      {"padding-left:20px", 0},
      {"margin-left:12px;border-left:solid 8px", 0},
      {"border-left:solid 10px;border-right:solid 10px", 0},
  };
  for (const auto& Case : Cases) {
    TLaidOut L("<div style=\"width:20px\"><div style=\"" + Case.Inner + "\"></div></div>");
    const auto* Outer = static_cast<TBlock*>(L.D.Body()->MyCell.Items(0));
    ASSERT_NE(Outer, nullptr);
    const auto* Inner = static_cast<TBlock*>(Outer->MyCell.Items(0));
    ASSERT_NE(Inner, nullptr) << Case.Inner;
    EXPECT_EQ(Outer->FContentWidth, 20) << Case.Inner;
    EXPECT_EQ(Inner->FContentWidth, Case.Width) << Case.Inner;
  }
}
