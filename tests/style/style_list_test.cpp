#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "style_doc.h"

namespace {

constexpr TColor Flag = PaletteRelativeFlag;

TEST(StyleList, LaterLookupsWinInTheFixedOrder) {
  TStyleDoc doc;
  // Written in reverse order of precedence: the lookup order decides, not the sheet.
  doc.Sheet(
      "p.c#i { text-indent: 8px } .c#i { text-indent: 7px; line-height: 7px }"
      "p#i { text-indent: 6px; line-height: 6px; float: left }"
      "#i { text-indent: 5px; line-height: 5px; float: right; clear: left }"
      "p.c { text-indent: 4px; line-height: 4px; float: none; clear: right; display: block }"
      ".c { text-indent: 3px; line-height: 3px; float: none; clear: both; display: inline;"
      " position: absolute }"
      "p { text-indent: 2px; line-height: 2px; float: none; clear: none; display: none;"
      " position: relative; vertical-align: top }");
  TProperties& p = doc.Open("p", "c", "i");
  EXPECT_EQ(p[piTextIndent].AsString(), "8px");
  EXPECT_EQ(p[piLineHeight].AsString(), "7px");
  EXPECT_EQ(p[piFloat].AsString(), "left");
  EXPECT_EQ(p[piClear].AsString(), "left");
  EXPECT_EQ(p[piDisplay].AsString(), "block");
  EXPECT_EQ(p[piPosition].AsString(), "absolute");
  EXPECT_EQ(p[piVerticalAlign].AsString(), "top");
}

TEST(StyleList, SelectorsMatchWithoutRegardToCase) {
  TStyleDoc doc;
  doc.Styles.SetRuleValue("A:hover", "color", "red");
  doc.Styles.SetRuleValue("a:hover", "text-align", "right");
  EXPECT_EQ(doc.Styles.IndexOf("a:hover"), doc.Styles.IndexOf("A:HOVER"));
  EXPECT_TRUE(doc.Styles.HoverLinksOn());
  TProperties& a = doc.Open("a", "", "", "hover");
  EXPECT_EQ(a[piColor].AsInteger(), 0x0000FF);
  EXPECT_EQ(a[piTextAlign].AsString(), "right");
}

TEST(StyleList, PseudoClassesAndClasses) {
  TStyleDoc doc;
  doc.Sheet(".x { text-indent: 1px } a.x { line-height: 2px } .x:hover { float: left }"
            ":visited { clear: both }");
  // A hovered link of class x gets .x:hover but not the plain class rules again:
  // it inherits them from the link entry.
  doc.Open("body");
  TProperties& link = doc.Open("a", "x", "", "link");
  EXPECT_EQ(link[piTextIndent].AsString(), "1px");
  EXPECT_EQ(link[piLineHeight].AsString(), "2px");
  EXPECT_FALSE(link[piFloat].IsSet());
  TProperties hover;
  hover.InheritFrom(doc.Stack[2]);
  hover.ApplyStyles(doc.Styles, "a", "x", "", "hover", "", nullptr);
  EXPECT_EQ(hover[piFloat].AsString(), "left");
  EXPECT_FALSE(hover.FSetHere.test(piTextIndent));
  TProperties visited;
  visited.ApplyStyles(doc.Styles, "a", "x", "", "visited", "", nullptr);
  EXPECT_EQ(visited[piClear].AsString(), "both");
  EXPECT_FALSE(visited[piLineHeight].IsSet());
  EXPECT_EQ(visited[piColor].AsInteger(), TestVisitedColor | Flag);
  // A span of class x is not a hovered link.
  doc.Close();
  TProperties& span = doc.Open("span", "x");
  EXPECT_FALSE(span[piFloat].IsSet());
}

TEST(StyleList, LinkColourReachesVisitedAndHoverUnlessTheyHaveTheirOwn) {
  TStyleDoc doc;
  doc.Sheet(":link { color: #010101 }");
  EXPECT_EQ(doc.Styles.Rule(doc.Styles.IndexOf("::visited"))[piColor].AsInteger(),
            0x010101 + Flag);
  EXPECT_EQ(doc.Styles.Rule(doc.Styles.IndexOf("::hover"))[piColor].AsInteger(),
            0x010101 + Flag);
  doc.Sheet(":visited { color: #020202 }");
  EXPECT_EQ(doc.Styles.Rule(doc.Styles.IndexOf("::hover"))[piColor].AsInteger(),
            0x020202 + Flag);
  doc.Sheet(":hover { color: #030303 }");
  TProperties& a = doc.Open("a", "", "", "link");
  EXPECT_EQ(a.FLinkFonts->Items[0].TextColor, 0x010101 + Flag);
  EXPECT_EQ(a.FLinkFonts->Items[1].TextColor, 0x020202 + Flag);
  EXPECT_EQ(a.FLinkFonts->Items[2].TextColor, 0x030303 + Flag);
  EXPECT_EQ(a.FLinkFonts->Items[3].TextColor, 0x030303 + Flag);
  // A rule for "a" also goes to the built-in link look.
  doc.Sheet("a { text-decoration: none }");
  EXPECT_EQ(doc.Styles.Rule(doc.Styles.IndexOf("::link"))[piTextDecoration].AsString(), "none");
}

TEST(StyleList, UnreadableRuleColourStoresNothing) {
  TStyleDoc doc;
  doc.Sheet("div { color: blue } div { color: nonsense; background-color: nonsense }");
  TProperties& div = doc.Open("div");
  EXPECT_EQ(div[piColor].AsInteger(), 0xFF0000);
  EXPECT_EQ(div[piBackgroundColor].AsInteger(), NoColour);
}

TEST(StyleList, ContextualRulesApplyAtAnyDepth) {
  TStyleDoc doc;
  doc.Sheet("div p { text-indent: 1px } ul li a { line-height: 9px } div #x { float: left }"
            "table.t td.c span { clear: both }");
  doc.Open("div");
  doc.Open("blockquote");
  doc.Open("center");
  EXPECT_EQ(doc.Open("p")[piTextIndent].AsString(), "1px");
  doc.Close();
  EXPECT_EQ(doc.Open("span", "", "x")[piFloat].AsString(), "left");
  doc.Stack.Clear();
  doc.Stack.Insert(0).CopyAsDefault(*doc.Styles.DefaultRule());
  EXPECT_FALSE(doc.Open("p")[piTextIndent].IsSet());
  doc.Close();
  doc.Open("ul");
  EXPECT_FALSE(doc.Open("a")[piLineHeight].IsSet());  // li is missing
  doc.Close();
  doc.Open("li");
  doc.Open("b");
  EXPECT_EQ(doc.Open("a")[piLineHeight].AsString(), "9px");
  doc.Close();
  doc.Close();
  doc.Close();
  doc.Close();
  doc.Open("table", "t");
  doc.Open("tr");
  doc.Open("td", "c");
  EXPECT_EQ(doc.Open("span")[piClear].AsString(), "both");
  doc.Close();
  doc.Close();
  doc.Open("td");
  EXPECT_FALSE(doc.Open("span")[piClear].IsSet());  // td without the class
}

TEST(StyleList, ContextualKeysOfTenAndMoreComponents) {
  TStyleDoc doc;
  doc.Sheet("a b c d e f g h i j k { text-indent: 3px }");
  for (char tag = 'a'; tag <= 'j'; ++tag) doc.Open(std::string(1, tag));
  // Components beyond the tenth stay glued to the last one and cannot match an ancestor.
  EXPECT_FALSE(doc.Open("k")[piTextIndent].IsSet());
  TStyleDoc doc2;
  doc2.Sheet("a b c d e f g h i j { text-indent: 4px }");
  for (char tag = 'a'; tag <= 'i'; ++tag) doc2.Open(std::string(1, tag));
  EXPECT_EQ(doc2.Open("j")[piTextIndent].AsString(), "4px");
}

TEST(StyleList, ParagraphInsidePreGetsTheDefaultContextualRule) {
  TStyleDoc doc;
  doc.Open("pre");
  TProperties& p = doc.Open("p");
  EXPECT_EQ(p[piMarginTop].AsInteger(), 0);
  EXPECT_EQ(p[piMarginBottom].AsInteger(), ParagraphDefault);
}

TEST(StyleList, SameSelectorTwiceBothApplyTheLaterLast) {
  TStyleDoc doc;
  doc.Sheet("h2 { color: red; text-indent: 1px }");
  doc.Sheet("h2 { color: lime; line-height: 2px } div h2 { text-indent: 5px }"
            "div h2 { text-indent: 6px }");
  doc.Open("div");
  TProperties& h2 = doc.Open("h2");
  EXPECT_EQ(h2[piColor].AsInteger(), 0x00FF00);
  EXPECT_EQ(h2[piTextIndent].AsString(), "6px");
  EXPECT_EQ(h2[piLineHeight].AsString(), "2px");
  EXPECT_TRUE(h2[piFontWeight].Equals("bold"));  // the default rule is still there
}

TEST(StyleList, DuplicateKeysKeepTheirOrder) {
  TStyleList list;
  auto first = std::make_unique<TProperties>();
  first->SetDeclarationAt(piTextIndent, "1px");
  auto second = std::make_unique<TProperties>();
  second->SetDeclarationAt(piTextIndent, "2px");
  list.AddObject("q", std::move(first));
  list.AddObject("Q", std::move(second));
  TProperties target;
  list.ApplyRules(target, "q", "", "", "");
  EXPECT_EQ(target[piTextIndent].AsString(), "2px");
  EXPECT_EQ(list.Rule(0).FTagName, "q");
}

TEST(StyleList, UnrecognisedPropertiesCreateNoRule) {
  TStyleDoc doc;
  int before = doc.Styles.Count();
  doc.Sheet("blink { frobnicate: 3; font-stretch: condensed } .nothing { }");
  EXPECT_EQ(doc.Styles.Count(), before);
  EXPECT_EQ(doc.Styles.IndexOf("blink"), -1);
}

TEST(StyleList, DefaultSheet) {
  TStyleDoc doc;
  const TStyleList& s = doc.Styles;
  auto rule = [&](const char* key) -> const TProperties& {
    int i = s.IndexOf(key);
    EXPECT_GE(i, 0) << key;
    return s.Rule(i < 0 ? 0 : i);
  };
  const TProperties& root = rule("default");
  EXPECT_EQ(&root, s.DefaultRule());
  EXPECT_EQ(root[piFontFamily].AsString(), "Times New Roman");
  EXPECT_DOUBLE_EQ(root[piFontSize].AsDouble(), 12);
  EXPECT_EQ(root[piMarginTop].AsInteger(), 8);
  EXPECT_EQ(root[piMarginLeft].AsInteger(), 10);
  EXPECT_EQ(root[piVisibility].AsInteger(), 2);
  EXPECT_EQ(root[piTextTransform].AsInteger(), 0);
  EXPECT_EQ(root[piFontStyle].AsString(), "none");
  EXPECT_EQ(rule("::link")[piTextDecoration].AsString(), "underline");
  EXPECT_EQ(rule("::hover")[piColor].AsInteger(), TestHoverColor | Flag);
  EXPECT_EQ(rule("pre")[piFontFamily].AsString(), "Courier New");
  EXPECT_DOUBLE_EQ(rule("pre")[piFontSize].AsDouble(), 10);
  EXPECT_EQ(rule("p")[piMarginTop].AsInteger(), ParagraphDefault);
  for (const char* key : {"ul", "ol", "menu", "dir"}) {
    EXPECT_EQ(rule(key)[piMarginLeft].AsInteger(), 35) << key;
    EXPECT_EQ(rule(key)[piListStyleType].AsString(), "blank") << key;
    EXPECT_EQ(rule(key)[piMarginBottom].AsInteger(), ParagraphDefault) << key;
  }
  EXPECT_EQ(rule("dl")[piListStyleType].AsString(), "none");
  EXPECT_EQ(rule("dd")[piMarginLeft].AsInteger(), 40);
  EXPECT_EQ(rule("blockquote")[piMarginBottom].AsInteger(), 14);
  for (const char* key : {"code", "tt", "kbd", "samp"})
    EXPECT_EQ(rule(key)[piFontSize].AsString(), "0.833em") << key;
  for (const char* key : {"b", "strong", "th"})
    EXPECT_EQ(rule(key)[piFontWeight].AsString(), "bold") << key;
  for (const char* key : {"sup", "sub"}) EXPECT_EQ(rule(key)[piFontSize].AsString(), "75%");
  EXPECT_EQ(rule("big")[piFontSize].AsString(), "1.25em");
  EXPECT_EQ(rule("small")[piFontSize].AsString(), "0.75em");
  EXPECT_EQ(rule("table")[piTextAlign].AsString(), "none");
  for (const char* key : {"i", "em", "cite", "var", "address", "dfn"})
    EXPECT_EQ(rule(key)[piFontStyle].AsString(), "italic") << key;
  EXPECT_EQ(rule("u")[piTextDecoration].AsString(), "underline");
  for (const char* key : {"s", "strike"})
    EXPECT_EQ(rule(key)[piTextDecoration].AsString(), "line-through");
  for (const char* key : {"center", "caption"})
    EXPECT_EQ(rule(key)[piTextAlign].AsString(), "center");
  for (const char* key : {"input", "select"}) {
    EXPECT_EQ(rule(key)[piFontFamily].AsString(), "MS sans serif, sans-serif");
    EXPECT_EQ(rule(key)[piFontSize].AsString(), "10pt");
    EXPECT_EQ(rule(key)[piColor].AsInteger(), clBlack);
  }
  EXPECT_EQ(rule("textarea")[piFontFamily].AsString(), "Courier New");
  EXPECT_EQ(rule("textarea")[piFontSize].AsString(), "10pt");
  EXPECT_EQ(rule("hr")[piMarginTop].AsInteger(), 10);
  const double heading[] = {24, 18, 14, 12, 10, 8};
  for (int level = 1; level <= 6; ++level) {
    std::string key = "h" + std::to_string(level);
    EXPECT_DOUBLE_EQ(rule(key.c_str())[piFontSize].AsDouble(), heading[level - 1]);
    EXPECT_EQ(rule(key.c_str())[piMarginTop].AsInteger(), 19);
  }
  EXPECT_GE(s.IndexOf("null"), 0);
  EXPECT_GE(s.IndexOf("p 11pre"), 0);
  EXPECT_EQ(s.Count(), 48);  // with "dfn"

  // The sizes scale with the document size, and a rebuild starts over.
  doc.Sheet("p { color: red }");
  doc.Styles.BuildDefaults("Arial", "Courier New", 24, clBlack, 0, 0, 0, false, 0, 0, 0);
  EXPECT_DOUBLE_EQ(rule("h1")[piFontSize].AsDouble(), 48);
  EXPECT_DOUBLE_EQ(rule("pre")[piFontSize].AsDouble(), 20);
  EXPECT_FALSE(rule("p")[piColor].IsSet());
  EXPECT_EQ(rule("::link")[piTextDecoration].AsString(), "none");
  EXPECT_EQ(DocumentPointSize(), 24);
  SetDocumentPointSize(12);
}

// Contextual matching looks open elements up by component instead of walking the stack;
// checked against the plain walk while elements open, close, vanish from the middle of
// the stack (an end tag closing an outer element) and rules arrive mid-document.
TEST(StyleList, ContextualMatchingAgreesWithAWalkDownTheStack) {
  struct TRule {
    const char* Css;
    std::vector<std::string> Parts;  // target first, then ancestors nearest first
    int Index;                       // a property nothing inherits into an element
  };
  std::vector<TRule> rules = {
      {"div b { float: left }", {"b", "div"}, piFloat},
      {"div.x span p { clear: both }", {"p", "span", "div.x"}, piClear},
      {".x b { vertical-align: top }", {"b", ".x"}, piVerticalAlign},
      {"p span { position: absolute }", {"span", "p"}, piPosition},
      {"span span span { display: none }", {"span", "span", "span"}, piDisplay},
      {"b.x div { background-image: url(a) }", {"div", "b.x"}, piBackgroundImage}};
  const TRule late = {"span div { page-break-before: always }", {"div", "span"},
                      piPageBreakBefore};
  auto matches = [](const TProperties& e, const std::string& part) {
    const size_t dot = part.find('.');
    const std::string tag = part.substr(0, dot);
    const std::string cls = dot == std::string::npos ? "" : part.substr(dot + 1);
    return (tag.empty() || tag == e.FTagName) && (cls.empty() || cls == e.FElementClass);
  };
  auto walkMatches = [&](const TPropStack& stack, const TRule& rule) {
    const TProperties& self = stack.Last();
    if (!matches(self, rule.Parts[0])) return false;
    size_t next = 1;
    for (int a = stack.Count() - 2; a >= 1 && next < rule.Parts.size(); --a)
      if (matches(stack[a], rule.Parts[next])) ++next;
    return next == rule.Parts.size();
  };
  const char* const tags[] = {"div", "span", "p", "b"};
  TStyleDoc doc;
  for (const TRule& rule : rules) doc.Sheet(rule.Css);
  unsigned seed = 7;
  for (int step = 0; step < 3000; ++step) {
    seed = seed * 1103515245 + 12345;
    const unsigned r = seed >> 8;
    if (step == 1500) {
      doc.Sheet(late.Css);
      rules.push_back(late);
    }
    if (r % 5 == 0 && doc.Stack.Count() > 2) {
      doc.Stack.Delete(1 + int(r / 5 % unsigned(doc.Stack.Count() - 1)));
      continue;
    }
    if (r % 5 == 1 && doc.Stack.Count() > 1) {
      doc.Close();
      continue;
    }
    TProperties& e = doc.Open(tags[r / 8 % 4], r / 32 % 3 == 0 ? "x" : "");
    for (const TRule& rule : rules)
      EXPECT_EQ(e[rule.Index].IsSet(), walkMatches(doc.Stack, rule)) << rule.Css << " at " << step;
  }
}

// Beyond the depth the stack keeps a table of nearest matches for, lookups go by the
// match lists: deep inside thousands of open elements the rules still see their ancestors.
TEST(StyleList, ContextualRulesMatchDeepInsideAStack) {
  TStyleDoc doc;
  doc.Sheet("div.x span p { clear: both } em p { clear: left } div b { float: left }"
            " span span b { position: absolute } i b { display: none }");
  doc.Open("div", "x");
  for (int n = 0; n < 20000; ++n) doc.Open("span");
  const TProperties& p = doc.Open("p");
  EXPECT_EQ(p[piClear].AsString(), "both");
  doc.Close();
  const TProperties& b = doc.Open("b");
  EXPECT_EQ(b[piFloat].AsString(), "left");
  EXPECT_EQ(b[piPosition].AsString(), "absolute");
  EXPECT_FALSE(b[piDisplay].IsSet());
}

// What an element identity takes from the sheet is found once and kept: every change to
// the sheet between two elements of the same identity must reach the second.
TEST(StyleList, ElementsOfOneIdentityFollowChangesToTheSheet) {
  struct TCase {
    const char* Name;
    const char* Before;  // the sheet when the first element is styled
    const char* Added;   // read before the second
    int Index;
    const char* Expected;  // the second element's value
  };
  const TCase cases[] = {
      {"a rule under a new key", "p { text-indent: 1px }", "p.c { text-indent: 2px }",
       piTextIndent, "2px"},
      {"a new property in the same rule", "p.c { text-indent: 1px }",
       "p.c { line-height: 3px }", piLineHeight, "3px"},
      {"a value replaced in the same rule", "p.c { text-indent: 1px }",
       "p.c { text-indent: 4px }", piTextIndent, "4px"},
      {"an important declaration", "p.c { text-indent: 1px } .c { text-indent: 2px }",
       ".c { text-indent: 5px ! important }", piTextIndent, "5px"},
      {"a contextual rule", "p.c { text-indent: 1px }", "div p.c { text-indent: 6px }",
       piTextIndent, "6px"},
  };
  for (const TCase& c : cases) {
    TStyleDoc doc;
    doc.Sheet(c.Before);
    doc.Open("div");
    doc.Open("p", "c");
    doc.Close();
    doc.Sheet(c.Added);
    EXPECT_EQ(doc.Open("p", "c")[c.Index].AsString(), c.Expected) << c.Name;
  }
}

// More identities than are kept (an id on every element) are each styled as their own.
TEST(StyleList, ManyIdentitiesEachGetTheirOwnRules) {
  TStyleDoc doc;
  std::string css;
  for (int i = 0; i < 3000; i += 7) css += "#e" + std::to_string(i) + " { text-indent: " + std::to_string(i) + "px }\n";
  doc.Sheet(css);
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < 3000; ++i) {
      TProperties& p = doc.Open("p", "", "e" + std::to_string(i));
      const std::string expected = i % 7 == 0 ? std::to_string(i) + "px" : "";
      ASSERT_EQ(p[piTextIndent].AsString(), expected) << i << " in pass " << pass;
      doc.Close();
    }
}

}  // namespace
