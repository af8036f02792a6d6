// A crowded frame drawn by the OpenGL device in a real window: run it under
// Xvfb with Mesa's software rasteriser (see docs/performance.md). Measures
// the drawing code, the device's batching and the rasterising of a
// 640x480 picture, including the swap.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "crowded_world.h"
#include "platform/font.h"
#include "platform/gl_device.h"
#include "platform/system.h"
#include "platform/window.h"
#include "render/render_frame.h"

namespace quarvex::bench {
namespace {

constexpr const char* kAtlasFiles[] = {"t0.dds", "t1.dds", "t2.dds", "t3.dds",
                                       "t4.dds", "t5.dds", "ts.dds", "tc.dds"};

// Loads what the game would show; whatever is missing is named once and the
// frame is drawn without it.
void load_pictures(GlDevice& device) {
  const std::filesystem::path data = QUARVEX_DATA_DIR;
  std::string error;
  for (int slot = 0; slot < 8; ++slot) {
    if (!device.load_texture(slot, (data / kAtlasFiles[slot]).string(), error)) {
      std::fprintf(stderr, "gl_bench: %s\n", error.c_str());
    }
  }
  if (!device.load_texture(kGroundSlot, (data / "map1.bmp").string(), error)) {
    std::fprintf(stderr, "gl_bench: %s\n", error.c_str());
  }
  std::unique_ptr<Fonts> fonts = Fonts::open(find_latin_font(), find_japanese_font(), error);
  if (fonts != nullptr) device.set_fonts(std::move(fonts));
}

void BM_GlRenderFrame(benchmark::State& state) {
  std::string error;
  if (!display_available(error) || !start_video(error)) {
    state.SkipWithError(("no display: " + error).c_str());
    return;
  }
  {
    const std::unique_ptr<World> w = crowded_world();
    std::unique_ptr<Window> window = Window::open(1, false, error);
    std::unique_ptr<GlDevice> device = window ? GlDevice::create(*window, error) : nullptr;
    if (device == nullptr) {
      state.SkipWithError(("no OpenGL device: " + error).c_str());
    } else {
      load_pictures(*device);
      for (auto _ : state) render_frame(*device, *w, Texts());
      const PoolCounts pools = count_pools(*w);
      state.counters["units"] = pools.units;
      state.counters["projectiles"] = pools.projectiles;
      state.counters["particles"] = pools.particles;
    }
    device.reset();
    window.reset();
  }
  stop_video();
}
BENCHMARK(BM_GlRenderFrame)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
}  // namespace quarvex::bench
