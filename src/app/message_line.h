#pragma once
// How a headless run shows a message box: one line on standard output.

#include <cstdint>
#include <string>

namespace quarvex {

// "<frame>: message: <text>\n", newlines in the text written as \n so every
// box stays one line.
std::string message_line(int64_t frame, const char* text);

}  // namespace quarvex
