// Window controls as objects: a C++ object that owns one window and receives its
// messages through a virtual WndProc, and a timer that runs on its owner's window.
#pragma once

#include <functional>
#include <string>

#include "common/classes.h"
#include "common/types.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window.h"

class TWinControl : public TComponent {
 public:
  // A child of parent (a top-level window when parent is null). ClassStyle takes CS_*
  // bits, CS_DBLCLKS for a control that wants double-click messages.
  TWinControl(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 0,
              int Height = 0, uint32_t Style = WS_CHILD | WS_VISIBLE, uint32_t ClassStyle = 0);
  // Takes over a window made elsewhere (a scroll bar, say): its messages keep going to
  // its own procedure, not to WndProc; the control destroys it.
  struct TAdopt {};
  TWinControl(TComponent* AOwner, TAdopt, HWND AWindow);
  ~TWinControl() override;

  HWND Handle() const { return FHandle; }
  bool HandleAllocated() const { return IsWindow(FHandle); }

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  void SetWidth(int AWidth) { SetBounds(Left(), Top(), AWidth, Height()); }
  void SetHeight(int AHeight) { SetBounds(Left(), Top(), Width(), AHeight); }

  bool Visible() const { return IsWindowVisible(FHandle); }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return IsWindowEnabled(FHandle); }
  void SetEnabled(bool Value) { EnableWindow(FHandle, Value); }

  TColor Color() const { return FColor; }
  // The background WM_ERASEBKGND fills with; clNone leaves it alone.
  virtual void SetColor(TColor Value);

  void Invalidate() { InvalidateRect(FHandle, nullptr, false); }
  void Update() { UpdateWindow(FHandle); }
  virtual void Repaint();
  bool Focused() const { return GetFocus() == FHandle; }
  void SetFocus() { ::SetFocus(FHandle); }

  // The window procedure of this control; the default is DefWindowProc.
  virtual LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam);

  // The control that owns a window, or null.
  static TWinControl* FromHandle(HWND Wnd);

 protected:
  LRESULT DefaultHandler(unsigned Msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(FHandle, Msg, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK_Proc(HWND Wnd, unsigned Msg, WPARAM wParam, LPARAM lParam);
  HWND FHandle = nullptr;
  TColor FColor = clNone;
};

// A timer with an interval in milliseconds that fires OnTimer while enabled. It runs on
// a window of its owner's (WM_TIMER); it stops when freed.
class TTimer : public TComponent {
 public:
  TTimer(TComponent* AOwner, HWND AWindow);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);
  TNotifyEvent OnTimer;

 private:
  static void TimerProc(HWND Wnd, unsigned Msg, uintptr_t Id, uint32_t Time);
  void UpdateTimer();
  HWND FWindow;
  bool FEnabled = true;
  unsigned FInterval = 1000;
  bool FRunning = false;
};
