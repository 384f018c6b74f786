// Form controls in a live viewer: placed on their lines, clicked, typed into, submitted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/core/section_list.h"
#include "document/forms/form.h"
#include "toolkit/controls/controls_button.h"
#include "toolkit/controls/controls_edit.h"
#include "toolkit/controls/controls_list.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"
#include "toolkit/windows/window_metrics.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

class Forms : public ::testing::Test {
 protected:
  void SetUp() override {
    TCreateParams params;
    params.Width = 500;
    params.Height = 400;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    FHost = CreateWindow(params);
    FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 500, 400);
    FViewer->SetScrollBars(ssNone);
    FViewer->SetOnFormSubmit([this](TObject*, const std::string& Action, const std::string&,
                                    const std::string&, const std::string& Method,
                                    TStringList* Results) {
      std::string S = Action + "|" + Method;
      for (int I = 0; Results && I < Results->Count(); ++I) S += "|" + (*Results)[I];
      Submits.push_back(S);
    });
  }
  void TearDown() override {
    FViewer.reset();
    DestroyWindow(FHost);
  }
  void Load(const std::string& Html) {
    FViewer->LoadFromBuffer(Html.data(), int(Html.size()));
    ProcessMessages();
    ProcessMessages();
  }
  TFormControlObj* Control(int I) {
    return static_cast<TFormControlObj*>(FViewer->SectionList()->FormControls.at(size_t(I)));
  }
  void ClickOn(TWinControl* W) {
    InjectClickAt(W->Handle(), mbLeft, W->Width() / 2, W->Height() / 2);
    ProcessMessages();
  }
  HWND FHost = nullptr;
  std::unique_ptr<THTMLViewer> FViewer;
  std::vector<std::string> Submits;
};

// Any character typed into a field of a UTF-8 document is kept and submitted as UTF-8,
// which percent-encodes byte by byte.
TEST_F(Forms, TypedCyrillicIsSubmittedAsUtf8) {
  Load("<meta charset=utf-8><p>\xCE\xAC \xD0\x96 <form action=go.cgi><input name=q></form>");
  Control(0)->WindowControl()->SetFocus();
  for (char32_t c : U"\u041F\u0440\u0438\u0432\u0435\u0442 \u2192") {
    if (c) InjectChar(c);
  }
  InjectChar(U'\b');  // takes the whole arrow
  InjectChar(U'\b');
  InjectChar('\r');
  ProcessMessages();
  ASSERT_EQ(Submits.size(), 1u);
  const std::string pair = Submits[0].substr(Submits[0].rfind('|') + 1);
  EXPECT_EQ(pair, "q=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
  std::string encoded;
  for (unsigned char c : pair.substr(2)) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    encoded += hex;
  }
  EXPECT_EQ(encoded, "%D0%9F%D1%80%D0%B8%D0%B2%D0%B5%D1%82");
  // A Latin-1 document's field takes what its page holds, as the bytes it always did.
  Submits.clear();
  Load("<p>caf\xE9 <form action=go.cgi><input name=q></form>");
  Control(0)->WindowControl()->SetFocus();
  for (char32_t c : {U'\u00E9', U'\u20AC', U'\u2192', U'\r'}) InjectChar(c);
  ProcessMessages();
  ASSERT_EQ(Submits.size(), 1u);
  EXPECT_EQ(Submits[0].substr(Submits[0].rfind('|') + 1), "q=\xE9\x80");
}

TEST_F(Forms, ControlsSitOnTheirLines) {
  Load("<body bgcolor=#FFFF00><p>Name: <input name=q value=v> and <input type=checkbox name=c>"
       "<input type=radio></p><p>second line<br><select name=s><option>one</select></p>");
  TWinControl* Edit = Control(0)->WindowControl();
  TWinControl* Box = Control(1)->WindowControl();
  TWinControl* Combo = Control(3)->WindowControl();
  EXPECT_EQ(Control(2)->WindowControl()->Color() & 0xFFFFFF, TColor(0x00FFFF));  // the page's yellow
  for (TWinControl* W : {Edit, Box, Combo}) EXPECT_TRUE(W->Visible());
  // After the label, the box after the edit, all within the page.
  EXPECT_GT(Edit->Left(), FViewer->MarginWidth + 20);
  EXPECT_GT(Box->Left(), Edit->Left() + Edit->Width());
  EXPECT_GE(Edit->Top(), 0);
  // The check box sits on the edit's baseline, inside the edit's line.
  EXPECT_LE(Box->Top() + Box->Height(), Edit->Top() + Edit->Height());
  // The drop-down starts a line below both.
  EXPECT_GT(Combo->Top(), Edit->Top() + Edit->Height());
  EXPECT_LT(Combo->Left(), Edit->Left());
}

