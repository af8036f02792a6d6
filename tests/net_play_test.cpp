// Networked games between real programs on 127.0.0.1: quarvex-server and
// headless clients, with random keys on every side. The server closes a
// frame every 2 ms in most of them, so a 3,000-frame game takes seconds;
// the one behind a delaying relay keeps the real 30 ms.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "delay_relay.h"
#include "net/codec.h"
#include "net_fakes.h"
#include "platform/ws_client.h"
#include "test_files.h"

namespace quarvex {
namespace {

using testing::ChildProcess;

constexpr int kStartMs = 20000;

// A key script of a player who presses something new every few frames.
std::string random_keys(uint32_t seed, int frames) {
  static const char* const kNames[] = {"kp0", "kp1", "kp3", "kp4",   "kp5", "kp6",
                                       "kp7", "kp8", "kp9", "space", "tab"};
  std::mt19937 random(seed);
  std::string text;
  for (int f = 1; f <= frames;) {
    const int run = 1 + static_cast<int>(random() % 12);
    const int last = std::min(frames, f + run - 1);
    text += std::to_string(f) + "-" + std::to_string(last);
    const uint32_t keys = random() & random();  // mostly few keys at once
    for (int k = 0; k < 11; ++k) {
      if ((keys >> k) & 1) text += std::string(" ") + kNames[k];
    }
    text += "\n";
    f = last + 1;
  }
  return text;
}

std::vector<std::string> sorted_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string after(const std::string& line, const std::string& marker) {
  const size_t at = line.find(marker);
  return at == std::string::npos ? std::string() : line.substr(at + marker.size());
}

struct HttpAnswer {
  int status = 0;
  std::string encoding;  // Content-Encoding
  std::string body;
};

// One plain HTTP request to the server's port, as a browser makes it.
HttpAnswer http_request(uint16_t port, boost::beast::http::verb method, const std::string& target,
                        const std::string& accept_encoding) {
  namespace beast = boost::beast;
  namespace http = beast::http;
  boost::asio::io_context io;
  boost::asio::ip::tcp::socket socket(io);
  beast::error_code ec;
  socket.connect({boost::asio::ip::make_address("127.0.0.1"), port}, ec);
  if (ec) return {};
  http::request<http::empty_body> request{method, target, 11};
  request.set(http::field::host, "127.0.0.1");
  if (!accept_encoding.empty()) request.set(http::field::accept_encoding, accept_encoding);
  http::write(socket, request, ec);
  beast::flat_buffer buffer;
  http::response_parser<http::string_body> parser;
  parser.skip(method == http::verb::head);
  http::read(socket, buffer, parser, ec);
  if (ec) return {};
  const auto& response = parser.get();
  const auto coding = response.find(http::field::content_encoding);
  return {static_cast<int>(response.result_int()),
          coding == response.end() ? "" : std::string(coding->value()), response.body()};
}

class NetPlay : public ::testing::Test {
 protected:
  // Desync reports and kept replays go into the test's folder, not the
  // home of whoever runs the tests.
  NetPlay() {
    if (const char* old = std::getenv("XDG_DATA_HOME")) old_data_home_ = old;
    setenv("XDG_DATA_HOME", dir_.file("data").c_str(), 1);
  }
  ~NetPlay() override {
    if (old_data_home_) {
      setenv("XDG_DATA_HOME", old_data_home_->c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
  }

  // Waits until a file holds `text`: the server writes as it goes, and
  // finishes a replay just after it logs the game's end.
  static std::string wait_for_text(const std::string& file, const std::string& text) {
    std::string content;
    for (int i = 0; i < 500; ++i) {
      content = testing::read_text(file);
      if (content.find(text) != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return content;
  }

  // The only file in a folder; empty when there is not exactly one.
  static std::string only_file(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    return names.size() == 1 ? names.front() : std::string();
  }

  // Starts the server; `extra` adds to its command line.
  void start_server(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--data",     QUARVEX_DATA_DIR,
                                     "--stats",  "0",           "--max-rate", "5000"};
    args.insert(args.end(), extra.begin(), extra.end());
    server_ = std::make_unique<ChildProcess>(QUARVEX_SERVER_BIN, args, dir_.path(),
                                             dir_.file("server.err"));
    const auto line = server_->wait_for_prefix("quarvex-server", kStartMs);
    ASSERT_TRUE(line) << testing::read_text(dir_.file("server.err"));
    const auto m = match(*line, R"(listening on (wss?)://127\.0\.0\.1:(\d+))");
    ASSERT_FALSE(m.empty()) << *line;
    url_ = m[1] + "://127.0.0.1:" + m[2];
    port_ = static_cast<uint16_t>(std::stoi(m[2]));
  }

  // The groups of `pattern` found in `line`; empty when it is not there.
  static std::vector<std::string> match(const std::string& line, const char* pattern) {
    std::smatch m;
    std::vector<std::string> groups;
    if (std::regex_search(line, m, std::regex(pattern))) {
      for (const auto& g : m) groups.push_back(g.str());
    }
    return groups;
  }

  std::unique_ptr<ChildProcess> client(const std::string& name, std::vector<std::string> args,
                                       const std::string& url = "") {
    std::vector<std::string> all = {"--headless", "--connect", url.empty() ? url_ : url, "--data",
                                    QUARVEX_DATA_DIR};
    all.insert(all.end(), args.begin(), args.end());
    return std::make_unique<ChildProcess>(QUARVEX_BIN, all, dir_.path(), dir_.file(name + ".err"));
  }

  std::string create_game(int frames, const std::string& url = "") {
    auto creator = client("create",
                          {"--create-game", "--stage", "2", "--seed", "7", "--humans", "0,1,2,3",
                           "--frames", std::to_string(frames)},
                          url);
    const auto line = creator->wait_for_prefix("code: ", kStartMs);
    EXPECT_EQ(creator->wait(kStartMs), 0) << testing::read_text(dir_.file("create.err"));
    return line ? after(*line, "code: ") : std::string();
  }

  // A player of side `side` with its own random keys.
  std::unique_ptr<ChildProcess> player(const std::string& code, int side, int frames,
                                       std::vector<std::string> extra = {},
                                       const std::string& url = "") {
    const std::string keys = dir_.file("keys" + std::to_string(side) + ".txt");
    testing::write_text(keys, random_keys(100 + static_cast<uint32_t>(side), frames));
    std::vector<std::string> args = {"--code",  code, "--side", std::to_string(side),
                                     "--input", keys, "--hash"};
    args.insert(args.end(), extra.begin(), extra.end());
    return client("side" + std::to_string(side), args, url);
  }

  // The line of a program's output that starts with `prefix`.
  static std::string line_of(const ChildProcess& c, const std::string& prefix) {
    for (const std::string& line : c.lines()) {
      if (line.rfind(prefix, 0) == 0) return line;
    }
    return "(no line " + prefix + ")";
  }
  // The hash a client printed at its end.
  static std::string final_hash(const ChildProcess& c) {
    return after(line_of(c, "hash: "), "hash: ");
  }
  // The server's hash of the game's last frame.
  std::string server_hash(const std::string& code, int frame) {
    const auto line = server_->wait_for_prefix("game " + code + ": ended", 30000);
    if (!line) return "(none)";
    EXPECT_NE(line->find("at frame " + std::to_string(frame) + ","), std::string::npos) << *line;
    return after(*line, "hash: ");
  }
  std::string errors(const std::string& name) {
    return testing::read_text(dir_.file(name + ".err"));
  }

  // Plays a recording headless; its `hash:` line, or why there was none.
  std::string replayed_hash(const std::string& recording) {
    ChildProcess replay(QUARVEX_BIN,
                        {"--headless", "--replay", recording, "--data", QUARVEX_DATA_DIR},
                        dir_.path(), dir_.file("replay.err"));
    const int status = replay.wait(60000);
    if (status != 0) return "(exit " + std::to_string(status) + ": " + errors("replay") + ")";
    return final_hash(replay);
  }

  testing::TempDir dir_;
  std::optional<std::string> old_data_home_;
  std::unique_ptr<ChildProcess> server_;
  std::string url_;
  uint16_t port_ = 0;
};

TEST_F(NetPlay, FourClientsTheServerAndTheReplayEndAThousandsOfFramesGameWithOneHash) {
  start_server({"--frame-interval", "2"});
  const std::string code = create_game(3000);
  ASSERT_EQ(code.size(), 6u);
  std::vector<std::unique_ptr<ChildProcess>> players;
  for (int side = 0; side < 4; ++side) {
    const std::string recording = dir_.file("side" + std::to_string(side) + ".replay");
    players.push_back(player(code, side, 3000, {"--record", recording}));
  }
  const std::string expected = server_hash(code, 3000);
  ASSERT_EQ(expected.size(), 16u);
  for (int side = 0; side < 4; ++side) {
    SCOPED_TRACE(side);
    EXPECT_EQ(players[side]->wait(60000), 0) << errors("side" + std::to_string(side));
    EXPECT_EQ(final_hash(*players[side]), expected);
  }
  // Every machine recorded the server's inputs of every side: one replay
  // (its checks written once the server agreed, so not always at the same
  // place), which plays to the server's hash, its checks agreeing on the way.
  const std::string replay = testing::read_text(dir_.file("side0.replay"));
  EXPECT_NE(replay.find("humans 0 1 2 3\n"), std::string::npos);
  for (const char* check : {"check 1000 ", "check 2000 ", "check 3000 "}) {
    EXPECT_NE(replay.find(check), std::string::npos) << check;
  }
  EXPECT_NE(replay.find("end 3000 " + expected), std::string::npos);
  for (int side = 1; side < 4; ++side) {
    const std::string other = dir_.file("side" + std::to_string(side) + ".replay");
    EXPECT_EQ(sorted_lines(testing::read_text(other)), sorted_lines(replay)) << side;
  }
  EXPECT_EQ(replayed_hash(dir_.file("side0.replay")), expected);
}

TEST_F(NetPlay, TheServerServesTheBuiltPageOverHttpAndItsGamesOnTheSamePort) {
  namespace http = boost::beast::http;
  const std::string page = dir_.file("page");
  std::filesystem::create_directories(page);
  testing::write_text(page + "/index.html", "<!doctype html><title>quarvex</title>\n");
  testing::write_text(page + "/quarvex.wasm", "the program as it is");
  testing::write_text(page + "/quarvex.wasm.gz", "the program compressed");
  testing::write_text(dir_.file("secret.txt"), "not the page's");
  start_server({"--frame-interval", "2", "--web", page});
  struct Case {
    http::verb method;
    const char* target;
    const char* accept_encoding;
    int status;
    const char* encoding;
    const char* body;  // nullptr: not looked at
  };
  const Case cases[] = {
      {http::verb::get, "/", "", 200, "", "<!doctype html><title>quarvex</title>\n"},
      {http::verb::get, "/quarvex.wasm", "gzip, deflate", 200, "gzip", "the program compressed"},
      {http::verb::get, "/quarvex.wasm", "", 200, "", "the program as it is"},
      {http::verb::head, "/index.html", "", 200, "", ""},
      {http::verb::get, "/missing.js", "", 404, "", nullptr},
      {http::verb::get, "/../secret.txt", "", 400, "", nullptr},
      {http::verb::get, "/%2e%2e/secret.txt", "", 400, "", nullptr},
      {http::verb::post, "/", "", 405, "", nullptr},
  };
  // Headers beyond what any browser sends: the connection ends unanswered.
  const std::string huge = "/" + std::string(20000, 'a');
  EXPECT_EQ(http_request(port_, http::verb::get, huge, "").status, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(http::to_string(c.method)) + " " + c.target);
    const HttpAnswer answer = http_request(port_, c.method, c.target, c.accept_encoding);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.encoding, c.encoding);
    if (c.body != nullptr) {
      EXPECT_EQ(answer.body, c.body);
    }
  }
  // A game on the same port, the page still served while it runs.
  const std::string code = create_game(300);
  auto one = player(code, 0, 300);
  auto two = player(code, 1, 300);
  auto three = player(code, 2, 300);
  auto four = player(code, 3, 300);
  ASSERT_TRUE(one->wait_for_prefix("joined", kStartMs));
  EXPECT_EQ(http_request(port_, http::verb::get, "/", "").status, 200);
  const std::string expected = server_hash(code, 300);
  for (auto* c : {one.get(), two.get(), three.get(), four.get()}) {
    EXPECT_EQ(c->wait(60000), 0);
    EXPECT_EQ(final_hash(*c), expected);
  }
}

TEST_F(NetPlay, WithoutAPageAPlainHttpRequestGetsA426AndTheGameGoesOn) {
  namespace http = boost::beast::http;
  start_server({"--frame-interval", "2"});
  const std::string code = create_game(300);
  auto one = player(code, 0, 300);
  auto two = player(code, 1, 300);
  auto three = player(code, 2, 300);
  auto four = player(code, 3, 300);
  ASSERT_TRUE(one->wait_for_prefix("joined", kStartMs));
  for (const http::verb method : {http::verb::get, http::verb::head, http::verb::post}) {
    SCOPED_TRACE(http::to_string(method));
    EXPECT_EQ(http_request(port_, method, "/", "").status, 426);
  }
  const std::string expected = server_hash(code, 300);
  for (auto* c : {one.get(), two.get(), three.get(), four.get()}) {
    EXPECT_EQ(c->wait(60000), 0);
    EXPECT_EQ(final_hash(*c), expected);
  }
}

TEST_F(NetPlay, FoldersTheServerCannotUseStopItAtStartWithExitStatus2) {
  const std::string empty = dir_.file("empty");
  std::filesystem::create_directories(empty);
  testing::write_text(dir_.file("a-file"), "");
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"--web", dir_.file("missing")}, "--web: "},
      {{"--web", dir_.file("a-file")}, "--web: "},
      {{"--web", empty}, "not a built page"},
      {{"--replays", dir_.file("a-file")}, "--replays: cannot make the folder"},
      {{"--replays", dir_.file("a-file") + "/replays"}, "--replays: cannot make the folder"},
      {{"--replays", empty, "--no-simulation"}, "--replays needs the games simulated"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args[1]);
    std::vector<std::string> args = {"--listen", "127.0.0.1:0", "--stats", "0"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ChildProcess server(QUARVEX_SERVER_BIN, args, dir_.path(), dir_.file("bad.err"));
    EXPECT_EQ(server.wait(kStartMs), 2);
    EXPECT_NE(errors("bad").find(c.says), std::string::npos) << errors("bad");
    EXPECT_TRUE(server.lines().empty()) << server.all_output();
  }
}

TEST_F(NetPlay, TheServerKeepsAReplayOfEveryGameThatPlaysToThePlayersHash) {
  const std::string replays = dir_.file("replays");
  start_server({"--frame-interval", "2", "--replays", replays});
  const std::string code = create_game(1200);
  auto one = player(code, 0, 1200);
  auto two = player(code, 1, 1200);
  auto three = player(code, 2, 1200);
  auto four = player(code, 3, 1200);
  const std::string expected = server_hash(code, 1200);
  for (auto* c : {one.get(), two.get(), three.get(), four.get()}) {
    EXPECT_EQ(c->wait(60000), 0);
    EXPECT_EQ(final_hash(*c), expected);
  }
  const std::string name = only_file(replays);
  EXPECT_TRUE(std::regex_match(name, std::regex(R"(\d{8}-\d{6}-)" + code + R"(\.qvr)"))) << name;
  const std::string file = replays + "/" + name;
  const std::string replay = wait_for_text(file, "end 1200 ");
  EXPECT_NE(replay.find("humans 0 1 2 3\n"), std::string::npos) << replay;
  // The players are named, "Player N" for those who gave no name.
  for (int side = 0; side < 4; ++side) {
    std::string line = "\nplayer ";
    line += std::to_string(side);
    line += " Player ";
    line += std::to_string(side + 1);
    line += '\n';
    EXPECT_NE(replay.find(line), std::string::npos) << replay;
  }
  EXPECT_NE(replay.find("check 1000 "), std::string::npos) << replay;
  EXPECT_NE(replay.find("end 1200 " + expected), std::string::npos) << replay;
  EXPECT_EQ(replayed_hash(file), expected);
  // Every player kept the game too, in its own replay folder.
  const std::string kept_by_players = dir_.file("data/quarvex/replays");
  std::vector<std::string> theirs;
  for (const auto& entry : std::filesystem::directory_iterator(kept_by_players)) {
    theirs.push_back(entry.path().string());
  }
  ASSERT_EQ(theirs.size(), 4u);
  EXPECT_EQ(replayed_hash(theirs.front()), expected);
  EXPECT_NE(testing::read_text(theirs.front()).find("\nplayer 2 Player 3\n"), std::string::npos);

  // A game still going when the server stops: its replay ends where the
  // server stopped, and still plays.
  std::filesystem::remove(file);
  const std::string endless = create_game(1000000);
  // Players who asked for no replay keep none.
  auto five = player(endless, 0, 400, {"--no-replay"});
  auto six = player(endless, 1, 400, {"--no-replay"});
  auto seven = player(endless, 2, 400, {"--no-replay"});
  auto eight = player(endless, 3, 400, {"--no-replay"});
  ASSERT_TRUE(five->wait_for_prefix("joined", kStartMs));
  const std::string unfinished = replays + "/" + only_file(replays);
  wait_for_text(unfinished, "0: ");
  server_->send_signal(SIGTERM);
  EXPECT_EQ(server_->wait(kStartMs), 0) << errors("server");
  const std::string kept = testing::read_text(unfinished);
  const auto end = match(kept, R"(\nend (\d+) ([0-9a-f]{16})\n$)");
  ASSERT_FALSE(end.empty()) << kept;
  EXPECT_GT(std::stoi(end[1]), 0);
  EXPECT_EQ(replayed_hash(unfinished), end[2]);
  for (auto* c : {five.get(), six.get(), seven.get(), eight.get()}) c->wait(kStartMs);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(kept_by_players),
                          std::filesystem::directory_iterator()),
            4);
}

