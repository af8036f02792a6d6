// What the machines of a networked game pay to compare their Worlds and to
// put one right: the hash of a crowded World (taken every few dozen frames
// by the players, every frame a player reports by the server), and a
// snapshot written and read back.

#include <benchmark/benchmark.h>

#include <vector>

#include "crowded_world.h"
#include "world/humans.h"
#include "world/snapshot.h"
#include "world/world_hash.h"

namespace quarvex::bench {
namespace {

void BM_ReplayHash(benchmark::State& state) {
  const std::unique_ptr<World> w = crowded_world();
  // Four humans: the hash covers every further command state as well.
  if (state.range(0) != 0) set_human_sides(*w, kAllSides);
  for (auto _ : state) benchmark::DoNotOptimize(replay_hash(*w));
}
BENCHMARK(BM_ReplayHash)->Arg(0)->Arg(1);

void BM_SnapshotEncode(benchmark::State& state) {
  const std::unique_ptr<World> w = crowded_world();
  std::vector<uint8_t> bytes;
  for (auto _ : state) {
    encode_snapshot(*w, 1000, bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_SnapshotEncode);

void BM_SnapshotDecode(benchmark::State& state) {
  const std::unique_ptr<World> w = crowded_world();
  std::vector<uint8_t> bytes;
  encode_snapshot(*w, 1000, bytes);
  auto out = std::make_unique<World>();
  uint32_t frame = 0;
  std::string error;
  for (auto _ : state) {
    if (!decode_snapshot(bytes.data(), bytes.size(), *out, frame, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
}
BENCHMARK(BM_SnapshotDecode);

}  // namespace
}  // namespace quarvex::bench
