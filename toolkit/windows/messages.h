// Window message numbers, notification codes, flags and the records that travel with
// messages. The numbers are the Windows ones, so hosts that speak that protocol (and
// private messages counted from WM_USER) keep their meaning.
#pragma once

#include <cstdint>

#include "common/types.h"

// An opaque, pointer-sized window handle. It is never a pointer to memory: the window
// system looks it up in its handle table, so a stale or made-up handle is harmless.
struct THandleTag;
using HWND = THandleTag*;
// A cursor handle; null means no cursor (the pointer is hidden).
struct TCursorTag;
using HCURSOR = TCursorTag*;

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// A window procedure: C-compatible so that a C host can supply one.
using TWndProc = LRESULT (*)(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam);
// A timer callback; when given, WM_TIMER runs it instead of the window procedure.
using TTimerProc = void (*)(HWND hwnd, unsigned msg, uintptr_t id, uint32_t time);

enum : unsigned {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_SETTEXT = 0x000C,
  WM_GETTEXT = 0x000D,
  WM_GETTEXTLENGTH = 0x000E,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ERASEBKGND = 0x0014,
  WM_SYSCOLORCHANGE = 0x0015,
  WM_SHOWWINDOW = 0x0018,
  WM_CANCELMODE = 0x001F,
  WM_SETCURSOR = 0x0020,
  WM_MOUSEACTIVATE = 0x0021,
  WM_WINDOWPOSCHANGING = 0x0046,
  WM_WINDOWPOSCHANGED = 0x0047,
  WM_NCCREATE = 0x0081,
  WM_NCDESTROY = 0x0082,
  WM_GETDLGCODE = 0x0087,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_SYSCHAR = 0x0106,
  WM_COMMAND = 0x0111,
  WM_TIMER = 0x0113,
  WM_HSCROLL = 0x0114,
  WM_VSCROLL = 0x0115,
  WM_CTLCOLORSCROLLBAR = 0x0137,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_MBUTTONDBLCLK = 0x0209,
  WM_MOUSEWHEEL = 0x020A,
  WM_PARENTNOTIFY = 0x0210,
  WM_CAPTURECHANGED = 0x0215,
  WM_MOUSELEAVE = 0x02A3,
  WM_CUT = 0x0300,
  WM_COPY = 0x0301,
  WM_PASTE = 0x0302,
  WM_QUERYNEWPALETTE = 0x030F,
  WM_PALETTECHANGED = 0x0311,
  WM_USER = 0x0400,
};

// Scroll-bar control messages.
enum : unsigned {
  SBM_SETPOS = 0x00E0,
  SBM_GETPOS = 0x00E1,
  SBM_SETRANGE = 0x00E2,
  SBM_GETRANGE = 0x00E3,
  SBM_ENABLE_ARROWS = 0x00E4,
  SBM_SETSCROLLINFO = 0x00E9,
  SBM_GETSCROLLINFO = 0x00EA,
};

// WM_HSCROLL / WM_VSCROLL codes (low word of wParam).
enum : int {
  SB_LINEUP = 0, SB_LINELEFT = 0,
  SB_LINEDOWN = 1, SB_LINERIGHT = 1,
  SB_PAGEUP = 2, SB_PAGELEFT = 2,
  SB_PAGEDOWN = 3, SB_PAGERIGHT = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6, SB_LEFT = 6,
  SB_BOTTOM = 7, SB_RIGHT = 7,
  SB_ENDSCROLL = 8,
};
// Which bar GetScrollInfo/SetScrollInfo address; only SB_CTL (a scroll-bar control)
// exists here, since windows have no non-client area.
enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
enum : unsigned {
  SIF_RANGE = 0x01,
  SIF_PAGE = 0x02,
  SIF_POS = 0x04,
  SIF_DISABLENOSCROLL = 0x08,
  SIF_TRACKPOS = 0x10,
  SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS,
};
enum : unsigned { ESB_ENABLE_BOTH = 0, ESB_DISABLE_BOTH = 3 };

struct SCROLLINFO {
  unsigned cbSize = sizeof(SCROLLINFO);
  unsigned fMask = 0;
  int nMin = 0;
  int nMax = 0;
  unsigned nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

// Window styles. Windows here have no caption or frame; the style bits that matter
// are the ones below.
enum : uint32_t {
  WS_OVERLAPPED = 0x00000000,
  WS_TABSTOP = 0x00010000,
  WS_GROUP = 0x00020000,
  WS_VSCROLL = 0x00200000,
  WS_HSCROLL = 0x00100000,
  WS_CLIPCHILDREN = 0x02000000,
  WS_CLIPSIBLINGS = 0x04000000,
  WS_DISABLED = 0x08000000,
  WS_VISIBLE = 0x10000000,
  WS_POPUP = 0x80000000,
  WS_CHILD = 0x40000000,
  SBS_HORZ = 0x0000,
  SBS_VERT = 0x0001,
};
// Class styles, given with RegisterWindowClass or in TCreateParams::ClassStyle.
enum : uint32_t { CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008 };

// ShowWindow commands.
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_SHOWNA = 8 };

