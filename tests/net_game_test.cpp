// Whole networked games in memory: the server's logic and four clients'
// over a network that delays and jitters every message, on a fake clock.
// The worlds are numbers, so these check the lockstep itself: every
// machine runs the same frames, whatever the network does.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "net/lockstep_client.h"
#include "net/server_core.h"
#include "net_fakes.h"

namespace quarvex {
namespace {

using namespace net;

class NumberGame : public ClientGame {
 public:
  bool begin(const GameSetup& setup, int, std::string&) override {
    world = std::make_unique<testing::NumberWorld>(setup);
    return true;
  }
  void run_frame(const FrameInput& input) override {
    world->run_frame(input);
    last_input = input;
  }
  void pass_frame(const FrameInput&) override { ++passed; }
  uint64_t hash() const override { return world->hash(); }
  void save(std::vector<uint8_t>& out) const override { world->save(out); }
  bool load(std::span<const uint8_t> bytes, uint32_t frame, std::string& error) override {
    return world->load(bytes, frame, error);
  }
  void report_desync(const Desync& d, uint32_t, std::span<const FrameInput>) override {
    desyncs.push_back(d);
  }
  void frame_done(uint32_t frame) override {
    frames = frame;
    for (int side = 0; side < kSides; ++side) {
      if ((last_input.to_computer >> side) & 1) events.push_back({frame, side, false});
      if ((last_input.to_human >> side) & 1) events.push_back({frame, side, true});
    }
    if (frame == flip_at) world->flip_bit();
  }
  uint32_t frame() const { return frames; }

  struct Event {
    uint32_t frame;
    int side;
    bool to_human;  // else to the computer
  };
  std::unique_ptr<testing::NumberWorld> world;
  uint32_t frames = 0;
  uint32_t flip_at = 0;
  uint32_t passed = 0;
  FrameInput last_input;
  std::vector<Event> events;
  std::vector<Desync> desyncs;
};

class RandomKeys : public KeySource {
 public:
  explicit RandomKeys(uint32_t seed) : random_(seed) {}
  KeyMask keys_for(uint32_t) override {
    // Keys change every few frames, as a player's do.
    if (random_() % 4 == 0) keys_ = static_cast<KeyMask>(random_() & kAllKeys);
    return keys_;
  }

 private:
  std::mt19937 random_;
  KeyMask keys_ = 0;
};

// A network of ordered streams (as TCP is) that hold every message for a
// seeded random time.
class MemoryNetwork : public ServerLink {
 public:
  MemoryNetwork(int32_t one_way_ms, int32_t jitter_ms, uint32_t seed)
      : one_way_ms_(one_way_ms), jitter_ms_(jitter_ms), random_(seed) {}

  struct Client;
  struct ToClient : ClientLink {
    MemoryNetwork* net;
    ConnectionId id;
    void send(std::span<const uint8_t> bytes) override {
      net->post(id, true, std::vector<uint8_t>(bytes.begin(), bytes.end()), false);
    }
  };

  bool send(ConnectionId id, std::span<const uint8_t> bytes) override {
    post(id, false, std::vector<uint8_t>(bytes.begin(), bytes.end()), false);
    return true;
  }
  void close(ConnectionId id, std::string_view) override { post(id, false, {}, true); }

  void post(ConnectionId id, bool to_server, std::vector<uint8_t> bytes, bool close) {
    const int64_t jitter =
        jitter_ms_ == 0 ? 0 : static_cast<int64_t>(random_() % (2 * jitter_ms_ + 1)) - jitter_ms_;
    int64_t& last = last_[{id, to_server}];
    last = std::max(last, now + one_way_ms_ + jitter);
    queue_.push_back(Packet{last, seq_++, id, to_server, std::move(bytes), close});
  }

  struct Packet {
    int64_t at;
    uint64_t seq;
    ConnectionId id;
    bool to_server;
    std::vector<uint8_t> bytes;
    bool close;
  };
  // Takes the packets due by now, in order.
  std::vector<Packet> due() {
    std::vector<Packet> out;
    std::stable_sort(queue_.begin(), queue_.end(), [](const Packet& a, const Packet& b) {
      return a.at != b.at ? a.at < b.at : a.seq < b.seq;
    });
    size_t n = 0;
    while (n < queue_.size() && queue_[n].at <= now) ++n;
    out.assign(std::make_move_iterator(queue_.begin()),
               std::make_move_iterator(queue_.begin() + static_cast<std::ptrdiff_t>(n)));
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
    return out;
  }
  int64_t next_at() const {
    int64_t next = INT64_MAX;
    for (const Packet& p : queue_) next = std::min(next, p.at);
    return next;
  }
  // Forgets everything on its way to or from a connection (its machine died).
  void cut(ConnectionId id) {
    std::erase_if(queue_, [id](const Packet& p) { return p.id == id; });
  }

