// TCanvas: state, mapping, clipping, device capabilities and rectangle fills.
#include "toolkit/graphics/graphics.h"

#include <cairo.h>

#include <algorithm>
#include <climits>

#include "toolkit/graphics/palette.h"
#include "toolkit/graphics/raster_ops.h"

namespace {

// Rounds a / b to the nearest integer, halves upwards; b > 0.
int DivRound(int64_t a, int64_t b) {
  int64_t n = 2 * a + b, d = 2 * b;
  int64_t q = n / d;
  if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
  return int(std::clamp<int64_t>(q, INT_MIN / 2, INT_MAX / 2));
}

constexpr TRect HugeRect{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28};

}  // namespace

TCanvas::TCanvas() = default;

TCanvas::TCanvas(cairo_surface_t* surface, int width, int height) {
  AttachSurface(surface, width, height);
}

TCanvas::~TCanvas() {
  Flush();
  if (FCr) cairo_destroy(FCr);
  if (FSurface) cairo_surface_destroy(FSurface);
}

std::unique_ptr<TCanvas> TCanvas::ForPixels(uint32_t* pixels, int width, int height,
                                            int strideBytes) {
  if (!pixels || width <= 0 || height <= 0 || strideBytes < width * 4 || strideBytes % 4)
    return std::make_unique<TCanvas>();
  cairo_surface_t* s = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(pixels), CAIRO_FORMAT_RGB24, width, height, strideBytes);
  auto canvas = std::make_unique<TCanvas>(s);
  cairo_surface_destroy(s);  // the canvas holds its own reference
  return canvas;
}

void PresentBackBuffer(TCanvas& screen, const TRect& dest, TCanvas& back, TPoint sourceOrigin) {
  const bool wasScreen = screen.IsScreen();
  screen.SetScreen(true);
  screen.BitBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), back, sourceOrigin.X,
                sourceOrigin.Y, SRCCOPY);
  screen.SetScreen(wasScreen);
}

void TCanvas::AttachSurface(cairo_surface_t* surface, int width, int height) {
  if (surface == FSurface && surface) return;
  Flush();
  if (FCr) cairo_destroy(FCr);
  FCr = nullptr;
  if (FSurface) cairo_surface_destroy(FSurface);
  FSurface = surface ? cairo_surface_reference(surface) : nullptr;
  FPixels = nullptr;
  FStride = 0;
  FWidth = width;
  FHeight = height;
  if (FSurface && cairo_surface_get_type(FSurface) == CAIRO_SURFACE_TYPE_IMAGE) {
    cairo_format_t format = cairo_image_surface_get_format(FSurface);
    if (format == CAIRO_FORMAT_RGB24 || format == CAIRO_FORMAT_ARGB32) {
      cairo_surface_flush(FSurface);
      FPixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(FSurface));
      FStride = cairo_image_surface_get_stride(FSurface) / 4;
    }
    FWidth = cairo_image_surface_get_width(FSurface);
    FHeight = cairo_image_surface_get_height(FSurface);
  }
  FHasClip = false;
  FClip = TRegion();
  FCairoStateValid = false;
}

void TCanvas::Prepare(bool forWrite) {
  if (FOwner) FOwner->PrepareCanvas(*this, forWrite);
  if (FSurface) cairo_surface_flush(FSurface);
}

void TCanvas::Changed() {
  // The owner learns that the surface now holds the newest pixels.
  if (FOwner) FOwner->PrepareCanvas(*this, true);
  if (FSurface) cairo_surface_mark_dirty(FSurface);
}

cairo_t* TCanvas::Handle() {
  Flush();
  return Context();
}

void TCanvas::Flush() {
  if (!FFillPending) return;
  FFillPending = false;
  cairo_fill(FCr);
  cairo_restore(FCr);
}

cairo_t* TCanvas::Context() {
  Prepare(true);
  if (!FSurface) return nullptr;
  if (!FCr) {
    FCr = cairo_create(FSurface);
    FCairoStateValid = false;
  }
  if (!FCairoStateValid) {
    cairo_reset_clip(FCr);
    cairo_identity_matrix(FCr);
    if (FHasClip) {
      for (const TRect& r : FClip.Rects())
        cairo_rectangle(FCr, r.Left, r.Top, r.Width(), r.Height());
      if (FClip.IsEmpty()) cairo_rectangle(FCr, 0, 0, 0, 0);
      cairo_clip(FCr);
    }
    cairo_translate(FCr, FViewportOrg.X, FViewportOrg.Y);
    if (FScaled) cairo_scale(FCr, double(FViewExtX) / FWinExtX, double(FViewExtY) / FWinExtY);
    cairo_translate(FCr, -FWindowOrg.X, -FWindowOrg.Y);
    FCairoStateValid = true;
  }
  return FCr;
}

