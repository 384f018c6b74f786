#include "reader/builder.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <typeinfo>

#include "document/block.h"
#include "document/horz_line.h"
#include "document/list_item.h"
#include "document/id_name_list.h"
#include "document/section_list.h"
#include "document/text_section.h"
#include "document/token_obj.h"
#include "reader/lexer.h"
#include "reader/utf8_source.h"
#include "style/colors.h"
#include "style/css_parser.h"
#include "style/style_list.h"

namespace {

// A line of preformatted text: spaces and line ends are kept and never broken.
class TPreLine : public TSection {
 public:
  using TSection::TSection;
  bool IsPreformatted() const override { return true; }
  // A line that is never broken needs its whole width.
  void MeasureWidths(TCanvas* Canvas, int& Min, int& Max) override {
    TSection::MeasureWidths(Canvas, Min, Max);
    Min = std::max(Min, Max);
  }
  // Every space is kept: only the source map is built.
  void CompleteText() override {
    if (!FSourceOpen) return;
    for (int I = 0; I < Len(); ++I)
      if (FText[I] == ccNbsp) FText[I] = ' ';
    MaterializeBreakFlags();
    Rare().BreakFlags.push_back('y');
    CheckBreakFlags(1);
    CloseText();
  }
};

constexpr TColor PaletteRelative = 0x2000000;

std::string Lower(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return R;
}

// Whether a style sheet is for the screen: it has no MEDIA attribute, or its comma-separated
// list names "screen" or "all". Each entry counts up to its first character that is not a
// letter, digit or hyphen, after an optional "only", so media queries name their type too.
bool ForScreen(const TAttributeList& Attributes) {
  const TAttribute* Media = Attributes.Find(symMedia);
  if (!Media || Media->StrValue.find_first_not_of(" \t\r\n") == std::string::npos) return true;
  const std::string List = Lower(Media->StrValue);
  auto IsNameChar = [](char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '-'; };
  size_t P = 0;
  while (P < List.size()) {
    const size_t End = std::min(List.find(',', P), List.size());
    std::string_view Entry(List.data() + P, End - P);
    P = End + 1;
    for (int Word = 0; Word < 2; ++Word) {
      const size_t Start = Entry.find_first_not_of(" \t\r\n");
      if (Start == std::string_view::npos) break;
      Entry.remove_prefix(Start);
      size_t Length = 0;
      while (Length < Entry.size() && IsNameChar(Entry[Length])) ++Length;
      const std::string_view Type = Entry.substr(0, Length);
      if (Type == "screen" || Type == "all") return true;
      if (Type != "only") break;
      Entry.remove_prefix(Length);
    }
  }
  return false;
}

std::string DirectoryOf(const std::string& Path) {
  const size_t P = Path.find_last_of("/\\");
  return P == std::string::npos ? std::string() : Path.substr(0, P + 1);
}

const TSymbolSet InlineSyms = {
    symB, symBEnd, symI, symIEnd, symBr, symEm, symEmEnd, symStrong, symStrongEnd, symU, symUEnd,
    symCite, symVar, symCiteEnd, symVarEnd, symTt, symCode, symKbd, symSamp, symTtEnd, symCodeEnd,
    symKbdEnd, symSampEnd, symImage, symA, symAEnd, symOther, symText, symInput, symTextarea,
    symTextareaEnd, symSelect, symFont, symFontEnd, symBasefont, symSub, symSubEnd, symSup,
    symSupEnd, symBig, symBigEnd, symSmall, symSmallEnd, symMap, symPage, symScript, symScriptEnd,
    symS, symSEnd, symStrike, symStrikeEnd, symPanel, symNobr, symNobrEnd, symWbr, symSpan,
    symSpanEnd};

const TSymbolSet BlockSequenceInline = {
    symB, symBEnd, symI, symIEnd, symBr, symHeading, symHeadingEnd, symEm, symEmEnd, symStrong,
    symStrongEnd, symU, symUEnd, symHr, symCite, symVar, symCiteEnd, symVarEnd, symTt, symCode,
    symKbd, symSamp, symTtEnd, symCodeEnd, symKbdEnd, symSampEnd, symPre, symImage, symA, symAEnd,
    symText, symTable, symInput, symTextarea, symTextareaEnd, symSelect, symFont, symFontEnd,
    symBasefont, symSub, symSubEnd, symSup, symSupEnd, symBig, symBigEnd, symSmall, symSmallEnd,
    symMap, symPage, symScript, symS, symSEnd, symStrike, symStrikeEnd, symPanel, symNobr,
    symNobrEnd, symWbr, symSpan, symSpanEnd};

class TBuilder {
 public:
  // Charset, when not negative, is the character set the whole text is in.
  TBuilder(std::string_view Text, TSectionList* Document, const TBuildHandlers* Handlers,
           int Charset = -1);
  ~TBuilder();
  void RunHtml();
  void RunText();
  TBuildResult Result;

 private:
  // Property stack.
  TProperties& PushProps(std::string_view Tag, std::string_view Class, std::string_view ID,
                         std::string_view Pseudo, std::string_view Title, TProperties* Style);
  TProperties& PushTagProps(std::string_view Tag, std::string_view Pseudo = {});
  void PopPropsByTag(std::string_view Tag);
  std::string AlignValue();
  void ApplyAlign(const std::string& Align);
  TProperties& Top() { return PropStack.Last(); }

