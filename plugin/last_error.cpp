#include "plugin/last_error.h"

namespace {
std::string& LastError() {
  static std::string text;
  return text;
}
}  // namespace

void SetLastError(const std::string& message) { LastError() = message; }
void ClearLastError() { LastError().clear(); }
const char* LastErrorText() { return LastError().c_str(); }
