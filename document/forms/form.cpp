// Forms: the form object, its controls' creation, events and submission.
#include "document/forms/form.h"

#include <cstdlib>

#include <algorithm>
#include <cctype>

#include "document/core/section_list.h"
#include "style/properties.h"
#include "toolkit/controls/controls_button.h"
#include "toolkit/controls/controls_edit.h"
#include "toolkit/controls/controls_list.h"

namespace {

bool SameText(const std::string& A, const std::string& B) {
  return A.size() == B.size() &&
         std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           return std::tolower(static_cast<unsigned char>(X)) ==
                  std::tolower(static_cast<unsigned char>(Y));
         });
}

std::string LowerCut(std::string S, size_t Limit) {
  if (S.size() > Limit) S.resize(Limit);
  for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return S;
}

// Controls start out of sight until layout places them.
constexpr int HiddenTop = -400;

}  // namespace

TControlKind InputKind(const std::string& Type) {
  const std::string T = LowerCut(Type, 20);
  if (T == "password") return TControlKind::Password;
  if (T == "submit") return TControlKind::Submit;
  if (T == "reset") return TControlKind::Reset;
  if (T == "button") return TControlKind::Button;
  if (T == "radio") return TControlKind::Radio;
  if (T == "checkbox") return TControlKind::CheckBox;
  if (T == "hidden") return TControlKind::Hidden;
  if (T == "image") return TControlKind::Image;
  return TControlKind::Edit;
}

// ---- ThtmlForm ------------------------------------------------------------------------

ThtmlForm::ThtmlForm(TSectionList* ADoc, const TFormAttributes& A)
    : FDoc(ADoc), FAction(A.Action), FTarget(A.Target), FEncType(A.EncType) {
  if (!A.Method.empty()) FMethod = A.Method.substr(0, 4);
}

ThtmlForm::~ThtmlForm() = default;

void ThtmlForm::AddControl(std::unique_ptr<TFormControlObj> Control) {
  if (!dynamic_cast<THiddenFormControlObj*>(Control.get())) ++FVisibleCount;
  FControls.push_back(std::move(Control));
}

void ThtmlForm::UncheckGroupPeers(TRadioButtonFormControlObj* Radio) {
  if (!Radio || Radio->FName.empty()) return;
  for (const auto& C : FControls) {
    auto* Peer = dynamic_cast<TRadioButtonFormControlObj*>(C.get());
    if (!Peer || Peer == Radio || !SameText(Peer->FName, Radio->FName)) continue;
    Peer->SetChecked(false);
    Peer->CompareWithSaved();
  }
}

void ThtmlForm::ResetAll() {
  for (const auto& C : FControls) C->RestoreDefault();
}

std::vector<std::string> ThtmlForm::CollectPairs() {
  std::vector<std::string> Pairs;
  for (const auto& C : FControls) {
    std::string S;
    for (int I = 0; C->SubmitPart(I, S); ++I) {
      if (!S.empty()) Pairs.push_back(S);
      S.clear();
    }
  }
  return Pairs;
}

void ThtmlForm::Submit(const std::string& ButtonSubmission) {
  if (!FDoc || !FDoc->Hooks.OnFormSubmit) return;
  TStringList Results;
  for (const std::string& S : CollectPairs()) Results.Add(S);
  if (!ButtonSubmission.empty()) Results.Add(ButtonSubmission);
  FDoc->Hooks.OnFormSubmit(FDoc->Viewer, FAction, FTarget, FEncType, FMethod, &Results);
}

void ThtmlForm::EditKeyPress(TObject* /*Sender*/, char& Key) {
  if (Key != '\r') return;
  Key = 0;
  Submit({});
}

void ThtmlForm::RadioKeyDown(TObject* Sender, int& Key, TShiftState Shift) {
  if (Key != VK_LEFT && Key != VK_UP && Key != VK_RIGHT && Key != VK_DOWN) {
    // A radio button has no use for other keys: the page scrolls by them.
    if (FDoc && FDoc->Hooks.OnControlKeyDown) FDoc->Hooks.OnControlKeyDown(Key, Shift);
    return;
  }
  TRadioButtonFormControlObj* From = nullptr;
  for (const auto& C : FControls)
    if (auto* R = dynamic_cast<TRadioButtonFormControlObj*>(C.get());
        R && R->WindowControl() == Sender)
      From = R;
  if (!From) return;
  std::vector<TRadioButtonFormControlObj*> Group;
  for (const auto& C : FControls)
    if (auto* R = dynamic_cast<TRadioButtonFormControlObj*>(C.get());
        R && SameText(R->FName, From->FName))
      Group.push_back(R);
  const auto At = std::find(Group.begin(), Group.end(), From) - Group.begin();
  const bool Back = Key == VK_LEFT || Key == VK_UP;
  Key = 0;
  const auto To = Back ? std::max<ptrdiff_t>(At - 1, 0)
                       : std::min<ptrdiff_t>(At + 1, ptrdiff_t(Group.size()) - 1);
  if (To != At) Group[size_t(To)]->WindowControl()->SetFocus();
}