TEST_F(NetPlay, AFlippedBitIsReportedWritesItsReportAndTheGameEndsInAgreement) {
  start_server({"--frame-interval", "2"});
  const std::string code = create_game(1500);
  std::vector<std::unique_ptr<ChildProcess>> players;
  for (int side = 0; side < 4; ++side) {
    std::vector<std::string> extra;
    // Side 1's World goes astray just before the frame its recording checks.
    if (side == 1) extra = {"--flip-bit", "990:funds[2]:3", "--record", dir_.file("astray.replay")};
    players.push_back(player(code, side, 1500, extra));
  }
  const std::string expected = server_hash(code, 1500);
  for (int side = 0; side < 4; ++side) {
    SCOPED_TRACE(side);
    EXPECT_EQ(players[side]->wait(60000), 0) << errors("side" + std::to_string(side));
    EXPECT_EQ(final_hash(*players[side]), expected);
  }
  const auto m = match(line_of(*players[1], "desync at frame"), R"(at frame (\d+): report (\S+))");
  ASSERT_FALSE(m.empty()) << line_of(*players[1], "desync");
  EXPECT_GT(std::stoi(m[1]), 990);
  EXPECT_LE(std::stoi(m[1]), 990 + 30);
  EXPECT_EQ(m[2].rfind(dir_.file("data/quarvex/desyncs/"), 0), 0u) << m[2];
  const std::string report = testing::read_text(m[2]);
  EXPECT_NE(report.find("client hash "), std::string::npos);
  EXPECT_NE(report.find("\"funds\""), std::string::npos);
  for (int side : {0, 2, 3}) EXPECT_EQ(line_of(*players[side], "desync"), "(no line desync)");
  // Its recording holds the server's inputs and no check of the astray
  // World: it replays the game as the server played it.
  const std::string replay = testing::read_text(dir_.file("astray.replay"));
  EXPECT_EQ(replay.find("check 1000 "), std::string::npos);
  EXPECT_EQ(replayed_hash(dir_.file("astray.replay")), expected);
}

