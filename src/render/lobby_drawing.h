#pragma once
// The lobby page, drawn over whatever the window shows (lobby_panel.cpp).
// The stage's ground is the device's ground texture: the caller loads the
// stage's when it changes.

#include "lang/texts.h"
#include "platform/device.h"
#include "shell/lobby_page.h"

namespace quarvex {

void draw_lobby_page(Device& d, const Texts& texts, const LobbyPage& page);

}  // namespace quarvex
