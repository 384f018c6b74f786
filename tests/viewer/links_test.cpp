// Links under the mouse and selecting text with it: hover, clicks, following links to
// files and anchors, visited links, the history, drags and copies.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/test_data.h"
#include "toolkit/windows/clipboard.h"
#include "toolkit/windows/clock.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

class Links : public ::testing::Test {
 protected:
  void SetUp() override {
    TCreateParams params;
    params.Width = 400;
    params.Height = 300;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    FHost = CreateWindow(params);
    FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 400, 300);
    FViewer->SetScrollBars(ssNone);
    FViewer->OnHotSpotCovered = [this](TObject*, const std::string& SRC) {
      Covered.push_back(SRC);
    };
    FViewer->OnHotSpotClick = [this](TObject*, const std::string& SRC, bool& Handled) {
      Clicked.push_back(SRC);
      Handled = HandleClicks;
    };
  }
  void TearDown() override {
    FViewer.reset();
    DestroyWindow(FHost);
    for (const std::string& name : FFiles) std::remove(name.c_str());
  }
  void Load(const std::string& Html) { FViewer->LoadFromBuffer(Html.data(), int(Html.size())); }
  std::string WriteFile(const std::string& Name, const std::string& Html) {
    const std::string path = ::testing::TempDir() + Name;
    std::ofstream(path) << Html;
    FFiles.push_back(path);
    return path;
  }
  HWND Panel() const { return FViewer->PaintPanel()->Handle(); }
  void Drag(int X1, int Y1, int X2, int Y2) {
    InjectMouseMoveAt(Panel(), X1, Y1);
    InjectMouseDownAt(Panel(), mbLeft, X1, Y1);
    InjectMouseMoveAt(Panel(), X2, Y2);
    InjectMouseUpAt(Panel(), mbLeft, X2, Y2);
  }
  // A point on the first line of text.
  int Line1() const { return FViewer->MarginHeight + 8; }
  int Left() const { return FViewer->MarginWidth + 2; }

  HWND FHost = nullptr;
  std::unique_ptr<THTMLViewer> FViewer;
  std::vector<std::string> Covered, Clicked;
  bool HandleClicks = true;
  std::vector<std::string> FFiles;
};

TEST_F(Links, DragsSelectTheSameTextEitherWayAcrossParagraphs) {
  Load("alpha beta<br>gamma delta");
  Drag(Left(), Line1(), 300, Line1());
  const std::string forward = FViewer->SelText();
  EXPECT_EQ(forward.substr(0, 10), "alpha beta");
  Drag(300, Line1(), Left(), Line1());
  EXPECT_EQ(FViewer->SelText(), forward);
  Load("<p>one two</p><p>three four</p>");
  Drag(Left(), FViewer->MarginHeight + 14 + 8, 300, FViewer->MarginHeight + 14 + 8 + 36);
  const std::string both = FViewer->SelText();
  EXPECT_NE(both.find("one two\r\n"), std::string::npos) << both;
  EXPECT_NE(both.find("three"), std::string::npos) << both;
  EXPECT_EQ(both.find('\x02'), std::string::npos);
  // A plain click selects nothing.
  InjectClickAt(Panel(), mbLeft, Left() + 5, FViewer->MarginHeight + 14 + 8);
  EXPECT_EQ(FViewer->SelText(), "");
}

TEST_F(Links, HoverReportsEachLinkOnceAndClicksFollowOnlyWithoutASelection) {
  Load("<a href='one.html'>first</a><a href='one.html'>second</a> and text<br>"
       "<a href='two.html' title='the second'>third</a>");
  InjectMouseMoveAt(Panel(), Left() + 5, Line1());
  const HCURSOR overLink = HeadlessShownCursor();
  InjectMouseMoveAt(Panel(), Left() + 40, Line1());  // "second": the same link
  EXPECT_EQ(Covered, (std::vector<std::string>{"one.html"}));
  InjectMouseMoveAt(Panel(), Left() + 5, Line1() + 18);
  EXPECT_EQ(FViewer->HoverTitle(), "the second");
  InjectMouseMoveAt(Panel(), 390, 250);
  EXPECT_EQ(FViewer->HoverTitle(), "");
  EXPECT_NE(HeadlessShownCursor(), overLink);  // the link cursor only over links
  EXPECT_EQ(Covered, (std::vector<std::string>{"one.html", "two.html", ""}));
  InjectClickAt(Panel(), mbLeft, Left() + 5, Line1() + 18);
  EXPECT_EQ(Clicked, (std::vector<std::string>{"two.html"}));
  Drag(Left() + 2, Line1(), 300, Line1());  // starts on a link and selects
  EXPECT_FALSE(FViewer->SelText().empty());
  EXPECT_EQ(Clicked.size(), 1u);
}

