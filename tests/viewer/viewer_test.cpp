#include "viewer/html_viewer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/core/process_error.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/png_writer.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window_metrics.h"
#include "viewer/paint_panel.h"

namespace {

// A section of a fixed height, painting a colour band so tests can see where it lands.
class TBandSection : public TSectionBase {
 public:
  TBandSection(TSectionList* ADocument, int AHeight) : TSectionBase(ADocument), FHeight(AHeight) {}
  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override {
    FFlowHeight = FHeight;
    return TSectionBase::Layout(Canvas, X, Y, XRef, YRef, AWidth, AHeight, IMgr, MaxWidth, Curs);
  }
  int FHeight;
};

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClockAutoStep(0);
    TCreateParams params;
    params.Width = 400;
    params.Height = 300;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    FHost = CreateWindow(params);
    FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 400, 300);
  }
  void TearDown() override {
    FStopTimer.reset();
    FViewer.reset();
    DestroyWindow(FHost);
    SetClockAutoStep(0);
  }
  // A document of the given height made of 100-pixel sections.
  void MakeTallDocument(int Height) {
    FViewer->LoadFromBuffer("", 0);
    for (int y = 0; y < Height; y += 100)
      FViewer->SectionList()->Add(std::make_unique<TBandSection>(FViewer->SectionList(), 100));
    FViewer->Reformat();
  }
  int PanelHeight() const { return FViewer->PaintPanel()->Height(); }
  // Runs Action once, from a timer, when the clock has moved on by Ms.
  void StopAfter(unsigned Ms, std::function<void()> Action) {
    FStopTimer = std::make_unique<TTimer>(nullptr, FHost);
    FStopTimer->SetInterval(Ms);
    FStopTimer->OnTimer = [this, Action](TObject*) {
      FStopTimer->SetEnabled(false);
      Action();
    };
  }

  HWND FHost = nullptr;
  std::unique_ptr<THTMLViewer> FViewer;
  std::unique_ptr<TTimer> FStopTimer;
};

TEST_F(ViewerTest, DefaultsAndClampingSetters) {
  EXPECT_TRUE(FViewer->ViewImages());
  EXPECT_EQ(FViewer->DefFontName, "Times New Roman");
  EXPECT_EQ(FViewer->DefPreFontName(), "Courier New");
  EXPECT_EQ(FViewer->DefFontSize(), 12);
  EXPECT_EQ(FViewer->MarginWidth, 10);
  EXPECT_EQ(FViewer->MarginHeight, 5);
  EXPECT_EQ(FViewer->ScrollBars(), ssBoth);
  EXPECT_EQ(FViewer->BorderStyle(), htFocused);
  EXPECT_EQ(FViewer->htOptions(),
            htOption(htPrintTableBackground) | htOption(htPrintMonochromeBlack));
  FViewer->SetDefFontSize(3);
  EXPECT_EQ(FViewer->DefFontSize(), 6);
  FViewer->SetImageCacheCount(50);
  EXPECT_EQ(FViewer->ImageCacheCount(), 20);
  FViewer->SetImageCacheCount(-1);
  EXPECT_EQ(FViewer->ImageCacheCount(), 0);
  FViewer->SetServerRoot("  /srv/site/ ");
  EXPECT_EQ(FViewer->ServerRoot(), "/srv/site");
}

TEST_F(ViewerTest, FirstLoadMakesTheSharedImageCacheWithTheViewersLimit) {
  EXPECT_EQ(FViewer->ImageCacheList(), nullptr);
  FViewer->SetImageCacheCount(7);
  FViewer->LoadFromBuffer("<p>a", 4);
  TStringBitmapList* cache = FViewer->ImageCacheList();
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(FViewer->SectionList()->ImageCache, cache);
  EXPECT_EQ(cache->MaxCache(), 7);
  FViewer->SetImageCacheCount(2);
  EXPECT_EQ(cache->MaxCache(), 2);
  // Unused images age out over loads; Clear empties the cache.
  cache->Store("PIC.GIF", std::make_unique<TBitmap>(1, 1), nullptr, nullptr, 0, false);
  FViewer->LoadFromBuffer("<p>b", 4);
  FViewer->LoadFromBuffer("<p>c", 4);
  EXPECT_NE(cache->Item("PIC.GIF"), nullptr);
  FViewer->LoadFromBuffer("<p>d", 4);
  EXPECT_EQ(cache->Item("PIC.GIF"), nullptr);
  cache->Store("PIC.GIF", std::make_unique<TBitmap>(1, 1), nullptr, nullptr, 0, false);
  FViewer->Clear();
  EXPECT_EQ(cache->Count(), 0);
  EXPECT_EQ(FViewer->ImageCacheList(), cache);
}

