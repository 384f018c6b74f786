#include "toolkit/controls/controls_list.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "toolkit/controls/scroll_bar.h"

namespace {

// The next item after From (wrapping) whose text starts with Key, ignoring case; -1.
int FindByFirstLetter(const TStringList& Items, int From, char Key) {
  const int n = Items.Count();
  const int want = std::toupper(static_cast<unsigned char>(Key));
  for (int k = 1; k <= n; ++k) {
    const int i = ((From < 0 ? -1 : From) + k) % n;
    const std::string& s = Items[i];
    if (!s.empty() && std::toupper(static_cast<unsigned char>(s[0])) == want) return i;
  }
  return -1;
}

bool Typable(char Key) { return static_cast<unsigned char>(Key) > 32 && Key != 127; }

// By its own style: a popup list is hidden while its bar is set up.
bool Shown(HWND Wnd) { return (GetWindowStyle(Wnd) & WS_VISIBLE) != 0; }

}  // namespace

// ---- TListBox -------------------------------------------------------------------------------

TListBox::TListBox(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height,
                   uint32_t Style)
    : TCustomControl(AOwner, AParent, X, Y, Width, Height, Style) {
  FItems.OnChange = [this](TObject*) { ItemsChanged(); };
  FBar = CreateScrollBar(Handle(), true, 0, 0, 0, 0, 0, WS_CHILD);
  UpdateScrollBar();
}

int TListBox::ItemHeight() const { return std::max(1, FontHandle()->Metrics().tmHeight); }

TRect TListBox::ItemArea() const {
  TRect r;
  GetClientRect(Handle(), &r);
  const int border = FFlat ? 1 : 2;
  r = TRect{r.Left + border, r.Top + border, std::max(r.Left + border, r.Right - border),
            std::max(r.Top + border, r.Bottom - border)};
  if (Shown(FBar)) r.Right = std::max(r.Left, r.Right - GetSystemMetrics(SM_CXVSCROLL));
  return r;
}

int TListBox::VisibleRows() const { return std::max(1, ItemArea().Height() / ItemHeight()); }

void TListBox::ItemsChanged() {
  const int n = Count();
  FSelected.resize(size_t(n), 0);
  if (FItemIndex >= n) FItemIndex = FMultiSelect ? n - 1 : -1;
  FAnchor = std::clamp(FAnchor, 0, std::max(0, n - 1));
  UpdateScrollBar();
  Invalidate();
}

void TListBox::UpdateScrollBar() {
  if (!FBar) return;
  TRect r;
  GetClientRect(Handle(), &r);
  const int border = FFlat ? 1 : 2, width = GetSystemMetrics(SM_CXVSCROLL);
  const int rows = std::max(1, (r.Height() - 2 * border) / ItemHeight());
  const bool need = Count() > rows;
  MoveWindow(FBar, r.Right - border - width, border, width, std::max(0, r.Height() - 2 * border));
  if (need != Shown(FBar)) ShowWindow(FBar, need ? SW_SHOW : SW_HIDE);
  FTopIndex = std::clamp(FTopIndex, 0, std::max(0, Count() - rows));
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMax = std::max(0, Count() - 1);
  si.nPage = unsigned(rows);
  si.nPos = FTopIndex;
  SetScrollInfo(FBar, SB_CTL, &si);
}

void TListBox::SetFlatBorder(bool Value) {
  FFlat = Value;
  UpdateScrollBar();
  Invalidate();
}

void TListBox::SetTopIndex(int Value) {
  Value = std::clamp(Value, 0, std::max(0, Count() - VisibleRows()));
  if (Value == FTopIndex) return;
  FTopIndex = Value;
  SetScrollPos(FBar, SB_CTL, FTopIndex);
  Invalidate();
  if (OnScroll) OnScroll(this);
}

void TListBox::MakeVisible(int Index) {
  if (Index < 0) return;
  if (Index < FTopIndex) SetTopIndex(Index);
  else if (Index >= FTopIndex + VisibleRows()) SetTopIndex(Index - VisibleRows() + 1);
}