TEST_F(NetPlay, AKilledClientsSideGoesToTheComputerAndComesBackWithItsToken) {
  start_server({"--frame-interval", "2"});
  const std::string code = create_game(3000);
  std::vector<std::unique_ptr<ChildProcess>> players;
  for (int side = 0; side < 4; ++side) players.push_back(player(code, side, 3000));
  const auto joined = players[3]->wait_for_prefix("joined game", kStartMs);
  ASSERT_TRUE(joined);
  const std::string token = after(*joined, "token: ");
  ASSERT_TRUE(players[3]->wait_for_prefix("frame 1000 ", 60000));
  players[3]->kill_now();
  ASSERT_TRUE(players[0]->wait_for_prefix("frame 2000 ", 60000));
  auto back = player(code, 3, 3000, {"--token", token});
  const std::string expected = server_hash(code, 3000);
  for (int side = 0; side < 3; ++side) {
    SCOPED_TRACE(side);
    EXPECT_EQ(players[side]->wait(60000), 0) << errors("side" + std::to_string(side));
    EXPECT_EQ(final_hash(*players[side]), expected);
  }
  EXPECT_EQ(back->wait(60000), 0) << errors("side3");
  EXPECT_EQ(final_hash(*back), expected);

  // Every machine handed side 3 over, and back, at the same frames.
  std::vector<std::string> seen;
  for (const auto& c : {players[0].get(), players[1].get(), players[2].get()}) {
    std::string events;
    for (const std::string& line : c->lines()) {
      if (line.find("side 3") != std::string::npos) events += line + "\n";
    }
    seen.push_back(events);
  }
  const auto away = match(seen[0], R"(frame (\d+): side 3 goes to the computer)");
  const auto home = match(seen[0], R"(frame (\d+): side 3 is back with its player)");
  ASSERT_FALSE(away.empty()) << seen[0];
  ASSERT_FALSE(home.empty()) << seen[0];
  // Handed over when its connection ended, not after 15 seconds of silence
  // (the game would be over by then), and back only after the reconnect.
  EXPECT_GT(std::stoi(away[1]), 1000);
  EXPECT_LT(std::stoi(away[1]), 2000);
  EXPECT_GT(std::stoi(home[1]), 2000);
  EXPECT_EQ(seen[1], seen[0]);
  EXPECT_EQ(seen[2], seen[0]);
  // The server agreed with every hash reported on the way, the computer's
  // side 3 included, and the Worlds met at every thousandth frame.
  for (const auto& c : {players[0].get(), players[1].get(), players[2].get(), back.get()}) {
    EXPECT_EQ(line_of(*c, "desync"), "(no line desync)");
    EXPECT_EQ(line_of(*c, "frame 3000 hash: "), "frame 3000 hash: " + expected);
  }
  EXPECT_EQ(line_of(*players[1], "frame 2000 hash: "), line_of(*players[0], "frame 2000 hash: "));
  EXPECT_EQ(line_of(*players[2], "frame 2000 hash: "), line_of(*players[0], "frame 2000 hash: "));
  // The one that came back started from the server's World of the frame
  // before it got its side back.
  const std::string back_line = line_of(*back, "frame ");
  EXPECT_NE(back_line.find("side 3 is back with its player"), std::string::npos) << back_line;
  EXPECT_NE(seen[0].find(back_line), std::string::npos) << back_line;
}

