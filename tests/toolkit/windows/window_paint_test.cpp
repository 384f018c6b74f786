#include <png.h>

#include <filesystem>

#include "tests/toolkit/windows/window_test_support.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/windows/window_metrics.h"

using WindowPaint = WindowTest;

namespace {

// A window that shows rows of a tall document: pixel (x, y) is the colour of document
// row y + Offset, and it logs each paint rectangle.
struct TDocWindow {
  TProbe Probe;
  int Offset = 0;
  std::vector<TRect> Paints;
  static uint32_t RowPixel(int row) { return uint32_t(row * 2654435761u) & 0xFFFFFF; }

  void Attach() {
    Probe.Handler = [this](HWND h, unsigned msg, WPARAM, LPARAM, LRESULT&) {
      if (msg != WM_PAINT) return false;
      TPaintStruct ps;
      BeginPaint(h, &ps);
      Paints.push_back(ps.rcPaint);
      TWindowSurfaceView v = GetWindowSurface(h);
      TRect r = IntersectRect(ps.rcPaint, v.Clip);
      for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) v.Pixels[y * v.Stride + x] = RowPixel(y + Offset);
      EndPaint(h, &ps);
      return true;
    };
  }
  bool ShowsDocument(HWND h) const {
    TWindowPixels px = CaptureWindowPixels(h);
    for (int y = 0; y < px.Height; ++y)
      for (int x = 0; x < px.Width; ++x)
        if (px.At(x, y) != RowPixel(y + Offset)) return false;
    return true;
  }
};

}  // namespace

TEST_F(WindowPaint, InvalidationPaintsOnceWhenTheQueueRuns) {
  TDocWindow doc;
  doc.Attach();
  HWND h = MakeWindow(doc.Probe, nullptr, 0, 0, 40, 30);
  ProcessMessages();
  ASSERT_EQ(doc.Paints.size(), 1u);
  EXPECT_EQ(doc.Paints[0], Rect(0, 0, 40, 30));
  EXPECT_TRUE(doc.ShowsDocument(h));
  doc.Paints.clear();
  TRect a = Rect(1, 2, 5, 6), b = Rect(10, 3, 12, 20);
  InvalidateRect(h, &a);
  InvalidateRect(h, &b);
  TRect u;
  EXPECT_TRUE(GetUpdateRect(h, &u));
  EXPECT_EQ(u, Rect(1, 2, 12, 20));
  EXPECT_TRUE(doc.Paints.empty()) << "painting waits for the queue";
  ProcessMessages();
  EXPECT_EQ(doc.Paints, std::vector<TRect>{Rect(1, 2, 12, 20)});
  EXPECT_FALSE(GetUpdateRect(h, &u));
  // Rectangles outside the client area and validated ones lead to no paint.
  TRect outside = Rect(100, 100, 200, 200);
  InvalidateRect(h, &outside);
  InvalidateRect(h, &a);
  ValidateRect(h, nullptr);
  ProcessMessages();
  EXPECT_EQ(doc.Paints.size(), 1u);
}

TEST_F(WindowPaint, UpdateWindowPaintsAtOnceAndHiddenWindowsWait) {
  TDocWindow doc;
  doc.Attach();
  HWND h = MakeWindow(doc.Probe, nullptr, 0, 0, 20, 20, 0);
  InvalidateRect(h, nullptr);
  ProcessMessages();
  EXPECT_TRUE(doc.Paints.empty());
  ShowWindow(h, SW_SHOW);
  UpdateWindow(h);
  EXPECT_EQ(doc.Paints.size(), 1u);
  // A child waiting under a hidden parent paints from the queue once the parent shows.
  TDocWindow child;
  child.Attach();
  HWND c = MakeWindow(child.Probe, h, 2, 2, 5, 5);
  ShowWindow(h, SW_HIDE);
  ProcessMessages();
  InvalidateRect(c, nullptr);
  ProcessMessages();
  EXPECT_TRUE(child.Paints.empty());
  ShowWindow(h, SW_SHOW);
  ProcessMessages();
  EXPECT_EQ(child.Paints, std::vector<TRect>{Rect(0, 0, 5, 5)});
}

