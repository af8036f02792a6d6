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
// recordings, the stage load gets the fixed seed when one was given, and its
// files come from the data folders the options resolved, or from the
// player's or generated stage the run plays instead.
//
// Recordings start where play starts: at begin and at every reset, the
// World is the one world/world_reset.h makes, so a recording needs only the
// presets, the seed and the keys to rebuild every frame exactly.

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"
#include "app/options.h"
#include "lang/message.h"
#include "replay/key_script.h"
#include "replay/recording.h"
#include "stages/data_folders.h"
#include "stages/player_stages.h"
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
  // one-line error; nothing has run and the caller exits with
  // failure_status(): 3 for a replay that this version cannot play exactly,
  // else 2.
  bool begin(const Options& options, std::string& error);
  int failure_status() const { return failure_status_; }

  // Runs one frame through host. Returns false, running nothing, once the
  // frame limit is reached: --frames when given; without it a headless run
  // stops after the last frame the key script names (1 frame without a
  // script), a windowed run never. A replay also stops at its last frame
  // and where it differs from the recorded game.
  bool run_frame(FrameHost& host);
  // The same with this input in place of the key script's or the host's
  // keys: a frame of a networked game, whose input comes from the network.
  bool run_frame(FrameHost& host, const FrameInput& input);

  // The World after the frames run so far, as a snapshot (world/snapshot.h).
  void snapshot(std::vector<uint8_t>& out) const;
  // Between frames: goes on from a snapshot, its World and its frame count,
  // as a machine that joins a game under way or whose World went astray
  // does. A snapshot of another frame than this Game's last drops the
  // recordings, which could no longer replay from where play started. False
  // with a one-line error, and nothing changed, when the snapshot is refused.
  bool load_snapshot(const uint8_t* data, size_t size, std::string& error);

  // A frame of a networked game that this machine does not run: a snapshot
  // of the World after it follows (load_snapshot). Its input goes to the
  // recordings as a frame run does, so they still replay the game.
  void pass_frame(const FrameInput& input);

  // A networked game's recordings take the check of a frame only once the
  // server has agreed with the World's hash of it: a check of a World gone
  // astray would stop the recording's own replay there. From hold_checks()
  // on, the checks due wait until agree_checks names their frame, and
  // drop_checks forgets those of its frame and later (the World was astray
  // from there). Checks still waiting at finish() are not written.
  void hold_checks() { holding_checks_ = true; }
  // The name of side `side`'s player in a game of several humans: the
  // recordings name it, also those that begin later.
  void name_player(int side, const std::string& name);
  void agree_checks(int64_t frame);
  void drop_checks(int64_t from_frame);

  // The --record file's write error, if one happened, handed over once: a
  // server says it in its log as it happens, and finish() no longer does.
  std::string take_record_error() { return std::exchange(record_error_, {}); }

  // Puts the World back at the start of play with the stage and side last
  // chosen: at the title menu, or (start_stage) loading the stage in the
  // next frame, watched or played. The stage's replay and a --record
  // recording end here, so that they replay exactly what they hold. The
  // title menu offers the game's own stages, so going back to it leaves a
  // player's or generated stage; a restart plays it again.
  void reset(bool start_stage, bool watch);

  // Starts a player's or a generated stage in the next frame, for side
  // `side`, on the stage's ground; as reset does, it ends the recordings.
  void play_stage(PlayableStage stage, int side, bool watch);
  // Starts the game's own stage `stage` (1..3) in the next frame, for side
  // `side`, leaving a player's or generated stage; as reset does, it ends
  // the recordings.
  void play_built_in(int stage, int side);
  // The player's or generated stage being played; null for the game's own.
  const PlayableStage* played_stage() const { return played_ ? &*played_ : nullptr; }

  // Where stage `stage_number`'s files are for the next stage load.
  StageFiles stage_files(int stage_number);

  // Between frames, while none runs: puts the last frames of the
  // recordings into their files when a second has passed since they were
  // last written.
  void keep_recordings_current(int32_t now_ms);
  // Puts the last frames of the recordings into their files at once (a page
  // that is going away cannot wait for the second to pass).
  void write_recordings_now() { flush_recordings(); }

  // Writes the end-of-run outputs: the end of the recordings, the dump, the
  // hash line on standard output. Returns the exit status: 0; 1 (with a
  // message on standard error) when an output could not be written; 3 when
  // the replay differs from the recorded game. `report_hash` false: the
  // hash line belongs to a networked game that ended the program instead.
  int finish(bool report_hash = true);

  // Frames completed so far.
  int64_t frames_run() const { return frames_run_; }
  // Number (from 1) of the frame being run; between frames, of the last one.
  int64_t current_frame() const { return current_frame_; }
  // The frame limit; nullopt when the run has none.
  std::optional<int64_t> frame_limit() const { return frame_limit_; }
  const World& world() const { return *world_; }
  const Options& options() const { return options_; }
  const DataFolders& data() const { return data_; }
  // True when the keys come from a key script rather than from the host.
  bool keys_from_script() const { return has_script_; }
  // The players a replay of a game played together names ("" where none).
  const std::array<std::string, kSides>& script_players() const { return script_.players; }
  bool watching() const { return watching_; }
  bool replaying() const { return replay_state_ != ReplayState::kOff; }
  ReplayState replay_state() const { return replay_state_; }
  // True for a recording without its end line: it plays as far as it goes.
  bool replay_unfinished() const { return script_.is_recording() && !script_.end; }
  // The frame after which the replay and the recorded game differ.
  int64_t replay_differs_at() const { return replay_differs_at_; }
  // "replay differs from the recorded game at frame F", with the versions
  // when the recording came from another version of the game.
  Message replay_differs_message() const;
  // What the player should hear about the replays kept (a folder that
  // cannot be written, a full disk), once; an empty text when there is nothing.
  Message take_notice() { return std::exchange(notice_, Message()); }

 private:
  class FrameServices;
  // A check waiting for the server's word: the Game's frame, and the frame
  // of each recording it is for (0: not for that one).
  struct HeldCheck {
    int64_t frame = 0;
    int64_t record_frame = 0;
    int64_t replay_frame = 0;
    uint64_t hash = 0;
  };
  // Checks come every 1,000 frames, the server's word within a second or
  // two; a client this far behind has long been handed over.
  static constexpr size_t kHeldChecks = 8;

  bool take_humans(const std::string& script_file, std::string& error);
  void start_play();
  void record(const World& w, const FrameInput& input);
  void begin_recordings();
  void end_recordings();
  void stage_loading(uint32_t seed);
  void after_frame(int32_t now_ms);
  void flush_recordings();
  void stop_keeping_replays(const std::string& why);
  void end_replay();
  bool choose_stage(const Options& options, std::string& error);
  bool find_recorded_stage(const Options& options, std::string& error);
  // Ends the recordings of the play that is over, on its last World.
  void end_play();
  // Puts the World at the start of play and begins the recordings.

  std::unique_ptr<World> world_;
  std::unique_ptr<FrameServices> services_;
  Options options_;
  DataFolders data_;
  std::optional<PlayableStage> played_;
  std::string stage_path_;  // stage_files' answers
  std::string ground_path_;
  KeyScript script_;
  bool has_script_ = false;
  PlayStart play_start_;
  bool watching_ = false;
  Recording record_;        // --record
  Recording stage_replay_;  // the replay of the stage being played
  std::array<std::string, kSides> players_;
  std::string replay_folder_;
  Message notice_;
  int32_t last_flush_ms_ = 0;
  ReplayState replay_state_ = ReplayState::kOff;
  int64_t replay_last_frame_ = 0;
  size_t next_check_ = 0;
  int64_t replay_differs_at_ = 0;
  int failure_status_ = 2;
  std::FILE* dump_file_ = nullptr;
  std::optional<uint32_t> fixed_seed_;
  std::optional<int64_t> frame_limit_;
  const FrameInput* given_input_ = nullptr;  // this frame's, from run_frame
  std::optional<Options::BitFlip> flip_bit_;
  bool holding_checks_ = false;
  std::array<HeldCheck, kHeldChecks> held_checks_{};
  size_t held_count_ = 0;
  std::string record_error_;
  int64_t frames_run_ = 0;
  int64_t current_frame_ = 0;
};

// The data folders a run uses: --data (when given) over the game's own data,
// which is the installed data beside the binary (<bin>/../share/quarvex)
// when that folder exists, else the folder the build filled.
DataFolders resolve_data_folders(const std::string& option);

}  // namespace quarvex
