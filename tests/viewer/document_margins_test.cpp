// Where the text of a document lands in the window: the viewer's margins, block margins
// and the horizontal scroll position; what blocks paint around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/core/section_list.h"
#include "document/core/url_target.h"
#include "tests/test_data.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

class DocumentMargins : public ::testing::Test {
 protected:
  void SetUp() override {
    TCreateParams params;
    params.Width = 300;
    params.Height = 200;
    params.Style = WS_VISIBLE;
    params.Proc = &DefWindowProc;
    FHost = CreateWindow(params);
    FViewer = std::make_unique<THTMLViewer>(nullptr, FHost, 0, 0, 300, 200);
    FViewer->SetDefBackground(clWhite);
  }
  void TearDown() override {
    FViewer.reset();
    DestroyWindow(FHost);
  }
  void Load(const std::string& Html) { FViewer->LoadFromBuffer(Html.data(), int(Html.size())); }
  // The box of the non-white pixels of the paint panel, found in columns before Right.
  TRect Ink(int Right = 10000) {
    HWND panel = FViewer->PaintPanel()->Handle();
    InvalidateRect(panel, nullptr);
    UpdateWindow(panel);
    TWindowPixels p = CaptureWindowPixels(panel);
    TRect box{p.Width, p.Height, -1, -1};
    for (int y = 0; y < p.Height; ++y)
      for (int x = 0; x < std::min(p.Width, Right); ++x)
        if ((p.At(x, y) & 0xFFFFFF) != 0xFFFFFF) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
    return box;
  }
  uint32_t Pixel(int X, int Y) {
    HWND panel = FViewer->PaintPanel()->Handle();
    InvalidateRect(panel, nullptr);
    UpdateWindow(panel);
    return CaptureWindowPixels(panel).At(X, Y) & 0xFFFFFF;
  }
  HWND FHost = nullptr;
  std::unique_ptr<THTMLViewer> FViewer;
};

TEST_F(DocumentMargins, TextStartsAtTheViewerMarginAndInsideBlockMargins) {
  FViewer->SetScrollBars(ssNone);
  Load("<p>Hello</p>");
  const TRect plain = Ink();
  EXPECT_GE(plain.Left, FViewer->MarginWidth);
  EXPECT_LE(plain.Left, FViewer->MarginWidth + 3);  // the glyph's own bearing
  EXPECT_GE(plain.Top, FViewer->MarginHeight);

  Load("<div style=\"margin-left: 40px\">Hello</div>");
  EXPECT_EQ(Ink().Left, plain.Left + 40);
  Load("<div style=\"padding-left: 7px; margin-left: 13px\"><div style=\"margin-left: 20px\">"
       "Hello</div></div>");
  EXPECT_EQ(Ink().Left, plain.Left + 40);
}

TEST_F(DocumentMargins, LinesWrapBeforeTheRightMargin) {
  FViewer->SetScrollBars(ssNone);
  std::string words;
  for (int i = 0; i < 40; ++i) words += "word ";
  Load("<div style=\"margin-right: 100px\">" + words + "</div>");
  const TRect box = Ink();
  EXPECT_GT(box.Bottom - box.Top, 30);  // several lines
  EXPECT_LE(box.Right, 300 - FViewer->MarginWidth - 100);
}

TEST_F(DocumentMargins, HorizontalScrollingMovesTheTextLeft) {
  Load("<p><nobr>" + std::string(200, 'W') + "</nobr>");
  const TRect before = Ink(250);
  FViewer->SetHScrollPos(30);
  const TRect after = Ink(250);
  EXPECT_EQ(FViewer->HScrollPos(), 30);
  EXPECT_LT(after.Left, before.Left);
  EXPECT_LE(after.Left, 0);
}

