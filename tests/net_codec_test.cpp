#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "net/codec.h"
#include "net/player_text.h"
#include "net_fakes.h"

namespace quarvex {
namespace {

using namespace net;
using testing::bytes_of;

template <class Message>
std::vector<Message> read_all(std::span<const uint8_t> bytes, DecodeStatus& status) {
  MessageReader<Message> reader(bytes);
  std::vector<Message> out;
  Message m;
  while (reader.next(m)) out.push_back(m);
  status = reader.status();
  return out;
}

TEST(NetCodec, EveryMessageReadsBackAsWritten) {
  Create create{2, 0xDEADBEEF, 0b1011, 3000, "1.0.0", "Ada"};
  Join join{{'Q', 'W', 'E', 'R', 'T', 'Y'}, Role::kPlayer, 3, {}, "1.0.0", "\u5c71\u7530"};
  join.token[0] = 7;
  join.token[15] = 255;
  Frame frame{123456, {}};
  frame.input.keys = {0x7FF, 0, 0x001, 0x400};
  frame.input.to_computer = 0b0100;
  frame.input.to_human = 0b1000;
  frame.input.pause = 0b0001;
  frame.input.resume = 0b0010;
  Welcome welcome{Role::kSpectator, 0, {}, 3, 42, 0b0110, 0, 2, 900};
  const std::vector<uint8_t> world{1, 2, 3, 4, 5};

  std::vector<uint8_t> from_client;
  for (const ClientMessage& m : std::vector<ClientMessage>{
           create, join, Input{17, 0x123}, HashReport{30, 0x0123456789abcdefull}, Ping{9}, Leave{},
           Chat{"gg \u304a\u75b2\u308c"}, Pause{false}}) {
    append_message(from_client, m);
  }
  DecodeStatus status{};
  const auto client = read_all<ClientMessage>(from_client, status);
  ASSERT_EQ(status, DecodeStatus::kOk);
  ASSERT_EQ(client.size(), 8u);
  EXPECT_FALSE(std::get<Pause>(client[7]).pause);
  EXPECT_EQ(std::get<Create>(client[0]).name, "Ada");
  EXPECT_EQ(std::get<Join>(client[1]).name, "\u5c71\u7530");
  EXPECT_EQ(std::get<Chat>(client[6]).text, "gg \u304a\u75b2\u308c");
  EXPECT_EQ(std::get<Create>(client[0]).seed, 0xDEADBEEF);
  EXPECT_EQ(std::get<Create>(client[0]).human_sides, 0b1011);
  EXPECT_EQ(std::get<Create>(client[0]).last_frame, 3000u);
  EXPECT_EQ(std::get<Create>(client[0]).version, "1.0.0");
  EXPECT_EQ(std::get<Join>(client[1]).code, join.code);
  EXPECT_EQ(std::get<Join>(client[1]).token, join.token);
  EXPECT_EQ(std::get<Join>(client[1]).side, 3);
  EXPECT_EQ(std::get<Input>(client[2]).keys, 0x123);
  EXPECT_EQ(std::get<HashReport>(client[3]).hash, 0x0123456789abcdefull);
  EXPECT_EQ(std::get<Ping>(client[4]).id, 9u);
  EXPECT_TRUE(std::holds_alternative<Leave>(client[5]));

  Roster roster;
  roster.seats[0] = {SeatState::kPlayer, "Ada"};
  roster.seats[1] = {SeatState::kOpen, ""};
  roster.seats[3] = {SeatState::kAway, "\u5c71\u7530"};
  roster.spectators = 300;
  std::vector<uint8_t> from_server;
  for (const ServerMessage& m : std::vector<ServerMessage>{
           Created{join.code}, welcome, frame, Snapshot{900, world}, Desync{60, 1, 2}, Pong{9},
           Late{10, 12}, End{3000, 77}, Goodbye{Reason::kSilent, "nothing heard"}, roster,
           ChatLine{kFromSpectator, "Eve", "hello"}, Paused{true, 2, 900, 2500},
           Refused{"you have paused 3 times"}}) {
    append_message(from_server, m);
  }
  const auto server = read_all<ServerMessage>(from_server, status);
  ASSERT_EQ(status, DecodeStatus::kOk);
  ASSERT_EQ(server.size(), 13u);
  EXPECT_EQ(std::get<Paused>(server[11]).resume_in_ms, 2500);
  EXPECT_EQ(std::get<Refused>(server[12]).text, "you have paused 3 times");
  const Roster& r = std::get<Roster>(server[9]);
  for (int side = 0; side < kSides; ++side) {
    EXPECT_EQ(r.seats[side].state, roster.seats[side].state);
    EXPECT_EQ(r.seats[side].name, roster.seats[side].name);
  }
  EXPECT_EQ(r.spectators, 300);
  EXPECT_EQ(std::get<ChatLine>(server[10]).from, kFromSpectator);
  EXPECT_EQ(std::get<ChatLine>(server[10]).text, "hello");
  EXPECT_EQ(std::get<Welcome>(server[1]).frame, 900u);
  EXPECT_EQ(std::get<Welcome>(server[1]).frame_ms, 2);
  EXPECT_EQ(std::get<Welcome>(server[1]).role, Role::kSpectator);
  const Frame& f = std::get<Frame>(server[2]);
  EXPECT_EQ(f.frame, 123456u);
  EXPECT_EQ(f.input, frame.input);
  // Frame number, four keys, four side masks.
  EXPECT_EQ(bytes_of(ServerMessage{frame}).size(), kHeaderSize + 4 + 8 + 4);
  const auto& s = std::get<Snapshot>(server[3]);
  EXPECT_EQ(std::vector<uint8_t>(s.world.begin(), s.world.end()), world);
  EXPECT_EQ(std::get<Late>(server[6]).placed, 12u);
  EXPECT_EQ(std::get<Goodbye>(server[8]).text, "nothing heard");

  // The lobby's messages, and what it adds to the others.
  Create lobby_create{3, 0, 0, 0, "1.0.0", "Ada"};
  lobby_create.lobby = true;
  LobbySetup setup{3, {SeatChoice::kOpen, SeatChoice::kClosed, SeatChoice::kComputer, {}}};
  std::vector<uint8_t> lobby_client;
  for (const ClientMessage& m : std::vector<ClientMessage>{lobby_create, setup, TakeSide{3},
                                                           Ready{false}, Start{}, Ping{4, 65535}}) {
    append_message(lobby_client, m);
  }
  const auto lc = read_all<ClientMessage>(lobby_client, status);
  ASSERT_EQ(status, DecodeStatus::kOk);
  ASSERT_EQ(lc.size(), 6u);
  EXPECT_TRUE(std::get<Create>(lc[0]).lobby);
  EXPECT_EQ(std::get<LobbySetup>(lc[1]).stage, 3);
  EXPECT_EQ(std::get<LobbySetup>(lc[1]).seats, setup.seats);
  EXPECT_EQ(std::get<TakeSide>(lc[2]).side, 3);
  EXPECT_FALSE(std::get<Ready>(lc[3]).ready);
  EXPECT_TRUE(std::holds_alternative<Start>(lc[4]));
  EXPECT_EQ(std::get<Ping>(lc[5]).rtt_ms, 65535);

  Lobby lobby;
  lobby.stage = 2;
  lobby.seats[0] = {SeatState::kOpen, "", false, 0};
  lobby.seats[1] = {SeatState::kPlayer, "\u5c71\u7530", true, 48};
  lobby.seats[2] = {SeatState::kComputer, "", false, 0};
  lobby.seats[3] = {SeatState::kClosed, "", false, 0};
  lobby.host_side = 1;
  lobby.spectators = 7;
  lobby.games_played = 70000;
  Welcome begun{Role::kPlayer, 1, {}, 2, 99, 0b0010, 0, 30, 0};
  begun.closed_sides = 0b1000;
  Welcome waiting = begun;
  waiting.lobby = true;
  waiting.human_sides = 0;
  std::vector<uint8_t> lobby_server;
  for (const ServerMessage& m : std::vector<ServerMessage>{lobby, begun, waiting}) {
    append_message(lobby_server, m);
  }
  const auto ls = read_all<ServerMessage>(lobby_server, status);
  ASSERT_EQ(status, DecodeStatus::kOk);
  ASSERT_EQ(ls.size(), 3u);
  const Lobby& l = std::get<Lobby>(ls[0]);
  for (int side = 0; side < kSides; ++side) {
    EXPECT_EQ(l.seats[side].state, lobby.seats[side].state);
    EXPECT_EQ(l.seats[side].name, lobby.seats[side].name);
    EXPECT_EQ(l.seats[side].ready, lobby.seats[side].ready);
    EXPECT_EQ(l.seats[side].rtt_ms, lobby.seats[side].rtt_ms);
  }
  EXPECT_EQ(l.stage, 2);
  EXPECT_EQ(l.host_side, 1);
  EXPECT_EQ(l.spectators, 7);
  EXPECT_EQ(l.games_played, 70000u);
  EXPECT_EQ(std::get<Welcome>(ls[1]).closed_sides, 0b1000);
  EXPECT_FALSE(std::get<Welcome>(ls[1]).lobby);
  EXPECT_TRUE(std::get<Welcome>(ls[2]).lobby);
}

TEST(NetCodec, LittleEndianHeaderAndBody) {
  const auto bytes = bytes_of(ClientMessage{Input{0x01020304, 0x0506}});
  EXPECT_EQ(bytes, (std::vector<uint8_t>{3, kProtocolVersion, 6, 0, 0, 0, 4, 3, 2, 1, 6, 5}));
}

// Each case damages a good message; the reader must refuse it, and a good
// message before it must still have been read.
TEST(NetCodec, RefusesWhatDoesNotHoldUp) {
  struct Case {
    const char* what;
    std::function<std::vector<uint8_t>()> bytes;
    DecodeStatus status;
  };
  const auto input = bytes_of(ClientMessage{Input{5, 1}});
  const auto with = [&](std::function<void(std::vector<uint8_t>&)> change) {
    return [=] {
      auto b = bytes_of(ClientMessage{Input{5, 1}});
      change(b);
      return b;
    };
  };
  const auto join_with = [](std::function<void(Join&)> change) {
    return [=] {
      Join j{{'A', 'B', 'C', 'D', 'E', 'F'}, Role::kPlayer, 0, {}, "1.0.0", ""};
      change(j);
      return bytes_of(ClientMessage{j});
    };
  };
  const std::vector<Case> cases = {
      {"header cut short",
       [] {
         return std::vector<uint8_t>{3, 1, 6};
       },
       DecodeStatus::kMalformed},
      {"body cut short", with([](auto& b) { b.pop_back(); }), DecodeStatus::kMalformed},
      {"length past the end", with([](auto& b) { b[5] = 0x80; }), DecodeStatus::kMalformed},
      {"length shorter than the body", with([](auto& b) { b[2] = 5; }), DecodeStatus::kMalformed},
      {"another version", with([](auto& b) { b[1] = kProtocolVersion + 1; }),
       DecodeStatus::kWrongVersion},
      {"an older version", with([](auto& b) { b[1] = 1; }), DecodeStatus::kWrongVersion},
      {"name of 97 bytes",
       [] {
         // The writer cuts a name at 96 bytes: lengthen one by hand.
         Join j{
             {'A', 'B', 'C', 'D', 'E', 'F'}, Role::kPlayer, 0, {}, "1.0.0", std::string(96, 'a')};
         auto b = bytes_of(ClientMessage{j});
         b[b.size() - 97] = 97;
         b.push_back('a');
         ++b[2];
         return b;
       },
       DecodeStatus::kMalformed},
      {"empty chat line", [] { return bytes_of(ClientMessage{Chat{""}}); },
       DecodeStatus::kMalformed},
      {"chat line of 481 bytes",
       [] {
         auto b = bytes_of(ClientMessage{Chat{std::string(480, 'x')}});
         b[kHeaderSize] = 0xE1;  // 481, little-endian
         b.push_back('x');
         ++b[2];
         return b;
       },
       DecodeStatus::kMalformed},
      {"pause neither on nor off",
       [] {
         auto b = bytes_of(ClientMessage{Pause{true}});
         b[kHeaderSize] = 2;
         return b;
       },
       DecodeStatus::kMalformed},
      {"chat line sent as a server's", with([](auto& b) { b[0] = 74; }),
       DecodeStatus::kWrongDirection},
      {"unknown type", with([](auto& b) { b[0] = 13; }), DecodeStatus::kMalformed},
      {"server's type", with([](auto& b) { b[0] = 66; }), DecodeStatus::kWrongDirection},
      {"frame 0", with([](auto& b) { b[6] = 0; }), DecodeStatus::kMalformed},
      {"a twelfth key", with([](auto& b) { b[11] = 0x08; }), DecodeStatus::kMalformed},
      {"code with a digit", join_with([](Join& j) { j.code[2] = '1'; }), DecodeStatus::kMalformed},
      {"lower-case code", join_with([](Join& j) { j.code[0] = 'a'; }), DecodeStatus::kMalformed},
      {"side 5", join_with([](Join& j) { j.side = 5; }), DecodeStatus::kMalformed},
      {"any side for a spectator", join_with([](Join& j) {
         j.role = Role::kSpectator;
         j.side = kAnySide;
       }),
       DecodeStatus::kMalformed},
      {"spectator with a side", join_with([](Join& j) {
         j.role = Role::kSpectator;
         j.side = 1;
       }),
       DecodeStatus::kMalformed},
      {"role 2", join_with([](Join& j) { j.role = static_cast<Role>(2); }),
       DecodeStatus::kMalformed},
      {"empty version", join_with([](Join& j) { j.version = ""; }), DecodeStatus::kMalformed},
      {"version with a newline", join_with([](Join& j) { j.version = "1.0\n"; }),
       DecodeStatus::kMalformed},
      {"version longer than it says",
       [] {
         auto b = bytes_of(ClientMessage{
             Join{{'A', 'B', 'C', 'D', 'E', 'F'}, Role::kPlayer, 0, {}, "1.0.0", ""}});
         b[kHeaderSize + 6 + 2 + kTokenLength] = 40;
         return b;
       },
       DecodeStatus::kMalformed},
      {"stage 4",
       [] {
         return bytes_of(ClientMessage{Create{4, 1, 1, 0, "1.0.0", ""}});
       },
       DecodeStatus::kMalformed},
      {"a fifth side",
       [] {
         return bytes_of(ClientMessage{Create{1, 1, 0x10, 0, "1.0.0", ""}});
       },
       DecodeStatus::kMalformed},
      {"no side for a player",
       [] {
         return bytes_of(ClientMessage{Create{1, 1, 0, 0, "1.0.0", ""}});
       },
       DecodeStatus::kMalformed},
      {"leave with a body", with([](auto& b) { b[0] = 6; }), DecodeStatus::kMalformed},
      {"lobby flag neither on nor off",
       [] {
         Create c{1, 1, 0, 0, "1.0.0", ""};
         c.lobby = true;
         auto b = bytes_of(ClientMessage{c});
         b.back() = 2;  // neither with a lobby nor without
         return b;
       },
       DecodeStatus::kMalformed},
      {"lobby setup of stage 0",
       [] {
         return bytes_of(ClientMessage{LobbySetup{0, {}}});
       },
       DecodeStatus::kMalformed},
      {"lobby setup with a fourth choice",
       [] {
         LobbySetup setup{1, {}};
         setup.seats[2] = static_cast<SeatChoice>(3);
         return bytes_of(ClientMessage{setup});
       },
       DecodeStatus::kMalformed},
      {"taking a fifth side", [] { return bytes_of(ClientMessage{TakeSide{4}}); },
       DecodeStatus::kMalformed},
      {"ready neither on nor off",
       [] {
         auto b = bytes_of(ClientMessage{Ready{true}});
         b.back() = 7;
         return b;
       },
       DecodeStatus::kMalformed},
      {"start with a body", with([](auto& b) { b[0] = 12; }), DecodeStatus::kMalformed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = input;
    const auto bad = c.bytes();
    bytes.insert(bytes.end(), bad.begin(), bad.end());
    DecodeStatus status{};
    const auto read = read_all<ClientMessage>(bytes, status);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(read.size(), 1u);
  }
}

TEST(NetCodec, ServerMessagesOutOfRangeAreRefused) {
  struct Case {
    const char* what;
    ServerMessage message;
  };
  Frame fifth_side_handed_over{1, {}};
  fifth_side_handed_over.input.to_computer = 0x10;
  Frame fifth_side_resumed{1, {}};
  fifth_side_resumed.input.resume = 0x80;
  Frame bad_keys{1, {}};
  bad_keys.input.keys[3] = 0x800;
  const std::vector<Case> cases = {
      {"late placed before its frame", Late{10, 10}},
      {"welcome of stage 0", Welcome{Role::kPlayer, 0, {}, 0, 1, 1, 0, 30, 0}},
      {"welcome with frames of 0 ms", Welcome{Role::kPlayer, 0, {}, 1, 1, 1, 0, 0, 0}},
      {"empty snapshot", Snapshot{5, {}}},
      {"goodbye with a control character", Goodbye{Reason::kSilent, "a\x1b[2Jb"}},
      {"welcome to a game without players", Welcome{Role::kPlayer, 0, {}, 1, 1, 0, 0, 30, 0}},
      {"a fifth side handed over", fifth_side_handed_over},
      {"a fifth side resumed", fifth_side_resumed},
      {"a twelfth key", bad_keys},
      {"roster with a control character in a name",
       [] {
         Roster r;
         r.seats[2] = {SeatState::kPlayer, "a\x1b[2J"};
         return r;
       }()},
      {"roster naming an open side",
       [] {
         Roster r;
         r.seats[1] = {SeatState::kOpen, "Ada"};
         return r;
       }()},
      {"roster with a nameless player",
       [] {
         Roster r;
         r.seats[1] = {SeatState::kPlayer, ""};
         return r;
       }()},
      {"roster with a fifth seat state",
       [] {
         Roster r;
         r.seats[0].state = static_cast<SeatState>(5);
         return r;
       }()},
      {"roster name of 25 characters",
       [] {
         Roster r;
         r.seats[0] = {SeatState::kPlayer, std::string(25, 'a')};
         return r;
       }()},
      {"chat line from a fifth side", ChatLine{5, "Ada", "hi"}},
      {"chat line of invalid UTF-8", ChatLine{0, "Ada", "\xff\xfe"}},
      {"chat line of 121 characters", ChatLine{0, "Ada", std::string(121, 'x')}},
      {"empty chat line", ChatLine{0, "Ada", ""}},
      {"chat line without a sender", ChatLine{0, "", "hi"}},
      {"paused with a countdown over 3 s", Paused{true, 0, 10, 3001}},
      {"paused after frame 0", Paused{true, 0, 0, 0}},
      {"running with a side", Paused{false, 2, 0, 0}},
      {"refused with a control character", Refused{"no\x07"}},
      {"refused without a reason", Refused{""}},
      {"a side both closed and a player's",
       [] {
         Welcome w{Role::kPlayer, 0, {}, 1, 1, 0b0011, 0, 30, 0};
         w.closed_sides = 0b0010;
         return w;
       }()},
      {"a fifth side closed",
       [] {
         Welcome w{Role::kPlayer, 0, {}, 1, 1, 0b0001, 0, 30, 0};
         w.closed_sides = 0x10;
         return w;
       }()},
      {"lobby whose host holds no side",
       [] {
         Lobby l;
         l.seats[0] = {SeatState::kPlayer, "Ada", false, 0};
         l.host_side = 1;
         return l;
       }()},
      {"lobby with a player away",
       [] {
         Lobby l;
         l.seats[0] = {SeatState::kPlayer, "Ada", false, 0};
         l.seats[2] = {SeatState::kAway, "Bo", false, 0};
         return l;
       }()},
      {"lobby with an open side ready",
       [] {
         Lobby l;
         l.seats[0] = {SeatState::kPlayer, "Ada", false, 0};
         l.seats[1].ready = true;
         return l;
       }()},
      {"lobby of stage 4",
       [] {
         Lobby l;
         l.stage = 4;
         l.seats[0] = {SeatState::kPlayer, "Ada", false, 0};
         return l;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes;
    append_message(bytes, c.message);
    DecodeStatus status{};
    read_all<ServerMessage>(bytes, status);
    EXPECT_EQ(status, DecodeStatus::kMalformed);
  }
}

TEST(NetCodec, QueuedMessagesAreCutIntoBatchesOfWholeMessages) {
  // Inputs are 12 bytes each, a join 36: the cut never splits one.
  std::vector<uint8_t> inputs;
  for (uint32_t f = 1; f <= 20; ++f) append_message(inputs, ClientMessage{Input{f, 1}});
  ASSERT_EQ(inputs.size(), 240u);
  std::vector<uint8_t> join_first;
  append_message(
      join_first,
      ClientMessage{Join{{'A', 'B', 'C', 'D', 'E', 'F'}, Role::kPlayer, 0, {}, "1.0.0", ""}});
  const size_t join_size = join_first.size();
  join_first.insert(join_first.end(), inputs.begin(), inputs.end());
  const struct {
    const std::vector<uint8_t>* bytes;
    size_t limit;
    size_t expected;
  } cases[] = {
      {&inputs, 128, 120},           // ten inputs fit, the eleventh would not
      {&inputs, 12, 12},             // exactly one
      {&inputs, 5, 12},              // one message, however long, still goes
      {&inputs, 1000, 240},          // everything queued
      {&join_first, 30, join_size},  // a long first message goes alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    const size_t cut = whole_messages_within(*c.bytes, c.limit);
    EXPECT_EQ(cut, c.expected);
    DecodeStatus status;
    read_all<ClientMessage>(std::span(*c.bytes).first(cut), status);
    EXPECT_EQ(status, DecodeStatus::kOk);
  }
}

// A client of another protocol version must still learn why it was
// refused: the GOODBYE is read whatever version its header names, and the
// server reads an old CREATE or JOIN far enough to name the versions.
TEST(NetCodec, GoodbyeAndHelloAcrossProtocolVersions) {
  std::vector<uint8_t> bytes;
  append_goodbye(bytes, Goodbye{Reason::kVersionMismatch, "Ada plays quarvex 1.0.2"}, 1);
  EXPECT_EQ(bytes[1], 1);
  DecodeStatus status{};
  const auto read = read_all<ServerMessage>(bytes, status);
  ASSERT_EQ(status, DecodeStatus::kOk);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(std::get<Goodbye>(read[0]).text, "Ada plays quarvex 1.0.2");

  // Protocol 1's JOIN: code, role, side, token, version; no name.
  std::vector<uint8_t> old_join{2, 1, 30, 0, 0, 0, 'Q', 'W', 'E', 'R', 'T', 'Y', 0, 2};
  old_join.resize(old_join.size() + kTokenLength);
  for (uint8_t c : std::string("\x05"
                               "1.0.1"))
    old_join.push_back(c);
  const auto hello = read_old_hello(old_join);
  ASSERT_TRUE(hello.has_value());
  EXPECT_EQ(hello->version, "1.0.1");
  ASSERT_TRUE(hello->code.has_value());
  EXPECT_EQ(*hello->code, (JoinCode{'Q', 'W', 'E', 'R', 'T', 'Y'}));
  old_join.pop_back();
  EXPECT_FALSE(read_old_hello(old_join).has_value()) << "a version cut short";
  EXPECT_FALSE(read_old_hello(bytes).has_value()) << "not a CREATE or JOIN";

  EXPECT_EQ(version_mismatch_text("Ada", "1.0.1", "1.0.2"),
            "Ada plays quarvex 1.0.1; you have 1.0.2");
  EXPECT_EQ(version_mismatch_text("", "1.0.1", "1.0.2"),
            "the game runs quarvex 1.0.1; you have 1.0.2");
}

TEST(NetCodec, NamesAndChatAreCleaned) {
  struct Case {
    const char* what;
    std::string typed;
    size_t max_chars;
    std::string cleaned;
  };
  const std::vector<Case> cases = {
      {"plain", "Ada", kMaxNameChars, "Ada"},
      {"Japanese kept", "\u5c71\u7530\u592a\u90ce", kMaxNameChars, "\u5c71\u7530\u592a\u90ce"},
      {"accents kept", "J\u00fcrgen", kMaxNameChars, "J\u00fcrgen"},
      {"control characters removed", "A\x1b[2Jd\ta\x7f", kMaxNameChars, "A[2Jda"},
      {"C1 control removed", "a\u0085b", kMaxNameChars, "ab"},
      {"line separator removed", "a\u2028b", kMaxNameChars, "ab"},
      {"spaces at the ends removed", "  Ada  ", kMaxNameChars, "Ada"},
      {"cut at 24 code points, not bytes", std::string(30, 'a'), kMaxNameChars,
       std::string(24, 'a')},
      {"Japanese cut at 24 code points",
       [] {
         std::string s;
         for (int i = 0; i < 30; ++i) s += "\u3042";
         return s;
       }(),
       kMaxNameChars,
       [] {
         std::string s;
         for (int i = 0; i < 24; ++i) s += "\u3042";
         return s;
       }()},
      {"stray continuation byte",
       "a\x80"
       "b",
       kMaxNameChars, "a\ufffdb"},
      {"cut-short sequence at the end", "ab\xe3\x81", kMaxNameChars, "ab\ufffd\ufffd"},
      {"overlong slash",
       "a\xc0\xaf"
       "b",
       kMaxNameChars, "a\ufffd\ufffdb"},
      {"surrogate", "\xed\xa0\x80", kMaxNameChars, "\ufffd\ufffd\ufffd"},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80", kMaxNameChars, "\ufffd\ufffd\ufffd\ufffd"},
      {"emoji kept", "\U0001F600", kMaxNameChars, "\U0001F600"},
      {"chat of 120 characters", std::string(200, 'x'), kMaxChatChars, std::string(120, 'x')},
      {"nothing but control characters", "\n\r\x01", kMaxChatChars, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(clean_text(c.typed, c.max_chars), c.cleaned);
    EXPECT_TRUE(is_clean_text(c.cleaned, c.max_chars));
    EXPECT_EQ(is_clean_text(c.typed, c.max_chars), c.typed == c.cleaned);
  }
  EXPECT_EQ(player_name("", 2), "Player 3");
  EXPECT_EQ(player_name(" \x07 ", 0), "Player 1");
  EXPECT_EQ(player_name("Ada", 0), "Ada");
}

TEST(NetCodec, JoinCodesAndTokensFromRandomBytes) {
  testing::CountingRandom random;
  const JoinCode a = make_join_code(random);
  const JoinCode b = make_join_code(random);
  EXPECT_TRUE(valid_code(a));
  EXPECT_NE(a, b);
  // A source that gives only zeros still yields a token that is not "none".
  class Zeros : public RandomSource {
   public:
    void fill(std::span<uint8_t> out) override {
      for (uint8_t& x : out) x = calls_ < 2 ? 0 : 1;
      ++calls_;
    }
    int calls_ = 0;
  } zeros;
  const Token t = make_token(zeros);
  EXPECT_NE(t, Token{});
}

}  // namespace
}  // namespace quarvex
