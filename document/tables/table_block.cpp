// The block around a table: width from the attributes or the style, centring, floating
// with its spacing, and the background of the whole table.
#include <algorithm>
#include <unordered_set>

#include "document/core/indent_manager.h"
#include "document/core/process_error.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/tables/table.h"
#include "style/units.h"

namespace {

// Everything a cell holds, tables inside included, and the font runs of its text: what the
// document's lists must forget when the cell goes.
void CollectHeld(TCellBasic& Cell, std::unordered_set<const void*>& Objects,
                 std::unordered_set<const void*>& Runs) {
  for (int I = 0; I < Cell.Count(); ++I) {
    TSectionBase* S = Cell.Items(I);
    Objects.insert(static_cast<const TObject*>(S));
    if (auto* Text = dynamic_cast<TSection*>(S)) {
      for (int R = 0; R < Text->FFontRuns.Count(); ++R)
        Runs.insert(static_cast<TDocFontRun*>(Text->FFontRuns[R]));
    } else if (auto* Block = dynamic_cast<TBlock*>(S)) {
      CollectHeld(Block->MyCell, Objects, Runs);
    } else if (auto* Table = dynamic_cast<ThtmlTable*>(S)) {
      if (Table->FCaption) CollectHeld(Table->FCaption->FCell, Objects, Runs);
      for (auto& Row : Table->FRowList)
        for (auto& C : Row->FCells) CollectHeld(C->FCell, Objects, Runs);
    }
  }
}

int MulDivRound(int A, int B, int C) {
  if (C == 0) return 0;
  return int((int64_t(A) * B + C / 2) / C);
}

}  // namespace

TTableBlock::TTableBlock(TSectionList* ADocument, const TProperties& Prop, TCellBasic* AOwnerCell,
                         ThtmlTable* ATable, const TTableTagValues& Values, int TableNesting)
    : TBlock(ADocument, nullptr, AOwnerCell, Prop), FTable(ATable) {
  TFloatSide CssFloat = TFloatSide::None;
  const bool FloatGiven = Prop.FloatSide(CssFloat);
  if (Values.Align == "center" || Values.Align == "middle") {
    FAlignMode = TTextAlign::Center;
  } else if (!FloatGiven && (Values.Align == "left" || Values.Align == "right")) {
    FFloat = Values.Align == "left" ? TFloatSide::Left : TFloatSide::Right;
  }
  FHasBgColorAttr = Values.HasBgColor;
  FBgColorAttr = Values.BgColor;
  if (Values.Width > 0) {
    FAskedWidth = Values.Width;
    FWidthPercent = Values.WidthIsPercent;
  }
  // A percentage height counts for an outermost table only.
  if (Values.Height > 0 &&
      (!Values.HeightIsPercent || (TableNesting == 1 && Values.Height <= 1100))) {
    FAskedHeight = Values.Height;
    FHeightPercent = Values.HeightIsPercent;
  }
  if (Values.HSpace != TTableTagValues::Absent) FHSpace = std::min(40, std::abs(Values.HSpace));
  if (Values.VSpace != TTableTagValues::Absent) FVSpace = std::min(200, std::abs(Values.VSpace));
  // A style width replaces the attribute: a percentage in per mille, anything else in pixels.
  const TPropValue& W = MargArrayO[piWidth - BoxFirst];
  if (W.IsString() && W.AsString() != "auto" && !W.AsString().empty()) {
    const std::string_view S = W.AsString();
    const bool Pct = S.find('%') != std::string_view::npos;
    const int V = LengthToPixels(S, false, Pct ? 1000 : 0, FEmSize, FExSize, 0);
    if (V > 0 && (!Pct || V < 1000)) {
      FAskedWidth = V;
      FWidthPercent = Pct;
    } else if (Pct && V >= 1000) {
      FAskedWidth = 1000;
      FWidthPercent = true;
    }
  } else if (W.IsInteger() && W.AsInteger() > 0 && W.AsInteger() != AutoValue) {
    FAskedWidth = W.AsInteger();
    FWidthPercent = false;
  }
  if (FWidthPercent) FAskedWidth = std::min(FAskedWidth, 1000);
  MargArrayO.Set(piWidth - BoxFirst, TPropValue(NoValue));
  if (FFloat != TFloatSide::None) {
    if (FStackLevel == 0) FStackLevel = 1;
    if (FTable) FTable->FFloating = true;
  }
}

TTableBlock::TTableBlock(TSectionList* ADocument, const TTableBlock& Source)
    : TBlock(ADocument, Source),
      FAskedWidth(Source.FAskedWidth),
      FWidthPercent(Source.FWidthPercent),
      FAskedHeight(Source.FAskedHeight),
      FHeightPercent(Source.FHeightPercent),
      FHasBgColorAttr(Source.FHasBgColorAttr && ADocument && ADocument->PrintColors),
      FBgColorAttr(Source.FBgColorAttr),
      FHSpace(Source.FHSpace),
      FVSpace(Source.FVSpace),
      FAlignMode(Source.FAlignMode) {
  for (int I = 0; I < MyCell.Count() && !FTable; ++I)
    FTable = dynamic_cast<ThtmlTable*>(MyCell.Items(I));
}