uint32_t TCanvas::PixelOf(TColor c) const {
  c = ColorToRGB(c);
  uint32_t r = uint32_t(GetRValue(c)), g = uint32_t(GetGValue(c)), b = uint32_t(GetBValue(c));
  if (FMonochrome) {
    uint32_t v = (r * 30 + g * 59 + b * 11) >= 12800 ? 0xFFFFFF : 0;
    return 0xFF000000u | v;
  }
  uint32_t p = (r << 16) | (g << 8) | b;
  if (FIsScreen && ScreenColorDepth() < 24) {
    const TPalette& pal = ScreenColorDepth() <= 4 ? TPalette::Vga16() : ScreenPalette();
    p = pal.EntryPixel(pal.NearestIndexOfPixel(p));
  }
  return 0xFF000000u | p;
}

void TCanvas::TouchDevice(const TRect& device) {
  if (!FPixels) return;
  TRect d = IntersectRect(device, TRect{0, 0, FWidth, FHeight});
  if (d.IsEmpty()) return;
  if (FIsScreen && ScreenColorDepth() < 24)
    ReduceToScreen(FPixels + size_t(d.Top) * size_t(FStride) + size_t(d.Left), d.Width(),
                   d.Height(), FStride * 4);
  cairo_surface_mark_dirty_rectangle(FSurface, d.Left, d.Top, d.Width(), d.Height());
}

// ---- State ----

TColor TCanvas::SetBkColor(TColor c) {
  TColor old = FBkColor;
  FBkColor = c;
  return old;
}

int TCanvas::SetBkMode(int mode) {
  int old = FBkMode;
  if (mode == TRANSPARENT || mode == OPAQUE) FBkMode = mode;
  return old;
}

unsigned TCanvas::SetTextAlign(unsigned flags) {
  unsigned old = FTextAlign;
  FTextAlign = flags;
  return old;
}

void TCanvas::SetTextJustification(int extra, int breakCount) {
  FJustification = TTextJustification::Make(extra, breakCount);
}

int TCanvas::SetStretchBltMode(int mode) {
  int old = FStretchMode;
  if (mode >= BLACKONWHITE && mode <= HALFTONE) FStretchMode = mode;
  return old;
}

int TCanvas::SetPolyFillMode(int mode) {
  int old = FPolyFillMode;
  if (mode == ALTERNATE || mode == WINDING) FPolyFillMode = mode;
  return old;
}

TPoint TCanvas::MoveTo(int x, int y) {
  TPoint old = FPenPos;
  FPenPos = TPoint{x, y};
  return old;
}

// ---- Mapping ----

TPoint TCanvas::SetWindowOrg(int x, int y) {
  TPoint old = FWindowOrg;
  FWindowOrg = TPoint{x, y};
  FCairoStateValid = false;
  return old;
}

TPoint TCanvas::SetViewportOrg(int x, int y) {
  TPoint old = FViewportOrg;
  FViewportOrg = TPoint{x, y};
  FCairoStateValid = false;
  return old;
}

void TCanvas::SetMapping(int windowExtX, int windowExtY, int viewportExtX, int viewportExtY) {
  if (windowExtX <= 0 || windowExtY <= 0 || viewportExtX <= 0 || viewportExtY <= 0) return;
  FWinExtX = windowExtX;
  FWinExtY = windowExtY;
  FViewExtX = viewportExtX;
  FViewExtY = viewportExtY;
  FScaled = !(FWinExtX == FViewExtX && FWinExtY == FViewExtY);
  FCairoStateValid = false;
}

int TCanvas::MapX(int x) const {
  if (!FScaled) return x - FWindowOrg.X + FViewportOrg.X;
  return DivRound(int64_t(x - FWindowOrg.X) * FViewExtX, FWinExtX) + FViewportOrg.X;
}

int TCanvas::MapY(int y) const {
  if (!FScaled) return y - FWindowOrg.Y + FViewportOrg.Y;
  return DivRound(int64_t(y - FWindowOrg.Y) * FViewExtY, FWinExtY) + FViewportOrg.Y;
}

TPoint TCanvas::LogicalToDevice(TPoint p) const { return TPoint{MapX(p.X), MapY(p.Y)}; }

TPoint TCanvas::DeviceToLogical(TPoint p) const {
  if (!FScaled)
    return TPoint{p.X - FViewportOrg.X + FWindowOrg.X, p.Y - FViewportOrg.Y + FWindowOrg.Y};
  return TPoint{DivRound(int64_t(p.X - FViewportOrg.X) * FWinExtX, FViewExtX) + FWindowOrg.X,
                DivRound(int64_t(p.Y - FViewportOrg.Y) * FWinExtY, FViewExtY) + FWindowOrg.Y};
}

