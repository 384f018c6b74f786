#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics.h"

namespace {

constexpr TColor Red = RGBColor(255, 0, 0), Green = RGBColor(0, 255, 0),
                 Blue = RGBColor(0, 0, 255), White = clWhite, Black = clBlack;

// A white bitmap of the given size whose canvas the test draws on.
struct TSurfaceFixture {
  TBitmap Bitmap;
  TCanvas& C;
  TSurfaceFixture(int w, int h) : Bitmap(w, h), C(Bitmap.Canvas()) {}
  TColor At(int x, int y) { return Bitmap.Pixel(x, y); }
  // The row as one letter per pixel: W white, K black, R red, G green, B blue, ? other.
  std::string Row(int y, int x0, int x1) {
    std::string s;
    for (int x = x0; x < x1; ++x) {
      TColor c = At(x, y);
      s += c == White ? 'W' : c == Black ? 'K' : c == Red ? 'R' : c == Green ? 'G' : c == Blue ? 'B' : '?';
    }
    return s;
  }
};

}  // namespace

TEST(CanvasShapes, RectangleOutlinesWithPenAndFillsWithBrushInsideHalfOpenBounds) {
  TSurfaceFixture f(10, 8);
  f.C.Pen.Color = Black;
  f.C.Brush.Color = Red;
  f.C.Rectangle(2, 2, 7, 6);
  EXPECT_EQ(f.Row(1, 0, 10), "WWWWWWWWWW");
  EXPECT_EQ(f.Row(2, 0, 10), "WWKKKKKWWW");
  EXPECT_EQ(f.Row(3, 0, 10), "WWKRRRKWWW");
  EXPECT_EQ(f.Row(4, 0, 10), "WWKRRRKWWW");
  EXPECT_EQ(f.Row(5, 0, 10), "WWKKKKKWWW");
  EXPECT_EQ(f.Row(6, 0, 10), "WWWWWWWWWW");
}

TEST(CanvasShapes, RectangleWithoutPenFillsOnePixelLessRightAndBelow) {
  TSurfaceFixture f(8, 6);
  f.C.Pen.Style = psClear;
  f.C.Brush.Color = Blue;
  f.C.Rectangle(1, 1, 5, 4);
  EXPECT_EQ(f.Row(1, 0, 6), "WBBBWW");
  EXPECT_EQ(f.Row(2, 0, 6), "WBBBWW");
  EXPECT_EQ(f.Row(3, 0, 6), "WWWWWW");
  f.C.Pen.Style = psSolid;
  f.C.Brush.Style = bsClear;
  f.C.Rectangle(0, 0, 8, 6);  // a clear brush leaves the inside alone
  EXPECT_EQ(f.Row(2, 0, 8), "KBBBWWWK");
}

TEST(CanvasShapes, LineToLeavesOutItsEndPointInEveryDirection) {
  TSurfaceFixture f(8, 8);
  f.C.MoveTo(1, 1);
  f.C.LineTo(5, 1);
  EXPECT_EQ(f.Row(1, 0, 8), "WKKKKWWW");
  f.C.MoveTo(6, 3);
  f.C.LineTo(2, 3);
  EXPECT_EQ(f.Row(3, 0, 8), "WWWKKKKW");
  f.C.MoveTo(0, 4);
  f.C.LineTo(3, 7);
  EXPECT_EQ(f.At(0, 4), Black);
  EXPECT_EQ(f.At(2, 6), Black);
  EXPECT_EQ(f.At(3, 7), White);
  EXPECT_EQ(f.C.GetCurrentPosition(), (TPoint{3, 7}));
}

TEST(CanvasShapes, PolylineDrawsEveryCornerOnceButNotTheLastPoint) {
  TSurfaceFixture f(6, 6);
  const TPoint pts[] = {{1, 1}, {4, 1}, {4, 4}};
  f.C.Polyline(pts, 3);
  EXPECT_EQ(f.Row(1, 0, 6), "WKKKKW");
  EXPECT_EQ(f.At(4, 3), Black);
  EXPECT_EQ(f.At(4, 4), White);
}

TEST(CanvasShapes, WidePenIsCentredOnTheLine) {
  TSurfaceFixture f(8, 8);
  f.C.Pen.Width = 3;
  f.C.MoveTo(1, 4);
  f.C.LineTo(6, 4);
  for (int y = 2; y < 7; ++y) EXPECT_EQ(f.Row(y, 0, 8), y >= 3 && y <= 5 ? "WKKKKKWW" : "WWWWWWWW") << y;
}

TEST(CanvasShapes, StyledPensAlternateRunsAndFillGapsOnlyWhenOpaque) {
  TSurfaceFixture f(14, 2);
  f.C.Pen.Style = psDot;
  f.C.SetBkMode(TRANSPARENT);
  f.C.MoveTo(0, 0);
  f.C.LineTo(14, 0);
  EXPECT_EQ(f.Row(0, 0, 14), "KKKWWWKKKWWWKK");
  f.C.SetBkMode(OPAQUE);
  f.C.SetBkColor(Green);
  f.C.MoveTo(0, 1);
  f.C.LineTo(14, 1);
  EXPECT_EQ(f.Row(1, 0, 14), "KKKGGGKKKGGGKK");
}

