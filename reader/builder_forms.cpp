// Reading forms: FORM opens a form, INPUT, SELECT and TEXTAREA make controls placed in the
// open section and joined to the open form (an implicit one when none is open).
#include <algorithm>

#include "document/images/image_obj.h"
#include "reader/builder_state.h"

namespace builder_internal {

namespace {

std::string AttrText(const TAttributeList& A, TSymbol S) {
  const TAttribute* At = A.Find(S);
  return At ? At->StrValue : std::string();
}

TControlAttributes ControlAttributes(const TAttributeList& L) {
  TControlAttributes A;
  for (const TAttribute& At : L) {
    switch (At.Sym) {
      case symName: A.Name = At.StrValue; break;
      case symValue: A.Value = At.StrValue; break;
      case symId: A.ID = Trim(At.StrValue); break;
      case symType: A.Type = Trim(At.StrValue); break;
      case symOnclick: A.OnClick = At.StrValue; break;
      case symOnfocus: A.OnFocus = At.StrValue; break;
      case symOnblur: A.OnBlur = At.StrValue; break;
      case symOnchange: A.OnChange = At.StrValue; break;
      case symSize:
        A.HasSize = true;
        A.Size = At.StrValue;
        A.SizeNum = At.NumValue;
        break;
      case symMaxlength: A.MaxLength = At.NumValue; break;
      case symCols: A.Cols = At.NumValue; break;
      case symRows: A.Rows = At.NumValue; break;
      case symWrap:
        A.HasWrap = true;
        A.Wrap = Trim(At.StrValue);
        break;
      case symChecked: A.Checked = true; break;
      case symMultiple: A.Multiple = true; break;
      default: break;
    }
  }
  return A;
}

}  // namespace

void TBuilder::OpenForm() {
  const TAttributeList& L = Lex.CurAttributes;
  TFormAttributes A;
  A.Method = Trim(AttrText(L, symMethod));
  A.Action = Trim(AttrText(L, symAction));
  A.Target = Trim(AttrText(L, symTarget));
  A.EncType = Trim(AttrText(L, symEnctype));
  CurForm = CreateForm(Doc, A);
}

// A control at the tag, joined to the open form; an id makes it a place to scroll to.
TFormControlObj* TBuilder::MakeControl(TControlKind Kind, const TControlAttributes& A) {
  TFormControlObj* C = CreateFormControl(Doc, CurForm, Kind, A, Lex.TagStart);
  if (!A.ID.empty() && Doc->IdNames) Doc->IdNames->AddId(Upper(A.ID), C);
  return C;
}

void TBuilder::ParseInput(bool ReadNext) {
  if (!CurSection) NewSection(true);
  TProperties& P = PushTagProps("input");
  const TControlAttributes A = ControlAttributes(Lex.CurAttributes);
  const TControlKind Kind = InputKind(A.Type);
  TFormControlObj* C = MakeControl(Kind, A);
  if (Kind == TControlKind::Image) {
    // The picture stands in the text for the control.
    TImageAttributes IA;
    IA.Src = Trim(AttrText(Lex.CurAttributes, symSrc));
    IA.Alt = AttrText(Lex.CurAttributes, symAlt);
    IA.BorderOff = true;
    if (const TAttribute* W = Lex.CurAttributes.Find(symWidth)) IA.Width = std::max(0, W->NumValue);
    if (const TAttribute* H = Lex.CurAttributes.Find(symHeight)) IA.Height = std::max(0, H->NumValue);
    auto* Input = static_cast<TImageFormControlObj*>(C);
    auto Image = std::make_unique<TImageInputObj>(Doc, CurSection->Len(), IA, Input);
    Image->ApplyProperties(P);
    Input->MyImage = Image.get();
    CurSection->AddObject(std::move(Image), Lex.TagStart);
  } else if (Kind != TControlKind::Hidden) {
    C->TakeStyle(P);
    CurSection->AddControl(C, Lex.TagStart);
  }
  PopPropsByTag("input");
  if (ReadNext) Next();
}

void TBuilder::ParseSelect(bool ReadNext) {
  if (!CurSection) NewSection(true);
  TProperties& P = PushTagProps("select");
  const TControlAttributes A = ControlAttributes(Lex.CurAttributes);
  const bool List = A.Multiple || (A.HasSize && A.SizeNum > 1);
  auto* C = static_cast<TListBoxFormControlObj*>(
      MakeControl(List ? TControlKind::ListBox : TControlKind::Combo, A));
  CurSection->AddControl(C, Lex.TagStart);
  ParseSelectContent(C);
  C->TakeStyle(P);
  PopPropsByTag("select");
  // Only the end tag is consumed: a tag that cut the options short is read as itself.
  if (Sym() == symSelectEnd && ReadNext) Next();
}

void TBuilder::ParseSelectContent(TListBoxFormControlObj* Control) {
  const bool SavedNoWrap = NoWrap;
  NoWrap = false;
  Next();
  constexpr size_t MaxOptionText = 255;
  std::string Text, Value;
  bool HasValue = false, Selected = false, Open = false;
  auto Flush = [&] {
    if (Open) Control->AppendOption(Trim(Text), HasValue ? Value : Trim(Text), Selected);
    Text.clear();
    Value.clear();
    HasValue = Selected = Open = false;
  };
  static const TSymbolSet Stop{symP,   symEof,     symTableEnd, symTd,      symTdEnd,
                               symTr,  symTrEnd,   symTh,       symThEnd,   symCaption,
                               symCaptionEnd, symInput, symSelectEnd};
  while (!Stop.Contains(Sym())) {
    if (Sym() == symText) {
      if (Open) {
        std::string_view T = Lex.CurToken.Text();
        for (char Ch : T) {
          if (Text.size() >= MaxOptionText) break;
          Text += Ch == ccNbsp ? ' ' : Ch;
        }
      }
    } else if (Sym() == symOption || Sym() == symOptionEnd) {
      Flush();
      if (Sym() == symOption) {
        Open = true;
        Selected = Lex.CurAttributes.Find(symSelected) != nullptr;
        if (const TAttribute* V = Lex.CurAttributes.Find(symValue)) {
          HasValue = true;
          Value = V->StrValue;
        }
      }
    }
    Next();
  }
  Flush();
  Control->OptionsDone();
  NoWrap = SavedNoWrap;
}

void TBuilder::ParseTextArea(bool ReadNext) {
  if (!CurSection) NewSection(true);
  TProperties& P = PushTagProps("textarea");
  const TControlAttributes A = ControlAttributes(Lex.CurAttributes);
  auto* C = static_cast<TTextAreaFormControlObj*>(MakeControl(TControlKind::TextArea, A));
  CurSection->AddControl(C, Lex.TagStart);
  ParseTextAreaContent(C);
  C->TakeStyle(P);
  PopPropsByTag("textarea");
  if (ReadNext) Next();
}

// The content is raw text: tags stay text, references are decoded, line ends are kept.
void TBuilder::ParseTextAreaContent(TTextAreaFormControlObj* Control) {
  std::string Line;
  std::string Word;
  for (;;) {
    const char Ch = Lex.CurCh;
    if (Ch == EndOfInput) break;
    if (Ch == LineEndChar) {
      Line += "\r\n";
      Control->AddStr(Line);
      Line.clear();
      Lex.NextChar();
    } else if (Ch == '<') {
      Word.assign(1, '<');
      Lex.NextChar();
      while (Lex.CurCh != ' ' && Lex.CurCh != '\t' && Lex.CurCh != LineEndChar &&
             Lex.CurCh != '>' && Lex.CurCh != EndOfInput && Word.size() < 12) {
        Word += Lex.CurCh;
        Lex.NextChar();
      }
      if (Lower(Word) == "</textarea") break;
      Line += Word;
    } else if (Ch == '&') {
      TLexToken Decoded;
      Lex.DecodeTextEntity(Decoded);
      for (char C : Decoded.Text()) Line += C == ccNbsp ? ' ' : C;
    } else {
      for (int N = 0; N < 100 && Lex.CurCh != EndOfInput && Lex.CurCh != LineEndChar &&
                      Lex.CurCh != '&' && Lex.CurCh != '<';
           ++N) {
        Line += Lex.CurCh;
        Lex.NextChar();
      }
    }
  }
  while (Lex.CurCh != '>' && Lex.CurCh != EndOfInput) Lex.NextChar();
  if (Lex.CurCh == '>') Lex.NextChar();
  if (!Line.empty()) Control->AddStr(Line);
  Control->ResetToValue();
}

}  // namespace builder_internal
