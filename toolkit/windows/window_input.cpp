// Focus, capture, keyboard state, cursors, and input: raw events queued by the backend
// or by tests, aimed at a window when they are taken from the queue.
#include <cstdlib>
#include <cstring>

#include "toolkit/windows/window.h"
#include "toolkit/windows/window_internal.h"
#include "toolkit/windows/window_metrics.h"

namespace {

HWND H(uint32_t v) { return TWindowSystem::ToHandle(v); }

bool KeyDown(int vk) { return (WS().KeyState[vk & 0xFF] & 0x80) != 0; }

void SetKey(int vk, bool down) {
  uint8_t& s = WS().KeyState[vk & 0xFF];
  if (down && !(s & 0x80)) s ^= 1;  // the toggle flips on each press
  s = down ? (s | 0x80) : (s & ~0x80);
}

// Keeps the generic and the left/right keys in step.
void SetKeyWithSides(int vk, bool down) {
  SetKey(vk, down);
  int generic = 0;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) generic = VK_SHIFT;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) generic = VK_CONTROL;
  if (vk == VK_LMENU || vk == VK_RMENU) generic = VK_MENU;
  if (generic) {
    int other = vk == VK_LSHIFT ? VK_RSHIFT : vk == VK_RSHIFT ? VK_LSHIFT
              : vk == VK_LCONTROL ? VK_RCONTROL : vk == VK_RCONTROL ? VK_LCONTROL
              : vk == VK_LMENU ? VK_RMENU : VK_LMENU;
    SetKey(generic, down || KeyDown(other));
  } else if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) {
    int left = vk == VK_SHIFT ? VK_LSHIFT : vk == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
    SetKey(left, down);
    if (!down) SetKey(left + 1, false);
  }
}

unsigned MouseKeys() {
  unsigned k = 0;
  if (KeyDown(VK_LBUTTON)) k |= MK_LBUTTON;
  if (KeyDown(VK_RBUTTON)) k |= MK_RBUTTON;
  if (KeyDown(VK_MBUTTON)) k |= MK_MBUTTON;
  if (KeyDown(VK_SHIFT)) k |= MK_SHIFT;
  if (KeyDown(VK_CONTROL)) k |= MK_CONTROL;
  return k;
}

int ButtonVk(int button) {
  return button == mbLeft ? VK_LBUTTON : button == mbRight ? VK_RBUTTON : VK_MBUTTON;
}

unsigned ButtonMessage(int button, int kind) {  // kind 0 down, 1 up, 2 double
  static const unsigned base[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  return base[button] + unsigned(kind);
}

// Raw input events: Msg.message is one of these, wParam the button, key or delta.
enum : unsigned { kRawMove = 1, kRawDown, kRawUp, kRawWheel, kRawKeyDown, kRawKeyUp, kRawChar };

// The window that takes a mouse event at a screen point, or null.
TWnd* MouseTarget(TPoint screen) {
  if (TWnd* c = WS().Find(WS().Capture)) return c;
  TWnd* w = WS().Find(WindowFromPoint(screen));
  // Disabled windows take no mouse input.
  return w && IsEnabledWnd(w) ? w : nullptr;
}

void QueueInput(TQueueKind kind, unsigned raw, WPARAM wParam, TPoint pt,
                uint64_t time = UINT64_MAX) {
  TQueueItem item;
  item.Kind = kind;
  if (time == UINT64_MAX) time = WS().Now();
  item.Msg = TMsg{nullptr, raw, wParam, 0, uint32_t(time), pt};
  WS().Queue.push_back(item);
  ProcessMessages();
}

}  // namespace

