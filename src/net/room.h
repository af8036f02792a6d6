#pragma once
// One networked game at the server: its four sides and their players, its
// spectators, and the server's clock of frames. Every frame interval the
// room closes the next frame with the keys that have arrived, sends its
// input to every member and, when the server simulates, runs it on its own
// World, whose hashes the clients' reports are checked against.
//
// A side whose player leaves, goes silent or falls 10 seconds behind is
// handed to the computer at the next open frame, on every machine alike; a
// player who comes back with the side's token gets a snapshot of the World
// and the side again at the next open frame. Nobody holds the game back:
// the room never waits for an input or for a slow reader.

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/lateness.h"
#include "net/protocol.h"
#include "net/secrets.h"
#include "net/server_link.h"
#include "net/side_inputs.h"
#include "net/simulation.h"

namespace quarvex::net {

struct RoomTiming {
  int32_t frame_ms = 30;
  // A player this far behind is handed over: by the frames it reports
  // hashes of, or, while it has reported none, by the frames it sends keys
  // for. Only one still heard from: a silent one is left to the server's
  // rule on silence.
  int32_t behind_ms = 10000;
  int32_t alive_ms = 2000;
  // A player not heard from for lag_ms is reported to the others, with the
  // time left before the server lets it go at silent_ms.
  int32_t lag_ms = 1000;
  int32_t silent_ms = 15000;
  int32_t empty_ms = 60000;  // a game nobody is in closes after this long
  int32_t max_spectators = 32;
};

// A connection the room let go, and why.
struct Dropped {
  ConnectionId id;
  Reason reason;
};

class Room {
 public:
  // `simulation` is nullptr on a server that does not simulate: it then
  // compares the clients' hashes with one another and cannot give anyone a
  // snapshot.
  Room(const JoinCode& code, const Create& create, const RoomTiming& timing,
       std::unique_ptr<Simulation> simulation, int64_t now_ms);

  // A JOIN for this game. nullopt when the connection is now a member and
  // has been sent its welcome (and a snapshot when the game is under way);
  // otherwise why it cannot join, with the text to tell it.
  // A player coming back on a new connection while the room still holds
  // the old one replaces it: the old one is appended to `dropped`.
  std::optional<Reason> join(ConnectionId id, const Join& join, RandomSource& random,
                             int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped,
                             std::string& why);
  // Messages from a member; a Reason when the member broke the protocol
  // (the caller lets it go).
  std::optional<Reason> input(ConnectionId id, const Input& m);
  std::optional<Reason> report_hash(ConnectionId id, const HashReport& m, ServerLink& link);
  // Something arrived from the member.
  void heard(ConnectionId id, int64_t now_ms);
  // A chat line from a member, relayed to everyone in the game.
  std::optional<Reason> chat(ConnectionId id, const Chat& m, int64_t now_ms, ServerLink& link,
                             std::vector<Dropped>& dropped);
  // The lobby (a room created with a lobby, between its games): the
  // host's setup, a member's move to an open side, a player's ready mark,
  // the host's start. What the lobby turns down is answered with REFUSED;
  // a Reason when the member may not ask at all.
  std::optional<Reason> setup_lobby(ConnectionId id, const LobbySetup& m, ServerLink& link);
  std::optional<Reason> take_side(ConnectionId id, const TakeSide& m, RandomSource& random,
                                  ServerLink& link);
  std::optional<Reason> ready(ConnectionId id, const Ready& m, ServerLink& link);
  std::optional<Reason> start(ConnectionId id, RandomSource& random, int64_t now_ms,
                              ServerLink& link);
  // A member's own measure of its round trip, shown in the lobby.
  void round_trip(ConnectionId id, uint16_t rtt_ms);
  // The connection that created the room: its first JOIN makes it the host.
  void created_by(ConnectionId id) { creator_ = id; }
  // Makes each game's World when a lobby starts it (nullptr: the server
  // does not simulate).
  void simulate_with(SimulationFactory* factory) { factory_ = factory; }
  // A player asks to pause or resume the game. A request the game turns
  // down (a fourth pause, a resume by another than the one who paused) is
  // answered with REFUSED; a Reason when the member may not ask at all.
  std::optional<Reason> pause(ConnectionId id, const Pause& m, int64_t now_ms, ServerLink& link);
  // The member left or its connection ended; the others are told at the
  // next tick.
  void leave(ConnectionId id, int64_t now_ms);

  // Closes every frame due by now. Members the room let go on the way (too
  // far behind, or too slow to take the messages) are appended to
  // `dropped`; the caller closes their connections.
  void tick(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped, Lateness& lateness);
  // When the next frame is due; INT64_MAX while the game waits or is over.
  int64_t next_due_ms() const;
  // The game ended, or nobody has been in it for the empty time.
  bool over(int64_t now_ms) const;
  // Every connection in the room, for closing it.
  void members(std::vector<ConnectionId>& out) const;

  const JoinCode& code() const { return code_; }
  Roster roster() const;
  Lobby lobby() const;
  // The room waits in its lobby.
  bool in_lobby() const { return lobby_room_ && !started_; }
  // Why the room ended for its members: the game is over, or the host left.
  Reason end_reason() const { return host_left_ ? Reason::kHostLeft : Reason::kGameOver; }
  uint32_t games_played() const { return games_played_; }
  const std::string& host_name() const { return host_name_; }
  const std::string& version() const { return create_.version; }
  bool started() const { return started_; }
  bool ended() const { return ended_; }
  bool paused() const { return paused_; }
  // The server's hash of its World now; 0 when it does not simulate.
  uint64_t hash() const { return simulation_ ? simulation_->hash() : 0; }
  uint32_t last_closed() const { return next_frame_ - 1; }
  uint64_t desyncs() const { return desyncs_; }

