#include "document/core/inline_box.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "style/border_colors.h"
#include "style/box_values.h"
#include "style/units.h"
#include "toolkit/graphics/screen.h"

namespace {

constexpr int At(int Index) { return Index - BoxFirst; }

int16_t Bounded(int V) { return static_cast<int16_t>(std::clamp(V, 0, MaxInlineBoxLength)); }

// Margins may be negative: what follows, or the element itself, is drawn over what is before.
int16_t BoundedMargin(int V) {
  return static_cast<int16_t>(std::clamp(V, -MaxInlineBoxLength, MaxInlineBoxLength));
}

TInlineBorder BorderKind(const TPropValue& V) {
  static constexpr std::pair<std::string_view, TInlineBorder> Names[] = {
      {"solid", TInlineBorder::Solid},   {"dashed", TInlineBorder::Dashed},
      {"dotted", TInlineBorder::Dotted}, {"double", TInlineBorder::Double},
      {"groove", TInlineBorder::Groove}, {"ridge", TInlineBorder::Ridge},
      {"inset", TInlineBorder::Inset},   {"outset", TInlineBorder::Outset}};
  if (!V.IsString()) return TInlineBorder::None;
  for (const auto& [Name, Kind] : Names)
    if (V.AsString() == Name) return Kind;
  return TInlineBorder::None;
}

// A colour halfway to black or to white, for the shaded styles.
TColor Shade(TColor Color, bool Light) {
  const TColor Rgb = ColorToRGB(Color & ~PaletteRelativeFlag);
  TColor Out = 0;
  for (int Shift = 0; Shift < 24; Shift += 8) {
    const int C = int((Rgb >> Shift) & 0xFF);
    Out |= TColor(Light ? C + (255 - C) / 2 : C / 2) << Shift;
  }
  return Out | PaletteRelativeFlag;
}

// One side's band (0 top, 1 right, 2 bottom, 3 left).
void PaintSide(TCanvas* Canvas, const TRect& Band, int Side, TInlineBorder Style, TColor Color) {
  const bool Horizontal = Side == 0 || Side == 2;
  const int Thickness = Horizontal ? Band.Bottom - Band.Top : Band.Right - Band.Left;
  if (Thickness <= 0 || Band.Right <= Band.Left || Band.Bottom <= Band.Top) return;
  const bool TopLeft = Side == 0 || Side == 3;
  switch (Style) {
    case TInlineBorder::None:
      return;
    case TInlineBorder::Dashed:
    case TInlineBorder::Dotted: {
      const int Piece = Style == TInlineBorder::Dotted ? Thickness : 3 * Thickness;
      const int From = Horizontal ? Band.Left : Band.Top;
      const int To = Horizontal ? Band.Right : Band.Bottom;
      for (int P = From; P < To; P += 2 * Piece) {
        const int E = std::min(To, P + Piece);
        Canvas->FillRect(Horizontal ? TRect{P, Band.Top, E, Band.Bottom}
                                    : TRect{Band.Left, P, Band.Right, E},
                         Color);
      }
      return;
    }
    case TInlineBorder::Double: {
      if (Thickness < 3) break;
      const int Part = (Thickness + 1) / 3;
      TRect A = Band, B = Band;
      if (Horizontal) {
        A.Bottom = Band.Top + Part;
        B.Top = Band.Bottom - Part;
      } else {
        A.Right = Band.Left + Part;
        B.Left = Band.Right - Part;
      }
      Canvas->FillRect(A, Color);
      Canvas->FillRect(B, Color);
      return;
    }
    case TInlineBorder::Groove:
    case TInlineBorder::Ridge: {
      const int Part = Thickness / 2;
      TRect Outer = Band, Inner = Band;
      switch (Side) {
        case 0: Outer.Bottom = Inner.Top = Band.Top + Part; break;
        case 1: Outer.Left = Inner.Right = Band.Right - Part; break;
        case 2: Outer.Top = Inner.Bottom = Band.Bottom - Part; break;
        default: Outer.Right = Inner.Left = Band.Left + Part; break;
      }
      const bool OuterLight = (Style == TInlineBorder::Ridge) == TopLeft;
      Canvas->FillRect(Outer, Shade(Color, OuterLight));
      Canvas->FillRect(Inner, Shade(Color, !OuterLight));
      return;
    }
    case TInlineBorder::Inset:
    case TInlineBorder::Outset:
      Canvas->FillRect(Band, Shade(Color, (Style == TInlineBorder::Outset) == TopLeft));
      return;
    default:
      break;
  }
  Canvas->FillRect(Band, Color);
}

}  // namespace

