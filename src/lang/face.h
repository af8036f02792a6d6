#pragma once
// The two faces the game draws text with. Each language's texts are drawn
// with its own face; a character that face lacks is taken from the other.

#include <cstdint>

namespace quarvex {

enum class TextFace : uint8_t { kLatin, kJapanese };

}  // namespace quarvex
