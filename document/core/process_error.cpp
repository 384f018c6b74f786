#include "document/core/process_error.h"

#include <utility>

namespace {

TErrorBoxHook& BoxHook() {
  static TErrorBoxHook hook;
  return hook;
}

std::vector<std::string>& Recorded() {
  static std::vector<std::string> messages;
  return messages;
}

}  // namespace

void SetErrorBox(TErrorBoxHook Hook) { BoxHook() = std::move(Hook); }

void ShowErrorBox(const std::string& Message) {
  if (BoxHook()) {
    BoxHook()(Message);
    return;
  }
  // A headless host that never reads the record must not grow it without end.
  constexpr size_t MaxRecorded = 1000;
  if (Recorded().size() >= MaxRecorded) Recorded().erase(Recorded().begin());
  Recorded().push_back(Message);
}

const std::vector<std::string>& RecordedErrorMessages() { return Recorded(); }

void ClearRecordedErrorMessages() { Recorded().clear(); }
