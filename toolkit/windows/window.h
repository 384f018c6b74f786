// Windows and messages: a small, single-threaded window system with the semantics of
// the Windows user interface calls. Windows form a tree of frameless rectangles (the
// client area is the whole window); each top-level window owns a pixel surface that
// its descendants paint into. Messages are sent (synchronously, re-entrantly) or
// posted to one queue; timers, paints and platform input come out of that queue.
//
// This header does not depend on any platform. The platform side (a headless backend
// with a virtual clock, or a display backend) plugs in through window_backend.h.
//
// Every call accepts any handle: a destroyed or made-up handle makes the call do
// nothing and return 0, false or null.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/types.h"
#include "toolkit/windows/messages.h"

// ---- Windows --------------------------------------------------------------------------

// What CreateWindow needs. Either ClassName names a registered class or Proc is given
// (Proc wins when both are).
struct TCreateParams {
  const char* ClassName = nullptr;
  TWndProc Proc = nullptr;
  void* UserData = nullptr;  // readable with GetWindowUserData; also lpCreateParams
  HWND Parent = nullptr;     // null makes a top-level window placed in screen coordinates
  int X = 0, Y = 0, Width = 0, Height = 0;
  uint32_t Style = WS_CHILD | WS_VISIBLE;
  uint32_t ClassStyle = 0;  // CS_* bits, added to those of the class
  const char* Title = "";
  int Id = 0;  // control id, reported by GetWindowId
};

// Registers a window class; a second registration of the same name fails.
bool RegisterWindowClass(const char* name, TWndProc proc, uint32_t classStyle = 0,
                         HCURSOR cursor = nullptr);

// Creates a window. Messages at creation: WM_NCCREATE (a zero answer cancels),
// WM_CREATE (-1 cancels), WM_SIZE, WM_MOVE, then WM_SHOWWINDOW when WS_VISIBLE is set.
// Returns null when the class is unknown, the parent is not a window, or creation was
// cancelled. Sizes are clamped to 0..32767.
HWND CreateWindow(const TCreateParams& params);
HWND CreateWindow(TWndProc proc, void* userData, HWND parent, int x, int y, int width,
                  int height, uint32_t style = WS_CHILD | WS_VISIBLE);

// Destroys the window and its descendants: WM_DESTROY goes to the window and then down
// the tree, WM_NCDESTROY to the descendants first and the window last. Focus and capture
// inside the tree are released first, their timers killed, their queued messages
// dropped. Safe inside the window's own handlers; the handle is invalid afterwards.
bool DestroyWindow(HWND hwnd);

bool IsWindow(HWND hwnd);
// True when child is a descendant (at any depth) of parent.
bool IsChild(HWND parent, HWND child);
HWND GetParent(HWND hwnd);
// The top-level ancestor (the window itself when it has no parent).
HWND GetTopLevelWindow(HWND hwnd);
// GW_CHILD: the topmost child; GW_HWNDFIRST/LAST/NEXT/PREV: siblings in z-order, top first.
HWND GetWindow(HWND hwnd, unsigned relation);
// Children in z-order, top first. Top-level windows when hwnd is null.
std::vector<HWND> GetChildWindows(HWND hwnd);

void* GetWindowUserData(HWND hwnd);
void SetWindowUserData(HWND hwnd, void* data);
// Replaces the window procedure and returns the previous one (sub-classing).
TWndProc SetWindowProc(HWND hwnd, TWndProc proc);
TWndProc GetWindowProc(HWND hwnd);
int GetWindowId(HWND hwnd);
uint32_t GetWindowStyle(HWND hwnd);
uint32_t GetClassStyle(HWND hwnd);
std::string GetWindowText(HWND hwnd);
bool SetWindowText(HWND hwnd, const std::string& text);

// ---- Geometry -------------------------------------------------------------------------

