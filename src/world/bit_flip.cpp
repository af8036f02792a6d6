#include "world/bit_flip.h"

#include <array>
#include <cstring>
#include <type_traits>

#include "world/float_bits.h"
#include "world/world_fields.h"

namespace quarvex {

namespace {

class Flipper {
 public:
  Flipper(std::string_view wanted, int bit) : wanted_(wanted), bit_(bit) {}

  // Names the record the next fields belong to: "units[12]." and so on.
  void within(std::string prefix) { prefix_ = std::move(prefix); }

  template <class T>
  void operator()(const char* name, T& value) {
    flip(prefix_ + name, value);
  }

  bool found() const { return found_; }
  bool bit_fits() const { return bit_fits_; }

 private:
  template <class T, size_t N>
  void flip(const std::string& name, std::array<T, N>& values) {
    // Only names that lead to the wanted one are spelled out in full.
    if (wanted_.compare(0, name.size(), name) != 0) return;
    for (size_t i = 0; i < N; ++i) flip(name + "[" + std::to_string(i) + "]", values[i]);
  }
  template <class T>
  requires std::is_arithmetic_v<T>
  void flip(const std::string& name, T& value) {
    if (found_ || name != wanted_) return;
    found_ = true;
    bit_fits_ = bit_ >= 0 && bit_ < static_cast<int>(8 * sizeof(T));
    if (!bit_fits_) return;
    if constexpr (std::is_same_v<T, float>) {
      const uint32_t bits = bits_of(value) ^ (uint32_t{1} << bit_);
      std::memcpy(&value, &bits, sizeof value);
    } else {
      using Bits = std::make_unsigned_t<T>;
      value = static_cast<T>(static_cast<Bits>(static_cast<Bits>(value) ^ (Bits{1} << bit_)));
    }
  }

  std::string_view wanted_;
  int bit_;
  std::string prefix_;
  bool found_ = false;
  bool bit_fits_ = false;
};

template <class Record, size_t N, class Visit>
void visit_pool(const char* pool, std::array<Record, N>& records, Flipper& f, Visit visit) {
  for (size_t i = 0; i < N && !f.found(); ++i) {
    f.within(std::string(pool) + "[" + std::to_string(i) + "].");
    visit(records[i], f);
  }
}

}  // namespace

bool flip_world_bit(World& w, std::string_view field, int bit, std::string& error) {
  Flipper f(field, bit);
  const std::string_view head = field.substr(0, field.find('['));
  if (head == "units") {
    visit_pool("units", w.units, f, [](Unit& u, Flipper& v) { visit_unit_fields(u, v); });
  } else if (head == "projectiles") {
    visit_pool("projectiles", w.projectiles, f,
               [](Projectile& p, Flipper& v) { visit_projectile_fields(p, v); });
  } else if (head == "particles") {
    visit_pool("particles", w.particles, f,
               [](Particle& p, Flipper& v) { visit_particle_fields(p, v); });
  } else if (head == "humans") {
    visit_pool("humans", w.humans, f,
               [](CommandState& c, Flipper& v) { visit_command_fields(c, v); });
  } else {
    visit_world_fields(w, f, FieldSet::kEvery);
  }
  if (!f.found()) {
    error = "the World has no field '" + std::string(field) + "'";
    return false;
  }
  if (!f.bit_fits()) {
    error = "bit " + std::to_string(bit) + " lies beyond the width of '" + std::string(field) + "'";
    return false;
  }
  return true;
}

}  // namespace quarvex