void ThtmlForm::SetSizes(TCanvas* Canvas) {
  if (!Canvas) return;
  for (const auto& C : FControls) C->FitSize(Canvas);
}

std::unique_ptr<TObject> ThtmlForm::GetFormControlData() {
  auto List = std::make_unique<TStringList>();
  for (const std::string& S : CollectPairs()) List->Add(S);
  return List;
}

ThtmlForm* CreateForm(TSectionList* Doc, const TFormAttributes& A) {
  return static_cast<ThtmlForm*>(Doc->Forms.Add(std::make_unique<ThtmlForm>(Doc, A)));
}

// ---- TFormControlObj ------------------------------------------------------------------

TFormControlObj::TFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                 const TControlAttributes& A, int Position)
    : FPos(Position),
      FDoc(ADoc),
      FForm(AForm),
      FValue(A.Value),
      FName(A.Name),
      FID(A.ID),
      FOnClickText(A.OnClick),
      FOnFocusText(A.OnFocus),
      FOnBlurText(A.OnBlur),
      FOnChangeText(A.OnChange) {}

TFormControlObj::~TFormControlObj() { Detach(FWinControl.get()); }

void TFormControlObj::Detach(TCustomControl* Control) {
  // A focused window loses the focus as it goes: nothing of a dying control may answer.
  if (!Control) return;
  Control->OnEnter = nullptr;
  Control->OnExit = nullptr;
  Control->OnClick = nullptr;
  Control->OnKeyDown = nullptr;
  Control->OnKeyPress = nullptr;
}

void TFormControlObj::Attach(std::unique_ptr<TCustomControl> Control, int W, int H) {
  FWinControl = std::move(Control);
  FWinControl->SetBounds(0, HiddenTop, W, H);
  FWinControl->OnEnter = [this](TObject*) { FocusGained(); };
  FWinControl->OnExit = [this](TObject*) { FocusLost(); };
  FWinControl->OnClick = [this](TObject*) { Clicked(); };
}

int TFormControlObj::Width() const {
  const TWinControl* F = Frame();
  return F ? F->Width() : 0;
}

int TFormControlObj::ControlHeight() const {
  const TWinControl* F = Frame();
  return F ? F->Height() : 0;
}

int TFormControlObj::Height() const { return ControlHeight() + 2 * FVSpace; }

void TFormControlObj::TakeStyle(const TProperties& Props) {
  const int Em = Props.FEmPixels > 0 ? Props.FEmPixels : 16;
  const int Ex = Props.FExPixels > 0 ? Props.FExPixels : 8;
  auto Pixels = [&](int Index, int& Out) {
    const TPropValue& V = Props[Index];
    if (V.IsString()) {
      if (V.AsString() == "auto") return false;
      Out = LengthToPixels(V.AsString(), false, 200, Em, Ex, Out);
      return true;
    }
    if (V.IsInteger() && V.AsInteger() != NoValue) {
      Out = V.AsInteger();
      return true;
    }
    return false;
  };
  if (int H = 0; Pixels(piMarginLeft, H)) FHSpace = std::clamp(H, 0, 1000);
  if (int V = 0; Pixels(piMarginTop, V)) FVSpace = std::clamp(V, 0, 1000);
  if (int W = 0; Pixels(piWidth, W) && W > 0) FStyleWidth = std::min(W, 32000);
  if (int H = 0; Pixels(piHeight, H) && H > 0) FStyleHeight = std::min(H, 32000);
  if (Props[piVerticalAlign].IsString()) {
    const std::string_view VA = Props[piVerticalAlign].AsString();
    if (VA == "top" || VA == "text-top") FVAlign = TVerticalAlign::Top;
    else if (VA == "middle") FVAlign = TVerticalAlign::Middle;
    else if (VA == "baseline") FVAlign = TVerticalAlign::Baseline;
    else if (VA == "bottom" || VA == "text-bottom") FVAlign = TVerticalAlign::Bottom;
  }
  if (FWinControl) {
    if (auto Font = const_cast<TProperties&>(Props).ElementFont()) FWinControl->SetFont(*Font);
    if (const TColor Back = Props.BackgroundColorValue(); Back != NoColour)
      FWinControl->SetColor(Back);
    // Only a colour set on the control itself: the page's text colour, inherited, would
    // vanish into fields of the system's colour.
    if (const TColor Ink = Props.OwnColorValue(); Ink != NoColour) FWinControl->SetTextColor(Ink);
  }
}

void TFormControlObj::DrawControl(TCanvas* Canvas, int X, int Top, bool Printing) {
  if (Printing) {
    if (!Frame()) return;
    // The section draws text on baselines; the likeness places its text by the top.
    const unsigned Align = Canvas->SetTextAlign(TA_TOP);
    const int BkMode = Canvas->SetBkMode(TRANSPARENT);
    const TFontSpec Font = Canvas->Font;
    PaintLikeness(Canvas, X + FHSpace, Top + FVSpace);
    Canvas->Font = Font;
    Canvas->SetBkMode(BkMode);
    Canvas->SetTextAlign(Align);
    return;
  }
  TWinControl* F = Frame();
  if (!F) return;
  FShown = true;
  if (F->Left() != X + FHSpace || F->Top() != Top + FVSpace)
    F->SetBounds(X + FHSpace, Top + FVSpace, F->Width(), F->Height());
  if (!F->Visible()) F->Show();
  if (const int K = FocusFrameInset(); K >= 0 && HasFocus()) {
    const int L = X + FHSpace, T = Top + FVSpace;
    Canvas->DrawFocusRect(TRect{L - K - 2, T - 2 * K - 1, L + 16, T - K + 17});
  }
}

