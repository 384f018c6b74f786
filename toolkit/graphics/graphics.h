// TCanvas: drawing on a device with a pen, a brush, a font and GDI's rules.
//
// A canvas draws on a cairo surface: the image surface of a TBitmap, a window's back
// buffer, or (for printers) a vector or recording surface. Shapes are not antialiased
// and cover exactly the pixels GDI would: rectangles are half-open, a line leaves out
// its last point. Raster operations that cairo lacks work on the pixels of image
// surfaces directly.
//
// Coordinates are logical. A logical point maps to the device as
//   device = (logical - WindowOrg) * ViewportExt / WindowExt + ViewportOrg,
// so a printer canvas can take screen pixels (WindowExt 96, ViewportExt its dpi).
// Clip regions are in device pixels, as SelectClipRgn has them.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "common/types.h"
#include "toolkit/fonts/font.h"
#include "toolkit/graphics/region.h"
#include "toolkit/graphics/screen.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

class TBitmap;
class TCanvas;
class TPalette;
struct TPaletteEntry;

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle : uint8_t { bsSolid, bsClear };

// Background modes, text alignment and ExtTextOut options, with the Windows values.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : unsigned {
  TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
  TA_BOTTOM = 8, TA_BASELINE = 24
};
enum : unsigned { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum : int { ALTERNATE = 1, WINDING = 2 };

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
};

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

// Device-independent bits, as StretchDIBits takes them: rows of ((Width * BitCount +
// 31) / 32) * 4 bytes, bottom-up unless Height is negative; 1, 4 and 8 bits index
// Colors, 24 bits are blue, green, red, 32 bits blue, green, red, unused.
struct TDIBInfo {
  int Width = 0;
  int Height = 0;
  int BitCount = 24;
  const TPaletteEntry* Colors = nullptr;  // peRed, peGreen, peBlue of each index
  int ColorCount = 0;
};

// Something that keeps a canvas's surface: a bitmap brings its pixels up to date and
// (re)attaches its surface before the canvas reads or writes them.
class TCanvasOwner {
 public:
  virtual void PrepareCanvas(TCanvas& canvas, bool forWrite) = 0;

 protected:
  ~TCanvasOwner() = default;
};

class TCanvas {
 public:
  // A canvas on nothing: drawing does nothing, measuring still works.
  TCanvas();
  // A canvas on a surface (referenced, not owned). Image surfaces report their size;
  // for other surfaces give it in device pixels.
  explicit TCanvas(cairo_surface_t* surface, int width = 0, int height = 0);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // A canvas on caller-owned 0x00RRGGBB pixels, rows strideBytes apart (a multiple of
  // 4), such as a window's back buffer. The pixels must outlive the canvas.
  static std::unique_ptr<TCanvas> ForPixels(uint32_t* pixels, int width, int height,
                                            int strideBytes);

  // Points the canvas at another surface; pen, brush, font, colours and mapping stay,
  // the clip region is dropped.
  void AttachSurface(cairo_surface_t* surface, int width = 0, int height = 0);
  cairo_surface_t* Surface() const { return FSurface; }
  // A cairo context on the surface with the canvas's mapping and clip applied; fills
  // gathered so far are drawn first.
  cairo_t* Handle();
  // Draws the fills gathered on a vector surface. Whoever reads that surface while the
  // canvas stays on it (replaying a recording, ending a page) calls this first.
  void Flush();
  bool HasPixels() const { return FPixels != nullptr; }
  // Device size in pixels.
  int DeviceWidth() const { return FWidth; }
  int DeviceHeight() const { return FHeight; }

  // A canvas on the screen (a window surface): what it receives is reduced to the
  // screen's colour depth, and realising a palette on it changes the screen palette.
  void SetScreen(bool screen) { FIsScreen = screen; }
  bool IsScreen() const { return FIsScreen; }
  // A canvas on a 1-bit bitmap: colours become black or white, and transfers between
  // colour and monochrome follow GDI (see BitBlt).
  void SetMonochrome(bool mono) { FMonochrome = mono; }
  bool IsMonochrome() const { return FMonochrome; }
  void SetOwner(TCanvasOwner* owner) { FOwner = owner; }
  // The opacity of each pixel of a picture with an alpha channel (a byte a pixel, rows
  // DeviceWidth() bytes long, 255 opaque), set by its bitmap; null for opaque surfaces.
  // SRCCOPY transfers from such a canvas lay it over what lies beneath.
  void SetAlphaChannel(const uint8_t* alpha) { FAlpha = alpha; }
  const uint8_t* AlphaChannel() const { return FAlpha; }

