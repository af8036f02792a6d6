#include "replay/recording.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>

#include "net/player_text.h"

namespace quarvex {

namespace {

// Enough for the text of a second or so of play between two flushes.
constexpr size_t kPendingReserve = 4096;

void append_line(std::string& text, const char* format, auto... values) {
  char line[96];
  const int n = std::snprintf(line, sizeof line, format, values...);
  if (n > 0) text.append(line, std::min(static_cast<size_t>(n), sizeof line - 1));
}

}  // namespace

std::string hash_text(uint64_t hash) {
  char text[17];
  std::snprintf(text, sizeof text, "%016" PRIx64, hash);
  return text;
}

Recording::~Recording() {
  if (file_ != nullptr) std::fclose(file_);
}

void Recording::begin(const PlayStart& start, const char* version) {
  drop();
  active_ = true;
  pending_.reserve(kPendingReserve);
  pending_ =
      "# quarvex replay: where play started, then the keys down in every frame (frames from 1,\n"
      "# a frame with no key named has every key up), the World's hash every 1000 frames\n";
  append_line(pending_, "version %s\n", version);
  humans_ = start.humans;
  if (humans_ == 0) {
    append_line(pending_, "stage %d\nside %d\n", start.stage, start.side);
  } else {
    append_line(pending_, "stage %d\nhumans", start.stage);
    for (int s = 0; s < kSides; ++s) {
      if ((humans_ >> s) & 1u) append_line(pending_, " %d", s);
    }
    pending_ += '\n';
  }
  if (start.start) pending_ += "start\n";
  if (start.watch) pending_ += "watch\n";
  if (start.random_stage) {
    append_line(pending_, "random-stage %u\n", static_cast<unsigned>(*start.random_stage));
  }
  if (start.stage_hash) pending_ += "stage-hash " + hash_text(*start.stage_hash) + "\n";
}

bool Recording::open(const std::string& path, bool must_be_new, std::string& error) {
  file_ = std::fopen(path.c_str(), must_be_new ? "wx" : "w");
  if (file_ == nullptr) {
    const int code = errno;
    error = "cannot write '" + path + "': " + std::strerror(code);
    errno = code;  // the caller may try another name when the file exists
    return false;
  }
  path_ = path;
  return flush(error);
}

void Recording::seed(uint32_t seed) {
  if (active_) append_line(pending_, "seed %u\n", static_cast<unsigned>(seed));
}

void Recording::player(int side, std::string_view name) {
  // A name is one line of text whatever it came as: a line break in it
  // would start a line of the recording's own.
  const std::string clean = net::clean_text(name, net::kMaxNameChars);
  if (!active_ || side < 0 || side >= kSides || clean.empty()) return;
  append_line(pending_, "player %d ", side);
  pending_ += written_player_name(clean);
  pending_ += '\n';
}

void Recording::add(KeyMask keys) {
  if (!active_) return;
  ++frames_;
  extend(run_, keys, -1);
}

void Recording::add(const FrameInput& input) {
  if (!active_) return;
  ++frames_;
  for (int s = 0; s < kSides; ++s) {
    // Bits beyond the eleven keys mean nothing to the game and have no name.
    if ((humans_ >> s) & 1u) extend(side_runs_[s], input.keys[s] & kAllKeys, s);
  }
  write_events(input);
}

void Recording::extend(Run& run, KeyMask keys, int side) {
  if (run.first != 0 && keys == run.keys && frames_ == run.last + 1) {
    run.last = frames_;
    return;
  }
  write_run(run, side);
  run = Run{frames_, frames_, keys};
}

void Recording::write_events(const FrameInput& input) {
  const std::pair<const char*, uint8_t> events[] = {{"computer", input.to_computer},
                                                    {"human", input.to_human},
                                                    {"pause", input.pause},
                                                    {"resume", input.resume}};
  for (const auto& [word, sides] : events) {
    for (int s = 0; s < kSides; ++s) {
      if ((sides >> s) & 1u) {
        append_line(pending_, "%s %lld %d\n", word, static_cast<long long>(frames_), s);
      }
    }
  }
}

void Recording::check(int64_t frame, uint64_t hash) {
  if (!active_) return;
  append_line(pending_, "check %lld %s\n", static_cast<long long>(frame), hash_text(hash).c_str());
}

void Recording::write_run(const Run& run, int side) {
  if (run.first == 0) return;
  if (side >= 0) append_line(pending_, "%d: ", side);
  if (run.first == run.last) {
    append_line(pending_, "%lld", static_cast<long long>(run.first));
  } else {
    append_line(pending_, "%lld-%lld", static_cast<long long>(run.first),
                static_cast<long long>(run.last));
  }
  for (const KeyName& k : kKeyNames) {
    if (run.keys & (1u << k.key)) {
      pending_ += ' ';
      pending_ += k.name;
    }
  }
  pending_ += '\n';
}

// Runs still growing are written as far as they go; the next frame starts new ones.
void Recording::end_runs() {
  write_run(run_, -1);
  run_.first = 0;
  for (int s = 0; s < kSides; ++s) {
    write_run(side_runs_[s], s);
    side_runs_[s].first = 0;
  }
}

bool Recording::flush(std::string& error) {
  if (file_ == nullptr) return true;
  end_runs();
  const bool written = std::fwrite(pending_.data(), 1, pending_.size(), file_) == pending_.size();
  pending_.clear();
  if (written && std::fflush(file_) == 0) return true;
  error = "writing '" + path_ + "' failed: " + std::strerror(errno);
  std::fclose(file_);
  file_ = nullptr;
  drop();
  return false;
}

bool Recording::finish(uint64_t hash, std::string& error) {
  if (!active_) return true;
  end_runs();
  append_line(pending_, "end %lld %s\n", static_cast<long long>(frames_), hash_text(hash).c_str());
  if (!flush(error)) return false;
  return close(error);
}

bool Recording::close(std::string& error) {
  const bool ok = file_ == nullptr || std::fclose(file_) == 0;
  if (!ok) error = "writing '" + path_ + "' failed: " + std::strerror(errno);
  file_ = nullptr;
  drop();
  return ok;
}

void Recording::drop() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  active_ = false;
  pending_.clear();
  frames_ = 0;
  humans_ = 0;
  run_ = Run{};
  side_runs_ = {};
}

}  // namespace quarvex
