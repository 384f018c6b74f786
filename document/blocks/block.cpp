#include "document/blocks/block.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "document/core/indent_manager.h"
#include "document/core/section_list.h"
#include "style/border_colors.h"
#include "style/box_values.h"
#include "style/units.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/screen.h"

namespace {

// The last answers of the box conversions, shared by all documents. Blocks in a row mostly
// share one box, so the builder asks each conversion the same question many times over.
// Every answer is a pure function of the question: values are compared by address, and the
// cache holds them so that an address cannot come back as other values.
struct TBoxValuesCache {
  // The array Assign made last.
  std::shared_ptr<const TVMarginArray> Assigned;

  struct TVerticalOnly {
    std::shared_ptr<const TVMarginArray> Values;
    int Em = 0, Ex = 0, Ppi = 0;
    bool Answer = false;
  } VerticalOnly;

  // The conversion reads the values, the sizes, the screen resolution and what Result
  // held (border widths without a value keep it).
  struct TPixels {
    std::shared_ptr<const TVMarginArray> Values;
    int Width = 0, Height = 0, Em = 0, Ex = 0, Ppi = 0;
    TMarginArray Before{}, After{};
    int AutoCount = 0;
    bool TopAuto = false, BottomAuto = false;
  } Pixels;
};

constinit TBoxValuesCache BoxValuesCache;


bool PercentIn(const TPropValue& V) { return V.IsString() && V.AsString().ends_with('%'); }

int ContainingWidth(const TProperties& Prop) {
  const TPropStack* Stack = Prop.PropStack();
  const int Index = Prop.PropStackIndex();
  if (!Stack || Index < 1 || Index >= Stack->Count() || &(*Stack)[Index] != &Prop)
    return NominalWidth;
  for (int I = Index - 1; I >= 1; --I) {
    const TProperties& Outer = (*Stack)[I];
    const TPropValue& W = Outer[piWidth];
    if (W.IsInteger() && W.AsInteger() >= 0) return W.AsInteger();
    if (W.IsString() && !PercentIn(W) && W.AsString() != "auto") {
      const int Px = LengthToPixels(W.AsString(), false, 0, Outer.OwnEmPixels(),
                                    Outer.OwnExPixels(), -1);
      if (Px >= 0) return Px;
    }
  }
  return NominalWidth;
}

}  // namespace

TBlockBoxValues::TBlockBoxValues() {
  static const std::shared_ptr<const TVMarginArray> Empty = std::make_shared<TVMarginArray>();
  FValues = Empty;
}

void TBlockBoxValues::Assign(const TProperties& Prop) {
  const std::shared_ptr<const TVMarginArray>& Last = BoxValuesCache.Assigned;
  if (Last && Prop.SameBoxValues(*Last)) {
    FValues = Last;
    return;
  }
  TVMarginArray Values;
  Prop.BoxValues(Values);
  Assign(Values);
}

void TBlockBoxValues::Assign(const TVMarginArray& Values) {
  std::shared_ptr<const TVMarginArray>& Last = BoxValuesCache.Assigned;
  if (Last && *Last == Values) {
    FValues = Last;
  } else {
    FValues = std::make_shared<const TVMarginArray>(Values);
    Last = FValues;
  }
}

bool TBlockBoxValues::OnlyVerticalMargins(int EmPixels, int ExPixels) const {
  TBoxValuesCache::TVerticalOnly& Last = BoxValuesCache.VerticalOnly;
  const int Ppi = ScreenPixelsPerInch();
  if (Last.Values == FValues && Last.Em == EmPixels && Last.Ex == ExPixels && Last.Ppi == Ppi)
    return Last.Answer;
  auto At = [](int Index) { return Index - BoxFirst; };
  bool Answer = true;
  int Top = 0, Bottom = 0;
  // Two different sizes: anything in percent shows as a difference.
  for (const int Size : {320, 1000}) {
    TMarginArray Px{};
    int AutoCount = 0;
    bool TopAuto = false, BottomAuto = false;
    BoxToPixels(*FValues, Size, Size, EmPixels, ExPixels, AutoCount, Px);
    VerticalMarginsToPixels(*FValues, Size, EmPixels, ExPixels, Px, TopAuto, BottomAuto);
    if (Px[At(piBackgroundColor)] != int(NoColour) || Px[At(piWidth)] != AutoValue ||
        Px[At(piHeight)] != 0)
      Answer = false;
    for (const int Index : {piMarginLeft, piMarginRight, piPaddingTop, piPaddingRight,
                            piPaddingBottom, piPaddingLeft, piBorderTopWidth, piBorderRightWidth,
                            piBorderBottomWidth, piBorderLeftWidth})
      if (Px[At(Index)] != 0) Answer = false;
    if (Size != 320 &&
        (Px[At(piMarginTop)] != Top || Px[At(piMarginBottom)] != Bottom))
      Answer = false;
    Top = Px[At(piMarginTop)];
    Bottom = Px[At(piMarginBottom)];
  }
  Last.Values = FValues;
  Last.Em = EmPixels;
  Last.Ex = ExPixels;
  Last.Ppi = Ppi;
  Last.Answer = Answer;
  return Answer;
}

void TBlockBoxValues::Set(int Index, const TPropValue& Value) {
  if ((*FValues)[Index] == Value) return;
  auto Copy = std::make_shared<TVMarginArray>(*FValues);
  (*Copy)[Index] = Value;
  FValues = std::move(Copy);
}

