// Printing lays out and draws the viewer's own document for the pages: the screen must show
// what it showed before once the pass is over, and what a page handler does meanwhile
// (resizing, painting, scrolling, printing again, moving the mouse) must neither reach the
// pages nor leave the screen with the printer's layout.
#include <gtest/gtest.h>

#include <malloc.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "document/core/section_list.h"
#include "document/forms/form.h"
#include "images/gif_image.h"
#include "tests/test_data.h"
#include "tests/viewer/viewer_window.h"
#include "toolkit/printers/printer.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"

namespace {

namespace fs = std::filesystem;

// The sanitizers' allocator does not report through mallinfo2.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kHeapCounted = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kHeapCounted = false;
#else
constexpr bool kHeapCounted = true;
#endif
#else
constexpr bool kHeapCounted = true;
#endif

// Text that wraps otherwise at the screen's width than at the printer's, an animated
// picture, two controls, a link and an anchor far down.
std::string Page(bool Animated) {
  std::string html = (Animated ? "<img src='" + TestDataPath("images/gif/pillow/dispose_none.gif") + "'>" : "") +
                     "<form><input name=q value=first><input type=checkbox name=c></form>" +
                     "<p><a href='#end'>a link at the top</a>";
  for (int i = 0; i < 60; ++i)
    html += "<p>paragraph " + std::to_string(i) +
            " with words enough to wrap at one width and not at another one";
  return html + "<p><a name=end>the end</a>";
}

class PrintInPlace : public TViewerWindowTest {
 protected:
  void SetUp() override {
    TViewerWindowTest::SetUp();
    SetClockAutoStep(0);
    FPdf = fs::temp_directory_path() / ("qjx-inplace-" + std::to_string(::getpid()) + ".pdf");
    FSavedPdf = PdfPrinter().FileName;
    PdfPrinter().FileName = FPdf.string();
    Printer().PrinterIndex = Printer().IndexOf(PdfPrinter().Name);
  }
  void TearDown() override {
    FViewer->OnPrintHeader = nullptr;
    TViewerWindowTest::TearDown();
    PdfPrinter().FileName = FSavedPdf;
    fs::remove(FPdf);
  }

  // What the screen shows and what the user set, as far as printing could disturb it.
  struct TScreen {
    std::vector<uint32_t> Pixels;
    int ScrollPos = 0, MaxVertical = 0, SelStart = 0, SelEnd = 0, Frame = 0;
    TSectionList::TFormValues Values;
    std::vector<TRect> ControlPlaces;
    bool operator==(const TScreen&) const = default;
  };
  TScreen Screen() {
    TScreen s;
    s.Pixels = Shot().Pixels;
    TSectionList& list = *FViewer->SectionList();
    s.ScrollPos = FViewer->VScrollPos();
    s.MaxVertical = FViewer->MaxVertical();
    s.SelStart = list.SelStart;
    s.SelEnd = list.SelEnd;
    s.Frame = list.AnimatedImages.empty() ? 0 : list.AnimatedImages[0]->CurrentFrame();
    s.Values = list.FormValues();
    for (TDocControl* control : list.FormControls)
      if (TWinControl* w = static_cast<TFormControlObj*>(control)->WindowControl())
        s.ControlPlaces.push_back(TRect{w->Left(), w->Top(), w->Width(), w->Height()});
    return s;
  }

  // The page loaded, its animation moved on, a control changed, a selection made.
  void Prepare(int ScrollY, bool Animated = true) {
    Load(Page(Animated));
    Shot();
    AdvanceClock(1500);
    TSectionList& list = *FViewer->SectionList();
    TSectionList::TFormValues values = list.FormValues();
    values.at(0).at(0).at(0) = "typed";
    list.SetFormValues(values);
    FViewer->ScrollTo(ScrollY);
    list.SelStart = 30;
    list.SelEnd = 90;
  }

