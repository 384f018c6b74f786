// Animation on a virtual millisecond clock: frame order and timing, loop counts, disposal to
// the background and to the previous picture, each frame's own picture and mask, clipping to
// the screen, the pixel budget and the memory frames take.
#include <gtest/gtest.h>

#include "images/gif_image.h"
#include "tests/images/gif_test_files.h"

namespace {

std::unique_ptr<TGIFImage> Load(const TGifWriter& W) {
  auto Image = ReadGifImage(W.Bytes.data(), W.Bytes.size());
  EXPECT_NE(Image, nullptr);
  return Image;
}

// Three 2x2 frames filling the screen with colours 1, 2 and 3, delays in hundredths.
TGifWriter ThreeFrames(int Loop, int D1, int D2, int D3) {
  TGifWriter W;
  W.Header(2, 2, 4);
  if (Loop >= 0) W.Loop(Loop);
  W.Control(1, D1).Image(0, 0, 2, 2, {1, 1, 1, 1});
  W.Control(1, D2).Image(0, 0, 2, 2, {2, 2, 2, 2});
  W.Control(1, D3).Image(0, 0, 2, 2, {3, 3, 3, 3});
  W.Trailer();
  return W;
}

// Pictures by writer colour index, -1 for a clear pixel.
std::vector<uint32_t> Picture(std::initializer_list<int> Indices) {
  std::vector<uint32_t> Out;
  for (int I : Indices) Out.push_back(I < 0 ? kGifClearPixel : WriterColor(I) | 0xFF000000u);
  return Out;
}

// Lowers the pixel budget for one test.
struct TPixelBudget {
  explicit TPixelBudget(int64_t Pixels) { SetGifMaxPixels(Pixels); }
  ~TPixelBudget() { SetGifMaxPixels(0); }
};

}  // namespace

TEST(GifAnimation, DelaysHaveAFloorOfThirtyMilliseconds) {
  struct TCase {
    bool Present;
    int Hundredths, Expected;
  } Cases[] = {{false, 0, 30}, {true, 0, 30}, {true, 1, 30}, {true, 2, 30}, {true, 3, 30}, {true, 5, 50}, {true, 100, 1000}};
  for (const auto& C : Cases) {
    TGifGraphicControl Control;
    Control.Present = C.Present;
    Control.Delay = C.Hundredths;
    EXPECT_EQ(GifFrameDelay(Control), C.Expected) << C.Hundredths;
  }
}

TEST(GifAnimation, SingleImageIsStatic) {
  TGifWriter W;
  W.Header(2, 2, 4).Image(0, 0, 2, 2, {0, 1, 2, 3}).Trailer();
  bool IsStatic = false;
  auto Image = LoadGifStream(W.Bytes.data(), W.Bytes.size(), IsStatic);
  ASSERT_NE(Image, nullptr);
  EXPECT_TRUE(IsStatic);
  EXPECT_FALSE(Image->Animated);
  EXPECT_FALSE(Image->Transparent);
  EXPECT_FALSE(Image->MaskUsed());
  EXPECT_TRUE(Image->FirstFrameMask().empty());
  EXPECT_EQ(Image->FirstFrameBitmap(), (std::vector<uint32_t>{WriterColor(0), WriterColor(1), WriterColor(2), WriterColor(3)}));
  Image->SwitchAnimation(true, 0);
  EXPECT_FALSE(Image->Tick(100000));
  EXPECT_EQ(Image->CurrentFrame(), 1);
}

TEST(GifAnimation, FramesAdvanceInOrderWhenTheirDelayHasPassed) {
  auto Image = Load(ThreeFrames(0, 10, 20, 5));
  bool IsStatic = true;
  EXPECT_NE(LoadGifStream(ThreeFrames(0, 10, 20, 5).Bytes.data(), ThreeFrames(0, 10, 20, 5).Bytes.size(), IsStatic),
            nullptr);
  EXPECT_FALSE(IsStatic);
  EXPECT_TRUE(Image->Animated);
  EXPECT_EQ(Image->PendingDisposal(), 2);
  EXPECT_FALSE(Image->Tick(1000)) << "animation starts switched off";
  Image->SwitchAnimation(true, 1000);
  EXPECT_EQ(Image->CurrentInterval(), 100);
  // (time, frame after the tick): 100 ms, then 200 ms, then 50 ms, then 100 ms again.
  const std::pair<uint32_t, int> Steps[] = {{1050, 1}, {1099, 1}, {1100, 2}, {1299, 2}, {1300, 3},
                                            {1349, 3}, {1350, 1}, {1450, 2}};
  for (const auto& [Now, Frame] : Steps) {
    Image->Tick(Now);
    EXPECT_EQ(Image->CurrentFrame(), Frame) << "at " << Now;
  }
  EXPECT_TRUE(Image->Animating());
}

