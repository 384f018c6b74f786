// The image cache as the document sees it. The cache itself (names to decoded images,
// use counts and ageing) lives with the viewer; the document only asks and stores.
#pragma once

#include <memory>
#include <string>

#include "toolkit/graphics/bitmap.h"

class TGIFImage;

// A fetched image: a plain bitmap or an animated GIF, never both; borrowed from the cache.
struct TImageRef {
  TBitmap* Bitmap = nullptr;
  TGIFImage* Gif = nullptr;
  bool Empty() const { return !Bitmap && !Gif; }
};

// What a cache entry hands out.
struct TCachedImage {
  TImageRef Image;
  TBitmap* Mask = nullptr;
  int Transparency = 0;  // a TTransparencyKind (images/image_loader.h)
};

class TImageCacheAccess {
 public:
  virtual ~TImageCacheAccess() = default;
  // The entry under the key: with Acquire its use count goes up and its age is reset.
  virtual bool Find(const std::string& Key, TCachedImage& Entry, bool Acquire) = 0;
  // Makes a lower-left-pixel mask for the entry when it has none yet; marks it tkLowerLeft
  // when it then has a mask.
  virtual TBitmap* EnsureLowerLeftMask(const std::string& Key) = 0;
  // Stores a new image (taking ownership); Acquire counts one use. Returns the stored
  // entry, or an empty one when storing failed (the image is then freed).
  virtual TCachedImage Store(const std::string& Key, std::unique_ptr<TBitmap> Bitmap,
                             std::unique_ptr<TGIFImage> Gif, std::unique_ptr<TBitmap> Mask,
                             int Transparency, bool Acquire) = 0;
  // Gives back one use of the entry.
  virtual void Release(const std::string& Key) = 0;
};

// The cache key of an image name: upper case, codes 32 and below trimmed at both ends.
std::string ImageCacheKey(const std::string& Name);
