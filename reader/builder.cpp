#include "reader/builder.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "common/codepage.h"
#include "reader/builder_state.h"
#include "reader/doctype.h"
#include "reader/symbols.h"
#include "reader/utf8_source.h"
#include "style/style_list.h"

namespace builder_internal {

std::string Lower(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return R;
}

std::string Upper(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
  return R;
}

std::string Trim(std::string_view S) {
  const size_t First = S.find_first_not_of(" \t\r\n");
  if (First == std::string_view::npos) return {};
  return std::string(S.substr(First, S.find_last_not_of(" \t\r\n") - First + 1));
}

const TSymbolSet InlineSyms = {
    symB, symBEnd, symI, symIEnd, symBr, symEm, symEmEnd, symStrong, symStrongEnd, symU, symUEnd,
    symCite, symVar, symCiteEnd, symVarEnd, symTt, symCode, symKbd, symSamp, symTtEnd, symCodeEnd,
    symKbdEnd, symSampEnd, symImage, symA, symAEnd, symOther, symText, symInput, symTextarea,
    symTextareaEnd, symSelect, symFont, symFontEnd, symBasefont, symSub, symSubEnd, symSup,
    symSupEnd, symBig, symBigEnd, symSmall, symSmallEnd, symMap, symPage, symScript, symScriptEnd,
    symS, symSEnd, symStrike, symStrikeEnd, symPanel, symNobr, symNobrEnd, symWbr, symSpan,
    symSpanEnd, symDfn, symDfnEnd};

const TSymbolSet BlockSequenceInline = {
    symB, symBEnd, symI, symIEnd, symBr, symHeading, symHeadingEnd, symEm, symEmEnd, symStrong,
    symStrongEnd, symU, symUEnd, symHr, symCite, symVar, symCiteEnd, symVarEnd, symTt, symCode,
    symKbd, symSamp, symTtEnd, symCodeEnd, symKbdEnd, symSampEnd, symPre, symImage, symA, symAEnd,
    symText, symTable, symInput, symTextarea, symTextareaEnd, symSelect, symFont, symFontEnd,
    symBasefont, symSub, symSubEnd, symSup, symSupEnd, symBig, symBigEnd, symSmall, symSmallEnd,
    symMap, symPage, symScript, symS, symSEnd, symStrike, symStrikeEnd, symPanel, symNobr,
    symNobrEnd, symWbr, symSpan, symSpanEnd, symDfn, symDfnEnd};

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
  Lex.OnDeclaration = [this](std::string_view Text) { ReadDoctype(Text); };
  TProperties& Base = PropStack.Push();
  if (const TProperties* Def = Doc->StyleSheet->DefaultRule()) Base.CopyAsDefault(*Def);
  Lex.Start(Source);
  if (Lex.JapaneseConverted) Base.ApplyCharSet(128);
  if (Charset >= 0) Base.ApplyCharSet(uint8_t(Charset));
  CharsetGiven = Charset >= 0;
  Utf8Text = Charset == UTF8_CHARSET;
  if (Utf8Text) {
    Lex.SystemCodePage = CP_UTF8;
    Lex.SetUtf8Text();
  }
  auto Body = std::make_unique<TBodyBlock>(Doc, nullptr, Doc, Base);
  BodyBlock = Body.get();
  CurCell->Add(std::move(Body));
  CurCell = &BodyBlock->MyCell;
  NewSection(true);
}

TBuilder::~TBuilder() = default;

void TBuilder::ReadDoctype(std::string_view Text) {
  if (DoctypeSettled || Lex.TagStart >= 0) return;
  if (!IsDoctype(Text)) return;
  DoctypeSettled = true;
  StandardsDocument = IsStandardsDoctype(Text);
  Doc->StandardsMode = StandardsDocument;
  Doc->StyleSheet->SetNamesCaseSensitive(StandardsDocument);
}

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
  if (BodyBlock) BodyBlock->CollapseLastBottomMargin();
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
      if (C == EndOfInput) break;
      if (C == LineEndChar) {
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
  if (PropStack.Count() > MaxOpenElements) {
    PropStack.Pop();
    ForgetFirstStyles(PropStack.Count());
  }
  TProperties& P = PropStack.Push();
  TakePrevSibling(P);
  P.ApplyStyles(*Doc->StyleSheet, Tag, Class, ID, Pseudo, Title, Style);
  PopBudget += PopBudgetPerElement;
  FollowWhiteSpace();
  return P;
}

