#pragma once
// What the Play together pages hand to the game to start a networked game:
// where to listen when hosting, where to connect and with which code when
// joining or watching. Plain data, so that the pages know nothing of sockets.

#include <cstdint>
#include <string>

#include "shell/game_address.h"

namespace quarvex {

// The letters of a game's code.
constexpr size_t kGameCodeLetters = 6;

struct NetworkRequest {
  enum Kind : uint8_t { kHost, kJoin, kWatch };
  Kind kind = kJoin;
  // Hosting: the address to listen on, as the player confirmed it.
  std::string listen_address;
  uint16_t port = kDefaultGamePort;
  // Joining or watching: ws://host:port/path, and the game's code.
  std::string url;
  std::string code;
  // The name the other players see.
  std::string name;
};

}  // namespace quarvex
