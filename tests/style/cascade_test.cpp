// Which declaration an element takes when several rules set one property: the important
// marker, the author's sheet over the default one, specificity, then order; and which
// selectors match at all (several classes, chained classes, "*", ">").
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "style/border_colors.h"
#include "style_doc.h"

namespace {

// An open element: tag, class attribute, id.
struct TOpen {
  const char* Tag;
  const char* Class = "";
  const char* Id = "";
};

struct TCascadeCase {
  const char* What;
  const char* Sheet;
  std::vector<TOpen> Path;  // outermost first; the last is styled
  const char* Indent;       // text-indent the last element takes, "" for none
};

std::string IndentOf(const TCascadeCase& c) {
  TStyleDoc doc;
  doc.Sheet(c.Sheet);
  TProperties* last = nullptr;
  for (const TOpen& o : c.Path) last = &doc.Open(o.Tag, o.Class, o.Id);
  const TPropValue& v = (*last)[piTextIndent];
  return std::string(last->FSetHere.test(piTextIndent) && v.IsString() ? v.AsString() : "");
}

TEST(Cascade, WeightDecidesOverOrderAndKind) {
  const TCascadeCase cases[] = {
      {"the later of equal selectors", "p { text-indent: 1px } p { text-indent: 2px }",
       {{"p"}}, "2px"},
      {"a class over a tag written later", ".c { text-indent: 1px } p { text-indent: 2px }",
       {{"p", "c"}}, "1px"},
      {"an id over a class written later", "#i { text-indent: 1px } .c { text-indent: 2px }",
       {{"p", "c", "i"}}, "1px"},
      {"a contextual rule with fewer parts loses to a class",
       ".c { text-indent: 1px } div p { text-indent: 2px }", {{"div"}, {"p", "c"}}, "1px"},
      {"a longer contextual rule over a shorter written later",
       "ul li p { text-indent: 1px } li p { text-indent: 2px }", {{"ul"}, {"li"}, {"p"}},
       "1px"},
      {"the later of equal contextual and plain weights",
       "body p { text-indent: 1px } p.c { text-indent: 2px }", {{"body"}, {"p", "c"}}, "2px"},
      {"important over a later normal rule",
       "p { text-indent: 1px ! important } p { text-indent: 2px }", {{"p"}}, "1px"},
      {"important over a more specific rule",
       "p { text-indent: 1px !important } #i { text-indent: 2px }", {{"p", "", "i"}}, "1px"},
      {"the later of two important rules",
       "p { text-indent: 1px !important } .c { text-indent: 2px !important }",
       {{"p", "c"}}, "2px"},
      {"a misspelt marker is no marker",
       "p { text-indent: 1px !importnt } p { text-indent: 2px }", {{"p"}}, "2px"},
      {"the author's tag rule over the default sheet's contextual one",
       "p { text-indent: 3px }", {{"pre"}, {"p"}}, "3px"},
  };
  for (const TCascadeCase& c : cases) EXPECT_EQ(IndentOf(c), c.Indent) << c.What;
}

TEST(Cascade, SelectorsThatMatch) {
  const TCascadeCase cases[] = {
      {"each class of several", ".toc { text-indent: 1px }", {{"p", "toc header"}}, "1px"},
      {"the second class of several", "p.header { text-indent: 1px }",
       {{"p", "toc  header"}}, "1px"},
      {"chained classes, both present", ".a.b { text-indent: 1px }", {{"p", "b x a"}}, "1px"},
      {"chained classes, one missing", ".a.b { text-indent: 1px }", {{"p", "a"}}, ""},
      {"chained classes in any order", "p.b.a { text-indent: 1px }", {{"p", "a b"}}, "1px"},
      {"two classes outweigh one", ".a.b { text-indent: 1px } .b { text-indent: 2px }",
       {{"p", "a b"}}, "1px"},
      {"an ancestor of several classes", "div.x p { text-indent: 1px }",
       {{"div", "y x"}, {"p"}}, "1px"},
      {"an ancestor with chained classes", ".x.y p { text-indent: 1px }",
       {{"div", "y x"}, {"p"}}, "1px"},
      {"an ancestor lacking one chained class", ".x.y p { text-indent: 1px }",
       {{"div", "x"}, {"p"}}, ""},
      {"the universal selector", "* { text-indent: 1px }", {{"em"}}, "1px"},
      {"the universal selector below an ancestor", "body * { text-indent: 1px }",
       {{"body"}, {"div"}, {"em"}}, "1px"},
      {"a universal ancestor", "* p { text-indent: 1px }", {{"div"}, {"p"}}, "1px"},
      {"a tag outweighs the universal selector", "p { text-indent: 2px } * { text-indent: 1px }",
       {{"p"}}, "2px"},
      {"a child of its parent", "div > p { text-indent: 1px }", {{"div"}, {"p"}}, "1px"},
      {"a child selector skips no element", "div > p { text-indent: 1px }",
       {{"div"}, {"span"}, {"p"}}, ""},
      {"a child chain", "div#w > div > p { text-indent: 1px }",
       {{"div", "", "w"}, {"div"}, {"p"}}, "1px"},
      {"a child chain with a gap", "div#w > div > p { text-indent: 1px }",
       {{"div", "", "w"}, {"span"}, {"div"}, {"p"}}, ""},
      {"descendant then child", "ul li > p { text-indent: 1px }",
       {{"ul"}, {"div"}, {"li"}, {"p"}}, "1px"},
  };
  for (const TCascadeCase& c : cases) EXPECT_EQ(IndentOf(c), c.Indent) << c.What;
}

// Where the document asks for it, class and id names match with their case, in the
// element's own part of a selector and in its ancestors' parts; the tag never does.
TEST(Cascade, NamesMatchWithTheirCaseWhenTheDocumentAsks) {
  struct TCase {
    const char* What;
    bool Sensitive;
    const char* Sheet;
    std::vector<TOpen> Path;
    const char* Indent;
  } cases[] = {
      {"a class of another case", true, ".One { text-indent: 1px }", {{"p", "one"}}, ""},
      {"a class of the same case", true, ".One { text-indent: 1px }", {{"p", "One"}}, "1px"},
      {"one of several classes", true, "p.B { text-indent: 1px }", {{"p", "a b"}}, ""},
      {"chained classes", true, ".a.B { text-indent: 1px }", {{"p", "a B"}}, "1px"},
      {"an id of another case", true, "#Top { text-indent: 1px }", {{"p", "", "top"}}, ""},
      {"an id of the same case", true, "#Top { text-indent: 1px }", {{"p", "", "Top"}}, "1px"},
      {"an ancestor's class", true, ".X p { text-indent: 1px }", {{"div", "x"}, {"p"}}, ""},
      {"an ancestor's class, same case", true, ".X p { text-indent: 1px }",
       {{"div", "X"}, {"p"}}, "1px"},
      {"a tag in capitals", true, "P.c { text-indent: 1px }", {{"p", "c"}}, "1px"},
      {"the forgiving way", false, ".One { text-indent: 1px }", {{"p", "one"}}, "1px"},
      {"the forgiving way, ids", false, "#Top { text-indent: 1px }", {{"p", "", "top"}},
       "1px"},
  };
  for (const TCase& c : cases) {
    TStyleDoc doc;
    doc.Styles.SetNamesCaseSensitive(c.Sensitive);
    doc.Sheet(c.Sheet);
    TProperties* last = nullptr;
    for (const TOpen& o : c.Path) last = &doc.Open(o.Tag, o.Class, o.Id);
    const TPropValue& v = (*last)[piTextIndent];
    EXPECT_EQ(std::string(last->FSetHere.test(piTextIndent) && v.IsString() ? v.AsString() : ""),
              c.Indent)
        << c.What;
  }
}

// Each side's border colour is weighed on its own: the rule that wins one side says
// nothing about the other three.
TEST(Cascade, EachBorderSideTakesItsOwnWinner) {
  constexpr TColor R = 0x0000FF, B = 0xFF0000, G = 0x008000;
  struct TCase {
    const char* Sheet;
    TBorderColors Sides;  // top, right, bottom, left of p.x
  } cases[] = {
      {"p {border-color: red} p.x {border-top-color: blue}", {B, R, R, R}},
      {"p.x {border-top-color: blue} p {border-color: red}", {B, R, R, R}},
      {"p {border-left-color: green} p {border-color: red}", {R, R, R, R}},
      {"p {border-color: red} p {border-left-color: green}", {R, R, R, G}},
      {"p {border-color: red blue} .x {border-bottom-color: green}", {R, B, G, B}},
      {"p {border-right-color: blue !important} p.x {border-color: red}", {R, B, R, R}},
      {"p {border-top-color: blue}", {B, NoColour, NoColour, NoColour}},
  };
  for (const TCase& c : cases) {
    TStyleDoc doc;
    doc.Sheet(c.Sheet);
    EXPECT_EQ(BorderColorsOf(doc.Open("p", "x")[piBorderColor]), c.Sides) << c.Sheet;
  }
}

// A rule with any selector the parser cannot read is left out whole, the others of its
// list included; the rules around it still hold.
TEST(Cascade, RulesWithSelectorsNotUnderstoodAreLeftOut) {
  const TCascadeCase cases[] = {
      {"a class starting with a digit", ".1 { text-indent: 1px }", {{"p", "1"}}, ""},
      {"an id starting with a digit", "#1x { text-indent: 1px }", {{"p", "", "1x"}}, ""},
      {"an attribute selector in the list", "p, a[href] { text-indent: 1px }", {{"p"}}, ""},
      {"a general sibling selector", "h1 ~ p { text-indent: 1px }", {{"p"}}, ""},
      {"a dangling child combinator", "div > { text-indent: 1px }", {{"div"}}, ""},
      {"a rule after one left out", "p[x] { text-indent: 1px } p { text-indent: 2px }",
       {{"p"}}, "2px"},
      {"a class with a hyphen and a digit later", ".a-1 { text-indent: 1px }",
       {{"p", "a-1"}}, "1px"},
  };
  for (const TCascadeCase& c : cases) EXPECT_EQ(IndentOf(c), c.Indent) << c.What;
}

// The style attribute outweighs every normal rule but not an important one.
TEST(Cascade, StyleAttributeSitsBetweenNormalAndImportant) {
  TStyleDoc doc;
  doc.Sheet("#i { text-indent: 1px } p { line-height: 3px ! important }");
  TProperties attr;
  ParseStyleAttribute("text-indent: 2px; line-height: 4px", attr);
  TProperties& p = doc.Open("p", "", "i", "", &attr);
  EXPECT_EQ(p[piTextIndent].AsString(), "2px");
  EXPECT_EQ(p[piLineHeight].AsString(), "3px");
}

// A colour for links written on "a" reaches the built-in link entry, and a more specific
// link rule still wins over it.
TEST(Cascade, LinkRulesKeepTheirOrder) {
  TStyleDoc doc;
  doc.Sheet("a { color: red } a:link { color: green } :visited { color: blue }");
  doc.Open("body");
  EXPECT_EQ(doc.Open("a", "", "", "link")[piColor].AsInteger(), 0x008000);
  doc.Close();
  EXPECT_EQ(doc.Open("a", "", "", "visited")[piColor].AsInteger(), 0xFF0000);
}

}  // namespace
