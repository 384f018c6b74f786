#include <gtest/gtest.h>

#include <string>

#include "document/core/section_list.h"
#include "document/core/text_section.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/raster_ops.h"

namespace {

// A floating or inline box of a fixed size standing in for an image.
class TBoxObject : public TInlineObject {
 public:
  TBoxObject(int W, int H, TFloatSide Side) : FW(W), FH(H), FSide(Side) {}
  bool Floating() const override { return FSide != TFloatSide::None; }
  int HorzExtent() const override { return FW; }
  int Height() const override { return FH; }
  TFloatImageBox FloatBox() const override {
    TFloatImageBox B;
    B.Width = FW;
    B.Height = FH;
    B.Side = FSide;
    return B;
  }
  int FW, FH;
  TFloatSide FSide;
};

class TextRunsTest : public ::testing::Test {
 protected:
  TSectionList Doc{nullptr, nullptr};
  TCanvas Canvas;
  IndentManager IMgr;

  std::unique_ptr<TSection> Make(const std::string& Text) {
    auto Font = std::make_unique<TMyFont>();
    Font->Name = "Arial";
    auto S = std::make_unique<TSection>(&Doc, std::move(Font));
    for (size_t I = 0; I < Text.size(); ++I) S->AppendChar(Text[I], int(I));
    return S;
  }
  int LayOut(TSection& S, int Width, int& MaxWidth) {
    IMgr.SetEdges(0, Width);
    int Curs = 0;
    return S.Layout(&Canvas, 0, 0, 0, 0, Width, 10000, &IMgr, MaxWidth, Curs);
  }
};

TEST(FontListTest, RunLookupAndRemovalMergeRunsLeftEmpty) {
  TFontList List;
  for (int Pos : {0, 3, 4})
    List.Add(std::make_unique<TFontObj>(nullptr, Pos, std::make_unique<TMyFont>()));
  int Index;
  EXPECT_EQ(List.RunAt(2, Index), List[0]);
  EXPECT_EQ(List.RunAt(3, Index), List[1]);
  EXPECT_EQ(Index, 1);
  EXPECT_EQ(List.RunAt(99, Index), List[2]);
  EXPECT_EQ(List.RunLengthAt(1, 10), 2);
  EXPECT_EQ(List.RunLengthAt(5, 10), 5);
  TFontObj* Survivor = List[2];
  std::vector<TDocFontRun*> Links{List[1]};
  List.RemovePosition(3, &Links);  // the run at 3 is left empty
  ASSERT_EQ(List.Count(), 2);
  EXPECT_EQ(List[1], Survivor);
  EXPECT_EQ(Survivor->FPos, 3);
  EXPECT_TRUE(Links.empty());
}

TEST(FontListTest, HoverOfOneLinkReachesAllItsRunsOnly) {
  std::vector<std::unique_ptr<TFontObj>> Runs;
  std::vector<TDocFontRun*> Links;
  for (int I = 0; I < 4; ++I) {
    Runs.push_back(std::make_unique<TFontObj>(nullptr, 0, std::make_unique<TMyFont>()));
    Runs.back()->SetLinkFonts(TFontInfoArray());
    Runs.back()->EditTarget().ID = I < 3 ? 7 : 8;
    Links.push_back(Runs.back().get());
  }
  TFontInfoArray Hovered;
  Hovered.Items[2].TextColor = clRed;
  Runs[1]->SetLinkFonts(Hovered);
  Runs[1]->SetHoverAll(true, Links);
  EXPECT_TRUE(Runs[0]->FHover && Runs[1]->FHover && Runs[2]->FHover);
  EXPECT_FALSE(Runs[3]->FHover);
  EXPECT_EQ(Runs[1]->FFont->Color, clRed);
}

TEST_F(TextRunsTest, LeftFloatAtLineStartSitsBesideTheLine) {
  auto S = Make("");
  S->AddObject(std::make_unique<TBoxObject>(50, 40, TFloatSide::Left), 0);
  for (char C : std::string(" text")) S->AppendChar(C, 1);
  S->CompleteText();
  EXPECT_EQ(S->FText, std::string("\4text"));
  int MaxWidth = 0;
  LayOut(*S, 300, MaxWidth);
  ASSERT_EQ(S->FLines.size(), 1u);
  EXPECT_EQ(S->FLines[0].Indent, 50);
  EXPECT_GE(S->FPaintHeight, 40);
}

TEST_F(TextRunsTest, LongWordMovesBelowAFloatInsteadOfOverflowing) {
  IMgr.SetEdges(0, 100);
  TFloatImageBox Box;
  Box.Width = 80;
  Box.Height = 30;
  Box.Side = TFloatSide::Left;
  int Indent;
  ASSERT_TRUE(IMgr.AddImageFloat(0, Box, Indent));
  auto S = Make("unbreakableword");
  S->CompleteText();
  int Curs = 0, MaxWidth = 0;
  S->Layout(&Canvas, 0, 0, 0, 0, 100, 10000, &IMgr, MaxWidth, Curs);
  ASSERT_EQ(S->FLines.size(), 2u);
  EXPECT_EQ(S->FLines[0].CharCount, 0);
  EXPECT_EQ(S->FLines[0].TextHeight, 30);
  EXPECT_EQ(S->FLines[1].CharCount, S->Len());
}

TEST_F(TextRunsTest, CopyingAnIndentedLineStartsWithThreeSpacesPer35Pixels) {
  auto S = Make("item text");
  S->FFirstIndent = 70;
  S->CompleteText();
  int MaxWidth = 0;
  LayOut(*S, 500, MaxWidth);
  ClipBuffer Buffer;
  Doc.SelectionBuffer = &Buffer;
  Doc.SelStart = 0;
  Doc.SelEnd = S->Len();
  S->CopySelection();
  EXPECT_EQ(Buffer.Text(), "      item text\r\n");
  Doc.SelectionBuffer = nullptr;
}

TEST_F(TextRunsTest, DrawingPaintsTextAndACaretWithoutSelection) {
  auto S = Make("Caret here");
  S->CompleteText();
  int MaxWidth = 0;
  LayOut(*S, 300, MaxWidth);
  TBitmap Bitmap(300, 40, pf24bit);
  TCanvas& C = Bitmap.Canvas();
  C.FillRect(TRect{0, 0, 300, 40}, clWhite);
  Doc.SelStart = Doc.SelEnd = 0;
  // The caret shows only when the document asks for it.
  TPaintContext Pass{.Band = TRect{0, 0, 300, 40}};
  S->Draw(&C, Pass, &IMgr, 0, 0, 0);
  TBitmap Plain(300, 40, pf24bit);
  Plain.Canvas().BitBlt(0, 0, 300, 40, C, 0, 0, SRCCOPY);
  C.FillRect(TRect{0, 0, 300, 40}, clWhite);
  Doc.ShowDummyCaret = true;
  EXPECT_EQ(S->Draw(&C, Pass, &IMgr, 0, 0, 0), S->FFlowHeight);
  Doc.ShowDummyCaret = false;
  // The caret column at X 0 is painted down the text box.
  const int Mid = S->FLines[0].TextHeight / 2;
  EXPECT_EQ(Bitmap.Pixel(0, Mid) & 0xFFFFFF, 0u);
  int Differing = 0;
  for (int Y = 0; Y < 40; ++Y) Differing += Plain.Pixel(0, Y) != Bitmap.Pixel(0, Y);
  EXPECT_GT(Differing, 0);
  bool Ink = false;
  for (int X = 5; X < 60 && !Ink; ++X)
    for (int Y = 0; Y < S->FLines[0].TextHeight && !Ink; ++Y) Ink = Bitmap.Pixel(X, Y) != clWhite;
  EXPECT_TRUE(Ink);
}

TEST_F(TextRunsTest, DoubleByteTextBreaksBeforeALeadByte) {
  auto Font = std::make_unique<TMyFont>();
  Font->Charset = SHIFTJIS_CHARSET;
  Font->FLeadByteSet = LeadByteSetOfCharSet(SHIFTJIS_CHARSET);
  auto S = std::make_unique<TSection>(&Doc, std::move(Font));
  ASSERT_TRUE(S->FMayHaveDBCS);
  // Six double-byte characters and no spaces.
  const std::string Kana = "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xa9";
  for (size_t I = 0; I < Kana.size(); ++I) S->AppendChar(Kana[I], int(I));
  S->CompleteText();
  const int W2 = S->TextWidth(0, 5, false);  // two and a half characters
  int MaxWidth = 0;
  LayOut(*S, W2, MaxWidth);
  ASSERT_GE(S->FLines.size(), 2u);
  for (const LineRec& L : S->FLines) EXPECT_EQ(L.CharCount % 2, 0);
}

}  // namespace

