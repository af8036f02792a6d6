#pragma once
// The player's sound controls. Filled from the settings; changed in play by
// the mute and volume keys.

namespace quarvex {

struct SoundLevels {
  int master = 100;   // percent, everything
  int effects = 100;  // percent, the battle and the driven unit
  bool muted = false;
};

constexpr int kVolumeStep = 10;

// One press of the volume keys: the master volume a step up or down, kept
// within 0..100; a step up also ends a mute.
SoundLevels louder(SoundLevels levels);
SoundLevels quieter(SoundLevels levels);
SoundLevels toggle_mute(SoundLevels levels);

}  // namespace quarvex
