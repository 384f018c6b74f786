#include "document/block.h"

#include <algorithm>

#include "document/section_list.h"
#include "style/box_values.h"
#include "style/units.h"

TBlockBoxValues::TBlockBoxValues() {
  static const std::shared_ptr<const TVMarginArray> Empty = std::make_shared<TVMarginArray>();
  FValues = Empty;
}

void TBlockBoxValues::Assign(const TVMarginArray& Values) {
  static std::shared_ptr<const TVMarginArray> Last;
  if (Last && *Last == Values) {
    FValues = Last;
  } else {
    FValues = std::make_shared<const TVMarginArray>(Values);
    Last = FValues;
  }
}

bool TBlockBoxValues::OnlyVerticalMargins(int EmPixels, int ExPixels) const {
  // Blocks sharing values ask in a row: the last answer is kept.
  static std::shared_ptr<const TVMarginArray> LastValues;
  static int LastEm = 0, LastEx = 0, LastPpi = 0;
  static bool LastAnswer = false;
  const int Ppi = ScreenPixelsPerInch();
  if (LastValues == FValues && LastEm == EmPixels && LastEx == ExPixels && LastPpi == Ppi)
    return LastAnswer;
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
  LastValues = FValues;
  LastEm = EmPixels;
  LastEx = ExPixels;
  LastPpi = Ppi;
  LastAnswer = Answer;
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
  // The conversion reads the values, the sizes, the screen resolution and what Result
  // held (border widths without a value keep it).
  struct TLast {
    std::shared_ptr<const TVMarginArray> Values;
    int Width = 0, Height = 0, Em = 0, Ex = 0, Ppi = 0;
    TMarginArray Before{}, After{};
    int AutoCount = 0;
    bool TopAuto = false, BottomAuto = false;
  };
  static TLast Last;
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
  {
    TVMarginArray Values;
    Prop.BoxValues(Values);
    MargArrayO.Assign(Values);
  }
  if (!Prop.FElementClass.empty()) {
    FExtras = std::make_unique<TBlockExtras>();
    FExtras->ElementClass = Prop.FElementClass;
  }
  if (Prop.FEmPixels > 0) FEmSize = Prop.FEmPixels;
  if (Prop.FExPixels > 0) FExSize = Prop.FExPixels;
  MyCell.FOwnerElement = Prop.FTagName;
  // The vertical margins are known without a width: DropBottomMargin needs them early.
  VerticalMarginsToPixels(MargArrayO.Values(), 0, FEmSize, FExSize, MargArray, FTopAuto, FBottomAuto);
}

TBlock::~TBlock() = default;

TBodyBlock::TBodyBlock(TSectionList* ADocument, const TAttributeList* Attributes,
                       TCellBasic* AOwnerCell, const TProperties& Prop)
    : TBlock(ADocument, Attributes, AOwnerCell, Prop) {
  // The body paints no box of its own: the page behind it takes its colour.
  const TColor Color = Prop.BackgroundColorValue();
  if (Color != NoColour && ADocument) ADocument->SetBackgroundColor(Color);
}

std::string TBlock::TagClass() const {
  if (!FExtras || FExtras->ElementClass.empty()) return MyCell.FOwnerElement;
  return MyCell.FOwnerElement + "." + FExtras->ElementClass;
}

const std::string& TBlock::BGImageName() const {
  static const std::string None;
  return FExtras ? FExtras->FBGImageName : None;
}

void TBlock::SetDefaultBottomMargin() {
  MargArrayO.Set(piMarginBottom - BoxFirst, TPropValue(ParagraphMargin));
  MargArray[piMarginBottom - BoxFirst] = ParagraphMargin;
  FBottomAuto = true;
}

bool TBlock::OnlyVerticalSpacing(int& Top, int& Bottom, bool& BottomIsDefault) const {
  if (FExtras || FDisplay != 0 || FPositioning != 0 || FVisibility != 0 || FBkColor != -1)
    return false;
  if (!MargArrayO.OnlyVerticalMargins(FEmSize, FExSize)) return false;
  auto At = [](int Index) { return Index - BoxFirst; };
  Top = MargArray[At(piMarginTop)];
  Bottom = MargArray[At(piMarginBottom)];
  BottomIsDefault = FBottomAuto;
  return true;
}

TMarginDrop TBlock::DropBottomMargin() {
  if (!FBottomAuto) return TMarginDrop::Kept;
  MargArrayO.Set(piMarginBottom - BoxFirst, TPropValue(0));
  MargArray[piMarginBottom - BoxFirst] = 0;
  FBottomAuto = false;
  return TMarginDrop::Dropped;
}

