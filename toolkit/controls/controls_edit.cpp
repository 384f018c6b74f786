#include "toolkit/controls/controls_edit.h"

#include <climits>

#include "toolkit/controls/scroll_bar.h"
#include "toolkit/windows/clipboard.h"

namespace {

constexpr uintptr_t kCaretTimer = 1;
constexpr unsigned kCaretBlink = 530;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

// ---- TCustomEdit --------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height,
                         uint32_t ClassStyle)
    : TCustomControl(AOwner, AParent, X, Y, Width, Height, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                     ClassStyle | CS_DBLCLKS) {
  SetWindowCursor(Handle(), LoadCursor(IDC_IBEAM));
}

void TCustomEdit::SetText(const std::string& Value) {
  FText = Value;
  FCaret = FAnchor = 0;
  FScrollX = 0;
  FModified = false;
  ClearUndo();
  Changed();
}

void TCustomEdit::SetSelStart(int Value) {
  FCaret = FAnchor = CharStart(std::clamp(Value, 0, int(FText.size())));
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::SetSelLength(int Value) {
  FAnchor = SelStart();
  FCaret = CharStart(std::clamp(FAnchor + std::max(Value, 0), 0, int(FText.size())));
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::SetSelText(const std::string& Value) { ReplaceSelection(Value); }

void TCustomEdit::SelectAll() {
  FAnchor = 0;
  FCaret = int(FText.size());
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::ClearSelection() {
  if (SelLength()) ReplaceSelection(std::string());
}

void TCustomEdit::CopyToClipboard() {
  if (CanCopy() && SelLength())
    SetClipboardText(ToUtf8(FontHandle()->CodePage(), Outward(SelText())));
}

void TCustomEdit::CutToClipboard() {
  if (!CanCopy() || FReadOnly || !SelLength()) return;
  CopyToClipboard();
  ReplaceSelection(std::string());
}

void TCustomEdit::PasteFromClipboard() {
  if (FReadOnly) return;
  const int codePage = FontHandle()->CodePage();
  const std::string text = GetClipboardText();
  ReplaceSelection(codePage == CP_UTF8 ? ToUtf8(CP_UTF8, text)
                                       : WideCharToMultiByte(codePage, MultiByteToWideChar(CP_UTF8, text)));
}

void TCustomEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  Invalidate();
}

void TCustomEdit::Undo() {
  if (FReadOnly || !FUndo.Valid) return;
  const int size = int(FText.size());
  const int after = size - int(FUndo.Inserted.size()) + int(FUndo.Removed.size());
  if (FMaxLength > 0 && after > FMaxLength && after > size) return;
  FText.replace(size_t(FUndo.Pos), FUndo.Inserted.size(), FUndo.Removed);
  std::swap(FUndo.Removed, FUndo.Inserted);
  FUndo.Typed = false;
  FAnchor = FUndo.Pos;
  FCaret = FUndo.Pos + int(FUndo.Inserted.size());
  FModified = true;
  Changed();
}

void TCustomEdit::Remember(int Start, int Length, const std::string& Insert, bool Typed) {
  if (Typed && FUndo.Valid && FUndo.Typed && Length == 0 &&
      Start == FUndo.Pos + int(FUndo.Inserted.size())) {
    FUndo.Inserted += Insert;
    return;
  }
  FUndo.Valid = true;
  FUndo.Typed = Typed;
  FUndo.Pos = Start;
  FUndo.Removed.assign(FText, size_t(Start), size_t(Length));
  FUndo.Inserted = Insert;
}

void TCustomEdit::ReplaceSelection(const std::string& S, bool Typed) {
  std::string insert = Filter(S);
  const int start = SelStart(), length = SelLength();
  if (FMaxLength > 0) {
    const int room = std::max(0, FMaxLength - (int(FText.size()) - length));
    if (int(insert.size()) > room) {
      // Cut before a double-byte character that would not fit whole.
      const TFontHandle* font = FontHandle();
      int keep = 0;
      while (keep < room) {
        const auto lead = uint8_t(insert[size_t(keep)]);
        const int step = !font->IsDBCS() || !font->LeadBytes()[lead] ? 1
                         : font->CodePage() == CP_UTF8 ? Utf8SequenceLength(lead)
                                                       : 2;
        if (keep + step > room) break;
        keep += step;
      }
      insert.resize(size_t(keep));
    }
  }
  if (insert.empty() && length == 0) return;
  Remember(start, length, insert, Typed);
  FText.replace(size_t(start), size_t(length), insert);
  FCaret = FAnchor = start + int(insert.size());
  FModified = true;
  Changed();
}

void TCustomEdit::Changed() {
  Relayout();
  ScrollToCaret();
  if (Focused()) RestartCaretBlink();
  Invalidate();
  if (OnChange) OnChange(this);
}

void TCustomEdit::MoveCaret(int Pos, bool Extend) {
  FCaret = std::clamp(Pos, 0, int(FText.size()));
  if (!Extend) FAnchor = FCaret;
  ScrollToCaret();
  RestartCaretBlink();
  Invalidate();
}

int TCustomEdit::WordEdge(int Pos, bool Forward) const {
  const int n = int(FText.size());
  if (Forward) {
    while (Pos < n && !IsBlank(FText[size_t(Pos)])) ++Pos;
    while (Pos < n && IsBlank(FText[size_t(Pos)])) ++Pos;
  } else {
    while (Pos > 0 && IsBlank(FText[size_t(Pos - 1)])) --Pos;
    while (Pos > 0 && !IsBlank(FText[size_t(Pos - 1)])) --Pos;
  }
  return Pos;
}

void TCustomEdit::KeyDown(int Key, TShiftState Shift) {
  if (Shift & ssAlt) {
    if (Key == VK_BACK) Undo();
    return;
  }
  const bool shift = Shift & ssShift, ctrl = Shift & ssCtrl;
  const int n = int(FText.size());
  switch (Key) {
    case VK_LEFT:
    case VK_RIGHT: {
      const bool forward = Key == VK_RIGHT;
      int target;
      if (SelLength() && !shift && !ctrl) target = forward ? SelStart() + SelLength() : SelStart();
      else if (ctrl) target = WordEdge(FCaret, forward);
      else target = forward ? NextChar(FCaret) : PrevChar(FCaret);
      MoveCaret(target, shift);
      return;
    }
    case VK_DELETE:
      if (shift) {
        CutToClipboard();
      } else if (!FReadOnly && (SelLength() || FCaret < n)) {
        if (!SelLength()) FAnchor = ctrl ? WordEdge(FCaret, true) : NextChar(FCaret);
        ReplaceSelection(std::string());
      }
      return;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      else if (shift) PasteFromClipboard();
      return;
    default:
      break;
  }
  if (ctrl && !(Shift & ssAlt)) {
    switch (Key) {
      case 'A': SelectAll(); break;
      case 'C': CopyToClipboard(); break;
      case 'X': CutToClipboard(); break;
      case 'V': PasteFromClipboard(); break;
      case 'Z': Undo(); break;
    }
    if (Key == 'A' || Key == 'C' || Key == 'X' || Key == 'V' || Key == 'Z') return;
  }
  const int target = MoveTarget(Key, ctrl);
  if (target >= 0) MoveCaret(target, shift);
}

void TCustomEdit::KeyPress(char Key) {
  const auto c = static_cast<unsigned char>(Key);
  if (FReadOnly) return;
  if (c == '\b') {
    if (!SelLength()) {
      if (FCaret == 0) return;
      FAnchor = PrevChar(FCaret);
    }
    ReplaceSelection(std::string());
    return;
  }
  // Other control characters (Ctrl combinations, Tab, Enter, Delete) insert nothing.
  if (c < 32 || c == 127) return;
  ReplaceSelection(std::string(1, Key), true);
}

bool TCustomEdit::TypeCodePoint(char32_t C) {
  const int codePage = FontHandle()->CodePage();
  // Latin-1 into an 8-bit page goes in as the byte it always did.
  if (C < 0x100 && codePage != CP_UTF8) return false;
  if (FReadOnly) return true;
  std::string bytes;
  if (codePage == CP_UTF8) {
    char out[4];
    bytes.assign(out, size_t(EncodeUtf8Char(C, out)));
  } else {
    bool lost = false;
    bytes = WideCharToMultiByte(codePage, std::u32string_view(&C, 1), '?', &lost);
    if (lost) return true;  // the page has no such character
  }
  ReplaceSelection(bytes, true);
  return true;
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft) return;
  MoveCaret(PositionAt(X, Y), Shift & ssShift);
  FDragging = true;
  SetCapture(Handle());
}

void TCustomEdit::MouseMove(TShiftState Shift, int X, int Y) {
  if (FDragging) MoveCaret(PositionAt(X, Y), true);
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !FDragging) return;
  FDragging = false;
  ReleaseCapture();
}