  fs::path FPdf;
  std::string FSavedPdf;
};

TEST_F(PrintInPlace, TheScreenShowsWhatItShowedBeforeEachPass) {
  Prepare(50);  // the picture partly scrolled off, still painted
  const TScreen before = Screen();
  ASSERT_GT(before.Frame, 1) << "the animation moved on";
  ASSERT_EQ(before.ControlPlaces.size(), 2u);
  const int pages = FViewer->CountPrintPages();
  EXPECT_GT(pages, 1);
  EXPECT_EQ(Screen(), before) << "after the preview";
  FViewer->PrintPages(1, 99);
  EXPECT_EQ(FViewer->PrintPage(), pages);
  EXPECT_TRUE(fs::exists(FPdf));
  EXPECT_EQ(Screen(), before) << "after printing";
  // The animation goes on from where it stood.
  AdvanceClock(1500);
  EXPECT_NE(Screen().Frame, before.Frame);
}

// The screen's layout waits until the screen is next painted: a host that counts the pages
// and then prints pays for the pages' two layouts and for the screen's one.
TEST_F(PrintInPlace, PassesLeaveTheScreensLayoutToItsNextPaint) {
  Prepare(50);
  const TScreen before = Screen();
  const int layouts = FViewer->SectionList()->LayoutCount;
  FViewer->CountPrintPages();
  FViewer->PrintPages(1, 99);
  EXPECT_EQ(FViewer->SectionList()->LayoutCount, layouts + 2);
  TWindowPixels shown = CaptureWindowPixels(FViewer->PaintPanel()->Handle());
  for (uint32_t& p : shown.Pixels) p &= 0xFFFFFF;
  EXPECT_EQ(shown.Pixels, before.Pixels) << "the window still shows the screen";
  EXPECT_EQ(Screen(), before);
  EXPECT_EQ(FViewer->SectionList()->LayoutCount, layouts + 3);
}

// A host window that waits for its paint when a pass begins is painted before it: its
// paint during the pass would mark the panel, and the screen would be laid out again
// before the next pass.
TEST_F(PrintInPlace, WindowsWaitingForAPaintArePaintedBeforeThePass) {
  Prepare(0, false);
  InvalidateRect(FHost, nullptr);
  const int layouts = FViewer->SectionList()->LayoutCount;
  FViewer->CountPrintPages();
  FViewer->PrintPages(1, 99);
  EXPECT_EQ(FViewer->SectionList()->LayoutCount, layouts + 2);
}

// Before that paint, whatever asks the document for a place gets the screen's.
TEST_F(PrintInPlace, PlacesAskedForAfterAPassAreTheScreens) {
  const std::vector<std::pair<const char*, std::function<std::string(THTMLViewer&)>>> asks{
      {"reading position", [](THTMLViewer& V) { return std::to_string(V.GetScrollPosition()); }},
      {"words under the mouse",
       [](THTMLViewer& V) {
         std::string found, word;
         for (int y = 0; y < 280; y += 7) {
           int after = 0, before = 0;
           if (V.WordAtPoint(60, y, word, after, before)) found += word + " ";
         }
         return found;
       }},
  };
  for (const auto& [name, ask] : asks) {
    SCOPED_TRACE(name);
    Prepare(120, false);
    const std::string before = ask(*FViewer);
    FViewer->PrintPages(1, 99);
    EXPECT_EQ(ask(*FViewer), before);
  }
}

// A handler that moves or selects while a pass goes on sees its change on the screen once
// the window paints what is pending, though the pass left the layout to that paint.
TEST_F(PrintInPlace, ChangesMadeDuringAPassShowWithTheNextPaint) {
  const std::vector<std::pair<const char*, std::function<void(THTMLViewer&)>>> changes{
      {"scroll", [](THTMLViewer& V) { V.SetVScrollPos(40); }},
      {"select all", [](THTMLViewer& V) { V.SelectAll(); }},
  };
  HWND panel = nullptr;
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    Prepare(0, false);
    panel = FViewer->PaintPanel()->Handle();
    FViewer->OnPrintHeader = [&, change = change](TObject*, TCanvas*, int Page, int, int, bool&) {
      if (Page == 1) change(*FViewer);
    };
    FViewer->PrintPages(1, 99);
    FViewer->OnPrintHeader = nullptr;
    UpdateWindow(panel);
    TWindowPixels shown = CaptureWindowPixels(panel);
    for (uint32_t& p : shown.Pixels) p &= 0xFFFFFF;
    EXPECT_EQ(shown.Pixels, Shot().Pixels);
  }
}

