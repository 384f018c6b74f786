// A document's style state as the builder drives it: the default sheet, the property
// stack with the root entry, and elements opened and closed on it.
#pragma once

#include <string_view>

#include "fake_fonts.h"
#include "style/css_parser.h"
#include "style/properties.h"
#include "style/style_list.h"

constexpr TColor TestLinkColor = 0x0000FF;     // red
constexpr TColor TestVisitedColor = 0x800080;  // purple
constexpr TColor TestHoverColor = 0x00FF00;    // lime

struct TStyleDoc {
  TFakeFontScope Fonts;
  TStyleList Styles;
  TPropStack Stack;

  TStyleDoc() {
    Styles.BuildDefaults("Times New Roman", "Courier New", 12, clBlack, TestLinkColor,
                         TestVisitedColor, TestHoverColor, true, ANSI_CHARSET, 8, 10);
    Stack.Insert(0).CopyAsDefault(*Styles.DefaultRule());
  }
  void Sheet(std::string_view css) { ParseStyleSheetText(Styles, css, ""); }
  TProperties& Open(std::string_view tag, std::string_view cls = "", std::string_view id = "",
                    std::string_view pseudo = "", const TProperties* styleAttr = nullptr) {
    TProperties& p = Stack.Push();
    p.ApplyStyles(Styles, tag, cls, id, pseudo, "", styleAttr);
    return p;
  }
  void Close() { Stack.Pop(); }
};
