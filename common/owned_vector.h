// The storage of an owning list: unique pointers in sixteen bytes, the first one kept
// without an allocation. Documents hold a list in every table cell and most cells hold a
// single section, so a million cells spare a million small blocks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

template <class T>
class TOwnedVector {
 public:
  using TPtr = std::unique_ptr<T>;

  TOwnedVector() { new (&FOne) TPtr(); }
  ~TOwnedVector() { Release(); }
  TOwnedVector(const TOwnedVector&) = delete;
  TOwnedVector& operator=(const TOwnedVector&) = delete;
  TOwnedVector(TOwnedVector&& Other) noexcept {
    new (&FOne) TPtr();
    TakeFrom(Other);
  }
  TOwnedVector& operator=(TOwnedVector&& Other) noexcept {
    if (this != &Other) {
      clear();
      TakeFrom(Other);
    }
    return *this;
  }

  size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  TPtr* begin() { return Data(); }
  TPtr* end() { return Data() + FSize; }
  const TPtr* begin() const { return Data(); }
  const TPtr* end() const { return Data() + FSize; }
  TPtr& operator[](size_t Index) { return Data()[Index]; }
  const TPtr& operator[](size_t Index) const { return Data()[Index]; }
  TPtr& back() { return Data()[FSize - 1]; }

  void push_back(TPtr Item) {
    if (FSize == FCapacity) Grow();
    Data()[FSize++] = std::move(Item);
  }
  // Returns the slot of the new item.
  TPtr* insert(size_t Index, TPtr Item) {
    if (FSize == FCapacity) Grow();
    TPtr* Items = Data();
    std::move_backward(Items + Index, Items + FSize, Items + FSize + 1);
    Items[Index] = std::move(Item);
    ++FSize;
    return Items + Index;
  }
  void erase(size_t Index) {
    TPtr* Items = Data();
    std::move(Items + Index + 1, Items + FSize, Items + Index);
    Items[--FSize].reset();
  }
  // Frees the items and the storage.
  void clear() {
    Release();
    new (&FOne) TPtr();
  }

 private:
  bool OnHeap() const { return FCapacity > 1; }
  TPtr* Data() { return OnHeap() ? FMany : &FOne; }
  const TPtr* Data() const { return OnHeap() ? FMany : &FOne; }
  void Grow() {
    const uint32_t Capacity = FCapacity * 2;
    TPtr* Fresh = new TPtr[Capacity];
    TPtr* Old = Data();
    for (uint32_t I = 0; I < FSize; ++I) Fresh[I] = std::move(Old[I]);
    if (OnHeap()) {
      delete[] FMany;
    } else {
      FOne.~TPtr();
    }
    FMany = Fresh;
    FCapacity = Capacity;
  }
  // Takes Other's items into this empty vector; Other is left empty.
  void TakeFrom(TOwnedVector& Other) {
    if (Other.OnHeap()) {
      FOne.~TPtr();
      FMany = Other.FMany;
      FCapacity = Other.FCapacity;
      new (&Other.FOne) TPtr();
      Other.FCapacity = 1;
    } else {
      FOne = std::move(Other.FOne);
    }
    FSize = Other.FSize;
    Other.FSize = 0;
  }
  // Frees everything, leaving the union with no live member.
  void Release() {
    if (OnHeap()) {
      // Items go first to last, as a vector of unique pointers frees them.
      for (uint32_t I = 0; I < FSize; ++I) FMany[I].reset();
      delete[] FMany;
    } else {
      FOne.~TPtr();
    }
    FSize = 0;
    FCapacity = 1;
  }

  union {
    TPtr FOne;
    TPtr* FMany;
  };
  uint32_t FSize = 0;
  uint32_t FCapacity = 1;
};
