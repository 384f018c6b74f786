// Colour reduction: the palettes, the nearest-colour lookups, every palette choice on known
// images, and the error diffusion of Floyd-Steinberg.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "images/color_quantizer.h"
#include "images/dither.h"

namespace {

// A source image of blue, green, red(, unused) bytes.
struct TSource {
  int Width, Height, BPP;
  std::vector<uint8_t> Bytes;
  TSource(int W, int H, int ABPP = 3) : Width(W), Height(H), BPP(ABPP), Bytes(size_t(W) * size_t(H) * size_t(ABPP)) {}
  void Set(int X, int Y, TColor C) {
    uint8_t* P = &Bytes[(size_t(Y) * size_t(Width) + size_t(X)) * size_t(BPP)];
    P[0] = uint8_t(GetBValue(C));
    P[1] = uint8_t(GetGValue(C));
    P[2] = uint8_t(GetRValue(C));
  }
  void Fill(TColor C) {
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < Width; ++X) Set(X, Y, C);
  }
  TPixelRows Rows() const { return TPixelRows{Bytes.data(), Width, Height, ptrdiff_t(Width) * BPP, BPP}; }
};

TColor MappedColor(const TMappedImage& Image, int X, int Y) { return Image.Palette[Image.Row(Y)[X]]; }

// The average of the mapped colours, per channel.
void Average(const TMappedImage& Image, double& R, double& G, double& B) {
  R = G = B = 0;
  for (int Y = 0; Y < Image.Height; ++Y)
    for (int X = 0; X < Image.Width; ++X) {
      TColor C = MappedColor(Image, X, Y);
      R += GetRValue(C);
      G += GetGValue(C);
      B += GetBValue(C);
    }
  const double N = double(Image.Width) * Image.Height;
  R /= N;
  G /= N;
  B /= N;
}

}  // namespace

TEST(DitherPalettes, FixedPalettesHaveTheirLayout) {
  const TColorTable& System = SystemDefaultColors();
  ASSERT_EQ(System.size(), 20u);
  EXPECT_EQ(System[0], clBlack);
  EXPECT_EQ(System[19], clWhite);
  EXPECT_EQ(System[13], clRed);

  const TColorTable& Cube = CubeColors();
  ASSERT_EQ(Cube.size(), 216u);
  EXPECT_EQ(Cube[36 * 5 + 6 * 2 + 0], RGBColor(255, 102, 0));
  EXPECT_EQ(Cube[215], clWhite);

  const TColorTable& Shared = SharedPalette();
  ASSERT_EQ(Shared.size(), 256u);
  for (int I = 0; I < 10; ++I) {
    EXPECT_EQ(Shared[size_t(I)], System[size_t(I)]);
    EXPECT_EQ(Shared[size_t(246 + I)], System[size_t(10 + I)]);
  }
  EXPECT_EQ(Shared[10], RGBColor(55, 55, 55));
  EXPECT_EQ(Shared[11], RGBColor(115, 55, 55));   // red varies fastest
  EXPECT_EQ(Shared[16], RGBColor(55, 115, 55));
  EXPECT_EQ(Shared[224], RGBColor(235, 255, 255));  // the cube without its white corner
  EXPECT_EQ(Shared[225], RGBColor(135, 135, 135));
  EXPECT_EQ(Shared[245], RGBColor(250, 250, 250));
  std::set<TColor> Greys;
  for (int I = 225; I <= 245; ++I) Greys.insert(Shared[size_t(I)]);
  EXPECT_EQ(Greys.size(), 21u);
  EXPECT_EQ(Greys.count(RGBColor(165, 165, 165)), 0u);

  EXPECT_TRUE(DuplicatePalette(Shared, 24).empty());
  EXPECT_EQ(DuplicatePalette(Shared, 8), Shared);
}

