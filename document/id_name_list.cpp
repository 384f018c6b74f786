#include "document/id_name_list.h"

#include <memory>

#include "document/section_list.h"

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

int TIDNameList::AddObject(const std::string& Name, TIDObject* Obj) {
  int index = 0;
  if (Find(Name, index)) {
    // The list owns only its character positions.
    if (Objects(index) != Obj) delete dynamic_cast<TChPosObj*>(Objects(index));
    Delete(index);
  }
  return TStringList::AddObject(Name, Obj);
}

void TIDNameList::AddCharPosition(const std::string& Name, int SourcePos) {
  auto pos = std::make_unique<TChPosObj>(FDocument, SourcePos);
  AddObject(Name, pos.get());
  pos.release();  // now owned by the list
}

void TIDNameList::Clear() {
  for (int i = 0; i < Count(); ++i) delete dynamic_cast<TChPosObj*>(Objects(i));
  TStringList::Clear();
}

TIDObject* TIDNameList::Lookup(std::string_view Name) const {
  int index = 0;
  if (!Find(Name, index)) return nullptr;
  return dynamic_cast<TIDObject*>(Objects(index));
}
