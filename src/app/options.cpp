#include "app/options.h"

#include <string_view>

#include "app/whole_number.h"

namespace quarvex {

namespace {

constexpr const char* kUsage =
    "usage: quarvex [--data DIR] [--stage N] [--side S] [--start] [--seed N]\n"
    "               [--headless] [--frames N] [--input FILE] [--record FILE]\n"
    "               [--dump FILE] [--hash] [--screenshot F:FILE]... [--scale N] [--fullscreen]\n"
    "               [--record-audio FILE.wav]\n";

std::string quoted(std::string_view s) {
  return "'" + std::string(s) + "'";
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
  return kUsage;
}

ParseOutcome parse_options(int argc, const char* const* argv, Options& options,
                           std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    // Options without a value.
    if (arg == "--help" || arg == "-h") return ParseOutcome::kHelp;
    if (arg == "--start") {
      options.start = true;
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
    const bool takes_value = arg == "--data" || arg == "--stage" || arg == "--side" ||
                             arg == "--seed" || arg == "--frames" || arg == "--input" ||
                             arg == "--record" || arg == "--dump" || arg == "--screenshot" ||
                             arg == "--scale" || arg == "--record-audio";
    if (!takes_value) {
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
  return ParseOutcome::kRun;
}

}  // namespace quarvex
