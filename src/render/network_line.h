#pragma once
// The line across the top of the picture in a networked game: what the
// game waits for, or why it cannot go on.

#include "lang/message.h"
#include "lang/texts.h"
#include "platform/device.h"

namespace quarvex {

// Two lines below the side's emblem and funds: what happened, and the
// server's or the system's own words.
constexpr TextRect kNetworkLineBox{10, 50, 630, 94};
constexpr TextRect kNetworkHintBox{10, 100, 630, 122};

// Draws `line` in the player's language; an empty line draws nothing.
void draw_network_line(Device& d, const Texts& texts, const Message& line);
// The line of a game that could not begin or go on, and how to leave it.
void draw_network_failure(Device& d, const Texts& texts, const Message& line);

}  // namespace quarvex
