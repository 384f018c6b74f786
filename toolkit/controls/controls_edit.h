// Text fields: the single-line edit and the multi-line memo. Both keep 8-bit text with
// a caret and a selection (anchor and caret, in bytes), edit it with the keyboard and the
// mouse, and exchange it with the toolkit clipboard. The memo keeps line breaks as LF
// inside and hands its text out with CR LF.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/controls/controls_base.h"

class TCustomEdit : public TCustomControl {
 public:
  TCustomEdit(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height,
              uint32_t ClassStyle);

  virtual std::string Text() const { return FText; }
  // Replaces the text, puts the caret at its start, drops the selection and forgets the
  // last change, so that it cannot be undone.
  virtual void SetText(const std::string& Value);

  // The selection runs from SelStart for SelLength bytes; the caret is at its moving end.
  int SelStart() const { return std::min(FCaret, FAnchor); }
  int SelLength() const { return std::abs(FCaret - FAnchor); }
  // Both clamp to the text; setting SelStart empties the selection.
  void SetSelStart(int Value);
  void SetSelLength(int Value);
  std::string SelText() const { return FText.substr(size_t(SelStart()), size_t(SelLength())); }
  // Replaces the selection as typing would (MaxLength applies, ReadOnly does not).
  void SetSelText(const std::string& Value);
  void SelectAll();
  void ClearSelection();
  // Copy and cut do nothing in a password field.
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  // One level, as the desktop's fields keep it: undoing again redoes. The undone text
  // comes back selected. A run of typing is one change; ReadOnly blocks undoing, and so
  // does MaxLength when the text would grow past it.
  bool CanUndo() const { return FUndo.Valid; }
  void Undo();
  void ClearUndo() { FUndo = TUndo{}; }

  // 0: no limit. Typing and pasting stop at the limit; SetText does not.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value < 0 ? 0 : Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  // Any change of the text, by the user or by the program.
  TNotifyEvent OnChange;

 protected:
  void Paint(TCanvas& Canvas) override;
  void KeyDown(int Key, TShiftState Shift) override;
  bool TypeCodePoint(char32_t C) override;
  void KeyPress(char Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick(int X, int Y) override;
  void FocusChanged(bool Focused) override;
  void FontChanged() override { Relayout(); }
  void Resized() override { Relayout(); }
  void TimerFired(uintptr_t Id) override;
  void CaptureLost(HWND NewCapture) override { FDragging = false; }

  // The text as shown (masked in a password field).
  virtual std::string DisplayText() const { return FText; }
  virtual bool CanCopy() const { return true; }
  // The text as it leaves the control (to the clipboard, from Text).
  virtual std::string Outward(const std::string& S) const { return S; }
  // What may be inserted of a typed or pasted string.
  virtual std::string Filter(const std::string& S) const = 0;
  // Rows, scroll ranges and the like after a change of text, size or font.
  virtual void Relayout() = 0;
  virtual int PositionAt(int X, int Y) const = 0;
  // The top of the caret (client coordinates) at Pos.
  virtual TPoint CaretPoint(int Pos) const = 0;
  virtual void ScrollToCaret() = 0;
  // The target of Home, End, Up, Down, Page Up and Page Down, or -1.
  virtual int MoveTarget(int Key, bool Ctrl) = 0;
  // Paints the rows of the text area.
  virtual void PaintText(TCanvas& Canvas, const TRect& Area) = 0;

  // The inside of the sunken border.
  TRect Inner() const;
  int LineHeight() const { return FontHandle()->Metrics().tmHeight; }
  int TextWidth(const std::string& S, int From, int Count) const;
  // Character boundaries: in a double-byte font a lead byte and its trail byte move,
  // delete and select as one character.
  int NextChar(int Pos) const;
  int PrevChar(int Pos) const;
  // The start of the character that holds byte Pos.
  int CharStart(int Pos) const { return Pos >= int(FText.size()) ? int(FText.size()) : PrevChar(Pos + 1); }
  // Paints bytes [Start, Start + Count) of the display text at (X, Y): the selected part
  // on the highlight colour.
  void PaintRun(TCanvas& Canvas, const std::string& Shown, int Start, int Count, int X, int Y);
  void PaintCaret(TCanvas& Canvas);
  // Moves the caret (and with Extend keeps the anchor).
  void MoveCaret(int Pos, bool Extend);
  // Typed characters join the change before them when they follow it directly.
  void ReplaceSelection(const std::string& S, bool Typed = false);
  void Changed();

  std::string FText;
  int FCaret = 0, FAnchor = 0;
  int FScrollX = 0;  // pixels of text scrolled out to the left

 private:
  // The last change: at Pos, Removed gave way to Inserted.
  struct TUndo {
    bool Valid = false;
    bool Typed = false;
    int Pos = 0;
    std::string Removed, Inserted;
  };

  void RestartCaretBlink();
  int WordEdge(int Pos, bool Forward) const;
  void Remember(int Start, int Length, const std::string& Insert, bool Typed);

  TUndo FUndo;

  int FMaxLength = 0;
  bool FReadOnly = false;
  bool FModified = false;
  bool FDragging = false;
  bool FCaretOn = false;
  bool FMouseFocus = false;
};

class TEdit : public TCustomEdit {
 public:
  TEdit(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 121, int Height = 21);

