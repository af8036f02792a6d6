#include "crowded_world.h"

#include <filesystem>

#include "crowded_stage.h"
#include "world/stage.h"
#include "world/tables.h"

namespace quarvex::bench {
namespace {

// What a top-level unit fires: its own weapon, else its turret's.
int8_t weapon_of(const World& w, const Unit& u) {
  const int8_t own = unit_type(u.type).weapon;
  if (own != -1) return own;
  return u.child != 0 ? unit_type(unit_at(w, u.child).type).weapon : int8_t{-1};
}

// Sends the stage's forces in again, in its own order, into the slots the
// fallen left, until every slot is live. A two-slot kind goes in only where
// its turret fits too, so each placement takes exactly the slots counted.
void fill_units(World& w, const std::vector<uint8_t>& stage) {
  int free = 0;
  for (int i = 1; i <= kMaxUnit; ++i) free += w.units[i].type == -1;
  const size_t count = stage[0] | (stage[1] << 8);
  for (int pass = 0; pass < 4 && free > 0; ++pass) {
    for (size_t i = 0; i < count && free > 0; ++i) {
      const StageRecord r = decode_stage_record(&stage[2 + i * kStageRecordSize]);
      const UnitKind* kind = unit_kind(r.kind);
      // Buildings (kinds 32..34) stay as the battle left them.
      if (kind == nullptr || (r.kind >= 32 && r.kind <= 34)) continue;
      const int needed = kind->child_type == -1 ? 1 : 2;
      if (free < needed) continue;
      place_stage_record(w, r);
      free -= needed;
    }
  }
}

void fill_projectiles(World& w) {
  for (int round = 0; round < 4; ++round) {
    for (int16_t i = 1; i <= kMaxUnit; ++i) {
      const Unit& u = w.units[i];
      if (u.type == -1 || u.parent != 0 || u.side == 0) continue;
      const int8_t weapon = weapon_of(w, u);
      if (weapon == -1) continue;
      // Spread the volleys of one unit over a few directions.
      const auto course = static_cast<float>(u.heading + round * 0.3);
      spawn_projectile(w, u.x, u.y, course, weapon, u.side, u.target);
    }
  }
}

void fill_particles(World& w) {
  int slot = 0;
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1 || u.parent != 0) continue;
    // Lives of 10..19 frames outlast a restore period, like smoke and debris do.
    const auto life = static_cast<uint8_t>(10 + slot % 10);
    const auto dx = static_cast<int8_t>(slot % 41 - 20);
    const auto dy = static_cast<int8_t>(slot * 7 % 41 - 20);
    spawn_particle(w, u.x, u.y, static_cast<float>(slot * double{kDegree}), dx, dy, 0, life, 0,
                   static_cast<uint8_t>(slot % 2), 40);
    ++slot;
  }
}

}  // namespace

std::unique_ptr<World> crowded_world(int warm_up_frames) {
  IdleHost host;
  host.data = (std::filesystem::temp_directory_path() / "quarvex-bench").string();
  std::filesystem::create_directories(host.data);
  constexpr uint32_t kLayoutSeed = 3;
  testing::write_crowded_stage(host.data, 1, kLayoutSeed);
  auto w = std::make_unique<World>();
  init_world(*w);
  w->stage_number = 1;
  w->reload_requested = 1;
  for (int i = 0; i < warm_up_frames; ++i) frame_tick(*w, host);
  fill_units(*w, testing::crowded_stage_bytes(kLayoutSeed));
  fill_projectiles(*w);
  fill_particles(*w);
  return w;
}

PoolCounts count_pools(const World& w) {
  PoolCounts counts;
  for (const Unit& u : w.units) counts.units += u.type != -1;
  for (const Projectile& p : w.projectiles) counts.projectiles += p.kind != -1;
  for (const Particle& p : w.particles) counts.particles += p.life != 0;
  return counts;
}

}  // namespace quarvex::bench
