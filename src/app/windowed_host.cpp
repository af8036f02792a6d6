#include "app/windowed_host.h"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "app/message_line.h"
#include "app/side_view.h"
#include "app/sound_controls.h"
#include "app/windowed_stage_choice.h"
#include "platform/system.h"
#include "render/editor_draw.h"
#include "render/render_frame.h"
#include "render/shell_panels.h"
#include "stages/player_stages.h"

namespace quarvex {

namespace {
constexpr int32_t kStillFrameMs = 30;
constexpr int kEventBatch = 64;
}  // namespace

WindowedHost::WindowedHost(const Options& options, Window& window, GlDevice& device, Input& input,
                           Shell& shell, GameAudio* audio)
    : options_(options),
      window_(window),
      device_(device),
      input_(input),
      shell_(shell),
      audio_(audio) {
  for (const auto& [frame, file] : options.screenshots) screenshots_[frame] = file;
}

bool WindowedHost::step(Game& game) {
  if (editing_) return editor_step(game);
  // A test play whose stage is over goes back to the editor by itself.
  if (test_playing_) {
    if (game.world().game_phase != 0) test_play_began_ = true;
    if (test_play_began_ && game.world().game_phase == 0) back_to_editor(game);
    if (editing_) return editor_step(game);
  }
  shell_.set_play_mode(game.replaying()  ? PlayMode::kReplay
                       : game.watching() ? PlayMode::kWatch
                                         : PlayMode::kPlay);
  handle_input(game);
  if (editing_) return !quit_;
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
  Message notice = game.take_notice();
  if (!notice.text.empty()) {
    std::fprintf(stderr, "quarvex: %s\n", in_english(notice).c_str());
    shell_.show_message(std::move(notice));
  }
  if (replay_end_told_ || !game.replaying()) return;
  if (game.replay_state() == ReplayState::kEnded) {
    shell_.show_message(Message{game.replay_unfinished()
                                    ? N_("end of replay: the game that recorded it stopped here")
                                    : N_("end of replay"),
                                {}});
    replay_end_told_ = true;
  } else if (game.replay_state() == ReplayState::kDiffers) {
    shell_.show_message(game.replay_differs_message());
    replay_end_told_ = true;
  }
}

void WindowedHost::handle_input(Game& game) {
  box_screenshot_.clear();
  InputEvent events[kEventBatch];
  replay_of_humans_ = game.replaying() && several_humans(game.world());
  if (!replay_of_humans_) replay_side_ = -1;
  replay_roster(game);
  for (int n = input_.poll(events, kEventBatch); n > 0; n = input_.poll(events, kEventBatch)) {
    for (int i = 0; i < n; ++i) {
      if (replay_of_humans_ && take_replay_side(events[i])) continue;
      ShellRequests requests;
      shell_.handle(events[i], game.world(), requests);
      if (requests.quit) quit_ = true;
      if (requests.toggle_fullscreen) window_.toggle_fullscreen();
      if (requests.screenshot) screenshot_wanted_ = true;
      if (requests.restart_stage) game.reset(true, game.watching());
      if (requests.back_to_title) game.reset(false, false);
      if (requests.watch_stage) game.reset(true, true);
      if (requests.about_stages()) {
        answer_stage_requests(
            requests, game, shell_, player_stage_folder(),
            static_cast<uint32_t>(calendar_seconds()) ^ static_cast<uint32_t>(clock_ms()));
      }
      if (requests.open_editor) open_editor(game, "");
      if (requests.network_game) network_request_ = shell_.network_request();
      if (requests.back_to_editor) back_to_editor(game);
      // Closing the window in a test play asks first, in the editor, when
      // its stage has unsaved changes.
      if (quit_ && test_playing_ && editor_->model().modified()) {
        quit_ = false;
        back_to_editor(game);
        EditorRequests asked;
        editor_->close_requested(asked);
        editor_requests(game, asked);
      }
      const bool stage_chosen = requests.play_entry >= 0 || requests.play_random_battle;
      if (audio_ != nullptr && (requests.restart_stage || requests.back_to_title ||
                                requests.watch_stage || stage_chosen)) {
        audio_->restart(game.world());
      }
      apply_shell_sound(requests, shell_, audio_);
    }
  }
}

void WindowedHost::open_editor(const Game& game, const std::string& file) {
  if (!editor_) editor_ = std::make_unique<Editor>(game.data(), player_stage_folder());
  editing_ = true;
  editor_ground_ = 0;
  if (file.empty()) {
    editor_->open_start("");
    return;
  }
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    // A new stage: the start screen, and Save writes this file.
    std::filesystem::path path(file);
    if (path.extension() != kStageExtension) path.replace_extension(kStageExtension);
    editor_->open_start(path.string());
    return;
  }
  std::vector<std::string> errors;
  // A file that cannot be read is never saved over: the start screen says
  // what is wrong and a stage started there is saved under a new name.
  if (!editor_->open_file(file, errors)) editor_->open_start("", errors);
}

