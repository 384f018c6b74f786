#include "document/core/tag_name.h"

#include <mutex>
#include <unordered_set>

namespace {

// Names are never freed: a set of nodes keeps each at one address for good.
// Looked up by view, without making a string first.
struct TNameHash {
  using is_transparent = void;
  size_t operator()(std::string_view Name) const { return std::hash<std::string_view>()(Name); }
};

struct TNames {
  std::mutex Lock;
  std::unordered_set<std::string, TNameHash, std::equal_to<>> Set;
};

TNames& Names() {
  static TNames* Held = new TNames;
  return *Held;
}

}  // namespace

const std::string& TTagName::Empty() {
  static const std::string* None = new std::string;
  return *None;
}

TTagName& TTagName::operator=(std::string_view Name) {
  if (Name.empty()) {
    FName = &Empty();
    return *this;
  }
  if (*FName == Name) return *this;
  // Elements come in runs of one name (a page of paragraphs): the name found last on
  // this thread is tried before the shared set.
  thread_local const std::string* Last = &Empty();
  if (*Last == Name) {
    FName = Last;
    return *this;
  }
  TNames& N = Names();
  std::lock_guard<std::mutex> Guard(N.Lock);
  auto Found = N.Set.find(Name);
  FName = Found != N.Set.end() ? &*Found : &*N.Set.emplace(Name).first;
  Last = FName;
  return *this;
}
