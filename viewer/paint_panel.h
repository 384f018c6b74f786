// The child window the document is painted into, over the page colour or the tiled
// background. A window's canvas draws into the window's surface in memory, shown only once
// the paint is done, so at full colour depth the document paints there directly; with
// fewer colours or a palette it paints into an off-screen bitmap the size of the clip
// rectangle, reduced once as it is copied to the window.
#pragma once

#include "toolkit/controls/controls.h"
#include "toolkit/graphics/graphics.h"

class THTMLViewer;
class TBitmap;
class TPalette;

class TPaintPanel : public TWinControl {
 public:
  TPaintPanel(THTMLViewer* AViewer, HWND AParent);
  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;

  // Paints R (client coordinates) of the panel; throws EOutOfResources when R is larger
  // than MaxBufferPixels or the off-screen bitmap cannot be had.
  void Paint(TCanvas& Target, const TRect& R);
  // Whether a paint into Target goes there without an off-screen bitmap.
  static bool DrawsDirectly(const TCanvas& Target, const TPalette* Palette);

  // The largest off-screen bitmap a paint may ask for, in pixels (tests lower it).
  static long long MaxBufferPixels;

 private:
  // OwnPixels: every pixel of R in Canvas is drawn (an off-screen bitmap), so drawn tiles
  // may be copied.
  void DrawBackground(TCanvas& Canvas, const TRect& R, bool OwnPixels);
  bool TileBackground(TCanvas& Canvas, const TRect& R, TBitmap& Image, TBitmap* Mask,
                      bool OwnPixels);
  THTMLViewer* FViewer;
};

// The viewer's cursors by number (crLink ... crScrollDown), drawn by our own code.
HCURSOR ViewerCursor(int Cursor);

// The panel under the paint panel that draws the control's one-pixel frame.
class TBorderPanel : public TWinControl {
 public:
  TBorderPanel(THTMLViewer* AViewer, HWND AParent, int Width, int Height);
  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;
  bool Framed() const { return FFramed; }
  void SetFramed(bool Value);
  // Keeps the panel below its siblings, so clicks and paint go to the document.
  void SendToBack();

 private:
  THTMLViewer* FViewer;
  bool FFramed = false;
};
