#pragma once
// A networked game in the open window, driven one pass at a time: the
// desktop's loop waits on the connection between passes, the page runs a
// pass from each animation frame. No pass ever blocks.
//
//   NetworkGame game(params, session, link);
//   game.begin();
//   while (game.step()) { wait for the link until game.next_wake_ms() }
//   if (game.start_closing()) { take the link's events until kClosed, a second at most }
//   NetworkResult result = game.finish();

#include <cstdint>
#include <memory>

#include "app/windowed_network.h"

namespace quarvex {

class NetworkWindow;

class NetworkGame {
 public:
  // `params`, `session` and `link` outlive the game.
  NetworkGame(const NetworkGameParams& params, WindowedSession& session,
              net::ClientTransport& link);
  ~NetworkGame();
  NetworkGame(const NetworkGame&) = delete;
  NetworkGame& operator=(const NetworkGame&) = delete;

  // Opens the connection (a bad address fails the game, shown by step).
  void begin();
  // One pass: the player's input, what came over the link, the frames due,
  // one picture. False once the game is being left.
  bool step();
  // A pass while the picture cannot be seen: what came over the link and the
  // frames due, all at once (a bounded number), without keys or a picture.
  bool step_unseen();
  // The steady-clock millisecond by which the next pass is due.
  int64_t next_wake_ms() const;
  // The frames of the game run here so far.
  int64_t frames_run() const;
  // An event taken from the link outside step (the desktop's wait).
  void take(net::LinkEvent& event);
  // Sends the leave and closes the connection. True when the close is worth
  // waiting for (the leave's last chance to go out).
  bool start_closing();
  // The game's outcome: its replay kept, its hash checked and printed.
  NetworkResult finish();

 private:
  std::unique_ptr<NetworkWindow> window_;
};

}  // namespace quarvex