int TListBox::ItemAtPos(int X, int Y) const {
  const TRect area = ItemArea();
  if (!area.Contains(TPoint{X, Y})) return -1;
  const int index = FTopIndex + (Y - area.Top) / ItemHeight();
  return index < Count() ? index : -1;
}

bool TListBox::Selected(int Index) const {
  if (Index < 0 || Index >= Count()) return false;
  return FMultiSelect ? FSelected[size_t(Index)] != 0 : Index == FItemIndex;
}

void TListBox::SetSelected(int Index, bool Value) {
  if (Index < 0 || Index >= Count()) return;
  if (FMultiSelect) FSelected[size_t(Index)] = Value;
  else if (Value) FItemIndex = Index;
  else if (Index == FItemIndex) FItemIndex = -1;
  Invalidate();
}

int TListBox::SelCount() const {
  if (!FMultiSelect) return FItemIndex >= 0 ? 1 : 0;
  return int(std::count(FSelected.begin(), FSelected.end(), 1));
}

void TListBox::ClearSelection() {
  if (FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), 0);
  else FItemIndex = -1;
  Invalidate();
}

void TListBox::SetItemIndex(int Value) {
  FItemIndex = std::clamp(Value, -1, Count() - 1);
  MakeVisible(FItemIndex);
  Invalidate();
}

void TListBox::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  std::fill(FSelected.begin(), FSelected.end(), 0);
  if (Value && FItemIndex >= 0) FSelected[size_t(FItemIndex)] = 1;
  Invalidate();
}

void TListBox::Choose(int Index, TShiftState Shift, bool ByMouse) {
  if (Count() == 0) return;
  Index = std::clamp(Index, 0, Count() - 1);
  bool changed = false;
  auto set = [&](int i, bool v) {
    if ((FSelected[size_t(i)] != 0) != v) {
      FSelected[size_t(i)] = v;
      changed = true;
    }
  };
  if (!FMultiSelect) {
    changed = FItemIndex != Index;
  } else if (!ExtendedSelect) {
    // Clicks toggle; keys move the focus frame only (space toggles).
    if (ByMouse) set(Index, !FSelected[size_t(Index)]);
  } else if (Shift & ssShift) {
    const int a = std::min(FAnchor, Index), b = std::max(FAnchor, Index);
    for (int i = 0; i < Count(); ++i)
      if (i >= a && i <= b) set(i, true);
      else if (!(Shift & ssCtrl)) set(i, false);
  } else if (Shift & ssCtrl) {
    if (ByMouse) {
      set(Index, !FSelected[size_t(Index)]);
      FAnchor = Index;
    }
  } else {
    for (int i = 0; i < Count(); ++i) set(i, i == Index);
    FAnchor = Index;
  }
  FItemIndex = Index;
  MakeVisible(Index);
  Invalidate();
  if (changed) {
    FChanged = true;
    if (OnChange) OnChange(this);
  }
}

void TListBox::KeyDown(int Key, TShiftState Shift) {
  if (Shift & ssAlt) return;
  const int page = std::max(1, VisibleRows() - 1), current = std::max(FItemIndex, 0);
  int target;
  switch (Key) {
    case VK_UP: case VK_LEFT: target = FItemIndex < 0 ? 0 : current - 1; break;
    case VK_DOWN: case VK_RIGHT: target = FItemIndex < 0 ? 0 : current + 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = Count() - 1; break;
    case VK_PRIOR: target = current - page; break;
    case VK_NEXT: target = current + page; break;
    case VK_SPACE:
      if (FMultiSelect && FItemIndex >= 0 && (!ExtendedSelect || (Shift & ssCtrl))) {
        FSelected[size_t(FItemIndex)] = !FSelected[size_t(FItemIndex)];
        FAnchor = FItemIndex;
        Invalidate();
        if (OnChange) OnChange(this);
      }
      return;
    default:
      return;
  }
  Choose(target, Shift, false);
}

void TListBox::KeyPress(char Key) {
  if (!Typable(Key)) return;
  const int found = FindByFirstLetter(FItems, FItemIndex, Key);
  if (found >= 0) Choose(found, 0, false);
}

void TListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const int index = ItemAtPos(X, Y);
  if (Button != mbLeft || index < 0) return;
  FTracking = true;
  FChanged = false;
  SetCapture(Handle());
  Choose(index, Shift, true);
}

