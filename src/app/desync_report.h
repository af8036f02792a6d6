#pragma once
// What a client keeps when its World turned out to differ from the
// server's: a text file a person can read, with both hashes, the frame, the
// inputs of the last frames and the World as this client had it.

#include <cstdint>
#include <span>
#include <string>

#include "net/protocol.h"
#include "world/world.h"

namespace quarvex {

// $XDG_DATA_HOME/quarvex/desyncs (else ~/.local/share/quarvex/desyncs),
// beside the replays; empty when there is no home.
std::string desync_folder();

// Writes the report of game `code` into desync_folder() (made when
// missing). `w` is the World after `last_frame`, `recent` the inputs of the
// frames up to it, oldest first. True with the file's `path`; false with
// one line saying why nothing (or not all of it) was written.
bool write_desync_report(const std::string& code, const net::Desync& desync, const World& w,
                         uint32_t last_frame, std::span<const FrameInput> recent, std::string& path,
                         std::string& error);

}  // namespace quarvex