void TCustomEdit::DblClick(int X, int Y) {
  int a = PositionAt(X, Y), b = a;
  while (a > 0 && !IsBlank(FText[size_t(a - 1)])) --a;
  while (b < int(FText.size()) && !IsBlank(FText[size_t(b)])) ++b;
  FAnchor = a;
  MoveCaret(b, true);
}

void TCustomEdit::FocusChanged(bool Focused) {
  if (Focused) {
    RestartCaretBlink();
  } else {
    KillTimer(Handle(), kCaretTimer);
    FCaretOn = false;
  }
}

void TCustomEdit::RestartCaretBlink() {
  if (!Focused()) return;
  FCaretOn = true;
  SetTimer(Handle(), kCaretTimer, kCaretBlink);
}

void TCustomEdit::TimerFired(uintptr_t Id) {
  if (Id != kCaretTimer) return;
  FCaretOn = !FCaretOn && Focused();
  Invalidate();
}

TRect TCustomEdit::Inner() const {
  TRect r;
  GetClientRect(Handle(), &r);
  return TRect{r.Left + 2, r.Top + 2, std::max(r.Left + 2, r.Right - 2),
               std::max(r.Top + 2, r.Bottom - 2)};
}

int TCustomEdit::TextWidth(const std::string& S, int From, int Count) const {
  return FontHandle()->TextWidth(S.data() + From, Count);
}

