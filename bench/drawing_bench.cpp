// What the drawing code costs for a crowded frame, without a graphics
// library: a device that keeps a tally of what it is given instead of a list,
// so the figure is the drawing code's own and not the cost of storing quads.

#include <benchmark/benchmark.h>

#include "crowded_world.h"
#include "render/draw.h"
#include "render/render_frame.h"

namespace quarvex::bench {
namespace {

// Counts every call and folds every vertex into a sum, so nothing the drawing
// code computes can be optimised away.
struct TallyingDevice : Device {
  int64_t world_quads = 0;
  int64_t screen_quads = 0;
  int64_t texts = 0;
  double sum = 0;

  void begin_frame(uint32_t, float) override {}
  void set_view_projection(const glm::mat4& v, const glm::mat4& p) override {
    sum += v[3][0] + p[0][0];
  }
  void set_world(const glm::mat4& m) override { sum += m[3][0] + m[0][1]; }
  void draw_world_quad(int slot, const std::array<WorldVertex, 4>& quad) override {
    ++world_quads;
    for (const WorldVertex& v : quad) sum += v.x + v.y + v.u + v.v + slot;
  }
  void draw_screen_quad(int slot, const std::array<ScreenVertex, 4>& quad) override {
    ++screen_quads;
    for (const ScreenVertex& v : quad) sum += v.x + v.y + v.u + v.v + slot;
  }
  void draw_text(const char* text, const TextRect& rect, TextAlign, uint32_t) override {
    ++texts;
    sum += rect.left + text[0];
  }
  void set_text_face(TextFace) override {}
  TextSize text_size(const char* text) override { return TextSize{text[0], 20}; }
  void present() override {}
};

// The crowded World as it stands, drawn whole (ground, every unit,
// projectile and particle, minimap, overlay) once per iteration.
void BM_RenderFrame(benchmark::State& state) {
  const std::unique_ptr<World> w = crowded_world();
  TallyingDevice device;
  for (auto _ : state) {
    render_frame(device, *w, Texts());
    benchmark::DoNotOptimize(device.sum);
  }
  const auto frames = static_cast<double>(state.iterations());
  state.counters["world_quads"] = static_cast<double>(device.world_quads) / frames;
  state.counters["screen_quads"] = static_cast<double>(device.screen_quads) / frames;
  const PoolCounts pools = count_pools(*w);
  state.counters["units"] = pools.units;
  state.counters["projectiles"] = pools.projectiles;
  state.counters["particles"] = pools.particles;
}
BENCHMARK(BM_RenderFrame);

#define QUARVEX_DRAW_BENCH(loop)                      \
  void BM_##loop(benchmark::State& state) {           \
    const std::unique_ptr<World> w = crowded_world(); \
    TallyingDevice device;                            \
    for (auto _ : state) {                            \
      loop(device, *w);                               \
      benchmark::DoNotOptimize(device.sum);           \
    }                                                 \
  }                                                   \
  BENCHMARK(BM_##loop)

QUARVEX_DRAW_BENCH(draw_units);
QUARVEX_DRAW_BENCH(draw_projectiles);
QUARVEX_DRAW_BENCH(draw_particles);

}  // namespace
}  // namespace quarvex::bench
