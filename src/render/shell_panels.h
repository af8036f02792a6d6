#pragma once
// What the shell draws over the game's picture: the order's name beside its
// icon, the hints ("F1: help", "Esc: menu"), the help panel, "PAUSED", the
// title menu's own entries, the menu, the quit question, the Controls and
// Language pages and the message box, every text in the player's language.
// Every text sits on a dark panel so it reads over any ground.

#include "platform/device.h"
#include "shell/shell.h"
#include "world/world.h"

namespace quarvex {

void draw_shell_overlay(Device& d, const World& w, const Shell& shell);

// The title menu's own entries, below the World's rows (title_entries.cpp).
void draw_title_entries(Device& d, const Shell& shell);
// The Language page (language_panel.cpp).
void draw_language_page(Device& d, const Shell& shell);
// The Stages and Random battle pages (stage_pages.cpp).
void draw_stage_list_page(Device& d, const Shell& shell);
void draw_random_battle_page(Device& d, const Shell& shell);
// The Play together page (play_together_panel.cpp).
void draw_play_together_page(Device& d, const Shell& shell);

}  // namespace quarvex
