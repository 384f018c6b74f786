// The shortcuts of the style system must not show: a stack entry taken back from the
// spares styles as a new one does, a link's remembered visited and hover looks are the
// ones styling it afresh gives, and findings kept from one element to the next follow
// the sheet and the stack.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "style_doc.h"

namespace {

// One element to open: tag, class, pseudo-class and an optional style attribute.
struct TElement {
  std::string Tag, Class, Pseudo, Style;
};

// Opens the elements in turn on Doc, each inside the one before; the last is returned.
TProperties& OpenAll(TStyleDoc& doc, const std::vector<TElement>& chain,
                     std::vector<std::unique_ptr<TProperties>>& styles) {
  TProperties* last = nullptr;
  for (const TElement& e : chain) {
    const TProperties* attr = nullptr;
    if (!e.Style.empty()) {
      styles.push_back(std::make_unique<TProperties>());
      ParseStyleAttribute(e.Style, *styles.back());
      attr = styles.back().get();
    }
    last = &doc.Open(e.Tag, e.Class, "", e.Pseudo, attr);
  }
  return *last;
}

void ExpectSameStyle(const TProperties& got, const TProperties& fresh) {
  for (int i = 0; i < PropCount; ++i) EXPECT_EQ(got[i], fresh[i]) << PropertyName(i);
  EXPECT_EQ(got.FSetHere, fresh.FSetHere);
  EXPECT_EQ(got.FTagName, fresh.FTagName);
  EXPECT_EQ(got.FElementClass, fresh.FElementClass);
  EXPECT_EQ(got.FTitleText, fresh.FTitleText);
  EXPECT_EQ(got.FTextBackground, fresh.FTextBackground);
  EXPECT_EQ(got.FBackgroundAttachment, fresh.FBackgroundAttachment);
  EXPECT_EQ(got.FEmPixels, fresh.FEmPixels);
  EXPECT_EQ(got.FHasLinkFonts, fresh.FHasLinkFonts);
  EXPECT_EQ(got.FLinkFonts != nullptr, fresh.FLinkFonts != nullptr);
  EXPECT_EQ(got.FStyleAttr != nullptr, fresh.FStyleAttr != nullptr);
  EXPECT_EQ(got.FillFontInfo(), fresh.FillFontInfo());
}

constexpr const char* ReuseSheet =
    "div.w { font-family: 'A Family Name Longer Than Short Text', serif; margin-left: 3px;"
    " background-color: #123456; background-attachment: fixed; border-style: solid }"
    " a:hover { font-weight: bold } p { text-indent: 1em }";

TEST(PropStack, ReusedEntryStylesAsANewOne) {
  // Whatever an entry held before it was popped, the element pushed in its place looks
  // as it does on a stack that never held anything.
  const std::vector<std::vector<TElement>> before = {
      {{"div", "w", "", ""}},
      {{"div", "w", "", ""}, {"a", "", "link", "color: red; font-size: 30pt"}},
      {{"span", "", "", "background-color: #00FF00; letter-spacing: 2px"},
       {"a", "", "link", ""},
       {"em", "", "", ""}},
  };
  const std::vector<TElement> after = {{"div", "", "", ""}, {"p", "", "", ""}};
  for (size_t n = 0; n < before.size(); ++n) {
    SCOPED_TRACE(n);
    std::vector<std::unique_ptr<TProperties>> styles;
    TStyleDoc used;
    used.Sheet(ReuseSheet);
    OpenAll(used, before[n], styles);
    for (size_t k = 0; k < before[n].size(); ++k) used.Close();
    TStyleDoc fresh;
    fresh.Sheet(ReuseSheet);
    const TProperties& want = OpenAll(fresh, after, styles);
    const TProperties& got = OpenAll(used, after, styles);
    ExpectSameStyle(got, want);
    ExpectSameStyle(used.Stack[1], fresh.Stack[1]);
  }
}

TEST(LinkLooks, RememberedLooksAreThoseOfFreshStyling) {
  // Links of one identity, one after another in one document, inside parents that change
  // what the looks are made from; each must get the looks a document styling only it
  // gives. The second sheet has a contextual rule for hovered links; in the third the
  // contextual rules that reach links set nothing their fonts are made of.
  const char* const sheets[] = {
      "a:hover { font-size: 150%; text-decoration: none } a:visited { letter-spacing: 1em }"
      " a:visited:hover { color: #101010 } .big { font-size: 20pt } .red { color: red }"
      " .bg { background-color: #00FF00 } .fam { font-family: 'Courier New' }"
      " .ls { letter-spacing: 0.5em } a:visited { background-color: inherit }"
      " .s1 { font-size: 12.004pt } .s2 { font-size: 11.996pt }",
      ".big { font-size: 20pt } div.x a:hover { color: #202020 } .red { color: red }",
      "div.x a:hover { margin-left: 2px } div a { padding: 1px } div a:visited { line-height: 2 }"
      " a:hover { font-size: 150% } a:visited { color: #303030 } .big { font-size: 20pt }"
      " .red { color: red } .bg { background-color: #00FF00 } a:visited { background-color: inherit }",
  };
  const std::vector<std::vector<TElement>> chains = {
      {{"div", "", "", ""}, {"a", "", "link", ""}},
      {{"div", "big", "", ""}, {"a", "", "link", ""}},
      {{"div", "red", "", ""}, {"a", "", "link", ""}},
      {{"div", "bg", "", ""}, {"a", "", "link", ""}},
      // Looks kept some links ago.
      {{"div", "big", "", ""}, {"a", "", "link", ""}},
      {{"div", "fam", "", ""}, {"a", "", "link", ""}},
      {{"div", "ls", "", ""}, {"a", "", "link", ""}},
      // The same font to the hundredth of a point, not once grown by half.
      {{"div", "s1", "", ""}, {"a", "", "link", ""}},
      {{"div", "s2", "", ""}, {"a", "", "link", ""}},
      {{"div", "x", "", ""}, {"a", "", "link", ""}},
      {{"div", "x", "", ""}, {"span", "big", "", ""}, {"a", "", "link", ""}},
      {{"div", "", "", ""}, {"a", "", "link", "font-size: 8pt"}},
      {{"div", "", "", ""}, {"a", "", "link", ""}},
  };
  for (const char* sheet : sheets) {
    SCOPED_TRACE(sheet);
    TStyleDoc doc;
    doc.Sheet(sheet);
    std::vector<std::unique_ptr<TProperties>> styles;
    for (size_t n = 0; n < chains.size(); ++n) {
      SCOPED_TRACE(n);
      const TProperties& got = OpenAll(doc, chains[n], styles);
      TStyleDoc alone;
      alone.Sheet(sheet);
      const TProperties& want = OpenAll(alone, chains[n], styles);
      ASSERT_TRUE(got.FLinkFonts && want.FLinkFonts);
      for (size_t k = 0; k < 4; ++k)
        EXPECT_EQ(got.FLinkFonts->Items[k], want.FLinkFonts->Items[k]) << "look " << k;
      for (size_t k = 0; k < chains[n].size(); ++k) doc.Close();
    }
  }
}

TEST(LinkLooks, KeptLooksFollowRulesAddedMeanwhile) {
  // Rules read while the document is built: plain ones, then a contextual one that does
  // not touch the looks, then one that does. Links outside and inside its context follow.
  const char* const additions[] = {
      "a:visited { color: #0000FF }",
      "div a:hover { margin-left: 4px }",
      "a:hover { font-weight: bold }",
      "div a:visited { font-size: 30pt }",
  };
  TStyleDoc doc;
  doc.Sheet("div a { padding: 1px }");
  std::string all = "div a { padding: 1px }";
  for (const char* added : additions) {
    SCOPED_TRACE(added);
    doc.Open("div");
    doc.Open("a", "", "", "link");
    doc.Close();
    doc.Close();
    doc.Sheet(added);
    all += added;
    for (const char* parent : {"span", "div"}) {
      SCOPED_TRACE(parent);
      doc.Open(parent);
      const TProperties& got = doc.Open("a", "", "", "link");
      TStyleDoc fresh;
      fresh.Sheet(all);
      fresh.Open(parent);
      const TProperties& want = fresh.Open("a", "", "", "link");
      ASSERT_TRUE(got.FLinkFonts && want.FLinkFonts);
      for (size_t k = 0; k < 4; ++k)
        EXPECT_EQ(got.FLinkFonts->Items[k], want.FLinkFonts->Items[k]) << "look " << k;
      doc.Close();
      doc.Close();
    }
  }
}

TEST(StyleList, IdentityStyledAgainTakesRulesAddedMeanwhile) {
  TStyleDoc doc;
  doc.Open("p");
  doc.Close();
  doc.Sheet("p { color: #0000FF }");
  EXPECT_EQ(doc.Open("p")[piColor].AsInteger(), 0xFF0000 + PaletteRelativeFlag);
  doc.Close();
  doc.Sheet("p { color: #00FF00 }");
  EXPECT_EQ(doc.Open("p")[piColor].AsInteger(), 0x00FF00 + PaletteRelativeFlag);
}

TEST(StyleList, ContextualRuleFindsAncestorsPastNearerMatches) {
  // "span b em": the span must lie outside the b, however many spans stand inside it.
  struct TCase {
    std::vector<std::string> Tags;
    bool Matches;
  };
  const TCase cases[] = {
      {{"span", "b", "span", "span", "span", "span", "span", "span", "em"}, true},
      {{"div", "b", "span", "span", "span", "span", "span", "span", "em"}, false},
      {{"span", "b", "em"}, true},
      {{"b", "span", "em"}, false},
      {{"span", "span", "span", "span", "span", "span", "b", "em"}, true},
  };
  for (const TCase& c : cases) {
    TStyleDoc doc;
    doc.Sheet("span b em { text-indent: 7px }");
    TProperties* last = nullptr;
    for (const std::string& tag : c.Tags) last = &doc.Open(tag);
    EXPECT_EQ((*last)[piTextIndent].IsSet(), c.Matches) << c.Tags.size() << " tags";
  }
}

TEST(Properties, SameBoxValuesAgreesWithBoxValues) {
  // Border styles count as drawn or not; every other box value as given.
  struct TCase {
    const char *A, *B;
    bool Same;
  };
  const TCase cases[] = {
      {"margin-left: 2px", "margin-left: 2px", true},
      {"margin-left: 2px", "margin-left: 3px", false},
      {"border-top-style: solid", "border-top-style: dashed", true},
      {"border-top-style: solid", "border-top-style: none", false},
      {"padding: 1px", "", false},
      {"width: 50%", "width: 50%", true},
      {"background-color: red", "background-color: blue", false},
  };
  for (const TCase& c : cases) {
    TProperties a, b;
    ParseStyleAttribute(c.A, a);
    ParseStyleAttribute(c.B, b);
    TVMarginArray values;
    b.BoxValues(values);
    EXPECT_EQ(a.SameBoxValues(values), c.Same) << c.A << " / " << c.B;
    a.BoxValues(values);
    EXPECT_TRUE(a.SameBoxValues(values)) << c.A;
  }
}

}  // namespace
