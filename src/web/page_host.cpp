#include "web/page_host.h"

#include <algorithm>
#include <utility>

#include "platform/system.h"

namespace quarvex {

int32_t PageHost::wait_left() {
  if (!waiting_) return 0;
  // Differences, not comparisons, so the clock's wrap does no harm.
  const auto left = static_cast<int32_t>(static_cast<uint32_t>(wake_at_) -
                                         static_cast<uint32_t>(quarvex::clock_ms()));
  if (left > 0) return left;
  waiting_ = false;
  return 0;
}

int32_t PageHost::clock_ms() {
  const int32_t left = wait_left();
  return static_cast<int32_t>(static_cast<uint32_t>(quarvex::clock_ms()) +
                              static_cast<uint32_t>(left));
}

void PageHost::sleep_ms(int32_t ms) {
  if (ms <= 0) return;
  wake_at_ = static_cast<int32_t>(static_cast<uint32_t>(clock_ms()) + static_cast<uint32_t>(ms));
  waiting_ = true;
}

// The clock the frame reads has whole milliseconds: a nap is the last one.
void PageHost::nap() {
  sleep_ms(1);
}

void PageHost::screenshot_saved(const std::string& file) {
  // A picture taken again with a box over it is offered once, as it ends.
  if (std::find(saved_pictures_.begin(), saved_pictures_.end(), file) == saved_pictures_.end()) {
    saved_pictures_.push_back(file);
  }
}

std::vector<std::string> PageHost::take_saved_pictures() {
  return std::exchange(saved_pictures_, {});
}

}  // namespace quarvex
