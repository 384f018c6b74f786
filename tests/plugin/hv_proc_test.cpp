// The entry as a host uses it: commands, results, and what reaches the host window.
#include <cstdio>
#include <fstream>
#include <vector>
#include <iterator>
#include <functional>
#include <string>
#include <tuple>

#include "document/blocks/block.h"
#include "document/core/section_list.h"
#include "document/forms/form.h"
#include "document/images/image_obj.h"
#include "host_fixture.h"
#include "plugin/registry.h"
#include "tests/test_data.h"
#include "toolkit/controls/controls.h"
#include "toolkit/windows/clipboard.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

std::string WriteTempFile(const std::string& name, const std::string& content) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

intptr_t Arg(const void* p) { return reinterpret_cast<intptr_t>(p); }

// The document loaded into the host window's viewer from a buffer, as a host hands it over.
intptr_t LoadHtml(HWND Host, const std::string& Html) {
  THVBuffer buffer{Html.data(), intptr_t(Html.size())};
  return HV_Proc(HVC_LOADBUFFER, Host, Arg(&buffer));
}

// Only to observe what a command did to a viewer; the commands go through HV_Proc.
THTMLViewer* ViewerOf(intptr_t handle) {
  return dynamic_cast<THTMLViewer*>(TWinControl::FromHandle(reinterpret_cast<HWND>(handle)));
}

}  // namespace

// ---- Registry and lifetime ---------------------------------------------------------------

TEST_F(PluginHost, InitTwiceKeepsOneRegistry) {
  HWND host = MakeHostWindow();
  ASSERT_NE(HV_Proc(HVC_CREATE, host, 0), 0);
  EXPECT_EQ(HV_Proc(HVC_INIT, nullptr, 0), -1);
  // The viewer made before the second 100 is still there.
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 0);
}

TEST_F(PluginHost, CreateNeedsAWindow) {
  EXPECT_EQ(HV_Proc(HVC_CREATE, nullptr, 0), 0);
  EXPECT_EQ(HV_Proc(HVC_CREATE, reinterpret_cast<HWND>(intptr_t(0x12345)), 0), 0);
  HWND gone = MakeHostWindow();
  QjxDestroyWindow(gone);
  EXPECT_EQ(HV_Proc(HVC_CREATE, gone, 0), 0);
  // Nothing was created: the window still has no viewer.
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, gone, 0), 1);
}

TEST_F(PluginHost, CreateReturnsAChildWindowOfTheHost) {
  HWND host = MakeHostWindow();
  const intptr_t viewer = HV_Proc(HVC_CREATE, host, 0);
  ASSERT_NE(viewer, 0);
  EXPECT_TRUE(QjxIsWindow(reinterpret_cast<HWND>(viewer)));
  EXPECT_NE(reinterpret_cast<HWND>(viewer), host);
}

TEST_F(PluginHost, SelLengthIsOneWithoutViewerAndZeroWithoutSelection) {
  HWND host = MakeHostWindow();
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 1);
  HV_Proc(HVC_CREATE, host, 0);
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 0);
}

TEST_F(PluginHost, DestroyRemovesOnlyTheFirstViewer) {
  HWND host = MakeHostWindow();
  HWND first = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  HWND second = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  EXPECT_EQ(HV_Proc(HVC_DESTROY, host, 0), 0);
  EXPECT_FALSE(QjxIsWindow(first));
  EXPECT_TRUE(QjxIsWindow(second));
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 0);
  HV_Proc(HVC_DESTROY, host, 0);
  EXPECT_FALSE(QjxIsWindow(second));
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 1);
  EXPECT_EQ(HV_Proc(HVC_DESTROY, host, 0), 0);  // nothing left: harmless
}

TEST_F(PluginHost, DoneFreesEveryViewerAndEndsTheRegistry) {
  HWND a = MakeHostWindow(), b = MakeHostWindow();
  HWND va = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, a, 0));
  HWND vb = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, b, 0));
  EXPECT_EQ(HV_Proc(HVC_DONE, nullptr, 0), 0);
  EXPECT_FALSE(QjxIsWindow(va));
  EXPECT_FALSE(QjxIsWindow(vb));
  // Without a registry every command answers 0, even 107.
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, a, 0), 0);
  EXPECT_EQ(HV_Proc(HVC_CREATE, a, 0), 0);
}

