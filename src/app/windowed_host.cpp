#include "app/windowed_host.h"

#include <cstdio>
#include <utility>

#include "app/sound_controls.h"
#include "platform/system.h"
#include "render/render_frame.h"

namespace quarvex {

WindowedHost::WindowedHost(const Options& options, std::string data_dir, Window& window,
                           GlDevice& device, GameAudio* audio)
    : options_(options),
      data_dir_(std::move(data_dir)),
      window_(window),
      device_(device),
      audio_(audio) {
  for (const auto& [frame, file] : options.screenshots) screenshots_[frame] = file;
}

bool WindowedHost::handle_window_events() {
  WindowEvents events;
  poll_window_events(events);
  if (events.quit) quit_ = true;
  if (events.toggle_fullscreen) window_.toggle_fullscreen();
  if (events.screenshot) screenshot_wanted_ = true;
  if (audio_ != nullptr) apply_sound_keys(events, *audio_);
  return !quit_;
}

void WindowedHost::show_message(const char* text) {
  if (audio_ != nullptr) audio_->hear_message(text);
  if (!show_message_box(&window_, &device_, "quarvex", text)) quit_ = true;
}

uint32_t WindowedHost::stage_seed() {
  if (options_.seed) return *options_.seed;
  return static_cast<uint32_t>(std::time(nullptr));
}

void WindowedHost::load_ground_image(const char* path) {
  std::string error;
  // A ground image that cannot be read leaves the ground untextured.
  device_.load_texture(kGroundSlot, path, error);
}

void WindowedHost::sample_keys(std::array<bool, kKeyCount>& down) {
  sample_game_keys(down);
}

void WindowedHost::render(const World& w) {
  ++frames_rendered_;
  const auto shot = screenshots_.find(frames_rendered_);
  std::string file;
  if (shot != screenshots_.end()) {
    file = shot->second;
  } else if (screenshot_wanted_) {
    file = screenshot_file_name(std::time(nullptr));
  }
  screenshot_wanted_ = false;
  if (!file.empty()) device_.request_screenshot(file);
  render_frame(device_, w);
  // The frame's sound goes out with its picture.
  if (audio_ != nullptr) audio_->hear(w, clock_ms());
  if (!file.empty() && !device_.screenshot_error().empty()) {
    std::fprintf(stderr, "quarvex: %s\n", device_.screenshot_error().c_str());
  }
}

int32_t WindowedHost::clock_ms() {
  return quarvex::clock_ms();
}

void WindowedHost::sleep_ms(int32_t ms) {
  quarvex::sleep_ms(ms);
}

void WindowedHost::nap() {
  quarvex::nap();
}

std::string screenshot_file_name(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char name[64];
  std::strftime(name, sizeof name, "quarvex-%Y%m%d-%H%M%S.png", &local);
  return name;
}

}  // namespace quarvex