TEST(GifAnimation, LoopCountStopsOnTheLastFrame) {
  for (int Loops : {1, 2, 3}) {
    auto Image = Load(ThreeFrames(Loops, 10, 10, 10));
    EXPECT_EQ(Image->LoopCount, Loops);
    Image->SwitchAnimation(true, 0);
    int Changes = 0;
    for (uint32_t T = 100; T <= 10000; T += 100) Changes += Image->Tick(T);
    EXPECT_FALSE(Image->Animating()) << Loops;
    EXPECT_EQ(Image->CurrentFrame(), 3) << Loops;
    EXPECT_EQ(Changes, 3 * Loops - 1) << Loops;
  }
  for (int Endless : {0, -1}) {  // a count of 0, and no loop block at all
    auto Image = Load(ThreeFrames(Endless, 10, 10, 10));
    EXPECT_EQ(Image->LoopCount, 0);
    Image->SwitchAnimation(true, 0);
    int Changes = 0;
    for (uint32_t T = 100; T <= 100000; T += 100) Changes += Image->Tick(T);
    EXPECT_TRUE(Image->Animating());
    EXPECT_EQ(Changes, 1000);
  }
}

TEST(GifAnimation, ClockWrapAroundStillAdvances) {
  auto Image = Load(ThreeFrames(0, 10, 10, 10));
  Image->SwitchAnimation(true, 0xFFFFFFC0u);
  EXPECT_FALSE(Image->Tick(0x10));
  EXPECT_TRUE(Image->Tick(0x24));  // 100 ms after the start, across the wrap
  EXPECT_EQ(Image->CurrentFrame(), 2);
}

TEST(GifAnimation, ShowFrameWrapsOutOfRangeNumbers) {
  auto Image = Load(ThreeFrames(0, 10, 10, 10));
  Image->ShowFrame(3);
  EXPECT_EQ(Image->CurrentFrame(), 3);
  EXPECT_EQ(Image->RenderCurrent()[0], WriterColor(3) | 0xFF000000u);
  Image->ShowFrame(7);
  EXPECT_EQ(Image->CurrentFrame(), 1);
  Image->ShowFrame(0);
  EXPECT_EQ(Image->CurrentFrame(), 3);
  Image->ShowFrame(-5);
  EXPECT_EQ(Image->CurrentFrame(), 3);
  EXPECT_EQ(Image->PendingDisposal(), 2);
}

TEST(GifAnimation, DisposalMethodsComposeTheNextFrame) {
  // Frame 1 fills the 3x1 screen with colour 1; frame 2 draws colour 2 over the middle pixel
  // with the disposal under test; frame 3 draws colour 3 on the left pixel only.
  const uint32_t C1 = WriterColor(1) | 0xFF000000u, C2 = WriterColor(2) | 0xFF000000u,
                 C3 = WriterColor(3) | 0xFF000000u;
  struct TCase {
    int Disposal;
    std::vector<uint32_t> Third;
  } Cases[] = {
      {0, {C3, C2, C1}},
      {1, {C3, C2, C1}},
      {2, {C3, kGifClearPixel, C1}},
      {3, {C3, C1, C1}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Disposal);
    TGifWriter W;
    W.Header(3, 1, 4)
        .Control(1, 10)
        .Image(0, 0, 3, 1, {1, 1, 1})
        .Control(C.Disposal, 10)
        .Image(1, 0, 1, 1, {2})
        .Control(1, 10)
        .Image(0, 0, 1, 1, {3})
        .Trailer();
    auto Image = Load(W);
    Image->SwitchAnimation(true, 0);
    EXPECT_EQ(Image->RenderCurrent(), (std::vector<uint32_t>{C1, C1, C1}));
    EXPECT_TRUE(Image->Tick(100));
    EXPECT_EQ(Image->RenderCurrent(), (std::vector<uint32_t>{C1, C2, C1}));
    // Painting again does not change the picture.
    EXPECT_EQ(Image->RenderCurrent(), (std::vector<uint32_t>{C1, C2, C1}));
    EXPECT_TRUE(Image->Tick(200));
    EXPECT_EQ(Image->RenderCurrent(), C.Third);
    EXPECT_EQ(Image->PendingDisposal(), C.Disposal);
    // Jumping straight to frame 3 composes the same picture.
    Image->ShowFrame(1);
    Image->ShowFrame(3);
    EXPECT_EQ(Image->RenderCurrent(), C.Third);
    // A new pass starts from a clear screen.
    EXPECT_TRUE(Image->Tick(300));
    EXPECT_EQ(Image->CurrentFrame(), 1);
    EXPECT_EQ(Image->RenderCurrent(), (std::vector<uint32_t>{C1, C1, C1}));
  }
}

