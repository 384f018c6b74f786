// Colour reduction of a 2000x2000 true-colour picture, per palette choice and dither mode.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "images/dither.h"

namespace {

// Smooth gradients with noise and hard edges: many colours, as a photograph has.
const std::vector<uint8_t>& Picture() {
  static const std::vector<uint8_t> Bytes = [] {
    std::mt19937 Rng(5);
    std::vector<uint8_t> B(size_t(2000) * 2000 * 3);
    for (int Y = 0; Y < 2000; ++Y)
      for (int X = 0; X < 2000; ++X) {
        uint8_t* P = &B[(size_t(Y) * 2000 + size_t(X)) * 3];
        const int Noise = int(Rng() % 9);
        P[0] = uint8_t((X / 8 + Noise) & 255);
        P[1] = uint8_t((Y / 8 + ((X / 200) % 2) * 90) & 255);
        P[2] = uint8_t(((X + Y) / 16 + Noise) & 255);
      }
    return B;
  }();
  return Bytes;
}

void MapPicture(benchmark::State& State) {
  const auto& Bytes = Picture();
  const TPixelRows Rows{Bytes.data(), 2000, 2000, 2000 * 3, 3};
  for (auto _ : State) {
    TMappedImage Image = MapToPalette(Rows, int(State.range(0)), int(State.range(1)));
    benchmark::DoNotOptimize(Image.Pixels.data());
  }
  State.SetItemsProcessed(int64_t(State.iterations()) * 2000 * 2000);
  State.SetLabel("items = pixels");
}

}  // namespace

// (palette choice, dither mode): shared, cube, system and optimised palettes.
BENCHMARK(MapPicture)
    ->Args({rpShared, dmFloydSteinberg})
    ->Args({rpCube, dmFloydSteinberg})
    ->Args({rpSystem, dmFloydSteinberg})
    ->Args({rpOptimized, dmFloydSteinberg})
    ->Args({rpShared, dmNone})
    ->Unit(benchmark::kMillisecond);
