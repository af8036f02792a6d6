#pragma once
// The addresses this machine can host a game on, for the player to confirm.

#include <string>
#include <vector>

namespace quarvex {

// The machine's IPv4 and IPv6 addresses of interfaces that are up, the
// loopback ones last (a game there reaches only this machine); link-local
// IPv6 addresses are left out (they need an interface to be named). Empty
// in the browser, which cannot host.
std::vector<std::string> lan_addresses();

}  // namespace quarvex
