#pragma once
// A client of a networked game without its socket: it joins, keeps the
// frames the server sends, runs them at the server's pace (faster when it
// has fallen behind), sends its keys ahead by the input delay, reports its
// World's hash, and takes the server's snapshot when told it has drifted.
// The driver (headless, windowed or the page) feeds it what arrives and
// the time, and runs its ticks.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "net/input_delay.h"
#include "net/protocol.h"
#include "net/simulation.h"

namespace quarvex::net {

class ClientLink {
 public:
  virtual ~ClientLink() = default;
  // Queues one WebSocket message to the server.
  virtual void send(std::span<const uint8_t> bytes) = 0;
};

// The game the client keeps in step with the server.
class ClientGame : public Simulation {
 public:
  // A fresh World for the game the server welcomed us to: frame 0 of it.
  // `side` is the side we play, -1 when we watch. False with one line
  // saying why when the game cannot be set up here (a recording that
  // cannot be written).
  virtual bool begin(const GameSetup& setup, int side, std::string& error) = 0;
  // A frame the snapshot that follows replaces, not run here: its input is
  // the server's, so it still counts as played (a recording keeps it).
  virtual void pass_frame(const FrameInput& input) = 0;
  // The server compared every hash reported up to `frame` and found none
  // that differs (a server that does not simulate compares nothing, and
  // says nothing either).
  virtual void hashes_agreed(uint32_t frame) { (void)frame; }
  // The server's hash of `desync.frame` differs from ours: keep a report.
  // Our World is astray from that frame on, until a snapshot puts it
  // right. `recent` holds the inputs of the last frames run, oldest first,
  // the last of them frame `last_frame`.
  virtual void report_desync(const Desync& desync, uint32_t last_frame,
                             std::span<const FrameInput> recent) = 0;
  // Frame `frame` has run (after its hash was reported).
  virtual void frame_done(uint32_t frame) { (void)frame; }
};

// Where this player's keys come from: a key script, or the keyboard.
class KeySource {
 public:
  virtual ~KeySource() = default;
  // The keys to send for `frame`. Called once per frame, in rising order.
  virtual KeyMask keys_for(uint32_t frame) = 0;
};

struct ClientStats {
  uint64_t bytes_sent = 0;
  uint64_t bytes_received = 0;
  uint64_t desyncs = 0;
  uint64_t late_inputs = 0;
  int highest_delay = 0;
  // The pace of the frames run: when the first and the last ran, and the
  // longest wait between two runs.
  int64_t first_run_ms = -1;
  int64_t last_run_ms = -1;
  int64_t longest_gap_ms = 0;
  uint32_t frames_run = 0;
};

class LockstepClient {
 public:
  enum class State : uint8_t {
    kJoining,   // JOIN sent
    kLobby,     // in a game's lobby: no game yet, or back after one ended
    kSnapshot,  // welcomed into a game under way; its snapshot comes next
    kPlaying,   // running the frames as they come
    kEnded,     // the game's last frame has run (a lobby's LOBBY follows)
    kFailed,    // refused or cut off; error() says why
  };
  static constexpr uint32_t kRecentFrames = 300;
  static constexpr int64_t kPingEveryMs = 500;

  LockstepClient(const Join& join, ClientGame& game, KeySource& keys);

  // The connection is open: sends the JOIN.
  void opened(int64_t now_ms, ClientLink& link);
  // One WebSocket message from the server.
  void received(std::span<const uint8_t> bytes, int64_t now_ms, ClientLink& link);
  // The connection ended. After the game's end this changes nothing: the
  // frames that arrived still run.
  void closed(const std::string& why);
  // Runs the frames due, sends pings.
  void tick(int64_t now_ms, ClientLink& link);
  // Runs up to `most` of the frames received and not yet run, at once: a
  // page whose tab is hidden is woken seldom, and keeps up this way.
  void run_backlog(int64_t now_ms, ClientLink& link, uint32_t most);
  // After the connection ended in the middle of a game, runs up to `most`
  // of the frames that had arrived: every player was sent them, so a
  // scripted run that stops at a frame count still reaches it.
  void run_frames_left(uint32_t most);
  // When tick() next has work (INT64_MAX: only a message can bring any).
  int64_t next_tick_ms() const;
  // Tells the server we leave.
  void leave(ClientLink& link);
  // Asks the server to pause the game, or to resume it.
  void ask_pause(bool pause, ClientLink& link);
  // Sends a chat line (nothing before the welcome or after the game, but
  // in the lobby).
  void say(const std::string& text, ClientLink& link);
  // In the lobby: the host's choice of stage and sides, a move to an open
  // side, the ready mark, and the host's start. Nothing outside the lobby;
  // the server answers what it turns down with REFUSED (refusal()).
  void setup_lobby(const LobbySetup& setup, ClientLink& link);
  void take_side(uint8_t side, ClientLink& link);
  void set_ready(bool ready, ClientLink& link);
  void start_game(ClientLink& link);

