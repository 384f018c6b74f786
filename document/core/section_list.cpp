#include "document/core/section_list.h"

#include <algorithm>

#include "document/core/url_target.h"
#include "images/gif_image.h"
#include "toolkit/graphics/palette.h"
#include "toolkit/graphics/screen.h"
#include "toolkit/windows/clock.h"
#include "toolkit/windows/window.h"

namespace {

constexpr int FirstTickInterval = 50;  // ms
constexpr int NextTickInterval = 40;   // ms
constexpr int MaxFixedFontName = 32;

// Selects the document palette for the duration of a paint on palette displays.
class TPaletteScope {
 public:
  TPaletteScope(TCanvas* Canvas, const TPalette* Palette) : FCanvas(Canvas) {
    if (FCanvas && Palette && ScreenColorDepth() <= 8) {
      FPrevious = FCanvas->SelectPalette(Palette, false);
      FCanvas->RealizePalette();
      FSelected = true;
    }
  }
  ~TPaletteScope() {
    if (FSelected) FCanvas->SelectPalette(FPrevious, false);
  }
  TPaletteScope(const TPaletteScope&) = delete;
  TPaletteScope& operator=(const TPaletteScope&) = delete;

 private:
  TCanvas* FCanvas;
  const TPalette* FPrevious = nullptr;
  bool FSelected = false;
};

}  // namespace

TSectionList::TSectionList(TObject* AViewer, HWND APaintPanel)
    : TCell(this),
      Viewer(AViewer),
      PaintPanel(APaintPanel),
      StyleSheet(std::make_unique<TStyleList>()),
      IdNames(std::make_unique<TIDNameList>(this)) {
  KeepFloats();
}

TSectionList::TSectionList(TPrintCopy, const TSectionList& Source) : TCell(this) {
  KeepFloats();
  // The sections are cloned into a list that already knows it is a print copy sharing
  // the source's cache.
  ImageCache = Source.ImageCache;
  PrintColors = Source.PrintColors;
  IsPrintCopy = true;
  StandardsMode = Source.StandardsMode;
  FOwnerElement = Source.FOwnerElement;
  for (const auto& section : Source) Add(section->CreateClone(this));

  ImagesOn = Source.ImagesOn;
  ScrollYChanged = Source.ScrollYChanged;
  SelStart = Source.SelStart;
  SelEnd = Source.SelEnd;
  SelIsWord = Source.SelIsWord;
  FixedFontName = Source.FixedFontName;
  VisitedLinkColor = Source.VisitedLinkColor;
  OverLinkColor = Source.OverLinkColor;
  HotSpotColor = Source.HotSpotColor;
  HoverLinksOn = Source.HoverLinksOn;
  PageColor = Source.PageColor;
  BaseFontSize = Source.BaseFontSize;
  Viewer = Source.Viewer;
  PaintPanel = Source.PaintPanel;
  Hooks = Source.Hooks;
  ProgressBase = Source.ProgressBase;
  // No background image yet: the copy fetches it from the shared cache when it draws.
  BackImageName = Source.BackImageName;
  BackImageFixed = Source.BackImageFixed;
}

TSectionList::TPrintPass::TPrintPass(TSectionList& Doc)
    : FDoc(Doc),
      FPageColor(Doc.PageColor),
      FOnPageColorChange(std::move(Doc.Hooks.OnPageColorChange)) {
  Doc.Hooks.OnPageColorChange = nullptr;
  Doc.Printing = true;
  Doc.FControlsUnshown = false;
  if (Doc.AnimationTimer) Doc.AnimationTimer->SetEnabled(false);
}

TSectionList::TPrintPass::~TPrintPass() {
  FDoc.Printing = false;
  FDoc.FControlsUnshown = false;
  FDoc.FKeepAnimations = true;
  FDoc.PageColor = FPageColor;
  FDoc.Hooks.OnPageColorChange = std::move(FOnPageColorChange);
  // The screen's next paint places the controls and panels again.
  FDoc.ViewScrolled();
  FDoc.EnableTimerForImages();
}

std::unique_ptr<TSectionList> TSectionList::CreateClone(const TSectionList& Source) {
  return std::make_unique<TSectionList>(TPrintCopy{}, Source);
}

