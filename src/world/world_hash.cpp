#include "world/world_hash.h"

#include <array>
#include <cstring>
#include <type_traits>

#include "world/float_bits.h"
#include "world/world_fields.h"

namespace quarvex {

namespace {

class HashFields {
 public:
  template <class T>
  void operator()(const char*, const T& value) {
    add(value);
  }
  uint64_t value() const { return hash_; }

 private:
  void add_bytes(uint64_t bits, int width) {
    for (int i = 0; i < width; ++i) {
      hash_ ^= (bits >> (8 * i)) & 0xFF;
      hash_ *= 0x100000001b3ull;
    }
  }
  void add(float v) { add_bytes(bits_of(v), 4); }
  template <class T>
  requires std::is_integral_v<T>
  void add(T v) {
    add_bytes(static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(v)), sizeof(T));
  }
  template <class T, size_t N>
  void add(const std::array<T, N>& values) {
    for (const T& v : values) add(v);
  }

  uint64_t hash_ = 0xcbf29ce484222325ull;
};

struct LeavingOutWallClock {
  template <class T>
  void operator()(const char* name, const T& value) {
    for (const char* clock_field :
         {"frames_this_second", "frames_last_second", "last_second", "last_frame_ms"}) {
      if (std::strcmp(name, clock_field) == 0) return;
    }
    h(name, value);
  }
  HashFields& h;
};

template <class Visitor>
uint64_t hash_with(const World& w, HashFields& h, Visitor& world_fields) {
  for (const Unit& u : w.units) visit_unit_fields(u, h);
  for (const Projectile& p : w.projectiles) visit_projectile_fields(p, h);
  for (const Particle& p : w.particles) visit_particle_fields(p, h);
  visit_world_fields(w, world_fields);
  const int further = further_humans(w);
  for (int k = 1; k <= further; ++k) visit_command_fields(w.humans[k], h);
  return h.value();
}

}  // namespace

uint64_t world_hash(const World& w) {
  HashFields h;
  return hash_with(w, h, h);
}

uint64_t replay_hash(const World& w) {
  HashFields h;
  LeavingOutWallClock fields{h};
  return hash_with(w, h, fields);
}

}  // namespace quarvex
