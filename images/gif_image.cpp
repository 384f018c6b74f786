#include "images/gif_image.h"

#include <algorithm>
#include <fstream>
#include <iterator>

int GifFrameDelay(const TGifGraphicControl& Control) {
  int Hundredths = Control.Present && Control.Delay > 0 ? Control.Delay : 1;
  return std::max(30, 10 * Hundredths);
}

void TGIFImage::LoadFromBuffer(const uint8_t* Data, size_t Size) {
  FrameCount = 0;
  FStore = std::make_shared<const TFrameStore>();
  FDecodedFrame = 0;
  auto Store = std::make_shared<TFrameStore>();
  // The compressed data of all frames is less than the file: one allocation holds it.
  Store->Data.reserve(Size);
  Transparent = false;
  TGif Gif;
  int64_t FramePixels = 0;
  Gif.LoadFromBuffer(Data, Size, [&](TGif& Sender, TGifImageRecord& Image, const uint8_t* Lzw, size_t LzwSize) {
    AddFrame(*Store, Sender, Image, Lzw, LzwSize, FramePixels);
  });
  const int W = Gif.ScreenWidth, H = Gif.ScreenHeight;
  if (W <= 0 || H <= 0) throw EGifError(geInvalidBitmapImage, GifErrorText(geInvalidBitmapImage));
  // The screen is composed whole; frames are decoded one at a time.
  if (int64_t(W) * H > GifMaxPixels())
    throw EGifError(geSpecialMessage, "image too large: " + std::to_string(W) + "x" + std::to_string(H) +
                                          " exceeds " + std::to_string(GifMaxPixels()) + " pixels");
  Width = W;
  Height = H;
  FrameCount = int(Store->Frames.size());
  FStore = std::move(Store);
  Animated = FrameCount > 1;
  LoopCount = Gif.LoopCount < 1 ? 0 : Gif.LoopCount;
  FCurrentFrame = 1;
  FAnimate = false;
  FCurrentLoop = 1;
  FPendingDisposal = Animated ? 2 : 0;
  FComposite.clear();
}

void TGIFImage::AddFrame(TFrameStore& Store, const TGif& Gif, const TGifImageRecord& Image, const uint8_t* Lzw,
                         size_t LzwSize, int64_t& FramePixels) {
  const int64_t Pixels = int64_t(Image.Width) * Image.Height;
  FramePixels += Pixels;
  if (Pixels > GifMaxPixels())
    throw EGifError(geSpecialMessage, "image too large: a frame of " + std::to_string(Image.Width) + "x" +
                                          std::to_string(Image.Height) + " exceeds " +
                                          std::to_string(GifMaxPixels()) + " pixels");
  if (FramePixels > GifMaxAnimationPixels())
    throw EGifError(geSpecialMessage, "image too large: its frames exceed " +
                                          std::to_string(GifMaxAnimationPixels()) + " pixels together");
  // Bad data fails the file now rather than when the frame comes to be shown.
  CheckGifLZW(Lzw, LzwSize, Image.CodeSize, Pixels);

  TgfFrame& F = Store.Frames.emplace_back();
  F.Disposal = Image.Control.Present ? Image.Control.Disposal & 3 : 0;
  F.Left = Image.Left;
  F.Top = Image.Top;
  F.Width = Image.Width;
  F.Height = Image.Height;
  F.Delay = GifFrameDelay(Image.Control);
  F.Transparent = Image.Control.Transparent;
  Transparent = Transparent || F.Transparent;

  TFrameData& D = Store.FrameData.emplace_back();
  D.Start = Store.Data.size();
  D.Size = LzwSize;
  Store.Data.insert(Store.Data.end(), Lzw, Lzw + LzwSize);
  D.CodeSize = Image.CodeSize;
  D.Interlaced = Image.Interlaced;
  D.TransparentIndex = F.Transparent ? Image.Control.TransparentIndex : -1;
  if (Image.ColorTable < 0) return;
  const TGifColorTable& Table = Gif.ColorTables[size_t(Image.ColorTable)];
  D.ColorCount = Table.Count;
  const bool Global = Image.ColorTable == Gif.GlobalTable;
  if (Global && Store.GlobalColors != SIZE_MAX) {
    D.Colors = Store.GlobalColors;
    return;
  }
  D.Colors = Store.Colors.size();
  Store.Colors.insert(Store.Colors.end(), Table.Colors, Table.Colors + Table.Count);
  if (Global) Store.GlobalColors = D.Colors;
}

