// TCanvas block transfers: raster operations on the pixels of image surfaces,
// nearest-pixel stretching, device-independent bits, masked drawing, and what
// vector surfaces can do of the same.
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/graphics/raster_ops.h"

namespace {

TRect NormalizedRect(int x, int y, int w, int h) {
  return TRect{std::min(x, x + w), std::min(y, y + h), std::max(x, x + w), std::max(y, y + h)};
}

// Source index of destination index i out of n, for a source of m: the source pixel
// under the destination pixel's centre.
inline int StretchIndex(int i, int n, int m) {
  return n == m ? i : int((int64_t(2 * i + 1) * m) / (2 * int64_t(n)));
}

// Source pixel s at opacity a over destination pixel d, channel by channel, rounded.
inline uint32_t BlendPixel(uint32_t s, uint32_t d, uint32_t a) {
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t v = ((s >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * (255 - a);
    out |= ((v + 127) / 255) << shift;
  }
  return out;
}

// The pixels of an image surface with its alpha channel (a byte a pixel, rows width
// long), as a premultiplied surface that cairo lays over vector devices.
cairo_surface_t* SurfaceWithAlpha(const uint32_t* pixels, int stride, int width, int height,
                                  const uint8_t* alpha) {
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(out);
    throw EOutOfResources("Out of Resources");
  }
  cairo_surface_flush(out);
  auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(out));
  const int outStride = cairo_image_surface_get_stride(out) / 4;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t a = alpha[size_t(y) * size_t(width) + size_t(x)];
      const uint32_t p = pixels[size_t(y) * size_t(stride) + size_t(x)];
      uint32_t v = a << 24;
      for (int shift = 0; shift < 24; shift += 8) v |= ((((p >> shift) & 0xFF) * a + 127) / 255) << shift;
      px[size_t(y) * size_t(outStride) + size_t(x)] = v;
    }
  cairo_surface_mark_dirty(out);
  return out;
}

cairo_operator_t BlendFor(uint32_t rop, bool& supported) {
  supported = true;
  switch (rop) {
    case SRCCOPY: return CAIRO_OPERATOR_OVER;
    case SRCAND: return CAIRO_OPERATOR_MULTIPLY;
    case SRCPAINT: return CAIRO_OPERATOR_LIGHTEN;
    case SRCINVERT: return CAIRO_OPERATOR_DIFFERENCE;
    default: supported = false; return CAIRO_OPERATOR_OVER;
  }
}

}  // namespace

void TCanvas::BitBlt(int x, int y, int w, int h, TCanvas& source, int sx, int sy, uint32_t rop) {
  StretchBlt(x, y, w, h, source, sx, sy, w, h, rop);
}

void TCanvas::StretchBlt(int x, int y, int w, int h, TCanvas& source, int sx, int sy, int sw,
                         int sh, uint32_t rop) {
  if (!RopUsesSource(rop)) {
    PatBlt(x, y, w, h, rop);
    return;
  }
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return;
  Prepare(true);
  if (&source != this) source.Prepare(false);
  if (!FSurface || !source.FSurface) return;
  const bool mirrorX = (w < 0) != (sw < 0), mirrorY = (h < 0) != (sh < 0);
  const TRect d = LogicalToDevice(NormalizedRect(x, y, w, h));
  const TRect s = source.LogicalToDevice(NormalizedRect(sx, sy, sw, sh));
  if (FPixels && source.FPixels)
    TransferPixels(d, source, s.Left, s.Top, s.Width(), s.Height(), mirrorX, mirrorY, rop);
  else
    TransferVector(d, source, s.Left, s.Top, mirrorX ? -s.Width() : s.Width(),
                   mirrorY ? -s.Height() : s.Height(), rop);
}

