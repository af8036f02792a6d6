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
  std::string data_dir;  // lies over the game's own data; empty: the game's own alone
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
  bool no_replay = false;         // keep no replay of the stages played (window or --code)
  uint8_t humans = 0;  // a game of several humans: bit s for each human side (0: one player)
  uint8_t closed = 0;  // a game of several humans: bit s for each side that takes no part
  // Test only: flip one bit of the World after a frame, to see a desync found.
  struct BitFlip {
    int64_t frame = 0;
    std::string field;  // as the dump names it: "rand_state", "funds[2]", "units[12].x"
    int bit = 0;
  };
  std::optional<BitFlip> flip_bit;
  // A player's stage (its stage file or its description) to play at once;
  // with --replay, where the recording's stage is.
  std::string stage_file;
  // A stage of one's own to open in the editor (made on the first save when
  // it does not exist).
  std::string edit_file;
  // A generated stage to play at once, on the ground of `stage`.
  std::optional<uint32_t> random_stage;
  // True when --stage, --side, --start, --seed, --spectate, --humans
  // or --random-stage was given: a recording that says where play started does
  // not take them.
  bool presets_given = false;

  // A networked game (headless): the server's ws:// or wss:// address, and
  // either a game to create (--humans: the sides people play, all four
  // when not given) or the code of one to join (--side plays that side,
  // --spectate watches; --token comes back to a side left).
  std::string connect;
  bool create_game = false;
  std::string code;
  std::string token;        // 32 hexadecimal digits
  std::string player_name;  // --name; empty: the settings' name
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
