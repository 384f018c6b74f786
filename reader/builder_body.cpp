#include <algorithm>
#include <memory>

#include "document/blocks/horz_line.h"
#include "reader/builder_state.h"
#include "style/style_list.h"

// The BODY element (its attributes join the body block) and HR rules.
namespace builder_internal {

// Text still waiting in the open section counts as content, unless it is only blanks that
// would collapse away (the line ends between the head's tags and the body tag).
bool TBuilder::OpenSectionHoldsContent() const {
  if (!CurSection) return false;
  const TSection& S = *CurSection;
  return S.FHasAnchor || !S.Objects().empty() ||
         S.FText.find_first_not_of(' ') != std::string::npos;
}

void TBuilder::ParseBody() {
  // An open form (hidden fields take no room) is content too: its controls must live on.
  if (TableDepth != 0 || InlineBlockDepth != 0 || BodyBlock->MyCell.Count() != 0 ||
      OpenSectionHoldsContent() || CurForm) {
    Next();
    return;
  }
  Doc->Forms.Clear();
  Doc->FormControls.clear();
  CurSection.reset();
  // The root element's rules hold for the whole page: the body inherits what they give,
  // and a colour of its own goes to the page around the body.
  const TColor RootColor = PushProps("html", "", "", "", "", nullptr).BackgroundColorValue();
  TProperties& P = PushTagProps("body");
  int MarginW = H ? H->MarginWidth : 10, MarginH = H ? H->MarginHeight : 5;
  for (const TAttribute& A : Lex.CurAttributes) {
    TColor C = 0;
    switch (A.Sym) {
      case symText:
        if (ParseColor(A.StrValue, false, C))
          P.SetFromAttribute(TPropValue(int(C | PaletteRelativeFlag)), piColor);
        break;
      case symLink:
        if (ParseColor(A.StrValue, false, C)) Doc->StyleSheet->SetLinkColor("link", C);
        break;
      case symBgcolor:
        if (ParseColor(A.StrValue, false, C))
          P.SetFromAttribute(TPropValue(int(C | PaletteRelativeFlag)), piBackgroundColor);
        break;
      case symBackground:
        P.SetFromAttribute(TPropValue("url(" + A.StrValue + ")"), piBackgroundImage);
        break;
      case symMarginwidth: MarginW = std::clamp(A.NumValue, 0, 200); break;
      case symMarginheight: MarginH = std::clamp(A.NumValue, 0, 200); break;
      case symVlink:
        if (ParseColor(A.StrValue, false, C)) Doc->StyleSheet->SetLinkColor("visited", C);
        break;
      case symOlink:
        if (ParseColor(A.StrValue, false, C)) {
          Doc->StyleSheet->SetLinkColor("hover", C);
          Doc->HoverLinksOn = true;
        }
        break;
      default: break;
    }
  }
  P.SetFromAttribute(TPropValue(MarginW), piMarginLeft);
  P.SetFromAttribute(TPropValue(MarginW), piMarginRight);
  P.SetFromAttribute(TPropValue(MarginH), piMarginTop);
  P.SetFromAttribute(TPropValue(MarginH), piMarginBottom);
  for (int I = 0; I < Doc->Count(); ++I)
    if (Doc->Items(I) == BodyBlock) {
      Doc->Delete(I);
      break;
    }
  auto Body = std::make_unique<TBodyBlock>(Doc, &Lex.CurAttributes, Doc, P);
  if (RootColor != NoColour) Body->SetPageColor(RootColor);
  BodyBlock = Body.get();
  Doc->Add(std::move(Body));
  RegisterId(BodyBlock);
  CurCell = &BodyBlock->MyCell;
  NewSection(true);
  Next();
}
// A horizontal rule: a line in a block of its own. SIZE, WIDTH and COLOR become the
// element's height, width and colour, so that style rules can override them.
void TBuilder::ParseRule() {
  CloseSection();
  TProperties& P = PushTagProps("hr");
  int Size = 2;
  TTextAlign Align = TTextAlign::Center;
  bool NoShade = false;
  for (const TAttribute& A : Lex.CurAttributes) {
    TColor C = 0;
    switch (A.Sym) {
      case symSize:
        if (A.NumValue >= 1 && A.NumValue <= 20) Size = A.NumValue;
        break;
      case symColor:
        if (ParseColor(A.StrValue, false, C))
          P.SetFromAttribute(TPropValue(int(C | PaletteRelativeFlag)), piColor);
        break;
      case symAlign: {
        const std::string V = Lower(A.StrValue);
        Align = V == "left"    ? TTextAlign::Left
                : V == "right" ? TTextAlign::Right
                               : TTextAlign::Center;
        break;
      }
      case symNoshade: NoShade = true; break;
      case symWidth:
        if (A.NumValue < 1) break;
        if (A.StrValue.find('%') != std::string::npos)
          P.SetFromAttribute(TPropValue(std::to_string(std::min(A.NumValue, 100)) + "%"), piWidth);
        else
          P.SetFromAttribute(TPropValue(A.NumValue), piWidth);
        break;
      default: break;
    }
  }
  P.SetFromAttribute(TPropValue(Size), piHeight);
  const TColor Color = P.OwnColorValue();
  if (P.FSetHere.test(piTextAlign)) {
    const TPropValue& TA = P[piTextAlign];
    if (TA.Equals("left")) Align = TTextAlign::Left;
    else if (TA.Equals("right")) Align = TTextAlign::Right;
    else if (TA.Equals("center")) Align = TTextAlign::Center;
  }
  TCellBasic* Owner = CurCell ? CurCell : Doc;
  auto Line = std::make_unique<THorzLine>(Doc, Size, Color, Align, NoShade);
  Owner->Add(std::make_unique<THRBlock>(Doc, Owner, P, std::move(Line)));
  PopPropsByTag("hr");
  Next();
}

}  // namespace builder_internal
