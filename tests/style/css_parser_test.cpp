#include <gtest/gtest.h>

#include <map>

#include "style/border_colors.h"
#include "style/css_parser.h"
#include "style/properties.h"
#include "style/style_list.h"

namespace {

// The text of a property in the first rule under key, or "<none>".
std::string Value(const TStyleList& styles, std::string_view key, int index) {
  int i = styles.IndexOf(key);
  if (i < 0) return "<no rule>";
  const TPropValue& v = styles.Rule(i)[index];
  return v.IsSet() ? v.ToText() : "<none>";
}

std::string ColorText(TColor c) { return std::to_string(c); }

TEST(CssParser, SheetInsideAnHtmlComment) {
  TStyleList s;
  char stop = ParseStyleSheetText(s, "<!--\r\n  p { text-indent: 1px }\n  -->\n</style>", "");
  EXPECT_EQ(stop, '<');
  EXPECT_EQ(Value(s, "p", piTextIndent), "1px");
}

TEST(CssParser, LessThanEndsTheSheetEvenInsideACommentAndTheSourceStopsThere) {
  std::string text = "p { text-indent: 1px } /* a < b */ h1 { text-indent: 2px }";
  size_t pos = 0;
  TCssGetChar source = [&] { return pos < text.size() ? text[pos++] : char(26); };
  TStyleList s;
  char first = ' ';
  ParseStyleSheet(s, source, first, "");
  EXPECT_EQ(first, '<');
  EXPECT_EQ(text[pos - 1], '<');  // nothing after the "<" was read
  EXPECT_EQ(Value(s, "p", piTextIndent), "1px");
  EXPECT_EQ(s.IndexOf("h1"), -1);

  TStyleList t;
  EXPECT_EQ(ParseStyleSheetText(t, "p { text-indent: 1px<b> } h1 { text-indent: 2px }", ""), '<');
  EXPECT_EQ(Value(t, "p", piTextIndent), "1px");
  EXPECT_EQ(t.IndexOf("h1"), -1);
  TStyleList u;
  EXPECT_EQ(ParseStyleSheetText(u, "p { text-indent: 1px }", ""), char(26));
}

// In a sheet from the HTML text a comment ends the sheet only at the element's end tag.
TEST(CssParser, InsideACommentOnlyTheEndTagEndsTheSheet) {
  const struct {
    const char* Sheet;
    const char* H1;
  } Cases[] = {
      {"p { text-indent: 1px } /* see <a name> */ h1 { text-indent: 2px }</style>", "2px"},
      {"/*<![CDATA[*/ p { text-indent: 1px } h1 { text-indent: 2px } /*]]>*/</style>", "2px"},
      {"p { text-indent: 1px } /* </STYLE> */ h1 { text-indent: 2px }", "<no rule>"},
      {"p { text-indent: 1px } /* < */", "<no rule>"},
  };
  for (const auto& C : Cases) {
    TStyleList s;
    EXPECT_EQ(ParseStyleSheetText(s, C.Sheet, ""), '<') << C.Sheet;
    EXPECT_EQ(Value(s, "p", piTextIndent), "1px") << C.Sheet;
    EXPECT_EQ(Value(s, "h1", piTextIndent), C.H1) << C.Sheet;
  }
  // From a source, the caller tells where the end tag is.
  std::string text = "p { text-indent: 1px } /* a < b */ h1 { text-indent: 2px }<";
  size_t pos = 0;
  TCssGetChar source = [&] { return pos < text.size() ? text[pos++] : char(26); };
  TStyleList s;
  char first = ' ';
  ParseStyleSheet(s, source, first, "", [&] { return pos == text.size(); });
  EXPECT_EQ(first, '<');
  EXPECT_EQ(Value(s, "h1", piTextIndent), "2px");
}

// Between rules, a "<" that does not start the end tag is the HTML comment opener (or
// stray text) and the sheet goes on; inside a rule it still ends the sheet.
TEST(CssParser, CommentMarkersBetweenRulesDoNotEndTheSheet) {
  const struct {
    const char* Sheet;
    const char* H1;
  } Cases[] = {
      {"p { text-indent: 1px } <!-- h1 { text-indent: 2px } --> </style>", "2px"},
      {"p { text-indent: 1px }\n<!--\nh1 { text-indent: 2px }\n-->\n</STYLE >", "2px"},
      {"p { text-indent: 1px } </style> h1 { text-indent: 2px }", "<no rule>"},
      {"p { text-indent: 1px; <!-- } h1 { text-indent: 2px } --> </style>", "<no rule>"},
  };
  for (const auto& C : Cases) {
    TStyleList s;
    EXPECT_EQ(ParseStyleSheetText(s, C.Sheet, ""), '<') << C.Sheet;
    EXPECT_EQ(Value(s, "p", piTextIndent), "1px") << C.Sheet;
    EXPECT_EQ(Value(s, "h1", piTextIndent), C.H1) << C.Sheet;
  }
  TStyleList q;
  ParseStyleSheetText(q, "p { color: '#008000'; background-color: \"red\" }", "");
  EXPECT_EQ(q.IndexOf("p"), -1);  // a colour is never a string
}

// A linked sheet has no markup to end at: the rules after a "<" still apply.
TEST(CssParser, LessThanIsOrdinaryInALinkedSheet) {
  const char* const sheets[] = {
      "p { text-indent: 1px } /* take care of <a name>s inside */ h1 { text-indent: 2px }",
      "<!-- p { text-indent: 1px } --> <!-- h1 { text-indent: 2px } -->",
      "p { text-indent: 1px; color: <b> } h1 { text-indent: 2px }",
      "p { text-indent: 1px } < h1 { text-indent: 2px }",
  };
  for (const char* sheet : sheets) {
    TStyleList s;
    ParseLinkedStyleSheet(s, sheet, "");
    EXPECT_EQ(Value(s, "p", piTextIndent), "1px") << sheet;
    EXPECT_EQ(Value(s, "h1", piTextIndent), "2px") << sheet;
  }
}

TEST(CssParser, FirstCharacterIsReadFirst) {
  std::string rest = " { text-indent: 4px }";
  size_t pos = 0;
  TCssGetChar source = [&] { return pos < rest.size() ? rest[pos++] : char(26); };
  TStyleList s;
  char first = 'P';
  ParseStyleSheet(s, source, first, "");
  EXPECT_EQ(Value(s, "p", piTextIndent), "4px");
  EXPECT_EQ(first, char(26));
}

TEST(CssParser, SelectorLists) {
  TStyleList s;
  ParseStyleSheetText(s,
                      "h1, H2 ,h3{ text-indent: 1px } ul > li { line-height: 2px }"
                      " div#main.x:hover, * { float: left } a[href] { clear: both }",
                      "");
  for (const char* key : {"h1", "h2", "h3"}) EXPECT_EQ(Value(s, key, piTextIndent), "1px");
  // A child selector is a contextual key whose ancestor is marked; an attribute selector
  // is not understood, so its rule is left out rather than applied to every "a".
  EXPECT_EQ(Value(s, "li 110>ul ", piLineHeight), "2px");
  EXPECT_EQ(s.IndexOf("ul"), -1);
  EXPECT_EQ(Value(s, "div#main.x:hover", piFloat), "left");
  EXPECT_EQ(Value(s, "*", piFloat), "left");
  EXPECT_EQ(s.IndexOf("a"), -1);

  // Line feeds and tabs inside a selector separate components like blanks.
  TStyleList t;
  ParseStyleSheetText(t, "div\n\tp {\n text-indent:\t1px\n}", "");
  EXPECT_EQ(Value(t, "p 110div ", piTextIndent), "1px");
}

TEST(CssParser, ContextualKeys) {
  TStyleList s;
  EXPECT_EQ(ContextualKey(s, "ul li a"), "a 210li ul ");
  EXPECT_EQ(ContextualKey(s, "div   p"), "p 111div ");
  EXPECT_EQ(ContextualKey(s, "p"), "p");
  EXPECT_EQ(s.NextKeyNumber(), "12");
  s.Clear();
  EXPECT_EQ(s.NextKeyNumber(), "10");
}

TEST(CssParser, EverythingIsLowerCased) {
  TStyleList s;
  ParseStyleSheetText(s, "P { TEXT-ALIGN: CENTER; BACKGROUND-IMAGE: URL(Pics/A.GIF) }", "");
  EXPECT_EQ(Value(s, "p", piTextAlign), "center");
  EXPECT_EQ(Value(s, "p", piBackgroundImage), "url(pics/a.gif)");
}

TEST(CssParser, Shorthands) {
  TStyleList s;
  ParseStyleSheetText(s,
                      "p { margin: 1px 2px 3px; padding: 4px; border-width: 1px 2px }"
                      "div { border: 1px solid red }"
                      "td { border-top: #00ff00 2px dashed }"
                      "h1 { font: bold 12pt/14pt arial }"
                      "h2 { font: italic 10pt times new roman }"
                      "h3 { font: 10pt 'times new roman', serif }"
                      "h4 { background: url(bg.gif) #ff0000 no-repeat top left }"
                      "h5 { background: rgb(0, 0, 255) none 50% }"
                      "h6 { background: url(bg.gif) fixed right }"
                      "ul { list-style: square url(dots/b.gif) inside }",
                      "");
  EXPECT_EQ(Value(s, "p", piMarginTop), "1px");
  EXPECT_EQ(Value(s, "p", piMarginRight), "2px");
  EXPECT_EQ(Value(s, "p", piMarginBottom), "3px");
  EXPECT_EQ(Value(s, "p", piMarginLeft), "2px");
  for (int i = piPaddingTop; i <= piPaddingLeft; ++i) EXPECT_EQ(Value(s, "p", i), "4px");
  EXPECT_EQ(Value(s, "p", piBorderTopWidth), "1px");
  EXPECT_EQ(Value(s, "p", piBorderLeftWidth), "2px");

  for (int i = piBorderTopWidth; i <= piBorderLeftWidth; ++i) EXPECT_EQ(Value(s, "div", i), "1px");
  for (int i = piBorderTopStyle; i <= piBorderLeftStyle; ++i)
    EXPECT_EQ(Value(s, "div", i), "solid");
  EXPECT_EQ(Value(s, "div", piBorderColor), ColorText(0x0000FF));

  // One side's shorthand colours that side only.
  const TBorderColors tdColors = BorderColorsOf(s.Rule(s.IndexOf("td"))[piBorderColor]);
  EXPECT_EQ(tdColors[0], 0x00FF00 + PaletteRelativeFlag);
  EXPECT_EQ(tdColors[1], NoColour);
  EXPECT_EQ(tdColors[3], NoColour);
  EXPECT_EQ(Value(s, "td", piBorderTopWidth), "2px");
  EXPECT_EQ(Value(s, "td", piBorderTopStyle), "dashed");
  EXPECT_EQ(Value(s, "td", piBorderStyle), "dashed");
  EXPECT_EQ(Value(s, "td", piBorderLeftWidth), std::to_string(NoValue));

  EXPECT_EQ(Value(s, "h1", piFontWeight), "bold");
  EXPECT_EQ(Value(s, "h1", piFontSize), "12pt");
  EXPECT_EQ(Value(s, "h1", piLineHeight), "14pt");
  EXPECT_EQ(Value(s, "h1", piFontFamily), "arial");
  EXPECT_EQ(Value(s, "h2", piFontStyle), "italic");
  EXPECT_EQ(Value(s, "h2", piFontFamily), "roman");
  EXPECT_EQ(Value(s, "h3", piFontFamily), "'times new roman',serif");

  EXPECT_EQ(Value(s, "h4", piBackgroundImage), "url(bg.gif)");
  EXPECT_EQ(Value(s, "h4", piBackgroundColor), ColorText(0x0000FF + PaletteRelativeFlag));
  EXPECT_EQ(Value(s, "h4", piBackgroundRepeat), "no-repeat");
  EXPECT_EQ(Value(s, "h4", piBackgroundPosition), "top left");
  EXPECT_EQ(Value(s, "h5", piBackgroundColor), ColorText(0xFF0000 + PaletteRelativeFlag));
  EXPECT_EQ(Value(s, "h5", piBackgroundImage), "none");
  EXPECT_EQ(Value(s, "h5", piBackgroundPosition), "50%");
  EXPECT_EQ(Value(s, "h6", piBackgroundPosition), "right");  // the attachment is no position

  EXPECT_EQ(Value(s, "ul", piListStyleImage), "url(dots/b.gif)");
  EXPECT_EQ(Value(s, "ul", piListStyleType), "square");
  EXPECT_EQ(Value(s, "ul", piListStylePosition), "inside");
}

// The font shorthand sets every font property: those it leaves out go back to normal, so
// that a rule's "font" undoes the italic of an em or the bold of a heading.
TEST(CssParser, FontShorthandResetsWhatItLeavesOut) {
  const struct {
    const char* Font;
    const char *Style, *Weight, *LineHeight;
  } Cases[] = {
      {"10px ahem", "normal", "normal", "normal"},
      {"1em/1 ahem", "normal", "normal", "1"},
      {"italic 10px serif", "italic", "normal", "normal"},
      {"bold 12pt/14pt arial", "normal", "bold", "14pt"},
  };
  for (const auto& C : Cases) {
    TStyleList s;
    ParseStyleSheetText(s, std::string("em { font-weight: bold; line-height: 3 } em { font: ") +
                               C.Font + " }",
                        "");
    EXPECT_EQ(Value(s, "em", piFontStyle), C.Style) << C.Font;
    EXPECT_EQ(Value(s, "em", piFontWeight), C.Weight) << C.Font;
    EXPECT_EQ(Value(s, "em", piLineHeight), C.LineHeight) << C.Font;
  }
}

TEST(CssParser, UrlsAreResolvedAgainstTheBase) {
  TStyleList s;
  ParseStyleSheetText(s,
                      "p { background-image: url('img/a.gif') }"
                      "h1 { background: url(/top.gif) }"
                      "h2 { list-style-image: url(http://other/x.gif) }",
                      "http://host/dir/page.html");
  EXPECT_EQ(Value(s, "p", piBackgroundImage), "url(http://host/dir/img/a.gif)");
  EXPECT_EQ(Value(s, "h1", piBackgroundImage), "url(http://host/top.gif)");
  EXPECT_EQ(Value(s, "h2", piListStyleImage), "url(http://other/x.gif)");

  EXPECT_EQ(ResolveURL("url(a.gif)", "/docs/"), "url(/docs/a.gif)");
  EXPECT_EQ(ResolveURL("url(file:///x/y.gif)", "/docs/"), "url(/x/y.gif)");
  EXPECT_EQ(ResolveURL("url(c|/y.gif)", "/docs/"), "url(c:/y.gif)");
  EXPECT_EQ(ResolveURL("url(/abs/y.gif)", "/docs/"), "url(/abs/y.gif)");
}

TEST(CssParser, DeclarationEdgeCases) {
  TStyleList s;
  ParseStyleSheetText(s,
                      "p { color red; text-indent: 1px;; ; line-height : '2px' }"
                      "h1 { color: red !important; font-family: \"Courier New\" }"
                      "h2 { text-align: 'x }"
                      "h3 { border-style: none solid dotted }",
                      "");
  // Border styles take one to four sides' words.
  EXPECT_EQ(Value(s, "h3", piBorderTopStyle), "none");
  EXPECT_EQ(Value(s, "h3", piBorderRightStyle), "solid");
  EXPECT_EQ(Value(s, "h3", piBorderBottomStyle), "dotted");
  EXPECT_EQ(Value(s, "h3", piBorderLeftStyle), "solid");
  EXPECT_EQ(Value(s, "p", piColor), "<none>");
  EXPECT_EQ(Value(s, "p", piTextIndent), "1px");
  EXPECT_EQ(Value(s, "p", piLineHeight), "2px");
  EXPECT_EQ(Value(s, "h1", piColor), ColorText(0x0000FF));  // the marker is read past
  EXPECT_EQ(Value(s, "h1", piFontFamily), "courier new");
  EXPECT_EQ(Value(s, "h2", piTextAlign), "'x");
}

// A quoted string is one token: a brace, semicolon or comment opener inside it, or an
// escaped quote, neither ends the declaration nor the rule, in sheets and attributes.
TEST(CssParser, QuotedStringsAreOneToken) {
  const struct {
    const char* Sheet;
    const char* P;      // text-indent of p
    const char* H1;     // text-indent of h1
    const char* Family; // font-family of p
  } Cases[] = {
      {"p { voice-family: \"\\\"}\\\"\"; voice-family: inherit; text-indent: 1px } h1 { text-indent: 2px }",
       "1px", "2px", "<none>"},
      {"p { font-family: \"a;b}c\"; text-indent: 1px } h1 { text-indent: 2px }", "1px", "2px", "a;b}c"},
      {"p { font-family: 'x}'; text-indent: 1px } h1 { text-indent: 2px }", "1px", "2px", "x}"},
      {"p { font-family: 'it\\'s'; text-indent: 1px } h1 { text-indent: 2px }", "1px", "2px", "it\\'s"},
      {"p { font-family: \"/* not a comment\"; text-indent: 1px } h1 { text-indent: 2px }", "1px",
       "2px", "/* not a comment"},
      {"p { font-family: \"A\\\\\"; text-indent: 1px } h1 { text-indent: 2px }", "1px", "2px", "a\\\\"},
      // The end tag still ends an unclosed string, and the sheet with it.
      {"p { text-indent: 1px; font-family: \"open</style> h1 { text-indent: 2px }", "1px",
       "<no rule>", "\"open"},
  };
  for (const auto& C : Cases) {
    TStyleList s;
    ParseStyleSheetText(s, C.Sheet, "");
    EXPECT_EQ(Value(s, "p", piTextIndent), C.P) << C.Sheet;
    EXPECT_EQ(Value(s, "h1", piTextIndent), C.H1) << C.Sheet;
    EXPECT_EQ(Value(s, "p", piFontFamily), C.Family) << C.Sheet;
  }
  TProperties attribute;
  ParseStyleAttribute("font-family: \"a;b\"; text-indent: 3px", attribute);
  EXPECT_EQ(attribute[piFontFamily].AsString(), "a;b");
  EXPECT_EQ(attribute[piTextIndent].AsString(), "3px");
}

// A negative padding, border width or size is no value at all: the one before it holds.
TEST(CssParser, NegativeSizesAreDroppedWhereNoneAreAllowed) {
  TStyleList s;
  ParseStyleSheetText(s,
                      "p { padding: 1em; padding: -5em; border-width: 2px -1px; width: -3px;"
                      " height: 4px; height: -.5em; margin: -5px; text-indent: -2px } h1 { color: red }",
                      "");
  const std::string Unset = Value(s, "h1", piWidth);
  EXPECT_EQ(Value(s, "p", piPaddingTop), "1em");
  EXPECT_EQ(Value(s, "p", piPaddingLeft), "1em");
  EXPECT_EQ(Value(s, "p", piBorderTopWidth), Unset);
  EXPECT_EQ(Value(s, "p", piWidth), Unset);
  EXPECT_EQ(Value(s, "p", piHeight), "4px");
  EXPECT_EQ(Value(s, "p", piMarginLeft), "-5px");
  EXPECT_EQ(Value(s, "p", piTextIndent), "-2px");
}

TEST(CssParser, AtRulesAreSkipped) {
  TStyleList s;
  ParseStyleSheetText(s,
                      "@import url(x.css); p { text-indent: 1px }"
                      "@media print { h1 { text-indent: 2px } h2 { text-indent: 3px } }"
                      "@font-face { font-family: x } h3 { text-indent: 4px } @charset",
                      "");
  EXPECT_EQ(Value(s, "p", piTextIndent), "1px");
  EXPECT_EQ(s.IndexOf("h1"), -1);
  // The whole block is skipped, every rule nested in it included.
  EXPECT_EQ(s.IndexOf("h2"), -1);
  EXPECT_EQ(Value(s, "h3", piTextIndent), "4px");
}

// Blocks nest in at-rules, in rules left out and in values; strings in them may hold
// braces. Everything up to the matching "}" is passed over.
TEST(CssParser, NestedBlocksArePassedOverWhole) {
  const struct {
    const char* Sheet;
    const char* Key;  // must get text-indent 9px
    const char* Absent;  // must get no rule
  } cases[] = {
      {"@three-dee { @lighting { a: 1 } h1 { color: red } } p { text-indent: 9px }", "p", "h1"},
      {"@media tty { h1 { x: '}' } h2 { } } p { text-indent: 9px }", "p", "h2"},
      {"h1[x] { a: { b: c } } h2 { text-indent: 1px } p { text-indent: 9px }", "p", "h1"},
      {"p { k: @x { r: '}'; }; text-indent: 9px } h1 { text-indent: 9px }", "h1", "h2"},
      {"p { a: \"}\"; text-indent: 9px } h2 { b: '\\'}\\'' } h1 { text-indent: 9px }", "h1",
       "h3"},
      {"// ul.x,\n p.y { text-indent: 1px } p { text-indent: 9px }", "p", "p.y"},
      {"em, p.z ! em, strong { text-indent: 1px } p { text-indent: 9px }", "p", "strong"},
  };
  for (const auto& c : cases) {
    TStyleList s;
    ParseStyleSheetText(s, c.Sheet, "");
    EXPECT_EQ(Value(s, c.Key, piTextIndent), "9px") << c.Sheet;
    EXPECT_EQ(s.IndexOf(c.Absent), -1) << c.Sheet;
  }
}

// "@import" reads the sheet it names in its place, before the rules after it; only
// at the start of a sheet, only for the screen, and within the depth and count bounds.
TEST(CssParser, ImportsReadTheNamedSheetInPlace) {
  std::vector<std::string> asked;
  std::map<std::string, std::string> files = {
      {"/base/a.css", "@import 'deeper/b.css'; p { text-indent: 1px } @import 'c.css';"},
      {"/base/b.css", "p { line-height: 2px }"},
      {"/base/deeper/b.css", "p { float: left }"},
      {"/base/loop.css", "@import url(loop.css); h1 { text-indent: 3px }"},
      {"/base/c.css", "h2 { text-indent: 4px }"},
  };
  TCssImporter importer = [&](const std::string& address, std::string& text, std::string& base) {
    asked.push_back(address);
    auto it = files.find(address);
    if (it == files.end()) return false;
    text = it->second;
    base = address.substr(0, address.rfind('/') + 1);
    return true;
  };
  TStyleList s;
  ParseStyleSheetText(s,
                      "@import url(a.css); @import \"b.css\" screen, print; @import 'x.css';"
                      " @import url(c.css) print; p { text-indent: 5px } @import 'c.css';",
                      "/base/", importer);
  EXPECT_EQ(Value(s, "p", piTextIndent), "5px");
  EXPECT_EQ(Value(s, "p", piLineHeight), "2px");
  EXPECT_EQ(Value(s, "p", piFloat), "left");  // relative to the importing sheet
  EXPECT_EQ(s.IndexOf("h2"), -1);              // for print, or after a rule
  EXPECT_EQ(asked, (std::vector<std::string>{"/base/a.css", "/base/deeper/b.css",
                                             "/base/b.css", "/base/x.css"}));

  asked.clear();
  TStyleList loop;
  ParseLinkedStyleSheet(loop, "@import 'loop.css';", "/base/", importer);
  EXPECT_EQ(int(asked.size()), MaxImportDepth);
  EXPECT_EQ(Value(loop, "h1", piTextIndent), "3px");

  asked.clear();
  std::string many;
  for (int i = 0; i < 3 * MaxImports; ++i) many += "@import 'b.css';";
  TStyleList wide;
  ParseLinkedStyleSheet(wide, many, "/base/", importer);
  EXPECT_EQ(int(asked.size()), MaxImports);
}

// The whole literal, embedded NULs included, without the terminating one.
template <size_t N>
std::string WithNuls(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(CssParser, HostileInputEndsCleanly) {
  std::string longValue(200000, 'a');
  std::string longSelector(100000, 'b');
  const std::string inputs[] = {
      "p { font-family: " + longValue + " }",
      longSelector + " { text-indent: 1px }",
      "p { text-indent: 1px",
      "}}}} {{{{ p { { text-indent: 1px } } }",
      WithNuls("p { te\0xt-indent: 1px } h1 { text-indent: 2px }"),
      WithNuls("/\0/*/\0*\0/ p { text-indent: 1px }"),
      "/* unterminated comment",
      "@media { p { color: red }",
      "p { background: url(url(url( rgb(rgb( ; font: '''' \"\" / // ; border: , , , }",
      "p, , ,{ margin: } h1 {:;:;}",
      std::string(5000, '{') + std::string(5000, '}'),
  };
  for (const std::string& input : inputs) {
    TStyleList s;
    char stop = ParseStyleSheetText(s, input, "/base/");
    EXPECT_TRUE(stop == char(26) || stop == '<');
  }
  TStyleList s;
  ParseStyleSheetText(s, WithNuls("p { te\0xt-indent: 1px } h1 { text-indent: 2px }"), "");
  EXPECT_EQ(Value(s, "h1", piTextIndent), "2px");
  TStyleList l;
  ParseStyleSheetText(l, inputs[0], "");
  EXPECT_EQ(Value(l, "p", piFontFamily).size(), longValue.size());
}

TEST(CssParser, StyleAttributes) {
  TProperties p;
  ParseStyleAttribute(
      "COLOR: Blue; margin: 1px 2px; font-family: 'Arial'; background-image: url(A.gif);"
      " font: bold 'Times New Roman'; bogus: 1; text-transform: uppercase", p);
  EXPECT_EQ(p[piColor].AsInteger(), 0xFF0000);
  EXPECT_EQ(p[piMarginTop].AsString(), "1px");
  EXPECT_EQ(p[piMarginLeft].AsString(), "2px");
  EXPECT_EQ(p[piFontFamily].AsString(), "'times new roman'");
  EXPECT_EQ(p[piFontWeight].AsString(), "bold");
  EXPECT_EQ(p[piBackgroundImage].AsString(), "url(a.gif)");
  EXPECT_EQ(p.CaseTransform(), TTextTransform::Upper);

  TProperties q;
  ParseStyleAttribute("  ;; text-indent : 3px ; color ; line-height:", q);
  EXPECT_EQ(q[piTextIndent].AsString(), "3px");
  EXPECT_TRUE(q[piLineHeight].Equals(""));
  TProperties r;
  ParseStyleAttribute(std::string("\0\0color:red\0", 12), r);
}

TEST(CssParser, SplitWordsAndExtractFunctions) {
  std::vector<std::string> words;
  int count = 0;
  SplitWords("  bold   12pt/14pt 'a b'c  x , y z", words, 7, count);
  EXPECT_EQ(words, (std::vector<std::string>{"bold", "12pt", "/14pt", "'a b'c", "x,y", "z"}));
  EXPECT_EQ(count, 6);
  SplitWords("1 2 3 4 5", words, 3, count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(words.back(), "4");
  SplitWords("'unclosed quote", words, 3, count);
  EXPECT_EQ(words, (std::vector<std::string>{"'unclosed quote"}));

  std::string text = "red url(a.gif) rgb(1,2,3) url(b.gif";
  ExtractFunctions(text, words, 7, count);
  EXPECT_EQ(words, (std::vector<std::string>{"url(a.gif)"}));
  EXPECT_EQ(text, "red  rgb(1,2,3) url(b.gif");
  text = "x rgb(1,2,3) y";
  ExtractFunctions(text, words, 7, count);
  EXPECT_EQ(words, (std::vector<std::string>{"rgb(1,2,3)"}));
}

}  // namespace

namespace {

// Values a property does not allow drop the declaration, so the one before it holds.
TEST(CssParser, ValuesNotAllowedAreDropped) {
  const struct {
    const char* Declaration;
    int Index;
    const char* Kept;  // the value after "p { <earlier> } p { <declaration> }"
  } cases[] = {
      {"text-decoration: underline overline line-through diagonal", piTextDecoration, "none"},
      {"text-decoration: underline overline", piTextDecoration, "underline overline"},
      {"border-top-width: funny", piBorderTopWidth, "thin"},
      {"border-top-width: 50zu", piBorderTopWidth, "thin"},
      {"border-top-width: px", piBorderTopWidth, "thin"},
      {"border-top-width: 2px", piBorderTopWidth, "2px"},
      {"border-width: 1px 2px 3px 4px 5px", piBorderTopWidth, "thin"},
      {"border-width: 0 thick", piBorderTopWidth, "0"},
      {"font: bold highlighted 100% sans-serif", piFontWeight, "normal"},
      {"font: bold 100% sans-serif", piFontWeight, "bold"},
      {"font: bold 'times new roman'", piFontWeight, "bold"},
      // Not dropped but read as "none": a hidden border is none outside collapsing tables.
      {"border-top-style: hidden", piBorderTopStyle, "none"},
      {"border: hidden 1px", piBorderTopStyle, "none"},
      {"border-spacing: 2px 3px", piBorderSpacing, "2px 3px"},
      {"border-spacing: -2px", piBorderSpacing, "4px"},
      {"border-spacing: 1px 2px 3px", piBorderSpacing, "4px"},
      {"border-spacing: wide", piBorderSpacing, "4px"},
      {"right: 5%", piRight, "5%"},
      {"right: auto", piRight, "auto"},
      {"right: far", piRight, "1px"},
      {"line-height: -1em", piLineHeight, "2em"},
      {"font-variant: small-caps", piFontVariant, "small-caps"},
      {"font-variant: normal", piFontVariant, "normal"},
      {"font-variant: tiny-caps", piFontVariant, "small-caps"},
      {"font: small-caps bold 12px serif", piFontVariant, "small-caps"},
      {"font: bold 12px serif", piFontVariant, "normal"},
  };
  for (const auto& c : cases) {
    TStyleList s;
    ParseStyleSheetText(s,
                        std::string("p { text-decoration: none; border-top-width: thin;"
                                    " font-weight: normal; border-top-style: solid;"
                                    " border-spacing: 4px; right: 1px; line-height: 2em;"
                                    " font-variant: small-caps } p { ") +
                            c.Declaration + " }",
                        "");
    EXPECT_EQ(Value(s, "p", c.Index), c.Kept) << c.Declaration;
  }
}

}  // namespace
