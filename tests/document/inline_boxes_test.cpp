// Room that the boxes of inline elements take in their lines.
#include <gtest/gtest.h>

#include <string>

#include "document/core/paint_context.h"
#include "tests/document/layout_test_util.h"
#include "toolkit/graphics/bitmap.h"

namespace {

// Margins, borders and padding at the left side move the element's text right by their
// sum; those at the right side move what follows. Borders without a style take nothing.
TEST(InlineBoxes, SidesTakeRoomBeforeAndAfterTheElement) {
  const struct {
    std::string Style;
    int Left, Right;
  } Cases[] = {
      {"padding-left:10px", 10, 0},
      {"padding-right:10px", 0, 10},
      {"padding:3px 4px", 4, 4},
      {"margin-left:7px; margin-right:5px", 7, 5},
      {"border:solid 3px", 3, 3},
      {"border-left:solid 2px; padding-left:5px; margin-left:1px", 8, 0},
      {"border:3px", 0, 0},
      {"padding-top:20px; padding-bottom:20px", 0, 0},
  };
  TLaidOut Plain("<p>ab <span>cd</span> ef</p>");
  // Text "ab cd ef": after c at 4, after e at 7.
  const int C0 = Plain.XAt("ab", 4), E0 = Plain.XAt("ab", 7);
  for (const auto& Case : Cases) {
    TLaidOut Boxed("<p>ab <span style=\"" + Case.Style + "\">cd</span> ef</p>");
    ASSERT_EQ(Boxed.SectionOf("ab")->FText, "ab cd ef") << Case.Style;
    EXPECT_EQ(Boxed.XAt("ab", 4) - C0, Case.Left) << Case.Style;
    EXPECT_EQ(Boxed.XAt("ab", 7) - E0, Case.Left + Case.Right) << Case.Style;
  }
}

// Blanks at the element's edges collapse with the blanks outside as they do without a box:
// one space on each side, outside the box.
TEST(InlineBoxes, BlanksAtTheEdgesCollapseAcrossThem) {
  TLaidOut Plain("<p>ab cd ef</p>");
  TLaidOut Boxed("<p>ab <span style=\"padding:0 10px\"> cd </span> ef</p>");
  TSection* S = Boxed.SectionOf("ab");
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(S->FText, "ab cd ef");
  EXPECT_EQ(Boxed.XAt("ab", 4) - Plain.XAt("ab", 4), 10);
  EXPECT_EQ(Boxed.XAt("ab", 7) - Plain.XAt("ab", 7), 20);
}

// A box's sides count in the widths a table column asks for, and in the line's fitting:
// text that fits a line without the box moves to the next line with it.
TEST(InlineBoxes, SidesCountInWidthsAndLineFitting) {
  TLaidOut Plain("<p>ab ab</p>");
  TLaidOut Boxed("<p>ab <span style=\"margin-right:30px\">ab</span></p>");
  int Min0 = 0, Max0 = 0, Min1 = 0, Max1 = 0;
  Plain.SectionOf("ab")->MeasureWidths(&Plain.Canvas, Min0, Max0);
  Boxed.SectionOf("ab")->MeasureWidths(&Boxed.Canvas, Min1, Max1);
  EXPECT_EQ(Max1 - Max0, 30);
  EXPECT_EQ(Min1 - Min0, 30);
  // "ab cd" just fits, with the page's margin on each side.
  const int Width = Plain.XAt("ab", 5) + Plain.XAt("ab", 0) + 2;
  TLaidOut Narrow("<p>ab ab</p>", Width);
  EXPECT_EQ(Narrow.SectionOf("ab")->FLines.size(), 1u);
  TLaidOut NarrowBoxed("<p>ab <span style=\"padding-left:30px\">ab</span></p>", Width);
  EXPECT_EQ(NarrowBoxed.SectionOf("ab")->FLines.size(), 2u);
}

// The right side of an element stays with the element's last word: when the word fits
// the line but the word with the side does not, the line ends before the word.
TEST(InlineBoxes, TheRightSideGoesToTheNextLineWithTheLastWord) {
  TLaidOut Plain("<p>ab cd ef</p>");
  // "ab cd" just fits, with the page's margin on each side.
  const int Width = Plain.XAt("ab", 5) + Plain.XAt("ab", 0) + 2;
  const struct {
    std::string Style;
    int FirstLine;  // characters
  } Cases[] = {
      {"", 6},                                 // "ab cd " fits
      {"margin-right:30px", 3},                // "ab " and "cd" moves down
      {"padding-right:30px", 3},
      {"border-right:solid 30px", 3},
      {"margin-left:0", 6},                    // a box without a right side
  };
  for (const auto& Case : Cases) {
    TLaidOut L("<p>ab <span style=\"" + Case.Style + "\">cd</span> ef</p>", Width);
    TSection* S = L.SectionOf("ab");
    ASSERT_NE(S, nullptr) << Case.Style;
    ASSERT_GE(S->FLines.size(), 2u) << Case.Style;
    EXPECT_EQ(S->FLines[0].CharCount, Case.FirstLine) << Case.Style;
  }
}

// Elements nested in boxes, closed in order or left open, close their boxes within the
// section; a box never outlives its text.
TEST(InlineBoxes, NestedAndUnclosedBoxesEndWithinTheSection) {
  const char* Pages[] = {
      "<p>ab <span style=\"padding:0 4px\"><span style=\"padding:0 6px\">cd</span></span> ef</p>",
      "<p>ab <span style=\"padding:0 4px\"><b style=\"padding:0 6px\">cd</span> ef</p>",
      "<p>ab <span style=\"padding:0 4px\">cd ef",
      "<p>ab <span style=\"padding:0 4px\">cd</p><p>ef</p>",
  };
  for (const char* Page : Pages) {
    TLaidOut L(Page);
    TSection* S = L.SectionOf("ab");
    ASSERT_NE(S, nullptr) << Page;
    for (const TInlineBox& B : S->InlineBoxes()) {
      EXPECT_GE(B.Start, 0) << Page;
      EXPECT_LE(B.Start, B.End) << Page;
      EXPECT_LE(B.End, S->Len()) << Page;
    }
    for (const TSection::TBoxEdge& E : S->BoxEdges()) EXPECT_LE(E.Pos, S->Len()) << Page;
  }
  TLaidOut Nested(Pages[0]);
  TLaidOut Plain("<p>ab cd ef</p>");
  EXPECT_EQ(Nested.XAt("ab", 4) - Plain.XAt("ab", 4), 10);
  EXPECT_EQ(Nested.XAt("ab", 7) - Plain.XAt("ab", 7), 20);
}

// Text before an element is painted before the element's box: where a negative margin
// pulls the box over that text, the box's background covers it, while the element's
// own text is painted over its background.
TEST(InlineBoxes, BoxPaintsOverTheTextBeforeIt) {
  TLaidOut L("<p><span style=\"background:lime; color:lime\">aaaa</span>"
             "<span style=\"margin-left:-20px; background:blue; color:blue\">bbbb</span>"
             "<span style=\"color:red; background:red\">cc</span></p>");
  TBitmap Bitmap(600, 100, pf24bit);
  TCanvas& C = Bitmap.Canvas();
  C.FillRect(TRect{0, 0, 600, 100}, clWhite);
  TPaintContext Pass{.Band = TRect{0, 0, 600, 100}};
  L.D.Doc.Draw(&C, Pass, 600, 0, 0, 0, 0);
  TSection* S = L.SectionOf("aaaa");
  ASSERT_NE(S, nullptr);
  const int Y = L.TopOf("aaaa") + S->FLines[0].TextHeight / 2;
  // The box starts 20 pixels before the end of "aaaa".
  const int End = L.XAt("aaaa", 4), Cc = L.XAt("aaaa", 9);
  ASSERT_GT(End, 30);
  auto At = [&](int X) { return C.GetPixel(X, Y) & 0xFFFFFF; };
  EXPECT_EQ(At(End - 18), ColorToRGB(clBlue));
  EXPECT_EQ(At(End - 25), ColorToRGB(clLime));
  EXPECT_EQ(At(Cc), ColorToRGB(clRed));
}

}  // namespace
