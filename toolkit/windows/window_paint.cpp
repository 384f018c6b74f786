// Update regions, WM_PAINT, the top-level pixel surfaces and window scrolling.
#include <algorithm>
#include <cstring>

#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/png_writer.h"
#include "toolkit/graphics/raster_ops.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/windows/window.h"
#include "toolkit/windows/window_internal.h"
#include "toolkit/windows/window_metrics.h"

namespace {

// Surfaces keep at most this much of a very large window.
constexpr int kMaxSurfaceSide = 16384;
constexpr int64_t kMaxSurfacePixels = int64_t(1) << 24;
constexpr uint32_t kFreshPixel = 0x00FFFFFF;

HWND H(const TWnd* w) { return TWindowSystem::ToHandle(w->Handle); }

TRect ClientOf(const TWnd* w) { return TRect{0, 0, w->Rect.Width(), w->Rect.Height()}; }

TSize SurfaceSizeFor(const TWnd* top) {
  int w = std::min(top->Rect.Width(), kMaxSurfaceSide);
  int h = std::min(top->Rect.Height(), kMaxSurfaceSide);
  if (w > 0 && int64_t(w) * h > kMaxSurfacePixels) h = int(kMaxSurfacePixels / w);
  return TSize{w, h};
}

// The bounding box of a - b (b cut from a).
TRect SubtractBounds(const TRect& a, const TRect& b) {
  TRect cut = IntersectRect(a, b);
  if (cut.IsEmpty()) return a;
  TRect out;
  if (cut.Top > a.Top) out = UnionRect(out, TRect{a.Left, a.Top, a.Right, cut.Top});
  if (cut.Bottom < a.Bottom) out = UnionRect(out, TRect{a.Left, cut.Bottom, a.Right, a.Bottom});
  if (cut.Left > a.Left) out = UnionRect(out, TRect{a.Left, cut.Top, cut.Left, cut.Bottom});
  if (cut.Right < a.Right) out = UnionRect(out, TRect{cut.Right, cut.Top, a.Right, cut.Bottom});
  return out;
}

void Present(TWnd* w, const TRect& clientRect) {
  TWnd* top = TopLevelOf(w);
  if (!top || !top->Surface) return;
  TPoint origin;
  TRect vis;
  VisibleClientArea(w, &origin, &vis);
  TRect r = IntersectRect(vis, clientRect);
  r.Offset(origin.X, origin.Y);
  r = IntersectRect(r, TRect{0, 0, top->Surface->Width, top->Surface->Height});
  if (r.IsEmpty()) return;
  WS().Backend().PresentSurface(H(top), top->Surface->Pixels.data(), top->Surface->Width, r);
}

// The children of w that are shown, top first. A window may hold thousands of hidden
// ones (a long page of form controls), so the list is kept until one of its children is
// shown, hidden, destroyed or restacked.
const std::vector<uint32_t>& VisibleChildren(TWnd* w) {
  TWindowSystem& ws = WS();
  if (w->VisibleChildrenStale) {
    w->VisibleChildren.clear();
    for (uint32_t c : w->Children)
      if (TWnd* cw = ws.Find(c); cw && (cw->Style & WS_VISIBLE)) w->VisibleChildren.push_back(c);
    w->VisibleChildrenStale = false;
    w->PaintIdleBelow = 0;
  }
  return w->VisibleChildren;
}

// Children of a window painted over rect (client coordinates of w) are painted again
// after it, since painting does not clip them out.
void InvalidateChildrenUnder(TWnd* w, const TRect& rect) {
  for (uint32_t c : VisibleChildren(w)) {
    TWnd* cw = WS().Find(c);
    if (!cw) continue;
    TRect r = IntersectRect(rect, cw->Rect);
    if (r.IsEmpty()) continue;
    r.Offset(-cw->Rect.Left, -cw->Rect.Top);
    AddUpdate(cw, r, true);
  }
}

// Siblings above w, and above each of its ancestors, that overlap rect (client
// coordinates of w) are painted again after it: painting does not clip them out either,
// and the order of paints follows handle values, not the z-order.
void InvalidateSiblingsAbove(TWnd* w, TRect rect) {
  for (TWnd* parent = WS().Find(w->Parent); parent; w = parent, parent = WS().Find(w->Parent)) {
    rect.Offset(w->Rect.Left, w->Rect.Top);
    rect = IntersectRect(rect, ClientOf(parent));
    if (rect.IsEmpty()) return;
    const std::vector<uint32_t>& shown = VisibleChildren(parent);
    const auto self = std::find(shown.begin(), shown.end(), w->Handle);
    if (self == shown.end()) return;  // a hidden window painted nothing
    for (auto s = shown.begin(); s != self; ++s) {
      TWnd* sw = WS().Find(*s);
      if (!sw) continue;
      TRect r = IntersectRect(rect, sw->Rect);
      if (r.IsEmpty()) continue;
      r.Offset(-sw->Rect.Left, -sw->Rect.Top);
      AddUpdate(sw, r, true);
    }
  }
}

void FillClient(TWnd* w, const TRect& rect, uint32_t pixel) {
  TWindowSurfaceView v = GetWindowSurface(H(w));
  TRect r = IntersectRect(rect, v.Clip);
  if (!v.Pixels || r.IsEmpty()) return;
  for (int y = r.Top; y < r.Bottom; ++y)
    FillPixels(v.Pixels + ptrdiff_t(y) * v.Stride + r.Left, size_t(r.Width()), pixel);
}

}  // namespace

