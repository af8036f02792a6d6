#include <gtest/gtest.h>

#include <vector>

#include "world/latch.h"

namespace quarvex {
namespace {

std::vector<int32_t> latch_sequence(const std::vector<bool>& samples) {
  int32_t latch = kLatchUp;
  std::vector<int32_t> seen;
  for (bool down : samples) {
    update_key_latch(down, latch);
    seen.push_back(latch);
  }
  return seen;
}

TEST(KeyLatch, HoldThenRelease) {
  EXPECT_EQ(latch_sequence({true, true, true, false, false}),
            (std::vector<int32_t>{1, 3, 3, 2, 0}));
}

TEST(KeyLatch, PressAgainRightAfterReleaseIsNotANewPress) {
  EXPECT_EQ(latch_sequence({true, false, true, false}), (std::vector<int32_t>{1, 2, 3, 2}));
}

TEST(KeyLatch, DownIsTrueInTheReleaseFrameAndLatchesAdvanceTogether) {
  CommandState c{};
  std::array<bool, kKeyCount> keys{};
  keys[kKeySelect] = true;
  keys[kKeyFast] = true;
  update_key_latches(c, keys);
  EXPECT_TRUE(pressed(c, kKeySelect));
  EXPECT_TRUE(pressed(c, kKeyFast));
  EXPECT_FALSE(down(c, kKeyUp));
  keys.fill(false);
  update_key_latches(c, keys);
  EXPECT_FALSE(pressed(c, kKeySelect));
  EXPECT_TRUE(down(c, kKeySelect));  // released this frame still counts as down
  update_key_latches(c, keys);
  EXPECT_FALSE(down(c, kKeySelect));
}

}  // namespace
}  // namespace quarvex
