// The server a game hosts in its own process: a lobby game over real
// sockets between two clients with the game's own World, and a port that
// is already taken.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/lockstep_game.h"
#include "app/options.h"
#include "net/codec.h"
#include "net/lockstep_client.h"
#include "platform/ws_client.h"
#include "replay/key_script.h"
#include "server/local_server.h"
#include "test_files.h"

namespace quarvex {
namespace {

using namespace net;

int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class NoKeys : public KeySource {
 public:
  KeyMask keys_for(uint32_t frame) override { return frame % 50 < 10 ? 1 : 0; }
};

// One player: its connection, its World and its lockstep.
struct Player {
  explicit Player(const Options& options) : game(options) {}
  WsClient link;
  LockstepGame game;
  NoKeys keys;
  std::unique_ptr<LockstepClient> client;
  bool closed = false;

  // Takes what arrived and runs the client's ticks.
  void pump() {
    LinkEvent event;
    while (link.next_event(event, 0)) {
      if (event.kind == LinkEvent::Kind::kOpened) client->opened(now_ms(), link);
      if (event.kind == LinkEvent::Kind::kMessage) client->received(event.bytes, now_ms(), link);
      if (event.kind == LinkEvent::Kind::kClosed) {
        closed = true;
        client->closed(event.reason);
      }
    }
    client->tick(now_ms(), link);
  }
};

TEST(LocalServer, HostsALobbyGameThatPlaysToOneHashAndAPortInUseIsAnError) {
  LocalServer server;
  std::string error;
  ASSERT_TRUE(server.start("127.0.0.1", 0, QUARVEX_DATA_DIR, "", error)) << error;
  ASSERT_TRUE(server.running());
  EXPECT_EQ(server.url(), "ws://127.0.0.1:" + std::to_string(server.port()));

  LocalServer second;
  EXPECT_FALSE(second.start("127.0.0.1", server.port(), QUARVEX_DATA_DIR, "", error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(second.running());

  Options options;
  options.data_dir = QUARVEX_DATA_DIR;
  Player ada(options);
  Player bo(options);
  // The host creates the game and joins it on the same connection.
  Create create{2, 0, 0, 60, QUARVEX_VERSION, "Ada"};
  create.lobby = true;
  ASSERT_TRUE(ada.link.open(server.url(), error)) << error;
  LinkEvent event;
  JoinCode hosted{};
  bool created = false;
  for (int i = 0; i < 100 && !created; ++i) {
    if (!ada.link.next_event(event, 100)) continue;
    if (event.kind == LinkEvent::Kind::kOpened) {
      std::vector<uint8_t> bytes;
      append_message(bytes, ClientMessage{create});
      ada.link.send(bytes);
    }
    if (event.kind == LinkEvent::Kind::kMessage) {
      MessageReader<ServerMessage> reader(event.bytes);
      ServerMessage m;
      if (reader.next(m) && std::holds_alternative<Created>(m)) {
        hosted = std::get<Created>(m).code;
        created = true;
      }
    }
  }
  ASSERT_TRUE(created);
  ada.client = std::make_unique<LockstepClient>(
      Join{hosted, Role::kPlayer, kAnySide, {}, QUARVEX_VERSION, "Ada"}, ada.game, ada.keys);
  ada.client->opened(now_ms(), ada.link);
  bo.client = std::make_unique<LockstepClient>(
      Join{hosted, Role::kPlayer, kAnySide, {}, QUARVEX_VERSION, "Bo"}, bo.game, bo.keys);
  ASSERT_TRUE(bo.link.open(server.url(), error)) << error;

  bool readied = false;
  bool started = false;
  const int64_t until = now_ms() + 30000;
  while (now_ms() < until) {
    ada.pump();
    bo.pump();
    if (!readied && bo.client->state() == LockstepClient::State::kLobby) {
      bo.client->set_ready(true, bo.link);
      readied = true;
    }
    const Lobby& lobby = ada.client->lobby();
    const int bo_side = 1 - lobby.host_side;
    if (!started && ada.client->is_host() && lobby.seats[bo_side].ready) {
      ada.client->start_game(ada.link);
      started = true;
    }
    const bool done = ada.client->games_begun() == 1 && bo.client->games_begun() == 1 &&
                      ada.client->state() == LockstepClient::State::kLobby &&
                      bo.client->state() == LockstepClient::State::kLobby;
    if (done || ada.client->state() == LockstepClient::State::kFailed ||
        bo.client->state() == LockstepClient::State::kFailed) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_EQ(ada.client->state(), LockstepClient::State::kLobby) << ada.client->error();
  ASSERT_EQ(bo.client->state(), LockstepClient::State::kLobby) << bo.client->error();
  EXPECT_EQ(ada.client->end_frame(), 60u);
  EXPECT_NE(ada.client->end_hash(), 0u);
  EXPECT_EQ(ada.client->end_hash(), ada.game.hash());
  EXPECT_EQ(bo.game.hash(), ada.game.hash());
  EXPECT_EQ(ada.client->lobby().games_played, 1u);
  EXPECT_EQ(ada.client->stats().desyncs + bo.client->stats().desyncs, 0u);

  server.stop();
  EXPECT_FALSE(server.running());
}

// A closed side's units are never placed, on every machine alike, and the
// recording says which sides were closed so that its replay starts the same
// World; without closed sides the World is the one it always was.
TEST(LocalServer, AClosedSideIsAbsentFromTheWorldAndItsRecordingSaysSo) {
  testing::TempDir dir;
  uint64_t open_hash = 0;
  for (const uint8_t closed : {uint8_t{0}, uint8_t{0b1000}}) {
    SCOPED_TRACE(static_cast<int>(closed));
    Options options;
    options.data_dir = QUARVEX_DATA_DIR;
    options.record_file = dir.file("closed" + std::to_string(closed) + ".qvr");
    LockstepGame game(options);
    std::string error;
    ASSERT_TRUE(game.begin(GameSetup{2, 9, 0b0011, closed}, 0, error)) << error;
    for (int f = 0; f < 30; ++f) game.run_frame(FrameInput{});
    const World& w = game.game().world();
    EXPECT_NE(w.side_present[0], 0);
    EXPECT_EQ(w.side_present[3] != 0, closed == 0);
    if (closed == 0) {
      open_hash = game.hash();
    } else {
      EXPECT_NE(game.hash(), open_hash);
    }
    game.finish(true);
    KeyScript script;
    ASSERT_TRUE(load_key_script(options.record_file, script, error)) << error;
    EXPECT_EQ(script.closed, closed);
    EXPECT_EQ(script.humans, 0b0011);
  }
}

}  // namespace
}  // namespace quarvex
