#include "style/properties.h"

#include "style/css_parser.h"

#include <vector>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "style/border_colors.h"
#include "style/colors.h"
#include "style/style_list.h"
#include "style/units.h"

namespace {

constexpr std::string_view PropertyNames[PropCount] = {
    "font-family", "font-size", "font-style", "font-weight", "text-align", "text-decoration",
    "border-style", "color", "background-color", "border-color",
    "margin-top", "margin-right", "margin-bottom", "margin-left",
    "padding-top", "padding-right", "padding-bottom", "padding-left",
    "border-top-width", "border-right-width", "border-bottom-width", "border-left-width",
    "border-top-style", "border-right-style", "border-bottom-style", "border-left-style",
    "width", "height", "top", "left",
    "visibility", "line-height", "background-image", "background-position",
    "background-repeat", "vertical-align", "position", "z-index", "list-style-type",
    "list-style-image", "float", "clear", "text-indent", "page-break-before",
    "page-break-after", "page-break-inside", "text-transform", "display",
    "letter-spacing", "word-spacing", "white-space", "list-style-position",
    "border-spacing", "right", "bottom", "content", "font-variant"};

// What a child starts with: the parent's values, but NoValue for the box lengths
// (piMarginTop to piLeft) and none for these.
constexpr int NotInherited[] = {piBorderStyle,        piBackgroundColor,   piBorderColor,
                                piBackgroundImage,    piBackgroundPosition, piBackgroundRepeat,
                                piVerticalAlign,      piPosition,          piFloat,
                                piClear,              piPageBreakBefore,   piPageBreakAfter,
                                piPageBreakInside,    piDisplay,           piBorderSpacing,
                                piRight,              piBottom,            piContent};
constexpr int InheritedCount =
    PropCount - (piLeft - piMarginTop + 1) - int(sizeof(NotInherited) / sizeof(int));
constexpr std::array<uint8_t, InheritedCount> Inherited = [] {
  std::array<bool, PropCount> other{};
  for (int i = piMarginTop; i <= piLeft; ++i) other[i] = true;
  for (int i : NotInherited) other[i] = true;
  std::array<uint8_t, InheritedCount> list{};
  size_t n = 0;
  for (int i = 0; i < PropCount; ++i)
    if (!other[i]) list[n++] = uint8_t(i);
  return list;
}();
const TPropValue NoValueProp(NoValue);
const TPropValue UnsetProp;

// Inheriting, written out index by index: an element's values are made by the hundred
// thousand, and a loop over an index table costs several times the copies themselves.
template <size_t... N>
void CopyInherited(std::array<TPropValue, PropCount>& to,
                   const std::array<TPropValue, PropCount>& from, std::index_sequence<N...>) {
  (to[Inherited[N]].AssignFrom(from[Inherited[N]]), ...);
}
template <size_t... N>
void ClearNotInherited(std::array<TPropValue, PropCount>& to, std::index_sequence<N...>) {
  (to[NotInherited[N]].AssignPlain(UnsetProp), ...);
}
template <size_t... N>
void ClearBoxLengths(std::array<TPropValue, PropCount>& to, std::index_sequence<N...>) {
  (to[piMarginTop + N].AssignPlain(NoValueProp), ...);
}

constexpr int MaxPointSize = 2000;

// A font size of Points: whole points, and hundredths besides when it falls between them,
// so that the size is rounded to pixels once (10 pixels are 7.5 points, not 8).
void SetFontPoints(ThtFontInfo& font, double points) {
  font.PointSize = std::clamp(RoundToInt(points), 0, MaxPointSize);
  const int centipoints = std::clamp(RoundToInt(points * 100), 0, MaxPointSize * 100);
  font.Centipoints = centipoints == font.PointSize * 100 ? 0 : centipoints;
}

// Whether the value at an index goes into the element's font (FillFontInfo).
bool ChangesFont(int index) {
  switch (index) {
    case piFontFamily:
    case piFontSize:
    case piFontStyle:
    case piFontWeight:
    case piTextDecoration:
    case piColor:
    case piLetterSpacing:
    case piWordSpacing:
    case piFontVariant:
      return true;
    default:
      return false;
  }
}

// Spacing in font units counts against the inherited em, which differs from parent to
// child; "normal" (or none) and pixels do not.
bool SpacingIndependentOfEm(const TPropValue& v) {
  if (!v.IsString()) return true;
  const std::string_view text = v.AsString();
  return text == "normal" || (text.ends_with("px") && text.find('%') == std::string_view::npos);
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// "bold", or a weight of 600 or more.
bool IsBoldWeight(const TPropValue& weight) {
  // Text and whole numbers read as they are; a fraction is no weight.
  if (weight.IsString())
    return Contains(weight.AsString(), "bold") || weight.AsInteger() >= 600;
  if (!weight.IsDouble()) return weight.IsInteger() && weight.AsInteger() >= 600;
  const std::string text = weight.ToText();
  return TPropValue(std::string_view(text)).AsInteger() >= 600;
}

// The installed face a family list names, read without copying text values.
std::string FaceOf(const TPropValue& family) {
  return family.IsString() ? InstalledFaceFromList(family.AsString())
                           : InstalledFaceFromList(family.ToText());
}

bool ContainsIgnoringCase(std::string_view text, std::string_view lowerPart) {
  auto lower = [](char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); };
  for (size_t i = 0; i + lowerPart.size() <= text.size(); ++i) {
    size_t n = 0;
    while (n < lowerPart.size() && lower(text[i + n]) == lowerPart[n]) ++n;
    if (n == lowerPart.size()) return true;
  }
  return false;
}

}  // namespace

