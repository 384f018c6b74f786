#include "document/core/section_list.h"

#include <gtest/gtest.h>

#include <cstring>

#include "document/core/draw_list.h"
#include "document/core/url_target.h"
#include "fake_sections.h"
#include "toolkit/windows/clipboard.h"

namespace {

TSectionList* LaidOut(TSectionList& Doc, int Width = 500) {
  int sw = 0, curs = 0;
  Doc.LayoutCell(nullptr, 0, Width, 300, sw, curs);
  return &Doc;
}

TEST(SectionList, AnEmptyDocumentHasNoHeightAndDrawReturnsItsY) {
  TSectionList doc(nullptr, nullptr);
  int sw = -1, curs = 0;
  EXPECT_EQ(doc.LayoutCell(nullptr, 0, 500, 300, sw, curs), 0);
  TPaintContext pass{.Band = TRect{0, 0, 500, 300}};
  EXPECT_EQ(doc.Draw(nullptr, pass, 6000, 0, 0, 0, 0), 0);
  EXPECT_EQ(doc.Draw(nullptr, pass, 6000, 0, 25, 0, 0), 25);
  int top = 0, index = 0;
  EXPECT_EQ(doc.SectionAtY(10, top, index), nullptr);
  EXPECT_EQ(doc.SourceToDocPosOrEnd(3, false), 1);
}

TEST(SectionList, LayoutCountsPassesAndIndexesPositionsOnlyAtTheFirst) {
  TSectionList doc(nullptr, nullptr);
  AddFake(doc, &doc, 10, 1);
  AddFake(doc, &doc, 10, 1);
  LaidOut(doc);
  EXPECT_EQ(doc.LayoutCount, 1);
  ASSERT_EQ(doc.PositionIndex.size(), 2u);
  EXPECT_EQ(doc.PositionIndex[0], doc[0]);
  LaidOut(doc);
  EXPECT_EQ(doc.LayoutCount, 2);
  EXPECT_EQ(doc.PositionIndex.size(), 2u);
}

// A long document's index is at its highest memory: it is made at its size, not grown to it.
TEST(SectionList, ThePositionIndexTakesNoMoreRoomThanItsSections) {
  TSectionList doc(nullptr, nullptr);
  for (int i = 0; i < 5; ++i) AddFake(doc, &doc, 10, 1);
  LaidOut(doc);
  ASSERT_EQ(doc.PositionIndex.size(), 5u);
  EXPECT_EQ(doc.PositionIndex.capacity(), 5u);
  EXPECT_EQ(doc.PositionIndex[4], doc[4]);
}

TEST(SectionList, TheAnimationTimerIsMadeAtTheFirstLayoutAndRunsOnlyForAnimations) {
  TSectionList doc(nullptr, nullptr);
  int made = 0;
  doc.Hooks.TimerFactory = [&] {
    ++made;
    return std::make_unique<TDocumentTimer>();
  };
  EXPECT_EQ(doc.AnimationTimer, nullptr);
  LaidOut(doc);
  ASSERT_NE(doc.AnimationTimer, nullptr);
  EXPECT_EQ(doc.AnimationTimer->Interval(), 50);
  EXPECT_FALSE(doc.AnimationTimer->Enabled());
  LaidOut(doc);
  EXPECT_EQ(made, 1);
  doc.AnimationTimer->OnTimer(nullptr);
  EXPECT_EQ(doc.AnimationTimer->Interval(), 40);

  auto copy = TSectionList::CreateClone(doc);
  LaidOut(*copy);
  EXPECT_EQ(copy->AnimationTimer, nullptr);
  EXPECT_EQ(made, 1);
  doc.Clear();
  EXPECT_EQ(doc.AnimationTimer, nullptr);
}

TEST(SectionList, SectionAtYScansFromTheEnd) {
  TSectionList doc(nullptr, nullptr);
  doc.FFloats->FWidth = 500;
  AddFake(doc, &doc, 0);
  LaidOut(doc);  // an index is made before the real sections are there
  doc.Clear();
  for (int i = 0; i < 3; ++i) AddFake(doc, &doc, 100, 1);
  int sw = 0, curs = 0;
  doc.LayoutCell(nullptr, 50, 500, 300, sw, curs);  // sections at 50, 150, 250
  int top = -1, index = -1;
  EXPECT_EQ(doc.SectionAtY(10, top, index), nullptr);
  EXPECT_EQ(doc.SectionAtY(150, top, index), doc[1]);
  EXPECT_EQ(top, 150);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(doc.SectionAtY(9000, top, index), doc[2]);
  EXPECT_EQ(top, 250);
}

class Selection : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* texts[] = {"one", "t\x04wo", "three", "four"};
    for (const char* t : texts) {
      TFakeSection* s = AddFake(Doc, &Doc, 10, 5);
      s->Text = t;
      Sections.push_back(s);
    }
    LaidOut(Doc);  // positions 0..4, 5..9, 10..14, 15..19
  }
  TSectionList Doc{nullptr, nullptr};
  std::vector<TFakeSection*> Sections;
};