const TGifPixels& TGIFImage::FrameIndices(int N) const {
  if (FDecodedFrame != N) {
    const TgfFrame& F = Frame(N);
    const TFrameData& D = FStore->FrameData[size_t(N - 1)];
    FDecoded.Width = F.Width;
    // Rows below the screen are never shown; interlaced ones arrive mixed and are decoded whole.
    FDecoded.Height = D.Interlaced ? F.Height : std::min(F.Height, Height);
    FDecoded.Interlaced = D.Interlaced;
    FDecodedFrame = 0;  // stays unset if decoding throws
    DecodeGifLZW(FStore->Data.data() + D.Start, D.Size, D.CodeSize, FDecoded);
    FDecodedFrame = N;
  }
  return FDecoded.Pixels;
}

void TGIFImage::FrameColors(int N, uint32_t (&Colors)[256]) const {
  // Every index is safe to look up: entries past the file's table are black.
  const TFrameData& D = FStore->FrameData[size_t(N - 1)];
  for (int I = 0; I < D.ColorCount; ++I) Colors[I] = FStore->Colors[D.Colors + size_t(I)];
  std::fill(Colors + D.ColorCount, Colors + 256, 0u);
}

std::vector<uint32_t> TGIFImage::FirstFrameBitmap() const {
  std::vector<uint32_t> Out(size_t(Width) * size_t(Height), 0u);
  if (FrameCount == 0) return Out;
  const TgfFrame& F = Frame(1);
  const int W = std::min(F.Width, Width), H = std::min(F.Height, Height);
  if (W <= 0 || H <= 0) return Out;
  uint32_t Colors[256];
  FrameColors(1, Colors);
  const TGifPixels& Indices = FrameIndices(1);
  for (int Y = 0; Y < H; ++Y) {
    const uint8_t* Src = &Indices[size_t(Y) * size_t(F.Width)];
    uint32_t* Dst = &Out[size_t(Y) * size_t(Width)];
    for (int X = 0; X < W; ++X) Dst[X] = Colors[Src[X]];
  }
  return Out;
}

std::vector<uint8_t> TGIFImage::FirstFrameMask() const {
  std::vector<uint8_t> Out;
  if (!MaskUsed()) return Out;
  Out.assign(size_t(Width) * size_t(Height), 0);
  const TgfFrame& F = Frame(1);
  const int Index = FStore->FrameData[0].TransparentIndex;
  const int W = std::min(F.Width, Width), H = std::min(F.Height, Height);
  if (Index < 0 || W <= 0 || H <= 0) return Out;
  const TGifPixels& Indices = FrameIndices(1);
  for (int Y = 0; Y < H; ++Y) {
    const uint8_t* Src = &Indices[size_t(Y) * size_t(F.Width)];
    uint8_t* Dst = &Out[size_t(Y) * size_t(Width)];
    for (int X = 0; X < W; ++X) Dst[X] = Src[X] == Index;
  }
  return Out;
}

std::vector<uint32_t> TGIFImage::FramePicture(int N) const {
  std::vector<uint32_t> Out(size_t(Width) * size_t(Height), kGifClearPixel);
  if (N >= 1 && N <= FrameCount) DrawFrameInto(N, Out.data());
  return Out;
}

size_t TGIFImage::FrameStoreBytes() const {
  const TFrameStore& S = *FStore;
  return sizeof(S) + S.Frames.capacity() * sizeof(TgfFrame) + S.FrameData.capacity() * sizeof(TFrameData) +
         S.Data.capacity() + S.Colors.capacity() * sizeof(uint32_t);
}

size_t TGIFImage::MemoryBytes() const {
  return sizeof(*this) + FrameStoreBytes() + FComposite.capacity() * sizeof(uint32_t) + FDecoded.Pixels.capacity();
}

void TGIFImage::DrawFrameInto(int N, uint32_t* Canvas) const {
  const TgfFrame& F = Frame(N);
  // The frame lands at (Left, Top), clipped to the screen.
  const int W = std::min(F.Width, Width - F.Left);
  const int H = std::min(F.Height, Height - F.Top);
  if (W <= 0 || H <= 0) return;
  uint32_t Colors[256];
  FrameColors(N, Colors);
  for (uint32_t& C : Colors) C |= 0xFF000000u;
  const TGifPixels& Indices = FrameIndices(N);
  const int Index = FStore->FrameData[size_t(N - 1)].TransparentIndex;
  for (int Y = 0; Y < H; ++Y) {
    const uint8_t* Src = &Indices[size_t(Y) * size_t(F.Width)];
    uint32_t* Dst = &Canvas[size_t(F.Top + Y) * size_t(Width) + size_t(F.Left)];
    if (Index < 0) {
      for (int X = 0; X < W; ++X) Dst[X] = Colors[Src[X]];
    } else {
      for (int X = 0; X < W; ++X)
        if (Src[X] != Index) Dst[X] = Colors[Src[X]];
    }
  }
}

