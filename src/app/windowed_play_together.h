#pragma once
// Where the Play together pages' request turns into a networked game in the
// open window: the one place that hands it on.

#include <string>

#include "app/options.h"
#include "app/windowed_network.h"
#include "shell/network_request.h"
#include "shell/shell.h"

namespace quarvex {

// The address the request reaches, as the player reads it: the URL when
// joining or watching, ADDRESS:PORT when hosting.
std::string request_address(const NetworkRequest& request);

// The networked game a join or watch request asks for: the player's name,
// the code and any open side. The command line's outputs (--frames, --hash,
// --screenshot, the data folder) hold for it as for a game it starts.
NetworkGameParams request_params(const NetworkRequest& request, const Options& options,
                                 std::string replay_folder);

// What this window cannot play is said in the shell's message box, never
// dropped in silence: hosting needs the server, and the page has no
// connection of its own.
void tell_request_unplayable(const NetworkRequest& request, Shell& shell);

}  // namespace quarvex
