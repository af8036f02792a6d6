#pragma once
// Key scripts: which keys are down in which frame, and optionally the seed.
//
//   # comment
//   seed 12345
//   1 space          keys down in frame 1
//   10-40 kp8 tab    keys down in frames 10 through 40
//   41-90            no key down (names frames without pressing anything)
//
// Frames count from 1; a key not named for a frame is up in it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "world/world.h"

namespace quarvex {

// One bit per watched key, bit k for Key k.
using KeyMask = uint16_t;

struct KeyScript {
  struct Span {
    int64_t first;
    int64_t last;
    KeyMask keys;
  };
  std::vector<Span> spans;  // sorted, disjoint, keys never 0
  int64_t last_named_frame = 0;
  std::optional<uint32_t> seed;

  // Keys down in a frame; no allocation.
  KeyMask keys_at(int64_t frame) const;
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
// Reads and parses a script file; errors name the file.
bool load_key_script(const std::string& path, KeyScript& out, std::string& error);

KeyMask mask_from_keys(const std::array<bool, kKeyCount>& down);
void keys_from_mask(KeyMask mask, std::array<bool, kKeyCount>& down);

}  // namespace quarvex
