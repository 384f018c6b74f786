#include "document/core/tag_name.h"

#include <mutex>
#include <unordered_set>

namespace {

// Names are never freed: a set of nodes keeps each at one address for good.
struct TNames {
  std::mutex Lock;
  std::unordered_set<std::string> Set;
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
  TNames& N = Names();
  std::lock_guard<std::mutex> Guard(N.Lock);
  FName = &*N.Set.emplace(Name).first;
  return *this;
}
