// The height of a line box from the inline boxes standing in it. Every box is measured
// from the line's baseline: how far it reaches above it and below it. Text takes its
// line-height, the leading shared out half above and half below its content area (the
// halves negative when the line-height is below the font's height), so that lines of
// `font: 10px/1` are ten pixels apart whatever the font's own pitch.
#pragma once

#include <algorithm>

struct TLineExtent {
  int Above = 0;
  int Below = 0;
  int Height() const { return Above + Below; }
};

// The box of text of a font with Ascent and Descent (its content area) and LineHeight,
// its baseline Shift pixels below the line's (negative: above). The smaller half of the
// leading goes above.
inline TLineExtent TextLineExtent(int Ascent, int Descent, int LineHeight, int Shift) {
  const int Leading = LineHeight - (Ascent + Descent);
  const int Top = Ascent + Leading / 2;
  return {Top - Shift, LineHeight - Top + Shift};
}

// Gathers the boxes of one line. Boxes aligned with the line's top or bottom have no
// baseline to stand on: they are placed once the others made the line, and make it taller
// only where they are taller than it.
class TLineBoxMaker {
 public:
  void Add(TLineExtent E) {
    if (FEmpty) {
      FExtent = E;
      FEmpty = false;
      return;
    }
    FExtent.Above = std::max(FExtent.Above, E.Above);
    FExtent.Below = std::max(FExtent.Below, E.Below);
  }
  void AddTopAligned(int Height) { FTopAligned = std::max(FTopAligned, Height); }
  void AddBottomAligned(int Height) { FBottomAligned = std::max(FBottomAligned, Height); }
  TLineExtent Result() const {
    TLineExtent E = FExtent;
    // Above and below may be negative when a line-height is below the font's height; a
    // line box is never less than nothing.
    if (E.Height() < 0) E.Below = -E.Above;
    if (FBottomAligned > E.Height()) E.Above = FBottomAligned - E.Below;
    if (FTopAligned > E.Height()) E.Below = FTopAligned - E.Above;
    return E;
  }

 private:
  TLineExtent FExtent;
  bool FEmpty = true;
  int FTopAligned = 0;
  int FBottomAligned = 0;
};
