#pragma once
// A World in the thick of a four-side battle on the crowded stage, for the
// benchmarks to start from.

#include <array>
#include <memory>
#include <string>

#include "app/frame.h"
#include "world/stage.h"

namespace quarvex::bench {

// Host that feeds no keys and waits for nothing.
struct IdleHost : FrameHost {
  std::string data;
  void show_message(const char*, std::span<const MessageArg>) override {}
  uint32_t stage_seed() override { return 11; }
  void load_ground_image(const char*) override {}
  StagePaths paths;
  StageFiles stage_files(int stage) override {
    return stage_files_in_folder(data.c_str(), stage, paths);
  }
  void sample_keys(std::array<bool, kKeyCount>& down) override { down.fill(false); }
  void render(const World&) override {}
  int32_t clock_ms() override { return 0; }
  int64_t calendar_seconds() override { return 0; }
  void sleep_ms(int32_t) override {}
  bool paced() override { return false; }
};

// Loads the crowded stage, runs `warm_up_frames` frames so the sides are
// fighting, then tops all three pools up to full: the stage's forces are
// placed again until every unit slot is live, every armed unit in slot order
// fires once more, and debris is thrown on units, until no slot is free. The
// same World every time.
std::unique_ptr<World> crowded_world(int warm_up_frames = 200);

// Live unit slots (children included), live projectiles and live particles.
struct PoolCounts {
  int units = 0;
  int projectiles = 0;
  int particles = 0;
};
PoolCounts count_pools(const World& w);

}  // namespace quarvex::bench