TEST_F(Forms, ClicksKeysAndEnterSubmit) {
  Load("<form action=go.cgi method=post><input name=q value=v>"
       "<input type=radio name=r value=1 checked><input type=radio name=R value=2>"
       "<textarea name=t></textarea><input type=submit name=b value=OK></form>");
  ClickOn(Control(4)->WindowControl());
  ProcessMessages();
  ASSERT_EQ(Submits, (std::vector<std::string>{"go.cgi|post|q=v|r=1|t=|b=OK"}));
  // Enter in the edit submits without the button; in the text area it is a line end.
  Control(0)->WindowControl()->SetFocus();
  InjectChar('\r');
  ProcessMessages();
  Control(3)->WindowControl()->SetFocus();
  InjectChar('\r');
  ProcessMessages();
  EXPECT_EQ(Submits.back(), "go.cgi|post|q=v|r=1|t=");
  EXPECT_EQ(Submits.size(), 2u);
  // Arrow keys move within the radio group; clicking one unchecks its peers.
  Control(1)->WindowControl()->SetFocus();
  InjectKeyDown(VK_RIGHT);
  EXPECT_EQ(GetFocus(), Control(2)->WindowControl()->Handle());
  ClickOn(Control(2)->WindowControl());
  auto Pairs = Control(0)->Form()->CollectPairs();
  EXPECT_EQ(Pairs, (std::vector<std::string>{"q=v", "R=2", "t=\r\n"}));
}

TEST_F(Forms, GlyphControlsShowFocusOnThePageAndPassPageKeysOn) {
  std::string Html = "<p><input type=checkbox name=c> <input type=radio name=r></p>";
  for (int I = 0; I < 100; ++I) Html += "<p>line</p>";
  Load(Html);
  HWND Panel = FViewer->PaintPanel()->Handle();
  // The column left of the glyph (K pixels further for a box), where the focus frame's
  // dots fall; they are counted against the same column before any focus.
  auto Column = [&](TFormControlObj* C, int K) {
    InvalidateRect(Panel, nullptr);
    UpdateWindow(Panel);
    const TWindowPixels Pixels = CaptureWindowPixels(Panel);
    HWND F = C->WindowControl()->Handle();
    if (GetParent(F) != Panel) F = GetParent(F);  // the radio button's frame panel
    const int L = TWinControl::FromHandle(F)->Left(), T = TWinControl::FromHandle(F)->Top();
    std::vector<uint32_t> Out;
    for (int Y = T - 2 * K - 1; Y < T - K + 17; ++Y) Out.push_back(Pixels.At(L - K - 2, Y));
    return Out;
  };
  auto Dots = [](const std::vector<uint32_t>& A, const std::vector<uint32_t>& B) {
    int N = 0;
    for (size_t I = 0; I < A.size(); ++I) N += A[I] != B[I] ? 1 : 0;
    return N;
  };
  const auto BoxPlain = Column(Control(0), 1), RadioPlain = Column(Control(1), 0);
  Control(0)->WindowControl()->SetFocus();
  EXPECT_GE(Dots(Column(Control(0), 1), BoxPlain), 8);
  Control(1)->WindowControl()->SetFocus();
  EXPECT_EQ(Dots(Column(Control(0), 1), BoxPlain), 0);
  EXPECT_GE(Dots(Column(Control(1), 0), RadioPlain), 8);
  // Page keys on a radio button scroll the page; the focus stays.
  InjectKeyDown(VK_NEXT);
  ProcessMessages();
  EXPECT_GT(FViewer->VScrollPos(), 0);
  EXPECT_EQ(GetFocus(), Control(1)->WindowControl()->Handle());
}

