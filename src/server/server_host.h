#pragma once
// A game server's parts, as quarvex-server and a game that hosts both run
// them: each game's World (kept as a replay when a folder is named), the
// server's logic, and its WebSocket transport.

#include <memory>
#include <string>

#include "net/secrets.h"
#include "net/server_core.h"
#include "net/simulation.h"
#include "platform/ws_server.h"

namespace quarvex {

class ServerHost {
 public:
  // `simulate` false runs no World (the server then compares the clients'
  // hashes with each other); a replays folder always simulates.
  ServerHost(const net::ServerSettings& settings, const std::string& data_dir,
             const std::string& replays_dir, bool simulate);
  ServerHost(const ServerHost&) = delete;
  ServerHost& operator=(const ServerHost&) = delete;

  net::ServerCore& core() { return core_; }
  WsServer& transport() { return server_; }

 private:
  net::SystemRandom random_;
  std::unique_ptr<net::SimulationFactory> worlds_;
  net::ServerCore core_;
  WsServer server_;
};

}  // namespace quarvex
