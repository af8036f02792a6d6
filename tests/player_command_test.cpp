#include <gtest/gtest.h>

#include "sim/sim.h"
#include "sim_fixture.h"
#include "test_host.h"
#include "world/humans.h"
#include "world/tables.h"

namespace quarvex {
namespace {

using testing::SimTest;
using testing::TestHost;

class PlayerCommand : public SimTest {
 protected:
  void command(std::initializer_list<Key> keys) {
    latch_keys(keys);
    player_command(w);
  }
  // A press, then two frames up: a key that goes down again right after its
  // release frame is not a new press.
  void tap(Key k) {
    command({k});
    command({});
    command({});
  }
};

TEST_F(PlayerCommand, TitleMenuCyclesStagesAndMirrorsTheSideRow) {
  w.game_phase = 0;
  w.stage_number = 3;
  command({kKeyRight});
  EXPECT_EQ(w.stage_number, 1);
  command({});
  command({kKeyLeft});
  EXPECT_EQ(w.stage_number, 3);
  command({});
  // Up on the first row stays there; down twice stops at the side row.
  command({kKeyUp});
  EXPECT_EQ(w.title_row, 0);
  command({});
  tap(kKeyDown);
  tap(kKeyDown);
  EXPECT_EQ(w.title_row, 1);
  command({});
  // On the side row right steps back: side 0 becomes 3; left steps forward.
  command({kKeyRight});
  EXPECT_EQ(w.player_side, 3);
  EXPECT_EQ(w.stage_number, 3);
  command({});
  command({kKeyLeft});
  EXPECT_EQ(w.player_side, 0);
  EXPECT_EQ(w.reload_requested, 0);
  command({kKeySelect});
  EXPECT_EQ(w.reload_requested, 1);
}

TEST_F(PlayerCommand, HeldKeyAdvancesOnlyOnItsPressFrame) {
  w.game_phase = 0;
  command({kKeyRight});
  command({kKeyRight});
  command({kKeyRight});
  EXPECT_EQ(w.stage_number, 2);
}

TEST_F(PlayerCommand, CursorMovesOneFrameLongerThanTheKeyIsHeld) {
  TestHost host;
  host.hold(kKeyUp, 1, 4);
  for (int f = 0; f < 8; ++f) frame_tick(w, host);
  EXPECT_FLOAT_EQ(player_state(w).cursor_y, 1.5f * 5);
  EXPECT_EQ(player_state(w).cursor_x, 0.0f);
  EXPECT_EQ(player_state(w).camera_y, player_state(w).cursor_y);

  host.hold(kKeyLeft, 9, 10);
  host.hold(kKeyFast, 9, 10);
  for (int f = 0; f < 4; ++f) frame_tick(w, host);
  EXPECT_FLOAT_EQ(player_state(w).cursor_x, -4.5f * 3);
}

TEST_F(PlayerCommand, CursorStopsAtTheMapCorner) {
  player_state(w).cursor_x = 498;
  player_state(w).cursor_y = -499;
  command({kKeyRight, kKeyDown, kKeyFast});
  EXPECT_EQ(player_state(w).cursor_x, 500.0f);
  EXPECT_EQ(player_state(w).cursor_y, -500.0f);
  command({kKeyRight, kKeyDown, kKeyFast});
  EXPECT_EQ(player_state(w).cursor_x, 500.0f);
  EXPECT_EQ(player_state(w).cursor_y, -500.0f);
  // Opposite keys cancel.
  command({kKeyUp, kKeyDown, kKeyLeft, kKeyRight});
  EXPECT_EQ(player_state(w).cursor_x, 500.0f);
  EXPECT_EQ(player_state(w).cursor_y, -500.0f);
}

TEST_F(PlayerCommand, SelectionTakesTheNearestOwnTopLevelUnitAndTheLowerSlotOnATie) {
  w.player_side = 1;
  const int16_t enemy = spawn(2, 1, 1, 0);            // closer, but another side
  const int16_t hull = spawn(2, 2, 30, 0);            // its turret sits on top of it
  spawn(3, 2, 0, 0, 0, hull);                         // a mounted unit is never selected
  const int16_t first = spawn(16, 2, 10.4f, 5.9f);    // differences 10 and 5.5: 12.5
  const int16_t second = spawn(16, 2, -4.8f, -9.9f);  // 5.2 and 10.3: also 12.5
  ASSERT_LT(first, second);
  player_state(w).cursor_x = 0.4f;  // differences are truncated to whole units
  player_state(w).cursor_y = 0.4f;
  command({kKeySelect});
  EXPECT_EQ(player_state(w).selected_unit, first);
  EXPECT_EQ(player_state(w).command_mode, 1);
  EXPECT_NE(player_state(w).selected_unit, enemy);
}

TEST_F(PlayerCommand, SelectionWithNoOwnUnitOpensTheMenuOnNothing) {
  spawn(2, 3, 0, 0);
  spawn(2, 1, 999, 0);  // own side, but 999 away counts as none
  w.units[2].x = 500;
  player_state(w).cursor_x = -499;
  command({kKeySelect});
  EXPECT_EQ(player_state(w).selected_unit, 0);
  EXPECT_EQ(player_state(w).command_mode, 1);
  camera_follow(w);
  EXPECT_EQ(player_state(w).cursor_x, 0.0f);
  EXPECT_EQ(player_state(w).cursor_y, 0.0f);
}

TEST_F(PlayerCommand, MarkTakesTheTruncatedCursor) {
  player_state(w).cursor_x = -12.9f;
  player_state(w).cursor_y = 7.6f;
  command({kKeyMark});
  EXPECT_EQ(player_state(w).mark_x, -12);
  EXPECT_EQ(player_state(w).mark_y, 7);
  EXPECT_EQ(player_state(w).command_mode, 0);
}

TEST_F(PlayerCommand, OrderMenuOffersTheBuildItemOnlyToFactories) {
  const int16_t tank = spawn(2, 1);
  player_state(w).selected_unit = tank;
  player_state(w).command_mode = 1;
  for (int i = 0; i < 7; ++i) {
    tap(kKeyRight);
  }
  EXPECT_EQ(player_state(w).order_item, 4);
  for (int i = 0; i < 7; ++i) {
    tap(kKeyLeft);
  }
  EXPECT_EQ(player_state(w).order_item, 0);

  const int16_t factory = spawn(49, 1);
  player_state(w).selected_unit = factory;
  for (int i = 0; i < 7; ++i) {
    tap(kKeyRight);
  }
  EXPECT_EQ(player_state(w).order_item, 5);
  // The production list runs 0..11 on keypad 8 and 5.
  for (int i = 0; i < 14; ++i) {
    tap(kKeyUp);
  }
  EXPECT_EQ(player_state(w).build_item, 11);
  command({kKeyDown});
  EXPECT_EQ(player_state(w).build_item, 10);
}

TEST_F(PlayerCommand, ConfirmedOrdersGoToThePlayersOrderSlot) {
  w.player_side = 2;
  w.side_build_list[2] = 0;
  const int16_t factory = spawn(49, 3);
  player_state(w).selected_unit = factory;
  player_state(w).command_mode = 1;
  player_state(w).order_item = 5;
  player_state(w).build_item = 3;
  command({kKeySelect});
  EXPECT_EQ(w.side_order[2], 5);
  EXPECT_EQ(w.side_order_unit[2], factory);
  EXPECT_EQ(w.side_order_arg[2], build_list_kind(0, 3));
  EXPECT_EQ(player_state(w).command_mode, 0);

  player_state(w).command_mode = 1;
  player_state(w).order_item = 3;
  player_state(w).mark_x = -40;
  player_state(w).mark_y = 25;
  command({});
  command({});
  command({kKeySelect});
  EXPECT_EQ(w.side_order[2], 3);
  EXPECT_EQ(w.side_order_arg[2], -40);
  EXPECT_EQ(w.side_order_arg_y[2], 25);
  for (int s : {0, 1, 3}) EXPECT_EQ(w.side_order[s], 0);
}

TEST_F(PlayerCommand, FollowOrderUsesTheTargetMarkedBeforeThisFrame) {
  const int16_t old_target = spawn(2, 2);
  const int16_t tank = spawn(2, 1);
  player_state(w).target_unit = old_target;
  player_state(w).selected_unit = tank;
  player_state(w).command_mode = 1;
  player_state(w).order_item = 4;
  command({kKeySelect, kKeyMark});
  EXPECT_EQ(w.side_order[0], 4);
  EXPECT_EQ(w.side_order_arg[0], old_target);
  EXPECT_EQ(w.side_order_arg_y[0], 10);
  EXPECT_EQ(player_state(w).target_unit, tank);
}

TEST_F(PlayerCommand, DirectControlRebuildsTheBitsEveryFrame) {
  const int16_t jeep = spawn(20, 1);
  player_state(w).selected_unit = jeep;
  player_state(w).command_mode = 1;
  player_state(w).order_item = 0;
  command({kKeySelect});
  EXPECT_EQ(player_state(w).command_mode, 2);
  command({kKeyUp, kKeyLeft, kKeyMark, kKeyAux, kKeySelect});
  EXPECT_EQ(w.units[jeep].control_bits, kForward | kTurnLeft | kAuxLeft | kAuxRight | kFire);
  // The release frame still counts as down; the frame after clears the bits.
  command({kKeyDown});
  EXPECT_EQ(w.units[jeep].control_bits,
            kForward | kBack | kTurnLeft | kAuxLeft | kAuxRight | kFire);
  command({});
  EXPECT_EQ(w.units[jeep].control_bits, kBack);
  command({kKeyFast});
  EXPECT_EQ(player_state(w).command_mode, 1);
  EXPECT_EQ(player_state(w).order_item, 0);
}

TEST_F(PlayerCommand, DirectControlOfNoUnitLeavesTheSentinelAlone) {
  player_state(w).selected_unit = 0;
  player_state(w).command_mode = 2;
  command({kKeyUp, kKeySelect});
  EXPECT_EQ(w.units[0].control_bits, 0);
}

TEST_F(PlayerCommand, ZoomIsClampedByTheCameraFollow) {
  player_state(w).camera_zoom = 20;
  command({kKeyZoomIn});
  EXPECT_EQ(player_state(w).camera_zoom, 21.0f);
  camera_follow(w);
  EXPECT_EQ(player_state(w).camera_zoom, 20.0f);
  player_state(w).camera_zoom = -20;
  command({kKeyZoomOut});
  camera_follow(w);
  EXPECT_EQ(player_state(w).camera_zoom, -20.0f);
}

TEST_F(PlayerCommand, CameraTurnsWithTheUnitOnlyUnderDirectControl) {
  const int16_t tank = spawn(2, 1, 12, -7, 0.5f);
  player_state(w).selected_unit = tank;
  player_state(w).command_mode = 1;
  camera_follow(w);
  EXPECT_EQ(player_state(w).cursor_x, 12.0f);
  EXPECT_EQ(player_state(w).camera_y, -7.0f);
  EXPECT_EQ(player_state(w).camera_yaw, 0.0f);
  player_state(w).command_mode = 2;
  camera_follow(w);
  EXPECT_EQ(player_state(w).camera_yaw, 0.5f);
}

KeyMask keys(std::initializer_list<Key> down) {
  KeyMask mask = 0;
  for (Key k : down) mask = static_cast<KeyMask>(mask | (1u << k));
  return mask;
}

TEST_F(PlayerCommand, TwoHumanSidesCommandIndependentlyInAscendingOrder) {
  set_human_sides(w, side_bit(0) | side_bit(2));
  ASSERT_EQ(w.player_side, 0);
  CommandState& first = w.humans[0];
  CommandState& second = w.humans[1];
  const int16_t mine = spawn(2, 1, 10, 0);
  const int16_t theirs = spawn(2, 3, 40, 0);
  first.cursor_x = 10;
  second.cursor_x = 12;  // nearer side 0's tank than its own

  FrameInput in;
  in.keys[0] = keys({kKeySelect});
  in.keys[1] = keys({kKeySelect});  // a computer side's keys are read by no one
  in.keys[2] = keys({kKeySelect, kKeyUp});
  apply_frame_input(w, in);
  player_command(w);
  EXPECT_EQ(first.selected_unit, mine);
  EXPECT_EQ(second.selected_unit, theirs);
  EXPECT_EQ(first.command_mode, 1);
  EXPECT_EQ(second.command_mode, 1);
  EXPECT_EQ(first.cursor_y, 0.0f);
  EXPECT_EQ(second.cursor_y, 1.5f);

  // Each confirms into its own side's order slot in the same frame.
  second.order_item = 2;
  for (const FrameInput& frame : {FrameInput{}, FrameInput{}}) apply_frame_input(w, frame);
  in = FrameInput{};
  in.keys[0] = keys({kKeyRight, kKeySelect});
  in.keys[2] = keys({kKeySelect});
  apply_frame_input(w, in);
  player_command(w);
  EXPECT_EQ(w.side_order[0], 1);
  EXPECT_EQ(w.side_order_unit[0], mine);
  EXPECT_EQ(w.side_order[2], 2);
  EXPECT_EQ(w.side_order_unit[2], theirs);
  EXPECT_EQ(w.side_order[1], 0);

  // Markers near each cursor: side 0's are spawned first.
  first.command_mode = second.command_mode = 0;
  first.cursor_x = 10;
  second.cursor_x = 40;
  show_unit_markers(w);
  ASSERT_EQ(live_particles(), 4);
  EXPECT_EQ(w.particles[0].x, 10.0f);  // side 0 sees both tanks, its own first
  EXPECT_EQ(w.particles[1].x, 40.0f);
  EXPECT_EQ(w.particles[2].x, 10.0f);  // then side 2 does
  EXPECT_EQ(w.particles[3].x, 40.0f);
}

TEST_F(PlayerCommand, ASideHandedToTheComputerAndBackAtAFrame) {
  set_human_sides(w, side_bit(0) | side_bit(1));
  spawn(kTypeHeadquarters, 1, -300, -300);
  spawn(kTypeHeadquarters, 2, 300, 300);
  const int16_t tank = spawn(2, 2, 100, 100);
  w.units[tank].mode = 0;  // holds when nobody drives it
  CommandState& second = w.humans[1];
  second.cursor_x = 100;
  second.cursor_y = 100;
  TestHost host;
  // Select the tank, take direct control (order item 0), drive forward.
  host.inputs_by_frame[1].keys[1] = keys({kKeySelect});
  host.inputs_by_frame[4].keys[1] = keys({kKeySelect});
  for (int f = 6; f <= 160; ++f) host.inputs_by_frame[f].keys[1] = keys({kKeyUp});
  host.inputs_by_frame[8].to_computer = side_bit(1);
  host.inputs_by_frame[150].to_human = side_bit(1);
  for (int f = 1; f <= 7; ++f) frame_tick(w, host);
  EXPECT_EQ(second.command_mode, 2);
  EXPECT_EQ(w.units[tank].control_bits, kForward);
  EXPECT_EQ(commanding_sides(w), side_bit(0) | side_bit(1));

  frame_tick(w, host);  // frame 8: the computer takes over
  EXPECT_EQ(commanding_sides(w), side_bit(0));
  EXPECT_EQ(w.computer_sides, side_bit(1));
  EXPECT_EQ(second.command_mode, 0);
  EXPECT_EQ(second.selected_unit, 0);
  EXPECT_EQ(second.key_latches[kKeyUp], kLatchUp);
  // The held key moves nothing, and the tank is its own again: sooner or
  // later it lets go of the bits its driver left, as after Tab.
  const float cursor_y = second.cursor_y;
  bool let_go = false;
  for (int f = 9; f <= 149; ++f) {
    frame_tick(w, host);
    let_go = let_go || w.units[tank].control_bits != kForward;
  }
  EXPECT_TRUE(let_go);
  EXPECT_EQ(second.cursor_y, cursor_y);

  frame_tick(w, host);  // frame 150: back, and the held key is a new press
  EXPECT_EQ(w.computer_sides, 0);
  EXPECT_EQ(second.key_latches[kKeyUp], kLatchPressed);
  EXPECT_EQ(second.cursor_y, cursor_y + 1.5f);
  EXPECT_EQ(w.humans[0].command_mode, 0);  // the other human went on untouched
}

}  // namespace
}  // namespace quarvex