bool CookInput(TQueueItem& item, TMsg* out, bool commit) {
  TWindowSystem& ws = WS();
  const TMsg& raw = item.Msg;
  *out = raw;
  if (item.Kind == qkKey) {
    TWnd* target = ws.Find(ws.Focus);
    if (!target) {
      if (commit && raw.message != kRawChar) SetKeyWithSides(int(raw.wParam), raw.message == kRawKeyDown);
      return false;
    }
    out->hwnd = H(target->Handle);
    int vk = int(raw.wParam) & 0xFF;
    bool alt = KeyDown(VK_MENU) && !KeyDown(VK_CONTROL);
    if (raw.message == kRawChar) {
      out->message = alt ? WM_SYSCHAR : WM_CHAR;
      out->lParam = 1 | (alt ? (1 << 29) : 0);
      return true;
    }
    bool down = raw.message == kRawKeyDown;
    bool wasDown = KeyDown(vk);
    if (vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU) alt = !KeyDown(VK_CONTROL);
    out->message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    out->wParam = WPARAM(vk);
    // Repeat count 1; bit 29 context (Alt); bit 30 previous state; bit 31 transition.
    uint32_t lp = 1;
    if (alt) lp |= 1u << 29;
    if (down ? wasDown : true) lp |= 1u << 30;
    if (!down) lp |= 1u << 31;
    out->lParam = LPARAM(int32_t(lp));
    if (commit) SetKeyWithSides(vk, down);
    return true;
  }

  TWnd* target = MouseTarget(raw.pt);
  int button = int(raw.wParam);
  if (raw.message == kRawWheel) {
    TWnd* focus = ws.Find(ws.Focus);
    target = focus ? focus : target;
    if (!target) return false;
    out->hwnd = H(target->Handle);
    out->message = WM_MOUSEWHEEL;
    out->wParam = MAKEWPARAM(int(MouseKeys()), int(int16_t(raw.wParam)));
    out->lParam = MAKELPARAM(raw.pt.X, raw.pt.Y);
    return true;
  }
  if (commit && (raw.message == kRawDown || raw.message == kRawUp))
    SetKey(ButtonVk(button), raw.message == kRawDown);
  if (!target) return false;
  HWND h = H(target->Handle);
  TPoint client = raw.pt;
  ScreenToClient(h, &client);
  out->hwnd = h;
  out->lParam = MAKELPARAM(client.X, client.Y);
  unsigned keys = MouseKeys();
  if (!commit && (raw.message == kRawDown || raw.message == kRawUp)) {
    // The message carries the button state after the event.
    unsigned bit = button == mbLeft ? MK_LBUTTON : button == mbRight ? MK_RBUTTON : MK_MBUTTON;
    keys = raw.message == kRawDown ? (keys | bit) : (keys & ~bit);
  }
  out->wParam = keys;
  if (raw.message == kRawMove) {
    out->message = WM_MOUSEMOVE;
  } else if (raw.message == kRawUp) {
    out->message = ButtonMessage(button, 1);
  } else {
    // The second press must come within the double-click time of the first, by the
    // times the events happened (the backend's clock, virtual when headless), and inside
    // the double-click box centred on the first.
    const uint32_t now = raw.time;
    const int64_t dx = std::abs(int64_t(raw.pt.X) - ws.LastClickPos.X);
    const int64_t dy = std::abs(int64_t(raw.pt.Y) - ws.LastClickPos.Y);
    const bool dbl = (target->ClassStyle & CS_DBLCLKS) && ws.LastClickWindow == target->Handle &&
                     ws.LastClickButton == button &&
                     now - ws.LastClickTime <= GetDoubleClickTime() &&
                     2 * dx <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                     2 * dy <= GetSystemMetrics(SM_CYDOUBLECLK);
    out->message = ButtonMessage(button, dbl ? 2 : 0);
    if (commit) {
      // A double click ends the sequence: a third press starts a new one.
      ws.LastClickWindow = dbl ? 0 : target->Handle;
      ws.LastClickButton = button;
      ws.LastClickTime = now;
      ws.LastClickPos = raw.pt;
    }
  }
  if (commit && !ws.Capture && out->message != WM_MOUSEWHEEL) {
    uint32_t handle = target->Handle;
    SendMessage(h, WM_SETCURSOR, WPARAM(h), MAKELPARAM(HTCLIENT, int(out->message)));
    if (!ws.Find(handle)) return false;
  }
  return true;
}

// ---- Focus and capture -----------------------------------------------------------------

HWND SetFocus(HWND hwnd) {
  TWindowSystem& ws = WS();
  uint32_t target = 0;
  if (hwnd) {
    TWnd* w = ws.Find(hwnd);
    if (!w || w->Destroying) return nullptr;
    target = w->Handle;
  }
  uint32_t old = ws.Focus;
  if (old == target) return H(old);
  ws.Focus = target;
  if (ws.Find(old)) SendMessage(H(old), WM_KILLFOCUS, WPARAM(target), 0);
  // The kill-focus handler may have moved the focus on; then that choice stands.
  if (ws.Focus == target && ws.Find(target)) SendMessage(H(target), WM_SETFOCUS, WPARAM(old), 0);
  return ws.Find(old) ? H(old) : nullptr;
}

HWND GetFocus() { return WS().Find(WS().Focus) ? H(WS().Focus) : nullptr; }

