// What a simulated frame costs on the crowded stage, whole and step by step.
// The World is put back to the same crowded state every so often, so the
// battle does not thin out while it is measured.

#include <benchmark/benchmark.h>

#include "crowded_world.h"
#include "sim/sim.h"

namespace quarvex::bench {
namespace {

// Projectiles live for a few dozen frames and debris for a few, so a short
// period keeps both pools near full the whole time.
constexpr int kRestoreEvery = 10;

// The counters are the pool levels at the end of each period, before the
// restore: the emptiest the World gets while it is measured.
template <typename Step>
void run_on_crowded_world(benchmark::State& state, Step step) {
  const std::unique_ptr<World> start = crowded_world();
  auto w = std::make_unique<World>(*start);
  int since_restore = 0;
  PoolCounts lowest_sum;
  int periods = 0;
  for (auto _ : state) {
    step(*w);
    if (++since_restore == kRestoreEvery) {
      state.PauseTiming();
      const PoolCounts now = count_pools(*w);
      lowest_sum.units += now.units;
      lowest_sum.projectiles += now.projectiles;
      lowest_sum.particles += now.particles;
      ++periods;
      *w = *start;
      since_restore = 0;
      state.ResumeTiming();
    }
  }
  const PoolCounts first = count_pools(*start);
  const double n = periods > 0 ? periods : 1;
  state.counters["units"] = first.units;
  state.counters["projectiles"] = first.projectiles;
  state.counters["particles"] = first.particles;
  state.counters["units_low"] = lowest_sum.units / n;
  state.counters["projectiles_low"] = lowest_sum.projectiles / n;
  state.counters["particles_low"] = lowest_sum.particles / n;
}

void BM_WholeFrame(benchmark::State& state) {
  IdleHost host;
  run_on_crowded_world(state, [&](World& w) { frame_tick(w, host); });
}
BENCHMARK(BM_WholeFrame);

struct NoMessages : Services {
  void show_message(const char*, std::span<const MessageArg>) override {}
  uint32_t stage_seed() override { return 0; }
  void load_ground_image(const char*) override {}
  StageFiles stage_files(int) override { return {}; }
};

#define QUARVEX_STEP_BENCH(step)                            \
  void BM_##step(benchmark::State& state) {                 \
    run_on_crowded_world(state, [](World& w) { step(w); }); \
  }                                                         \
  BENCHMARK(BM_##step)

QUARVEX_STEP_BENCH(player_command);
QUARVEX_STEP_BENCH(command_computer_sides);
QUARVEX_STEP_BENCH(reset_side_presence);
QUARVEX_STEP_BENCH(execute_side_orders);
QUARVEX_STEP_BENCH(control_units);
QUARVEX_STEP_BENCH(show_unit_markers);
QUARVEX_STEP_BENCH(lock_on);
QUARVEX_STEP_BENCH(update_units);
QUARVEX_STEP_BENCH(update_projectiles);
QUARVEX_STEP_BENCH(update_particles);
QUARVEX_STEP_BENCH(camera_follow);

void BM_end_of_frame(benchmark::State& state) {
  NoMessages services;
  run_on_crowded_world(state, [&](World& w) { end_of_frame(w, services); });
}
BENCHMARK(BM_end_of_frame);

}  // namespace
}  // namespace quarvex::bench