void TFormControlObj::Hide() {
  if (TWinControl* F = Frame(); F && F->Visible()) F->Hide();
}

void TFormControlObj::ParkOffSurface() {
  TWinControl* F = Frame();
  if (!F) return;
  F->SetBounds(-4000, F->Top(), F->Width(), F->Height());
  F->Show();
}

bool TFormControlObj::HasFocus() const {
  const TCustomControl* W = WindowControl();
  return W && W->Focused();
}

void TFormControlObj::FocusGained() {
  if (!FDoc || FDoc->PrintsPages()) return;
  FActive = true;
  if (FDoc->PaintPanel) InvalidateRect(FDoc->PaintPanel, nullptr, true);
  if (FDoc->Hooks.OnControlEnter) FDoc->Hooks.OnControlEnter(this);
  // Tab movement must reach the controls layout has not placed.
  for (TDocControl* C : FDoc->FormControls)
    if (!C->Shown()) C->ParkOffSurface();
  if (FDoc->Hooks.OnObjectFocus && !FOnFocusText.empty())
    FDoc->Hooks.OnObjectFocus(FDoc->Viewer, this, FOnFocusText);
  if (!FOnChangeText.empty()) SaveState();
}

void TFormControlObj::FocusLost() {
  if (!FDoc) return;
  FActive = false;
  if (!FOnChangeText.empty()) CompareWithSaved();
  if (FDoc->Hooks.OnObjectBlur && !FOnBlurText.empty())
    FDoc->Hooks.OnObjectBlur(FDoc->Viewer, this, FOnBlurText);
  if (FDoc->PaintPanel) InvalidateRect(FDoc->PaintPanel, nullptr, true);
}

void TFormControlObj::Clicked() {
  if (FDoc && FDoc->Hooks.OnObjectClick)
    FDoc->Hooks.OnObjectClick(FDoc->Viewer, this, FOnClickText);
  if (auto* B = dynamic_cast<TButtonFormControlObj*>(this)) {
    if (B->FKind == TButtonKind::Reset) FForm->ResetAll();
    else if (B->FKind == TButtonKind::Submit) FForm->Submit(FName.empty() ? "" : Pair(FValue));
  } else if (auto* R = dynamic_cast<TRadioButtonFormControlObj*>(this)) {
    FForm->UncheckGroupPeers(R);
  }
}

void TFormControlObj::RaiseChange() {
  if (FDoc && FDoc->Hooks.OnObjectChange)
    FDoc->Hooks.OnObjectChange(FDoc->Viewer, this, FOnChangeText);
}

void TFormControlObj::PaintFrame(TCanvas* Canvas, int X, int Y, bool Raised) {
  const bool Mono = Canvas->IsMonochrome();
  const TColor Light = Mono ? clBlack : TColor(0xC0C0C0);
  const TColor Dark = Mono ? clBlack : SysColor(COLOR_BTNSHADOW);
  const int W = Width(), H = ControlHeight();
  Canvas->Brush.Color = clWhite;
  Canvas->Brush.Style = bsSolid;
  Canvas->FillRect(TRect{X, Y, X + W, Y + H});
  Canvas->Pen.Width = 2;
  Canvas->Outline3D(X + 1, Y + 1, X + W - 1, Y + H - 1, Raised ? Light : Dark,
                    Raised ? Dark : Light);
  Canvas->Pen.Width = 1;
  Canvas->Brush.Style = bsClear;
  if (FWinControl) Canvas->Font = FWinControl->Font();
  Canvas->SetTextColor(clBlack);
}

// ---- edit -----------------------------------------------------------------------------

TEditFormControlObj::TEditFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                         const TControlAttributes& A, int Position)
    : TFormControlObj(ADoc, AForm, A, Position) {
  auto E = std::make_unique<TEdit>(nullptr, ADoc->PaintPanel, 0, HiddenTop, 120, 20);
  E->SetText(FValue);
  if (A.MaxLength > 0) E->SetMaxLength(A.MaxLength);
  if (LowerCut(A.Type, 20) == "password") E->SetPasswordChar('*');
  E->OnKeyPress = [this](TObject* Sender, char& Key) { FForm->EditKeyPress(Sender, Key); };
  Attach(std::move(E), 120, 20);
  // Wider than any surface is no use, and the width in pixels must not overflow.
  constexpr int MaxChars = 4000;
  if (A.HasSize && A.SizeNum > 0) {
    FChars = std::min(A.SizeNum, MaxChars);
  } else if (const size_t Comma = A.Size.find(','), Space = A.Size.find(' ');
             Comma != std::string::npos && Space != std::string::npos) {
    const std::string Head = A.Size.substr(0, std::min(Comma, Space));
    FChars = 20;
    if (!Head.empty() && Head.size() < 6 &&
        std::all_of(Head.begin(), Head.end(), [](char C) { return C >= '0' && C <= '9'; }))
      FChars = std::min(std::stoi(Head), MaxChars);
  }
}