void TBlockBoxValues::ToPixels(int Width, int Height, int EmPixels, int ExPixels,
                               int& AutoCount, TMarginArray& Result, bool& TopAuto,
                               bool& BottomAuto) const {
  TBoxValuesCache::TPixels& Last = BoxValuesCache.Pixels;
  const int Ppi = ScreenPixelsPerInch();
  if (Last.Values == FValues && Last.Width == Width && Last.Height == Height &&
      Last.Em == EmPixels && Last.Ex == ExPixels && Last.Ppi == Ppi && Last.Before == Result) {
    Result = Last.After;
    AutoCount = Last.AutoCount;
    TopAuto = Last.TopAuto;
    BottomAuto = Last.BottomAuto;
    return;
  }
  Last.Before = Result;
  BoxToPixels(*FValues, Width, Height, EmPixels, ExPixels, AutoCount, Result);
  VerticalMarginsToPixels(*FValues, Height, EmPixels, ExPixels, Result, TopAuto, BottomAuto);
  Last.Values = FValues;
  Last.Width = Width;
  Last.Height = Height;
  Last.Em = EmPixels;
  Last.Ex = ExPixels;
  Last.Ppi = Ppi;
  Last.After = Result;
  Last.AutoCount = AutoCount;
  Last.TopAuto = TopAuto;
  Last.BottomAuto = BottomAuto;
}

TBlock::TBlock(TSectionList* ADocument, const TAttributeList*, TCellBasic* AOwnerCell,
               const TProperties& Prop)
    : TSectionBase(ADocument), MyCell(ADocument), OwnerCell(AOwnerCell) {
  MargArrayO.Assign(Prop);
  if (!Prop.FElementClass.empty()) Extras().ElementClass = Prop.FElementClass;
  // A title holds over the element and what it holds, as the text runs inside carry it.
  if (!Prop.FTitleText.empty()) Extras().FTitle = Prop.FTitleText;
  FBkColor = Prop.BackgroundColorValue();
  FNotDisplayed = Prop.DisplaysNothing();
  FVisibility = Prop.VisibilityKind();
  Prop.PageBreakFlags(FBreakBefore, FBreakAfter, FAvoidBreakInside);
  FPositioning = Prop.PositionKind();
  if (TFloatSide side = TFloatSide::None; Prop.FloatSide(side)) FFloat = side;
  // Positioned boxes stack by their z-index (an absolute one with none above the flow);
  // floats paint above the blocks they overlap.
  if (FPositioning != TPositionKind::Static) {
    const long long level = 10LL * Prop.StackOrder();
    FStackLevel = int(std::clamp<long long>(level, -1000000000LL, 1000000000LL));
    if (FPositioning == TPositionKind::Absolute && FStackLevel == 0) FStackLevel = 1;
  }
  if (FFloat != TFloatSide::None && FStackLevel == 0) FStackLevel = 1;
  if (FPositioning == TPositionKind::Absolute) FFloat = TFloatSide::None;
  if (FPositioning == TPositionKind::Absolute && Prop[piRight].IsString() &&
      Prop[piRight].AsString() != "auto" && Prop.RightOffset(0) != AutoValue) {
    const TPropValue& given = Prop[piLeft];
    if (!given.IsString() || given.AsString() == "auto")
      Extras().FRightOffset = Prop[piRight].AsString();
  }
  if (FPositioning == TPositionKind::Absolute && Prop[piBottom].IsString() &&
      Prop[piBottom].AsString() != "auto" && Prop.BottomOffset(0) != AutoValue) {
    const TPropValue& given = Prop[piTop];
    if (!given.IsString() || given.AsString() == "auto")
      Extras().FBottomOffset = Prop[piBottom].AsString();
  }
  if (FPositioning == TPositionKind::Relative) {
    auto given = [&](int index) {
      const TPropValue& v = Prop[index];
      return v.IsString() && v.AsString() != "auto" && v.AsString() != "inherit";
    };
    if (!given(piTop) && given(piBottom) && Prop.BottomOffset(0) != AutoValue)
      Extras().FBottomOffset = Prop[piBottom].AsString();
    if (!given(piLeft) && given(piRight) && Prop.RightOffset(0) != AutoValue)
      Extras().FRelativeRight = Prop[piRight].AsString();
  }
  if (TClearSides clear = TClearSides::None; Prop.ClearSides(clear)) FClear = clear;
  if (Prop.HasBorderStyle()) {
    static constexpr std::pair<std::string_view, TBorderStyle> Names[] = {
        {"solid", TBorderStyle::Solid},   {"dashed", TBorderStyle::Dashed},
        {"dotted", TBorderStyle::Dotted}, {"double", TBorderStyle::Double},
        {"groove", TBorderStyle::Groove}, {"ridge", TBorderStyle::Ridge},
        {"inset", TBorderStyle::Inset},   {"outset", TBorderStyle::Outset}};
    TBlockExtras& extras = Extras();
    const TColor textColor = TColor(Prop[piColor].AsInteger());
    extras.FBorderColors = BorderColorsOf(Prop[piBorderColor]);
    for (TColor& color : extras.FBorderColors)
      if (color == NoColour) color = textColor;
    for (int side = 0; side < 4; ++side) {
      const TPropValue& v = Prop[piBorderTopStyle + side];
      if (!v.IsString()) continue;
      for (const auto& [name, style] : Names)
        if (v.AsString() == name) extras.FBorderStyles[side] = style;
    }
  }
  // Lengths in em and ex count in the element's own font.
  if (const int em = Prop.OwnEmPixels(); em > 0) {
    FEmSize = em;
    FExSize = Prop.OwnExPixels();
  }
  // The page paints the body's image.
  if (std::string image;
      Prop.FTagName != "body" && Prop.BackgroundImageName(image) && !image.empty()) {
    TBlockExtras& extras = Extras();
    extras.FBGImageName = image;
    Prop.BackgroundPlacement(FEmSize, FExSize, extras.FBackPos);
  }
  MyCell.FOwnerElement = Prop.FTagName;
  MyCell.FOwnerBox = this;
  // The vertical margins are settled now, once: collapsing them with the neighbours
  // happens while the document is built.
  const TVMarginArray& Given = MargArrayO.Values();
  const int MarginBase = PercentIn(Given[piMarginTop - BoxFirst]) ||
                                 PercentIn(Given[piMarginBottom - BoxFirst])
                             ? ContainingWidth(Prop)
                             : NominalWidth;
  VerticalMarginsToPixels(Given, MarginBase, FEmSize, FExSize, MargArray, FTopAuto,
                          FBottomAuto);
  const int through = CollapseTopMargin();
  if (FDocument && FDocument->StandardsMode && FFloat == TFloatSide::None &&
      FPositioning != TPositionKind::Absolute) {
    TMarginArray box{};
    int autos = 0;
    BoxToPixels(MargArrayO.Values(), NominalWidth, 0, FEmSize, FExSize, autos, box);
    const int top = MargArray[piMarginTop - BoxFirst];
    if (box[piPaddingTop - BoxFirst] == 0 && box[piBorderTopWidth - BoxFirst] == 0 && top >= 0)
      MyCell.FOpenTopMargin = int16_t(std::min(through + top, 32767));
  }
}

