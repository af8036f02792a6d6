#pragma once
// The FrameHost of the browser page: the windowed game's host, except for
// what a page cannot do inside a frame. It cannot wait, so the pacing's
// sleeps are owed and the driver serves them between frames (the clock the
// frame reads moves on by them). It cannot hold a box open, so message boxes
// are queued and the driver shows them after the frame. Saved pictures
// become downloads.

#include <cstdint>
#include <deque>
#include <string>

#include "app/windowed_host.h"

namespace quarvex {

class PageHost : public WindowedHost {
 public:
  PageHost(const Options& options, std::string data_dir, Window& window, GlDevice& device);

  void show_message(const char* text) override;
  int32_t clock_ms() override;
  void sleep_ms(int32_t ms) override;
  void nap() override;

  // Milliseconds the pacing still owes before the next frame may start.
  int32_t wait_left();
  bool message_shown() const { return !messages_.empty(); }
  // The oldest message not yet closed; only while message_shown().
  const std::string& message() const { return messages_.front(); }
  void close_message();

 protected:
  void screenshot_saved(const std::string& file) override;

 private:
  std::deque<std::string> messages_;
  bool waiting_ = false;
  int32_t wake_at_ = 0;  // on the real clock, while waiting_
};

}  // namespace quarvex
