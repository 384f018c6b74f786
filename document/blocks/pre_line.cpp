#include "document/blocks/pre_line.h"

#include <algorithm>

void TPreLine::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
  TSection::MeasureWidths(Canvas, Min, Max);
  Min = std::max(Min, Max);
}

void TPreLine::CompleteText() {
  if (!FSourceOpen) return;
  for (int I = 0; I < Len(); ++I)
    if (FText[I] == ccNbsp) FText[I] = ' ';
  MaterializeBreakFlags();
  Rare().BreakFlags.push_back('y');
  CheckBreakFlags(1);
  CloseText();
}
