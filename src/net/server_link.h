#pragma once
// What the server's lockstep logic asks of the transport under it: send
// bytes to a connection, and close one. Connections are numbered by the
// transport; the logic never sees a socket.

#include <cstdint>
#include <span>
#include <string_view>

namespace quarvex::net {

using ConnectionId = uint64_t;

class ServerLink {
 public:
  virtual ~ServerLink() = default;
  // Queues one WebSocket message. False when the connection's queue is
  // over its bound (a reader too slow for the game): the caller drops it.
  virtual bool send(ConnectionId id, std::span<const uint8_t> bytes) = 0;
  // Sends what is queued, then closes with this reason. The logic has
  // already forgotten the connection; the transport reports no close for
  // it.
  virtual void close(ConnectionId id, std::string_view reason) = 0;
};

}  // namespace quarvex::net
