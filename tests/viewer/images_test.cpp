// Images in the flow of text: their sizes, spaces, frames, placeholders and floats, and
// what the mouse finds over them.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/blocks/block.h"
#include "document/core/section_list.h"
#include "document/images/image_obj.h"
#include "document/images/panel_obj.h"
#include "images/gif_image.h"
#include "tests/test_data.h"
#include "tests/viewer/viewer_window.h"
#include "toolkit/controls/controls_button.h"
#include "toolkit/windows/headless/headless.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

class FlowImages : public TViewerWindowTest {
 protected:
  // The first image object of the document.
  TImageObj* Image() {
    TImageObj* found = nullptr;
    std::function<void(TCellBasic&)> walk = [&](TCellBasic& Cell) {
      for (int i = 0; i < Cell.Count() && !found; ++i) {
        TSectionBase* s = Cell.Items(i);
        if (auto* b = dynamic_cast<TBlock*>(s)) walk(b->MyCell);
        if (auto* t = dynamic_cast<TSection*>(s))
          for (const auto& e : t->Objects())
            if (auto* img = dynamic_cast<TImageObj*>(e.Obj)) found = img;
      }
    };
    walk(*FViewer->SectionList());
    return found;
  }
  const std::string Bar = TestDataPath("images/flow/bar200x50.png");
};

TEST_F(FlowImages, SizesComeFromAttributesStyleAndThePicture) {
  struct TCase {
    std::string Tag;
    int Width, Height;  // of the box
  } Cases[] = {
      {"<img src='BAR'>", 200, 50},
      {"<img src='BAR' width=100>", 100, 25},
      {"<img src='BAR' height=10>", 40, 10},
      {"<img src='BAR' width=30 height=30>", 30, 30},
      {"<img src='BAR' style='width:60px'>", 60, 15},
      {"<a href=x><img src='BAR' width=100></a>", 102, 27},  // the link frame
      {"<a href=x><img src='BAR' width=100 border=0></a>", 100, 25},
      {"<a href=x><img src='BAR' width=100 style='border:0px'></a>", 100, 25},
      {"<img src='missing.png' alt='four' width=50 height=40>", 50, 40},
  };
  for (TCase& C : Cases) {
    const size_t at = C.Tag.find("BAR");
    if (at != std::string::npos) C.Tag.replace(at, 3, Bar);
    Load(C.Tag);
    TImageObj* img = Image();
    ASSERT_NE(img, nullptr) << C.Tag;
    EXPECT_EQ(img->BoxWidth(), C.Width) << C.Tag;
    EXPECT_EQ(img->BoxHeight(), C.Height) << C.Tag;
  }
  // A missing image with only alt text grows to show it beside the icon.
  Load("<img src='missing.png' alt='four'>");
  EXPECT_GE(Image()->BoxHeight(), 24);
  EXPECT_GT(Image()->BoxWidth(), 26);
  // A percentage follows the width it is laid out in.
  Load("<img src='" + Bar + "' width='50%'>");
  const int wide = Image()->BoxWidth();
  FViewer->SetBounds(0, 0, 220, 300);
  EXPECT_LT(Image()->BoxWidth(), wide);
  EXPECT_GT(Image()->BoxWidth(), 0);
}

TEST_F(FlowImages, FloatsKeepThreePixelsAndTextFlowsBesideThem) {
  Load("<img src='" + Bar + "' align=left>text beside");
  TImageObj* img = Image();
  EXPECT_EQ(img->FSpaceLeft, 3);
  EXPECT_EQ(img->FSpaceRight, 3);
  Load("<img src='" + Bar + "'>text after");
  EXPECT_EQ(Image()->FSpaceLeft, 0);
  // The picture paints: red-brown on the left half, blue on the right, and the text of a
  // left float starts right of it.
  Load("<img src='" + Bar + "' align=left hspace=0 vspace=0>text beside");
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight;
  EXPECT_EQ(Pixel(L + 10, T + 10), 0xC83C1Eu);
  EXPECT_EQ(Pixel(L + 190, T + 10), 0x1E3CC8u);
  EXPECT_EQ(Image()->PaintX(), L);
  // Over the picture the mouse finds its title.
  Load("<img src='" + Bar + "' title='a bar'>");
  Pixel(0, 0);
  InjectMouseMoveAt(FViewer->PaintPanel()->Handle(), L + 20, T + 20);
  EXPECT_EQ(FViewer->HoverTitle(), "a bar");
}