TEST_F(DocumentMargins, BlocksPaintTheirBackgroundAndEachBorderSide) {
  FViewer->SetScrollBars(ssNone);
  Load("<div style='background-color:#ff0000; height:40px; border-left:solid 6px; "
       "border-top:dotted 4px #00ff00; padding-top:2px'>x</div>"
       "<p style='background-color:#ffff00; margin:20px 0 0 0; border-bottom:double 6px'>y</p>");
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight;
  struct TCase {
    int X, Y;
    uint32_t Rgb;
  } Cases[] = {
      {L + 2, T + 20, 0x000000},    // left border: the text colour, the top's is its own
      {L + 100, T + 5, 0xFF0000},   // background: padding box
      {L + 9, T + 1, 0x00FF00},     // the second dot of the top border
      {L + 13, T + 1, 0xFFFFFF},    // the gap after it
      {L + 100, T + 47, 0xFFFFFF},  // below the box: the margin
      {L + 100, T + 66, 0xFFFF00},  // the paragraph 20 pixels below
  };
  for (const TCase& C : Cases) EXPECT_EQ(Pixel(C.X, C.Y), C.Rgb) << C.X << "," << C.Y;
  Load("<div style='visibility:hidden; background-color:#ff0000; border:solid'>hidden</div>");
  EXPECT_EQ(Ink().Right, -1);  // nothing painted at all
}

// Each side of a border in its own colour, keyword widths as browsers draw them.
TEST_F(DocumentMargins, BorderSidesTakeTheirOwnColoursAndKeywordWidths) {
  FViewer->SetScrollBars(ssNone);
  Load("<div style='border-style:solid; border-width:10px; height:60px; width:100px;"
       " border-color:#ff0000 #00ff00 #0000ff #ffff00'>x</div>"
       "<div style='border:solid #ff00ff; border-bottom-width:thick; margin-top:10px;"
       " height:20px; width:100px'>y</div>");
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight;
  struct TCase {
    int X, Y;
    uint32_t Rgb;
  } Cases[] = {
      {L + 60, T + 5, 0xFF0000},    // top
      {L + 115, T + 40, 0x00FF00},  // right
      {L + 60, T + 75, 0x0000FF},   // bottom
      {L + 5, T + 40, 0xFFFF00},    // left
      // The second box starts 10 pixels below the first: medium is 3 pixels wide.
      {L + 60, T + 90, 0xFF00FF},
      {L + 60, T + 92, 0xFF00FF},
      {L + 60, T + 93, 0xFFFFFF},
      // Thick is 5 pixels, below the 20-pixel content box.
      {L + 60, T + 112, 0xFFFFFF},
      {L + 60, T + 113, 0xFF00FF},
      {L + 60, T + 117, 0xFF00FF},
      {L + 60, T + 118, 0xFFFFFF},
  };
  for (const TCase& C : Cases) EXPECT_EQ(Pixel(C.X, C.Y), C.Rgb) << C.X << "," << C.Y;
}

// A table cell's em is its own font's, as a block's is.
TEST_F(DocumentMargins, TableCellsCountEmInTheirOwnFont) {
  FViewer->SetScrollBars(ssNone);
  Load("<table><tr><td style='font-size:32px; padding-left:2em; background:#ff0000'>x</td>"
       "</tr></table>");
  const TRect own = Ink();
  Load("<table><tr><td style='font-size:32px; background:#ff0000'>"
       "<div style='padding-left:2em'>x</div></td></tr></table>");
  const TRect nested = Ink();
  EXPECT_NEAR(own.Right - own.Left, nested.Right - nested.Left, 1);  // the cell padding differs
  EXPECT_GT(own.Right - own.Left, 64);
}

// The page's image scrolls with the text, unless it is fixed to the window.
TEST_F(DocumentMargins, AFixedPageImageStaysWhileTheTextScrolls) {
  const std::string Image = TestDataPath("images/png/pngsuite/basn2c08.png");
  auto Column = [&] {
    HWND panel = FViewer->PaintPanel()->Handle();
    InvalidateRect(panel, nullptr);
    UpdateWindow(panel);
    const TWindowPixels p = CaptureWindowPixels(panel);
    std::vector<uint32_t> column;
    for (int y = 0; y < 40; ++y) column.push_back(p.At(5, y) & 0xFFFFFF);
    return column;
  };
  for (const char* Attachment : {"", "fixed"}) {
    Load(std::string("<body style='background: url(") + Image + ") " + Attachment +
         "'><div style='height:2000px'></div></body>");
    const std::vector<uint32_t> before = Column();
    FViewer->SetVScrollPos(10);
    const std::vector<uint32_t> after = Column();
    if (*Attachment) {
      EXPECT_EQ(after, before);
    } else {
      EXPECT_NE(after, before);
      EXPECT_TRUE(std::equal(after.begin(), after.begin() + 30, before.begin() + 10));
    }
  }
}

