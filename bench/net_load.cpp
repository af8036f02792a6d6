// A load on a game server from one process: many four-player games of
// protocol-level clients that send keys, pings and (unless told not to)
// hashes the way real clients do, without simulating anything.
//
//   quarvex_net_load --connect ws://127.0.0.1:7480 --games 200 --seconds 60
//                    [--stage N] [--no-hashes] [--seed N]
//   quarvex_net_load --crowded-stage DIR
//
// The second writes DIR/map2.aod with the crowded stage of the benchmarks
// (every unit slot used, the sides at each other's throats), for a server
// started with --data DIR.
//
// With hashes every client of a game reports the same made-up hash, which
// a server started with --no-simulation compares among them; a server that
// simulates would find them wrong and answer with snapshots, so against it
// run with --no-hashes. The server's own statistics lines give the lateness
// of its frames and its processor time; this prints what the clients saw.

#include <algorithm>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "crowded_stage.h"
#include "net/client_transport.h"
#include "net/codec.h"
#include "world/whole_number.h"

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using namespace quarvex::net;

int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct Settings {
  ServerUrl url;
  int games = 200;
  int seconds = 60;
  uint8_t stage = 2;
  bool hashes = true;
  uint32_t seed = 1;
};

struct Totals {
  uint64_t frames = 0;
  uint64_t bytes_in = 0;
  uint64_t bytes_out = 0;
  uint64_t refused = 0;  // goodbyes and closes before the end
  uint64_t joined = 0;
  std::vector<int64_t> gaps;  // between frames arriving, per client, in ms
};

class Load;

// One connection: a game's creator, or one of its players.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(Load& load, asio::io_context& io, int game, int side)
      : load_(load), ws_(io), ping_(io), game_(game), side_(side), random_(game * 4u + side) {}

  void start(const tcp::resolver::results_type& where);
  void stop() {
    stopped_ = true;
    ping_.cancel();
    beast::error_code ec;
    beast::get_lowest_layer(ws_).socket().close(ec);
  }

 private:
  void on_message();
  void send(const ClientMessage& m);
  void write();
  void ping();

  Load& load_;
  websocket::stream<beast::tcp_stream> ws_;
  asio::steady_timer ping_;
  int game_;
  int side_;  // -1: the creator
  std::mt19937 random_;
  beast::flat_buffer buffer_;
  std::vector<uint8_t> pending_;
  std::vector<uint8_t> writing_;
  bool writing_now_ = false;
  bool stopped_ = false;
  uint32_t last_frame_ = 0;
  uint32_t last_sent_ = 0;
  int64_t last_arrival_ = -1;
  KeyMask keys_ = 0;
};

class Load {
 public:
  explicit Load(const Settings& s) : settings_(s), resolver_(io_), pacer_(io_) {}

  int run() {
    beast::error_code ec;
    where_ = resolver_.resolve(settings_.url.host, std::to_string(settings_.url.port), ec);
    if (ec) {
      std::fprintf(stderr, "quarvex_net_load: cannot find %s: %s\n", settings_.url.host.c_str(),
                   ec.message().c_str());
      return 1;
    }
    codes_.resize(static_cast<size_t>(settings_.games));
    start_ms_ = now_ms();
    open_next();
    io_.run_for(std::chrono::seconds(settings_.seconds));
    const double seconds = static_cast<double>(now_ms() - start_ms_) / 1000.0;
    for (auto& c : connections_) c->stop();
    report(seconds);
    return 0;
  }

  // Games are made a few at a time, so the server's handshakes never pile up.
  void open_next() {
    constexpr int kGamesAtOnce = 10;
    for (int i = 0; i < kGamesAtOnce && next_game_ < settings_.games; ++i, ++next_game_) {
      open(next_game_, -1);
    }
    if (next_game_ < settings_.games) {
      pacer_.expires_after(std::chrono::milliseconds(100));
      pacer_.async_wait([this](beast::error_code ec) {
        if (!ec) open_next();
      });
    }
  }
  void open(int game, int side) {
    auto c = std::make_shared<Connection>(*this, io_, game, side);
    connections_.push_back(c);
    c->start(where_);
  }
  void created(int game, const JoinCode& code) {
    codes_[static_cast<size_t>(game)] = code;
    for (int side = 0; side < 4; ++side) open(game, side);
  }