 private:
  struct Seat {
    SeatState state = SeatState::kComputer;
    std::string name;  // its player's, cleaned
    ConnectionId id = 0;
    Token token{};
    SideInputs inputs;
    uint32_t reported = 0;  // the latest frame it reported a hash for
    uint32_t resynced = 0;  // its reports up to here were of an older World
    bool reports = false;   // it has reported a hash
    uint32_t sent = 0;      // the latest frame it sent keys for
    int64_t heard_ms = 0;
    int lag_shown = -1;  // the seconds left last reported; -1: none reported
    int pauses = 0;      // asked for in this game, by whoever held the side
    bool ready = false;  // in the lobby
    uint16_t rtt_ms = 0;
    SeatChoice choice = SeatChoice::kOpen;  // the host's, in the lobby
  };
  struct Watcher {
    ConnectionId id = 0;
    std::string name;
    uint32_t reported = 0;
    uint32_t resynced = 0;
    uint16_t rtt_ms = 0;
  };
  struct Check {
    uint32_t frame = 0;
    uint64_t hash = 0;
  };
  // The hand-overs waiting for the open frame, as side masks.
  struct Handovers {
    uint8_t to_computer = 0;
    uint8_t to_human = 0;
  };
  static constexpr size_t kChecks = 512;

  // A join's side: "any side" becomes the first open one; false (with why)
  // when the game has none.
  bool side_for_join(uint8_t& side, std::string& why) const;
  std::optional<Reason> join_player(ConnectionId id, const Join& join, RandomSource& random,
                                    int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped,
                                    std::string& why);
  void welcome(ConnectionId id, Role role, uint8_t side, const Token& token, ServerLink& link);
  void send_snapshot(ConnectionId id, ServerLink& link);
  // The side goes to the computer, or back to its player, at the open frame.
  void hand_over(int side, bool to_human);
  void close_frame(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped);
  void send_all(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped);
  void drop_member(ConnectionId id, Reason reason, int64_t now_ms, std::vector<Dropped>& dropped);
  void check_hash(ConnectionId id, uint32_t& reported, uint32_t& resynced, const HashReport& m,
                  ServerLink& link);
  bool anyone_in() const;
  void refuse(ConnectionId id, const std::string& why, ServerLink& link);
  void resume(int64_t now_ms);
  // Tells everyone of the players not heard from, and of those heard again.
  void report_lag(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped);
  // Tells every member who is in the game, when that changed.
  void send_roster(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped);
  // Tells every member of the lobby, when it changed (round trips alone at
  // most once a second).
  void send_lobby(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped);
  // A lobby's player joins an open side.
  std::optional<Reason> join_lobby(ConnectionId id, const Join& join, RandomSource& random,
                                   int64_t now_ms, ServerLink& link, std::string& why);
  // After a lobby game's last frame: the lobby again, with the same members.
  void back_to_lobby();
  // The side of the member's seat, or -1.
  int side_of(ConnectionId id) const;
  bool watching(ConnectionId id) const;
  void seat_player(int side, ConnectionId id, const std::string& name, const Token& token,
                   int64_t now_ms);
  void clear_ready();
  // One side is left in the World: the game is over.
  bool one_side_left() const;

  JoinCode code_;
  Create create_;
  std::string host_name_;
  RoomTiming timing_;
  std::unique_ptr<Simulation> simulation_;
  std::array<Seat, kSides> seats_;
  std::vector<Watcher> watchers_;
  bool started_ = false;
  bool ended_ = false;
  int64_t start_ms_ = 0;
  int64_t empty_since_ms_;
  uint32_t next_frame_ = 1;  // the open frame: the next to close
  Handovers handovers_;
  std::array<Check, kChecks> checks_{};
  uint64_t desyncs_ = 0;
  bool roster_changed_ = true;
  // The pause: asked for (applied after the open frame), in force, and the
  // countdown to running again.
  int pause_wanted_ = -1;  // the side, or -1
  bool paused_ = false;
  uint8_t paused_by_ = 0;
  uint32_t paused_after_ = 0;
  int64_t resume_at_ms_ = INT64_MAX;
  uint8_t resuming_ = 0;  // the side mask for the next frame's resume
  // The lobby: the game being set up, its host's seat, and what changed.
  bool lobby_room_ = false;
  uint8_t stage_ = 1;
  uint32_t seed_ = 0;
  uint8_t human_sides_ = 0;
  uint8_t closed_sides_ = 0;
  ConnectionId creator_ = 0;
  int host_side_ = -1;
  bool host_left_ = false;
  bool lobby_changed_ = false;
  bool rtt_changed_ = false;
  int64_t lobby_sent_ms_ = INT64_MIN / 2;
  uint32_t games_played_ = 0;
  SimulationFactory* factory_ = nullptr;
  std::vector<uint8_t> out_;       // the message being sent, reused
  std::vector<uint8_t> snapshot_;  // the World being saved, reused
};

}  // namespace quarvex::net