TEdit* TEditFormControlObj::Edit() const { return static_cast<TEdit*>(FWinControl.get()); }

void TEditFormControlObj::FitSize(TCanvas* Canvas) {
  Canvas->Font = Edit()->Font();
  const int W = FStyleWidth >= 10 ? FStyleWidth
                                  : std::min(Canvas->TextWidth("0") * FChars + 5, 32000);
  const int H = FStyleHeight >= 10 ? std::max(FWinControl->Height(), FStyleHeight)
                                   : FWinControl->Height();
  FWinControl->SetBounds(FWinControl->Left(), FWinControl->Top(), W, H);
}

void TEditFormControlObj::SaveState() { FSaved = Edit()->Text(); }
void TEditFormControlObj::CompareWithSaved() {
  if (Edit()->Text() != FSaved) RaiseChange();
}
void TEditFormControlObj::RestoreDefault() { Edit()->SetText(FValue); }
bool TEditFormControlObj::SubmitPart(int Index, std::string& S) {
  if (Index != 0) return false;
  S = Pair(Edit()->Text());
  return true;
}
void TEditFormControlObj::LoadValue(int /*Index*/, const std::string& S) { Edit()->SetText(S); }

void TEditFormControlObj::PaintLikeness(TCanvas* Canvas, int X, int Y) {
  PaintFrame(Canvas, X, Y, false);
  const std::string Shown = Edit()->PasswordChar()
                                ? std::string(Edit()->Text().size(), Edit()->PasswordChar())
                                : Edit()->Text();
  const int H = Canvas->TextHeight("A");
  Canvas->TextRect(TRect{X + 4, Y, X + Width() - 4, Y + ControlHeight()}, X + 4,
                   Y + (ControlHeight() - H) / 2, Shown);
}

// ---- buttons --------------------------------------------------------------------------

TButtonFormControlObj::TButtonFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                             const TControlAttributes& A, int Position,
                                             TButtonKind Kind)
    : TFormControlObj(ADoc, AForm, A, Position), FKind(Kind) {
  if (FValue.empty())
    FValue = Kind == TButtonKind::Submit ? "Submit" : Kind == TButtonKind::Reset ? "Reset" : "Button";
  auto B = std::make_unique<TButton>(nullptr, ADoc->PaintPanel, 0, HiddenTop, 75, 25);
  B->SetCaption(FValue);
  Attach(std::move(B), 75, 25);
}

void TButtonFormControlObj::FitSize(TCanvas* Canvas) {
  Canvas->Font = FWinControl->Font();
  const int TH = Canvas->TextHeight("A");
  const int H = FStyleHeight >= TH && FStyleHeight >= 10 ? FStyleHeight : TH + 8;
  const int W = FStyleWidth >= 10 ? FStyleWidth
                                  : std::min(Canvas->TextWidth(FValue) + 20, 32000);
  FWinControl->SetBounds(FWinControl->Left(), FWinControl->Top(), W, H);
}

void TButtonFormControlObj::PaintLikeness(TCanvas* Canvas, int X, int Y) {
  PaintFrame(Canvas, X, Y, true);
  const TSize S = Canvas->TextExtent(FValue);
  Canvas->TextOut(X + (Width() - S.cx) / 2, Y + (ControlHeight() - S.cy) / 2, FValue);
}

// ---- check box ------------------------------------------------------------------------

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                                 const TControlAttributes& A, int Position)
    : TFormControlObj(ADoc, AForm, A, Position), FInitial(A.Checked) {
  if (FValue.empty()) FValue = "on";
  FVAlign = TVerticalAlign::Baseline;
  auto C = std::make_unique<TCheckBox>(nullptr, ADoc->PaintPanel, 0, HiddenTop, 13, 13);
  C->SetChecked(FInitial);
  Attach(std::move(C), 13, 13);
}

bool TCheckBoxFormControlObj::Checked() const {
  return static_cast<TCheckBox*>(FWinControl.get())->Checked();
}
void TCheckBoxFormControlObj::SetChecked(bool Value) {
  static_cast<TCheckBox*>(FWinControl.get())->SetChecked(Value);
}
void TCheckBoxFormControlObj::SaveState() { FSaved = Checked(); }
void TCheckBoxFormControlObj::CompareWithSaved() {
  if (Checked() != FSaved) RaiseChange();
}
bool TCheckBoxFormControlObj::SubmitPart(int Index, std::string& S) {
  if (Index != 0 || !Checked()) return false;
  S = Pair(FValue);
  return true;
}
void TCheckBoxFormControlObj::LoadValue(int /*Index*/, const std::string& S) {
  SetChecked(SameText(S, FValue));
}

