#include "tests/toolkit/controls/controls_test_support.h"
#include "toolkit/controls/controls_edit.h"

using EditControl = ControlsTest;

TEST_F(EditControl, KeysMoveTheCaretAndExtendTheSelection) {
  struct TCase {
    const char* Keys;
    const char* Text;
    int SelStart, SelLength;
  } cases[] = {
      {"hello{Home}X", "Xhello", 1, 0},
      {"hello{S-Left}{S-Left}", "hello", 3, 2},
      {"hello{Left}{Left}{S-Home}{BS}", "lo", 0, 0},
      {"hello{S-Home}Y", "Y", 1, 0},
      {"one two{C-Left}{S-End}", "one two", 4, 3},
      {"one two{Home}{C-Right}{C-S-Right}", "one two", 4, 3},
      {"abc{C-A}", "abc", 0, 3},
      {"abc{Left}{Del}", "ab", 2, 0},
      {"abc{Home}{Right}{S-Right}{S-Right}", "abc", 1, 2},
      {"abc{S-Left}{S-Left}{Left}", "abc", 1, 0},  // Left collapses to the selection's start
      {"ab{BS}{BS}{BS}", "", 0, 0},
      {"xy{Home}{End}z", "xyz", 3, 0},
      {"a\tb\x7f", "ab", 2, 0},  // control characters type nothing
      {"abc{A-Left}{A-Home}", "abc", 3, 0},  // Alt combinations belong to the window
  };
  for (const TCase& c : cases) {
    auto edit = Make<TEdit>(10, 10, 200, 21);
    edit->SetFocus();
    SendKeys(c.Keys);
    EXPECT_EQ(edit->Text(), c.Text) << c.Keys;
    EXPECT_EQ(edit->SelStart(), c.SelStart) << c.Keys;
    EXPECT_EQ(edit->SelLength(), c.SelLength) << c.Keys;
  }
}

TEST_F(EditControl, DoubleByteCharactersMoveAndDeleteWhole) {
  // "a", two double-byte characters (the second with a trail byte that is also a lead
  // byte), "b", in a Shift_JIS font.
  const std::string text = "a\x82\xa0\x81\x81" "b";
  struct TCase {
    const char* Keys;
    const char* Text;
    int SelStart, SelLength;
  } cases[] = {
      {"{End}{Left}{Left}", "a\x82\xa0\x81\x81" "b", 3, 0},
      {"{End}{Left}{BS}", "a\x82\xa0" "b", 3, 0},
      {"{Home}{Right}{Del}", "a\x81\x81" "b", 1, 0},
      {"{Home}{Right}{S-Right}", "a\x82\xa0\x81\x81" "b", 1, 2},
      {"{End}{BS}{BS}", "a\x82\xa0", 3, 0},
  };
  for (const TCase& c : cases) {
    auto edit = Make<TEdit>(10, 10, 200, 21);
    TFontSpec font = edit->Font();
    font.Charset = SHIFTJIS_CHARSET;
    edit->SetFont(font);
    edit->SetText(text);
    edit->SetFocus();
    SendKeys(c.Keys);
    EXPECT_EQ(edit->Text(), c.Text) << c.Keys;
    EXPECT_EQ(edit->SelStart(), c.SelStart) << c.Keys;
    EXPECT_EQ(edit->SelLength(), c.SelLength) << c.Keys;
  }
  // A limit never keeps half a character, and positions never land inside one.
  auto edit = Make<TEdit>(10, 10, 200, 21);
  TFontSpec font = edit->Font();
  font.Charset = SHIFTJIS_CHARSET;
  edit->SetFont(font);
  edit->SetMaxLength(2);
  edit->SetFocus();
  SetClipboardText("a\xE3\x81\x82");  // the clipboard holds UTF-8
  SendKeys("{C-V}");
  EXPECT_EQ(edit->Text(), "a");
  edit->SetText(text);
  edit->SetSelStart(2);
  EXPECT_EQ(edit->SelStart(), 1);
}

