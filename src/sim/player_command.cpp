// The player's keys turned into World changes: title menu, map cursor, order
// menu, direct control and zoom.

#include "sim/sim.h"
#include "world/geometry.h"
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

void run_title_menu(World& w) {
  if (pressed(w, kKeyUp)) {
    w.title_row = static_cast<int8_t>(w.title_row - 1);
    if (w.title_row == -1) w.title_row = 0;
  }
  if (pressed(w, kKeyDown)) {
    w.title_row = static_cast<int8_t>(w.title_row + 1);
    if (w.title_row == 2) w.title_row = 1;
  }
  if (w.title_row == 0) {
    if (pressed(w, kKeyLeft)) {
      w.stage_number = static_cast<int8_t>(w.stage_number - 1);
      if (w.stage_number == 0) w.stage_number = 3;
    }
    if (pressed(w, kKeyRight)) {
      w.stage_number = static_cast<int8_t>(w.stage_number + 1);
      if (w.stage_number == 4) w.stage_number = 1;
    }
  }
  if (w.title_row == 1) {
    // The side row runs the other way round: left steps forward.
    if (pressed(w, kKeyLeft)) {
      w.player_side = static_cast<int8_t>(w.player_side + 1);
      if (w.player_side == 4) w.player_side = 0;
    }
    if (pressed(w, kKeyRight)) {
      w.player_side = static_cast<int8_t>(w.player_side - 1);
      if (w.player_side == -1) w.player_side = 3;
    }
  }
  if (pressed(w, kKeySelect)) w.reload_requested = 1;
}

void move_cursor(World& w) {
  const double step = down(w, kKeyFast) ? kFastCursorStep : kCursorStep;
  if (down(w, kKeyUp)) w.cursor_y = static_cast<float>(w.cursor_y + step);
  if (down(w, kKeyDown)) w.cursor_y = static_cast<float>(w.cursor_y - step);
  if (down(w, kKeyLeft)) w.cursor_x = static_cast<float>(w.cursor_x - step);
  if (down(w, kKeyRight)) w.cursor_x = static_cast<float>(w.cursor_x + step);
  if (w.cursor_x > kCursorLimit) w.cursor_x = kCursorLimit;
  if (w.cursor_y > kCursorLimit) w.cursor_y = kCursorLimit;
  if (w.cursor_x < -kCursorLimit) w.cursor_x = -kCursorLimit;
  if (w.cursor_y < -kCursorLimit) w.cursor_y = -kCursorLimit;
}

// Nearest own top-level unit by the distance estimate; ties keep the lower slot.
void select_nearest_own_unit(World& w) {
  float best = kNoSelectionDistance;
  const int own_side = w.player_side + 1;
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1 || u.side != own_side || u.parent != 0) continue;
    const float d = point_distance(u.x, u.y, w.cursor_x, w.cursor_y);
    if (d < best) {
      best = d;
      w.selected_unit = i;
    }
  }
}

void run_cursor_mode(World& w) {
  move_cursor(w);
  w.selected_unit = 0;
  if (pressed(w, kKeySelect)) {
    select_nearest_own_unit(w);
    w.command_mode = 1;
  }
  if (pressed(w, kKeyMark)) {
    w.mark_x = static_cast<int16_t>(trunc_to_int(w.cursor_x));
    w.mark_y = static_cast<int16_t>(trunc_to_int(w.cursor_y));
  }
}

// Items 1..5 issue the side order of the same code for the selected unit.
void confirm_order_item(World& w) {
  if (w.order_item == kItemDirectControl) {
    w.command_mode = 2;
    return;
  }
  const int s = w.player_side;
  // A player side outside 0..3 has no order slot to write.
  if (s >= 0 && s < kSides) {
    w.side_order_unit[s] = w.selected_unit;
    w.side_order[s] = w.order_item;
    switch (w.order_item) {
      case kItemGoToMark:
        w.side_order_arg[s] = w.mark_x;
        w.side_order_arg_y[s] = w.mark_y;
        break;
      case kItemFollowTarget:
        w.side_order_arg[s] = w.target_unit;
        w.side_order_arg_y[s] = kFollowDistance;
        break;
      case kItemBuild:
        w.side_order_arg[s] =
            static_cast<int16_t>(build_list_kind(w.side_build_list[s], w.build_item));
        break;
      default:  // hold and roam take no arguments
        break;
    }
  }
  w.command_mode = 0;
}

void run_order_menu(World& w) {
  if (pressed(w, kKeyFast)) w.command_mode = 0;
  if (pressed(w, kKeyLeft)) w.order_item = static_cast<int8_t>(w.order_item - 1);
  if (pressed(w, kKeyRight)) w.order_item = static_cast<int8_t>(w.order_item + 1);
  // Only a factory offers the build item.
  if (unit_at(w, w.selected_unit).type != kTypeFactory && w.order_item == kItemBuild) {
    w.order_item = kLastNonFactoryItem;
  }
  if (w.order_item < 0) w.order_item = 0;
  if (w.order_item > kLastOrderItem) w.order_item = kLastOrderItem;
  if (w.order_item == kItemBuild) {
    if (pressed(w, kKeyUp)) w.build_item = static_cast<int8_t>(w.build_item + 1);
    if (pressed(w, kKeyDown)) w.build_item = static_cast<int8_t>(w.build_item - 1);
    if (w.build_item < 0) w.build_item = 0;
    if (w.build_item > kBuildListLength - 1) w.build_item = kBuildListLength - 1;
  }
  if (pressed(w, kKeySelect)) confirm_order_item(w);
  // After the confirm, so a follow order given in this frame keeps the old target.
  if (pressed(w, kKeyMark)) w.target_unit = w.selected_unit;
}

void run_direct_control(World& w) {
  // Slot 0 is the shared "no unit" sentinel and must keep its cleared bits.
  if (checked_unit_index(w.selected_unit) != 0) {
    uint8_t bits = 0;
    if (down(w, kKeyUp)) bits |= kForward;
    if (down(w, kKeyDown)) bits |= kBack;
    if (down(w, kKeyLeft)) bits |= kTurnLeft;
    if (down(w, kKeyRight)) bits |= kTurnRight;
    if (down(w, kKeyMark)) bits |= kAuxLeft;
    if (down(w, kKeyAux)) bits |= kAuxRight;
    if (down(w, kKeySelect)) bits |= kFire;
    w.units[w.selected_unit].control_bits = bits;
  }
  if (pressed(w, kKeyFast)) {
    w.command_mode = 1;
    w.order_item = 0;
  }
}

void run_zoom(World& w) {
  if (down(w, kKeyZoomIn)) w.camera_zoom = static_cast<float>(w.camera_zoom + 1.0);
  if (down(w, kKeyZoomOut)) w.camera_zoom = static_cast<float>(w.camera_zoom - 1.0);
}

}  // namespace

void player_command(World& w) {
  if (w.game_phase == 0) {
    run_title_menu(w);
  } else {
    switch (w.command_mode) {
      case 0:
        run_cursor_mode(w);
        break;
      case 1:
        run_order_menu(w);
        break;
      case 2:
        run_direct_control(w);
        break;
      default:
        break;
    }
  }
  run_zoom(w);
}

}  // namespace quarvex