TBlock::TBlock(TSectionList* ADocument, const TBlock& Source)
    : TSectionBase(ADocument, Source),
      MyCell(ADocument, Source.MyCell),
      MargArrayO(Source.MargArrayO),
      MargArray(Source.MargArray),
      FEmSize(Source.FEmSize),
      FExSize(Source.FExSize),
      FTopAuto(Source.FTopAuto),
      FBottomAuto(Source.FBottomAuto),
      FNotDisplayed(Source.FNotDisplayed),
      FBreakBefore(Source.FBreakBefore),
      FBreakAfter(Source.FBreakAfter),
      FAvoidBreakInside(Source.FAvoidBreakInside),
      FPositioning(Source.FPositioning),
      FVisibility(Source.FVisibility),
      FFloat(Source.FFloat),
      FClear(Source.FClear),
      FBkColor(Source.FBkColor),
      FHangingMarkers(Source.FHangingMarkers),
      FInlineBlock(Source.FInlineBlock) {
  MyCell.FOwnerBox = this;
  if (Source.FExtras) {
    FExtras = std::make_unique<TBlockExtras>(*Source.FExtras);
    // The copy asks the shared cache for the image when it is laid out.
    FExtras->FBackImage = FExtras->FBackMask = nullptr;
    FExtras->FBackLoaded = false;
    if (ADocument && !ADocument->PrintColors) FExtras->FBGImageName.clear();
  }
}

std::unique_ptr<TSectionBase> TBlock::CreateClone(TSectionList* ADocument) const {
  return std::make_unique<TBlock>(ADocument, *this);
}

TBlock::~TBlock() {
  if (FExtras && FExtras->FBackWaiting && FDocument) FDocument->ForgetWaiter(this);
  if (FExtras && FExtras->FBackImage && FDocument && FDocument->ImageCache)
    FDocument->ImageCache->Release(ImageCacheKey(FExtras->FBGImageName));
}

TBodyBlock::TBodyBlock(TSectionList* ADocument, const TAttributeList* Attributes,
                       TCellBasic* AOwnerCell, const TProperties& Prop)
    : TBlock(ADocument, Attributes, AOwnerCell, Prop) {
  FFloat = TFloatSide::None;
  FClear = TClearSides::None;
  // The page behind the body takes its colour: the body paints only its border.
  const TColor Color = Prop.BackgroundColorValue();
  if (Color != NoColour && ADocument) ADocument->SetBackgroundColor(Color);
  FBkColor = NoColour;
  FOwnColor = Color;
  // Only margins the style gives collapse with the content's: the page margins the viewer
  // sets (which the body carries when no style gives one) frame the page.
  const TVMarginArray& given = MargArrayO.Values();
  if (!given[piMarginTop - BoxFirst].IsString()) MyCell.FOpenTopMargin = -1;
  FBottomMarginGiven = given[piMarginBottom - BoxFirst].IsString();
  // The viewer tiles the page's image in both directions; a body image that repeats
  // otherwise is left out rather than shown wrongly.
  std::string image;
  if (ADocument && Prop.BackgroundImageName(image) && !image.empty()) {
    TBackgroundPositions placement;
    Prop.BackgroundPlacement(FEmSize, FExSize, placement);
    if (placement[0].Repeat && placement[1].Repeat) {
      ADocument->SetBackgroundImageName(image);
      ADocument->BackImageFixed = Prop.FBackgroundAttachment == TBackgroundAttachment::Fixed;
    }
  }
}

TBlock::TBlockExtras& TBlock::Extras() {
  if (!FExtras) FExtras = std::make_unique<TBlockExtras>();
  return *FExtras;
}

std::string TBlock::TagClass() const {
  if (!FExtras || FExtras->ElementClass.empty()) return MyCell.FOwnerElement.Str();
  return MyCell.FOwnerElement.Str() + "." + FExtras->ElementClass;
}

const std::string& TBlock::BGImageName() const {
  static const std::string None;
  return FExtras ? FExtras->FBGImageName : None;
}

