#include "document/core/id_name_list.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "document/core/section_list.h"

int TChPosObj::GetTopY() {
  if (!FDocument) return 0;
  const int pos = FDocument->SourceToDocPosOrEnd(FSourcePos, false);
  int x = 0, y = 0;
  return FDocument->PositionToPoint(nullptr, pos, x, y) ? y : 0;
}

TIDNameList::TIDNameList(TSectionList* ADocument) : FDocument(ADocument) {
  SetSorted(true);
  SetCaseSensitive(false);
  SetDuplicates(dupAccept);
}

TIDNameList::~TIDNameList() { Clear(); }

namespace {

std::string UpperName(std::string_view Name) {
  std::string upper(Name);
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

void TIDNameList::Put(const std::string& Name, TObject* Obj, bool IsId) {
  // Ownership is decided while the object is surely alive; other entries may belong to
  // sections that are freed before the list is cleared, so they are never looked into.
  if (auto* pos = dynamic_cast<TChPosObj*>(Obj)) FOwned.insert(pos);
  TEntry& entry = FEntries[UpperName(Name)];
  if (entry.Obj && entry.Obj != Obj) FreeIfOwned(entry.Obj);
  entry = TEntry{Name, Obj, IsId};
  FListStale = true;
  ++FPutCount;
}

void TIDNameList::AddObject(const std::string& Name, TIDObject* Obj) { Put(Name, Obj, false); }

void TIDNameList::AddCharPosition(const std::string& Name, int SourcePos) {
  Put(Name, new TChPosObj(FDocument, SourcePos), false);  // owned by the list from here
}

void TIDNameList::AddId(const std::string& Name, TIDObject* Obj) {
  auto it = FEntries.find(UpperName(Name));
  if (it != FEntries.end() && !it->second.IsId) {
    if (it->second.Obj != Obj) FreeIfOwned(Obj);
    return;
  }
  Put(Name, Obj, true);
}

void TIDNameList::AddIdAt(const std::string& Name, int SourcePos) {
  auto pos = std::make_unique<TChPosObj>(FDocument, SourcePos);
  FOwned.insert(pos.get());
  AddId(Name, pos.release());
}

void TIDNameList::FreeIfOwned(TObject* Obj) {
  auto it = FOwned.find(Obj);
  if (it == FOwned.end()) return;
  FOwned.erase(it);
  delete Obj;
}

void TIDNameList::Clear() {
  for (const auto& [upper, entry] : FEntries) FreeIfOwned(entry.Obj);
  FEntries.clear();
  FOwned.clear();
  FListStale = false;
  TStringList::Clear();
}

TIDObject* TIDNameList::Lookup(std::string_view Name) const {
  auto it = FEntries.find(UpperName(Name));
  return it == FEntries.end() ? nullptr : dynamic_cast<TIDObject*>(it->second.Obj);
}

void TIDNameList::Sync() const {
  if (!FListStale) return;
  FListStale = false;
  std::vector<const TEntry*> sorted;
  sorted.reserve(FEntries.size());
  for (const auto& [upper, entry] : FEntries) sorted.push_back(&entry);
  std::sort(sorted.begin(), sorted.end(), [this](const TEntry* A, const TEntry* B) {
    return CompareStrings(A->Name, B->Name) < 0;
  });
  // The list is a view of the table: making it changes nothing a reader can tell.
  auto* self = const_cast<TIDNameList*>(this);
  self->TStringList::Clear();
  for (const TEntry* entry : sorted) self->TStringList::AddObject(entry->Name, entry->Obj);
}

int TIDNameList::Count() const {
  Sync();
  return TStringList::Count();
}

const std::string& TIDNameList::Strings(int Index) const {
  Sync();
  return TStringList::Strings(Index);
}

TObject* TIDNameList::Objects(int Index) const {
  Sync();
  return TStringList::Objects(Index);
}

void TIDNameList::Delete(int Index) {
  Sync();
  FEntries.erase(UpperName(TStringList::Strings(Index)));
  TObject* obj = TStringList::Objects(Index);
  TStringList::Delete(Index);
  FreeIfOwned(obj);
}
