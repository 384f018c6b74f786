// How a block's vertical margins meet those of the blocks around and inside it: collapsing
// through open boxes, the default paragraph spacing and its dropping at the end of a cell.
#include <algorithm>

#include "document/blocks/block.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/core/text_walk.h"
#include "style/box_values.h"

namespace {

// Two adjoining margins as one: the larger of two positive ones, the more negative of two
// negative ones, the sum of one of each.
int CollapsedMargin(int A, int B) {
  if (A >= 0 && B >= 0) return std::max(A, B);
  if (A < 0 && B < 0) return std::min(A, B);
  return A + B;
}

// A text section of nothing but floats (and blanks): the margins around it meet as if it
// were not there.
TSection* FloatsOnly(TSectionBase* S) {
  auto* T = dynamic_cast<TSection*>(S);
  if (!T || T->IsParagraph() || T->Objects().empty()) return nullptr;
  for (const auto& E : T->Objects())
    if (!E.Obj->Floating()) return nullptr;
  for (const char C : T->FText)
    if (C != ' ' && !IsObjectCode(C)) return nullptr;
  return T;
}

}  // namespace

int TBlock::CollapseTopMargin() {
  int& top = MargArray[piMarginTop - BoxFirst];
  // An absolute box stands where its offsets put it, with no spacing from the flow.
  if (FPositioning == TPositionKind::Absolute) {
    if (FTopAuto) top = 0;
    return 0;
  }
  // A float's margins stay apart from its neighbours', and the block after a float
  // collapses with the one before it. Returning before the search below keeps a run of
  // floats from reading back over the whole run at each float.
  if (FFloat != TFloatSide::None) return 0;
  const bool standards = FDocument && FDocument->StandardsMode;
  TSectionBase* previous = nullptr;
  TSection* floats = nullptr;  // the last section of floats only, in a standards document
  if (OwnerCell)
    for (int i = OwnerCell->Count() - 1; i >= 0 && !previous; --i) {
      TSectionBase* s = OwnerCell->Items(i);
      if (s->IsAbsolutelyPositioned() || s->IsFloating()) continue;
      if (standards && !floats && (floats = FloatsOnly(s))) continue;
      previous = s;
    }
  const std::string_view ownerTag = OwnerCell ? OwnerCell->FOwnerElement.Str() : std::string_view();
  const std::string_view tag = MyCell.FOwnerElement.Str();
  int bottom = 0;
  if (previous && previous->TakeBottomMargin(bottom)) {
    top = CollapsedMargin(top, bottom);
    // The floats between stand below the margin taken here, as in browsers: a section of
    // floats only takes it as its spacing above, and this block keeps what exceeds it.
    bool passed = !floats || bottom <= 0 || top < bottom;
    if (floats && !passed) {
      floats->SetParagraphSpacing(bottom, 0, false);
      top -= bottom;
    }
    if (bottom > 0 && standards)
      for (int i = OwnerCell->Count() - 1; i >= 0 && OwnerCell->Items(i) != previous; --i) {
        TSectionBase* s = OwnerCell->Items(i);
        if (s == floats) passed = true;
        if (auto* b = dynamic_cast<TBlock*>(s); b && b->IsFloating() && passed)
          b->MargArray[piMarginTop - BoxFirst] += bottom;
      }
  } else if (previous) {
    // A nested list right after an item's text.
    if (ownerTag == "li" && FTopAuto && (tag == "ul" || tag == "ol")) top = 0;
  } else if (ownerTag == "body") {
    // A body whose margin the style gives lets the margin of its first block collapse
    // through its top, as any open box; the viewer's own page margins stay apart.
    const int through = OwnerCell->FOpenTopMargin;
    if (FDocument && FDocument->StandardsMode && through >= 0 && top >= 0) {
      top = std::max(0, top - through);
      return through;
    }
  } else if (ownerTag == "li" || (!ownerTag.empty() && ownerTag != "default")) {
    // Older pages expect the first block in a box to sit at its top; a standards document
    // keeps the margin, collapsed through a box whose top is open (it shows above the box).
    if (ownerTag != "li" && FDocument && FDocument->StandardsMode) {
      const int through = OwnerCell->FOpenTopMargin;
      if (through >= 0 && top >= 0) {
        // What exceeds the margins above goes to the outermost box of those whose tops
        // adjoin, so that their boxes start together below the one margin.
        const int rest = top - through;
        top = 0;
        TBlock* owner = OwnerBlock();
        if (rest > 0 && owner) {
          TBlock* outer = owner;
          while (outer->FTopJoinsOwner && outer->OwnerBlock()) outer = outer->OwnerBlock();
          outer->MargArray[piMarginTop - BoxFirst] += rest;
          for (TBlock* b = owner;; b = b->OwnerBlock()) {
            b->MyCell.FOpenTopMargin = int16_t(std::min(b->MyCell.FOpenTopMargin + rest, 32767));
            if (b == outer) break;
          }
        }
        FTopJoinsOwner = owner != nullptr;
        return through + std::max(0, rest);
      }
    } else if (FTopAuto) {
      top = 0;
    }
  }
  return 0;
}