// Images come from the host once: the cache serves a second use and a reload; one the
// host promises arrives later, and re-formats only when its size was not given.
TEST_F(FlowImages, TheCacheServesRepeatsAndPromisedImagesArriveLater) {
  TMemoryStream picture;
  picture.LoadFromFile(Bar);
  int requests = 0;
  bool promise = false;
  TMemoryStream answer;
  FViewer->SetOnImageRequest([&](TObject*, const std::string&, TMemoryStream*& Stream) {
    ++requests;
    if (promise) {
      Stream = FViewer->SectionList()->Hooks.WaitStream;
      return;
    }
    answer.Clear();
    answer.Write(picture.Memory(), picture.Size());
    Stream = &answer;
  });
  Load("<img src='bar.png'> and again <img src='bar.png'>");
  EXPECT_EQ(requests, 1);
  EXPECT_EQ(Image()->BoxWidth(), 200);
  Load("<img src='bar.png'>");
  EXPECT_EQ(requests, 1);
  promise = true;
  for (const auto& [tag, width] : {std::pair{"<img src='late.png'>", 200},
                                   std::pair{"<img src='later.png' width=50 height=20>", 50}}) {
    Load(tag);
    EXPECT_TRUE(Image()->IsPlaceholder()) << tag;
    const std::string name = std::string(tag).substr(10, std::string(tag).find('\'', 10) - 10);
    EXPECT_TRUE(FViewer->ReplaceImage(name, &picture)) << tag;
    EXPECT_FALSE(Image()->IsPlaceholder()) << tag;
    EXPECT_EQ(Image()->BoxWidth(), width) << tag;
  }
  // A promised block background is painted when it comes.
  Load("<div style='height:40px; background-image:url(backdrop.png)'>x</div>");
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight;
  EXPECT_EQ(Pixel(L + 50, T + 30), 0xFFFFFFu);
  EXPECT_TRUE(FViewer->ReplaceImage("backdrop.png", &picture));
  EXPECT_EQ(Pixel(L + 50, T + 30), 0xC83C1Eu);
  // With images off the alternative text stands in the placeholder.
  FViewer->SetViewImages(false);
  promise = false;
  Load("<img src='other.png' alt='a longer alternative text'>");
  EXPECT_TRUE(Image()->IsPlaceholder());
  EXPECT_GT(Image()->BoxWidth(), 100);
}

// An animated GIF advances on the clock while it is painted, and not while it is out of sight.
TEST_F(FlowImages, AnimationsAdvanceWhileTheyAreShown) {
  SetClockAutoStep(0);
  const std::string gif = TestDataPath("images/gif/pillow/dispose_none.gif");
  std::string html = "<img src='" + gif + "'>";
  for (int i = 0; i < 200; ++i) html += "<p>line " + std::to_string(i);
  Load(html);
  TSectionList& list = *FViewer->SectionList();
  ASSERT_EQ(list.AnimatedImages.size(), 1u);
  TGIFImage& anim = *list.AnimatedImages[0];
  Pixel(0, 0);
  const int first = anim.CurrentFrame();
  AdvanceClock(1500);
  Pixel(0, 0);
  EXPECT_NE(anim.CurrentFrame(), first);
  FViewer->ScrollTo(3000);
  Pixel(0, 0);
  const int hidden = anim.CurrentFrame();
  AdvanceClock(5000);
  EXPECT_EQ(anim.CurrentFrame(), hidden);
  // Two uses of one picture play each on its own.
  Load("<img src='" + gif + "'><img src='" + gif + "'>");
  ASSERT_EQ(list.AnimatedImages.size(), 2u);
  EXPECT_NE(list.AnimatedImages[0], list.AnimatedImages[1]);
  Pixel(0, 0);
  AdvanceClock(1500);
  EXPECT_GT(list.AnimatedImages[0]->CurrentFrame(), 1);
  EXPECT_GT(list.AnimatedImages[1]->CurrentFrame(), 1);
}

