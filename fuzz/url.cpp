// Feeds a base and a reference (split at the first newline) to the URL helpers and checks
// the promises they make: directories end in "/", resolved references keep the base's root
// and carry no dot segments.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "url/url_subs.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The part of an already trimmed, non-empty base that no reference may climb above.
std::string RootOf(const std::string& base) {
  size_t scheme = base.find("://");
  size_t root = base.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  return root == std::string::npos ? base + "/" : base.substr(0, root + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t cut = input.find('\n');
  std::string_view base = input.substr(0, cut);
  std::string_view ref = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);

  std::string dir = UrlDirectory(base);
  Check(!dir.empty() && dir.back() == '/');

  std::string resolved = ResolveUrl(base, ref);
  std::string trimmedRef = TrimBlanks(ref);
  if (!base.empty() && !HasScheme(trimmedRef) && trimmedRef.compare(0, 2, "//") != 0) {
    std::string root = RootOf(std::string(base));
    Check(resolved.compare(0, root.size(), root) == 0);
    Check(resolved.find("/../", root.size() - 1) == std::string::npos);
    Check(resolved.find("/./", root.size() - 1) == std::string::npos);
  }

  HasScheme(ref);
  UrlToFileName(ref);
  UrlToDosFileName(ref);
  UrlToServerFile(ref, base);
  UrlToServerFile(ref, "D:\\site");
  return 0;
}
