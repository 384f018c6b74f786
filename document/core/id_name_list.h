// Ids and anchor names of a document, looked up without regard to case.
#pragma once

#include <string>
#include <string_view>
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

class TIDNameList : public TStringList {
 public:
  explicit TIDNameList(TSectionList* ADocument);
  ~TIDNameList() override;

  // An anchor's name. The last definition of a name wins; a replaced TChPosObj is freed,
  // other objects belong to the document tree.
  int AddObject(const std::string& Name, TIDObject* Obj);
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

  TSectionList* FDocument = nullptr;

 private:
  using TStringList::AddObject;
  void FreeIfOwned(TObject* Obj);
  std::unordered_set<const TObject*> FOwned;  // the character positions, which the list owns
  std::unordered_set<std::string> FIdNames;   // upper case: the names whose entry is an id
};