  // Sections and blocks.
  void CloseSection();
  void NewSection(bool Indent, bool Pre = false);
  void StartRun();
  TBlock* NewBlock();
  void RegisterId(TSectionBase* Object);
  void ApplyBlockMargin(TBlock* Block);
  void CompactParagraph(TBlock* Block);
  void FontChange();
  void AppendToken(const TLexToken& Token);
  void AppendText(const TokenObj& T);
  void AppendPreChar(TokenObj& T);
  void EndPreLine(TokenObj& T, int LineEnd);

  // Parsing. The document loop, divisions and headings recurse once per nesting level;
  // the parsers of elements that hold no blocks stay out of line, so that their locals do
  // not enlarge the frames of the recursion.
  void Next() { Lex.NextSymbol(); }
  TSymbol Sym() const { return Lex.CurSym; }
  void ParseBlockSequence(const TSymbolSet& Stop);
  bool BlanksBeforeParagraph(const TSymbolSet& Stop);
  void ParseInlineOrBlock();
  [[gnu::noinline]] void ParseParagraph(const TSymbolSet& Stop);
  void ParseHeading();
  void ParseBreak(const TSymbolSet& Stop);
  void ParseDivision(TSymbol S, const TSymbolSet& Stop);
  void ParseList(TSymbol S, const TSymbolSet& Stop);
  // Index is the item's number; an item with a VALUE changes it for the items after it.
  void ParseListItem(TSymbol ListSym, TSymbol ItemSym, int& Index, const TSymbolSet& Stop,
                     bool Plain, char TypeChar);
  [[gnu::noinline]] void ParsePre();
  [[gnu::noinline]] void ParseRule();
  [[gnu::noinline]] void ParseFont(TSymbol S, bool Pre);
  [[gnu::noinline]] void ParseAnchor(bool ReadNext = true);
  void EndAnchor();
  [[gnu::noinline]] void ParseTitle();
  [[gnu::noinline]] void ParseBase();
  [[gnu::noinline]] void ParseMeta();
  [[gnu::noinline]] void ParseLinkTag();
  [[gnu::noinline]] void ParseSound();
  [[gnu::noinline]] void ParseBody();
  bool OpenSectionHoldsContent() const;
  [[gnu::noinline]] void ParseStyle();
  char SkipStyleContent();
  void SkipRaw(TSymbol EndSym);
  void RegisterLinkRuns(const TSection& Section);
  void Cleanup();

  TLexer Lex;
  std::string_view Source;
  TSectionList* Doc;
  const TBuildHandlers* H;
  TCellBasic* CurCell = nullptr;
  std::unique_ptr<TSection> CurSection;
  TBodyBlock* BodyBlock = nullptr;
  TPropStack PropStack;
  static constexpr int MaxOpenElements = 4096;
  // Stack levels that end tags may still walk and derive again (see PopPropsByTag).
  static constexpr int64_t FreePopReach = 32, PopBudgetPerElement = 16;
  int64_t PopBudget = 4096;
  TUrlTarget LinkTarget;
  bool LinkOpen = false;
  int BaseFontIndex = 3;
  int VertShift = 0;
  bool NoWrap = false;
  int TableDepth = 0;
  int BlockNesting = 0;  // block elements open around the current symbol
  int ListDepth = 0;     // ordered, unordered, directory and menu lists open
  bool CharsetGiven = false;  // the whole text is in the set the constructor was given
};

// Counts one more open block element for as long as it lives.
class TNestingLevel {
 public:
  explicit TNestingLevel(int& Level) : FLevel(Level) { ++FLevel; }
  ~TNestingLevel() { --FLevel; }
  TNestingLevel(const TNestingLevel&) = delete;
  TNestingLevel& operator=(const TNestingLevel&) = delete;

