#include "toolkit/controls/controls.h"

#include <unordered_map>

namespace {

// Timers by id: the window system hands the id back to the timer procedure.
std::unordered_map<uintptr_t, TTimer*>& Timers() {
  static std::unordered_map<uintptr_t, TTimer*> timers;
  return timers;
}

}  // namespace

TWinControl::TWinControl(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height,
                         uint32_t Style, uint32_t ClassStyle)
    : TComponent(AOwner) {
  TCreateParams params;
  params.Proc = &TWinControl::CALLBACK_Proc;
  params.UserData = this;
  params.Parent = AParent;
  params.X = X;
  params.Y = Y;
  params.Width = Width;
  params.Height = Height;
  params.Style = AParent ? Style : (Style & ~uint32_t(WS_CHILD));
  params.ClassStyle = ClassStyle;
  FHandle = CreateWindow(params);
}

TWinControl::TWinControl(TComponent* AOwner, TAdopt, HWND AWindow)
    : TComponent(AOwner), FHandle(AWindow) {}

TWinControl::~TWinControl() {
  HWND handle = FHandle;
  FHandle = nullptr;
  if (IsWindow(handle)) {
    if (GetWindowProc(handle) == &TWinControl::CALLBACK_Proc) SetWindowUserData(handle, nullptr);
    DestroyWindow(handle);
  }
}

TWinControl* TWinControl::FromHandle(HWND Wnd) {
  if (!IsWindow(Wnd) || GetWindowProc(Wnd) != &TWinControl::CALLBACK_Proc) return nullptr;
  return static_cast<TWinControl*>(GetWindowUserData(Wnd));
}

LRESULT TWinControl::CALLBACK_Proc(HWND Wnd, unsigned Msg, WPARAM wParam, LPARAM lParam) {
  auto* control = static_cast<TWinControl*>(GetWindowUserData(Wnd));
  if (!control || (control->FHandle && control->FHandle != Wnd))
    return DefWindowProc(Wnd, Msg, wParam, lParam);
  if (!control->FHandle) control->FHandle = Wnd;  // messages sent during creation
  return control->WndProc(Msg, wParam, lParam);
}

LRESULT TWinControl::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  return DefaultHandler(Msg, wParam, lParam);
}

int TWinControl::Left() const { return GetWindowBounds(FHandle).Left; }
int TWinControl::Top() const { return GetWindowBounds(FHandle).Top; }
int TWinControl::Width() const { return GetWindowBounds(FHandle).Width(); }
int TWinControl::Height() const { return GetWindowBounds(FHandle).Height(); }

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TRect r = GetWindowBounds(FHandle);
  if (r.Left == ALeft && r.Top == ATop && r.Width() == AWidth && r.Height() == AHeight) return;
  MoveWindow(FHandle, ALeft, ATop, AWidth < 0 ? 0 : AWidth, AHeight < 0 ? 0 : AHeight, true);
}

void TWinControl::SetVisible(bool Value) {
  if (Visible() != Value) ShowWindow(FHandle, Value ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetColor(TColor Value) {
  FColor = Value;
  SetWindowBackground(FHandle, Value);
  Invalidate();
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

TTimer::TTimer(TComponent* AOwner, HWND AWindow) : TComponent(AOwner), FWindow(AWindow) {
  UpdateTimer();
}

TTimer::~TTimer() {
  FEnabled = false;
  UpdateTimer();
}

void TTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (FInterval == Value) return;
  FInterval = Value;
  if (FRunning) {
    // A new interval restarts the period, as the platform timer does.
    KillTimer(FWindow, reinterpret_cast<uintptr_t>(this));
    FRunning = false;
  }
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  const uintptr_t id = reinterpret_cast<uintptr_t>(this);
  // OnTimer may be bound after enabling: the timer runs whenever enabled with an interval.
  const bool want = FEnabled && FInterval > 0 && IsWindow(FWindow);
  if (want && !FRunning) {
    FRunning = SetTimer(FWindow, id, FInterval, &TTimer::TimerProc) != 0;
    if (FRunning) Timers()[id] = this;
  } else if (!want && FRunning) {
    KillTimer(FWindow, id);
    Timers().erase(id);
    FRunning = false;
  }
}

void TTimer::TimerProc(HWND, unsigned, uintptr_t Id, uint32_t) {
  auto it = Timers().find(Id);
  if (it == Timers().end()) return;
  TTimer* timer = it->second;
  if (timer->FEnabled && timer->OnTimer) timer->OnTimer(timer);
}
