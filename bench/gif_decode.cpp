// GIF decoding against the reference decoder (giflib), on files made here with giflib's
// encoder: one 2000x2000 image and a 100-frame 200x200 animation.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "images/gif_image.h"

namespace {

struct TMemoryOut {
  std::vector<uint8_t> Bytes;
};

int WriteToMemory(GifFileType* File, const GifByteType* Data, int Length) {
  static_cast<TMemoryOut*>(File->UserData)->Bytes.insert(static_cast<TMemoryOut*>(File->UserData)->Bytes.end(), Data,
                                                         Data + Length);
  return Length;
}

// A picture with smooth areas, edges and some noise, as scanned or rendered images have.
std::vector<uint8_t> MakePicture(int W, int H, unsigned Seed) {
  std::mt19937 Rng(Seed);
  std::vector<uint8_t> P(size_t(W) * size_t(H));
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      int V = (X / 9 + Y / 13) + ((X * X + Y * 3) / 4000);
      if ((X / 64 + Y / 64) % 5 == 0) V += int(Rng() % 6);
      P[size_t(Y) * size_t(W) + size_t(X)] = uint8_t(V);
    }
  return P;
}

std::vector<uint8_t> EncodeGif(int W, int H, int Frames) {
  TMemoryOut Out;
  int Error = 0;
  GifFileType* File = EGifOpen(&Out, WriteToMemory, &Error);
  if (!File) throw std::runtime_error("encoder");
  GifColorType Colors[256];
  for (int I = 0; I < 256; ++I) Colors[I] = GifColorType{uint8_t(I), uint8_t(255 - I), uint8_t(I * 3)};
  ColorMapObject* Map = GifMakeMapObject(256, Colors);
  EGifSetGifVersion(File, true);
  EGifPutScreenDesc(File, W, H, 8, 0, Map);
  if (Frames > 1) {
    const uint8_t Loop[3] = {1, 0, 0};
    EGifPutExtensionLeader(File, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(File, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(File, 3, Loop);
    EGifPutExtensionTrailer(File);
  }
  for (int F = 0; F < Frames; ++F) {
    if (Frames > 1) {
      GraphicsControlBlock Control{DISPOSE_DO_NOT, false, 5, NO_TRANSPARENT_COLOR};
      GifByteType Bytes[4];
      EGifGCBToExtension(&Control, Bytes);
      EGifPutExtension(File, GRAPHICS_EXT_FUNC_CODE, 4, Bytes);
    }
    auto Pixels = MakePicture(W, H, unsigned(F + 1));
    EGifPutImageDesc(File, 0, 0, W, H, false, nullptr);
    for (int Y = 0; Y < H; ++Y) EGifPutLine(File, &Pixels[size_t(Y) * size_t(W)], W);
  }
  EGifCloseFile(File, &Error);
  GifFreeMapObject(Map);
  return Out.Bytes;
}

struct TMemoryIn {
  const std::vector<uint8_t>* Bytes;
  size_t Pos;
};

int ReadFromMemory(GifFileType* File, GifByteType* Data, int Length) {
  auto* In = static_cast<TMemoryIn*>(File->UserData);
  const size_t N = std::min(size_t(Length), In->Bytes->size() - In->Pos);
  std::memcpy(Data, In->Bytes->data() + In->Pos, N);
  In->Pos += N;
  return int(N);
}

const std::vector<uint8_t>& LargeImage() {
  static const auto Bytes = EncodeGif(2000, 2000, 1);
  return Bytes;
}

const std::vector<uint8_t>& Animation() {
  static const auto Bytes = EncodeGif(200, 200, 100);
  return Bytes;
}

const std::vector<uint8_t>& Input(int Which) { return Which == 0 ? LargeImage() : Animation(); }

void Ours(benchmark::State& State) {
  const auto& Bytes = Input(int(State.range(0)));
  for (auto _ : State) {
    TGif Gif;
    Gif.LoadFromBuffer(Bytes.data(), Bytes.size());
    benchmark::DoNotOptimize(Gif.Images.back()->Pixels.data());
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Bytes.size()));
}

void Reference(benchmark::State& State) {
  const auto& Bytes = Input(int(State.range(0)));
  for (auto _ : State) {
    TMemoryIn In{&Bytes, 0};
    int Error = 0;
    GifFileType* File = DGifOpen(&In, ReadFromMemory, &Error);
    if (!File || DGifSlurp(File) != GIF_OK) State.SkipWithError("reference decoder failed");
    benchmark::DoNotOptimize(File->SavedImages[File->ImageCount - 1].RasterBits);
    DGifCloseFile(File, &Error);
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Bytes.size()));
}

// The whole load as the viewer does it: parse, decode and build the frame strip.
void OursWithStrip(benchmark::State& State) {
  const auto& Bytes = Input(int(State.range(0)));
  for (auto _ : State) {
    auto Image = ReadGifImage(Bytes.data(), Bytes.size());
    benchmark::DoNotOptimize(Image->StripPixels().data());
  }
}

}  // namespace

// Argument 0: the 2000x2000 image; 1: the 100-frame animation.
BENCHMARK(Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Reference)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(OursWithStrip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
