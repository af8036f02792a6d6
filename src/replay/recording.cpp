#include "replay/recording.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>

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
  append_line(pending_, "stage %d\nside %d\n", start.stage, start.side);
  if (start.start) pending_ += "start\n";
  if (start.watch) pending_ += "watch\n";
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

void Recording::add(KeyMask keys) {
  if (!active_) return;
  ++frames_;
  if (run_first_ != 0 && keys == run_keys_ && frames_ == run_last_ + 1) {
    run_last_ = frames_;
    return;
  }
  write_run();
  run_first_ = frames_;
  run_last_ = frames_;
  run_keys_ = keys;
}

void Recording::check(uint64_t hash) {
  if (!active_) return;
  append_line(pending_, "check %lld %s\n", static_cast<long long>(frames_),
              hash_text(hash).c_str());
}

void Recording::write_run() {
  if (run_first_ == 0) return;
  if (run_first_ == run_last_) {
    append_line(pending_, "%lld", static_cast<long long>(run_first_));
  } else {
    append_line(pending_, "%lld-%lld", static_cast<long long>(run_first_),
                static_cast<long long>(run_last_));
  }
  for (const KeyName& k : kKeyNames) {
    if (run_keys_ & (1u << k.key)) {
      pending_ += ' ';
      pending_ += k.name;
    }
  }
  pending_ += '\n';
}

// A run still growing is written as far as it goes; the next frame starts a new one.
void Recording::end_run() {
  write_run();
  run_first_ = 0;
}

bool Recording::flush(std::string& error) {
  if (file_ == nullptr) return true;
  end_run();
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
  end_run();
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
  run_first_ = 0;
  run_last_ = 0;
  run_keys_ = 0;
}

}  // namespace quarvex