// A 32-pixel square image tiled over a magenta padding box as placed and repeated.
TEST_F(DocumentMargins, BlocksTileTheirBackgroundImageInThePaddingBox) {
  FViewer->SetScrollBars(ssNone);
  const std::string Image = TestDataPath("images/png/pngsuite/basn2c08.png");
  auto LoadBox = [&](const std::string& Background) {
    Load("<div style='height:80px; border-left:solid 4px #000; background:#ff00ff url(" +
         Image + ") " + Background + "'></div>");
  };
  const int L = FViewer->MarginWidth + 4, T = FViewer->MarginHeight;
  LoadBox("");
  const uint32_t Corner = Pixel(L + 3, T + 3);
  EXPECT_NE(Corner, 0xFF00FFu);
  EXPECT_EQ(Pixel(L + 35, T + 35), Corner);
  struct TCase {
    const char* Background;
    int X, Y;        // relative to the padding box
    bool ImageThere;  // the image's corner pixel, or else the colour
  } Cases[] = {
      {"repeat-x", 35, 3, true},    {"repeat-x", 3, 35, false},
      {"repeat-y", 3, 35, true},    {"repeat-y", 35, 3, false},
      {"no-repeat", 3, 3, true},    {"no-repeat", 35, 3, false},
      {"no-repeat 10px 20px", 13, 23, true}, {"no-repeat 10px 20px", 3, 3, false},
      {"no-repeat left bottom", 3, 51, true}, {"repeat-x left bottom", 35, 51, true},
      {"repeat-x left bottom", 3, 40, false},
  };
  for (const TCase& C : Cases) {
    LoadBox(C.Background);
    EXPECT_EQ(Pixel(L + C.X, T + C.Y), C.ImageThere ? Corner : 0xFF00FFu)
        << C.Background << " " << C.X << "," << C.Y;
  }
}

TEST_F(DocumentMargins, RelativeBlocksPaintMovedByTheirOffsets) {
  FViewer->SetScrollBars(ssNone);
  Load("<div style='position:relative; left:40px; top:30px; width:50px; height:20px; "
       "background-color:#ff0000'></div>");
  const TRect Box = Ink();
  EXPECT_EQ(Box.Left, FViewer->MarginWidth + 40);
  EXPECT_EQ(Box.Top, FViewer->MarginHeight + 30);
  EXPECT_EQ(Box.Right - Box.Left, 50);
  EXPECT_EQ(Box.Bottom - Box.Top, 20);
}

// Positioned boxes paint by z-index whatever their order in the source; a negative one
// goes under the flow, and floats over the blocks they overlap.
TEST_F(DocumentMargins, StackLevelsDecideWhichBoxPaintsOnTop) {
  FViewer->SetScrollBars(ssNone);
  const std::string Red = "background-color:#ff0000", Blue = "background-color:#0000ff";
  const std::string Box = "position:absolute; width:40px; height:40px; ";
  Load("<div style='" + Box + "top:10px; left:10px; z-index:2; " + Red + "'></div>" +
       "<div style='" + Box + "top:30px; left:30px; z-index:1; " + Blue + "'></div>" +
       "<div style='" + Box + "top:100px; left:10px; z-index:-1; " + Red + "'></div>" +
       "<div style='margin-top:110px; height:20px; width:100px; " + Blue + "'></div>" +
       "<div style='float:left; width:20px; height:20px; " + Red + "'></div>" +
       "<div style='height:20px; width:100px; " + Blue + "'></div>");
  EXPECT_EQ(Pixel(35, 35), 0xff0000u);  // z-index 2 over 1
  EXPECT_EQ(Pixel(65, 65), 0x0000ffu);
  const int FlowTop = FViewer->MarginHeight + 110;
  EXPECT_EQ(Pixel(30, FlowTop + 5), 0x0000ffu);  // the flow over z-index -1
  EXPECT_EQ(Pixel(FViewer->MarginWidth + 5, FlowTop + 25), 0xff0000u);  // the float on top
}