HWND SetCapture(HWND hwnd) {
  TWindowSystem& ws = WS();
  TWnd* w = ws.Find(hwnd);
  if (!w || w->Destroying) return nullptr;
  uint32_t old = ws.Capture;
  if (old == w->Handle) return hwnd;
  ws.Capture = w->Handle;
  if (ws.Find(old)) SendMessage(H(old), WM_CAPTURECHANGED, 0, LPARAM(ParamFromHandle(hwnd)));
  return ws.Find(old) ? H(old) : nullptr;
}

bool ReleaseCapture() {
  TWindowSystem& ws = WS();
  uint32_t old = ws.Capture;
  ws.Capture = 0;
  if (ws.Find(old)) SendMessage(H(old), WM_CAPTURECHANGED, 0, 0);
  return true;
}

HWND GetCapture() { return WS().Find(WS().Capture) ? H(WS().Capture) : nullptr; }

int16_t GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  uint8_t s = WS().KeyState[virtualKey];
  return int16_t(((s & 0x80) ? 0x8000 : 0) | (s & 1));
}

TPoint GetCursorPos() { return WS().CursorPos; }
void SetCursorPos(TPoint screen) { WS().CursorPos = screen; }

TShiftState ShiftStateFromKeys(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (KeyDown(VK_MENU)) s |= ssAlt;
  return s;
}

TShiftState KeyboardShiftState() { return ShiftStateFromKeys(MouseKeys()); }

// ---- Cursors --------------------------------------------------------------------------

namespace {

const int kStandardCursorIds[] = {IDC_ARROW,   IDC_IBEAM,  IDC_WAIT,   IDC_CROSS,
                                  IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,
                                  IDC_SIZENS,  IDC_SIZEALL, IDC_NO,     IDC_HAND,
                                  IDC_APPSTARTING, IDC_HELP};
constexpr size_t kStandardCount = sizeof(kStandardCursorIds) / sizeof(int);

TCursorObj* StandardCursors() {
  static TCursorObj cursors[kStandardCount];
  static bool made = false;
  if (!made) {
    for (size_t i = 0; i < kStandardCount; ++i) {
      cursors[i].Id = kStandardCursorIds[i];
      cursors[i].Width = cursors[i].Height = 32;
    }
    made = true;
  }
  return cursors;
}

TCursorObj* FindCursor(HCURSOR c) {
  if (!c) return nullptr;
  TCursorObj* std = StandardCursors();
  auto* p = reinterpret_cast<TCursorObj*>(c);
  if (p >= std && p < std + kStandardCount) return p;
  for (auto& own : WS().CustomCursors)
    if (own.get() == p) return p;
  return nullptr;
}

}  // namespace

HCURSOR LoadCursor(int id) {
  TCursorObj* std = StandardCursors();
  for (size_t i = 0; i < kStandardCount; ++i)
    if (std[i].Id == id) return reinterpret_cast<HCURSOR>(&std[i]);
  return nullptr;
}

HCURSOR CreateCursor(int hotX, int hotY, int width, int height, const uint8_t* andMask,
                     const uint8_t* xorMask) {
  if (width <= 0 || height <= 0 || width > 256 || height > 256 || !andMask || !xorMask)
    return nullptr;
  if (hotX < 0 || hotY < 0 || hotX >= width || hotY >= height) return nullptr;
  auto c = std::make_unique<TCursorObj>();
  c->HotX = hotX;
  c->HotY = hotY;
  c->Width = width;
  c->Height = height;
  size_t bytes = size_t((width + 15) / 16 * 2) * size_t(height);
  c->AndMask.assign(andMask, andMask + bytes);
  c->XorMask.assign(xorMask, xorMask + bytes);
  HCURSOR h = reinterpret_cast<HCURSOR>(c.get());
  WS().CustomCursors.push_back(std::move(c));
  return h;
}

bool DestroyCursor(HCURSOR cursor) {
  auto& list = WS().CustomCursors;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (reinterpret_cast<HCURSOR>(it->get()) == cursor) {
      if (WS().Cursor == cursor) SetCursor(LoadCursor(IDC_ARROW));
      list.erase(it);
      return true;
    }
  }
  return false;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = WS().Cursor;
  if (cursor && !FindCursor(cursor)) return old;
  if (cursor != old) {
    WS().Cursor = cursor;
    WS().Backend().ShowCursor(cursor);
  }
  return old;
}

HCURSOR GetCursor() { return WS().Cursor; }

int GetCursorId(HCURSOR cursor) {
  TCursorObj* c = FindCursor(cursor);
  return c ? c->Id : 0;
}

