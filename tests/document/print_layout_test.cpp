// Layout for print: the print copy keeps every box, and blocks end the printed page.
#include <gtest/gtest.h>

#include <cairo-script.h>
#include <cairo.h>

#include <string>
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


// A page draws the lines of its own band: a long paragraph costs each page its share,
// not every line above it again. The pages go to a vector surface tall enough to hold
// the whole document above the band, so that every line drawn is recorded.
TEST(PrintPasses, APageDrawsOnlyTheLinesOfItsBand) {
  std::string Html = "<p>";
  for (int I = 0; I < 3000; ++I) Html += "word" + std::to_string(I) + " ";
  TLaidOut L(Html);
  const TSection* S = L.SectionOf("word0");
  ASSERT_NE(S, nullptr);
  ASSERT_GE(S->FLines.size(), 100u);
  const int Lines = int(S->FLines.size()), LineHeight = S->FLines[1].Advance();
  ASSERT_GT(LineHeight, 0);
  constexpr int BandHeight = 200;
  std::string Script;
  auto Write = [](void* Closure, const unsigned char* Data, unsigned int Length) {
    static_cast<std::string*>(Closure)->append(reinterpret_cast<const char*>(Data), Length);
    return CAIRO_STATUS_SUCCESS;
  };
  int PageTop = 0, Pages = 0, MostLines = 0;
  while (PageTop < Lines * LineHeight) {
    Script.clear();
    cairo_device_t* Device = cairo_script_create_for_stream(Write, &Script);
    const int Height = PageTop + BandHeight;
    cairo_surface_t* Surface = cairo_script_surface_create(Device, CAIRO_CONTENT_COLOR, 600, Height);
    TPaintContext Print{.Band = TRect{0, 0, 600, BandHeight}, .ScrollY = PageTop, .ForPrinter = true};
    {
      TCanvas Page(Surface, 600, Height);
      Page.SetWindowOrg(0, -PageTop);
      L.D.Doc.Draw(&Page, Print, 600, 0, 0, 0, 0);
    }
    cairo_surface_finish(Surface);
    cairo_surface_destroy(Surface);
    cairo_device_finish(Device);
    cairo_device_destroy(Device);
    int Drawn = 0;
    for (size_t At = Script.find("glyphs"); At != std::string::npos; At = Script.find("glyphs", At + 1))
      ++Drawn;
    MostLines = std::max(MostLines, Drawn);
    ASSERT_GT(Print.PageLimit, PageTop);
    PageTop = Print.PageLimit;
    ++Pages;
  }
  EXPECT_GT(Pages, 10);
  EXPECT_LE(MostLines, BandHeight / LineHeight + 2);
}

}  // namespace