std::string_view PropertyName(int index) {
  return index >= 0 && index < PropCount ? PropertyNames[index] : std::string_view();
}

bool LookupProperty(std::string_view name, int& index) {
  for (int i = 0; i < PropCount; ++i) {
    if (PropertyNames[i] == name) {
      index = i;
      return true;
    }
  }
  return false;
}

TProperties::TProperties() {
  for (int i = piMarginTop; i <= piLeft; ++i) FValues[i] = TPropValue(NoValue);
  FValues[piZIndex] = TPropValue(0);
}

TProperties::~TProperties() = default;

void TProperties::InheritFrom(const TProperties& parent, bool withLinkFonts) {
  // Every index is written, so an entry taken back from the spares needs no clearing
  // first.
  CopyInherited(FValues, parent.FValues, std::make_index_sequence<InheritedCount>());
  ClearBoxLengths(FValues, std::make_index_sequence<piLeft - piMarginTop + 1>());
  ClearNotInherited(FValues, std::make_index_sequence<std::size(NotInherited)>());
  FTextBackground = parent.FTextBackground;
  FCharSet = parent.FCharSet;
  FCodePage = parent.FCodePage;
  FTitleText = parent.FTitleText;
  FBackgroundAttachment = TBackgroundAttachment::Unset;
  FSetHere.reset();
  FCachedFont.reset();
  FCachedFontEm = -1;

  FHasLinkFonts = withLinkFonts && parent.FHasLinkFonts;
  if (FHasLinkFonts && parent.FLinkFonts) {
    if (!FLinkFonts) FLinkFonts = std::make_unique<TFontInfoArray>();
    FLinkFonts->Assign(*parent.FLinkFonts);
  }

  // The parent's font is final by now; its em is measured once per element and the
  // measurement itself is cached per font.
  TProperties& p = const_cast<TProperties&>(parent);
  if (!p.FCachedFont || p.FCachedFontEm < 0) {
    p.ElementFont();
    const TFontMeasure measure = MeasureFont(*p.FCachedFont);
    p.FCachedFontEm = measure.EmPixels;
    p.FCachedFontEx = measure.ExPixels;
  }
  FEmPixels = p.FCachedFontEm;
  FExPixels = p.FCachedFontEx;
  // Every input of the font was just copied from the parent, so the child starts with the
  // parent's font; what later changes one of them drops it.
  if (SpacingIndependentOfEm(FValues[piLetterSpacing]) &&
      SpacingIndependentOfEm(FValues[piWordSpacing])) {
    FCachedFont = p.FCachedFont;
    FCachedFontEm = p.FCachedFontEm;
    FCachedFontEx = p.FCachedFontEx;
  }
  // A line-height number is inherited as the number, for the child's own font; a length
  // or percentage as the length the parent computed.
  if (LineHeightIsLength() && !FValues[piLineHeight].AsString().ends_with("px")) {
    const int pixels = p.LineHeightPixels(FEmPixels);
    FValues[piLineHeight] =
        TPropValue(pixels < 0 ? std::string("normal") : std::to_string(pixels) + "px");
  }
}

