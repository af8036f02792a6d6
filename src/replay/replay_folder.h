#pragma once
// Where the windowed game keeps its replays, what it names them and how
// many it keeps.

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "replay/recording.h"

namespace quarvex {

constexpr int kReplaysKept = 100;

// $XDG_DATA_HOME/quarvex/replays, else ~/.local/share/quarvex/replays; empty
// when neither variable is set.
std::string default_replay_folder();

// YYYYMMDD-HHMMSS-map<N>-side<S>.qvr in local time; a `copy` above 1 (a
// second stage begun within the same second) adds "_<copy>" before ".qvr".
std::string replay_file_name(std::time_t now, int stage, int side, int copy = 1);

// True for the names replay_file_name gives, the only files the game
// removes from the folder.
bool is_replay_file_name(std::string_view name);

// Creates the folder and a new replay file in it for a stage that begins
// now, and opens `recording` on it. False with a message when the folder or
// the file cannot be made.
bool open_replay_file(Recording& recording, const std::string& folder, std::time_t now, int stage,
                      int side, std::string& error);

// Removes the oldest replays, by the time each was last written, beyond the
// newest `keep`; `writing` (the replay being recorded, if any) counts among
// those kept and is never removed.
void prune_replays(const std::string& folder, int keep, const std::string& writing = {});

}  // namespace quarvex
