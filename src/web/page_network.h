#pragma once
// The networked game the page plays, asked for on the Play together pages
// or by the page's link (?join=ws://HOST:PORT&code=CODE): the page's
// animation callback runs its passes. While the tab is hidden the browser
// holds its timers back, but not the connection's messages: the game's
// passes then run when the server's frames arrive (a second apart at
// least), so the side keeps up and the computer never takes it.

#include <memory>

#include "app/network_game.h"
#include "web/page_link.h"

namespace quarvex {

class PageNetwork {
 public:
  // Starts the game; the previous one must be over.
  void start(NetworkGameParams params, WindowedSession& session);
  bool active() const { return game_ != nullptr; }
  // One pass, unseen while the tab is hidden. Once the game is over,
  // result() says how it ended and active() is false.
  void step(bool hidden);
  // Milliseconds until the next pass is due.
  int wait_ms() const;
  int64_t frames_run() const;
  struct Result {
    NetworkResult end;
    int64_t frames = 0;  // the frames run
  };
  const Result& result() const { return result_; }

 private:
  void finish();

  NetworkGameParams params_;
  std::unique_ptr<PageLink> link_;
  std::unique_ptr<NetworkGame> game_;
  Result result_;
  int64_t closing_until_ms_ = -1;  // the leave's last chance to go out
  int64_t last_unseen_ms_ = 0;
};

}  // namespace quarvex