void TProperties::SetLinkFontsFrom(int index, const TPropValue& value) {
  if (!FHasLinkFonts || !FLinkFonts) return;
  const std::string face = index == piFontFamily ? FaceOf(value) : std::string();
  // The four fonts mostly share one size: a relative size is read once per size.
  int sizeBase = -1;
  double sizePoints = 0;
  for (ThtFontInfo& font : FLinkFonts->Items) {
    switch (index) {
      case piFontFamily: {
        if (!face.empty()) font.FaceName = face;
        break;
      }
      case piFontSize: {
        if (value.IsNumber()) {
          SetFontPoints(font, value.AsDouble());
          break;
        }
        if (font.PointSize != sizeBase) {
          sizeBase = font.PointSize;
          sizePoints = SizeToPoints(value.AsString(), sizeBase);
        }
        SetFontPoints(font, sizePoints);
        break;
      }
      case piFontStyle: {
        std::string_view s = value.AsString();
        if (s == "italic" || s == "oblique")
          font.StyleSet |= htfsItalic;
        else if (s == "normal")
          font.StyleSet &= ~htfsItalic;
        break;
      }
      case piFontWeight: {
        std::string text = value.ToText();
        if (Contains(text, "bold"))
          font.StyleSet |= htfsBold;
        else if (Contains(text, "normal"))
          font.StyleSet &= ~htfsBold;
        else if (TPropValue(std::string_view(text)).AsInteger() >= 600)
          font.StyleSet |= htfsBold;
        break;
      }
      case piTextDecoration: {
        std::string_view s = value.AsString();
        if (s == "underline")
          font.StyleSet |= htfsUnderline;
        else if (s == "line-through")
          font.StyleSet |= htfsStrikeOut;
        else if (s == "none")
          font.StyleSet &= ~(htfsUnderline | htfsStrikeOut);
        break;
      }
      case piColor:
        font.TextColor = value.AsInteger();
        break;
      case piBackgroundColor:
        font.BackColor = value.AsInteger();
        break;
      default:
        return;
    }
  }
}

TMergeList TProperties::MergeListOf() const {
  TMergeList list;
  for (int i = 0; i < PropCount; ++i) {
    const TPropValue& v = FValues[i];
    if (!v.IsSet()) continue;
    if (i >= piMarginTop && i <= piLeft && v.IsInteger() && v.AsInteger() == NoValue) continue;
    list.Indices[list.Count++] = uint8_t(i);
  }
  return list;
}

void TProperties::MergeRule(const TProperties& rule) { MergeRule(rule, rule.MergeListOf()); }

void TProperties::MergeRule(const TProperties& rule, const TMergeList& list) {
  bool fontChanged = false;
  for (int n = 0; n < list.Count; ++n) {
    int i = list.Indices[n];
    fontChanged |= ChangesFont(i);
    const TPropValue& v = rule.FValues[i];
    if (i == piBorderColor && FSetHere.test(i) && v.IsString()) {
      // A rule that colours some sides only leaves the others as earlier rules set them.
      TBorderColors colors = BorderColorsOf(FValues[i]);
      const TBorderColors given = BorderColorsOf(v);
      for (size_t side = 0; side < 4; ++side)
        if (given[side] != NoColour) colors[side] = given[side];
      FValues[i] = BorderColorsValue(colors);
      continue;
    }
    FValues[i] = v;
    FSetHere.set(i);
    switch (i) {
      case piFontFamily:
      case piFontSize:
      case piFontStyle:
      case piFontWeight:
      case piTextDecoration:
      case piColor:
      case piBackgroundColor:
        SetLinkFontsFrom(i, v);
        break;
      default:
        break;
    }
  }
  if (rule.FBackgroundAttachment != TBackgroundAttachment::Unset)
    FBackgroundAttachment = rule.FBackgroundAttachment;
  if (fontChanged) ForgetFont();
}

void TProperties::ApplyStylesNoLinks(const TStyleList& styles, std::string_view tag,
                                     std::string_view elementClass, std::string_view id,
                                     std::string_view pseudo, std::string_view title,
                                     const TProperties* styleAttr) {
  const TPropValue& inherited = FValues[piFontSize];
  double parentSize = inherited.IsDouble() && inherited.AsDouble() > 0 ? inherited.AsDouble()
                                                                       : DocumentPointSize();
  if (styleAttr != FStyleAttrHeld.get()) {
    if (styleAttr) {
      auto held = std::make_shared<TProperties>();
      held->CopyValues(*styleAttr);
      FStyleAttrHeld = std::move(held);
    } else {
      FStyleAttrHeld.reset();
    }
  }
  styleAttr = FStyleAttrHeld.get();
  styles.ApplyRules(*this, tag, elementClass, id, pseudo, styleAttr);
  if (const TPropValue& back = FValues[piBackgroundColor];
      back.IsString() && back.AsString() == "inherit") {
    FValues[piBackgroundColor] = FPropStack && FPropStackIndex > 0
                                     ? (*FPropStack)[FPropStackIndex - 1][piBackgroundColor]
                                     : TPropValue(int(NoColour));
  }
  if (FValues[piFontSize].IsString()) {
    // Until the size is known FExPixels is still the parent font's x-height.
    const double parentEx = FExPixels > 0 ? FExPixels * 72.0 / ScreenPixelsPerInch() : 0;
    FValues[piFontSize] =
        TPropValue(SizeToPoints(FValues[piFontSize].AsString(), parentSize, parentEx));
    ForgetFont();
  }
  FTagName = tag;
  FElementClass = elementClass;
  FElementId = id;
  FPseudoClass = pseudo;
  FStyleAttr = styleAttr;
  if (!title.empty()) FTitleText = title;
  if (FSetHere.test(piFontSize) || FSetHere.test(piFontFamily)) MeasureOwnEm();
  if (FPropStack) FPropStack->NoteIdentity(*this, styles);
}

