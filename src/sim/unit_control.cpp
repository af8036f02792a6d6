#include <array>
#include <cstdint>

#include "sim/chance.h"
#include "sim/sim.h"
#include "world/geometry.h"
#include "world/humans.h"
#include "world/tables.h"

namespace quarvex {
namespace {

constexpr float kDropRange = 90.0f;     // a target further than this is let go
constexpr float kAcquireRange = 60.0f;  // an enemy probe finds units closer than this
constexpr float kPointArrival = 20.0f;  // go-to-point loiters within this
constexpr float kMarchArrival = 15.0f;  // march loiters within this

uint8_t turn_bit(uint8_t side) {
  return side == 0 ? kTurnLeft : kTurnRight;
}
uint8_t step_bit(uint8_t side) {
  return side == 0 ? kAuxLeft : kAuxRight;
}

float distance_to(const Unit& u, float px, float py) {
  return point_distance(wide(px), wide(py), wide(u.x), wide(u.y));
}

uint8_t side_toward(const Unit& u, float px, float py, float heading) {
  return turn_side(px, py, u.x, u.y, heading);
}

// A turret turns the aim with the hull; a rotor spins freely and does not.
float aim_heading(const World& w, const Unit& u) {
  const Unit& child = unit_at(w, u.child);
  if (child.type == kTypeRotor) return u.heading;
  return static_cast<float>(wide(u.heading) + wide(child.heading));
}

bool is_eligible_enemy(const Unit& k, const Unit& u) {
  return k.type != -1 && k.parent == 0 && k.side != 0 && k.side != u.side;
}

void random_turn(World& w, Unit& u) {
  u.control_bits = random_below(w, 2) == 0 ? kTurnLeft : kTurnRight;
}

void random_side_step(World& w, Unit& u) {
  u.control_bits |= random_below(w, 2) == 0 ? kAuxLeft : kAuxRight;
}

void set_if(World& w, Unit& u, int32_t n, uint8_t bits) {
  if (one_in(w, n)) u.control_bits |= bits;
}

void choose_stance(World& w, Unit& u) {
  if (one_in(w, 120)) u.ai_state = 0;
  if (one_in(w, 100)) u.ai_state = 1;
  if (one_in(w, 140)) u.ai_state = 2;
  // Sky lancers press in more often; gun carriages settle back to aiming.
  if (u.type == 46 && one_in(w, 50)) u.ai_state = 1;
  if (u.type == 17 && one_in(w, 40)) u.ai_state = 0;
}

void fight(World& w, Unit& u, float aim) {
  const Unit& g = unit_at(w, u.target);
  if (one_in(w, 25)) u.control_bits = 0;
  choose_stance(w, u);
  switch (u.ai_state) {
    case 0: {  // aim
      u.control_bits &= static_cast<uint8_t>(~(kTurnLeft | kTurnRight));
      if (one_in(w, 10)) u.control_bits &= static_cast<uint8_t>(~(kAuxLeft | kAuxRight));
      const uint8_t t = side_toward(u, g.x, g.y, aim);
      u.control_bits |= turn_bit(t);
      set_if(w, u, 20, step_bit(t));
      set_if(w, u, 15, kFire);
      break;
    }
    case 1: {  // close in
      if (one_in(w, 10)) u.control_bits |= turn_bit(side_toward(u, g.x, g.y, u.heading));
      if (one_in(w, 30)) u.control_bits |= step_bit(side_toward(u, g.x, g.y, aim));
      set_if(w, u, 20, kForward);
      set_if(w, u, 20, kFire);
      break;
    }
    case 2: {  // skirmish
      if (one_in(w, 25)) u.control_bits |= turn_bit(side_toward(u, g.x, g.y, aim));
      if (one_in(w, 30)) u.control_bits |= step_bit(side_toward(u, g.x, g.y, aim));
      set_if(w, u, 30, kForward);
      set_if(w, u, 40, kBack);
      set_if(w, u, 25, kFire);
      break;
    }
    default:
      break;
  }

  const int16_t k = random_unit_index(w);
  const Unit& probed = w.units[k];
  if (is_eligible_enemy(probed, u) &&
      distance_to(u, g.x, g.y) > distance_to(u, probed.x, probed.y)) {
    u.target = k;
  }
  const Unit& target = unit_at(w, u.target);
  if (distance_to(u, target.x, target.y) > kDropRange || is_free(target)) u.target = 0;
  if (unit_at(w, u.target).side == u.side) u.target = 0;
}

// Chances, each 1 in n, of the draws made while heading for a goal or
// loitering near it; they differ per order mode. A back chance of 0 means no
// draw.
struct Chances {
  int32_t turn;
  int32_t step;
  int32_t forward;
  int32_t back;
};

void steer_or_loiter(World& w, Unit& u, float gx, float gy, bool far, Chances steer,
                     Chances loiter) {
  if (far) {
    if (one_in(w, steer.turn)) u.control_bits |= turn_bit(side_toward(u, gx, gy, u.heading));
    if (one_in(w, steer.step)) u.control_bits |= step_bit(side_toward(u, gx, gy, u.heading));
    set_if(w, u, steer.forward, kForward);
  } else {
    if (one_in(w, loiter.turn)) random_turn(w, u);
    if (one_in(w, loiter.step)) random_side_step(w, u);
    set_if(w, u, loiter.forward, kForward);
    if (loiter.back != 0) set_if(w, u, loiter.back, kBack);
  }
}

void follow_order(World& w, Unit& u) {
  if (one_in(w, 30)) u.control_bits = 0;
  switch (u.mode) {
    case 0:  // stand
      if (one_in(w, 100)) random_turn(w, u);
      break;
    case 1:  // roam
      if (one_in(w, 60)) random_turn(w, u);
      if (one_in(w, 80)) random_side_step(w, u);
      set_if(w, u, 30, kForward);
      break;
    case 2: {  // go to point
      const float gx = u.goal_x;
      const float gy = u.goal_y;
      steer_or_loiter(w, u, gx, gy, distance_to(u, gx, gy) > kPointArrival, {5, 30, 8, 0},
                      {60, 100, 80, 0});
      break;
    }
    case 3: {  // follow unit; a stored index outside 1..500 reads as a free slot
      const Unit& f = unit_at(w, u.goal_x);
      steer_or_loiter(w, u, f.x, f.y, distance_to(u, f.x, f.y) > u.goal_y, {7, 40, 5, 0},
                      {70, 90, 50, 150});
      if (is_free(f)) u.mode = 1;
      break;
    }
    case 4: {  // march
      const float gx = u.goal_x;
      const float gy = u.goal_y;
      steer_or_loiter(w, u, gx, gy, distance_to(u, gx, gy) > kMarchArrival, {5, 30, 5, 0},
                      {80, 120, 200, 0});
      break;
    }
    default:
      break;
  }

  for (int probe = 0; probe < 5; ++probe) {
    const int16_t k = random_unit_index(w);
    const Unit& probed = w.units[k];
    // Marching units hold their course and never pick a fight themselves.
    if (u.mode != 4 && is_eligible_enemy(probed, u) &&
        distance_to(u, probed.x, probed.y) < kAcquireRange) {
      u.target = k;
      u.ai_state = 0;
    }
  }
}

}  // namespace

void control_units(World& w) {
  // The units the humans drive themselves: their keys alone move them.
  std::array<int16_t, kSides> driven{};
  int drivers = 0;
  for_each_commanding_human(w, [&](int, const CommandState& c) {
    if (c.command_mode == 2) driven[drivers++] = c.selected_unit;
  });
  const auto driven_by_a_human = [&](int16_t i) {
    for (int d = 0; d < drivers; ++d) {
      if (driven[d] == i) return true;
    }
    return false;
  };
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    Unit& u = w.units[i];
    if (u.type == -1 || u.parent != 0 || u.side == 0) continue;
    if (driven_by_a_human(i)) continue;
    const float aim = aim_heading(w, u);
    if (u.target != 0) {
      fight(w, u, aim);
    } else {
      follow_order(w, u);
    }
  }
}

}  // namespace quarvex