TEST_F(Links, FollowingLinksLoadsFilesScrollsToAnchorsAndKeepsAHistory) {
  HandleClicks = false;
  FViewer->SetHistoryMaxCount(5);
  std::string tall = "<p><a href='#end'>down</a>";
  for (int i = 0; i < 80; ++i) tall += "<p>filler " + std::to_string(i);
  tall += "<p><a name='END'>end</a>";
  const std::string b = WriteFile("links_b.html", tall);
  const std::string a = WriteFile("links_a.html", "<a href='links_b.html#end'>go</a>");
  FViewer->LoadFromFile(a);
  InjectClickAt(Panel(), mbLeft, Left() + 3, Line1());
  EXPECT_EQ(FViewer->CurrentFile(), b);
  const int atEnd = FViewer->VScrollPos();
  EXPECT_GT(atEnd, 500);
  EXPECT_EQ(FViewer->History(), (std::vector<std::string>{b, a}));
  EXPECT_EQ(FViewer->Visited().front(), b + "#end");
  // Back to the first document and forward again, each at its place.
  FViewer->SetHistoryIndex(1);
  EXPECT_EQ(FViewer->CurrentFile(), a);
  EXPECT_EQ(FViewer->VScrollPos(), 0);
  FViewer->SetHistoryIndex(0);
  EXPECT_EQ(FViewer->CurrentFile(), b);
  EXPECT_EQ(FViewer->VScrollPos(), atEnd);
  EXPECT_EQ(FViewer->History().size(), 2u);
  // An anchor in the same document scrolls and is recorded.
  FViewer->ScrollTo(0);
  InjectClickAt(Panel(), mbLeft, Left() + 3, FViewer->MarginHeight + 14 + 8);
  EXPECT_EQ(FViewer->VScrollPos(), atEnd);
  EXPECT_EQ(FViewer->Visited().front(), b + "#end");
  // No longer remembering visited links unmarks them.
  FViewer->SetVisitedMaxCount(0);
  EXPECT_TRUE(FViewer->Visited().empty());
}

// Any element's id is a link target when no anchor has that name: scrolling to it by name,
// by an in-page link and by a file name with "#" and the id.
TEST_F(Links, ElementIdsAreLinkTargets) {
  HandleClicks = false;
  const std::string targets[] = {
      "<p id='Down'>para</p>",
      "<h2 id='Down'>heading</h2>",
      "<div id='Down'>division</div>",
      "<p>text <span id='Down'>span</span></p>",
      "<p>text <a id='Down'>anchor by id</a></p>",
      "<p>text <b id='Down'>bold</b></p>",
      "<ul><li id='Down'>item</li></ul>",
      "<table id='Down'><tr><td>cell</td></tr></table>",
      "<table><tr><td id='Down'>cell</td></tr></table>",
      "<pre id='Down'>fixed</pre>",
  };
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    std::string page = "<p><a href='#down'>down</a>";
    for (int i = 0; i < 80; ++i) page += "<p>filler " + std::to_string(i);
    page += target;
    for (int i = 0; i < 80; ++i) page += "<p>after " + std::to_string(i);
    const std::string file = WriteFile("links_ids.html", page);
    FViewer->LoadFromFile(file + "#down");
    const int there = FViewer->VScrollPos();
    EXPECT_GT(there, 800);
    FViewer->ScrollTo(0);
    AdvanceClock(1000);  // no double click with the click before
    InjectClickAt(Panel(), mbLeft, Left() + 3, FViewer->MarginHeight + 14 + 8);
    EXPECT_EQ(FViewer->VScrollPos(), there);
    FViewer->ScrollTo(0);
    EXPECT_TRUE(FViewer->ScrollToAnchor("DOWN"));
    EXPECT_EQ(FViewer->VScrollPos(), there);
  }
  // A named anchor comes before an id of the same name, wherever each stands.
  std::string page = "<p id='both'>early</p>";
  for (int i = 0; i < 80; ++i) page += "<p>filler " + std::to_string(i);
  page += "<p><a name='both'>late</a>";
  for (int i = 0; i < 80; ++i) page += "<p>after " + std::to_string(i);
  Load(page);
  ASSERT_TRUE(FViewer->ScrollToAnchor("both"));
  EXPECT_GT(FViewer->VScrollPos(), 800);
}

// A double-click selects the word under it, 8-bit letters included, but not on a link,
// whose first click was followed.
TEST_F(Links, DoubleClicksSelectAWordExceptOnALink) {
  Load("na\xEFve words");
  InjectDoubleClickAt(Panel(), mbLeft, Left() + 8, Line1());
  EXPECT_EQ(FViewer->SelText(), "na\xC3\xAFve");  // the host reads UTF-8
  Load("<a href='x.html'>linked words</a>");
  InjectDoubleClickAt(Panel(), mbLeft, Left() + 8, Line1());
  EXPECT_EQ(FViewer->SelText(), "");
  EXPECT_EQ(Clicked, (std::vector<std::string>{"x.html"}));
}

