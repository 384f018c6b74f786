// Tables: the minimum and maximum widths of columns, and the distribution of the available
// width over them with absolute and percentage widths.
#include <algorithm>
#include <typeinfo>

#include "document/core/font_obj.h"
#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "document/tables/table.h"
#include "document/tables/table_arith.h"

using table_arith::MulDiv;
using table_arith::Sum;

namespace {

// A cell of text alone: no picture, control, block or table, and no font that changes
// after the build (a link's visited and hover looks, a first line's look, which a layout
// splits off); its measured widths hold for every layout at one font resolution.
bool PlainTextCell(const TCell& Cell) {
  for (int I = 0; I < Cell.Count(); ++I) {
    const TSectionBase* Base = Cell.Items(I);
    if (typeid(*Base) != typeid(TSection) || !Base->NeedsFloatsOnlyInLayout()) return false;
    const TSection& S = static_cast<const TSection&>(*Base);
    if (S.FirstLineStyled()) return false;
    for (int R = 0; R < S.FFontRuns.Count(); ++R)
      if (S.FFontRuns[R]->LinkFonts()) return false;
  }
  return true;
}

}  // namespace

bool ThtmlTable::MeasureCell(TCanvas* Canvas, TCellObj& Cell, int& Min, int& Max) {
  const int Pass = FDocument ? FDocument->LayoutCount : 0;
  const int Kept = KeptMark(Canvas);
  if (!KeptAt(Cell, Canvas) && (Cell.FMeasuredIn != Pass || Pass == 0)) {
    Cell.FCell.MeasureWidths(Canvas, Cell.FMinWidth, Cell.FMaxWidth);
    Cell.FMeasuredIn = Kept < -1 && PlainTextCell(Cell.FCell) ? Kept : Pass;
    Cell.FLaidOutAtMark = false;
  }
  Min = Cell.FMinWidth + FCellSpacing + Cell.HorzExtra();
  Max = Cell.FMaxWidth + FCellSpacing + Cell.HorzExtra();
  return KeptAt(Cell, Canvas);
}

namespace {

// Cells grouped by column span, smallest first: the width passes take them in that order.
template <typename Fn>
void ByColumnSpan(std::vector<std::unique_ptr<TCellList>>& Rows, Fn&& F) {
  std::vector<TCellObj*> Spanning;
  for (auto& Row : Rows)
    for (auto& Cell : Row->FCells) {
      if (Cell->FColSpan == 1) F(*Cell);
      else Spanning.push_back(Cell.get());
    }
  std::stable_sort(Spanning.begin(), Spanning.end(),
                   [](const TCellObj* A, const TCellObj* B) { return A->FColSpan < B->FColSpan; });
  for (TCellObj* Cell : Spanning) F(*Cell);
}

// Sums over a range of columns, kept until a column changes: the rows of a table often
// repeat one span, so the cells that ask for the same range come one after another.
struct TSpanSums {
  size_t First = 0, N = 0;  // N 0: nothing kept
  int SMin = 0, SMax = 0, SP = 0, J = 0;
  bool Holds(size_t AFirst, size_t AN) const { return N > 0 && First == AFirst && N == AN; }
  void Keep(size_t AFirst, size_t AN) {
    First = AFirst;
    N = AN;
  }
  void Forget() { N = 0; }
};

}  // namespace