void TProperties::MeasureOwnEm() {
  // Not kept as the element's font: the builder may still change what goes into it (the
  // text background). Fonts and their measurements are shared, so this costs a lookup.
  const TFontMeasure measure = MeasureFont(*SharedElementFont(FillFontInfo()));
  FEmPixels = measure.EmPixels;
  FExPixels = measure.ExPixels;
}

void TProperties::ApplyStyles(const TStyleList& styles, std::string_view tag,
                              std::string_view elementClass, std::string_view id,
                              std::string_view pseudo, std::string_view title,
                              const TProperties* styleAttr) {
  ApplyStylesNoLinks(styles, tag, elementClass, id, pseudo, title, styleAttr);
  if (pseudo == "link") BuildLinkFonts(styles, FPropStack ? FPropStackIndex : -1);
}

// The visited and hovered looks are computed by styling throw-away siblings of this
// entry, so that contextual rules see the same ancestors.
void TProperties::BuildLinkFonts(const TStyleList& styles, int stackIndex) {
  if (!FLinkFonts) FLinkFonts = std::make_unique<TFontInfoArray>();
  FHasLinkFonts = true;
  TakeTextBackground();
  FLinkFonts->Items[0] = FillFontInfo();
  // A style attribute is not part of the identity: such links are styled each time.
  if (!FStyleAttr && styles.FindLinkLooks(*this, *FLinkFonts)) return;
  // The entries below inherit from this one and from the visited one, which need their
  // fonts: those are the looks just made.
  auto takeFont = [](TProperties& entry, const ThtFontInfo& info) {
    if (entry.FCachedFont) return;
    entry.FCachedFont = SharedElementFont(info);
    entry.FCachedFontEm = -1;
  };
  takeFont(*this, FLinkFonts->Items[0]);

  TPropStack* stack = FPropStack;
  bool onStack = stack && stackIndex >= 0 && stackIndex < stack->Count() &&
                 &(*stack)[stackIndex] == this;
  std::unique_ptr<TProperties> loose1, loose2;
  auto makeEntry = [&](int at, std::unique_ptr<TProperties>& loose) -> TProperties& {
    if (onStack) return stack->Insert(at);
    loose = std::make_unique<TProperties>();
    return *loose;
  };
  // Only their fonts are read: they need no link fonts of their own.
  auto style = [&](TProperties& entry, const TProperties& parent, std::string_view pseudo) {
    entry.InheritFrom(parent, false);
    entry.ApplyStylesNoLinks(styles, FTagName, FElementClass, FElementId, pseudo, FTitleText,
                             FStyleAttr);
  };

  TProperties& visited = makeEntry(stackIndex + 1, loose1);
  style(visited, *this, "visited");
  visited.TakeTextBackground();
  FLinkFonts->Items[1] = visited.FillFontInfo();
  takeFont(visited, FLinkFonts->Items[1]);
  TProperties& visitedHover = makeEntry(stackIndex + 2, loose2);
  style(visitedHover, visited, "hover");
  FLinkFonts->Items[3] = visitedHover.FillFontInfo();
  if (onStack) {
    stack->Delete(stackIndex + 2);
    stack->Delete(stackIndex + 1);
  }
  loose2.reset();
  loose1.reset();

  TProperties& hover = makeEntry(stackIndex + 1, loose1);
  style(hover, *this, "hover");
  FLinkFonts->Items[2] = hover.FillFontInfo();
  if (onStack) stack->Delete(stackIndex + 1);
  if (!FStyleAttr) styles.KeepLinkLooks(*this, *FLinkFonts);
}

