#include "viewer/paint_panel.h"

#include <memory>

#include "document/core/process_error.h"
#include "style/units.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics_error.h"
#include "toolkit/graphics/raster_ops.h"
#include "toolkit/graphics/screen.h"
#include "viewer/html_viewer.h"

// 256 MB of 32-bit pixels, the toolkit's own bitmap limit.
// The frame is drawn in the system's window-frame colour.
constexpr TColor clWindowFrameColor = TColor(0x80000006);

long long TPaintPanel::MaxBufferPixels = 64LL * 1024 * 1024;

TPaintPanel::TPaintPanel(THTMLViewer* AViewer, HWND AParent)
    : TWinControl(AViewer, AParent, 1, 1, 0, 0, WS_CHILD | WS_VISIBLE, CS_DBLCLKS),
      FViewer(AViewer) {}

LRESULT TPaintPanel::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything: report it erased, draw nothing
    case WM_PAINT: {
      // A print pass may have left the document laid out for pages; a host that destroys
      // the viewer while it is laid out leaves nothing to paint.
      const std::shared_ptr<bool> alive = FViewer->FAlive;
      FViewer->EnsureScreenLayout();
      if (!*alive) return 0;
      TPaintStruct ps;
      TCanvas* canvas = BeginPaint(Handle(), &ps);
      if (canvas) {
        try {
          Paint(*canvas, ps.rcPaint);
        } catch (const EOutOfResources& e) {
          ShowErrorBox(e.Message);
        }
      }
      EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: case WM_MOUSEMOVE:
    case WM_LBUTTONDBLCLK: {
      // The document is laid out for a printer: its places are not the screen's.
      if (FViewer->FPrinting) return 0;
      const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      const TShiftState shift = ShiftStateFromKeys(wParam);
      TMouseButton button = mbLeft;
      if (Msg == WM_RBUTTONDOWN || Msg == WM_RBUTTONUP) button = mbRight;
      if (Msg == WM_MBUTTONDOWN || Msg == WM_MBUTTONUP) button = mbMiddle;
      if (Msg == WM_MOUSEMOVE) {
        FViewer->DocMouseMove(shift, x, y);
      } else if (Msg == WM_LBUTTONUP || Msg == WM_RBUTTONUP || Msg == WM_MBUTTONUP) {
        FViewer->DocMouseUp(button, shift, x, y);
      } else if (Msg == WM_LBUTTONDBLCLK) {
        if (wParam & MK_LBUTTON) FViewer->DocMouseDouble(shift | ssDouble, x, y);
      } else {
        FViewer->DocMouseDown(button, shift, x, y);
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      return SendMessage(FViewer->Handle(), Msg, wParam, lParam);
    case WM_SETCURSOR:
      // The document's cursor is for the document: a control on it shows its own.
      if (HandleFromParam(wParam) != Handle()) return 0;
      if (HCURSOR cursor = GetWindowCursor(Handle())) {
        SetCursor(cursor);
        return 1;
      }
      break;
    default:
      break;
  }
  return TWinControl::WndProc(Msg, wParam, lParam);
}

void TPaintPanel::Paint(TCanvas& Target, const TRect& R) {
  // While the document is laid out for a printer the panel shows the picture it had; the
  // pass's end paints it all again.
  if (FViewer->FPrinting) {
    FViewer->FPaintedInPass = true;
    if (TBitmap* picture = FViewer->FPrintPicture.get())
      Target.BitBlt(R.Left, R.Top, R.Width(), R.Height(), picture->Canvas(), R.Left, R.Top,
                    SRCCOPY);
    return;
  }
  if (FViewer->FFormatting) return;
  FViewer->UpdateBorder();
  if (R.IsEmpty()) return;
  if (static_cast<long long>(R.Width()) * R.Height() > MaxBufferPixels)
    throw EOutOfResources("Out of Resources");
  const TPalette* palette = FViewer->FPalette;
  if (DrawsDirectly(Target, palette)) {
    DrawBackground(Target, R, false);
    FViewer->PaintDocument(Target, R);
    return;
  }
  std::unique_ptr<TBitmap> buffer;
  try {
    buffer = std::make_unique<TBitmap>(R.Width(), R.Height());
  } catch (const Exception&) {
    throw EOutOfResources("Out of Resources");
  }
  TCanvas& mem = buffer->Canvas();
  // Panel coordinates inside the buffer.
  mem.SetWindowOrg(R.Left, R.Top);
  mem.Font = Target.Font;
  DrawBackground(mem, R, true);
  FViewer->PaintDocument(mem, R);
  const TPalette* previous = palette ? Target.SelectPalette(palette) : nullptr;
  if (palette) Target.RealizePalette();
  Target.BitBlt(R.Left, R.Top, R.Width(), R.Height(), mem, R.Left, R.Top, SRCCOPY);
  if (palette) Target.SelectPalette(previous);
}

bool TPaintPanel::DrawsDirectly(const TCanvas& Target, const TPalette* Palette) {
  return !Palette && (!Target.IsScreen() || ScreenColorDepth() >= 24);
}

void TPaintPanel::DrawBackground(TCanvas& Canvas, const TRect& R, bool OwnPixels) {
  TSectionList& list = *FViewer->FSectionList;
  Canvas.Brush.Color = FViewer->Color() | PaletteRelativeFlag;
  Canvas.Brush.Style = bsSolid;
  TBitmap* image = list.ImagesOn ? list.BackImage : nullptr;
  if (image && !image->Empty()) {
    bool tiled = false;
    try {
      tiled = TileBackground(Canvas, R, *image, list.BackMask, OwnPixels);
    } catch (const Exception&) {
      tiled = false;
    }
    if (tiled) return;
  }
  Canvas.FillRect(R);
}

// Tiles anchored at (-(h mod w), -(v mod h)), so the background scrolls with the text; a
// fixed one is anchored at the window's corner and stays while the text scrolls over it.
bool TPaintPanel::TileBackground(TCanvas& Canvas, const TRect& R, TBitmap& Image, TBitmap* Mask,
                                 bool OwnPixels) {
  const int w = Image.Width(), h = Image.Height();
  const bool fixed = FViewer->FSectionList->BackImageFixed;
  const int hpos = fixed ? 0 : FViewer->HScrollPos(), vpos = fixed ? 0 : FViewer->VScrollPos();
  const int x0 = -(hpos % w), y0 = -(vpos % h);
  // The first grid point at or right of R's left edge and at or below its top edge.
  auto gridAtOrAfter = [](int origin, int step, int edge) {
    int k = edge - origin;
    int n = k >= 0 ? (k + step - 1) / step : -((-k) / step);
    return origin + n * step;
  };
  const int c = gridAtOrAfter(x0, w, R.Left), b = gridAtOrAfter(y0, h, R.Top);
  // The page colour first where the picture lets it show through.
  if (Mask || Image.HasAlpha()) Canvas.FillRect(R);
  TCanvas& img = Image.Canvas();
  // Later tiles copy the first one when every pixel of it was drawn: a window's canvas
  // may clip part of R away.
  const bool firstInside =
      OwnPixels && c >= R.Left && b >= R.Top && c + w <= R.Right && b + h <= R.Bottom;
  if (!Mask && firstInside) Canvas.BitBlt(c, b, w, h, img, 0, 0, SRCCOPY);
  for (int y = b - h; y < R.Bottom; y += h) {
    for (int x = c - w; x < R.Right; x += w) {
      if (x + w <= R.Left || y + h <= R.Top) continue;
      if (Mask) {
        // Inverting twice leaves the page colour under transparent pixels whatever colour
        // the image holds there; the mask zeroes the rest so the second pass sets the image.
        Canvas.BitBlt(x, y, w, h, img, 0, 0, SRCINVERT);
        Canvas.BitBlt(x, y, w, h, Mask->Canvas(), 0, 0, SRCAND);
        Canvas.BitBlt(x, y, w, h, img, 0, 0, SRCINVERT);
      } else if (firstInside) {
        if (x != c || y != b) Canvas.BitBlt(x, y, w, h, Canvas, c, b, SRCCOPY);
      } else {
        Canvas.BitBlt(x, y, w, h, img, 0, 0, SRCCOPY);
      }
    }
  }
  return true;
}

TBorderPanel::TBorderPanel(THTMLViewer* AViewer, HWND AParent, int Width, int Height)
    : TWinControl(nullptr, AParent, 0, 0, Width, Height), FViewer(AViewer) {}

void TBorderPanel::SetFramed(bool Value) {
  if (FFramed == Value) return;
  FFramed = Value;
  Invalidate();
}

void TBorderPanel::SendToBack() {
  SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT TBorderPanel::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  if (Msg == WM_ERASEBKGND) return 1;
  if (Msg != WM_PAINT) return TWinControl::WndProc(Msg, wParam, lParam);
  TPaintStruct ps;
  if (TCanvas* canvas = BeginPaint(Handle(), &ps)) {
    const TRect all{0, 0, Width(), Height()};
    canvas->FillRect(all, FViewer->Color());
    if (FFramed) {
      canvas->Brush.Color = clWindowFrameColor;
      canvas->FrameRect(all);
    }
  }
  EndPaint(Handle(), &ps);
  return 0;
}