TEST_F(PluginHost, ViewerOutlivesItsHostWindow) {
  HWND host = MakeHostWindow();
  HV_Proc(HVC_CREATE, host, 0);
  QjxDestroyWindow(host);
  // The item is still keyed by the dead handle; commands on it stay harmless.
  EXPECT_EQ(HV_Proc(HVC_RESIZE, host, 0), 0);
  EXPECT_EQ(HV_Proc(HVC_COPY, host, 0), 0);
  EXPECT_EQ(HV_Proc(HVC_DESTROY, host, 0), 0);
}

// ---- Commands without a registry, bad addresses, unknown numbers --------------------------

TEST(PluginEntry, CommandsBeforeInitDoNothing) {
  HV_Proc(HVC_DONE, nullptr, 0);
  HWND wnd = QjxCreateHostWindow("early", 100, 100, nullptr, nullptr);
  const char* name = "x.html";
  for (int cmd = HVC_CREATE; cmd <= HVC_SCROLLTOANCHOR; ++cmd)
    EXPECT_EQ(HV_Proc(cmd, wnd, Arg(name)), 0) << "command " << cmd;
  QjxDestroyWindow(wnd);
}

TEST_F(PluginHost, UnknownCommandsAnswerZero) {
  HWND host = MakeHostWindow();
  HV_Proc(HVC_CREATE, host, 0);
  for (int cmd : {-1, 0, 99, 111, 1124, 1 << 30})
    EXPECT_EQ(HV_Proc(cmd, host, 0), 0) << "command " << cmd;
}

TEST_F(PluginHost, NullAndUnmappedArgumentsAnswerZero) {
  HWND host = MakeHostWindow();
  HV_Proc(HVC_CREATE, host, 0);
  const intptr_t bad[] = {0, Arg(UnmappedAddress()), 1, -1};
  for (intptr_t arg : bad) {
    for (int cmd : {HVC_LOADFILE, HVC_LOADBUFFER, HVC_SCROLLTOANCHOR})
      EXPECT_EQ(HV_Proc(cmd, host, arg), 0) << "command " << cmd << " arg " << arg;
  }
  // A readable record pointing at unreadable data.
  THVBuffer record{UnmappedAddress(), 100};
  EXPECT_EQ(HV_Proc(HVC_LOADBUFFER, host, Arg(&record)), 0);
  THVBuffer negative{"<p>x", -5};
  EXPECT_EQ(HV_Proc(HVC_LOADBUFFER, host, Arg(&negative)), 0);
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 0);
}

// ---- Loading -----------------------------------------------------------------------------

TEST_F(PluginHost, LoadFileReachesEveryViewerOfTheWindow) {
  HWND host = MakeHostWindow(), other = MakeHostWindow();
  const intptr_t v1 = HV_Proc(HVC_CREATE, host, 0);
  const intptr_t v2 = HV_Proc(HVC_CREATE, host, 0);
  const intptr_t v3 = HV_Proc(HVC_CREATE, other, 0);
  const std::string file = WriteTempFile("plugin_every.html", "<p>hello</p>");
  EXPECT_EQ(HV_Proc(HVC_LOADFILE, host, Arg(file.c_str())), 1);
  EXPECT_EQ(ViewerOf(v1)->CurrentFile(), file);
  EXPECT_EQ(ViewerOf(v2)->CurrentFile(), file);
  EXPECT_EQ(ViewerOf(v3)->CurrentFile(), "");
}

TEST_F(PluginHost, LoadFileOfAMissingFileAnswersZero) {
  HWND host = MakeHostWindow();
  const intptr_t viewer = HV_Proc(HVC_CREATE, host, 0);
  const std::string file = WriteTempFile("plugin_anchor.html", "<p>x</p>");
  struct {
    std::string name;
    intptr_t result;
  } cases[] = {
      {file, 1},
      {file + "#top", 0},  // the whole text names the file
      {::testing::TempDir() + "plugin_no_such_file.html", 0},
      {"", 0},
      {::testing::TempDir(), 0},  // a folder is not a file
  };
  for (const auto& c : cases)
    EXPECT_EQ(HV_Proc(HVC_LOADFILE, host, Arg(c.name.c_str())), c.result) << c.name;
  EXPECT_EQ(ViewerOf(viewer)->CurrentFile(), file);
}

