#include "toolkit/controls/controls_base.h"

#include <algorithm>
#include <tuple>
#include <vector>

TFontSpec DefaultControlFont() {
  TFontSpec font;
  font.Name = "Arial";
  font.Height = -11;
  return font;
}

TCustomControl::TCustomControl(TComponent* AOwner, HWND AParent, int X, int Y, int Width,
                               int Height, uint32_t Style, uint32_t ClassStyle)
    : TWinControl(AOwner, AParent, X, Y, Width, Height, Style, ClassStyle),
      FFont(DefaultControlFont()) {}

void TCustomControl::SetFont(const TFontSpec& Value) {
  if (FFont == Value) return;
  FFont = Value;
  FFontHandle = nullptr;
  FontChanged();
  Invalidate();
}

void TCustomControl::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  SetWindowText(Handle(), Value);
  Invalidate();
}

void TCustomControl::SetTextColor(TColor Value) {
  if (FTextColor == Value) return;
  FTextColor = Value;
  Invalidate();
}

bool TCustomControl::CanFocus() const {
  return IsWindowVisible(Handle()) && IsWindowEnabled(Handle());
}

void TCustomControl::PrepareFont(TCanvas& Canvas, TColor Color) const {
  Canvas.Font = FFont;
  Canvas.Font.Color = Enabled() ? Color : SysColor(COLOR_GRAYTEXT);
  Canvas.SetBkMode(TRANSPARENT);
  Canvas.SetTextAlign(TA_LEFT | TA_TOP);
}