  int64_t now = 0;

 private:
  int32_t one_way_ms_;
  int32_t jitter_ms_;
  std::mt19937 random_;
  uint64_t seq_ = 0;
  std::vector<Packet> queue_;
  std::map<std::pair<ConnectionId, bool>, int64_t> last_;
};

struct Player {
  ConnectionId id;
  NumberGame game;
  RandomKeys keys;
  MemoryNetwork::ToClient link;
  std::unique_ptr<LockstepClient> client;
  bool alive = true;
};

class NetworkGame {
 public:
  NetworkGame(int32_t one_way_ms, int32_t jitter_ms, uint32_t last_frame)
      : net_(one_way_ms, jitter_ms, 99), server_(settings(), &worlds_, random_) {
    // The game is made by a client that goes quiet at once.
    testing::RecordingLink creator;
    server_.opened(100, "192.0.2.1", 0, creator);
    server_.received(
        100, testing::bytes_of(ClientMessage{Create{2, 5, 0b1111, last_frame, "1.0.0", ""}}), 0,
        creator);
    code_ = creator.all<Created>(100).at(0).code;
  }

  static ServerSettings settings() {
    ServerSettings s;
    s.messages_per_second = 1000;
    return s;
  }

  Player& join(int side, Token token = {}, Role role = Role::kPlayer) {
    auto p = std::make_unique<Player>(Player{next_id_++, {}, RandomKeys(1000u + side), {}, {}});
    p->link.net = &net_;
    p->link.id = p->id;
    p->client = std::make_unique<LockstepClient>(
        Join{code_, role, static_cast<uint8_t>(side), token, "1.0.0", "Player"}, p->game, p->keys);
    server_.opened(p->id, "192.0.2.2", net_.now, net_);
    p->client->opened(net_.now, p->link);
    players_.push_back(std::move(p));
    return *players_.back();
  }

  // The machine dies: nothing more to or from it; the server sees the
  // connection end (as the kernel closes a dead process's sockets).
  void kill(Player& p) {
    p.alive = false;
    net_.cut(p.id);
    server_.closed(p.id, net_.now);
  }

  // Runs until the time given, or until every live player's game ended.
  void run_until(int64_t until) {
    while (net_.now < until) {
      int64_t next = std::min(net_.next_at(), server_.next_tick_ms(net_.now));
      for (const auto& p : players_) {
        if (p->alive) next = std::min(next, p->client->next_tick_ms());
      }
      net_.now = std::min(until, std::max(next, net_.now + 1));
      for (auto& packet : net_.due()) deliver(packet);
      server_.tick(net_.now, net_);
      for (const auto& p : players_) {
        if (p->alive) p->client->tick(net_.now, p->link);
      }
    }
  }

  // The games' counts; a game's own are added when it ends.
  const ServerStats& stats() const { return server_.stats(); }
  std::vector<std::unique_ptr<Player>>& players() { return players_; }
  int64_t now() const { return net_.now; }

 private:
  void deliver(MemoryNetwork::Packet& packet) {
    if (packet.to_server) {
      server_.received(packet.id, packet.bytes, net_.now, net_);
      return;
    }
    for (const auto& p : players_) {
      if (p->id != packet.id || !p->alive) continue;
      if (packet.close) {
        p->client->closed("closed");
      } else {
        p->client->received(packet.bytes, net_.now, p->link);
      }
    }
  }