TRect TCanvas::LogicalToDevice(const TRect& r) const {
  return TRect{MapX(r.Left), MapY(r.Top), MapX(r.Right), MapY(r.Bottom)};
}

TRect TCanvas::DeviceToLogical(const TRect& r) const {
  TPoint a = DeviceToLogical(TPoint{r.Left, r.Top});
  TPoint b = DeviceToLogical(TPoint{r.Right, r.Bottom});
  return TRect{a.X, a.Y, b.X, b.Y};
}

// ---- Clipping ----

int TCanvas::SelectClipRgn(const TRegion* region) {
  FCairoStateValid = false;
  if (!region) {
    FHasClip = false;
    FClip = TRegion();
    return SIMPLEREGION;
  }
  FClip = *region;
  FHasClip = true;
  return FClip.Kind();
}

int TCanvas::IntersectClipRect(const TRect& r) {
  TRegion d(LogicalToDevice(r));
  if (FHasClip) FClip.Intersect(d);
  else FClip = d;
  FHasClip = true;
  FCairoStateValid = false;
  return FClip.Kind();
}

int TCanvas::ExcludeClipRect(const TRect& r) {
  if (!FHasClip) FClip = TRegion(FWidth > 0 && FHeight > 0 ? TRect{0, 0, FWidth, FHeight} : HugeRect);
  FClip.Subtract(TRegion(LogicalToDevice(r)));
  FHasClip = true;
  FCairoStateValid = false;
  return FClip.Kind();
}

int TCanvas::GetClipBox(TRect& box) const {
  TRect device{0, 0, FWidth, FHeight};
  if (FHasClip) {
    if (FClip.IsEmpty()) {
      box = TRect{};
      return NULLREGION;
    }
    device = FClip.Bounds();
  }
  box = DeviceToLogical(device);
  return FHasClip ? FClip.Kind() : SIMPLEREGION;
}

// ---- Capabilities and palettes ----

int TCanvas::GetDeviceCaps(int index) const {
  const bool display = Caps.Technology == DT_RASDISPLAY;
  const int depth = Caps.BitsPixel > 0 ? Caps.BitsPixel : ScreenColorDepth();
  const int horz = Caps.HorzRes > 0 ? Caps.HorzRes : display ? ScreenSize().cx : FWidth;
  const int vert = Caps.VertRes > 0 ? Caps.VertRes : display ? ScreenSize().cy : FHeight;
  switch (index) {
    case TECHNOLOGY: return Caps.Technology;
    case HORZRES: return horz;
    case VERTRES: return vert;
    case HORZSIZE: return Caps.LogPixelsX > 0 ? DivRound(int64_t(horz) * 254, int64_t(Caps.LogPixelsX) * 10) : 0;
    case VERTSIZE: return Caps.LogPixelsY > 0 ? DivRound(int64_t(vert) * 254, int64_t(Caps.LogPixelsY) * 10) : 0;
    case BITSPIXEL: return depth;
    case PLANES: return 1;
    case NUMCOLORS:
      if (Caps.NumColors) return Caps.NumColors;
      return depth > 8 ? -1 : depth == 8 ? 20 : 1 << depth;
    case RASTERCAPS:
      return RC_BITBLT | RC_STRETCHBLT | RC_DIBTODEV | RC_STRETCHDIB |
             (depth == 8 && display ? RC_PALETTE : 0);
    case LOGPIXELSX: return Caps.LogPixelsX;
    case LOGPIXELSY: return Caps.LogPixelsY;
    case SIZEPALETTE: return depth == 8 && display ? 256 : 0;
    case NUMRESERVED: return depth == 8 && display ? 20 : 0;
    case COLORRES: return depth == 8 && display ? 18 : depth;
    case PHYSICALWIDTH: return Caps.PhysicalWidth;
    case PHYSICALHEIGHT: return Caps.PhysicalHeight;
    case PHYSICALOFFSETX: return Caps.PhysicalOffsetX;
    case PHYSICALOFFSETY: return Caps.PhysicalOffsetY;
    default: return 0;
  }
}

const TPalette* TCanvas::SelectPalette(const TPalette* palette, bool) {
  const TPalette* old = FPalette;
  FPalette = palette;
  return old;
}

int TCanvas::RealizePalette() {
  if (!FPalette) return 0;
  if (FIsScreen && ScreenColorDepth() == 8) SetScreenPalette(FPalette);
  return FPalette->Count();
}

// ---- Rectangles and pixels ----