void TCheckBoxFormControlObj::PaintLikeness(TCanvas* Canvas, int X, int Y) {
  PaintFrame(Canvas, X, Y, false);
  if (!Checked()) return;
  const int M = Y + ControlHeight() / 2;
  Canvas->Pen.Color = clBlack;
  Canvas->Pen.Width = 1;
  Canvas->MoveTo(X + 3, M);
  Canvas->LineTo(X + 5, M + 2);
  Canvas->LineTo(X + 9, M - 2);
}

// ---- radio button ---------------------------------------------------------------------

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                                       const TControlAttributes& A,
                                                       int Position)
    : TFormControlObj(ADoc, AForm, A, Position), FInitial(A.Checked) {
  FVAlign = TVerticalAlign::Baseline;
  FPanel = std::make_unique<TPanel>(nullptr, ADoc->PaintPanel, 0, HiddenTop, 13, 14);
  FPanel->SetBevelOuter(bvNone);
  FPanel->Hide();
  FRadio = std::make_unique<TRadioButton>(nullptr, FPanel->Handle(), 0, 0, 13, 13);
  FRadio->GroupName = FName;
  FRadio->SetChecked(FInitial);
  FRadio->OnEnter = [this](TObject*) { FocusGained(); };
  FRadio->OnExit = [this](TObject*) { FocusLost(); };
  FRadio->OnClick = [this](TObject*) { Clicked(); };
  FRadio->OnKeyDown = [this](TObject* Sender, int& Key, TShiftState Shift) {
    FForm->RadioKeyDown(Sender, Key, Shift);
  };
}

TRadioButtonFormControlObj::~TRadioButtonFormControlObj() {
  // The button lives inside the panel: it goes first.
  Detach(FRadio.get());
  FRadio.reset();
  FPanel.reset();
}

TCustomControl* TRadioButtonFormControlObj::WindowControl() const { return FRadio.get(); }

void TRadioButtonFormControlObj::DrawControl(TCanvas* Canvas, int X, int Top, bool Printing) {
  if (!Printing && FPanel->Color() != FDoc->PageColor) {
    FPanel->SetColor(FDoc->PageColor);
    FRadio->SetColor(FDoc->PageColor);
  }
  TFormControlObj::DrawControl(Canvas, X, Top, Printing);
}
TWinControl* TRadioButtonFormControlObj::Frame() const { return FPanel.get(); }
bool TRadioButtonFormControlObj::Checked() const { return FRadio->Checked(); }
void TRadioButtonFormControlObj::SetChecked(bool Value) { FRadio->SetChecked(Value); }
void TRadioButtonFormControlObj::SaveState() { FSaved = Checked(); }
void TRadioButtonFormControlObj::CompareWithSaved() {
  if (Checked() != FSaved) RaiseChange();
}
bool TRadioButtonFormControlObj::SubmitPart(int Index, std::string& S) {
  if (Index != 0 || !Checked()) return false;
  S = Pair(FValue);
  return true;
}
void TRadioButtonFormControlObj::LoadValue(int /*Index*/, const std::string& S) {
  SetChecked(SameText(S, FValue));
}

void TRadioButtonFormControlObj::PaintLikeness(TCanvas* Canvas, int X, int Y) {
  const bool Mono = Canvas->IsMonochrome();
  Canvas->Brush.Color = clWhite;
  Canvas->Brush.Style = bsSolid;
  Canvas->Pen.Width = 1;
  Canvas->Pen.Color = Mono ? clBlack : SysColor(COLOR_BTNSHADOW);
  Canvas->Ellipse(X, Y, X + 14, Y + 14);
  if (!Mono) {
    Canvas->Pen.Color = TColor(0xC0C0C0);
    Canvas->Brush.Style = bsClear;
    Canvas->Ellipse(X + 1, Y + 1, X + 14, Y + 14);
  }
  if (!Checked()) return;
  Canvas->Brush.Style = bsSolid;
  Canvas->Brush.Color = clBlack;
  Canvas->Pen.Color = clBlack;
  Canvas->Ellipse(X + 5, Y + 5, X + 9, Y + 9);
}

// ---- hidden and image -----------------------------------------------------------------

bool THiddenFormControlObj::SubmitPart(int Index, std::string& S) {
  if (Index != 0) return false;
  S = Pair(FValue);
  return true;
}

TImageFormControlObj::TImageFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                           const TControlAttributes& A, int Position)
    : TFormControlObj(ADoc, AForm, A, Position) {}

void TImageFormControlObj::ImageClicked(int X, int Y) {
  if (FDoc && FDoc->Hooks.OnObjectClick)
    FDoc->Hooks.OnObjectClick(FDoc->Viewer, this, FOnClickText);
  XPos = X;
  YPos = Y;
  FForm->Submit({});
}

bool TImageFormControlObj::SubmitPart(int Index, std::string& S) {
  if (XPos < 0 || Index > 1) return false;
  const std::string Prefix = FName.empty() ? "" : FName + ".";
  if (Index == 0) {
    S = Prefix + "x=" + std::to_string(XPos);
  } else {
    S = Prefix + "y=" + std::to_string(YPos);
    XPos = -1;
  }
  return true;
}