TSectionList::~TSectionList() {
  Clear();
}

void TSectionList::Clear() {
  if (!IsPrintCopy) {
    if (IdNames) IdNames->Clear();
    PositionIndex.clear();
  }
  if (FBackImageHeld && ImageCache) ImageCache->Release(ImageCacheKey(BackImageName));
  FBackImageHeld = false;
  FKeepAnimations = false;
  BackImage = nullptr;
  BackMask = nullptr;
  FBackFrame.reset();
  FBackFrameMask.reset();
  BackImageName.clear();
  BackImageLoaded = false;
  BackImageFixed = false;
  StandardsMode = false;
  Forms.Clear();
  FormControls.clear();
  AnimatedImages.clear();
  AnimationTimer.reset();
  SelStart = SelEnd = 0;
  SelIsWord = false;
  ImageMaps.Clear();
  PendingImages.Clear();
  ImagePixels = 0;
  LinkRuns.clear();
  HoverLink = nullptr;
  HoverImage = nullptr;
  Panels.clear();
  if (!IsPrintCopy && StyleSheet) StyleSheet->Clear();
  FDeferredDraws.Clear();
  TFreeList<TSectionBase>::Clear();
  InvalidatePaintIndex();
}

void TSectionList::ApplyDefaults(const std::string& FontName, const std::string& FixedFontName_,
                                 int MarginWidth, int MarginHeight, uint8_t CharSet,
                                 bool LinkUnderline, bool LinksActive, TColor Background,
                                 TColor OverColor, TColor VisitedColor, TColor HotSpot,
                                 TColor FontColor, int FontSize) {
  if (StyleSheet)
    StyleSheet->BuildDefaults(FontName, FixedFontName_, FontSize, FontColor, HotSpot, VisitedColor,
                              OverColor, LinkUnderline, CharSet, MarginHeight, MarginWidth);
  BaseFontSize = FontSize;
  FixedFontName = FixedFontName_.substr(0, MaxFixedFontName);
  HotSpotColor = HotSpot;
  VisitedLinkColor = VisitedColor;
  OverLinkColor = OverColor;
  HoverLinksOn = LinksActive;
  SetBackgroundColor(Background);
}

void TSectionList::SetBackgroundColor(TColor Value) {
  PageColor = Value;
  if (Hooks.OnPageColorChange) Hooks.OnPageColorChange(this);
}

void TSectionList::SetBackgroundImageName(const std::string& Name) {
  // A replaced background gives its cache use back, or the entry could never age out.
  if (FBackImageHeld && ImageCache) ImageCache->Release(ImageCacheKey(BackImageName));
  FBackImageHeld = false;
  FBackFrame.reset();
  FBackFrameMask.reset();
  BackMask = nullptr;
  BackImageName = Name;
  BackImage = nullptr;
  BackImageLoaded = false;
}

int TSectionList::LayoutCell(TCanvas* Canvas, int Y, int Width, int AHeight, int& ScrollWidth,
                             int& Curs) {
  ++LayoutCount;
  if (AnimationTimer) AnimationTimer->SetEnabled(false);
  // A print copy has no forms of its own: the controls keep the sizes the screen gave them.
  if (!Printing)
    for (const auto& form : Forms) form->SetSizes(Canvas);
  if (Canvas) Canvas->SetTextJustification(0, 0);
  const int h = TCell::LayoutCell(Canvas, Y, Width, AHeight, ScrollWidth, Curs);
  if (Printing) return h;
  const uint32_t now = TimeGetTime();
  if (!FKeepAnimations) {
    for (TGIFImage* gif : AnimatedImages) {
      gif->ShowFrame(1);
      gif->SwitchAnimation(false, now);
      if (!IsPrintCopy) gif->SwitchAnimation(true, now);
    }
  }
  FKeepAnimations = false;
  if (!IsPrintCopy) {
    if (!AnimationTimer) {
      AnimationTimer =
          Hooks.TimerFactory ? Hooks.TimerFactory() : std::make_unique<TDocumentTimer>();
      AnimationTimer->SetInterval(FirstTickInterval);
      AnimationTimer->OnTimer = [this](TObject*) { AnimationTick(); };
    }
    AnimationTimer->SetEnabled(!AnimatedImages.empty());
  }
  UpdateControlVisibility();
  if (!IsPrintCopy && PositionIndex.empty()) IndexPositions();
  return h;
}

