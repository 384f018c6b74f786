// The window system's private state, shared by the window_*.cpp files. Nothing outside
// the toolkit's window code includes this.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "toolkit/graphics/graphics.h"
#include "toolkit/windows/window.h"
#include "toolkit/windows/window_backend.h"

// A top-level window's pixels, allocated on first use. It may be smaller than the
// window (very large windows keep only their top-left part, like pixels off screen).
struct TSurface {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
};

struct TWnd {
  uint32_t Handle = 0;
  uint32_t Parent = 0;          // handle value; 0 for a top-level window
  std::vector<uint32_t> Children;  // z-order, top first
  TWndProc Proc = nullptr;
  void* UserData = nullptr;
  uint32_t Style = 0;
  uint32_t ClassStyle = 0;
  std::string ClassName;
  std::string Text;
  int Id = 0;
  TRect Rect;  // in the parent's client coordinates, or the screen's for a top level
  TRect Update;  // update region (bounding rectangle), client coordinates
  bool UpdateErase = false;
  TRect PaintRect;  // the rectangle of the paint in progress, for erasing
  bool Destroying = false;
  HCURSOR Cursor = nullptr;
  TColor Background = clNone;
  std::unique_ptr<TSurface> Surface;  // top-level windows only
  std::unique_ptr<TCanvas> PaintCanvas;  // between BeginPaint and EndPaint
  // The children shown, top first (for painting, which looks at these only); made again
  // when stale.
  std::vector<uint32_t> VisibleChildren;
  bool VisibleChildrenStale = true;
  // How many of VisibleChildren, from the bottom, are known to wait for no paint: the look
  // for the lowest waiting sibling starts above them. Cleared when one starts waiting.
  size_t PaintIdleBelow = 0;
};

struct TWindowClass {
  TWndProc Proc = nullptr;
  uint32_t Style = 0;
  HCURSOR Cursor = nullptr;
};

struct TTimer {
  uint32_t Window = 0;  // handle value; 0 for a thread timer
  uintptr_t Id = 0;
  uint32_t Interval = 0;
  uint64_t Due = 0;
  uint64_t Order = 0;  // creation order breaks ties between timers due together
  TTimerProc Proc = nullptr;
};

// Kinds of queue entries: posted messages, and raw input that is aimed at a window only
// when it is taken from the queue (the capture and focus may change in between).
enum TQueueKind : uint8_t { qkPosted, qkMouse, qkKey };

struct TQueueItem {
  TQueueKind Kind = qkPosted;
  TMsg Msg;  // posted: the message; input: message is the raw event, pt the point
};

struct TCursorObj {
  int Id = 0;  // IDC_* for standard cursors, 0 for custom ones
  int StandIn = 0;  // the standard cursor shown instead of a custom one, 0 for the arrow
  int HotX = 0, HotY = 0, Width = 0, Height = 0;
  std::vector<uint8_t> AndMask, XorMask;
};

class TWindowSystem {
 public:
  static TWindowSystem& Get();

  // Handle table: slot index in the low 20 bits, a generation in the next 11, so a
  // stale handle never finds the window that reuses its slot (until 2047 reuses).
  TWnd* Find(HWND h) const { return Find(uint32_t(reinterpret_cast<uintptr_t>(h))); }
  TWnd* Find(uint32_t v) const {
    uint32_t slot = v & 0xFFFFF;
    if (slot == 0 || slot >= FSlots.size()) return nullptr;
    const TSlot& s = FSlots[slot];
    return s.Gen == (v >> 20) && s.Wnd ? s.Wnd.get() : nullptr;
  }
  static HWND ToHandle(uint32_t v) { return reinterpret_cast<HWND>(uintptr_t(v)); }
  static uint32_t ToValue(HWND h) { return uint32_t(reinterpret_cast<uintptr_t>(h)); }
  TWnd* Allocate();
  void Release(TWnd* w);
  size_t WindowCount() const { return FLive; }

  TWindowBackend& Backend();
  void SetBackend(std::unique_ptr<TWindowBackend> b) { FBackend = std::move(b); }
  uint64_t Now() { return Backend().Now(); }

  std::unordered_map<std::string, TWindowClass> Classes;
  std::vector<uint32_t> TopLevels;  // z-order, top first
  std::deque<TQueueItem> Queue;
  std::vector<TTimer> Timers;
  uint64_t TimerOrder = 0;
  uintptr_t NextThreadTimerId = 1;
  // Windows with an update region, by handle: the lookup for the next paint takes the
  // lowest eligible one without walking the rest.
  std::set<uint32_t> PaintPending;
  uint64_t PaintLookSteps = 0;  // pending windows the paint lookup has examined
  // Hidden windows with an update region: set aside until they are shown again, so that
  // thousands of hidden controls do not slow every look for a paint.
  std::unordered_set<uint32_t> PaintParked;
  bool QuitPending = false;
  int QuitCode = 0;
  int LastQuitCode = 0;

