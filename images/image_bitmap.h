// Decoded rasters as toolkit bitmaps, the display conversion, and the loaders that
// hand back bitmaps.
#pragma once

#include "images/image_buffer.h"
#include "images/image_loader.h"
#include "toolkit/graphics/bitmap.h"

#include <memory>
#include <string>

// A bitmap of the raster's format (pf1bit, pf4bit, pf8bit with its palette, or pf24bit).
std::unique_ptr<TBitmap> ImageToBitmap(const TImageBuffer& Image);
// The bitmap's pixels as a raster: paletted formats keep their indexes and palette,
// everything else becomes 24 bits.
TImageBuffer BitmapToImage(TBitmap& Bitmap);

// Adapts a raster to a display of ScreenBits bits per pixel: at 8 bits or fewer it is
// reduced (the shared palette at 8, the system colours below, with Floyd-Steinberg
// dithering) to an 8-bit raster; above 8 bits it is left as it is.
void ConvertForDisplay(TImageBuffer& Image, int ScreenBits);

// Decodes BMP, PNG or JPEG data (GIF too; an animated GIF gives its first frame) into
// a bitmap converted for the display, with Mask set when Transparent comes back
// non-zero. Any failure gives nullptr.
std::unique_ptr<TBitmap> LoadImageFromStream(TMemoryStream* Stream, int& Transparent,
                                             std::unique_ptr<TBitmap>& Mask, int ScreenBits);
// nullptr when the file does not exist; else as LoadImageFromStream over its bytes.
std::unique_ptr<TBitmap> LoadImageFromFile(const std::string& FileName, int& Transparent,
                                           std::unique_ptr<TBitmap>& Mask, int ScreenBits);
