// Tables as the builder makes them from real and broken markup: implicit rows, stray
// content, cell defaults, captions, and nesting far deeper than any page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder_test_util.h"
#include "document/core/process_error.h"
#include "document/tables/table.h"

namespace {

// The tables of a cell and of the blocks and table cells inside it, in document order.
void CollectTables(TCellBasic& Cell, std::vector<TTableBlock*>& Out) {
  for (int I = 0; I < Cell.Count(); ++I) {
    auto* B = dynamic_cast<TBlock*>(Cell.Items(I));
    if (!B) continue;
    if (auto* T = dynamic_cast<TTableBlock*>(B)) {
      Out.push_back(T);
      for (auto& Row : T->FTable->FRowList)
        for (auto& C : Row->FCells) CollectTables(C->FCell, Out);
    } else {
      CollectTables(B->MyCell, Out);
    }
  }
}

std::vector<TTableBlock*> Tables(TSectionList& Doc) {
  std::vector<TTableBlock*> Out;
  CollectTables(Doc, Out);
  return Out;
}

// The text of a cell's sections, joined by "|".
std::string CellText(TCellBasic& Cell) {
  std::string S;
  for (auto& F : [&] {
         std::vector<TFoundSection> Out;
         std::vector<TBlock*> Path;
         CollectSections(Cell, Path, Out);
         return Out;
       }())
    S += (S.empty() ? "" : "|") + F.Section->FText;
  return S;
}

// Rows of the first table as "a,b;c" (cells by comma, rows by semicolon).
std::string Grid(const std::string& Html) {
  TBuiltDoc D;
  D.Build(Html);
  auto T = Tables(D.Doc);
  if (T.empty()) return "no table";
  std::string S;
  for (auto& Row : T[0]->FTable->FRowList) {
    if (!S.empty()) S += ";";
    std::string R;
    for (auto& C : Row->FCells) R += (R.empty() ? "" : ",") + CellText(C->FCell);
    S += R;
  }
  return S;
}

TEST(BuilderTables, RowsAndCellsFromLooseMarkup) {
  const struct {
    const char* Html;
    const char* Grid;
  } Cases[] = {
      {"<TABLE><TD>a<TD>b</TABLE>", "a,b"},
      {"<TABLE><TR><TD>a<TR><TD>b<TD>c</TABLE>", "a;b,c"},
      {"<table><tr><td>a</td></tr><tr><th>h</th><td>d</td></tr></table>", "a;h,d"},
      {"<table><tr><td>a</tr><td>b</table>", "a;b"},
      {"<table><td>never closed", "never closed"},
      {"<table><tr><td>a<td>b</tr></tr></td><tr><td>c</table>", "a,b;c"},
      {"<table><tbody><tr><td>a</td></tr></tbody></table>", "a"},
      {"<table><tr><td><b>bold <a href=x>link</td><td>next</table>", "bold link,next"},
      {"<table><tr><td>before<script>document.write('x')</script>after</table>", "beforeafter"},
      {"<table><tr><td><p>one<p>two</td></tr></table>", "one|two"},
  };
  for (const auto& C : Cases) EXPECT_EQ(Grid(C.Html), C.Grid) << C.Html;
}

TEST(BuilderTables, ContentOutsideCellsComesBeforeTheTable) {
  TBuiltDoc D;
  D.Build("<TABLE>x<TR><TD>y</TABLE>z");
  TCellBasic& Body = D.Body()->MyCell;
  ASSERT_EQ(Body.Count(), 3);
  EXPECT_EQ(dynamic_cast<TSection*>(Body.Items(0))->FText, "x");
  EXPECT_NE(dynamic_cast<TTableBlock*>(Body.Items(1)), nullptr);
  EXPECT_EQ(dynamic_cast<TSection*>(Body.Items(2))->FText, "z");
  // Line ends and indentation between the table's tags leave nothing behind.
  TBuiltDoc Spaced;
  Spaced.Build("<table>\n <tr>\n  <td>x</td>\n </tr>\n</table>\n");
  EXPECT_EQ(Spaced.Body()->MyCell.Count(), 1);
}

TEST(BuilderTables, CellDefaultsFromTagsAndAttributes) {
  struct TCase {
    const char* Html;
    TTextAlign Align;  // of the cell's text section
    bool NoBreak;
    TVerticalAlign VAlign;
  };
  using enum TTextAlign;
  using enum TVerticalAlign;
  const TCase Cases[] = {
      {"<table><tr><th>h</table>", Center, false, Middle},
      {"<table><tr><td>d</table>", Left, false, Middle},
      {"<table><tr><th align=left>h</table>", Left, false, Middle},
      {"<table><tr align=right><td>d</table>", Right, false, Middle},
      {"<table><tr><td nowrap width=100>d</table>", Left, false, Middle},
      {"<table><tr><td nowrap width=50%>d</table>", Left, true, Middle},
      {"<table><tr><td nowrap>d</table>", Left, true, Middle},
      {"<table><tr><td valign=baseline>d</table>", Left, false, Top},
      {"<table><tr><td valign=BOTTOM>d</table>", Left, false, Bottom},
      {"<table><tr valign=top><td>d<td valign=middle>e</table>", Left, false, Top},
      {"<table><tr><td style='vertical-align:bottom'>d</table>", Left, false, Bottom},
      // An end tag of an element around the table leaves a header cell centred.
      {"<b><table><tr><th>h</b><p>after</table>", Center, false, Middle},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    auto T = Tables(D.Doc);
    ASSERT_EQ(T.size(), 1u) << C.Html;
    TCellObj& Cell = *T[0]->FTable->FRowList[0]->FCells[0];
    std::vector<TBlock*> Path;
    std::vector<TFoundSection> Found;
    CollectSections(Cell.FCell, Path, Found);
    ASSERT_FALSE(Found.empty()) << C.Html;
    TSection* S = Found.back().Section;
    EXPECT_EQ(S->FAlign, C.Align) << C.Html;
    EXPECT_EQ(S->FNoBreak, C.NoBreak) << C.Html;
    EXPECT_EQ(Cell.FVAlign, C.VAlign) << C.Html;
  }
}

TEST(BuilderTables, TableAlignmentCentringAndFloats) {
  struct TCase {
    const char* Html;
    TTextAlign AlignMode;
    TFloatSide Float;
  };
  using enum TTextAlign;
  const TCase Cases[] = {
      {"<table><td>x</table>", Left, TFloatSide::None},
      {"<CENTER><TABLE><TD>x</TABLE></CENTER>", Center, TFloatSide::None},
      {"<div align=right><table><td>x</table></div>", Right, TFloatSide::None},
      {"<CENTER><TABLE ALIGN=LEFT><TD>x</TABLE></CENTER>", Left, TFloatSide::Left},
      {"<table align=right><td>x</table>", Left, TFloatSide::Right},
      {"<table align=right style='float:none'><td>x</table>", Left, TFloatSide::None},
      {"<table align=center><td>x</table>", Center, TFloatSide::None},
  };
  for (const TCase& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    auto T = Tables(D.Doc);
    ASSERT_EQ(T.size(), 1u) << C.Html;
    EXPECT_EQ(T[0]->FAlignMode, C.AlignMode) << C.Html;
    EXPECT_EQ(T[0]->FFloat, C.Float) << C.Html;
    EXPECT_EQ(T[0]->FTable->FFloating, C.Float != TFloatSide::None) << C.Html;
  }
}

TEST(BuilderTables, CaptionsAboveOrBelow) {
  const struct {
    const char* Html;
    bool Top;
  } Cases[] = {
      {"<table><caption>cap</caption><tr><td>x</table>", true},
      {"<table><caption align=bottom>cap</caption><tr><td>x</table>", false},
      {"<table><tr><td>x<caption align=top>cap</table>", true},
  };
  for (const auto& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html);
    auto T = Tables(D.Doc);
    ASSERT_EQ(T.size(), 1u);
    ASSERT_NE(T[0]->FTable->FCaption, nullptr) << C.Html;
    EXPECT_EQ(CellText(T[0]->FTable->FCaption->FCell), "cap") << C.Html;
    EXPECT_EQ(T[0]->FTable->FCaptionTop, C.Top) << C.Html;
    EXPECT_EQ(Grid(C.Html), "x") << C.Html;
  }
}

