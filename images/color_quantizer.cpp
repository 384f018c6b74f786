#include "images/color_quantizer.h"

#include <algorithm>

TColorQuantizer::TColorQuantizer(int MaxColors, int ColorBits)
    : FMaxColors(std::max(1, MaxColors)), FColorBits(std::clamp(ColorBits, 1, 8)) {
  std::fill(std::begin(FReducible), std::end(FReducible), -1);
  FNodes.reserve(1024);
  FRoot = NewNode(0);
}

int32_t TColorQuantizer::NewNode(int Level) {
  int32_t N;
  if (!FFree.empty()) {
    N = FFree.back();
    FFree.pop_back();
    FNodes[size_t(N)] = TOctreeNode();
  } else {
    N = int32_t(FNodes.size());
    FNodes.emplace_back();
  }
  TOctreeNode& Node = FNodes[size_t(N)];
  if (Level == FColorBits) {
    Node.Leaf = true;
    ++FLeafCount;
  } else {
    Node.NextReducible = FReducible[Level];
    FReducible[Level] = N;
  }
  return N;
}

void TColorQuantizer::FreeNode(int32_t N) { FFree.push_back(N); }

void TColorQuantizer::AddColor(uint8_t R, uint8_t G, uint8_t B) {
  const uint32_t Key = uint32_t(R) | (uint32_t(G) << 8) | (uint32_t(B) << 16);
  int32_t N;
  if (Key == FLastColor) {
    N = FLastLeaf;
  } else {
    N = FRoot;
    for (int Level = 0; !FNodes[size_t(N)].Leaf; ++Level) {
      const int Shift = 7 - Level;
      const int Child = (((R >> Shift) & 1) << 2) | (((G >> Shift) & 1) << 1) | ((B >> Shift) & 1);
      int32_t C = FNodes[size_t(N)].Children[Child];
      if (C < 0) {
        C = NewNode(Level + 1);  // may move FNodes: index again below
        FNodes[size_t(N)].Children[Child] = C;
      }
      N = C;
    }
    FLastColor = Key;
    FLastLeaf = N;
  }
  TOctreeNode& Leaf = FNodes[size_t(N)];
  ++Leaf.PixelCount;
  Leaf.RedSum += R;
  Leaf.GreenSum += G;
  Leaf.BlueSum += B;
  while (FLeafCount > FMaxColors) Reduce();
}

void TColorQuantizer::Reduce() {
  int Level = FColorBits - 1;
  while (Level > 0 && FReducible[Level] < 0) --Level;
  const int32_t N = FReducible[Level];
  if (N < 0) return;
  FReducible[Level] = FNodes[size_t(N)].NextReducible;
  TOctreeNode& Node = FNodes[size_t(N)];
  int Children = 0;
  for (int32_t& C : Node.Children) {
    if (C < 0) continue;
    const TOctreeNode& Child = FNodes[size_t(C)];
    Node.PixelCount += Child.PixelCount;
    Node.RedSum += Child.RedSum;
    Node.GreenSum += Child.GreenSum;
    Node.BlueSum += Child.BlueSum;
    FreeNode(C);
    C = -1;
    ++Children;
  }
  Node.Leaf = true;
  FLeafCount -= Children - 1;
  // The cached leaf may have been one of the children just merged.
  FLastColor = 0xFFFFFFFF;
  FLastLeaf = -1;
}

void TColorQuantizer::AddRows(const uint8_t* Bits, int Width, int Height, ptrdiff_t Stride, int BytesPerPixel) {
  for (int Y = 0; Y < Height; ++Y) {
    const uint8_t* P = Bits + Y * Stride;
    for (int X = 0; X < Width; ++X, P += BytesPerPixel) AddColor(P[2], P[1], P[0]);
  }
}

void TColorQuantizer::CollectColors(int32_t N, std::vector<TColor>& Out) const {
  const TOctreeNode& Node = FNodes[size_t(N)];
  if (Node.Leaf) {
    if (Node.PixelCount == 0) {
      Out.push_back(clBlack);
    } else {
      const uint64_t C = Node.PixelCount;
      Out.push_back(RGBColor(int(Node.RedSum / C), int(Node.GreenSum / C), int(Node.BlueSum / C)));
    }
    return;
  }
  for (int32_t C : Node.Children)
    if (C >= 0) CollectColors(C, Out);
}

std::vector<TColor> TColorQuantizer::Colors() const {
  std::vector<TColor> Out;
  Out.reserve(size_t(FLeafCount));
  CollectColors(FRoot, Out);
  return Out;
}
