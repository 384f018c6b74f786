// Moving through the document: the bars, the keys, the wheel, the middle-button mode and
// the auto-scroll loop that also serves drag selection.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "toolkit/controls/scroll_bar.h"
#include "toolkit/windows/clock.h"
#include "toolkit/windows/window_metrics.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

// Time of the last auto-scroll step, shared by every viewer.
uint32_t LastAutoScrollStep = 0;

}  // namespace

int THTMLViewer::ClampScroll(int Y) const {
  return std::max(0, std::min(Y, FMaxVertical - FPaintPanel->Height()));
}

int THTMLViewer::VScrollPos() const { return FVScrollBar->Position(); }

void THTMLViewer::SetVScrollPos(int Value) {
  const int y = ClampScroll(Value);
  if (y != VScrollPos()) ScrollTo(y);
}

int THTMLViewer::HScrollPos() const { return GetScrollPos(FHScrollBar->Handle(), SB_CTL); }

void THTMLViewer::SetHScrollPos(int Value) {
  SetScrollPos(FHScrollBar->Handle(), SB_CTL, std::max(Value, 0), true);
}

void THTMLViewer::ScrollTo(int Y) {
  Y = ClampScroll(Y);
  FVScrollBar->SetPosition(Y);
  SetPaintScroll(Y);
  FPaintPanel->Invalidate();
}

void THTMLViewer::SetPaintScroll(int Y) {
  FScrollY = Y;
  FSectionList->ViewScrolled();
}

// Sets the new vertical position; with ScrollContents the pixels move and only the
// uncovered strip is painted. A page image fixed to the window cannot move with the text:
// then everything is painted again.
void THTMLViewer::ApplyVScroll(int NewPos, bool ScrollContents) {
  const int old = VScrollPos();
  if (FSectionList->BackImageFixed && FSectionList->BackImage) ScrollContents = false;
  FVScrollBar->SetPosition(NewPos);
  SetPaintScroll(NewPos);
  if (ScrollContents) {
    ScrollWindow(FPaintPanel->Handle(), 0, old - NewPos);
    FPaintPanel->Update();
  } else {
    FPaintPanel->Invalidate();
  }
}

void THTMLViewer::VScrollNotify(int Code) {
  SetFocus();
  SCROLLINFO info;
  info.fMask = SIF_ALL;
  GetScrollInfo(FVScrollBar->Handle(), SB_CTL, &info);
  const int p = FVScrollBar->Position();
  int n = p;
  switch (Code) {
    case SB_THUMBTRACK: case SB_THUMBPOSITION: n = info.nTrackPos; break;
    case SB_LINEUP: n = p - T32ScrollBar::SmallChange; break;
    case SB_LINEDOWN: n = p + T32ScrollBar::SmallChange; break;
    case SB_PAGEUP: n = p - FVScrollBar->LargeChange; break;
    case SB_PAGEDOWN: n = p + FVScrollBar->LargeChange; break;
    case SB_TOP: n = 0; break;
    case SB_BOTTOM: n = FMaxVertical - FPaintPanel->Height(); break;
    default: break;
  }
  n = ClampScroll(n);
  if (n == p) return;
  ApplyVScroll(n, true);
}

void THTMLViewer::HScrollNotify(int Code) {
  SetFocus();
  SCROLLINFO info;
  info.fMask = SIF_ALL;
  GetScrollInfo(FHScrollBar->Handle(), SB_CTL, &info);
  const int p = info.nPos;
  int n = p;
  switch (Code) {
    case SB_THUMBTRACK: case SB_THUMBPOSITION: n = info.nTrackPos; break;
    case SB_LINELEFT: n = p - 15; break;
    case SB_LINERIGHT: n = p + 15; break;
    case SB_PAGELEFT: n = p - FHLargeChange; break;
    case SB_PAGERIGHT: n = p + FHLargeChange; break;
    case SB_LEFT: n = 0; break;
    case SB_RIGHT: n = info.nMax; break;
    default: break;
  }
  n = std::max(0, std::min(n, info.nMax - FPaintPanel->Width()));
  SetHScrollPos(n);
  FPaintPanel->Invalidate();
}

