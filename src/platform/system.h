#pragma once
// SDL's video system and clock, as the windowed game needs them.

#include <cstdint>
#include <string>
#include <vector>

namespace quarvex {

// Starts SDL's video; false, with SDL's reason, when it cannot. From then on
// SIGHUP, like Ctrl+C and SIGTERM, asks the game to quit.
bool start_video(std::string& error);
void stop_video();

int32_t clock_ms();
void sleep_ms(int32_t ms);
// Sleeps about a tenth of a millisecond.
void nap();

// A box of the system's, for failures at start-up when the game's window
// cannot show one. Returns when it is closed; Ctrl+C, SIGTERM and SIGHUP end
// the program at once. Where no box can be shown, the text goes to standard error.
void show_message_box(const char* caption, const char* text);

// The languages the player's system prefers, the most preferred first, as
// "de_DE" or "ja": from the environment (LANGUAGE, LC_ALL, LC_MESSAGES,
// LANG) on the desktop, from navigator.languages in a browser.
std::vector<std::string> preferred_languages();

}  // namespace quarvex