// An ACTIVE GIF plays only under the mouse and shows its first frame again after; a
// transparent picture shows the page through.
TEST_F(FlowImages, ActiveImagesPlayUnderTheMouseAndTransparencyShowsThePage) {
  const std::string gif = TestDataPath("images/gif/pillow/dispose_none.gif");
  Load("<img src='" + gif + "' active>");
  TSectionList& list = *FViewer->SectionList();
  EXPECT_TRUE(list.AnimatedImages.empty());
  Pixel(0, 0);
  HWND panel = FViewer->PaintPanel()->Handle();
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight;
  InjectMouseMoveAt(panel, L + 20, T + 20);
  ASSERT_EQ(list.AnimatedImages.size(), 1u);
  TGIFImage& anim = *list.AnimatedImages[0];
  AdvanceClock(2500);
  EXPECT_GT(anim.CurrentFrame(), 1);
  InjectMouseMoveAt(panel, 400, 280);
  EXPECT_TRUE(list.AnimatedImages.empty());
  EXPECT_EQ(anim.CurrentFrame(), 1);
  Load("<body bgcolor=#ff00ff><img src='" + TestDataPath("images/png/pngsuite/tbbn3p08.png") +
       "'>");
  EXPECT_EQ(Pixel(L + 1, T + 1), 0xff00ffu);
  EXPECT_NE(Pixel(L + 15, T + 15), 0xff00ffu);
}

// A panel is announced to the host, which sizes it; it shows on its line while painted
// and goes when the document does.
TEST_F(FlowImages, PanelsAreAnnouncedPlacedAndDestroyed) {
  std::vector<std::string> created;
  int destroyed = 0;
  FViewer->SetOnPanelCreate([&](TObject*, const std::string& Name, const std::string& Type,
                                const std::string&, TObject* Panel) {
    created.push_back(Name + ":" + Type);
    if (auto* control = dynamic_cast<TWinControl*>(Panel)) control->SetBounds(0, 0, 120, 40);
  });
  FViewer->SetOnPanelDestroy([&](TObject*, TObject*) { ++destroyed; });
  std::string html = "text <panel name=p1 type=video>";
  for (int i = 0; i < 100; ++i) html += "<p>line";
  Load(html);
  EXPECT_EQ(created, (std::vector<std::string>{"p1:video"}));
  Pixel(0, 0);
  TSectionList& list = *FViewer->SectionList();
  ASSERT_EQ(list.Panels.size(), 1u);
  auto* placed = dynamic_cast<TPanelObj*>(list.Panels[0]);
  ASSERT_NE(placed, nullptr);
  TPanel* panel = placed->Panel();
  EXPECT_TRUE(panel->Visible());
  EXPECT_EQ(panel->Width(), 120);
  EXPECT_GT(panel->Left(), FViewer->MarginWidth + 10);  // after "text "
  EXPECT_GE(panel->Top(), FViewer->MarginHeight);
  FViewer->ScrollTo(1500);
  Pixel(0, 0);
  EXPECT_FALSE(panel->Visible());
  FViewer->Clear();
  EXPECT_EQ(destroyed, 1);
}

// Inline images stand on the line by their alignment: top at the text's top, middle on
// its middle, baseline (the default) on the baseline.
TEST_F(FlowImages, InlineAlignmentsPlaceTheImageOnItsLine) {
  auto topOf = [&](const std::string& Align) {
    Load("<font size=7>Text</font> <img src='" + Bar + "' width=20 height=6 " + Align + ">");
    Pixel(0, 0);
    return Image()->GetTopY();
  };
  const int top = topOf("align=top"), middle = topOf("align=middle"),
            baseline = topOf(""), absmiddle = topOf("align=absmiddle");
  EXPECT_LT(top, middle);
  EXPECT_LT(middle, baseline);
  EXPECT_EQ(middle, absmiddle);
  EXPECT_EQ(top, FViewer->MarginHeight);
}

