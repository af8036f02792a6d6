#pragma once
// How late the server closed its frames: a histogram in whole
// milliseconds, for the percentiles the server reports.

#include <array>
#include <cstdint>

namespace quarvex::net {

class Lateness {
 public:
  static constexpr int kBuckets = 1000;  // 0..998 ms, and 999 for anything later

  void add(int64_t late_ms) {
    const int64_t bucket = late_ms < 0 ? 0 : (late_ms >= kBuckets - 1 ? kBuckets - 1 : late_ms);
    ++counts_[static_cast<size_t>(bucket)];
    ++total_;
    if (late_ms > max_) max_ = late_ms;
  }
  // The smallest lateness at or under which `percent` of the frames closed.
  int64_t percentile(double percent) const {
    if (total_ == 0) return 0;
    const auto wanted = static_cast<uint64_t>(static_cast<double>(total_) * percent / 100.0 + 0.5);
    uint64_t seen = 0;
    for (int i = 0; i < kBuckets; ++i) {
      seen += counts_[static_cast<size_t>(i)];
      if (seen >= wanted && seen > 0) return i;
    }
    return kBuckets - 1;
  }
  uint64_t total() const { return total_; }
  int64_t max() const { return max_; }
  void reset() { *this = Lateness{}; }

 private:
  std::array<uint64_t, kBuckets> counts_{};
  uint64_t total_ = 0;
  int64_t max_ = 0;
};

}  // namespace quarvex::net
