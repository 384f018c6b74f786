#include "document/core/id_name_list.h"

#include <gtest/gtest.h>

#include "document/core/free_list.h"
#include "document/core/section_list.h"
#include "fake_sections.h"

namespace {

int LiveChPos = 0;

class TCountedChPos : public TChPosObj {
 public:
  TCountedChPos(TSectionList* Doc, int Pos) : TChPosObj(Doc, Pos) { ++LiveChPos; }
  ~TCountedChPos() override { --LiveChPos; }
};

class TCountedSection : public TSectionBase {
 public:
  explicit TCountedSection(int* Live) : TSectionBase(nullptr), FLive(Live) { ++*FLive; }
  ~TCountedSection() override { --*FLive; }
  int* FLive;
};

TEST(IDNameList, LookupIgnoresCase) {
  TSectionList doc(nullptr, nullptr);
  TIDNameList& ids = *doc.IdNames;
  TFakeSection a(&doc, 10), b(&doc, 10);
  ids.AddObject("Intro", &a);
  ids.AddObject("zeta", &b);
  ids.AddObject("alpha", &b);
  EXPECT_EQ(ids.Lookup("INTRO"), &a);
  EXPECT_EQ(ids.Lookup("intro"), &a);
  EXPECT_EQ(ids.Lookup("ALPHA"), &b);
  EXPECT_EQ(ids.Lookup("missing"), nullptr);
  EXPECT_EQ(ids[0], "alpha");  // kept sorted
}

TEST(IDNameList, TheLastDefinitionOfANameWinsAndOnlyCharPositionsAreFreed) {
  LiveChPos = 0;
  int liveSections = 0;
  TSectionList doc(nullptr, nullptr);
  TIDNameList ids(&doc);
  auto section = std::make_unique<TCountedSection>(&liveSections);
  // A section replaced by a position: the section is not the list's to free.
  ids.AddObject("top", section.get());
  ids.AddObject("TOP", new TCountedChPos(&doc, 5));
  EXPECT_EQ(liveSections, 1);
  EXPECT_EQ(LiveChPos, 1);
  EXPECT_EQ(ids.Count(), 1);
  // A position replaced by another: the first one is freed.
  ids.AddObject("top", new TCountedChPos(&doc, 9));
  EXPECT_EQ(LiveChPos, 1);
  EXPECT_EQ(static_cast<TChPosObj*>(ids.Lookup("top"))->FSourcePos, 9);
  // Re-adding the very object under its own name keeps it alive.
  ids.AddObject("top", ids.Lookup("top"));
  EXPECT_EQ(LiveChPos, 1);
  // A position replaced by a section: freed.
  ids.AddObject("Top", section.get());
  EXPECT_EQ(LiveChPos, 0);
  EXPECT_EQ(ids.Lookup("top"), section.get());
  EXPECT_EQ(ids.Count(), 1);
}

TEST(IDNameList, ClearFreesCharPositionsAndLeavesOtherObjects) {
  LiveChPos = 0;
  int liveSections = 0;
  TSectionList doc(nullptr, nullptr);
  auto section = std::make_unique<TCountedSection>(&liveSections);
  {
    TIDNameList ids(&doc);
    ids.AddObject("a", new TCountedChPos(&doc, 1));
    ids.AddObject("b", section.get());
    ids.AddObject("c", new TCountedChPos(&doc, 2));
    ids.Clear();
    EXPECT_EQ(ids.Count(), 0);
    EXPECT_EQ(LiveChPos, 0);
    ids.AddObject("d", new TCountedChPos(&doc, 3));
  }  // destroying the list frees its positions too
  EXPECT_EQ(LiveChPos, 0);
  EXPECT_EQ(liveSections, 1);
}

// An anchor's name wins over an element's id, whichever comes first; among ids the last
// wins.
TEST(IDNameList, NamesComeBeforeIds) {
  TSectionList doc(nullptr, nullptr);
  TFakeSection named(&doc, 10), first(&doc, 10), second(&doc, 10);
  {
    TIDNameList ids(&doc);
    ids.AddObject("x", &named);
    ids.AddId("X", &first);
    EXPECT_EQ(ids.Lookup("x"), &named);
    ids.AddIdAt("x", 7);
    EXPECT_EQ(ids.Lookup("x"), &named);
    EXPECT_EQ(ids.Count(), 1);
  }
  {
    TIDNameList ids(&doc);
    ids.AddId("x", &first);
    ids.AddId("x", &second);
    EXPECT_EQ(ids.Lookup("x"), &second);
    ids.AddObject("X", &named);
    EXPECT_EQ(ids.Lookup("x"), &named);
    ids.AddId("x", &first);
    EXPECT_EQ(ids.Lookup("x"), &named);
  }
  {
    TIDNameList ids(&doc);
    ids.AddIdAt("x", 3);
    ids.AddId("x", &first);  // an element's own object replaces its position
    EXPECT_EQ(ids.Lookup("x"), &first);
    EXPECT_EQ(ids.Count(), 1);
  }
}

TEST(IDNameList, ACharPositionFindsTheYOfItsSourceOffset) {
  TSectionList doc(nullptr, nullptr);
  TFakeSection* a = AddFake(doc, &doc, 30, 10);
  TFakeSection* b = AddFake(doc, &doc, 40, 10);
  a->SourceStart = 0;
  b->SourceStart = 200;
  int sw = 0, curs = 0;
  doc.LayoutCell(nullptr, 0, 500, 300, sw, curs);
  doc.IdNames->AddCharPosition("here", 205);
  doc.IdNames->AddCharPosition("nowhere", 5000);
  EXPECT_EQ(doc.IdNames->Lookup("HERE")->GetTopY(), 30);
  // Past the end: the position count plus one, which no section places.
  EXPECT_EQ(doc.SourceToDocPosOrEnd(5000, false), 21);
  EXPECT_EQ(doc.IdNames->Lookup("nowhere")->GetTopY(), 0);
}

TEST(FreeList, ClearingDeletingAndDestroyingFreeTheItems) {
  int live = 0;
  {
    TFreeList<TSectionBase> list;
    for (int i = 0; i < 4; ++i) list.Add(std::make_unique<TCountedSection>(&live));
    EXPECT_EQ(live, 4);
    list.Delete(1);
    EXPECT_EQ(live, 3);
    std::unique_ptr<TSectionBase> taken = list.Extract(0);
    EXPECT_EQ(live, 3);
    EXPECT_EQ(list.Count(), 2);
    taken.reset();
    EXPECT_EQ(live, 2);
    list.Clear();
    EXPECT_EQ(live, 0);
    EXPECT_EQ(list.Count(), 0);
    list.Add(std::make_unique<TCountedSection>(&live));
  }
  EXPECT_EQ(live, 0);
}

TEST(FreeList, ACellFreesItsSectionsWithItAndDropsTheOnesItRefuses) {
  int live = 0;
  TSectionList doc(nullptr, nullptr);
  {
    TCell cell(&doc);
    cell.Add(std::make_unique<TCountedSection>(&live));
    cell.Add(std::make_unique<TCountedSection>(&live));
    EXPECT_EQ(live, 2);
  }
  EXPECT_EQ(live, 0);
}

}  // namespace
