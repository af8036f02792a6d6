#include "web/page_host.h"

#include <utility>

#include "platform/system.h"
#include "web/browser.h"

namespace quarvex {

PageHost::PageHost(const Options& options, std::string data_dir, Window& window, GlDevice& device)
    : WindowedHost(options, std::move(data_dir), window, device) {}

void PageHost::show_message(const char* text) {
  messages_.emplace_back(text);
}

void PageHost::close_message() {
  if (!messages_.empty()) messages_.pop_front();
}

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
  offer_download(file);
}

}  // namespace quarvex
