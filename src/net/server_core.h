#pragma once
// The game server without its sockets: connections, the games they create
// and join, and the limits that keep one client from harming the others.
// The transport (a standalone server or a game that hosts) feeds it what
// arrives and the time, and carries out what it sends and closes. One
// thread calls it; it never blocks.
//
// Every message is untrusted. A client that sends a malformed, oversized or
// too frequent message, or one out of turn, is told why and disconnected;
// the server and its other games go on.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "net/lateness.h"
#include "net/limits.h"
#include "net/protocol.h"
#include "net/room.h"
#include "net/secrets.h"
#include "net/server_link.h"
#include "net/simulation.h"

namespace quarvex::net {

struct ServerSettings {
  int32_t max_games = 64;
  int32_t max_clients = 512;
  int32_t max_message_bytes = 1024;
  int32_t messages_per_second = 100;
  int32_t wrong_codes_per_minute = 10;
  int32_t games_per_minute = 10;  // games one address may create
  int32_t silence_ms = 15000;     // a connection heard from for this long is let go
  RoomTiming room;
};

struct ServerStats {
  uint64_t frames_closed = 0;
  uint64_t desyncs = 0;
  uint64_t bytes_in = 0;
  uint64_t messages_in = 0;
  uint64_t faults = 0;  // connections let go for breaking the protocol or its limits
  Lateness lateness;
};

// Told of games as they come and go (the server's log).
class ServerObserver {
 public:
  virtual ~ServerObserver() = default;
  virtual void game_created(const JoinCode& code) = 0;
  // `ended`: the game reached its last frame; else nobody was left in it.
  // `hash` is the server's hash of the World after `frame` (0 when the
  // server does not simulate).
  virtual void game_closed(const JoinCode& code, uint32_t frame, uint64_t hash, bool ended) = 0;
};

class ServerCore {
 public:
  // `factory` makes each game's World; nullptr runs the server without
  // simulating (it then compares the clients' hashes with each other and
  // cannot give snapshots).
  ServerCore(const ServerSettings& settings, SimulationFactory* factory, RandomSource& random);
  ~ServerCore();

  // A connection opened from `address` (without its port). False when the
  // server is full: it has been told and closed.
  bool opened(ConnectionId id, const std::string& address, int64_t now_ms, ServerLink& link);
  // One WebSocket message from the connection.
  void received(ConnectionId id, std::span<const uint8_t> bytes, int64_t now_ms, ServerLink& link);
  // The transport refused a message over the size limit.
  void too_large(ConnectionId id, int64_t now_ms, ServerLink& link);
  // The connection ended (closed by the client, or failed).
  void closed(ConnectionId id, int64_t now_ms);
  // Closes the frames due, lets silent connections go, ends finished games.
  void tick(int64_t now_ms, ServerLink& link);
  // When tick() next has work: the earliest frame due, or within a second.
  int64_t next_tick_ms(int64_t now_ms) const;
  // Tells every connection the server stops, and closes them.
  void stop(ServerLink& link);

  void observe(ServerObserver* observer) { observer_ = observer; }

  const ServerSettings& settings() const { return settings_; }
  const ServerStats& stats() const { return stats_; }
  ServerStats& stats() { return stats_; }
  size_t games() const { return rooms_.size(); }
  size_t clients() const { return connections_.size(); }
  // The game with this code, for tests and the host; nullptr when none.
  const Room* game(const JoinCode& code) const;

 private:
  struct Connection {
    std::string address;
    MessageRate rate;
    int64_t heard_ms;
    uint32_t room = 0;  // key of its game; 0: in none
  };

  void handle(ConnectionId id, Connection& c, const ClientMessage& m, int64_t now_ms,
              ServerLink& link);
  void create_game(ConnectionId id, Connection& c, const Create& m, int64_t now_ms,
                   ServerLink& link);
  void join_game(ConnectionId id, Connection& c, const Join& m, int64_t now_ms, ServerLink& link);
  // Tells the connection why and closes it; `leave_room` hands its side
  // over when it was playing.
  RoomTiming room_timing() const;
  void refuse_version(ConnectionId id, std::span<const uint8_t> bytes, uint8_t version,
                      int64_t now_ms, ServerLink& link);
  void drop(ConnectionId id, Reason reason, const std::string& why, int64_t now_ms,
            ServerLink& link, bool leave_room = true);
  void drop_all(std::vector<Dropped>& dropped, int64_t now_ms, ServerLink& link);
  Room* room_of(const Connection& c);

  ServerSettings settings_;
  SimulationFactory* factory_;
  ServerObserver* observer_ = nullptr;
  RandomSource& random_;
  std::unordered_map<ConnectionId, Connection> connections_;
  std::unordered_map<uint32_t, std::unique_ptr<Room>> rooms_;
  AddressCounts wrong_codes_;
  AddressCounts creations_;
  ServerStats stats_;
  int64_t last_sweep_ms_ = 0;
  std::vector<Dropped> dropped_;       // reused by tick
  std::vector<ConnectionId> members_;  // reused by tick
  std::vector<uint8_t> out_;           // reused for replies
};

// A join code as a number (26^6 < 2^32), for keying the games.
uint32_t code_key(const JoinCode& code);

}  // namespace quarvex::net