void TProperties::SetFromAttribute(const TPropValue& value, int index) {
  if (index < 0 || index >= PropCount || FSetHere.test(index)) return;
  FValues[index] = value;
  FSetHere.set(index);
  if (ChangesFont(index)) ForgetFont();
  if (index == piFontSize || index == piFontFamily) MeasureOwnEm();
  if (!FHasLinkFonts || !FLinkFonts) return;
  for (ThtFontInfo& font : FLinkFonts->Items) {
    if (index == piFontFamily) {
      font.FaceName = value.ToText();
    } else if (index == piFontSize) {
      font.PointSize = value.AsInteger();
      font.Centipoints = 0;
    } else if (index == piColor) {
      font.TextColor = value.AsInteger();
    }
  }
}

void TProperties::Refresh(const TProperties& source, const TStyleList& styles, int stackIndex) {
  for (int i = 0; i < PropCount; ++i)
    if (!FSetHere.test(i)) FValues[i] = source.FValues[i];
  FCachedFont.reset();
  FCachedFontEm = -1;
  if (!FLinkFonts) return;
  if (source.FHasLinkFonts && source.FLinkFonts) {
    FLinkFonts->Assign(*source.FLinkFonts);
  } else if (FPseudoClass == "link") {
    BuildLinkFonts(styles, stackIndex);
  } else {
    FLinkFonts.reset();
    FHasLinkFonts = false;
  }
}

void TProperties::CopyValues(const TProperties& source) {
  FValues = source.FValues;
  FBackgroundAttachment = source.FBackgroundAttachment;
}

void TProperties::CopyStyled(const TProperties& source) {
  FValues = source.FValues;
  FSetHere = source.FSetHere;
  FBackgroundAttachment = source.FBackgroundAttachment;
  FTextBackground = source.FTextBackground;
  FCharSet = source.FCharSet;
  FCodePage = source.FCodePage;
  FEmPixels = source.FEmPixels;
  FExPixels = source.FExPixels;
  FTagName = source.FTagName;
  FElementClass = source.FElementClass;
  FElementId = source.FElementId;
  FPseudoClass = source.FPseudoClass;
  FTitleText = source.FTitleText;
  ForgetFont();
}

void TProperties::RestyleInside(const TProperties& element, const TProperties& parent,
                                const TProperties& newParent) {
  CopyStyled(element);
  for (int i : Inherited)
    if (!element.FSetHere.test(i)) FValues[i] = newParent.FValues[i];
  if (element.FTextBackground == parent.FTextBackground)
    FTextBackground = newParent.FTextBackground;
  if (FValues[piFontSize] != element.FValues[piFontSize] ||
      FValues[piFontFamily] != element.FValues[piFontFamily])
    MeasureOwnEm();
}

void TProperties::CopyAsDefault(const TProperties& source) {
  FValues = source.FValues;
  ApplyCharSet(source.FCharSet);
  FTagName = "default";
  FCachedFont.reset();
  FCachedFontEm = -1;
}

void TProperties::SetDeclaration(std::string_view name, std::string_view value) {
  int index;
  if (name == "background-attachment")
    SetBackgroundAttachment(value);
  else if (int side; BorderColorSide(name, side))
    SetBorderSideColor(side, value);
  else if (LookupProperty(name, index))
    SetDeclarationAt(index, value);
}

void TProperties::SetBackgroundAttachment(std::string_view value) {
  if (value == "fixed")
    FBackgroundAttachment = TBackgroundAttachment::Fixed;
  else if (value == "scroll")
    FBackgroundAttachment = TBackgroundAttachment::Scroll;
}

void TProperties::SetBorderSideColor(int side, std::string_view value) {
  TColor color;
  if (side < 0 || side > 3 || !ParseColor(value, false, color)) return;
  TBorderColors colors = BorderColorsOf(FValues[piBorderColor]);
  colors[size_t(side)] = color;
  FValues[piBorderColor] = BorderColorsValue(colors);
}