void TListBox::MouseMove(TShiftState Shift, int X, int Y) {
  if (!FTracking || (FMultiSelect && !ExtendedSelect) || Count() == 0) return;
  // Dragging past the ends scrolls one row at a time.
  const TRect area = ItemArea();
  const int dy = Y - area.Top;
  int index = FTopIndex + (dy >= 0 ? dy / ItemHeight() : -1);
  index = std::clamp(index, 0, Count() - 1);
  if (index != FItemIndex) Choose(index, FMultiSelect ? TShiftState(ssShift) : 0, true);
}

void TListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !FTracking) return;
  FTracking = false;
  ReleaseCapture();
  Click();
}

void TListBox::Scrolled(int Code) {
  const int page = VisibleRows();
  switch (Code) {
    case SB_LINEUP: SetTopIndex(FTopIndex - 1); break;
    case SB_LINEDOWN: SetTopIndex(FTopIndex + 1); break;
    case SB_PAGEUP: SetTopIndex(FTopIndex - page); break;
    case SB_PAGEDOWN: SetTopIndex(FTopIndex + page); break;
    case SB_TOP: SetTopIndex(0); break;
    case SB_BOTTOM: SetTopIndex(INT_MAX / 2); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(FBar, SB_CTL, &si);
      SetTopIndex(si.nTrackPos);
      break;
    }
    default:
      break;
  }
}

LRESULT TListBox::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_VSCROLL:
      Scrolled(LOWORD(wParam));
      // Also after the bar lets go of the mouse, so that a popup can take it back.
      if (LOWORD(wParam) == SB_ENDSCROLL && OnScroll) OnScroll(this);
      return 0;
    case WM_MOUSEWHEEL:
      SetTopIndex(FTopIndex - GET_WHEEL_DELTA_WPARAM(wParam) * GetWheelScrollLines() / WHEEL_DELTA);
      return 0;
    default:
      return TCustomControl::WndProc(Msg, wParam, lParam);
  }
}

void TListBox::Paint(TCanvas& Canvas) {
  TRect r;
  GetClientRect(Handle(), &r);
  if (FFlat) {
    Canvas.FillRect(r, SysColor(COLOR_WINDOWFRAME));
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  } else {
    DrawEdge3D(Canvas, r, ekSunken);
  }
  Canvas.FillRect(r, FaceColor(COLOR_WINDOW));
  const TRect area = ItemArea();
  Canvas.IntersectClipRect(area);
  const int height = ItemHeight();
  const int last = std::min(Count(), FTopIndex + VisibleRows() + 1);
  // With nothing chosen yet the focus frame sits on the first row.
  const int focus = FItemIndex >= 0 ? FItemIndex : 0;
  for (int i = FTopIndex; i < last; ++i) {
    const TRect row{area.Left, area.Top + (i - FTopIndex) * height, area.Right,
                    area.Top + (i - FTopIndex + 1) * height};
    const bool selected = Selected(i);
    if (selected) Canvas.FillRect(row, SysColor(COLOR_HIGHLIGHT));
    PrepareFont(Canvas, selected ? SysColor(COLOR_HIGHLIGHTTEXT) : InkColor(COLOR_WINDOWTEXT));
    Canvas.TextOut(row.Left + 2, row.Top, FItems[i]);
    if (Focused() && i == focus) Canvas.DrawFocusRect(row);
  }
  if (Focused() && Count() == 0)
    Canvas.DrawFocusRect(TRect{area.Left, area.Top, area.Right, area.Top + height});
}

// ---- TComboBox ------------------------------------------------------------------------------

TComboBox::TComboBox(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height)
    : TCustomControl(AOwner, AParent, X, Y, Width, Height) {
  FItems.OnChange = [this](TObject*) {
    if (FItemIndex >= FItems.Count()) FItemIndex = -1;
    if (FDropped) FList->Items().Assign(&FItems);
    Invalidate();
  };
}

std::string TComboBox::Text() const { return FItemIndex >= 0 ? FItems[FItemIndex] : std::string(); }

void TComboBox::SetItemIndex(int Value) {
  FItemIndex = std::clamp(Value, -1, FItems.Count() - 1);
  Invalidate();
}

