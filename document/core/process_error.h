// The error a section raises when it cannot be laid out, and the box that reports it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/classes.h"

// Raised by a section's Layout; the enclosing cell reports it and drops the section.
class EProcessError : public Exception {
 public:
  using Exception::Exception;
};

// The modal error box with a single OK button. The viewer points it at the toolkit's
// message box; with no box set, messages are recorded so that headless runs and tests
// can read them.
using TErrorBoxHook = std::function<void(const std::string& Message)>;
void SetErrorBox(TErrorBoxHook Hook);
void ShowErrorBox(const std::string& Message);
// Messages recorded while no box was set, oldest first (the latest 1000).
const std::vector<std::string>& RecordedErrorMessages();
void ClearRecordedErrorMessages();
