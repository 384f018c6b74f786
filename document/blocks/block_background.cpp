// A block's background picture: fetched once (or when the host delivers it) and tiled over
// the padding box as its position and repeat say.
#include <algorithm>

#include "document/blocks/block.h"
#include "document/core/section_list.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/raster_ops.h"

bool FetchStillImage(TSectionList* Document, std::string& Name, TBitmap*& Image, TBitmap*& Mask,
                     bool* Delayed) {
  Image = Mask = nullptr;
  if (!Document || Name.empty() || !Document->ImagesOn) return false;
  Document->Hooks.ResolveImageFile(Name);
  int transparent = 0;
  TBitmap* mask = nullptr;
  bool fromCache = false, delayed = false;
  const TImageRef image = Document->FetchImage(Name, transparent, mask, fromCache, delayed);
  if (Delayed) *Delayed = delayed;
  // An animation or an image still on its way gives nothing.
  if (image.Bitmap && !image.Bitmap->Empty()) {
    Image = image.Bitmap;
    Mask = mask;
    return true;
  }
  if (!image.Empty() && Document->ImageCache) Document->ImageCache->Release(ImageCacheKey(Name));
  return false;
}

void TBlock::LoadBackImage() {
  if (!FExtras || FExtras->FBGImageName.empty() || FExtras->FBackLoaded || !FDocument ||
      !FDocument->ImagesOn)
    return;
  FExtras->FBackLoaded = true;
  bool delayed = false;
  if (FetchStillImage(FDocument, FExtras->FBGImageName, FExtras->FBackImage, FExtras->FBackMask,
                      &delayed))
    return;
  // A picture the host promises is painted when it comes.
  const std::string key = ImageCacheKey(FExtras->FBGImageName);
  if ((delayed || FDocument->PendingImages.IndexOf(key) >= 0) && !FDocument->PrintsPages()) {
    FDocument->PendingImages.AddObject(key, this);
    FExtras->FBackWaiting = true;
  }
}

void TBlock::BackImageDelivered() {
  if (!FExtras) return;
  FExtras->FBackWaiting = false;
  FExtras->FBackLoaded = false;
  LoadBackImage();
}

namespace {

// Where the first image starts on one axis of a tile Size long, and where the tiling
// starts when it repeats.
int TileStart(const TBackgroundPosition& Pos, int Size, int Image) {
  int start = 0;
  switch (Pos.Kind) {
    case bpCenter: start = (Size - Image) / 2; break;
    case bpRight:
    case bpBottom: start = Size - Image; break;
    case bpPercent: start = int(int64_t(Size - Image) * Pos.Value / 100); break;
    case bpLength: start = Pos.Value; break;
    default: break;
  }
  start = std::clamp(start, -Image, std::max(-Image, Size));
  if (Pos.Repeat) start -= (start + Image - 1) / Image * Image;  // at or left of 0
  return start;
}

}  // namespace

void TBlock::TileBackImage(TCanvas* Canvas, const TRect& Padding, const TRect& Clip) {
  TileBackground(Canvas, FExtras->FBackImage, FExtras->FBackMask, FExtras->FBackPos, Padding, Clip);
}

void TileBackground(TCanvas* Canvas, TBitmap* image, TBitmap* mask,
                    const TBackgroundPositions& positions, const TRect& Padding, const TRect& Clip) {
  const int w = image->Width(), h = image->Height();
  if (w <= 0 || h <= 0) return;
  const TRect area{std::max(Padding.Left, Clip.Left), std::max(Padding.Top, Clip.Top),
                   std::min(Padding.Right, Clip.Right), std::min(Padding.Bottom, Clip.Bottom)};
  if (area.Left >= area.Right || area.Top >= area.Bottom) return;
  const TBackgroundPosition& horz = positions[0];
  const TBackgroundPosition& vert = positions[1];
  int x0 = Padding.Left + TileStart(horz, Padding.Right - Padding.Left, w);
  int y0 = Padding.Top + TileStart(vert, Padding.Bottom - Padding.Top, h);
  // Only the tiles over the area to paint are visited.
  if (horz.Repeat && x0 + w <= area.Left) x0 += (area.Left - x0) / w * w;
  if (vert.Repeat && y0 + h <= area.Top) y0 += (area.Top - y0) / h * h;
  for (int y = y0; y < area.Bottom; y += h) {
    for (int x = x0; x < area.Right; x += w) {
      const TRect t{std::max(x, area.Left), std::max(y, area.Top), std::min(x + w, area.Right),
                    std::min(y + h, area.Bottom)};
      if (t.Left < t.Right && t.Top < t.Bottom) {
        const TRect source{t.Left - x, t.Top - y, t.Right - x, t.Bottom - y};
        if (mask)
          Canvas->DrawMasked(t, image->Canvas(), mask->Canvas(), source);
        else
          Canvas->BitBlt(t.Left, t.Top, t.Right - t.Left, t.Bottom - t.Top, image->Canvas(),
                         source.Left, source.Top, SRCCOPY);
      }
      if (!horz.Repeat) break;
    }
    if (!vert.Repeat) break;
  }
}