LRESULT TCustomControl::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  const HWND self = Handle();
  switch (Msg) {
    case WM_PAINT: {
      TPaintStruct ps;
      if (BeginPaint(self, &ps) && ps.Canvas) Paint(*ps.Canvas);
      EndPaint(self, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // Paint covers the whole client area
    case WM_GETDLGCODE:
      return LRESULT(GetDlgCode());
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FocusChanged(Msg == WM_SETFOCUS);
      if (IsWindow(self)) Invalidate();
      if (TNotifyEvent& handler = Msg == WM_SETFOCUS ? OnEnter : OnExit) handler(this);
      return 0;
    case WM_ENABLE:
    case WM_SIZE:
      if (Msg == WM_SIZE) Resized();
      Invalidate();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const bool down = Msg == WM_KEYDOWN || Msg == WM_SYSKEYDOWN;
      int key = int(wParam);
      const TShiftState shift = KeyboardShiftState();
      TKeyEvent& handler = down ? OnKeyDown : OnKeyUp;
      if (handler) handler(this, key, shift);
      if (!key || !IsWindow(self)) return 0;
      if (down && key == VK_TAB && !(GetDlgCode() & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) &&
          !(shift & (ssCtrl | ssAlt))) {
        SelectNextTabStop(self, !(shift & ssShift));
        return 0;
      }
      if (down) KeyDown(key, shift);
      else KeyUp(key, shift);
      return Msg == WM_SYSKEYDOWN || Msg == WM_SYSKEYUP ? DefWindowProc(self, Msg, wParam, lParam)
                                                        : 0;
    }
    case WM_CHAR: {
      if (wParam >= 0x80 && TypeCodePoint(char32_t(wParam))) return 0;
      if (wParam > 0xFF) return 0;  // no byte stands for it
      char key = char(wParam);
      if (OnKeyPress) OnKeyPress(this, key);
      if (key && IsWindow(self)) KeyPress(key);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      if (Msg != WM_RBUTTONDOWN && GetFocus() != self && CanFocus() && TabStop()) {
        FFocusByMouse = true;
        ::SetFocus(self);
        if (!IsWindow(self)) return 0;
        FFocusByMouse = false;
      }
      if (Msg == WM_LBUTTONDBLCLK) DblClick(x, y);
      else MouseDown(Msg == WM_LBUTTONDOWN ? mbLeft : mbRight, ShiftStateFromKeys(wParam), x, y);
      return 0;
    }
    case WM_MOUSEMOVE:
      MouseMove(ShiftStateFromKeys(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      MouseUp(Msg == WM_LBUTTONUP ? mbLeft : mbRight, ShiftStateFromKeys(wParam),
              GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      if (HandleFromParam(uintptr_t(lParam)) != self) CaptureLost(HandleFromParam(uintptr_t(lParam)));
      return 0;
    case WM_TIMER:
      TimerFired(uintptr_t(wParam));
      return 0;
    default:
      return DefaultHandler(Msg, wParam, lParam);
  }
}

// ---- Tab navigation ---------------------------------------------------------------------

namespace {

void CollectTabStops(HWND Parent, std::vector<HWND>& Out) {
  std::vector<HWND> children = GetChildWindows(Parent);  // creation order
  // (place, 0 for an explicit tab order and 1 for a creation place, window)
  std::vector<std::tuple<int, int, HWND>> keyed;
  keyed.reserve(children.size());
  for (size_t i = 0; i < children.size(); ++i) {
    auto* control = dynamic_cast<TCustomControl*>(TWinControl::FromHandle(children[i]));
    const bool explicitOrder = control && control->TabOrder() >= 0;
    keyed.emplace_back(explicitOrder ? control->TabOrder() : int(i), explicitOrder ? 0 : 1,
                       children[i]);
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
  });
  for (const auto& [place, kind, child] : keyed) {
    if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
    if (GetWindowStyle(child) & WS_TABSTOP) Out.push_back(child);
    CollectTabStops(child, Out);
  }
}

}  // namespace

HWND SelectNextTabStop(HWND From, bool Forward) {
  if (!IsWindow(From)) return nullptr;
  std::vector<HWND> stops;
  CollectTabStops(GetTopLevelWindow(From), stops);
  if (stops.empty()) return nullptr;
  const int n = int(stops.size());
  const int at = int(std::find(stops.begin(), stops.end(), From) - stops.begin());
  int next;
  if (at == n) next = Forward ? 0 : n - 1;
  else next = (at + (Forward ? 1 : n - 1)) % n;
  if (stops[size_t(next)] == From) return nullptr;
  SetFocus(stops[size_t(next)]);
  return stops[size_t(next)];
}

// ---- Drawing ----------------------------------------------------------------------------

void DrawHLine(TCanvas& Canvas, int X1, int X2, int Y, TColor Color) {
  if (X2 > X1) Canvas.FillRect(TRect{X1, Y, X2, Y + 1}, Color);
}

void DrawVLine(TCanvas& Canvas, int X, int Y1, int Y2, TColor Color) {
  if (Y2 > Y1) Canvas.FillRect(TRect{X, Y1, X + 1, Y2}, Color);
}

namespace {

void Frame(TCanvas& Canvas, const TRect& r, TColor TopLeft, TColor BottomRight) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  DrawHLine(Canvas, r.Left, r.Right - 1, r.Top, TopLeft);
  DrawVLine(Canvas, r.Left, r.Top, r.Bottom - 1, TopLeft);
  DrawHLine(Canvas, r.Left, r.Right, r.Bottom - 1, BottomRight);
  DrawVLine(Canvas, r.Right - 1, r.Top, r.Bottom - 1, BottomRight);
}

}  // namespace

void DrawEdge3D(TCanvas& Canvas, TRect& r, TEdgeKind Kind) {
  const TColor light = SysColor(COLOR_BTNHIGHLIGHT), face = SysColor(COLOR_3DLIGHT),
               shadow = SysColor(COLOR_BTNSHADOW), dark = SysColor(COLOR_3DDKSHADOW);
  switch (Kind) {
    case ekSunken:
      Frame(Canvas, r, shadow, light);
      r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
      Frame(Canvas, r, dark, face);
      break;
    case ekRaised:
      Frame(Canvas, r, light, dark);
      r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
      Frame(Canvas, r, face, shadow);
      break;
    case ekPressed:
      // A pushed button: a dark frame with the shadow inside it.
      Frame(Canvas, r, dark, dark);
      r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
      Frame(Canvas, r, shadow, shadow);
      break;
  }
  r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

void DrawCaption(TCanvas& Canvas, int X, int Y, std::string_view Text, bool Enabled) {
  if (Enabled) {
    Canvas.TextOut(X, Y, Text);
    return;
  }
  const TColor ink = Canvas.Font.Color;
  Canvas.Font.Color = SysColor(COLOR_BTNHIGHLIGHT);
  Canvas.TextOut(X + 1, Y + 1, Text);
  Canvas.Font.Color = SysColor(COLOR_GRAYTEXT);
  Canvas.TextOut(X, Y, Text);
  Canvas.Font.Color = ink;
}
