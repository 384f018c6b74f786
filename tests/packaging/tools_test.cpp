// The command-line tools and the demo host as a user meets them: help and version, one-line errors with a
// non-zero exit, and qjxview's pictures on the window colour that hosts use.
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/packaging/run_command.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window_metrics.h"

namespace {

namespace fs = std::filesystem;

const std::string View = QJX_BINARY_DIR "/apps/qjxview/qjxview";
const std::string Image = QJX_BINARY_DIR "/apps/qjximage/qjximage";
const std::string Demo = QJX_BINARY_DIR "/apps/qjxdemo/qjxdemo";

// A folder of inputs: a page, a file that is no image, a folder and an unreadable file.
class Tools : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Dir / "folder");
    std::ofstream(Dir / "page.html") << "<p>Text</p>";
    std::ofstream(Dir / "locked.html") << "<p>Text</p>";
    fs::permissions(Dir / "locked.html", fs::perms::none);
  }
  void TearDown() override { fs::remove_all(Dir); }

  // In sanitized builds the leak checker would add its list of suppressed start-up leaks.
  TCommandResult Run(const std::string& Tool, const std::string& Args) {
    return RunCommand("cd '" + Dir.string() + "' && LSAN_OPTIONS=\"${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0\" '" +
                      Tool + "' " + Args);
  }

  const fs::path Dir = fs::path(::testing::TempDir()) / "qjx_tools";
};

// The pixel at X, Y of a PNG file as 0x00BBGGRR, -1 if it cannot be read.
int PixelOf(const fs::path& File, int X, int Y) {
  png_image Picture{};
  Picture.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&Picture, File.c_str())) return -1;
  Picture.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> Rgb(PNG_IMAGE_SIZE(Picture));
  if (!png_image_finish_read(&Picture, nullptr, Rgb.data(), 0, nullptr)) return -1;
  const uint8_t* P = Rgb.data() + (size_t(Y) * Picture.width + size_t(X)) * 3;
  return P[0] | (P[1] << 8) | (P[2] << 16);
}

}  // namespace

TEST_F(Tools, HelpAndVersionGoToStandardOutput) {
  const struct {
    std::string Tool, Args, Out;
  } Cases[] = {
      {View, "--help", "usage: qjxview FILE"},       {View, "page.html --version", "qjxview " QJX_VERSION "\n"},
      {Image, "--help", "usage: qjximage FILE"},     {Image, "--version", "qjximage " QJX_VERSION "\n"},
      {Demo, "--help", "usage: qjxdemo FILE.html"},  {Demo, "--version", "qjxdemo " QJX_VERSION "\n"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Tool + " " + C.Args);
    const TCommandResult R = Run(C.Tool, C.Args);
    EXPECT_EQ(R.Exit, 0);
    EXPECT_NE(R.Out.find(C.Out), std::string::npos) << R.Out;
    EXPECT_EQ(R.Err, "");
  }
}

TEST_F(Tools, BadCallsFailWithOneLine) {
  struct TCase {
    std::string Tool, Args;
    int Exit;
    std::string Err;
  };
  std::vector<TCase> Cases = {
      {View, "", 2, "qjxview: no file given (see qjxview --help)"},
      {View, "page.html --frobnicate", 2, "qjxview: unknown option --frobnicate (see qjxview --help)"},
      {View, "page.html other.html", 2, "qjxview: one file only (see qjxview --help)"},
      {View, "page.html --width 9", 2, "qjxview: --width must be a number from 16 to 8000, not '9'"},
      {View, "page.html --height tall", 2, "qjxview: --height must be a number from 16 to 8000, not 'tall'"},
      {View, "page.html --background nocolour", 2, "qjxview: --background must be a colour, not 'nocolour'"},
      {View, "page.html --depth 16", 2, "qjxview: --depth must be 24, 8 or 4, not '16'"},
      {View, "page.html --png", 2, "qjxview: --png needs a value"},
      {View, "missing.html", 1, "qjxview: cannot read missing.html: No such file or directory"},
      {View, "folder", 1, "qjxview: cannot read folder: Is a directory"},
      {View, "page.html --png folder", 1, "qjxview: Can't create file: folder"},
      {Image, "", 2, "qjximage: no file given (see qjximage --help)"},
      {Image, "page.html -x", 2, "qjximage: unknown option -x (see qjximage --help)"},
      {Image, "page.html --depth 16", 2, "qjximage: --depth must be 24, 8 or 4, not '16'"},
      {Image, "missing.gif", 1, "qjximage: cannot read missing.gif: No such file or directory"},
      {Image, "folder", 1, "qjximage: cannot read folder: Is a directory"},
      {Image, "page.html", 1, "qjximage: page.html: "},
      {Demo, "", 2, "qjxdemo: no file given (see qjxdemo --help)"},
      {Demo, "page.html --frobnicate", 2, "qjxdemo: unexpected --frobnicate (see qjxdemo --help)"},
      {Demo, "missing.html --png out.png", 1, "qjxdemo: cannot open missing.html"},
  };
  if (geteuid() != 0)  // root reads files without read permission
    Cases.push_back({View, "locked.html", 1, "qjxview: cannot read locked.html: Permission denied"});
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Tool + " " + C.Args);
    const TCommandResult R = Run(C.Tool, C.Args);
    EXPECT_EQ(R.Exit, C.Exit);
    EXPECT_EQ(R.Err.rfind(C.Err, 0), 0u) << R.Err;
    EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
    EXPECT_EQ(R.Out, "");
  }
}

TEST_F(Tools, ViewShowsDocumentsOnTheWindowColourUnlessToldOtherwise) {
  const struct {
    std::string Args;
    int Colour;
  } Cases[] = {
      {"", GetSysColor(COLOR_WINDOW) & 0xFFFFFF},
      {"--background '#102030'", 0x302010},
      {"--background navy", 0x800000},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Args);
    const TCommandResult R = Run(View, "page.html --width 200 --height 100 --png out.png " + C.Args);
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_EQ(PixelOf(Dir / "out.png", 100, 80), C.Colour);
  }
}
