#include "document/core/indent_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

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

// FloatEndsBelow answers whether NextFloatEnd would move down, at every Y, for floats on
// either side, a block's own indent (which never ends a float) and an indent pushed
// outside any block (open to the end), also after records go away.
TEST(IndentManager, FloatEndsBelowAgreesWithNextFloatEnd) {
  IndentManager m = CellManager();
  const int Ys[] = {-5, 0, 19, 20, 49, 50, 79, 80, 500, OpenIndentBottom - 1, OpenIndentBottom};
  auto Agree = [&](const char* Stage) {
    for (int Y : Ys) EXPECT_EQ(m.FloatEndsBelow(Y), m.NextFloatEnd(Y) > Y) << Stage << " " << Y;
  };
  Agree("none");
  int Owner = 0;
  m.FCurrentBlock = &Owner;
  const int Owned = m.PushLeft(40, 0);
  Agree("owned indent");
  EXPECT_FALSE(m.FloatEndsBelow(0));
  m.FCurrentBlock = nullptr;
  m.AddBlockFloat(0, 100, TFloatSide::Left, 50);
  m.AddBlockFloat(30, 100, TFloatSide::Right, 50);
  m.AddBlockFloat(0, 150, TFloatSide::Left, 20);
  Agree("floats");
  const int Open = m.PushLeft(10, 0);
  Agree("open indent");
  m.PopLeft(Open);
  m.PopLeft(Owned);
  Agree("popped");
  EXPECT_TRUE(m.FloatEndsBelow(79));
  EXPECT_FALSE(m.FloatEndsBelow(80));
}

// The edges and float ends found through the index are those a reading of every record
// gives, on random mixes of tall and short floats on both sides (pictures and blocks, some
// empty or upside down, some above earlier ones), a block's indents and indents pushed
// outside any block, coming and going.
TEST(IndentManager, EdgeQueriesAgreeWithReadingEveryRecord) {
  struct TRead {
    int Left, Right, End;
    bool operator==(const TRead&) const = default;
  };
  auto ReadAll = [](const IndentManager& m, int Y) {
    auto Edge = [&](const TFreeList<IndentRec>& List, bool Max, int None) {
      bool Any = false;
      int X = 0;
      for (int I = 0; I < List.Count(); ++I) {
        const IndentRec& R = *List[I];
        if ((R.FOwner && R.FOwner != m.FCurrentBlock) || Y < R.FTop || Y >= R.FBottom) continue;
        X = !Any ? R.FX : Max ? std::max(X, R.FX) : std::min(X, R.FX);
        Any = true;
      }
      return Any ? X + m.FLeftEdge : None;
    };
    int End = Y;
    for (const TFreeList<IndentRec>* List : {&m.FLeftList, &m.FRightList})
      for (int I = 0; I < List->Count(); ++I) {
        const IndentRec& R = *(*List)[I];
        if (!R.FOwner && R.FBottom > Y && (End == Y || R.FBottom < End)) End = R.FBottom;
      }
    return TRead{Edge(m.FLeftList, true, m.FLeftEdge), Edge(m.FRightList, false, m.FRightEdge),
                 End};
  };
  for (unsigned Seed = 1; Seed <= 6; ++Seed) {
    std::mt19937 Rng(Seed);
    auto Pick = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(Rng); };
    IndentManager m = CellManager();
    int Blocks[2] = {};
    std::vector<std::pair<bool, int>> Pushed;  // side (left) and index of each indent
    int Y = 0;
    for (int Step = 0; Step < 250; ++Step) {
      if (Pick(0, 3) > 0) Y += Pick(0, 6);
      const int Top = Pick(0, 9) == 0 ? Y - Pick(1, 300) : Y;  // now and then above the flow
      const int Height = Pick(0, 5) == 0 ? Pick(300, 3000) : Pick(-2, 25);
      m.FCurrentBlock = Pick(0, 2) == 0 ? &Blocks[Pick(0, 1)] : nullptr;
      switch (Pick(0, 9)) {
        case 0:
        case 1:
          if (Pick(0, 1)) Pushed.emplace_back(true, m.PushLeft(Pick(0, 100), Top));
          else Pushed.emplace_back(false, m.PushRight(Pick(500, 600), Top));
          break;
        case 2:
          // Indents go in the reverse order they came.
          if (Pushed.empty()) break;
          if (Pushed.back().first) m.PopLeft(Pushed.back().second);
          else m.PopRight(Pushed.back().second);
          Pushed.pop_back();
          break;
        case 3: {
          int Indent = 0;
          const TFloatSide Side = Pick(0, 1) ? TFloatSide::Left : TFloatSide::Right;
          m.AddImageFloat(
              Top, TFloatImageBox{Pick(0, 40), Height, Pick(0, 3), Pick(0, 3), 0, 0, Side}, Indent);
          break;
        }
        default:
          if (Pick(0, 1))
            m.AddBlockFloat(Top, m.LeftEdgeAt(Top) + Pick(0, 60) - Pick(0, 3), TFloatSide::Left,
                            Height);
          else m.AddBlockFloat(Top, Pick(0, 60), TFloatSide::Right, Height);
      }
      for (int Probe = 0; Probe < 12; ++Probe) {
        const int At = Probe == 0   ? Top
                       : Probe == 1 ? Top + Height
                       : Probe == 2 ? Top + Height - 1
                                    : Pick(-400, Y + 3100);
        const TRead Want = ReadAll(m, At);
        const TRead Got{m.LeftEdgeAt(At), m.RightEdgeAt(At), m.NextFloatEnd(At)};
        ASSERT_EQ(Got, Want) << "seed " << Seed << " step " << Step << " at " << At << ": left "
                             << Got.Left << "/" << Want.Left << " right " << Got.Right << "/"
                             << Want.Right << " end " << Got.End << "/" << Want.End;
        ASSERT_EQ(m.FloatEndsBelow(At), Want.End > At);
      }
    }
  }
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