TEST_F(ViewerTest, LoadSequenceFiresEventsInOrder) {
  std::vector<std::string> log;
  FViewer->OnProcessing = [&](TObject*, bool on) { log.push_back(on ? "processing on" : "processing off"); };
  FViewer->OnProgress = [&](TObject*, TProgressStage stage, int percent) {
    if (stage != psRunning) log.push_back("progress " + std::to_string(percent));
  };
  FViewer->OnParseBegin = [&](TObject*, std::string& source) {
    log.push_back("parse begin");
    source = "<title>Replaced</title>";
  };
  FViewer->OnParseEnd = [&](TObject*) { log.push_back("parse end"); };
  const std::string html = "<p>original</p>";
  FViewer->LoadFromBuffer(html.data(), int(html.size()));
  EXPECT_EQ(log, (std::vector<std::string>{"processing on", "progress 0", "parse begin",
                                           "parse end", "progress 100", "processing off"}));
  EXPECT_EQ(FViewer->DocumentSource(), "<title>Replaced</title>");
  EXPECT_FALSE(FViewer->Processing());
}

// A host's buffer, once copied in, is the document's source: a large page is not held twice.
TEST_F(ViewerTest, LoadedTextIsKeptAsTheSourceWithoutACopy) {
  std::string html = "<p>" + std::string(1 << 20, 'x') + "</p>";
  const std::string expected = html;
  const char* buffer = html.data();
  FViewer->LoadFromText(std::move(html));
  EXPECT_EQ(FViewer->DocumentSource().data(), buffer);
  EXPECT_EQ(FViewer->DocumentSource(), expected);
  EXPECT_FALSE(FViewer->Processing());
}

TEST_F(ViewerTest, OperationsDuringProcessingReturnAtOnce) {
  int parses = 0;
  FViewer->OnParseBegin = [&](TObject*, std::string&) {
    ++parses;
    FViewer->LoadFromBuffer("<p>nested", 9);  // ignored: a load is running
    FViewer->Reformat();
    FViewer->SetDefBackground(clRed);
    EXPECT_FALSE(FViewer->ReplaceImage("x.gif", nullptr));
  };
  FViewer->LoadFromBuffer("<p>a", 4);
  EXPECT_EQ(parses, 1);
  EXPECT_NE(FViewer->DefBackground(), clRed);
}

TEST_F(ViewerTest, MissingFileRaisesAndEndsProcessing) {
  bool processingOff = false;
  FViewer->OnProcessing = [&](TObject*, bool on) { processingOff = !on; };
  try {
    FViewer->LoadFromFile("no/such/file.html#anchor");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message, "Can't locate file: no/such/file.html");
  }
  EXPECT_TRUE(processingOff);
  EXPECT_FALSE(FViewer->Processing());
}

TEST_F(ViewerTest, GarbageAndUnterminatedMarkupLoadWithoutHarm) {
  const std::string inputs[] = {
      std::string("\0\0\0<p\0>", 7), "<!-- never closed", "<a href=\"unterminated", "<<<<>>>",
      "\xff\xfe\x00\x01 binary \x1a more", "<p", std::string(100000, '<')};
  for (const std::string& input : inputs) {
    EXPECT_NO_THROW(FViewer->LoadFromBuffer(input.data(), int(input.size())));
    EXPECT_FALSE(FViewer->Processing());
  }
}

TEST_F(ViewerTest, ShortDocumentHidesTheVerticalBarOrDisablesItWithShowVScroll) {
  MakeTallDocument(100);
  EXPECT_FALSE(FViewer->VScrollBar()->Visible());
  FViewer->SetHtOptions(FViewer->htOptions() | htOption(htShowVScroll));
  FViewer->Reformat();
  EXPECT_TRUE(FViewer->VScrollBar()->Visible());
  EXPECT_FALSE(FViewer->VScrollBar()->Enabled());
}

TEST_F(ViewerTest, HomeThenEndClampsToTheLastPage) {
  MakeTallDocument(5000);
  // The document's height and the margins above and below it.
  ASSERT_EQ(FViewer->MaxVertical(), 5000 + 2 * FViewer->MarginHeight);
  EXPECT_TRUE(FViewer->VScrollBar()->Visible());
  FViewer->KeyDown(VK_END, 0);
  EXPECT_EQ(FViewer->VScrollPos(), FViewer->MaxVertical() - PanelHeight());
  FViewer->KeyDown(VK_HOME, 0);
  EXPECT_EQ(FViewer->VScrollPos(), 0);
  FViewer->KeyDown(VK_DOWN, 0);
  EXPECT_EQ(FViewer->VScrollPos(), 16);
  EXPECT_EQ(FViewer->PaintContext().ScrollY, 16);
}

