#pragma once
// The line across the top of the picture in a networked game: what the
// game waits for, or why it cannot go on.

#include "lang/message.h"
#include "lang/texts.h"
#include "platform/device.h"

namespace quarvex {

// Two lines: what happened, and the server's or the system's own words.
constexpr TextRect kNetworkLineBox{10, 4, 630, 48};

// Draws `line` in the player's language; an empty line draws nothing.
void draw_network_line(Device& d, const Texts& texts, const Message& line);

}  // namespace quarvex
