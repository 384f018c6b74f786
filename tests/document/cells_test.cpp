#include "document/core/cells.h"

#include <gtest/gtest.h>

#include <vector>

#include "document/core/process_error.h"
#include "document/core/section_list.h"
#include "fake_sections.h"

namespace {

class CellLayout : public ::testing::Test {
 protected:
  void SetUp() override { ClearRecordedErrorMessages(); }
  TSectionList Doc{nullptr, nullptr};
};

TEST_F(CellLayout, SectionsStackAndPositionsAreHandedOutInOrder) {
  TCell cell(&Doc);
  TFakeSection* a = AddFake(cell, &Doc, 20, 5);
  TFakeSection* b = AddFake(cell, &Doc, 30, 0);
  TFakeSection* c = AddFake(cell, &Doc, 10, 7);
  b->Width = 900;
  int scrollWidth = -1, curs = 100;
  const int h = cell.LayoutCell(nullptr, 40, 500, 300, scrollWidth, curs);
  EXPECT_EQ(h, 60);
  EXPECT_EQ(a->FBoxTop, 40);
  EXPECT_EQ(b->FBoxTop, 60);
  EXPECT_EQ(c->FBoxTop, 90);
  EXPECT_EQ(c->FBoxBottom, 100);
  EXPECT_EQ(a->FStartPos, 100);
  EXPECT_EQ(b->FStartPos, 105);
  EXPECT_EQ(c->FStartPos, 105);
  EXPECT_EQ(curs, 112);
  EXPECT_EQ(cell.FStartPos, 100);
  EXPECT_EQ(cell.FPosCount, 12);
  EXPECT_EQ(cell.FCellTop, 40);
  EXPECT_EQ(scrollWidth, 900);
  EXPECT_EQ(a->SeenWidth, 500);
}

TEST_F(CellLayout, ASectionThatCannotBeLaidOutIsReportedAndDropped) {
  TCell cell(&Doc);
  TFakeSection* a = AddFake(cell, &Doc, 20, 3);
  TFakeSection* bad = AddFake(cell, &Doc, 50, 4);
  TFakeSection* bad2 = AddFake(cell, &Doc, 50, 4);
  TFakeSection* c = AddFake(cell, &Doc, 10, 2);
  bad->ErrorMessage = "Table has too many Columns";
  bad2->ErrorMessage = "second";
  int sw = 0, curs = 0;
  const int h = cell.LayoutCell(nullptr, 0, 400, 300, sw, curs);
  EXPECT_EQ(h, 30);
  ASSERT_EQ(cell.Count(), 2);
  EXPECT_EQ(cell[0], a);
  EXPECT_EQ(cell[1], c);
  EXPECT_EQ(c->FBoxTop, 20);
  EXPECT_EQ(c->FStartPos, 3);
  EXPECT_EQ(curs, 5);
  ASSERT_EQ(RecordedErrorMessages().size(), 2u);
  EXPECT_EQ(RecordedErrorMessages()[0], "Table has too many Columns");
  EXPECT_EQ(RecordedErrorMessages()[1], "second");
}

TEST_F(CellLayout, TheErrorBoxHookReceivesTheMessageInsteadOfTheRecord) {
  std::vector<std::string> shown;
  SetErrorBox([&](const std::string& m) { shown.push_back(m); });
  TCell cell(&Doc);
  AddFake(cell, &Doc, 20)->ErrorMessage = "boom";
  int sw = 0, curs = 0;
  EXPECT_EQ(cell.LayoutCell(nullptr, 0, 400, 300, sw, curs), 0);
  SetErrorBox(nullptr);
  EXPECT_EQ(shown, std::vector<std::string>{"boom"});
  EXPECT_TRUE(RecordedErrorMessages().empty());
  EXPECT_EQ(cell.Count(), 0);
}

class TThrowingSection : public TSectionBase {
 public:
  using TSectionBase::TSectionBase;
  int Layout(TCanvas*, int, int, int, int, int, int, IndentManager*, int&, int&) override {
    throw EInvalidOperation("not a layout error");
  }
};

TEST_F(CellLayout, OtherExceptionsPassThroughAndKeepTheSection) {
  TCell cell(&Doc);
  cell.Add(std::make_unique<TThrowingSection>(&Doc));
  int sw = 0, curs = 0;
  EXPECT_THROW(cell.LayoutCell(nullptr, 0, 400, 300, sw, curs), EInvalidOperation);
  EXPECT_EQ(cell.Count(), 1);
}

TEST_F(CellLayout, AFloatBelowTheLastSectionLengthensTheCell) {
  TCell cell(&Doc);
  AddFake(cell, &Doc, 20);
  AddFake(cell, &Doc, 10)->FloatHeight = 100;  // a float from Y 70 to 170
  int sw = 0, curs = 0;
  EXPECT_EQ(cell.LayoutCell(nullptr, 50, 400, 300, sw, curs), 120);
  // A second layout starts from fresh floats.
  EXPECT_EQ(cell.LayoutCell(nullptr, 0, 400, 300, sw, curs), 120);
  EXPECT_EQ(cell.FFloats->FWidth, 400);
  EXPECT_EQ(cell.FFloats->FLeftList.Count(), 1);  // the cell's own indents were popped
  EXPECT_EQ(cell.FFloats->FRightList.Count(), 0);
}

TEST_F(CellLayout, AFloatInsideTheFlowDoesNotChangeTheHeight) {
  TCell cell(&Doc);
  AddFake(cell, &Doc, 20)->FloatHeight = 10;
  AddFake(cell, &Doc, 40);
  int sw = 0, curs = 0;
  EXPECT_EQ(cell.LayoutCell(nullptr, 0, 400, 300, sw, curs), 60);
}

TEST_F(CellLayout, BlockCellTracksBoxAndPaintExtentsAndBorrowsFloats) {
  IndentManager floats;
  floats.SetEdges(0, 300);
  floats.FWidth = 300;
  TBlockCell cell(&Doc);
  cell.FFloats = &floats;
  TFakeSection* a = AddFake(cell, &Doc, 20, 2);
  TFakeSection* abs = AddFake(cell, &Doc, 0, 1);
  abs->Absolute = true;
  abs->ExtraPaint = 500;
  TFakeSection* c = AddFake(cell, &Doc, 30, 1);
  c->ExtraPaint = 15;
  c->FloatHeight = 5;
  int sw = 0, curs = 10;
  EXPECT_EQ(cell.DoLayout(nullptr, 8, 100, 0, 0, 280, 300, sw, curs), 50);
  EXPECT_EQ(cell.FCellFlowHeight, 50);
  EXPECT_EQ(cell.FCellBoxBottom, 150);  // the absolute block is left out
  EXPECT_EQ(cell.FCellPaintTop, 100);
  EXPECT_EQ(cell.FCellPaintBottom, 620);
  EXPECT_EQ(a->FStartPos, 10);
  EXPECT_EQ(cell.FPosCount, 4);
  EXPECT_EQ(floats.FLeftList.Count(), 1);  // the float went to the borrowed manager
}

TEST_F(CellLayout, BlockCellLetsLayoutErrorsReachTheEnclosingCell) {
  TBlockCell cell(&Doc);
  IndentManager floats;
  cell.FFloats = &floats;
  AddFake(cell, &Doc, 10)->ErrorMessage = "inner";
  int sw = 0, curs = 0;
  EXPECT_THROW(cell.DoLayout(nullptr, 0, 0, 0, 0, 100, 100, sw, curs), EProcessError);
}

TEST_F(CellLayout, AddSkipsNullAndSectionsThatAskToBeDropped) {
  TCell cell(&Doc);
  cell.Add(nullptr);
  auto empty = std::make_unique<TFakeSection>(nullptr, 10);
  empty->DropWhenAdded = true;
  cell.Add(std::move(empty));
  auto kept = std::make_unique<TFakeSection>(nullptr, 10);
  TFakeSection* raw = kept.get();
  cell.Add(std::move(kept));
  ASSERT_EQ(cell.Count(), 1);
  EXPECT_EQ(raw->FDocument, &Doc);
}

TEST_F(CellLayout, DropLastBottomMarginActsOnTheLastBlockOnly) {
  struct {
    const char* name;
    bool lastIsBlock, lastAbsolute, lastDefault, earlierDefault;
    bool expected;
  } cases[] = {
      {"last block with default spacing", true, false, true, false, true},
      {"last block with its own margin", true, false, false, true, false},
      {"absolute last block is skipped", true, true, true, true, true},
      {"text after the block is skipped", false, false, false, true, true},
  };
  for (const auto& c : cases) {
    TCell cell(&Doc);
    TFakeSection* earlier = AddFake(cell, &Doc, 10);
    earlier->IsBlock = true;
    earlier->DefaultMargin = c.earlierDefault;
    TFakeSection* last = AddFake(cell, &Doc, 10);
    last->IsBlock = c.lastIsBlock;
    last->Absolute = c.lastAbsolute;
    last->DefaultMargin = c.lastDefault;
    EXPECT_EQ(cell.DropLastBottomMargin(), c.expected) << c.name;
  }
  TCell empty(&Doc);
  EXPECT_FALSE(empty.DropLastBottomMargin());
}

TEST_F(CellLayout, DropLastBottomMarginAsksEachSectionAboutOnce) {
  // Items nested past the cap: a long run of text after one block, the margin dropped at
  // every item. The work must stay linear in the run.
  constexpr int Run = 3000;
  TCell cell(&Doc);
  TFakeSection* block = AddFake(cell, &Doc, 10);
  block->IsBlock = true;
  block->DefaultMargin = true;
  std::vector<TFakeSection*> texts;
  int dropped = 0;
  for (int i = 0; i < Run; ++i) {
    texts.push_back(AddFake(cell, &Doc, 10));
    if (cell.DropLastBottomMargin()) ++dropped;
  }
  EXPECT_EQ(dropped, 1);
  EXPECT_FALSE(block->DefaultMargin);
  long asks = block->MarginAsks;
  for (const TFakeSection* t : texts) asks += t->MarginAsks;
  EXPECT_LE(asks, 3L * Run);
}

TEST_F(CellLayout, DropLastBottomMarginSeesEditsToTheRunItSkips) {
  enum class TEdit { InsertBlock, DeleteBlock, ExtractBlock, ClearAll };
  struct {
    const char* name;
    TEdit edit;
    bool expected;
  } cases[] = {
      {"a block inserted into the run is the last", TEdit::InsertBlock, true},
      {"the last block deleted: the one before it", TEdit::DeleteBlock, true},
      {"the last block taken out: the one before it", TEdit::ExtractBlock, true},
      {"a cleared cell has none", TEdit::ClearAll, false},
  };
  for (const auto& c : cases) {
    TCell cell(&Doc);
    TFakeSection* first = AddFake(cell, &Doc, 10);
    first->IsBlock = true;
    first->DefaultMargin = true;
    TFakeSection* second = AddFake(cell, &Doc, 10);
    second->IsBlock = true;
    for (int i = 0; i < 5; ++i) AddFake(cell, &Doc, 10);
    EXPECT_FALSE(cell.DropLastBottomMargin()) << c.name;  // the second keeps its margin
    switch (c.edit) {
      case TEdit::InsertBlock: {
        auto inserted = std::make_unique<TFakeSection>(&Doc, 10);
        inserted->IsBlock = true;
        inserted->DefaultMargin = true;
        cell.Insert(4, std::move(inserted));
        break;
      }
      case TEdit::DeleteBlock: cell.Delete(1); break;
      case TEdit::ExtractBlock: cell.Extract(1); break;
      case TEdit::ClearAll: cell.Clear(); break;
    }
    AddFake(cell, &Doc, 10);
    EXPECT_EQ(cell.DropLastBottomMargin(), c.expected) << c.name;
  }
}

TEST_F(CellLayout, MeasureWidthsTakesTheLargestOfEach) {
  class TWide : public TSectionBase {
   public:
    TWide(int mn, int mx) : TSectionBase(nullptr), FMin(mn), FMax(mx) {}
    void MeasureWidths(TCanvas*, int& Min, int& Max) override {
      Min = FMin;
      Max = FMax;
    }
    int FMin, FMax;
  };
  TCell cell(&Doc);
  int mn = -1, mx = -1;
  cell.MeasureWidths(nullptr, mn, mx);
  EXPECT_EQ(mn, 0);
  EXPECT_EQ(mx, 0);
  cell.Add(std::make_unique<TWide>(50, 100));
  cell.Add(std::make_unique<TWide>(80, 90));
  cell.MeasureWidths(nullptr, mn, mx);
  EXPECT_EQ(mn, 80);
  EXPECT_EQ(mx, 100);
}

class CellDrawing : public ::testing::Test {
 protected:
  // Ten sections of 100 pixels, the fourth painting 250 pixels below its flow.
  void SetUp() override {
    for (int i = 0; i < 10; ++i) Sections.push_back(AddFake(Cell, &Doc, 100, 1));
    Sections[3]->ExtraPaint = 250;
    int sw = 0, curs = 0;
    Cell.LayoutCell(nullptr, 0, 500, 300, sw, curs);
  }
  std::vector<int> Painted() const {
    std::vector<int> out;
    for (size_t i = 0; i < Sections.size(); ++i)
      if (Sections[i]->Paints > 0) out.push_back(int(i));
    return out;
  }
  TSectionList Doc{nullptr, nullptr};
  TCell Cell{&Doc};
  std::vector<TFakeSection*> Sections;
};

TEST_F(CellDrawing, OnlySectionsMeetingTheBandAreDrawn) {
  TPaintContext Pass{.Band = TRect{0, 0, 500, 150}, .ScrollY = 500};
  const int next = Cell.Draw(nullptr, Pass, 6000, 0, 0, 0, 0);  // rows 500..649
  EXPECT_EQ(next, 1000);
  EXPECT_EQ(Painted(), (std::vector<int>{3, 5, 6}));
  // Sections far from the band are not even asked, except the last for its next Y.
  EXPECT_EQ(Sections[0]->DrawCalls, 0);
  EXPECT_EQ(Sections[8]->DrawCalls, 0);
  EXPECT_EQ(Sections[9]->DrawCalls, 1);
}

TEST_F(CellDrawing, BandsAboveAndBelowTheDocumentDrawNothing) {
  TPaintContext Below{.Band = TRect{0, 0, 500, 100}, .ScrollY = 5000};
  EXPECT_EQ(Cell.Draw(nullptr, Below, 6000, 0, 0, 0, 0), 1000);
  TPaintContext Above{.Band = TRect{0, 0, 500, 100}, .ScrollY = -200};
  EXPECT_EQ(Cell.Draw(nullptr, Above, 6000, 0, 0, 0, 0), 1000);
  EXPECT_TRUE(Painted().empty());
}

TEST_F(CellDrawing, HitTestsAskOnlySectionsWhosePaintContainsY) {
  std::unique_ptr<TUrlTarget> url;
  TDocControl* control = reinterpret_cast<TDocControl*>(1);
  std::string title;
  Sections[3]->LinkTitle = "three";
  Sections[5]->LinkTitle = "five";
  EXPECT_EQ(Cell.HitTestLink(nullptr, 10, 520, url, control, title), unsigned(htTitleFound));
  EXPECT_EQ(title, "three");  // the first in order decides
  EXPECT_EQ(control, nullptr);
  EXPECT_EQ(Sections[3]->HitCalls, 1);
  EXPECT_EQ(Sections[4]->HitCalls, 0);  // its paint ends at 500
  EXPECT_EQ(Sections[5]->HitCalls, 0);  // the answer came before it
  int xr = 0, yr = 0, ht = 0;
  bool inText = false;
  EXPECT_EQ(Cell.PositionAtPoint(nullptr, 0, 720, xr, yr, ht, inText), 7);
  EXPECT_EQ(Cell.PositionAtPoint(nullptr, 0, 5000, xr, yr, ht, inText), -1);
}

TEST_F(CellDrawing, ACellEditedAfterLayoutStillFindsItsSections) {
  Cell.Delete(0);  // the paint index must notice
  TPaintContext Pass{.Band = TRect{0, 0, 500, 150}, .ScrollY = 0};
  Cell.Draw(nullptr, Pass, 6000, 0, 0, 0, 0);
  EXPECT_EQ(Sections[1]->Paints, 1);
}

// Short cells scan their sections and long ones search an index: both must paint exactly
// the sections whose paint extent meets the band, however far down the document lies.
TEST(CellDrawingAnyLength, PaintsExactlyTheSectionsMeetingTheBand) {
  for (const int count : {3, 16, 17, 40, 300}) {
    for (const int top : {0, 2000000}) {
      TSectionList doc(nullptr, nullptr);
      TBlockCell cell(&doc);
      IndentManager floats;
      cell.FFloats = &floats;
      std::vector<TFakeSection*> sections;
      for (int i = 0; i < count; ++i) sections.push_back(AddFake(cell, &doc, 100, 1));
      sections[count / 3]->ExtraPaint = 250;
      int sw = 0, curs = 0;
      cell.DoLayout(nullptr, 0, top, 0, 0, 500, 300, sw, curs);
      EXPECT_EQ(cell.FCellPaintTop, top) << count;
      for (const int scroll : {top - 200, top + 150, top + 100 * count / 2, top + 100 * count - 50}) {
        for (TFakeSection* s : sections) s->Paints = 0;
        TPaintContext pass{.Band = TRect{0, 0, 500, 120}, .ScrollY = scroll};
        cell.Draw(nullptr, pass, 6000, 0, 0, 0, 0);
        for (int i = 0; i < count; ++i) {
          const bool meets = sections[i]->FPaintTop < scroll + 120 && sections[i]->FPaintBottom > scroll;
          EXPECT_EQ(sections[i]->Paints > 0, meets)
              << "count " << count << " top " << top << " scroll " << scroll << " section " << i;
        }
      }
    }
  }
}

// A layout indexes a long cell's paint bounds as it goes, so that the first paint after
// a load only searches; the index it leaves must paint exactly what a scan would, also
// when a section's layout failed and the section was dropped on the way.
TEST(CellPaintIndex, LayoutLeavesTheIndexOfALongCellReady) {
  struct TCase {
    const char* Name;
    int Count;
    int Failing;  // the section whose layout fails, or -1
    bool Ready;
  } cases[] = {
      {"a short cell scans", 10, -1, false},
      {"a long cell", 60, -1, true},
      {"a long cell that drops a section", 60, 7, true},
  };
  for (const TCase& c : cases) {
    ClearRecordedErrorMessages();
    TSectionList doc(nullptr, nullptr);
    TCell cell(&doc);
    std::vector<TFakeSection*> sections;
    for (int i = 0; i < c.Count; ++i) sections.push_back(AddFake(cell, &doc, 100, 1));
    sections[c.Count / 3]->ExtraPaint = 250;
    if (c.Failing >= 0) sections[size_t(c.Failing)]->ErrorMessage = "dropped";
    int sw = 0, curs = 0;
    cell.LayoutCell(nullptr, 0, 500, 300, sw, curs);
    EXPECT_EQ(cell.PaintIndexReady(), c.Ready) << c.Name;
    if (c.Failing >= 0) sections.erase(sections.begin() + c.Failing);
    TPaintContext pass{.Band = TRect{0, 0, 500, 120}, .ScrollY = 100 * (c.Count / 3) - 40};
    cell.Draw(nullptr, pass, 6000, 0, 0, 0, 0);
    for (size_t i = 0; i < sections.size(); ++i) {
      const bool meets = sections[i]->FPaintTop < pass.ScrollY + 120 &&
                         sections[i]->FPaintBottom > pass.ScrollY;
      EXPECT_EQ(sections[i]->Paints > 0, meets) << c.Name << ", section " << i;
    }
  }
  ClearRecordedErrorMessages();
}

TEST(CellEmpty, AnEmptyCellHasNoHeightAndDrawReturnsY) {
  TSectionList doc(nullptr, nullptr);
  TCell cell(&doc);
  int sw = 7, curs = 3;
  EXPECT_EQ(cell.LayoutCell(nullptr, 40, 500, 300, sw, curs), 0);
  EXPECT_EQ(sw, 0);
  EXPECT_EQ(cell.FPosCount, 0);
  TPaintContext pass{.Band = TRect{0, 0, 100, 100}};
  EXPECT_EQ(cell.Draw(nullptr, pass, 6000, 0, 77, 0, 0), 77);
}

class CellQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    a = AddFake(Cell, &Doc, 20, 5);
    b = AddFake(Cell, &Doc, 20, 5);
    a->SourceStart = 100;
    b->SourceStart = 100;  // the same source offsets: Prev decides which one answers
    int sw = 0, curs = 10;
    Cell.LayoutCell(nullptr, 0, 500, 300, sw, curs);
  }
  TSectionList Doc{nullptr, nullptr};
  TCell Cell{&Doc};
  TFakeSection* a = nullptr;
  TFakeSection* b = nullptr;
};