TEST_F(EditControl, ClipboardKeysCutCopyAndPaste) {
  struct TCase {
    const char* Before;  // clipboard text before
    const char* Keys;
    const char* Text;
    const char* Clipboard;
  } cases[] = {
      {"", "hello{S-Home}{C-C}{End} {C-V}", "hello hello", "hello"},
      {"", "hello{S-Left}{S-Left}{C-X}", "hel", "lo"},
      {"", "hello{S-Left}{C-Ins}{End}{S-Ins}", "helloo", "o"},
      {"", "hello{S-Home}{S-Del}", "", "hello"},
      {"ab\r\ncd", "x{C-V}", "xab", "ab\r\ncd"},  // one line only
      {"keep", "abc{C-X}{C-C}", "abc", "keep"},   // nothing selected: nothing happens
  };
  for (const TCase& c : cases) {
    auto edit = Make<TEdit>(10, 10, 200, 21);
    edit->SetFocus();
    SetClipboardText(c.Before);
    SendKeys(c.Keys);
    EXPECT_EQ(edit->Text(), c.Text) << c.Keys;
    EXPECT_EQ(GetClipboardText(), c.Clipboard) << c.Keys;
  }
}

TEST_F(EditControl, MaxLengthReadOnlyAndPasswordLimitEditing) {
  auto edit = Make<TEdit>(10, 10, 200, 21);
  edit->SetFocus();
  edit->SetMaxLength(5);
  SendKeys("abcdefg");
  EXPECT_EQ(edit->Text(), "abcde");
  SetClipboardText("XYZ");
  SendKeys("{S-Left}{S-Left}{C-V}");  // two selected bytes make room for two
  EXPECT_EQ(edit->Text(), "abcXY");

  edit->SetReadOnly(true);
  SendKeys("{C-A}q{BS}{C-X}{C-V}{Del}");
  EXPECT_EQ(edit->Text(), "abcXY");
  SendKeys("{C-C}");
  EXPECT_EQ(GetClipboardText(), "abcXY");  // read-only text still copies

  auto secret = Make<TEdit>(10, 40, 200, 21);
  secret->SetPasswordChar('*');
  secret->SetFocus();
  SendKeys("secret");
  SetClipboardText("keep");
  SendKeys("{C-A}{C-C}{C-X}{C-Ins}{S-Del}");
  EXPECT_EQ(GetClipboardText(), "keep");
  EXPECT_EQ(secret->Text(), "secret");
  SendKeys("{C-V}");
  EXPECT_EQ(secret->Text(), "keep");
}

TEST_F(EditControl, UndoTakesBackTheLastChangeAndAgainRedoesIt) {
  struct TCase {
    bool Memo;
    const char* Keys;  // the clipboard holds "XY"
    const char* Text;
    int SelStart, SelLength;
  } cases[] = {
      {false, "abc{C-Z}", "", 0, 0},  // a run of typing is one change
      {false, "abc{C-Z}{C-Z}", "abc", 0, 3},
      {false, "abc{A-BS}", "", 0, 0},
      {false, "abc{Home}X{C-Z}", "abc", 0, 0},  // typing elsewhere starts a new change
      {false, "abc{S-Left}X{C-Z}", "abc", 2, 1},
      {false, "abc{C-V}{C-Z}", "abc", 3, 0},
      {false, "abc{C-V}{C-Z}{C-Z}", "abcXY", 3, 2},
      {false, "abc{S-Home}{Del}{C-Z}", "abc", 0, 3},
      {false, "abc{S-Left}{C-X}{C-Z}", "abc", 2, 1},
      {false, "abc{BS}{BS}{C-Z}", "ab", 1, 1},  // each deletion is a change
      {false, "abc{C-Z}x{C-Z}{C-Z}", "x", 0, 1},  // typing after an undo replaces it
      {false, "{C-Z}", "", 0, 0},
      {true, "ab{Enter}cd{C-Z}", "", 0, 0},
      {true, "ab{Enter}cd{S-Home}{Del}{C-Z}{C-Z}", "ab\r\n", 3, 0},
  };
  for (const TCase& c : cases) {
    std::unique_ptr<TCustomEdit> edit;
    if (c.Memo) edit = Make<TMemo>(10, 10, 200, 60);
    else edit = Make<TEdit>(10, 10, 200, 21);
    edit->SetFocus();
    SetClipboardText("XY");
    SendKeys(c.Keys);
    EXPECT_EQ(edit->Text(), c.Text) << c.Keys;
    EXPECT_EQ(edit->SelStart(), c.SelStart) << c.Keys;
    EXPECT_EQ(edit->SelLength(), c.SelLength) << c.Keys;
  }

  // Text set by the program cannot be undone; read-only fields and MaxLength refuse.
  auto edit = Make<TEdit>(10, 10, 200, 21);
  edit->SetFocus();
  SendKeys("abc");
  edit->SetText("set");
  SendKeys("{C-Z}");
  EXPECT_EQ(edit->Text(), "set");
  SendKeys("{C-A}{Del}");
  edit->SetReadOnly(true);
  SendKeys("{C-Z}");
  EXPECT_EQ(edit->Text(), "");
  edit->SetReadOnly(false);
  edit->SetMaxLength(2);
  SendKeys("{C-Z}");
  EXPECT_EQ(edit->Text(), "");
  edit->SetMaxLength(3);
  SendKeys("{C-Z}");
  EXPECT_EQ(edit->Text(), "set");
}

