// Line boxes of sections whose elements set line-heights: each line as tall as the inline
// boxes standing in it, objects placed by their alignment in it.
#include "document/core/line_box.h"
#include "document/core/text_section.h"
#include "document/core/text_walk.h"

namespace {

// The box a run's text makes on a line: its font's height is the content area, the
// leading of its line-height (the font's height for "normal") split around it. A run on
// the line's top or bottom is measured from its own baseline.
TLineExtent RunExtent(const TFontObj& Run, int LineHeight) {
  const int Shift = Run.VAlign() == TVerticalAlign::Baseline
                        ? TSection::ScriptOffset(Run) - Run.Raise()
                        : 0;
  return TextLineExtent(Run.FFontHeight - Run.FDescent, Run.FDescent,
                        LineHeight < 0 ? Run.FFontHeight : LineHeight, Shift);
}

}  // namespace

bool TSection::UsesLineBoxes() const {
  if (FLineHeightSet || FLineHeight > 0) return true;
  for (int I = 0; I < FFontRuns.Count(); ++I) {
    const TFontObj& Run = *FFontRuns[I];
    if (Run.FLineHeight >= 0 || Run.VAlign() != TVerticalAlign::Baseline || Run.Raise() != 0)
      return true;
  }
  return false;
}

int TSection::RunBaseline(const LineRec& Line, int LineTop, const TFontObj& Run) const {
  const int Baseline = LineTop + Line.GapAbove + Line.TextHeight - Line.BaseDescent;
  if (!FLineBoxes) return Baseline + ScriptOffset(Run);
  switch (Run.VAlign()) {
    case TVerticalAlign::Top:
      return LineTop + RunExtent(Run, Run.FLineHeight).Above;
    case TVerticalAlign::Bottom:
      return LineTop + Line.Advance() - RunExtent(Run, Run.FLineHeight).Below;
    default:
      return Baseline + ScriptOffset(Run) - Run.Raise();
  }
}

int TSection::ObjectRise(const TInlineObject& Obj, bool IsControl) const {
  const int G = Obj.Height();
  const TFontObj* Strut = FFontRuns.Count() > 0 ? FFontRuns[0] : nullptr;
  const int Ascent = Strut ? Strut->FFontHeight - Strut->FDescent : 0;
  const int Descent = Strut ? Strut->FDescent : 0;
  switch (Obj.VAlign()) {
    case TVerticalAlign::Middle:
      // The box's middle on the middle of the text.
      return Ascent / 2 + G / 2;
    case TVerticalAlign::Bottom:
      // A control's bottom on the text's bottom.
      return IsControl ? G - Descent : G;
    case TVerticalAlign::TextTop:
      return Ascent;
    case TVerticalAlign::TextBottom:
      return G - Descent;
    default:
      return G + Obj.Raise();
  }
}

int TSection::ObjectTopInLine(const LineRec& Line, int LineTop, const TObjEntry& E) const {
  const int G = E.Obj->Height();
  const int Baseline = LineTop + Line.GapAbove + Line.TextHeight - Line.BaseDescent;
  switch (E.Obj->VAlign()) {
    case TVerticalAlign::Top:
      return LineTop;
    case TVerticalAlign::Bottom:
      if (!E.IsControl) return LineTop + Line.Advance() - G;
      break;
    default:
      break;
  }
  return Baseline - ObjectRise(*E.Obj, E.IsControl);
}

void TSection::MakeLineBox(LineRec& Line, int Y) const {
  const int Start = Line.TextStart, End = Start + Line.CharCount;
  if (OnlyFloatsIn(Start, Line.CharCount)) {
    // A line of nothing but floats makes no line box, whatever its line-height.
    Line.TextHeight = Line.BaseDescent = 0;
    Line.GapAbove = Line.GapBelow = 0;
    return;
  }
  TLineBoxMaker Box;
  // The block's own font and line-height stand in every line, even one of nothing but
  // smaller text or images.
  const TFontObj* Strut = FFontRuns.Count() > 0 ? FFontRuns[0] : nullptr;
  if (Strut) Box.Add(RunExtent(*Strut, FLineHeightSet || FLineHeight > 0 ? FLineHeight : -1));
  int Index;
  if (FFontRuns.RunAt(Start, Index))
    for (int I = Index; I < FFontRuns.Count(); ++I) {
      const TFontObj* Run = FFontRuns[I];
      if (I > Index && Run->FPos >= End) break;
      const TLineExtent E = RunExtent(*Run, Run->FLineHeight);
      if (Run->VAlign() == TVerticalAlign::Top)
        Box.AddTopAligned(E.Height());
      else if (Run->VAlign() == TVerticalAlign::Bottom)
        Box.AddBottomAligned(E.Height());
      else
        Box.Add(E);
    }
  for (int I = Start; I < End && !Objects().empty(); ++I) {
    if (!IsObjectCode(FText[I])) continue;
    const TObjEntry* E = ObjectAt(I);
    if (!E || E->Obj->Floating()) continue;
    E->Obj->SetLayoutY(Y);
    const int G = E->Obj->Height();
    const TVerticalAlign Align = E->Obj->VAlign();
    if (Align == TVerticalAlign::Top) {
      Box.AddTopAligned(G);
    } else if (Align == TVerticalAlign::Bottom && !E->IsControl) {
      Box.AddBottomAligned(G);
    } else {
      const int Rise = ObjectRise(*E->Obj, E->IsControl);
      Box.Add({Rise, G - Rise});
    }
  }
  const TLineExtent Made = Box.Result();
  // The strut's font keeps the text height and descent of the line, as in lines of the
  // font's own pitch; the gaps make up the rest, and are negative where the line is
  // smaller than the font.
  Line.TextHeight = Strut ? Strut->FFontHeight : 0;
  Line.BaseDescent = Strut ? Strut->FDescent : 0;
  Line.GapAbove = Made.Above - (Line.TextHeight - Line.BaseDescent);
  Line.GapBelow = Made.Below - Line.BaseDescent;
}
