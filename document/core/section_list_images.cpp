// Getting images for a document: the shared cache first, then the viewer's handlers or a
// file; late delivery of images that were promised.
#include <algorithm>
#include <cstring>
#include <exception>

#include "document/core/section_list.h"
#include "images/gif_image.h"
#include "images/image_loader.h"
#include "toolkit/graphics/screen.h"

namespace {

std::unique_ptr<TBitmap> BitmapFromBuffer(const TImageBuffer& Buffer) {
  TPixelFormat format;
  switch (Buffer.BitsPerPixel()) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 24: format = pf24bit; break;
    default: return nullptr;
  }
  auto bitmap = std::make_unique<TBitmap>(Buffer.Width(), Buffer.Height(), format);
  if (format != pf24bit && !Buffer.FPalette.empty() && (format != pf1bit || Buffer.FPalette.size() == 2)) {
    std::vector<TPaletteEntry> entries;
    for (TColor c : Buffer.FPalette)
      entries.push_back(TPaletteEntry{uint8_t(GetRValue(c)), uint8_t(GetGValue(c)), uint8_t(GetBValue(c)), 0});
    bitmap->SetPalette(TPalette(std::move(entries)));
  }
  const size_t row = std::min(size_t(bitmap->ScanLineSize()), Buffer.Stride());
  for (int y = 0; y < Buffer.Height(); ++y) std::memcpy(bitmap->ScanLine(y), Buffer.ScanLine(y), row);
  bitmap->SetAlphaChannel(Buffer.FAlpha);
  return bitmap;
}

// The current frame of an animated GIF as a bitmap and a mask (white where the page shows).
void FrameBitmaps(const TGIFImage& Gif, std::unique_ptr<TBitmap>& Frame, std::unique_ptr<TBitmap>& Mask) {
  Frame.reset();
  Mask.reset();
  if (Gif.Width <= 0 || Gif.Height <= 0) return;
  const std::vector<uint32_t> pixels = Gif.RenderCurrent();
  Frame = std::make_unique<TBitmap>(Gif.Width, Gif.Height, pf32bit);
  bool anyClear = false;
  for (int y = 0; y < Gif.Height; ++y) {
    auto* out = reinterpret_cast<uint32_t*>(Frame->ScanLine(y));
    for (int x = 0; x < Gif.Width; ++x) {
      const uint32_t p = pixels[size_t(y) * size_t(Gif.Width) + size_t(x)];
      out[x] = (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);  // 0xAABBGGRR to 0x00RRGGBB
      anyClear |= (p >> 24) == 0;
    }
  }
  if (!anyClear) return;
  Mask = std::make_unique<TBitmap>(Gif.Width, Gif.Height, pf1bit);
  for (int y = 0; y < Gif.Height; ++y) {
    uint8_t* out = Mask->ScanLine(y);
    std::memset(out, 0, size_t(Mask->ScanLineSize()));
    for (int x = 0; x < Gif.Width; ++x)
      if ((pixels[size_t(y) * size_t(Gif.Width) + size_t(x)] >> 24) == 0) out[x >> 3] |= uint8_t(0x80 >> (x & 7));
  }
}

}  // namespace

TImageRef TSectionList::FetchImage(const std::string& Name, int& Transparent, TBitmap*& Mask,
                                   bool& FromCache, bool& Delayed) {
  Mask = nullptr;
  Delayed = false;
  FromCache = false;
  if (Name.empty()) return {};
  const std::string key = ImageCacheKey(Name);
  if (key.empty()) return {};
  TCachedImage entry;
  if (ImageCache && ImageCache->Find(key, entry, true)) {
    FromCache = true;
    if (entry.Image.Bitmap) {
      if (entry.Transparency == tkSourceColor || entry.Transparency == tkPng ||
          entry.Transparency == tkAlpha)
        Transparent = entry.Transparency;
      else if (Transparent == tkLowerLeft)
        entry.Mask = ImageCache->EnsureLowerLeftMask(key);
    }
    Mask = entry.Mask;
    return entry.Image;
  }
  return LoadFromSources(Name, key, Transparent, Mask, Delayed);
}

TImageRef TSectionList::LoadFromSources(const std::string& Name, const std::string& Key,
                                        int& Transparent, TBitmap*& Mask, bool& Delayed) {
  if (Hooks.OnBitmapRequest) {
    TBitmap* given = nullptr;
    TColor color = -1;
    Hooks.OnBitmapRequest(Viewer, Name, given, color);
    std::unique_ptr<TBitmap> bitmap(given);  // ours now
    if (!bitmap || !ImageCache) return {};
    std::unique_ptr<TBitmap> mask;
    int kind = tkNone;
    try {
      if (color != -1) {
        bitmap->SetTransparentColor(color);
        mask = bitmap->CreateMask();
        Transparent = kind = tkSourceColor;
      } else if (Transparent == tkLowerLeft) {
        bitmap->TransparentMode = tmAuto;
        mask = bitmap->CreateMask();
        kind = tkLowerLeft;
      }
      TCachedImage stored = ImageCache->Store(Key, std::move(bitmap), nullptr, std::move(mask), kind, true);
      Mask = stored.Mask;
      return stored.Image;
    } catch (const std::exception&) {
      return {};
    }
  }
  TMemoryStream file;
  const TMemoryStream* data = nullptr;
  std::string fileName = Name;
  if (Hooks.OnImageRequest) {
    TMemoryStream* stream = nullptr;
    Hooks.OnImageRequest(Viewer, Name, stream);
    if (stream && stream == Hooks.WaitStream) {
      Delayed = true;
      return {};
    }
    if (stream) {
      if (stream->Size() == 0) return {};
      data = stream;
    } else if (Hooks.OnExpandName) {
      fileName = Hooks.OnExpandName(Name);
    }
  }
  if (!data) {
    try {
      file.LoadFromFile(fileName);
    } catch (const std::exception&) {
      return {};
    }
    data = &file;
  }
  return DecodeAndStore(Key, data->Memory(), size_t(data->Size()), true, Transparent, Mask);
}

