#include "document/core/url_target.h"

namespace {
// Link ids are unique across every document of the library (one UI thread).
int NextLinkID = 0;
}  // namespace

void TUrlTarget::Assign(const std::string& AURL, const std::string& ATarget) {
  URL = AURL;
  Target = ATarget;
  ID = NextLinkID++;
}

void TUrlTarget::Copy(const TUrlTarget& Other) {
  URL = Other.URL;
  Target = Other.Target;
  ID = Other.ID;
}

void TUrlTarget::Clear() {
  URL.clear();
  Target.clear();
  ID = 0;
}