// (0, 0, width, height).
bool GetClientRect(HWND hwnd, TRect* rect);
// The window in screen coordinates.
bool GetWindowRect(HWND hwnd, TRect* rect);
// The window in its parent's client coordinates (screen coordinates for a top level).
TRect GetWindowBounds(HWND hwnd);
bool ClientToScreen(HWND hwnd, TPoint* point);
bool ScreenToClient(HWND hwnd, TPoint* point);
// Converts points from one window's client coordinates to another's; null is the screen.
void MapWindowPoints(HWND from, HWND to, TPoint* points, int count);
// The deepest visible window under a screen point, or null.
HWND WindowFromPoint(TPoint screen);
// The visible child (one level down) under a client point of parent, or parent itself
// when the point is inside parent and on no child, or null outside parent.
HWND ChildWindowFromPoint(HWND parent, TPoint client);

// SW_HIDE hides; any other command shows. Returns whether it was visible before.
bool ShowWindow(HWND hwnd, int command);
// The window and all its ancestors have WS_VISIBLE.
bool IsWindowVisible(HWND hwnd);
// Sends WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED; the default handling of the
// latter sends WM_MOVE (if moved) then WM_SIZE (if sized).
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height,
                  unsigned flags);
bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint = true);
// Returns whether the window was disabled before. Sends WM_ENABLE on a change; disabling
// takes the focus and the capture away from the window and its descendants.
bool EnableWindow(HWND hwnd, bool enable);
// The window and its ancestors are enabled.
bool IsWindowEnabled(HWND hwnd);

// ---- Messages -------------------------------------------------------------------------

