#pragma once
// The FrameHost of the windowed game: keys from the keyboard, the picture in
// the window, the real clock, modal message boxes.

#include <cstdint>
#include <ctime>
#include <map>
#include <string>

#include "app/frame.h"
#include "app/options.h"
#include "audio/game_audio.h"
#include "platform/gl_device.h"
#include "platform/window.h"

namespace quarvex {

class WindowedHost : public FrameHost {
 public:
  // `audio` may be null: the game then plays silently.
  WindowedHost(const Options& options, std::string data_dir, Window& window, GlDevice& device,
               GameAudio* audio);

  // Handles what the window asked for since the last frame; false once the
  // player closed the window.
  bool handle_window_events();
  bool quit_requested() const { return quit_; }

  void show_message(const char* text) override;
  uint32_t stage_seed() override;
  void load_ground_image(const char* path) override;
  const char* data_dir() override { return data_dir_.c_str(); }
  void sample_keys(std::array<bool, kKeyCount>& down) override;
  void render(const World& w) override;
  int32_t clock_ms() override;
  int64_t calendar_seconds() override { return static_cast<int64_t>(std::time(nullptr)); }
  void sleep_ms(int32_t ms) override;
  void nap() override;
  bool paced() override { return true; }

 private:
  const Options& options_;
  std::string data_dir_;
  Window& window_;
  GlDevice& device_;
  GameAudio* audio_;
  std::map<int64_t, std::string> screenshots_;  // by frame, counted from 1
  int64_t frames_rendered_ = 0;
  bool quit_ = false;
  bool screenshot_wanted_ = false;
};

// quarvex-YYYYMMDD-HHMMSS.png
std::string screenshot_file_name(std::time_t now);

}  // namespace quarvex