int TCustomEdit::NextChar(int Pos) const {
  const int n = int(FText.size());
  if (Pos >= n) return n;
  const TFontHandle* font = FontHandle();
  if (font->CodePage() == CP_UTF8) {
    int length;
    DecodeUtf8Char(FText.data() + Pos, size_t(n - Pos), length);
    return Pos + length;
  }
  if (font->IsDBCS() && font->LeadBytes()[uint8_t(FText[size_t(Pos)])] && Pos + 1 < n &&
      FText[size_t(Pos) + 1] != '\n')
    return Pos + 2;
  return Pos + 1;
}

int TCustomEdit::PrevChar(int Pos) const {
  if (Pos <= 0) return 0;
  if (!FontHandle()->IsDBCS()) return Pos - 1;
  if (FontHandle()->CodePage() == CP_UTF8) {
    // A character starts at a byte that continues none.
    int at = Pos - 1;
    while (at > 0 && Pos - at < 4 && IsUtf8Continuation(uint8_t(FText[size_t(at)]))) --at;
    return NextChar(at) == Pos ? at : Pos - 1;
  }
  // Trail bytes can look like lead bytes: only a walk from the line's start tells.
  const size_t newline = FText.rfind('\n', size_t(Pos - 1));
  int at = newline == std::string::npos ? 0 : int(newline) + 1;
  if (at == Pos) return Pos - 1;
  for (int next = NextChar(at); next < Pos; next = NextChar(at)) at = next;
  return at;
}

void TCustomEdit::Paint(TCanvas& Canvas) {
  TRect r;
  GetClientRect(Handle(), &r);
  DrawEdge3D(Canvas, r, ekSunken);
  Canvas.FillRect(r, Enabled() ? FaceColor(COLOR_WINDOW) : SysColor(COLOR_BTNFACE));
  Canvas.IntersectClipRect(r);
  PaintText(Canvas, r);
  PaintCaret(Canvas);
}