TEST(BuilderTables, AttributesOfTableRowAndCell) {
  TBuiltDoc D;
  D.Build("<table border cellpadding=99 cellspacing=0 width=50% bordercolor=red "
          "bordercolordark=blue hspace=-60><tr bgcolor=#00ff00 height=30>"
          "<td colspan=3 rowspan=2 width=40>a<td bgcolor=#0000ff width=25%>b</table>");
  auto T = Tables(D.Doc);
  ASSERT_EQ(T.size(), 1u);
  ThtmlTable& Table = *T[0]->FTable;
  ASSERT_TRUE(Table.PrepareGrid());
  EXPECT_TRUE(Table.FBorder);
  EXPECT_EQ(Table.FCellSpacing, 2);  // a border with no spacing still leaves 2
  EXPECT_EQ(Table.FCellPadding, 50);
  EXPECT_EQ(Table.FLightColor & 0xFFFFFF, 0x0000FFu);  // red, as 0x00BBGGRR
  EXPECT_EQ(Table.FDarkColor & 0xFFFFFF, 0xFF0000u);
  EXPECT_TRUE(T[0]->FWidthPercent);
  EXPECT_EQ(T[0]->FAskedWidth, 500);
  EXPECT_EQ(T[0]->FHSpace, 40);
  TCellObj& A = *Table.FRowList[0]->FCells[0];
  TCellObj& B = *Table.FRowList[0]->FCells[1];
  EXPECT_EQ(A.FColSpan, 3);
  EXPECT_EQ(A.FRowSpan, 1);  // cut to the last row
  EXPECT_EQ(A.FCellWantWidth, 40);
  EXPECT_FALSE(A.FCellWidthIsPercent);
  EXPECT_EQ(A.FCellWantHeight, 30);  // the row's height
  EXPECT_EQ(A.FCell.FBackColor & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(B.FCellWantWidth, 250);
  EXPECT_TRUE(B.FCellWidthIsPercent);
  EXPECT_EQ(B.FCell.FBackColor & 0xFFFFFF, 0xFF0000u);
}

std::string Repeated(const std::string& Piece, int Count) {
  std::string S;
  for (int I = 0; I < Count; ++I) S += Piece;
  return S;
}

// All text of a cell, tables included.
std::string AllText(TCellBasic& Cell) {
  std::string S;
  for (int I = 0; I < Cell.Count(); ++I) {
    TSectionBase* Item = Cell.Items(I);
    if (auto* T = dynamic_cast<TTableBlock*>(Item)) {
      for (auto& Row : T->FTable->FRowList)
        for (auto& C : Row->FCells) S += AllText(C->FCell);
    } else if (auto* B = dynamic_cast<TBlock*>(Item)) {
      S += AllText(B->MyCell);
    } else if (auto* X = dynamic_cast<TSection*>(Item)) {
      S += X->FText;
    }
  }
  return S;
}

int TableDepth(TCellBasic& Cell) {
  int Depth = 0;
  for (int I = 0; I < Cell.Count(); ++I) {
    auto* B = dynamic_cast<TBlock*>(Cell.Items(I));
    if (!B) continue;
    if (auto* T = dynamic_cast<TTableBlock*>(B)) {
      for (auto& Row : T->FTable->FRowList)
        for (auto& C : Row->FCells) Depth = std::max(Depth, 1 + TableDepth(C->FCell));
    } else {
      Depth = std::max(Depth, TableDepth(B->MyCell));
    }
  }
  return Depth;
}

// A read that ends in an error inside a cell (an unclosed comment) leaves the tables it was
// in: what was built stays in the document and nothing points into the dropped cells.
TEST(BuilderTables, AnErrorInsideACellEndsTheReadCleanly) {
  for (const char* Html : {"<p>before<table><tr><td>cell <!-- never closed",
                           "<table><td><table><td>inner<caption>cap <!-- open"}) {
    TBuiltDoc D;
    D.Build(Html);
    TCanvas Canvas;
    int SW = 0, Curs = 0;
    D.Doc.LayoutCell(&Canvas, 0, 400, 400, SW, Curs);
    EXPECT_NE(D.Body(), nullptr) << Html;
  }
}

TEST(BuilderTables, NestingStopsAtTenTablesAndTheRestJoinsTheTenth) {
  const struct {
    std::string Html;
    int Depth;
    int InnermostRows;
  } Cases[] = {
      {Repeated("<table><tr><td>", 11) + "deep" + Repeated("</table>", 11), 10, 2},
      // A table opened at level ten after the first one closed is still built.
      {Repeated("<table><tr><td>", 9) + "<table><td>a</table><table><td>deep</table>", 10, 1},
      {Repeated("<table><tr><td>", 1000) + "deep" + Repeated("</td></tr></table>", 1000), 10, 991},
      {Repeated("<table><td><div><ul><li>", 1000) + "deep</table>", 10, 1},
  };
  for (const auto& C : Cases) {
    TBuiltDoc D;
    D.Build(C.Html + "<p>after");
    EXPECT_EQ(TableDepth(D.Doc), C.Depth) << C.Html.substr(0, 60);
    auto T = Tables(D.Doc);
    ASSERT_FALSE(T.empty());
    EXPECT_EQ(T.back()->FTable->RowCount(), C.InnermostRows) << C.Html.substr(0, 60);
    const std::string Text = AllText(D.Doc);
    EXPECT_NE(Text.find("deep"), std::string::npos) << C.Html.substr(0, 60);
    EXPECT_EQ(Text.substr(Text.size() - 5), "after") << C.Html.substr(0, 60);
    TCanvas Canvas;
    int SW = 0, Curs = 0;
    EXPECT_GT(D.Doc.LayoutCell(&Canvas, 0, 600, 600, SW, Curs), 0);
  }
}

}  // namespace
