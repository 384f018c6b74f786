// Storage for what a text section holds. A document keeps one section per paragraph, so
// these spare the memory that std::string and std::vector spend on the common cases:
// TLazyString and TLazyVector are eight bytes while empty (break flags and placed
// objects, which most sections never fill); TSmallVector is sixteen bytes and keeps a
// single element without an allocation (source maps and font runs, mostly one long);
// TCompactVector is sixteen bytes (lines).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <algorithm>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

class TLazyString {
 public:
  TLazyString() = default;
  TLazyString(const TLazyString& Other) { *this = Other; }
  TLazyString& operator=(const TLazyString& Other) {
    if (this != &Other) FText = Other.empty() ? nullptr : std::make_unique<std::string>(*Other.FText);
    return *this;
  }
  TLazyString& operator=(std::string&& Text) {
    if (Text.empty()) FText.reset();
    else FText = std::make_unique<std::string>(std::move(Text));
    return *this;
  }

  bool empty() const { return !FText || FText->empty(); }
  size_t size() const { return FText ? FText->size() : 0; }
  char operator[](size_t Index) const { return (*FText)[Index]; }
  // The text, empty when none was made.
  const std::string& Str() const {
    static const std::string None;
    return FText ? *FText : None;
  }
  // The text to change, made when there is none.
  std::string& Edit() {
    if (!FText) FText = std::make_unique<std::string>();
    return *FText;
  }
  void Reset() { FText.reset(); }
  void shrink_to_fit() {
    if (empty()) Reset();
    else FText->shrink_to_fit();
  }

 private:
  std::unique_ptr<std::string> FText;
};

template <class T>
class TLazyVector {
 public:
  TLazyVector() = default;
  TLazyVector& operator=(std::vector<T>&& Items) {
    if (Items.empty()) FItems.reset();
    else FItems = std::make_unique<std::vector<T>>(std::move(Items));
    return *this;
  }

  bool empty() const { return !FItems || FItems->empty(); }
  size_t size() const { return FItems ? FItems->size() : 0; }
  T& operator[](size_t Index) { return (*FItems)[Index]; }
  const T& operator[](size_t Index) const { return (*FItems)[Index]; }
  T* begin() { return FItems ? FItems->data() : nullptr; }
  T* end() { return FItems ? FItems->data() + FItems->size() : nullptr; }
  const T* begin() const { return FItems ? FItems->data() : nullptr; }
  const T* end() const { return FItems ? FItems->data() + FItems->size() : nullptr; }

  void push_back(T Item) { Items().push_back(std::move(Item)); }
  void append(const T* First, const T* Last) {
    if (First != Last) Items().insert(Items().end(), First, Last);
  }
  void erase_at(size_t Index) { FItems->erase(FItems->begin() + Index); }
  // Empties and frees.
  void clear() { FItems.reset(); }
  void shrink_to_fit() {
    if (empty()) clear();
    else FItems->shrink_to_fit();
  }

 private:
  std::vector<T>& Items() {
    if (!FItems) FItems = std::make_unique<std::vector<T>>();
    return *FItems;
  }
  std::unique_ptr<std::vector<T>> FItems;
};

// A vector of trivially copyable elements whose first element lives inline.
template <class T>
class TSmallVector {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  TSmallVector() = default;
  ~TSmallVector() { FreeHeap(); }
  TSmallVector(const TSmallVector& Other) { CopyFrom(Other); }
  TSmallVector& operator=(const TSmallVector& Other) {
    if (this != &Other) {
      clear();
      CopyFrom(Other);
    }
    return *this;
  }
  TSmallVector(TSmallVector&& Other) noexcept { TakeFrom(Other); }
  TSmallVector& operator=(TSmallVector&& Other) noexcept {
    if (this != &Other) {
      clear();
      TakeFrom(Other);
    }
    return *this;
  }

  size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  T* begin() { return Data(); }
  T* end() { return Data() + FSize; }
  const T* begin() const { return Data(); }
  const T* end() const { return Data() + FSize; }
  T& operator[](size_t Index) { return Data()[Index]; }
  const T& operator[](size_t Index) const { return Data()[Index]; }
  T& front() { return Data()[0]; }
  const T& front() const { return Data()[0]; }
  T& back() { return Data()[FSize - 1]; }
  const T& back() const { return Data()[FSize - 1]; }

  void push_back(const T& Item) {
    const T Copy = Item;  // Item may live in the storage that grows
    if (FSize == FCapacity) Reallocate(FCapacity * 2);
    Data()[FSize++] = Copy;
  }
  void reserve(size_t Count) {
    if (Count > FCapacity) Reallocate(static_cast<uint32_t>(Count));
  }
  void erase_at(size_t Index) {
    std::memmove(Data() + Index, Data() + Index + 1, (FSize - Index - 1) * sizeof(T));
    --FSize;
  }
  // Keeps the first Count elements.
  void truncate(size_t Count) {
    if (Count < FSize) FSize = static_cast<uint32_t>(Count);
  }
  // Empties and frees.
  void clear() {
    FreeHeap();
    FSize = 0;
  }
  void shrink_to_fit() {
    if (OnHeap() && FSize < FCapacity) Reallocate(FSize);
  }