void ThtmlTable::ColumnWidthsPlain(TCanvas* Canvas, std::vector<int>& Min, std::vector<int>& Max,
                                   int& TotalMin, int& TotalMax) {
  Min.assign(size_t(FColCount), 0);
  Max.assign(size_t(FColCount), 0);
  TSpanSums Kept;
  ByColumnSpan(FRowList, [&](TCellObj& Cell) {
    int CMin = 0, CMax = 0;
    MeasureCell(Canvas, Cell, CMin, CMax);
    const int W = Cell.FCellWidthIsPercent ? 0 : Cell.FCellWantWidth;
    const size_t First = size_t(Cell.FCol), N = size_t(Cell.FColSpan);
    if (N == 1) {
      if (W > 0) CMax = std::max(CMin, W + FCellSpacing + Cell.HorzExtra());
      Min[First] = std::max(Min[First], CMin);
      Max[First] = std::max(Max[First], CMax);
      return;
    }
    if (W > 0) CMin = CMax = std::max(CMin, W);
    if (!Kept.Holds(First, N)) {
      Kept.SMin = Kept.SMax = 0;
      for (size_t C = First; C < First + N; ++C) {
        Kept.SMin += Min[C];
        Kept.SMax += Max[C];
      }
      Kept.Keep(First, N);
    }
    auto Spread = [&](std::vector<int>& V, int S, int Want) {
      if (S >= Want) return;
      Kept.Forget();
      if (S <= 0) {
        V[First] = Want;
        return;
      }
      for (size_t C = First; C < First + N; ++C) V[C] += MulDiv(V[C], Want - S, S);
    };
    const int SMax = Kept.SMax;
    Spread(Min, Kept.SMin, CMin);
    Spread(Max, SMax, CMax);
  });
  TotalMin = Sum(Min);
  TotalMax = Sum(Max);
}

void ThtmlTable::ColumnWidthsPercent(TCanvas* Canvas, int D, std::vector<int>& Min,
                                     std::vector<int>& Max, int& TotalMin, int& TotalMax) {
  // Without a cell width in pixels D plays no part: the sums of the pass (or, when every
  // cell is plain text, of any pass at the same font resolution) hold.
  const int Pass = FDocument ? FDocument->LayoutCount : 0;
  const int Mark = KeptMark(Canvas);
  TColumnSums& Sums = FColumnSums;
  if (!FHasAbsWidthCell && Sums.Min.size() == size_t(FColCount) &&
      ((Sums.MeasuredIn == Pass && Pass != 0) || (Sums.MeasuredIn == Mark && Mark < -1))) {
    Min = Sums.Min;
    Max = Sums.Max;
    FColPercents = Sums.Pct;
    TotalMin = Sums.TotalMin;
    TotalMax = Sums.TotalMax;
    return;
  }
  Min.assign(size_t(FColCount), 0);
  Max.assign(size_t(FColCount), 0);
  FColPercents.assign(size_t(FColCount), 0);
  std::vector<int>& Pct = FColPercents;
  TSpanSums Kept;
  bool AllKept = true;
  ByColumnSpan(FRowList, [&](TCellObj& Cell) {
    int CMin = 0, CMax = 0;
    AllKept = MeasureCell(Canvas, Cell, CMin, CMax) && AllKept;
    int P = 0;
    if (Cell.FCellWidthIsPercent) P = Cell.FCellWantWidth;
    else if (Cell.FCellWantWidth > 0 && D > 0)
      P = std::min(1000, MulDiv(Cell.FCellWantWidth, 1000, D));
    const size_t First = size_t(Cell.FCol), N = size_t(Cell.FColSpan);
    if (N == 1) {
      Max[First] = std::max(Max[First], CMax);
      Min[First] = std::max(Min[First], CMin);
      Pct[First] = std::max(Pct[First], P);
      return;
    }
    if (!Kept.Holds(First, N)) {
      Kept.SMin = Kept.SMax = Kept.SP = Kept.J = 0;
      for (size_t C = First; C < First + N; ++C) {
        Kept.SMin += Min[C];
        Kept.SMax += Max[C];
        if (Pct[C] > 0) Kept.SP += Pct[C];
        else ++Kept.J;
      }
      Kept.Keep(First, N);
    }
    const int SMin = Kept.SMin, SMax = Kept.SMax, SP = Kept.SP, J = Kept.J;
    const int EMin = CMin - SMin, EMax = CMax - SMax;
    if (P > 0 || SP > 0 || EMin > 0 || EMax > 0) Kept.Forget();
    if (P > 0 || SP > 0) {
      const int A = J > 0 ? std::max(0, (P - SP) / J) : 0;
      if (J == 0 && SP < P) {
        for (size_t C = First; C < First + N; ++C) Pct[C] = MulDiv(Pct[C], P, SP);
      } else if (A > 0) {
        for (size_t C = First; C < First + N; ++C)
          if (Pct[C] == 0) Pct[C] = A;
      }
      const int Q = std::max(SP, P);
      if (EMin > 0)
        for (size_t C = First; C < First + N; ++C)
          Min[C] += J == 0 ? MulDiv(EMin, Pct[C], Q) : MulDiv(EMin, Max[C], SMax);
      if (EMax > 0)
        for (size_t C = First; C < First + N; ++C) {
          if (J == 0) Max[C] += MulDiv(EMax, Pct[C], Q);
          else if (Pct[C] == 0 || A > 0) Max[C] += EMax / J;
        }
    } else {
      if (EMin > 0)
        for (size_t C = First; C < First + N; ++C)
          Min[C] = SMin == 0 ? CMin / int(N) : MulDiv(CMin, Min[C], SMin);
      if (EMax > 0)
        for (size_t C = First; C < First + N; ++C)
          Max[C] = SMax == 0 ? CMax / int(N) : MulDiv(CMax, Max[C], SMax);
    }
  });
  for (size_t C = 0; C < size_t(FColCount); ++C) Max[C] = std::max(Max[C], Min[C]);
  TotalMin = Sum(Min);
  TotalMax = Sum(Max);
  if (FHasAbsWidthCell) return;
  Sums.MeasuredIn = AllKept ? Mark : Pass;
  Sums.Min = Min;
  Sums.Max = Max;
  Sums.Pct = Pct;
  Sums.TotalMin = TotalMin;
  Sums.TotalMax = TotalMax;
}

