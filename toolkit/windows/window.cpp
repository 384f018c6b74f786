// Window tree: handles, creation and destruction, geometry, visibility, z-order and the
// default window procedure.
#include "toolkit/windows/window.h"

#include <algorithm>
#include <cstring>

#include "toolkit/windows/window_internal.h"

namespace {

constexpr int kMaxSize = 32767;
// Positions stay far from int overflow when widths are added to them.
constexpr int kMaxCoord = 1 << 28;

int ClampSize(int v) { return std::clamp(v, 0, kMaxSize); }
int ClampCoord(int v) { return std::clamp(v, -kMaxCoord, kMaxCoord); }

std::vector<uint32_t>& SiblingList(TWnd* w) {
  if (TWnd* p = WS().Find(w->Parent)) return p->Children;
  return WS().TopLevels;
}

void Unlink(TWnd* w) {
  ShownChildrenChanged(WS().Find(w->Parent));
  auto& list = SiblingList(w);
  list.erase(std::remove(list.begin(), list.end(), w->Handle), list.end());
}

// Places w among its siblings: HWND_TOP, HWND_BOTTOM or below a sibling.
void Relink(TWnd* w, HWND insertAfter) {
  ShownChildrenChanged(WS().Find(w->Parent));
  auto& list = SiblingList(w);
  list.erase(std::remove(list.begin(), list.end(), w->Handle), list.end());
  if (insertAfter == HWND_BOTTOM) {
    list.push_back(w->Handle);
    return;
  }
  auto it = list.begin();
  if (insertAfter != HWND_TOP) {
    auto found = std::find(list.begin(), list.end(), TWindowSystem::ToValue(insertAfter));
    it = found == list.end() ? list.begin() : found + 1;
  }
  list.insert(it, w->Handle);
}

HWND H(const TWnd* w) { return TWindowSystem::ToHandle(w->Handle); }

void SendDestroyDown(uint32_t handle) {
  TWnd* w = WS().Find(handle);
  if (!w) return;
  w->Destroying = true;
  SendMessage(TWindowSystem::ToHandle(handle), WM_DESTROY, 0, 0);
  w = WS().Find(handle);
  if (!w) return;
  std::vector<uint32_t> children = w->Children;
  for (uint32_t c : children) SendDestroyDown(c);
}

void FreeUp(uint32_t handle) {
  TWnd* w = WS().Find(handle);
  if (!w) return;
  // Children made during the destroy messages are freed too.
  while (w && !w->Children.empty()) {
    uint32_t c = w->Children.front();
    TWnd* cw = WS().Find(c);
    if (cw) {
      cw->Destroying = true;
      FreeUp(c);
    } else {
      w->Children.erase(w->Children.begin());
      ShownChildrenChanged(w);
    }
    w = WS().Find(handle);
  }
  if (!w) return;
  SendMessage(TWindowSystem::ToHandle(handle), WM_NCDESTROY, 0, 0);
  w = WS().Find(handle);
  if (!w) return;
  ForgetWindowWork(handle);
  if (WS().Focus == handle) WS().Focus = 0;
  if (WS().Capture == handle) WS().Capture = 0;
  if (WS().LastClickWindow == handle) WS().LastClickWindow = 0;
  bool topLevel = w->Parent == 0;
  // A paint in progress keeps drawing on its canvas until its EndPaint.
  if (w->PaintCanvas) WS().Orphans.push_back(std::move(w->PaintCanvas));
  RetireSurface(std::move(w->Surface));
  Unlink(w);
  WS().Release(w);
  if (topLevel) WS().Backend().TopLevelDestroyed(TWindowSystem::ToHandle(handle));
}

void NotifyTopLevel(TWnd* w) {
  if (w->Parent != 0) return;
  WS().Backend().TopLevelChanged(H(w), w->Rect, (w->Style & WS_VISIBLE) != 0);
}

}  // namespace

// ---- The system ----------------------------------------------------------------------

TWindowSystem& TWindowSystem::Get() {
  static TWindowSystem system;
  return system;
}

