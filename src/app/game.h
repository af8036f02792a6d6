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
// come from the key script when one was given (the host's live keys are
// then not asked for), every frame's keys go to the recorder, the stage
// load gets the fixed seed when one was given, and the data folder is the
// one the options resolved.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/frame.h"
#include "app/key_recorder.h"
#include "app/key_script.h"
#include "app/options.h"
#include "world/world.h"

namespace quarvex {

class Game {
 public:
  Game();
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // Prepares the run: reads the key script, opens the record and dump
  // files, resolves the data folder, presets the title menu (and requests
  // the stage load for --start). On failure returns false with a one-line
  // error; nothing has run and the caller exits with status 2.
  bool begin(const Options& options, std::string& error);

  // Runs one frame through host. Returns false, running nothing, once the
  // frame limit is reached: --frames when given; without it a headless run
  // stops after the last frame the key script names (1 frame without a
  // script), a windowed run never.
  bool run_frame(FrameHost& host);

  // Puts the World back at the start of play with the stage and side last
  // chosen: at the title menu, or (start_stage) loading the stage in the
  // next frame. A --record recording ends here, so that it still replays
  // exactly what it holds.
  void reset(bool start_stage);

  // Writes the end-of-run outputs: the rest of the record (with the seed
  // the stage load used), the dump, the hash line on standard output.
  // Returns the exit status: 0, or 1 (with a message on standard error)
  // when an output could not be written.
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

 private:
  class FrameServices;

  std::unique_ptr<World> world_;
  std::unique_ptr<FrameServices> services_;
  Options options_;
  std::string data_dir_;
  KeyScript script_;
  bool has_script_ = false;
  KeyRecorder recorder_;
  std::FILE* dump_file_ = nullptr;
  std::optional<uint32_t> fixed_seed_;
  std::optional<uint32_t> seed_used_;
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