TEST_F(NetPlay, BehindASlowUnevenLinkFramesKeepTheirPaceAndTheDelayStaysAtMostSix) {
  start_server();
  // 100 ms round trips, ±30 ms: each way 50 ± 15 ms.
  testing::DelayRelay relay(port_, 50, 15, 11);
  const std::string url = "ws://127.0.0.1:" + std::to_string(relay.port());
  const std::string code = create_game(400, url);
  std::vector<std::unique_ptr<ChildProcess>> players;
  for (int side = 0; side < 4; ++side) players.push_back(player(code, side, 400, {}, url));
  const std::string expected = server_hash(code, 400);
  for (int side = 0; side < 4; ++side) {
    SCOPED_TRACE(side);
    EXPECT_EQ(players[side]->wait(60000), 0) << errors("side" + std::to_string(side));
    EXPECT_EQ(final_hash(*players[side]), expected);
    const std::string figures = line_of(*players[side], "network: ");
    const auto m = match(figures, R"(a frame every ([0-9.]+) ms.*\(highest (\d+)\))");
    ASSERT_FALSE(m.empty()) << figures;
    EXPECT_NEAR(std::stod(m[1]), 30.0, 1.0) << figures;
    EXPECT_LE(std::stoi(m[2]), 6) << figures;
    EXPECT_GE(std::stoi(m[2]), 4) << figures;
  }
}

