#include <gtest/gtest.h>

#include "common/classes.h"
#include "document/core/section_list.h"
#include "images/gif_image.h"
#include "tests/test_data.h"
#include "toolkit/windows/headless/headless.h"

namespace {

std::unique_ptr<TGIFImage> LoadAnimation() {
  TMemoryStream data;
  data.LoadFromFile(TestDataPath("images/gif/pillow/dispose_none.gif"));
  return ReadGifImage(data.Memory(), size_t(data.Size()));
}

TEST(DocumentAnimation, TicksAdvanceOnlyImagesPaintedSinceTheLastTick) {
  std::unique_ptr<TGIFImage> painted = LoadAnimation();
  std::unique_ptr<TGIFImage> hidden = LoadAnimation();
  ASSERT_TRUE(painted->Animated);
  TSectionList doc(nullptr, nullptr);
  doc.AnimatedImages = {painted.get(), hidden.get()};
  int sw = 0, curs = 0;
  doc.LayoutCell(nullptr, 0, 500, 300, sw, curs);
  ASSERT_NE(doc.AnimationTimer, nullptr);
  EXPECT_TRUE(doc.AnimationTimer->Enabled());
  EXPECT_TRUE(painted->Animating());
  EXPECT_EQ(painted->CurrentFrame(), 1);

  TPaintContext Pass{.Band = TRect{0, 0, 500, 300}};
  doc.Draw(nullptr, Pass, 6000, 0, 0, 0, 0);
  EXPECT_TRUE(doc.AnimationTimer->Enabled());  // re-enabled after the paint
  painted->LastRect = TRect{0, 0, 10, 10};     // as painting the image records it
  AdvanceClock(uint32_t(painted->Frame(1).Delay) + 1);
  doc.AnimationTick();
  EXPECT_EQ(painted->CurrentFrame(), 2);
  EXPECT_EQ(hidden->CurrentFrame(), 1);
  EXPECT_EQ(doc.AnimationTimer->Interval(), 40);

  // A new layout starts every animation again from its first frame.
  doc.LayoutCell(nullptr, 0, 500, 300, sw, curs);
  EXPECT_EQ(painted->CurrentFrame(), 1);
  doc.AnimatedImages.clear();
  doc.Draw(nullptr, Pass, 6000, 0, 0, 0, 0);
  EXPECT_FALSE(doc.AnimationTimer->Enabled());
}

}  // namespace
