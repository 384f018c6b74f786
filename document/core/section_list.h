// The document root: a cell holding the top-level sections, plus everything that belongs
// to the document as a whole (display settings, hooks to the viewer, forms, anchors,
// links, images, the position index) and the entry points the viewer calls.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/classes.h"
#include "document/core/cells.h"
#include "document/core/document_hooks.h"
#include "document/core/document_objects.h"
#include "document/core/document_timer.h"
#include "document/core/draw_list.h"
#include "document/core/id_name_list.h"
#include "document/core/image_cache_access.h"
#include "document/core/indent_manager.h"
#include "document/core/paint_context.h"
#include "document/core/sel_text.h"
#include "style/style_list.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/windows/messages.h"
#include "toolkit/windows/window.h"

class TGIFImage;

// The decoded pixels the pictures of one document may take together: 64 Mi pixels, 256 MB at
// four bytes a pixel. Pictures past it show as pictures that cannot be decoded do.
constexpr int64_t kDocumentMaxImagePixels = int64_t(64) << 20;

class TSectionList : public TCell {
 public:
  TSectionList(TObject* AViewer, HWND APaintPanel);
  // The print copy of a laid-out document: shares the image cache, copies the sections,
  // settings and hooks, and has no ids, position index, style sheet or timer of its own.
  struct TPrintCopy {};
  TSectionList(TPrintCopy, const TSectionList& Source);
  static std::unique_ptr<TSectionList> CreateClone(const TSectionList& Source);
  ~TSectionList() override;

  void Clear();
  void ApplyDefaults(const std::string& FontName, const std::string& FixedFontName,
                     int MarginWidth, int MarginHeight, uint8_t CharSet, bool LinkUnderline,
                     bool LinksActive, TColor Background, TColor OverColor, TColor VisitedColor,
                     TColor HotSpot, TColor FontColor, int FontSize);
  void SetBackgroundColor(TColor Value);
  void SetBackgroundImageName(const std::string& Name);
  TBitmap* LoadBackgroundImage();
  // Transparent, a TTransparencyKind: on entry tkLowerLeft asks for a lower-left-pixel mask;
  // on exit tkSourceColor, tkPng or tkAlpha say that the image brought its own transparency.
  TImageRef FetchImage(const std::string& Name, int& Transparent, TBitmap*& Mask, bool& FromCache,
                       bool& Delayed);
  void DeliverImage(const std::string& Name, TMemoryStream* Stream, bool& Reformat);

