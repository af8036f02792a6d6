// A room's lobby: the host chooses the stage and what each side is, the
// players take open sides and mark themselves ready, and the host starts
// the game. After a game's end the room comes back here with the same
// members (play again).

#include <algorithm>
#include <bit>
#include <climits>

#include "net/codec.h"
#include "net/player_text.h"
#include "net/room.h"

namespace quarvex::net {

namespace {

// Side numbers as players see them: 1..4.
std::string side_text(int side) {
  std::string text = "side ";
  text += static_cast<char>('1' + side);
  return text;
}

}  // namespace

int Room::side_of(ConnectionId id) const {
  for (size_t s = 0; s < seats_.size(); ++s) {
    if (seats_[s].state == SeatState::kPlayer && seats_[s].id == id) return static_cast<int>(s);
  }
  return -1;
}

bool Room::watching(ConnectionId id) const {
  return std::any_of(watchers_.begin(), watchers_.end(),
                     [id](const Watcher& w) { return w.id == id; });
}

void Room::seat_player(int side, ConnectionId id, const std::string& name, const Token& token,
                       int64_t now_ms) {
  Seat& seat = seats_[side];
  seat.state = SeatState::kPlayer;
  seat.name = name;
  seat.id = id;
  seat.token = token;
  seat.ready = false;
  seat.lag_shown = -1;
  seat.inputs.clear();
  seat.reported = seat.resynced = seat.sent = 0;
  seat.reports = false;
  seat.heard_ms = now_ms;
  roster_changed_ = true;
  lobby_changed_ = true;
}

void Room::clear_ready() {
  for (Seat& seat : seats_) seat.ready = false;
}

std::optional<Reason> Room::join_lobby(ConnectionId id, const Join& join, RandomSource& random,
                                       int64_t now_ms, ServerLink& link, std::string& why) {
  uint8_t side = join.side;
  if (!side_for_join(side, why)) return Reason::kFull;
  switch (seats_[side].state) {
    case SeatState::kOpen:
      break;
    case SeatState::kPlayer:
    case SeatState::kAway:
      return Reason::kSideTaken;
    case SeatState::kComputer:
    case SeatState::kClosed:
      return Reason::kSideNotOpen;
  }
  seat_player(side, id, player_name(join.name, side), make_token(random), now_ms);
  if (host_side_ < 0 && id == creator_) host_side_ = side;
  welcome(id, Role::kPlayer, side, seats_[side].token, link);
  return std::nullopt;
}

std::optional<Reason> Room::setup_lobby(ConnectionId id, const LobbySetup& m, ServerLink& link) {
  const int side = side_of(id);
  if (side < 0 && !watching(id)) return Reason::kOutOfTurn;
  if (!in_lobby()) {
    refuse(id, "the game has begun", link);
    return std::nullopt;
  }
  if (side != host_side_) {
    refuse(id, "only the host chooses the stage and the sides", link);
    return std::nullopt;
  }
  // A side a player holds stays that player's: a setup that would take it
  // is turned down whole.
  for (size_t s = 0; s < seats_.size(); ++s) {
    if (seats_[s].state == SeatState::kPlayer && m.seats[s] != SeatChoice::kOpen) {
      refuse(id, seats_[s].name + " holds " + side_text(static_cast<int>(s)), link);
      return std::nullopt;
    }
  }
  bool changed = m.stage != stage_;
  stage_ = m.stage;
  for (size_t s = 0; s < seats_.size(); ++s) {
    Seat& seat = seats_[s];
    if (seat.state == SeatState::kPlayer) continue;
    const SeatState state = m.seats[s] == SeatChoice::kOpen       ? SeatState::kOpen
                            : m.seats[s] == SeatChoice::kComputer ? SeatState::kComputer
                                                                  : SeatState::kClosed;
    changed = changed || seat.state != state;
    seat.state = state;
    seat.choice = m.seats[s];
  }
  // The players agreed to another game than this one.
  if (changed) {
    clear_ready();
    lobby_changed_ = true;
  }
  return std::nullopt;
}

std::optional<Reason> Room::take_side(ConnectionId id, const TakeSide& m, RandomSource& random,
                                      ServerLink& link) {
  const int from = side_of(id);
  const auto watcher = std::find_if(watchers_.begin(), watchers_.end(),
                                    [id](const Watcher& w) { return w.id == id; });
  if (from < 0 && watcher == watchers_.end()) return Reason::kOutOfTurn;
  if (!in_lobby()) {
    refuse(id, "the game has begun", link);
    return std::nullopt;
  }
  if (from == m.side) return std::nullopt;
  if (seats_[m.side].state != SeatState::kOpen) {
    refuse(id, side_text(m.side) + " is not open", link);
    return std::nullopt;
  }
  if (from >= 0) {
    Seat& old = seats_[from];
    const int64_t heard = old.heard_ms;
    seat_player(m.side, id, player_name(old.name, m.side), old.token, heard);
    seats_[m.side].rtt_ms = old.rtt_ms;
    old.state = SeatState::kOpen;
    old.id = 0;
    old.name.clear();
    old.token = Token{};
    old.ready = false;
    old.rtt_ms = 0;
    if (from == host_side_) host_side_ = m.side;
  } else {
    const Watcher w = *watcher;
    watchers_.erase(watcher);
    seat_player(m.side, id, player_name(w.name, m.side), make_token(random), 0);
    seats_[m.side].rtt_ms = w.rtt_ms;
  }
  welcome(id, Role::kPlayer, m.side, seats_[m.side].token, link);
  return std::nullopt;
}

std::optional<Reason> Room::ready(ConnectionId id, const Ready& m, ServerLink& link) {
  const int side = side_of(id);
  if (side < 0) {
    if (!watching(id)) return Reason::kOutOfTurn;
    refuse(id, "spectators have no ready mark", link);
    return std::nullopt;
  }
  if (!in_lobby()) return std::nullopt;  // a mark sent as the game began
  if (seats_[side].ready != m.ready) lobby_changed_ = true;
  seats_[side].ready = m.ready;
  return std::nullopt;
}

std::optional<Reason> Room::start(ConnectionId id, RandomSource& random, int64_t now_ms,
                                  ServerLink& link) {
  const int side = side_of(id);
  if (side < 0 && !watching(id)) return Reason::kOutOfTurn;
  if (!in_lobby()) {
    refuse(id, "the game has begun", link);
    return std::nullopt;
  }
  if (side != host_side_) {
    refuse(id, "only the host starts the game", link);
    return std::nullopt;
  }
  uint8_t humans = 0;
  uint8_t closed = 0;
  for (size_t s = 0; s < seats_.size(); ++s) {
    const Seat& seat = seats_[s];
    if (seat.state == SeatState::kPlayer) {
      if (!seat.ready && static_cast<int>(s) != host_side_) {
        refuse(id, seat.name + " is not ready", link);
        return std::nullopt;
      }
      humans = static_cast<uint8_t>(humans | (1u << s));
    }
    if (seat.state == SeatState::kClosed) closed = static_cast<uint8_t>(closed | (1u << s));
  }
  // A side alone has won before it begins.
  if (kSides - std::popcount(closed) < 2) {
    refuse(id, "a game needs two sides that take part", link);
    return std::nullopt;
  }
  // Every game of a room is a new one: a fresh seed.
  std::array<uint8_t, 4> bytes{};
  random.fill(bytes);
  const uint32_t seed = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                        uint32_t{bytes[3]} << 24;
  std::unique_ptr<Simulation> simulation;
  if (factory_ != nullptr) {
    simulation = factory_->start(GameSetup{stage_, seed, humans, closed}, code_);
    if (simulation == nullptr) {
      refuse(id, "the server cannot set up this game", link);
      return std::nullopt;
    }
  }
  simulation_ = std::move(simulation);
  seed_ = seed;
  human_sides_ = humans;
  closed_sides_ = closed;
  // An open side nobody took is the computer's for this game.
  for (Seat& seat : seats_) {
    if (seat.state == SeatState::kOpen) seat.state = SeatState::kComputer;
    seat.inputs.clear();
    seat.reported = seat.resynced = seat.sent = 0;
    seat.reports = false;
    seat.pauses = 0;
    seat.lag_shown = -1;
  }
  for (Watcher& w : watchers_) w.reported = w.resynced = 0;
  started_ = true;
  start_ms_ = now_ms;
  next_frame_ = 1;
  handovers_ = Handovers{};
  checks_.fill(Check{});
  pause_wanted_ = -1;
  paused_ = false;
  resume_at_ms_ = INT64_MAX;
  resuming_ = 0;
  roster_changed_ = true;
  for (size_t s = 0; s < seats_.size(); ++s) {
    if (seats_[s].state == SeatState::kPlayer) {
      welcome(seats_[s].id, Role::kPlayer, static_cast<uint8_t>(s), seats_[s].token, link);
    }
  }
  for (const Watcher& w : watchers_) welcome(w.id, Role::kSpectator, 0, Token{}, link);
  return std::nullopt;
}

void Room::back_to_lobby() {
  ++games_played_;
  started_ = false;
  simulation_.reset();
  for (size_t s = 0; s < seats_.size(); ++s) {
    Seat& seat = seats_[s];
    seat.ready = false;
    seat.inputs.clear();
    if (seat.state == SeatState::kPlayer) continue;
    // A player gone during the game has freed the side; the others are
    // again what the host chose.
    seat.state = seat.choice == SeatChoice::kOpen       ? SeatState::kOpen
                 : seat.choice == SeatChoice::kComputer ? SeatState::kComputer
                                                        : SeatState::kClosed;
    seat.id = 0;
    seat.name.clear();
    seat.token = Token{};
    seat.rtt_ms = 0;
  }
  // Without its host the room has no one to start the next game.
  if (host_side_ < 0 || seats_[host_side_].state != SeatState::kPlayer) host_left_ = true;
  lobby_changed_ = true;
  roster_changed_ = true;
}

void Room::round_trip(ConnectionId id, uint16_t rtt_ms) {
  for (Seat& seat : seats_) {
    if (seat.state == SeatState::kPlayer && seat.id == id && seat.rtt_ms != rtt_ms) {
      seat.rtt_ms = rtt_ms;
      rtt_changed_ = true;
    }
  }
  for (Watcher& w : watchers_) {
    if (w.id == id) w.rtt_ms = rtt_ms;
  }
}

Lobby Room::lobby() const {
  Lobby lobby;
  lobby.stage = stage_;
  for (size_t s = 0; s < seats_.size(); ++s) {
    Lobby::Seat& out = lobby.seats[s];
    out.state = seats_[s].state;
    if (out.state == SeatState::kPlayer) {
      out.name = seats_[s].name;
      out.ready = seats_[s].ready;
      out.rtt_ms = seats_[s].rtt_ms;
    }
  }
  lobby.host_side = static_cast<uint8_t>(std::max(host_side_, 0));
  lobby.spectators = static_cast<uint16_t>(std::min<size_t>(watchers_.size(), UINT16_MAX));
  lobby.games_played = games_played_;
  return lobby;
}

void Room::send_lobby(int64_t now_ms, ServerLink& link, std::vector<Dropped>& dropped) {
  // Nothing to show before the host is in.
  if (!in_lobby() || host_side_ < 0 || host_left_) return;
  const bool rtt_due = rtt_changed_ && now_ms - lobby_sent_ms_ >= 1000;
  if (!lobby_changed_ && !rtt_due) return;
  lobby_changed_ = rtt_changed_ = false;
  lobby_sent_ms_ = now_ms;
  out_.clear();
  append_message(out_, lobby());
  send_all(now_ms, link, dropped);
}

bool Room::one_side_left() const {
  return lobby_room_ && simulation_ != nullptr && simulation_->sides_present() <= 1;
}

}  // namespace quarvex::net
