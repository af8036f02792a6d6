#pragma once
// Text labels and the two screens drawn over the world: the title menu and
// the play overlay.

#include <cstdint>

#include "platform/device.h"
#include "world/world.h"

namespace quarvex {

constexpr uint32_t kTextShadowColour = 0xFFB4B4B4u;
constexpr uint32_t kTextColour = 0xFFFFFFFFu;

// Left-aligned text starting at (x, y).
void draw_text(Device& d, const char* text, int x, int y, uint32_t argb);
// Right-aligned text ending at x.
void draw_text_right(Device& d, const char* text, int x, int y, uint32_t argb);
// A label: the shadow one pixel right of and below it, then the text.
void draw_label(Device& d, const char* text, int x, int y);

void draw_title_menu(Device& d, const World& w);
void draw_play_overlay(Device& d, const World& w);

}  // namespace quarvex
