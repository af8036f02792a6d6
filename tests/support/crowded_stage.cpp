#include "crowded_stage.h"

#include <fstream>
#include <stdexcept>

#include "world/tables.h"

namespace quarvex::testing {
namespace {

// A small generator of its own so the layout does not touch the game's.
struct Lcg {
  uint32_t state;
  int below(int n) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<uint32_t>(n));
  }
};

void put16(std::vector<uint8_t>& out, int v) {
  const auto u = static_cast<uint16_t>(static_cast<int16_t>(v));
  out.push_back(static_cast<uint8_t>(u & 0xFF));
  out.push_back(static_cast<uint8_t>(u >> 8));
}

struct Record {
  int x, y, heading, kind, side, mode, goal_x, goal_y;
};

int slots_of(int kind) {
  return kUnitKinds[kind].child_type == -1 ? 1 : 2;
}

std::vector<uint8_t> encode(const std::vector<Record>& records) {
  std::vector<uint8_t> out;
  put16(out, static_cast<int>(records.size()));
  for (const Record& r : records) {
    put16(out, r.x);
    put16(out, r.y);
    put16(out, r.heading);
    out.push_back(static_cast<uint8_t>(r.kind));
    out.push_back(static_cast<uint8_t>(r.side));
    out.push_back(static_cast<uint8_t>(r.mode));
    out.push_back(0);
    put16(out, r.goal_x);
    put16(out, r.goal_y);
  }
  return out;
}

}  // namespace

std::vector<uint8_t> crowded_stage_bytes(uint32_t seed, int slots) {
  Lcg rng{seed};
  std::vector<Record> records;
  int used = 0;
  const int corner_x[4] = {-380, 380, -380, 380};
  const int corner_y[4] = {-380, -380, 380, 380};
  const int build_list_of_side[4] = {2, 3, 0, 1};
  auto add = [&](const Record& r) {
    if (used + slots_of(r.kind) > slots) return false;
    records.push_back(r);
    used += slots_of(r.kind);
    return true;
  };
  // Bases first: headquarters, three factories, four residences per side.
  for (int s = 0; s < 4; ++s) {
    const int cx = corner_x[s], cy = corner_y[s];
    add({cx, cy, 0, 32, s + 1, 0, 0, 0});
    for (int f = 0; f < 3; ++f) add({cx + 30 * (f - 1), cy + 40, 0, 34, s + 1, 2, 0, 0});
    for (int r = 0; r < 4; ++r) add({cx + 25 * (r - 2), cy - 40, 0, 33, s + 1, 0, 0, 0});
  }
  // Forces, round-robin over the sides until the table is full, each side's
  // in its own quarter of the middle so every side meets the others at once.
  for (int round = 0; used < slots && round < 1000; ++round) {
    for (int s = 0; s < 4 && used < slots; ++s) {
      const int list = build_list_of_side[s];
      int kind = build_lists[list][rng.below(12)];
      if (used + slots_of(kind) > slots) kind = build_lists[list][0];  // single-slot infantry
      if (kUnitKinds[kind].child_type != -1 && used + 2 > slots) break;
      const int spread = 300 + rng.below(90);
      const int x = corner_x[s] * (400 - spread) / 400 + rng.below(81) - 40;
      const int y = corner_y[s] * (400 - spread) / 400 + rng.below(81) - 40;
      const int mode = rng.below(3) == 0 ? 2 : 1;
      add({x, y, rng.below(16), kind, s + 1, mode, rng.below(101) - 50, rng.below(101) - 50});
    }
  }
  return encode(records);
}

std::vector<uint8_t> edge_stage_bytes(uint32_t seed) {
  Lcg rng{seed};
  std::vector<Record> records;
  for (int s = 1; s <= 4; ++s)
    records.push_back({(s % 2) ? -450 : 450, s <= 2 ? -450 : 450, 0, 32, s, 0, 0, 0});
  const int edge[] = {-32768, -501, -500, -499, 0, 499, 500, 501, 32767};
  const int headings[] = {-32768, -17, -1, 0, 1, 16, 33, 32767};
  const int goals[] = {-32768, -1, 0, 1, 500, 501, 32767};
  for (int round = 0; round < 3; ++round) {
    for (int kind = 0; kind < kUnitKindCount; ++kind) {
      const int side = 1 + (kind + round) % 4;
      records.push_back({edge[rng.below(9)], edge[rng.below(9)], headings[rng.below(8)], kind, side,
                         rng.below(256), goals[rng.below(7)], goals[rng.below(7)]});
      // Its neighbour at the same spot, to fight or follow it.
      records.push_back({rng.below(41) - 20, rng.below(41) - 20, headings[rng.below(8)], kind,
                         1 + side % 4, rng.below(5), goals[rng.below(7)], rng.below(30)});
    }
  }
  return encode(records);
}

std::string write_stage(const std::string& dir, int stage, const std::vector<uint8_t>& bytes) {
  const std::string path = dir + "/map" + std::to_string(stage) + ".aod";
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string write_crowded_stage(const std::string& dir, int stage, uint32_t seed, int slots) {
  return write_stage(dir, stage, crowded_stage_bytes(seed, slots));
}

}  // namespace quarvex::testing
