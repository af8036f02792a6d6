#pragma once
// Every field of the World and of its records, by name, in declaration
// order. The dump, the state hash and the snapshots all walk these lists,
// so a field added to a record must be added here too (the size checks
// below fail until it is).
//
// Each visit takes a World or a const World (a record or a const record)
// and calls the visitor as v(name, value) with a reference to a scalar or a
// std::array (possibly nested) of scalars: const for the dump and the hash,
// writable for reading a snapshot.

#include <algorithm>
#include <bit>

#include "world/humans.h"
#include "world/world.h"

namespace quarvex {

static_assert(sizeof(Unit) == 36, "a Unit field was added or removed: update visit_unit_fields");
static_assert(sizeof(Projectile) == 24,
              "a Projectile field was added or removed: update visit_projectile_fields");
static_assert(sizeof(Particle) == 20,
              "a Particle field was added or removed: update visit_particle_fields");
static_assert(sizeof(CommandState) == 84,
              "a CommandState field was added or removed: update visit_command_fields");
static_assert(sizeof(World) == 27336,
              "a World field was added or removed: update visit_world_fields");

template <class U, class Visitor>
void visit_unit_fields(U& u, Visitor& v) {
  v("x", u.x);
  v("y", u.y);
  v("z", u.z);
  v("heading", u.heading);
  v("parent", u.parent);
  v("child", u.child);
  v("health", u.health);
  v("target", u.target);
  v("charge", u.charge);
  v("type", u.type);
  v("side", u.side);
  v("control_bits", u.control_bits);
  v("speed", u.speed);
  v("mode", u.mode);
  v("ai_state", u.ai_state);
  v("goal_x", u.goal_x);
  v("goal_y", u.goal_y);
}

template <class P, class Visitor>
void visit_projectile_fields(P& p, Visitor& v) {
  v("x", p.x);
  v("y", p.y);
  v("angle", p.angle);
  v("course", p.course);
  v("kind", p.kind);
  v("side", p.side);
  v("life", p.life);
  v("aux", p.aux);
}

template <class P, class Visitor>
void visit_particle_fields(P& p, Visitor& v) {
  v("x", p.x);
  v("y", p.y);
  v("angle", p.angle);
  v("dx", p.dx);
  v("dy", p.dy);
  v("spin", p.spin);
  v("size", p.size);
  v("life", p.life);
  v("texture", p.texture);
  v("cell", p.cell);
}

// Which fields a visit walks. The dump and the hash walk those in use: a
// game of one player has exactly the fields it always had, and the fields
// of several humans join them only in a game of several humans, so that the
// hashes of every game of one player stay as they were. A snapshot walks
// every field.
enum class FieldSet : uint8_t { kInUse, kEvery };

// The World's fields other than the three pools and the command states of
// the humans after the first.
template <class W, class Visitor>
void visit_world_fields(W& w, Visitor& v, FieldSet set = FieldSet::kInUse) {
  v("stage_number", w.stage_number);
  v("player_side", w.player_side);
  v("title_row", w.title_row);
  v("game_phase", w.game_phase);
  v("reload_requested", w.reload_requested);
  // The player's command state keeps the places its fields had before
  // there were several humans.
  auto& player = w.humans[0];
  v("cursor_x", player.cursor_x);
  v("cursor_y", player.cursor_y);
  v("selected_unit", player.selected_unit);
  v("command_mode", player.command_mode);
  v("order_item", player.order_item);
  v("build_item", player.build_item);
  v("target_unit", player.target_unit);
  v("mark_x", player.mark_x);
  v("mark_y", player.mark_y);
  v("camera_x", player.camera_x);
  v("camera_y", player.camera_y);
  v("camera_distance", player.camera_distance);
  v("camera_yaw", player.camera_yaw);
  v("camera_zoom", player.camera_zoom);
  v("funds", w.funds);
  v("side_order", w.side_order);
  v("side_order_unit", w.side_order_unit);
  v("side_order_arg", w.side_order_arg);
  v("side_order_arg_y", w.side_order_arg_y);
  v("side_build_list", w.side_build_list);
  v("side_present", w.side_present);
  v("factories", w.factories);
  v("ai_build_choice", w.ai_build_choice);
  v("ai_goal_x", w.ai_goal_x);
  v("ai_goal_y", w.ai_goal_y);
  v("frame_counter", w.frame_counter);
  v("quit_requested", w.quit_requested);
  v("frames_this_second", w.frames_this_second);
  v("frames_last_second", w.frames_last_second);
  v("last_second", w.last_second);
  v("last_frame_ms", w.last_frame_ms);
  v("key_latches", player.key_latches);
  v("rand_state", w.rand_state);
  if (set == FieldSet::kEvery || several_humans(w)) {
    v("human_sides", w.human_sides);
    v("computer_sides", w.computer_sides);
    v("lost_sides", w.lost_sides);
  }
}

// A human's command state, in declaration order.
template <class C, class Visitor>
void visit_command_fields(C& c, Visitor& v) {
  v("cursor_x", c.cursor_x);
  v("cursor_y", c.cursor_y);
  v("selected_unit", c.selected_unit);
  v("command_mode", c.command_mode);
  v("order_item", c.order_item);
  v("build_item", c.build_item);
  v("target_unit", c.target_unit);
  v("mark_x", c.mark_x);
  v("mark_y", c.mark_y);
  v("camera_x", c.camera_x);
  v("camera_y", c.camera_y);
  v("camera_distance", c.camera_distance);
  v("camera_yaw", c.camera_yaw);
  v("camera_zoom", c.camera_zoom);
  v("key_latches", c.key_latches);
}

// How many command states follow the player's: those of the further human
// sides (none in a game of one player), or all of them for a snapshot.
inline int further_humans(const World& w, FieldSet set = FieldSet::kInUse) {
  if (set == FieldSet::kEvery) return kSides - 1;
  return std::max(std::popcount(static_cast<unsigned>(w.human_sides & kAllSides)) - 1, 0);
}

}  // namespace quarvex