TEST_F(CellQueries, SourceToDocPosSearchesForwardOrBackward) {
  EXPECT_EQ(Cell.SourceToDocPos(102, false), 12);
  EXPECT_EQ(Cell.SourceToDocPos(102, true), 17);
  EXPECT_EQ(Cell.SourceToDocPos(5, false), -1);
  EXPECT_EQ(Cell.DocToSourcePos(12), -1);  // the base sections answer -1
}

TEST_F(CellQueries, CharAtPositionRefusesPositionsOutsideTheCell) {
  class TChar : public TSectionBase {
   public:
    using TSectionBase::TSectionBase;
    bool CharAtPosition(int, char& Ch, TObject*&) override {
      ++Calls;
      Ch = 'x';
      return true;
    }
    int Calls = 0;
  };
  TCell cell(&Doc);
  auto s = std::make_unique<TChar>(&Doc);
  TChar* raw = s.get();
  cell.Add(std::move(s));
  cell.FStartPos = 10;
  cell.FPosCount = 5;
  char ch = 0;
  TObject* obj = nullptr;
  EXPECT_FALSE(cell.CharAtPosition(9, ch, obj));
  EXPECT_FALSE(cell.CharAtPosition(16, ch, obj));
  EXPECT_EQ(raw->Calls, 0);
  EXPECT_TRUE(cell.CharAtPosition(15, ch, obj));
  EXPECT_EQ(ch, 'x');
}