// The default handling of a message: WM_NCCREATE answers 1, WM_WINDOWPOSCHANGED sends
// WM_MOVE/WM_SIZE, WM_PAINT validates, WM_SETCURSOR asks the parent and then sets the
// window's cursor, WM_MOUSEWHEEL goes to the parent, WM_CLOSE destroys the window,
// WM_ERASEBKGND fills with the window's background colour (when it has one).
LRESULT DefWindowProc(HWND hwnd, unsigned msg, WPARAM wParam, LPARAM lParam);
// Calls the window procedure at once and returns its answer; 0 for an invalid handle.
LRESULT SendMessage(HWND hwnd, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Appends to the queue. A null hwnd posts a thread message that DispatchMessage drops.
bool PostMessage(HWND hwnd, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
void PostQuitMessage(int exitCode);

// Retrieves the next message: queued and input messages in order, then WM_PAINT for a
// window with an update region, then WM_TIMER for a due timer. A filter window limits
// the search to that window and its descendants; min..max (both 0 = all) to a range.
bool PeekMessage(TMsg* msg, HWND filter = nullptr, unsigned min = 0, unsigned max = 0,
                 unsigned remove = PM_REMOVE);
// Like PeekMessage but waits for the backend's events; returns 0 for WM_QUIT, and 0 as
// well when nothing can ever arrive (no queue, no timers, no event source).
int GetMessage(TMsg* msg, HWND filter = nullptr, unsigned min = 0, unsigned max = 0);
// Delivers a retrieved message to its window (WM_TIMER with a callback runs the callback).
LRESULT DispatchMessage(const TMsg* msg);
// Runs everything pending now: queued messages and input, paints, due timers. Bounded,
// so a handler that keeps re-posting cannot hang it. Returns false when WM_QUIT was met.
bool ProcessMessages();
// Whether input can arrive while a handler loops over ProcessMessages; false when a host
// hands input over from its own main loop, which waits until the handler returns: such
// a handler must do its work in steps (on a timer) instead of looping.
bool InputArrivesWhileBusy();
// The exit code of the last WM_QUIT retrieved.
int QuitExitCode();

// ---- Timers ---------------------------------------------------------------------------

// Starts or restarts timer id of hwnd: WM_TIMER every elapse milliseconds (at least 10).
// With a null hwnd a fresh id is made and returned. Returns 0 for an invalid hwnd.
uintptr_t SetTimer(HWND hwnd, uintptr_t id, unsigned elapse, TTimerProc proc = nullptr);
bool KillTimer(HWND hwnd, uintptr_t id);

// ---- Focus, capture, keyboard ---------------------------------------------------------

// Sends WM_KILLFOCUS(new) to the old and WM_SETFOCUS(old) to the new window. Returns the
// previous focus window; null hwnd removes the focus.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// Mouse input goes to the capture window until it is released. WM_CAPTURECHANGED
// (lParam: the new capture window) goes to the window that loses it.
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();
// High bit (the result is negative) while the key is down; low bit toggles on each press.
// Knows VK_SHIFT, VK_CONTROL, VK_MENU, the left/right variants, the mouse buttons and
// every other key seen in input.
int16_t GetKeyState(int virtualKey);
// The mouse position in screen coordinates.
TPoint GetCursorPos();
// Moves the pointer (no messages).
void SetCursorPos(TPoint screen);

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// The held modifier keys and buttons, as a bit set of ss* values.
using TShiftState = unsigned;
enum : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                  ssDouble = 64 };
// The shift state of a mouse message's wParam (the Alt key from the keyboard state).
TShiftState ShiftStateFromKeys(WPARAM keys);
// The current keyboard and mouse-button state.
TShiftState KeyboardShiftState();

// ---- Cursors --------------------------------------------------------------------------

// A standard cursor (IDC_*); null for an unknown id.
HCURSOR LoadCursor(int id);
// A monochrome cursor from AND and XOR masks, one bit per pixel, rows padded to 16
// bits, as Windows does. Returns null for bad sizes or a hot spot outside the image.
HCURSOR CreateCursor(int hotX, int hotY, int width, int height, const uint8_t* andMask,
                     const uint8_t* xorMask);
bool DestroyCursor(HCURSOR cursor);
// Shows the cursor; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// The standard id of a cursor (IDC_*), or 0 for a custom one.
int GetCursorId(HCURSOR cursor);
// The standard cursor shown for a custom one where only standard shapes can be shown (a
// host's toolkit draws the pointer); ignored for standard cursors and unknown ids.
void SetCursorStandIn(HCURSOR cursor, int standardId);
// The standard id of a cursor, or of what stands in for a custom one (IDC_ARROW if none).
int GetCursorShapeId(HCURSOR cursor);
// The cursor WM_SETCURSOR's default handling shows over the window (null: the class
// cursor, else the arrow).
void SetWindowCursor(HWND hwnd, HCURSOR cursor);
HCURSOR GetWindowCursor(HWND hwnd);

// ---- Painting -------------------------------------------------------------------------

// Adds rect (client coordinates; null for the whole client area) to the update region.
bool InvalidateRect(HWND hwnd, const TRect* rect, bool erase = true);
bool ValidateRect(HWND hwnd, const TRect* rect);
// The bounds of the update region in client coordinates; false when it is empty.
bool GetUpdateRect(HWND hwnd, TRect* rect);
// Sends WM_PAINT at once if the window has an update region and is visible.
bool UpdateWindow(HWND hwnd);
// Validates the update region, sends WM_ERASEBKGND (wParam: the canvas) when it asked
// for erasing, and fills ps with the paint rectangle and a canvas in client coordinates
// clipped to it. The canvas lives until EndPaint.
TCanvas* BeginPaint(HWND hwnd, TPaintStruct* ps);
bool EndPaint(HWND hwnd, const TPaintStruct* ps);
// Background colour used by WM_ERASEBKGND's default handling; clNone (the default)
// leaves the background alone.
void SetWindowBackground(HWND hwnd, TColor color);

// Moves the pixels of scroll (whole client area when null), cut to clip (the same when
// null), by (dx, dy) and returns the uncovered area in updateRect. With SW_INVALIDATE it
// is added to the update region; the existing update region moves with the pixels.
// SW_SCROLLCHILDREN moves child windows too. Returns false for an invalid handle.
bool ScrollWindowEx(HWND hwnd, int dx, int dy, const TRect* scroll, const TRect* clip,
                    TRect* updateRect, unsigned flags);
// ScrollWindowEx with SW_INVALIDATE; children move when scroll is null.
bool ScrollWindow(HWND hwnd, int dx, int dy, const TRect* scroll = nullptr,
                  const TRect* clip = nullptr);

// The pixels a window shows: 0x00RRGGBB words, Width x Height of its client area
// (cut to its top-level surface). Empty for an invalid handle. The captures throw
// EInvalidGraphic for a window beyond the bitmap limits (toolkit/bitmap.h).
struct TWindowPixels {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
  uint32_t At(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};
TWindowPixels CaptureWindowPixels(HWND hwnd);
// How many waiting windows the look for the next WM_PAINT has examined so far (grows with
// the paints, not with the windows waiting at each).
uint64_t PaintLookSteps();
class TBitmap;
// The same as a bitmap of the client area's size (empty for an invalid handle).
std::unique_ptr<TBitmap> CaptureWindowBitmap(HWND hwnd);
// The same as a PNG file; throws EInvalidGraphic when it cannot be written or the window
// is empty or invalid.
void SaveWindowPng(HWND hwnd, const std::string& fileName);

// Drawing on a window outside WM_PAINT: a canvas in client coordinates, clipped to the
// visible client area; the drawing is shown when the object goes away.
class TWindowDC {
 public:
  explicit TWindowDC(HWND hwnd);
  ~TWindowDC();
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  TCanvas& Canvas() { return *FCanvas; }

 private:
  HWND FWindow;
  std::unique_ptr<TCanvas> FCanvas;
};

// Where a window's pixels live, for the canvas code: Pixels addresses the window's
// client (0, 0); rows are Stride words apart; Clip is the part of the client area
// that may be touched (visible, inside every ancestor and the surface). Pixels is null
// when nothing is visible.
struct TWindowSurfaceView {
  uint32_t* Pixels = nullptr;
  int Stride = 0;
  TRect Clip;
};
TWindowSurfaceView GetWindowSurface(HWND hwnd);

// ---- Input ----------------------------------------------------------------------------
// Platform backends and tests feed input through these. Each call queues the event and
// then runs ProcessMessages, so by the time it returns the event has been handled.
// Mouse events go to the capture window, else to the enabled window under the point;
// key events to the focus window. Points are screen coordinates; the *At forms take
// client coordinates of a window.

void InjectMouseMove(TPoint screen);
void InjectMouseDown(TMouseButton button, TPoint screen);
void InjectMouseUp(TMouseButton button, TPoint screen);
// The same for an event that happened at time (the window system's clock, Now of the
// backend, of which messages keep the low 32 bits) and may be handled only later; a
// double click is judged by these times.
void InjectMouseDown(TMouseButton button, TPoint screen, uint64_t time);
void InjectMouseUp(TMouseButton button, TPoint screen, uint64_t time);
// Down, up, double-click message, up, as Windows delivers a double click.
void InjectDoubleClick(TMouseButton button, TPoint screen);
// delta in WHEEL_DELTA units (120 per notch; positive is away from the user).
void InjectMouseWheel(int delta, TPoint screen);
void InjectKeyDown(int virtualKey, bool repeat = false);
void InjectKeyUp(int virtualKey);
void InjectChar(char32_t ch);

void InjectMouseMoveAt(HWND hwnd, int x, int y);
void InjectMouseDownAt(HWND hwnd, TMouseButton button, int x, int y);
void InjectMouseUpAt(HWND hwnd, TMouseButton button, int x, int y);
void InjectClickAt(HWND hwnd, TMouseButton button, int x, int y);
void InjectDoubleClickAt(HWND hwnd, TMouseButton button, int x, int y);
void InjectMouseWheelAt(HWND hwnd, int delta, int x, int y);
