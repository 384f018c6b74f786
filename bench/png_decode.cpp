// Decoding a 4000 x 3000 RGB PNG: our reader against libpng, in the same program.
#include "images/png_image.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// A photograph-like picture: smooth gradients with sensor-like noise, so the encoder
// picks a mix of filters as it does for real photographs.
const std::vector<uint8_t>& TestFile() {
  static const std::vector<uint8_t> file = [] {
    const int width = 4000, height = 3000;
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> noise(-6, 6);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint8_t* p = pixels.data() + (size_t(y) * width + x) * 3;
        int r = (x * 255) / width, g = (y * 255) / height, b = ((x + y) * 127) / (width + height) + 64;
        p[0] = uint8_t(std::clamp(r + noise(random), 0, 255));
        p[1] = uint8_t(std::clamp(g + noise(random), 0, 255));
        p[2] = uint8_t(std::clamp(b + noise(random), 0, 255));
      }
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp P, png_bytep Data, png_size_t N) {
          auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(P));
          v->insert(v->end(), Data, Data + N);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, pixels.data() + size_t(y) * width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
  }();
  return file;
}

void BM_PngDecodeOurs(benchmark::State& State) {
  const std::vector<uint8_t>& file = TestFile();
  for (auto _ : State) {
    TPNGImage image;
    image.LoadFromMemory(file.data(), file.size());
    benchmark::DoNotOptimize(image.Bitmap().ScanLine(0));
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * 4000 * 3000 * 3);
}
BENCHMARK(BM_PngDecodeOurs)->Unit(benchmark::kMillisecond);

// libpng into blue-green-red rows of the same layout as ours.
void BM_PngDecodeLibpng(benchmark::State& State) {
  const std::vector<uint8_t>& file = TestFile();
  struct TReader {
    const uint8_t* Data;
    size_t Pos;
  };
  for (auto _ : State) {
    TReader reader{file.data(), 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_read_fn(png, &reader, [](png_structp P, png_bytep Dest, png_size_t N) {
      auto* r = static_cast<TReader*>(png_get_io_ptr(P));
      std::memcpy(Dest, r->Data + r->Pos, N);
      r->Pos += N;
    });
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    int width = int(png_get_image_width(png, info)), height = int(png_get_image_height(png, info));
    size_t stride = ((size_t(width) * 24 + 31) / 32) * 4;
    std::vector<uint8_t> pixels(stride * size_t(height));
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) rows[size_t(y)] = pixels.data() + size_t(y) * stride;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * 4000 * 3000 * 3);
}
BENCHMARK(BM_PngDecodeLibpng)->Unit(benchmark::kMillisecond);

}  // namespace
