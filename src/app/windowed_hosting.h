#pragma once
// Hosting from the window: the game's own server starts in this process on
// the address the player confirmed, the window connects to it as the
// host, and the lobby opens; the server stops when the host leaves.

#include "app/options.h"
#include "app/windowed_network.h"
#include "app/windowed_session.h"
#include "shell/network_request.h"

namespace quarvex {

// Hosts the game `request` asks for in the session's window; a server that
// cannot start (the port in use, an address not the machine's) is said in
// the shell's message box (and fails the result).
NetworkResult host_network_game(const NetworkRequest& request, const Options& options,
                       WindowedSession& session);

}  // namespace quarvex