TEST_F(Selection, TheWalkVisitsOnlySectionsOverlappingTheSelection) {
  Doc.SelStart = 7;
  Doc.SelEnd = 15;
  char buffer[64];
  EXPECT_EQ(Doc.CopySelectionToBuffer(buffer, sizeof buffer), 13);
  EXPECT_STREQ(buffer, "two\r\nthree\r\n");  // the image marker is never copied
  EXPECT_EQ(Sections[0]->CopyCalls, 0);
  EXPECT_EQ(Sections[3]->CopyCalls, 0);  // starts at SelEnd
  EXPECT_EQ(Doc.SelectionLength(), 12);
  EXPECT_EQ(Doc.SelectionBuffer, nullptr);  // the accumulator is not left behind
}

TEST_F(Selection, EmptySelectionsAndEmptyBuffers) {
  char buffer[8];
  std::memset(buffer, 'z', sizeof buffer);
  Doc.SelStart = 2;
  Doc.SelEnd = 9;
  EXPECT_EQ(Doc.CopySelectionToBuffer(buffer, 0), 0);
  EXPECT_EQ(buffer[0], 'z');  // size 0 leaves the buffer untouched
  Doc.SelEnd = 2;
  EXPECT_EQ(Doc.CopySelectionToBuffer(buffer, sizeof buffer), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(Doc.SelectionLength(), 0);
  EXPECT_EQ(Doc.CopySelectionToClipboard(), 0);
}

TEST_F(Selection, ABufferTooSmallKeepsWhatFitsAndIsTerminated) {
  Doc.SelStart = 0;
  Doc.SelEnd = 20;
  char buffer[6];
  EXPECT_EQ(Doc.CopySelectionToBuffer(buffer, sizeof buffer), 6);
  EXPECT_STREQ(buffer, "one\r\n");
}

TEST_F(Selection, TheClipboardReceivesTheSelectedText) {
  Doc.SelStart = 0;
  Doc.SelEnd = 5;
  EXPECT_EQ(Doc.CopySelectionToClipboard(), 6);
  EXPECT_EQ(GetClipboardText(), "one\r\n");
}

class TRecordingRun : public TDocFontRun {
 public:
  void SetHoverAll(bool Value) override { History.push_back(Value); }
  std::string LinkURL() const override { return {}; }
  void SetVisited(bool) override {}
  std::vector<bool> History;
};

class TRecordingImage : public TDocImage {
 public:
  void SetHoverState(THoverState State) override { States.push_back(State); }
  bool ReplaceImage(TMemoryStream*) override {
    ++Replaced;
    return SizeChanges;
  }
  void DrawDeferred(TCanvas*, const TPaintContext&, int X, int, int, TDocFontRun*) override {
    Drawn.push_back(X);
  }
  std::vector<THoverState> States;
  int Replaced = 0;
  bool SizeChanges = false;
  std::vector<int> Drawn;
};

// A section that puts a link and an image under the mouse for X below 100.
class TLinkSection : public TSectionBase {
 public:
  TLinkSection(TSectionList* Doc, TDocFontRun* Run, TDocImage* Image)
      : TSectionBase(Doc), FRun(Run), FImage(Image) {
    FFlowHeight = 50;
  }
  unsigned HitTestLink(TCanvas*, int X, int, std::unique_ptr<TUrlTarget>& UrlTarget, TDocControl*&,
                       std::string&) override {
    if (X >= 100) return 0;
    FDocument->HoverLink = FRun;
    FDocument->HoverImage = FImage;
    UrlTarget = std::make_unique<TUrlTarget>();
    UrlTarget->Assign("a.htm", "");
    return htLinkFound;
  }
  TDocFontRun* FRun;
  TDocImage* FImage;
};

TEST(SectionListHover, LinksHighlightAsTheMouseEntersAndLeaveWhenItMovesOff) {
  TSectionList doc(nullptr, nullptr);
  doc.HoverLinksOn = true;
  TRecordingRun run;
  TRecordingImage image;
  doc.Add(std::make_unique<TLinkSection>(&doc, &run, &image));
  LaidOut(doc);
  std::unique_ptr<TUrlTarget> url;
  TDocControl* control = nullptr;
  std::string title;
  EXPECT_EQ(doc.HitTestLink(nullptr, 10, 10, url, control, title), unsigned(htLinkFound));
  ASSERT_NE(url, nullptr);
  EXPECT_EQ(url->URL, "a.htm");
  EXPECT_EQ(run.History, std::vector<bool>{true});
  EXPECT_EQ(image.States, std::vector<THoverState>{hvOverUp});
  // Same link again: no new highlighting.
  doc.HitTestLink(nullptr, 20, 10, url, control, title);
  EXPECT_EQ(run.History.size(), 1u);
  // Plain text: both hovers cleared, the link un-highlighted.
  EXPECT_EQ(doc.HitTestLink(nullptr, 300, 10, url, control, title), 0u);
  EXPECT_EQ(url, nullptr);
  EXPECT_EQ(doc.HoverLink, nullptr);
  EXPECT_EQ(doc.HoverImage, nullptr);
  EXPECT_EQ(run.History, (std::vector<bool>{true, false}));
  EXPECT_EQ(image.States.back(), hvOff);
}

TEST(SectionListHover, PressedImagesAndClearingHover) {
  TSectionList doc(nullptr, nullptr);
  TRecordingRun run;
  TRecordingImage image;
  doc.Add(std::make_unique<TLinkSection>(&doc, &run, &image));
  LaidOut(doc);
  std::unique_ptr<TUrlTarget> url;
  TDocControl* control = nullptr;
  std::string title;
  doc.LeftButtonDown = true;
  doc.HitTestLink(nullptr, 10, 10, url, control, title);
  EXPECT_EQ(image.States.back(), hvOverDown);
  EXPECT_TRUE(run.History.empty());  // hover highlighting is off
  doc.SetImagePressed(false);
  EXPECT_EQ(image.States.back(), hvOverUp);
  doc.ClearHover();
  EXPECT_EQ(image.States.back(), hvOff);
  EXPECT_EQ(run.History, std::vector<bool>{false});
  EXPECT_EQ(doc.HoverImage, nullptr);
  doc.SetImagePressed(true);  // nothing under the mouse: nothing happens
  EXPECT_EQ(image.States.back(), hvOff);
}

TEST(UrlTarget, EveryAssignTakesANewLinkID) {
  TUrlTarget a, b;
  a.Assign("x", "t");
  b.Assign("x", "t");
  EXPECT_NE(a.ID, b.ID);
  b.Copy(a);
  EXPECT_EQ(b.ID, a.ID);
  b.Clear();
  EXPECT_EQ(b.URL, "");
  EXPECT_EQ(b.ID, 0);
}

class TRecordingControl : public TDocControl {
 public:
  bool Shown() const override { return FShown; }
  void SetShown(bool Value) override { FShown = Value; }
  void Hide() override { Log += "hide "; }
  void ParkOffSurface() override { Log += "park "; }
  bool HasFocus() const override { return Focused; }
  bool FShown = true;
  bool Focused = false;
  std::string Log;
};

TEST(SectionListControls, ControlsNotPaintedAfterAScrollAreHiddenOrParked) {
  TSectionList doc(nullptr, nullptr);
  TRecordingControl painted, unpainted, focused, panel, paintedPanel;
  focused.Focused = true;
  doc.FormControls = {&painted, &unpainted, &focused};
  doc.Panels = {&panel, &paintedPanel};
  doc.ViewScrolled();
  TPaintContext scrolled{.Band = TRect{0, 0, 100, 100}, .ScrollY = 120};
  EXPECT_TRUE(doc.ScrollYChanged);
  EXPECT_FALSE(painted.Shown());
  EXPECT_FALSE(panel.Shown());
  painted.SetShown(true);  // as a section painting it would
  paintedPanel.SetShown(true);
  doc.Draw(nullptr, scrolled, 6000, 0, 0, 0, 0);
  EXPECT_EQ(painted.Log, "");
  EXPECT_EQ(unpainted.Log, "hide ");
  EXPECT_EQ(focused.Log, "park ");
  EXPECT_EQ(panel.Log, "hide ");
  EXPECT_EQ(paintedPanel.Log, "");
  EXPECT_FALSE(doc.ScrollYChanged);
  // Without a scroll the next paint leaves them alone.
  doc.Draw(nullptr, scrolled, 6000, 0, 0, 0, 0);
  EXPECT_EQ(unpainted.Log, "hide ");
}

TEST(SectionListControls, PrintedPagesDoNotWalkEveryControl) {
  // A print copy paints likenesses and never shows a control's window: the pages after
  // the first must not mark every control again, or printing costs pages times controls.
  class TCountingControl : public TRecordingControl {
   public:
    void SetShown(bool Value) override {
      ++Marks;
      TRecordingControl::SetShown(Value);
    }
    int Marks = 0;
  };
  TSectionList doc(nullptr, nullptr);
  auto copy = TSectionList::CreateClone(doc);
  ASSERT_TRUE(copy->IsPrintCopy);
  std::vector<TCountingControl> controls(50), panels(5);
  for (auto& c : controls) copy->FormControls.push_back(&c);
  for (auto& p : panels) copy->Panels.push_back(&p);
  constexpr int Pages = 20;
  for (int page = 0; page < Pages; ++page) {
    copy->ViewScrolled();
    TPaintContext pass{.Band = TRect{0, 0, 100, 100}, .ScrollY = page * 100, .ForPrinter = true};
    copy->Draw(nullptr, pass, 6000, 0, 0, 0, 0);
  }
  int marks = 0;
  for (const auto& c : controls) marks += c.Marks;
  for (const auto& p : panels) marks += p.Marks;
  EXPECT_LE(marks, int(controls.size() + panels.size()));
  for (const auto& c : controls) EXPECT_FALSE(c.Shown());
  // Nor are the panels hidden again page after page.
  for (const auto& p : panels) EXPECT_LE(p.Log.size(), std::string("hide ").size());
}

TEST(SectionListDraw, DeferredImagesArePaintedAfterTheSectionsAndClearedEachPass) {
  class TDeferring : public TSectionBase {
   public:
    TDeferring(TSectionList* Doc, TDocImage* Image) : TSectionBase(Doc), FImage(Image) { FFlowHeight = 10; }
    int Draw(TCanvas* Canvas, TPaintContext& C, IndentManager* M, int X, int XRef,
             int YRef) override {
      C.Deferred->AddDeferredImage(FImage, Canvas, 42, 0, 0, nullptr);
      FPending = C.Deferred->Count();
      return TSectionBase::Draw(Canvas, C, M, X, XRef, YRef);
    }
    TDocImage* FImage;
    int FPending = 0;
  };
  TSectionList doc(nullptr, nullptr);
  TRecordingImage image;
  auto deferring = std::make_unique<TDeferring>(&doc, &image);
  TDeferring* section = deferring.get();
  doc.Add(std::move(deferring));
  LaidOut(doc);
  TPaintContext pass{.Band = TRect{0, 0, 100, 100}};
  EXPECT_EQ(doc.Draw(nullptr, pass, 6000, 0, 0, 0, 0), 10);
  EXPECT_EQ(image.Drawn, std::vector<int>{42});
  doc.Draw(nullptr, pass, 6000, 0, 0, 0, 0);
  EXPECT_EQ(image.Drawn.size(), 2u);  // one per pass, not accumulated
  EXPECT_EQ(section->FPending, 1);
  EXPECT_EQ(pass.PageLimit, 100);
}

TEST(SectionListDocument, ApplyDefaultsKeepsSettingsAndTellsThePageColour) {
  TSectionList doc(nullptr, nullptr);
  int changes = 0;
  doc.Hooks.OnPageColorChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &doc);
    ++changes;
  };
  doc.ApplyDefaults("Times New Roman", std::string(40, 'F'), 10, 12, 0, true, true, clRed, clLime,
                    clBlue, clBlack, clBlack, 14);
  EXPECT_EQ(doc.FixedFontName.size(), 32u);
  EXPECT_EQ(doc.PageColor, clRed);
  EXPECT_EQ(doc.OverLinkColor, clLime);
  EXPECT_EQ(doc.VisitedLinkColor, clBlue);
  EXPECT_TRUE(doc.HoverLinksOn);
  EXPECT_EQ(doc.BaseFontSize, 14);
  EXPECT_EQ(changes, 1);
  EXPECT_GT(doc.StyleSheet->Count(), 0);
}