TEST(DitherLookup, NearestEntryByAbsoluteDifferences) {
  TFastColorLookup Lookup(TColorTable{RGBColor(0, 0, 0), RGBColor(100, 0, 0), RGBColor(0, 100, 0), RGBColor(200, 200, 200)});
  EXPECT_EQ(Lookup.Colors(), 4);
  TColor Chosen;
  EXPECT_EQ(Lookup.NearestEntry(100, 0, 0, Chosen), 1);
  EXPECT_EQ(Chosen, RGBColor(100, 0, 0));
  // (50, 50, 0) is 100 away from entries 0, 1 and 2: the lowest index wins.
  EXPECT_EQ(Lookup.NearestEntry(50, 50, 0, Chosen), 0);
  EXPECT_EQ(Lookup.NearestEntry(180, 170, 190, Chosen), 3);
  // The answer is cached for the whole 8x8x8 cell: a neighbour in the cell gets it too.
  EXPECT_EQ(Lookup.NearestEntry(183, 175, 191, Chosen), 3);

  TNetscapeColorLookup Cube;
  struct TCase {
    int R, G, B, Index;
  } Cases[] = {{255, 102, 0, 192}, {23, 23, 23, 0}, {24, 24, 24, 43}, {74, 0, 0, 36}, {75, 0, 0, 72}, {255, 255, 255, 215}};
  for (const auto& C : Cases) {
    EXPECT_EQ(Cube.NearestEntry(C.R, C.G, C.B, Chosen), C.Index) << C.R << "," << C.G << "," << C.B;
    EXPECT_EQ(Chosen, CubeColors()[size_t(C.Index)]);
  }
}

TEST(DitherMap, EveryPaletteChoiceMapsItsOwnColoursExactly) {
  struct TCase {
    int Palette;
    TColorTable Colors;
  };
  // The shared palette has several entries in some 8x8x8 cells; the lookup's cell cache
  // answers them all with the first, so it is checked on its own below.
  const TCase Cases[] = {
      {rpSystem, SystemDefaultColors()},
      {rpCube, CubeColors()},
  };
  for (const auto& C : Cases) {
    for (int Dither : {dmNone, dmFloydSteinberg}) {
      SCOPED_TRACE(testing::Message() << "palette " << C.Palette << " dither " << Dither);
      // One row per colour, so no error spreads between different colours on a row.
      const int N = int(C.Colors.size());
      TSource Source(5, N);
      for (int Y = 0; Y < N; ++Y)
        for (int X = 0; X < 5; ++X) Source.Set(X, Y, C.Colors[size_t(Y)]);
      const TMappedImage Image = MapToPalette(Source.Rows(), C.Palette, Dither);
      ASSERT_EQ(Image.BitsPerPixel, 8);
      ASSERT_EQ(Image.Palette, C.Colors);
      int Wrong = 0;
      for (int Y = 0; Y < N; ++Y)
        for (int X = 0; X < 5; ++X) Wrong += MappedColor(Image, X, Y) != C.Colors[size_t(Y)];
      EXPECT_EQ(Wrong, 0);
    }
  }
  const TColorTable& Shared = SharedPalette();
  TSource Source(256, 1);
  for (int X = 0; X < 256; ++X) Source.Set(X, 0, Shared[size_t(X)]);
  const TMappedImage Image = MapToPalette(Source.Rows(), rpShared, dmNone);
  for (int X = 0; X < 256; ++X) {
    const TColor Got = MappedColor(Image, X, 0), Want = Shared[size_t(X)];
    EXPECT_EQ(GetRValue(Got) >> 3, GetRValue(Want) >> 3) << X;
    EXPECT_EQ(GetGValue(Got) >> 3, GetGValue(Want) >> 3) << X;
    EXPECT_EQ(GetBValue(Got) >> 3, GetBValue(Want) >> 3) << X;
  }
}

TEST(DitherMap, OptimizedPaletteKeepsUpTo236Colours) {
  TSource Source(236, 3, 4);
  for (int X = 0; X < 236; ++X)
    for (int Y = 0; Y < 3; ++Y) Source.Set(X, Y, RGBColor(X, 255 - X, (X * 37) & 255));
  const TMappedImage Image = MapToPalette(Source.Rows(), rpOptimized, dmNone);
  ASSERT_EQ(Image.Palette.size(), 256u);
  EXPECT_EQ(Image.Palette[0], SystemDefaultColors()[0]);
  EXPECT_EQ(Image.Palette[255], SystemDefaultColors()[19]);
  const std::set<TColor> Palette(Image.Palette.begin(), Image.Palette.end());
  for (int X = 0; X < 236; ++X) EXPECT_EQ(Palette.count(RGBColor(X, 255 - X, (X * 37) & 255)), 1u) << X;
  EXPECT_EQ(MappedColor(Image, 100, 2), RGBColor(100, 155, (100 * 37) & 255));
}

