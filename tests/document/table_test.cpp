// Table layout and drawing on worked examples: column widths from content, spans and
// percentages, row heights with row spans, captions, border colours, the column limit,
// hit tests and text, page breaks, and very large tables.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/core/process_error.h"
#include "document/core/text_section.h"
#include "document/images/image_cache.h"
#include "document/tables/table.h"
#include "style/units.h"
#include "tests/reader/builder_test_util.h"
#include "toolkit/graphics/bitmap.h"

namespace {

// A box of exactly W by H pixels: the cell content of the worked examples.
std::string Box(int W, int H = 0) {
  return "<div style='width:" + std::to_string(W) + "px;height:" + std::to_string(H) +
         "px'></div>";
}

struct TLaidOutTable {
  TBuiltDoc D;
  TBitmap Bitmap{800, 1000};
  TPaintContext Pass{.Band = TRect{0, 0, 800, 1000}};
  int Height = 0;
  explicit TLaidOutTable(const std::string& Html, int Width = 620) {
    D.Build(Html);
    int SW = 0, Curs = 0;
    Height = D.Doc.LayoutCell(&Bitmap.Canvas(), 0, Width, 1000, SW, Curs);
  }
  TTableBlock* Block() {
    TCellBasic& Body = D.Body()->MyCell;
    for (int I = 0; I < Body.Count(); ++I)
      if (auto* T = dynamic_cast<TTableBlock*>(Body.Items(I))) return T;
    return nullptr;
  }
  ThtmlTable& Table() { return *Block()->FTable; }
  void Draw() {
    Bitmap.Canvas().FillRect(TRect{0, 0, 800, 1000}, clWhite);
    D.Doc.Draw(&Bitmap.Canvas(), Pass, 800, 0, 0, 0, 0);
  }
  TColor Pixel(int X, int Y) { return Bitmap.Canvas().GetPixel(X, Y) & 0xFFFFFF; }
};

const std::string Tight = "<table cellspacing=0 cellpadding=0";

TEST(TableWidths, MinimumAndMaximumFromCells) {
  const struct {
    std::string Html;
    int Min, Max;
  } Cases[] = {
      {Tight + "><tr><td>" + Box(100) + "<td>" + Box(50) + "</table>", 150, 150},
      // Each cell adds its padding on both sides and one spacing; the table one more spacing.
      {"<table><tr><td>" + Box(100) + "<td>" + Box(50) + "</table>", 160, 160},
      // A border turns no spacing into 2.
      {"<table border=1 cellspacing=0 cellpadding=0><tr><td>" + Box(100) + "<td>" + Box(50) +
           "</table>",
       156, 156},
      {Tight + " width=300><tr><td>" + Box(100) + "</table>", 300, 300},
      {Tight + " width=50><tr><td>" + Box(100) + "</table>", 100, 100},
      {Tight + "><caption>" + Box(400) + "</caption><tr><td>" + Box(100) + "</table>", 400, 400},
      {Tight + "><tr><td colspan=2>" + Box(300) + "<tr><td>" + Box(100) + "<td>" + Box(50) +
           "</table>",
       300, 300},
  };
  for (const auto& C : Cases) {
    TLaidOutTable L(C.Html);
    ASSERT_NE(L.Block(), nullptr) << C.Html;
    int Min = 0, Max = 0;
    L.Block()->MeasureWidths(&L.Bitmap.Canvas(), Min, Max);
    EXPECT_EQ(Min, C.Min) << C.Html;
    EXPECT_EQ(Max, C.Max) << C.Html;
  }
}

// Blanks that end a cell's lines are not drawn, so the cell is as wide as its text without
// them and the text still keeps to its lines there; preformatted blanks are text.
TEST(TableWidths, BlanksThatEndALineDoNotWidenTheCell) {
  const struct {
    std::string Blanked, Bare;
  } Cases[] = {
      {"<td>xx </td>", "<td>xx</td>"},
      {"<td>@<td>hello there world.\n<tr><td>#<td>x",
       "<td>@<td>hello there world.<tr><td>#<td>x"},
      {"<td>\n <div> xx \n</div>\n </td>", "<td><div>xx</div></td>"},
      {"<td><div> &Eacute; </div></td>", "<td><div>&Eacute;</div></td>"},
      {"<td>xxxx <br>yy  <br></td>", "<td>xxxx<br>yy</td>"},
      {"<td><pre>xx  </pre></td>", "<td><pre>xxxx</pre></td>"},
  };
  for (const auto& C : Cases) {
    int Min[2] = {}, Max[2] = {};
    const std::string* Html[2] = {&C.Blanked, &C.Bare};
    for (int I = 0; I < 2; ++I) {
      TLaidOutTable L(Tight + "><tr>" + *Html[I] + "</table>");
      ASSERT_NE(L.Block(), nullptr) << *Html[I];
      L.Block()->MeasureWidths(&L.Bitmap.Canvas(), Min[I], Max[I]);
      // The text keeps to one line in the width measured without its blanks.
      for (const auto& Cell : L.Table().Row(0).FCells) {
        if (auto* S = dynamic_cast<TSection*>(Cell->FCell.Items(0))) {
          EXPECT_EQ(S->FLines.size(), 1u) << *Html[I];
        }
      }
    }
    EXPECT_EQ(Max[0], Max[1]) << C.Blanked;
    EXPECT_EQ(Min[0], Min[1]) << C.Blanked;
  }
}

TEST(TableWidths, ColumnsShareTheWidth) {
  const struct {
    std::string Html;
    std::vector<int> Columns;
  } Cases[] = {
      // A spanning cell's excess minimum goes to its columns in proportion to theirs.
      {Tight + "><tr><td colspan=2>" + Box(300) + "<tr><td>" + Box(100) + "<td>" + Box(50) +
           "</table>",
       {200, 100}},
      // A cell spanning past the other rows widens the table by a column, which shares the
      // excess in proportion to its minimum of 0.
      {Tight + "><tr><td colspan=3>" + Box(90) + "<tr><td>" + Box(10) + "<td>" + Box(10) +
           "</table>",
       {45, 45, 0}},
      // 30 % and 70 % without a table width: the width that shows both at their maximum.
      {Tight + "><tr><td width=30%>" + Box(60) + "<td width=70%>" + Box(70) + "</table>",
       {60, 140}},
      // A fixed table width: absolute, percentage and free columns.
      {Tight + " width=500><tr><td width=100>" + Box(10) + "<td width=50%>" + Box(10) + "<td>" +
           Box(10) + "</table>",
       {100, 250, 150}},
      // An absolute width without a table width: columns take their maximum.
      {Tight + "><tr><td width=100>" + Box(10) + "<td>" + Box(50) + "</table>", {100, 50}},
      // Too narrow for the percentages: every column gets its minimum.
      {Tight + " width=100><tr><td width=50%>" + Box(80) + "<td width=50%>" + Box(80) +
           "</table>",
       {80, 80}},
      // A share that wants more room than there is: the table still fills the room.
      {Tight + "><tr><td width=10%>" + Box(100) + "<td>" + Box(50) + "</table>", {100, 500}},
      // With spacing each column carries one spacing and the cell's padding.
      {"<table cellspacing=4 cellpadding=3><tr><td>" + Box(20) + "<td>" + Box(30) + "</table>",
       {30, 40}},
  };
  for (const auto& C : Cases) {
    TLaidOutTable L(C.Html);
    ASSERT_NE(L.Block(), nullptr) << C.Html;
    EXPECT_EQ(L.Table().ColWidths(), C.Columns) << C.Html;
  }
}

// A negative margin pulls the table out past the page's left edge; its columns keep their
// widths there.
TEST(TableWidths, ANegativeMarginMovesTheTableWithoutNarrowingIt) {
  auto Columns = [](const std::string& Margin) {
    TLaidOutTable L(Tight + " style='margin-left: " + Margin +
                    "'><tr><td>aa aa aa aa aa<td>bb bb bb</table>");
    return L.Block() ? L.Table().ColWidths() : std::vector<int>{};
  };
  const std::vector<int> Wide = Columns("0");
  ASSERT_EQ(Wide.size(), 2u);
  for (const char* Margin : {"-20px", "-1000px"}) EXPECT_EQ(Columns(Margin), Wide) << Margin;
}

TEST(TableWidths, TablePercentageWidthOfTheAvailableSpace) {
  // The body's margins leave 600 of 620.
  TLaidOutTable Half(Tight + " width=50%><tr><td>" + Box(10) + "</table>");
  EXPECT_EQ(Half.Block()->FContentWidth, 300);
  TLaidOutTable Wide(Tight + " width=50%><tr><td>" + Box(400) + "</table>");
  EXPECT_EQ(Wide.Block()->FContentWidth, 400);
  TLaidOutTable Centred("<center>" + Tight + "><tr><td>" + Box(200) + "</table></center>");
  EXPECT_EQ(Centred.Block()->FContentLeft, 10 + 200);
}

// A link's visited look may change its font in place: the next layout measures its cell
// again, and the column widens.
TEST(TableWidths, ALinkVisitedSinceTheLastLayoutIsMeasuredAgain) {
  TLaidOutTable L("<style>a:visited { font-size: 30pt }</style>"
                  "<table><tr><td><a href='x.html'>visited link</a><td>other</table>", 2000);
  int Min = 0, Max = 0;
  L.Block()->MeasureWidths(&L.Bitmap.Canvas(), Min, Max);
  ASSERT_FALSE(L.D.Doc.LinkRuns.empty());
  for (TDocFontRun* Run : L.D.Doc.LinkRuns) Run->SetVisited(true);
  int SW = 0, Curs = 0;
  L.D.Doc.LayoutCell(&L.Bitmap.Canvas(), 0, 2000, 1000, SW, Curs);
  int VisitedMin = 0, VisitedMax = 0;
  L.Block()->MeasureWidths(&L.Bitmap.Canvas(), VisitedMin, VisitedMax);
  EXPECT_GT(VisitedMax, Max + 20);
}

// Plain text keeps its measured widths from one layout to the next, but only at the font
// resolution it was measured at; the table's column sums follow.
TEST(TableWidths, ALayoutAtAnotherFontResolutionMeasuresAgain) {
  TLaidOutTable L("<table><tr><td>wide words<td>x<tr><td>y<td>more words here</table>");
  TCanvas& Canvas = L.Bitmap.Canvas();
  auto Layout = [&](int Dpi) {
    Canvas.FontPixelsPerInch = Dpi;
    int SW = 0, Curs = 0;
    L.D.Doc.LayoutCell(&Canvas, 0, 2000, 1000, SW, Curs);
    int Min = 0, Max = 0;
    L.Block()->MeasureWidths(&Canvas, Min, Max);
    return std::pair{Min, Max};
  };
  const auto At96 = Layout(96);
  const auto At192 = Layout(192);
  EXPECT_GT(At192.first, At96.first + 20);
  EXPECT_GT(At192.second, At96.second + 40);
  EXPECT_GT(L.Table().ColWidths()[1], 2 * L.Table().Row(1).FCells[1]->FMinWidth / 3);
  EXPECT_EQ(Layout(96), At96);
  EXPECT_EQ(Layout(192), At192);
  // Without a canvas nothing is kept, but everything is measured.
  TBuiltDoc Bare;
  Bare.Build("<table><tr><td>wide words<td>x</table>");
  int SW = 0, Curs = 0, Min = 0, Max = 0;
  Bare.Doc.LayoutCell(nullptr, 0, 600, 1000, SW, Curs);
  for (int I = 0; I < Bare.Body()->MyCell.Count(); ++I)
    if (auto* T = dynamic_cast<TTableBlock*>(Bare.Body()->MyCell.Items(I)))
      T->MeasureWidths(nullptr, Min, Max);
  EXPECT_GT(Min, 20);
  EXPECT_GT(Max, Min);
}

TEST(TableHeights, RowsShareARowSpanAndAskedHeights) {
  const struct {
    std::string Html;
    std::vector<int> Rows;
  } Cases[] = {
      {Tight + "><tr><td rowspan=2>" + Box(10, 100) + "<td>" + Box(10, 20) + "<tr><td>" +
           Box(10, 20) + "</table>",
       {50, 50}},
      {Tight + "><tr><td rowspan=3>" + Box(10, 100) + "<td>" + Box(10, 20) + "<tr><td>" +
           Box(10, 20) + "</table>",
       {50, 50}},
      {Tight + "><tr height=80><td>" + Box(10, 20) + "<tr><td height=30>" + Box(10, 20) +
           "</table>",
       {80, 30}},
      {Tight + " height=200><tr><td>" + Box(10, 20) + "<tr><td>" + Box(10, 20) + "</table>",
       {100, 100}},
      {"<table cellspacing=4 cellpadding=3><tr><td>" + Box(10, 20) + "</table>", {30}},
  };
  for (const auto& C : Cases) {
    TLaidOutTable L(C.Html);
    ASSERT_NE(L.Block(), nullptr) << C.Html;
    std::vector<int> Rows;
    for (int R = 0; R < L.Table().RowCount(); ++R) Rows.push_back(L.Table().Row(R).FRowSize);
    EXPECT_EQ(Rows, C.Rows) << C.Html;
  }
}

// Rows without spans are laid out in one pass, each cell where it goes; a table that asks
// for a height takes the pass that learns every row's height first. Both place every
// cell, its content and its document positions alike.
TEST(TableLayout, OnePassPlacesCellsAsTheTwoPassesDo) {
  const std::string Rows =
      "<caption>" + Box(50, 10) + "</caption>"
      "<tr><td>" + Box(10, 60) + "<td valign=top>a<td valign=bottom>b<td>c d e f g h i j k"
      "<tr valign=bottom><td>x<td>" + Box(30, 60) + "<td style='vertical-align:middle'>y"
      "<tr><td height=50>z<td><table><tr><td>inner<td>" + Box(10, 40) + "</table>"
      "<tr><td colspan=2>wide<td>w";
  const std::string Tables[] = {"<table>", "<table border=1 cellpadding=4>",
                                "<table cellspacing=0 width=120>"};
  for (const std::string& Open : Tables) {
    TLaidOutTable Once(Open + Rows + "</table>");
    TLaidOutTable Twice(Open.substr(0, Open.size() - 1) + " height=1>" + Rows + "</table>");
    ThtmlTable& A = Once.Table();
    ThtmlTable& B = Twice.Table();
    SCOPED_TRACE(Open);
    ASSERT_EQ(A.RowCount(), B.RowCount());
    EXPECT_EQ(A.FFlowHeight, B.FFlowHeight);
    EXPECT_EQ(A.FPosCount, B.FPosCount);
    for (int R = 0; R < A.RowCount(); ++R) {
      EXPECT_EQ(A.Row(R).FRowTop, B.Row(R).FRowTop) << R;
      EXPECT_EQ(A.Row(R).FRowSize, B.Row(R).FRowSize) << R;
      EXPECT_EQ(A.Row(R).FStartPos, B.Row(R).FStartPos) << R;
      ASSERT_EQ(A.Row(R).FCells.size(), B.Row(R).FCells.size());
      for (size_t C = 0; C < A.Row(R).FCells.size(); ++C) {
        const TCellObj& X = *A.Row(R).FCells[C];
        const TCellObj& Y = *B.Row(R).FCells[C];
        EXPECT_EQ(X.FContentShift, Y.FContentShift) << R << "," << C;
        EXPECT_EQ(X.FCell.FCellTop, Y.FCell.FCellTop) << R << "," << C;
        EXPECT_EQ(X.FCell.FStartPos, Y.FCell.FStartPos) << R << "," << C;
        EXPECT_EQ(X.FCell.FCellPaintBottom, Y.FCell.FCellPaintBottom) << R << "," << C;
      }
    }
  }
  // The cell at the bottom of the first row sits lower than the one at its top.
  TLaidOutTable L("<table>" + Rows + "</table>");
  const TCellList& First = L.Table().Row(0);
  EXPECT_GT(First.FCells[2]->FCell.FCellTop, First.FCells[1]->FCell.FCellTop);
}

TEST(TableLayout, CaptionsAboveAndBelowTheGrid) {
  TLaidOutTable Top(Tight + "><caption>" + Box(400, 30) + "</caption><tr><td>" + Box(100, 20) +
                    "</table>");
  ThtmlTable& T = Top.Table();
  EXPECT_EQ(T.FGridOffset, 150);
  EXPECT_EQ(T.FCaptionHeight, 30);
  EXPECT_EQ(T.FFlowHeight, 50);
  EXPECT_EQ(T.Row(0).FRowTop, T.FBoxTop + 30);
  TLaidOutTable Bottom(Tight + "><caption align=bottom>" + Box(40, 30) +
                       "</caption><tr><td>" + Box(100, 20) + "</table>");
  ThtmlTable& B = Bottom.Table();
  EXPECT_EQ(B.FGridOffset, 0);
  EXPECT_EQ(B.Row(0).FRowTop, B.FBoxTop);
  EXPECT_EQ(B.FCaption->FCell.FCellTop, B.FBoxTop + 20);
}

TEST(TableDrawing, BordersInLightAndDarkColours) {
  const struct {
    const char* Attributes;
    TColor Light, Dark, Spacing;
  } Cases[] = {
      {"bordercolorlight=#ff0000 bordercolordark=#0000ff", 0x0000FF, 0xFF0000, clWhite},
      {"bordercolor=#00ff00 bordercolordark=#0000ff", 0x00FF00, 0xFF0000, 0x00FF00},
      // The default highlight shows as silver on a white page.
      {"bordercolordark=#0000ff", 0xC0C0C0, 0xFF0000, clWhite},
  };
  for (const auto& C : Cases) {
    TLaidOutTable L(std::string("<table border=1 cellspacing=10 cellpadding=0 ") + C.Attributes +
                    "><tr><td>" + Box(50, 50) + "</table>");
    L.Draw();
    ThtmlTable& T = L.Table();
    const int X = T.FBoxLeft + T.FGridOffset, Y = T.FBoxTop, S = T.FCellSpacing;
    ASSERT_EQ(S, 12) << C.Attributes;
    const int Right = X + T.FGridWidth - 1, Bottom = Y + T.FBodyHeight - 1;
    // The grid is raised: light above and left, dark below and right.
    EXPECT_EQ(L.Pixel(X, Y + 20), C.Light) << C.Attributes;
    EXPECT_EQ(L.Pixel(X + 20, Y), C.Light) << C.Attributes;
    EXPECT_EQ(L.Pixel(Right, Y + 20), C.Dark) << C.Attributes;
    EXPECT_EQ(L.Pixel(X + 20, Bottom), C.Dark) << C.Attributes;
    // The cell is sunken: dark above and left, light below and right.
    const TCellObj& Cell = *T.Row(0).FCells[0];
    EXPECT_EQ(L.Pixel(X + S - 1, Y + 30), C.Dark) << C.Attributes;
    EXPECT_EQ(L.Pixel(X + 30, Y + S - 1), C.Dark) << C.Attributes;
    EXPECT_EQ(L.Pixel(X + Cell.FSpanWidth, Y + 30), C.Light) << C.Attributes;
    EXPECT_EQ(L.Pixel(X + 30, Y + Cell.FSpanHeight), C.Light) << C.Attributes;
    EXPECT_EQ(L.Pixel(X + 5, Y + 30), C.Spacing) << C.Attributes;
  }
}

// A style's border-spacing (across, then down) replaces the CELLSPACING attribute; a border
// still widens it by 2, and it is held to the attribute's bound.
TEST(TableSpacing, StyleSpacingAcrossAndDown) {
  const std::string Grid =
      "><tr><td>" + Box(20, 20) + "<td>" + Box(20, 20) + "<tr><td>" + Box(20, 20) + "<td>" +
      Box(20, 20) + "</table>";
  const struct {
    std::string Html;
    int Across, Down;
  } Cases[] = {
      {"<table cellspacing=10 cellpadding=0" + Grid, 10, 10},
      {"<table cellspacing=10 cellpadding=0 style='border-spacing:3px 7px'" + Grid, 3, 7},
      {"<style>table { border-spacing: 5px }</style><table cellpadding=0 border=1" + Grid, 7, 7},
      {"<table cellpadding=0 style='border-spacing:90px 0'" + Grid, 40, 0},
      // Unreadable: the attribute holds.
      {"<table cellspacing=4 cellpadding=0 style='border-spacing:-3px'" + Grid, 4, 4},
  };
  for (const auto& C : Cases) {
    TLaidOutTable L(C.Html);
    ASSERT_NE(L.Block(), nullptr) << C.Html;
    ThtmlTable& T = L.Table();
    EXPECT_EQ(T.ColWidths(), (std::vector<int>{20 + C.Across, 20 + C.Across})) << C.Html;
    EXPECT_EQ(T.FGridWidth, C.Across + 2 * (20 + C.Across)) << C.Html;
    EXPECT_EQ(T.Row(1).FRowTop - T.Row(0).FRowTop, 20 + C.Down) << C.Html;
    EXPECT_EQ(T.FBodyHeight, C.Down + 2 * (20 + C.Down)) << C.Html;
  }
  // The border colour fills each band at its own thickness.
  TLaidOutTable L("<table bordercolor=#0000ff cellpadding=0 style='border-spacing:3px 7px'" +
                  Grid);
  L.Draw();
  ThtmlTable& T = L.Table();
  const int X = T.FBoxLeft, Y = T.FBoxTop;
  EXPECT_EQ(L.Pixel(X + 1, Y + 10), 0xFF0000u);   // left of the first column
  EXPECT_EQ(L.Pixel(X + 10, Y + 5), 0xFF0000u);   // above the first row
  EXPECT_EQ(L.Pixel(X + 10, Y + 8), 0xFFFFFFu);   // the cell
  EXPECT_EQ(L.Pixel(X + 4, Y + 10), 0xFFFFFFu);
}

TEST(TableDrawing, BorderColourFillsTheSpacingButNotSpannedCells) {
  TLaidOutTable L("<table bordercolor=#0000ff cellspacing=6 cellpadding=0><tr><td colspan=2>" +
                  Box(100, 30) + "<td rowspan=2>" + Box(30, 80) + "<tr><td>" + Box(40, 30) +
                  "<td>" + Box(40, 30) + "<tr><td>" + Box(40, 30) + "</table>");
  L.Draw();
  ThtmlTable& T = L.Table();
  const int X = T.FBoxLeft, Y = T.FBoxTop;
  const std::vector<int>& W = T.ColWidths();
  const int Row1 = T.Row(1).FRowTop, Row2 = T.Row(2).FRowTop;
  EXPECT_EQ(L.Pixel(X + 2, Y + 10), 0xFF0000u);                  // the spacing
  EXPECT_EQ(L.Pixel(X + W[0] + 2, Y + 15), 0xFFFFFFu);          // inside the column span
  EXPECT_EQ(L.Pixel(X + W[0] + W[1] + 15, Row1 + 2), 0xFFFFFFu);  // inside the row span
  EXPECT_EQ(L.Pixel(X + W[0] + 15, Row2 + 15), 0xFF0000u);      // a position no cell covers
}

// Each side of a cell's border takes the colour the style gives that side; a side given none
// takes the text colour.
TEST(TableDrawing, CellBorderSidesTakeTheirOwnColours) {
  TLaidOutTable L(Tight + "><tr><td style='color: #0000ff; border: 10px solid; "
                          "border-left-color: #ff0000; border-top: #00ff00 solid 10px'>" +
                  Box(40, 40) + "</table>");
  L.Draw();
  ThtmlTable& T = L.Table();
  const int X = T.FBoxLeft + T.FGridOffset, Y = T.FBoxTop;
  EXPECT_EQ(L.Pixel(X + 5, Y + 25), 0x0000FFu);   // left, red
  EXPECT_EQ(L.Pixel(X + 25, Y + 5), 0x00FF00u);   // top, green
  EXPECT_EQ(L.Pixel(X + 55, Y + 25), 0xFF0000u);  // right, the text's blue
  EXPECT_EQ(L.Pixel(X + 25, Y + 55), 0xFF0000u);  // bottom, the text's blue
}

TEST(TableDrawing, CellAndTableBackgrounds) {
  TLaidOutTable L("<table bgcolor=#0000ff cellspacing=10 cellpadding=0><tr bgcolor=#00ff00>"
                  "<td>" + Box(50, 50) + "<td bgcolor=#ff0000>" + Box(50, 50) + "</table>");
  L.Draw();
  ThtmlTable& T = L.Table();
  const int X = T.FBoxLeft, Y = T.FBoxTop;
  EXPECT_EQ(L.Pixel(X + 5, Y + 5), 0xFF0000u);             // the spacing: the table's blue
  EXPECT_EQ(L.Pixel(X + 30, Y + 30), 0x00FF00u);           // the row's green
  EXPECT_EQ(L.Pixel(X + 30 + T.ColWidths()[0], Y + 30), 0x0000FFu);  // the cell's own red
}

TEST(TableDrawing, CellsAndRowsTileTheirBackgroundImages) {
  TStringBitmapList Cache;
  TLaidOutTable L("<table cellspacing=0 cellpadding=0><tr background=row.gif><td>" + Box(40, 40) +
                  "<td background=cell.gif>" + Box(40, 40) + "</table>");
  L.D.Doc.ImageCache = &Cache;
  std::vector<std::string> Asked;
  L.D.Doc.Hooks.OnBitmapRequest = [&](TObject*, const std::string& Src, TBitmap*& Bitmap,
                                      TColor& Color) {
    Asked.push_back(Src);
    Bitmap = new TBitmap(4, 4, pf24bit);
    Bitmap->Canvas().FillRect(TRect{0, 0, 4, 4}, Src == "row.gif" ? clRed : clBlue);
    Color = clNone;
  };
  L.Draw();
  L.Draw();
  ThtmlTable& T = L.Table();
  const int X = T.FBoxLeft, Y = T.FBoxTop;
  EXPECT_EQ(L.Pixel(X + 20, Y + 20), TColor(clRed));
  EXPECT_EQ(L.Pixel(X + 60, Y + 20), TColor(clBlue));
  EXPECT_EQ(Asked, (std::vector<std::string>{"row.gif", "cell.gif"}));  // each fetched once
}

TEST(TableLimits, TooManyColumnsDropsTheTable) {
  auto Cells = [](int N, const char* Cell, const char* More = "") {
    std::string S = "<table><tr>";
    for (int I = 0; I < N; ++I) S += Cell;
    return S + More + "</table>after";
  };
  const struct {
    std::string Html;
    bool Kept;
  } Cases[] = {
      {Cells(200, "<td>x"), true},
      {Cells(201, "<td>x"), false},
      {Cells(10000, "<td>x"), false},
      {Cells(1, "<td colspan=200>x"), true},
      {Cells(1, "<td colspan=201>x"), false},
      {Cells(1, "<td colspan=100000>x"), false},
      // Row spans push the next row's cells past the last column.
      {Cells(199, "<td rowspan=2>x", "<tr><td>y<td>z"), false},
      {Cells(199, "<td rowspan=2>x", "<tr><td>y"), true},
  };
  for (const auto& C : Cases) {
    ClearRecordedErrorMessages();
    TLaidOutTable L(C.Html);
    ASSERT_NE(L.Block(), nullptr);
    EXPECT_EQ(L.Block()->FTable != nullptr, C.Kept) << C.Html.substr(0, 40);
    EXPECT_EQ(L.Block()->MyCell.Count(), C.Kept ? 1 : 0);
    std::vector<std::string> Reported;
    if (!C.Kept) Reported.push_back("Table has too many Columns");
    EXPECT_EQ(RecordedErrorMessages(), Reported)
        << C.Html.substr(0, 40);
    EXPECT_TRUE(RunOf(L.D.Doc, "after"));
  }
  // The document forgets the links and names of the dropped table's text.
  TLaidOutTable L(Cells(201, "<td><div id=d><a href=x name=n>x</a></div>") + "<a href=y>z</a>");
  EXPECT_EQ(L.Block()->FTable, nullptr);
  EXPECT_EQ(L.D.Doc.LinkRuns.size(), 1u);
  EXPECT_EQ(L.D.Doc.IdNames->Lookup("N"), nullptr);
  EXPECT_EQ(L.D.Doc.IdNames->Lookup("D"), nullptr);
}

// Once a row is wider than a table may be, the table will show nothing: the builder keeps
// the cells that show why and those whose content the document lists (links, names,
// controls, pictures), which the layout drops with the table, and no other.
TEST(TableLimits, ATableTooWideToShowKeepsFewOfItsCells) {
  auto Row = [](int N, const std::string& Cell) {
    std::string S = "<tr>";
    for (int I = 0; I < N; ++I) S += Cell;
    return S;
  };
  const struct {
    std::string Rows;
    std::vector<size_t> Kept;  // cells per row, as built
    bool Shown = false;
  } Cases[] = {
      {Row(200, "<td>x") + Row(200, "<td>y"), {200, 200}, true},
      {Row(200, "<td>x") + Row(300, "<td>y") + Row(1, "<td>z"), {200, 201, 0}},
      {Row(201, "<td>x") + Row(300, "<td>y") + Row(2, "<td><b>z</b> <p>z"), {201, 0, 0}},
      {Row(1, "<td colspan=250>x") + Row(3, "<td>y"), {1, 0}},
      {Row(150, "<td colspan=2>x") + Row(2, "<td>y"), {101, 0}},
      // What the document lists stays for the layout to forget with the table.
      {Row(201, "<td>x") +
           Row(1, "<td><a href=l>l</a>") + Row(1, "<td><a name=n>n</a>") +
           Row(1, "<td><span id=s>s</span>") + Row(1, "<td><input>") + Row(1, "<td><img src=i>"),
       {201, 1, 1, 1, 1, 1}},
      // Blocks and nested tables stay too.
      {Row(201, "<td>x") + Row(2, "<td><ul><li>p</ul>") + Row(1, "<td><table><tr><td>t</table>"),
       {201, 2, 1}},
  };
  for (const auto& C : Cases) {
    const std::string Html = "<table>" + C.Rows + "</table>after";
    TBuiltDoc D;
    D.Build(Html);
    TTableBlock* Block = nullptr;
    for (int I = 0; I < D.Body()->MyCell.Count() && !Block; ++I)
      Block = dynamic_cast<TTableBlock*>(D.Body()->MyCell.Items(I));
    ASSERT_NE(Block, nullptr);
    ASSERT_EQ(Block->FTable->RowCount(), int(C.Kept.size())) << C.Rows.substr(0, 40);
    for (size_t R = 0; R < C.Kept.size(); ++R)
      EXPECT_EQ(Block->FTable->Row(int(R)).FCells.size(), C.Kept[R]) << C.Rows.substr(0, 40) << R;
    // Laid out, the table shows as before: nothing, or all of it.
    ClearRecordedErrorMessages();
    TLaidOutTable L(Html);
    const bool Shown = C.Shown;
    EXPECT_EQ(L.Block()->FTable != nullptr, Shown);
    EXPECT_EQ(RecordedErrorMessages().size(), Shown ? 0u : 1u);
    EXPECT_TRUE(RunOf(L.D.Doc, "after"));
    if (!Shown) {
      EXPECT_TRUE(L.D.Doc.LinkRuns.empty());
      EXPECT_EQ(L.D.Doc.IdNames->Lookup("N"), nullptr);
    }
  }
}

// Lengths in em and ex count in the cell's own font, which is measured only for them.
TEST(TableWidths, CellLengthsInEmAndExCountInTheCellsFont) {
  auto CellOf = [](const std::string& Style) {
    auto L = std::make_unique<TLaidOutTable>(Tight + "><tr><td style='font-size:40px;" + Style +
                                             "'>x</table>");
    return L;
  };
  auto Padded = CellOf("padding:1em 2px 1ex 0");
  const TCellObj& Cell = *Padded->Table().Row(0).FCells[0];
  const int Em = Cell.FPadding[0];
  EXPECT_GE(Em, 30);
  EXPECT_EQ(Cell.FPadding[1], 2);
  EXPECT_GT(Cell.FPadding[2], 0);
  EXPECT_LT(Cell.FPadding[2], Em);
  EXPECT_EQ(Cell.FPadding[3], 0);
  const struct {
    std::string Style;
    int TCellObj::*Field;
    int Want;
  } Cases[] = {
      {"width:10em", &TCellObj::FCellWantWidth, 10 * Em},
      {"width:200px", &TCellObj::FCellWantWidth, 200},
      {"height:3em", &TCellObj::FCellWantHeight, 3 * Em},
  };
  for (const auto& C : Cases) {
    auto L = CellOf(C.Style);
    EXPECT_EQ(L->Table().Row(0).FCells[0].get()->*C.Field, C.Want) << C.Style;
  }
}

// Pixel sizes of the attributes are held to the bound of CSS lengths, so that widths and
// the edges drawn from them stay far inside int.
TEST(TableLimits, HugeSizeAttributesAreHeldToTheLengthBound) {
  const std::string Huge = "2147483647";
  const struct {
    std::string Html;
    int Max;  // the table's widest
    std::vector<int> Columns;
  } Cases[] = {
      {Tight + " width=" + Huge + "><tr><td>x<td>y</table>", MaxLengthPixels,
       {MaxLengthPixels / 2, MaxLengthPixels / 2}},
      {Tight + " width=100000000><tr><td>x<td>y</table>", MaxLengthPixels,
       {MaxLengthPixels / 2, MaxLengthPixels / 2}},
      // A cell's width is what it wants; the table still fits the room.
      {Tight + "><tr><td width=" + Huge + ">x<td>y</table>", MaxLengthPixels + 8, {592, 8}},
      {Tight + "><tr><td width=" + Huge + ">x<td width=" + Huge + ">y</table>",
       2 * MaxLengthPixels, {300, 300}},
  };
  for (const auto& C : Cases) {
    TLaidOutTable L(C.Html);
    ASSERT_NE(L.Block(), nullptr) << C.Html;
    int Min = 0, Max = 0;
    L.Block()->MeasureWidths(&L.Bitmap.Canvas(), Min, Max);
    EXPECT_EQ(Max, C.Max) << C.Html;
    EXPECT_EQ(L.Table().ColWidths(), C.Columns) << C.Html;
  }
  // Borders, padding and spacing are held the same way.
  TLaidOutTable L("<table border=" + Huge + " cellpadding=" + Huge + " cellspacing=" + Huge +
                  "><tr><td>x</table>");
  ASSERT_NE(L.Block(), nullptr);
  int Min = 0, Max = 0;
  L.Block()->MeasureWidths(&L.Bitmap.Canvas(), Min, Max);
  EXPECT_GT(Min, 0);
  EXPECT_LE(Max, 8 * MaxLengthPixels);
}

TEST(TableLimits, ARowSpanOverThousandsOfRowsSharesItsHeight) {
  std::string Html = Tight + "><tr><td rowspan=100000>" + Box(10, 12500) + "<td>" + Box(10, 1);
  for (int R = 1; R < 5000; ++R) Html += "<tr><td>" + Box(10, 1);
  TLaidOutTable L(Html + "</table>");
  ThtmlTable& T = L.Table();
  ASSERT_EQ(T.RowCount(), 5000);
  EXPECT_EQ(T.Row(0).FCells[0]->FSpanHeight, 12500);
  EXPECT_EQ(T.Row(0).FRowSize, 2);
  EXPECT_EQ(T.Row(4998).FRowSize, 2);
  EXPECT_EQ(T.Row(4999).FRowSize, 2 + 2500);
}

// A hundred thousand rows load in the benchmarks (too slow for a debug build here); ten
// thousand show that positions and points are found by row.
TEST(TableLimits, TenThousandRowsAnswerByPosition) {
  std::string Html = "<table>";
  for (int R = 0; R < 10000; ++R) Html += "<tr><td>r" + std::to_string(R) + "<td>c";
  TLaidOutTable L(Html + "</table>");
  ThtmlTable& T = L.Table();
  ASSERT_EQ(T.RowCount(), 10000);
  EXPECT_GT(L.Height, 10000 * 10);
  const TCellList& Last = T.Row(9999);
  int X = 0, Y = 0;
  ASSERT_TRUE(L.D.Doc.PositionToPoint(&L.Bitmap.Canvas(), Last.FStartPos + 1, X, Y));
  EXPECT_GE(Y, Last.FRowTop);
  EXPECT_LT(Y, Last.FRowTop + Last.FRowSize);
  EXPECT_EQ(L.D.Doc.FindText("r9999", 0, true), Last.FStartPos);
}

// Heap in use, large blocks included.
size_t HeapInUse() {
  const struct mallinfo2 Info = mallinfo2();
  return Info.uordblks + Info.hblkhd;
}

// A table of a million cells must fit in memory twice (the print copy): a cell of plain
// text keeps its content, sizes and lines and little else.
TEST(TableLimits, APlainCellCostsFewHundredBytes) {
  constexpr int Columns = 200;
  // The heap a laid-out table of Rows rows takes, with what every document takes.
  auto Heap = [](int Rows) {
    std::string Html = "<table>";
    for (int R = 0; R < Rows; ++R) {
      Html += "<tr>";
      for (int C = 0; C < Columns; ++C) Html += "<td>x";
    }
    Html += "</table>";
    const size_t Before = HeapInUse();
    TLaidOutTable L(Html);
    EXPECT_NE(L.Block()->FTable, nullptr);
    // Float bookkeeping exists only while plain text lays out.
    if (L.Block()->FTable) {
      EXPECT_EQ(L.Table().Row(0).FCells[0]->FCell.FFloats, nullptr);
    }
    return HeapInUse() - Before;
  };
  // An allocator that keeps no statistics (a sanitizer's) reads as no growth; the sizes
  // below hold there too.
  const size_t PerCell = (Heap(100) - Heap(50)) / (50 * Columns);
  EXPECT_LE(PerCell, 640u);
  // Rarely used parts live apart, and the fields leave no holes.
  EXPECT_LE(sizeof(TCellObj), 232u);
  EXPECT_LE(sizeof(TCell), 144u);
  // Each record of a plain cell fits the allocator's size class below the one it would
  // take with a word more (blocks of 16 bytes with an 8-byte header).
  EXPECT_LE(PerCell, 528u);
  EXPECT_LE(sizeof(TCellObj), 184u);
  EXPECT_LE(sizeof(TCell), 112u);
  // A section keeps its first line in itself (the 48 bytes a line on the heap would take).
  EXPECT_LE(sizeof(TSection), 200u);
  EXPECT_LE(sizeof(TFontObj), 56u);
}

// A long document is mostly paragraphs of one line: such a paragraph takes its section, its
// text and its block, and no record on the heap for its line.
TEST(DocumentMemory, AOneLineParagraphCostsItsSectionTextAndBlock) {
  auto Heap = [](int Paragraphs) {
    std::string Html;
    for (int P = 0; P < Paragraphs; ++P) Html += "<p>A short line.";
    const size_t Before = HeapInUse();
    TLaidOutTable L(Html);
    return HeapInUse() - Before;
  };
  const size_t PerParagraph = (Heap(400) - Heap(200)) / 200;
  // About 300 bytes; a line record on the heap would make it 320.
  EXPECT_LE(PerParagraph, 310u);
}

// Layout reports its progress at every 50th text of the document, once per layout, also
// when a table lays its cells out twice (an asked height).
TEST(TableLayout, ProgressComesOncePerLayoutAtEveryFiftiethText) {
  std::string Html = "<table height=1>";
  for (int R = 0; R < 15; ++R) {
    Html += "<tr>";
    for (int C = 0; C < 10; ++C) Html += "<td>t" + std::to_string(R * 10 + C);
  }
  TBuiltDoc D;
  D.Build(Html + "</table>");
  std::vector<int> Reports;
  D.Doc.Hooks.OnLayoutProgress = [&](int Percent) { Reports.push_back(Percent); };
  D.Doc.ProgressBase = 40;
  TCanvas Canvas;
  for (int Layout = 0; Layout < 2; ++Layout) {
    Reports.clear();
    int SW = 0, Curs = 0;
    D.Doc.LayoutCell(&Canvas, 0, 600, 1000, SW, Curs);
    EXPECT_EQ(Reports, (std::vector<int>{60, 80, 100})) << Layout;
  }
}

// A layout keeps a plain cell's last layout where that would make the same again: what
// it leaves is what a first layout makes, whatever came before, and progress still comes.
TEST(TableLayout, ALayoutAgainLeavesWhatAFirstLayoutMakes) {
  // Cells of 100 pixels asked: the columns keep their widths in every window wider than the
  // table and at every font resolution, and take the text's least width in narrow ones.
  std::string Table = "<table>";
  for (int R = 0; R < 10; ++R) {
    Table += "<tr>";
    for (int C = 0; C < 10; ++C)
      Table += "<td width=100 align=center>t" + std::to_string(R) + " and " + std::to_string(C);
  }
  Table += "</table>";
  std::string Words;
  for (int I = 0; I < 25; ++I) Words += "paragraph ";
  struct TStep {
    int Width, Dpi;
  };
  struct TPage {
    std::string Html;
    std::vector<TStep> Steps;
  } Pages[] = {
      // A paragraph above that wraps moves the table down at the same column widths.
      {"<p>" + Words + "</p>" + Table,
       {{2000, 96}, {2000, 96}, {1500, 96}, {2000, 96}, {300, 96}, {250, 96}}},
      // The same places at another font resolution, and in a narrower window.
      {Table, {{2000, 96}, {2000, 120}, {2000, 120}, {2000, 96}, {600, 96}, {2000, 96}}},
  };
  auto Layout = [](TBuiltDoc& D, TCanvas& Canvas, const TStep& S) {
    Canvas.FontPixelsPerInch = S.Dpi;
    int SW = 0, Curs = 0;
    const int H = D.Doc.LayoutCell(&Canvas, 0, S.Width, 1000, SW, Curs);
    std::vector<int> Sig{H, Curs};
    std::vector<TFoundSection> Found;
    std::vector<TBlock*> Path;
    CollectSections(D.Doc, Path, Found);
    for (const TFoundSection& F : Found) {
      Sig.insert(Sig.end(), {F.Section->FLayoutY, F.Section->FStartPos, F.Section->FPaintHeight});
      for (const LineRec& Line : F.Section->FLines) Sig.insert(Sig.end(), {Line.CharCount, Line.Indent});
    }
    return Sig;
  };
  for (const TPage& Page : Pages) {
    TBuiltDoc Again;
    Again.Build(Page.Html);
    std::vector<int> Reports;
    Again.Doc.Hooks.OnLayoutProgress = [&](int Percent) { Reports.push_back(Percent); };
    TCanvas Canvas, Fresh;
    for (const TStep& S : Page.Steps) {
      Reports.clear();
      const std::vector<int> Got = Layout(Again, Canvas, S);
      EXPECT_FALSE(Reports.empty()) << S.Width << " " << S.Dpi;
      TBuiltDoc First;
      First.Build(Page.Html);
      EXPECT_EQ(Got, Layout(First, Fresh, S)) << S.Width << " " << S.Dpi;
    }
  }
}

TEST(TableText, HitTestsPositionsFindingAndCopying) {
  TLaidOutTable L("<table border=1><tr><td>alpha<td><a href='target.html'>link</a>"
                  "<tr><td colspan=2>gamma</table><p>after");
  L.Draw();
  TCanvas& Canvas = L.Bitmap.Canvas();
  const int Link = L.D.Doc.FindText("link", 0, true);
  ASSERT_GE(Link, 0);
  int X = 0, Y = 0;
  ASSERT_TRUE(L.D.Doc.PositionToPoint(&Canvas, Link + 1, X, Y));
  std::unique_ptr<TUrlTarget> Url;
  TDocControl* Control = nullptr;
  std::string Title;
  EXPECT_EQ(L.D.Doc.HitTestLink(&Canvas, X, Y + 2, Url, Control, Title) & htLinkFound,
            htLinkFound);
  ASSERT_NE(Url, nullptr);
  EXPECT_EQ(Url->URL, "target.html");
  int XR = 0, YR = 0, CaretHt = 0;
  bool InText = false;
  EXPECT_EQ(L.D.Doc.PositionAtPoint(&Canvas, X + 1, Y + 2, XR, YR, CaretHt, InText), Link + 1);
  // Left of the grid answers nothing from the table.
  EXPECT_EQ(L.D.Doc.HitTestLink(&Canvas, 2, Y + 2, Url, Control, Title), 0u);
  char Ch = 0;
  TObject* Obj = nullptr;
  EXPECT_TRUE(L.D.Doc.CharAtPosition(L.D.Doc.FindText("gamma", 0, true), Ch, Obj));
  EXPECT_EQ(Ch, 'g');
  L.D.Doc.SelStart = 0;
  L.D.Doc.SelEnd = L.D.Doc.FindText("after", 0, true) + 5;
  char Buffer[200] = {};
  ASSERT_GT(L.D.Doc.CopySelectionToBuffer(Buffer, sizeof Buffer), 0);
  const std::string Copied = Buffer;
  EXPECT_LT(Copied.find("alpha"), Copied.find("link"));
  EXPECT_LT(Copied.find("link"), Copied.find("gamma"));
  EXPECT_LT(Copied.find("gamma"), Copied.find("after"));
}

TEST(TablePrinting, ThePrintCopyKeepsColoursOnlyWhenPrintingThem) {
  TLaidOutTable L("<table bgcolor=red bordercolor=blue><tr><td bgcolor=yellow>a<td>b"
                  "<caption>c</caption></table>");
  L.Draw();
  for (const bool Colours : {false, true}) {
    TSectionList Printer(nullptr, nullptr);
    Printer.PrintColors = Colours;
    std::unique_ptr<TSectionBase> Copy = L.Table().CreateClone(&Printer);
    auto* T = dynamic_cast<ThtmlTable*>(Copy.get());
    ASSERT_NE(T, nullptr);
    ASSERT_EQ(T->RowCount(), 1);
    ASSERT_EQ(T->Row(0).FCells.size(), 2u);
    EXPECT_EQ(T->FCaption != nullptr, true);
    EXPECT_EQ(T->Row(0).FCells[0]->FCell.FHasBackColor, Colours);
    EXPECT_EQ(T->FHasBorderColor, Colours);
    EXPECT_EQ(T->Row(0).FCells[1]->FCell.Count(), 1);
    EXPECT_EQ(T->FDocument, &Printer);
  }
  // The document's print copy holds a table block with its table, laid out alike.
  std::unique_ptr<TSectionList> Copy = TSectionList::CreateClone(L.D.Doc);
  auto* Body = dynamic_cast<TBlock*>(Copy->Items(Copy->Count() - 1));
  ASSERT_NE(Body, nullptr);
  auto* Block = dynamic_cast<TTableBlock*>(Body->MyCell.Items(0));
  ASSERT_NE(Block, nullptr);
  ASSERT_NE(Block->FTable, nullptr);
  int SW = 0, Curs = 0;
  Copy->LayoutCell(&L.Bitmap.Canvas(), 0, 620, 1000, SW, Curs);
  EXPECT_EQ(Block->FTable->FFlowHeight, L.Table().FFlowHeight);
  EXPECT_EQ(Block->FTable->ColWidths(), L.Table().ColWidths());
}

// The pass, not the document, decides what prints: a screen pass paints the cell's colour
// and keeps near-white text; a printer pass paints the colour only when it prints colours,
// and greys near-white text otherwise.
TEST(TablePrinting, ThePassDecidesWhetherColoursPrint) {
  const struct {
    bool ForPrinter, PrintColors;
    bool Background, GreyText;
  } Cases[] = {{false, false, true, false}, {true, false, false, true}, {true, true, true, false}};
  for (const auto& C : Cases) {
    TLaidOutTable L(Tight + "><tr><td bgcolor=#00ff00>" + Box(60, 20) +
                    "<font color=#f0f0f0>WWWWWWWW</font></table>");
    L.Pass.ForPrinter = C.ForPrinter;
    L.Pass.PrintColors = C.PrintColors;
    L.Draw();
    const ThtmlTable& T = L.Table();
    SCOPED_TRACE(testing::Message() << C.ForPrinter << C.PrintColors);
    EXPECT_EQ(L.Pixel(T.FBoxLeft + 30, T.FBoxTop + 10) == 0x00FF00u, C.Background);
    bool Grey = false;
    for (int Y = T.FBoxTop + 20; Y < T.FBoxTop + T.FFlowHeight; ++Y)
      for (int X = T.FBoxLeft; X < T.FBoxLeft + 120; ++X) Grey = Grey || L.Pixel(X, Y) == 0xA0A0A0u;
    EXPECT_EQ(Grey, C.GreyText);
  }
}

// A printed table wider than the page: the cells wholly past the band's right edge draw
// nothing, which changes no pixel within the band, and their lines still end the page.
TEST(TablePrinting, CellsPastThePageEdgeStillEndThePage) {
  std::string Tall;
  for (int I = 0; I < 60; ++I) Tall += "line " + std::to_string(I) + "<br>";
  std::string Html = "<table><tr>";
  for (int C = 0; C < 30; ++C) Html += "<td valign=top>" + (C == 29 ? Tall : "cell");
  TLaidOutTable L(Html + "</table>");
  ASSERT_GT(L.Table().ColWidths().size(), 29u);
  ASSERT_GT(L.Table().Row(0).FCells[29]->FSpanHeight, 600);
  auto Print = [&](int BandWidth, int& Limit) {
    TBitmap Page(800, 400, pf24bit);
    Page.Canvas().FillRect(TRect{0, 0, 800, 400}, clWhite);
    TPaintContext Pass{.Band = TRect{0, 0, BandWidth, 400}, .ForPrinter = true};
    L.D.Doc.Draw(&Page.Canvas(), Pass, BandWidth, 0, 0, 0, 0);
    Limit = Pass.PageLimit;
    std::vector<TColor> Pixels;
    for (int Y = 0; Y < 400; ++Y)
      for (int X = 0; X < 300; ++X) Pixels.push_back(Page.Canvas().GetPixel(X, Y) & 0xFFFFFF);
    return Pixels;
  };
  int Narrow = 0, Wide = 0;
  const auto Cut = Print(300, Narrow);
  EXPECT_EQ(Cut, Print(2000, Wide));
  EXPECT_EQ(Narrow, Wide);
  EXPECT_LT(Narrow, 400);
  EXPECT_NE(std::count(Cut.begin(), Cut.end(), TColor(0xFFFFFF)), ptrdiff_t(Cut.size()));
}

TEST(TablePrinting, ATableInTheLastThirdMovesWholeToTheNextPage) {
  std::string Rows;
  for (int R = 0; R < 4; ++R) Rows += "<tr><td>" + Box(10, 100);
  const struct {
    int Above;
    bool Moves;
  } Cases[] = {{700, true}, {100, false}};
  for (const auto& C : Cases) {
    TLaidOutTable L(Box(10, C.Above) + "<table>" + Rows + "</table>");
    L.Pass.ForPrinter = true;
    L.Draw();
    const ThtmlTable& T = L.Table();
    EXPECT_EQ(L.Pass.PageLimit == T.FLayoutY, C.Moves) << C.Above;
  }
}

}  // namespace
