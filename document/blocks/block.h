// Blocks: a box of margins, padding and borders around a cell of its own, which may float,
// be positioned or carry a list marker. The body block holds the whole body of a document.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "document/core/cells.h"
#include "document/core/document_objects.h"
#include "document/core/section_base.h"
#include "style/properties.h"
#include "style/units.h"

class TAttributeList;
class TBitmap;

// Border styles of a box side, as CSS names them.
enum class TBorderStyle : uint8_t {
  None, Solid, Dashed, Dotted, Double, Groove, Ridge, Inset, Outset
};

// A block's box values as given. Blocks with equal values share one array (a page has
// many blocks and few different boxes); a block that changes a value takes a copy of its
// own first.
class TBlockBoxValues {
 public:
  TBlockBoxValues();
  const TPropValue& operator[](int Index) const { return (*FValues)[Index]; }
  const TVMarginArray& Values() const { return *FValues; }
  // Shares the array made last when the values are equal (blocks in a row mostly carry
  // the same box), else takes a new one.
  void Assign(const TVMarginArray& Values);
  // The same for the box values of Prop.
  void Assign(const TProperties& Prop);
  void Set(int Index, const TPropValue& Value);
  // BoxToPixels then VerticalMarginsToPixels into Result. Blocks in a row convert the
  // same shared values alike: the last conversion is remembered.
  void ToPixels(int Width, int Height, int EmPixels, int ExPixels, int& AutoCount,
                TMarginArray& Result, bool& TopAuto, bool& BottomAuto) const;
  // True when the values give nothing but top and bottom margins, and those the same
  // whatever the width and height.
  bool OnlyVerticalMargins(int EmPixels, int ExPixels) const;

 private:
  std::shared_ptr<const TVMarginArray> FValues;
};

// Widths are not known while the document is built, so a vertical margin in percent counts
// against the nearest enclosing element that gives its width in a unit, or against a
// nominal width when none does.
constexpr int NominalWidth = 400;