 private:
  int& FLevel;
};

TBuilder::TBuilder(std::string_view Text, TSectionList* Document, const TBuildHandlers* Handlers,
                   int Charset)
    : Source(Text), Doc(Document), H(Handlers) {
  if (!Doc) throw Exception("no document to build into");
  if (!Doc->StyleSheet) throw Exception("the document has no style list");
  CurCell = Doc;
  if (H && H->OnInclude) {
    Lex.OnInclude = [this](const std::string& Command, std::unique_ptr<TStringList> Params,
                           const char*& Buffer, int& BuffSize) {
      char* Out = nullptr;
      int Size = 0;
      H->OnInclude(H->Sender, Command, Params.get(), Out, Size);
      Buffer = Out;
      BuffSize = Size;
    };
  }
  Lex.OnTextCharset = [this] { return PropStack.Count() ? Top().FCharSet : uint8_t(0); };
  TProperties& Base = PropStack.Push();
  if (const TProperties* Def = Doc->StyleSheet->DefaultRule()) Base.CopyAsDefault(*Def);
  Lex.Start(Source);
  if (Lex.JapaneseConverted) Base.ApplyCharSet(128);
  if (Charset >= 0) Base.ApplyCharSet(uint8_t(Charset));
  CharsetGiven = Charset >= 0;
  auto Body = std::make_unique<TBodyBlock>(Doc, nullptr, Doc, Base);
  BodyBlock = Body.get();
  CurCell->Add(std::move(Body));
  CurCell = &BodyBlock->MyCell;
  NewSection(true);
}

TBuilder::~TBuilder() = default;

void TBuilder::Cleanup() {
  CloseSection();
  PropStack.Clear();
  LinkTarget.Clear();
  Lex.Finish();
}

void TBuilder::RegisterLinkRuns(const TSection& Section) {
  for (int R = 0; R < Section.FFontRuns.Count(); ++R)
    if (!Section.FFontRuns[R]->Target().URL.empty()) Doc->LinkRuns.push_back(Section.FFontRuns[R]);
}

void TBuilder::RunHtml() {
  try {
    Lex.NextChar();
    Next();
    ParseBlockSequence({});
  } catch (const Exception&) {
    // Whatever was read so far is kept and shown, the text cut short by the error too.
    if (Lex.CurToken.Count() > 0) {
      if (!CurSection) NewSection(true);
      AppendToken(Lex.CurToken);
    }
  }
  Cleanup();
}

void TBuilder::RunText() {
  Lex.TagsOff = true;
  try {
    Lex.NextChar();
    CloseSection();
    PushProps("pre", "", "", "", "", nullptr);
    Lex.PreMode = true;
    NewSection(false, true);
    TokenObj T;
    for (;;) {
      const char C = Lex.CurCh;
      if (C == 26) break;
      if (C == 13) {
        EndPreLine(T, Lex.SourcePos);
      } else {
        AppendPreChar(T);
        if (T.Count() > 200) {
          AppendText(T);
          T.Clear();
        }
      }
      Lex.ReadChar();
    }
    AppendText(T);
    CloseSection();
    Lex.PreMode = false;
    PopPropsByTag("pre");
  } catch (const Exception&) {
  }
  Cleanup();
}

// ---- property stack --------------------------------------------------------------

TProperties& TBuilder::PushProps(std::string_view Tag, std::string_view Class, std::string_view ID,
                                 std::string_view Pseudo, std::string_view Title,
                                 TProperties* Style) {
  // Past this depth a new element takes the place of the innermost open one, as its
  // sibling: no page nests that deep, and unclosed tags must not grow the stack (a set
  // per element) without bound.
  if (PropStack.Count() > MaxOpenElements) PropStack.Pop();
  TProperties& P = PropStack.Push();
  P.ApplyStyles(*Doc->StyleSheet, Tag, Class, ID, Pseudo, Title, Style);
  PopBudget += PopBudgetPerElement;
  return P;
}

TProperties& TBuilder::PushTagProps(std::string_view Tag, std::string_view Pseudo) {
  TAttributeList& A = Lex.CurAttributes;
  const std::string Class = A.ClassValue();
  const std::string ID = A.IDValue();
  const std::string Title = A.TitleValue();
  return PushProps(Tag, Class, ID, Pseudo, Title, A.StyleProps());
}

// Finding the element and deriving again what was opened inside it both cost the number
// of sets above it. Beyond a short reach that is always free, that is paid from a budget
// which every opened element tops up, so that hostile runs of end tags over thousands of
// unclosed elements stay linear: an end tag whose element lies deeper than the budget
// reaches is ignored. Real pages never get there.
void TBuilder::PopPropsByTag(std::string_view Tag) {
  const int Last = PropStack.Count() - 1;
  const int Lowest = int(std::max<int64_t>(1, Last - std::max(FreePopReach, PopBudget)));
  for (int I = Last; I >= Lowest; --I) {
    if (PropStack[I].FTagName != Tag) continue;
    PopBudget = std::max<int64_t>(0, PopBudget - 2 * (Last - I));
    PropStack.Delete(I);
    // Everything opened inside the closed element loses what it inherited from it.
    for (int J = I; J < PropStack.Count(); ++J)
        PropStack[J].Refresh(PropStack[J - 1], *Doc->StyleSheet, J);
    return;
  }
  PopBudget = std::max<int64_t>(0, PopBudget - (Last - Lowest));
}

std::string TBuilder::AlignValue() {
  const TAttribute* A = Lex.CurAttributes.Find(symAlign);
  if (!A) return {};
  const std::string V = Lower(A->StrValue);
  if (V == "left" || V == "center" || V == "right" || V == "justify") return V;
  if (V == "middle") return "center";
  return {};
}

void TBuilder::ApplyAlign(const std::string& Align) {
  if (!Align.empty()) Top().SetDeclaration("text-align", Align);
}

// ---- sections and blocks ---------------------------------------------------------

// Link runs are listed once their section is final and kept, so no dropped section
// leaves one behind. Sections join their cells in document order (a block joins its
// cell before its content is read), so the runs are listed in document order too.
void TBuilder::CloseSection() {
  if (!CurSection) return;
  if (CurCell) {
    const TSection* Section = CurSection.get();
    const int Before = CurCell->Count();
    CurCell->Add(std::move(CurSection));
    if (CurCell->Count() > Before && CurCell->Items(CurCell->Count() - 1) == Section)
      RegisterLinkRuns(*Section);
  }
  CurSection.reset();
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
  if (Align.Equals("center")) S.FAlign = 2;
  else if (Align.Equals("right")) S.FAlign = 3;
  else if (Align.Equals("justify")) S.FAlign = 4;
  if (Indent) {
    bool Pct = false;
    const int V = P.IndentValue(Pct);
    if (Pct)
      S.FFirstIndentPct = static_cast<int8_t>(std::clamp(V, 0, 90));  // as TSection::Create
    else
      S.FFirstIndent = V;
  }
  int Clear = 0;
  if (P.ClearSides(Clear)) S.FClear = Clear;
  if (const TAttribute* C = Lex.CurAttributes.Find(symClear); C && Lex.CurSym == symBr) {
    const std::string V = Lower(C->StrValue);
    S.FClear = V == "left" ? 1 : V == "right" ? 2 : V == "all" || V == "both" ? 3 : 0;
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
  S.FCaseTransform = static_cast<int8_t>(Top().CaseTransform());
  S.StartFontRun(Top().ElementFont(), Top().FTitleText);
  TFontObj* Run = S.FFontRuns.Last();
  if (!Run) return;
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
}

TBlock* TBuilder::NewBlock() {
  TCellBasic* Owner = CurCell ? CurCell : Doc;
  auto B = std::make_unique<TBlock>(Doc, &Lex.CurAttributes, Owner, Top());
  TBlock* Block = B.get();
  Owner->Add(std::move(B));
  CurCell = &Block->MyCell;
  RegisterId(Block);
  return Block;
}

// A block element with an id can be scrolled to like a named anchor.
void TBuilder::RegisterId(TSectionBase* Object) {
  const std::string& Id = Top().FElementId;
  if (Id.empty() || !Doc->IdNames) return;
  std::string Key = Id;
  for (char& C : Key) C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
  Doc->IdNames->AddObject(Key, Object);
}

// A paragraph whose box is nothing but vertical spacing and that holds a single text
// section hands the spacing to the section and leaves its block out: pages are mostly
// such paragraphs, and a block for each would more than double what they keep.
void TBuilder::CompactParagraph(TBlock* Block) {
  TCellBasic* Owner = Block->OwnerCell;
  if (!Owner || Owner->Count() == 0 || Owner->Items(Owner->Count() - 1) != Block) return;
  if (Block->MyCell.Count() != 1) return;
  auto* Text = dynamic_cast<TSection*>(Block->MyCell.Items(0));
  if (!Text || typeid(*Text) != typeid(TSection) || !Text->Objects().empty()) return;
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
  if (Block->MyCell.DropLastBottomMargin()) Block->SetDefaultBottomMargin();
  CurCell = Block->OwnerCell;
}

void TBuilder::FontChange() {
  if (CurSection) StartRun();
  Next();
}

void TBuilder::AppendText(const TokenObj& T) {
  if (T.Count() == 0 || !CurSection) return;
  CurSection->FNoBreak = NoWrap;
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
  CurSection->FNoBreak = NoWrap;
  CurSection->AppendChars(Token.Text().data(), Token.IndexData(), Token.Count());
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
  int Clear = 0;
  if (Top().ClearSides(Clear) && Clear != 0) return false;  // such a section is kept
  return Lex.AtStartTag("P");
}

void TBuilder::ParseStyle() {
  // The character that stops the sheet, normally the "<" of the end tag, becomes current.
  char Stop = Lex.CurCh;
  if (!ForScreen(Lex.CurAttributes)) {
    Stop = SkipStyleContent();
  } else if (Stop != '<') {
    // An empty element has no sheet; the parser would take the end tag's "<" as its start.
    ParseStyleSheet(*Doc->StyleSheet, Lex.CharSource(), Stop, "",
                    [this] { return Lex.MayStartEndTag("STYLE"); });
  }
  Lex.CurCh = Stop;
  Lex.CurUpCh = static_cast<char>(std::toupper(static_cast<unsigned char>(Stop)));
  Next();
}

// Reads a sheet that is not for the screen up to the "<" of the element's end tag, or to the
// end of the input (26), and returns that character.
char TBuilder::SkipStyleContent() {
  const auto Read = Lex.CharSource();
  char C = Lex.CurCh;
  while (C != 26 && !(C == '<' && Lex.MayStartEndTag("STYLE"))) C = Read();
  return C;
}

// Text still waiting in the open section counts as content, unless it is only blanks that
// would collapse away (the line ends between the head's tags and the body tag).
bool TBuilder::OpenSectionHoldsContent() const {
  if (!CurSection) return false;
  const TSection& S = *CurSection;
  return S.FHasAnchor || !S.Objects().empty() ||
         S.FText.find_first_not_of(' ') != std::string::npos;
}

void TBuilder::ParseBody() {
  if (TableDepth != 0 || BodyBlock->MyCell.Count() != 0 || OpenSectionHoldsContent()) {
    Next();
    return;
  }
  Doc->Forms.Clear();
  Doc->FormControls.clear();
  CurSection.reset();
  TProperties& P = PushTagProps("body");
  int MarginW = H ? H->MarginWidth : 10, MarginH = H ? H->MarginHeight : 5;
  for (const TAttribute& A : Lex.CurAttributes) {
    TColor C = 0;
    switch (A.Sym) {
      case symText:
        if (ParseColor(A.StrValue, false, C)) P.SetFromAttribute(TPropValue(int(C | PaletteRelative)), piColor);
        break;
      case symLink:
        if (ParseColor(A.StrValue, false, C)) Doc->StyleSheet->SetLinkColor("link", C);
        break;
      case symBgcolor:
        if (ParseColor(A.StrValue, false, C))
          P.SetFromAttribute(TPropValue(int(C | PaletteRelative)), piBackgroundColor);
        break;
      case symBackground:
        P.SetFromAttribute(TPropValue("url(" + A.StrValue + ")"), piBackgroundImage);
        break;
      case symMarginwidth: MarginW = std::clamp(A.NumValue, 0, 200); break;
      case symMarginheight: MarginH = std::clamp(A.NumValue, 0, 200); break;
      case symVlink:
        if (ParseColor(A.StrValue, false, C)) Doc->StyleSheet->SetLinkColor("visited", C);
        break;
      case symOlink:
        if (ParseColor(A.StrValue, false, C)) {
          Doc->StyleSheet->SetLinkColor("hover", C);
          Doc->HoverLinksOn = true;
        }
        break;
      default: break;
    }
  }
  P.SetFromAttribute(TPropValue(MarginW), piMarginLeft);
  P.SetFromAttribute(TPropValue(MarginW), piMarginRight);
  P.SetFromAttribute(TPropValue(MarginH), piMarginTop);
  P.SetFromAttribute(TPropValue(MarginH), piMarginBottom);
  for (int I = 0; I < Doc->Count(); ++I)
    if (Doc->Items(I) == BodyBlock) {
      Doc->Delete(I);
      break;
    }
  auto Body = std::make_unique<TBodyBlock>(Doc, &Lex.CurAttributes, Doc, P);
  BodyBlock = Body.get();
  Doc->Add(std::move(Body));
  RegisterId(BodyBlock);
  CurCell = &BodyBlock->MyCell;
  NewSection(true);
  Next();
}

// ---- inline content --------------------------------------------------------------

void TBuilder::ParseInlineOrBlock() {
  const TSymbol S = Sym();
  switch (S) {
    case symB: case symI: case symEm: case symStrong: case symU: case symCite: case symVar:
    case symS: case symStrike: case symTt: case symCode: case symKbd: case symSamp: case symSpan:
      PushTagProps(StartTagName(S)).TakeTextBackground();
      FontChange();
      return;
    case symBEnd: case symIEnd: case symEmEnd: case symStrongEnd: case symUEnd: case symCiteEnd:
    case symVarEnd: case symSEnd: case symStrikeEnd: case symTtEnd: case symCodeEnd:
    case symKbdEnd: case symSampEnd: case symSpanEnd:
      PopPropsByTag(EndTagName(S));
      FontChange();
      return;
    case symSub: case symSup: case symBig: case symSmall:
      if (!CurSection) NewSection(true);
      if (S == symSub) VertShift = 1;
      if (S == symSup) VertShift = 2;
      PushTagProps(StartTagName(S)).TakeTextBackground();
      FontChange();
      return;
    case symSubEnd: case symSupEnd: case symBigEnd: case symSmallEnd:
      if (S == symSubEnd || S == symSupEnd) VertShift = 0;
      PopPropsByTag(EndTagName(S));
      FontChange();
      return;
    case symBr: ParseBreak({}); return;
    case symHeading: ParseHeading(); return;
    case symPre: ParsePre(); return;
    case symHr: ParseRule(); return;
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
    case symScript: SkipRaw(symScriptEnd); return;
    case symMap: SkipRaw(symMapEnd); return;
    case symTextarea: SkipRaw(symTextareaEnd); return;
    case symSelect: SkipRaw(symSelectEnd); return;
    default:
      // Rules, images, tables, panels, pages and controls come with a later reader.
      Next();
  }
}

// Skips an element whose content is not shown.
void TBuilder::SkipRaw(TSymbol EndSym) {
  Next();
  while (Sym() != symEof && Sym() != EndSym) Next();
  if (Sym() == EndSym) Next();
}

void TBuilder::ParseParagraph(const TSymbolSet& Stop) {
  if (Stop.Contains(symP)) return;
  CloseSection();
  Lex.SkipBlanks();
  auto Take = [this](std::string& Align, std::string& Class, std::string& ID, std::string& Title,
                     std::unique_ptr<TProperties>& Style) {
    Align = AlignValue();
    Class = Lex.CurAttributes.ClassValue();
    ID = Lex.CurAttributes.IDValue();
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
  Next();
  while (Sym() == symP || Sym() == symPEnd) {
    if (Sym() == symP) Take(Align, Class, ID, Title, Style);
    Lex.SkipBlanks();
    Next();
  }
  PushProps("p", Class, ID, "", Title, Style.get());
  ApplyAlign(Align);
  TBlock* Block = NewBlock();
  while (!Stop.Contains(Sym()) && InlineSyms.Contains(Sym())) {
    if (Sym() == symOther) Next();
    else ParseInlineOrBlock();
  }
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
  for (;;) {
    const TSymbol S = Sym();
    if (S == symP) ParseParagraph({});
    else if (S == symOther) Next();
    else if (S == symDiv) ParseDivision(symDiv, {});
    else if ((InlineSyms.Contains(S) && S != symMap) || S == symHr)
      ParseInlineOrBlock();
    else break;
  }
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
      CloseSection();
      PushTagProps("div");
      ApplyAlign(AlignValue());
      TBlock* Block = NewBlock();
      NewSection(true);
      Next();
      ParseBlockSequence(Stop + TSymbolSet{symDivEnd});
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
        Next();
        ParseBlockSequence(Stop + TSymbolSet{symForm, symFormEnd});
        CloseSection();
        PopPropsByTag("form");
        ApplyBlockMargin(Block);
        if (Sym() == symFormEnd) Next();
      }
      return;
    default:
      Next();
  }
}

// A horizontal rule: a line in a block of its own. SIZE, WIDTH and COLOR become the
// element's height, width and colour, so that style rules can override them.
void TBuilder::ParseRule() {
  CloseSection();
  TProperties& P = PushTagProps("hr");
  int Size = 2;
  uint8_t Align = 2;
  bool NoShade = false;
  for (const TAttribute& A : Lex.CurAttributes) {
    TColor C = 0;
    switch (A.Sym) {
      case symSize:
        if (A.NumValue >= 1 && A.NumValue <= 20) Size = A.NumValue;
        break;
      case symColor:
        if (ParseColor(A.StrValue, false, C))
          P.SetFromAttribute(TPropValue(int(C | PaletteRelative)), piColor);
        break;
      case symAlign: {
        const std::string V = Lower(A.StrValue);
        Align = V == "left" ? 1 : V == "right" ? 3 : 2;
        break;
      }
      case symNoshade: NoShade = true; break;
      case symWidth:
        if (A.NumValue < 1) break;
        if (A.StrValue.find('%') != std::string::npos)
          P.SetFromAttribute(TPropValue(std::to_string(std::min(A.NumValue, 100)) + "%"), piWidth);
        else
          P.SetFromAttribute(TPropValue(A.NumValue), piWidth);
        break;
      default: break;
    }
  }
  P.SetFromAttribute(TPropValue(Size), piHeight);
  const TColor Color = P.OwnColorValue();
  if (P.FSetHere.test(piTextAlign)) {
    const TPropValue& TA = P[piTextAlign];
    if (TA.Equals("left")) Align = 1;
    else if (TA.Equals("right")) Align = 3;
    else if (TA.Equals("center")) Align = 2;
  }
  TCellBasic* Owner = CurCell ? CurCell : Doc;
  auto Line = std::make_unique<THorzLine>(Doc, Size, Color, Align, NoShade);
  Owner->Add(std::make_unique<THRBlock>(Doc, Owner, P, std::move(Line)));
  PopPropsByTag("hr");
  Next();
}

// ---- lists -------------------------------------------------------------------------

// Lists, and the address and block quote elements, which hold their content as a list
// does. Returns with the list's end tag, or the symbol that stopped it, current.
void TBuilder::ParseList(TSymbol S, const TSymbolSet& Stop) {
  if (BlockNesting >= MaxBlockNesting) {
    // Too deep to nest further: the items go on in the innermost block.
    CloseSection();
    Next();
    return;
  }
  TNestingLevel Nested(BlockNesting);
  const TSymbol End = EndSymbolOf(S);
  int Index = 1;
  char TypeChar = '1';
  bool Plain = false;
  if (S == symOl) {
    if (const TAttribute* A = Lex.CurAttributes.Find(symStart); A && A->NumValue >= 0)
      Index = A->NumValue;
    if (const TAttribute* A = Lex.CurAttributes.Find(symType); A && !A->StrValue.empty())
      TypeChar = A->StrValue[0];
  } else if (S == symUl) {
    const TAttribute* A = Lex.CurAttributes.Find(symType);
    const std::string Type = A ? Lower(A->StrValue) : std::string();
    Plain = Lex.CurAttributes.Find(symPlain) || Type == "none" || Type == "plain";
  }
  CloseSection();
  PushTagProps(StartTagName(S));
  TBlock* Block = NewBlock();
  Block->FHangingMarkers = S == symOl || S == symUl || S == symDir || S == symMenu;
  Next();
  static const TSymbolSet EmptyListEnds = {symOlEnd, symUlEnd, symDirEnd, symMenuEnd, symDlEnd,
                                           symBlockquoteEnd};
  if (EmptyListEnds.Contains(Sym())) {
    PopPropsByTag(EndTagName(Sym()));
    CurCell = Block->OwnerCell;
    return;
  }
  const bool Counted = Block->FHangingMarkers;
  if (Counted) ++ListDepth;
  const TSymbolSet DivisionStop =
      Stop + TSymbolSet{symOlEnd, symLi, symUlEnd, symDirEnd, symMenuEnd, symDlEnd, symDd, symDt,
                        symBlockquoteEnd, symEof};
  do {
    const TSymbol Cur = Sym();
    switch (Cur) {
      case symP: ParseParagraph(Stop); break;
      case symOl: case symUl: case symDir: case symMenu: case symDl:
        ParseList(Cur, Stop);
        Next();
        break;
      case symLi: case symDd: case symDt:
        ParseListItem(S, Cur, Index, Stop, Plain, TypeChar);
        ++Index;
        break;
      case symAddress: case symBlockquote: ParseDivision(Cur, Stop); break;
      case symCenter: case symForm: case symDiv: ParseDivision(Cur, DivisionStop); break;
      default:
        if (BlockSequenceInline.Contains(Cur) || Cur == symScriptEnd) ParseInlineOrBlock();
        else if (!Stop.Contains(Cur)) Next();
    }
  } while (Sym() != End && Sym() != symEof && !Stop.Contains(Sym()));
  if (Counted) --ListDepth;
  CloseSection();
  if (Block->MyCell.DropLastBottomMargin()) Block->SetDefaultBottomMargin();
  PopPropsByTag(StartTagName(S));
  CurCell = Block->OwnerCell;
}

void TBuilder::ParseListItem(TSymbol ListSym, TSymbol ItemSym, int& Index,
                             const TSymbolSet& Stop, bool Plain, char TypeChar) {
  if (BlockNesting >= MaxBlockNesting) {
    CloseSection();
    NewSection(true);
    Next();
    return;
  }
  TNestingLevel Nested(BlockNesting);
  CloseSection();
  const std::string_view Tag = StartTagName(ItemSym);
  TProperties& P = PushTagProps(Tag);
  if (const TAttribute* A = Lex.CurAttributes.Find(symValue); A && ItemSym == symLi)
    Index = A->NumValue;
  const TListKind Kind = ListSym == symOl                        ? TListKind::Ordered
                         : ListSym == symUl || ListSym == symDir ||
                                   ListSym == symMenu            ? TListKind::Unordered
                         : ListSym == symDl                      ? TListKind::Definition
                                                                 : TListKind::NotInList;
  TCellBasic* Owner = CurCell ? CurCell : Doc;
  auto Item = std::make_unique<TBlockLI>(Doc, &Lex.CurAttributes, Owner, P, Kind, Plain, TypeChar,
                                         Index, ListDepth);
  TBlockLI* Block = Item.get();
  Owner->Add(std::move(Item));
  CurCell = &Block->MyCell;
  RegisterId(Block);
  NewSection(true);
  Lex.SkipBlanks();
  Next();
  static const TSymbolSet ItemInline = InlineSyms - TSymbolSet{symOther};
  for (;;) {
    const TSymbol Cur = Sym();
    if (Cur == symP) {
      if (ListSym == symNoList) break;
      ParseParagraph({});
    } else if (ItemInline.Contains(Cur) || Cur == symHeading || Cur == symScriptEnd) {
      ParseInlineOrBlock();
    } else if (Cur == symOl || Cur == symUl || Cur == symDir || Cur == symMenu || Cur == symDl) {
      ParseList(Cur, Stop);
      Block->MyCell.DropLastBottomMargin();
      Next();
    } else if (Cur == symOther) {
      Next();
    } else if (Cur == symAddress || Cur == symBlockquote || Cur == symCenter || Cur == symForm ||
               Cur == symDiv) {
      ParseDivision(Cur, Stop + TSymbolSet{symOl, symLi, symUl, symDir, symMenu, symDl, symDd,
                                           symDt});
    } else {
      break;
    }
  }
  CloseSection();
  Block->MyCell.DropLastBottomMargin();
  PopPropsByTag(Tag);
  CurCell = Block->OwnerCell;
}

// ---- preformatted text -----------------------------------------------------------

void TBuilder::ParsePre() {
  TokenObj T;
  CloseSection();
  PushTagProps("pre");
  const int HIndex = PropStack.Count() - 1;
  TBlock* PreBlock = NewBlock();
  NewSection(true, true);
  Lex.PreMode = true;
  // A line end right after the tag starts no line.
  if (Lex.CurCh == 13) Lex.NextChar();
  TBlock* ParaBlock = nullptr;
  auto Flush = [&] {
    AppendText(T);
    T.Clear();
  };
  auto SkipLineEnd = [&] {
    if (Lex.CurCh == 13) Lex.NextChar();
  };
  auto CloseParagraph = [&] {
    Flush();
    if (CurSection && CurSection->Len() == 0) CurSection.reset();
    CloseSection();
    PopPropsByTag("p");
    CurCell = ParaBlock->OwnerCell;
    ParaBlock = nullptr;
  };
  bool Done = false;
  while (!Done) {
    const char C = Lex.CurUpCh;
    if (C == 13) {
      EndPreLine(T, Lex.SourcePos);
      Lex.NextChar();
    } else if (C == 26) {
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
        case symS: case symStrike: case symSpan:
          Flush();
          PushTagProps(StartTagName(S)).TakeTextBackground();
          if (CurSection) StartRun();
          break;
        case symBEnd: case symIEnd: case symEmEnd: case symStrongEnd: case symUEnd:
        case symCiteEnd: case symVarEnd: case symSEnd: case symStrikeEnd: case symSpanEnd:
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
        default:
          break;
      }
    }
  }
  if (ParaBlock) CloseParagraph();
  Flush();
  CloseSection();
  Lex.PreMode = false;
  while (PropStack.Count() > HIndex && PropStack.Count() > 1) PropStack.Pop();
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
    } else if (A.Sym == symCharset) {
      HaveCharset = Lex.CharsetFromName(A.StrValue, Charset) || HaveCharset;
    }
  }
  TProperties& P = PushTagProps("font");
  P.TakeTextBackground();
  if (HaveColor) P.SetFromAttribute(TPropValue(int(Color | PaletteRelative)), piColor);
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
  PushTagProps("a", Pseudo).TakeTextBackground();
  if (CurSection) StartRun();
  else NewSection(true, Lex.PreMode);
  if (const TAttribute* Name = Lex.CurAttributes.Find(symName)) {
    std::string N = Name->StrValue;
    if (!N.empty() && N[0] == '#') N.erase(0, 1);
    for (char& C : N) C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
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
  PopPropsByTag("a");
  if (CurSection) StartRun();
}