int TBlock::Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
                   IndentManager* IMgr, int& MaxWidth, int& Curs) {
  if (FNotDisplayed) {
    FLayoutY = FBoxTop = FBoxBottom = FPaintTop = FPaintBottom = Y;
    FFlowHeight = FPaintHeight = 0;
    FStartPos = Curs;
    FPosCount = 0;
    MaxWidth = 0;
    return 0;
  }
  FLayoutY = Y;
  FClearShift = 0;
  if (FClear != TClearSides::None && IMgr && FPositioning != TPositionKind::Absolute) {
    int CL = 0, CR = 0;
    IMgr->ClearLevels(CL, CR);
    const int level = FClear == TClearSides::Left    ? CL
                      : FClear == TClearSides::Right ? CR
                                                     : std::max(CL, CR);
    // In a standards document a block in the flow keeps its top margin within the clearance:
    // its border edge goes just below the floats, or where the margin puts it when lower.
    const bool marginWithin = FDocument && FDocument->StandardsMode && FFloat == TFloatSide::None;
    const int margin = marginWithin ? std::max(0, MargArray[piMarginTop - BoxFirst]) : 0;
    FClearShift = std::max(0, level - Y - 1 - margin);
  }
  int T = Y + FClearShift;
  int autoCount = 0;
  // The vertical margins were settled when the block was made (collapsed with the block
  // before): a new width must not undo that.
  const int topMargin = MargArray[piMarginTop - BoxFirst];
  const int bottomMargin = MargArray[piMarginBottom - BoxFirst];
  bool topAuto = false, bottomAuto = false;
  MargArrayO.ToPixels(AWidth, AHeight, FEmSize, FExSize, autoCount, MargArray, topAuto,
                      bottomAuto);
  MargArray[piMarginTop - BoxFirst] = topMargin;
  MargArray[piMarginBottom - BoxFirst] = bottomMargin;
  FContentWidth = ComputeContentWidth(Canvas, AWidth);
  auto px = [&](int Index) { return MargArray[Index - BoxFirst]; };
  const int left = px(piMarginLeft) + px(piPaddingLeft) + px(piBorderLeftWidth);
  const int right = px(piMarginRight) + px(piPaddingRight) + px(piBorderRightWidth);
  FPosTop = FPosLeft = 0;
  const int topOffset = px(piTop), leftOffset = px(piLeft);
  if (FPositioning == TPositionKind::Relative) {
    // Auto offsets move nothing.
    FPosTop = topOffset == AutoValue ? 0 : topOffset;
    FPosLeft = leftOffset == AutoValue ? 0 : leftOffset;
    // "bottom" and "right" move the box up and left by as much.
    if (topOffset == AutoValue && FExtras && !FExtras->FBottomOffset.empty())
      FPosTop = -LengthToPixels(FExtras->FBottomOffset, false, AHeight, FEmSize, FExSize, 0);
    if (leftOffset == AutoValue && FExtras && !FExtras->FRelativeRight.empty())
      FPosLeft = -LengthToPixels(FExtras->FRelativeRight, false, AWidth, FEmSize, FExSize, 0);
  } else if (FPositioning == TPositionKind::Absolute) {
    // Offsets count from the padding box of the nearest positioned box (the page's corner
    // when there is none); an auto offset keeps the place the box had in the flow. Both
    // are kept as a shift from that place, so that the box paints and answers as a moved
    // relative one does.
    int top = topOffset;
    if (top == AutoValue && FExtras && !FExtras->FBottomOffset.empty()) {
      // From the bottom instead: where the containing block put it when last laid out; it
      // places the box again once its height is known.
      if (FExtras->FBottomPlaced) top = FExtras->FBottomTop;
      if (IMgr && IMgr->FBottomBoxes) IMgr->FBottomBoxes->push_back(this);
    }
    FPosTop = top == AutoValue ? 0 : YRef + top - Y;
    FPosLeft = leftOffset == AutoValue ? 0 : XRef + leftOffset - X;
    if (leftOffset == AutoValue && FExtras && !FExtras->FRightOffset.empty() && IMgr) {
      // From the right edge instead: the margin box ends the offset short of it.
      const int refRight =
          IMgr->FRefRight != IndentManager::NoRefRight ? IMgr->FRefRight : IMgr->FWidth;
      const int rightOffset = LengthToPixels(FExtras->FRightOffset, false, refRight - XRef,
                                             FEmSize, FExSize, 0);
      FPosLeft = refRight - rightOffset - (FContentWidth + left + right) - X;
    }
  }
  if (FFloat != TFloatSide::None && IMgr) {
    // A float with no room beside the floats already there goes down below them.
    T = IMgr->FloatTop(T, X, FContentWidth + left + right);
    FClearShift = T - Y;
  }
  FContentOffset = ContentOffset(IMgr, X, T, AWidth);
  // An absolute block is laid out where it stands, so that it answers there before any
  // paint; a relative one is only painted moved.
  if (FPositioning == TPositionKind::Absolute) FContentOffset += FPosLeft;
  if (FExtras) LoadBackImage();
  FContentLeft = X + FContentOffset;
  FContentTop = T + topMargin + px(piPaddingTop) + px(piBorderTopWidth);
  FBoxTop = FContentTop;
  FBoxLeft = FContentLeft;
  MyCell.FFloats = IMgr;
  // The content sees the box's edges as its own: records owned by this block, so that
  // neither the sections around the block nor a sibling block are narrowed by them.
  // The edges start where the content is laid out: a positioned box may stand above the
  // place the flow has reached.
  const int contentTop = FContentTop + FPosTop;
  const void* outerBlock = IMgr ? IMgr->FCurrentBlock : nullptr;
  int leftRec = -1, rightRec = -1;
  const IndentManager::TFloatMark floatMark = IMgr ? IMgr->MarkFloats() : IndentManager::TFloatMark{};
  if (IMgr) {
    IMgr->FCurrentBlock = this;
    leftRec = IMgr->PushLeft(FContentLeft, contentTop);
    rightRec = IMgr->PushRight(FContentLeft + FContentWidth, contentTop);
  }
  int sw = 0;
  const int heightValue = std::max(0, px(piHeight));
  // A positioned box is the reference of the absolute boxes inside it: its padding box.
  if (FPositioning != TPositionKind::Static) {
    const int shift = FPositioning == TPositionKind::Relative ? FPosLeft : 0;
    XRef = FContentLeft + shift - px(piPaddingLeft);
    YRef = FContentTop + FPosTop - px(piPaddingTop);
  }
  const int outerRefRight = IMgr ? IMgr->FRefRight : 0;
  if (IMgr && FPositioning != TPositionKind::Static) {
    const int shift = FPositioning == TPositionKind::Relative ? FPosLeft : 0;
    IMgr->FRefRight = FContentLeft + shift + FContentWidth + px(piPaddingRight);
  }
  // A positioned block's content is placed moved down; the flow goes on as if it were not.
  const int outerIndentBase = IMgr ? IMgr->FIndentBase : -1;
  if (IMgr && !dynamic_cast<TBodyBlock*>(this)) IMgr->FIndentBase = AWidth;
  // The absolute boxes that count from this block's bottom: laid out once, placed, and laid
  // out again where they belong (the content again with them, so that everything that
  // holds them knows where they went). Floats inside would be recorded twice: a block
  // holding any keeps the first placement.
  const bool placesBottoms = IMgr && (FPositioning != TPositionKind::Static || IsBody());
  std::vector<TSectionBase*> bottomBoxes;
  std::vector<TSectionBase*>* const outerBottomBoxes = IMgr ? IMgr->FBottomBoxes : nullptr;
  if (placesBottoms) IMgr->FBottomBoxes = &bottomBoxes;
  const int startCurs = Curs;
  MyCell.DoLayout(Canvas, FContentLeft, contentTop, XRef, YRef, FContentWidth, AHeight, sw, Curs);
  auto contentBottom = [&] {
    int bottom = std::max(FContentTop, MyCell.FCellBoxBottom - FPosTop);
    if (IMgr && (FFloat != TFloatSide::None || FPositioning == TPositionKind::Absolute))
      bottom = std::max(bottom, IMgr->FloatBottomSince(floatMark, 0) - FPosTop);
    return std::max(bottom, FContentTop + heightValue);
  };
  if (placesBottoms) {
    IMgr->FBottomBoxes = outerBottomBoxes;
    const IndentManager::TFloatMark after = IMgr->MarkFloats();
    const int paddingHeight =
        IsBody() ? AHeight
                 : contentBottom() + px(piPaddingBottom) - (FContentTop - px(piPaddingTop));
    if (!bottomBoxes.empty() && PlaceByBottom(bottomBoxes, paddingHeight) &&
        after.Left == floatMark.Left && after.Right == floatMark.Right) {
      Curs = startCurs;
      sw = 0;
      MyCell.DoLayout(Canvas, FContentLeft, contentTop, XRef, YRef, FContentWidth, AHeight, sw,
                      Curs);
    }
  }
  if (IMgr) {
    IMgr->FIndentBase = outerIndentBase;
    IMgr->FRefRight = outerRefRight;
    IMgr->PopRight(rightRec);
    IMgr->PopLeft(leftRec);
    IMgr->FCurrentBlock = outerBlock;
  }
  const int shift = FPositioning == TPositionKind::Absolute ? FPosLeft : 0;
  MaxWidth = std::max(sw + left + right + shift, 0);
  // A float or an absolute box holds the floats inside it; a block in the flow does not.
  FBlockBottom = contentBottom();
  const int belowContent = px(piPaddingBottom) + px(piBorderBottomWidth);
  FBoxBottom = FBlockBottom + belowContent + bottomMargin;
  FFlowHeight = FBoxBottom - Y;
  // A negative top margin paints above Y; the content may reach outside the box.
  FPaintTop = std::min(T + std::min(0, topMargin), MyCell.FCellPaintTop);
  FPaintBottom = std::max(FBlockBottom + FPosTop, MyCell.FCellPaintBottom) + belowContent;
  FPaintTop = std::min(FPaintTop, FPaintTop + FPosTop);
  FStartPos = MyCell.FStartPos;
  FPosCount = MyCell.FPosCount;
  if (FPositioning == TPositionKind::Absolute) {
    // Out of the flow: no room, no float record; painted where it stands.
    FPaintTop = std::min(T + FPosTop + std::min(0, topMargin), MyCell.FCellPaintTop);
    FBoxBottom = Y;
    FPaintHeight = FPaintBottom - FPaintTop;
    FFlowHeight = 0;
    return 0;
  }
  if (FFloat != TFloatSide::None && IMgr) {
    // The float takes no room in the flow: it leaves a record that narrows what follows
    // down to its bottom margin. Its box bottom stays, so that the block holding it reaches
    // down past it.
    const int bottom = std::max(FPaintBottom, FBoxBottom);
    if (FFloat == TFloatSide::Left)
      IMgr->AddBlockFloat(T, FContentLeft + FContentWidth + right, TFloatSide::Left, bottom - T);
    else
      IMgr->AddBlockFloat(T, FContentWidth + left + right, TFloatSide::Right, bottom - T);
    FPaintHeight = FPaintBottom - FPaintTop;
    FFlowHeight = 0;
    return 0;
  }
  // Floats inside that reach below the box are painted with it.
  if (IMgr) FPaintBottom = std::max(FPaintBottom, IMgr->FloatBottom());
  FPaintHeight = FPaintBottom - FPaintTop;
  return FFlowHeight;
}

