// The simulation itself must hold up under any stage file and any keys: the
// input is a stage file followed by two bytes of keys per frame. The stage is
// placed and played for a few dozen frames with every invariant of the soak
// checked after each frame.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/frame.h"
#include "invariants.h"
#include "world/stage.h"

namespace {

constexpr int kFrames = 40;

struct FuzzHost : quarvex::FrameHost {
  const uint8_t* keys = nullptr;
  size_t key_bytes = 0;
  size_t frame = 0;

  void show_message(const char*, std::span<const quarvex::MessageArg>) override {}
  uint32_t stage_seed() override { return 1; }
  void load_ground_image(const char*) override {}
  // No stage file: the placements come from the input instead.
  quarvex::StageFiles stage_files(int) override { return {}; }
  void sample_keys(std::array<bool, quarvex::kKeyCount>& down) override {
    uint16_t mask = 0;
    if (2 * frame + 1 < key_bytes)
      mask = static_cast<uint16_t>(keys[2 * frame] | (keys[2 * frame + 1] << 8));
    ++frame;
    for (int k = 0; k < quarvex::kKeyCount; ++k) down[k] = (mask >> k) & 1;
  }
  void render(const quarvex::World&) override {}
  int32_t clock_ms() override { return 0; }
  int64_t calendar_seconds() override { return 0; }
  void sleep_ms(int32_t) override {}
  bool paced() override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto world = std::make_unique<quarvex::World>();
  quarvex::World& w = *world;
  const size_t count = size >= 2 ? static_cast<size_t>(data[0] | (data[1] << 8)) : 0;
  const size_t stage_bytes = std::min(size, 2 + count * quarvex::kStageRecordSize);

  FuzzHost host;
  quarvex::init_world(w);
  w.player_side = static_cast<int8_t>(size % quarvex::kSides);
  quarvex::load_stage(w, host);
  quarvex::read_stage_bytes(w, data, stage_bytes);
  quarvex::setup_side_groups(w);
  host.keys = data + stage_bytes;
  host.key_bytes = size - stage_bytes;

  quarvex::testing::InvariantChecker checker;
  for (int f = 1; f <= kFrames; ++f) {
    quarvex::frame_tick(w, host);
    const auto broken = checker.check(w);
    if (!broken.empty()) {
      for (const auto& b : broken) std::fprintf(stderr, "frame %d: %s\n", f, b.c_str());
      std::abort();
    }
  }
  return 0;
}
