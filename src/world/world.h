#pragma once
// The one game-state record and its three fixed pools. Plain data: every
// simulation step is a free function over World&.

#include <array>
#include <cstdint>

#include "world/wide.h"

namespace quarvex {

constexpr int kUnitSlots = 501;  // slot 0 is the sentinel, never allocated
constexpr int kMaxUnit = 500;
constexpr int kProjectileSlots = 200;
constexpr int kParticleSlots = 200;
constexpr int kSides = 4;
constexpr int kFactoriesPerSide = 3;
constexpr int kAttackPointsPerSide = 3;

// The angle constants have 32-bit float values, held as doubles: a sum such as
// heading + kHalfPi is then always taken in double, never rounded to a float
// on the way.
constexpr double kHalfPi = wide(1.570796f);
constexpr double kPi = wide(3.141592f);
constexpr double kTwoPi = wide(6.283184f);
constexpr double kDegree = wide(0.017453289f);

// Control bits of a unit.
constexpr uint8_t kForward = 0x01;
constexpr uint8_t kBack = 0x02;
constexpr uint8_t kTurnLeft = 0x04;
constexpr uint8_t kTurnRight = 0x08;
constexpr uint8_t kAuxLeft = 0x10;
constexpr uint8_t kAuxRight = 0x20;
constexpr uint8_t kFire = 0x40;

// Heights: smaller is nearer the eye.
constexpr float kGroundZ = 92.5f;
constexpr float kAirZ = 91.5f;
constexpr float kChildZ = -0.5f;

struct Unit {
  float x;
  float y;
  float z;
  float heading;
  int16_t parent;
  int16_t child;
  int16_t health;
  int16_t target;
  int8_t charge;
  int8_t type;  // -1 = free slot
  int8_t side;
  uint8_t control_bits;
  int8_t speed;
  uint8_t mode;
  uint8_t ai_state;
  int16_t goal_x;
  int16_t goal_y;
};

struct Projectile {
  float x;
  float y;
  float angle;
  float course;
  int8_t kind;  // -1 = free slot
  int8_t side;
  int16_t life;
  int16_t aux;
};

struct Particle {
  float x;
  float y;
  float angle;
  int8_t dx;
  int8_t dy;
  int8_t spin;
  int8_t size;
  uint8_t life;  // 0 = free slot
  uint8_t texture;
  uint8_t cell;
};

// The eleven watched keys, in the order their latches are updated.
enum Key : int {
  kKeyUp,       // keypad 8
  kKeyDown,     // keypad 5
  kKeyLeft,     // keypad 4
  kKeyRight,    // keypad 6
  kKeyMark,     // keypad 7
  kKeyAux,      // keypad 9
  kKeySelect,   // space
  kKeyInfo,     // keypad 0
  kKeyZoomIn,   // keypad 1
  kKeyZoomOut,  // keypad 3
  kKeyFast,     // tab
  kKeyCount
};

// KeyLatch values.
constexpr int32_t kLatchUp = 0;
constexpr int32_t kLatchPressed = 1;
constexpr int32_t kLatchReleased = 2;
constexpr int32_t kLatchHeld = 3;

// What one human commands with: the map cursor, the selection and its
// menus, the marks, the camera and the latches of the eleven keys.
struct CommandState {
  float cursor_x;
  float cursor_y;
  int16_t selected_unit;
  int8_t command_mode;  // 0 cursor, 1 order menu, 2 direct control
  int8_t order_item;
  int8_t build_item;
  int16_t target_unit;
  int16_t mark_x;
  int16_t mark_y;
  float camera_x;
  float camera_y;
  float camera_distance;
  float camera_yaw;
  float camera_zoom;
  std::array<int32_t, kKeyCount> key_latches;
};

struct World {
  std::array<Unit, kUnitSlots> units;
  std::array<Projectile, kProjectileSlots> projectiles;
  std::array<Particle, kParticleSlots> particles;

  int8_t stage_number;
  int8_t player_side;
  int8_t title_row;
  int8_t game_phase;  // 0 title menu, 1 playing, 2 decided
  int32_t reload_requested;
  // One command state per human side, in ascending side order: humans[0]
  // is the player's (player_side). A game of one player uses only that one.
  std::array<CommandState, kSides> humans;
  std::array<int32_t, kSides> funds;
  std::array<int8_t, kSides> side_order;
  std::array<int16_t, kSides> side_order_unit;
  std::array<int16_t, kSides> side_order_arg;
  std::array<int16_t, kSides> side_order_arg_y;
  std::array<int8_t, kSides> side_build_list;
  std::array<int8_t, kSides> side_present;
  std::array<std::array<int16_t, kFactoriesPerSide>, kSides> factories;
  std::array<int8_t, kSides> ai_build_choice;
  std::array<std::array<int16_t, kAttackPointsPerSide>, kSides> ai_goal_x;
  std::array<std::array<int16_t, kAttackPointsPerSide>, kSides> ai_goal_y;
  int32_t frame_counter;

  // Shell counters.
  int32_t quit_requested;
  int16_t frames_this_second;
  int16_t frames_last_second;
  int32_t last_second;
  int32_t last_frame_ms;

  // State of the shared random generator (a 32-bit LCG, initially 1).
  uint32_t rand_state;

  // A game of several humans (world/humans.h); all 0 in a game of one
  // player, whose one human is player_side.
  uint8_t human_sides;     // bit s: a human plays side s
  uint8_t computer_sides;  // bit s: the computer commands human side s for now
  uint8_t lost_sides;      // bit s: human side s has been told it lost
};

// The player's command state: in a game of one player, the player's; in a
// game of several humans, that of the lowest human side (player_side).
inline CommandState& player_state(World& w) {
  return w.humans[0];
}
inline const CommandState& player_state(const World& w) {
  return w.humans[0];
}

// Puts a World into its program-start state: pools free, sentinel reset,
// every field at its start value.
void init_world(World& w);

// Resets the sentinel (slot 0) to a free slot at the origin.
void reset_sentinel(World& w);

// First-fit spawns from the lowest index. spawn_unit returns the new index,
// or 0 when the table is full; the other two drop the record when full, and
// spawn_particle says whether it found a slot.
int16_t spawn_unit(World& w, float x, float y, float z, float heading, int16_t parent, int8_t type,
                   int8_t side);
void spawn_projectile(World& w, float x, float y, float course, int8_t kind, int8_t side,
                      int16_t aux);
bool spawn_particle(World& w, float x, float y, float angle, int8_t dx, int8_t dy, int8_t spin,
                    uint8_t life, uint8_t texture, uint8_t cell, int8_t size);

// A stored value used as a unit index reads slot 0 (a free slot) when it lies
// outside 1..500, so nothing reads outside the unit table.
inline int16_t checked_unit_index(int32_t index) {
  return (index >= 1 && index <= kMaxUnit) ? static_cast<int16_t>(index) : int16_t{0};
}
inline Unit& unit_at(World& w, int32_t index) {
  return w.units[checked_unit_index(index)];
}
inline const Unit& unit_at(const World& w, int32_t index) {
  return w.units[checked_unit_index(index)];
}
inline bool is_free(const Unit& u) {
  return u.type == -1;
}

}  // namespace quarvex
