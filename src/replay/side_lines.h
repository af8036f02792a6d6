#pragma once
// The lines a key script has for a game of several humans (the format is in
// replay/key_script.h): 'humans', key lines that name their side, and the
// events of a frame. The key-script parser hands them here.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "replay/key_script.h"

namespace quarvex {

// The side a key line names by its first word ("2:"), or -1 for a word that
// is no side tag.
int side_tag(std::string_view word);

// True for the first word of an event line.
bool is_event_word(std::string_view word);

class SideLines {
 public:
  using Words = std::vector<std::string_view>;

  // "humans S..."; `side_given` says whether the script has a 'side' line,
  // which a game of several humans does not take.
  bool humans_line(const Words& words, bool side_given, KeyScript& out, std::string& what);
  // "computer F S", "human F S", "pause F S", "resume F S"; gives the frame.
  bool event_line(const Words& words, KeyScript& out, int64_t& frame, std::string& what);
  // Before a key line: one that names its side, or one that does not (-1).
  // A script has keys of one kind or the other.
  bool key_line(int side, KeyScript& out, std::string& what);
  // Puts the events in order, one entry per frame.
  void finish(KeyScript& out) const;

 private:
  bool human_side(int side, const KeyScript& out, std::string& what) const;

  struct Event {
    int64_t frame;
    uint8_t FrameEvents::*kind;
    uint8_t side;
  };
  std::vector<Event> events_;
  bool keys_with_sides_ = false;
  bool keys_without_sides_ = false;
};

}  // namespace quarvex