void TComboBox::SetDroppedDown(bool Value) {
  if (Value) Open();
  else Close(false);
}

void TComboBox::Pick(int Index) {
  if (Index < 0 || Index >= FItems.Count() || Index == FItemIndex) return;
  FItemIndex = Index;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TComboBox::Open() {
  if (FDropped || !IsWindowVisible(Handle())) return;
  if (!FList) {
    // A top-level popup, so that it may reach past the edges of the window.
    FList = std::make_unique<TListBox>(nullptr, nullptr, 0, 0, 0, 0, WS_POPUP);
    FList->SetFlatBorder(true);
    FList->OnScroll = [this](TObject*) {
      if (FDropped && !GetCapture()) SetCapture(Handle());
    };
  }
  FList->SetFont(Font());
  FList->SetColor(Color());
  FList->SetTextColor(TextColor());
  FList->Items().Assign(&FItems);
  const int rows = std::clamp(FItems.Count(), 1, std::max(1, DropDownCount));
  const int height = rows * FList->ItemHeight() + 2;
  TPoint below{0, Height()}, above{0, 0};
  ClientToScreen(Handle(), &below);
  ClientToScreen(Handle(), &above);
  TPoint at = below;
  if (below.Y + height > GetScreenSize().cy && above.Y - height >= 0) at.Y = above.Y - height;
  MoveWindow(FList->Handle(), at.X, at.Y, Width(), height);
  FList->SetTopIndex(0);
  FList->SetItemIndex(FItemIndex);
  FDropped = true;
  ShowWindow(FList->Handle(), SW_SHOWNA);
  // The press that opened the list, and any press after it, come here: a press outside
  // the list closes it.
  SetCapture(Handle());
  Invalidate();
}

void TComboBox::Close(bool Choose) {
  if (!FDropped) return;
  FDropped = false;
  const int chosen = FList->ItemIndex();
  ShowWindow(FList->Handle(), SW_HIDE);
  if (GetCapture() == Handle()) ReleaseCapture();
  Invalidate();
  if (Choose) Pick(chosen);
}

int TComboBox::ListItemAt(int X, int Y, bool& Inside) const {
  Inside = false;
  if (!FList) return -1;
  TPoint p{X, Y};
  MapWindowPoints(Handle(), FList->Handle(), &p, 1);
  TRect r;
  GetClientRect(FList->Handle(), &r);
  Inside = r.Contains(p);
  return Inside ? FList->ItemAtPos(p.X, p.Y) : -1;
}

void TComboBox::KeyDown(int Key, TShiftState Shift) {
  const bool alt = Shift & ssAlt;
  if (FDropped) {
    const HWND self = Handle();
    switch (Key) {
      case VK_RETURN:
      case VK_F4:
        Close(true);
        return;
      case VK_ESCAPE:
        Close(false);
        return;
      case VK_TAB:
        Close(true);
        if (IsWindow(self)) SelectNextTabStop(self, !(Shift & ssShift));
        return;
      case VK_UP:
      case VK_DOWN:
        if (alt) {
          Close(true);
          return;
        }
        [[fallthrough]];
      case VK_LEFT:
      case VK_RIGHT:
      case VK_HOME:
      case VK_END:
      case VK_PRIOR:
      case VK_NEXT:
        SendMessage(FList->Handle(), WM_KEYDOWN, WPARAM(Key), 0);
        return;
      default:
        return;
    }
  }
  if (Key == VK_F4 || (alt && (Key == VK_DOWN || Key == VK_UP))) {
    Open();
    return;
  }
  const int n = FItems.Count(), current = FItemIndex;
  if (n == 0) return;
  int target;
  switch (Key) {
    case VK_UP: case VK_LEFT: target = current < 0 ? 0 : current - 1; break;
    case VK_DOWN: case VK_RIGHT: target = current + 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = n - 1; break;
    case VK_PRIOR: target = current - std::max(1, DropDownCount - 1); break;
    case VK_NEXT: target = current + std::max(1, DropDownCount - 1); break;
    default: return;
  }
  Pick(std::clamp(target, 0, n - 1));
}

void TComboBox::KeyPress(char Key) {
  if (!Typable(Key)) return;
  if (FDropped) {
    SendMessage(FList->Handle(), WM_CHAR, WPARAM(static_cast<unsigned char>(Key)), 0);
    return;
  }
  if (FItems.Count()) Pick(FindByFirstLetter(FItems, FItemIndex, Key));
}

void TComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft) return;
  if (!FDropped) {
    Open();
    return;
  }
  bool inside;
  const int index = ListItemAt(X, Y, inside);
  if (!inside) {
    Close(false);
    return;
  }
  if (index >= 0) {
    FList->SetItemIndex(index);
    return;
  }
  // A press on the list's scroll bar goes to the bar, which takes the mouse until the
  // button comes up; the list's scroll notification hands it back.
  for (HWND bar : GetChildWindows(FList->Handle())) {
    TPoint p{X, Y};
    MapWindowPoints(Handle(), bar, &p, 1);
    TRect r;
    GetClientRect(bar, &r);
    if (IsWindowVisible(bar) && r.Contains(p))
      SendMessage(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  }
}

