#pragma once
// Where the Play together pages' request turns into a networked game in the
// open window: the one place that hands it on.

#include "shell/network_request.h"
#include "shell/shell.h"

namespace quarvex {

// The address the request reaches, as the player reads it: the URL when
// joining or watching, ADDRESS:PORT when hosting.
std::string request_address(const NetworkRequest& request);

// Starts the request's game; says what became of it in the shell's message
// box.
void start_network_game(const NetworkRequest& request, Shell& shell);

}  // namespace quarvex