std::unique_ptr<TSectionBase> TTableBlock::CreateClone(TSectionList* ADocument) const {
  return std::make_unique<TTableBlock>(ADocument, *this);
}

void TTableBlock::Inherit(TTextAlign AlignMode) {
  if (FAlignMode == TTextAlign::Center || FFloat != TFloatSide::None) return;
  FAlignMode = AlignMode;
}

void TTableBlock::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
  if (FTable) FTable->FAskedWidth = FWidthPercent ? 0 : FAskedWidth;
  TBlock::MeasureWidths(Canvas, Min, Max);
  if (!FWidthPercent && FAskedWidth > 0) Min = Max = std::max(Min, FAskedWidth);
}

int TTableBlock::ComputeContentWidth(TCanvas* Canvas, int AWidth) {
  int& Left = MargArray[piMarginLeft - BoxFirst];
  int& Right = MargArray[piMarginRight - BoxFirst];
  int& Top = MargArray[piMarginTop - BoxFirst];
  int& Bottom = MargArray[piMarginBottom - BoxFirst];
  if (Left == AutoValue) Left = 0;
  if (Right == AutoValue) Right = 0;
  if (FFloat != TFloatSide::None) {
    if (Left == 0) Left = FHSpace;
    if (Right == 0) Right = FHSpace;
    if (Top == 0) Top = FVSpace;
    if (Bottom == 0) Bottom = FVSpace;
  }
  if (FBkColor == NoColour && FHasBgColorAttr) FBkColor = FBgColorAttr;
  if (FTable) {
    FTable->FHasBgColor = FBkColor != NoColour && BGImageName().empty();
    FTable->FBgColor = FBkColor;
  }
  auto px = [&](int Index) { return MargArray[Index - BoxFirst]; };
  const int LeftExtra = Left + px(piPaddingLeft) + px(piBorderLeftWidth);
  const int RightExtra = Right + px(piPaddingRight) + px(piBorderRightWidth);
  int Min = 0, Max = 0;
  if (FTable) {
    FTable->FAskedWidth = 0;
    FTable->MeasureWidths(Canvas, Min, Max);
  }
  int Width = 0;
  if (FAskedWidth > 0) {
    Width = FWidthPercent ? MulDivRound(AWidth - LeftExtra - RightExtra, FAskedWidth, 1000)
                          : FAskedWidth;
    Width = std::max(Width, Min);
    if (FTable) FTable->FAskedWidth = Width;
  } else {
    const int R = AWidth - LeftExtra - RightExtra;
    Width = Max <= R ? Max : std::max(Min, R);
  }
  Width = std::max(Width, 0);
  if (Width < AWidth - LeftExtra - RightExtra && Left == 0 && Right == 0 &&
      FFloat == TFloatSide::None) {
    const int D = AWidth - LeftExtra - RightExtra - Width;
    if (FAlignMode == TTextAlign::Center) Left = D / 2;
    else if (FAlignMode == TTextAlign::Right) Left = D;
  }
  int Height = std::max(0, px(piHeight));
  if (Height == 0 && FAskedHeight > 0)
    Height = FHeightPercent ? MulDivRound(FLastAvailHeight, FAskedHeight, 1000) : FAskedHeight;
  if (FTable) FTable->FAskedHeight = Height;
  return Width;
}

int TTableBlock::Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
                        IndentManager* IMgr, int& MaxWidth, int& Curs) {
  FLastAvailHeight = AHeight;
  if (FTable && !FTable->PrepareGrid()) {
    // Reported and dropped here: passed on, the error would drop the blocks around too.
    ShowErrorBox("Table has too many Columns");
    DropContent();
  }
  if (FFloat == TFloatSide::None && IMgr) {
    // Beside the floats at its top, in the room they leave.
    const int NewX = std::max(X, IMgr->LeftEdgeAt(Y));
    AWidth = std::min(X + AWidth, IMgr->RightEdgeAt(Y)) - NewX;
    X = NewX;
  }
  return TBlock::Layout(Canvas, X, Y, XRef, YRef, AWidth, AHeight, IMgr, MaxWidth, Curs);
}

int TTableBlock::Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X,
                      int XRef, int YRef) {
  if (FFloat == TFloatSide::None && IMgr) X = std::max(X, IMgr->LeftEdgeAt(FLayoutY));
  return TBlock::Draw(Canvas, Context, IMgr, X, XRef, YRef);
}

void TTableBlock::DropContent() {
  std::unordered_set<const void*> Objects, Runs;
  CollectHeld(MyCell, Objects, Runs);
  if (FDocument) {
    std::erase_if(FDocument->LinkRuns, [&](const TDocFontRun* R) { return Runs.count(R) != 0; });
    if (FDocument->HoverLink && Runs.count(FDocument->HoverLink)) FDocument->HoverLink = nullptr;
    if (TIDNameList* Ids = FDocument->IdNames.get())
      for (int I = Ids->Count() - 1; I >= 0; --I)
        if (Objects.count(static_cast<const TObject*>(Ids->Objects(I)))) Ids->Delete(I);
  }
  MyCell.Clear();
  MyCell.InvalidatePaintIndex();
  FTable = nullptr;
}

void TTableBlock::RegisterPositions() {
  if (FTable && !FNotDisplayed && FDocument) FDocument->AddPosition(FTable);
}
