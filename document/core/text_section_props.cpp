// Text sections made from the builder's properties.
#include <algorithm>
#include <cstdlib>

#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "style/element_font.h"
#include "style/properties.h"

namespace {

void MakeLinkRun(TFontObj& Run, TProperties& Props, TSectionList* Doc) {
  TFontInfoArray Fonts;
  Props.CopyLinkFontsTo(Fonts);
  Run.SetLinkFonts(Fonts);
  Run.ApplyFontInfo(Fonts.Items[0]);
  if (Doc && std::find(Doc->LinkRuns.begin(), Doc->LinkRuns.end(),
                       static_cast<TDocFontRun*>(&Run)) == Doc->LinkRuns.end())
    Doc->LinkRuns.push_back(&Run);
}

}  // namespace

std::unique_ptr<TSection> TSection::Create(TSectionList* ADocument, TProperties& Props,
                                           const TUrlTarget* LinkTarget, bool FirstInBlock,
                                           const std::string* ClearAttr) {
  auto S = std::make_unique<TSection>(ADocument, Props.ElementFont());
  TFontObj& Run = *S->FFontRuns[0];
  Run.SetTitle(Props.FTitleText);
  if (LinkTarget && !LinkTarget->URL.empty()) {
    MakeLinkRun(Run, Props, ADocument);
    Run.EditTarget().Copy(*LinkTarget);
  }
  S->TakeLineHeight(Props);
  if (FirstInBlock) {
    bool IsPercent = false;
    const int Indent = Props.IndentValue(IsPercent);
    if (IsPercent)
      S->FFirstIndentPct = static_cast<int8_t>(std::clamp(Indent, 0, 90));
    else
      S->FFirstIndent = Indent;
  }
  if (ClearAttr) {
    if (*ClearAttr == "left")
      S->FClear = TClearSides::Left;
    else if (*ClearAttr == "right")
      S->FClear = TClearSides::Right;
    else
      S->FClear = TClearSides::Both;
  }
  TClearSides Clear = TClearSides::None;
  if (Props.ClearSides(Clear)) S->FClear = Clear;
  const std::string_view Align = Props[piTextAlign].AsString();
  S->FAlign = Align == "right"     ? TTextAlign::Right
              : Align == "center"  ? TTextAlign::Center
              : Align == "justify" ? TTextAlign::Justify
                                   : TTextAlign::Left;
  return S;
}

int TSection::LineHeightOf(const TProperties& Props, const TMyFont& Font) {
  const TPropValue& V = Props[piLineHeight];
  // Most elements keep the font's own line height and need no measuring.
  if (!V.IsString() || V.AsString() == "normal") return -1;
  const int FontHeight = Font.Height != 0 ? std::abs(Font.Height) : MeasureFont(Font).EmPixels;
  // Beyond this a line would be taller than any window; heights must not overflow.
  const int Pixels = Props.LineHeightPixels(FontHeight);
  // A negative line-height is no line-height.
  return Pixels < 0 ? -1 : std::min(Pixels, MaxLineHeight);
}

void TSection::TakeLineHeight(const TProperties& Props) {
  FLineHeight = 0;
  FLineHeightSet = false;
  if (FFontRuns.Count() == 0) return;
  const int H = LineHeightOf(Props, *FFontRuns[0]->FFont);
  FFontRuns[0]->FLineHeight = static_cast<int16_t>(H);
  if (H < 0) return;
  FLineHeight = static_cast<int16_t>(H);
  FLineHeightSet = true;
}

void TSection::TakeRunLineHeight(const TProperties& Props) {
  if (TFontObj* Run = FFontRuns.Last())
    Run->FLineHeight = static_cast<int16_t>(LineHeightOf(Props, *Run->FFont));
}

void TSection::StartFontRun(TProperties& Props) {
  FCaseTransform = Props.CaseTransform();
  StartFontRun(Props.ElementFont(), Props.FTitleText);
  TakeRunLineHeight(Props);
  TFontObj* Run = FFontRuns.Last();
  if (!Run->Target().URL.empty()) MakeLinkRun(*Run, Props, FDocument);
}

void TSection::StartLinkRun(bool IsLinkStart, const TUrlTarget& Target, TProperties& Props) {
  FCaseTransform = Props.CaseTransform();
  StartFontRun(Props.ElementFont(), Props.FTitleText);
  TakeRunLineHeight(Props);
  TFontObj* Run = FFontRuns.Last();
  Run->SetTarget(Target);
  if (IsLinkStart && !Target.URL.empty()) {
    MakeLinkRun(*Run, Props, FDocument);
  } else {
    Run->ClearLinkFonts();
    if (FDocument) std::erase(FDocument->LinkRuns, static_cast<TDocFontRun*>(Run));
  }
}

void TSection::TakeFirstLineLook(TProperties& Props) {
  TFontObj::TFirstLineLook Look;
  Look.Font = Props.ElementFont();
  Look.LineHeight = static_cast<int16_t>(LineHeightOf(Props, *Look.Font));
  Look.Case = Props.CaseTransform();
  SetFirstLineLook(Look);
}