TEST_F(WindowPaint, ParentsPaintBeforeChildrenAndChildrenStayOnTop) {
  TDocWindow parent, child;
  parent.Attach();
  child.Attach();
  child.Offset = 1000;
  HWND p = MakeWindow(parent.Probe, nullptr, 0, 0, 50, 50);
  HWND c = MakeWindow(child.Probe, p, 10, 10, 10, 10);
  ProcessMessages();
  Log.clear();
  InvalidateRect(p, nullptr);
  ProcessMessages();
  EXPECT_EQ(Trace({WM_PAINT}), (std::vector<std::pair<HWND, unsigned>>{{p, WM_PAINT}, {c, WM_PAINT}}));
  EXPECT_TRUE(child.ShowsDocument(c));
  TWindowPixels all = CaptureWindowPixels(p);
  EXPECT_EQ(all.At(12, 12), TDocWindow::RowPixel(1002));
  EXPECT_EQ(all.At(30, 30), TDocWindow::RowPixel(30));
}

// A window at the bottom covering its siblings paints over them, whether it paints after
// them in the first paint or alone later; the ones above it are painted again.
TEST_F(WindowPaint, SiblingsAboveStayOnTopOfALowerSiblingsPaint) {
  TDocWindow parent, above, below;
  for (TDocWindow* d : {&parent, &above, &below}) d->Attach();
  above.Offset = 1000;
  HWND p = MakeWindow(parent.Probe, nullptr, 0, 0, 50, 50);
  HWND a = MakeWindow(above.Probe, p, 10, 10, 10, 10);
  HWND b = MakeWindow(below.Probe, p, 0, 0, 50, 50);  // new children go to the bottom
  ProcessMessages();
  EXPECT_TRUE(above.ShowsDocument(a));
  InvalidateRect(b, nullptr);
  ProcessMessages();
  EXPECT_TRUE(above.ShowsDocument(a));
  EXPECT_FALSE(below.ShowsDocument(b));  // the part under the one above is not its own
  EXPECT_EQ(CaptureWindowPixels(p).At(30, 30), TDocWindow::RowPixel(30));
  // Hidden, it leaves its place to the lower one; shown again, it stays on top.
  ShowWindow(a, SW_HIDE);
  ProcessMessages();
  EXPECT_TRUE(below.ShowsDocument(b));
  ShowWindow(a, SW_SHOW);
  InvalidateRect(b, nullptr);
  ProcessMessages();
  EXPECT_TRUE(above.ShowsDocument(a));
  // Both waiting: the lower one paints first, so the one above paints once, over it.
  Log.clear();
  InvalidateRect(a, nullptr);
  InvalidateRect(b, nullptr);
  ProcessMessages();
  EXPECT_EQ(Trace({WM_PAINT}), (std::vector<std::pair<HWND, unsigned>>{{b, WM_PAINT}, {a, WM_PAINT}}));
  EXPECT_TRUE(above.ShowsDocument(a));
}

TEST_F(WindowPaint, ChildrenAreClippedToTheirParent) {
  TDocWindow parent, child;
  parent.Attach();
  child.Attach();
  child.Offset = 500;
  HWND p = MakeWindow(parent.Probe, nullptr, 0, 0, 30, 30);
  HWND c = MakeWindow(child.Probe, p, 20, 20, 40, 40);  // hangs over the edge
  ProcessMessages();
  TWindowSurfaceView v = GetWindowSurface(c);
  EXPECT_EQ(v.Clip, Rect(0, 0, 10, 10));
  TWindowPixels px = CaptureWindowPixels(c);
  EXPECT_EQ(px.Width, 40);
  EXPECT_EQ(px.At(5, 5), TDocWindow::RowPixel(505));
  EXPECT_EQ(px.At(15, 15), 0u);  // not shown anywhere
}