TEST_F(PluginHost, LoadBufferCopiesTheHostData) {
  HWND host = MakeHostWindow();
  const intptr_t viewer = HV_Proc(HVC_CREATE, host, 0);
  std::string html = "<html><body><p>buffer</p></body></html>";
  THVBuffer record{html.data(), intptr_t(html.size())};
  EXPECT_EQ(HV_Proc(HVC_LOADBUFFER, host, Arg(&record)), 0);
  html.assign(html.size(), 'x');  // the host may reuse its memory at once
  EXPECT_NE(ViewerOf(viewer)->DocumentSource().find("buffer"), std::string::npos);
}

TEST_F(PluginHost, ResizeFitsTheFirstViewerToTheClientArea) {
  HWND host = MakeHostWindow(320, 200);
  const intptr_t viewer = HV_Proc(HVC_CREATE, host, 0);
  QjxSetWindowSize(host, 500, 260);
  EXPECT_EQ(HV_Proc(HVC_RESIZE, host, 0), 0);
  TQjxRect rect;
  ASSERT_TRUE(QjxGetClientRect(reinterpret_cast<HWND>(viewer), &rect));
  EXPECT_EQ(rect.Right - rect.Left, 500);
  EXPECT_EQ(rect.Bottom - rect.Top, 260);
}

// ---- Messages to the host ----------------------------------------------------------------

TEST_F(PluginHost, FocusIsReportedWithZeroParameters) {
  HWND host = MakeHostWindow();
  HWND viewer = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  Messages.clear();
  QjxSetFocus(viewer);
  ASSERT_EQ(MessageNumbers(), std::vector<unsigned>{HVM_FOCUS});
  EXPECT_EQ(Messages[0].Wnd, host);
  EXPECT_EQ(Messages[0].wParam, 0u);
  EXPECT_EQ(Messages[0].lParam, 0);
}

TEST_F(PluginHost, ImageFromTheHostIsCopiedThenReleased) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  static const char kData[] = "GIF89a-bytes";
  THVBuffer record{kData, intptr_t(sizeof kData - 1)};
  Answer = [&](const THostMessage& m) -> intptr_t {
    return m.Msg == HVM_IMAGEREQUEST ? Arg(&record) : 0;
  };
  Messages.clear();
  TMemoryStream* stream = nullptr;
  viewer->OnImageRequest()(viewer, "pics/a.gif", stream);
  ASSERT_EQ(MessageNumbers(), (std::vector<unsigned>{HVM_IMAGEREQUEST, HVM_IMAGEDONE}));
  EXPECT_EQ(Messages[0].Text, "pics/a.gif");
  EXPECT_EQ(Messages[0].lParam, 0);
  EXPECT_EQ(Messages[1].wParam, 0u);
  EXPECT_EQ(Messages[1].lParam, 0);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->View(), std::string_view(kData, sizeof kData - 1));
  EXPECT_EQ(stream->Position(), 0);
}

// A page whose images the host answers with a picture, with nothing and with junk: the
// picture shows, the others stand as error placeholders, and nothing breaks.
TEST_F(PluginHost, PagesShowHostImagesAndPlaceholdersForMissingOrBadOnes) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  std::ifstream in(TestDataPath("images/png/pngsuite/basn2c08.png"), std::ios::binary);
  const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  static const char kJunk[] = "\x89PNG\r\n\x1a\n not really";
  THVBuffer good{png.data(), intptr_t(png.size())}, junk{kJunk, intptr_t(sizeof kJunk - 1)};
  Answer = [&](const THostMessage& m) -> intptr_t {
    if (m.Msg != HVM_IMAGEREQUEST) return 0;
    if (m.Text == "good.png") return Arg(&good);
    if (m.Text == "junk.png") return Arg(&junk);
    return 0;  // the file next to the document, which is not there
  };
  const std::string html = "<img src=good.png><img src=junk.png alt=junk><img src=none.png>";
  THVBuffer page{html.data(), intptr_t(html.size())};
  HV_Proc(HVC_LOADBUFFER, host, Arg(&page));
  std::vector<bool> placeholders;
  std::function<void(TCellBasic&)> walk = [&](TCellBasic& Cell) {
    for (int i = 0; i < Cell.Count(); ++i) {
      if (auto* b = dynamic_cast<TBlock*>(Cell.Items(i))) walk(b->MyCell);
      if (auto* t = dynamic_cast<TSection*>(Cell.Items(i)))
        for (const auto& e : t->Objects())
          if (auto* img = dynamic_cast<TImageObj*>(e.Obj)) placeholders.push_back(img->IsPlaceholder());
    }
  };
  walk(*viewer->SectionList());
  EXPECT_EQ(placeholders, (std::vector<bool>{false, true, true}));
  EXPECT_TRUE(QjxSaveWindowPng(viewer->Handle(), (::testing::TempDir() + "host_images.png").c_str()));
}

