// The viewer control: owns one document, feeds its source to the reader, lays it out for
// the current width, keeps the scroll bars in step with its size, and paints the visible
// band through an off-screen bitmap.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/classes.h"
#include "document/core/section_list.h"
#include "document/images/image_cache.h"
#include "print/print_document.h"
#include "toolkit/controls/controls.h"
#include "toolkit/graphics/graphics.h"

class THTMLViewer;
class TPaintPanel;
class T32ScrollBar;
class TBorderPanel;

enum THTMLBorderStyle { htFocused, htNone, htSingle };

enum htOptionEnum {
  htOverLinksActive, htNoLinkUnderline, htPrintTableBackground, htPrintMonochromeBlack,
  htShowDummyCaret, htShowVScroll
};
// A set of htOptionEnum: bit n stands for value n.
using ThtmlViewerOptions = uint8_t;
constexpr ThtmlViewerOptions htOption(htOptionEnum o) { return ThtmlViewerOptions(1u << o); }

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TProgressStage { psStarting = 0, psRunning = 1, psEnding = 2 };

// What a viewer shows: an HTML document, or an image file standing alone.
enum class TDocKind : uint8_t { Html, Image };

// Cursor numbers the viewer registers with the screen.
enum : int { crLink = 1, crTextSelect = 2, crScrollBoth = 3, crScrollUp = 4, crScrollDown = 5 };
// The standard hourglass.
constexpr int crHourGlass = -11;

// Private messages the viewer posts to its own window.
enum : unsigned { WM_FORMSUBMIT = WM_USER + 100, WM_MOUSESCROLL = WM_USER + 102 };
// The timer of the auto-scroll steps where input cannot arrive while the loop runs.
constexpr uintptr_t kAutoScrollTimer = 0x51C0;

// Event types, sender first.
using THotSpotEvent = std::function<void(TObject* Sender, const std::string& SRC)>;
using THotSpotClickEvent =
    std::function<void(TObject* Sender, const std::string& SRC, bool& Handled)>;
using TProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, int PercentDone)>;
using TProcessingEvent = std::function<void(TObject* Sender, bool ProcessingOn)>;
using TIncludeType = std::function<void(TObject* Sender, const std::string& Command,
                                        TStrings* Params, char*& Buffer, int& BuffSize)>;
using TSoundType = std::function<void(TObject* Sender, const std::string& SRC, int Loop,
                                      bool Terminate)>;
using TMetaType = std::function<void(TObject* Sender, const std::string& HttpEq,
                                     const std::string& Name, const std::string& Content)>;
using TLinkType = std::function<void(TObject* Sender, const std::string& Rel,
                                     const std::string& Rev, const std::string& Href)>;
using TMetaRefreshType = std::function<void(TObject* Sender, int Delay, const std::string& URL)>;
using TParseEvent = std::function<void(TObject* Sender, std::string& Source)>;
using TMouseDoubleEvent = std::function<void(TObject* Sender, TMouseButton Button,
                                             TShiftState Shift, int X, int Y)>;
// A mouse button released over an image: the image and the point within it.
using TImageClickEvent = std::function<void(TObject* Sender, TObject* Obj, TMouseButton Button,
                                            TShiftState Shift, int X, int Y)>;

// What the reader is given to build a document into the viewer's section list, and what
// it hands back.
struct TViewerParse {
  THTMLViewer* Viewer = nullptr;
  TSectionList* SectionList = nullptr;
  std::string* Source = nullptr;
  // Image documents are parsed with no handlers at all.
  bool WithHandlers = true;
  TLinkType OnLink;
  TMetaType OnMeta;
  TSoundType OnSoundRequest;
  TIncludeType OnInclude;
  TImageRequestEvent OnhtStreamRequest;
  // Filled by the reader.
  std::string Title;
  std::string Base;
};
// The reader's document entry, as the viewer calls it.
void ParseViewerDocument(TViewerParse& Parse);

class THTMLViewer : public TWinControl {
 public:
  THTMLViewer(TComponent* AOwner, HWND AParent, int X = 0, int Y = 0, int Width = 150,
              int Height = 150);
  ~THTMLViewer() override;

  // Loading.
  void LoadFromFile(const std::string& FileName);
  void LoadImageDocument(const std::string& FileName);
  void LoadFromBuffer(const char* Buffer, int Size);
  // The same, keeping Text itself as the document's source rather than a copy of it.
  void LoadFromText(std::string Text);
  void Reformat();
  virtual void Clear();
  bool ReplaceImage(const std::string& SRC, TMemoryStream* Stream);
  virtual std::string ExpandSourceName(const std::string& Name);

