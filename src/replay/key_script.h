#pragma once
// Key scripts and replays: which keys are down in which frame, and what a
// replay needs to play the game again exactly.
//
//   # comment
//   seed 12345
//   1 space          keys down in frame 1
//   10-40 kp8 tab    keys down in frames 10 through 40
//   41-90            no key down (names frames without pressing anything)
//
// Frames count from 1; a key not named for a frame is up in it. A recording
// (a replay, or a --record file) adds where play started and checks of the
// World along the way:
//
//   version 1.0.0    the program that recorded it; marks a whole recording
//   stage 2          the title menu's stage and side when play started
//   side 1
//   start            the first frame loads the stage
//   watch            the computer commanded all four sides
//   random-stage 7   the stage was generated from this seed (on the ground of 'stage')
//   stage-hash 0123456789abcdef   the content hash of a stage that is not one
//                    of the game's files (a player's or a generated one)
//   check 1000 0123456789abcdef   the replay hash after frame 1000
//   end 1234 fedcba9876543210     the last frame and the hash after it
//
// A game of several humans (replay/side_lines.h) names the human sides
// instead of the side, the side of every key line, and the events of its
// frames:
//
//   humans 0 2       humans play sides 0 and 2 (the lowest is the player's)
//   2: 10-40 kp8     keys of side 2 down in frames 10 through 40
//   computer 900 2   from frame 900 the computer commands side 2
//   human 1500 2     from frame 1500 its human commands it again
//   pause 1700 0     the player of side 0 paused the game after frame 1700
//   resume 1701 0    and resumed it before frame 1701
//   player 2 Mika    side 2's player is called Mika (the rest of the line; '#'
//                    is written %23 and '%' %25, so a name is never a comment)

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "world/frame_input.h"
#include "world/world.h"

namespace quarvex {

// Largest frame number the command line and key scripts accept.
constexpr int64_t kMaxFrameNumber = 2147483647;

struct WorldCheck {
  int64_t frame;  // the hash is taken after this frame
  uint64_t hash;
};

// The events of one frame of a game of several humans (FrameInput's).
struct FrameEvents {
  int64_t frame;
  uint8_t to_computer;
  uint8_t to_human;
  uint8_t pause;
  uint8_t resume;
};

struct KeyScript {
  struct Span {
    int64_t first;
    int64_t last;
    KeyMask keys;
  };
  std::vector<Span> spans;  // sorted, disjoint, keys never 0
  int64_t last_named_frame = 0;
  std::optional<uint32_t> seed;

  // Empty for hand-written scripts and older --record files, which hold
  // only keys and the seed.
  std::string version;
  int stage = 1;
  int side = 0;
  bool start = false;
  bool watch = false;
  std::optional<uint64_t> stage_hash;
  std::optional<uint32_t> random_stage;
  std::vector<WorldCheck> checks;  // sorted by frame, one per frame
  std::optional<WorldCheck> end;
  int lines = 0;  // lines of text read

  // A game of several humans: bit s for each human side, 0 when the script
  // has no 'humans' line. Key lines that name their side and the events.
  uint8_t humans = 0;
  std::array<std::vector<Span>, kSides> side_spans;  // as spans, per side
  std::vector<FrameEvents> events;                   // sorted by frame, one per frame
  uint8_t sides_named = 0;                           // bit s: a key line or an event names side s
  // The players' names in a game of several humans ("" for a side no one
  // named); a later line for a side replaces an earlier one.
  std::array<std::string, kSides> players;

  // Keys down in a frame; no allocation.
  KeyMask keys_at(int64_t frame) const;
  // The input of a frame from the lines that name their side; no allocation.
  FrameInput input_at(int64_t frame) const;
  bool is_recording() const { return !version.empty(); }
};

// Script name of a key ("kp8", "space" ...), in the order the script writes them.
struct KeyName {
  const char* name;
  Key key;
};
extern const std::array<KeyName, kKeyCount> kKeyNames;

// Parses a script; on failure error is "<name>:<line>: <what is wrong>".
bool parse_key_script(std::string_view text, std::string_view name, KeyScript& out,
                      std::string& error);
// A player's name as a 'player' line writes it, and back; false when the
// written name is no name (empty, too long, not UTF-8, control characters).
std::string written_player_name(std::string_view name);
bool read_player_name(std::string_view written, std::string& name);

// Reads and parses a script file; errors name the file.
bool load_key_script(const std::string& path, KeyScript& out, std::string& error);

}  // namespace quarvex