TEST_F(CellQueries, PositionToPointAsksUntilOneAnswers) {
  int x = -1, y = -1;
  EXPECT_TRUE(Cell.PositionToPoint(nullptr, 16, x, y));
  EXPECT_EQ(y, 20);
  EXPECT_FALSE(Cell.PositionToPoint(nullptr, 40, x, y));
}

// A cell keeps its element's name as one pointer to a name held once.
TEST(CellOwnerElement, EqualNamesShareOneCopyAndEmptyReadsEmpty) {
  TSectionList doc(nullptr, nullptr);
  TCell a(&doc), b(&doc), c(&doc);
  EXPECT_TRUE(a.FOwnerElement.empty());
  EXPECT_EQ(a.FOwnerElement.Str(), "");
  a.FOwnerElement = std::string("td");
  b.FOwnerElement = "td";
  c.FOwnerElement = "th";
  EXPECT_EQ(a.FOwnerElement, "td");
  EXPECT_EQ(&a.FOwnerElement.Str(), &b.FOwnerElement.Str());
  EXPECT_EQ(c.FOwnerElement, "th");
  c.FOwnerElement = "";
  EXPECT_TRUE(c.FOwnerElement.empty());
  EXPECT_EQ(sizeof(a.FOwnerElement), sizeof(void*));
}

TEST(CellClone, ACloneCopiesEverySectionForTheNewDocument) {
  TSectionList doc(nullptr, nullptr);
  TCell cell(&doc);
  cell.FOwnerElement = "li";
  AddFake(cell, &doc, 20, 2)->Text = "one";
  AddFake(cell, &doc, 30, 1)->Text = "two";
  TSectionList other(nullptr, nullptr);
  TCell copy(&other, cell);
  EXPECT_EQ(copy.FOwnerElement, "li");
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy[0]->FDocument, &other);
  EXPECT_EQ(static_cast<TFakeSection*>(copy[1])->Text, "two");
  // Each keeps float bookkeeping of its own once laid out.
  int sw = 0, curs = 0;
  cell.LayoutCell(nullptr, 0, 400, 300, sw, curs);
  copy.LayoutCell(nullptr, 0, 400, 300, sw, curs);
  ASSERT_NE(copy.FFloats, nullptr);
  EXPECT_NE(copy.FFloats, cell.FFloats);
}

}  // namespace
