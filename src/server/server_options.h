#pragma once
// The command line of quarvex-server.

#include <cstdint>
#include <string>

#include "net/server_core.h"
#include "platform/ws_server.h"

namespace quarvex {

struct ServerOptions {
  WsServerOptions listen;
  net::ServerSettings settings;
  std::string data_dir;        // empty: the installed data, else the build's
  std::string replays_dir;     // empty: keep no replays
  bool simulate = true;        // run every game's World and check the clients against it
  int32_t stats_seconds = 60;  // a statistics line this often; 0: none
};

enum class ServerParse { kRun, kHelp, kVersion, kError };

// Reads argv[1..argc-1]; on kError `error` names the argument.
ServerParse parse_server_options(int argc, const char* const* argv, ServerOptions& options,
                                 std::string& error);
const char* server_usage_text();

// "ADDR:PORT" or "[IPV6]:PORT" into the listen options.
bool parse_listen_address(const std::string& text, WsServerOptions& out, std::string& error);

}  // namespace quarvex
