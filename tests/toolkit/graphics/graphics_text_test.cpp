#include <gtest/gtest.h>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics.h"

namespace {

constexpr TColor Green = RGBColor(0, 255, 0);

struct TTextFixture {
  TBitmap Bitmap{240, 60};
  TCanvas& C = Bitmap.Canvas();
  TTextMetric Tm;
  TTextFixture() {
    C.Font.Name = "Arial";
    C.Font.Size = 12;
    C.GetTextMetrics(Tm);
  }
  int Count(const TRect& r, bool (*pred)(TColor)) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += pred(Bitmap.Pixel(x, y));
    return n;
  }
};

bool IsGreen(TColor c) { return c == Green; }
bool IsInk(TColor c) { return GetRValue(c) < 128 && GetBValue(c) < 128 && c != Green; }

}  // namespace

TEST(CanvasText, OpaqueTextFillsExactlyItsCellBox) {
  TTextFixture f;
  ASSERT_GT(f.Tm.tmHeight, 10);
  f.C.SetBkColor(Green);
  f.C.TextOut(10, 5, "Hello");
  const int w = f.C.TextWidth("Hello");
  const TRect box{10, 5, 10 + w, 5 + f.Tm.tmHeight};
  EXPECT_EQ(f.Bitmap.Pixel(box.Left, box.Top), Green);
  EXPECT_EQ(f.Bitmap.Pixel(box.Right - 1, box.Top), Green);
  EXPECT_EQ(f.Bitmap.Pixel(box.Left - 1, box.Top), clWhite);
  EXPECT_EQ(f.Bitmap.Pixel(box.Right, box.Top), clWhite);
  EXPECT_EQ(f.Bitmap.Pixel(box.Left, box.Bottom), clWhite);
  EXPECT_GT(f.Count(box, IsInk), 20);
  EXPECT_EQ(f.Count(TRect{0, 0, 240, 60}, IsGreen) + f.Count(box, [](TColor c) { return !IsGreen(c); }),
            box.Width() * box.Height())
      << "no background outside the box";
}

TEST(CanvasText, TransparentTextLeavesTheBackgroundAlone) {
  TTextFixture f;
  f.C.SetBkColor(Green);
  f.C.SetBkMode(TRANSPARENT);
  f.C.TextOut(10, 5, "Hello");
  EXPECT_EQ(f.Count(TRect{0, 0, 240, 60}, IsGreen), 0);
  EXPECT_GT(f.Count(TRect{0, 0, 240, 60}, IsInk), 20);
}

TEST(CanvasText, AlignmentFlagsPlaceTheBoxAroundTheReferencePoint) {
  TTextFixture f;
  f.C.SetBkColor(Green);
  f.C.SetTextAlign(TA_BASELINE | TA_RIGHT);
  f.C.TextOut(200, 40, "Word");
  const int w = f.C.TextWidth("Word");
  EXPECT_EQ(f.Bitmap.Pixel(199, 40 - f.Tm.tmAscent), Green);
  EXPECT_EQ(f.Bitmap.Pixel(200, 40), clWhite);
  EXPECT_EQ(f.Bitmap.Pixel(200 - w, 40 + f.Tm.tmDescent - 1), Green);
  EXPECT_EQ(f.Bitmap.Pixel(200 - w - 1, 40), clWhite);
  EXPECT_EQ(f.Bitmap.Pixel(199, 40 - f.Tm.tmAscent - 1), clWhite);
  EXPECT_EQ(f.Bitmap.Pixel(199, 40 + f.Tm.tmDescent), clWhite);
}

