// The message of the last failure an exported call caught, for the host to read.
#pragma once

#include <string>

void SetLastError(const std::string& message);
void ClearLastError();
const char* LastErrorText();
