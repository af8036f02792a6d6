#pragma once
// A networked game played in the open window: connects, creates the game
// when asked to, joins it, and plays the player's side (or watches) at the
// server's pace, drawing every display frame. Only the server's frame
// inputs reach the World: the player's keys go to the server and come back
// with everyone else's. Every wait shows its line at the top, has a
// timeout and can be left with Esc.
//
// The command line starts it today; a menu can call play_network_game the
// same way with the parameters it asked the player for.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/options.h"
#include "app/windowed_session.h"
#include "net/client_transport.h"
#include "net/protocol.h"

namespace quarvex {

struct NetworkGameParams {
  std::string url;  // ws://HOST:PORT or wss://...
  // When set, the game is created first and then joined (its code in join).
  std::optional<net::Create> create;
  net::Join join;
  std::optional<int64_t> frames;  // leave after this many frames
  bool print_hash = false;        // the World's hash on standard output at the end
  Options outputs;                // the data folder, --record, --dump, --screenshot
  std::string replay_folder;      // empty: no replay kept
  // Loads a stage's ground picture instead of the window's device reading
  // the file (the page fetches its grounds when a stage wants one).
  std::function<void(const char* path)> load_ground;
  // The end screen offers "Play again": the game can go back to its lobby.
  bool play_again_offered = false;
  std::string invite;  // hosting: ADDRESS:PORT the lobby shows friends
};

// How the game in the window ended.
enum class NetworkEnd : uint8_t {
  kLeft,       // the player left, or the frame limit was reached
  kFinished,   // the game's last frame ran, and the player left its end
  kFailed,     // it could not begin or go on; the window showed why
  kQuit,       // the window was closed
  kPlayAgain,  // the player chose to play again with the same players
};

struct NetworkResult {
  NetworkEnd end = NetworkEnd::kLeft;
  int status = 0;  // the program's exit status when started from the command line
};

// The game's parameters from the command line (--connect and the rest).
NetworkGameParams network_params(const Options& options, std::string replay_folder);

// Plays the game over `link` (not yet opened) in the session's window.
NetworkResult play_network_game(const NetworkGameParams& params, WindowedSession& session,
                                net::ClientTransport& link);

}  // namespace quarvex
