#include "app/key_recorder.h"

#include <cerrno>
#include <cstring>

namespace quarvex {

KeyRecorder::~KeyRecorder() {
  if (file_ != nullptr) std::fclose(file_);
}

bool KeyRecorder::open(const std::string& path, std::string& error) {
  file_ = std::fopen(path.c_str(), "w");
  if (file_ == nullptr) {
    error = "--record: cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  path_ = path;
  std::fputs(
      "# quarvex key script: keys down per frame (a frame with no key named has all keys up)\n",
      file_);
  return true;
}

void KeyRecorder::add(int64_t frame, KeyMask keys) {
  if (file_ == nullptr) return;
  if (run_first_ != 0 && keys == run_keys_ && frame == run_last_ + 1) {
    run_last_ = frame;
    return;
  }
  write_run();
  run_first_ = frame;
  run_last_ = frame;
  run_keys_ = keys;
}

void KeyRecorder::write_run() {
  if (run_first_ == 0) return;
  if (run_first_ == run_last_) {
    std::fprintf(file_, "%lld", static_cast<long long>(run_first_));
  } else {
    std::fprintf(file_, "%lld-%lld", static_cast<long long>(run_first_),
                 static_cast<long long>(run_last_));
  }
  for (const KeyName& k : kKeyNames) {
    if (run_keys_ & (1u << k.key)) std::fprintf(file_, " %s", k.name);
  }
  std::fputc('\n', file_);
}

bool KeyRecorder::finish(std::optional<uint32_t> seed, std::string& error) {
  if (file_ == nullptr) return true;
  write_run();
  run_first_ = 0;
  if (seed) std::fprintf(file_, "seed %u\n", static_cast<unsigned>(*seed));
  const bool failed = std::ferror(file_) != 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (failed || !closed) {
    error = "--record: writing '" + path_ + "' failed";
    return false;
  }
  return true;
}

}  // namespace quarvex