TWnd* TWindowSystem::Allocate() {
  uint32_t slot;
  if (FFree.size() > 64 || (FSlots.size() >= 0xFFFFF && !FFree.empty())) {
    slot = FFree.front();
    FFree.pop_front();
  } else if (FSlots.size() < 0xFFFFF) {
    slot = uint32_t(FSlots.size());
    FSlots.emplace_back();
  } else {
    return nullptr;
  }
  TSlot& s = FSlots[slot];
  s.Gen = s.Gen % 2047 + 1;
  s.Wnd = std::make_unique<TWnd>();
  s.Wnd->Handle = (s.Gen << 20) | slot;
  ++FLive;
  return s.Wnd.get();
}

void TWindowSystem::Release(TWnd* w) {
  uint32_t slot = w->Handle & 0xFFFFF;
  FSlots[slot].Wnd.reset();
  FFree.push_back(slot);
  --FLive;
}

// ---- Shared helpers -------------------------------------------------------------------

TWnd* TopLevelOf(TWnd* w) {
  while (w && w->Parent) {
    TWnd* p = WS().Find(w->Parent);
    if (!p) break;
    w = p;
  }
  return w;
}

TPoint ClientOriginOnScreen(const TWnd* w) {
  TPoint p{0, 0};
  while (w) {
    p.X += w->Rect.Left;
    p.Y += w->Rect.Top;
    w = w->Parent ? WS().Find(w->Parent) : nullptr;
  }
  return p;
}

void VisibleClientArea(const TWnd* w, TPoint* surfaceOrigin, TRect* visible) {
  // Walk up, cutting the client rectangle by every ancestor's client area.
  TRect vis{0, 0, w->Rect.Width(), w->Rect.Height()};
  TPoint off{0, 0};  // client origin of w in the coordinates of the current ancestor
  const TWnd* cur = w;
  while (cur->Parent) {
    const TWnd* p = WS().Find(cur->Parent);
    if (!p) break;
    off.X += cur->Rect.Left;
    off.Y += cur->Rect.Top;
    TRect pr{-off.X, -off.Y, p->Rect.Width() - off.X, p->Rect.Height() - off.Y};
    vis = IntersectRect(vis, pr);
    cur = p;
  }
  if (surfaceOrigin) *surfaceOrigin = off;
  if (visible) *visible = vis;
}

bool IsVisibleWnd(const TWnd* w) {
  while (w) {
    if (!(w->Style & WS_VISIBLE)) return false;
    w = w->Parent ? WS().Find(w->Parent) : nullptr;
  }
  return true;
}

bool IsEnabledWnd(const TWnd* w) {
  while (w) {
    if (w->Style & WS_DISABLED) return false;
    w = w->Parent ? WS().Find(w->Parent) : nullptr;
  }
  return true;
}

void InvalidateParentArea(TWnd* w, const TRect& rect) {
  if (TWnd* p = WS().Find(w->Parent)) AddUpdate(p, rect, true);
}

void DropFocusAndCaptureIn(TWnd* w) {
  HWND h = H(w);
  if (WS().Focus && (WS().Focus == w->Handle || IsChild(h, TWindowSystem::ToHandle(WS().Focus))))
    SetFocus(nullptr);
  if (WS().Capture &&
      (WS().Capture == w->Handle || IsChild(h, TWindowSystem::ToHandle(WS().Capture))))
    ReleaseCapture();
}

// ---- Classes and creation ---------------------------------------------------------------

bool RegisterWindowClass(const char* name, TWndProc proc, uint32_t classStyle, HCURSOR cursor) {
  if (!name || !*name || !proc) return false;
  return WS().Classes.emplace(name, TWindowClass{proc, classStyle, cursor}).second;
}

HWND CreateWindow(TWndProc proc, void* userData, HWND parent, int x, int y, int width,
                  int height, uint32_t style) {
  TCreateParams p;
  p.Proc = proc;
  p.UserData = userData;
  p.Parent = parent;
  p.X = x;
  p.Y = y;
  p.Width = width;
  p.Height = height;
  p.Style = style;
  return CreateWindow(p);
}