void TCustomEdit::PaintRun(TCanvas& Canvas, const std::string& Shown, int Start, int Count,
                           int X, int Y) {
  // Only the bytes inside the clip box are drawn, so a long text costs a walk through
  // the width table rather than thousands of glyphs.
  TRect box;
  Canvas.GetClipBox(box);
  const TFontHandle* font = FontHandle();
  const int slack = font->Metrics().tmMaxCharWidth;
  while (Count > 0) {
    const int w = font->CharWidth(uint8_t(Shown[size_t(Start)]));
    if (X + w >= box.Left - slack) break;
    X += w;
    ++Start;
    --Count;
  }
  for (int i = 0, x = X; i < Count; ++i) {
    if (x > box.Right + slack) {
      Count = i;
      break;
    }
    x += font->CharWidth(uint8_t(Shown[size_t(Start + i)]));
  }
  PrepareFont(Canvas, InkColor(COLOR_WINDOWTEXT));
  // The selection shows only while the field has the focus.
  int a = Focused() ? std::clamp(SelStart(), Start, Start + Count) : Start;
  int b = Focused() ? std::clamp(SelStart() + SelLength(), a, Start + Count) : Start;
  const std::string_view text(Shown);
  const int xa = X + TextWidth(Shown, Start, a - Start);
  const int xb = xa + TextWidth(Shown, a, b - a);
  if (a > Start) Canvas.TextOut(X, Y, text.substr(size_t(Start), size_t(a - Start)));
  if (b > a) {
    Canvas.FillRect(TRect{xa, Y, xb, Y + LineHeight()}, SysColor(COLOR_HIGHLIGHT));
    Canvas.Font.Color = SysColor(COLOR_HIGHLIGHTTEXT);
    Canvas.TextOut(xa, Y, text.substr(size_t(a), size_t(b - a)));
    PrepareFont(Canvas, InkColor(COLOR_WINDOWTEXT));
  }
  if (Start + Count > b) Canvas.TextOut(xb, Y, text.substr(size_t(b), size_t(Start + Count - b)));
}

void TCustomEdit::PaintCaret(TCanvas& Canvas) {
  if (!FCaretOn || !Focused()) return;
  const TPoint p = CaretPoint(FCaret);
  Canvas.FillRect(TRect{p.X, p.Y, p.X + 1, p.Y + LineHeight()}, InkColor(COLOR_WINDOWTEXT));
}

// ---- TEdit ----------------------------------------------------------------------------

TEdit::TEdit(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height)
    : TCustomEdit(AOwner, AParent, X, Y, Width, Height, 0) {
  Relayout();
}

void TEdit::SetPasswordChar(char Value) {
  FPasswordChar = Value;
  Relayout();
  Invalidate();
}

std::string TEdit::DisplayText() const {
  return FPasswordChar ? std::string(FText.size(), FPasswordChar) : FText;
}

std::string TEdit::Filter(const std::string& S) const {
  // One line: pasted text stops at its first line break.
  return S.substr(0, S.find_first_of("\r\n"));
}

TRect TEdit::TextArea() const {
  TRect r = Inner();
  return TRect{r.Left + 1, r.Top, std::max(r.Left + 1, r.Right - 1), r.Bottom};
}

int TEdit::TextTop() const {
  const TRect area = TextArea();
  return area.Top + std::max(0, (area.Height() - LineHeight()) / 2);
}

void TEdit::Relayout() {
  const std::string shown = DisplayText();
  const int total = TextWidth(shown, 0, int(shown.size()));
  FScrollX = std::clamp(FScrollX, 0, std::max(0, total + 1 - TextArea().Width()));
  ScrollToCaret();
}

int TEdit::PositionAt(int X, int Y) const {
  const std::string shown = DisplayText();
  const int x = X - TextArea().Left + FScrollX;
  int left = 0;
  for (int i = 0; i < int(shown.size());) {
    const int next = NextChar(i);
    const int w = TextWidth(shown, i, next - i);
    if (2 * x < 2 * left + w) return i;
    left += w;
    i = next;
  }
  return int(shown.size());
}

TPoint TEdit::CaretPoint(int Pos) const {
  return TPoint{TextArea().Left - FScrollX + TextWidth(DisplayText(), 0, Pos), TextTop()};
}

