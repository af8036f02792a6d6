#include "world/geometry.h"

#include "world/trig.h"

namespace quarvex {

void wrap_angle(float& angle) {
  // Bounded so a huge (or infinite) value cannot spin forever; headings in
  // play are never more than a few turns out.
  for (int round = 0; round < 1 << 20; ++round) {
    if (wide(angle) >= kTwoPi) {
      angle = static_cast<float>(wide(angle) - kTwoPi);
    } else if (angle < 0) {
      angle = static_cast<float>(wide(angle) + kTwoPi);
    } else {
      return;
    }
  }
  if (!(angle >= 0 && wide(angle) < kTwoPi)) angle = 0;
}

uint8_t turn_side(float px, float py, float qx, float qy, float heading) {
  const float dx = static_cast<float>(wide(px) - wide(qx));
  const float dy = static_cast<float>(wide(py) - wide(qy));
  float bearing = 0;
  if (dx != 0 && dy != 0) bearing = static_cast<float>(game_atan2(wide(dy), wide(dx)));
  const double b = wide(bearing) - kHalfPi;
  int32_t hd = trunc_to_int(wide(heading) / kDegree);
  hd = hd % 360;
  float diff = static_cast<float>((b / kDegree - hd) * kDegree);
  wrap_angle(diff);
  return wide(diff) < kPi ? 0 : 1;
}

void seed_random(World& w, uint32_t seed) {
  w.rand_state = seed;
}

int32_t random_spread(World& w, int8_t n) {
  const int32_t r = next_random(w);
  return r % (2 * n + 1) - n;
}

}  // namespace quarvex
