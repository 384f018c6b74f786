// X key symbols, as GDK key values and Qt's native virtual keys give them on X11 and on
// Wayland, mapped to the virtual keys of the window messages.
#pragma once

#include <cstdint>

// The virtual key of a key symbol; 0 for keys that only type text (punctuation, letters
// outside A-Z) or that the library does not use. Letters map to their upper-case codes
// whatever their case, keypad keys to the keys they stand for with Num Lock off.
int VirtualKeyOfKeysym(uint32_t keysym);
