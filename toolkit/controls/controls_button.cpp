#include "toolkit/controls/controls_button.h"

namespace {

bool Inside(HWND Wnd, int X, int Y) {
  TRect r;
  GetClientRect(Wnd, &r);
  return r.Contains(TPoint{X, Y});
}

}  // namespace

// ---- TButton ----------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height)
    : TCustomControl(AOwner, AParent, X, Y, Width, Height) {}

void TButton::SetDefault(bool Value) {
  FDefault = Value;
  Invalidate();
}

void TButton::SetPressed(bool Value) {
  if (FPressed == Value) return;
  FPressed = Value;
  Invalidate();
}

void TButton::Paint(TCanvas& Canvas) {
  TRect r;
  GetClientRect(Handle(), &r);
  const TRect outer = r;
  // The default button, and a focused one, wear a dark frame.
  if (FDefault || Focused()) {
    Canvas.FillRect(r, SysColor(COLOR_WINDOWFRAME));
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  DrawEdge3D(Canvas, r, FPressed ? ekPressed : ekRaised);
  Canvas.FillRect(r, FaceColor(COLOR_BTNFACE));
  PrepareFont(Canvas, InkColor(COLOR_BTNTEXT));
  const TSize size = Canvas.TextExtent(Caption());
  const int shift = FPressed ? 1 : 0;
  DrawCaption(Canvas, (outer.Left + outer.Right - size.cx) / 2 + shift,
              (outer.Top + outer.Bottom - size.cy) / 2 + shift, Caption(), Enabled());
  if (Focused())
    Canvas.DrawFocusRect(TRect{outer.Left + 4, outer.Top + 4, outer.Right - 4, outer.Bottom - 4});
}

void TButton::KeyDown(int Key, TShiftState Shift) {
  if (Shift & ssAlt) return;
  if (Key == VK_SPACE) {
    FSpaceDown = true;
    SetPressed(true);
  } else if (Key == VK_RETURN) {
    Click();
  }
}

void TButton::KeyUp(int Key, TShiftState Shift) {
  if (Key != VK_SPACE || !FSpaceDown) return;
  FSpaceDown = false;
  SetPressed(false);
  Click();
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft) return;
  FTracking = true;
  SetCapture(Handle());
  SetPressed(true);
}

void TButton::MouseMove(TShiftState Shift, int X, int Y) {
  if (FTracking) SetPressed(Inside(Handle(), X, Y));
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !FTracking) return;
  FTracking = false;
  const bool click = Inside(Handle(), X, Y);
  SetPressed(false);
  ReleaseCapture();
  // Last: the handler may free the button.
  if (click) Click();
}

void TButton::FocusChanged(bool Focused) {
  if (!Focused && FSpaceDown) {
    FSpaceDown = false;
    SetPressed(false);
  }
}

void TButton::CaptureLost(HWND NewCapture) {
  FTracking = false;
  if (!FSpaceDown) SetPressed(false);
}

// ---- TButtonControl ---------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner, HWND AParent, int X, int Y, int Width,
                               int Height)
    : TCustomControl(AOwner, AParent, X, Y, Width, Height) {}

void TButtonControl::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  Invalidate();
}

void TButtonControl::Activate() {
  Toggle();
  Click();
}

void TButtonControl::Paint(TCanvas& Canvas) {
  TRect r;
  GetClientRect(Handle(), &r);
  Canvas.FillRect(r, FaceColor(COLOR_BTNFACE));
  const int glyphTop = r.Top + (r.Height() - GlyphSize) / 2;
  PaintGlyph(Canvas, r.Left, glyphTop);
  if (Caption().empty()) {
    if (Focused()) Canvas.DrawFocusRect(r);
    return;
  }
  PrepareFont(Canvas, InkColor(COLOR_BTNTEXT));
  const TSize size = Canvas.TextExtent(Caption());
  const int x = r.Left + GlyphSize + 4, y = r.Top + (r.Height() - size.cy) / 2;
  DrawCaption(Canvas, x, y, Caption(), Enabled());
  if (Focused())
    Canvas.DrawFocusRect(TRect{x - 1, y, std::min(r.Right, x + size.cx + 1), y + size.cy});
}

void TButtonControl::KeyDown(int Key, TShiftState Shift) {
  if (Key != VK_SPACE || (Shift & ssAlt)) return;
  FSpaceDown = true;
  FPressed = true;
  Invalidate();
}

void TButtonControl::KeyUp(int Key, TShiftState Shift) {
  if (Key != VK_SPACE || !FSpaceDown) return;
  FSpaceDown = false;
  FPressed = false;
  Invalidate();
  Activate();
}

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft) return;
  FTracking = true;
  FPressed = true;
  SetCapture(Handle());
  Invalidate();
}

void TButtonControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (!FTracking || FPressed == Inside(Handle(), X, Y)) return;
  FPressed = !FPressed;
  Invalidate();
}

void TButtonControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !FTracking) return;
  FTracking = false;
  FPressed = false;
  ReleaseCapture();
  Invalidate();
  if (Inside(Handle(), X, Y)) Activate();
}

void TButtonControl::FocusChanged(bool Focused) {
  if (!Focused && FSpaceDown) {
    FSpaceDown = false;
    FPressed = false;
  }
}

void TButtonControl::CaptureLost(HWND NewCapture) {
  FTracking = false;
  if (!FSpaceDown) FPressed = false;
  Invalidate();
}

// ---- Check box and radio button --------------------------------------------------------

TCheckBox::TCheckBox(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height)
    : TButtonControl(AOwner, AParent, X, Y, Width, Height) {}

void TCheckBox::PaintGlyph(TCanvas& Canvas, int X, int Y) {
  TRect box{X, Y, X + GlyphSize, Y + GlyphSize};
  DrawEdge3D(Canvas, box, ekSunken);
  const bool grey = PressedLook() || !Enabled();
  Canvas.FillRect(box, grey ? SysColor(COLOR_BTNFACE) : SysColor(COLOR_WINDOW));
  if (!Checked()) return;
  // The classic mark: seven columns three pixels tall, down two steps and up four.
  const TColor ink = Enabled() ? SysColor(COLOR_WINDOWTEXT) : SysColor(COLOR_GRAYTEXT);
  static const int kTops[7] = {5, 6, 7, 6, 5, 4, 3};
  for (int i = 0; i < 7; ++i) Canvas.FillRect(TRect{X + 3 + i, Y + kTops[i], X + 4 + i, Y + kTops[i] + 3}, ink);
}

TRadioButton::TRadioButton(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height)
    : TButtonControl(AOwner, AParent, X, Y, Width, Height) {}

void TRadioButton::PaintGlyph(TCanvas& Canvas, int X, int Y) {
  // A 12-pixel disc in rings by distance from its centre: the outer ring shadowed at
  // the top left and lit at the bottom right, the inner ring darker, a white face and,
  // when checked, a dot. Whole pixels only, so every size draws the same.
  const TColor face = PressedLook() || !Enabled() ? SysColor(COLOR_BTNFACE) : SysColor(COLOR_WINDOW);
  const TColor dot = Enabled() ? SysColor(COLOR_WINDOWTEXT) : SysColor(COLOR_GRAYTEXT);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      const int dx = 2 * x - 11, dy = 2 * y - 11;  // twice the distance from the centre
      const int d2 = dx * dx + dy * dy;
      const bool upperLeft = dx + dy < 0;
      TColor c;
      if (d2 > 144) continue;
      else if (d2 > 100) c = upperLeft ? SysColor(COLOR_BTNSHADOW) : SysColor(COLOR_BTNHIGHLIGHT);
      else if (d2 > 64) c = upperLeft ? SysColor(COLOR_3DDKSHADOW) : SysColor(COLOR_3DLIGHT);
      else c = Checked() && d2 <= 16 ? dot : face;
      Canvas.SetPixel(X + x, Y + y, c);
    }
  }
}

// ---- TPanel -------------------------------------------------------------------------------

TPanel::TPanel(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height)
    : TCustomControl(AOwner, AParent, X, Y, Width, Height, WS_CHILD | WS_VISIBLE) {}

void TPanel::SetBevelOuter(TPanelBevel Value) {
  FBevelOuter = Value;
  Invalidate();
}

void TPanel::Paint(TCanvas& Canvas) {
  TRect r;
  GetClientRect(Handle(), &r);
  Canvas.FillRect(r, FaceColor(COLOR_BTNFACE));
  if (FBevelOuter != bvNone && !r.IsEmpty()) {
    const TColor light = SysColor(COLOR_BTNHIGHLIGHT), dark = SysColor(COLOR_BTNSHADOW);
    const TColor topLeft = FBevelOuter == bvRaised ? light : dark;
    const TColor bottomRight = FBevelOuter == bvRaised ? dark : light;
    DrawHLine(Canvas, r.Left, r.Right - 1, r.Top, topLeft);
    DrawVLine(Canvas, r.Left, r.Top, r.Bottom - 1, topLeft);
    DrawHLine(Canvas, r.Left, r.Right, r.Bottom - 1, bottomRight);
    DrawVLine(Canvas, r.Right - 1, r.Top, r.Bottom - 1, bottomRight);
  }
  if (Caption().empty()) return;
  PrepareFont(Canvas, SysColor(COLOR_BTNTEXT));
  const TSize size = Canvas.TextExtent(Caption());
  DrawCaption(Canvas, (r.Left + r.Right - size.cx) / 2, (r.Top + r.Bottom - size.cy) / 2,
              Caption(), Enabled());
}
