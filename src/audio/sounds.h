#pragma once
// The game's sounds and which happening in the World each one stands for.

#include <cstdint>

namespace quarvex {

enum class Sound : uint8_t {
  // A projectile leaving its weapon, by family.
  kSmallArms,
  kSniper,
  kMachineGun,
  kAntiAircraft,
  kCannon,
  kHeavyCannon,
  kRapidCannon,
  kRocket,
  kGuidedMissile,
  kSalvo,
  kEnergyLight,
  kEnergyHeavy,
  kMortar,
  // What lands.
  kHitLight,
  kHitHeavy,
  kBurst,
  kBomb,
  kExplosionSmall,
  kExplosionMedium,
  kExplosionLarge,
  kBuildingDestroyed,
  kInfantryDown,
  kUnitBuilt,
  // The menus and the stage.
  kMenuMove,
  kMenuConfirm,
  kMenuBack,
  kMenuDenied,
  kMark,
  kStageStart,
  kGameOver,
  kComplete,
  kInfo,
  // Loops of the unit the player drives.
  kEngineLoop,
  kRotorLoop,
  kJetLoop,
  kHoverLoop,
  kCount
};

constexpr int kSoundCount = static_cast<int>(Sound::kCount);

// File name in the data folder's sounds/, without ".wav".
const char* sound_name(Sound sound);

// Menu moves, jingles and loops are heard as they are, not from a place.
bool is_interface_sound(Sound sound);

// The launch of a projectile of this kind; kCount for a kind outside the table.
Sound launch_sound(int projectile_kind);
// A unit of this type destroyed.
Sound destroyed_sound(int type);
// The loop of this unit type while the player drives it; kCount for a unit
// that makes no running noise (soldiers, buildings).
Sound running_loop(int type);
// The distance the type covers in a frame at full speed, in map units.
double top_speed(int type);

}  // namespace quarvex