bool WindowedHost::editor_step(Game& game) {
  InputEvent events[kEventBatch];
  for (int n = input_.poll(events, kEventBatch); n > 0; n = input_.poll(events, kEventBatch)) {
    for (int i = 0; i < n && editing_; ++i) {
      InputEvent& e = events[i];
      if (e.kind == InputKind::kMouseDown || e.kind == InputKind::kClick ||
          e.kind == InputKind::kMouseMove || e.kind == InputKind::kWheel) {
        int x = 0;
        int y = 0;
        window_.picture_point(e.x, e.y, x, y);
        e.x = static_cast<int16_t>(x);
        e.y = static_cast<int16_t>(y);
      }
      if (e.kind == InputKind::kKeyDown && !e.repeat) {
        const int action = action_of_key(shell_.bindings(), e.key);
        if (action == kActionFullscreen) {
          window_.toggle_fullscreen();
          continue;
        }
        if (action == kActionScreenshot) {
          screenshot_wanted_ = true;
          continue;
        }
      }
      EditorRequests requests;
      editor_->handle(e, requests);
      editor_requests(game, requests);
    }
  }
  if (quit_) return false;
  if (!editing_) return true;
  std::array<bool, kPadInputs> pad{};
  input_.pad_state(pad);
  editor_->tick(clock_ms(), pad);
  hold_sound_unless(false);
  present_editor();
  wait_while_still();
  return true;
}

void WindowedHost::editor_requests(Game& game, EditorRequests& requests) {
  if (requests.quit) quit_ = true;
  if (requests.leave) {
    editing_ = false;
    shell_.set_editor_test_play(false);
  }
  if (requests.test_play) {
    editing_ = false;
    test_playing_ = true;
    test_play_began_ = false;
    shell_.set_editor_test_play(true);
    game.play_stage(std::move(requests.test_stage), requests.test_side, false);
    if (audio_ != nullptr) audio_->restart(game.world());
  }
}

void WindowedHost::back_to_editor(Game& game) {
  test_playing_ = false;
  shell_.set_editor_test_play(false);
  game.reset(false, false);
  if (audio_ != nullptr) audio_->restart(game.world());
  editing_ = true;
  editor_ground_ = 0;
}

void WindowedHost::present_editor() {
  const int ground = editor_->model().description().ground;
  if (ground != editor_ground_) {
    editor_ground_ = ground;
    // Through the host's own loading: the page fetches a ground only when asked.
    const std::string name = "map" + std::to_string(ground) + ".bmp";
    load_ground_image(editor_->data().find(name).c_str());
  }
  take_requested_screenshot();
  draw_editor(device_, *editor_, shell_.texts());
  device_.present();
  report_screenshot();
}

// A screenshot asked for is taken with the picture just presented: say
// where it went, or why not.
void WindowedHost::report_screenshot() {
  if (screenshot_file_.empty()) return;
  if (device_.screenshot_error().empty()) {
    screenshot_saved(screenshot_file_);
  } else {
    std::fprintf(stderr, "quarvex: %s\n", device_.screenshot_error().c_str());
  }
  screenshot_file_.clear();
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

// The number keys 1 to 4 choose the side a replay of several humans is seen from.
bool WindowedHost::take_replay_side(const InputEvent& e) {
  if (e.kind != InputKind::kKeyDown || e.repeat) return false;
  for (int s = 0; s < kSides; ++s) {
    KeyChord digit;
    if (parse_key_chord(std::to_string(s + 1), digit) && e.key.scancode == digit.scancode) {
      replay_side_ = s;
      return true;
    }
  }
  return false;
}

// The strip's rows of a replay of several humans: its players by the
// replay's names, the computer's sides and those handed to it as such.
void WindowedHost::replay_roster(const Game& game) {
  if (!replay_of_humans_) return;
  const World& w = game.world();
  for (int s = 0; s < kSides; ++s) {
    RosterRow& row = replay_rows_[static_cast<size_t>(s)];
    const bool human = (w.human_sides & side_bit(s)) != 0;
    row.name = game.script_players()[static_cast<size_t>(s)];
    if (human && row.name.empty()) row.name = "?";
    row.playing = human;
    row.away = human && (w.computer_sides & side_bit(s)) != 0;
  }
}

void WindowedHost::present_picture(const World& world) {
  const World* shown = &world;
  if (replay_of_humans_ && replay_side_ >= 0) {
    if (replay_view_ == nullptr) replay_view_ = std::make_unique<World>();
    see_as_side(world, replay_side_, *replay_view_);
    shown = replay_view_.get();
  }
  const World& w = *shown;
  draw_frame(device_, w, shell_.texts(), !shell_.title_screen().has_focus());
  // A replay of a game played together names its players, as the game did.
  if (replay_of_humans_ && w.game_phase != 0) {
    draw_roster_strip(device_, shell_.texts(), w, replay_rows_, true);
    if (is_side_index(w.player_side)) {
      draw_own_name(device_, w, replay_rows_[static_cast<size_t>(w.player_side)].name);
    }
  }
  draw_shell_overlay(device_, w, shell_);
  device_.present();
  shell_.picture_shown();
  report_screenshot();
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

void WindowedHost::show_message(const char* text, std::span<const MessageArg> args) {
  // The sound knows the boxes by their English texts.
  if (audio_ != nullptr) audio_->hear_message(text);
  shell_.show_message(message_of(text, args));
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
