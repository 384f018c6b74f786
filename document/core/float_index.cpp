#include "document/core/float_index.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

constexpr int Lowest = std::numeric_limits<int>::min();

}  // namespace

void TFloatIndex::Clear() { FGroups.clear(); }

void TFloatIndex::Add(int Top, int Bottom, int X) {
  TGroup G;
  G.Count = 1;
  G.MaxBottom = Bottom;
  G.Bottoms.push_back(Bottom);
  if (Top < Bottom) {
    if (Top != Lowest) G.Steps.push_back({Lowest, 0, false});
    G.Steps.push_back({Top, X, true});
    G.Steps.push_back({Bottom, 0, false});
  } else {
    G.Steps.push_back({Lowest, 0, false});
  }
  FGroups.push_back(std::move(G));
  while (FGroups.size() >= 2 && FGroups[FGroups.size() - 2].Count <= FGroups.back().Count) {
    TGroup Merged = Merge(FGroups[FGroups.size() - 2], FGroups.back());
    FGroups.pop_back();
    FGroups.back() = std::move(Merged);
  }
}

TFloatIndex::TGroup TFloatIndex::Merge(const TGroup& A, const TGroup& B) const {
  TGroup M;
  M.Count = A.Count + B.Count;
  M.MaxBottom = std::max(A.MaxBottom, B.MaxBottom);
  M.Bottoms.reserve(A.Bottoms.size() + B.Bottoms.size());
  std::merge(A.Bottoms.begin(), A.Bottoms.end(), B.Bottoms.begin(), B.Bottoms.end(),
             std::back_inserter(M.Bottoms));
  // Walk both step functions together, taking the better X wherever both have records
  // and leaving out steps that do not change the edge.
  M.Steps.reserve(A.Steps.size() + B.Steps.size());
  size_t I = 0, J = 0;
  int From = Lowest;
  for (;;) {
    const TStep& SA = A.Steps[I];
    const TStep& SB = B.Steps[J];
    TStep S{From, 0, SA.Any || SB.Any};
    if (SA.Any && SB.Any) S.X = Better(SB.X, SA.X) ? SB.X : SA.X;
    else if (S.Any) S.X = SA.Any ? SA.X : SB.X;
    if (M.Steps.empty() || M.Steps.back().Any != S.Any || (S.Any && M.Steps.back().X != S.X))
      M.Steps.push_back(S);
    const bool MoreA = I + 1 < A.Steps.size(), MoreB = J + 1 < B.Steps.size();
    if (!MoreA && !MoreB) break;
    From = !MoreA   ? B.Steps[J + 1].From
           : !MoreB ? A.Steps[I + 1].From
                    : std::min(A.Steps[I + 1].From, B.Steps[J + 1].From);
    if (MoreA && A.Steps[I + 1].From == From) ++I;
    if (MoreB && B.Steps[J + 1].From == From) ++J;
  }
  return M;
}

bool TFloatIndex::EdgeAt(int Y, int& X, long long& Read) const {
  bool Any = false;
  for (const TGroup& G : FGroups) {
    if (G.MaxBottom <= Y) continue;  // every record of it ends at or above Y
    ++Read;
    const auto It = std::upper_bound(G.Steps.begin(), G.Steps.end(), Y,
                                     [](int V, const TStep& S) { return V < S.From; });
    const TStep& S = *std::prev(It);
    if (!S.Any) continue;
    X = Any && !Better(S.X, X) ? X : S.X;
    Any = true;
  }
  return Any;
}

int TFloatIndex::NextEnd(int Y, long long& Read) const {
  int Best = Y;
  for (const TGroup& G : FGroups) {
    if (G.MaxBottom <= Y) continue;
    ++Read;
    const int End = *std::upper_bound(G.Bottoms.begin(), G.Bottoms.end(), Y);
    if (Best == Y || End < Best) Best = End;
  }
  return Best;
}

int TFloatIndex::ReadAt(int Y) const {
  int N = 0;
  for (const TGroup& G : FGroups) N += G.MaxBottom > Y;
  return N;
}
