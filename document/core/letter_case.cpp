#include "document/core/letter_case.h"

#include <map>
#include <memory>

#include "common/codepage.h"
#include "common/unicode_chars.h"

namespace {

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
    const char32_t U = UpperCodePoint(C), L = LowerCodePoint(C);
    T->Upper[B] = U == C ? static_cast<uint8_t>(B) : Find(U, B);
    T->Lower[B] = L == C ? static_cast<uint8_t>(B) : Find(L, B);
    T->Word[B] = (C >= '0' && C <= '9') || U != C || L != C || C == 0xDF;
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