void EraseBackground(TWnd* w) {
  if (w->Background != clNone) FillClient(w, w->PaintRect, ColorToPixel(ColorToRGB(w->Background)));
}

// ---- Surfaces ---------------------------------------------------------------------------

TSurface* SurfaceOf(TWnd* w) {
  TWnd* top = TopLevelOf(w);
  if (!top) return nullptr;
  if (!top->Surface) {
    TSize size = SurfaceSizeFor(top);
    auto s = std::make_unique<TSurface>();
    s->Width = size.cx;
    s->Height = size.cy;
    s->Pixels.assign(size_t(size.cx) * size_t(size.cy), kFreshPixel);
    top->Surface = std::move(s);
  }
  return top->Surface.get();
}

void ResizeSurface(TWnd* w) {
  if (!w->Surface) return;
  TSize size = SurfaceSizeFor(w);
  TSurface* old = w->Surface.get();
  if (size.cx == old->Width && size.cy == old->Height) return;
  auto s = std::make_unique<TSurface>();
  s->Width = size.cx;
  s->Height = size.cy;
  s->Pixels.assign(size_t(size.cx) * size_t(size.cy), kFreshPixel);
  int cw = std::min(size.cx, old->Width), ch = std::min(size.cy, old->Height);
  for (int y = 0; y < ch; ++y)
    std::memcpy(&s->Pixels[size_t(y) * size_t(size.cx)], &old->Pixels[size_t(y) * size_t(old->Width)],
                size_t(cw) * sizeof(uint32_t));
  RetireSurface(std::move(w->Surface));
  w->Surface = std::move(s);
}

void RetireSurface(std::unique_ptr<TSurface> surface) {
  if (surface && WS().CanvasesOut > 0) WS().Retired.push_back(std::move(surface));
}

void ReleaseWindowCanvas(std::unique_ptr<TCanvas>& canvas) {
  if (!canvas) return;
  canvas.reset();
  if (--WS().CanvasesOut == 0) WS().Retired.clear();
}

TWindowSurfaceView GetWindowSurface(HWND hwnd) {
  TWindowSurfaceView v;
  TWnd* w = WS().Find(hwnd);
  if (!w || !IsVisibleWnd(w)) return v;
  TSurface* s = SurfaceOf(w);
  if (!s || s->Pixels.empty()) return v;
  TPoint origin;
  TRect vis;
  VisibleClientArea(w, &origin, &vis);
  TRect surf{-origin.X, -origin.Y, s->Width - origin.X, s->Height - origin.Y};
  vis = IntersectRect(vis, surf);
  if (vis.IsEmpty()) return v;
  v.Stride = s->Width;
  // The address of client (0, 0) may lie outside the buffer; only Clip is ever touched.
  v.Pixels = s->Pixels.data() + (ptrdiff_t(origin.Y) * s->Width + origin.X);
  v.Clip = vis;
  return v;
}

