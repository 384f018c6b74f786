// Body attributes, anchors and the head elements with their handlers.
#include <gtest/gtest.h>

#include "builder_test_util.h"
#include "document/core/id_name_list.h"

namespace {

TEST(BuilderBody, OnlyTheFirstBodyBeforeContentApplies) {
  TBuiltDoc D;
  D.Build("<BODY MARGINWIDTH=500 TEXT=#FF0000>a<BODY TEXT=#00FF00>b");
  TBodyBlock* B = D.Body();
  ASSERT_TRUE(B);
  EXPECT_EQ(B->MargArrayO[piMarginLeft - BoxFirst].AsInteger(), 200);
  TFontObj* Run = RunOf(D.Doc, "b");
  ASSERT_TRUE(Run);
  EXPECT_EQ(Run->FFont->Color & 0xFFFFFF, TColor(0x0000FF));
  EXPECT_EQ(D.Doc.Count(), 1);
  EXPECT_EQ(D.Doc.PageColor, clWhite);  // no background colour leaves the page's
}

// Line ends and blanks between the head's tags collapse away: they are no content that
// would make the body tag come too late.
TEST(BuilderBody, BlanksBeforeTheBodyTagLeaveItsAttributesAndRulesInForce) {
  TBuiltDoc D;
  D.Build("<HTML>\n<HEAD>\n <TITLE>t</TITLE>\n<STYLE>body {margin: 5%; font-family: "
          "\"Courier New\"}</STYLE>\n</HEAD>\r\n \t\n<BODY TEXT=#FF0000 LINK=#00FF00 "
          "BGCOLOR=#0000FF>\ntext <A HREF=u>link</A>");
  TBodyBlock* B = D.Body();
  ASSERT_TRUE(B);
  EXPECT_EQ(D.Doc.Count(), 1);
  EXPECT_EQ(D.Doc.PageColor & 0xFFFFFF, TColor(0xFF0000));
  TFontObj* Text = RunOf(D.Doc, "text");
  TFontObj* Link = RunOf(D.Doc, "link");
  ASSERT_TRUE(Text && Link);
  EXPECT_EQ(Text->FFont->Color & 0xFFFFFF, TColor(0x0000FF));
  EXPECT_EQ(Link->FFont->Color & 0xFFFFFF, TColor(0x00FF00));
  EXPECT_STRCASEEQ(Text->FFont->Name.c_str(), "Courier New");
  TCanvas Canvas;
  int ScrollWidth = 0, Curs = 0;
  D.Doc.LayoutCell(&Canvas, 0, 800, 600, ScrollWidth, Curs);
  EXPECT_EQ(B->MargArray[piMarginLeft - BoxFirst], 40);
  EXPECT_EQ(B->MargArray[piMarginRight - BoxFirst], 40);
  EXPECT_EQ(Sections(D.Doc).at(0).Section->FText, "text link");
}

TEST(BuilderBody, TheBodysTiledBackgroundImageBecomesThePages) {
  struct TCase {
    const char* Html;
    const char* Name;  // what the document is to load
  } Cases[] = {
      {"<body background=back.gif>x", "back.gif"},
      {"<style>body {background: url(rule.png)}</style><body>x", "rule.png"},
      {"<body style='background-image:url(s.png); background-repeat:repeat'>x", "s.png"},
      // The page is tiled both ways: an image meant otherwise is not shown.
      {"<body style='background-image:url(s.png); background-repeat:repeat-x'>x", ""},
      {"<body style='background:url(s.png) no-repeat'>x", ""},
      {"<body>x<div style='background-image:url(d.png)'>y</div>", ""},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    EXPECT_EQ(D.Doc.BackImageName, C.Name) << C.Html;
  }
}

TEST(BuilderAnchor, NameIsRegisteredInUpperCaseWithoutHash) {
  TBuiltDoc D;
  D.Build("x<A NAME=#Top></A><A HREF=\"u.html\" TARGET=f>link</A>y");
  ASSERT_TRUE(D.Doc.IdNames);
  EXPECT_TRUE(D.Doc.IdNames->Lookup("TOP"));
  TFontObj* Run = RunOf(D.Doc, "link");
  ASSERT_TRUE(Run);
  EXPECT_EQ(Run->Target().URL, "u.html");
  EXPECT_EQ(Run->Target().Target, "f");
  EXPECT_TRUE(RunOf(D.Doc, "y")->Target().URL.empty());
  EXPECT_EQ(D.Doc.LinkRuns.size(), 1u);
}

TEST(BuilderAnchor, LinkRunsAreListedInDocumentOrderAcrossBlocks) {
  TBuiltDoc D;
  D.Build("<a href=1>a</a><div><a href=2>b</a><p><a href=3>c</a><br><a href=4>d</a></p>"
          "<h2><a href=5>e</a></h2> <a href=6>f</a></div><p></p><a href=7>g</a>");
  std::vector<std::string> Urls;
  for (TDocFontRun* Run : D.Doc.LinkRuns) Urls.push_back(static_cast<TFontObj*>(Run)->Target().URL);
  EXPECT_EQ(Urls, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
}

// Runs made from one element share its font until one of them changes its own.
TEST(BuilderAnchor, HoverChangesOnlyTheRunItIsSetOn) {
  TBuiltDoc D;
  D.Build("<p><a href=u>one<br>two</a></p>");
  TFontObj* One = RunOf(D.Doc, "one");
  TFontObj* Two = RunOf(D.Doc, "two");
  ASSERT_TRUE(One && Two);
  ASSERT_NE(One, Two);
  const TColor Link = Two->FFont->Color;
  One->SetHover(true);
  EXPECT_EQ(One->FFont->Color & 0xFFFFFF, TColor(0xFF));
  EXPECT_EQ(Two->FFont->Color, Link);
  One->SetHover(false);
  EXPECT_EQ(One->FFont->Color, Link);
}

TEST(BuilderHead, TitleBaseAndMetaReachTheirOwners) {
  TBuiltDoc D;
  std::vector<std::string> Meta;
  D.Handlers.OnMeta = [&](TObject*, const std::string& H, const std::string& N,
                          const std::string& C) { Meta = {H, N, C}; };
  D.Build("<TITLE>A &amp; B</TITLE><BASE HREF=\"http://h/d/\" TARGET=main>"
          "<META NAME=author CONTENT=me>text");
  EXPECT_EQ(D.Result.DocTitle, "A & B");
  EXPECT_EQ(D.Result.BaseHref, "http://h/d/");
  EXPECT_EQ(D.Result.BaseFrameTarget, "main");
  EXPECT_EQ(Meta, (std::vector<std::string>{"", "author", "me"}));
}

TEST(BuilderHead, LinkedSheetComesThroughTheStreamRequest) {
  TBuiltDoc D;
  std::string Asked, Linked;
  TMemoryStream Sheet;
  // A "<" in a linked sheet's comment is no markup: the rules after it apply.
  const std::string Css = "/* take care of <a name>s inside */\np { font-weight: bold }\n";
  Sheet.Write(Css.data(), Css.size());
  D.Handlers.OnhtStreamRequest = [&](TObject*, const std::string& Url, TMemoryStream*& S) {
    Asked = Url;
    S = &Sheet;
  };
  D.Handlers.OnLink = [&](TObject*, const std::string& Rel, const std::string&,
                          const std::string& Href) { Linked = Rel + " " + Href; };
  D.Build("<LINK REL=StyleSheet HREF=s.css><P>para");
  EXPECT_EQ(Asked, "s.css");
  EXPECT_EQ(Linked, "StyleSheet s.css");
  EXPECT_TRUE(RunOf(D.Doc, "para")->FFont->Bold);
}

// Sheets whose MEDIA leave out the screen are not applied, linked or inline; the link is
// still reported, and a skipped STYLE element's content shows nowhere.
TEST(BuilderHead, SheetsForOtherMediaAreLeftOut) {
  const struct {
    const char* Media;
    bool Applies;
  } Cases[] = {
      {"", true},
      {" MEDIA=print", false},
      {" media=\"print, handheld\"", false},
      {" media=screenreader", false},
      {" media=\"Print, Screen\"", true},
      {" MEDIA=ALL", true},
      {" media=\"only screen and (max-width: 600px)\"", true},
      {" media=\"\"", true},
      {" media=\"not print\"", true},
      {" media=\"not screen\"", false},
      {" media=\"(min-width: 40em)\"", true},
      {" media=\"print and (color)\"", false},
  };
  TMemoryStream Sheet;
  const std::string Css = "em { font-weight: bold }";
  Sheet.Write(Css.data(), Css.size());
  for (const auto& C : Cases) {
    TBuiltDoc L;
    std::string Linked;
    L.Handlers.OnhtStreamRequest = [&](TObject*, const std::string&, TMemoryStream*& S) {
      S = &Sheet;
    };
    L.Handlers.OnLink = [&](TObject*, const std::string&, const std::string&,
                            const std::string& Href) { Linked = Href; };
    L.Build(std::string("<LINK REL=stylesheet HREF=s.css") + C.Media + "><EM>e</EM>");
    EXPECT_EQ(RunOf(L.Doc, "e")->FFont->Bold, C.Applies) << "link" << C.Media;
    EXPECT_EQ(Linked, "s.css") << C.Media;

    TBuiltDoc S;
    S.Build(std::string("<STYLE") + C.Media + ">/* <b> */ " + Css + "</STYLE><EM>e</EM>");
    EXPECT_EQ(RunOf(S.Doc, "e")->FFont->Bold, C.Applies) << "style" << C.Media;
    ASSERT_EQ(Sections(S.Doc).size(), 1u) << C.Media;
    EXPECT_EQ(Sections(S.Doc)[0].Section->FText, "e") << C.Media;
  }
}

// A META names the document's character set in a content type or, on its own, in CHARSET;
// text converted from UTF-8 keeps the set it was converted into.
TEST(BuilderHead, MetaCharsetInEitherFormSetsTheTextCharacterSet) {
  const struct {
    std::string Html;
    int Charset;
    std::string Text;
  } Cases[] = {
      {"<META HTTP-EQUIV=Content-Type CONTENT=\"text/html; charset=Shift_JIS\"><BODY>t", 128, "t"},
      {"<meta charset=\"shift_jis\"><BODY>t", 128, "t"},
      {"<meta charset=windows-1251><BODY>t", 204, "t"},
      {"<meta charset=\"ISO-8859-7\"/><BODY>t", 161, "t"},
      {"<meta charset=euc-jp><BODY>\xA4\xA2", 128, "\x82\xA0"},  // converted to Shift_JIS
      {"<meta charset=utf-8><BODY>t", 0, "t"},
      {"<meta charset=\"\"><BODY>t", 0, "t"},
      {"\xEF\xBB\xBF<meta charset=windows-1251><BODY>caf\xC3\xA9", 0, "caf\xE9"},
  };
  for (const auto& C : Cases) {
    TBuiltDoc D;
    TObject Viewer;
    D.Handlers.Sender = &Viewer;
    D.Build(C.Html);
    TFontObj* Run = RunOf(D.Doc, C.Text);
    ASSERT_NE(Run, nullptr) << C.Html;
    EXPECT_EQ(int(Run->FFont->Charset), C.Charset) << C.Html;
  }
}

TEST(BuilderHead, StyleElementAppliesAndEmptyOneIsHarmless) {
  TBuiltDoc D;
  D.Build("<STYLE></STYLE><STYLE>em { font-weight: bold }</STYLE><EM>e</EM>");
  EXPECT_TRUE(RunOf(D.Doc, "e")->FFont->Bold);
}

// A "<" in a comment of a STYLE element is prose unless the element's end tag starts there.
TEST(BuilderHead, StyleCommentsEndTheSheetOnlyAtTheEndTag) {
  const struct {
    const char* Sheet;
    bool Bold;
  } Cases[] = {
      {"/* see <a name> */ em { font-weight: bold }", true},
      {"/*<![CDATA[*/ em { font-weight: bold } /*]]>*/", true},
      {"/* </style> */ em { font-weight: bold }", false},
  };
  for (const auto& C : Cases) {
    TBuiltDoc D;
    D.Build(std::string("<STYLE>") + C.Sheet + "</STYLE><EM>e</EM>");
    EXPECT_EQ(RunOf(D.Doc, "e")->FFont->Bold, C.Bold) << C.Sheet;
  }
}

TEST(BuilderHead, UnterminatedCommentKeepsWhatCameBefore) {
  TBuiltDoc D;
  D.Build("before<!-- never closed");
  auto S = Sections(D.Doc);
  ASSERT_EQ(S.size(), 1u);
  EXPECT_EQ(S[0].Section->FText, "before");
}

}  // namespace

namespace {

// Scripts reach the handler as they stand, with their name and language; the page text
// around them is kept, and without a handler they are passed over alike.
TEST(BuilderScripts, TextGoesToTheHandlerAsItStands) {
  struct Case {
    const char* Html;
    std::string Script;  // what the handler receives
    std::string Text;    // the page text
  };
  const Case Cases[] = {
      {"a<script language=JavaScript name=s1>if (a<b && c>d) x = \"<p>&amp;\";</script>b",
       "if (a<b && c>d) x = \"<p>&amp;\";", "ab"},
      {"a<script>\n<!-- hide\nf();\n// -->\n</SCRIPT >b", "\r\n<!-- hide\r\nf();\r\n// -->\r\n",
       "ab"},
      {"a<script>document.write('</scr' + 'ipt>')</script>b", "document.write('</scr' + 'ipt>')",
       "ab"},
      {"<pre>x<script>y</script>z</pre>", "y", "xz"},
      {"a<script>never closed <b>", "never closed <b>", "a"},
  };
  for (const Case& C : Cases) {
    for (const bool WithHandler : {true, false}) {
      TBuiltDoc D;
      std::vector<std::string> Got;
      if (WithHandler)
        D.Doc.Hooks.OnScript = [&](TObject*, const std::string& Name, const std::string& Language,
                             const char* Script) {
          Got.push_back(Name + "|" + Language + "|" + Script);
        };
      D.Build(C.Html);
      std::string Text;
      for (auto& S : Sections(D.Doc)) Text += S.Section->FText;
      EXPECT_EQ(Text, C.Text) << C.Html;
      if (!WithHandler) continue;
      ASSERT_EQ(Got.size(), 1u) << C.Html;
      const std::string Prefix = std::string(C.Html).find("name=s1") != std::string::npos
                                     ? "s1|JavaScript|"
                                     : "||";
      EXPECT_EQ(Got[0], Prefix + C.Script) << C.Html;
    }
  }
}

}  // namespace

namespace {

// Which declarations make a standards document: only one before the first tag counts.
TEST(BuilderDoctype, StrictDeclarationsMakeAStandardsDocument) {
  struct TCase {
    const char* Start;
    bool Standards;
  } Cases[] = {
      {"<!DOCTYPE html>", true},
      {"<!doctype HTML>", true},
      {"<!DOCTYPE html SYSTEM \"about:legacy-compat\">", true},
      {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" "
       "\"http://www.w3.org/TR/html4/strict.dtd\">",
       true},
      {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">", true},
      {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">",
       true},
      {"<?xml version=\"1.0\"?><!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" \"x\">", true},
      {"<!-- a comment first --><!DOCTYPE html>", true},
      {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">", false},
      {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Frameset//EN\">", false},
      {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">", false},
      {"<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">", false},
      {"<!DOCTYPE svg>", false},
      {"", false},
      {"<p>x</p><!DOCTYPE html>", false},
      {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\"><!DOCTYPE html>", false},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(std::string(C.Start) + "<p class=One>text");
    EXPECT_EQ(D.Doc.StandardsMode, C.Standards) << C.Start;
  }
}

// The class and id attributes keep their case in a standards document, and rules name
// them with theirs.
TEST(BuilderDoctype, StandardsDocumentsMatchNamesWithTheirCase) {
  struct TCase {
    const char* Html;
    TColor Color;  // of "text"
  } Cases[] = {
      {"<!DOCTYPE html><style>.one {color: #00FF00}</style><p class=One>text", 0},
      {"<!DOCTYPE html><style>.One {color: #00FF00}</style><p class=One>text", 0x00FF00},
      {"<!DOCTYPE html><style>#Go {color: #00FF00}</style><p id=go>text", 0},
      {"<!DOCTYPE html><style>#Go {color: #00FF00}</style><span id=Go>text</span>", 0x00FF00},
      {"<!DOCTYPE html><style>div.A p {color: #00FF00}</style><div class=a><p>text", 0},
      {"<style>.one {color: #00FF00}</style><p class=One>text", 0x00FF00},
      {"<style>#Go {color: #00FF00}</style><p id=go>text", 0x00FF00},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    TFontObj* Run = RunOf(D.Doc, "text");
    ASSERT_TRUE(Run) << C.Html;
    EXPECT_EQ(Run->FFont->Color & 0xFFFFFF, C.Color) << C.Html;
  }
}

}  // namespace
