// Block elements nested far deeper than any real page: the blocks stop at the cap and the
// content flows on, so building, layout and destruction stay within the stack.
#include <gtest/gtest.h>

#include <string>

#include "builder_test_util.h"

namespace {

std::string Repeated(const std::string& Piece, int Count) {
  std::string S;
  S.reserve(Piece.size() * Count);
  for (int I = 0; I < Count; ++I) S += Piece;
  return S;
}

int BlockDepth(TCellBasic& Cell) {
  int Depth = 0;
  for (int I = 0; I < Cell.Count(); ++I)
    if (auto* B = dynamic_cast<TBlock*>(Cell.Items(I)))
      Depth = std::max(Depth, 1 + BlockDepth(B->MyCell));
  return Depth;
}

TEST(BuilderNesting, DeepBlocksStopAtTheCapAndKeepTheirContent) {
  struct TCase {
    const char* Name;
    std::string Html;
    int MinDepth;  // blocks below the body that the capped levels make
  };
  const TCase Cases[] = {
      {"24,000 centres", Repeated("<CENTER>", 24000) + "deep" + Repeated("</CENTER>", 24000), 0},
      {"100,000 divisions", Repeated("<DIV>", 100000) + "deep", MaxBlockNesting},
      {"headings in divisions",
       Repeated("<H2><DIV>", 20000) + "deep" + Repeated("</DIV></H2>", 20000), MaxBlockNesting},
      // A form tag ends the open form, so forms never nest.
      {"forms in divisions", Repeated("<FORM><DIV>", 20000) + "<P>deep", 2},
      {"quotes in divisions", Repeated("<BLOCKQUOTE><ADDRESS><DIV>", 20000) + "<PRE>deep</PRE>",
       MaxBlockNesting / 3},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html + "<P>after");
    // The body block, the capped blocks, then at most a paragraph and a preformatted block.
    EXPECT_LE(BlockDepth(D.Doc), 1 + MaxBlockNesting + 2) << C.Name;
    EXPECT_GE(BlockDepth(D.Doc), 1 + C.MinDepth) << C.Name;
    ASSERT_TRUE(RunOf(D.Doc, "deep")) << C.Name;
    ASSERT_TRUE(RunOf(D.Doc, "after")) << C.Name;
    TCanvas Canvas;
    int ScrollWidth = 0, Curs = 0;
    EXPECT_GT(D.Doc.LayoutCell(&Canvas, 0, 800, 600, ScrollWidth, Curs), 0) << C.Name;
  }
  TBuiltDoc Centred;
  Centred.Build(Repeated("<CENTER>", 24000) + "deep");
  int Align = 0;
  for (const TFoundSection& F : Sections(Centred.Doc))
    if (F.Section->FText == "deep") Align = F.Section->FAlign;
  EXPECT_EQ(Align, 2);  // the centres up to the cap still centre it
}

}  // namespace