TEST_F(ViewerTest, WheelScrollsThreeLinesWhateverTheDelta) {
  MakeTallDocument(5000);
  for (int delta : {-120, -1200, -1}) {
    const int before = FViewer->VScrollPos();
    InjectMouseWheelAt(FViewer->PaintPanel()->Handle(), delta, 10, 10);
    EXPECT_EQ(FViewer->VScrollPos(), before + 3 * 16) << delta;
  }
  InjectMouseWheelAt(FViewer->PaintPanel()->Handle(), 9999, 10, 10);
  EXPECT_EQ(FViewer->VScrollPos(), 2 * 3 * 16);
}

TEST_F(ViewerTest, TallDocumentsBeyondSixteenBitsScroll) {
  MakeTallDocument(100000);
  FViewer->SetVScrollPos(70000);
  EXPECT_EQ(FViewer->VScrollPos(), 70000);
  EXPECT_EQ(FViewer->PaintContext().ScrollY, 70000);
  const int64_t code = FViewer->GetScrollPosition();
  FViewer->SetVScrollPos(0);
  FViewer->RestoreScrollPosition(code);
  EXPECT_EQ(FViewer->VScrollPos(), 70000);
}

TEST_F(ViewerTest, MiddleButtonStepsByDistanceOnTheClock) {
  MakeTallDocument(20000);
  HWND panel = FViewer->PaintPanel()->Handle();
  struct Case {
    int Distance, Step;
  };
  for (const Case& c : {Case{20, 0}, Case{40, 8}, Case{-40, -8}, Case{100, 32}, Case{-100, -32}}) {
    FViewer->ScrollTo(5000);
    InjectMouseMoveAt(panel, 50, 100);
    InjectMouseDownAt(panel, mbMiddle, 50, 100);
    InjectMouseUpAt(panel, mbMiddle, 50, 100);
    ASSERT_TRUE(FViewer->MiddleScrolling());
    // A key press a second later ends the mode; every message round moves the clock 101 ms,
    // so the loop takes one step per round until then.
    StopAfter(1000, [&] { FViewer->KeyDown(VK_ESCAPE, 0); });
    SetClockAutoStep(101);
    InjectMouseMoveAt(panel, 50, 100 + c.Distance);
    SetClockAutoStep(0);
    AdvanceClock(1000);  // with no loop running, the key arrives now
    ASSERT_FALSE(FViewer->MiddleScrolling());
    const int moved = FViewer->VScrollPos() - 5000;
    if (c.Step == 0) {
      EXPECT_EQ(moved, 0);
    } else {
      EXPECT_EQ(moved % c.Step, 0) << c.Distance;
      EXPECT_GE(moved / c.Step, 2) << c.Distance;
      EXPECT_LE(moved / c.Step, 11) << c.Distance;  // never more than one step per 100 ms
    }
  }
}

TEST_F(ViewerTest, DragBelowTheWindowStepsSixteenOrOneTwentyEight) {
  MakeTallDocument(50000);
  HWND panel = FViewer->PaintPanel()->Handle();
  for (auto [below, step] : {std::pair{5, 16}, std::pair{15, 16}, std::pair{40, 128}}) {
    FViewer->ScrollTo(0);
    const int y = FViewer->Height() + below;
    InjectMouseDownAt(panel, mbLeft, 50, 50);
    StopAfter(1000, [&] { InjectMouseUpAt(panel, mbLeft, 50, y); });
    SetClockAutoStep(101);
    InjectMouseMoveAt(panel, 50, y);
    SetClockAutoStep(0);
    const int moved = FViewer->VScrollPos();
    EXPECT_EQ(moved % step, 0) << below;
    EXPECT_GE(moved / step, 2) << below;
    EXPECT_LE(moved / step, 11) << below;
  }
}

TEST_F(ViewerTest, BackgroundTilesAnchorToTheScrollPosition) {
  MakeTallDocument(5000);
  // A 100-pixel tile: red top half, blue bottom half.
  TBitmap tile(100, 100);
  tile.Canvas().FillRect(TRect{0, 0, 100, 50}, clRed);
  tile.Canvas().FillRect(TRect{0, 50, 100, 100}, clBlue);
  FViewer->SectionList()->BackImage = &tile;
  FViewer->ScrollTo(250);
  HWND panel = FViewer->PaintPanel()->Handle();
  InvalidateRect(panel, nullptr);
  UpdateWindow(panel);
  TWindowPixels pixels = CaptureWindowPixels(panel);
  // Tiles start 50 pixels above the top: the top rows show the tile's blue half.
  EXPECT_EQ(pixels.At(5, 0), 0x0000FFu);
  EXPECT_EQ(pixels.At(5, 49), 0x0000FFu);
  EXPECT_EQ(pixels.At(5, 50), 0xFF0000u);
  EXPECT_EQ(pixels.At(5, 149), 0x0000FFu);
  EXPECT_EQ(pixels.At(5, 150), 0xFF0000u);
  FViewer->SectionList()->BackImage = nullptr;
}

