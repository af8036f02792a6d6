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

// A page cannot take connections: a request to host is said in the shell's
// message box, never dropped in silence.
void tell_page_cannot_host(Shell& shell);

}  // namespace quarvex
