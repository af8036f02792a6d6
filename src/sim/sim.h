#pragma once
// The simulation steps of a frame, each a free function over World&.

#include <cstdint>

#include "world/services.h"
#include "world/world.h"

namespace quarvex {

// The steps that act for the humans run for each side a human commands in
// this frame, in ascending side order (world/humans.h).
void player_command(World& w);  // title menu, cursor, order menu, direct control, zoom
// The sides the computer commander plays: every side no human commands in
// this frame, or all four while the player only watches.
enum class Commanded : uint8_t { kRivals, kAllSides };
void command_computer_sides(World& w, Commanded sides = Commanded::kRivals);
void reset_side_presence(World& w);
void execute_side_orders(World& w);
void control_units(World& w);  // autonomous unit control
void show_unit_markers(World& w);
void lock_on(World& w);
void update_units(World& w);  // unit behaviour with the special type actions
void update_projectiles(World& w);
void update_particles(World& w);
void camera_follow(World& w);
void show_mark_markers(World& w);  // but not while driving a unit
// Selection clean-up, mark markers, information box and stage judgement.
void end_of_frame(World& w, Services& services);

}  // namespace quarvex
