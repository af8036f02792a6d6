#pragma once
// Text labels and the two screens drawn over the world: the title menu and
// the play overlay.

#include <cstdint>

#include "lang/texts.h"
#include "platform/device.h"
#include "world/world.h"

namespace quarvex {

constexpr uint32_t kTextShadowColour = 0xFFB4B4B4u;
constexpr uint32_t kTextColour = 0xFFFFFFFFu;

// A label in its box: the shadow one pixel right of and below it, then the
// text; left-aligned, or centred in the box.
void draw_label(Device& d, const char* text, const TextRect& box,
                TextAlign align = TextAlign::kLeft);

// The World's rows of the title menu. `rows_focused` is false while one of
// the shell's own entries below them has the focus: no row is marked then.
void draw_title_menu(Device& d, const World& w, const Texts& texts, bool rows_focused = true);
// Where the play overlay names the kind a factory would build: right-aligned
// below the production panel.
constexpr TextRect kKindNameBox{330, 190, 630, 212};
void draw_play_overlay(Device& d, const World& w, const Texts& texts);

}  // namespace quarvex