void TComboBox::MouseMove(TShiftState Shift, int X, int Y) {
  if (!FDropped) return;
  bool inside;
  const int index = ListItemAt(X, Y, inside);
  if (index >= 0 && index != FList->ItemIndex()) FList->SetItemIndex(index);
}

void TComboBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !FDropped) return;
  bool inside;
  const int index = ListItemAt(X, Y, inside);
  if (index < 0) return;
  FList->SetItemIndex(index);
  Close(true);
}

void TComboBox::FocusChanged(bool Focused) {
  if (!Focused) Close(false);
}

void TComboBox::CaptureLost(HWND NewCapture) {
  // The list's own scroll bar may borrow the mouse; anyone else closes the list.
  if (!FDropped || (NewCapture && FList && IsChild(FList->Handle(), NewCapture))) return;
  Close(false);
}

LRESULT TComboBox::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  if (Msg == WM_MOUSEWHEEL && FDropped) return SendMessage(FList->Handle(), Msg, wParam, lParam);
  return TCustomControl::WndProc(Msg, wParam, lParam);
}

void TComboBox::Paint(TCanvas& Canvas) {
  TRect r;
  GetClientRect(Handle(), &r);
  DrawEdge3D(Canvas, r, ekSunken);
  const int buttonWidth = std::min(GetSystemMetrics(SM_CXVSCROLL), std::max(0, r.Width()));
  const TRect field{r.Left, r.Top, r.Right - buttonWidth, r.Bottom};
  TRect button{field.Right, r.Top, r.Right, r.Bottom};
  Canvas.FillRect(field, Enabled() ? FaceColor(COLOR_WINDOW) : SysColor(COLOR_BTNFACE));
  DrawEdge3D(Canvas, button, FDropped ? ekPressed : ekRaised);
  Canvas.FillRect(button, SysColor(COLOR_BTNFACE));
  // The drop arrow: rows of 7, 5, 3 and 1 pixels.
  const TColor ink = Enabled() ? SysColor(COLOR_BTNTEXT) : SysColor(COLOR_GRAYTEXT);
  const int shift = FDropped ? 1 : 0;
  const int cx = (button.Left + button.Right) / 2 + shift, cy = (button.Top + button.Bottom) / 2 - 2 + shift;
  for (int i = 0; i < 4; ++i) DrawHLine(Canvas, cx - 3 + i, cx + 4 - i, cy + i, ink);

  const TRect text{field.Left + 1, field.Top + 1, field.Right - 1, field.Bottom - 1};
  const bool highlight = Focused() && !FDropped;
  if (highlight) Canvas.FillRect(text, SysColor(COLOR_HIGHLIGHT));
  PrepareFont(Canvas, highlight ? SysColor(COLOR_HIGHLIGHTTEXT) : InkColor(COLOR_WINDOWTEXT));
  Canvas.IntersectClipRect(text);
  const int height = Canvas.TextHeight("A");
  Canvas.TextOut(text.Left + 1, text.Top + (text.Height() - height) / 2, Text());
  if (highlight) Canvas.DrawFocusRect(text);
}
