// The class-library bases every layer builds on: objects, exceptions, lists, string lists,
// collections and memory streams.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/owned_vector.h"

class TObject {
 public:
  virtual ~TObject() = default;
  // The class's own name, for messages ("TStringList").
  std::string ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// The root of every error this library raises on purpose; catch it to end an operation
// cleanly and let anything else pass on.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  std::string Message;
};

// An operation the object's state does not allow.
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be found, opened, read or written, or a stream read past its end.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// An index outside a list, or an operation a sorted or duplicate-free list refuses.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// Assign between classes that do not know each other.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// ASCII-only, so the result never depends on the locale: <0, 0 or >0 like strcmp.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
int CompareStr(std::string_view a, std::string_view b);

class TPersistent : public TObject {
 public:
  // Copies Source into this object; raises EConvertError when the classes do not match.
  virtual void Assign(const TPersistent* Source);
};

// An object that may own others: an owner frees what it owns when it is freed, and an owned
// component that is freed first leaves its owner's list.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  // Names are unique (ignoring case) among the components of one owner.
  void SetName(const std::string& Value);
  int ComponentCount() const { return int(FComponents.size()); }
  TComponent* Components(int Index) const;
  TComponent* FindComponent(std::string_view AName) const;
  // Moves a component under this owner (taking it from its previous owner).
  void InsertComponent(TComponent* AComponent);
  // Gives up ownership: the caller now frees the component.
  void RemoveComponent(TComponent* AComponent);

 private:
  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
};

// A three-way comparison: <0, 0 or >0.
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

// An ordered list of borrowed references.
class TList : public TObject {
 public:
  int Count() const { return int(FItems.size()); }
  void* Items(int Index) const;
  void SetItems(int Index, void* Item);
  void* operator[](int Index) const { return Items(Index); }
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  int IndexOf(const void* Item) const;
  // Removes the first occurrence; returns its former index or -1.
  int Remove(const void* Item);
  void Exchange(int Index1, int Index2);
  void Clear() { FItems.clear(); }
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  // Stable: items that compare equal keep their order.
  void Sort(const TListSortCompare& Compare);

  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  std::vector<void*> FItems;
};

[[noreturn]] void ListIndexError(int Index);

// An ordered list that owns its items: deleting, removing or clearing frees them.
template <class T>
class TObjectList : public TObject {
 public:
  int Count() const { return int(FItems.size()); }
  T* Items(int Index) const { return FItems[Check(Index)].get(); }
  T* operator[](int Index) const { return Items(Index); }
  T* Add(std::unique_ptr<T> Item) {
    FItems.push_back(std::move(Item));
    return FItems.back().get();
  }
  T* Insert(int Index, std::unique_ptr<T> Item) {
    if (Index < 0 || Index > Count()) ListIndexError(Index);
    return FItems.insert(size_t(Index), std::move(Item))->get();
  }
  void Delete(int Index) { FItems.erase(size_t(Check(Index))); }
  // Takes the item out without freeing it.
  std::unique_ptr<T> Extract(int Index) {
    std::unique_ptr<T> item = std::move(FItems[size_t(Check(Index))]);
    FItems.erase(size_t(Index));
    return item;
  }
  int IndexOf(const T* Item) const {
    for (size_t i = 0; i < FItems.size(); ++i)
      if (FItems[i].get() == Item) return int(i);
    return -1;
  }
  int Remove(const T* Item) {
    int index = IndexOf(Item);
    if (index >= 0) Delete(index);
    return index;
  }
  void Exchange(int Index1, int Index2) { std::swap(FItems[Check(Index1)], FItems[Check(Index2)]); }
  void Clear() { FItems.clear(); }
  T* First() const { return Items(0); }
  T* Last() const { return Items(Count() - 1); }
  // Stable; Compare is three-way like TList's.
  void Sort(const std::function<int(const T*, const T*)>& Compare);

  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  int Check(int Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return Index;
  }
  TOwnedVector<T> FItems;
};

template <class T>
void TObjectList<T>::Sort(const std::function<int(const T*, const T*)>& Compare) {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [&Compare](const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) {
                     return Compare(a.get(), b.get()) < 0;
                   });
}

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Lines of text, each with an optional object. TStrings holds the operations that work on
// any storage; TStringList is the storage.
class TStrings : public TPersistent {
 public:
  virtual int Count() const = 0;
  virtual const std::string& Strings(int Index) const = 0;
  virtual void SetStrings(int Index, const std::string& S) = 0;
  virtual TObject* Objects(int Index) const = 0;
  virtual void SetObjects(int Index, TObject* AObject) = 0;
  virtual int AddObject(const std::string& S, TObject* AObject);
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject) = 0;
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  virtual int IndexOf(std::string_view S) const;
  // How names, values and IndexOf compare; TStringList makes it switchable.
  virtual int CompareStrings(std::string_view a, std::string_view b) const;

  const std::string& operator[](int Index) const { return Strings(Index); }
  int Add(const std::string& S) { return AddObject(S, nullptr); }
  void Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }
  // Adds the strings and object references of Source; an owning TStringList takes the
  // strings only, because it cannot share the ownership of another list's objects.
  void AddStrings(const TStrings& Source);
  int IndexOfObject(const TObject* AObject) const;
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);

  // "name=value" lines.
  int IndexOfName(std::string_view Name) const;
  std::string Names(int Index) const;
  std::string ValueFromIndex(int Index) const;
  std::string Values(std::string_view Name) const;
  // Sets the value of the first line with the name, adding the line if there is none; an
  // empty value deletes the line.
  void SetValues(std::string_view Name, const std::string& Value);

  // Each line followed by CR LF; SetText splits at CR LF, LF or CR.
  std::string Text() const;
  void SetText(std::string_view Value);
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

  // Replaces the lines by those of another TStrings (as AddStrings).
  void Assign(const TPersistent* Source) override;

  auto begin() const { return TIterator{this, 0}; }
  auto end() const { return TIterator{this, Count()}; }

 private:
  struct TIterator {
    const TStrings* List;
    int Index;
    const std::string& operator*() const { return List->Strings(Index); }
    TIterator& operator++() {
      ++Index;
      return *this;
    }
    bool operator!=(const TIterator& other) const { return Index != other.Index; }
  };
};