// The pass prints the document itself: no second copy of a large page is made beside it.
TEST_F(PrintInPlace, ThePassHoldsNoSecondCopyOfTheDocument) {
  std::string row = "<tr>";
  for (int c = 0; c < 50; ++c) row += "<td>x";
  std::string table = "<table>";
  for (int r = 0; r < 400; ++r) table += row;
  const auto heap = [] {
    const struct mallinfo2 info = mallinfo2();
    return int64_t(info.uordblks + info.hblkhd);
  };
  const int64_t empty = heap();
  Load(table);
  const int64_t shown = heap() - empty;
  bool sawItself = false;
  int64_t printing = 0;
  FViewer->OnPrintHeader = [&](TObject*, TCanvas*, int Page, int, int, bool&) {
    if (Page != 1) return;
    sawItself = FViewer->SectionList()->Printing && FViewer->Printing();
    printing = heap() - empty;
  };
  EXPECT_GT(FViewer->CountPrintPages(), 1);
  EXPECT_TRUE(sawItself);
  // The printer's layout of twenty thousand cells costs a small part of their records.
  if (kHeapCounted) { EXPECT_LT(printing, shown + shown / 4) << "shown " << shown << ", printing " << printing; }
}

// What a page handler may do while the document is laid out for the printer.
TEST_F(PrintInPlace, PageHandlersLeaveNeitherPagesNorScreenInTheOtherLayout) {
  struct TCase {
    const char* Name;
    std::function<void(THTMLViewer&)> During;
    // What the screen is to show after the pass: a viewer brought there without printing
    // (a layout restarts the animations, so these pages have none); null for what it
    // showed before.
    std::function<void(THTMLViewer&)> Expected;
  };
  HWND panel = nullptr;
  const std::vector<TCase> cases{
      {"paint", [&](THTMLViewer&) { InvalidateRect(panel, nullptr); UpdateWindow(panel); }, nullptr},
      {"resize", [](THTMLViewer& V) { V.SetBounds(0, 0, 300, 260); },
       [](THTMLViewer& V) { V.SetBounds(0, 0, 300, 260); }},
      {"scroll to an anchor",
       [](THTMLViewer& V) { EXPECT_TRUE(V.ScrollToAnchor("end")); },
       [](THTMLViewer& V) { V.ScrollToAnchor("end"); }},
      {"reformat and images off",
       [](THTMLViewer& V) { V.Reformat(); V.SetViewImages(false); }, nullptr},
      {"print again",
       [](THTMLViewer& V) {
         EXPECT_EQ(V.CountPrintPages(), 0);
         V.PrintPages(1, 1);
         EXPECT_EQ(V.PrintPage(), 0);
       },
       nullptr},
      {"mouse over the link",
       [&](THTMLViewer& V) {
         for (int y = 0; y < 120; y += 3) InjectMouseMoveAt(panel, 2 * V.MarginWidth, y);
       },
       nullptr},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    FViewer->SetBounds(0, 0, 420, 300);
    Prepare(0, !c.Expected);
    panel = FViewer->PaintPanel()->Handle();
    const TScreen before = Screen();
    const int pages = FViewer->CountPrintPages();
    bool ran = false;
    FViewer->OnPrintHeader = [&](TObject*, TCanvas*, int Page, int, int, bool&) {
      if (Page != 1) return;
      ran = true;
      c.During(*FViewer);
      // A paint meanwhile keeps the picture the screen had.
      UpdateWindow(panel);
      TWindowPixels now = CaptureWindowPixels(panel);
      for (uint32_t& p : now.Pixels) p &= 0xFFFFFF;
      if (now.Pixels.size() == before.Pixels.size()) { EXPECT_EQ(now.Pixels, before.Pixels); }
    };
    EXPECT_EQ(FViewer->CountPrintPages(), pages) << "the pages are those of an undisturbed pass";
    FViewer->OnPrintHeader = nullptr;
    ASSERT_TRUE(ran);
    const TScreen after = Screen();
    if (c.Expected) {
      c.Expected(*FViewer);
      FViewer->Reformat();
      EXPECT_EQ(after, Screen());
    } else {
      EXPECT_EQ(after, before);
    }
    EXPECT_EQ(FViewer->SectionList()->HoverLink, nullptr);
  }
}

}  // namespace
