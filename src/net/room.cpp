#include "net/room.h"

#include <algorithm>
#include <climits>

#include "net/codec.h"
#include "net/player_text.h"

namespace quarvex::net {

namespace {

bool has_token(const Token& token) {
  return std::any_of(token.begin(), token.end(), [](uint8_t b) { return b != 0; });
}

}  // namespace

Room::Room(const JoinCode& code, const Create& create, const RoomTiming& timing,
           std::unique_ptr<Simulation> simulation, int64_t now_ms)
    : code_(code),
      create_(create),
      host_name_(clean_text(create.name, kMaxNameChars)),
      timing_(timing),
      simulation_(std::move(simulation)),
      empty_since_ms_(now_ms) {
  timing_.frame_ms = std::max(timing_.frame_ms, 1);
  lobby_room_ = create.lobby;
  stage_ = create.stage;
  seed_ = create.seed;
  if (lobby_room_) {
    // Every side starts open; the host chooses in the lobby.
    for (Seat& seat : seats_) seat.state = SeatState::kOpen;
    return;
  }
  // The codec lets no game without a player side in: it starts when they
  // are all taken.
  human_sides_ = create.human_sides;
  for (int s = 0; s < kSides; ++s) {
    if ((create.human_sides >> s) & 1) seats_[s].state = SeatState::kOpen;
  }
}

std::optional<Reason> Room::join(ConnectionId id, const Join& join, RandomSource& random,
                                 int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped,
                                 std::string& why) {
  if (join.version != create_.version) {
    why = version_mismatch_text(host_name_, create_.version, join.version);
    return Reason::kVersionMismatch;
  }
  if (ended_ || host_left_) return Reason::kGameOver;
  if (in_lobby()) {
    if (join.role == Role::kPlayer) {
      if (auto refused = join_lobby(id, join, random, now_ms, link, why)) return refused;
    } else {
      // The host plays a side: only a player's join makes the host.
      if (host_side_ < 0 && id == creator_) {
        why = "the host of a game plays a side";
        return Reason::kSideNotOpen;
      }
      if (watchers_.size() >= static_cast<size_t>(std::max(timing_.max_spectators, 0))) {
        why = "the game has as many spectators as it takes";
        return Reason::kFull;
      }
      watchers_.push_back(Watcher{id, clean_text(join.name, kMaxNameChars), 0, 0, 0});
      if (watchers_.back().name.empty()) watchers_.back().name = "Spectator";
      welcome(id, Role::kSpectator, 0, Token{}, link);
    }
    lobby_changed_ = true;
    send_lobby(now_ms, link, dropped);
    return std::nullopt;
  }
  if (join.role == Role::kPlayer) {
    auto refused = join_player(id, join, random, now_ms, link, dropped, why);
    if (!refused) send_roster(now_ms, link, dropped);
    return refused;
  }
  if (last_closed() > 0 && simulation_ == nullptr) return Reason::kCannotRejoin;
  if (watchers_.size() >= static_cast<size_t>(std::max(timing_.max_spectators, 0))) {
    why = "the game has as many spectators as it takes";
    return Reason::kFull;
  }
  watchers_.push_back(
      Watcher{id, clean_text(join.name, kMaxNameChars), last_closed(), last_closed(), 0});
  if (watchers_.back().name.empty()) watchers_.back().name = "Spectator";
  welcome(id, Role::kSpectator, 0, Token{}, link);
  if (last_closed() > 0) send_snapshot(id, link);
  roster_changed_ = true;
  send_roster(now_ms, link, dropped);
  return std::nullopt;
}

bool Room::side_for_join(uint8_t& side, std::string& why) const {
  if (side != kAnySide) return true;
  const auto open = std::find_if(seats_.begin(), seats_.end(),
                                 [](const Seat& s) { return s.state == SeatState::kOpen; });
  if (open == seats_.end()) {
    why = "the game has no open side";
    return false;
  }
  side = static_cast<uint8_t>(open - seats_.begin());
  return true;
}

std::optional<Reason> Room::join_player(ConnectionId id, const Join& join, RandomSource& random,
                                        int64_t now_ms, ServerLink& link,
                                        std::vector<Dropped>& dropped, std::string& why) {
  uint8_t side = join.side;
  if (!side_for_join(side, why)) return Reason::kFull;
  Seat& seat = seats_[side];
  const bool same_player = has_token(join.token) && join.token == seat.token;
  roster_changed_ = true;
  switch (seat.state) {
    case SeatState::kComputer:
    case SeatState::kClosed:
      return Reason::kSideNotOpen;
    case SeatState::kOpen:
      seat.state = SeatState::kPlayer;
      seat.name = player_name(join.name, side);
      seat.lag_shown = -1;
      seat.id = id;
      seat.token = make_token(random);
      seat.inputs.clear();
      seat.reported = seat.resynced = seat.sent = 0;
      seat.reports = false;
      seat.heard_ms = now_ms;
      welcome(id, Role::kPlayer, side, seat.token, link);
      if (std::none_of(seats_.begin(), seats_.end(),
                       [](const Seat& s) { return s.state == SeatState::kOpen; })) {
        started_ = true;
        start_ms_ = now_ms;
      }
      return std::nullopt;
    case SeatState::kPlayer:
      if (!same_player) return Reason::kSideTaken;
      // The player is back while its old connection has not yet been seen
      // to end (a dead link is only noticed by its silence).
      if (last_closed() > 0 && simulation_ == nullptr) return Reason::kCannotRejoin;
      dropped.push_back(Dropped{seat.id, Reason::kLeft});
      why = "replaced by a new connection of the same player";
      break;
    case SeatState::kAway:
      if (!same_player) return Reason::kUnknownToken;
      if (last_closed() > 0 && simulation_ == nullptr) return Reason::kCannotRejoin;
      seat.state = SeatState::kPlayer;
      hand_over(side, true);
      break;
  }
  // A player coming back may have changed its name meanwhile.
  seat.name = player_name(join.name, side);
  seat.lag_shown = -1;
  seat.id = id;
  seat.inputs.clear();
  seat.reported = seat.resynced = seat.sent = last_closed();
  seat.reports = false;
  seat.heard_ms = now_ms;
  welcome(id, Role::kPlayer, side, seat.token, link);
  if (started_ && last_closed() > 0) send_snapshot(id, link);
  return std::nullopt;
}

void Room::welcome(ConnectionId id, Role role, uint8_t side, const Token& token, ServerLink& link) {
  Welcome w;
  w.role = role;
  w.side = side;
  w.token = token;
  w.stage = stage_;
  w.seed = seed_;
  w.human_sides = human_sides_;
  w.closed_sides = closed_sides_;
  w.last_frame = create_.last_frame;
  w.frame_ms = static_cast<uint16_t>(std::min(timing_.frame_ms, 65535));
  w.frame = started_ ? last_closed() : 0;
  w.lobby = in_lobby();
  out_.clear();
  append_message(out_, w);
  link.send(id, out_);
}

void Room::send_snapshot(ConnectionId id, ServerLink& link) {
  snapshot_.clear();
  simulation_->save(snapshot_);
  out_.clear();
  append_message(out_, Snapshot{last_closed(), snapshot_});
  link.send(id, out_);
}

void Room::hand_over(int side, bool to_human) {
  // A hand-over that undoes one not yet applied cancels it: the side's
  // state at the open frame is as it was, and at most one hand-over per
  // side ever waits.
  const auto bit = static_cast<uint8_t>(1u << side);
  uint8_t& undone = to_human ? handovers_.to_computer : handovers_.to_human;
  uint8_t& done = to_human ? handovers_.to_human : handovers_.to_computer;
  if ((undone & bit) != 0) {
    undone = static_cast<uint8_t>(undone & ~bit);
  } else {
    done = static_cast<uint8_t>(done | bit);
  }
}

std::optional<Reason> Room::input(ConnectionId id, const Input& m) {
  for (Seat& seat : seats_) {
    if (seat.state != SeatState::kPlayer || seat.id != id) continue;
    // Keys sent ahead for frames after the last game's end say nothing.
    if (ended_ || in_lobby()) return std::nullopt;
    switch (seat.inputs.add(m.frame, m.keys, next_frame_)) {
      case SideInputs::Added::kOk:
        seat.sent = m.frame;
        return std::nullopt;
      case SideInputs::Added::kNotAfterPrevious:
      case SideInputs::Added::kTooFarAhead:
        return Reason::kMalformed;
      case SideInputs::Added::kFull:
        return Reason::kTooFrequent;
    }
  }
  return Reason::kOutOfTurn;
}

std::optional<Reason> Room::report_hash(ConnectionId id, const HashReport& m, ServerLink& link) {
  // Reports of the last game still on their way to the lobby.
  if (in_lobby())
    return side_of(id) >= 0 || watching(id) ? std::nullopt : std::optional(Reason::kOutOfTurn);
  if (m.frame > last_closed()) return Reason::kOutOfTurn;
  for (Seat& seat : seats_) {
    if (seat.state == SeatState::kPlayer && seat.id == id) {
      seat.reports = true;
      check_hash(id, seat.reported, seat.resynced, m, link);
      return std::nullopt;
    }
  }
  for (Watcher& watcher : watchers_) {
    if (watcher.id == id) {
      check_hash(id, watcher.reported, watcher.resynced, m, link);
      return std::nullopt;
    }
  }
  return Reason::kOutOfTurn;
}

void Room::check_hash(ConnectionId id, uint32_t& reported, uint32_t& resynced, const HashReport& m,
                      ServerLink& link) {
  reported = std::max(reported, m.frame);
  // Reports of a World the member has since replaced, and of frames the
  // server keeps no hash for, say nothing.
  if (m.frame <= resynced || m.frame % kHashEvery != 0 || ended_) return;
  Check& check = checks_[(m.frame / kHashEvery) % kChecks];
  if (simulation_ == nullptr) {
    // Without a World of its own the server takes the first report of a
    // frame as the one the others must match.
    if (check.frame < m.frame) {
      check = Check{m.frame, m.hash};
    } else if (check.frame == m.frame && check.hash != m.hash) {
      ++desyncs_;
    }
    return;
  }
  if (check.frame != m.frame || check.hash == m.hash) return;
  ++desyncs_;
  out_.clear();
  append_message(out_, Desync{m.frame, check.hash, m.hash});
  link.send(id, out_);
  send_snapshot(id, link);
  resynced = last_closed();
}

void Room::heard(ConnectionId id, int64_t now_ms) {
  for (Seat& seat : seats_) {
    if (seat.state == SeatState::kPlayer && seat.id == id) seat.heard_ms = now_ms;
  }
}

std::optional<Reason> Room::chat(ConnectionId id, const Chat& m, int64_t now_ms, ServerLink& link,
                                 std::vector<Dropped>& dropped) {
  ChatLine line;
  line.text = clean_text(m.text, kMaxChatChars);
  for (size_t s = 0; s < seats_.size(); ++s) {
    if (seats_[s].state == SeatState::kPlayer && seats_[s].id == id) {
      line.from = static_cast<uint8_t>(s);
      line.name = seats_[s].name;
    }
  }
  for (const Watcher& watcher : watchers_) {
    if (watcher.id == id) {
      line.from = kFromSpectator;
      line.name = watcher.name;
    }
  }
  if (line.name.empty()) return Reason::kOutOfTurn;
  // A line of nothing but control characters says nothing.
  if (line.text.empty()) return std::nullopt;
  out_.clear();
  append_message(out_, line);
  send_all(now_ms, link, dropped);
  return std::nullopt;
}

std::optional<Reason> Room::pause(ConnectionId id, const Pause& m, int64_t now_ms,
                                  ServerLink& link) {
  int side = -1;
  for (size_t s = 0; s < seats_.size(); ++s) {
    if (seats_[s].state == SeatState::kPlayer && seats_[s].id == id) side = static_cast<int>(s);
  }
  if (side < 0) {
    const bool watching = std::any_of(watchers_.begin(), watchers_.end(),
                                      [id](const Watcher& w) { return w.id == id; });
    if (!watching) return Reason::kOutOfTurn;
    refuse(id, "spectators cannot pause the game", link);
    return std::nullopt;
  }
  if (!started_ || ended_) {
    refuse(id, "the game is not running", link);
    return std::nullopt;
  }
  Seat& seat = seats_[side];
  if (m.pause) {
    // Asking again while paused, or twice before the frame, changes nothing.
    if (paused_ || pause_wanted_ >= 0) return std::nullopt;
    if (seat.pauses >= kMaxPauses) {
      refuse(id, "you have paused this game 3 times, as often as a player may", link);
      return std::nullopt;
    }
    ++seat.pauses;
    pause_wanted_ = side;
    return std::nullopt;
  }
  if (!paused_ || resume_at_ms_ != INT64_MAX) return std::nullopt;
  // The one who paused resumes; when that player has gone, anyone may, or
  // the game would wait for nobody.
  const Seat& pauser = seats_[paused_by_];
  if (side != paused_by_ && pauser.state == SeatState::kPlayer) {
    refuse(id, pauser.name + " paused the game; only " + pauser.name + " can resume it", link);
    return std::nullopt;
  }
  resume_at_ms_ = now_ms + kResumeMs;
  out_.clear();
  append_message(out_, Paused{true, paused_by_, paused_after_, kResumeMs});
  // A slow member is let go at the next frame.
  for (const Seat& s : seats_) {
    if (s.state == SeatState::kPlayer) link.send(s.id, out_);
  }
  for (const Watcher& w : watchers_) link.send(w.id, out_);
  return std::nullopt;
}

void Room::refuse(ConnectionId id, const std::string& why, ServerLink& link) {
  out_.clear();
  append_message(out_, Refused{why});
  link.send(id, out_);
}

void Room::resume(int64_t now_ms) {
  paused_ = false;
  resume_at_ms_ = INT64_MAX;
  resuming_ = static_cast<uint8_t>(1u << paused_by_);
  // The frames' clock starts again now: the time paused is not caught up.
  start_ms_ = now_ms - int64_t{next_frame_} * timing_.frame_ms;
}

void Room::leave(ConnectionId id, int64_t now_ms) {
  for (size_t s = 0; s < seats_.size(); ++s) {
    Seat& seat = seats_[s];
    if (seat.state != SeatState::kPlayer || seat.id != id) continue;
    seat.id = 0;
    seat.inputs.clear();
    roster_changed_ = true;
    if (in_lobby()) {
      // A player who leaves the lobby frees the side; the host's leaving
      // ends the room.
      seat.state = SeatState::kOpen;
      seat.token = Token{};
      seat.name.clear();
      seat.ready = false;
      seat.rtt_ms = 0;
      lobby_changed_ = true;
      if (static_cast<int>(s) == host_side_) host_left_ = true;
    } else if (started_) {
      seat.state = SeatState::kAway;
      hand_over(static_cast<int>(s), false);
    } else {
      // Before the start a side is simply open again, for anyone.
      seat.state = SeatState::kOpen;
      seat.token = Token{};
      seat.name.clear();
    }
  }
  if (std::erase_if(watchers_, [id](const Watcher& w) { return w.id == id; }) > 0) {
    roster_changed_ = true;
    lobby_changed_ = true;
  }
  if (!anyone_in()) empty_since_ms_ = now_ms;
}

bool Room::anyone_in() const {
  return !watchers_.empty() || std::any_of(seats_.begin(), seats_.end(), [](const Seat& s) {
    return s.state == SeatState::kPlayer;
  });
}

void Room::drop_member(ConnectionId id, Reason reason, int64_t now_ms,
                       std::vector<Dropped>& dropped) {
  leave(id, now_ms);
  dropped.push_back(Dropped{id, reason});
}

void Room::tick(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped,
                Lateness& lateness) {
  send_roster(now_ms, link, dropped);
  report_lag(now_ms, link, dropped);
  if (paused_ && now_ms >= resume_at_ms_) resume(now_ms);
  while (now_ms >= next_due_ms()) {
    lateness.add(now_ms - next_due_ms());
    close_frame(now_ms, link, dropped);
  }
  if (in_lobby()) {
    send_lobby(now_ms, link, dropped);
    return;
  }
  // While paused nobody falls behind.
  if (!started_ || ended_ || paused_) return;
  const uint32_t behind_frames =
      static_cast<uint32_t>(std::max(timing_.behind_ms / timing_.frame_ms, 1));
  for (Seat& seat : seats_) {
    const uint32_t progress = seat.reports ? seat.reported : seat.sent;
    if (seat.state == SeatState::kPlayer && progress < last_closed() &&
        last_closed() - progress > behind_frames && now_ms - seat.heard_ms < timing_.alive_ms) {
      drop_member(seat.id, Reason::kBehind, now_ms, dropped);
    }
  }
}

void Room::close_frame(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped) {
  Frame frame;
  frame.frame = next_frame_;
  std::array<uint32_t, kSides> late{};
  for (size_t s = 0; s < seats_.size(); ++s) {
    if (seats_[s].state != SeatState::kPlayer) continue;
    const SideInputs::Closed closed = seats_[s].inputs.close(frame.frame);
    frame.input.keys[s] = closed.keys;
    late[s] = closed.late_frame;
  }
  frame.input.to_computer = handovers_.to_computer;
  frame.input.to_human = handovers_.to_human;
  handovers_ = Handovers{};
  frame.input.resume = resuming_;
  if (pause_wanted_ >= 0) frame.input.pause = static_cast<uint8_t>(1u << pause_wanted_);
  ++next_frame_;

  out_.clear();
  append_message(out_, frame);
  for (size_t s = 0; s < seats_.size(); ++s) {
    // A late input tells its player to send further ahead.
    if (late[s] != 0) append_message(out_, Late{late[s], frame.frame});
  }
  if (simulation_ != nullptr) {
    simulation_->run_frame(frame.input);
    if (frame.frame % kHashEvery == 0) {
      checks_[(frame.frame / kHashEvery) % kChecks] = Check{frame.frame, simulation_->hash()};
    }
  }
  if (resuming_ != 0) {
    append_message(out_, Paused{});
    resuming_ = 0;
  }
  if (pause_wanted_ >= 0) {
    paused_ = true;
    paused_by_ = static_cast<uint8_t>(pause_wanted_);
    paused_after_ = frame.frame;
    pause_wanted_ = -1;
    append_message(out_, Paused{true, paused_by_, paused_after_, 0});
  }
  const bool last = create_.last_frame != 0 && frame.frame >= create_.last_frame;
  if (last || one_side_left()) {
    append_message(out_, End{frame.frame, simulation_ ? simulation_->hash() : 0});
    // A lobby's game goes back to the lobby; only the host's leaving ends
    // the room.
    if (lobby_room_) {
      send_all(now_ms, link, dropped);
      back_to_lobby();
      return;
    }
    ended_ = true;
  }
  send_all(now_ms, link, dropped);
}

void Room::send_all(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped) {
  // Collected first: dropping a member changes the lists.
  std::array<ConnectionId, kSides> slow_players{};
  for (size_t s = 0; s < seats_.size(); ++s) {
    if (seats_[s].state == SeatState::kPlayer && !link.send(seats_[s].id, out_)) {
      slow_players[s] = seats_[s].id;
    }
  }
  for (ConnectionId id : slow_players) {
    if (id != 0) drop_member(id, Reason::kTooSlow, now_ms, dropped);
  }
  for (size_t i = 0; i < watchers_.size();) {
    if (link.send(watchers_[i].id, out_)) {
      ++i;
    } else {
      drop_member(watchers_[i].id, Reason::kTooSlow, now_ms, dropped);
    }
  }
}

void Room::report_lag(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped) {
  for (size_t s = 0; s < seats_.size(); ++s) {
    Seat& seat = seats_[s];
    if (seat.state != SeatState::kPlayer) {
      // Gone: the roster says so.
      seat.lag_shown = -1;
      continue;
    }
    const int64_t silent = now_ms - seat.heard_ms;
    Lag lag{static_cast<uint8_t>(s), false, 0};
    if (silent >= timing_.lag_ms) {
      // Rounded up: "1 second left" until the very end.
      const int64_t left = std::max<int64_t>(timing_.silent_ms - silent + 999, 0) / 1000;
      lag.waiting = true;
      lag.seconds_left = static_cast<uint8_t>(std::min<int64_t>(left, 255));
      if (lag.seconds_left == seat.lag_shown) continue;
      seat.lag_shown = lag.seconds_left;
    } else if (seat.lag_shown >= 0) {
      seat.lag_shown = -1;
    } else {
      continue;
    }
    out_.clear();
    append_message(out_, lag);
    send_all(now_ms, link, dropped);
  }
}

Roster Room::roster() const {
  Roster roster;
  for (size_t s = 0; s < seats_.size(); ++s) {
    roster.seats[s].state = seats_[s].state;
    roster.seats[s].name = seats_[s].name;
  }
  roster.spectators = static_cast<uint16_t>(std::min<size_t>(watchers_.size(), UINT16_MAX));
  return roster;
}

void Room::send_roster(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped) {
  // The lobby says who is in it; the roster waits for the game.
  if (!roster_changed_ || in_lobby()) return;
  roster_changed_ = false;
  const Roster now = roster();
  if (simulation_ != nullptr) simulation_->roster_changed(now);
  out_.clear();
  append_message(out_, now);
  send_all(now_ms, link, dropped);
}

int64_t Room::next_due_ms() const {
  if (!started_ || ended_) return INT64_MAX;
  if (paused_) return resume_at_ms_;
  return start_ms_ + int64_t{next_frame_} * timing_.frame_ms;
}

bool Room::over(int64_t now_ms) const {
  return ended_ || host_left_ || (!anyone_in() && now_ms - empty_since_ms_ >= timing_.empty_ms);
}

void Room::members(std::vector<ConnectionId>& out) const {
  for (const Seat& seat : seats_) {
    if (seat.state == SeatState::kPlayer) out.push_back(seat.id);
  }
  for (const Watcher& watcher : watchers_) out.push_back(watcher.id);
}

}  // namespace quarvex::net
