// GIF decoding against the reference decoder (giflib, when it is installed): files made here
// with giflib's encoder (one 2000x2000 image and a 100-frame 200x200 animation), and the
// longest animations of the shared corpus decoded and composed frame by frame, with the peak
// memory each side takes.
#include <benchmark/benchmark.h>
#include <malloc.h>

#ifdef QJX_HAVE_GIFLIB
#include <gif_lib.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "images/gif_image.h"

// Every C++ allocation of this program is counted, so that a benchmark can read the most its
// code held at once. giflib allocates with malloc; its side is read from the heap statistics.
namespace {
std::atomic<size_t> GLiveBytes{0}, GPeakBytes{0};
constexpr size_t kSizeHeader = 16;  // keeps the block aligned for any type
}  // namespace

[[gnu::noinline]] void* operator new(size_t Size) {
  void* Block = std::malloc(Size + kSizeHeader);
  if (!Block) throw std::bad_alloc();
  *static_cast<size_t*>(Block) = Size;
  const size_t Live = GLiveBytes += Size;
  size_t Peak = GPeakBytes.load();
  while (Live > Peak && !GPeakBytes.compare_exchange_weak(Peak, Live)) {
  }
  return static_cast<char*>(Block) + kSizeHeader;
}
[[gnu::noinline]] void operator delete(void* P) noexcept {
  if (!P) return;
  char* Block = static_cast<char*>(P) - kSizeHeader;
  GLiveBytes -= *reinterpret_cast<size_t*>(Block);
  std::free(Block);
}
void operator delete(void* P, size_t) noexcept { operator delete(P); }

namespace {

// Starts counting the peak from what is live now; PeakSince gives the most held above it.
size_t StartPeak() {
  const size_t Live = GLiveBytes.load();
  GPeakBytes = Live;
  return Live;
}
size_t PeakSince(size_t Start) { return GPeakBytes.load() - Start; }

#ifdef QJX_HAVE_GIFLIB
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

// The whole load as the viewer does it, then every frame composed in turn.
void OursAllFrames(benchmark::State& State) {
  const auto& Bytes = Input(int(State.range(0)));
  for (auto _ : State) {
    auto Image = ReadGifImage(Bytes.data(), Bytes.size());
    std::vector<uint32_t> Out(size_t(Image->Width) * size_t(Image->Height));
    for (int F = 1; F <= Image->FrameCount; ++F) {
      Image->ShowFrame(F);
      Image->RenderCurrent(Out.data());
    }
    benchmark::DoNotOptimize(Out.data());
  }
}
#endif

// The corpus animations with the most pixels to compose (frames x screen): read once.
struct TAnimation {
  std::string Name;
  std::vector<uint8_t> Bytes;
  int Width = 0, Height = 0, Frames = 0;
};

std::vector<uint8_t> ReadBytes(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

const std::vector<TAnimation>& LongestAnimations() {
  static const std::vector<TAnimation> Found = [] {
    std::vector<TAnimation> All;
    const std::filesystem::path Dir = std::filesystem::path(QJX_SHARED_DIR) / "corpus/images/gif";
    std::error_code Error;
    if (!std::filesystem::is_directory(Dir, Error)) return All;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Dir, Error)) {
      if (!Entry.is_regular_file() || Entry.path().extension() != ".gif") continue;
      TAnimation A{Entry.path().filename().string(), ReadBytes(Entry.path())};
      bool IsStatic = true;
      auto Image = LoadGifStream(A.Bytes.data(), A.Bytes.size(), IsStatic);
      if (!Image || Image->FrameCount < 10) continue;
      A.Width = Image->Width;
      A.Height = Image->Height;
      A.Frames = Image->FrameCount;
      All.push_back(std::move(A));
    }
    auto Work = [](const TAnimation& A) { return int64_t(A.Width) * A.Height * A.Frames; };
    std::sort(All.begin(), All.end(), [&](const TAnimation& X, const TAnimation& Y) { return Work(X) > Work(Y); });
    if (All.size() > 3) All.resize(3);
    return All;
  }();
  return Found;
}

// What the targets are measured against: one composed frame of 4-byte pixels.
double FrameBytes(const TAnimation& A) { return 4.0 * A.Width * A.Height; }

void SetCounters(benchmark::State& State, const TAnimation& A, size_t Peak) {
  State.counters["frames"] = A.Frames;
  State.counters["peak_bytes"] = double(Peak);
  // The memory target: under 4 composed frames plus the file.
  State.counters["peak_per_4_frames_and_file"] = double(Peak) / (4 * FrameBytes(A) + double(A.Bytes.size()));
  State.SetItemsProcessed(int64_t(State.iterations()) * A.Frames);
}