// Tab and Shift+Tab go through the controls in document order, hidden fields left out,
// and the page scrolls to a control far below the window when it takes the focus.
TEST_F(Forms, TabFollowsTheDocumentAndBringsControlsIntoView) {
  std::string Html = "<form><input name=a><input type=hidden name=h><input type=checkbox name=b>"
                     "<select name=c><option>x</select>";
  for (int I = 0; I < 80; ++I) Html += "<p>line";
  Html += "<p><textarea name=d></textarea><input type=submit name=e></form>";
  Load(Html);
  const int Count = int(FViewer->SectionList()->FormControls.size());
  std::vector<HWND> Order;
  for (int I = 0; I < Count; ++I)
    if (TWinControl* W = Control(I)->WindowControl()) Order.push_back(W->Handle());
  ASSERT_EQ(Order.size(), 5u);
  SetFocus(Order[0]);
  for (size_t I = 1; I < Order.size(); ++I) {
    InjectKeyDown(VK_TAB);
    InjectKeyUp(VK_TAB);
    ProcessMessages();
    EXPECT_EQ(GetFocus(), Order[I]) << I;
  }
  EXPECT_GT(FViewer->VScrollPos(), 0);  // the text area lies far below the window
  const TWinControl* Last = TWinControl::FromHandle(Order.back());
  EXPECT_GE(Last->Top(), 0);
  EXPECT_LE(Last->Top() + Last->Height(), FViewer->PaintPanel()->Height());
  InjectKeyDown(VK_SHIFT);
  InjectKeyDown(VK_TAB);
  InjectKeyUp(VK_TAB);
  InjectKeyUp(VK_SHIFT);
  ProcessMessages();
  EXPECT_EQ(GetFocus(), Order[3]);
}

TEST_F(Forms, TextAreaWrapModesShapeSubmissionAndHeight) {
  const std::string Long = "alpha beta gamma delta epsilon zeta eta theta";
  std::vector<int> Heights;
  for (const char* Wrap : {"hard", "soft", "off"}) {
    Load(std::string("<textarea name=t cols=10 wrap=") + Wrap + ">" + Long + "</textarea>");
    const auto Pairs = Control(0)->Form()->CollectPairs();
    ASSERT_EQ(Pairs.size(), 1u);
    Heights.push_back(static_cast<TTextAreaFormControlObj*>(Control(0))->Memo()->Height());
    if (std::string(Wrap) == "hard") {
      EXPECT_GT(std::count(Pairs[0].begin(), Pairs[0].end(), '\n'), 1) << Pairs[0];
      std::string Joined = Pairs[0];
      // Only line breaks were added: the words are all there, in order.
      std::string Plain;
      for (size_t I = 0; I < Joined.size(); ++I)
        if (Joined.compare(I, 2, "\r\n") == 0) {
          if (!Plain.empty() && Plain.back() != ' ') Plain += ' ';
          ++I;
        } else {
          Plain += Joined[I];
        }
      while (Plain.find("  ") != std::string::npos) Plain.erase(Plain.find("  "), 1);
      EXPECT_EQ(Plain, "t=" + Long);
      EXPECT_NE(Joined.substr(Joined.size() - 2), "\r\n");
    } else {
      EXPECT_EQ(Pairs[0], "t=" + Long) << Wrap;
    }
  }
  // The rows asked for fit above the horizontal scroll bar that only "off" shows.
  EXPECT_EQ(Heights[0], Heights[1]);
  EXPECT_EQ(Heights[2], Heights[0] + GetSystemMetrics(SM_CYHSCROLL));
}

TEST_F(Forms, ImageInputSubmitsThePointClicked) {
  Load("<form action=a.cgi><input type=hidden name=h value=1>"
       "<input type=image name=m src=missing.gif width=40 height=30></form>");
  const int X = FViewer->MarginWidth, Y = FViewer->MarginHeight;
  InjectClickAt(FViewer->PaintPanel()->Handle(), mbLeft, X + 7, Y + 9);
  ProcessMessages();
  EXPECT_EQ(Submits, std::vector<std::string>{"a.cgi|Get|h=1|m.x=7|m.y=9"});
  // Clicking beside it submits nothing.
  InjectClickAt(FViewer->PaintPanel()->Handle(), mbLeft, X + 200, Y + 9);
  ProcessMessages();
  EXPECT_EQ(Submits.size(), 1u);
}