// Pictures the host hands over are kept for the document that asked for them, not for the
// life of the viewer: a thousand pages with new picture names would otherwise keep them all.
TEST_F(PluginHost, HostPictureStreamsAreFreedWhenTheirDocumentIsCleared) {
  HWND host = MakeHostWindow();
  THtmlVHelper item(host);
  std::ifstream in(TestDataPath("images/png/pngsuite/basn2c08.png"), std::ios::binary);
  const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  THVBuffer good{png.data(), intptr_t(png.size())};
  Answer = [&](const THostMessage& m) -> intptr_t { return m.Msg == HVM_IMAGEREQUEST ? Arg(&good) : 0; };
  for (int page = 0; page < 30; ++page) {
    const std::string html = "<img src=a" + std::to_string(page) + ".png><img src=b" + std::to_string(page) + ".png>";
    item.FViewer->LoadFromBuffer(html.data(), int(html.size()));
    EXPECT_LE(item.FStreams.size(), 2u) << page;
  }
  // The last page still shows its pictures: they live in the image cache, not in the streams.
  TImageObj* shown = nullptr;
  std::function<void(TCellBasic&)> walk = [&](TCellBasic& Cell) {
    for (int i = 0; i < Cell.Count(); ++i) {
      if (auto* b = dynamic_cast<TBlock*>(Cell.Items(i))) walk(b->MyCell);
      if (auto* t = dynamic_cast<TSection*>(Cell.Items(i)))
        for (const auto& e : t->Objects())
          if (auto* img = dynamic_cast<TImageObj*>(e.Obj)) shown = img;
    }
  };
  walk(*item.FViewer->SectionList());
  ASSERT_NE(shown, nullptr);
  EXPECT_FALSE(shown->IsPlaceholder());
  item.FViewer->Clear();
  EXPECT_TRUE(item.FStreams.empty());
}

TEST_F(PluginHost, AStreamBeingFilledOutlivesAClearByTheHost) {
  HWND host = MakeHostWindow();
  THtmlVHelper item(host);
  static const char kData[] = "GIF89a-bytes";
  THVBuffer record{kData, intptr_t(sizeof kData - 1)};
  Answer = [&](const THostMessage& m) -> intptr_t {
    if (m.Msg != HVM_IMAGEREQUEST) return 0;
    item.FViewer->Clear();
    return Arg(&record);
  };
  TMemoryStream* stream = nullptr;
  item.FViewer->OnImageRequest()(item.FViewer.get(), "pics/a.gif", stream);
  ASSERT_EQ(item.FStreams.size(), 1u);
  EXPECT_EQ(item.FStreams[0].get(), stream);
  EXPECT_EQ(stream->View(), std::string_view(kData, sizeof kData - 1));
}

TEST_F(PluginHost, ImageFallsBackToAFileNextToTheDocument) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  const std::string image = WriteTempFile("plugin_image.bin", "file-bytes");
  Messages.clear();
  TMemoryStream* stream = nullptr;
  viewer->OnImageRequest()(viewer, image, stream);
  // A zero answer: no 1127, the file is read instead.
  EXPECT_EQ(MessageNumbers(), std::vector<unsigned>{HVM_IMAGEREQUEST});
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->View(), "file-bytes");

  TMemoryStream* missing = nullptr;
  viewer->OnImageRequest()(viewer, ::testing::TempDir() + "plugin_no_image.gif", missing);
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->Size(), 0);
}

TEST_F(PluginHost, ImageAnswerWithAnUnreadableRecordLeavesTheStreamEmpty) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  Answer = [](const THostMessage& m) -> intptr_t {
    return m.Msg == HVM_IMAGEREQUEST ? Arg(UnmappedAddress()) : 0;
  };
  TMemoryStream* stream = nullptr;
  viewer->OnImageRequest()(viewer, "nowhere.gif", stream);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Size(), 0);
  EXPECT_EQ(MessageNumbers(), (std::vector<unsigned>{HVM_IMAGEREQUEST, HVM_IMAGEDONE}));
}

