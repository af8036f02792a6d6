#pragma once
// The one line a networked game in the window shows at its top: what it
// waits for, or why it could not go on. Kept in English with their values
// (lang/message.h), so they show in the player's language and go to
// standard error in English.

#include <cstdint>
#include <optional>
#include <string>

#include "lang/message.h"
#include "net/protocol.h"

namespace quarvex {

// What the window waits for, or how the game stands.
enum class NetworkWait : uint8_t {
  kConnecting,  // the connection is being made
  kCreating,    // the game is being created
  kJoining,     // the join is sent, the answer not yet here
  kSnapshot,    // joined a game under way: its World comes next
  kPlayers,     // joined; the other players have not all joined yet
  kServer,      // in the game, and no frame came for a second
  kNone,        // in the game, the frames coming
  kOver,        // the game's last frame has run
};

// The line for a wait; `code` is the game's, `address` the server's.
Message wait_line(NetworkWait wait, const std::string& code, const std::string& address);

// The line for a game that could not begin or go on: the server's goodbye
// (`reason`, with its own English `why`), or, without one, the connection's
// end or a fault of the client (`why`). `opened` tells whether the
// connection was ever made: before that, the address could not be reached.
Message failure_line(std::optional<net::Reason> reason, const std::string& why, bool opened,
                     const std::string& code, const std::string& address);

}  // namespace quarvex
