// The command-line tools and the demo host as a user meets them: help and version, one-line errors with a
// non-zero exit, and qjxview's pictures on the window colour that hosts use.
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "images/gif_image.h"
#include "tests/packaging/run_command.h"
#include "tests/test_data.h"
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

// Every pixel of a PNG file as 0xAABBGGRR, the library's order for composed frames.
std::vector<uint32_t> RgbaOf(const fs::path& File) {
  png_image Picture{};
  Picture.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&Picture, File.c_str())) return {};
  Picture.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> Rgba(PNG_IMAGE_SIZE(Picture));
  if (!png_image_finish_read(&Picture, nullptr, Rgba.data(), 0, nullptr)) return {};
  std::vector<uint32_t> Pixels(Rgba.size() / 4);
  for (size_t I = 0; I < Pixels.size(); ++I)
    Pixels[I] = Rgba[4 * I] | (Rgba[4 * I + 1] << 8) | (Rgba[4 * I + 2] << 16) | (uint32_t(Rgba[4 * I + 3]) << 24);
  return Pixels;
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

// A file name with "#" and an anchor shows the document at the anchor; --scroll, when given,
// decides alone.
TEST_F(Tools, ViewScrollsToTheAnchorOfTheFileName) {
  std::string page = "<body bgcolor=white>";
  for (int i = 0; i < 60; ++i) page += "<p>filler</p>";
  page += "<a name=low></a><div id=box><table width=100% height=400 bgcolor=red><tr><td>x</td></tr></table></div>";
  for (int i = 0; i < 60; ++i) page += "<p>filler</p>";
  std::ofstream(Dir / "long.html") << page;
  const struct {
    std::string Args;
    int Colour;
  } Cases[] = {
      {"long.html", 0xFFFFFF},
      {"long.html#low", 0x0000FF},
      {"long.html#box", 0x0000FF},
      {"long.html#low --scroll 0", 0xFFFFFF},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Args);
    const TCommandResult R = Run(View, C.Args + " --width 200 --height 100 --png out.png");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_EQ(PixelOf(Dir / "out.png", 100, 50), C.Colour);
  }
}

// --frames writes every composed frame of an animation, as the library composes them, into
// its folder, which it makes when it is missing.
TEST_F(Tools, ImageWritesEveryFrameIntoAFolderItMakes) {
  const std::string Gif = TestDataPath("images/gif/pygif-test-suite/dispose-restore-previous.gif");
  const TCommandResult R = Run(Image, "'" + Gif + "' --frames new/frames");
  ASSERT_EQ(R.Exit, 0) << R.Err;
  std::ifstream In(Gif, std::ios::binary);
  const std::vector<uint8_t> Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  auto Expected = ReadGifImage(Bytes.data(), Bytes.size());
  ASSERT_GT(Expected->FrameCount, 1);
  for (int N = 1; N <= Expected->FrameCount + 1; ++N) {
    char Name[32];
    std::snprintf(Name, sizeof Name, "frame%03d.png", N - 1);
    const fs::path File = Dir / "new/frames" / Name;
    ASSERT_EQ(fs::exists(File), N <= Expected->FrameCount) << Name;
    if (N > Expected->FrameCount) break;
    Expected->ShowFrame(N);
    EXPECT_EQ(RgbaOf(File), Expected->RenderCurrent()) << Name;
  }
  // A folder that cannot be made is said in one line.
  std::ofstream(Dir / "plain") << "x";
  const TCommandResult Bad = Run(Image, "'" + Gif + "' --frames plain/frames");
  EXPECT_EQ(Bad.Exit, 1);
  EXPECT_EQ(Bad.Err.rfind("qjximage: cannot make the folder plain/frames: ", 0), 0u) << Bad.Err;
  EXPECT_EQ(std::count(Bad.Err.begin(), Bad.Err.end(), '\n'), 1) << Bad.Err;
}
