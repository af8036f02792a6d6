#pragma once
// A player's token as the command line and the program's output write it:
// 32 hexadecimal digits.

#include <string>

#include "net/protocol.h"

namespace quarvex {

std::string token_text(const net::Token& token);
// The token of `text` (the options checked its 32 digits); a shorter or
// empty text leaves the rest zero: no token.
net::Token token_from_text(const std::string& text);

}  // namespace quarvex