void TCanvas::TransferPixels(const TRect& dest, TCanvas& src, int sx, int sy, int sw, int sh,
                             bool mirrorX, bool mirrorY, uint32_t rop) {
  const int dw = dest.Width(), dh = dest.Height();
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const bool stretched = dw != sw || dh != sh || mirrorX || mirrorY;

  // Source column and row of every destination column and row; destination pixels
  // whose source lies outside the source surface are left alone. The maps are
  // monotonic, so the usable part is one range on each axis.
  std::vector<int> cols, rows;
  int i0 = 0, i1 = dw, j0 = 0, j1 = dh;
  if (stretched) {
    cols.resize(size_t(dw));
    rows.resize(size_t(dh));
    for (int i = 0; i < dw; ++i) cols[size_t(i)] = sx + StretchIndex(mirrorX ? dw - 1 - i : i, dw, sw);
    for (int j = 0; j < dh; ++j) rows[size_t(j)] = sy + StretchIndex(mirrorY ? dh - 1 - j : j, dh, sh);
    auto inX = [&](int i) { return cols[size_t(i)] >= 0 && cols[size_t(i)] < src.FWidth; };
    auto inY = [&](int j) { return rows[size_t(j)] >= 0 && rows[size_t(j)] < src.FHeight; };
    while (i0 < dw && !inX(i0)) ++i0;
    while (i1 > i0 && !inX(i1 - 1)) --i1;
    while (j0 < dh && !inY(j0)) ++j0;
    while (j1 > j0 && !inY(j1 - 1)) --j1;
  } else {
    i0 = std::max(0, -sx);
    i1 = std::min(dw, src.FWidth - sx);
    j0 = std::max(0, -sy);
    j1 = std::min(dh, src.FHeight - sy);
  }
  TRect target = IntersectRect(
      TRect{dest.Left + i0, dest.Top + j0, dest.Left + i1, dest.Top + j1}, TRect{0, 0, FWidth, FHeight});
  if (target.IsEmpty()) return;
  auto srcCol = [&](int dx) { return stretched ? cols[size_t(dx - dest.Left)] : sx + dx - dest.Left; };
  auto srcRow = [&](int dy) { return stretched ? rows[size_t(dy - dest.Top)] : sy + dy - dest.Top; };

  // Reading from the surface being written: take a copy of the source area first.
  const uint32_t* srcBase = src.FPixels;
  int srcStride = src.FStride, colBase = 0, rowBase = 0;
  std::vector<uint32_t> snapshot;
  if (&src == this) {
    const int c0 = srcCol(mirrorX ? target.Right - 1 : target.Left);
    const int c1 = srcCol(mirrorX ? target.Left : target.Right - 1) + 1;
    const int r0 = srcRow(mirrorY ? target.Bottom - 1 : target.Top);
    const int r1 = srcRow(mirrorY ? target.Top : target.Bottom - 1) + 1;
    snapshot.resize(size_t(c1 - c0) * size_t(r1 - r0));
    for (int r = r0; r < r1; ++r)
      std::memcpy(&snapshot[size_t(r - r0) * size_t(c1 - c0)],
                  src.FPixels + size_t(r) * size_t(src.FStride) + size_t(c0), size_t(c1 - c0) * 4);
    srcBase = snapshot.data();
    srcStride = c1 - c0;
    colBase = c0;
    rowBase = r0;
  }

  const bool fromMono = src.FMonochrome && !FMonochrome;
  const bool toMono = !src.FMonochrome && FMonochrome;
  const uint32_t fore = PixelOf(Font.Color), back = PixelOf(FBkColor);
  const uint32_t srcBack = src.PixelOf(src.FBkColor) & 0xFFFFFF;
  const uint32_t pattern = PixelOf(Brush.Color);
  // A picture with an alpha channel is laid over the destination.
  const uint8_t* alpha = rop == SRCCOPY && &src != this && !fromMono && !toMono ? src.FAlpha : nullptr;
  const bool direct = !stretched && !fromMono && !toMono && !alpha;
  std::vector<uint32_t> buffer;
  if (!direct) buffer.resize(size_t(target.Width()));

  auto run = [&](const TRect& c) {
    const int n = c.Width();
    for (int y = c.Top; y < c.Bottom; ++y) {
      const uint32_t* srow = srcBase + size_t(srcRow(y) - rowBase) * size_t(srcStride);
      uint32_t* drow = FPixels + size_t(y) * size_t(FStride) + size_t(c.Left);
      if (direct) {
        RopRow(rop, drow, srow + (srcCol(c.Left) - colBase), pattern, n);
        continue;
      }
      const uint8_t* arow = alpha ? alpha + size_t(srcRow(y)) * size_t(src.FWidth) : nullptr;
      for (int t = 0; t < n; ++t) {
        const int col = srcCol(c.Left + t);
        uint32_t p = srow[col - colBase];
        if (fromMono) p = (p & 0xFFFFFF) == 0xFFFFFF ? back : fore;
        else if (toMono) p = (p & 0xFFFFFF) == srcBack ? 0xFFFFFFFFu : 0xFF000000u;
        else if (arow && arow[col] != 255) p = BlendPixel(p, drow[t], arow[col]);
        buffer[size_t(t)] = p;
      }
      RopRow(rop, drow, buffer.data(), pattern, n);
    }
  };
  if (FHasClip) FClip.ForEachRect(target, run);
  else run(target);
  TouchDevice(target);
}