void TEdit::ScrollToCaret() {
  const std::string shown = DisplayText();
  const int width = TextArea().Width();
  const int x = TextWidth(shown, 0, FCaret);
  // Jumps of a quarter of the field, as the desktop's fields scroll.
  if (x < FScrollX) FScrollX = std::max(0, x - width / 4);
  else if (x >= FScrollX + width) FScrollX = x - width + width / 4;
  const int total = TextWidth(shown, 0, int(shown.size()));
  FScrollX = std::clamp(FScrollX, 0, std::max(0, total + 1 - width));
}

int TEdit::MoveTarget(int Key, bool Ctrl) {
  if (Key == VK_HOME) return 0;
  if (Key == VK_END) return int(FText.size());
  return -1;
}

void TEdit::PaintText(TCanvas& Canvas, const TRect& Area) {
  Canvas.IntersectClipRect(TextArea());
  const std::string shown = DisplayText();
  PaintRun(Canvas, shown, 0, int(shown.size()), TextArea().Left - FScrollX, TextTop());
}

void TEdit::FocusChanged(bool Focused) {
  TCustomEdit::FocusChanged(Focused);
  if (Focused && AutoSelect && !FocusByMouse()) SelectAll();
}

// ---- TMemo ----------------------------------------------------------------------------

TMemo::TMemo(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height)
    : TCustomEdit(AOwner, AParent, X, Y, Width, Height, 0) {
  Relayout();
}

std::string TMemo::Outward(const std::string& S) const {
  std::string out;
  out.reserve(S.size());
  for (char c : S) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string TMemo::Text() const { return Outward(FText); }

void TMemo::SetText(const std::string& Value) { TCustomEdit::SetText(Filter(Value)); }

std::vector<std::string> TMemo::Lines() const {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = FText.find('\n', start);
    lines.push_back(FText.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

void TMemo::SetLines(const std::vector<std::string>& Value) {
  std::string text;
  for (size_t i = 0; i < Value.size(); ++i) {
    if (i) text += '\n';
    text += Value[i];
  }
  SetText(text);
}

std::vector<std::string> TMemo::DisplayLines() const {
  std::vector<std::string> rows;
  rows.reserve(FRows.size());
  for (const TRow& row : FRows) rows.push_back(FText.substr(size_t(row.Start), size_t(row.Length)));
  return rows;
}

void TMemo::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  FScrollX = 0;
  Relayout();
  Invalidate();
}

void TMemo::SetScrollBars(bool Vertical, bool Horizontal) {
  auto place = [this](HWND& bar, bool want, bool vertical) {
    if (want && !bar) bar = CreateScrollBar(Handle(), vertical, 0, 0, 0, 0);
    if (!want && bar) {
      DestroyWindow(bar);
      bar = nullptr;
    }
  };
  place(FVBar, Vertical, true);
  place(FHBar, Horizontal, false);
  Relayout();
  Invalidate();
}

std::string TMemo::Filter(const std::string& S) const {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\r') {
      out += '\n';
      if (i + 1 < S.size() && S[i + 1] == '\n') ++i;
    } else if (S[i] != '\0') {
      out += S[i];
    }
  }
  return out;
}

void TMemo::KeyDown(int Key, TShiftState Shift) {
  const bool vertical = Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT;
  if (!vertical) FWantX = -1;
  TCustomEdit::KeyDown(Key, Shift);
}

void TMemo::KeyPress(char Key) {
  if (ReadOnly()) return;
  if (Key == '\r') ReplaceSelection("\n", true);
  else if (Key == '\t' && WantTabs) ReplaceSelection("\t", true);
  else TCustomEdit::KeyPress(Key);
}

void TMemo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FWantX = -1;
  TCustomEdit::MouseDown(Button, Shift, X, Y);
}

TRect TMemo::TextArea() const {
  TRect r = Inner();
  if (FVBar) r.Right = std::max(r.Left, r.Right - GetSystemMetrics(SM_CXVSCROLL));
  if (FHBar) r.Bottom = std::max(r.Top, r.Bottom - GetSystemMetrics(SM_CYHSCROLL));
  return TRect{r.Left + 1, r.Top, std::max(r.Left + 1, r.Right - 1), r.Bottom};
}