void TBlock::MakeInlineBlock() {
  FInlineBlock = true;
  MyCell.FOpenTopMargin = -1;
}

int TBlock::MarginBoxWidth() const {
  auto px = [&](int Index) { return MargArray[Index - BoxFirst]; };
  return FContentOffset + FContentWidth + px(piMarginRight) + px(piPaddingRight) +
         px(piBorderRightWidth);
}

bool TBlock::BottomClosed() const {
  if (FFloat != TFloatSide::None || FInlineBlock || FPositioning == TPositionKind::Absolute)
    return true;
  TMarginArray box{};
  int autos = 0;
  BoxToPixels(MargArrayO.Values(), NominalWidth, 0, FEmSize, FExSize, autos, box);
  return box[piPaddingBottom - BoxFirst] != 0 || box[piBorderBottomWidth - BoxFirst] != 0 ||
         box[piHeight - BoxFirst] != 0;
}

bool TBlock::KeepsLastDefaultMargin() const {
  return FDocument && FDocument->StandardsMode && !FNotDisplayed && BottomClosed();
}

void TBlock::CollapseLastBottomMargin() {
  if (!FDocument || !FDocument->StandardsMode || FNotDisplayed || KeepsBottomMarginApart() ||
      BottomClosed())
    return;
  TSectionBase* last = nullptr;
  for (int i = MyCell.Count() - 1; i >= 0 && !last; --i) {
    TSectionBase* s = MyCell.Items(i);
    if (!s->IsAbsolutelyPositioned() && !s->IsFloating()) last = s;
  }
  int bottom = 0;
  if (!last || !last->TakeBottomMargin(bottom)) return;
  int& own = MargArray[piMarginBottom - BoxFirst];
  own = CollapsedMargin(own, bottom);
}

TBlock* TBlock::OwnerBlock() const {
  auto* cell = dynamic_cast<TBlockCell*>(OwnerCell);
  return cell ? dynamic_cast<TBlock*>(cell->FOwnerBox) : nullptr;
}

bool TBlock::TakeBottomMargin(int& Bottom) {
  Bottom = MargArray[piMarginBottom - BoxFirst];
  MargArray[piMarginBottom - BoxFirst] = 0;
  FBottomAuto = false;
  return true;
}

void TBlock::SetDefaultBottomMargin() {
  MargArray[piMarginBottom - BoxFirst] = ParagraphMargin;
  FBottomAuto = true;
}

bool TBlock::OnlyVerticalSpacing(int& Top, int& Bottom, bool& BottomIsDefault) const {
  if (FExtras || FNotDisplayed || FPositioning != TPositionKind::Static ||
      FVisibility != TVisibility::Visible || FFloat != TFloatSide::None ||
      FClear != TClearSides::None || FBkColor != NoColour || FBreakBefore || FBreakAfter ||
      FAvoidBreakInside)
    return false;
  if (!MargArrayO.OnlyVerticalMargins(FEmSize, FExSize)) return false;
  auto At = [](int Index) { return Index - BoxFirst; };
  Top = MargArray[At(piMarginTop)];
  Bottom = MargArray[At(piMarginBottom)];
  BottomIsDefault = FBottomAuto;
  return true;
}

TMarginDrop TBlock::DropBottomMargin() {
  if (!FBottomAuto) return TMarginDrop::Kept;
  MargArray[piMarginBottom - BoxFirst] = 0;
  FBottomAuto = false;
  return TMarginDrop::Dropped;
}