TEST_F(NetPlay, SecureWebSocketsWithTheServersCertificate) {
  const std::string cert = dir_.file("cert.pem");
  const std::string key = dir_.file("key.pem");
  const std::string make_cert =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost "
      "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
      key + "' -out '" + cert + "' 2>/dev/null";
  ASSERT_EQ(std::system(make_cert.c_str()), 0);
  start_server({"--frame-interval", "2", "--tls-cert", cert, "--tls-key", key});
  ASSERT_EQ(url_.rfind("wss://", 0), 0u);
  // The clients trust the server's own certificate, as a player's system
  // would trust a real one.
  setenv("SSL_CERT_FILE", cert.c_str(), 1);
  const std::string code = create_game(300);
  auto one = player(code, 0, 300);
  auto two = player(code, 1, 300);
  auto three = player(code, 2, 300);
  auto four = player(code, 3, 300);
  const std::string expected = server_hash(code, 300);
  for (auto* c : {one.get(), two.get(), three.get(), four.get()}) {
    EXPECT_EQ(c->wait(60000), 0);
    EXPECT_EQ(final_hash(*c), expected);
  }
  unsetenv("SSL_CERT_FILE");
  // Without it the certificate is refused.
  auto stranger = client("stranger", {"--create-game"});
  EXPECT_EQ(stranger->wait(30000), 1);
  EXPECT_NE(errors("stranger").find("no secure connection"), std::string::npos)
      << errors("stranger");
}

