// Byte-parallel tests on text, eight bytes at a time in a 64-bit word: scans over a whole
// document cost a few operations per word instead of a branch per byte. Each mask has bit
// 7 set in the bytes that pass and nothing else; no carry crosses from byte to byte, so
// every byte's bit is exact.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace ByteScan {

static_assert(std::endian::native == std::endian::little, "a byte further on is a byte higher");

constexpr uint64_t Ones = 0x0101010101010101u;
constexpr uint64_t High = 0x8080808080808080u;
constexpr uint64_t Low7 = 0x7F7F7F7F7F7F7F7Fu;

inline uint64_t Load(const char* P) {
  uint64_t X;
  std::memcpy(&X, P, 8);
  return X;
}

// The bytes of X equal to B.
inline uint64_t Equal(uint64_t X, uint8_t B) {
  const uint64_t T = X ^ (Ones * B);
  return ~(((T & Low7) + Low7) | T | Low7);
}

// The bytes of X below B, for B up to 0x80.
inline uint64_t Below(uint64_t X, uint8_t B) {
  return ~(((X & Low7) + Ones * uint8_t(0x80 - B)) | X) & High;
}

// The byte index of the first byte a nonzero mask marks.
inline int FirstMarked(uint64_t Mask) { return std::countr_zero(Mask) / 8; }

// The bytes before the first byte a mask marks, 8 when it marks none; without a branch, for
// scans whose stops fall anywhere (the bytes below the lowest mark, counted by their top bits).
inline int UnmarkedBefore(uint64_t Mask) {
  const uint64_t Before = (Mask - 1) & ~Mask;
  return int((((Before >> 7) & Ones) * Ones) >> 56);
}

// Whether a byte A stands directly before a byte B somewhere in Text.
inline bool HasPair(std::string_view Text, char A, char B) {
  const char* P = Text.data();
  const char* const End = P + Text.size();
  uint64_t ABefore = 0;  // the A bytes of the word before
  for (; End - P >= 8; P += 8) {
    const uint64_t X = Load(P), As = Equal(X, uint8_t(A));
    if (((As << 8 | ABefore >> 56) & Equal(X, uint8_t(B))) != 0) return true;
    ABefore = As;
  }
  bool AfterA = (ABefore >> 56) != 0;
  for (; P < End; ++P) {
    if (AfterA && *P == B) return true;
    AfterA = *P == A;
  }
  return false;
}

}  // namespace ByteScan