  // Scrolling.
  int VScrollPos() const;
  void SetVScrollPos(int Value);
  int HScrollPos() const;
  void SetHScrollPos(int Value);
  void ScrollTo(int Y);
  // The reading position as a section and an offset into it, which survives a new layout.
  int64_t GetScrollPosition();
  void RestoreScrollPosition(int64_t Pos);
  int MaxVertical() const { return FMaxVertical; }
  int ScrollWidth() const { return FScrollWidth; }
  // Scrolls to a named anchor; false when the document has no such name.
  bool ScrollToAnchor(const std::string& Name);
  // The document Y painted at the panel's top.
  int PaintScrollY() const { return FScrollY; }
  // The pass that paints the panel: its band, the scroll offset, the screen's palette.
  TPaintContext PaintContext() const;

  // Links and history.
  void AddVisited(const std::string& URL);
  void CheckVisitedLinks();
  const std::vector<std::string>& Visited() const { return FVisited; }
  void ClearHistory();
  // The documents shown, newest first, with their titles; HistoryIndex is the one shown.
  const std::vector<std::string>& History() const { return FHistory; }
  const std::vector<std::string>& TitleHistory() const { return FTitleHistory; }
  int HistoryIndex() const { return FHistoryIndex; }
  // Goes back (a larger index) or forward in the history: the document is loaded again,
  // with the reading position it had when it was left.
  void SetHistoryIndex(int Value);
  // The link under a point of the paint panel; false when there is none.
  bool LinkAtPoint(int X, int Y, std::string& URL, std::string& Target);
  // The link under the mouse, as the last move found it.
  const std::string& LinkURL() const { return FURL; }
  // The title of what is under the mouse (a link, an image or a box with one), for a hint.
  const std::string& HoverTitle() const { return FHoverTitle; }
  const std::string& LinkTarget() const { return FTarget; }

  // Selection (the walk itself lives in the document).
  int SelLength();
  std::string SelText();
  int CopySelTextToBuffer(char* Buffer, int BufSize);
  void CopyToClipboard();
  void SelectAll();
  // The word under a point of the paint panel: its letters and digits (and every character
  // from 192 up) around the character hit, within one section. After is one past its last
  // position, Before one before its first. False, with an empty Word, when the point is
  // not over such a character. Moves the caret to the point.
  bool WordAtPoint(int X, int Y, std::string& Word, int& After, int& Before);

  // Printing (on the printer selected in the printer list, see toolkit/printer.h).
  // Pages FromPage..ToPage, from 1, as one print job.
  void PrintPages(int FromPage, int ToPage);
  // Paginates into a metafile printer and returns the page count.
  int CountPrintPages();
  // Records every page for a preview; the page count is Printer.LastAvailablePage().
  void PrintPreview(TMetaFilePrinter& Printer);
  // The page being printed; after a pass, the last page reached.
  int PrintPage() const { return FPrintPage; }
  // A print pass is under way: it lays out and draws the document itself, so until it
  // ends the screen keeps its last picture and the document takes no new layout, no
  // mouse input and no other print.
  bool Printing() const { return FPrinting; }
  // What the print passes take from the viewer: margins, header and footer, print options.
  TPrintSettings PrintSettings();

