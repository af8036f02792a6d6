#pragma once
// The running noise of the unit the player drives: engine, rotor or jet,
// its pitch and loudness following the unit's speed.

#include <cstdint>

#include "audio/sounds.h"
#include "world/world.h"

namespace quarvex {

struct LoopSetting {
  Sound sound = Sound::kCount;  // kCount: nothing to hear
  double rate = 1.0;            // playback rate: the pitch
  double gain = 0.0;            // 0 .. 1
};

// Playback rate and gain at a standstill and at full speed.
constexpr double kIdleRate = 0.8;
constexpr double kFullRate = 1.4;
constexpr double kIdleGain = 0.6;

class DrivenNoise {
 public:
  // This frame's loop for the World: the driven unit's, or none when the
  // player drives nothing (or something that makes no running noise).
  LoopSetting follow(const World& w);

 private:
  int16_t unit_ = 0;
  int8_t type_ = -1;
  float x_ = 0.0f;
  float y_ = 0.0f;
  double speed_ = 0.0;  // map units a frame, smoothed
};

}  // namespace quarvex
