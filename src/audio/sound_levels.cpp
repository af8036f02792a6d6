#include "audio/sound_levels.h"

#include <algorithm>

namespace quarvex {

SoundLevels louder(SoundLevels levels) {
  levels.master = std::min(100, levels.master + kVolumeStep);
  levels.muted = false;
  return levels;
}

SoundLevels quieter(SoundLevels levels) {
  levels.master = std::max(0, levels.master - kVolumeStep);
  return levels;
}

SoundLevels toggle_mute(SoundLevels levels) {
  levels.muted = !levels.muted;
  return levels;
}

}  // namespace quarvex
