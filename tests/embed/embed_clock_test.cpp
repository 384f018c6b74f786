// Time in the embedded mode is the real clock: the host arms its timer for what the
// library says and nothing fires before it is due.
#include <chrono>
#include <thread>

#include "embed_fixture.h"
#include "images/gif_test_files.h"
#include "toolkit/windows/window.h"

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsSince(Clock::time_point Start) {
  return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start).count());
}

// Two frames of 16 x 16 pixels, a tenth of a second each, looping.
std::vector<uint8_t> TwoFrameGif() {
  TGifWriter gif;
  gif.Header(16, 16, 2).Loop(0);
  gif.Control(1, 10).Image(0, 0, 16, 16, std::vector<uint8_t>(256, 0));
  gif.Control(1, 10).Image(0, 0, 16, 16, std::vector<uint8_t>(256, 1));
  return gif.Trailer().Bytes;
}

}  // namespace

TEST_F(EmbedHost, TimersFireWhenDueAndNotBefore) {
  HWND host = ShowPage("<p>timer");
  EXPECT_EQ(QjxEmbedTimeout(), -1);  // nothing waits without timers or input
  const auto start = Clock::now();
  ASSERT_NE(SetTimer(host, 7, 120), 0u);
  const int timeout = QjxEmbedTimeout();
  EXPECT_GT(timeout, 60);
  EXPECT_LE(timeout, 120);
  QjxEmbedDispatch();
  std::this_thread::sleep_for(std::chrono::milliseconds(timeout / 2));
  QjxEmbedDispatch();
  EXPECT_EQ(Timers, 0) << "a timer fired early";
  std::this_thread::sleep_for(std::chrono::milliseconds(std::max(QjxEmbedTimeout(), 0)));
  QjxEmbedDispatch();
  EXPECT_EQ(Timers, 1);
  // The library's clock counts whole milliseconds: a timer set late in one is due a
  // fraction of a millisecond early by a finer clock.
  EXPECT_GE(MillisecondsSince(start), 119);
  KillTimer(host, 7);
}

TEST_F(EmbedHost, AnimationsAdvanceWithTheRealClockAndDamageTheirImage) {
  ImageData = TwoFrameGif();
  // The first frame shows no earlier than now, so the second is not due before 100 ms.
  const auto start = Clock::now();
  HWND host = ShowPage("<img src=anim.gif width=16 height=16>");
  const TPixelsCopy first = Pixels(host);
  const int timeout = QjxEmbedTimeout();
  ASSERT_GT(timeout, 0) << "the animation waits for its next frame";
  ASSERT_LE(timeout, 100);
  TPixelsCopy second = first;
  while (ChangedBounds(first, second).Right == 0 && MillisecondsSince(start) < 2000) {
    RunFor(5);
    second = Pixels(host);
  }
  EXPECT_GE(MillisecondsSince(start), 99) << "a frame came early";  // whole milliseconds
  const TQjxRect changed = ChangedBounds(first, second);
  EXPECT_EQ(changed.Right - changed.Left, 16);
  EXPECT_EQ(changed.Bottom - changed.Top, 16);
  const TQjxRect damage = TakeDamage();
  EXPECT_TRUE(Covers(damage, changed));
  // Little more than the image: its frame may be repainted with the line it stands on.
  EXPECT_LE((damage.Right - damage.Left) * (damage.Bottom - damage.Top), 4 * 32 * 32);
}
