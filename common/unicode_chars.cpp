#include "common/unicode_chars.h"

namespace {

bool In(char32_t C, char32_t From, char32_t To) { return C >= From && C <= To; }

// Pairs of upper and lower case next to each other: upper on even code points in these.
bool EvenUpper(char32_t C) {
  return In(C, 0x100, 0x12F) || In(C, 0x132, 0x137) || In(C, 0x14A, 0x177) ||
         In(C, 0x460, 0x481) || In(C, 0x48A, 0x4BF) || In(C, 0x4D0, 0x52F) ||
         In(C, 0x1E00, 0x1E95) || In(C, 0x1EA0, 0x1EFF);
}
// And on odd ones in these.
bool OddUpper(char32_t C) {
  return In(C, 0x139, 0x148) || In(C, 0x179, 0x17E) || In(C, 0x4C1, 0x4CE);
}

}  // namespace

bool IsWordCodePoint(char32_t C) {
  if (C < 0x80) return In(C, '0', '9') || In(C, 'A', 'Z') || In(C, 'a', 'z');
  if (C < 0xC0 || C == 0xD7 || C == 0xF7) return false;
  // Punctuation, symbols, arrows, mathematics, box drawing and shapes; CJK punctuation;
  // private use; specials.
  return !In(C, 0x2000, 0x2BFF) && !In(C, 0x3000, 0x303F) && !In(C, 0xE000, 0xF8FF) &&
         !In(C, 0xFE30, 0xFE4F) && !In(C, 0xFF00, 0xFF0F) && !In(C, 0xFF1A, 0xFF20) &&
         !In(C, 0xFFF0, 0xFFFF) && !In(C, 0x37E, 0x37E) && !In(C, 0x387, 0x387) &&
         !In(C, 0x55A, 0x55F) && !In(C, 0x589, 0x58A);
}

bool IsIdeographic(char32_t C) {
  return In(C, 0x1100, 0x11FF) || In(C, 0x2E80, 0x2FFF) || In(C, 0x3000, 0x303F) ||
         In(C, 0x3040, 0x30FF) || In(C, 0x3100, 0x31FF) || In(C, 0x3200, 0x4DBF) ||
         In(C, 0x4E00, 0x9FFF) || In(C, 0xA000, 0xA4CF) || In(C, 0xAC00, 0xD7AF) ||
         In(C, 0xF900, 0xFAFF) || In(C, 0xFE30, 0xFE4F) || In(C, 0xFF00, 0xFFEF) ||
         In(C, 0x20000, 0x3FFFF);
}

bool IsClosingPunctuation(char32_t C) {
  switch (C) {
    case ')': case ']': case '}': case ',': case '.': case ':': case ';': case '!': case '?':
    case 0xBB: case 0x2019: case 0x201D: case 0x203A: case 0x3001: case 0x3002: case 0x3009:
    case 0x300B: case 0x300D: case 0x300F: case 0x3011: case 0x3015: case 0x3017:
    case 0x3019: case 0x301B: case 0x301E: case 0x301F: case 0x3005: case 0x309D:
    case 0x309E: case 0x30FC: case 0x30FD: case 0x30FE: case 0xFF01: case 0xFF09:
    case 0xFF0C: case 0xFF0E: case 0xFF1A: case 0xFF1B: case 0xFF1F: case 0xFF3D:
    case 0xFF5D: case 0xFF60: case 0xFF61: case 0xFF63: case 0xFF64:
      return true;
    default:
      // Small kana keep to the character before them.
      return C == 0x3041 || C == 0x3043 || C == 0x3045 || C == 0x3047 || C == 0x3049 ||
             C == 0x3063 || C == 0x3083 || C == 0x3085 || C == 0x3087 || C == 0x30A1 ||
             C == 0x30A3 || C == 0x30A5 || C == 0x30A7 || C == 0x30A9 || C == 0x30C3 ||
             C == 0x30E3 || C == 0x30E5 || C == 0x30E7;
  }
}

bool IsOpeningPunctuation(char32_t C) {
  switch (C) {
    case '(': case '[': case '{': case 0xAB: case 0x2018: case 0x201C: case 0x2039:
    case 0x3008: case 0x300A: case 0x300C: case 0x300E: case 0x3010: case 0x3014:
    case 0x3016: case 0x3018: case 0x301A: case 0x301D: case 0xFF08: case 0xFF3B:
    case 0xFF5B: case 0xFF5F: case 0xFF62:
      return true;
    default:
      return false;
  }
}

char32_t UpperCodePoint(char32_t C) {
  if (In(C, 'a', 'z') || (In(C, 0xE0, 0xFE) && C != 0xF7)) return C - 32;
  if (C < 0xB5) return C;
  if (C == 0xFF) return 0x178;
  if (C == 0xB5) return 0x39C;
  if (C == 0x131) return 'I';
  if (C == 0x17F) return 'S';
  if (EvenUpper(C)) return C & ~char32_t(1);
  if (OddUpper(C)) return C % 2 == 0 ? C - 1 : C;
  if (C == 0x192 || C == 0x1A1 || C == 0x1B0) return C - 1;
  if (C == 0x3AC) return 0x386;
  if (In(C, 0x3AD, 0x3AF)) return C - 37;
  if (C == 0x3CC) return 0x38C;
  if (In(C, 0x3CD, 0x3CE)) return C - 63;
  if (C == 0x3C2) return 0x3A3;
  if (In(C, 0x3B1, 0x3C1) || In(C, 0x3C3, 0x3CB) || In(C, 0x430, 0x44F)) return C - 32;
  if (In(C, 0x450, 0x45F)) return C - 80;
  if (C == 0x491) return 0x490;
  if (In(C, 0x561, 0x586)) return C - 48;
  return C;
}

char32_t LowerCodePoint(char32_t C) {
  if (In(C, 'A', 'Z') || (In(C, 0xC0, 0xDE) && C != 0xD7)) return C + 32;
  if (C < 0x100) return C;
  if (C == 0x178) return 0xFF;
  if (C == 0x130) return 'i';
  if (EvenUpper(C)) return C | 1;
  if (OddUpper(C)) return C % 2 == 1 ? C + 1 : C;
  if (C == 0x191 || C == 0x1A0 || C == 0x1AF) return C + 1;
  if (C == 0x386) return 0x3AC;
  if (In(C, 0x388, 0x38A)) return C + 37;
  if (C == 0x38C) return 0x3CC;
  if (In(C, 0x38E, 0x38F)) return C + 63;
  if (In(C, 0x391, 0x3A1) || In(C, 0x3A3, 0x3AB) || In(C, 0x410, 0x42F)) return C + 32;
  if (In(C, 0x400, 0x40F)) return C + 80;
  if (C == 0x490) return 0x491;
  if (In(C, 0x531, 0x556)) return C + 48;
  return C;
}
