#pragma once
// The address a player types to join or watch a game: HOST, HOST:PORT,
// [IPv6]:PORT, a bare IPv6 address, ws://HOST:PORT or wss://HOST:PORT/PATH.
// Checked before any connection is tried, so a typing mistake gets one clear
// line instead of a wait for a host that is not there.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarvex {

constexpr uint16_t kDefaultGamePort = 7480;

struct GameAddress {
  std::string host;  // a name, IPv4 or IPv6 address, without brackets
  uint16_t port = kDefaultGamePort;
  bool secure = false;  // wss://
  std::string path;     // "" or from its "/" on

  // ws://host:port/path, the host in brackets when it is IPv6.
  std::string url() const;
  bool operator==(const GameAddress&) const = default;
};

// Null and `out` filled when `text` is an address; else the reason, an
// English text marked for translation.
const char* parse_game_address(std::string_view text, GameAddress& out);

// `address` put first in `addresses` (newest first), an older copy of it
// dropped, at most kRememberedAddresses kept.
void remember_address(std::vector<std::string>& addresses, std::string_view address);

}  // namespace quarvex