void TCanvas::TransferVector(const TRect& dest, TCanvas& source, int sx, int sy, int sw, int sh,
                             uint32_t rop) {
  bool supported;
  const cairo_operator_t op = BlendFor(rop, supported);
  if (!supported || dest.IsEmpty() || sw == 0 || sh == 0) return;
  source.Flush();
  cairo_surface_t* blended = source.FAlpha && source.FPixels && rop == SRCCOPY
                                 ? SurfaceWithAlpha(source.FPixels, source.FStride, source.FWidth,
                                                    source.FHeight, source.FAlpha)
                                 : nullptr;
  cairo_t* cr = Handle();
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_rectangle(cr, dest.Left, dest.Top, dest.Width(), dest.Height());
  cairo_clip(cr);
  // Negative source sizes mirror: scale by a negative factor about the far edge.
  cairo_translate(cr, sw < 0 ? dest.Right : dest.Left, sh < 0 ? dest.Bottom : dest.Top);
  cairo_scale(cr, double(dest.Width()) / sw, double(dest.Height()) / sh);
  cairo_set_source_surface(cr, blended ? blended : source.FSurface, -sx, -sy);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_set_operator(cr, op);
  cairo_paint(cr);
  cairo_restore(cr);
  if (blended) cairo_surface_destroy(blended);
  TouchDevice(dest);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
  StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), source, sourceRect.Left,
             sourceRect.Top, sourceRect.Width(), sourceRect.Height(), SRCCOPY);
}

void TCanvas::PatBlt(int x, int y, int w, int h, uint32_t rop) {
  if (RopUsesSource(rop) || w == 0 || h == 0) return;
  Prepare(true);
  if (!FSurface) return;
  const uint32_t pattern = PixelOf(Brush.Color);
  const TRect d = LogicalToDevice(NormalizedRect(x, y, w, h));
  if (FPixels) {
    const TRect target = IntersectRect(d, TRect{0, 0, FWidth, FHeight});
    if (target.IsEmpty()) return;
    auto run = [&](const TRect& c) {
      for (int row = c.Top; row < c.Bottom; ++row)
        RopRow(rop, FPixels + size_t(row) * size_t(FStride) + size_t(c.Left), nullptr, pattern, c.Width());
    };
    if (FHasClip) FClip.ForEachRect(target, run);
    else run(target);
    TouchDevice(target);
    return;
  }
  const TRect logical = NormalizedRect(x, y, w, h);
  switch (rop) {
    case PATCOPY: FillLogical(logical, pattern, false); break;
    case BLACKNESS: FillLogical(logical, 0xFF000000u, false); break;
    case WHITENESS: FillLogical(logical, 0xFFFFFFFFu, false); break;
    case DSTINVERT: FillLogical(logical, 0xFFFFFF, true); break;
    default: break;
  }
}

