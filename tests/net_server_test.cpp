#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/server_core.h"
#include "net_fakes.h"

namespace quarvex {
namespace {

using namespace net;
using testing::bytes_of;

constexpr int32_t kFrameMs = 30;

// A server with a fake clock, fake transport and worlds that are numbers.
class ServerTest : public ::testing::Test {
 protected:
  ServerTest() { settings_.room.frame_ms = kFrameMs; }

  ServerCore& server() {
    if (!core_) core_ = std::make_unique<ServerCore>(settings_, &worlds_, random_);
    return *core_;
  }

  ConnectionId connect(const std::string& address = "192.0.2.1") {
    const ConnectionId id = next_id_++;
    EXPECT_TRUE(server().opened(id, address, now_, link_));
    return id;
  }
  void send(ConnectionId id, const ClientMessage& m) {
    server().received(id, bytes_of(m), now_, link_);
  }
  // Moves the clock on, running the server's ticks as a transport would.
  void wait(int64_t ms) {
    const int64_t until = now_ + ms;
    while (now_ < until) {
      now_ = std::min(until, std::max(now_ + 1, server().next_tick_ms(now_)));
      server().tick(now_, link_);
    }
  }
  JoinCode create(uint8_t human_sides, uint32_t last_frame = 0, const std::string& host = "") {
    const ConnectionId id = connect();
    send(id, Create{2, 77, human_sides, last_frame, "1.0.0", host});
    const auto created = link_.all<Created>(id);
    EXPECT_EQ(created.size(), 1u);
    return created.empty() ? JoinCode{} : created[0].code;
  }
  ConnectionId join(const JoinCode& code, int side, Token token = {},
                    const std::string& address = "192.0.2.1", const std::string& name = "") {
    const ConnectionId id = connect(address);
    send(id, Join{code, Role::kPlayer, static_cast<uint8_t>(side), token, "1.0.0", name});
    return id;
  }
  // A game with a lobby, its host in it on side 1 (index 0).
  std::pair<JoinCode, ConnectionId> create_lobby(uint32_t last_frame = 0) {
    const ConnectionId host = connect();
    Create create{2, 0, 0, last_frame, "1.0.0", "Ada"};
    create.lobby = true;
    send(host, create);
    const JoinCode code = link_.all<Created>(host).at(0).code;
    send(host, Join{code, Role::kPlayer, kAnySide, {}, "1.0.0", "Ada"});
    return {code, host};
  }
  std::optional<Lobby> lobby_of(ConnectionId id) const {
    const auto all = link_.all<Lobby>(id);
    if (all.empty()) return std::nullopt;
    return all.back();
  }
  ConnectionId watch(const JoinCode& code, const std::string& name = "") {
    const ConnectionId id = connect();
    send(id, Join{code, Role::kSpectator, 0, {}, "1.0.0", name});
    return id;
  }
  std::optional<Roster> roster_of(ConnectionId id) const {
    const auto all = link_.all<Roster>(id);
    if (all.empty()) return std::nullopt;
    return all.back();
  }
  std::vector<Frame> frames(ConnectionId id) const { return link_.all<Frame>(id); }
  Token token_of(ConnectionId id) const { return link_.all<Welcome>(id).at(0).token; }
  // The hash a client would report: the server's own World, rebuilt from
  // the frames it sent.
  uint64_t replayed_hash(ConnectionId id, uint32_t upto) const {
    NumberWorld world(GameSetup{2, 77, 0});
    for (const Frame& f : frames(id)) {
      if (f.frame <= upto) world.run_frame(f.input);
    }
    return world.hash();
  }

