#include <memory>

#include "document/blocks/list_item.h"
#include "reader/builder_state.h"

namespace builder_internal {

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
  NoteFirstStyles(Owner);
  NewSection(true);
  PutMarkerInside(Block);
  AppendGenerated("before", PropStack.Count() - 1);
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
    } else if (Cur == symTable) {
      ParseTable();
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
  if (CurCell == &Block->MyCell) AppendGenerated("after", OpenIndexOf(Tag));
  CloseSection();
  Block->MyCell.DropLastBottomMargin();
  PopPropsByTag(Tag);
  CurCell = Block->OwnerCell;
}

void TBuilder::PutMarkerInside(TBlock* Block) {
  if (!Top().MarkerInside()) return;
  const auto* Item = dynamic_cast<const TBlockLI*>(Block);
  if (!Item || !Item->FMarkerInside) return;
  if (!CurSection) NewSection(true);
  for (char C : TBlockLI::MarkerText(Item->FMarkerStyle, Item->FItemNumber) + ' ')
    CurSection->AppendChar(C, Lex.TagStart);
}

std::unique_ptr<TBlock> TBuilder::MakeBlock(TCellBasic* Owner) {
  if (!Top()[piDisplay].Equals("list-item"))
    return std::make_unique<TBlock>(Doc, &Lex.CurAttributes, Owner, Top());
  // Any element shown as a list item takes a marker; items in a row count on.
  int Number = 1;
  for (int I = Owner->Count() - 1; I >= 0 && dynamic_cast<TBlockLI*>(Owner->Items(I)); --I)
    ++Number;
  return std::make_unique<TBlockLI>(Doc, &Lex.CurAttributes, Owner, Top(),
                                    TListKind::NotInList, false, '\0', Number, ListDepth);
}

}  // namespace builder_internal

