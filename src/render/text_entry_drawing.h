#pragma once
// The text entry as the player sees it: the line typed so far with its
// cursor, and the gamepad's letter grid below it once a gamepad is used.

#include "lang/texts.h"
#include "platform/device.h"
#include "shell/text_entry.h"

namespace quarvex {

// The line at `top` between `left` and `right`, the grid under it when shown;
// gives the first free pixel row below.
int draw_text_entry(Device& d, const Texts& texts, const TextEntry& entry, int left, int top,
                    int right);

}  // namespace quarvex