  TPen Pen;
  TBrush Brush;
  TFontSpec Font;  // Font.Color is the text colour
  int FontPixelsPerInch = 96;  // resolution the font is sized for (logical units)

  // GDI state.
  void SetTextColor(TColor c) { Font.Color = c; }
  TColor GetTextColor() const { return Font.Color; }
  TColor SetBkColor(TColor c);
  TColor GetBkColor() const { return FBkColor; }
  int SetBkMode(int mode);
  int GetBkMode() const { return FBkMode; }
  unsigned SetTextAlign(unsigned flags);
  unsigned GetTextAlign() const { return FTextAlign; }
  // Spreads extra pixels over the next breakCount break characters of text output:
  // extra div breakCount each, and one more to each of the first extra mod breakCount.
  // (0, 0) switches it off.
  void SetTextJustification(int extra, int breakCount);
  int SetStretchBltMode(int mode);
  int SetPolyFillMode(int mode);
  TPoint MoveTo(int x, int y);  // returns the previous position
  TPoint GetCurrentPosition() const { return FPenPos; }

  // Mapping.
  TPoint SetWindowOrg(int x, int y);
  TPoint GetWindowOrg() const { return FWindowOrg; }
  TPoint SetViewportOrg(int x, int y);
  TPoint GetViewportOrg() const { return FViewportOrg; }
  // Logical units per device pixel: WindowExt over ViewportExt. All four > 0.
  void SetMapping(int windowExtX, int windowExtY, int viewportExtX, int viewportExtY);
  TPoint LogicalToDevice(TPoint p) const;
  TPoint DeviceToLogical(TPoint p) const;
  TRect LogicalToDevice(const TRect& r) const;
  TRect DeviceToLogical(const TRect& r) const;

  // Clipping. SelectClipRgn copies the region (device pixels); null removes the clip.
  int SelectClipRgn(const TRegion* region);
  // These take logical rectangles and return the kind of the new clip region.
  int IntersectClipRect(const TRect& r);
  int ExcludeClipRect(const TRect& r);
  bool HasClip() const { return FHasClip; }
  const TRegion& ClipRegion() const { return FClip; }
  // The clip box in logical coordinates (the whole device when there is no clip);
  // returns its kind.
  int GetClipBox(TRect& box) const;

  // Device capabilities (GetDeviceCaps indices of screen.h).
  TDeviceCaps Caps;
  int GetDeviceCaps(int index) const;

  // Palettes: the selected palette is not owned; RealizePalette on a screen canvas
  // makes it the screen palette and returns its entry count.
  const TPalette* SelectPalette(const TPalette* palette, bool forceBackground = false);
  const TPalette* Palette() const { return FPalette; }
  int RealizePalette();

  // Shapes.
  void FillRect(const TRect& r);           // with the brush
  void FillRect(const TRect& r, TColor c); // with a solid colour
  void FrameRect(const TRect& r);          // one pixel, with the brush colour
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void LineTo(int x, int y);
  void Polyline(const TPoint* points, int count);
  void Polygon(const TPoint* points, int count);
  void Ellipse(int left, int top, int right, int bottom);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void InvertRect(const TRect& r);
  void DrawFocusRect(const TRect& r);  // dotted, by exclusive or: twice restores
  // A 3D outline with the pen's width: one path from (Left, Bottom) up and across in
  // TopLeft, then down and back in BottomRight. The starting corner stays undrawn, as a
  // line leaves its end point out. The pen keeps its colour.
  void Outline3D(int Left, int Top, int Right, int Bottom, TColor TopLeft, TColor BottomRight);
  TColor GetPixel(int x, int y);       // clNone outside the device
  void SetPixel(int x, int y, TColor c);

  // Text, in the canvas font, at the text alignment; opaque text fills its box with
  // the background colour first.
  void TextOut(int x, int y, std::string_view text);
  // options: ETO_OPAQUE fills rect with the background colour, ETO_CLIPPED clips the
  // text to rect; dx, when given, holds one advance per byte.
  void ExtTextOut(int x, int y, unsigned options, const TRect* rect, std::string_view text,
                  const int* dx = nullptr);
  // Text clipped to r; in opaque mode r is filled with the background colour first.
  void TextRect(const TRect& r, int x, int y, std::string_view text);
  TSize GetTextExtentExPoint(std::string_view text, int maxExtent, int* fitCount,
                             int* prefixExtents);
  TSize TextExtent(std::string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }
  void GetTextMetrics(TTextMetric& tm);
  const TFontHandle* FontHandle();