HWND CreateWindow(const TCreateParams& params) {
  TWindowSystem& ws = WS();
  ws.Backend();  // the backend is chosen before the first window exists
  TWndProc proc = params.Proc;
  uint32_t classStyle = params.ClassStyle;
  HCURSOR cursor = nullptr;
  std::string className = params.ClassName ? params.ClassName : "";
  if (!className.empty()) {
    auto it = ws.Classes.find(className);
    if (it == ws.Classes.end() && !proc) return nullptr;
    if (it != ws.Classes.end()) {
      if (!proc) proc = it->second.Proc;
      classStyle |= it->second.Style;
      cursor = it->second.Cursor;
    }
  }
  if (!proc) return nullptr;
  TWnd* parent = nullptr;
  if (params.Parent) {
    parent = ws.Find(params.Parent);
    if (!parent || parent->Destroying) return nullptr;
  }
  TWnd* w = ws.Allocate();
  if (!w) return nullptr;
  uint32_t handle = w->Handle;
  w->Parent = parent ? parent->Handle : 0;
  w->Proc = proc;
  w->UserData = params.UserData;
  w->Style = params.Style & ~WS_VISIBLE;
  if (!parent) w->Style &= ~WS_CHILD;
  w->ClassStyle = classStyle;
  w->ClassName = className;
  w->Text = params.Title ? params.Title : "";
  w->Id = params.Id;
  w->Cursor = cursor;
  int x = ClampCoord(params.X), y = ClampCoord(params.Y);
  w->Rect = TRect{x, y, x + ClampSize(params.Width), y + ClampSize(params.Height)};
  // New windows go to the bottom of their siblings, so creation order is z-order.
  (parent ? parent->Children : ws.TopLevels).push_back(handle);

  HWND h = TWindowSystem::ToHandle(handle);
  TCreateStruct cs;
  cs.lpCreateParams = params.UserData;
  cs.hwndParent = parent ? params.Parent : nullptr;
  cs.x = w->Rect.Left;
  cs.y = w->Rect.Top;
  cs.cx = w->Rect.Width();
  cs.cy = w->Rect.Height();
  cs.style = params.Style;
  cs.lpszName = w->Text.c_str();
  cs.lpszClass = w->ClassName.c_str();
  if (!SendMessage(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) || !IsWindow(h) ||
      SendMessage(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1 || !IsWindow(h)) {
    DestroyWindow(h);
    return nullptr;
  }
  w = ws.Find(handle);
  SendMessage(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->Rect.Width(), w->Rect.Height()));
  if (!(w = ws.Find(handle))) return nullptr;
  SendMessage(h, WM_MOVE, 0, MAKELPARAM(w->Rect.Left, w->Rect.Top));
  if (!(w = ws.Find(handle))) return nullptr;
  if (params.Style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
  if (!(w = ws.Find(handle))) return nullptr;
  NotifyTopLevel(w);
  return h;
}

bool DestroyWindow(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  if (!w || w->Destroying) return false;
  uint32_t handle = w->Handle;
  if (w->Style & WS_VISIBLE) {
    w->Style &= ~WS_VISIBLE;
    ShownChildrenChanged(WS().Find(w->Parent));
    if (IsVisibleWnd(WS().Find(w->Parent))) InvalidateParentArea(w, w->Rect);
  }
  DropFocusAndCaptureIn(w);
  SendDestroyDown(handle);
  FreeUp(handle);
  return true;
}

// ---- Tree -----------------------------------------------------------------------------

bool IsWindow(HWND hwnd) { return WS().Find(hwnd) != nullptr; }

bool IsChild(HWND parent, HWND child) {
  TWnd* p = WS().Find(parent);
  TWnd* c = WS().Find(child);
  if (!p || !c) return false;
  while (c->Parent) {
    if (c->Parent == p->Handle) return true;
    c = WS().Find(c->Parent);
    if (!c) return false;
  }
  return false;
}

HWND GetParent(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? TWindowSystem::ToHandle(w->Parent) : nullptr;
}

HWND GetTopLevelWindow(HWND hwnd) {
  TWnd* w = TopLevelOf(WS().Find(hwnd));
  return w ? H(w) : nullptr;
}

HWND GetWindow(HWND hwnd, unsigned relation) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return nullptr;
  if (relation == GW_CHILD)
    return w->Children.empty() ? nullptr : TWindowSystem::ToHandle(w->Children.front());
  const auto& list = SiblingList(w);
  auto it = std::find(list.begin(), list.end(), w->Handle);
  switch (relation) {
    case GW_HWNDFIRST: return TWindowSystem::ToHandle(list.front());
    case GW_HWNDLAST: return TWindowSystem::ToHandle(list.back());
    case GW_HWNDNEXT: return it + 1 < list.end() ? TWindowSystem::ToHandle(*(it + 1)) : nullptr;
    case GW_HWNDPREV: return it > list.begin() ? TWindowSystem::ToHandle(*(it - 1)) : nullptr;
    default: return nullptr;
  }
}