TEST_F(WindowPaint, ScrollingMovesPixelsAndInvalidatesOnlyTheStrip) {
  TDocWindow doc;
  doc.Attach();
  HWND top = MakeWindow(doc.Probe, nullptr, 0, 0, 60, 100);
  ProcessMessages();
  ASSERT_TRUE(doc.ShowsDocument(top));
  struct TCase {
    int Dy;
    TRect Strip;
  } cases[] = {{-16, Rect(0, 84, 60, 100)}, {16, Rect(0, 0, 60, 16)}, {-99, Rect(0, 1, 60, 100)},
               {-100, Rect(0, 0, 60, 100)}, {250, Rect(0, 0, 60, 100)}};
  for (const TCase& c : cases) {
    doc.Paints.clear();
    doc.Offset -= c.Dy;
    TRect update;
    ASSERT_TRUE(ScrollWindowEx(top, 0, c.Dy, nullptr, nullptr, &update, SW_INVALIDATE));
    EXPECT_EQ(update, c.Strip) << "dy " << c.Dy;
    TRect pending;
    ASSERT_TRUE(GetUpdateRect(top, &pending));
    EXPECT_EQ(pending, c.Strip);
    // The moved pixels already show the new position before anything repaints.
    TWindowPixels px = CaptureWindowPixels(top);
    for (int y = 0; y < 100; ++y) {
      if (c.Strip.Contains(TPoint{0, y})) continue;
      ASSERT_EQ(px.At(7, y), TDocWindow::RowPixel(y + doc.Offset)) << "row " << y;
    }
    UpdateWindow(top);
    EXPECT_EQ(doc.Paints, std::vector<TRect>{c.Strip});
    EXPECT_TRUE(doc.ShowsDocument(top));
  }
}

TEST_F(WindowPaint, ScrollingACutRectangleAndAPendingRegion) {
  TDocWindow doc;
  doc.Attach();
  HWND top = MakeWindow(doc.Probe, nullptr, 0, 0, 50, 50);
  ProcessMessages();
  // A pending region moves with the pixels.
  TRect pending = Rect(0, 20, 50, 30);
  InvalidateRect(top, &pending);
  ScrollWindow(top, 0, -5);
  TRect u;
  GetUpdateRect(top, &u);
  EXPECT_EQ(u, Rect(0, 15, 50, 50));  // bounds of the moved band and the new strip
  ProcessMessages();
  // Only the inside of the scroll rectangle moves; horizontal scrolling works alike.
  TWindowPixels before = CaptureWindowPixels(top);
  TRect band = Rect(10, 0, 40, 50);
  TRect strip;
  ScrollWindowEx(top, -4, 0, &band, nullptr, &strip, 0);
  EXPECT_EQ(strip, Rect(36, 0, 40, 50));
  EXPECT_FALSE(GetUpdateRect(top, &u)) << "no SW_INVALIDATE, no update region";
  TWindowPixels after = CaptureWindowPixels(top);
  EXPECT_EQ(after.At(5, 3), before.At(5, 3));
  EXPECT_EQ(after.At(45, 3), before.At(45, 3));
  // Nothing to scroll for invalid parameters.
  EXPECT_TRUE(ScrollWindowEx(top, 0, 0, nullptr, nullptr, &strip, SW_INVALIDATE));
  EXPECT_TRUE(strip.IsEmpty());
}

TEST_F(WindowPaint, ScrollWindowMovesChildren) {
  TProbe top, child;
  HWND t = MakeWindow(top, nullptr, 0, 0, 100, 100);
  HWND c = MakeWindow(child, t, 10, 40, 20, 20);
  ScrollWindow(t, 0, -15);
  EXPECT_EQ(GetWindowBounds(c), Rect(10, 25, 30, 45));
  TRect band = Rect(50, 0, 100, 100);
  ScrollWindow(t, 0, -15, &band);
  EXPECT_EQ(GetWindowBounds(c), Rect(10, 25, 30, 45));
}