// A print copy paints likenesses where the windows stand and leaves the windows alone.
TEST_F(Forms, PrintCopyPaintsLikenessesInPlace) {
  Load("<input name=q value=WWW><input type=checkbox checked><input type=submit>");
  std::vector<TRect> Before;
  for (int I = 0; I < 3; ++I) {
    TWinControl* W = Control(I)->WindowControl();
    Before.push_back(TRect{W->Left(), W->Top(), W->Left() + W->Width(), W->Top() + W->Height()});
  }
  auto Copy = TSectionList::CreateClone(*FViewer->SectionList());
  TBitmap Page(500, 400);
  int SW = 0, Curs = 0;
  Copy->LayoutCell(&Page.Canvas(), 0, 497, 400, SW, Curs);
  Page.Canvas().FillRect(TRect{0, 0, 500, 400}, clWhite);
  TPaintContext Pass{.Band = TRect{0, 1, 500, 400}};
  Copy->Draw(&Page.Canvas(), Pass, 6000, 0, 0, 0, 0);
  auto Dark = [&](const TRect& R) {
    int N = 0;
    for (int Y = R.Top + 3; Y < R.Bottom - 3; ++Y)
      for (int X = R.Left + 3; X < R.Right - 3; ++X)
        N += (Page.Canvas().GetPixel(X, Y) & 0xFFFFFF) == 0 ? 1 : 0;
    return N;
  };
  for (int I = 0; I < 3; ++I) {
    TWinControl* W = Control(I)->WindowControl();
    EXPECT_EQ(W->Left(), Before[size_t(I)].Left) << I;
    EXPECT_EQ(W->Top(), Before[size_t(I)].Top) << I;
    // Each frame is there with content in it: text, the check mark, the caption.
    EXPECT_GT(Dark(Before[size_t(I)]), 0) << I;
    EXPECT_NE(Page.Canvas().GetPixel(Before[size_t(I)].Left + 1, Before[size_t(I)].Top + 5) & 0xFFFFFF,
              clWhite) << I;
  }
  Copy.reset();
  Control(1)->ClearValue();
  EXPECT_EQ(Control(0)->Form()->CollectPairs(), std::vector<std::string>{"q=WWW"});
}

// Fields wear the colours set on them; the page's text colour, inherited, stays out.
TEST_F(Forms, FieldsWearTheirOwnColoursButNotThePageText) {
  // Text pixels of a control: red ones, or dark ones.
  auto Ink = [](TWinControl* W, bool Red) {
    ProcessMessages();
    const TWindowPixels P = CaptureWindowPixels(W->Handle());
    int N = 0;
    for (int Y = 3; Y < W->Height() - 3; ++Y)
      for (int X = 3; X < W->Width() - 3; ++X) {
        const uint32_t C = P.At(X, Y);
        const int R = (C >> 16) & 0xFF, G = (C >> 8) & 0xFF, B = C & 0xFF;
        N += Red ? R > 0xC0 && G < 0x60 : R < 0x60 && G < 0x60 && B < 0x60;
      }
    return N;
  };
  auto Face = [](TWinControl* W) {
    ProcessMessages();
    return CaptureWindowPixels(W->Handle()).At(W->Width() - 5, W->Height() / 2) & 0xFFFFFF;
  };
  Load("<input value=WWW style='background-color:#ffff00;color:red'>"
       "<input type=submit value=WWW style='background-color:#ffff00;color:red'>");
  for (int I = 0; I < 2; ++I) {
    EXPECT_EQ(Face(Control(I)->WindowControl()), 0xFFFF00u) << I;
    EXPECT_GT(Ink(Control(I)->WindowControl(), true), 10) << I;
  }
  Load("<body bgcolor=black style='color:white'><input value=WWW>");
  EXPECT_EQ(Face(Control(0)->WindowControl()), ColorToPixel(GetSysColor(COLOR_WINDOW)));
  EXPECT_GT(Ink(Control(0)->WindowControl(), false), 10);
}

