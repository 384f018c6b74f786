#include "document/core/id_name_list.h"

#include <cctype>
#include <memory>

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

std::string UpperName(const std::string& Name) {
  std::string upper = Name;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

int TIDNameList::AddObject(const std::string& Name, TIDObject* Obj) {
  FIdNames.erase(UpperName(Name));
  int index = 0;
  if (Find(Name, index)) {
    TObject* old = Objects(index);
    Delete(index);
    if (old != Obj) FreeIfOwned(old);
  }
  // Ownership is decided while the object is surely alive; other entries may belong to
  // sections that are freed before the list is cleared, so they are never looked into.
  if (auto* pos = dynamic_cast<TChPosObj*>(Obj)) FOwned.insert(pos);
  return TStringList::AddObject(Name, Obj);
}

void TIDNameList::AddCharPosition(const std::string& Name, int SourcePos) {
  auto pos = std::make_unique<TChPosObj>(FDocument, SourcePos);
  AddObject(Name, pos.get());
  pos.release();  // now owned by the list
}

void TIDNameList::AddId(const std::string& Name, TIDObject* Obj) {
  const std::string upper = UpperName(Name);
  int index = 0;
  if (Find(Name, index) && !FIdNames.count(upper)) {
    FreeIfOwned(Obj);
    return;
  }
  AddObject(Name, Obj);
  FIdNames.insert(upper);
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
  for (int i = 0; i < Count(); ++i) FreeIfOwned(Objects(i));
  FOwned.clear();
  FIdNames.clear();
  TStringList::Clear();
}

TIDObject* TIDNameList::Lookup(std::string_view Name) const {
  int index = 0;
  if (!Find(Name, index)) return nullptr;
  return dynamic_cast<TIDObject*>(Objects(index));
}