  const Settings& settings() const { return settings_; }
  const JoinCode& code(int game) const { return codes_[static_cast<size_t>(game)]; }
  Totals& totals() { return totals_; }

 private:
  void report(double seconds) {
    std::vector<int64_t>& gaps = totals_.gaps;
    std::sort(gaps.begin(), gaps.end());
    const auto at = [&gaps](double p) {
      return gaps.empty() ? 0
                          : gaps[std::min(gaps.size() - 1, static_cast<size_t>(p * gaps.size()))];
    };
    const double clients = static_cast<double>(std::max<uint64_t>(totals_.joined, 1));
    std::printf("load: %d games, %" PRIu64 " players joined, %.0f s; %" PRIu64
                " frames received (%.1f per player and second); gap between frames p50 %" PRId64
                " ms, p99 %" PRId64 " ms, max %" PRId64
                " ms; per player %.0f B/s sent, %.0f B/s "
                "received; %" PRIu64 " refused or cut off\n",
                settings_.games, totals_.joined, seconds, totals_.frames,
                static_cast<double>(totals_.frames) / clients / seconds, at(0.5), at(0.99),
                gaps.empty() ? 0 : gaps.back(),
                static_cast<double>(totals_.bytes_out) / clients / seconds,
                static_cast<double>(totals_.bytes_in) / clients / seconds, totals_.refused);
  }

  Settings settings_;
  asio::io_context io_{1};
  tcp::resolver resolver_;
  asio::steady_timer pacer_;
  tcp::resolver::results_type where_;
  std::vector<std::shared_ptr<Connection>> connections_;
  std::vector<JoinCode> codes_;
  int next_game_ = 0;
  int64_t start_ms_ = 0;
  Totals totals_;
};

void Connection::start(const tcp::resolver::results_type& where) {
  auto self = shared_from_this();
  beast::get_lowest_layer(ws_).async_connect(where, [self](beast::error_code ec,
                                                           const tcp::endpoint&) {
    if (ec) {
      ++self->load_.totals().refused;
      return;
    }
    beast::error_code ignored;
    beast::get_lowest_layer(self->ws_).socket().set_option(tcp::no_delay(true), ignored);
    beast::get_lowest_layer(self->ws_).expires_never();
    self->ws_.binary(true);
    const ServerUrl& url = self->load_.settings().url;
    self->ws_.async_handshake(url.host, url.path, [self](beast::error_code ec) {
      if (ec) {
        ++self->load_.totals().refused;
        return;
      }
      if (self->side_ < 0) {
        const Settings& s = self->load_.settings();
        self->send(Create{s.stage, s.seed + static_cast<uint32_t>(self->game_), 0x0F, 0, "load",
                          "load"});
      } else {
        self->send(Join{self->load_.code(self->game_),
                        Role::kPlayer,
                        static_cast<uint8_t>(self->side_),
                        {},
                        "load",
                        "load"});
      }
      self->on_message();
    });
  });
}