// ---- list box and drop-down -----------------------------------------------------------

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                               const TControlAttributes& A, int Position,
                                               bool Combo)
    : TFormControlObj(ADoc, AForm, A, Position) {
  if (A.HasSize) LBSize = std::min(A.SizeNum, 1000);
  if (Combo) return;
  auto L = std::make_unique<TListBox>(nullptr, ADoc->PaintPanel, 0, HiddenTop, 120, 40);
  if (A.Multiple) {
    L->SetMultiSelect(true);
    L->ExtendedSelect = true;
  }
  Attach(std::move(L), 120, 40);
}

TListBox* TListBoxFormControlObj::List() const { return static_cast<TListBox*>(FWinControl.get()); }

void TListBoxFormControlObj::AppendOption(const std::string& Text, const std::string& Value,
                                          bool Selected) {
  FOptions.AddObject(Text, new TOptionObj(Value, Selected));
}

void TListBoxFormControlObj::RestoreDefault() {
  TListBox* L = List();
  L->Items().Assign(&FOptions);
  L->ClearSelection();
  bool Any = false;
  for (int I = 0; I < FOptions.Count(); ++I) {
    if (!Option(I)->Selected) continue;
    if (L->MultiSelect()) L->SetSelected(I, true);
    else L->SetItemIndex(I);
    Any = true;
  }
  if (!Any && FOptions.Count() > 0) L->SetItemIndex(0);
  L->SetTopIndex(0);
}

bool TListBoxFormControlObj::SubmitPart(int Index, std::string& S) {
  TListBox* L = List();
  if (Index >= L->Count()) return false;
  const bool Sel = L->MultiSelect() ? L->Selected(Index) : L->ItemIndex() == Index;
  S = Sel && Index < FOptions.Count() ? Pair(Option(Index)->Value) : std::string();
  return true;
}

void TListBoxFormControlObj::LoadValue(int Index, const std::string& S) {
  TListBox* L = List();
  if (Index == 0) {
    L->ClearSelection();
    if (L->Count() > 0) L->SetItemIndex(0);
  }
  for (int I = 0; I < FOptions.Count(); ++I)
    if (SameText(Option(I)->Value, S)) {
      if (L->MultiSelect()) L->SetSelected(I, true);
      else L->SetItemIndex(I);
    }
}

void TListBoxFormControlObj::SaveState() {
  TListBox* L = List();
  FSavedCount = L->Count();
  FSavedSel.assign(size_t(std::min(51, FSavedCount)), false);
  for (int I = 0; I < int(FSavedSel.size()); ++I) FSavedSel[size_t(I)] = L->Selected(I);
}

void TListBoxFormControlObj::CompareWithSaved() {
  // Compared, but a list raises no change event.
}

void TListBoxFormControlObj::FitSize(TCanvas* Canvas) {
  Canvas->Font = FWinControl->Font();
  FLongest = 3;
  // Wide lists are measured on a sample: a few thousand texts tell the width well enough
  // and keep layout fast.
  const int N = FOptions.Count();
  const int Step = N > 4000 ? N / 4000 : 1;
  for (int I = 0; I < N; I += Step)
    FLongest = std::max(FLongest, std::min(Canvas->TextWidth(FOptions[I]), 32000));
  const int Rows = LBSize > 0 ? LBSize : std::clamp(N, 1, 8);
  const int H = FStyleHeight >= 10 ? FStyleHeight
                                   : std::min(Canvas->TextHeight("A") * Rows + 4, 32000);
  // The whole list, frame included; a drop-down's rule gives its client area instead.
  const int W = FStyleWidth >= 10 ? FStyleWidth : GetSystemMetrics(SM_CXVSCROLL) + FLongest + 10;
  FWinControl->SetBounds(FWinControl->Left(), FWinControl->Top(), W, H);
}

void TListBoxFormControlObj::PaintLikeness(TCanvas* Canvas, int X, int Y) {
  PaintFrame(Canvas, X, Y, false);
  TListBox* L = List();
  const int H = Canvas->TextHeight("A");
  for (int I = L->TopIndex(), Row = 0; I < L->Count() && (Row + 1) * H <= ControlHeight() - 4;
       ++I, ++Row)
    Canvas->TextOut(X + 4, Y + 4 + Row * H, L->Items()[I]);
}

TComboFormControlObj::TComboFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                           const TControlAttributes& A, int Position)
    : TListBoxFormControlObj(ADoc, AForm, A, Position, true) {
  auto C = std::make_unique<TComboBox>(nullptr, ADoc->PaintPanel, 0, HiddenTop, 120, 21);
  Attach(std::move(C), 120, 21);
}

TComboBox* TComboFormControlObj::Combo() const {
  return static_cast<TComboBox*>(FWinControl.get());
}

void TComboFormControlObj::RestoreDefault() {
  TComboBox* C = Combo();
  C->Items().Assign(&FOptions);
  int Pick = FOptions.Count() > 0 ? 0 : -1;
  for (int I = 0; I < FOptions.Count(); ++I)
    if (Option(I)->Selected) Pick = I;
  C->SetItemIndex(Pick);
}

bool TComboFormControlObj::SubmitPart(int Index, std::string& S) {
  if (Index != 0) return false;
  const int I = Combo()->ItemIndex();
  S = I >= 0 && I < FOptions.Count() ? Pair(Option(I)->Value) : std::string();
  return true;
}

