// The CSS1 reference tests: each test page and the reference page it names must give the
// same picture at 800 x 600, drawn with the Ahem test font that half of them rely on. The
// pages, their pictures and the font are in tests/data/ (origins and licences in its
// SOURCES.md); the font is registered here, for this process only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "style/colors.h"
#include "test_data.h"
#include "toolkit/fonts/font.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

// How many pages must match at least; the count only ever goes up.
constexpr int MatchFloor = 101;

std::string ReadText(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::stringstream Text;
  Text << In.rdbuf();
  return Text.str();
}

// The picture a page gives in an 800 x 600 window, as the viewer tool draws it.
std::vector<uint32_t> Render(const std::filesystem::path& Page) {
  TCreateParams Params;
  Params.Width = 800;
  Params.Height = 600;
  Params.Style = WS_VISIBLE;
  Params.Proc = &DefWindowProc;
  HWND Host = CreateWindow(Params);
  std::vector<uint32_t> Pixels;
  {
    THTMLViewer Viewer(nullptr, Host, 0, 0, 800, 600);
    Viewer.SetDefBackground(TColor(0x80000000 | COLOR_WINDOW));
    Viewer.LoadFromFile(Page.string());
    ProcessMessages();
    UpdateWindow(Viewer.PaintPanel()->Handle());
    Pixels = CaptureWindowPixels(Host).Pixels;
  }
  DestroyWindow(Host);
  for (uint32_t& P : Pixels) P &= 0xFFFFFF;
  return Pixels;
}

}  // namespace

TEST(Css1Suite, TestsMatchTheirReferences) {
  ASSERT_TRUE(AddFontFile(TestDataPath("fonts/ahem/Ahem.ttf")));
  ASSERT_TRUE(IsFaceInstalled("Ahem"));
  const std::filesystem::path Folder = TestDataPath("html/css1/tests");
  std::vector<std::filesystem::path> Pages;
  for (const auto& Entry : std::filesystem::directory_iterator(Folder)) {
    const std::string Name = Entry.path().filename().string();
    if (Entry.path().extension() == ".htm" && Name.find("-ref.") == std::string::npos)
      Pages.push_back(Entry.path());
  }
  std::sort(Pages.begin(), Pages.end());
  const std::regex Match(R"re(rel="match" href="([^"]*)")re");
  int Count = 0, Matched = 0;
  std::string Failures;
  for (const auto& Page : Pages) {
    std::smatch Found;
    const std::string Text = ReadText(Page);
    if (!std::regex_search(Text, Found, Match)) continue;
    ++Count;
    if (Render(Page) == Render(Folder / Found[1].str()))
      ++Matched;
    else
      Failures += " " + Page.stem().string();
  }
  std::printf("failing:%s\n%d of %d match\n", Failures.c_str(), Matched, Count);
  EXPECT_EQ(Count, 159);
  EXPECT_GE(Matched, MatchFloor);
}
