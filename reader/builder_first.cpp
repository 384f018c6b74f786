// Pseudo-elements of a block: ":first-letter" styles the block's first letter as an
// element of its own (inline with a box, or floating as a drop capital), and
// ":first-line" gives the runs of the block's first section the look they take in the
// first line, which layout applies once it knows where that line ends.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "document/blocks/block.h"
#include "document/blocks/inline_block_obj.h"
#include "reader/builder_state.h"
#include "style/style_list.h"

namespace builder_internal {

namespace {

bool IsBlankByte(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r'; }

bool IsPunctuation(char C) {
  const auto U = static_cast<unsigned char>(C);
  return U < 0x80 && U > ' ' && !(U >= '0' && U <= '9') && !((U | 0x20) >= 'a' && (U | 0x20) <= 'z');
}

}  // namespace

void TBuilder::NoteFirstStyles(TCellBasic* Owner) {
  const TStyleList& Sheet = *Doc->StyleSheet;
  if ((!Sheet.HasFirstLineRules() && !Sheet.HasFirstLetterRules()) || InFirstLetter) return;
  const int H = PropStack.Count() - 1;
  TProperties& Host = PropStack[H];
  // Styled as a child entry of the element, so that contextual rules see its ancestors.
  auto StyledPart = [&](std::string_view Pseudo, TProperties* Keep) {
    TProperties& Part = PropStack.Insert(H + 1);
    Part.InheritFrom(Host, false);
    Part.ApplyStyles(Sheet, Host.FTagName, Host.FElementClass, Host.FElementId, Pseudo, "",
                     nullptr);
    const bool Styled = Part.FSetHere.any();
    if (Styled && Keep) {
      Keep->CopyStyled(Part);
      Keep->TakeTextBackground();
    }
    PropStack.Delete(H + 1);
    return Styled;
  };
  std::unique_ptr<TProperties> Line;
  if (Sheet.HasFirstLineRules()) {
    Line = std::make_unique<TProperties>();
    if (!StyledPart("first-line", Line.get())) Line.reset();
  }
  const bool Letter = Sheet.HasFirstLetterRules() && StyledPart("first-letter", nullptr);
  if (Line || Letter) {
    First.Cell = CurCell;
    First.Host = H;
    First.HostProps = &Host;
    First.Line = std::move(Line);
    First.Letter = Letter;
  } else if (First.Cell && First.Cell == Owner) {
    First.Cell = CurCell;  // the block's first text is in this block, its first child
  } else {
    First = TFirstStyles();
  }
}

bool TBuilder::TakeFirstStyles(const TLexToken& Token) {
  if (First.Cell != CurCell) return false;
  if (CurSection->Len() > 0) {
    First = TFirstStyles();
    return false;
  }
  const std::string_view Text = Token.Text();
  const int Count = Token.Count();
  int Start = 0;
  while (Start < Count && IsBlankByte(Text[Start])) ++Start;
  if (Start == Count) return false;  // blanks before the first text go anyway
  TFirstStyles Pending = std::move(First);
  First = TFirstStyles();
  const int Host = Pending.Host;
  if (Host >= PropStack.Count() || &PropStack[Host] != Pending.HostProps) return false;
  const bool Letter = Pending.Letter;
  FirstLine = TFirstStyles();
  if (Pending.Line) {
    FirstLine = std::move(Pending);
    FirstLineSection = CurSection.get();
    StyleFirstLineRun();
  }
  if (!Letter) {
    AppendTokenPart(Token, 0, Count);
    return true;
  }
  // The first letter takes the punctuation before it along; a UTF-8 letter all its bytes.
  int End = Start;
  while (End < Count && IsPunctuation(Text[End])) ++End;
  if (End < Count && !IsBlankByte(Text[End])) {
    ++End;
    const TFontObj* Run = CurSection->FFontRuns.Last();
    const bool Utf8 = Utf8Text || (Run && Run->FFont->Charset == UTF8_CHARSET);
    if (Utf8 && static_cast<unsigned char>(Text[End - 1]) >= 0xC0)
      while (End < Count && (static_cast<unsigned char>(Text[End]) & 0xC0) == 0x80) ++End;
  }
  AppendTokenPart(Token, 0, Start);
  AppendFirstLetter(Token, Start, End - Start, Host);
  AppendTokenPart(Token, End, Count - End);
  return true;
}

void TBuilder::AppendFirstLetter(const TLexToken& Token, int From, int Count, int Host) {
  InFirstLetter = true;
  const TProperties& Block = PropStack[Host];
  TProperties& P = PushProps(Block.FTagName, Block.FElementClass, Block.FElementId,
                             "first-letter", "", nullptr);
  TFloatSide Side = TFloatSide::None;
  if (P.FloatSide(Side) && Side != TFloatSide::None && BlockNesting < MaxBlockNesting) {
    // A drop capital: a floating block of its own that the rest of the text flows beside.
    TNestingLevel Nested(BlockNesting);
    CloseSection();
    TBlock* Letter = NewBlock();
    NewSection(true);
    AppendTokenPart(Token, From, Count);
    CloseSection();
    PropStack.Pop();
    CurCell = Letter->OwnerCell;
    NewSection(true);
    if (FirstLine.Line) {
      FirstLineSection = CurSection.get();
      StyleFirstLineRun();
    }
  } else {
    const int Index = OpenTextBox(P);
    AppendTokenPart(Token, From, Count);
    if (Index >= 0) CurSection->CloseInlineBox(Index);
    PropStack.Pop();
    StartRun();
  }
  InFirstLetter = false;
  FollowWhiteSpace();
}

// Starts the run of a piece of text that is an element of its own (a first letter, generated
// text) and opens its box when it has one: the index of the open box, or -1.
int TBuilder::OpenTextBox(TProperties& P) {
  TInlineBox Box;
  const bool Boxed = OpenBoxes.size() < MaxOpenBoxes && InLineFlow(P) && InlineBoxFrom(P, Box);
  if (!Boxed) P.TakeTextBackground();
  StartRun();
  if (!Boxed) return -1;
  if (const TFontObj* Run = CurSection->FFontRuns.Last()) {
    Box.Ascent = static_cast<int16_t>(std::max(0, Run->FTmHeight - Run->FDescent));
    Box.Descent = Run->FDescent;
  }
  return CurSection->OpenInlineBox(Box);
}

int TBuilder::OpenIndexOf(std::string_view Tag) const {
  for (int I = PropStack.Count() - 1; I >= 1; --I)
    if (PropStack[I].FTagName == Tag) return I;
  return -1;
}

void TBuilder::AppendGenerated(std::string_view Pseudo, int Element) {
  if (!Doc->StyleSheet->HasGeneratedContentRules() || Element < 1 ||
      Element >= PropStack.Count() || PropStack[Element].DisplaysNothing())
    return;
  const TProperties& Owner = PropStack[Element];
  TProperties& P =
      PushProps(Owner.FTagName, Owner.FElementClass, Owner.FElementId, Pseudo, "", nullptr);
  const std::string Text = P.FSetHere.test(piContent) ? P.ContentText() : std::string();
  if (!Text.empty() && !P.DisplaysNothing() && P[piDisplay].Equals("inline-block")) {
    AppendGeneratedBlock(Text);
  } else if (!Text.empty() && !P.DisplaysNothing()) {
    if (!CurSection) NewSection(true);
    // Text before the block's first text opens its first line (its first letter is not
    // sought in generated text).
    if (Pseudo == "before" && First.Cell == CurCell && CurSection->Len() == 0 &&
        First.Host < PropStack.Count() && &PropStack[First.Host] == First.HostProps) {
      FirstLine = TFirstStyles();
      if (First.Line) {
        FirstLine = std::move(First);
        FirstLineSection = CurSection.get();
      }
      First = TFirstStyles();
    }
    const int Index = OpenTextBox(P);
    // The text stands where the element's tag does in the source.
    const std::vector<int> Indexes(Text.size(), Lex.TagStart);
    CurSection->FNoBreak = NoWrap || P.NoWrapText();
    CurSection->AppendChars(Text.data(), Indexes.data(), static_cast<int>(Text.size()));
    if (Index >= 0) CurSection->CloseInlineBox(Index);
  }
  PropStack.Pop();
  FollowWhiteSpace();
  if (!Text.empty() && CurSection) StartRun();
}

void TBuilder::AppendGeneratedBlock(const std::string& Text) {
  InInlineBlock(false, [&](TBlock&) {
    StartRun();
    const std::vector<int> Indexes(Text.size(), Lex.TagStart);
    CurSection->AppendChars(Text.data(), Indexes.data(), static_cast<int>(Text.size()));
    CloseSection();
  });
}

void TBuilder::ForgetFirstStyles(int From) {
  if (First.Cell && First.Host >= From) First = TFirstStyles();
  if (FirstLine.Line && FirstLine.Host >= From) {
    FirstLine = TFirstStyles();
    FirstLineSection = nullptr;
  }
}

void TBuilder::StyleFirstLineRun() {
  if (!FirstLine.Line || !CurSection || CurSection->Len() >= TSection::MaxFirstLineChars) return;
  const int Host = FirstLine.Host;
  if (Host >= PropStack.Count() || &PropStack[Host] != FirstLine.HostProps) {
    FirstLineSection = nullptr;
    return;
  }
  // Each element open inside the block, from the outermost, as a child of the first
  // line's set.
  TProperties* Part = FirstLine.Line.get();
  std::unique_ptr<TProperties> Inner;
  for (int I = Host + 1; I < PropStack.Count(); ++I) {
    auto Next = std::make_unique<TProperties>();
    Next->RestyleInside(PropStack[I], PropStack[I - 1], *Part);
    Inner = std::move(Next);
    Part = Inner.get();
  }
  CurSection->TakeFirstLineLook(*Part);
}

}  // namespace builder_internal
