#pragma once
// A client's connection to the server, as the game's frame loop sees it:
// open, send, and take what happened since the last look. The desktop's
// transport works on a thread of its own, the page's in the browser's
// callbacks; both queue their events for the game to take between frames.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "net/lockstep_client.h"

namespace quarvex::net {

struct LinkEvent {
  enum class Kind : uint8_t { kOpened, kMessage, kClosed };
  Kind kind = Kind::kClosed;
  std::vector<uint8_t> bytes;  // kMessage: one WebSocket message
  std::string reason;          // kClosed: why, when known
};

class ClientTransport : public ClientLink {
 public:
  // Starts connecting to ws://HOST:PORT[/PATH] or wss://... False with a
  // message when the address does not hold up; a failure to connect comes
  // later as a kClosed event.
  virtual bool open(const std::string& url, std::string& error) = 0;
  // Sends what is queued and closes.
  virtual void close() = 0;
  // The next event, waiting up to `timeout_ms` (0: only look). False when
  // none came.
  virtual bool next_event(LinkEvent& event, int32_t timeout_ms) = 0;
};

// The parts of a ws:// or wss:// address. Hosts in brackets are IPv6.
struct ServerUrl {
  bool tls = false;
  std::string host;
  uint16_t port = 0;
  std::string path = "/";
};
// False with a message when `url` is not ws://HOST:PORT[/PATH] or wss://...
// (the port may be left out: 80 and 443).
bool parse_server_url(const std::string& url, ServerUrl& out, std::string& error);

}  // namespace quarvex::net
