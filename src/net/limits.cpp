#include "net/limits.h"

#include <algorithm>

namespace quarvex::net {

MessageRate::MessageRate(int32_t per_second, int32_t burst, int64_t now_ms)
    : per_second_(int64_t{std::max(per_second, 1)}),
      capacity_(int64_t{std::max(burst, 1)} * 1000),
      level_(capacity_),
      last_ms_(now_ms) {}

bool MessageRate::take(int32_t count, int64_t now_ms) {
  if (now_ms > last_ms_) {
    level_ = std::min(capacity_, level_ + (now_ms - last_ms_) * per_second_);
    last_ms_ = now_ms;
  }
  const int64_t cost = int64_t{std::max(count, 0)} * 1000;
  if (cost > level_) return false;
  level_ -= cost;
  return true;
}

void AddressCounts::forget_old(int64_t now_ms) {
  std::erase_if(
      counts_, [now_ms](const auto& entry) { return now_ms - entry.second.start_ms >= kWindowMs; });
}

bool AddressCounts::allowed(const std::string& address, int64_t now_ms) {
  const auto it = counts_.find(address);
  if (it == counts_.end()) {
    if (counts_.size() < kMaxAddresses) return per_minute_ > 0;
    forget_old(now_ms);
    return counts_.size() < kMaxAddresses && per_minute_ > 0;
  }
  if (now_ms - it->second.start_ms >= kWindowMs) return per_minute_ > 0;
  return it->second.count < per_minute_;
}

void AddressCounts::count(const std::string& address, int64_t now_ms) {
  auto it = counts_.find(address);
  if (it == counts_.end()) {
    if (counts_.size() >= kMaxAddresses) forget_old(now_ms);
    if (counts_.size() >= kMaxAddresses) return;
    counts_.emplace(address, Window{now_ms, 1});
    return;
  }
  if (now_ms - it->second.start_ms >= kWindowMs) {
    it->second = Window{now_ms, 1};
  } else {
    ++it->second.count;
  }
}

}  // namespace quarvex::net
