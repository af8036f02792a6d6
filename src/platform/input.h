#pragma once
// What the player does between frames, as the shell needs it: key and
// gamepad presses as events, the keyboard and the gamepads as state, the
// window's focus and the way out. Gamepads come and go while playing.

#include <array>
#include <cstdint>
#include <string>

#include "platform/input_names.h"

struct _SDL_GameController;

namespace quarvex {

enum class InputKind : uint8_t {
  kKeyDown,
  kKeyUp,
  kPadDown,
  kPadUp,
  kClick,      // a mouse button released
  kMouseDown,  // a mouse button pressed
  kMouseMove,
  kWheel,  // `wheel` notches, positive away from the player
  kText,   // `text`: what a key press typed, in UTF-8 (for text entry)
  kFocusLost,
  kQuit,  // the close button, Ctrl+C or SIGTERM
};

struct InputEvent {
  InputKind kind = InputKind::kQuit;
  KeyChord key;           // key events: the key and the modifiers held with it
  bool repeat = false;    // a key held down, repeating
  int16_t pad_input = 0;  // pad events
  // Mouse events: where, in pixels of the window (the host turns them into
  // pixels of the picture), and which button (1 left, 2 middle, 3 right).
  int16_t x = 0;
  int16_t y = 0;
  uint8_t button = 0;
  int8_t wheel = 0;
  char text[16] = {};  // kText: one key's text, cut at a whole character
};

// Starts SDL's game controller support; false, with SDL's reason, when it
// cannot (the game then goes on without gamepads).
bool start_gamepads(std::string& error);

class Input {
 public:
  Input() = default;
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // How far (0..1 of its travel) a stick or trigger must move to count.
  void set_dead_zone(double fraction);
  // Takes up to `capacity` waiting events into `events`, in order; the rest
  // stay queued for the next call. Gamepads plugged in are opened, those
  // pulled out closed.
  int poll(InputEvent* events, int capacity);
  // The keyboard state, indexed by scancode.
  const uint8_t* keyboard(int& count) const;
  // Which gamepad inputs are down on any open gamepad.
  void pad_state(std::array<bool, kPadInputs>& down) const;
  int pads_open() const;

 private:
  static constexpr int kMaxPads = 8;
  static constexpr int kAxisInputs = kPadInputs - kPadButtons;
  struct Pad {
    _SDL_GameController* controller = nullptr;
    int32_t instance = -1;
    std::array<bool, kAxisInputs> axis_down{};
  };
  bool axis_input_down(int input, int16_t value) const;

  std::array<Pad, kMaxPads> pads_{};
  int16_t dead_zone_ = 8192;
};

}  // namespace quarvex