int TMemo::VisibleRows() const { return std::max(1, TextArea().Height() / LineHeight()); }

void TMemo::Relayout() {
  FRows.clear();
  FWidest = 0;
  FWantX = -1;
  const TFontHandle* font = FontHandle();
  const int limit = FWordWrap ? std::max(1, TextArea().Width()) : INT_MAX;
  const int n = int(FText.size());
  int start = 0;
  for (;;) {
    const size_t newline = FText.find('\n', size_t(start));
    const int end = newline == std::string::npos ? n : int(newline);
    int rowStart = start, x = 0, afterSpace = -1;
    for (int i = start; i < end;) {
      const char c = FText[size_t(i)];
      const int next = NextChar(i);
      const int w = next == i + 1 ? font->CharWidth(uint8_t(c)) : TextWidth(FText, i, next - i);
      // Spaces may hang past the edge; anything else wraps after the last space.
      if (x + w > limit && i > rowStart && c != ' ') {
        const int cut = afterSpace > rowStart ? afterSpace : i;
        FRows.push_back(TRow{rowStart, cut - rowStart});
        rowStart = cut;
        afterSpace = -1;
        x = TextWidth(FText, cut, i - cut);
        continue;
      }
      x += w;
      if (c == ' ') afterSpace = i + 1;
      i = next;
    }
    FRows.push_back(TRow{rowStart, end - rowStart});
    if (!FWordWrap) FWidest = std::max(FWidest, x);
    if (newline == std::string::npos) break;
    start = end + 1;
  }
  // The bars sit inside the border, the vertical one full height.
  const TRect inner = Inner();
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  if (FVBar)
    MoveWindow(FVBar, inner.Right - bar, inner.Top, bar,
               std::max(0, inner.Height() - (FHBar ? bar : 0)));
  if (FHBar)
    MoveWindow(FHBar, inner.Left, inner.Bottom - bar,
               std::max(0, inner.Width() - (FVBar ? bar : 0)), bar);
  FTopRow = std::clamp(FTopRow, 0, std::max(0, int(FRows.size()) - VisibleRows()));
  FScrollX = std::clamp(FScrollX, 0, std::max(0, FWidest + 1 - TextArea().Width()));
  UpdateScrollBars();
}

void TMemo::UpdateScrollBars() {
  SCROLLINFO si;
  si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  if (FVBar) {
    si.nMax = int(FRows.size()) - 1;
    si.nPage = unsigned(VisibleRows());
    si.nPos = FTopRow;
    SetScrollInfo(FVBar, SB_CTL, &si);
  }
  if (FHBar) {
    si.nMax = FWidest;
    si.nPage = unsigned(TextArea().Width());
    si.nPos = FScrollX;
    SetScrollInfo(FHBar, SB_CTL, &si);
  }
}

int TMemo::RowOf(int Pos) const {
  auto it = std::upper_bound(FRows.begin(), FRows.end(), Pos,
                             [](int p, const TRow& row) { return p < row.Start; });
  return std::max(0, int(it - FRows.begin()) - 1);
}

int TMemo::PositionInRow(int Row, int X) const {
  const TRow& row = FRows[size_t(Row)];
  // The end of a wrapped row is the start of the next: stay before it.
  const bool soft = Row + 1 < int(FRows.size()) && FRows[size_t(Row) + 1].Start == row.Start + row.Length;
  const int end = row.Start + row.Length;
  const int last = soft && row.Length > 0 ? PrevChar(end) : end;
  int left = 0;
  for (int i = row.Start; i < last;) {
    const int next = NextChar(i);
    const int w = TextWidth(FText, i, next - i);
    if (2 * X < 2 * left + w) return i;
    left += w;
    i = next;
  }
  return last;
}

int TMemo::PositionAt(int X, int Y) const {
  const TRect area = TextArea();
  const int dy = Y - area.Top;
  const int lh = LineHeight();
  const int row = FTopRow + (dy >= 0 ? dy / lh : -((-dy + lh - 1) / lh));
  return PositionInRow(std::clamp(row, 0, int(FRows.size()) - 1), X - area.Left + FScrollX);
}

