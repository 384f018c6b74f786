#include "document/blocks/list_item.h"

#include <algorithm>

#include "document/core/section_list.h"
#include "document/images/image_cache.h"
#include "style/element_font.h"
#include "style/units.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/raster_ops.h"

TBlockLI::TBlockLI(TSectionList* ADocument, const TAttributeList* Attributes,
                   TCellBasic* AOwnerCell, TProperties& Prop, TListKind Kind, bool Plain,
                   char TypeChar, int ItemNumber, int Level)
    : TBlock(ADocument, Attributes, AOwnerCell, Prop), FListKind(Kind), FItemNumber(ItemNumber) {
  switch (Kind) {
    case TListKind::Ordered:
      FMarkerStyle = TypeChar == 'A'   ? TMarkerStyle::UpperAlpha
                     : TypeChar == 'I' ? TMarkerStyle::UpperRoman
                     : TypeChar == 'a' ? TMarkerStyle::LowerAlpha
                     : TypeChar == 'i' ? TMarkerStyle::LowerRoman
                                       : TMarkerStyle::Decimal;
      break;
    case TListKind::Unordered: {
      static constexpr TMarkerStyle ByLevel[] = {TMarkerStyle::Square, TMarkerStyle::Disc,
                                                 TMarkerStyle::Circle};
      FMarkerStyle = Plain ? TMarkerStyle::None : ByLevel[((Level % 3) + 3) % 3];
      break;
    }
    case TListKind::Definition:
      FMarkerStyle = TMarkerStyle::None;
      break;
    case TListKind::NotInList: {
      FMarkerStyle = TMarkerStyle::Disc;
      // A lone item still leaves room for its bullet, unless its marker is text in its line.
      const TMarkerStyle kind = Prop.ListMarkerKind();
      const bool textInside = Prop.MarkerInside() &&
                              !MarkerText(kind == TMarkerStyle::Blank ? FMarkerStyle : kind, 1).empty();
      int& left = MargArray[piMarginLeft - BoxFirst];
      const TPropValue& given = MargArrayO[piMarginLeft - BoxFirst];
      if (!textInside && !given.IsString() &&
          (given.AsInteger() == 0 || given.AsInteger() == NoValue)) {
        MargArrayO.Set(piMarginLeft - BoxFirst, TPropValue(16));
        left = 16;
      }
      break;
    }
  }
  if (const TMarkerStyle kind = Prop.ListMarkerKind(); kind != TMarkerStyle::Blank)
    FMarkerStyle = kind;
  FMarkerFont = Prop.ElementFont();
  FMarkerImageName = Prop.ListMarkerImage();
  // The builder puts a text marker inside as the first line's text; bullets stay outside.
  FMarkerInside = Prop.MarkerInside() && FMarkerImageName.empty() &&
                  !MarkerText(FMarkerStyle, FItemNumber).empty();
}

TBlockLI::TBlockLI(TSectionList* ADocument, const TBlockLI& Source)
    : TBlock(ADocument, Source),
      FListKind(Source.FListKind),
      FMarkerStyle(Source.FMarkerStyle),
      FItemNumber(Source.FItemNumber),
      FMarkerInside(Source.FMarkerInside),
      FMarkerFont(Source.FMarkerFont),
      FMarkerImageName(Source.FMarkerImageName) {}

std::unique_ptr<TSectionBase> TBlockLI::CreateClone(TSectionList* ADocument) const {
  return std::make_unique<TBlockLI>(ADocument, *this);
}

TBlockLI::~TBlockLI() {
  if (FMarkerImage && FDocument && FDocument->ImageCache)
    FDocument->ImageCache->Release(ImageCacheKey(FMarkerImageName));
  if (FDocument && FDocument->FirstLineBaseline == &FFirstLineBaseline)
    FDocument->FirstLineBaseline = nullptr;
}

int TBlockLI::Layout(TCanvas* Canvas, int X, int Y, int XRef, int YRef, int AWidth, int AHeight,
                     IndentManager* IMgr, int& MaxWidth, int& Curs) {
  FFirstLineBaseline = 0;
  // The text section that lays out the first line writes its baseline here.
  struct THook {
    TSectionList* Doc;
    int* Saved;
    ~THook() {
      if (Doc) Doc->FirstLineBaseline = Saved;
    }
  } hook{FDocument, FDocument ? FDocument->FirstLineBaseline : nullptr};
  if (FDocument) FDocument->FirstLineBaseline = &FFirstLineBaseline;
  if (!FMarkerImageLoaded && !FMarkerImageName.empty() && FDocument && FDocument->ImagesOn) {
    FMarkerImageLoaded = true;
    FetchStillImage(FDocument, FMarkerImageName, FMarkerImage, FMarkerMask);
  }
  return TBlock::Layout(Canvas, X, Y, XRef, YRef, AWidth, AHeight, IMgr, MaxWidth, Curs);
}

