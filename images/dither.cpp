#include "images/dither.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "images/color_quantizer.h"

namespace {

constexpr TColor kStaticColors[20] = {
    RGBColor(0, 0, 0),       RGBColor(128, 0, 0),     RGBColor(0, 128, 0),     RGBColor(128, 128, 0),
    RGBColor(0, 0, 128),     RGBColor(128, 0, 128),   RGBColor(0, 128, 128),   RGBColor(192, 192, 192),
    RGBColor(192, 220, 192), RGBColor(166, 202, 240), RGBColor(255, 251, 240), RGBColor(160, 160, 164),
    RGBColor(128, 128, 128), RGBColor(255, 0, 0),     RGBColor(0, 255, 0),     RGBColor(255, 255, 0),
    RGBColor(0, 0, 255),     RGBColor(255, 0, 255),   RGBColor(0, 255, 255),   RGBColor(255, 255, 255),
};

void CheckSource(const TPixelRows& Source) {
  if (Source.Width < 0 || Source.Height < 0 || (!Source.Bits && Source.Width > 0 && Source.Height > 0) ||
      (Source.Height > 1 && Source.Stride == 0))
    throw GIFException("Bitmap image is not valid");
  if (Source.BytesPerPixel != 3 && Source.BytesPerPixel != 4) throw GIFException("Invalid pixel format");
  if (std::llabs(int64_t(Source.Stride)) < int64_t(Source.Width) * Source.BytesPerPixel && Source.Height > 0)
    throw GIFException("Bitmap image is not valid");
}

template <class TEngine>
void MapRows(const TPixelRows& Source, TEngine& Engine, TMappedImage& Target) {
  const int BPP = Source.BytesPerPixel;
  for (int Y = 0; Y < Source.Height; ++Y) {
    const uint8_t* Src = Source.Row(Y) + ptrdiff_t(Engine.Column) * BPP;
    uint8_t* Dst = Target.Row(Y) + Engine.Column;
    const ptrdiff_t SrcStep = ptrdiff_t(Engine.Direction) * BPP;
    const int Step = Engine.Direction;
    for (int N = Source.Width; N > 0; --N) {
      *Dst = Engine.MapPixel(Src[2], Src[1], Src[0]);
      Src += SrcStep;
      Dst += Step;
    }
    Engine.NextRow();
  }
}

template <class TLookup>
void MapWith(const TPixelRows& Source, TLookup& Lookup, int Dither, TMappedImage& Target) {
  if (Dither == dmFloydSteinberg) {
    TFloydSteinbergEngine<TLookup> Engine(Lookup, Source.Width);
    MapRows(Source, Engine, Target);
  } else {
    TDitherEngine<TLookup> Engine(Lookup, Source.Width);
    MapRows(Source, Engine, Target);
  }
}

}  // namespace

const TColorTable& SystemDefaultColors() {
  static const TColorTable Colors(std::begin(kStaticColors), std::end(kStaticColors));
  return Colors;
}

const TColorTable& CubeColors() {
  static const TColorTable Colors = [] {
    TColorTable C;
    for (int R = 0; R < 6; ++R)
      for (int G = 0; G < 6; ++G)
        for (int B = 0; B < 6; ++B) C.push_back(RGBColor(51 * R, 51 * G, 51 * B));
    return C;
  }();
  return Colors;
}

const TColorTable& SharedPalette() {
  static const TColorTable Colors = [] {
    TColorTable C(256, clBlack);
    for (int I = 0; I < 10; ++I) {
      C[size_t(I)] = kStaticColors[I];
      C[size_t(246 + I)] = kStaticColors[10 + I];
    }
    static const int Levels[6] = {55, 115, 165, 205, 235, 255};
    size_t N = 10;
    for (int B : Levels)
      for (int G : Levels)
        for (int R : Levels)
          if (R != 255 || G != 255 || B != 255) C[N++] = RGBColor(R, G, B);
    // Greys the cube lacks; 165, 205 and 235 already lie on its grey diagonal.
    for (int I = 1; I <= 24; ++I)
      if (I != 7 && I != 15 && I != 21) C[N++] = RGBColor(5 * I + 130, 5 * I + 130, 5 * I + 130);
    return C;
  }();
  return Colors;
}

