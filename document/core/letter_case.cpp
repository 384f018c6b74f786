#include "document/core/letter_case.h"

#include <map>
#include <memory>

#include "common/codepage.h"

namespace {

bool In(char32_t C, char32_t From, char32_t To) { return C >= From && C <= To; }

// Latin Extended-A pairs: upper on even code points from these ranges, on odd ones in
// the others.
bool EvenUpperLatin(char32_t C) {
  return In(C, 0x100, 0x12F) || In(C, 0x132, 0x137) || In(C, 0x14A, 0x177);
}
bool OddUpperLatin(char32_t C) { return In(C, 0x139, 0x148) || In(C, 0x179, 0x17E); }

// Simple case mappings of the letters that the 8-bit code pages hold: Latin, Greek
// and Cyrillic.
char32_t UpperCode(char32_t C) {
  if (In(C, 'a', 'z') || (In(C, 0xE0, 0xFE) && C != 0xF7)) return C - 32;
  if (C == 0xFF) return 0x178;
  if (C == 0xB5) return 0x39C;
  if (C == 0x131) return 'I';
  if (C == 0x17F) return 'S';
  if (EvenUpperLatin(C)) return C & ~char32_t(1);
  if (OddUpperLatin(C)) return C % 2 == 0 ? C - 1 : C;
  if (C == 0x192 || C == 0x1A1 || C == 0x1B0) return C - 1;
  if (C == 0x3AC) return 0x386;
  if (In(C, 0x3AD, 0x3AF)) return C - 37;
  if (C == 0x3CC) return 0x38C;
  if (In(C, 0x3CD, 0x3CE)) return C - 63;
  if (C == 0x3C2) return 0x3A3;
  if (In(C, 0x3B1, 0x3C1) || In(C, 0x3C3, 0x3CB) || In(C, 0x430, 0x44F)) return C - 32;
  if (In(C, 0x450, 0x45F)) return C - 80;
  if (C == 0x491) return 0x490;
  return C;
}

char32_t LowerCode(char32_t C) {
  if (In(C, 'A', 'Z') || (In(C, 0xC0, 0xDE) && C != 0xD7)) return C + 32;
  if (C == 0x178) return 0xFF;
  if (C == 0x130) return 'i';
  if (EvenUpperLatin(C)) return C | 1;
  if (OddUpperLatin(C)) return C % 2 == 1 ? C + 1 : C;
  if (C == 0x191 || C == 0x1A0 || C == 0x1AF) return C + 1;
  if (C == 0x386) return 0x3AC;
  if (In(C, 0x388, 0x38A)) return C + 37;
  if (C == 0x38C) return 0x3CC;
  if (In(C, 0x38E, 0x38F)) return C + 63;
  if (In(C, 0x391, 0x3A1) || In(C, 0x3A3, 0x3AB) || In(C, 0x410, 0x42F)) return C + 32;
  if (In(C, 0x400, 0x40F)) return C + 80;
  if (C == 0x490) return 0x491;
  return C;
}

std::unique_ptr<TLetterCase> MakeTables(int CodePage) {
  auto T = std::make_unique<TLetterCase>();
  const char32_t* Codes = SingleByteTable(CodePage);
  std::map<char32_t, uint8_t> ByteOf;
  for (int B = 255; B >= 0; --B) ByteOf[Codes[B]] = static_cast<uint8_t>(B);  // lowest wins
  auto Find = [&](char32_t C, int B) {
    auto It = ByteOf.find(C);
    return It == ByteOf.end() ? static_cast<uint8_t>(B) : It->second;
  };
  for (int B = 0; B < 256; ++B) {
    const char32_t C = Codes[B];
    const char32_t U = UpperCode(C), L = LowerCode(C);
    T->Upper[B] = U == C ? static_cast<uint8_t>(B) : Find(U, B);
    T->Lower[B] = L == C ? static_cast<uint8_t>(B) : Find(L, B);
    T->Word[B] = In(C, '0', '9') || U != C || L != C || C == 0xDF;
  }
  return T;
}

// The tables made so far, by code page, and the page asked for last (a document's text
// is mostly in one). Shared by all documents: the tables depend on the code page alone.
struct TLetterCasePages {
  std::map<int, std::unique_ptr<TLetterCase>> Made;
  int LastPage = -1;
  const TLetterCase* Last = nullptr;
};

TLetterCasePages LetterCasePages;

}  // namespace

const TLetterCase& LetterCaseOf(int CodePage) {
  TLetterCasePages& Pages = LetterCasePages;
  if (CodePage == Pages.LastPage && Pages.Last) return *Pages.Last;
  std::unique_ptr<TLetterCase>& Slot = Pages.Made[CodePage];
  if (!Slot) Slot = MakeTables(CodePage);
  Pages.LastPage = CodePage;
  Pages.Last = Slot.get();
  return *Pages.Last;
}
