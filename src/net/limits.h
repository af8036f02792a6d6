#pragma once
// The server's guards against clients that send too much: a message rate
// per connection and a count of failures (wrong join codes, games created)
// per address and minute.

#include <cstdint>
#include <string>
#include <unordered_map>

namespace quarvex::net {

// A token bucket: `per_second` messages on average, bursts of up to
// `burst` (a client catching up after a stall sends a burst of inputs).
class MessageRate {
 public:
  MessageRate(int32_t per_second, int32_t burst, int64_t now_ms);
  // Takes `count` messages; false when they exceed the rate.
  bool take(int32_t count, int64_t now_ms);

 private:
  // In thousandths of a message, so a millisecond refills exactly.
  int64_t per_second_;
  int64_t capacity_;
  int64_t level_;
  int64_t last_ms_;
};

// How often each address did something in the current minute. The table
// is bounded: when it is full of addresses seen within the minute, a new
// address counts as over its limit, so a flood of addresses cannot grow it.
class AddressCounts {
 public:
  static constexpr size_t kMaxAddresses = 16384;
  static constexpr int64_t kWindowMs = 60000;

  explicit AddressCounts(int32_t per_minute) : per_minute_(per_minute) {}
  // True while `address` has done it fewer than per_minute times this
  // minute.
  bool allowed(const std::string& address, int64_t now_ms);
  // Counts one more for `address`.
  void count(const std::string& address, int64_t now_ms);
  size_t size() const { return counts_.size(); }

 private:
  struct Window {
    int64_t start_ms;
    int32_t count;
  };
  void forget_old(int64_t now_ms);

  int32_t per_minute_;
  std::unordered_map<std::string, Window> counts_;
};

}  // namespace quarvex::net
