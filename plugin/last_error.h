// The message of the last failure an exported call caught, for the host to read.
#pragma once

#include <exception>
#include <string>

void SetLastError(const std::string& message);
void ClearLastError();
const char* LastErrorText();

// Runs f and returns what it returns; an exception becomes the last error and the call
// returns failure, so that nothing is thrown across the library's edge.
template <typename F>
auto Guarded(F f, decltype(f()) failure) -> decltype(f()) {
  try {
    return f();
  } catch (const std::exception& error) {
    SetLastError(error.what());
  } catch (...) {
    SetLastError("unknown error");
  }
  return failure;
}
