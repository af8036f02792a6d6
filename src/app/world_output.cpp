#include "app/world_output.h"

#include <array>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "world/float_bits.h"
#include "world/world_fields.h"

namespace quarvex {

namespace {

class JsonFields {
 public:
  explicit JsonFields(std::FILE* out) : out_(out) {}

  template <class T>
  void operator()(const char* name, const T& value) {
    std::fprintf(out_, "%s\"%s\": ", first_ ? "" : ", ", name);
    first_ = false;
    write(value);
  }

  void begin_object() {
    std::fputc('{', out_);
    first_ = true;
  }
  void end_object() { std::fputc('}', out_); }

 private:
  void write(float v) {
    if (std::isfinite(v)) {
      std::fprintf(out_, "%.9g", static_cast<double>(v));
    } else {
      std::fputs("null", out_);
    }
  }
  template <class T>
  requires std::is_integral_v<T>
  void write(T v) {
    if constexpr (std::is_signed_v<T>) {
      std::fprintf(out_, "%lld", static_cast<long long>(v));
    } else {
      std::fprintf(out_, "%llu", static_cast<unsigned long long>(v));
    }
  }
  template <class T, size_t N>
  void write(const std::array<T, N>& values) {
    std::fputc('[', out_);
    for (size_t i = 0; i < N; ++i) {
      if (i != 0) std::fputs(", ", out_);
      write(values[i]);
    }
    std::fputc(']', out_);
  }

  std::FILE* out_;
  bool first_ = true;
};

template <class Record, class Visit, class IsLive>
void write_pool(std::FILE* out, const char* name, const Record* records, int count, Visit visit,
                IsLive is_live) {
  std::fprintf(out, ",\n\"%s\": [", name);
  bool first = true;
  for (int i = 0; i < count; ++i) {
    if (!is_live(i, records[i])) continue;
    std::fputs(first ? "\n  " : ",\n  ", out);
    first = false;
    JsonFields fields(out);
    fields.begin_object();
    fields("index", i);
    visit(records[i], fields);
    fields.end_object();
  }
  std::fputs(first ? "]" : "\n]", out);
}

}  // namespace

void write_world_json(std::FILE* out, const World& w, int64_t frames_run) {
  std::fprintf(out, "{\"frame\": %lld,\n\"world\": ", static_cast<long long>(frames_run));
  JsonFields fields(out);
  fields.begin_object();
  visit_world_fields(w, fields);
  fields.end_object();
  write_pool(
      out, "units", w.units.data(), kUnitSlots,
      [](const Unit& u, JsonFields& f) { visit_unit_fields(u, f); },
      [](int i, const Unit& u) { return i == 0 || u.type != -1; });
  write_pool(
      out, "projectiles", w.projectiles.data(), kProjectileSlots,
      [](const Projectile& p, JsonFields& f) { visit_projectile_fields(p, f); },
      [](int, const Projectile& p) { return p.kind != -1; });
  write_pool(
      out, "particles", w.particles.data(), kParticleSlots,
      [](const Particle& p, JsonFields& f) { visit_particle_fields(p, f); },
      [](int, const Particle& p) { return p.life != 0; });
  if (several_humans(w)) {
    // Every human side's command state with its side; the first repeats the
    // player's fields of "world".
    write_pool(
        out, "humans", w.humans.data(), further_humans(w) + 1,
        [&](const CommandState& c, JsonFields& f) {
          f("side", human_side(w, static_cast<int>(&c - w.humans.data())));
          visit_command_fields(c, f);
        },
        [](int, const CommandState&) { return true; });
  }
  std::fputs("}\n", out);
}

}  // namespace quarvex