void ThtmlTable::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
  Min = Max = 0;
  if (!PrepareGrid()) return;
  std::vector<int> CMin, CMax;
  int TotalMin = 0, TotalMax = 0;
  if (!FHasAbsWidthCell || FAskedWidth > 0) {
    ColumnWidthsPercent(Canvas, FAskedWidth, CMin, CMax, TotalMin, TotalMax);
    // Percentage columns widen the table to where each shows its maximum at its share,
    // so that they keep their proportions when there is room.
    if (const int P = Sum(FColPercents); P > 0 && P <= 1000) {
      int NP = 0;
      const int Want = PercentWant(CMax, NP);
      if (Want < 30000) TotalMax = std::max(TotalMax, Want);
    }
  } else
    ColumnWidthsPlain(Canvas, CMin, CMax, TotalMin, TotalMax);
  TotalMin = std::max(TotalMin + FCellSpacing, FAskedWidth);
  TotalMax = std::max(TotalMax + FCellSpacing, FAskedWidth);
  FCaptionMinWidth = 0;
  if (FCaption) {
    int CapMax = 0;
    FCaption->FCell.MeasureWidths(Canvas, FCaptionMinWidth, CapMax);
  }
  Min = std::max(FCaptionMinWidth, TotalMin);
  Max = std::max(FCaptionMinWidth, TotalMax);
}

// ---- width distribution ------------------------------------------------------------

// The grid width that shows every column at its maximum with the percentage columns at
// their share; NP is the maximum of the columns without a percentage.
int ThtmlTable::PercentWant(const std::vector<int>& Max, int& NP) const {
  const std::vector<int>& Pct = FColPercents;
  const int P = Sum(Pct);
  int R = 0;
  NP = 0;
  for (size_t C = 0; C < size_t(FColCount); ++C) {
    if (Pct[C] == 0) NP += Max[C];
    else R = std::max(R, MulDiv(Max[C], 1000, Pct[C]));
  }
  const int E = NP < 1 ? 0 : P > 999 ? 30000 : MulDiv(NP, 1000, 1000 - P);
  return std::max(R, E);
}