TWindowPixels CaptureWindowPixels(HWND hwnd) {
  TWindowPixels out;
  TWnd* w = WS().Find(hwnd);
  if (!w) return out;
  // A window may be larger than any bitmap; its copy could not be held.
  CheckBitmapSize(std::max(w->Rect.Width(), 1), std::max(w->Rect.Height(), 1));
  out.Width = w->Rect.Width();
  out.Height = w->Rect.Height();
  TWindowSurfaceView v = GetWindowSurface(hwnd);
  // Pixels that are not shown anywhere read as black.
  out.Pixels.assign(size_t(out.Width) * size_t(out.Height), 0);
  if (!v.Pixels) return out;
  // Drawing may have set the unused top byte; it is not part of the colour.
  for (int y = v.Clip.Top; y < v.Clip.Bottom; ++y) {
    const uint32_t* src = v.Pixels + ptrdiff_t(y) * v.Stride;
    uint32_t* dst = &out.Pixels[size_t(y) * size_t(out.Width)];
    for (int x = v.Clip.Left; x < v.Clip.Right; ++x) dst[x] = src[x] & 0x00FFFFFF;
  }
  return out;
}

std::unique_ptr<TCanvas> MakeWindowCanvas(TWnd* w, const TRect& clip) {
  ++WS().CanvasesOut;
  TSurface* s = IsVisibleWnd(w) ? SurfaceOf(w) : nullptr;
  if (!s || s->Pixels.empty()) return std::make_unique<TCanvas>();
  auto canvas = TCanvas::ForPixels(s->Pixels.data(), s->Width, s->Height, s->Width * 4);
  canvas->SetScreen(true);
  TPoint origin;
  TRect vis;
  VisibleClientArea(w, &origin, &vis);
  canvas->SetViewportOrg(origin.X, origin.Y);
  TRect device = IntersectRect(vis, clip);
  device.Offset(origin.X, origin.Y);
  TRegion region(device);
  canvas->SelectClipRgn(&region);
  return canvas;
}

TWindowDC::TWindowDC(HWND hwnd) : FWindow(hwnd) {
  TWnd* w = WS().Find(hwnd);
  if (w) {
    FCanvas = MakeWindowCanvas(w, ClientOf(w));
  } else {
    FCanvas = std::make_unique<TCanvas>();
    ++WS().CanvasesOut;
  }
}

TWindowDC::~TWindowDC() {
  ReleaseWindowCanvas(FCanvas);
  if (TWnd* w = WS().Find(FWindow)) Present(w, ClientOf(w));
}

std::unique_ptr<TBitmap> CaptureWindowBitmap(HWND hwnd) {
  TWindowPixels px = CaptureWindowPixels(hwnd);
  auto bitmap = std::make_unique<TBitmap>(px.Width, px.Height, pfDevice);
  for (int y = 0; y < px.Height; ++y)
    std::memcpy(bitmap->ScanLine(y), &px.Pixels[size_t(y) * size_t(px.Width)],
                size_t(px.Width) * sizeof(uint32_t));
  return bitmap;
}

void SaveWindowPng(HWND hwnd, const std::string& fileName) {
  TWindowPixels px = CaptureWindowPixels(hwnd);
  std::vector<uint8_t> rgb(px.Pixels.size() * 3);
  for (size_t i = 0; i < px.Pixels.size(); ++i) {
    rgb[i * 3] = uint8_t(px.Pixels[i] >> 16);
    rgb[i * 3 + 1] = uint8_t(px.Pixels[i] >> 8);
    rgb[i * 3 + 2] = uint8_t(px.Pixels[i]);
  }
  WritePngFile(fileName, px.Width, px.Height, rgb.data(), 3, px.Width * 3);
}

// ---- Update regions ---------------------------------------------------------------------

// w joins the windows waiting for a paint.
static void StartWaiting(TWnd* w) {
  if (!WS().PaintPending.insert(w->Handle).second) return;
  if (TWnd* parent = WS().Find(w->Parent)) parent->PaintIdleBelow = 0;
}

void AddUpdate(TWnd* w, const TRect& r, bool erase) {
  TRect cut = IntersectRect(r, ClientOf(w));
  if (cut.IsEmpty()) return;
  w->Update = UnionRect(w->Update, cut);
  w->UpdateErase |= erase;
  WS().PaintParked.erase(w->Handle);
  StartWaiting(w);
}

void ClearUpdate(TWnd* w) {
  w->Update = TRect{};
  w->UpdateErase = false;
  WS().PaintPending.erase(w->Handle);
  WS().PaintParked.erase(w->Handle);
}

void UnparkPaints(TWnd* w) {
  TWindowSystem& ws = WS();
  if (ws.PaintParked.empty()) return;
  if (ws.PaintParked.erase(w->Handle)) StartWaiting(w);
  for (uint32_t c : w->Children)
    if (TWnd* child = ws.Find(TWindowSystem::ToHandle(c)); child && (child->Style & WS_VISIBLE))
      UnparkPaints(child);
}

