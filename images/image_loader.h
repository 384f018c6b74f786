// Recognising image data by its first bytes and decoding it: PNG and JPEG here, GIF
// through the GIF reader, BMP through the toolkit's BMP reader. The result is a
// raster, an optional transparency mask and the kind of transparency.
#pragma once

#include "common/classes.h"
#include "images/gif_image.h"
#include "images/image_buffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Format codes of GetImageFormat.
enum TImageFormat : int { ifNone = 0, ifBMP = 1, ifGIF87 = 2, ifGIF89 = 3, ifPNG = 4, ifJPEG = 5 };

// Transparency kinds: the Transparent argument of the loaders asks with tkNone or
// tkLowerLeft and, on return, tkSourceColor or tkPng say that the image brought its
// own transparency.
enum TTransparencyKind : int {
  tkNone = 0,
  tkLowerLeft = 1,    // mask from the colour of the lower-left pixel
  tkSourceColor = 2,  // mask from a colour named by the source (a GIF's transparent index)
  tkPng = 3,          // mask from a PNG transparency chunk
  tkAlpha = 4,        // no mask: the picture's alpha channel lays it over the page
};

// The format of data from its first bytes (at most eight are looked at); the letters of
// a GIF signature may be of either case.
int GetImageFormat(const uint8_t* Header, size_t Size);

// The pixels the picture's header declares (the screen of a GIF), read without decoding;
// -1 when the header does not say (unknown format, or data too short or malformed).
int64_t DeclaredImagePixels(const uint8_t* Data, size_t Size);

// Pre-scan of a PNG's chunks: true when a tRNS chunk gives a grey, RGB or palette image
// transparency. Color receives the transparent colour as stored (the key colour of a
// grey or RGB image, the first zero-alpha palette entry of a palette image).
bool PngHasTransparency(const uint8_t* Data, size_t Size, TColor& Color);

// A 1-bit mask of a raster, bit 1 (white) where the pixel has the transparent colour:
// Color with UseColor, else the colour of the lower-left pixel. Empty for an empty
// raster.
TImageBuffer MakeMask(const TImageBuffer& Bitmap, bool UseColor, TColor Color);

// What a loader hands back. An animated GIF stays a TGIFImage with all its frames;
// everything else, a single-frame GIF included, is a raster.
struct TLoadedImage {
  TImageBuffer Bitmap;
  TImageBuffer Mask;  // 1-bit, 1 where transparent; empty for none
  std::unique_ptr<TGIFImage> Gif;
  bool Missing() const { return Bitmap.Empty() && !Gif; }
};

// Decodes BMP, PNG, JPEG and GIF data. Transparent is the request on entry and the
// kind on return. At a ScreenBits of 8 or fewer the raster is reduced for the display
// (JPEG decodes straight to the shared palette at 8). Above 8 a PNG with alpha (an
// alpha channel, or palette entries neither clear nor opaque) keeps it in the raster's
// FAlpha, without a mask, as tkAlpha; at 8 or fewer its alpha is dropped and only the
// pixels its tRNS chunk makes clear are transparent, through the mask. Decoder errors
// propagate as their exceptions; unrecognised data throws EImageFormatError.
TLoadedImage DecodeImageData(const uint8_t* Data, size_t Size, int& Transparent, int ScreenBits);

// The same with every error caught: the image is then missing, and Error (when given)
// says why. Data of 19 bytes or fewer gives no image.
TLoadedImage LoadImageFromMemory(const uint8_t* Data, size_t Size, int& Transparent,
                                 int ScreenBits, std::string* Error = nullptr);
// Reads the whole file; a missing or unreadable file gives no image.
TLoadedImage LoadImageDataFromFile(const std::string& FileName, int& Transparent, int ScreenBits,
                                   std::string* Error = nullptr);

class EImageFormatError : public Exception {
 public:
  using Exception::Exception;
};

// Data this short is never decoded.
constexpr size_t MinImageDataSize = 20;