// SetWindowPos flags and special insert-after handles.
enum : unsigned {
  SWP_NOSIZE = 0x0001,
  SWP_NOMOVE = 0x0002,
  SWP_NOZORDER = 0x0004,
  SWP_NOREDRAW = 0x0008,
  SWP_NOACTIVATE = 0x0010,
  SWP_SHOWWINDOW = 0x0040,
  SWP_HIDEWINDOW = 0x0080,
};
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(uintptr_t(1));

// GetWindow relations.
enum : unsigned { GW_HWNDFIRST = 0, GW_HWNDLAST = 1, GW_HWNDNEXT = 2, GW_HWNDPREV = 3, GW_CHILD = 5 };

// WM_SIZE kinds.
enum : unsigned { SIZE_RESTORED = 0 };

// Mouse-message key flags (wParam of mouse messages).
enum : unsigned {
  MK_LBUTTON = 0x0001,
  MK_RBUTTON = 0x0002,
  MK_SHIFT = 0x0004,
  MK_CONTROL = 0x0008,
  MK_MBUTTON = 0x0010,
};
constexpr int WHEEL_DELTA = 120;

// WM_SETCURSOR hit-test code (low word of lParam).
enum : int { HTERROR = -2, HTNOWHERE = 0, HTCLIENT = 1 };

// WM_GETDLGCODE answers.
enum : unsigned { DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
                  DLGC_WANTCHARS = 0x0080 };

// Virtual-key codes.
enum : int {
  VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04,
  VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D,
  VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
  VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
  VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
  VK_INSERT = 0x2D, VK_DELETE = 0x2E,
  VK_F1 = 0x70, VK_F4 = 0x73, VK_F10 = 0x79,
  VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3,
  VK_LMENU = 0xA4, VK_RMENU = 0xA5,
};

// PeekMessage removal flags.
enum : unsigned { PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001 };

// ScrollWindowEx flags.
enum : unsigned { SW_SCROLLCHILDREN = 0x0001, SW_INVALIDATE = 0x0002, SW_ERASE = 0x0004 };

// Standard cursor ids (LoadCursor).
enum : int {
  IDC_ARROW = 32512, IDC_IBEAM = 32513, IDC_WAIT = 32514, IDC_CROSS = 32515,
  IDC_UPARROW = 32516, IDC_SIZENWSE = 32642, IDC_SIZENESW = 32643, IDC_SIZEWE = 32644,
  IDC_SIZENS = 32645, IDC_SIZEALL = 32646, IDC_NO = 32648, IDC_HAND = 32649,
  IDC_APPSTARTING = 32650, IDC_HELP = 32651,
};

// System colour indices (GetSysColor).
enum : int {
  COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
  COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7,
  COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10,
  COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
  COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28,
  COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30,
  COLOR_3DFACE = COLOR_BTNFACE, COLOR_3DSHADOW = COLOR_BTNSHADOW,
  COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
};

// GetSystemMetrics indices.
enum : int {
  SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYVTHUMB = 9,
  SM_CXHTHUMB = 10, SM_CXCURSOR = 13, SM_CYCURSOR = 14, SM_CYVSCROLL = 20,
  SM_CXHSCROLL = 21, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_MOUSEWHEELPRESENT = 75,
};

// A queued message.
struct TMsg {
  HWND hwnd = nullptr;
  unsigned message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  uint32_t time = 0;
  TPoint pt;  // cursor position in screen coordinates when the message was queued
};

// WM_NCCREATE / WM_CREATE: lParam points to one.
struct TCreateStruct {
  void* lpCreateParams = nullptr;  // the user data given to CreateWindow
  HWND hwndParent = nullptr;
  int cy = 0, cx = 0, y = 0, x = 0;
  uint32_t style = 0;
  const char* lpszName = "";
  const char* lpszClass = "";
};

// WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED: lParam points to one. A handler of the
// first may change x, y, cx, cy and flags.
struct TWindowPos {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0;
  unsigned flags = 0;
};

// Forward declaration: the canvas class lives with the graphics code.
class TCanvas;

// Filled by BeginPaint. rcPaint is in client coordinates.
struct TPaintStruct {
  TCanvas* Canvas = nullptr;  // client coordinates, clipped to rcPaint; valid until EndPaint
  bool fErase = false;
  TRect rcPaint;
};

// Packing helpers with Windows semantics: 16-bit halves, coordinates sign-extended.
constexpr uint16_t LOWORD(uintptr_t v) { return uint16_t(v & 0xFFFF); }
constexpr uint16_t HIWORD(uintptr_t v) { return uint16_t((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return LPARAM(int32_t(uint32_t(uint16_t(lo)) | (uint32_t(uint16_t(hi)) << 16)));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) {
  return WPARAM(uint32_t(uint16_t(lo)) | (uint32_t(uint16_t(hi)) << 16));
}
constexpr int GET_X_LPARAM(LPARAM lp) { return int16_t(lp & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return int16_t((lp >> 16) & 0xFFFF); }
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return int16_t((wp >> 16) & 0xFFFF); }
constexpr unsigned GET_KEYSTATE_WPARAM(WPARAM wp) { return unsigned(wp & 0xFFFF); }

inline HWND HandleFromParam(uintptr_t v) { return reinterpret_cast<HWND>(v); }
inline uintptr_t ParamFromHandle(HWND h) { return reinterpret_cast<uintptr_t>(h); }
