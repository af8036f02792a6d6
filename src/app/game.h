#pragma once
// One run of the game, independent of how it is shown: the World, where the
// keys come from, the key recorder, the frame count and the end-of-run
// outputs. A driver (headless or windowed) is a loop around it:
//
//   Game game;
//   std::string error;
//   if (!game.begin(options, error)) { print error; return 2; }
//   while (game.run_frame(host)) { ...driver's own work between frames... }
//   return game.finish();
//
// The driver's FrameHost supplies what only it knows: live keys, the
// picture, message boxes, the clocks, pacing, the calendar seed and the
// ground image. The Game puts itself between that host and the frame: keys
// come from the key script or the replay when one was given (the host's
// live keys are then not asked for), every frame's keys go to the
// recordings, the stage load gets the fixed seed when one was given, and the
// data folder is the one the options resolved.
//
// Recordings start where play starts: at begin and at every reset, the
// World is the one world/world_reset.h makes, so a recording needs only the
// presets, the seed and the keys to rebuild every frame exactly.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/frame.h"
#include "app/options.h"
#include "replay/key_script.h"
#include "replay/recording.h"
#include "world/world.h"

namespace quarvex {

enum class ReplayState : uint8_t {
  kOff,      // not a replay
  kPlaying,  // frames to go, every check so far agreeing
  kEnded,    // the last frame ran and the final hash agrees
  kDiffers   // a check or the final hash disagrees: the replay stops there
};

class Game {
 public:
  Game();
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // Before begin: keep a replay of every stage played in `folder` (the
  // windowed game does; empty keeps none).
  void keep_replays_in(std::string folder) { replay_folder_ = std::move(folder); }

  // Prepares the run: reads the key script or the replay, opens the record
  // and dump files, resolves the data folder, presets the title menu (and
  // requests the stage load for --start). On failure returns false with a
  // one-line error; nothing has run and the caller exits with status 2.
  bool begin(const Options& options, std::string& error);

  // Runs one frame through host. Returns false, running nothing, once the
  // frame limit is reached: --frames when given; without it a headless run
  // stops after the last frame the key script names (1 frame without a
  // script), a windowed run never. A replay also stops at its last frame
  // and where it differs from the recorded game.
  bool run_frame(FrameHost& host);

  // Puts the World back at the start of play with the stage and side last
  // chosen: at the title menu, or (start_stage) loading the stage in the
  // next frame, watched or played. The stage's replay and a --record
  // recording end here, so that they replay exactly what they hold.
  void reset(bool start_stage, bool watch);

  // Between frames, while none runs: puts the last frames of the
  // recordings into their files when a second has passed since they were
  // last written.
  void keep_recordings_current(int32_t now_ms);

  // Writes the end-of-run outputs: the end of the recordings, the dump, the
  // hash line on standard output. Returns the exit status: 0; 1 (with a
  // message on standard error) when an output could not be written; 3 when
  // the replay differs from the recorded game.
  int finish();

  // Frames completed so far.
  int64_t frames_run() const { return frames_run_; }
  // Number (from 1) of the frame being run; between frames, of the last one.
  int64_t current_frame() const { return current_frame_; }
  // The frame limit; nullopt when the run has none.
  std::optional<int64_t> frame_limit() const { return frame_limit_; }
  const World& world() const { return *world_; }
  const Options& options() const { return options_; }
  const std::string& data_dir() const { return data_dir_; }
  // True when the keys come from a key script rather than from the host.
  bool keys_from_script() const { return has_script_; }
  bool watching() const { return watching_; }
  bool replaying() const { return replay_state_ != ReplayState::kOff; }
  ReplayState replay_state() const { return replay_state_; }
  // The frame after which the replay and the recorded game differ.
  int64_t replay_differs_at() const { return replay_differs_at_; }
  // "replay differs from the recorded game at frame F", with the versions
  // when the recording came from another version of the game.
  std::string replay_differs_text() const;
  // What the player should hear about the replays kept (a folder that
  // cannot be written, a full disk), once; empty when there is nothing.
  std::string take_notice() { return std::exchange(notice_, std::string()); }

 private:
  class FrameServices;

  void begin_recordings();
  void end_recordings();
  void stage_loading(uint32_t seed);
  void after_frame(int32_t now_ms);
  void flush_recordings();
  void stop_keeping_replays(const std::string& why);
  void end_replay();

  std::unique_ptr<World> world_;
  std::unique_ptr<FrameServices> services_;
  Options options_;
  std::string data_dir_;
  KeyScript script_;
  bool has_script_ = false;
  PlayStart play_start_;
  bool watching_ = false;
  Recording record_;        // --record
  Recording stage_replay_;  // the replay of the stage being played
  std::string replay_folder_;
  std::string notice_;
  int32_t last_flush_ms_ = 0;
  ReplayState replay_state_ = ReplayState::kOff;
  int64_t replay_last_frame_ = 0;
  size_t next_check_ = 0;
  int64_t replay_differs_at_ = 0;
  std::FILE* dump_file_ = nullptr;
  std::optional<uint32_t> fixed_seed_;
  std::optional<int64_t> frame_limit_;
  std::string record_error_;
  int64_t frames_run_ = 0;
  int64_t current_frame_ = 0;
};

// The data folder a run uses: --data when given, else the working directory
// when it holds map1.aod, else the installed data beside the binary
// (<bin>/../share/quarvex) when that folder exists, else the folder the build
// filled.
std::string resolve_data_dir(const std::string& option);

}  // namespace quarvex
