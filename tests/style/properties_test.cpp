#include <gtest/gtest.h>

#include <tuple>

#include "style_doc.h"

namespace {

TEST(Properties, InheritanceCopiesResetsOrKeepsByIndex) {
  TFakeFontScope fonts;
  TProperties parent;
  for (int i = 0; i < PropCount; ++i) parent.FValues[i] = TPropValue(1000 + i);
  parent.FTextBackground = 0x123456;
  parent.FTitleText = "tip";
  TProperties child;
  child.InheritFrom(parent);
  const int kept[] = {6, 8, 9, 32, 33, 34, 35, 36, 40, 41, 43, 44, 45, 47, 52, 53, 54, 55};
  for (int i = 0; i < PropCount; ++i) {
    bool isKept = std::find(std::begin(kept), std::end(kept), i) != std::end(kept);
    if (i >= 10 && i <= 29)
      EXPECT_EQ(child[i], TPropValue(NoValue)) << PropertyName(i);
    else if (isKept)
      EXPECT_TRUE(child[i].IsUnset() || (i == piZIndex)) << PropertyName(i);
    else
      EXPECT_EQ(child[i], TPropValue(1000 + i)) << PropertyName(i);
    EXPECT_FALSE(child.FSetHere.test(i));
  }
  EXPECT_EQ(child.FTextBackground, 0x123456);
  EXPECT_EQ(child.FTitleText, "tip");
}

TEST(Properties, LookupPropertyIsExact) {
  int index = -1;
  EXPECT_TRUE(LookupProperty("text-transform", index));
  EXPECT_EQ(index, piTextTransform);
  EXPECT_TRUE(LookupProperty("display", index));
  EXPECT_EQ(index, 47);
  EXPECT_FALSE(LookupProperty("Color", index));
  EXPECT_FALSE(LookupProperty("font-stretch", index));
  EXPECT_TRUE(LookupProperty("font-variant", index));
  EXPECT_EQ(index, piFontVariant);
}

TEST(Properties, AttributeValuesDoNotOverrideRules) {
  TStyleDoc doc;
  doc.Sheet("font { color: red }");
  TProperties& font = doc.Open("font");
  font.SetFromAttribute(TPropValue(int(clBlue)), piColor);
  EXPECT_EQ(font[piColor].AsInteger(), 0x0000FF);
  doc.Close();
  TProperties& span = doc.Open("span");
  span.SetFromAttribute(TPropValue(int(clBlue)), piColor);
  EXPECT_EQ(span[piColor].AsInteger(), clBlue);
  EXPECT_EQ(span.OwnColorValue(), clBlue);
  // A second attribute for the same index is ignored too: the first one set it here.
  span.SetFromAttribute(TPropValue(int(clLime)), piColor);
  EXPECT_EQ(span[piColor].AsInteger(), clBlue);
}

TEST(Properties, StyleAttributeMergesLastAndCountsAsSetHere) {
  TStyleDoc doc;
  doc.Sheet("p { color: red; margin-left: 3px }");
  TProperties attr;
  ParseStyleAttribute("COLOR: Blue; margin-left: 9px", attr);
  TProperties& p = doc.Open("p", "", "", "", &attr);
  EXPECT_EQ(p[piColor].AsInteger(), 0xFF0000);
  EXPECT_EQ(p[piMarginLeft], TPropValue(std::string_view("9px")));
  p.SetFromAttribute(TPropValue(int(clLime)), piColor);
  EXPECT_EQ(p[piColor].AsInteger(), 0xFF0000);
}

TEST(Properties, VisibilityAndTextTransformStorage) {
  TStyleDoc doc;
  TProperties& div = doc.Open("div");
  div.SetDeclarationAt(piVisibility, "hidden");
  EXPECT_EQ(div[piVisibility].AsInteger(), 1);
  EXPECT_EQ(div.VisibilityKind(), TVisibility::Hidden);
  div.SetDeclarationAt(piVisibility, "collapse");  // unknown: the value stays
  EXPECT_EQ(div[piVisibility].AsInteger(), 1);
  div.SetDeclarationAt(piVisibility, "visible");
  EXPECT_EQ(div.VisibilityKind(), TVisibility::Visible);

  div.SetDeclarationAt(piTextTransform, "uppercase");
  EXPECT_EQ(div.CaseTransform(), TTextTransform::Upper);
  div.SetDeclarationAt(piTextTransform, "lowercase");
  EXPECT_EQ(div.CaseTransform(), TTextTransform::Lower);
  div.SetDeclarationAt(piTextTransform, "capitalize");
  EXPECT_EQ(div.CaseTransform(), TTextTransform::Capitalize);
  div.SetDeclarationAt(piTextTransform, "full-width");
  EXPECT_EQ(div.CaseTransform(), TTextTransform::None);
  EXPECT_TRUE(div[piTextTransform].IsInteger());

  // Both inherit.
  div.SetDeclarationAt(piVisibility, "hidden");
  div.SetDeclarationAt(piTextTransform, "uppercase");
  TProperties& span = doc.Open("span");
  EXPECT_EQ(span.VisibilityKind(), TVisibility::Hidden);
  EXPECT_EQ(span.CaseTransform(), TTextTransform::Upper);
}

TEST(Properties, ColourDeclarationsFallBack) {
  TProperties props;
  props.SetDeclarationAt(piColor, "nonsense");
  props.SetDeclarationAt(piBackgroundColor, "nonsense");
  props.SetDeclarationAt(piBorderColor, "#00ff00");
  EXPECT_EQ(props[piColor].AsInteger(), 0);
  EXPECT_EQ(props[piBackgroundColor].AsInteger(), NoColour);
  EXPECT_EQ(props[piBorderColor].AsInteger(), 0x00FF00 + PaletteRelativeFlag);
  // The important marker stays in the text, so the colour does not read.
  props.SetDeclarationAt(piColor, "red !important");
  EXPECT_EQ(props[piColor].AsInteger(), 0);
}

// "inherit" takes the parent's background colour, whichever way the parent got it, and
// nothing at the root.
TEST(Properties, BackgroundColourInheritsWhenAsked) {
  struct TCase {
    const char* Sheet;
    int Background;  // of the p inside the div
  } Cases[] = {
      {"div {background: white url(x.png)} p {background-color: inherit}", 0xFFFFFF},
      {"div {background-color: red} p {background-color: inherit}", 0x0000FF},
      {"p {background-color: inherit}", NoColour},
      {"div {background-color: red} p {background-color: blue} p {background-color: inherit}",
       0x0000FF},
  };
  for (const TCase& C : Cases) {
    TStyleDoc doc;
    doc.Sheet(C.Sheet);
    doc.Open("body");
    doc.Open("div");
    const TPropValue& v = doc.Open("p")[piBackgroundColor];
    const bool colour = v.IsInteger() && v.AsInteger() != NoValue && v.AsInteger() != NoColour;
    EXPECT_EQ(colour ? v.AsInteger() : NoColour, C.Background) << C.Sheet;
  }
}

TEST(Properties, FontSizeBecomesPointsRelativeToTheParent) {
  TStyleDoc doc;
  doc.Sheet(".half { font-size: 50% } .px { font-size: 24px }");
  TProperties& h1 = doc.Open("h1");
  EXPECT_TRUE(h1[piFontSize].IsDouble());
  EXPECT_DOUBLE_EQ(h1[piFontSize].AsDouble(), 24);
  TProperties& half = doc.Open("span", "half");
  EXPECT_DOUBLE_EQ(half[piFontSize].AsDouble(), 12);
  TProperties& big = doc.Open("big");
  EXPECT_DOUBLE_EQ(big[piFontSize].AsDouble(), 15);
  TProperties& px = doc.Open("span", "px");
  EXPECT_DOUBLE_EQ(px[piFontSize].AsDouble(), 18);
  // em and ex come from the parent's font: 24px at 96 pixels per inch is 18pt.
  TProperties& inner = doc.Open("span");
  EXPECT_EQ(inner.FEmPixels, 24);
  EXPECT_EQ(inner.FExPixels, 12);
}

// A size is rounded to pixels once: a size between whole points keeps its own pixels.
TEST(Properties, FontSizeGivesItsOwnPixels) {
  const struct {
    const char* Size;
    int Em;
  } Cases[] = {
      {"10px", 10}, {"14px", 14}, {"15px", 15}, {"18px", 18}, {"12pt", 16},
      {"7.5pt", 10}, {"90%", 14}, {"0.625em", 10}, {"xx-small", 11},
  };
  for (const auto& Case : Cases) {
    TStyleDoc doc;
    doc.Sheet(std::string("body { font-size: 16px } span { font-size: ") + Case.Size + " }");
    doc.Open("body");
    doc.Open("span");
    EXPECT_EQ(doc.Open("b").FEmPixels, Case.Em) << Case.Size;
  }
}

// An ex is the x-height of the element's own font when its face gives one, half the em
// when it does not; children inherit it, and lengths such as text-indent count in it.
TEST(Properties, ExIsTheFacesXHeight) {
  const struct {
    const char* Font;
    int Ex, Indent;  // ex, and text-indent: 2ex
  } Cases[] = {
      {"16px Arial", 8, 16},
      {"16px 'Tall X'", 12, 24},
      {"24px 'Tall X'", 18, 36},
      {"20px 'Tall X', Arial", 15, 30},
  };
  for (const auto& Case : Cases) {
    TStyleDoc doc;
    doc.Sheet(std::string("div { font: ") + Case.Font + " } span { text-indent: 2ex }");
    doc.Open("body");
    EXPECT_EQ(doc.Open("div").FExPixels, Case.Ex) << Case.Font;
    TProperties& span = doc.Open("span");
    EXPECT_EQ(span.FExPixels, Case.Ex) << Case.Font;
    bool percent = false;
    EXPECT_EQ(span.IndentValue(percent), Case.Indent) << Case.Font;
  }
}

// A font size in ex counts in the parent font's x-height; a negative size is no size.
TEST(Properties, FontSizeInExAndNegativeSizes) {
  const struct {
    const char* Parent;
    const char* Size;
    int Em;
  } Cases[] = {
      {"16px 'Tall X'", "2ex", 24},   // x-height 12
      {"20px 'Tall X'", "3ex", 45},    // x-height 15
      {"16px Arial", "2ex", 16},      // no x-height given: half the em
      {"16px Arial", "-0.5in", 16},   // ignored: the parent's size stays
      {"16px Arial", "-2em", 16},
  };
  for (const auto& Case : Cases) {
    TStyleDoc doc;
    doc.Sheet(std::string("div { font: ") + Case.Parent + " } span { font-size: " + Case.Size +
              " }");
    doc.Open("body");
    doc.Open("div");
    doc.Open("span");
    EXPECT_EQ(doc.Open("b").FEmPixels, Case.Em) << Case.Parent << " " << Case.Size;
  }
}

TEST(Properties, FontMetricsAreMeasuredOncePerFont) {
  TStyleDoc doc;
  doc.Open("body");
  doc.Open("div");
  int before = doc.Fonts.Services.MetricCalls;
  for (int i = 0; i < 200; ++i) {
    TProperties& p = doc.Open("p");
    TProperties& b = doc.Open("b");
    EXPECT_EQ(b.FEmPixels, 16);
    doc.Close();
    doc.Close();
    (void)p;
  }
  EXPECT_LE(doc.Fonts.Services.MetricCalls - before, 3);
}

// Lengths in em count in the element's own font: a rule or a FONT size that changes the
// font changes the element's em, which its children inherit; font-size itself still
// counts in the parent's.
TEST(Properties, EmIsTheElementsOwnFont) {
  TStyleDoc doc;
  doc.Sheet("div { font-size: 2em } p { margin-left: 1em }");
  const int bodyEm = doc.Open("body").FEmPixels;
  TProperties& div = doc.Open("div");
  EXPECT_EQ(div.FEmPixels, 2 * bodyEm);
  EXPECT_EQ(div.FExPixels, bodyEm);
  EXPECT_EQ(doc.Open("p").FEmPixels, 2 * bodyEm);
  doc.Close();
  doc.Close();
  TProperties& font = doc.Open("font");
  font.SetFromAttribute(TPropValue(24.0), piFontSize);
  EXPECT_EQ(font.FEmPixels, 2 * bodyEm);
}

TEST(Properties, ElementFontFromValues) {
  TStyleDoc doc;
  doc.Sheet("span { font-family: 'Nope', sans-serif; font-weight: 700; font-style: oblique;"
            " text-decoration: line-through; background-color: #010203 }");
  TProperties& span = doc.Open("span");
  span.TakeTextBackground();
  std::unique_ptr<TMyFont> font = span.CreateElementFont();
  EXPECT_EQ(font->Name, "Arial");
  EXPECT_EQ(font->Size, 12);
  EXPECT_TRUE(font->Bold);
  EXPECT_TRUE(font->Italic);
  EXPECT_TRUE(font->StrikeOut);
  EXPECT_FALSE(font->Underline);
  EXPECT_EQ(font->FBackColor, 0x030201 + PaletteRelativeFlag);
  EXPECT_TRUE(font->FLeadByteSet.none());
  TProperties huge;
  huge.SetDeclarationAt(piFontSize, "99999999999pt");
  EXPECT_EQ(huge.FillFontInfo().PointSize, 2000);
  EXPECT_EQ(span.BackgroundColorValue(), 0x030201 + PaletteRelativeFlag);
  // The background colour is not inherited as a value, but the text background is.
  TProperties& inner = doc.Open("i");
  EXPECT_EQ(inner.BackgroundColorValue(), NoColour);
  EXPECT_EQ(inner.FTextBackground, 0x030201 + PaletteRelativeFlag);
}

// A child starts with its parent's font; every way a value of the font changes afterwards
// must give the child a font of its own values.
TEST(Properties, InheritedFontFollowsTheChildsOwnValues) {
  struct TCase {
    const char* Sheet;
    void (*Change)(TProperties& Child);
  } cases[] = {
      {"", nullptr},
      {"span { font-weight: bold }", nullptr},
      {"span { color: #102030 }", nullptr},
      {"span { background-color: #010203 }", [](TProperties& c) { c.TakeTextBackground(); }},
      {"", [](TProperties& c) { c.SetFromAttribute(TPropValue(0x405060), piColor); }},
      {"", [](TProperties& c) { c.SetFromAttribute(TPropValue(20.0), piFontSize); }},
      {"", [](TProperties& c) { c.ApplyCharSet(SHIFTJIS_CHARSET); }},
      {"", [](TProperties& c) { c.SetDeclaration("font-style", "italic"); }},
      // Spacing in ems counts against the inherited em: the parent's font is twice its own.
      {"div { font-size: 2em; letter-spacing: 0.5em; word-spacing: 1em }", nullptr},
      {"div { letter-spacing: 3px }", nullptr},
  };
  auto looks = [](const TMyFont& f) {
    return std::make_tuple(f.Name, f.Size, f.SizeCentipoints, f.Bold, f.Italic, f.Color,
                           f.FBackColor, f.Charset, f.LetterSpacing, f.WordSpacing);
  };
  for (const TCase& c : cases) {
    TStyleDoc doc;
    doc.Sheet(c.Sheet);
    TProperties& div = doc.Open("div");
    TProperties& child = doc.Open("span");
    if (c.Change) c.Change(child);
    EXPECT_EQ(looks(*child.ElementFont()), looks(*SharedElementFont(child.FillFontInfo())))
        << c.Sheet;
    EXPECT_EQ(child.OwnEmPixels(), MeasureFont(*SharedElementFont(child.FillFontInfo())).EmPixels)
        << c.Sheet;
    if (!c.Sheet[0] && !c.Change) { EXPECT_EQ(child.ElementFont(), div.ElementFont()); }
  }
}

TEST(Properties, CharacterSetsGiveCodePagesAndLeadBytes) {
  TStyleDoc doc;
  TProperties& p = doc.Open("p");
  p.ApplyCharSet(SHIFTJIS_CHARSET);
  EXPECT_EQ(p.FCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(p.FCodePage, 932);
  std::unique_ptr<TMyFont> font = p.CreateElementFont();
  EXPECT_TRUE(font->FLeadByteSet.test(0x81));
  EXPECT_TRUE(font->FLeadByteSet.test(0x9F));
  EXPECT_FALSE(font->FLeadByteSet.test(0xA0));
  EXPECT_FALSE(font->FLeadByteSet.test(0xE0));  // only the first range
  p.ApplyCharSet(RUSSIAN_CHARSET);
  EXPECT_EQ(p.FCodePage, 1251);
  p.ApplyCharSet(DEFAULT_CHARSET);
  EXPECT_EQ(p.FCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(LeadByteSetOfCharSet(HANGEUL_CHARSET).count(), 0xFEu - 0xA1u + 1);
  EXPECT_EQ(LeadByteSetOfCharSet(CHINESEBIG5_CHARSET).count(), 0xFEu - 0x81u + 1);
  int codePage = 5;
  EXPECT_FALSE(CodePageOfCharSet(99, codePage));
  EXPECT_EQ(codePage, 5);

  doc.Sheet("q { font-family: wingdings }");
  EXPECT_EQ(doc.Open("q").FillFontInfo().CharacterSet, DEFAULT_CHARSET);
}

TEST(Properties, InstalledFaceFromList) {
  TFakeFontScope fonts;
  EXPECT_EQ(InstalledFaceFromList("Nope, \"Courier New\", Arial"), "Courier New");
  EXPECT_EQ(InstalledFaceFromList(" SERIF "), "Times New Roman");
  EXPECT_EQ(InstalledFaceFromList("Monospace"), "Courier New");
  EXPECT_EQ(InstalledFaceFromList("cursive, nope"), "");
  EXPECT_EQ(InstalledFaceFromList(",,'Arial'"), "Arial");
  EXPECT_EQ(InstalledFaceFromList(""), "");
}

TEST(Properties, LinkFontsTakeTheLinkVisitedAndHoverLooks) {
  TStyleDoc doc;
  doc.Sheet("a:hover { text-decoration: none; font-weight: bold }");
  doc.Open("body");
  int depth = doc.Stack.Count();
  TProperties& a = doc.Open("a", "", "", "link");
  EXPECT_EQ(doc.Stack.Count(), depth + 1);
  ASSERT_TRUE(a.FHasLinkFonts);
  TFontInfoArray fonts;
  a.CopyLinkFontsTo(fonts);
  EXPECT_EQ(fonts.Items[0].TextColor, TestLinkColor | PaletteRelativeFlag);
  EXPECT_TRUE(fonts.Items[0].StyleSet & htfsUnderline);
  EXPECT_EQ(fonts.Items[1].TextColor, TestVisitedColor | PaletteRelativeFlag);
  EXPECT_EQ(fonts.Items[2].TextColor, TestHoverColor | PaletteRelativeFlag);
  EXPECT_FALSE(fonts.Items[2].StyleSet & htfsUnderline);
  EXPECT_TRUE(fonts.Items[2].StyleSet & htfsBold);
  EXPECT_EQ(fonts.Items[3].TextColor, TestHoverColor | PaletteRelativeFlag);
  EXPECT_TRUE(fonts.Items[3].StyleSet & htfsBold);
  EXPECT_FALSE(fonts.Items[1].StyleSet & htfsBold);

  // Inside the link, rules update all four fonts.
  doc.Sheet("em { color: #000080 }");
  TProperties& em = doc.Open("em");
  ASSERT_TRUE(em.FHasLinkFonts);
  EXPECT_EQ(em.FLinkFonts->Items[2].TextColor, 0x800000 + PaletteRelativeFlag);
  EXPECT_EQ(em.FLinkFonts->Items[2].StyleSet & htfsItalic, htfsItalic);
  em.SetFromAttribute(TPropValue(12), piFontSize);
}

TEST(Properties, RefreshTakesUnsetValuesFromTheSource) {
  TStyleDoc doc;
  TProperties& p = doc.Open("p");
  p.SetDeclarationAt(piTextAlign, "right");
  p.FSetHere.set(piTextAlign);
  TProperties source;
  source.FValues[piTextAlign] = TPropValue(std::string_view("center"));
  source.FValues[piFontFamily] = TPropValue(std::string_view("Arial"));
  p.CreateElementFont();
  p.Refresh(source, doc.Styles, doc.Stack.Count() - 1);
  EXPECT_EQ(p[piTextAlign].AsString(), "right");
  EXPECT_EQ(p[piFontFamily].AsString(), "Arial");
  EXPECT_EQ(p.CreateElementFont()->Name, "Arial");  // the cached font was dropped
}

TEST(Properties, Accessors) {
  TProperties p;
  p.FEmPixels = 10;
  p.FExPixels = 5;
  TVerticalAlign align = TVerticalAlign::Bottom;
  EXPECT_FALSE(p.VerticalAlignment(align));
  p.SetDeclarationAt(piVerticalAlign, "text-top");
  EXPECT_TRUE(p.VerticalAlignment(align));
  EXPECT_EQ(align, TVerticalAlign::Top);
  TFloatSide side = TFloatSide::None;
  p.SetDeclarationAt(piFloat, "right");
  EXPECT_TRUE(p.FloatSide(side));
  EXPECT_EQ(side, TFloatSide::Right);
  p.SetDeclarationAt(piFloat, "sideways");
  EXPECT_FALSE(p.FloatSide(side));
  TClearSides clear = TClearSides::None;
  p.SetDeclarationAt(piClear, "both");
  EXPECT_TRUE(p.ClearSides(clear));
  EXPECT_EQ(clear, TClearSides::Both);
  p.SetDeclarationAt(piListStyleType, "upper-roman");
  EXPECT_EQ(p.ListMarkerKind(), TMarkerStyle::UpperRoman);
  p.SetDeclarationAt(piListStyleType, "hebrew");
  EXPECT_EQ(p.ListMarkerKind(), TMarkerStyle::Blank);
  p.SetDeclarationAt(piPosition, "absolute");
  EXPECT_EQ(p.PositionKind(), TPositionKind::Absolute);
  p.SetDeclarationAt(piZIndex, "7");
  EXPECT_EQ(p.StackOrder(), 7);
  p.SetDeclarationAt(piZIndex, "x");
  EXPECT_EQ(p.StackOrder(), 0);
  p.SetDeclarationAt(piDisplay, "none");
  EXPECT_TRUE(p.DisplaysNothing());
  p.SetDeclarationAt(piLineHeight, "1.5");
  EXPECT_EQ(p.LineHeightPixels(20), 30);
  p.SetDeclarationAt(piLineHeight, "2em");
  EXPECT_EQ(p.LineHeightPixels(20), 20);
  p.SetDeclarationAt(piLineHeight, "150%");
  EXPECT_EQ(p.LineHeightPixels(20), 15);
  bool percent = false;
  p.SetDeclarationAt(piTextIndent, "20%");
  EXPECT_EQ(p.IndentValue(percent), 20);
  EXPECT_TRUE(percent);
  p.SetDeclarationAt(piTextIndent, "2ex");
  EXPECT_EQ(p.IndentValue(percent), 10);
  EXPECT_FALSE(percent);
  bool before, after, inside;
  p.SetDeclarationAt(piPageBreakBefore, "always");
  p.SetDeclarationAt(piPageBreakInside, "avoid");
  p.PageBreakFlags(before, after, inside);
  EXPECT_TRUE(before);
  EXPECT_FALSE(after);
  EXPECT_TRUE(inside);
  std::string name = "x";
  EXPECT_FALSE(p.BackgroundImageName(name));
  p.SetDeclarationAt(piBackgroundImage, "none");
  EXPECT_TRUE(p.BackgroundImageName(name));
  EXPECT_EQ(name, "");
  p.SetDeclarationAt(piBackgroundImage, "url('bg.png')");
  EXPECT_TRUE(p.BackgroundImageName(name));
  EXPECT_EQ(name, "bg.png");
}

TEST(Properties, BackgroundPlacement) {
  struct TCase {
    const char* Position;
    const char* Repeat;
    int HKind, HValue, VKind, VValue;
    bool HRepeat, VRepeat;
  } cases[] = {
      {"top left", "", bpLeft, 0, bpTop, 0, true, true},
      {"left top", "no-repeat", bpLeft, 0, bpTop, 0, false, false},
      {"center left", "repeat-x", bpLeft, 0, bpCenter, 0, true, false},
      {"bottom", "repeat-y", bpCenter, 0, bpBottom, 0, false, true},
      {"right", "", bpRight, 0, bpCenter, 0, true, true},
      {"50% 2em", "", bpPercent, 50, bpLength, 20, true, true},
      {" 10px ", "", bpLength, 10, bpCenter, 0, true, true},
      {"top 30%", "", bpPercent, 30, bpTop, 0, true, true},
  };
  for (const TCase& c : cases) {
    TProperties p;
    p.SetDeclarationAt(piBackgroundPosition, c.Position);
    if (*c.Repeat) p.SetDeclarationAt(piBackgroundRepeat, c.Repeat);
    TBackgroundPositions pos;
    p.BackgroundPlacement(10, 5, pos);
    EXPECT_EQ(pos[0].Kind, c.HKind) << c.Position;
    EXPECT_EQ(pos[0].Value, c.HValue) << c.Position;
    EXPECT_EQ(pos[1].Kind, c.VKind) << c.Position;
    EXPECT_EQ(pos[1].Value, c.VValue) << c.Position;
    EXPECT_EQ(pos[0].Repeat, c.HRepeat) << c.Position;
    EXPECT_EQ(pos[1].Repeat, c.VRepeat) << c.Position;
  }
  TProperties none;
  TBackgroundPositions pos;
  none.BackgroundPlacement(10, 5, pos);
  EXPECT_EQ(pos[0].Kind, bpLength);
  EXPECT_EQ(pos[1].Value, 0);
}

TEST(PropertyValue, KindsCopiesAndLongText) {
  std::string longText(300, 'x');
  TPropValue a{std::string_view(longText)};
  TPropValue b = a;
  EXPECT_EQ(b.AsString(), longText);
  a = TPropValue(5);
  EXPECT_EQ(b.AsString(), longText);  // sharing is invisible
  EXPECT_EQ(a.AsInteger(), 5);
  EXPECT_FALSE(TPropValue().IsSet());
  EXPECT_FALSE(TPropValue::Null().IsSet());
  EXPECT_EQ(TPropValue(2.5).AsInteger(), 2);
  EXPECT_EQ(TPropValue(std::string_view("12")).AsInteger(), 12);
  EXPECT_EQ(TPropValue(std::string_view("12px")).AsInteger(), 0);
  EXPECT_EQ(TPropValue(std::string_view(std::string(22, 'y'))).AsString().size(), 22u);
  EXPECT_LE(sizeof(TPropValue), 32u);
}

// The attachment of a background comes from rules, the shorthand or the element's style and
// is not inherited.
TEST(Properties, BackgroundAttachmentCascadesWithoutInheritance) {
  struct TCase {
    const char* Sheet;
    TBackgroundAttachment Parent, Child;
  } Cases[] = {
      {"", TBackgroundAttachment::Unset, TBackgroundAttachment::Unset},
      {"div { background-attachment: fixed }", TBackgroundAttachment::Unset,
       TBackgroundAttachment::Fixed},
      {"body { background: url(a.png) fixed }", TBackgroundAttachment::Fixed,
       TBackgroundAttachment::Unset},
      {"body { background-attachment: fixed } body { background-attachment: scroll }",
       TBackgroundAttachment::Scroll, TBackgroundAttachment::Unset},
      {"body { background-attachment: fixed } body { background-attachment: sideways }",
       TBackgroundAttachment::Fixed, TBackgroundAttachment::Unset},
  };
  for (const TCase& C : Cases) {
    TStyleDoc doc;
    doc.Sheet(C.Sheet);
    const TProperties& body = doc.Open("body");
    EXPECT_EQ(body.FBackgroundAttachment, C.Parent) << C.Sheet;
    EXPECT_EQ(doc.Open("div").FBackgroundAttachment, C.Child) << C.Sheet;
  }
}

}  // namespace

namespace {

// "border-spacing": one length for both directions or two (across, down), in the
// element's own em, held within the CELLSPACING bound; unreadable or unset is none.
TEST(Properties, BorderSpacingInPixels) {
  TStyleDoc doc;
  doc.Sheet("table { font-size: 2em }");
  doc.Open("body");
  TProperties& table = doc.Open("table");
  const int em = table.OwnEmPixels();
  const struct {
    const char* Value;
    bool Given;
    int Across, Down;
  } Cases[] = {
      {"3px", true, 3, 3},
      {"3px 7px", true, 3, 7},
      {"0 5px", true, 0, 5},
      {"1em 0", true, em, 0},
      {"100px 2px", true, TProperties::MaxBorderSpacing, 2},
      {"-2px", false, 0, 0},
      {"3px 50%", false, 0, 0},
      {"wide", false, 0, 0},
  };
  int across = -1, down = -1;
  EXPECT_FALSE(table.BorderSpacing(across, down));
  for (const auto& c : Cases) {
    table.SetDeclaration("border-spacing", c.Value);
    across = down = 0;
    EXPECT_EQ(table.BorderSpacing(across, down), c.Given) << c.Value;
    if (!c.Given) continue;
    EXPECT_EQ(across, c.Across) << c.Value;
    EXPECT_EQ(down, c.Down) << c.Value;
  }
}

TEST(Properties, RightOffsetInPixels) {
  TProperties p;
  EXPECT_EQ(p.RightOffset(400), AutoValue);
  const struct {
    const char* Value;
    int Pixels;
  } Cases[] = {{"auto", AutoValue}, {"12px", 12}, {"-3px", -3}, {"25%", 100}, {"far", AutoValue}};
  for (const auto& c : Cases) {
    p.SetDeclaration("right", c.Value);
    EXPECT_EQ(p.RightOffset(400), c.Pixels) << c.Value;
  }
}

}  // namespace
