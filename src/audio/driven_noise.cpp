#include "audio/driven_noise.h"

#include <algorithm>
#include <cmath>

namespace quarvex {

namespace {

// Share of the newest frame's movement in the smoothed speed.
constexpr double kSmoothing = 0.35;

}  // namespace

LoopSetting DrivenNoise::follow(const World& w) {
  const CommandState& player = player_state(w);
  const Unit& u = unit_at(w, player.selected_unit);
  const Sound sound =
      (w.game_phase != 0 && player.command_mode == 2 && !is_free(u) && u.parent == 0)
          ? running_loop(u.type)
          : Sound::kCount;
  if (sound == Sound::kCount) {
    unit_ = 0;
    return {};
  }
  if (unit_ != player.selected_unit || type_ != u.type) {
    unit_ = player.selected_unit;
    type_ = u.type;
    speed_ = 0.0;
  } else {
    const double moved = std::hypot(double{u.x} - x_, double{u.y} - y_);
    speed_ += (moved - speed_) * kSmoothing;
  }
  x_ = u.x;
  y_ = u.y;
  const double top = top_speed(u.type);
  const double share = top > 0.0 ? std::clamp(speed_ / top, 0.0, 1.0) : 0.0;
  return {sound, kIdleRate + (kFullRate - kIdleRate) * share,
          kIdleGain + (1.0 - kIdleGain) * share};
}

}  // namespace quarvex