TEST_F(WindowPaint, EraseUsesTheBackgroundColour) {
  TProbe probe;
  HWND h = MakeWindow(probe, nullptr, 0, 0, 8, 8);
  SetWindowBackground(h, TColor(0x80000000 | COLOR_BTNFACE));
  InvalidateRect(h, nullptr, true);
  ProcessMessages();
  EXPECT_EQ(CaptureWindowPixels(h).At(3, 3), ColorToPixel(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(Messages({WM_ERASEBKGND}).size(), 1u);
}

TEST_F(WindowPaint, CanvasDrawsInClientCoordinatesClippedToThePaint) {
  TProbe top, child;
  TColor ink = clRed;
  child.Handler = [&](HWND h, unsigned msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_PAINT) return false;
    TPaintStruct ps;
    TCanvas* canvas = BeginPaint(h, &ps);
    EXPECT_EQ(canvas, ps.Canvas);
    // Far larger than the window: the clip keeps it inside the paint rectangle.
    if (canvas) canvas->FillRect(Rect(-100, -100, 100, 100), ink);
    EndPaint(h, &ps);
    return true;
  };
  HWND t = MakeWindow(top, nullptr, 0, 0, 50, 50);
  SetWindowBackground(t, clWhite);
  HWND c = MakeWindow(child, t, 10, 10, 20, 20);
  ProcessMessages();
  TWindowPixels px = CaptureWindowPixels(t);
  EXPECT_EQ(px.At(10, 10), ColorToPixel(clRed));
  EXPECT_EQ(px.At(29, 29), ColorToPixel(clRed));
  EXPECT_EQ(px.At(9, 9), ColorToPixel(clWhite));
  EXPECT_EQ(px.At(30, 30), ColorToPixel(clWhite));
  ink = clBlue;
  TRect corner = Rect(0, 0, 5, 5);
  InvalidateRect(c, &corner);
  ProcessMessages();
  px = CaptureWindowPixels(t);
  EXPECT_EQ(px.At(12, 12), ColorToPixel(clBlue));
  EXPECT_EQ(px.At(16, 16), ColorToPixel(clRed));

  // Outside a paint, a window canvas draws too.
  {
    TWindowDC dc(c);
    dc.Canvas().FillRect(Rect(19, 19, 40, 40), clLime);
  }
  std::unique_ptr<TBitmap> shot = CaptureWindowBitmap(c);
  ASSERT_EQ(shot->Width(), 20);
  EXPECT_EQ(shot->Pixel(19, 19), clLime);
  EXPECT_EQ(shot->Pixel(2, 2), clBlue);
  EXPECT_EQ(CaptureWindowPixels(t).At(30, 30), ColorToPixel(clWhite));
}

TEST_F(WindowPaint, WindowsSaveAsPng) {
  TProbe top;
  HWND t = MakeWindow(top, nullptr, 0, 0, 7, 5);
  SetWindowBackground(t, RGBColor(10, 20, 30));
  ProcessMessages();
  std::string file = (std::filesystem::temp_directory_path() / "qjx_window_shot.png").string();
  SaveWindowPng(t, file);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, file.c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  EXPECT_EQ(image.width, 7u);
  EXPECT_EQ(image.height, 5u);
  EXPECT_EQ(rgb[0], 10);
  EXPECT_EQ(rgb[1], 20);
  EXPECT_EQ(rgb[2], 30);
  std::filesystem::remove(file);
  EXPECT_THROW(SaveWindowPng(HandleFromParam(77), file), EInvalidGraphic);
  // A window larger than any bitmap is refused before its copy is made.
  TProbe huge;
  HWND h = MakeWindow(huge, nullptr, 0, 0, 32767, 32767);
  EXPECT_THROW(SaveWindowPng(h, file), EInvalidGraphic);
  EXPECT_THROW(CaptureWindowBitmap(h), EInvalidGraphic);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(WindowPaint, ResizingOrDestroyingTheTopLevelWhilePaintingIsSafe) {
  TProbe top, child;
  HWND t = nullptr;
  child.Handler = [&](HWND h, unsigned msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_PAINT) return false;
    TPaintStruct ps;
    TCanvas* canvas = BeginPaint(h, &ps);
    TWindowDC dc(h);
    MoveWindow(t, 0, 0, 300, 300);  // the surface is replaced under both canvases
    canvas->FillRect(Rect(0, 0, 10, 10), clRed);
    dc.Canvas().FillRect(Rect(0, 0, 10, 10), clBlue);
    DestroyWindow(t);
    canvas->FillRect(Rect(0, 0, 10, 10), clRed);
    EndPaint(h, &ps);
    return true;
  };
  t = MakeWindow(top, nullptr, 0, 0, 50, 50);
  HWND c = MakeWindow(child, t, 5, 5, 20, 20);
  ProcessMessages();
  EXPECT_FALSE(IsWindow(c));
  EXPECT_FALSE(IsWindow(t));
}

// Thousands of windows waiting at once each paint once, and finding the next one to paint
// examines a few waiting windows per paint rather than all of them.
TEST_F(WindowPaint, ManyWaitingWindowsPaintInLinearLookups) {
  constexpr int Children = 2000;
  TProbe parentProbe;
  HWND p = MakeWindow(parentProbe, nullptr, 0, 0, 200, 100);
  std::vector<TProbe> probes(Children);
  int paints = 0;
  for (TProbe& probe : probes)
    probe.Handler = [&](HWND h, unsigned msg, WPARAM, LPARAM, LRESULT&) {
      if (msg != WM_PAINT) return false;
      TPaintStruct ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      ++paints;
      return true;
    };
  // Side by side, so that no paint sends a sibling back into the queue.
  for (int i = 0; i < Children; ++i) MakeWindow(probes[size_t(i)], p, i % 200, i / 200, 1, 1);
  const uint64_t before = PaintLookSteps();
  ProcessMessages();
  EXPECT_EQ(paints, Children);
  EXPECT_LE(PaintLookSteps() - before, uint64_t(4 * Children));
}

// Windows stacked on the same spot, each with a child of its own (a viewer and its panel):
// every paint sends the windows above back into the queue, so a child painted after a
// sibling above its parent would paint that sibling again, and the repaints would multiply
// with the depth of the stack. Each window paints a bounded number of times.
TEST_F(WindowPaint, StackedWindowsWithChildrenPaintEachOnce) {
  constexpr int Stacked = 24;
  TProbe parentProbe;
  HWND p = MakeWindow(parentProbe, nullptr, 0, 0, 100, 60);
  std::vector<TProbe> probes(2 * Stacked);
  std::vector<int> paints(probes.size(), 0);
  for (size_t i = 0; i < probes.size(); ++i)
    probes[i].Handler = [&paints, i](HWND h, unsigned msg, WPARAM, LPARAM, LRESULT&) {
      if (msg != WM_PAINT) return false;
      TPaintStruct ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      ++paints[i];
      return true;
    };
  for (int i = 0; i < Stacked; ++i) {
    HWND w = MakeWindow(probes[size_t(2 * i)], p, 0, 0, 100, 60);
    MakeWindow(probes[size_t(2 * i + 1)], w, 0, 0, 100, 60);
  }
  ProcessMessages();
  ProcessMessages();
  for (size_t i = 0; i < paints.size(); ++i) EXPECT_LE(paints[i], 2) << "window " << i;
  // Once more from a paint of every window at once.
  std::fill(paints.begin(), paints.end(), 0);
  InvalidateRect(p, nullptr, true);
  for (HWND w : GetChildWindows(p)) {
    InvalidateRect(w, nullptr, true);
    for (HWND c : GetChildWindows(w)) InvalidateRect(c, nullptr, true);
  }
  ProcessMessages();
  ProcessMessages();
  for (size_t i = 0; i < paints.size(); ++i) EXPECT_LE(paints[i], 2) << "window " << i;
}