// Decoding and composing every frame as the viewer shows them, one after another.
void OursCorpus(benchmark::State& State, const TAnimation* A) {
  size_t Peak = 0;
  for (auto _ : State) {
    const size_t Start = StartPeak();
    {
      auto Image = ReadGifImage(A->Bytes.data(), A->Bytes.size());
      std::vector<uint32_t> Out(size_t(Image->Width) * size_t(Image->Height));
      for (int F = 1; F <= Image->FrameCount; ++F) {
        Image->ShowFrame(F);
        Image->RenderCurrent(Out.data());
        benchmark::DoNotOptimize(Out.data());
      }
    }
    Peak = std::max(Peak, PeakSince(Start));
  }
  SetCounters(State, *A, Peak);
}

#ifdef QJX_HAVE_GIFLIB
size_t HeapInUse() { return mallinfo2().uordblks; }

// The same with giflib: the whole file read, then each frame drawn over the screen with its
// disposal method, as our composition does.
void ReferenceCorpus(benchmark::State& State, const TAnimation* A) {
  size_t Peak = 0;
  for (auto _ : State) {
    const size_t Before = HeapInUse();
    TMemoryIn In{&A->Bytes, 0};
    int Error = 0;
    GifFileType* File = DGifOpen(&In, ReadFromMemory, &Error);
    if (!File || DGifSlurp(File) != GIF_OK) {
      State.SkipWithError("reference decoder failed");
      if (File) DGifCloseFile(File, &Error);
      return;
    }
    const int W = File->SWidth, H = File->SHeight;
    std::vector<uint32_t> Screen(size_t(W) * size_t(H), 0), Saved, Out(Screen.size());
    for (int I = 0; I < File->ImageCount; ++I) {
      const SavedImage& Frame = File->SavedImages[I];
      GraphicsControlBlock Control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
      DGifSavedExtensionToGCB(File, I, &Control);
      const ColorMapObject* Map = Frame.ImageDesc.ColorMap ? Frame.ImageDesc.ColorMap : File->SColorMap;
      uint32_t Colors[256] = {};
      for (int C = 0; Map && C < Map->ColorCount && C < 256; ++C)
        Colors[C] = 0xFF000000u | Map->Colors[C].Red | (uint32_t(Map->Colors[C].Green) << 8) |
                    (uint32_t(Map->Colors[C].Blue) << 16);
      const GifImageDesc& D = Frame.ImageDesc;
      if (Control.DisposalMode == DISPOSE_PREVIOUS) Saved = Screen;
      const int FW = std::min(D.Width, W - D.Left), FH = std::min(D.Height, H - D.Top);
      for (int Y = 0; Y < FH; ++Y) {
        const GifByteType* Src = Frame.RasterBits + size_t(Y) * size_t(D.Width);
        uint32_t* Dst = &Screen[size_t(D.Top + Y) * size_t(W) + size_t(D.Left)];
        for (int X = 0; X < FW; ++X)
          if (Src[X] != Control.TransparentColor) Dst[X] = Colors[Src[X]];
      }
      std::copy(Screen.begin(), Screen.end(), Out.begin());
      benchmark::DoNotOptimize(Out.data());
      if (Control.DisposalMode == DISPOSE_BACKGROUND)
        for (int Y = 0; Y < FH; ++Y)
          std::fill_n(&Screen[size_t(D.Top + Y) * size_t(W) + size_t(D.Left)], std::max(FW, 0), 0u);
      else if (Control.DisposalMode == DISPOSE_PREVIOUS)
        Screen.swap(Saved);
    }
    // The slurped file and the three screens are all held here, at the peak.
    Peak = std::max(Peak, HeapInUse() - Before + 3 * Screen.size() * sizeof(uint32_t));
    DGifCloseFile(File, &Error);
  }
  SetCounters(State, *A, Peak);
}
#endif

void CorpusAbsent(benchmark::State& State) {
  for (auto _ : State) {
  }
  State.SkipWithError("no animations found: the shared corpus (../shared) is absent");
}

const bool Registered = [] {
  const auto& Animations = LongestAnimations();
  if (Animations.empty()) benchmark::RegisterBenchmark("CorpusAnimation", CorpusAbsent);
  for (const auto& A : Animations) {
    benchmark::RegisterBenchmark(("OursCorpus/" + A.Name).c_str(), OursCorpus, &A)->Unit(benchmark::kMillisecond);
#ifdef QJX_HAVE_GIFLIB
    benchmark::RegisterBenchmark(("ReferenceCorpus/" + A.Name).c_str(), ReferenceCorpus, &A)
        ->Unit(benchmark::kMillisecond);
#endif
  }
  return true;
}();

}  // namespace

#ifdef QJX_HAVE_GIFLIB
// Argument 0: the 2000x2000 image; 1: the 100-frame animation.
BENCHMARK(Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Reference)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(OursAllFrames)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
#endif
