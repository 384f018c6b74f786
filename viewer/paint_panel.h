// The child window the document is painted into: double-buffered through an off-screen
// bitmap the size of the clip rectangle, over the page colour or the tiled background.
#pragma once

#include "toolkit/controls/controls.h"
#include "toolkit/graphics/graphics.h"

class THTMLViewer;
class TBitmap;

class TPaintPanel : public TWinControl {
 public:
  TPaintPanel(THTMLViewer* AViewer, HWND AParent);
  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;

  // Paints R (client coordinates) of the panel; throws EOutOfResources when the
  // off-screen bitmap cannot be had.
  void Paint(TCanvas& Target, const TRect& R);

  // The largest off-screen bitmap a paint may ask for, in pixels (tests lower it).
  static long long MaxBufferPixels;

 private:
  void DrawBackground(TCanvas& Canvas, const TRect& R);
  bool TileBackground(TCanvas& Canvas, const TRect& R, TBitmap& Image, TBitmap* Mask);
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
