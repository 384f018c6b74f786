// TStrings and TStringList of classes.h.
#include "common/classes.h"

#include <numeric>

namespace {

constexpr const char* kSortedListError = "Operation not allowed on sorted list";

}  // namespace

// ---- TStrings

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int index = Count();
  InsertObject(index, S, AObject);
  return index;
}

int TStrings::CompareStrings(std::string_view a, std::string_view b) const { return CompareText(a, b); }

int TStrings::IndexOf(std::string_view S) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareStrings(Strings(i), S) == 0) return i;
  return -1;
}

void TStrings::AddStrings(const TStrings& Source) {
  // An owning list cannot share another list's objects, so it takes the strings only.
  auto* self = dynamic_cast<const TStringList*>(this);
  bool withObjects = !(self && self->OwnsObjects());
  for (int i = 0, n = Source.Count(); i < n; ++i) {
    std::string line = Source.Strings(i);  // a copy: Source may be this list
    AddObject(line, withObjects ? Source.Objects(i) : nullptr);
  }
}

int TStrings::IndexOfObject(const TObject* AObject) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (Objects(i) == AObject) return i;
  return -1;
}

void TStrings::Exchange(int Index1, int Index2) {
  std::string s1 = Strings(Index1), s2 = Strings(Index2);
  TObject* o1 = Objects(Index1);
  TObject* o2 = Objects(Index2);
  SetStrings(Index1, s2);
  SetObjects(Index1, o2);
  SetStrings(Index2, s1);
  SetObjects(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  std::string s = Strings(CurIndex);
  TObject* o = Objects(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, o);
}

int TStrings::IndexOfName(std::string_view Name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    std::string_view line = Strings(i);
    size_t eq = line.find('=');
    if (eq != std::string_view::npos && CompareStrings(line.substr(0, eq), Name) == 0) return i;
  }
  return -1;
}

std::string TStrings::Names(int Index) const {
  const std::string& line = Strings(Index);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStrings::ValueFromIndex(int Index) const {
  const std::string& line = Strings(Index);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string TStrings::Values(std::string_view Name) const {
  int index = IndexOfName(Name);
  return index >= 0 ? ValueFromIndex(index) : std::string();
}

void TStrings::SetValues(std::string_view Name, const std::string& Value) {
  int index = IndexOfName(Name);
  std::string line = std::string(Name) + "=" + Value;
  if (Value.empty()) {
    if (index >= 0) Delete(index);
  } else if (index >= 0) {
    SetStrings(index, line);
  } else {
    Add(line);
  }
}

std::string TStrings::Text() const {
  std::string text;
  for (int i = 0, n = Count(); i < n; ++i) {
    text += Strings(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(std::string_view Value) {
  Clear();
  size_t pos = 0;
  while (pos < Value.size()) {
    size_t end = Value.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = Value.size();
    Add(std::string(Value.substr(pos, end - pos)));
    pos = end;
    if (pos < Value.size()) pos += Value.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
  }
}

void TStrings::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (auto* strings = dynamic_cast<const TStrings*>(Source)) {
    Clear();
    AddStrings(*strings);
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  Clear();
}

int TStringList::Check(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return Index;
}

void TStringList::Changed() {
  if (OnChange) OnChange(this);
}

const std::string& TStringList::Strings(int Index) const { return FItems[Check(Index)].S; }

TObject* TStringList::Objects(int Index) const { return FItems[Check(Index)].O; }

void TStringList::SetStrings(int Index, const std::string& S) {
  Check(Index);
  if (!FSorted) {
    FItems[Index].S = S;
  } else {
    TItem item{S, FItems[Index].O};
    FItems.erase(FItems.begin() + Index);
    FItems.insert(FItems.begin() + UpperBound(item.S), std::move(item));
  }
  Changed();
}

void TStringList::SetObjects(int Index, TObject* AObject) {
  TObject*& slot = FItems[Check(Index)].O;
  if (FOwnsObjects && slot != AObject) delete slot;
  slot = AObject;
  Changed();
}

int TStringList::UpperBound(std::string_view S) const {
  int lo = 0, hi = Count();
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (CompareStrings(FItems[mid].S, S) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int index = Count();
  if (FSorted) {
    if (Find(S, index)) {
      if (FDuplicates == dupIgnore) {
        // The list took the object; since the line is not added, it is not kept.
        if (FOwnsObjects && AObject != FItems[index].O) delete AObject;
        return index;
      }
      if (FDuplicates == dupError) throw EListError("String list does not allow duplicates");
      index = UpperBound(S);
    }
  }
  FItems.insert(FItems.begin() + index, TItem{S, AObject});
  Changed();
  return index;
}

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  if (FSorted) throw EListError(kSortedListError);
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  FItems.insert(FItems.begin() + Index, TItem{S, AObject});
  Changed();
}

void TStringList::Delete(int Index) {
  Check(Index);
  TObject* object = FItems[Index].O;
  FItems.erase(FItems.begin() + Index);
  if (FOwnsObjects) delete object;
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  std::vector<TItem> old;
  old.swap(FItems);
  if (FOwnsObjects)
    for (TItem& item : old) delete item.O;
  Changed();
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
  return FCaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

int TStringList::IndexOf(std::string_view S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int index;
  return Find(S, index) ? index : -1;
}

bool TStringList::Find(std::string_view S, int& Index) const {
  if (!FSorted) {
    Index = TStrings::IndexOf(S);
    if (Index >= 0) return true;
    Index = Count();
    return false;
  }
  int lo = 0, hi = Count();
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (CompareStrings(FItems[mid].S, S) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  Index = lo;
  return lo < Count() && CompareStrings(FItems[lo].S, S) == 0;
}

void TStringList::Exchange(int Index1, int Index2) {
  if (FSorted) throw EListError(kSortedListError);
  std::swap(FItems[Check(Index1)], FItems[Check(Index2)]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (FSorted) throw EListError(kSortedListError);
  Check(CurIndex);
  Check(NewIndex);
  TItem item = std::move(FItems[CurIndex]);
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, std::move(item));
  Changed();
}

void TStringList::SortItems() {
  std::stable_sort(FItems.begin(), FItems.end(), [this](const TItem& a, const TItem& b) {
    return CompareStrings(a.S, b.S) < 0;
  });
}

void TStringList::Sort() {
  SortItems();
  Changed();
}

void TStringList::CustomSort(
    const std::function<int(const TStringList& List, int Index1, int Index2)>& Compare) {
  if (FSorted) throw EListError(kSortedListError);
  std::vector<int> order(FItems.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return Compare(*this, a, b) < 0; });
  std::vector<TItem> sorted;
  sorted.reserve(FItems.size());
  for (int i : order) sorted.push_back(std::move(FItems[i]));
  FItems.swap(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (Value && !FSorted) SortItems();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  FCaseSensitive = Value;
  if (FSorted) SortItems();
}
