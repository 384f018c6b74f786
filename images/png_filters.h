// The hot loops of the PNG reader: undoing row filters and turning file samples into
// bitmap rows.
#pragma once

#include <cstddef>
#include <cstdint>

// Undoes one row's filter in place against the previous unfiltered row (all zeros
// before the first row of an image or pass). Bpp is the filter offset, 1 to 8 bytes.
// Returns false for a filter type other than 0 to 4.
bool UnfilterRow(int FilterType, uint8_t* Row, const uint8_t* Prior, size_t RowBytes, int Bpp);

// Converts Width pixels of file samples into a bitmap row. Gamma, when not null, is
// applied to RGB samples (palettes and grey ramps carry gamma themselves).
using TRowConverter = void (*)(const uint8_t* Src, uint8_t* Dst, int Width, const uint8_t* Gamma);

// The converter for a colour type and bit depth, and the bitmap's bits per pixel
// (1, 4, 8 or 24); nullptr for an invalid combination.
TRowConverter RowConverterFor(int ColorType, int BitDepth, int* BitmapBits);

// Copies pixel I of a converted pass row to column Column of a bitmap row.
void PlacePixel(const uint8_t* PassRow, int I, uint8_t* Row, int Column, int Bits);