TProperties& TBuilder::PushTagProps(std::string_view Tag, std::string_view Pseudo) {
  TAttributeList& A = Lex.CurAttributes;
  const std::string Class = A.ClassValue(StandardsDocument);
  const std::string ID = A.IDValue(StandardsDocument);
  const std::string Title = A.TitleValue();
  // Any element's id is a link target; the elements that make an object of their own
  // (blocks, pictures, controls) put that in its place.
  if (!ID.empty() && Doc->IdNames) Doc->IdNames->AddIdAt(Upper(ID), Lex.TagStart);
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
    NoteClosed(I);
    PropStack.Delete(I);
    ForgetFirstStyles(I);
    // Everything opened inside the closed element loses what it inherited from it.
    for (int J = I; J < PropStack.Count(); ++J)
        PropStack[J].Refresh(PropStack[J - 1], *Doc->StyleSheet, J);
    FollowWhiteSpace();
    return;
  }
  PopBudget = std::max<int64_t>(0, PopBudget - (Last - Lowest));
}

void TBuilder::TakePrevSibling(TProperties& P) {
  P.FPrevSibling.reset();
  if (!Doc->StyleSheet->HasSiblingRules()) return;
  const size_t Depth = size_t(PropStack.Count() - 1);
  if (Closed.size() <= Depth) return;
  P.FPrevSibling = Closed[Depth];
  Closed.resize(Depth + 1);  // what the element before held is no sibling of anything now
}

namespace {

// The first Count identities of a chain of siblings: the chain itself when it is no
// longer, else a copy cut short, so that no element holds more than the rules look at.
std::shared_ptr<const TElementIdentity> FirstSiblings(
    const std::shared_ptr<const TElementIdentity>& Chain, int Count) {
  int Length = 0;
  for (const TElementIdentity* E = Chain.get(); E && Length <= Count; E = E->Before.get())
    ++Length;
  if (Length <= Count) return Chain;
  if (Count <= 0) return nullptr;
  auto Copy = std::make_shared<TElementIdentity>();
  Copy->Tag = Chain->Tag;
  Copy->Class = Chain->Class;
  Copy->Id = Chain->Id;
  Copy->Before = FirstSiblings(Chain->Before, Count - 1);
  return Copy;
}

}  // namespace

void TBuilder::NoteClosed(int Index) {
  if (!Doc->StyleSheet->HasSiblingRules()) return;
  const TProperties& P = PropStack[Index];
  auto Identity = std::make_shared<TElementIdentity>();
  Identity->Tag = P.FTagName;
  Identity->Class = P.FElementClass;
  Identity->Id = P.FElementId;
  Identity->Before = FirstSiblings(P.FPrevSibling, Doc->StyleSheet->SiblingReach() - 1);
  Closed.resize(size_t(Index) + 1);
  Closed[size_t(Index)] = std::move(Identity);
}

void TBuilder::FollowWhiteSpace() {
  if (!InPreElement) Lex.PreMode = Top().KeepsBlanks();
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

}  // namespace builder_internal

using builder_internal::TBuilder;

double FontSizePoints(int DefaultSize, int Index, bool Preformatted) {
  static constexpr double Normal[8] = {0, 8, 10, 12, 14, 18, 24, 36};
  static constexpr double Pre[8] = {0, 7, 8, 10, 12, 15, 20, 30};
  Index = std::clamp(Index, 1, 7);
  return DefaultSize * (Preformatted ? Pre[Index] : Normal[Index]) / 12.0;
}

namespace {

// The code page an HTML document that is not UTF-8 is read in: the one it declares, when the
// viewer honours declarations, else the document default's. -1 when the text is EUC-JP,
// which the lexer converts itself.
int DocumentCodePage(std::string_view Text, const TSectionList* Document,
                     const TBuildHandlers& Handlers) {
  if (Handlers.Sender) {
    uint8_t Charset = 0;
    bool IsEucJp = false;
    if (CharsetFromTable(DeclaredCharsetName(Text), Charset, IsEucJp))
      return IsEucJp ? -1 : CharsetToCodePage(Charset);
  }
  const TProperties* Def = Document->StyleSheet ? Document->StyleSheet->DefaultRule() : nullptr;
  return Def ? Def->FCodePage : 1252;
}

}  // namespace

TBuildResult ParseHtmlDocument(std::string_view Text, TSectionList* Document,
                               const TBuildHandlers& Handlers) {
  TUtf8Conversion Utf8 = ConvertUtf8Document(Text, true);
  if (!Utf8.Converted && Document) {
    const int CodePage = DocumentCodePage(Text, Document, Handlers);
    if (CodePage >= 0) Utf8 = ConvertForReferences(Text, CodePage);
  }
  TBuilder B(Utf8.Converted ? Utf8.Bytes(Text) : Text, Document, &Handlers,
             Utf8.Converted ? Utf8.Charset : -1);
  B.RunHtml();
  return B.Result;
}

TBuildResult ParseTextDocument(std::string_view Text, TSectionList* Document) {
  const TUtf8Conversion Utf8 = ConvertUtf8Document(Text, false);
  TBuilder B(Utf8.Converted ? Utf8.Bytes(Text) : Text, Document, nullptr,
             Utf8.Converted ? Utf8.Charset : -1);
  B.RunText();
  return B.Result;
}