  using NumberWorld = testing::NumberWorld;
  ServerSettings settings_;
  testing::NumberWorlds worlds_;
  testing::CountingRandom random_;
  testing::RecordingLink link_;
  std::unique_ptr<ServerCore> core_;
  ConnectionId next_id_ = 1;
  int64_t now_ = 1000;
};

TEST_F(ServerTest, AGameStartsWhenEverySideHasItsPlayerAndClosesAFrameEveryInterval) {
  const JoinCode code = create(0b0101);
  const ConnectionId a = join(code, 0);
  wait(300);
  EXPECT_TRUE(frames(a).empty());  // side 2 is still open
  EXPECT_EQ(link_.goodbye(join(code, 1))->reason, Reason::kSideNotOpen);
  const ConnectionId b = join(code, 2);
  send(a, Input{1, 0x001});
  send(b, Input{2, 0x400});
  wait(10 * kFrameMs);
  const auto fa = frames(a);
  ASSERT_EQ(fa.size(), 10u);
  for (size_t i = 0; i < fa.size(); ++i) EXPECT_EQ(fa[i].frame, i + 1);
  EXPECT_EQ(fa[0].input.keys, (std::array<uint16_t, 4>{0x001, 0, 0, 0}));
  EXPECT_EQ(fa[1].input.keys, (std::array<uint16_t, 4>{0x001, 0, 0x400, 0}));
  EXPECT_EQ(frames(b).size(), 10u);
  EXPECT_EQ(server().stats().lateness.max(), 0);
  EXPECT_EQ(link_.goodbye(join(code, 0))->reason, Reason::kSideTaken);
}

TEST_F(ServerTest, SpectatorsGetTheSameStreamJoinLateWithASnapshotAndNeverHoldTheGameBack) {
  const JoinCode code = create(0b0001);
  const ConnectionId early = watch(code);
  const ConnectionId player = join(code, 0);
  wait(20 * kFrameMs);
  const ConnectionId late = watch(code);
  const auto welcome = link_.all<Welcome>(late).at(0);
  EXPECT_EQ(welcome.role, Role::kSpectator);
  EXPECT_EQ(welcome.frame, 20u);
  NumberWorld from_snapshot(GameSetup{});
  ASSERT_TRUE(from_snapshot.load(link_.snapshots[late]));
  EXPECT_EQ(from_snapshot.hash(), replayed_hash(early, 20));
  // A spectator that cannot keep up is let go; the game goes on.
  link_.refuse[early] = true;
  wait(10 * kFrameMs);
  EXPECT_EQ(link_.closed.count(early), 1u);
  EXPECT_EQ(frames(player).size(), 30u);
  EXPECT_EQ(frames(late).size(), 10u);
  EXPECT_EQ(frames(late).front().frame, 21u);
}

TEST_F(ServerTest, ALeavingPlayersSideGoesToTheComputerAtOneFrameAndComesBackWithItsToken) {
  const JoinCode code = create(0b0011);
  const ConnectionId a = join(code, 0);
  const ConnectionId b = join(code, 1);
  const Token token = token_of(b);
  wait(10 * kFrameMs);
  server().closed(b, now_);
  wait(5 * kFrameMs);
  const auto fa = frames(a);
  ASSERT_EQ(fa.size(), 15u);
  EXPECT_EQ(fa[10].input.to_computer, 0b0010);
  EXPECT_EQ(fa[10].input.to_human, 0);
  EXPECT_EQ(fa[9].input.to_computer, 0);
  EXPECT_EQ(fa[11].input.to_computer, 0);

  // Anyone else is refused the side; its player comes back with the token.
  EXPECT_EQ(link_.goodbye(join(code, 1))->reason, Reason::kUnknownToken);
  const ConnectionId back = join(code, 1, token);
  const auto welcome = link_.all<Welcome>(back).at(0);
  EXPECT_EQ(welcome.frame, 15u);
  NumberWorld world(GameSetup{});
  ASSERT_TRUE(world.load(link_.snapshots[back]));
  EXPECT_EQ(world.hash(), replayed_hash(a, 15));
  wait(kFrameMs);
  const auto next = frames(a).back();
  EXPECT_EQ(next.frame, 16u);
  EXPECT_EQ(next.input.to_human, 0b0010);
  EXPECT_EQ(next.input.to_computer, 0);
  EXPECT_EQ(frames(back).at(0).frame, 16u);
}

TEST_F(ServerTest, LeavingAndComingBackBeforeTheFrameClosesCancelsOut) {
  const JoinCode code = create(0b0011);
  join(code, 0);
  const ConnectionId b = join(code, 1);
  const Token token = token_of(b);
  wait(3 * kFrameMs);
  send(b, Leave{});
  const ConnectionId back = join(code, 1, token);
  wait(3 * kFrameMs);
  for (const Frame& f : frames(back)) {
    EXPECT_EQ(f.input.to_computer | f.input.to_human, 0) << f.frame;
  }
}

TEST_F(ServerTest, SilenceFor15SecondsHandsTheSideOver) {
  const JoinCode code = create(0b0011);
  const ConnectionId a = join(code, 0);
  const ConnectionId b = join(code, 1);
  // a keeps up and says so, b says nothing more.
  for (int i = 0; i < 16; ++i) {
    wait(1000);
    const uint32_t frame = frames(a).back().frame / kHashEvery * kHashEvery;
    send(a, HashReport{frame, replayed_hash(a, frame)});
  }
  EXPECT_EQ(link_.goodbye(b)->reason, Reason::kSilent);
  EXPECT_FALSE(link_.goodbye(a));
  uint32_t handed_at = 0;
  for (const Frame& f : frames(a)) {
    if (f.input.to_computer == 0b0010) handed_at = f.frame;
  }
  // Between 15 and 15.25 s (the sweep's period) after b was last heard.
  EXPECT_GE(handed_at, 15000u / kFrameMs);
  EXPECT_LE(handed_at, 15300u / kFrameMs);
}

TEST_F(ServerTest, APlayer10SecondsBehindIsHandedOverAsIfItLeft) {
  const JoinCode code = create(0b0111);
  const ConnectionId a = join(code, 0);
  const ConnectionId b = join(code, 1);
  const ConnectionId c = join(code, 2);
  // All stay heard. a reports its frames; b sends its keys on time but
  // reports nothing (judged by its keys); c only pings.
  uint32_t sent = 0;
  for (uint32_t t = 1; t <= 12; ++t) {
    wait(1000);
    const uint32_t last = frames(a).back().frame;
    send(a, HashReport{last / kHashEvery * kHashEvery,
                       replayed_hash(a, last / kHashEvery * kHashEvery)});
    while (sent < last + 2) send(b, Input{++sent, 0});
    send(c, Ping{t});
  }
  EXPECT_EQ(link_.goodbye(c)->reason, Reason::kBehind);
  EXPECT_FALSE(link_.goodbye(a));
  EXPECT_FALSE(link_.goodbye(b));
  // A player that reports hashes is judged by them, whatever keys it sends.
  for (uint32_t t = 13; t <= 24; ++t) {
    wait(1000);
    while (sent < frames(a).back().frame + 2) send(b, Input{++sent, 0});
    if (t == 13) send(b, HashReport{kHashEvery, replayed_hash(b, kHashEvery)});
  }
  EXPECT_EQ(link_.goodbye(b)->reason, Reason::kBehind);
}

TEST_F(ServerTest, ADifferingHashGetsADesyncAndTheServersWorld) {
  const JoinCode code = create(0b0011);
  const ConnectionId a = join(code, 0);
  const ConnectionId b = join(code, 1);
  wait(65 * kFrameMs);
  send(a, HashReport{50, replayed_hash(a, 50)});
  send(b, HashReport{50, replayed_hash(b, 50) ^ 1});
  EXPECT_TRUE(link_.all<Desync>(a).empty());
  const auto desync = link_.all<Desync>(b);
  ASSERT_EQ(desync.size(), 1u);
  EXPECT_EQ(desync[0].frame, 50u);
  EXPECT_EQ(desync[0].server_hash, replayed_hash(a, 50));
  EXPECT_EQ(desync[0].client_hash, replayed_hash(a, 50) ^ 1);
  NumberWorld world(GameSetup{});
  ASSERT_TRUE(world.load(link_.snapshots[b]));
  EXPECT_EQ(world.hash(), replayed_hash(a, 65));
  // Reports of the World it replaced say nothing more; a hash of a frame
  // not yet played is a fault.
  send(b, HashReport{50, 5});
  EXPECT_EQ(link_.all<Desync>(b).size(), 1u);
  send(b, HashReport{900, 5});
  EXPECT_EQ(link_.goodbye(b)->reason, Reason::kOutOfTurn);
}

TEST_F(ServerTest, TheGameEndsAtItsLastFrameWithTheServersHash) {
  const JoinCode code = create(0b0001, 40);
  const ConnectionId a = join(code, 0);
  wait(50 * kFrameMs);
  const auto end = link_.all<End>(a);
  ASSERT_EQ(end.size(), 1u);
  EXPECT_EQ(end[0].frame, 40u);
  EXPECT_EQ(end[0].hash, replayed_hash(a, 40));
  EXPECT_EQ(frames(a).size(), 40u);
  EXPECT_EQ(link_.goodbye(a)->reason, Reason::kGameOver);
  EXPECT_EQ(server().games(), 0u);
}

TEST_F(ServerTest, FaultyClientsAreToldWhyAndTheOtherGamesGoOn) {
  settings_.max_message_bytes = 64;
  settings_.messages_per_second = 50;
  const JoinCode code = create(0b0001);
  const ConnectionId player = join(code, 0);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    Reason reason;
  };
  const std::vector<Case> cases = {
      {"cut short", {4, 1, 12, 0}, Reason::kMalformed},
      {"oversized", std::vector<uint8_t>(65, 0), Reason::kTooLarge},
      {"another version", {5, 9, 4, 0, 0, 0, 1, 2, 3, 4}, Reason::kVersionMismatch},
      {"a server's message", bytes_of(ServerMessage{Pong{1}}), Reason::kMalformed},
      {"input outside a game", bytes_of(ClientMessage{Input{1, 0}}), Reason::kOutOfTurn},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ConnectionId id = connect();
    server().received(id, c.bytes, now_, link_);
    ASSERT_TRUE(link_.goodbye(id));
    EXPECT_EQ(link_.goodbye(id)->reason, c.reason);
    EXPECT_EQ(link_.closed.count(id), 1u);
    wait(kFrameMs);
  }
  // 50 messages a second in bursts of 250: the 251st at once is too many.
  const ConnectionId flood = connect();
  for (int i = 0; i < 251; ++i) send(flood, Ping{1});
  EXPECT_EQ(link_.all<Pong>(flood).size(), 250u);
  EXPECT_EQ(link_.goodbye(flood)->reason, Reason::kTooFrequent);
  wait(kFrameMs);
  // A player sending inputs for frames that go back is a fault too.
  const JoinCode other = create(0b0001);
  const ConnectionId cheat = join(other, 0);
  send(cheat, Input{5, 0});
  send(cheat, Input{5, 0});
  EXPECT_EQ(link_.goodbye(cheat)->reason, Reason::kMalformed);
  EXPECT_FALSE(link_.goodbye(player));
  EXPECT_EQ(frames(player).size(), cases.size() + 1);
  EXPECT_GE(server().stats().faults, 6u);
}

TEST_F(ServerTest, WrongCodesPerAddressPerMinuteAndTheLimitsOnGamesAndClients) {
  settings_.wrong_codes_per_minute = 3;
  settings_.max_games = 2;
  settings_.max_clients = 6;
  const JoinCode real = create(0b0001);
  const JoinCode wrong{'Z', 'Z', 'Z', 'Z', 'Z', 'Z'};
  ASSERT_NE(real, wrong);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(link_.goodbye(join(wrong, 0))->reason, Reason::kWrongCode);
  // The fourth try from this address is refused even with the right code;
  // another address is not.
  EXPECT_EQ(link_.goodbye(join(real, 0))->reason, Reason::kTooManyWrongCodes);
  EXPECT_FALSE(link_.goodbye(join(real, 0, {}, "198.51.100.7")));
  wait(60000);
  // A minute later the address may try again (the game is still there: it
  // closes a minute after its player went silent).
  EXPECT_EQ(link_.goodbye(join(wrong, 0))->reason, Reason::kWrongCode);

  create(0b0001);
  const ConnectionId third = connect();
  send(third, Create{1, 1, 1, 0, "1.0.0", ""});
  EXPECT_EQ(link_.goodbye(third)->reason, Reason::kFull);
  std::vector<ConnectionId> open;
  while (server().clients() < 6) open.push_back(connect());
  EXPECT_FALSE(server().opened(next_id_, "192.0.2.9", now_, link_));
  EXPECT_EQ(link_.goodbye(next_id_)->reason, Reason::kFull);
}

TEST_F(ServerTest, AVersionOtherThanTheGamesIsRefusedByName) {
  const JoinCode code = create(0b0001);
  const ConnectionId id = connect();
  send(id, Join{code, Role::kPlayer, 0, {}, "1.0.1", ""});
  const auto goodbye = link_.goodbye(id);
  ASSERT_TRUE(goodbye);
  EXPECT_EQ(goodbye->reason, Reason::kVersionMismatch);
  EXPECT_EQ(goodbye->text, "the game runs quarvex 1.0.0; you have 1.0.1");

  // With the host's name, and to a client of the previous protocol, in a
  // GOODBYE it can read.
  const JoinCode named = create(0b0001, 0, "Ada");
  const ConnectionId newer = connect();
  send(newer, Join{named, Role::kPlayer, 0, {}, "1.0.2", ""});
  EXPECT_EQ(link_.goodbye(newer)->text, "Ada plays quarvex 1.0.0; you have 1.0.2");
  std::vector<uint8_t> old_join{2, 1, 30, 0, 0, 0};
  old_join.insert(old_join.end(), named.begin(), named.end());
  old_join.insert(old_join.end(), 2 + kTokenLength, 0);
  for (char c : std::string("\x05"
                            "0.9.0")) {
    old_join.push_back(static_cast<uint8_t>(c));
  }
  const ConnectionId older = connect();
  server().received(older, old_join, now_, link_);
  EXPECT_EQ(link_.raw[older].at(1), 1) << "the answer speaks the client's protocol";
  EXPECT_EQ(link_.goodbye(older)->reason, Reason::kVersionMismatch);
  EXPECT_EQ(link_.goodbye(older)->text, "Ada plays quarvex 1.0.0; you have 0.9.0");
  EXPECT_EQ(link_.closed.count(older), 1u);
  // Without a game of that code the server still says which side is older.
  std::copy(std::begin("ZZZZZZ"), std::begin("ZZZZZZ") + kCodeLength,
            old_join.begin() + kHeaderSize);
  const ConnectionId lost = connect();
  server().received(lost, old_join, now_, link_);
  EXPECT_EQ(link_.goodbye(lost)->text, "the server runs a newer quarvex; you have 0.9.0");
  // A client of the protocol before the lobby is told the same way.
  old_join[1] = 2;
  old_join.push_back(0);  // its JOIN ends with the player's name
  std::copy(named.begin(), named.end(), old_join.begin() + kHeaderSize);
  old_join[2] = static_cast<uint8_t>(old_join.size() - kHeaderSize);
  const ConnectionId v2 = connect();
  server().received(v2, old_join, now_, link_);
  EXPECT_EQ(link_.raw[v2].at(1), 2);
  EXPECT_EQ(link_.goodbye(v2)->text, "Ada plays quarvex 1.0.0; you have 0.9.0");
}

TEST_F(ServerTest, APlayerAskingForAnySideGetsTheFirstOpenOneUntilNoneIsLeft) {
  const JoinCode code = create(0b1010);
  const ConnectionId first = join(code, kAnySide);
  const ConnectionId second = join(code, kAnySide);
  EXPECT_EQ(link_.all<Welcome>(first).at(0).side, 1);
  EXPECT_EQ(link_.all<Welcome>(second).at(0).side, 3);
  const ConnectionId third = join(code, kAnySide);
  ASSERT_TRUE(link_.goodbye(third));
  EXPECT_EQ(link_.goodbye(third)->reason, Reason::kFull);
  EXPECT_EQ(link_.goodbye(third)->text, "the game has no open side");
}

TEST_F(ServerTest, EveryMemberIsToldTheCleanedNamesOfTheSeatsAndHowManyWatch) {
  const JoinCode code = create(0b0111, 0, "Ada");
  const ConnectionId ada = join(code, 0, {}, "192.0.2.1", "  Ada ");
  const ConnectionId odd = join(code, 1, {}, "192.0.2.1",
                                "\x1b[2J\xff"
                                "Bob\n");
  const ConnectionId fan = watch(code, "Fan");
  struct Expected {
    SeatState state;
    const char* name;
  };
  const auto check = [&](ConnectionId id, std::array<Expected, kSides> seats, int spectators) {
    const auto roster = roster_of(id);
    ASSERT_TRUE(roster);
    for (int s = 0; s < kSides; ++s) {
      SCOPED_TRACE(s);
      EXPECT_EQ(roster->seats[s].state, seats[s].state);
      EXPECT_EQ(roster->seats[s].name, seats[s].name);
    }
    EXPECT_EQ(roster->spectators, spectators);
  };
  const std::array<Expected, kSides> lobby = {{{SeatState::kPlayer, "Ada"},
                                               {SeatState::kPlayer, "[2J\ufffdBob"},
                                               {SeatState::kOpen, ""},
                                               {SeatState::kComputer, ""}}};
  for (ConnectionId id : {ada, odd, fan}) check(id, lobby, 1);
  // Leaving before the start frees the side, name and all.
  send(odd, Leave{});
  wait(kFrameMs);
  check(ada,
        {{{SeatState::kPlayer, "Ada"},
          {SeatState::kOpen, ""},
          {SeatState::kOpen, ""},
          {SeatState::kComputer, ""}}},
        1);
  const ConnectionId second = join(code, 1);
  const ConnectionId third = join(code, 2, {}, "192.0.2.1", "\u5c71\u7530");
  const std::array<Expected, kSides> playing = {{{SeatState::kPlayer, "Ada"},
                                                 {SeatState::kPlayer, "Player 2"},
                                                 {SeatState::kPlayer, "\u5c71\u7530"},
                                                 {SeatState::kComputer, ""}}};
  for (ConnectionId id : {ada, second, third, fan}) check(id, playing, 1);
  // After the start a player who leaves is away: the side keeps its name.
  wait(10 * kFrameMs);
  send(second, Leave{});
  send(fan, Leave{});
  wait(kFrameMs);
  check(ada,
        {{{SeatState::kPlayer, "Ada"},
          {SeatState::kAway, "Player 2"},
          {SeatState::kPlayer, "\u5c71\u7530"},
          {SeatState::kComputer, ""}}},
        0);
}

TEST_F(ServerTest, APlayerNotHeardFromForASecondIsReportedWithTheTimeLeftAndWhenHeardAgain) {
  const JoinCode code = create(0b0011);
  const ConnectionId a = join(code, 0);
  const ConnectionId b = join(code, 1);
  const ConnectionId fan = watch(code);
  // Only a speaks (its keys, so that it keeps up); b is silent from the
  // start.
  const auto talk = [&](int64_t ms) {
    for (int64_t t = 0; t < ms; t += 100) {
      send(a, Input{server().game(code)->last_closed() + 2, 0});
      wait(100);
    }
  };
  talk(900);
  EXPECT_TRUE(link_.all<Lag>(a).empty());
  talk(200);
  struct Seen {
    bool waiting;
    int seconds_left;
  };
  const auto lags_of_b = [&](ConnectionId to) {
    std::vector<Seen> seen;
    for (const Lag& lag : link_.all<Lag>(to)) {
      EXPECT_EQ(lag.side, 1);
      seen.push_back({lag.waiting, lag.seconds_left});
    }
    return seen;
  };
  ASSERT_EQ(lags_of_b(a).size(), 1u);
  EXPECT_TRUE(lags_of_b(a)[0].waiting);
  EXPECT_EQ(lags_of_b(a)[0].seconds_left, 14);
  // One report a second, counting down; the spectator hears them too.
  talk(3000);
  ASSERT_EQ(lags_of_b(a).size(), 4u);
  EXPECT_EQ(lags_of_b(a).back().seconds_left, 11);
  EXPECT_EQ(lags_of_b(fan).size(), 4u);
  send(b, Ping{0});
  talk(100);
  ASSERT_EQ(lags_of_b(a).size(), 5u);
  EXPECT_FALSE(lags_of_b(a).back().waiting);
  EXPECT_EQ(lags_of_b(a).back().seconds_left, 0);
  // Silent to the end: the side goes to the computer, and the roster says so.
  talk(15500);
  EXPECT_EQ(link_.goodbye(b)->reason, Reason::kSilent);
  EXPECT_EQ(roster_of(a)->seats[1].state, SeatState::kAway);
  EXPECT_LE(lags_of_b(a).back().seconds_left, 1);
}

TEST_F(ServerTest, APauseStopsTheFramesForEveryoneUntilItsPlayerResumesAfterACountdown) {
  const JoinCode code = create(0b0011);
  const ConnectionId ada = join(code, 0, {}, "192.0.2.1", "Ada");
  const ConnectionId bob = join(code, 1, {}, "192.0.2.1", "Bob");
  const ConnectionId fan = watch(code);
  // Everyone keeps its connection alive through the long waits.
  const auto idle = [&](int64_t ms) {
    for (int64_t t = 0; t < ms; t += 500) {
      for (ConnectionId id : {ada, bob, fan}) send(id, Ping{0});
      wait(std::min<int64_t>(500, ms - t));
    }
  };
  const auto refusals = [&](ConnectionId id) { return link_.all<Refused>(id).size(); };
  wait(10 * kFrameMs);
  for (int round = 1; round <= kMaxPauses; ++round) {
    SCOPED_TRACE(round);
    send(ada, Pause{true});
    send(bob, Pause{true});  // a second request before the frame changes nothing
    wait(kFrameMs);
    const Frame paused_after = frames(ada).back();
    EXPECT_EQ(paused_after.input.pause, 0b0001);
    for (ConnectionId id : {ada, bob, fan}) {
      const Paused p = link_.all<Paused>(id).back();
      EXPECT_TRUE(p.paused);
      EXPECT_EQ(p.side, 0);
      EXPECT_EQ(p.frame, paused_after.frame);
      EXPECT_EQ(p.resume_in_ms, 0);
    }
    idle(20000);
    EXPECT_EQ(frames(ada).size(), paused_after.frame) << "no frame while paused";
    EXPECT_FALSE(link_.goodbye(bob)) << "nobody falls behind while paused";
    // Only the one who paused resumes; spectators cannot pause.
    send(bob, Pause{false});
    EXPECT_EQ(link_.all<Refused>(bob).back().text, "Ada paused the game; only Ada can resume it");
    send(fan, Pause{true});
    EXPECT_EQ(refusals(fan), static_cast<size_t>(round));
    send(ada, Pause{false});
    EXPECT_EQ(link_.all<Paused>(bob).back().resume_in_ms, kResumeMs);
    idle(kResumeMs - 10);
    EXPECT_EQ(frames(ada).size(), paused_after.frame) << "the countdown runs";
    wait(10);
    const Frame resumed = frames(fan).at(paused_after.frame);
    EXPECT_EQ(resumed.input.resume, 0b0001);
    EXPECT_FALSE(link_.all<Paused>(fan).back().paused);
    // At the usual pace from there: the time paused is not caught up.
    wait(10 * kFrameMs);
    EXPECT_EQ(frames(bob).size(), paused_after.frame + 11u);
  }
  const size_t before = refusals(ada);
  send(ada, Pause{true});
  ASSERT_EQ(refusals(ada), before + 1);
  EXPECT_EQ(link_.all<Refused>(ada).back().text,
            "you have paused this game 3 times, as often as a player may");
  wait(kFrameMs);
  EXPECT_EQ(frames(ada).back().input.pause, 0);
  // Bob has pauses of his own; when he leaves while paused, Ada may resume.
  send(bob, Pause{true});
  wait(kFrameMs);
  EXPECT_TRUE(link_.all<Paused>(ada).back().paused);
  send(bob, Leave{});
  send(ada, Pause{false});
  EXPECT_EQ(link_.all<Paused>(ada).back().resume_in_ms, kResumeMs);
}

TEST_F(ServerTest, ChatIsCleanedAndRelayedWithItsSenderToEveryoneInTheGame) {
  const JoinCode code = create(0b0011);
  const ConnectionId ada = join(code, 0, {}, "192.0.2.1", "Ada");
  const ConnectionId fan = watch(code, "Fan");
  struct Case {
    ConnectionId from;
    std::string typed;
    uint8_t side;
    const char* name;
    std::string relayed;
  };
  const std::vector<Case> cases = {
      {ada, "hello\x07\r\n", 0, "Ada", "hello"},
      {fan, "\u3053\u3093\u306b\u3061\u306f", kFromSpectator, "Fan",
       "\u3053\u3093\u306b\u3061\u306f"},
      {ada, std::string(200, 'x'), 0, "Ada", std::string(120, 'x')},
      // 130 kana, 390 bytes: more than a one-byte length holds.
      {fan,
       [] {
         std::string s;
         for (int i = 0; i < 130; ++i) s += "\u3042";
         return s;
       }(),
       kFromSpectator, "Fan",
       [] {
         std::string s;
         for (int i = 0; i < 120; ++i) s += "\u3042";
         return s;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.relayed);
    send(c.from, Chat{c.typed});
    for (ConnectionId to : {ada, fan}) {
      const auto lines = link_.all<ChatLine>(to);
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.back().from, c.side);
      EXPECT_EQ(lines.back().name, c.name);
      EXPECT_EQ(lines.back().text, c.relayed);
    }
  }
  // The lobby hears it as well as the game: side 1 is still open.
  EXPECT_TRUE(frames(ada).empty());
  // Nothing but control characters says nothing; a stranger cannot chat.
  send(ada, Chat{"\x01\x02"});
  EXPECT_EQ(link_.all<ChatLine>(fan).size(), cases.size());
  const ConnectionId stranger = connect();
  send(stranger, Chat{"spam"});
  EXPECT_EQ(link_.goodbye(stranger)->reason, Reason::kOutOfTurn);
  EXPECT_EQ(link_.all<ChatLine>(fan).size(), cases.size());
}

TEST_F(ServerTest, AGameNobodyIsInClosesAfterAMinute) {
  create(0b0001);
  EXPECT_EQ(server().games(), 1u);
  wait(59000);
  EXPECT_EQ(server().games(), 1u);
  wait(2000);
  EXPECT_EQ(server().games(), 0u);
}

TEST_F(ServerTest, TheLobbysRulesSayWhoMayDoWhat) {
  const auto [code, host] = create_lobby();
  const ConnectionId bo = join(code, kAnySide, {}, "192.0.2.2", "Bo");
  const ConnectionId eve = watch(code, "Eve");
  wait(kFrameMs);
  ASSERT_TRUE(lobby_of(eve));
  EXPECT_EQ(lobby_of(eve)->host_side, 0);
  EXPECT_EQ(lobby_of(eve)->seats[1].name, "Bo");
  EXPECT_EQ(lobby_of(eve)->spectators, 1);
  const auto welcomed = link_.all<Welcome>(bo);
  ASSERT_EQ(welcomed.size(), 1u);
  EXPECT_TRUE(welcomed[0].lobby);
  EXPECT_EQ(welcomed[0].side, 1);

  using C = SeatChoice;
  const LobbySetup third{3, {C::kOpen, C::kOpen, C::kComputer, C::kClosed}};
  struct Step {
    const char* what;
    ConnectionId who;
    ClientMessage message;
    const char* refusal;  // "" when done
  };
  const std::vector<Step> steps{
      {"a player is not the host", bo, third, "only the host chooses the stage and the sides"},
      {"the host sets up", host, third, ""},
      {"a held side stays its player's", host,
       LobbySetup{3, {C::kOpen, C::kClosed, C::kOpen, C::kOpen}}, "Bo holds side 2"},
      {"only an open side is taken", bo, TakeSide{2}, "side 3 is not open"},
      {"spectators are never ready", eve, Ready{true}, "spectators have no ready mark"},
      {"only the host starts", bo, Start{}, "only the host starts the game"},
      {"not before everyone is ready", host, Start{}, "Bo is not ready"},
      {"a player marks itself ready", bo, Ready{true}, ""},
      {"a new setup clears the marks", host,
       LobbySetup{1, {C::kOpen, C::kOpen, C::kComputer, C::kClosed}}, ""},
      {"so the start waits again", host, Start{}, "Bo is not ready"},
      {"ready again", bo, Ready{true}, ""},
      {"two sides closed", host, LobbySetup{1, {C::kOpen, C::kOpen, C::kClosed, C::kClosed}}, ""},
      {"ready for that game", bo, Ready{true}, ""},
      {"the host starts", host, Start{}, ""},
      {"no moving once begun", bo, TakeSide{3}, "the game has begun"},
  };
  for (const Step& step : steps) {
    const size_t refusals = link_.all<Refused>(step.who).size();
    send(step.who, step.message);
    wait(kFrameMs);
    const auto refused = link_.all<Refused>(step.who);
    const size_t expected = refusals + (*step.refusal == '\0' ? 0 : 1);
    ASSERT_EQ(refused.size(), expected) << step.what;
    if (expected > refusals) {
      EXPECT_EQ(refused.back().text, step.refusal) << step.what;
    }
    EXPECT_FALSE(link_.goodbye(step.who)) << step.what;
  }
  // Everyone is told the game: the players' sides, the closed ones, a
  // fresh seed.
  for (ConnectionId id : {host, bo, eve}) {
    const auto w = link_.all<Welcome>(id).back();
    EXPECT_FALSE(w.lobby);
    EXPECT_EQ(w.stage, 1);
    EXPECT_EQ(w.human_sides, 0b0011);
    EXPECT_EQ(w.closed_sides, 0b1100);
    EXPECT_NE(w.seed, 0u);
  }
  EXPECT_EQ(link_.all<Welcome>(eve).back().role, Role::kSpectator);
  EXPECT_GT(frames(eve).size(), 0u);
  EXPECT_EQ(roster_of(bo)->seats[3].state, SeatState::kClosed);
}

TEST_F(ServerTest, ALobbyPlaysAgainFreesTheSidesOfThoseWhoLeaveAndEndsWithItsHost) {
  const auto [code, host] = create_lobby(20);
  const ConnectionId bo = join(code, kAnySide, {}, "192.0.2.2", "Bo");
  const ConnectionId cy = join(code, kAnySide, {}, "192.0.2.3", "Cy");
  const ConnectionId eve = watch(code, "Eve");
  send(bo, Ready{true});
  send(cy, Ready{true});
  send(host, Start{});
  // Cy leaves during the game: the computer takes its side, and in the
  // lobby after the game the side is open again.
  wait(5 * kFrameMs);
  send(cy, Leave{});
  wait(30 * kFrameMs);
  ASSERT_EQ(link_.all<End>(host).size(), 1u);
  EXPECT_FALSE(link_.goodbye(host));
  const auto after = lobby_of(eve);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->games_played, 1u);
  EXPECT_EQ(after->seats[1].state, SeatState::kPlayer);
  EXPECT_FALSE(after->seats[1].ready);
  EXPECT_EQ(after->seats[2].state, SeatState::kOpen);
  EXPECT_EQ(server().games(), 1u);

