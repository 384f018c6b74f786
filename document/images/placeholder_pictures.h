// The pictures shown in place of images: one while an image is awaited (or while images
// are not shown) and one, with its transparency mask, for an image that failed to load.
// Made once, on first use, and shared by every document; the library never frees them
// while it runs.
#pragma once

#include "toolkit/graphics/bitmap.h"

class TPalette;

// The awaited image: a framed picture of a landscape.
TBitmap& WaitingPicture();
// The failed image: a torn picture with a red cross.
TBitmap& ErrorPicture();
// The failed image's mask: white where the picture is transparent.
TBitmap& ErrorPictureMask();

// The viewer's colour depth from the screen's: 4 at 4 bits or less, 8 up to 8 bits, else 24.
int ViewerColorDepth();
// The palette every paint selects at a colour depth of 8; null at other depths.
const TPalette* ViewerPalette();
