// Particles drift, turn and count down; a particle of life L is drawn L times.

#include "sim/sim.h"

namespace quarvex {

void update_particles(World& w) {
  for (Particle& p : w.particles) {
    if (p.life == 0) continue;
    p.x = static_cast<float>(wide(p.x) + p.dx / 20.0);
    p.y = static_cast<float>(wide(p.y) + p.dy / 20.0);
    p.angle = static_cast<float>(wide(p.angle) + p.spin * kDegree);
    p.life = static_cast<uint8_t>(p.life - 1);
  }
}

}  // namespace quarvex