void TSectionList::IndexPositions() {
  // Counted first and then filled: the index of a long document would otherwise grow by
  // doubling while all of the laid-out document is held, the highest point of a load.
  FPositionCount = 0;
  FCountingPositions = true;
  RegisterPositions();
  FCountingPositions = false;
  PositionIndex.reserve(FPositionCount);
  RegisterPositions();
}

void TSectionList::AddPosition(TSectionBase* Section) {
  if (FCountingPositions)
    ++FPositionCount;
  else
    PositionIndex.push_back(Section);
}

void TSectionList::AnimationTick() {
  if (PrintsPages()) return;
  const uint32_t now = TimeGetTime();
  for (TGIFImage* gif : AnimatedImages) {
    // Painting records where the image went; an empty rectangle means not painted.
    if (gif->LastRect.IsEmpty()) continue;
    if (gif->Tick(now) && PaintPanel) InvalidateRect(PaintPanel, &gif->LastRect, true);
  }
  if (AnimationTimer) AnimationTimer->SetInterval(NextTickInterval);
}

int TSectionList::Draw(TCanvas* Canvas, TPaintContext& Context, int ClipWidth, int X, int Y,
                       int XRef, int YRef) {
  Context.PageLimit = Context.ScrollY + Context.Band.Bottom;
  Context.PageCut = false;
  if (AnimationTimer) AnimationTimer->SetEnabled(false);
  // Pages say nothing about where the screen shows the animations.
  if (!Printing)
    for (TGIFImage* gif : AnimatedImages) gif->LastRect = TRect{};
  int result = Y;
  {
    TPaletteScope palette(Canvas, Context.Palette);
    // The pass's deferred images go into the list that every pass uses in turn; the
    // context points at it only while the pass lasts, also when a section throws.
    FDeferredDraws.Clear();
    struct TRestore {
      TPaintContext& Pass;
      TDrawList* Saved;
      ~TRestore() { Pass.Deferred = Saved; }
    } restore{Context, Context.Deferred};
    Context.Deferred = &FDeferredDraws;
    FFloats->SetEdges(X, X + FFloats->FWidth);
    FFloats->FPaintClip = ClipWidth;
    result = TCell::Draw(Canvas, Context, ClipWidth, X, Y, XRef, YRef);
    FDeferredDraws.PaintDeferred(Context);
  }
  if (ScrollYChanged) {
    // A print copy's controls never show, so none is to be hidden.
    if (!PrintsPages()) {
      UpdateControlVisibility();
      for (TDocControl* panel : Panels)
        if (!panel->Shown()) panel->Hide();
    }
    ScrollYChanged = false;
  }
  EnableTimerForImages();
  return result;
}

void TSectionList::EnableTimerForImages() {
  if (AnimationTimer && !Printing) AnimationTimer->SetEnabled(!AnimatedImages.empty());
}

bool TSectionList::FirstProgressInLayout(int Mark) {
  if (Mark < 0) return false;
  if (size_t(Mark) >= FProgressLayouts.size()) FProgressLayouts.resize(size_t(Mark) + 1, -1);
  int& Last = FProgressLayouts[size_t(Mark)];
  if (Last == LayoutCount) return false;
  Last = LayoutCount;
  return true;
}

void TSectionList::ViewScrolled() {
  ScrollYChanged = true;
  // A print copy paints likenesses of its controls and never shows their windows: once
  // marked unshown they stay so, and its pages need not walk them all again.
  if (PrintsPages()) {
    if (FControlsUnshown) return;
    FControlsUnshown = true;
  }
  for (TDocControl* control : FormControls) control->SetShown(false);
  for (TDocControl* panel : Panels) panel->SetShown(false);
}

void TSectionList::Repaint() {
  if (PaintPanel) InvalidateRect(PaintPanel, nullptr, true);
}

