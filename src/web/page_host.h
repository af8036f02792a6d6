#pragma once
// The WindowedHost of the browser page: the windowed game's host, except for
// what a page cannot do inside a step. It cannot wait, so the pacing's sleeps
// (and the 30 ms of a still picture) are owed and the driver serves them
// between steps; the clock the frame reads moves on by what is owed. Saved
// pictures become downloads. The page carries no ground pictures: a stage's
// comes from beside the page when the stage is loaded (web/late_files.h).

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
  // The page's own grounds as PNGs (the same pixels as the game's BMPs),
  // fetched the first time; a plain ground shows meanwhile.
  void load_ground_image(const char* path) override;

  // True while the ground a stage wants is on its way: the driver runs no
  // step meanwhile, so the stage starts on its picture, and the page says
  // what it waits for. One that cannot be fetched is said on the page and
  // the stage is played on the plain ground.
  bool waiting_for_ground();

  // Milliseconds still owed before the next step may run.
  int32_t wait_left();
  // The pictures saved since the last call, each named once.
  std::vector<std::string> take_saved_pictures();

 protected:
  void screenshot_saved(const std::string& file) override;

 private:
  std::vector<std::string> saved_pictures_;
  std::string ground_wanted_;  // the page's file system path of the ground on its way
  bool waiting_ = false;
  int32_t wake_at_ = 0;  // on the real clock, while waiting_
};

}  // namespace quarvex
