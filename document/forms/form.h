// Forms and their controls: each control owns one toolkit control placed on the viewer's
// drawing panel where layout puts its placeholder, reports its value for submission,
// resets itself, raises the viewer's object events and paints a likeness when printed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/classes.h"
#include "document/core/document_objects.h"
#include "document/core/section_base.h"
#include "document/core/text_section.h"
#include "document/images/image_obj.h"
#include "toolkit/controls/controls_base.h"

class TSectionList;
class TProperties;
class TFormControlObj;
class TRadioButtonFormControlObj;
class TEdit;
class TMemo;
class TButton;
class TCheckBox;
class TRadioButton;
class TPanel;
class TListBox;
class TComboBox;

// What the builder reads from a form tag.
struct TFormAttributes {
  std::string Method, Action, Target, EncType;
};

// What the builder reads from a control's tag.
struct TControlAttributes {
  std::string Name, Value, ID, Type;
  std::string OnClick, OnFocus, OnBlur, OnChange;
  std::string Size;  // as written: "SIZE" may hold "20, 1"
  bool HasSize = false;
  int SizeNum = 0;
  int MaxLength = 0;
  int Cols = 0, Rows = 0;
  std::string Wrap;
  bool HasWrap = false;
  bool Checked = false;
  bool Multiple = false;
};

enum class TControlKind { Edit, Password, Submit, Reset, Button, Radio, CheckBox, Hidden, Image,
                          ListBox, Combo, TextArea };
// The kind an INPUT of this TYPE makes.
TControlKind InputKind(const std::string& Type);

class ThtmlForm : public TObject, public TDocForm {
 public:
  ThtmlForm(TSectionList* ADoc, const TFormAttributes& Attributes);
  ~ThtmlForm() override;

  void AddControl(std::unique_ptr<TFormControlObj> Control);
  void UncheckGroupPeers(TRadioButtonFormControlObj* Radio);
  void ResetAll();
  void Submit(const std::string& ButtonSubmission);
  // The name=value strings a submission would send, without a button.
  std::vector<std::string> CollectPairs();
  void EditKeyPress(TObject* Sender, char& Key);
  void RadioKeyDown(TObject* Sender, int& Key, TShiftState Shift);

  // TDocForm.
  void SetSizes(TCanvas* Canvas) override;
  std::unique_ptr<TObject> GetFormControlData() override;
  std::vector<std::vector<std::string>> ControlValues() const override;
  void SetControlValues(const std::vector<std::vector<std::string>>& Values) override;

  const std::vector<std::unique_ptr<TFormControlObj>>& Controls() const { return FControls; }

  TSectionList* FDoc;
  std::string FMethod = "Get";  // at most 4 characters
  std::string FAction, FTarget, FEncType;
  int FVisibleCount = 0;

 private:
  std::vector<std::unique_ptr<TFormControlObj>> FControls;
};

class TFormControlObj : public TIDObject, public TInlineObject, public TDocControl {
 public:
  TFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A, int Position);
  ~TFormControlObj() override;

  // Layout position.
  virtual int LayoutTop() const { return FLayoutY; }
  // The toolkit control that takes the focus; null for hidden and image kinds.
  virtual TCustomControl* WindowControl() const { return FWinControl.get(); }
  virtual void CompareWithSaved() {}
  virtual void SaveState() {}
  virtual void TakeStyle(const TProperties& Props);
  virtual void PaintLikeness(TCanvas* Canvas, int X, int Y) {}
  virtual void RestoreDefault() {}
  virtual bool SubmitPart(int Index, std::string& S) { return false; }
  virtual void LoadValue(int Index, const std::string& S) {}
  virtual void ClearValue() {}
  virtual void FitSize(TCanvas* Canvas) {}
  // What the control holds now, and the same put back (for the history).
  virtual std::vector<std::string> Values() const { return {}; }
  virtual void SetValues(const std::vector<std::string>& /*Values*/) {}

  void FocusGained();
  void FocusLost();
  void Clicked();

  // TIDObject.
  int GetTopY() override { return FLayoutY; }
  // TInlineObject.
  int HorzExtent() const override { return Width() + 2 * FHSpace; }
  int Height() const override;
  TVerticalAlign VAlign() const override { return FVAlign; }
  void SetLayoutY(int Y) override { FLayoutY = Y; }
  void DrawControl(TCanvas* Canvas, int X, int Top, bool Printing) override;
  // TDocControl.
  bool Shown() const override { return FShown; }
  void SetShown(bool Value) override { FShown = Value; }
  void Hide() override;
  void ParkOffSurface() override;
  bool HasFocus() const override;

  int Width() const;
  int ControlHeight() const;
  ThtmlForm* Form() const { return FForm; }

  int FPos;
  TSectionList* FDoc;
  ThtmlForm* FForm;
  std::string FValue, FName, FID;
  TVerticalAlign FVAlign = TVerticalAlign::Bottom;
  int FHSpace = 0, FVSpace = 0;
  int FStyleHeight = 0, FStyleWidth = 0;
  std::string FOnClickText, FOnFocusText, FOnBlurText, FOnChangeText;
  bool FActive = false;

 protected:
  // Gives the toolkit control its place out of sight and its notifications.
  void Attach(std::unique_ptr<TCustomControl> Control, int W, int H);
  static void Detach(TCustomControl* Control);
  // The window that is moved and shown (the radio button's panel).
  virtual TWinControl* Frame() const { return FWinControl.get(); }
  // Glyph controls show their focus as a dotted frame on the page around them; the inset
  // places it (-1: the control shows its own focus).
  virtual int FocusFrameInset() const { return -1; }
  std::string Pair(const std::string& V) const { return FName + "=" + V; }
  void RaiseChange();
  // The 3D frame of the likeness; true for a raised (button) frame.
  void PaintFrame(TCanvas* Canvas, int X, int Y, bool Raised);

  std::unique_ptr<TCustomControl> FWinControl;
  int FLayoutY = 0;
  bool FShown = false;
};