  // Published properties.
  bool ViewImages() const { return FViewImages; }
  void SetViewImages(bool Value);
  TColor DefBackground() const { return FBackground; }
  void SetDefBackground(TColor Value);
  THTMLBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(THTMLBorderStyle Value);
  std::string DefFontName;
  const std::string& DefPreFontName() const { return FPreFontName; }
  void SetDefPreFontName(const std::string& Value);
  int DefFontSize() const { return FFontSize; }
  void SetDefFontSize(int Value) { FFontSize = Value < 6 ? 6 : Value; }
  TColor DefFontColor = TColor(0x80000012);
  TColor DefHotSpotColor() const { return FHotSpotColor; }
  void SetDefHotSpotColor(TColor Value);
  TColor DefVisitedLinkColor() const { return FVisitedColor; }
  void SetDefVisitedLinkColor(TColor Value);
  TColor DefOverLinkColor() const { return FOverColor; }
  void SetDefOverLinkColor(TColor Value);
  // The history of documents shown (newest first) and the visited links; 0 keeps none.
  int HistoryMaxCount() const { return FHistoryMaxCount; }
  void SetHistoryMaxCount(int Value);
  int VisitedMaxCount() const { return FVisitedMaxCount; }
  void SetVisitedMaxCount(int Value);
  int ImageCacheCount() const { return FImageCacheCount; }
  void SetImageCacheCount(int Value);
  bool NoSelect() const { return FNoSelect; }
  void SetNoSelect(bool Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  uint8_t CharSet = 1;
  int MarginHeight = 5;
  int MarginWidth = 10;
  const std::string& ServerRoot() const { return FServerRoot; }
  void SetServerRoot(const std::string& Value);
  double PrintMarginLeft = 2.0, PrintMarginRight = 2.0, PrintMarginTop = 2.0,
         PrintMarginBottom = 2.0;
  ThtmlViewerOptions htOptions() const { return FOptions; }
  void SetHtOptions(ThtmlViewerOptions Value);

  // Read-only state.
  const std::string& CurrentFile() const { return FCurrentFile; }
  const std::string& DocumentSource() const { return FDocumentSource; }
  const std::string& DocumentTitle() const { return FTitle; }
  const std::string& Base() const { return FBase; }
  bool Processing() const { return FProcessing; }
  // True while the viewer prints or a host handler of a control's event runs: code up the
  // call stack holds pointers into the document, so loads and clears are refused until
  // the hold ends.
  bool DocumentHeld() const { return FDocumentHolds > 0; }
  TSectionList* SectionList() const { return FSectionList.get(); }
  // The cache this viewer made at its first load, or null.
  TStringBitmapList* ImageCacheList() const { return FImageCache.get(); }
  TPaintPanel* PaintPanel() const { return FPaintPanel.get(); }
  T32ScrollBar* VScrollBar() const { return FVScrollBar.get(); }
  TWinControl* HScrollBar() const { return FHScrollBar.get(); }
  TBorderPanel* BorderPanel() const { return FBorderPanel.get(); }
  int ScrollBarWidth() const { return FScrollBarWidth; }
  bool MiddleScrolling() const { return FMiddleScrolling; }

  // Events.
  THotSpotEvent OnHotSpotCovered;
  THotSpotClickEvent OnHotSpotClick;
  TImageRequestEvent OnhtStreamRequest;
  TNotifyEvent OnHistoryChange;
  TProgressEvent OnProgress;
  TProcessingEvent OnProcessing;
  TPrintHeaderEvent OnPrintHeader;
  TPrintHeaderEvent OnPrintFooter;
  TIncludeType OnInclude;
  TSoundType OnSoundRequest;
  TMetaType OnMeta;
  TLinkType OnLink;
  TMetaRefreshType OnMetaRefresh;
  TMouseDoubleEvent OnMouseDouble;
  TImageClickEvent OnImageClick;
  TParseEvent OnParseBegin;
  TNotifyEvent OnParseEnd;
  // The document was cleared, by a new load or by Clear: what was handed to it for its
  // pictures (already decoded into the cache) may be dropped.
  TNotifyEvent OnDocumentCleared;
  // Events the document calls directly: setting one hands it to the section list.
  void SetOnBitmapRequest(TBitmapRequestEvent Handler);
  void SetOnImageRequest(TImageRequestEvent Handler);
  void SetOnScript(TScriptEvent Handler);
  void SetOnObjectClick(TObjectClickEvent Handler);
  void SetOnObjectFocus(TObjectTagEvent Handler);
  void SetOnObjectBlur(TObjectTagEvent Handler);
  void SetOnObjectChange(TObjectTagEvent Handler);
  void SetOnPanelCreate(TPanelCreateEvent Handler);
  void SetOnPanelDestroy(TPanelDestroyEvent Handler);
  void SetOnPanelPrint(TPanelPrintEvent Handler);
  void SetOnFormSubmit(TFormSubmitEvent Handler);
  const TImageRequestEvent& OnImageRequest() const { return FHostHooks.OnImageRequest; }
  const TBitmapRequestEvent& OnBitmapRequest() const { return FHostHooks.OnBitmapRequest; }

  // Virtual operations in slot order.
  virtual void ExtendSelection(int X, int Y);
  virtual void PaintDocument(TCanvas& Canvas, const TRect& Clip);
  virtual void DocMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DocMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled);
  virtual void DocMouseMove(TShiftState Shift, int X, int Y);
  virtual void DocMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // A left-button double-click: selects the word under the point, then OnMouseDouble.
  virtual void DocMouseDouble(TShiftState Shift, int X, int Y);
  virtual void FollowHotSpot();

  void Repaint() override;
  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;