TEST(GifAnimation, FramesKeepTheirOwnPicturesAndTheFirstFrameMask) {
  TGifWriter W;
  W.Header(3, 2, 4)
      .Control(1, 10, 0)
      .Image(0, 0, 2, 2, {0, 1, 2, 0})
      .Control(2, 10)
      .Image(1, 1, 2, 1, {3, 3})
      .Image(2, 0, 5, 5, std::vector<uint8_t>(25, 1))  // larger than the screen: cut
      .Trailer();
  auto Image = Load(W);
  ASSERT_EQ(Image->FrameCount, 3);
  EXPECT_TRUE(Image->Transparent);
  EXPECT_TRUE(Image->MaskUsed());
  // Each frame alone at its place; the transparent index of frame 1 leaves its pixels clear.
  EXPECT_EQ(Image->FramePicture(1), Picture({-1, 1, -1, 2, -1, -1}));
  EXPECT_EQ(Image->FramePicture(2), Picture({-1, -1, -1, -1, 3, 3}));
  EXPECT_EQ(Image->FramePicture(3), Picture({-1, -1, 1, -1, -1, 1}));
  // The first frame from the top-left, its transparent index in its colour, with the mask.
  EXPECT_EQ(Image->FirstFrameBitmap(), (std::vector<uint32_t>{WriterColor(0), WriterColor(1), 0, WriterColor(2),
                                                              WriterColor(0), 0}));
  EXPECT_EQ(Image->FirstFrameMask(), (std::vector<uint8_t>{1, 0, 0, 0, 1, 0}));
  const TgfFrame& F2 = Image->Frame(2);
  EXPECT_EQ(F2.Disposal, 2);
  EXPECT_EQ(F2.Left, 1);
  EXPECT_EQ(F2.Top, 1);
  EXPECT_EQ(F2.Width, 2);
  EXPECT_EQ(F2.Delay, 100);
  EXPECT_EQ(Image->Frame(3).Disposal, 0);
  EXPECT_EQ(Image->Frame(3).Delay, 30);
  EXPECT_EQ(Image->RenderCurrent(), Image->FramePicture(1));
  Image->ShowFrame(3);
  EXPECT_EQ(Image->RenderCurrent(), Picture({-1, 1, 1, 2, -1, 1})) << "frame 2 was disposed to the background";
}

TEST(GifAnimation, FramesBeyondTheScreenAreClipped) {
  // A 3x2 screen and one frame; row R of the frame has colour R + 1.
  struct TCase {
    int Left, Top, W, H;
    bool Interlaced;
    std::vector<uint32_t> Expected;
  } Cases[] = {
      {0, 0, 5, 9, false, Picture({1, 1, 1, 2, 2, 2})},
      {0, 0, 4, 9, true, Picture({1, 1, 1, 2, 2, 2})},
      {2, 1, 4, 4, false, Picture({-1, -1, -1, -1, -1, 1})},
      {1, 0, 2, 20, true, Picture({-1, 1, 1, -1, 2, 2})},
      {3, 0, 2, 2, false, Picture({-1, -1, -1, -1, -1, -1})},
      {0, 2, 2, 2, false, Picture({-1, -1, -1, -1, -1, -1})},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Left << "," << C.Top << " " << C.W << "x" << C.H << " " << C.Interlaced);
    std::vector<uint8_t> Rows;
    for (int Y = 0; Y < C.H; ++Y) Rows.insert(Rows.end(), size_t(C.W), uint8_t(Y + 1));
    TGifWriter W;
    W.Header(3, 2, 32).Image(C.Left, C.Top, C.W, C.H, Rows, C.Interlaced, 0, 8, true).Trailer();
    auto Image = Load(W);
    EXPECT_EQ(Image->RenderCurrent(), C.Expected);
  }
}

