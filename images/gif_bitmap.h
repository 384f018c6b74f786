// A GIF's pictures as toolkit bitmaps, for drawing: the composed current frame and the
// first frame, each with a monochrome mask (white where the page shows through).
#pragma once

#include <memory>

#include "images/gif_image.h"
#include "toolkit/graphics/bitmap.h"

// The current frame composed over a clear screen, as a 24-bit bitmap; Mask receives a pf1bit
// mask when any pixel is clear, else null.
std::unique_ptr<TBitmap> CurrentFrameBitmap(const TGIFImage& Image, std::unique_ptr<TBitmap>& Mask);

// The first frame alone, as a 24-bit bitmap, and its mask when the image is transparent.
std::unique_ptr<TBitmap> FirstFrameToBitmap(const TGIFImage& Image, std::unique_ptr<TBitmap>& Mask);