void TProperties::SetDeclarationAt(int index, std::string_view value) {
  switch (index) {
    case piBorderStyle: {
      // One to four words: top, right, bottom, left the usual way.
      std::vector<std::string> words;
      int count = 0;
      SplitWords(value, words, 4, count);
      words.resize(size_t(count));
      if (words.size() < 2 || words.size() > 4) {
        for (int i : {piBorderStyle, piBorderTopStyle, piBorderRightStyle, piBorderBottomStyle,
                      piBorderLeftStyle})
          FValues[i] = TPropValue(value);
        break;
      }
      static constexpr int Pick[5][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1},
                                         {0, 1, 2, 3}};
      FValues[piBorderStyle] = TPropValue(std::string("none"));
      for (int side = 0; side < 4; ++side) {
        const std::string& word = words[size_t(Pick[words.size()][side])];
        FValues[piBorderTopStyle + side] = TPropValue(word);
        if (word != "none") FValues[piBorderStyle] = TPropValue(word);
      }
      break;
    }
    case piBorderColor: {
      // One colour for every side, or one to four given to the sides in turn.
      TBorderColors colors;
      if (ParseBorderColors(value, colors))
        FValues[index] = BorderColorsValue(colors);
      else
        FValues[index] = TPropValue(int(NoColour));
      break;
    }
    case piColor:
    case piBackgroundColor: {
      TColor color;
      if (ParseColor(value, false, color))
        FValues[index] = TPropValue(int(color));
      else if (index == piBackgroundColor && value == "inherit")
        FValues[index] = TPropValue(value);  // the parent's, once the element is styled
      else
        FValues[index] = TPropValue(index == piColor ? 0 : int(NoColour));
      break;
    }
    case piBorderTopStyle:
    case piBorderRightStyle:
    case piBorderBottomStyle:
    case piBorderLeftStyle:
      if (value != "none") FValues[piBorderStyle] = TPropValue(value);
      FValues[index] = TPropValue(value);
      break;
    case piVisibility:
      if (value == "visible")
        FValues[index] = TPropValue(2);
      else if (value == "hidden")
        FValues[index] = TPropValue(1);
      break;
    case piTextTransform:
      // Kept as the number of its TTextTransform.
      FValues[index] = TPropValue(int(value == "uppercase"    ? TTextTransform::Upper
                                      : value == "lowercase"  ? TTextTransform::Lower
                                      : value == "capitalize" ? TTextTransform::Capitalize
                                                              : TTextTransform::None));
      break;
    default:
      if (index >= 0 && index < PropCount) FValues[index] = TPropValue(value);
      break;
  }
  FCachedFont.reset();
  FCachedFontEm = -1;
}

void TProperties::ApplyCharSet(uint8_t charSet) {
  TFontSpec probe;
  probe.Name = "Arial";
  probe.Charset = charSet;
  uint8_t reported = MeasureFont(probe).CharSet;
  FCharSet = charSet == DEFAULT_CHARSET ? uint8_t(DEFAULT_CHARSET) : reported;
  if (FLinkFonts)
    for (ThtFontInfo& font : FLinkFonts->Items) font.CharacterSet = FCharSet;
  CodePageOfCharSet(reported, FCodePage);
  FCachedFont.reset();
  FCachedFontEm = -1;
}

int TProperties::SpacingPixels(int index) const {
  const TPropValue& v = FValues[index];
  if (!v.IsString() || v.AsString() == "normal") return 0;
  // Units of the font's size count against the inherited em, as the font size itself does.
  const int px = LengthToPixels(v.AsString(), false, 0, FEmPixels, FExPixels, 0);
  return std::clamp(px, -MaxSpacing, MaxSpacing);
}

bool TProperties::MarkerInside() const { return FValues[piListStylePosition].Equals("inside"); }

bool TProperties::KeepsBlanks() const {
  const TPropValue& v = FValues[piWhiteSpace];
  return v.IsString() && v.AsString() == "pre";
}

bool TProperties::NoWrapText() const {
  const TPropValue& v = FValues[piWhiteSpace];
  return v.IsString() && (v.AsString() == "nowrap" || v.AsString() == "pre");
}

ThtFontInfo TProperties::FillFontInfo() const {
  ThtFontInfo info;
  info.BackColor = FTextBackground;
  info.TextColor = FValues[piColor].AsInteger();
  if (IsBoldWeight(FValues[piFontWeight])) info.StyleSet |= htfsBold;
  std::string_view style = FValues[piFontStyle].AsString();
  if (style == "italic" || style == "oblique") info.StyleSet |= htfsItalic;
  std::string_view decoration = FValues[piTextDecoration].AsString();
  if (decoration == "underline")
    info.StyleSet |= htfsUnderline;
  else if (decoration == "line-through")
    info.StyleSet |= htfsStrikeOut;
  const TPropValue& size = FValues[piFontSize];
  double points = size.IsString() ? SizeToPoints(size.AsString(), DocumentPointSize())
                                  : size.AsDouble();
  // A missing size would make an invisible font; the document size stands in. Huge
  // sizes are capped so that font arithmetic downstream cannot overflow.
  if (points > 0)
    SetFontPoints(info, points);
  else
    info.PointSize = DocumentPointSize();
  info.CharacterSet = FCharSet;
  info.FaceName = FaceOf(FValues[piFontFamily]);
  if (ContainsIgnoringCase(info.FaceName, "dings")) info.CharacterSet = DEFAULT_CHARSET;
  info.LetterSpacing = SpacingPixels(piLetterSpacing);
  info.WordSpacing = SpacingPixels(piWordSpacing);
  const TPropValue& variant = FValues[piFontVariant];
  info.SmallCaps = variant.IsString() && variant.AsString() == "small-caps";
  return info;
}