void Connection::on_message() {
  auto self = shared_from_this();
  ws_.async_read(buffer_, [self](beast::error_code ec, size_t n) {
    if (ec) {
      if (!self->stopped_ && self->side_ >= 0) ++self->load_.totals().refused;
      return;
    }
    Totals& totals = self->load_.totals();
    totals.bytes_in += n;
    const auto data = self->buffer_.cdata();
    MessageReader<ServerMessage> reader({static_cast<const uint8_t*>(data.data()), data.size()});
    ServerMessage m;
    while (reader.next(m)) {
      if (const auto* created = std::get_if<Created>(&m)) {
        self->load_.created(self->game_, created->code);
        self->stop();
        return;
      }
      if (std::holds_alternative<Welcome>(m)) {
        ++totals.joined;
        self->ping();
      } else if (const auto* frame = std::get_if<Frame>(&m)) {
        const int64_t now = now_ms();
        if (self->last_arrival_ >= 0) totals.gaps.push_back(now - self->last_arrival_);
        self->last_arrival_ = now;
        self->last_frame_ = frame->frame;
        ++totals.frames;
        // Keys ahead by a LAN's delay, changing every few frames.
        while (self->last_sent_ < frame->frame + 2) {
          if (self->random_() % 6 == 0)
            self->keys_ = static_cast<KeyMask>(self->random_() & quarvex::kAllKeys);
          self->send(Input{++self->last_sent_, self->keys_});
        }
        if (self->load_.settings().hashes && frame->frame % kHashEvery == 0) {
          self->send(HashReport{frame->frame, frame->frame * 0x9E3779B97F4A7C15ull});
        }
      } else if (std::holds_alternative<Goodbye>(m)) {
        ++totals.refused;
      }
    }
    self->buffer_.consume(self->buffer_.size());
    self->on_message();
  });
}

void Connection::send(const ClientMessage& m) {
  append_message(pending_, m);
  if (!writing_now_) write();
}

void Connection::write() {
  if (pending_.empty() || stopped_) return;
  writing_.swap(pending_);
  pending_.clear();
  writing_now_ = true;
  load_.totals().bytes_out += writing_.size();
  auto self = shared_from_this();
  ws_.async_write(asio::buffer(writing_), [self](beast::error_code ec, size_t) {
    self->writing_now_ = false;
    if (!ec) self->write();
  });
}

void Connection::ping() {
  auto self = shared_from_this();
  ping_.expires_after(std::chrono::milliseconds(500));
  ping_.async_wait([self](beast::error_code ec) {
    if (ec || self->stopped_) return;
    self->send(Ping{self->last_frame_});
    self->ping();
  });
}

bool read_number(const char* text, int64_t lowest, int64_t highest, int64_t& out) {
  return quarvex::parse_whole_number(text, lowest, highest, out) == quarvex::NumberCheck::kOk;
}

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  std::string url = "ws://127.0.0.1:7480";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    int64_t n = 0;
    const bool has_value = i + 1 < argc;
    if (arg == "--crowded-stage" && has_value) {
      std::printf("%s\n", quarvex::testing::write_crowded_stage(argv[i + 1], 2, 1).c_str());
      return 0;
    }
    if (arg == "--no-hashes") {
      s.hashes = false;
    } else if (arg == "--connect" && has_value) {
      url = argv[++i];
    } else if (arg == "--games" && has_value && read_number(argv[++i], 1, 100000, n)) {
      s.games = static_cast<int>(n);
    } else if (arg == "--seconds" && has_value && read_number(argv[++i], 1, 86400, n)) {
      s.seconds = static_cast<int>(n);
    } else if (arg == "--stage" && has_value && read_number(argv[++i], 1, 3, n)) {
      s.stage = static_cast<uint8_t>(n);
    } else if (arg == "--seed" && has_value && read_number(argv[++i], 0, UINT32_MAX, n)) {
      s.seed = static_cast<uint32_t>(n);
    } else {
      std::fprintf(stderr,
                   "usage: quarvex_net_load [--connect URL] [--games N] [--seconds N] "
                   "[--stage N] [--seed N] [--no-hashes]\n");
      return 2;
    }
  }
  std::string error;
  if (!parse_server_url(url, s.url, error) || s.url.tls) {
    std::fprintf(stderr, "quarvex_net_load: %s\n", error.empty() ? "ws:// only" : error.c_str());
    return 2;
  }
  return Load(s).run();
}