bool TBlock::PlaceByBottom(const std::vector<TSectionBase*>& Boxes, int PaddingHeight) {
  bool moved = false;
  for (TSectionBase* Box : Boxes) {
    auto* B = static_cast<TBlock*>(Box);
    if (!B->FExtras) continue;
    auto px = [&](int Index) { return B->MargArray[Index - BoxFirst]; };
    const int height = B->FBlockBottom + px(piPaddingBottom) + px(piBorderBottomWidth) +
                       px(piMarginBottom) - B->FLayoutY;
    const int bottom = LengthToPixels(B->FExtras->FBottomOffset, false, PaddingHeight,
                                      B->FEmSize, B->FExSize, 0);
    const int top = PaddingHeight - bottom - height;
    moved = moved || !B->FExtras->FBottomPlaced || B->FExtras->FBottomTop != top;
    B->FExtras->FBottomPlaced = true;
    B->FExtras->FBottomTop = top;
  }
  return moved;
}

int TBlock::ContentOffset(IndentManager* IMgr, int X, int T, int AWidth) const {
  auto px = [&](int Index) { return MargArray[Index - BoxFirst]; };
  const int left = px(piMarginLeft) + px(piPaddingLeft) + px(piBorderLeftWidth);
  if (FFloat == TFloatSide::None || !IMgr) return left;
  if (FFloat == TFloatSide::Left) return std::max(X, IMgr->LeftEdgeAt(T)) + left - X;
  const int right = px(piMarginRight) + px(piPaddingRight) + px(piBorderRightWidth);
  return std::max(left, std::min(AWidth, IMgr->RightEdgeAt(T) - X) - right - FContentWidth);
}

