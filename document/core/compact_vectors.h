// Vectors for what a text section holds. A document keeps one section per paragraph, so
// these spare the memory that std::vector spends on the common cases: both are sixteen
// bytes instead of twenty-four, and TSmallVector keeps a single element without an
// allocation (source maps and font runs, mostly one long).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

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
  size_t capacity() const { return FCapacity; }
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
  void insert_at(size_t Index, const T& Item) {
    const T Copy = Item;
    if (FSize == FCapacity) Reallocate(FCapacity * 2);
    std::memmove(Data() + Index + 1, Data() + Index, (FSize - Index) * sizeof(T));
    Data()[Index] = Copy;
    ++FSize;
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
