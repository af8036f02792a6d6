#pragma once
// What the page driver asks of the browser itself, beyond SDL.

#include <cstdint>
#include <string>

namespace quarvex {

// True while the page's tab is hidden.
bool page_hidden();

// The canvas's size on the page in device pixels.
void canvas_pixel_size(int& width, int& height);

// Offers a file of the page's file system as a download under its own name
// (without folders), then removes it.
void offer_download(const std::string& path);

// What the page shows about the run, and what tests read: the frames run
// and the driver's state ("running", "message", "ended", "failed").
void report_page_state(int64_t frames, const char* state);

}  // namespace quarvex
