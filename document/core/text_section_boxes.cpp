// Painting the boxes of inline elements behind the text of a line.
#include <algorithm>

#include "document/core/paint_context.h"
#include "document/core/text_section.h"
#include "document/core/text_walk.h"

namespace {

constexpr size_t MaxInnerBoxesLookedAt = 64;

// X reached from Start to End of a line, edges before End counted, those at End not.
int WalkTo(const TSection& Section, int Start, int End, int X, int Dpi) {
  TPieceWalker W(Section, Start, End, X);
  while (W.More()) {
    if (W.IsObject()) {
      W.Next(W.ObjectWidth());
      continue;
    }
    const TFontObj* Run = W.Run();
    W.Next(Run->Handle(Dpi)->TextWidth(W.Chars(), W.Length()) + Run->Overhang());
  }
  return W.X();
}

}  // namespace

void TSection::PaintInlineBoxes(TCanvas* Canvas, const TPaintContext& Context,
                                const LineRec& Line, int X, int Base, size_t& Next,
                                int UpTo) const {
  const std::vector<TInlineBox>& Boxes = InlineBoxes();
  const int First = Line.TextStart, End = First + Line.CharCount;
  const int LineX = X + Line.Indent;
  const int BaseY = Base - Line.BaseDescent;
  const int LineTop = Base - Line.TextHeight - Line.GapAbove;
  const bool Colours = !Context.ForPrinter || Context.PrintColors;
  const int L = Len();
  for (; Next < Boxes.size(); ++Next) {
    const size_t I = Next;
    const TInlineBox& B = Boxes[I];
    // Boxes are in the order they open: none after this one meets the line, or opens by
    // UpTo.
    if (B.Start > End || (B.Start == End && End < L) || B.Start > UpTo) break;
    const bool Empty = B.Start == B.End;
    const bool Meets = Empty ? (B.Start >= First && (B.Start < End || B.Start == L))
                             : B.Start < End && B.End > First;
    if (!Meets) continue;
    const bool HasLeft = B.Start >= First, HasRight = B.End <= End;
    int Left = LineX;
    if (HasLeft) {
      Left = WalkTo(*this, First, B.Start, LineX, FDpi);
      // At one place the boxes that close come first, then those that open, in order.
      const std::vector<TBoxEdge>& Edges = BoxEdges();
      auto It = std::lower_bound(Edges.begin(), Edges.end(), B.Start,
                                 [](const TBoxEdge& E, int P) { return E.Pos < P; });
      int Closing = It != Edges.end() && It->Pos == B.Start ? It->Width : 0;
      int Before = 0;
      for (size_t J = I; J-- > 0 && Boxes[J].Start == B.Start;) Before += Boxes[J].LeftWidth();
      Closing -= Before;
      for (size_t J = I; J < Boxes.size() && Boxes[J].Start == B.Start; ++J)
        Closing -= Boxes[J].LeftWidth();
      Left += Closing + Before + B.MarginLeft;
    }
    int Right;
    if (HasRight) {
      Right = Empty ? Left + B.Border[3] + B.Padding[3] : WalkTo(*this, First, B.End, LineX, FDpi);
      // Boxes inside this one that close at the same place close first; they are looked
      // for among the next few, so that a line costs the same however many boxes follow.
      const size_t Reach = std::min(Boxes.size(), I + 1 + MaxInnerBoxesLookedAt);
      for (size_t J = I + 1; J < Reach && Boxes[J].Start < B.End; ++J)
        if (Boxes[J].End == B.End) Right += Boxes[J].RightWidth();
      Right += B.Padding[1] + B.Border[1];
    } else {
      int N = Line.CharCount;
      while (N > 1 && (FText[First + N - 1] == ' ' || FText[First + N - 1] == ccBreak) &&
             !Unbreakable(First + N - 1))
        --N;
      Right = WalkTo(*this, First, First + N, LineX, FDpi);
    }
    // The box stands on its text's baseline, raised or lowered with it.
    int Index;
    const TFontObj* Run = FFontRuns.RunAt(std::max(B.Start, First), Index);
    const int BoxBase = Run ? RunBaseline(Line, LineTop, *Run) : BaseY;
    B.Paint(Canvas, Left, Right, BoxBase, HasLeft, HasRight, Colours);
  }
}
