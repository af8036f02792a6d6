#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "net/lockstep_client.h"
#include "net_fakes.h"

namespace quarvex {
namespace {

using namespace net;
using testing::bytes_of;

constexpr uint16_t kFrameMs = 30;

// The client's game: a NumberWorld that remembers what it was asked.
class CountingGame : public ClientGame {
 public:
  bool begin(const GameSetup& setup, int side, std::string&) override {
    world = std::make_unique<testing::NumberWorld>(setup);
    begun_side = side;
    return true;
  }
  void run_frame(const FrameInput& input) override { world->run_frame(input); }
  void pass_frame(const FrameInput& input) override { passed.push_back(input.keys[0]); }
  uint64_t hash() const override { return world->hash(); }
  void save(std::vector<uint8_t>& out) const override { world->save(out); }
  bool load(std::span<const uint8_t> bytes, uint32_t frame, std::string& error) override {
    loaded_frame = frame;
    return world->load(bytes, frame, error);
  }
  void hashes_agreed(uint32_t frame) override { agreed.push_back(frame); }
  void report_desync(const Desync& d, uint32_t last_frame,
                     std::span<const FrameInput> recent) override {
    reports.push_back(d);
    report_last = last_frame;
    report_inputs = recent.size();
  }
  void frame_done(uint32_t frame) override { done.push_back(frame); }

  std::unique_ptr<testing::NumberWorld> world;
  int begun_side = -2;
  std::vector<KeyMask> passed;  // side 0's keys of the frames passed
  uint32_t loaded_frame = 0;
  std::vector<uint32_t> agreed;
  std::vector<Desync> reports;
  uint32_t report_last = 0;
  size_t report_inputs = 0;
  std::vector<uint32_t> done;
};

// Keys = the frame number's low bits, so each input says which frame asked.
class FrameKeys : public KeySource {
 public:
  KeyMask keys_for(uint32_t frame) override {
    asked.push_back(frame);
    return static_cast<KeyMask>(frame & kAllKeys);
  }
  std::vector<uint32_t> asked;
};

class SentLink : public ClientLink {
 public:
  void send(std::span<const uint8_t> bytes) override {
    MessageReader<ClientMessage> reader(bytes);
    ClientMessage m;
    while (reader.next(m)) sent.push_back(m);
    EXPECT_EQ(reader.status(), DecodeStatus::kOk);
  }
  template <class T>
  std::vector<T> all() const {
    std::vector<T> out;
    for (const auto& m : sent) {
      if (const auto* t = std::get_if<T>(&m)) out.push_back(*t);
    }
    return out;
  }
  std::vector<ClientMessage> sent;
};

class ClientTest : public ::testing::Test {
 protected:
  explicit ClientTest(Role role = Role::kPlayer)
      : client_(Join{{'A', 'B', 'C', 'D', 'E', 'F'},
                     role,
                     role == Role::kPlayer ? uint8_t{1} : uint8_t{0},
                     {},
                     "1.0.0",
                     ""},
                game_, keys_) {
    client_.opened(now_, link_);
  }
  void from_server(const ServerMessage& m) { client_.received(bytes_of(m), now_, link_); }
  void welcome(uint32_t frame, uint32_t last_frame = 0, Role role = Role::kPlayer) {
    const uint8_t side = role == Role::kPlayer ? 1 : 0;
    from_server(Welcome{role, side, {}, 2, 9, 0b0011, last_frame, kFrameMs, frame});
  }
  void frame(uint32_t f) {
    Frame m{f, {}};
    m.input.keys[0] = static_cast<KeyMask>(f & kAllKeys);
    from_server(m);
  }
  // Runs the client's ticks until `ms` later; gives the frames run at each
  // tick that ran any.
  std::vector<uint32_t> run_for(int64_t ms) {
    std::vector<uint32_t> batches;
    const int64_t until = now_ + ms;
    while (true) {
      const int64_t next = client_.next_tick_ms();
      if (next > until) break;
      now_ = std::max(now_, next);
      const uint32_t before = client_.frames_run();
      client_.tick(now_, link_);
      if (client_.frames_run() != before) batches.push_back(client_.frames_run() - before);
    }
    now_ = until;
    return batches;
  }

