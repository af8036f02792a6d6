#pragma once
// The command line of the game.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "replay/key_script.h"

namespace quarvex {

struct Options {
  std::string data_dir;  // empty: the working directory when it holds map1.aod, else the built data
  int stage = 1;         // 1..3, presets the title menu
  int side = 0;          // 0..3, presets the title menu
  bool start = false;    // the first frame begins with the stage load
  std::optional<uint32_t> seed;
  bool headless = false;
  std::optional<int64_t> frames;  // stop after this many frames
  std::string input_file;         // key script
  std::string record_file;        // write the keys of this run
  std::string dump_file;          // World as JSON after the last frame
  bool hash = false;              // print a hash of the World after the last frame
  std::vector<std::pair<int64_t, std::string>> screenshots;  // frame, PNG file
  int scale = 0;                                             // 0: largest that fits
  bool fullscreen = false;
  bool unpaced = false;           // in a window, no 30 ms wait between frames (for speed figures)
  std::string config_file;        // empty: the settings file in the XDG config folder
  bool print_settings = false;    // print the settings in effect and exit
  std::string record_audio_file;  // write what the mixer plays as WAV
  std::string replay_file;        // play this recording
  bool spectate = false;          // the computer commands the player's side too
  bool no_replay = false;         // keep no replay of the stages played in the window
  // True when --stage, --side, --start, --seed or --spectate was given: a
  // recording that says where play started does not take them.
  bool presets_given = false;
};
constexpr int kMaxScale = 16;

enum class ParseOutcome { kRun, kHelp, kVersion, kError };

// Reads argv[1..argc-1] into options. On kError, error holds one line naming
// the argument (without the program name).
ParseOutcome parse_options(int argc, const char* const* argv, Options& options, std::string& error);

// The usage text printed for --help: one line per option.
const char* usage_text();

// "quarvex X.Y.Z" and a newline, printed for --version.
const char* version_text();

}  // namespace quarvex
