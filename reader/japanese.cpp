#include "reader/japanese.h"

#include <cstring>

namespace {

constexpr unsigned char Esc = 27;

// JIS X 0208 row and cell (both 33 to 126) to the two Shift_JIS bytes.
char LeadByte(int J1) { return static_cast<char>(((J1 + 1) >> 1) + (J1 >= 33 && J1 <= 94 ? 112 : 176)); }

char TrailByte(int J1, int J2) {
  if ((J1 & 1) == 0) return static_cast<char>(J2 + 126);
  return static_cast<char>(J2 + (J2 >= 96 ? 32 : 31));
}

}  // namespace

bool HasIso2022JpEscape(std::string_view Text) {
  if (Text.empty()) return false;
  const char* P = Text.data();
  const char* End = P + Text.size();
  while ((P = static_cast<const char*>(std::memchr(P, Esc, End - P))) != nullptr) {
    if (End - P >= 3 && P[1] == '$' && (P[2] == '@' || P[2] == 'B')) return true;
    ++P;
  }
  return false;
}

std::string Iso2022JpToShiftJis(std::string_view Text) {
  std::string Out;
  Out.reserve(Text.size());
  bool DoubleByte = false;
  bool Trail = false;
  int J1 = 0;
  const size_t N = Text.size();
  for (size_t I = 0; I < N; ++I) {
    int B = static_cast<unsigned char>(Text[I]) & 0x7F;
    if (B == Esc && I + 2 < N) {
      int B1 = static_cast<unsigned char>(Text[I + 1]) & 0x7F;
      int B2 = static_cast<unsigned char>(Text[I + 2]) & 0x7F;
      if (B1 == '(' && (B2 == 'B' || B2 == 'J')) {
        DoubleByte = false;
        I += 2;
        continue;
      }
      if (B1 == '$' && (B2 == '@' || B2 == 'B')) {
        DoubleByte = true;
        Trail = false;
        I += 2;
        continue;
      }
    }
    if (!DoubleByte) {
      Out += static_cast<char>(B);
    } else if (!Trail) {
      J1 = B;
      Out += LeadByte(J1);
      Trail = true;
    } else {
      Out += TrailByte(J1, B);
      Trail = false;
    }
  }
  return Out;
}

void EucJpToShiftJis(char* Text, size_t Length) {
  bool Trail = false;
  int J1 = 0;
  for (size_t I = 0; I < Length; ++I) {
    int B = static_cast<unsigned char>(Text[I]);
    if (B <= 160) {
      Trail = false;
      continue;
    }
    B &= 0x7F;
    if (!Trail) {
      J1 = B;
      Text[I] = LeadByte(J1);
      Trail = true;
    } else {
      Text[I] = TrailByte(J1, B);
      Trail = false;
    }
  }
}
