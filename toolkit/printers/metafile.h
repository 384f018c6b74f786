// TMetafile: a recorded page. Its canvas records drawing (text as glyphs, shapes as
// vectors) and the recording plays back at any scale: onto another canvas, into a
// bitmap for a preview, or into a PNG file.
#pragma once

#include <memory>
#include <string>

#include "toolkit/graphics/graphics.h"

class TBitmap;

class TMetafile {
 public:
  // A page of Width x Height device pixels.
  TMetafile(int Width, int Height);
  ~TMetafile();
  TMetafile(const TMetafile&) = delete;
  TMetafile& operator=(const TMetafile&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The recording canvas; give it the device's capabilities before drawing.
  TCanvas& Canvas() { return *FCanvas; }

  // Plays the page into Dest (device pixels of the target), scaled to fit it.
  void Play(TCanvas& Target, const TRect& Dest);
  // The page at Scale (1.0 = its own pixels), on white.
  std::unique_ptr<TBitmap> ToBitmap(double Scale);
  void SavePng(const std::string& FileName, double Scale);

 private:
  int FWidth, FHeight;
  cairo_surface_t* FSurface;
  std::unique_ptr<TCanvas> FCanvas;
};
