#pragma once
// Names of the physical keys and gamepad inputs a player can bind, as the
// settings file and the screens write them: keys by SDL's scancode names
// ("Keypad 8", "Space", "Up", "F1"; "Scancode 100" by number for a key SDL
// gives no name of its own), optionally after "Ctrl+", "Alt+" or
// "Shift+"; gamepad buttons by SDL's game controller names ("a", "dpup",
// "leftshoulder") and stick directions as a sign and an axis ("-lefty" is
// the left stick pushed up).

#include <cstdint>
#include <string>
#include <string_view>

namespace quarvex {

// Modifier bits of a key chord.
constexpr uint8_t kModCtrl = 1;
constexpr uint8_t kModAlt = 2;
constexpr uint8_t kModShift = 4;

// A key with the modifiers that must be held with it; scancode 0 is no key.
struct KeyChord {
  int16_t scancode = 0;
  uint8_t mods = 0;
  bool operator==(const KeyChord&) const = default;
};

// Gamepad inputs: the controller's buttons, numbered as SDL numbers them,
// then the two directions of each stick axis and the two triggers.
constexpr int kPadButtons = 21;
// The buttons screens name, as SDL numbers them.
enum PadButton : int {
  kPadA = 0,
  kPadB = 1,
  kPadX = 2,
  kPadY = 3,
  kPadBack = 4,
  kPadStart = 6,
  kPadRightStick = 8,
  kPadLeftShoulder = 9,
  kPadRightShoulder = 10,
  kPadDpadUp = 11,
  kPadDpadDown = 12,
  kPadDpadLeft = 13,
  kPadDpadRight = 14,
};
enum PadAxisInput : int {
  kPadLeftXMinus = kPadButtons,
  kPadLeftXPlus,
  kPadLeftYMinus,
  kPadLeftYPlus,
  kPadRightXMinus,
  kPadRightXPlus,
  kPadRightYMinus,
  kPadRightYPlus,
  kPadLeftTrigger,
  kPadRightTrigger,
  kPadInputs
};

// False when the name is no key (or names a modifier prefix without a key).
bool parse_key_chord(std::string_view name, KeyChord& out);
std::string key_chord_name(KeyChord chord);
// The shorter form the screens show: "KP8" for "Keypad 8", "Esc" for "Escape".
std::string key_chord_short_name(KeyChord chord);
// Shift, Ctrl, Alt and the system keys, which only ever modify another key.
bool is_modifier_key(int scancode);

// -1 when the name is no gamepad input.
int parse_pad_input(std::string_view name);
const char* pad_input_name(int input);

}  // namespace quarvex
