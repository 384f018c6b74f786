// Lists: the list box, with single, multiple or extended selection, and the drop-down
// list, a closed face that opens a popup list of its items.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/classes.h"
#include "toolkit/controls/controls_base.h"

class TListBox : public TCustomControl {
 public:
  TListBox(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 121,
           int Height = 97, uint32_t Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);

  // Changing the items keeps the selection flags by index and clamps the rest.
  TStringList& Items() { return FItems; }
  const TStringList& Items() const { return FItems; }
  int Count() const { return FItems.Count(); }

  // Single selection: the selected item, -1 for none. Multiple selection: the item with
  // the focus frame; setting it moves the frame only.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  bool Selected(int Index) const;
  void SetSelected(int Index, bool Value);
  int SelCount() const;
  void ClearSelection();

  // Several items may be selected: clicks and the space bar toggle them, or, with
  // ExtendedSelect, a click selects one, Ctrl adds or removes and Shift selects a range.
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool ExtendedSelect = true;

  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int Value);
  int ItemHeight() const;
  // Whole rows that fit.
  int VisibleRows() const;
  // The item at a client point, or -1 outside the items.
  int ItemAtPos(int X, int Y) const;
  // Scrolls the least needed to show the item.
  void MakeVisible(int Index);

  // A one-pixel frame instead of the sunken border (for popups).
  void SetFlatBorder(bool Value);

  // The user changed the selection, by mouse or by keys. (OnClick follows every mouse
  // press on an item when the button comes up.)
  TNotifyEvent OnChange;
  // Any scroll, by the bar, the wheel or the keyboard.
  TNotifyEvent OnScroll;

  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  unsigned GetDlgCode() override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
  void Paint(TCanvas& Canvas) override;
  void KeyDown(int Key, TShiftState Shift) override;
  void KeyPress(char Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CaptureLost(HWND NewCapture) override { FTracking = false; }
  void Resized() override { UpdateScrollBar(); }
  void FontChanged() override { UpdateScrollBar(); }

 private:
  TRect ItemArea() const;
  void ItemsChanged();
  void UpdateScrollBar();
  // Moves the focus item by keyboard or mouse and selects as the mode and keys say.
  void Choose(int Index, TShiftState Shift, bool ByMouse);
  void SelectRange(int From, int To);
  void Scrolled(int Code);

  TStringList FItems;
  std::vector<char> FSelected;  // per item, for multiple selection
  int FItemIndex = -1;
  int FAnchor = 0;
  int FTopIndex = 0;
  bool FMultiSelect = false;
  bool FFlat = false;
  bool FTracking = false;
  bool FChanged = false;  // the selection changed during the current press
  HWND FBar = nullptr;
};

class TComboBox : public TCustomControl {
 public:
  TComboBox(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 145,
            int Height = 21);

  TStringList& Items() { return FItems; }
  const TStringList& Items() const { return FItems; }
  // The chosen item, -1 for none.
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  std::string Text() const;
  // Rows of the open list.
  int DropDownCount = 8;

  bool DroppedDown() const { return FDropped; }
  void SetDroppedDown(bool Value);
  // The open list (null until first opened).
  TListBox* DropList() const { return FList.get(); }

  // The user chose another item.
  TNotifyEvent OnChange;

  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  unsigned GetDlgCode() override {
    return DLGC_WANTARROWS | DLGC_WANTCHARS | (FDropped ? DLGC_WANTTAB : 0u);
  }
  void Paint(TCanvas& Canvas) override;
  void KeyDown(int Key, TShiftState Shift) override;
  void KeyPress(char Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void FocusChanged(bool Focused) override;
  void CaptureLost(HWND NewCapture) override;

 private:
  void Open();
  void Close(bool Choose);
  // Sets the choice and raises OnChange when it differs.
  void Pick(int Index);
  // The list item under a point of this control, -1 when over none; Inside tells whether
  // the point is on the list window at all.
  int ListItemAt(int X, int Y, bool& Inside) const;

  TStringList FItems;
  int FItemIndex = -1;
  bool FDropped = false;
  bool FClosing = false;
  std::unique_ptr<TListBox> FList;
};
