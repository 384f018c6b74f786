// Building images and panels: objects at a position of the open section, in the line or
// floating beside it, or on a line of their own.
#include <algorithm>
#include <memory>

#include "document/core/id_name_list.h"
#include "document/images/image_obj.h"
#include "document/images/panel_obj.h"
#include "reader/builder_state.h"

namespace builder_internal {

namespace {

// The ALIGN of an image or panel; Default for any other value.
TObjectAlign ObjectAlign(const std::string& Value, TObjectAlign Default) {
  const std::string V = Upper(Trim(Value));
  if (V == "TOP") return TObjectAlign::Top;
  if (V == "MIDDLE" || V == "ABSMIDDLE") return TObjectAlign::Middle;
  if (V == "LEFT") return TObjectAlign::LeftFloat;
  if (V == "RIGHT") return TObjectAlign::RightFloat;
  return Default;
}

}  // namespace

// An IMG element: an image object at the next position of the open section.
void TBuilder::ParseImage() {
  if (!CurSection) NewSection(true);
  TProperties& P = PushTagProps("img");
  // A block picture stands on a line of its own; a floating one floats as it is.
  TFloatSide Side = TFloatSide::None;
  const bool AsBlock = P[piDisplay].Equals("block") &&
                       !(P.FloatSide(Side) && Side != TFloatSide::None) &&
                       P.PositionKind() != TPositionKind::Absolute;
  if (AsBlock) NewSection(false);
  TImageAttributes A;
  std::string Name;
  for (const TAttribute& At : Lex.CurAttributes) {
    switch (At.Sym) {
      case symSrc: A.Src = Trim(At.StrValue); break;
      case symAlt: A.Alt = At.StrValue; break;
      case symAlign: A.Align = ObjectAlign(At.StrValue, A.Align); break;
      case symBorder: A.BorderOff = At.NumValue == 0; break;
      case symWidth:
        A.WidthIsPercent = At.StrValue.find('%') != std::string::npos;
        A.Width = At.NumValue;
        break;
      case symHeight: A.Height = std::max(0, At.NumValue); break;
      case symTransp: A.Transparent = true; break;
      case symIsmap: A.IsMap = true; break;
      case symUsemap: A.UseMap = At.StrValue; break;
      case symActive: A.Active = true; break;
      case symHspace: A.HSpace = At.NumValue; break;
      case symVspace: A.VSpace = At.NumValue; break;
      case symName: Name = Upper(Trim(At.StrValue)); break;
      default: break;
    }
  }
  A.Title = Lex.CurAttributes.TitleValue();
  auto Image = std::make_unique<TImageObj>(Doc, CurSection->Len(), A, !LinkTarget.URL.empty());
  Image->ApplyProperties(P);
  Image->SetBlockLevel(AsBlock);
  TImageObj* Placed = Image.get();
  CurSection->AddObject(std::move(Image), Lex.TagStart);
  if (Doc->IdNames) {
    if (!Name.empty()) Doc->IdNames->AddObject(Name, Placed);
    if (!P.FElementId.empty()) Doc->IdNames->AddId(Upper(P.FElementId), Placed);
  }
  PopPropsByTag("img");
  if (AsBlock) NewSection(false);
  Next();
}

// A PANEL element: a window the host fills, at the next position of the open section.
void TBuilder::ParsePanel() {
  if (!CurSection) NewSection(true);
  PushTagProps("panel");
  TPanelAttributes A;
  for (const TAttribute& At : Lex.CurAttributes) {
    switch (At.Sym) {
      case symName: A.Name = Trim(At.StrValue); break;
      case symSrc: A.Src = Trim(At.StrValue); break;
      case symAlt: A.Alt = At.StrValue; break;
      case symType: A.Type = At.StrValue; break;
      case symAlign: A.Align = ObjectAlign(At.StrValue, A.Align); break;
      case symWidth:
        A.WidthIsPercent = At.StrValue.find('%') != std::string::npos;
        A.Width = At.NumValue;
        break;
      case symHeight: A.Height = std::max(0, At.NumValue); break;
      case symHspace: A.HSpace = At.NumValue; break;
      case symVspace: A.VSpace = At.NumValue; break;
      case symRatio: A.Ratio = std::strtod(At.StrValue.c_str(), nullptr); break;
      default: break;
    }
  }
  CurSection->AddObject(std::make_unique<TPanelObj>(Doc, A), Lex.TagStart);
  PopPropsByTag("panel");
  Next();
}

}  // namespace builder_internal
