#include "world/snapshot.h"

#include <array>
#include <cstring>
#include <memory>
#include <type_traits>

#include "world/float_bits.h"
#include "world/world_check.h"
#include "world/world_fields.h"

namespace quarvex {

namespace {

constexpr char kMagic[4] = {'Q', 'V', 'X', 'S'};
constexpr size_t kHeaderBytes = 4 + 2 + 4;
constexpr uint32_t kLargestFrame = 2147483647;

// Calls v on every field of w, in the order of the format.
template <class W, class Visitor>
void visit_snapshot(W& w, Visitor& v) {
  for (auto& u : w.units) visit_unit_fields(u, v);
  for (auto& p : w.projectiles) visit_projectile_fields(p, v);
  for (auto& p : w.particles) visit_particle_fields(p, v);
  visit_world_fields(w, v, FieldSet::kEvery);
  for (int k = 1; k <= further_humans(w, FieldSet::kEvery); ++k)
    visit_command_fields(w.humans[k], v);
}

// The unsigned integer a value is written as.
template <class T>
struct BitsOf {
  using type = std::make_unsigned_t<T>;
};
template <>
struct BitsOf<float> {
  using type = uint32_t;
};
template <class T>
using Bits = typename BitsOf<T>::type;

struct Counter {
  template <class T>
  void operator()(const char*, const T&) {
    bytes += sizeof(T);
  }
  template <class T, size_t N>
  void operator()(const char* name, const std::array<T, N>& values) {
    for (const T& v : values) (*this)(name, v);
  }
  size_t bytes = 0;
};

struct Writer {
  template <class T>
  void operator()(const char*, const T& value) {
    Bits<T> bits;
    if constexpr (std::is_same_v<T, float>) {
      bits = bits_of(value);
    } else {
      bits = static_cast<Bits<T>>(value);
    }
    for (size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  }
  template <class T, size_t N>
  void operator()(const char* name, const std::array<T, N>& values) {
    for (const T& v : values) (*this)(name, v);
  }
  std::vector<uint8_t>& out;
};

// Reads each value from where the last one ended; stops at the end of the
// data, naming the field it could not read.
struct Reader {
  template <class T>
  void operator()(const char* name, T& value) {
    if (at + sizeof(T) > size) {
      if (missing == nullptr) missing = name;
      return;
    }
    Bits<T> bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
      bits = static_cast<Bits<T>>(bits | Bits<T>{data[at + i]} << (8 * i));
    at += sizeof(T);
    if constexpr (std::is_same_v<T, float>) {
      std::memcpy(&value, &bits, sizeof value);
    } else {
      value = static_cast<T>(bits);
    }
  }
  template <class T, size_t N>
  void operator()(const char* name, std::array<T, N>& values) {
    for (T& v : values) (*this)(name, v);
  }
  const uint8_t* data;
  size_t size;
  size_t at;
  const char* missing = nullptr;
};

uint32_t read_u32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

size_t snapshot_size() {
  static const size_t bytes = [] {
    const auto w = std::make_unique<World>();
    Counter counter;
    visit_snapshot(static_cast<const World&>(*w), counter);
    return kHeaderBytes + counter.bytes;
  }();
  return bytes;
}

void encode_snapshot(const World& w, uint32_t frame, std::vector<uint8_t>& out) {
  out.clear();
  out.reserve(snapshot_size());
  out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
  out.push_back(static_cast<uint8_t>(kSnapshotVersion & 0xFF));
  out.push_back(static_cast<uint8_t>(kSnapshotVersion >> 8));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(frame >> (8 * i)));
  Writer writer{out};
  visit_snapshot(w, writer);
}

bool snapshot_frame(const uint8_t* data, size_t size, uint32_t& frame) {
  if (data == nullptr || size < kHeaderBytes || std::memcmp(data, kMagic, sizeof kMagic) != 0) {
    return false;
  }
  frame = read_u32(data + 6);
  return true;
}

bool decode_snapshot(const uint8_t* data, size_t size, World& out, uint32_t& frame,
                     std::string& error) {
  if (data == nullptr || size < kHeaderBytes || std::memcmp(data, kMagic, sizeof kMagic) != 0) {
    error = "not a snapshot of a World";
    return false;
  }
  const unsigned version = data[4] | data[5] << 8;
  if (version != kSnapshotVersion) {
    error = "snapshot format " + std::to_string(version) + "; this game reads format " +
            std::to_string(kSnapshotVersion);
    return false;
  }
  if (size != snapshot_size()) {
    error = "a snapshot has " + std::to_string(snapshot_size()) + " bytes; this one has " +
            std::to_string(size);
    return false;
  }
  const uint32_t taken_after = read_u32(data + 6);
  if (taken_after > kLargestFrame) {
    error = "snapshot frame " + std::to_string(taken_after) + " is outside 0.." +
            std::to_string(kLargestFrame);
    return false;
  }
  auto w = std::make_unique<World>();
  init_world(*w);
  Reader reader{data, size, kHeaderBytes};
  visit_snapshot(*w, reader);
  std::string why;
  if (reader.missing != nullptr) {
    error = std::string("snapshot ends before its field ") + reader.missing;
    return false;
  }
  if (!check_world(*w, why)) {
    error = "snapshot refused: " + why;
    return false;
  }
  out = *w;
  frame = taken_after;
  return true;
}

}  // namespace quarvex
