// The decoded-image cache a viewer shares between the documents it shows: images keyed by
// their upper-cased, trimmed names, counted while documents use them, and aged out by the
// number of loads since they were last used.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/core/image_cache_access.h"
#include "images/gif_image.h"
#include "toolkit/graphics/bitmap.h"


// One cached image with its mask and transparency kind.
class TBitmapItem {
 public:
  TBitmapItem(std::unique_ptr<TBitmap> Bitmap, std::unique_ptr<TGIFImage> Gif,
              std::unique_ptr<TBitmap> Mask, int Transparency);
  ~TBitmapItem();

  TCachedImage View() const;

  int FAge = 0;
  int FUseCount = 0;
  std::unique_ptr<TBitmap> FBitmap;
  std::unique_ptr<TGIFImage> FGif;
  std::unique_ptr<TBitmap> FMask;
  int FTransparency = 0;
};

class TStringBitmapList : public TImageCacheAccess {
 public:
  TStringBitmapList();
  ~TStringBitmapList() override;

  // Lookups and stores for the document.
  bool Find(const std::string& Key, TCachedImage& Entry, bool Acquire) override;
  TBitmap* EnsureLowerLeftMask(const std::string& Key) override;
  TCachedImage Store(const std::string& Key, std::unique_ptr<TBitmap> Bitmap,
                     std::unique_ptr<TGIFImage> Gif, std::unique_ptr<TBitmap> Mask,
                     int Transparency, bool Acquire) override;
  void Release(const std::string& Key) override;

  // Before every load: every entry ages by one; one older than the limit with no users is freed.
  void Age();
  // Frees the unused entries older than N at once and makes N the limit.
  void SetCacheCount(int N);
  int MaxCache() const { return FMaxCache; }
  // Frees every entry.
  void Clear();

  int Count() const { return int(FItems.size()); }
  // The entry under a key, or null.
  const TBitmapItem* Item(const std::string& Key) const;

 private:
  struct TEntry {
    std::string Key;
    std::unique_ptr<TBitmapItem> Item;
  };
  // Index of the key in the sorted list, or of where it would go.
  size_t LowerBound(const std::string& Key) const;
  TBitmapItem* FindItem(const std::string& Key) const;

  std::vector<TEntry> FItems;  // sorted by key
  int FMaxCache = 4;
};