int TBlock::Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
                   IndentManager* IMgr, int& MaxWidth, int& Curs) {
  int autoCount = 0;
  const int bottomKept = MargArray[piMarginBottom - BoxFirst];
  const int topKept = MargArray[piMarginTop - BoxFirst];
  bool topAuto = false, bottomAuto = false;
  MargArrayO.ToPixels(AWidth, AHeight, FEmSize, FExSize, autoCount, MargArray, topAuto,
                      bottomAuto);
  if (!FBottomAuto && bottomAuto) MargArray[piMarginBottom - BoxFirst] = bottomKept;
  (void)topKept;
  auto px = [&](int Index) { return std::max(0, MargArray[Index - BoxFirst]); };
  const int left = px(piMarginLeft) + px(piPaddingLeft) + px(piBorderLeftWidth);
  const int right = px(piMarginRight) + px(piPaddingRight) + px(piBorderRightWidth);
  const int top = px(piMarginTop) + px(piPaddingTop) + px(piBorderTopWidth);
  const int bottom = px(piMarginBottom) + px(piPaddingBottom) + px(piBorderBottomWidth);
  FContentOffset = left;
  FContentLeft = X + left;
  FContentTop = Y + top;
  FContentWidth = std::max(1, AWidth - left - right);
  MyCell.FFloats = IMgr;
  // The content sees the box's edges as its own: records owned by this block, so that
  // neither the sections around the block nor a sibling block are narrowed by them.
  const void* outerBlock = IMgr ? IMgr->FCurrentBlock : nullptr;
  int leftRec = -1, rightRec = -1;
  if (IMgr) {
    IMgr->FCurrentBlock = this;
    leftRec = IMgr->PushLeft(FContentLeft, FContentTop);
    rightRec = IMgr->PushRight(FContentLeft + FContentWidth, FContentTop);
  }
  int sw = 0;
  const int h = MyCell.DoLayout(Canvas, FContentLeft, FContentTop, XRef, YRef, FContentWidth,
                                AHeight, sw, Curs);
  if (IMgr) {
    IMgr->PopRight(rightRec);
    IMgr->PopLeft(leftRec);
    IMgr->FCurrentBlock = outerBlock;
  }
  MaxWidth = std::max(sw + left + right, 0);
  FLayoutY = Y;
  FBoxTop = Y;
  FBoxLeft = X;
  FFlowHeight = top + h + bottom;
  FBoxBottom = Y + FFlowHeight;
  FPaintTop = std::min(Y, MyCell.FCellPaintTop);
  FPaintBottom = std::max(FBoxBottom, MyCell.FCellPaintBottom);
  FPaintHeight = FPaintBottom - FPaintTop;
  FStartPos = MyCell.FStartPos;
  FPosCount = MyCell.FPosCount;
  return FFlowHeight;
}

int TBlock::Draw(TCanvas* Canvas, const TRect& ARect, IndentManager* IMgr, int X, int XRef,
                 int YRef) {
  const void* outerBlock = IMgr ? IMgr->FCurrentBlock : nullptr;
  if (IMgr) IMgr->FCurrentBlock = this;
  MyCell.Draw(Canvas, ARect, FContentWidth, X + FContentOffset, FContentTop, XRef, YRef);
  if (IMgr) IMgr->FCurrentBlock = outerBlock;
  return FBoxBottom;
}

unsigned TBlock::HitTestLink(TCanvas* Canvas, int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget,
                             TDocControl*& FormControl, std::string& Title) {
  return MyCell.HitTestLink(Canvas, X, Y, UrlTarget, FormControl, Title);
}
int TBlock::PositionAtPoint(TCanvas* Canvas, int X, int Y, int& XR, int& YR, int& CaretHt,
                            bool& InText) {
  return MyCell.PositionAtPoint(Canvas, X, Y, XR, YR, CaretHt, InText);
}
int TBlock::FindText(std::string_view ToFind, int From, bool MatchCase) {
  return MyCell.FindText(ToFind, From, MatchCase);
}
int TBlock::DocToSourcePos(int DocPos) { return MyCell.DocToSourcePos(DocPos); }
int TBlock::SourceToDocPos(int SourcePos, bool Prev) { return MyCell.SourceToDocPos(SourcePos, Prev); }
bool TBlock::PositionToPoint(TCanvas* Canvas, int Pos, int& X, int& Y) {
  return MyCell.PositionToPoint(Canvas, Pos, X, Y);
}
bool TBlock::CharAtPosition(int Pos, char& Ch, TObject*& Obj) {
  return MyCell.CharAtPosition(Pos, Ch, Obj);
}
void TBlock::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
  MyCell.MeasureWidths(Canvas, Min, Max);
  auto px = [&](int Index) { return std::max(0, MargArray[Index - BoxFirst]); };
  const int extra = px(piMarginLeft) + px(piMarginRight) + px(piPaddingLeft) + px(piPaddingRight) +
                    px(piBorderLeftWidth) + px(piBorderRightWidth);
  Min += extra;
  Max += extra;
}
void TBlock::CopySelection() { MyCell.CopySelection(); }
void TBlock::RegisterPositions() { MyCell.RegisterPositions(); }

int TBodyBlock::Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
                       IndentManager* IMgr, int& MaxWidth, int& Curs) {
  return TBlock::Layout(Canvas, X, Y, XRef, YRef, AWidth, AHeight, IMgr, MaxWidth, Curs);
}
