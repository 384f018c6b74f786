// The installed library's interface: its dynamic symbol table exports exactly what the
// public headers declare, and its soname carries the major version.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/packaging/run_command.h"

namespace {

std::set<std::string> DeclaredExports() {
  std::set<std::string> Names;
  const std::regex Declaration(R"(\nQJX_EXPORT [^;(]*?(\w+)\s*\()");
  for (const char* Header : {"qjxhtml.h", "qjxhtml_host.h"}) {
    std::ifstream In(std::string(QJX_SOURCE_DIR) + "/include/" + Header);
    std::stringstream Text;
    Text << In.rdbuf();
    const std::string S = Text.str();
    for (std::sregex_iterator I(S.begin(), S.end(), Declaration), End; I != End; ++I) Names.insert((*I)[1]);
  }
  return Names;
}

std::set<std::string> ExportedSymbols() {
  const TCommandResult Nm = RunCommand("nm -D --defined-only --format=posix '" QJX_LIBRARY_FILE "'");
  EXPECT_EQ(Nm.Exit, 0) << Nm.Err;
  std::set<std::string> Names;
  std::istringstream Lines(Nm.Out);
  for (std::string Line; std::getline(Lines, Line);)
    if (!Line.empty()) Names.insert(Line.substr(0, Line.find(' ')));
  return Names;
}

}  // namespace

TEST(LibraryInterface, ExportsExactlyWhatThePublicHeadersDeclare) {
  const std::set<std::string> Declared = DeclaredExports();
  ASSERT_TRUE(Declared.count("HV_Proc"));
  ASSERT_TRUE(Declared.count("QjxCreateHostWindow"));
  EXPECT_EQ(ExportedSymbols(), Declared);
}

TEST(LibraryInterface, SonameCarriesTheMajorVersionAndNamesTheFullyVersionedFile) {
  const TCommandResult Dynamic = RunCommand("readelf -d '" QJX_LIBRARY_FILE "'");
  ASSERT_EQ(Dynamic.Exit, 0) << Dynamic.Err;
  const std::string Version = QJX_VERSION;
  const std::string Soname = "libqjxhtml.so." + Version.substr(0, Version.find('.'));
  EXPECT_NE(Dynamic.Out.find("Library soname: [" + Soname + "]"), std::string::npos) << Dynamic.Out;
  const std::filesystem::path File = QJX_LIBRARY_FILE;
  EXPECT_EQ(File.filename(), "libqjxhtml.so." + Version);
  EXPECT_EQ(std::filesystem::read_symlink(File.parent_path() / Soname), File.filename());
}