void ThtmlTable::DistributePercent(int AW, std::vector<int>& Min, std::vector<int>& Max,
                                   int& TotalMin, int& TotalMax, bool& Done) {
  std::vector<int>& Pct = FColPercents;
  const size_t N = size_t(FColCount);
  const int P = Sum(Pct);
  int NP = 0;
  const int Want = PercentWant(Max, NP);
  Done = false;
  if (AW >= Want) {
    const int Rest = MulDiv(Want, 1000 - P, 1000);
    for (size_t C = 0; C < N; ++C)
      FColWidths[C] = Pct[C] > 0 ? MulDiv(Want, Pct[C], 1000)
                      : NP < 1   ? 0
                                 : MulDiv(Max[C], Rest, NP);
    Done = true;
    return;
  }
  int Limit = 268435455;
  // Every round either drops a percentage or scales them down to fit: at most one round per
  // column and a few more while the rounding settles.
  for (int Round = 0; Round < 4 * int(N) + 8; ++Round) {
    int PS = 0, Other = 0;
    bool Any = false;
    for (size_t C = 0; C < N; ++C) {
      if (Pct[C] == 0) {
        Other += Min[C];
        continue;
      }
      const int W = MulDiv(AW, Pct[C], 1000);
      if (W < Min[C]) {
        Pct[C] = 0;
        Other += Min[C];
      } else {
        PS += W;
        Any = true;
      }
    }
    if (!Any) break;
    if (PS + Other > AW) {
      const int NewN = std::min(AW - Other, Limit - 1);
      Limit = NewN;
      for (size_t C = 0; C < N; ++C)
        if (Pct[C] > 0) Pct[C] = std::max(0, MulDiv(Pct[C], NewN, PS));
      continue;
    }
    for (size_t C = 0; C < N; ++C)
      if (Pct[C] > 0) Min[C] = Max[C] = MulDiv(AW, Pct[C], 1000);
    break;
  }
  TotalMin = Sum(Min);
  TotalMax = Sum(Max);
}

void ThtmlTable::DistributeFixed(int TW, const std::vector<int>& Min, const std::vector<int>& Max) {
  const size_t N = size_t(FColCount);
  std::vector<int>& Pct = FColPercents;
  std::vector<bool> Pinned(N, false);
  int PU = 0, NC = 0, DM = 0;
  for (size_t C = 0; C < N; ++C) {
    if (Pct[C] > 0) {
      const int W = MulDiv(TW, Pct[C], 1000);
      if (Min[C] < W) {
        FColWidths[C] = W;
        PU += Pct[C];
      } else {
        FColWidths[C] = Min[C];
        Pinned[C] = true;
      }
    } else {
      FColWidths[C] = Min[C];
      ++NC;
      DM += Max[C] - Min[C];
    }
  }
  int X = Sum(FColWidths) - TW;
  if (X < 0) {
    if (NC == 0) {
      if (PU > 0)
        for (size_t C = 0; C < N; ++C)
          if (Pct[C] > 0 && !Pinned[C]) FColWidths[C] += MulDiv(-X, Pct[C], PU);
    } else {
      for (size_t C = 0; C < N; ++C) {
        if (Pct[C] > 0) continue;
        if (DM <= 0 || DM < -X / 4) FColWidths[C] += -X / NC;
        else FColWidths[C] += MulDiv(-X, Max[C] - Min[C], DM);
      }
    }
  } else if (X > 0) {
    for (int Pass = 0; Pass < 4 && PU > 0; ++Pass) {
      bool Any = false;
      for (size_t C = 0; C < N; ++C) {
        if (Pct[C] == 0 || Pinned[C]) continue;
        if (FColWidths[C] - MulDiv(X, Pct[C], PU) < Min[C]) {
          X -= FColWidths[C] - Min[C];
          FColWidths[C] = Min[C];
          Pinned[C] = true;
          PU -= Pct[C];
          Any = true;
        }
      }
      if (!Any) break;
    }
    if (PU > 0 && X > 0)
      for (size_t C = 0; C < N; ++C)
        if (Pct[C] > 0 && !Pinned[C]) FColWidths[C] -= MulDiv(X, Pct[C], PU);
  }
  if (N == 0) return;
  const int Diff = TW - Sum(FColWidths);
  if (Diff > 0) {
    FColWidths[0] += Diff;
  } else if (Diff < 0) {
    for (size_t C = 0; C < N; ++C)
      if (!Pinned[C]) {
        FColWidths[C] = std::max(0, FColWidths[C] + Diff);
        break;
      }
  }
}