TEST(SectionListDocument, ClearEmptiesTheDocument) {
  TSectionList doc(nullptr, nullptr);
  AddFake(doc, &doc, 10, 3);
  TRecordingControl control;
  doc.FormControls = {&control};
  doc.Panels = {&control};
  doc.SelStart = 1;
  doc.SelEnd = 2;
  LaidOut(doc);
  doc.IdNames->AddCharPosition("x", 0);
  doc.PendingImages.AddObject("A.GIF", &doc);
  doc.SetBackgroundImageName("back.gif");
  doc.Clear();
  EXPECT_EQ(doc.Count(), 0);
  EXPECT_EQ(doc.IdNames->Count(), 0);
  EXPECT_TRUE(doc.PositionIndex.empty());
  EXPECT_TRUE(doc.FormControls.empty());
  EXPECT_TRUE(doc.Panels.empty());
  EXPECT_EQ(doc.PendingImages.Count(), 0);
  EXPECT_EQ(doc.BackImageName, "");
  EXPECT_EQ(doc.SelStart, 0);
  EXPECT_EQ(doc.SelEnd, 0);
}

TEST(SectionListDocument, APrintCopySharesTheCacheAndOwnsNoIndexes) {
  TSectionList doc(nullptr, nullptr);
  AddFake(doc, &doc, 10, 3)->Text = "abc";
  doc.PrintColors = true;
  doc.ViewScrolled();
  doc.FOwnerElement = "default";
  int hookCalls = 0;
  doc.Hooks.OnScript = [&](TObject*, const std::string&, const std::string&, const char*) {
    ++hookCalls;
  };
  LaidOut(doc);
  auto copy = TSectionList::CreateClone(doc);
  EXPECT_TRUE(copy->IsPrintCopy);
  EXPECT_TRUE(copy->PrintColors);
  EXPECT_TRUE(copy->ScrollYChanged);
  EXPECT_EQ(copy->IdNames, nullptr);
  EXPECT_EQ(copy->StyleSheet, nullptr);
  EXPECT_EQ(copy->ImageCache, doc.ImageCache);
  ASSERT_EQ(copy->Count(), 1);
  auto* section = static_cast<TFakeSection*>((*copy)[0]);
  EXPECT_TRUE(section->SawPrintCopy);  // the copy knew what it was while cloning
  EXPECT_EQ(section->Text, "abc");
  ASSERT_TRUE(copy->Hooks.OnScript);
  copy->Hooks.OnScript(nullptr, "", "", "");
  EXPECT_EQ(hookCalls, 1);
  LaidOut(*copy);
  EXPECT_TRUE(copy->PositionIndex.empty());
  copy->Clear();
  EXPECT_EQ(doc.IdNames->Count(), 0);
  EXPECT_EQ(doc.Count(), 1);
}

TEST(SectionListDocument, FormDataIsCollectedPerForm) {
  class TForm : public TDocForm {
   public:
    explicit TForm(int* Sized) : FSized(Sized) {}
    void SetSizes(TCanvas*) override { ++*FSized; }
    std::unique_ptr<TObject> GetFormControlData() override { return std::make_unique<TStringList>(); }
    int* FSized;
  };
  TSectionList doc(nullptr, nullptr);
  EXPECT_EQ(doc.CollectFormData(), nullptr);
  int sized = 0;
  doc.Forms.Add(std::make_unique<TForm>(&sized));
  doc.Forms.Add(std::make_unique<TForm>(&sized));
  LaidOut(doc);
  EXPECT_EQ(sized, 2);  // every form sizes its controls before layout
  auto data = doc.CollectFormData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->Count(), 2);
}

}  // namespace
