#pragma once
// Writes a game as it is played, in the key-script format: where play
// started, the seed of the stage load, the keys of every frame (runs of
// equal frames as one "F-G keys" line; in a game of several humans one such
// line per side, and the events as they happen), a check of the World every 1,000
// frames and, at the end, the frame count and the final hash. The frames
// before the file exists (the title menu) are kept in memory and written
// when it is opened, so a recording always starts where play started.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "replay/key_script.h"

namespace quarvex {

// What a replay needs to rebuild the World of frame 1: the title menu's
// presets and whether the first frame loads the stage. Every start of play
// is this state (see world/world_reset.h).
struct PlayStart {
  int stage = 1;  // a player's or generated stage: its ground
  int side = 0;
  bool start = false;  // the first frame loads the stage
  bool watch = false;  // the computer commands all four sides
  uint8_t humans = 0;  // a game of several humans: bit s for each human side
  // A stage that is not one of the game's files: its content hash, and for a
  // generated stage its seed.
  std::optional<uint64_t> stage_hash;
  std::optional<uint32_t> random_stage;
};

constexpr int64_t kCheckEveryFrames = 1000;

class Recording {
 public:
  Recording() = default;
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;
  ~Recording();

  // Begins a recording in memory (a recording still open is dropped).
  void begin(const PlayStart& start, const char* version);
  bool active() const { return active_; }
  // Writes what is kept so far into a file, and from then on writes as the
  // game goes. With `must_be_new` an existing file is never replaced.
  // False with a message when the file cannot be created.
  bool open(const std::string& path, bool must_be_new, std::string& error);
  bool is_open() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }

  void seed(uint32_t seed);
  // The keys of the next frame.
  void add(KeyMask keys);
  // The next frame of a game of several humans: the keys of every human
  // side and the frame's events.
  void add(const FrameInput& input);
  // Names side `side`'s player (a game of several humans).
  void player(int side, std::string_view name);
  int64_t frames() const { return frames_; }
  // True when the frame just added is one to check.
  bool check_due() const { return active_ && frames_ > 0 && frames_ % kCheckEveryFrames == 0; }
  // The hash of the World after the frame just added.
  void check(uint64_t hash) { check(frames_, hash); }
  // The hash of the World after an earlier frame, written once it is known
  // to be right (a networked game's, once the server agreed).
  void check(int64_t frame, uint64_t hash);
  // Puts everything so far into the file. False with a message when writing
  // failed; the recording then stops, keeping what reached the file.
  bool flush(std::string& error);
  // Ends the recording with the frame count and the final hash, and closes
  // the file. False with a message when writing failed.
  bool finish(uint64_t hash, std::string& error);
  // Ends the recording without writing anything more.
  void drop();

 private:
  // Frames in a row with the same keys, written as one line.
  struct Run {
    int64_t first = 0;  // 0: none yet
    int64_t last = 0;
    KeyMask keys = 0;
  };
  void extend(Run& run, KeyMask keys, int side);
  void end_runs();
  void write_run(const Run& run, int side);
  void write_events(const FrameInput& input);
  bool close(std::string& error);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string pending_;  // text not yet in the file
  bool active_ = false;
  int64_t frames_ = 0;
  uint8_t humans_ = 0;
  Run run_;                            // a game of one player
  std::array<Run, kSides> side_runs_;  // a game of several humans
};

// "0123456789abcdef": the form of hashes in recordings and on `hash:` lines.
std::string hash_text(uint64_t hash);

}  // namespace quarvex