// In UTF-8 text a double-click selects a whole Greek or Cyrillic word, and selected text
// comes back as the source wrote it, byte for byte, on the clipboard too.
TEST_F(Links, Utf8WordsSelectWholeAndCopiesGiveBackTheSource) {
  const std::string greek = "\xCE\xB5\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";
  const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
  for (const std::string& word : {greek, cyrillic}) {
    // Greek with tonos and Cyrillic share no code page: the text stays UTF-8.
    Load("<meta charset=utf-8>" + word + " \xCE\xAC \xD0\x96 \xE2\x86\x92 \xE6\x97\xA5\xE6\x9C\xAC");
    InjectDoubleClickAt(Panel(), mbLeft, Left() + 8, Line1());
    EXPECT_EQ(FViewer->SelText(), word);
  }
  const std::string text =
      "caf\xC3\xA9 \xCE\xB1\xCE\xB2 \xD0\x96 \xE2\x86\x92 \xE2\x94\x8C\xE2\x94\x80 \xCF\x80\xE2\x88\x9A "
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80";
  Load("<meta charset=utf-8><p>" + text);
  FViewer->SelectAll();
  EXPECT_EQ(FViewer->SelText(), text + "\r\n");
  FViewer->CopyToClipboard();
  EXPECT_EQ(GetClipboardText(), text + "\r\n");
  // A host buffer too small for the last character ends before it.
  char buffer[8];
  EXPECT_EQ(FViewer->CopySelTextToBuffer(buffer, sizeof buffer), 7);
  EXPECT_EQ(std::string(buffer), "caf\xC3\xA9 ");
}

// An image naming a map links to the area clicked; a server-side map gets the point.
TEST_F(Links, ImageMapsAnswerForTheirAreas) {
  const std::string bar = TestDataPath("images/flow/bar200x50.png");
  Load("<map name=Halves><area href=left.html coords='0,0,99,49'>"
       "<area shape=rect nohref coords='100,0,149,49'><area href=right.html coords='0,0,199,49'>"
       "</map><img src='" + bar + "' usemap='#halves' border=0>");
  const int T = FViewer->MarginHeight + 5;
  for (const auto& [x, url] : {std::pair{20, "left.html"}, std::pair{170, "right.html"}})
    InjectClickAt(Panel(), mbLeft, Left() + x, T);
  InjectClickAt(Panel(), mbLeft, Left() + 120, T + 20);  // the area without a link
  EXPECT_EQ(Clicked, (std::vector<std::string>{"left.html", "right.html"}));
  Clicked.clear();
  Load("<a href='query'><img src='" + bar + "' ismap border=0></a>");
  InjectClickAt(Panel(), mbLeft, FViewer->MarginWidth + 12, FViewer->MarginHeight + 7);
  ASSERT_EQ(Clicked.size(), 1u);
  EXPECT_EQ(Clicked[0].substr(0, 6), "query?");
}

// A selection over a table and a list copies the cells and the items in reading order.
TEST_F(Links, SelectionsCrossTableCellsAndListItemsInReadingOrder) {
  Load("<table><tr><td>one</td><td>two</td></tr><tr><td>three</td><td>four</td></tr></table>"
       "<ul><li>five<li>six</ul>");
  FViewer->SelectAll();
  const std::string all = FViewer->SelText();
  size_t at = 0;
  for (const char* word : {"one", "two", "three", "four", "five", "six"}) {
    const size_t found = all.find(word, at);
    ASSERT_NE(found, std::string::npos) << word << " in " << all;
    at = found + 1;
  }
  FViewer->CopyToClipboard();
  EXPECT_EQ(GetClipboardText(), all);
}

TEST_F(Links, SelectAllCopiesTheWholeDocumentHoweverLong) {
  std::string text;
  for (int i = 0; i < 1200; ++i) text += "word" + std::to_string(i) + " and some more text here. ";
  Load(text);
  FViewer->SelectAll();
  FViewer->CopyToClipboard();
  const std::string copied = GetClipboardText();
  EXPECT_GT(copied.size(), 32500u);
  EXPECT_EQ(copied, FViewer->SelText());
  EXPECT_NE(copied.find("word1199 and some more text here."), std::string::npos);
  char small[1] = {'x'};
  EXPECT_EQ(FViewer->CopySelTextToBuffer(small, 1), 1);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(FViewer->CopySelTextToBuffer(small, 0), 0);
}

}  // namespace