  int LayoutCell(TCanvas* Canvas, int Y, int Width, int AHeight, int& ScrollWidth,
                 int& Curs) override;
  // One pass: sets Context.PageLimit to the band's bottom and lets the sections move it,
  // paints the deferred images after the sections, and selects Context.Palette.
  int Draw(TCanvas* Canvas, TPaintContext& Context, int ClipWidth, int X, int Y, int XRef,
           int YRef) override;
  // The view scrolled: controls and panels stay shown only if the next Draw paints them.
  void ViewScrolled();
  // Y in document coordinates; tracks link and image hover.
  unsigned HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                       TDocControl*& FormControl, std::string& Title) override;
  void SetImagePressed(bool Down);
  void ClearHover();
  // Fills PositionIndex from the laid-out sections, in order, at its final size.
  void IndexPositions();
  // The last section of PositionIndex starting at or above Y, or null.
  TSectionBase* SectionAtY(int Y, int& TopPos, int& Index);
  // SourceToDocPos, with the position count plus one in place of -1.
  int SourceToDocPosOrEnd(int SourcePos, bool Prev);
  int SelectionLength();
  // Returns the clipboard text's length plus one, 0 when nothing is selected.
  int CopySelectionToClipboard();
  // Size in characters, terminating zero included.
  int CopySelectionToBuffer(char* Buffer, int BufSize);
  std::unique_ptr<TFreeList<TObject>> CollectFormData();
  // What the forms' controls hold, form by form, and the same put back into the forms of
  // the same document read again.
  using TFormValues = std::vector<std::vector<std::vector<std::string>>>;
  TFormValues FormValues() const;
  void SetFormValues(const TFormValues& Values);
  void UpdateControlVisibility();
  // One tick of the animation timer.
  void AnimationTick();

  // Display settings.
  bool ImagesOn = true;
  // Where the text section laying out a list item's first line writes that line's
  // baseline (document Y); null when no item waits for one.
  int* FirstLineBaseline = nullptr;
  // Set by ViewScrolled, cleared by the next Draw, which hides what it did not paint.
  bool ScrollYChanged = false;
  int SelStart = 0;
  int SelEnd = 0;
  // The selection is a word chosen on its own: it ends within its line's text even where the
  // word ends the line, so the line break is no part of it.
  bool SelIsWord = false;
  std::string FixedFontName;  // at most 32 characters
  TColor VisitedLinkColor = 0;
  TColor OverLinkColor = 0;
  TColor HotSpotColor = 0;
  // Background colours and images print: a print copy made without keeps none of them.
  bool PrintColors = false;
  bool ShowDummyCaret = false;  // a collapsed selection shows a one-pixel caret
  bool HoverLinksOn = false;
  TColor PageColor = clWhite;
  // A standards doctype opened the document: the first block in a box keeps its top margin.
  bool StandardsMode = false;
  // The builder's base font size, from ApplyDefaults.
  int BaseFontSize = 12;

  // Owner.
  TObject* Viewer = nullptr;   // not owned
  HWND PaintPanel = nullptr;   // not owned
  bool IsPrintCopy = false;
  // Set while a print pass lays out and draws this document itself (see TPrintPass).
  bool Printing = false;
  // Laid out and drawn for pages: a print copy, or the document while it is printed.
  bool PrintsPages() const { return IsPrintCopy || Printing; }

  // Prints the document itself rather than a copy of it: for its life the document lays
  // out and draws as a print copy does (white page, no animation, no control windows, no
  // fetches), and afterwards gets back its page colour. The layout it leaves is the
  // printer's: the owner lays it out again for the screen, and that next layout keeps
  // the animations where they stood.
  class TPrintPass {
   public:
    explicit TPrintPass(TSectionList& Doc);
    ~TPrintPass();
    TPrintPass(const TPrintPass&) = delete;
    TPrintPass& operator=(const TPrintPass&) = delete;

   private:
    TSectionList& FDoc;
    TColor FPageColor;
    TNotifyEvent FOnPageColorChange;
  };

  // What the document calls in its viewer; the print copy takes the same.
  TDocumentHooks Hooks;
  // Where layout progress starts (the viewer reports the parse as the part before).
  int ProgressBase = 0;

  // Background image (bitmaps belong to the image cache).
  TBitmap* BackImage = nullptr;
  TBitmap* BackMask = nullptr;
  std::string BackImageName;
  bool BackImageLoaded = false;
  bool BackImageFixed = false;  // tiled from the window's corner, not the document's

  // Document-wide lists.
  TFreeList<TDocForm> Forms;
  // Not owned. Draw empties each one's LastRect and painting sets it again, so a tick
  // advances only the images painted since the last one.
  std::vector<TGIFImage*> AnimatedImages;
  TFreeList<TObject> ImageMaps;
  std::vector<TDocControl*> FormControls;   // not owned
  std::vector<TDocControl*> Panels;         // not owned
  // Names (upper case, trimmed) to the objects waiting for them: this document (the
  // background) or a TDocImage. Unsorted; the objects are not owned.
  TStringList PendingImages;
  std::vector<TDocFontRun*> LinkRuns;       // not owned
  std::unique_ptr<TStyleList> StyleSheet;   // null in a print copy
  std::unique_ptr<TIDNameList> IdNames;     // null in a print copy
  std::vector<TSectionBase*> PositionIndex; // not owned
  // Sections call it from RegisterPositions.
  void AddPosition(TSectionBase* Section);
  TImageCacheAccess* ImageCache = nullptr;  // shared with the viewer and the print copy
  // The budget of decoded pixels and what the document's pictures took of it: those it decoded
  // into the cache, and the animation state of each use of an animated GIF.
  int64_t MaxImagePixels = kDocumentMaxImagePixels;
  int64_t ImagePixels = 0;
  // Takes Pixels from the budget; false, taking nothing, when they do not fit.
  bool ChargeImagePixels(int64_t Pixels);

  // The accumulator of the selection walk in progress (not owned).
  SelTextCount* SelectionBuffer = nullptr;

  // Hover state.
  TDocFontRun* HoverLink = nullptr;
  TDocImage* HoverImage = nullptr;
  // The left mouse button is down (pressed look of hover images); set by the viewer.
  bool LeftButtonDown = false;

  // Animation.
  std::unique_ptr<TDocumentTimer> AnimationTimer;

  int LayoutCount = 0;
  // Non-empty text sections numbered so far; a section's number over it tells how far a
  // layout has come. The count runs over the list's whole life: Clear keeps it.
  int NumberedSections = 0;
  // Whether the section numbered 50 times Mark reports layout progress now: only the first
  // time it is laid out in a layout (a table lays its cells out more than once).
  bool FirstProgressInLayout(int Mark);

  // Runs the animation timer while some image animates.
  void EnableTimerForImages();
  // An object waiting for a promised image goes: it is no longer served.
  void ForgetWaiter(TObject* Waiter);

 private:
  int RunSelectionWalk(SelTextCount& Buffer);
  void Repaint();
  // Decodes image data and stores it in the cache under Key.
  TImageRef DecodeAndStore(const std::string& Key, const uint8_t* Data, size_t Size, bool Acquire,
                           int& Transparent, TBitmap*& Mask);
  TImageRef LoadFromSources(const std::string& Name, const std::string& Key, int& Transparent,
                            TBitmap*& Mask, bool& Delayed);

  // The deferred draws of the pass under way (TPaintContext::Deferred); one list for every
  // pass, so that its room is made once.
  TDrawList FDeferredDraws;
  // The background holds one use of its cache entry.
  bool FBackImageHeld = false;
  // IndexPositions' first pass only counts what AddPosition is given.
  bool FCountingPositions = false;
  size_t FPositionCount = 0;
  // A print copy's controls and panels have been marked unshown (they never show).
  bool FControlsUnshown = false;
  // The layout after a print pass lays out for the screen again: the animations go on
  // from the frames they showed.
  bool FKeepAnimations = false;
  // The layout in which each 50th numbered section last reported progress, by its number
  // over 50.
  std::vector<int> FProgressLayouts;
  // A GIF background shows its current frame, made into bitmaps of our own.
  std::unique_ptr<TBitmap> FBackFrame;
  std::unique_ptr<TBitmap> FBackFrameMask;
};