void THTMLViewer::KeyDown(int Key, TShiftState Shift) {
  if (FMiddleScrolling) {
    EndMiddleScrolling();
    return;
  }
  const int p = VScrollPos();
  int n = p;
  bool vertical = true;
  switch (Key) {
    case VK_PRIOR: n = p - FVScrollBar->LargeChange; break;
    case VK_NEXT: n = p + FVScrollBar->LargeChange; break;
    case VK_END: n = FMaxVertical; break;
    case VK_HOME: n = 0; break;
    case VK_UP: n = p - T32ScrollBar::SmallChange; break;
    case VK_DOWN: n = p + T32ScrollBar::SmallChange; break;
    default: vertical = false; break;
  }
  if (vertical) {
    n = ClampScroll(std::max(n, 0));
    if (n != p) ApplyVScroll(n, std::abs(n - p) == T32ScrollBar::SmallChange);
    return;
  }
  if (Key == VK_LEFT || Key == VK_RIGHT) {
    int hmin = 0, hmax = 0;
    GetScrollRange(FHScrollBar->Handle(), SB_CTL, &hmin, &hmax);
    int h = HScrollPos() + (Key == VK_LEFT ? -15 : 15);
    h = std::max(0, std::min(h, hmax - FPaintPanel->Width()));
    SetHScrollPos(h);
    FPaintPanel->Invalidate();
  }
}

void THTMLViewer::DocMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos,
                                bool& Handled) {
  const int lines = GetWheelScrollLines();
  int target;
  if (lines > 0) {
    const int step = lines * T32ScrollBar::SmallChange;
    target = WheelDelta > 0 ? VScrollPos() - step : VScrollPos() + step;
  } else {
    target = VScrollPos() - WheelDelta / 2;
  }
  SetVScrollPos(target);
  Handled = true;
}

void THTMLViewer::SetPaintCursor(int Cursor) {
  HCURSOR cursor = ViewerCursor(Cursor);
  SetWindowCursor(FPaintPanel->Handle(), cursor);
  SetCursor(cursor);
}

void THTMLViewer::EndMiddleScrolling() {
  FMiddleScrolling = false;
  SetPaintCursor(crTextSelect);
}

void THTMLViewer::DocMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  EnsureScreenLayout();
  SetFocus();
  FHotSpotClicked = false;
  if (FMiddleScrolling) {
    EndMiddleScrolling();
    return;
  }
  if (Button == mbMiddle) {
    FMiddleScrolling = true;
    FMiddleY = Y;
    SetPaintCursor(crScrollBoth);
    return;
  }
  if (Button == mbLeft) {
    FLeftButtonDown = true;
    FLeftDownInDocument = true;
    FSectionList->LeftButtonDown = true;
    SetCapture(FPaintPanel->Handle());
    StartSelection(X, Y);
  }
}

void THTMLViewer::DocMouseMove(TShiftState Shift, int X, int Y) {
  EnsureScreenLayout();
  if (FMiddleScrolling) {
    if (!FAutoScrolling && std::abs(Y - FMiddleY) > 20) {
      FAutoScrolling = true;
      PostMessage(Handle(), WM_MOUSESCROLL);
    }
    return;
  }
  TrackHover(Shift, X, Y);
  if (FLeftButtonDown && (Shift & ssLeft) && !FNoSelect) {
    FSelecting = true;
    ExtendSelection(X, Y);
    if (!FAutoScrolling && (Y <= 0 || Y >= Height())) {
      FAutoScrolling = true;
      PostMessage(Handle(), WM_MOUSESCROLL);
    }
  }
}

