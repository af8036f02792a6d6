#pragma once
// What there is to hear in a frame, found by comparing the World with what
// it was at the end of the frame before: projectiles and particles that
// appeared, health that dropped, units that went, units built at the
// player's factories, menu moves. The World is only read.

#include <array>
#include <cstddef>
#include <cstdint>

#include "audio/sounds.h"
#include "world/world.h"

namespace quarvex {

struct SoundEvent {
  Sound sound;
  bool placed;  // false: an interface sound, heard from nowhere in particular
  float x;
  float y;
};

// The events of one frame. A frame with more than fit (a pool's worth of
// launches and every unit hit at once) keeps the first ones.
struct SoundEvents {
  static constexpr int kCapacity = 1024;
  std::array<SoundEvent, kCapacity> list;
  int count = 0;

  void add(Sound sound, float x, float y) { push({sound, true, x, y}); }
  void add_interface(Sound sound) { push({sound, false, 0.0f, 0.0f}); }
  void push(const SoundEvent& e) {
    if (count < kCapacity) list[static_cast<size_t>(count++)] = e;
  }
};

// Damage at or above which a hit sounds heavy.
constexpr int kHeavyHitDamage = 10;

class SoundWatcher {
 public:
  // Compares w with the last frame seen, adds what is to be heard to
  // `events` and remembers w for the next frame. The frame of a stage load
  // only gives the stage's start, the first frame seen nothing else.
  void watch(const World& w, SoundEvents& events);
  // Remembers w without hearing anything in it (a paused game).
  void remember(const World& w);

 private:
  struct UnitSeen {
    float x = 0.0f;
    float y = 0.0f;
    int16_t health = 0;
    int16_t parent = 0;
    int8_t type = -1;
    int8_t side = 0;
  };

  void watch_menus(const World& w, SoundEvents& events) const;
  void watch_projectiles(const World& w, SoundEvents& events) const;
  void watch_particles(const World& w, SoundEvents& events) const;
  void watch_units(const World& w, SoundEvents& events) const;
  bool player_paid_for_a_unit(const World& w) const;

  bool seen_ = false;
  std::array<UnitSeen, kUnitSlots> units_{};
  std::array<int8_t, kProjectileSlots> projectile_kinds_{};
  std::array<uint8_t, kParticleSlots> particle_lives_{};
  int8_t game_phase_ = 0;
  int8_t title_row_ = 0;
  int8_t stage_number_ = 0;
  int8_t player_side_ = 0;
  int8_t command_mode_ = 0;
  int8_t order_item_ = 0;
  int8_t build_item_ = 0;
  int16_t target_unit_ = 0;
  int32_t player_funds_ = 0;
};

}  // namespace quarvex