void TComboFormControlObj::LoadValue(int /*Index*/, const std::string& S) {
  for (int I = 0; I < FOptions.Count(); ++I)
    if (SameText(Option(I)->Value, S)) {
      Combo()->SetItemIndex(I);
      return;
    }
}

void TComboFormControlObj::SaveState() { FSavedIndex = Combo()->ItemIndex(); }
void TComboFormControlObj::CompareWithSaved() {}

void TComboFormControlObj::FitSize(TCanvas* Canvas) {
  Canvas->Font = FWinControl->Font();
  FLongest = 3;
  const int N = FOptions.Count();
  const int Step = N > 4000 ? N / 4000 : 1;
  for (int I = 0; I < N; I += Step)
    FLongest = std::max(FLongest, std::min(Canvas->TextWidth(FOptions[I]), 32000));
  const int H = FStyleHeight > 9 ? FStyleHeight : FWinControl->Height();
  const int W = FStyleWidth >= 10 ? FStyleWidth
                                  : GetSystemMetrics(SM_CXVSCROLL) + FLongest + 10 + 4;
  FWinControl->SetBounds(FWinControl->Left(), FWinControl->Top(), W, H);
}

void TComboFormControlObj::PaintLikeness(TCanvas* Canvas, int X, int Y) {
  PaintFrame(Canvas, X, Y, false);
  const int I = Combo()->ItemIndex();
  if (I >= 0 && I < Combo()->Items().Count()) Canvas->TextOut(X + 4, Y + 4, Combo()->Items()[I]);
}

// ---- text area ------------------------------------------------------------------------

TTextAreaFormControlObj::TTextAreaFormControlObj(TSectionList* ADoc, ThtmlForm* AForm,
                                                 const TControlAttributes& A, int Position)
    : TFormControlObj(ADoc, AForm, A, Position) {
  if (A.Cols > 0) FCols = std::min(A.Cols, 1000);
  if (A.Rows > 0) FRows = std::min(A.Rows, 1000);
  const std::string W = LowerCut(A.Wrap, 20);
  FWrap = W == "off" ? 0 : W == "hard" ? 2 : 1;
  auto M = std::make_unique<TMemo>(nullptr, ADoc->PaintPanel, 0, HiddenTop, 185, 89);
  M->SetWordWrap(FWrap != 0);
  M->SetScrollBars(true, FWrap == 0);
  Attach(std::move(M), 185, 89);
}

TMemo* TTextAreaFormControlObj::Memo() const { return static_cast<TMemo*>(FWinControl.get()); }

void TTextAreaFormControlObj::ResetToValue() {
  Memo()->SetText(FInitial);
  Memo()->SetSelStart(0);
}

void TTextAreaFormControlObj::SaveState() { FSaved = Memo()->Text(); }
void TTextAreaFormControlObj::CompareWithSaved() {
  if (Memo()->Text() != FSaved) RaiseChange();
}

bool TTextAreaFormControlObj::SubmitPart(int Index, std::string& S) {
  if (Index != 0) return false;
  if (FWrap == 2) {
    std::string Joined;
    const std::vector<std::string> Lines = Memo()->DisplayLines();
    for (size_t I = 0; I < Lines.size(); ++I) {
      if (I > 0) Joined += "\r\n";
      Joined += Lines[I];
    }
    S = Pair(Joined);
  } else {
    S = Pair(Memo()->Text());
  }
  return true;
}

void TTextAreaFormControlObj::LoadValue(int /*Index*/, const std::string& S) {
  Memo()->SetText(S);
}

void TTextAreaFormControlObj::FitSize(TCanvas* Canvas) {
  Canvas->Font = FWinControl->Font();
  // Client sizes: the frame and the scroll bars come on top.
  const int H = FStyleHeight >= 10 ? FStyleHeight
                                   : Canvas->TextHeight("A") * FRows + 5 + 4 +
                                         (FWrap == 0 ? GetSystemMetrics(SM_CYHSCROLL) : 0);
  const int W = FStyleWidth >= 10 ? FStyleWidth
                                  : Canvas->TextWidth("s") * FCols + 5 + 4 +
                                        GetSystemMetrics(SM_CXVSCROLL);
  FWinControl->SetBounds(FWinControl->Left(), FWinControl->Top(), std::min(W, 32000),
                         std::min(H, 32000));
}

void TTextAreaFormControlObj::PaintLikeness(TCanvas* Canvas, int X, int Y) {
  PaintFrame(Canvas, X, Y, false);
  const int H = Canvas->TextHeight("A");
  const std::vector<std::string> Lines = Memo()->DisplayLines();
  for (int I = 0; I < int(Lines.size()) && I < FRows; ++I)
    Canvas->TextOut(X + 4, Y + 4 + I * H, Lines[size_t(I)]);
}

// ---- creation -------------------------------------------------------------------------

