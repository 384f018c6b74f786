// Tables: rows, cells and captions, with the implicit rows and stray content of real pages.
#include <algorithm>
#include <exception>
#include <memory>
#include <typeinfo>

#include "document/core/id_name_list.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/tables/table.h"
#include "reader/builder_state.h"
#include "style/units.h"

namespace builder_internal {

namespace {

// The table attributes of the current tag. Percentages count when above 0 and at most
// PercentLimit (100, or 110 for a table's height), in per mille; pixel sizes are held to
// the bound of CSS lengths, so that no width sum or edge of the table can overflow.
TTableTagValues ReadTableValues(const TAttributeList& Attributes) {
  TTableTagValues V;
  auto Size = [](const TAttribute& A, int& Value, bool& Percent, int PercentLimit) {
    if (A.StrValue.find('%') != std::string::npos) {
      if (A.NumValue > 0 && A.NumValue <= PercentLimit) {
        Value = A.NumValue * 10;
        Percent = true;
      }
    } else if (A.NumValue > 0) {
      Value = std::min(A.NumValue, MaxLengthPixels);
      Percent = false;
    }
  };
  for (const TAttribute& A : Attributes) {
    TColor C = 0;
    switch (A.Sym) {
      case symBorder: V.Border = std::clamp(A.NumValue, 0, MaxLengthPixels); break;
      case symCellpadding: V.CellPadding = std::clamp(A.NumValue, 0, MaxLengthPixels); break;
      case symCellspacing: V.CellSpacing = std::clamp(A.NumValue, 0, MaxLengthPixels); break;
      case symColspan: V.ColSpan = A.NumValue; break;
      case symRowspan: V.RowSpan = A.NumValue; break;
      case symWidth: Size(A, V.Width, V.WidthIsPercent, 100); break;
      case symHeight: Size(A, V.Height, V.HeightIsPercent, 110); break;
      case symHspace: V.HSpace = A.NumValue; break;
      case symVspace: V.VSpace = A.NumValue; break;
      case symAlign: V.Align = Lower(A.StrValue); break;
      case symBackground: V.Background = A.StrValue; break;
      case symBgcolor:
        if (ParseColor(A.StrValue, false, C)) {
          V.HasBgColor = true;
          V.BgColor = C | PaletteRelativeFlag;
        }
        break;
      case symBordercolor:
        if (ParseColor(A.StrValue, false, C)) {
          V.HasBorderColor = true;
          V.BorderColor = C | PaletteRelativeFlag;
        }
        break;
      case symBordercolorlight:
        if (ParseColor(A.StrValue, false, C)) {
          V.HasLightColor = true;
          V.LightColor = C | PaletteRelativeFlag;
        }
        break;
      case symBordercolordark:
        if (ParseColor(A.StrValue, false, C)) {
          V.HasDarkColor = true;
          V.DarkColor = C | PaletteRelativeFlag;
        }
        break;
      default: break;
    }
  }
  return V;
}

// Tables nest at most this deep; a deeper table's rows and cells join the enclosing one.
constexpr int MaxTableDepth = 10;

}  // namespace

TVerticalAlign TBuilder::VAlignValue(TVerticalAlign Default) {
  const TAttribute* A = Lex.CurAttributes.Find(symValign);
  if (!A) return Default;
  const std::string V = Lower(A->StrValue.substr(0, 8));
  if (V == "top" || V == "baseline") return TVerticalAlign::Top;
  if (V == "middle") return TVerticalAlign::Middle;
  if (V == "bottom") return TVerticalAlign::Bottom;
  return Default;
}

TDocumentMarks TBuilder::DocumentMarks() const {
  TDocumentMarks M;
  M.LinkRuns = Doc->LinkRuns.size();
  M.FormControls = Doc->FormControls.size();
  M.Panels = Doc->Panels.size();
  M.Animated = Doc->AnimatedImages.size();
  M.ImageMaps = size_t(Doc->ImageMaps.Count());
  M.Forms = size_t(Doc->Forms.Count());
  M.PendingImages = Doc->PendingImages.Count();
  M.Names = Doc->IdNames ? Doc->IdNames->PutCount() : 0;
  return M;
}

bool TBuilder::CellLeavesNoTrace(const TTableState& T) const {
  if (!T.TooWide || DocumentMarks() != T.CellMarks) return false;
  if (First.Cell || FirstLineSection || FirstLine.Cell) return false;
  for (const auto& S : T.Cell->FCell)
    if (typeid(*S) != typeid(TSection) || !S->NeedsFloatsOnlyInLayout()) return false;
  return true;
}

void TBuilder::CloseCell(TTableState& T) {
  if (T.Cell) {
    if (CurCell == &T.Cell->FCell && T.CellProps >= 1 && T.CellProps < PropStack.Count() &&
        &PropStack[T.CellProps] == T.CellSet)
      AppendGenerated("after", T.CellProps);
    T.CellProps = -1;
    T.CellSet = nullptr;
    if (CurCell) {
      CloseSection();
      CurSection.reset();
    }
    if (CurCell == &T.Cell->FCell && T.Row) {
      T.Cell->FCell.DropLastBottomMargin();
      if (!CellLeavesNoTrace(T)) {
        T.RowColumns += T.Cell->FColSpan;
        // The row is wider than any table may be: the table shows nothing.
        T.TooWide = T.TooWide || T.RowColumns > ThtmlTable::MaxColumns;
        T.Row->Add(std::move(T.Cell));
      }
    }
    T.Cell.reset();
  }
  CurCell = nullptr;
}

void TBuilder::PopPropsTo(int Height) {
  while (PropStack.Count() - 1 > Height && PropStack.Count() > 1) PropStack.Pop();
  ForgetFirstStyles(PropStack.Count());
  FollowWhiteSpace();
}

void TBuilder::ParseTable() {
  if (TableDepth >= MaxTableDepth || BlockNesting >= MaxBlockNesting) {
    // Too deep: the rows and cells of this table go on in the enclosing one.
    Next();
    return;
  }
  TNestingLevel Tables(TableDepth);
  TNestingLevel Nested(BlockNesting);
  if (LinkOpen) EndAnchor();
  CloseSection();
  CurSection.reset();
  TCellBasic* const Outer = CurCell ? CurCell : Doc;
  const bool SavedNoWrap = NoWrap;
  const int SavedListDepth = ListDepth;
  CurCell = nullptr;
  TTextAlign Inherited = TTextAlign::Left;
  if (Top()[piTextAlign].Equals("center")) Inherited = TTextAlign::Center;
  else if (Top()[piTextAlign].Equals("right")) Inherited = TTextAlign::Right;

  TTableTagValues Values = ReadTableValues(Lex.CurAttributes);
  TProperties& P = PushTagProps("table");
  // A style's spacing wins over the attribute.
  if (int Across = 0, Down = 0; P.BorderSpacing(Across, Down)) {
    Values.CellSpacing = Across;
    Values.CellSpacingDown = Down;
  }
  if (!Values.Background.empty())
    P.SetFromAttribute(TPropValue("url(" + Values.Background + ")"), piBackgroundImage);
  auto TablePtr = std::make_unique<ThtmlTable>(Doc, Values, Outer);
  ThtmlTable* Table = TablePtr.get();
  auto BlockPtr = std::make_unique<TTableBlock>(Doc, P, Outer, Table, Values, TableDepth);
  TTableBlock* Block = BlockPtr.get();
  Block->Inherit(Inherited);
  Block->MyCell.Add(std::move(TablePtr));
  RegisterId(Block);

  TTableState T;
  // A read that ends in an error leaves the table's cells behind: what is built goes on in
  // the cell around the table.
  struct TRestore {
    TBuilder& B;
    TCellBasic* Outer;
    bool NoWrap;
    int ListDepth;
    int Uncaught = std::uncaught_exceptions();
    ~TRestore() {
      if (std::uncaught_exceptions() <= Uncaught) return;
      B.CurSection.reset();
      B.CurCell = Outer;
      B.NoWrap = NoWrap;
      B.ListDepth = ListDepth;
    }
  } Restore{*this, Outer, SavedNoWrap, SavedListDepth};
  T.RowDefaultVAlign = TVerticalAlign::Middle;
  T.RowHeight = PropStack.Count() - 1;
  Next();
  static const TSymbolSet CellStop = {symTableEnd, symTd,  symTdEnd,   symTr,        symTrEnd,
                                      symTh,       symThEnd, symCaption, symCaptionEnd};
  auto EndRow = [&] {
    CloseCell(T);
    if (T.Row) Table->AddRow(std::move(T.Row));
    T.RowColumns = 0;
    PopPropsTo(T.RowHeight);
  };
  while (Sym() != symTableEnd && Sym() != symEof && Sym() != symCaptionEnd) {
    const TSymbol S = Sym();
    switch (S) {
      case symTd: case symTh: {
        if (LinkOpen) EndAnchor();
        ListDepth = 0;
        if (!T.Row) {
          T.RowDefaultVAlign = TVerticalAlign::Middle;
          T.RowHeight = PropStack.Count() - 1;
          TProperties& RowProps = PushProps("tr", "", "", "", "", nullptr);
          T.Row = std::make_unique<TCellList>(TTableTagValues{}, RowProps);
        } else {
          CloseCell(T);
          PopPropsTo(T.RowHeight + 1);
        }
        const TTableTagValues CellValues = ReadTableValues(Lex.CurAttributes);
        const bool Header = S == symTh;
        TProperties& CellProps = PushTagProps(Header ? "th" : "td");
        ApplyAlign(AlignValue());
        // The cell's own default: it outlives an end tag of an element around the table,
        // and leaves the font the cell inherited as it was (most cells need no other).
        if (CellProps[piTextAlign].Equals("none"))
          CellProps.SetFromAttribute(TPropValue(Header ? "center" : "left"), piTextAlign);
        T.Cell =
            std::make_unique<TCellObj>(Doc, VAlignValue(T.RowDefaultVAlign), CellValues, Top());
        CurCell = &T.Cell->FCell;
        RegisterId(Block);
        T.CellMarks = DocumentMarks();
        // A width in pixels lets the cell wrap all the same.
        NoWrap = Lex.CurAttributes.Find(symNowrap) &&
                 (CellValues.Width <= 0 || CellValues.WidthIsPercent);
        T.CellProps = PropStack.Count() - 1;
        T.CellSet = &CellProps;
        NoteFirstStyles(nullptr);
        AppendGenerated("before", T.CellProps);
        Lex.SkipBlanks();
        Next();
        ParseBlockSequence(CellStop);
        break;
      }
      case symTdEnd: case symThEnd:
        CloseCell(T);
        Next();
        break;
      case symTr: {
        if (LinkOpen) EndAnchor();
        if (T.Row) EndRow();
        T.RowHeight = PropStack.Count() - 1;
        const TTableTagValues RowValues = ReadTableValues(Lex.CurAttributes);
        PushTagProps("tr");
        ApplyAlign(AlignValue());
        T.Row = std::make_unique<TCellList>(RowValues, Top());
        T.RowDefaultVAlign = VAlignValue(TVerticalAlign::Middle);
        Next();
        break;
      }
      case symTrEnd:
        if (LinkOpen) EndAnchor();
        if (T.Row) EndRow();
        Next();
        break;
      case symCaption: {
        if (LinkOpen) EndAnchor();
        NoWrap = false;
        CloseCell(T);
        if (const TAttribute* A = Lex.CurAttributes.Find(symAlign))
          Table->SetCaptionTop(Lower(A->StrValue) != "bottom");
        TCellObj& Caption = Table->Caption();
        CurCell = &Caption.FCell;
        PushTagProps("caption");
        Next();
        ParseBlockSequence(CellStop);
        CloseSection();
        PopPropsByTag("caption");
        CurSection.reset();
        CurCell = nullptr;
        if (Sym() == symCaptionEnd) Next();
        break;
      }
      default: {
        // Content outside any cell shows before the table.
        TCellBasic* const Saved = CurCell;
        CurCell = Outer;
        ParseBlockSequence(CellStop);
        CloseSection();
        CurSection.reset();
        CurCell = Saved;
        break;
      }
    }
  }
  if (LinkOpen) EndAnchor();
  CloseCell(T);
  if (T.Row) EndRow();
  PopPropsByTag("table");
  CurCell = Outer;
  Outer->Add(std::move(BlockPtr));
  NoWrap = SavedNoWrap;
  ListDepth = SavedListDepth;
  Next();
}

}  // namespace builder_internal