TEST_F(ViewerTest, ImpossibleBufferReportsOutOfResourcesAndPaintsNothing) {
  MakeTallDocument(1000);
  ClearRecordedErrorMessages();
  const long long saved = TPaintPanel::MaxBufferPixels;
  TPaintPanel::MaxBufferPixels = 10;
  HWND panel = FViewer->PaintPanel()->Handle();
  InvalidateRect(panel, nullptr);
  UpdateWindow(panel);
  TPaintPanel::MaxBufferPixels = saved;
  ASSERT_FALSE(RecordedErrorMessages().empty());
  EXPECT_EQ(RecordedErrorMessages().back(), "Out of Resources");
}

TEST_F(ViewerTest, FrameFollowsBorderStyleAndFocus) {
  FViewer->SetBorderStyle(htSingle);
  EXPECT_TRUE(FViewer->BorderPanel()->Framed());
  FViewer->SetBorderStyle(htNone);
  EXPECT_FALSE(FViewer->BorderPanel()->Framed());
  FViewer->SetBorderStyle(htFocused);
  SetFocus(nullptr);
  FViewer->UpdateBorder();
  EXPECT_FALSE(FViewer->BorderPanel()->Framed());
  FViewer->SetFocus();
  EXPECT_TRUE(FViewer->BorderPanel()->Framed());
}

TEST_F(ViewerTest, FileLoadKeepsPositionOnReloadAndExpandsNames) {
  const std::string name = ::testing::TempDir() + "viewer_reload.html";
  { std::ofstream(name) << "<p>hello"; }
  FViewer->LoadFromFile(name);
  EXPECT_EQ(FViewer->CurrentFile().substr(0, 1), "/");
  EXPECT_EQ(FViewer->ExpandSourceName("pic.gif"),
            FViewer->CurrentFile().substr(0, FViewer->CurrentFile().rfind('/') + 1) + "pic.gif");
  EXPECT_EQ(FViewer->ExpandSourceName("http://host/a.gif"), "http://host/a.gif");
  EXPECT_EQ(FViewer->ExpandSourceName("file:///tmp/x.gif"), "/tmp/x.gif");
  std::remove(name.c_str());
}

}  // namespace

namespace {

TEST_F(ViewerTest, FormSubmissionsQueuedBeforeTheMessageRunAreReportedOnceWithTheLast) {
  std::vector<std::string> reports;
  FViewer->SetOnFormSubmit([&](TObject* sender, const std::string& action,
                               const std::string& target, const std::string& encType,
                               const std::string& method, TStringList* results) {
    EXPECT_EQ(sender, FViewer.get());
    ASSERT_NE(results, nullptr);
    reports.push_back(action + "|" + target + "|" + encType + "|" + method + "|" +
                      (results->Count() ? results->Strings(0) : std::string()));
  });
  TSectionList* list = FViewer->SectionList();
  ASSERT_TRUE(list->Hooks.OnFormSubmit);
  TStringList first, second;
  first.Add("q=one");
  second.Add("q=two");
  list->Hooks.OnFormSubmit(FViewer.get(), "a1.cgi", "t1", "e1", "GET", &first);
  list->Hooks.OnFormSubmit(FViewer.get(), "a2.cgi", "t2", "e2", "POST", &second);
  // Nothing is reported inside the input event that submitted.
  EXPECT_TRUE(reports.empty());
  second.Clear();  // the viewer keeps its own copy of the results
  ProcessMessages();
  ProcessMessages();
  EXPECT_EQ(reports, (std::vector<std::string>{"a2.cgi|t2|e2|POST|q=two"}));
  // A later submission is reported again.
  list->Hooks.OnFormSubmit(FViewer.get(), "a3.cgi", "", "", "GET", nullptr);
  ProcessMessages();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1], "a3.cgi|||GET|");
  // Without a handler the document has no submit hook.
  FViewer->SetOnFormSubmit(nullptr);
  EXPECT_FALSE(list->Hooks.OnFormSubmit);
}

}  // namespace

