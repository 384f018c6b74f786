// Octree colour quantizer: builds an optimised palette of at most N colours from an image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/types.h"

class TColorQuantizer {
 public:
  // MaxColors >= 1; ColorBits 1..8 is the depth of the tree.
  TColorQuantizer(int MaxColors, int ColorBits);

  void AddColor(uint8_t R, uint8_t G, uint8_t B);
  // Adds every pixel of rows of blue, green, red(, unused) bytes.
  void AddRows(const uint8_t* Bits, int Width, int Height, ptrdiff_t Stride, int BytesPerPixel);

  int LeafCount() const { return FLeafCount; }
  // The leaves in depth-first order (children 0 to 7), each the average of its pixels.
  std::vector<TColor> Colors() const;

 private:
  struct TOctreeNode {
    bool Leaf = false;
    uint32_t PixelCount = 0;
    uint64_t RedSum = 0, GreenSum = 0, BlueSum = 0;
    int32_t NextReducible = -1;  // next node of the same level waiting to be reduced
    int32_t Children[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  };
  int32_t NewNode(int Level);
  void FreeNode(int32_t N);
  void Reduce();
  void CollectColors(int32_t N, std::vector<TColor>& Out) const;

  std::vector<TOctreeNode> FNodes;
  std::vector<int32_t> FFree;
  int32_t FRoot;
  int FLeafCount = 0;
  int FMaxColors;
  int FColorBits;
  int32_t FReducible[9];
  // The leaf of the last colour added: runs of one colour skip the walk down the tree.
  uint32_t FLastColor = 0xFFFFFFFF;
  int32_t FLastLeaf = -1;
};