class TEditFormControlObj : public TFormControlObj {
 public:
  TEditFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A,
                      int Position);
  TEdit* Edit() const;
  void CompareWithSaved() override;
  void SaveState() override;
  void PaintLikeness(TCanvas* Canvas, int X, int Y) override;
  void RestoreDefault() override;
  bool SubmitPart(int Index, std::string& S) override;
  void LoadValue(int Index, const std::string& S) override;
  std::vector<std::string> Values() const override;
  void SetValues(const std::vector<std::string>& Values) override;
  void FitSize(TCanvas* Canvas) override;
  int FChars = 15;

 private:
  std::string FSaved;
};

enum class TButtonKind { Submit, Reset, Plain };

class TButtonFormControlObj : public TFormControlObj {
 public:
  TButtonFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A,
                        int Position, TButtonKind Kind);
  void PaintLikeness(TCanvas* Canvas, int X, int Y) override;
  void FitSize(TCanvas* Canvas) override;
  TButtonKind FKind;
};

class TCheckBoxFormControlObj : public TFormControlObj {
 public:
  TCheckBoxFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A,
                          int Position);
  bool Checked() const;
  void SetChecked(bool Value);
  void CompareWithSaved() override;
  void SaveState() override;
  void PaintLikeness(TCanvas* Canvas, int X, int Y) override;
  void RestoreDefault() override { SetChecked(FInitial); }
  bool SubmitPart(int Index, std::string& S) override;
  void LoadValue(int Index, const std::string& S) override;
  std::vector<std::string> Values() const override;
  void SetValues(const std::vector<std::string>& Values) override;
  void ClearValue() override { SetChecked(false); }
  bool FInitial;

 protected:
  int FocusFrameInset() const override { return 1; }

 private:
  bool FSaved = false;
};

class TRadioButtonFormControlObj : public TFormControlObj {
 public:
  TRadioButtonFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A,
                             int Position);
  ~TRadioButtonFormControlObj() override;
  TCustomControl* WindowControl() const override;
  // The frame panel takes the page's colour.
  void DrawControl(TCanvas* Canvas, int X, int Top, bool Printing) override;
  bool Checked() const;
  void SetChecked(bool Value);
  void CompareWithSaved() override;
  void SaveState() override;
  void PaintLikeness(TCanvas* Canvas, int X, int Y) override;
  void RestoreDefault() override { SetChecked(FInitial); }
  bool SubmitPart(int Index, std::string& S) override;
  void LoadValue(int Index, const std::string& S) override;
  std::vector<std::string> Values() const override;
  void SetValues(const std::vector<std::string>& Values) override;
  bool FInitial;

 protected:
  TWinControl* Frame() const override;
  int FocusFrameInset() const override { return 0; }

 private:
  std::unique_ptr<TPanel> FPanel;
  std::unique_ptr<TRadioButton> FRadio;
  bool FSaved = false;
};

class THiddenFormControlObj : public TFormControlObj {
 public:
  using TFormControlObj::TFormControlObj;
  bool SubmitPart(int Index, std::string& S) override;
  void LoadValue(int Index, const std::string& S) override { FValue = S; }
  std::vector<std::string> Values() const override;
  void SetValues(const std::vector<std::string>& Values) override;
};

