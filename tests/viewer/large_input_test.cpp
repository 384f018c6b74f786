// Documents of 100 MB that are one unfinished construct or one endless word load, lay out
// and paint without a crash or a hang.
#include <gtest/gtest.h>

#include <string>

#include "reader/builder_test_util.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

// Sanitized builds run ten times slower and need three times the memory: they take a
// tenth of the size, which still crosses every limit of 16 and 24 bits.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QJX_SANITIZED 1
#endif
#endif
#ifdef QJX_SANITIZED
constexpr size_t HundredMegabytes = 10u << 20;
#else
constexpr size_t HundredMegabytes = 100u << 20;
#endif

std::string Filled(const std::string& Head, char Fill) {
  std::string s;
  s.reserve(HundredMegabytes);
  s = Head;
  s.resize(HundredMegabytes, Fill);
  return s;
}

TEST(LargeInput, HundredMegabyteDocumentsLoadLayOutAndPaint) {
  TCreateParams params;
  params.Width = 640;
  params.Height = 480;
  params.Style = WS_VISIBLE;
  params.Proc = &DefWindowProc;
  HWND host = CreateWindow(params);
  {
    THTMLViewer viewer(nullptr, host, 0, 0, 640, 480);
    struct Case {
      const char* Name;
      std::string Head;
      char Fill;
    };
    const Case cases[] = {
        {"unterminated comment", "<p>before<!-- ", 'c'},
        {"unterminated quoted attribute", "<p>before<a href=\"", 'q'},
        {"unterminated tag", "<p>before<font ", ' '},
        {"one endless word", "<p>", 'w'},
        {"nothing but angle brackets", "", '<'},
    };
    for (const Case& c : cases) {
      const std::string doc = Filled(c.Head, c.Fill);
      viewer.LoadFromBuffer(doc.data(), int(doc.size()));
      EXPECT_FALSE(viewer.Processing()) << c.Name;
      viewer.ScrollTo(viewer.MaxVertical());
      HWND panel = viewer.PaintPanel()->Handle();
      InvalidateRect(panel, nullptr);
      UpdateWindow(panel);
    }
    viewer.Clear();
  }
  DestroyWindow(host);
}

// A megabyte of kanji without a space: lines break between characters and fill the width.
TEST(LargeInput, MegabyteOfDoubleByteTextWithoutSpacesBreaksBetweenCharacters) {
  TCreateParams params;
  params.Width = 640;
  params.Height = 480;
  params.Style = WS_VISIBLE;
  params.Proc = &DefWindowProc;
  HWND host = CreateWindow(params);
  {
    THTMLViewer viewer(nullptr, host, 0, 0, 640, 480);
    std::string doc = "<meta http-equiv=content-type content=\"text/html; charset=shift_jis\"><p>";
    for (int i = 0; i < (1 << 19); ++i) doc += "\x88\x9f";
    viewer.LoadFromBuffer(doc.data(), int(doc.size()));
    const std::vector<TFoundSection> sections = Sections(*viewer.SectionList());
    ASSERT_EQ(sections.size(), 1u);
    const TSection& s = *sections[0].Section;
    ASSERT_EQ(s.Len(), 1 << 20);
    int next = 0;
    for (const LineRec& line : s.FLines) {
      ASSERT_EQ(line.TextStart, next);
      ASSERT_EQ(line.CharCount % 2, 0) << next;
      ASSERT_LE(s.TextWidth(line.TextStart, line.CharCount, true), line.AvailWidth) << next;
      next += line.CharCount;
    }
    EXPECT_EQ(next, s.Len());
    EXPECT_GT(s.FLines.size(), (1u << 20) / 640);
    viewer.Clear();
  }
  DestroyWindow(host);
}

}  // namespace