void TCanvas::StretchDIBits(int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                            const void* bits, const TDIBInfo& info, uint32_t rop) {
  if (!bits || info.Width <= 0 || info.Height == 0 || sw <= 0 || sh <= 0) return;
  const int bc = info.BitCount;
  if (bc != 1 && bc != 4 && bc != 8 && bc != 24 && bc != 32) return;
  const int height = info.Height < 0 ? -info.Height : info.Height;
  if (!CheckBitmapSize(info.Width, height)) return;
  // Only the part of the source inside the image is transferred, to the matching
  // part of the destination.
  const TRect s = IntersectRect(TRect{sx, sy, sx + sw, sy + sh}, TRect{0, 0, info.Width, height});
  if (s.IsEmpty()) return;
  auto scale = [](int v, int from, int to) { return int(int64_t(v) * to / from); };
  const int dx0 = x + scale(s.Left - sx, sw, w), dx1 = x + scale(s.Right - sx, sw, w);
  const int dy0 = y + scale(s.Top - sy, sh, h), dy1 = y + scale(s.Bottom - sy, sh, h);

  cairo_surface_t* tmp = cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.Width(), s.Height());
  if (cairo_surface_status(tmp) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(tmp);
    throw EOutOfResources("Out of Resources");
  }
  cairo_surface_flush(tmp);
  auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(tmp));
  const int stride = cairo_image_surface_get_stride(tmp) / 4;
  const size_t rowSize = ((size_t(info.Width) * size_t(bc) + 31) / 32) * 4;
  auto color = [&](int index) -> uint32_t {
    if (!info.Colors || index >= info.ColorCount) return 0xFF000000u;
    const TPaletteEntry& e = info.Colors[index];
    return 0xFF000000u | uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue;
  };
  for (int r = s.Top; r < s.Bottom; ++r) {
    const int stored = info.Height < 0 ? r : height - 1 - r;
    const uint8_t* in = static_cast<const uint8_t*>(bits) + size_t(stored) * rowSize;
    uint32_t* out = px + size_t(r - s.Top) * size_t(stride);
    for (int c = s.Left; c < s.Right; ++c) {
      uint32_t p;
      switch (bc) {
        case 1: p = color((in[c >> 3] >> (7 - (c & 7))) & 1); break;
        case 4: p = color((in[c >> 1] >> ((c & 1) ? 0 : 4)) & 15); break;
        case 8: p = color(in[c]); break;
        case 24: p = 0xFF000000u | uint32_t(in[3 * c + 2]) << 16 | uint32_t(in[3 * c + 1]) << 8 | in[3 * c]; break;
        default: p = 0xFF000000u | uint32_t(in[4 * c + 2]) << 16 | uint32_t(in[4 * c + 1]) << 8 | in[4 * c]; break;
      }
      out[c - s.Left] = p;
    }
  }
  cairo_surface_mark_dirty(tmp);
  {
    TCanvas source(tmp);
    StretchBlt(dx0, dy0, dx1 - dx0, dy1 - dy0, source, 0, 0, s.Width(), s.Height(), rop);
  }
  cairo_surface_destroy(tmp);
}