void TGIFImage::DisposeCurrentInto(uint32_t* Canvas) const {
  const TgfFrame& F = Frame(FCurrentFrame);
  switch (F.Disposal) {
    case 2: {
      const int W = std::min({F.Width, Width - F.Left});
      const int H = std::min({F.Height, Height - F.Top});
      for (int Y = 0; Y < H; ++Y)
        std::fill_n(&Canvas[size_t(F.Top + Y) * size_t(Width) + size_t(F.Left)], std::max(W, 0),
                    kGifClearPixel);
      break;
    }
    case 3:
      break;  // the screen returns to what it was before this frame: the composite already is
    default:
      DrawFrameInto(FCurrentFrame, Canvas);
  }
}

void TGIFImage::AdvanceComposite() {
  FPendingDisposal = Frame(FCurrentFrame).Disposal;
  if (FCurrentFrame == FrameCount) {  // a new pass starts from a clear screen
    FComposite.clear();
    FCurrentFrame = 1;
    return;
  }
  if (FComposite.empty()) FComposite.assign(size_t(Width) * size_t(Height), kGifClearPixel);
  DisposeCurrentInto(FComposite.data());
  ++FCurrentFrame;
}

void TGIFImage::RebuildComposite() {
  const int Target = FCurrentFrame;
  FComposite.assign(size_t(Width) * size_t(Height), kGifClearPixel);
  for (FCurrentFrame = 1; FCurrentFrame < Target; ++FCurrentFrame) DisposeCurrentInto(FComposite.data());
  FCurrentFrame = Target;
}

void TGIFImage::RenderCurrent(uint32_t* Out) const {
  if (FrameCount == 0) return;
  if (FComposite.empty())
    std::fill_n(Out, size_t(Width) * size_t(Height), kGifClearPixel);
  else
    std::copy(FComposite.begin(), FComposite.end(), Out);
  if (Visible) DrawFrameInto(FCurrentFrame, Out);
}

std::vector<uint32_t> TGIFImage::RenderCurrent() const {
  std::vector<uint32_t> Out(size_t(Width) * size_t(Height), kGifClearPixel);
  RenderCurrent(Out.data());
  return Out;
}

void TGIFImage::SwitchAnimation(bool On, uint32_t Now) {
  if (On == FAnimate) return;
  FAnimate = On;
  FCurrentLoop = 1;
  if (On && FrameCount > 1) {
    FCurrentInterval = std::max(1, Frame(FCurrentFrame).Delay);
    FLastTime = Now;
  }
}

bool TGIFImage::Tick(uint32_t Now) {
  if (!FAnimate || FrameCount < 2) return false;
  // Unsigned difference: a clock that wraps around still measures the interval.
  if (Now - FLastTime < uint32_t(FCurrentInterval)) return false;
  FLastTime = Now;
  if (FCurrentFrame == FrameCount) {
    if (LoopCount > 0 && FCurrentLoop >= LoopCount) {
      FAnimate = false;
      return false;
    }
    ++FCurrentLoop;
  }
  AdvanceComposite();
  FCurrentInterval = std::max(1, Frame(FCurrentFrame).Delay);
  return true;
}

void TGIFImage::ShowFrame(int N) {
  if (FrameCount == 0 || N == FCurrentFrame) return;
  const int Pending = Animated ? 2 : Frame(FCurrentFrame).Disposal;
  if (N > FrameCount) N = 1;
  if (N <= 0) N = FrameCount;
  if (N == FCurrentFrame % FrameCount + 1) {
    AdvanceComposite();
  } else if (N != FCurrentFrame) {
    FCurrentFrame = N;
    RebuildComposite();
  }
  FPendingDisposal = Pending;
}

std::unique_ptr<TGIFImage> ReadGifImage(const uint8_t* Data, size_t Size) {
  auto Image = std::make_unique<TGIFImage>();
  Image->LoadFromBuffer(Data, Size);
  return Image;
}

std::unique_ptr<TGIFImage> LoadGifStream(const uint8_t* Data, size_t Size, bool& IsStatic) {
  IsStatic = true;
  try {
    auto Image = ReadGifImage(Data, Size);
    IsStatic = Image->FrameCount < 2;
    return Image;
  } catch (...) {
    return nullptr;
  }
}

std::unique_ptr<TGIFImage> LoadGifFile(const std::string& FileName, bool& IsStatic) {
  IsStatic = true;
  try {
    std::ifstream In(FileName, std::ios::binary);
    if (!In) return nullptr;
    std::vector<uint8_t> Data((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    return LoadGifStream(Data.data(), Data.size(), IsStatic);
  } catch (...) {
    return nullptr;
  }
}
