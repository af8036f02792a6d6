#pragma once
// SDL's video system, clock and keyboard, as the windowed game needs them.

#include <array>
#include <cstdint>
#include <string>

#include "world/world.h"

namespace quarvex {

class GlDevice;
class Window;

// Starts SDL's video; false, with SDL's reason, when it cannot.
bool start_video(std::string& error);
void stop_video();

int32_t clock_ms();
void sleep_ms(int32_t ms);
// Sleeps about a tenth of a millisecond.
void nap();

// What the window asked for since the last poll.
struct WindowEvents {
  bool quit = false;  // the close button, or SIGINT/SIGTERM
  bool toggle_fullscreen = false;
  bool screenshot = false;
  // Presses of the sound keys: M, minus and plus (main row or keypad).
  int mute_presses = 0;
  int volume_steps = 0;  // up minus down
};
// Drains every waiting event.
void poll_window_events(WindowEvents& events);

// The game keys are the keypad's, read as physical keys whatever the NumLock
// state; the number row and the arrow keys feed the same keys. `state` is
// indexed by SDL scancode.
void game_keys_from_state(const uint8_t* state, int count, std::array<bool, kKeyCount>& down);
void sample_game_keys(std::array<bool, kKeyCount>& down);

// A modal box; false when the player closed the window while it was shown.
// Uses the system's box, and when that cannot be shown, one drawn in the
// game window with the game's font (closed by Space, Enter or a click).
bool show_message_box(Window* window, GlDevice* device, const char* caption, const char* text);

}  // namespace quarvex
