#pragma once
// What a key press means on the shell's screens, whatever key the player
// bound: the shell reads each event once and hands its screens this.

#include <cstdint>

namespace quarvex {

enum class MenuKey : uint8_t { kNone, kUp, kDown, kLeft, kRight, kChoose, kBack };

}  // namespace quarvex
