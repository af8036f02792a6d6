#pragma once
// How a headless run shows a message box: one line on standard output, in
// English, the language of the game's message ids.

#include <cstdint>
#include <span>
#include <string>

#include "lang/message.h"
#include "world/services.h"

namespace quarvex {

// "<frame>: message: <text>\n", newlines in the text written as \n so every
// box stays one line. A message for the player of one side of a game of
// several humans reads "<frame>: message for side <side>: <text>\n".
std::string message_line(int64_t frame, const char* text, int side = -1);

// The message a frame asked for, kept to be shown later.
Message message_of(const char* text, std::span<const MessageArg> args);

}  // namespace quarvex