std::vector<HWND> GetChildWindows(HWND hwnd) {
  std::vector<HWND> out;
  const std::vector<uint32_t>* list = &WS().TopLevels;
  if (hwnd) {
    TWnd* w = WS().Find(hwnd);
    if (!w) return out;
    list = &w->Children;
  }
  out.reserve(list->size());
  for (uint32_t c : *list) out.push_back(TWindowSystem::ToHandle(c));
  return out;
}

void* GetWindowUserData(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? w->UserData : nullptr;
}

void SetWindowUserData(HWND hwnd, void* data) {
  if (TWnd* w = WS().Find(hwnd)) w->UserData = data;
}

TWndProc SetWindowProc(HWND hwnd, TWndProc proc) {
  TWnd* w = WS().Find(hwnd);
  if (!w || !proc) return nullptr;
  TWndProc old = w->Proc;
  w->Proc = proc;
  return old;
}

TWndProc GetWindowProc(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? w->Proc : nullptr;
}

int GetWindowId(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? w->Id : 0;
}

uint32_t GetWindowStyle(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? w->Style : 0;
}

uint32_t GetClassStyle(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? w->ClassStyle : 0;
}

std::string GetWindowText(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? w->Text : std::string();
}

bool SetWindowText(HWND hwnd, const std::string& text) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  w->Text = text;
  SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return true;
}

// ---- Geometry -------------------------------------------------------------------------

bool GetClientRect(HWND hwnd, TRect* rect) {
  TWnd* w = WS().Find(hwnd);
  if (!w || !rect) return false;
  *rect = TRect{0, 0, w->Rect.Width(), w->Rect.Height()};
  return true;
}

bool GetWindowRect(HWND hwnd, TRect* rect) {
  TWnd* w = WS().Find(hwnd);
  if (!w || !rect) return false;
  TPoint o = ClientOriginOnScreen(w);
  *rect = TRect{o.X, o.Y, o.X + w->Rect.Width(), o.Y + w->Rect.Height()};
  return true;
}

TRect GetWindowBounds(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? w->Rect : TRect{};
}

bool ClientToScreen(HWND hwnd, TPoint* point) {
  TWnd* w = WS().Find(hwnd);
  if (!w || !point) return false;
  TPoint o = ClientOriginOnScreen(w);
  point->X += o.X;
  point->Y += o.Y;
  return true;
}

bool ScreenToClient(HWND hwnd, TPoint* point) {
  TWnd* w = WS().Find(hwnd);
  if (!w || !point) return false;
  TPoint o = ClientOriginOnScreen(w);
  point->X -= o.X;
  point->Y -= o.Y;
  return true;
}

