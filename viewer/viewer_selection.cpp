// Selecting text with the mouse (a drag, or a double-click on a word) and reading it.
#include <algorithm>

#include "common/unicode_chars.h"
#include "document/core/text_section.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

bool IsWordChar(char Ch) {
  const auto c = static_cast<unsigned char>(Ch);
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 192;
}

// The word of UTF-8 text around position At, character by character: its text and the
// positions just after and just before it. False when the text there is not UTF-8.
bool Utf8WordAt(const TSection& Section, int At, std::string& Word, int& After, int& Before) {
  char32_t c = 0;
  int start = 0, length = 0;
  if (!Section.Utf8CharAtPosition(At, c, start, length)) return false;
  Word.clear();
  if (!IsWordCodePoint(c)) return true;
  int first = start, end = start + length;
  while (Section.Utf8CharAtPosition(end, c, start, length) && IsWordCodePoint(c)) end += length;
  while (first > 0 && Section.Utf8CharAtPosition(first - 1, c, start, length) &&
         IsWordCodePoint(c))
    first = start;
  After = end;
  Before = first - 1;
  Word = Section.SelectedUtf8(first - Section.FStartPos, end - Section.FStartPos);
  return true;
}

}  // namespace

bool THTMLViewer::WordAtPoint(int X, int Y, std::string& Word, int& After, int& Before) {
  Word.clear();
  EnsureScreenLayout();
  TWindowDC dc(FPaintPanel->Handle());
  TCanvas* canvas = &dc.Canvas();
  // The document is drawn shifted left by the horizontal position.
  const int docX = X + HScrollPos(), docY = Y + FScrollY;
  int xr = 0, yr = 0, caretHeight = 0;
  bool inText = false;
  const int pos =
      FSectionList->PositionAtPoint(canvas, docX, docY, xr, yr, caretHeight, inText);
  if (pos >= 0) FCaretPos = pos;
  if (pos < 0) return false;
  // The caret goes to the nearer edge of the character under the point: on the right half
  // of a character that is its end, and the character is the one before the caret. That
  // character's own edge, found again from its left, must lie on the same line.
  int at = pos;
  if (docX < xr && pos > 0) {
    int left = 0, top = 0, xl = 0, yl = 0;
    bool leftInText = false;
    if (FSectionList->PositionToPoint(canvas, pos - 1, left, top) && left <= docX &&
        FSectionList->PositionAtPoint(canvas, left, docY, xl, yl, caretHeight, leftInText) ==
            pos - 1) {
      at = pos - 1;
      inText = true;
    }
  }
  if (!inText) return false;
  After = at;
  Before = at - 1;
  char ch = 0;
  TObject* owner = nullptr;
  if (!FSectionList->CharAtPosition(at, ch, owner)) return false;
  if (const auto* section = dynamic_cast<const TSection*>(owner))
    if (Utf8WordAt(*section, at, Word, After, Before)) return !Word.empty();
  if (!IsWordChar(ch)) return false;
  Word.assign(1, ch);
  // A character of another section (a neighbouring paragraph) ends the word.
  auto wordCharAt = [&](int Pos, char& Ch) {
    TObject* obj = nullptr;
    return FSectionList->CharAtPosition(Pos, Ch, obj) && obj == owner && IsWordChar(Ch);
  };
  while (wordCharAt(After + 1, ch)) {
    Word += ch;
    ++After;
  }
  ++After;
  while (Before >= 0 && wordCharAt(Before, ch)) {
    Word.insert(Word.begin(), ch);
    --Before;
  }
  // The host reads words in UTF-8, as it reads selected text.
  if (const auto* section = dynamic_cast<const TSection*>(owner))
    Word = section->SelectedUtf8(Before + 1 - section->FStartPos, After - section->FStartPos);
  return true;
}

void THTMLViewer::DocMouseDouble(TShiftState Shift, int X, int Y) {
  EnsureScreenLayout();
  FSectionList->SetImagePressed(true);
  if (FProcessing || FHotSpotClicked) return;
  std::string word;
  int after = 0, before = 0;
  if (!FNoSelect && WordAtPoint(X, Y, word, after, before)) {
    FSectionList->SelStart = before + 1;
    FSectionList->SelEnd = after;
    FCaretPos = FSectionList->SelStart;
    FSectionList->SelIsWord = true;
    FSelAnchor = -1;  // made by no drag: it runs forwards
    FPaintPanel->Invalidate();
  }
  if (OnMouseDouble) OnMouseDouble(this, mbLeft, Shift, X, Y);
}

namespace {

int PositionAt(THTMLViewer& Viewer, TSectionList& List, HWND Panel, int X, int Y) {
  TWindowDC dc(Panel);
  int xr = 0, yr = 0, caretHeight = 0;
  bool inText = false;
  return List.PositionAtPoint(&dc.Canvas(), X + Viewer.HScrollPos(), Y + Viewer.PaintScrollY(),
                              xr, yr, caretHeight, inText);
}

}  // namespace

void THTMLViewer::StartSelection(int X, int Y) {
  FSelecting = true;
  const int pos = PositionAt(*this, *FSectionList, FPaintPanel->Handle(), X, Y);
  FSelAnchor = pos;
  if (pos >= 0) {
    if (FSectionList->SelStart < FSectionList->SelEnd) FPaintPanel->Invalidate();
    FSectionList->SelStart = FSectionList->SelEnd = pos;
    FSectionList->SelIsWord = false;
    FCaretPos = pos;
  }
  FSectionList->SetImagePressed(true);
}

void THTMLViewer::ExtendSelection(int X, int Y) {
  if (!FSelecting || FSelAnchor < 0) return;
  EnsureScreenLayout();
  Y = std::clamp(Y, 0, std::max(0, FPaintPanel->Height()));
  const int pos = PositionAt(*this, *FSectionList, FPaintPanel->Handle(), X, Y);
  if (pos < 0) return;
  if (!FNoSelect) {
    const int start = std::min(FSelAnchor, pos), end = std::max(FSelAnchor, pos);
    if (start != FSectionList->SelStart || end != FSectionList->SelEnd) {
      FSectionList->SelStart = start;
      FSectionList->SelEnd = end;
      FPaintPanel->Invalidate();
    }
  }
  FCaretPos = pos;
}

std::string THTMLViewer::SelText() {
  if (FProcessing) return {};
  const int n = FSectionList->SelectionLength();
  if (n <= 0) return {};
  std::string text(size_t(n) + 1, '\0');
  const int written = FSectionList->CopySelectionToBuffer(text.data(), n + 1);
  text.resize(size_t(std::max(0, written - 1)));
  return text;
}

int THTMLViewer::CopySelTextToBuffer(char* Buffer, int BufSize) {
  if (FProcessing || BufSize <= 0 || !Buffer) return 0;
  return FSectionList->CopySelectionToBuffer(Buffer, BufSize);
}
