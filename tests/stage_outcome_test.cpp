#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle_world.h"
#include "sim/sim.h"
#include "test_host.h"
#include "world/humans.h"
#include "world/tables.h"

namespace quarvex {
namespace {

using testing::TestHost;

class StageOutcome : public ::testing::Test {
 protected:
  void SetUp() override { testing::reset_for_battle(w); }
  World w{};
  TestHost host;
};

TEST_F(StageOutcome, LossIsToldBeforeTheWinInTheSameFrame) {
  // No headquarters anywhere: both verdicts fall in the first frame.
  frame_tick(w, host);
  ASSERT_EQ(host.messages, (std::vector<std::string>{"GAME OVER", "COMPLETE"}));
  EXPECT_EQ(host.message_frames, (std::vector<int64_t>{1, 1}));
  EXPECT_EQ(w.game_phase, 2);
  // Judged once; the game goes on.
  frame_tick(w, host);
  EXPECT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(w.frame_counter, 2);
}

TEST_F(StageOutcome, EachVerdictOnItsOwn) {
  struct Case {
    int8_t player_side;
    std::array<int8_t, kSides> present;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {0, {1, 0, 0, 0}, {"COMPLETE"}},
      {2, {1, 1, 0, 1}, {"GAME OVER"}},
      {3, {0, 1, 0, 1}, {}},
      {1, {1, 1, 1, 1}, {}},
      {1, {0, 0, 0, 0}, {"GAME OVER", "COMPLETE"}},
  };
  for (const Case& c : cases) {
    testing::reset_for_battle(w);
    host.messages.clear();
    w.player_side = c.player_side;
    w.side_present = c.present;
    end_of_frame(w, host);
    EXPECT_EQ(host.messages, c.expected) << int{c.player_side};
    EXPECT_EQ(w.game_phase, c.expected.empty() ? 1 : 2);
  }
}

TEST_F(StageOutcome, NoJudgementOutsideThePlayingPhase) {
  w.side_present = {0, 0, 0, 0};
  for (const int8_t phase : {int8_t{0}, int8_t{2}}) {
    w.game_phase = phase;
    end_of_frame(w, host);
  }
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(StageOutcome, InformationBoxOncePerPressWithTheGivenText) {
  w.game_phase = 0;  // shown in the title menu as well
  w.frames_last_second = 33;
  w.last_second = static_cast<int32_t>(host.seconds);  // no new second while the key is down
  player_state(w).cursor_x = 1.5f;
  player_state(w).cursor_y = -2.25f;
  player_state(w).selected_unit =
      spawn_unit(w, 0, 0, kGroundZ, kDegree, 0, kTypeResidence, 1);  // a residence never turns
  host.hold(kKeyInfo, 1, 3);
  for (int frame = 0; frame < 3; ++frame) frame_tick(w, host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0],
            " quarvex\n version 0.40\n by ostrel-vek\n FPS : 33 / LOOP : 33 \n"
            " X=1.500000 Y=-2.250000 RZ=1.000000 \n");
  EXPECT_EQ(host.message_frames[0], 1);
}

TEST_F(StageOutcome, InformationBoxWithoutSelectionReadsHeadingZero) {
  w.game_phase = 0;
  player_state(w).key_latches[kKeyInfo] = kLatchPressed;
  player_state(w).selected_unit = 4000;  // not a slot: reads the sentinel
  end_of_frame(w, host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("RZ=0.000000"), std::string::npos);
}

TEST_F(StageOutcome, SelectionCleanUpAndMarkMarkers) {
  const int16_t unit = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
  const int16_t marked = spawn_unit(w, 30, 0, kGroundZ, 0, 0, 43, 2);
  player_state(w).selected_unit = unit;
  player_state(w).target_unit = marked;
  player_state(w).command_mode = 2;
  end_of_frame(w, host);
  EXPECT_EQ(player_state(w).command_mode, 2);
  EXPECT_EQ(player_state(w).target_unit, marked);
  for (const Particle& p : w.particles) EXPECT_EQ(p.life, 0);  // no marks under direct control

  w.units[unit].type = -1;
  w.units[marked].type = -1;
  end_of_frame(w, host);
  EXPECT_EQ(player_state(w).command_mode, 0);
  EXPECT_EQ(player_state(w).target_unit, 0);
  EXPECT_EQ(w.particles[0].life, 2);  // the marked point
  EXPECT_EQ(w.particles[1].life, 0);  // no marked unit any more
}

// With humans on sides 0, 1 and 3: each hears of its own loss once, and the
// game goes on until one side or no human is left.
TEST_F(StageOutcome, SeveralHumansHearTheirOwnVerdicts) {
  struct Step {
    std::array<int8_t, kSides> present;
    std::vector<std::string> messages;
    std::vector<int> sides;
    int8_t phase;
  };
  const std::vector<std::vector<Step>> games = {
      {{{1, 1, 1, 1}, {}, {}, 1},
       {{1, 0, 1, 1}, {"GAME OVER"}, {1}, 1},
       {{1, 0, 1, 1}, {}, {}, 1},                               // told once
       {{0, 0, 1, 0}, {"GAME OVER", "GAME OVER"}, {0, 3}, 2}},  // only the computer is left
      {{{0, 1, 0, 1}, {"GAME OVER"}, {0}, 1},
       {{0, 1, 0, 0}, {"GAME OVER", "COMPLETE"}, {3, 1}, 2},
       {{0, 0, 0, 0}, {}, {}, 2}},  // decided: judged no more
  };
  for (const std::vector<Step>& game : games) {
    testing::reset_for_battle(w);
    set_human_sides(w, side_bit(0) | side_bit(1) | side_bit(3));
    for (const Step& step : game) {
      host.messages.clear();
      host.message_sides.clear();
      w.side_present = step.present;
      end_of_frame(w, host);
      EXPECT_EQ(host.messages, step.messages);
      EXPECT_EQ(host.message_sides, step.sides);
      EXPECT_EQ(w.game_phase, step.phase);
    }
  }
  // A game of one player keeps its own messages, for every player.
  testing::reset_for_battle(w);
  host.message_sides.clear();
  w.side_present = {1, 0, 0, 0};
  end_of_frame(w, host);
  EXPECT_EQ(host.message_sides, std::vector<int>{-1});
}

}  // namespace
}  // namespace quarvex
