#pragma once
// The lobby of a networked game, before it starts and between its rounds:
// the stage, the four sides, the ready marks and Start. The host chooses
// the stage and what each side is (open, the computer's or closed); a
// player takes an open side and marks itself ready; the host starts once
// every player is. The page only reads what the server last said (a
// LobbyView) and answers keys with what to ask the server for: the server
// decides, and its next word is what the page shows.

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "shell/menu_key.h"

namespace quarvex {

constexpr int kLobbySides = 4;
// The stages a networked game is played on.
constexpr int kFirstNetworkStage = 1;
constexpr int kLastNetworkStage = 3;

enum class LobbySeat : uint8_t { kOpen, kPlayer, kComputer, kClosed };

struct LobbySeatView {
  LobbySeat seat = LobbySeat::kOpen;
  std::string name;  // a player's, as the server cleaned it
  bool ready = false;
  uint16_t rtt_ms = 0;  // 0: not measured yet
};

// The lobby as the server last described it, and who we are in it.
struct LobbyView {
  int stage = kFirstNetworkStage;
  std::array<LobbySeatView, kLobbySides> seats{};
  int own_side = -1;   // -1: watching
  int host_side = -1;  // the host's side
  bool host = false;   // we are the host
  int spectators = 0;
  // What friends need to join: ADDRESS:PORT (the host's) and the code.
  std::string address;
  std::string code;
};

// What a key asks the server for.
struct LobbyAction {
  enum Kind : uint8_t { kNone, kSetup, kTakeSide, kReady, kStart, kLeave };
  Kind kind = kNone;
  int stage = kFirstNetworkStage;              // kSetup
  std::array<LobbySeat, kLobbySides> seats{};  // kSetup: open, computer or closed
  int side = -1;                               // kTakeSide
  bool ready = false;                          // kReady
};

struct LobbyOutcome {
  enum Kind : uint8_t { kNone, kMoved, kDenied, kAsked };
  Kind kind = kNone;
  LobbyAction action;  // kAsked
};

// The page's rows, top to bottom.
enum LobbyRow : int {
  kLobbyStage,
  kLobbyFirstSide,
  kLobbyReady = kLobbyFirstSide + kLobbySides,
  kLobbyLeave,
  kLobbyRows
};

// Whether the host may start: at least one side is a player's and every
// player but the host is ready.
bool lobby_can_start(const LobbyView& view);

class LobbyPage {
 public:
  // A new lobby (joined, or back from a game): the focus on the first row
  // that means something to us.
  void open(const LobbyView& view);
  // The server's new word; the focus stays where it was.
  void update(const LobbyView& view);

  const LobbyView& view() const { return view_; }
  int row() const { return row_; }
  // Why the last key was refused, English for the catalogue; null when it
  // was not.
  const char* problem() const { return problem_; }
  // What the server last turned down, in its own words; shown until the
  // next key.
  const std::string& refusal() const { return refusal_; }
  void refused(std::string why) { refusal_ = std::move(why); }

  LobbyOutcome key(MenuKey key);

 private:
  LobbyOutcome choose();
  LobbyOutcome sideways(int step);
  LobbyOutcome deny(const char* problem);
  LobbyAction setup() const;

  LobbyView view_;
  int row_ = kLobbyStage;
  const char* problem_ = nullptr;
  std::string refusal_;
};

}  // namespace quarvex
