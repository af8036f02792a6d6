#include "app/options.h"

#include <algorithm>
#include <string_view>

#include "net/player_text.h"
#include "world/whole_number.h"

namespace quarvex {

namespace {

// Every option with its value and one line of help; --help prints them in
// this order, and an argument is an option only when it is listed here.
struct CommandOption {
  std::string_view name;
  std::string_view value;  // empty: the option takes no value
  std::string_view help;
};

constexpr CommandOption kCommandOptions[] = {
    {"--data", "DIR", "a folder of stage files, pictures or sounds to use over the game's own"},
    {"--stage", "N", "stage preset in the title menu (1..3)"},
    {"--stage-file", "FILE", "play a stage of your own (its .aod or its .toml) at once"},
    {"--random-stage", "SEED", "play a random battle made from SEED, on the ground of --stage"},
    {"--edit", "FILE", "open a stage of your own in the editor (a new file is made on save)"},
    {"--side", "S", "side preset in the title menu (0..3)"},
    {"--start", "", "load the stage in the first frame"},
    {"--seed", "N", "seed of the stage's random generator (default: the clock)"},
    {"--headless", "", "no window; message boxes become lines on standard output"},
    {"--frames", "N", "stop after N frames"},
    {"--input", "FILE", "play the keys of a key script"},
    {"--record", "FILE", "write the keys and seed of this run as a key script"},
    {"--replay", "FILE", "play a recorded game again, checking it on the way"},
    {"--spectate", "", "watch: the computer commands your side too"},
    {"--humans", "S,S...", "a game of several humans, playing sides S (0..3) from the start"},
    {"--no-replay", "",
     "keep no replay of the stages played (in the window, or joined with --code)"},
    {"--dump", "FILE", "write the World as JSON after the last frame"},
    {"--hash", "", "print a hash of the World after the last frame"},
    {"--screenshot", "F:FILE", "save the picture of frame F as PNG (may be repeated)"},
    {"--scale", "N", "show the 640x480 picture N times larger (1..16)"},
    {"--fullscreen", "", "start in full screen"},
    {"--unpaced", "", "in a window, run the frames without the 30 ms wait (for measuring)"},
    {"--record-audio", "FILE", "write everything the game plays to FILE as WAV"},
    {"--config", "FILE", "read the settings from FILE instead of the usual place"},
    {"--print-settings", "", "print the settings in effect as TOML and exit"},
    {"--connect", "URL",
     "play on the game server at ws://HOST:PORT (in the window, or --headless)"},
    {"--create-game", "",
     "with --connect: create a game (--stage, --seed, --humans, --frames); the window then plays "
     "it"},
    {"--code", "CODE", "with --connect: join the game with this six-letter code"},
    {"--token", "TOKEN", "with --code: come back to the side this token was given for"},
    {"--name", "NAME", "with --connect: the name the other players see"},
    {"--flip-bit", "F:FIELD[:BIT]", "test only: flip a bit of the World after frame F"},
    {"--version", "", "print the version and exit"},
    {"--help", "", "print this help and exit (also -h)"},
};

const CommandOption* find_option(std::string_view name) {
  for (const CommandOption& option : kCommandOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

std::string make_usage() {
  std::string text =
      "usage: quarvex [OPTION]...\n"
      "A real-time military tactics game: four sides, up to 500 units, one map.\n\n";
  constexpr size_t kHelpColumn = 24;
  for (const CommandOption& option : kCommandOptions) {
    std::string line = "  ";
    line.append(option.name);
    if (!option.value.empty()) line.append(" ").append(option.value);
    line.resize(std::max(kHelpColumn, line.size() + 2), ' ');
    text.append(line).append(option.help).append("\n");
  }
  return text;
}

// Appended piece by piece: g++ 12 at -O3 takes "'" + std::string for an
// overlapping copy and stops a -Werror build.
std::string quoted(std::string_view s) {
  std::string q = "'";
  q.append(s).append("'");
  return q;
}

// Reads a bounded whole number for an option; fills error when it is not one.
bool number_value(std::string_view option, std::string_view text, int64_t lowest, int64_t highest,
                  int64_t& out, std::string& error) {
  switch (parse_whole_number(text, lowest, highest, out)) {
    case NumberCheck::kOk:
      return true;
    case NumberCheck::kNotANumber:
      error = std::string(option) + ": " + quoted(text) + " is not a whole number";
      return false;
    case NumberCheck::kOutOfRange:
      break;
  }
  error = std::string(option) + ": " + quoted(text) + " is outside " + std::to_string(lowest) +
          ".." + std::to_string(highest);
  return false;
}

bool screenshot_value(std::string_view text, Options& options, std::string& error) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon + 1 == text.size()) {
    error = "--screenshot: " + quoted(text) + " is not FRAME:FILE";
    return false;
  }
  int64_t frame = 0;
  if (!number_value("--screenshot", text.substr(0, colon), 1, kMaxFrameNumber, frame, error)) {
    return false;
  }
  options.screenshots.emplace_back(frame, std::string(text.substr(colon + 1)));
  return true;
}

// Six letters; typed in either case.
bool code_value(std::string_view text, std::string& code, std::string& error) {
  code.clear();
  for (char c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') break;
    code.push_back(c);
  }
  if (code.size() != 6 || text.size() != 6) {
    error = "--code: " + quoted(text) + " is not six letters";
    return false;
  }
  return true;
}

bool token_value(std::string_view text, std::string& token, std::string& error) {
  const bool hex = text.size() == 32 &&
                   text.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
  if (!hex) {
    error = "--token: " + quoted(text) + " is not 32 hexadecimal digits";
    return false;
  }
  token = text;
  return true;
}

// The network's options go together. A game created is set up by --stage,
// --seed, --humans and --frames; a game joined is played (with --side,
// --input, --token) or watched (--spectate), and may be kept with --record
// and --dump. Headless, --create-game only creates; the window creates the
// game and plays it, with the player's own keys.
bool network_options_fit(const Options& options, std::string& error) {
  const bool networked = options.create_game || !options.code.empty() || !options.token.empty();
  if (options.connect.empty()) {
    if (networked) error = "--create-game, --code and --token need --connect";
    return !networked;
  }
  if (!options.headless && !options.input_file.empty()) {
    error = "--input: a networked game in the window is played with the player's keys";
  } else if (options.create_game == !options.code.empty()) {
    error = "--connect needs either --create-game or --code";
  } else if (!options.token.empty() && options.code.empty()) {
    error = "--token needs --code";
  } else if (options.humans != 0 && !options.create_game) {
    error = "--humans: the sides of a game joined are the game's; give them with --create-game";
  } else if (!options.replay_file.empty()) {
    error = "--connect cannot be given with --replay";
  } else if (options.create_game && options.headless &&
             (!options.record_file.empty() || !options.dump_file.empty() || options.flip_bit)) {
    error = "--create-game only creates the game: --record, --dump and --flip-bit go with --code";
  } else {
    return true;
  }
  return false;
}

// "0,2": each side 0..3 once.
bool humans_value(std::string_view text, Options& options, std::string& error) {
  uint8_t humans = 0;
  size_t pos = 0;
  while (true) {
    const size_t comma = std::min(text.find(',', pos), text.size());
    int64_t side = 0;
    if (!number_value("--humans", text.substr(pos, comma - pos), 0, 3, side, error)) return false;
    const auto bit = static_cast<uint8_t>(1u << side);
    if ((humans & bit) != 0) {
      error = "--humans: side " + std::to_string(side) + " is given twice";
      return false;
    }
    humans = static_cast<uint8_t>(humans | bit);
    if (comma == text.size()) break;
    pos = comma + 1;
  }
  options.humans = humans;
  return true;
}

// "F:FIELD" or "F:FIELD:BIT"; whether the field exists is the Game's to say.
bool flip_bit_value(std::string_view text, Options& options, std::string& error) {
  const size_t colon = text.find(':');
  const size_t bit_colon = colon == std::string_view::npos ? colon : text.find(':', colon + 1);
  if (colon == std::string_view::npos || colon + 1 == text.size() || bit_colon == colon + 1) {
    error = "--flip-bit: " + quoted(text) + " is not FRAME:FIELD or FRAME:FIELD:BIT";
    return false;
  }
  Options::BitFlip flip;
  if (!number_value("--flip-bit", text.substr(0, colon), 1, kMaxFrameNumber, flip.frame, error)) {
    return false;
  }
  flip.field = text.substr(colon + 1, bit_colon == std::string_view::npos ? std::string_view::npos
                                                                          : bit_colon - colon - 1);
  if (bit_colon != std::string_view::npos) {
    int64_t bit = 0;
    if (!number_value("--flip-bit", text.substr(bit_colon + 1), 0, 31, bit, error)) return false;
    flip.bit = static_cast<int>(bit);
  }
  options.flip_bit = flip;
  return true;
}

}  // namespace

const char* usage_text() {
  static const std::string usage = make_usage();
  return usage.c_str();
}

const char* version_text() {
  return "quarvex " QUARVEX_VERSION "\n";
}

ParseOutcome parse_options(int argc, const char* const* argv, Options& options,
                           std::string& error) {
  bool side_given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    // Options without a value.
    if (arg == "--help" || arg == "-h") return ParseOutcome::kHelp;
    if (arg == "--version") return ParseOutcome::kVersion;
    if (arg == "--start") {
      options.start = true;
      options.presets_given = true;
      continue;
    }
    if (arg == "--spectate") {
      options.spectate = true;
      options.presets_given = true;
      continue;
    }
    if (arg == "--no-replay") {
      options.no_replay = true;
      continue;
    }
    if (arg == "--headless") {
      options.headless = true;
      continue;
    }
    if (arg == "--hash") {
      options.hash = true;
      continue;
    }
    if (arg == "--fullscreen") {
      options.fullscreen = true;
      continue;
    }
    if (arg == "--unpaced") {
      options.unpaced = true;
      continue;
    }
    if (arg == "--print-settings") {
      options.print_settings = true;
      continue;
    }
    if (arg == "--create-game") {
      options.create_game = true;
      continue;
    }
    const CommandOption* option = find_option(arg);
    if (option == nullptr || option->value.empty()) {
      error = "unknown argument " + quoted(arg);
      return ParseOutcome::kError;
    }
    if (i + 1 >= argc) {
      error = std::string(arg) + " needs a value";
      return ParseOutcome::kError;
    }
    const std::string_view value = argv[++i];
    int64_t n = 0;
    bool ok = true;
    if (arg == "--stage" || arg == "--side" || arg == "--seed" || arg == "--random-stage") {
      options.presets_given = true;
    }
    if (arg == "--stage") {
      ok = number_value(arg, value, 1, 3, n, error);
      options.stage = static_cast<int>(n);
    } else if (arg == "--side") {
      side_given = true;
      ok = number_value(arg, value, 0, 3, n, error);
      options.side = static_cast<int>(n);
    } else if (arg == "--seed") {
      ok = number_value(arg, value, 0, UINT32_MAX, n, error);
      options.seed = static_cast<uint32_t>(n);
    } else if (arg == "--random-stage") {
      ok = number_value(arg, value, 0, UINT32_MAX, n, error);
      options.random_stage = static_cast<uint32_t>(n);
    } else if (arg == "--frames") {
      ok = number_value(arg, value, 0, kMaxFrameNumber, n, error);
      options.frames = n;
    } else if (arg == "--scale") {
      ok = number_value(arg, value, 1, kMaxScale, n, error);
      options.scale = static_cast<int>(n);
    } else if (arg == "--screenshot") {
      ok = screenshot_value(value, options, error);
    } else if (arg == "--humans") {
      options.presets_given = true;
      ok = humans_value(value, options, error);
    } else if (arg == "--flip-bit") {
      ok = flip_bit_value(value, options, error);
    } else if (value.empty()) {
      error = std::string(arg) + " needs a non-empty value";
      ok = false;
    } else if (arg == "--data") {
      options.data_dir = value;
    } else if (arg == "--input") {
      options.input_file = value;
    } else if (arg == "--record") {
      options.record_file = value;
    } else if (arg == "--replay") {
      options.replay_file = value;
    } else if (arg == "--stage-file") {
      options.stage_file = value;
    } else if (arg == "--edit") {
      options.edit_file = value;
    } else if (arg == "--config") {
      options.config_file = value;
    } else if (arg == "--record-audio") {
      options.record_audio_file = value;
    } else if (arg == "--connect") {
      options.connect = value;
    } else if (arg == "--code") {
      ok = code_value(value, options.code, error);
    } else if (arg == "--token") {
      ok = token_value(value, options.token, error);
    } else if (arg == "--name") {
      // The server cleans it as well; a link may carry anything.
      options.player_name = net::clean_text(value, net::kMaxNameChars);
    } else {
      options.dump_file = value;
    }
    if (!ok) return ParseOutcome::kError;
  }
  if (options.headless && !options.record_audio_file.empty()) {
    error = "--record-audio: a game without a window makes no sound";
    return ParseOutcome::kError;
  }
  if (options.humans != 0) {
    // A game of several humans starts at its stage, and its player's side is
    // the lowest human side.
    if (side_given || options.spectate) {
      error = side_given ? "--humans cannot be given with --side"
                         : "--humans cannot be given with --spectate";
      return ParseOutcome::kError;
    }
    options.start = true;
  }
  if (!network_options_fit(options, error)) return ParseOutcome::kError;
  // A replay's keys come from its file, and it records nothing.
  if (!options.replay_file.empty() &&
      (!options.input_file.empty() || !options.record_file.empty())) {
    error = "--replay cannot be given with --input or --record";
    return ParseOutcome::kError;
  }
  if (!options.edit_file.empty() &&
      (options.headless || options.start || !options.stage_file.empty() || options.random_stage ||
       !options.replay_file.empty() || !options.input_file.empty() || options.humans != 0 ||
       !options.connect.empty())) {
    error =
        "--edit opens the editor in a window; it cannot be given with --headless, --start, "
        "--stage-file, --random-stage, --replay, --input, --humans or --connect";
    return ParseOutcome::kError;
  }
  if (!options.stage_file.empty() && options.random_stage) {
    error = "--stage-file and --random-stage each name the stage to play; give one";
    return ParseOutcome::kError;
  }
  return ParseOutcome::kRun;
}

}  // namespace quarvex