bool InvalidateRect(HWND hwnd, const TRect* rect, bool erase) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  AddUpdate(w, rect ? *rect : ClientOf(w), erase);
  return true;
}

bool ValidateRect(HWND hwnd, const TRect* rect) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  if (!rect) {
    ClearUpdate(w);
    return true;
  }
  // With one bounding rectangle, validating a part keeps the bounds of what is left.
  w->Update = SubtractBounds(w->Update, *rect);
  if (w->Update.IsEmpty()) ClearUpdate(w);
  return true;
}

bool GetUpdateRect(HWND hwnd, TRect* rect) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  if (rect) *rect = w->Update;
  return !w->Update.IsEmpty();
}

void SetWindowBackground(HWND hwnd, TColor color) {
  if (TWnd* w = WS().Find(hwnd)) w->Background = color;
}

uint64_t PaintLookSteps() { return WS().PaintLookSteps; }

bool NextPaintMessage(HWND filter, TMsg* out) {
  TWindowSystem& ws = WS();
  // Parents paint before their children. The set is ordered by handle, so the first
  // eligible window is the lowest one and the walk stops there.
  TWnd* best = nullptr;
  for (auto it = ws.PaintPending.begin(); it != ws.PaintPending.end() && !best;) {
    ++ws.PaintLookSteps;
    const uint32_t h = *it;
    TWnd* w = ws.Find(h);
    if (!w || !IsVisibleWnd(w)) {
      if (w) ws.PaintParked.insert(h);
      it = ws.PaintPending.erase(it);
      continue;
    }
    ++it;
    if (!InFilter(filter, h)) continue;
    bool ancestorPending = false;
    for (TWnd* p = ws.Find(w->Parent); p && !ancestorPending; p = ws.Find(p->Parent))
      ancestorPending = ws.PaintPending.count(p->Handle) && IsVisibleWnd(p);
    if (!ancestorPending) best = w;
  }
  if (!best) return false;
  // Among siblings the lowest waiting one goes first: painting does not clip the siblings
  // above, so they would otherwise paint twice (and flicker on a screen).
  if (TWnd* parent = ws.Find(best->Parent)) {
    const std::vector<uint32_t>& shown = VisibleChildren(parent);  // top first
    size_t& idle = parent->PaintIdleBelow;
    bool idleSoFar = true;
    for (auto s = shown.rbegin() + long(std::min(idle, shown.size()));
         s != shown.rend() && *s != best->Handle; ++s) {
      ++ws.PaintLookSteps;
      if (!ws.PaintPending.count(*s)) {
        if (idleSoFar) ++idle;
        continue;
      }
      idleSoFar = false;
      if (InFilter(filter, *s)) {
        best = ws.Find(*s);
        break;
      }
    }
  }
  *out = TMsg{H(best), WM_PAINT, 0, 0, uint32_t(ws.Now()), ws.CursorPos};
  return true;
}

bool UpdateWindow(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  uint32_t handle = w->Handle;
  // A hidden window and everything in it wait until shown.
  if (!IsVisibleWnd(w)) return true;
  if (!w->Update.IsEmpty()) {
    SendMessage(hwnd, WM_PAINT, 0, 0);
    w = WS().Find(handle);
    // A window procedure that does not paint must not leave the region behind forever.
    if (w && !w->Update.IsEmpty()) ClearUpdate(w);
  }
  PaintWaitingChildren(hwnd);
  return true;
}

void PaintWaitingChildren(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return;
  // Bottom first, so that a lower child painting over a higher one does not leave it
  // to wait for the queue.
  std::vector<uint32_t> children = VisibleChildren(w);
  for (auto c = children.rbegin(); c != children.rend(); ++c)
    UpdateWindow(TWindowSystem::ToHandle(*c));
}

TCanvas* BeginPaint(HWND hwnd, TPaintStruct* ps) {
  TWnd* w = WS().Find(hwnd);
  if (!w || !ps) return nullptr;
  uint32_t handle = w->Handle;
  ps->rcPaint = w->Update;
  bool erase = w->UpdateErase;
  ClearUpdate(w);
  ps->fErase = false;
  w->PaintRect = ps->rcPaint;
  ReleaseWindowCanvas(w->PaintCanvas);
  w->PaintCanvas = MakeWindowCanvas(w, ps->rcPaint);
  ps->Canvas = w->PaintCanvas.get();
  if (erase) {
    ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, WPARAM(ps->Canvas), 0) == 0;
    if (!(w = WS().Find(handle))) return nullptr;
    // A nested paint of the same window may have replaced the canvas.
    ps->Canvas = w->PaintCanvas.get();
  }
  return ps->Canvas;
}

