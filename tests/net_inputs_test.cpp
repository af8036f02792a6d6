#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/input_delay.h"
#include "net/limits.h"
#include "net/side_inputs.h"
#include "world/latch.h"

namespace quarvex {
namespace {

using net::SideInputs;

constexpr uint16_t kA = 1 << kKeySelect;
constexpr uint16_t kB = 1 << kKeyUp;

struct Arrival {
  uint32_t before_closing;  // arrives while this frame is the open one
  uint32_t frame;           // the frame it was meant for
  uint16_t keys;
};

// Closes frames 1..last with the inputs arriving as listed; gives the keys
// of every frame and the frames that reported a late input.
std::vector<uint16_t> close_frames(const std::vector<Arrival>& arrivals, uint32_t last,
                                   std::vector<uint32_t>* late = nullptr) {
  SideInputs inputs;
  std::vector<uint16_t> keys;
  size_t next = 0;
  for (uint32_t f = 1; f <= last; ++f) {
    while (next < arrivals.size() && arrivals[next].before_closing == f) {
      EXPECT_EQ(inputs.add(arrivals[next].frame, arrivals[next].keys, f), SideInputs::Added::kOk);
      ++next;
    }
    const auto closed = inputs.close(f);
    keys.push_back(closed.keys);
    if (late != nullptr && closed.late_frame != 0) late->push_back(f);
  }
  return keys;
}

// The presses the game counts for one key over a run of frames.
int presses_of(const std::vector<uint16_t>& frames, uint16_t key) {
  int32_t latch = kLatchUp;
  int presses = 0;
  for (uint16_t keys : frames) {
    update_key_latch((keys & key) != 0, latch);
    presses += latch == kLatchPressed;
  }
  return presses;
}

TEST(SideInputs, InputsInTimeComeOutUnchanged) {
  const std::vector<uint16_t> sent = {0, kA, kA, 0, kA, 0, 0, kA | kB, kB, 0};
  std::vector<Arrival> arrivals;
  for (uint32_t f = 1; f <= sent.size(); ++f) arrivals.push_back({1, f, sent[f - 1]});
  EXPECT_EQ(close_frames(arrivals, 10), sent);
}

TEST(SideInputs, LateInputGoesIntoTheNextOpenFrameAndSaysSo) {
  std::vector<uint32_t> late;
  // Frame 3's keys arrive while frame 5 is open.
  const auto keys = close_frames({{1, 1, 0}, {1, 2, 0}, {5, 3, kA}}, 6, &late);
  EXPECT_EQ(keys, (std::vector<uint16_t>{0, 0, 0, 0, kA, kA}));
  EXPECT_EQ(late, (std::vector<uint32_t>{5}));
}

TEST(SideInputs, APressAndReleaseBetweenTwoFramesStillCountsOnce) {
  // Down for frame 3 and up for frame 4, both arriving while frame 5 is open.
  const auto keys = close_frames({{5, 3, kA}, {5, 4, 0}}, 7);
  EXPECT_EQ(keys, (std::vector<uint16_t>{0, 0, 0, 0, kA, 0, 0}));
  EXPECT_EQ(presses_of(keys, kA), 1);
}

TEST(SideInputs, NoPressIsLostWhenManyArriveTogether) {
  // Four taps of A and one long press of B, all arriving late in one burst:
  // every press still reaches the game, and B ends held.
  std::vector<Arrival> burst;
  const std::vector<uint16_t> sent = {kA, 0, 0, kA, 0, 0, kA | kB, kB, kB, kA | kB};
  for (uint32_t f = 1; f <= sent.size(); ++f) burst.push_back({12, f, sent[f - 1]});
  const auto keys = close_frames(burst, 30);
  EXPECT_EQ(presses_of(sent, kA), 4);
  EXPECT_EQ(presses_of(keys, kA), 4);
  EXPECT_EQ(presses_of(keys, kB), 1);
  EXPECT_EQ(keys.back(), kA | kB);
  // Nothing before the burst arrived.
  EXPECT_EQ(std::vector<uint16_t>(keys.begin(), keys.begin() + 11), std::vector<uint16_t>(11, 0));
}

TEST(SideInputs, AStallsBurstOfHeldKeysShowsWhatItsInputsShowOneByOne) {
  // Three seconds of inputs (B held from frame 40, a tap of A at 70) arrive
  // at once while frame 101 is open, and again each in time.
  std::vector<uint16_t> sent;
  for (uint32_t f = 1; f <= 100; ++f) sent.push_back((f >= 40 ? kB : 0) | (f == 70 ? kA : 0));
  std::vector<Arrival> burst;
  std::vector<Arrival> in_time;
  for (uint32_t f = 1; f <= sent.size(); ++f) {
    burst.push_back({101, f, sent[f - 1]});
    in_time.push_back({f, f, sent[f - 1]});
  }
  const auto late_keys = close_frames(burst, 110);
  EXPECT_EQ(presses_of(late_keys, kA), 1);
  EXPECT_EQ(presses_of(late_keys, kB), 1);
  EXPECT_EQ(late_keys.back(), kB);
  EXPECT_EQ(close_frames(in_time, 100), sent);
}

TEST(SideInputs, AFrameWithoutInputRepeatsTheLastKeys) {
  EXPECT_EQ(close_frames({{1, 2, kA}}, 5), (std::vector<uint16_t>{0, kA, kA, kA, kA}));
}

TEST(SideInputs, RefusesFramesThatDoNotRiseOrLieTooFarAhead) {
  SideInputs inputs;
  EXPECT_EQ(inputs.add(5, 0, 1), SideInputs::Added::kOk);
  EXPECT_EQ(inputs.add(5, 0, 1), SideInputs::Added::kNotAfterPrevious);
  EXPECT_EQ(inputs.add(4, 0, 1), SideInputs::Added::kNotAfterPrevious);
  EXPECT_EQ(inputs.add(1 + SideInputs::kMaxAhead + 1, 0, 1), SideInputs::Added::kTooFarAhead);
  EXPECT_EQ(inputs.add(1 + SideInputs::kMaxAhead, 0, 1), SideInputs::Added::kOk);
  // Late inputs are bounded by the queue, not by the frame, when their keys
  // change every frame; held keys take one place however many arrive.
  SideInputs full;
  for (uint32_t f = 1; f <= SideInputs::kCapacity; ++f) {
    ASSERT_EQ(full.add(f, f % 2 ? kA : 0, 1000), SideInputs::Added::kOk);
  }
  EXPECT_EQ(full.add(SideInputs::kCapacity + 1, kB, 1000), SideInputs::Added::kFull);
  SideInputs held;
  for (uint32_t f = 1; f <= 4 * SideInputs::kCapacity; ++f) {
    ASSERT_EQ(held.add(f, f < 100 ? 0 : kB, 5000), SideInputs::Added::kOk);
  }
  EXPECT_LE(held.waiting(), 4u);
}

TEST(InputDelay, FollowsTheSlowestRoundTripAndOnlyRises) {
  struct Case {
    int32_t round_trip_ms;
    int32_t frame_ms;
    int frames;
  };
  for (const Case& c : std::vector<Case>{{0, 30, 2},
                                         {1, 30, 2},
                                         {50, 30, 2},
                                         {51, 30, 3},
                                         {100, 30, 4},
                                         {130, 30, 5},
                                         {160, 30, 6},
                                         {230, 30, 8},
                                         {5000, 30, 8},
                                         {-3, 30, 2},
                                         {1, 2, 6}}) {
    SCOPED_TRACE(c.round_trip_ms);
    EXPECT_EQ(net::delay_for_round_trip(c.round_trip_ms, c.frame_ms), c.frames);
  }
  net::InputDelay delay(30);
  delay.add_round_trip(100);
  EXPECT_EQ(delay.frames(), 4);
  delay.add_round_trip(10);
  EXPECT_EQ(delay.frames(), 4);  // a faster trip never lowers it
  delay.add_round_trip(160);
  EXPECT_EQ(delay.frames(), 6);
  EXPECT_EQ(delay.slowest_round_trip(), 160);
}

TEST(InputDelay, ALateInputRaisesItOncePerRise) {
  net::InputDelay delay(30);
  ASSERT_EQ(delay.frames(), 2);
  delay.late(10, 12);  // late: rise to 3; inputs up to 12 went out at 2
  EXPECT_EQ(delay.frames(), 3);
  delay.late(11, 13);  // sent before the rise: answered already
  delay.late(12, 13);
  EXPECT_EQ(delay.frames(), 3);
  delay.late(14, 17);  // sent after the rise, still late
  EXPECT_EQ(delay.frames(), 4);
  for (uint32_t f = 20; f < 200; f += 10) delay.late(f, f + 5);
  EXPECT_EQ(delay.frames(), net::InputDelay::kHighest);
}

TEST(ServerLimits, MessageRateAllowsBurstsAndRefills) {
  net::MessageRate rate(10, 20, 0);
  EXPECT_TRUE(rate.take(20, 0));
  EXPECT_FALSE(rate.take(1, 0));
  EXPECT_FALSE(rate.take(2, 150));  // 1.5 messages back
  EXPECT_TRUE(rate.take(1, 150));
  EXPECT_TRUE(rate.take(20, 10000));  // refilled, never beyond the burst
  EXPECT_FALSE(rate.take(1, 10000));
}

TEST(ServerLimits, AddressCountsPerMinuteAndStayBounded) {
  net::AddressCounts counts(3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(counts.allowed("10.0.0.1", i));
    counts.count("10.0.0.1", i);
  }
  EXPECT_FALSE(counts.allowed("10.0.0.1", 100));
  EXPECT_TRUE(counts.allowed("10.0.0.2", 100));
  EXPECT_TRUE(counts.allowed("10.0.0.1", 60000));  // a new minute
  // A flood of addresses fills the table; then new ones are refused until
  // a minute has passed.
  for (size_t i = 0; i < net::AddressCounts::kMaxAddresses; ++i) {
    counts.count("flood" + std::to_string(i), 70000);
  }
  EXPECT_EQ(counts.size(), net::AddressCounts::kMaxAddresses);
  EXPECT_FALSE(counts.allowed("newcomer", 70001));
  EXPECT_TRUE(counts.allowed("newcomer", 130001));
  EXPECT_LE(counts.size(), net::AddressCounts::kMaxAddresses);
}

}  // namespace
}  // namespace quarvex
