// Reading replays as large as the reader accepts (64 MiB), with their checks
// in the order a recording writes them and backwards: a file someone sends
// must be read, or refused, before a window opens.

#include <benchmark/benchmark.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "replay/key_script.h"

namespace quarvex::bench {
namespace {

constexpr size_t kLargestScript = 64 << 20;

// Check lines filling 64 MiB, frames rising or falling.
std::string checks_text(bool descending) {
  std::string text = "version 1.0.0\n";
  char line[64];
  const int64_t count = static_cast<int64_t>(kLargestScript / 26);
  for (int64_t i = 0; text.size() + 32 < kLargestScript; ++i) {
    const int64_t frame = descending ? count - i : i + 1;
    const int n = std::snprintf(line, sizeof line, "check %" PRId64 " %016" PRIx64 "\n", frame,
                                static_cast<uint64_t>(frame));
    text.append(line, static_cast<size_t>(n));
  }
  return text;
}

void BM_ReadLargestReplay(benchmark::State& state) {
  const std::string text = checks_text(state.range(0) != 0);
  for (auto _ : state) {
    KeyScript script;
    std::string error;
    const bool read = parse_key_script(text, "big.qvr", script, error);
    benchmark::DoNotOptimize(read);
    state.counters["checks"] = static_cast<double>(script.checks.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadLargestReplay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarvex::bench
