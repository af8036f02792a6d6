#pragma once
// The lobby of a networked game in the window, before each round: the page
// shows what the server last said of the lobby, the player's keys become
// the client's requests, and the stage's ground is loaded for its picture.
// The game's loop owns the connection; it hands the lobby the events and
// the picture while the client waits in the lobby.

#include <cstdint>
#include <string>
#include <utility>

#include "net/lockstep_client.h"
#include "platform/device.h"
#include "platform/input.h"
#include "shell/lobby_page.h"
#include "shell/shell.h"

namespace quarvex {

// The page's view of the server's lobby, as `client` sees it.
LobbyView lobby_view(const net::LockstepClient& client);

class NetworkLobby {
 public:
  // `invite_address`: ADDRESS:PORT for friends when we host, else empty.
  explicit NetworkLobby(std::string invite_address) : invite_(std::move(invite_address)) {}

  // Whether the client waits in its lobby now.
  static bool shown(const net::LockstepClient* client);
  // Each turn of the loop while shown: the server's latest word on the
  // page and its refusals.
  void watch(const net::LockstepClient& client, const std::string& code);
  // The stage chosen now, whose ground the page shows.
  int stage() const { return page_.view().stage; }
  // One event of the player's; true when the player leaves the lobby.
  bool take(const InputEvent& e, const Shell& shell, net::LockstepClient& client,
            net::ClientLink& link);
  void draw(Device& d, const Texts& texts) const;

 private:
  std::string invite_;
  LobbyPage page_;
  bool open_ = false;
  uint32_t games_seen_ = 0;
  int64_t refusal_seen_ms_ = 0;
};

}  // namespace quarvex