// An image input: an image object in the text stands for it and reports the click.
class TImageFormControlObj : public TFormControlObj {
 public:
  TImageFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A,
                       int Position);
  // A click at (X, Y) within the image submits the form with the point.
  void ImageClicked(int X, int Y);
  // The same at the point the last hit test found over the image.
  void ImageClicked() { ImageClicked(FHitX, FHitY); }
  void SetHitPoint(int X, int Y) {
    FHitX = X;
    FHitY = Y;
  }
  bool SubmitPart(int Index, std::string& S) override;
  int XPos = -1, YPos = -1;
  TObject* MyImage = nullptr;  // the linked image object, not owned

 private:
  int FHitX = 0, FHitY = 0;
};

// The picture of an image input: an image in the text that knows its control.
class TImageInputObj : public TImageObj {
 public:
  TImageInputObj(TSectionList* ADocument, int Pos, const TImageAttributes& A,
                 TImageFormControlObj* AControl)
      : TImageObj(ADocument, Pos, A, false), Control(AControl) {}
  TDocControl* TakeHitPoint(int X, int Y) override;
  TImageFormControlObj* Control;  // belongs to its form
};

class TOptionObj : public TObject {
 public:
  TOptionObj(std::string AValue, bool ASelected) : Value(std::move(AValue)), Selected(ASelected) {}
  std::string Value;
  bool Selected;
};

class TListBoxFormControlObj : public TFormControlObj {
 public:
  TListBoxFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A,
                         int Position, bool Combo = false);
  void AppendOption(const std::string& Text, const std::string& Value, bool Selected);
  // The options are all in: the marked ones become the shown and default selection.
  void OptionsDone() { RestoreDefault(); }
  int OptionCount() const { return FOptions.Count(); }
  void CompareWithSaved() override;
  void SaveState() override;
  void PaintLikeness(TCanvas* Canvas, int X, int Y) override;
  void RestoreDefault() override;
  bool SubmitPart(int Index, std::string& S) override;
  void LoadValue(int Index, const std::string& S) override;
  std::vector<std::string> Values() const override;
  void SetValues(const std::vector<std::string>& Values) override;
  void FitSize(TCanvas* Canvas) override;
  TListBox* List() const;

  TStringList FOptions{true};  // texts, each with its TOptionObj
  int LBSize = -1;
  int FLongest = 3;

 protected:
  const TOptionObj* Option(int I) const { return static_cast<const TOptionObj*>(FOptions.Objects(I)); }

 private:
  std::vector<bool> FSavedSel;
  int FSavedCount = 0;
};

class TComboFormControlObj : public TListBoxFormControlObj {
 public:
  TComboFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A,
                       int Position);
  TComboBox* Combo() const;
  void CompareWithSaved() override;
  void SaveState() override;
  void PaintLikeness(TCanvas* Canvas, int X, int Y) override;
  void RestoreDefault() override;
  bool SubmitPart(int Index, std::string& S) override;
  void LoadValue(int Index, const std::string& S) override;
  std::vector<std::string> Values() const override;
  void SetValues(const std::vector<std::string>& Values) override;
  void FitSize(TCanvas* Canvas) override;

 private:
  int FSavedIndex = -1;
};

class TTextAreaFormControlObj : public TFormControlObj {
 public:
  TTextAreaFormControlObj(TSectionList* ADoc, ThtmlForm* AForm, const TControlAttributes& A,
                          int Position);
  TMemo* Memo() const;
  // A line of the initial text (the builder hands them over as it reads them).
  void AddStr(const std::string& S) { FInitial += S; }
  // The initial text is complete: it shows and becomes the default.
  void ResetToValue();
  void CompareWithSaved() override;
  void SaveState() override;
  std::vector<std::string> Values() const override;
  void SetValues(const std::vector<std::string>& Values) override;
  void PaintLikeness(TCanvas* Canvas, int X, int Y) override;
  void RestoreDefault() override { ResetToValue(); }
  bool SubmitPart(int Index, std::string& S) override;
  void LoadValue(int Index, const std::string& S) override;
  void FitSize(TCanvas* Canvas) override;

  int FRows = 5, FCols = 30, FWrap = 1;
  std::string FInitial;

 private:
  std::string FSaved;
};

// Creates a control of Kind joined to the document's open form (an implicit one when
// none is open) and listed with the document's controls (its id is the builder's to
// register).
TFormControlObj* CreateFormControl(TSectionList* Doc, ThtmlForm*& CurForm, TControlKind Kind,
                                   const TControlAttributes& A, int Position);
// Opens a new form in the document.
ThtmlForm* CreateForm(TSectionList* Doc, const TFormAttributes& A);
