#include "web/page_host.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "platform/device.h"
#include "platform/image.h"
#include "platform/system.h"
#include "web/browser.h"
#include "web/late_files.h"

namespace quarvex {

namespace {

// Where the page's data lies in its file system (cmake/web.cmake); its
// files are served beside the page under data/.
constexpr std::string_view kPageData = "/data/";

// The page's form of a ground the game names: /data/mapN.bmp is served as
// data/mapN.png. Empty for any other picture (a folder of the player's
// own, fetched whole before the start).
std::string page_ground(const std::string& path) {
  if (!path.starts_with(kPageData) || !path.ends_with(".bmp")) return {};
  return path.substr(0, path.size() - 4) + ".png";
}

// Earth-coloured, so that a stage whose picture is still coming (or never
// came) looks like ground rather than a blank sheet.
Image plain_ground() {
  return Image{1, 1, {92, 98, 72, 255}};
}

}  // namespace

void PageHost::load_ground_image(const char* path) {
  ground_wanted_.clear();
  const std::string ground = page_ground(path);
  if (ground.empty() || late_state(ground, clock_ms()) == LateState::kHere) {
    WindowedHost::load_ground_image(ground.empty() ? path : ground.c_str());
    return;
  }
  device().set_texture(kGroundSlot, plain_ground());
  ground_wanted_ = ground;
  fetch_late(ground.substr(1), ground);
  show_page_note("loadingGround");
}

bool PageHost::waiting_for_ground() {
  if (ground_wanted_.empty()) return false;
  switch (late_state(ground_wanted_, quarvex::clock_ms())) {
    case LateState::kFetching:
      return true;
    case LateState::kHere:
      WindowedHost::load_ground_image(ground_wanted_.c_str());
      show_page_note("");
      break;
    case LateState::kFailed:
      show_page_note("groundFailed", " (" + late_error(ground_wanted_) + ")");
      break;
  }
  ground_wanted_.clear();
  return false;
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
  // A picture taken again with a box over it is offered once, as it ends.
  if (std::find(saved_pictures_.begin(), saved_pictures_.end(), file) == saved_pictures_.end()) {
    saved_pictures_.push_back(file);
  }
}

std::vector<std::string> PageHost::take_saved_pictures() {
  return std::exchange(saved_pictures_, {});
}

}  // namespace quarvex
