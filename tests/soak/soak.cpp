// Soak: runs a stage for many frames with random key input and checks the
// World's invariants after every frame. Exit status 1 on the first broken
// invariant, with the frame and what broke.
//
//   quarvex_soak (--data DIR --stage N | --crowded | --edges) [--frames N] [--seed S]
//                [--refill U]
//
// --data plays a built stage from its first frame. --crowded and --edges write
// three stages of that layout and start in the title menu, where the random
// keys pick the stage and the side.
// --refill U starts the stage afresh (as a new run would, with the next seed)
// whenever fewer than U units are live, so that a crowded stage keeps its
// pools near full for the whole soak instead of thinning out to one side.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "app/frame.h"
#include "crowded_stage.h"
#include "invariants.h"
#include "world/stage.h"

namespace quarvex::testing {
namespace {

// Random keys that stay down for a while, as a restless player's would.
struct SoakHost : FrameHost {
  std::string data;
  uint32_t seed = 1;
  uint32_t key_rng = 12345;
  std::array<int, kKeyCount> hold_left{};
  int64_t messages = 0;

  uint32_t next() {
    key_rng ^= key_rng << 13;
    key_rng ^= key_rng >> 17;
    key_rng ^= key_rng << 5;
    return key_rng;
  }
  void show_message(const char*, std::span<const MessageArg>) override { ++messages; }
  uint32_t stage_seed() override { return seed; }
  void load_ground_image(const char*) override {}
  StagePaths paths;
  StageFiles stage_files(int stage) override {
    return stage_files_in_folder(data.c_str(), stage, paths);
  }
  void sample_keys(std::array<bool, kKeyCount>& down) override {
    for (int k = 0; k < kKeyCount; ++k) {
      if (hold_left[k] > 0) {
        --hold_left[k];
      } else if (next() % 40 == 0) {
        hold_left[k] = static_cast<int>(next() % 30);
      }
      down[k] = hold_left[k] > 0;
    }
  }
  void render(const World&) override {}
  int32_t clock_ms() override { return 0; }
  int64_t calendar_seconds() override { return 0; }
  void sleep_ms(int32_t) override {}
  bool paced() override { return false; }
};

int usage() {
  std::fprintf(stderr,
               "usage: quarvex_soak (--data DIR --stage N | --crowded | --edges) [--frames N] "
               "[--seed S] [--refill U]\n");
  return 2;
}

}  // namespace
}  // namespace quarvex::testing

int main(int argc, char** argv) {
  using namespace quarvex;
  using namespace quarvex::testing;
  std::string data;
  int stage = 1;
  bool crowded = false;
  bool edges = false;
  int64_t frames = 100000;
  uint32_t seed = 1;
  int refill_below = 0;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const bool has_value = i + 1 < argc;
    if (!std::strcmp(a, "--crowded")) {
      crowded = true;
    } else if (!std::strcmp(a, "--edges")) {
      edges = true;
    } else if (!std::strcmp(a, "--data") && has_value) {
      data = argv[++i];
    } else if (!std::strcmp(a, "--stage") && has_value) {
      stage = std::atoi(argv[++i]);
    } else if (!std::strcmp(a, "--frames") && has_value) {
      frames = std::atoll(argv[++i]);
    } else if (!std::strcmp(a, "--seed") && has_value) {
      seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (!std::strcmp(a, "--refill") && has_value) {
      refill_below = std::atoi(argv[++i]);
    } else {
      return usage();
    }
  }
  const bool generated = crowded || edges;
  if (stage < 1 || stage > 3 || (crowded && edges) || (!generated && data.empty())) return usage();

  if (generated) {
    data = (std::filesystem::temp_directory_path() /
            ("quarvex-soak-" + std::to_string(seed) + "-" + std::to_string(::getpid())))
               .string();
    std::filesystem::create_directories(data);
    for (int n = 1; n <= 3; ++n) {
      const uint32_t layout_seed = seed + static_cast<uint32_t>(n);
      write_stage(data, n,
                  crowded ? crowded_stage_bytes(layout_seed) : edge_stage_bytes(layout_seed));
    }
  } else if (!std::filesystem::exists(data + "/map" + std::to_string(stage) + ".aod")) {
    std::fprintf(stderr, "quarvex_soak: no map%d.aod in %s\n", stage, data.c_str());
    return 2;
  }

  auto world = std::make_unique<World>();
  init_world(*world);
  world->stage_number = static_cast<int8_t>(stage);
  world->reload_requested = generated ? 0 : 1;
  SoakHost host;
  host.data = data;
  host.seed = seed;
  host.key_rng = seed * 2654435761u + 1;
  InvariantChecker checker;
  int status = 0;
  struct {
    double units = 0, projectiles = 0, particles = 0;
  } sum;
  PoolUse peak;
  int64_t ran = 0;
  int64_t refills = 0;
  for (int64_t f = 1; f <= frames; ++f) {
    frame_tick(*world, host);
    ran = f;
    const auto broken = checker.check(*world);
    if (!broken.empty()) {
      for (const auto& b : broken)
        std::fprintf(stderr, "frame %lld: %s\n", (long long)f, b.c_str());
      status = 1;
      break;
    }
    const PoolUse& use = checker.pool_use();
    sum.units += use.units;
    sum.projectiles += use.projectiles;
    sum.particles += use.particles;
    peak.units = std::max(peak.units, use.units);
    peak.projectiles = std::max(peak.projectiles, use.projectiles);
    peak.particles = std::max(peak.particles, use.particles);
    if (world->game_phase != 0 && use.units < refill_below && world->reload_requested == 0) {
      world->reload_requested = 1;
      ++host.seed;
      ++refills;
      // A fresh start plays for the next side, as a new run's title menu might.
      world->player_side = static_cast<int8_t>(refills % kSides);
    }
  }
  if (generated) std::filesystem::remove_all(data);
  const double n = static_cast<double>(std::max<int64_t>(ran, 1));
  std::printf(
      "soak stage %d%s seed %u: %lld frames, %s, %lld messages, %lld fresh starts\n"
      "  mean/peak live: units %.0f/%d of %d, projectiles %.0f/%d of %d, particles %.0f/%d of %d\n",
      world->stage_number,
      crowded ? " (crowded)"
      : edges ? " (edges)"
              : "",
      seed, (long long)ran, status == 0 ? "all invariants held" : "FAILED",
      (long long)host.messages, (long long)refills, sum.units / n, peak.units, kMaxUnit,
      sum.projectiles / n, peak.projectiles, kProjectileSlots, sum.particles / n, peak.particles,
      kParticleSlots);
  return status;
}