namespace {

TEST_F(ViewerTest, MetaRefreshIsReportedOnceAfterTheLoad) {
  struct Case {
    std::string Content;
    int Delay;  // -1: no report
    std::string URL;
  };
  const Case cases[] = {{"0; url=next.htm", 1, "next.htm"},
                        {"abc", -1, ""},
                        {"5", 5, ""},
                        {"7;URL=Page.htm", 7, "Page.htm"},
                        {"-3; url=x.htm", -1, ""},
                        {"", -1, ""}};
  for (const Case& c : cases) {
    std::vector<std::pair<int, std::string>> reports;
    FViewer->OnMetaRefresh = [&](TObject*, int delay, const std::string& url) {
      EXPECT_FALSE(FViewer->Processing());
      reports.emplace_back(delay, url);
    };
    const std::string html =
        "<html><head><meta http-equiv=\"Refresh\" content=\"" + c.Content + "\"></head><p>x";
    FViewer->LoadFromBuffer(html.data(), int(html.size()));
    if (c.Delay < 0) {
      EXPECT_TRUE(reports.empty()) << c.Content;
    } else {
      ASSERT_EQ(reports.size(), 1u) << c.Content;
      EXPECT_EQ(reports[0].first, c.Delay) << c.Content;
      EXPECT_EQ(reports[0].second, c.URL) << c.Content;
    }
    // The next document without a refresh reports nothing.
    reports.clear();
    FViewer->LoadFromBuffer("<p>plain", 8);
    EXPECT_TRUE(reports.empty());
    FViewer->OnMetaRefresh = nullptr;  // it refers to this pass's list
  }
  // Every META reaches OnMeta, refresh or not.
  std::vector<std::string> metas;
  FViewer->OnMeta = [&](TObject*, const std::string& httpEq, const std::string& name,
                        const std::string& content) {
    metas.push_back(httpEq + "|" + name + "|" + content);
  };
  const std::string html =
      "<meta name=author content=me><meta http-equiv=refresh content=\"2; url=a.htm\">";
  FViewer->LoadFromBuffer(html.data(), int(html.size()));
  EXPECT_EQ(metas, (std::vector<std::string>{"|author|me", "refresh||2; url=a.htm"}));
}

}  // namespace

namespace {

TEST_F(ViewerTest, ReformatKeepsTheReadingPlaceInItsSection) {
  MakeTallDocument(6000);
  TSectionList* list = FViewer->SectionList();
  TSectionBase* section = list->PositionIndex.at(30);
  FViewer->ScrollTo(section->GetTopY() + 20);
  // Every section above grows by half: the text read stays at the top of the window.
  for (int i = 0; i < list->Count(); ++i)
    if (auto* band = dynamic_cast<TBandSection*>(list->Items(i))) band->FHeight = 150;
  FViewer->Reformat();
  EXPECT_EQ(FViewer->VScrollPos(), section->GetTopY() + 20);
  EXPECT_EQ(FViewer->PaintContext().ScrollY, FViewer->VScrollPos());
}

TEST_F(ViewerTest, ReformatKeepsThePlaceDeepInsideOneVeryTallSection) {
  FViewer->LoadFromBuffer("", 0);
  FViewer->SectionList()->Add(std::make_unique<TBandSection>(FViewer->SectionList(), 200000));
  FViewer->Reformat();
  for (int y : {70000, 131071, 150000}) {
    FViewer->ScrollTo(y);
    FViewer->Reformat();
    EXPECT_EQ(FViewer->VScrollPos(), y);
  }
}

}  // namespace

namespace {

TEST_F(ViewerTest, ScrollBarsChangedDuringALoadTakeEffectWithoutEndingIt) {
  int parses = 0;
  std::vector<bool> processing;
  FViewer->OnProcessing = [&](TObject*, bool on) { processing.push_back(on); };
  FViewer->OnParseBegin = [&](TObject*, std::string&) {
    ++parses;
    FViewer->SetScrollBars(ssNone);
    EXPECT_TRUE(FViewer->Processing());
    FViewer->LoadFromBuffer("<p>nested", 9);  // still ignored
  };
  std::string html;
  for (int i = 0; i < 200; ++i) html += "<p>line " + std::to_string(i);
  FViewer->LoadFromBuffer(html.data(), int(html.size()));
  EXPECT_EQ(parses, 1);
  EXPECT_EQ(processing, (std::vector<bool>{true, false}));
  // The load's own layout used the new setting: a tall document and no bar.
  EXPECT_GT(FViewer->MaxVertical(), 2 * FViewer->Height());
  EXPECT_FALSE(FViewer->VScrollBar()->Visible());
  EXPECT_EQ(FViewer->PaintPanel()->Width(), FViewer->Width() - 2);
  // Outside a load the change lays out at once.
  FViewer->OnParseBegin = nullptr;
  FViewer->SetScrollBars(ssVertical);
  EXPECT_TRUE(FViewer->VScrollBar()->Visible());
  EXPECT_EQ(FViewer->PaintPanel()->Width(), FViewer->Width() - FViewer->ScrollBarWidth() - 2);
}

}  // namespace