// ---- head elements ---------------------------------------------------------------

void TBuilder::ParseTitle() {
  Result.DocTitle.clear();
  Next();
  while (Sym() == symText) {
    Result.DocTitle += Lex.CurToken.Text();
    Next();
  }
}

void TBuilder::ParseBase() {
  for (const TAttribute& A : Lex.CurAttributes) {
    if (A.Sym == symHref) Result.BaseHref = A.StrValue;
    else if (A.Sym == symTarget) Result.BaseFrameTarget = A.StrValue;
  }
  Next();
}

void TBuilder::ParseMeta() {
  std::string HttpEq, Name, Content;
  const TAttribute* CharsetAttr = nullptr;
  for (const TAttribute& A : Lex.CurAttributes) {
    if (A.Sym == symHttpEq) HttpEq = A.StrValue;
    else if (A.Sym == symName) Name = A.StrValue;
    else if (A.Sym == symContent) Content = A.StrValue;
    else if (A.Sym == symCharset && !CharsetAttr) CharsetAttr = &A;
  }
  // A content type names the character set, or a CHARSET attribute does on its own. Text
  // converted from UTF-8 is in the set chosen for it, whatever the document declares.
  std::string_view Declared;
  if (Lower(HttpEq) == "content-type") Declared = Content;
  else if (CharsetAttr) Declared = CharsetAttr->StrValue;
  uint8_t Charset = 0;
  if (H && H->Sender && !CharsetGiven && !Declared.empty() &&
      Lex.CharsetFromName(Declared, Charset))
    Top().ApplyCharSet(Charset);
  if (H && H->OnMeta) H->OnMeta(H->Sender, HttpEq, Name, Content);
  Next();
}

