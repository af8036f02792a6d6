#pragma once
// The rules of the unit types that do something of their own, run as part of
// a unit's step in the behaviour pass. Each takes the unit's slot.

#include <cstdint>

#include "world/world.h"

namespace quarvex {

// Runs the action of the unit's type, if it has one.
void run_type_action(World& w, int16_t index);

// Armoured car, troop truck and jeep: throttle, move, steer by speed.
void drive_throttle_vehicle(World& w, int16_t index);

// Units that put other units into the field.
void unload_infantry(World& w, int16_t index);   // troop truck
void drop_paratrooper(World& w, int16_t index);  // large transport
void descend_under_canopy(World& w, int16_t index);
void lay_demolition_charge(World& w, int16_t index);  // engineer
void throw_grenade(World& w, int16_t index);          // grenadier

// Explosives and the mortar.
void burn_demolition_fuse(World& w, int16_t index);
void fly_grenade(World& w, int16_t index);
void fire_mortar(World& w, int16_t index);

// Aircraft weapons.
void fire_salvo(World& w, int16_t index);
void fire_twin_missiles(World& w, int16_t index);

// Per-side effects of buildings.
void mark_side_present(World& w, int16_t index);  // headquarters
void collect_rent(World& w, int16_t index);       // residence

// Index of a unit's side into the per-side arrays, or -1 for a side outside 1..4.
inline int side_index(int8_t side) {
  return (side >= 1 && side <= kSides) ? side - 1 : -1;
}

// The mode and order goal pass from a unit to the unit it puts into the field.
void inherit_order(World& w, int16_t created, const Unit& creator);

}  // namespace quarvex