class TBlock : public TSectionBase, public TDocBackgroundWaiter {
 public:
  // Takes the box values of Prop; Attributes may be null. The block is not yet in
  // OwnerCell: the builder adds it.
  TBlock(TSectionList* ADocument, const TAttributeList* Attributes, TCellBasic* AOwnerCell,
         const TProperties& Prop);
  // The print copy: the box and its settings, the content cloned into ADocument; a
  // background image only when the copy prints colours.
  TBlock(TSectionList* ADocument, const TBlock& Source);
  ~TBlock() override;
  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;

  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override;
  unsigned HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                       TDocControl*& FormControl, std::string& Title) override;
  bool HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY) override;
  int PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                      bool& InText) override;
  int FindText(std::string_view ToFind, int From, bool MatchCase) override;
  int DocToSourcePos(int DocPos) override;
  int SourceToDocPos(int SourcePos, bool Prev) override;
  bool PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y) override;
  bool CharAtPosition(int Pos, char& Ch, TObject*& Obj) override;
  void MeasureWidths(TCanvas* Canvas, int& Min, int& Max) override;
  void MeasureFitWidths(TCanvas* Canvas, int& Min, int& Max) override;
  void CopySelection() override;
  void RegisterPositions() override;
  TMarginDrop DropBottomMargin() override;
  bool IsFloating() const override { return FFloat != TFloatSide::None; }
  bool IsAbsolutelyPositioned() const override {
    return FPositioning == TPositionKind::Absolute;
  }
  bool TakeBottomMargin(int& Bottom) override;

  // Gives the block a bottom margin of ParagraphMargin pixels carrying the default mark.
  void SetDefaultBottomMargin();
  // In a standards document the bottom margin of the last block in a box whose bottom is
  // open (no border or padding below, no height given) collapses through it: the block
  // takes that margin into its own once its content is complete.
  void CollapseLastBottomMargin();
  // In a standards document a box whose bottom is closed (a border, padding or height, or
  // a float, inline block or absolute box) keeps the default bottom margin of its last
  // block inside it, as browsers do; elsewhere that margin moves out to the box.
  bool KeepsLastDefaultMargin() const;
  // True when the block's box is nothing but top and bottom margins that no width or
  // height changes (no padding, border, side margin, size, background, positioning or
  // class): then Top and Bottom are those margins in pixels and BottomIsDefault says
  // whether the bottom one is the default paragraph spacing.
  bool OnlyVerticalSpacing(int& Top, int& Bottom, bool& BottomIsDefault) const;

  // Makes the block an inline block: it shrinks to its content as a float does and holds
  // its content's margins inside it, as the line it stands in holds it whole.
  void MakeInlineBlock();
  bool IsInlineBlock() const { return FInlineBlock; }
  // The width of the margin box at the last layout.
  int MarginBoxWidth() const;

  // The width of the content box for an available width of AWidth; settles auto side
  // margins (a box of a given width with both margins auto is centred).
  virtual int ComputeContentWidth(TCanvas* Canvas, int AWidth);

  // Default spacing of paragraphs, in pixels.
  static constexpr int ParagraphMargin = 14;

  // The tag name, with ".class" when the element has a class.
  std::string TagClass() const;
  // The background image's name; empty when the block has none.
  const std::string& BGImageName() const;
  // The promised background picture has come: it is taken from the cache.
  void BackImageDelivered() override;

  TBlockCell MyCell;
  TCellBasic* OwnerCell = nullptr;  // not owned
  TBlockBoxValues MargArrayO;       // the box values as given
  TMarginArray MargArray{};         // in pixels after the last layout
  int FEmSize = 16;
  int FExSize = 8;
  bool FTopAuto = false;
  bool FBottomAuto = false;  // the bottom margin is the default paragraph spacing
  bool FNotDisplayed = false;  // display none: no room, no positions, nothing painted
  bool FBreakBefore = false;   // printing: a new page starts at the block
  bool FBreakAfter = false;    // printing: a new page starts after the block
  bool FAvoidBreakInside = false;
  // Absolute or relative: painted and laid out moved by FPosLeft, FPosTop from where the
  // flow had the block (an absolute one takes no room there).
  TPositionKind FPositioning = TPositionKind::Static;
  int FPosTop = 0;
  int FPosLeft = 0;
  TVisibility FVisibility = TVisibility::Visible;  // hidden: laid out, not painted
  int FContentTop = 0;
  int FContentLeft = 0;
  int FBoxLeft = 0;  // the box's left edge at the last layout
  int FContentOffset = 0;  // X of the content relative to the X given to Layout
  int FContentWidth = 0;
  TFloatSide FFloat = TFloatSide::None;
  TClearSides FClear = TClearSides::None;
  int FClearShift = 0;      // how far the block moved down to clear floats
  TColor FBkColor = NoColour;
  int FBlockBottom = 0;     // bottom of the content box from the last layout
  bool FHangingMarkers = false;  // a list whose items draw markers left of their content
  bool FInlineBlock = false;
  // The top margin adjoins the top of the block holding this one (a standards document,
  // the first block in a box whose top is open): they collapse into one, held outermost.
  bool FTopJoinsOwner = false;

  // Paints the background and the border of the box whose top (client Y) is Y.
  void PaintBox(TCanvas* Canvas, const TPaintContext& Context, int X, int Y);
  // Draws the block's cell with its content's top at Top (document Y), as the current block.
  void DrawContent(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int Top,
                   int XRef, int YRef);

 private:
  // Collapses the top margin with the bottom margin of the section before in the owner
  // cell, which gives its margin up; a first block in a division or cell loses a default
  // top margin.
  // Collapses the top margin with the neighbour before; gives the margin of the box around
  // that the block's own collapsed through (0 when none).
  int CollapseTopMargin();
  // The block whose content holds this one, when it is a block's.
  TBlock* OwnerBlock() const;
  // Where the content starts relative to X, beside the floats at T for a floated block.
  int ContentOffset(IndentManager* IMgr, int X, int T, int AWidth) const;
  // The box's widths around Min and Max of its content.
  void AddBoxWidths(int& Min, int& Max);

  // What few blocks have: a page keeps many blocks, so these are made only when an
  // element brings one.
  struct TBlockExtras {
    std::string ElementClass;
    std::string FBGImageName;
    TBackgroundPositions FBackPos{};
    TBitmap* FBackImage = nullptr;  // the cache's, held while the block lives
    TBitmap* FBackMask = nullptr;
    bool FBackLoaded = false;
    bool FBackWaiting = false;  // in the document's list of promised pictures
    // Each side's border colour, the text colour where none is given.
    std::array<TColor, 4> FBorderColors{};  // top, right, bottom, left
    std::array<TBorderStyle, 4> FBorderStyles{};  // top, right, bottom, left
    std::string FTitle;   // the element's title, shown over the box
    TRect FScreenRect{};  // the border box where it was last painted, document coordinates
    // An absolute box's "right" offset, when it has one and its "left" is auto.
    std::string FRightOffset;
    // "bottom" of a relative or absolute box whose "top" is auto, and "right" of a
    // relative one whose "left" is.
    std::string FBottomOffset, FRelativeRight;
    // Where "bottom" put an absolute box's top margin edge, from its containing block's
    // padding top, once that block was laid out.
    bool FBottomPlaced = false;
    int FBottomTop = 0;
  };
  // Places the absolute boxes of Boxes (laid out with this block as their containing
  // block, whose padding box is PaddingHeight tall) by their "bottom"; true when one of
  // them moved, and the content is to be laid out again.
  static bool PlaceByBottom(const std::vector<TSectionBase*>& Boxes, int PaddingHeight);
  TBlockExtras& Extras();
  // The border box of the block drawn at X with its top (client Y) at Y, the document
  // scrolled by ScrollY.
  TRect BorderBox(int X, int Y, int ScrollY) const;
  // The body's title holds everywhere.
  virtual bool IsBody() const { return false; }
  // Whether the bottom margin of the last block stays inside the box whatever its edges.
  virtual bool KeepsBottomMarginApart() const { return false; }
  // A border, padding or height below, or a float, inline block or absolute box: the
  // margins inside stay apart from those after it.
  bool BottomClosed() const;
  // Printing: ends the page at the block's top when it asks to start a page or to stay
  // whole; false when the block is then not to be painted on this page.
  bool PaintsOnThisPage(TPaintContext& Context);
  // Gets the background image from the document's cache or its sources, once.
  void LoadBackImage();
  // Tiles the background image over the padding box, cut to Clip.
  void TileBackImage(TCanvas* Canvas, const TRect& Padding, const TRect& Clip);
  std::unique_ptr<TBlockExtras> FExtras;
};