  CountingGame game_;
  FrameKeys keys_;
  SentLink link_;
  int64_t now_ = 5000;
  LockstepClient client_;
};

TEST_F(ClientTest, SendsItsKeysForEveryFrameAheadByTheDelayAndRunsAtTheServersPace) {
  ASSERT_EQ(link_.all<Join>().size(), 1u);
  now_ += 4;  // a 4 ms round trip: the lowest delay
  welcome(0);
  EXPECT_EQ(game_.begun_side, 1);
  EXPECT_EQ(client_.delay(), 2);
  EXPECT_EQ(keys_.asked, (std::vector<uint32_t>{1, 2}));
  for (uint32_t f = 1; f <= 60; ++f) {
    frame(f);
    const auto batches = run_for(kFrameMs);
    EXPECT_EQ(batches, std::vector<uint32_t>{1}) << f;
  }
  const auto inputs = link_.all<Input>();
  ASSERT_EQ(inputs.size(), 62u);
  for (size_t i = 0; i < inputs.size(); ++i) {
    EXPECT_EQ(inputs[i].frame, i + 1);
    EXPECT_EQ(inputs[i].keys, (i + 1) & kAllKeys);
  }
  const auto hashes = link_.all<HashReport>();
  ASSERT_EQ(hashes.size(), 2u);
  EXPECT_EQ(hashes[0].frame, kHashEvery);
  EXPECT_EQ(hashes[1].frame, 2 * kHashEvery);
  EXPECT_LE(client_.stats().longest_gap_ms, kFrameMs);
}

TEST_F(ClientTest, FarBehindItCatchesUpAtFourFramesAnIntervalAndNoFaster) {
  welcome(0);
  for (uint32_t f = 1; f <= 200; ++f) frame(f);
  const auto batches = run_for(3000);
  EXPECT_EQ(client_.frames_run(), 200u);
  EXPECT_EQ(*std::max_element(batches.begin(), batches.end()), 4u);
  // More than a second behind: four at a time; then two, then one.
  EXPECT_EQ(batches.front(), 4u);
  EXPECT_EQ(batches.back(), 1u);
  EXPECT_TRUE(std::is_sorted(batches.rbegin(), batches.rend()));
  // 200 frames in far fewer intervals than 200.
  EXPECT_LT(batches.size(), 90u);
}

// A hidden page is woken seldom: it runs what came at once, at most what it
// asks for, and reports the hashes on the way, so the server sees it keep up.
TEST_F(ClientTest, AHiddenPageRunsItsBacklogAtOnceWithinItsBound) {
  client_.run_backlog(now_, link_, 100);  // not welcomed yet: nothing to run
  EXPECT_EQ(client_.frames_run(), 0u);
  welcome(0);
  for (uint32_t f = 1; f <= 200; ++f) frame(f);
  client_.run_backlog(now_, link_, 133);
  EXPECT_EQ(client_.frames_run(), 133u);
  EXPECT_EQ(link_.all<HashReport>().size(), 133u / kHashEvery);
  client_.run_backlog(now_, link_, 133);
  EXPECT_EQ(client_.frames_run(), 200u);
  EXPECT_EQ(link_.all<HashReport>().back().frame, 200u / kHashEvery * kHashEvery);
  // Nothing left: the pace goes on from here.
  client_.run_backlog(now_, link_, 133);
  EXPECT_EQ(client_.frames_run(), 200u);
  frame(201);
  EXPECT_EQ(run_for(kFrameMs), std::vector<uint32_t>{1});
}

TEST_F(ClientTest, ALateInputRaisesTheDelayAndNoFrameIsSkipped) {
  welcome(0);
  for (uint32_t f = 1; f <= 10; ++f) frame(f);
  from_server(Late{5, 6});
  EXPECT_EQ(client_.delay(), 3);
  from_server(Late{6, 7});  // sent before the rise: no second rise
  EXPECT_EQ(client_.delay(), 3);
  frame(11);
  const auto inputs = link_.all<Input>();
  // 11 frames received with delay 3: keys up to frame 14, each frame once.
  ASSERT_EQ(inputs.back().frame, 14u);
  for (size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(inputs[i].frame, i + 1);
  EXPECT_EQ(client_.stats().highest_delay, 3);
}

TEST_F(ClientTest, ADesyncKeepsAReportAndTheServersWorldTakesOverPassingTheFramesBetween) {
  welcome(0);
  for (uint32_t f = 1; f <= 400; ++f) frame(f);
  run_for(20000);
  ASSERT_EQ(client_.frames_run(), 400u);
  // Five more frames arrive before the desync, but do not run.
  for (uint32_t f = 401; f <= 405; ++f) frame(f);
  testing::NumberWorld server_world(GameSetup{2, 9, 0});
  server_world.run_frame(FrameInput{});  // anything else than ours
  std::vector<uint8_t> saved;
  server_world.save(saved);
  std::vector<uint8_t> bytes;
  append_message(bytes, ServerMessage{Desync{375, 1, 2}});
  append_message(bytes, ServerMessage{Snapshot{405, saved}});
  client_.received(bytes, now_, link_);
  ASSERT_EQ(game_.reports.size(), 1u);
  EXPECT_EQ(game_.reports[0].frame, 375u);
  EXPECT_EQ(game_.report_last, 400u);
  EXPECT_EQ(game_.report_inputs, LockstepClient::kRecentFrames);
  // The reports before the differing one were compared first.
  EXPECT_EQ(game_.agreed, std::vector<uint32_t>{374});
  // The frames the snapshot leaps over count as played, with their inputs.
  EXPECT_EQ(game_.passed, (std::vector<KeyMask>{401, 402, 403, 404, 405}));
  EXPECT_EQ(game_.loaded_frame, 405u);
  EXPECT_EQ(game_.hash(), server_world.hash());
  frame(406);
  run_for(kFrameMs);
  EXPECT_EQ(client_.frames_run(), 406u);
  EXPECT_EQ(game_.done.back(), 406u);
  EXPECT_EQ(client_.state(), LockstepClient::State::kPlaying);
}

TEST_F(ClientTest, ThePongOfAPingSentAfterItsReportsSaysTheServerAgreedWithThem) {
  welcome(0);
  for (uint32_t f = 1; f <= 2 * kHashEvery; ++f) frame(f);
  run_for(4 * LockstepClient::kPingEveryMs);
  ASSERT_EQ(client_.frames_run(), 2 * kHashEvery);
  const auto pings = link_.all<Ping>();
  ASSERT_GE(pings.size(), 2u);
  EXPECT_TRUE(game_.agreed.empty());
  // The server answers in order, so the pong of the last ping vouches for
  // every report sent before it; an older pong adds nothing.
  from_server(Pong{pings.back().id});
  EXPECT_EQ(game_.agreed, std::vector<uint32_t>{2 * kHashEvery});
  from_server(Pong{pings.front().id});
  EXPECT_EQ(game_.agreed.size(), 1u);
}

TEST_F(ClientTest, JoiningAGameUnderWayWaitsForItsSnapshot) {
  welcome(500);
  EXPECT_EQ(client_.state(), LockstepClient::State::kSnapshot);
  // Its keys start after the snapshot's frame.
  EXPECT_EQ(link_.all<Input>().front().frame, 501u);
  std::vector<uint8_t> saved{1, 2, 3, 4, 5, 6, 7, 8};
  from_server(Snapshot{500, saved});
  frame(501);
  run_for(kFrameMs);
  EXPECT_EQ(client_.frames_run(), 501u);
  EXPECT_EQ(game_.done, std::vector<uint32_t>{501});
}

TEST_F(ClientTest, FrameNumbersAtTheTopOfTheirRangeDoNotWrapItsLoops) {
  // A hostile server's numbers: the snapshot leaps over no frame, and the
  // desync's report holds at most the recent frames, each in one step.
  constexpr uint32_t kTop = UINT32_MAX;
  welcome(kTop);
  std::vector<uint8_t> saved{1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<uint8_t> bytes;
  append_message(bytes, ServerMessage{Snapshot{kTop, saved}});
  append_message(bytes, ServerMessage{Desync{kTop, 1, 2}});
  client_.received(bytes, now_, link_);
  EXPECT_TRUE(game_.passed.empty());
  EXPECT_EQ(game_.loaded_frame, kTop);
  ASSERT_EQ(game_.reports.size(), 1u);
  EXPECT_EQ(game_.report_inputs, LockstepClient::kRecentFrames);
}

TEST_F(ClientTest, TheGameEndsAtTheServersLastFrame) {
  welcome(0, 5);
  for (uint32_t f = 1; f <= 5; ++f) frame(f);
  from_server(End{5, 0x55});
  // No keys for frames after the end.
  EXPECT_EQ(link_.all<Input>().back().frame, 5u);
  from_server(Goodbye{Reason::kGameOver, "the game is over"});
  run_for(1000);
  EXPECT_EQ(client_.state(), LockstepClient::State::kEnded);
  EXPECT_EQ(client_.end_hash(), 0x55u);
  EXPECT_EQ(client_.frames_run(), 5u);
  // The goodbye after the end is no refusal.
  EXPECT_FALSE(client_.goodbye_reason());
}

TEST_F(ClientTest, FramesThatArrivedBeforeAGoodbyeRunOnlyWhenAskedAndNoFurther) {
  welcome(0);
  for (uint32_t f = 1; f <= 6; ++f) frame(f);
  from_server(Goodbye{Reason::kServerStopping, "The server is stopping."});
  EXPECT_EQ(client_.state(), LockstepClient::State::kFailed);
  EXPECT_EQ(client_.frames_run(), 0u);
  const size_t sent = link_.sent.size();
  client_.run_frames_left(4);
  EXPECT_EQ(client_.frames_run(), 4u);
  client_.run_frames_left(100);
  EXPECT_EQ(client_.frames_run(), 6u) << "only what arrived";
  EXPECT_EQ(game_.done, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(link_.sent.size(), sent) << "nothing goes to a server that went";
}

TEST_F(ClientTest, WaitsInTheLobbyAndPlaysAgainOnTheSameConnection) {
  Welcome lobby_welcome{Role::kPlayer, 1, {}, 2, 0, 0, 5, kFrameMs, 0};
  lobby_welcome.lobby = true;
  from_server(lobby_welcome);
  EXPECT_EQ(client_.state(), LockstepClient::State::kLobby);
  EXPECT_EQ(game_.world, nullptr) << "nothing begins in the lobby";
  Lobby lobby;
  lobby.seats[0] = {SeatState::kPlayer, "Ada", false, 20};
  lobby.seats[1] = {SeatState::kPlayer, "Bo", false, 0};
  from_server(lobby);
  EXPECT_FALSE(client_.is_host());
  // The lobby's calls go out as asked; the host's setup is the server's
  // to refuse.
  client_.take_side(2, link_);
  client_.set_ready(true, link_);
  client_.setup_lobby(LobbySetup{3, {}}, link_);
  client_.start_game(link_);
  EXPECT_EQ(link_.all<TakeSide>().size(), 1u);
  EXPECT_EQ(link_.all<Ready>().size(), 1u);
  EXPECT_EQ(link_.all<LobbySetup>().size(), 1u);
  EXPECT_EQ(link_.all<Start>().size(), 1u);
  // Pings go on in the lobby and carry the last round trip.
  run_for(LockstepClient::kPingEveryMs + 1);
  const auto pings = link_.all<Ping>();
  ASSERT_FALSE(pings.empty());
  from_server(Pong{pings.back().id});
  run_for(LockstepClient::kPingEveryMs + 1);
  EXPECT_EQ(link_.all<Ping>().back().rtt_ms, client_.rtt_ms());
  // Moved to side 3 (index 2), now the host.
  lobby_welcome.side = 2;
  from_server(lobby_welcome);
  lobby.seats[2] = lobby.seats[1];
  lobby.seats[1] = {};
  lobby.host_side = 2;
  from_server(lobby);
  EXPECT_TRUE(client_.is_host());

  for (uint32_t game = 1; game <= 2; ++game) {
    SCOPED_TRACE(game);
    Welcome begun{Role::kPlayer, 2, {}, 2, 100 + game, 0b0101, 5, kFrameMs, 0};
    begun.closed_sides = 0b1000;
    from_server(begun);
    EXPECT_EQ(client_.state(), LockstepClient::State::kPlaying);
    EXPECT_EQ(client_.games_begun(), game);
    EXPECT_EQ(client_.frames_run(), 0u);
    for (uint32_t f = 1; f <= 5; ++f) frame(f);
    from_server(End{5, 0});
    // Back in the lobby only once the game's last frame has run here.
    from_server(lobby);
    EXPECT_EQ(client_.state(), LockstepClient::State::kPlaying);
    run_for(1000);
    EXPECT_EQ(client_.frames_run(), 5u);
    EXPECT_EQ(client_.state(), LockstepClient::State::kLobby);
    EXPECT_EQ(client_.end_frame(), 5u);
  }
  // A frame in the lobby breaks the protocol.
  frame(6);
  EXPECT_EQ(client_.state(), LockstepClient::State::kFailed);
}

TEST_F(ClientTest, AServerThatBreaksTheProtocolEndsTheGameWithAReason) {
  struct Case {
    const char* what;
    std::vector<ServerMessage> messages;
    std::optional<Reason> reason = std::nullopt;  // the goodbye's, kept for the window's line
  };
  const std::vector<uint8_t> three_bytes(3, 0);  // outlives the snapshot that points at it
  const std::vector<Case> cases = {
      {"a skipped frame", {Frame{1, {}}, Frame{3, {}}}},
      {"a frame before the snapshot", {Frame{1, {}}}},
      {"another side", {Welcome{Role::kPlayer, 2, {}, 1, 1, 1, 0, 30, 0}}},
      {"goodbye",
       {Goodbye{Reason::kSideTaken, "another player has this side"}},
       Reason::kSideTaken},
      {"a snapshot that does not load", {Snapshot{1, three_bytes}}},
      {"a roster before the welcome", {Roster{}}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    CountingGame game;
    FrameKeys keys;
    SentLink link;
    LockstepClient client(Join{{'A', 'B', 'C', 'D', 'E', 'F'}, Role::kPlayer, 1, {}, "1.0.0", ""},
                          game, keys);
    client.opened(0, link);
    // The first three come after a welcome: into a fresh game, then one
    // under way (frame 10), then none.
    if (i == 0 || i == 4)
      client.received(bytes_of(ServerMessage{Welcome{Role::kPlayer, 1, {}, 1, 1, 1, 0, 30, 0}}), 1,
                      link);
    if (i == 1)
      client.received(bytes_of(ServerMessage{Welcome{Role::kPlayer, 1, {}, 1, 1, 1, 0, 30, 10}}), 1,
                      link);
    for (const auto& m : cases[i].messages) client.received(bytes_of(m), 2, link);
    EXPECT_EQ(client.state(), LockstepClient::State::kFailed);
    EXPECT_FALSE(client.error().empty());
    EXPECT_EQ(client.goodbye_reason(), cases[i].reason);
  }
}

TEST_F(ClientTest, KeepsWhoIsInTheGameTheLatestChatAndWhoIsLagging) {
  welcome(0);
  Roster roster;
  roster.seats[0] = {SeatState::kPlayer, "Ada"};
  roster.seats[1] = {SeatState::kPlayer, "Bob"};
  roster.spectators = 2;
  from_server(roster);
  EXPECT_EQ(client_.roster().seats[0].name, "Ada");
  EXPECT_EQ(client_.roster().spectators, 2);

  // Each step: a message, then the lag the client shows per side.
  struct Step {
    const char* what;
    ServerMessage message;
    std::array<int, kSides> lag;
  };
  Roster ada_away = roster;
  ada_away.seats[0].state = SeatState::kAway;
  const std::vector<Step> steps = {
      {"Bob silent", Lag{1, true, 14}, {-1, 14, -1, -1}},
      {"counting down", Lag{1, true, 13}, {-1, 13, -1, -1}},
      {"Ada silent too", Lag{0, true, 14}, {14, 13, -1, -1}},
      {"Bob heard again", Lag{1, false, 0}, {14, -1, -1, -1}},
      {"Ada handed over", ada_away, {-1, -1, -1, -1}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    from_server(step.message);
    EXPECT_EQ(client_.lag(), step.lag);
  }

  for (int i = 0; i < 10; ++i) {
    now_ += 10;
    from_server(ChatLine{0, "Ada", "line " + std::to_string(i)});
  }
  ASSERT_EQ(client_.chat().size(), LockstepClient::kChatLinesKept);
  EXPECT_EQ(client_.chat().front().line.text, "line 2");
  EXPECT_EQ(client_.chat().back().line.text, "line 9");
  EXPECT_EQ(client_.chat().back().at_ms, now_);

  // What the player types is cleaned before it goes; nothing is sent for
  // a line of control characters alone.
  client_.say("\x1b[31mhi\u3042\n", link_);
  client_.say("\r\n", link_);
  const auto said = link_.all<Chat>();
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].text, "[31mhi\u3042");

  // The pause and a refusal are kept with when they came, for the countdown.
  client_.ask_pause(true, link_);
  ASSERT_EQ(link_.all<Pause>().size(), 1u);
  EXPECT_TRUE(link_.all<Pause>()[0].pause);
  now_ += 100;
  from_server(Paused{true, 0, 7, kResumeMs});
  EXPECT_TRUE(client_.pause().paused);
  EXPECT_EQ(client_.pause().resume_in_ms, kResumeMs);
  EXPECT_EQ(client_.pause_heard_ms(), now_);
  from_server(Refused{"Ada paused the game; only Ada can resume it"});
  EXPECT_EQ(client_.refusal(), "Ada paused the game; only Ada can resume it");
  from_server(Paused{});
  EXPECT_FALSE(client_.pause().paused);
  EXPECT_EQ(client_.state(), LockstepClient::State::kPlaying);
}

TEST_F(ClientTest, ARefusalInAnotherProtocolVersionIsShownAsItsText) {
  std::vector<uint8_t> bytes;
  append_goodbye(bytes,
                 Goodbye{Reason::kVersionMismatch, "Ada plays quarvex 1.0.2; you have 1.0.0"},
                 kProtocolVersion + 1);
  client_.received(bytes, now_, link_);
  EXPECT_EQ(client_.state(), LockstepClient::State::kFailed);
  EXPECT_EQ(client_.error(), "Ada plays quarvex 1.0.2; you have 1.0.0");
}

class SpectatorTest : public ClientTest {
 protected:
  SpectatorTest() : ClientTest(Role::kSpectator) {}
};

TEST_F(SpectatorTest, WatchesWithoutSendingKeys) {
  welcome(0, 0, Role::kSpectator);
  EXPECT_EQ(game_.begun_side, -1);
  for (uint32_t f = 1; f <= 30; ++f) frame(f);
  run_for(2000);
  EXPECT_EQ(client_.frames_run(), 30u);
  EXPECT_TRUE(link_.all<Input>().empty());
  EXPECT_EQ(link_.all<HashReport>().size(), 1u);
}

}  // namespace
}  // namespace quarvex
