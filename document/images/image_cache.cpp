#include "document/images/image_cache.h"

#include <algorithm>

#include "images/gif_image.h"
#include "images/image_loader.h"

TBitmapItem::TBitmapItem(std::unique_ptr<TBitmap> Bitmap, std::unique_ptr<TGIFImage> Gif,
                         std::unique_ptr<TBitmap> Mask, int Transparency)
    : FBitmap(std::move(Bitmap)), FGif(std::move(Gif)), FMask(std::move(Mask)),
      FTransparency(Transparency) {}

TBitmapItem::~TBitmapItem() = default;

TCachedImage TBitmapItem::View() const {
  TCachedImage c;
  c.Image.Bitmap = FGif ? nullptr : FBitmap.get();
  c.Image.Gif = FGif.get();
  c.Mask = FMask.get();
  c.Transparency = FTransparency;
  return c;
}

TStringBitmapList::TStringBitmapList() = default;
TStringBitmapList::~TStringBitmapList() = default;

size_t TStringBitmapList::LowerBound(const std::string& Key) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), Key,
                             [](const TEntry& e, const std::string& k) { return e.Key < k; });
  return size_t(it - FItems.begin());
}

TBitmapItem* TStringBitmapList::FindItem(const std::string& Key) const {
  const size_t i = LowerBound(Key);
  return i < FItems.size() && FItems[i].Key == Key ? FItems[i].Item.get() : nullptr;
}

const TBitmapItem* TStringBitmapList::Item(const std::string& Key) const { return FindItem(Key); }

bool TStringBitmapList::Find(const std::string& Key, TCachedImage& Entry, bool Acquire) {
  TBitmapItem* item = FindItem(Key);
  if (!item) return false;
  if (Acquire) {
    item->FAge = 0;
    ++item->FUseCount;
  }
  Entry = item->View();
  return true;
}

TBitmap* TStringBitmapList::EnsureLowerLeftMask(const std::string& Key) {
  TBitmapItem* item = FindItem(Key);
  if (!item) return nullptr;
  if (!item->FMask && item->FBitmap && !item->FGif) {
    item->FBitmap->TransparentMode = tmAuto;
    item->FMask = item->FBitmap->CreateMask();
  }
  if (item->FMask) item->FTransparency = tkLowerLeft;
  return item->FMask.get();
}

TCachedImage TStringBitmapList::Store(const std::string& Key, std::unique_ptr<TBitmap> Bitmap,
                                      std::unique_ptr<TGIFImage> Gif,
                                      std::unique_ptr<TBitmap> Mask, int Transparency,
                                      bool Acquire) {
  if (!Bitmap && !Gif) return {};
  auto item = std::make_unique<TBitmapItem>(std::move(Bitmap), std::move(Gif), std::move(Mask),
                                            Transparency);
  item->FUseCount = Acquire ? 1 : 0;
  const size_t i = LowerBound(Key);
  if (i < FItems.size() && FItems[i].Key == Key) {
    // A second image under a name already cached (a host delivering it again): the new one
    // replaces the old, keeping the users it had.
    item->FUseCount += FItems[i].Item->FUseCount;
    FItems[i].Item = std::move(item);
    return FItems[i].Item->View();
  }
  auto at = FItems.insert(FItems.begin() + std::ptrdiff_t(i), TEntry{Key, std::move(item)});
  return at->Item->View();
}

void TStringBitmapList::Release(const std::string& Key) {
  if (TBitmapItem* item = FindItem(Key)) --item->FUseCount;
}

void TStringBitmapList::Age() {
  for (size_t i = FItems.size(); i-- > 0;) {
    TBitmapItem& item = *FItems[i].Item;
    ++item.FAge;
    if (item.FAge > FMaxCache && item.FUseCount < 1) FItems.erase(FItems.begin() + std::ptrdiff_t(i));
  }
}

void TStringBitmapList::SetCacheCount(int N) {
  for (size_t i = FItems.size(); i-- > 0;) {
    const TBitmapItem& item = *FItems[i].Item;
    if (item.FAge > N && item.FUseCount <= 0) FItems.erase(FItems.begin() + std::ptrdiff_t(i));
  }
  FMaxCache = N;
}

void TStringBitmapList::Clear() { FItems.clear(); }