void MapWindowPoints(HWND from, HWND to, TPoint* points, int count) {
  if (!points || count <= 0) return;
  TPoint a{0, 0}, b{0, 0};
  if (from) {
    TWnd* w = WS().Find(from);
    if (!w) return;
    a = ClientOriginOnScreen(w);
  }
  if (to) {
    TWnd* w = WS().Find(to);
    if (!w) return;
    b = ClientOriginOnScreen(w);
  }
  for (int i = 0; i < count; ++i) {
    points[i].X += a.X - b.X;
    points[i].Y += a.Y - b.Y;
  }
}

namespace {

// The deepest visible window at p, where p is in the client coordinates of the window
// that owns list.
TWnd* HitTest(const std::vector<uint32_t>& list, TPoint p) {
  for (uint32_t c : list) {
    TWnd* w = WS().Find(c);
    if (!w || !(w->Style & WS_VISIBLE) || !w->Rect.Contains(p)) continue;
    TPoint q{p.X - w->Rect.Left, p.Y - w->Rect.Top};
    if (TWnd* deeper = HitTest(w->Children, q)) return deeper;
    return w;
  }
  return nullptr;
}

}  // namespace

HWND WindowFromPoint(TPoint screen) {
  TWnd* w = HitTest(WS().TopLevels, screen);
  return w ? H(w) : nullptr;
}

HWND ChildWindowFromPoint(HWND parent, TPoint client) {
  TWnd* p = WS().Find(parent);
  if (!p || !TRect{0, 0, p->Rect.Width(), p->Rect.Height()}.Contains(client)) return nullptr;
  for (uint32_t c : p->Children) {
    TWnd* w = WS().Find(c);
    if (w && (w->Style & WS_VISIBLE) && w->Rect.Contains(client)) return H(w);
  }
  return parent;
}

// ---- Visibility, position, enabling ---------------------------------------------------

bool ShowWindow(HWND hwnd, int command) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  bool was = (w->Style & WS_VISIBLE) != 0;
  bool show = command != SW_HIDE;
  if (was == show || w->Destroying) return was;
  uint32_t handle = w->Handle;
  SendMessage(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
  if (!(w = WS().Find(handle))) return was;
  if (show) {
    w->Style |= WS_VISIBLE;
    ShownChildrenChanged(WS().Find(w->Parent));
    AddUpdate(w, TRect{0, 0, w->Rect.Width(), w->Rect.Height()}, true);
    UnparkPaints(w);
  } else {
    DropFocusAndCaptureIn(w);
    if (!(w = WS().Find(handle))) return was;
    w->Style &= ~WS_VISIBLE;
    ShownChildrenChanged(WS().Find(w->Parent));
    InvalidateParentArea(w, w->Rect);
  }
  NotifyTopLevel(w);
  return was;
}

bool IsWindowVisible(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w && IsVisibleWnd(w);
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height,
                  unsigned flags) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  uint32_t handle = w->Handle;
  TWindowPos pos;
  pos.hwnd = hwnd;
  pos.hwndInsertAfter = insertAfter;
  pos.x = (flags & SWP_NOMOVE) ? w->Rect.Left : x;
  pos.y = (flags & SWP_NOMOVE) ? w->Rect.Top : y;
  pos.cx = (flags & SWP_NOSIZE) ? w->Rect.Width() : width;
  pos.cy = (flags & SWP_NOSIZE) ? w->Rect.Height() : height;
  pos.flags = flags;
  SendMessage(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  if (!(w = WS().Find(handle))) return false;
  flags = pos.flags;

  TRect old = w->Rect;
  int nx = ClampCoord(pos.x), ny = ClampCoord(pos.y);
  TRect now{nx, ny, nx + ClampSize(pos.cx), ny + ClampSize(pos.cy)};
  bool moved = now.Left != old.Left || now.Top != old.Top;
  bool sized = now.Width() != old.Width() || now.Height() != old.Height();
  if (!moved) flags |= SWP_NOMOVE;
  if (!sized) flags |= SWP_NOSIZE;
  w->Rect = now;
  if (!(flags & SWP_NOZORDER)) Relink(w, pos.hwndInsertAfter);

  if ((moved || sized) && (w->Style & WS_VISIBLE) && !(flags & SWP_NOREDRAW)) {
    InvalidateParentArea(w, old);
    if (moved || (w->ClassStyle & (CS_HREDRAW | CS_VREDRAW))) {
      AddUpdate(w, TRect{0, 0, now.Width(), now.Height()}, true);
    } else {
      // Growing exposes new strips; shrinking keeps what is shown.
      if (now.Width() > old.Width())
        AddUpdate(w, TRect{old.Width(), 0, now.Width(), now.Height()}, true);
      if (now.Height() > old.Height())
        AddUpdate(w, TRect{0, old.Height(), now.Width(), now.Height()}, true);
    }
  }
  if (w->Parent == 0 && sized) ResizeSurface(w);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if (!(w = WS().Find(handle))) return true;
  NotifyTopLevel(w);
  pos.x = now.Left;
  pos.y = now.Top;
  pos.cx = now.Width();
  pos.cy = now.Height();
  pos.flags = flags;
  SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  return true;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : unsigned(SWP_NOREDRAW)));
}