namespace {

std::string ManyParagraphs(int Count) {
  std::string html;
  for (int i = 0; i < Count; ++i) html += "<p>paragraph " + std::to_string(i);
  return html;
}

// A handler fails half-way through the parse: what was built is laid out and shown, the
// error reaches the caller and the viewer is ready for the next load.
TEST_F(ViewerTest, ErrorDuringAParseShowsWhatWasBuiltAndEndsTheLoad) {
  const std::string html = ManyParagraphs(100) + "<meta name=x content=y>" + ManyParagraphs(5);
  const std::string name = ::testing::TempDir() + "viewer_parse_error.html";
  { std::ofstream(name) << html; }
  for (bool fromFile : {false, true}) {
    FViewer->Clear();
    ASSERT_EQ(FViewer->MaxVertical(), 0);
    std::vector<std::string> log;
    FViewer->OnProgress = [&](TObject*, TProgressStage stage, int percent) {
      if (stage == psEnding) log.push_back("end " + std::to_string(percent));
    };
    FViewer->OnMeta = [](TObject*, const std::string&, const std::string&, const std::string&) {
      throw std::runtime_error("handler failed");
    };
    if (fromFile) {
      EXPECT_THROW(FViewer->LoadFromFile(name), std::runtime_error);
    } else {
      EXPECT_THROW(FViewer->LoadFromBuffer(html.data(), int(html.size())), std::runtime_error);
    }
    EXPECT_FALSE(FViewer->Processing());
    EXPECT_EQ(log, (std::vector<std::string>{"end 100"}));
    // A hundred paragraphs are laid out: far taller than the window, with a bar.
    EXPECT_GT(FViewer->MaxVertical(), 3 * FViewer->Height()) << fromFile;
    EXPECT_TRUE(FViewer->VScrollBar()->Visible()) << fromFile;
    FViewer->KeyDown(VK_END, 0);
    EXPECT_EQ(FViewer->VScrollPos(), FViewer->MaxVertical() - PanelHeight());
    UpdateWindow(FViewer->PaintPanel()->Handle());
    FViewer->OnMeta = nullptr;
    FViewer->LoadFromBuffer("<p>next", 7);
    EXPECT_LT(FViewer->MaxVertical(), FViewer->Height());
    FViewer->OnProgress = nullptr;  // it refers to this pass's log
  }
  std::remove(name.c_str());
}

// An image file shown as a document: no parse events, no source, the full path as the
// current file, and names too long for the generated tag load without harm.
TEST_F(ViewerTest, ImageDocumentFromARelativeOrVeryLongName) {
  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  const std::string dir = ::testing::TempDir() + "viewer_image_doc";
  const std::string deep = dir + "/" + std::string(240, 'a');
  mkdir(dir.c_str(), 0700);
  mkdir(deep.c_str(), 0700);
  std::vector<uint8_t> pixels(30 * 400 * 3, 0x80);
  WritePngFile(dir + "/tall.png", 30, 400, pixels.data(), 3, 30 * 3);
  WritePngFile(deep + "/tall.png", 30, 400, pixels.data(), 3, 30 * 3);
  int parseEvents = 0;
  FViewer->OnParseBegin = [&](TObject*, std::string&) { ++parseEvents; };
  FViewer->OnParseEnd = [&](TObject*) { ++parseEvents; };
  ASSERT_EQ(chdir(::testing::TempDir().c_str()), 0);
  EXPECT_NO_THROW(FViewer->LoadImageDocument("viewer_image_doc/tall.png"));
  ASSERT_EQ(chdir(saved), 0);
  EXPECT_EQ(FViewer->CurrentFile(), dir + "/tall.png");
  EXPECT_EQ(FViewer->DocumentSource(), "");
  EXPECT_NO_THROW(FViewer->LoadImageDocument(deep + "/tall.png"));
  EXPECT_EQ(FViewer->CurrentFile(), deep + "/tall.png");
  EXPECT_EQ(parseEvents, 0);
  EXPECT_FALSE(FViewer->Processing());
  std::remove((deep + "/tall.png").c_str());
  std::remove((dir + "/tall.png").c_str());
  rmdir(deep.c_str());
  rmdir(dir.c_str());
}

}  // namespace