void TCanvas::DrawMasked(const TRect& r, TCanvas& image, TCanvas& mask, const TRect& sourceRect) {
  if (r.IsEmpty() || sourceRect.IsEmpty()) return;
  Prepare(true);
  image.Prepare(false);
  mask.Prepare(false);
  if (!FSurface || !image.FSurface || !mask.FSurface) return;
  const int sx = sourceRect.Left, sy = sourceRect.Top, sw = sourceRect.Width(), sh = sourceRect.Height();
  if (FPixels) {
    // The mask's black pixels must read as 0 and its white ones as all ones.
    const TColor text = Font.Color, back = FBkColor;
    Font.Color = clBlack;
    FBkColor = clWhite;
    StretchBlt(r.Left, r.Top, r.Width(), r.Height(), image, sx, sy, sw, sh, SRCINVERT);
    StretchBlt(r.Left, r.Top, r.Width(), r.Height(), mask, sx, sy, sw, sh, SRCAND);
    StretchBlt(r.Left, r.Top, r.Width(), r.Height(), image, sx, sy, sw, sh, SRCINVERT);
    Font.Color = text;
    FBkColor = back;
    return;
  }
  if (!mask.FPixels) return;
  // Vector surfaces: the mask becomes an alpha channel, opaque where it is black.
  const TRect ms = IntersectRect(mask.LogicalToDevice(sourceRect), TRect{0, 0, mask.FWidth, mask.FHeight});
  if (ms.IsEmpty()) return;
  cairo_surface_t* alpha = cairo_image_surface_create(CAIRO_FORMAT_A8, ms.Width(), ms.Height());
  if (cairo_surface_status(alpha) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(alpha);
    throw EOutOfResources("Out of Resources");
  }
  cairo_surface_flush(alpha);
  uint8_t* a = cairo_image_surface_get_data(alpha);
  const int astride = cairo_image_surface_get_stride(alpha);
  for (int y = ms.Top; y < ms.Bottom; ++y)
    for (int x = ms.Left; x < ms.Right; ++x)
      a[size_t(y - ms.Top) * size_t(astride) + size_t(x - ms.Left)] =
          (mask.FPixels[size_t(y) * size_t(mask.FStride) + size_t(x)] & 0xFFFFFF) == 0xFFFFFF ? 0 : 255;
  cairo_surface_mark_dirty(alpha);
  const TRect d = LogicalToDevice(r);
  const TRect is = image.LogicalToDevice(sourceRect);
  image.Flush();
  cairo_t* cr = Handle();
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_rectangle(cr, d.Left, d.Top, d.Width(), d.Height());
  cairo_clip(cr);
  cairo_translate(cr, d.Left, d.Top);
  cairo_scale(cr, double(d.Width()) / is.Width(), double(d.Height()) / is.Height());
  cairo_set_source_surface(cr, image.FSurface, -is.Left, -is.Top);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_pattern_t* maskPattern = cairo_pattern_create_for_surface(alpha);
  cairo_matrix_t m;
  // User space starts at the source rectangle's corner; the alpha copy at ms's.
  const TRect mr = mask.LogicalToDevice(sourceRect);
  cairo_matrix_init_translate(&m, mr.Left - ms.Left, mr.Top - ms.Top);
  cairo_pattern_set_matrix(maskPattern, &m);
  cairo_pattern_set_filter(maskPattern, CAIRO_FILTER_NEAREST);
  cairo_mask(cr, maskPattern);
  cairo_pattern_destroy(maskPattern);
  cairo_restore(cr);
  cairo_surface_destroy(alpha);
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
  StretchDraw(TRect{x, y, x + bitmap.Width(), y + bitmap.Height()}, bitmap);
}

void TCanvas::StretchDraw(const TRect& r, TBitmap& bitmap) {
  if (bitmap.Empty() || r.IsEmpty()) return;
  const TRect all{0, 0, bitmap.Width(), bitmap.Height()};
  if (bitmap.Transparent) {
    if (std::unique_ptr<TBitmap> mask = bitmap.CreateMask()) {
      DrawMasked(r, bitmap.Canvas(), mask->Canvas(), all);
      return;
    }
  }
  StretchBlt(r.Left, r.Top, r.Width(), r.Height(), bitmap.Canvas(), 0, 0, all.Width(), all.Height(), SRCCOPY);
}
