#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <memory>
#include <typeinfo>

#include "document/blocks/horz_line.h"
#include "document/blocks/inline_block_obj.h"
#include "document/blocks/pre_line.h"
#include "document/core/id_name_list.h"
#include "document/images/image_map.h"
#include "document/images/image_obj.h"
#include "document/images/panel_obj.h"
#include "reader/builder_state.h"
#include "style/style_list.h"

namespace builder_internal {

// ---- sections and blocks ---------------------------------------------------------

// Link runs are listed once their section is final and kept, so no dropped section
// leaves one behind. Sections join their cells in document order (a block joins its
// cell before its content is read), so the runs are listed in document order too.
void TBuilder::CloseSection() {
  OpenBoxes.clear();
  FirstLineSection = nullptr;
  if (!CurSection) return;
  if (CurCell) {
    if (ClearedByItsBlock(*CurSection)) CurSection->FClear = TClearSides::None;
    const TSection* Section = CurSection.get();
    const int Before = CurCell->Count();
    CurCell->Add(std::move(CurSection));
    if (CurCell->Count() > Before && CurCell->Items(CurCell->Count() - 1) == Section)
      RegisterLinkRuns(*Section);
  }
  CurSection.reset();
}

// The first text of a block that clears the same sides needs no clearing of its own: the
// block's top is already below those floats. A blank section kept only for that would
// stand between the block and its first child, as though text came first: the child's top
// margin would stay inside the block instead of collapsing through into the clearance (or
// of going, for a default one in an older document).
bool TBuilder::ClearedByItsBlock(const TSection& Section) const {
  if (Section.FClear == TClearSides::None || CurCell->Count() != 0) return false;
  const auto* Cell = dynamic_cast<const TBlockCell*>(CurCell);
  const auto* Block = Cell ? dynamic_cast<const TBlock*>(Cell->FOwnerBox) : nullptr;
  return Block && (Block->FClear == TClearSides::Both || Block->FClear == Section.FClear);
}

void TBuilder::NewSection(bool Indent, bool Pre) {
  CloseSection();
  TProperties& P = Top();
  if (Pre)
    CurSection = std::make_unique<TPreLine>(Doc, P.ElementFont());
  else
    CurSection = std::make_unique<TSection>(Doc, P.ElementFont());
  TSection& S = *CurSection;
  const TPropValue& Align = P[piTextAlign];
  if (Align.Equals("center")) S.FAlign = TTextAlign::Center;
  else if (Align.Equals("right")) S.FAlign = TTextAlign::Right;
  else if (Align.Equals("justify")) S.FAlign = TTextAlign::Justify;
  if (Indent) {
    bool Pct = false;
    const int V = P.IndentValue(Pct);
    if (Pct)
      S.FFirstIndentPct = static_cast<int8_t>(std::clamp(V, 0, 90));  // as TSection::Create
    else
      S.FFirstIndent = V;
  }
  TClearSides Clear = TClearSides::None;
  if (P.ClearSides(Clear)) S.FClear = Clear;
  if (const TAttribute* C = Lex.CurAttributes.Find(symClear); C && Lex.CurSym == symBr) {
    const std::string V = Lower(C->StrValue);
    S.FClear = V == "left"                 ? TClearSides::Left
               : V == "right"              ? TClearSides::Right
               : V == "all" || V == "both" ? TClearSides::Both
                                           : TClearSides::None;
  }
  S.TakeLineHeight(P);
  S.FScriptState = VertShift;
  S.FNoBreak = NoWrap;
  StartRun();
}

// A new font run from the top set, carrying the open link.
void TBuilder::StartRun() {
  TSection& S = *CurSection;
  S.FScriptState = VertShift;
  S.FCaseTransform = Top().CaseTransform();
  S.StartFontRun(Top().ElementFont(), Top().FTitleText);
  S.TakeRunLineHeight(Top());
  TFontObj* Run = S.FFontRuns.Last();
  if (!Run) return;
  const TRunPlacement Place = RunPlacement();
  Run->SetPlacement(Place.Align, Place.Raise);
  if (Place.ReplacesScript) Run->FScript = TScript::Normal;
  if (LinkOpen) {
    Run->EditTarget().Copy(LinkTarget);
    if (Top().FHasLinkFonts) {
      TFontInfoArray Fonts;
      Top().CopyLinkFontsTo(Fonts);
      Run->SetLinkFonts(Fonts);
    }
  } else {
    Run->ClearTarget();
    Run->ClearLinkFonts();
  }
  if (FirstLineSection == &S) StyleFirstLineRun();
}

TBlock* TBuilder::NewBlock() {
  TCellBasic* Owner = CurCell ? CurCell : Doc;
  std::unique_ptr<TBlock> B = MakeBlock(Owner);
  TBlock* Block = B.get();
  Owner->Add(std::move(B));
  CurCell = &Block->MyCell;
  RegisterId(Block);
  NoteFirstStyles(Owner);
  return Block;
}

// A block element with an id can be scrolled to like a named anchor.
void TBuilder::RegisterId(TSectionBase* Object) {
  const std::string& Id = Top().FElementId;
  if (Id.empty() || !Doc->IdNames) return;
  Doc->IdNames->AddId(Upper(Id), Object);
}

// A paragraph whose box is nothing but vertical spacing and that holds a single text
// section hands the spacing to the section and leaves its block out: pages are mostly
// such paragraphs, and a block for each would more than double what they keep.
void TBuilder::CompactParagraph(TBlock* Block) {
  TCellBasic* Owner = Block->OwnerCell;
  if (!Owner || Owner->Count() == 0 || Owner->Items(Owner->Count() - 1) != Block) return;
  if (Block->MyCell.Count() != 1) return;
  TSectionBase* Only = Block->MyCell.Items(0);
  if (typeid(*Only) != typeid(TSection)) return;
  auto* Text = static_cast<TSection*>(Only);
  if (!Text->Objects().empty()) return;
  int Top = 0, Bottom = 0;
  bool BottomIsDefault = false;
  if (!Block->OnlyVerticalSpacing(Top, Bottom, BottomIsDefault)) return;
  if (!TSection::ParagraphSpacingFits(Top, Bottom)) return;
  std::unique_ptr<TSectionBase> Section = Block->MyCell.Extract(0);
  Text->SetParagraphSpacing(Top, Bottom, BottomIsDefault);
  const int Index = Owner->Count() - 1;
  Owner->Delete(Index);
  Owner->Insert(Index, std::move(Section));
  Owner->InvalidatePaintIndex();
}

void TBuilder::ApplyBlockMargin(TBlock* Block) {
  if (!Block->KeepsLastDefaultMargin() && Block->MyCell.DropLastBottomMargin())
    Block->SetDefaultBottomMargin();
  Block->CollapseLastBottomMargin();
  CurCell = Block->OwnerCell;
}

void TBuilder::FontChange() {
  if (CurSection) StartRun();
  Next();
}

void TBuilder::AppendText(const TokenObj& T) {
  if (T.Count() == 0 || !CurSection) return;
  CurSection->FNoBreak = NoWrap || Top().NoWrapText();
  CurSection->AppendTokens(T);
}

// A tab advances to the next multiple of eight columns from the start of the line, so that
// tabbed columns line up; every space it becomes maps back to the tab.
void TBuilder::AppendPreChar(TokenObj& T) {
  if (!Lex.CurFromTab) {
    T.Append(Lex.CurCh, Lex.SourcePos);
    return;
  }
  constexpr int TabStop = 8;
  const int Column = (CurSection ? CurSection->Len() : 0) + T.Count();
  for (int I = Column % TabStop; I < TabStop; ++I) T.Append(' ', Lex.SourcePos);
}

// Ends a preformatted line and opens the next. An empty line holds a line break, which
// keeps it a line's height, as a lone "<BR>" does.
void TBuilder::EndPreLine(TokenObj& T, int LineEnd) {
  AppendText(T);
  T.Clear();
  if (CurSection && CurSection->Len() == 0) CurSection->AppendChar(ccBreak, LineEnd);
  NewSection(false, true);
}

void TBuilder::AppendToken(const TLexToken& Token) {
  if (Token.Count() == 0 || !CurSection) return;
  if (First.Cell && TakeFirstStyles(Token)) return;
  AppendTokenPart(Token, 0, Token.Count());
}

void TBuilder::AppendTokenPart(const TLexToken& Token, int From, int Count) {
  if (Count <= 0 || !CurSection) return;
  CurSection->FNoBreak = NoWrap || Top().NoWrapText();
  const char* Chars = Token.Text().data() + From;
  const int* Indexes = Token.IndexData() + From;
  if (Lex.PreMode && !InPreElement) {
    // Preserved text in the flow: its spaces do not collapse and each line end breaks the
    // line.
    std::string Text(Chars, static_cast<size_t>(Count));
    for (char& C : Text)
      if (C == ' ') C = ccNbsp;
      else if (C == LineEndChar) C = ccBreak;
    CurSection->AppendChars(Text.data(), Indexes, Count);
    return;
  }
  CurSection->AppendChars(Chars, Indexes, Count);
}
// ---- the document loop -----------------------------------------------------------

void TBuilder::ParseBlockSequence(const TSymbolSet& Stop) {
  while (Sym() != symEof) {
    if (Stop.Contains(Sym())) return;
    switch (Sym()) {
      case symTitle: ParseTitle(); break;
      case symBody: ParseBody(); break;
      case symP: ParseParagraph(Stop); break;
      case symBase: ParseBase(); break;
      case symAddress: case symBlockquote: case symCenter: case symForm: case symDiv:
        ParseDivision(Sym(), Stop);
        break;
      case symOl: case symUl: case symDir: case symMenu: case symDl: {
        const TSymbol End = EndSymbolOf(Sym());
        ParseList(Sym(), Stop);
        if (Sym() == End) Next();
        break;
      }
      case symLi: case symDd: case symDt: {
        int Index = 1;
        ParseListItem(symNoList, Sym(), Index, Stop, false, '1');
        break;
      }
      case symLink: ParseLinkTag(); break;
      case symBgsound: ParseSound(); break;
      case symMeta: ParseMeta(); break;
      case symStyle: ParseStyle(); break;
      case symFormEnd:
        CurForm = nullptr;
        Next();
        break;
      default:
        if (BlanksBeforeParagraph(Stop)) Next();
        else if (BlockSequenceInline.Contains(Sym())) ParseInlineOrBlock();
        else Next();
    }
  }
}

// Blanks between blocks right before a paragraph: the section they would open is empty
// once its leading blanks go, and the paragraph drops it at once, so none is made.
bool TBuilder::BlanksBeforeParagraph(const TSymbolSet& Stop) {
  if (Sym() != symText || CurSection || Lex.PreMode || Stop.Contains(symP)) return false;
  const std::string_view Text = Lex.CurToken.Text();
  if (Text.empty() || Text.find_first_not_of(' ') != std::string_view::npos) return false;
  TClearSides Clear = TClearSides::None;
  // Such a section is kept.
  if (Top().ClearSides(Clear) && Clear != TClearSides::None) return false;
  return Lex.AtStartTag("P");
}
// ---- inline content --------------------------------------------------------------

void TBuilder::ParseInlineOrBlock() {
  const TSymbol S = Sym();
  switch (S) {
    case symB: case symI: case symEm: case symStrong: case symU: case symCite: case symVar:
    case symS: case symStrike: case symTt: case symCode: case symKbd: case symSamp: case symSpan:
    case symDfn: {
      TProperties& P = PushTagProps(StartTagName(S));
      TFloatSide Side = TFloatSide::None;
      if (P.DisplaysNothing()) {
        SkipUndisplayed(S);
      } else if (P.FloatSide(Side) && Side != TFloatSide::None &&
                 P.PositionKind() != TPositionKind::Absolute && BlockNesting < MaxBlockNesting) {
        ParseFloatingInline(S);
      } else if (OpenInlineAsBlock(P)) {
        Next();
      } else {
        const int Element = PropStack.Count() - 1;
        StartInlineElement(P);
        AppendGenerated("before", Element);
      }
      return;
    }
    case symBEnd: case symIEnd: case symEmEnd: case symStrongEnd: case symUEnd: case symCiteEnd:
    case symVarEnd: case symSEnd: case symStrikeEnd: case symTtEnd: case symCodeEnd:
    case symKbdEnd: case symSampEnd: case symSpanEnd: case symDfnEnd:
      AppendGenerated("after", OpenIndexOf(EndTagName(S)));
      EndInlineBox(EndTagName(S));
      CloseInlineAsBlock(EndTagName(S));
      PopPropsByTag(EndTagName(S));
      FontChange();
      return;
    case symSub: case symSup: case symBig: case symSmall:
      if (!CurSection) NewSection(true);
      if (S == symSub) VertShift = TScript::Sub;
      if (S == symSup) VertShift = TScript::Super;
      PushTagProps(StartTagName(S)).TakeTextBackground();
      FontChange();
      return;
    case symSubEnd: case symSupEnd: case symBigEnd: case symSmallEnd:
      if (S == symSubEnd || S == symSupEnd) VertShift = TScript::Normal;
      PopPropsByTag(EndTagName(S));
      FontChange();
      return;
    case symBr: ParseBreak({}); return;
    case symHeading: ParseHeading(); return;
    case symPre: ParsePre(); return;
    case symHr: ParseRule(); return;
    case symTable: ParseTable(); return;
    case symPage:
      CloseSection();
      (CurCell ? CurCell : Doc)->Add(std::make_unique<TPage>(Doc));
      Next();
      return;
    case symA: ParseAnchor(); return;
    case symAEnd: EndAnchor(); Next(); return;
    case symText:
      if (!CurSection) NewSection(true);
      AppendToken(Lex.CurToken);
      Next();
      return;
    case symFont: case symBasefont:
      ParseFont(S, false);
      FontChange();
      return;
    case symFontEnd:
      PopPropsByTag("font");
      FontChange();
      return;
    case symNobr: case symNobrEnd:
      NoWrap = S == symNobr;
      Next();
      return;
    case symWbr:
      if (CurSection && NoWrap) {
        NoWrap = false;
        CurSection->FNoBreak = false;
        CurSection->AppendChar(' ', Lex.TagStart);
        NoWrap = true;
      }
      Next();
      return;
    case symImage: ParseImage(); return;
    case symPanel: ParsePanel(); return;
    case symScript: ParseScript(); return;
    case symMap: ParseMap(); return;
    case symInput: ParseInput(); return;
    case symTextarea: ParseTextArea(); return;
    case symSelect: ParseSelect(); return;
    default:
      // Other symbols carry nothing here.
      Next();
  }
}

// A MAP element: its areas become a client-side image map of the document. A map that
// meets a third element other than AREA before its end is dropped.
void TBuilder::ParseMap() {
  auto Map = std::make_unique<TMapItem>();
  for (const TAttribute& At : Lex.CurAttributes)
    if (At.Sym == symName) Map->MapName = Upper(Trim(At.StrValue));
  Next();
  int Foreign = 0;
  while (Sym() != symMapEnd && Sym() != symEof && Foreign < 3) {
    if (Sym() == symArea) {
      TAreaAttributes Area;
      for (const TAttribute& At : Lex.CurAttributes) {
        switch (At.Sym) {
          case symHref: Area.Href = Trim(At.StrValue); break;
          case symNohref: Area.NoHref = true; break;
          case symTarget: Area.Target = At.StrValue; break;
          case symShape: Area.Shape = Trim(At.StrValue); break;
          case symCoords: Area.Coords = At.StrValue; break;
          default: break;
        }
      }
      Map->AddArea(Area);
    } else if (Sym() != symText) {
      ++Foreign;
    }
    Next();
  }
  if (Sym() == symMapEnd) Doc->ImageMaps.Add(std::move(Map));
  Next();
}

// A SCRIPT element: its text goes to the host's script handler as it stands (tags and
// references are not read inside it); without a handler it is passed over.
void TBuilder::ParseScript(bool ReadNext) {
  std::string Name, Language;
  if (const TAttribute* A = Lex.CurAttributes.Find(symName)) Name = A->StrValue;
  if (const TAttribute* A = Lex.CurAttributes.Find(symLanguage)) Language = A->StrValue;
  const bool Deliver = bool(Doc->Hooks.OnScript);
  // Comment markers belong to the script when it is delivered.
  Lex.TagsOff = Deliver;
  std::string Script;
  try {
    for (;;) {
      const char Ch = Lex.CurCh;
      if (Ch == EndOfInput) break;
      if (Ch == LineEndChar) {
        if (Deliver) Script += "\r\n";
        Lex.NextChar();
      } else if (Ch == '<') {
        std::string Word(1, '<');
        Lex.NextChar();
        while (Word.size() < 8 && (Lex.CurCh == '/' || std::isalpha(static_cast<unsigned char>(Lex.CurCh)))) {
          Word += Lex.CurCh;
          Lex.NextChar();
        }
        while (Lex.CurCh == ' ' || Lex.CurCh == '\t') {
          Word += Lex.CurCh;
          Lex.NextChar();
        }
        if (Lex.CurCh == '>') {
          Word += '>';
          Lex.NextChar();
        }
        std::string Bare;
        for (char C : Word)
          if (C != ' ' && C != '\t') Bare += C;
        if (Lower(Bare) == "</script>") break;
        if (Deliver) Script += Word;
      } else {
        while (Lex.CurCh != EndOfInput && Lex.CurCh != LineEndChar && Lex.CurCh != '<') {
          if (Deliver) Script += Lex.CurCh;
          Lex.NextChar();
        }
      }
    }
    if (Deliver) Doc->Hooks.OnScript(Doc->Viewer, Name, Language, Script.c_str());
  } catch (...) {
    Lex.TagsOff = false;
    throw;
  }
  Lex.TagsOff = false;
  if (ReadNext) Next();
}

void TBuilder::ParseParagraph(const TSymbolSet& Stop) {
  if (Stop.Contains(symP)) return;
  CloseSection();
  Lex.SkipBlanks();
  auto Take = [this](std::string& Align, std::string& Class, std::string& ID, std::string& Title,
                     std::unique_ptr<TProperties>& Style) {
    Align = AlignValue();
    Class = Lex.CurAttributes.ClassValue(StandardsDocument);
    ID = Lex.CurAttributes.IDValue(StandardsDocument);
    Title = Lex.CurAttributes.TitleValue();
    Style.reset();
    if (TProperties* SP = Lex.CurAttributes.StyleProps()) {
      Style = std::make_unique<TProperties>();
      Style->CopyValues(*SP);
      Style->FSetHere = SP->FSetHere;
    }
  };
  std::string Align, Class, ID, Title;
  std::unique_ptr<TProperties> Style;
  Take(Align, Class, ID, Title, Style);
  // The style is known before the text is read: it may keep the text's blanks.
  PushProps("p", Class, ID, "", Title, Style.get());
  Next();
  while (Sym() == symP || Sym() == symPEnd) {
    if (Sym() == symP) {
      Take(Align, Class, ID, Title, Style);
      PopPropsByTag("p");
      PushProps("p", Class, ID, "", Title, Style.get());
    }
    Lex.SkipBlanks();
    Next();
  }
  ApplyAlign(Align);
  TBlock* Block = NewBlock();
  PutMarkerInside(Block);
  AppendGenerated("before", PropStack.Count() - 1);
  while (!Stop.Contains(Sym()) && InlineSyms.Contains(Sym())) {
    if (Sym() == symOther) Next();
    else ParseInlineOrBlock();
  }
  AppendGenerated("after", OpenIndexOf("p"));
  CloseSection();
  PopPropsByTag("p");
  CurCell = Block->OwnerCell;
  if (ID.empty() && Title.empty()) CompactParagraph(Block);
  if (Sym() == symPEnd) Next();
}

void TBuilder::ParseHeading() {
  const int Level = Lex.HeadingLevel;
  // Past the nesting cap a heading's content flows on like that of an unknown level.
  if (Level < 1 || Level > 6 || BlockNesting >= MaxBlockNesting) {
    Next();
    return;
  }
  TNestingLevel Nested(BlockNesting);
  CloseSection();
  const std::string Name = "h" + std::to_string(Level);
  PushTagProps(Name);
  ApplyAlign(AlignValue());
  Lex.SkipBlanks();
  Next();
  if (Sym() == symCenter) {
    Top().SetDeclaration("text-align", "center");
    Next();
  }
  TBlock* Block = NewBlock();
  NewSection(true);
  AppendGenerated("before", PropStack.Count() - 1);
  for (;;) {
    const TSymbol S = Sym();
    if (S == symP) ParseParagraph({});
    else if (S == symOther) Next();
    else if (S == symDiv) ParseDivision(symDiv, {});
    else if ((InlineSyms.Contains(S) && S != symMap) || S == symHr)
      ParseInlineOrBlock();
    else break;
  }
  AppendGenerated("after", OpenIndexOf(Name));
  CloseSection();
  PopPropsByTag(Name);
  CurCell = Block->OwnerCell;
  if (Sym() == symHeadingEnd) Next();
}

void TBuilder::ParseBreak(const TSymbolSet& Stop) {
  if (Stop.Contains(symBr)) return;
  if (Lex.CurAttributes.Find(symClear)) {
    CloseSection();
  } else {
    if (!CurSection) NewSection(false);
    CurSection->AppendChar(ccBreak, Lex.TagStart);
    CloseSection();
  }
  NewSection(false);
  Next();
}

void TBuilder::ParseDivision(TSymbol S, const TSymbolSet& Stop) {
  if (BlockNesting >= MaxBlockNesting) {
    // Too deep to nest further: the content goes on in the innermost block, from a new line.
    CloseSection();
    Next();
    return;
  }
  TNestingLevel Nested(BlockNesting);
  switch (S) {
    case symAddress: case symBlockquote: {
      const TSymbol End = EndSymbolOf(S);
      ParseList(S, Stop);
      if (Sym() == End) Next();
      NewSection(true);
      return;
    }
    case symCenter: {
      CloseSection();
      PushProps("center", "", "", "", "", nullptr);
      NewSection(true);
      Next();
      ParseBlockSequence(Stop + TSymbolSet{symCenterEnd});
      CloseSection();
      PopPropsByTag("center");
      NewSection(true);
      if (Sym() == symCenterEnd) Next();
      return;
    }
    case symDiv: {
      PushTagProps("div");
      if (Top()[piDisplay].Equals("inline-block")) {
        ParseInlineBlock(Stop);
        return;
      }
      if (Top()[piDisplay].Equals("inline")) {
        // Shown inline: its text runs on in the line around it.
        if (CurSection) StartRun();
        Next();
        ParseBlockSequence(Stop + TSymbolSet{symDivEnd});
        PopPropsByTag("div");
        if (CurSection) StartRun();
        if (Sym() == symDivEnd) Next();
        return;
      }
      CloseSection();
      ApplyAlign(AlignValue());
      TBlock* Block = NewBlock();
      NewSection(true);
      PutMarkerInside(Block);
      AppendGenerated("before", PropStack.Count() - 1);
      Next();
      ParseBlockSequence(Stop + TSymbolSet{symDivEnd});
      if (CurCell == &Block->MyCell) AppendGenerated("after", OpenIndexOf("div"));
      CloseSection();
      PopPropsByTag("div");
      ApplyBlockMargin(Block);
      NewSection(true);
      if (Sym() == symDivEnd) Next();
      return;
    }
    case symForm:
      while (Sym() == symForm) {
        CloseSection();
        PushTagProps("form");
        TBlock* Block = NewBlock();
        OpenForm();
        Next();
        ParseBlockSequence(Stop + TSymbolSet{symForm, symFormEnd});
        CloseSection();
        PopPropsByTag("form");
        ApplyBlockMargin(Block);
        if (Sym() == symFormEnd) {
          CurForm = nullptr;
          Next();
        }
      }
      return;
    default:
      Next();
  }
}
void TBuilder::InInlineBlock(bool Register, const std::function<void(TBlock&)>& Fill) {
  if (!CurSection) NewSection(true);
  auto Object = std::make_unique<TInlineBlockObj>(Doc);
  std::unique_ptr<TBlock> Owned = MakeBlock(&Object->Cell());
  TBlock* Block = Owned.get();
  Block->MakeInlineBlock();
  Object->Cell().Add(std::move(Owned));
  if (Register) RegisterId(Block);
  CurSection->AddObject(std::move(Object), Lex.TagStart);
  // The content goes into the block; the line around it goes on after it.
  std::unique_ptr<TSection> Line = std::move(CurSection);
  std::vector<TOpenBox> Boxes = std::move(OpenBoxes);
  OpenBoxes.clear();
  TCellBasic* Outer = CurCell;
  CurCell = &Block->MyCell;
  NewSection(true);
  try {
    Fill(*Block);
  } catch (...) {
    // A document cut short inside the block: what was read of it stays in the block, and
    // the builder finishes in the line around it, which owns the block.
    CloseSection();
    CurCell = Outer;
    CurSection = std::move(Line);
    OpenBoxes = std::move(Boxes);
    throw;
  }
  CurCell = Outer;
  CurSection = std::move(Line);
  OpenBoxes = std::move(Boxes);
}

void TBuilder::ParseInlineBlock(const TSymbolSet& Stop) {
  InInlineBlock(true, [&](TBlock& Block) {
    struct TDepth {
      int& Depth;
      explicit TDepth(int& D) : Depth(++D) {}
      ~TDepth() { --Depth; }
    } depth(InlineBlockDepth);
    Next();
    ParseBlockSequence(Stop + TSymbolSet{symDivEnd});
    CloseSection();
    PopPropsByTag("div");
    if (!Block.KeepsLastDefaultMargin() && Block.MyCell.DropLastBottomMargin())
      Block.SetDefaultBottomMargin();
  });
  StartRun();
  if (Sym() == symDivEnd) Next();
}
// ---- preformatted text -----------------------------------------------------------

void TBuilder::ParsePre() {
  TokenObj T;
  CloseSection();
  PushTagProps("pre");
  const int HIndex = PropStack.Count() - 1;
  TBlock* PreBlock = NewBlock();
  NewSection(true, true);
  InPreElement = true;
  Lex.PreMode = true;
  // A line end right after the tag starts no line.
  if (Lex.CurCh == LineEndChar) Lex.NextChar();
  TBlock* ParaBlock = nullptr;
  TBlock* FormBlock = nullptr;
  auto Flush = [&] {
    AppendText(T);
    T.Clear();
  };
  auto SkipLineEnd = [&] {
    if (Lex.CurCh == LineEndChar) Lex.NextChar();
  };
  // Paragraphs and forms inside the text are blocks of their own around the lines they
  // hold; closing one drops an empty last line and goes back to the cell around it.
  auto CloseInnerBlock = [&](TBlock*& Block, const char* Tag) {
    Flush();
    if (CurSection && CurSection->Len() == 0) CurSection.reset();
    CloseSection();
    PopPropsByTag(Tag);
    CurCell = Block->OwnerCell;
    Block = nullptr;
  };
  auto CloseParagraph = [&] { CloseInnerBlock(ParaBlock, "p"); };
  auto CloseForm = [&] {
    CloseInnerBlock(FormBlock, "form");
    CurForm = nullptr;
  };
  bool Done = false;
  while (!Done) {
    const char C = Lex.CurUpCh;
    if (C == LineEndChar) {
      EndPreLine(T, Lex.SourcePos);
      Lex.NextChar();
    } else if (C == EndOfInput) {
      break;
    } else if (C == '&') {
      Lex.NextSymbol();
      for (int I = 0; I < Lex.CurToken.Count(); ++I)
        T.Append(Lex.CurToken.Chars(I), Lex.CurToken.Indexes(I));
    } else if (C != '<') {
      AppendPreChar(T);
      if (T.Count() > 200) Flush();
      Lex.NextChar();
    } else {
      Lex.NextSymbol();
      const TSymbol S = Sym();
      switch (S) {
        case symP:
          if (ParaBlock) {
            CloseParagraph();
          } else {
            Flush();
            if (CurSection && CurSection->Len() == 0) CurSection.reset();
            CloseSection();
          }
          SkipLineEnd();
          PushTagProps("p");
          ParaBlock = NewBlock();
          NewSection(true, true);
          break;
        case symPEnd:
          if (ParaBlock) {
            CloseParagraph();
            NewSection(true, true);
          }
          break;
        case symB: case symI: case symEm: case symStrong: case symU: case symCite: case symVar:
        case symS: case symStrike: case symSpan: case symDfn:
          Flush();
          PushTagProps(StartTagName(S)).TakeTextBackground();
          if (CurSection) StartRun();
          break;
        case symBEnd: case symIEnd: case symEmEnd: case symStrongEnd: case symUEnd:
        case symCiteEnd: case symVarEnd: case symSEnd: case symStrikeEnd: case symSpanEnd:
        case symDfnEnd:
          Flush();
          PopPropsByTag(EndTagName(S));
          if (CurSection) StartRun();
          break;
        case symBr:
          EndPreLine(T, Lex.TagStart);
          SkipLineEnd();
          break;
        case symPreEnd: case symTdEnd: case symThEnd: case symEof:
          Done = true;
          break;
        case symA:
          Flush();
          ParseAnchor(false);  // the link text follows as characters
          break;
        case symAEnd:
          Flush();
          EndAnchor();
          break;
        case symFont: case symBasefont:
          Flush();
          ParseFont(S, true);
          if (CurSection) StartRun();
          break;
        case symFontEnd:
          if (PropStack.Count() - 1 > HIndex) {
            Flush();
            PopPropsByTag("font");
            if (CurSection) StartRun();
          }
          break;
        case symInput: case symSelect: case symTextarea:
          Flush();
          if (!CurSection) NewSection(true, true);
          if (S == symInput) ParseInput(false);
          else if (S == symSelect) ParseSelect(false);
          else ParseTextArea(false);
          break;
        case symScript:
          Flush();
          ParseScript(false);
          break;
        case symForm:
          if (ParaBlock) CloseParagraph();
          if (FormBlock) {
            CloseForm();
          } else {
            Flush();
            if (CurSection && CurSection->Len() == 0) CurSection.reset();
            CloseSection();
          }
          PushTagProps("form");
          FormBlock = NewBlock();
          OpenForm();
          NewSection(true, true);
          break;
        case symFormEnd:
          if (ParaBlock) CloseParagraph();
          if (FormBlock) CloseForm();
          CurForm = nullptr;
          if (!CurSection) NewSection(true, true);
          break;
        default:
          break;
      }
    }
  }
  if (ParaBlock) CloseParagraph();
  if (FormBlock) CloseForm();
  Flush();
  // An element without any text is still as high as its font's point size.
  if (CurSection && CurSection->Len() == 0 && CurCell == &PreBlock->MyCell &&
      PreBlock->MyCell.Count() == 0)
    CurSection->FKeepsFontRoom = true;
  CloseSection();
  InPreElement = false;
  while (PropStack.Count() > HIndex && PropStack.Count() > 1) PropStack.Pop();
  ForgetFirstStyles(PropStack.Count());
  FollowWhiteSpace();
  CurCell = PreBlock->OwnerCell;
  Next();
}

// ---- fonts and links -------------------------------------------------------------

double FontSizeOf(int DefaultSize, int Index, bool Pre) { return FontSizePoints(DefaultSize, Index, Pre); }

void TBuilder::ParseFont(TSymbol S, bool Pre) {
  int Size = 0;
  bool HaveSize = false, HaveColor = false, HaveCharset = false;
  TColor Color = 0;
  std::string Face;
  uint8_t Charset = 0;
  for (const TAttribute& A : Lex.CurAttributes) {
    if (A.Sym == symSize) {
      const std::string& V = A.StrValue;
      int N = A.NumValue;
      if (V.size() > 1 && (V[0] == '+' || V[0] == '-')) N = BaseFontIndex + N;
      Size = std::clamp(N, 1, 7);
      HaveSize = true;
      if (S == symBasefont) BaseFontIndex = Size;
    } else if (A.Sym == symColor) {
      HaveColor = ParseColor(A.StrValue, false, Color) || HaveColor;
    } else if (A.Sym == symFace && S == symFont && !A.StrValue.empty()) {
      Face = A.StrValue;
    } else if (A.Sym == symCharset && !Utf8Text) {
      HaveCharset = Lex.CharsetFromName(A.StrValue, Charset) || HaveCharset;
    }
  }
  TProperties& P = PushTagProps("font");
  P.TakeTextBackground();
  if (HaveColor) P.SetFromAttribute(TPropValue(int(Color | PaletteRelativeFlag)), piColor);
  if (HaveSize) P.SetFromAttribute(TPropValue(FontSizeOf(Doc->BaseFontSize, Size, Pre)), piFontSize);
  if (!Face.empty()) P.SetFromAttribute(TPropValue(std::string_view(Face)), piFontFamily);
  if (HaveCharset) P.ApplyCharSet(Charset);
}

void TBuilder::ParseAnchor(bool ReadNext) {
  const TAttribute* Href = Lex.CurAttributes.Find(symHref);
  std::string Pseudo;
  if (Href) {
    if (LinkOpen) EndAnchor();
    LinkOpen = true;
    const TAttribute* Target = Lex.CurAttributes.Find(symTarget);
    LinkTarget.Assign(Href->StrValue, Target ? Target->StrValue : std::string());
    Pseudo = "link";
  }
  TProperties& P = PushTagProps("a", Pseudo);
  P.TakeTextBackground();
  if (!InPreElement && OpenInlineAsBlock(P)) NewSection(true);
  else if (CurSection) StartRun();
  else NewSection(true, InPreElement);
  if (const TAttribute* Name = Lex.CurAttributes.Find(symName)) {
    std::string N = Upper(Name->StrValue);
    if (!N.empty() && N[0] == '#') N.erase(0, 1);
    if (Doc->IdNames && !N.empty()) Doc->IdNames->AddObject(N, CurSection.get());
    CurSection->FHasAnchor = true;
  }
  if (ReadNext) Next();
}

void TBuilder::EndAnchor() {
  if (LinkOpen) {
    LinkTarget.Clear();
    LinkOpen = false;
  }
  CloseInlineAsBlock("a");
  PopPropsByTag("a");
  if (CurSection) StartRun();
}

}  // namespace builder_internal