namespace {

TEST_F(ViewerTest, MaskedBackgroundShowsThePageColourUnderTransparentPixels) {
  FViewer->SetDefBackground(TColor(0x0000FFFF));  // yellow
  MakeTallDocument(2000);
  FViewer->BackgroundChanged();
  // Left half transparent (the image holds blue there), right half opaque red.
  TBitmap tile(100, 100), mask(100, 100);
  tile.Canvas().FillRect(TRect{0, 0, 50, 100}, clBlue);
  tile.Canvas().FillRect(TRect{50, 0, 100, 100}, clRed);
  mask.Canvas().FillRect(TRect{0, 0, 50, 100}, clWhite);
  mask.Canvas().FillRect(TRect{50, 0, 100, 100}, clBlack);
  TSectionList* list = FViewer->SectionList();
  list->BackImage = &tile;
  list->BackMask = &mask;
  HWND panel = FViewer->PaintPanel()->Handle();
  InvalidateRect(panel, nullptr);
  UpdateWindow(panel);
  TWindowPixels pixels = CaptureWindowPixels(panel);
  list->BackImage = nullptr;
  list->BackMask = nullptr;
  for (int y : {0, 99, 150}) {
    EXPECT_EQ(pixels.At(10, y), 0xFFFF00u) << y;
    EXPECT_EQ(pixels.At(110, y), 0xFFFF00u) << y;
    EXPECT_EQ(pixels.At(60, y), 0xFF0000u) << y;
    EXPECT_EQ(pixels.At(160, y), 0xFF0000u) << y;
  }
}

// Painting part of the window gives the same pixels there as painting all of it, for
// clip rectangles that hold whole tiles and for strips thinner than a tile.
TEST_F(ViewerTest, PartialPaintsMatchAFullPaint) {
  MakeTallDocument(5000);
  TBitmap tile(40, 30);
  tile.Canvas().FillRect(TRect{0, 0, 20, 15}, clRed);
  tile.Canvas().FillRect(TRect{20, 0, 40, 15}, clLime);
  tile.Canvas().FillRect(TRect{0, 15, 20, 30}, clBlue);
  tile.Canvas().FillRect(TRect{20, 15, 40, 30}, clBlack);
  FViewer->SectionList()->BackImage = &tile;
  FViewer->ScrollTo(47);
  HWND panel = FViewer->PaintPanel()->Handle();
  InvalidateRect(panel, nullptr);
  UpdateWindow(panel);
  const TWindowPixels full = CaptureWindowPixels(panel);
  for (const TRect& r : {TRect{37, 61, 290, 213}, TRect{0, 250, 300, 266}, TRect{5, 7, 12, 9}}) {
    // Spoil the area first, so only a correct repaint restores it.
    TWindowDC dc(panel);
    dc.Canvas().FillRect(r, clWhite);
    InvalidateRect(panel, &r, false);
    UpdateWindow(panel);
    const TWindowPixels part = CaptureWindowPixels(panel);
    int wrong = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) wrong += part.At(x, y) != full.At(x, y);
    EXPECT_EQ(wrong, 0) << r.Left << "," << r.Top;
  }
  FViewer->SectionList()->BackImage = nullptr;
}

// The document paints straight into the window's surface: a background tiled over a panel
// whose top left lies outside its parent draws every visible tile from the picture, never
// from pixels of the panel that were not drawn.
TEST_F(ViewerTest, TilesShowWhereThePanelsTopLeftIsHidden) {
  MakeTallDocument(1000);
  FViewer->SetBounds(-150, -120, 400, 300);
  TBitmap tile(40, 30);
  tile.Canvas().FillRect(TRect{0, 0, 40, 30}, clLime);
  tile.Canvas().FillRect(TRect{0, 0, 20, 15}, clRed);
  FViewer->SectionList()->BackImage = &tile;
  HWND panel = FViewer->PaintPanel()->Handle();
  InvalidateRect(panel, nullptr);
  UpdateWindow(panel);
  const TWindowPixels pixels = CaptureWindowPixels(panel);
  int wrong = 0;
  for (int y = 160; y < 260; ++y)
    for (int x = 200; x < 300; ++x) {
      const uint32_t want = x % 40 < 20 && y % 30 < 15 ? 0xFF0000u : 0x00FF00u;
      wrong += pixels.At(x, y) != want;
    }
  EXPECT_EQ(wrong, 0);
  FViewer->SectionList()->BackImage = nullptr;
}

TEST_F(ViewerTest, HorizontalBarPagesByTheVisibleWidthAndStopsAtSixThousand) {
  class TWideSection : public TBandSection {
   public:
    using TBandSection::TBandSection;
    int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
               IndentManager* IMgr, int& MaxWidth, int& Curs) override {
      const int h = TBandSection::Layout(Canvas, X, Y, XRef, YRef, AWidth, AHeight, IMgr,
                                         MaxWidth, Curs);
      MaxWidth = std::max(MaxWidth, 10000);
      return h;
    }
  };
  for (THTMLBorderStyle border : {htNone, htSingle}) {
    FViewer->SetBorderStyle(border);
    FViewer->LoadFromBuffer("", 0);
    FViewer->SectionList()->Add(std::make_unique<TWideSection>(FViewer->SectionList(), 1000));
    FViewer->Reformat();
    const int b = border == htNone ? 0 : 1;
    const int visible = FViewer->Width() - FViewer->ScrollBarWidth();
    EXPECT_EQ(FViewer->ScrollWidth(), 6000);
    ASSERT_TRUE(FViewer->HScrollBar()->Visible());
    EXPECT_EQ(FViewer->PaintPanel()->Width(), visible - 2 * b);
    FViewer->HScrollNotify(SB_PAGERIGHT);
    EXPECT_EQ(FViewer->HScrollPos(), visible - 20) << border;
    FViewer->HScrollNotify(SB_LINELEFT);
    EXPECT_EQ(FViewer->HScrollPos(), visible - 20 - 15) << border;
    // The right end shows the last column of the 6000 (the bar's page, one pixel wider
    // than the panel inside a frame, may stop it one short).
    FViewer->HScrollNotify(SB_RIGHT);
    const int end = FViewer->HScrollPos() + FViewer->PaintPanel()->Width();
    EXPECT_LE(end, 6000) << border;
    EXPECT_GE(end, 6000 - b) << border;
    FViewer->KeyDown(VK_RIGHT, 0);
    EXPECT_EQ(FViewer->HScrollPos() + FViewer->PaintPanel()->Width(), end) << border;
  }
}

}  // namespace