TEST(CanvasShapes, EllipseTouchesEveryEdgeOfItsBoundsAndIsSymmetric) {
  TSurfaceFixture f(14, 12);
  f.C.Brush.Color = Red;
  f.C.Ellipse(2, 1, 12, 11);  // 10 x 10
  EXPECT_EQ(f.At(2, 6), Black);
  EXPECT_EQ(f.At(11, 6), Black);
  EXPECT_EQ(f.At(7, 1), Black);
  EXPECT_EQ(f.At(7, 10), Black);
  EXPECT_EQ(f.At(1, 6), White);
  EXPECT_EQ(f.At(12, 6), White);
  EXPECT_EQ(f.At(7, 0), White);
  EXPECT_EQ(f.At(7, 11), White);
  EXPECT_EQ(f.At(2, 1), White);  // corners stay outside
  EXPECT_EQ(f.At(7, 6), Red);
  for (int y = 1; y < 11; ++y)
    for (int x = 2; x < 12; ++x) {
      ASSERT_EQ(f.At(x, y), f.At(13 - x, y)) << x << "," << y;
      ASSERT_EQ(f.At(x, y), f.At(x, 11 - y)) << x << "," << y;
    }
}

TEST(CanvasShapes, PolygonFillsItsInsideAndOutlinesEveryEdge) {
  TSurfaceFixture f(10, 10);
  f.C.Brush.Color = Blue;
  const TPoint tri[] = {{1, 1}, {8, 1}, {1, 8}};
  f.C.Polygon(tri, 3);
  EXPECT_EQ(f.At(1, 1), Black);
  EXPECT_EQ(f.At(8, 1), Black);
  EXPECT_EQ(f.At(1, 8), Black);
  EXPECT_EQ(f.At(2, 2), Blue);
  EXPECT_EQ(f.At(8, 8), White);
  EXPECT_EQ(f.At(6, 6), White);
}

TEST(CanvasShapes, FrameRectAndFillRectUseTheBrush) {
  TSurfaceFixture f(6, 5);
  f.C.Brush.Color = Green;
  f.C.FrameRect(TRect{0, 0, 5, 4});
  EXPECT_EQ(f.Row(0, 0, 6), "GGGGGW");
  EXPECT_EQ(f.Row(1, 0, 6), "GWWWGW");
  EXPECT_EQ(f.Row(3, 0, 6), "GGGGGW");
  f.C.FillRect(TRect{1, 1, 3, 3}, Red);
  EXPECT_EQ(f.Row(1, 0, 6), "GRRWGW");
  f.C.Brush.Style = bsClear;
  f.C.FillRect(TRect{0, 0, 6, 5});
  EXPECT_EQ(f.Row(1, 0, 6), "GRRWGW");
}

TEST(CanvasShapes, InvertAndFocusRectanglesUndoThemselves) {
  TSurfaceFixture f(8, 6);
  f.C.FillRect(TRect{0, 0, 4, 6}, Red);
  f.C.InvertRect(TRect{2, 0, 6, 6});
  EXPECT_EQ(f.At(2, 0), RGBColor(0, 255, 255));
  EXPECT_EQ(f.At(5, 0), Black);
  f.C.InvertRect(TRect{2, 0, 6, 6});
  EXPECT_EQ(f.At(2, 0), Red);
  EXPECT_EQ(f.At(5, 0), White);

  f.C.DrawFocusRect(TRect{1, 1, 7, 5});
  EXPECT_EQ(f.Row(1, 0, 8), "R?R?WKWW") << "every other pixel of the top edge";
  EXPECT_EQ(f.Row(3, 0, 8), "R?RRWWKW") << "both sides";
  EXPECT_EQ(f.At(3, 3), Red) << "inside untouched";
  f.C.DrawFocusRect(TRect{1, 1, 7, 5});
  EXPECT_EQ(f.Row(1, 0, 8), "RRRRWWWW");
  EXPECT_EQ(f.Row(4, 0, 8), "RRRRWWWW");
}

TEST(CanvasShapes, ClipRegionLimitsEveryDrawing) {
  TSurfaceFixture f(10, 4);
  TRegion clip(TRect{1, 0, 3, 4});
  clip.Union(TRect{6, 0, 8, 4});
  f.C.SelectClipRgn(&clip);
  f.C.FillRect(TRect{0, 0, 10, 4}, Red);
  EXPECT_EQ(f.Row(0, 0, 10), "WRRWWWRRWW");
  f.C.MoveTo(0, 1);
  f.C.LineTo(10, 1);
  EXPECT_EQ(f.Row(1, 0, 10), "WKKWWWKKWW");
  f.C.ExcludeClipRect(TRect{2, 0, 7, 4});
  f.C.FillRect(TRect{0, 0, 10, 4}, Blue);
  EXPECT_EQ(f.Row(2, 0, 10), "WBRWWWRBWW");
  TRect box;
  EXPECT_EQ(f.C.GetClipBox(box), COMPLEXREGION);
  EXPECT_EQ(box, (TRect{1, 0, 8, 4}));
  f.C.SelectClipRgn(nullptr);
  f.C.FillRect(TRect{0, 3, 10, 4}, Green);
  EXPECT_EQ(f.Row(3, 0, 10), "GGGGGGGGGG");
}

