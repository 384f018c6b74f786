#include "viewer/html_viewer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "document/images/placeholder_pictures.h"
#include "toolkit/controls/scroll_bar.h"
#include "toolkit/windows/window_metrics.h"
#include "url/url_subs.h"
#include "viewer/paint_panel.h"

namespace {

bool FileExists(const std::string& Name) {
  struct stat st {};
  return !Name.empty() && stat(Name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The whole file; false when it cannot be opened or reading it fails.
bool ReadWholeFile(const std::string& Name, std::string& Text) {
  std::ifstream in(Name, std::ios::binary);
  if (!in) return false;
  std::ostringstream data;
  data << in.rdbuf();  // an empty file leaves data failed, which is no error
  if (in.bad()) return false;
  Text = data.str();
  return true;
}

std::string LowerCase(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return s;
}

// Characters of code 32 and below go at both ends.
std::string TrimControls(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= 32) ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= 32) --b;
  return s.substr(a, b - a);
}

std::string CurrentDirectory() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

// A full path: relative names are taken against the current directory, and "." and ".."
// segments are resolved.
std::string ExpandFileName(const std::string& Name) {
  std::string path = Name;
  if (path.empty() || path[0] != '/') path = CurrentDirectory() + "/" + path;
  std::vector<std::string> parts;
  std::stringstream in(path);
  std::string part;
  while (std::getline(in, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string result;
  for (const std::string& p : parts) result += "/" + p;
  return result.empty() ? "/" : result;
}

std::string DirectoryOf(const std::string& Path) {
  size_t slash = Path.rfind('/');
  return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

// "file:///" or "file://" goes, and "|" becomes ":" (a drive letter in a file URL).
std::string FileUrlToName(std::string s) {
  if (s.find('/') != std::string::npos) {
    size_t at = LowerCase(s).find("file:///");
    if (at != std::string::npos) {
      // Keep the root slash of a POSIX path.
      s.erase(at, 7);
    } else if ((at = LowerCase(s).find("file://")) != std::string::npos) {
      s.erase(at, 7);
    }
    std::replace(s.begin(), s.end(), '|', ':');
  }
  return s;
}

}  // namespace

// ---- T32ScrollBar ---------------------------------------------------------------------

T32ScrollBar::T32ScrollBar(TComponent* AOwner, HWND AParent)
    : TWinControl(AOwner, TAdopt{}, CreateScrollBar(AParent, true, 0, 0, 16, 100, 0, WS_CHILD)) {}

void T32ScrollBar::SetParams(int APosition, int APage, int AMin, int AMax) {
  if (APosition == FPosition32 && APage == FPage32 && AMin == FMin32 && AMax == FMax32) return;
  SCROLLINFO info;
  info.fMask = SIF_ALL | (DisableNoScroll ? unsigned(SIF_DISABLENOSCROLL) : 0u);
  info.nMin = AMin;
  info.nMax = AMax;
  info.nPage = unsigned(std::max(APage, 0));
  info.nPos = APosition;
  info.nTrackPos = APosition;
  SetScrollInfo(Handle(), SB_CTL, &info, true);
  FPosition32 = APosition;
  FPage32 = APage;
  FMin32 = AMin;
  FMax32 = AMax;
}

// ---- Construction ---------------------------------------------------------------------

THTMLViewer::THTMLViewer(TComponent* AOwner, HWND AParent, int X, int Y, int Width, int Height)
    : TWinControl(AOwner, AParent, X, Y, Width, Height, WS_CHILD | WS_VISIBLE | WS_TABSTOP) {
  FBorderPanel = std::make_unique<TBorderPanel>(this, Handle(), Width, Height);
  FBorderPanel->SendToBack();
  FPaintPanel = std::make_unique<TPaintPanel>(this, Handle());
  FVScrollBar = std::make_unique<T32ScrollBar>(nullptr, Handle());
  FScrollBarWidth = FVScrollBar->Width();
  FHScrollBar = std::make_unique<TWinControl>(
      nullptr, TWinControl::TAdopt{}, CreateScrollBar(Handle(), false, 0, 0, 100, FScrollBarWidth, 0, WS_CHILD));
  FSectionList = std::make_unique<TSectionList>(this, FPaintPanel->Handle());
  // At a colour depth of 8 every paint selects the shared palette.
  FPalette = ViewerPalette();
  FHoverTimer = std::make_unique<TTimer>(nullptr, Handle());
  FHoverTimer->SetEnabled(false);
  FHoverTimer->SetInterval(200);
  FHoverTimer->OnTimer = [this](TObject*) { HoverTimerTick(); };
  FWaitStream = std::make_unique<TMemoryStream>();

  UpdateDocumentHooks();
  FSectionList->ImagesOn = true;

  SetDefBackground(FBackground);
  DefFontName = "Times New Roman";
  SetDefPreFontName("Courier New");
  SetDefHotSpotColor(FHotSpotColor);
  SetDefOverLinkColor(FOverColor);
  SetDefVisitedLinkColor(FVisitedColor);
  SetImageCacheCount(5);
  SetHtOptions(FOptions);
  FitScrollBars();
}

THTMLViewer::~THTMLViewer() {
  *FAlive = false;
  FHoverTimer.reset();
  if (FSectionList) FSectionList->Clear();
  FSectionList.reset();
  FImageCache.reset();
}

// ---- Properties -----------------------------------------------------------------------

void THTMLViewer::SetDefBackground(TColor Value) {
  if (FProcessing || FPrinting) return;
  FBackground = Value;
  FSectionList->SetBackgroundColor(Value);
  SetColor(Value);
  Invalidate();
  FPaintPanel->Invalidate();
}

void THTMLViewer::SetBorderStyle(THTMLBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  UpdateBorder();
}

void THTMLViewer::SetDefPreFontName(const std::string& Value) {
  if (LowerCase(Value) == LowerCase(FSectionList->FixedFontName)) return;
  FPreFontName = Value;
  FSectionList->FixedFontName = Value.substr(0, 32);
}

void THTMLViewer::SetDefHotSpotColor(TColor Value) {
  FHotSpotColor = Value;
  FSectionList->HotSpotColor = Value;
}

void THTMLViewer::SetDefVisitedLinkColor(TColor Value) {
  FVisitedColor = Value;
  FSectionList->VisitedLinkColor = Value;
}

void THTMLViewer::SetDefOverLinkColor(TColor Value) {
  FOverColor = Value;
  FSectionList->OverLinkColor = Value;
}

void THTMLViewer::SetImageCacheCount(int Value) {
  FImageCacheCount = std::clamp(Value, 0, 20);
  if (FImageCache) FImageCache->SetCacheCount(FImageCacheCount);
}

void THTMLViewer::SetNoSelect(bool Value) {
  if (FNoSelect == Value) return;
  FNoSelect = Value;
  if (Value) {
    FSectionList->SelStart = FSectionList->SelEnd = -1;
    Repaint();
  }
}

void THTMLViewer::SetScrollBars(TScrollStyle Value) {
  FScrollBars = Value;
  // Set from a handler inside a load or re-format, the change waits for that pass's own
  // layout: laying out here would lay out a half-built document, and ending processing
  // here would let a nested load in.
  if (!HandleAllocated() || FProcessing || FPrinting) return;
  SetProcessing(true);
  LayoutDocument();
  SetProcessing(false);
  FPaintPanel->Invalidate();
}

void THTMLViewer::SetServerRoot(const std::string& Value) {
  std::string root = TrimControls(Value);
  if (!root.empty() && (root.back() == '\\' || root.back() == '/')) root.pop_back();
  FServerRoot = root;
}

void THTMLViewer::SetHtOptions(ThtmlViewerOptions Value) {
  FOptions = Value;
  FSectionList->HoverLinksOn = Value & htOption(htOverLinksActive);
  FSectionList->PrintColors = Value & htOption(htPrintTableBackground);
  FSectionList->ShowDummyCaret = Value & htOption(htShowDummyCaret);
  FVScrollBar->DisableNoScroll = Value & htOption(htShowVScroll);
}

void THTMLViewer::SetViewImages(bool Value) {
  if (FViewImages == Value || FProcessing || FPrinting) return;
  HCURSOR previous = SetCursor(ViewerCursor(crHourGlass));
  SetProcessing(true);
  bool laysOut = false;
  try {
    FViewImages = Value;
    FSectionList->ImagesOn = Value;
    if (FSectionList->Count() > 0) {
      laysOut = true;
      FSectionList->ProgressBase = 0;
      if (OnProgress) OnProgress(this, psStarting, 0);
      FSectionList->LoadBackgroundImage();
      const int64_t position = GetScrollPosition();
      LayoutDocument();
      RestoreScrollPosition(position);
      FPaintPanel->Invalidate();
    }
  } catch (...) {
    SetCursor(previous);
    if (laysOut && OnProgress) OnProgress(this, psEnding, 100);
    SetProcessing(false);
    throw;
  }
  SetCursor(previous);
  if (laysOut && OnProgress) OnProgress(this, psEnding, 100);
  SetProcessing(false);
}

THTMLViewer::TDocumentHold::TDocumentHold(THTMLViewer& Viewer)
    : FViewer(Viewer), FAlive(Viewer.FAlive) {
  ++FViewer.FDocumentHolds;
}

THTMLViewer::TDocumentHold::~TDocumentHold() {
  if (*FAlive) --FViewer.FDocumentHolds;
}

void THTMLViewer::SetProcessing(bool Value) {
  if (FProcessing == Value) return;
  FProcessing = Value;
  if (OnProcessing) OnProcessing(this, Value);
}

// ---- Loading --------------------------------------------------------------------------

void THTMLViewer::ApplyListDefaults() {
  FSectionList->ApplyDefaults(DefFontName, FPreFontName, MarginWidth, MarginHeight, CharSet,
                              !(FOptions & htOption(htNoLinkUnderline)),
                              FOptions & htOption(htOverLinksActive), FBackground, FOverColor,
                              FVisitedColor, FHotSpotColor, DefFontColor, FFontSize);
}

void THTMLViewer::InitLoad() {
  // The first load makes the cache this viewer's documents share (unless one was given to
  // the list); every load ages it.
  if (!FSectionList->ImageCache) {
    FImageCache = std::make_unique<TStringBitmapList>();
    FImageCache->SetCacheCount(FImageCacheCount);
    FSectionList->ImageCache = FImageCache.get();
    FOwnsImageCache = true;
  }
  FSectionList->Clear();
  FLaidOutForPages = false;
  if (FOwnsImageCache) FImageCache->Age();
  ApplyListDefaults();
  if (OnDocumentCleared) OnDocumentCleared(this);
}

void THTMLViewer::LoadFromFile(const std::string& FileName) {
  if (FProcessing || DocumentHeld() || FileName.empty()) return;
  LoadAndRecord(FileName, TDocKind::Html);
}

void THTMLViewer::LoadImageDocument(const std::string& FileName) {
  if (FProcessing || DocumentHeld() || FileName.empty()) return;
  LoadAndRecord(FileName, TDocKind::Image);
}

void THTMLViewer::LoadAndRecord(const std::string& FileName, TDocKind Kind) {
  const std::string oldFile = FCurrentFile, oldTitle = FTitle;
  const TDocKind oldKind = FDocKind;
  const int64_t oldPos = GetScrollPosition();
  TSectionList::TFormValues oldForms = FSectionList->FormValues();
  LoadFile(FileName, Kind);
  CheckVisitedLinks();
  if (oldFile != FCurrentFile || oldKind != FDocKind)
    RecordHistory(oldFile, oldTitle, oldKind, oldPos, std::move(oldForms));
}

void THTMLViewer::LoadFile(const std::string& FileName, TDocKind Kind) {
  TLoadSource source;
  source.FromFile = true;
  source.Name = FileName;
  if (size_t hash = source.Name.find('#'); hash != std::string::npos) {
    source.Destination = source.Name.substr(hash + 1, 255);
    source.Name.erase(hash);
  }
  source.Kind = Kind;
  source.Found = FileExists(source.Name);
  if (source.Found && Kind == TDocKind::Html)
    source.Readable = ReadWholeFile(source.Name, source.Text);
  Load(source);
}

void THTMLViewer::LoadFromBuffer(const char* Buffer, int Size) {
  if (FProcessing || DocumentHeld()) return;
  TLoadSource source;
  if (Buffer && Size > 0) source.Text.assign(Buffer, size_t(Size));
  Load(source);
}

void THTMLViewer::LoadFromText(std::string Text) {
  if (FProcessing || DocumentHeld()) return;
  TLoadSource source;
  source.Text = std::move(Text);
  Load(source);
}

void THTMLViewer::Load(TLoadSource& Source) {
  // Only a file load shows that it is busy.
  const HCURSOR previousCursor = Source.FromFile ? SetCursor(ViewerCursor(crHourGlass)) : nullptr;
  FRefreshDelay = 0;
  SetProcessing(true);
  auto finish = [&] {
    if (Source.FromFile) SetCursor(previousCursor);
    if (OnProgress) OnProgress(this, psEnding, 100);
    SetProcessing(false);
  };
  if (!Source.Found) {
    finish();
    throw EInOutError("Can't locate file: " + Source.Name);
  }
  const std::string oldFile = FCurrentFile;
  auto toTop = [this] {
    ScrollTo(0);
    SetHScrollPos(0);
  };
  // Set once the old document goes: from then on an error still lays out and shows what
  // was built.
  bool prepared = false;
  try {
    FSectionList->ProgressBase = 75;
    if (OnProgress) OnProgress(this, psStarting, 0);
    prepared = true;
    InitLoad();
    FCaretPos = 0;
    FSelAnchor = -1;
    if (Source.FromFile) {
      FCurrentFile = ExpandFileName(Source.Name);
      FDocKind = Source.Kind;
    }
    BuildDocument(Source);
    FinishLoad();
    if (Source.Destination.empty() || !ScrollToAnchor(Source.Destination)) {
      // Reloading the file shown keeps the place; a buffer is always a new document.
      if (!Source.FromFile || FCurrentFile != oldFile) toTop();
    }
    FPaintPanel->Invalidate();
    if (!Source.FromFile) FCurrentFile.clear();
  } catch (...) {
    if (prepared) {
      if (!Source.FromFile) FCurrentFile.clear();
      try {
        FinishLoad();
        if (!Source.FromFile) toTop();
        FPaintPanel->Invalidate();
      } catch (...) {
      }
    }
    finish();
    throw;
  }
  finish();
  if (FRefreshDelay > 0 && OnMetaRefresh) OnMetaRefresh(this, FRefreshDelay, FRefreshURL);
}

void THTMLViewer::BuildDocument(TLoadSource& Source) {
  // The background sound stops before a buffer's source replaces the old, after a file's
  // parse begins.
  if (!Source.FromFile && OnSoundRequest) OnSoundRequest(this, "", 0, true);
  FDocumentSource.clear();
  if (Source.Kind != TDocKind::Html) {
    // The full path: a relative name would otherwise be taken against the image's own
    // directory a second time.
    std::string source = ("<img src=\"" + FCurrentFile + "\">").substr(0, 255);
    TViewerParse parse;
    parse.Viewer = this;
    parse.SectionList = FSectionList.get();
    parse.Source = &source;
    parse.WithHandlers = false;
    ParseViewerDocument(parse);
    FTitle = parse.Title;
    FBase = parse.Base;
    return;
  }
  if (!Source.Readable) throw EInOutError("Can't read file: " + Source.Name);
  FDocumentSource = std::move(Source.Text);
  if (OnParseBegin) OnParseBegin(this, FDocumentSource);
  if (Source.FromFile && OnSoundRequest) OnSoundRequest(this, "", 0, true);
  ParseSource(true);
  if (OnParseEnd) OnParseEnd(this);
}

void THTMLViewer::ParseSource(bool WithHandlers) {
  TViewerParse parse;
  parse.Viewer = this;
  parse.SectionList = FSectionList.get();
  parse.Source = &FDocumentSource;
  parse.WithHandlers = WithHandlers;
  if (WithHandlers) {
    parse.OnLink = OnLink;
    parse.OnMeta = [this](TObject*, const std::string& HttpEq, const std::string& Name,
                          const std::string& Content) { MetaHook(HttpEq, Name, Content); };
    parse.OnSoundRequest = OnSoundRequest;
    parse.OnInclude = OnInclude;
    parse.OnhtStreamRequest = OnhtStreamRequest;
  }
  try {
    ParseViewerDocument(parse);
  } catch (...) {
    FTitle = parse.Title;
    FBase = parse.Base;
    throw;
  }
  FTitle = parse.Title;
  FBase = parse.Base;
}

void THTMLViewer::FinishLoad() {
  FFormatting = true;
  try {
    FSectionList->LoadBackgroundImage();
    LayoutDocument();
  } catch (...) {
    FFormatting = false;
    throw;
  }
  FFormatting = false;
}

void THTMLViewer::MetaHook(const std::string& HttpEq, const std::string& Name,
                           const std::string& Content) {
  if (OnMeta) OnMeta(this, HttpEq, Name, Content);
  if (!OnMetaRefresh || LowerCase(HttpEq) != "refresh") return;
  const size_t semi = Content.find(';');
  const std::string number = TrimControls(Content.substr(0, semi));
  char* end = nullptr;
  long delay = number.empty() ? -1 : std::strtol(number.c_str(), &end, 10);
  if (number.empty() || *end != '\0') delay = -1;
  if (delay < 0) return;
  if (delay == 0) delay = 1;
  const size_t url = LowerCase(Content).find("url=");
  FRefreshURL = url == std::string::npos ? std::string() : Content.substr(url + 4);
  FRefreshDelay = int(std::min(delay, 1L << 30));
}

void THTMLViewer::Reformat() {
  // A print pass lays the document out for the screen again when it ends.
  if (FProcessing || FPrinting) return;
  SetProcessing(true);
  try {
    const int64_t position = GetScrollPosition();
    FSectionList->ProgressBase = 0;
    if (OnProgress) OnProgress(this, psStarting, 0);
    LayoutDocument();
    RestoreScrollPosition(position);
  } catch (...) {
    if (OnProgress) OnProgress(this, psEnding, 100);
    SetProcessing(false);
    throw;
  }
  if (OnProgress) OnProgress(this, psEnding, 100);
  SetProcessing(false);
}

void THTMLViewer::Clear() {
  if (FProcessing || DocumentHeld()) return;
  FHoverTimer->SetEnabled(false);
  FSectionList->Clear();
  FLaidOutForPages = false;
  if (FOwnsImageCache) FImageCache->Clear();
  ApplyListDefaults();
  if (OnDocumentCleared) OnDocumentCleared(this);
  FBase.clear();
  FTitle.clear();
  FMaxVertical = 0;
  FVScrollBar->SetParams(0, FPaintPanel->Height() + 1, 0, 0);
  FVScrollBar->Hide();
  FHScrollBar->Hide();
  FCaretPos = 0;
  FSelAnchor = -1;
  if (OnSoundRequest) OnSoundRequest(this, "", 0, true);
  FPaintPanel->Invalidate();
}

bool THTMLViewer::ReplaceImage(const std::string& SRC, TMemoryStream* Stream) {
  if (FProcessing || FPrinting) return false;
  SetProcessing(true);
  try {
    bool reformat = false;
    FSectionList->DeliverImage(SRC, Stream, reformat);
    FSectionList->LoadBackgroundImage();
    if (reformat && FSectionList->Count() > 0) {
      FSectionList->LoadBackgroundImage();
      const int64_t position = GetScrollPosition();
      LayoutDocument();
      RestoreScrollPosition(position);
    }
    FPaintPanel->Invalidate();
  } catch (...) {
    SetProcessing(false);
    throw;
  }
  SetProcessing(false);
  return true;
}

// ---- Names ----------------------------------------------------------------------------

std::string THTMLViewer::ExpandSourceName(const std::string& Name) {
  const size_t scheme = Name.find("://");
  if (scheme != std::string::npos && scheme > 0 &&
      LowerCase(Name).find("file://") == std::string::npos)
    return Name;
  std::string result = TrimControls(FileUrlToName(TrimControls(Name)));
  if (!result.empty() && !FServerRoot.empty() && result[0] == '/' &&
      result.compare(0, 2, "//") != 0)
    result = FServerRoot + result;
  if (!result.empty() && result[0] == '/') return ExpandFileName(result);
  if (result.compare(0, 2, "//") == 0 || LowerCase(FBase) == "dospath") return result;
  if (!FBase.empty()) {
    std::string base = FileUrlToName(FBase);
    if (!base.empty() && base.back() != '/') base = DirectoryOf(base);
    return ExpandFileName(base + result);
  }
  return ExpandFileName(DirectoryOf(FCurrentFile) + result);
}

// ---- Layout ---------------------------------------------------------------------------

int THTMLViewer::LayoutWidth() const {
  const int allowance = FBorderStyle == htNone ? 1 : 3;
  int width = Width() - allowance;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) width -= FScrollBarWidth;
  return std::max(width, 0);
}

void THTMLViewer::LayoutDocument() {
  FScrollWidth = 0;
  const bool wasFormatting = FFormatting;
  FFormatting = true;
  try {
    int position = 0;
    TWindowDC dc(FPaintPanel->Handle());
    FLaidOutForPages = false;
    FLayoutWidth = LayoutWidth();
    FLayoutHeight = ClientHeight();
    FMaxVertical = FSectionList->LayoutCell(&dc.Canvas(), 0, FLayoutWidth, FLayoutHeight,
                                            FScrollWidth, position);
    FitScrollBars();
  } catch (...) {
    FFormatting = wasFormatting;
    throw;
  }
  FFormatting = wasFormatting;
  if (GetWindowCursor(FPaintPanel->Handle()) == nullptr ||
      GetCursorId(GetWindowCursor(FPaintPanel->Handle())) == IDC_IBEAM)
    SetWindowCursor(FPaintPanel->Handle(), ViewerCursor(crTextSelect));
}

void THTMLViewer::EnsureScreenLayout() {
  if (!FLaidOutForPages || FPrinting || FFormatting) return;
  LayoutDocument();
  ScrollTo(FScrollY);
}

void THTMLViewer::FitScrollBars() {
  const int W = Width(), H = Height(), B = FScrollBarWidth, D = FMaxVertical;
  const TScrollStyle S = FScrollBars;
  const bool show = FOptions & htOption(htShowVScroll);
  FScrollWidth = std::min(FScrollWidth, MaxScrollWidth);

  int b;
  if (FBorderStyle == htNone) {
    FPaintPanel->SetBounds(0, 0, FPaintPanel->Width(), FPaintPanel->Height());
    FBorderPanel->Hide();
    b = 0;
  } else {
    FPaintPanel->SetBounds(1, 1, FPaintPanel->Width(), FPaintPanel->Height());
    FBorderPanel->SetBounds(0, 0, W, H);
    FBorderPanel->Hide();
    FBorderPanel->Show();
    FBorderPanel->SendToBack();
    b = 1;
  }
  bool vEnabled = false, hNeeded = false, vShown = false;
  if (S == ssNone || S == ssHorizontal) {
    hNeeded = S == ssHorizontal && W < FScrollWidth;
  } else {
    vEnabled = D >= H - 2 || (S == ssBoth && D >= H - B - 2 && W - B < FScrollWidth);
    vShown = vEnabled || show;
    hNeeded = S == ssBoth && (W < FScrollWidth || ((vShown || show) && W - B < FScrollWidth));
  }
  const int V = vShown || (show && (S == ssVertical || S == ssBoth)) ? W - B : W;
  const int panelHeight = std::max(H - 2 * b - (hNeeded ? B : 0), 0);
  FPaintPanel->SetBounds(b, b, std::max(V - 2 * b, 0), panelHeight);

  FHScrollBar->SetVisible(hNeeded);
  FHLargeChange = std::max(1, V - 20);
  FHScrollBar->SetBounds(b, H - B - b, std::max(V - b, 0), B);
  SCROLLINFO hinfo;
  hinfo.fMask = SIF_RANGE | SIF_PAGE;
  hinfo.nMin = 0;
  hinfo.nMax = std::max({0, FScrollWidth, V - 2 * b});
  hinfo.nPage = unsigned(std::max(V, 0));
  SetScrollInfo(FHScrollBar->Handle(), SB_CTL, &hinfo, true);

  FVScrollBar->SetBounds(W - B - b, b, B, std::max(H - 2 * b, 0));
  FVScrollBar->LargeChange = std::max(panelHeight - T32ScrollBar::SmallChange, 1);
  if (show) {
    FVScrollBar->SetVisible(S == ssVertical || S == ssBoth);
    FVScrollBar->SetEnabled(vEnabled);
  } else {
    FVScrollBar->SetVisible(vShown);
    FVScrollBar->SetEnabled(true);
  }
  FVScrollBar->SetParams(FVScrollBar->Position(), panelHeight + 1, 0, D);
}

// ---- Reading position -----------------------------------------------------------------

// The code is the section's index plus one in the upper 32 bits and the offset into it in
// the lower, so neither a very tall section nor a very long document wraps; a position
// above every section is the plain Y.
int64_t THTMLViewer::GetScrollPosition() {
  EnsureScreenLayout();
  const int y = VScrollPos();
  const auto& index = FSectionList->PositionIndex;
  for (int i = int(index.size()) - 1; i >= 0; --i) {
    const int top = index[size_t(i)]->GetTopY();
    if (top <= y) return (int64_t(i + 1) << 32) | uint32_t(y - top);
  }
  return y;
}

void THTMLViewer::RestoreScrollPosition(int64_t Pos) {
  EnsureScreenLayout();
  int offset = int(uint32_t(Pos));
  if (const uint64_t section = uint64_t(Pos) >> 32) {
    if (section > FSectionList->PositionIndex.size()) return;
    offset += FSectionList->PositionIndex[size_t(section - 1)]->GetTopY();
  }
  ScrollTo(offset);
}

bool THTMLViewer::ScrollToAnchor(const std::string& Name) {
  const std::string name = !Name.empty() && Name[0] == '#' ? Name.substr(1) : Name;
  if (!FSectionList->IdNames || name.empty()) return false;
  TIDObject* object = FSectionList->IdNames->Lookup(name);
  if (!object) return false;
  if (FPrinting) {
    // The anchor's place on the screen is known again once the pass ends.
    FAnchorAfterPrint = name;
    return true;
  }
  EnsureScreenLayout();
  ScrollTo(object->GetTopY());
  SetHScrollPos(0);
  AddVisited(FCurrentFile + "#" + name);
  return true;
}

// ---- Hooks from the document ----------------------------------------------------------

void THTMLViewer::QueueFormSubmit(const std::string& Action, const std::string& Target,
                                  const std::string& EncType, const std::string& Method,
                                  TStringList* Results) {
  if (!FHostHooks.OnFormSubmit) return;
  FSubmitAction = Action;
  FSubmitTarget = Target;
  FSubmitEncType = EncType;
  FSubmitMethod = Method;
  FSubmitResults = std::make_unique<TStringList>();
  if (Results) FSubmitResults->Assign(Results);
  // One message carries whatever was stored last: a second submission before it runs
  // replaces the first and is reported once.
  if (!FSubmitPending) {
    FSubmitPending = true;
    PostMessage(Handle(), WM_FORMSUBMIT);
  }
}

void THTMLViewer::ScrollControlIntoView(TObject* Control, int ControlTop) {
  if (!Control || ControlTop < 0) return;
  const int pos = VScrollPos();
  if (ControlTop >= pos && ControlTop <= pos + ClientHeight() - 20) return;
  SetVScrollPos(ControlTop - ClientHeight() / 2);
  Invalidate();
}

void THTMLViewer::BackgroundChanged() {
  SetColor(FSectionList->PageColor | PaletteRelativeFlag);
  if (FPaintPanel) FPaintPanel->SetColor(FSectionList->PageColor | PaletteRelativeFlag);
}

void THTMLViewer::ReportProgress(int Percent) {
  if (OnProgress) OnProgress(this, psRunning, Percent);
}

// ---- Selection ------------------------------------------------------------------------

int THTMLViewer::SelLength() {
  if (FProcessing) return 0;
  const int length = FSectionList->SelectionLength();
  // A drag to the left leaves the caret at the start, before where the drag began: such a
  // selection runs backwards and counts negative.
  const bool backwards = FSelAnchor > FCaretPos && FCaretPos == FSectionList->SelStart;
  return backwards ? -length : length;
}

void THTMLViewer::CopyToClipboard() {
  if (FProcessing) return;
  FSectionList->CopySelectionToClipboard();
}

void THTMLViewer::SelectAll() {
  if (FProcessing || FNoSelect) return;
  FSectionList->SelStart = 0;
  FSectionList->SelEnd = FSectionList->FPosCount;
  FSectionList->SelIsWord = false;
  FSelAnchor = -1;  // made by no drag: it runs forwards
  FPaintPanel->Invalidate();
}


// ---- Painting -------------------------------------------------------------------------

TPaintContext THTMLViewer::PaintContext() const {
  TPaintContext c;
  c.Band = TRect{0, 1, FPaintPanel->Width(), FPaintPanel->Height()};
  c.ScrollY = FScrollY;
  c.Palette = FPalette;
  return c;
}

void THTMLViewer::PaintDocument(TCanvas& Canvas, const TRect& Clip) {
  if (FFormatting || FPrinting) return;
  TPaintContext pass = PaintContext();
  FSectionList->Draw(&Canvas, pass, MaxScrollWidth, -HScrollPos(), 0, 0, 0);
}

void THTMLViewer::Repaint() {
  for (TDocControl* control : FSectionList->FormControls) control->Hide();
  for (TDocControl* panel : FSectionList->Panels) panel->Hide();
  FBorderPanel->SetFramed(false);
  TWinControl::Repaint();
  FPaintPanel->Repaint();
}

void THTMLViewer::UpdateBorder() {
  const bool framed =
      (FBorderStyle == htFocused && Focused()) || FBorderStyle == htSingle;
  FBorderPanel->SetFramed(framed);
}

// ---- Messages -------------------------------------------------------------------------

LRESULT THTMLViewer::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_SIZE: {
      LRESULT result = TWinControl::WndProc(Msg, wParam, lParam);
      if (FSectionList) ResizeHandler();
      return result;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_FORMSUBMIT:
      if (!FSubmitPending) return 0;
      FSubmitPending = false;
      if (FHostHooks.OnFormSubmit) {
        std::unique_ptr<TStringList> results = std::move(FSubmitResults);
        FHostHooks.OnFormSubmit(this, FSubmitAction, FSubmitTarget, FSubmitEncType,
                                FSubmitMethod, results.get());
      }
      return 0;
    case WM_MOUSESCROLL:
      RunAutoScroll();
      return 0;
    case WM_TIMER:
      if (wParam != kAutoScrollTimer) return TWinControl::WndProc(Msg, wParam, lParam);
      KillTimer(Handle(), kAutoScrollTimer);
      RunAutoScroll();
      return 0;
    case WM_VSCROLL:
      VScrollNotify(LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      HScrollNotify(LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      bool handled = false;
      TPoint mouse{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      DocMouseWheel(ShiftStateFromKeys(GET_KEYSTATE_WPARAM(wParam)),
                    GET_WHEEL_DELTA_WPARAM(wParam), mouse, handled);
      return 0;
    }
    case WM_KEYDOWN:
      KeyDown(int(wParam), KeyboardShiftState());
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      LRESULT result = TWinControl::WndProc(Msg, wParam, lParam);
      UpdateBorder();
      return result;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      SetFocus();
      return 0;
    default:
      return TWinControl::WndProc(Msg, wParam, lParam);
  }
}

void THTMLViewer::ResizeHandler() {
  if (FProcessing || FPrinting) {
    FitScrollBars();
  } else {
    Reformat();
  }
  if (FMaxVertical < FPaintPanel->Height()) {
    ScrollTo(0);
  } else {
    ScrollTo(FVScrollBar->Position());
  }
  int hmax = 0, hmin = 0;
  GetScrollRange(FHScrollBar->Handle(), SB_CTL, &hmin, &hmax);
  SetHScrollPos(std::min(HScrollPos(), hmax - FPaintPanel->Width()));
}