void THTMLViewer::DocMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  EnsureScreenLayout();
  if (FMiddleScrolling && Button == mbMiddle) {
    if (Y != FMiddleY) EndMiddleScrolling();
    return;
  }
  if (OnImageClick) {
    TObject* obj = nullptr;
    int ix = 0, iy = 0;
    if (FSectionList->HitTestObject(X + HScrollPos(), Y + FScrollY, obj, ix, iy)) {
      const std::shared_ptr<bool> alive = FAlive;
      {
        // The rest of the release still works on this document.
        TDocumentHold hold(*this);
        OnImageClick(this, obj, Button, Shift, ix, iy);
      }
      if (!*alive) return;
    }
  }
  if (Button == mbLeft) {
    FAutoScrolling = false;
    ExtendSelection(X, Y);
    FLeftButtonDown = false;
    FSectionList->LeftButtonDown = false;
    FSelecting = false;
    if (GetCapture() == FPaintPanel->Handle()) ReleaseCapture();
    // A double-click gave the image under the mouse its pressed look.
    FSectionList->SetImagePressed(false);
    // A click that selected text follows no link.
    const bool fromDocument = FLeftDownInDocument;
    FLeftDownInDocument = false;
    if (fromDocument && FSectionList->SelStart >= FSectionList->SelEnd) ClickLink(X, Y);
  }
}

void THTMLViewer::RunAutoScroll() {
  EnsureScreenLayout();
  LastAutoScrollStep = 0;
  auto cursorInPanel = [this] {
    TPoint p = GetCursorPos();
    ScreenToClient(FPaintPanel->Handle(), &p);
    return p;
  };
  TPoint pt = cursorInPanel();
  auto keepGoing = [&] {
    if (!IsWindow(Handle())) return false;
    const bool drag = FAutoScrolling && FLeftButtonDown && (pt.Y <= 0 || pt.Y > Height());
    const bool middle = FMiddleScrolling && std::abs(pt.Y - FMiddleY) > 20;
    return drag || middle;
  };
  while (keepGoing()) {
    const uint32_t now = GetTickCount();
    if (now - LastAutoScrollStep > 100) {
      LastAutoScrollStep = now;
      const int c = VScrollPos();
      int n = c;
      if (FMiddleScrolling) {
        const int d = pt.Y - FMiddleY;
        if (d < -60) n = c - 32;
        else if (d < -20) n = c - 8;
        else if (d > 60) n = c + 32;
        else if (d <= 20) n = c;
        else n = c + 8;
        if (n != c) SetPaintCursor(n < c ? crScrollUp : crScrollDown);
      } else {
        if (pt.Y < -15) n = c - 8 * T32ScrollBar::SmallChange;
        else if (pt.Y <= 0) n = c - T32ScrollBar::SmallChange;
        else if (pt.Y > Height() + 15) n = c + 8 * T32ScrollBar::SmallChange;
        else n = c + T32ScrollBar::SmallChange;
      }
      n = ClampScroll(n);
      SetPaintScroll(n);
      FVScrollBar->SetPosition(n);
      ExtendSelection(pt.X, pt.Y);
      FPaintPanel->Invalidate();
      pt = cursorInPanel();
    }
    if (!InputArrivesWhileBusy()) {
      // The host hands input over from its own loop, which waits while this one runs: the
      // next step comes on a timer, and the host's input in between.
      SetTimer(Handle(), kAutoScrollTimer, 100);
      return;
    }
    const uint32_t before = GetTickCount();
    const std::shared_ptr<bool> alive = FAlive;
    for (int i = 0; i < 4 && *alive; ++i) ProcessMessages();
    if (!*alive) return;
    pt = cursorInPanel();
    // A virtual clock that nothing advances would never reach the next step.
    if (!ClockRunsByItself() && GetTickCount() == before) break;
  }
  FAutoScrolling = false;
  if (FMiddleScrolling) SetPaintCursor(crScrollBoth);
}
