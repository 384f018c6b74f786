// The BMP reader: file header plus an OS/2 1.x, OS/2 2.x, version 3, 4 or 5 info
// header; 1, 2, 4, 8, 16, 24 and 32 bits per pixel; uncompressed, RLE8, RLE4 and
// bit-field data; bottom-up or top-down rows.
//
// Validation is strict: a bad signature, header size, plane count, bit count,
// compression, mask set or palette size, an impossible size, an offset outside the
// data, truncated pixel data and RLE runs that leave the image all raise
// EInvalidGraphic. Palette images become pf8bit with their palette (indexes past
// the palette show black); others become pf24bit. A palette longer than the bit
// count needs is accepted when the file holds it all; its first entries serve.
#pragma once

#include <cstddef>
#include <cstdint>

class TBitmap;

// Replaces the bitmap's pixels, format and palette. On an exception the bitmap may
// hold a partial image; TBitmap::LoadFromMemory reads into a scratch bitmap first.
void ReadBmp(const uint8_t* data, size_t size, TBitmap& bitmap);