void TInlineBox::Paint(TCanvas* Canvas, int Left, int Right, int BaseY, bool HasLeft,
                       bool HasRight, bool Colours) const {
  const int Bl = HasLeft ? Border[3] : 0, Br = HasRight ? Border[1] : 0;
  const TRect Outer{Left, BaseY - Ascent - Padding[0] - Border[0], Right,
                    BaseY + Descent + Padding[2] + Border[2]};
  const TRect Inner{Outer.Left + Bl, Outer.Top + Border[0], Outer.Right - Br,
                    Outer.Bottom - Border[2]};
  if (Background != NoColour && Colours && Inner.Left < Inner.Right)
    Canvas->FillRect(Inner, Background | PaletteRelativeFlag);
  const TRect Bands[4] = {{Outer.Left, Outer.Top, Outer.Right, Inner.Top},
                          {Inner.Right, Outer.Top, Outer.Right, Outer.Bottom},
                          {Outer.Left, Inner.Bottom, Outer.Right, Outer.Bottom},
                          {Outer.Left, Outer.Top, Inner.Left, Outer.Bottom}};
  for (int Side = 0; Side < 4; ++Side)
    PaintSide(Canvas, Bands[Side], Side, Style[Side], BorderColor[Side] | PaletteRelativeFlag);
}

bool InlineBoxFrom(const TProperties& Props, TInlineBox& Box) {
  TVMarginArray Values;
  Props.BoxValues(Values);
  TMarginArray Px{};
  int AutoCount = 0;
  // Percentages of the containing width count against a nominal one, as block margins do
  // while the document is built.
  constexpr int NominalWidth = 400;
  const int Em = Props.FEmPixels > 0 ? Props.FEmPixels : 16;
  const int Ex = Props.FExPixels > 0 ? Props.FExPixels : Em / 2;
  BoxToPixels(Values, NominalWidth, NominalWidth, Em, Ex, AutoCount, Px);
  Box = TInlineBox{};
  auto Margin = [&](int Index) {
    const int V = Px[At(Index)];
    return V == AutoValue ? 0 : V;
  };
  Box.MarginLeft = BoundedMargin(Margin(piMarginLeft));
  Box.MarginRight = BoundedMargin(Margin(piMarginRight));
  // A side without a colour of its own takes the text's.
  const TBorderColors Colors = BorderColorsOf(Props[piBorderColor]);
  const TColor Text = Props[piColor].IsInteger() ? TColor(Props[piColor].AsInteger()) : clBlack;
  bool Any = Box.MarginLeft != 0 || Box.MarginRight != 0;
  for (int Side = 0; Side < 4; ++Side) {
    Box.Padding[Side] = Bounded(Px[At(piPaddingTop + Side)]);
    Box.Style[Side] = BorderKind(Props[piBorderTopStyle + Side]);
    Box.Border[Side] =
        Box.Style[Side] == TInlineBorder::None ? 0 : Bounded(Px[At(piBorderTopWidth + Side)]);
    Box.BorderColor[Side] = Colors[Side] != NoColour ? Colors[Side] : Text;
    Any = Any || Box.Padding[Side] != 0 || Box.Border[Side] != 0;
  }
  if (Props.FSetHere.test(piBackgroundColor) && Props[piBackgroundColor].IsInteger() &&
      TColor(Props[piBackgroundColor].AsInteger()) != NoColour) {
    Box.Background = TColor(Props[piBackgroundColor].AsInteger());
  }
  return Any;
}
