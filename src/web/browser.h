#pragma once
// What the page driver asks of the browser itself, beyond SDL.

#include <cstdint>
#include <string>

namespace quarvex {

// True while the page's tab is hidden.
bool page_hidden();

// The game server that served the page, as ws://HOST:PORT (wss:// for an
// https page); empty for a page not served over http.
std::string own_server_address();

// The canvas's size on the page in device pixels.
void canvas_pixel_size(int& width, int& height);

// Offers a file the game wrote for the player as a download under its own
// name (without folders), then removes it; a file in the player's kept
// folder stays.
void offer_download(const std::string& path);

// What the page shows about the run, and what tests read: the frames run,
// the driver's state ("running", "message", "network", "hidden" while a
// networked game's tab is hidden, "loading" while a stage's ground
// is on its way, "ended", "failed") and whether a
// stage is being played (leaving the page then loses it).
void report_page_state(int64_t frames, const char* state, bool stage_in_play = false);

// A line the page shows above the game about what is still coming: the
// page's text named `key` (web/page.js, in the game's language), followed by
// `detail`; an empty key takes the line away.
void show_page_note(const char* key, const std::string& detail = {});

}  // namespace quarvex
