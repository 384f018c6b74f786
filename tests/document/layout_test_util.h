// Documents built from HTML and laid out, and where their texts landed: the layout tests
// ask for positions the way a user sees them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "document/core/paint_context.h"
#include "style/colors.h"
#include "tests/reader/builder_test_util.h"
#include "toolkit/graphics/bitmap.h"

// A document laid out Width wide, and where its texts landed.
struct TLaidOut {
  TBuiltDoc D;
  TCanvas Canvas;
  explicit TLaidOut(const std::string& Html, int Width = 600) {
    D.Build(Html);
    int SW = 0, Curs = 0;
    D.Doc.LayoutCell(&Canvas, 0, Width, 600, SW, Curs);
  }
  TSection* SectionOf(const std::string& Text) {
    for (auto& F : Sections(D.Doc))
      if (F.Section->FText.find(Text) != std::string::npos) return F.Section;
    return nullptr;
  }
  // The point after the first character of Text (a section's first position is also the
  // end of the one before).
  TPoint PointOf(const std::string& Text) {
    TSection* S = SectionOf(Text);
    EXPECT_NE(S, nullptr) << Text;
    TPoint P{-1, -1};
    if (S) D.Doc.PositionToPoint(&Canvas, S->FStartPos + 1, P.X, P.Y);
    return P;
  }
  int TopOf(const std::string& Text) { return PointOf(Text).Y; }
  int LeftOf(const std::string& Text) { return PointOf(Text).X; }
  // X of the character at Index of the section holding Text.
  int XAt(const std::string& Text, int Index) {
    TSection* S = SectionOf(Text);
    EXPECT_NE(S, nullptr) << Text;
    if (!S) return -1;
    int X = -1, Y = -1;
    D.Doc.PositionToPoint(&Canvas, S->FStartPos + Index, X, Y);
    return X;
  }
};

// The document painted 600 x 300 on white, and the colour at a point.
struct TPainted {
  TLaidOut L;
  TBitmap Bitmap{600, 300, pf24bit};
  explicit TPainted(const std::string& Html) : L(Html) {
    TCanvas& C = Bitmap.Canvas();
    C.FillRect(TRect{0, 0, 600, 300}, clWhite);
    TPaintContext Pass{.Band = TRect{0, 0, 600, 300}};
    L.D.Doc.Draw(&C, Pass, 600, 0, 0, 0, 0);
  }
  TColor At(int X, int Y) { return Bitmap.Canvas().GetPixel(X, Y) & 0xFFFFFF; }
};