TFormControlObj* CreateFormControl(TSectionList* Doc, ThtmlForm*& CurForm, TControlKind Kind,
                                   const TControlAttributes& A, int Position) {
  if (!CurForm) CurForm = CreateForm(Doc, {});
  std::unique_ptr<TFormControlObj> C;
  switch (Kind) {
    case TControlKind::Edit:
    case TControlKind::Password:
      C = std::make_unique<TEditFormControlObj>(Doc, CurForm, A, Position);
      break;
    case TControlKind::Submit:
      C = std::make_unique<TButtonFormControlObj>(Doc, CurForm, A, Position, TButtonKind::Submit);
      break;
    case TControlKind::Reset:
      C = std::make_unique<TButtonFormControlObj>(Doc, CurForm, A, Position, TButtonKind::Reset);
      break;
    case TControlKind::Button:
      C = std::make_unique<TButtonFormControlObj>(Doc, CurForm, A, Position, TButtonKind::Plain);
      break;
    case TControlKind::Radio:
      C = std::make_unique<TRadioButtonFormControlObj>(Doc, CurForm, A, Position);
      break;
    case TControlKind::CheckBox:
      C = std::make_unique<TCheckBoxFormControlObj>(Doc, CurForm, A, Position);
      break;
    case TControlKind::Hidden:
      C = std::make_unique<THiddenFormControlObj>(Doc, CurForm, A, Position);
      break;
    case TControlKind::Image:
      C = std::make_unique<TImageFormControlObj>(Doc, CurForm, A, Position);
      break;
    case TControlKind::ListBox:
      C = std::make_unique<TListBoxFormControlObj>(Doc, CurForm, A, Position);
      break;
    case TControlKind::Combo:
      C = std::make_unique<TComboFormControlObj>(Doc, CurForm, A, Position);
      break;
    case TControlKind::TextArea:
      C = std::make_unique<TTextAreaFormControlObj>(Doc, CurForm, A, Position);
      break;
  }
  TFormControlObj* Made = C.get();
  Doc->FormControls.push_back(Made);
  CurForm->AddControl(std::move(C));
  return Made;
}

// ---- Values for the history ------------------------------------------------------------

std::vector<std::vector<std::string>> ThtmlForm::ControlValues() const {
  std::vector<std::vector<std::string>> values;
  values.reserve(FControls.size());
  for (const auto& control : FControls) values.push_back(control->Values());
  return values;
}

void ThtmlForm::SetControlValues(const std::vector<std::vector<std::string>>& Values) {
  // The same document read again has the same controls in the same order.
  if (Values.size() != FControls.size()) return;
  for (size_t i = 0; i < Values.size(); ++i) FControls[i]->SetValues(Values[i]);
}

std::vector<std::string> TEditFormControlObj::Values() const { return {Edit()->Text()}; }
void TEditFormControlObj::SetValues(const std::vector<std::string>& V) {
  if (V.size() == 1) Edit()->SetText(V[0]);
}

std::vector<std::string> TTextAreaFormControlObj::Values() const { return {Memo()->Text()}; }
void TTextAreaFormControlObj::SetValues(const std::vector<std::string>& V) {
  if (V.size() == 1) Memo()->SetText(V[0]);
}

std::vector<std::string> TCheckBoxFormControlObj::Values() const { return {Checked() ? "1" : ""}; }
void TCheckBoxFormControlObj::SetValues(const std::vector<std::string>& V) {
  if (V.size() == 1) SetChecked(!V[0].empty());
}

std::vector<std::string> TRadioButtonFormControlObj::Values() const {
  return {Checked() ? "1" : ""};
}
void TRadioButtonFormControlObj::SetValues(const std::vector<std::string>& V) {
  if (V.size() == 1) SetChecked(!V[0].empty());
}

std::vector<std::string> THiddenFormControlObj::Values() const { return {FValue}; }
void THiddenFormControlObj::SetValues(const std::vector<std::string>& V) {
  if (V.size() == 1) FValue = V[0];
}

// A list keeps a mark per item: "1" selected.
std::vector<std::string> TListBoxFormControlObj::Values() const {
  TListBox* L = List();
  std::vector<std::string> marks(size_t(L->Count()));
  for (int i = 0; i < L->Count(); ++i)
    if (L->MultiSelect() ? L->Selected(i) : L->ItemIndex() == i) marks[size_t(i)] = "1";
  return marks;
}
void TListBoxFormControlObj::SetValues(const std::vector<std::string>& V) {
  TListBox* L = List();
  if (int(V.size()) != L->Count()) return;
  if (L->MultiSelect()) L->ClearSelection();
  for (int i = 0; i < L->Count(); ++i) {
    if (V[size_t(i)].empty()) continue;
    if (L->MultiSelect()) L->SetSelected(i, true);
    else L->SetItemIndex(i);
  }
}

std::vector<std::string> TComboFormControlObj::Values() const {
  return {std::to_string(Combo()->ItemIndex())};
}
void TComboFormControlObj::SetValues(const std::vector<std::string>& V) {
  if (V.size() != 1) return;
  const int index = std::atoi(V[0].c_str());
  if (index >= -1 && index < Combo()->Items().Count()) Combo()->SetItemIndex(index);
}

TDocControl* TImageInputObj::TakeHitPoint(int X, int Y) {
  Control->SetHitPoint(X, Y);
  return Control;
}
