// JPEG images over libjpeg-turbo: baseline, extended, progressive and arithmetic-coded
// files, greyscale, YCbCr, RGB, CMYK and YCCK, restart markers.
#pragma once

#include "common/classes.h"
#include "images/image_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Every decoding error of the JPEG reader, with libjpeg's own text.
class EJPEGError : public Exception {
 public:
  using Exception::Exception;
};

enum TJPEGPixelFormat { jf24Bit, jf8Bit };

// Data that ends inside the compressed scans still gives an image: the decoder fills
// what is missing (grey for sequential files, coarser detail for progressive ones)
// and Partial() says so. Data that ends before the first scan is an error.
class TJPEGImage {
 public:
  // jf8Bit maps to FPalette when it has entries (the display's shared palette, with
  // Floyd-Steinberg dithering), else to 256 colours chosen for the image. CMYK files
  // always come out at 24 bits.
  TJPEGPixelFormat PixelFormat = jf24Bit;
  std::vector<TColor> FPalette;

  // Decodes a whole JPEG file held in memory; throws EJPEGError.
  void LoadFromMemory(const uint8_t* Data, size_t Size);

  const TImageBuffer& Bitmap() const { return FBitmap; }
  TImageBuffer TakeBitmap() { return std::move(FBitmap); }
  int Width() const { return FBitmap.Width(); }
  int Height() const { return FBitmap.Height(); }
  bool Grayscale() const { return FGrayscale; }
  bool ProgressiveEncoding() const { return FProgressive; }
  // The data ended early, or was damaged, and the decoder filled in what was missing.
  bool Partial() const { return FPartial; }
  // libjpeg's first warning, empty when there was none.
  const std::string& Warning() const { return FWarning; }

  // Progressive files with more scans than this are refused: each scan costs a pass
  // over the whole image.
  static constexpr int MaxScans = 500;

 private:
  TImageBuffer FBitmap;
  bool FGrayscale = false;
  bool FProgressive = false;
  bool FPartial = false;
  std::string FWarning;
};
