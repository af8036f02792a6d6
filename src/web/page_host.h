#pragma once
// The WindowedHost of the browser page: the windowed game's host, except for
// what a page cannot do inside a step. It cannot wait, so the pacing's sleeps
// (and the 30 ms of a still picture) are owed and the driver serves them
// between steps; the clock the frame reads moves on by what is owed. Saved
// pictures become downloads.

#include <cstdint>
#include <string>
#include <vector>

#include "app/windowed_host.h"

namespace quarvex {

class PageHost : public WindowedHost {
 public:
  using WindowedHost::WindowedHost;

  int32_t clock_ms() override;
  void sleep_ms(int32_t ms) override;
  void nap() override;

  // Milliseconds still owed before the next step may run.
  int32_t wait_left();
  // The pictures saved since the last call, each named once.
  std::vector<std::string> take_saved_pictures();

 protected:
  void screenshot_saved(const std::string& file) override;

 private:
  std::vector<std::string> saved_pictures_;
  bool waiting_ = false;
  int32_t wake_at_ = 0;  // on the real clock, while waiting_
};

}  // namespace quarvex
