// Snapshots come over the network and are untrusted: any bytes must either
// be refused with a message or give a World that reads back to the same
// bytes and plays on without a fault (the sanitizers watch the frames).

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/frame.h"
#include "world/snapshot.h"

namespace {

constexpr int kFrames = 20;

struct QuietHost : quarvex::FrameHost {
  void show_message(const char*, std::span<const quarvex::MessageArg>) override {}
  uint32_t stage_seed() override { return 1; }
  void load_ground_image(const char*) override {}
  quarvex::StageFiles stage_files(int) override { return {}; }
  // Every human side holds a different set of keys, frame after frame.
  void sample_keys(std::array<bool, quarvex::kKeyCount>&) override {}
  void sample_input(const quarvex::World&, quarvex::FrameInput& input) override {
    ++frame;
    for (int s = 0; s < quarvex::kSides; ++s) {
      input.keys[s] =
          static_cast<quarvex::KeyMask>((frame * 0x9E37u + s * 0x51u) & quarvex::kAllKeys);
    }
    input.to_computer = frame == 5 ? 0x3 : 0;
    input.to_human = frame == 9 ? 0x1 : 0;
  }
  void render(const quarvex::World&) override {}
  int32_t clock_ms() override { return 0; }
  int64_t calendar_seconds() override { return 0; }
  void sleep_ms(int32_t) override {}
  bool paced() override { return false; }
  unsigned frame = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto world = std::make_unique<quarvex::World>();
  quarvex::init_world(*world);
  uint32_t frame = 0;
  std::string error;
  if (!quarvex::decode_snapshot(data, size, *world, frame, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  std::vector<uint8_t> again;
  quarvex::encode_snapshot(*world, frame, again);
  if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
  QuietHost host;
  for (int f = 0; f < kFrames; ++f) quarvex::frame_tick(*world, host);
  return 0;
}
