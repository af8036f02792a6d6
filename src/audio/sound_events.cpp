#include "audio/sound_events.h"

#include "world/tables.h"

namespace quarvex {

namespace {

// The mortar's muzzle puff is the only trace of its shot where it stands.
constexpr uint8_t kSmokeCell = 10;
constexpr int8_t kMortarPuffSize = 25;

bool pressed(const World& w, Key key) {
  return player_state(w).key_latches[key] == kLatchPressed;
}

}  // namespace

void SoundWatcher::watch(const World& w, SoundEvents& events) {
  // Before the first frame seen, the game was in its title menu.
  const bool stage_began = game_phase_ == 0 && w.game_phase != 0;
  if (stage_began) events.add_interface(Sound::kStageStart);
  if (seen_ && !stage_began) {
    watch_menus(w, events);
    if (w.game_phase != 0) {
      watch_projectiles(w, events);
      watch_particles(w, events);
      watch_units(w, events);
    }
  }
  remember(w);
}

void SoundWatcher::remember(const World& w) {
  const CommandState& player = player_state(w);
  seen_ = true;
  for (size_t i = 0; i < units_.size(); ++i) {
    const Unit& u = w.units[i];
    units_[i] = UnitSeen{u.x, u.y, u.health, u.parent, u.type, u.side};
  }
  for (size_t i = 0; i < projectile_kinds_.size(); ++i)
    projectile_kinds_[i] = w.projectiles[i].kind;
  for (size_t i = 0; i < particle_lives_.size(); ++i) particle_lives_[i] = w.particles[i].life;
  game_phase_ = w.game_phase;
  title_row_ = w.title_row;
  stage_number_ = w.stage_number;
  player_side_ = w.player_side;
  command_mode_ = player.command_mode;
  order_item_ = player.order_item;
  build_item_ = player.build_item;
  target_unit_ = player.target_unit;
  player_funds_ = (w.player_side >= 0 && w.player_side < kSides)
                      ? w.funds[static_cast<size_t>(w.player_side)]
                      : 0;
}

void SoundWatcher::watch_menus(const World& w, SoundEvents& events) const {
  const CommandState& player = player_state(w);
  if (w.game_phase == 0) {
    if (w.title_row != title_row_ || w.stage_number != stage_number_ ||
        w.player_side != player_side_) {
      events.add_interface(Sound::kMenuMove);
    }
    if (w.reload_requested != 0 && pressed(w, kKeySelect)) {
      events.add_interface(Sound::kMenuConfirm);
    }
    return;
  }
  const int8_t before = command_mode_, now = player.command_mode;
  if (before == 0) {
    if (now == 1) {
      // The order menu opens even when Space found no unit of the player's.
      const bool found = !is_free(unit_at(w, player.selected_unit));
      events.add_interface(found ? Sound::kMenuConfirm : Sound::kMenuDenied);
    } else if (pressed(w, kKeySelect)) {
      // Space found no unit of the player's to select.
      events.add_interface(Sound::kMenuDenied);
    }
    if (pressed(w, kKeyMark)) events.add_interface(Sound::kMark);
  } else if (before == 1) {
    if (now == 1) {
      if (player.order_item != order_item_ || player.build_item != build_item_) {
        events.add_interface(Sound::kMenuMove);
      }
      if (player.target_unit != target_unit_) events.add_interface(Sound::kMark);
    } else if (now == 2) {
      events.add_interface(Sound::kMenuConfirm);
    } else if (pressed(w, kKeyFast)) {
      events.add_interface(Sound::kMenuBack);
    } else if (pressed(w, kKeySelect)) {
      const bool build = order_item_ == 5;
      if (!build) {
        events.add_interface(Sound::kMenuConfirm);
      } else if (player_paid_for_a_unit(w)) {
        events.add_interface(Sound::kMenuConfirm);
        const Unit& factory = unit_at(w, w.side_order_unit[static_cast<size_t>(w.player_side)]);
        events.add(Sound::kUnitBuilt, factory.x, factory.y);
      } else {
        events.add_interface(Sound::kMenuDenied);
      }
    }
  } else if (before == 2 && now == 1) {
    events.add_interface(Sound::kMenuBack);
  }
}

// Building is the only spending; residences earn in frames whose counter is
// 1 modulo 50, each that took its step this frame (the ones still standing
// and the ones destroyed in it) adding 1.
bool SoundWatcher::player_paid_for_a_unit(const World& w) const {
  if (w.player_side < 0 || w.player_side >= kSides || w.player_side != player_side_) return false;
  const int8_t side = static_cast<int8_t>(w.player_side + 1);
  int32_t income = 0;
  if (w.frame_counter % 50 == 1) {
    for (size_t i = 1; i < units_.size(); ++i) {
      const Unit& u = w.units[i];
      const UnitSeen& was = units_[i];
      const bool standing = u.type == kTypeResidence && u.side == side;
      const bool fell = was.type == kTypeResidence && was.side == side &&
                        (u.type != kTypeResidence || u.side != side);
      income += (standing || fell) ? 1 : 0;
    }
  }
  return w.funds[static_cast<size_t>(w.player_side)] < player_funds_ + income;
}

void SoundWatcher::watch_projectiles(const World& w, SoundEvents& events) const {
  for (size_t i = 0; i < projectile_kinds_.size(); ++i) {
    const Projectile& p = w.projectiles[i];
    if (p.kind == -1 || p.kind == projectile_kinds_[i]) continue;
    const Sound sound = launch_sound(p.kind);
    if (sound != Sound::kCount) events.add(sound, p.x, p.y);
  }
}

void SoundWatcher::watch_particles(const World& w, SoundEvents& events) const {
  for (size_t i = 0; i < particle_lives_.size(); ++i) {
    const Particle& p = w.particles[i];
    if (particle_lives_[i] != 0 || p.life == 0) continue;
    if (p.texture == 0 && p.cell == kSmokeCell && p.size == kMortarPuffSize) {
      events.add(Sound::kMortar, p.x, p.y);
    }
  }
}

void SoundWatcher::watch_units(const World& w, SoundEvents& events) const {
  for (size_t i = 1; i < units_.size(); ++i) {
    const UnitSeen& was = units_[i];
    if (was.type == -1 || was.parent != 0) continue;
    const Unit& u = w.units[i];
    const bool same_unit = u.type == was.type && u.side == was.side && u.parent == 0;
    if (!same_unit) {
      // Health at or below 0 at the end of a frame means destruction in the
      // next; a unit that goes with health left was removed by its own rule.
      if (was.health <= 0) events.add(destroyed_sound(was.type), was.x, was.y);
      continue;
    }
    const int damage = was.health - u.health;
    if (damage > 0) {
      events.add(damage >= kHeavyHitDamage ? Sound::kHitHeavy : Sound::kHitLight, u.x, u.y);
    }
  }
}

}  // namespace quarvex