  uint32_t Focus = 0, Capture = 0;
  HCURSOR Cursor = nullptr;
  TPoint CursorPos;
  uint8_t KeyState[256] = {};  // bit 7: down, bit 0: toggled
  // Double-click detection: the last button press.
  uint32_t LastClickWindow = 0;
  int LastClickButton = -1;
  uint32_t LastClickTime = 0;  // the event's time, as in TMsg
  TPoint LastClickPos;

  std::vector<std::unique_ptr<TCursorObj>> CustomCursors;

  // Canvases on window pixels that are still out (paints in progress, window canvases);
  // surfaces replaced or orphaned meanwhile are kept until the last one comes back.
  int CanvasesOut = 0;
  std::vector<std::unique_ptr<TSurface>> Retired;
  // Paint canvases of windows destroyed before their EndPaint.
  std::vector<std::unique_ptr<TCanvas>> Orphans;

 private:
  struct TSlot {
    uint32_t Gen = 0;
    std::unique_ptr<TWnd> Wnd;
  };
  std::vector<TSlot> FSlots{1};  // slot 0 is never used
  std::deque<uint32_t> FFree;    // FIFO, so a slot rests before it is reused
  size_t FLive = 0;
  std::unique_ptr<TWindowBackend> FBackend;
};

inline TWindowSystem& WS() { return TWindowSystem::Get(); }

// Helpers shared between the window_*.cpp files.
TPoint ClientOriginOnScreen(const TWnd* w);
// The window's client origin on its top-level surface and the part of its client area
// that is visible there (inside every ancestor), in client coordinates.
void VisibleClientArea(const TWnd* w, TPoint* surfaceOrigin, TRect* visible);
TWnd* TopLevelOf(TWnd* w);
TSurface* SurfaceOf(TWnd* w);  // allocates on first use
// Follows a top-level size change, keeping the pixels that still fit.
void ResizeSurface(TWnd* w);
bool IsVisibleWnd(const TWnd* w);
bool IsEnabledWnd(const TWnd* w);
void AddUpdate(TWnd* w, const TRect& r, bool erase);
void ClearUpdate(TWnd* w);
// A child of Parent (none: a top-level window) was shown, hidden, destroyed or restacked.
inline void ShownChildrenChanged(TWnd* Parent) {
  if (Parent) Parent->VisibleChildrenStale = true;
}
// Puts the set-aside paints of w and its visible descendants back in line (w was shown).
void UnparkPaints(TWnd* w);
// A canvas on the window's pixels with client coordinates, clipped to clip (client
// coordinates) and to what is visible; a canvas on nothing when nothing is.
std::unique_ptr<TCanvas> MakeWindowCanvas(TWnd* w, const TRect& clip);
// Gives back a canvas from MakeWindowCanvas (null is fine).
void ReleaseWindowCanvas(std::unique_ptr<TCanvas>& canvas);
// Frees a surface, or keeps it while canvases may still point into it.
void RetireSurface(std::unique_ptr<TSurface> surface);
// Fills the paint rectangle with the window's background colour, if it has one.
void EraseBackground(TWnd* w);
// Invalidates the part of the parent (or nothing for a top level) that rect covers,
// rect being in the parent's client coordinates.
void InvalidateParentArea(TWnd* w, const TRect& rect);
// Takes the focus or the capture away when they lie inside w's subtree.
void DropFocusAndCaptureIn(TWnd* w);
// Removes the timers and queued messages of one window.
void ForgetWindowWork(uint32_t handle);
// Turns a raw input entry at the head of the queue into a message; false to drop it.
bool CookInput(TQueueItem& item, TMsg* out, bool commit);
// The next WM_PAINT or WM_TIMER, if any is ready.
bool NextPaintMessage(HWND filter, TMsg* out);
// Paints the waiting windows inside hwnd, each child before the ones above it. A paint
// from the queue finishes its window's inside this way before any sibling above it
// paints: a child painted later would send those siblings back into the queue.
void PaintWaitingChildren(HWND hwnd);
bool NextTimerMessage(HWND filter, TMsg* out, bool remove);
bool InFilter(HWND filter, uint32_t handle);
