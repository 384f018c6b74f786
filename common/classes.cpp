#include "common/classes.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <typeinfo>

std::string TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && plain ? plain : mangled;
  std::free(plain);
  return name;
}

namespace {

// Upper case, so '[', '_' and the like sort after the letters.
unsigned char UpperAscii(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = int(UpperAscii(a[i])) - int(UpperAscii(b[i]));
    if (d != 0) return d;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int CompareStr(std::string_view a, std::string_view b) {
  int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void TPersistent::Assign(const TPersistent* Source) {
  throw EConvertError("Cannot assign a " + (Source ? Source->ClassName() : std::string("nil")) +
                      " to a " + ClassName());
}

// ---- TComponent

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Last created, first freed; each is detached first so it does not search our list.
  while (!FComponents.empty()) {
    TComponent* child = FComponents.back();
    FComponents.pop_back();
    child->FOwner = nullptr;
    delete child;
  }
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const std::string& Value) {
  if (FOwner && !Value.empty()) {
    TComponent* other = FOwner->FindComponent(Value);
    if (other && other != this)
      throw EInvalidOperation("A component named " + Value + " already exists");
  }
  FName = Value;
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) ListIndexError(Index);
  return FComponents[Index];
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  for (const TComponent* up = this; up; up = up->FOwner)
    if (up == AComponent) throw EInvalidOperation("A component cannot own itself or its owner");
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EInvalidOperation("A component named " + AComponent->FName + " already exists");
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  for (size_t i = 0; i < FComponents.size(); ++i) {
    if (FComponents[i] == AComponent) {
      FComponents.erase(FComponents.begin() + i);
      AComponent->FOwner = nullptr;
      return;
    }
  }
}

// ---- TList

void ListIndexError(int Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void* TList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[Index];
}

void TList::SetItems(int Index, void* Item) {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  FItems[Index] = Item;
}

int TList::Add(void* Item) {
  FItems.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  FItems.insert(FItems.begin() + Index, Item);
}

void TList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  FItems.erase(FItems.begin() + Index);
}

int TList::IndexOf(const void* Item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == Item) return int(i);
  return -1;
}

int TList::Remove(const void* Item) {
  int index = IndexOf(Item);
  if (index >= 0) FItems.erase(FItems.begin() + index);
  return index;
}

void TList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) ListIndexError(Index1);
  if (Index2 < 0 || Index2 >= Count()) ListIndexError(Index2);
  std::swap(FItems[Index1], FItems[Index2]);
}

void TList::Sort(const TListSortCompare& Compare) {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [&Compare](void* a, void* b) { return Compare(a, b) < 0; });
}

// ---- TMemoryStream

void TMemoryStream::SetSize(int64_t NewSize) {
  FData.resize(size_t(std::max<int64_t>(NewSize, 0)));
  FPosition = std::min(FPosition, Size());
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : Size();
  int64_t pos;
  if (__builtin_add_overflow(base, Offset, &pos)) pos = Offset < 0 ? 0 : std::numeric_limits<int64_t>::max();
  FPosition = std::max<int64_t>(pos, 0);
  return FPosition;
}

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition >= Size()) return 0;
  int64_t n = std::min(Count, Size() - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, size_t(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t end;
  if (__builtin_add_overflow(FPosition, Count, &end) || uint64_t(end) > FData.max_size())
    throw EInOutError("Stream write error");
  if (end > Size()) FData.resize(size_t(end));
  std::memcpy(FData.data() + FPosition, Buffer, size_t(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count > 0 && Read(Buffer, Count) != Count) throw EInOutError("Stream read error");
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

namespace {

std::string ReadWholeFile(const std::string& FileName) {
  std::error_code ec;
  std::FILE* f = std::filesystem::is_directory(FileName, ec) ? nullptr : std::fopen(FileName.c_str(), "rb");
  if (!f) throw EInOutError("Cannot open file \"" + FileName + "\"");
  std::string data;
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.append(chunk, got);
  bool failed = std::ferror(f);
  std::fclose(f);
  if (failed) throw EInOutError("Stream read error");
  return data;
}

void WriteWholeFile(const std::string& FileName, std::string_view data) {
  std::FILE* f = std::fopen(FileName.c_str(), "wb");
  if (!f) throw EInOutError("Cannot create file \"" + FileName + "\"");
  bool failed = std::fwrite(data.data(), 1, data.size(), f) != data.size();
  failed |= std::fclose(f) != 0;
  if (failed) throw EInOutError("Stream write error");
}

}  // namespace

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  std::string data = ReadWholeFile(FileName);
  FData.assign(data.begin(), data.end());
  FPosition = 0;
}

void TMemoryStream::SaveToFile(const std::string& FileName) const {
  WriteWholeFile(FileName, View());
}

void TStrings::LoadFromFile(const std::string& FileName) { SetText(ReadWholeFile(FileName)); }

void TStrings::SaveToFile(const std::string& FileName) const { WriteWholeFile(FileName, Text()); }

// ---- TCollection

TCollectionItem::~TCollectionItem() {
  if (!FCollection) return;
  auto& items = FCollection->FItems;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == this) {
      items.erase(items.begin() + i);
      break;
    }
  }
}

int TCollectionItem::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

void TCollectionItem::SetIndex(int Value) {
  if (!FCollection) throw EInvalidOperation("The item is in no collection");
  FCollection->Move(Index(), Value);
}

TCollection::~TCollection() { Clear(); }

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[Index];
}

TCollectionItem* TCollection::Add(std::unique_ptr<TCollectionItem> Item) {
  if (!Item) throw EInvalidOperation("No item to add to the collection");
  TCollectionItem* item = Item.release();
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
  return item;
}

void TCollection::Delete(int Index) {
  TCollectionItem* item = Items(Index);
  FItems.erase(FItems.begin() + Index);
  item->FCollection = nullptr;
  delete item;
}

std::unique_ptr<TCollectionItem> TCollection::Extract(TCollectionItem* Item) {
  int index = IndexOf(Item);
  if (index < 0) return nullptr;
  FItems.erase(FItems.begin() + index);
  Item->FCollection = nullptr;
  return std::unique_ptr<TCollectionItem>(Item);
}

void TCollection::Clear() {
  while (!FItems.empty()) {
    TCollectionItem* item = FItems.back();
    FItems.pop_back();
    item->FCollection = nullptr;
    delete item;
  }
}

int TCollection::IndexOf(const TCollectionItem* Item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == Item) return int(i);
  return -1;
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

void TCollection::Move(int CurIndex, int NewIndex) {
  if (CurIndex < 0 || CurIndex >= Count()) ListIndexError(CurIndex);
  if (NewIndex < 0 || NewIndex >= Count()) ListIndexError(NewIndex);
  TCollectionItem* item = FItems[CurIndex];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, item);
}
