// Links under the mouse: the cursor, hover and its notification, following a clicked link,
// the visited links and the history of documents shown.
#include <algorithm>
#include <cctype>

#include "document/core/font_obj.h"
#include "document/core/url_target.h"
#include "document/forms/form.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

std::string UpperExtension(const std::string& Name) {
  const size_t dot = Name.find_last_of('.');
  const size_t slash = Name.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = Name.substr(dot, 5);
  for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

void THTMLViewer::TrackHover(TShiftState Shift, int X, int Y) {
  TWindowDC dc(FPaintPanel->Handle());
  TCanvas& canvas = dc.Canvas();
  const int docX = X + HScrollPos(), docY = Y + FScrollY;
  int cursor = 0;
  std::string url, target, title;
  std::unique_ptr<TUrlTarget> link;
  TDocControl* control = nullptr;
  const unsigned found = FSectionList->HitTestLink(&canvas, docX, docY, link, control, title);
  if ((found & 1) && link) {
    cursor = crLink;
    url = link->URL;
    target = link->Target;
  }
  if (found & 2) cursor = crLink;
  if (cursor != crLink) {
    int xr = 0, yr = 0, caretHeight = 0;
    bool inText = false;
    if (FSectionList->PositionAtPoint(&canvas, docX, docY, xr, yr, caretHeight, inText) >= 0 &&
        inText)
      cursor = crTextSelect;
  }
  FHoverTitle = title;
  SetPaintCursor(cursor);
  FHoverTimer->SetEnabled(cursor == crLink || FSectionList->HoverImage);
  if (url != FURL || target != FTarget) {
    FURL = url;
    FTarget = target;
    if (OnHotSpotCovered) OnHotSpotCovered(this, FURL);
  }
  (void)Shift;
}

void THTMLViewer::HoverTimerTick() {
  // The hover look is drawn on the pages too: it waits for the print pass to end.
  if (FPrinting) return;
  // The mouse left the document without a move over it saying so.
  if (WindowFromPoint(GetCursorPos()) == FPaintPanel->Handle()) return;
  FSectionList->ClearHover();
  FHoverTimer->SetEnabled(false);
  if (FURL.empty()) return;
  FURL.clear();
  FTarget.clear();
  if (OnHotSpotCovered) OnHotSpotCovered(this, "");
}

bool THTMLViewer::LinkAtPoint(int X, int Y, std::string& URL, std::string& Target) {
  EnsureScreenLayout();
  TWindowDC dc(FPaintPanel->Handle());
  std::unique_ptr<TUrlTarget> link;
  TDocControl* control = nullptr;
  std::string title;
  const unsigned found = FSectionList->HitTestLink(&dc.Canvas(), X + HScrollPos(), Y + FScrollY,
                                                   link, control, title);
  if (!(found & 1) || !link) return false;
  URL = link->URL;
  Target = link->Target;
  return true;
}

void THTMLViewer::ClickLink(int X, int Y) {
  {
    // An image input submits its form with the point clicked.
    TWindowDC dc(FPaintPanel->Handle());
    std::unique_ptr<TUrlTarget> link;
    TDocControl* control = nullptr;
    std::string title;
    FSectionList->HitTestLink(&dc.Canvas(), X + HScrollPos(), Y + FScrollY, link, control,
                              title);
    if (auto* input = dynamic_cast<TImageFormControlObj*>(control)) {
      input->ImageClicked();
      return;
    }
  }
  if (!LinkAtPoint(X, Y, FURL, FTarget)) return;
  FHotSpotClicked = true;
  FollowHotSpot();
}

void THTMLViewer::FollowHotSpot() {
  bool handled = false;
  if (OnHotSpotClick) OnHotSpotClick(this, FURL, handled);
  if (handled || FURL.empty()) return;
  const int64_t position = GetScrollPosition();
  if (FURL[0] == '#') {
    if (ScrollToAnchor(FURL)) {
      RecordHistory(FCurrentFile, FTitle, FDocKind, position);
      AddVisited(FCurrentFile + FURL);
    }
    return;
  }
  std::string namePart = FURL, destination;
  if (const size_t hash = FURL.find('#'); hash != std::string::npos) {
    namePart = FURL.substr(0, hash);
    destination = FURL.substr(hash, 255);
  }
  const std::string name = ExpandSourceName(namePart);
  const std::string ext = UpperExtension(name);
  if (ext != ".HTM" && ext != ".HTML") {
    if (ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".JPEG" || ext == ".PNG")
      LoadImageDocument(name);
    return;
  }
  if (name != FCurrentFile) {
    LoadFromFile(name + destination);
    AddVisited(name + destination);
  } else if (ScrollToAnchor(destination)) {
    RecordHistory(FCurrentFile, FTitle, TDocKind::Html, position);
    AddVisited(name + destination);
  }
}

std::string THTMLViewer::FullLinkURL(const std::string& URL) {
  if (URL.empty()) return {};
  return URL[0] == '#' ? FCurrentFile + URL : ExpandSourceName(URL);
}

void THTMLViewer::AddVisited(const std::string& URL) {
  if (FVisitedMaxCount == 0) return;
  if (!FVisited.empty() && FVisited.front() == URL) return;
  auto known = std::find_if(FVisited.begin(), FVisited.end(),
                            [&](const std::string& V) { return SameText(V, URL); });
  if (known != FVisited.end()) {
    FVisited.erase(known);
  } else {
    bool marked = false;
    for (TDocFontRun* run : FSectionList->LinkRuns) {
      const std::string full = FullLinkURL(run->LinkURL());
      if (!full.empty() && SameText(full, URL)) {
        run->SetVisited(true);
        marked = true;
      }
    }
    if (marked) FPaintPanel->Invalidate();
  }
  FVisited.insert(FVisited.begin(), URL);
  if (int(FVisited.size()) > FVisitedMaxCount) FVisited.resize(size_t(FVisitedMaxCount));
}

void THTMLViewer::CheckVisitedLinks() {
  if (FVisited.empty()) return;
  for (TDocFontRun* run : FSectionList->LinkRuns) {
    const std::string full = FullLinkURL(run->LinkURL());
    if (full.empty()) continue;
    for (const std::string& visited : FVisited)
      if (SameText(full, visited)) {
        run->SetVisited(true);
        break;
      }
  }
}

void THTMLViewer::SetVisitedMaxCount(int Value) {
  Value = std::max(0, Value);
  if (Value == FVisitedMaxCount) return;
  FVisitedMaxCount = Value;
  if (int(FVisited.size()) > Value) FVisited.resize(size_t(Value));
  if (Value == 0) {
    for (TDocFontRun* run : FSectionList->LinkRuns) run->SetVisited(false);
    Invalidate();
    FPaintPanel->Invalidate();
  }
}

void THTMLViewer::RecordHistory(const std::string& OldFile, const std::string& OldTitle,
                                TDocKind OldKind, int64_t OldPos,
                                TSectionList::TFormValues OldFormState) {
  const bool changed = OldFile != FCurrentFile;
  if (FHistoryMaxCount < 1 || FCurrentFile.empty() ||
      (!changed && OldKind == FDocKind && OldPos == GetScrollPosition()))
    return;
  if (!FHistory.empty() && !OldFile.empty()) {
    const size_t at = size_t(FHistoryIndex);
    FHistory[at] = OldFile;
    FTitleHistory[at] = OldTitle;
    // The form state belongs to the document left, kept only when it was another one.
    FPositionHistory[at] =
        PositionObj{OldPos, OldKind, changed ? std::move(OldFormState) : TSectionList::TFormValues{}};
    FHistory.erase(FHistory.begin(), FHistory.begin() + FHistoryIndex);
    FTitleHistory.erase(FTitleHistory.begin(), FTitleHistory.begin() + FHistoryIndex);
    FPositionHistory.erase(FPositionHistory.begin(), FPositionHistory.begin() + FHistoryIndex);
  }
  FHistoryIndex = 0;
  FHistory.insert(FHistory.begin(), FCurrentFile);
  FTitleHistory.insert(FTitleHistory.begin(), FTitle);
  FPositionHistory.insert(FPositionHistory.begin(), PositionObj{GetScrollPosition(), FDocKind, {}});
  if (int(FHistory.size()) > FHistoryMaxCount) {
    FHistory.resize(size_t(FHistoryMaxCount));
    FTitleHistory.resize(size_t(FHistoryMaxCount));
    FPositionHistory.resize(size_t(FHistoryMaxCount));
  }
  if (OnHistoryChange) OnHistoryChange(this);
}

void THTMLViewer::ClearHistory() {
  const bool any = !FHistory.empty();
  FHistory.clear();
  FTitleHistory.clear();
  FPositionHistory.clear();
  FHistoryIndex = 0;
  if (any && OnHistoryChange) OnHistoryChange(this);
}

void THTMLViewer::SetHistoryMaxCount(int Value) {
  if (Value < 0 || Value == FHistoryMaxCount) return;
  if (Value < FHistoryMaxCount) ClearHistory();
  FHistoryMaxCount = Value;
}

void THTMLViewer::SetHistoryIndex(int Value) {
  if (FProcessing || DocumentHeld() || Value < 0 || Value >= int(FHistory.size()) ||
      Value == FHistoryIndex)
    return;
  // The document shown now keeps the place it is left at, and what its forms hold.
  FPositionHistory[size_t(FHistoryIndex)].ScrollPos = GetScrollPosition();
  FPositionHistory[size_t(FHistoryIndex)].FormState = FSectionList->FormValues();
  const std::string file = FHistory[size_t(Value)];
  const PositionObj place = FPositionHistory[size_t(Value)];
  // Loading would record the history anew: the entries stay as they are.
  const int keepMax = FHistoryMaxCount;
  FHistoryMaxCount = 0;
  struct TRestore {
    int& Max;
    int Value;
    ~TRestore() { Max = Value; }
  } restore{FHistoryMaxCount, keepMax};
  if (file != FCurrentFile || place.DocKind != FDocKind) {
    if (place.DocKind == TDocKind::Image)
      LoadImageDocument(file);
    else
      LoadFromFile(file);
  }
  FHistoryIndex = Value;
  FSectionList->SetFormValues(place.FormState);
  RestoreScrollPosition(place.ScrollPos);
  if (OnHistoryChange) OnHistoryChange(this);
}