TEST(CanvasText, JustificationSpreadsExtraPixelsOverBreaksRemainderFirst) {
  TTextFixture f;
  f.C.SetBkMode(TRANSPARENT);
  const int ab = f.C.TextWidth("a b"), cd = f.C.TextWidth("c d"), ef = f.C.TextWidth("e f");
  const int plain = f.C.TextWidth("a b c d");
  f.C.SetTextJustification(7, 3);  // 2 each, and one more for the first break
  EXPECT_EQ(f.C.TextWidth("a b c d"), plain + 7);
  int prefix[7];
  f.C.GetTextExtentExPoint("a b c d", 0, nullptr, prefix);
  int plainPrefix[7];
  f.C.SetTextJustification(0, 0);
  f.C.GetTextExtentExPoint("a b c d", 0, nullptr, plainPrefix);
  EXPECT_EQ(prefix[1] - plainPrefix[1], 3);
  EXPECT_EQ(prefix[3] - plainPrefix[3], 5);
  EXPECT_EQ(prefix[5] - plainPrefix[5], 7);

  // Drawn one piece at a time, the remainder goes to the first break drawn.
  f.C.SetTextAlign(TA_BASELINE | TA_UPDATECP);
  f.C.MoveTo(5, 30);
  f.C.SetTextJustification(7, 3);
  f.C.TextOut(0, 0, "a b");
  EXPECT_EQ(f.C.GetCurrentPosition().X, 5 + ab + 3);
  f.C.TextOut(0, 0, "c d");
  EXPECT_EQ(f.C.GetCurrentPosition().X, 5 + ab + 3 + cd + 2);
  f.C.TextOut(0, 0, "e f");
  EXPECT_EQ(f.C.GetCurrentPosition().X, 5 + ab + 3 + cd + 2 + ef + 2);
  EXPECT_EQ(f.C.GetCurrentPosition().Y, 30);
  f.C.SetTextJustification(0, 0);
  f.C.TextOut(0, 0, "a b");
  EXPECT_EQ(f.C.GetCurrentPosition().X, 5 + ab + 3 + cd + 2 + ef + 2 + ab);
}

TEST(CanvasText, ExtTextOutOpaqueRectangleAndClipping) {
  TTextFixture f;
  f.C.SetBkColor(Green);
  f.C.SetBkMode(TRANSPARENT);
  const TRect rect{20, 10, 40, 10 + f.Tm.tmHeight};
  f.C.ExtTextOut(20, 10, ETO_OPAQUE | ETO_CLIPPED, &rect, "WWWWWWWW");
  EXPECT_EQ(f.Bitmap.Pixel(20, 10), Green);
  EXPECT_EQ(f.Bitmap.Pixel(39, 10), Green);
  EXPECT_EQ(f.Count(TRect{40, 0, 240, 60}, IsInk), 0) << "clipped at the rectangle";
  EXPECT_GT(f.Count(rect, IsInk), 0);
  // Advances given per byte move the current position by their sum.
  const int dx[3] = {20, 20, 20};
  f.C.SetTextAlign(TA_TOP | TA_UPDATECP);
  f.C.MoveTo(0, 30);
  f.C.ExtTextOut(0, 0, 0, nullptr, "iii", dx);
  EXPECT_EQ(f.C.GetCurrentPosition().X, 60);
  // TextRect: the same clipping, opaque in opaque mode.
  f.C.SetTextAlign(TA_TOP);
  f.C.SetBkMode(OPAQUE);
  const TRect r2{100, 35, 120, 35 + f.Tm.tmHeight};
  f.C.TextRect(r2, 100, 35, "MMMMMM");
  EXPECT_EQ(f.Count(TRect{120, 30, 240, 60}, IsInk), 0);
  EXPECT_EQ(f.Count(TRect{120, 30, 240, 60}, IsGreen), 0);
  EXPECT_GT(f.Count(r2, IsInk), 0);
  EXPECT_GT(f.Count(r2, IsGreen), 0);
}

TEST(CanvasText, MeasuringWorksWithoutASurface) {
  TCanvas c;
  c.Font.Name = "Courier New";
  c.Font.Size = 10;
  int fit = 0;
  const TSize s = c.GetTextExtentExPoint("abcdef", c.TextWidth("abc"), &fit, nullptr);
  EXPECT_EQ(fit, 3);
  EXPECT_EQ(s.cx, c.TextWidth("abcdef"));
  c.TextOut(0, 0, "nothing to draw on");
}
