#pragma once
// quarvex-server's life: serve the games until told to stop, logging them
// and the server's figures on standard output.

#include "server/server_options.h"

namespace quarvex {

// Returns the exit status: 0 after SIGINT or SIGTERM, 1 when the server
// cannot listen, 2 when the --web or --replays folder will not do.
int run_server(const ServerOptions& options);

}  // namespace quarvex
