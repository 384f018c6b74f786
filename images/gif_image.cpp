#include "images/gif_image.h"

#include <algorithm>
#include <fstream>
#include <iterator>

int GifFrameDelay(const TGifGraphicControl& Control) {
  int Hundredths = Control.Present && Control.Delay > 0 ? Control.Delay : 1;
  return std::max(30, 10 * Hundredths);
}

void TGIFImage::Assign(const TGif& Gif) {
  Width = Gif.ScreenWidth;
  Height = Gif.ScreenHeight;
  FrameCount = Gif.ImageCount();
  if (Width <= 0 || Height <= 0 || FrameCount <= 0)
    throw EGifError(geInvalidBitmapImage, GifErrorText(geInvalidBitmapImage));
  const int64_t StripPixels = int64_t(Width) * FrameCount * Height;
  if (StripPixels > GifMaxPixels())
    throw EGifError(geSpecialMessage, "image too large: " + std::to_string(Width) + "x" +
                                          std::to_string(Height) + " with " + std::to_string(FrameCount) +
                                          " frames exceeds " + std::to_string(GifMaxPixels()) + " pixels");
  Animated = FrameCount > 1;
  LoopCount = Gif.LoopCount < 1 ? 0 : Gif.LoopCount;
  Transparent = Gif.AnyTransparent();

  const size_t SW = size_t(StripWidth());
  FStrip.resize(size_t(StripPixels));
  if (Transparent)
    FStripMask.assign(size_t(StripPixels), 0);
  else
    FStripMask.clear();
  FFrames.assign(size_t(FrameCount), TgfFrame());
  for (int I = 0; I < FrameCount; ++I) {
    const TGifImageRecord& Image = *Gif.Images[size_t(I)];
    TgfFrame& F = FFrames[size_t(I)];
    F.Disposal = Image.Control.Present ? Image.Control.Disposal & 3 : 0;
    F.Left = Image.Left;
    F.Top = Image.Top;
    F.Width = Image.Width;
    F.Height = Image.Height;
    F.Delay = GifFrameDelay(Image.Control);
    F.Transparent = Image.Control.Transparent;

    // Colour lookups go through a full 256-entry table, so any index is safe: entries past
    // the file's table are black.
    const uint32_t* Colors = Image.ColorTable >= 0 ? Gif.ColorTables[size_t(Image.ColorTable)].Colors : nullptr;
    static const uint32_t kBlack[256] = {};
    if (!Colors) Colors = kBlack;
    const int W = std::min(Image.Width, Width);
    const int H = std::min(Image.Height, Height);
    const int TransIndex = F.Transparent ? Image.Control.TransparentIndex : -1;
    for (int Y = 0; Y < Height; ++Y) {
      uint32_t* Dst = &FStrip[size_t(Y) * SW + size_t(Width) * size_t(I)];
      if (Y >= H || W <= 0) {
        std::fill_n(Dst, size_t(Width), 0u);
        continue;
      }
      const uint8_t* Src = &Image.Pixels[size_t(Y) * size_t(Image.Width)];
      for (int X = 0; X < W; ++X) Dst[X] = Colors[Src[X]];
      std::fill(Dst + W, Dst + Width, 0u);
      if (TransIndex >= 0) {
        uint8_t* M = &FStripMask[size_t(Y) * SW + size_t(Width) * size_t(I)];
        for (int X = 0; X < W; ++X) M[X] = Src[X] == TransIndex;
      }
    }
  }
  FCurrentFrame = 1;
  FAnimate = false;
  FCurrentLoop = 1;
  FPendingDisposal = Animated ? 2 : 0;
  FComposite.clear();
}

std::vector<uint32_t> TGIFImage::FirstFrameBitmap() const {
  std::vector<uint32_t> Out(size_t(Width) * size_t(Height));
  const size_t SW = size_t(StripWidth());
  for (int Y = 0; Y < Height; ++Y)
    std::copy_n(&FStrip[size_t(Y) * SW], size_t(Width), &Out[size_t(Y) * size_t(Width)]);
  return Out;
}

std::vector<uint8_t> TGIFImage::FirstFrameMask() const {
  std::vector<uint8_t> Out;
  if (!MaskUsed()) return Out;
  Out.resize(size_t(Width) * size_t(Height));
  const size_t SW = size_t(StripWidth());
  for (int Y = 0; Y < Height; ++Y)
    std::copy_n(&FStripMask[size_t(Y) * SW], size_t(Width), &Out[size_t(Y) * size_t(Width)]);
  return Out;
}

void TGIFImage::DrawFrameInto(int N, uint32_t* Canvas) const {
  const TgfFrame& F = Frame(N);
  // The strip holds the frame cut to the screen size; it lands at (Left, Top), clipped.
  const int W = std::min({F.Width, Width, Width - F.Left});
  const int H = std::min({F.Height, Height, Height - F.Top});
  const size_t SW = size_t(StripWidth());
  const size_t Column = size_t(Width) * size_t(N - 1);
  const bool Masked = F.Transparent && MaskUsed();
  for (int Y = 0; Y < H; ++Y) {
    const size_t S = size_t(Y) * SW + Column;
    uint32_t* Dst = &Canvas[size_t(F.Top + Y) * size_t(Width) + size_t(F.Left)];
    for (int X = 0; X < W; ++X)
      if (!Masked || !FStripMask[S + size_t(X)]) Dst[X] = FStrip[S + size_t(X)] | 0xFF000000u;
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
  auto Gif = std::make_unique<TGif>();
  Gif->LoadFromBuffer(Data, Size);
  auto Image = std::make_unique<TGIFImage>();
  Image->Assign(*Gif);
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
