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

void TSection::TakeLineHeight(const TProperties& Props) {
  FLineHeight = 0;
  // Most elements keep the font's own line height and need no measuring.
  if (!Props[piLineHeight].IsString() || FFontRuns.Count() == 0) return;
  const TMyFont& Font = *FFontRuns[0]->FFont;
  const int FontHeight = Font.Height != 0 ? std::abs(Font.Height) : MeasureFont(Font).EmPixels;
  // Beyond this a line would be taller than any window; heights must not overflow.
  FLineHeight = static_cast<int16_t>(std::clamp(Props.LineHeightPixels(FontHeight), 0, MaxLineHeight));
}

void TSection::StartFontRun(TProperties& Props) {
  FCaseTransform = Props.CaseTransform();
  StartFontRun(Props.ElementFont(), Props.FTitleText);
  TFontObj* Run = FFontRuns.Last();
  if (!Run->Target().URL.empty()) MakeLinkRun(*Run, Props, FDocument);
}

void TSection::StartLinkRun(bool IsLinkStart, const TUrlTarget& Target, TProperties& Props) {
  FCaseTransform = Props.CaseTransform();
  StartFontRun(Props.ElementFont(), Props.FTitleText);
  TFontObj* Run = FFontRuns.Last();
  Run->SetTarget(Target);
  if (IsLinkStart && !Target.URL.empty()) {
    MakeLinkRun(*Run, Props, FDocument);
  } else {
    Run->ClearLinkFonts();
    if (FDocument) std::erase(FDocument->LinkRuns, static_cast<TDocFontRun*>(Run));
  }
}