std::string TBlockLI::MarkerText(TMarkerStyle Style, int Number) {
  std::string text;
  switch (Style) {
    case TMarkerStyle::Decimal:
      text = std::to_string(Number);
      break;
    case TMarkerStyle::LowerAlpha:
    case TMarkerStyle::UpperAlpha:
      // Letters run from a to z, and z stays for the numbers past 26; numbers below 1 have
      // no letter and show in digits.
      if (Number < 1)
        text = std::to_string(Number);
      else
        text = char((Style == TMarkerStyle::LowerAlpha ? 'a' : 'A') + std::min(Number - 1, 25));
      break;
    case TMarkerStyle::LowerRoman:
    case TMarkerStyle::UpperRoman: {
      // Numerals from 1 to 3999; numbers outside that show in decimal digits.
      if (Number < 1 || Number > 3999) {
        text = std::to_string(Number);
        break;
      }
      static constexpr std::pair<int, const char*> Numerals[] = {
          {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
          {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},   {4, "iv"},  {1, "i"}};
      for (const auto& [value, numeral] : Numerals)
        for (; Number >= value; Number -= value) text += numeral;
      if (Style == TMarkerStyle::UpperRoman)
        for (char& c : text) c = char(c - 'a' + 'A');
      break;
    }
    default:
      return {};
  }
  return text + ".";
}

int TBlockLI::Draw(TCanvas* Canvas, TPaintContext& Context, IndentManager* IMgr, int X, int XRef,
                   int YRef) {
  const int result = TBlock::Draw(Canvas, Context, IMgr, X, XRef, YRef);
  if (!Canvas || FFirstLineBaseline <= 0 || FVisibility == TVisibility::Hidden ||
      FListKind == TListKind::Definition || FMarkerInside)
    return result;
  const int b = FFirstLineBaseline - Context.ScrollY;
  if (b < Context.Band.Top - 50 || b > Context.Band.Bottom + 50) return result;
  const int c = X + FContentOffset;  // the content's left edge
  const TColor color = FMarkerFont ? FMarkerFont->Color : clBlack;
  if (FMarkerImage && FDocument && FDocument->ImagesOn) {
    // The image's left edge 16 pixels left of the content, its bottom on the baseline.
    const int w = FMarkerImage->Width(), h = FMarkerImage->Height();
    const TRect to{c - 16, b - h, c - 16 + w, b};
    if (FMarkerMask)
      Canvas->DrawMasked(to, FMarkerImage->Canvas(), FMarkerMask->Canvas(), TRect{0, 0, w, h});
    else
      Canvas->BitBlt(to.Left, to.Top, w, h, FMarkerImage->Canvas(), 0, 0, SRCCOPY);
    return result;
  }
  const TPen savedPen = Canvas->Pen;
  const TBrush savedBrush = Canvas->Brush;
  switch (FMarkerStyle) {
    case TMarkerStyle::Circle:
      Canvas->Pen = TPen{color, 1, psSolid};
      Canvas->Brush.Style = bsClear;
      Canvas->Ellipse(c - 16, b - 7, c - 9, b);
      break;
    case TMarkerStyle::Disc:
      Canvas->Pen = TPen{color, 1, psSolid};
      Canvas->Brush = TBrush{color, bsSolid};
      Canvas->Ellipse(c - 15, b - 6, c - 10, b - 1);
      break;
    case TMarkerStyle::Square:
      Canvas->FillRect(TRect{c - 15, b - 6, c - 10, b - 1}, color);
      break;
    case TMarkerStyle::None:
    case TMarkerStyle::Blank:
      break;
    default: {
      const std::string text = MarkerText(FMarkerStyle, FItemNumber);
      if (text.empty() || !FMarkerFont) break;
      const TFontSpec savedFont = Canvas->Font;
      const unsigned savedAlign = Canvas->SetTextAlign(TA_BASELINE | TA_RIGHT);
      const int savedMode = Canvas->SetBkMode(TRANSPARENT);
      Canvas->Font = *FMarkerFont;
      Canvas->TextOut(c - 10, b, text);
      Canvas->SetBkMode(savedMode);
      Canvas->SetTextAlign(savedAlign);
      Canvas->Font = savedFont;
    }
  }
  Canvas->Pen = savedPen;
  Canvas->Brush = savedBrush;
  return result;
}
