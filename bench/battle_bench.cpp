// The decision steps on a full unit table: four sides with bases and mixed
// forces packed around the middle, so every probe can find an enemy. Built
// with spawn_unit, independent of the stage files.

#include <benchmark/benchmark.h>

#include <memory>

#include "sim/sim.h"
#include "world/geometry.h"
#include "world/tables.h"

namespace quarvex::bench {
namespace {

int16_t spawn_kind(World& w, int kind_number, float x, float y, int8_t side) {
  const UnitKind* kind = unit_kind(kind_number);
  const int16_t main = spawn_unit(w, x, y, kind->air != 0 ? kAirZ : kGroundZ, 0, 0,
                                  static_cast<int8_t>(kind->main_type & 0xFF), side);
  if (main != 0 && kind->child_type != -1) {
    spawn_unit(w, 0, 0, kChildZ, 0, main, static_cast<int8_t>(kind->child_type), side);
  }
  return main;
}

std::unique_ptr<World> full_battle() {
  auto w = std::make_unique<World>();
  init_world(*w);
  w->game_phase = 1;
  w->funds = {200, 200, 200, 200};
  w->side_build_list = {2, 3, 0, 1};
  w->side_present = {1, 1, 1, 1};
  for (int8_t side = 1; side <= kSides; ++side) {
    const float bx = side % 2 == 0 ? 60.0f : -60.0f;
    const float by = side > 2 ? 60.0f : -60.0f;
    spawn_kind(*w, 32, bx, by, side);
    for (int f = 0; f < 2; ++f)
      w->factories[side - 1][f] = spawn_kind(*w, 34, bx + 15, by + f * 15, side);
    for (int r = 0; r < 3; ++r) spawn_kind(*w, 33, bx - 15, by + r * 10, side);
  }
  for (int i = 0; w->units[kMaxUnit].type == -1; ++i) {
    const auto side = static_cast<int8_t>(i % kSides + 1);
    const int kind = build_list_kind(w->side_build_list[side - 1], i % kBuildListLength);
    spawn_kind(*w, kind, static_cast<float>(random_spread(*w, 100)),
               static_cast<float>(random_spread(*w, 100)), side);
  }
  for (int i = 1; i <= kMaxUnit; ++i) w->units[i].mode = static_cast<uint8_t>(i % 5);
  return w;
}

template <typename Step>
void run_on_full_battle(benchmark::State& state, Step step) {
  const std::unique_ptr<World> w = full_battle();
  for (auto _ : state) {
    step(*w);
    benchmark::DoNotOptimize(w->rand_state);
  }
}

void BM_battle_control_units(benchmark::State& state) {
  run_on_full_battle(state, [](World& w) { control_units(w); });
}
BENCHMARK(BM_battle_control_units);

void BM_battle_command_computer_sides(benchmark::State& state) {
  run_on_full_battle(state, [](World& w) {
    command_computer_sides(w);
    w.side_order = {0, 0, 0, 0};
  });
}
BENCHMARK(BM_battle_command_computer_sides);

void BM_battle_markers_and_lock_on(benchmark::State& state) {
  run_on_full_battle(state, [](World& w) {
    player_state(w).selected_unit = 1;
    player_state(w).command_mode = 1;
    show_unit_markers(w);
    lock_on(w);
    for (Particle& p : w.particles) p.life = 0;
  });
}
BENCHMARK(BM_battle_markers_and_lock_on);

}  // namespace
}  // namespace quarvex::bench
