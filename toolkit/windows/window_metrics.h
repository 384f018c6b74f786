// System settings of the window system: colours, metrics, the wheel setting, the screen.
#pragma once

#include <cstdint>

#include "common/types.h"
#include "toolkit/windows/messages.h"

// The classic colour of a COLOR_* index as 0x00BBGGRR; black for unknown indices.
TColor GetSysColor(int index);
// SM_* values; 0 for unknown indices. Scroll bars are 16 pixels thick.
int GetSystemMetrics(int index);
// Lines scrolled per wheel notch (3 unless changed).
int GetWheelScrollLines();
void SetWheelScrollLines(int lines);
// Milliseconds between the presses of a double click.
unsigned GetDoubleClickTime();
// The screen, from the backend.
TSize GetScreenSize();
int GetScreenPixelsPerInch();
// A colour as a surface pixel: 0x00RRGGBB.
constexpr uint32_t ColorToPixel(TColor c) {
  return uint32_t(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
}
constexpr TColor PixelToColor(uint32_t p) {
  return RGBColor(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
}