TEST(DitherMap, OctreeReducesManyColoursToTheLimit) {
  TSource Source(64, 64);
  for (int Y = 0; Y < 64; ++Y)
    for (int X = 0; X < 64; ++X) Source.Set(X, Y, RGBColor(X * 4, Y * 4, (X ^ Y) * 4));
  TColorQuantizer Quantizer(236, 8);
  Quantizer.AddRows(Source.Bytes.data(), 64, 64, 64 * 3, 3);
  EXPECT_LE(Quantizer.LeafCount(), 236);
  EXPECT_GT(Quantizer.LeafCount(), 100);
  EXPECT_EQ(int(Quantizer.Colors().size()), Quantizer.LeafCount());
  const TColorTable Plain = BuildOctreePalette(Source.Rows(), 16, 8, false);
  EXPECT_LE(Plain.size(), 16u);
  EXPECT_GE(Plain.size(), 8u);
  // A single colour averages to itself.
  TColorQuantizer One(8, 8);
  for (int I = 0; I < 1000; ++I) One.AddColor(10, 20, 30);
  EXPECT_EQ(One.Colors(), TColorTable{RGBColor(10, 20, 30)});
  // Two colours merged by a reduction average by pixel count.
  TColorQuantizer Merge(1, 8);
  for (int I = 0; I < 3; ++I) Merge.AddColor(0, 0, 0);
  Merge.AddColor(4, 8, 12);
  EXPECT_EQ(Merge.Colors(), TColorTable{RGBColor(1, 2, 3)});
}

TEST(DitherDiffusion, FlatAreasKeepTheirAverageColour) {
  struct TCase {
    int Palette;
    TColor Color;
    double Step;  // the spacing of the palette's levels near the colour
    bool Inside;  // the colour lies well inside the palette's colours: diffusion finds it
  } Cases[] = {
      {rpCube, RGBColor(128, 128, 128), 51, true},   {rpCube, RGBColor(10, 200, 77), 51, true},
      {rpShared, RGBColor(128, 128, 128), 60, true}, {rpShared, RGBColor(90, 30, 250), 60, false},
      {rpSystem, RGBColor(128, 100, 60), 128, true}, {rpOptimized, RGBColor(77, 77, 77), 51, true},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << "palette " << C.Palette << " colour " << std::hex << C.Color);
    TSource Source(64, 64);
    Source.Fill(C.Color);
    double R, G, B;
    Average(MapToPalette(Source.Rows(), C.Palette, dmFloydSteinberg), R, G, B);
    EXPECT_NEAR(R, GetRValue(C.Color), C.Step);
    EXPECT_NEAR(G, GetGValue(C.Color), C.Step);
    EXPECT_NEAR(B, GetBValue(C.Color), C.Step);
    if (!C.Inside) continue;
    // Diffusion does much better than one step on a flat area.
    EXPECT_NEAR(R, GetRValue(C.Color), 4);
    EXPECT_NEAR(G, GetGValue(C.Color), 4);
    EXPECT_NEAR(B, GetBValue(C.Color), 4);
  }
}

TEST(DitherDiffusion, MidGreyMixesTheTwoNearestCubeGreys) {
  TSource Source(32, 32);
  Source.Fill(RGBColor(128, 128, 128));
  const TMappedImage Plain = MapToPalette(Source.Rows(), rpCube, dmNone);
  std::set<TColor> PlainColors, Dithered;
  for (int Y = 0; Y < 32; ++Y)
    for (int X = 0; X < 32; ++X) PlainColors.insert(MappedColor(Plain, X, Y));
  EXPECT_EQ(PlainColors, std::set<TColor>{RGBColor(153, 153, 153)});
  const TMappedImage Image = MapToPalette(Source.Rows(), rpCube, dmFloydSteinberg);
  for (int Y = 0; Y < 32; ++Y)
    for (int X = 0; X < 32; ++X) Dithered.insert(MappedColor(Image, X, Y));
  EXPECT_EQ(Dithered, (std::set<TColor>{RGBColor(102, 102, 102), RGBColor(153, 153, 153)}));
}

