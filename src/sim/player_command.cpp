// The player's keys turned into World changes: title menu, map cursor, order
// menu, direct control and zoom.

#include "sim/sim.h"
#include "world/geometry.h"
#include "world/humans.h"
#include "world/latch.h"
#include "world/tables.h"

namespace quarvex {
namespace {

constexpr double kCursorStep = 1.5;
constexpr double kFastCursorStep = 4.5;
constexpr float kCursorLimit = 500.0f;
constexpr float kNoSelectionDistance = 999.0f;
constexpr int8_t kLastOrderItem = 5;
constexpr int8_t kLastNonFactoryItem = 4;
constexpr int16_t kFollowDistance = 10;

enum OrderItem : int8_t {
  kItemDirectControl = 0,
  kItemHold = 1,
  kItemRoam = 2,
  kItemGoToMark = 3,
  kItemFollowTarget = 4,
  kItemBuild = 5,
};

void run_title_menu(World& w, const CommandState& c) {
  if (pressed(c, kKeyUp)) {
    w.title_row = static_cast<int8_t>(w.title_row - 1);
    if (w.title_row == -1) w.title_row = 0;
  }
  if (pressed(c, kKeyDown)) {
    w.title_row = static_cast<int8_t>(w.title_row + 1);
    if (w.title_row == 2) w.title_row = 1;
  }
  if (w.title_row == 0) {
    if (pressed(c, kKeyLeft)) {
      w.stage_number = static_cast<int8_t>(w.stage_number - 1);
      if (w.stage_number == 0) w.stage_number = 3;
    }
    if (pressed(c, kKeyRight)) {
      w.stage_number = static_cast<int8_t>(w.stage_number + 1);
      if (w.stage_number == 4) w.stage_number = 1;
    }
  }
  if (w.title_row == 1) {
    // The side row runs the other way round: left steps forward.
    if (pressed(c, kKeyLeft)) {
      w.player_side = static_cast<int8_t>(w.player_side + 1);
      if (w.player_side == 4) w.player_side = 0;
    }
    if (pressed(c, kKeyRight)) {
      w.player_side = static_cast<int8_t>(w.player_side - 1);
      if (w.player_side == -1) w.player_side = 3;
    }
  }
  if (pressed(c, kKeySelect)) w.reload_requested = 1;
}

void move_cursor(CommandState& c) {
  const double step = down(c, kKeyFast) ? kFastCursorStep : kCursorStep;
  if (down(c, kKeyUp)) c.cursor_y = static_cast<float>(wide(c.cursor_y) + step);
  if (down(c, kKeyDown)) c.cursor_y = static_cast<float>(wide(c.cursor_y) - step);
  if (down(c, kKeyLeft)) c.cursor_x = static_cast<float>(wide(c.cursor_x) - step);
  if (down(c, kKeyRight)) c.cursor_x = static_cast<float>(wide(c.cursor_x) + step);
  if (c.cursor_x > kCursorLimit) c.cursor_x = kCursorLimit;
  if (c.cursor_y > kCursorLimit) c.cursor_y = kCursorLimit;
  if (c.cursor_x < -kCursorLimit) c.cursor_x = -kCursorLimit;
  if (c.cursor_y < -kCursorLimit) c.cursor_y = -kCursorLimit;
}

// Nearest own top-level unit by the distance estimate; ties keep the lower slot.
void select_nearest_own_unit(const World& w, int side, CommandState& c) {
  float best = kNoSelectionDistance;
  const int own_side = side + 1;
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1 || u.side != own_side || u.parent != 0) continue;
    const float d = point_distance(wide(u.x), wide(u.y), wide(c.cursor_x), wide(c.cursor_y));
    if (d < best) {
      best = d;
      c.selected_unit = i;
    }
  }
}

void run_cursor_mode(const World& w, int side, CommandState& c) {
  move_cursor(c);
  c.selected_unit = 0;
  if (pressed(c, kKeySelect)) {
    select_nearest_own_unit(w, side, c);
    c.command_mode = 1;
  }
  if (pressed(c, kKeyMark)) {
    c.mark_x = static_cast<int16_t>(trunc_to_int(wide(c.cursor_x)));
    c.mark_y = static_cast<int16_t>(trunc_to_int(wide(c.cursor_y)));
  }
}