void TBuilder::ParseLinkTag() {
  std::string Href, Rel, Rev;
  for (const TAttribute& A : Lex.CurAttributes) {
    if (A.Sym == symHref) Href = A.StrValue;
    else if (A.Sym == symRel) Rel = A.StrValue;
    else if (A.Sym == symRev) Rev = A.StrValue;
  }
  if (Lower(Rel) == "stylesheet" && !Href.empty() && ForScreen(Lex.CurAttributes)) {
    try {
      std::string Sheet, BasePath;
      if (H && H->OnhtStreamRequest) {
        std::string Url = Href;
        if (H->OnExpandUrl) {
          Url = H->OnExpandUrl(Href);
          BasePath = DirectoryOf(Url);
        }
        TMemoryStream* Stream = nullptr;
        H->OnhtStreamRequest(H->Sender, Url, Stream);
        if (Stream) Sheet = std::string(Stream->View());
      } else {
        const std::string File = H && H->ExpandFileName ? H->ExpandFileName(Href) : Href;
        BasePath = DirectoryOf(File);
        TMemoryStream Stream;
        Stream.LoadFromFile(File);
        Sheet = std::string(Stream.View());
      }
      if (!Sheet.empty()) ParseLinkedStyleSheet(*Doc->StyleSheet, Sheet, BasePath);
    } catch (const std::exception&) {
      // A sheet that cannot be had is left out.
    }
  }
  if (H && H->OnLink) H->OnLink(H->Sender, Rel, Rev, Href);
  Next();
}