  // Hooks the section list calls.
  void QueueFormSubmit(const std::string& Action, const std::string& Target,
                       const std::string& EncType, const std::string& Method,
                       TStringList* Results);
  void ScrollControlIntoView(TObject* Control, int ControlTop);
  void BackgroundChanged();
  void ReportProgress(int Percent);

  // The border panel's frame follows the focus and BorderStyle.
  void UpdateBorder();
  // Runs the auto-scroll loop (the handler of the self-posted WM_MOUSESCROLL).
  void RunAutoScroll();
  void VScrollNotify(int Code);
  void HScrollNotify(int Code);
  void KeyDown(int Key, TShiftState Shift);

 private:
  friend class TPaintPanel;
  void SetProcessing(bool Value);
  // Runs a print pass over the document and lays it out for the screen again after it.
  void RunPrintPass(const std::function<int()>& Pass);
  void EndPrintPass();
  // Holds the document (see DocumentHeld) for the life of the value; safe if the viewer
  // is freed meanwhile.
  class TDocumentHold {
   public:
    explicit TDocumentHold(THTMLViewer& Viewer);
    ~TDocumentHold();
    TDocumentHold(const TDocumentHold&) = delete;
    TDocumentHold& operator=(const TDocumentHold&) = delete;

   private:
    THTMLViewer& FViewer;
    std::shared_ptr<bool> FAlive;
  };
  // What one load reads. A file names the document from the start, so the names in it
  // resolve against the file; a buffer's document has no name, and until it is shown the
  // names in it still resolve against the document before it.
  struct TLoadSource {
    bool FromFile = false;
    std::string Name;         // the file as given, without its anchor
    std::string Destination;  // the anchor to show once loaded
    TDocKind Kind = TDocKind::Html;
    bool Found = true;        // false: no such file, and the old document stays
    bool Readable = true;     // false: unreadable, and an empty document replaces the old
    std::string Text;         // the HTML, read from the file or taken from the buffer
  };
  // Reads the file, then loads it as every document loads.
  void LoadFile(const std::string& FileName, TDocKind Kind);
  // Loads, marks the visited links of the new document and records the one left.
  void LoadAndRecord(const std::string& FileName, TDocKind Kind);
  // The steps of every load: progress, the old document's end, the new one's build and
  // layout, and after an error the layout of what was built.
  void Load(TLoadSource& Source);
  void BuildDocument(TLoadSource& Source);
  void InitLoad();
  void ParseSource(bool WithHandlers);
  void FinishLoad();
  void LayoutDocument();
  // The width the document is laid out to on the screen.
  int LayoutWidth() const;
  // The screen's layout where a print pass left the document laid out for pages.
  void EnsureScreenLayout();
  void FitScrollBars();
  void MetaHook(const std::string& HttpEq, const std::string& Name, const std::string& Content);
  void ApplyListDefaults();
  void ResizeHandler();
  void EndMiddleScrolling();
  void SetPaintCursor(int Cursor);
  // The link, image and text under a mouse move: cursor, hover and OnHotSpotCovered.
  void TrackHover(TShiftState Shift, int X, int Y);
  void HoverTimerTick();
  // Left button down: the selection collapses to the point, which anchors the drag.
  void StartSelection(int X, int Y);
  // After a left click that selected nothing: follows the link under the point.
  void ClickLink(int X, int Y);
  void RecordHistory(const std::string& OldFile, const std::string& OldTitle, TDocKind OldKind,
                     int64_t OldPos, TSectionList::TFormValues OldFormState = {});
  // The full URL of a link in the current document, as visited links are kept.
  std::string FullLinkURL(const std::string& URL);
  int ClampScroll(int Y) const;
  void ApplyVScroll(int NewPos, bool ScrollContents);
  // Paints the document from Y at the panel's top from the next paint on.
  void SetPaintScroll(int Y);
  // Gives the document its hooks, all at once: the host's events as set and the viewer's
  // own services.
  void UpdateDocumentHooks();

  std::unique_ptr<TBorderPanel> FBorderPanel;
  std::unique_ptr<TPaintPanel> FPaintPanel;
  std::unique_ptr<T32ScrollBar> FVScrollBar;
  std::unique_ptr<TWinControl> FHScrollBar;
  std::unique_ptr<TSectionList> FSectionList;
  std::unique_ptr<TTimer> FHoverTimer;
  std::unique_ptr<TMemoryStream> FWaitStream;
  std::unique_ptr<TStringBitmapList> FImageCache;  // when this viewer made the list's cache

