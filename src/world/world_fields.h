#pragma once
// Every field of the World and of its records, by name, in declaration
// order. The dump and the state hash both walk these lists, so a field
// added to a record must be added here too (the size checks below fail
// until it is).

#include "world/world.h"

namespace quarvex {

static_assert(sizeof(Unit) == 36, "a Unit field was added or removed: update visit_unit_fields");
static_assert(sizeof(Projectile) == 24,
              "a Projectile field was added or removed: update visit_projectile_fields");
static_assert(sizeof(Particle) == 20,
              "a Particle field was added or removed: update visit_particle_fields");
static_assert(sizeof(World) == 27080,
              "a World field was added or removed: update visit_world_fields");

// The visitor is called as v(name, value) with a scalar or a std::array
// (possibly nested) of scalars.
template <class Visitor>
void visit_unit_fields(const Unit& u, Visitor& v) {
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

template <class Visitor>
void visit_projectile_fields(const Projectile& p, Visitor& v) {
  v("x", p.x);
  v("y", p.y);
  v("angle", p.angle);
  v("course", p.course);
  v("kind", p.kind);
  v("side", p.side);
  v("life", p.life);
  v("aux", p.aux);
}

template <class Visitor>
void visit_particle_fields(const Particle& p, Visitor& v) {
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

// The World's fields other than the three pools.
template <class Visitor>
void visit_world_fields(const World& w, Visitor& v) {
  v("stage_number", w.stage_number);
  v("player_side", w.player_side);
  v("title_row", w.title_row);
  v("game_phase", w.game_phase);
  v("reload_requested", w.reload_requested);
  v("cursor_x", w.cursor_x);
  v("cursor_y", w.cursor_y);
  v("selected_unit", w.selected_unit);
  v("command_mode", w.command_mode);
  v("order_item", w.order_item);
  v("build_item", w.build_item);
  v("target_unit", w.target_unit);
  v("mark_x", w.mark_x);
  v("mark_y", w.mark_y);
  v("camera_x", w.camera_x);
  v("camera_y", w.camera_y);
  v("camera_distance", w.camera_distance);
  v("camera_yaw", w.camera_yaw);
  v("camera_zoom", w.camera_zoom);
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
  v("key_latches", w.key_latches);
  v("rand_state", w.rand_state);
}

}  // namespace quarvex