TEST(CanvasShapes, WindowOriginAndMappingMoveAndScaleDrawing) {
  TSurfaceFixture f(40, 40);
  f.C.SetWindowOrg(10, 20);
  f.C.FillRect(TRect{10, 20, 12, 22}, Red);
  EXPECT_EQ(f.At(0, 0), Red);
  EXPECT_EQ(f.At(2, 2), White);
  TRect box;
  f.C.GetClipBox(box);
  EXPECT_EQ(box, (TRect{10, 20, 50, 60}));
  // A printer-like mapping: 4 device pixels per logical pixel.
  f.C.SetWindowOrg(0, 0);
  f.C.SetMapping(96, 96, 384, 384);
  f.C.FillRect(TRect{2, 2, 5, 5}, Blue);
  EXPECT_EQ(f.At(8, 8), Blue);
  EXPECT_EQ(f.At(19, 19), Blue);
  EXPECT_EQ(f.At(20, 20), White);
  EXPECT_EQ(f.At(7, 8), White);
  EXPECT_EQ(f.C.LogicalToDevice(TPoint{5, 5}), (TPoint{20, 20}));
  EXPECT_EQ(f.C.DeviceToLogical(TPoint{20, 20}), (TPoint{5, 5}));
}

// Lines are only stepped where the surface or clip shows them: the pixels that do show,
// and the dash phase of the segments after, are those of the whole line.
TEST(CanvasShapes, LinesClippedToTheSurfaceDrawWhatTheWholeLineDraws) {
  struct TCase {
    const char* Name;
    std::vector<TPoint> Points;
    TPenStyle Style;
    int Width;
  };
  const TCase cases[] = {
      {"horizontal across", {{0, 104}, {400, 104}}, psSolid, 1},
      {"horizontal backwards, dashed", {{390, 105}, {3, 105}}, psDash, 1},
      {"vertical, dotted", {{110, 0}, {110, 399}}, psDot, 1},
      {"vertical upwards", {{111, 380}, {111, 7}}, psDashDot, 1},
      {"diagonal", {{0, 0}, {390, 300}}, psDot, 1},
      {"steep diagonal backwards", {{300, 399}, {20, 0}}, psDashDotDot, 1},
      {"outside then in, dashed", {{0, 30}, {380, 30}, {380, 31}, {0, 107}}, psDash, 1},
      {"around the window", {{5, 5}, {395, 5}, {395, 395}, {5, 395}, {5, 102}, {130, 102}},
       psDot, 1},
      {"wide diagonal", {{40, 60}, {200, 150}}, psSolid, 3},
  };
  for (const TCase& c : cases) {
    TSurfaceFixture whole(400, 400), window(20, 10);
    window.C.SetWindowOrg(100, 100);
    for (TSurfaceFixture* f : {&whole, &window}) {
      f->C.Pen.Style = c.Style;
      f->C.Pen.Width = c.Width;
      f->C.SetBkMode(TRANSPARENT);
      f->C.Polyline(c.Points.data(), int(c.Points.size()));
    }
    for (int y = 0; y < 10; ++y)
      EXPECT_EQ(window.Row(y, 0, 20), whole.Row(y + 100, 100, 120)) << c.Name << " row " << y;
  }
}

// A line from one end of the coordinate range to the other neither overflows its length
// nor walks it.
TEST(CanvasShapes, LineAcrossTheWholeCoordinateRangeDrawsTheVisiblePart) {
  TSurfaceFixture f(12, 4);
  f.C.MoveTo(std::numeric_limits<int>::min() + 1, 1);
  f.C.LineTo(std::numeric_limits<int>::max(), 1);
  EXPECT_EQ(f.Row(1, 0, 12), "KKKKKKKKKKKK");
  f.C.Pen.Style = psDot;
  f.C.SetBkMode(TRANSPARENT);
  // The dots count from the line's start, 2147483645 pixels before x 0: the period 6
  // times 357913940, plus 5.
  f.C.MoveTo(-2147483645, 2);
  f.C.LineTo(std::numeric_limits<int>::max(), 2);
  EXPECT_EQ(f.Row(2, 0, 12), "WKKKWWWKKKWW");
  f.C.Pen.Style = psSolid;
  f.C.MoveTo(5, std::numeric_limits<int>::max());
  f.C.LineTo(5, std::numeric_limits<int>::min() + 1);
  EXPECT_EQ(f.At(5, 0), Black);
  EXPECT_EQ(f.At(5, 3), Black);
}