TEST_F(EditControl, PasswordFieldShowsStars) {
  auto shown = [&](const char* Text, char Mask) {
    auto edit = Make<TEdit>(10, 10, 120, 21);
    edit->SetPasswordChar(Mask);
    edit->SetText(Text);
    ProcessMessages();
    return CaptureWindowPixels(edit->Handle()).Pixels;
  };
  EXPECT_EQ(shown("secret", '*'), shown("******", 0));
  EXPECT_NE(shown("secret", '*'), shown("secret", 0));
}

TEST_F(EditControl, EventsReportChangesAndMaySwallowKeys) {
  auto edit = Make<TEdit>(10, 10, 200, 21);
  int changes = 0, submits = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->OnKeyPress = [&](TObject*, char& Key) {
    if (Key == '\r') {
      ++submits;
      Key = 0;
    }
    if (Key == 'z') Key = 'Z';
  };
  edit->SetFocus();
  SendKeys("az{Enter}{Left}{Right}");
  EXPECT_EQ(edit->Text(), "aZ");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(submits, 1);
  edit->SetText("new");
  EXPECT_EQ(changes, 3);
  EXPECT_FALSE(edit->Modified());
}

TEST_F(EditControl, MouseDragSelectsAndLongTextScrolls) {
  auto edit = Make<TEdit>(10, 10, 60, 21);
  edit->SetFocus();
  SendKeys(std::string(100, 'x') + "{Home}");
  InjectMouseDownAt(edit->Handle(), mbLeft, 3, 10);
  InjectMouseMoveAt(edit->Handle(), 40, 10);
  InjectMouseUpAt(edit->Handle(), mbLeft, 40, 10);
  EXPECT_EQ(edit->SelStart(), 0);
  EXPECT_GT(edit->SelLength(), 3);
  EXPECT_LT(edit->SelLength(), 20);
  // At the end, the field shows the tail: a click at its left edge lands far in.
  SendKeys("{End}");
  AdvanceClock(1000);  // not a double click
  InjectClickAt(edit->Handle(), mbLeft, 3, 10);
  EXPECT_GT(edit->SelStart(), 80);
  EXPECT_LT(edit->SelStart(), 100);
  AdvanceClock(1000);
  InjectDoubleClickAt(edit->Handle(), mbLeft, 3, 10);
  EXPECT_EQ(edit->SelStart(), 0);
  EXPECT_EQ(edit->SelLength(), 100);
}

