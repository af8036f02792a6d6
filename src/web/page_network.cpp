#include "web/page_network.h"

#include <algorithm>

#include "net/steady_clock.h"
#include "web/browser.h"

namespace quarvex {

namespace {

// The leave's last chance to go out before the connection is dropped.
constexpr int64_t kCloseMs = 1000;
// A hidden tab's passes, driven by the server's messages, come no closer
// together than this: each runs every frame due at once.
constexpr int64_t kUnseenEveryMs = 250;
// The longest the page sleeps between passes while the game is on.
constexpr int kMostWaitMs = 15;

using net::steady_ms;

}  // namespace

void PageNetwork::start(NetworkGameParams params, WindowedSession& session) {
  params_ = std::move(params);
  result_ = {};
  closing_until_ms_ = -1;
  link_ = std::make_unique<PageLink>();
  game_ = std::make_unique<NetworkGame>(params_, session, *link_);
  link_->on_message([this] {
    const int64_t now = steady_ms();
    if (game_ == nullptr || closing_until_ms_ >= 0 || !page_hidden() ||
        now - last_unseen_ms_ < kUnseenEveryMs) {
      return;
    }
    last_unseen_ms_ = now;
    game_->step_unseen();
  });
  game_->begin();
}

void PageNetwork::step(bool hidden) {
  if (game_ == nullptr) return;
  if (closing_until_ms_ >= 0) {
    net::LinkEvent event;
    while (link_->next_event(event, 0)) {
      if (event.kind == net::LinkEvent::Kind::kClosed) closing_until_ms_ = 0;
    }
    if (steady_ms() >= closing_until_ms_) finish();
    return;
  }
  const bool going_on = hidden ? game_->step_unseen() : game_->step();
  if (going_on) return;
  if (game_->start_closing()) {
    closing_until_ms_ = steady_ms() + kCloseMs;
  } else {
    finish();
  }
}

void PageNetwork::finish() {
  const int64_t frames = game_->frames_run();
  result_ = {game_->finish(), frames};
  game_.reset();
  link_.reset();
}

int PageNetwork::wait_ms() const {
  if (game_ == nullptr || closing_until_ms_ >= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(game_->next_wake_ms() - steady_ms(), 0, kMostWaitMs));
}

int64_t PageNetwork::frames_run() const {
  return game_ != nullptr ? game_->frames_run() : 0;
}

}  // namespace quarvex
