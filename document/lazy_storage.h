// A string and a vector kept behind a pointer: eight bytes while empty instead of a whole
// std::string or std::vector. A document holds one text section per paragraph, and most
// sections never fill their break flags or placed objects, so these hold them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
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
