// The records of one side that belong to no block (floats, and indents pushed outside any
// block), indexed so that the edge they set at a height and the next place one of them
// ends cost a few binary searches however many there are and however long they last.
#pragma once

#include <cstddef>
#include <vector>

class TFloatIndex {
 public:
  // TakesMax: the edge at a height is the largest X of the records there (the left side);
  // otherwise the smallest (the right side).
  explicit TFloatIndex(bool TakesMax) : FTakesMax(TakesMax) {}

  void Clear();
  // A record covers Top <= Y < Bottom (nothing when Bottom <= Top) and ends at Bottom.
  void Add(int Top, int Bottom, int X);
  // Whether a record covers Y; X is then the edge they set there. Read grows by the
  // number of groups consulted.
  bool EdgeAt(int Y, int& X, long long& Read) const;
  // The smallest bottom greater than Y, Y when none is.
  int NextEnd(int Y, long long& Read) const;
  // The groups a query at Y consults.
  int ReadAt(int Y) const;
  bool Empty() const { return FGroups.empty(); }

 private:
  // From From on, up to the next step, the records there set X (Any) or there are none.
  struct TStep {
    int From = 0;
    int X = 0;
    bool Any = false;
  };
  // The records are kept in groups of falling size, each merged into one step function
  // (the edge their records set, value by value), so that a record is merged again only
  // when its group doubles: a handful of groups answer for all the records.
  struct TGroup {
    size_t Count = 0;
    int MaxBottom = 0;
    std::vector<TStep> Steps;  // the first from the smallest int
    std::vector<int> Bottoms;  // ascending
  };
  bool Better(int A, int B) const { return FTakesMax ? A > B : A < B; }
  TGroup Merge(const TGroup& A, const TGroup& B) const;

  bool FTakesMax;
  std::vector<TGroup> FGroups;  // larger groups first
};
