#include "net/server_core.h"

#include <algorithm>
#include <climits>

#include "net/codec.h"

namespace quarvex::net {

namespace {

// A burst of this many seconds' worth of messages is let through: a client
// whose frames were held up (a stalled link, a starved machine) sends the
// inputs of all of them at once when they arrive.
constexpr int32_t kBurstSeconds = 5;
// Silent connections are looked for this often.
constexpr int64_t kSweepMs = 250;

bool is_fault(Reason reason) {
  switch (reason) {
    case Reason::kMalformed:
    case Reason::kTooLarge:
    case Reason::kTooFrequent:
    case Reason::kOutOfTurn:
    case Reason::kTooManyWrongCodes:
      return true;
    default:
      return false;
  }
}

std::string code_text(const JoinCode& code) {
  return std::string(code.begin(), code.end());
}

}  // namespace

uint32_t code_key(const JoinCode& code) {
  uint32_t key = 0;
  for (char c : code) key = key * 26 + static_cast<uint32_t>(c - 'A');
  return key + 1;
}

ServerCore::ServerCore(const ServerSettings& settings, SimulationFactory* factory,
                       RandomSource& random)
    : settings_(settings),
      factory_(factory),
      random_(random),
      wrong_codes_(settings.wrong_codes_per_minute),
      creations_(settings.games_per_minute) {}

ServerCore::~ServerCore() = default;

const Room* ServerCore::game(const JoinCode& code) const {
  const auto it = rooms_.find(code_key(code));
  return it == rooms_.end() ? nullptr : it->second.get();
}

Room* ServerCore::room_of(const Connection& c) {
  if (c.room == 0) return nullptr;
  const auto it = rooms_.find(c.room);
  return it == rooms_.end() ? nullptr : it->second.get();
}

bool ServerCore::opened(ConnectionId id, const std::string& address, int64_t now_ms,
                        ServerLink& link) {
  if (connections_.size() >= static_cast<size_t>(std::max(settings_.max_clients, 0))) {
    out_.clear();
    append_message(out_, Goodbye{Reason::kFull, "the server has as many clients as it takes"});
    link.send(id, out_);
    link.close(id, reason_text(Reason::kFull));
    return false;
  }
  connections_.emplace(
      id, Connection{address,
                     MessageRate(settings_.messages_per_second,
                                 settings_.messages_per_second * kBurstSeconds, now_ms),
                     now_ms, 0});
  return true;
}

void ServerCore::received(ConnectionId id, std::span<const uint8_t> bytes, int64_t now_ms,
                          ServerLink& link) {
  const auto it = connections_.find(id);
  if (it == connections_.end()) return;
  Connection& c = it->second;
  c.heard_ms = now_ms;
  if (Room* room = room_of(c)) room->heard(id, now_ms);
  stats_.bytes_in += bytes.size();
  if (bytes.size() > static_cast<size_t>(std::max(settings_.max_message_bytes, 0))) {
    drop(id, Reason::kTooLarge, reason_text(Reason::kTooLarge), now_ms, link);
    return;
  }
  MessageReader<ClientMessage> reader(bytes);
  ClientMessage message;
  while (reader.next(message)) {
    ++stats_.messages_in;
    if (!c.rate.take(1, now_ms)) {
      drop(id, Reason::kTooFrequent, reason_text(Reason::kTooFrequent), now_ms, link);
      return;
    }
    handle(id, c, message, now_ms, link);
    // The message may have ended the connection.
    if (!connections_.contains(id)) return;
  }
  switch (reader.status()) {
    case DecodeStatus::kOk:
      return;
    case DecodeStatus::kWrongVersion:
      refuse_version(id, bytes, reader.version_seen(), now_ms, link);
      return;
    case DecodeStatus::kMalformed:
    case DecodeStatus::kWrongDirection:
      drop(id, Reason::kMalformed, std::string("sent ") + reader.what(), now_ms, link);
      return;
  }
}

void ServerCore::handle(ConnectionId id, Connection& c, const ClientMessage& m, int64_t now_ms,
                        ServerLink& link) {
  Room* room = room_of(c);
  std::optional<Reason> fault;
  if (const auto* create = std::get_if<Create>(&m)) {
    if (room != nullptr) {
      fault = Reason::kOutOfTurn;
    } else {
      create_game(id, c, *create, now_ms, link);
    }
  } else if (const auto* join = std::get_if<Join>(&m)) {
    if (room != nullptr) {
      fault = Reason::kOutOfTurn;
    } else {
      join_game(id, c, *join, now_ms, link);
    }
  } else if (const auto* input = std::get_if<Input>(&m)) {
    fault = room ? room->input(id, *input) : Reason::kOutOfTurn;
  } else if (const auto* report = std::get_if<HashReport>(&m)) {
    fault = room ? room->report_hash(id, *report, link) : Reason::kOutOfTurn;
  } else if (const auto* ping = std::get_if<Ping>(&m)) {
    if (room != nullptr) room->round_trip(id, ping->rtt_ms);
    out_.clear();
    append_message(out_, Pong{ping->id});
    link.send(id, out_);
  } else if (const auto* chat = std::get_if<Chat>(&m)) {
    dropped_.clear();
    fault = room ? room->chat(id, *chat, now_ms, link, dropped_) : Reason::kOutOfTurn;
    drop_all(dropped_, now_ms, link);
    if (!connections_.contains(id)) return;
  } else if (const auto* pause = std::get_if<Pause>(&m)) {
    fault = room ? room->pause(id, *pause, now_ms, link) : Reason::kOutOfTurn;
  } else if (const auto* setup = std::get_if<LobbySetup>(&m)) {
    fault = room ? room->setup_lobby(id, *setup, link) : Reason::kOutOfTurn;
  } else if (const auto* take = std::get_if<TakeSide>(&m)) {
    fault = room ? room->take_side(id, *take, random_, link) : Reason::kOutOfTurn;
  } else if (const auto* ready = std::get_if<Ready>(&m)) {
    fault = room ? room->ready(id, *ready, link) : Reason::kOutOfTurn;
  } else if (std::holds_alternative<Start>(m)) {
    fault = room ? room->start(id, random_, now_ms, link) : Reason::kOutOfTurn;
  } else if (std::holds_alternative<Leave>(m)) {
    drop(id, Reason::kLeft, reason_text(Reason::kLeft), now_ms, link);
  }
  if (fault) drop(id, *fault, reason_text(*fault), now_ms, link);
}

void ServerCore::create_game(ConnectionId id, Connection& c, const Create& m, int64_t now_ms,
                             ServerLink& link) {
  if (rooms_.size() >= static_cast<size_t>(std::max(settings_.max_games, 0))) {
    drop(id, Reason::kFull, "the server has as many games as it takes", now_ms, link);
    return;
  }
  if (!creations_.allowed(c.address, now_ms)) {
    drop(id, Reason::kTooFrequent, "too many games created from this address; wait a minute",
         now_ms, link);
    return;
  }
  creations_.count(c.address, now_ms);
  JoinCode code = make_join_code(random_);
  while (rooms_.contains(code_key(code))) code = make_join_code(random_);
  std::unique_ptr<Simulation> simulation;
  // A lobby's World is made when the host starts each game.
  if (factory_ != nullptr && !m.lobby) {
    simulation = factory_->start(GameSetup{m.stage, m.seed, m.human_sides}, code);
    if (simulation == nullptr) {
      drop(id, Reason::kFull, "the server cannot set up this game", now_ms, link);
      return;
    }
  }
  auto room = std::make_unique<Room>(code, m, room_timing(), std::move(simulation), now_ms);
  room->created_by(id);
  room->simulate_with(factory_);
  rooms_.emplace(code_key(code), std::move(room));
  if (observer_ != nullptr) observer_->game_created(code);
  out_.clear();
  append_message(out_, Created{code});
  link.send(id, out_);
}

RoomTiming ServerCore::room_timing() const {
  RoomTiming timing = settings_.room;
  timing.silent_ms = settings_.silence_ms;
  return timing;
}

void ServerCore::join_game(ConnectionId id, Connection& c, const Join& m, int64_t now_ms,
                           ServerLink& link) {
  if (!wrong_codes_.allowed(c.address, now_ms)) {
    drop(id, Reason::kTooManyWrongCodes, reason_text(Reason::kTooManyWrongCodes), now_ms, link);
    return;
  }
  const auto it = rooms_.find(code_key(m.code));
  if (it == rooms_.end()) {
    wrong_codes_.count(c.address, now_ms);
    drop(id, Reason::kWrongCode, "no game has the code " + code_text(m.code), now_ms, link);
    return;
  }
  std::string why;
  dropped_.clear();
  const std::optional<Reason> refused =
      it->second->join(id, m, random_, now_ms, link, dropped_, why);
  if (refused) {
    drop(id, *refused, why.empty() ? reason_text(*refused) : why, now_ms, link, false);
    return;
  }
  c.room = it->first;
  // A player back on a new connection: the old one goes without handing
  // the side over.
  for (const Dropped& d : dropped_) {
    drop(d.id, d.reason,
         d.reason == Reason::kLeft ? "replaced by a new connection of the same player"
                                   : reason_text(d.reason),
         now_ms, link, false);
  }
}

void ServerCore::refuse_version(ConnectionId id, std::span<const uint8_t> bytes, uint8_t version,
                                int64_t now_ms, ServerLink& link) {
  // A client of another version is told which quarvex the game wants, in a
  // GOODBYE of its own protocol version, which it can read.
  std::string why = "protocol version " + std::to_string(version) + "; this server speaks " +
                    std::to_string(kProtocolVersion);
  if (const std::optional<OldHello> hello = read_old_hello(bytes)) {
    const Room* room = hello->code ? game(*hello->code) : nullptr;
    why = room != nullptr
              ? version_mismatch_text(room->host_name(), room->version(), hello->version)
              : std::string(version < kProtocolVersion ? "the server runs a newer quarvex"
                                                       : "the server runs an older quarvex") +
                    "; you have " + hello->version;
  }
  const auto it = connections_.find(id);
  if (it == connections_.end()) return;
  if (Room* room = room_of(it->second)) room->leave(id, now_ms);
  connections_.erase(it);
  ++stats_.faults;
  out_.clear();
  append_goodbye(out_, Goodbye{Reason::kVersionMismatch, why}, version);
  link.send(id, out_);
  link.close(id, why);
}

void ServerCore::drop(ConnectionId id, Reason reason, const std::string& why, int64_t now_ms,
                      ServerLink& link, bool leave_room) {
  const auto it = connections_.find(id);
  if (it == connections_.end()) return;
  if (leave_room) {
    if (Room* room = room_of(it->second)) room->leave(id, now_ms);
  }
  connections_.erase(it);
  if (is_fault(reason)) ++stats_.faults;
  out_.clear();
  append_message(out_, Goodbye{reason, why});
  link.send(id, out_);
  link.close(id, why);
}

void ServerCore::too_large(ConnectionId id, int64_t now_ms, ServerLink& link) {
  drop(id, Reason::kTooLarge, reason_text(Reason::kTooLarge), now_ms, link);
}

void ServerCore::closed(ConnectionId id, int64_t now_ms) {
  const auto it = connections_.find(id);
  if (it == connections_.end()) return;
  if (Room* room = room_of(it->second)) room->leave(id, now_ms);
  connections_.erase(it);
}

void ServerCore::drop_all(std::vector<Dropped>& dropped, int64_t now_ms, ServerLink& link) {
  // The room has already handed the sides over.
  for (const Dropped& d : dropped) drop(d.id, d.reason, reason_text(d.reason), now_ms, link, false);
  dropped.clear();
}

void ServerCore::tick(int64_t now_ms, ServerLink& link) {
  for (auto it = rooms_.begin(); it != rooms_.end();) {
    Room& room = *it->second;
    dropped_.clear();
    const uint64_t before = room.last_closed();
    room.tick(now_ms, link, dropped_, stats_.lateness);
    stats_.frames_closed += room.last_closed() - before;
    drop_all(dropped_, now_ms, link);
    if (!room.over(now_ms)) {
      ++it;
      continue;
    }
    stats_.desyncs += room.desyncs();
    if (observer_ != nullptr) {
      observer_->game_closed(room.code(), room.last_closed(), room.hash(), room.ended());
    }
    members_.clear();
    room.members(members_);
    const Reason reason = room.end_reason();
    for (ConnectionId id : members_) drop(id, reason, reason_text(reason), now_ms, link, false);
    it = rooms_.erase(it);
  }
  if (now_ms - last_sweep_ms_ < kSweepMs) return;
  last_sweep_ms_ = now_ms;
  members_.clear();
  for (const auto& [id, c] : connections_) {
    if (now_ms - c.heard_ms >= settings_.silence_ms) members_.push_back(id);
  }
  for (ConnectionId id : members_) {
    drop(id, Reason::kSilent, reason_text(Reason::kSilent), now_ms, link);
  }
}

int64_t ServerCore::next_tick_ms(int64_t now_ms) const {
  int64_t next = now_ms + kSweepMs;
  for (const auto& [key, room] : rooms_) next = std::min(next, room->next_due_ms());
  return next;
}

void ServerCore::stop(ServerLink& link) {
  members_.clear();
  for (const auto& [id, c] : connections_) members_.push_back(id);
  for (ConnectionId id : members_) {
    drop(id, Reason::kServerStopping, reason_text(Reason::kServerStopping), 0, link, false);
  }
  rooms_.clear();
}

}  // namespace quarvex::net
