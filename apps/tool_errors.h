// What the command-line tools share: one-line errors and the check that an input file
// can be read, so that a missing or unreadable file is named with its reason.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

// Writes "Tool: Message" on standard error; gives the exit code to return.
inline int ToolFail(const char* Tool, int Code, const std::string& Message) {
  std::fprintf(stderr, "%s: %s\n", Tool, Message.c_str());
  return Code;
}

// Empty when FileName can be read; otherwise why not, as "cannot read NAME: reason".
inline std::string ReadProblem(const std::string& FileName) {
  errno = 0;
  std::FILE* f = std::fopen(FileName.c_str(), "rb");
  if (f) {
    std::fgetc(f);  // a folder opens but does not read
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (!failed) return {};
  }
  return "cannot read " + FileName + ": " + std::strerror(errno ? errno : EIO);
}
