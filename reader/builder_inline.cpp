// Inline elements as the builder meets them: in the line's flow with a box, floating as a
// block of their own, shown as a block, or not shown at all.
#include <algorithm>
#include <string>

#include "document/blocks/block.h"
#include "reader/builder_state.h"
#include "style/vertical_align.h"

namespace builder_internal {

namespace {

// The content area of an element's font, measured as its runs measure theirs.
struct TFontBox {
  int Ascent = 0;
  int Descent = 0;
};

TFontBox FontBoxOf(TProperties& P) {
  const TTextMetric& Tm = P.ElementFont()->Handle(96)->Metrics();
  return {Tm.tmHeight + Tm.tmExternalLeading - Tm.tmDescent, Tm.tmDescent};
}

// Whether an open element lays out inline in its parent's lines.
bool IsInlineElement(const TProperties& P) {
  if (const TPropValue& Display = P[piDisplay]; Display.IsString())
    return Display.Equals("inline");
  const TTagEntry* Tag = FindTag(Upper(P.FTagName));
  return Tag && Tag->Start != symOther && InlineSyms.Contains(Tag->Start);
}

}  // namespace

TBuilder::TRunPlacement TBuilder::RunPlacement() {
  TRunPlacement Result;
  // Inline elements nest past any useful depth only in crafted pages.
  const int Lowest = std::max(1, PropStack.Count() - static_cast<int>(MaxOpenBoxes));
  bool Any = false;
  for (int I = PropStack.Count() - 1; I >= Lowest && !Any; --I)
    Any = PropStack[I][piVerticalAlign].IsString();
  if (!Any) return Result;
  // Each element stands on its parent's baseline: the raises of the elements around the
  // text add up, up to one placed on the line's top or bottom.
  long Raise = 0;
  for (int I = PropStack.Count() - 1; I >= Lowest && Result.Align == TVerticalAlign::Baseline;
       --I) {
    TProperties& E = PropStack[I];
    if (!IsInlineElement(E)) break;
    const TPropValue& V = E[piVerticalAlign];
    if (!V.IsString()) continue;
    const TFontBox Own = FontBoxOf(E);
    const int OwnHeight = Own.Ascent + Own.Descent;
    const int LineHeight = TSection::LineHeightOf(E, *E.ElementFont());
    const int Box = LineHeight < 0 ? OwnHeight : LineHeight;
    TVerticalPlacement Place;
    if (!VerticalPlacementOf(V.AsString(), E.OwnEmPixels(), E.OwnExPixels(), Box, Place))
      continue;
    if (E.FTagName == "sub" || E.FTagName == "sup") Result.ReplacesScript = true;
    // The element's box as its text makes it: the leading split around the content area.
    const int Above = Own.Ascent + (Box - OwnHeight) / 2, Below = Box - Above;
    TProperties& Parent = PropStack[I - 1];
    switch (Place.Align) {
      case TVerticalAlign::Top:
      case TVerticalAlign::Bottom:
        Result.Align = Place.Align;
        break;
      case TVerticalAlign::TextTop:
        Raise += FontBoxOf(Parent).Ascent - Above;
        break;
      case TVerticalAlign::TextBottom:
        Raise += Below - FontBoxOf(Parent).Descent;
        break;
      case TVerticalAlign::Middle:
        // The box's middle half the parent's x-height above the baseline.
        Raise += (Parent.OwnExPixels() - (Above - Below)) / 2;
        break;
      default:
        Raise += Place.Raise;
    }
  }
  Result.Raise = static_cast<int>(std::clamp<long>(Raise, -MaxBaselineShift, MaxBaselineShift));
  return Result;
}

// Only an element in the flow of its line has an inline box: a hidden, floating or
// absolutely placed one is not laid out as such here, and keeps its text as it was.
bool TBuilder::InLineFlow(const TProperties& P) {
  TFloatSide Side = TFloatSide::None;
  const TPositionKind Position = P.PositionKind();
  return !P.DisplaysNothing() && !(P.FloatSide(Side) && Side != TFloatSide::None) &&
         Position != TPositionKind::Absolute;
}

void TBuilder::ParseFloatingInline(TSymbol S) {
  TNestingLevel Nested(BlockNesting);
  const std::string Name(StartTagName(S));
  const TSymbol End = EndSymbolOf(S);
  CloseSection();
  TBlock* Block = NewBlock();
  NewSection(true);
  Next();
  // Elements of the same name inside close before this one does.
  int Depth = 0;
  while (InlineSyms.Contains(Sym())) {
    if (Sym() == S) ++Depth;
    if (Sym() == End && Depth-- == 0) break;
    ParseInlineOrBlock();
  }
  CloseSection();
  PopPropsByTag(Name);
  CurCell = Block->OwnerCell;
  if (Sym() == End) Next();
  NewSection(false);
}

void TBuilder::StartInlineElement(TProperties& P) {
  TInlineBox Box;
  if (OpenBoxes.size() >= MaxOpenBoxes || !InLineFlow(P) || !InlineBoxFrom(P, Box)) {
    P.TakeTextBackground();
    FontChange();
    return;
  }
  if (!CurSection) NewSection(true);
  else StartRun();
  // The content area is the element font's.
  if (const TFontObj* Run = CurSection->FFontRuns.Last()) {
    Box.Ascent = static_cast<int16_t>(std::max(0, Run->FTmHeight - Run->FDescent));
    Box.Descent = Run->FDescent;
  }
  OpenBoxes.push_back({&P, CurSection->OpenInlineBox(Box)});
  Next();
}

void TBuilder::EndInlineBox(std::string_view Tag) {
  if (OpenBoxes.empty() || !CurSection) return;
  // The element that the end tag closes, as PopPropsByTag finds it.
  const TProperties* Element = nullptr;
  for (int I = PropStack.Count() - 1; I >= 1 && !Element; --I)
    if (PropStack[I].FTagName == Tag) Element = &PropStack[I];
  if (!Element) return;
  for (size_t K = OpenBoxes.size(); K-- > 0;) {
    if (OpenBoxes[K].Props != Element) continue;
    for (size_t J = OpenBoxes.size(); J-- > K;) CurSection->CloseInlineBox(OpenBoxes[J].Index);
    OpenBoxes.resize(K);
    return;
  }
}

bool TBuilder::OpenInlineAsBlock(const TProperties& P) {
  if (!P[piDisplay].Equals("block") || InlineBlocks.size() >= MaxInlineBlocks) return false;
  CloseSection();
  InlineBlocks.push_back({&P, NewBlock()});
  return true;
}

void TBuilder::CloseInlineAsBlock(std::string_view Tag) {
  if (InlineBlocks.empty()) return;
  const TProperties* Element = nullptr;
  for (int I = PropStack.Count() - 1; I >= 1 && !Element; --I)
    if (PropStack[I].FTagName == Tag) Element = &PropStack[I];
  if (InlineBlocks.back().Props != Element) return;
  TBlock* Block = InlineBlocks.back().Block;
  InlineBlocks.pop_back();
  // A block element that ended inside it took the flow out of it already.
  if (CurCell != &Block->MyCell) return;
  CloseSection();
  ApplyBlockMargin(Block);
}

void TBuilder::SkipUndisplayed(TSymbol Start) {
  const TSymbol End = EndSymbolOf(Start);
  const std::string Tag(StartTagName(Start));
  static const TSymbolSet Enclosing{symDivEnd, symTdEnd, symThEnd, symTrEnd, symTableEnd,
                                    symBodyEnd, symHtmlEnd};
  int Depth = 1;
  Next();
  for (; Sym() != symEof && !Enclosing.Contains(Sym()); Next()) {
    if (Sym() == Start) ++Depth;
    else if (Sym() == End && --Depth == 0) break;
  }
  PopPropsByTag(Tag);
  if (Sym() == End) Next();
}

}  // namespace builder_internal
