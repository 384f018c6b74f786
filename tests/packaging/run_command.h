// Runs a shell command for the packaging tests and keeps its exit code and output.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

struct TCommandResult {
  int Exit = -1;
  std::string Out, Err;
};

inline std::string ReadWhole(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  std::stringstream Text;
  Text << In.rdbuf();
  return Text.str();
}

inline TCommandResult RunCommand(const std::string& Command) {
  const std::string Out = ::testing::TempDir() + "qjx_command.out", Err = ::testing::TempDir() + "qjx_command.err";
  const int Status = std::system((Command + " > '" + Out + "' 2> '" + Err + "' < /dev/null").c_str());
  TCommandResult Result;
  Result.Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  Result.Out = ReadWhole(Out);
  Result.Err = ReadWhole(Err);
  std::remove(Out.c_str());
  std::remove(Err.c_str());
  return Result;
}
