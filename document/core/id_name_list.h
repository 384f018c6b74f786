// Ids and anchor names of a document, looked up without regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "common/classes.h"
#include "document/core/section_base.h"

// A named character position inside text (an anchor with no section of its own).
class TChPosObj : public TIDObject {
 public:
  TChPosObj(TSectionList* ADocument, int ASourcePos) : FDocument(ADocument), FSourcePos(ASourcePos) {}
  // The Y of the position's line, 0 when it cannot be placed.
  int GetTopY() override;

  TSectionList* FDocument = nullptr;
  int FSourcePos = 0;
};

// The names are kept in a hash table while a document is built, so that adding one costs
// the same however many there are; the sorted list of the base class is made from it only
// when it is read through that class (its count, its lines, its objects).
class TIDNameList : public TStringList {
 public:
  explicit TIDNameList(TSectionList* ADocument);
  ~TIDNameList() override;

  // An anchor's name. The last definition of a name wins; a replaced TChPosObj is freed,
  // other objects belong to the document tree.
  void AddObject(const std::string& Name, TIDObject* Obj);
  void AddCharPosition(const std::string& Name, int SourcePos);
  // An element's id: a link target only where no anchor has that name, so it never
  // replaces a name, and a name defined later replaces it. Among ids the last one wins.
  void AddId(const std::string& Name, TIDObject* Obj);
  // The id of an element that has no object of its own, at its source offset.
  void AddIdAt(const std::string& Name, int SourcePos);
  // Frees the TChPosObj entries and empties the list.
  void Clear() override;
  // The object under Name (any case), or null.
  TIDObject* Lookup(std::string_view Name) const;

  // How many names and ids were put so far: whether a part of the document gave any.
  uint64_t PutCount() const { return FPutCount; }

  // The sorted list, made from the table first when names were added since.
  int Count() const override;
  const std::string& Strings(int Index) const override;
  TObject* Objects(int Index) const override;
  void Delete(int Index) override;

  TSectionList* FDocument = nullptr;

 private:
  struct TEntry {
    std::string Name;  // as given
    TObject* Obj = nullptr;
    bool IsId = false;
  };
  using TStringList::AddObject;
  void Put(const std::string& Name, TObject* Obj, bool IsId);
  void FreeIfOwned(TObject* Obj);
  // Makes the base class's sorted list from FEntries when it is out of date.
  void Sync() const;
  std::unordered_map<std::string, TEntry> FEntries;  // by the upper-case name
  mutable bool FListStale = false;
  uint64_t FPutCount = 0;
  std::unordered_set<const TObject*> FOwned;  // the character positions, which the list owns
};
