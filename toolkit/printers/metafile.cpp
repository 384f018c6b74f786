// Recorded pages on cairo recording surfaces.
#include "toolkit/printers/metafile.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "toolkit/graphics/bitmap.h"

TMetafile::TMetafile(int Width, int Height)
    : FWidth(std::max(1, Width)), FHeight(std::max(1, Height)) {
  cairo_rectangle_t extents{0, 0, double(FWidth), double(FHeight)};
  FSurface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
  FCanvas = std::make_unique<TCanvas>(FSurface, FWidth, FHeight);
}

TMetafile::~TMetafile() {
  FCanvas.reset();
  cairo_surface_destroy(FSurface);
}

void TMetafile::Play(TCanvas& Target, const TRect& Dest) {
  if (Dest.IsEmpty() || !Target.Surface()) return;
  FCanvas->Flush();
  cairo_surface_flush(FSurface);
  cairo_t* cr = Target.Handle();
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_rectangle(cr, Dest.Left, Dest.Top, Dest.Width(), Dest.Height());
  cairo_clip(cr);
  cairo_translate(cr, Dest.Left, Dest.Top);
  cairo_scale(cr, double(Dest.Width()) / FWidth, double(Dest.Height()) / FHeight);
  cairo_set_source_surface(cr, FSurface, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  Target.Changed();
}

std::unique_ptr<TBitmap> TMetafile::ToBitmap(double Scale) {
  const int w = std::max(1, int(std::lround(FWidth * Scale)));
  const int h = std::max(1, int(std::lround(FHeight * Scale)));
  auto bitmap = std::make_unique<TBitmap>(w, h);
  bitmap->Canvas().FillRect(TRect{0, 0, w, h}, clWhite);
  Play(bitmap->Canvas(), TRect{0, 0, w, h});
  return bitmap;
}

void TMetafile::SavePng(const std::string& FileName, double Scale) {
  ToBitmap(Scale)->SaveToFile(FileName);
}