 private:
  bool OnHeap() const { return FCapacity > 1; }
  T* Data() { return OnHeap() ? FHeap : std::launder(reinterpret_cast<T*>(FInline)); }
  const T* Data() const {
    return OnHeap() ? FHeap : std::launder(reinterpret_cast<const T*>(FInline));
  }
  // Moves the elements to storage for Capacity (at least the size; one means inline).
  void Reallocate(uint32_t Capacity) {
    Capacity = std::max<uint32_t>({Capacity, FSize, 1});
    if (Capacity == FCapacity) return;
    T* Old = Data();
    if (Capacity == 1 && FSize == 0) {
      FreeHeap();
      return;
    }
    if (Capacity == 1) {
      const T Only = *Old;
      FreeHeap();
      new (FInline) T(Only);
      return;
    }
    T* Fresh = static_cast<T*>(::operator new(sizeof(T) * Capacity));
    if (FSize > 0) std::memcpy(static_cast<void*>(Fresh), Old, FSize * sizeof(T));
    FreeHeap();
    FHeap = Fresh;
    FCapacity = Capacity;
  }
  void FreeHeap() {
    if (OnHeap()) ::operator delete(FHeap);
    FCapacity = 1;
  }
  void CopyFrom(const TSmallVector& Other) {
    reserve(Other.FSize);
    if (Other.FSize > 0) std::memcpy(static_cast<void*>(Data()), Other.Data(), Other.FSize * sizeof(T));
    FSize = Other.FSize;
  }
  void TakeFrom(TSmallVector& Other) {
    if (Other.OnHeap()) {
      FHeap = Other.FHeap;
      FCapacity = Other.FCapacity;
      Other.FCapacity = 1;
    } else if (Other.FSize > 0) {
      new (FInline) T(Other.front());
    }
    FSize = Other.FSize;
    Other.FSize = 0;
  }

  union {
    T* FHeap;
    alignas(T) unsigned char FInline[sizeof(T)];
  };
  uint32_t FSize = 0;
  uint32_t FCapacity = 1;
};

// A vector of trivially copyable elements in sixteen bytes: the elements always live on
// the heap. Clearing keeps the storage, as std::vector does.
template <class T>
class TCompactVector {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  TCompactVector() = default;
  ~TCompactVector() { ::operator delete(FData); }
  TCompactVector(const TCompactVector& Other) { *this = Other; }
  TCompactVector& operator=(const TCompactVector& Other) {
    if (this != &Other) {
      FSize = 0;
      reserve(Other.FSize);
      if (Other.FSize > 0) std::memcpy(static_cast<void*>(FData), Other.FData, Other.FSize * sizeof(T));
      FSize = Other.FSize;
    }
    return *this;
  }
  TCompactVector(TCompactVector&& Other) noexcept
      : FData(std::exchange(Other.FData, nullptr)),
        FSize(std::exchange(Other.FSize, 0)),
        FCapacity(std::exchange(Other.FCapacity, 0)) {}
  TCompactVector& operator=(TCompactVector&& Other) noexcept {
    if (this != &Other) {
      ::operator delete(FData);
      FData = std::exchange(Other.FData, nullptr);
      FSize = std::exchange(Other.FSize, 0);
      FCapacity = std::exchange(Other.FCapacity, 0);
    }
    return *this;
  }

  size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  T* begin() { return FData; }
  T* end() { return FData + FSize; }
  const T* begin() const { return FData; }
  const T* end() const { return FData + FSize; }
  T& operator[](size_t Index) { return FData[Index]; }
  const T& operator[](size_t Index) const { return FData[Index]; }
  T& back() { return FData[FSize - 1]; }
  const T& back() const { return FData[FSize - 1]; }

  void push_back(const T& Item) {
    const T Copy = Item;  // Item may live in the storage that grows
    if (FSize == FCapacity) reserve(FCapacity == 0 ? 1 : size_t(FCapacity) * 2);
    FData[FSize++] = Copy;
  }
  void reserve(size_t Count) {
    if (Count <= FCapacity) return;
    T* Fresh = static_cast<T*>(::operator new(sizeof(T) * Count));
    if (FSize > 0) std::memcpy(static_cast<void*>(Fresh), FData, FSize * sizeof(T));
    ::operator delete(FData);
    FData = Fresh;
    FCapacity = static_cast<uint32_t>(Count);
  }
  void clear() { FSize = 0; }

 private:
  T* FData = nullptr;
  uint32_t FSize = 0;
  uint32_t FCapacity = 0;
};