void ThtmlTable::FillRoom(int AW, const std::vector<int>& Max, const std::vector<int>& Asked) {
  const int Rest = AW - Sum(FColWidths);
  if (Rest <= 0) return;
  // Columns that never asked for a share take the room; without any, those that lost theirs.
  bool AnyUnasked = false;
  for (size_t C = 0; C < size_t(FColCount); ++C) AnyUnasked = AnyUnasked || Asked[C] == 0;
  auto Takes = [&](size_t C) { return FColPercents[C] == 0 && (!AnyUnasked || Asked[C] == 0); };
  int Weight = 0, Free = 0;
  for (size_t C = 0; C < size_t(FColCount); ++C)
    if (Takes(C)) Weight += Max[C], ++Free;
  if (Free == 0) return;
  int Given = 0, Last = -1;
  for (size_t C = 0; C < size_t(FColCount); ++C) {
    if (!Takes(C)) continue;
    const int Add = Weight > 0 ? MulDiv(Rest, Max[C], Weight) : Rest / Free;
    FColWidths[C] += Add;
    Given += Add;
    Last = int(C);
  }
  FColWidths[size_t(Last)] += Rest - Given;
}

void ThtmlTable::DistributeWidths(TCanvas* Canvas, int AW, bool Fixed) {
  std::vector<int> Min, Max;
  int TotalMin = 0, TotalMax = 0;
  const size_t N = size_t(FColCount);
  auto Stretch = [&] {
    if (AW < TotalMax && TotalMax != TotalMin) {
      for (size_t C = 0; C < N; ++C)
        FColWidths[C] = Min[C] + MulDiv(Max[C] - Min[C], AW - TotalMin, TotalMax - TotalMin);
    } else {
      FColWidths = Max;
    }
  };
  if (!FHasAbsWidthCell || Fixed) {
    ColumnWidthsPercent(Canvas, AW, Min, Max, TotalMin, TotalMax);
    if (TotalMin >= AW) {
      FColWidths = Min;
    } else if (Fixed) {
      DistributeFixed(AW, Min, Max);
    } else {
      const int P = Sum(FColPercents);
      const std::vector<int> Asked = FColPercents;
      bool Done = false;
      if (P > 0 && P <= 1000) DistributePercent(AW, Min, Max, TotalMin, TotalMax, Done);
      if (Done) return;
      Stretch();
      // Percentages that asked for more room than there is leave the table as wide as the
      // room: what the shares leave goes to the columns without one.
      if (P > 0 && P <= 1000) FillRoom(AW, Max, Asked);
    }
    return;
  }
  ColumnWidthsPlain(Canvas, Min, Max, TotalMin, TotalMax);
  if (TotalMin >= AW) {
    FColWidths = Min;
  } else if (AW < TotalMax || Fixed) {
    for (size_t C = 0; C < N; ++C)
      FColWidths[C] = TotalMax - TotalMin <= 0
                          ? Min[C] + MulDiv(Min[C], AW - TotalMin, TotalMin)
                          : Min[C] + MulDiv(Max[C] - Min[C], AW - TotalMin, TotalMax - TotalMin);
  } else {
    FColWidths = Max;
  }
}