bool EnableWindow(HWND hwnd, bool enable) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return false;
  bool wasDisabled = (w->Style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled;
  uint32_t handle = w->Handle;
  if (enable) {
    w->Style &= ~WS_DISABLED;
  } else {
    SendMessage(hwnd, WM_CANCELMODE, 0, 0);
    if (!(w = WS().Find(handle))) return wasDisabled;
    w->Style |= WS_DISABLED;
    DropFocusAndCaptureIn(w);
  }
  SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
  if ((w = WS().Find(handle))) AddUpdate(w, TRect{0, 0, w->Rect.Width(), w->Rect.Height()}, true);
  return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w && IsEnabledWnd(w);
}

// ---- Default handling -----------------------------------------------------------------

LRESULT DefWindowProc(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE:
      return 1;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const TWindowPos*>(lParam);
      if (!pos) return 0;
      if (!(pos->flags & SWP_NOMOVE)) SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(pos->x, pos->y));
      if (!(pos->flags & SWP_NOSIZE))
        SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(pos->cx, pos->cy));
      return 0;
    }
    case WM_PAINT: {
      TPaintStruct ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      if (w->Background == clNone) return 0;
      EraseBackground(w);
      return 1;
    case WM_SETCURSOR: {
      // The parent decides first; a non-zero answer means it has set the cursor. A
      // window without a cursor of its own leaves the choice to the window under the
      // mouse, which falls back to the arrow.
      if (LOWORD(uintptr_t(lParam)) != HTCLIENT) return 0;
      if (w->Parent &&
          SendMessage(TWindowSystem::ToHandle(w->Parent), WM_SETCURSOR, wParam, lParam))
        return 1;
      if (!(w = WS().Find(hwnd))) return 0;
      if (w->Cursor) {
        SetCursor(w->Cursor);
        return 1;
      }
      if (HandleFromParam(wParam) != hwnd) return 0;
      SetCursor(LoadCursor(IDC_ARROW));
      return 1;
    }
    case WM_MOUSEWHEEL:
      if (w->Parent) return SendMessage(TWindowSystem::ToHandle(w->Parent), msg, wParam, lParam);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_GETTEXTLENGTH:
      return LRESULT(w->Text.size());
    case WM_GETTEXT: {
      char* buf = reinterpret_cast<char*>(lParam);
      if (!buf || wParam == 0) return 0;
      size_t n = std::min<size_t>(w->Text.size(), wParam - 1);
      std::memcpy(buf, w->Text.data(), n);
      buf[n] = 0;
      return LRESULT(n);
    }
    default:
      return 0;
  }
}

LRESULT SendMessage(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam) {
  TWnd* w = WS().Find(hwnd);
  if (!w) return 0;
  // Nothing of w is held across the call: the procedure may destroy the window.
  return w->Proc(hwnd, msg, wParam, lParam);
}
