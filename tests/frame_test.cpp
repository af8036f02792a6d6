#include <gtest/gtest.h>

#include "app/frame.h"
#include "test_files.h"
#include "test_host.h"

namespace quarvex {
namespace {

TEST(Frame, CounterCyclesAndAStageLoadResetsItBeforeTheFrameRuns) {
  World w{};
  init_world(w);
  testing::TempDir dir;
  testing::TestHost host;
  host.data_directory = dir.path();
  for (int i = 0; i < 999; ++i) frame_tick(w, host);
  EXPECT_EQ(w.frame_counter, 999);
  frame_tick(w, host);
  EXPECT_EQ(w.frame_counter, 0);
  for (int i = 0; i < 10; ++i) frame_tick(w, host);
  w.reload_requested = 1;
  frame_tick(w, host);
  EXPECT_EQ(w.frame_counter, 1);
  EXPECT_EQ(w.reload_requested, 0);
  // No map1.aod here; the load runs before the frame samples its keys. With
  // no headquarters anywhere the same frame ends with both outcomes.
  EXPECT_EQ(host.message_frames, (std::vector<int64_t>{1010, 1011, 1011}));
  EXPECT_EQ(host.messages[1], "GAME OVER");
  EXPECT_EQ(host.messages[2], "COMPLETE");
}

TEST(Frame, FramesPerSecondCountsUntilTheSecondChanges) {
  World w{};
  init_world(w);
  testing::TestHost host;
  host.seconds = 1000;
  count_frames_per_second(w, host);  // the first frame sees a new second
  EXPECT_EQ(w.frames_last_second, 1);
  EXPECT_EQ(w.frames_this_second, 0);
  for (int i = 0; i < 33; ++i) count_frames_per_second(w, host);
  EXPECT_EQ(w.frames_this_second, 33);
  host.seconds = 1001;
  count_frames_per_second(w, host);
  EXPECT_EQ(w.frames_last_second, 34);
  EXPECT_EQ(w.frames_this_second, 0);
  EXPECT_EQ(w.last_second, 1001);
}

// A clock that wraps like a 32-bit millisecond counter and moves on by a
// millisecond between reads, as a spinning wait sees it.
struct WrappingClockHost : testing::TestHost {
  uint32_t ticks = 0;
  int32_t clock_ms() override { return static_cast<int32_t>(ticks++); }
  void sleep_ms(int32_t ms) override { ticks += static_cast<uint32_t>(ms); }
};

TEST(Frame, PacingWaitsThirtyMillisecondsFromTheLastPacing) {
  World w{};
  init_world(w);
  WrappingClockHost host;
  host.ticks = 100;  // the first pacing (last_frame_ms 0) ends at once
  pace_frame(w, host);
  EXPECT_EQ(w.last_frame_ms, 100);
  host.ticks = 110;
  pace_frame(w, host);
  EXPECT_EQ(w.last_frame_ms, 130);
  const int32_t before = w.last_frame_ms;
  host.ticks = static_cast<uint32_t>(before + 45);  // a slow frame: no wait at all
  pace_frame(w, host);
  EXPECT_EQ(w.last_frame_ms, before + 45);
  host.ticks = 20;  // the clock went backwards
  pace_frame(w, host);
  EXPECT_EQ(w.last_frame_ms, 20);
  // Near the wrap the deadline lies past the largest value; the wrapped clock ends the wait.
  host.ticks = 0x7FFFFFF0u;
  w.last_frame_ms = 0x7FFFFFF0;
  pace_frame(w, host);
  EXPECT_LT(w.last_frame_ms, 0);
}

// A clock read in tenths of a millisecond, as time passes between reads: a
// whole-millisecond sleep takes a tenth more than asked, a nap a tenth.
struct FineClockHost : testing::TestHost {
  int64_t tenths = 0;
  int sleeps = 0;
  int naps = 0;
  int32_t clock_ms() override { return static_cast<int32_t>(tenths / 10); }
  void sleep_ms(int32_t ms) override {
    ++sleeps;
    tenths += 10 * ms + 1;
  }
  void nap() override {
    ++naps;
    tenths += 1;
  }
};

TEST(Frame, PacingSleepsMostOfTheWaitAndNapsThroughTheLastMillisecond) {
  World w{};
  init_world(w);
  FineClockHost host;
  host.tenths = 1000;
  w.last_frame_ms = 100;
  pace_frame(w, host);
  EXPECT_EQ(w.last_frame_ms, 130);
  EXPECT_EQ(host.tenths, 1300);  // not a tenth past the deadline
  EXPECT_EQ(host.sleeps, 1);     // 29 ms in one sleep, not one at a time
  EXPECT_EQ(host.naps, 9);
}

}  // namespace
}  // namespace quarvex
