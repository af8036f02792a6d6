// The server's and a client's lockstep logic fed untrusted messages over
// time: a game under way with two players, two more connections, and a
// client of some server. Records of the input:
//   byte op, byte length, length bytes
// op bit 7: the bytes go to the client; else they come to the server from
// connection (op & 3) + 1. Bits 2..6 move the clock on by that many times
// 7 ms first. Nothing may crash, and the server's tables stay within their
// limits whatever arrives.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "net/codec.h"
#include "net/lockstep_client.h"
#include "net/server_core.h"

namespace {

using namespace quarvex::net;

class Number : public ClientGame {
 public:
  bool begin(const GameSetup& setup, int, std::string&) override {
    state_ = setup.seed;
    return true;
  }
  void run_frame(const FrameInput& input) override {
    for (KeyMask k : input.keys) state_ = (state_ ^ k) * 0x100000001b3ull;
    state_ ^= input.to_computer | input.to_human << 4;
  }
  void pass_frame(const FrameInput& input) override { run_frame(input); }
  uint64_t hash() const override { return state_; }
  void save(std::vector<uint8_t>& out) const override {
    out.clear();
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(state_ >> (8 * i)));
  }
  bool load(std::span<const uint8_t> bytes, uint32_t, std::string& error) override {
    if (bytes.size() != 8) {
      error = "not 8 bytes";
      return false;
    }
    state_ = 0;
    for (int i = 0; i < 8; ++i) state_ |= uint64_t{bytes[i]} << (8 * i);
    return true;
  }
  void report_desync(const Desync&, uint32_t, std::span<const FrameInput> recent) override {
    if (recent.size() > LockstepClient::kRecentFrames) std::abort();
  }

 private:
  uint64_t state_ = 0;
};

class Numbers : public SimulationFactory {
 public:
  std::unique_ptr<Simulation> start(const GameSetup& setup, const JoinCode&) override {
    auto n = std::make_unique<Number>();
    std::string unused;
    n->begin(setup, 0, unused);
    return n;
  }
};

class Counter : public RandomSource {
 public:
  void fill(std::span<uint8_t> out) override {
    for (uint8_t& b : out) b = static_cast<uint8_t>(next_++ % 200);
  }

 private:
  uint32_t next_ = 0;
};

class Sink : public ServerLink, public ClientLink {
 public:
  bool send(ConnectionId, std::span<const uint8_t>) override { return true; }
  void close(ConnectionId, std::string_view) override {}
  void send(std::span<const uint8_t>) override {}
};

class Keys : public KeySource {
 public:
  KeyMask keys_for(uint32_t frame) override { return static_cast<KeyMask>(frame); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ServerSettings settings;
  settings.max_clients = 8;
  settings.max_games = 3;
  settings.max_message_bytes = 200;
  Numbers numbers;
  Counter random;
  Sink sink;
  ServerCore server(settings, &numbers, random);
  int64_t now = 0;

  // A game under way: created by connection 9, joined by 1 and 2.
  server.opened(9, "creator", now, sink);
  std::vector<uint8_t> bytes;
  append_message(bytes, ClientMessage{Create{1, 3, 0b0011, 0, "1.0.0", ""}});
  server.received(9, bytes, now, sink);
  // The server drew the code first from a counter like this one.
  Counter replay;
  const JoinCode code = make_join_code(replay);
  for (ConnectionId id = 1; id <= 4; ++id) server.opened(id, id < 3 ? "a" : "b", now, sink);
  for (uint8_t side = 0; side < 2; ++side) {
    bytes.clear();
    append_message(bytes, ClientMessage{Join{code,
                                             Role::kPlayer,
                                             side,
                                             {},
                                             "1.0.0",
                                             side == 0 ? "Ada" : "\xe5\xb1\xb1\xe7\x94\xb0"}});
    server.received(side + 1u, bytes, now, sink);
  }

  Number game;
  Keys keys;
  LockstepClient client(Join{code, Role::kPlayer, 0, {}, "1.0.0", ""}, game, keys);
  client.opened(now, sink);

  size_t at = 0;
  while (at + 2 <= size) {
    const uint8_t op = data[at];
    const size_t length = data[at + 1];
    at += 2;
    const size_t take = length < size - at ? length : size - at;
    const std::span<const uint8_t> message(data + at, take);
    at += take;
    now += int64_t{(op >> 2) & 0x1F} * 7;
    server.tick(now, sink);
    client.tick(now, sink);
    if (op & 0x80) {
      client.received(message, now, sink);
    } else {
      server.received((op & 3u) + 1, message, now, sink);
    }
    if (server.clients() > 9 || server.games() > 3) std::abort();
  }
  return 0;
}
