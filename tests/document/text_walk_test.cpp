#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/core/text_walk.h"

namespace {

// An inline or floating box of a fixed width.
class TBox : public TInlineObject {
 public:
  TBox(int W, bool Floats) : FW(W), FFloats(Floats) {}
  bool Floating() const override { return FFloats; }
  int HorzExtent() const override { return FW; }
  int Height() const override { return 10; }
  int FW;
  bool FFloats;
};

std::shared_ptr<const TMyFont> Font(const char* Name) {
  auto F = std::make_shared<TMyFont>();
  F->Name = Name;
  return F;
}

// The pieces of a walk as "Pos+Length rRun @X" for text and "Pos obj @X" for an object,
// moving on by at most Step characters of text at a time (0: whole pieces), text taking
// 10 pixels a character.
std::string Walk(const TSection& S, int Start, int End, int X, int Step, int& EndX) {
  std::string Out;
  TPieceWalker W(S, Start, End, X);
  while (W.More()) {
    if (!Out.empty()) Out += '|';
    Out += std::to_string(W.Pos());
    if (W.IsObject()) {
      Out += std::string(W.Object() ? " obj" : " none") + " @" + std::to_string(W.X());
      W.Next(W.ObjectWidth());
      continue;
    }
    int Run = 0;
    while (S.FFontRuns[Run] != W.Run()) ++Run;
    Out += "+" + std::to_string(W.Length()) + " r" + std::to_string(Run) + " @" +
           std::to_string(W.X());
    const int N = Step > 0 ? std::min(Step, W.Length()) : W.Length();
    W.Advance(N, 10 * N);
  }
  EndX = W.X();
  return Out;
}

TEST(TextWalkTest, PiecesStopAtRunsObjectsAndTheEndOfTheStretch) {
  TSectionList Doc{nullptr, nullptr};
  TBox Control(20, false);
  TSection S(&Doc, Font("Arial"));
  S.AppendChar('a', 0);
  S.AppendChar('b', 1);
  S.StartFontRun(Font("Courier"), "");
  S.AppendChar('c', 2);
  S.AppendChar('d', 3);
  S.AddObject(std::make_unique<TBox>(30, false), 4);
  S.AppendChar('e', 5);
  S.AddObject(std::make_unique<TBox>(50, true), 6);
  S.StartFontRun(Font("Times"), "");
  S.AppendChar('f', 7);
  S.AppendChar('g', 8);
  S.AddControl(&Control, 9);
  S.CompleteText();
  ASSERT_EQ(S.FText, std::string("abcd\4e\4fg\2"));
  ASSERT_EQ(S.FFontRuns.Count(), 3);

  struct TCase {
    int Start, End, X, Step;
    const char* Pieces;
    int EndX;
  } Cases[] = {
      // A floating object takes no width; a control ends the text.
      {0, 10, 0, 0, "0+2 r0 @0|2+2 r1 @20|4 obj @40|5+1 r1 @70|6 obj @80|7+2 r2 @80|9 obj @100",
       120},
      {0, 10, 7, 0, "0+2 r0 @7|2+2 r1 @27|4 obj @47|5+1 r1 @77|6 obj @87|7+2 r2 @87|9 obj @107",
       127},
      // A stretch ending at an object, or just before it.
      {3, 5, 0, 0, "3+1 r1 @0|4 obj @10", 40},
      {3, 4, 0, 0, "3+1 r1 @0", 10},
      {9, 10, 0, 0, "9 obj @0", 20},
      // Moving on by part of a piece leaves the rest of it as the next piece.
      {0, 4, 0, 1, "0+2 r0 @0|1+1 r0 @10|2+2 r1 @20|3+1 r1 @30", 40},
      {5, 9, 0, 1, "5+1 r1 @0|6 obj @10|7+2 r2 @10|8+1 r2 @20", 30},
      {4, 4, 0, 0, "", 0},
  };
  for (const TCase& C : Cases) {
    int EndX = -1;
    EXPECT_EQ(Walk(S, C.Start, C.End, C.X, C.Step, EndX), C.Pieces)
        << C.Start << ".." << C.End << " step " << C.Step;
    EXPECT_EQ(EndX, C.EndX) << C.Start << ".." << C.End << " step " << C.Step;
  }
}

}  // namespace