bool TSectionList::ChargeImagePixels(int64_t Pixels) {
  if (Pixels < 0 || Pixels > MaxImagePixels - ImagePixels) return false;
  ImagePixels += Pixels;
  return true;
}

TImageRef TSectionList::DecodeAndStore(const std::string& Key, const uint8_t* Data, size_t Size,
                                       bool Acquire, int& Transparent, TBitmap*& Mask) {
  Mask = nullptr;
  if (!ImageCache) return {};
  // A picture the budget cannot hold is not decoded at all when its header says so.
  if (DeclaredImagePixels(Data, Size) > MaxImagePixels - ImagePixels) return {};
  TLoadedImage image = LoadImageFromMemory(Data, Size, Transparent, ScreenColorDepth());
  if (image.Missing()) return {};
  const int64_t pixels = image.Gif ? int64_t(image.Gif->Width) * image.Gif->Height
                                   : int64_t(image.Bitmap.Width()) * image.Bitmap.Height();
  if (!ChargeImagePixels(pixels)) return {};
  try {
    std::unique_ptr<TBitmap> bitmap;
    std::unique_ptr<TBitmap> mask;
    if (!image.Gif) {
      bitmap = BitmapFromBuffer(image.Bitmap);
      if (!bitmap) return {};
    }
    if (!image.Mask.Empty()) mask = BitmapFromBuffer(image.Mask);
    const int kind = mask || Transparent == tkAlpha ? Transparent : tkNone;
    TCachedImage stored =
        ImageCache->Store(Key, std::move(bitmap), std::move(image.Gif), std::move(mask), kind, Acquire);
    Mask = stored.Mask;
    return stored.Image;
  } catch (const std::exception&) {
    return {};
  }
}

TBitmap* TSectionList::LoadBackgroundImage() {
  if (!ImagesOn || BackImageLoaded || BackImageName.empty() || BackImage) return BackImage;
  Hooks.ResolveImageFile(BackImageName);
  int transparent = tkNone;
  TBitmap* mask = nullptr;
  bool fromCache = false, delayed = false;
  const TImageRef image = FetchImage(BackImageName, transparent, mask, fromCache, delayed);
  if (image.Bitmap) {
    BackImage = image.Bitmap;
    BackMask = mask;
    FBackImageHeld = true;
  } else if (image.Gif) {
    FrameBitmaps(*image.Gif, FBackFrame, FBackFrameMask);
    BackImage = FBackFrame.get();
    BackMask = FBackFrameMask.get();
    FBackImageHeld = true;
  } else if (delayed) {
    PendingImages.AddObject(ImageCacheKey(BackImageName), this);
  }
  BackImageLoaded = true;
  return BackImage;
}

void TSectionList::DeliverImage(const std::string& Name, TMemoryStream* Stream, bool& Reformat) {
  Reformat = false;
  const std::string key = ImageCacheKey(Name);
  if (key.empty()) return;
  TCachedImage entry;
  bool available = ImageCache && ImageCache->Find(key, entry, false);
  if (!available) {
    if (PendingImages.IndexOf(key) < 0 || !Stream || Stream->Size() == 0) return;
    int transparent = tkNone;
    TBitmap* mask = nullptr;
    available = !DecodeAndStore(key, Stream->Memory(), size_t(Stream->Size()), false, transparent, mask).Empty();
  }
  if (!available) return;
  // Take the waiters out first: serving one may fetch again and touch the list.
  std::vector<TObject*> waiters;
  for (int i = 0; i < PendingImages.Count();) {
    if (SameText(PendingImages[i], key)) {
      waiters.push_back(PendingImages.Objects(i));
      PendingImages.Delete(i);
    } else {
      ++i;
    }
  }
  for (TObject* waiter : waiters) {
    if (waiter == this) {
      if (!IsPrintCopy) BackImageLoaded = false;
    } else if (auto* image = dynamic_cast<TDocImage*>(waiter)) {
      Reformat = image->ReplaceImage(Stream) || Reformat;
    } else if (auto* block = dynamic_cast<TDocBackgroundWaiter*>(waiter)) {
      block->BackImageDelivered();
    }
  }
}

void TSectionList::ForgetWaiter(TObject* Waiter) {
  for (int i = PendingImages.Count() - 1; i >= 0; --i)
    if (PendingImages.Objects(i) == Waiter) PendingImages.Delete(i);
}