// The body draws its border; its colour goes to the page, around the border too.
TEST_F(DocumentMargins, TheBodyDrawsItsBorderOnThePageColour) {
  FViewer->SetScrollBars(ssNone);
  Load("<body style='border:solid 3px #ff0000; background-color:#0000ff; width:100px'>x</body>");
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight;
  EXPECT_EQ(Pixel(L + 1, T + 20), 0xff0000u);
  EXPECT_EQ(Pixel(L + 50, T + 1), 0xff0000u);
  EXPECT_EQ(Pixel(1, 1), 0x0000ffu);
  EXPECT_EQ(Pixel(250, 150), 0x0000ffu);
  // With a colour of the root element's, the page takes that and the body fills its box.
  Load("<style>html {background-color:#0000ff} body {background-color:#ffffff; width:100px;"
       " height:50px}</style><body>x</body>");
  EXPECT_EQ(Pixel(1, 1), 0x0000ffu);
  EXPECT_EQ(Pixel(L + 90, T + 40), 0xffffffu);
  EXPECT_EQ(Pixel(L + 150, T + 40), 0x0000ffu);
}

// A block's title answers over its whole painted box, the body's everywhere; no link flag.
TEST_F(DocumentMargins, BlockTitlesAnswerOverTheirBox) {
  FViewer->SetScrollBars(ssNone);
  auto TitleAt = [&](int X, int Y) {
    std::unique_ptr<TUrlTarget> Url;
    TDocControl* Control = nullptr;
    std::string Title;
    EXPECT_EQ(FViewer->SectionList()->HitTestLink(nullptr, X, Y, Url, Control, Title), 0u);
    return Title;
  };
  Load("<div title='box' style='margin-top:0; padding:20px; width:60px'>x</div>");
  Ink();
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight;
  EXPECT_EQ(TitleAt(L + 90, T + 5), "box");  // in the padding, right of the text
  EXPECT_EQ(TitleAt(L + 150, T + 5), "");
  Load("<body title='page'><p>x</p></body>");
  Ink();
  EXPECT_EQ(TitleAt(250, T + 16), "page");  // beside the text
}

TEST_F(DocumentMargins, ListItemsDrawTheirMarkerLeftOfTheFirstLine) {
  FViewer->SetScrollBars(ssNone);
  const int Content = FViewer->MarginWidth + 35;  // the list's indent
  Load("<ul><li>item</ul>");
  const TRect disc = Ink(Content - 1);
  EXPECT_EQ(disc.Left, Content - 15);
  EXPECT_EQ(disc.Right, Content - 10);
  EXPECT_EQ(disc.Bottom - disc.Top, 5);
  Load("<ol start=7><li>item</ol>");
  const TRect number = Ink(Content - 1);
  EXPECT_LE(number.Right, Content - 10);
  EXPECT_GT(number.Right - number.Left, 6);  // "7."
  EXPECT_GT(number.Bottom, disc.Bottom - 2);  // on the text's baseline
  // An image replaces the bullet, its bottom on the baseline; one that cannot be had
  // leaves the bullet.
  const std::string Image = TestDataPath("images/png/pngsuite/basn2c08.png");
  Load("<ul style='list-style-image:url(" + Image + ")'><li>item</ul>");
  const TRect image = Ink(Content - 1);
  EXPECT_EQ(image.Left, Content - 16);
  EXPECT_EQ(image.Right, Content - 1);  // 32 pixels wide, cut where Ink stops looking
  EXPECT_EQ(image.Bottom - image.Top, 32);
  EXPECT_EQ(image.Bottom, disc.Bottom + 1);
  Load("<ul style='list-style-image:url(missing.png)'><li>item</ul>");
  EXPECT_EQ(Ink(Content - 1), disc);
}

TEST_F(DocumentMargins, RulesPaintABarOrAnOutline) {
  FViewer->SetScrollBars(ssNone);
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight + 10;  // below the rule's margin
  Load("<hr size=4 color=#ff0000>");
  EXPECT_EQ(Pixel(L + 50, T + 2), 0xFF0000u);
  Load("<hr size=4 noshade>");
  EXPECT_EQ(Pixel(L + 50, T), 0x000000u);
  EXPECT_EQ(Pixel(L + 50, T + 3), 0x000000u);
  EXPECT_EQ(Pixel(L + 50, T + 2), 0xFFFFFFu);  // an outline, not a bar
}

}  // namespace
