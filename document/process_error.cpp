#include "document/process_error.h"

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
  if (BoxHook())
    BoxHook()(Message);
  else
    Recorded().push_back(Message);
}

const std::vector<std::string>& RecordedErrorMessages() { return Recorded(); }

void ClearRecordedErrorMessages() { Recorded().clear(); }
