#include "toolkit/controls/scroll_bar.h"

#include <algorithm>
#include <memory>

#include "toolkit/windows/window.h"
#include "toolkit/windows/window_metrics.h"

const char* const kScrollBarClass = "ScrollBar";

namespace {

LRESULT ScrollBarProc(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam);

constexpr int kMinThumb = 8;
constexpr unsigned kFirstDelay = 200, kRepeatDelay = 50;
constexpr uintptr_t kRepeatTimer = 1;

enum TPart { ptNone, ptArrowUp, ptPageUp, ptThumb, ptPageDown, ptArrowDown };

struct TScrollBarState {
  bool Vertical = true;
  int Min = 0, Max = 0, Page = 0, Pos = 0;
  int TrackPos = 0;
  bool ArrowsDisabled = false;
  TPart Pressed = ptNone;
  bool Dragging = false;
  int GrabOffset = 0;  // mouse minus thumb start when the drag began
  int LastMouse = 0;   // along the bar, for repeated page clicks
};

// Geometry along the bar: length, arrow size, thumb start and size (0: no thumb).
struct TLayout {
  int Length = 0, Arrow = 0, ThumbStart = 0, ThumbSize = 0;
};

TLayout Layout(HWND hwnd, const TScrollBarState& s) {
  TRect r;
  GetClientRect(hwnd, &r);
  TLayout l;
  int thickness = s.Vertical ? r.Width() : r.Height();
  l.Length = s.Vertical ? r.Height() : r.Width();
  l.Arrow = std::min(thickness, l.Length / 2);
  int track = l.Length - 2 * l.Arrow;
  int64_t span = int64_t(s.Max) - s.Min + 1;
  int thumb = s.Page ? int(std::max<int64_t>(kMinThumb, int64_t(track) * s.Page / span))
                     : thickness;
  int pixels = track - thumb;
  if (pixels < 0 || s.ArrowsDisabled) return l;
  l.ThumbSize = thumb;
  int64_t top = int64_t(s.Max) - std::max(s.Page - 1, 0);
  int pos = s.Dragging ? s.TrackPos : s.Pos;
  l.ThumbStart = l.Arrow;
  if (top > s.Min) l.ThumbStart += int(int64_t(pixels) * (int64_t(pos) - s.Min) / (top - s.Min));
  return l;
}

// The value for a thumb whose start is at pixel p.
int ValueAt(const TLayout& l, const TScrollBarState& s, int p) {
  int pixels = l.Length - 2 * l.Arrow - l.ThumbSize;
  if (pixels <= 0) return s.Min;
  p = std::clamp(p - l.Arrow, 0, pixels);
  int64_t range = int64_t(s.Max) - s.Min - std::max(s.Page - 1, 0);
  return int(s.Min + (int64_t(p) * range + pixels / 2) / pixels);
}

TPart HitPart(const TLayout& l, int p) {
  if (p < 0 || p >= l.Length) return ptNone;
  if (p < l.Arrow) return ptArrowUp;
  if (p >= l.Length - l.Arrow) return ptArrowDown;
  if (!l.ThumbSize) return ptNone;
  if (p < l.ThumbStart) return ptPageUp;
  if (p >= l.ThumbStart + l.ThumbSize) return ptPageDown;
  return ptThumb;
}

int CodeOf(TPart part) {
  switch (part) {
    case ptArrowUp: return SB_LINEUP;
    case ptArrowDown: return SB_LINEDOWN;
    case ptPageUp: return SB_PAGEUP;
    case ptPageDown: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

void Notify(HWND hwnd, const TScrollBarState& s, int code, int pos = 0) {
  SendMessage(GetParent(hwnd), s.Vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos),
              LPARAM(ParamFromHandle(hwnd)));
}

int Along(const TScrollBarState& s, LPARAM lp) {
  return s.Vertical ? GET_Y_LPARAM(lp) : GET_X_LPARAM(lp);
}

int ApplyInfo(HWND hwnd, TScrollBarState& s, const SCROLLINFO& si, bool redraw) {
  if (si.fMask & SIF_PAGE) s.Page = int(std::min<unsigned>(si.nPage, 0x7FFFFFFF));
  if (si.fMask & SIF_POS) s.Pos = si.nPos;
  if (si.fMask & SIF_RANGE) {
    if (si.nMin > si.nMax || int64_t(si.nMax) - si.nMin >= 0x80000000LL) {
      s.Min = s.Max = 0;
    } else {
      s.Min = si.nMin;
      s.Max = si.nMax;
    }
  }
  int64_t span = int64_t(s.Max) - s.Min + 1;
  if (s.Page > span) s.Page = int(span);
  int64_t top = int64_t(s.Max) - std::max(s.Page - 1, 0);
  s.Pos = int(std::clamp<int64_t>(s.Pos, s.Min, std::max<int64_t>(top, s.Min)));
  if (si.fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
    if (s.Min >= top) {
      if (si.fMask & SIF_DISABLENOSCROLL) s.ArrowsDisabled = true;
    } else if ((si.fMask & ~SIF_DISABLENOSCROLL) != SIF_PAGE) {
      // A change of the page alone leaves the arrows as they are.
      s.ArrowsDisabled = false;
    }
  }
  if (!s.Dragging) s.TrackPos = s.Pos;
  if (redraw) InvalidateRect(hwnd, nullptr, false);
  return s.Pos;
}

// ---- Drawing --------------------------------------------------------------------------

struct TPainter {
  TWindowSurfaceView V;
  void Fill(TRect r, TColor c) {
    r = IntersectRect(r, V.Clip);
    uint32_t px = ColorToPixel(c);
    for (int y = r.Top; y < r.Bottom; ++y)
      std::fill_n(V.Pixels + ptrdiff_t(y) * V.Stride + r.Left, r.Width(), px);
  }
  void Pixel(int x, int y, TColor c) {
    if (V.Clip.Contains(TPoint{x, y})) V.Pixels[ptrdiff_t(y) * V.Stride + x] = ColorToPixel(c);
  }
  // A raised button: light top-left, dark bottom-right.
  void Button(const TRect& r) {
    if (r.IsEmpty()) return;
    Fill(r, GetSysColor(COLOR_BTNFACE));
    Fill(TRect{r.Left, r.Top, r.Right, r.Top + 1}, GetSysColor(COLOR_BTNHIGHLIGHT));
    Fill(TRect{r.Left, r.Top, r.Left + 1, r.Bottom}, GetSysColor(COLOR_BTNHIGHLIGHT));
    Fill(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, GetSysColor(COLOR_3DDKSHADOW));
    Fill(TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, GetSysColor(COLOR_3DDKSHADOW));
  }
  // A small solid triangle centred in r, pointing in direction d (0 up, 1 down, 2 left,
  // 3 right).
  void Arrow(const TRect& r, int d, TColor c) {
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    int n = std::max(1, std::min(r.Width(), r.Height()) / 4);
    for (int i = 0; i < n; ++i) {
      int along = i - n / 2, half = (d == 0 || d == 2) ? i : n - 1 - i;
      for (int k = -half; k <= half; ++k) {
        if (d < 2) Pixel(cx + k, cy + along, c);
        else Pixel(cx + along, cy + k, c);
      }
    }
  }
};

void Paint(HWND hwnd, TScrollBarState& s) {
  TPaintStruct ps;
  BeginPaint(hwnd, &ps);
  TPainter p{GetWindowSurface(hwnd)};
  if (p.V.Pixels) {
    TRect c;
    GetClientRect(hwnd, &c);
    TLayout l = Layout(hwnd, s);
    auto span = [&](int a, int b) {
      return s.Vertical ? TRect{0, a, c.Right, b} : TRect{a, 0, b, c.Bottom};
    };
    // The track: the classic 50% checker of face and highlight.
    TRect track = IntersectRect(span(l.Arrow, l.Length - l.Arrow), p.V.Clip);
    TColor face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (int y = track.Top; y < track.Bottom; ++y)
      for (int x = track.Left; x < track.Right; ++x) p.Pixel(x, y, ((x + y) & 1) ? face : light);
    TColor ink = (s.ArrowsDisabled || !IsWindowEnabled(hwnd)) ? GetSysColor(COLOR_GRAYTEXT)
                                                              : GetSysColor(COLOR_BTNTEXT);
    TRect a1 = span(0, l.Arrow), a2 = span(l.Length - l.Arrow, l.Length);
    p.Button(a1);
    p.Button(a2);
    p.Arrow(a1, s.Vertical ? 0 : 2, ink);
    p.Arrow(a2, s.Vertical ? 1 : 3, ink);
    if (l.ThumbSize) p.Button(span(l.ThumbStart, l.ThumbStart + l.ThumbSize));
  }
  EndPaint(hwnd, &ps);
}

void StopTracking(HWND hwnd, TScrollBarState& s) {
  KillTimer(hwnd, kRepeatTimer);
  s.Pressed = ptNone;
  s.Dragging = false;
  s.TrackPos = s.Pos;
}

LRESULT ScrollBarProc(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam) {
  auto* s = static_cast<TScrollBarState*>(GetWindowUserData(hwnd));
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<TCreateStruct*>(lParam);
    auto* state = new TScrollBarState;
    state->Vertical = cs && (cs->style & SBS_VERT);
    SetWindowUserData(hwnd, state);
    return 1;
  }
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      SetWindowUserData(hwnd, nullptr);
      delete s;
      return 0;
    case WM_PAINT:
      Paint(hwnd, *s);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, false);
      return 0;
    case SBM_SETSCROLLINFO:
      if (!lParam) return s->Pos;
      return ApplyInfo(hwnd, *s, *reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
    case SBM_GETSCROLLINFO: {
      auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!si) return 0;
      if (si->fMask & SIF_RANGE) {
        si->nMin = s->Min;
        si->nMax = s->Max;
      }
      if (si->fMask & SIF_PAGE) si->nPage = unsigned(s->Page);
      if (si->fMask & SIF_POS) si->nPos = s->Pos;
      if (si->fMask & SIF_TRACKPOS) si->nTrackPos = s->Dragging ? s->TrackPos : s->Pos;
      return 1;
    }
    case SBM_SETPOS: {
      int old = s->Pos;
      SCROLLINFO si;
      si.fMask = SIF_POS;
      si.nPos = int(wParam);
      ApplyInfo(hwnd, *s, si, lParam != 0);
      return old;
    }
    case SBM_GETPOS:
      return s->Pos;
    case SBM_SETRANGE: {
      SCROLLINFO si;
      si.fMask = SIF_RANGE;
      si.nMin = int(wParam);
      si.nMax = int(lParam);
      return ApplyInfo(hwnd, *s, si, false);
    }
    case SBM_ENABLE_ARROWS:
      s->ArrowsDisabled = wParam == ESB_DISABLE_BOTH;
      InvalidateRect(hwnd, nullptr, false);
      return 1;
    case WM_LBUTTONDOWN: {
      if (s->ArrowsDisabled) return 0;
      TLayout l = Layout(hwnd, *s);
      int p = Along(*s, lParam);
      TPart part = HitPart(l, p);
      if (part == ptNone) return 0;
      SetCapture(hwnd);
      s->Pressed = part;
      s->LastMouse = p;
      if (part == ptThumb) {
        s->Dragging = true;
        s->TrackPos = s->Pos;
        s->GrabOffset = p - l.ThumbStart;
      } else {
        Notify(hwnd, *s, CodeOf(part));
        if (IsWindow(hwnd)) SetTimer(hwnd, kRepeatTimer, kFirstDelay);
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      int p = Along(*s, lParam);
      s->LastMouse = p;
      if (!s->Dragging) return 0;
      int v = ValueAt(Layout(hwnd, *s), *s, p - s->GrabOffset);
      if (v != s->TrackPos) {
        s->TrackPos = v;
        InvalidateRect(hwnd, nullptr, false);
        Notify(hwnd, *s, SB_THUMBTRACK, v);
      }
      return 0;
    }
    case WM_TIMER: {
      if (wParam != kRepeatTimer || s->Pressed == ptNone || s->Dragging) return 0;
      SetTimer(hwnd, kRepeatTimer, kRepeatDelay);
      // Repeat only while the mouse stays over the pressed part.
      if (HitPart(Layout(hwnd, *s), s->LastMouse) == s->Pressed) Notify(hwnd, *s, CodeOf(s->Pressed));
      return 0;
    }
    case WM_LBUTTONUP: {
      if (s->Pressed == ptNone) return 0;
      bool dragged = s->Dragging;
      int track = s->TrackPos;
      StopTracking(hwnd, *s);
      ReleaseCapture();
      if (!IsWindow(hwnd)) return 0;
      if (dragged) Notify(hwnd, *s, SB_THUMBPOSITION, track);
      if (IsWindow(hwnd)) Notify(hwnd, *s, SB_ENDSCROLL);
      if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, false);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (ParamFromHandle(HandleFromParam(uintptr_t(lParam))) != ParamFromHandle(hwnd) &&
          s->Pressed != ptNone) {
        StopTracking(hwnd, *s);
        InvalidateRect(hwnd, nullptr, false);
      }
      return 0;
    case WM_KEYDOWN: {
      int code = -1;
      switch (int(wParam)) {
        case VK_UP: case VK_LEFT: code = SB_LINEUP; break;
        case VK_DOWN: case VK_RIGHT: code = SB_LINEDOWN; break;
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
      }
      if (code >= 0 && !s->ArrowsDisabled) Notify(hwnd, *s, code);
      return 0;
    }
    case WM_KEYUP:
      switch (int(wParam)) {
        case VK_UP: case VK_LEFT: case VK_DOWN: case VK_RIGHT: case VK_PRIOR: case VK_NEXT:
        case VK_HOME: case VK_END:
          if (!s->ArrowsDisabled) Notify(hwnd, *s, SB_ENDSCROLL);
      }
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

HWND CreateScrollBar(HWND parent, bool vertical, int x, int y, int width, int height, int id,
                     uint32_t style) {
  if (!IsWindow(parent)) return nullptr;
  TCreateParams p;
  p.ClassName = kScrollBarClass;
  p.Proc = &ScrollBarProc;
  p.Parent = parent;
  p.X = x;
  p.Y = y;
  p.Width = width;
  p.Height = height;
  p.Style = (style & ~uint32_t(SBS_VERT)) | WS_CHILD | (vertical ? SBS_VERT : SBS_HORZ);
  p.Id = id;
  return CreateWindow(p);
}

namespace {

bool IsBar(HWND hwnd, int bar) {
  return bar == SB_CTL && IsWindow(hwnd) && GetWindowProc(hwnd) == &ScrollBarProc;
}

}  // namespace

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, bool redraw) {
  if (!IsBar(hwnd, bar) || !info) return 0;
  return int(SendMessage(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
}

bool GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  if (!IsBar(hwnd, bar) || !info) return false;
  return SendMessage(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)) != 0;
}

int SetScrollPos(HWND hwnd, int bar, int pos, bool redraw) {
  if (!IsBar(hwnd, bar)) return 0;
  return int(SendMessage(hwnd, SBM_SETPOS, WPARAM(uint32_t(pos)), redraw));
}

int GetScrollPos(HWND hwnd, int bar) {
  if (!IsBar(hwnd, bar)) return 0;
  return int(SendMessage(hwnd, SBM_GETPOS));
}

bool SetScrollRange(HWND hwnd, int bar, int min, int max, bool redraw) {
  if (!IsBar(hwnd, bar)) return false;
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = min;
  si.nMax = max;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return true;
}

bool GetScrollRange(HWND hwnd, int bar, int* min, int* max) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  if (!GetScrollInfo(hwnd, bar, &si)) return false;
  if (min) *min = si.nMin;
  if (max) *max = si.nMax;
  return true;
}

bool EnableScrollBar(HWND hwnd, int bar, unsigned arrows) {
  if (!IsBar(hwnd, bar)) return false;
  return SendMessage(hwnd, SBM_ENABLE_ARROWS, arrows) != 0;
}

bool ScrollBarArrowsDisabled(HWND hwnd) {
  if (!IsBar(hwnd, SB_CTL)) return false;
  auto* s = static_cast<TScrollBarState*>(GetWindowUserData(hwnd));
  return s && s->ArrowsDisabled;
}