namespace {

// A form control placed in the document at a fixed Y.
class TPlacedControl : public TIDObject, public TDocControl {
 public:
  explicit TPlacedControl(int ATop) : FTop(ATop) {}
  int GetTopY() override { return FTop; }
  bool Shown() const override { return false; }
  void SetShown(bool) override {}
  void Hide() override {}
  void ParkOffSurface() override {}
  bool HasFocus() const override { return true; }
  int FTop;
};

// An anchor-like object that is not a control.
class TPlacedName : public TIDObject {
 public:
  int GetTopY() override { return 3000; }
};

TEST_F(ViewerTest, AControlThatGetsTheFocusIsBroughtIntoView) {
  MakeTallDocument(10000);
  TSectionList* list = FViewer->SectionList();
  ASSERT_TRUE(list->Hooks.OnControlEnter);
  const int height = FViewer->ClientHeight();
  FViewer->ScrollTo(1000);
  struct Case {
    int Top, Expected;
  };
  // Inside [position, position + height - 20] nothing moves; elsewhere the control's top
  // goes to the middle of the window.
  for (const Case& c : {Case{1000, 1000}, Case{1000 + height - 20, 1000},
                        Case{1000 + height - 19, 1000 + height - 19 - height / 2},
                        Case{5000, 5000 - height / 2}, Case{100, 0}}) {
    TPlacedControl control(c.Top);
    list->Hooks.OnControlEnter(&control);
    EXPECT_EQ(FViewer->VScrollPos(), c.Expected) << c.Top;
    FViewer->ScrollTo(1000);
  }
  TPlacedName name;
  list->Hooks.OnControlEnter(&name);
  list->Hooks.OnControlEnter(nullptr);
  EXPECT_EQ(FViewer->VScrollPos(), 1000);
}

TEST_F(ViewerTest, ViewImagesChangeReportsProgressWhenItLaysOut) {
  std::vector<std::string> log;
  FViewer->OnProgress = [&](TObject*, TProgressStage stage, int percent) {
    if (stage != psRunning) log.push_back(std::to_string(stage) + ":" + std::to_string(percent));
  };
  FViewer->SetViewImages(false);  // an empty viewer lays nothing out
  EXPECT_TRUE(log.empty());
  MakeTallDocument(1000);
  FViewer->ScrollTo(300);
  log.clear();
  FViewer->SetViewImages(true);
  EXPECT_EQ(log, (std::vector<std::string>{"0:0", "2:100"}));
  EXPECT_EQ(FViewer->VScrollPos(), 300);
  EXPECT_FALSE(FViewer->Processing());
}

}  // namespace

namespace {

// A handler that runs inside the auto-scroll loop frees the viewer: the loop stops there.
TEST_F(ViewerTest, ViewerFreedWhileAutoScrollingEndsTheLoop) {
  MakeTallDocument(20000);
  HWND panel = FViewer->PaintPanel()->Handle();
  InjectMouseMoveAt(panel, 50, 100);
  InjectMouseDownAt(panel, mbMiddle, 50, 100);
  InjectMouseUpAt(panel, mbMiddle, 50, 100);
  ASSERT_TRUE(FViewer->MiddleScrolling());
  bool freed = false;
  StopAfter(500, [&] {
    FViewer.reset();
    freed = true;
  });
  SetClockAutoStep(101);
  InjectMouseMoveAt(panel, 50, 200);
  SetClockAutoStep(0);
  EXPECT_TRUE(freed);
  EXPECT_EQ(FViewer, nullptr);
}

}  // namespace

namespace {

TEST_F(ViewerTest, OptionsReachTheDocument) {
  TSectionList* list = FViewer->SectionList();
  // The print option that acts only while printing reaches the print passes.
  struct Case {
    htOptionEnum Option;
    std::function<bool()> Flag;
  };
  for (const Case& c :
       {Case{htOverLinksActive, [&] { return list->HoverLinksOn; }},
        Case{htPrintTableBackground, [&] { return list->PrintColors; }},
        Case{htPrintMonochromeBlack, [&] { return FViewer->PrintSettings().PrintMonoBlack; }},
        Case{htShowDummyCaret, [&] { return list->ShowDummyCaret; }}}) {
    FViewer->SetHtOptions(htOption(c.Option));
    EXPECT_TRUE(c.Flag()) << c.Option;
    FViewer->SetHtOptions(0);
    EXPECT_FALSE(c.Flag()) << c.Option;
  }
}

}  // namespace