std::unique_ptr<TMyFont> TProperties::CreateElementFont() {
  auto copy = std::make_unique<TMyFont>();
  copy->Assign(*ElementFont());
  return copy;
}

std::shared_ptr<const TMyFont> TProperties::ElementFont() {
  if (!FCachedFont) {
    FCachedFont = SharedElementFont(FillFontInfo());
    FCachedFontEm = -1;
  }
  return FCachedFont;
}

int TProperties::OwnEmPixels() const {
  // The font is measured once and kept, as InheritFrom does for the children.
  TProperties& self = const_cast<TProperties&>(*this);
  if (!FCachedFont || FCachedFontEm < 0) {
    self.ElementFont();
    const TFontMeasure measure = MeasureFont(*FCachedFont);
    self.FCachedFontEm = measure.EmPixels;
    self.FCachedFontEx = measure.ExPixels;
  }
  return FCachedFontEm;
}

int TProperties::OwnExPixels() const {
  OwnEmPixels();
  return FCachedFontEx;
}

void TProperties::CopyLinkFontsTo(TFontInfoArray& target) const {
  if (FLinkFonts) target.Assign(*FLinkFonts);
}

void TProperties::TakeTextBackground() {
  if (FValues[piBackgroundColor].IsInteger() && FSetHere.test(piBackgroundColor) &&
      FTextBackground != FValues[piBackgroundColor].AsInteger()) {
    FTextBackground = FValues[piBackgroundColor].AsInteger();
    ForgetFont();
  }
}

void TProperties::Renew() {
  FCachedFont.reset();
  FHasLinkFonts = false;
  FTagName.clear();
  FElementClass.clear();
  FElementId.clear();
  FPseudoClass.clear();
  FTitleText.clear();
  FStyleAttr = nullptr;
  FStyleAttrHeld.reset();
  FTextBackground = NoColour;
  FCharSet = 0;
  FCodePage = DefaultCodePage;
  FEmPixels = 0;
  FExPixels = 0;
  FBackgroundAttachment = TBackgroundAttachment::Unset;
  FSetHere.reset();
  FLinkFonts.reset();
  FCachedFontEm = -1;
  FCachedFontEx = 0;
  FStyled = false;
  FAncestorMatches.clear();
}

TProperties& TPropStack::Push() {
  if (Count() == 0) return Insert(0);
  // InheritFrom writes every value: the entry's old ones need no clearing.
  TProperties& entry = Take(Count());
  entry.InheritFrom((*this)[Count() - 2]);
  return entry;
}

TProperties& TPropStack::Insert(int index) {
  TProperties& entry = Take(index);
  static const TProperties Fresh;
  for (int i = 0; i < PropCount; ++i) entry.FValues[i].AssignFrom(Fresh.FValues[i]);
  return entry;
}

TProperties& TPropStack::Take(int index) {
  if (index < 0) index = 0;
  if (index > Count()) index = Count();
  std::unique_ptr<TProperties> entry;
  if (FSpare.empty()) {
    entry = std::make_unique<TProperties>();
  } else {
    // A popped entry's storage made new again: elements come and go by the thousand.
    entry = std::move(FSpare.back());
    FSpare.pop_back();
    entry->Renew();
  }
  FItems.insert(FItems.begin() + index, std::move(entry));
  Renumber(index);
  DropRowsFrom(index);
  return *FItems[index];
}

void TPropStack::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  Forget(*FItems[index]);
  if (FSpare.size() < MaxSpare) FSpare.push_back(std::move(FItems[index]));
  FItems.erase(FItems.begin() + index);
  Renumber(index);
  DropRowsFrom(index);
}

void TPropStack::Clear() {
  FItems.clear();
  FSpare.clear();
  FMatches.clear();
  FSheet = nullptr;
  FIndexedComponents = 0;
  FRowsMade = 0;
}

