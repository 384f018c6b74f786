#include "toolkit/windows/keysyms.h"

#include "toolkit/windows/messages.h"

namespace {

// The key symbol numbers are fixed by the X protocol; they are spelled out here so that
// the mapping needs no X headers.
enum : uint32_t {
  kSymSpace = 0x0020, kSym0 = 0x0030, kSym9 = 0x0039,
  kSymUpperA = 0x0041, kSymUpperZ = 0x005A, kSymLowerA = 0x0061, kSymLowerZ = 0x007A,
  kSymBackSpace = 0xFF08, kSymTab = 0xFF09, kSymLeftTab = 0xFE20, kSymReturn = 0xFF0D,
  kSymPause = 0xFF13, kSymEscape = 0xFF1B,
  kSymHome = 0xFF50, kSymLeft = 0xFF51, kSymUp = 0xFF52, kSymRight = 0xFF53, kSymDown = 0xFF54,
  kSymPrior = 0xFF55, kSymNext = 0xFF56, kSymEnd = 0xFF57, kSymInsert = 0xFF63,
  kSymKpEnter = 0xFF8D, kSymKpHome = 0xFF95, kSymKpLeft = 0xFF96, kSymKpUp = 0xFF97,
  kSymKpRight = 0xFF98, kSymKpDown = 0xFF99, kSymKpPrior = 0xFF9A, kSymKpNext = 0xFF9B,
  kSymKpEnd = 0xFF9C, kSymKpInsert = 0xFF9E, kSymKpDelete = 0xFF9F,
  kSymF1 = 0xFFBE, kSymF24 = 0xFFD5,
  kSymShiftL = 0xFFE1, kSymShiftR = 0xFFE2, kSymControlL = 0xFFE3, kSymControlR = 0xFFE4,
  kSymCapsLock = 0xFFE5, kSymAltL = 0xFFE9, kSymAltR = 0xFFEA, kSymDelete = 0xFFFF,
};

}  // namespace

int VirtualKeyOfKeysym(uint32_t sym) {
  if (sym >= kSymLowerA && sym <= kSymLowerZ) return int(sym - kSymLowerA) + 'A';
  if (sym >= kSymUpperA && sym <= kSymUpperZ) return int(sym - kSymUpperA) + 'A';
  if (sym >= kSym0 && sym <= kSym9) return int(sym - kSym0) + '0';
  if (sym >= kSymF1 && sym <= kSymF24) return VK_F1 + int(sym - kSymF1);
  switch (sym) {
    case kSymBackSpace: return VK_BACK;
    case kSymTab: case kSymLeftTab: return VK_TAB;
    case kSymReturn: case kSymKpEnter: return VK_RETURN;
    case kSymPause: return VK_PAUSE;
    case kSymEscape: return VK_ESCAPE;
    case kSymSpace: return VK_SPACE;
    case kSymShiftL: case kSymShiftR: return VK_SHIFT;
    case kSymControlL: case kSymControlR: return VK_CONTROL;
    case kSymAltL: case kSymAltR: return VK_MENU;
    case kSymCapsLock: return VK_CAPITAL;
    case kSymPrior: case kSymKpPrior: return VK_PRIOR;
    case kSymNext: case kSymKpNext: return VK_NEXT;
    case kSymEnd: case kSymKpEnd: return VK_END;
    case kSymHome: case kSymKpHome: return VK_HOME;
    case kSymLeft: case kSymKpLeft: return VK_LEFT;
    case kSymUp: case kSymKpUp: return VK_UP;
    case kSymRight: case kSymKpRight: return VK_RIGHT;
    case kSymDown: case kSymKpDown: return VK_DOWN;
    case kSymDelete: case kSymKpDelete: return VK_DELETE;
    case kSymInsert: case kSymKpInsert: return VK_INSERT;
    default: return 0;
  }
}
