#pragma once
// SDL's video system and clock, as the windowed game needs them.

#include <cstdint>
#include <string>

namespace quarvex {

// Starts SDL's video; false, with SDL's reason, when it cannot.
bool start_video(std::string& error);
void stop_video();

int32_t clock_ms();
void sleep_ms(int32_t ms);
// Sleeps about a tenth of a millisecond.
void nap();

// A box of the system's, for failures at start-up when the game's window
// cannot show one. Returns when it is closed; Ctrl+C and SIGTERM end the
// program at once. Where no box can be shown, the text goes to standard error.
void show_message_box(const char* caption, const char* text);

}  // namespace quarvex
