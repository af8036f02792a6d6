#pragma once
// The FrameHost of the windowed game: keys from the keyboard and gamepads
// through the bindings, the picture in the window with the shell's panels
// over it, the real clock; message boxes go to the shell, which shows them
// in the window between frames.

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"
#include "app/game.h"
#include "app/options.h"
#include "audio/game_audio.h"
#include "editor/editor.h"
#include "platform/gl_device.h"
#include "platform/input.h"
#include "platform/window.h"
#include "render/network_play_drawing.h"
#include "shell/network_request.h"
#include "shell/shell.h"

namespace quarvex {

class WindowedHost : public FrameHost {
 public:
  // `audio` may be null: the game then plays silently.
  WindowedHost(const Options& options, Window& window, GlDevice& device, Input& input, Shell& shell,
               GameAudio* audio);

  // One step of the windowed game: the player's input, then one frame of the
  // game unless the shell holds it (paused, a menu, a box), then the shell's
  // picture over the World's. A replay runs as many frames in a step as its
  // speed says, drawing the last, and stops at its end or where it differs
  // from the recorded game, with a box that says so. Never blocks; false
  // once the game is over (quit, the window closed, the frame limit
  // reached). The desktop calls it in a loop; a page's animation callback
  // can call it once per callback.
  bool step(Game& game);
  bool quit_requested() const { return quit_; }
  // Opens the stage editor (quarvex --edit FILE; the title menu's "Edit a
  // stage" with no file): the steps that follow are the editor's until it
  // is left.
  void open_editor(const Game& game, const std::string& file);
  bool editing() const { return editing_; }
  // The networked game the Play together page asked for, once: the loop
  // that owns the connection plays it, then the title menu comes back.
  std::optional<NetworkRequest> take_network_request() {
    return std::exchange(network_request_, {});
  }

  void show_message(const char* text, std::span<const MessageArg> args) override;
  uint32_t stage_seed() override;
  void load_ground_image(const char* path) override;
  void sample_keys(std::array<bool, kKeyCount>& down) override;
  void render(const World& w) override;
  int32_t clock_ms() override;
  int64_t calendar_seconds() override { return static_cast<int64_t>(std::time(nullptr)); }
  void sleep_ms(int32_t ms) override;
  void nap() override;
  bool paced() override { return last_of_step_ && !options_.unpaced; }

 protected:
  GlDevice& device() { return device_; }
  // Called once a screenshot file has been written.
  virtual void screenshot_saved(const std::string& /*file*/) {}

 private:
  void handle_input(Game& game);
  // While no frame runs the game is silent; its sound goes on with it.
  void hold_sound_unless(bool frames_run);
  // Runs this step's frames; false when the frame limit ended the game.
  bool run_frames(Game& game);
  // Shows what the game has to tell the player about replays.
  void report(Game& game);
  // The World's picture again, with the shell's panels, between frames.
  void show_still(const World& w);
  // Waits out the rest of the game's 30 ms while no frame runs.
  void wait_while_still();
  // Requests a screenshot when the player asked for one.
  void take_requested_screenshot();
  void request_screenshot(const std::string& file);
  void present_picture(const World& w);
  void replay_roster(const Game& game);
  bool take_replay_side(const InputEvent& e);
  void report_screenshot();
  // The editor's step: its events, its autosave and its picture.
  bool editor_step(Game& game);
  void editor_requests(Game& game, EditorRequests& requests);
  // From a test play back to the editor, as it was.
  void back_to_editor(Game& game);
  void present_editor();

  const Options& options_;
  Window& window_;
  GlDevice& device_;
  Input& input_;
  Shell& shell_;
  GameAudio* audio_;
  std::map<int64_t, std::string> screenshots_;  // by frame, counted from 1
  int64_t frames_rendered_ = 0;
  // A screenshot of this step's frame, taken again when a box is drawn over it.
  std::string box_screenshot_;
  int32_t last_still_ms_ = 0;
  bool quit_ = false;
  bool screenshot_wanted_ = false;
  std::string screenshot_file_;  // requested for the picture being drawn
  // The frame being run is the step's last: it is drawn and paced.
  bool last_of_step_ = true;
  bool last_frame_drawn_ = true;
  bool replay_end_told_ = false;
  // The editor, made when first opened and kept through its test plays.
  std::unique_ptr<Editor> editor_;
  bool editing_ = false;
  bool test_playing_ = false;
  bool test_play_began_ = false;  // the test play's stage has loaded
  int editor_ground_ = 0;         // the ground picture loaded for the editor
  std::optional<NetworkRequest> network_request_;
  // A replay of a game of several humans is seen from the side the number
  // keys chose (-1: its first human's), through a copy of its World.
  int replay_side_ = -1;
  bool replay_of_humans_ = false;
  std::unique_ptr<World> replay_view_;
  std::vector<RosterRow> replay_rows_ = std::vector<RosterRow>(kSides);
};

// quarvex-YYYYMMDD-HHMMSS.png
std::string screenshot_file_name(std::time_t now);

}  // namespace quarvex