TEST_F(PluginHost, LinkClickGoesToTheHostAndIsAlwaysHandled) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const std::string html = "<a href='other.html#part'>go there</a>";
  LoadHtml(host, html);
  for (intptr_t answer : {0, 1}) {
    Answer = [answer](const THostMessage&) { return answer; };
    Messages.clear();
    // Apart, so that the second click is no double click.
    QjxClick(viewer->Handle(), QJX_BUTTON_LEFT, answer ? 40 : 20, 12);
    std::vector<std::string> clicks;
    for (const THostMessage& m : Messages)
      if (m.Msg == HVM_HOTSPOTCLICK) clicks.push_back(m.Text);
    EXPECT_EQ(clicks, std::vector<std::string>{"other.html#part"});
    EXPECT_EQ(viewer->CurrentFile(), "");  // the host decides: the viewer loads nothing
  }
}

TEST_F(PluginHost, DoubleClickSendsTheSelectionBuffer) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  Messages.clear();
  viewer->OnMouseDouble(viewer, mbLeft, 0, 5, 5);
  ASSERT_EQ(MessageNumbers(), std::vector<unsigned>{HVM_DBLCLICK});
  EXPECT_NE(Messages[0].wParam, 0u);
  EXPECT_EQ(Messages[0].Text, "");  // nothing selected: an empty, terminated text
  EXPECT_EQ(Messages[0].lParam, 0);
}

// The double-click reaches the viewer as the window system delivers it, selects the word
// under the mouse and sends it (at most 1024 characters of it).
TEST_F(PluginHost, DoubleClickOnAWordSendsTheWord) {
  HWND host = MakeHostWindow();
  HWND viewer = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const struct {
    std::string Html;
    int X;
    std::string Text;
  } cases[] = {
      {"<p>ab</p>", 300, ""},  // beside the text: no word, the message all the same
      {"<p>ab wonderful, cd</p>", 50, "wonderful"},
      {"<p>ab na&iuml;ve cd</p>", 40, "na\xC3\xAFve"},  // letters beyond ASCII belong to words; hosts read UTF-8
      {"<p>" + std::string(2000, 'x') + "</p>", 50, std::string(HV_TEXT_MAX, 'x')},
      {"<p>alpha beta</p>", 60, "beta"},  // the last word: no line break comes along
      {"<p>alpha beta</p><p>gamma</p>", 60, "beta"},
  };
  for (const auto& c : cases) {
    LoadHtml(host, c.Html);
    Messages.clear();
    QjxDoubleClick(viewer, QJX_BUTTON_LEFT, c.X, 30);
    std::vector<std::string> sent;
    for (const THostMessage& m : Messages)
      if (m.Msg == HVM_DBLCLICK) sent.push_back(m.Text);
    EXPECT_EQ(sent, std::vector<std::string>{c.Text}) << c.Html.substr(0, 20);
  }
}

// Every point over a word's letters selects that word, the right half of its last letter
// included; a point over the blank between words selects nothing.
TEST_F(PluginHost, DoubleClickAnywhereOnAWordSelectsIt) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const std::string html = "<p>alpha beta</p>";
  LoadHtml(host, html);
  // Where each character's box starts and ends, read from the viewer's caret positions.
  TSectionList& list = *viewer->SectionList();
  TWindowDC dc(viewer->PaintPanel()->Handle());
  std::vector<int> edges;
  int top = 0;
  for (int pos = 0; pos <= 10; ++pos) {
    int x = 0;
    ASSERT_TRUE(list.PositionToPoint(&dc.Canvas(), pos, x, top));
    edges.push_back(x);
  }
  const HWND panel = viewer->PaintPanel()->Handle();
  const std::string text = "alpha beta";
  for (int i = 0; i < int(text.size()); ++i) {
    const std::string word = i < 5 ? "alpha" : i == 5 ? "" : "beta";
    // Just inside either edge of the character.
    for (int x : {edges[size_t(i)] + 1, edges[size_t(i) + 1] - 1}) {
      Messages.clear();
      QjxDoubleClick(panel, QJX_BUTTON_LEFT, x, top + 8);
      std::vector<std::string> sent;
      for (const THostMessage& m : Messages)
        if (m.Msg == HVM_DBLCLICK) sent.push_back(m.Text);
      EXPECT_EQ(sent, std::vector<std::string>{word}) << "character " << i << " at x " << x;
    }
  }
}