bool EndPaint(HWND hwnd, const TPaintStruct* ps) {
  TWnd* w = WS().Find(hwnd);
  if (!ps) return false;
  if (!w) {
    auto& orphans = WS().Orphans;
    for (auto it = orphans.begin(); it != orphans.end(); ++it) {
      if (it->get() == ps->Canvas) {
        std::unique_ptr<TCanvas> canvas = std::move(*it);
        orphans.erase(it);
        ReleaseWindowCanvas(canvas);
        break;
      }
    }
    return false;
  }
  if (w->PaintCanvas.get() == ps->Canvas) ReleaseWindowCanvas(w->PaintCanvas);
  InvalidateChildrenUnder(w, ps->rcPaint);
  InvalidateSiblingsAbove(w, ps->rcPaint);
  Present(w, ps->rcPaint);
  return true;
}

// ---- Scrolling --------------------------------------------------------------------------

bool ScrollWindowEx(HWND hwnd, int dx, int dy, const TRect* scroll, const TRect* clip,
                    TRect* updateRect, unsigned flags) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  uint32_t handle = w->Handle;
  TRect client = ClientOf(w);
  TRect s = scroll ? IntersectRect(*scroll, client) : client;
  TRect c = IntersectRect(clip ? *clip : client, s);
  TRect uncovered;
  if (!c.IsEmpty() && (dx || dy)) {
    TWindowSurfaceView v = GetWindowSurface(hwnd);
    TRect moved;  // destination of the pixels that exist, cut to c
    if (v.Pixels) {
      TRect src = IntersectRect(s, v.Clip);
      TRect dst = src;
      dst.Offset(dx, dy);
      dst = IntersectRect(dst, IntersectRect(c, v.Clip));
      if (!dst.IsEmpty()) {
        // Copy through a buffer: source and destination overlap.
        int wd = dst.Width(), ht = dst.Height();
        std::vector<uint32_t> tmp(size_t(wd) * size_t(ht));
        for (int y = 0; y < ht; ++y)
          std::memcpy(&tmp[size_t(y) * size_t(wd)],
                      v.Pixels + ptrdiff_t(dst.Top + y - dy) * v.Stride + (dst.Left - dx),
                      size_t(wd) * sizeof(uint32_t));
        for (int y = 0; y < ht; ++y)
          std::memcpy(v.Pixels + ptrdiff_t(dst.Top + y) * v.Stride + dst.Left,
                      &tmp[size_t(y) * size_t(wd)], size_t(wd) * sizeof(uint32_t));
        moved = dst;
        Present(w, dst);
      }
    }
    uncovered = SubtractBounds(c, moved);
    // The pending update region travels with the pixels.
    TRect pending = IntersectRect(w->Update, s);
    if (!pending.IsEmpty()) {
      pending.Offset(dx, dy);
      pending = IntersectRect(pending, c);
      w->Update = UnionRect(SubtractBounds(w->Update, c), pending);
      if (w->Update.IsEmpty()) ClearUpdate(w);
    }
  }
  if (flags & SW_SCROLLCHILDREN) {
    std::vector<uint32_t> children = VisibleChildren(w);
    for (uint32_t ch : children) {
      TWnd* cw = WS().Find(ch);
      if (!cw || (scroll && IntersectRect(cw->Rect, s).IsEmpty())) continue;
      SetWindowPos(TWindowSystem::ToHandle(ch), nullptr, cw->Rect.Left + dx, cw->Rect.Top + dy, 0,
                   0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!(w = WS().Find(handle))) return true;
  }
  if (updateRect) *updateRect = uncovered;
  if ((flags & SW_INVALIDATE) && !uncovered.IsEmpty()) AddUpdate(w, uncovered, flags & SW_ERASE);
  return true;
}

bool ScrollWindow(HWND hwnd, int dx, int dy, const TRect* scroll, const TRect* clip) {
  return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr,
                        SW_INVALIDATE | SW_ERASE | (scroll ? 0u : unsigned(SW_SCROLLCHILDREN)));
}