  // Block transfers. The source may be this canvas (overlap is handled). Transfers
  // from a monochrome source paint its black pixels in the text colour and its white
  // ones in the background colour of this canvas; transfers from colour to a
  // monochrome canvas give white where the source has its own background colour.
  void BitBlt(int x, int y, int w, int h, TCanvas& source, int sx, int sy, uint32_t rop);
  // Nearest-pixel stretching (colour on colour); negative sizes mirror.
  void StretchBlt(int x, int y, int w, int h, TCanvas& source, int sx, int sy, int sw, int sh,
                  uint32_t rop);
  // SRCCOPY from source's rectangle to dest, stretched when the sizes differ.
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
  void PatBlt(int x, int y, int w, int h, uint32_t rop);  // with the brush as pattern
  // Device-independent bits; the source rectangle counts rows from the top of the
  // image whichever way the rows are stored.
  void StretchDIBits(int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                     const void* bits, const TDIBInfo& info, uint32_t rop);
  // Bitmaps: transparent bitmaps go through their mask.
  void Draw(int x, int y, TBitmap& bitmap);
  void StretchDraw(const TRect& r, TBitmap& bitmap);
  // The image where the monochrome mask is black, the canvas where it is white.
  // Image surfaces combine by exclusive or, and, exclusive or; other surfaces mask.
  void DrawMasked(const TRect& r, TCanvas& image, TCanvas& mask, const TRect& sourceRect);

  // Makes pixels written behind the canvas's back (ScanLine access) visible.
  void Changed();
  // Direct access to the pixels of an image surface (null otherwise): 0x00RRGGBB,
  // rows PixelStride() pixels apart. Call Changed() after writing.
  uint32_t* Pixels() { Prepare(false); return FPixels; }
  int PixelStride() const { return FStride; }

 private:
  friend class TSpanWriter;
  void Prepare(bool forWrite);
  void InvalidateCairoState() { FCairoStateValid = false; }
  uint32_t PixelOf(TColor c) const;
  void TouchDevice(const TRect& device);
  int MapX(int x) const;
  int MapY(int y) const;
  void FillLogical(const TRect& r, uint32_t pixel, bool xorMode);
  // The context with the mapping and clip applied, gathered fills left pending.
  cairo_t* Context();
  void LineSegment(TPoint a, TPoint b, int& styleState, bool drawLast);
  void DrawText(int x, int y, unsigned options, const TRect* rect, std::string_view text,
                const int* dx);
  void TransferPixels(const TRect& dest, TCanvas& source, int sx, int sy, int sw, int sh,
                      bool mirrorX, bool mirrorY, uint32_t rop);
  void TransferVector(const TRect& dest, TCanvas& source, int sx, int sy, int sw, int sh,
                      uint32_t rop);

  cairo_surface_t* FSurface = nullptr;
  cairo_t* FCr = nullptr;
  uint32_t* FPixels = nullptr;  // image surfaces: 0x00RRGGBB pixels
  int FStride = 0;              // in pixels
  int FWidth = 0, FHeight = 0;
  bool FCairoStateValid = false;
  // On vector surfaces, solid fills of one colour under one clip are gathered into one
  // path (inside a cairo_save of their own) and filled at once: a page of thousands of
  // small rectangles then costs the device one fill, not thousands.
  bool FFillPending = false;
  uint32_t FFillPixel = 0;
  TRect FFillLast;  // device pixels
  bool FIsScreen = false;
  bool FMonochrome = false;
  TCanvasOwner* FOwner = nullptr;
  const uint8_t* FAlpha = nullptr;

  TColor FBkColor = clWhite;
  int FBkMode = OPAQUE;
  unsigned FTextAlign = TA_LEFT | TA_TOP;
  TTextJustification FJustification;
  int FStretchMode = COLORONCOLOR;
  int FPolyFillMode = ALTERNATE;
  TPoint FPenPos;
  TPoint FWindowOrg, FViewportOrg;
  int FWinExtX = 1, FWinExtY = 1, FViewExtX = 1, FViewExtY = 1;
  bool FScaled = false;
  TRegion FClip;
  bool FHasClip = false;
  const TPalette* FPalette = nullptr;
  const TFontHandle* FFontHandle = nullptr;
  TFontSpec FFontHandleSpec;
  int FFontHandleDpi = 0;
};

// Puts a back buffer on the screen: copies source (its device pixels from sourceOrigin)
// to dest on the screen canvas, reducing colours to the screen's depth.
void PresentBackBuffer(TCanvas& screen, const TRect& dest, TCanvas& back, TPoint sourceOrigin);