TColorTable DuplicatePalette(const TColorTable& Palette, int ScreenBits) {
  if (ScreenBits > 8 || Palette.empty()) return {};
  return TColorTable(Palette.begin(), Palette.begin() + long(std::min<size_t>(256, Palette.size())));
}

TFastColorLookup::TFastColorLookup(const TColorTable& Palette)
    : FPalette(Palette.begin(), Palette.begin() + long(std::min<size_t>(256, Palette.size()))), FInverse(32768, -1) {
  for (size_t I = 0; I < FPalette.size(); ++I) {
    const TColor C = FPalette[I];
    const int Slot = (GetRValue(C) >> 3) | ((GetGValue(C) >> 3) << 5) | ((GetBValue(C) >> 3) << 10);
    if (FInverse[size_t(Slot)] < 0) FInverse[size_t(Slot)] = int16_t(I);
  }
}

int TFastColorLookup::Search(int Slot, int Red, int Green, int Blue) {
  int Best = 0, BestDistance = 196608;
  for (size_t I = 0; I < FPalette.size(); ++I) {
    const TColor C = FPalette[I];
    const int D = std::abs(GetRValue(C) - Red) + std::abs(GetGValue(C) - Green) + std::abs(GetBValue(C) - Blue);
    if (D < BestDistance) {
      BestDistance = D;
      Best = int(I);
    }
  }
  FInverse[size_t(Slot)] = int16_t(Best);
  return Best;
}

TColorTable BuildOctreePalette(const TPixelRows& Source, int Colors, int ColorBits, bool WithSystemColors) {
  CheckSource(Source);
  TColorQuantizer Quantizer(Colors, ColorBits);
  Quantizer.AddRows(Source.Bits, Source.Width, Source.Height, Source.Stride, Source.BytesPerPixel);
  TColorTable Quantized = Quantizer.Colors();
  if (!WithSystemColors) return Quantized;
  TColorTable Out(256, clBlack);
  for (int I = 0; I < 10; ++I) {
    Out[size_t(I)] = kStaticColors[I];
    Out[size_t(246 + I)] = kStaticColors[10 + I];
  }
  std::copy_n(Quantized.begin(), std::min<size_t>(236, Quantized.size()), Out.begin() + 10);
  return Out;
}

TMappedImage MapToPalette(const TPixelRows& Source, int Palette, int Dither) {
  CheckSource(Source);
  TMappedImage Target;
  Target.Width = Source.Width;
  Target.Height = Source.Height;
  const size_t Pixels = size_t(Source.Width) * size_t(Source.Height);
  if (Palette == rpNone) {
    Target.BitsPerPixel = 24;
    Target.Pixels.resize(Pixels * 3);
    for (int Y = 0; Y < Source.Height; ++Y) {
      const uint8_t* Src = Source.Row(Y);
      uint8_t* Dst = Target.Row(Y);
      if (Source.BytesPerPixel == 3) {
        std::memcpy(Dst, Src, size_t(Source.Width) * 3);
      } else {
        for (int X = 0; X < Source.Width; ++X, Src += 4, Dst += 3) std::memcpy(Dst, Src, 3);
      }
    }
    return Target;
  }
  Target.BitsPerPixel = 8;
  Target.Pixels.assign(Pixels, 0);
  if (Dither != dmNone && Dither != dmFloydSteinberg) return Target;
  switch (Palette) {
    case rpSystem: Target.Palette = SystemDefaultColors(); break;
    case rpCube: Target.Palette = CubeColors(); break;
    case rpShared: Target.Palette = SharedPalette(); break;
    case rpOptimized: Target.Palette = BuildOctreePalette(Source, 236, 8, true); break;
    default: return Target;
  }
  if (Pixels == 0) return Target;
  if (Palette == rpCube) {
    TNetscapeColorLookup Lookup;
    MapWith(Source, Lookup, Dither, Target);
  } else {
    TFastColorLookup Lookup(Target.Palette);
    if (Lookup.Colors() == 0) return Target;
    MapWith(Source, Lookup, Dither, Target);
  }
  return Target;
}

TMappedImage PrepareForScreen(const TPixelRows& Source, int ScreenBits) {
  return MapToPalette(Source, ScreenBits < 8 ? rpSystem : rpShared, dmFloydSteinberg);
}