// Gets a still image for a box (a background or a list marker) from the document's cache
// or its sources; false, and nothing held, when images are off or it cannot be had (an
// animation or one still on its way counts as missing). Name may be expanded to a file.
// A true answer holds a use of the cache entry that the caller releases. Delayed, when
// given, tells whether the host promised the picture for later.
bool FetchStillImage(TSectionList* Document, std::string& Name, TBitmap*& Image, TBitmap*& Mask,
                     bool* Delayed = nullptr);

// Tiles Image (through Mask when there is one) over the padding box from Positions, cut to
// Clip: blocks and table cells paint their background images so.
void TileBackground(TCanvas* Canvas, TBitmap* Image, TBitmap* Mask,
                    const TBackgroundPositions& Positions, const TRect& Padding, const TRect& Clip);

// The block of the whole body: its margins are the document margins, its colour the page's
// unless the root element gives the page one.
class TBodyBlock : public TBlock {
 public:
  // As a block; a background colour becomes the document's page colour.
  TBodyBlock(TSectionList* ADocument, const TAttributeList* Attributes, TCellBasic* AOwnerCell,
             const TProperties& Prop);
  TBodyBlock(TSectionList* ADocument, const TBodyBlock& Source);
  std::unique_ptr<TSectionBase> CreateClone(TSectionList* ADocument) const override;
  int Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
             IndentManager* IMgr, int& MaxWidth, int& Curs) override;
  int Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
           int YRef) override;

  // The root element's colour for the page: the body then paints its own colour in its box.
  void SetPageColor(TColor Color);

 private:
  bool IsBody() const override { return true; }
  bool KeepsBottomMarginApart() const override { return !FBottomMarginGiven; }
  TColor FOwnColor = NoColour;
  bool FBottomMarginGiven = false;  // by a style, not by the viewer's page margins
};
