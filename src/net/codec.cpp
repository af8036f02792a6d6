#include "net/codec.h"

#include <algorithm>
#include <type_traits>

#include "net/byte_io.h"
#include "net/player_text.h"

namespace quarvex::net {

namespace {

// ---- writing

// Writes the header with a zero length, which finish() fills in.
size_t begin(ByteWriter& w, MessageType type, uint8_t version = kProtocolVersion) {
  w.u8(static_cast<uint8_t>(type));
  w.u8(version);
  const size_t length_at = w.size();
  w.u32(0);
  return length_at;
}

void finish(ByteWriter& w, size_t length_at) {
  w.patch_u32(length_at, static_cast<uint32_t>(w.size() - length_at - 4));
}

void put_text(ByteWriter& w, const std::string& text, size_t limit) {
  const size_t n = std::min(text.size(), limit);
  w.u8(static_cast<uint8_t>(n));
  w.bytes({reinterpret_cast<const uint8_t*>(text.data()), n});
}

// A chat line may need more than 255 bytes: its length takes two.
void put_line(ByteWriter& w, const std::string& text) {
  const size_t n = std::min(text.size(), max_text_bytes(kMaxChatChars));
  w.u16(static_cast<uint16_t>(n));
  w.bytes({reinterpret_cast<const uint8_t*>(text.data()), n});
}

void put_code(ByteWriter& w, const JoinCode& code) {
  for (char c : code) w.u8(static_cast<uint8_t>(c));
}

void body(ByteWriter& w, const Create& m) {
  w.u8(m.stage);
  w.u32(m.seed);
  w.u8(m.human_sides);
  w.u32(m.last_frame);
  put_text(w, m.version, kMaxVersionText);
  put_text(w, m.name, max_text_bytes(kMaxNameChars));
  // After the version, which every protocol keeps at the same place.
  w.u8(m.lobby ? 1 : 0);
}
void body(ByteWriter& w, const Join& m) {
  put_code(w, m.code);
  w.u8(static_cast<uint8_t>(m.role));
  w.u8(m.side);
  w.bytes(m.token);
  put_text(w, m.version, kMaxVersionText);
  put_text(w, m.name, max_text_bytes(kMaxNameChars));
}
void body(ByteWriter& w, const Input& m) {
  w.u32(m.frame);
  w.u16(m.keys);
}
void body(ByteWriter& w, const HashReport& m) {
  w.u32(m.frame);
  w.u64(m.hash);
}
void body(ByteWriter& w, const Ping& m) {
  w.u32(m.id);
  w.u16(m.rtt_ms);
}
void body(ByteWriter&, const Leave&) {}
void body(ByteWriter& w, const Pause& m) {
  w.u8(m.pause ? 1 : 0);
}
void body(ByteWriter& w, const Chat& m) {
  put_line(w, m.text);
}
void body(ByteWriter& w, const LobbySetup& m) {
  w.u8(m.stage);
  for (SeatChoice seat : m.seats) w.u8(static_cast<uint8_t>(seat));
}
void body(ByteWriter& w, const TakeSide& m) {
  w.u8(m.side);
}
void body(ByteWriter& w, const Ready& m) {
  w.u8(m.ready ? 1 : 0);
}
void body(ByteWriter&, const Start&) {}

void body(ByteWriter& w, const Created& m) {
  put_code(w, m.code);
}
void body(ByteWriter& w, const Welcome& m) {
  w.u8(static_cast<uint8_t>(m.role));
  w.u8(m.side);
  w.bytes(m.token);
  w.u8(m.stage);
  w.u32(m.seed);
  w.u8(m.human_sides);
  w.u32(m.last_frame);
  w.u16(m.frame_ms);
  w.u32(m.frame);
  w.u8(m.lobby ? 1 : 0);
  w.u8(m.closed_sides);
}
void body(ByteWriter& w, const Frame& m) {
  w.u32(m.frame);
  for (KeyMask keys : m.input.keys) w.u16(keys);
  w.u8(m.input.to_computer);
  w.u8(m.input.to_human);
  w.u8(m.input.pause);
  w.u8(m.input.resume);
}
void body(ByteWriter& w, const Snapshot& m) {
  w.u32(m.frame);
  w.bytes(m.world);
}
void body(ByteWriter& w, const Desync& m) {
  w.u32(m.frame);
  w.u64(m.server_hash);
  w.u64(m.client_hash);
}
void body(ByteWriter& w, const Pong& m) {
  w.u32(m.id);
}
void body(ByteWriter& w, const Late& m) {
  w.u32(m.frame);
  w.u32(m.placed);
}
void body(ByteWriter& w, const End& m) {
  w.u32(m.frame);
  w.u64(m.hash);
}
void body(ByteWriter& w, const Goodbye& m) {
  w.u8(static_cast<uint8_t>(m.reason));
  put_text(w, m.text, kMaxReasonText);
}
void body(ByteWriter& w, const Roster& m) {
  for (const Roster::Seat& seat : m.seats) {
    w.u8(static_cast<uint8_t>(seat.state));
    put_text(w, seat.name, max_text_bytes(kMaxNameChars));
  }
  w.u16(m.spectators);
}
void body(ByteWriter& w, const Paused& m) {
  w.u8(m.paused ? 1 : 0);
  w.u8(m.side);
  w.u32(m.frame);
  w.u16(m.resume_in_ms);
}
void body(ByteWriter& w, const Refused& m) {
  put_text(w, m.text, kMaxReasonText);
}
void body(ByteWriter& w, const Lobby& m) {
  w.u8(m.stage);
  for (const Lobby::Seat& seat : m.seats) {
    w.u8(static_cast<uint8_t>(seat.state));
    put_text(w, seat.name, max_text_bytes(kMaxNameChars));
    w.u8(seat.ready ? 1 : 0);
    w.u16(seat.rtt_ms);
  }
  w.u8(m.host_side);
  w.u16(m.spectators);
  w.u32(m.games_played);
}
void body(ByteWriter& w, const Lag& m) {
  w.u8(m.side);
  w.u8(m.waiting ? 1 : 0);
  w.u8(m.seconds_left);
}
void body(ByteWriter& w, const ChatLine& m) {
  w.u8(m.from);
  put_text(w, m.name, max_text_bytes(kMaxNameChars));
  put_line(w, m.text);
}

template <class T>
constexpr MessageType type_of() {
  if constexpr (std::is_same_v<T, Create>) return MessageType::kCreate;
  if constexpr (std::is_same_v<T, Join>) return MessageType::kJoin;
  if constexpr (std::is_same_v<T, Input>) return MessageType::kInput;
  if constexpr (std::is_same_v<T, HashReport>) return MessageType::kHash;
  if constexpr (std::is_same_v<T, Ping>) return MessageType::kPing;
  if constexpr (std::is_same_v<T, Leave>) return MessageType::kLeave;
  if constexpr (std::is_same_v<T, Chat>) return MessageType::kChat;
  if constexpr (std::is_same_v<T, Pause>) return MessageType::kPause;
  if constexpr (std::is_same_v<T, LobbySetup>) return MessageType::kLobbySetup;
  if constexpr (std::is_same_v<T, TakeSide>) return MessageType::kTakeSide;
  if constexpr (std::is_same_v<T, Ready>) return MessageType::kReady;
  if constexpr (std::is_same_v<T, Start>) return MessageType::kStart;
  if constexpr (std::is_same_v<T, Created>) return MessageType::kCreated;
  if constexpr (std::is_same_v<T, Welcome>) return MessageType::kWelcome;
  if constexpr (std::is_same_v<T, Frame>) return MessageType::kFrame;
  if constexpr (std::is_same_v<T, Snapshot>) return MessageType::kSnapshot;
  if constexpr (std::is_same_v<T, Desync>) return MessageType::kDesync;
  if constexpr (std::is_same_v<T, Pong>) return MessageType::kPong;
  if constexpr (std::is_same_v<T, Late>) return MessageType::kLate;
  if constexpr (std::is_same_v<T, End>) return MessageType::kEnd;
  if constexpr (std::is_same_v<T, Goodbye>) return MessageType::kGoodbye;
  if constexpr (std::is_same_v<T, Roster>) return MessageType::kRoster;
  if constexpr (std::is_same_v<T, ChatLine>) return MessageType::kChatLine;
  if constexpr (std::is_same_v<T, Lag>) return MessageType::kLag;
  if constexpr (std::is_same_v<T, Paused>) return MessageType::kPaused;
  if constexpr (std::is_same_v<T, Refused>) return MessageType::kRefused;
  if constexpr (std::is_same_v<T, Lobby>) return MessageType::kLobby;
}

template <class Variant>
void append_any(std::vector<uint8_t>& out, const Variant& message) {
  ByteWriter w(out);
  std::visit(
      [&w](const auto& m) {
        const size_t length_at = begin(w, type_of<std::decay_t<decltype(m)>>());
        body(w, m);
        finish(w, length_at);
      },
      message);
}

// ---- reading: each returns false when a value is out of its range; the
// reader's own failure (a body cut short) is checked by the caller.

bool get_text(ByteReader& r, size_t limit, std::string& out) {
  const size_t n = r.u8();
  if (n > limit) return false;
  const auto text = r.bytes(n);
  out.assign(reinterpret_cast<const char*>(text.data()), text.size());
  return true;
}

bool get_code(ByteReader& r, JoinCode& code) {
  const auto bytes = r.bytes(kCodeLength);
  if (bytes.size() != kCodeLength) return false;
  std::copy(bytes.begin(), bytes.end(), code.begin());
  return valid_code(code);
}

bool get_version(ByteReader& r, std::string& version) {
  return get_text(r, kMaxVersionText, version) &&
         valid_version_text({reinterpret_cast<const uint8_t*>(version.data()), version.size()});
}

bool get_line(ByteReader& r, std::string& out) {
  const size_t n = r.u16();
  if (n > max_text_bytes(kMaxChatChars)) return false;
  const auto text = r.bytes(n);
  out.assign(reinterpret_cast<const char*>(text.data()), text.size());
  return true;
}
// A name as a client typed it: only its length is checked here, the
// server cleans it before anyone else sees it.
bool get_typed_name(ByteReader& r, std::string& out) {
  return get_text(r, max_text_bytes(kMaxNameChars), out);
}
// What the server relays has been cleaned: anything else is refused.
bool get_clean_name(ByteReader& r, std::string& out) {
  return get_text(r, max_text_bytes(kMaxNameChars), out) && is_clean_text(out, kMaxNameChars);
}
bool get_clean_line(ByteReader& r, std::string& out) {
  return get_line(r, out) && is_clean_text(out, kMaxChatChars);
}

bool get_sides(uint8_t sides) {
  return (sides & ~0x0Fu) == 0;
}
// A networked game is a game of several humans: at least one side is a
// person's (a game of the computer alone would be a game of one player,
// another World).
bool get_player_sides(uint8_t sides) {
  return sides != 0 && get_sides(sides);
}
bool get_stage(uint8_t stage) {
  return stage >= kLowestStage && stage <= kHighestStage;
}

bool get_flag(ByteReader& r, bool& out) {
  const uint8_t flag = r.u8();
  out = flag == 1;
  return flag <= 1;
}

bool get(ByteReader& r, Create& m) {
  m.stage = r.u8();
  m.seed = r.u32();
  m.human_sides = r.u8();
  m.last_frame = r.u32();
  if (!get_version(r, m.version) || !get_typed_name(r, m.name) || !get_flag(r, m.lobby)) {
    return false;
  }
  // A lobby's sides are chosen in the lobby.
  return get_stage(m.stage) &&
         (m.lobby ? get_sides(m.human_sides) : get_player_sides(m.human_sides));
}
bool get(ByteReader& r, Join& m) {
  if (!get_code(r, m.code)) return false;
  const uint8_t role = r.u8();
  m.role = static_cast<Role>(role);
  m.side = r.u8();
  const auto token = r.bytes(kTokenLength);
  if (token.size() == kTokenLength) std::copy(token.begin(), token.end(), m.token.begin());
  if (!get_version(r, m.version) || !get_typed_name(r, m.name)) return false;
  if (role > 1 || m.side > kAnySide) return false;
  return m.role == Role::kPlayer || m.side == 0;
}
bool get(ByteReader& r, Input& m) {
  m.frame = r.u32();
  m.keys = r.u16();
  return m.frame >= 1 && (m.keys & ~kAllKeys) == 0;
}
bool get(ByteReader& r, HashReport& m) {
  m.frame = r.u32();
  m.hash = r.u64();
  return m.frame >= 1;
}
bool get(ByteReader& r, Ping& m) {
  m.id = r.u32();
  m.rtt_ms = r.u16();
  return true;
}
bool get(ByteReader&, Leave&) {
  return true;
}
bool get(ByteReader& r, Pause& m) {
  const uint8_t pause = r.u8();
  m.pause = pause == 1;
  return pause <= 1;
}
bool get(ByteReader& r, Chat& m) {
  return get_line(r, m.text) && !m.text.empty();
}
bool get(ByteReader& r, LobbySetup& m) {
  m.stage = r.u8();
  bool ok = get_stage(m.stage);
  for (SeatChoice& seat : m.seats) {
    const uint8_t choice = r.u8();
    seat = static_cast<SeatChoice>(choice);
    ok = ok && choice <= static_cast<uint8_t>(SeatChoice::kClosed);
  }
  return ok;
}
bool get(ByteReader& r, TakeSide& m) {
  m.side = r.u8();
  return m.side < kSides;
}
bool get(ByteReader& r, Ready& m) {
  return get_flag(r, m.ready);
}
bool get(ByteReader&, Start&) {
  return true;
}

bool get(ByteReader& r, Created& m) {
  return get_code(r, m.code);
}
bool get(ByteReader& r, Welcome& m) {
  const uint8_t role = r.u8();
  m.role = static_cast<Role>(role);
  m.side = r.u8();
  const auto token = r.bytes(kTokenLength);
  if (token.size() == kTokenLength) std::copy(token.begin(), token.end(), m.token.begin());
  m.stage = r.u8();
  m.seed = r.u32();
  m.human_sides = r.u8();
  m.last_frame = r.u32();
  m.frame_ms = r.u16();
  m.frame = r.u32();
  const bool lobby_ok = get_flag(r, m.lobby);
  m.closed_sides = r.u8();
  // A game under way has a player's side; a lobby may have none yet. No
  // side is both a player's and closed.
  const bool sides_ok = (m.lobby ? get_sides(m.human_sides) : get_player_sides(m.human_sides)) &&
                        get_sides(m.closed_sides) && (m.human_sides & m.closed_sides) == 0;
  return lobby_ok && sides_ok && role <= 1 && m.side < kSides && get_stage(m.stage) &&
         m.frame_ms >= 1;
}
bool get(ByteReader& r, Frame& m) {
  m.frame = r.u32();
  bool ok = m.frame >= 1;
  for (KeyMask& keys : m.input.keys) {
    keys = r.u16();
    ok = ok && (keys & ~kAllKeys) == 0;
  }
  for (uint8_t* sides :
       {&m.input.to_computer, &m.input.to_human, &m.input.pause, &m.input.resume}) {
    *sides = r.u8();
    ok = ok && get_sides(*sides);
  }
  return ok;
}
bool get(ByteReader& r, Snapshot& m) {
  m.frame = r.u32();
  m.world = r.bytes(r.left());
  return m.frame >= 1 && !m.world.empty();
}
bool get(ByteReader& r, Desync& m) {
  m.frame = r.u32();
  m.server_hash = r.u64();
  m.client_hash = r.u64();
  return m.frame >= 1;
}
bool get(ByteReader& r, Pong& m) {
  m.id = r.u32();
  return true;
}
bool get(ByteReader& r, Late& m) {
  m.frame = r.u32();
  m.placed = r.u32();
  return m.frame >= 1 && m.placed > m.frame;
}
bool get(ByteReader& r, End& m) {
  m.frame = r.u32();
  m.hash = r.u64();
  return m.frame >= 1;
}
bool get(ByteReader& r, Goodbye& m) {
  m.reason = static_cast<Reason>(r.u8());
  if (!get_text(r, kMaxReasonText, m.text)) return false;
  // Shown to the player: no control characters.
  return std::none_of(m.text.begin(), m.text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

bool get(ByteReader& r, Roster& m) {
  bool ok = true;
  for (Roster::Seat& seat : m.seats) {
    const uint8_t state = r.u8();
    seat.state = static_cast<SeatState>(state);
    ok = ok && state <= static_cast<uint8_t>(SeatState::kClosed) && get_clean_name(r, seat.name);
    // Only a player's seat has a name, and a player always has one.
    const bool named = seat.state == SeatState::kPlayer || seat.state == SeatState::kAway;
    ok = ok && named != seat.name.empty();
  }
  m.spectators = r.u16();
  return ok;
}
bool get(ByteReader& r, ChatLine& m) {
  m.from = r.u8();
  return m.from <= kFromSpectator && get_clean_name(r, m.name) && !m.name.empty() &&
         get_clean_line(r, m.text) && !m.text.empty();
}

bool get(ByteReader& r, Paused& m) {
  const uint8_t paused = r.u8();
  m.paused = paused == 1;
  m.side = r.u8();
  m.frame = r.u32();
  m.resume_in_ms = r.u16();
  if (paused > 1) return false;
  if (!m.paused) return m.side == 0 && m.frame == 0 && m.resume_in_ms == 0;
  return m.side < kSides && m.frame >= 1 && m.resume_in_ms <= kResumeMs;
}
bool get(ByteReader& r, Lobby& m) {
  m.stage = r.u8();
  bool ok = get_stage(m.stage);
  for (Lobby::Seat& seat : m.seats) {
    const uint8_t state = r.u8();
    seat.state = static_cast<SeatState>(state);
    // Nobody is away in a lobby.
    ok = ok && state <= static_cast<uint8_t>(SeatState::kClosed) && seat.state != SeatState::kAway;
    ok = ok && get_clean_name(r, seat.name) && get_flag(r, seat.ready);
    seat.rtt_ms = r.u16();
    // Only a player's seat has a name and a ready mark; a player always
    // has a name.
    const bool player = seat.state == SeatState::kPlayer;
    ok = ok && player != seat.name.empty() && (player || !seat.ready);
  }
  m.host_side = r.u8();
  m.spectators = r.u16();
  m.games_played = r.u32();
  return ok && m.host_side < kSides && m.seats[m.host_side].state == SeatState::kPlayer;
}
bool get(ByteReader& r, Refused& m) {
  return get_text(r, kMaxReasonText, m.text) && !m.text.empty() &&
         is_clean_text(m.text, kMaxReasonText);
}
bool get(ByteReader& r, Lag& m) {
  m.side = r.u8();
  const uint8_t waiting = r.u8();
  m.waiting = waiting == 1;
  m.seconds_left = r.u8();
  return m.side < kSides && waiting <= 1 && (m.waiting || m.seconds_left == 0);
}

template <class T, class Variant>
bool read_as(ByteReader& r, Variant& out) {
  T m{};
  if (!get(r, m) || r.failed() || r.left() != 0) return false;
  out = std::move(m);
  return true;
}

bool read_body(MessageType type, ByteReader& r, ClientMessage& out) {
  switch (type) {
    case MessageType::kCreate:
      return read_as<Create>(r, out);
    case MessageType::kJoin:
      return read_as<Join>(r, out);
    case MessageType::kInput:
      return read_as<Input>(r, out);
    case MessageType::kHash:
      return read_as<HashReport>(r, out);
    case MessageType::kPing:
      return read_as<Ping>(r, out);
    case MessageType::kLeave:
      return read_as<Leave>(r, out);
    case MessageType::kChat:
      return read_as<Chat>(r, out);
    case MessageType::kPause:
      return read_as<Pause>(r, out);
    case MessageType::kLobbySetup:
      return read_as<LobbySetup>(r, out);
    case MessageType::kTakeSide:
      return read_as<TakeSide>(r, out);
    case MessageType::kReady:
      return read_as<Ready>(r, out);
    case MessageType::kStart:
      return read_as<Start>(r, out);
    default:
      return false;
  }
}

bool read_body(MessageType type, ByteReader& r, ServerMessage& out) {
  switch (type) {
    case MessageType::kCreated:
      return read_as<Created>(r, out);
    case MessageType::kWelcome:
      return read_as<Welcome>(r, out);
    case MessageType::kFrame:
      return read_as<Frame>(r, out);
    case MessageType::kSnapshot:
      return read_as<Snapshot>(r, out);
    case MessageType::kDesync:
      return read_as<Desync>(r, out);
    case MessageType::kPong:
      return read_as<Pong>(r, out);
    case MessageType::kLate:
      return read_as<Late>(r, out);
    case MessageType::kEnd:
      return read_as<End>(r, out);
    case MessageType::kGoodbye:
      return read_as<Goodbye>(r, out);
    case MessageType::kRoster:
      return read_as<Roster>(r, out);
    case MessageType::kChatLine:
      return read_as<ChatLine>(r, out);
    case MessageType::kLag:
      return read_as<Lag>(r, out);
    case MessageType::kPaused:
      return read_as<Paused>(r, out);
    case MessageType::kRefused:
      return read_as<Refused>(r, out);
    case MessageType::kLobby:
      return read_as<Lobby>(r, out);
    default:
      return false;
  }
}

bool from_client(uint8_t type) {
  return type >= 1 && type <= 12;
}
bool from_server(uint8_t type) {
  return type >= 64 && type <= 78;
}

}  // namespace

void append_message(std::vector<uint8_t>& out, const ClientMessage& message) {
  append_any(out, message);
}
void append_message(std::vector<uint8_t>& out, const ServerMessage& message) {
  append_any(out, message);
}

void append_goodbye(std::vector<uint8_t>& out, const Goodbye& goodbye, uint8_t version) {
  ByteWriter w(out);
  const size_t length_at = begin(w, MessageType::kGoodbye, version);
  body(w, goodbye);
  finish(w, length_at);
}

std::optional<OldHello> read_old_hello(std::span<const uint8_t> bytes) {
  // Protocol 1's CREATE and JOIN, whose version text ends them; later
  // versions keep it at the same place.
  ByteReader r(bytes);
  const uint8_t type = r.u8();
  r.u8();
  const uint32_t length = r.u32();
  if (r.failed() || length > r.left()) return std::nullopt;
  ByteReader b(r.bytes(length));
  OldHello hello;
  if (type == static_cast<uint8_t>(MessageType::kCreate)) {
    b.bytes(10);
  } else if (type == static_cast<uint8_t>(MessageType::kJoin)) {
    JoinCode code{};
    if (!get_code(b, code)) return std::nullopt;
    hello.code = code;
    b.bytes(2 + kTokenLength);
  } else {
    return std::nullopt;
  }
  if (!get_version(b, hello.version) || b.failed()) return std::nullopt;
  return hello;
}

bool valid_code(std::span<const char> code) {
  return code.size() == kCodeLength &&
         std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool valid_version_text(std::span<const uint8_t> text) {
  return !text.empty() && text.size() <= kMaxVersionText &&
         std::all_of(text.begin(), text.end(), [](uint8_t c) { return c > 0x20 && c < 0x7F; });
}

template <class Message>
bool MessageReader<Message>::fail(DecodeStatus status, const char* what) {
  status_ = status;
  what_ = what;
  pos_ = bytes_.size();
  return false;
}

template <class Message>
bool MessageReader<Message>::next(Message& out) {
  if (status_ != DecodeStatus::kOk || pos_ >= bytes_.size()) return false;
  ByteReader header(bytes_.subspan(pos_));
  const uint8_t type = header.u8();
  const uint8_t version = header.u8();
  const uint32_t length = header.u32();
  if (header.failed()) return fail(DecodeStatus::kMalformed, "a message header is cut short");
  // A GOODBYE keeps its bytes in every protocol version, so that a client
  // told why it was refused can show it whichever version sent it.
  const bool goodbye = !std::is_same_v<Message, ClientMessage> &&
                       type == static_cast<uint8_t>(MessageType::kGoodbye);
  if (version != kProtocolVersion && !goodbye) {
    version_seen_ = version;
    return fail(DecodeStatus::kWrongVersion, "a message of another protocol version");
  }
  if (length > header.left()) return fail(DecodeStatus::kMalformed, "a message is cut short");
  constexpr bool kReadsClient = std::is_same_v<Message, ClientMessage>;
  if (kReadsClient ? from_server(type) : from_client(type)) {
    return fail(DecodeStatus::kWrongDirection, "a message that goes the other way");
  }
  if (kReadsClient ? !from_client(type) : !from_server(type)) {
    return fail(DecodeStatus::kMalformed, "a message of unknown type");
  }
  ByteReader body_reader(header.bytes(length));
  if (!read_body(static_cast<MessageType>(type), body_reader, out)) {
    return fail(DecodeStatus::kMalformed, "a message whose body does not hold up");
  }
  pos_ += kHeaderSize + length;
  return true;
}

template class MessageReader<ClientMessage>;
template class MessageReader<ServerMessage>;

size_t whole_messages_within(std::span<const uint8_t> bytes, size_t limit) {
  size_t end = 0;
  while (bytes.size() - end >= kHeaderSize) {
    ByteReader header(bytes.subspan(end + 2, 4));
    const size_t next = end + kHeaderSize + header.u32();
    if (next > bytes.size() || (next > limit && end > 0)) break;
    end = next;
  }
  return end == 0 ? bytes.size() : end;
}

}  // namespace quarvex::net
