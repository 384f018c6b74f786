// Integer arithmetic shared by the table's width and height passes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace table_arith {

// A * B / C rounded to the nearest, as the integer arithmetic of widths wants it; 0 for C 0.
inline int MulDiv(int A, int B, int C) {
  if (C == 0) return 0;
  const int64_t P = int64_t(A) * B;
  const int64_t Half = std::abs(int64_t(C)) / 2;
  const int64_t R = (P >= 0) == (C > 0) ? (std::abs(P) + Half) / std::abs(int64_t(C))
                                         : -((std::abs(P) + Half) / std::abs(int64_t(C)));
  return int(std::clamp<int64_t>(R, -2147483647, 2147483647));
}

inline int Sum(const std::vector<int>& V) {
  int64_t S = 0;
  for (const int X : V) S += X;
  return int(std::min<int64_t>(S, 1 << 30));
}

}  // namespace table_arith
