#include "app/windowed_host.h"

#include <cstdio>
#include <utility>

#include "app/sound_controls.h"
#include "platform/system.h"
#include "render/render_frame.h"
#include "render/shell_panels.h"

namespace quarvex {

namespace {
constexpr int32_t kStillFrameMs = 30;
constexpr int kEventBatch = 64;
}  // namespace

WindowedHost::WindowedHost(const Options& options, std::string data_dir, Window& window,
                           GlDevice& device, Input& input, Shell& shell, GameAudio* audio)
    : options_(options),
      data_dir_(std::move(data_dir)),
      window_(window),
      device_(device),
      input_(input),
      shell_(shell),
      audio_(audio) {
  for (const auto& [frame, file] : options.screenshots) screenshots_[frame] = file;
}

bool WindowedHost::step(Game& game) {
  shell_.set_play_mode(game.replaying()  ? PlayMode::kReplay
                       : game.watching() ? PlayMode::kWatch
                                         : PlayMode::kPlay);
  handle_input(game);
  report(game);
  if (quit_) return false;
  const bool replay_over = game.replaying() && game.replay_state() != ReplayState::kPlaying;
  const bool frames_run = shell_.game_runs() && !replay_over;
  hold_sound_unless(frames_run);
  if (frames_run) {
    if (!run_frames(game)) return false;
    report(game);
    // A box the frame raised stands over the frame's own picture at once; a
    // replay's step cut short shows the frame it stopped at.
    if (shell_.message_shown() || !last_frame_drawn_) {
      hold_sound_unless(shell_.game_runs());
      show_still(game.world());
    }
    return !quit_;
  }
  show_still(game.world());
  game.keep_recordings_current(clock_ms());
  wait_while_still();
  return true;
}

void WindowedHost::hold_sound_unless(bool frames_run) {
  if (audio_ != nullptr) audio_->set_paused(!frames_run);
}

bool WindowedHost::run_frames(Game& game) {
  const int frames = game.replaying() ? shell_.replay_speed() : 1;
  for (int i = 0; i < frames; ++i) {
    last_of_step_ = i + 1 == frames;
    const bool ran = game.run_frame(*this);
    if (!ran) {
      last_of_step_ = true;
      // A replay that ended stays on the screen; a frame limit ends the game.
      return game.replaying() && game.replay_state() != ReplayState::kPlaying;
    }
    if (shell_.message_shown() || game.replay_state() != ReplayState::kPlaying) break;
  }
  last_of_step_ = true;
  return true;
}

void WindowedHost::report(Game& game) {
  const std::string notice = game.take_notice();
  if (!notice.empty()) {
    std::fprintf(stderr, "quarvex: %s\n", notice.c_str());
    shell_.show_message(notice.c_str());
  }
  if (replay_end_told_ || !game.replaying()) return;
  if (game.replay_state() == ReplayState::kEnded) {
    shell_.show_message("end of replay");
    replay_end_told_ = true;
  } else if (game.replay_state() == ReplayState::kDiffers) {
    shell_.show_message(game.replay_differs_text().c_str());
    replay_end_told_ = true;
  }
}

void WindowedHost::handle_input(Game& game) {
  box_screenshot_.clear();
  InputEvent events[kEventBatch];
  for (int n = input_.poll(events, kEventBatch); n > 0; n = input_.poll(events, kEventBatch)) {
    for (int i = 0; i < n; ++i) {
      ShellRequests requests;
      shell_.handle(events[i], game.world(), requests);
      if (requests.quit) quit_ = true;
      if (requests.toggle_fullscreen) window_.toggle_fullscreen();
      if (requests.screenshot) screenshot_wanted_ = true;
      if (requests.restart_stage) game.reset(true, game.watching());
      if (requests.back_to_title) game.reset(false, false);
      if (requests.watch_stage) game.reset(true, true);
      if (audio_ != nullptr &&
          (requests.restart_stage || requests.back_to_title || requests.watch_stage)) {
        audio_->restart(game.world());
      }
      apply_shell_sound(requests, shell_, audio_);
    }
  }
}

void WindowedHost::show_still(const World& w) {
  if (!box_screenshot_.empty()) request_screenshot(box_screenshot_);
  box_screenshot_.clear();
  take_requested_screenshot();
  present_picture(w);
}

void WindowedHost::request_screenshot(const std::string& file) {
  device_.request_screenshot(file);
  screenshot_file_ = file;
}

void WindowedHost::present_picture(const World& w) {
  draw_frame(device_, w);
  draw_shell_overlay(device_, w, shell_);
  device_.present();
  shell_.picture_shown();
  if (screenshot_file_.empty()) return;
  if (device_.screenshot_error().empty()) {
    screenshot_saved(screenshot_file_);
  } else {
    std::fprintf(stderr, "quarvex: %s\n", device_.screenshot_error().c_str());
  }
  screenshot_file_.clear();
}

// Through the host's own clock and sleep, which a page serves between steps.
void WindowedHost::wait_while_still() {
  const int32_t now = clock_ms();
  const int64_t left = int64_t{last_still_ms_} + kStillFrameMs - now;
  if (left > 0 && left <= kStillFrameMs) sleep_ms(static_cast<int32_t>(left));
  last_still_ms_ = clock_ms();
}

void WindowedHost::take_requested_screenshot() {
  if (!screenshot_wanted_) return;
  screenshot_wanted_ = false;
  request_screenshot(screenshot_file_name(std::time(nullptr)));
}

void WindowedHost::show_message(const char* text) {
  if (audio_ != nullptr) audio_->hear_message(text);
  shell_.show_message(text);
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
  live_game_keys(input_, shell_, down);
}

void WindowedHost::render(const World& w) {
  ++frames_rendered_;
  const auto shot = screenshots_.find(frames_rendered_);
  bool shooting = shot != screenshots_.end();
  // A fast replay draws the last frame of each step, and the frames asked for.
  last_frame_drawn_ = last_of_step_ || shooting;
  if (!last_frame_drawn_) return;
  if (shooting) {
    request_screenshot(shot->second);
    box_screenshot_ = shot->second;
  }
  take_requested_screenshot();
  present_picture(w);
  // The frame's sound goes out with its picture.
  if (audio_ != nullptr) audio_->hear(w, clock_ms());
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
