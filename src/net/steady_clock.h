#pragma once
// The networked game's clock: milliseconds of the monotonic clock, which
// the wall clock's jumps never move.

#include <chrono>
#include <cstdint>

namespace quarvex::net {

inline int64_t steady_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace quarvex::net