TEST_F(NetPlay, AFaultyClientIsToldWhyAndTheGameGoesOn) {
  start_server({"--frame-interval", "2"});
  const std::string code = create_game(1500);
  auto one = player(code, 0, 1500);
  auto two = player(code, 1, 1500);
  auto three = player(code, 2, 1500);
  auto four = player(code, 3, 1500);
  ASSERT_TRUE(one->wait_for_prefix("joined", kStartMs));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"garbage", {1, 2, 3}, "sent a message header is cut short"},
      {"too large", std::vector<uint8_t>(5000, 0), ""},
      {"out of turn", testing::bytes_of(net::ClientMessage{net::Input{1, 0}}),
       "sent a message out of turn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WsClient link;
    std::string error;
    ASSERT_TRUE(link.open(url_, error)) << error;
    net::LinkEvent event;
    bool closed = false;
    std::string goodbye;
    for (int i = 0; i < 100 && !closed; ++i) {
      if (!link.next_event(event, 100)) continue;
      if (event.kind == net::LinkEvent::Kind::kOpened) link.send(c.bytes);
      if (event.kind == net::LinkEvent::Kind::kMessage) {
        net::MessageReader<net::ServerMessage> reader(event.bytes);
        net::ServerMessage m;
        while (reader.next(m)) {
          if (const auto* g = std::get_if<net::Goodbye>(&m)) goodbye = g->text;
        }
      }
      closed = event.kind == net::LinkEvent::Kind::kClosed;
    }
    EXPECT_TRUE(closed);
    if (!c.reason.empty()) {
      EXPECT_EQ(goodbye, c.reason);
      EXPECT_EQ(event.reason, c.reason);
    }
  }
  const std::string expected = server_hash(code, 1500);
  for (auto* c : {one.get(), two.get(), three.get(), four.get()}) {
    EXPECT_EQ(c->wait(60000), 0);
    EXPECT_EQ(final_hash(*c), expected);
  }
}

}  // namespace
}  // namespace quarvex
