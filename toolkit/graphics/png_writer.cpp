#include "toolkit/graphics/png_writer.h"

#include <zlib.h>

#include <fstream>

#include "toolkit/graphics/graphics_error.h"

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 24));
  out.push_back(uint8_t(v >> 16));
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t size) {
  PutU32(out, uint32_t(size));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data, data + size);
  uLong crc = crc32(0L, out.data() + start, uInt(size + 4));
  PutU32(out, uint32_t(crc));
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const uint8_t* pixels, int channels,
                               int stride) {
  if (width <= 0 || height <= 0 || !pixels || (channels != 3 && channels != 4) ||
      stride < width * channels)
    throw EInvalidGraphic("Cannot encode an empty or malformed image as PNG");
  const size_t rowBytes = size_t(width) * size_t(channels);
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * size_t(height));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    const uint8_t* row = pixels + size_t(y) * size_t(stride);
    raw.insert(raw.end(), row, row + rowBytes);
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK)
    throw EInvalidGraphic("PNG compression failed");
  packed.resize(packedSize);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutU32(header, uint32_t(width));
  PutU32(header, uint32_t(height));
  header.push_back(8);                           // bits per channel
  header.push_back(channels == 4 ? 6 : 2);       // colour type
  header.push_back(0);                           // deflate
  header.push_back(0);                           // adaptive filtering, all rows filter 0
  header.push_back(0);                           // no interlace
  PutChunk(out, "IHDR", header.data(), header.size());
  PutChunk(out, "IDAT", packed.data(), packed.size());
  PutChunk(out, "IEND", nullptr, 0);
  return out;
}

void WritePngFile(const std::string& fileName, int width, int height, const uint8_t* pixels,
                  int channels, int stride) {
  std::vector<uint8_t> png = EncodePng(width, height, pixels, channels, stride);
  std::ofstream out(fileName, std::ios::binary);
  if (!out) throw EInvalidGraphic("Can't create file: " + fileName);
  out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  if (!out) throw EInvalidGraphic("Can't write file: " + fileName);
}
