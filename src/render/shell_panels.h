#pragma once
// What the shell draws over the game's picture: the order's name beside its
// icon, the hints ("F1: help", "Esc: menu"), the help panel, "PAUSED", the
// menu, the quit question, the Controls page and the message box. Every
// text sits on a dark panel so it reads over any ground.

#include "platform/device.h"
#include "shell/shell.h"
#include "world/world.h"

namespace quarvex {

// The names of the order menu's items, in item order.
extern const std::array<const char*, 6> kOrderNames;

void draw_shell_overlay(Device& d, const World& w, const Shell& shell);

}  // namespace quarvex
