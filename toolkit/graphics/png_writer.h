// A small PNG encoder: 8-bit RGB or RGBA, filter 0, one zlib stream. For tests and
// debugging output, not for size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// pixels: height rows of width * channels bytes (channels 3 = RGB, 4 = RGBA), rows
// stride bytes apart. Throws EInvalidGraphic for an empty image or bad arguments.
std::vector<uint8_t> EncodePng(int width, int height, const uint8_t* pixels, int channels,
                               int stride);
// Throws EInvalidGraphic when the file cannot be written.
void WritePngFile(const std::string& fileName, int width, int height, const uint8_t* pixels,
                  int channels, int stride);