// 107 is positive for a selection dragged forwards and negative, of the same size, for one
// dragged backwards, which leaves the caret at its start; a word chosen by a double-click
// counts forwards.
TEST_F(PluginHost, SelLengthIsNegativeForABackwardDrag) {
  HWND host = MakeHostWindow();
  HWND viewer = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const std::string html = "<p>first words and more</p><p>second line</p>";
  LoadHtml(host, html);
  auto drag = [&](int X1, int Y1, int X2, int Y2) {
    QjxMouseMove(viewer, X1, Y1);
    QjxMouseDown(viewer, QJX_BUTTON_LEFT, X1, Y1);
    QjxMouseMove(viewer, X2, Y2);
    QjxMouseUp(viewer, QJX_BUTTON_LEFT, X2, Y2);
    return HV_Proc(HVC_SELLENGTH, host, 0);
  };
  const struct {
    int X1, Y1, X2, Y2;
  } spans[] = {{13, 30, 60, 30}, {13, 30, 60, 62}};  // within a line; across paragraphs
  for (const auto& s : spans) {
    const intptr_t forwards = drag(s.X1, s.Y1, s.X2, s.Y2);
    EXPECT_GT(forwards, 0);
    EXPECT_EQ(drag(s.X2, s.Y2, s.X1, s.Y1), -forwards);
  }
  QjxDoubleClick(viewer, QJX_BUTTON_LEFT, 50, 30);
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), intptr_t(std::string("words").size()));
  // Ctrl+A selects everything forwards, whatever the last drag did.
  drag(60, 30, 13, 30);
  QjxSetFocus(viewer);
  QjxKeyDown(VK_CONTROL);
  QjxKeyDown('A');
  QjxKeyUp('A');
  QjxKeyUp(VK_CONTROL);
  EXPECT_GT(HV_Proc(HVC_SELLENGTH, host, 0), 0);
}

// A click on a picture reaches the host with the picture's alternate text; a click on text
// sends nothing of the kind.
TEST_F(PluginHost, ImageClickSendsItsAltText) {
  HWND host = MakeHostWindow();
  HWND viewer = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const std::string picture = TestDataPath("images/flow/bar200x50.png");
  const struct {
    std::string Html;
    std::vector<std::string> Sent;
  } cases[] = {
      {"<img src='" + picture + "' alt='A bar' border=0>", {"A bar"}},
      {"<img src='" + picture + "' border=0>", {""}},
      {"<img src='missing.png' alt='Gone' width=200 height=50 border=0>", {"Gone"}},
      {"<p>plain words only</p>", {}},
      // A picture in a link reports its click too; the link is followed as well.
      {"<a href='x.html'><img src='" + picture + "' alt='Linked' border=0></a>", {"Linked"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Html);
    LoadHtml(host, c.Html);
    QjxPumpMessages();
    Messages.clear();
    QjxMouseMove(viewer, 30, 30);
    QjxClick(viewer, QJX_BUTTON_LEFT, 30, 30);
    std::vector<std::string> sent;
    for (const THostMessage& m : Messages)
      if (m.Msg == HVM_OBJECTCLICK) {
        sent.push_back(m.Text);
        EXPECT_EQ(m.lParam, HVO_IMAGE);
      }
    EXPECT_EQ(sent, c.Sent);
  }
}

// A drag selects, 107 reports the length and Ctrl+C copies the text to the clipboard.
TEST_F(PluginHost, DraggedTextIsMeasuredAndCopiedWithControlC) {
  HWND host = MakeHostWindow();
  HWND viewer = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const std::string html = "first words<br>second line";
  LoadHtml(host, html);
  QjxMouseMove(viewer, 13, 12);
  QjxMouseDown(viewer, QJX_BUTTON_LEFT, 13, 12);
  QjxMouseMove(viewer, 300, 12);
  QjxMouseUp(viewer, QJX_BUTTON_LEFT, 300, 12);
  // To the end of the line: the line break comes along.
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), intptr_t(std::string("first words\r\n").size()));
  SetClipboardText("");
  QjxSetFocus(viewer);
  QjxKeyDown(VK_CONTROL);
  QjxKeyDown('C');
  QjxKeyUp('C');
  QjxKeyUp(VK_CONTROL);
  EXPECT_EQ(GetClipboardText(), "first words\r\n");
}

