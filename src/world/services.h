#pragma once
// What the simulation needs from outside the World: message boxes, the seed
// of a stage load, the ground image and where a stage's files are. The frame
// loop provides it; tests provide their own.

#include <cstddef>
#include <cstdint>
#include <span>

namespace quarvex {

// The value of a {name} placeholder in a message's text.
struct MessageArg {
  const char* name;
  const char* value;
};

// Where a stage load finds its placements and its ground picture.
struct StageFiles {
  const char* stage_path = nullptr;      // the stage file to read; or
  const uint8_t* stage_bytes = nullptr;  // a stage held in memory, stage_size bytes
  size_t stage_size = 0;
  const char* ground_path = nullptr;  // null: no ground picture
};

struct Services {
  virtual ~Services() = default;
  // Modal: returns when the player has dismissed the box. `text` is English
  // with {name} placeholders for `args`; the host shows it in the player's
  // language (the World keeps no text).
  virtual void show_message(const char* text, std::span<const MessageArg> args) = 0;
  // A message for the player of one side of a game of several humans (its
  // loss, its win, its information box); side -1 is a game of one player,
  // as show_message. Where one program shows every side, as a headless run
  // does, it says whose it is.
  virtual void show_side_message(int side, const char* text, std::span<const MessageArg> args) {
    (void)side;
    show_message(text, args);
  }
  // The stage load seeds the generator with this: the calendar time in whole
  // seconds, or a fixed seed given on the command line.
  virtual uint32_t stage_seed() = 0;
  // Loads the ground picture (a path) into texture slot 8; failures are ignored.
  virtual void load_ground_image(const char* path) = 0;
  // The files of stage `stage_number` (the World's 1..3): the game's own, a
  // --data folder's, or those of a player's or a generated stage that the
  // run plays instead. The pointers stay valid until the next call.
  virtual StageFiles stage_files(int stage_number) = 0;
  // Bit s: side s takes no part in this game; the stage places none of its
  // units.
  virtual uint8_t closed_sides() { return 0; }
};

}  // namespace quarvex
