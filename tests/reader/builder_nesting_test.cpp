// Block elements nested far deeper than any real page: the blocks stop at the cap and the
// content flows on.
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

TEST(BuilderNesting, BlocksStopAtTheCapAndTheirContentFlowsOn) {
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
      {"lists in items", Repeated("<UL><LI>", 20000) + "deep", MaxBlockNesting},
      {"definitions in ordered items", Repeated("<OL><LI><DL><DD>", 10000) + "deep",
       MaxBlockNesting},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html + "<P>after");
    // Below the capped blocks fit at most a paragraph and a preformatted block.
    const int Depth = BlockDepth(D.Doc) - 1;
    EXPECT_LE(Depth, MaxBlockNesting + 2) << C.Name;
    EXPECT_GE(Depth, C.MinDepth) << C.Name;
    EXPECT_TRUE(RunOf(D.Doc, "deep") && RunOf(D.Doc, "after")) << C.Name;
  }
  TBuiltDoc Centred;
  Centred.Build(Repeated("<CENTER>", 24000) + "deep");
  // The capped centres still centre.
  EXPECT_EQ(Sections(Centred.Doc).back().Section->FAlign, TTextAlign::Center);
}

}  // namespace