TEST_F(PluginHost, RightButtonUpSendsARecordInClientCoordinates) {
  HWND host = MakeHostWindow();
  HWND viewer = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const std::string html = "<p>ab wonderful cd</p><p><a href='x.html' target=f>linked</a></p>";
  LoadHtml(host, html);
  THVRightClick seen{};
  std::string word = "?", sel = "?", url = "?", target = "?";
  Answer = [&](const THostMessage& m) -> intptr_t {
    if (m.Msg == HVM_RIGHTCLICK) {
      seen = *reinterpret_cast<const THVRightClick*>(m.wParam);
      word = seen.Word;
      sel = seen.SelText;
      url = seen.URL;
      target = seen.Target;
    }
    return 0;
  };
  for (const auto& [x, y, expected, link] :
       {std::tuple{50, 30, "wonderful", ""}, std::tuple{40, 120, "", ""},
        std::tuple{30, 62, "linked", "x.html"}}) {
    Messages.clear();
    QjxClick(viewer, QJX_BUTTON_RIGHT, x, y);
    std::vector<unsigned> rights;
    for (unsigned m : MessageNumbers())
      if (m == HVM_RIGHTCLICK) rights.push_back(m);
    ASSERT_EQ(rights.size(), 1u);
    EXPECT_EQ(word, expected);
    EXPECT_EQ(url, link);
    EXPECT_EQ(target, *link ? "f" : "");
    EXPECT_EQ(sel, "");
    // The viewer's own client coordinates, not those of the document area inside its frame.
    EXPECT_EQ(seen.X, x);
    EXPECT_EQ(seen.Y, y);
  }
}

// The host window, or the viewer's own, may go before the viewer: the commands that
// follow reach a viewer without a window and do no harm.
TEST_F(PluginHost, ViewersWhoseWindowIsGoneTakeCommandsHarmlessly) {
  for (bool viewerWindow : {false, true}) {
    HWND host = MakeHostWindow();
    HWND viewer = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, host, 0));
    const std::string html = "<p>text <a name=here>here</a></p>";
    LoadHtml(host, html);
    QjxDestroyWindow(viewerWindow ? viewer : host);
    QjxPumpMessages();
    const std::string file = WriteTempFile("gone.html", html);
    LoadHtml(host, html);
    HV_Proc(HVC_LOADFILE, host, Arg(file.c_str()));
    HV_Proc(HVC_RESIZE, host, 0);
    HV_Proc(HVC_SELLENGTH, host, 0);
    HV_Proc(HVC_COPY, host, 0);
    HV_Proc(HVC_PRINT, host, 0);
    HV_Proc(HVC_SCROLLTOANCHOR, host, Arg("here"));
    QjxPumpMessages();
    HV_Proc(HVC_DESTROY, host, 0);
    EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 1);
  }
}

TEST_F(PluginHost, HostMayDestroyTheViewerWhileAnsweringIt) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  HWND handle = viewer->Handle();
  Answer = [host](const THostMessage& m) -> intptr_t {
    if (m.Msg == HVM_HOTSPOTCLICK) HV_Proc(HVC_DESTROY, host, 0);
    return 1;  // and ask for a scroll on the viewer just destroyed
  };
  bool handled = false;
  viewer->OnHotSpotClick(viewer, "#a", handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 1);
  EXPECT_FALSE(QjxIsWindow(handle));  // freed by the next command
  Answer = [](const THostMessage& m) -> intptr_t {
    if (m.Msg == HVM_PRINTREQUEST) HV_Proc(HVC_DONE, nullptr, 0);
    return 0;
  };
  HWND other = MakeHostWindow();
  HV_Proc(HVC_CREATE, other, 0);
  EXPECT_EQ(HV_Proc(HVC_PRINT, other, 0), 0);
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, other, 0), 0);  // no registry any more
  EXPECT_EQ(HV_Proc(HVC_INIT, nullptr, 0), -1);
}

TEST_F(PluginHost, HostMayDestroyTheViewerWhenToldOfTheFocus) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  HWND handle = viewer->Handle();
  THVBuffer doc{"<p>some words", 13};
  HV_Proc(HVC_LOADBUFFER, host, intptr_t(&doc));
  Answer = [host](const THostMessage& m) -> intptr_t {
    if (m.Msg == HVM_FOCUS) HV_Proc(HVC_DESTROY, host, 0);
    return 0;
  };
  // The click focuses the viewer from inside its mouse handling, which goes on after.
  QjxClick(handle, QJX_BUTTON_LEFT, 20, 10);
  EXPECT_TRUE(QjxIsWindow(handle));
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 1);
  EXPECT_FALSE(QjxIsWindow(handle));  // freed by the next command
}

// ---- Printing ------------------------------------------------------------------------------