void TCanvas::FillLogical(const TRect& r, uint32_t pixel, bool xorMode) {
  if (!FSurface || r.IsEmpty()) return;
  TRect d = LogicalToDevice(r);
  if (d.Right < d.Left) std::swap(d.Left, d.Right);
  if (d.Bottom < d.Top) std::swap(d.Top, d.Bottom);
  if (FPixels) {
    d = IntersectRect(d, TRect{0, 0, FWidth, FHeight});
    if (d.IsEmpty()) return;
    auto fill = [&](const TRect& c) {
      for (int y = c.Top; y < c.Bottom; ++y) {
        uint32_t* row = FPixels + size_t(y) * size_t(FStride);
        if (xorMode)
          for (int x = c.Left; x < c.Right; ++x) row[x] ^= pixel & 0xFFFFFF;
        else
          FillPixels(row + c.Left, size_t(c.Right - c.Left), pixel);
      }
    };
    if (FHasClip) FClip.ForEachRect(d, fill);
    else fill(d);
    cairo_surface_mark_dirty_rectangle(FSurface, d.Left, d.Top, d.Width(), d.Height());
    return;
  }
  // Vector surfaces: rectangles in device space under the clip. A fill joins the gathered
  // path when its colour and the clip are those of the path; an exclusive-or fill stands
  // alone, as overlapping ones must not merge.
  if (xorMode || !FFillPending || pixel != FFillPixel || !FCairoStateValid) {
    Flush();
    cairo_t* cr = Context();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    // The rectangles all turn the same way, so their union is filled.
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    if (xorMode) {
      cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_rectangle(cr, d.Left, d.Top, d.Width(), d.Height());
      cairo_fill(cr);
      cairo_restore(cr);
      return;
    }
    cairo_set_source_rgb(cr, ((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0,
                         (pixel & 0xFF) / 255.0);
    FFillPending = true;
    FFillPixel = pixel;
  } else if (d.Left >= FFillLast.Left && d.Top >= FFillLast.Top && d.Right <= FFillLast.Right &&
             d.Bottom <= FFillLast.Bottom) {
    // Inside the rectangle just added (the edges of a frame too small for its inside).
    return;
  }
  FFillLast = d;
  cairo_rectangle(FCr, d.Left, d.Top, d.Width(), d.Height());
}

void TCanvas::FillRect(const TRect& r) {
  if (Brush.Style == bsClear) return;
  Prepare(true);
  FillLogical(r, PixelOf(Brush.Color), false);
}

void TCanvas::FillRect(const TRect& r, TColor c) {
  Prepare(true);
  FillLogical(r, PixelOf(c), false);
}

void TCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty() || Brush.Style == bsClear) return;
  Prepare(true);
  uint32_t p = PixelOf(Brush.Color);
  FillLogical(TRect{r.Left, r.Top, r.Right, r.Top + 1}, p, false);
  FillLogical(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, p, false);
  FillLogical(TRect{r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}, p, false);
  FillLogical(TRect{r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, p, false);
}

void TCanvas::InvertRect(const TRect& r) {
  Prepare(true);
  FillLogical(r, 0xFFFFFF, true);
}

void TCanvas::Outline3D(int Left, int Top, int Right, int Bottom, TColor TopLeft,
                        TColor BottomRight) {
  const TColor Saved = Pen.Color;
  Pen.Color = TopLeft;
  MoveTo(Left, Bottom);
  LineTo(Left, Top);
  LineTo(Right, Top);
  Pen.Color = BottomRight;
  LineTo(Right, Bottom);
  LineTo(Left, Bottom);
  Pen.Color = Saved;
}

void TCanvas::DrawFocusRect(const TRect& r) {
  if (r.IsEmpty()) return;
  Prepare(true);
  // Every other pixel of the outline, counted along each edge from the corner.
  for (int x = r.Left; x < r.Right; x += 2) {
    FillLogical(TRect{x, r.Top, x + 1, r.Top + 1}, 0xFFFFFF, true);
    if (r.Bottom - 1 > r.Top) FillLogical(TRect{x, r.Bottom - 1, x + 1, r.Bottom}, 0xFFFFFF, true);
  }
  for (int y = r.Top + 2; y < r.Bottom - 1; y += 2) {
    FillLogical(TRect{r.Left, y, r.Left + 1, y + 1}, 0xFFFFFF, true);
    if (r.Right - 1 > r.Left) FillLogical(TRect{r.Right - 1, y, r.Right, y + 1}, 0xFFFFFF, true);
  }
}

TColor TCanvas::GetPixel(int x, int y) {
  Prepare(false);
  TPoint d = LogicalToDevice(TPoint{x, y});
  if (!FPixels || d.X < 0 || d.Y < 0 || d.X >= FWidth || d.Y >= FHeight) return clNone;
  uint32_t p = FPixels[size_t(d.Y) * size_t(FStride) + size_t(d.X)];
  return RGBColor(int(p >> 16) & 0xFF, int(p >> 8) & 0xFF, int(p & 0xFF));
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  Prepare(true);
  FillLogical(TRect{x, y, x + 1, y + 1}, PixelOf(c), false);
}
