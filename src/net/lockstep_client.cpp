#include "net/lockstep_client.h"

#include <algorithm>
#include <climits>

#include "net/codec.h"
#include "net/player_text.h"

namespace quarvex::net {

namespace {

// More than this many frames waiting, and the client runs two per
// interval to close the gap; more than a second's worth, four.
constexpr uint32_t kSmallBacklog = 2;
constexpr uint32_t kCatchUpFrames = 4;
// The frames kept waiting: the server hands a player over after 10 s
// behind, so twice that is room enough.
constexpr int64_t kWaitingSeconds = 20;

}  // namespace

LockstepClient::LockstepClient(const Join& join, ClientGame& game, KeySource& keys)
    : join_(join), game_(game), keys_(keys) {}

void LockstepClient::send(const ClientMessage& m, ClientLink& link) {
  out_.clear();
  append_message(out_, m);
  stats_.bytes_sent += out_.size();
  link.send(out_);
}

void LockstepClient::fail(const std::string& why) {
  if (state_ == State::kFailed) return;
  failed_playing_ = state_ == State::kPlaying;
  state_ = State::kFailed;
  error_ = why;
}

void LockstepClient::opened(int64_t now_ms, ClientLink& link) {
  join_sent_ms_ = now_ms;
  send(join_, link);
}

void LockstepClient::leave(ClientLink& link) {
  if (state_ == State::kFailed || state_ == State::kEnded) return;
  send(Leave{}, link);
}

void LockstepClient::ask_pause(bool pause, ClientLink& link) {
  if (state_ == State::kPlaying) send(Pause{pause}, link);
}

void LockstepClient::say(const std::string& text, ClientLink& link) {
  if (state_ != State::kPlaying && state_ != State::kSnapshot && state_ != State::kLobby) return;
  const std::string line = clean_text(text, kMaxChatChars);
  if (!line.empty()) send(Chat{line}, link);
}

void LockstepClient::setup_lobby(const LobbySetup& setup, ClientLink& link) {
  if (state_ == State::kLobby) send(setup, link);
}

void LockstepClient::take_side(uint8_t side, ClientLink& link) {
  if (state_ == State::kLobby && side < kSides) send(TakeSide{side}, link);
}

void LockstepClient::set_ready(bool ready, ClientLink& link) {
  if (state_ == State::kLobby) send(Ready{ready}, link);
}

void LockstepClient::start_game(ClientLink& link) {
  if (state_ == State::kLobby) send(Start{}, link);
}

bool LockstepClient::is_host() const {
  return lobby_game_ && welcome_.role == Role::kPlayer && lobby_.host_side == welcome_.side &&
         state_ != State::kJoining && state_ != State::kFailed;
}

void LockstepClient::closed(const std::string& why) {
  // After the end the server closes; what has arrived still runs. A lobby
  // closing is an end all the same.
  if (end_frame_ != 0 && state_ != State::kLobby) return;
  fail(why.empty() ? "the server closed the connection" : why);
}

void LockstepClient::received(std::span<const uint8_t> bytes, int64_t now_ms, ClientLink& link) {
  stats_.bytes_received += bytes.size();
  MessageReader<ServerMessage> reader(bytes);
  ServerMessage message;
  while (state_ != State::kFailed && reader.next(message)) handle(message, now_ms, link);
  if (reader.status() == DecodeStatus::kWrongVersion) {
    fail("the server speaks protocol version " + std::to_string(reader.version_seen()) +
         "; this quarvex speaks " + std::to_string(kProtocolVersion));
  } else if (reader.status() != DecodeStatus::kOk) {
    fail(std::string("the server sent ") + reader.what());
  }
}

void LockstepClient::handle(const ServerMessage& m, int64_t now_ms, ClientLink& link) {
  if (const auto* goodbye = std::get_if<Goodbye>(&m)) {
    if (end_frame_ == 0) goodbye_reason_ = goodbye->reason;
    closed(goodbye->text.empty() ? reason_text(goodbye->reason) : goodbye->text);
    return;
  }
  if (const auto* pong = std::get_if<Pong>(&m)) {
    const size_t slot = pong->id % ping_sent_ms_.size();
    const int64_t sent = ping_sent_ms_[slot];
    if (pong->id + ping_sent_ms_.size() > ping_id_ && pong->id < ping_id_ && sent <= now_ms) {
      const auto trip = static_cast<int32_t>(std::min<int64_t>(now_ms - sent, INT32_MAX));
      rtt_ms_ = std::max(trip, 1);
      // The delay is the game's: it stays as it was through the lobby.
      if (state_ == State::kLobby) return;
      delay_.add_round_trip(trip);
      stats_.highest_delay = std::max(stats_.highest_delay, delay_.frames());
      // The server answers in order: a desync found in a report sent before
      // this ping would have come before its pong.
      agree(ping_after_report_[slot]);
    }
    return;
  }
  if (state_ == State::kJoining) {
    if (const auto* w = std::get_if<Welcome>(&m)) {
      on_welcome(*w, now_ms, link);
    } else {
      fail("the server answered the join out of turn");
    }
    return;
  }
  if (const auto* w = std::get_if<Welcome>(&m)) {
    // A lobby's: our side in it changed, or its game begins. One who has
    // not yet run the end of the last game (a slow spectator) leaves it.
    if (state_ != State::kLobby && !(lobby_after_ && !w->lobby)) {
      fail("the server sent a welcome out of turn");
    } else if (w->lobby) {
      welcome_ = *w;
    } else {
      begin_game(*w, now_ms, link);
    }
    return;
  }
  if (const auto* lobby = std::get_if<Lobby>(&m)) {
    if (!lobby_game_) {
      fail("the server sent a lobby of a game that has none");
      return;
    }
    lobby_ = *lobby;
    // After a game the lobby comes back once its last frame has run here.
    if (state_ == State::kPlaying || state_ == State::kSnapshot) {
      if (end_frame_ == 0) {
        fail("the server went back to the lobby before the game's end");
      } else {
        lobby_after_ = true;
      }
    } else if (state_ == State::kEnded) {
      state_ = State::kLobby;
    }
    return;
  }
  if (const auto* roster = std::get_if<Roster>(&m)) {
    roster_ = *roster;
    // A side whose player is gone waits for nobody.
    for (size_t s = 0; s < lag_.size(); ++s) {
      if (roster_.seats[s].state != SeatState::kPlayer) lag_[s] = -1;
    }
    game_.roster_changed(roster_);
    return;
  }
  if (const auto* paused = std::get_if<Paused>(&m)) {
    pause_ = *paused;
    pause_heard_ms_ = now_ms;
    return;
  }
  if (const auto* refused = std::get_if<Refused>(&m)) {
    refusal_ = refused->text;
    refusal_ms_ = now_ms;
    return;
  }
  if (const auto* lag = std::get_if<Lag>(&m)) {
    lag_[lag->side] = lag->waiting ? lag->seconds_left : -1;
    return;
  }
  if (const auto* line = std::get_if<ChatLine>(&m)) {
    if (chat_.size() == kChatLinesKept) chat_.erase(chat_.begin());
    chat_.push_back(HeardLine{*line, now_ms});
    return;
  }
  if (const auto* s = std::get_if<Snapshot>(&m)) {
    on_snapshot(*s);
    return;
  }
  if (state_ == State::kLobby || state_ == State::kEnded) {
    fail("the server sent a message of a game that is not running");
    return;
  }
  if (state_ == State::kSnapshot) {
    fail("the server sent no snapshot of the game under way");
    return;
  }
  if (const auto* f = std::get_if<Frame>(&m)) {
    on_frame(*f, link);
  } else if (const auto* late = std::get_if<Late>(&m)) {
    ++stats_.late_inputs;
    delay_.late(late->frame, last_sent_);
    stats_.highest_delay = std::max(stats_.highest_delay, delay_.frames());
  } else if (const auto* desync = std::get_if<Desync>(&m)) {
    ++stats_.desyncs;
    // The reports before this one were compared first, and agreed.
    agree(desync->frame - 1);
    // The recent inputs in order, oldest first, ending with the last run.
    std::vector<FrameInput> recent;
    // Counted, not compared, so a frame number at the top of its range
    // cannot wrap the loop round.
    const uint32_t count = std::min(run_, kRecentFrames);
    for (uint32_t back = count; back > 0; --back) {
      recent.push_back(recent_[(run_ - back + 1) % kRecentFrames]);
    }
    game_.report_desync(*desync, run_, recent);
  } else if (const auto* end = std::get_if<End>(&m)) {
    if (end->frame != received_) {
      fail("the server ended the game at a frame it did not send");
      return;
    }
    end_frame_ = end->frame;
    end_hash_ = end->hash;
  } else {
    fail("the server sent a message out of turn");
  }
}

void LockstepClient::on_welcome(const Welcome& w, int64_t now_ms, ClientLink& link) {
  if (join_.role == Role::kPlayer &&
      (w.role != Role::kPlayer || (w.side != join_.side && join_.side != kAnySide))) {
    fail("the server gave another side than the one asked for");
    return;
  }
  lobby_game_ = w.lobby;
  next_ping_ms_ = now_ms + kPingEveryMs;
  if (w.lobby) {
    welcome_ = w;
    state_ = State::kLobby;
    return;
  }
  begin_game(w, now_ms, link);
}

void LockstepClient::begin_game(const Welcome& w, int64_t now_ms, ClientLink& link) {
  welcome_ = w;
  delay_ = InputDelay(w.frame_ms);
  delay_.add_round_trip(static_cast<int32_t>(std::min<int64_t>(now_ms - join_sent_ms_, INT32_MAX)));
  stats_.highest_delay = delay_.frames();
  // Frames received but not run are kept by number; the ring holds more
  // than the server lets a player fall behind.
  const int64_t capacity = kWaitingSeconds * 1000 / std::max<int64_t>(w.frame_ms, 1) + 64;
  waiting_.assign(static_cast<size_t>(capacity), FrameInput{});
  std::string why;
  if (!game_.begin(GameSetup{w.stage, w.seed, w.human_sides, w.closed_sides},
                   w.role == Role::kPlayer ? static_cast<int>(w.side) : -1, why)) {
    fail(why);
    return;
  }
  // A game after another on the same connection starts its counts afresh.
  received_ = run_ = last_sent_ = w.frame;
  reported_ = agreed_ = w.frame;
  end_frame_ = 0;
  end_hash_ = 0;
  lobby_after_ = false;
  pause_ = Paused{};
  lag_.fill(-1);
  ++games_begun_;
  next_ping_ms_ = now_ms + kPingEveryMs;
  state_ = w.frame == 0 ? State::kPlaying : State::kSnapshot;
  send_inputs(link);
}

void LockstepClient::on_snapshot(const Snapshot& s) {
  if (s.frame > received_ || s.frame < run_) {
    fail("the server sent a snapshot of a frame out of turn");
    return;
  }
  // The frames the snapshot leaps over were played all the same, with the
  // server's inputs, which every machine shares.
  for (uint32_t leap = s.frame - run_, f = run_ + 1; leap > 0; --leap, ++f) {
    const FrameInput& input = waiting_[f % waiting_.size()];
    recent_[f % kRecentFrames] = input;
    game_.pass_frame(input);
  }
  std::string why;
  if (!game_.load(s.world, s.frame, why)) {
    fail("the server's snapshot of the World does not hold up: " + why);
    return;
  }
  run_ = s.frame;
  state_ = State::kPlaying;
}

void LockstepClient::agree(uint32_t frame) {
  if (frame <= agreed_) return;
  agreed_ = frame;
  game_.hashes_agreed(frame);
}

void LockstepClient::on_frame(const Frame& f, ClientLink& link) {
  if (f.frame != received_ + 1) {
    fail("the server skipped a frame");
    return;
  }
  if (end_frame_ != 0) {
    fail("the server sent a frame after the game's end");
    return;
  }
  if (received_ - run_ >= waiting_.size()) {
    fail("fell too far behind the game");
    return;
  }
  received_ = f.frame;
  waiting_[received_ % waiting_.size()] = f.input;
  send_inputs(link);
}

void LockstepClient::send_inputs(ClientLink& link) {
  if (welcome_.role != Role::kPlayer) return;
  // Every frame from the last one sent up to the latest received plus the
  // delay gets its keys, so a rise of the delay skips none.
  uint32_t target = received_ + static_cast<uint32_t>(delay_.frames());
  if (welcome_.last_frame != 0) target = std::min(target, welcome_.last_frame);
  while (last_sent_ < target) {
    ++last_sent_;
    send(Input{last_sent_, static_cast<KeyMask>(keys_.keys_for(last_sent_) & kAllKeys)}, link);
  }
}

void LockstepClient::run_one_frame() {
  ++run_;
  const FrameInput& input = waiting_[run_ % waiting_.size()];
  recent_[run_ % kRecentFrames] = input;
  game_.run_frame(input);
  ++stats_.frames_run;
  game_.frame_done(run_);
  if (end_frame_ != 0 && run_ == end_frame_) state_ = State::kEnded;
}

void LockstepClient::run_one(ClientLink& link) {
  run_one_frame();
  if (run_ % kHashEvery == 0) {
    send(HashReport{run_, game_.hash()}, link);
    reported_ = run_;
  }
}

void LockstepClient::run_frames_left(uint32_t most) {
  if (state_ != State::kFailed || !failed_playing_) return;
  const uint32_t n = std::min(most, backlog());
  for (uint32_t i = 0; i < n; ++i) run_one_frame();
}

void LockstepClient::tick(int64_t now_ms, ClientLink& link) {
  if (state_ == State::kFailed || state_ == State::kJoining) return;
  // The driver sees the end for one tick before the lobby comes back.
  if (state_ == State::kEnded && lobby_after_) {
    lobby_after_ = false;
    state_ = State::kLobby;
  }
  if (now_ms >= next_ping_ms_ && pinging()) {
    ping_sent_ms_[ping_id_ % ping_sent_ms_.size()] = now_ms;
    ping_after_report_[ping_id_ % ping_sent_ms_.size()] = reported_;
    send(Ping{ping_id_++, static_cast<uint16_t>(std::min(rtt_ms_, 65535))}, link);
    next_ping_ms_ = now_ms + kPingEveryMs;
  }
  if (state_ != State::kPlaying || backlog() == 0 || now_ms < next_run_ms_) return;
  const int64_t frame_ms = std::max<int64_t>(welcome_.frame_ms, 1);
  const uint32_t per_second = static_cast<uint32_t>(1000 / frame_ms);
  uint32_t n = backlog() > per_second ? kCatchUpFrames : (backlog() > kSmallBacklog ? 2 : 1);
  n = std::min(n, backlog());
  if (stats_.last_run_ms >= 0) {
    stats_.longest_gap_ms = std::max(stats_.longest_gap_ms, now_ms - stats_.last_run_ms);
  }
  if (stats_.first_run_ms < 0) stats_.first_run_ms = now_ms;
  stats_.last_run_ms = now_ms;
  for (uint32_t i = 0; i < n && state_ == State::kPlaying; ++i) run_one(link);
  // The runs keep to the interval's own beat, so the driver's small delays
  // in waking do not add up; after a frame that came late the next may
  // follow half an interval later. A batch of several frames is always
  // followed by a full interval, so catching up never runs more than four
  // frames in one.
  next_run_ms_ = std::max(next_run_ms_ + frame_ms, now_ms + (n > 1 ? frame_ms : frame_ms / 2));
}

void LockstepClient::run_backlog(int64_t now_ms, ClientLink& link, uint32_t most) {
  if (state_ != State::kPlaying) return;
  const uint32_t n = std::min(most, backlog());
  for (uint32_t i = 0; i < n && state_ == State::kPlaying; ++i) run_one(link);
  if (n > 0) next_run_ms_ = now_ms + std::max<int64_t>(welcome_.frame_ms, 1);
}

int64_t LockstepClient::next_tick_ms() const {
  if (state_ == State::kFailed || state_ == State::kJoining) return INT64_MAX;
  int64_t next = pinging() ? next_ping_ms_ : INT64_MAX;
  if (state_ == State::kEnded && lobby_after_) return 0;
  if (state_ == State::kPlaying && backlog() > 0) next = std::min(next, next_run_ms_);
  return next;
}

}  // namespace quarvex::net
