#pragma once
// The two ways of running the game: without a window, and in one.

#include "app/options.h"

namespace quarvex {

// Both return the process exit status.
int run_headless(const Options& options);
int run_windowed(const Options& options);
// --connect --headless: a headless client of a game server (without
// --headless the window plays the game: run_windowed).
int run_network_client(const Options& options);
// --print-settings: the settings in effect as TOML on standard output.
int print_settings(const Options& options);

}  // namespace quarvex