unsigned TSectionList::HitTestLink(TCanvas* Canvas, int X, int Y,
                                   std::unique_ptr<TUrlTarget>& UrlTarget,
                                   TDocControl*& FormControl, std::string& Title) {
  TDocFontRun* oldLink = HoverLink;
  TDocImage* oldImage = HoverImage;
  HoverLink = nullptr;
  HoverImage = nullptr;
  const unsigned result = TCellBasic::HitTestLink(Canvas, X, Y, UrlTarget, FormControl, Title);
  if (HoverLinksOn && oldLink != HoverLink) {
    if (oldLink) oldLink->SetHoverAll(false);
    if (HoverLink) HoverLink->SetHoverAll(true);
    Repaint();
  }
  if (oldImage != HoverImage && oldImage) oldImage->SetHoverState(hvOff);
  if (HoverImage) HoverImage->SetHoverState(LeftButtonDown ? hvOverDown : hvOverUp);
  return result;
}

void TSectionList::SetImagePressed(bool Down) {
  if (!HoverImage) return;
  HoverImage->SetHoverState(Down ? hvOverDown : hvOverUp);
  Repaint();
}

void TSectionList::ClearHover() {
  if (HoverLink || HoverImage) Repaint();
  if (HoverLink) {
    HoverLink->SetHoverAll(false);
    HoverLink = nullptr;
  }
  if (HoverImage) {
    HoverImage->SetHoverState(hvOff);
    HoverImage = nullptr;
  }
}

TSectionBase* TSectionList::SectionAtY(int Y, int& TopPos, int& Index) {
  for (int i = int(PositionIndex.size()) - 1; i >= 0; --i) {
    const int top = PositionIndex[size_t(i)]->GetTopY();
    if (top <= Y) {
      TopPos = top;
      Index = i;
      return PositionIndex[size_t(i)];
    }
  }
  return nullptr;
}

int TSectionList::SourceToDocPosOrEnd(int SourcePos, bool Prev) {
  const int pos = SourceToDocPos(SourcePos, Prev);
  return pos >= 0 ? pos : FPosCount + 1;
}

int TSectionList::RunSelectionWalk(SelTextCount& Buffer) {
  // The buffer is in effect only for this walk, also when a section throws.
  struct TRestore {
    SelTextCount*& Slot;
    SelTextCount* Saved;
    ~TRestore() { Slot = Saved; }
  } restore{SelectionBuffer, SelectionBuffer};
  SelectionBuffer = &Buffer;
  CopySelection();
  return Buffer.Terminate();
}

int TSectionList::SelectionLength() {
  if (SelStart >= SelEnd) return 0;
  SelTextCount counter;
  return RunSelectionWalk(counter);
}

int TSectionList::CopySelectionToClipboard() {
  if (SelStart >= SelEnd) return 0;
  ClipBuffer buffer;
  return RunSelectionWalk(buffer);
}

int TSectionList::CopySelectionToBuffer(char* Buffer, int BufSize) {
  if (!Buffer || BufSize <= 0) return 0;
  Buffer[0] = '\0';
  if (SelStart >= SelEnd) return 1;
  SelTextBuf buffer(Buffer, BufSize);
  return RunSelectionWalk(buffer);
}

std::unique_ptr<TFreeList<TObject>> TSectionList::CollectFormData() {
  if (Forms.Count() == 0) return nullptr;
  auto list = std::make_unique<TFreeList<TObject>>();
  for (const auto& form : Forms) list->Add(form->GetFormControlData());
  return list;
}

TSectionList::TFormValues TSectionList::FormValues() const {
  TFormValues values;
  for (const auto& form : Forms) values.push_back(form->ControlValues());
  return values;
}

void TSectionList::SetFormValues(const TFormValues& Values) {
  if (Values.size() != size_t(Forms.Count())) return;
  for (int i = 0; i < Forms.Count(); ++i) Forms[i]->SetControlValues(Values[size_t(i)]);
}

void TSectionList::UpdateControlVisibility() {
  if (PrintsPages() || FormControls.empty()) return;
  TDocControl* focused = nullptr;
  for (TDocControl* control : FormControls)
    if (control->HasFocus()) focused = control;
  for (TDocControl* control : FormControls) {
    if (control->Shown()) continue;
    if (control == focused)
      control->ParkOffSurface();
    else
      control->Hide();
  }
}
