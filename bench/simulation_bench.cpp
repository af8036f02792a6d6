// What a simulated frame costs on the crowded stage, whole and step by step.
// The World is put back to the same crowded state every so often, so the
// battle does not thin out while it is measured.

#include <benchmark/benchmark.h>

#include "crowded_world.h"
#include "sim/sim.h"

namespace quarvex::bench {
namespace {

constexpr int kRestoreEvery = 50;

template <typename Step>
void run_on_crowded_world(benchmark::State& state, Step step) {
  const std::unique_ptr<World> start = crowded_world();
  auto w = std::make_unique<World>(*start);
  int since_restore = 0;
  for (auto _ : state) {
    step(*w);
    if (++since_restore == kRestoreEvery) {
      state.PauseTiming();
      *w = *start;
      since_restore = 0;
      state.ResumeTiming();
    }
  }
  int live = 0, projectiles = 0, particles = 0;
  for (const Unit& u : start->units) live += u.type != -1;
  for (const Projectile& p : start->projectiles) projectiles += p.kind != -1;
  for (const Particle& p : start->particles) particles += p.life != 0;
  state.counters["units"] = live;
  state.counters["projectiles"] = projectiles;
  state.counters["particles"] = particles;
}

void BM_WholeFrame(benchmark::State& state) {
  IdleHost host;
  run_on_crowded_world(state, [&](World& w) { frame_tick(w, host); });
}
BENCHMARK(BM_WholeFrame);

struct NoMessages : Services {
  void show_message(const char*) override {}
  uint32_t stage_seed() override { return 0; }
  void load_ground_image(const char*) override {}
  const char* data_dir() override { return "."; }
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
