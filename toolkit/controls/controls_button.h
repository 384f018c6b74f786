// Buttons: the push button, the check box and the radio button, and the plain panel
// that holds controls. Clicks come by mouse (press and release inside) or by the space
// bar; each raises OnClick after the state has changed.
#pragma once

#include <string>

#include "toolkit/controls/controls_base.h"

class TButton : public TCustomControl {
 public:
  TButton(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 75, int Height = 25);

  // The default button of its window: drawn with a dark frame around it.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Pressed look: the mouse is down inside it, or the space bar is held.
  bool Pressed() const { return FPressed; }

 protected:
  unsigned GetDlgCode() override { return 0; }
  void Paint(TCanvas& Canvas) override;
  void KeyDown(int Key, TShiftState Shift) override;
  void KeyUp(int Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void FocusChanged(bool Focused) override;
  void CaptureLost(HWND NewCapture) override;

 private:
  void SetPressed(bool Value);
  bool FDefault = false;
  bool FPressed = false;
  bool FTracking = false;  // the mouse went down inside and holds the capture
  bool FSpaceDown = false;
};

// What the check box and the radio button share: a 13-pixel glyph at the left, the
// caption beside it, toggling by click and by the space bar.
class TButtonControl : public TCustomControl {
 public:
  TButtonControl(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height);

  bool Checked() const { return FChecked; }
  // Setting the state raises no event.
  void SetChecked(bool Value);

  static constexpr int GlyphSize = 13;

 protected:
  // Check boxes and radio buttons take the arrow keys, so that a group can move along.
  unsigned GetDlgCode() override { return DLGC_WANTARROWS; }
  void Paint(TCanvas& Canvas) override;
  void KeyDown(int Key, TShiftState Shift) override;
  void KeyUp(int Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void FocusChanged(bool Focused) override;
  void CaptureLost(HWND NewCapture) override;
  // The user toggled: a check box flips, a radio button checks itself.
  virtual void Toggle() = 0;
  // Draws the glyph with its top-left corner at (X, Y).
  virtual void PaintGlyph(TCanvas& Canvas, int X, int Y) = 0;
  bool PressedLook() const { return FPressed; }

 private:
  void Activate();
  bool FChecked = false;
  bool FPressed = false;
  bool FTracking = false;
  bool FSpaceDown = false;
};

class TCheckBox : public TButtonControl {
 public:
  TCheckBox(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 13,
            int Height = 13);

 protected:
  void Toggle() override { SetChecked(!Checked()); }
  void PaintGlyph(TCanvas& Canvas, int X, int Y) override;
};

class TRadioButton : public TButtonControl {
 public:
  TRadioButton(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 13,
               int Height = 13);

  // Grouping is the caller's: the name only travels with the button.
  std::string GroupName;

 protected:
  void Toggle() override { SetChecked(true); }
  void PaintGlyph(TCanvas& Canvas, int X, int Y) override;
};

enum TPanelBevel { bvNone, bvLowered, bvRaised };

// A container with the face colour, an optional one-pixel bevel and a centred caption.
// It takes no focus.
class TPanel : public TCustomControl {
 public:
  TPanel(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 185,
         int Height = 41);

  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);

 protected:
  void Paint(TCanvas& Canvas) override;

 private:
  TPanelBevel FBevelOuter = bvRaised;
};
