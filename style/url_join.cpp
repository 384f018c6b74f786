#include "style/url_join.h"

namespace {

bool HasUrlScheme(std::string_view address) {
  size_t colon = address.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    char c = address[i];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return false;
  }
  return true;
}

}  // namespace

// Kept small on purpose: the reference goes to the directory of the base, or to the
// server root for an address starting with "/".
std::string JoinUrl(std::string_view address, std::string_view base) {
  if (HasUrlScheme(address)) return std::string(address);
  size_t schemeEnd = base.find("://");
  size_t hostStart = schemeEnd == std::string_view::npos ? 0 : schemeEnd + 3;
  if (address.rfind("/", 0) == 0) {
    size_t pathStart = base.find('/', hostStart);
    return std::string(base.substr(0, pathStart)) + std::string(address);
  }
  size_t lastSlash = base.rfind('/');
  std::string dir = lastSlash == std::string_view::npos || lastSlash < hostStart
                        ? std::string(base) + "/"
                        : std::string(base.substr(0, lastSlash + 1));
  return dir + std::string(address);
}
