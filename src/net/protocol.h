#pragma once
// The messages of a networked game (docs/network.md describes their bytes).
// Every message starts with a header: type (1 byte), protocol version
// (1 byte), body length (4 bytes, little-endian). One WebSocket message
// carries one or more of them back to back.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "world/frame_input.h"

namespace quarvex::net {

// A frame's input is the World's own (world/frame_input.h): the keys of the
// four sides and the masks of the sides handed over, paused and resumed.
using quarvex::FrameInput;
using quarvex::KeyMask;

// 2: names in CREATE and JOIN, ROSTER, CHAT, CHAT_LINE, LAG, PAUSE, PAUSED
// and REFUSED. 3: the lobby (LOBBY_SETUP, TAKE_SIDE, READY, START, LOBBY),
// closed sides, round trips in PING.
constexpr uint8_t kProtocolVersion = 3;
constexpr size_t kHeaderSize = 6;
constexpr size_t kCodeLength = 6;
constexpr size_t kTokenLength = 16;
constexpr size_t kMaxVersionText = 32;
constexpr size_t kMaxReasonText = 200;
// Clients report their World's hash after every frame that is a multiple
// of this: often enough that a World gone astray is found within a second,
// and the frames recordings check (every 1,000) are among them, so that a
// client's recording takes only checks the server agreed with.
constexpr uint32_t kHashEvery = 25;
// Every networked game runs its own stages 1..3.
constexpr int kLowestStage = 1;
constexpr int kHighestStage = 3;

using JoinCode = std::array<char, kCodeLength>;   // six letters A..Z
using Token = std::array<uint8_t, kTokenLength>;  // all zero: none

enum class MessageType : uint8_t {
  // From a client.
  kCreate = 1,
  kJoin = 2,
  kInput = 3,
  kHash = 4,
  kPing = 5,
  kLeave = 6,
  kChat = 7,
  kPause = 8,
  kLobbySetup = 9,
  kTakeSide = 10,
  kReady = 11,
  kStart = 12,
  // From the server.
  kCreated = 64,
  kWelcome = 65,
  kFrame = 66,
  kSnapshot = 67,
  kDesync = 68,
  kPong = 69,
  kLate = 70,
  kEnd = 71,
  kGoodbye = 72,
  kRoster = 73,
  kChatLine = 74,
  kLag = 75,
  kPaused = 76,
  kRefused = 77,
  kLobby = 78,
};

enum class Role : uint8_t { kPlayer = 0, kSpectator = 1 };

// Why the server ends a connection (also the WebSocket close reason's text).
enum class Reason : uint8_t {
  kMalformed = 1,
  kTooLarge = 2,
  kTooFrequent = 3,
  kWrongCode = 4,
  kTooManyWrongCodes = 5,
  kSideTaken = 6,
  kSideNotOpen = 7,
  kFull = 8,
  kVersionMismatch = 9,
  kSilent = 10,
  kBehind = 11,
  kGameOver = 12,
  kServerStopping = 13,
  kTooSlow = 14,
  kOutOfTurn = 15,
  kUnknownToken = 16,
  kCannotRejoin = 17,
  kLeft = 18,
  kHostLeft = 19,
};

// --- from a client

struct Create {
  uint8_t stage = 1;        // 1..3
  uint32_t seed = 0;        // the stage's random seed
  uint8_t human_sides = 0;  // bit s: side s is played by a person
  uint32_t last_frame = 0;  // the game ends after this frame; 0: never
  std::string version;      // the game's version (printable ASCII, 1..32)
  std::string name;         // the host's name as typed; the server cleans it
  // The game waits in its lobby, where the host chooses the stage and the
  // sides; `stage` is the first choice and `human_sides` is not used. The
  // first JOIN on the same connection makes it the host.
  bool lobby = false;
};

// A player's JOIN for whichever side is open: the first open one.
constexpr uint8_t kAnySide = 4;

struct Join {
  JoinCode code{};
  Role role = Role::kPlayer;
  uint8_t side = 0;  // 0..3 or kAnySide, players only
  Token token{};     // the token of a side's player coming back; zero: none
  std::string version;
  std::string name;  // the player's name as typed; the server cleans it
};

struct Input {
  uint32_t frame = 0;  // the frame these keys are meant for, from 1
  uint16_t keys = 0;   // bit k: game key k is down
};

struct HashReport {
  uint32_t frame = 0;  // the hash of the World after this frame
  uint64_t hash = 0;
};

struct Ping {
  uint32_t id = 0;
  uint16_t rtt_ms = 0;  // the sender's last measured round trip; 0: none yet
};

struct Leave {};

struct Chat {
  std::string text;  // as typed; the server cleans it
};

// A player asks to pause the game (pause) or to let it run again.
struct Pause {
  bool pause = true;
};

// What the host makes of a side in the lobby.
enum class SeatChoice : uint8_t { kOpen = 0, kComputer = 1, kClosed = 2 };

// The host's choice of stage and sides. A side a player holds stays that
// player's whatever is asked for it.
struct LobbySetup {
  uint8_t stage = 1;
  std::array<SeatChoice, kSides> seats{};
};

// A player in the lobby moves to an open side (its old one opens); a
// spectator becomes that side's player.
struct TakeSide {
  uint8_t side = 0;
};

// A player's ready mark in the lobby.
struct Ready {
  bool ready = true;
};

// The host starts the game.
struct Start {};

using ClientMessage = std::variant<Create, Join, Input, HashReport, Ping, Leave, Chat, Pause,
                                   LobbySetup, TakeSide, Ready, Start>;

// --- from the server

struct Created {
  JoinCode code{};
};

struct Welcome {
  Role role = Role::kPlayer;
  uint8_t side = 0;
  Token token{};
  uint8_t stage = 1;
  uint32_t seed = 0;
  uint8_t human_sides = 0;
  uint32_t last_frame = 0;
  uint16_t frame_ms = 30;  // the server closes a frame this often
  // 0: the game starts (or has not started) from its first frame; F > 0: a
  // snapshot of the World after frame F follows, then frame F + 1.
  uint32_t frame = 0;
  // True: the game waits in its lobby and nothing begins yet; the WELCOME
  // that begins it follows at the host's start.
  bool lobby = false;
  uint8_t closed_sides = 0;  // bit s: side s takes no part in the game
};

struct Frame {
  uint32_t frame = 0;
  FrameInput input;
};

struct Snapshot {
  uint32_t frame = 0;
  // Points into the received bytes: valid while they are.
  std::span<const uint8_t> world;
};

struct Desync {
  uint32_t frame = 0;
  uint64_t server_hash = 0;
  uint64_t client_hash = 0;
};

struct Pong {
  uint32_t id = 0;
};

struct Late {
  uint32_t frame = 0;   // the frame the input was meant for
  uint32_t placed = 0;  // the frame it went into
};

struct End {
  uint32_t frame = 0;  // the last frame
  uint64_t hash = 0;   // the World's hash after it
};

struct Goodbye {
  Reason reason = Reason::kMalformed;
  std::string text;
};

enum class SeatState : uint8_t {
  kComputer = 0,  // the computer's side from the start
  kOpen = 1,      // waiting for its player, before the game starts
  kPlayer = 2,    // its player is connected
  kAway = 3,      // its player left; the computer commands it until they return
  kClosed = 4,    // takes no part in the game
};

// Who is in the game: sent to every member whenever it changes.
struct Roster {
  struct Seat {
    SeatState state = SeatState::kComputer;
    std::string name;  // the player's (also while away); "" for the others
  };
  std::array<Seat, kSides> seats{};
  uint16_t spectators = 0;
};

constexpr uint8_t kFromSpectator = 4;

// A chat line, relayed to every member with its sender.
struct ChatLine {
  uint8_t from = 0;  // the sender's side, or kFromSpectator
  std::string name;
  std::string text;
};

// A player not heard from for a second ("waiting for NAME"), or heard
// again (waiting false).
struct Lag {
  uint8_t side = 0;
  bool waiting = false;
  uint8_t seconds_left = 0;  // before the side goes to the computer; 0 when heard
};

constexpr int kMaxPauses = 3;        // a player's, in a game
constexpr int32_t kResumeMs = 3000;  // the countdown before a paused game runs again

// The game's pause, whenever it changes: paused after `frame` by the side's
// player; while resuming, frames run again in `resume_in_ms`.
struct Paused {
  bool paused = false;  // false: running again (the rest is 0)
  uint8_t side = 0;
  uint32_t frame = 0;
  uint16_t resume_in_ms = 0;  // 0: no countdown yet
};

// A request the server turned down, with why; the connection stays.
struct Refused {
  std::string text;
};

// The lobby, sent to every member whenever it changes (round trips at most
// once a second). A seat's state is kOpen, kPlayer, kComputer or kClosed.
struct Lobby {
  struct Seat {
    SeatState state = SeatState::kOpen;
    std::string name;  // its player's; "" for the others
    bool ready = false;
    uint16_t rtt_ms = 0;  // its player's round trip; 0: not known
  };
  uint8_t stage = 1;
  std::array<Seat, kSides> seats{};
  uint8_t host_side = 0;  // the host always holds a side
  uint16_t spectators = 0;
  uint32_t games_played = 0;  // games this room has ended
};

using ServerMessage = std::variant<Created, Welcome, Frame, Snapshot, Desync, Pong, Late, End,
                                   Goodbye, Roster, ChatLine, Lag, Paused, Refused, Lobby>;

// One line for a reason, e.g. "sent a malformed message".
const char* reason_text(Reason reason);
// The line a player of another version is refused with: "NAME plays
// quarvex 1.0.1; you have 1.0.2", or without a name "the game runs ...".
std::string version_mismatch_text(const std::string& host_name, const std::string& game_version,
                                  const std::string& your_version);

}  // namespace quarvex::net