  State state() const { return state_; }
  const std::string& error() const { return error_; }
  // Why the server said goodbye, when it did: a wrong code, a full game...
  std::optional<Reason> goodbye_reason() const { return goodbye_reason_; }
  // The latest WELCOME: in the lobby it names the side we hold now.
  const Welcome& welcome() const { return welcome_; }
  // The lobby as the server last said (all open before the first LOBBY).
  const Lobby& lobby() const { return lobby_; }
  // We are the player who chooses the lobby's setup and starts the game.
  bool is_host() const;
  // The games begun on this connection (a lobby plays again).
  uint32_t games_begun() const { return games_begun_; }
  // Our latest measured round trip to the server in ms; 0 before any.
  int rtt_ms() const { return rtt_ms_; }
  uint32_t frames_run() const { return run_; }
  uint32_t frames_received() const { return received_; }
  int delay() const { return delay_.frames(); }
  // The server's hash of the last frame; 0 when it did not give one.
  uint64_t end_hash() const { return end_hash_; }
  uint32_t end_frame() const { return end_frame_; }
  const ClientStats& stats() const { return stats_; }
  // Who is in the game, as the server last said.
  const Roster& roster() const { return roster_; }
  // The latest chat lines, oldest first, with when each arrived.
  struct HeardLine {
    ChatLine line;
    int64_t at_ms = 0;
  };
  static constexpr size_t kChatLinesKept = 8;
  const std::vector<HeardLine>& chat() const { return chat_; }
  // Per side: the seconds left before a player the server has not heard
  // from for a second goes to the computer; -1 while all is well.
  const std::array<int, kSides>& lag() const { return lag_; }
  // The game's pause as the server last said, and when that arrived (the
  // countdown's start).
  const Paused& pause() const { return pause_; }
  int64_t pause_heard_ms() const { return pause_heard_ms_; }
  // The last request the server turned down ("" for none), and when.
  const std::string& refusal() const { return refusal_; }
  int64_t refusal_ms() const { return refusal_ms_; }

 private:
  void handle(const ServerMessage& m, int64_t now_ms, ClientLink& link);
  void on_welcome(const Welcome& w, int64_t now_ms, ClientLink& link);
  void begin_game(const Welcome& w, int64_t now_ms, ClientLink& link);
  void on_frame(const Frame& f, ClientLink& link);
  void on_snapshot(const Snapshot& s);
  void agree(uint32_t frame);
  void send_inputs(ClientLink& link);
  void run_one(ClientLink& link);
  void send(const ClientMessage& m, ClientLink& link);
  void fail(const std::string& why);
  void run_one_frame();
  uint32_t backlog() const { return received_ - run_; }
  // Pings keep the connection alive and measure it: in a game until its
  // end, and in a lobby.
  bool pinging() const { return end_frame_ == 0 || state_ == State::kLobby; }

  Join join_;
  ClientGame& game_;
  KeySource& keys_;
  State state_ = State::kJoining;
  std::string error_;
  std::optional<Reason> goodbye_reason_;
  bool failed_playing_ = false;  // the connection ended while frames ran
  Welcome welcome_;
  InputDelay delay_{30};
  int64_t join_sent_ms_ = 0;
  int64_t next_run_ms_ = 0;
  int64_t next_ping_ms_ = INT64_MAX;
  uint32_t ping_id_ = 0;
  std::array<int64_t, 8> ping_sent_ms_{};
  std::array<uint32_t, 8> ping_after_report_{};  // the latest frame reported before each ping
  uint32_t reported_ = 0;                        // the latest frame whose hash was reported
  uint32_t agreed_ = 0;                          // the latest the server has not disputed
  uint32_t received_ = 0;                        // the latest frame received
  uint32_t run_ = 0;                             // the latest frame run
  uint32_t last_sent_ = 0;                       // the latest frame keys were sent for
  uint32_t end_frame_ = 0;                       // 0 until the server says the game ended
  uint64_t end_hash_ = 0;
  std::vector<FrameInput> waiting_;  // frames received, not yet run, by frame number
  std::array<FrameInput, kRecentFrames> recent_{};
  ClientStats stats_;
  Roster roster_;
  std::vector<HeardLine> chat_;
  std::array<int, kSides> lag_{-1, -1, -1, -1};
  Paused pause_;
  int64_t pause_heard_ms_ = 0;
  std::string refusal_;
  int64_t refusal_ms_ = 0;
  Lobby lobby_;
  bool lobby_game_ = false;   // the server's game has a lobby
  bool lobby_after_ = false;  // its LOBBY came after the END: back there once the end has run
  uint32_t games_begun_ = 0;
  int rtt_ms_ = 0;
  std::vector<uint8_t> out_;
};

}  // namespace quarvex::net