#include "style/properties.h"

namespace {

TEST(TextSectionPropsTest, SectionTakesAlignmentIndentAndClearFromItsProperties) {
  TSectionList Doc{nullptr, nullptr};
  TProperties Props;
  Props.SetDeclaration("text-align", "right");
  Props.SetDeclaration("text-indent", "150%");
  Props.FTitleText = "hint";
  const std::string Clear = "left";
  TUrlTarget Link;
  Link.Assign("page.htm", "");
  auto S = TSection::Create(&Doc, Props, &Link, true, &Clear);
  EXPECT_EQ(S->FAlign, TTextAlign::Right);
  EXPECT_EQ(S->FFirstIndentPct, 90);  // percentages are capped
  EXPECT_EQ(S->FClear, TClearSides::Left);
  EXPECT_EQ(S->FFontRuns[0]->Title(), "hint");
  ASSERT_EQ(Doc.LinkRuns.size(), 1u);
  S->AppendChar('a', 0);
  S->StartLinkRun(false, TUrlTarget(), Props);  // the link ends
  EXPECT_EQ(Doc.LinkRuns.size(), 1u);
  S->ReleaseRegistrations();
  EXPECT_TRUE(Doc.LinkRuns.empty());
}

}  // namespace

namespace {

TEST_F(TextRunsTest, FloatBesideAWordTooWideIsPlacedOnceAndLayoutEnds) {
  auto S = Make("");
  S->AddObject(std::make_unique<TBoxObject>(60, 30, TFloatSide::Left), 0);
  for (char C : std::string("unbreakablewordthatiswide")) S->AppendChar(C, 1);
  S->CompleteText();
  int MaxWidth = 0;
  LayOut(*S, 100, MaxWidth);
  int Floats = 0;
  for (const auto& R : IMgr.FLeftList) Floats += R->FIsFloat ? 1 : 0;
  EXPECT_EQ(Floats, 1);
  EXPECT_EQ(S->FLines.back().TextStart + S->FLines.back().CharCount, S->Len());
  EXPECT_GE(S->FFlowHeight, 30);
}

}  // namespace
