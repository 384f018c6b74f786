// The screen as the graphics layer sees it: colour depth, size, resolution, the
// realised palette, device capability indices, and colour resolution.
#pragma once

#include <cstdint>

#include "common/types.h"

class TPalette;

// GetDeviceCaps indices, with the Windows values.
enum : int {
  TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12,
  PLANES = 14, NUMCOLORS = 24, RASTERCAPS = 38, LOGPIXELSX = 88, LOGPIXELSY = 90,
  SIZEPALETTE = 104, NUMRESERVED = 106, COLORRES = 108, PHYSICALWIDTH = 110,
  PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113
};
enum : int { DT_RASDISPLAY = 1, DT_RASPRINTER = 2 };
enum : int {
  RC_BITBLT = 0x0001, RC_PALETTE = 0x0100, RC_DIBTODEV = 0x0200, RC_STRETCHBLT = 0x0800,
  RC_STRETCHDIB = 0x2000
};

// What a device reports. A canvas carries one; screen and memory canvases take the
// screen's, a printer canvas gets its own from whoever creates it.
struct TDeviceCaps {
  int Technology = DT_RASDISPLAY;
  int HorzRes = 0, VertRes = 0;          // device pixels; 0 means the surface's size
  int LogPixelsX = 96, LogPixelsY = 96;
  int BitsPixel = 0;                      // 0 means the screen's colour depth
  int PhysicalWidth = 0, PhysicalHeight = 0;    // printers: paper in device pixels
  int PhysicalOffsetX = 0, PhysicalOffsetY = 0; // printers: unprintable margin
  int NumColors = 0;                      // 0 means as the depth implies
};

// The screen's colour depth in bits per pixel: 24 (the default), 8 or 4. Other values
// are taken to the nearest of those (at most 4 gives 4, at most 8 gives 8, else 24).
int ScreenColorDepth();
void SetScreenColorDepth(int bits);

// Screen size in pixels (1024 x 768 until the window system says otherwise) and its
// logical resolution (96 pixels per inch).
TSize ScreenSize();
void SetScreenSize(TSize size);
int ScreenLogPixels();

// The palette realised on the screen, which colours are reduced to at depth 8: the
// system palette until a canvas on the screen realises another. Depth 4 always uses
// the 16 VGA colours. SetScreenPalette copies the entries; null restores the default.
const TPalette& ScreenPalette();
void SetScreenPalette(const TPalette* palette);

// Reduces 0x00RRGGBB pixels to what the screen can show at its depth (nearest palette
// entry at 8 or 4 bits; nothing at 24). Rows are strideBytes apart.
void ReduceToScreen(uint32_t* pixels, int width, int height, int strideBytes);

// A colour as plain 0x00BBGGRR: system colours (top bit set) are looked up, the
// palette-relative flags (0x01000000, 0x02000000) dropped. clNone gives black.
TColor ColorToRGB(TColor color);
// System colours come from the window system when it registers a source; until
// then a fixed classic scheme answers.
using TSysColorSource = TColor (*)(int index);
void SetSysColorSource(TSysColorSource source);
TColor DefaultSysColor(int index);
