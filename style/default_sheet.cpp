// The built-in rules every document starts with.
#include "style/style_list.h"

namespace {

TColor WithPaletteFlag(TColor color) { return color < 0 ? color : (color | PaletteRelativeFlag); }

}  // namespace

void TStyleList::BuildDefaults(std::string_view fontName, std::string_view preFontName,
                               int pointSize, TColor textColor, TColor linkColor,
                               TColor visitedColor, TColor hoverColor, bool linkUnderline,
                               uint8_t charSet, int marginHeight, int marginWidth) {
  Clear();
  // Everything up to the end is the user agent's: any author rule outweighs it.
  FAuthor = false;
  SetDocumentPointSize(pointSize);
  const double points = pointSize;

  auto add = [this](std::string_view key) -> TProperties& {
    return Insert(key, std::make_unique<TProperties>());
  };
  auto text = [](TProperties& rule, int index, std::string_view value) {
    rule.FValues[index] = TPropValue(value);
  };
  auto number = [](TProperties& rule, int index, auto value) {
    rule.FValues[index] = TPropValue(value);
  };
  auto clones = [this](TProperties& rule, std::initializer_list<std::string_view> keys) {
    for (std::string_view key : keys) Clone(key, rule);
  };

  TProperties& root = add("default");
  text(root, piFontFamily, fontName);
  number(root, piFontSize, points);
  text(root, piFontStyle, "none");
  text(root, piFontWeight, "normal");
  text(root, piTextAlign, "left");
  text(root, piTextDecoration, "none");
  number(root, piTextTransform, int(TTextTransform::None));
  number(root, piColor, int(textColor));
  number(root, piMarginTop, marginHeight);
  number(root, piMarginBottom, marginHeight);
  number(root, piMarginLeft, marginWidth);
  number(root, piMarginRight, marginWidth);
  number(root, piVisibility, 2);
  root.FCharSet = charSet;
  FDefaultRule = &root;

  TProperties& link = add("::link");
  number(link, piColor, int(WithPaletteFlag(linkColor)));
  text(link, piTextDecoration, linkUnderline ? "underline" : "none");
  number(add("::visited"), piColor, int(WithPaletteFlag(visitedColor)));
  number(add("::hover"), piColor, int(WithPaletteFlag(hoverColor)));
  add("null");

  TProperties& pre = add("pre");
  text(pre, piFontFamily, preFontName);
  number(pre, piFontSize, points * 10 / 12);
  text(pre, piFontStyle, "none");
  text(pre, piFontWeight, "normal");
  text(pre, piTextDecoration, "none");

  TProperties& p = add("p");
  number(p, piMarginTop, ParagraphDefault);
  number(p, piMarginBottom, ParagraphDefault);
  number(add("p 11pre"), piMarginTop, 0);

  TProperties& ul = add("ul");
  number(ul, piMarginLeft, 35);
  number(ul, piMarginTop, ParagraphDefault);
  number(ul, piMarginBottom, ParagraphDefault);
  text(ul, piListStyleType, "blank");
  clones(ul, {"ol", "menu", "dir"});

  TProperties& dl = add("dl");
  number(dl, piMarginLeft, 0);
  number(dl, piMarginTop, 0);
  number(dl, piMarginBottom, 0);
  text(dl, piListStyleType, "none");

  TProperties& dd = add("dd");
  number(dd, piMarginLeft, 40);
  number(dd, piMarginTop, 0);
  number(dd, piMarginBottom, 0);

  TProperties& blockquote = add("blockquote");
  number(blockquote, piMarginLeft, 35);
  number(blockquote, piMarginTop, ParagraphDefault);
  number(blockquote, piMarginBottom, 14);

  TProperties& code = add("code");
  text(code, piFontFamily, preFontName);
  text(code, piFontSize, "0.833em");
  clones(code, {"tt", "kbd", "samp"});

  TProperties& bold = add("b");
  text(bold, piFontWeight, "bold");
  clones(bold, {"strong", "th"});

  TProperties& sup = add("sup");
  text(sup, piFontSize, "75%");
  clones(sup, {"sub"});

  text(add("big"), piFontSize, "1.25em");
  text(add("small"), piFontSize, "0.75em");
  text(add("table"), piTextAlign, "none");

  TProperties& italic = add("i");
  text(italic, piFontStyle, "italic");
  clones(italic, {"em", "cite", "var", "address", "dfn"});

  text(add("u"), piTextDecoration, "underline");
  TProperties& strike = add("s");
  text(strike, piTextDecoration, "line-through");
  clones(strike, {"strike"});

  TProperties& center = add("center");
  text(center, piTextAlign, "center");
  clones(center, {"caption"});

  TProperties& input = add("input");
  text(input, piFontFamily, "MS sans serif, sans-serif");
  text(input, piFontSize, "10pt");
  text(input, piFontStyle, "none");
  text(input, piFontWeight, "normal");
  text(input, piTextAlign, "left");
  text(input, piTextDecoration, "none");
  number(input, piColor, int(textColor));
  clones(input, {"select"});
  TProperties& textarea = Clone("textarea", input);
  text(textarea, piFontFamily, preFontName);

  TProperties& hr = add("hr");
  number(hr, piMarginLeft, 0);
  number(hr, piMarginRight, 0);
  number(hr, piMarginTop, 10);
  number(hr, piMarginBottom, 10);

  static const int HeadingPoints[6] = {24, 18, 14, 12, 10, 8};
  for (int level = 1; level <= 6; ++level) {
    std::string key = "h" + std::to_string(level);
    TProperties& h = add(key);
    number(h, piFontSize, points / 12 * HeadingPoints[level - 1]);
    number(h, piMarginTop, 19);
    number(h, piMarginBottom, 19);
    text(h, piFontWeight, "bold");
  }
  // The values above were written straight into the rules.
  for (int i = 0; i < Count(); ++i) RefreshMergeList(i);
  FAuthor = true;
}