// Items 1..5 issue the side order of the same code for the selected unit.
void confirm_order_item(World& w, int side, CommandState& c) {
  if (c.order_item == kItemDirectControl) {
    c.command_mode = 2;
    return;
  }
  const int s = side;
  // A player side outside 0..3 has no order slot to write.
  if (s >= 0 && s < kSides) {
    w.side_order_unit[s] = c.selected_unit;
    w.side_order[s] = c.order_item;
    switch (c.order_item) {
      case kItemGoToMark:
        w.side_order_arg[s] = c.mark_x;
        w.side_order_arg_y[s] = c.mark_y;
        break;
      case kItemFollowTarget:
        w.side_order_arg[s] = c.target_unit;
        w.side_order_arg_y[s] = kFollowDistance;
        break;
      case kItemBuild:
        w.side_order_arg[s] =
            static_cast<int16_t>(build_list_kind(w.side_build_list[s], c.build_item));
        break;
      default:  // hold and roam take no arguments
        break;
    }
  }
  c.command_mode = 0;
}

void run_order_menu(World& w, int side, CommandState& c) {
  if (pressed(c, kKeyFast)) c.command_mode = 0;
  if (pressed(c, kKeyLeft)) c.order_item = static_cast<int8_t>(c.order_item - 1);
  if (pressed(c, kKeyRight)) c.order_item = static_cast<int8_t>(c.order_item + 1);
  // Only a factory offers the build item.
  if (unit_at(w, c.selected_unit).type != kTypeFactory && c.order_item == kItemBuild) {
    c.order_item = kLastNonFactoryItem;
  }
  if (c.order_item < 0) c.order_item = 0;
  if (c.order_item > kLastOrderItem) c.order_item = kLastOrderItem;
  if (c.order_item == kItemBuild) {
    if (pressed(c, kKeyUp)) c.build_item = static_cast<int8_t>(c.build_item + 1);
    if (pressed(c, kKeyDown)) c.build_item = static_cast<int8_t>(c.build_item - 1);
    if (c.build_item < 0) c.build_item = 0;
    if (c.build_item > kBuildListLength - 1) c.build_item = kBuildListLength - 1;
  }
  if (pressed(c, kKeySelect)) confirm_order_item(w, side, c);
  // After the confirm, so a follow order given in this frame keeps the old target.
  if (pressed(c, kKeyMark)) c.target_unit = c.selected_unit;
}

void run_direct_control(World& w, CommandState& c) {
  // Slot 0 is the shared "no unit" sentinel and must keep its cleared bits.
  if (checked_unit_index(c.selected_unit) != 0) {
    uint8_t bits = 0;
    if (down(c, kKeyUp)) bits |= kForward;
    if (down(c, kKeyDown)) bits |= kBack;
    if (down(c, kKeyLeft)) bits |= kTurnLeft;
    if (down(c, kKeyRight)) bits |= kTurnRight;
    if (down(c, kKeyMark)) bits |= kAuxLeft;
    if (down(c, kKeyAux)) bits |= kAuxRight;
    if (down(c, kKeySelect)) bits |= kFire;
    w.units[c.selected_unit].control_bits = bits;
  }
  if (pressed(c, kKeyFast)) {
    c.command_mode = 1;
    c.order_item = 0;
  }
}

void run_zoom(CommandState& c) {
  if (down(c, kKeyZoomIn)) c.camera_zoom = static_cast<float>(wide(c.camera_zoom) + 1.0);
  if (down(c, kKeyZoomOut)) c.camera_zoom = static_cast<float>(wide(c.camera_zoom) - 1.0);
}

// One human side's keys; `side` may lie outside 0..3 only in a game of one
// player, whose side is then absent.
void command_side(World& w, int side, CommandState& c) {
  if (w.game_phase == 0) {
    // The sides of a game of several humans are agreed before it starts.
    if (!several_humans(w)) run_title_menu(w, c);
  } else {
    switch (c.command_mode) {
      case 0:
        run_cursor_mode(w, side, c);
        break;
      case 1:
        run_order_menu(w, side, c);
        break;
      case 2:
        run_direct_control(w, c);
        break;
      default:
        break;
    }
  }
  run_zoom(c);
}

}  // namespace

void player_command(World& w) {
  for_each_commanding_human(w, [&w](int side, CommandState& c) { command_side(w, side, c); });
}

}  // namespace quarvex