// A list is as wide as its scroll bar, its widest option and 10 pixels; a drop-down's
// client area is, its frame lying outside.
TEST_F(Forms, ListsAreAsWideAsTheirWidestOption) {
  const std::string Options = "<option>short<option>a much longer option<option>mid one";
  Load("<select size=3>" + Options + "</select><select multiple>" + Options +
       "</select><select>" + Options + "</select>");
  const int Frame[] = {0, 0, 4};
  for (int I = 0; I < 3; ++I) {
    TCustomControl* W = Control(I)->WindowControl();
    TCanvas Measure;
    Measure.Font = W->Font();
    const int Widest = Measure.TextWidth("a much longer option");
    EXPECT_EQ(W->Width(), GetSystemMetrics(SM_CXVSCROLL) + Widest + 10 + Frame[I]) << I;
  }
}

TEST_F(Forms, HugeSizesStayWithinBounds) {
  Load("<input size=2147483647><input size='99999, 1'><select size=2147483647><option>a</select>"
       "<textarea rows=2147483647 cols=2147483647></textarea>"
       "<input type=submit style='width: 99999999px; height: 99999999px'>");
  for (int I = 0; I < 5; ++I) {
    TWinControl* W = Control(I)->WindowControl();
    EXPECT_GT(W->Width(), 0) << I;
    EXPECT_LE(W->Width(), 32000) << I;
    EXPECT_GT(W->Height(), 0) << I;
    EXPECT_LE(W->Height(), 32000) << I;
  }
}

TEST_F(Forms, ThousandsOfControlsLayOutAndScroll) {
  std::string Html = "<form>";
  for (int I = 0; I < 2000; ++I) Html += "<input name=n" + std::to_string(I) + "> ";
  Html += "<select>";
  for (int I = 0; I < 100000; ++I) Html += "<option>item";
  Html += "</select>";
  Load(Html);
  EXPECT_EQ(FViewer->SectionList()->FormControls.size(), 2001u);
  // Only the controls on the surface are shown.
  int Shown = 0;
  for (int I = 0; I < 2001; ++I) Shown += Control(I)->WindowControl()->Visible() ? 1 : 0;
  EXPECT_GT(Shown, 0);
  EXPECT_LT(Shown, 500);
  // Scrolled to the end, the first controls leave and the list comes in.
  ASSERT_TRUE(Control(0)->WindowControl()->Visible());
  FViewer->SetVScrollPos(1 << 30);
  ProcessMessages();
  ProcessMessages();
  EXPECT_FALSE(Control(0)->WindowControl()->Visible());
  EXPECT_TRUE(Control(2000)->WindowControl()->Visible());
}

}  // namespace

namespace {

// Going back in the history finds the forms as they were left.
TEST_F(Forms, TheHistoryKeepsWhatTheFormsHeld) {
  FViewer->SetHistoryMaxCount(5);
  const std::string dir = ::testing::TempDir();
  const std::string a = dir + "forms_history_a.html", b = dir + "forms_history_b.html";
  {
    std::ofstream(a) << "<form><input name=q value=start><input type=checkbox name=c>"
                        "<select name=s><option>one<option>two</select></form>";
    std::ofstream(b) << "<p>elsewhere";
  }
  FViewer->LoadFromFile(a);
  auto* edit = static_cast<TEditFormControlObj*>(Control(0));
  edit->Edit()->SetText("typed");
  static_cast<TCheckBoxFormControlObj*>(Control(1))->SetChecked(true);
  static_cast<TComboFormControlObj*>(Control(2))->Combo()->SetItemIndex(1);
  FViewer->LoadFromFile(b);
  FViewer->SetHistoryIndex(1);
  ASSERT_EQ(FViewer->CurrentFile(), a);
  EXPECT_EQ(static_cast<TEditFormControlObj*>(Control(0))->Edit()->Text(), "typed");
  EXPECT_TRUE(static_cast<TCheckBoxFormControlObj*>(Control(1))->Checked());
  EXPECT_EQ(static_cast<TComboFormControlObj*>(Control(2))->Combo()->ItemIndex(), 1);
  std::remove(a.c_str());
  std::remove(b.c_str());
}

}  // namespace
