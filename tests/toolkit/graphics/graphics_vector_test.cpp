// What a canvas sends to a vector device (a printer's PDF, a recording): the device sees
// each fill as one operation to store and write out, so pages of many small shapes must
// reach it as few fills, in their order, with their colours and clips.
#include <gtest/gtest.h>

#include <cairo-script.h>
#include <cairo.h>

#include <functional>
#include <string>

#include "toolkit/graphics/graphics.h"

namespace {

constexpr TColor Red = RGBColor(255, 0, 0), Green = RGBColor(0, 255, 0);

// The operations a drawing sends to a vector surface, as cairo's script writes them.
std::string Script(const std::function<void(TCanvas&)>& Draw) {
  std::string out;
  auto write = [](void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  };
  cairo_device_t* device = cairo_script_create_for_stream(write, &out);
  cairo_surface_t* surface = cairo_script_surface_create(device, CAIRO_CONTENT_COLOR, 400, 400);
  {
    TCanvas canvas(surface, 400, 400);
    EXPECT_FALSE(canvas.HasPixels());
    Draw(canvas);
  }
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
  cairo_device_finish(device);
  cairo_device_destroy(device);
  return out;
}

int Count(const std::string& Text, const std::string& Word) {
  int n = 0;
  for (size_t at = Text.find(Word); at != std::string::npos; at = Text.find(Word, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(VectorSurfaces, FillsOfOneColourUnderOneClipReachTheDeviceAsOneFill) {
  const TRegion left(TRect{0, 0, 200, 400});
  struct Case {
    const char* Name;
    std::function<void(TCanvas&)> Draw;
    int Fills;
    int Rectangles;  // -1: not counted (a clip is a rectangle too)
  };
  const Case cases[] = {
      {"a hundred rectangles of one colour",
       [](TCanvas& c) {
         for (int i = 0; i < 100; ++i) c.FillRect(TRect{i * 3, 0, i * 3 + 2, 2}, Red);
       },
       1, 100},
      {"the edges of a frame too small for its inside add nothing",
       [](TCanvas& c) {
         c.FillRect(TRect{0, 0, 5, 5}, Red);
         for (int i = 0; i < 3; ++i) c.FillRect(TRect{0, 0, 1, 5}, Red);
       },
       1, 1},
      {"colours taking turns keep their order",
       [](TCanvas& c) {
         for (int i = 0; i < 4; ++i) c.FillRect(TRect{i, 0, i + 10, 10}, i % 2 ? Green : Red);
       },
       4, 4},
      {"a new clip starts a new fill",
       [&left](TCanvas& c) {
         c.FillRect(TRect{0, 0, 10, 10}, Red);
         c.SelectClipRgn(&left);
         c.FillRect(TRect{20, 0, 30, 10}, Red);
       },
       2, -1},
      {"text between fills is drawn between them",
       [](TCanvas& c) {
         c.FillRect(TRect{0, 0, 10, 10}, Red);
         c.SetBkMode(TRANSPARENT);
         c.TextOut(0, 20, "x");
         c.FillRect(TRect{20, 0, 30, 10}, Red);
       },
       2, 2},
      {"inversions never merge",
       [](TCanvas& c) {
         c.InvertRect(TRect{0, 0, 10, 10});
         c.InvertRect(TRect{5, 5, 15, 15});
       },
       2, 2},
      {"a frame of one-pixel lines",
       [](TCanvas& c) {
         c.Pen = TPen{Red, 1, psSolid};
         c.MoveTo(10, 10);
         c.LineTo(300, 10);
         c.LineTo(300, 300);
         c.LineTo(10, 300);
         c.LineTo(10, 10);
       },
       1, 4},
  };
  for (const Case& k : cases) {
    const std::string script = Script(k.Draw);
    EXPECT_EQ(Count(script, "fill"), k.Fills) << k.Name << "\n" << script.substr(0, 2000);
    if (k.Rectangles >= 0) { EXPECT_EQ(Count(script, "rectangle"), k.Rectangles) << k.Name; }
  }
}

TEST(VectorSurfaces, SolidStraightLinesAreOneRectangleEach) {
  // A one-pixel line along an axis covers a run of pixels: one rectangle, not one a pixel.
  // Styled pens keep their dashes.
  struct Case {
    TPenStyle Style;
    int Width;
    bool Across;
    int Rectangles;
  };
  const Case cases[] = {
      {psSolid, 1, true, 1},
      {psSolid, 1, false, 1},
      {psSolid, 3, true, 1},
      {psInsideFrame, 1, false, 1},
      {psDot, 1, true, 300 / 2},
  };
  for (const Case& k : cases) {
    const std::string script = Script([&k](TCanvas& c) {
      c.Pen = TPen{Red, k.Width, k.Style};
      c.SetBkMode(TRANSPARENT);
      c.MoveTo(10, 10);
      if (k.Across) c.LineTo(310, 10);
      else c.LineTo(10, 310);
    });
    EXPECT_EQ(Count(script, "rectangle"), k.Rectangles)
        << "style " << int(k.Style) << " width " << k.Width << " across " << k.Across;
  }
}