  // Not 0: every character shows as this one.
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  // Select the whole text when the focus comes by keyboard.
  bool AutoSelect = true;

 protected:
  std::string DisplayText() const override;
  bool CanCopy() const override { return FPasswordChar == 0; }
  std::string Filter(const std::string& S) const override;
  void Relayout() override;
  int PositionAt(int X, int Y) const override;
  TPoint CaretPoint(int Pos) const override;
  void ScrollToCaret() override;
  int MoveTarget(int Key, bool Ctrl) override;
  void PaintText(TCanvas& Canvas, const TRect& Area) override;
  void FocusChanged(bool Focused) override;

 private:
  TRect TextArea() const;
  int TextTop() const;
  char FPasswordChar = 0;
};

class TMemo : public TCustomEdit {
 public:
  TMemo(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 185, int Height = 89);

  // With CR LF between lines; CR, LF and CR LF all break lines on the way in.
  std::string Text() const override;
  void SetText(const std::string& Value) override;
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& Value);
  // The rows as shown, soft breaks included: a wrapped line gives several.
  std::vector<std::string> DisplayLines() const;

  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  void SetScrollBars(bool Vertical, bool Horizontal);
  bool WantTabs = false;
  int TopRow() const { return FTopRow; }

  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  unsigned GetDlgCode() override {
    return DLGC_WANTCHARS | DLGC_WANTARROWS | (WantTabs ? DLGC_WANTTAB : 0u);
  }
  std::string Outward(const std::string& S) const override;
  std::string Filter(const std::string& S) const override;
  void KeyDown(int Key, TShiftState Shift) override;
  void KeyPress(char Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Relayout() override;
  int PositionAt(int X, int Y) const override;
  TPoint CaretPoint(int Pos) const override;
  void ScrollToCaret() override;
  int MoveTarget(int Key, bool Ctrl) override;
  void PaintText(TCanvas& Canvas, const TRect& Area) override;

 private:
  struct TRow {
    int Start = 0, Length = 0;
  };
  TRect TextArea() const;
  int RowOf(int Pos) const;
  int VisibleRows() const;
  int PositionInRow(int Row, int X) const;
  void SetTopRow(int Row);
  void UpdateScrollBars();
  void Scrolled(bool Vertical, int Code);

  std::vector<TRow> FRows;
  bool FWordWrap = true;
  int FTopRow = 0;
  int FWidest = 0;  // widest row in pixels, for horizontal scrolling
  int FWantX = -1;  // the column Up and Down keep to
  HWND FVBar = nullptr, FHBar = nullptr;
};
