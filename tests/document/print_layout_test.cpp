// Layout for print: the print copy keeps every box, and blocks end the printed page.
#include <gtest/gtest.h>

#include <typeinfo>

#include "tests/document/layout_test_util.h"

namespace {

// The print copy keeps every box (an empty PRE's room too): laid out alike, its text lands
// where the document's did.
TEST(PrintCopy, BlocksListsAndRulesAreCopiedWithTheirBoxes) {
  TLaidOut L("<div style='border:solid 2px; padding:5px; float:left; width:200px'>f</div>"
             "<div style='position:relative; top:3px; margin:0 auto; width:300px'>"
             "<ol start=4><li>a<li style='list-style-image:url(x.png)'>b</ol><hr size=4>"
             "<p>c</div><pre></pre><div style='position:absolute; top:400px; left:20px'>d</div>");
  auto Copy = TSectionList::CreateClone(L.D.Doc);
  int SW = 0, Curs = 0;
  const int Height = Copy->LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs);
  EXPECT_EQ(Height, L.D.Doc.LayoutCell(&L.Canvas, 0, 600, 600, SW, Curs));
  const auto Original = Sections(L.D.Doc), Copied = Sections(*Copy);
  ASSERT_EQ(Copied.size(), Original.size());
  for (size_t I = 0; I < Original.size(); ++I) {
    const TSection& A = *Original[I].Section;
    const TSection& B = *Copied[I].Section;
    EXPECT_EQ(B.FText, A.FText);
    EXPECT_EQ(B.FLayoutY, A.FLayoutY) << A.FText;
    EXPECT_EQ(B.FDrawLeft, A.FDrawLeft) << A.FText;
    ASSERT_EQ(Copied[I].Blocks.size(), Original[I].Blocks.size()) << A.FText;
    for (size_t J = 0; J < Original[I].Blocks.size(); ++J)
      EXPECT_EQ(typeid(*Copied[I].Blocks[J]), typeid(*Original[I].Blocks[J])) << A.FText;
  }
}

// Printing a 1000-pixel band from the top: where the page ends, relative to "b"'s block.
TEST(PageBreaks, BlocksEndThePrintedPageBeforeOrAfterThem) {
  struct TCase {
    const char* Html;
    int Limit;  // -1: the block's top (margin included), -2: its end in the flow, else as is
  } Cases[] = {
      {"<p>a</p><div style='page-break-before:always'>b</div>", -1},
      {"<p>a</p><div style='page-break-after:always'>b</div><p>c</p>", -2},
      {"<p>a</p><div style='page-break-inside:avoid'>b</div>", 1000},
      {"<p>a</p><div style='page-break-inside:avoid;height:2000px'>b</div>", 1000},
      {"<p>a</p><div style='page-break-inside:avoid;margin-top:900px;height:300px'>b</div>", -1},
      {"<div style='page-break-before:always'>b</div>", 1000},  // already at the top
  };
  for (const TCase& C : Cases) {
    TLaidOut L(C.Html);
    TBlock* B = nullptr;
    for (auto& F : Sections(L.D.Doc))
      if (F.Section->FText == "b") B = F.Blocks.at(0);
    ASSERT_NE(B, nullptr) << C.Html;
    TBitmap Page(600, 1000, pf24bit);
    TPaintContext Print{.Band = TRect{0, 0, 600, 1000}, .ForPrinter = true};
    L.D.Doc.Draw(&Page.Canvas(), Print, 600, 0, 0, 0, 0);
    const int Top = B->FLayoutY + B->MargArray[piMarginTop - BoxFirst];
    const int Want = C.Limit == -1 ? Top : C.Limit == -2 ? B->FLayoutY + B->FFlowHeight : C.Limit;
    EXPECT_EQ(Print.PageLimit, Want) << C.Html;
  }
}

TEST(PageBreaks, APageElementEndsThePrintedPageWhereItStands) {
  for (const char* Html : {"<p>a</p><page><p>b</p>", "<div><p>a</p>text<page>b</div>"}) {
    TLaidOut L(Html);
    TBitmap Page(600, 1000, pf24bit);
    TPaintContext Print{.Band = TRect{0, 0, 600, 1000}, .ForPrinter = true};
    L.D.Doc.Draw(&Page.Canvas(), Print, 600, 0, 0, 0, 0);
    EXPECT_GT(Print.PageLimit, L.TopOf("a")) << Html;
    EXPECT_LE(Print.PageLimit, L.TopOf("b")) << Html;
  }
  TLaidOut Screen("<p>a</p><page><p>b</p>");
  TBitmap Window(600, 1000, pf24bit);
  TPaintContext Paint{.Band = TRect{0, 0, 600, 1000}};
  Screen.D.Doc.Draw(&Window.Canvas(), Paint, 600, 0, 0, 0, 0);
  EXPECT_EQ(Paint.PageLimit, 1000);
}

}  // namespace