class TStringList : public TStrings {
 public:
  TStringList() = default;
  explicit TStringList(bool AOwnsObjects) : FOwnsObjects(AOwnsObjects) {}
  ~TStringList() override;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  int Count() const override { return int(FItems.size()); }
  const std::string& Strings(int Index) const override;
  // In a sorted list the changed line moves to its place.
  void SetStrings(int Index, const std::string& S) override;
  TObject* Objects(int Index) const override;
  void SetObjects(int Index, TObject* AObject) override;
  // In a sorted list the line goes to its place; a duplicate is then ignored (returning the
  // existing index), accepted after its equals, or refused, as Duplicates says.
  int AddObject(const std::string& S, TObject* AObject) override;
  void InsertObject(int Index, const std::string& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  int IndexOf(std::string_view S) const override;
  int CompareStrings(std::string_view a, std::string_view b) const override;
  // Both refused in a sorted list.
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;

  // Binary search of a sorted list (a linear one otherwise): true with the first match's
  // index, or false with the index where S would go.
  bool Find(std::string_view S, int& Index) const;
  void Sort();
  void CustomSort(const std::function<int(const TStringList& List, int Index1, int Index2)>& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  // An owning list frees the objects of lines it deletes or replaces.
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }
  TNotifyEvent OnChange;

 private:
  struct TItem {
    std::string S;
    TObject* O = nullptr;
  };
  int Check(int Index) const;
  void Changed();
  void SortItems();
  int UpperBound(std::string_view S) const;
  std::vector<TItem> FItems;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
  TDuplicates FDuplicates = dupIgnore;
};

class TCollection;

// An item of one collection, which owns it; freeing the item takes it out of the collection.
class TCollectionItem : public TPersistent {
 public:
  TCollectionItem() = default;
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const { return FCollection; }
  // The position in the collection, -1 outside one; setting it moves the item.
  int Index() const;
  void SetIndex(int Value);
  // A number unique within the collection, kept when items move.
  int ID() const { return FID; }

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = -1;
};

class TCollection : public TPersistent {
 public:
  TCollection() = default;
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  int Count() const { return int(FItems.size()); }
  TCollectionItem* Items(int Index) const;
  TCollectionItem* operator[](int Index) const { return Items(Index); }
  TCollectionItem* Add(std::unique_ptr<TCollectionItem> Item);
  template <class T, class... Args>
  T* Add(Args&&... args) {
    return static_cast<T*>(Add(std::make_unique<T>(std::forward<Args>(args)...)));
  }
  void Delete(int Index);
  // Takes the item out without freeing it.
  std::unique_ptr<TCollectionItem> Extract(TCollectionItem* Item);
  void Clear();
  int IndexOf(const TCollectionItem* Item) const;
  TCollectionItem* FindItemID(int ID) const;

 private:
  friend class TCollectionItem;
  void Move(int CurIndex, int NewIndex);
  std::vector<TCollectionItem*> FItems;  // owned
  int FNextID = 0;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// A growable block of bytes with a position. The position may lie past the end: reading
// there yields nothing, writing there fills the gap with zeros.
class TMemoryStream : public TObject {
 public:
  uint8_t* Memory() { return FData.data(); }
  const uint8_t* Memory() const { return FData.data(); }
  int64_t Size() const { return int64_t(FData.size()); }
  void SetSize(int64_t NewSize);
  int64_t Position() const { return FPosition; }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  // A resulting position before the start is taken as the start.
  int64_t Seek(int64_t Offset, TSeekOrigin Origin);
  // The number of bytes read, fewer than Count at the end.
  int64_t Read(void* Buffer, int64_t Count);
  int64_t Write(const void* Buffer, int64_t Count);
  // Reads exactly Count bytes or raises EInOutError.
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count) { Write(Buffer, Count); }
  void Clear();
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;
  // The bytes from the start to the end, whatever the position.
  std::string_view View() const {
    return {reinterpret_cast<const char*>(FData.data()), FData.size()};
  }

 private:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};
