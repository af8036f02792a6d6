#pragma once
// The stage editor's picture: the map through the game's own camera with
// the ground, the placements drawn with the game's unit pictures, their
// sides, selection and goals, and over it the palette, the status and
// checks, and the editor's screens (start, Save as, leaving, help), every
// text in the player's language.

#include "editor/editor.h"
#include "lang/texts.h"
#include "platform/device.h"

namespace quarvex {

// The whole picture, not yet presented.
void draw_editor(Device& d, const Editor& editor, const Texts& texts);

// The map and its placements (editor_map.cpp).
void draw_editor_map(Device& d, const Editor& editor);
// Everything in pixels over it (editor_panels.cpp).
void draw_editor_panels(Device& d, const Editor& editor, const Texts& texts);

// The colour a side's marks are drawn in (1..4).
uint32_t side_colour(int side);

}  // namespace quarvex