TPoint TMemo::CaretPoint(int Pos) const {
  const TRect area = TextArea();
  const int r = RowOf(Pos);
  const TRow& row = FRows[size_t(r)];
  return TPoint{area.Left - FScrollX + TextWidth(FText, row.Start, Pos - row.Start),
                area.Top + (r - FTopRow) * LineHeight()};
}

void TMemo::SetTopRow(int Row) {
  Row = std::clamp(Row, 0, std::max(0, int(FRows.size()) - VisibleRows()));
  if (Row == FTopRow) return;
  FTopRow = Row;
  UpdateScrollBars();
  Invalidate();
}

void TMemo::ScrollToCaret() {
  const int r = RowOf(FCaret), visible = VisibleRows();
  if (r < FTopRow) SetTopRow(r);
  else if (r >= FTopRow + visible) SetTopRow(r - visible + 1);
  if (FWordWrap) return;
  const TRow& row = FRows[size_t(RowOf(FCaret))];
  const int x = TextWidth(FText, row.Start, FCaret - row.Start), width = TextArea().Width();
  if (x < FScrollX) FScrollX = std::max(0, x - width / 4);
  else if (x >= FScrollX + width) FScrollX = x - width + width / 4;
  UpdateScrollBars();
}

int TMemo::MoveTarget(int Key, bool Ctrl) {
  const int r = RowOf(FCaret);
  const TRow& row = FRows[size_t(r)];
  switch (Key) {
    case VK_HOME:
      return Ctrl ? 0 : row.Start;
    case VK_END:
      return Ctrl ? int(FText.size()) : PositionInRow(r, INT_MAX / 2);
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      if (FWantX < 0) FWantX = CaretPoint(FCaret).X - TextArea().Left + FScrollX;
      const int step = (Key == VK_UP || Key == VK_DOWN) ? 1 : VisibleRows();
      const int target = Key == VK_UP || Key == VK_PRIOR ? r - step : r + step;
      if (Key == VK_PRIOR || Key == VK_NEXT) SetTopRow(FTopRow + (target - r));
      return PositionInRow(std::clamp(target, 0, int(FRows.size()) - 1), FWantX);
    }
    default:
      return -1;
  }
}

void TMemo::Scrolled(bool Vertical, int Code) {
  HWND bar = Vertical ? FVBar : FHBar;
  const int line = Vertical ? 1 : 8;
  const int page = Vertical ? VisibleRows() : std::max(1, TextArea().Width());
  const int pos = Vertical ? FTopRow : FScrollX;
  int target = pos;
  switch (Code) {
    case SB_LINEUP: target = pos - line; break;
    case SB_LINEDOWN: target = pos + line; break;
    case SB_PAGEUP: target = pos - page; break;
    case SB_PAGEDOWN: target = pos + page; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = INT_MAX / 2; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(bar, SB_CTL, &si);
      target = si.nTrackPos;
      break;
    }
    default: return;
  }
  if (Vertical) {
    SetTopRow(target);
  } else {
    FScrollX = std::clamp(target, 0, std::max(0, FWidest + 1 - TextArea().Width()));
    UpdateScrollBars();
    Invalidate();
  }
}

LRESULT TMemo::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scrolled(Msg == WM_VSCROLL, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      SetTopRow(FTopRow - GET_WHEEL_DELTA_WPARAM(wParam) * GetWheelScrollLines() / WHEEL_DELTA);
      return 0;
    default:
      return TCustomEdit::WndProc(Msg, wParam, lParam);
  }
}

void TMemo::PaintText(TCanvas& Canvas, const TRect& Area) {
  const TRect area = TextArea();
  Canvas.IntersectClipRect(area);
  const int lh = LineHeight();
  const int last = std::min(int(FRows.size()), FTopRow + VisibleRows() + 1);
  for (int r = FTopRow; r < last; ++r)
    PaintRun(Canvas, FText, FRows[size_t(r)].Start, FRows[size_t(r)].Length,
             area.Left - FScrollX, area.Top + (r - FTopRow) * lh);
}