  // The spectator takes the freed side; a second game has another seed.
  send(eve, TakeSide{2});
  wait(kFrameMs);
  const Welcome seated = link_.all<Welcome>(eve).back();
  EXPECT_TRUE(seated.lobby);
  EXPECT_EQ(seated.role, Role::kPlayer);
  EXPECT_EQ(seated.side, 2);
  send(bo, Ready{true});
  send(eve, Ready{true});
  send(host, Start{});
  wait(kFrameMs);
  const auto games = link_.all<Welcome>(bo);
  ASSERT_EQ(games.size(), 3u);
  EXPECT_NE(games[1].seed, games[2].seed);
  EXPECT_EQ(games[2].human_sides, 0b0111);
  wait(30 * kFrameMs);
  EXPECT_EQ(lobby_of(bo)->games_played, 2u);

  // A player leaving the lobby frees its side; the host leaving ends it.
  send(bo, Leave{});
  wait(kFrameMs);
  EXPECT_EQ(lobby_of(eve)->seats[1].state, SeatState::kOpen);
  send(host, Leave{});
  wait(kFrameMs);
  ASSERT_TRUE(link_.goodbye(eve));
  EXPECT_EQ(link_.goodbye(eve)->reason, Reason::kHostLeft);
  EXPECT_EQ(link_.goodbye(eve)->text, "the host left");
  EXPECT_EQ(server().games(), 0u);
}

}  // namespace
}  // namespace quarvex