TEST(GifAnimation, DisposalsComposeAcrossManyFrames) {
  // A 4x1 screen; (disposal, left, width, indices, transparent index, picture shown).
  struct TStep {
    int Disposal, Left;
    std::vector<uint8_t> Indices;
    int TransparentIndex;
    std::vector<uint32_t> Shown;
  } Steps[] = {
      {1, 0, {1, 1, 1, 1}, -1, Picture({1, 1, 1, 1})},
      {3, 0, {2}, -1, Picture({2, 1, 1, 1})},
      {2, 1, {3}, -1, Picture({1, 3, 1, 1})},
      {3, 2, {4, 4}, -1, Picture({1, -1, 4, 4})},
      {2, 3, {5}, -1, Picture({1, -1, 1, 5})},
      {3, 0, {7, 6}, 7, Picture({1, 6, 1, -1})},
      {2, 2, {9, 9}, 9, Picture({1, -1, 1, -1})},
      {1, 0, {8}, -1, Picture({8, -1, -1, -1})},
  };
  TGifWriter W;
  W.Header(4, 1, 16);
  for (const auto& S : Steps)
    W.Control(S.Disposal, 10, S.TransparentIndex).Image(S.Left, 0, int(S.Indices.size()), 1, S.Indices);
  auto Image = Load(W.Trailer());
  const int Count = int(std::size(Steps));
  Image->SwitchAnimation(true, 0);
  for (int Pass = 0; Pass < 2; ++Pass)
    for (int N = 1; N <= Count; ++N) {
      SCOPED_TRACE(testing::Message() << "pass " << Pass << " frame " << N);
      EXPECT_EQ(Image->CurrentFrame(), N);
      EXPECT_EQ(Image->RenderCurrent(), Steps[N - 1].Shown);
      EXPECT_TRUE(Image->Tick(uint32_t(100 * (Pass * Count + N))));
    }
  for (int N = Count; N >= 1; --N) {
    Image->ShowFrame(N);
    EXPECT_EQ(Image->RenderCurrent(), Steps[N - 1].Shown) << "shown backwards: frame " << N;
  }
}

TEST(GifAnimation, ThePixelBudgetBoundsOneFrameAndAllFramesTogether) {
  TPixelBudget Budget(100);
  // (screen, frame sizes, how many frames, loads): a frame or the screen may take 100 pixels,
  // all frames together 1,600.
  struct TCase {
    int ScreenW, FrameW, Frames;
    bool Loads;
  } Cases[] = {
      {10, 10, 16, true},   // 1,600 pixels in frames of 100
      {10, 10, 17, false},  // 1,700 together
      {10, 11, 1, false},   // one frame of 110
      {11, 5, 2, false},    // a screen of 110
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.ScreenW << " " << C.FrameW << " " << C.Frames);
    TGifWriter W;
    W.Header(C.ScreenW, 10, 256);
    for (int F = 0; F < C.Frames; ++F)
      W.Control(1, 10).Image(0, 0, C.FrameW, 10, std::vector<uint8_t>(size_t(C.FrameW) * 10, uint8_t(F + 1)), false,
                              0, 8, true);
    W.Trailer();
    bool IsStatic = false;
    auto Image = LoadGifStream(W.Bytes.data(), W.Bytes.size(), IsStatic);
    ASSERT_EQ(Image != nullptr, C.Loads);
    if (!Image) continue;
    Image->SwitchAnimation(true, 0);
    for (int F = 1; F <= C.Frames; ++F) {
      EXPECT_EQ(Image->RenderCurrent()[99], WriterColor(F) | 0xFF000000u) << F;
      Image->Tick(uint32_t(100 * F));
    }
  }
}