void TBuilder::ParseSound() {
  if (H && H->OnSoundRequest) {
    if (const TAttribute* Src = Lex.CurAttributes.Find(symSrc)) {
      const TAttribute* Loop = Lex.CurAttributes.Find(symLoop);
      H->OnSoundRequest(H->Sender, Src->StrValue, Loop ? Loop->NumValue : 1, false);
    }
  }
  Next();
}

}  // namespace

double FontSizePoints(int DefaultSize, int Index, bool Preformatted) {
  static constexpr double Normal[8] = {0, 8, 10, 12, 14, 18, 24, 36};
  static constexpr double Pre[8] = {0, 7, 8, 10, 12, 15, 20, 30};
  Index = std::clamp(Index, 1, 7);
  return DefaultSize * (Preformatted ? Pre[Index] : Normal[Index]) / 12.0;
}

TBuildResult ParseHtmlDocument(std::string_view Text, TSectionList* Document,
                               const TBuildHandlers& Handlers) {
  const TUtf8Conversion Utf8 = ConvertUtf8Document(Text, true);
  TBuilder B(Utf8.Converted ? std::string_view(Utf8.Text) : Text, Document, &Handlers,
             Utf8.Converted ? Utf8.Charset : -1);
  B.RunHtml();
  return B.Result;
}

TBuildResult ParseTextDocument(std::string_view Text, TSectionList* Document) {
  const TUtf8Conversion Utf8 = ConvertUtf8Document(Text, false);
  TBuilder B(Utf8.Converted ? std::string_view(Utf8.Text) : Text, Document, nullptr,
             Utf8.Converted ? Utf8.Charset : -1);
  B.RunText();
  return B.Result;
}
