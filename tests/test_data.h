// Where the tests find their files. A file a test names is in tests/data/ (its origin
// and licence in tests/data/SOURCES.md); a sweep over a whole suite reads the shared
// corpus beside the project and skips, saying so, where a clone has none.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

// A file under tests/data/, e.g. "images/png/pngsuite/basn2c08.png".
inline std::string TestDataPath(const std::string& Relative) {
  return std::string(QJX_SOURCE_DIR) + "/tests/data/" + Relative;
}

// A file or folder of the shared corpus, e.g. "images/png/pngsuite".
inline std::string SharedCorpusPath(const std::string& Relative) {
  return std::string(QJX_SHARED_DIR) + "/corpus/" + Relative;
}

// A file's bytes. One that cannot be read throws, so that no test runs on nothing.
inline std::vector<uint8_t> ReadFileBytes(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  if (!In) throw std::runtime_error("cannot open " + Path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), {});
}

// Ends the current test as skipped when the shared corpus folder it sweeps is absent.
#define SKIP_WITHOUT_SHARED_CORPUS(Relative)                                                  \
  if (!std::filesystem::is_directory(SharedCorpusPath(Relative)))                             \
  GTEST_SKIP() << "the shared corpus folder " << SharedCorpusPath(Relative)                   \
               << " is absent; this sweep over a whole suite needs it"