void SetCursorStandIn(HCURSOR cursor, int standardId) {
  TCursorObj* c = FindCursor(cursor);
  if (c && c->Id == 0 && LoadCursor(standardId)) c->StandIn = standardId;
}

int GetCursorShapeId(HCURSOR cursor) {
  TCursorObj* c = FindCursor(cursor);
  if (!c) return IDC_ARROW;
  if (c->Id) return c->Id;
  return c->StandIn ? c->StandIn : IDC_ARROW;
}

void SetWindowCursor(HWND hwnd, HCURSOR cursor) {
  TWnd* w = WS().Find(hwnd);
  if (w && (!cursor || FindCursor(cursor))) w->Cursor = cursor;
}

HCURSOR GetWindowCursor(HWND hwnd) {
  TWnd* w = WS().Find(hwnd);
  return w ? w->Cursor : nullptr;
}

// ---- Injection ----------------------------------------------------------------------------

void InjectMouseMove(TPoint screen) {
  WS().CursorPos = screen;
  QueueInput(qkMouse, kRawMove, 0, screen);
}

void InjectMouseDown(TMouseButton button, TPoint screen, uint64_t time) {
  WS().CursorPos = screen;
  QueueInput(qkMouse, kRawDown, WPARAM(button), screen, time);
}

void InjectMouseUp(TMouseButton button, TPoint screen, uint64_t time) {
  WS().CursorPos = screen;
  QueueInput(qkMouse, kRawUp, WPARAM(button), screen, time);
}

void InjectMouseDown(TMouseButton button, TPoint screen) {
  InjectMouseDown(button, screen, WS().Now());
}

void InjectMouseUp(TMouseButton button, TPoint screen) {
  InjectMouseUp(button, screen, WS().Now());
}

void InjectDoubleClick(TMouseButton button, TPoint screen) {
  // Two presses in the same place at the same moment: a double click for windows of a
  // CS_DBLCLKS class, two single clicks for the others.
  InjectMouseDown(button, screen);
  InjectMouseUp(button, screen);
  InjectMouseDown(button, screen);
  InjectMouseUp(button, screen);
}

void InjectMouseWheel(int delta, TPoint screen) {
  WS().CursorPos = screen;
  QueueInput(qkMouse, kRawWheel, WPARAM(uint16_t(int16_t(delta))), screen);
}

void InjectKeyDown(int virtualKey, bool repeat) {
  if (virtualKey <= 0 || virtualKey > 255) return;
  if (!repeat && KeyDown(virtualKey)) SetKey(virtualKey, false);
  QueueInput(qkKey, kRawKeyDown, WPARAM(virtualKey), WS().CursorPos);
}

void InjectKeyUp(int virtualKey) {
  if (virtualKey <= 0 || virtualKey > 255) return;
  QueueInput(qkKey, kRawKeyUp, WPARAM(virtualKey), WS().CursorPos);
}

void InjectChar(char32_t ch) { QueueInput(qkKey, kRawChar, WPARAM(ch), WS().CursorPos); }

namespace {

TPoint AtScreen(HWND hwnd, int x, int y) {
  TPoint p{x, y};
  ClientToScreen(hwnd, &p);
  return p;
}

}  // namespace

void InjectMouseMoveAt(HWND hwnd, int x, int y) {
  if (IsWindow(hwnd)) InjectMouseMove(AtScreen(hwnd, x, y));
}

void InjectMouseDownAt(HWND hwnd, TMouseButton button, int x, int y) {
  if (IsWindow(hwnd)) InjectMouseDown(button, AtScreen(hwnd, x, y));
}

void InjectMouseUpAt(HWND hwnd, TMouseButton button, int x, int y) {
  if (IsWindow(hwnd)) InjectMouseUp(button, AtScreen(hwnd, x, y));
}

void InjectClickAt(HWND hwnd, TMouseButton button, int x, int y) {
  if (!IsWindow(hwnd)) return;
  TPoint p = AtScreen(hwnd, x, y);
  InjectMouseDown(button, p);
  InjectMouseUp(button, p);
}

void InjectDoubleClickAt(HWND hwnd, TMouseButton button, int x, int y) {
  if (IsWindow(hwnd)) InjectDoubleClick(button, AtScreen(hwnd, x, y));
}

void InjectMouseWheelAt(HWND hwnd, int delta, int x, int y) {
  if (IsWindow(hwnd)) InjectMouseWheel(delta, AtScreen(hwnd, x, y));
}