TEST(DitherDiffusion, RowsAreScannedInAlternateDirections) {
  TNetscapeColorLookup Lookup;
  TFloydSteinbergEngine<TNetscapeColorLookup> Engine(Lookup, 4);
  EXPECT_EQ(Engine.Column, 0);
  for (int I = 0; I < 4; ++I) Engine.MapPixel(128, 128, 128);
  EXPECT_EQ(Engine.Column, 4);
  Engine.NextRow();
  EXPECT_EQ(Engine.Direction, -1);
  EXPECT_EQ(Engine.Column, 3);
  for (int I = 0; I < 4; ++I) Engine.MapPixel(128, 128, 128);
  EXPECT_EQ(Engine.Column, -1);
  Engine.NextRow();
  EXPECT_EQ(Engine.Direction, 1);
  EXPECT_EQ(Engine.Column, 0);

  // The first pixel of the first row carries no error: 128 becomes 153 (error -25). Its
  // right-hand neighbour gets 7/16 of it; the pixel below it, read right to left at the
  // end of the second row, gets 5/16 of it plus 1/16 of the next pixel's.
  TSource Source(2, 2);
  Source.Fill(RGBColor(128, 128, 128));
  const TMappedImage Image = MapToPalette(Source.Rows(), rpCube, dmFloydSteinberg);
  EXPECT_EQ(MappedColor(Image, 0, 0), RGBColor(153, 153, 153));
  EXPECT_EQ(MappedColor(Image, 1, 0), RGBColor(102, 102, 102));  // 128 - 11 = 117 -> 102
}

TEST(DitherMap, UnknownChoicesAndBadSourcesAreHandled) {
  TSource Source(3, 2, 4);
  Source.Fill(RGBColor(1, 2, 3));
  for (auto [Palette, Dither] : {std::pair{2, 0}, std::pair{6, 1}, std::pair{1, 2}, std::pair{3, -1}}) {
    const TMappedImage Image = MapToPalette(Source.Rows(), Palette, Dither);
    EXPECT_EQ(Image.BitsPerPixel, 8);
    EXPECT_EQ(Image.Width, 3);
    EXPECT_EQ(Image.Height, 2);
    EXPECT_TRUE(Image.Palette.empty());
    EXPECT_EQ(Image.Pixels, std::vector<uint8_t>(6, 0));
  }
  const TMappedImage Copy = MapToPalette(Source.Rows(), rpNone, dmNone);
  EXPECT_EQ(Copy.BitsPerPixel, 24);
  EXPECT_EQ(Copy.Pixels, (std::vector<uint8_t>{3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));

  TPixelRows Bad = Source.Rows();
  Bad.BytesPerPixel = 2;
  try {
    MapToPalette(Bad, rpCube, dmNone);
    ADD_FAILURE() << "no exception";
  } catch (const GIFException& E) {
    EXPECT_STREQ(E.what(), "Invalid pixel format");
  }
  Bad = Source.Rows();
  Bad.Bits = nullptr;
  EXPECT_THROW(MapToPalette(Bad, rpCube, dmNone), GIFException);
  Bad = Source.Rows();
  Bad.Stride = 4;  // shorter than a row
  EXPECT_THROW(MapToPalette(Bad, rpCube, dmNone), GIFException);

  const TMappedImage Empty = MapToPalette(TPixelRows{nullptr, 0, 0, 0, 3}, rpShared, dmFloydSteinberg);
  EXPECT_TRUE(Empty.Pixels.empty());
}

TEST(DitherMap, PrepareForScreenPicksThePaletteByDepth) {
  TSource Source(8, 8);
  Source.Fill(RGBColor(200, 10, 10));
  EXPECT_EQ(PrepareForScreen(Source.Rows(), 4).Palette.size(), 20u);
  EXPECT_EQ(PrepareForScreen(Source.Rows(), 8).Palette, SharedPalette());
}
