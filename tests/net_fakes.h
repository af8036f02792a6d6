#pragma once
// Stand-ins for what surrounds the lockstep logic in the tests: a game
// whose World is one number, a transport that keeps what was sent, and
// random bytes that repeat.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "net/codec.h"
#include "net/lockstep_client.h"
#include "net/secrets.h"
#include "net/server_link.h"
#include "net/simulation.h"

namespace quarvex::testing {

// A World that is the hash of every input it ran: two of them agree exactly
// when they ran the same inputs from the same start.
class NumberWorld : public net::Simulation {
 public:
  explicit NumberWorld(const net::GameSetup& setup)
      : state_(0xcbf29ce484222325ull ^ setup.seed ^ (uint64_t{setup.stage} << 40)) {}

  void run_frame(const net::FrameInput& input) override {
    for (KeyMask keys : input.keys) mix(keys);
    mix(uint64_t{input.to_computer} | uint64_t{input.to_human} << 8 | uint64_t{input.pause} << 16 |
        uint64_t{input.resume} << 24);
    ++frames;
  }
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
  bool load(std::span<const uint8_t> bytes) {
    std::string unused;
    return load(bytes, 0, unused);
  }
  void flip_bit() { state_ ^= 1; }

  uint64_t frames = 0;

 private:
  void mix(uint64_t v) {
    state_ ^= v;
    state_ *= 0x100000001b3ull;
  }
  uint64_t state_;
};

class NumberWorlds : public net::SimulationFactory {
 public:
  std::unique_ptr<net::Simulation> start(const net::GameSetup& setup,
                                         const net::JoinCode&) override {
    return std::make_unique<NumberWorld>(setup);
  }
};

// Random bytes from a counter: codes and tokens differ, and repeat from run
// to run.
class CountingRandom : public net::RandomSource {
 public:
  void fill(std::span<uint8_t> out) override {
    for (uint8_t& b : out) b = static_cast<uint8_t>((next_++ * 37 + 11) % 234);
  }

 private:
  uint32_t next_ = 0;
};

// What the server sent and closed, per connection, decoded.
class RecordingLink : public net::ServerLink {
 public:
  bool send(net::ConnectionId id, std::span<const uint8_t> bytes) override {
    if (refuse.count(id) != 0) return false;
    net::MessageReader<net::ServerMessage> reader(bytes);
    net::ServerMessage m;
    while (reader.next(m)) {
      // A snapshot points into the sent bytes: keep a copy.
      if (auto* s = std::get_if<net::Snapshot>(&m)) {
        snapshots[id].assign(s->world.begin(), s->world.end());
        s->world = {};
      }
      received[id].push_back(m);
    }
    EXPECT_EQ(reader.status(), net::DecodeStatus::kOk);
    raw[id].insert(raw[id].end(), bytes.begin(), bytes.end());
    return true;
  }
  void close(net::ConnectionId id, std::string_view reason) override {
    closed[id] = std::string(reason);
  }

  template <class T>
  std::vector<T> all(net::ConnectionId id) const {
    std::vector<T> out;
    const auto it = received.find(id);
    if (it == received.end()) return out;
    for (const auto& m : it->second) {
      if (const auto* t = std::get_if<T>(&m)) out.push_back(*t);
    }
    return out;
  }
  std::optional<net::Goodbye> goodbye(net::ConnectionId id) const {
    const auto all_of = all<net::Goodbye>(id);
    if (all_of.empty()) return std::nullopt;
    return all_of.back();
  }

  std::map<net::ConnectionId, std::vector<net::ServerMessage>> received;
  std::map<net::ConnectionId, std::vector<uint8_t>> snapshots;
  std::map<net::ConnectionId, std::vector<uint8_t>> raw;
  std::map<net::ConnectionId, std::string> closed;
  std::map<net::ConnectionId, bool> refuse;
};

template <class Message>
std::vector<uint8_t> bytes_of(const Message& m) {
  std::vector<uint8_t> out;
  net::append_message(out, m);
  return out;
}

}  // namespace quarvex::testing
