// TCanvas text: output at GDI's reference points, opaque boxes, justification,
// and measuring through the canvas font.
#include <cairo.h>

#include "toolkit/graphics/graphics.h"

namespace {

bool SameFont(const TFontSpec& a, const TFontSpec& b) {
  return a.Size == b.Size && a.Height == b.Height && a.Bold == b.Bold && a.Italic == b.Italic &&
         a.Underline == b.Underline && a.StrikeOut == b.StrikeOut && a.Charset == b.Charset &&
         a.LetterSpacing == b.LetterSpacing && a.WordSpacing == b.WordSpacing &&
         a.SmallCaps == b.SmallCaps && a.Name == b.Name;
}

}  // namespace

const TFontHandle* TCanvas::FontHandle() {
  if (!FFontHandle || FFontHandleDpi != FontPixelsPerInch || !SameFont(Font, FFontHandleSpec)) {
    FFontHandle = ResolveFont(Font, FontPixelsPerInch);
    FFontHandleSpec = Font;
    FFontHandleDpi = FontPixelsPerInch;
  }
  return FFontHandle;
}

void TCanvas::GetTextMetrics(TTextMetric& tm) { tm = FontHandle()->Metrics(); }

TSize TCanvas::GetTextExtentExPoint(std::string_view text, int maxExtent, int* fitCount,
                                    int* prefixExtents) {
  return FontHandle()->GetTextExtentExPoint(text.data(), int(text.size()), maxExtent, fitCount,
                                            prefixExtents, &FJustification);
}

TSize TCanvas::TextExtent(std::string_view text) {
  return FontHandle()->TextExtent(text.data(), int(text.size()), &FJustification);
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  DrawText(x, y, 0, nullptr, text, nullptr);
}

void TCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect,
                         std::string_view text, const int* dx) {
  DrawText(x, y, options, rect, text, dx);
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::string_view text) {
  DrawText(x, y, ETO_CLIPPED | (FBkMode == OPAQUE ? unsigned(ETO_OPAQUE) : 0u), &r, text, nullptr);
}

void TCanvas::DrawText(int x, int y, unsigned options, const TRect* rect, std::string_view text,
                       const int* dx) {
  const TFontHandle* font = FontHandle();
  const TTextMetric& tm = font->Metrics();
  const int n = int(text.size());
  int width = 0;
  if (dx) {
    for (int i = 0; i < n; ++i) width += dx[i];
  } else {
    width = font->TextWidth(text.data(), n, &FJustification);
  }

  const bool updateCP = (FTextAlign & TA_UPDATECP) != 0;
  const TPoint ref = updateCP ? FPenPos : TPoint{x, y};
  int left = ref.X;
  switch (FTextAlign & (TA_RIGHT | TA_CENTER)) {
    case TA_RIGHT: left -= width; break;
    case TA_CENTER: left -= width / 2; break;
    default: break;
  }
  int baseline = ref.Y;
  switch (FTextAlign & TA_BASELINE) {
    case TA_BASELINE: break;
    case TA_BOTTOM: baseline -= tm.tmDescent; break;
    default: baseline += tm.tmAscent; break;
  }
  if (updateCP) {
    if ((FTextAlign & (TA_RIGHT | TA_CENTER)) == TA_LEFT) FPenPos.X = left + width;
    else if ((FTextAlign & (TA_RIGHT | TA_CENTER)) == TA_RIGHT) FPenPos.X = left;
  }

  if (!FSurface) return;
  Prepare(true);
  const bool clipped = rect && (options & ETO_CLIPPED);
  const uint32_t bk = PixelOf(FBkColor);
  if (rect && (options & ETO_OPAQUE)) FillLogical(*rect, bk, false);
  TRect box{left, baseline - tm.tmAscent, left + width, baseline + tm.tmDescent};
  if (clipped) box = IntersectRect(box, *rect);
  if (FBkMode == OPAQUE && n > 0) FillLogical(box, bk, false);
  if (n == 0) return;

  cairo_t* cr = Handle();
  cairo_save(cr);
  if (clipped) {
    cairo_rectangle(cr, rect->Left, rect->Top, rect->Width(), rect->Height());
    cairo_clip(cr);
  }
  const uint32_t fg = PixelOf(Font.Color);
  cairo_set_source_rgb(cr, ((fg >> 16) & 0xFF) / 255.0, ((fg >> 8) & 0xFF) / 255.0,
                       (fg & 0xFF) / 255.0);
  font->DrawText(cr, left, baseline, text.data(), n, dx, dx ? nullptr : &FJustification);
  cairo_restore(cr);
  if (FIsScreen) {
    // Glyph edges bring in colours the screen may not have.
    TRect ink{left - tm.tmMaxCharWidth, baseline - tm.tmAscent, left + width + tm.tmMaxCharWidth,
              baseline + tm.tmDescent + 1};
    if (clipped) ink = IntersectRect(ink, *rect);
    cairo_surface_flush(FSurface);
    TouchDevice(LogicalToDevice(ink));
  }
}
