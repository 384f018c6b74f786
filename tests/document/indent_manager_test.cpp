#include "document/core/indent_manager.h"

#include <gtest/gtest.h>

namespace {

// A manager for a cell 600 wide laid out at X = 0, as TCell sets it up.
IndentManager CellManager() {
  IndentManager m;
  m.Reset();
  m.SetEdges(0, 600);
  m.FWidth = 600;
  return m;
}

TEST(IndentManager, EdgesWithoutRecordsAreTheCellEdges) {
  IndentManager m = CellManager();
  EXPECT_EQ(m.LeftEdgeAt(0), 0);
  EXPECT_EQ(m.RightEdgeAt(0), 600);
  EXPECT_EQ(m.FloatBottom(), 0);
  int cl = -1, cr = -1;
  m.ClearLevels(cl, cr);
  EXPECT_EQ(cl, 0);
  EXPECT_EQ(cr, 0);
  EXPECT_EQ(m.NextFloatEnd(40), 40);
}

TEST(IndentManager, LeftAndRightBlockFloatsNarrowTheLineOnlyWhileTheyLast) {
  IndentManager m = CellManager();
  m.AddBlockFloat(10, 120, TFloatSide::Left, 50);   // occupies 0..120 over rows 10..59
  m.AddBlockFloat(30, 200, TFloatSide::Right, 100); // 200 wide at the right over rows 30..129
  struct {
    int y, left, right;
  } rows[] = {{0, 0, 600}, {10, 120, 600}, {30, 120, 400}, {59, 120, 400}, {60, 0, 400},
              {129, 0, 400}, {130, 0, 600}};
  for (const auto& r : rows) {
    EXPECT_EQ(m.LeftEdgeAt(r.y), r.left) << "row " << r.y;
    EXPECT_EQ(m.RightEdgeAt(r.y), r.right) << "row " << r.y;
  }
  EXPECT_EQ(m.FloatBottom(), 130);
  int cl = 0, cr = 0;
  m.ClearLevels(cl, cr);
  EXPECT_EQ(cl, 61);
  EXPECT_EQ(cr, 131);
}

TEST(IndentManager, NextFloatEndTakesTheNearerSideThatEnds) {
  IndentManager m = CellManager();
  m.AddBlockFloat(0, 100, TFloatSide::Left, 50);
  m.AddBlockFloat(0, 100, TFloatSide::Right, 80);
  EXPECT_EQ(m.NextFloatEnd(10), 50);
  EXPECT_EQ(m.NextFloatEnd(50), 80);  // the left side has nothing ending below 50
  EXPECT_EQ(m.NextFloatEnd(80), 80);  // nothing ends below: Y itself
  m.AddBlockFloat(0, 150, TFloatSide::Left, 20);
  EXPECT_EQ(m.NextFloatEnd(10), 20);  // the smallest bottom on a side, not the first
}

TEST(IndentManager, AFloatStackedBesideAnotherStartsAtItsRightEnd) {
  IndentManager m = CellManager();
  int indent = -1;
  ASSERT_TRUE(m.AddImageFloat(0, TFloatImageBox{100, 40, 5, 5, 2, 2, TFloatSide::Left}, indent));
  EXPECT_EQ(indent, 5);
  EXPECT_EQ(m.LeftEdgeAt(0), 110);
  ASSERT_TRUE(m.AddImageFloat(0, TFloatImageBox{50, 10, 0, 0, 0, 0, TFloatSide::Left}, indent));
  EXPECT_EQ(indent, 110);
  EXPECT_EQ(m.LeftEdgeAt(0), 160);
  EXPECT_EQ(m.LeftEdgeAt(10), 110);  // the short one ended
  EXPECT_EQ(m.FloatBottom(), 44);    // height plus vertical spaces

  ASSERT_TRUE(m.AddImageFloat(0, TFloatImageBox{80, 30, 4, 6, 0, 0, TFloatSide::Right}, indent));
  EXPECT_EQ(indent, 600 - 90 + 4);  // document X of the image
  EXPECT_EQ(m.RightEdgeAt(0), 510);
  EXPECT_FALSE(m.AddImageFloat(0, TFloatImageBox{80, 30, 0, 0, 0, 0, TFloatSide::None}, indent));
  EXPECT_EQ(m.FLeftList.Count() + m.FRightList.Count(), 3);
}

TEST(IndentManager, BlockIndentsApplyOnlyToTheirOwnBlock) {
  IndentManager m = CellManager();
  int blockA = 0, blockB = 0;
  m.FCurrentBlock = &blockA;
  const int l = m.PushLeft(30, 100);
  const int r = m.PushRight(500, 100);
  EXPECT_EQ(m.LeftEdgeAt(100), 30);
  EXPECT_EQ(m.RightEdgeAt(150), 500);
  EXPECT_EQ(m.LeftEdgeAt(99), 0);  // starts at its Y
  m.FCurrentBlock = &blockB;
  EXPECT_EQ(m.LeftEdgeAt(150), 0);
  EXPECT_EQ(m.RightEdgeAt(150), 600);
  // Owned records never count as floats.
  EXPECT_EQ(m.FloatBottom(), 0);
  EXPECT_EQ(m.NextFloatEnd(150), 150);
  m.FCurrentBlock = &blockA;
  m.PopRight(r);
  m.PopLeft(l);
  EXPECT_EQ(m.LeftEdgeAt(150), 0);
  EXPECT_EQ(m.RightEdgeAt(150), 600);
}

TEST(IndentManager, NestedBlocksPopInnerIndentsAndKeepOuterOnes) {
  IndentManager m = CellManager();
  int outer = 0;
  m.FCurrentBlock = &outer;
  const int l1 = m.PushLeft(20, 0);
  const int r1 = m.PushRight(580, 0);
  const int l2 = m.PushLeft(40, 50);
  const int r2 = m.PushRight(560, 50);
  EXPECT_EQ(m.LeftEdgeAt(60), 40);
  EXPECT_EQ(m.RightEdgeAt(60), 560);
  EXPECT_EQ(m.LeftEdgeAt(10), 20);
  m.PopLeft(l2);
  m.PopRight(r2);
  EXPECT_EQ(m.LeftEdgeAt(60), 20);
  EXPECT_EQ(m.RightEdgeAt(60), 580);
  m.PopLeft(l1);
  m.PopRight(r1);
  EXPECT_EQ(m.FLeftList.Count(), 0);
  m.PopLeft(5);  // out of range: ignored
}

TEST(IndentManager, FloatsInsideABlockLimitItsIndents) {
  IndentManager m = CellManager();
  int block = 0;
  m.FCurrentBlock = &block;
  m.PushLeft(30, 0);
  m.PushRight(570, 0);
  m.AddBlockFloat(0, 230, TFloatSide::Left, 40);    // right end at 230
  m.AddBlockFloat(0, 100, TFloatSide::Right, 40);   // from the block's right indent
  EXPECT_EQ(m.LeftEdgeAt(10), 230);
  EXPECT_EQ(m.RightEdgeAt(10), 470);
  EXPECT_EQ(m.LeftEdgeAt(40), 30);
  EXPECT_EQ(m.RightEdgeAt(40), 570);
}

TEST(IndentManager, ShiftedEdgesMoveEveryRecordForDrawing) {
  IndentManager m = CellManager();
  m.AddBlockFloat(0, 100, TFloatSide::Left, 40);
  m.AddBlockFloat(0, 150, TFloatSide::Right, 40);
  m.SetEdges(-30, 570);  // scrolled 30 pixels to the right
  EXPECT_EQ(m.LeftEdgeAt(0), 70);
  EXPECT_EQ(m.RightEdgeAt(0), 420);
  EXPECT_EQ(m.RightEdgeAt(50), 570);
}

TEST(IndentManager, ResetAndSetEdgesForgetTheCurrentBlock) {
  IndentManager m = CellManager();
  int block = 0;
  m.FCurrentBlock = &block;
  m.PushLeft(10, 0);
  m.AddBlockFloat(0, 100, TFloatSide::Left, 10);
  m.SetEdges(0, 300);
  EXPECT_EQ(m.FCurrentBlock, nullptr);
  EXPECT_EQ(m.RightEdgeAt(100), 300);
  m.Reset();
  EXPECT_EQ(m.FLeftList.Count(), 0);
  EXPECT_EQ(m.FloatBottom(), 0);
}

}  // namespace