  MemoryNetwork net_;
  testing::NumberWorlds worlds_;
  testing::CountingRandom random_;
  ServerCore server_;
  JoinCode code_{};
  ConnectionId next_id_ = 1;
  std::vector<std::unique_ptr<Player>> players_;
};

bool all_ended(NetworkGame& g) {
  return std::all_of(g.players().begin(), g.players().end(), [](const auto& p) {
    return !p->alive || p->client->state() == LockstepClient::State::kEnded;
  });
}

void play_to_the_end(NetworkGame& g) {
  for (int step = 0; step < 1000 && !all_ended(g); ++step) g.run_until(g.now() + 1000);
}

// Every live player ran the whole game and ends with the server's hash.
void expect_agreement(NetworkGame& g, uint32_t last_frame) {
  for (const auto& p : g.players()) {
    if (!p->alive) continue;
    SCOPED_TRACE(p->id);
    EXPECT_EQ(p->client->state(), LockstepClient::State::kEnded) << p->client->error();
    EXPECT_EQ(p->game.frame(), last_frame);
    EXPECT_NE(p->client->end_hash(), 0u);
    EXPECT_EQ(p->game.hash(), p->client->end_hash());
  }
}

TEST(NetworkGame, FourPlayersOverAJitteryNetworkRunTheSameFramesAtTheServersPace) {
  // 100 ms round trips, each way 50 ms ± 15 ms.
  NetworkGame g(50, 15, 2000);
  for (int side = 0; side < 4; ++side) g.join(side);
  // A spectator joins at frame 1000: from the snapshot on it runs the same
  // World (its end hash is the players'), and the players' pace below is
  // untouched by it.
  g.run_until(1000 * 30);
  Player& spectator = g.join(0, {}, Role::kSpectator);
  play_to_the_end(g);
  expect_agreement(g, 2000);
  EXPECT_NEAR(spectator.client->welcome().frame, 1000, 5);
  EXPECT_EQ(spectator.client->roster().spectators, 1);
  EXPECT_EQ(spectator.client->roster().seats[3].name, "Player");
  for (const auto& p : g.players()) {
    if (p.get() == &spectator) continue;
    const ClientStats& stats = p->client->stats();
    EXPECT_LE(stats.highest_delay, 6);
    EXPECT_GE(stats.highest_delay, 4);
    const double pace =
        static_cast<double>(stats.last_run_ms - stats.first_run_ms) / (stats.frames_run - 1);
    EXPECT_NEAR(pace, 30.0, 0.5);
  }
  EXPECT_EQ(g.stats().desyncs, 0u);
}

TEST(NetworkGame, AKilledPlayersSideGoesToTheComputerAtOneFrameEverywhereAndComesBack) {
  NetworkGame g(20, 5, 2000);
  for (int side = 0; side < 4; ++side) g.join(side);
  g.run_until(300 * 30);
  Player& victim = *g.players()[2];
  const Token token = victim.client->welcome().token;
  g.kill(victim);
  g.run_until(600 * 30);
  Player& back = g.join(2, token);
  play_to_the_end(g);
  expect_agreement(g, 2000);

  // The hand-over and the return, at the same frames for everyone.
  const auto& events = g.players()[0]->game.events;
  ASSERT_EQ(events.size(), 2u);
  EXPECT_FALSE(events[0].to_human);
  EXPECT_EQ(events[0].side, 2);
  EXPECT_NEAR(events[0].frame, 300, 3);
  EXPECT_TRUE(events[1].to_human);
  EXPECT_EQ(events[1].side, 2);
  EXPECT_NEAR(events[1].frame, 600, 3);
  for (int i : {1, 3}) {
    const auto& other = g.players()[i]->game.events;
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[0].frame, events[0].frame);
    EXPECT_EQ(other[1].frame, events[1].frame);
  }
  // The one who came back started from the server's World just before.
  ASSERT_EQ(back.game.events.size(), 1u);
  EXPECT_EQ(back.game.events[0].frame, events[1].frame);
  EXPECT_EQ(back.client->welcome().frame, events[1].frame - 1);
}

TEST(NetworkGame, AFlippedBitIsReportedWithin30FramesAndTheGameEndsInAgreement) {
  NetworkGame g(10, 3, 600);
  for (int side = 0; side < 4; ++side) g.join(side);
  g.players()[1]->game.flip_at = 200;
  play_to_the_end(g);
  expect_agreement(g, 600);
  const auto& desyncs = g.players()[1]->game.desyncs;
  ASSERT_EQ(desyncs.size(), 1u);
  EXPECT_GE(desyncs[0].frame, 200u);
  EXPECT_LE(desyncs[0].frame, 200u + kHashEvery);
  EXPECT_NE(desyncs[0].server_hash, desyncs[0].client_hash);
  EXPECT_EQ(g.stats().desyncs, 1u);
  for (int i : {0, 2, 3}) EXPECT_TRUE(g.players()[i]->game.desyncs.empty());
}

}  // namespace
}  // namespace quarvex
