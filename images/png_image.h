// The PNG reader: chunk structure, inflate, row filters, Adam7 and gamma, into a
// bitmap raster of 1, 4, 8 or 24 bits per pixel.
#pragma once

#include "images/image_buffer.h"
#include "images/png_chunks.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The raster itself is opaque. Its alpha, from an alpha channel or from palette
// entries of a tRNS chunk that are neither clear nor opaque, comes as the raster's
// FAlpha; the mask holds the pixels a tRNS chunk makes clear.
class TPNGImage {
 public:
  // Decodes a whole PNG file held in memory. Throws EPNGImageException on any error,
  // including truncated image data and images beyond the size limits.
  void LoadFromMemory(const uint8_t* Data, size_t Size);

  const TImageBuffer& Bitmap() const { return FBitmap; }
  TImageBuffer TakeBitmap() { return std::move(FBitmap); }
  // Pixels that a tRNS chunk makes transparent: a 1-bit raster with bit 1 for
  // transparent pixels (palette black, white). Empty without tRNS. For palette images
  // the entries with alpha 0 are transparent; for grey and RGB images the pixels whose
  // file samples equal the tRNS key exactly.
  const TImageBuffer& Mask() const { return FMask; }
  TImageBuffer TakeMask() { return std::move(FMask); }

  int Width() const { return FBitmap.Width(); }
  int Height() const { return FBitmap.Height(); }
  int ColorType() const { return FColorType; }
  int BitDepth() const { return FBitDepth; }
  bool Interlaced() const { return FInterlace != 0; }

  // True when a tRNS chunk names a transparent colour of a grey or RGB image.
  bool Transparent() const { return FTransparent; }
  // That colour as displayed (after gamma); asking an image that has none fails.
  TColor TransparentColor() const;
  // Alpha of each palette entry from tRNS (entries past its end are opaque); empty
  // when the image is not a palette image with tRNS.
  const std::vector<uint8_t>& PaletteAlpha() const { return FPaletteAlpha; }

  // Called by the IDAT chunk with every IDAT's data collected.
  void DecodeImageData(const TChunkIDAT& Chunk);

 private:
  void BuildPalette(const TChunkList& Chunks, int BitmapBits);
  void ReadTransparency(const TChunkList& Chunks);
  void MaskRow(const uint8_t* Samples, int Width, uint8_t* Flags) const;
  // The opacity of a row's pixels from their file samples.
  void AlphaRow(const uint8_t* Samples, int Width, uint8_t* Alpha) const;
  bool HasAlphaValues() const;

  TImageBuffer FBitmap;
  TImageBuffer FMask;
  int FColorType = 0, FBitDepth = 0, FInterlace = 0;
  bool FTransparent = false;
  TColor FTransparentColor = clBlack;
  std::vector<uint8_t> FPaletteAlpha;
  // tRNS key samples of grey (one) or RGB (three) images; -1 when none.
  int FKey[3] = {-1, -1, -1};
};
