// Where pictures stand: a block picture on a line of its own, a relatively positioned one
// painted moved from its place in the line, which it keeps.
#include <gtest/gtest.h>

#include <string>

#include "document/core/paint_context.h"
#include "document/images/image_obj.h"
#include "tests/document/layout_test_util.h"
#include "toolkit/graphics/bitmap.h"

namespace {

struct TPaintedImage {
  TLaidOut L;
  int PaintX = 0, PaintY = 0;
  explicit TPaintedImage(const std::string& Style)
      : L("<p>ab<img style='" + Style + "' width=20 height=20>cd</p>") {
    TBitmap Bitmap(600, 200, pf24bit);
    TPaintContext Pass{.Band = TRect{0, 0, 600, 200}};
    L.D.Doc.Draw(&Bitmap.Canvas(), Pass, 600, 0, 0, 0, 0);
    TSection* S = L.SectionOf("ab");
    EXPECT_NE(S, nullptr);
    if (!S) return;
    for (const TSection::TObjEntry& E : S->Objects())
      if (auto* Image = dynamic_cast<TImageObj*>(E.Obj)) {
        PaintX = Image->PaintX();
        int IX = 0, IY = 0;
        // The top is where a hit at the picture's corner lands.
        for (int Y = 0; Y < 200; ++Y)
          if (Image->HitAt(PaintX, Y, IX, IY) && IY == 0) PaintY = Y;
      }
  }
};

TEST(ImagePosition, RelativeOffsetsMoveThePaintNotTheLine) {
  const struct {
    std::string Style;
    int DX, DY;
  } Cases[] = {
      {"position:relative; left:30px; top:10px", 30, 10},
      {"position:relative; left:-5px; top:-4px", -5, -4},
      {"position:relative", 0, 0},
      {"position:relative; left:auto; top:auto", 0, 0},
      // Offsets without a relative position move nothing.
      {"left:30px; top:10px", 0, 0},
  };
  TPaintedImage Plain("");
  for (const auto& Case : Cases) {
    TPaintedImage Moved(Case.Style);
    EXPECT_EQ(Moved.PaintX - Plain.PaintX, Case.DX) << Case.Style;
    EXPECT_EQ(Moved.PaintY - Plain.PaintY, Case.DY) << Case.Style;
    // The text after it stays where it was.
    EXPECT_EQ(Moved.L.XAt("ab", 3), Plain.L.XAt("ab", 3)) << Case.Style;
  }
}

// A picture with display:block ends the line before it and the text after it starts a
// line below it; floating or absolutely placed, it stays in its line's text.
TEST(ImagePosition, ABlockPictureStandsOnALineOfItsOwn) {
  const struct {
    std::string Style;
    bool OwnLine;
  } Cases[] = {
      {"display:block", true},
      {"display:block; margin-left:40px", true},
      {"display:inline", false},
      {"", false},
      {"display:block; float:left", false},
      {"display:block; position:absolute", false},
  };
  for (const auto& Case : Cases) {
    TLaidOut L("<p>f1 <img style='" + Case.Style + "' width=20 height=30> f2</p>");
    TSection* F1 = L.SectionOf("f1");
    ASSERT_NE(F1, nullptr) << Case.Style;
    if (!Case.OwnLine) {
      EXPECT_EQ(L.SectionOf("f2"), F1) << Case.Style;
      continue;
    }
    TSection* F2 = L.SectionOf("f2");
    ASSERT_NE(F2, nullptr) << Case.Style;
    EXPECT_NE(F2, F1) << Case.Style;
    EXPECT_EQ(L.LeftOf("f2"), L.LeftOf("f1")) << Case.Style;
    EXPECT_GE(L.TopOf("f2") - L.TopOf("f1"), 30 + F1->FLines[0].TextHeight) << Case.Style;
  }
}


// Negative margins pull the picture over what stands before it and what follows over the
// picture; above and below they take off the height the picture gives its line. The line
// of 18-pixel text stands 15 pixels above its baseline, the picture 20 on it.
TEST(ImagePosition, NegativeMarginsOverlapNeighboursAndShortenTheLine) {
  const struct {
    std::string Style;
    int DX, DY, DAfter, DAdvance;
  } Cases[] = {
      {"margin-left:-5px", -5, 0, -5, 0},
      {"margin-right:-7px", 0, 0, -7, 0},
      {"margin:0 -3px", -3, 0, -6, 0},
      // Its line is five pixels lower, and the picture stands on its baseline.
      {"margin-top:-10px", 0, -5, 0, -5},
      // Six pixels of it below the baseline.
      {"margin-bottom:-6px", 0, 1, 0, -5},
  };
  TPaintedImage Plain("");
  const int PlainAdvance = Plain.L.SectionOf("ab")->FLines[0].Advance();
  for (const auto& Case : Cases) {
    TPaintedImage Moved(Case.Style);
    EXPECT_EQ(Moved.PaintX - Plain.PaintX, Case.DX) << Case.Style;
    EXPECT_EQ(Moved.PaintY - Plain.PaintY, Case.DY) << Case.Style;
    EXPECT_EQ(Moved.L.XAt("ab", 3) - Plain.L.XAt("ab", 3), Case.DAfter) << Case.Style;
    EXPECT_EQ(Moved.L.SectionOf("ab")->FLines[0].Advance() - PlainAdvance, Case.DAdvance)
        << Case.Style;
  }
}

// In standards documents pictures stand on a line of their block's font, as in browsers:
// a line of nothing but pictures keeps the font's height and its room below the baseline,
// and a picture reaching above the font's ascent has the larger half of the font's line
// gap below the baseline too. The default font stands 15 pixels above its baseline (one
// of them its one-pixel gap) and 3 below. Other documents keep lines of pictures alone.
TEST(PictureLines, StandardsDocumentsSetPicturesOnTheBlocksFont) {
  const std::string Standards = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">";
  const struct {
    bool Standards;
    std::string Content;
    int Advance;  // of the line holding the picture, 0 for no line at all
  } Cases[] = {
      {false, "<img width=15 height=15>", 15},
      {true, "<img width=15 height=15>", 19},
      {true, "<img width=15 height=40>", 44},
      {true, "<img width=15 height=10>", 18},
      {true, "<img width=15 height=15 style='display:block'>", 15},
      {true, "<img width=15 height=15 align=left>", 0},
      {false, "x <img width=15 height=40>", 43},
      {true, "x <img width=15 height=40>", 44},
      {true, "x <img width=15 height=14>", 18},
  };
  for (const auto& C : Cases) {
    const std::string Html = (C.Standards ? Standards : "") + "<div>" + C.Content + "</div>";
    TLaidOut L(Html);
    int Advance = -1;
    for (auto& F : Sections(L.D.Doc))
      if (!F.Section->Objects().empty() && !F.Section->FLines.empty())
        Advance = F.Section->FLines[0].Advance();
    EXPECT_EQ(Advance, C.Advance) << Html;
  }
}

}  // namespace
