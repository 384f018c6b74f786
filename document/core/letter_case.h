// Letter case of 8-bit text in a code page: one byte maps to one byte, so a text changes
// its case in place and keeps its length and source positions.
#pragma once

#include <array>
#include <cstdint>

struct TLetterCase {
  std::array<uint8_t, 256> Upper;
  std::array<uint8_t, 256> Lower;
  // Letters and digits: the bytes a word is made of.
  std::array<bool, 256> Word;
};

// The tables of a code page, made on first use. A letter whose other case the page does
// not hold keeps its byte.
const TLetterCase& LetterCaseOf(int CodePage);
