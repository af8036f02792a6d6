#include "app/desync_report.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "app/world_output.h"
#include "replay/recording.h"
#include "replay/replay_folder.h"

namespace quarvex {

namespace {

// " computer 2 human 3": the frame's events, as the key scripts name them.
void write_events(std::FILE* out, const FrameInput& input) {
  const std::pair<const char*, uint8_t> events[] = {{"computer", input.to_computer},
                                                    {"human", input.to_human},
                                                    {"pause", input.pause},
                                                    {"resume", input.resume}};
  for (const auto& [word, sides] : events) {
    for (int s = 0; s < kSides; ++s) {
      if ((sides >> s) & 1u) std::fprintf(out, " %s %d", word, s);
    }
  }
}

}  // namespace

std::string desync_folder() {
  const std::string replays = default_replay_folder();
  if (replays.empty()) return {};
  return (std::filesystem::path(replays).parent_path() / "desyncs").string();
}

bool write_desync_report(const std::string& code, const net::Desync& desync, const World& w,
                         uint32_t last_frame, std::span<const FrameInput> recent, std::string& path,
                         std::string& error) {
  const std::string folder = desync_folder();
  if (folder.empty()) {
    error = "no folder for it: neither XDG_DATA_HOME nor HOME is set";
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  path =
      folder + "/desync-" + stamp + "-" + code + "-frame" + std::to_string(desync.frame) + ".txt";
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  std::fprintf(out, "quarvex %s desync report, game %s\n", QUARVEX_VERSION, code.c_str());
  std::fprintf(out, "frame %" PRIu32 "\nserver hash %s\nclient hash %s\n", desync.frame,
               hash_text(desync.server_hash).c_str(), hash_text(desync.client_hash).c_str());
  std::fprintf(out, "world below: after frame %" PRIu32 "\n", last_frame);
  std::fprintf(out,
               "inputs of the last %zu frames: frame, the keys of sides 0..3 (hex, bit k: key k), "
               "events\n",
               recent.size());
  uint32_t frame = last_frame + 1 - static_cast<uint32_t>(recent.size());
  for (const FrameInput& input : recent) {
    std::fprintf(out, "%" PRIu32 " %03x %03x %03x %03x", frame++, input.keys[0], input.keys[1],
                 input.keys[2], input.keys[3]);
    write_events(out, input);
    std::fputc('\n', out);
  }
  write_world_json(out, w, last_frame);
  std::fputc('\n', out);
  const bool failed = std::ferror(out) != 0;
  if (std::fclose(out) != 0 || failed) {
    error = "writing '" + path + "' was cut short";
    return false;
  }
  return true;
}

}  // namespace quarvex