  int FScrollBarWidth = 16;
  // The horizontal bar's page step: the visible width less 20.
  int FHLargeChange = 1;
  // The widest the document scrolls, and the clip width it is painted with, in pixels.
  static constexpr int MaxScrollWidth = 6000;
  int FScrollWidth = 0;
  int FMaxVertical = 0;
  // Follows the bar's position as every scroll sets both; Clear() resets only the bar.
  int FScrollY = 0;
  // The palette of this viewer's paints, chosen for the screen when it was made (not owned).
  const TPalette* FPalette = nullptr;
  int FPrintPage = 0;
  bool FPrinting = false;
  // What the paint panel showed when the pass began: it paints from this until the pass
  // ends, as the document is laid out for the printer meanwhile.
  std::unique_ptr<TBitmap> FPrintPicture;
  // A scroll to an anchor asked for while printing, made once the screen's layout is back.
  std::string FAnchorAfterPrint;
  // Set when a print pass ended without laying the document out for the screen again: the
  // screen's sizes, bars and place still hold (the window kept its size), only the document's
  // places are the printer's until it is next painted or asked for one.
  bool FLaidOutForPages = false;
  // Set when the panel was painted while a pass went on: something asked the screen to change.
  bool FPaintedInPass = false;
  // The width and height the screen's layout was last made for.
  int FLayoutWidth = -1, FLayoutHeight = -1;
  bool FProcessing = false;
  int FDocumentHolds = 0;
  bool FFormatting = false;
  std::string FCurrentFile;
  TDocKind FDocKind = TDocKind::Html;
  std::string FDocumentSource;
  std::string FTitle, FBase;
  std::string FRefreshURL;
  int FRefreshDelay = 0;
  int FCaretPos = 0;
  int FSelAnchor = -1;
  bool FLeftButtonDown = false;
  bool FSelecting = false;
  bool FMiddleScrolling = false;
  int FMiddleY = 0;
  bool FAutoScrolling = false;
  bool FHotSpotClicked = false;
  bool FLeftDownInDocument = false;
  std::string FURL, FTarget;  // the link under the mouse, or the one clicked
  std::string FHoverTitle;
  std::vector<std::string> FVisited;  // newest first
  int FVisitedMaxCount = 50;
  // The history: file names, titles and reading positions, newest first.
  struct PositionObj {
    int64_t ScrollPos = 0;
    TDocKind DocKind = TDocKind::Html;
    TSectionList::TFormValues FormState;  // what the forms held when the document was left
  };
  std::vector<std::string> FHistory, FTitleHistory;
  std::vector<PositionObj> FPositionHistory;
  int FHistoryIndex = 0;
  int FHistoryMaxCount = 0;
  bool FOwnsImageCache = false;

  bool FViewImages = true;
  TColor FBackground = TColor(0x8000000F);
  THTMLBorderStyle FBorderStyle = htFocused;
  std::string FPreFontName;
  int FFontSize = 12;
  TColor FHotSpotColor = clBlue;
  TColor FVisitedColor = TColor(0x00800080);
  TColor FOverColor = clBlue;
  int FImageCacheCount = 5;
  bool FNoSelect = false;
  TScrollStyle FScrollBars = ssBoth;
  std::string FServerRoot;
  ThtmlViewerOptions FOptions =
      htOption(htPrintTableBackground) | htOption(htPrintMonochromeBlack);

  // The host's events for the document, as set.
  TDocumentHooks FHostHooks;
  std::string FSubmitAction, FSubmitTarget, FSubmitEncType, FSubmitMethod;
  std::unique_ptr<TStringList> FSubmitResults;
  bool FSubmitPending = false;
  // Cleared when the viewer is freed: the auto-scroll loop runs other handlers, which may
  // free it, and must not touch it after that.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// The vertical bar: keeps a 32-bit position, range and page of its own and sends them to
// the window only when one of them changed.
class T32ScrollBar : public TWinControl {
 public:
  T32ScrollBar(TComponent* AOwner, HWND AParent);
  void SetParams(int APosition, int APage, int AMin, int AMax);
  void SetPosition(int Value) { SetParams(Value, FPage32, FMin32, FMax32); }
  int Position() const { return FPosition32; }
  int Min() const { return FMin32; }
  int Max() const { return FMax32; }
  int PageSize() const { return FPage32; }
  int LargeChange = 1;
  static constexpr int SmallChange = 16;
  // With it a bar whose page covers the range is disabled instead of hidden.
  bool DisableNoScroll = false;

 private:
  int FPosition32 = 0, FMin32 = 0, FMax32 = 0, FPage32 = 0;
};