int TBlock::ComputeContentWidth(TCanvas* Canvas, int AWidth) {
  int& leftMargin = MargArray[piMarginLeft - BoxFirst];
  int& rightMargin = MargArray[piMarginRight - BoxFirst];
  int& width = MargArray[piWidth - BoxFirst];
  auto px = [&](int Index) { return MargArray[Index - BoxFirst]; };
  const int extra = px(piPaddingLeft) + px(piPaddingRight) + px(piBorderLeftWidth) +
                    px(piBorderRightWidth);
  // Measuring the content costs a pass over it: only a given width or centring needs it.
  // The body keeps a given width whatever it holds: a wide PRE or table far down the page
  // overflows it alone instead of widening every line of the page.
  const bool widthGiven = width != AutoValue;
  int minC = 0, maxC = 0;
  if (widthGiven && !IsBody()) MyCell.MeasureWidths(Canvas, minC, maxC);
  auto fill = [&] {
    return std::max({0, minC, AWidth - extra - leftMargin - rightMargin});
  };
  const bool leftAuto = leftMargin == AutoValue, rightAuto = rightMargin == AutoValue;
  if (leftAuto && (!widthGiven || !rightAuto)) leftMargin = 0;
  if (rightAuto && (!widthGiven || !leftAuto)) rightMargin = 0;
  if (!widthGiven && (FFloat != TFloatSide::None || FInlineBlock)) {
    // A float or an inline block without a width shrinks to its content.
    MyCell.MeasureFitWidths(Canvas, minC, maxC);
    return std::max(1, std::min(fill(), std::max(minC, maxC)));
  }
  if (!widthGiven && FPositioning == TPositionKind::Absolute) {
    // So does an absolute box, within the room its left offset leaves.
    MyCell.MeasureWidths(Canvas, minC, maxC);
    const int offset = MargArray[piLeft - BoxFirst];
    const int room = fill() - (offset == AutoValue ? 0 : offset);
    return std::max({1, minC, std::min(maxC, room)});
  }
  if (!widthGiven) return fill();
  if (FFloat == TFloatSide::Right) {
    // A right float's left edge is the rounded rest of the width: half of an odd width
    // then ends where a padding of half of it does, rather than a pixel off.
    const TPropValue& given = MargArrayO.Values()[piWidth - BoxFirst];
    if (PercentIn(given)) {
      const double percent = std::strtod(std::string(given.AsString()).c_str(), nullptr);
      if (percent >= 0 && percent <= 100) {
        char rest[32];
        std::snprintf(rest, sizeof rest, "%.6g%%", 100 - percent);
        width = AWidth - LengthToPixels(rest, false, AWidth, FEmSize, FExSize, 0);
      }
    }
  }
  const int w = std::max(width, minC);
  if (leftAuto && rightAuto) {
    // Centred: both margins take half of what is left.
    const int d = std::max(0, AWidth - w - extra);
    leftMargin = rightMargin = d / 2;
  } else if (leftAuto) {
    leftMargin = std::max(0, AWidth - extra - rightMargin - w);
  }
  return w;
}

int TBlock::Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
                 int YRef) {
  // Where the flow goes on: a float's box reaches lower than that.
  const int next = FLayoutY + FFlowHeight;
  if (FNotDisplayed) return next;
  if (Context.ForPrinter && !PaintsOnThisPage(Context)) return next;
  if (FVisibility == TVisibility::Hidden) return next;
  if (FPositioning == TPositionKind::Relative) X += FPosLeft;
  PaintBox(Canvas, Context, X, FLayoutY + FPosTop - Context.ScrollY);
  DrawContent(Canvas, Context, IMgr, X, FContentTop + FPosTop, XRef, YRef);
  return next;
}

void TBlock::DrawContent(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X,
                         int Top, int XRef, int YRef) {
  const void* outerBlock = IMgr ? IMgr->FCurrentBlock : nullptr;
  if (IMgr) IMgr->FCurrentBlock = this;
  MyCell.Draw(Canvas, Context, FContentWidth, X + FContentOffset, Top, XRef, YRef);
  if (IMgr) IMgr->FCurrentBlock = outerBlock;
}

