#pragma once
// Writes the keys of every frame of a run as a key script, runs of equal
// frames merged into one "F-G keys" line, so the script replays the run.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "app/key_script.h"

namespace quarvex {

class KeyRecorder {
 public:
  KeyRecorder() = default;
  KeyRecorder(const KeyRecorder&) = delete;
  KeyRecorder& operator=(const KeyRecorder&) = delete;
  ~KeyRecorder();

  // Creates the file; false with a message when it cannot be written.
  bool open(const std::string& path, std::string& error);
  bool is_open() const { return file_ != nullptr; }
  // The keys of the next frame; frames come in order from 1.
  void add(int64_t frame, KeyMask keys);
  // Writes the last run and the seed the run used (when it used one), and
  // closes the file; false with a message when writing failed.
  bool finish(std::optional<uint32_t> seed, std::string& error);

 private:
  void write_run();

  std::FILE* file_ = nullptr;
  std::string path_;
  int64_t run_first_ = 0;
  int64_t run_last_ = 0;
  KeyMask run_keys_ = 0;
};

}  // namespace quarvex