namespace {

// Frames of Side x Side pixels, frame F all of colour index F, 100 ms each.
TGifWriter FlatFrames(int Side, int Frames) {
  TGifWriter W;
  W.Header(Side, Side, 256);
  for (int F = 0; F < Frames; ++F)
    W.Control(1, 10).Image(0, 0, Side, Side, std::vector<uint8_t>(Side * Side, uint8_t(F)), false, 0, 8, true);
  W.Trailer();
  return W;
}

}  // namespace

TEST(GifAnimation, FramesHoldTheirCompressedDataNotOnePictureEach) {
  // 60 frames of 64x64, each one flat colour: a few hundred bytes of file per frame.
  constexpr int Side = 64, Frames = 60;
  const TGifWriter W = FlatFrames(Side, Frames);
  auto Image = Load(W);
  Image->SwitchAnimation(true, 0);
  for (int F = 1; F <= Frames; ++F) {
    EXPECT_EQ(Image->RenderCurrent()[Side * Side - 1], WriterColor(F - 1) | 0xFF000000u);
    Image->Tick(uint32_t(100 * F));
  }
  // The file, the composed screen (4 bytes a pixel) and one decoded frame (1 byte a pixel),
  // where a picture per frame would take 60 times the screen.
  EXPECT_LT(Image->MemoryBytes(), W.Bytes.size() + 6 * Side * Side + 100 * Frames);
  EXPECT_GT(size_t(Frames) * Side * Side, 4 * (W.Bytes.size() + 6 * Side * Side + 100 * Frames));
}

TEST(GifAnimation, ClonesShareTheFramesAndKeepTheirOwnAnimation) {
  // 40 frames of 32x32: the frames outweigh what one use of the picture keeps for itself.
  constexpr int Side = 32, Frames = 40;
  const TGifWriter W = FlatFrames(Side, Frames);
  auto Image = Load(W);
  auto Copy = Image->Clone();
  EXPECT_TRUE(Copy->SharesFramesWith(*Image));
  EXPECT_FALSE(Load(W)->SharesFramesWith(*Image));  // read again: frames of its own

  Copy->SwitchAnimation(true, 0);
  Copy->Tick(100);
  Copy->Tick(200);
  EXPECT_EQ(Copy->CurrentFrame(), 3);
  EXPECT_EQ(Image->CurrentFrame(), 1);
  EXPECT_EQ(Copy->RenderCurrent()[0], WriterColor(2) | 0xFF000000u);
  EXPECT_EQ(Image->RenderCurrent()[0], WriterColor(0) | 0xFF000000u);
  // A thousand uses cost a thousand animation states, not a thousand copies of the frames.
  EXPECT_GT(Image->FrameStoreBytes(), W.Bytes.size() / 2);
  EXPECT_LT(Copy->MemoryBytes() - Copy->FrameStoreBytes(), 6 * Side * Side + 512);
}

TEST(GifAnimation, InvisibleImageShowsOnlyTheComposite) {
  auto Image = Load(ThreeFrames(0, 10, 10, 10));
  Image->Visible = false;
  EXPECT_EQ(Image->RenderCurrent()[0], kGifClearPixel);
}

TEST(GifAnimation, LoadGifFileReadsFilesAndRejectsMissingOnes) {
  bool IsStatic = false;
  auto Image = LoadGifFile(GifDataDir() + "pygif-test-suite/dispose-restore-previous.gif", IsStatic);
  ASSERT_NE(Image, nullptr);
  EXPECT_FALSE(IsStatic);
  EXPECT_EQ(Image->FrameCount, 5);
  EXPECT_EQ(LoadGifFile(GifDataDir() + "no-such-file.gif", IsStatic), nullptr);
}

TEST(GifAnimation, ZeroSizedFramesDrawNothing) {
  for (auto [W, H] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{0, 0}}) {
    TGifWriter Writer;
    Writer.Header(2, 2, 4).Control(1, 10).Image(0, 0, 2, 2, {1, 1, 1, 1}).Control(1, 10);
    Writer.Raw({0x2C, 0, 0, 0, 0, uint8_t(W), 0, uint8_t(H), 0, 0, 2, 2, 0x4C, 0x01, 0}).Trailer();
    auto Image = Load(Writer);
    ASSERT_EQ(Image->FrameCount, 2);
    Image->ShowFrame(2);
    EXPECT_EQ(Image->RenderCurrent(), std::vector<uint32_t>(4, WriterColor(1) | 0xFF000000u)) << W << "x" << H;
  }
}