TEST_F(PluginHost, PrintAsksTheHostThenReportsTheEnd) {
  HWND host = MakeHostWindow();
  HV_Proc(HVC_CREATE, host, 0);
  for (intptr_t answer : {0, 1}) {
    THVPrintRequest seen{};
    std::string header = "?", footer = "?", printer = "?";
    Answer = [&](const THostMessage& m) -> intptr_t {
      if (m.Msg == HVM_PRINTREQUEST) {
        auto* request = reinterpret_cast<THVPrintRequest*>(m.lParam);
        seen = *request;
        header = request->HeaderText;
        footer = request->FooterText;
        printer = request->PrinterName;
        std::snprintf(request->HeaderText, HV_TEXT_MAX + 1, "Header");
        request->Copies = 3;
      }
      return answer;
    };
    Messages.clear();
    EXPECT_EQ(HV_Proc(HVC_PRINT, host, 0), 0);
    ASSERT_EQ(MessageNumbers(), (std::vector<unsigned>{HVM_PRINTREQUEST, HVM_PRINTDONE}));
    EXPECT_EQ(seen.FromPage, 0);
    EXPECT_EQ(seen.ToPage, 0);
    ASSERT_NE(seen.HeaderText, nullptr);
    ASSERT_NE(seen.FooterText, nullptr);
    ASSERT_NE(seen.PrinterName, nullptr);
    // The buffers are cleared for every request.
    EXPECT_EQ(header, "");
    EXPECT_EQ(footer, "");
    EXPECT_EQ(printer, "");
  }
}

// ---- Copying ----------------------------------------------------------------------------

TEST_F(PluginHost, CopyWithoutSelectionKeepsTheSelectionEmpty) {
  HWND host = MakeHostWindow();
  HV_Proc(HVC_CREATE, host, 0);
  EXPECT_EQ(HV_Proc(HVC_COPY, host, 0), 0);
  EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 0);
}

// A form control's click script reaches the host as an object click with the control kind.
TEST_F(PluginHost, ControlClickScriptGoesToTheHost) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const std::string html = "<form><input type=button value=Press onclick='run(1)'></form>";
  LoadHtml(host, html);
  QjxPumpMessages();
  ASSERT_EQ(viewer->SectionList()->FormControls.size(), 1u);
  auto* button = dynamic_cast<TFormControlObj*>(viewer->SectionList()->FormControls[0]);
  ASSERT_NE(button, nullptr);
  TWinControl* window = button->WindowControl();
  ASSERT_TRUE(window->Visible());
  Messages.clear();
  QjxClick(window->Handle(), QJX_BUTTON_LEFT, window->Width() / 2, window->Height() / 2);
  ASSERT_EQ(MessageNumbers(), std::vector<unsigned>{HVM_OBJECTCLICK});
  EXPECT_EQ(Messages[0].Text, "run(1)");
  EXPECT_EQ(Messages[0].lParam, 0);
}

// A submit button's click reaches the host, after the click's own message, with the form's
// attributes and the pairs as the controls hold them; a host that loads another page
// meanwhile is safe.
TEST_F(PluginHost, FormSubmissionGoesToTheHost) {
  HWND host = MakeHostWindow();
  THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, host, 0));
  HV_Proc(HVC_RESIZE, host, 0);
  const std::string html =
      "<form action=find.cgi method=GET target=main><input name=q value='a b&amp;c'>"
      "<input type=checkbox name=x checked><input type=submit name=go value=Find></form>";
  LoadHtml(host, html);
  QjxPumpMessages();
  const std::string next = "<p>thanks";
  Answer = [&](const THostMessage& m) -> intptr_t {
    if (m.Msg == HVM_FORMSUBMIT) {
      THVBuffer page{next.data(), intptr_t(next.size())};
      HV_Proc(HVC_LOADBUFFER, host, Arg(&page));
    }
    return 0;
  };
  auto* button = dynamic_cast<TFormControlObj*>(viewer->SectionList()->FormControls.at(2));
  ASSERT_NE(button, nullptr);
  TWinControl* window = button->WindowControl();
  Messages.clear();
  QjxClick(window->Handle(), QJX_BUTTON_LEFT, window->Width() / 2, window->Height() / 2);
  QjxPumpMessages();
  ASSERT_EQ(MessageNumbers(), (std::vector<unsigned>{HVM_OBJECTCLICK, HVM_FORMSUBMIT}));
  EXPECT_EQ(Messages[1].Text, "find.cgi|main||GET|q=a b&c|x=on|go=Find");
  EXPECT_TRUE(viewer->SectionList()->FormControls.empty());
}