TEST_F(EditControl, SunkenFieldWithCaretAndSelection) {
  auto edit = Make<TEdit>(10, 10, 80, 21);
  EXPECT_EQ(PixelOf(*edit, 0, 0), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelOf(*edit, 1, 1), Sys(COLOR_3DDKSHADOW));
  EXPECT_EQ(PixelOf(*edit, 79, 20), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelOf(*edit, 78, 19), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(PixelOf(*edit, 40, 10), Sys(COLOR_WINDOW));
  edit->SetFocus();
  EXPECT_EQ(PixelOf(*edit, 3, 10), Sys(COLOR_WINDOWTEXT));  // the caret at the start
  SendKeys("WWW{C-A}");
  EXPECT_EQ(PixelOf(*edit, 4, 5), Sys(COLOR_HIGHLIGHT));
  edit->SetEnabled(false);
  EXPECT_EQ(PixelOf(*edit, 60, 10), Sys(COLOR_BTNFACE));

  // Scrolled to the end of a long text, the field still shows its tail.
  auto longer = Make<TEdit>(10, 40, 80, 21);
  longer->SetText(std::string(5000, 'W'));
  longer->SetFocus();
  SendKeys("{End}");
  ProcessMessages();
  TWindowPixels p = CaptureWindowPixels(longer->Handle());
  int dark = 0;
  for (int x = 3; x < 70; ++x) dark += ((p.At(x, 10) >> 8) & 0xFF) < 0x60;
  EXPECT_GT(dark, 5);
}

using MemoControl = ControlsTest;

TEST_F(MemoControl, EnterBreaksLinesAndArrowsKeepTheColumn) {
  auto memo = Make<TMemo>(10, 10, 200, 100);
  memo->SetFocus();
  SendKeys("first{Enter}second line{Enter}3{Up}{Up}{End}!");
  EXPECT_EQ(memo->Text(), "first!\r\nsecond line\r\n3");
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"first!", "second line", "3"}));
  // Through the short last line and back, the caret keeps its column.
  SendKeys("{C-Home}{Down}{End}{Down}{Up}{S-Home}");
  EXPECT_EQ(memo->SelText(), "second line");
  SendKeys("{End}{S-Down}{C-C}");
  EXPECT_EQ(GetClipboardText(), "\r\n3");
  memo->SetText("a\rb\nc\r\nd");
  EXPECT_EQ(memo->Lines().size(), 4u);
  SendKeys("{C-End}{BS}{BS}");
  EXPECT_EQ(memo->Text(), "a\r\nb\r\nc");
}

TEST_F(MemoControl, WordWrapBreaksAtSpacesAndScrollsToTheCaret) {
  auto memo = Make<TMemo>(10, 10, 80, 60);
  memo->SetText("alpha beta gamma delta epsilon");
  std::vector<std::string> rows = memo->DisplayLines();
  ASSERT_GT(rows.size(), 2u);
  std::string joined;
  for (const std::string& row : rows) {
    joined += row;
    EXPECT_TRUE(row.back() == ' ' || &row == &rows.back()) << row;
  }
  EXPECT_EQ(joined, "alpha beta gamma delta epsilon");
  memo->SetWordWrap(false);
  EXPECT_EQ(memo->DisplayLines().size(), 1u);
  // Unwrapped, the horizontal bar scrolls the long row: a click at the left edge then
  // lands past its start.
  memo->SetScrollBars(false, true);
  const int barTop = 60 - 2 - GetSystemMetrics(SM_CYHSCROLL);
  for (int i = 0; i < 3; ++i) InjectClickAt(memo->Handle(), mbLeft, 80 - 2 - 8, barTop + 8);
  AdvanceClock(1000);
  InjectClickAt(memo->Handle(), mbLeft, 4, 6);
  EXPECT_GT(memo->SelStart(), 2);
  memo->SetScrollBars(false, false);

  // A long word with no space breaks where the row is full.
  memo->SetWordWrap(true);
  memo->SetText(std::string(200, 'm'));
  EXPECT_GT(memo->DisplayLines().size(), 5u);

  memo->SetScrollBars(true, false);
  std::string many;
  for (int i = 0; i < 40; ++i) many += "line\r\n";
  memo->SetText(many);
  memo->SetFocus();
  SendKeys("{C-End}");
  EXPECT_GT(memo->TopRow(), 30);
  SendKeys("{C-Home}");
  EXPECT_EQ(memo->TopRow(), 0);
  SendKeys("{PgDn}");
  EXPECT_GT(memo->TopRow(), 0);
}
