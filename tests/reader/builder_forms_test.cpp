// Forms read from HTML: which controls are made, what they submit, resets, radio groups,
// implicit forms, and large or stray input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/forms/form.h"
#include "tests/reader/builder_test_util.h"
#include "toolkit/controls/controls_button.h"
#include "toolkit/controls/controls_edit.h"

namespace {

using TPairs = std::vector<std::string>;

ThtmlForm* FormAt(TBuiltDoc& D, int I) {
  return I < D.Doc.Forms.Count() ? dynamic_cast<ThtmlForm*>(D.Doc.Forms[I]) : nullptr;
}

template <class T>
T* ControlOf(TBuiltDoc& D, int Index) {
  return dynamic_cast<T*>(static_cast<TFormControlObj*>(D.Doc.FormControls.at(size_t(Index))));
}

TEST(BuilderForms, SubmissionOfEveryKind) {
  struct Case {
    const char* Html;
    TPairs Pairs;
  };
  const Case Cases[] = {
      {"<form><input name=a value='x y&amp;z'></form>", {"a=x y&z"}},
      {"<form><input type=password name=p value=s></form>", {"p=s"}},
      {"<form><input type=hidden name=h value=1><input type=HIDDEN name=k></form>", {"h=1", "k="}},
      {"<form><input type=checkbox name=a checked><input type=checkbox name=b value=v></form>",
       {"a=on"}},
      {"<form><input type=radio name=g value=1><input type=radio name=g value=2 checked></form>",
       {"g=2"}},
      {"<form><textarea name=t>one\n&lt;b&gt; <i>two</textarea></form>", {"t=one\r\n<b> <i>two"}},
      {"<form><select name=s><option>a<option selected value=B>b</select></form>", {"s=B"}},
      {"<form><select name=s><option>a<option>b</select></form>", {"s=a"}},
      {"<form><select name=s></select></form>", {}},
      {"<form><select name=s multiple><option>a<option selected>b<option selected>c</select>"
       "</form>",
       {"s=b", "s=c"}},
      {"<form><input type=submit name=go><input type=reset><input type=button></form>", {}},
      {"<form><input value=anon></form>", {"=anon"}},
      {"<form><input type=image name=m src=x.gif></form>", {}},
  };
  for (const Case& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    ThtmlForm* F = FormAt(D, 0);
    ASSERT_NE(F, nullptr) << C.Html;
    EXPECT_EQ(F->CollectPairs(), C.Pairs) << C.Html;
  }
}

// A BODY tag after a form has opened, before anything shows, keeps the form: the controls
// after it still join it (the form was freed under the builder, which went on using it).
TEST(BuilderForms, ABodyTagInsideAnOpenFormKeepsTheForm) {
  struct Case {
    const char* Html;
    TPairs Pairs;
  };
  const Case Cases[] = {
      {"<input type=hidden name=h value=1><body><select name=s><option>a</select>",
       {"h=1", "s=a"}},
      {"<form action=x><input type=hidden name=h value=1><body><input name=a value=2></form>",
       {"h=1", "a=2"}},
  };
  for (const Case& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    ASSERT_EQ(D.Doc.Forms.Count(), 1) << C.Html;
    EXPECT_EQ(FormAt(D, 0)->CollectPairs(), C.Pairs) << C.Html;
  }
}

TEST(BuilderForms, ControlKindsAndSizes) {
  TBuiltDoc D;
  D.Build("<form><input type=TEXT size=7><input size='20, 1'><input size=abc>"
          "<input size='x, 1'><select size=3><option>a</select><select><option>a</select>"
          "<textarea rows=2 cols=9 wrap=hard></textarea><input type=whatever></form>");
  ASSERT_EQ(D.Doc.FormControls.size(), 8u);
  EXPECT_EQ(ControlOf<TEditFormControlObj>(D, 0)->FChars, 7);
  EXPECT_EQ(ControlOf<TEditFormControlObj>(D, 1)->FChars, 20);
  EXPECT_EQ(ControlOf<TEditFormControlObj>(D, 2)->FChars, 15);
  EXPECT_EQ(ControlOf<TEditFormControlObj>(D, 3)->FChars, 20);
  EXPECT_NE(ControlOf<TListBoxFormControlObj>(D, 4), nullptr);
  EXPECT_EQ(ControlOf<TComboFormControlObj>(D, 4), nullptr);
  EXPECT_NE(ControlOf<TComboFormControlObj>(D, 5), nullptr);
  auto* T = ControlOf<TTextAreaFormControlObj>(D, 6);
  ASSERT_NE(T, nullptr);
  EXPECT_EQ(T->FRows, 2);
  EXPECT_EQ(T->FCols, 9);
  EXPECT_EQ(T->FWrap, 2);
  EXPECT_NE(ControlOf<TEditFormControlObj>(D, 7), nullptr);
  // Style colours the control's face.
  TBuiltDoc Styled;
  Styled.Build("<input style='background-color: #00FF00'><select style='background-color: red'>"
               "</select>");
  EXPECT_EQ(ControlOf<TFormControlObj>(Styled, 0)->WindowControl()->Color() & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(ControlOf<TFormControlObj>(Styled, 1)->WindowControl()->Color() & 0xFFFFFF, 0x0000FFu);
  // Each visible control stands in the text as one placeholder.
  std::string Text;
  for (auto& S : Sections(D.Doc)) Text += S.Section->FText;
  EXPECT_EQ(std::count(Text.begin(), Text.end(), ccFormControl), 8);
}

TEST(BuilderForms, PreformattedTextKeepsItsControlsAndTheTextAround) {
  TBuiltDoc D;
  D.Build("<pre>a <input name=x> b\n<form><select name=s><option>o</select>c"
          "<textarea name=t>1 <b>2</b></textarea>d</form><input name=y></pre>");
  std::string Text;
  for (auto& S : Sections(D.Doc)) Text += S.Section->FText + "|";
  EXPECT_NE(Text.find("a \x02 b"), std::string::npos) << Text;
  EXPECT_NE(Text.find("\x02" "c\x02" "d|\x02|"), std::string::npos) << Text;
  ASSERT_EQ(D.Doc.Forms.Count(), 3);
  EXPECT_EQ(FormAt(D, 1)->CollectPairs(), (TPairs{"s=o", "t=1 <b>2</b>"}));
  EXPECT_EQ(FormAt(D, 2)->CollectPairs(), (TPairs{"y="}));
  // The form's lines stand in a block of their own inside the pre block; the text after
  // the form end does not.
  const auto All = Sections(D.Doc);
  for (auto& S : All) {
    const std::string& T = S.Section->FText;
    if (T.find("c\x02") != std::string::npos) {
      EXPECT_EQ(S.Blocks.size(), 3u) << T;
    } else if (T.find("a \x02") != std::string::npos) {
      EXPECT_EQ(S.Blocks.size(), 2u) << T;
    }
  }
  EXPECT_EQ(All.back().Section->FText, "\x02");
  EXPECT_EQ(All.back().Blocks.size(), 2u);
}

TEST(BuilderForms, ResetRestoresDefaults) {
  TBuiltDoc D;
  D.Build("<form><input name=e value=x><input type=checkbox name=c checked>"
          "<input type=radio name=r value=1 checked><input type=radio name=r value=2>"
          "<select name=s><option>a<option selected>b</select>"
          "<textarea name=t>first</textarea></form>");
  ThtmlForm* F = FormAt(D, 0);
  ASSERT_NE(F, nullptr);
  const TPairs Defaults = F->CollectPairs();
  EXPECT_EQ(Defaults, (TPairs{"e=x", "c=on", "r=1", "s=b", "t=first"}));
  for (const auto& C : F->Controls()) C->LoadValue(0, "2");
  ControlOf<TCheckBoxFormControlObj>(D, 1)->ClearValue();
  EXPECT_EQ(F->CollectPairs(), (TPairs{"e=2", "r=2", "s=b", "t=2"}));
  F->ResetAll();
  EXPECT_EQ(F->CollectPairs(), Defaults);
}

TEST(BuilderForms, RadioGroupIgnoresCaseAndStaysInItsForm) {
  TBuiltDoc D;
  D.Build("<form><input type=radio name=g value=1 checked><input type=radio name=G value=2>"
          "<input type=radio name=h value=3 checked></form>"
          "<form><input type=radio name=g value=4 checked></form>");
  auto* Second = ControlOf<TRadioButtonFormControlObj>(D, 1);
  ASSERT_NE(Second, nullptr);
  Second->SetChecked(true);
  Second->Form()->UncheckGroupPeers(Second);
  EXPECT_EQ(FormAt(D, 0)->CollectPairs(), (TPairs{"G=2", "h=3"}));
  EXPECT_EQ(FormAt(D, 1)->CollectPairs(), (TPairs{"g=4"}));
}

TEST(BuilderForms, ControlsOutsideFormsShareImplicitFormsThatAFormEndCloses) {
  TBuiltDoc D;
  D.Build("<input name=a><p><input name=b></form><input name=c>"
          "<form action=x method=post><input name=d></form><table><tr><td><input name=e>"
          "</table>");
  ASSERT_EQ(D.Doc.Forms.Count(), 4);
  EXPECT_EQ(FormAt(D, 0)->CollectPairs(), (TPairs{"a=", "b="}));
  EXPECT_EQ(FormAt(D, 1)->CollectPairs(), (TPairs{"c="}));
  EXPECT_EQ(FormAt(D, 2)->FAction, "x");
  EXPECT_EQ(FormAt(D, 2)->FMethod, "post");
  EXPECT_EQ(FormAt(D, 1)->FMethod, "Get");
  EXPECT_EQ(FormAt(D, 3)->CollectPairs(), (TPairs{"e="}));
}

TEST(BuilderForms, SubmitHandsPairsAndButtonToTheDocumentHook) {
  TBuiltDoc D;
  std::vector<std::string> Calls;
  D.Doc.Hooks.OnFormSubmit = [&](TObject*, const std::string& Action, const std::string& Target,
                           const std::string& EncType, const std::string& Method,
                           TStringList* Results) {
    std::string S = Action + "|" + Target + "|" + EncType + "|" + Method;
    for (int I = 0; I < Results->Count(); ++I) S += "|" + (*Results)[I];
    Calls.push_back(S);
  };
  D.Build("<form target=t enctype=e><input name=q value=1><input type=submit name=go value=Go>"
          "<input type=submit value=Plain></form>"
          "<form action=/a><input type=image name=m src=x.gif></form>");
  ControlOf<TButtonFormControlObj>(D, 1)->Clicked();
  ControlOf<TButtonFormControlObj>(D, 2)->Clicked();
  auto* Image = ControlOf<TImageFormControlObj>(D, 3);
  Image->ImageClicked(5, 7);
  Image->Form()->Submit({});  // no new click: no coordinates
  EXPECT_EQ(Calls, (std::vector<std::string>{"|t|e|Get|q=1|go=Go", "|t|e|Get|q=1",
                                             "/a|||Get|m.x=5|m.y=7", "/a|||Get"}));
}

TEST(BuilderForms, ObjectEventsCarryTheirScripts) {
  TBuiltDoc D;
  std::vector<std::string> Events;
  auto Record = [&](const char* Kind) {
    return [&, Kind](TObject*, TObject*, const std::string& Text) {
      Events.push_back(std::string(Kind) + ":" + Text);
    };
  };
  D.Doc.Hooks.OnObjectClick = Record("click");
  D.Doc.Hooks.OnObjectFocus = Record("focus");
  D.Doc.Hooks.OnObjectBlur = Record("blur");
  D.Doc.Hooks.OnObjectChange = Record("change");
  D.Build("<input type=checkbox onclick=c onfocus=f onblur=b onchange=x>"
          "<select onchange=y><option>a<option>b</select>");
  auto* Box = ControlOf<TCheckBoxFormControlObj>(D, 0);
  Box->FocusGained();
  Box->SetChecked(true);
  Box->Clicked();
  Box->FocusLost();
  Box->FocusGained();
  Box->FocusLost();  // unchanged: no change event
  auto* Combo = ControlOf<TComboFormControlObj>(D, 1);
  Combo->FocusGained();
  Combo->LoadValue(0, "b");
  Combo->FocusLost();  // lists compare but raise nothing
  EXPECT_EQ(Events, (std::vector<std::string>{"focus:f", "click:c", "change:x", "blur:b",
                                              "focus:f", "blur:b"}));
}

TEST(BuilderForms, LargeAndStrayInputStaysCheap) {
  std::string Html = "<form><select name=s multiple>";
  for (int I = 0; I < 100000; ++I) Html += "<option" + std::string(I == 99999 ? " selected" : "") + ">o";
  Html += "</select>";
  for (int I = 0; I < 3000; ++I) Html += "<input name=i><textarea>&amp;<b></textarea>";
  Html += "</form></form><option>stray</option><select></select><textarea>";
  TBuiltDoc D;
  D.Build(Html);
  auto* List = ControlOf<TListBoxFormControlObj>(D, 0);
  ASSERT_NE(List, nullptr);
  EXPECT_EQ(List->OptionCount(), 100000);
  EXPECT_EQ(FormAt(D, 0)->Controls().size(), 6001u);
  EXPECT_EQ(ControlOf<TTextAreaFormControlObj>(D, 2)->FInitial, "&<b>");
  // The unclosed select and text area at the end hold nothing and harm nothing.
  EXPECT_EQ(D.Doc.FormControls.size(), 6003u);
  TPairs Pairs = FormAt(D, 0)->CollectPairs();
  EXPECT_EQ(Pairs.front(), "s=o");
}

}  // namespace
