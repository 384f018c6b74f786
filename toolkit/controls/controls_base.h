// The common ground of the form controls: a window control with a font, a caption,
// focus and key events, tab navigation among the tab stops of one top-level window, and
// the classic 3D look drawn pixel by pixel.
#pragma once

#include <functional>
#include <string>

#include "toolkit/controls/controls.h"
#include "toolkit/fonts/font.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/windows/window_metrics.h"

// Key events: setting Key to 0 swallows the key.
using TKeyEvent = std::function<void(TObject* Sender, int& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// The font controls start with: the desktop's 8-point dialog face.
TFontSpec DefaultControlFont();

class TCustomControl : public TWinControl {
 public:
  // Controls are tab stops unless the style says otherwise.
  TCustomControl(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height,
                 uint32_t Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP, uint32_t ClassStyle = 0);

  const TFontSpec& Font() const { return FFont; }
  // The resolved font, kept until the font changes.
  const TFontHandle* FontHandle() const {
    if (!FFontHandle) FFontHandle = ResolveFont(FFont);
    return FFontHandle;
  }
  void SetFont(const TFontSpec& Value);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // The colour of the control's text; clNone leaves it to the system. (Color() is the
  // face's.) Selected text keeps the highlight colours and disabled text stays grey.
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);

  bool TabStop() const { return (GetWindowStyle(Handle()) & WS_TABSTOP) != 0; }
  // Among siblings, lower places come first. A control without a tab order takes its
  // creation place (0, 1, ...); an explicit order goes before a creation place of the
  // same number.
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int Value) { FTabOrder = Value; }
  // Visible, enabled and in a window: the focus can go there.
  bool CanFocus() const;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TNotifyEvent OnClick;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  // What the control handles itself beyond the defaults (DLGC_* bits): DLGC_WANTTAB
  // keeps Tab from moving the focus.
  virtual unsigned GetDlgCode() { return DLGC_WANTCHARS; }
  virtual void Paint(TCanvas& Canvas) {}
  virtual void KeyDown(int Key, TShiftState Shift) {}
  virtual void KeyUp(int Key, TShiftState Shift) {}
  virtual void KeyPress(char Key) {}
  // A typed character beyond ASCII, as a code point; true when the control took it (a
  // control that holds no text leaves Latin-1 to KeyPress, as a byte).
  virtual bool TypeCodePoint(char32_t C) { return false; }
  // Client coordinates; Shift holds the buttons and modifiers.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {}
  virtual void MouseMove(TShiftState Shift, int X, int Y) {}
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {}
  virtual void DblClick(int X, int Y) {}
  virtual void FocusChanged(bool Focused) {}
  virtual void FontChanged() {}
  virtual void Resized() {}
  virtual void TimerFired(uintptr_t Id) {}
  // The capture went to NewCapture (null when released).
  virtual void CaptureLost(HWND NewCapture) {}
  // The canvas font as the control draws its text: grey when disabled.
  void PrepareFont(TCanvas& Canvas, TColor Color = clBlack) const;
  // The face and text colours set on the control, or else the system colour Index.
  TColor FaceColor(int Index) const { return Color() == clNone ? GetSysColor(Index) : Color(); }
  TColor InkColor(int Index) const { return FTextColor == clNone ? GetSysColor(Index) : FTextColor; }
  // The focus came with the current mouse press.
  bool FocusByMouse() const { return FFocusByMouse; }
  void Click() {
    if (OnClick) OnClick(this);
  }

 private:
  TFontSpec FFont;
  mutable const TFontHandle* FFontHandle = nullptr;
  std::string FCaption;
  TColor FTextColor = clNone;
  int FTabOrder = -1;
  bool FFocusByMouse = false;
};

// Moves the focus from the window From to the next (or previous) tab stop of its
// top-level window, in tab order, wrapping around. Returns the new focus, or null when
// there is no other tab stop.
HWND SelectNextTabStop(HWND From, bool Forward);

// ---- Drawing --------------------------------------------------------------------------

// Edges of the classic look: two lines around r, outer then inner, each with its own
// top-left and bottom-right colours. r shrinks by 2.
enum TEdgeKind { ekSunken, ekRaised, ekPressed };
void DrawEdge3D(TCanvas& Canvas, TRect& r, TEdgeKind Kind);
// One-pixel line helpers, pixel-exact on any canvas.
void DrawHLine(TCanvas& Canvas, int X1, int X2, int Y, TColor Color);
void DrawVLine(TCanvas& Canvas, int X, int Y1, int Y2, TColor Color);
// A caption as the desktop greys it on a disabled control: white relief under grey.
void DrawCaption(TCanvas& Canvas, int X, int Y, std::string_view Text, bool Enabled);
// System colours as TColor values (not the 0x80000000 references).
inline TColor SysColor(int Index) { return GetSysColor(Index); }