bool TBlock::PaintsOnThisPage(TPaintContext& Context) {
  if (!FBreakBefore && !FBreakAfter && !FAvoidBreakInside) return true;
  const TRect& ARect = Context.Band;
  int& limit = Context.PageLimit;
  const int top = FLayoutY + FClearShift + MargArray[piMarginTop - BoxFirst];
  const int bandTop = ARect.Top + Context.ScrollY;
  // As for a page break element, a block within 5 pixels of the page's top is already on
  // a new page: breaking there would leave an empty page.
  if (FBreakBefore && top > bandTop + 5) {
    limit = std::min(limit, top);
    return false;
  }
  const int height = FPaintBottom - top;
  if (FAvoidBreakInside && top > bandTop + 5 && FPaintBottom > limit &&
      height < ARect.Bottom - ARect.Top) {
    limit = std::min(limit, top);
    return false;
  }
  const int end = FLayoutY + FFlowHeight;
  if (FBreakAfter && end > bandTop && end < limit) limit = end;
  return true;
}

namespace {

// A colour halfway to black or to white, for the shaded border styles.
TColor Shade(TColor Color, bool Light) {
  const TColor rgb = ColorToRGB(Color & ~PaletteRelativeFlag);
  TColor out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int c = int((rgb >> shift) & 0xFF);
    out |= TColor(Light ? c + (255 - c) / 2 : c / 2) << shift;
  }
  return out | PaletteRelativeFlag;
}

// One side's band of the border (Side 0 top, 1 right, 2 bottom, 3 left).
void PaintBorderSide(TCanvas* Canvas, const TRect& Band, int Side, TBorderStyle Style,
                     TColor Color) {
  const bool horizontal = Side == 0 || Side == 2;
  const int thickness = horizontal ? Band.Bottom - Band.Top : Band.Right - Band.Left;
  if (thickness <= 0 || Style == TBorderStyle::None) return;
  // Top and left are the shadowed sides of an inset box, the lit ones of an outset box.
  const bool topLeft = Side == 0 || Side == 3;
  switch (Style) {
    case TBorderStyle::Dashed:
    case TBorderStyle::Dotted: {
      const int piece = Style == TBorderStyle::Dotted ? thickness : 3 * thickness;
      const int from = horizontal ? Band.Left : Band.Top;
      const int to = horizontal ? Band.Right : Band.Bottom;
      for (int at = from; at < to; at += 2 * piece) {
        const int end = std::min(to, at + piece);
        Canvas->FillRect(horizontal ? TRect{at, Band.Top, end, Band.Bottom}
                                    : TRect{Band.Left, at, Band.Right, end},
                         Color);
      }
      return;
    }
    case TBorderStyle::Double:
    case TBorderStyle::Groove:
    case TBorderStyle::Ridge: {
      // The band in an outer and an inner part: a double border leaves a gap between two
      // lines a third as thick; a groove or ridge shades two halves oppositely.
      const bool isDouble = Style == TBorderStyle::Double;
      if (isDouble && thickness < 3) break;
      const int part = isDouble ? (thickness + 1) / 3 : thickness / 2;
      TRect outer = Band, inner = Band;
      switch (Side) {
        case 0: outer.Bottom = Band.Top + part; inner.Top = isDouble ? Band.Bottom - part : outer.Bottom; break;
        case 1: outer.Left = Band.Right - part; inner.Right = isDouble ? Band.Left + part : outer.Left; break;
        case 2: outer.Top = Band.Bottom - part; inner.Bottom = isDouble ? Band.Top + part : outer.Top; break;
        default: outer.Right = Band.Left + part; inner.Left = isDouble ? Band.Right - part : outer.Right; break;
      }
      const bool outerLight = (Style == TBorderStyle::Ridge) == topLeft;
      Canvas->FillRect(outer, isDouble ? Color : Shade(Color, outerLight));
      Canvas->FillRect(inner, isDouble ? Color : Shade(Color, !outerLight));
      return;
    }
    case TBorderStyle::Inset:
    case TBorderStyle::Outset:
      Canvas->FillRect(Band, Shade(Color, (Style == TBorderStyle::Outset) == topLeft));
      return;
    default:
      break;
  }
  Canvas->FillRect(Band, Color);
}

}  // namespace

TRect TBlock::BorderBox(int X, int Y, int ScrollY) const {
  auto px = [&](int Index) { return MargArray[Index - BoxFirst]; };
  TRect border;
  border.Left = X + FContentOffset - px(piPaddingLeft) - px(piBorderLeftWidth);
  border.Right = X + FContentOffset + FContentWidth + px(piPaddingRight) + px(piBorderRightWidth);
  border.Top = Y + FClearShift + px(piMarginTop);
  border.Bottom = FBlockBottom + FPosTop + px(piPaddingBottom) + px(piBorderBottomWidth) - ScrollY;
  return border;
}

void TBlock::PaintBox(TCanvas* Canvas, const TPaintContext& Context, int X, int Y) {
  const TRect& ARect = Context.Band;
  const bool hasBorder = FExtras && FExtras->FBorderStyles != std::array<TBorderStyle, 4>{};
  const bool hasImage = FExtras && FExtras->FBackImage && FDocument && FDocument->ImagesOn;
  const TRect border = BorderBox(X, Y, Context.ScrollY);
  if (FExtras && !FExtras->FTitle.empty())
    FExtras->FScreenRect = TRect{border.Left, border.Top + Context.ScrollY, border.Right,
                                 border.Bottom + Context.ScrollY};
  if (!Canvas || (FBkColor == NoColour && !hasBorder && !hasImage)) return;
  auto px = [&](int Index) { return MargArray[Index - BoxFirst]; };
  const int bt = px(piBorderTopWidth), br = px(piBorderRightWidth);
  const int bb = px(piBorderBottomWidth), bl = px(piBorderLeftWidth);
  if (border.Bottom <= ARect.Top || border.Top >= ARect.Bottom) return;
  const TRect padding{border.Left + bl, border.Top + bt, border.Right - br, border.Bottom - bb};
  const bool colours = !Context.ForPrinter || Context.PrintColors;
  if (FBkColor != NoColour && colours) {
    TRect r = padding;
    // A long box is filled only where the band to paint is.
    r.Top = std::max(r.Top, ARect.Top - 2);
    r.Bottom = std::min(r.Bottom, ARect.Bottom);
    if (r.Top < r.Bottom) Canvas->FillRect(r, FBkColor | PaletteRelativeFlag);
  }
  if (hasImage && colours) TileBackImage(Canvas, padding, ARect);
  if (!hasBorder) return;
  const TRect bands[4] = {{border.Left, border.Top, border.Right, padding.Top},
                          {padding.Right, border.Top, border.Right, border.Bottom},
                          {border.Left, padding.Bottom, border.Right, border.Bottom},
                          {border.Left, border.Top, padding.Left, border.Bottom}};
  for (int side = 0; side < 4; ++side)
    PaintBorderSide(Canvas, bands[side], side, FExtras->FBorderStyles[side],
                    FExtras->FBorderColors[side] | PaletteRelativeFlag);
}

