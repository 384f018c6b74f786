#include "document/core/section_base.h"

#include <cstdlib>

#include "document/core/indent_manager.h"
#include "document/core/section_list.h"
#include "document/core/url_target.h"

namespace {

// The C library keeps small freed blocks aside, unmerged with their neighbours, until a
// request of a page or so comes. A document freed section by section would have them all
// merged at the end, long after they left the cache: the 50,000-paragraph page spent more
// time in that one merge than in freeing everything else. A page-sized request every few
// hundred sections has the blocks merged while they are still in cache.
constexpr int SectionsPerMerge = 256;
constexpr size_t MergeRequest = 4096;
thread_local int SectionsSinceMerge = 0;

void NoteSectionFreed() {
  if (++SectionsSinceMerge < SectionsPerMerge) return;
  SectionsSinceMerge = 0;
  void* volatile Block = std::malloc(MergeRequest);  // volatile: the pair must stay
  std::free(Block);
}

}  // namespace

TSectionBase::TSectionBase(TSectionList* ADocument) : FDocument(ADocument) {}

TSectionBase::~TSectionBase() { NoteSectionFreed(); }

TSectionBase::TSectionBase(TSectionList* ADocument, const TSectionBase& Source)
    : FDocument(ADocument), FFlowHeight(Source.FFlowHeight), FStackLevel(Source.FStackLevel) {}

int TSectionBase::GetTopY() { return FBoxTop; }

std::unique_ptr<TSectionBase> TSectionBase::CreateClone(TSectionList* ADocument) const {
  return std::make_unique<TSectionBase>(ADocument, *this);
}

void TSectionBase::CopySelection() {}

int TSectionBase::Layout(TCanvas*, int, int Y, int, int, int, int, IndentManager* IMgr,
                         int& MaxWidth, int& Curs) {
  FStartPos = Curs;
  FPaintHeight = FFlowHeight;
  MaxWidth = IMgr ? IMgr->FWidth : 0;
  FBoxTop = FPaintTop = FLayoutY = Y;
  FBoxBottom = Y + FFlowHeight;
  FPaintBottom = Y + FPaintHeight;
  return FFlowHeight;
}

int TSectionBase::Draw(TCanvas*, TPaintContext&, IndentManager*, int, int, int) {
  return FLayoutY + FFlowHeight;
}

unsigned TSectionBase::HitTestLink(TCanvas*, int, int, std::unique_ptr<TUrlTarget>&, TDocControl*&,
                                   std::string&) {
  return 0;
}

bool TSectionBase::HitTestObject(int, int, TObject*&, int&, int&) { return false; }

int TSectionBase::PositionAtPoint(TCanvas*, int, int, int&, int&, int&, bool&) { return -1; }

int TSectionBase::FindText(std::string_view, int, bool) { return -1; }

int TSectionBase::DocToSourcePos(int) { return -1; }

int TSectionBase::SourceToDocPos(int, bool) { return -1; }

bool TSectionBase::PositionToPoint(TCanvas*, int, int&, int&) { return false; }

bool TSectionBase::CharAtPosition(int, char&, TObject*&) { return false; }

void TSectionBase::MeasureWidths(TCanvas*, int& Min, int& Max) {
  Min = 0;
  Max = 0;
}

void TSectionBase::MeasureFitWidths(TCanvas* Canvas, int& Min, int& Max) {
  MeasureWidths(Canvas, Min, Max);
}

void TSectionBase::RegisterPositions() {
  if (FDocument) FDocument->AddPosition(this);
}