// The style's vertical-align places an image by the line box (top, bottom), by the text
// (text-top, text-bottom) or on the baseline raised or lowered, on lines of a set
// line-height and on lines of the font's own pitch alike.
TEST_F(FlowImages, StyleVerticalAlignPlacesTheImageByLineTextOrShiftedBaseline) {
  const int M = FViewer->MarginHeight;
  auto topOf = [&](const std::string& Div, const std::string& Before, const std::string& Align) {
    Load("<div style='" + Div + "'>Text " + Before + "<img src='" + Bar +
         "' width=20 height=6 style='vertical-align:" + Align + "'></div>");
    Pixel(0, 0);
    return Image()->GetTopY();
  };
  for (const std::string Div : {"line-height:40px", ""}) {
    // A tall picture hanging from the top makes the line 40 high where no line-height does.
    const std::string Tall =
        Div.empty() ? "<img src='" + Bar + "' width=5 height=40 style='vertical-align:top'>" : "";
    const int B = topOf(Div, Tall, "baseline");
    EXPECT_EQ(topOf(Div, Tall, "bottom"), M + 40 - 6) << Div;
    EXPECT_EQ(topOf(Div, Tall, "5px"), B - 5) << Div;
    EXPECT_EQ(topOf(Div, Tall, "-0.5em") - B, B - topOf(Div, Tall, "0.5em")) << Div;
    EXPECT_LT(topOf(Div, Tall, "text-top"), B) << Div;
    EXPECT_GT(topOf(Div, Tall, "text-bottom"), B) << Div;
    EXPECT_GT(topOf(Div, Tall, "sub"), B) << Div;
    EXPECT_LT(topOf(Div, Tall, "super"), B) << Div;
  }
  EXPECT_EQ(topOf("line-height:40px", "", "top"), M);
  // Percentages count in the line-height.
  EXPECT_EQ(topOf("line-height:40px", "", "50%"), topOf("line-height:40px", "", "baseline") - 20);
  // Raised past the text, the picture makes the line taller above: nothing goes above it.
  EXPECT_EQ(topOf("", "", "30px"), M);
}

// Padding and borders of the style stand around the picture, inside its margins, with the
// background under the padding; a relative position moves the painted picture.
TEST_F(FlowImages, StylePaddingBordersAndRelativePositionSurroundAndMoveThePicture) {
  const int L = FViewer->MarginWidth, T = FViewer->MarginHeight;
  Load("<img src='" + Bar + "' width=20 height=10 style='margin-left:4px; padding:3px 3px 3px 6px;"
       " border:2px solid #00ff00; background-color:#0000ff; vertical-align:top'>");
  TImageObj* img = Image();
  EXPECT_EQ(img->BoxWidth(), 20 + 9 + 4);
  EXPECT_EQ(img->BoxHeight(), 10 + 6 + 4);
  EXPECT_EQ(Pixel(L + 4, T), 0x00FF00u);            // the border
  EXPECT_EQ(Pixel(L + 4 + 2, T + 2), 0x0000FFu);    // the background under the padding
  EXPECT_EQ(Pixel(L + 4 + 8, T + 5), 0xC83C1Eu);    // the picture
  EXPECT_EQ(Pixel(L + 4 + 8 + 20 + 3, T + 5), 0x00FF00u);
  // Inside a link the style's border stands for the link frame.
  Load("<a href=x><img src='" + Bar + "' width=20 height=10 style='border:1px solid'></a>");
  EXPECT_EQ(Image()->BoxWidth(), 22);
  Load("<img src='" + Bar + "' width=20 height=10 style='vertical-align:top'>");
  Pixel(0, 0);
  const int X = Image()->PaintX(), Y = Image()->GetTopY();
  Load("<img src='" + Bar + "' width=20 height=10 style='vertical-align:top; position:relative;"
       " left:7px; top:-9px'>");
  Pixel(0, 0);
  EXPECT_EQ(Image()->PaintX(), X + 7);
  EXPECT_EQ(Image()->GetTopY(), Y - 9);
}

}  // namespace