// A block that is not displayed holds content that was never laid out: it answers as an
// empty section.
unsigned TBlock::HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                             TDocControl*& FormControl, std::string& Title) {
  if (FNotDisplayed) return 0;
  // The box's title shows over all of it unless its content has a title of its own.
  if (FExtras && !FExtras->FTitle.empty() &&
      (IsBody() || FExtras->FScreenRect.Contains(TPoint{X, Y})))
    Title = FExtras->FTitle;
  return MyCell.HitTestLink(Canvas, X, Y, UrlTarget, FormControl, Title);
}
bool TBlock::HitTestObject(int X, int Y, TObject*& Obj, int& IX, int& IY) {
  return !FNotDisplayed && MyCell.HitTestObject(X, Y, Obj, IX, IY);
}
int TBlock::PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                            bool& InText) {
  if (FNotDisplayed) return -1;
  return MyCell.PositionAtPoint(Canvas, X, Y, XR, YR, CaretHt, InText);
}
int TBlock::FindText(std::string_view ToFind, int From, bool MatchCase) {
  return FNotDisplayed ? -1 : MyCell.FindText(ToFind, From, MatchCase);
}
int TBlock::DocToSourcePos(int DocPos) { return FNotDisplayed ? -1 : MyCell.DocToSourcePos(DocPos); }
int TBlock::SourceToDocPos(int SourcePos, bool Prev) {
  return FNotDisplayed ? -1 : MyCell.SourceToDocPos(SourcePos, Prev);
}
bool TBlock::PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y) {
  return !FNotDisplayed && MyCell.PositionToPoint(Canvas, Pos, X, Y);
}
bool TBlock::CharAtPosition(int Pos, char& Ch, TObject*& Obj) {
  return !FNotDisplayed && MyCell.CharAtPosition(Pos, Ch, Obj);
}
void TBlock::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
  Min = Max = 0;
  if (FNotDisplayed) return;
  MyCell.MeasureWidths(Canvas, Min, Max);
  AddBoxWidths(Min, Max);
}

void TBlock::MeasureFitWidths(TCanvas* Canvas, int& Min, int& Max) {
  Min = Max = 0;
  if (FNotDisplayed) return;
  MyCell.MeasureFitWidths(Canvas, Min, Max);
  AddBoxWidths(Min, Max);
}

void TBlock::AddBoxWidths(int& Min, int& Max) {
  const int minC = Min, maxC = Max;
  // Without an available width percentages count as 0; auto counts as 0.
  TMarginArray box = MargArray;
  int autoCount = 0;
  bool topAuto = false, bottomAuto = false;
  MargArrayO.ToPixels(0, 400, FEmSize, FExSize, autoCount, box, topAuto, bottomAuto);
  auto px = [&](int Index) { return std::max(0, box[Index - BoxFirst]); };
  const int extra = px(piMarginLeft) + px(piMarginRight) + px(piPaddingLeft) + px(piPaddingRight) +
                    px(piBorderLeftWidth) + px(piBorderRightWidth);
  const int width = px(piWidth);
  Min = extra + std::max(minC, width);
  Max = width < 1 ? extra + maxC : Min;
}
void TBlock::CopySelection() {
  if (!FNotDisplayed) MyCell.CopySelection();
}
void TBlock::RegisterPositions() {
  if (!FNotDisplayed) MyCell.RegisterPositions();
}

int TBodyBlock::Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X,
                     int XRef, int YRef) {
  PaintBox(Canvas, Context, X, FLayoutY - Context.ScrollY);
  DrawContent(Canvas, Context, IMgr, X, FContentTop, XRef, YRef);
  return FBoxBottom;
}

TBodyBlock::TBodyBlock(TSectionList* ADocument, const TBodyBlock& Source)
    : TBlock(ADocument, Source),
      FOwnColor(Source.FOwnColor),
      FBottomMarginGiven(Source.FBottomMarginGiven) {}

std::unique_ptr<TSectionBase> TBodyBlock::CreateClone(TSectionList* ADocument) const {
  return std::make_unique<TBodyBlock>(ADocument, *this);
}

void TBodyBlock::SetPageColor(TColor Color) {
  if (Color == NoColour || !FDocument) return;
  FDocument->SetBackgroundColor(Color);
  FBkColor = FOwnColor;
}

int TBodyBlock::Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
                       IndentManager* IMgr, int& MaxWidth, int& Curs) {
  // Absolute boxes with no positioned box around them count from the page's corner, and
  // the page is long enough to show them.
  (void)XRef, (void)YRef;
  const int h = TBlock::Layout(Canvas, X, Y, 0, 0, AWidth, AHeight, IMgr, MaxWidth, Curs);
  if (FNotDisplayed) return h;
  FFlowHeight = std::max(h, FPaintBottom + MargArray[piMarginBottom - BoxFirst] - Y);
  return FFlowHeight;
}
