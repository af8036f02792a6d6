#include "audio/sounds.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "world/tables.h"

namespace quarvex {

namespace {

constexpr std::array<const char*, kSoundCount> kNames = {"small_arms",
                                                         "sniper",
                                                         "machine_gun",
                                                         "anti_aircraft",
                                                         "cannon",
                                                         "heavy_cannon",
                                                         "rapid_cannon",
                                                         "rocket",
                                                         "guided_missile",
                                                         "salvo",
                                                         "energy_light",
                                                         "energy_heavy",
                                                         "mortar",
                                                         "hit_light",
                                                         "hit_heavy",
                                                         "burst",
                                                         "bomb",
                                                         "explosion_small",
                                                         "explosion_medium",
                                                         "explosion_large",
                                                         "building_destroyed",
                                                         "infantry_down",
                                                         "unit_built",
                                                         "menu_move",
                                                         "menu_confirm",
                                                         "menu_back",
                                                         "menu_denied",
                                                         "mark",
                                                         "stage_start",
                                                         "game_over",
                                                         "complete",
                                                         "info",
                                                         "engine_loop",
                                                         "rotor_loop",
                                                         "jet_loop",
                                                         "hover_loop"};

// By projectile kind 0..19. Fragments (10, 15) are heard as the burst that
// throws them.
constexpr std::array<Sound, kProjectileTypeCount> kLaunch = {
    Sound::kMachineGun,     // 0 tracer of the light guns
    Sound::kCannon,         // 1 tank and turret shell
    Sound::kRapidCannon,    // 2 fast round
    Sound::kAntiAircraft,   // 3 anti-aircraft and aircraft guns
    Sound::kRocket,         // 4
    Sound::kGuidedMissile,  // 5 homing missile
    Sound::kRocket,         // 6
    Sound::kSmallArms,      // 7 rifle
    Sound::kSmallArms,      // 8 handgun
    Sound::kHeavyCannon,    // 9 heavy tank shell
    Sound::kBomb,           // 10 demolition charge fragments
    Sound::kRocket,         // 11 bazooka
    Sound::kSmallArms,      // 12 special forces
    Sound::kCannon,         // 13 assault gun
    Sound::kSalvo,          // 14 sweeping salvo
    Sound::kBurst,          // 15 grenade and mortar fragments
    Sound::kSniper,         // 16
    Sound::kEnergyLight,    // 17 energy disc
    Sound::kEnergyHeavy,    // 18 energy bolt
    Sound::kEnergyLight,    // 19 energy dart
};

bool is_soldier(int type) {
  switch (type) {
    case 16:
    case 18:
    case 30:
    case 31:
    case 32:
    case 33:
    case 44:
    case 45:
    case 50:
      return true;
    default:
      return false;
  }
}

}  // namespace

const char* sound_name(Sound sound) {
  const auto i = static_cast<size_t>(sound);
  return i < kNames.size() ? kNames[i] : "";
}

bool is_interface_sound(Sound sound) {
  return sound >= Sound::kMenuMove;
}

Sound launch_sound(int projectile_kind) {
  if (projectile_kind < 0 || projectile_kind >= kProjectileTypeCount) return Sound::kCount;
  return kLaunch[static_cast<size_t>(projectile_kind)];
}

Sound destroyed_sound(int type) {
  if (type == kTypeHeadquarters || type == kTypeResidence || type == kTypeFactory) {
    return Sound::kBuildingDestroyed;
  }
  if (is_soldier(type)) return Sound::kInfantryDown;
  const int size = unit_type(type).size;
  if (size >= 70) return Sound::kExplosionLarge;
  if (size >= 40) return Sound::kExplosionMedium;
  return Sound::kExplosionSmall;
}

Sound running_loop(int type) {
  switch (type) {
    case 0:
    case 22:
    case 23:
      return Sound::kRotorLoop;
    case 7:
    case 11:
    case 24:
    case 25:
    case 26:
    case 52:
      return Sound::kJetLoop;
    case 6:
    case 35:
    case 46:
    case 51:
    case 53:
    case 54:
      return Sound::kHoverLoop;
    case 2:
    case 4:
    case 8:
    case 10:
    case 19:
    case 20:
    case 27:
    case 36:
    case 39:
    case 43:
      return Sound::kEngineLoop;
    default:
      return Sound::kCount;
  }
}

double top_speed(int type) {
  // The throttle vehicles move by their own limits, not by the table's speeds.
  switch (type) {
    case 10:
      return 10.0 / 20.0;
    case 19:
      return 12.0 / 20.0;
    case 20:
      return 14.0 / 20.0;
    default:
      break;
  }
  const UnitType& t = unit_type(type);
  const int fastest = std::max({std::abs(int{t.fwd_speed}), std::abs(int{t.back_speed})}) +
                      std::abs(int{t.cruise_speed});
  return fastest / 20.0;
}

}  // namespace quarvex