// Blocks nested as deep as the reader lets them, each with its indents on both sides: a
// line of the innermost one reads its own two records, not the whole depth.
TEST(IndentManager, EdgeQueriesReadOnlyTheCurrentBlocksIndents) {
  constexpr int Depth = 200;
  IndentManager m = CellManager();
  std::vector<int> blocks(Depth);
  std::vector<int> lefts, rights;
  for (int I = 0; I < Depth; ++I) {
    m.FCurrentBlock = &blocks[I];
    lefts.push_back(m.PushLeft(I + 1, 0));
    rights.push_back(m.PushRight(590 - I, 0));
  }
  for (int I = Depth - 1; I >= 0; --I) {
    m.FCurrentBlock = &blocks[I];
    EXPECT_EQ(m.RecordsReadAt(50), 2) << I;
    EXPECT_EQ(m.LeftEdgeAt(50), I + 1) << I;
    EXPECT_EQ(m.RightEdgeAt(50), 590 - I) << I;
    m.PopRight(rights[I]);
    m.PopLeft(lefts[I]);
    EXPECT_EQ(m.RecordsReadAt(50), 0) << I;
    EXPECT_EQ(m.LeftEdgeAt(50), 0) << I;
  }
  m.FCurrentBlock = nullptr;
  EXPECT_EQ(m.RecordsReadAt(50), 0);
}

// Floats 10 wide and 20 high fill rows of 60 going down, as a page of small floats does:
// each float finds its place and its edges reading the records of the last rows only.
TEST(IndentManager, PlacingManyFloatsReadsOnlyTheFloatsOfTheCurrentRow) {
  IndentManager m = CellManager();
  int block = 0;
  m.FCurrentBlock = &block;
  m.PushLeft(0, 0);  // the body's own indent, read by every query
  for (int I = 0; I < 6000; ++I) {
    const int T = m.FloatTop(0, 0, 10);
    ASSERT_EQ(T, I / 60 * 20) << I;
    EXPECT_LE(m.FloatTopSteps(), 2) << I;
    EXPECT_LE(m.RecordsReadAt(T), 1 + 60) << I;
    m.AddBlockFloat(T, m.LeftEdgeAt(T) + 10, TFloatSide::Left, 20);
    // The float lays its content out with indents of its own, taken away after.
    int inner = 0;
    m.FCurrentBlock = &inner;
    m.PopLeft(m.PushLeft(5, T));
    m.FCurrentBlock = &block;
  }
  EXPECT_EQ(m.FloatBottom(), 100 * 20);
}

// The search remembered from one float to the next gives the places a fresh search gives:
// narrower floats, other starting points, indents and removed floats start it afresh.
TEST(IndentManager, FloatTopMatchesAFreshSearch) {
  auto fresh = [](IndentManager& m, int Y, int X, int Total) {
    int T = Y;
    while (m.RightEdgeAt(T) - std::max(X, m.LeftEdgeAt(T)) < Total && m.NextFloatEnd(T) > T)
      T = m.NextFloatEnd(T);
    return T;
  };
  IndentManager m = CellManager();
  const struct {
    int Y, X, Total, Height;
    TFloatSide Side;
  } Floats[] = {{0, 0, 300, 50, TFloatSide::Left},  {0, 0, 250, 30, TFloatSide::Right},
                {0, 0, 100, 20, TFloatSide::Left},  {0, 0, 300, 10, TFloatSide::Left},
                {0, 0, 40, 10, TFloatSide::Left},   {0, 0, 600, 10, TFloatSide::Left},
                {0, 0, 20, 70, TFloatSide::Right},  {5, 0, 500, 10, TFloatSide::Left},
                {5, 50, 500, 10, TFloatSide::Left}, {0, 0, 599, 5, TFloatSide::Right},
                {0, 0, 601, 5, TFloatSide::Left},   {0, 0, 10, 5, TFloatSide::Left}};
  int block = 0;
  for (const auto& F : Floats) {
    const int want = fresh(m, F.Y, F.X, F.Total);
    EXPECT_EQ(m.FloatTop(F.Y, F.X, F.Total), want) << F.Total;
    if (F.Side == TFloatSide::Left)
      m.AddBlockFloat(want, std::max(F.X, m.LeftEdgeAt(want)) + F.Total, F.Side, F.Height);
    else
      m.AddBlockFloat(want, F.Total, F.Side, F.Height);
  }
  // An indent of the current block narrows the room after the search was remembered.
  m.FCurrentBlock = &block;
  const int before = m.FloatTop(0, 0, 100);
  const int indent = m.PushLeft(550, 0);
  EXPECT_EQ(m.FloatTop(0, 0, 100), fresh(m, 0, 0, 100));
  m.PopLeft(indent);
  EXPECT_EQ(m.FloatTop(0, 0, 100), before);
  // A float taken away widens it.
  m.FCurrentBlock = nullptr;
  const int open = m.PushLeft(590, 0);
  const int blocked = m.FloatTop(0, 0, 30);
  m.PopLeft(open);
  EXPECT_EQ(m.FloatTop(0, 0, 30), fresh(m, 0, 0, 30));
  EXPECT_LT(m.FloatTop(0, 0, 30), blocked);
}

}  // namespace
