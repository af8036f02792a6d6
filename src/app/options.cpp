#include "app/options.h"

#include <algorithm>
#include <string_view>

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
    {"--data", "DIR", "where the stage files and pictures are"},
    {"--stage", "N", "stage preset in the title menu (1..3)"},
    {"--side", "S", "side preset in the title menu (0..3)"},
    {"--start", "", "load the stage in the first frame"},
    {"--seed", "N", "seed of the stage's random generator (default: the clock)"},
    {"--headless", "", "no window; message boxes become lines on standard output"},
    {"--frames", "N", "stop after N frames"},
    {"--input", "FILE", "play the keys of a key script"},
    {"--record", "FILE", "write the keys and seed of this run as a key script"},
    {"--replay", "FILE", "play a recorded game again, checking it on the way"},
    {"--spectate", "", "watch: the computer commands your side too"},
    {"--no-replay", "", "keep no replay of the stages played in the window"},
    {"--dump", "FILE", "write the World as JSON after the last frame"},
    {"--hash", "", "print a hash of the World after the last frame"},
    {"--screenshot", "F:FILE", "save the picture of frame F as PNG (may be repeated)"},
    {"--scale", "N", "show the 640x480 picture N times larger (1..16)"},
    {"--fullscreen", "", "start in full screen"},
    {"--unpaced", "", "in a window, run the frames without the 30 ms wait (for measuring)"},
    {"--record-audio", "FILE", "write everything the game plays to FILE as WAV"},
    {"--config", "FILE", "read the settings from FILE instead of the usual place"},
    {"--print-settings", "", "print the settings in effect as TOML and exit"},
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
    if (arg == "--stage" || arg == "--side" || arg == "--seed") options.presets_given = true;
    if (arg == "--stage") {
      ok = number_value(arg, value, 1, 3, n, error);
      options.stage = static_cast<int>(n);
    } else if (arg == "--side") {
      ok = number_value(arg, value, 0, 3, n, error);
      options.side = static_cast<int>(n);
    } else if (arg == "--seed") {
      ok = number_value(arg, value, 0, UINT32_MAX, n, error);
      options.seed = static_cast<uint32_t>(n);
    } else if (arg == "--frames") {
      ok = number_value(arg, value, 0, kMaxFrameNumber, n, error);
      options.frames = n;
    } else if (arg == "--scale") {
      ok = number_value(arg, value, 1, kMaxScale, n, error);
      options.scale = static_cast<int>(n);
    } else if (arg == "--screenshot") {
      ok = screenshot_value(value, options, error);
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
    } else if (arg == "--config") {
      options.config_file = value;
    } else if (arg == "--record-audio") {
      options.record_audio_file = value;
    } else {
      options.dump_file = value;
    }
    if (!ok) return ParseOutcome::kError;
  }
  if (options.headless && !options.record_audio_file.empty()) {
    error = "--record-audio: a game without a window makes no sound";
    return ParseOutcome::kError;
  }
  // A replay's keys come from its file, and it records nothing.
  if (!options.replay_file.empty() &&
      (!options.input_file.empty() || !options.record_file.empty())) {
    error = "--replay cannot be given with --input or --record";
    return ParseOutcome::kError;
  }
  return ParseOutcome::kRun;
}

}  // namespace quarvex