namespace {

// Position in a match list of the first entry above stack index Index.
size_t UpperPosition(const std::vector<TProperties*>& list, int index) {
  return size_t(std::upper_bound(list.begin(), list.end(), index,
                                 [](int i, const TProperties* e) {
                                   return i < e->PropStackIndex();
                                 }) -
                list.begin());
}

}  // namespace

void TPropStack::Sync(const TStyleList& styles) {
  if (FSheet != &styles || FSheetGeneration != styles.Generation()) {
    for (auto& item : FItems) item->FAncestorMatches.clear();
    FMatches.clear();
    FSheet = &styles;
    FSheetGeneration = styles.Generation();
    FIndexedComponents = 0;
    FRowsMade = 0;
  }
  const size_t count = styles.ComponentCount();
  if (FIndexedComponents == count) return;
  FRowsMade = 0;  // rows are as wide as the components
  // Rules read while the document is built bring new components: the open elements are
  // matched against those once.
  FMatches.resize(count);
  const size_t first = FIndexedComponents;
  FIndexedComponents = count;
  for (auto& item : FItems)
    if (item->FStyled) MatchComponents(*item, styles, first);
}

void TPropStack::MatchComponents(TProperties& entry, const TStyleList& styles, size_t first) {
  const size_t known = entry.FAncestorMatches.size();
  styles.MatchingComponents(entry, first, entry.FAncestorMatches);
  for (size_t n = known; n < entry.FAncestorMatches.size(); ++n) {
    std::vector<TProperties*>& list = FMatches[entry.FAncestorMatches[n]];
    list.insert(list.begin() + std::ptrdiff_t(UpperPosition(list, entry.FPropStackIndex)), &entry);
  }
}

void TPropStack::NoteIdentity(TProperties& entry, const TStyleList& styles) {
  if (entry.FPropStack != this) return;
  Sync(styles);
  Forget(entry);
  entry.FStyled = true;
  MatchComponents(entry, styles, 0);
  DropRowsFrom(entry.FPropStackIndex);
}

void TPropStack::Forget(TProperties& entry) {
  for (int n : entry.FAncestorMatches) {
    if (size_t(n) >= FMatches.size()) continue;
    std::vector<TProperties*>& list = FMatches[n];
    auto at = std::find(list.begin() + std::ptrdiff_t(UpperPosition(list, entry.FPropStackIndex - 1)),
                        list.end(), &entry);
    if (at != list.end()) list.erase(at);
  }
  entry.FAncestorMatches.clear();
  entry.FStyled = false;
}

int TPropStack::NearestMatch(const TStyleList& styles, int component, int below) {
  Sync(styles);
  return NearestSyncedMatch(component, below);
}

void TPropStack::MakeRows(int index) {
  const size_t width = FIndexedComponents;
  if (FRows.size() < size_t(index + 1) * width) FRows.resize(size_t(index + 1) * width);
  for (int k = FRowsMade; k <= index; ++k) {
    int* row = FRows.data() + size_t(k) * width;
    if (k == 0)
      std::fill(row, row + width, -1);
    else
      std::copy(row - width, row, row);
    const TProperties& entry = *FItems[k];
    if (k >= 1 && entry.FStyled)
      for (int n : entry.FAncestorMatches) row[n] = k;
  }
  FRowsMade = index + 1;
}

const int* TPropStack::MatchRows(int below) {
  if (below < 0 || below >= Count() || size_t(below + 1) * FIndexedComponents > MaxRowCells)
    return nullptr;
  if (below >= FRowsMade) MakeRows(below);
  return FRows.data();
}

int TPropStack::NearestSyncedMatch(int component, int below) {
  if (component < 0 || size_t(component) >= FMatches.size() || below < 0) return -1;
  if (const int* rows = MatchRows(below))
    return rows[size_t(below) * FIndexedComponents + size_t(component)];
  const std::vector<TProperties*>& list = FMatches[component];
  // The nearest match mostly stands among the last few; a deep stack is searched.
  constexpr size_t ShortReach = 4;
  size_t at = list.size();
  const size_t stop = at > ShortReach ? at - ShortReach : 0;
  while (at > stop && list[at - 1]->FPropStackIndex > below) --at;
  if (at == stop && stop > 0) at = UpperPosition(list, below);
  if (at == 0) return -1;
  const int index = list[at - 1]->FPropStackIndex;
  return index >= 1 ? index : -1;
}

void TPropStack::Renumber(int from) {
  for (int i = from; i < Count(); ++i) {
    FItems[i]->FPropStack = this;
    FItems[i]->FPropStackIndex = i;
  }
}
